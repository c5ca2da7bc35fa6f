// The maker with a large project: a project file of 100,000 tags (one server, ten groups) is
// opened in the editor window, and the server is selected so that the tag list shows all of
// its tags. Prints the time to open (load, tree, first paint) and to fill the tag list
// (selection to painted list), each the median of several runs, on Qt's offscreen platform.
// Build with optimisation before reading the figures.
//
// With an accessibility bus, on an Xvfb display (the offscreen platform has no bus bridge):
//   dbus-run-session -- sh -c '/usr/libexec/at-spi-bus-launcher --launch-immediately & sleep 1;
//     QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb build/bench/maker_open_load'
// Qt sends events only once a listener has registered with the registry for them (as a screen
// reader does). Showing the tags resets the list's model: one change is announced, not one per
// row, and the figures stay those without the bus.
#include <QApplication>
#include <QTableView>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "common/test_files.h"
#include "desktop/message_boxes.h"
#include "maker/ui/editor_window.h"

namespace tavrel {

namespace {

constexpr int kGroups = 10;
constexpr int kTagsPerGroup = 10000;
constexpr int kRuns = 7;

using Clock = std::chrono::steady_clock;

class PrintingMessageBoxes final : public MessageBoxes {
 public:
  void Inform(const std::string& text, const std::string&) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
};

void WriteProject(const std::string& directory) {
  MakerProject project;
  auto& server = project.servers.emplace_back(std::make_unique<ServerNode>());
  server->name = "S1";
  server->settings.sid = "OPCSim.Tree.1";
  for (int g = 0; g < kGroups; ++g) {
    auto& group = server->groups.emplace_back(std::make_unique<GroupNode>(server.get()));
    group->name = "G" + std::to_string(g + 1);
    for (int t = 0; t < kTagsPerGroup; ++t) {
      auto& tag = group->tags.emplace_back(std::make_unique<TagNode>(group.get()));
      tag->id = "Plant.Area" + std::to_string(g) + ".Line.Temperature" + std::to_string(t);
      tag->vt = 5;
      tag->dir = 3;
    }
  }
  ProjectStore store(directory + "/" + kProjectFileName);
  std::string error;
  if (!store.Save(project, error))
    std::fprintf(stderr, "cannot write the project: %s\n", error.c_str());
}

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

}  // namespace tavrel

int main(int argc, char** argv) {
  using namespace tavrel;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  TestDirectory directory;
  WriteProject(directory.Path());
  PrintingMessageBoxes boxes;

  std::vector<double> openTimes, fillTimes;
  for (int run = 0; run < kRuns; ++run) {
    const Clock::time_point opening = Clock::now();
    EditorWindow window(directory.Path(), boxes);
    window.show();
    window.repaint();
    QApplication::processEvents();
    openTimes.push_back(Milliseconds(Clock::now() - opening));

    const QModelIndex server = window.TreeModel().IndexOf(*window.Project().servers.at(0));
    const Clock::time_point selecting = Clock::now();
    window.Tree().setCurrentIndex(server);
    window.TagList().repaint();
    QApplication::processEvents();
    fillTimes.push_back(Milliseconds(Clock::now() - selecting));
    if (window.TagModel().rowCount() != kGroups * kTagsPerGroup) {
      std::fprintf(stderr, "the tag list shows %d rows\n", window.TagModel().rowCount());
      return 1;
    }
    window.Tree().setCurrentIndex(window.TreeModel().RootIndex());
  }
  std::printf("project of %d tags, %d runs each (median, fastest, slowest):\n",
              kGroups * kTagsPerGroup, kRuns);
  const auto print = [](const char* what, const std::vector<double>& times) {
    std::printf("  %-28s %8.1f ms %8.1f ms %8.1f ms\n", what, Median(times),
                *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()));
  };
  print("open (load, tree, paint)", openTimes);
  print("fill the tag list (server)", fillTimes);
  return 0;
}
