#include "platform/opcda/opc_server_list.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/code_page.h"
#include "platform/com/com_api.h"
#include "platform/com/com_object.h"
#include "platform/com/enumerators.h"
#include "platform/com/linux/class_registry.h"
#include "platform/com/task_memory_ptr.h"
#include "platform/opcda/opc_interfaces.h"

namespace tavrel {

namespace {

constexpr ULONG kEveryCategory = static_cast<ULONG>(-1);

class OpcServerList final : public ComObject<IOPCServerList> {
 public:
  explicit OpcServerList(std::string node) : node_(std::move(node)) {}

  STDMETHODIMP EnumClassesOfCategories(ULONG implementedCount, CATID implemented[],
                                       ULONG /*requiredCount*/, CATID /*required*/[],
                                       IEnumGUID** classes) override {
    if (classes == nullptr) return E_POINTER;
    *classes = nullptr;
    if (implementedCount != kEveryCategory && implementedCount > 0 && implemented == nullptr) {
      return E_INVALIDARG;
    }
    std::vector<GUID> found;
    for (const ClassDescriptor& descriptor : ClassRegistry::Instance().ClassesOnNode(node_)) {
      const bool implementsOne =
          implementedCount == kEveryCategory ||
          std::any_of(implemented, implemented + implementedCount, [&](const CATID& category) {
            return std::find(descriptor.categories.begin(), descriptor.categories.end(),
                             category) != descriptor.categories.end();
          });
      if (implementsOne) found.push_back(descriptor.clsid);
    }
    *classes = CreateGuidEnumerator(std::move(found)).Detach();
    return S_OK;
  }

  STDMETHODIMP GetClassDetails(REFCLSID clsid, LPOLESTR* progId, LPOLESTR* userType) override {
    if (progId == nullptr || userType == nullptr) return E_INVALIDARG;
    *progId = nullptr;
    *userType = nullptr;
    const auto descriptor = ClassRegistry::Instance().FindByClsid(clsid, node_);
    if (!descriptor) return REGDB_E_CLASSNOTREG;
    TaskMemoryPtr<OLECHAR> progIdText(TaskMemStringDuplicate(AnsiToWide(descriptor->progId)));
    TaskMemoryPtr<OLECHAR> userTypeText(
        TaskMemStringDuplicate(AnsiToWide(descriptor->description)));
    if (progIdText == nullptr || userTypeText == nullptr) return E_OUTOFMEMORY;
    *progId = progIdText.release();
    *userType = userTypeText.release();
    return S_OK;
  }

  STDMETHODIMP CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid) override {
    if (progId == nullptr || clsid == nullptr) return E_INVALIDARG;
    *clsid = CLSID_NULL;
    const auto descriptor = ClassRegistry::Instance().FindByProgId(WideToAnsi(progId), node_);
    if (!descriptor) return CO_E_CLASSSTRING;
    *clsid = descriptor->clsid;
    return S_OK;
  }

 private:
  const std::string node_;  // canonical node name; "" for this computer
};

}  // namespace

void RegisterOpcCoreClasses() {
  ClassDescriptor descriptor;
  descriptor.progId = "OPC.ServerList.1";
  descriptor.clsid = CLSID_OpcServerList;
  descriptor.description = "OpcServerList Class";
  descriptor.nodes = {"*"};
  RegisterBuiltInClass(
      std::move(descriptor), [](const ActivationRequest& request, REFIID iid, void** object) {
        return MakeComObject<OpcServerList>(request.node)->QueryInterface(iid, object);
      });
}

}  // namespace tavrel
