#include "logfile/read_fault.h"

namespace torv::logfile {

namespace {

std::string quotedValue(const char* what, const ReadFault& fault) {
    return std::string(what) + " \"" + fault.value + "\"";
}

}  // namespace

std::string readFaultText(const ReadFault& fault) {
    switch (fault.kind) {
        case ReadFaultKind::kOther:
            return fault.value;
        case ReadFaultKind::kFieldCount:
            return fault.value + (fault.value == "1" ? " field" : " fields") +
                   "; TORV's layout has 10 or 11 (call, report and exchange each side)";
        case ReadFaultKind::kNoTransmitter:
            return quotedValue("eleventh field", fault) +
                   " is no transmitter: a QSO line has 10 fields (call, report and exchange each side), or 11 with "
                   "the transmitter";
        case ReadFaultKind::kFrequencyKHz:
            return quotedValue("frequency", fault) + " is not a number of kHz";
        case ReadFaultKind::kCabrilloMode:
            return quotedValue("mode", fault) + " is none of CW, PH, FM, RY, DG";
        case ReadFaultKind::kCabrilloDate:
            return quotedValue("date", fault) + " is not a date (YYYY-MM-DD)";
        case ReadFaultKind::kCabrilloTime:
            return quotedValue("time", fault) + " is not a time of day (HHMM)";
        case ReadFaultKind::kNoCall:
            return "no CALL";
        case ReadFaultKind::kEmptyCall:
            return "CALL is empty";
        case ReadFaultKind::kNoDate:
            return "no QSO_DATE";
        case ReadFaultKind::kNoTime:
            return "no TIME_ON";
        case ReadFaultKind::kAdifDate:
            return quotedValue("QSO_DATE", fault) + " is not a date (YYYYMMDD)";
        case ReadFaultKind::kAdifTime:
            return quotedValue("TIME_ON", fault) + " is not a time of day (HHMM or HHMMSS)";
        case ReadFaultKind::kFrequencyMHz:
            return quotedValue("FREQ", fault) + " is not a frequency in MHz";
        case ReadFaultKind::kDxcc:
            return quotedValue("DXCC", fault) + " is not an entity number";
        case ReadFaultKind::kTagNotClosed:
            return "the tag has no closing '>'";
        case ReadFaultKind::kTagWithoutName:
            return "a tag without a field name: \"<" + fault.value + ">\"";
        case ReadFaultKind::kLengthNotNumber:
            return "the length of field " + fault.field + " is not a number: \"" + fault.value + "\"";
        case ReadFaultKind::kValuePastEnd:
            return "the value of field " + fault.field + " (" + fault.value + " bytes) runs past the end of the file";
        case ReadFaultKind::kNoLength:
            return "field " + fault.field + " has no length";
        case ReadFaultKind::kRecordNotClosed:
            return "no <EOR> closes the last record";
    }
    return fault.value;
}

}  // namespace torv::logfile
