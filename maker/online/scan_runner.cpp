#include "maker/online/scan_runner.h"

#include "desktop/gbk_text.h"
#include "platform/com/com_apartment.h"

namespace tavrel {

namespace {

using Clock = std::chrono::steady_clock;

// Hands what the scan reports back to the runner's thread.
class PostingListener final : public ScanListener {
 public:
  PostingListener(WindowHandback& handback, const ScanRunner::Reports& reports)
      : handback_(handback), reports_(reports) {}

  void AddLine(const std::string& text, bool timed) override {
    handback_.Post(
        [&reports = reports_, line = FromGbk(text), timed] { reports.line(line, timed); });
  }

  void ReportProgress(const ScanProgress& progress) override {
    const Clock::time_point now = Clock::now();
    const bool serverDone = progress.serversDone != latest_.serversDone;
    latest_ = progress;
    if (!serverDone && now - lastPosted_ < kProgressInterval) return;
    PostLatest();
    lastPosted_ = now;
  }

  // Posts the figures last reported, throttled or not.
  void PostLatest() {
    handback_.Post([&reports = reports_, progress = latest_] { reports.progress(progress); });
  }

 private:
  WindowHandback& handback_;
  const ScanRunner::Reports& reports_;
  ScanProgress latest_;
  Clock::time_point lastPosted_{};
};

}  // namespace

ScanRunner::ScanRunner(Reports reports) : reports_(std::move(reports)) {}

ScanRunner::~ScanRunner() {
  Cancel();
  Wait();
}

bool ScanRunner::Start(ScanRequest request) {
  if (running_) return false;
  Wait();  // the previous worker has reported its end; let its thread go
  running_ = true;
  worker_ = std::jthread([this, request = std::move(request)](std::stop_token stop) {
    const ComApartment apartment;
    PostingListener listener(handback_, reports_);
    RunServerScan(request, listener, stop);
    listener.PostLatest();
    handback_.Post([this] {
      running_ = false;
      reports_.finished();
    });
  });
  return true;
}

void ScanRunner::Cancel() { worker_.request_stop(); }

void ScanRunner::Wait() {
  if (worker_.joinable()) worker_.join();
}

}  // namespace tavrel
