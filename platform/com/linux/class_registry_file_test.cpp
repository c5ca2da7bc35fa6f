#include "platform/com/linux/class_registry_file.h"

#include <gtest/gtest.h>

namespace tavrel {

namespace {

constexpr CLSID kDemo = {
    0x6E6170D4, 0x2B44, 0x4C1A, {0x9E, 0x51, 0x7A, 0x0B, 0x10, 0x22, 0x33, 0x01}};
constexpr CATID kDa20 = {
    0x63D5F432, 0xCFE4, 0x11D1, {0xB2, 0xC8, 0x00, 0x60, 0x08, 0x3B, 0xA1, 0xFB}};

TEST(ClassRegistryFile, ReadsClassesAndNodes) {
  const auto contents = ParseClassRegistryFile(
      "\xEF\xBB\xBF# demo registry\n"
      "[node plc-7]\r\n"
      "user = operator\n"
      "password = s3cret\n"
      "\n"
      "[class]\n"
      "ProgID = Demo.Server.1\n"
      "clsid = {6E6170D4-2B44-4C1A-9E51-7A0B10223301}\n"
      "description = \xE6\xBC\x94\xE7\xA4\xBA server\n"  // "演示" in UTF-8
      "category = {63D5F432-CFE4-11D1-B2C8-0060083BA1FB}\n"
      "node = plc-7\n"
      "node = localhost\n"
      "implementation = Builtin.Sim.1\n"
      "items = 100\n");
  EXPECT_TRUE(contents.errors.empty()) << contents.errors.front();
  ASSERT_EQ(contents.nodes.size(), 1u);
  EXPECT_EQ(contents.nodes[0].name, "plc-7");
  ASSERT_TRUE(contents.nodes[0].identity.has_value());
  EXPECT_EQ(contents.nodes[0].identity->user, "operator");
  EXPECT_EQ(contents.nodes[0].identity->password, "s3cret");
  EXPECT_TRUE(contents.nodes[0].identity->domain.empty());

  ASSERT_EQ(contents.classes.size(), 1u);
  const ClassDescriptor& demo = contents.classes[0];
  EXPECT_EQ(demo.progId, "Demo.Server.1");
  EXPECT_EQ(demo.clsid, kDemo);
  EXPECT_EQ(demo.description, "\xD1\xDD\xCA\xBE server");  // converted to GBK
  ASSERT_EQ(demo.categories.size(), 1u);
  EXPECT_EQ(demo.categories[0], kDa20);
  EXPECT_EQ(demo.nodes, (std::vector<std::string>{"plc-7", "localhost"}));
  EXPECT_EQ(demo.implementation, "Builtin.Sim.1");
  EXPECT_FALSE(demo.identity.has_value());
  EXPECT_EQ(demo.settings.at("items"), "100");
}

TEST(ClassRegistryFile, FaultySectionsAreLeftOutAndReportedByLine) {
  const auto contents = ParseClassRegistryFile(
      "stray = 1\n"                                         // 1
      "[class]\n"                                           // 2
      "progid = Broken.1\n"                                 // 3
      "clsid = {6E6170D4-2B44-4C1A-9E51-7A0B1022330}\n"     // 4: one digit short
      "[class]\n"                                           // 5
      "clsid = {6E6170D4-2B44-4C1A-9E51-7A0B10223301}\n"    // 6: no progid
      "[printer lp0]\n"                                     // 7
      "[node]\n"                                            // 8: no name
      "[class]\n"                                           // 9
      "progid = Good.1\n"                                   // 10
      "clsid = {6E6170D4-2B44-4C1A-9E51-7A0B10223301}\n"    // 11
      "password = only\n"                                   // 12: identity without user
      "[node plc-8]\n"                                      // 13
      "colour\n"                                            // 14: no '='
      "[class]\n"                                           // 15
      "progid = Fine.1\n"                                   // 16
      "clsid = {6E6170D4-2B44-4C1A-9E51-7A0B10223301}\n");  // 17
  EXPECT_EQ(contents.errors,
            (std::vector<std::string>{
                "line 1: line outside a section",
                "line 4: malformed clsid {6E6170D4-2B44-4C1A-9E51-7A0B1022330}",
                "line 5: class without progid", "line 7: unknown section [printer lp0]",
                "line 8: unknown section [node]", "line 9: identity without user",
                "line 14: line without '='"}));
  ASSERT_EQ(contents.classes.size(), 1u);
  EXPECT_EQ(contents.classes[0].progId, "Fine.1");
  EXPECT_TRUE(contents.nodes.empty());
}

}  // namespace

}  // namespace tavrel
