#include "crosscheck/pairing.h"

#include <algorithm>
#include <limits>
#include <tuple>

namespace torv::crosscheck {

namespace {

constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();

}  // namespace

void NearestPairing::clear() {
    slots_.clear();
    buckets_.clear();
    sideStart_.assign(1, 0);
    blocks_.clear();
}

uint32_t NearestPairing::addSide(const PairingSlot* begin, const PairingSlot* end) {
    for (const PairingSlot* slot = begin; slot != end; ++slot) {
        const uint32_t index = static_cast<uint32_t>(slots_.size());
        if (slot == begin || slot->minute != slot[-1].minute) {
            buckets_.push_back({slot->minute, index, index});
        }
        slots_.push_back(*slot);
        ++buckets_.back().end;
    }
    sideStart_.push_back(static_cast<uint32_t>(buckets_.size()));
    return static_cast<uint32_t>(sideStart_.size() - 2);
}

void NearestPairing::addBlock(uint32_t first, uint32_t second, uint64_t rank) {
    blocks_.push_back({first, second, rank});
}

bool NearestPairing::later(const Item& a, const Item& b) {
    return std::tie(a.distance, a.rank, a.firstLine, a.secondLine, a.firstFlat, a.secondFlat) >
           std::tie(b.distance, b.rank, b.firstLine, b.secondLine, b.firstFlat, b.secondFlat);
}

bool NearestPairing::alive(uint32_t node) const {
    const Bucket& bucket = buckets_[nodes_[node].bucket];
    return bucket.head < bucket.end;
}

// Links are followed past emptied buckets and then pointed straight at the
// node found, so that every bucket is stepped over a bounded number of times.
uint32_t NearestPairing::aliveAlong(std::vector<uint32_t>& links, uint32_t node) {
    uint32_t found = links[node];
    while (found != kNone && !alive(found)) {
        found = links[found];
    }
    for (uint32_t step = links[node]; step != found;) {
        const uint32_t after = links[step];
        links[step] = found;
        step = after;
    }
    links[node] = found;
    return found;
}

uint32_t NearestPairing::nextAlive(uint32_t node) {
    return aliveAlong(next_, node);
}

uint32_t NearestPairing::previousAlive(uint32_t node) {
    return aliveAlong(previous_, node);
}

bool NearestPairing::itemOf(uint32_t node, Item& item) {
    if (!alive(node)) {
        return false;
    }
    const uint32_t next = nextAlive(node);
    if (next == kNone || nodes_[node].first == nodes_[next].first) {
        return false;
    }
    const Bucket& here = buckets_[nodes_[node].bucket];
    const Bucket& there = buckets_[nodes_[next].bucket];
    item.distance = there.minute - here.minute;
    if (item.distance > window_) {
        return false;
    }
    item.rank = blocks_[nodes_[node].block].rank;
    const PairingSlot& a = slots_[(nodes_[node].first ? here : there).head];
    const PairingSlot& b = slots_[(nodes_[node].first ? there : here).head];
    item.firstLine = a.line;
    item.secondLine = b.line;
    item.firstFlat = a.flat;
    item.secondFlat = b.flat;
    item.node = node;
    return true;
}

void NearestPairing::queue(uint32_t node) {
    Item item;
    if (!queued_[node] && itemOf(node, item)) {
        queued_[node] = 1;
        heap_.push_back(item);
        std::push_heap(heap_.begin(), heap_.end(), later);
    }
}

// The block's buckets that have a bucket of the other side within the
// window, in time order. The side with fewer buckets leads: each of its
// buckets finds the other side's in range by a search, so a side in many
// blocks costs each block only what the smaller side holds.
void NearestPairing::addNodes(uint32_t block, int64_t window) {
    const uint32_t first = blocks_[block].first;
    const uint32_t second = blocks_[block].second;
    const bool firstLeads = sideStart_[first + 1] - sideStart_[first] <= sideStart_[second + 1] - sideStart_[second];
    const uint32_t lead = firstLeads ? first : second;
    const uint32_t other = firstLeads ? second : first;
    const auto otherBegin = buckets_.begin() + sideStart_[other];
    const auto otherEnd = buckets_.begin() + sideStart_[other + 1];
    std::vector<Node>& leading = leading_;
    std::vector<Node>& following = following_;
    leading.clear();
    following.clear();
    uint32_t taken = sideStart_[other];  // the other side's buckets below this one are in
    for (uint32_t b = sideStart_[lead]; b < sideStart_[lead + 1]; ++b) {
        const int64_t minute = buckets_[b].minute;
        auto from = std::lower_bound(otherBegin, otherEnd, minute - window,
                                     [](const Bucket& bucket, int64_t m) { return bucket.minute < m; });
        uint32_t o = std::max(static_cast<uint32_t>(from - buckets_.begin()), taken);
        if (from == otherEnd || from->minute > minute + window) {
            continue;
        }
        leading.push_back({b, block, firstLeads});
        for (; o < sideStart_[other + 1] && buckets_[o].minute <= minute + window; ++o) {
            following.push_back({o, block, !firstLeads});
        }
        taken = std::max(taken, o);
    }
    const size_t start = nodes_.size();
    std::merge(leading.begin(), leading.end(), following.begin(), following.end(), std::back_inserter(nodes_),
               [this](const Node& a, const Node& b) {
                   const int64_t ma = buckets_[a.bucket].minute;
                   const int64_t mb = buckets_[b.bucket].minute;
                   return ma != mb ? ma < mb : (a.first && !b.first);
               });
    for (size_t n = start; n < nodes_.size(); ++n) {
        next_.push_back(n + 1 < nodes_.size() ? static_cast<uint32_t>(n + 1) : kNone);
        previous_.push_back(n > start ? static_cast<uint32_t>(n - 1) : kNone);
    }
}

// The nodes of every block, each bucket's nodes listed, and the first
// candidate of every node queued.
void NearestPairing::prepare(int64_t window) {
    window_ = window;
    nodes_.clear();
    next_.clear();
    previous_.clear();
    for (uint32_t block = 0; block < blocks_.size(); ++block) {
        addNodes(block, window);
    }
    const uint32_t nodeCount = static_cast<uint32_t>(nodes_.size());
    bucketNodeStart_.assign(buckets_.size() + 1, 0);
    for (const Node& node : nodes_) {
        ++bucketNodeStart_[node.bucket + 1];
    }
    for (size_t b = 0; b < buckets_.size(); ++b) {
        bucketNodeStart_[b + 1] += bucketNodeStart_[b];
    }
    bucketNodes_.resize(nodeCount);
    std::vector<uint32_t> filled(bucketNodeStart_.begin(), bucketNodeStart_.end() - 1);
    for (uint32_t n = 0; n < nodeCount; ++n) {
        bucketNodes_[filled[nodes_[n].bucket]++] = n;
    }
    queued_.assign(nodeCount, 0);
    heap_.clear();
    for (uint32_t n = 0; n < nodeCount; ++n) {
        Item item;
        if (itemOf(n, item)) {
            queued_[n] = 1;
            heap_.push_back(item);
        }
    }
    std::make_heap(heap_.begin(), heap_.end(), later);
}

void NearestPairing::run(int64_t window, const std::function<void(uint32_t, uint32_t)>& paired) {
    prepare(window);

    // Every node whose pair with the next node may be taken is queued once,
    // with a key no later than its present one (taking contacts only makes
    // keys later). A popped key still present is the earliest candidate.
    while (!heap_.empty()) {
        std::pop_heap(heap_.begin(), heap_.end(), later);
        const Item popped = heap_.back();
        heap_.pop_back();
        queued_[popped.node] = 0;
        Item now;
        if (!itemOf(popped.node, now)) {
            continue;
        }
        if (later(now, popped)) {
            queue(popped.node);
            continue;
        }
        const uint32_t node = popped.node;
        const uint32_t next = nextAlive(node);
        paired(now.firstFlat, now.secondFlat);
        for (const uint32_t bucket : {nodes_[node].bucket, nodes_[next].bucket}) {
            if (++buckets_[bucket].head < buckets_[bucket].end) {
                continue;
            }
            // An emptied bucket joins its neighbours in every block it is in.
            for (uint32_t k = bucketNodeStart_[bucket]; k < bucketNodeStart_[bucket + 1]; ++k) {
                const uint32_t before = previousAlive(bucketNodes_[k]);
                if (before != kNone) {
                    queue(before);
                }
            }
        }
        queue(node);
    }
}

}  // namespace torv::crosscheck
