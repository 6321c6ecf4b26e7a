// The in-memory contest log and what goes with it: the bands seen, the
// worked-before rows and the contest context.
//
// The records sit in a stable array of slots: a removal marks its slot dead
// instead of shifting the later records, and a count of the live slots
// (a Fenwick tree) turns a log position into a slot and back, so removing
// costs the same at any log size. The dead slots are squeezed out once they
// outnumber the live ones. The searches the rules need (earlier twins of a
// call on a band and mode, an area already worked on a band) are answered
// from indexes, and the score summary reads a compact entry per slot (band,
// area, points, counted) instead of the records' texts. The store itself is
// not thread-safe; ContestEngine guards it.
//
// A change that fails (an allocation) leaves the store as it was: whatever
// may fail happens before the log changes, and an index a failed append has
// already grown is put back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory_resource>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engine/contact.h"
#include "engine/contest.h"

namespace torv::engine {

struct ContestContext {
    std::string contestantCall;
    std::string startText;  // contest start, "%d.%m"
    std::string endText;    // contest end, "%d.%m.%Y"
    int32_t exportFlag = 0;
};

using WorkedRows = std::array<std::vector<std::string>, contest::kBands.size()>;

// How many of the slots before a given one are live: a Fenwick tree over
// 0/1 marks that grows by one slot at a time.
class LiveSlotCounter {
public:
    // Adds a live slot at the end.
    void appendLive();
    // Marks a live slot dead.
    void markDead(size_t slot);
    // Number of live slots before slot.
    size_t liveBefore(size_t slot) const;
    // Makes room for one more slot, so that appendLive cannot fail.
    void reserveOneMore();
    // The slot of the live record at position (0 <= position < live count).
    size_t slotAt(size_t position) const;
    void clear() { tree_.assign(1, 0); }
    void reserve(size_t slots) { tree_.reserve(slots + 1); }

private:
    std::vector<uint32_t> tree_ = std::vector<uint32_t>(1, 0);  // 1-based, tree_[0] unused
};

// What the score summary reads of one slot, as small integers.
struct ScoreEntry {
    static constexpr uint32_t kNoArea = UINT32_MAX;
    uint32_t band = 0;        // band id (ContactStore::bandId)
    uint32_t area = kNoArea;  // area id (ContactStore::areaName), kNoArea when empty
    int32_t points = 0;
    bool counted = false;  // live, with a call, and no duplicate
};

class ContactStore {
    // The tests' view of the positions and slots (tests/support/store_access.h).
    friend struct ContactStoreTestAccess;

public:
    // Number of records in the log.
    size_t count() const { return liveCount_; }
    // The record at a log position (0 <= position < count()).
    const CInfo& at(size_t position) const { return records_[liveSlots_.slotAt(position)]; }
    // Calls f(record) for every record, in log order.
    template <typename F>
    void forEachContact(F&& f) const {
        for (size_t slot = 0; slot < records_.size(); ++slot) {
            if (live_[slot]) {
                f(records_[slot]);
            }
        }
    }
    // A copy of the whole log, in order.
    std::vector<CInfo> contactList() const;

    // Copies (or moves) the record to the end of the log.
    void append(const CInfo& record);
    void append(CInfo&& record);
    // Adds the record's band to the band list, then the record to the log:
    // both or, failing, neither (and the record is left as it was).
    void appendWithBand(CInfo&& record);
    // Drops the first record in log order with this call, band and mode;
    // false when there is none.
    bool removeFirstTwin(const std::string& call, const std::string& band, const std::string& mode);
    // Empties the log (not the band list).
    void clear();
    // Makes room for this many records, so that appending them moves none
    // (a caller that knows the size of the log it passes).
    void reserve(size_t records);

    // Number of stored records with this call, band and mode.
    size_t twinCount(const std::string& call, const std::string& band, const std::string& mode) const;
    // The stored records with this call, band and mode: how many, and the
    // log position of the first of them (0 when there is none).
    struct TwinRecords {
        size_t count = 0;
        size_t firstPosition = 0;
    };
    TwinRecords twinRecords(const std::string& call, const std::string& band, const std::string& mode) const;
    // True when a stored record on this band has exactly this area.
    bool hasArea(const std::string& band, const std::string& area) const;

    // One entry per slot, dead slots included (never counted), in log order.
    const std::vector<ScoreEntry>& scoreEntries() const { return scoreEntries_; }
    // The id of a band text any record since the last clear() carried.
    std::optional<uint32_t> bandId(const std::string& band) const;
    size_t bandIdCount() const { return bandIds_.size(); }
    const std::string& areaName(uint32_t areaId) const { return areaNames_[areaId]; }
    size_t areaIdCount() const { return areaNames_.size(); }

    // Bands in order of first appearance; the summary reorders it in place.
    std::vector<std::string>& bandList() { return bands_; }
    const std::vector<std::string>& bandList() const { return bands_; }
    void addBand(const std::string& band);
    void clearBands();

    WorkedRows& workedRows() { return workedRows_; }
    const WorkedRows& workedRows() const { return workedRows_; }
    // Each row becomes its band name followed by "-", "-", "-".
    void resetWorkedRows() { setWorkedRows(freshWorkedRows()); }
    static WorkedRows freshWorkedRows();
    void setWorkedRows(WorkedRows rows) noexcept { workedRows_.swap(rows); }

    // The distinct areas of the counted contacts, as the last score summary
    // found them; a rescoring leaves it alone, the next summary replaces it.
    const std::vector<std::string>& workedAreas() const { return workedAreas_; }
    void publishWorkedAreas(std::vector<std::string> areas) { workedAreas_ = std::move(areas); }

    ContestContext& context() { return context_; }
    const ContestContext& context() const { return context_; }

    // Test seam: called before each step of a change that may allocate, so
    // that a test can make one throw std::bad_alloc.
    void setAllocationProbe(std::function<void()> probe) { allocationProbe_ = std::move(probe); }

private:
    // The live slots of one call, band and mode, in log order. Most keys
    // have one contact: its slot sits in place, and only a second one moves
    // them into a vector. Removals usually take the first, so the vector
    // advances a head instead of erasing.
    class SlotQueue {
    public:
        size_t size() const { return single_ ? 1 : slots_.size() - head_; }
        uint32_t front() const { return single_ ? first_ : slots_[head_]; }
        void push(uint32_t slot);
        // Room for the next push, so that it cannot fail.
        void makeRoomForOne();
        void erase(uint32_t slot);
        // Every slot replaced by newSlot[slot] (their order is kept).
        void renumber(const std::vector<uint32_t>& newSlot);

    private:
        bool single_ = false;  // one slot, first_; else those of slots_ from head_
        uint32_t first_ = 0;
        std::vector<uint32_t> slots_;
        size_t head_ = 0;
    };

    static std::string twinKey(const std::string& call, const std::string& band, const std::string& mode);
    static std::string areaKey(const std::string& band, const std::string& area);
    // The index entries an append made (the bools: made, not found), so
    // that a failure later in the append can take them back.
    using Ids = std::unordered_map<std::string, uint32_t>;
    using Twins = std::pmr::unordered_map<std::string, SlotQueue>;
    struct IndexEntries {
        std::pair<Twins::iterator, bool> twin{};
        std::pair<std::unordered_map<std::string, size_t>::iterator, bool> area{};
        std::pair<Ids::iterator, bool> bandId{};
        std::pair<Ids::iterator, bool> areaId{};
        bool areaNamed = false;
    };
    // Finds or makes the record's index entries and the room the append
    // needs; the entry gets the band and area ids. On failure the store is
    // as it was.
    IndexEntries addIndexEntries(const CInfo& record, ScoreEntry& entry);
    void removeIndexEntries(const IndexEntries& added) noexcept;
    void removeSlot(size_t slot);
    void compact();
    void probe() const {
        if (allocationProbe_) {
            allocationProbe_();
        }
    }

    std::vector<CInfo> records_;  // slots, dead ones emptied
    std::vector<uint8_t> live_;
    std::vector<ScoreEntry> scoreEntries_;
    LiveSlotCounter liveSlots_;
    size_t liveCount_ = 0;
    // Nearly every contact adds a twin entry: its nodes come from a pool, not
    // one heap block each (a heap behind a lock, as on Windows, pays for every one).
    std::pmr::unsynchronized_pool_resource twinNodes_;
    Twins twins_{&twinNodes_};
    std::unordered_map<std::string, size_t> areaCounts_;
    std::unordered_map<std::string, uint32_t> bandIds_;
    std::unordered_map<std::string, uint32_t> areaIds_;
    std::vector<std::string> areaNames_;

    std::vector<std::string> bands_;
    std::unordered_set<std::string> bandSet_;
    WorkedRows workedRows_;
    std::vector<std::string> workedAreas_;
    ContestContext context_;
    std::function<void()> allocationProbe_;
};

}  // namespace torv::engine
