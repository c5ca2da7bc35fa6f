// IDataObject of the simulated group: the advises through which DA 1.0 clients receive data
// and write completions as streams (da1_stream.h). One advise per format; the other
// IDataObject methods are not used by OPC clients and are not offered.
#include <algorithm>

#include "platform/opcsim/simulated_group.h"
#include "platform/opcsim/stream_formats.h"

namespace tavrel::opcsim {

STDMETHODIMP SimulatedGroup::DAdvise(FORMATETC* format, DWORD /*advf*/, IAdviseSink* sink,
                                     DWORD* connection) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (format == nullptr || sink == nullptr || connection == nullptr) return E_INVALIDARG;
  *connection = 0;
  const StreamFormats& formats = OpcStreamFormats();
  const bool known = formats.IsData(format->cfFormat) || format->cfFormat == formats.writeComplete;
  if (!known || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
  {
    MutexLock lock(mutex_);
    for (const StreamAdvise& advise : streamAdvises_) {
      if (advise.format == format->cfFormat) return CONNECT_E_ADVISELIMIT;
    }
    *connection = nextConnection_++;
    streamAdvises_.push_back({*connection, format->cfFormat, ComPtr<IAdviseSink>(sink)});
    if (formats.IsData(format->cfFormat)) ResendAllLocked();
  }
  device_->Scheduler().Wake();
  return S_OK;
}

STDMETHODIMP SimulatedGroup::DUnadvise(DWORD connection) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  ComPtr<IAdviseSink> released;  // released without the lock
  {
    MutexLock lock(mutex_);
    const auto found =
        std::find_if(streamAdvises_.begin(), streamAdvises_.end(),
                     [&](const StreamAdvise& advise) { return advise.connection == connection; });
    if (found == streamAdvises_.end()) return OLE_E_NOCONNECTION;
    released = std::move(found->sink);
    streamAdvises_.erase(found);
  }
  device_->Scheduler().AwaitDispatch(this);
  return S_OK;
}

STDMETHODIMP SimulatedGroup::GetData(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }
STDMETHODIMP SimulatedGroup::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }
STDMETHODIMP SimulatedGroup::QueryGetData(FORMATETC*) { return E_NOTIMPL; }
STDMETHODIMP SimulatedGroup::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) { return E_NOTIMPL; }
STDMETHODIMP SimulatedGroup::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }
STDMETHODIMP SimulatedGroup::EnumFormatEtc(DWORD, IEnumFORMATETC**) { return E_NOTIMPL; }
STDMETHODIMP SimulatedGroup::EnumDAdvise(IEnumSTATDATA**) { return E_NOTIMPL; }

}  // namespace tavrel::opcsim
