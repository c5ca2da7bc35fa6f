#include "platform/com/enumerators.h"

#include "platform/com/com_api.h"
#include "platform/com/com_enumerator.h"
#include "platform/com/task_memory_ptr.h"

namespace tavrel {

namespace {

struct StringPolicy {
  using Element = LPOLESTR;
  using Stored = WideString;
  static bool CopyOut(const Stored& item, Element* out) {
    *out = TaskMemStringDuplicate(item);
    return *out != nullptr;
  }
  static void Free(Element* element) {
    CoTaskMemFree(*element);
    *element = nullptr;
  }
};

struct GuidPolicy {
  using Element = GUID;
  using Stored = GUID;
  static bool CopyOut(const Stored& item, Element* out) {
    *out = item;
    return true;
  }
  static void Free(Element*) {}
};

}  // namespace

ComPtr<IEnumString> CreateStringEnumerator(std::vector<WideString> strings) {
  return MakeEnumerator<IEnumString, StringPolicy>(std::move(strings));
}

ComPtr<IEnumGUID> CreateGuidEnumerator(std::vector<GUID> guids) {
  return MakeEnumerator<IEnumGUID, GuidPolicy>(std::move(guids));
}

}  // namespace tavrel
