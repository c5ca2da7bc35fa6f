// ScanRunner: the deep scan (server_scan.h) on a worker thread of its own, reporting to a
// window's thread.
//
// The worker gets everything it needs in the ScanRequest when it starts and touches no widget:
// its lines, its progress and its end reach the receiver through queued calls on the
// receiver's thread (progress at most every kProgressInterval, the last figures always).
// Destroying the runner stops the scan and waits for the worker, so nothing it reports can
// outlive the receiver that owns the runner.
#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <thread>

#include "maker/online/server_scan.h"

inline constexpr std::chrono::milliseconds kProgressInterval{50};

class ScanRunner {
 public:
  // Called on the receiver's thread.
  struct Reports {
    std::function<void(const QString& line, bool timed)> line;
    std::function<void(const ScanProgress&)> progress;
    std::function<void()> finished;
  };

  ScanRunner(QObject& receiver, Reports reports);
  ~ScanRunner();
  ScanRunner(const ScanRunner&) = delete;
  ScanRunner& operator=(const ScanRunner&) = delete;

  // Starts a scan; refused (false) while one runs.
  bool Start(ScanRequest request);
  // Asks the running scan to stop at its next check; returns at once.
  void Cancel();
  // Waits until the worker has ended.
  void Wait();
  // True from Start until the end was reported on the receiver's thread.
  bool IsRunning() const { return running_; }

 private:
  QObject& receiver_;
  Reports reports_;
  bool running_ = false;
  std::jthread worker_;
};
