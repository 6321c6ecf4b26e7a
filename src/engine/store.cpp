#include "engine/store.h"

#include "engine/contest.h"

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

void ContactStore::decrement(std::unordered_map<std::string, size_t>& counts, const std::string& key) {
    auto it = counts.find(key);
    if (it != counts.end() && --it->second == 0) {
        counts.erase(it);
    }
}

void ContactStore::append(const CInfo& record) {
    contacts_.push_back(record);
    ++twinCounts_[twinKey(record.call, record.band, record.mode)];
    ++areaCounts_[areaKey(record.band, record.area)];
}

void ContactStore::removeAt(size_t index) {
    const CInfo& record = contacts_[index];
    decrement(twinCounts_, twinKey(record.call, record.band, record.mode));
    decrement(areaCounts_, areaKey(record.band, record.area));
    contacts_.erase(contacts_.begin() + static_cast<std::ptrdiff_t>(index));
}

void ContactStore::clear() {
    contacts_.clear();
    twinCounts_.clear();
    areaCounts_.clear();
}

size_t ContactStore::twinCount(const std::string& call, const std::string& band, const std::string& mode) const {
    auto it = twinCounts_.find(twinKey(call, band, mode));
    return it == twinCounts_.end() ? 0 : it->second;
}

std::optional<size_t> ContactStore::findFirstTwin(const std::string& call, const std::string& band,
                                                  const std::string& mode) const {
    if (twinCount(call, band, mode) == 0) {
        return std::nullopt;
    }
    for (size_t i = 0; i < contacts_.size(); ++i) {
        const CInfo& record = contacts_[i];
        if (record.call == call && record.band == band && record.mode == mode) {
            return i;
        }
    }
    return std::nullopt;
}

bool ContactStore::hasArea(const std::string& band, const std::string& area) const {
    return areaCounts_.count(areaKey(band, area)) != 0;
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

void ContactStore::resetWorkedRows() {
    for (size_t row = 0; row < workedRows_.size(); ++row) {
        workedRows_[row] = {contest::kBands[row], "-", "-", "-"};
    }
}
