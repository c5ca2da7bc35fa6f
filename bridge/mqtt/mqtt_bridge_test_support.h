// A bridge in one process for the MQTT tests: the simulated OPC servers, the real engine and the
// MQTT publisher, with settings and project written to a temporary program directory.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "bridge/core/bridge_runtime.h"
#include "bridge/mqtt/mqtt_publisher.h"
#include "bridge/mqtt/mqtt_test_support.h"
#include "bridge/opc/engine_test_support.h"
#include "common/markup_declarations.h"

namespace tavrel {

namespace mqtt_test {

// UTF-8 text from a u8 literal (narrow literals are compiled to the system code page).
inline std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// One server SimTree: group "Values" (data-change call-backs every 100 ms) with `valueTags`,
// and group "Echo" (a synchronous read every 100 ms) with Echo.Int4, read and write.
inline std::string TestProject(const std::string& valueTags) {
  const std::string group =
      "\" desc=\"\" uptime=\"100\" timebis_minutes=\"0\" percent_deadband=\"0\" "
      "language_id=\"1033\" active_state=\"1\" ";
  return std::string(kProjectDeclaration) +
         "<root>\r\n<server name=\"SimTree\" desc=\"\" node=\"\" sid=\"OPCSim.Tree.1\" "
         "clsid=\"{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A01}\" c1=\"0\">\r\n<group name=\"Values" +
         group + "datachange_type=\"1\" cycle_time=\"1000\" additem=\"1\">\r\n" + valueTags +
         "</group>\r\n<group name=\"Echo" + group +
         "datachange_type=\"0\" cycle_time=\"100\" additem=\"1\">\r\n"
         "<tag id=\"Echo.Int4\" vt=\"3\" dir=\"3\"/>\r\n</group>\r\n</server>\r\n</root>\r\n";
}

class MqttBridgeTest : public engine_test::SimulatedServersTest {
 protected:
  void SetUp() override {
    ASSERT_FALSE(directory_.Path().empty());
    opcsim::SimulationSettings settings;
    settings.signalPeriod = std::chrono::milliseconds(100);
    opcsim::ResetSimulatedDevice(opcsim::CLSID_OPCSimTree, settings);
  }
  void TearDown() override { StopBridge(); }

  // Starts the bridge with `mqtt` (the element) as its MQTT settings, on `project`.
  void StartBridge(const std::string& mqtt, const std::string& project) {
    WriteTestFile(directory_ / "config.xml", std::string(kProjectDeclaration) +
                                                 "<root port=\"0\" port_h=\"9527\">" + mqtt +
                                                 "</root>\r\n");
    WriteTestFile(directory_ / "opc_db.xml", project);
    std::filesystem::create_directories(directory_ / "log");
    const auto makePublisher = [this](const FrontEndContext& context) {
      std::unique_ptr<FrontEnd> publisher = MakeMqttFrontEnd(context);
      publisher_ = static_cast<MqttPublisher*>(publisher.get());
      return publisher;
    };
    runtime_ = std::make_unique<BridgeRuntime>(
        directory_.Path(),
        BridgeParts{
            .makeEngine = MakeOpcConnection, .frontEnds = {makePublisher}, .logSink = log_});
  }
  void StopBridge() {
    runtime_.reset();
    publisher_ = nullptr;
  }
  TagHandle HandleOf(const std::string& id) const {
    for (const ProjectTag* tag : runtime_->Project().Tags()) {
      if (tag->id == id) return tag->handle;
    }
    return -1;
  }

  TestDirectory directory_;
  std::shared_ptr<engine_test::LogCapture> log_ = std::make_shared<engine_test::LogCapture>();
  std::unique_ptr<BridgeRuntime> runtime_;
  MqttPublisher* publisher_ = nullptr;
};

}  // namespace mqtt_test

}  // namespace tavrel
