#include "bridge/opc/repeated_failure_log.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

using namespace std::chrono_literals;

TEST(RepeatedFailureLog, WritesARepeatedFailureOnceAMinuteWithACount) {
  std::vector<std::string> written;
  RepeatedFailureLog::Clock::time_point now{};
  RepeatedFailureLog log([&](const std::string& line) { written.push_back(line); }, 60s,
                         [&] { return now; });
  const std::vector<std::string> a = {"CLSIDFromString Error! x", "CoCreateInstance: Error"};
  const std::vector<std::string> b = {"CoCreateInstance: Error"};
  const std::string counted = "the same failure repeated ";
  const struct {
    std::chrono::seconds at;
    bool works;
    const std::vector<std::string>* lines;
    std::vector<std::string> expected;  // written by this attempt
  } steps[] = {
      {0s, false, &a, a},
      {1s, false, &a, {}},
      {59s, false, &a, {}},
      {60s, false, &a, {a[0], a[1], counted + "2 times since it was last logged"}},
      {61s, false, &a, {}},
      {62s, false, &b, {counted + "1 times since it was last logged", b[0]}},
      {63s, false, &b, {}},
      {64s, true, &a, {counted + "1 times since it was last logged", a[0], a[1]}},
      {65s, false, &b, b},
  };
  for (const auto& step : steps) {
    written.clear();
    now = RepeatedFailureLog::Clock::time_point{} + step.at;
    if (step.works) {
      log.Succeeded(*step.lines);
    } else {
      log.Failed(*step.lines);
    }
    EXPECT_EQ(written, step.expected) << step.at.count();
  }
}

}  // namespace
}  // namespace tavrel
