#include "bridge/ui/template_export.h"

#include <gtest/gtest.h>

#include "bridge/ui/ui_test_project.h"

namespace tavrel {

namespace {

TEST(TemplateExport, DocumentBytes) {
  const auto project = MakeUiTestProject();
  EXPECT_EQ(TemplateDocument(*project),
            "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n"
            "<root plug_name=\"Quendrel\">\r\n"
            "<t v=\"1\" n=\"S1_G1_a_b_c\" d=\"\" p=\"1000\" r=\"2\" s0=\"S1\" s1=\"G1\" "
            "s2=\"a.b.c\" s3=\"5\" s4=\"\"/>\r\n"
            "<t v=\"2\" n=\"S1_G1_level\" d=\"\" p=\"1000\" r=\"0\" s0=\"S1\" s1=\"G1\" "
            "s2=\"level\" s3=\"2\" s4=\"\"/>\r\n"
            "<t v=\"3\" n=\"S1_G1_flag\" d=\"\" p=\"1000\" r=\"1\" s0=\"S1\" s1=\"G1\" "
            "s2=\"flag\" s3=\"11\" s4=\"\"/>\r\n"
            "</root>\r\n");
}

TEST(TemplateExport, ValueClassOfEveryType) {
  const struct {
    int vt;
    int valueClass;
  } cases[] = {{2, 2},  {3, 2},  {16, 2}, {17, 2}, {18, 2}, {11, 3}, {4, 1},  {5, 1},
               {19, 1}, {20, 1}, {21, 1}, {0, 4},  {7, 4},  {8, 4},  {22, 4}, {0x2005, 4}};
  for (const auto& entry : cases) {
    EXPECT_EQ(TemplateValueClass(entry.vt), entry.valueClass) << "vt " << entry.vt;
  }
}

TEST(TemplateExport, SuffixAppendedOnlyWhenMissing) {
  const std::pair<const char*, const char*> cases[] = {
      {"/d/points", "/d/points.tpl"},
      {"/d/points.tpl", "/d/points.tpl"},
      {"/d/points.TPL", "/d/points.TPL"},
      {"/d/points.tpl.txt", "/d/points.tpl.txt.tpl"},
      {"/d/tpl", "/d/tpl.tpl"}};
  for (const auto& [chosen, saved] : cases) EXPECT_EQ(TemplateFilePath(chosen), saved) << chosen;
}

}  // namespace

}  // namespace tavrel
