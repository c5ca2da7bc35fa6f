#include "maker/online/item_attributes.h"

#include <functional>

#include "opcclient/opc_result_owners.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace {

constexpr DWORD kCanonicalTypeProperty = 1;
constexpr DWORD kAccessRightsProperty = 5;

// The definitions of `requests`; they point into `requests`, which must outlive them.
std::vector<OPCITEMDEF> Definitions(const std::vector<ItemRequest>& requests) {
  std::vector<OPCITEMDEF> definitions;
  definitions.reserve(requests.size());
  for (const ItemRequest& request : requests) {
    definitions.push_back({const_cast<LPWSTR>(request.accessPath.c_str()),
                           const_cast<LPWSTR>(request.id.c_str()), TRUE, 0, 0, nullptr, VT_EMPTY,
                           0});
  }
  return definitions;
}

using ItemCall = std::function<HRESULT(DWORD, OPCITEMDEF*, OPCITEMRESULT**, HRESULT**)>;

// Runs `call` on the definitions and hands its results and errors to `take`.
HRESULT CallWithResults(const std::vector<ItemRequest>& requests, const ItemCall& call,
                        const std::function<void(const ItemResults&, const HRESULT*)>& take) {
  std::vector<OPCITEMDEF> definitions = Definitions(requests);
  const auto count = static_cast<DWORD>(definitions.size());
  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  const HRESULT hr = call(count, definitions.data(), &results, &errors);
  const ItemResults ownedResults(results, count);
  const TaskMemoryPtr<HRESULT> ownedErrors(errors);
  if (SUCCEEDED(hr) && results != nullptr && errors != nullptr) take(ownedResults, errors);
  return hr;
}

ItemAttributes AttributesOf(const OPCITEMRESULT& result) {
  return {static_cast<int>(result.vtCanonicalDataType), static_cast<int>(result.dwAccessRights)};
}

// The integer a property's value holds; nothing for a failed read or a value of another kind.
std::optional<int> PropertyNumber(const VARIANT& value, HRESULT error) {
  if (FAILED(error)) return std::nullopt;
  VARIANT number;
  VariantInit(&number);
  if (FAILED(VariantChangeType(&number, &value, 0, VT_I4))) {
    return std::nullopt;
  }
  return static_cast<int>(number.lVal);
}

}  // namespace

std::vector<std::optional<ItemAttributes>> AddItemsForAttributes(
    IOPCItemMgt* items, const std::vector<ItemRequest>& requests) {
  std::vector<std::optional<ItemAttributes>> attributes(requests.size());
  if (items == nullptr || requests.empty()) return attributes;
  CallWithResults(
      requests,
      [&](DWORD count, OPCITEMDEF* definitions, OPCITEMRESULT** results, HRESULT** errors) {
        return items->AddItems(count, definitions, results, errors);
      },
      [&](const ItemResults& results, const HRESULT* errors) {
        for (std::size_t i = 0; i < requests.size(); ++i) {
          if (SUCCEEDED(errors[i])) attributes[i] = AttributesOf(results[static_cast<DWORD>(i)]);
        }
      });
  return attributes;
}

std::optional<std::vector<ItemAttributes>> ValidateItemBatch(
    IOPCItemMgt& items, const std::vector<ItemRequest>& requests) {
  std::vector<ItemAttributes> attributes;
  const HRESULT hr = CallWithResults(
      requests,
      [&](DWORD count, OPCITEMDEF* definitions, OPCITEMRESULT** results, HRESULT** errors) {
        return items.ValidateItems(count, definitions, FALSE, results, errors);
      },
      [&](const ItemResults& results, const HRESULT*) {
        for (std::size_t i = 0; i < requests.size(); ++i) {
          attributes.push_back(AttributesOf(results[static_cast<DWORD>(i)]));
        }
      });
  if (hr != S_OK || attributes.size() != requests.size()) return std::nullopt;
  return attributes;
}

std::optional<ItemAttributes> ReadItemProperties(IOPCItemProperties& properties,
                                                 const WideString& itemId) {
  WideString id = itemId;
  DWORD count = 0;
  DWORD* ids = nullptr;
  LPWSTR* descriptions = nullptr;
  VARTYPE* types = nullptr;
  const HRESULT queried =
      properties.QueryAvailableProperties(id.data(), &count, &ids, &descriptions, &types);
  const TaskMemoryPtr<DWORD> ownedIds(ids);
  const TaskMemoryPtr<LPWSTR> ownedDescriptions(descriptions);
  const TaskMemoryPtr<VARTYPE> ownedTypes(types);
  if (descriptions != nullptr) {
    for (DWORD i = 0; i < count; ++i) CoTaskMemFree(descriptions[i]);
  }
  if (FAILED(queried) || ids == nullptr || count == 0) return std::nullopt;

  VARIANT* values = nullptr;
  HRESULT* errors = nullptr;
  const HRESULT read = properties.GetItemProperties(id.data(), count, ids, &values, &errors);
  const VariantArray ownedValues(values, count);
  const TaskMemoryPtr<HRESULT> ownedErrors(errors);
  if (FAILED(read) || values == nullptr || errors == nullptr) return std::nullopt;
  std::optional<int> vt;
  std::optional<int> dir;
  for (DWORD i = 0; i < count; ++i) {
    if (ids[i] == kCanonicalTypeProperty) vt = PropertyNumber(values[i], errors[i]);
    if (ids[i] == kAccessRightsProperty) dir = PropertyNumber(values[i], errors[i]);
  }
  if (!vt && !dir) return std::nullopt;
  return ItemAttributes{vt.value_or(0), dir.value_or(0)};
}

}  // namespace tavrel
