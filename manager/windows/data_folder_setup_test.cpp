// clang-format off: windows.h first, the security headers need its types.
#include <aclapi.h>
#include <sddl.h>
#include <windows.h>
// clang-format on

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "manager/windows/data_folder_setup.h"

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

// The access list of `path` in the system's text form, "" when it cannot be read.
std::string AccessListText(const fs::path& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return "";
  }
  wchar_t* text = nullptr;
  ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                       DACL_SECURITY_INFORMATION, &text, nullptr);
  std::wstring result = text != nullptr ? text : L"";
  LocalFree(text);
  LocalFree(descriptor);
  return std::string(result.begin(), result.end());
}

}  // namespace

TEST(DataFolderSetup, TheRestrictedFolderTrustsOnlyTheSystemAndAdministrators) {
  const ScratchFolder folder;
  ASSERT_EQ(RestrictDataFolder(folder.name()), "");
  const std::string access = AccessListText(folder.path());
  // Protected: nothing is inherited from the folder above (ProgramData lets users add files).
  EXPECT_TRUE(access.starts_with("D:P")) << access;
  EXPECT_NE(access.find("(A;OICI;FA;;;SY)"), std::string::npos) << access;
  EXPECT_NE(access.find("(A;OICI;FA;;;BA)"), std::string::npos) << access;
  EXPECT_NE(access.find("(A;OICI;0x1200a9;;;BU)"), std::string::npos) << access;
  EXPECT_EQ(access.find(";;;WD)"), std::string::npos) << access;  // nothing for everyone

  EXPECT_NE(RestrictDataFolder(folder.name() + "\\missing"), "");
}

TEST(DataFolderSetup, RemovalTakesTheProgramsFilesAndKeepsOthers) {
  struct Case {
    const char* what;
    std::vector<std::string> others;  // besides the programs' files
    bool folderKept;
  };
  const Case cases[] = {
      {"only the programs' files", {}, false},
      {"a file of someone else", {"notes.txt"}, true},
      {"a temporary of another name", {".other.xml.12.0.tmp"}, true},
  };
  for (const Case& c : cases) {
    const ScratchFolder folder;
    for (const char* file : {"config.xml", "opc_db.xml", "log/20261209.txt", "log/error_log.txt",
                             "servers/serverlist.xml", "bridge_error_info.dump",
                             ".opc_db.xml.4242.3.tmp", ".config.xml.7.0.tmp"}) {
      folder.Add(file);
    }
    for (const std::string& other : c.others) folder.Add(other);

    const std::string problem = RemoveDataFiles(folder.name());
    EXPECT_EQ(fs::exists(folder.path()), c.folderKept) << c.what;
    EXPECT_EQ(!problem.empty(), c.folderKept) << c.what << ": " << problem;
    if (!c.folderKept) continue;
    std::vector<std::string> left;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.path()))
      left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, c.others) << c.what;
  }
  EXPECT_EQ(RemoveDataFiles(fs::temp_directory_path().string() + "\\tavrel-never-made"), "");
}

}  // namespace tavrel
