#include "bridge/opc/connection_parts.h"

namespace tavrel {

void PublishRead(const ConnectionParts& parts, const TagItem& item, const OPCITEMSTATE& state) {
  const ItemTable::Reader reader(*parts.items);
  if (const Item* record = reader.Find(item.clientHandle)) {
    record->Publish(state.vDataValue, state.wQuality, state.ftTimeStamp, parts.Push());
    parts.metrics.valuesReceived.Increment();
  }
}

}  // namespace tavrel
