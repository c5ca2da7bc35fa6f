// IgnoringDataSink: a group call-back that takes every data change, read, write and cancel
// completion and does nothing with them, for connections that advise a call-back only because
// servers expect one (browsing, the maker's connection check). A call-back that handles some of
// them derives from it and overrides those.
#pragma once

#include "platform/com/com_object.h"
#include "platform/opcda/opcda.h"

namespace tavrel {

class IgnoringDataSink : public ComObject<IOPCDataCallback> {
 public:
  STDMETHODIMP OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*,
                            FILETIME*, HRESULT*) override {
    return S_OK;
  }
  STDMETHODIMP OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*,
                              WORD*, FILETIME*, HRESULT*) override {
    return S_OK;
  }
  STDMETHODIMP OnWriteComplete(DWORD, OPCHANDLE, HRESULT, DWORD, OPCHANDLE*, HRESULT*) override {
    return S_OK;
  }
  STDMETHODIMP OnCancelComplete(DWORD, OPCHANDLE) override { return S_OK; }
};

}  // namespace tavrel
