// The Cabrillo reader: the plug-in's own files, files as other loggers write
// them, and every malformed line reported with its line number.
#include "logfile/cabrillo_reader.h"

#include <gtest/gtest.h>

#include "engine/date_time.h"
#include "logfile/adif_contact.h"
#include "problem_text.h"
#include "support/files.h"
#include "support/test_names.h"

using torv::calendar::oleDateFromCalendar;
using torv::logfile::CabrilloLog;
using torv::logfile::contactFromQsoFields;
using torv::logfile::FieldError;
using torv::logfile::LogContact;
using torv::logfile::readCabrillo;

namespace {

TEST(CabrilloReader, ReadsThePluginsOwnFile) {
    const std::string text = readFile(testDataPath("golden/sample.cbr"));
    ASSERT_FALSE(text.empty());
    const CabrilloLog log = readCabrillo(text);
    EXPECT_EQ(problemText(log.problems), "");
    ASSERT_NE(log.tag("CALLSIGN"), nullptr);
    EXPECT_EQ(*log.tag("CALLSIGN"), "PY2ZZ");
    EXPECT_EQ(*log.tag("CLAIMED-SCORE"), "37975");
    EXPECT_EQ(*log.tag("LOCATION"), "") << "an empty field is still a tag";
    size_t qsoLines = 0;
    for (size_t at = text.find("\r\nQSO: "); at != std::string::npos; at = text.find("\r\nQSO: ", at + 1)) {
        ++qsoLines;
    }
    ASSERT_EQ(log.contacts.size(), qsoLines);

    // QSO: 21273 PH 2015-09-12 1214 PY2ZZ         59  SP     ZV9TRR        59  DF
    const LogContact& first = log.contacts.front();
    EXPECT_EQ(first.frequency, 21273000u);
    EXPECT_EQ(first.band, "15m");
    EXPECT_EQ(first.mode, "SSB");
    EXPECT_EQ(first.oleDate, oleDateFromCalendar(2015, 9, 12, 12, 14, 0));
    EXPECT_EQ(first.ownCall, "PY2ZZ");
    EXPECT_EQ(first.rstSent, "59");
    EXPECT_EQ(first.exchangeSent, "SP");
    EXPECT_EQ(first.call, "ZV9TRR");
    EXPECT_EQ(first.rstReceived, "59");
    EXPECT_EQ(first.exchangeReceived, "DF");
    EXPECT_EQ(first.prefix, "PY");
    EXPECT_EQ(first.line, 18u);
    EXPECT_EQ(first.record, 1u);
    EXPECT_EQ(log.contacts.back().record, qsoLines);
}

// A log as another logger writes it: LF only, tags in lower case and in
// another order, tags the plug-in does not know, blank lines, trailing
// blanks, repeated OPERATORS, ADDRESS and SOAPBOX lines, X-QSO lines, a
// transmitter column, a VHF band designator, text after the end.
const char* const kOtherLogger =
    "START-OF-LOG: 3.0\n"
    "Created-By: Other Logger 5.1   \n"
    "callsign: PY2ZZ\n"
    "CONTEST: TORV\n"
    "CATEGORY-POWER: LOW\n"
    "X-CUSTOM: whatever: with colons\n"
    "OPERATORS: PY2ZZ PY2YY\n"
    "OPERATORS: PY2XX\n"
    "ADDRESS: Rua 1\n"
    "ADDRESS: Sao Paulo\n"
    "SOAPBOX: first\n"
    "\n"
    "SOAPBOX: second\n"
    "QSO:  7025 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 RJ\n"
    "qso: 14025 cw 2015-09-12 1215 PY2ZZ 599 SP PY0FX 599 PE   \n"
    "X-QSO: 14030 CW 2015-09-12 1216 PY2ZZ 599 SP PY3CC 599 RS\n"
    "QSO: 28500 PH 2015-09-13 2359 PY2ZZ 59  SP K1ABC 59  DX 1\n"
    "QSO:    50 FM 2015-09-13 0000 PY2ZZ 59  SP PY4DD 59  MG\n"
    "QSO:  3525 RY 2015-09-13 0001 PY2ZZ 599 SP PY5EE 599 PR\n"
    "QSO:  3526 DG 2015-09-13 0002 PY2ZZ 599 SP PY5EF 599 PR\n"
    "END-OF-LOG:\n"
    "Sent with Other Logger\n";

TEST(CabrilloReader, ReadsFilesAsOtherLoggersWriteThem) {
    const CabrilloLog log = readCabrillo(kOtherLogger);
    EXPECT_EQ(problemText(log.problems), "warning line 22: text after END-OF-LOG: is ignored\n");
    EXPECT_EQ(*log.tag("CALLSIGN"), "PY2ZZ");
    EXPECT_EQ(*log.tag("CREATED-BY"), "Other Logger 5.1");
    EXPECT_EQ(*log.tag("CATEGORY-POWER"), "LOW");
    EXPECT_EQ(*log.tag("X-CUSTOM"), "whatever: with colons");
    EXPECT_EQ(*log.tag("OPERATORS"), "PY2ZZ PY2YY PY2XX");
    EXPECT_EQ(*log.tag("ADDRESS"), "Rua 1\nSao Paulo");
    EXPECT_EQ(*log.tag("SOAPBOX"), "first\nsecond");
    EXPECT_EQ(log.tag("NAME"), nullptr);
    EXPECT_EQ(log.ignoredQsoLines, 1u);

    ASSERT_EQ(log.contacts.size(), 6u);
    EXPECT_EQ(log.contacts[0].band, "40m");
    EXPECT_EQ(log.contacts[1].mode, "CW");
    EXPECT_EQ(log.contacts[1].exchangeReceived, "PE");
    EXPECT_EQ(log.contacts[1].prefix, "PY0F");
    EXPECT_EQ(log.contacts[1].line, 15u);
    EXPECT_EQ(log.contacts[2].record, 3u) << "QSO lines are counted, X-QSO lines are not";
    EXPECT_EQ(log.contacts[2].mode, "SSB");
    EXPECT_EQ(log.contacts[2].prefix, "K1");
    EXPECT_EQ(log.contacts[2].oleDate, oleDateFromCalendar(2015, 9, 13, 23, 59, 0));
    EXPECT_EQ(log.contacts[3].frequency, 50000000u) << "a band designator";
    EXPECT_EQ(log.contacts[3].band, "6m");
    EXPECT_EQ(log.contacts[3].mode, "FM");
    EXPECT_EQ(log.contacts[4].mode, "RTTY");
    EXPECT_EQ(log.contacts[5].mode, "DIGI");
}

TEST(CabrilloReader, CrLfAndLfReadAlike) {
    std::string crLf;
    for (const char* c = kOtherLogger; *c != '\0'; ++c) {
        crLf += *c == '\n' ? std::string("\r\n") : std::string(1, *c);
    }
    const CabrilloLog lf = readCabrillo(kOtherLogger), crlf = readCabrillo(crLf);
    ASSERT_EQ(lf.contacts.size(), crlf.contacts.size());
    for (size_t i = 0; i < lf.contacts.size(); ++i) {
        EXPECT_EQ(lf.contacts[i].exchangeReceived, crlf.contacts[i].exchangeReceived);
        EXPECT_EQ(lf.contacts[i].line, crlf.contacts[i].line);
    }
    EXPECT_EQ(problemText(lf.problems), problemText(crlf.problems));
}

TEST(CabrilloReader, ALogWithoutStartIsReadWithAWarning) {
    const CabrilloLog log = readCabrillo("QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 RJ\r\n");
    EXPECT_EQ(problemText(log.problems), "warning no START-OF-LOG: line\n");
    EXPECT_EQ(log.contacts.size(), 1u);
}

struct BadLine {
    const char* description;
    std::string line;
    std::string problem;  // as reported for line 3, record 1
};

class CabrilloBadLine : public ::testing::TestWithParam<BadLine> {};

TEST_P(CabrilloBadLine, IsSkippedWithItsLineNumber) {
    const std::string good = "QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 RJ\n";
    const CabrilloLog log =
        readCabrillo("START-OF-LOG: 3.0\nCALLSIGN: PY2ZZ\n" + GetParam().line + "\n" + good + "END-OF-LOG:\n");
    EXPECT_EQ(problemText(log.problems), "skipped " + GetParam().problem + "\n");
    ASSERT_EQ(log.contacts.size(), 1u) << "the good line after it is read";
    EXPECT_EQ(log.contacts[0].line, 4u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CabrilloBadLine,
    ::testing::Values(
        BadLine{"too few fields", "QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599",
                "line 3: 1 of 2 QSO lines has 9 fields; TORV's layout has 10 or 11 (call, report and exchange "
                "each side)"},
        BadLine{"an empty exchange", "QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599    ",
                "line 3: 1 of 2 QSO lines has 9 fields; TORV's layout has 10 or 11 (call, report and exchange "
                "each side)"},
        BadLine{"a field too many", "QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 SP 001 PY1AA 599 RJ",
                "line 3, record 1: eleventh field \"RJ\" is no transmitter: a QSO line has 10 fields "
                "(call, report and exchange each side), or 11 with the transmitter"},
        BadLine{"a transmitter too long for one", "QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 RJ 1234",
                "line 3, record 1: eleventh field \"1234\" is no transmitter: a QSO line has 10 fields "
                "(call, report and exchange each side), or 11 with the transmitter"},
        BadLine{"another contest's layout", "QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 001 SP PY1AA 599 002 RJ",
                "line 3: 1 of 2 QSO lines has 12 fields; TORV's layout has 10 or 11 (call, report and exchange "
                "each side)"},
        BadLine{"a frequency in MHz", "QSO: 7.025.1 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 RJ",
                "line 3, record 1: frequency \"7.025.1\" is not a number of kHz"},
        BadLine{"an unknown mode", "QSO: 7025 SSB 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 RJ",
                "line 3, record 1: mode \"SSB\" is none of CW, PH, FM, RY, DG"},
        BadLine{"a date the other way round", "QSO: 7025 CW 12-09-2015 1214 PY2ZZ 599 SP PY1AA 599 RJ",
                "line 3, record 1: date \"12-09-2015\" is not a date (YYYY-MM-DD)"},
        BadLine{"an impossible date", "QSO: 7025 CW 2015-02-29 1214 PY2ZZ 599 SP PY1AA 599 RJ",
                "line 3, record 1: date \"2015-02-29\" is not a date (YYYY-MM-DD)"},
        BadLine{"a time with a colon", "QSO: 7025 CW 2015-09-12 12:14 PY2ZZ 599 SP PY1AA 599 RJ",
                "line 3, record 1: time \"12:14\" is not a time of day (HHMM)"},
        BadLine{"an impossible time", "QSO: 7025 CW 2015-09-12 2460 PY2ZZ 599 SP PY1AA 599 RJ",
                "line 3, record 1: time \"2460\" is not a time of day (HHMM)"},
        BadLine{"a line that is no tag", "7025 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 RJ",
                "line 3: neither a tag (NAME: value) nor a QSO line: line \"7025 CW 2015-09-12 1214 PY2ZZ 599 SP "
                "PY1...\" is ignored"}),
    [](const ::testing::TestParamInfo<BadLine>& testCase) { return testName(testCase.param.description); });

TEST(CabrilloReader, AFrequencyInNoBandIsAWarning) {
    const CabrilloLog log = readCabrillo("START-OF-LOG: 3.0\nQSO: 8000 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 RJ\n");
    EXPECT_EQ(problemText(log.problems), "warning line 2, record 1: frequency \"8000\" kHz is in no amateur band\n");
    ASSERT_EQ(log.contacts.size(), 1u);
    EXPECT_EQ(log.contacts[0].band, "");
}

TEST(CabrilloReader, QsoFieldsAlone) {
    const LogContact c = contactFromQsoFields(" 14025.5 ph 2016-02-29 0000 PY2ZZ 59 SP PY0TQ 59 xx ");
    EXPECT_EQ(c.frequency, 14025500u);
    EXPECT_EQ(c.mode, "SSB");
    EXPECT_EQ(c.prefix, "PY0T");
    EXPECT_EQ(c.exchangeReceived, "xx");
    EXPECT_THROW(contactFromQsoFields(""), FieldError);
}

}  // namespace
