#include "contest_sim.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "calendar/minutes.h"
#include "engine/area.h"
#include "engine/contact.h"
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

enum class Fault { kNone, kNil, kBustedCall, kBustedExchange, kDupe, kRefused };

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
        if (q.expectedStatus == "REFUSED") {
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
    return log.claimPresent ? 8 : 7;
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
        s.exchange = kind < 90   ? std::string(areaCodes[random.below(27)])
                     : kind < 95 ? "QRP"
                     : kind < 98 ? "YL"
                                 : "MIL";
        if (random.chance(0.1)) {
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
        }
        // A clock error shows only through pairs: a log of one or two contacts keeps its clock.
        if (!s.casual && random.chance(options.clockOffShare)) {
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
    struct Line {
        SimQso qso;
        uint64_t order;
    };
    std::vector<std::vector<Line>> lines(contest.logs.size());
    std::vector<std::unordered_set<std::string>> keys(contest.logs.size());
    std::unordered_set<uint64_t> made;
    uint64_t order = 0;
    const uint32_t n = static_cast<uint32_t>(stations.size());
    auto active = [&]() {
        // Busy stations make more contacts: the square of a uniform draw.
        const double u = random.unit();
        return std::min(static_cast<uint32_t>(regular) - 1, static_cast<uint32_t>(u * u * regular));
    };
    // Makes one contact of a with b and logs it; false when the two cannot
    // make another one (same station, band, already made).
    auto makeContact = [&](uint32_t a, uint32_t b) -> bool {
        if (a == b) {
            return false;
        }
        uint32_t band = random.below(static_cast<uint32_t>(kBands.size()));
        if (stations[a].singleBand >= 0) {
            band = static_cast<uint32_t>(stations[a].singleBand);
        }
        if (stations[b].singleBand >= 0 && static_cast<uint32_t>(stations[b].singleBand) != band) {
            return false;
        }
        const bool cw = random.chance(0.5);
        const uint64_t key =
            ((static_cast<uint64_t>(std::min(a, b)) * n + std::max(a, b)) * 8 + band) * 2 + (cw ? 1 : 0);
        if (!made.insert(key).second) {
            return false;
        }
        const int64_t minute = options.startMinute + random.below(static_cast<uint32_t>(options.durationMinutes));
        const Station* side[2] = {&stations[a], &stations[b]};
        const bool bothSubmit = side[0]->submits && side[1]->submits;

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
            // A copy logged minutes later is the farther one only when the clocks agree.
            auto clockOff = [&](const Station* s) {
                return s->submits && contest.logs[static_cast<size_t>(s->log)].clockOffset != 0;
            };
            fault = clockOff(side[0]) || clockOff(side[1]) ? Fault::kNone : Fault::kDupe;
        }
        // The side the fault is in: one that sends a log.
        int faulty = random.chance(0.5) ? 0 : 1;
        if (!side[faulty]->submits) {
            faulty = 1 - faulty;
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
                wrongExchange = std::string(areaCodes[random.below(27)]);
            } while (wrongExchange == side[1 - faulty]->exchange);
        }

        for (int s = 0; s < 2; ++s) {
            const Station& self = *side[s];
            const Station& other = *side[1 - s];
            if (!self.submits || (fault == Fault::kNil && s != faulty)) {
                continue;
            }
            SimLog& log = contest.logs[static_cast<size_t>(self.log)];
            SimQso q;
            q.minute = minute + log.clockOffset;
            q.frequencyKHz = kHz;
            q.band = bandName;
            q.mode = mode;
            q.call = (fault == Fault::kBustedCall && s == faulty) ? bustedCall : other.call;
            q.exchangeSent = self.exchange;
            q.exchangeReceived = (fault == Fault::kBustedExchange && s == faulty) ? wrongExchange : other.exchange;
            if (fault == Fault::kRefused) {
                q.expectedStatus = "REFUSED";
                q.expectedOther = other.submits ? other.call : "";
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
            lines[static_cast<size_t>(self.log)].push_back({q, order++});
            if (fault == Fault::kDupe && s == faulty) {
                SimQso copy = q;
                copy.minute += 1 + random.below(3);
                copy.expectedStatus = "DUPE";
                copy.expectedOther = "";
                lines[static_cast<size_t>(self.log)].push_back({copy, order++});
            }
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
            log.qsos.push_back(std::move(line.qso));
        }
        log.claimedScore = trueScore(log);
        if (log.claimWrong) {
            log.claimedScore += 2 + random.below(100);
        }
    }
    return contest;
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
            q.engine = s.expectedStatus == "REFUSED" ? crosscheck::EngineResult::kRefused
                       : s.expectedStatus == "DUPE"  ? crosscheck::EngineResult::kDupe
                                                     : crosscheck::EngineResult::kStored;
            log.qsos.push_back(std::move(q));
        }
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
    text += "CONTEST: TORV\r\n";
    text += "CALLSIGN: " + log.call + "\r\n";
    text += "CATEGORY-OPERATOR: " + log.categoryOperator + "\r\n";
    text += "CATEGORY-BAND: " + log.categoryBand + "\r\n";
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
    std::string text = "TORV log of " + log.call + ", written by contest-sim\r\n";
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
        text += adifField("BAND", q.band);
        text += adifField("FREQ", mhz);
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
