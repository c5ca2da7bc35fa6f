// The OPC Data Access 1.0/2.0 custom interfaces and the OPC server list interface, with the
// method shapes of the published standard.
//
// Memory rules (see opc_types.h): what a method returns through an out pointer is allocated
// by the server with CoTaskMemAlloc and freed by the client; interface pointers come with one
// reference for the client to release. Per-item HRESULT arrays give each item's outcome; a
// method returns S_FALSE when some item failed.
#pragma once

#include "platform/com/com_api.h"
#include "platform/com/enumerators.h"
#include "platform/opcda/opc_ids.h"
#include "platform/opcda/opc_types.h"

namespace tavrel {

struct IEnumOPCItemAttributes : public IUnknown {
  STDMETHOD(Next)(ULONG count, OPCITEMATTRIBUTES** items, ULONG* fetched) PURE;
  STDMETHOD(Skip)(ULONG count) PURE;
  STDMETHOD(Reset)() PURE;
  STDMETHOD(Clone)(IEnumOPCItemAttributes** clone) PURE;
};
COM_INTERFACE_ID(IEnumOPCItemAttributes);

struct IOPCServer : public IUnknown {
  STDMETHOD(AddGroup)
  (LPCWSTR name, BOOL active, DWORD requestedUpdateRate, OPCHANDLE clientGroup, LONG* timeBias,
   FLOAT* percentDeadband, DWORD lcid, OPCHANDLE* serverGroup, DWORD* revisedUpdateRate, REFIID iid,
   LPUNKNOWN* group) PURE;
  STDMETHOD(GetErrorString)(HRESULT error, LCID locale, LPWSTR* text) PURE;
  STDMETHOD(GetGroupByName)(LPCWSTR name, REFIID iid, LPUNKNOWN* group) PURE;
  STDMETHOD(GetStatus)(OPCSERVERSTATUS** status) PURE;
  STDMETHOD(RemoveGroup)(OPCHANDLE serverGroup, BOOL force) PURE;
  STDMETHOD(CreateGroupEnumerator)(OPCENUMSCOPE scope, REFIID iid, LPUNKNOWN* enumerator) PURE;
};
COM_INTERFACE_ID(IOPCServer);

struct IOPCCommon : public IUnknown {
  STDMETHOD(SetLocaleID)(LCID locale) PURE;
  STDMETHOD(GetLocaleID)(LCID* locale) PURE;
  STDMETHOD(QueryAvailableLocaleIDs)(DWORD* count, LCID** locales) PURE;
  STDMETHOD(GetErrorString)(HRESULT error, LPWSTR* text) PURE;
  STDMETHOD(SetClientName)(LPCWSTR name) PURE;
};
COM_INTERFACE_ID(IOPCCommon);

struct IOPCServerPublicGroups : public IUnknown {
  STDMETHOD(GetPublicGroupByName)(LPCWSTR name, REFIID iid, LPUNKNOWN* group) PURE;
  STDMETHOD(RemovePublicGroup)(OPCHANDLE serverGroup, BOOL force) PURE;
};
COM_INTERFACE_ID(IOPCServerPublicGroups);

struct IOPCBrowseServerAddressSpace : public IUnknown {
  STDMETHOD(QueryOrganization)(OPCNAMESPACETYPE* nameSpaceType) PURE;
  STDMETHOD(ChangeBrowsePosition)(OPCBROWSEDIRECTION direction, LPCWSTR name) PURE;
  STDMETHOD(BrowseOPCItemIDs)
  (OPCBROWSETYPE browseFilterType, LPCWSTR filterCriteria, VARTYPE dataTypeFilter,
   DWORD accessRightsFilter, LPENUMSTRING* strings) PURE;
  STDMETHOD(GetItemID)(LPWSTR itemDataId, LPWSTR* itemId) PURE;
  STDMETHOD(BrowseAccessPaths)(LPCWSTR itemId, LPENUMSTRING* accessPaths) PURE;
};
COM_INTERFACE_ID(IOPCBrowseServerAddressSpace);

struct IOPCGroupStateMgt : public IUnknown {
  STDMETHOD(GetState)
  (DWORD* updateRate, BOOL* active, LPWSTR* name, LONG* timeBias, FLOAT* percentDeadband,
   DWORD* lcid, OPCHANDLE* clientGroup, OPCHANDLE* serverGroup) PURE;
  STDMETHOD(SetState)
  (DWORD* requestedUpdateRate, DWORD* revisedUpdateRate, BOOL* active, LONG* timeBias,
   FLOAT* percentDeadband, DWORD* lcid, OPCHANDLE* clientGroup) PURE;
  STDMETHOD(SetName)(LPCWSTR name) PURE;
  STDMETHOD(CloneGroup)(LPCWSTR name, REFIID iid, LPUNKNOWN* clone) PURE;
};
COM_INTERFACE_ID(IOPCGroupStateMgt);

struct IOPCPublicGroupStateMgt : public IUnknown {
  STDMETHOD(GetState)(BOOL* isPublic) PURE;
  STDMETHOD(MoveToPublic)() PURE;
};
COM_INTERFACE_ID(IOPCPublicGroupStateMgt);

struct IOPCSyncIO : public IUnknown {
  STDMETHOD(Read)
  (OPCDATASOURCE source, DWORD count, OPCHANDLE* serverItems, OPCITEMSTATE** values,
   HRESULT** errors) PURE;
  STDMETHOD(Write)(DWORD count, OPCHANDLE* serverItems, VARIANT* values, HRESULT** errors) PURE;
};
COM_INTERFACE_ID(IOPCSyncIO);

// OPC DA 1.0 asynchronous I/O; `connection` is the IDataObject advise connection.
struct IOPCAsyncIO : public IUnknown {
  STDMETHOD(Read)
  (DWORD connection, OPCDATASOURCE source, DWORD count, OPCHANDLE* serverItems,
   DWORD* transactionId, HRESULT** errors) PURE;
  STDMETHOD(Write)
  (DWORD connection, DWORD count, OPCHANDLE* serverItems, VARIANT* values, DWORD* transactionId,
   HRESULT** errors) PURE;
  STDMETHOD(Refresh)(DWORD connection, OPCDATASOURCE source, DWORD* transactionId) PURE;
  STDMETHOD(Cancel)(DWORD transactionId) PURE;
};
COM_INTERFACE_ID(IOPCAsyncIO);

struct IOPCItemMgt : public IUnknown {
  STDMETHOD(AddItems)
  (DWORD count, OPCITEMDEF* items, OPCITEMRESULT** results, HRESULT** errors) PURE;
  STDMETHOD(ValidateItems)
  (DWORD count, OPCITEMDEF* items, BOOL blobUpdate, OPCITEMRESULT** results, HRESULT** errors) PURE;
  STDMETHOD(RemoveItems)(DWORD count, OPCHANDLE* serverItems, HRESULT** errors) PURE;
  STDMETHOD(SetActiveState)
  (DWORD count, OPCHANDLE* serverItems, BOOL active, HRESULT** errors) PURE;
  STDMETHOD(SetClientHandles)
  (DWORD count, OPCHANDLE* serverItems, OPCHANDLE* clientItems, HRESULT** errors) PURE;
  STDMETHOD(SetDatatypes)
  (DWORD count, OPCHANDLE* serverItems, VARTYPE* requestedDatatypes, HRESULT** errors) PURE;
  STDMETHOD(CreateEnumerator)(REFIID iid, LPUNKNOWN* enumerator) PURE;
};
COM_INTERFACE_ID(IOPCItemMgt);

// The client's call-back for OPC DA 2.0 groups. The arrays belong to the server and are valid
// only during the call.
struct IOPCDataCallback : public IUnknown {
  STDMETHOD(OnDataChange)
  (DWORD transactionId, OPCHANDLE clientGroup, HRESULT masterQuality, HRESULT masterError,
   DWORD count, OPCHANDLE* clientItems, VARIANT* values, WORD* qualities, FILETIME* timeStamps,
   HRESULT* errors) PURE;
  STDMETHOD(OnReadComplete)
  (DWORD transactionId, OPCHANDLE clientGroup, HRESULT masterQuality, HRESULT masterError,
   DWORD count, OPCHANDLE* clientItems, VARIANT* values, WORD* qualities, FILETIME* timeStamps,
   HRESULT* errors) PURE;
  STDMETHOD(OnWriteComplete)
  (DWORD transactionId, OPCHANDLE clientGroup, HRESULT masterError, DWORD count,
   OPCHANDLE* clientItems, HRESULT* errors) PURE;
  STDMETHOD(OnCancelComplete)(DWORD transactionId, OPCHANDLE clientGroup) PURE;
};
COM_INTERFACE_ID(IOPCDataCallback);

struct IOPCAsyncIO2 : public IUnknown {
  STDMETHOD(Read)
  (DWORD count, OPCHANDLE* serverItems, DWORD transactionId, DWORD* cancelId,
   HRESULT** errors) PURE;
  STDMETHOD(Write)
  (DWORD count, OPCHANDLE* serverItems, VARIANT* values, DWORD transactionId, DWORD* cancelId,
   HRESULT** errors) PURE;
  STDMETHOD(Refresh2)(OPCDATASOURCE source, DWORD transactionId, DWORD* cancelId) PURE;
  STDMETHOD(Cancel2)(DWORD cancelId) PURE;
  STDMETHOD(SetEnable)(BOOL enable) PURE;
  STDMETHOD(GetEnable)(BOOL* enable) PURE;
};
COM_INTERFACE_ID(IOPCAsyncIO2);

struct IOPCItemProperties : public IUnknown {
  STDMETHOD(QueryAvailableProperties)
  (LPWSTR itemId, DWORD* count, DWORD** propertyIds, LPWSTR** descriptions,
   VARTYPE** dataTypes) PURE;
  STDMETHOD(GetItemProperties)
  (LPWSTR itemId, DWORD count, DWORD* propertyIds, VARIANT** data, HRESULT** errors) PURE;
  STDMETHOD(LookupItemIDs)
  (LPWSTR itemId, DWORD count, DWORD* propertyIds, LPWSTR** newItemIds, HRESULT** errors) PURE;
};
COM_INTERFACE_ID(IOPCItemProperties);

// The client's call-back through which a server announces that it shuts down.
struct IOPCShutdown : public IUnknown {
  STDMETHOD(ShutdownRequest)(LPCWSTR reason) PURE;
};
COM_INTERFACE_ID(IOPCShutdown);

// The OPC server enumeration service (CLSID_OpcServerList).
struct IOPCServerList : public IUnknown {
  STDMETHOD(EnumClassesOfCategories)
  (ULONG implementedCount, CATID implemented[], ULONG requiredCount, CATID required[],
   IEnumGUID** classes) PURE;
  STDMETHOD(GetClassDetails)(REFCLSID clsid, LPOLESTR* progId, LPOLESTR* userType) PURE;
  STDMETHOD(CLSIDFromProgID)(LPCOLESTR progId, LPCLSID clsid) PURE;
};
COM_INTERFACE_ID(IOPCServerList);

}  // namespace tavrel
