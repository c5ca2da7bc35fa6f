// The bridge's main panel over a group of 100,000 tags whose values change 1,000,000 times a
// second: what the open panel costs the user-interface thread.
//
// A writer thread applies values to the tags round-robin (at most 1,000,000 per second) while
// the panel shows the group, on whatever display Qt finds (QT_QPA_PLATFORM=offscreen works).
// Prints the time to show the group, the updates per second applied, and the user-interface
// thread's CPU time as a share of one core, with the panel visible and hidden.
//
// Target: the visible panel takes at most 10 % of one core.
//
// Run under an accessibility bus to see what the accessible table adds to showing the group:
//   xvfb-run -a dbus-run-session -- sh -c '/usr/libexec/at-spi-bus-launcher --launch-immediately &
//     sleep 1; QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 build/bench/main_panel_load'
// A group is shown by resetting the grid's model, which announces one change to the bus, not
// one per row.
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "bridge/core/bridge_project.h"
#include "bridge/ui/main_panel.h"

namespace tavrel {

namespace {

using namespace std::chrono_literals;

constexpr int kTags = 100'000;
constexpr double kUpdatesPerSecond = 1'000'000;
constexpr auto kMeasure = 5s;

class SilentMessageBoxes final : public MessageBoxes {
 public:
  void Inform(const std::string&, const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
};

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

std::unique_ptr<BridgeProject> LargeProject() {
  ProjectGroupRecord group;
  group.name = "Load";
  group.desc = "100,000 tags";
  for (int tag = 0; tag < kTags; ++tag) group.tags.push_back({"Bulk." + std::to_string(tag), 5, 1});
  ProjectServerRecord server;
  server.name = "Sim";
  server.groups = {group};
  return std::make_unique<BridgeProject>(std::vector<ProjectServerRecord>{server});
}

// Runs the event loop for kMeasure; returns the CPU share of one core this thread used.
double MeasureEventLoop() {
  const double cpuBefore = ThreadCpuSeconds();
  QElapsedTimer wall;
  wall.start();
  QEventLoop loop;
  QTimer::singleShot(kMeasure, &loop, &QEventLoop::quit);
  loop.exec();
  return (ThreadCpuSeconds() - cpuBefore) / (static_cast<double>(wall.elapsed()) / 1000.0);
}

}  // namespace

}  // namespace tavrel

int main(int argc, char** argv) {
  using namespace tavrel;
  QApplication application(argc, argv);
  const auto project = LargeProject();
  QTemporaryDir directory;
  BridgeLog log(directory.path().toStdString());
  SilentMessageBoxes boxes;
  MainPanel panel({.project = *project, .log = log, .serverConnected = {}}, boxes);

  std::atomic<bool> stop{false};
  std::atomic<long long> applied{0};
  std::jthread writer([&] {
    const auto start = std::chrono::steady_clock::now();
    long long count = 0;
    while (!stop.load(std::memory_order_relaxed)) {
      const auto due = static_cast<long long>(
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() *
          kUpdatesPerSecond);
      // A slice at a time, so the stop and the clock are looked at often.
      for (const long long end = std::min(due, count + 4096); count < end; ++count) {
        project->FindTag(static_cast<int>(count % kTags))
            ->liveValue.ApplyTextValue(std::to_string(count), "192", WallTime{}, nullptr);
      }
      applied.store(count, std::memory_order_relaxed);
      if (count >= due) std::this_thread::sleep_for(1ms);
    }
  });

  panel.show();
  QElapsedTimer shown;
  shown.start();
  panel.Tree().setCurrentItem(panel.Tree().topLevelItem(0)->child(0)->child(0));
  QApplication::processEvents();
  std::printf("group of %d tags shown in %lld ms\n", kTags,
              static_cast<long long>(shown.elapsed()));

  const long long appliedBefore = applied.load();
  const auto measureStart = std::chrono::steady_clock::now();
  const double visible = MeasureEventLoop();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - measureStart).count();
  std::printf("updates applied: %.0f per second\n",
              static_cast<double>(applied.load() - appliedBefore) / seconds);
  std::printf("panel visible: user-interface thread %.1f %% of one core (target <= 10 %%)\n",
              visible * 100);
  panel.hide();
  const double hidden = MeasureEventLoop();
  std::printf("panel hidden:  user-interface thread %.1f %% of one core\n", hidden * 100);
  stop = true;
  return 0;
}
