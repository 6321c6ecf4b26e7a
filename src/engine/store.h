// The in-memory contest log and what goes with it: the bands seen, the
// worked-before rows and the contest context.
//
// The searches the rules need (earlier twins of a call on a band and mode, an
// area already worked on a band) are answered from counting indexes, so that
// passing a whole log costs time proportional to its length. The store itself
// is not thread-safe; ContestEngine guards it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engine/contact.h"

// The six bands of the worked-before rows, in row order.

struct ContestContext {
    std::string contestantCall;
    std::string startText;  // contest start, "%d.%m"
    std::string endText;    // contest end, "%d.%m.%Y"
    int32_t exportFlag = 0;
};

using WorkedRows = std::array<std::vector<std::string>, 6>;

class ContactStore {
public:
    const std::vector<CInfo>& contactList() const { return contacts_; }
    size_t count() const { return contacts_.size(); }

    // Copies the record to the end of the log.
    void append(const CInfo& record);
    // Drops the record at index (0 <= index < count), later records move down.
    void removeAt(size_t index);
    // Empties the log (not the band list).
    void clear();

    // Number of stored records with this call, band and mode.
    size_t twinCount(const std::string& call, const std::string& band, const std::string& mode) const;
    // Index of the first stored record with this call, band and mode.
    std::optional<size_t> findFirstTwin(const std::string& call, const std::string& band,
                                        const std::string& mode) const;
    // True when a stored record on this band has exactly this area.
    bool hasArea(const std::string& band, const std::string& area) const;

    // Bands in order of first appearance; the summary reorders it in place.
    std::vector<std::string>& bandList() { return bands_; }
    const std::vector<std::string>& bandList() const { return bands_; }
    void addBand(const std::string& band);
    void clearBands();

    WorkedRows& workedRows() { return workedRows_; }
    const WorkedRows& workedRows() const { return workedRows_; }
    // Each row becomes its band name followed by "-", "-", "-".
    void resetWorkedRows();

    // The distinct areas of the counted contacts, as the last score summary
    // found them; a rescoring leaves it alone, the next summary replaces it.
    const std::vector<std::string>& workedAreas() const { return workedAreas_; }
    void publishWorkedAreas(std::vector<std::string> areas) { workedAreas_ = std::move(areas); }

    ContestContext& context() { return context_; }
    const ContestContext& context() const { return context_; }

private:
    static std::string twinKey(const std::string& call, const std::string& band, const std::string& mode);
    static std::string areaKey(const std::string& band, const std::string& area);
    static void decrement(std::unordered_map<std::string, size_t>& counts, const std::string& key);

    std::vector<CInfo> contacts_;
    std::unordered_map<std::string, size_t> twinCounts_;
    std::unordered_map<std::string, size_t> areaCounts_;
    std::vector<std::string> bands_;
    std::unordered_set<std::string> bandSet_;
    WorkedRows workedRows_;
    std::vector<std::string> workedAreas_;
    ContestContext context_;
};
