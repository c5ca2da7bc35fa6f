// The deep scan of "深度扫描点表并保存": the address space of each chosen server into its tag
// list file, <ProgramDirectory>/servers/<ProgID>.xml (common/browse_files.h).
//
// Lines it reports, in order ("timed" lines start with the local time, FormatLogTime, and a
// blank):
//   找到<n>个SERVER需要扫描!                      untimed, first
//   per server, after the messages of a failed connection (untimed):
//     获取Server[<ProgID>] 点表失败                 cannot connect; next server
//     Server[<ProgID>] 不支持数据浏览               no browsing; the file's "t" stays empty
//     开始遍历SERVER TAG: Leaf mode | Flat mode     the walk of the organisation reported
//     searchLeaf:更改OPC 访问位置出错               a branch could not be entered for its
//     searchBranch:更改OPC 访问位置出错             leaves / its sub-branches; that part is
//                                                   skipped
//     文件已经保存到:<path>                        the file was written (the servers
//                                                   folder is made when it is missing)
//     文件保存失败:<path> (<reason>)               it could not be, with the system's reason
//   扫描结束                                        at the end
//   扫描已取消                                      instead, when the scan was stopped; the
//                                                   server being scanned then gets no file
//
// Walks. Tree: the items of the top level itself first, then each branch in the server's
// order, depth first, the branch's items before its sub-branches; a leaf's id is the fully
// qualified id of GetItemID (a leaf the server cannot name is skipped). Branches deeper than
// kMaxScanDepth are not entered (a server whose branches contain themselves would never end).
// Flat: every string of a flat browse from the top, unchanged. Every item's data type and
// access rights come from adding it to the connection's internal group (0 and 0 when refused);
// the items of one name batch (up to 100) are added in one call. A server whose organisation
// cannot be queried is not walked.
//
// The scan runs on the calling thread, which must be in the multithreaded apartment, and calls
// the listener from it. It checks `stop` between name batches and between servers.
#pragma once

#include <cstddef>
#include <stop_token>
#include <string>
#include <vector>

#include "common/project_file.h"

namespace tavrel {

inline constexpr std::size_t kMaxScanDepth = 32;

struct ScanTarget {
  std::string progId;
  std::string clsid;  // registry form
};

struct ScanRequest {
  std::string programDirectory;
  // Node and credentials (c1 to c4) of the discovery; sid and clsid are taken per target.
  ServerSettings access;
  std::vector<ScanTarget> servers;
};

struct ScanProgress {
  std::size_t serversDone = 0;
  std::size_t serversTotal = 0;
  std::size_t itemsFound = 0;  // over all servers so far
};

class ScanListener {
 public:
  virtual ~ScanListener() = default;
  // `text` is the whole line (the time included for a timed one).
  virtual void AddLine(const std::string& text, bool timed) = 0;
  virtual void ReportProgress(const ScanProgress& progress) = 0;
};

void RunServerScan(const ScanRequest& request, ScanListener& listener, std::stop_token stop);

// "<time> <message>" with the current local time.
std::string TimedLine(const std::string& message);

}  // namespace tavrel
