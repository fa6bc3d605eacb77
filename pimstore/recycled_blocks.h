// Large blocks the store lets go of, kept a few seconds for its next load.
//
// A load asks for a handful of large blocks (the file's text, the events, the index) and frees
// the previous load's as it installs the new one. The heap hands a large block back to the
// system when it is freed, so without this every load would fault in all of its pages afresh:
// at 20,000 events that was more than half of the load. recycled_blocks.cpp replaces this
// library's operator new and delete: a freed large block is kept (never more bytes than the
// large blocks still in use, so a load's peak is not raised) and handed to the next request it
// fits; what no request took is given back once the store has been idle a few seconds (its
// watcher's tick, while someone uses the calendar).
#pragma once

#include <cstddef>

namespace pimstore {

// Requests from this size up are large blocks.
constexpr std::size_t kLargeBlockBytes = 256 * 1024;
// How long kept blocks wait for a load before they go back to the heap.
constexpr unsigned kRecycledBlocksIdleMilliseconds = 3000;

// Bytes of freed large blocks kept for reuse right now.
std::size_t recycledBlockBytes();

// Gives back the kept blocks when no large block was asked for or freed in the last
// idleMilliseconds (all of them at 0).
void releaseRecycledBlocks(unsigned idleMilliseconds);

} // namespace pimstore
