#include "contest_sim.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "calendar/minutes.h"
#include "engine/area.h"
#include "engine/contact.h"
#include "engine/contest.h"
#include "logfile/adif_contact.h"
#include "reports/score_summary.h"
#include "sim_oracle.h"

namespace contest = torv::engine::contest;
namespace crosscheck = torv::crosscheck;
using torv::calendar::CivilMinute;
using torv::calendar::civilOf;
using torv::engine::areaCodes;
using torv::engine::assignArea;
using torv::engine::contactPoints;

namespace torv::contestsim {

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

// The plan's bands are the ones the contest counts, each once: a band the
// contest adds or drops must change the plan.
constexpr bool planHasTheCountedBands() {
    size_t counted = 0;
    for (const char* band : contest::kBands) {
        counted += contest::isCountedBand(band) ? 1 : 0;
    }
    for (const BandPlan& plan : kBands) {
        if (!contest::isCountedBand(plan.band)) {
            return false;
        }
    }
    return counted == kBands.size();
}
static_assert(planHasTheCountedBands(), "contest-sim's band plan is the contest's counted bands");

// The code a Cabrillo QSO line gives a mode; a mode the contest does not
// count (the refused contacts' RTTY) keeps its name.
const char* cabrilloCode(const std::string& mode) {
    const std::string_view code = contest::cabrilloCodeOf(mode);
    return code.empty() ? mode.c_str() : code.data();
}

struct Station {
    std::string call;
    std::string exchange;
    // A mobile station ("/M") sends this once it has moved, from the middle
    // of the contest; a station of two exchanges sends it half the time.
    std::string otherExchange;
    bool mobile = false;
    bool twoExchanges = false;
    // The wrong exchange several logs copy from a station that sent no log.
    std::string sharedWrong;
    int singleBand = -1;  // index into kBands, or -1 for all bands
    bool submits = true;
    bool adif = false;
    bool casual = false;  // makes one or two contacts
    int log = -1;         // index into the contest's logs
};

// kHistoryBust: a call miscopied from a station that sent no log, which the
// call history may prove busted; kLoneExchange and kSharedExchange: an
// exchange miscopied from such a station, by one log or by a wrong copy
// several share; kRework: a busted call, then the same two stations again
// hours later, where the other side's second contact is a duplicate.
enum class Fault {
    kNone,
    kNil,
    kBustedCall,
    kBustedExchange,
    kDupe,
    kRefused,
    kOffBand,
    kOutOfPeriod,
    kHistoryBust,
    kLoneExchange,
    kSharedExchange,
    kRework
};

// The operator category of the stations whose exchange is a category word.
constexpr std::array<std::pair<std::string_view, const char*>, 3> kExchangeCategories = {
    {{"YL", "YL"}, {"QRP", "QRP"}, {"MIL", "MILITARY STATION SINGLE"}}};

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

// A call miscopied in the mode: one letter of the suffix replaced (never a
// station's call: the check letter), two neighbouring letters of the suffix
// swapped, or two characters each confused with another in the mode. Empty
// when the kind drawn cannot be made of this call.
std::string miscopied(const std::string& call, const std::string& mode, Random& random) {
    std::string wrong = call;
    const uint32_t kind = random.below(3);
    if (kind == 1) {
        const size_t at = 3 + random.below(2);
        std::swap(wrong[at], wrong[at + 1]);
        return wrong == call ? std::string() : wrong;
    }
    if (kind == 2) {
        const auto& table =
            mode == "CW"
                ? std::vector<contest::Confusion>(contest::kCwConfusions.begin(), contest::kCwConfusions.end())
                : std::vector<contest::Confusion>(contest::kSsbConfusions.begin(), contest::kSsbConfusions.end());
        std::vector<std::pair<size_t, char>> options;
        const size_t end = std::min<size_t>(call.find('/'), call.size());
        for (size_t i = 0; i < end; ++i) {
            for (const contest::Confusion& c : table) {
                if (c.a == call[i] || c.b == call[i]) {
                    options.emplace_back(i, c.a == call[i] ? c.b : c.a);
                }
            }
        }
        if (options.size() < 2) {
            return std::string();
        }
        const auto first = options[random.below(static_cast<uint32_t>(options.size()))];
        std::vector<std::pair<size_t, char>> seconds;
        for (const auto& o : options) {
            if (o.first != first.first) {
                seconds.push_back(o);
            }
        }
        if (seconds.empty()) {
            return std::string();
        }
        const auto second = seconds[random.below(static_cast<uint32_t>(seconds.size()))];
        wrong[first.first] = first.second;
        wrong[second.first] = second.second;
        // Two neighbours that end up swapped are a swap: fine, still near.
        return wrong;
    }
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
        // Island stations count their island, whatever they send.
        const std::string area = assignArea(torv::logfile::callPrefix(q.call), q.exchangeReceived).area;
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

namespace {

// One contact while it is made: who, where, when, and what went wrong.
struct Contact {
    const Station* side[2] = {nullptr, nullptr};
    bool bothSubmit = false;
    uint32_t band = 0;  // index into kBands
    bool cw = false;
    uint64_t key = 0;  // the pair, band and mode, made once
    Fault fault = Fault::kNone;
    int faulty = 0;  // the side the fault is in
    int64_t minute = 0;
    std::string bandName;
    std::string mode;
    uint32_t kHz = 0;
    std::string bustedCall;
    std::string wrongExchange;
    std::string sent[2];    // the exchange each side sent in this contact
    int64_t reworkAt = 0;   // kRework: the minute of the second contact
    int error[2] = {0, 0};  // each side's time error
    int copyAt = 0;         // a duplicate's copy, minutes from the contact
};

// Makes a whole contest from its options: the stations and their logs, the
// contacts really made and how each side logged them. The random draws come
// in one fixed order, so one seed gives one contest.
class ContestMaker {
public:
    explicit ContestMaker(const SimOptions& options) : options_(options), random_(options.seed) {
        contest_.startMinute = options.startMinute;
        contest_.endMinute = options.startMinute + options.durationMinutes - 1;
        contest_.categoriesListed = options.categoriesListed;
    }

    SimContest make() {
        makeStations();
        openLogs();
        lines_.resize(contest_.logs.size());
        keys_.resize(contest_.logs.size());
        clocks_.resize(contest_.logs.size());
        const uint32_t everyone = static_cast<uint32_t>(stations_.size());
        for (int c = 0, attempts = 0; c < options_.contacts && attempts < options_.contacts * 20; ++attempts) {
            c += makeContact(active(), active()) ? 1 : 0;
        }
        for (uint32_t casual = static_cast<uint32_t>(regular_); casual < everyone; ++casual) {
            const uint32_t contacts = 1 + random_.below(2);
            for (uint32_t c = 0, attempts = 0; c < contacts && attempts < 20; ++attempts) {
                c += makeContact(casual, active()) ? 1 : 0;
            }
        }
        logSomething();
        keepWholeHoursFoundOnly();
        writeLogs();
        decide();
        return std::move(contest_);
    }

private:
    void makeStations() {
        std::unordered_set<std::string> taken;
        regular_ = std::clamp(options_.stations, 2, 50000);
        const int wanted = regular_ + std::clamp(options_.casualStations, 0, 50000);
        while (static_cast<int>(stations_.size()) < wanted) {
            Station s;
            s.call = stationCall(random_.below(static_cast<uint32_t>(kPrefixes.size())), 1 + random_.below(9),
                                 random_.below(26), random_.below(26));
            const bool casual = static_cast<int>(stations_.size()) >= regular_;
            if (casual && random_.chance(options_.nearCasualShare)) {
                // A genuine one-off station whose call is near a regular one's.
                const Station& like = stations_[random_.below(static_cast<uint32_t>(regular_))];
                const std::string near = miscopied(like.call, random_.chance(0.5) ? "CW" : "SSB", random_);
                s.call = near.empty() || near.find('/') != std::string::npos ? s.call : near;
            }
            if (!taken.insert(s.call).second) {
                continue;
            }
            if (random_.chance(0.02)) {
                s.call += "/P";
            }
            const uint32_t kind = random_.below(100);
            s.exchange = kind < 90   ? std::string(areaCodes[random_.below(kMainlandAreaCount)])
                         : kind < 95 ? "QRP"
                         : kind < 98 ? "YL"
                                     : "MIL";
            if (random_.chance(options_.singleBandShare)) {
                s.singleBand = static_cast<int>(random_.below(static_cast<uint32_t>(kBands.size())));
            }
            s.casual = casual;
            s.submits = s.casual ? random_.chance(options_.casualSubmitShare) : !random_.chance(options_.silentShare);
            s.adif = random_.chance(options_.adifShare);
            do {
                s.otherExchange = std::string(areaCodes[random_.below(kMainlandAreaCount)]);
                s.sharedWrong = std::string(areaCodes[random_.below(kMainlandAreaCount)]);
            } while (s.otherExchange == s.exchange || s.sharedWrong == s.exchange);
            if (!s.casual && !s.submits && s.call.find('/') == std::string::npos) {
                const double draw = random_.unit();
                if (draw < options_.mobileShare) {
                    s.mobile = true;
                    s.call += "/M";
                } else if (draw < options_.mobileShare + options_.twoExchangesShare) {
                    s.twoExchanges = true;
                    s.otherExchange = "QRP";  // a category word, part of the time
                }
            }
            calls_.insert(s.call);
            stations_.push_back(s);
        }
    }

    // A log for each station that sends one: its category, clock and claim.
    void openLogs() {
        for (Station& s : stations_) {
            if (!s.submits) {
                contest_.silentStations.push_back(s.call);
                continue;
            }
            SimLog log;
            log.call = s.call;
            log.adif = s.adif;
            log.categoryOperator = operatorCategory(s);
            log.categoryBand = s.singleBand < 0 ? "ALL" : std::string(kBands[s.singleBand].band);
            if (s.singleBand >= 0) {
                log.categoryBand.back() = 'M';
            }
            log.categoryPower = std::string(
                contest::kPowerCategories[random_.below(static_cast<uint32_t>(contest::kPowerCategories.size()))]);
            if (log.categoryOperator == "QRP") {
                log.categoryPower = "QRP";
            }
            setClock(s, log);
            const double claim = random_.unit();
            log.claimPresent = claim >= options_.claimMissingShare;
            log.claimWrong = log.claimPresent && claim < options_.claimMissingShare + options_.claimWrongShare;
            s.log = static_cast<int>(contest_.logs.size());
            contest_.logs.push_back(log);
        }
    }

    // The contest's operator category of a station: the one its exchange
    // says (YL, QRP, a military station), else single operator A, B or C,
    // multi-operator, or now and then a check log.
    std::string operatorCategory(const Station& s) {
        for (const auto& [exchange, category] : kExchangeCategories) {
            if (s.exchange == exchange) {
                return category;
            }
        }
        const double draw = random_.unit();
        return draw < options_.checkLogShare ? "CHECKLOG"
               : draw < 0.2                  ? "MULTI-OP"
               : draw < 0.6                  ? "SINGLE-OP A"
               : draw < 0.85                 ? "SINGLE-OP B"
                                             : "SINGLE-OP C";
    }

    // A clock error shows only through pairs: a log of one or two contacts keeps its clock.
    void setClock(const Station& s, SimLog& log) {
        const double clock = random_.unit();
        if (!s.casual && clock < options_.wholeHoursShare) {
            log.wholeHours = kWholeHours[random_.below(static_cast<uint32_t>(kWholeHours.size()))];
            const int minutes = random_.chance(0.5) ? 0 : 2 + static_cast<int>(random_.below(4));
            log.clockOffset = log.wholeHours * 60 + (random_.chance(0.5) ? minutes : -minutes);
        } else if (!s.casual && clock < options_.wholeHoursShare + options_.clockOffShare) {
            const int size = 2 + static_cast<int>(random_.below(9));
            log.clockOffset = random_.chance(0.5) ? size : -size;
        }
    }

    // Busy stations make more contacts: the square of a uniform draw.
    uint32_t active() {
        const double u = random_.unit();
        return std::min(static_cast<uint32_t>(regular_) - 1, static_cast<uint32_t>(u * u * regular_));
    }

    SimLog& logOf(const Station& s) { return contest_.logs[static_cast<size_t>(s.log)]; }

    // The minutes of a log's clock error within the whole hours, which the
    // median finds after the hours.
    int clockMinutes(const Station& s) { return s.submits ? logOf(s).clockOffset - 60 * logOf(s).wholeHours : 0; }

    // Makes one contact of a with b and logs it; false when the two cannot
    // make another one (same station, band, already made).
    bool makeContact(uint32_t a, uint32_t b) {
        if (a == b) {
            return false;
        }
        Contact c;
        c.side[0] = &stations_[a];
        c.side[1] = &stations_[b];
        c.bothSubmit = c.side[0]->submits && c.side[1]->submits;
        if (c.bothSubmit && logOf(*c.side[0]).wholeHours != 0 && logOf(*c.side[1]).wholeHours != 0) {
            return false;  // two clocks off by hours could agree
        }
        if (!chooseBandAndMode(a, b, c)) {
            return false;
        }
        drawFault(c);
        place(c);
        miscopy(c);
        if (!drawTimeErrors(c)) {
            return false;
        }
        made_.insert(c.key);
        for (int s = 0; s < 2; ++s) {
            logSide(c, s);
        }
        return true;
    }

    bool chooseBandAndMode(uint32_t a, uint32_t b, Contact& c) {
        c.band = random_.below(static_cast<uint32_t>(kBands.size()));
        if (c.side[0]->singleBand >= 0 && !random_.chance(options_.otherBandRate)) {
            c.band = static_cast<uint32_t>(c.side[0]->singleBand);
        }
        if (c.side[1]->singleBand >= 0 && static_cast<uint32_t>(c.side[1]->singleBand) != c.band &&
            !random_.chance(options_.otherBandRate)) {
            return false;
        }
        c.cw = random_.chance(0.5);
        const uint64_t n = stations_.size();
        c.key = ((std::min(a, b) * n + std::max(a, b)) * 8 + c.band) * 2 + (c.cw ? 1 : 0);
        return made_.count(c.key) == 0;
    }

    // At most one fault, and the side it is in: one that sends a log.
    void drawFault(Contact& c) {
        const double draw = random_.unit();
        double edge = options_.refusedRate;
        if (draw < edge) {
            c.fault = Fault::kRefused;
        } else if (draw < (edge += options_.nilRate)) {
            c.fault = c.bothSubmit ? Fault::kNil : Fault::kNone;
        } else if (draw < (edge += options_.bustedCallRate)) {
            c.fault = !c.bothSubmit                          ? Fault::kHistoryBust
                      : random_.chance(options_.reworkShare) ? Fault::kRework
                                                             : Fault::kBustedCall;
        } else if (draw < (edge += options_.bustedExchangeRate)) {
            c.fault = c.bothSubmit ? Fault::kBustedExchange
                                   : (random_.chance(0.5) ? Fault::kLoneExchange : Fault::kSharedExchange);
        } else if (draw < (edge += options_.dupeRate)) {
            c.fault = Fault::kDupe;
        } else if (draw < (edge += options_.offBandRate)) {
            c.fault = Fault::kOffBand;
        } else if (draw < (edge += options_.outOfPeriodRate)) {
            c.fault = Fault::kOutOfPeriod;
        }
        c.faulty = random_.chance(0.5) ? 0 : 1;
        if (!c.side[c.faulty]->submits) {
            c.faulty = 1 - c.faulty;
        }
        if (!c.side[c.faulty]->submits) {
            c.fault = Fault::kNone;  // nobody logs it
        }
    }

    // What a station sends in a contact: a mobile one the state it is in,
    // one of two exchanges either of them.
    std::string sentBy(const Station& station, int64_t minute) {
        if (station.mobile) {
            return minute < options_.startMinute + options_.durationMinutes / 2 ? station.exchange
                                                                                : station.otherExchange;
        }
        if (station.twoExchanges && random_.chance(0.5)) {
            return station.otherExchange;
        }
        return station.exchange;
    }

    // The minute and the frequency. Out of the period by 5 to 60 minutes;
    // in it, a quarter of an hour from its ends, so that no error of a side
    // crosses an end.
    void place(Contact& c) {
        c.minute = options_.startMinute + 15 + random_.below(static_cast<uint32_t>(options_.durationMinutes - 30));
        if (c.fault == Fault::kOutOfPeriod) {
            c.minute = random_.chance(0.5) ? contest_.startMinute - 5 - random_.below(56)
                                           : contest_.endMinute + 5 + random_.below(56);
        }
        c.bandName = kBands[c.band].band;
        c.mode = c.cw ? "CW" : "SSB";
        c.kHz = (c.cw ? kBands[c.band].cwKHz : kBands[c.band].ssbKHz) + random_.below(20);
        if (c.fault == Fault::kRefused) {
            if (c.side[0]->adif && c.side[1]->adif && random_.chance(0.5)) {
                c.mode = "RTTY";
                c.bandName = "20m";
                c.kHz = 14080 + random_.below(10);
            } else {
                c.mode = "CW";
                c.bandName = "30m";
                c.kHz = 10110 + random_.below(20);
            }
        } else if (c.fault == Fault::kOffBand) {
            const uint32_t which = random_.below(3);
            c.bandName = which == 0 ? "6m" : which == 1 ? "60m" : "";
            c.kHz = which == 0 ? 50090 + random_.below(100) : which == 1 ? 5354 + random_.below(10) : 0;
        }
    }

    // The call or exchange the faulty side miscopied.
    void miscopy(Contact& c) {
        for (int s = 0; s < 2; ++s) {
            c.sent[s] = sentBy(*c.side[s], c.minute);
        }
        const Station& other = *c.side[1 - c.faulty];
        const bool call = c.fault == Fault::kBustedCall || c.fault == Fault::kHistoryBust || c.fault == Fault::kRework;
        if (call) {
            c.bustedCall = miscopied(other.call, c.mode, random_);
            if (c.bustedCall.empty() || calls_.count(c.bustedCall) != 0 ||
                keys_[static_cast<size_t>(c.side[c.faulty]->log)].count(c.bustedCall + "\n" + c.bandName + "\n" +
                                                                        c.mode)) {
                c.fault = Fault::kNone;  // nothing to miscopy, another station, or an unplanned duplicate
            }
        }
        if (c.fault == Fault::kRework && !reworkFits(c)) {
            c.fault = Fault::kBustedCall;
        }
        if (c.fault == Fault::kBustedExchange || c.fault == Fault::kLoneExchange) {
            do {
                c.wrongExchange = std::string(areaCodes[random_.below(kMainlandAreaCount)]);
            } while (c.wrongExchange == c.sent[1 - c.faulty]);
        } else if (c.fault == Fault::kSharedExchange) {
            c.wrongExchange = other.sharedWrong;
            c.fault = c.wrongExchange == c.sent[1 - c.faulty] ? Fault::kNone : c.fault;
        }
    }

    // A re-work hours after the bust, both clocks right (its pair is exact),
    // when it is still in the period and neither log has that contact yet.
    bool reworkFits(Contact& c) {
        c.reworkAt = c.minute + 120 + random_.below(361);
        const Station& faulty = *c.side[c.faulty];
        const Station& other = *c.side[1 - c.faulty];
        return c.fault == Fault::kRework && c.reworkAt <= contest_.endMinute - 15 && logOf(faulty).clockOffset == 0 &&
               logOf(other).clockOffset == 0 && c.side[0]->singleBand < 0 && c.side[1]->singleBand < 0 &&
               keys_[static_cast<size_t>(faulty.log)].count(other.call + "\n" + c.bandName + "\n" + c.mode) == 0 &&
               clocks_[static_cast<size_t>(faulty.log)].keeps(true) &&
               clocks_[static_cast<size_t>(other.log)].keeps(true);
    }

    // Each side's error, and for a duplicate where its copy lies: before
    // the contact (the copy is then the one the engine counts) or after.
    // Both sides logged it on one call, band and mode: it pairs, and the
    // clocks are estimated from it. Each log keeps more than half of such
    // contacts exact for its estimate; else the contact is made without
    // errors, or not at all (false).
    bool drawTimeErrors(Contact& c) {
        const int jitter = std::max(0, options_.jitterMinutes);
        for (int& e : c.error) {
            e = static_cast<int>(random_.below(static_cast<uint32_t>(2 * jitter + 1))) - jitter;
        }
        c.copyAt = 1 + static_cast<int>(random_.below(5));  // within the window: the same contact entered twice
        c.copyAt = random_.chance(0.5) ? c.copyAt : -c.copyAt;
        const bool pairs =
            c.bothSubmit && c.fault != Fault::kNil && c.fault != Fault::kBustedCall && c.fault != Fault::kRework;
        if (!pairs) {
            return true;
        }
        auto exactFor = [&](int s) {
            const bool dupe = c.fault == Fault::kDupe;
            const int counted[2] = {c.error[0] + (dupe && c.faulty == 0 ? std::min(c.copyAt, 0) : 0),
                                    c.error[1] + (dupe && c.faulty == 1 ? std::min(c.copyAt, 0) : 0)};
            return counted[0] == counted[1] && clockMinutes(*c.side[1 - s]) == 0;
        };
        auto keeps = [&](int s) { return clocks_[static_cast<size_t>(c.side[s]->log)].keeps(exactFor(s)); };
        if (!keeps(0) || !keeps(1)) {
            c.error[0] = c.error[1] = 0;
            c.copyAt = std::abs(c.copyAt);
            if (!keeps(0) || !keeps(1)) {
                return false;
            }
        }
        for (int s = 0; s < 2; ++s) {
            clocks_[static_cast<size_t>(c.side[s]->log)].add(exactFor(s));
        }
        return true;
    }

    // The line side s logged, when it sends a log and logged the contact at
    // all, with the status and counterpart the check must give it.
    void logSide(const Contact& c, int s) {
        const Station& self = *c.side[s];
        const Station& other = *c.side[1 - s];
        if (!self.submits || (c.fault == Fault::kNil && s != c.faulty)) {
            return;
        }
        const bool faulty = s == c.faulty;
        Line line;
        SimQso& q = line.qso;
        q.minute = c.minute + c.error[s];  // the log's clock is added once it is known for certain
        q.frequencyKHz = c.kHz;
        q.band = c.bandName;
        q.mode = c.mode;
        const bool bustedCall =
            c.fault == Fault::kBustedCall || c.fault == Fault::kHistoryBust || c.fault == Fault::kRework;
        const bool bustedExchange =
            c.fault == Fault::kBustedExchange || c.fault == Fault::kLoneExchange || c.fault == Fault::kSharedExchange;
        q.call = bustedCall && faulty ? c.bustedCall : other.call;
        q.exchangeSent = c.sent[s];
        q.exchangeReceived = bustedExchange && faulty ? c.wrongExchange : c.sent[1 - s];
        expect(c, self, other, faulty, q);
        keys_[static_cast<size_t>(self.log)].insert(q.call + "\n" + q.band + "\n" + q.mode);
        line.order = order_++;
        std::vector<Line>& lines = lines_[static_cast<size_t>(self.log)];
        if (c.fault == Fault::kDupe && faulty) {
            // The engine counts the first in the file and marks the other a
            // duplicate; the counted one pairs, or takes over its twin's pair.
            Line copy = line;
            copy.qso.minute += c.copyAt;
            copy.order = order_++;
            Line& later = c.copyAt > 0 ? copy : line;
            later.qso.engine = crosscheck::EngineResult::kDupe;
            later.qso.expectedStatus = "DUPE";
            later.qso.expectedOther = "";
            lines.push_back(copy);
        }
        lines.push_back(line);
        if (c.fault == Fault::kRework) {
            // Hours later, both right: the faulty side's contact counts and
            // pairs with the other side's, a duplicate in its log.
            Line again = line;
            again.qso.minute = c.reworkAt;
            again.qso.call = other.call;
            again.qso.exchangeReceived = c.sent[1 - s];
            again.qso.engine = faulty ? crosscheck::EngineResult::kStored : crosscheck::EngineResult::kDupe;
            again.qso.expectedStatus = faulty ? "CONFIRMED" : "DUPE";
            again.qso.expectedOther = other.call;
            again.order = order_++;
            keys_[static_cast<size_t>(self.log)].insert(other.call + "\n" + q.band + "\n" + q.mode);
            clocks_[static_cast<size_t>(self.log)].add(true);
            lines.push_back(again);
        }
    }

    void expect(const Contact& c, const Station& self, const Station& other, bool faulty, SimQso& q) {
        // The category of an ADIF log reaches the check only through the list.
        const bool singleBand = self.singleBand >= 0 && (!self.adif || options_.categoriesListed);
        // The counterpart a contact of its own status has: it still pairs when both logged it.
        const std::string otherCall = other.submits && c.fault != Fault::kNil ? other.call : "";
        if (c.fault == Fault::kRefused) {
            q.engine = crosscheck::EngineResult::kRefused;
            q.expectedStatus = "REFUSED";
            q.expectedOther = otherCall;
        } else if (c.fault == Fault::kOffBand) {
            q.expectedStatus = "REFUSED";
            q.expectedOther = otherCall;
        } else if (q.minute < contest_.startMinute || q.minute > contest_.endMinute) {
            q.expectedStatus = "OUT-OF-PERIOD";
            q.expectedOther = otherCall;
        } else if (singleBand && c.band != static_cast<uint32_t>(self.singleBand)) {
            q.expectedStatus = "OTHER-BAND";
            q.expectedOther = otherCall;
        } else if (!other.submits) {
            q.expectedStatus = "";  // UNIQUE or UNVERIFIED, known once every log is written
        } else if (c.fault == Fault::kNil) {
            q.expectedStatus = "NIL";
        } else if ((c.fault == Fault::kBustedCall || c.fault == Fault::kRework) && faulty) {
            q.expectedStatus = "BUSTED-CALL";
            q.expectedOther = other.call;
        } else if (c.fault == Fault::kBustedExchange && faulty) {
            q.expectedStatus = "BUSTED-EXCHANGE";
            q.expectedOther = other.call;
        } else {
            q.expectedStatus = "CONFIRMED";
            q.expectedOther = other.call;
        }
    }

    // A log without contacts is no entry and a problem of the input: a
    // station that sends a log logs a contact, though the ones it made were
    // all missing from its log (the other side's NIL).
    void logSomething() {
        for (uint32_t s = 0; s < stations_.size(); ++s) {
            const int log = stations_[s].log;
            for (int attempts = 0; log >= 0 && lines_[static_cast<size_t>(log)].empty() && attempts < 50; ++attempts) {
                makeContact(s, active());
            }
        }
    }

    // A whole-hour error is found only from enough contacts: a log with
    // fewer keeps its minutes alone.
    void keepWholeHoursFoundOnly() {
        for (size_t l = 0; l < contest_.logs.size(); ++l) {
            SimLog& log = contest_.logs[l];
            if (log.wholeHours != 0 && clocks_[l].paired < kWholeHourContacts) {
                log.clockOffset -= 60 * log.wholeHours;
                log.wholeHours = 0;
            }
        }
    }

    // Each log's lines in time order, with its clock; contacts with stations
    // that sent no log are unique when one log holds the call.
    void writeLogs() {
        std::vector<OracleLog> oracle(lines_.size());
        for (size_t l = 0; l < lines_.size(); ++l) {
            std::sort(lines_[l].begin(), lines_[l].end(), [](const Line& x, const Line& y) {
                return x.qso.minute != y.qso.minute ? x.qso.minute < y.qso.minute : x.order < y.order;
            });
            oracle[l].call = contest_.logs[l].call;
            for (Line& line : lines_[l]) {
                oracle[l].qsos.push_back(&line.qso);
            }
        }
        expectUnsubmitted(oracle);
        for (size_t l = 0; l < lines_.size(); ++l) {
            SimLog& log = contest_.logs[l];
            log.qsos.reserve(lines_[l].size());
            for (Line& line : lines_[l]) {
                line.qso.minute += log.clockOffset;
                log.qsos.push_back(std::move(line.qso));
            }
            log.claimedScore = trueScore(log);
            if (log.claimWrong) {
                log.claimedScore += 2 + random_.below(100);
            }
        }
    }

    // The committee's decisions: rows on lines the rules judged by their
    // pairs and the evidence, the expectations following them, then the bad
    // rows. A line with a status of its own (refused, a duplicate, out of
    // the period, another band) keeps it: a row on it is left aside, so
    // only the statuses the pairs give are decided, though REFUSED may be
    // what a decision makes of such a line.
    void decide() {
        static const char* const kDecidable[] = {"CONFIRMED", "BUSTED-CALL", "BUSTED-EXCHANGE", "NIL",
                                                 "UNIQUE",    "UNVERIFIED",  "REFUSED"};
        const std::set<std::string> judged(std::begin(kDecidable), std::end(kDecidable) - 1);
        std::set<std::pair<std::string, uint32_t>> decided;
        if (options_.decisions <= 0 || contest_.logs.empty()) {
            return;
        }
        std::string& csv = contest_.decisionsCsv;
        csv = "call,line,status,note\n";
        auto row = [&csv](const std::string& call, uint32_t line, const std::string& status, const std::string& note) {
            csv += call + "," + std::to_string(line) + "," + status + ",\"" + note + "\"\n";
        };
        for (int made = 0, attempts = 0; made < options_.decisions && attempts < 1000; ++attempts) {
            SimLog& log = contest_.logs[random_.below(static_cast<uint32_t>(contest_.logs.size()))];
            if (log.qsos.empty()) {
                continue;
            }
            const uint32_t i = random_.below(static_cast<uint32_t>(log.qsos.size()));
            SimQso& q = log.qsos[i];
            // One decision a line: a later one would replace it, and the
            // counterpart it cleared would be the rules' again.
            if (judged.count(q.expectedStatus) == 0 || !decided.insert({log.call, i}).second) {
                continue;
            }
            // The first decision is made twice: the later row counts.
            for (int again = made == 0 ? 2 : 1; again > 0; --again) {
                const std::string status = kDecidable[random_.below(7)];
                row(log.call, qsoLine(log, i), status, "decision " + std::to_string(made + 1) + ", by vote");
                q.expectedStatus = status;
            }
            if (q.expectedStatus != "CONFIRMED" && q.expectedStatus != "BUSTED-CALL" &&
                q.expectedStatus != "BUSTED-EXCHANGE") {
                q.expectedOther.clear();
            }
            ++made;
        }
        if (!contest_.silentStations.empty()) {
            row(contest_.silentStations.front(), 20, "CONFIRMED", "a station without a log");
            ++contest_.badDecisionRows;
        }
        for (const SimLog& log : contest_.logs) {
            const auto dupe = std::find_if(log.qsos.begin(), log.qsos.end(),
                                           [](const SimQso& q) { return q.expectedStatus == "DUPE"; });
            if (dupe != log.qsos.end()) {
                row(log.call, qsoLine(log, static_cast<size_t>(dupe - log.qsos.begin())), "CONFIRMED", "a duplicate");
                ++contest_.badDecisionRows;
                break;
            }
        }
        row(contest_.logs.front().call, 1, "NIL", "the log's first line");
        ++contest_.badDecisionRows;
        row(contest_.logs.front().call, qsoLine(contest_.logs.front(), 0), "MAYBE", "no such status");
        ++contest_.unreadableDecisionRows;
    }

    const SimOptions& options_;
    Random random_;
    SimContest contest_;
    std::vector<Station> stations_;
    int regular_ = 0;                                    // stations_[0, regular_) are not casual
    std::vector<std::vector<Line>> lines_;               // per log
    std::vector<std::unordered_set<std::string>> keys_;  // per log: call, band and mode logged
    std::vector<ClockShare> clocks_;                     // per log
    std::unordered_set<uint64_t> made_;
    std::unordered_set<std::string> calls_;  // every station's call
    uint64_t order_ = 0;
};

}  // namespace

SimContest generateContest(const SimOptions& options) {
    return ContestMaker(options).make();
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
                      cabrilloCode(q.mode), dateText(q.minute, false).c_str(), timeText(q.minute).c_str(),
                      log.call.c_str(), rst, q.exchangeSent.c_str(), q.call.c_str(), rst, q.exchangeReceived.c_str());
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

}  // namespace torv::contestsim
