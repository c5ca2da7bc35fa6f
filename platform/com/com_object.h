// ComObject<Interfaces...>: IUnknown for the COM objects of our own code.
//
// A class implements interfaces by deriving from ComObject<I1, I2, ...> and overriding their
// methods. ComObject provides a thread-safe reference count (the object deletes itself when it
// reaches 0) and QueryInterface for IID_IUnknown and each listed interface; the first listed
// interface is the object's identity. A class that answers further IIDs overrides
// QueryInterface and falls back to ComObject's.
//
// A listed type may also be an implementation class that derives from an interface (such as
// ClientSecurity); its InterfaceTraits then name that interface's IID.
//
// Objects start with a count of 0; MakeComObject creates one and hands out the first
// reference.
#pragma once

#include <atomic>
#include <cstddef>
#include <tuple>
#include <utility>

#include "platform/com/com_api.h"
#include "platform/com/com_ptr.h"

namespace tavrel {

// COM objects of ComObject type alive in the process. Tests use it to prove that every
// reference was released.
std::size_t ComObjectsAlive();

namespace com_object_internal {
void CountConstruction();
void CountDestruction();
template <typename... Types>
using FirstOf = std::tuple_element_t<0, std::tuple<Types...>>;
}  // namespace com_object_internal

template <typename... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown) {
      *object =
          static_cast<IUnknown*>(static_cast<com_object_internal::FirstOf<Interfaces...>*>(this));
    } else {
      (void)((iid == UuidOf<Interfaces>() ? (*object = static_cast<Interfaces*>(this), true)
                                          : false) ||
             ...);
    }
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }

  STDMETHODIMP_(ULONG) AddRef() override {
    return references_.fetch_add(1, std::memory_order_relaxed) + 1;
  }

  STDMETHODIMP_(ULONG) Release() override {
    const ULONG remaining = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (remaining == 0) delete this;
    return remaining;
  }

 protected:
  ComObject() { com_object_internal::CountConstruction(); }
  virtual ~ComObject() { com_object_internal::CountDestruction(); }

 private:
  std::atomic<ULONG> references_{0};
};

// Creates a T (a ComObject) and returns the first reference to it.
template <typename T, typename... Args>
ComPtr<T> MakeComObject(Args&&... args) {
  return ComPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace tavrel
