// The calling thread's membership of the multithreaded COM apartment, for the life of the
// object (CoInitializeEx on construction, CoUninitialize on destruction).
#pragma once

#include "platform/com/com_api.h"

namespace tavrel {

class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
  ~ComApartment() { CoUninitialize(); }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
};

}  // namespace tavrel
