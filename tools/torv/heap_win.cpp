// torv.exe's operator new and delete on Windows.
//
// Measured on a million-line check under wine: the C runtime's one heap
// lock made the reading threads wait on each other (sixty thousand futex
// calls), every block cost a trip through the heap's lock and free lists,
// and every freed block over 64 KB had its pages given back, so that a
// third of the pages the process touched were faulted in again for the
// next log's vectors and reports. Here
// - each thread allocates from a heap of its own (a block freed by another
//   thread goes back to the heap it came from);
// - each thread keeps the small blocks it frees, a few hundred of each size
//   class, for its next ones (given back to their heaps when it ends);
// - freed large blocks are kept, up to a bound, for the next ones of about
//   their size, whatever the thread.
//
// Every block starts with a header naming its heap and size class; the
// header keeps the 8-byte alignment the heap gives.
#include "heap_win.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <new>

namespace torv::tool {
namespace {

struct Header {
    HANDLE heap;
    uint32_t sizeClass;  // 0: neither small nor large; kSmallTag + class; or a large class
};
constexpr size_t kHeader = 8;
static_assert(sizeof(Header) <= kHeader, "the header keeps the heap's 8-byte alignment");

// Threads take their heaps in turn; a handful is enough for the tool's
// threads, which are as many as the cores.
constexpr unsigned kThreadHeaps = 8;

// Small blocks, header included, come in steps of 16 bytes.
constexpr size_t kSmallStep = 16;
constexpr unsigned kSmallClasses = kSmallBlockSize / kSmallStep;
constexpr uint32_t kSmallTag = 0x100;

// Large blocks come in classes of four steps per doubling (64, 80, 96, 112,
// 128, 160 KB ...), so a kept block serves any size of its class; larger
// than the last class they go straight back to the heap.
constexpr unsigned kStepsPerDoubling = 4;
constexpr unsigned kLargeClasses = 8 * kStepsPerDoubling + 1;  // up to 16 MB
static_assert(kLargeClasses < kSmallTag);
// A request also takes a kept block up to this many classes larger.
constexpr unsigned kLargerClassesTaken = 2;

size_t largeClassSize(unsigned sizeClass) {
    const unsigned doubling = (sizeClass - 1) / kStepsPerDoubling;
    const unsigned step = (sizeClass - 1) % kStepsPerDoubling;
    return (kLargeBlockSize << doubling) / kStepsPerDoubling * (kStepsPerDoubling + step);
}

// The class of a large block of `total` bytes; 0 when none holds it.
unsigned largeClassOf(size_t total) {
    for (unsigned c = 1; c <= kLargeClasses; ++c) {
        if (largeClassSize(c) >= total) {
            return c;
        }
    }
    return 0;
}

// Blocks kept for reuse are linked through their first bytes after the header.
void*& nextKept(void* block) {
    return *reinterpret_cast<void**>(static_cast<char*>(block) + kHeader);
}

// What one thread allocates from and keeps; made on its first block and
// emptied when it ends.
struct ThreadBlocks {
    HANDLE heap;
    void* kept[kSmallClasses + 1];
    uint32_t count[kSmallClasses + 1];
};
// The thread slot's value once its thread has emptied its blocks: from then
// on its blocks go straight to and from its heap. (An address, so that it
// is set before any constructor of the program allocates.)
ThreadBlocks threadEndedMark{};
constexpr ThreadBlocks* kThreadEnded = &threadEndedMark;

struct Heaps {
    std::atomic<bool> made{false};
    HANDLE thread[kThreadHeaps] = {};
    HANDLE large = nullptr;
    DWORD threadSlot = TLS_OUT_OF_INDEXES;
    DWORD endSlot = FLS_OUT_OF_INDEXES;  // its callback runs as a thread ends
    std::atomic<unsigned> nextThreadHeap{0};
    std::atomic<size_t> smallBlocksGivenBack{0};  // by threads that ended

    // The kept large blocks of each class.
    SRWLOCK largeLock = SRWLOCK_INIT;
    void* keptLarge[kLargeClasses + 1] = {};
    size_t keptLargeBytes = 0;
};

Heaps heaps;
INIT_ONCE heapsMade = INIT_ONCE_STATIC_INIT;

void WINAPI threadEnds(void* value);

BOOL CALLBACK makeHeaps(PINIT_ONCE, PVOID, PVOID*) {
    for (HANDLE& heap : heaps.thread) {
        heap = HeapCreate(0, 0, 0);
    }
    heaps.large = HeapCreate(0, 0, 0);
    heaps.large = heaps.large != nullptr ? heaps.large : GetProcessHeap();
    heaps.threadSlot = TlsAlloc();
    heaps.endSlot = FlsAlloc(threadEnds);
    heaps.made = true;
    return TRUE;
}

void makeHeapsOnce() {
    if (!heaps.made.load(std::memory_order_acquire)) {
        InitOnceExecuteOnce(&heapsMade, makeHeaps, nullptr, nullptr);
    }
}

// This thread's blocks; null when it has none (it is ending, or they could
// not be made).
ThreadBlocks* threadBlocks() {
    makeHeapsOnce();
    if (heaps.threadSlot == TLS_OUT_OF_INDEXES || heaps.endSlot == FLS_OUT_OF_INDEXES) {
        return nullptr;
    }
    auto* blocks = static_cast<ThreadBlocks*>(TlsGetValue(heaps.threadSlot));
    if (blocks == kThreadEnded) {
        return nullptr;
    }
    if (blocks == nullptr) {
        HANDLE heap = heaps.thread[heaps.nextThreadHeap++ % kThreadHeaps];
        heap = heap != nullptr ? heap : GetProcessHeap();
        blocks = static_cast<ThreadBlocks*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(ThreadBlocks)));
        if (blocks == nullptr) {
            return nullptr;
        }
        blocks->heap = heap;
        if (!TlsSetValue(heaps.threadSlot, blocks) || !FlsSetValue(heaps.endSlot, blocks)) {
            TlsSetValue(heaps.threadSlot, nullptr);
            HeapFree(heap, 0, blocks);
            return nullptr;
        }
    }
    return blocks;
}

HANDLE heapOfThisThread() {
    const ThreadBlocks* blocks = threadBlocks();
    return blocks != nullptr ? blocks->heap : GetProcessHeap();
}

// An ending thread's kept blocks go back to their heaps.
void WINAPI threadEnds(void* value) {
    auto* blocks = static_cast<ThreadBlocks*>(value);
    if (blocks == nullptr || blocks == kThreadEnded) {
        return;
    }
    TlsSetValue(heaps.threadSlot, kThreadEnded);
    for (unsigned c = 1; c <= kSmallClasses; ++c) {
        while (void* block = blocks->kept[c]) {
            blocks->kept[c] = nextKept(block);
            HeapFree(static_cast<Header*>(block)->heap, 0, block);
        }
        heaps.smallBlocksGivenBack += blocks->count[c];
    }
    HeapFree(blocks->heap, 0, blocks);
}

void* takeLarge(unsigned sizeClass) {
    void* block = nullptr;
    AcquireSRWLockExclusive(&heaps.largeLock);
    for (unsigned c = sizeClass; c <= kLargeClasses && c <= sizeClass + kLargerClassesTaken; ++c) {
        if (heaps.keptLarge[c] != nullptr) {
            block = heaps.keptLarge[c];
            heaps.keptLarge[c] = nextKept(block);
            heaps.keptLargeBytes -= largeClassSize(c);
            break;
        }
    }
    ReleaseSRWLockExclusive(&heaps.largeLock);
    return block;
}

// True when the block is kept; false when the large blocks kept are at their bound.
bool keepLarge(void* block, unsigned sizeClass) {
    bool kept = false;
    AcquireSRWLockExclusive(&heaps.largeLock);
    if (heaps.keptLargeBytes + largeClassSize(sizeClass) <= kLargeBlockCacheLimit) {
        nextKept(block) = heaps.keptLarge[sizeClass];
        heaps.keptLarge[sizeClass] = block;
        heaps.keptLargeBytes += largeClassSize(sizeClass);
        kept = true;
    }
    ReleaseSRWLockExclusive(&heaps.largeLock);
    return kept;
}

// A new block with its header, or null when there is no room.
void* allocateBlock(HANDLE heap, size_t size, uint32_t sizeClass) {
    void* block = HeapAlloc(heap, 0, size);
    if (block != nullptr) {
        *static_cast<Header*>(block) = Header{heap, sizeClass};
    }
    return block;
}

void* allocateSmall(size_t total) {
    const auto sizeClass = static_cast<unsigned>((total + kSmallStep - 1) / kSmallStep);
    ThreadBlocks* blocks = threadBlocks();
    if (blocks != nullptr && blocks->kept[sizeClass] != nullptr) {
        void* block = blocks->kept[sizeClass];
        blocks->kept[sizeClass] = nextKept(block);
        --blocks->count[sizeClass];
        return block;
    }
    const HANDLE heap = blocks != nullptr ? blocks->heap : GetProcessHeap();
    return allocateBlock(heap, sizeClass * kSmallStep, kSmallTag + sizeClass);
}

void* allocateLarge(unsigned sizeClass) {
    makeHeapsOnce();
    if (void* block = takeLarge(sizeClass)) {
        return block;  // its header keeps its own class, which may be larger
    }
    return allocateBlock(heaps.large, largeClassSize(sizeClass), sizeClass);
}

// The user's part of a new block, or null when the heap has no room.
void* allocate(size_t size) {
    if (size > SIZE_MAX - kLargeBlockSize) {
        return nullptr;
    }
    const size_t total = size + kHeader;
    const unsigned largeClass = total >= kLargeBlockSize ? largeClassOf(total) : 0;
    void* block = total <= kSmallBlockSize ? allocateSmall(total)
                  : largeClass != 0        ? allocateLarge(largeClass)
                                           : allocateBlock(heapOfThisThread(), total, 0);
    return block == nullptr ? nullptr : static_cast<char*>(block) + kHeader;
}

void release(void* pointer) noexcept {
    if (pointer == nullptr) {
        return;
    }
    void* block = static_cast<char*>(pointer) - kHeader;
    const Header header = *static_cast<Header*>(block);
    if (header.sizeClass > kSmallTag) {
        const uint32_t sizeClass = header.sizeClass - kSmallTag;
        ThreadBlocks* blocks = threadBlocks();
        if (blocks != nullptr && blocks->count[sizeClass] < kKeptPerSmallClass) {
            nextKept(block) = blocks->kept[sizeClass];
            blocks->kept[sizeClass] = block;
            ++blocks->count[sizeClass];
            return;
        }
    } else if (header.sizeClass != 0 && keepLarge(block, header.sizeClass)) {
        return;
    }
    HeapFree(header.heap, 0, block);
}

}  // namespace

size_t cachedLargeBlockBytes() {
    AcquireSRWLockShared(&heaps.largeLock);
    const size_t bytes = heaps.keptLargeBytes;
    ReleaseSRWLockShared(&heaps.largeLock);
    return bytes;
}

size_t keptSmallBlocksOfThisThread() {
    const ThreadBlocks* blocks = threadBlocks();
    size_t kept = 0;
    for (unsigned c = 1; blocks != nullptr && c <= kSmallClasses; ++c) {
        kept += blocks->count[c];
    }
    return kept;
}

size_t smallBlocksGivenBackByEndedThreads() {
    return heaps.smallBlocksGivenBack.load();
}

}  // namespace torv::tool

// The replaceable allocation functions; the array, nothrow and sized forms
// of the C++ library call these two.
void* operator new(std::size_t size) {
    for (;;) {
        if (void* pointer = torv::tool::allocate(size)) {
            return pointer;
        }
        const std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) {
            throw std::bad_alloc();
        }
        handler();
    }
}

void operator delete(void* pointer) noexcept {
    torv::tool::release(pointer);
}

void operator delete(void* pointer, std::size_t) noexcept {
    torv::tool::release(pointer);
}
