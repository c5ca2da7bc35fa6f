#include "platform/opcsim/fault_script.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "common/code_page.h"

namespace tavrel::opcsim {

namespace {

std::vector<std::string> Words(std::string_view text) {
  std::istringstream stream{std::string(text)};
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

std::optional<std::chrono::milliseconds> ReadSeconds(const std::string& text) {
  char* end = nullptr;
  const double seconds = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(seconds >= 0) || seconds > 1e9) return std::nullopt;
  return std::chrono::milliseconds(std::llround(seconds * 1000.0));
}

std::optional<OPCSERVERSTATE> ReadState(const std::string& text) {
  static constexpr std::pair<const char*, OPCSERVERSTATE> kNames[] = {
      {"running", OPC_STATUS_RUNNING},   {"failed", OPC_STATUS_FAILED},
      {"noconfig", OPC_STATUS_NOCONFIG}, {"suspended", OPC_STATUS_SUSPENDED},
      {"test", OPC_STATUS_TEST},         {"commfault", OPC_STATUS_COMM_FAULT},
  };
  for (const auto& [name, state] : kNames) {
    if (text == name) return state;
  }
  if (text.size() == 1 && text[0] >= '1' && text[0] <= '6') {
    return static_cast<OPCSERVERSTATE>(text[0] - '0');
  }
  return std::nullopt;
}

std::optional<FaultAction> ReadAction(const std::string& word) {
  if (word == "state") return FaultAction::kState;
  if (word == "shutdown") return FaultAction::kShutdown;
  if (word == "die") return FaultAction::kDie;
  if (word == "hang") return FaultAction::kHang;
  if (word == "refuse-addgroup") return FaultAction::kRefuseAddGroup;
  if (word == "refuse-browse") return FaultAction::kRefuseBrowse;
  if (word == "reject") return FaultAction::kRejectItems;
  return std::nullopt;
}

// Reads one event; returns an error message or an empty text.
std::string ParseEvent(std::string_view text, FaultEvent* event) {
  std::vector<std::string> words = Words(text);
  if (words.size() < 3 || words[0] != "at") return "expected 'at <seconds> <action>'";
  const auto at = ReadSeconds(words[1]);
  if (!at) return "bad time '" + words[1] + "'";
  event->at = *at;
  const auto action = ReadAction(words[2]);
  if (!action) return "unknown action '" + words[2] + "'";
  event->action = *action;
  std::vector<std::string> arguments(words.begin() + 3, words.end());
  if (event->action == FaultAction::kShutdown) {
    std::string reason;
    for (const std::string& word : arguments) reason += (reason.empty() ? "" : " ") + word;
    event->reason = AnsiToWide(reason);
    return std::string();
  }
  if (arguments.size() >= 2 && arguments[arguments.size() - 2] == "for") {
    event->duration = ReadSeconds(arguments.back());
    if (!event->duration) return "bad duration '" + arguments.back() + "'";
    arguments.resize(arguments.size() - 2);
  }
  switch (event->action) {
    case FaultAction::kState: {
      const auto state = arguments.size() == 1 ? ReadState(arguments[0]) : std::nullopt;
      if (!state) return "state needs one of running, failed, noconfig, suspended, test, commfault";
      event->state = *state;
      return std::string();
    }
    case FaultAction::kRejectItems:
      if (arguments.empty()) return "reject needs item ids";
      for (const std::string& id : arguments) event->itemIds.push_back(AnsiToWide(id));
      return std::string();
    default:
      return arguments.empty() ? std::string() : "unexpected '" + arguments[0] + "'";
  }
}

}  // namespace

bool ParseFaultScript(std::string_view script, std::vector<FaultEvent>* events,
                      std::string* error) {
  events->clear();
  while (!script.empty()) {
    const std::size_t end = script.find(';');
    const std::string_view text = script.substr(0, end);
    script.remove_prefix(end == std::string_view::npos ? script.size() : end + 1);
    if (Words(text).empty()) continue;
    FaultEvent event;
    const std::string problem = ParseEvent(text, &event);
    if (!problem.empty()) {
      *error = "fault '" + std::string(text) + "': " + problem;
      events->clear();
      return false;
    }
    events->push_back(std::move(event));
  }
  return true;
}

}  // namespace tavrel::opcsim
