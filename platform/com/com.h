// The COM runtime and our helpers on top of it in one include: everything the OPC DA client
// code calls.
#pragma once

#include "platform/com/com_api.h"
#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"
#include "platform/com/connection_point.h"
#include "platform/com/enumerators.h"
