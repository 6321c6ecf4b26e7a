// Entrants' categories in the contest's words, and the committee's file
// that gives or corrects them.
#include "crosscheck/category.h"
#include "crosscheck/categories_file.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/test_names.h"

namespace torv::crosscheck {
namespace {

Category category(const char* operatorClass, const char* band, const char* power, const char* mode) {
    return Category{{operatorClass, band, power, mode}};
}

TEST(Category, WrittenTextsInTheContestsWords) {
    struct Case {
        const char* written;
        CategoryPart part;
        const char* text;
        int place;  // -1: not the contest's, shown as "—"
    };
    const Case cases[] = {
        {"  single-op   a ", CategoryPart::kOperator, "SINGLE-OP A", 0},
        {"MILITARY STATION SINGLE", CategoryPart::kOperator, "MILITARY STATION SINGLE", 6},
        {"CheckLog", CategoryPart::kOperator, "CHECKLOG", 8},
        {"multi-op", CategoryPart::kOperator, "MULTI-OP", 9},
        {"SINGLE-OP", CategoryPart::kOperator, "SINGLE-OP", -1},
        {"all", CategoryPart::kBand, "ALL", 0},
        {"80m", CategoryPart::kBand, "80M", 2},
        {"10M", CategoryPart::kBand, "10M", 6},
        {"160M", CategoryPart::kBand, "160M", -1},
        {"low", CategoryPart::kPower, "LOW", 1},
        {"QRP", CategoryPart::kPower, "QRP", 2},
        {"MEDIUM", CategoryPart::kPower, "MEDIUM", -1},
        {"Mixed", CategoryPart::kMode, "MIXED", 2},
        {"RTTY", CategoryPart::kMode, "RTTY", -1},
        {"", CategoryPart::kMode, "", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(categoryText(c.written), c.text);
        EXPECT_EQ(categoryPlace(c.part, c.text), c.place) << c.text;
    }
}

TEST(Category, StandingInTheResults) {
    struct Case {
        Category category;
        CategoryStanding standing;
        const char* singleBand;
    };
    const Case cases[] = {
        {category("SINGLE-OP A", "40M", "LOW", "CW"), CategoryStanding::kRanked, "40m"},
        {category("SINGLE-OP", "ALL", "", ""), CategoryStanding::kRanked, ""},
        {category("SINGLE-OP", "", "", "RTTY"), CategoryStanding::kNone, ""},
        {category("", "", "", ""), CategoryStanding::kNone, ""},
        {category("SINGLE-OP A", "160M", "LOW", "CW"), CategoryStanding::kOtherBand, ""},
        {category("SINGLE-OP A", "6M", "", ""), CategoryStanding::kOtherBand, ""},
        {category("", "70CM", "", ""), CategoryStanding::kOtherBand, ""},
        {category("", "1.2G", "", ""), CategoryStanding::kOtherBand, ""},
        {category("", "432", "", ""), CategoryStanding::kOtherBand, ""},
        {category("", "VHF-3-BAND", "", ""), CategoryStanding::kNone, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(standingOf(c.category), c.standing) << c.category.parts[1];
        EXPECT_EQ(singleBandOf(c.category), c.singleBand) << c.category.parts[1];
    }
    // Values the contest does not know sort as one, after the known ones.
    EXPECT_EQ(categoryKey(category("SINGLE-OP", "ALL", "", "")), categoryKey(category("X", "ALL", "MEDIUM", "")));
    EXPECT_LT(categoryKey(category("SINGLE-OP A", "ALL", "", "")), categoryKey(category("SINGLE-OP", "ALL", "", "")));
    EXPECT_LT(categoryKey(category("", "ALL", "", "")), categoryKey(category("", "6M", "", "")));
}

struct FileCase {
    const char* description;
    std::string text;
    std::vector<std::pair<std::string, Category>> entries;
    std::vector<std::string> problems;
    std::vector<std::string> clubs = {};  // of each entry, when the file has the club column
};

class CategoriesFileLines : public ::testing::TestWithParam<FileCase> {};

TEST_P(CategoriesFileLines, AreTakenOrLeftAsideWithTheirLineNumbers) {
    const CategoriesFile file = readCategoriesFile(GetParam().text);
    std::vector<std::pair<std::string, Category>> entries;
    for (const GivenCategory& entry : file.entries) {
        entries.emplace_back(entry.call, entry.category);
    }
    EXPECT_EQ(entries, GetParam().entries);
    EXPECT_EQ(file.problems, GetParam().problems);
    if (!GetParam().clubs.empty()) {
        std::vector<std::string> clubs;
        for (const GivenCategory& entry : file.entries) {
            clubs.push_back(entry.club);
        }
        EXPECT_EQ(clubs, GetParam().clubs);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CategoriesFileLines,
    ::testing::Values(
        FileCase{"values in any case, empty fields keep the log's",
                 "call,operator,band,power,mode\npy2aaa,single-op b,40m,,cw\nPY2BBB/P,,,QRP,\n",
                 {{"PY2AAA", category("SINGLE-OP B", "40M", "", "CW")}, {"PY2BBB/P", category("", "", "QRP", "")}},
                 {}},
        FileCase{"a spreadsheet's semicolons, quotes, byte-order mark and CR LF",
                 "\xEF\xBB\xBF\"Call\";\"Operator\";\"Band\";\"Power\";\"Mode\"\r\n\"PY2AAA\";\"YL\";\"ALL\";\"LOW\";"
                 "\"SSB\"\r\n\r\n",
                 {{"PY2AAA", category("YL", "ALL", "LOW", "SSB")}},
                 {}},
        FileCase{"bad lines are left aside, the others taken",
                 "call,operator,band,power,mode\nPY2AAA,SINGLE-OP,ALL,LOW,CW\nPY2 BBB,YL,ALL,,\nPY2CCC,YL\n"
                 "PY2DDD,YL,160M,,\nPY2EEE,,,,\n" +
                     std::string(300, 'X') + "\n",
                 {{"PY2EEE", category("", "", "", "")}},
                 {"line 2: operator \"SINGLE-OP\" is not one of the contest's (SINGLE-OP A, SINGLE-OP B, SINGLE-OP C, "
                  "YL, GROUPS, MILITARY STATION OM, MILITARY STATION SINGLE, QRP, CHECKLOG, MULTI-OP); left aside",
                  "line 3: \"PY2 BBB\" is not a call; left aside",
                  "line 4: 2 fields; the header has 5 (call, operator, band, power, mode); left aside",
                  "line 5: band \"160M\" is not one of the contest's (ALL, 80M, 40M, 20M, 15M, 10M); left aside",
                  "line 7: longer than 200 bytes; left aside"}},
        FileCase{"a club column: its text as written, blanks trimmed; an empty one keeps the log's",
                 "call,operator,band,power,mode,club\nPY2AAA,YL,,,,  Radio Clube \"Sul\" \nPY2BBB,,,,,\n"
                 "PY2CCC,YL,,,\n",
                 {{"PY2AAA", category("YL", "", "", "")}, {"PY2BBB", category("", "", "", "")}},
                 {"line 4: 5 fields; the header has 6 (call, operator, band, power, mode, club); left aside"},
                 {"Radio Clube \"Sul\"", ""}},
        FileCase{"a call given twice: the later line counts",
                 "call,operator,band,power,mode\nPY2AAA,YL,,,\nPY2AAA,QRP,,,\n",
                 {{"PY2AAA", category("QRP", "", "", "")}},
                 {"line 3: PY2AAA again (line 2); this line counts"}}),
    [](const ::testing::TestParamInfo<FileCase>& testCase) { return testName(testCase.param.description); });

TEST(CategoriesFile, WithoutItsHeaderNothingIsTaken) {
    for (const char* text : {"", "PY2AAA,YL,ALL,LOW,CW\n", "call,operator,band\n", "call,operator,band,power,mode,x\n",
                             "call,operator,band,power,mode,club,x\n"}) {
        EXPECT_THROW(readCategoriesFile(text), std::invalid_argument) << text;
    }
}

// A file of a thousand bad lines says twenty and how many more.
TEST(CategoriesFile, ProblemsAreBounded) {
    std::string text = "call,operator,band,power,mode\n";
    for (int i = 0; i < 1000; ++i) {
        text += "PY2AAA,NOBODY,,,\n";
    }
    const CategoriesFile file = readCategoriesFile(text);
    ASSERT_EQ(file.problems.size(), kShownProblems + 1);
    EXPECT_EQ(file.problems.back(), "980 more problems not shown");
    EXPECT_TRUE(file.entries.empty());
}

TEST(CategoriesFile, GivenPartsReplaceTheLogs) {
    EXPECT_EQ(withGiven(category("SINGLE-OP A", "ALL", "LOW", ""), category("", "40M", "", "CW")),
              category("SINGLE-OP A", "40M", "LOW", "CW"));
}

}  // namespace
}  // namespace torv::crosscheck
