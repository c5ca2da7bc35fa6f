// The registered clipboard formats of the DA 1.0 streams, registered on first use.
#pragma once

#include "platform/com/com_api.h"

namespace tavrel::opcsim {

struct StreamFormats {
  CLIPFORMAT data;           // "OPCSTMFORMATDATA"
  CLIPFORMAT dataTime;       // "OPCSTMFORMATDATATIME"
  CLIPFORMAT writeComplete;  // "OPCSTMFORMATWRITECOMPLETE"
  bool IsData(CLIPFORMAT format) const { return format == data || format == dataTime; }
};

const StreamFormats& OpcStreamFormats();

}  // namespace tavrel::opcsim
