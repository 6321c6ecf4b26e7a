// The simulator's ADIF reader: headers, records, lengths in bytes, and every
// kind of bad input located by record number and byte offset.
#include "logfile/adif.h"

#include <gtest/gtest.h>

#include "support/test_names.h"

using torv::logfile::AdifError;
using torv::logfile::AdifField;
using torv::logfile::AdifFile;
using torv::logfile::AdifRecord;
using torv::logfile::AdifRecovery;
using torv::logfile::parseAdif;

namespace {

struct GoodFile {
    const char* description;
    std::string text;
    std::string header;
    // Each record's fields as "NAME=value" joined by '|'.
    std::vector<std::string> records;
};

std::string fieldsOf(const AdifRecord& record) {
    std::string joined;
    for (const AdifField& field : record.fields) {
        joined += (joined.empty() ? "" : "|") + field.name + "=" + field.value;
    }
    return joined;
}

class AdifGoodFile : public ::testing::TestWithParam<GoodFile> {};

TEST_P(AdifGoodFile, Parses) {
    const GoodFile& good = GetParam();
    const AdifFile file = parseAdif(good.text);
    EXPECT_EQ(file.header, good.header);
    ASSERT_EQ(file.records.size(), good.records.size());
    for (size_t i = 0; i < good.records.size(); ++i) {
        EXPECT_EQ(fieldsOf(file.records[i]), good.records[i]) << "record " << i + 1;
        EXPECT_EQ(file.records[i].number, i + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, AdifGoodFile,
    ::testing::Values(
        GoodFile{"header then records, LF",
                 "Made up\n<ADIF_VER:5>3.1.0\n<EOH>\n<CALL:5>PY1AA<BAND:3>80m<EOR>\n<CALL:5>PY2BB<EOR>\n",
                 "Made up\n<ADIF_VER:5>3.1.0\n",
                 {"CALL=PY1AA|BAND=80m", "CALL=PY2BB"}},
        GoodFile{"CR LF line ends", "head\r\n<eoh>\r\n<CALL:5>PY1AA\r\n<EOR>\r\n", "head\r\n", {"CALL=PY1AA"}},
        GoodFile{"no header when the file starts with a tag", "<CALL:5>PY1AA<EOR>", "", {"CALL=PY1AA"}},
        GoodFile{
            "header fields closed by EOH at the start", "<ADIF_VER:5>3.1.0<EOH><CALL:5>PY1AA<EOR>", "", {"CALL=PY1AA"}},
        GoodFile{"field names and EOR in any case",
                 "<call:5>PY1AA<Srx_String:2>SP<eor><Call:3>K1A<eOr>",
                 "",
                 {"CALL=PY1AA|SRX_STRING=SP", "CALL=K1A"}},
        GoodFile{"type indicators",
                 "<CALL:5:S>PY1AA<FREQ:5:N>7.025<QSO_DATE:8:D>20150912<EOR>",
                 "",
                 {"CALL=PY1AA|FREQ=7.025|QSO_DATE=20150912"}},
        GoodFile{"lengths count bytes, values keep blanks and '<'",
                 "<SRX_STRING:4> sp <NOTES:6>a<b>\r\nc<CALL:6>PY2\xC3\x87X<EOR>",
                 "",
                 {"SRX_STRING= sp |NOTES=a<b>\r\n|CALL=PY2\xC3\x87X"}},
        GoodFile{"a value shorter than the text that follows it", "<CALL:3>PY1AA<EOR>", "", {"CALL=PY1"}},
        GoodFile{"empty values", "<CALL:0><SRX_STRING:0><EOR>", "", {"CALL=|SRX_STRING="}},
        GoodFile{"text between fields is ignored",
                 "<CALL:5>PY1AA comment here <BAND:3>40m\n  <EOR> trailing text\n",
                 "",
                 {"CALL=PY1AA|BAND=40m"}},
        GoodFile{"UTF-8 byte-order mark before the header",
                 "\xEF\xBB\xBFhead<EOH><CALL:5>PY1AA<EOR>",
                 "head",
                 {"CALL=PY1AA"}},
        GoodFile{"empty file", "", "", {}}, GoodFile{"header only", "just a header <EOH>\r\n", "just a header ", {}}),
    [](const ::testing::TestParamInfo<GoodFile>& testCase) { return testName(testCase.param.description); });

TEST(Adif, TheLastOfTwoFieldsWithOneNameCounts) {
    const AdifFile file = parseAdif("<CALL:5>PY1AA<call:5>PY2BB<EOR>");
    ASSERT_EQ(file.records.size(), 1u);
    ASSERT_NE(file.records[0].find("CALL"), nullptr);
    EXPECT_EQ(*file.records[0].find("CALL"), "PY2BB");
    EXPECT_EQ(file.records[0].find("BAND"), nullptr);
}

TEST(Adif, RecordsKnowTheirByteOffset) {
    const std::string text = "h<EOH>\n<CALL:5>PY1AA<EOR>\n  <CALL:5>PY2BB<EOR>";
    const AdifFile file = parseAdif(text);
    ASSERT_EQ(file.records.size(), 2u);
    EXPECT_EQ(file.records[0].offset, text.find("<CALL"));
    EXPECT_EQ(file.records[1].offset, text.rfind("<CALL"));
}

struct BadFile {
    const char* description;
    std::string text;
    size_t line;
    size_t record;
    size_t offset;
    std::string message;
};

class AdifBadFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(AdifBadFile, IsRefusedWithItsPlace) {
    const BadFile& bad = GetParam();
    try {
        parseAdif(bad.text);
        FAIL() << "no error";
    } catch (const AdifError& error) {
        EXPECT_EQ(error.line(), bad.line);
        EXPECT_EQ(error.recordNumber(), bad.record);
        EXPECT_EQ(error.byteOffset(), bad.offset);
        EXPECT_EQ(std::string(error.what()), bad.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, AdifBadFile,
    ::testing::Values(BadFile{"a length running past the end", "<CALL:5>PY1AA<EOR><CALL:12>PY2BB<EOR>", 1, 2, 18,
                              "line 1, record 2: the value of field CALL (12 bytes) runs past the end of the file"},
                      BadFile{"missing EOR at the end", "<CALL:5>PY1AA<EOR>\n<CALL:5>PY2BB\n", 2, 2, 19,
                              "line 2, record 2: no <EOR> closes the last record"},
                      BadFile{
                          "header text without EOH", "Made up log\n<CALL:5>PY1AA<EOR>", 1, 0, 0,
                          "line 1, header: no <EOH> ends the header text (a file without a header starts with '<')"},
                      BadFile{"a tag without its closing bracket", "<CALL:5>PY1AA<EOR><CALL:5", 1, 2, 18,
                              "line 1, record 2: the tag has no closing '>'"},
                      BadFile{"a length that is no number", "<CALL:5>PY1AA<BAND:x>40m<EOR>", 1, 1, 13,
                              "line 1, record 1: the length of field BAND is not a number: \"x\""},
                      BadFile{"an empty length", "<CALL:>PY1AA<EOR>", 1, 1, 0,
                              "line 1, record 1: the length of field CALL is not a number: \"\""},
                      BadFile{"a field without length", "<CALL:5>PY1AA<BAND>40m<EOR>", 1, 1, 13,
                              "line 1, record 1: field BAND has no length"},
                      BadFile{"a tag without name", "<CALL:5>PY1AA<:3>abc<EOR>", 1, 1, 13,
                              "line 1, record 1: a tag without a field name: \"<:3>\""},
                      BadFile{"the offset counts the byte-order mark", "\xEF\xBB\xBF<CALL:5>PY1AA", 1, 1, 3,
                              "line 1, record 1: no <EOR> closes the last record"}),
    [](const ::testing::TestParamInfo<BadFile>& testCase) { return testName(testCase.param.description); });

}  // namespace

namespace {

// With recovery, a bad record is skipped up to its <EOR> and reading goes on.
TEST(AdifRecovery, SkipsBadRecordsAndGoesOn) {
    const std::string text =
        "<CALL:5>PY1AA<EOR>\n"
        "<CALL:5>PY1AB<BAND>40m<EOR>\n"
        "<CALL:5>PY1AC<EOR>\n"
        "<CALL:x>PY1AD<EOR>\n"
        "<CALL:5>PY1AE<EOH><BAND:3>40m<EOR>\n"
        "<CALL:5>PY1AF<EOR>\n"
        "<CALL:5>PY1AG<NOTES:500>no end";
    const AdifFile file = parseAdif(text, AdifRecovery::kSkipRecords);
    ASSERT_EQ(file.records.size(), 4u);
    EXPECT_EQ(fieldsOf(file.records[0]), "CALL=PY1AA");
    EXPECT_EQ(fieldsOf(file.records[1]), "CALL=PY1AC");
    EXPECT_EQ(file.records[1].number, 3u);
    EXPECT_EQ(file.records[1].line, 3u);
    EXPECT_EQ(fieldsOf(file.records[2]), "BAND=40m") << "an <EOH> in a record ends a header";
    EXPECT_EQ(fieldsOf(file.records[3]), "CALL=PY1AF");
    EXPECT_EQ(file.records[3].number, 6u);
    std::vector<std::string> skipped;
    for (const AdifError& error : file.skipped) {
        skipped.push_back(error.what());
    }
    EXPECT_EQ(skipped, (std::vector<std::string>{
                           "line 2, record 2: field BAND has no length",
                           "line 4, record 4: the length of field CALL is not a number: \"x\"",
                           "line 7, record 7: the value of field NOTES (500 bytes) runs past the end of the file",
                       }));
    EXPECT_THROW(parseAdif(text), AdifError) << "without recovery the first problem stops everything";
}

TEST(AdifRecovery, ALastRecordWithoutEndIsSkipped) {
    const AdifFile file = parseAdif("<CALL:5>PY1AA<EOR>\r\n\r\n<CALL:5>PY1AB", AdifRecovery::kSkipRecords);
    ASSERT_EQ(file.records.size(), 1u);
    ASSERT_EQ(file.skipped.size(), 1u);
    EXPECT_EQ(std::string(file.skipped[0].what()), "line 3, record 2: no <EOR> closes the last record");
}

TEST(AdifRecovery, LongNamesAreCutInMessages) {
    const AdifFile file = parseAdif("<" + std::string(1000, 'A') + ">x<EOR>", AdifRecovery::kSkipRecords);
    ASSERT_EQ(file.skipped.size(), 1u);
    EXPECT_EQ(std::string(file.skipped[0].what()),
              "line 1, record 1: field " + std::string(40, 'A') + "... has no length");
}

}  // namespace
