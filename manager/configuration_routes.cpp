#include "manager/configuration_routes.h"

#include <optional>
#include <string>
#include <utility>

#include "common/browse_files.h"
#include "common/code_page.h"
#include "common/encoding_detection.h"
#include "common/markup_document.h"
#include "common/peer_text.h"
#include "common/project_file.h"

namespace tavrel {

namespace {

// A read route: the document text of the file at `path`, or an empty body when the file
// cannot be read or is not well formed.
HttpAnswer LoadedDocumentAnswer(const std::string& path, std::string_view successLog,
                                std::string failureLog) {
  MarkupDocument document(MarkupBuild::kFull);
  HttpAnswer answer;
  if (document.LoadFile(path)) {
    answer.body = document.GetText();
    answer.logLine = successLog;
  } else {
    answer.logLine = std::move(failureLog);
  }
  return answer;
}

}  // namespace

ConfigurationRoutes::ConfigurationRoutes(std::string programDirectory)
    : programDirectory_(std::move(programDirectory)) {}

HttpAnswer ConfigurationRoutes::Answer(evhttp_cmd_type method, std::string_view uri,
                                       std::string_view body) const {
  if (method != EVHTTP_REQ_POST) {
    HttpAnswer answer;
    answer.kind = ReplyKind::kMethodNotAllowed;
    answer.logLine = "错误的查询类型 d=" + std::to_string(method) + " uri=";
    answer.logLine += PeerTextForLog(uri);
    return answer;
  }
  // Only the routes that read the body convert it, whole: a NUL byte in it stays, so a name
  // that holds one is refused below rather than cut short.
  if (uri == "/get_opc_list") return GetOpcList();
  if (uri == "/get_opc_db") return GetOpcDb();
  if (uri == "/get_opc_tags") return GetOpcTags(Utf8ToAnsi(body));
  if (uri == "/set_opc_db") return SetOpcDb(body);
  HttpAnswer unknown;
  unknown.kind = ReplyKind::kNotFound;
  return unknown;
}

HttpAnswer ConfigurationRoutes::GetOpcList() const {
  return LoadedDocumentAnswer(ServerListPath(programDirectory_), "收到get_opc_list请求,正在回复...",
                              "收到get_opc_list请求，但本地找不到serverlist.xml文件");
}

HttpAnswer ConfigurationRoutes::GetOpcDb() const {
  return LoadedDocumentAnswer(programDirectory_ + "/" + kProjectFileName,
                              "收到get_opc_db请求,正在回复...",
                              "收到get_opc_db请求，但本地找不到opc_db.xml文件");
}

HttpAnswer ConfigurationRoutes::GetOpcTags(std::string_view name) const {
  // The log shows the path the name forms (or would have formed), the peer's name in it cut
  // and escaped.
  const std::string failure = "收到get_opc_tags请求，但本地找不到文件:" + programDirectory_ +
                              "/servers/" + PeerTextForLog(name) + ".xml";
  const std::optional<std::string> path = TagListPath(programDirectory_, name);
  if (!path) {
    // An empty name, "." or "..", or a name holding a path separator or a NUL byte could
    // reach a file outside the servers directory: nothing is read.
    HttpAnswer refused;
    refused.logLine = failure;
    return refused;
  }
  return LoadedDocumentAnswer(*path, "收到get_opc_tags请求,正在回复...", failure);
}

HttpAnswer ConfigurationRoutes::SetOpcDb(std::string_view body) const {
  // Only a well-formed project document is stored, and only a stored one restarts the bridge;
  // the save replaces the file atomically, so a failed one leaves the old project whole.
  MarkupDocument document(MarkupBuild::kFull);
  // The body is UTF-8. One that is not and declares no encoding is taken, as an undeclared
  // file is, for text in the system code page, and stored with the bytes it came with.
  const bool undeclaredBytes = !FindDeclaredEncoding(body) && !IsUtf8Text(body);
  const bool wellFormed = undeclaredBytes ? document.SetText(body, {.undeclaredBytes = true})
                                          : document.SetText(Utf8ToAnsi(body));
  HttpAnswer answer;
  if (!wellFormed || !document.FindElement("root") ||
      !document.SaveFile(programDirectory_ + "/" + kProjectFileName)) {
    answer.body = "设置opc_db内容出错";
    answer.logLine = "收到Set_opc_db请求，设置opc_db内容出错";
  } else {
    answer.logLine = "收到Set_opc_db请求,正在保存opc_db.xml文件...";
    answer.restartBridge = true;
  }
  return answer;
}

}  // namespace tavrel
