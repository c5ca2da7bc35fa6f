// SimulatedServer: the server object a client gets from activating a simulated class, one per
// activation (one connection).
//
// It offers IOPCServer, IOPCCommon, IOPCBrowseServerAddressSpace, IOPCItemProperties and
// IConnectionPointContainer with the IOPCShutdown connection point; a DA 1.0 (kLegacy) server
// answers IOPCServer and IOPCBrowseServerAddressSpace only. Every call first passes the
// device's fault gate (it may block while the device hangs, and fails with
// RPC_E_DISCONNECTED once the device died after this connection was made).
//
// Memory: everything returned through an out pointer is in task memory for the caller to
// free, as the OPC interfaces require. Groups belong to the server object until RemoveGroup;
// releasing the server object removes the groups it still has.
#pragma once

#include <memory>
#include <vector>

#include "common/mutex.h"
#include "common/wide_string.h"
#include "platform/com/com_object.h"
#include "platform/com/connection_point.h"
#include "platform/opcda/opc_interfaces.h"
#include "platform/opcsim/address_space_browser.h"
#include "platform/opcsim/group_table.h"
#include "platform/opcsim/simulated_device.h"

namespace tavrel::opcsim {

class SimulatedServer final : public ComObject<IOPCServer, IOPCCommon, IOPCBrowseServerAddressSpace,
                                               IOPCItemProperties, IConnectionPointContainer> {
 public:
  explicit SimulatedServer(std::shared_ptr<SimulatedDevice> device);
  ~SimulatedServer() override;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;

  // IOPCServer
  STDMETHODIMP AddGroup(LPCWSTR name, BOOL active, DWORD requestedUpdateRate, OPCHANDLE clientGroup,
                        LONG* timeBias, FLOAT* percentDeadband, DWORD lcid, OPCHANDLE* serverGroup,
                        DWORD* revisedUpdateRate, REFIID iid, LPUNKNOWN* group) override;
  STDMETHODIMP GetErrorString(HRESULT error, LCID locale, LPWSTR* text) override;
  STDMETHODIMP GetGroupByName(LPCWSTR name, REFIID iid, LPUNKNOWN* group) override;
  STDMETHODIMP GetStatus(OPCSERVERSTATUS** status) override;
  STDMETHODIMP RemoveGroup(OPCHANDLE serverGroup, BOOL force) override;
  STDMETHODIMP CreateGroupEnumerator(OPCENUMSCOPE scope, REFIID iid,
                                     LPUNKNOWN* enumerator) override;

  // IOPCCommon
  STDMETHODIMP SetLocaleID(LCID locale) override;
  STDMETHODIMP GetLocaleID(LCID* locale) override;
  STDMETHODIMP QueryAvailableLocaleIDs(DWORD* count, LCID** locales) override;
  STDMETHODIMP GetErrorString(HRESULT error, LPWSTR* text) override;
  STDMETHODIMP SetClientName(LPCWSTR name) override;

  // IOPCBrowseServerAddressSpace (server_browse.cpp)
  STDMETHODIMP QueryOrganization(OPCNAMESPACETYPE* nameSpaceType) override;
  STDMETHODIMP ChangeBrowsePosition(OPCBROWSEDIRECTION direction, LPCWSTR name) override;
  STDMETHODIMP BrowseOPCItemIDs(OPCBROWSETYPE browseFilterType, LPCWSTR filterCriteria,
                                VARTYPE dataTypeFilter, DWORD accessRightsFilter,
                                LPENUMSTRING* strings) override;
  STDMETHODIMP GetItemID(LPWSTR itemDataId, LPWSTR* itemId) override;
  STDMETHODIMP BrowseAccessPaths(LPCWSTR itemId, LPENUMSTRING* accessPaths) override;

  // IOPCItemProperties (server_properties.cpp)
  STDMETHODIMP QueryAvailableProperties(LPWSTR itemId, DWORD* count, DWORD** propertyIds,
                                        LPWSTR** descriptions, VARTYPE** dataTypes) override;
  STDMETHODIMP GetItemProperties(LPWSTR itemId, DWORD count, DWORD* propertyIds, VARIANT** data,
                                 HRESULT** errors) override;
  STDMETHODIMP LookupItemIDs(LPWSTR itemId, DWORD count, DWORD* propertyIds, LPWSTR** newItemIds,
                             HRESULT** errors) override;

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  // The shutdown sinks advised now.
  std::vector<ComPtr<IOPCShutdown>> ShutdownSinks() const;

 private:
  HRESULT Admit() const { return device_->Faults().AdmitCall(epoch_); }
  HRESULT ErrorStringFor(HRESULT error, LPWSTR* text) const;

  const std::shared_ptr<SimulatedDevice> device_;
  const std::uint64_t epoch_;
  const std::shared_ptr<GroupTable> groups_;
  ConnectionPoint shutdownPoint_;
  mutable Mutex mutex_;  // guards what follows
  AddressSpaceBrowser browser_ GUARDED_BY(mutex_);
  LCID locale_ GUARDED_BY(mutex_) = LOCALE_SYSTEM_DEFAULT;
  WideString clientName_ GUARDED_BY(mutex_);
};

}  // namespace tavrel::opcsim
