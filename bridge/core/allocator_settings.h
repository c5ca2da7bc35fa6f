// The bridge's settings of the C library's allocator, made once at start before any thread.
//
// Blocks of 256 KiB and more (push frames, snapshot replies, the queue of a slow client) are
// mapped one by one, so that freeing one gives its memory back to the system. Left alone, the
// allocator raises this threshold to the size of every large block freed, later bursts come
// from the heap, whose free space it keeps, and the resident size of a long run creeps up with
// each new peak. The fixed threshold also keeps the heap's trim threshold low, so a thread
// that allocates and frees a few hundred kilobytes again and again (zlib's state, per frame)
// would give them back and fault them in each time: such work keeps its memory (frame_codec).
#pragma once

namespace tavrel {

void UseBridgeAllocatorSettings();

}  // namespace tavrel
