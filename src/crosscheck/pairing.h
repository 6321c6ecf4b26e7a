// The nearest-in-time pairing the cross-check's rules share (pairs, clock
// offsets, busted calls), in O(n log n) time and O(n) memory for any input.
//
// The rule: among all candidate pairs (a contact of a block's first side
// and one of its second side, at most `window` minutes apart) the pair
// nearest in time is taken first; ties go to the block of the lower rank,
// then to the earlier line of the first side, then to the earlier line of
// the second, then to the earlier contact
// of the first side and of the second (their flat index). A contact belongs
// to at most one pair. Taking the candidates one by one in that order gives
// the same pairs, but thousands of twins at one minute make millions of
// candidates; here contacts of a side at one minute form a bucket (only its
// earliest free contact can be taken next), and the nearest candidate is
// always between two buckets that are neighbours in the block's time order,
// so one heap of neighbouring buckets finds every pair.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace torv::crosscheck {

// A contact offered to the pairing.
struct PairingSlot {
    int64_t minute;  // the time the pairing compares
    uint32_t line;   // its line in its log
    uint32_t flat;   // the contact's own index, unique
};

class NearestPairing {
public:
    // Forgets every side and block, keeping the memory for the next use.
    void clear();

    // A side: contacts sorted by (minute, line, flat). Returns its id.
    uint32_t addSide(const PairingSlot* begin, const PairingSlot* end);

    // The contacts of `first` may pair with those of `second`. A side may be
    // in several blocks, as the first or the second side: a contact taken in
    // one block is gone from all. Of candidates equally near, those of the
    // block of the lower rank are taken first.
    void addBlock(uint32_t first, uint32_t second, uint64_t rank = 0);

    // Pairs every block at once, calling paired(first flat, second flat) for
    // each pair taken.
    void run(int64_t window, const std::function<void(uint32_t first, uint32_t second)>& paired);

private:
    struct Bucket {
        int64_t minute;
        uint32_t head;  // the earliest contact not yet paired
        uint32_t end;
    };
    struct Node {
        uint32_t bucket;
        uint32_t block;
        bool first;
    };
    struct Block {
        uint32_t first, second;
        uint64_t rank;
    };
    struct Item {
        int64_t distance;
        uint64_t rank;
        uint32_t firstLine, secondLine, firstFlat, secondFlat;
        uint32_t node;  // the pair of this node and the next one alive in its block
    };
    static bool later(const Item& a, const Item& b);

    bool alive(uint32_t node) const;
    // The first node alive along the links (next_ or previous_), or none.
    uint32_t aliveAlong(std::vector<uint32_t>& links, uint32_t node);
    uint32_t nextAlive(uint32_t node);
    uint32_t previousAlive(uint32_t node);
    // The candidate of a node and the next node alive, if they may pair.
    bool itemOf(uint32_t node, Item& item);
    void queue(uint32_t node);
    void addNodes(uint32_t block, int64_t window);
    void prepare(int64_t window);

    std::vector<PairingSlot> slots_;
    std::vector<Bucket> buckets_;
    std::vector<uint32_t> sideStart_{0};  // buckets of side s: [sideStart_[s], sideStart_[s + 1])
    std::vector<Block> blocks_;
    // The blocks' buckets in time order (a first side's before a second's at
    // one minute), block after block, with links that skip emptied buckets.
    std::vector<Node> nodes_;
    std::vector<uint32_t> next_, previous_;
    std::vector<uint8_t> queued_;
    std::vector<uint32_t> bucketNodeStart_, bucketNodes_;  // each bucket's nodes, in every block
    std::vector<Item> heap_;
    std::vector<Node> leading_, following_;  // addNodes' room
    int64_t window_ = 0;
};

}  // namespace torv::crosscheck
