// TagPickDialog: "批量筛点", the pick of "从全部标签中筛点" (tag_list_pick.h) from the tag list
// file of the group's server. Opening reads the file and shows "共加载OPC标签个数:<n>" (nothing
// when the file cannot be read); "开始筛选" keeps the typed ids the file holds and closes with OK.
#pragma once

#include <QDialog>
#include <map>
#include <string>
#include <vector>

#include "common/browse_files.h"
#include "maker/project/tag_candidates.h"

class QPlainTextEdit;

namespace tavrel {

class TagPickDialog : public QDialog {
 public:
  TagPickDialog(const std::string& programDirectory, const std::string& sid,
                QWidget* parent = nullptr);

  void Pick();
  const std::vector<TagCandidate>& Picked() const { return picked_; }

 private:
  std::map<std::string, TagListAttributes> tagList_;
  QPlainTextEdit* ids_;
  std::vector<TagCandidate> picked_;
};

}  // namespace tavrel
