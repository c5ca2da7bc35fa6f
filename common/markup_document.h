// MarkupDocument: the XML document of all three programs.
//
// A document is its text plus an index of the elements in that text. Loading and saving an
// unchanged document reproduces it byte for byte; every edit (a new element, a new or changed
// attribute) is a splice into the text, after which the index is kept consistent, so
// navigation may continue after any edit.
//
// Navigation is by three positions, not by node objects: the parent (whose children are being
// walked, 0 = top level), the main element (the current one, 0 = before the parent's first
// child) and the child position remembered inside the main element.
//
// Text in memory is in the system code page (GBK). Two builds of the layer exist:
//  - MarkupBuild::kFull (the manager and the file formats of common/): files in any encoding are
//    converted on load and save; every HTML 4 entity name is resolved when reading attributes;
//    diagnostics are a result list.
//  - MarkupBuild::kBridge (bridge): files are read and written byte for byte; only the five
//    escape-table entities and numeric references are resolved; diagnostics are one error text.
//
// Nothing throws. Operations report failure by their return value. A malformed document stays
// navigable over the elements that were recognised. A document is used by one thread at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/markup_element_index.h"
#include "common/markup_file.h"

namespace tavrel {

enum class MarkupBuild { kFull, kBridge };

class MarkupDocument {
 public:
  // An empty document: empty text, no elements, all positions 0.
  explicit MarkupDocument(MarkupBuild build = MarkupBuild::kFull);

  // Replaces the whole text, parses it and resets every position; returns IsWellFormed().
  // SaveFile writes the text as it would write one read from a file of `origin` (full build).
  bool SetText(std::string_view text, const MarkupFileOrigin& origin = {});
  const std::string& GetText() const;

  // Reads the file (converting its encoding in the full build) and parses it as SetText.
  // Returns false when the file cannot be read, else IsWellFormed().
  bool LoadFile(const std::string& path);
  // Writes the text to the file (in its declared encoding in the full build). The file is
  // replaced atomically: a failed or interrupted save leaves the previous file whole.
  bool SaveFile(const std::string& path);

  // True when the document has exactly one top-level element and no ill-formed part.
  bool IsWellFormed() const;

  // Moves the main position to the next sibling element named `name` (any element when
  // `name` is empty). No match: positions unchanged, false.
  bool FindElement(std::string_view name = {});
  // Steps into the main element; false when there is none.
  bool EnterElement();
  // Steps out to the parent, which becomes the main element; false at the top level.
  bool LeaveElement();
  // Main and child positions to 0, so the next FindElement starts at the first child.
  bool ResetMainPosition();

  // The value of attribute `name` of the main element with references resolved; empty when
  // there is no main element or no such attribute.
  std::string GetAttribute(std::string_view name) const;

  // Sets or adds attribute `name` of the main element (the value escaped, in double quotes);
  // false when there is no main element or when `name` is empty or holds white space or one
  // of < > / = " ' &, which would break the tag.
  bool SetAttribute(std::string_view name, std::string_view value);
  bool SetAttribute(std::string_view name, int value);          // "%d"
  bool SetAttributeReal(std::string_view name, double value);   // "%f"
  bool SetAttributeHex(std::string_view name, unsigned value);  // "%X"

  // Adds an element after the main element (as the parent's last child when there is no
  // main element) on a line of its own, and makes it the main element. False when `name`
  // would break the markup (as for SetAttribute) or does not begin a start tag ("A" to "Z",
  // "_", ":" or a byte above 0x60).
  bool AddElement(std::string_view name);                          // <name/>
  bool AddElement(std::string_view name, std::string_view value);  // <name>value</name>
  bool AddElement(std::string_view name, int value);               // "%d"

  // Diagnostics of the last load, save or parse: the result list of the full build, or the
  // joined error texts of the bridge build.
  const std::string& GetResult() const;

 private:
  // Parses text_ into index_, appends the diagnostics to result_, resets the positions and
  // returns IsWellFormed().
  bool Parse();
  // Empties the text and the index (a failed load).
  void Clear();

  std::string_view TagName(uint32_t element) const;
  bool HasName(uint32_t element, std::string_view name) const;
  uint32_t LastChild(uint32_t parent) const;
  // Written as one tag ending in "/>" (the document itself is none).
  bool IsEmptyElement(uint32_t element) const;

  bool AddElementText(std::string_view name, std::optional<std::string_view> value);
  // Where a new element's text goes (it ends with CR LF): `text` replaces `removed` bytes at
  // `offset`, and the element starts at `elementStart` in the new text. When the parent was
  // an empty element, its start tag loses `parentStartTagShrink` bytes of its "/>".
  struct Insertion {
    size_t offset;
    size_t removed;
    std::string text;
    size_t elementStart;
    uint32_t parentStartTagShrink;
  };
  Insertion PlaceElement(std::string element) const;
  bool SetAttributeText(std::string_view name, std::string_view value);

  // Replaces `removed` bytes at `offset` with `inserted` and returns the change in length
  // (modulo 2^32, as offsets are kept); nothing when the text would outgrow 32-bit offsets.
  std::optional<uint32_t> Splice(size_t offset, size_t removed, std::string_view inserted);
  // After a splice: moves by `delta` the children of `container` that follow `previous` (all
  // of them when `previous` is 0) and every element that follows `container`.
  void ShiftFollowing(uint32_t container, uint32_t previous, uint32_t delta);
  void ShiftSubtree(uint32_t element, uint32_t delta);
  // After a splice: adds `delta` to the length of `element` and of everything enclosing it.
  void GrowEnclosing(uint32_t element, uint32_t delta);

  MarkupBuild build_;
  std::string text_;
  MarkupElementIndex index_;  // record 0 is the document
  uint32_t parent_ = 0;       // whose children are walked; 0 = top level
  uint32_t main_ = 0;         // the current element; 0 = before the parent's first child
  uint32_t child_ = 0;        // remembered inside the main element, taken by EnterElement
  MarkupFileOrigin origin_;   // of the file the text came from
  std::string result_;
};

}  // namespace tavrel
