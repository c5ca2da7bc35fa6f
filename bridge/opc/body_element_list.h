// BodyElementList: the text of a body document (body_document.h) whose root holds a list of
// empty elements with attributes, written straight into one string. It gives, byte for byte,
// what NewBodyDocument() and AddElement / SetAttribute for each element give, without the
// document's index and splicing: the replies that list every tag of a project (100,000 and
// more) are built on the API thread, where the document's cost held up every other client.
//
// Contract: each attribute name appears once per element (the document would replace a second
// one; this list would write it twice) and every name is a valid markup name; values are
// escaped as the document escapes attribute values.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrel {

class BodyElementList {
 public:
  // Room is made at once for `expectedElements` elements of a typical size: a list of a whole
  // project grows to megabytes, and growing it step by step would copy it and fault fresh
  // memory in at each step. Room never touched costs no memory.
  explicit BodyElementList(std::size_t expectedElements = 0);

  // Starts an empty element `name` after the previous one.
  void AddElement(std::string_view name);
  // Adds an attribute to the element started last.
  void SetAttribute(std::string_view name, std::string_view value);
  void SetAttribute(std::string_view name, int value);

  // The finished document's text; the list is left empty.
  std::string TakeText();

 private:
  void CloseElement();

  std::string text_;
  bool elementOpen_ = false;
  bool hasElements_ = false;
};

}  // namespace tavrel
