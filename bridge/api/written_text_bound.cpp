#include "bridge/api/written_text_bound.h"

#include <cstdint>

#include "common/markup_escape.h"
#include "wire/api_frame.h"

namespace tavrel {

namespace {

// Bytes of an entry besides its `k` and value: the element, the attribute names and quotes,
// and the seconds, milliseconds, bad flag and handle at their widest.
constexpr std::size_t kWidestEntry = 128;
// A real printed with "%lf" takes at most 317 characters (DBL_MAX, signed, six decimals).
constexpr std::size_t kWidestNumber = 320;
// The declaration and the root element around the entries.
constexpr std::size_t kDocumentFrame = 128;
// What an escaped byte may take at most ("&quot;", "&apos;").
constexpr std::size_t kWidestEscape = 6;

}  // namespace

std::size_t WrittenTextBound(const BridgeProject& project, std::size_t statusTags) {
  // Below this a compressed reply is refused (BuildFrame).
  const std::size_t limit = kFrameMaxCompressedPayload - 37;
  std::size_t fixed = kDocumentFrame + statusTags * kWidestEntry;
  std::size_t textTags = 0;
  for (const auto& server : project.Servers()) {
    for (const auto& group : server->groups) {
      for (const auto& tag : group->tags) {
        fixed += kWidestEntry +
                 EscapeMarkupText(server->name + group->name + tag->id, MarkupEscapeSet::kAttribute)
                     .size();
        if (tag->valueClass == ApiValueType::kText) {
          ++textTags;
        } else {
          fixed += kWidestNumber;
        }
      }
    }
  }
  if (textTags == 0) return SIZE_MAX;
  if (fixed >= limit) return 0;
  return (limit - fixed) / (textTags * kWidestEscape);
}

}  // namespace tavrel
