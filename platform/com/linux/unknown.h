// IUnknown and the declaration macros of COM interfaces.
//
// Calls on objects are direct virtual calls: there is no marshalling, and an interface may be
// called from any thread, as in the multithreaded apartment. An implementation must therefore
// be thread-safe, its reference count included.
#pragma once

#include "platform/com/interface_id.h"
#include "platform/com/linux/guid.h"
#include "platform/com/linux/hresult.h"

// Calling conventions have no meaning here; the macros keep Windows' declaration shapes.
#define STDMETHODCALLTYPE
#define STDMETHOD(method) virtual HRESULT STDMETHODCALLTYPE method
#define STDMETHOD_(type, method) virtual type STDMETHODCALLTYPE method
#define STDMETHODIMP HRESULT STDMETHODCALLTYPE
#define STDMETHODIMP_(type) type STDMETHODCALLTYPE
#define PURE = 0
// The head of an interface's declaration as the IDL compiler writes it.
#define MIDL_INTERFACE(iid) struct

namespace tavrel {

inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IUnknown {
  // Sets `*object` to the object's `iid` interface with one reference added, or to null with
  // E_NOINTERFACE. Asking for IID_IUnknown always gives the same pointer (the object's
  // identity).
  STDMETHOD(QueryInterface)(REFIID iid, void** object) PURE;
  // Returns the new count; the value is for diagnostics only.
  STDMETHOD_(ULONG, AddRef)() PURE;
  // Destroys the object when the count reaches 0.
  STDMETHOD_(ULONG, Release)() PURE;

 protected:
  // Objects are destroyed by Release, never through an interface pointer.
  ~IUnknown() = default;
};
COM_INTERFACE_ID(IUnknown);

using LPUNKNOWN = IUnknown*;

}  // namespace tavrel
