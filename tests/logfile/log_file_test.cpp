// A log of either format, recognised by its content: skipped records and
// warnings in file order with their lines, the station's call, ADX refused.
#include "logfile/log_file.h"

#include "logfile/adif.h"

#include <gtest/gtest.h>

#include "problem_text.h"
#include "support/files.h"
#include "support/temp_folder.h"
#include "support/test_names.h"

namespace {

struct FormatCase {
    const char* description;
    std::string text;
    LogFormat format;
};

class LogFormatOf : public ::testing::TestWithParam<FormatCase> {};

TEST_P(LogFormatOf, ComesFromTheContent) {
    EXPECT_EQ(detectLogFormat(GetParam().text), GetParam().format);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LogFormatOf,
    ::testing::Values(FormatCase{"ADIF with a header", "Made up\n<EOH>\n<CALL:5>PY1AA<EOR>\n", LogFormat::kAdif},
                      FormatCase{"ADIF without a header", "<CALL:5>PY1AA<eor>", LogFormat::kAdif},
                      FormatCase{"ADIF whose header mentions QSO lines", "QSO: lines follow\n<EOH><CALL:5>PY1AA<EOR>",
                                 LogFormat::kAdif},
                      FormatCase{"Cabrillo", "START-OF-LOG: 3.0\r\nEND-OF-LOG:\r\n", LogFormat::kCabrillo},
                      FormatCase{"Cabrillo after blanks and a byte-order mark, in lower case",
                                 "\xEF\xBB\xBF\n  start-of-log: 3.0\n", LogFormat::kCabrillo},
                      FormatCase{"Cabrillo without its first line",
                                 "CALLSIGN: PY2ZZ\nQSO: 7025 CW 2015-09-12 1214 a 599 SP b 599 RJ\n",
                                 LogFormat::kCabrillo},
                      FormatCase{"an empty file", "", LogFormat::kAdif}),
    [](const ::testing::TestParamInfo<FormatCase>& testCase) { return testName(testCase.param.description); });

TEST(LogFile, AdxIsRefusedByName) {
    for (const char* text : {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ADX><HEADER/></ADX>", "  <ADX>\n</ADX>"}) {
        try {
            detectLogFormat(text);
            FAIL() << "no error for " << text;
        } catch (const LogFileError& error) {
            EXPECT_NE(std::string(error.what()).find("ADX, the XML form of ADIF"), std::string::npos) << error.what();
        }
    }
}

TEST(LogFile, AdifRecordsThatCannotBeReadAreSkippedInFileOrder) {
    const std::string text =
        "Made up\n<EOH>\n"
        "<CALL:5>PY1AA<QSO_DATE:8>20150912<TIME_ON:4>0930<BAND:3>40m<STATION_CALLSIGN:5>PY2ZZ<EOR>\n"  // line 3
        "<CALL:5>PY1AB<QSO_DATE:8>20150931<TIME_ON:4>0930<EOR>\n"                                      // 4: bad date
        "<CALL:5>PY1AC<BAND:x>40m<EOR>\n"                                                              // 5: bad tag
        "<CALL:5>PY1AD<QSO_DATE:8>20150912<TIME_ON:4>0931<BAND:3>80m<FREQ:5>7.025<EOR>\n"              // 6: warning
        "<CALL:5>PY1AE\n<QSO_DATE:8>20150912<TIME_ON:4>0932<BAND:3>20m<EOR>\n"                         // 7
        "<CALL:5>PY1AF<QSO_DATE:99>20150912<EOR>\n";                                                   // 9: past end
    const LogFile log = readLog(text);
    EXPECT_EQ(log.format, LogFormat::kAdif);
    EXPECT_EQ(log.stationCall, "PY2ZZ");
    EXPECT_EQ(problemText(log.problems),
              "skipped line 4, record 2: QSO_DATE \"20150931\" is not a date (YYYYMMDD)\n"
              "skipped line 5, record 3: the length of field BAND is not a number: \"x\"\n"
              "warning line 6, record 4: BAND \"80m\" disagrees with FREQ \"7.025\": the band is kept\n"
              "skipped line 9, record 6: the value of field QSO_DATE (99 bytes) runs past the end of the file\n");
    ASSERT_EQ(log.contacts.size(), 3u);
    EXPECT_EQ(log.contacts[0].call, "PY1AA");
    EXPECT_EQ(log.contacts[0].line, 3u);
    EXPECT_EQ(log.contacts[1].call, "PY1AD");
    EXPECT_EQ(log.contacts[1].record, 4u);
    EXPECT_EQ(log.contacts[2].call, "PY1AE");
    EXPECT_EQ(log.contacts[2].line, 7u);
    EXPECT_EQ(log.contacts[2].record, 5u);
}

TEST(LogFile, TheStationCallOfAdifFallsBackToTheOperator) {
    const LogFile log = readLog("<CALL:5>PY1AA<OPERATOR:6> PY2YY<EOR>");
    EXPECT_EQ(log.stationCall, "PY2YY");
    EXPECT_EQ(problemText(log.problems), "skipped line 1, record 1: no QSO_DATE\n");
}

TEST(LogFile, AnAdifHeaderWithoutEndCannotBeRead) {
    EXPECT_THROW(readLog("Made up log\n<CALL:5>PY1AA<EOR>"), LogFileError);
}

TEST(LogFile, CabrilloKeepsItsHeaderAndCallsign) {
    const LogFile log = readLog(
        "START-OF-LOG: 3.0\nCALLSIGN: PY2ZZ\nQSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 RJ\nEND-OF-LOG:\n");
    EXPECT_EQ(log.format, LogFormat::kCabrillo);
    EXPECT_EQ(log.stationCall, "PY2ZZ");
    EXPECT_EQ(log.cabrilloHeader.size(), 2u);
    EXPECT_EQ(log.contacts.size(), 1u);
}

TEST(LogFile, AMissingFileSaysWhichAndWhy) {
    TempFolder folder;
    const std::string path = folder.file("nothing.adi");
    try {
        readLogBytes(path);
        FAIL() << "no error";
    } catch (const LogFileError& error) {
        EXPECT_EQ(std::string(error.what()), "cannot read " + path + ": No such file or directory");
    }
    writeFile(path, std::string("a\0b", 3));
    EXPECT_EQ(readLogBytes(path), std::string("a\0b", 3));
}

TEST(LogFile, LineCounterGoesForwardAndBack) {
    LineCounter lines("a\nb\r\nc\n");
    EXPECT_EQ(lines.lineAt(0), 1u);
    EXPECT_EQ(lines.lineAt(2), 2u);
    EXPECT_EQ(lines.lineAt(5), 3u);
    EXPECT_EQ(lines.lineAt(1), 1u);
    EXPECT_EQ(lines.lineAt(100), 4u);
}

}  // namespace
