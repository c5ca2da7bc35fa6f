#include "platform/opcsim/item_attributes_enumerator.h"

#include <algorithm>
#include <memory>

#include "common/mutex.h"
#include "platform/com/com_api.h"
#include "platform/com/com_enumerator.h"
#include "platform/com/task_memory_ptr.h"

namespace tavrel::opcsim {

namespace {

using Snapshot = std::vector<ItemAttributes>;

bool Fill(const ItemAttributes& item, OPCITEMATTRIBUTES* out) {
  out->szAccessPath = TaskMemStringDuplicate(OLESTR(""));
  out->szItemID = TaskMemStringDuplicate(item.itemId);
  out->bActive = item.active ? TRUE : FALSE;
  out->hClient = item.clientHandle;
  out->hServer = item.serverHandle;
  out->dwAccessRights = item.accessRights;
  out->vtRequestedDataType = item.requestedType;
  out->vtCanonicalDataType = item.canonicalType;
  out->dwEUType = item.analog ? OPC_ANALOG : OPC_NOENUM;
  VariantInit(&out->vEUInfo);
  if (item.analog) {
    SAFEARRAY* range = SafeArrayCreateVector(VT_R8, 0, 2);
    if (range == nullptr) return false;
    static_cast<double*>(range->pvData)[0] = item.euLow;
    static_cast<double*>(range->pvData)[1] = item.euHigh;
    out->vEUInfo.vt = VT_ARRAY | VT_R8;
    out->vEUInfo.parray = range;
  }
  return out->szAccessPath != nullptr && out->szItemID != nullptr;
}

void Free(OPCITEMATTRIBUTES* attributes) {
  CoTaskMemFree(attributes->szAccessPath);
  CoTaskMemFree(attributes->szItemID);
  VariantClear(&attributes->vEUInfo);
}

class ItemAttributesEnumerator final
    : public EnumeratorCursor<IEnumOPCItemAttributes, ItemAttributesEnumerator, ItemAttributes,
                              E_INVALIDARG> {
 public:
  ItemAttributesEnumerator(std::shared_ptr<const Snapshot> items, std::size_t position)
      : EnumeratorCursor(std::move(items), position) {}

  STDMETHODIMP Next(ULONG count, OPCITEMATTRIBUTES** items, ULONG* fetched) override {
    if (items == nullptr || fetched == nullptr) return E_INVALIDARG;
    *items = nullptr;
    *fetched = 0;
    MutexLock lock(mutex_);
    const std::size_t available = std::min<std::size_t>(count, items_->size() - position_);
    TaskArray<OPCITEMATTRIBUTES> result(available);
    if (!result) return E_OUTOFMEMORY;
    for (std::size_t i = 0; i < available; ++i) {
      if (!Fill((*items_)[position_ + i], &result[i])) {
        for (std::size_t j = 0; j <= i; ++j) Free(&result[j]);
        return E_OUTOFMEMORY;
      }
    }
    position_ += available;
    *fetched = static_cast<ULONG>(available);
    *items = result.Release();
    return available == count ? S_OK : S_FALSE;
  }
};

}  // namespace

ComPtr<IEnumOPCItemAttributes> CreateItemAttributesEnumerator(std::vector<ItemAttributes> items) {
  return MakeComObject<ItemAttributesEnumerator>(std::make_shared<const Snapshot>(std::move(items)),
                                                 0);
}

}  // namespace tavrel::opcsim
