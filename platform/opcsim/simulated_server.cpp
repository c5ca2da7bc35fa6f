#include "platform/opcsim/simulated_server.h"

#include <algorithm>

#include "platform/com/com_api.h"
#include "platform/com/enumerators.h"
#include "platform/com/file_time_ticks.h"
#include "platform/com/task_memory_ptr.h"
#include "platform/opcda/opc_error.h"
#include "platform/opcsim/error_strings.h"
#include "platform/opcsim/simulated_group.h"

namespace tavrel::opcsim {

namespace {

constexpr LCID kEnglishUs = 0x0409;
constexpr LCID kChinesePrc = 0x0804;
constexpr LCID kLocales[] = {LOCALE_SYSTEM_DEFAULT, LOCALE_USER_DEFAULT, LOCALE_NEUTRAL,
                             LOCALE_INVARIANT,      kEnglishUs,          kChinesePrc};
constexpr WORD kBuildNumber = 1;
constexpr const WCHAR* kVendorInfo = OLESTR("OPCSim simulated OPC DA server");

bool IsKnownLocale(LCID locale) {
  return std::find(std::begin(kLocales), std::end(kLocales), locale) != std::end(kLocales);
}

bool IsDa2Interface(REFIID iid) {
  return iid == IID_IOPCCommon || iid == IID_IOPCItemProperties ||
         iid == IID_IConnectionPointContainer;
}

}  // namespace

SimulatedServer::SimulatedServer(std::shared_ptr<SimulatedDevice> device)
    : device_(std::move(device)),
      epoch_(device_->Faults().Epoch()),
      groups_(std::make_shared<GroupTable>()),
      shutdownPoint_(*this, IID_IOPCShutdown),
      browser_(device_->Catalogue(), device_->IsHierarchical()) {
  device_->AddConnection(this);
}

SimulatedServer::~SimulatedServer() {
  device_->RemoveConnection(this);
  for (ComPtr<SimulatedGroup>& group : groups_->RemoveAll()) group->Withdraw();
}

STDMETHODIMP SimulatedServer::QueryInterface(REFIID iid, void** object) {
  if (object != nullptr && !device_->OffersDa2() && IsDa2Interface(iid)) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  if (object != nullptr && iid == IID_IOPCBrowseServerAddressSpace &&
      device_->Faults().IsBrowsingRefused()) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  return ComObject::QueryInterface(iid, object);
}

STDMETHODIMP SimulatedServer::AddGroup(LPCWSTR name, BOOL active, DWORD requestedUpdateRate,
                                       OPCHANDLE clientGroup, LONG* timeBias,
                                       FLOAT* percentDeadband, DWORD lcid, OPCHANDLE* serverGroup,
                                       DWORD* revisedUpdateRate, REFIID iid, LPUNKNOWN* group) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (serverGroup == nullptr || revisedUpdateRate == nullptr || group == nullptr) {
    return E_INVALIDARG;
  }
  *group = nullptr;
  const float deadband = percentDeadband != nullptr ? *percentDeadband : 0.0f;
  if (!(deadband >= 0.0f && deadband <= 100.0f)) return E_INVALIDARG;
  if (const HRESULT refusal = device_->Faults().AddGroupRefusal(); FAILED(refusal)) return refusal;

  SimulatedGroup::Parameters parameters;
  parameters.active = active != FALSE;
  parameters.requestedUpdateRate = requestedUpdateRate;
  parameters.clientHandle = clientGroup;
  parameters.timeBias = timeBias != nullptr ? *timeBias : 0;
  parameters.percentDeadband = deadband;
  parameters.locale = lcid;
  ComPtr<SimulatedGroup> made;
  const HRESULT added = groups_->Add(
      name != nullptr ? WideString(name) : WideString(),
      [&](OPCHANDLE handle, const WideString& groupName) {
        parameters.name = groupName;
        return MakeComObject<SimulatedGroup>(device_, groups_, epoch_, handle, parameters);
      },
      &made);
  if (FAILED(added)) return added;
  const HRESULT queried = made->QueryInterface(iid, reinterpret_cast<void**>(group));
  if (FAILED(queried)) {
    groups_->Remove(made->ServerHandle());
    made->Withdraw();
    return queried;
  }
  device_->Journal().Note("AddGroup", made->Name(), clientGroup);
  *serverGroup = made->ServerHandle();
  *revisedUpdateRate = made->UpdateRate();
  return *revisedUpdateRate != requestedUpdateRate ? OPC_S_UNSUPPORTEDRATE : S_OK;
}

HRESULT SimulatedServer::ErrorStringFor(HRESULT error, LPWSTR* text) const {
  if (text == nullptr) return E_INVALIDARG;
  *text = nullptr;
  const auto found = ErrorText(error);
  if (!found) return E_INVALIDARG;
  *text = TaskMemStringDuplicate(*found);
  return *text != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP SimulatedServer::GetErrorString(HRESULT error, LCID /*locale*/, LPWSTR* text) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  return ErrorStringFor(error, text);
}

STDMETHODIMP SimulatedServer::GetGroupByName(LPCWSTR name, REFIID iid, LPUNKNOWN* group) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (name == nullptr || group == nullptr) return E_INVALIDARG;
  *group = nullptr;
  const ComPtr<SimulatedGroup> found = groups_->FindByName(name);
  if (!found) return E_INVALIDARG;
  return found->QueryInterface(iid, reinterpret_cast<void**>(group));
}

STDMETHODIMP SimulatedServer::GetStatus(OPCSERVERSTATUS** status) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (status == nullptr) return E_INVALIDARG;
  *status = nullptr;
  TaskArray<OPCSERVERSTATUS> result(1);
  if (!result) return E_OUTOFMEMORY;
  result[0].ftStartTime = device_->StartTime();
  result[0].ftCurrentTime = FileTimeFromSystemClock(std::chrono::system_clock::now());
  result[0].ftLastUpdateTime = device_->LastUpdateTime();
  result[0].dwServerState = device_->Faults().ServerState();
  result[0].dwGroupCount = groups_->Count();
  result[0].dwBandWidth = 0xFFFFFFFF;  // unknown
  result[0].wMajorVersion = device_->OffersDa2() ? 2 : 1;
  result[0].wMinorVersion = 0;
  result[0].wBuildNumber = kBuildNumber;
  result[0].szVendorInfo = TaskMemStringDuplicate(kVendorInfo);
  if (result[0].szVendorInfo == nullptr) return E_OUTOFMEMORY;
  *status = result.Release();
  return S_OK;
}

STDMETHODIMP SimulatedServer::RemoveGroup(OPCHANDLE serverGroup, BOOL force) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  ComPtr<SimulatedGroup> group = groups_->Remove(serverGroup);
  if (!group) return E_INVALIDARG;
  group->Withdraw();
  // References beyond the table's and this one are the client's.
  group->AddRef();
  const bool inUse = group->Release() > 1;
  return inUse && !force ? OPC_S_INUSE : S_OK;
}

STDMETHODIMP SimulatedServer::CreateGroupEnumerator(OPCENUMSCOPE scope, REFIID iid,
                                                    LPUNKNOWN* enumerator) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (enumerator == nullptr) return E_INVALIDARG;
  *enumerator = nullptr;
  if (iid != IID_IEnumString) return E_NOINTERFACE;
  std::vector<WideString> names;
  if (scope != OPC_ENUM_PUBLIC && scope != OPC_ENUM_PUBLIC_CONNECTIONS) names = groups_->Names();
  const HRESULT hr = names.empty() ? S_FALSE : S_OK;
  *enumerator = CreateStringEnumerator(std::move(names)).Detach();
  return hr;
}

STDMETHODIMP SimulatedServer::SetLocaleID(LCID locale) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (!IsKnownLocale(locale)) return E_INVALIDARG;
  MutexLock lock(mutex_);
  locale_ = locale;
  return S_OK;
}

STDMETHODIMP SimulatedServer::GetLocaleID(LCID* locale) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (locale == nullptr) return E_INVALIDARG;
  MutexLock lock(mutex_);
  *locale = locale_;
  return S_OK;
}

STDMETHODIMP SimulatedServer::QueryAvailableLocaleIDs(DWORD* count, LCID** locales) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (count == nullptr || locales == nullptr) return E_INVALIDARG;
  TaskArray<LCID> result(std::size(kLocales));
  if (!result) return E_OUTOFMEMORY;
  std::copy(std::begin(kLocales), std::end(kLocales), result.Get());
  *count = static_cast<DWORD>(result.Size());
  *locales = result.Release();
  return S_OK;
}

STDMETHODIMP SimulatedServer::GetErrorString(HRESULT error, LPWSTR* text) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  return ErrorStringFor(error, text);
}

STDMETHODIMP SimulatedServer::SetClientName(LPCWSTR name) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (name == nullptr) return E_INVALIDARG;
  MutexLock lock(mutex_);
  clientName_ = name;
  return S_OK;
}

STDMETHODIMP SimulatedServer::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  return EnumerateConnectionPoints({&shutdownPoint_}, points);
}

STDMETHODIMP SimulatedServer::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (const HRESULT refusal = device_->Faults().CallbackRefusal(); FAILED(refusal)) return refusal;
  return FindConnectionPointIn({&shutdownPoint_}, iid, point);
}

std::vector<ComPtr<IOPCShutdown>> SimulatedServer::ShutdownSinks() const {
  return shutdownPoint_.Sinks<IOPCShutdown>();
}

}  // namespace tavrel::opcsim
