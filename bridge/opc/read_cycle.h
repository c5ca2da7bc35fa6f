// ReadCycle: the read cycle of a connection's groups, run on each tick of the poll timer.
//
// An active group (flag 1) is served when its cycle time has passed since it was last served
// (or since the start): in cache-read mode each item is read from the server's cache, in
// call-back mode a refresh from the device is asked (transaction 6015) whose values come back
// through the data call-back, in property-read mode the items' properties 2 (value) and 3
// (quality) are read. Each served group is logged with the local time and followed by a short
// pause. The worker owns the cycle.
#pragma once

#include <functional>
#include <vector>

#include "bridge/opc/connection_parts.h"
#include "common/period_timer.h"

namespace tavrel {

class ReadCycle {
 public:
  enum class Outcome { kDone, kGroupLost };

  // Starts every group's cycle period now.
  explicit ReadCycle(ConnectionParts& parts);

  // One tick. `pause` waits after each served group. kGroupLost: an active group has no
  // interface; the cycle stopped there and the connection must be dropped.
  Outcome Run(const std::function<void()>& pause);

  // The server's IOPCItemProperties while a group in property-read mode is registered.
  ComPtr<IOPCItemProperties>& ItemProperties() { return itemProperties_; }

 private:
  void ReadFromCache(const ProjectGroup& group, IOPCSyncIO& syncIO);
  void ReadProperties(const ProjectGroup& group);
  // The property ids (of 1, 2, 3) the server offers for `tag`; asked once per tag.
  const std::vector<DWORD>& PropertyIdsOf(const ProjectTag& tag);

  ConnectionParts& parts_;
  std::vector<PeriodTimer> groupTimers_;
  std::vector<std::vector<DWORD>> propertyIds_;  // by tag index; empty without property reads
  ComPtr<IOPCItemProperties> itemProperties_;
};

}  // namespace tavrel
