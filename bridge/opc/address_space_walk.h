// AddressSpaceWalk: the traversal of a server's address space behind BrowseServerTags, one
// `it` element (item id, canonical type, access rights) per item into a document.
//
// The tree walk lists each branch's leaves, then its sub-branches, depth first from the top
// level; the flat walk lists every item id as the server gives it. Item types and rights come
// from adding each item to `items` (none: 0 and 0). A server's answers are not trusted to end:
// the walk goes at most kMaxBranchDepth branches deep and visits at most kMaxBranches branches
// (a branch that contains itself, or a DOWN step that always succeeds, would otherwise never
// end), and an enumerator that answers S_OK without names ends its listing.
#pragma once

#include <cstddef>
#include <vector>

#include "common/markup_document.h"
#include "common/wide_string.h"
#include "platform/opcda/opcda.h"

namespace tavrel {

class AddressSpaceWalk {
 public:
  static constexpr std::size_t kMaxBranchDepth = 32;
  static constexpr std::size_t kMaxBranches = 100000;

  AddressSpaceWalk(IOPCBrowseServerAddressSpace& browser, IOPCItemMgt* items,
                   MarkupDocument& document)
      : browser_(browser), items_(items), document_(document) {}

  void WalkFlat();
  void WalkTree();
  // Climbs back after the walk, at most ten steps.
  void ClimbBack();

 private:
  using BranchPath = std::vector<WideString>;

  void ClimbToTop();
  bool GoTo(const BranchPath& path);
  void ListLeaves(const BranchPath& path);
  void WalkSubBranches(const BranchPath& path);
  // Lists and descends into `path` unless a bound is reached.
  void WalkBranch(const BranchPath& path);
  void AddItem(WideStringView itemId);

  IOPCBrowseServerAddressSpace& browser_;
  IOPCItemMgt* items_;
  MarkupDocument& document_;
  std::size_t branches_ = 0;
};

}  // namespace tavrel
