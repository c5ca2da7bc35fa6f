#include "platform/com/linux/class_registry_file.h"

#include <optional>

#include "common/code_page.h"
#include "platform/com/guid_text.h"

namespace tavrel {

namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// One section while it is read: what it declares and whether it is sound.
struct Section {
  enum Kind { kNone, kClass, kNode, kBroken } kind = kNone;  // kBroken: contents skipped
  int line = 0;
  ClassDescriptor descriptor;
  std::string nodeName;
  NodeIdentity identity;
  bool hasIdentity = false;
  std::string error;  // the first error met in the section
};

class Parser {
 public:
  ClassRegistryFileContents Parse(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int lineNumber = 0;
    while (!text.empty()) {
      const size_t end = text.find('\n');
      const std::string_view line = Trim(text.substr(0, end));
      text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
      ++lineNumber;
      if (line.empty() || line.front() == '#' || line.front() == ';') continue;
      if (line.front() == '[') {
        StartSection(line, lineNumber);
      } else {
        ReadKey(line, lineNumber);
      }
    }
    FinishSection();
    return std::move(contents_);
  }

 private:
  void Fail(int line, const std::string& message) {
    if (section_.error.empty()) section_.error = "line " + std::to_string(line) + ": " + message;
  }

  void StartSection(std::string_view line, int lineNumber) {
    FinishSection();
    section_ = Section();
    section_.line = lineNumber;
    if (line.back() != ']') {
      section_.kind = Section::kBroken;
      Fail(lineNumber, "section header without ']'");
      return;
    }
    const std::string_view header = Trim(line.substr(1, line.size() - 2));
    const std::string_view word = header.substr(0, header.find_first_of(" \t"));
    const std::string_view argument = Trim(header.substr(word.size()));
    if (Lower(word) == "class" && argument.empty()) {
      section_.kind = Section::kClass;
    } else if (Lower(word) == "node" && !argument.empty()) {
      section_.kind = Section::kNode;
      section_.nodeName = Utf8ToAnsi(argument);
    } else {
      section_.kind = Section::kBroken;
      Fail(lineNumber, "unknown section [" + std::string(header) + "]");
    }
  }

  void ReadKey(std::string_view line, int lineNumber) {
    const size_t equals = line.find('=');
    if (section_.kind == Section::kNone) {
      contents_.errors.push_back("line " + std::to_string(lineNumber) + ": line outside a section");
      return;
    }
    if (section_.kind == Section::kBroken) return;
    if (equals == std::string_view::npos) {
      Fail(lineNumber, "line without '='");
      return;
    }
    const std::string key = Lower(Trim(line.substr(0, equals)));
    const std::string value = Utf8ToAnsi(Trim(line.substr(equals + 1)));
    if (key == "user") {
      section_.identity.user = value;
      section_.hasIdentity = true;
    } else if (key == "domain") {
      section_.identity.domain = value;
      section_.hasIdentity = true;
    } else if (key == "password") {
      section_.identity.password = value;
      section_.hasIdentity = true;
    } else if (section_.kind == Section::kNode) {
      Fail(lineNumber, "unknown key '" + key + "' in a node section");
    } else {
      ReadClassKey(key, value, lineNumber);
    }
  }

  void ReadClassKey(const std::string& key, const std::string& value, int lineNumber) {
    ClassDescriptor& d = section_.descriptor;
    if (key == "progid") {
      d.progId = value;
    } else if (key == "clsid") {
      if (!ParseGuid(value, &d.clsid)) Fail(lineNumber, "malformed clsid " + value);
    } else if (key == "description") {
      d.description = value;
    } else if (key == "category") {
      CATID category;
      if (ParseGuid(value, &category)) {
        d.categories.push_back(category);
      } else {
        Fail(lineNumber, "malformed category " + value);
      }
    } else if (key == "node") {
      d.nodes.push_back(value);
    } else if (key == "implementation") {
      d.implementation = value;
    } else {
      d.settings[key] = value;
    }
  }

  void FinishSection() {
    if (section_.kind == Section::kNone) return;
    if (section_.hasIdentity && section_.identity.user.empty()) {
      Fail(section_.line, "identity without user");
    }
    if (section_.kind == Section::kClass) {
      if (section_.descriptor.progId.empty()) Fail(section_.line, "class without progid");
      if (section_.descriptor.clsid == CLSID_NULL) Fail(section_.line, "class without clsid");
    }
    if (!section_.error.empty()) {
      contents_.errors.push_back(section_.error);
    } else if (section_.kind == Section::kClass) {
      if (section_.hasIdentity) section_.descriptor.identity = section_.identity;
      contents_.classes.push_back(std::move(section_.descriptor));
    } else {
      NodeDescriptor node{section_.nodeName, std::nullopt};
      if (section_.hasIdentity) node.identity = section_.identity;
      contents_.nodes.push_back(std::move(node));
    }
    section_ = Section();
  }

  ClassRegistryFileContents contents_;
  Section section_;
};

}  // namespace

ClassRegistryFileContents ParseClassRegistryFile(std::string_view utf8Text) {
  return Parser().Parse(utf8Text);
}

}  // namespace tavrel
