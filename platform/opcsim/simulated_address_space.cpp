#include "platform/opcsim/simulated_address_space.h"

#include <string>

#include "common/wide_string.h"
#include "platform/com/com_api.h"
#include "platform/opcda/opc_error.h"
#include "platform/opcda/opc_types.h"
#include "platform/opcsim/value_generators.h"

namespace tavrel::opcsim {

namespace {

constexpr DWORD kReadOnly = OPC_READABLE;
constexpr DWORD kReadWrite = OPC_READABLE | OPC_WRITEABLE;
constexpr DWORD kWriteOnly = OPC_WRITEABLE;

struct TypedItem {
  const WCHAR* name;
  VARTYPE type;
};

constexpr TypedItem kItemsPerType[] = {
    {OLESTR("Int1"), VT_I1},
    {OLESTR("Int2"), VT_I2},
    {OLESTR("Int4"), VT_I4},
    {OLESTR("UInt1"), VT_UI1},
    {OLESTR("UInt2"), VT_UI2},
    {OLESTR("UInt4"), VT_UI4},
    {OLESTR("Real4"), VT_R4},
    {OLESTR("Real8"), VT_R8},
    {OLESTR("Boolean"), VT_BOOL},
    {OLESTR("String"), VT_BSTR},
    {OLESTR("Date"), VT_DATE},
    {OLESTR("ArrayOfReal8"), VT_ARRAY | VT_R8},
    {OLESTR("ArrayOfString"), VT_ARRAY | VT_BSTR},
};

bool IsNumericScalar(VARTYPE type) {
  switch (type) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_R4:
    case VT_R8:
      return true;
    default:
      return false;
  }
}

ItemDefinition MakeItem(WideString name, VARTYPE type, DWORD rights, SignalKind signal,
                        WideString description) {
  ItemDefinition item;
  item.name = std::move(name);
  item.canonicalType = type;
  item.accessRights = rights;
  item.signal = signal;
  item.description = std::move(description);
  if (IsNumericScalar(type) && signal != SignalKind::kStored) {
    const SignalRange range = TypedSignalRange(signal, type);
    item.analog = true;
    item.euLow = range.low;
    item.euHigh = range.high;
  }
  if (signal == SignalKind::kStored) item.initialValue = InitialStoredValue(type);
  return item;
}

void AddSignalBranch(ItemCatalogue& catalogue, const WCHAR* branchName, SignalKind signal,
                     DWORD rights, std::uint32_t* seed) {
  const std::size_t branch = catalogue.AddBranch(ItemCatalogue::kRoot, branchName);
  for (const TypedItem& typed : kItemsPerType) {
    ItemDefinition item = MakeItem(typed.name, typed.type, rights, signal,
                                   WideString(branchName) + OLESTR(" ") + typed.name);
    if (signal == SignalKind::kStored && IsNumericScalar(typed.type)) {
      // Written values have no range of their own; dead bands refer to +-100.
      item.analog = true;
      item.euLow = -100.0;
      item.euHigh = 100.0;
    }
    item.seed = (*seed)++;
    catalogue.AddItem(branch, std::move(item));
  }
}

void AddErrorItem(ItemCatalogue& catalogue, std::size_t branch, const WCHAR* name, VARTYPE type,
                  DWORD rights, HRESULT readError, HRESULT writeError) {
  ItemDefinition item = MakeItem(name, type, rights, SignalKind::kStored,
                                 WideString(catalogue.Branch(branch).name) + OLESTR(" ") + name);
  item.readError = readError;
  item.writeError = writeError;
  catalogue.AddItem(branch, std::move(item));
}

WideString BulkItemName(std::size_t index, std::size_t count) {
  WideString digits;
  for (std::size_t rest = index; rest > 0 || digits.empty(); rest /= 10) {
    digits.insert(digits.begin(), static_cast<WCHAR>(OLESTR('0') + rest % 10));
  }
  std::size_t width = 4;
  for (std::size_t largest = count > 0 ? count - 1 : 0; largest >= 10000; largest /= 10) ++width;
  while (digits.size() < width) digits.insert(digits.begin(), OLESTR('0'));
  return OLESTR("Item") + digits;
}

}  // namespace

ItemCatalogue BuildSimulatedAddressSpace(std::size_t bulkItemCount) {
  ItemCatalogue catalogue;
  std::uint32_t seed = 1;
  AddSignalBranch(catalogue, OLESTR("Random"), SignalKind::kRandom, kReadOnly, &seed);
  AddSignalBranch(catalogue, OLESTR("Ramp"), SignalKind::kRamp, kReadOnly, &seed);
  AddSignalBranch(catalogue, OLESTR("Sine"), SignalKind::kSine, kReadOnly, &seed);
  AddSignalBranch(catalogue, OLESTR("Square"), SignalKind::kSquare, kReadOnly, &seed);
  AddSignalBranch(catalogue, OLESTR("Echo"), SignalKind::kStored, kReadWrite, &seed);

  const std::size_t writeOnly = catalogue.AddBranch(ItemCatalogue::kRoot, OLESTR("WriteOnly"));
  for (const TypedItem& typed :
       {kItemsPerType[2], kItemsPerType[7], kItemsPerType[8], kItemsPerType[9]}) {
    catalogue.AddItem(writeOnly, MakeItem(typed.name, typed.type, kWriteOnly, SignalKind::kStored,
                                          WideString(OLESTR("WriteOnly ")) + typed.name));
  }

  const std::size_t readError = catalogue.AddBranch(ItemCatalogue::kRoot, OLESTR("ReadError"));
  AddErrorItem(catalogue, readError, OLESTR("Fail"), VT_I4, kReadOnly, E_FAIL, S_OK);
  AddErrorItem(catalogue, readError, OLESTR("AccessDenied"), VT_R8, kReadOnly, E_ACCESSDENIED,
               S_OK);
  AddErrorItem(catalogue, readError, OLESTR("OutOfRange"), VT_BSTR, kReadOnly, OPC_E_RANGE, S_OK);

  const std::size_t writeError = catalogue.AddBranch(ItemCatalogue::kRoot, OLESTR("WriteError"));
  AddErrorItem(catalogue, writeError, OLESTR("Fail"), VT_I4, kReadWrite, S_OK, E_FAIL);
  AddErrorItem(catalogue, writeError, OLESTR("AccessDenied"), VT_R8, kReadWrite, S_OK,
               E_ACCESSDENIED);
  AddErrorItem(catalogue, writeError, OLESTR("OutOfRange"), VT_I2, kReadWrite, S_OK, OPC_E_RANGE);
  AddErrorItem(catalogue, writeError, OLESTR("ReadOnly"), VT_BSTR, kReadOnly, S_OK, S_OK);

  const std::size_t quality = catalogue.AddBranch(ItemCatalogue::kRoot, OLESTR("Quality"));
  catalogue.AddItem(quality, MakeItem(OLESTR("Cycle"), VT_I4, kReadOnly, SignalKind::kQualityCycle,
                                      OLESTR("Quality cycling through 192, 0, 64, 216, 193")));

  const std::size_t bulk = catalogue.AddBranch(ItemCatalogue::kRoot, OLESTR("Bulk"));
  for (std::size_t i = 0; i < bulkItemCount; ++i) {
    ItemDefinition item = MakeItem(BulkItemName(i, bulkItemCount), VT_R8, kReadOnly,
                                   SignalKind::kBulk, OLESTR("Bulk"));
    item.seed = static_cast<std::uint32_t>(i + 1);
    catalogue.AddItem(bulk, std::move(item));
  }

  const std::size_t chinese = catalogue.AddBranch(ItemCatalogue::kRoot, OLESTR("中文"));
  const std::size_t device = catalogue.AddBranch(chinese, OLESTR("设备一"));
  catalogue.AddItem(device,
                    MakeItem(OLESTR("温度"), VT_R8, kReadOnly, SignalKind::kSine, OLESTR("温度")));
  ItemDefinition pressure =
      MakeItem(OLESTR("压力"), VT_R4, kReadOnly, SignalKind::kRandom, OLESTR("压力"));
  pressure.seed = seed++;
  catalogue.AddItem(device, std::move(pressure));
  ItemDefinition state =
      MakeItem(OLESTR("状态"), VT_BSTR, kReadOnly, SignalKind::kSquare, OLESTR("运行状态"));
  state.texts = {OLESTR("运行"), OLESTR("停止")};
  catalogue.AddItem(device, std::move(state));
  ItemDefinition name =
      MakeItem(OLESTR("名称"), VT_BSTR, kReadWrite, SignalKind::kStored, OLESTR("设备名称"));
  name.initialValue = OwnedVariant::FromText(OLESTR("一号设备"));
  catalogue.AddItem(device, std::move(name));

  catalogue.AddItem(ItemCatalogue::kRoot, MakeItem(OLESTR("Heartbeat"), VT_BOOL, kReadOnly,
                                                   SignalKind::kHeartbeat, OLESTR("Heartbeat")));
  catalogue.AddItem(ItemCatalogue::kRoot, MakeItem(OLESTR("Counter"), VT_UI4, kReadOnly,
                                                   SignalKind::kCounter, OLESTR("Signal periods")));
  ItemDefinition version = MakeItem(OLESTR("Version"), VT_BSTR, kReadOnly, SignalKind::kStored,
                                    OLESTR("Server version"));
  version.initialValue = OwnedVariant::FromText(OLESTR("1.0"));
  catalogue.AddItem(ItemCatalogue::kRoot, std::move(version));
  return catalogue;
}

}  // namespace tavrel::opcsim
