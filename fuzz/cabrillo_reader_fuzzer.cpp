// Fuzzes the Cabrillo reader with any bytes: it never crashes, hangs or
// throws, every contact and problem is located on a line of the text, QSO
// records are numbered in file order, and every message stays short.
// scripts/test runs it for a while under AddressSanitizer and
// UndefinedBehaviorSanitizer, from the seeds in fuzz/corpus/cabrillo.
#include <string_view>

#include "fuzz_checks.h"
#include "logfile/cabrillo_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t lines = lineCount(text);
    const CabrilloLog log = readCabrillo(text);
    size_t previousRecord = 0;
    for (const LogContact& contact : log.contacts) {
        require(contact.line >= 1 && contact.line <= lines);
        require(contact.record > previousRecord);
        require(!contact.call.empty() && !contact.mode.empty() && !contact.exchangeReceived.empty());
        previousRecord = contact.record;
    }
    for (const LogProblem& problem : log.problems) {
        require(problem.line <= lines);
        require(problem.text.size() < 1024);
    }
    for (const CabrilloTag& tag : log.header) {
        require(tag.line >= 1 && tag.line <= lines && !tag.name.empty());
    }
    require(log.contacts.size() + log.ignoredQsoLines <= lines);
    return 0;
}
