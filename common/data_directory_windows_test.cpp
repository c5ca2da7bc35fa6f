#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/data_directory.h"

namespace tavrel {

namespace {

// The installer's record for the test's time, removed after it: the tests run in a Wine prefix
// of their own, where no installation is recorded.
class InstallationRecord {
 public:
  InstallationRecord(const char* installDirectory, const char* dataDirectory) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey);
    HKEY key = nullptr;
    created_ = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                               &key, nullptr) == ERROR_SUCCESS;
    if (!created_) return;
    Set(key, "InstallDirectory", installDirectory);
    Set(key, "DataDirectory", dataDirectory);
    RegCloseKey(key);
  }
  ~InstallationRecord() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey); }
  InstallationRecord(const InstallationRecord&) = delete;
  InstallationRecord& operator=(const InstallationRecord&) = delete;

  bool created() const { return created_; }

 private:
  static constexpr char kKey[] = "SOFTWARE\\Tavrel";
  static void Set(HKEY key, const char* name, const char* value) {
    if (value == nullptr) return;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(std::string(value).size() + 1));
  }
  bool created_ = false;
};

TEST(DataDirectory, IsTheRecordedDataFolderOnlyForTheRecordedInstallationFolder) {
  struct Case {
    const char* installDirectory;
    const char* dataDirectory;
    const char* programDirectory;
    const char* expected;
  };
  const Case cases[] = {
      {R"(C:\Program Files\Tavrel\)", R"(C:\ProgramData\Tavrel\)", R"(C:\Program Files\Tavrel)",
       R"(C:\ProgramData\Tavrel)"},
      // The folder as another spelling names it: case and separators.
      {R"(C:\Program Files\Tavrel)", R"(C:\ProgramData\Tavrel)", "c:/program files/TAVREL",
       R"(C:\ProgramData\Tavrel)"},
      // A copied folder, and an installation recorded without its data folder, keep their files.
      {R"(C:\Program Files\Tavrel)", R"(C:\ProgramData\Tavrel)", R"(D:\Tavrel)", R"(D:\Tavrel)"},
      {R"(C:\Program Files\Tavrel)", nullptr, R"(C:\Program Files\Tavrel)",
       R"(C:\Program Files\Tavrel)"},
  };
  for (const Case& c : cases) {
    const InstallationRecord record(c.installDirectory, c.dataDirectory);
    ASSERT_TRUE(record.created());
    EXPECT_EQ(DataDirectory(c.programDirectory), c.expected) << c.programDirectory;
  }
  EXPECT_EQ(DataDirectory(R"(C:\Program Files\Tavrel)"), R"(C:\Program Files\Tavrel)");
}

}  // namespace

}  // namespace tavrel
