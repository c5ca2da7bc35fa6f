// Leak checks for tests: the COM task memory blocks and BSTRs allocated and not yet freed,
// process-wide.
//
// A test reads a count before and after the calls it checks; equal counts prove that every
// block a callee handed out was freed by its caller. On Windows the counts come from a
// malloc spy on the system's task allocator; BSTRs are task memory there (with the BSTR cache
// off), so BstrsInUse counts every task memory block, BSTRs among them.
#pragma once

#include <cstddef>

namespace tavrel {

std::size_t TaskMemoryBlocksInUse();
std::size_t BstrsInUse();

}  // namespace tavrel
