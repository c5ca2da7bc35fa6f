// COM objects shared by the tests of the runtime.
#pragma once

#include <atomic>

#include "platform/com/com_object.h"

namespace tavrel {

// A plain object that counts its own destructions.
class CountedObject final : public ComObject<IUnknown> {
 public:
  explicit CountedObject(std::atomic<int>* destroyed = nullptr) : destroyed_(destroyed) {}
  ~CountedObject() override {
    if (destroyed_ != nullptr) destroyed_->fetch_add(1);
  }

 private:
  std::atomic<int>* destroyed_;
};

// The reference count of `object`, read by adding and releasing one.
inline ULONG ReferencesOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

}  // namespace tavrel
