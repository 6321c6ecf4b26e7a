// Logs from public repositories (tests/logfile/real, each file's source and
// licence in SOURCES.md there) read against golden files: what the readers
// make of every header, contact, unreadable line and message. After a
// deliberate change, STATS_UPDATE_GOLDEN=1 rewrites the golden files.
#include <gtest/gtest.h>

#include "engine/date_time.h"
#include "logfile/log_file.h"
#include "problem_text.h"
#include "support/files.h"
#include "support/test_names.h"

using torv::abi::kDateTimeValid;
using torv::engine::formatDateTime;
using torv::logfile::CabrilloTag;
using torv::logfile::formatName;
using torv::logfile::LogContact;
using torv::logfile::LogFile;
using torv::logfile::readLog;
using torv::logfile::UnreadableRecord;

namespace {

std::string timeText(double oleDate) {
    return formatDateTime({oleDate, kDateTimeValid}, "%Y-%m-%d %H:%M");
}

// One line per fact, in file order.
std::string readingOf(const LogFile& log) {
    std::string text = std::string("format ") + formatName(log.format) + ", station " + log.stationCall + ", " +
                       std::to_string(log.contacts.size()) + " contacts, " + std::to_string(log.unreadable.size()) +
                       " unreadable\n";
    for (const CabrilloTag& tag : log.cabrilloHeader) {
        if (tag.name.rfind("CATEGORY", 0) == 0 || tag.name == "CALLSIGN" || tag.name == "NAME") {
            text += "header " + tag.name + "=" + tag.value + "\n";
        }
    }
    for (const LogContact& c : log.contacts) {
        text += "line " + std::to_string(c.line) + ", record " + std::to_string(c.record) + ": " + c.ownCall + " > " +
                c.call + " (" + c.prefix + ") " + std::to_string(c.frequency) + " Hz " + c.band + " " + c.mode + " " +
                timeText(c.oleDate) + " sent [" + c.rstSent + "][" + c.exchangeSent + "] received [" + c.rstReceived +
                "][" + c.exchangeReceived + "] transmitter [" + c.transmitter + "]\n";
    }
    for (const UnreadableRecord& u : log.unreadable) {
        text += "unreadable line " + std::to_string(u.line) + ", record " + std::to_string(u.record) + ": call [" +
                u.call + "] at [" + (u.oleDate ? timeText(*u.oleDate) : std::string()) + "]: " + u.reason() + "\n";
    }
    return text + problemText(log.problems);
}

class RealLog : public ::testing::TestWithParam<const char*> {};

TEST_P(RealLog, ReadsAsItsGoldenFileSays) {
    const std::string name = std::string("logfile/real/") + GetParam();
    const std::string bytes = readFile(testDataPath(name));
    ASSERT_FALSE(bytes.empty()) << name;
    EXPECT_TRUE(matchesGolden(readingOf(readLog(bytes)), name + ".golden"));
}

INSTANTIATE_TEST_SUITE_P(Corpus, RealLog,
                         ::testing::Values("CQWPX.log", "CQWPX_bad_style.log", "GB0WR.log", "I44Z.log", "iaru.log",
                                           "LAQP.log", "YARC.log", "goodfile.adi", "toomuchheadersfile.adi",
                                           "latin1file.adi", "YARC-utf16.log", "nbsp.cbr", "empty-column.cbr",
                                           "cabrillo2-category.log"),
                         [](const ::testing::TestParamInfo<const char*>& testCase) {
                             return testName(testCase.param);
                         });

// The same log in UTF-16 and in UTF-8 reads alike.
TEST(RealLogs, Utf16ReadsAsUtf8) {
    EXPECT_EQ(readingOf(readLog(readFile(testDataPath("logfile/real/YARC-utf16.log")))),
              readingOf(readLog(readFile(testDataPath("logfile/real/YARC.log")))));
}

}  // namespace
