#include "common/daily_log.h"

#include <time.h>

#include <cstdio>
#include <utility>

#include "common/plain_file_name.h"

namespace tavrel {

std::string FormatLogLine(WallTime now, std::string_view text) {
  std::string line = FormatTagTime(now.seconds, now.milliseconds);
  line.reserve(line.size() + 1 + text.size() + 2);
  line += ' ';
  line += text;
  line += "\r\n";
  return line;
}

DailyLog::DailyLog(std::string programDirectory, WallClock clock)
    : logDirectory_(std::move(programDirectory) + "/log"), clock_(std::move(clock)) {}

std::string DailyLog::DatedPath(std::string_view prefix, WallTime now) const {
  tm local{};
  const time_t seconds = static_cast<time_t>(now.seconds);
  if (localtime_r(&seconds, &local) == nullptr) local = tm{};
  char name[48];
  std::snprintf(name, sizeof name, "%04d%02d%02d.txt", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday);
  std::string path = logDirectory_;
  path += '/';
  path += prefix;
  path += name;
  return path;
}

std::string DailyLog::DailyLogPath(WallTime now) const { return DatedPath("", now); }

std::string DailyLog::CheckLogPath(WallTime now) const { return DatedPath("check", now); }

bool DailyLog::WriteLogLine(std::string_view text) const {
  const WallTime now = clock_();
  return AppendToFile(DailyLogPath(now), FormatLogLine(now, text));
}

bool DailyLog::WriteCheckLine(std::string_view text) const {
  const WallTime now = clock_();
  return AppendToFile(CheckLogPath(now), FormatLogLine(now, text));
}

bool DailyLog::WriteLogText(std::string_view name, std::string_view text) const {
  if (!IsPlainFileName(name)) return false;
  std::string path = logDirectory_;
  path += '/';
  path += name;
  path += ".txt";
  return AppendToFile(path, text);
}

}  // namespace tavrel
