// DataReport: the values of one callback (data change, refresh or read completion), laid out
// as the arrays IOPCDataCallback receives. It owns the VARIANTs it holds.
#pragma once

#include <vector>

#include "platform/opcda/opc_types.h"
#include "platform/opcsim/value_generators.h"

namespace tavrel::opcsim {

struct DataReport {
  DataReport() = default;
  DataReport(DataReport&&) = default;
  DataReport& operator=(DataReport&&) = delete;
  DataReport(const DataReport&) = delete;
  DataReport& operator=(const DataReport&) = delete;
  ~DataReport() {
    for (VARIANT& value : values) VariantClear(&value);
  }

  void Reserve(std::size_t count) {
    clientHandles.reserve(count);
    values.reserve(count);
    qualities.reserve(count);
    timeStamps.reserve(count);
    errors.reserve(count);
  }
  void Add(OPCHANDLE clientHandle, ItemSample&& sample) {
    clientHandles.push_back(clientHandle);
    values.emplace_back();
    sample.value.MoveTo(&values.back());
    qualities.push_back(sample.quality);
    timeStamps.push_back(sample.timeStamp);
    errors.push_back(sample.error);
  }
  std::size_t Size() const { return clientHandles.size(); }
  // S_OK when every quality is good, else S_FALSE.
  HRESULT MasterQuality() const;
  // S_OK when every item succeeded, else S_FALSE.
  HRESULT MasterError() const;

  DWORD transactionId = 0;
  OPCHANDLE clientGroup = 0;
  std::vector<OPCHANDLE> clientHandles;
  std::vector<VARIANT> values;
  std::vector<WORD> qualities;
  std::vector<FILETIME> timeStamps;
  std::vector<HRESULT> errors;
};

// The outcome of the items of one asynchronous write, for its completion.
struct WriteReport {
  DWORD transactionId = 0;
  OPCHANDLE clientGroup = 0;
  std::vector<OPCHANDLE> clientHandles;
  std::vector<HRESULT> errors;
  HRESULT MasterError() const;
};

}  // namespace tavrel::opcsim
