// On Windows the OPC server enumeration service is the plant's OPC core components' own, and
// registered by their installer: the programs register nothing.
#include "platform/opcda/opc_server_list.h"

namespace tavrel {

void RegisterOpcCoreClasses() {}

}  // namespace tavrel
