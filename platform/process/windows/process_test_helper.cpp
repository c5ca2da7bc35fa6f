// The second process of the Windows process tests (process_test.cpp), doing what the programs
// do, as its first argument says:
//   quit <lock>          takes the single-instance lock <lock> (ends with 2 when another process
//                        holds it), listens for quit requests and ends with 0 at the first
//   deaf                 listens for nothing and runs until it is ended
//   slow-start           as quit, but listens only after half a second, as a program that is
//                        still loading
//   request              listens, asks itself to quit from another thread, ends with 0
//   console <c|break>    listens, raises Ctrl+C or Ctrl+Break in a console of its own (ends with 4
//                        when it cannot), ends with 0 at the request
//   stuck-stop           a stop that never finishes, bounded by a 50 ms StopDeadline with code 7
//   finished-stop        a stop that finishes in time; ends with 3 after the deadline's limit
//   echo <file> <args>   writes its program directory and <args> to <file>, each ending in a
//                        null byte
#include <windows.h>

#include <chrono>
#include <fstream>
#include <string_view>
#include <thread>

#include "common/program_directory.h"
#include "platform/process/quit_request.h"
#include "platform/process/single_instance.h"
#include "platform/process/stop_deadline.h"

namespace tavrel {
namespace {

// Listens for quit requests and ends with 0 at the first, as the programs do.
int RunUntilQuit() {
  ListenForQuitRequests();
  WaitForQuitRequest();
  return 0;
}

}  // namespace
}  // namespace tavrel

int main(int argc, char** argv) {
  using namespace tavrel;
  using namespace std::chrono_literals;
  const std::string_view mode = argc > 1 ? argv[1] : "";
  if (mode == "quit" && argc == 3) {
    const SingleInstanceLock lock(argv[2]);
    if (!lock.held()) return 2;
    return RunUntilQuit();
  }
  if (mode == "slow-start") {
    std::this_thread::sleep_for(500ms);
    return RunUntilQuit();
  }
  if (mode == "deaf") {
    Sleep(INFINITE);
  }
  if (mode == "request") {
    ListenForQuitRequests();
    std::thread(RequestQuit).detach();
    WaitForQuitRequest();
    return 0;
  }
  if (mode == "console" && argc == 3) {
    // The event goes to every process of the console: this one's must hold no other.
    FreeConsole();
    if (!AllocConsole()) return 4;
    ListenForQuitRequests();
    const DWORD event = std::string_view(argv[2]) == "c" ? CTRL_C_EVENT : CTRL_BREAK_EVENT;
    if (!GenerateConsoleCtrlEvent(event, 0)) return 4;
    WaitForQuitRequest();
    return 0;
  }
  if (mode == "stuck-stop") {
    const StopDeadline deadline(50ms, 7);
    std::this_thread::sleep_for(30s);
  }
  if (mode == "finished-stop") {
    { const StopDeadline deadline(50ms, 7); }
    std::this_thread::sleep_for(100ms);
    return 3;
  }
  if (mode == "echo" && argc >= 3) {
    std::ofstream file(argv[2], std::ios::binary);
    file << ProgramDirectory().value_or("?") << '\0';
    for (int i = 3; i < argc; ++i) file << argv[i] << '\0';
    return 0;
  }
  return 1;
}
