// Why a record of a log cannot be read, as a value: the kind of fault and
// the field and value it is about. The readers' messages are rendered from
// it (in English, readFaultText); a report in another language renders its
// own sentence from the same value.
#pragma once

#include <cstdint>
#include <string>

namespace torv::logfile {

enum class ReadFaultKind : uint8_t {
    kOther,            // value: the whole sentence (a problem of the file, not of a record)
    kFieldCount,       // value: the number of fields of a Cabrillo QSO line
    kNoTransmitter,    // value: the eleventh field, which is no transmitter
    kFrequencyKHz,     // value: the frequency field
    kCabrilloMode,     // value: the mode field
    kCabrilloDate,     // value: the date field
    kCabrilloTime,     // value: the time field
    kNoCall,           // ADIF, no CALL
    kEmptyCall,        // ADIF, CALL is empty
    kNoDate,           // ADIF, no QSO_DATE
    kNoTime,           // ADIF, no TIME_ON
    kAdifDate,         // value: QSO_DATE
    kAdifTime,         // value: TIME_ON
    kFrequencyMHz,     // value: FREQ
    kDxcc,             // value: DXCC
    kTagNotClosed,     // an ADIF tag without '>'
    kTagWithoutName,   // value: what the tag holds
    kLengthNotNumber,  // field: the field's name, value: its length as written
    kValuePastEnd,     // field: the field's name, value: its length in bytes
    kNoLength,         // field: the field's name
    kRecordNotClosed,  // no <EOR> closes the last record
};
inline constexpr int kReadFaultKinds = 21;

struct ReadFault {
    ReadFaultKind kind = ReadFaultKind::kOther;
    std::string value;  // shortened (text.h) where it comes from the file
    std::string field;
};

// The English sentence the readers print: "frequency \"28O40\" is not a
// number of kHz", "no CALL", "12 fields; TORV's layout has 10 or 11 (call,
// report and exchange each side)".
std::string readFaultText(const ReadFault& fault);

}  // namespace torv::logfile
