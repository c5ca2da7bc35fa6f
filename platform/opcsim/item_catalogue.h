// ItemCatalogue: the address space of a simulated server, as a tree of branches holding items.
//
// Item ids are the names of the branches on the way from the top joined by "." and then the
// item's own name ("Random.Int1", "中文.设备一.温度"); an item at the top has its name as id.
// Branches and items keep the order in which they were added; browsing lists them in that
// order. The catalogue is built once and then only read, so it needs no lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "common/wide_string.h"
#include "platform/com/com_api.h"
#include "platform/com/owned_variant.h"

namespace tavrel::opcsim {

// Where an item's value comes from.
enum class SignalKind {
  kRandom,        // a new pseudo-random value every signal period
  kRamp,          // saw-tooth 0..99, one step per signal period
  kSine,          // 100 * sin, 36 steps per cycle
  kSquare,        // -100 and +100 alternating every signal period
  kCounter,       // the number of signal periods since the server started
  kHeartbeat,     // false and true alternating every signal period
  kQualityCycle,  // a constant value whose quality cycles through 192, 0, 64, 216, 193
  kBulk,          // a new pseudo-random real every bulk period
  kStored,        // the last value written (starting with the item's initial value)
};

struct ItemDefinition {
  WideString itemId;  // filled in by ItemCatalogue::AddItem
  WideString name;
  std::size_t branch = 0;  // filled in by ItemCatalogue::AddItem
  VARTYPE canonicalType = VT_EMPTY;
  DWORD accessRights = 0;
  WideString description;
  SignalKind signal = SignalKind::kStored;
  std::uint32_t seed = 0;     // tells apart the random values of items of one signal
  HRESULT readError = S_OK;   // every read of the item fails with this code
  HRESULT writeError = S_OK;  // every write of the item fails with this code
  // Analog items (numeric scalars) have an engineering range, which dead bands refer to.
  bool analog = false;
  double euLow = 0.0;
  double euHigh = 0.0;
  // Texts a string item shows in turn instead of numbers (empty: numbers as text).
  std::vector<WideString> texts;
  OwnedVariant initialValue;  // for kStored items
};

struct BranchNode {
  WideString name;  // empty for the top
  WideString path;  // the branch's own id: names from the top joined by "."
  std::size_t parent = 0;
  std::vector<std::size_t> branches;  // sub-branches, in order
  std::vector<std::size_t> items;     // items directly in this branch, in order
};

class ItemCatalogue {
 public:
  static constexpr WCHAR kSeparator = OLESTR('.');
  static constexpr std::size_t kRoot = 0;

  ItemCatalogue();

  // Adds a branch below `parent` and returns its index.
  std::size_t AddBranch(std::size_t parent, WideString name);
  // Adds an item to `branch` and returns its index; fills in its id and branch.
  std::size_t AddItem(std::size_t branch, ItemDefinition item);

  std::size_t ItemCount() const { return items_.size(); }
  const ItemDefinition& Item(std::size_t index) const { return items_[index]; }
  const BranchNode& Branch(std::size_t index) const { return branches_[index]; }

  std::optional<std::size_t> FindItem(WideStringView itemId) const;
  std::optional<std::size_t> FindSubBranch(std::size_t branch, WideStringView name) const;
  // The branch whose path is `path` ("" is the top).
  std::optional<std::size_t> FindBranch(WideStringView path) const;
  // The item named `name` directly in `branch`.
  std::optional<std::size_t> FindLeaf(std::size_t branch, WideStringView name) const;

 private:
  std::vector<BranchNode> branches_;
  std::vector<ItemDefinition> items_;
  std::unordered_map<WideString, std::size_t> itemsById_;
  std::unordered_map<WideString, std::size_t> branchesByPath_;
};

}  // namespace tavrel::opcsim
