// BrowseServerTags: the address-space traversal behind the API's server tags command, in
// its TREE and FLAT forms.
//
// Logs "开始遍历SERVER TAG", opens a private browse connection to the server of `clsid` on
// this computer (browse_connection.h) and returns a document of the tag list file's shape:
//   <?xml version="1.0" encoding="GBK"?> CR LF
//   <root ver="0">
//   <t>
//   <it id=item dt=canonical VARTYPE ar=access rights/>   one per item found, in walk order
//   </t>
//   </root>
// dt and ar come from adding the item to the browse group; both are 0 when that fails.
//
// Walks: a flat walk (flat organisation, or `forceFlat`) lists every id of a flat browse from
// the top, once per enumeration entry. The tree walk lists, for each branch in depth-first
// order, the leaves of the branch and then its sub-branches; a branch is listed only when its
// leaf browse answers exactly S_OK, and items at the top level itself are not listed.
//
// Failures: a CLSID text that is not a registry form or a server that cannot be opened gives
// `t` with `error` "获取Server[<sid>] 点表失败"; a server without address-space browsing gives
// "Server[<sid>] 不支持数据浏览". Neither is appended anywhere. A completed walk logs
// "遍历结束" and is appended to log/<sid>.txt when `sid` is the ProgID of a server registered
// on this computer (and a plain file name). The connection is torn down on every path.
//
// Blocks the calling thread for the whole walk, one server call per item; call it on a thread
// that has entered COM.
#pragma once

#include <string>
#include <string_view>

#include "bridge/opc/browse_connection.h"
#include "common/bridge_log.h"

namespace tavrel {

std::string BrowseServerTags(BridgeLog& log, std::string_view sid, std::string_view clsid,
                             bool forceFlat,
                             const DiscoveryPause& settle = SleepBrowseTeardownPause);

}  // namespace tavrel
