// ScanRunner: the deep scan (server_scan.h) on a worker thread of its own, reporting to the
// thread that made the runner (a window's).
//
// The worker gets everything it needs in the ScanRequest when it starts and touches no widget:
// its lines, its progress and its end reach the runner's thread through its WindowHandback
// (progress at most every kProgressInterval, the last figures always). Destroying the runner
// stops the scan and waits for the worker; what the worker posted and was not yet delivered is
// then dropped, so nothing it reports can outlive the runner.
#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <thread>

#include "desktop/window_handback.h"
#include "maker/online/server_scan.h"

namespace tavrel {

inline constexpr std::chrono::milliseconds kProgressInterval{50};

class ScanRunner {
 public:
  // Called on the runner's thread.
  struct Reports {
    std::function<void(const QString& line, bool timed)> line;
    std::function<void(const ScanProgress&)> progress;
    std::function<void()> finished;
  };

  explicit ScanRunner(Reports reports);
  ~ScanRunner();
  ScanRunner(const ScanRunner&) = delete;
  ScanRunner& operator=(const ScanRunner&) = delete;

  // Starts a scan; refused (false) while one runs.
  bool Start(ScanRequest request);
  // Asks the running scan to stop at its next check; returns at once.
  void Cancel();
  // Waits until the worker has ended.
  void Wait();
  // True from Start until the end was reported on the runner's thread.
  bool IsRunning() const { return running_; }

 private:
  Reports reports_;
  bool running_ = false;
  WindowHandback handback_;
  std::jthread worker_;  // declared last: joined before the handback and the reports go
};

}  // namespace tavrel
