#include "bridge/mqtt/text_array_elements.h"

#include "bridge/core/variant_text.h"

void TextArrayElements::Put(TagHandle handle, const VARIANT& source) {
  const VARTYPE element = source.vt & VT_TYPEMASK;
  if ((source.vt & VT_ARRAY) == 0 || (element != VT_BSTR && element != VT_VARIANT)) return;
  std::vector<std::string> elements = ArrayElementTexts(source);
  const std::lock_guard lock(mutex_);
  elements_[handle] = std::move(elements);
}

TextElements TextArrayElements::Of(const ProjectTag& tag) const {
  if ((tag.vt & VT_ARRAY) == 0) return std::nullopt;
  const std::lock_guard lock(mutex_);
  const auto found = elements_.find(tag.handle);
  if (found == elements_.end()) return std::nullopt;
  return found->second;
}
