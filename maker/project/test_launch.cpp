#include "maker/project/test_launch.h"

#include "common/markup_document.h"
#include "common/project_file.h"
#include "maker/project/project_store.h"
#include "platform/process/spawn.h"

namespace tavrel {

void LaunchTestClient(const ServerNode& server, const std::string& programDirectory) {
  MarkupDocument document(MarkupBuild::kFull);
  AddServerElement(document, ServerRecordOf(server, RecordDepth::kServerOnly));
  document.SaveFile(programDirectory + "/" + kTestLaunchFileName);
  ReapEndedChildren();  // clients started earlier that have ended
  StartProgram(programDirectory + "/" + kTestClientName, {kTestClientName});
}

}  // namespace tavrel
