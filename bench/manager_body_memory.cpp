// Peak resident memory of the installed manager while it takes large request bodies.
//
//   manager_body_memory <ProgramDirectory> [megabytes]     default 10
//
// Copies the installation folder (without the bridge, so none is started), runs its Morvane,
// and sends it a body of that many megabytes of "<" (every byte a malformed token) to each
// route, then one 1 MB project document to /set_opc_db. Prints the manager's peak resident set
// (VmHWM) after start and, started anew before each request, after it, with the reply status.
// Then 24 peers send 8 MiB each of bodies they never finish, together more than the manager
// keeps: it prints how many were answered 503, the peak, and the resident set (VmRSS) once
// they have all closed.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "manager/loopback_http_client.h"
#include "manager/manager_test_support.h"
#include "platform/net/test_ports.h"
#include "platform/process/spawn.h"

namespace tavrel {

namespace {

// The manager's peak resident set in kB, from /proc/<pid>/status; -1 when unreadable.
long PeakResidentKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmHWM:")) return std::atol(line.c_str() + 6);
  }
  return -1;
}

// The manager's resident set in kB now; -1 when unreadable.
long ResidentKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmRSS:")) return std::atol(line.c_str() + 6);
  }
  return -1;
}

// Connects `peers` sockets to the manager on `port`, sends each the head of a request of 60 MiB
// and `bytes` of its body, then reads what each was answered; returns how many were answered
// 503. The sockets are closed on return.
int UnfinishedBodies(int port, int peers, size_t bytes) {
  std::vector<int> sockets;
  const std::string head =
      "POST /set_opc_db HTTP/1.1\r\nHost: h\r\nContent-Length: 62914560\r\n\r\n";
  const std::string body(bytes, 'b');
  for (int i = 0; i < peers; ++i) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      close(fd);
      continue;
    }
    sockets.push_back(fd);
    const timeval wait{2, 0};  // a refused peer's bytes are no longer read
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    (void)!send(fd, head.data(), head.size(), MSG_NOSIGNAL);
    for (size_t at = 0; at < body.size();) {
      const ssize_t n = send(fd, body.data() + at, body.size() - at, MSG_NOSIGNAL);
      if (n <= 0) break;
      at += static_cast<size_t>(n);
    }
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  int refused = 0;
  for (const int fd : sockets) {
    char answer[64] = {};
    if (recv(fd, answer, sizeof answer - 1, MSG_DONTWAIT) > 0 &&
        std::string_view(answer).starts_with("HTTP/1.1 503")) {
      ++refused;
    }
    close(fd);
  }
  return refused;
}

// Starts the peak anew at the current resident set (Linux 4.0 and later).
void ResetPeak(pid_t pid) { std::ofstream("/proc/" + std::to_string(pid) + "/clear_refs") << "5"; }

}  // namespace

}  // namespace tavrel

int main(int argc, char** argv) {
  using namespace tavrel;
  if (argc < 2) {
    std::fprintf(stderr, "usage: manager_body_memory <ProgramDirectory> [megabytes]\n");
    return 2;
  }
  const size_t megabytes = argc > 2 ? static_cast<size_t>(std::atol(argv[2])) : 10;
  const TemporaryInstallation folder;
  folder.CopyFrom(argv[1]);
  std::filesystem::remove(folder.File("Tavrel"));
  const int port = FreeLoopbackPort();
  folder.Write("config.xml", "<root port_h=\"" + std::to_string(port) + "\"/>");

  const pid_t manager = StartProgram(folder.File("Morvane"));
  if (manager == 0) {
    std::fprintf(stderr, "cannot start %s\n", folder.File("Morvane").c_str());
    return 1;
  }
  bool answered = false;
  Eventually([&] {
    LoopbackHttpClient probe(static_cast<std::uint16_t>(port));
    answered = probe.connected() && probe.Post("/get_opc_list").has_value();
    return answered;
  });
  if (!answered) {
    std::fprintf(stderr, "the manager did not answer\n");
    kill(manager, SIGKILL);
    return 1;
  }
  std::printf("peak resident set after start: %ld kB\n", PeakResidentKb(manager));

  const std::string lessThans(megabytes << 20, '<');
  std::string project = "<root>";
  while (project.size() < (1u << 20)) project += "<server name=\"s\" sid=\"Sim.Server.1\"/>\r\n";
  project += "</root>";
  const struct {
    const char* route;
    const std::string& body;
  } requests[] = {{"/get_opc_list", lessThans},
                  {"/get_opc_tags", lessThans},
                  {"/set_opc_db", lessThans},
                  {"/set_opc_db", project}};
  for (const auto& request : requests) {
    ResetPeak(manager);
    LoopbackHttpClient client(static_cast<std::uint16_t>(port), std::chrono::seconds(120));
    const std::optional<HttpReply> reply = client.Post(request.route, request.body);
    std::printf("POST %-14s %8zu bytes: status %3d, peak resident set %ld kB\n", request.route,
                request.body.size(), reply ? reply->status : 0, PeakResidentKb(manager));
  }
  ResetPeak(manager);
  const int refused = UnfinishedBodies(port, 24, size_t{8} << 20);
  const long peak = PeakResidentKb(manager);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  std::printf(
      "24 unfinished bodies of 8 MiB: %d answered 503, peak resident set %ld kB, "
      "resident set %ld kB once closed\n",
      refused, peak, ResidentKb(manager));
  kill(manager, SIGTERM);
  waitpid(manager, nullptr, 0);
  return 0;
}
