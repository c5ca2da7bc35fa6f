#include "platform/opcsim/call_journal.h"

namespace tavrel::opcsim {

void CallJournal::Note(std::string_view call, WideStringView group, DWORD argument) {
  MutexLock lock(mutex_);
  if (entries_.size() == kCapacity) entries_.pop_front();
  entries_.push_back({std::string(call), WideString(group), argument});
}

std::vector<JournalEntry> CallJournal::Entries(std::string_view call) const {
  MutexLock lock(mutex_);
  std::vector<JournalEntry> found;
  for (const JournalEntry& entry : entries_) {
    if (entry.call == call) found.push_back(entry);
  }
  return found;
}

}  // namespace tavrel::opcsim
