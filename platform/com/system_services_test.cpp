// FormatMessage, the computer name, clipboard formats and global memory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/wide_string.h"
#include "platform/com/com_api.h"
#include "platform/com/node_name.h"

namespace tavrel {

namespace {

constexpr DWORD kSystemFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

std::string SystemMessage(HRESULT hr, DWORD extraFlags = 0) {
  char buffer[260];
  const DWORD length = FormatMessageA(kSystemFlags | extraFlags, nullptr, static_cast<DWORD>(hr), 0,
                                      buffer, sizeof buffer, nullptr);
  return std::string(buffer, length);
}

TEST(FormatMessage, TextsOfTheCodesTheSystemMeets) {
  EXPECT_EQ(SystemMessage(E_FAIL), "Unspecified error\r\n");
  EXPECT_EQ(SystemMessage(REGDB_E_CLASSNOTREG), "Class not registered\r\n");
  EXPECT_EQ(SystemMessage(E_ACCESSDENIED), "Access is denied.\r\n");
  EXPECT_EQ(SystemMessage(HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE)),
            "The RPC server is unavailable.\r\n");
  EXPECT_EQ(SystemMessage(DISP_E_TYPEMISMATCH), "Type mismatch.\r\n");
  EXPECT_EQ(SystemMessage(S_FALSE), "Incorrect function.\r\n");
  EXPECT_EQ(SystemMessage(E_NOINTERFACE, FORMAT_MESSAGE_MAX_WIDTH_MASK),
            "No such interface supported ");
}

TEST(FormatMessage, CodesWithoutTextLeaveTheCallerToFallBack) {
  char buffer[260] = "untouched";
  // An OPC code (OPC_E_UNKNOWNITEMID) has no system text.
  EXPECT_EQ(FormatMessageA(kSystemFlags, nullptr, 0xC0040007, 0, buffer, sizeof buffer, nullptr),
            0u);
  EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);
  EXPECT_EQ(
      FormatMessageA(kSystemFlags, nullptr, static_cast<DWORD>(E_FAIL), 0, buffer, 5, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(FormatMessage, AllocatedAndWideBuffers) {
  char* allocated = nullptr;
  const DWORD length = FormatMessageA(kSystemFlags | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
                                      static_cast<DWORD>(E_INVALIDARG), 0,
                                      reinterpret_cast<LPSTR>(&allocated), 0, nullptr);
  ASSERT_NE(allocated, nullptr);
  EXPECT_EQ(std::string(allocated, length), "The parameter is incorrect.\r\n");
  EXPECT_EQ(LocalFree(allocated), nullptr);
  WCHAR wide[64];
  ASSERT_GT(
      FormatMessageW(kSystemFlags, nullptr, static_cast<DWORD>(E_POINTER), 0, wide, 64, nullptr),
      0u);
  EXPECT_EQ(WideString(wide), OLESTR("Invalid pointer\r\n"));
}

TEST(ComputerName, FitsTheWindowsBufferAndIsThisComputer) {
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = 1;
  EXPECT_FALSE(GetComputerNameA(name, &size));
  EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
  ASSERT_GT(size, 1u);
  size = sizeof name;
  ASSERT_TRUE(GetComputerNameA(name, &size));
  EXPECT_EQ(std::strlen(name), size);
  EXPECT_LE(size, MAX_COMPUTERNAME_LENGTH);
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_TRUE(IsThisComputer(name));
  EXPECT_TRUE(IsThisComputer(lower));
  EXPECT_TRUE(IsThisComputer("LocalHost"));
  EXPECT_TRUE(IsThisComputer("\\\\127.0.0.1"));
  EXPECT_FALSE(IsThisComputer("plc-7"));
  EXPECT_EQ(CanonicalNodeName("\\\\PLC-7"), "plc-7");
}

TEST(ClipboardFormat, NamesGiveStableNumbers) {
  const UINT data = RegisterClipboardFormatA("OPCSTMFORMATDATA");
  const UINT dataTime = RegisterClipboardFormatA("OPCSTMFORMATDATATIME");
  EXPECT_GE(data, 0xC000u);
  EXPECT_NE(data, dataTime);
  EXPECT_EQ(RegisterClipboardFormatA("opcstmformatdata"), data);
  EXPECT_EQ(RegisterClipboardFormatW(OLESTR("OPCSTMFORMATDATATIME")), dataTime);
  EXPECT_EQ(RegisterClipboardFormatA(""), 0u);
  char name[32];
  ASSERT_EQ(GetClipboardFormatNameA(dataTime, name, sizeof name), 20);
  EXPECT_STREQ(name, "OPCSTMFORMATDATATIME");
  EXPECT_EQ(GetClipboardFormatNameA(0xBFFF, name, sizeof name), 0);
}

TEST(GlobalMemory, BlocksKeepSizeLocksAndTravelInMedia) {
  HGLOBAL memory = GlobalAlloc(GHND, 24);
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(GlobalSize(memory), 24u);
  auto* bytes = static_cast<unsigned char*>(GlobalLock(memory));
  EXPECT_EQ(bytes[23], 0);  // zero-initialised
  bytes[0] = 42;
  EXPECT_FALSE(GlobalUnlock(memory));
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = memory;
  ReleaseStgMedium(&medium);  // frees the block (checked by the address sanitizer)
  EXPECT_EQ(medium.tymed, TYMED_NULL);
  EXPECT_EQ(medium.hGlobal, nullptr);
}

}  // namespace

}  // namespace tavrel
