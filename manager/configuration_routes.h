// The four operations of the HTTP configuration interface, apart from the HTTP library.
//
//   POST /get_opc_list   the server list file servers/serverlist.xml
//   POST /get_opc_db     the project file opc_db.xml
//   POST /get_opc_tags   the tag list file servers/<body>.xml
//   POST /set_opc_db     the body becomes opc_db.xml, then the bridge restarts
//
// The request body is UTF-8 and is converted to the system code page (GBK) before use (a
// project document that is no UTF-8 and declares no encoding is taken to be GBK already); reply
// bodies are made in the system code page and sent as UTF-8. Files are moved as whole
// documents: a reply is the document text as loaded (declaration, white space and comments
// included; an XML body under a JSON content type, as the remote tool expects). Every answer
// to a served route has status 200; a failure shows as an empty body (or, for /set_opc_db,
// the error text) and in the daily log.
//
// The URI is compared byte for byte with the four paths, so a query string makes it unknown.
// A request that is not a POST is answered 405 and one to an unknown path 404, both with empty
// bodies, so that no peer waits on a connection that would never be answered.
#pragma once

#include <event2/http.h>

#include <string>
#include <string_view>

namespace tavrel {

enum class ReplyKind {
  kJson,              // 200 OK, Content-Type application/json; charset=UTF-8, the body
  kNotFound,          // 404, empty body
  kMethodNotAllowed,  // 405, Allow: POST, empty body
};

struct HttpAnswer {
  ReplyKind kind = ReplyKind::kJson;
  std::string body;     // system code page
  std::string logLine;  // written to the daily log after the reply is sent; empty: none
  // After the log line: StopBridge, then StartBridge.
  bool restartBridge = false;
};

class ConfigurationRoutes {
 public:
  explicit ConfigurationRoutes(std::string programDirectory);

  // The answer to a request with libevent's method code `method`, the request-target `uri`
  // exactly as received and the UTF-8 request `body`. Reads and writes the files, but leaves
  // sending, logging and the bridge restart to the caller, in that order.
  HttpAnswer Answer(evhttp_cmd_type method, std::string_view uri, std::string_view body) const;

 private:
  HttpAnswer GetOpcList() const;
  HttpAnswer GetOpcDb() const;
  HttpAnswer GetOpcTags(std::string_view name) const;
  HttpAnswer SetOpcDb(std::string_view body) const;

  std::string programDirectory_;
};

}  // namespace tavrel
