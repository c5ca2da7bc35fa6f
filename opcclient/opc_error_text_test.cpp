#include "opcclient/opc_error_text.h"

#include <gtest/gtest.h>

#include "common/wide_string.h"
#include "platform/com/com_api.h"
#include "platform/com/com_ptr.h"
#include "platform/opcsim/simulated_servers.h"

namespace tavrel {

namespace {

TEST(FormatOpcError, SystemTextThenServerTextThenUnknown) {
  EXPECT_EQ(FormatOpcError("Sync Read: ", E_INVALIDARG, nullptr).rfind("Sync Read:  ", 0), 0u);
  EXPECT_GT(FormatOpcError("x", E_INVALIDARG, nullptr).size(), 2u);
  EXPECT_EQ(FormatOpcError("x", OPC_E_UNKNOWNITEMID, nullptr), "x Unknown Error.");

  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  opcsim::RegisterSimulatedServers();
  ComPtr<IOPCServer> server;
  ASSERT_EQ(CoCreateInstance(opcsim::CLSID_OPCSimTree, nullptr, CLSCTX_ALL, UuidOf<IOPCServer>(),
                             reinterpret_cast<void**>(server.GetAddressOf())),
            S_OK);
  const std::string text = FormatOpcError("AddItems 2: ", OPC_E_UNKNOWNITEMID, server.Get());
  EXPECT_EQ(text.rfind("AddItems 2:  ", 0), 0u);
  EXPECT_GT(text.size(), std::string("AddItems 2:  ").size());
  EXPECT_EQ(text.find("Unknown Error."), std::string::npos);
  server.Reset();
  CoUninitialize();
}

}  // namespace

}  // namespace tavrel
