// CallJournal: the simulated server's trace of the client calls whose arguments a client
// cannot read back through the interfaces it holds (the client handle a group was added with,
// the transaction id of a refresh), so that a test of a client can check what it sent.
// Thread-safe; every connection of a device writes to the device's journal. It keeps the
// latest kCapacity entries, so a server that runs for months holds no growing trace.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "common/mutex.h"
#include "common/wide_string.h"
#include "platform/com/com_api.h"

namespace tavrel::opcsim {

struct JournalEntry {
  std::string call;    // "AddGroup", "Refresh2"
  WideString group;    // the group's name
  DWORD argument = 0;  // AddGroup: the client group handle; Refresh2: the transaction id
};

class CallJournal {
 public:
  static constexpr std::size_t kCapacity = 1024;

  void Note(std::string_view call, WideStringView group, DWORD argument);
  // The entries of `call`, oldest first.
  std::vector<JournalEntry> Entries(std::string_view call) const;

 private:
  mutable Mutex mutex_;
  std::deque<JournalEntry> entries_ GUARDED_BY(mutex_);
};

}  // namespace tavrel::opcsim
