// Fuzzes the ADIF reader with any bytes: it never crashes or hangs, every
// record it keeps or skips is located inside the text, records keep their
// file order, and the recovering parse keeps what the strict one accepts;
// the same bytes in UTF-16 read alike (readLogEveryWay).
// scripts/test runs it for a while under AddressSanitizer and
// UndefinedBehaviorSanitizer, from the seeds in fuzz/corpus/adif.
#include <string_view>

#include "fuzz_checks.h"
#include "log_reading.h"
#include "logfile/adif.h"

using torv::logfile::AdifError;
using torv::logfile::AdifField;
using torv::logfile::AdifFile;
using torv::logfile::AdifRecord;
using torv::logfile::AdifRecovery;
using torv::logfile::parseAdif;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t lines = lineCount(text);
    try {
        const AdifFile file = parseAdif(text, AdifRecovery::kSkipRecords);
        size_t previous = 0;
        size_t previousLine = 0;
        for (const AdifRecord& record : file.records) {
            require(record.number > previous);
            require(record.offset < size);
            require(record.line >= 1 && record.line <= lines && record.line >= previousLine);
            size_t valueBytes = 0;
            for (const AdifField& field : record.fields) {
                valueBytes += field.value.size();
            }
            require(valueBytes <= size);
            previous = record.number;
            previousLine = record.line;
        }
        for (const AdifError& error : file.skipped) {
            require(error.line() >= 1 && error.line() <= lines);
            require(error.byteOffset() <= size);
        }
        if (file.skipped.empty()) {
            // Without a problem, the strict parse reads the same records.
            require(parseAdif(text).records.size() == file.records.size());
        }
    } catch (const AdifError& error) {
        require(error.recordNumber() == 0);  // only a header without <EOH> stops the recovering parse
    }
    readLogEveryWay(text);
    return 0;
}
