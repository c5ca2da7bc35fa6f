#include "opcclient/remote_identity.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "platform/com/com_api.h"
#include "platform/com/read_auth_identity.h"

namespace tavrel {

namespace {

std::string ThisComputer() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD size = sizeof name;
  EXPECT_TRUE(GetComputerNameA(name, &size));
  return name;
}

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST(IsRemoteNode, OnlyANameOfAnotherComputerIsRemote) {
  const std::string computer = ThisComputer();
  ASSERT_FALSE(computer.empty());
  const struct {
    std::string node;
    bool remote;
  } cases[] = {
      {"", false},          {"127.0.0.1", false}, {"localhost", false},
      {"LocalHost", false}, {computer, false},    {Lowered(computer), false},
      {"plc-7", true},      {"127.0.0.2", true},  {computer + "X", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsRemoteNode(c.node), c.remote) << c.node;
}

TEST(ExplicitIdentity, PresentsGbkTextAsUnicodeWithLengthsInCharacters) {
  ExplicitIdentity identity(IdentityFromText("操作员", "PLANT", "secret"));
  AuthIdentity read;
  ASSERT_TRUE(ReadAuthIdentity(identity.Get(), &read));
  EXPECT_EQ(identity.Get()->Flags, SEC_WINNT_AUTH_IDENTITY_UNICODE);
  EXPECT_EQ(read.user, OLESTR("操作员"));
  EXPECT_EQ(read.domain, OLESTR("PLANT"));
  EXPECT_EQ(read.password, OLESTR("secret"));
  EXPECT_EQ(identity.Get()->UserLength, 3u);
  EXPECT_EQ(identity.Get()->DomainLength, 5u);
  EXPECT_EQ(identity.Get()->PasswordLength, 6u);
}

}  // namespace

}  // namespace tavrel
