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
//  - MarkupBuild::kFull (manager, maker): files in any encoding are converted on load and
//    save; every HTML 4 entity name is resolved when reading attributes; diagnostics are a
//    result list.
//  - MarkupBuild::kBridge (bridge): files are read and written byte for byte; only the five
//    escape-table entities and numeric references are resolved; diagnostics are one error text.
//
// Nothing throws. Operations report failure by their return value. A malformed document stays
// navigable over the elements that were recognised. A document is used by one thread at a time.
#pragma once

#include <string>
#include <string_view>

enum class MarkupBuild { kFull, kBridge };

class MarkupDocument {
 public:
  // An empty document: empty text, no elements, all positions 0.
  explicit MarkupDocument(MarkupBuild build = MarkupBuild::kFull);

  // Replaces the whole text, parses it and resets every position; returns IsWellFormed().
  bool SetText(std::string_view text);
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

  // Sets or adds attribute `name` of the main element; false when there is no main element.
  bool SetAttribute(std::string_view name, std::string_view value);
  bool SetAttribute(std::string_view name, int value);          // "%d"
  bool SetAttributeReal(std::string_view name, double value);   // "%f"
  bool SetAttributeHex(std::string_view name, unsigned value);  // "%X"

  // Adds an element after the main element (as the parent's last child when there is no
  // main element) on a line of its own, and makes it the main element.
  bool AddElement(std::string_view name);                          // <name/>
  bool AddElement(std::string_view name, std::string_view value);  // <name>value</name>
  bool AddElement(std::string_view name, int value);               // "%d"

  // Diagnostics of the last load, save or parse: the result list of the full build, or the
  // joined error texts of the bridge build.
  const std::string& GetResult() const;

 private:
  // The implementation's state; see markup_document.cpp.
};
