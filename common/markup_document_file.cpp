// Loading and saving a MarkupDocument through the file layer (common/markup_file.h).
#include "common/markup_document.h"

namespace tavrel {

bool MarkupDocument::LoadFile(const std::string& path) {
  result_.clear();
  std::string text;
  bool read = false;
  if (build_ == MarkupBuild::kFull) {
    MarkupFileOrigin origin;
    read = ReadMarkupFile(path, text, origin, result_);
    origin_ = read ? origin : MarkupFileOrigin{};
  } else {
    read = ReadFileBytes(path, text, result_);
    origin_ = {};
  }
  if (!read) {
    Clear();
    return false;
  }
  text_ = std::move(text);
  return Parse();
}

bool MarkupDocument::SaveFile(const std::string& path) {
  result_.clear();
  if (build_ == MarkupBuild::kFull) return WriteMarkupFile(path, text_, origin_, result_);
  return WriteFileBytes(path, text_, result_);
}

}  // namespace tavrel
