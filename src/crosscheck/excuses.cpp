// Internal to the cross-check: excusing NIL contacts by the other log's
// unreadable lines (excuses.h).
#include "crosscheck/excuses.h"

#include <algorithm>
#include <optional>
#include <tuple>

#include "crosscheck/pairing.h"

namespace torv::crosscheck::detail {

namespace {

// One side of the search for unreadable lines: a NIL contact of log `from`
// with the station of log `to`, or an unreadable line of log `to` naming
// the station of log `from`.
struct ExcuseEntry {
    uint32_t from;
    uint32_t to;
    PairingSlot slot;
};

bool excuseLess(const ExcuseEntry& a, const ExcuseEntry& b) {
    return std::tie(a.from, a.to, a.slot.minute, a.slot.line, a.slot.flat) <
           std::tie(b.from, b.to, b.slot.minute, b.slot.line, b.slot.flat);
}

// The unreadable lines whose call and time can be read, naming the station
// of another log, sorted; lineNumbers gets each one's line number, which
// its slot's flat index points to.
std::vector<ExcuseEntry> namingUnreadableLines(const Contest& contest, const std::vector<int64_t>& offsets,
                                               std::vector<uint32_t>& lineNumbers) {
    std::vector<ExcuseEntry> lines;
    for (size_t l = 0; l < contest.logCount(); ++l) {
        for (const UnreadableQso& u : contest.log(l).unreadable) {
            const std::optional<uint32_t> named = u.minute ? contest.idOfCall(normalised(u.call)) : std::nullopt;
            if (!named || contest.logOfCall(*named) < 0 || static_cast<size_t>(contest.logOfCall(*named)) == l) {
                continue;
            }
            lines.push_back({static_cast<uint32_t>(contest.logOfCall(*named)),
                             static_cast<uint32_t>(l),
                             {*u.minute - offsets[l], u.line, static_cast<uint32_t>(lineNumbers.size())}});
            lineNumbers.push_back(u.line);
        }
    }
    std::sort(lines.begin(), lines.end(), excuseLess);
    return lines;
}

// The NIL contacts with stations that sent a log, sorted.
std::vector<ExcuseEntry> nilContacts(const Contest& contest, const std::vector<int64_t>& minutes,
                                     const std::vector<QsoStatus>& status) {
    std::vector<ExcuseEntry> nils;
    for (size_t l = 0; l < contest.logCount(); ++l) {
        for (uint32_t f = contest.begin(l); f < contest.end(l); ++f) {
            const int32_t to = contest.logOfCall(contest.worked(f));
            if (status[f] == QsoStatus::kNil && to >= 0) {
                nils.push_back({static_cast<uint32_t>(l), static_cast<uint32_t>(to), {minutes[f], contest.line(f), f}});
            }
        }
    }
    std::sort(nils.begin(), nils.end(), excuseLess);
    return nils;
}

}  // namespace

void excuseByUnreadableLines(const Contest& contest, const std::vector<int64_t>& minutes,
                             const std::vector<int64_t>& offsets, int64_t window, const std::vector<QsoStatus>& status,
                             const std::function<void(uint32_t, uint32_t)>& excused) {
    std::vector<uint32_t> lineNumbers;
    const std::vector<ExcuseEntry> lines = namingUnreadableLines(contest, offsets, lineNumbers);
    if (lines.empty()) {
        return;
    }
    const std::vector<ExcuseEntry> nils = nilContacts(contest, minutes, status);
    std::vector<PairingSlot> slots;
    slots.reserve(nils.size() + lines.size());
    for (const std::vector<ExcuseEntry>* list : {&nils, &lines}) {
        for (const ExcuseEntry& e : *list) {
            slots.push_back(e.slot);
        }
    }
    // A side is a run of one (from, to); the NIL side and the lines' side of one pair of logs form a block.
    NearestPairing pairing;
    auto sameLogs = [](const ExcuseEntry& a, const ExcuseEntry& b) { return a.from == b.from && a.to == b.to; };
    size_t j = 0;
    for (size_t i = 0; i < nils.size();) {
        size_t iStop = i + 1;
        while (iStop < nils.size() && sameLogs(nils[iStop], nils[i])) {
            ++iStop;
        }
        while (j < lines.size() && std::tie(lines[j].from, lines[j].to) < std::tie(nils[i].from, nils[i].to)) {
            ++j;
        }
        size_t jStop = j;
        while (jStop < lines.size() && sameLogs(lines[jStop], nils[i])) {
            ++jStop;
        }
        if (j != jStop) {
            const PairingSlot* base = slots.data();
            const uint32_t first = pairing.addSide(base + i, base + iStop);
            const uint32_t second = pairing.addSide(base + nils.size() + j, base + nils.size() + jStop);
            pairing.addBlock(first, second);
        }
        i = iStop;
        j = jStop;
    }
    pairing.run(window, [&](uint32_t flat, uint32_t line) { excused(flat, lineNumbers[line]); });
}

}  // namespace torv::crosscheck::detail
