// The logic of the server chooser: which hosts to offer, and which OPC servers a host has.
//
// The logic under the desktop's ServerChooserDialog, which shows what these functions return;
// it knows no widgets.
//
// FillServerChooser(request):
//  1. Activates the OPC server list service (CLSCTX_ALL; with `remoteServer`,
//     CLSCTX_REMOTE_SERVER for a named host, presenting its identity when one is given) on
//     the host (empty: this computer). On failure the message "Error connecting to OPC 2.0
//     Server Browser." (for a named host "Error connecting to OPC 2.0 Server Browser on
//     <host>.") and the registry walk of step 4.
//  2. Enumerates the classes of the requested category (as implemented and required); on
//     failure the message "EnumClassesOfCategories failed:" with the error text and step 4.
//  3. Describes each class; each one described is an entry and a line "<ProgID>  (<description>)".
//     Done.
//  4. Registry walk, only for the DA 1.0 category: every class of the host's registry that
//     carries the OPC server setting (kOpcServerSetting, the "OPC" key of a server's ProgID) is
//     an entry, its ProgID and description as registered. A host whose registry cannot be
//     reached gives nothing (registered_servers.h: on Linux the class registry of a node it
//     knows, on Windows the host's HKEY_CLASSES_ROOT, of another host through the remote
//     registry service).
// The line whose ProgID equals the chosen one is selected.
//
// Call on a thread that has entered COM.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/auth_identity.h"
#include "platform/com/com_api.h"
#include "platform/opcda/opc_ids.h"

namespace tavrel {

struct ServerChooserEntry {
  std::string progId;
  std::string description;
  CLSID clsid = CLSID_NULL;
};

struct ServerChooserRequest {
  std::string host;  // the host as typed; empty: this computer
  CATID category = CATID_OPCDAServer20;
  std::string chosenProgId;
  // True: a named host is reached with CLSCTX_REMOTE_SERVER, presenting `identity` when one
  // is given.
  bool remoteServer = false;
  std::optional<AuthIdentity> identity;
};

struct ServerChooserList {
  std::vector<ServerChooserEntry> entries;
  std::vector<std::string> lines;     // one per entry: "<ProgID>  (<description>)"
  int selected = -1;                  // the line of the chosen ProgID, -1 for none
  std::vector<std::string> messages;  // the message boxes to show, in order
};

ServerChooserList FillServerChooser(const ServerChooserRequest& request);

// The hosts to offer: on Linux every other computer the class registry knows, in its order; on
// Windows the computers of this one's domain or workgroup that the network neighbourhood lists
// (none where that is not served).
std::vector<std::string> EnumNetworkHosts();

// The category of a server entry's catid text: that GUID, or the DA 2.0 server category when
// the text is not a registry form.
CATID ChooserCategoryFromText(std::string_view catid);

}  // namespace tavrel
