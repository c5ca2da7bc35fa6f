#include "platform/opcsim/da1_stream.h"

#include <cstddef>
#include <cstring>
#include <vector>

#include "common/wide_string.h"
#include "platform/com/bstr_view.h"
#include "platform/com/com_api.h"

namespace tavrel::opcsim {

namespace {

constexpr std::size_t kValueAlignment = 8;

class StreamWriter {
 public:
  std::size_t Size() const { return bytes_.size(); }
  void Align() {
    bytes_.resize((bytes_.size() + kValueAlignment - 1) / kValueAlignment * kValueAlignment);
  }
  template <typename T>
  void Put(const T& value) {
    PutBytes(&value, sizeof(T));
  }
  template <typename T>
  void PutAt(std::size_t offset, const T& value) {
    std::memcpy(bytes_.data() + offset, &value, sizeof(T));
  }
  void PutBytes(const void* data, std::size_t size) {
    const auto* begin = static_cast<const unsigned char*>(data);
    bytes_.insert(bytes_.end(), begin, begin + size);
  }
  void PutString(BSTR text) {
    const WideStringView view = BstrView(text);
    Put(static_cast<DWORD>(view.size() * sizeof(WCHAR)));
    PutBytes(view.data(), view.size() * sizeof(WCHAR));
    Put(WCHAR{0});
  }
  void PutValue(const VARIANT& value) {
    VARIANT header = value;
    if (value.vt == VT_BSTR || (value.vt & VT_ARRAY)) header.byref = nullptr;
    Put(header);
    if (value.vt == VT_BSTR) {
      PutString(value.bstrVal);
    } else if ((value.vt & VT_ARRAY) && value.parray != nullptr) {
      SAFEARRAY descriptor = *value.parray;
      descriptor.pvData = nullptr;
      descriptor.cLocks = 0;
      Put(descriptor);
      const ULONG count = value.parray->rgsabound[0].cElements;
      if ((value.vt & VT_TYPEMASK) == VT_BSTR) {
        for (ULONG i = 0; i < count; ++i) PutString(static_cast<BSTR*>(value.parray->pvData)[i]);
      } else {
        PutBytes(value.parray->pvData, static_cast<std::size_t>(count) * value.parray->cbElements);
      }
    }
  }
  HGLOBAL ToGlobal() const {
    HGLOBAL memory = GlobalAlloc(GMEM_FIXED, bytes_.size());
    if (memory != nullptr) std::memcpy(GlobalLock(memory), bytes_.data(), bytes_.size());
    if (memory != nullptr) GlobalUnlock(memory);
    return memory;
  }

 private:
  std::vector<unsigned char> bytes_;
};

template <typename Header>
void PutItemHeaders(StreamWriter& writer, const DataReport& report) {
  for (std::size_t i = 0; i < report.Size(); ++i) {
    Header header{};
    header.hClient = report.clientHandles[i];
    header.wQuality = FAILED(report.errors[i]) ? OPC_QUALITY_BAD : report.qualities[i];
    if constexpr (sizeof(Header) == sizeof(OPCITEMHEADER1)) {
      header.ftTimeStampItem = report.timeStamps[i];
    }
    writer.Put(header);
  }
}

}  // namespace

HGLOBAL BuildDataStream(const DataReport& report, bool withTimeStamps) {
  StreamWriter writer;
  OPCGROUPHEADER group{};
  group.dwItemCount = static_cast<DWORD>(report.Size());
  group.hClientGroup = report.clientGroup;
  group.dwTransactionID = report.transactionId;
  group.hrStatus = report.MasterError();
  writer.Put(group);
  const std::size_t headersStart = writer.Size();
  const std::size_t headerSize = withTimeStamps ? sizeof(OPCITEMHEADER1) : sizeof(OPCITEMHEADER2);
  if (withTimeStamps) {
    PutItemHeaders<OPCITEMHEADER1>(writer, report);
  } else {
    PutItemHeaders<OPCITEMHEADER2>(writer, report);
  }
  for (std::size_t i = 0; i < report.Size(); ++i) {
    writer.Align();
    const DWORD offset = static_cast<DWORD>(writer.Size());
    writer.PutAt(headersStart + i * headerSize + offsetof(OPCITEMHEADER2, dwValueOffset), offset);
    VARIANT empty;
    VariantInit(&empty);
    writer.PutValue(FAILED(report.errors[i]) ? empty : report.values[i]);
  }
  writer.PutAt(offsetof(OPCGROUPHEADER, dwSize), static_cast<DWORD>(writer.Size()));
  return writer.ToGlobal();
}

HGLOBAL BuildWriteCompleteStream(const WriteReport& report) {
  StreamWriter writer;
  OPCGROUPHEADERWRITE group{};
  group.dwItemCount = static_cast<DWORD>(report.clientHandles.size());
  group.hClientGroup = report.clientGroup;
  group.dwTransactionID = report.transactionId;
  group.hrStatus = report.MasterError();
  writer.Put(group);
  for (std::size_t i = 0; i < report.clientHandles.size(); ++i) {
    writer.Put(OPCITEMHEADERWRITE{report.clientHandles[i], report.errors[i]});
  }
  return writer.ToGlobal();
}

}  // namespace tavrel::opcsim
