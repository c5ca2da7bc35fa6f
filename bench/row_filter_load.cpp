// Find and sort over 100,000 rows: a table of tag ids (GBK text converted for the widget, as
// the programs' tag lists do) behind RowFilter and a table view on Qt's offscreen platform.
// Prints the time of the first filter (which reads the column from the model), of later
// keystrokes, of clearing the filter and of sorting by the id and the index column, each the
// median of several runs. Build with optimisation before reading the figures.
#include <QApplication>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "desktop/gbk_text.h"
#include "desktop/row_filter.h"
#include "desktop/titled_table_model.h"

namespace tavrel {

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 7;

using Clock = std::chrono::steady_clock;

class IdTable final : public TitledTableModel {
 public:
  IdTable() : TitledTableModel({"INDEX", "ID"}) {
    ids_.reserve(kRows);
    for (int row = 0; row < kRows; ++row) {
      ids_.push_back("Plant.Area" + std::to_string(row % 10) + ".Line.Temperature" +
                     std::to_string(row));
    }
  }

 private:
  int RowCount() const override { return static_cast<int>(ids_.size()); }
  QVariant Cell(int row, int column) const override {
    if (column == 0) return row + 1;
    return FromGbk(ids_[static_cast<size_t>(row)]);
  }

  std::vector<std::string> ids_;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The milliseconds `step` takes with the view brought up to date, median of kRuns; `before`
// runs untimed ahead of each run.
template <typename Before, typename Step>
double Time(Before before, Step step, QTableView& view) {
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    before();
    QApplication::processEvents();
    const Clock::time_point start = Clock::now();
    step();
    view.repaint();
    QApplication::processEvents();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return Median(times);
}

}  // namespace

}  // namespace tavrel

int main(int argc, char** argv) {
  using namespace tavrel;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  IdTable table;
  RowFilter filter;
  filter.setFilterKeyColumn(1);
  filter.setSourceModel(&table);
  QTableView view;
  view.setModel(&filter);
  view.resize(800, 600);
  view.show();

  const auto text = [&](const char* value) { filter.SetFilterText(QString::fromLatin1(value)); };
  // A fresh model each run: the first filter reads the whole id column.
  const double first = Time(
      [&] {
        text("");
        filter.setSourceModel(&table);
      },
      [&] { text("area3"); }, view);
  const double narrow =
      Time([&] { text("area3"); }, [&] { text("AREA3.LINE.TEMPERATURE12"); }, view);
  const double widen = Time([&] { text("temperature12"); }, [&] { text("temperature1"); }, view);
  const double clear = Time([&] { text("area3"); }, [&] { text(""); }, view);
  const double byId = Time([&] { filter.sort(-1); }, [&] { filter.sort(1); }, view);
  const double byIndex =
      Time([&] { filter.sort(-1); }, [&] { filter.sort(0, Qt::DescendingOrder); }, view);
  filter.sort(-1);
  text("temperature99999");
  if (filter.rowCount() != 1) {
    std::fprintf(stderr, "the filter keeps %d rows, expected 1\n", filter.rowCount());
    return 1;
  }
  std::printf("%d rows, median of %d runs:\n", kRows, kRuns);
  std::printf("  %-44s %8.1f ms\n", "first filter (reads the id column)", first);
  std::printf("  %-44s %8.1f ms\n", "narrowing keystroke", narrow);
  std::printf("  %-44s %8.1f ms\n", "widening keystroke (11,111 rows kept)", widen);
  std::printf("  %-44s %8.1f ms\n", "clearing the filter", clear);
  std::printf("  %-44s %8.1f ms\n", "sort by id", byId);
  std::printf("  %-44s %8.1f ms\n", "sort by index, descending", byIndex);
  return 0;
}
