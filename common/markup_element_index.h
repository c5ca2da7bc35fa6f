// The element index of a markup document: one record per element of its text.
//
// Records live in segments of kSegmentSize records. An element's index holds its segment in
// the upper 16 bits and its slot in the lower 16 bits, and a record never changes its index,
// so indices stay valid while the index grows. Record 0 stands for the document itself: it
// covers the whole text and its children are the top-level elements. References returned by
// operator[] are valid only until the next Add().
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace tavrel {

// One element: where it lies in the text and how it is linked to its neighbours. Offsets and
// lengths are in bytes of the text; links are indices, 0 meaning none (or the document, for
// `parent`).
struct MarkupElement {
  uint32_t start;           // offset of the "<" of its start tag
  uint32_t length;          // from "<" to the end of its end tag (or of its empty tag)
  uint32_t startTagLength;  // of the start tag, "<" to ">" inclusive
  uint32_t endTagLength;    // 0 for an empty element and for one that was not ended
  uint32_t flags;           // MarkupElementFlag bits
  uint32_t parent;
  uint32_t firstChild;
  uint32_t nextSibling;      // 0 at the last sibling
  uint32_t previousSibling;  // for the first child: the last child of the parent
};

enum MarkupElementFlag : uint32_t {
  kMarkupNotEnded = 1,       // a start tag without end tag; its length is its start tag's
  kMarkupIllFormedPart = 2,  // something inside the element was ill-formed (record 0: anywhere)
};

class MarkupElementIndex {
 public:
  static constexpr uint32_t kSegmentSize = 65536;

  MarkupElementIndex();

  // Empties the index down to record 0, zeroed, and makes room for the elements a text of
  // `textLength` bytes is expected to hold (textLength / 64 + 8 records).
  void Reset(size_t textLength);

  // Appends a zeroed record and returns its index. Grows the room by half when it is full.
  uint32_t Add();

  uint32_t size() const { return size_; }
  MarkupElement& operator[](uint32_t index) {
    return segments_[index >> 16][index & (kSegmentSize - 1)];
  }
  const MarkupElement& operator[](uint32_t index) const {
    return segments_[index >> 16][index & (kSegmentSize - 1)];
  }

 private:
  // Makes room for at least `capacity` records in total, keeping every record's index.
  void Reserve(size_t capacity);

  std::vector<std::unique_ptr<MarkupElement[]>> segments_;
  size_t capacity_ = 0;  // records allocated across all segments
  uint32_t size_ = 0;
};

}  // namespace tavrel
