#include "reports/cabrillo_log.h"

#include <cstdio>

#include "engine/contest.h"
#include "engine/text_format.h"
#include "io/file.h"
#include "ports/settings.h"

namespace torv::reports {

namespace contest = engine::contest;
using engine::formatDateTime;
using engine::formatText;
using ports::HeaderDialog;
using ports::HeaderFields;
using ports::Settings;

namespace {

constexpr const char* kOperatorsTag = "OPERATORS: ";
constexpr const char* kSoapboxTag = "SOAPBOX: ";

// A line break inside a one-line field would split its line of the file and
// make the log unreadable for a log robot: each CR or LF becomes a blank.
std::string singleLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return text;
}

// A multi-line field as the settings file keeps it: line breaks as tokens.
std::string escapeLineBreaks(const std::string& text) {
    return replaceAll(replaceAll(text, "\r", "<CR>"), "\n", "<LF>");
}

// From the settings file's form to the writer's: each line after the first
// gets the field's own tag.
std::string taggedLines(const std::string& escaped, const char* tag) {
    return replaceAll(replaceAll(escaped, "<CR>", std::string("\r\n") + tag), "<LF>", "");
}

using HeaderField = std::string HeaderFields::*;

// The header fields the settings file keeps, by key, in the order OK writes
// them; the claimed score is read, never written.
struct StoredField {
    HeaderField field;
    const char* key;
    bool written;
};
constexpr StoredField kStoredFields[] = {
    {&HeaderFields::band, "Band", true},
    {&HeaderFields::power, "Power", true},
    {&HeaderFields::operators, "Operators", true},
    {&HeaderFields::name, "Name", true},
    {&HeaderFields::address, "Address", true},
    {&HeaderFields::city, "Address-City", true},
    {&HeaderFields::postalCode, "Address-PostalCode", true},
    {&HeaderFields::country, "Address-Country", true},
    {&HeaderFields::category, "Category", true},
    {&HeaderFields::contest, "Contest", true},
    {&HeaderFields::email, "Email", true},
    {&HeaderFields::club, "Club", true},
    {&HeaderFields::soapbox, "SoapBox", true},
    {&HeaderFields::location, "Loc", true},
    {&HeaderFields::claimed, "Claimed", false},
};

// The fields read before the dialog, in the order they are read; the
// category and the contest are always the contest's own.
constexpr HeaderField kReadFields[] = {
    &HeaderFields::operators,  &HeaderFields::name,     &HeaderFields::address, &HeaderFields::city,
    &HeaderFields::postalCode, &HeaderFields::country,  &HeaderFields::claimed, &HeaderFields::band,
    &HeaderFields::power,      &HeaderFields::location, &HeaderFields::email,   &HeaderFields::club,
    &HeaderFields::soapbox,
};

const char* keyOf(HeaderField field) {
    for (const StoredField& stored : kStoredFields) {
        if (stored.field == field) {
            return stored.key;
        }
    }
    return "";
}

const char* modeCode(const std::string& mode) {
    const std::string_view code = contest::cabrilloCodeOf(mode);
    return code.empty() ? "??" : code.data();
}

}  // namespace

std::string replaceAll(std::string text, const std::string& find, const std::string& replacement) {
    if (find.empty() || find == replacement) {
        return text;
    }
    std::string out;
    size_t from = 0;
    for (size_t at = text.find(find); at != std::string::npos; at = text.find(find, from)) {
        out.append(text, from, at - from).append(replacement);
        from = at + find.size();
    }
    out.append(text, from, std::string::npos);
    return out;
}

std::string cabrilloFileBaseName(const std::string& call) {
    const std::string name = replaceAll(replaceAll(call, "/", "_"), "\\", "_");
    const char* const kWhiteSpace = " \t\n\v\f\r";
    const size_t begin = name.find_first_not_of(kWhiteSpace);
    if (begin == std::string::npos) {
        return "TLKC";
    }
    const size_t end = name.find_last_not_of(kWhiteSpace);
    return name.substr(begin, end - begin + 1);
}

bool CCabrilloLog::EditHeader(const std::string& contestantCall, Settings& settings, HeaderDialog& dialog) {
    header.callsign = contestantCall;
    fileBaseName = cabrilloFileBaseName(contestantCall);

    for (const HeaderField field : kReadFields) {
        header.*field = settings.readText(keyOf(field), field == &HeaderFields::operators ? contestantCall : "");
    }
    header.contest = std::string(contest::kName);
    header.category = contest::kOperatorCategoryItems[0];
    header.band = contest::kAllBandsCategory;  // the stored band is read but never shown
    header.transmitter = contest::kTransmitterItems[0];
    // The soapbox is shown on its lines; the operators keep their tokens as text.
    header.soapbox = replaceAll(replaceAll(header.soapbox, "<CR>", "\r"), "<LF>", "\n");

    HeaderFields edited = header;
    const bool confirmed = dialog.run(edited);
    if (confirmed) {
        const std::string claimed = header.claimed;
        header = edited;
        header.claimed = claimed;
    }

    header.operators = escapeLineBreaks(header.operators);
    header.soapbox = escapeLineBreaks(header.soapbox);
    if (confirmed) {
        for (const StoredField& stored : kStoredFields) {
            if (stored.written) {
                settings.writeText(stored.key, header.*stored.field);
            }
        }
    }
    header.operators = taggedLines(header.operators, kOperatorsTag);
    header.soapbox = taggedLines(header.soapbox, kSoapboxTag);
    return confirmed;
}

std::string cabrilloQsoLine(const CInfo& contact, const std::string& ownCall) {
    return formatText("QSO: %5u %2s %s %-13s %-3s %-6s %-13s %-3s %s\r\n", contact.frequencyKHz, modeCode(contact.mode),
                      singleLine(formatDateTime(contact.time, "%Y-%m-%d %H%M")).c_str(), singleLine(ownCall).c_str(),
                      singleLine(contact.rstSent).c_str(), singleLine(contact.exchangeSent).c_str(),
                      singleLine(contact.call).c_str(), singleLine(contact.rstReceived).c_str(),
                      singleLine(contact.exchangeReceived).c_str());
}

void CCabrilloLog::AddQsoLine(const CInfo& contact) {
    qsoLines_.push_back(cabrilloQsoLine(contact, header.callsign));
}

std::string CCabrilloLog::CabrilloText(const std::optional<std::string>& hostVersion) const {
    std::string text = "START-OF-LOG: 3.0\r\n";
    const auto line = [&text](const char* tag, const std::string& value) {
        text.append(tag).append(singleLine(value)).append("\r\n");
    };
    text.append("CONTEST: ").append(contest::kName).append("\r\n");
    line("CALLSIGN: ", header.callsign);
    line("CATEGORY-OPERATOR: ", header.category);
    if (header.category == contest::kMultiOperatorCategory) {
        line("CATEGORY-TRANSMITTER: ", header.transmitter);
    } else {
        line("CATEGORY-BAND: ", header.band);
    }
    text.append(kOperatorsTag).append(header.operators).append("\r\n");
    line("LOCATION: ", header.location);
    line("CLAIMED-SCORE: ", std::to_string(claimedScore));
    line("CLUB: ", header.club);
    line("CREATED-BY: Pelk ", hostVersion.value_or(""));
    line("NAME: ", header.name);
    line("ADDRESS: ", header.address);
    line("ADDRESS-CITY: ", header.city);
    line("ADDRESS-POSTALCODE: ", header.postalCode);
    line("ADDRESS-COUNTRY: ", header.country);
    line("E-MAIL: ", header.email);
    text.append(kSoapboxTag).append(header.soapbox).append("\r\n");
    for (const std::string& qso : qsoLines_) {
        text += qso;
    }
    text += "END-OF-LOG:\r\n";
    return text;
}

CabrilloOutcome CCabrilloLog::WriteCabrillo(const std::string& folder,
                                            const std::optional<std::string>& hostVersion) const {
    const std::string fileName = fileBaseName + ".cbr";
    const std::string path = folder.empty() ? fileName : folder + "/" + fileName;
    const std::string text = CabrilloText(hostVersion);

    const bool written = torv::io::writeWhole(path, text);
    // The operator must know when the log did not reach the disk.
    return {written, written ? "File produced: " + fileName : "File could not be written: " + fileName};
}

}  // namespace torv::reports
