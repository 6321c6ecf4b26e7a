#include "contest_sim.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "calendar/minutes.h"
#include "engine/area.h"
#include "engine/contact.h"
#include "engine/contest.h"
#include "reports/score_summary.h"

namespace contestsim {

namespace {

// splitmix64: small, fast and the same everywhere.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 <= result < n.
    uint32_t below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(next() % n); }
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    bool chance(double p) { return unit() < p; }

private:
    uint64_t state_;
};

// Brazilian blocks: calls of one length whose last letter is a check of the
// others, so that no two stations are one edit apart and every miscopied
// call is nobody's.
constexpr std::array<const char*, 10> kPrefixes = {"PY", "PP", "PU", "PT", "PR", "PS", "ZV", "ZW", "ZY", "ZZ"};

std::string stationCall(uint32_t p, uint32_t digit, uint32_t x, uint32_t y) {
    const uint32_t z = (x + y + digit + p) % 26;
    std::string call = kPrefixes[p];
    call += static_cast<char>('0' + digit);
    call += static_cast<char>('A' + x);
    call += static_cast<char>('A' + y);
    call += static_cast<char>('A' + z);
    return call;
}

struct BandPlan {
    const char* band;
    uint32_t cwKHz;
    uint32_t ssbKHz;
};
constexpr std::array<BandPlan, 5> kBands = {{
    {"80m", 3525, 3750},
    {"40m", 7015, 7120},
    {"20m", 14025, 14200},
    {"15m", 21025, 21300},
    {"10m", 28025, 28450},
}};

struct Station {
    std::string call;
    std::string exchange;
    int singleBand = -1;  // index into kBands, or -1 for all bands
    bool submits = true;
    bool adif = false;
    bool casual = false;  // makes one or two contacts
    int log = -1;         // index into the contest's logs
};

enum class Fault { kNone, kNil, kBustedCall, kBustedExchange, kDupe, kRefused, kOffBand, kOutOfPeriod };

// Stations send a state's code, never "UF", the last one.
constexpr uint32_t kMainlandAreaCount = static_cast<uint32_t>(areaCodes.size() - 1);

// Clocks off by whole hours: time zones set wrong (Brazil's is three hours
// behind), a date a day off.
constexpr std::array<int, 7> kWholeHours = {-3, -3, -2, -1, 1, 24, -24};
// The fewest pairs a whole-hour error is found from, with a margin.
constexpr int kWholeHourContacts = 12;

// One line of a log while the contest is made, with the order it was made in.
struct Line {
    SimQso qso;
    uint64_t order = 0;
};

// A log's contacts that both sides logged alike (they pair, and its clock
// is estimated from them), and how many of them are exact: both sides' time
// errors equal and the other log's clock right to the minute. More than
// half exact makes the median of the differences the clock error itself.
struct ClockShare {
    int paired = 0;
    int exact = 0;
    bool keeps(bool exactOne) const { return 2 * (exact + (exactOne ? 1 : 0)) > paired + 1; }
    void add(bool exactOne) {
        ++paired;
        exact += exactOne ? 1 : 0;
    }
};

std::string miscopied(const std::string& call, Random& random) {
    // One letter of the suffix replaced: never a station's call (the check letter).
    std::string wrong = call;
    const size_t at = 3 + random.below(3);
    const char was = wrong[at];
    char now = was;
    while (now == was) {
        now = static_cast<char>('A' + random.below(26));
    }
    wrong[at] = now;
    return wrong;
}

// The claimed score the engine gives the log: the plug-in's own points and
// areas over the stored, non-duplicate contacts.
int64_t trueScore(const SimLog& log) {
    int64_t points = 0;
    std::set<std::string> areas;
    std::set<std::string> seen;
    for (const SimQso& q : log.qsos) {
        if (q.engine == crosscheck::EngineResult::kRefused) {
            continue;
        }
        if (!seen.insert(q.call + "\n" + q.band + "\n" + q.mode).second) {
            continue;
        }
        CInfo info;
        info.call = q.call;
        info.exchangeReceived = q.exchangeReceived;
        points += contactPoints(info);
        const std::string area = assignArea("PY", q.exchangeReceived).area;
        if (!area.empty()) {
            areas.insert(area);
        }
    }
    return points * static_cast<int64_t>(areas.size());
}

std::string twoDigits(int64_t v) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", static_cast<int>(v));
    return text;
}

std::string adifField(const char* name, const std::string& value) {
    return std::string("<") + name + ":" + std::to_string(value.size()) + ">" + value + " ";
}

constexpr uint32_t kAdifHeaderLines = 4;

uint32_t cabrilloHeaderLines(const SimLog& log) {
    return log.claimPresent ? 9 : 8;
}

}  // namespace

std::string dateText(int64_t minute, bool adif) {
    const CivilMinute c = civilOf(minute);
    const char* separator = adif ? "" : "-";
    return std::to_string(c.year) + separator + twoDigits(c.month) + separator + twoDigits(c.day);
}

std::string timeText(int64_t minute) {
    const CivilMinute c = civilOf(minute);
    return twoDigits(c.hour) + twoDigits(c.minute);
}

SimContest generateContest(const SimOptions& options) {
    Random random(options.seed);
    SimContest contest;
    contest.startMinute = options.startMinute;
    contest.endMinute = options.startMinute + options.durationMinutes - 1;
    contest.categoriesListed = options.categoriesListed;

    // The stations.
    std::vector<Station> stations;
    std::unordered_set<std::string> taken;
    const int regular = std::clamp(options.stations, 2, 50000);
    const int wanted = regular + std::clamp(options.casualStations, 0, 50000);
    while (static_cast<int>(stations.size()) < wanted) {
        Station s;
        s.call = stationCall(random.below(static_cast<uint32_t>(kPrefixes.size())), 1 + random.below(9),
                             random.below(26), random.below(26));
        if (!taken.insert(s.call).second) {
            continue;
        }
        if (random.chance(0.02)) {
            s.call += "/P";
        }
        const uint32_t kind = random.below(100);
        s.exchange = kind < 90   ? std::string(areaCodes[random.below(kMainlandAreaCount)])
                     : kind < 95 ? "QRP"
                     : kind < 98 ? "YL"
                                 : "MIL";
        if (random.chance(options.singleBandShare)) {
            s.singleBand = static_cast<int>(random.below(static_cast<uint32_t>(kBands.size())));
        }
        s.casual = static_cast<int>(stations.size()) >= regular;
        s.submits = s.casual ? random.chance(options.casualSubmitShare) : !random.chance(options.silentShare);
        s.adif = random.chance(options.adifShare);
        stations.push_back(s);
    }
    for (Station& s : stations) {
        if (!s.submits) {
            contest.silentStations.push_back(s.call);
            continue;
        }
        SimLog log;
        log.call = s.call;
        log.adif = s.adif;
        log.categoryOperator = random.chance(0.8) ? "SINGLE-OP" : "MULTI-OP";
        log.categoryBand = s.singleBand < 0 ? "ALL" : std::string(kBands[s.singleBand].band);
        if (s.singleBand >= 0) {
            log.categoryBand.back() = 'M';
        } else if (random.chance(options.otherCategoryShare)) {
            log.categoryBand = random.chance(0.5) ? "160M" : "6M";
        }
        log.categoryPower = std::string(
            contest::kPowerCategories[random.below(static_cast<uint32_t>(contest::kPowerCategories.size()))]);
        // A clock error shows only through pairs: a log of one or two contacts keeps its clock.
        const double clock = random.unit();
        if (!s.casual && clock < options.wholeHoursShare) {
            log.wholeHours = kWholeHours[random.below(static_cast<uint32_t>(kWholeHours.size()))];
            const int minutes = random.chance(0.5) ? 0 : 2 + static_cast<int>(random.below(4));
            log.clockOffset = log.wholeHours * 60 + (random.chance(0.5) ? minutes : -minutes);
        } else if (!s.casual && clock < options.wholeHoursShare + options.clockOffShare) {
            const int size = 2 + static_cast<int>(random.below(9));
            log.clockOffset = random.chance(0.5) ? size : -size;
        }
        const double claim = random.unit();
        log.claimPresent = claim >= options.claimMissingShare;
        log.claimWrong = log.claimPresent && claim < options.claimMissingShare + options.claimWrongShare;
        s.log = static_cast<int>(contest.logs.size());
        contest.logs.push_back(log);
    }

    // The contacts really made, each (pair, band, mode) once, and how each
    // side logged it.
    std::vector<std::vector<Line>> lines(contest.logs.size());
    std::vector<std::unordered_set<std::string>> keys(contest.logs.size());
    std::vector<ClockShare> clocks(contest.logs.size());
    std::unordered_set<uint64_t> made;
    uint64_t order = 0;
    const uint32_t n = static_cast<uint32_t>(stations.size());
    const int jitter = std::max(0, options.jitterMinutes);
    auto active = [&]() {
        // Busy stations make more contacts: the square of a uniform draw.
        const double u = random.unit();
        return std::min(static_cast<uint32_t>(regular) - 1, static_cast<uint32_t>(u * u * regular));
    };
    auto logOf = [&](const Station& s) -> SimLog& { return contest.logs[static_cast<size_t>(s.log)]; };
    // The minutes of a log's clock error within the whole hours, which the
    // median finds after the hours.
    auto clockMinutes = [&](const Station& s) {
        return s.submits ? logOf(s).clockOffset - 60 * logOf(s).wholeHours : 0;
    };
    // Makes one contact of a with b and logs it; false when the two cannot
    // make another one (same station, band, already made).
    auto makeContact = [&](uint32_t a, uint32_t b) -> bool {
        if (a == b) {
            return false;
        }
        const Station* side[2] = {&stations[a], &stations[b]};
        const bool bothSubmit = side[0]->submits && side[1]->submits;
        if (bothSubmit && logOf(*side[0]).wholeHours != 0 && logOf(*side[1]).wholeHours != 0) {
            return false;  // two clocks off by hours could agree
        }
        uint32_t band = random.below(static_cast<uint32_t>(kBands.size()));
        if (side[0]->singleBand >= 0 && !random.chance(options.otherBandRate)) {
            band = static_cast<uint32_t>(side[0]->singleBand);
        }
        if (side[1]->singleBand >= 0 && static_cast<uint32_t>(side[1]->singleBand) != band &&
            !random.chance(options.otherBandRate)) {
            return false;
        }
        const bool cw = random.chance(0.5);
        const uint64_t key =
            ((static_cast<uint64_t>(std::min(a, b)) * n + std::max(a, b)) * 8 + band) * 2 + (cw ? 1 : 0);
        if (made.count(key) != 0) {
            return false;
        }

        Fault fault = Fault::kNone;
        const double draw = random.unit();
        double edge = options.refusedRate;
        if (draw < edge) {
            fault = Fault::kRefused;
        } else if (draw < (edge += options.nilRate)) {
            fault = bothSubmit ? Fault::kNil : Fault::kNone;
        } else if (draw < (edge += options.bustedCallRate)) {
            fault = bothSubmit ? Fault::kBustedCall : Fault::kNone;
        } else if (draw < (edge += options.bustedExchangeRate)) {
            fault = bothSubmit ? Fault::kBustedExchange : Fault::kNone;
        } else if (draw < (edge += options.dupeRate)) {
            fault = Fault::kDupe;
        } else if (draw < (edge += options.offBandRate)) {
            fault = Fault::kOffBand;
        } else if (draw < (edge += options.outOfPeriodRate)) {
            fault = Fault::kOutOfPeriod;
        }
        // The side the fault is in: one that sends a log.
        int faulty = random.chance(0.5) ? 0 : 1;
        if (!side[faulty]->submits) {
            faulty = 1 - faulty;
        }

        // Out of the period by 5 to 60 minutes; in it, a quarter of an hour
        // from its ends, so that no error of a side crosses an end.
        int64_t minute = options.startMinute + 15 + random.below(static_cast<uint32_t>(options.durationMinutes - 30));
        if (fault == Fault::kOutOfPeriod) {
            minute = random.chance(0.5) ? contest.startMinute - 5 - random.below(56)
                                        : contest.endMinute + 5 + random.below(56);
        }
        std::string bandName = kBands[band].band;
        std::string mode = cw ? "CW" : "SSB";
        uint32_t kHz = (cw ? kBands[band].cwKHz : kBands[band].ssbKHz) + random.below(20);
        if (fault == Fault::kRefused) {
            if (side[0]->adif && side[1]->adif && random.chance(0.5)) {
                mode = "RTTY";
                bandName = "20m";
                kHz = 14080 + random.below(10);
            } else {
                mode = "CW";
                bandName = "30m";
                kHz = 10110 + random.below(20);
            }
        } else if (fault == Fault::kOffBand) {
            const uint32_t which = random.below(3);
            bandName = which == 0 ? "6m" : which == 1 ? "60m" : "";
            kHz = which == 0 ? 50090 + random.below(100) : which == 1 ? 5354 + random.below(10) : 0;
        }
        std::string bustedCall;
        if (fault == Fault::kBustedCall) {
            bustedCall = miscopied(side[1 - faulty]->call, random);
            if (keys[static_cast<size_t>(side[faulty]->log)].count(bustedCall + "\n" + bandName + "\n" + mode)) {
                fault = Fault::kNone;  // it would make an unplanned duplicate
            }
        }
        std::string wrongExchange;
        if (fault == Fault::kBustedExchange) {
            do {
                wrongExchange = std::string(areaCodes[random.below(kMainlandAreaCount)]);
            } while (wrongExchange == side[1 - faulty]->exchange);
        }

        // Each side's error, and for a duplicate where its copy lies: before
        // the contact (the copy is then the one the engine counts) or after.
        int error[2] = {0, 0};
        for (int& e : error) {
            e = static_cast<int>(random.below(static_cast<uint32_t>(2 * jitter + 1))) - jitter;
        }
        int copyAt = 1 + static_cast<int>(random.below(6));
        copyAt = random.chance(0.5) ? copyAt : -copyAt;
        // Both sides logged it on one call, band and mode: it pairs, and the
        // clocks are estimated from it. Each log keeps more than half of
        // such contacts exact for its estimate; else the contact is made
        // without errors, or not at all.
        const bool pairs = bothSubmit && fault != Fault::kNil && fault != Fault::kBustedCall;
        if (pairs) {
            auto exactFor = [&](int s) {
                const int counted[2] = {error[0] + (fault == Fault::kDupe && faulty == 0 ? std::min(copyAt, 0) : 0),
                                        error[1] + (fault == Fault::kDupe && faulty == 1 ? std::min(copyAt, 0) : 0)};
                return counted[0] == counted[1] && clockMinutes(*side[1 - s]) == 0;
            };
            auto keeps = [&](int s) { return clocks[static_cast<size_t>(side[s]->log)].keeps(exactFor(s)); };
            if (!keeps(0) || !keeps(1)) {
                error[0] = error[1] = 0;
                copyAt = std::abs(copyAt);
                if (!keeps(0) || !keeps(1)) {
                    return false;
                }
            }
            for (int s = 0; s < 2; ++s) {
                clocks[static_cast<size_t>(side[s]->log)].add(exactFor(s));
            }
        }
        made.insert(key);

        for (int s = 0; s < 2; ++s) {
            const Station& self = *side[s];
            const Station& other = *side[1 - s];
            if (!self.submits || (fault == Fault::kNil && s != faulty)) {
                continue;
            }
            SimLog& log = logOf(self);
            Line line;
            SimQso& q = line.qso;
            q.minute = minute + error[s];  // the log's clock is added once it is known for certain
            q.frequencyKHz = kHz;
            q.band = bandName;
            q.mode = mode;
            q.call = (fault == Fault::kBustedCall && s == faulty) ? bustedCall : other.call;
            q.exchangeSent = self.exchange;
            q.exchangeReceived = (fault == Fault::kBustedExchange && s == faulty) ? wrongExchange : other.exchange;
            // The category of an ADIF log reaches the check only through the list.
            const bool singleBand = self.singleBand >= 0 && (!log.adif || options.categoriesListed);
            // The counterpart a contact of its own status has: it still pairs when both logged it.
            const std::string otherCall = other.submits && fault != Fault::kNil ? other.call : "";
            if (fault == Fault::kRefused) {
                q.engine = crosscheck::EngineResult::kRefused;
                q.expectedStatus = "REFUSED";
                q.expectedOther = otherCall;
            } else if (fault == Fault::kOffBand) {
                q.expectedStatus = "REFUSED";
                q.expectedOther = otherCall;
            } else if (q.minute < contest.startMinute || q.minute > contest.endMinute) {
                q.expectedStatus = "OUT-OF-PERIOD";
                q.expectedOther = otherCall;
            } else if (singleBand && band != static_cast<uint32_t>(self.singleBand)) {
                q.expectedStatus = "OTHER-BAND";
                q.expectedOther = otherCall;
            } else if (!other.submits) {
                q.expectedStatus = "";  // UNIQUE or UNVERIFIED, known once every log is written
            } else if (fault == Fault::kNil) {
                q.expectedStatus = "NIL";
            } else if (fault == Fault::kBustedCall && s == faulty) {
                q.expectedStatus = "BUSTED-CALL";
                q.expectedOther = other.call;
            } else if (fault == Fault::kBustedExchange && s == faulty) {
                q.expectedStatus = "BUSTED-EXCHANGE";
                q.expectedOther = other.call;
            } else {
                q.expectedStatus = "CONFIRMED";
                q.expectedOther = other.call;
            }
            keys[static_cast<size_t>(self.log)].insert(q.call + "\n" + q.band + "\n" + q.mode);
            line.order = order++;
            if (fault == Fault::kDupe && s == faulty) {
                // The engine counts the first in the file and marks the other a
                // duplicate; the counted one pairs, or takes over its twin's pair.
                Line copy = line;
                copy.qso.minute += copyAt;
                copy.order = order++;
                Line& later = copyAt > 0 ? copy : line;
                later.qso.engine = crosscheck::EngineResult::kDupe;
                later.qso.expectedStatus = "DUPE";
                later.qso.expectedOther = "";
                lines[static_cast<size_t>(self.log)].push_back(copy);
            }
            lines[static_cast<size_t>(self.log)].push_back(line);
        }
        return true;
    };
    for (int c = 0, attempts = 0; c < options.contacts && attempts < options.contacts * 20; ++attempts) {
        c += makeContact(active(), active()) ? 1 : 0;
    }
    for (uint32_t casual = static_cast<uint32_t>(regular); casual < n; ++casual) {
        const uint32_t contacts = 1 + random.below(2);
        for (uint32_t c = 0, attempts = 0; c < contacts && attempts < 20; ++attempts) {
            c += makeContact(casual, active()) ? 1 : 0;
        }
    }

    // A whole-hour error is found only from enough contacts: a log with
    // fewer keeps its minutes alone.
    for (size_t l = 0; l < contest.logs.size(); ++l) {
        SimLog& log = contest.logs[l];
        if (log.wholeHours != 0 && clocks[l].paired < kWholeHourContacts) {
            log.clockOffset -= 60 * log.wholeHours;
            log.wholeHours = 0;
        }
    }

    // Contacts with stations that sent no log: unique when one log holds the call.
    std::unordered_map<std::string, std::set<size_t>> holders;
    for (size_t l = 0; l < lines.size(); ++l) {
        for (const Line& line : lines[l]) {
            holders[line.qso.call].insert(l);
        }
    }
    for (size_t l = 0; l < lines.size(); ++l) {
        SimLog& log = contest.logs[l];
        std::sort(lines[l].begin(), lines[l].end(), [](const Line& x, const Line& y) {
            return x.qso.minute != y.qso.minute ? x.qso.minute < y.qso.minute : x.order < y.order;
        });
        log.qsos.reserve(lines[l].size());
        for (Line& line : lines[l]) {
            if (line.qso.expectedStatus.empty()) {
                line.qso.expectedStatus = holders[line.qso.call].size() == 1 ? "UNIQUE" : "UNVERIFIED";
            }
            line.qso.minute += log.clockOffset;
            log.qsos.push_back(std::move(line.qso));
        }
        log.claimedScore = trueScore(log);
        if (log.claimWrong) {
            log.claimedScore += 2 + random.below(100);
        }
    }
    return contest;
}

std::string categoriesCsv(const SimContest& contest) {
    std::string csv = "call,operator,band,power,mode\n";
    for (const SimLog& log : contest.logs) {
        if (log.adif) {
            csv +=
                log.call + "," + log.categoryOperator + "," + log.categoryBand + "," + log.categoryPower + ",MIXED\n";
        }
    }
    return csv;
}

SimOptions optionsForLines(int64_t lines) {
    SimOptions options;
    options.seed = 2026;
    options.stations = static_cast<int>(lines / 500);
    options.casualStations = options.stations / 4;
    options.contacts = static_cast<int>(lines * 10 / 18);
    return options;
}

std::vector<crosscheck::SubmittedLog> submittedLogs(const SimContest& contest) {
    std::vector<crosscheck::SubmittedLog> logs;
    logs.reserve(contest.logs.size());
    for (const SimLog& sim : contest.logs) {
        crosscheck::SubmittedLog log;
        log.call = sim.call;
        log.qsos.reserve(sim.qsos.size());
        for (size_t i = 0; i < sim.qsos.size(); ++i) {
            const SimQso& s = sim.qsos[i];
            crosscheck::LogQso q;
            q.line = qsoLine(sim, i);
            q.minute = s.minute;
            q.call = s.call;
            q.band = s.band;
            q.mode = s.mode;
            q.exchangeSent = s.exchangeSent;
            q.exchangeReceived = s.exchangeReceived;
            q.engine = s.engine;
            log.qsos.push_back(std::move(q));
        }
        log.categoryBand = !sim.adif || contest.categoriesListed ? sim.categoryBand : std::string();
        logs.push_back(std::move(log));
    }
    return logs;
}

std::string fileName(const SimLog& log) {
    std::string name = log.call;
    std::replace(name.begin(), name.end(), '/', '_');
    return name + (log.adif ? ".adi" : ".cbr");
}

uint32_t qsoLine(const SimLog& log, size_t i) {
    return (log.adif ? kAdifHeaderLines : cabrilloHeaderLines(log)) + 1 + static_cast<uint32_t>(i);
}

std::string cabrilloText(const SimLog& log) {
    std::string text;
    text += "START-OF-LOG: 3.0\r\n";
    text.append("CONTEST: ").append(contest::kName).append("\r\n");
    text += "CALLSIGN: " + log.call + "\r\n";
    text += "CATEGORY-OPERATOR: " + log.categoryOperator + "\r\n";
    text += "CATEGORY-BAND: " + log.categoryBand + "\r\n";
    text += "CATEGORY-POWER: " + log.categoryPower + "\r\n";
    text += "CATEGORY-MODE: MIXED\r\n";
    if (log.claimPresent) {
        text += "CLAIMED-SCORE: " + std::to_string(log.claimedScore) + "\r\n";
    }
    text += "CREATED-BY: contest-sim\r\n";
    char line[160];
    for (const SimQso& q : log.qsos) {
        const char* rst = q.mode == "CW" ? "599" : "59";
        std::snprintf(line, sizeof line, "QSO: %5u %s %s %s %-13s %-3s %-6s %-13s %-3s %s\r\n", q.frequencyKHz,
                      q.mode == "SSB" ? "PH" : q.mode.c_str(), dateText(q.minute, false).c_str(),
                      timeText(q.minute).c_str(), log.call.c_str(), rst, q.exchangeSent.c_str(), q.call.c_str(), rst,
                      q.exchangeReceived.c_str());
        text += line;
    }
    text += "END-OF-LOG:\r\n";
    return text;
}

std::string adifText(const SimLog& log) {
    std::string text = std::string(contest::kName) + " log of " + log.call + ", written by contest-sim\r\n";
    text += "<ADIF_VER:5>3.1.0\r\n";
    text += "<PROGRAMID:11>contest-sim\r\n";
    text += "<EOH>\r\n";
    for (const SimQso& q : log.qsos) {
        const std::string rst = q.mode == "CW" ? "599" : "59";
        char mhz[32];
        std::snprintf(mhz, sizeof mhz, "%u.%03u", q.frequencyKHz / 1000, q.frequencyKHz % 1000);
        text += adifField("CALL", q.call);
        text += adifField("QSO_DATE", dateText(q.minute, true));
        text += adifField("TIME_ON", timeText(q.minute));
        if (!q.band.empty()) {  // a contact with no band has neither
            text += adifField("BAND", q.band);
            text += adifField("FREQ", mhz);
        }
        text += adifField("MODE", q.mode);
        text += adifField("RST_SENT", rst);
        text += adifField("RST_RCVD", rst);
        text += adifField("STX_STRING", q.exchangeSent);
        text += adifField("SRX_STRING", q.exchangeReceived);
        text += adifField("STATION_CALLSIGN", log.call);
        text += "<EOR>\r\n";
    }
    return text;
}

std::string logText(const SimLog& log) {
    return log.adif ? adifText(log) : cabrilloText(log);
}

}  // namespace contestsim
