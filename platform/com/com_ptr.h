// ComPtr<T>: the owning interface pointer of our own code.
//
// Holds one reference to a COM interface and releases it when destroyed or reset. Copies
// add a reference, moves transfer it. Out parameters of COM calls are filled through
// ReleaseAndGetAddressOf() (or GetAddressOf() on an empty pointer).
#pragma once

#include <cstddef>
#include <utility>

#include "platform/com/com_api.h"

namespace tavrel {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Adds a reference to `pointer`.
  explicit ComPtr(T* pointer) : pointer_(pointer) { AddRefHeld(); }
  ComPtr(const ComPtr& other) : pointer_(other.pointer_) { AddRefHeld(); }
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  template <typename U>
  ComPtr(ComPtr<U>&& other) noexcept : pointer_(other.Detach()) {}
  ~ComPtr() { ReleaseHeld(); }

  ComPtr& operator=(const ComPtr& other) {
    ComPtr(other).Swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) {
    Reset();
    return *this;
  }

  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // The address of the held pointer, for an out parameter. The pointer must be empty.
  T** GetAddressOf() { return &pointer_; }
  // Releases the held reference and returns the address for an out parameter.
  T** ReleaseAndGetAddressOf() {
    Reset();
    return &pointer_;
  }
  // The same, typed for QueryInterface-shaped out parameters.
  void** ReleaseAndGetVoidAddressOf() { return reinterpret_cast<void**>(ReleaseAndGetAddressOf()); }

  void Reset() { ReleaseHeld(); }
  // Takes over a reference the caller owns, without adding one.
  void Attach(T* pointer) {
    ReleaseHeld();
    pointer_ = pointer;
  }
  // Gives up the held reference to the caller.
  T* Detach() { return std::exchange(pointer_, nullptr); }
  void Swap(ComPtr& other) noexcept { std::swap(pointer_, other.pointer_); }

  // Hands a new reference to a raw out parameter, as a COM method returns one.
  HRESULT CopyTo(T** out) const {
    if (out == nullptr) return E_POINTER;
    *out = pointer_;
    AddRefHeld();
    return S_OK;
  }

  // Queries the held object for interface U.
  template <typename U>
  HRESULT As(ComPtr<U>* out) const {
    if (out == nullptr) return E_POINTER;
    if (pointer_ == nullptr) return E_POINTER;
    return pointer_->QueryInterface(UuidOf<U>(), out->ReleaseAndGetVoidAddressOf());
  }

  friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.pointer_ == b.pointer_; }
  friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.pointer_ == nullptr; }

 private:
  void AddRefHeld() const {
    if (pointer_ != nullptr) pointer_->AddRef();
  }
  void ReleaseHeld() {
    if (T* held = std::exchange(pointer_, nullptr)) held->Release();
  }

  T* pointer_ = nullptr;
};

}  // namespace tavrel
