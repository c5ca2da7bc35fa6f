#include "maker/ui/scan_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "desktop/gbk_text.h"
#include "desktop/recording_message_boxes.h"
#include "maker/online/scan_test_servers.h"
#include "platform/com/com.h"

namespace tavrel {

namespace {

using namespace scan_test;

class ScanDialogTest : public ScanServersTest {
 protected:
  std::unique_ptr<ScanDialog> Open() {
    return std::make_unique<ScanDialog>(directory.Path(), boxes, nullptr,
                                        [this](const std::string& folder) { opened = folder; });
  }
  static std::string Cell(ScanDialog& dialog, int row, int column) {
    return ToGbk(dialog.ServerTable().item(row, column)->text());
  }
  // The row of `progId`, -1 when none.
  static int RowOf(ScanDialog& dialog, const char* progId) {
    for (int row = 0; row < dialog.ServerTable().rowCount(); ++row) {
      if (Cell(dialog, row, 1).rfind(std::string(progId) + "  (", 0) == 0) return row;
    }
    return -1;
  }
  // Marks `progId` alone for the scan.
  static void MarkOnly(ScanDialog& dialog, const char* progId) {
    for (int row = 0; row < dialog.ServerTable().rowCount(); ++row) {
      const bool wanted = row == RowOf(dialog, progId);
      if ((Cell(dialog, row, 2) == kMarkScan) != wanted) dialog.ToggleMark(row);
    }
  }
  static QPushButton& DeepScanButton(ScanDialog& dialog) {
    return *dialog.findChild<QPushButton*>(QStringLiteral("deep scan"));
  }
  std::string TagListFile(const char* progId) {
    return directory / ("servers/" + std::string(progId) + ".xml");
  }

  RecordingMessageBoxes boxes;
  std::string opened;
};

TEST_F(ScanDialogTest, RestoredRowsAreNeverScannedBeforeADiscoveryInTheDialog) {
  ServerList earlier{"1", "", "secret", "PLANT", "", {{kTree.progId, "d", kTree.clsid, kDa20}}};
  ASSERT_TRUE(SaveServerList(ServerListPath(directory.Path()), earlier));
  const auto dialog = Open();
  ASSERT_EQ(dialog->ServerTable().rowCount(), 1);
  EXPECT_EQ(Cell(*dialog, 0, 0), "1");
  EXPECT_EQ(Cell(*dialog, 0, 1), kTree.progId);
  EXPECT_EQ(Cell(*dialog, 0, 2), "");
  EXPECT_TRUE(dialog->findChild<QCheckBox*>(QStringLiteral("credentials"))->isChecked());
  EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("user"))->text(),
            QStringLiteral("Administrator"));
  EXPECT_FALSE(DeepScanButton(*dialog).isEnabled());

  dialog->ToggleMark(0);
  EXPECT_EQ(Cell(*dialog, 0, 2), kMarkSkip);
  dialog->ToggleMark(0);
  EXPECT_EQ(Cell(*dialog, 0, 2), kMarkScan);
  dialog->StartDeepScan();
  EXPECT_EQ(boxes.shown,
            (std::vector<RecordingMessageBoxes::Box>{{"请先执行按钮：获取并保存OPC列表", "hint"}}));
  EXPECT_FALSE(dialog->IsScanning());
  EXPECT_EQ(dialog->Log().count(), 0);
}

TEST_F(ScanDialogTest, DiscoveryMakesAMissingServersFolderOrSaysWhyTheListIsNotSaved) {
  const std::string folder = directory / "servers";
  for (const bool blocked : {false, true}) {
    std::filesystem::remove_all(folder);
    if (blocked) WriteTestFile(folder, "");  // a file where the folder should be
    const auto dialog = Open();
    dialog->DiscoverAndSave();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->IsDiscovering(); }, 10000));
    EXPECT_EQ(LoadServerList(ServerListPath(directory.Path())).has_value(), !blocked);
    EXPECT_EQ(DeepScanButton(*dialog).isEnabled(), !blocked);
    EXPECT_EQ(boxes.shown.size(), blocked ? 1u : 0u);
  }
  EXPECT_EQ(boxes.shown.at(0).text.rfind("Cannot write " + ServerListPath(directory.Path()), 0),
            0u);
}

TEST_F(ScanDialogTest, DiscoveryMarksUnscannedServersAndTheScanWritesTheMarkedOnes) {
  WriteTestFile(TagListFile(kFlat.progId), "");  // scanned before
  const auto dialog = Open();
  dialog->DiscoverAndSave();
  // The discovery runs aside; its result arrives through the window's event loop.
  EXPECT_TRUE(dialog->IsDiscovering());
  EXPECT_FALSE(DeepScanButton(*dialog).isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->IsDiscovering(); }, 10000));
  ASSERT_GE(RowOf(*dialog, kFlat.progId), 0);
  EXPECT_EQ(Cell(*dialog, RowOf(*dialog, kFlat.progId), 2), kMarkSkip);
  EXPECT_EQ(Cell(*dialog, RowOf(*dialog, kTree.progId), 1), "Scan.Tree.1  (Scan.Tree.1 test)");
  EXPECT_EQ(Cell(*dialog, RowOf(*dialog, kTree.progId), 2), kMarkScan);
  EXPECT_EQ(RowOf(*dialog, kLegacy.progId), -1);  // DA 1.0 only: not in the 2.0 category
  const std::optional<ServerList> saved = LoadServerList(ServerListPath(directory.Path()));
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->useCredentials, "0");
  EXPECT_EQ(saved->node, "");
  EXPECT_EQ(saved->servers.size(), static_cast<std::size_t>(dialog->ServerTable().rowCount()));
  EXPECT_TRUE(DeepScanButton(*dialog).isEnabled());

  MarkOnly(*dialog, kFlat.progId);
  dialog->StartDeepScan();
  EXPECT_TRUE(dialog->IsScanning());
  EXPECT_FALSE(DeepScanButton(*dialog).isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->IsScanning(); }, 20000));
  EXPECT_TRUE(DeepScanButton(*dialog).isEnabled());
  QListWidget& log = dialog->Log();
  ASSERT_GE(log.count(), 3);
  EXPECT_EQ(log.item(0)->text(), FromGbk("找到1个SERVER需要扫描!"));
  EXPECT_TRUE(log.item(log.count() - 1)->text().endsWith(FromGbk(" 扫描结束")));
  EXPECT_EQ(log.currentRow(), log.count() - 1);
  EXPECT_EQ(LoadTagList(TagListFile(kFlat.progId)).size(), PreOrderIds(kBulkItems).size());
  EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("progress"))->text(),
            FromGbk("已扫描SERVER 1/1，找到点 " + std::to_string(PreOrderIds(kBulkItems).size()) +
                    " 个"));

  dialog->OpenSavedFiles();
  EXPECT_EQ(opened, directory / "servers");
}

TEST_F(ScanDialogTest, ClosingDuringAScanStopsAndWaitsForTheWorker) {
  const auto dialog = Open();
  dialog->DiscoverAndSave();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->IsDiscovering(); }, 10000));
  MarkOnly(*dialog, kLarge.progId);
  dialog->StartDeepScan();
  ASSERT_TRUE(dialog->IsScanning());
  dialog->reject();
  // The worker has ended: the server it was scanning got no file. What it queued before its
  // end (its end among them) is delivered at the next pass of the event loop; nothing later.
  EXPECT_FALSE(std::filesystem::exists(TagListFile(kLarge.progId)));
  QCoreApplication::processEvents();
  EXPECT_FALSE(dialog->IsScanning());
  const int lines = dialog->Log().count();
  QTest::qWait(100);
  EXPECT_EQ(dialog->Log().count(), lines);
}

}  // namespace

}  // namespace tavrel
