// torv.exe's operator new and delete on Windows.
//
// Measured on a million-line check under wine: the C runtime's one heap
// lock made the reading threads wait on each other (sixty thousand futex
// calls), and every freed block over 64 KB had its pages given back, so
// that a third of the pages the process touched were faulted in again for
// the next log's vectors and reports. Here each thread allocates from a
// heap of its own (a block freed by another thread goes back to the heap
// it came from), and freed large blocks are kept, up to a bound, for the
// next ones of about their size.
//
// Every block starts with a header naming its heap and, for a large block,
// its size class; the header keeps the 8-byte alignment the heap gives.
#include "heap_win.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <new>

namespace torv::tool {
namespace {

struct Header {
    HANDLE heap;
    uint32_t sizeClass;  // 0: an ordinary block; else the large block's class
};
constexpr size_t kHeader = 8;
static_assert(sizeof(Header) <= kHeader, "the header keeps the heap's 8-byte alignment");

// Threads take their heaps in turn; a handful is enough for the tool's
// threads, which are as many as the cores.
constexpr unsigned kThreadHeaps = 8;

// Large blocks come in classes of four steps per doubling (64, 80, 96, 112,
// 128, 160 KB ...), so a kept block serves any size of its class; larger
// than the last class they go straight back to the heap.
constexpr unsigned kStepsPerDoubling = 4;
constexpr unsigned kLargeClasses = 8 * kStepsPerDoubling + 1;  // up to 16 MB
// A request also takes a kept block up to this many classes larger.
constexpr unsigned kLargerClassesTaken = 2;

size_t classSize(unsigned sizeClass) {
    const unsigned doubling = (sizeClass - 1) / kStepsPerDoubling;
    const unsigned step = (sizeClass - 1) % kStepsPerDoubling;
    return (kLargeBlockSize << doubling) / kStepsPerDoubling * (kStepsPerDoubling + step);
}

// The class of a block of `total` bytes; 0 when none holds it.
unsigned classOf(size_t total) {
    for (unsigned c = 1; c <= kLargeClasses; ++c) {
        if (classSize(c) >= total) {
            return c;
        }
    }
    return 0;
}

struct Heaps {
    HANDLE thread[kThreadHeaps] = {};
    HANDLE large = nullptr;
    DWORD threadSlot = TLS_OUT_OF_INDEXES;
    std::atomic<unsigned> nextThreadHeap{0};

    // The kept large blocks of each class, linked through their first bytes.
    SRWLOCK cacheLock = SRWLOCK_INIT;
    void* kept[kLargeClasses + 1] = {};
    size_t keptBytes = 0;
};

Heaps heaps;
INIT_ONCE heapsMade = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK makeHeaps(PINIT_ONCE, PVOID, PVOID*) {
    for (HANDLE& heap : heaps.thread) {
        heap = HeapCreate(0, 0, 0);
    }
    heaps.large = HeapCreate(0, 0, 0);
    heaps.threadSlot = TlsAlloc();
    return TRUE;
}

HANDLE heapOfThisThread() {
    InitOnceExecuteOnce(&heapsMade, makeHeaps, nullptr, nullptr);
    auto heap = static_cast<HANDLE>(TlsGetValue(heaps.threadSlot));
    if (heap == nullptr) {
        heap = heaps.thread[heaps.nextThreadHeap++ % kThreadHeaps];
        if (heap == nullptr || !TlsSetValue(heaps.threadSlot, heap)) {
            heap = GetProcessHeap();  // no heap of its own could be made
        }
    }
    return heap;
}

void*& nextKept(void* block) {
    return *reinterpret_cast<void**>(static_cast<char*>(block) + kHeader);
}

void* takeKept(unsigned sizeClass) {
    void* block = nullptr;
    AcquireSRWLockExclusive(&heaps.cacheLock);
    for (unsigned c = sizeClass; c <= kLargeClasses && c <= sizeClass + kLargerClassesTaken; ++c) {
        if (heaps.kept[c] != nullptr) {
            block = heaps.kept[c];
            heaps.kept[c] = nextKept(block);
            heaps.keptBytes -= classSize(c);
            break;
        }
    }
    ReleaseSRWLockExclusive(&heaps.cacheLock);
    return block;
}

// True when the block is kept; false when the cache is full.
bool keep(void* block, unsigned sizeClass) {
    bool kept = false;
    AcquireSRWLockExclusive(&heaps.cacheLock);
    if (heaps.keptBytes + classSize(sizeClass) <= kLargeBlockCacheLimit) {
        nextKept(block) = heaps.kept[sizeClass];
        heaps.kept[sizeClass] = block;
        heaps.keptBytes += classSize(sizeClass);
        kept = true;
    }
    ReleaseSRWLockExclusive(&heaps.cacheLock);
    return kept;
}

// The user's part of a new block, or null when the heap has no room.
void* allocate(size_t size) {
    if (size > SIZE_MAX - kLargeBlockSize) {
        return nullptr;
    }
    const size_t total = size + kHeader;
    const unsigned sizeClass = total >= kLargeBlockSize ? classOf(total) : 0;
    void* block = nullptr;
    if (sizeClass != 0) {
        InitOnceExecuteOnce(&heapsMade, makeHeaps, nullptr, nullptr);
        block = takeKept(sizeClass);
        if (block == nullptr && heaps.large != nullptr) {
            block = HeapAlloc(heaps.large, 0, classSize(sizeClass));
            if (block != nullptr) {
                *static_cast<Header*>(block) = Header{heaps.large, sizeClass};
            }
        }
        // A kept block keeps its own header (its class may be larger).
    } else {
        const HANDLE heap = heapOfThisThread();
        block = HeapAlloc(heap, 0, total);
        if (block != nullptr) {
            *static_cast<Header*>(block) = Header{heap, 0};
        }
    }
    return block == nullptr ? nullptr : static_cast<char*>(block) + kHeader;
}

void release(void* pointer) noexcept {
    if (pointer == nullptr) {
        return;
    }
    void* block = static_cast<char*>(pointer) - kHeader;
    const Header header = *static_cast<Header*>(block);
    if (header.sizeClass != 0 && keep(block, header.sizeClass)) {
        return;
    }
    HeapFree(header.heap, 0, block);
}

}  // namespace

size_t cachedLargeBlockBytes() {
    AcquireSRWLockShared(&heaps.cacheLock);
    const size_t bytes = heaps.keptBytes;
    ReleaseSRWLockShared(&heaps.cacheLock);
    return bytes;
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
