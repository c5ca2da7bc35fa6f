// ScanDialog: "OPC数据点遍历并保存", the maker's scan mode. It discovers the OPC servers of a
// node, lets the user mark the ones to scan, writes the server list file and scans the marked
// servers into their tag list files on a worker thread (server_scan.h, scan_runner.h).
//
// Rows: "序号", "OPC名称" and "选择" ("√" to be scanned, "□" not; a click on the cell toggles
// it). Rows restored from the server list file when the dialog opens have no server behind them
// and are never scanned; only the rows of a discovery made in this dialog can be. A discovery
// runs on a thread of its own (a remote node may be slow to answer), with both buttons off and
// a busy cursor. The deep scan button is enabled once this dialog has written the server list,
// and disabled while a scan runs; a scan shows the servers done of all and the items found, and
// can be stopped. Closing the dialog stops a running scan and waits for its worker.
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "common/browse_files.h"
#include "desktop/background_call.h"
#include "desktop/message_boxes.h"
#include "maker/online/node_discovery.h"
#include "maker/online/scan_runner.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace tavrel {

class CredentialsBox;

inline constexpr char kMarkScan[] = "√";
inline constexpr char kMarkSkip[] = "□";

class ScanDialog : public QDialog {
 public:
  // Opens `folder` (the servers directory) with the desktop's file manager.
  using FolderOpener = std::function<void(const std::string& folder)>;

  ScanDialog(std::string programDirectory, MessageBoxes& boxes, QWidget* parent = nullptr,
             FolderOpener openFolder = {});

  // The commands.
  void DiscoverAndSave();
  void OpenSavedFiles();
  void StartDeepScan();
  void CancelScan();
  // Toggles the mark of `row`.
  void ToggleMark(int row);

  bool IsScanning() const { return runner_.IsRunning(); }
  bool IsDiscovering() const { return discovery_.Running(); }
  QTableWidget& ServerTable() { return *table_; }
  QListWidget& Log() { return *log_; }

 protected:
  void done(int result) override;

 private:
  void RestoreServerList();
  // Lists the servers a discovery found and saves the server list file.
  void ShowDiscovery(const NodeDiscovery& discovery);
  void AddRow(const std::string& name, const char* mark, int entry);
  void AddLogLine(const QString& line, bool timed);
  void ShowProgress(const ScanProgress& progress);
  void ScanEnded();
  void UpdateButtons();
  std::vector<ScanTarget> MarkedServers() const;

  std::string programDirectory_;
  MessageBoxes& boxes_;
  FolderOpener openFolder_;
  std::vector<ServerListEntry> entries_;  // of the last discovery in this dialog
  ServerSettings access_;                 // node and credentials the list was saved with
  bool listSaved_ = false;

  QLineEdit* node_;
  QRadioButton* version10_;
  QRadioButton* version20_;
  CredentialsBox* credentials_;
  QPushButton* discover_;
  QPushButton* deepScan_;
  QPushButton* cancel_;
  QTableWidget* table_;
  QProgressBar* progressBar_;
  QLabel* progressText_;
  QListWidget* log_;
  ScanRunner runner_;
  NodeDiscoveryRequest discoveryRequest_;  // of the discovery running or shown last
  BackgroundCall<NodeDiscovery> discovery_;
};

}  // namespace tavrel
