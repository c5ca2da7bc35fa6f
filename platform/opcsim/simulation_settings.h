// The settings of one simulated server: its timing, the size of its Bulk branch and its fault
// script. A class declared in the registry file sets them with these keys:
//
//   min_update_rate = 10     the fastest group update rate in ms; slower requests are kept,
//                            faster ones are revised to it
//   signal_period = 1000     ms per step of the Random, Ramp, Sine, Square and other signals
//   bulk_period = 100        ms between changes of the Bulk items
//   bulk_items = 1000        number of Bulk items
//   sync_io = 1              0: groups offer no IOPCSyncIO, so clients write asynchronously
//   faults = at 5 die for 2  the fault script (fault_script.h)
//
// Other keys are left to others.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "platform/opcsim/fault_script.h"

namespace tavrel::opcsim {

struct SimulationSettings {
  std::chrono::milliseconds minimumUpdateRate{10};
  std::chrono::milliseconds signalPeriod{1000};
  std::chrono::milliseconds bulkPeriod{100};
  std::size_t bulkItemCount = 1000;
  bool offersSyncIo = true;
  std::vector<FaultEvent> faultScript;
};

// Applies the keys above found in `settings` to `*result`; returns one message per key whose
// value is not valid (that key is then left as it was).
std::vector<std::string> ReadSimulationSettings(const std::map<std::string, std::string>& settings,
                                                SimulationSettings* result);

}  // namespace tavrel::opcsim
