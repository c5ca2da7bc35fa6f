#include "maker/ui/maker_process.h"

#include <QSettings>
#include <cstdio>
#include <optional>
#include <string>

#include "common/program_directory.h"
#include "desktop/desktop_application.h"
#include "desktop/qt_message_boxes.h"
#include "maker/online/server_link.h"
#include "maker/ui/editor_window.h"
#include "maker/ui/mode_dialog.h"
#include "maker/ui/scan_dialog.h"
#include "platform/com/com_apartment.h"
#include "platform/com/com_api.h"
#include "platform/opcda/opc_server_list.h"

namespace tavrel {

namespace {

constexpr char kGeometryKey[] = "editor/geometry";

int RunEditor(const std::string& programDirectory, MessageBoxes& boxes) {
  EditorWindow editor(programDirectory, boxes);
  QSettings settings;
  editor.restoreGeometry(settings.value(QString::fromLatin1(kGeometryKey)).toByteArray());
  editor.show();
  editor.ReportLoadProblem();
  const int status = QApplication::exec();
  settings.setValue(QString::fromLatin1(kGeometryKey), editor.saveGeometry());
  return status;
}

}  // namespace

int RunMakerProcess(int argc, char** argv, const std::function<void()>& registerClasses) {
  const auto application = StartDesktopApplication(argc, argv, kMakerTitle);
  if (!application) return 1;
  const std::optional<std::string> programDirectory = ProgramDirectory();
  if (!programDirectory) {
    std::fputs("Keldrin: the program directory cannot be found (/proc/self/exe)\n", stderr);
    return 1;
  }
  const ComApartment apartment;
  CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_NONE,
                       RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr);
  RegisterOpcCoreClasses();
  if (registerClasses) registerClasses();

  QtMessageBoxes boxes;
  ModeDialog mode;
  mode.exec();
  switch (mode.Chosen()) {
    case MakerMode::kEdit:
      RunEditor(*programDirectory, boxes);
      break;
    case MakerMode::kScan: {
      ScanDialog scan(*programDirectory, boxes);
      scan.exec();
      break;
    }
    case MakerMode::kNone:
      break;
  }
  return 0;
}

}  // namespace tavrel
