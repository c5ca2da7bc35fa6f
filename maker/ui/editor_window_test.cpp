#include "maker/ui/editor_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <functional>

#include "common/test_files.h"
#include "desktop/gbk_text.h"
#include "desktop/recording_message_boxes.h"
#include "maker/ui/dialog_test_support.h"

namespace tavrel {

namespace {

constexpr char kProject[] =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n<root>\r\n"
    "<server name=\"S1\" desc=\"d\" node=\"\" sid=\"OPCSim.Tree.1\" clsid=\"{6F0C2A1E-4B7D-4C55-"
    "9E2A-3D1B7C5E8A01}\" catid=\"\" outtime=\"\" solution=\"0\" c1=\"0\" c2=\"\" c3=\"\" "
    "c4=\"\">\r\n"
    "<group name=\"G1\" desc=\"g\" uptime=\"1000\" timebis_minutes=\"0\" percent_deadband=\"0\" "
    "language_id=\"1033\" active_state=\"1\" datachange_type=\"1\" cycle_time=\"3000\" "
    "additem=\"0\">\r\n<tag id=\"A.1\" vt=\"5\" dir=\"3\"/>\r\n<tag id=\"A.2\" vt=\"3\" "
    "dir=\"1\"/>\r\n</group>\r\n</server>\r\n</root>\r\n";

QStringList Entries(const QMenu& menu) {
  QStringList entries;
  for (const QAction* action : menu.actions()) {
    entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
  }
  return entries;
}

class EditorWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteTestFile(project, kProject);
    window = std::make_unique<EditorWindow>(directory.Path(), boxes);
  }

  void Select(const ProjectNode* node) {
    const QModelIndex index =
        node == nullptr ? window->TreeModel().RootIndex() : window->TreeModel().IndexOf(*node);
    window->Tree().setCurrentIndex(index);
  }
  ServerNode& S1() { return *window->Project().servers.at(0); }
  GroupNode& G1() { return *S1().groups.at(0); }

  TestDirectory directory;
  std::string project = directory / "opc_db.xml";
  RecordingMessageBoxes boxes;
  std::unique_ptr<EditorWindow> window;
};

TEST_F(EditorWindowTest, ClosingAsksOnlyAfterAChangeAndNoKeepsTheFile) {
  window->close();
  EXPECT_TRUE(boxes.asked.empty());

  Select(&G1());
  boxes.answers = {true};  // delete the group
  window->DeleteCurrent();
  EXPECT_EQ(boxes.asked.back().text, "will delete all sub project ,continue?");
  EXPECT_TRUE(window->IsModified());
  boxes.answers = {false};
  window->close();
  EXPECT_EQ(boxes.asked.back(), (RecordingMessageBoxes::Box{"Save Config?", "hint"}));
  EXPECT_EQ(ReadTestFile(project), kProject);

  boxes.answers = {true};
  window->close();
  EXPECT_EQ(ReadTestFile(project).find("G1"), std::string::npos);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(EditorWindowTest, AFailedSaveKeepsTheWindowAndOffersRetryAndAnotherFile) {
  Select(&S1());
  boxes.answers = {true};  // delete the server
  window->DeleteCurrent();
  std::filesystem::remove_all(directory.Path());
  window->show();
  boxes.answers = {true, false, false};  // save; do not retry; not elsewhere either
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->isVisible());
  ASSERT_EQ(boxes.asked.size(), 4u);
  EXPECT_EQ(boxes.asked[2].text,
            "Save Config failed: " + project + "\nNo such file or directory\n\nTry again?");
  EXPECT_EQ(boxes.asked[3].text, "Save the project to another file?");

  TestDirectory elsewhere;
  window->SetSaveElsewhereChooser([&] { return elsewhere / "copy.xml"; });
  boxes.answers = {true, true, false, true};  // save; retry; then elsewhere
  EXPECT_TRUE(window->close());
  EXPECT_EQ(boxes.asked.size(), 8u);
  EXPECT_EQ(ReadTestFile(elsewhere / "copy.xml").find("S1"), std::string::npos);
  EXPECT_TRUE(window->IsModified());  // the project file itself was not written
}

TEST_F(EditorWindowTest, SaveEntryWithCtrlSSavesAndClearsTheFlag) {
  Select(&G1());
  boxes.answers = {true};
  window->DeleteCurrent();
  QAction* save = nullptr;
  for (QAction* action : window->findChildren<QAction*>()) {
    if (action->shortcut() == QKeySequence(QKeySequence::Save)) save = action;
  }
  ASSERT_NE(save, nullptr);
  save->trigger();
  EXPECT_EQ(ReadTestFile(project).find("G1"), std::string::npos);
  EXPECT_FALSE(window->IsModified());
  window->close();
  EXPECT_EQ(boxes.asked.size(), 1u);  // nothing left to ask on closing
}

TEST_F(EditorWindowTest, NewServerIsLabelledSourceUntilConfigured) {
  Select(nullptr);
  AnswerNextDialog([](QDialog& dialog) {
    EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("name"))->text(), QStringLiteral("S2"));
    SetEdit(dialog, "sid", "OPCSim.Flat.1");
    dialog.accept();
  });
  window->NewServer();
  ASSERT_EQ(window->Project().servers.size(), 2u);
  ServerNode& s2 = *window->Project().servers[1];
  const QModelIndex item = window->TreeModel().IndexOf(s2);
  EXPECT_EQ(item.data().toString(), FromGbk("源:S2_OPC_SERVER2[OPCSim.Flat.1]"));
  EXPECT_TRUE(window->IsModified());

  window->Tree().setCurrentIndex(item);
  AnswerNextDialog([](QDialog& dialog) { dialog.accept(); });
  window->ConfigureCurrent();
  EXPECT_EQ(item.data().toString(), FromGbk("S:S2_OPC_SERVER2[OPCSim.Flat.1]"));
}

TEST_F(EditorWindowTest, GroupDialogChecksAndNameClashes) {
  Select(&S1());
  AnswerNextDialog([this](QDialog& dialog) {
    SetEdit(dialog, "cycle_time", "");
    dialog.accept();  // refused: the refresh cycle is required
    EXPECT_EQ(boxes.ShownTexts(), std::vector<std::string>{"group parameters cannot be empty!"});
    SetEdit(dialog, "cycle_time", "500");
    SetEdit(dialog, "uptime", "");  // the update rate may be empty
    SetEdit(dialog, "name", "G1");
    dialog.accept();
  });
  window->NewGroup();
  EXPECT_EQ(boxes.shown.back(), (RecordingMessageBoxes::Box{"Group Exsit G1", "Keldrin"}));
  EXPECT_EQ(S1().groups.size(), 1u);

  AnswerNextDialog([](QDialog& dialog) {
    SetEdit(dialog, "uptime", "");
    dialog.accept();
  });
  window->NewGroup();
  ASSERT_EQ(S1().groups.size(), 2u);
  EXPECT_EQ(S1().groups[1]->name, "G2");
  EXPECT_EQ(S1().groups[1]->desc, "组2");
  EXPECT_EQ(S1().groups[1]->settings.uptime, "");

  Select(S1().groups[1].get());
  AnswerNextDialog([](QDialog& dialog) {
    SetEdit(dialog, "name", "G1");
    dialog.accept();
  });
  window->ConfigureCurrent();
  EXPECT_EQ(boxes.shown.back().text, "Group exsit G1");
  EXPECT_EQ(S1().groups[1]->name, "G2");
}

TEST_F(EditorWindowTest, GroupOkKeepsWhatWasNotEditedAndRefusesNumbersTheBridgeCannotRead) {
  GroupParameters& settings = G1().settings;
  settings.datachange_type = settings.active_state = settings.additem = "";
  settings.cycle_time = "1000ms";
  const GroupParameters stored = settings;
  Select(&G1());
  AnswerNextDialog([](QDialog& dialog) { dialog.accept(); });
  window->ConfigureCurrent();
  EXPECT_EQ(settings, stored);

  const struct {
    const char* field;
    const char* text;
    const char* refusal;  // null: accepted
  } cases[] = {
      {"cycle_time", "abc", "Refesh Cycle(Mis): enter a whole number of 0 or more"},
      {"uptime", "-5", "Update Rate(Mis): enter a whole number of 0 or more"},
      {"language_id", "99999999999", "Language Id: enter a whole number of 0 or more"},
      {"timebis_minutes", "1.5", "Time Bias(Min): enter a whole number"},
      {"percent_deadband", "101", "Percent Deadband: enter a number from 0 to 100"},
      {"timebis_minutes", "-60", nullptr},
      {"percent_deadband", "0.5", nullptr},
  };
  for (const auto& c : cases) {
    boxes.shown.clear();
    AnswerNextDialog([&c](QDialog& dialog) {
      SetEdit(dialog, c.field, c.text);
      dialog.accept();
      if (dialog.isVisible()) dialog.reject();
    });
    window->ConfigureCurrent();
    if (c.refusal == nullptr) {
      EXPECT_TRUE(boxes.shown.empty()) << c.field << "=" << c.text;
    } else {
      EXPECT_EQ(boxes.ShownTexts(), std::vector<std::string>{c.refusal}) << c.text;
    }
  }
  EXPECT_EQ(settings.timebis_minutes, "-60");
  EXPECT_EQ(settings.percent_deadband, "0.5");
  EXPECT_EQ(settings.cycle_time, "1000ms");
}

TEST_F(EditorWindowTest, MenusByPlace) {
  EXPECT_EQ(window->TreeMenuAt({}), nullptr);
  EXPECT_EQ(Entries(*window->TreeMenuAt(window->TreeModel().RootIndex())),
            (QStringList{"new server", "config"}));
  EXPECT_EQ(Entries(*window->TreeMenuAt(window->TreeModel().IndexOf(S1()))),
            (QStringList{"new group", "config", "delete", "-", FromGbk("高级扫点操作")}));
  EXPECT_EQ(window->TagModel().rowCount(), 2);  // the server's tags
  EXPECT_EQ(window->TagListMenu(), nullptr);

  EXPECT_EQ(Entries(*window->TreeMenuAt(window->TreeModel().IndexOf(G1()))),
            (QStringList{"config", "delete"}));
  const QStringList imports{"Select tag online",        "-", "Load Tag From Disk",       "-",
                            "Auto Match Tag Attribute", "-", FromGbk("从全部标签中筛点")};
  EXPECT_EQ(Entries(*window->TagListMenu()), imports);
  window->TagList().selectRow(1);
  EXPECT_EQ(Entries(*window->TagListMenu()), (imports + QStringList{"-", "delete"}));

  window->DeleteSelectedTags();
  ASSERT_EQ(G1().tags.size(), 1u);
  EXPECT_EQ(G1().tags[0]->id, "A.1");
  EXPECT_EQ(window->TagModel().rowCount(), 1);
  EXPECT_TRUE(window->IsModified());
}

TEST_F(EditorWindowTest, TagListFindsSortsAndCopiesRows) {
  Select(&G1());
  QTableView& list = window->TagList();
  window->TagFind().setText(QStringLiteral("a.2"));
  ASSERT_EQ(list.model()->rowCount(), 1);
  EXPECT_EQ(list.model()->index(0, TagTableModel::kIdColumn).data().toString(), "A.2");
  window->TagFind().clear();
  list.sortByColumn(TagTableModel::kIdColumn, Qt::DescendingOrder);
  EXPECT_EQ(list.model()->index(0, TagTableModel::kIdColumn).data().toString(), "A.2");

  list.selectAll();
  QApplication::clipboard()->clear();
  QTest::keySequence(&list, QKeySequence::Copy);
  EXPECT_EQ(ToGbk(QApplication::clipboard()->text()),
            "2\tA.2\tLong(3)\t只读\n1\tA.1\tDouble(5)\t读写\n");
  // Commands on rows act on the tags shown there, whatever the order.
  list.clearSelection();
  list.selectRow(0);
  window->DeleteSelectedTags();
  ASSERT_EQ(G1().tags.size(), 1u);
  EXPECT_EQ(G1().tags[0]->id, "A.1");
}

TEST_F(EditorWindowTest, DeletingSeveralTagsAsksFirst) {
  Select(&G1());
  window->TagList().selectAll();
  boxes.answers = {false};
  window->DeleteSelectedTags();
  EXPECT_EQ(boxes.asked, (std::vector<RecordingMessageBoxes::Box>{{"delete 2 tags?", "hint"}}));
  EXPECT_EQ(G1().tags.size(), 2u);
  EXPECT_FALSE(window->IsModified());
  boxes.answers = {true};
  window->DeleteSelectedTags();
  EXPECT_TRUE(G1().tags.empty());
}

TEST_F(EditorWindowTest, UndoTakesBackTheLastEditsOfTagsAndGroups) {
  const auto ids = [this] {
    std::vector<std::string> all;
    for (const auto& tag : G1().tags) all.push_back(tag->id + "/" + std::to_string(tag->vt));
    return all;
  };
  const std::vector<std::string> original = ids();
  Select(&G1());
  AnswerNextDialog([](QDialog& dialog) {
    SetEdit(dialog, "desc", "renamed");
    dialog.accept();
  });
  window->ConfigureCurrent();  // edit 1
  std::string csv;
  for (int i = 0; i < 20; ++i) csv += "T" + std::to_string(i) + ",2,1\n";
  WriteTestFile(directory / "tags.csv", csv);
  window->SetCsvFileChooser([&] { return directory / "tags.csv"; });
  boxes.answers = {true};
  window->LoadTagsFromDisk();     // edit 2
  for (int i = 0; i < 19; ++i) {  // edits 3 to 21
    window->TagList().selectRow(0);
    window->DeleteSelectedTags();
  }
  EXPECT_EQ(ids(), std::vector<std::string>{"T19/2"});
  EXPECT_EQ(window->UndoStack().count(), 21);

  QAction* undo = nullptr;
  for (QAction* action : window->findChildren<QAction*>()) {
    if (action->shortcut() == QKeySequence(QKeySequence::Undo)) undo = action;
  }
  ASSERT_NE(undo, nullptr);
  for (int i = 0; i < 19; ++i) undo->trigger();
  EXPECT_EQ(ids().size(), 20u);
  EXPECT_EQ(window->TagModel().rowCount(), 20);
  undo->trigger();
  EXPECT_EQ(ids(), original);
  EXPECT_EQ(G1().desc, "renamed");
  undo->trigger();
  EXPECT_EQ(G1().desc, "g");
  EXPECT_EQ(window->TreeModel().IndexOf(G1()).data().toString(), "G:G1_g");
  EXPECT_FALSE(undo->isEnabled());

  window->UndoStack().redo();
  window->UndoStack().redo();
  EXPECT_EQ(ids().size(), 20u);
  EXPECT_EQ(G1().tags[0]->id, "T0");
}

TEST_F(EditorWindowTest, TagPropertiesRefuseANameOfTheGroupAndLeaveTheFlag) {
  G1().tags[0]->name = "T1";
  Select(&G1());
  window->TagList().selectRow(1);
  AnswerNextDialog([this](QDialog& dialog) {
    SetEdit(dialog, "name", "T1");
    dialog.accept();
    EXPECT_EQ(boxes.ShownTexts(), std::vector<std::string>{"name exist!"});
    SetEdit(dialog, "name", "T2");
    dialog.accept();
  });
  window->OpenTagProperties();
  EXPECT_EQ(G1().tags[1]->name, "T2");
  EXPECT_FALSE(window->IsModified());
}

TEST_F(EditorWindowTest, TestLaunchWritesTheServerElementOnly) {
  Select(&S1());
  window->LaunchTest();  // no test client in the directory: nothing else happens
  const std::string written = ReadTestFile(directory / "temp.xml");
  EXPECT_EQ(written.rfind("<server name=\"S1\" desc=\"d\" node=\"\" sid=\"OPCSim.Tree.1\"", 0), 0u)
      << written;
  EXPECT_NE(written.find("c4=\"\"/>"), std::string::npos) << written;
  EXPECT_EQ(written.find("group"), std::string::npos);
  EXPECT_EQ(written.find("root"), std::string::npos);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(EditorWindowTest, AProjectFileThatDoesNotParseIsReportedAtOpening) {
  window->ReportLoadProblem();
  EXPECT_TRUE(boxes.shown.empty());
  WriteTestFile(project, "<root><server name=\"S1\"></root>");
  EditorWindow damaged(directory.Path(), boxes);
  EXPECT_TRUE(damaged.Project().servers.empty());
  damaged.ReportLoadProblem();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find(project + ".bak"), std::string::npos);
}

TEST_F(EditorWindowTest, KeyboardDeletesTheSelectionAndOpensTheConfiguration) {
  window->show();
  QApplication::setActiveWindow(window.get());
  Select(&G1());
  window->TagList().setFocus();
  window->TagList().selectRow(0);
  QTest::keyClick(&window->TagList(), Qt::Key_Delete);
  ASSERT_EQ(G1().tags.size(), 1u);
  EXPECT_EQ(G1().tags[0]->id, "A.2");

  bool opened = false;
  AnswerNextDialog([&](QDialog& dialog) {
    opened = dialog.windowTitle() == QStringLiteral("OPC GroupInfo");
    dialog.reject();
  });
  window->Tree().setFocus();
  QTest::keyClick(&window->Tree(), Qt::Key_F2);
  EXPECT_TRUE(opened);
}

}  // namespace

}  // namespace tavrel
