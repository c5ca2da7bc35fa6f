// Loading a large project document: MarkupDocument (SetText and a walk over every element,
// reading attributes) against a DOM-building XML parser's load_buffer of the same text.
// Prints the throughput ratio ours / theirs after the runs. Build with optimisation
// (CMAKE_BUILD_TYPE=Release) before reading the figures.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <pugixml.hpp>
#include <string>

#include "common/markup_document.h"

namespace tavrel {

namespace {

constexpr int kServers = 10;
constexpr int kGroupsPerServer = 10;
constexpr int kTagsPerGroup = 1000;
constexpr int kTags = kServers * kGroupsPerServer * kTagsPerGroup;

// A project document as the project file code writes it: root > server > group > tag, one
// element per line, with the attributes of each kind.
std::string MakeProjectText() {
  std::string text = "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n<root>\r\n";
  for (int server = 0; server < kServers; ++server) {
    const std::string serverName = "Server" + std::to_string(server);
    text += "<server name=\"" + serverName +
            "\" desc=\"simulated\" node=\"127.0.0.1\" sid=\"Demo.Simulator.1\" "
            "clsid=\"{AF7159B0-BD10-4006-8440-E4E4320C61A2}\" "
            "catid=\"{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}\" outtime=\"120\" solution=\"0\" "
            "c1=\"0\" c2=\"\" c3=\"\" c4=\"\">\r\n";
    for (int group = 0; group < kGroupsPerServer; ++group) {
      text += "<group name=\"Group" + std::to_string(group) +
              "\" desc=\"\" uptime=\"1000\" timebis_minutes=\"0\" percent_deadband=\"0\" "
              "language_id=\"1033\" active_state=\"1\" datachange_type=\"1\" "
              "cycle_time=\"3000\" additem=\"0\">\r\n";
      for (int tag = 0; tag < kTagsPerGroup; ++tag) {
        text += "<tag id=\"Plant.Area.Line." + serverName + ".Group" + std::to_string(group) +
                ".Temperature" + std::to_string(100000 + tag) + "\" vt=\"5\" dir=\"3\"/>\r\n";
      }
      text += "</group>\r\n";
    }
    text += "</server>\r\n";
  }
  text += "</root>\r\n";
  return text;
}

const std::string& ProjectText() {
  static const std::string text = MakeProjectText();
  return text;
}

// Steps through every server, group and tag, reading attributes as the bridge's reader does;
// returns the number of tags.
int WalkProject(MarkupDocument& document) {
  int tags = 0;
  if (!document.FindElement("root")) return 0;
  document.EnterElement();
  while (document.FindElement("server")) {
    benchmark::DoNotOptimize(document.GetAttribute("name"));
    document.EnterElement();
    while (document.FindElement("group")) {
      benchmark::DoNotOptimize(document.GetAttribute("uptime"));
      document.EnterElement();
      while (document.FindElement("tag")) {
        benchmark::DoNotOptimize(document.GetAttribute("id"));
        benchmark::DoNotOptimize(document.GetAttribute("vt"));
        ++tags;
      }
      document.LeaveElement();
    }
    document.LeaveElement();
  }
  return tags;
}

void BM_MarkupDocumentSetTextAndWalk(benchmark::State& state) {
  const std::string& text = ProjectText();
  for (auto _ : state) {
    MarkupDocument document;
    if (!document.SetText(text) || WalkProject(document) != kTags) {
      state.SkipWithError("the project was not read whole");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_MarkupDocumentSetTextAndWalk)->Unit(benchmark::kMillisecond);

void BM_PugixmlLoadBuffer(benchmark::State& state) {
  const std::string& text = ProjectText();
  for (auto _ : state) {
    pugi::xml_document document;
    if (!document.load_buffer(text.data(), text.size())) {
      state.SkipWithError("the project did not parse");
      break;
    }
    benchmark::DoNotOptimize(document.first_child());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_PugixmlLoadBuffer)->Unit(benchmark::kMillisecond);

// Building the same project element by element, as a project is saved.
void BM_MarkupDocumentBuildProject(benchmark::State& state) {
  for (auto _ : state) {
    MarkupDocument document;
    document.SetText("<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n");
    document.AddElement("root");
    document.EnterElement();
    for (int server = 0; server < kServers; ++server) {
      document.AddElement("server");
      document.SetAttribute("name", "Server" + std::to_string(server));
      document.EnterElement();
      for (int group = 0; group < kGroupsPerServer; ++group) {
        document.AddElement("group");
        document.SetAttribute("name", "Group" + std::to_string(group));
        document.EnterElement();
        for (int tag = 0; tag < kTagsPerGroup; ++tag) {
          document.AddElement("tag");
          document.SetAttribute("id", "Temperature" + std::to_string(tag));
          document.SetAttribute("vt", 5);
          document.SetAttribute("dir", 3);
        }
        document.LeaveElement();
      }
      document.LeaveElement();
    }
    benchmark::DoNotOptimize(document.GetText().size());
  }
  state.SetItemsProcessed(state.iterations() * kTags);
}
BENCHMARK(BM_MarkupDocumentBuildProject)->Unit(benchmark::kMillisecond);

// Keeps the real time per iteration of every run it reports.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.error_occurred && run.aggregate_name.empty()) {
        realTimes_[run.benchmark_name()] = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  const std::map<std::string, double>& realTimes() const { return realTimes_; }

 private:
  std::map<std::string, double> realTimes_;
};

}  // namespace

}  // namespace tavrel

int main(int argc, char** argv) {
  using namespace tavrel;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::printf("project document: %d tags, %.1f MB\n", kTags, ProjectText().size() / 1e6);
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& times = reporter.realTimes();
  const auto ours = times.find("BM_MarkupDocumentSetTextAndWalk");
  const auto theirs = times.find("BM_PugixmlLoadBuffer");
  if (ours != times.end() && theirs != times.end() && ours->second > 0) {
    // The same bytes in both runs: the ratio of throughputs is the inverse ratio of times.
    std::printf("throughput ratio MarkupDocument (SetText + walk) / load_buffer: %.2f\n",
                theirs->second / ours->second);
  }
  benchmark::Shutdown();
  return 0;
}
