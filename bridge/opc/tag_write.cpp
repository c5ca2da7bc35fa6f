#include "bridge/opc/tag_write.h"

#include "common/code_page.h"
#include "opcclient/opc_result_owners.h"
#include "platform/com/bstr_view.h"
#include "platform/com/com_api.h"
#include "platform/com/owned_variant.h"

namespace tavrel {

namespace {

constexpr DWORD kWriteTransaction = 2;

}  // namespace

WriteResult WriteTagValue(const WriteTarget& target, VARTYPE type, std::string_view value,
                          const EngineLog& log) {
  OwnedVariant variant;
  variant.Mutable()->vt = VT_BSTR;
  variant.Mutable()->bstrVal = BstrFromView(AnsiToWide(value));
  const HRESULT converted = VariantChangeType(variant.Mutable(), variant.Mutable(), 0, type);
  if (FAILED(converted)) return {1, log.FormatOpcError("VariantChangeType:", converted)};

  OPCHANDLE serverHandle = target.serverHandle;
  HRESULT hr = E_NOINTERFACE;
  HRESULT* rawErrors = nullptr;
  const char* text = "ASync Write: ";
  ComPtr<IOPCSyncIO> syncIO;
  ComPtr<IOPCAsyncIO2> asyncIO2;
  ComPtr<IOPCAsyncIO> asyncIO;
  if (SUCCEEDED(target.group.As(&syncIO))) {
    text = "Sync Write: ";
    hr = syncIO->Write(1, &serverHandle, variant.Mutable(), &rawErrors);
  } else if (target.groupsAdded && SUCCEEDED(target.group.As(&asyncIO2))) {
    DWORD cancelId = kWriteTransaction;
    hr = asyncIO2->Write(1, &serverHandle, variant.Mutable(), kWriteTransaction, &cancelId,
                         &rawErrors);
  } else if (!target.groupsAdded && SUCCEEDED(target.group.As(&asyncIO))) {
    DWORD transaction = 0;
    hr = asyncIO->Write(target.callbackCookie, 1, &serverHandle, variant.Mutable(), &transaction,
                        &rawErrors);
  } else {
    return {1, ""};
  }
  const TaskMemoryPtr<HRESULT> errors(rawErrors);
  const HRESULT itemResult = FAILED(hr) ? hr : errors ? errors.get()[0] : S_OK;
  if (FAILED(itemResult)) {
    std::string message = log.FormatOpcError(text, itemResult);
    log.Log(message);
    return {1, std::move(message)};
  }
  return {0, ""};
}

}  // namespace tavrel
