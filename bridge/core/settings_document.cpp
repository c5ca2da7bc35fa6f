#include "bridge/core/settings_document.h"

namespace tavrel {

SettingsDocument::SettingsDocument(const std::string& path) {
  if (!document_.LoadFile(path)) document_.SetText("");
}

MarkupDocument& SettingsDocument::FromTop() {
  while (document_.LeaveElement()) {
  }
  document_.ResetMainPosition();
  return document_;
}

}  // namespace tavrel
