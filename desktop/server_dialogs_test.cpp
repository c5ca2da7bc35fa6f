#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "desktop/gbk_text.h"
#include "desktop/recording_message_boxes.h"
#include "desktop/server_chooser_dialog.h"
#include "desktop/server_config_dialog.h"
#include "platform/com/com.h"
#include "platform/opcsim/simulated_servers.h"

namespace tavrel {

namespace {

QLineEdit* Edit(QWidget& dialog, const char* name) {
  return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
}

class ServerDialogsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { opcsim::RegisterSimulatedServers(); }
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
  void TearDown() override { CoUninitialize(); }

  std::string name, desc;
  ServerSettings settings = NewServerSettings();
  RecordingMessageBoxes boxes;
};

TEST_F(ServerDialogsTest, NewServerShowsTheProposalAndStoresTrimmedFieldsOnOk) {
  ServerConfigDialog dialog({name, desc, settings}, {"S2", "OPC_SERVER2"}, {}, boxes);
  EXPECT_EQ(Edit(dialog, "name")->text(), QStringLiteral("S2"));
  EXPECT_EQ(Edit(dialog, "desc")->text(), QStringLiteral("OPC_SERVER2"));
  EXPECT_EQ(Edit(dialog, "outtime")->text(), QStringLiteral("120"));
  EXPECT_FALSE(Edit(dialog, "user")->isEnabled());
  dialog.findChild<QCheckBox*>(QStringLiteral("credentials"))->setChecked(true);
  EXPECT_TRUE(Edit(dialog, "user")->isEnabled());

  dialog.accept();  // no sid yet
  EXPECT_EQ(boxes.shown,
            (std::vector<RecordingMessageBoxes::Box>{{"Server ID cannot be empty!", "hint"}}));
  EXPECT_TRUE(name.empty());

  Edit(dialog, "name")->setText(QStringLiteral("  Line_2 "));
  Edit(dialog, "sid")->setText(QStringLiteral("OPCSim.Tree.1"));
  dialog.findChild<QComboBox*>(QStringLiteral("solution"))->setCurrentIndex(2);
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(name, "Line_2");
  EXPECT_EQ(settings.sid, "OPCSim.Tree.1");
  EXPECT_EQ(settings.outtime, "120");
  EXPECT_EQ(settings.solution, 2);
  EXPECT_EQ(settings.c1, "1");
  EXPECT_EQ(settings.c2, "Administrator");
}

TEST_F(ServerDialogsTest, SelServerStoresCredentialsFirstAndFillsTheChoice) {
  name = "S1";
  settings.node = "plc-7";
  ServerChooserRequest seen;
  const auto chooser = [&](const ServerChooserRequest& start) -> std::optional<ChosenServer> {
    seen = start;
    return ChosenServer{"plc-8", "OPCSim.Legacy.1", opcsim::CLSID_OPCSimLegacy,
                        CATID_OPCDAServer10};
  };
  {
    ServerConfigDialog dialog({name, desc, settings}, {}, {}, boxes, nullptr, chooser);
    dialog.findChild<QCheckBox*>(QStringLiteral("credentials"))->setChecked(true);
    Edit(dialog, "user")->setText(QStringLiteral("operator"));
    Edit(dialog, "key")->setText(QStringLiteral("secret"));
    Edit(dialog, "domain")->setText(QStringLiteral("PLANT"));
    dialog.findChild<QPushButton*>(QStringLiteral("select"))->click();
    EXPECT_EQ(seen.host, "plc-7");
    ASSERT_TRUE(seen.identity);
    EXPECT_EQ(seen.identity->user, OLESTR("operator"));
    EXPECT_EQ(Edit(dialog, "node")->text(), QStringLiteral("plc-8"));
    EXPECT_EQ(Edit(dialog, "sid")->text(), QStringLiteral("OPCSim.Legacy.1"));
    EXPECT_EQ(Edit(dialog, "clsid")->text(),
              QStringLiteral("{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A03}"));
    dialog.reject();
  }
  // Cancelled: the credentials stay, nothing else was taken.
  EXPECT_EQ(settings.c1, "1");
  EXPECT_EQ(settings.c2, "operator");
  EXPECT_EQ(settings.c3, "secret");
  EXPECT_EQ(settings.c4, "PLANT");
  EXPECT_EQ(settings.node, "plc-7");

  settings.c1 = "2";  // credentials in use, as the bridge reads it
  seen.identity.reset();
  ServerConfigDialog dialog({name, desc, settings}, {}, {}, boxes, nullptr, chooser);
  dialog.findChild<QPushButton*>(QStringLiteral("select"))->click();
  EXPECT_TRUE(seen.identity);
  dialog.accept();
  EXPECT_EQ(settings.c1, "2");
  EXPECT_EQ(settings.sid, "OPCSim.Legacy.1");
  EXPECT_EQ(settings.catid, "{63D5F430-CFE4-11D1-B2C8-0060083BA1FB}");
}

TEST_F(ServerDialogsTest, OkWithoutAnEditKeepsWhatTheDialogShowsDifferently) {
  const struct {
    const char* outtime;
    int solution;
    const char* c1;
  } cases[] = {{"", 0, ""}, {"", 7, "2"}, {"60", -1, "0"}, {"", 1, "yes"}};
  for (const auto& c : cases) {
    name = "S1";
    settings.sid = "OPCSim.Tree.1";
    settings.outtime = c.outtime;
    settings.solution = c.solution;
    settings.c1 = c.c1;
    settings.c3 = "secret";
    const ServerSettings stored = settings;
    ServerConfigDialog({name, desc, settings}, {}, {}, boxes).accept();
    EXPECT_EQ(settings, stored) << c.c1 << " " << c.solution;
  }
  settings.c1 = "2";  // shown ticked, as the bridge reads it
  ServerConfigDialog dialog({name, desc, settings}, {}, {}, boxes);
  dialog.findChild<QCheckBox*>(QStringLiteral("credentials"))->setChecked(false);
  dialog.findChild<QComboBox*>(QStringLiteral("solution"))->setCurrentIndex(2);
  dialog.accept();
  EXPECT_EQ(settings.c1, "0");
  EXPECT_EQ(settings.solution, 2);
  EXPECT_EQ(settings.outtime, "");
}

TEST_F(ServerDialogsTest, ChooserListsTheVersionsServersAndRefusesNoChoice) {
  ServerChooserRequest start;
  start.chosenProgId = opcsim::kOpcSimFlatProgId;
  ServerChooserDialog dialog(start, boxes);
  auto* servers = dialog.findChild<QListWidget*>(QStringLiteral("servers"));
  ASSERT_GE(servers->currentRow(), 0);
  EXPECT_TRUE(servers->currentItem()->text().startsWith(QStringLiteral("OPCSim.Flat.1  (")));
  const auto listed = [&](const char* progId) {
    return !servers->findItems(QString::fromLatin1(progId), Qt::MatchStartsWith).isEmpty();
  };
  EXPECT_FALSE(listed(opcsim::kOpcSimLegacyProgId));

  // This computer's list service answers for DA 1.0 too: none of the simulated servers is
  // in that category, so the list is empty and OK has nothing to take.
  dialog.findChild<QRadioButton*>(QStringLiteral("version10"))->setChecked(true);
  EXPECT_FALSE(listed(opcsim::kOpcSimFlatProgId));
  dialog.accept();
  EXPECT_EQ(boxes.ShownTexts(), std::vector<std::string>{"服务名不能为空!"});
  EXPECT_NE(dialog.result(), QDialog::Accepted);

  dialog.findChild<QRadioButton*>(QStringLiteral("version20"))->setChecked(true);
  servers->setCurrentRow(0);
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Chosen().category, CATID_OPCDAServer20);
  EXPECT_FALSE(dialog.Chosen().progId.empty());
}

}  // namespace

}  // namespace tavrel
