// torv.exe's own allocator and memory functions, linked into this program
// as into the tool: every allocation of GoogleTest itself goes through them
// too.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <new>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "heap_win.h"

namespace {

using torv::tool::cachedLargeBlockBytes;
using torv::tool::keptSmallBlocksOfThisThread;
using torv::tool::kKeptPerSmallClass;
using torv::tool::kLargeBlockCacheLimit;
using torv::tool::kLargeBlockSize;
using torv::tool::kSmallBlockSize;
using torv::tool::smallBlocksGivenBackByEndedThreads;

// Called through pointers the compiler cannot see through, so that no call
// is replaced by the compiler's own inline form.
void* (*volatile copyBytes)(void*, const void*, size_t) = &std::memcpy;
void* (*volatile moveBytes)(void*, const void*, size_t) = &std::memmove;
int (*volatile compareBytes)(const void*, const void*, size_t) = &std::memcmp;
void* (*volatile findByte)(const void*, int, size_t) = &::memchr;

int sign(int value) {
    return (value > 0) - (value < 0);
}

std::vector<unsigned char> randomBytes(size_t n, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<unsigned char> bytes(n);
    for (unsigned char& b : bytes) {
        b = static_cast<unsigned char>(random());
    }
    return bytes;
}

// The lengths where the functions change strategy, and those around them.
const size_t kLengths[] = {0,  1,  2,  3,  4,  5,  7,   8,   9,   15,  16,  17,   19,
                           20, 21, 31, 32, 33, 64, 127, 128, 129, 130, 255, 1000, 4099};

TEST(MemoryFunctions, AreTheProgramsOwnNotTheCRuntimes) {
    const HMODULE runtime = GetModuleHandleA("msvcrt.dll");
    ASSERT_NE(runtime, nullptr);
    const std::pair<const char*, const void*> kOurs[] = {{"memcpy", reinterpret_cast<const void*>(copyBytes)},
                                                         {"memmove", reinterpret_cast<const void*>(moveBytes)},
                                                         {"memcmp", reinterpret_cast<const void*>(compareBytes)},
                                                         {"memchr", reinterpret_cast<const void*>(findByte)}};
    for (const auto& [name, ours] : kOurs) {
        EXPECT_NE(reinterpret_cast<const void*>(GetProcAddress(runtime, name)), ours) << name;
    }
}

TEST(MemoryFunctions, CopyEveryLengthAtEveryAlignmentAndTouchNothingElse) {
    for (size_t n : kLengths) {
        for (size_t from = 0; from < 8; ++from) {
            for (size_t to = 0; to < 8; ++to) {
                const std::vector<unsigned char> source = randomBytes(n + 16, static_cast<uint32_t>(n * 64 + from));
                std::vector<unsigned char> target(n + 16, 0xA5);
                std::vector<unsigned char> expected = target;
                std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(from), n,
                            expected.begin() + static_cast<std::ptrdiff_t>(to));
                void* answer = copyBytes(target.data() + to, source.data() + from, n);
                ASSERT_EQ(answer, target.data() + to);
                ASSERT_EQ(target, expected) << "n " << n << ", from +" << from << ", to +" << to;
            }
        }
    }
}

TEST(MemoryFunctions, MoveOverlappingRangesEitherWay) {
    const long kShifts[] = {-200, -129, -17, -16, -9, -5, -4, -3, -1, 0, 1, 3, 4, 5, 8, 9, 16, 17, 100, 129, 200};
    for (size_t n : kLengths) {
        for (long shift : kShifts) {
            const size_t base = 300;
            std::vector<unsigned char> buffer = randomBytes(n + 2 * base, static_cast<uint32_t>(n + 7 * base));
            std::vector<unsigned char> expected = buffer;
            const std::vector<unsigned char> moved(buffer.begin() + base, buffer.begin() + base + n);
            std::copy(moved.begin(), moved.end(), expected.begin() + base + shift);
            moveBytes(buffer.data() + base + shift, buffer.data() + base, n);
            ASSERT_EQ(buffer, expected) << "n " << n << ", shift " << shift;
        }
    }
}

TEST(MemoryFunctions, CompareOrdersByTheFirstDifferentByteAsUnsigned) {
    struct Case {
        unsigned char a, b;
    };
    // Bytes past 0x7F must order above the others, as unsigned char.
    const Case kDifferences[] = {{0x00, 0x01}, {0x7F, 0x80}, {0x80, 0xFF}, {0x01, 0xFF}, {'A', 'a'}};
    for (size_t n : kLengths) {
        if (n == 0) {
            EXPECT_EQ(compareBytes("x", "y", 0), 0);
            continue;
        }
        const std::vector<unsigned char> same = randomBytes(n, static_cast<uint32_t>(n));
        ASSERT_EQ(compareBytes(same.data(), std::vector<unsigned char>(same).data(), n), 0);
        for (size_t at : {size_t{0}, n / 2, n - 1}) {
            for (const Case& c : kDifferences) {
                std::vector<unsigned char> a = same, b = same;
                a[at] = c.a;
                b[at] = c.b;
                // A later difference the other way must not count.
                if (at + 1 < n) {
                    a[at + 1] = 0xFF;
                    b[at + 1] = 0x00;
                }
                ASSERT_EQ(sign(compareBytes(a.data(), b.data(), n)), -1) << "n " << n << " at " << at;
                ASSERT_EQ(sign(compareBytes(b.data(), a.data(), n)), 1) << "n " << n << " at " << at;
            }
        }
    }
}

TEST(MemoryFunctions, FindTheFirstOfAByteOrNone) {
    const int kWanted[] = {0x00, 0x01, 0x7F, 0x80, 0xFF, ' ', '\n'};
    for (size_t n : kLengths) {
        for (int wanted : kWanted) {
            // Every other byte differs from the wanted one, including its
            // neighbours 0x00/0x01/0x80 that a word-wise search may confuse.
            std::vector<unsigned char> bytes(n);
            for (size_t i = 0; i < n; ++i) {
                const unsigned char filler[] = {0x00, 0x01, 0x02, 0x7E, 0x80, 0x81, 0xFE, 0xFF};
                bytes[i] = filler[i % 8];
                if (bytes[i] == wanted) {
                    bytes[i] = static_cast<unsigned char>(wanted ^ 0x20);
                }
            }
            ASSERT_EQ(findByte(bytes.data(), wanted, n), nullptr) << "n " << n << ", byte " << wanted;
            for (size_t at : {size_t{0}, n / 3, n / 2, n ? n - 1 : 0}) {
                if (at >= n) {
                    continue;
                }
                std::vector<unsigned char> with = bytes;
                with[at] = static_cast<unsigned char>(wanted);
                if (at + 2 < n) {
                    with[at + 2] = static_cast<unsigned char>(wanted);  // a later one is not the answer
                }
                // The wanted byte is given as an int, and only its low byte counts.
                ASSERT_EQ(findByte(with.data(), wanted + 0x100, n), with.data() + at) << "n " << n << " at " << at;
            }
        }
    }
}

// Ranges that end at the last byte before a page the process may not read:
// a function that reads one byte too far fails the test with an access
// violation.
TEST(MemoryFunctions, ReadNothingPastTheEndOfTheirRanges) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize;
    auto* pages =
        static_cast<unsigned char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &old));
    std::vector<unsigned char> target(page);
    for (size_t n : kLengths) {
        if (n > page) {
            continue;
        }
        unsigned char* range = pages + page - n;
        std::fill_n(range, n, static_cast<unsigned char>('a'));
        EXPECT_EQ(findByte(range, 'b', n), nullptr);
        EXPECT_EQ(compareBytes(range, range, n), 0);
        copyBytes(target.data(), range, n);
        moveBytes(target.data(), range, n);
        EXPECT_TRUE(std::all_of(target.begin(), target.begin() + static_cast<std::ptrdiff_t>(n),
                                [](unsigned char c) { return c == 'a'; }));
    }
    VirtualFree(pages, 0, MEM_RELEASE);
}

TEST(Allocator, GivesDistinctAlignedBlocksOfEverySize) {
    std::vector<void*> blocks;
    for (size_t size : {size_t{0}, size_t{1}, size_t{7}, size_t{8}, size_t{100}, kLargeBlockSize - 9,
                        kLargeBlockSize - 8, kLargeBlockSize, size_t{100000}, size_t{5} << 20, size_t{40} << 20}) {
        void* block = ::operator new(size);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 8, 0u) << size;
        std::memset(block, 0x5A, size);  // the whole block is the caller's
        blocks.push_back(block);
    }
    std::vector<void*> sorted = blocks;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
    for (void* block : blocks) {
        ::operator delete(block);
    }
}

// A freed block is kept and serves the next block of its class, a little
// smaller; what is kept is then as it was.
TEST(Allocator, AFreedBlockServesTheNextOneOfItsClass) {
    struct Case {
        const char* what;
        size_t size, smaller;
        size_t (*kept)();
        size_t keptGrows;  // by the freed block
    };
    const Case kCases[] = {
        {"small, kept by its thread", 100, 97, keptSmallBlocksOfThisThread, 1},            // one 16-byte step
        {"large, kept for any thread", 100000, 99000, cachedLargeBlockBytes, 112 * 1024},  // the 112 KB class
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        void* first = ::operator new(c.size);
        const size_t before = c.kept();
        ::operator delete(first);
        EXPECT_EQ(c.kept(), before + c.keptGrows);
        void* second = ::operator new(c.smaller);
        EXPECT_EQ(second, first);
        EXPECT_EQ(c.kept(), before);
        ::operator delete(second);
    }
}

TEST(Allocator, AThreadKeepsAFewHundredSmallBlocksOfASizeAndGivesThemBackAsItEnds) {
    const size_t givenBack = smallBlocksGivenBackByEndedThreads();
    size_t keptBefore = 0, keptAfter = 0;
    std::thread thread([&] {
        keptBefore = keptSmallBlocksOfThisThread();
        std::vector<void*> blocks;
        for (size_t i = 0; i < 3 * kKeptPerSmallClass; ++i) {
            blocks.push_back(::operator new(kSmallBlockSize - 8));
        }
        for (void* block : blocks) {
            ::operator delete(block);
        }
        keptAfter = keptSmallBlocksOfThisThread();
    });
    thread.join();
    // The vector's own blocks are small too, hence the margin.
    EXPECT_GE(keptAfter, keptBefore + kKeptPerSmallClass);
    EXPECT_LE(keptAfter, keptBefore + kKeptPerSmallClass + 16);
    EXPECT_GE(smallBlocksGivenBackByEndedThreads(), givenBack + keptAfter);
}

TEST(Allocator, KeepsNoMoreFreedLargeBlocksThanItsBound) {
    std::vector<void*> blocks;
    for (size_t i = 0; i < 2 * kLargeBlockCacheLimit / (1 << 20); ++i) {
        blocks.push_back(::operator new(1 << 20));
    }
    for (void* block : blocks) {
        ::operator delete(block);
    }
    EXPECT_LE(cachedLargeBlockBytes(), kLargeBlockCacheLimit);
    EXPECT_GE(cachedLargeBlockBytes(), kLargeBlockCacheLimit - (2 << 20));
}

TEST(Allocator, AnImpossibleSizeCallsTheNewHandlerThenThrows) {
    static int calls = 0;
    for (size_t size : {SIZE_MAX, SIZE_MAX - 8, SIZE_MAX - kLargeBlockSize, size_t{0x7FFFFFF0}}) {
        SCOPED_TRACE(size);
        calls = 0;
        std::set_new_handler([] {
            ++calls;
            std::set_new_handler(nullptr);  // the next failure throws
        });
        EXPECT_THROW(static_cast<void>(::operator new(size)), std::bad_alloc);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(::operator new(size, std::nothrow), nullptr);
    }
    std::set_new_handler(nullptr);
}

// Blocks made on one thread and freed on another, from every thread at
// once, each filled with its own pattern that must be intact when freed.
TEST(Allocator, BlocksFreedOnOtherThreadsStayIntact) {
    constexpr unsigned kThreads = 4;
    constexpr size_t kRounds = 1500;
    struct Block {
        unsigned char* bytes;
        size_t size;
        unsigned char fill;
    };
    std::vector<std::vector<Block>> handedOver(kThreads);
    std::atomic<unsigned> ready{0};
    std::atomic<size_t> damaged{0};
    std::atomic<size_t> stuck{0};
    auto check = [&damaged](const Block& block) {
        if (!std::all_of(block.bytes, block.bytes + block.size, [&](unsigned char c) { return c == block.fill; })) {
            ++damaged;
        }
        delete[] block.bytes;
    };
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::mt19937 random(t);
            for (size_t r = 0; r < kRounds; ++r) {
                // Mostly small blocks, one in eight large.
                const size_t size = r % 8 == 0 ? kLargeBlockSize + random() % 150000 : 1 + random() % 2000;
                const auto fill = static_cast<unsigned char>(t * 16 + r % 16);
                auto* bytes = new unsigned char[size];
                std::fill_n(bytes, size, fill);
                handedOver[t].push_back({bytes, size, fill});
            }
            ++ready;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (ready.load() < kThreads) {
                if (std::chrono::steady_clock::now() > deadline) {
                    ++stuck;  // another thread never got its blocks made
                    return;
                }
                std::this_thread::yield();
            }
            // Each frees the blocks of the next thread while making more.
            for (const Block& block : handedOver[(t + 1) % kThreads]) {
                check(block);
                std::vector<int> churn(random() % 2000);
                std::fill(churn.begin(), churn.end(), static_cast<int>(t));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(stuck.load(), 0u);
    EXPECT_EQ(damaged.load(), 0u);
}

}  // namespace
