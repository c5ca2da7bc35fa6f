// WriteTag: one value, as text, to one tag's item; on the caller's thread.
//
// The text becomes a VARIANT of the tag's VARTYPE and is written synchronously when the group
// offers IOPCSyncIO, else through IOPCAsyncIO2 (transaction 2) when groups were added on this
// connection, else through the DA 1.0 IOPCAsyncIO. Code 0 only when the server accepted the
// call and the item; a per-item error is code 1 with the server's error text.
#include "bridge/opc/opc_connection.h"
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

WriteResult OpcConnection::WriteTag(ProjectTag& tag, std::string_view value) {
  const TagSession* const session = FindSession(tag);
  if (session == nullptr) return {1, kNotConnectedText};
  OPCHANDLE serverHandle = 0;
  ComPtr<IOPCGroupStateMgt> group;
  DWORD cookie = 0;
  {
    std::lock_guard lock(stateMutex_);
    serverHandle = session->serverHandle;
    const auto& groups = server_.groups;
    for (std::size_t index = 0; index < groups.size(); ++index) {
      if (groups[index].get() == &tag.group) {
        group = groups_[index].stateMgt;
        cookie = groups_[index].cookie;
      }
    }
  }
  if (serverHandle == 0) return {1, kNotConnectedText};
  if (!group) return {1, kNotConnectedText};

  OwnedVariant variant;
  variant.Get()->vt = VT_BSTR;
  variant.Get()->bstrVal = BstrFromView(AnsiToWide(value));
  const HRESULT converted =
      VariantChangeType(variant.Get(), variant.Get(), 0, static_cast<VARTYPE>(tag.vt));
  if (FAILED(converted)) return {1, FormatOpcError("VariantChangeType:", converted)};

  HRESULT hr = E_NOINTERFACE;
  HRESULT* rawErrors = nullptr;
  const char* text = "ASync Write: ";
  ComPtr<IOPCSyncIO> syncIO;
  ComPtr<IOPCAsyncIO2> asyncIO2;
  ComPtr<IOPCAsyncIO> asyncIO;
  if (SUCCEEDED(group.As(&syncIO))) {
    text = "Sync Write: ";
    hr = syncIO->Write(1, &serverHandle, variant.Get(), &rawErrors);
  } else if (groupsAdded_.load() && SUCCEEDED(group.As(&asyncIO2))) {
    DWORD cancelId = kWriteTransaction;
    hr = asyncIO2->Write(1, &serverHandle, variant.Get(), kWriteTransaction, &cancelId, &rawErrors);
    writeTransaction_ = cancelId;
  } else if (!groupsAdded_.load() && SUCCEEDED(group.As(&asyncIO))) {
    DWORD transaction = 0;
    hr = asyncIO->Write(cookie, 1, &serverHandle, variant.Get(), &transaction, &rawErrors);
    writeTransaction_ = transaction;
  } else {
    return {1, ""};
  }
  const TaskMemoryPtr<HRESULT> errors(rawErrors);
  if (FAILED(hr)) {
    std::string message = FormatOpcError(text, hr);
    Log(message);
    return {1, std::move(message)};
  }
  if (errors && FAILED(errors.get()[0])) {
    std::string message = FormatOpcError(text, errors.get()[0]);
    Log(message);
    return {1, std::move(message)};
  }
  return {0, ""};
}
