#include "reports/cabrillo_log.h"

std::string cabrilloFileBaseName(const std::string& call) {
    std::string name = call;
    for (char& c : name) {
        if (c == '/' || c == '\\') {
            c = '_';
        }
    }
    const char* const kWhiteSpace = " \t\n\v\f\r";
    const size_t begin = name.find_first_not_of(kWhiteSpace);
    if (begin == std::string::npos) {
        return "TLKC";
    }
    const size_t end = name.find_last_not_of(kWhiteSpace);
    return name.substr(begin, end - begin + 1);
}

bool CCabrilloLog::EditHeader(const std::string& contestantCall) {
    callsign = contestantCall;
    fileBaseName = cabrilloFileBaseName(contestantCall);
    return true;
}
