// The demonstration log examples/torv-sample.adi reads cleanly and holds every
// kind of contact the plug-in must score or refuse.
#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <tuple>

#include <gtest/gtest.h>

#include "engine/date_time.h"
#include "logfile/adif_contact.h"
#include "logfile/text.h"
#include "support/files.h"

using torv::calendar::asciiUpper;
using torv::calendar::oleDateFromCalendar;
using torv::logfile::bandOfFrequency;
using torv::logfile::contactsFromAdif;
using torv::logfile::LogContact;

namespace {

std::string normalised(const std::string& exchange) {
    std::string result;
    for (char c : exchange) {
        if (c != ' ') {
            result += asciiUpper(c);
        }
    }
    return result;
}

class SampleLog : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string text = readFile(testDataPath("../examples/torv-sample.adi"));
        ASSERT_FALSE(text.empty());
        contacts_ = contactsFromAdif(text, "");
    }
    static std::vector<LogContact> contacts_;
};
std::vector<LogContact> SampleLog::contacts_;

TEST_F(SampleLog, HasSixHundredContactsOfOneStationInTheContest) {
    ASSERT_EQ(contacts_.size(), 600u);
    const double start = oleDateFromCalendar(2015, 9, 12);
    const double end = oleDateFromCalendar(2015, 9, 14);
    double previous = start;
    for (const LogContact& c : contacts_) {
        EXPECT_EQ(c.ownCall, "PY2ZZ");
        EXPECT_EQ(c.exchangeSent, "SP");
        EXPECT_GE(c.oleDate, previous) << c.call << ": log order is time order";
        EXPECT_LT(c.oleDate, end) << c.call;
        EXPECT_NE(c.frequency, 0u) << c.call;
        EXPECT_EQ(c.band, bandOfFrequency(c.frequency)) << c.call;
        previous = c.oleDate;
    }
}

TEST_F(SampleLog, EveryStateAndUfAreReceived) {
    std::set<std::string> received;
    for (const LogContact& c : contacts_) {
        received.insert(normalised(c.exchangeReceived));
    }
    for (const char* area :
         {"AC", "AL", "AP", "AM", "BA", "CE", "DF", "ES", "GO", "MA", "MT", "MS", "MG", "PA",  "PB",  "PR",
          "PE", "PI", "RJ", "RN", "RS", "RO", "RR", "SC", "SP", "SE", "TO", "UF", "YL", "MIL", "QRP", "DX"}) {
        EXPECT_EQ(received.count(area), 1u) << area;
    }
}

TEST_F(SampleLog, HoldsEveryKindOfStation) {
    std::map<std::string, int> prefixes;
    bool special = false;
    for (const LogContact& c : contacts_) {
        ++prefixes[c.prefix];
        special = special || c.call == "PY5TORV";
    }
    EXPECT_TRUE(special);
    EXPECT_GT(prefixes["PY"], 500);
    EXPECT_GT(prefixes["PY0F"], 0);
    EXPECT_GT(prefixes["PY0S"], 0);
    EXPECT_GT(prefixes["PY0T"], 0);
    const int brazilian = prefixes["PY"] + prefixes["PY0F"] + prefixes["PY0S"] + prefixes["PY0T"];
    EXPECT_GE(static_cast<int>(contacts_.size()) - brazilian, 10) << "foreign stations";
}

TEST_F(SampleLog, HoldsRefusedBandsAndModes) {
    std::map<std::string, int> bands, modes;
    for (const LogContact& c : contacts_) {
        ++bands[c.band];
        ++modes[c.mode];
    }
    for (const char* band : {"160m", "80m", "40m", "30m", "20m", "17m", "15m", "12m", "10m"}) {
        EXPECT_GT(bands[band], 0) << band;
    }
    for (const char* mode : {"CW", "SSB", "RTTY", "FT8"}) {
        EXPECT_GT(modes[mode], 0) << mode;
    }
}

TEST_F(SampleLog, HoldsDuplicatesAndUntidyExchanges) {
    std::map<std::tuple<std::string, std::string, std::string>, int> seen;
    int duplicates = 0, lowerCase = 0, padded = 0, missing = 0;
    for (const LogContact& c : contacts_) {
        duplicates += seen[{c.call, c.band, c.mode}]++ > 0;
        const std::string& exchange = c.exchangeReceived;
        lowerCase += std::any_of(exchange.begin(), exchange.end(), [](char ch) { return std::islower(ch); });
        padded += !exchange.empty() && (exchange.front() == ' ' || exchange.back() == ' ');
        missing += exchange.empty();
    }
    EXPECT_GE(duplicates, 3);
    EXPECT_GE(lowerCase, 5);
    EXPECT_GE(padded, 5);
    EXPECT_EQ(missing, 1);
}

}  // namespace
