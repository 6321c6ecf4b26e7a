// The contest's fixed facts, named, in one place: its name and set name,
// the bands it counts and refuses, the files it writes, the colours and
// places of its windows, and the delays of the assistant's tick. The rules
// (area table, points) build on these; nothing else restates them.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace contest {

// The contest as the host lists it, and as its files and windows name it.
inline constexpr std::string_view kName = "TORV";
inline constexpr const char* kSetName = "TORV (C)";
// The first line of the error file.
inline constexpr std::string_view kErrorFileTitle = "TORV UBN file ";
// The caption prefix of the worked-before window once a call is shown.
inline constexpr std::string_view kWorkedWithCaption = "TORV worked with ";

// The six contest bands in the order of the worked-before rows and of the
// tick's band index, with the whole megahertz the radio's frequency gives.
inline constexpr std::array<const char*, 6> kBands = {"160m", "80m", "40m", "20m", "15m", "10m"};
inline constexpr std::array<int, 6> kBandMegahertz = {1, 3, 7, 14, 21, 28};
// Bands whose contacts are refused outright.
inline constexpr std::array<std::string_view, 4> kRefusedBands = {"160m", "30m", "17m", "12m"};

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
inline constexpr std::array<const char*, 11> kCheckStatusWords = {
    "CONFIRMED", "BUSTED-EXCHANGE", "BUSTED-CALL", "NIL",        "UNIQUE", "UNVERIFIED", "REFUSED",
    "DUPE",      "OUT-OF-PERIOD",   "OTHER-BAND",  "UNREADABLE",
};

// The settings file, relative to the host's folder: as the profile functions
// name it, and as the portable implementation opens it.
inline constexpr const char* kSettingsFile = "Plugins\\TORV.ini";
inline constexpr const char* kPortableSettingsFile = "Plugins/TORV.ini";
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

// The settings keys of the assistant's choices.
inline constexpr const char* kViewAreaKey = "setup_view_area";
inline constexpr const char* kViewCallKey = "setup_view_call";

// The assistant's tick: armed this long after every call check, this long
// after a view opens, retried this soon while one runs; a retune of more
// than this many hertz is told to the host.
inline constexpr int kCheckCallTickDelayMs = 330;
inline constexpr int kViewTickDelayMs = 300;
inline constexpr unsigned kTickRetryMs = 50;
inline constexpr double kRetuneThresholdHertz = 300.0;

}  // namespace contest
