// Cabrillo as contest loggers really write it: other blanks, tags with
// blanks before the colon, the 2.0 CATEGORY line, a transmitter column,
// blank columns of fixed-width lines, other contests' layouts, and a
// bounded number of messages whatever the file holds.
#include <gtest/gtest.h>

#include <clocale>

#include "logfile/cabrillo_reader.h"
#include "logfile/text.h"
#include "problem_text.h"
#include "support/test_names.h"

using torv::calendar::isAsciiLetter;
using torv::calendar::lowerCase;
using torv::calendar::upperCase;
using torv::logfile::blankSeparated;
using torv::logfile::CabrilloLog;
using torv::logfile::LogContact;
using torv::logfile::LogProblems;
using torv::logfile::readCabrillo;
using torv::logfile::trimmedOfBlanks;

namespace {

const std::string kHead = "START-OF-LOG: 3.0\nCALLSIGN: PY2ZZ\n";

// The fields of a contact, joined by '|', as the tables below write them.
std::string fieldsOf(const LogContact& c) {
    return c.call + "|" + c.rstSent + "|" + c.exchangeSent + "|" + c.rstReceived + "|" + c.exchangeReceived + "|" +
           c.transmitter;
}

struct QsoCase {
    const char* description;
    std::string qsoLine;
    std::string fields;  // fieldsOf the contact read; "" when the line is skipped
};

class QsoLineAsWritten : public ::testing::TestWithParam<QsoCase> {};

TEST_P(QsoLineAsWritten, IsReadAsTheLoggerMeantIt) {
    const CabrilloLog log = readCabrillo(kHead + GetParam().qsoLine + "\nEND-OF-LOG:\n");
    if (GetParam().fields.empty()) {
        EXPECT_TRUE(log.contacts.empty());
        ASSERT_EQ(log.unreadable.size(), 1u);
        return;
    }
    ASSERT_EQ(log.contacts.size(), 1u) << problemText(log.problems);
    EXPECT_EQ(fieldsOf(log.contacts[0]), GetParam().fields);
    EXPECT_EQ(log.contacts[0].band, "40m");
}

INSTANTIATE_TEST_SUITE_P(
    Table, QsoLineAsWritten,
    ::testing::Values(
        QsoCase{"non-breaking spaces of a code page",
                "QSO:\xA0"
                "7025\xA0"
                "CW 2015-09-12 1214 PY2ZZ\xA0\xA0"
                "599 SP PY1AA 599 RJ",
                "PY1AA|599|SP|599|RJ|"},
        QsoCase{"non-breaking spaces in UTF-8",
                "QSO: 7025\xC2\xA0"
                "CW\xC2\xA0\xC2\xA0"
                "2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 RJ\xC2\xA0",
                "PY1AA|599|SP|599|RJ|"},
        QsoCase{"a letter whose UTF-8 ends in A0 is no blank",
                "QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 R\xC3\xA0", "PY1AA|599|SP|599|R\xC3\xA0|"},
        QsoCase{"tabs", "QSO:\t7025\tCW\t2015-09-12\t1214\tPY2ZZ\t599\tSP\tPY1AA\t599\tRJ", "PY1AA|599|SP|599|RJ|"},
        QsoCase{"transmitter 0", "QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 RJ 0", "PY1AA|599|SP|599|RJ|0"},
        QsoCase{"transmitter 2", "QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 RJ 2", "PY1AA|599|SP|599|RJ|2"},
        QsoCase{"transmitter 12", "QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 RJ 12",
                "PY1AA|599|SP|599|RJ|12"},
        QsoCase{"a letter as transmitter", "QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 RJ A",
                "PY1AA|599|SP|599|RJ|A"},
        QsoCase{"an exchange in two words is no transmitter",
                "QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 SP 001 PY1AA 599 RJ", ""},
        QsoCase{"the template's columns with the reports blank",
                "QSO:  7025 CW 2015-09-12 1214 PY2ZZ             SP     PY1AA             RJ", "PY1AA||SP||RJ|"},
        QsoCase{"the template's columns with the received exchange blank",
                "QSO:  7025 CW 2015-09-12 1214 PY2ZZ         599 SP     PY1AA         599", "PY1AA|599|SP|599||"},
        QsoCase{"a short line off the template's columns", "QSO: 7025 CW 2015-09-12 1214 PY2ZZ SP PY1AA 599 RJ", ""},
        QsoCase{"the template's columns with a call blank",
                "QSO:  7025 CW 2015-09-12 1214 PY2ZZ         599 SP                   599 RJ", ""}),
    [](const ::testing::TestParamInfo<QsoCase>& testCase) { return testName(testCase.param.description); });

TEST(CabrilloHeader, TagsWithBlanksBeforeTheColonAndValuesTrimmedOfAnyBlank) {
    const CabrilloLog log = readCabrillo(
        "START-OF-LOG: 3.0\nContest  : TORV\nCallsign :\xC2\xA0PY2ZZ\xA0\nName     : Ana Silva\n"
        "Soap box: two words are no tag\n");
    EXPECT_EQ(*log.tag("CONTEST"), "TORV");
    EXPECT_EQ(*log.tag("CALLSIGN"), "PY2ZZ");
    EXPECT_EQ(*log.tag("NAME"), "Ana Silva");
    EXPECT_EQ(problemText(log.problems),
              "skipped line 5: neither a tag (NAME: value) nor a QSO line: line \"Soap box: two words are no tag\" "
              "is ignored\n");
}

struct CategoryCase {
    const char* description;
    std::string header;    // tag lines after START-OF-LOG
    std::string expected;  // the four 3.0 tags, "OPERATOR BAND POWER MODE", "-" for none
    std::string problems;
};

class Cabrillo2Category : public ::testing::TestWithParam<CategoryCase> {};

TEST_P(Cabrillo2Category, FillsTheAbsentTagsWordByWord) {
    const CabrilloLog log = readCabrillo("START-OF-LOG: 2.0\n" + GetParam().header);
    std::string tags;
    for (const char* name : {"CATEGORY-OPERATOR", "CATEGORY-BAND", "CATEGORY-POWER", "CATEGORY-MODE"}) {
        const std::string* value = log.tag(name);
        tags += (tags.empty() ? "" : " ") + (value != nullptr ? *value : std::string("-"));
    }
    EXPECT_EQ(tags, GetParam().expected);
    EXPECT_EQ(problemText(log.problems), GetParam().problems);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Cabrillo2Category,
    ::testing::Values(
        CategoryCase{"single operator all bands", "CATEGORY: SINGLE-OP ALL LOW MIXED\n", "SINGLE-OP ALL LOW MIXED", ""},
        CategoryCase{"short forms in lower case", "CATEGORY: mo 40m high ph\n", "MULTI-OP 40M HIGH SSB", ""},
        CategoryCase{"a check log", "CATEGORY: CHECKLOG\n", "CHECKLOG - - -", ""},
        CategoryCase{"so with qrp cw", "CATEGORY: SO 15M QRP CW\n", "SINGLE-OP 15M QRP CW", ""},
        CategoryCase{"a 3.0 tag wins", "CATEGORY-POWER: LOW\nCATEGORY: SO ALL HIGH SSB\n", "SINGLE-OP ALL LOW SSB", ""},
        CategoryCase{"an unknown word is reported", "CATEGORY: SINGLE-OP ALL ROOKIE LOW\n", "SINGLE-OP ALL LOW -",
                     "warning line 2: CATEGORY word \"ROOKIE\" is not known: it stays in CATEGORY alone\n"}),
    [](const ::testing::TestParamInfo<CategoryCase>& testCase) { return testName(testCase.param.description); });

TEST(CabrilloCategory, TheUnknownWordStaysInCategory) {
    const CabrilloLog log = readCabrillo("START-OF-LOG: 2.0\nCATEGORY: SINGLE-OP ROOKIE\n");
    EXPECT_EQ(*log.tag("CATEGORY"), "SINGLE-OP ROOKIE");
}

// A fixed-width log as a logger writes it: its own columns, a wider sent
// exchange than the template's.
std::string fixedWidthLine(const std::string& call, const std::string& sentExchange, const std::string& received) {
    std::string line = "QSO:  7025 CW 2015-09-12 1214 PY2ZZ      599 " + sentExchange;
    line.resize(53, ' ');
    line += " " + call;
    line.resize(67, ' ');
    return line + " 599 " + received;
}

std::string fixedWidthLog(size_t fullLines, const std::string& shortLine) {
    std::string text = kHead;
    for (size_t i = 0; i < fullLines; ++i) {
        text += fixedWidthLine("PY1A" + std::string(1, static_cast<char>('A' + i)), "SP", "RJ") + "\n";
    }
    return text + shortLine + "\nEND-OF-LOG:\n";
}

TEST(CabrilloColumns, AShortLineIsReadByTheColumnsOfFiveFullOnes) {
    const CabrilloLog log = readCabrillo(fixedWidthLog(5, fixedWidthLine("PY1AZ", "", "RJ")));
    EXPECT_EQ(problemText(log.problems), "");
    ASSERT_EQ(log.contacts.size(), 6u);
    EXPECT_EQ(fieldsOf(log.contacts[5]), "PY1AZ|599||599|RJ|");
    EXPECT_EQ(log.contacts[5].line, 8u);
    EXPECT_EQ(log.contacts[5].record, 6u);
}

TEST(CabrilloColumns, AShortLineComesBackInFileOrder) {
    std::string text = fixedWidthLog(6, "");
    const std::string shortLine = fixedWidthLine("PY1AZ", "SP", "") + "\n";
    text.insert(text.find("QSO:"), shortLine);
    const CabrilloLog log = readCabrillo(text);
    ASSERT_EQ(log.contacts.size(), 7u) << problemText(log.problems);
    EXPECT_EQ(log.contacts[0].call, "PY1AZ");
    EXPECT_EQ(log.contacts[0].record, 1u);
    EXPECT_EQ(log.contacts[1].record, 2u);
}

TEST(CabrilloColumns, FourFullLinesTeachNoColumns) {
    const CabrilloLog log = readCabrillo(fixedWidthLog(4, fixedWidthLine("PY1AZ", "", "RJ")));
    EXPECT_EQ(log.contacts.size(), 4u);
    EXPECT_EQ(problemText(log.problems),
              "skipped line 7: 1 of 5 QSO lines has 9 fields; TORV's layout has 10 or 11 (call, report and exchange "
              "each side)\n");
    ASSERT_EQ(log.unreadable.size(), 1u);
    EXPECT_EQ(log.unreadable[0].line, 7u);
    EXPECT_EQ(log.unreadable[0].record, 5u);
    EXPECT_TRUE(log.unreadable[0].oleDate.has_value()) << "the date and time are still read";
}

TEST(CabrilloQso, FrequencyZeroIsNoFrequency) {
    const CabrilloLog log =
        readCabrillo(kHead + "QSO:     0 CW 2015-09-12 1214 PY2ZZ         599 SP     PY1AA         599 RJ\n");
    ASSERT_EQ(log.contacts.size(), 1u);
    EXPECT_EQ(log.contacts[0].frequency, 0u);
    EXPECT_EQ(log.contacts[0].band, "");
    EXPECT_EQ(problemText(log.problems), "warning line 3, record 1: no frequency (0): the contact has no band\n");
}

TEST(CabrilloLayout, AnotherContestsLayoutIsOneMessagePerFieldCount) {
    std::string text = kHead;
    for (int i = 0; i < 300; ++i) {
        text += "QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 001 SP PY1AA 599 002 RJ\n";
    }
    text += "QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 001 SP PY1AA 599 002 RJ X Y\n";
    text += "QSO: 7025 CW 2015-09-12 1214 PY2ZZ 599 SP PY1AA 599 RJ\n";
    const CabrilloLog log = readCabrillo(text);
    EXPECT_EQ(problemText(log.problems),
              "skipped line 3: 300 of 302 QSO lines have 12 fields; TORV's layout has 10 or 11 (call, report and "
              "exchange each side)\n"
              "skipped line 303: 1 of 302 QSO lines has 14 fields; TORV's layout has 10 or 11 (call, report and "
              "exchange each side)\n");
    EXPECT_EQ(log.contacts.size(), 1u);
    ASSERT_EQ(log.unreadable.size(), 301u) << "every line stays listed";
    EXPECT_EQ(log.unreadable[0].reason(),
              "12 fields; TORV's layout has 10 or 11 (call, report and exchange each side)");
    EXPECT_EQ(log.unreadable[0].call, "") << "another layout's call is not guessed";
}

TEST(CabrilloMessages, AreBoundedPerFile) {
    std::string text = kHead;
    for (int i = 0; i < 30; ++i) {
        text += "QSO: 7025 CW 2015-02-30 1214 PY2ZZ 599 SP PY1AA 599 RJ\n";
    }
    const CabrilloLog log = readCabrillo(text);
    ASSERT_EQ(log.problems.shown.size(), LogProblems::kShown);
    EXPECT_EQ(log.problems.notShown, 10u);
    EXPECT_EQ(log.problems.shown.back().line, 22u) << "the first ones in file order";
    EXPECT_EQ(log.unreadable.size(), 30u);
    EXPECT_EQ(log.unreadable[29].call, "PY1AA");
    EXPECT_FALSE(log.unreadable[29].oleDate.has_value());
}

TEST(Blanks, SplitAndTrimAlike) {
    EXPECT_EQ(blankSeparated("\xA0 a\xC2\xA0"
                             "b\tc\xC3\xA0 "),
              (std::vector<std::string_view>{"a", "b", "c\xC3\xA0"}));
    EXPECT_EQ(trimmedOfBlanks("\xC2\xA0 x\xA0y \xA0\r\n"), "x\xA0y");
    EXPECT_EQ(trimmedOfBlanks("\xE2\x80\xA0"), "\xE2\x80\xA0") << "a dagger ends in A0 too";
    EXPECT_EQ(trimmedOfBlanks(" \xA0 "), "");
}

// The fold changes a to z and A to Z only, whatever the locale: a Latin-1
// or UTF-8 letter of a call or a tag stays byte for byte.
TEST(AsciiCase, FoldsOnlyTheAsciiLettersInAnyLocale) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        const bool lower = byte >= 'a' && byte <= 'z', upper = byte >= 'A' && byte <= 'Z';
        EXPECT_EQ(upperCase(std::string(1, c)), std::string(1, lower ? static_cast<char>(byte - 32) : c)) << byte;
        EXPECT_EQ(lowerCase(std::string(1, c)), std::string(1, upper ? static_cast<char>(byte + 32) : c)) << byte;
        EXPECT_EQ(isAsciiLetter(c), lower || upper) << byte;
    }
    std::setlocale(LC_CTYPE, "C");
    EXPECT_EQ(upperCase("py2\xC3\xa9x\xE9"), "PY2\xC3\xa9X\xE9");
}

}  // namespace
