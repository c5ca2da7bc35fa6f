// windows.h first: the security headers need its types.
// clang-format off
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
// clang-format on

#include "manager/windows/data_folder_setup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "manager/manager_test_support.h"
#include "platform/process/process_end.h"
#include "platform/process/process_list.h"
#include "platform/process/spawn.h"

namespace tavrel {

namespace {

namespace fs = std::filesystem;

// A data folder of the test's own, removed with what is left in it.
class ScratchFolder {
 public:
  ScratchFolder() : path_(fs::temp_directory_path() / "tavrel-data-folder-test") {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  void Add(const std::string& relative) const {
    fs::create_directories((path_ / relative).parent_path());
    std::ofstream(path_ / relative) << "x";
  }
  const fs::path& path() const { return path_; }
  std::string name() const { return path_.string(); }

 private:
  fs::path path_;
};

constexpr char kNoService[] = "TavrelTestNoSuchService";
const DataFolderUsers kNoUsers{.serviceName = kNoService,
                               .bridgeExecutable = "C:\\tavrel-never-installed\\Tavrel.exe"};

// An allowed entry of an access list: whose, and what it allows.
struct Allowed {
  WELL_KNOWN_SID_TYPE account;
  ACCESS_MASK access;
};

bool IsAccount(PSID sid, WELL_KNOWN_SID_TYPE account) {
  BYTE known[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof known;
  return CreateWellKnownSid(account, nullptr, known, &size) && EqualSid(sid, known);
}

}  // namespace

// Read by the system's own parser, so that a slip in the text form (an account's letters, the
// rights' digits, a missing flag) shows. Wine keeps no access lists of files: that the system
// applies them to the folder is not seen here.
TEST(DataFolderSetup, TheAccessListTrustsOnlyTheSystemAndAdministrators) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      kDataFolderAccess, SDDL_REVISION_1, &descriptor, nullptr));
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  EXPECT_TRUE(control & SE_DACL_PROTECTED);  // nothing from ProgramData, which lets users write
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL access = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &access, &defaulted));
  ASSERT_TRUE(present && access != nullptr);

  const Allowed expected[] = {
      {WinLocalSystemSid, FILE_ALL_ACCESS},
      {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
      {WinBuiltinUsersSid, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE},
  };
  ASSERT_EQ(access->AceCount, std::size(expected));
  for (DWORD i = 0; i < access->AceCount; ++i) {
    void* entry = nullptr;
    ASSERT_TRUE(GetAce(access, i, &entry));
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
    EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE) << i;
    EXPECT_EQ(allowed->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) << i;
    EXPECT_TRUE(IsAccount(const_cast<DWORD*>(&allowed->SidStart), expected[i].account)) << i;
    EXPECT_EQ(allowed->Mask, expected[i].access) << i;
  }
  LocalFree(descriptor);

  const ScratchFolder folder;
  EXPECT_EQ(RestrictDataFolder(folder.name()), "");
  EXPECT_NE(RestrictDataFolder(folder.name() + "\\missing"), "");
}

TEST(DataFolderSetup, RemovalTakesTheProgramsFilesAndKeepsOthersAndTheFolder) {
  struct Case {
    const char* what;
    std::vector<std::string> others;  // besides the programs' files
  };
  const Case cases[] = {
      {"only the programs' files", {}},
      {"a file of someone else", {"notes.txt"}},
      {"a temporary of another name", {".other.xml.12.0.tmp"}},
  };
  for (const Case& c : cases) {
    const ScratchFolder folder;
    for (const char* file : {"config.xml", "opc_db.xml", "log/20261209.txt", "log/error_log.txt",
                             "servers/serverlist.xml", "bridge_error_info.dump",
                             ".opc_db.xml.4242.3.tmp", ".config.xml.7.0.tmp"}) {
      folder.Add(file);
    }
    for (const std::string& other : c.others) folder.Add(other);

    const std::string problem = RemoveDataFiles(folder.name(), kNoUsers);
    EXPECT_EQ(problem.empty(), c.others.empty()) << c.what << ": " << problem;
    std::vector<std::string> left;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.path()))
      left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, c.others) << c.what;
  }
  EXPECT_EQ(RemoveDataFiles(fs::temp_directory_path().string() + "\\tavrel-never-made", kNoUsers),
            "");
}

// An installer may go on while the service it asked to stop is still stopping the bridge, which
// works in the data folder: the removal waits for the bridge's end.
TEST(DataFolderSetup, RemovalWaitsUntilTheBridgeHasEnded) {
  using namespace std::chrono_literals;
  const ScratchFolder folder;
  folder.Add("config.xml");
  const TemporaryInstallation programs;
  programs.InstallProgram(BRIDGE_STAND_IN, "Tavrel.exe");
  const std::string bridge = programs.File("Tavrel.exe");
  const pid_t pid = StartProgram(bridge, {});
  ASSERT_TRUE(Eventually([&] { return FindOwnProcess(bridge, NameMatch::kExact) == pid; }));
  std::thread stop([pid] {
    std::this_thread::sleep_for(500ms);
    AskToQuitAndWaitForEnd(pid, 10s);
  });

  EXPECT_EQ(RemoveDataFiles(folder.name(), {.serviceName = kNoService, .bridgeExecutable = bridge}),
            "");
  EXPECT_FALSE(IsProcessRunning(pid));
  EXPECT_FALSE(fs::exists(folder.path() / "config.xml"));
  stop.join();
}

}  // namespace tavrel
