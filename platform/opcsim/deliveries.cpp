#include "platform/opcsim/deliveries.h"

#include <algorithm>

namespace tavrel::opcsim {

HRESULT DataReport::MasterQuality() const {
  return std::all_of(qualities.begin(), qualities.end(),
                     [](WORD q) { return (q & OPC_QUALITY_MASK) == OPC_QUALITY_GOOD; })
             ? S_OK
             : S_FALSE;
}

HRESULT DataReport::MasterError() const {
  return std::all_of(errors.begin(), errors.end(), [](HRESULT e) { return e == S_OK; }) ? S_OK
                                                                                        : S_FALSE;
}

HRESULT WriteReport::MasterError() const {
  return std::all_of(errors.begin(), errors.end(), [](HRESULT e) { return e == S_OK; }) ? S_OK
                                                                                        : S_FALSE;
}

namespace {

class DataDelivery final : public Delivery {
 public:
  DataDelivery(DataCallbacks sinks, DataReport report, bool readComplete)
      : sinks_(std::move(sinks)), report_(std::move(report)), readComplete_(readComplete) {}

  void Dispatch() override {
    DataReport& r = report_;
    const DWORD count = static_cast<DWORD>(r.Size());
    for (const auto& sink : sinks_) {
      if (readComplete_) {
        sink->OnReadComplete(r.transactionId, r.clientGroup, r.MasterQuality(), r.MasterError(),
                             count, r.clientHandles.data(), r.values.data(), r.qualities.data(),
                             r.timeStamps.data(), r.errors.data());
      } else {
        sink->OnDataChange(r.transactionId, r.clientGroup, r.MasterQuality(), r.MasterError(),
                           count, r.clientHandles.data(), r.values.data(), r.qualities.data(),
                           r.timeStamps.data(), r.errors.data());
      }
    }
  }

 private:
  DataCallbacks sinks_;
  DataReport report_;
  bool readComplete_;
};

class WriteCompleteDelivery final : public Delivery {
 public:
  WriteCompleteDelivery(DataCallbacks sinks, WriteReport report)
      : sinks_(std::move(sinks)), report_(std::move(report)) {}

  void Dispatch() override {
    for (const auto& sink : sinks_) {
      sink->OnWriteComplete(report_.transactionId, report_.clientGroup, report_.MasterError(),
                            static_cast<DWORD>(report_.clientHandles.size()),
                            report_.clientHandles.data(), report_.errors.data());
    }
  }

 private:
  DataCallbacks sinks_;
  WriteReport report_;
};

class CancelCompleteDelivery final : public Delivery {
 public:
  CancelCompleteDelivery(DataCallbacks sinks, DWORD transactionId, OPCHANDLE clientGroup)
      : sinks_(std::move(sinks)), transactionId_(transactionId), clientGroup_(clientGroup) {}

  void Dispatch() override {
    for (const auto& sink : sinks_) sink->OnCancelComplete(transactionId_, clientGroup_);
  }

 private:
  DataCallbacks sinks_;
  DWORD transactionId_;
  OPCHANDLE clientGroup_;
};

class StreamDelivery final : public Delivery {
 public:
  StreamDelivery(ComPtr<IAdviseSink> sink, CLIPFORMAT format, HGLOBAL stream)
      : sink_(std::move(sink)), stream_(stream) {
    format_.cfFormat = format;
    format_.ptd = nullptr;
    format_.dwAspect = DVASPECT_CONTENT;
    format_.lindex = -1;
    format_.tymed = TYMED_HGLOBAL;
  }
  ~StreamDelivery() override { GlobalFree(stream_); }

  void Dispatch() override {
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = stream_;
    medium.pUnkForRelease = nullptr;
    sink_->OnDataChange(&format_, &medium);
  }

 private:
  ComPtr<IAdviseSink> sink_;
  FORMATETC format_{};
  HGLOBAL stream_;
};

}  // namespace

std::unique_ptr<Delivery> MakeDataDelivery(DataCallbacks sinks, DataReport report,
                                           bool readComplete) {
  return std::make_unique<DataDelivery>(std::move(sinks), std::move(report), readComplete);
}

std::unique_ptr<Delivery> MakeWriteCompleteDelivery(DataCallbacks sinks, WriteReport report) {
  return std::make_unique<WriteCompleteDelivery>(std::move(sinks), std::move(report));
}

std::unique_ptr<Delivery> MakeCancelCompleteDelivery(DataCallbacks sinks, DWORD transactionId,
                                                     OPCHANDLE clientGroup) {
  return std::make_unique<CancelCompleteDelivery>(std::move(sinks), transactionId, clientGroup);
}

std::unique_ptr<Delivery> MakeStreamDelivery(ComPtr<IAdviseSink> sink, CLIPFORMAT format,
                                             HGLOBAL stream) {
  return std::make_unique<StreamDelivery>(std::move(sink), format, stream);
}

}  // namespace tavrel::opcsim
