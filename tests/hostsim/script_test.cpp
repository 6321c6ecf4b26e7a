// The simulator's script syntax, checked before anything runs.
#include "hostsim/script.h"

#include <gtest/gtest.h>

using pelksim::findStepSyntax;
using pelksim::parseAssignment;
using pelksim::parseScript;
using pelksim::parseStepDateTime;
using pelksim::parseUnsigned;
using pelksim::ScriptError;
using pelksim::splitStepLine;
using pelksim::stepReference;
using pelksim::StepSyntax;
using pelksim::stepSyntaxes;

namespace {

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        text += "[" + word + "]";
    }
    return text;
}

TEST(StepLine, SplitsWordsQuotesAndComments) {
    EXPECT_EQ(joined(splitStepLine("load  Stats.dll", 1)), "[load][Stats.dll]");
    EXPECT_EQ(joined(splitStepLine("\tclick \"Cabrillo header\" 1001\r", 1)), "[click][Cabrillo header][1001]");
    EXPECT_EQ(joined(splitStepLine("add SRX_STRING=\" sp \" CALL=PY1AA", 1)), "[add][SRX_STRING= sp ][CALL=PY1AA]");
    EXPECT_EQ(joined(splitStepLine("valid \"\"", 1)), "[valid][]");
    EXPECT_EQ(joined(splitStepLine("wait 100 # let the tick run", 1)), "[wait][100]");
    EXPECT_EQ(joined(splitStepLine("# a comment", 1)), "");
    EXPECT_EQ(joined(splitStepLine("echo a#b", 1)), "[echo][a#b]") << "'#' inside a word is text";
    EXPECT_EQ(joined(splitStepLine("echo \"#\"", 1)), "[echo][#]");
    EXPECT_EQ(joined(splitStepLine("   ", 1)), "");
}

TEST(StepLine, AnUnclosedQuoteIsAnError) {
    try {
        splitStepLine("click \"Cabrillo 1001", 7);
        FAIL() << "no error";
    } catch (const ScriptError& error) {
        EXPECT_EQ(error.line(), 7);
        EXPECT_STREQ(error.what(), "line 7: a quote is not closed");
    }
}

TEST(Script, ParsesEveryStepWithItsLine) {
    const auto steps = parseScript(
        "# demonstration\r\n"
        "load Stats.dll\r\n"
        "\r\n"
        "reset PY2ZZ 2015-09-12T00:00 2015-09-13T23:59\r\n"
        "reset export PY2ZZ 2015-09-12 2015-09-13T23:59:59\r\n"
        "type PY2AB 150 SP\r\n"
        "expect-dialog TORV ok 1001=PY2ZZ 1002=\"Made Up\"\r\n"
        "result");
    ASSERT_EQ(steps.size(), 6u);
    EXPECT_EQ(steps[0].name, "load");
    EXPECT_EQ(steps[0].line, 2);
    EXPECT_EQ(steps[1].line, 4);
    EXPECT_EQ(joined(steps[2].args), "[export][PY2ZZ][2015-09-12][2015-09-13T23:59:59]");
    EXPECT_EQ(joined(steps[4].args), "[TORV][ok][1001=PY2ZZ][1002=Made Up]");
    EXPECT_EQ(steps[5].name, "result");
    EXPECT_EQ(steps[5].line, 8);
}

struct BadScript {
    const char* text;
    const char* message;
};

class BadStep : public ::testing::TestWithParam<BadScript> {};

TEST_P(BadStep, IsRefusedBeforeRunning) {
    try {
        parseScript(GetParam().text);
        FAIL() << "no error";
    } catch (const ScriptError& error) {
        EXPECT_STREQ(error.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadStep,
    ::testing::Values(
        BadScript{"result\nrezult", "line 2: unknown step \"rezult\" (PelkSim.exe --help lists them)"},
        BadScript{"load", "line 1: wrong number of arguments; usage: load PATH"},
        BadScript{"result now", "line 1: wrong number of arguments; usage: result"},
        BadScript{"reset PY2ZZ 2015-09-12T00:00",
                  "line 1: wrong number of arguments; usage: reset [export] CALL START END"},
        BadScript{"reset PY2ZZ 12/09/2015 2015-09-13",
                  "line 1: reset: \"12/09/2015\" is not a date-time like 2015-09-12T00:00"},
        BadScript{"reset exports PY2ZZ 2015-09-12 2015-09-13", "line 1: reset: \"exports\" is not \"export\""},
        BadScript{"wait soon", "line 1: wait: the number \"soon\" is not a number"},
        BadScript{"type PY2AB fast", "line 1: type: the pace \"fast\" is not a number"},
        BadScript{"click TORV ok", "line 1: click: the control id \"ok\" is not a number"},
        BadScript{"add CALL", "line 1: add: \"CALL\" is not NAME=VALUE"},
        BadScript{"add =PY1AA", "line 1: add: \"=PY1AA\" is not NAME=VALUE"},
        BadScript{"expect-dialog TORV yes", "line 1: expect-dialog: \"yes\" is neither ok nor cancel"},
        BadScript{"expect-dialog TORV ok call=PY2ZZ", "line 1: expect-dialog: the control id \"CALL\" is not a number"},
        BadScript{"replay log.adi loud", "line 1: replay: \"loud\" is not \"verbose\""}));

TEST(StepArguments, DateTimes) {
    double date = 0;
    ASSERT_TRUE(parseStepDateTime("2015-09-12T00:00", date));
    EXPECT_EQ(date, 42259.0);
    ASSERT_TRUE(parseStepDateTime("2015-09-13T23:59:30", date));
    EXPECT_DOUBLE_EQ(date, 42260.0 + 86370.0 / 86400.0);
    ASSERT_TRUE(parseStepDateTime("1900-01-01", date));
    EXPECT_EQ(date, 2.0);
    ASSERT_TRUE(parseStepDateTime("2016-02-29", date));
    for (const char* bad : {"2015-09-31", "2015-9-12", "2015-09-12 00:00", "2015-09-12T24:00", "2015-09-12T00:60",
                            "2015-09-12T00:00:", "20150912", ""}) {
        EXPECT_FALSE(parseStepDateTime(bad, date)) << bad;
    }
}

TEST(StepArguments, Numbers) {
    uint32_t value = 0;
    ASSERT_TRUE(parseUnsigned("4294967295", value));
    EXPECT_EQ(value, 4294967295u);
    EXPECT_FALSE(parseUnsigned("4294967296", value));
    EXPECT_FALSE(parseUnsigned("-1", value));
    EXPECT_FALSE(parseUnsigned("", value));
    EXPECT_FALSE(parseUnsigned("1.5", value));
}

TEST(StepArguments, Assignments) {
    std::string name, value;
    ASSERT_TRUE(parseAssignment("srx_string= sp ", name, value));
    EXPECT_EQ(name, "SRX_STRING");
    EXPECT_EQ(value, " sp ");
    ASSERT_TRUE(parseAssignment("NOTES=a=b", name, value));
    EXPECT_EQ(value, "a=b");
    EXPECT_FALSE(parseAssignment("CALL", name, value));
}

TEST(StepReference, ListsEveryStep) {
    const std::string reference = stepReference();
    for (const StepSyntax& syntax : stepSyntaxes()) {
        EXPECT_NE(reference.find(syntax.usage), std::string::npos) << syntax.name;
        EXPECT_EQ(findStepSyntax(syntax.name), &syntax);
    }
    EXPECT_EQ(findStepSyntax("nothing"), nullptr);
}

}  // namespace
