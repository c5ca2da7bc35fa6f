#include "bridge/core/app_settings.h"

#include <gtest/gtest.h>

#include "common/test_files.h"

namespace {

constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n";

AppSettings ReadSettingsText(const std::string& text) {
  const TestDirectory directory;
  WriteTestFile(directory / "config.xml", text);
  return ReadAppSettings(directory / "config.xml");
}

void ExpectDefaults(const AppSettings& settings) {
  EXPECT_EQ(settings.port, 21215);
  EXPECT_EQ(settings.port_h, 9527);
  EXPECT_EQ(settings.programe_name, "");
}

TEST(AppSettings, DefaultsWhenTheFileOrItsRootIsMissing) {
  const TestDirectory directory;
  ExpectDefaults(ReadAppSettings(directory / "config.xml"));
  ExpectDefaults(ReadSettingsText(std::string(kDeclaration) + "<settings port=\"1\"/>\r\n"));
  ExpectDefaults(ReadSettingsText("<root port=\"1\" port_h=\"2\">"));  // not well formed
}

TEST(AppSettings, AttributesOfRoot) {
  const AppSettings settings = ReadSettingsText(
      std::string(kDeclaration) +
      "<root port=\"21300\" port_h=\"9600\" programe_name=\"数据桥 &amp; 1\" watch=\"w\" "
      "sleep=\"5\"/>\r\n");
  EXPECT_EQ(settings.port, 21300);
  EXPECT_EQ(settings.port_h, 9600);
  EXPECT_EQ(settings.programe_name, "数据桥 & 1");
}

TEST(AppSettings, MissingAttributesOfAPresentRootReadAsZeroAndEmpty) {
  const AppSettings settings =
      ReadSettingsText(std::string(kDeclaration) + "<root port_h=\" 77x\"/>\r\n");
  EXPECT_EQ(settings.port, 0);
  EXPECT_EQ(settings.port_h, 77);
  EXPECT_EQ(settings.programe_name, "");
}

}  // namespace
