// SettingsDocument: <ProgramDirectory>/config.xml as the start-up reads it: loaded and parsed
// once, then read by the core's settings (app_settings.h) and by each front end's settings
// reader (front_end.h), each from the top of the same document.
//
// A file that cannot be read, or is not well formed, reads as an empty document: every reader
// then finds no `root` and keeps its defaults, as each did when it loaded the file itself.
// Problem() then says why, for the log; a file that is not there has no problem (the defaults
// are what an installation without one expects).
#pragma once

#include <string>

#include "common/markup_document.h"

namespace tavrel {

class SettingsDocument {
 public:
  explicit SettingsDocument(const std::string& path);
  SettingsDocument(const SettingsDocument&) = delete;
  SettingsDocument& operator=(const SettingsDocument&) = delete;

  // The document with its positions at the top, for one reader, which may move them.
  MarkupDocument& FromTop();

  // Why a file that is there gave the defaults, with the line and column of its problems
  // (markup_file_problem.h); empty when it was read or is not there.
  const std::string& Problem() const { return problem_; }

 private:
  MarkupDocument document_{MarkupBuild::kBridge};
  std::string problem_;
};

}  // namespace tavrel
