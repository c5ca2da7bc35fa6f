// Owners of the OPC result arrays a server returns, whose elements own memory too: freed as
// the OPC interfaces require.
#pragma once

#include "platform/com/com_api.h"
#include "platform/com/task_memory_ptr.h"
#include "platform/opcda/opcda.h"

namespace tavrel {

// `count` elements in task memory (none when `elements` is null): each is released with
// `ReleaseElement`, then the array is freed.
template <typename T, void (*ReleaseElement)(T&)>
class OpcResultArray {
 public:
  OpcResultArray(T* elements, DWORD count)
      : elements_(elements), count_(elements != nullptr ? count : 0) {}
  ~OpcResultArray() {
    for (DWORD i = 0; i < count_; ++i) ReleaseElement(elements_.get()[i]);
  }
  OpcResultArray(const OpcResultArray&) = delete;
  OpcResultArray& operator=(const OpcResultArray&) = delete;

  T& operator[](DWORD index) const { return elements_.get()[index]; }

 private:
  TaskMemoryPtr<T> elements_;
  DWORD count_;
};

inline void ClearItemStateValue(OPCITEMSTATE& state) { VariantClear(&state.vDataValue); }
inline void FreeItemResultBlob(OPCITEMRESULT& result) { CoTaskMemFree(result.pBlob); }
inline void ClearVariant(VARIANT& value) { VariantClear(&value); }

using ItemStates = OpcResultArray<OPCITEMSTATE, ClearItemStateValue>;
using ItemResults = OpcResultArray<OPCITEMRESULT, FreeItemResultBlob>;
using VariantArray = OpcResultArray<VARIANT, ClearVariant>;

}  // namespace tavrel
