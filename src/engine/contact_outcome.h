// What the engine decided about one contact, as values: stored, duplicate
// or refused, each finding as a code with what it is about, and the area
// stored. The error file's lines are rendered from it (engine/error_file.h);
// a caller that counts or reports findings reads the codes, never the lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace torv::engine {

enum class ContactResult {
    kStored,   // in the log, with its points when it has a call
    kDupe,     // in the log, marked as a duplicate of an earlier record: no points
    kRefused,  // not in the log
};

// One kind per message the error file ends a line with (one byte: the
// committee's check keeps one per contact of a whole contest).
enum class FindingCode : uint8_t {
    kNoContestBand,      // a refused band: the contact is refused
    kNoTestMode,         // a mode the contest does not count: refused
    kNoRxNumber,         // the received or the sent exchange is empty: refused
    kAreaNotAcceptable,  // stored, but its exchange names no area
    kDupe,               // stored, with the same call, band and mode as earlier records
};

struct Finding {
    FindingCode code = FindingCode::kNoRxNumber;
    // What the finding is about: kNoContestBand the band, kNoTestMode the
    // mode, kAreaNotAcceptable the received exchange as normalised (the
    // error line shows it); "" for the others.
    std::string value;
    // kDupe: how many earlier records have the contact's call, band and
    // mode (each draws its own DUPE line), and the log position of the
    // first of them, the record the contact duplicates. 0 for the others.
    size_t earlierTwins = 0;
    size_t duplicatedPosition = 0;
};

struct ContactOutcome {
    ContactResult result = ContactResult::kRefused;
    // In the order of their lines: a refused contact has its one reason; a
    // stored one kAreaNotAcceptable, then kDupe, each when due. Most
    // contacts have none.
    std::vector<Finding> findings;
    std::string area;  // the stored record's area (its multiplier); "" when none or refused
};

// The message a finding's error line ends with ("NO CONTEST BAND !!!").
std::string_view findingMessage(FindingCode code);

}  // namespace torv::engine
