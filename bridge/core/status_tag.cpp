#include "bridge/core/status_tag.h"

namespace tavrel {

StatusTag::StatusTag(int serverIndex, const std::string& clsid, TagHandle handle)
    : name("qz_server_status_" + std::to_string(serverIndex)),
      description("状态:" + clsid),
      handle(handle),
      liveValue(handle, ApiValueType::kInteger) {}

}  // namespace tavrel
