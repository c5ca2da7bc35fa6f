#include "opcclient/category_classes.h"

#include <array>

#include "platform/com/task_memory_ptr.h"

namespace tavrel {

namespace {

constexpr ULONG kClassesPerCall = 100;

}  // namespace

HRESULT ListCategoryClasses(IOPCServerList& service, const CATID& category,
                            std::vector<CategoryClass>& classes) {
  CATID wanted = category;
  ComPtr<IEnumGUID> enumeration;
  const HRESULT enumerated =
      service.EnumClassesOfCategories(1, &wanted, 1, &wanted, enumeration.GetAddressOf());
  if (FAILED(enumerated)) return enumerated;
  if (!enumeration) return E_FAIL;
  HRESULT read = S_OK;
  while (read == S_OK) {
    std::array<CLSID, kClassesPerCall> found{};
    ULONG fetched = 0;
    read = enumeration->Next(kClassesPerCall, found.data(), &fetched);
    if (FAILED(read)) break;
    for (ULONG i = 0; i < fetched && i < kClassesPerCall; ++i) {
      LPOLESTR progId = nullptr;
      LPOLESTR userType = nullptr;
      const HRESULT described = service.GetClassDetails(found[i], &progId, &userType);
      CategoryClass entry{TakeTaskMemoryString(progId), TakeTaskMemoryString(userType), found[i]};
      if (SUCCEEDED(described)) classes.push_back(std::move(entry));
    }
  }
  return S_OK;
}

}  // namespace tavrel
