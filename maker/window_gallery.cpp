// Draws the maker's windows into PNG files for the documentation: the mode dialog, the editor
// on a project, the server configuration, server chooser and group dialogs.
//
//   keldrin_window_gallery <program directory> <output directory>
//
// The editor opens the project of the program directory and shows the tags of its first
// group; nothing is saved. Run it on a display (scripts/screenshots uses Xvfb).
#include <QApplication>
#include <QDialog>
#include <QTableView>
#include <QTreeView>
#include <cstdio>
#include <string>

#include "desktop/desktop_application.h"
#include "desktop/server_chooser_dialog.h"
#include "desktop/server_config_dialog.h"
#include "desktop/window_picture.h"
#include "maker/editor_window.h"
#include "maker/group_dialog.h"
#include "maker/mode_dialog.h"
#include "platform/com/com_apartment.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcsim/simulated_servers.h"

int main(int argc, char** argv) {
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
  RegisterSimulatedServers();
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
  } else {
    std::fprintf(stderr, "the project of %s has no group to show\n", programDirectory.c_str());
    drawn = false;
  }
  return drawn ? 0 : 1;
}
