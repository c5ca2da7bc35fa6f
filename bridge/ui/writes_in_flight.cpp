#include "bridge/ui/writes_in_flight.h"

#include <algorithm>

namespace tavrel {

WritesInFlight::Id WritesInFlight::Start(std::function<WriteResult()> write, Completion done) {
  Write& entry = writes_.emplace_back(nextId_++, std::move(done));
  entry.thread =
      std::jthread([this, id = entry.id, result = &entry.result, write = std::move(write)] {
        result->emplace(write());
        handback_.Post([this, id] { Finish(id); });
      });
  return entry.id;
}

void WritesInFlight::LetGo(Id id) {
  const auto entry = std::find_if(writes_.begin(), writes_.end(),
                                  [id](const Write& write) { return write.id == id; });
  if (entry != writes_.end()) entry->done = nullptr;
}

void WritesInFlight::Finish(Id id) {
  const auto entry = std::find_if(writes_.begin(), writes_.end(),
                                  [id](const Write& write) { return write.id == id; });
  entry->thread.join();  // the thread has posted this; its result is now safe to read
  const WriteResult result = std::move(*entry->result);
  const Completion done = std::move(entry->done);
  writes_.erase(entry);
  if (done) done(result);
}

}  // namespace tavrel
