#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_names.h"

#include "engine/contest_engine.h"
#include "support/files.h"
#include "support/temp_folder.h"

using torv::abi::kDateTimeInvalid;
using torv::abi::kDateTimeNull;
using torv::abi::kDateTimeValid;
using torv::calendar::oleDateFromCalendar;
using torv::engine::ContactFields;
using torv::engine::ContactFindings;
using torv::engine::ContactOutcome;
using torv::engine::ContactResult;
using torv::engine::ContactStore;
using torv::engine::ContestEngine;
using torv::engine::Finding;
using torv::engine::FindingCode;
using torv::engine::findingLines;
using torv::engine::findingMessage;

namespace {

ContactFields contact(const std::string& call, const std::string& band = "80m", const std::string& mode = "CW",
                      const std::string& exchangeReceived = "RJ") {
    ContactFields c;
    c.ownCall = "PY2ZZ";
    c.call = call;
    c.qsoTime = {oleDateFromCalendar(2015, 9, 12, 9, 30), kDateTimeValid};
    c.frequency = 3525000;
    c.mode = mode;
    c.rstSent = "599";
    c.rstReceived = "579";
    c.exchangeSent = "SP";
    c.exchangeReceived = exchangeReceived;
    c.prefix = "PY";
    c.band = band;
    return c;
}

class ContestEngineTest : public ::testing::Test {
protected:
    TempFolder folder;
    ContestEngine engine{folder.file("err.txt")};

    void reset(int exportFlag = 0) {
        engine.resetStore(exportFlag, "PY2ZZ", {oleDateFromCalendar(2016, 3, 14), kDateTimeValid},
                          {oleDateFromCalendar(2016, 3, 15, 23, 59), kDateTimeValid});
    }
    std::string errors() const { return readFile(folder.file("err.txt")); }
    std::vector<CInfo> records() const {
        return engine.withStore([](const ContactStore& s) { return s.contactList(); });
    }
};

struct FindingCase {
    const char* name;
    ContactFields contact;
    int expected;
    std::string lines;  // what the call appends to the error file
};

ContactFields with(ContactFields c, std::string ContactFields::*field, const std::string& value) {
    c.*field = value;
    return c;
}

const std::string kBase = "QSO:  3525  CW  2015-09-12 0930  PY2ZZ  599  SP  PY3CC  579  ";

std::vector<FindingCase> findingCases() {
    ContactFields fast = contact("PY3CC", "20m");
    fast.frequency = 14025999;
    ContactFields invalidTime = contact("PY3CC", "30m", "RTTY");
    invalidTime.qsoTime.status = kDateTimeInvalid;
    ContactFields nullTime = contact("PY3CC", "17m");
    nullTime.qsoTime.status = kDateTimeNull;
    ContactFields island = contact("PY3CC", "20m", "SSB", "ZZ");
    island.prefix = "PY0T";
    ContactFields empty;
    return {
        {"a refused band stops the checks", contact("PY3CC", "30m", "RTTY"), 0,
         "QSO:  3525  RTTY  2015-09-12 0930  PY2ZZ  599  SP  PY3CC  579  RJ   NO CONTEST BAND !!!\r\n"},
        {"160m is refused", contact("PY3CC", "160m"), 0, (kBase + "RJ   NO CONTEST BAND !!!\r\n")},
        {"12m is refused", contact("PY3CC", "12m"), 0, (kBase + "RJ   NO CONTEST BAND !!!\r\n")},
        {"mode in small letters", contact("PY3CC", "80m", "cw"), 0,
         "QSO:  3525  cw  2015-09-12 0930  PY2ZZ  599  SP  PY3CC  579  RJ   NO TEST MODE !!!\r\n"},
        {"missing received exchange", contact("PY3CC", "80m", "CW", ""), 0, (kBase + "   NO RX NUMBER !!!\r\n")},
        {"missing sent exchange", with(contact("PY3CC"), &ContactFields::exchangeSent, ""), 0,
         "QSO:  3525  CW  2015-09-12 0930  PY2ZZ  599    PY3CC  579  RJ   NO RX NUMBER !!!\r\n"},
        {"no area", contact("PY3CC", "80m", "CW", " xx "), 1,
         (kBase + " xx   XX   Code Area is not acceptable !!!\r\n")},
        {"category word in small letters", contact("PY3CC", "80m", "CW", "mil"), 1,
         (kBase + "mil  MIL   Code Area is not acceptable !!!\r\n")},
        {"category word", contact("PY3CC", "80m", "CW", "QRP"), 1, ""},
        {"island station", island, 1, ""},
        {"frequency rounds down", fast, 1, ""},
        {"unlisted band is stored", contact("PY3CC", "6m"), 1, ""},
        {"invalid time", invalidTime, 0,
         "QSO:  3525  RTTY  Invalid DateTime  PY2ZZ  599  SP  PY3CC  579  RJ   NO CONTEST BAND !!!\r\n"},
        {"null time", nullTime, 0, "QSO:  3525  CW    PY2ZZ  599  SP  PY3CC  579  RJ   NO CONTEST BAND !!!\r\n"},
        {"all empty", empty, 0, "QSO:  0    1899-12-30 0000" + std::string(12, ' ') + "   NO TEST MODE !!!\r\n"},
    };
}

TEST_F(ContestEngineTest, EachFindingWritesItsLine) {
    for (const FindingCase& c : findingCases()) {
        reset();
        const std::string before = errors();
        EXPECT_EQ(engine.addData(c.contact), c.expected) << c.name;
        EXPECT_EQ(visible(errors().substr(before.size())), visible(c.lines)) << c.name;
        EXPECT_EQ(records().size(), static_cast<size_t>(c.expected)) << c.name;
    }
}

// What addContact decides, as values: the contacts of `earlier` are added
// first (after a reset), then `contact`.
struct OutcomeCase {
    const char* name;
    std::vector<ContactFields> earlier;
    ContactFields contact;
    ContactResult result;
    std::vector<Finding> findings;
    std::string area;
};

std::string describe(ContactResult result, const std::vector<Finding>& findings, const std::string& area) {
    const char* const kResults[] = {"stored", "dupe", "refused"};
    std::string text = std::string(kResults[static_cast<int>(result)]) + " area '" + area + "'";
    for (const Finding& f : findings) {
        text += " [" + std::string(findingMessage(f.code)) + " '" + f.value + "' " + std::to_string(f.earlierTwins) +
                " " + std::to_string(f.duplicatedPosition) + "]";
    }
    return text;
}

std::vector<OutcomeCase> outcomeCases() {
    ContactFields island = contact("PY0TT", "20m", "SSB", "ZZ");
    island.prefix = "PY0T";
    const ContactFields twin = contact("PY3CC");
    const ContactFields other = contact("PY4DD");
    const Finding noArea{FindingCode::kAreaNotAcceptable, "XX", 0, 0};
    return {
        {"stored with its area", {}, contact("PY3CC", "80m", "CW", " sp "), ContactResult::kStored, {}, "SP"},
        {"refused band",
         {},
         contact("PY3CC", "30m"),
         ContactResult::kRefused,
         {{FindingCode::kNoContestBand, "30m", 0, 0}},
         ""},
        {"the band before the mode",
         {},
         contact("PY3CC", "160m", "RTTY"),
         ContactResult::kRefused,
         {{FindingCode::kNoContestBand, "160m", 0, 0}},
         ""},
        {"no test mode",
         {},
         contact("PY3CC", "80m", "RTTY"),
         ContactResult::kRefused,
         {{FindingCode::kNoTestMode, "RTTY", 0, 0}},
         ""},
        {"no exchange received",
         {},
         contact("PY3CC", "80m", "CW", ""),
         ContactResult::kRefused,
         {{FindingCode::kNoRxNumber, "", 0, 0}},
         ""},
        {"no exchange sent",
         {},
         with(contact("PY3CC"), &ContactFields::exchangeSent, ""),
         ContactResult::kRefused,
         {{FindingCode::kNoRxNumber, "", 0, 0}},
         ""},
        {"area not acceptable", {}, contact("PY3CC", "80m", "CW", " xx "), ContactResult::kStored, {noArea}, ""},
        {"category word", {}, contact("PY3CC", "80m", "CW", "YL"), ContactResult::kStored, {}, ""},
        {"island station", {}, island, ContactResult::kStored, {}, "PY0T"},
        {"a refused twin is no twin",
         {contact("PY3CC", "30m")},
         contact("PY3CC", "30m"),
         ContactResult::kRefused,
         {{FindingCode::kNoContestBand, "30m", 0, 0}},
         ""},
        {"other mode is no twin", {contact("PY3CC", "80m", "SSB")}, twin, ContactResult::kStored, {}, "RJ"},
        {"dupe of the first twin",
         {other, twin, other, twin},
         twin,
         ContactResult::kDupe,
         {{FindingCode::kDupe, "", 2, 1}},
         "RJ"},
        {"area, then dupe",
         {contact("PY3CC", "80m", "CW", "xx")},
         contact("PY3CC", "80m", "CW", "xx"),
         ContactResult::kDupe,
         {noArea, {FindingCode::kDupe, "", 1, 0}},
         ""},
    };
}

TEST_F(ContestEngineTest, EachContactsOutcomeIsItsCodesWithTheirValues) {
    for (const OutcomeCase& c : outcomeCases()) {
        reset();
        for (const ContactFields& earlier : c.earlier) {
            engine.addContact(earlier);
        }
        const std::string before = errors();
        const size_t storedBefore = records().size();
        const ContactOutcome outcome = engine.addContact(c.contact);
        EXPECT_EQ(describe(outcome.result, outcome.findings, outcome.area), describe(c.result, c.findings, c.area))
            << c.name;
        // The error file's lines are the outcome's, rendered.
        const ContactFindings lines = findingLines(c.contact, outcome);
        std::string rendered = lines.lines;
        for (size_t i = 0; i < lines.repeats; ++i) {
            rendered += lines.repeated;
        }
        EXPECT_EQ(visible(errors().substr(before.size())), visible(rendered)) << c.name;
        EXPECT_EQ(records().size(), storedBefore + (c.result == ContactResult::kRefused ? 0 : 1)) << c.name;
    }
}

TEST(FindingMessage, EachCodeEndsItsLineWithItsMessage) {
    const std::pair<FindingCode, const char*> kMessages[] = {
        {FindingCode::kNoContestBand, "NO CONTEST BAND !!!"},
        {FindingCode::kNoTestMode, "NO TEST MODE !!!"},
        {FindingCode::kNoRxNumber, "NO RX NUMBER !!!"},
        {FindingCode::kAreaNotAcceptable, "Code Area is not acceptable !!!"},
        {FindingCode::kDupe, "DUPE !!!"},
    };
    for (const auto& [code, message] : kMessages) {
        EXPECT_EQ(findingMessage(code), message);
        ContactOutcome outcome;
        outcome.findings.push_back(Finding{code, "XX", 3, 0});
        const ContactFindings lines = findingLines(contact("PY3CC"), outcome);
        const std::string& line = code == FindingCode::kDupe ? lines.repeated : lines.lines;
        const std::string end =
            (code == FindingCode::kAreaNotAcceptable ? "RJ  XX   " : "RJ   ") + std::string(message);
        EXPECT_EQ(line, kBase + end + "\r\n") << message;
        EXPECT_EQ(lines.repeats, code == FindingCode::kDupe ? 3u : 0u) << message;
    }
    EXPECT_EQ(findingLines(contact("PY3CC"), ContactOutcome()).lines, "") << "no finding, no line";
}

TEST_F(ContestEngineTest, StoredRecordCopiesTheFields) {
    reset();
    ContactFields c = contact("PY3CC", "20m", "SSB", " sp ");
    c.frequency = 14025999;
    c.auxText = "aux";
    c.prefix = "PY";
    ASSERT_EQ(engine.addData(c), 1);
    const CInfo r = records().at(0);
    EXPECT_EQ(r.call, "PY3CC");
    EXPECT_EQ(r.prefix, "PY");
    EXPECT_EQ(r.auxText, "aux");
    EXPECT_EQ(r.band, "20m");
    EXPECT_EQ(r.mode, "SSB");
    EXPECT_EQ(r.rstReceived, "579");
    EXPECT_EQ(r.rstSent, "599");
    EXPECT_EQ(r.exchangeReceived, " sp ");
    EXPECT_EQ(r.exchangeSent, "SP");
    EXPECT_EQ(r.area, "SP");
    EXPECT_EQ(r.frequencyKHz, 14025u);
    EXPECT_EQ(r.dupe, 0);
    EXPECT_EQ(r.time.date, c.qsoTime.date);
    EXPECT_EQ(r.time.status, kDateTimeValid);
}

TEST_F(ContestEngineTest, EveryEarlierTwinDrawsItsOwnDupeLine) {
    reset();
    EXPECT_EQ(engine.addData(contact("PY3CC")), 1);
    EXPECT_EQ(engine.addData(contact("PY3CC")), 1);
    EXPECT_EQ(engine.addData(contact("PY3CC", "80m", "SSB")), 1);  // other mode
    const std::string before = errors();
    EXPECT_EQ(engine.addData(contact("PY3CC")), 1);
    const std::string dupe = kBase + "RJ   DUPE !!!\r\n";
    EXPECT_EQ(errors().substr(before.size()), dupe + dupe);
    const auto stored = records();
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(stored[0].dupe, 0);
    EXPECT_EQ(stored[1].dupe, 1);
    EXPECT_EQ(stored[2].dupe, 0);
    EXPECT_EQ(stored[3].dupe, 1);
}

TEST_F(ContestEngineTest, AreaLineComesBeforeDupeLines) {
    reset();
    engine.addData(contact("PY3CC", "80m", "CW", "xx"));
    const std::string before = errors();
    engine.addData(contact("PY3CC", "80m", "CW", "xx"));
    EXPECT_EQ(errors().substr(before.size()),
              kBase + "xx  XX   Code Area is not acceptable !!!\r\n" + kBase + "xx   DUPE !!!\r\n");
}

TEST_F(ContestEngineTest, ResetEmptiesStoreAndStartsTheErrorFile) {
    reset();
    engine.addData(contact("PY3CC"));
    engine.addData(contact("PY3CC", "30m"));
    reset(1);
    EXPECT_EQ(errors(), "TORV UBN file \r\n");
    engine.withStore([](const ContactStore& s) {
        EXPECT_EQ(s.count(), 0u);
        EXPECT_TRUE(s.bandList().empty());
        EXPECT_EQ(s.workedRows()[0], std::vector<std::string>({"160m", "-", "-", "-"}));
        EXPECT_EQ(s.context().contestantCall, "PY2ZZ");
        EXPECT_EQ(s.context().startText, "14.03");
        EXPECT_EQ(s.context().endText, "15.03.2016");
        EXPECT_EQ(s.context().exportFlag, 1);
    });
    EXPECT_EQ(engine.checkCall("PY3CC", "CW", "PY", "RJ", "80m"), 2);
}

TEST_F(ContestEngineTest, AddBeforeTheFirstResetAppendsToAnEarlierFile) {
    writeFile(folder.file("err.txt"), "earlier run\r\n");
    EXPECT_EQ(engine.addData(contact("PY3CC", "30m")), 0);
    EXPECT_EQ(errors(), "earlier run\r\n" + kBase + "RJ   NO CONTEST BAND !!!\r\n");
}

TEST_F(ContestEngineTest, RemovalRules) {
    reset();
    engine.addData(contact("PY3CC"));
    engine.addData(contact("PY3CC"));  // dupe
    engine.addData(contact("PY4DD"));
    const std::string errorsBefore = errors();

    EXPECT_EQ(engine.removeData(with(contact("PY3CC"), &ContactFields::exchangeSent, "")), 0);
    EXPECT_EQ(engine.removeData(contact("PY3CC", "80m", "CW", "")), 0);
    ContactFields russian = contact("PY3CC", "80m", "CW", "XX");
    russian.prefix = "UA9";
    EXPECT_EQ(engine.removeData(russian), 0);
    EXPECT_EQ(records().size(), 3u);

    EXPECT_EQ(engine.removeData(contact("NOBODY")), 1);
    EXPECT_EQ(records().size(), 3u);

    russian.exchangeReceived = " sp ";
    EXPECT_EQ(engine.removeData(russian), 1);  // an area code after normalising: removed
    auto left = records();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].call, "PY3CC");
    EXPECT_EQ(left[0].dupe, 1);  // marks are not recomputed
    EXPECT_EQ(left[1].call, "PY4DD");
    EXPECT_EQ(errors(), errorsBefore);

    // The remaining twin still makes a new contact a duplicate.
    EXPECT_EQ(engine.checkCall("PY3CC", "CW", "PY", "RJ", "80m"), 0);
}

TEST_F(ContestEngineTest, RemovalMatchesCallModeAndBandExactly) {
    reset();
    engine.addData(contact("PY3CC"));
    EXPECT_EQ(engine.removeData(contact("py3cc")), 1);
    EXPECT_EQ(engine.removeData(contact("PY3CC", "80m", "SSB")), 1);
    EXPECT_EQ(engine.removeData(contact("PY3CC", "40m")), 1);
    EXPECT_EQ(records().size(), 1u);
}

struct CheckCase {
    const char* name;
    const char* call;
    const char* mode;
    const char* prefix;
    const char* areaText;
    const char* band;
    int expected;
};

const CheckCase kCheckCases[] = {
    {"duplicate", "PY3CC", "CW", "PY", "XX", "80m", 0},
    {"duplicate whatever the prefix", "PY3CC", "CW", "DL", "", "80m", 0},
    {"other mode, same area", "PY3CC", "SSB", "PY", "RJ", "80m", 1},
    {"new call, area worked on the band", "PY5EE", "CW", "PY", "RJ", "80m", 1},
    {"island prefix, area worked", "PY0FX", "CW", "PY0F", "RJ", "80m", 1},
    {"area compared as passed", "PY5EE", "CW", "PY", "rj", "80m", 2},
    {"area only on another band", "PY5EE", "CW", "PY", "RJ", "40m", 2},
    {"PY0/s is foreign here", "PY5EE", "CW", "PY0/s", "RJ", "80m", 2},
    {"foreign prefix", "DL1AA", "CW", "DL", "RJ", "80m", 2},
    {"empty area matches a record without one", "PY5EE", "CW", "PY", "", "40m", 1},
    {"call compared exactly", "py3cc", "CW", "PY", "SP", "80m", 2},
};

class CheckCallTest : public ContestEngineTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CheckCallTest, Answers) {
    reset();
    EXPECT_EQ(engine.checkCall("PY3CC", "CW", "PY", "RJ", "80m"), 2) << "empty store";
    engine.addData(contact("PY3CC"));                     // 80m CW, area RJ
    engine.addData(contact("PY4DD", "40m", "CW", "YL"));  // 40m, no area
    const CheckCase& c = GetParam();
    EXPECT_EQ(engine.checkCall(c.call, c.mode, c.prefix, c.areaText, c.band), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, CheckCallTest, ::testing::ValuesIn(kCheckCases), [](const auto& testCase) {
    return std::to_string(testCase.index) + "_" + testName(testCase.param.name);
});

TEST_F(ContestEngineTest, AnErrorFileThatCannotBeWrittenChangesNoResult) {
    // A folder in the file's place cannot be opened for writing, even by root.
    std::filesystem::create_directory(folder.file("err.txt"));
    reset();
    EXPECT_EQ(engine.addData(contact("PY3CC", "30m")), 0);
    EXPECT_EQ(engine.addData(contact("PY3CC")), 1);
    EXPECT_EQ(engine.addData(contact("PY3CC")), 1);
    EXPECT_EQ(records().size(), 2u);
    EXPECT_EQ(records()[1].dupe, 1);
}

TEST_F(ContestEngineTest, LongTextsAndHighBytesPassThroughUnchanged) {
    reset();
    const std::string longCall(64 * 1024, 'K');
    std::string highBytes;
    for (int c = 0x80; c <= 0xFF; ++c) {
        highBytes += static_cast<char>(c);
    }
    ContactFields c = contact(longCall + highBytes, "30m");
    c.exchangeReceived = highBytes;
    EXPECT_EQ(engine.addData(c), 0);
    EXPECT_EQ(errors(), "TORV UBN file \r\nQSO:  3525  CW  2015-09-12 0930  PY2ZZ  599  SP  " + longCall + highBytes +
                            "  579  " + highBytes + "   NO CONTEST BAND !!!\r\n");
    c.band = "80m";
    EXPECT_EQ(engine.addData(c), 1);
    EXPECT_EQ(records().at(0).call, longCall + highBytes);
    EXPECT_EQ(engine.checkCall(longCall + highBytes, "CW", "PY", "", "80m"), 0);
}

}  // namespace
