#include "bridge/core/settings_document.h"

#include <filesystem>

#include "common/markup_file_problem.h"

namespace tavrel {

SettingsDocument::SettingsDocument(const std::string& path) {
  if (document_.LoadFile(path)) return;
  std::error_code ignored;
  if (std::filesystem::exists(path, ignored)) problem_ = MarkupFileProblem(path, document_);
  document_.SetText("");
}

MarkupDocument& SettingsDocument::FromTop() {
  while (document_.LeaveElement()) {
  }
  document_.ResetMainPosition();
  return document_;
}

}  // namespace tavrel
