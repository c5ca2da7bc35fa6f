#include "bridge/opc/group_registration.h"

#include "bridge/opc/engine_text.h"
#include "bridge/opc/server_failure_line.h"
#include "common/code_page.h"
#include "common/wide_string.h"
#include "opcclient/opc_result_owners.h"
#include "platform/com/connection_point.h"

namespace tavrel {

namespace {

// The item definitions of one AddItems call, with strings that live as long as this object.
// Every item id is kept in one block, so that registering a group of a hundred thousand tags
// makes no allocation per tag that would stay behind, scattered, in the process's memory.
class ItemDefinitions {
 public:
  explicit ItemDefinitions(std::size_t count) {
    definitions_.reserve(count);
    idOffsets_.reserve(count);
  }
  ItemDefinitions(const ItemDefinitions&) = delete;
  ItemDefinitions& operator=(const ItemDefinitions&) = delete;

  void Add(const ProjectTag& tag, OPCHANDLE clientHandle) {
    idOffsets_.push_back(ids_.size());
    ids_ += AnsiToWide(tag.id);
    ids_.push_back(WCHAR{0});
    OPCITEMDEF& definition = definitions_.emplace_back();
    definition.bActive = TRUE;
    definition.hClient = clientHandle;
    definition.dwBlobSize = 0;
    definition.pBlob = nullptr;
    definition.vtRequestedDataType = static_cast<VARTYPE>(tag.vt);
  }

  DWORD Count() const { return static_cast<DWORD>(definitions_.size()); }
  // The definitions, pointing into this object; valid until the next Add.
  OPCITEMDEF* Definitions() {
    for (std::size_t i = 0; i < definitions_.size(); ++i) {
      definitions_[i].szAccessPath = accessPath_;
      definitions_[i].szItemID = ids_.data() + idOffsets_[i];
    }
    return definitions_.data();
  }

 private:
  WCHAR accessPath_[1] = {0};  // always empty: no attribute of the project names one
  WideString ids_;             // each id followed by its terminating zero
  std::vector<std::size_t> idOffsets_;
  std::vector<OPCITEMDEF> definitions_;
};

bool RegisterBulk(ConnectionParts& parts, const ProjectGroup& group, IOPCGroupStateMgt& stateMgt) {
  parts.log.Log(FormatText("组名：%s 开始批量注册", group.name.c_str()));
  // A group without tags has nothing to add; servers refuse a call with no items, and that
  // refusal must not end the registration of the other groups.
  if (group.tags.empty()) return true;
  ItemDefinitions definitions(group.tags.size());
  for (const auto& tag : group.tags) {
    const OPCHANDLE clientHandle = parts.items->Add(*tag);
    parts.ItemOf(*tag).clientHandle = clientHandle;
    definitions.Add(*tag, clientHandle);
  }
  ComPtr<IOPCItemMgt> itemMgt;
  if (FAILED(stateMgt.QueryInterface(IID_IOPCItemMgt, itemMgt.ReleaseAndGetVoidAddressOf()))) {
    parts.log.Log(FormatText("组名：%s 获取Item管理对象失败", group.name.c_str()));
    return false;
  }
  const DWORD count = definitions.Count();
  OPCITEMRESULT* rawResults = nullptr;
  HRESULT* rawErrors = nullptr;
  const HRESULT hr = itemMgt->AddItems(count, definitions.Definitions(), &rawResults, &rawErrors);
  const ItemResults results(rawResults, count);
  const TaskMemoryPtr<HRESULT> errors(rawErrors);
  if (FAILED(hr) || !rawResults || !rawErrors) {
    // The call itself failed: nothing was added.
    parts.log.LogOpcError("AddItem ", hr);
    return false;
  }
  parts.session.SetServerHandles(parts.tags.IndexOf(*group.tags.front()), rawResults, count);
  if (FAILED(errors.get()[0])) {
    parts.log.LogOpcError("AddItem ", errors.get()[0]);
    return false;
  }
  return true;
}

void AddOneItem(ConnectionParts& parts, ProjectTag& tag, IOPCGroupStateMgt& stateMgt) {
  ComPtr<IOPCItemMgt> itemMgt;
  if (FAILED(stateMgt.QueryInterface(IID_IOPCItemMgt, itemMgt.ReleaseAndGetVoidAddressOf()))) {
    return;
  }
  TagItem& item = parts.ItemOf(tag);
  const OPCHANDLE clientHandle = parts.items->Add(tag);
  item.clientHandle = clientHandle;
  ItemDefinitions definition(1);
  definition.Add(tag, clientHandle);
  OPCITEMRESULT* rawResults = nullptr;
  HRESULT* rawErrors = nullptr;
  const HRESULT hr = itemMgt->AddItems(1, definition.Definitions(), &rawResults, &rawErrors);
  const ItemResults results(rawResults, 1);
  const TaskMemoryPtr<HRESULT> errors(rawErrors);
  const auto dropRecord = [&] {
    parts.items->Erase(clientHandle);
    item.clientHandle = 0;
  };
  if (FAILED(hr) || !rawResults || !rawErrors) {
    parts.log.LogOpcError("AddItems 1: ", hr);
    dropRecord();
    return;
  }
  parts.session.SetServerHandles(parts.tags.IndexOf(tag), rawResults, 1);
  item.registered = SUCCEEDED(errors.get()[0]);
  if (!item.registered) {
    parts.log.LogOpcError("AddItems 2: ", errors.get()[0]);
    dropRecord();
    return;
  }

  ComPtr<IOPCSyncIO> syncIO;
  if (FAILED(stateMgt.QueryInterface(IID_IOPCSyncIO, syncIO.ReleaseAndGetVoidAddressOf()))) {
    return;
  }
  OPCHANDLE serverHandle = results[0].hServer;
  OPCITEMSTATE* rawStates = nullptr;
  HRESULT* rawReadErrors = nullptr;
  const HRESULT readResult =
      syncIO->Read(OPC_DS_CACHE, 1, &serverHandle, &rawStates, &rawReadErrors);
  const ItemStates states(rawStates, 1);
  const TaskMemoryPtr<HRESULT> readErrors(rawReadErrors);
  if (FAILED(readResult) || !rawStates) {
    parts.log.LogOpcError("Sync Read: ", readResult);
    return;
  }
  PublishRead(parts, item, states[0]);
}

// Adds the group and keeps it in the session; false when the server refused it (logged). A
// server may accept the group without handing out its interface: `stateMgt` is then null.
bool AddGroup(ConnectionParts& parts, IOPCServer& server, std::size_t index,
              ComPtr<IOPCGroupStateMgt>& stateMgt) {
  const ProjectGroup& group = *parts.server.groups[index];
  const GroupSettings& settings = group.settings;
  const BOOL active = settings.activeFlag;
  const DWORD rate = static_cast<DWORD>(settings.updateRate.count());
  LONG timeBias = static_cast<LONG>(settings.timeBias.count());
  FLOAT deadband = settings.percentDeadband;
  const DWORD locale = settings.localeId;
  OPCHANDLE serverGroup = 0;
  DWORD revisedRate = 0;
  const HRESULT hr = server.AddGroup(
      AnsiToWide(group.name).c_str(), active, rate, static_cast<OPCHANDLE>(index + 1), &timeBias,
      &deadband, locale, &serverGroup, &revisedRate, IID_IOPCGroupStateMgt,
      reinterpret_cast<LPUNKNOWN*>(stateMgt.ReleaseAndGetAddressOf()));
  parts.log.Log(FormatText(
      "组名：%s   Active = %d dwRequestUpdateRate=%u ltimeBias=%ld fdeadband=%f "
      "dwLanguageID=%ld dwRevUpdateRate=%ld",
      group.name.c_str(), active, rate, static_cast<long>(timeBias), static_cast<double>(deadband),
      static_cast<long>(locale), static_cast<long>(revisedRate)));
  if (FAILED(hr)) {
    parts.log.LogOpcError("AddGroup kernal: ", hr);
    return false;
  }
  parts.session.AddGroup(index, stateMgt, serverGroup);
  return true;
}

}  // namespace

Registration RegisterGroups(ConnectionParts& parts, const RegistrationHooks& hooks,
                            ComPtr<IOPCItemProperties>& itemProperties) {
  const ComPtr<IOPCServer> server = parts.session.Server();
  parts.items->Reserve(parts.tags.Count());
  for (std::size_t index = 0; index < parts.server.groups.size(); ++index) {
    const ProjectGroup& group = *parts.server.groups[index];
    ComPtr<IOPCGroupStateMgt> stateMgt;
    if (!AddGroup(parts, *server.Get(), index, stateMgt)) return Registration::kGroupRefused;
    while (!stateMgt) {
      parts.log.Log(FormatText("组名：%s 尚未准备好", group.name.c_str()));
      if (!hooks.waitForGroup()) return Registration::kEnded;
    }
    if (group.settings.readMode == ReadMode::kPropertyRead) server.As(&itemProperties);

    if (group.settings.bulkRegistration) {
      if (!RegisterBulk(parts, group, *stateMgt.Get())) return Registration::kEnded;
    } else {
      parts.log.Log(FormatText("组名：%s 开始单点注册", group.name.c_str()));
      for (const auto& tag : group.tags) AddOneItem(parts, *tag, *stateMgt.Get());
    }
    parts.log.Log(FormatText("组名：%s 注册点完成", group.name.c_str()));

    ComPtr<IOPCAsyncIO2> asyncIO2;
    ComPtr<IOPCSyncIO> syncIO;
    stateMgt.As(&asyncIO2);
    stateMgt.As(&syncIO);
    parts.session.SetGroupIO(index, asyncIO2, syncIO);
    if (group.settings.readMode == ReadMode::kCallback) {
      DWORD cookie = 0;
      const HRESULT hr =
          AtlAdvise(stateMgt.Get(), hooks.dataCallback, IID_IOPCDataCallback, &cookie);
      // No value of the group will come: say so, with the code (for a server on another host
      // most often E_ACCESSDENIED, when it may not call this computer back).
      if (FAILED(hr)) {
        parts.log.Log(ServerFailureLine(parts.server,
                                        "sends no values of group \"" + group.name + "\"",
                                        "AtlAdvise(IOPCDataCallback)", hr, parts.log));
      }
      parts.session.SetCallbackCookie(index, cookie);
    }
  }
  return Registration::kDone;
}

}  // namespace tavrel
