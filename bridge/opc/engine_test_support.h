// A bridge in miniature for the engine's tests: a project of chosen servers on the simulated
// OPC servers, a log whose lines the test reads, a push sink that records every push, and the
// connections with their engines on short timings.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "bridge/core/bridge_project.h"
#include "bridge/core/server_connection.h"
#include "bridge/opc/opc_connection.h"
#include "common/bridge_log.h"
#include "common/test_files.h"
#include "platform/com/com_api.h"
#include "platform/opcsim/simulated_device_control.h"
#include "platform/opcsim/simulated_servers.h"

namespace tavrel {

namespace engine_test {

using namespace std::chrono_literals;

inline bool Eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = 5000ms) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

class LogCapture final : public LogSink {
 public:
  void AddLogMessage(WallTime /*when*/, std::string_view text) override {
    std::lock_guard lock(mutex_);
    lines_.emplace_back(text);
  }
  std::vector<std::string> Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  // Lines that start with `prefix`.
  std::size_t Count(std::string_view prefix) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(lines_.begin(), lines_.end(),
                      [&](const std::string& line) { return line.starts_with(prefix); }));
  }
  std::string Find(std::string_view prefix) const {
    std::lock_guard lock(mutex_);
    for (const auto& line : lines_) {
      if (line.starts_with(prefix)) return line;
    }
    return "";
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

class PushRecorder final : public ValuePushSink {
 public:
  void PushValue(const TagLiveValue& value) override {
    std::lock_guard lock(mutex_);
    pushes_.push_back(WithTextFormed(value));  // as a Snapshot's
  }
  std::vector<TagLiveValue> PushesOf(TagHandle handle) const {
    std::lock_guard lock(mutex_);
    std::vector<TagLiveValue> found;
    for (const auto& push : pushes_) {
      if (push.handle == handle) found.push_back(push);
    }
    return found;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<TagLiveValue> pushes_;
};

inline EngineTiming FastTiming() {
  EngineTiming timing;
  timing.connectTick = 10ms;
  timing.pollTick = 10ms;
  timing.settle = 20ms;
  timing.statusPause = 30ms;
  timing.restartPause = 20ms;
  timing.groupWait = 10ms;
  timing.cycleSleep = 1ms;
  timing.dropSleep = 10ms;
  timing.teardownSleep = 1ms;
  return timing;
}

inline ProjectTagRecord TagRecord(std::string id, int vt) { return {std::move(id), vt, 3}; }

// A group with the parameters the tests vary.
inline ProjectGroupRecord GroupRecord(std::string name, int mode, bool bulk,
                                      std::vector<ProjectTagRecord> tags,
                                      std::string cycleTime = "20", std::string active = "1") {
  ProjectGroupRecord group;
  group.name = std::move(name);
  group.uptime = "20";
  group.timebis_minutes = "";
  group.percent_deadband = "0.5";
  group.language_id = "1033";
  group.active_state = std::move(active);
  group.datachange_type = std::to_string(mode);
  group.cycle_time = std::move(cycleTime);
  group.additem = bulk ? "1" : "0";
  group.tags = std::move(tags);
  return group;
}

inline ProjectServerRecord TreeServer(std::vector<ProjectGroupRecord> groups) {
  ProjectServerRecord server;
  server.name = "SimTree";
  server.sid = opcsim::kOpcSimTreeProgId;
  server.clsid = "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A01}";
  server.c1 = "0";
  server.groups = std::move(groups);
  return server;
}

inline ProjectServerRecord LegacyServer(std::vector<ProjectGroupRecord> groups) {
  ProjectServerRecord server = TreeServer(std::move(groups));
  server.name = "SimLegacy";
  server.sid = opcsim::kOpcSimLegacyProgId;
  server.clsid = "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A03}";
  return server;
}

// Whether this run's simulated servers answer from opcsim_server's process rather than this
// one: TAVREL_SIMULATED_SERVERS=out-of-process, which the Windows build's second run of the
// engine's tests sets (cmake/TavrelTesting.cmake) after registering that server.
inline bool SimulatedServersOutOfProcess() {
  const char* mode = std::getenv("TAVREL_SIMULATED_SERVERS");
  return mode != nullptr && std::string_view(mode) == "out-of-process";
}

// A suite on the simulated servers: COM entered and the servers registered once, in this
// process or, out of process, found in a process of their own.
class SimulatedServersTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (!SimulatedServersOutOfProcess()) {
      opcsim::RegisterSimulatedServers();
      return;
    }
    // Answers from this process would prove nothing of the calls between processes.
    ASSERT_NE(opcsim::SimulatedDeviceControl(opcsim::CLSID_OPCSimTree).ServerProcessId(),
              static_cast<DWORD>(::getpid()));
  }
  static void TearDownTestSuite() { CoUninitialize(); }
};

class EngineTest : public SimulatedServersTest {
 protected:
  EngineTest() : log_(directory_.Path()), capture_(std::make_shared<LogCapture>()) {
    log_.AttachLogSink(capture_);
    opcsim::SimulationSettings settings;
    settings.bulkItemCount = 20;
    settings.bulkPeriod = 10ms;
    settings.signalPeriod = 50ms;
    device_.Reset(settings);
  }

  ~EngineTest() override {
    for (auto& connection : connections_) connection->AttachEngine(nullptr);
    connections_.clear();
    if (project_) project_->AttachValuePushSink(nullptr);
    log_.DetachLogSink();
  }

  // Builds the project and its connections, and starts the engines.
  void Run(std::vector<ProjectServerRecord> servers, EngineTiming timing = FastTiming()) {
    project_ = std::make_unique<BridgeProject>(servers);
    project_->AttachValuePushSink(&pushes_);
    const auto& entries = project_->Servers();
    for (std::size_t index = 0; index < entries.size(); ++index) {
      connections_.push_back(std::make_unique<ServerConnection>(
          *entries[index], static_cast<int>(index), project_->TakeNextHandle(), metrics_));
      auto engine = std::make_unique<OpcConnection>(
          ConnectionEngineContext{*connections_.back(), *project_, log_, exit_}, timing);
      engines_.push_back(engine.get());
      connections_.back()->AttachEngine(std::move(engine));
    }
    for (OpcConnection* engine : engines_) ASSERT_EQ(engine->Start(), 0);
  }

  OpcConnection& Engine(std::size_t index = 0) { return *engines_.at(index); }
  ProjectTag& Tag(TagHandle handle) { return *project_->FindTag(handle); }
  TagLiveValue Value(TagHandle handle) { return Tag(handle).liveValue.Snapshot(); }
  bool Connected(std::size_t index = 0) {
    return Eventually([&] { return Engine(index).State() == ConnectionState::kConnected; });
  }

  const TestDirectory directory_;
  BridgeLog log_;
  std::shared_ptr<LogCapture> capture_;
  opcsim::SimulatedDeviceControl device_{opcsim::CLSID_OPCSimTree};
  ExitFlag exit_;
  PushRecorder pushes_;
  MetricRegistry metrics_;
  std::unique_ptr<BridgeProject> project_;
  std::vector<std::unique_ptr<ServerConnection>> connections_;
  std::vector<OpcConnection*> engines_;
};

}  // namespace engine_test

}  // namespace tavrel
