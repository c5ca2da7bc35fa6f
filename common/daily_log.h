// The programs' log files in <ProgramDirectory>/log.
//
//   daily log        log/YYYYMMDD.txt       stamp, " ", text, CR LF   bridge and manager
//   check log        log/checkYYYYMMDD.txt  stamp, " ", text, CR LF   bridge
//   named text file  log/<name>.txt         the caller's text as is   bridge
//
// The stamp is FormatLogTime's (local time with milliseconds, 23 characters); the date in a
// file name is the local date of the same clock reading, so each line lands in the file of
// the day its stamp shows. Text is 8-bit GBK and written unchanged.
//
// Every write opens the file for appending (creating the file, never the `log` directory),
// writes the whole line with a single write() and closes the file. On a local file system
// an O_APPEND write (on Windows, one through a handle with append access only) is placed and
// written as one piece, so lines written at the same time by
// several threads, or by the bridge and the manager into the same daily file, never mix
// within a line; their order is the order in which the writes reach the kernel. A line that
// cannot be written (no `log` directory, no permission, disk full) is lost without a message.
#pragma once

#include <string>
#include <string_view>

#include "common/log_time.h"

namespace tavrel {

// stamp + " " + text + CR LF.
std::string FormatLogLine(WallTime now, std::string_view text);

// Appends `bytes` to `path` with one write(), creating the file but not its directory.
// True when every byte was written.
bool AppendToFile(const std::string& path, std::string_view bytes);

class DailyLog {
 public:
  // Logs into `programDirectory` + "/log", taking dates and stamps from `clock`.
  explicit DailyLog(std::string programDirectory, WallClock clock = SystemWallTime);

  // The daily log file of the local date of `now`.
  std::string DailyLogPath(WallTime now) const;
  // The check log file of the local date of `now`.
  std::string CheckLogPath(WallTime now) const;

  // Appends one stamped line to today's daily log. True when it was written.
  bool WriteLogLine(std::string_view text) const;
  // Appends one stamped line to today's check log.
  bool WriteCheckLine(std::string_view text) const;
  // Appends `text` unchanged to log/<name>.txt. A name that is not a plain file name
  // (IsPlainFileName) is refused, so a name from a peer cannot reach outside `log`.
  bool WriteLogText(std::string_view name, std::string_view text) const;

  // A reading of the clock this log stamps with.
  WallTime Now() const { return clock_(); }

 private:
  std::string DatedPath(std::string_view prefix, WallTime now) const;

  std::string logDirectory_;
  WallClock clock_;
};

}  // namespace tavrel
