// Registration of a server's groups and items, in file order.
//
// Each group is added with its configured parameters and client group handle (its place + 1);
// its tags become items, all in one call (bulk) or one by one (single), each with the client
// handle of a new Item record; then the group's I/O interfaces are taken and call-back groups
// advise the connection's data call-back.
#include <cstdlib>

#include "bridge/opc/engine_text.h"
#include "bridge/opc/opc_connection.h"
#include "bridge/opc/task_memory_ptr.h"
#include "common/code_page.h"
#include "platform/com/connection_point.h"

namespace {

constexpr int kPropertyMode = 2;
constexpr int kCallbackMode = 1;

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
    ids_.push_back(u'\0');
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
  char16_t accessPath_[1] = {u'\0'};  // always empty: no attribute of the project names one
  std::u16string ids_;                  // each id followed by its terminating zero
  std::vector<std::size_t> idOffsets_;
  std::vector<OPCITEMDEF> definitions_;
};

}  // namespace

void OpcConnection::SetServerHandle(TagSession& session, OPCHANDLE serverHandle) {
  std::lock_guard lock(stateMutex_);
  session.serverHandle = serverHandle;
}

bool OpcConnection::RegisterGroups() {
  items_->Reserve(tags_.size());
  for (std::size_t index = 0; index < server_.groups.size(); ++index) {
    ProjectGroup& group = *server_.groups[index];
    GroupSession& session = groups_[index];
    const BOOL active = std::atoi(group.active_state.c_str());
    const DWORD rate = static_cast<DWORD>(group.uptime);
    LONG timeBias = std::atoi(group.timebis_minutes.c_str());
    FLOAT deadband = static_cast<FLOAT>(std::atof(group.percent_deadband.c_str()));
    const DWORD locale = static_cast<DWORD>(std::atoi(group.language_id.c_str()));
    const std::u16string name = AnsiToWide(group.name);
    OPCHANDLE serverGroup = 0;
    DWORD revisedRate = 0;
    ComPtr<IOPCGroupStateMgt> stateMgt;
    const HRESULT hr = opcServer_->AddGroup(
        name.c_str(), active, rate, static_cast<OPCHANDLE>(index + 1), &timeBias, &deadband, locale,
        &serverGroup, &revisedRate, IID_IOPCGroupStateMgt,
        reinterpret_cast<LPUNKNOWN*>(stateMgt.ReleaseAndGetAddressOf()));
    Log(FormatText(
        "组名：%s   Active = %d dwRequestUpdateRate=%u ltimeBias=%ld fdeadband=%f "
        "dwLanguageID=%ld dwRevUpdateRate=%ld",
        group.name.c_str(), active, rate, static_cast<long>(timeBias),
        static_cast<double>(deadband), static_cast<long>(locale), static_cast<long>(revisedRate)));
    if (FAILED(hr)) {
      LogOpcError("AddGroup kernal: ", hr);
      Disconnect();
      Log("断开成功!");
      return false;
    }
    {
      std::lock_guard lock(stateMutex_);
      session.stateMgt = stateMgt;
      session.serverHandle = serverGroup;
    }
    groupsAdded_ = true;
    while (!session.stateMgt) {
      Log(FormatText("组名：%s 尚未准备好", group.name.c_str()));
      if (!Pause(timing_.groupWait)) return false;
    }
    const int mode = std::atoi(group.datachange_type.c_str());
    if (mode == kPropertyMode) opcServer_.As(&itemProperties_);

    if (std::atoi(group.additem.c_str()) != 0) {
      if (!RegisterBulk(group, session)) return false;
    } else {
      Log(FormatText("组名：%s 开始单点注册", group.name.c_str()));
      for (const auto& tag : group.tags) AddOneItem(*tag, session);
    }
    Log(FormatText("组名：%s 注册点完成", group.name.c_str()));

    ComPtr<IOPCAsyncIO2> asyncIO2;
    ComPtr<IOPCSyncIO> syncIO;
    session.stateMgt.As(&asyncIO2);
    session.stateMgt.As(&syncIO);
    {
      std::lock_guard lock(stateMutex_);
      session.asyncIO2 = asyncIO2;
      session.syncIO = syncIO;
    }
    if (mode == kCallbackMode && FAILED(AtlAdvise(session.stateMgt.Get(), dataCallback_.Get(),
                                                  IID_IOPCDataCallback, &session.cookie))) {
      groupsAdded_ = true;
    }
  }
  return true;
}

bool OpcConnection::RegisterBulk(ProjectGroup& group, GroupSession& session) {
  Log(FormatText("组名：%s 开始批量注册", group.name.c_str()));
  // A group without tags has nothing to add; servers refuse a call with no items, and that
  // refusal must not end the registration of the other groups.
  if (group.tags.empty()) return true;
  ItemDefinitions definitions(group.tags.size());
  for (const auto& tag : group.tags) {
    const OPCHANDLE clientHandle = items_->Add(*tag);
    SessionOf(*tag).clientHandle = clientHandle;
    definitions.Add(*tag, clientHandle);
  }
  ComPtr<IOPCItemMgt> itemMgt;
  if (FAILED(session.stateMgt.As(&itemMgt))) {
    Log(FormatText("组名：%s 获取Item管理对象失败", group.name.c_str()));
    return false;
  }
  const DWORD count = definitions.Count();
  OPCITEMRESULT* rawResults = nullptr;
  HRESULT* rawErrors = nullptr;
  const HRESULT hr = itemMgt->AddItems(count, definitions.Definitions(), &rawResults, &rawErrors);
  const ItemResults results(rawResults, rawResults ? count : 0);
  const TaskMemoryPtr<HRESULT> errors(rawErrors);
  if (FAILED(hr) || !rawResults || !rawErrors) {
    // The call itself failed: nothing was added.
    LogOpcError("AddItem ", hr);
    return false;
  }
  for (DWORD i = 0; i < count; ++i) {
    TagSession& tagSession = SessionOf(*group.tags[i]);
    SetServerHandle(tagSession, results[i].hServer);
  }
  if (count > 0 && FAILED(errors.get()[0])) {
    LogOpcError("AddItem ", errors.get()[0]);
    return false;
  }
  return true;
}

void OpcConnection::AddOneItem(ProjectTag& tag, GroupSession& session) {
  ComPtr<IOPCItemMgt> itemMgt;
  if (FAILED(session.stateMgt.As(&itemMgt))) return;
  TagSession& tagSession = SessionOf(tag);
  const OPCHANDLE clientHandle = items_->Add(tag);
  tagSession.clientHandle = clientHandle;
  ItemDefinitions definition(1);
  definition.Add(tag, clientHandle);
  OPCITEMRESULT* rawResults = nullptr;
  HRESULT* rawErrors = nullptr;
  const HRESULT hr = itemMgt->AddItems(1, definition.Definitions(), &rawResults, &rawErrors);
  const ItemResults results(rawResults, rawResults ? 1 : 0);
  const TaskMemoryPtr<HRESULT> errors(rawErrors);
  if (FAILED(hr) || !rawResults || !rawErrors) {
    LogOpcError("AddItems 1: ", hr);
    items_->Erase(clientHandle);
    tagSession.clientHandle = 0;
    return;
  }
  SetServerHandle(tagSession, results[0].hServer);
  if (FAILED(errors.get()[0])) {
    tagSession.registered = false;
    LogOpcError("AddItems 2: ", errors.get()[0]);
    items_->Erase(clientHandle);
    tagSession.clientHandle = 0;
    return;
  }
  tagSession.registered = true;

  ComPtr<IOPCSyncIO> syncIO;
  if (FAILED(session.stateMgt.As(&syncIO))) return;
  OPCHANDLE serverHandle = results[0].hServer;
  OPCITEMSTATE* rawStates = nullptr;
  HRESULT* rawReadErrors = nullptr;
  const HRESULT readResult =
      syncIO->Read(OPC_DS_CACHE, 1, &serverHandle, &rawStates, &rawReadErrors);
  const ItemStates states(rawStates, rawStates ? 1 : 0);
  const TaskMemoryPtr<HRESULT> readErrors(rawReadErrors);
  if (FAILED(readResult) || !rawStates) {
    LogOpcError("Sync Read: ", readResult);
    return;
  }
  PublishRead(tagSession, states[0]);
}
