// The OPC Data Access interfaces in one include.
#pragma once

#include "platform/com/com.h"
#include "platform/opcda/opc_error.h"
#include "platform/opcda/opc_ids.h"
#include "platform/opcda/opc_interfaces.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcda/opc_types.h"
