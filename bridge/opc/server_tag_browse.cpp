#include "bridge/opc/server_tag_browse.h"

#include "bridge/opc/address_space_walk.h"
#include "bridge/opc/body_document.h"
#include "common/code_page.h"
#include "platform/com/com_api.h"

namespace tavrel {

std::string BrowseServerTags(BridgeLog& log, std::string_view sid, std::string_view clsid,
                             bool forceFlat, const DiscoveryPause& settle) {
  log.LogMessage("开始遍历SERVER TAG", 0);
  MarkupDocument document = NewBodyDocument();

  const std::string server(sid);
  {
    const std::unique_ptr<BrowseConnection> connection = BrowseConnection::Open(clsid, log, settle);
    if (!connection) {
      document.AddElement("t");
      document.SetAttribute("error", "获取Server[" + server + "] 点表失败");
      return document.GetText();
    }
    ComPtr<IOPCBrowseServerAddressSpace> browser;
    if (FAILED(ComPtr<IOPCServer>(connection->Server()).As(&browser)) || !browser) {
      document.AddElement("t");
      document.SetAttribute("error", "Server[" + server + "] 不支持数据浏览");
      return document.GetText();
    }
    OPCNAMESPACETYPE organisation = OPC_NS_HIERARCHIAL;
    browser->QueryOrganization(&organisation);
    document.AddElement("t");
    document.EnterElement();

    AddressSpaceWalk walk(*browser.Get(), connection->Items(), document);
    if (organisation != OPC_NS_HIERARCHIAL || forceFlat) {
      walk.WalkFlat();
    } else {
      walk.WalkTree();
    }
    walk.ClimbBack();
  }
  log.LogMessage("遍历结束", 0);
  const std::string& text = document.GetText();
  // The file is named by the peer's `sid`: only a server registered here names one, so a peer
  // cannot make files of any name it likes.
  CLSID registered{};
  if (SUCCEEDED(CLSIDFromProgID(AnsiToWide(server).c_str(), &registered))) {
    log.WriteLogText(server, text);
  }
  return text;
}

}  // namespace tavrel
