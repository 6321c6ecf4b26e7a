// The contest's fixed facts, named, in one place: its name and set name,
// the bands it counts and refuses, its modes, areas and island prefixes,
// its points, the characters operators confuse in each mode, the files it
// writes, the settings keys, the colours and places of its windows, and the
// delays of the assistant's tick. The rules
// (area table, points) build on these; nothing else restates them, and the
// sizes of tables elsewhere come from these.
//
// What cannot be derived from here, and must change with it by hand:
// - resources/Stats.rc: the dialogs' captions, the area window's boxes
//   (one per kAreas, in its order) and their ids in the resource header;
// - the golden files under tests/golden and the real-log expectations;
// - fixed message texts: the error file's findings (engine/error_file.h),
//   the Cabrillo reader's note on the contest's layout and its QSO field
//   count, and the DXCC entities of the mainland and the islands that ADIF
//   logs give (logfile sits below the engine and knows no contest); the
//   committee's glossary in two languages (crosscheck/glossary.cpp);
// - the host simulator's scripts and its own date conversions (it shares
//   nothing of the plug-in on purpose), contest-sim's band plan (its
//   frequencies; that its bands are the counted ones is checked when it
//   compiles);
// - the entrants' category words that are Cabrillo's rather than the
//   contest's, as the log readers know them (logfile/cabrillo_category.cpp).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "calendar/ascii_case.h"

namespace torv::engine::contest {

// A table of texts whose size is its count of entries.
template <typename... Texts>
constexpr std::array<std::string_view, sizeof...(Texts)> texts(Texts... entries) {
    return {entries...};
}

// The contest as the host lists it, and as its files and windows name it.
inline constexpr std::string_view kName = "TORV";
inline constexpr const char* kSetName = "TORV (C)";
// The error file, in the host's folder, and its first line.
inline constexpr const char* kErrorFile = "err.txt";
inline constexpr std::string_view kErrorFileTitle = "TORV UBN file ";
// The caption prefix of the worked-before window once a call is shown.
inline constexpr std::string_view kWorkedWithCaption = "TORV worked with ";

// The names a log gives the contest (Cabrillo CONTEST:, ADIF CONTEST_ID):
// a name is the contest's when, upper case and without blanks, '-' and
// '_', it begins with one of these ("TORV", "Torv 2026", "torv-cw"); a log
// that gives no name, or an empty one, is taken as the contest's too.
inline constexpr auto kContestNames = texts("TORV");

// A letter of a name as the names compare: blanks, '-' and '_' are not.
constexpr bool countsInContestName(char c) {
    return c != ' ' && c != '\t' && c != '-' && c != '_';
}

// True when the name a log gives its contest is this contest's, by the
// rule of kContestNames.
constexpr bool namesTheContest(std::string_view given) {
    std::string_view::size_type first = 0;
    while (first < given.size() && !countsInContestName(given[first])) {
        ++first;
    }
    if (first == given.size()) {
        return true;
    }
    for (std::string_view name : kContestNames) {
        std::string_view::size_type at = first;
        std::string_view::size_type matched = 0;
        while (matched < name.size() && at < given.size()) {
            if (countsInContestName(given[at])) {
                if (calendar::asciiUpper(given[at]) != name[matched]) {
                    break;
                }
                ++matched;
            }
            ++at;
        }
        if (matched == name.size()) {
            return true;
        }
    }
    return false;
}
static_assert(namesTheContest("Torv 2026") && namesTheContest(" t-o_r v") && namesTheContest("") &&
                  namesTheContest(" - ") && !namesTheContest("CQ-WPX-CW") && !namesTheContest("TOR"),
              "the contest's names as logs give them");

// The six contest bands in the order of the worked-before rows and of the
// tick's band index, with the whole megahertz the radio's frequency gives.
inline constexpr std::array kBands = {"160m", "80m", "40m", "20m", "15m", "10m"};
inline constexpr std::array<int, kBands.size()> kBandMegahertz = {1, 3, 7, 14, 21, 28};
// Bands whose contacts are refused outright.
inline constexpr auto kRefusedBands = texts("160m", "30m", "17m", "12m");

// The modes the contest counts, as the host names them, and the code a
// Cabrillo QSO line gives each (literals: data() is a C string).
struct Mode {
    std::string_view name;
    std::string_view cabrilloCode;
};
inline constexpr std::array kModes = {Mode{"CW", "CW"}, Mode{"SSB", "PH"}};

// The code a Cabrillo QSO line gives a mode the contest counts (a C
// string); empty for any other mode.
constexpr std::string_view cabrilloCodeOf(std::string_view mode) {
    for (const Mode& m : kModes) {
        if (m.name == mode) {
            return m.cabrilloCode;
        }
    }
    return "";
}

constexpr bool isContestMode(std::string_view mode) {
    return !cabrilloCodeOf(mode).empty();
}

// The areas: the Brazilian states and "UF", in the order an exchange is
// searched, then the islands, which count by the prefix alone. Mainland
// stations have the prefix kMainlandPrefix; the host may also resolve an
// island with another spelling ("PY0/s" for St. Peter and St. Paul Rocks).
inline constexpr auto kAreaCodes =
    texts("AC", "AL", "AP", "AM", "BA", "CE", "DF", "ES", "GO", "MA", "MT", "MS", "MG", "PA", "PB", "PR", "PE", "PI",
          "RJ", "RN", "RS", "RO", "RR", "SC", "SP", "SE", "TO", "UF");
inline constexpr std::string_view kMainlandPrefix = "PY";
inline constexpr auto kIslandAreas = texts("PY0F", "PY0S", "PY0T");
struct IslandSpelling {
    std::string_view prefix;
    std::string_view area;
};
inline constexpr std::array kOtherIslandSpellings = {IslandSpelling{"PY0/s", "PY0S"}};

// The points of a contact: the special station's, those of a category word
// received as the exchange, and everybody else's.
inline constexpr std::string_view kSpecialStation = "PY5TORV";
inline constexpr int kSpecialStationPoints = 10;
struct CategoryPoints {
    std::string_view word;
    int points;
};
inline constexpr std::array kCategoryPoints = {CategoryPoints{"YL", 6}, CategoryPoints{"QRP", 3},
                                               CategoryPoints{"MIL", 8}};
inline constexpr int kOrdinaryPoints = 2;

// The bands a committee counts: the contest bands that are not refused
// (80, 40, 20, 15 and 10 m). The plug-in stores a contact on any band it is
// not told to refuse; the committee's check refuses the others.
constexpr bool isCountedBand(std::string_view band) {
    bool contest = false;
    for (const char* b : kBands) {
        contest = contest || band == b;
    }
    for (std::string_view refused : kRefusedBands) {
        contest = contest && band != refused;
    }
    return contest;
}

// The verdicts of the committee's check on a QSO line, as its files write
// them, in the order of crosscheck::QsoStatus.
inline constexpr std::array kCheckStatusWords = {
    "CONFIRMED", "BUSTED-EXCHANGE", "BUSTED-CALL", "NIL",        "UNIQUE", "UNVERIFIED", "REFUSED",
    "DUPE",      "OUT-OF-PERIOD",   "OTHER-BAND",  "UNREADABLE",
};

// Characters a receiving operator confuses, by mode, each pair either way:
// the committee's check takes a logged call that differs from a real one in
// exactly two such places as a busted copy of it. In CW, Morse patterns
// that differ by a dot or a dash, and neighbouring digits (five dots and
// four, ...; 9 and 0 too); in SSB, letters that sound alike when spoken.
struct Confusion {
    char a;
    char b;
};
inline constexpr std::array kCwConfusions = {
    Confusion{'5', 'H'}, Confusion{'S', 'H'}, Confusion{'S', 'I'}, Confusion{'I', 'E'}, Confusion{'N', 'K'},
    Confusion{'W', 'K'}, Confusion{'W', 'N'}, Confusion{'D', 'B'}, Confusion{'U', 'A'}, Confusion{'V', 'U'},
    Confusion{'R', 'A'}, Confusion{'R', 'L'}, Confusion{'R', 'N'}, Confusion{'O', 'M'}, Confusion{'0', 'O'},
    Confusion{'0', '1'}, Confusion{'1', '2'}, Confusion{'2', '3'}, Confusion{'3', '4'}, Confusion{'4', '5'},
    Confusion{'5', '6'}, Confusion{'6', '7'}, Confusion{'7', '8'}, Confusion{'8', '9'}, Confusion{'9', '0'},
};
inline constexpr std::array kSsbConfusions = {
    Confusion{'D', 'A'}, Confusion{'E', 'A'}, Confusion{'G', 'C'}, Confusion{'G', 'D'},
    Confusion{'J', 'G'}, Confusion{'T', 'E'}, Confusion{'P', 'A'}, Confusion{'Z', 'N'},
    Confusion{'M', 'N'}, Confusion{'B', 'D'}, Confusion{'B', 'P'}, Confusion{'F', 'S'},
};
// The mode whose confusions the two tables are.
inline constexpr std::string_view kCwMode = kModes[0].name;
inline constexpr std::string_view kSsbMode = kModes[1].name;

// True when a receiving operator of the mode confuses the two characters
// (upper case), either way; false for any other mode.
constexpr bool confusable(std::string_view mode, char x, char y) {
    auto inTable = [x, y](const auto& table) {
        for (const Confusion& c : table) {
            if ((c.a == x && c.b == y) || (c.a == y && c.b == x)) {
                return true;
            }
        }
        return false;
    };
    return mode == kCwMode ? inTable(kCwConfusions) : mode == kSsbMode ? inTable(kSsbConfusions) : false;
}

// The entrants' categories. The operator categories as the header dialog
// lists them (one with the trailing blank the list has always shown), and
// the one the operator types instead, with which the Cabrillo file names
// its transmitters rather than its band.
inline constexpr std::array kOperatorCategoryItems = {
    "SINGLE-OP A", "SINGLE-OP B", "SINGLE-OP C", "YL", "GROUPS", "MILITARY STATION OM", "MILITARY STATION SINGLE ",
    "QRP",         "CHECKLOG"};
inline constexpr const char* kMultiOperatorCategory = "MULTI-OP";
// The operator category of an entrant who sends a log to help the check
// and is not ranked: listed on its own below the results.
inline constexpr std::string_view kCheckLogCategory = "CHECKLOG";
static_assert(std::string_view(kOperatorCategoryItems.back()) == kCheckLogCategory, "a check log is a category");
// A band category is all bands or one band the contest counts, as the
// header dialog lists them: "ALL", then the counted bands in capitals.
inline constexpr std::array kBandCategoryItems = {"ALL", "80M", "40M", "20M", "15M", "10M"};
inline constexpr std::string_view kAllBandsCategory = kBandCategoryItems[0];
// The transmitter categories of a multi-operator entry, as the dialog lists
// them; the first is the one shown until the operator chooses.
inline constexpr std::array kTransmitterItems = {"ONE", "TWO", "UNLIMITED"};

constexpr bool bandItemsFollowTheBands() {
    size_t item = 1;
    for (std::string_view band : kBands) {
        if (!isCountedBand(band)) {
            continue;
        }
        if (item == kBandCategoryItems.size() || std::string_view(kBandCategoryItems[item]).size() != band.size()) {
            return false;
        }
        for (size_t i = 0; i < band.size(); ++i) {
            if (kBandCategoryItems[item][i] != calendar::asciiUpper(band[i])) {
                return false;
            }
        }
        ++item;
    }
    return item == kBandCategoryItems.size();
}
static_assert(bandItemsFollowTheBands(), "the band categories are the counted bands");
inline constexpr auto kPowerCategories = texts("HIGH", "LOW", "QRP");
inline constexpr auto kModeCategories = texts("CW", "SSB", "MIXED");

// The settings file, relative to the host's folder, as the profile functions
// name it; its name alone; and the path the portable implementation opens.
inline constexpr const char* kSettingsFile = "Plugins\\TORV.ini";
inline constexpr std::string_view kSettingsFileName =
    std::string_view(kSettingsFile).substr(std::string_view(kSettingsFile).rfind('\\') + 1);
inline std::string portableSettingsFile() {
    std::string path(kSettingsFile);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}
inline constexpr const char* kSettingsSection = "Settings";

// A colour of the windows, as red, green and blue.
struct Colour {
    std::uint8_t red, green, blue;
    constexpr bool operator==(const Colour& other) const {
        return red == other.red && green == other.green && blue == other.blue;
    }
};
// The background of the three windows and of the grid without a call.
inline constexpr Colour kBackground = {255, 250, 198};
// The grid's table and the stripe of the radio's band.
inline constexpr Colour kTableBackground = {255, 255, 198};
inline constexpr Colour kBandStripe = {198, 255, 255};

// Where a window opens: its top-left corner as remembered in two settings
// keys, and the corner it takes when nothing (or 0) is stored.
struct WindowPlace {
    const char* xKey;
    const char* yKey;
    int x;
    int y;
};
inline constexpr WindowPlace kSetupWindow = {"area_x", "area_y", 10, 200};
inline constexpr WindowPlace kCallWindow = {"dxcc_x", "dxcc_y", 10, 400};
inline constexpr WindowPlace kAreaWindow = {"oblast_x", "oblast_y", 10, 400};

// The settings keys of the assistant's choices: the two views, and the two
// mode boxes (named for the digital modes whose boxes they were).
inline constexpr const char* kViewAreaKey = "setup_view_area";
inline constexpr const char* kViewCallKey = "setup_view_call";
inline constexpr const char* kCwModeKey = "setup_mode_bpsk63";
inline constexpr const char* kSsbModeKey = "setup_mode_bpsk125";

// The assistant's tick: armed this long after every call check, this long
// after a view opens, retried this soon while one runs; a retune of more
// than this many hertz is told to the host.
inline constexpr int kCheckCallTickDelayMs = 330;
inline constexpr int kViewTickDelayMs = 300;
inline constexpr unsigned kTickRetryMs = 50;
inline constexpr double kRetuneThresholdHertz = 300.0;

}  // namespace torv::engine::contest
