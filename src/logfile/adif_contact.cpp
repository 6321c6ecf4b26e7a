#include "logfile/adif_contact.h"

#include <algorithm>
#include <array>
#include <functional>

#include "calendar/calendar.h"
#include "logfile/date_text.h"
#include "logfile/text.h"

namespace torv::logfile {

using calendar::isValidDateTime;
using calendar::lowerCase;
using calendar::oleDateFromCalendar;
using calendar::upperCase;

namespace {

// Band edges in kHz, the amateur allocations of the widest region.
struct BandEdges {
    uint32_t lowKHz, highKHz;
    const char* name;
};
constexpr std::array<BandEdges, 14> kBands{{
    {1800, 2000, "160m"},
    {3500, 4000, "80m"},
    {5060, 5450, "60m"},
    {7000, 7300, "40m"},
    {10100, 10150, "30m"},
    {14000, 14350, "20m"},
    {18068, 18168, "17m"},
    {21000, 21450, "15m"},
    {24890, 24990, "12m"},
    {28000, 29700, "10m"},
    {50000, 54000, "6m"},
    {70000, 71000, "4m"},
    {144000, 148000, "2m"},
    {420000, 450000, "70cm"},
}};

struct DxccPrefix {
    int entity;
    const char* prefix;
};
constexpr std::array<DxccPrefix, 4> kDxccPrefixes{{{108, "PY"}, {56, "PY0F"}, {253, "PY0S"}, {273, "PY0T"}}};

// Marks after a '/' that say how, not where, a station operates.
constexpr std::array<std::string_view, 8> kOperatingMarks{{"P", "M", "MM", "AM", "A", "B", "QRP", "QRPP"}};

bool isOperatingMark(std::string_view part) {
    for (std::string_view mark : kOperatingMarks) {
        if (part == mark) {
            return true;
        }
    }
    return false;
}

// The prefix of one upper-case part of a call, without '/'.
std::string partPrefix(std::string_view part) {
    const bool brazil =
        part.size() >= 3 && isDigit(part[2]) &&
        ((part[0] == 'P' && part[1] >= 'P' && part[1] <= 'Y') || (part[0] == 'Z' && part[1] >= 'V' && part[1] <= 'Z'));
    if (brazil) {
        if (part[2] == '0' && part.size() >= 4 && (part[3] == 'F' || part[3] == 'S' || part[3] == 'T')) {
            return std::string("PY0") + part[3];
        }
        return "PY";
    }
    size_t end = part.size();
    while (end > 0 && isDigit(part[end - 1])) {
        --end;  // trailing digits are no part of the prefix
    }
    const size_t lastDigit = part.substr(0, end).find_last_of("0123456789");
    if (lastDigit == std::string_view::npos) {
        return std::string(part);
    }
    return std::string(part.substr(0, lastDigit + 1));
}

// A decimal number of a unit of 10^hertzDecimals hertz, in hertz rounded to
// the nearest (a half rounds up), read digit by digit, never through a double.
bool parseDecimalHertz(std::string_view text, size_t hertzDecimals, uint32_t& hertz) {
    const std::string_view number = trimmed(text);
    const size_t point = number.find('.');
    const std::string_view whole = number.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
    if (whole.empty() && fraction.empty()) {
        return false;
    }
    if ((!whole.empty() && !allDigits(whole)) || (!fraction.empty() && !allDigits(fraction))) {
        return false;
    }
    // Whole units beyond 32 bits of hertz overflow anyway; leading zeros aside.
    const std::string_view significant = whole.substr(std::min(whole.find_first_not_of('0'), whole.size()));
    if (significant.size() > 10 - hertzDecimals) {
        return false;
    }
    uint64_t value = 0;
    for (char c : significant) {
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    // The first decimals are hertz; the next one decides the rounding.
    for (size_t i = 0; i < hertzDecimals; ++i) {
        value = value * 10 + (i < fraction.size() ? static_cast<uint64_t>(fraction[i] - '0') : 0);
    }
    if (fraction.size() > hertzDecimals && fraction[hertzDecimals] >= '5') {
        ++value;
    }
    if (value > UINT32_MAX) {
        return false;
    }
    hertz = static_cast<uint32_t>(value);
    return true;
}

}  // namespace

bool parseFrequencyMHz(std::string_view text, uint32_t& hertz) {
    return parseDecimalHertz(text, 6, hertz);
}

bool parseFrequencyKHz(std::string_view text, uint32_t& hertz) {
    return parseDecimalHertz(text, 3, hertz);
}

bool parseAdifDateTime(std::string_view date, std::string_view time, double& oleDate) {
    if (date.size() != 8 || !allDigits(date) || (time.size() != 4 && time.size() != 6) || !allDigits(time)) {
        return false;
    }
    const int year = digitsValue(date.substr(0, 4));
    const int month = digitsValue(date.substr(4, 2));
    const int day = digitsValue(date.substr(6, 2));
    const int hour = digitsValue(time.substr(0, 2));
    const int minute = digitsValue(time.substr(2, 2));
    const int second = time.size() == 6 ? digitsValue(time.substr(4, 2)) : 0;
    if (!isValidDateTime(year, month, day, hour, minute, second)) {
        return false;
    }
    oleDate = oleDateFromCalendar(year, month, day, hour, minute, second);
    return true;
}

std::string bandOfFrequency(uint32_t hertz) {
    for (const BandEdges& band : kBands) {
        if (hertz >= band.lowKHz * 1000ull && hertz <= band.highKHz * 1000ull) {
            return band.name;
        }
    }
    return {};
}

uint32_t lowerEdgeOfBand(std::string_view band) {
    for (const BandEdges& edges : kBands) {
        if (band == edges.name) {
            return edges.lowKHz * 1000;
        }
    }
    return 0;
}

std::string prefixOfDxcc(int entity) {
    for (const DxccPrefix& known : kDxccPrefixes) {
        if (known.entity == entity) {
            return known.prefix;
        }
    }
    return {};
}

std::string callPrefix(std::string_view call) {
    const std::string upper = upperCase(trimmed(call));
    // The parts between slashes, as views of `upper`; a call has two or
    // three, so a few sit in place and only a longer text needs the heap.
    constexpr size_t kInPlace = 4;
    std::array<std::string_view, kInPlace> inPlace;
    std::vector<std::string_view> more;
    size_t count = 0;
    auto partAt = [&](size_t i) -> std::string_view& { return i < kInPlace ? inPlace[i] : more[i - kInPlace]; };
    size_t start = 0;
    for (size_t slash = upper.find('/');; slash = upper.find('/', start)) {
        const std::string_view part =
            std::string_view(upper).substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (!part.empty()) {
            if (count >= kInPlace) {
                more.emplace_back();
            }
            partAt(count++) = part;
        }
        if (slash == std::string::npos) {
            break;
        }
        start = slash + 1;
    }

    char newArea = 0;  // a trailing "/4" moves the station to call area 4
    while (count > 1) {
        const std::string_view last = partAt(count - 1);
        if (last.size() == 1 && isDigit(last[0]) && newArea == 0) {
            newArea = last[0];
        } else if (!isOperatingMark(last)) {
            break;
        }
        --count;
    }
    if (count == 0) {
        return {};
    }
    const std::string_view where = count >= 2 && partAt(1).size() < partAt(0).size() ? partAt(1) : partAt(0);
    std::string prefix = partPrefix(where);
    if (newArea != 0 && prefix.rfind("PY", 0) != 0 && !prefix.empty() && isDigit(prefix.back())) {
        prefix.back() = newArea;
    }
    return prefix;
}

namespace {

std::string valueOr(const AdifRecord& record, std::string_view name, std::string_view fallback) {
    const std::string* found = record.find(name);
    return found != nullptr ? *found : std::string(fallback);
}

// CALL, QSO_DATE and TIME_ON: a contact has all three, or is refused.
void readCallAndTime(const AdifRecord& record, LogContact& contact) {
    const std::string* call = record.find("CALL");
    if (call == nullptr) {
        throw FieldError({ReadFaultKind::kNoCall, {}, {}});
    }
    if (trimmed(*call).empty()) {
        throw FieldError({ReadFaultKind::kEmptyCall, {}, {}});
    }
    contact.call = *call;
    const std::string* date = record.find("QSO_DATE");
    const std::string* time = record.find("TIME_ON");
    if (date == nullptr) {
        throw FieldError({ReadFaultKind::kNoDate, {}, {}});
    }
    if (time == nullptr) {
        throw FieldError({ReadFaultKind::kNoTime, {}, {}});
    }
    if (!parseAdifDateTime(*date, "0000", contact.oleDate)) {
        throw FieldError({ReadFaultKind::kAdifDate, shortened(*date), {}});
    }
    if (!parseAdifDateTime(*date, *time, contact.oleDate)) {
        throw FieldError({ReadFaultKind::kAdifTime, shortened(*time), {}});
    }
}

// FREQ and BAND: the band as given, else the frequency's; a disagreement or
// no band at all is a warning.
void readFrequencyAndBand(const AdifRecord& record, LogContact& contact, const std::function<void(std::string)>& warn) {
    const std::string* frequency = record.find("FREQ");
    if (frequency != nullptr && !parseFrequencyMHz(*frequency, contact.frequency)) {
        throw FieldError({ReadFaultKind::kFrequencyMHz, shortened(*frequency), {}});
    }
    const std::string frequencyBand = bandOfFrequency(contact.frequency);
    const std::string* band = record.find("BAND");
    contact.band = band != nullptr ? lowerCase(trimmed(*band)) : frequencyBand;
    if (band != nullptr && frequency != nullptr && contact.band != frequencyBand) {
        warn(quoted("BAND", *band) + " disagrees with " + quoted("FREQ", *frequency) + ": the band is kept");
    }
    if (contact.band.empty()) {
        warn(frequency == nullptr ? std::string("neither BAND nor FREQ: the contact has no band")
                                  : quoted("FREQ", *frequency) + " is in no amateur band");
    }
}

// The prefix of the DXCC entity the record names, else the call's.
std::string prefixOfRecord(const AdifRecord& record, const std::string& call) {
    const std::string* dxcc = record.find("DXCC");
    std::string prefix;
    if (dxcc != nullptr && !trimmed(*dxcc).empty()) {
        const std::string_view number = trimmed(*dxcc);
        if (!allDigits(number) || number.size() > 4) {
            throw FieldError({ReadFaultKind::kDxcc, shortened(*dxcc), {}});
        }
        prefix = prefixOfDxcc(digitsValue(number));
    }
    return prefix.empty() ? callPrefix(call) : prefix;
}

}  // namespace

LogContact contactFromRecord(const AdifRecord& record, const std::string& defaultOwnCall,
                             std::vector<std::string>* warnings) {
    LogContact contact;
    contact.line = record.line;
    contact.record = record.number;
    readCallAndTime(record, contact);
    readFrequencyAndBand(record, contact, [warnings](std::string text) {
        if (warnings != nullptr) {
            warnings->push_back(std::move(text));
        }
    });
    const std::string mode = upperCase(trimmed(valueOr(record, "MODE", "")));
    const std::string submode = upperCase(trimmed(valueOr(record, "SUBMODE", "")));
    const bool sideband = mode == "SSB" || mode == "USB" || mode == "LSB" || submode == "LSB" || submode == "USB";
    contact.mode = sideband ? "SSB" : mode;
    contact.rstSent = valueOr(record, "RST_SENT", "");
    contact.rstReceived = valueOr(record, "RST_RCVD", "");
    contact.exchangeSent = valueOr(record, "STX_STRING", valueOr(record, "MY_STATE", ""));
    contact.exchangeReceived = valueOr(record, "SRX_STRING", valueOr(record, "STATE", ""));
    contact.ownCall = valueOr(record, "STATION_CALLSIGN", valueOr(record, "OPERATOR", defaultOwnCall));
    contact.prefix = prefixOfRecord(record, contact.call);
    return contact;
}

std::vector<LogContact> contactsFromAdif(std::string_view text, const std::string& defaultOwnCall) {
    const AdifFile file = parseAdif(text);
    std::vector<LogContact> contacts;
    contacts.reserve(file.records.size());
    for (const AdifRecord& record : file.records) {
        try {
            contacts.push_back(contactFromRecord(record, defaultOwnCall));
        } catch (const FieldError& error) {
            throw AdifError(record.line, record.number, record.offset, error.fault());
        }
    }
    return contacts;
}

}  // namespace torv::logfile
