#include "bridge/opc/read_cycle.h"

#include <algorithm>

#include "bridge/opc/engine_text.h"
#include "bridge/opc/property_text.h"
#include "common/code_page.h"
#include "common/wide_string.h"
#include "opcclient/opc_result_owners.h"

namespace tavrel {

namespace {

constexpr DWORD kRefreshTransaction = 6015;
constexpr std::size_t kMaxPropertyIds = 32;

bool UsesPropertyReads(const ProjectServer& server) {
  return std::any_of(server.groups.begin(), server.groups.end(), [](const auto& group) {
    return group->settings.readMode == ReadMode::kPropertyRead;
  });
}

}  // namespace

ReadCycle::ReadCycle(ConnectionParts& parts) : parts_(parts) {
  for (const auto& group : parts.server.groups) {
    groupTimers_.emplace_back(group->settings.cycleTime.count());
  }
  if (UsesPropertyReads(parts.server)) propertyIds_.resize(parts.tags.Count());
}

ReadCycle::Outcome ReadCycle::Run(const std::function<void()>& pause) {
  const auto& groups = parts_.server.groups;
  for (std::size_t index = 0; index < groups.size(); ++index) {
    const ProjectGroup& group = *groups[index];
    if (group.settings.activeFlag != 1) continue;
    const GroupInterfaces interfaces = parts_.session.Group(index);
    if (!interfaces.stateMgt) {
      parts_.log.Log("Group 尚未准备好,准备断开重连");
      return Outcome::kGroupLost;
    }
    if (!groupTimers_[index].Elapsed()) continue;

    const std::string time = CycleTimeText();
    const char* cycleMessage = nullptr;
    switch (group.settings.readMode) {
      case ReadMode::kPropertyRead:
        ReadProperties(group);
        cycleMessage = "时间=%s,节点名=%s,组名=%s,周期=%s 正在读属性";
        break;
      case ReadMode::kCallback:
        if (interfaces.asyncIO2) {
          DWORD cancelId = 0;
          interfaces.asyncIO2->Refresh2(OPC_DS_DEVICE, kRefreshTransaction, &cancelId);
          cycleMessage = "时间=%s,节点名=%s,组名=%s,周期=%s 正在异步读";
        } else {
          parts_.log.Log("异步没准备好");
        }
        break;
      case ReadMode::kCacheRead:
        if (interfaces.syncIO) {
          ReadFromCache(group, *interfaces.syncIO.Get());
          cycleMessage = "时间=%s,节点名=%s,组名=%s,周期=%s 正在同步刷新属性";
        } else {
          parts_.log.Log("同步没准备好");
        }
        break;
      case ReadMode::kNone:
        break;
    }
    if (cycleMessage != nullptr) {
      parts_.log.Log(FormatText(cycleMessage, time.c_str(), parts_.server.name.c_str(),
                                group.name.c_str(), group.settings.cycleTimeText.c_str()));
    }
    pause();
    groupTimers_[index].Restart(true);
  }
  return Outcome::kDone;
}

void ReadCycle::ReadFromCache(const ProjectGroup& group, IOPCSyncIO& syncIO) {
  for (const auto& tag : group.tags) {
    const TagItem& item = parts_.ItemOf(*tag);
    if (!item.registered || item.clientHandle == 0) continue;
    OPCHANDLE serverHandle = parts_.session.ServerHandle(parts_.tags.IndexOf(*tag));
    OPCITEMSTATE* rawStates = nullptr;
    HRESULT* rawErrors = nullptr;
    const HRESULT hr = syncIO.Read(OPC_DS_CACHE, 1, &serverHandle, &rawStates, &rawErrors);
    const ItemStates states(rawStates, 1);
    const TaskMemoryPtr<HRESULT> errors(rawErrors);
    if (FAILED(hr) || !rawStates) {
      parts_.log.Log("同步读取失败:" + tag->id);
      continue;
    }
    PublishRead(parts_, item, states[0]);
  }
}

const std::vector<DWORD>& ReadCycle::PropertyIdsOf(const ProjectTag& tag) {
  std::vector<DWORD>& ids = propertyIds_[parts_.tags.IndexOf(tag)];
  if (!ids.empty() || !itemProperties_) return ids;
  WideString itemId = AnsiToWide(tag.id);
  DWORD count = 0;
  DWORD* rawIds = nullptr;
  LPWSTR* rawDescriptions = nullptr;
  VARTYPE* rawTypes = nullptr;
  const HRESULT hr = itemProperties_->QueryAvailableProperties(itemId.data(), &count, &rawIds,
                                                               &rawDescriptions, &rawTypes);
  const TaskMemoryPtr<DWORD> available(rawIds);
  const TaskMemoryPtr<LPWSTR> descriptions(rawDescriptions);
  const TaskMemoryPtr<VARTYPE> types(rawTypes);
  if (FAILED(hr)) {
    parts_.log.Log("QueryAvailableProperties ERROR:" + tag.id);
    return ids;
  }
  for (DWORD i = 0; i < count; ++i) {
    if (rawDescriptions != nullptr) CoTaskMemFree(rawDescriptions[i]);
    const DWORD id = rawIds != nullptr ? rawIds[i] : 0;
    if ((id == OPC_PROPERTY_DATATYPE || id == OPC_PROPERTY_VALUE || id == OPC_PROPERTY_QUALITY) &&
        ids.size() < kMaxPropertyIds) {
      ids.push_back(id);
    }
  }
  return ids;
}

void ReadCycle::ReadProperties(const ProjectGroup& group) {
  for (const auto& tag : group.tags) {
    const std::vector<DWORD>& ids = PropertyIdsOf(*tag);
    if (ids.empty() || !itemProperties_) continue;

    WideString itemId = AnsiToWide(tag->id);
    const DWORD count = static_cast<DWORD>(ids.size());
    VARIANT* rawValues = nullptr;
    HRESULT* rawErrors = nullptr;
    const HRESULT hr = itemProperties_->GetItemProperties(
        itemId.data(), count, const_cast<DWORD*>(ids.data()), &rawValues, &rawErrors);
    const VariantArray values(rawValues, count);
    const TaskMemoryPtr<HRESULT> errors(rawErrors);
    if (FAILED(hr) || !rawValues) {
      parts_.log.Log(FormatText("%s 获取属性ERROR", tag->id.c_str()));
      continue;
    }
    const WallTime readTime = SystemWallTime();
    std::string valueText;
    std::string qualityText;
    for (DWORD i = 0; i < count; ++i) {
      if (ids[i] == OPC_PROPERTY_VALUE) valueText = PropertyText(rawValues[i]);
      if (ids[i] == OPC_PROPERTY_QUALITY) qualityText = PropertyText(rawValues[i]);
    }
    tag->liveValue.ApplyTextValue(valueText, qualityText, readTime, parts_.Push());
    parts_.metrics.valuesReceived.Increment();
  }
}

}  // namespace tavrel
