// The maker's ways of filling a group with many tags, on Qt's offscreen platform and the
// simulated servers:
//   - the CSV import of a file of 100,000 lines through the editor (read, parse, tags, list);
//   - the deep scan of a tree and a flat server whose Bulk branch holds 100,000 items, in items
//     written to the tag list file per second;
//   - the attribute match of 10,000 tags against the server, in tags per second;
//   - the "Add Tag" browser listing the leaves of that Bulk branch and adding all of them;
//   - the editor's match of all 100,000 imported tags through its dialog, and the longest time
//     the window's event loop went without turning meanwhile (its responsiveness).
// Prints the median, fastest and slowest of several runs. Build with optimisation before
// reading the figures.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "common/test_files.h"
#include "maker/online/server_link.h"
#include "maker/online/server_scan.h"
#include "maker/online/tag_match.h"
#include "maker/ui/add_tag_dialog.h"
#include "maker/ui/editor_window.h"
#include "platform/com/com.h"
#include "platform/com/com_apartment.h"
#include "platform/com/linux/class_registry.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcsim/simulated_servers.h"

namespace tavrel {

namespace {

constexpr int kCsvLines = 100000;
constexpr int kBulkItems = 100000;
constexpr int kMatchTags = 10000;
constexpr int kRuns = 5;
constexpr char kTreeClsid[] = "{B0B0B0B0-0000-4000-8000-000000000001}";
constexpr char kFlatClsid[] = "{B0B0B0B0-0000-4000-8000-000000000002}";

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

void Print(const char* what, std::vector<double> values, const char* unit) {
  std::sort(values.begin(), values.end());
  std::printf("  %-44s %12.1f %12.1f %12.1f  %s\n", what, values[values.size() / 2], values.front(),
              values.back(), unit);
}

// Prints messages and answers every question Yes (OK).
class AnsweringYes final : public MessageBoxes {
 public:
  void Inform(const std::string& text, const std::string&) override {
    std::fprintf(stderr, "message: %.200s\n", text.c_str());
  }
  bool AskYesNo(const std::string&, const std::string&) override { return true; }
};

class CountingListener final : public ScanListener {
 public:
  void AddLine(const std::string& text, bool) override {
    if (text.find("失败") != std::string::npos) std::fprintf(stderr, "%s\n", text.c_str());
  }
  void ReportProgress(const ScanProgress& progress) override { items = progress.itemsFound; }
  std::size_t items = 0;
};

bool RegisterBulkServers(const TestDirectory& directory) {
  const std::string bulk = "bulk_items = " + std::to_string(kBulkItems) + "\n";
  WriteTestFile(directory / "com_registry.conf",
                std::string("[class]\nprogid = Bench.Tree.1\nclsid = ") + kTreeClsid +
                    "\nimplementation = OPCSim.Tree.1\n" + bulk +
                    "\n[class]\nprogid = Bench.Flat.1\nclsid = " + kFlatClsid +
                    "\nimplementation = OPCSim.Flat.1\n" + bulk);
  return ClassRegistry::Instance().LoadFile(directory / "com_registry.conf").empty();
}

std::vector<double> CsvImportMilliseconds(const TestDirectory& directory) {
  std::string csv = "id___opc,vt,dir\n";
  for (int line = 0; line < kCsvLines; ++line) {
    char id[32];
    std::snprintf(id, sizeof id, "Bulk.Item%05d", line);
    csv += std::string(id) + ",5,3\n";
  }
  WriteTestFile(directory / "tags.csv", csv);
  WriteTestFile(directory / "opc_db.xml",
                "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n<root>\r\n<server name=\"S1\" "
                "sid=\"Bench.Tree.1\">\r\n<group name=\"G1\"/>\r\n</server>\r\n</root>\r\n");
  AnsweringYes boxes;
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    EditorWindow window(directory.Path(), boxes);
    window.show();
    QApplication::processEvents();
    GroupNode& group = *window.Project().servers.at(0)->groups.at(0);
    window.Tree().setCurrentIndex(window.TreeModel().IndexOf(group));
    window.SetCsvFileChooser([&] { return directory / "tags.csv"; });
    const Clock::time_point start = Clock::now();
    window.LoadTagsFromDisk();
    window.TagList().repaint();
    QApplication::processEvents();
    times.push_back(Seconds(Clock::now() - start) * 1000);
    if (group.tags.size() != kCsvLines) std::fprintf(stderr, "%zu tags\n", group.tags.size());
  }
  return times;
}

// The editor's match of all tags of its group: the whole time and the longest gap between two
// turns of a 10 ms timer while it ran, both in ms.
std::pair<double, double> EditorMatchMilliseconds(const TestDirectory& directory,
                                                  MessageBoxes& boxes) {
  EditorWindow window(directory.Path(), boxes);
  window.show();
  GroupNode& group = *window.Project().servers.at(0)->groups.at(0);
  window.Tree().setCurrentIndex(window.TreeModel().IndexOf(group));
  window.SetCsvFileChooser([&] { return directory / "tags.csv"; });
  window.LoadTagsFromDisk();
  window.Project().servers.at(0)->settings.clsid = kTreeClsid;

  QElapsedTimer sinceTurn;
  double longestGap = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    longestGap = std::max(longestGap, static_cast<double>(sinceTurn.restart()));
  });
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    sinceTurn.start();
    ticker.start(10);
    dialog->findChild<QPushButton*>(QStringLiteral("begin"))->click();
  });
  const Clock::time_point start = Clock::now();
  window.AutoMatchTagAttributes();
  ticker.stop();
  return {Seconds(Clock::now() - start) * 1000, longestGap};
}

// The browser on the tree server: listing the Bulk branch's leaves, then adding them all in
// the batch mode; both in ms.
std::pair<double, double> AddTagMilliseconds(MessageBoxes& boxes) {
  ServerNode server;
  server.settings.clsid = kTreeClsid;
  if (!ConnectServer(server, boxes)) return {0, 0};
  AddTagDialog dialog(*server.link, boxes);
  dialog.show();
  QTreeWidgetItem* root = dialog.Tree().topLevelItem(0);
  QTreeWidgetItem* bulk = nullptr;
  for (int i = 0; root != nullptr && i < root->childCount(); ++i) {
    if (root->child(i)->text(0) == QStringLiteral("Bulk")) bulk = root->child(i);
  }
  if (bulk == nullptr) return {0, 0};
  Clock::time_point start = Clock::now();
  dialog.Tree().setCurrentItem(bulk);
  dialog.ShownList().repaint();
  const double listing = Seconds(Clock::now() - start) * 1000;
  dialog.ShownList().selectAll();
  start = Clock::now();
  dialog.AddChosen();
  dialog.SelectedList().repaint();
  const double adding = Seconds(Clock::now() - start) * 1000;
  if (dialog.Selected().size() != kBulkItems) {
    std::fprintf(stderr, "%zu tags selected\n", dialog.Selected().size());
  }
  return {listing, adding};
}

std::vector<double> ScanItemsPerSecond(const std::string& programDirectory, const char* progId,
                                       const char* clsid) {
  std::vector<double> rates;
  for (int run = 0; run < kRuns; ++run) {
    ScanRequest request;
    request.programDirectory = programDirectory;
    request.servers.push_back({progId, clsid});
    CountingListener listener;
    const Clock::time_point start = Clock::now();
    RunServerScan(request, listener, {});
    rates.push_back(static_cast<double>(listener.items) / Seconds(Clock::now() - start));
  }
  return rates;
}

std::vector<double> MatchTagsPerSecond(MessageBoxes& boxes) {
  std::vector<double> rates;
  for (int run = 0; run < kRuns; ++run) {
    ServerNode server;
    server.settings.clsid = kTreeClsid;
    if (!ConnectServer(server, boxes)) return {0};
    GroupNode group(&server);
    for (int i = 0; i < kMatchTags; ++i) {
      auto& tag = group.tags.emplace_back(std::make_unique<TagNode>(&group));
      char id[32];
      std::snprintf(id, sizeof id, "Bulk.Item%05d", i * (kBulkItems / kMatchTags));
      tag->id = id;
    }
    std::string errors;
    const Clock::time_point start = Clock::now();
    for (std::size_t from = 0; from < group.tags.size(); from += kMatchChunk) {
      MatchTagRange(server.link->Items(), group.tags, from,
                    std::min(group.tags.size(), from + kMatchChunk), errors);
    }
    rates.push_back(kMatchTags / Seconds(Clock::now() - start));
    if (!errors.empty()) std::fprintf(stderr, "match errors: %.80s\n", errors.c_str());
  }
  return rates;
}

}  // namespace

}  // namespace tavrel

int main(int argc, char** argv) {
  using namespace tavrel;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const ComApartment apartment;
  RegisterOpcCoreClasses();
  opcsim::RegisterSimulatedServers();
  TestDirectory directory;
  std::filesystem::create_directory(directory / "servers");
  if (!RegisterBulkServers(directory)) {
    std::fputs("the registry file of the bench servers was refused\n", stderr);
    return 1;
  }
  AnsweringYes boxes;
  std::printf("%d runs each: median, fastest, slowest\n", kRuns);
  Print("CSV import of 100,000 lines (editor)", CsvImportMilliseconds(directory), "ms");
  Print("deep scan, tree server, Bulk of 100,000",
        ScanItemsPerSecond(directory.Path(), "Bench.Tree.1", kTreeClsid), "items/s");
  Print("deep scan, flat server, Bulk of 100,000",
        ScanItemsPerSecond(directory.Path(), "Bench.Flat.1", kFlatClsid), "items/s");
  Print("auto match of 10,000 tags", MatchTagsPerSecond(boxes), "tags/s");
  const auto [listing, adding] = AddTagMilliseconds(boxes);
  std::printf("  %-44s %12.1f ms\n", "Add Tag: list the 100,000 Bulk leaves", listing);
  std::printf("  %-44s %12.1f ms\n", "Add Tag: add them all (batch mode)", adding);
  const auto [matchTime, longestGap] = EditorMatchMilliseconds(directory, boxes);
  std::printf("  %-44s %12.1f ms, the event loop waited at most %.1f ms\n",
              "editor match of 100,000 tags (dialog)", matchTime, longestGap);
  return 0;
}
