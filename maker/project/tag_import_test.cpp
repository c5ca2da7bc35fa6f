// The offline ways of filling a group: CSV import and the pick from a tag list file, and how
// candidates become tags.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/test_files.h"
#include "maker/project/csv_tags.h"
#include "maker/project/tag_candidates.h"
#include "maker/project/tag_list_pick.h"

namespace tavrel {

namespace {

TagCandidate Csv(const char* id, int vt, int dir) {
  TagCandidate tag;
  tag.id = id;
  tag.vt = vt;
  tag.dir = dir;
  return tag;
}

TEST(CsvTags, HeaderSplitAndNumberRules) {
  struct Case {
    const char* text;
    std::vector<TagCandidate> tags;
  };
  const Case cases[] = {
      {"id___opc,vt,dir\nA,5,3\n", {Csv("A", 5, 3)}},
      {"A,5,3\nid___opc,vt,dir\n", {Csv("A", 5, 3), Csv("id___opc", 0, 0)}},
      // The header rule looks at the first line of two fields, skipped lines before it aside.
      {"comment\nid___opc,2\nB,2,1", {Csv("B", 2, 1)}},
      {"Id___opc,2,1\n", {Csv("Id___opc", 2, 1)}},
      {"A,,3\n", {Csv("A", 0, 3)}},
      {"no comma\nA,\n,\n", {}},  // "A," and "," have one field once the trailing one is dropped
      {",5,2\n", {Csv("", 5, 2)}},
      {"A,5\n", {Csv("A", 5, 1)}},  // no direction: the default, read
      {"A,x,2y,extra,more\r\nB,11,3\r\n", {Csv("A", 0, 2), Csv("B", 11, 3)}},
      {"A,5,3", {Csv("A", 5, 3)}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseCsvTags(c.text), c.tags) << c.text;
}

TEST(CsvTags, AMissingFileIsCreatedEmptyAndAnUnreachableOneFails) {
  const TestDirectory directory;
  std::string text = "stale";
  ASSERT_TRUE(ReadOrCreateCsvFile(directory / "new.csv", &text));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(std::filesystem::exists(directory / "new.csv"));
  WriteTestFile(directory / "old.csv", "A,5,3\n");
  ASSERT_TRUE(ReadOrCreateCsvFile(directory / "old.csv", &text));
  EXPECT_EQ(text, "A,5,3\n");
  EXPECT_FALSE(ReadOrCreateCsvFile(directory / "missing/dir.csv", &text));
}

TEST(TagCandidates, AnyTagOfTheServerBlocksItsIdUnnamedOnesByTheirId) {
  ServerNode server;
  auto& first = *server.groups.emplace_back(std::make_unique<GroupNode>(&server));
  auto& second = *server.groups.emplace_back(std::make_unique<GroupNode>(&server));
  AppendUnnamedTags(first, ParseCsvTags("A,5,3\nB,2,1\n"));

  CandidatesAdded added = AddTagCandidates(second, {Csv("A", 4, 1), Csv("C", 8, 3)});
  EXPECT_EQ(added.added, 1u);
  EXPECT_EQ(added.skipped, 1u);
  // Now "C" names a tag of the server; "D" twice in one call is added once.
  added = AddTagCandidates(first, {Csv("B", 4, 1), Csv("D", 3, 3), Csv("C", 8, 3), Csv("D", 3, 3)});
  EXPECT_EQ(added.added, 1u);
  EXPECT_EQ(added.skipped, 3u);

  std::vector<std::pair<std::string, std::string>> tags;
  for (const auto& group : server.groups) {
    for (const auto& tag : group->tags) tags.emplace_back(tag->name, tag->id);
  }
  EXPECT_EQ(tags, (std::vector<std::pair<std::string, std::string>>{
                      {"", "A"}, {"", "B"}, {"D", "D"}, {"C", "C"}}));
}

TEST(TagListPick, ExactLinesInTheOrderTyped) {
  const std::map<std::string, TagListAttributes> tagList{
      {"Random.Int1", {16, 1}}, {"Echo.Real8", {5, 3}}, {"中文.设备一.温度", {5, 1}}};
  EXPECT_EQ(PickFromTagList(tagList,
                            "Echo.Real8\r\n\r\nrandom.int1\nRandom.Int1 \rRandom.Int1\n"
                            "中文.设备一.温度\rMissing"),
            (std::vector<TagCandidate>{Csv("Echo.Real8", 5, 3), Csv("Random.Int1", 16, 1),
                                       Csv("中文.设备一.温度", 5, 1)}));
}

}  // namespace

}  // namespace tavrel
