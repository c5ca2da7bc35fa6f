// WriteTagValue: one value, as text, to one tag's item, on the caller's thread.
//
// The text becomes a VARIANT of the tag's VARTYPE and is written synchronously when the group
// offers IOPCSyncIO, else through IOPCAsyncIO2 (transaction 2) when groups were added on this
// server, else through the DA 1.0 IOPCAsyncIO. Code 0 only when the server accepted the call
// and the item; a per-item error is code 1 with the server's error text, also logged.
#pragma once

#include <string_view>

#include "bridge/core/connection_engine.h"
#include "bridge/opc/engine_log.h"
#include "bridge/opc/server_session.h"

namespace tavrel {

WriteResult WriteTagValue(const WriteTarget& target, VARTYPE type, std::string_view value,
                          const EngineLog& log);

}  // namespace tavrel
