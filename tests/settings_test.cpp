#include <climits>

#include <gtest/gtest.h>

#include "support/test_names.h"

#include "assistant/start_rule.h"
#include "ports/assistant_control.h"
#include "ports/settings.h"
#include "support/fakes.h"

using torv::assistant::runStartRule;
using torv::ports::Settings;

namespace {

struct NumberCase {
    const char* text;
    int expected;
};

const NumberCase kNumberCases[] = {
    {"", 0},
    {"0", 0},
    {"2", 2},
    {"-40", -40},
    {"  -40", -40},
    {"\t+7", 7},
    {"12abc", 12},
    {"word", 0},
    {"-", 0},
    {"+", 0},
    {"- 4", 0},
    {"1 2", 1},
    {"9999", 9999},
    {"-999", -999},
    {"2147483647", INT_MAX},
    {"-2147483648", INT_MIN},
    {"99999999999999999999", INT_MAX},
    {"-99999999999999999999", INT_MIN},
    {"0x10", 0},
    {"007", 7},
};

class SettingsNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(SettingsNumber, FollowsTheDecimalRule) {
    EXPECT_EQ(Settings::parseSettingsNumber(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsNumber, ::testing::ValuesIn(kNumberCases), [](const auto& testCase) {
    return std::to_string(testCase.index) + "_" + testName(testCase.param.text);
});

TEST(StartRule, RescoringsWithoutExportAlternate) {
    MemorySettings settings;
    RecordingAssistant assistant;

    runStartRule(0, settings, assistant);  // "Start" absent: opens
    EXPECT_EQ(settings.values["Start"], "1");
    EXPECT_EQ(assistant.calls, std::vector<std::string>({"start"}));

    assistant.running = false;  // the operator closed it
    runStartRule(0, settings, assistant);
    EXPECT_EQ(settings.values["Start"], "0");
    EXPECT_EQ(assistant.calls.size(), 1u);

    runStartRule(0, settings, assistant);
    EXPECT_EQ(settings.values["Start"], "1");
    EXPECT_EQ(assistant.calls, std::vector<std::string>({"start", "start"}));
}

TEST(StartRule, ExportLeavesStartClearAndOpensNothing) {
    MemorySettings settings;
    RecordingAssistant assistant;
    runStartRule(1, settings, assistant);
    EXPECT_EQ(settings.writes, std::vector<std::string>({"Start=1", "Start=0"}));
    EXPECT_TRUE(assistant.calls.empty());
}

TEST(StartRule, ARunningAssistantIsLeftAloneAndStartNotWritten) {
    MemorySettings settings;
    RecordingAssistant assistant;
    assistant.running = true;
    runStartRule(0, settings, assistant);
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_TRUE(assistant.calls.empty());
}

TEST(StartRule, AnyNonZeroNumberCountsAsSet) {
    for (const char* stored : {"2", "-1", " 1", "1x"}) {
        MemorySettings settings;
        RecordingAssistant assistant;
        settings.values["Start"] = stored;
        runStartRule(0, settings, assistant);
        EXPECT_EQ(settings.values["Start"], "0") << stored;
        EXPECT_TRUE(assistant.calls.empty()) << stored;
    }
    MemorySettings wordy;
    RecordingAssistant assistant;
    wordy.values["Start"] = "yes";  // no digits: 0
    runStartRule(0, wordy, assistant);
    EXPECT_EQ(wordy.values["Start"], "1");
    EXPECT_EQ(assistant.calls.size(), 1u);
}

}  // namespace
