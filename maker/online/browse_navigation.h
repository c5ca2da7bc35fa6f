// Moving through a server's address space and reading its name lists, for the scan and the
// online browser.
//
// Positions are paths of branch names from the top. The top is reached by going UP until the
// server refuses (bounded, so that a server that never refuses cannot hold the caller); a
// path is then entered one DOWN step per name.
#pragma once

#include <functional>
#include <vector>

#include "common/wide_string.h"
#include "platform/opcda/opcda.h"

namespace tavrel {

using BranchPath = std::vector<WideString>;

// Goes UP until the server refuses.
void ClimbToTop(IOPCBrowseServerAddressSpace& browser);
// Climbs to the top and steps down along `path`; false when a step is refused.
bool EnterBranch(IOPCBrowseServerAddressSpace& browser, const BranchPath& path);

// Receives one batch of names; returns false to read no further.
using NameBatchVisitor = std::function<bool(std::vector<WideString>& names)>;

// Browses `type` at the position with `filter` (any data type, any rights) and hands the names
// to `visit` in batches of up to `batchSize`, read with IEnumString::Next until it stops
// answering S_OK (the names of its last, shorter answer included). False when the browse
// call itself failed. Each name's memory is freed before `visit` sees the batch.
bool ForEachNameBatch(IOPCBrowseServerAddressSpace& browser, OPCBROWSETYPE type,
                      const WideString& filter, ULONG batchSize, const NameBatchVisitor& visit);

// Every name of `type` at the position (filter "*").
std::vector<WideString> AllNames(IOPCBrowseServerAddressSpace& browser, OPCBROWSETYPE type);

// The fully qualified item id of leaf `name` at the position; empty when the server refuses.
WideString FullItemId(IOPCBrowseServerAddressSpace& browser, const WideString& name);

inline constexpr WCHAR kAnyName[] = OLESTR("*");

}  // namespace tavrel
