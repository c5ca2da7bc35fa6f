// Draws the maker's windows into PNG files for the documentation: the mode dialog, the editor
// on a project, the server configuration, server chooser and group dialogs, the "Add Tag"
// browser on the first server, and the scan dialog after a discovery and a scan.
//
//   keldrin_window_gallery <program directory> <output directory>
//
// The editor opens the project of the program directory and shows the tags of its first
// group; nothing is saved there. The scan dialog works in a temporary directory, so the
// program directory's server files stay as they are. Run it on a display (scripts/screenshots
// uses Xvfb).
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeView>
#include <QTreeWidget>
#include <cstdio>
#include <string>

#include "desktop/desktop_application.h"
#include "desktop/server_chooser_dialog.h"
#include "desktop/server_config_dialog.h"
#include "desktop/window_picture.h"
#include "maker/ui/add_tag_dialog.h"
#include "maker/ui/editor_window.h"
#include "maker/ui/group_dialog.h"
#include "maker/ui/mode_dialog.h"
#include "maker/ui/scan_dialog.h"
#include "platform/com/com_apartment.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcsim/simulated_servers.h"

namespace tavrel {

namespace {

// The browser on `server` with the leaves of "Random" listed and three of them selected.
bool DrawAddTag(ServerNode& server, MessageBoxes& boxes, QWidget& parent,
                const std::string& output) {
  if (!ConnectServer(server, boxes)) return false;
  AddTagDialog dialog(*server.link, boxes, &parent);
  QTreeWidgetItem* root = dialog.Tree().topLevelItem(0);
  if (root == nullptr) return false;
  for (int i = 0; i < root->childCount(); ++i) {
    if (root->child(i)->text(0) == QStringLiteral("Random"))
      dialog.Tree().setCurrentItem(root->child(i));
  }
  for (int row : {1, 4, 7}) {
    dialog.ShownList().selectionModel()->select(
        dialog.ShownIds().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  dialog.AddChosen();
  return SaveWindowPicture(dialog, output, "keldrin-add-tag");
}

// The scan dialog after a discovery on this computer and a scan of the flat server.
bool DrawScan(MessageBoxes& boxes, const std::string& output) {
  QTemporaryDir directory;
  if (!directory.isValid() || !QDir(directory.path()).mkdir(QStringLiteral("servers"))) {
    return false;
  }
  ScanDialog dialog(directory.path().toStdString(), boxes);
  dialog.DiscoverAndSave();
  while (dialog.IsDiscovering()) QApplication::processEvents(QEventLoop::AllEvents, 50);
  QTableWidget& table = dialog.ServerTable();
  for (int row = 0; row < table.rowCount(); ++row) {
    if (!table.item(row, 1)->text().startsWith(QString::fromLatin1(opcsim::kOpcSimFlatProgId))) {
      dialog.ToggleMark(row);
    }
  }
  dialog.StartDeepScan();
  QElapsedTimer waiting;
  waiting.start();
  while (dialog.IsScanning() && waiting.elapsed() < 30000) {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  return SaveWindowPicture(dialog, output, "keldrin-scan");
}

}  // namespace

}  // namespace tavrel

int main(int argc, char** argv) {
  using namespace tavrel;
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <program directory> <output directory>\n", argv[0]);
    return 2;
  }
  const std::string programDirectory = argv[1];
  const std::string output = argv[2];
  const auto application = StartDesktopApplication(argc, argv, "Keldrin");
  if (!application) return 1;
  const ComApartment apartment;
  RegisterOpcCoreClasses();
  opcsim::RegisterSimulatedServers();
  PrintingMessageBoxes boxes;
  bool drawn = true;

  ModeDialog mode;
  drawn &= SaveWindowPicture(mode, output, "keldrin-mode");

  EditorWindow editor(programDirectory, boxes);
  if (!editor.Project().servers.empty() && !editor.Project().servers[0]->groups.empty()) {
    ServerNode& server = *editor.Project().servers[0];
    editor.Tree().expandAll();
    editor.Tree().setCurrentIndex(editor.TreeModel().IndexOf(*server.groups[0]));
    editor.TagList().selectRow(0);
    drawn &= SaveWindowPicture(editor, output, "keldrin-editor");

    ServerConfigDialog serverDialog({server.name, server.desc, server.settings},
                                    editor.Project().ProposeServerName(), {}, boxes, &editor);
    drawn &= SaveWindowPicture(serverDialog, output, "keldrin-server");

    ServerChooserRequest start;
    start.chosenProgId = server.settings.sid;
    ServerChooserDialog chooser(start, boxes, &editor);
    drawn &= SaveWindowPicture(chooser, output, "keldrin-chooser");

    const GroupNode& group = *server.groups[0];
    GroupDialog groupDialog({group.name, group.desc, group.settings}, boxes, &editor);
    drawn &= SaveWindowPicture(groupDialog, output, "keldrin-group");
    drawn &= DrawAddTag(server, boxes, editor, output);
  } else {
    std::fprintf(stderr, "the project of %s has no group to show\n", programDirectory.c_str());
    drawn = false;
  }
  drawn &= DrawScan(boxes, output);
  return drawn ? 0 : 1;
}
