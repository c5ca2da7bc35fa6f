// Fuzz target: any bytes as a markup document's text, in both builds, followed by a walk over
// every element, attribute reads and a few edits. After edits on a well-formed text, the
// document's index must agree with a fresh parse of the edited text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/markup_document.h"

namespace tavrel {

namespace {

void LeaveToTopLevel(MarkupDocument& document) {
  while (document.LeaveElement()) {
  }
  document.ResetMainPosition();
}

// Walks every element depth first, reading attributes; returns what it saw, for comparing.
std::string Walk(MarkupDocument& document) {
  std::string seen;
  LeaveToTopLevel(document);
  while (true) {
    if (document.FindElement()) {
      seen += '<';
      seen += document.GetAttribute("id");
      document.GetAttribute("name");
      document.EnterElement();
      continue;
    }
    if (!document.LeaveElement()) break;
    seen += '>';
  }
  return seen;
}

// Steps down the first elements `depth` times, as far as there are any.
void Descend(MarkupDocument& document, unsigned depth) {
  LeaveToTopLevel(document);
  for (unsigned level = 0; level < depth && document.FindElement(); ++level) {
    document.EnterElement();
  }
}

void Edit(MarkupDocument& document, uint8_t plan, std::string_view value) {
  for (unsigned edit = 0; edit < 3; ++edit) {
    Descend(document, (plan >> (2 * edit)) & 3);
    if (plan & 0x40) document.FindElement();
    document.AddElement("e", value);
    document.SetAttribute("id", value);
    if (plan & 0x80) document.AddElement("f");
    document.SetAttribute("n", static_cast<int>(value.size()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t plan = data[0];
  const MarkupBuild build = (data[1] & 1) != 0 ? MarkupBuild::kBridge : MarkupBuild::kFull;
  const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);

  MarkupDocument document(build);
  const bool wellFormed = document.SetText(text);
  Walk(document);
  document.ResetMainPosition();
  document.FindElement(text.substr(0, data[1] % 8));
  document.GetAttribute(text.substr(0, data[1] % 5));
  Edit(document, plan, text.substr(0, 12));

  MarkupDocument parsed(build);
  parsed.SetText(document.GetText());
  if (wellFormed && Walk(document) != Walk(parsed)) std::abort();
  return 0;
}

}  // namespace tavrel
