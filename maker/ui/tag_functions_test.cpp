// The tag list's functions in the editor and the "Add Tag" dialog, against the simulated
// servers.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <filesystem>

#include "desktop/recording_message_boxes.h"
#include "maker/online/scan_test_servers.h"
#include "maker/ui/add_tag_dialog.h"
#include "maker/ui/dialog_test_support.h"
#include "maker/ui/editor_window.h"
#include "platform/com/com.h"

namespace tavrel {

namespace {

using namespace scan_test;

constexpr char kProject[] =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n<root>\r\n"
    "<server name=\"S1\" desc=\"d\" node=\"\" sid=\"Scan.Tree.1\" "
    "clsid=\"{5CA70001-0000-4000-8000-000000000001}\" catid=\"\" outtime=\"\" solution=\"0\" "
    "c1=\"0\" c2=\"\" c3=\"\" c4=\"\">\r\n"
    "<group name=\"G1\" desc=\"g\" uptime=\"1000\" timebis_minutes=\"0\" percent_deadband=\"0\" "
    "language_id=\"1033\" active_state=\"1\" datachange_type=\"1\" cycle_time=\"3000\" "
    "additem=\"0\">\r\n<tag id=\"A.1\" vt=\"5\" dir=\"3\"/>\r\n<tag id=\"A.2\" vt=\"3\" "
    "dir=\"1\"/>\r\n</group>\r\n</server>\r\n</root>\r\n";

QTreeWidgetItem* Child(QTreeWidgetItem* parent, const char* name) {
  for (int i = 0; i < parent->childCount(); ++i) {
    if (parent->child(i)->text(0) == FromGbk(name)) return parent->child(i);
  }
  return nullptr;
}

std::vector<std::string> Column(const QAbstractItemModel& model, int column) {
  std::vector<std::string> texts;
  for (int row = 0; row < model.rowCount(); ++row) {
    texts.push_back(ToGbk(model.index(row, column).data().toString()));
  }
  return texts;
}

class TagFunctionsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterScanTestServers(); }
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    WriteTestFile(directory / "opc_db.xml", kProject);
    window = std::make_unique<EditorWindow>(directory.Path(), boxes);
    window->Tree().setCurrentIndex(window->TreeModel().IndexOf(G1()));
  }
  void TearDown() override {
    window.reset();
    linkServer.link.reset();
    CoUninitialize();
  }
  GroupNode& G1() { return *window->Project().servers.at(0)->groups.at(0); }
  std::vector<std::string> TagIds() {
    std::vector<std::string> ids;
    for (const auto& tag : G1().tags) ids.push_back(tag->id);
    return ids;
  }
  const ServerLink& Link(const TestServer& server) {
    return LinkToTestServer(linkServer, server, boxes);
  }

  TestDirectory directory;
  RecordingMessageBoxes boxes;
  std::unique_ptr<EditorWindow> window;
  ServerNode linkServer;
};

TEST_F(TagFunctionsTest, CsvImportAsksClearsAndCreatesAMissingFile) {
  const std::string csv = directory / "tags.csv";
  window->SetCsvFileChooser([&] { return csv; });
  boxes.answers = {false};
  window->LoadTagsFromDisk();
  EXPECT_EQ(boxes.okCancel, (std::vector<RecordingMessageBoxes::Box>{
                                {"load csv will clear all tags,continue？", "hint"}}));
  EXPECT_TRUE(std::filesystem::exists(csv));
  EXPECT_EQ(TagIds(), (std::vector<std::string>{"A.1", "A.2"}));
  EXPECT_FALSE(window->IsModified());

  boxes.answers = {true};
  window->LoadTagsFromDisk();
  EXPECT_TRUE(G1().tags.empty());
  EXPECT_EQ(window->TagModel().rowCount(), 0);
  EXPECT_TRUE(window->IsModified());

  window->SetCsvFileChooser([&] { return directory / "no/such/dir.csv"; });
  window->LoadTagsFromDisk();
  EXPECT_EQ(boxes.errors, (std::vector<RecordingMessageBoxes::Box>{{"Load csv error", "hint"}}));
}

TEST_F(TagFunctionsTest, AnOnlineAddRefusesIdsTheServerHoldsFromTheFileOrACsvImport) {
  WriteTestFile(directory / "tags.csv", "id___opc,vt,dir\nRandom.Int1,0,0\n");
  window->SetCsvFileChooser([&] { return directory / "tags.csv"; });
  boxes.answers = {true};
  window->LoadTagsFromDisk();

  const auto addFirstLeafOfRandom = [](QDialog& dialog) {
    auto& add = static_cast<AddTagDialog&>(dialog);
    add.Tree().setCurrentItem(Child(add.Tree().topLevelItem(0), "Random"));
    add.ShownList().selectRow(0);
    add.AddChosen();
    dialog.accept();
  };
  AnswerNextDialog(addFirstLeafOfRandom);
  window->SelectTagOnline();
  EXPECT_EQ(boxes.ShownTexts(), std::vector<std::string>{"tag has exsit!"});
  EXPECT_EQ(TagIds(), std::vector<std::string>{"Random.Int1"});
}

TEST_F(TagFunctionsTest, MatchShowsTheFailingIdsAndAlwaysSetsTheFlag) {
  AnswerNextDialog([](QDialog& dialog) { dialog.reject(); });
  window->AutoMatchTagAttributes();
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(window->IsModified());

  AnswerNextDialog(
      [](QDialog& dialog) { dialog.findChild<QPushButton*>(QStringLiteral("begin"))->click(); });
  window->AutoMatchTagAttributes();
  EXPECT_EQ(boxes.shown, (std::vector<RecordingMessageBoxes::Box>{
                             {"Match Finished Error List:A.1\r\nA.2\r\n", "hint"}}));
  EXPECT_EQ(boxes.lineLists, (std::vector<std::vector<std::string>>{{"A.1", "A.2"}}));
}

TEST_F(TagFunctionsTest, PickTakesTheIdsTheTagListFileHolds) {
  std::filesystem::create_directory(directory / "servers");
  WriteTestFile(
      directory / "servers/Scan.Tree.1.xml",
      "<?xml version=\"1.0\" encoding=\"GBK\"?> \r\n<root ver=\"0\">\r\n<t>\r\n"
      "<it id=\"Echo.Real8\" dt=\"5\" ar=\"3\"/>\r\n<it id=\"A.1\" dt=\"2\" ar=\"1\"/>\r\n"
      "<it id=\"Echo.Real8\" dt=\"8\" ar=\"1\"/>\r\n</t>\r\n</root>\r\n");
  AnswerNextDialog([](QDialog& dialog) {
    EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("count"))->text(),
              FromGbk("共加载OPC标签个数:2"));
    dialog.findChild<QPlainTextEdit*>(QStringLiteral("ids"))
        ->setPlainText(QStringLiteral("Echo.Real8\nMissing\n\nA.1"));
    dialog.findChild<QPushButton*>(QStringLiteral("pick"))->click();
  });
  window->PickFromTagList();
  // A.1 is a tag of the project file already (without a name): it blocks the id.
  EXPECT_EQ(TagIds(), (std::vector<std::string>{"A.1", "A.2", "Echo.Real8"}));
  EXPECT_EQ(G1().tags[2]->vt, 5);
  EXPECT_TRUE(window->IsModified());
  EXPECT_EQ(boxes.ShownTexts(), std::vector<std::string>{"tag has exsit!"});
}

TEST_F(TagFunctionsTest, ANodeKeepsItsLeafListWhateverTheFirstFilterIsLater) {
  AddTagDialog dialog(Link(kTree), boxes);
  QTreeWidgetItem* root = dialog.Tree().topLevelItem(0);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->text(0), QStringLiteral("Root"));
  EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("status"))->text(),
            FromGbk("成功获取OPC组织形式：树形结构"));
  EXPECT_EQ(Column(dialog.ShownIds(), 1),
            (std::vector<std::string>{"Heartbeat", "Counter", "Version"}));

  QTreeWidgetItem* random = Child(root, "Random");
  QTreeWidgetItem* chinese = Child(root, "中文");
  ASSERT_EQ(chinese->childCount(), 1);
  EXPECT_EQ(chinese->child(0)->text(0), QStringLiteral("Dummy"));
  chinese->setExpanded(true);
  ASSERT_EQ(chinese->childCount(), 1);
  EXPECT_EQ(chinese->child(0)->text(0), FromGbk("设备一"));
  EXPECT_EQ(chinese->child(0)->child(0)->text(0), QStringLiteral("Dummy"));

  dialog.Tree().setCurrentItem(random);
  const std::vector<std::string> randomIds = Column(dialog.ShownIds(), 1);
  EXPECT_EQ(randomIds.size(), 13u);
  SetEdit(dialog, "first filter", "Int*");
  dialog.Tree().setCurrentItem(Child(root, "Echo"));
  EXPECT_EQ(Column(dialog.ShownIds(), 1),
            (std::vector<std::string>{"Echo.Int1", "Echo.Int2", "Echo.Int4"}));
  dialog.Tree().setCurrentItem(random);
  EXPECT_EQ(Column(dialog.ShownIds(), 1), randomIds);
  EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("status"))->text(),
            FromGbk("数据显示OK.."));

  SetEdit(dialog, "second filter", "Real");
  dialog.ApplySecondFilter();
  EXPECT_EQ(Column(dialog.ShownIds(), 0), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(Column(dialog.ShownIds(), 1),
            (std::vector<std::string>{"Random.Real4", "Random.Real8", "Random.ArrayOfReal8"}));
  dialog.ShownList().selectAll();
  dialog.AddChosen();
  dialog.AddChosen();  // all three are selected already
  EXPECT_EQ(Column(*dialog.SelectedList().model(), 2),
            (std::vector<std::string>{"Float(4)", "Double(5)", "Double(5)"}));
  EXPECT_EQ(Column(*dialog.SelectedList().model(), 3),
            (std::vector<std::string>{"只读", "只读", "只读"}));

  dialog.SelectedList().selectRow(1);
  dialog.DeleteSelectedTags();
  EXPECT_EQ(Column(*dialog.SelectedList().model(), 1),
            (std::vector<std::string>{"Random.Real4", "Random.ArrayOfReal8"}));
}

TEST_F(TagFunctionsTest, FlatServersShowOneListAndServersWithoutBrowsingNothing) {
  AddTagDialog flat(Link(kFlat), boxes);
  EXPECT_EQ(Column(flat.ShownIds(), 1), PreOrderIds(kBulkItems));
  EXPECT_TRUE(flat.Tree().isHidden());
  EXPECT_EQ(flat.findChild<QLineEdit*>(QStringLiteral("status"))->text(),
            FromGbk("成功获取OPC组织形式：FLAT结构"));
  SetEdit(flat, "batch limit", "0");  // below 1: the default limit
  SetEdit(flat, "second filter", "Bulk.Item02");
  flat.ApplySecondFilter();
  flat.ShownList().selectAll();
  flat.AddChosen();
  EXPECT_EQ(flat.Selected().size(), 50u);

  AddTagDialog none(Link(kNoBrowse), boxes);
  EXPECT_EQ(boxes.shown,
            (std::vector<RecordingMessageBoxes::Box>{{"Browsing not supported", "Keldrin"}}));
  EXPECT_EQ(none.Tree().topLevelItemCount(), 0);
  EXPECT_EQ(none.ShownIds().rowCount(), 0);
}

}  // namespace

}  // namespace tavrel
