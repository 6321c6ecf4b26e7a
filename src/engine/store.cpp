#include "engine/store.h"

#include <algorithm>
#include <new>

#include "engine/contest.h"
#include "engine/points.h"

namespace torv::engine {

namespace {

size_t lowestBit(size_t i) {
    return i & (~i + 1);
}

// Dead slots are squeezed out once there are more of them than live ones
// (and more than a handful), so a removal costs constant time on average.
constexpr size_t kCompactionFloor = 16;

// Grows a full vector's room as push_back would (doubling), so that the
// next push_back cannot fail.
template <typename T>
void makeRoomForOne(std::vector<T>& items) {
    if (items.size() == items.capacity()) {
        items.reserve(items.capacity() == 0 ? 1 : items.capacity() * 2);
    }
}

}  // namespace

void LiveSlotCounter::appendLive() {
    // Node i covers the slots (i - lowbit(i), i]: this one, plus the live
    // slots of the nodes it absorbs.
    const size_t i = tree_.size();
    const size_t covered = liveBefore(i - 1) - liveBefore(i - lowestBit(i));
    tree_.push_back(static_cast<uint32_t>(covered + 1));
}

void LiveSlotCounter::markDead(size_t slot) {
    for (size_t i = slot + 1; i < tree_.size(); i += lowestBit(i)) {
        --tree_[i];
    }
}

void LiveSlotCounter::reserveOneMore() {
    makeRoomForOne(tree_);
}

size_t LiveSlotCounter::liveBefore(size_t slot) const {
    size_t sum = 0;
    for (size_t i = slot; i > 0; i -= lowestBit(i)) {
        sum += tree_[i];
    }
    return sum;
}

size_t LiveSlotCounter::slotAt(size_t position) const {
    const size_t size = tree_.size() - 1;
    size_t step = 1;
    while (step * 2 <= size) {
        step *= 2;
    }
    // The largest node index whose prefix holds at most `position` live
    // slots; the slot after it is the wanted one.
    size_t index = 0;
    size_t remaining = position + 1;
    for (; step > 0; step /= 2) {
        if (index + step <= size && tree_[index + step] < remaining) {
            index += step;
            remaining -= tree_[index];
        }
    }
    return index;
}

void ContactStore::SlotQueue::push(uint32_t slot) {
    if (size() == 0) {
        slots_.clear();
        head_ = 0;
        single_ = true;
        first_ = slot;
        return;
    }
    if (single_) {
        single_ = false;
        slots_.push_back(first_);
    }
    slots_.push_back(slot);
}

void ContactStore::SlotQueue::erase(uint32_t slot) {
    if (single_) {
        single_ = first_ != slot;
        return;
    }
    auto it = std::lower_bound(slots_.begin() + static_cast<std::ptrdiff_t>(head_), slots_.end(), slot);
    if (it == slots_.end() || *it != slot) {
        return;
    }
    if (it == slots_.begin() + static_cast<std::ptrdiff_t>(head_)) {
        ++head_;
    } else {
        slots_.erase(it);
    }
    if (head_ == slots_.size()) {
        slots_.clear();
        head_ = 0;
    }
}

void ContactStore::SlotQueue::renumber(const std::vector<uint32_t>& newSlot) {
    // In place: a compaction must not need memory it may not get.
    if (single_) {
        first_ = newSlot[first_];
        return;
    }
    slots_.erase(slots_.begin(), slots_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
    for (uint32_t& slot : slots_) {
        slot = newSlot[slot];
    }
}

void ContactStore::SlotQueue::makeRoomForOne() {
    if (single_) {
        slots_.reserve(2);  // push moves the slot in place and the new one here
    } else if (size() != 0) {
        engine::makeRoomForOne(slots_);
    }
}

// Host texts end at their first NUL, so a NUL separates the parts of a key
// without any possible ambiguity.
std::string ContactStore::twinKey(const std::string& call, const std::string& band, const std::string& mode) {
    std::string key;
    key.reserve(call.size() + band.size() + mode.size() + 2);
    key.append(call).push_back('\0');
    key.append(band).push_back('\0');
    key.append(mode);
    return key;
}

std::string ContactStore::areaKey(const std::string& band, const std::string& area) {
    std::string key;
    key.reserve(band.size() + area.size() + 1);
    key.append(band).push_back('\0');
    key.append(area);
    return key;
}

std::vector<CInfo> ContactStore::contactList() const {
    std::vector<CInfo> list;
    list.reserve(liveCount_);
    forEachContact([&list](const CInfo& record) { list.push_back(record); });
    return list;
}

void ContactStore::append(const CInfo& record) {
    append(CInfo(record));
}

ContactStore::IndexEntries ContactStore::addIndexEntries(const CInfo& record, ScoreEntry& entry) {
    IndexEntries added;
    try {
        probe();
        added.twin = twins_.try_emplace(twinKey(record.call, record.band, record.mode));
        probe();
        added.twin.first->second.makeRoomForOne();
        probe();
        added.area = areaCounts_.try_emplace(areaKey(record.band, record.area), 0);
        probe();
        added.bandId = bandIds_.try_emplace(record.band, static_cast<uint32_t>(bandIds_.size()));
        entry.band = added.bandId.first->second;
        if (!record.area.empty()) {
            probe();
            added.areaId = areaIds_.try_emplace(record.area, static_cast<uint32_t>(areaIds_.size()));
            entry.area = added.areaId.first->second;
            if (added.areaId.second) {
                probe();
                areaNames_.push_back(record.area);
                added.areaNamed = true;
            }
        }
        probe();
        makeRoomForOne(records_);
        makeRoomForOne(live_);
        makeRoomForOne(scoreEntries_);
        liveSlots_.reserveOneMore();
    } catch (...) {
        removeIndexEntries(added);
        throw;
    }
    return added;
}

void ContactStore::removeIndexEntries(const IndexEntries& added) noexcept {
    if (added.areaNamed) {
        areaNames_.pop_back();
    }
    if (added.areaId.second) {
        areaIds_.erase(added.areaId.first);
    }
    if (added.bandId.second) {
        bandIds_.erase(added.bandId.first);
    }
    if (added.area.second) {
        areaCounts_.erase(added.area.first);
    }
    if (added.twin.second) {
        twins_.erase(added.twin.first);
    }
}

void ContactStore::append(CInfo&& moved) {
    const auto slot = static_cast<uint32_t>(records_.size());
    ScoreEntry entry;
    entry.points = contactPoints(moved);
    entry.counted = countsForScore(moved);
    const IndexEntries added = addIndexEntries(moved, entry);
    // Nothing below can fail: every push_back has its room, and moving a
    // record moves its strings' buffers.
    records_.push_back(std::move(moved));
    live_.push_back(1);
    liveSlots_.appendLive();
    ++liveCount_;
    added.twin.first->second.push(slot);
    ++added.area.first->second;
    scoreEntries_.push_back(entry);
}

void ContactStore::appendWithBand(CInfo&& record) {
    const bool newBand = bandSet_.count(record.band) == 0;
    std::string band;
    if (newBand) {
        probe();
        band = record.band;
        makeRoomForOne(bands_);
        bandSet_.insert(record.band);
    }
    try {
        append(std::move(record));  // moved only once nothing can fail
    } catch (...) {
        if (newBand) {
            bandSet_.erase(band);
        }
        throw;
    }
    if (newBand) {
        bands_.push_back(std::move(band));
    }
}

bool ContactStore::removeFirstTwin(const std::string& call, const std::string& band, const std::string& mode) {
    auto it = twins_.find(twinKey(call, band, mode));
    if (it == twins_.end() || it->second.size() == 0) {
        return false;
    }
    removeSlot(it->second.front());
    return true;
}

void ContactStore::removeSlot(size_t slot) {
    CInfo& record = records_[slot];
    probe();
    auto twins = twins_.find(twinKey(record.call, record.band, record.mode));
    probe();
    auto area = areaCounts_.find(areaKey(record.band, record.area));
    // Nothing below can fail, but the squeezing, which is put off when it does.
    twins->second.erase(static_cast<uint32_t>(slot));
    if (twins->second.size() == 0) {
        twins_.erase(twins);
    }
    if (--area->second == 0) {
        areaCounts_.erase(area);
    }
    record = CInfo();
    live_[slot] = 0;
    scoreEntries_[slot].counted = false;
    liveSlots_.markDead(slot);
    --liveCount_;

    const size_t dead = records_.size() - liveCount_;
    if (dead > liveCount_ && dead > kCompactionFloor) {
        try {
            compact();
        } catch (const std::bad_alloc&) {
            // The store stays as it is, dead slots and all; a later removal squeezes them out.
        }
    }
}

void ContactStore::compact() {
    // The one allocation comes first; the rest renumbers in place.
    probe();
    std::vector<uint32_t> newSlot(records_.size(), 0);
    size_t next = 0;
    liveSlots_.clear();  // keeps its room, which the live slots fit in
    for (size_t slot = 0; slot < records_.size(); ++slot) {
        if (live_[slot]) {
            newSlot[slot] = static_cast<uint32_t>(next);
            if (next != slot) {
                records_[next] = std::move(records_[slot]);
                scoreEntries_[next] = scoreEntries_[slot];
                live_[next] = 1;
            }
            liveSlots_.appendLive();
            ++next;
        }
    }
    records_.resize(next);
    scoreEntries_.resize(next);
    live_.resize(next);
    for (auto& entry : twins_) {
        entry.second.renumber(newSlot);
    }
}

void ContactStore::clear() {
    records_.clear();
    live_.clear();
    scoreEntries_.clear();
    liveSlots_.clear();
    liveCount_ = 0;
    twins_.clear();
    areaCounts_.clear();
    bandIds_.clear();
    areaIds_.clear();
    areaNames_.clear();
}

void ContactStore::reserve(size_t records) {
    records_.reserve(records);
    live_.reserve(records);
    scoreEntries_.reserve(records);
    liveSlots_.reserve(records);
    twins_.reserve(records);
}

size_t ContactStore::twinCount(const std::string& call, const std::string& band, const std::string& mode) const {
    auto it = twins_.find(twinKey(call, band, mode));
    return it == twins_.end() ? 0 : it->second.size();
}

ContactStore::TwinRecords ContactStore::twinRecords(const std::string& call, const std::string& band,
                                                    const std::string& mode) const {
    auto it = twins_.find(twinKey(call, band, mode));
    if (it == twins_.end() || it->second.size() == 0) {
        return {};
    }
    return {it->second.size(), liveSlots_.liveBefore(it->second.front())};
}

bool ContactStore::hasArea(const std::string& band, const std::string& area) const {
    return areaCounts_.count(areaKey(band, area)) != 0;
}

std::optional<uint32_t> ContactStore::bandId(const std::string& band) const {
    auto it = bandIds_.find(band);
    if (it == bandIds_.end()) {
        return std::nullopt;
    }
    return it->second;
}

void ContactStore::addBand(const std::string& band) {
    if (bandSet_.insert(band).second) {
        bands_.push_back(band);
    }
}

void ContactStore::clearBands() {
    bands_.clear();
    bandSet_.clear();
}

WorkedRows ContactStore::freshWorkedRows() {
    WorkedRows rows;
    for (size_t row = 0; row < rows.size(); ++row) {
        rows[row] = {contest::kBands[row], "-", "-", "-"};
    }
    return rows;
}

}  // namespace torv::engine
