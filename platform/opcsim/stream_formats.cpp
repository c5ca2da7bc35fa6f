#include "platform/opcsim/stream_formats.h"

#include "platform/opcda/opc_types.h"

namespace tavrel::opcsim {

const StreamFormats& OpcStreamFormats() {
  static const StreamFormats formats{
      static_cast<CLIPFORMAT>(RegisterClipboardFormatA(kOpcStreamFormatData)),
      static_cast<CLIPFORMAT>(RegisterClipboardFormatA(kOpcStreamFormatDataTime)),
      static_cast<CLIPFORMAT>(RegisterClipboardFormatA(kOpcStreamFormatWriteComplete)),
  };
  return formats;
}

}  // namespace tavrel::opcsim
