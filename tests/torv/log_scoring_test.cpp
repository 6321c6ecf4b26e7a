// One parsed log through the module object, as torv scores it: the sample
// log gives the golden summary, error file and Cabrillo file that Stats.dll
// gives through PelkSim; findings per contact; the settings file only read.
#include "log_scoring.h"

#include <gtest/gtest.h>

#include "logfile/adif_contact.h"
#include "plugin/module.h"
#include "support/fakes.h"
#include "support/files.h"
#include "support/temp_folder.h"

using torv::abi::kDateTimeValid;
using torv::calendar::oleDateFromCalendar;
using torv::engine::ContactFields;
using torv::logfile::contactsFromAdif;
using torv::logfile::LogContact;
using torv::plugin::headlessPorts;
using torv::reports::BandRow;

namespace {

// The first of a pair of twins (ZZ7XQ on 20 m CW), removed after the log.
constexpr size_t kRemovedRecord = 86;

const std::vector<LogContact>& sampleContacts() {
    static const std::vector<LogContact> contacts =
        contactsFromAdif(readFile(testDataPath("../examples/torv-sample.adi")), "");
    return contacts;
}

ScoringSetup sampleSetup() {
    ScoringSetup setup;
    setup.contestantCall = "PY2ZZ";
    setup.start = {oleDateFromCalendar(2015, 9, 12, 0, 0), kDateTimeValid};
    setup.end = {oleDateFromCalendar(2015, 9, 13, 23, 59), kDateTimeValid};
    return setup;
}

// The findings as they are handed out.
struct Streamed {
    std::string text;
    void into(ScoringSetup& setup) {
        setup.writeFindings = [this](std::string_view bytes) { text += bytes; };
    }
};

TEST(LogScoring, TheSampleGivesTheGoldenFiles) {
    ScoringSetup setup = sampleSetup();
    setup.exportCabrillo = true;
    Streamed findings;
    findings.into(setup);
    const ScoredLog scored = scoreLog(sampleContacts(), setup);
    EXPECT_TRUE(matchesGolden(scored.summary, "golden/sample.summary.txt"));
    EXPECT_TRUE(matchesGolden(findings.text, "golden/sample.err.txt"));
    EXPECT_TRUE(matchesGolden(scored.cabrillo, "golden/sample.cbr"));
    EXPECT_EQ(scored.cabrilloFileName, "PY2ZZ.cbr");
}

TEST(LogScoring, EachContactHasItsOutcomeAndItsMessage) {
    const ScoredLog scored = scoreLog(sampleContacts(), sampleSetup());
    ASSERT_EQ(scored.contacts.size(), sampleContacts().size());
    size_t stored = 0;
    for (size_t i = 0; i < scored.contacts.size(); ++i) {
        const ContactOutcome& outcome = scored.contacts[i];
        stored += outcome.result != ContactResult::kRefused;
        EXPECT_EQ(outcome.result == ContactResult::kDupe, outcome.finding == "DUPE !!!") << "contact " << i;
        if (outcome.result == ContactResult::kRefused) {
            EXPECT_FALSE(outcome.finding.empty()) << "a refusal always says why: contact " << i;
        }
    }
    EXPECT_EQ(stored, scored.storedCount);
    // Counted as the golden error file's lines end.
    const std::string golden = readFile(testDataPath("golden/sample.err.txt"));
    auto lines = [&golden](const char* message) {
        size_t count = 0;
        for (size_t at = golden.find(message); at != std::string::npos; at = golden.find(message, at + 1)) {
            ++count;
        }
        return count;
    };
    EXPECT_EQ(scored.findings.noTestMode, lines("   NO TEST MODE !!!\r\n"));
    EXPECT_EQ(scored.findings.areaNotAcceptable, lines("   Code Area is not acceptable !!!\r\n"));
    EXPECT_EQ(scored.findings.dupe, lines("   DUPE !!!\r\n"));
    EXPECT_EQ(scored.findings.noContestBand + scored.findings.noRxNumber,
              lines(" !!!\r\n") - lines("   NO TEST MODE") - lines("   Code Area") - lines("   DUPE"));
}

// A contact repeated n times draws n(n-1)/2 DUPE lines: they are written as
// they come, and the scoring stops before the findings pass their limit.
TEST(LogScoring, RepeatedContactsAreWrittenAsTheyComeWithinTheLimit) {
    const std::vector<LogContact> twins(300, sampleContacts().front());
    ScoringSetup setup = sampleSetup();
    Streamed findings;
    findings.into(setup);
    const ScoredLog scored = scoreLog(twins, setup);
    EXPECT_EQ(scored.findings.dupe, 300u * 299 / 2);
    const size_t lineLength = findings.text.find("\r\n", 16) + 2 - 16;
    EXPECT_EQ(findings.text.size(), 16 + scored.findings.dupe * lineLength);

    setup.findingsLimit = findings.text.size() - 1;
    Streamed cut;
    cut.into(setup);
    EXPECT_THROW(scoreLog(twins, setup), FindingsTooLarge);
    EXPECT_LE(cut.text.size(), setup.findingsLimit);
    EXPECT_GT(cut.text.size(), setup.findingsLimit - 300 * lineLength) << "the contact that would pass it stops it";
}

TEST(LogScoring, TheRowsAreTheSummarys) {
    const ScoredLog scored = scoreLog(sampleContacts(), sampleSetup());
    std::string rows;
    for (const BandRow& row : scored.numbers.bands) {
        rows += row.band + "\t " + std::to_string(row.qsos) + "\t " + std::to_string(row.points) + "\r\n";
    }
    EXPECT_NE(scored.summary.find("\tQSOs\tPoints\tMULT\r\n" + rows + "Total\t "), std::string::npos) << rows;
    EXPECT_NE(
        scored.summary.find("Score: " + std::to_string(scored.numbers.points) + "*" +
                            std::to_string(scored.numbers.multipliers) + " = " + std::to_string(scored.numbers.score)),
        std::string::npos);
    EXPECT_EQ(scored.numbers.workedAreas.size(), static_cast<size_t>(scored.numbers.multipliers));
}

TEST(LogScoring, TheSettingsFileGivesTheHeader) {
    const std::string settings = "[Settings]\r\nName=Ana Silva\r\nClub=Clube TORV\r\nSoapBox=one<CR><LF>two\r\n";
    ScoringSetup setup = sampleSetup();
    setup.exportCabrillo = true;
    setup.settings = settings;
    const ScoredLog scored = scoreLog(sampleContacts(), setup);
    EXPECT_NE(scored.cabrillo.find("\r\nNAME: Ana Silva\r\n"), std::string::npos);
    EXPECT_NE(scored.cabrillo.find("\r\nCLUB: Clube TORV\r\n"), std::string::npos);
    EXPECT_NE(scored.cabrillo.find("\r\nSOAPBOX: one\r\nSOAPBOX: two\r\n"), std::string::npos);
}

TEST(LogScoring, AKeptCallsignGoesIntoTheHeaderAndTheQsoLines) {
    ScoringSetup setup = sampleSetup();
    setup.exportCabrillo = true;
    setup.callsign = "PY2ZZ/P";
    const ScoredLog scored = scoreLog(sampleContacts(), setup);
    EXPECT_NE(scored.cabrillo.find("\r\nCALLSIGN: PY2ZZ/P\r\n"), std::string::npos);
    EXPECT_NE(scored.cabrillo.find(" PY2ZZ/P       59  SP "), std::string::npos);
    EXPECT_EQ(scored.cabrilloFileName, "PY2ZZ.cbr") << "the file is named after the contestant";
}

TEST(LogScoring, ContactsWithoutOwnCallTakeTheContestants) {
    LogContact contact = sampleContacts().front();
    contact.ownCall.clear();
    contact.mode = "RTTY";  // refused, so its line shows the own call
    ScoringSetup setup = sampleSetup();
    Streamed findings;
    findings.into(setup);
    const ScoredLog scored = scoreLog({contact}, setup);
    ASSERT_EQ(scored.contacts.size(), 1u);
    EXPECT_EQ(scored.contacts[0].result, ContactResult::kRefused);
    EXPECT_NE(findings.text.find("  PY2ZZ  "), std::string::npos) << findings.text;
}

TEST(LogScoring, AnEmptyLogScoresNothing) {
    ScoringSetup setup;
    Streamed findings;
    findings.into(setup);
    const ScoredLog scored = scoreLog({}, setup);
    EXPECT_EQ(scored.summary,
              "      TORV -\r\n\tContestant:  \r\n\tQSOs\tPoints\tMULT\r\nTotal\t 0\t 0\t 0\r\n\r\nScore: 0*0 = 0");
    EXPECT_EQ(findings.text, "TORV UBN file \r\n");
}

TEST(FindingMessage, TheTextAfterTheFields) {
    EXPECT_EQ(
        findingMessage("QSO:  10120  CW  2026-03-14 1201  PY2BBB  599  RJ  PY2AAA  599  SP   NO CONTEST BAND !!!\r\n"),
        "NO CONTEST BAND !!!");
    EXPECT_EQ(findingMessage("QSO:  7020  CW  x  A  599    B  599     NO RX NUMBER !!!\r\n"), "NO RX NUMBER !!!");
    EXPECT_EQ(findingMessage(""), "");
}

TEST(LogScoring, ContactFieldsAreTheRecordsWithAValidTime) {
    const LogContact& contact = sampleContacts().front();
    const ContactFields fields = contactFieldsOf(contact);
    EXPECT_EQ(fields.qsoTime.status, kDateTimeValid);
    EXPECT_EQ(fields.qsoTime.date, contact.oleDate);
    EXPECT_EQ(fields.call, contact.call);
    EXPECT_EQ(fields.ownCall, contact.ownCall);
    EXPECT_EQ(fields.frequency, contact.frequency);
    EXPECT_EQ(fields.mode, contact.mode);
    EXPECT_EQ(fields.band, contact.band);
    EXPECT_EQ(fields.rstSent, contact.rstSent);
    EXPECT_EQ(fields.rstReceived, contact.rstReceived);
    EXPECT_EQ(fields.exchangeSent, contact.exchangeSent);
    EXPECT_EQ(fields.exchangeReceived, contact.exchangeReceived);
    EXPECT_EQ(fields.prefix, contact.prefix);
    EXPECT_EQ(fields.auxText, "");
}

// The module object as the plug-in holds it, fed with the same contacts:
// a removal, then a second pass (what Stats.dll does through PelkSim).
TEST(SampleLogScoring, ARemovalRecomputesNoMarksAndASecondPassScoresAlike) {
    TempFolder folder;
    CTestApp app(headlessPorts(std::make_unique<MemorySettings>()), folder.path().string());
    auto pass = [&](int exportFlag) {
        const ScoringSetup setup = sampleSetup();
        app.resetStats(exportFlag, setup.contestantCall, setup.start, setup.end);
        for (const LogContact& contact : sampleContacts()) {
            app.addData(contactFieldsOf(contact));
        }
        int status = 0;
        return std::string(app.result(&status));
    };
    const std::string first = pass(1);
    const LogContact& removed = sampleContacts().at(kRemovedRecord);
    ASSERT_EQ(removed.call, "ZZ7XQ");
    EXPECT_EQ(app.removeData(contactFieldsOf(removed)), 1);
    int status = 0;
    EXPECT_TRUE(matchesGolden(app.result(&status), "golden/sample_after_removal.summary.txt"));
    // The export flag stays until the next rescoring: the file is written again.
    EXPECT_TRUE(matchesGolden(readFile(folder.file("PY2ZZ.cbr")), "golden/sample_after_removal.cbr"));
    // The twin left behind stays a duplicate until the next pass.
    EXPECT_EQ(pass(0), first);
    EXPECT_TRUE(matchesGolden(readFile(folder.file("err.txt")), "golden/sample.err.txt"));
}

}  // namespace
