// Load on the manager's HTTP interface: POST /get_opc_db requests per second for a project of
// 100,000 tags, served in this process over loopback, one kept-alive connection, one request
// at a time (the interface serves requests one after another anyway).
//
//   manager_http_load [seconds]     default 5
//
// Each request loads and parses the project file, converts it from GBK to UTF-8, sends it and
// appends a line to the daily log, as the installed manager does.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "common/daily_log.h"
#include "common/project_file.h"
#include "manager/bridge_control.h"
#include "manager/configuration_interface.h"
#include "manager/http_server.h"
#include "manager/loopback_http_client.h"
#include "manager/manager_test_support.h"
#include "manager/process_test_support.h"

namespace tavrel {

namespace {

constexpr int kServers = 10;
constexpr int kGroupsPerServer = 10;
constexpr int kTagsPerGroup = 1000;

std::vector<ProjectServerRecord> LargeProject() {
  std::vector<ProjectServerRecord> servers(kServers);
  for (int s = 0; s < kServers; ++s) {
    ProjectServerRecord& server = servers[s];
    server.name = "服务器" + std::to_string(s);
    server.sid = "Sim.Server." + std::to_string(s);
    server.clsid = "{4F2A8C31-7D0E-4B6A-9C15-2E8F0A6B3D" + std::to_string(10 + s) + "}";
    server.outtime = "120";
    server.groups.resize(kGroupsPerServer);
    for (int g = 0; g < kGroupsPerServer; ++g) {
      ProjectGroupRecord& group = server.groups[g];
      group.name = "组" + std::to_string(g);
      group.uptime = "1000";
      group.language_id = "1033";
      group.active_state = "1";
      group.datachange_type = "1";
      group.cycle_time = "3000";
      group.additem = "0";
      for (int t = 0; t < kTagsPerGroup; ++t) {
        group.tags.push_back({"Channel" + std::to_string(g) + ".Device" + std::to_string(s) +
                                  ".Tag" + std::to_string(t),
                              t % 2 == 0 ? 4 : 3, 1 + t % 3});
      }
    }
  }
  return servers;
}

}  // namespace

}  // namespace tavrel

int main(int argc, char** argv) {
  using namespace tavrel;
  const std::chrono::seconds duration(argc > 1 ? std::atoi(argv[1]) : 5);
  const TemporaryInstallation folder;
  if (!SaveProjectFile(folder.File(kProjectFileName), LargeProject())) {
    std::fprintf(stderr, "cannot write the project file\n");
    return 1;
  }
  const DailyLog log(folder.path());
  const BridgeControl bridge(folder.path(), UniqueBridgeName());
  const ConfigurationInterface interface(folder.path(), log, bridge);
  const HttpServerThread server(
      0, [&interface](evhttp_request* request) { interface.HandleHttpRequest(request); }, log);
  LoopbackHttpClient client(server.boundPort());
  const std::optional<HttpReply> first = client.Post("/get_opc_db");
  if (!server.listening() || !first || first->status != 200 || first->body.empty()) {
    std::fprintf(stderr, "the server did not answer\n");
    return 1;
  }

  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  long requests = 0;
  while (Clock::now() - start < duration) {
    const std::optional<HttpReply> reply = client.Post("/get_opc_db");
    if (!reply || reply->body.size() != first->body.size()) {
      std::fprintf(stderr, "request %ld failed\n", requests + 1);
      return 1;
    }
    ++requests;
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("POST /get_opc_db, %d tags, project file %zu bytes, reply %zu bytes\n",
              kServers * kGroupsPerServer * kTagsPerGroup, folder.Read(kProjectFileName).size(),
              first->body.size());
  std::printf("%ld requests in %.2f s: %.1f requests/s, %.2f ms each\n", requests, seconds,
              requests / seconds, 1000.0 * seconds / static_cast<double>(requests));
  return 0;
}
