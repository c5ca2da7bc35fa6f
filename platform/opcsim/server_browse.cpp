// IOPCBrowseServerAddressSpace of the simulated server: the answers come from its
// AddressSpaceBrowser, under the server's lock.
#include "common/wide_string.h"
#include "platform/com/com_api.h"
#include "platform/com/enumerators.h"
#include "platform/com/task_memory_ptr.h"
#include "platform/opcsim/simulated_server.h"

namespace tavrel::opcsim {

STDMETHODIMP SimulatedServer::QueryOrganization(OPCNAMESPACETYPE* nameSpaceType) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (nameSpaceType == nullptr) return E_INVALIDARG;
  MutexLock lock(mutex_);
  *nameSpaceType = browser_.Organization();
  return S_OK;
}

STDMETHODIMP SimulatedServer::ChangeBrowsePosition(OPCBROWSEDIRECTION direction, LPCWSTR name) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  MutexLock lock(mutex_);
  return browser_.ChangePosition(direction, name != nullptr ? name : OLESTR(""));
}

STDMETHODIMP SimulatedServer::BrowseOPCItemIDs(OPCBROWSETYPE browseFilterType,
                                               LPCWSTR filterCriteria, VARTYPE dataTypeFilter,
                                               DWORD accessRightsFilter, LPENUMSTRING* strings) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (strings == nullptr) return E_INVALIDARG;
  *strings = nullptr;
  std::vector<WideString> names;
  {
    MutexLock lock(mutex_);
    const HRESULT hr =
        browser_.Browse(browseFilterType, filterCriteria != nullptr ? filterCriteria : OLESTR(""),
                        dataTypeFilter, accessRightsFilter, &names);
    if (FAILED(hr)) return hr;
  }
  // S_FALSE: nothing to list; the client still receives an (empty) enumerator to release.
  const HRESULT hr = names.empty() ? S_FALSE : S_OK;
  *strings = CreateStringEnumerator(std::move(names)).Detach();
  return hr;
}

STDMETHODIMP SimulatedServer::GetItemID(LPWSTR itemDataId, LPWSTR* itemId) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (itemId == nullptr) return E_INVALIDARG;
  *itemId = nullptr;
  WideString id;
  {
    MutexLock lock(mutex_);
    const HRESULT hr = browser_.ItemIdOf(itemDataId != nullptr ? itemDataId : OLESTR(""), &id);
    if (FAILED(hr)) return hr;
  }
  *itemId = TaskMemStringDuplicate(id);
  return *itemId != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP SimulatedServer::BrowseAccessPaths(LPCWSTR /*itemId*/, LPENUMSTRING* accessPaths) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (accessPaths != nullptr) *accessPaths = nullptr;
  return E_NOTIMPL;  // the simulated items have no access paths
}

}  // namespace tavrel::opcsim
