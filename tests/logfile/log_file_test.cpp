// A log of either format, recognised by its content: skipped records and
// warnings in file order with their lines, the station's call, ADX refused.
#include "logfile/log_file.h"

#include "logfile/adif.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "problem_text.h"
#include "support/files.h"
#include "support/temp_folder.h"
#include "support/test_names.h"

using torv::logfile::decodedLogText;
using torv::logfile::detectLogFormat;
using torv::logfile::findCabrilloTag;
using torv::logfile::LineCounter;
using torv::logfile::LogFile;
using torv::logfile::LogFileError;
using torv::logfile::LogFormat;
using torv::logfile::readLog;
using torv::logfile::readLogBytes;

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
                                 LogFormat::kCabrillo}),
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

namespace {

const std::string kCabrilloLog =
    "START-OF-LOG: 3.0\r\nCALLSIGN: PY2ZZ\r\nNAME: Jo\xC3\xA3o\r\n"
    "QSO:  7025 CW 2015-09-12 1214 PY2ZZ         599 SP     PY1AA         599 RJ\r\nEND-OF-LOG:\r\n";

// The UTF-8 text (ASCII and two-byte sequences) in UTF-16 with its mark.
std::string utf16Of(const std::string& utf8, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (size_t i = 0; i < utf8.size(); ++i) {
        unsigned code = static_cast<unsigned char>(utf8[i]);
        if (code >= 0xC0) {
            code = ((code & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F);
        }
        const char high = static_cast<char>(code >> 8), low = static_cast<char>(code & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

TEST(LogFileUtf16, BothByteOrdersReadAsUtf8) {
    for (bool bigEndian : {false, true}) {
        const LogFile log = readLog(utf16Of(kCabrilloLog, bigEndian));
        EXPECT_EQ(log.format, LogFormat::kCabrillo);
        EXPECT_EQ(problemText(log.problems), "");
        EXPECT_EQ(*findCabrilloTag(log.cabrilloHeader, "NAME"), "Jo\xC3\xA3o");
        ASSERT_EQ(log.contacts.size(), 1u);
        EXPECT_EQ(log.contacts[0].exchangeReceived, "RJ");
        EXPECT_EQ(log.contacts[0].line, 4u);
    }
}

TEST(LogFileUtf16, CharactersBeyondTwoBytesAndBrokenUnits) {
    // A surrogate pair (U+1F4FB), a lone high surrogate, a last odd byte.
    EXPECT_EQ(decodedLogText(std::string("\xFF\xFE"
                                         "A\0\x3D\xD8\xFB\xDC\x3D\xD8"
                                         "B\0\x07",
                                         13)),
              "A\xF0\x9F\x93\xBB\xEF\xBF\xBD"
              "B\xEF\xBF\xBD");
    EXPECT_EQ(decodedLogText("Jo\xE3o"), "Jo\xE3o") << "8-bit text stays as its bytes";
    EXPECT_EQ(readLog("START-OF-LOG: 3.0\nNAME: Jo\xE3o\n").cabrilloHeader[0].value, "3.0");
    EXPECT_EQ(*findCabrilloTag(readLog("START-OF-LOG: 3.0\nNAME: Jo\xE3o\n").cabrilloHeader, "NAME"), "Jo\xE3o");
}

struct NotALog {
    const char* description;
    std::string bytes;
    std::string message;
};

class LogFileNotALog : public ::testing::TestWithParam<NotALog> {};

TEST_P(LogFileNotALog, IsNamedForWhatItIs) {
    try {
        readLog(GetParam().bytes);
        FAIL() << "read as a log";
    } catch (const LogFileError& error) {
        EXPECT_EQ(std::string(error.what()), GetParam().message);
    }
}

const char* const kNoLog = "not a contest log (neither ADIF nor Cabrillo)";

INSTANTIATE_TEST_SUITE_P(
    Table, LogFileNotALog,
    ::testing::Values(NotALog{"a program", "#include <stdio.h>\nint main(void) { return 0; }\n", kNoLog},
                      NotALog{"a CSV", "call,date,time\nPY1AA,2015-09-12,1214\n", kNoLog},
                      NotALog{"a README", "Logs of the TORV contest\n\nSend yours by mail.\n", kNoLog},
                      NotALog{"a page", "<!DOCTYPE html>\n<html><body>log</body></html>\n", kNoLog},
                      NotALog{"a UTF-16 list of calls", utf16Of("PY1AA\r\nPY2BB\r\n", false), kNoLog},
                      NotALog{"a tag without a name", "<:5>PY1AA and more text\n", kNoLog},
                      NotALog{"a tag without a length", "<CALL>PY1AA and more text\n", kNoLog},
                      NotALog{"an empty file", "", "empty"},
                      NotALog{"blanks alone", "\xEF\xBB\xBF \r\n\t\r\n", "empty"}),
    [](const ::testing::TestParamInfo<NotALog>& testCase) { return testName(testCase.param.description); });

const std::string kRecord =
    "<CALL:5>PY1AA<QSO_DATE:8>20150912<TIME_ON:4>1200<BAND:3>40m<STATION_CALLSIGN:5>PY2ZZ<EOR>\n";

// A file cut before its first <EOR> that starts with a field is still an
// ADIF log: the committee hears what is wrong with it in ADIF terms.
TEST(LogFileAdif, AFileCutInItsFirstRecordIsStillAdif) {
    const LogFile log = readLog("<CALL:5>PY1AA<QSO_DATE:8>20150912");
    EXPECT_EQ(log.format, LogFormat::kAdif);
    EXPECT_EQ(problemText(log.problems), "skipped line 1, record 1: no <EOR> closes the last record\n");
    EXPECT_TRUE(log.contacts.empty());
}

TEST(LogFileAdif, EndOfFileMarkAndEmptyRecordsAreNoRecords) {
    const LogFile ended = readLog("<ADIF_VER:5>3.1.0<EOH>\n" + kRecord + "<EOF>\n");
    EXPECT_EQ(problemText(ended.problems), "");
    EXPECT_EQ(ended.contacts.size(), 1u);

    std::string empties = kRecord;
    for (int i = 0; i < 100000; ++i) {
        empties += "<EOR>";
    }
    const LogFile log = readLog(empties + kRecord);
    EXPECT_EQ(problemText(log.problems), "warning 100000 <EOR>s close no field: passed over\n");
    EXPECT_EQ(log.contacts.size(), 2u);
    EXPECT_EQ(log.contacts[1].record, 2u);
    EXPECT_TRUE(log.unreadable.empty()) << "a record without any field gets no row";
}

TEST(LogFileAdif, ASecondHeaderIsSteppedOver) {
    const LogFile log =
        readLog("Export 1\n<ADIF_VER:5>3.1.0<EOH>\n" + kRecord +
                "Export 2\n<ADIF_VER:5>3.1.0 <PROGRAMID:4>Prog\n<EOH>\n" + kRecord + "<EOH>\n" + kRecord);
    EXPECT_EQ(problemText(log.problems),
              "warning line 5: a second header (ADIF_VER, PROGRAMID) is stepped over\n"
              "warning line 8: a second <EOH> is stepped over\n");
    ASSERT_EQ(log.contacts.size(), 3u);
    EXPECT_EQ(log.contacts[2].line, 9u);
}

TEST(LogFileAdif, WhatCanBeReadOfASkippedRecordIsKept) {
    const LogFile log = readLog(kRecord + "<CALL:5>PY1AB<QSO_DATE:8>20150931<TIME_ON:4>1200<EOR>\n" +
                                "<CALL:5>PY1AC<QSO_DATE:8>20150912<TIME_ON:4>1201<DXCC:1>x<EOR>\n<CALL:x>PY1AD<EOR>\n");
    ASSERT_EQ(log.unreadable.size(), 3u);
    EXPECT_EQ(log.unreadable[0].call, "PY1AB");
    EXPECT_EQ(log.unreadable[0].line, 2u);
    EXPECT_EQ(log.unreadable[0].reason(), "QSO_DATE \"20150931\" is not a date (YYYYMMDD)");
    EXPECT_FALSE(log.unreadable[0].oleDate.has_value());
    EXPECT_EQ(log.unreadable[1].call, "PY1AC");
    EXPECT_TRUE(log.unreadable[1].oleDate.has_value());
    EXPECT_EQ(log.unreadable[2].record, 4u);
    EXPECT_EQ(log.unreadable[2].call, "") << "a record whose tags cannot be read";
}

TEST(LogFile, ALinkToNothingSaysSo) {
    TempFolder folder;
    const std::string link = folder.file("gone.cbr");
    std::filesystem::create_symlink(folder.file("deleted.cbr"), link);
    try {
        readLogBytes(link);
        FAIL() << "no error";
    } catch (const LogFileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot read " + link + ": a link to " + folder.file("deleted.cbr") + ", which does not exist");
    }
}

}  // namespace
