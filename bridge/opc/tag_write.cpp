#include "bridge/opc/tag_write.h"

#include "bridge/opc/task_memory_ptr.h"
#include "common/code_page.h"
#include "platform/com/bstr.h"
#include "platform/com/variant_change_type.h"

namespace {

constexpr DWORD kWriteTransaction = 2;

// A VARIANT that is cleared when it goes.
class OwnedVariant {
 public:
  OwnedVariant() { VariantInit(&value_); }
  ~OwnedVariant() { VariantClear(&value_); }
  OwnedVariant(const OwnedVariant&) = delete;
  OwnedVariant& operator=(const OwnedVariant&) = delete;
  VARIANT* Get() { return &value_; }

 private:
  VARIANT value_;
};

}  // namespace

WriteResult WriteTagValue(const WriteTarget& target, VARTYPE type, std::string_view value,
                          const EngineLog& log) {
  OwnedVariant variant;
  variant.Get()->vt = VT_BSTR;
  variant.Get()->bstrVal = BstrFromView(AnsiToWide(value));
  const HRESULT converted = VariantChangeType(variant.Get(), variant.Get(), 0, type);
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
    hr = syncIO->Write(1, &serverHandle, variant.Get(), &rawErrors);
  } else if (target.groupsAdded && SUCCEEDED(target.group.As(&asyncIO2))) {
    DWORD cancelId = kWriteTransaction;
    hr = asyncIO2->Write(1, &serverHandle, variant.Get(), kWriteTransaction, &cancelId, &rawErrors);
  } else if (!target.groupsAdded && SUCCEEDED(target.group.As(&asyncIO))) {
    DWORD transaction = 0;
    hr = asyncIO->Write(target.callbackCookie, 1, &serverHandle, variant.Get(), &transaction,
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
