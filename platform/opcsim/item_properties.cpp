#include "platform/opcsim/item_properties.h"

#include <algorithm>

#include "platform/com/com_api.h"
#include "platform/com/variant_date.h"
#include "platform/opcda/opc_error.h"

namespace tavrel::opcsim {

namespace {

constexpr PropertyInfo kCommonProperties[] = {
    {OPC_PROPERTY_DATATYPE, OPC_PROPERTY_DESC_DATATYPE, VT_I2},
    {OPC_PROPERTY_VALUE, OPC_PROPERTY_DESC_VALUE, VT_EMPTY},  // the item's canonical type
    {OPC_PROPERTY_QUALITY, OPC_PROPERTY_DESC_QUALITY, VT_I2},
    {OPC_PROPERTY_TIMESTAMP, OPC_PROPERTY_DESC_TIMESTAMP, VT_DATE},
    {OPC_PROPERTY_ACCESS_RIGHTS, OPC_PROPERTY_DESC_ACCESS_RIGHTS, VT_I4},
    {OPC_PROPERTY_SCAN_RATE, OPC_PROPERTY_DESC_SCAN_RATE, VT_R4},
};
constexpr PropertyInfo kAnalogProperties[] = {
    {OPC_PROPERTY_EU_TYPE, OPC_PROPERTY_DESC_EU_TYPE, VT_I4},
    {OPC_PROPERTY_EU_INFO, OPC_PROPERTY_DESC_EU_INFO, VT_ARRAY | VT_R8},
};
constexpr PropertyInfo kDescription = {OPC_PROPERTY_DESCRIPTION, OPC_PROPERTY_DESC_DESCRIPTION,
                                       VT_BSTR};
constexpr PropertyInfo kAnalogLimits[] = {
    {OPC_PROPERTY_HIGH_EU, OPC_PROPERTY_DESC_HIGH_EU, VT_R8},
    {OPC_PROPERTY_LOW_EU, OPC_PROPERTY_DESC_LOW_EU, VT_R8},
};

OwnedVariant Integer(VARTYPE type, LONG value) {
  OwnedVariant result;
  result.Mutable()->vt = type;
  if (type == VT_I2) {
    result.Mutable()->iVal = static_cast<SHORT>(value);
  } else {
    result.Mutable()->lVal = value;
  }
  return result;
}

OwnedVariant DateOf(const FILETIME& time) {
  OwnedVariant result;
  SYSTEMTIME calendar;
  DATE date = 0;
  if (FileTimeToSystemTime(&time, &calendar) && VariantDateFromCalendar(calendar, &date)) {
    result.Mutable()->vt = VT_DATE;
    result.Mutable()->date = date;
  }
  return result;
}

OwnedVariant Range(double low, double high) {
  OwnedVariant result;
  SAFEARRAY* array = SafeArrayCreateVector(VT_R8, 0, 2);
  if (array == nullptr) return result;
  static_cast<double*>(array->pvData)[0] = low;
  static_cast<double*>(array->pvData)[1] = high;
  result.Mutable()->vt = VT_ARRAY | VT_R8;
  result.Mutable()->parray = array;
  return result;
}

}  // namespace

std::vector<PropertyInfo> AvailableProperties(const ItemDefinition& item) {
  std::vector<PropertyInfo> properties(std::begin(kCommonProperties), std::end(kCommonProperties));
  properties[1].type = item.canonicalType;
  if (item.analog) {
    properties.insert(properties.end(), std::begin(kAnalogProperties), std::end(kAnalogProperties));
  }
  properties.push_back(kDescription);
  if (item.analog) {
    properties.insert(properties.end(), std::begin(kAnalogLimits), std::end(kAnalogLimits));
  }
  return properties;
}

HRESULT ReadProperty(const SimulatedDevice& device, std::size_t item, DWORD propertyId,
                     std::chrono::steady_clock::time_point now, OwnedVariant* value) {
  const ItemDefinition& definition = device.Catalogue().Item(item);
  const std::vector<PropertyInfo> available = AvailableProperties(definition);
  if (std::none_of(available.begin(), available.end(),
                   [&](const PropertyInfo& info) { return info.id == propertyId; })) {
    return OPC_E_INVALID_PID;
  }
  switch (propertyId) {
    case OPC_PROPERTY_DATATYPE:
      *value = Integer(VT_I2, definition.canonicalType);
      return S_OK;
    case OPC_PROPERTY_VALUE:
    case OPC_PROPERTY_QUALITY:
    case OPC_PROPERTY_TIMESTAMP: {
      ItemSample sample = device.Read(item, now);
      if (propertyId == OPC_PROPERTY_QUALITY) {
        *value = Integer(VT_I2, sample.quality);
      } else if (propertyId == OPC_PROPERTY_TIMESTAMP) {
        *value = DateOf(sample.timeStamp);
      } else {
        if (FAILED(sample.error)) return sample.error;
        *value = std::move(sample.value);
      }
      return S_OK;
    }
    case OPC_PROPERTY_ACCESS_RIGHTS:
      *value = Integer(VT_I4, static_cast<LONG>(definition.accessRights));
      return S_OK;
    case OPC_PROPERTY_SCAN_RATE: {
      OwnedVariant rate;
      rate.Mutable()->vt = VT_R4;
      rate.Mutable()->fltVal = static_cast<float>(device.Settings().minimumUpdateRate.count());
      *value = std::move(rate);
      return S_OK;
    }
    case OPC_PROPERTY_EU_TYPE:
      *value = Integer(VT_I4, OPC_ANALOG);
      return S_OK;
    case OPC_PROPERTY_EU_INFO:
      *value = Range(definition.euLow, definition.euHigh);
      return S_OK;
    case OPC_PROPERTY_DESCRIPTION:
      *value = OwnedVariant::FromText(definition.description);
      return S_OK;
    case OPC_PROPERTY_HIGH_EU:
      *value = OwnedVariant::FromDouble(definition.euHigh);
      return S_OK;
    case OPC_PROPERTY_LOW_EU:
      *value = OwnedVariant::FromDouble(definition.euLow);
      return S_OK;
    default:
      return OPC_E_INVALID_PID;
  }
}

}  // namespace tavrel::opcsim
