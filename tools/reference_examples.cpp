#include "tools/reference_examples.h"

namespace tavrel {

namespace {

// The documents are UTF-8; these are the UTF-8 bytes, which narrow literals (GBK) are not.
constexpr std::string_view kFence = "```";
constexpr std::string_view kAnyText = "\xE2\x80\xA6";    // …
constexpr std::string_view kSent = "\xE2\x86\x92 ";      // →
constexpr std::string_view kReceived = "\xE2\x86\x90 ";  // ←
constexpr std::string_view kContinued = "  ";

std::string_view TrimEnd(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// Glob matching of `actual` against the parts of `expected` between the wildcards.
bool Matches(std::string_view expected, std::string_view actual) {
  const size_t wildcard = expected.find(kAnyText);
  if (wildcard == std::string_view::npos) return expected == actual;
  const std::string_view prefix = expected.substr(0, wildcard);
  if (!actual.starts_with(prefix)) return false;
  const std::string_view rest = expected.substr(wildcard + kAnyText.size());
  for (size_t skip = prefix.size(); skip <= actual.size(); ++skip) {
    if (Matches(rest, actual.substr(skip))) return true;
  }
  return false;
}

}  // namespace

std::vector<ExampleBlock> FencedBlocks(std::string_view markdown) {
  std::vector<ExampleBlock> blocks;
  bool inside = false;
  int number = 0;
  while (!markdown.empty()) {
    const size_t end = markdown.find('\n');
    const std::string_view line = TrimEnd(markdown.substr(0, end));
    markdown.remove_prefix(end == std::string_view::npos ? markdown.size() : end + 1);
    ++number;
    if (line.starts_with(kFence)) {
      if (!inside) blocks.push_back({std::string(line.substr(kFence.size())), number, {}});
      inside = !inside;
    } else if (inside) {
      blocks.back().lines.emplace_back(line);
    }
  }
  return blocks;
}

bool LineMatches(std::string_view expected, std::string_view actual) {
  return Matches(TrimEnd(expected), TrimEnd(actual));
}

std::vector<ExampleMessage> ConversationOf(const ExampleBlock& block) {
  std::vector<ExampleMessage> messages;
  for (const std::string& line : block.lines) {
    const std::string_view text = line;
    if (text.starts_with(kSent) || text.starts_with(kReceived)) {
      const bool sent = text.starts_with(kSent);
      messages.push_back({sent, {std::string(text.substr((sent ? kSent : kReceived).size()))}});
    } else if (text.starts_with(kContinued) && !messages.empty()) {
      messages.back().lines.emplace_back(text.substr(kContinued.size()));
    }
  }
  return messages;
}

}  // namespace tavrel
