#include "bridge/core/settings_document.h"

SettingsDocument::SettingsDocument(const std::string& path) {
  if (!document_.LoadFile(path)) document_.SetText("");
}

MarkupDocument& SettingsDocument::FromTop() {
  while (document_.LeaveElement()) {
  }
  document_.ResetMainPosition();
  return document_;
}
