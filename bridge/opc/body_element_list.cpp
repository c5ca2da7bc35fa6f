#include "bridge/opc/body_element_list.h"

#include <charconv>

#include "common/markup_declarations.h"
#include "common/markup_escape.h"

namespace tavrel {

namespace {

constexpr std::string_view kRootStart = "<root ver=\"0\"";
constexpr std::string_view kLineEnd = "\r\n";
// A value snapshot's element of a tag with a long key takes about this many.
constexpr std::size_t kTypicalElementBytes = 128;
// The characters an attribute value escapes (markup_escape.h).
constexpr std::string_view kEscaped = "<>&'\"";

}  // namespace

BodyElementList::BodyElementList(std::size_t expectedElements) {
  text_.reserve(expectedElements * kTypicalElementBytes);
  text_.append(kGbkDeclaration).append(kRootStart);
}

void BodyElementList::AddElement(std::string_view name) {
  CloseElement();
  if (!hasElements_) text_.append(">").append(kLineEnd);
  hasElements_ = true;
  elementOpen_ = true;
  text_.append("<").append(name);
}

void BodyElementList::SetAttribute(std::string_view name, std::string_view value) {
  text_.append(" ").append(name).append("=\"");
  if (value.find_first_of(kEscaped) == std::string_view::npos) {
    text_.append(value);
  } else {
    text_.append(EscapeMarkupText(value, MarkupEscapeSet::kAttribute));
  }
  text_ += '"';
}

void BodyElementList::SetAttribute(std::string_view name, int value) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  SetAttribute(name, std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void BodyElementList::CloseElement() {
  if (elementOpen_) text_.append("/>").append(kLineEnd);
  elementOpen_ = false;
}

std::string BodyElementList::TakeText() {
  CloseElement();
  text_.append(hasElements_ ? "</root>" : "/>").append(kLineEnd);
  std::string text = std::move(text_);
  text_ = std::string(kGbkDeclaration).append(kRootStart);
  hasElements_ = false;
  return text;
}

}  // namespace tavrel
