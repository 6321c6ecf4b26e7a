// Fuzzes the Cabrillo reader with any bytes: it never crashes, hangs or
// throws, every contact and problem is located on a line of the text, QSO
// records are numbered in file order (lines read by their columns
// included), each QSO line is read or listed unreadable, messages stay few
// and short; the same bytes in UTF-16 read alike (readLogEveryWay).
// scripts/test runs it for a while under AddressSanitizer and
// UndefinedBehaviorSanitizer, from the seeds in fuzz/corpus/cabrillo.
#include <string_view>

#include "fuzz_checks.h"
#include "log_reading.h"
#include "logfile/cabrillo_reader.h"

using torv::logfile::CabrilloLog;
using torv::logfile::CabrilloTag;
using torv::logfile::LogContact;
using torv::logfile::LogProblem;
using torv::logfile::LogProblems;
using torv::logfile::readCabrillo;
using torv::logfile::UnreadableRecord;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t lines = lineCount(text);
    const CabrilloLog log = readCabrillo(text);
    size_t previousRecord = 0;
    for (const LogContact& contact : log.contacts) {
        require(contact.line >= 1 && contact.line <= lines);
        require(contact.record > previousRecord);
        require(!contact.call.empty() && !contact.ownCall.empty() && !contact.mode.empty());
        previousRecord = contact.record;
    }
    previousRecord = 0;
    for (const UnreadableRecord& record : log.unreadable) {
        require(record.line >= 1 && record.line <= lines && record.record > previousRecord);
        previousRecord = record.record;
    }
    require(log.contacts.size() + log.unreadable.size() == log.qsoLines);
    require(log.problems.shown.size() <= LogProblems::kShown);
    for (const LogProblem& problem : log.problems.shown) {
        require(problem.line <= lines);
        require(problem.text.size() < 1024);
    }
    for (const CabrilloTag& tag : log.header) {
        require(tag.line >= 1 && tag.line <= lines && !tag.name.empty());
    }
    require(log.qsoLines + log.ignoredQsoLines <= lines);
    readLogEveryWay(text);
    return 0;
}
