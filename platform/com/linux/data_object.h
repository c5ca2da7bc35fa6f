// IDataObject and IAdviseSink, and the global memory their data travels in.
//
// OPC DA 1.0 servers send data changes as streams: the client advises an IAdviseSink on the
// group's IDataObject for a registered clipboard format, and each change arrives in
// IAdviseSink::OnDataChange as a STGMEDIUM holding an HGLOBAL. Only HGLOBAL media are carried
// by this runtime.
//
// An HGLOBAL here is the address of its memory (as for GMEM_FIXED on Windows): GlobalLock
// returns the handle itself, for fixed and moveable blocks alike.
#pragma once

#include "platform/com/linux/clipboard_format.h"
#include "platform/com/linux/unknown.h"

namespace tavrel {

using HGLOBAL = void*;

inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GMEM_SHARE = 0x2000;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
inline constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// Null when out of memory.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// Null on success, as on Windows.
HGLOBAL GlobalFree(HGLOBAL memory);
LPVOID GlobalLock(HGLOBAL memory);
// TRUE while the block is still locked afterwards.
BOOL GlobalUnlock(HGLOBAL memory);
SIZE_T GlobalSize(HGLOBAL memory);

enum TYMED : DWORD {
  TYMED_NULL = 0,
  TYMED_HGLOBAL = 1,
  TYMED_FILE = 2,
  TYMED_ISTREAM = 4,
  TYMED_ISTORAGE = 8,
  TYMED_GDI = 16,
  TYMED_MFPICT = 32,
  TYMED_ENHMF = 64,
};

enum DVASPECT : DWORD {
  DVASPECT_CONTENT = 1,
  DVASPECT_THUMBNAIL = 2,
  DVASPECT_ICON = 4,
  DVASPECT_DOCPRINT = 8,
};

enum ADVF : DWORD {
  ADVF_NODATA = 1,
  ADVF_PRIMEFIRST = 2,
  ADVF_ONLYONCE = 4,
  ADVF_DATAONSTOP = 64,
};

enum DATADIR : DWORD {
  DATADIR_GET = 1,
  DATADIR_SET = 2,
};

struct DVTARGETDEVICE;  // never used by OPC: FORMATETC::ptd is always null
struct IMoniker;        // never used by OPC: IAdviseSink::OnRename is not called

struct FORMATETC {
  CLIPFORMAT cfFormat;
  DVTARGETDEVICE* ptd;
  DWORD dwAspect;
  LONG lindex;
  DWORD tymed;
};
using LPFORMATETC = FORMATETC*;

struct STGMEDIUM {
  DWORD tymed;
  union {
    HGLOBAL hGlobal;
  };
  IUnknown* pUnkForRelease;
};
using LPSTGMEDIUM = STGMEDIUM*;

// Frees the medium's data (GlobalFree for TYMED_HGLOBAL) or, when `pUnkForRelease` is set,
// releases that object instead; then empties the medium.
void ReleaseStgMedium(LPSTGMEDIUM medium);

inline constexpr IID IID_IAdviseSink = {
    0x0000010F, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IDataObject = {
    0x0000010E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IEnumFORMATETC = {
    0x00000103, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IEnumSTATDATA = {
    0x00000105, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IAdviseSink : public IUnknown {
  // The medium stays owned by the caller; the sink copies what it needs.
  STDMETHOD_(void, OnDataChange)(FORMATETC* format, STGMEDIUM* medium) PURE;
  STDMETHOD_(void, OnViewChange)(DWORD aspect, LONG index) PURE;
  STDMETHOD_(void, OnRename)(IMoniker* moniker) PURE;
  STDMETHOD_(void, OnSave)() PURE;
  STDMETHOD_(void, OnClose)() PURE;
};
COM_INTERFACE_ID(IAdviseSink);

struct STATDATA {
  FORMATETC formatetc;
  DWORD advf;
  IAdviseSink* pAdvSink;
  DWORD dwConnection;
};

struct IEnumFORMATETC : public IUnknown {
  STDMETHOD(Next)(ULONG count, FORMATETC* elements, ULONG* fetched) PURE;
  STDMETHOD(Skip)(ULONG count) PURE;
  STDMETHOD(Reset)() PURE;
  STDMETHOD(Clone)(IEnumFORMATETC** clone) PURE;
};
COM_INTERFACE_ID(IEnumFORMATETC);

struct IEnumSTATDATA : public IUnknown {
  STDMETHOD(Next)(ULONG count, STATDATA* elements, ULONG* fetched) PURE;
  STDMETHOD(Skip)(ULONG count) PURE;
  STDMETHOD(Reset)() PURE;
  STDMETHOD(Clone)(IEnumSTATDATA** clone) PURE;
};
COM_INTERFACE_ID(IEnumSTATDATA);

struct IDataObject : public IUnknown {
  STDMETHOD(GetData)(FORMATETC* format, STGMEDIUM* medium) PURE;
  STDMETHOD(GetDataHere)(FORMATETC* format, STGMEDIUM* medium) PURE;
  STDMETHOD(QueryGetData)(FORMATETC* format) PURE;
  STDMETHOD(GetCanonicalFormatEtc)(FORMATETC* formatIn, FORMATETC* formatOut) PURE;
  STDMETHOD(SetData)(FORMATETC* format, STGMEDIUM* medium, BOOL release) PURE;
  STDMETHOD(EnumFormatEtc)(DWORD direction, IEnumFORMATETC** formats) PURE;
  STDMETHOD(DAdvise)(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) PURE;
  STDMETHOD(DUnadvise)(DWORD connection) PURE;
  STDMETHOD(EnumDAdvise)(IEnumSTATDATA** advises) PURE;
};
COM_INTERFACE_ID(IDataObject);

}  // namespace tavrel
