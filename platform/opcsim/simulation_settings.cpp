#include "platform/opcsim/simulation_settings.h"

#include <charconv>
#include <optional>

namespace tavrel::opcsim {

namespace {

constexpr unsigned long long kLargestPeriodMs = 24ull * 3600 * 1000;
constexpr unsigned long long kLargestBulkCount = 10'000'000;

std::optional<unsigned long long> ReadWhole(const std::string& text, unsigned long long lowest,
                                            unsigned long long highest) {
  unsigned long long value = 0;
  const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (status != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < lowest || value > highest) return std::nullopt;
  return value;
}

}  // namespace

std::vector<std::string> ReadSimulationSettings(const std::map<std::string, std::string>& settings,
                                                SimulationSettings* result) {
  std::vector<std::string> errors;
  const auto period = [&](const char* key, std::chrono::milliseconds* target) {
    const auto found = settings.find(key);
    if (found == settings.end()) return;
    const auto value = ReadWhole(found->second, 1, kLargestPeriodMs);
    if (value) {
      *target = std::chrono::milliseconds(*value);
    } else {
      errors.push_back(std::string(key) + ": not a period in ms: " + found->second);
    }
  };
  period("min_update_rate", &result->minimumUpdateRate);
  period("signal_period", &result->signalPeriod);
  period("bulk_period", &result->bulkPeriod);
  if (const auto found = settings.find("bulk_items"); found != settings.end()) {
    const auto value = ReadWhole(found->second, 0, kLargestBulkCount);
    if (value) {
      result->bulkItemCount = static_cast<std::size_t>(*value);
    } else {
      errors.push_back("bulk_items: not a count: " + found->second);
    }
  }
  if (const auto found = settings.find("sync_io"); found != settings.end()) {
    if (const auto value = ReadWhole(found->second, 0, 1)) {
      result->offersSyncIo = *value == 1;
    } else {
      errors.push_back("sync_io: not 0 or 1: " + found->second);
    }
  }
  if (const auto found = settings.find("faults"); found != settings.end()) {
    std::vector<FaultEvent> events;
    std::string error;
    if (ParseFaultScript(found->second, &events, &error)) {
      result->faultScript = std::move(events);
    } else {
      errors.push_back("faults: " + error);
    }
  }
  return errors;
}

}  // namespace tavrel::opcsim
