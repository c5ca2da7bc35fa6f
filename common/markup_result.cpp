#include "common/markup_result.h"

#include "common/markup_escape.h"
#include "common/markup_references.h"

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

namespace {

// The first record named `name`, from its name to its end; empty when there is none.
std::string_view FindRecord(std::string_view results, std::string_view name) {
  for (size_t at = results.find('<'); at != std::string_view::npos;
       at = results.find('<', at + 1)) {
    const std::string_view rest = results.substr(at + 1);
    if (rest.substr(0, name.size()) == name && rest.size() > name.size() &&
        (rest[name.size()] == ' ' || rest[name.size()] == '/')) {
      return rest.substr(0, rest.find("/>"));
    }
  }
  return {};
}

}  // namespace

bool HasMarkupResult(std::string_view results, std::string_view name) {
  return !FindRecord(results, name).empty();
}

std::string MarkupResultValue(std::string_view results, std::string_view name,
                              std::string_view attribute) {
  const std::string_view record = FindRecord(results, name);
  const std::string key = " " + std::string(attribute) + "=\"";
  const size_t start = record.find(key);
  if (start == std::string_view::npos) return {};
  const std::string_view value = record.substr(start + key.size());
  return ResolveMarkupReferences(value.substr(0, value.find('"')), MarkupBuild::kFull);
}

std::string MarkupFailureReason(std::string_view results) {
  std::string reason = MarkupResultValue(results, "file_error", "description");
  return reason.empty() ? std::string(results) : reason;
}

}  // namespace tavrel
