// Every interface type tied to its IID, so that typed helpers (ComPtr::As,
// ComObject::QueryInterface) find the IID of the interface they are given.
//
// COM_INTERFACE_ID(Interface) after an interface's declaration ties it to IID_Interface.
#pragma once

namespace tavrel {

// The interface an IID names. Specialised for every interface by COM_INTERFACE_ID.
template <typename Interface>
struct InterfaceTraits;

#define COM_INTERFACE_ID(Interface)                    \
  template <>                                          \
  struct InterfaceTraits<Interface> {                  \
    static constexpr const auto& id = IID_##Interface; \
  }

// The IID of `Interface`, as __uuidof gives it on Windows.
template <typename Interface>
constexpr const auto& UuidOf() {
  return InterfaceTraits<Interface>::id;
}

}  // namespace tavrel
