// The OPC Data Access 1.0/2.0 custom interfaces and the OPC server list interface (declared
// by opcda.idl, with the types of opc_types.h), each tied to its IID for the typed helpers.
#pragma once

#include "platform/com/com_api.h"
#include "platform/com/enumerators.h"
#include "platform/opcda/opc_ids.h"
#include "platform/opcda/opc_types.h"

namespace tavrel {

COM_INTERFACE_ID(IEnumOPCItemAttributes);
COM_INTERFACE_ID(IOPCServer);
COM_INTERFACE_ID(IOPCCommon);
COM_INTERFACE_ID(IOPCServerPublicGroups);
COM_INTERFACE_ID(IOPCBrowseServerAddressSpace);
COM_INTERFACE_ID(IOPCGroupStateMgt);
COM_INTERFACE_ID(IOPCPublicGroupStateMgt);
COM_INTERFACE_ID(IOPCSyncIO);
COM_INTERFACE_ID(IOPCAsyncIO);
COM_INTERFACE_ID(IOPCItemMgt);
COM_INTERFACE_ID(IOPCDataCallback);
COM_INTERFACE_ID(IOPCAsyncIO2);
COM_INTERFACE_ID(IOPCItemProperties);
COM_INTERFACE_ID(IOPCShutdown);
COM_INTERFACE_ID(IOPCServerList);

}  // namespace tavrel
