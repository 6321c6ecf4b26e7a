// torv.exe's own operator new and delete (heap_win.cpp). The C runtime's
// heap is one heap behind one lock, and under wine it also gives back the
// pages of every large block it frees, so that the next one faults them in
// again. The tool instead gives each thread a heap of its own and keeps
// the small blocks each thread frees for its next ones, and freed large
// blocks, up to a bound, for the next ones of their size.
#pragma once

#include <cstddef>

namespace torv::tool {

// Blocks of at most this size (with the allocator's own header) are small:
// each thread keeps a few hundred of each size it frees.
constexpr size_t kSmallBlockSize = 512;
constexpr size_t kKeptPerSmallClass = 256;
// Blocks of this size or more (with the allocator's own header) are large.
constexpr size_t kLargeBlockSize = 64 * 1024;
// The most the freed large blocks that are kept may take together.
constexpr size_t kLargeBlockCacheLimit = 32 * 1024 * 1024;

// For the tests: what the kept large blocks take now, in bytes; the small
// blocks this thread keeps; the small blocks threads gave back as they ended.
size_t cachedLargeBlockBytes();
size_t keptSmallBlocksOfThisThread();
size_t smallBlocksGivenBackByEndedThreads();

}  // namespace torv::tool
