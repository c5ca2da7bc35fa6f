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

TEST_F(ManagerSettingsTest, NotesSayWhyTheDefaultsApplyAndWhatAPortBecomes) {
  const struct {
    const char* config;  // null: no file
    const char* note;    // the one note, after "config.xml: "; null: none
  } cases[] = {
      {nullptr, nullptr},
      {"<root port_h=\"8080\"/>", nullptr},
      {"<root port_h=\"8080\">\n<mqtt>\n</root>", " is not well formed: "},
      {"<config port_h=\"8080\"/>", " has no root element named root"},
      {"<root port_h=\"95277\"/>",
       "port_h=\"95277\" is not a port from 1 to 65535; the HTTP "
       "interface listens on 29741, its low 16 bits"},
      {"<root/>", "port_h=\"\" is not a port from 1 to 65535"},
  };
  for (const auto& c : cases) {
    const ManagerSettings settings =
        c.config ? Load(c.config) : LoadManagerSettings(folder_.File("absent.xml"));
    if (c.note == nullptr) {
      EXPECT_TRUE(settings.notes.empty()) << settings.notes.front();
      continue;
    }
    ASSERT_EQ(settings.notes.size(), 1u) << c.config;
    EXPECT_NE(settings.notes[0].find(c.note), std::string::npos) << settings.notes[0];
    EXPECT_TRUE(settings.notes[0].starts_with("config.xml: ")) << settings.notes[0];
  }
  EXPECT_NE(Load("<root>\n<mqtt>\n</root>").notes[0].find("(line 3, column 1)"), std::string::npos);
}

TEST_F(ManagerSettingsTest, PrintsWhatItWillUseAndTheNotes) {
  folder_.Write(kSettingsFileName,
                "<root port_h=\"95277\" sleep=\"3\"><listen http=\"127.0.0.2\"/></root>");
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  PrintManagerSettings(folder_.path(), out, err);
  for (auto [file, expected] :
       {std::pair{out, std::string("http_port=29741\nhttp_address=127.0.0.2\nsleep=3\n")},
        std::pair{err, *Load("<root port_h=\"95277\"/>").notes.begin() + "\n"}}) {
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    std::fclose(file);
    EXPECT_EQ(text, expected);
  }
}

}  // namespace

}  // namespace tavrel
