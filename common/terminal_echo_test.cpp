#include "common/terminal_echo.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace tavrel {
namespace {

std::string ReadAvailable(int fd) {
  char buffer[256];
  const ssize_t got = ::read(fd, buffer, sizeof buffer);
  return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
}

TEST(EchoToTerminal, WritesUtf8ToATerminalAndNothingElsewhere) {
  int pipeEnds[2];
  ASSERT_EQ(::pipe2(pipeEnds, O_NONBLOCK), 0);
  EchoToTerminal("Tavrel", "no terminal", pipeEnds[1]);
  EXPECT_EQ(ReadAvailable(pipeEnds[0]), "");
  ::close(pipeEnds[0]);
  ::close(pipeEnds[1]);

  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  EchoToTerminal("Morvane", "\xb6\xcb\xbf\xda 9527", terminal);  // "端口" in GBK
  EXPECT_EQ(ReadAvailable(master), "Morvane: \xe7\xab\xaf\xe5\x8f\xa3 9527\r\n");
  ::close(terminal);
  ::close(master);
}

}  // namespace
}  // namespace tavrel
