// Owners of the OPC result arrays a server returns, whose elements own memory too: freed as
// the OPC interfaces require.
#pragma once

#include <memory>

#include "platform/com/task_memory_ptr.h"
#include "platform/com/variant.h"
#include "platform/opcda/opcda.h"

// `count` item states: their values are cleared, then the array is freed.
class ItemStates {
 public:
  ItemStates(OPCITEMSTATE* states, DWORD count) : states_(states), count_(count) {}
  ~ItemStates() {
    for (DWORD i = 0; states_ && i < count_; ++i) VariantClear(&states_.get()[i].vDataValue);
  }
  ItemStates(const ItemStates&) = delete;
  ItemStates& operator=(const ItemStates&) = delete;
  OPCITEMSTATE& operator[](DWORD index) const { return states_.get()[index]; }

 private:
  TaskMemoryPtr<OPCITEMSTATE> states_;
  DWORD count_;
};

// `count` item results: their blobs are freed, then the array.
class ItemResults {
 public:
  ItemResults(OPCITEMRESULT* results, DWORD count) : results_(results), count_(count) {}
  ~ItemResults() {
    for (DWORD i = 0; results_ && i < count_; ++i) CoTaskMemFree(results_.get()[i].pBlob);
  }
  ItemResults(const ItemResults&) = delete;
  ItemResults& operator=(const ItemResults&) = delete;
  OPCITEMRESULT& operator[](DWORD index) const { return results_.get()[index]; }

 private:
  TaskMemoryPtr<OPCITEMRESULT> results_;
  DWORD count_;
};

// `count` variants: cleared, then the array is freed.
class VariantArray {
 public:
  VariantArray(VARIANT* values, DWORD count) : values_(values), count_(count) {}
  ~VariantArray() {
    for (DWORD i = 0; values_ && i < count_; ++i) VariantClear(&values_.get()[i]);
  }
  VariantArray(const VariantArray&) = delete;
  VariantArray& operator=(const VariantArray&) = delete;
  VARIANT* Get() const { return values_.get(); }

 private:
  TaskMemoryPtr<VARIANT> values_;
  DWORD count_;
};
