#include "common/markup_result.h"

#include "common/markup_escape.h"

namespace tavrel {

void AppendMarkupResult(std::string& results, std::string_view name,
                        std::initializer_list<MarkupResultAttribute> attributes) {
  results += '<';
  results += name;
  for (const auto& [attribute, value] : attributes) {
    results += ' ';
    results += attribute;
    results += "=\"";
    results += EscapeMarkupText(value, MarkupEscapeSet::kAttribute);
    results += '"';
  }
  results += "/>";
}

bool HasMarkupResult(std::string_view results, std::string_view name) {
  for (size_t at = results.find('<'); at != std::string_view::npos;
       at = results.find('<', at + 1)) {
    const std::string_view rest = results.substr(at + 1);
    if (rest.substr(0, name.size()) == name && rest.size() > name.size() &&
        (rest[name.size()] == ' ' || rest[name.size()] == '/')) {
      return true;
    }
  }
  return false;
}

}  // namespace tavrel
