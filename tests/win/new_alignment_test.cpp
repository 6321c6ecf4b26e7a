// A type aligned to 16 bytes gets 16-aligned memory from every way the code
// allocates it, wherever the heap's free blocks lie. The 32-bit C runtime's
// malloc, behind the plain operator new, promises 8: such a type must go
// through the aligned operator new (the toolchain's -faligned-new=8).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct alignas(16) Aligned16 {
    unsigned char bytes[40];
};

constexpr int kAllocations = 10000;

// The address as the compiler cannot foresee it: it assumes what it was told
// of operator new's alignment, and could otherwise fold the check away.
std::uintptr_t addressOf(const void* block) {
    volatile std::uintptr_t address = reinterpret_cast<std::uintptr_t>(block);
    return address;
}

// One allocation: what keeps it alive, and the block whose address counts.
struct Allocation {
    std::shared_ptr<void> owner;
    const void* block = nullptr;
};

// Blocks of other sizes, made and freed at random between the aligned ones,
// so that these come from every part of the heap's free lists.
class HeapDisturbance {
public:
    explicit HeapDisturbance(unsigned seed) : random_(seed) {}

    void step() {
        std::uniform_int_distribution<size_t> size(1, 600);
        kept_.emplace_back(size(random_), 'x');
        if (kept_.size() > 64) {
            std::uniform_int_distribution<size_t> which(0, kept_.size() - 1);
            std::swap(kept_[which(random_)], kept_.back());
            kept_.pop_back();
        }
    }

    std::mt19937& random() { return random_; }

private:
    std::mt19937 random_;
    std::vector<std::string> kept_;
};

struct AllocationWay {
    const char* name;
    std::function<Allocation(std::mt19937&)> allocate;
};

const AllocationWay kWays[] = {
    {"new",
     [](std::mt19937&) {
         std::shared_ptr<Aligned16> owner(new Aligned16());
         return Allocation{owner, owner.get()};
     }},
    {"new[]",
     [](std::mt19937& random) {
         std::uniform_int_distribution<size_t> count(1, 7);
         std::shared_ptr<Aligned16[]> owner(new Aligned16[count(random)]);
         return Allocation{owner, owner.get()};
     }},
    {"std::make_shared",
     [](std::mt19937&) {
         std::shared_ptr<Aligned16> owner = std::make_shared<Aligned16>();
         return Allocation{owner, owner.get()};
     }},
    {"std::vector grown one by one",
     [](std::mt19937& random) {
         auto owner = std::make_shared<std::vector<Aligned16>>();
         std::uniform_int_distribution<size_t> count(1, 9);
         for (size_t i = count(random); i > 0; --i) {
             owner->emplace_back();
         }
         return Allocation{owner, owner->data()};
     }},
};

// Makes kAllocations blocks the given way among blocks of other sizes,
// keeping about half of them alive, and counts those not aligned to
// `alignment`; the first of them is put in `first`.
int blocksNotAligned(const std::function<Allocation(std::mt19937&)>& allocate, std::uintptr_t alignment,
                     std::uintptr_t& first) {
    HeapDisturbance disturbance(2026);
    std::vector<Allocation> kept;
    int notAligned = 0;
    for (int i = 0; i < kAllocations; ++i) {
        disturbance.step();
        kept.push_back(allocate(disturbance.random()));
        const std::uintptr_t address = addressOf(kept.back().block);
        if (address % alignment != 0 && notAligned++ == 0) {
            first = address;
        }
        if (disturbance.random()() % 2 == 0) {
            std::uniform_int_distribution<size_t> which(0, kept.size() - 1);
            std::swap(kept[which(disturbance.random())], kept.back());
            kept.pop_back();
        }
    }
    return notAligned;
}

TEST(NewAlignment, TypesAlignedTo16GetMemoryAlignedTo16) {
    for (const AllocationWay& way : kWays) {
        SCOPED_TRACE(way.name);
        std::uintptr_t first = 0;
        EXPECT_EQ(blocksNotAligned(way.allocate, 16, first), 0) << "the first at 0x" << std::hex << first;
    }
}

// What makes the test above mean something: the C runtime's own blocks are
// 8-aligned, and among them are many that are not 16-aligned.
TEST(NewAlignment, TheRuntimesMallocGivesBlocksAlignedToEightOnly) {
    const auto viaMalloc = [](std::mt19937& random) {
        std::uniform_int_distribution<size_t> size(1, 100);
        std::shared_ptr<void> owner(std::malloc(size(random)), std::free);
        const void* block = owner.get();
        return Allocation{std::move(owner), block};
    };
    std::uintptr_t first = 0;
    EXPECT_EQ(blocksNotAligned(viaMalloc, 8, first), 0) << "the first at 0x" << std::hex << first;
    EXPECT_GT(blocksNotAligned(viaMalloc, 16, first), kAllocations / 10);
}

}  // namespace
