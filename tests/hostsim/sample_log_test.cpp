// The demonstration log examples/torv-sample.adi reads cleanly and holds every
// kind of contact the plug-in must score or refuse.
#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <tuple>

#include <gtest/gtest.h>

#include "engine/date_time.h"
#include "hostsim/contact_mapping.h"
#include "support/files.h"

namespace {

std::string normalised(const std::string& exchange) {
    std::string result;
    for (char c : exchange) {
        if (c != ' ') {
            result += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
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
    static std::vector<ContactFields> contacts_;
};
std::vector<ContactFields> SampleLog::contacts_;

TEST_F(SampleLog, HasSixHundredContactsOfOneStationInTheContest) {
    ASSERT_EQ(contacts_.size(), 600u);
    const double start = oleDateFromCalendar(2015, 9, 12);
    const double end = oleDateFromCalendar(2015, 9, 14);
    double previous = start;
    for (const ContactFields& c : contacts_) {
        EXPECT_EQ(c.ownCall, "PY2ZZ");
        EXPECT_EQ(c.exchangeSent, "SP");
        EXPECT_GE(c.qsoTime.date, previous) << c.call << ": log order is time order";
        EXPECT_LT(c.qsoTime.date, end) << c.call;
        EXPECT_NE(c.frequency, 0u) << c.call;
        EXPECT_EQ(c.band, bandOfFrequency(c.frequency)) << c.call;
        previous = c.qsoTime.date;
    }
}

TEST_F(SampleLog, EveryStateAndUfAreReceived) {
    std::set<std::string> received;
    for (const ContactFields& c : contacts_) {
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
    for (const ContactFields& c : contacts_) {
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
    for (const ContactFields& c : contacts_) {
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
    for (const ContactFields& c : contacts_) {
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

// The sample log scored through the module object: the golden summary, error
// file and Cabrillo file that PelkSim must reproduce through Stats.dll.
#include "plugin/module.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

namespace {

// The first of a pair of twins (ZZ7XQ on 20 m CW), removed after the log.
constexpr size_t kRemovedRecord = 86;

class SampleLogScoring : public SampleLog {
protected:
    TempFolder folder;
    std::unique_ptr<CTestApp> app;

    void SetUp() override {
        app = std::make_unique<CTestApp>(headlessPorts(std::make_unique<MemorySettings>()), folder.path().string());
    }

    std::string pass(int exportFlag) {
        app->ResetStats(exportFlag, "PY2ZZ", {oleDateFromCalendar(2015, 9, 12, 0, 0), kDateTimeValid},
                        {oleDateFromCalendar(2015, 9, 13, 23, 59), kDateTimeValid});
        for (const ContactFields& contact : contacts_) {
            app->AddData(contact);
        }
        int status = 0;
        return app->GetResult(&status);
    }
};

TEST_F(SampleLogScoring, ExportGivesTheGoldenFiles) {
    EXPECT_TRUE(matchesGolden(pass(1), "golden/sample.summary.txt"));
    EXPECT_TRUE(matchesGolden(readFile(folder.file("err.txt")), "golden/sample.err.txt"));
    EXPECT_TRUE(matchesGolden(readFile(folder.file("PY2ZZ.cbr")), "golden/sample.cbr"));
}

TEST_F(SampleLogScoring, ARemovalRecomputesNoMarksAndASecondPassScoresAlike) {
    const std::string first = pass(1);
    const ContactFields& removed = contacts_.at(kRemovedRecord);
    ASSERT_EQ(removed.call, "ZZ7XQ");
    EXPECT_EQ(app->RemoveData(removed), 1);
    int status = 0;
    EXPECT_TRUE(matchesGolden(app->GetResult(&status), "golden/sample_after_removal.summary.txt"));
    // The export flag stays until the next rescoring: the file is written again.
    EXPECT_TRUE(matchesGolden(readFile(folder.file("PY2ZZ.cbr")), "golden/sample_after_removal.cbr"));
    // The twin left behind stays a duplicate until the next pass.
    EXPECT_EQ(pass(0), first);
    EXPECT_TRUE(matchesGolden(readFile(folder.file("err.txt")), "golden/sample.err.txt"));
}

}  // namespace
