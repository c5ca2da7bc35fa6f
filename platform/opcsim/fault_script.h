// Fault scripts: faults a simulated server stages by itself at given times, so that tests
// which run the programs as processes can script them in the registry file.
//
// A script is a list of events separated by ";", each
//
//   at <seconds> <action> [arguments] [for <seconds>]
//
// with times counted from the server's start (the first activation of its class; events "at 0"
// are in force before that activation returns) and decimal fractions allowed ("at 2.5"). A
// fault with "for" is undone after that time. Actions:
//
//   state <name|number>        report this state: running, failed, noconfig, suspended, test,
//                              commfault, or 1..6
//   shutdown [reason ...]      send ShutdownRequest with the rest of the event as the reason
//                              (no "for")
//   die                        every call fails with RPC_E_DISCONNECTED; "for" revives
//   hang                       every call blocks; "for" ends the block
//   refuse-addgroup            AddGroup fails
//   refuse-browse              no IOPCBrowseServerAddressSpace for QueryInterface
//   reject <item id> ...       AddItems and ValidateItems refuse these ids
//
// Example: "at 5 state failed for 10; at 20 shutdown maintenance; at 30 die for 2".
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/wide_string.h"
#include "platform/opcda/opc_types.h"

namespace tavrel::opcsim {

enum class FaultAction {
  kState,
  kShutdown,
  kDie,
  kHang,
  kRefuseAddGroup,
  kRefuseBrowse,
  kRejectItems
};

struct FaultEvent {
  std::chrono::milliseconds at{0};
  FaultAction action = FaultAction::kState;
  OPCSERVERSTATE state = OPC_STATUS_RUNNING;  // kState
  WideString reason;                          // kShutdown
  std::vector<WideString> itemIds;            // kRejectItems
  std::optional<std::chrono::milliseconds> duration;
};

// Reads a script whose texts are in the system code page. On an error returns false with a
// message naming the event.
bool ParseFaultScript(std::string_view script, std::vector<FaultEvent>* events, std::string* error);

}  // namespace tavrel::opcsim
