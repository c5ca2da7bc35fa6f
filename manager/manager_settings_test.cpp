#include "manager/manager_settings.h"

#include <gtest/gtest.h>

#include "manager/manager_test_support.h"

namespace tavrel {

namespace {

class ManagerSettingsTest : public ::testing::Test {
 protected:
  ManagerSettings Load(std::string_view config) {
    folder_.Write(kSettingsFileName, config);
    return LoadManagerSettings(folder_.File(kSettingsFileName));
  }

  TemporaryInstallation folder_;
};

TEST_F(ManagerSettingsTest, MissingMalformedOrForeignFileGivesTheDefaults) {
  for (const ManagerSettings& settings :
       {LoadManagerSettings(folder_.File("absent.xml")),
        Load("<root watch=\"w\" sleep=\"7\" port_h=\"8080\">"),
        Load("<root port_h=\"8080\"/><root/>"), Load("<config watch=\"w\" port_h=\"8080\"/>")}) {
    EXPECT_EQ(settings.watch, "");
    EXPECT_EQ(settings.sleep, 0);
    EXPECT_EQ(settings.HttpPort(), 9527);
  }
}

TEST_F(ManagerSettingsTest, ReadsTheThreeAttributesOfRoot) {
  const ManagerSettings settings = Load(
      "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n"
      "<root port=\"21215\" watch=\"OPC &amp; 管理\" sleep=\"-1\" port_h=\"8080\"/>");
  EXPECT_EQ(settings.watch, "OPC & 管理");
  EXPECT_EQ(settings.sleep, -1);
  EXPECT_EQ(settings.HttpPort(), 8080);
}

TEST_F(ManagerSettingsTest, MissingNumbersReadAsZeroSoThePortIsSystemChosen) {
  const ManagerSettings settings = Load("<root watch=\"tip\"/>");
  EXPECT_EQ(settings.watch, "tip");
  EXPECT_EQ(settings.sleep, 0);
  EXPECT_EQ(settings.HttpPort(), 0);
}

TEST_F(ManagerSettingsTest, NumbersFollowTheAtoiRulesAndThePortKeepsItsLow16Bits) {
  const ManagerSettings settings = Load("<root sleep=\"  12s\" port_h=\"74063\"/>");
  EXPECT_EQ(settings.sleep, 12);
  EXPECT_EQ(settings.HttpPort(), 74063 - 65536);
  const ManagerSettings other = Load("<root sleep=\"x5\" port_h=\"+80 8\"/>");
  EXPECT_EQ(other.sleep, 0);
  EXPECT_EQ(other.HttpPort(), 80);
}

}  // namespace

}  // namespace tavrel
