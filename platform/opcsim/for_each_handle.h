// ForEachHandle: the per-item loop of the simulated group's methods that take server handles
// (item management, sync and async IO).
//
// `apply(i, serverItems[i])` gives each item's result; an item the caller cannot find gets
// OPC_E_INVALIDHANDLE from `apply` itself. Returns E_INVALIDARG (no count, no handles, no
// errors), E_OUTOFMEMORY, or S_OK when every item's result is S_OK and S_FALSE otherwise, with
// the results in task memory at `*errors`. `*errors` is null when no results are given.
//
// Not analysed for locks: `apply` needs the group's lock, which the caller holds around the
// whole loop; the analysis cannot carry a lock of the caller's object into this template.
#pragma once

#include "common/thread_annotations.h"
#include "platform/com/task_memory_ptr.h"
#include "platform/opcda/opcda.h"

namespace tavrel::opcsim {

template <typename Apply>
HRESULT ForEachHandle(DWORD count, const OPCHANDLE* serverItems, HRESULT** errors,
                      Apply&& apply) NO_THREAD_SAFETY_ANALYSIS {
  if (count == 0 || serverItems == nullptr || errors == nullptr) return E_INVALIDARG;
  *errors = nullptr;
  TaskArray<HRESULT> results(count);
  if (!results) return E_OUTOFMEMORY;
  HRESULT overall = S_OK;
  for (DWORD i = 0; i < count; ++i) {
    results[i] = apply(i, serverItems[i]);
    if (results[i] != S_OK) overall = S_FALSE;
  }
  *errors = results.Release();
  return overall;
}

}  // namespace tavrel::opcsim
