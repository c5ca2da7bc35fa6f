// The read cycle of a connection's groups, on each tick of the poll timer.
//
// A group is served when it is active and its cycle time has passed: mode 0 reads each item
// from the server's cache, mode 1 asks for a refresh from the device (transaction 6015) whose
// values come back through the data call-back, mode 2 reads the items' properties 2 (value)
// and 3 (quality).
#include <cstdlib>

#include "bridge/opc/engine_text.h"
#include "bridge/opc/opc_connection.h"
#include "bridge/opc/property_text.h"
#include "bridge/opc/task_memory_ptr.h"
#include "common/code_page.h"

namespace {

constexpr DWORD kRefreshTransaction = 6015;
constexpr std::size_t kMaxPropertyIds = 32;

}  // namespace

void OpcConnection::PollGroups() {
  for (std::size_t index = 0; index < server_.groups.size(); ++index) {
    ProjectGroup& group = *server_.groups[index];
    GroupSession& session = groups_[index];
    if (std::atoi(group.active_state.c_str()) != 1) continue;
    if (!session.stateMgt) {
      Log("Group 尚未准备好,准备断开重连");
      DropConnection();
      Pause(timing_.dropSleep);
      return;
    }
    if (!group.readTimer.Elapsed()) continue;

    const std::string time = CycleTimeText();
    const char* cycleMessage = nullptr;
    switch (std::atoi(group.datachange_type.c_str())) {
      case 2:
        ReadGroupProperties(group);
        cycleMessage = "时间=%s,节点名=%s,组名=%s,周期=%s 正在读属性";
        break;
      case 1:
        if (session.asyncIO2) {
          DWORD cancelId = 0;
          session.asyncIO2->Refresh2(OPC_DS_DEVICE, kRefreshTransaction, &cancelId);
          cycleMessage = "时间=%s,节点名=%s,组名=%s,周期=%s 正在异步读";
        } else {
          Log("异步没准备好");
        }
        break;
      case 0:
        if (session.syncIO) {
          SyncReadGroup(group, session);
          cycleMessage = "时间=%s,节点名=%s,组名=%s,周期=%s 正在同步刷新属性";
        } else {
          Log("同步没准备好");
        }
        break;
      default:
        break;
    }
    if (cycleMessage != nullptr) {
      Log(FormatText(cycleMessage, time.c_str(), server_.name.c_str(), group.name.c_str(),
                     group.cycle_time.c_str()));
    }
    Pause(timing_.cycleSleep);
    group.readTimer.Restart(true);
  }
}

void OpcConnection::PublishRead(const TagSession& session, const OPCITEMSTATE& state) {
  const ItemTable::Reader reader(*items_);
  if (const Item* item = reader.Find(session.clientHandle)) {
    item->Publish(state.vDataValue, state.wQuality, state.ftTimeStamp, project_.PushSink());
  }
}

void OpcConnection::SyncReadGroup(ProjectGroup& group, GroupSession& session) {
  for (const auto& tag : group.tags) {
    const TagSession& tagSession = SessionOf(*tag);
    if (!tagSession.registered || tagSession.clientHandle == 0) continue;
    OPCHANDLE serverHandle = tagSession.serverHandle;
    OPCITEMSTATE* rawStates = nullptr;
    HRESULT* rawErrors = nullptr;
    const HRESULT hr = session.syncIO->Read(OPC_DS_CACHE, 1, &serverHandle, &rawStates, &rawErrors);
    const ItemStates states(rawStates, rawStates ? 1 : 0);
    const TaskMemoryPtr<HRESULT> errors(rawErrors);
    if (FAILED(hr) || !rawStates) {
      Log("同步读取失败:" + tag->id);
      continue;
    }
    PublishRead(tagSession, states[0]);
  }
}

void OpcConnection::QueryTagProperties(ProjectTag& tag, TagSession& session) {
  if (!itemProperties_) return;
  std::u16string itemId = AnsiToWide(tag.id);
  DWORD count = 0;
  DWORD* rawIds = nullptr;
  LPWSTR* rawDescriptions = nullptr;
  VARTYPE* rawTypes = nullptr;
  const HRESULT hr = itemProperties_->QueryAvailableProperties(itemId.data(), &count, &rawIds,
                                                               &rawDescriptions, &rawTypes);
  const TaskMemoryPtr<DWORD> ids(rawIds);
  const TaskMemoryPtr<LPWSTR> descriptions(rawDescriptions);
  const TaskMemoryPtr<VARTYPE> types(rawTypes);
  if (FAILED(hr)) {
    Log("QueryAvailableProperties ERROR:" + tag.id);
    return;
  }
  for (DWORD i = 0; i < count; ++i) {
    if (rawDescriptions != nullptr) CoTaskMemFree(rawDescriptions[i]);
    const DWORD id = rawIds != nullptr ? rawIds[i] : 0;
    if ((id == OPC_PROPERTY_DATATYPE || id == OPC_PROPERTY_VALUE || id == OPC_PROPERTY_QUALITY) &&
        session.propertyIds.size() < kMaxPropertyIds) {
      session.propertyIds.push_back(id);
    }
  }
}

void OpcConnection::ReadGroupProperties(ProjectGroup& group) {
  for (const auto& tag : group.tags) {
    TagSession& session = SessionOf(*tag);
    if (session.propertyIds.empty()) QueryTagProperties(*tag, session);
    if (session.propertyIds.empty() || !itemProperties_) continue;

    std::u16string itemId = AnsiToWide(tag->id);
    const DWORD count = static_cast<DWORD>(session.propertyIds.size());
    VARIANT* rawValues = nullptr;
    HRESULT* rawErrors = nullptr;
    const HRESULT hr = itemProperties_->GetItemProperties(
        itemId.data(), count, session.propertyIds.data(), &rawValues, &rawErrors);
    const VariantArray values(rawValues, rawValues ? count : 0);
    const TaskMemoryPtr<HRESULT> errors(rawErrors);
    if (FAILED(hr) || !rawValues) {
      Log(FormatText("%s 获取属性ERROR", tag->id.c_str()));
      continue;
    }
    const WallTime readTime = SystemWallTime();
    std::string valueText;
    std::string qualityText;
    for (DWORD i = 0; i < count; ++i) {
      if (session.propertyIds[i] == OPC_PROPERTY_VALUE) valueText = PropertyText(rawValues[i]);
      if (session.propertyIds[i] == OPC_PROPERTY_QUALITY) qualityText = PropertyText(rawValues[i]);
    }
    tag->liveValue.ApplyTextValue(valueText, qualityText, readTime, project_.PushSink());
  }
}
