#include <gtest/gtest.h>

#include "support/test_names.h"

#include "engine/area.h"

using torv::engine::AreaAssignment;
using torv::engine::areaCodes;
using torv::engine::assignArea;
using torv::engine::isAreaCode;
using torv::engine::isValidExchange;
using torv::engine::normalisedExchange;

namespace {

TEST(AreaCodes, HoldTheTwentyEightCodesInSearchOrder) {
    ASSERT_EQ(areaCodes.size(), 28u);
    EXPECT_EQ(areaCodes.front(), "AC");
    EXPECT_EQ(areaCodes[6], "DF");
    EXPECT_EQ(areaCodes.back(), "UF");
    for (std::string_view code : areaCodes) {
        EXPECT_TRUE(isAreaCode(code)) << code;
    }
}

struct ValidityCase {
    const char* exchange;
    int expected;
};

const ValidityCase kValidityCases[] = {
    {"SP", 1},   {"UF", 1},  {"AC", 1}, {"TO", 1},  {"YL", 1},  {"MIL", 1},   {"QRP", 1}, {"599", 0},
    {"PY0F", 0}, {"", 0},    {"sp", 0}, {" SP", 0}, {"SP ", 0}, {"yl", 0},    {"mil", 0}, {"qrp", 0},
    {"XX", 0},   {"SPX", 0}, {"S", 0},  {"59", 0},  {"PY", 0},  {"\xC0P", 0},
};

class ExchangeValidity : public ::testing::TestWithParam<ValidityCase> {};

TEST_P(ExchangeValidity, IsExactAndCaseSensitive) {
    EXPECT_EQ(isValidExchange(GetParam().exchange), GetParam().expected) << '"' << GetParam().exchange << '"';
}

INSTANTIATE_TEST_SUITE_P(Cases, ExchangeValidity, ::testing::ValuesIn(kValidityCases), [](const auto& testCase) {
    return std::to_string(testCase.index) + "_" + testName(testCase.param.exchange);
});

TEST(NormalisedExchange, UpperCasesAsciiLettersAndTrimsWhiteSpace) {
    EXPECT_EQ(normalisedExchange(" rj "), "RJ");
    EXPECT_EQ(normalisedExchange("\t\r\n\v\fsp\f\v\n\r\t"), "SP");
    EXPECT_EQ(normalisedExchange("m i l"), "M I L");
    EXPECT_EQ(normalisedExchange(""), "");
    EXPECT_EQ(normalisedExchange("   "), "");
    EXPECT_EQ(normalisedExchange("\xE9x"), "\xE9X");  // bytes above 0x7F stay as they are
    EXPECT_EQ(normalisedExchange("a-z{}"), "A-Z{}");
}

struct AssignmentCase {
    const char* prefix;
    const char* exchange;
    const char* area;
    bool errorLineDue;
    const char* normalised;
};

const AssignmentCase kAssignmentCases[] = {
    {"PY0T", "ZZ", "PY0T", false, ""},  {"PY0F", "", "PY0F", false, ""},   {"PY0S", "RJ", "PY0S", false, ""},
    {"PY0/s", "RJ", "PY0S", false, ""}, {"PY0s", "RJ", "RJ", false, "RJ"},  // prefixes compare exactly
    {"PY", " rj ", "RJ", false, "RJ"},  {"PY", "MIL", "", false, ""},      {"PY", "YL", "", false, ""},
    {"PY", "QRP", "", false, ""},       {"PY", "mil", "", true, "MIL"},    {"PY", "xx", "", true, "XX"},
    {"DL", "SP", "SP", false, "SP"},  // foreign stations sending an area still get it
    {"PY", "  ", "", true, ""},
};

class AreaAssignmentRule : public ::testing::TestWithParam<AssignmentCase> {};

TEST_P(AreaAssignmentRule, GivesAreaAndFinding) {
    const AssignmentCase& c = GetParam();
    const AreaAssignment result = assignArea(c.prefix, c.exchange);
    EXPECT_EQ(result.area, c.area);
    EXPECT_EQ(result.errorLineDue, c.errorLineDue);
    if (c.errorLineDue) {
        EXPECT_EQ(result.normalised, c.normalised);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AreaAssignmentRule, ::testing::ValuesIn(kAssignmentCases), [](const auto& testCase) {
    return std::to_string(testCase.index) + "_" + testName(testCase.param.exchange);
});

}  // namespace
