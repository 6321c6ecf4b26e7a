// One parsed log through the scoring pass, as torv scores it: the sample
// log gives the golden summary, error file and Cabrillo file that Stats.dll
// gives through PelkSim; what the engine decided per contact; the settings
// file only read.
#include "scoring/log_scoring.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "logfile/adif_contact.h"
#include "scoring/scoring_pass.h"
#include "support/fakes.h"
#include "support/files.h"
#include "support/temp_folder.h"

using torv::abi::kDateTimeValid;
using torv::calendar::oleDateFromCalendar;
using torv::engine::ContactFields;
using torv::engine::ContactOutcome;
using torv::engine::ContactResult;
using torv::engine::Finding;
using torv::engine::FindingCode;
using torv::logfile::contactsFromAdif;
using torv::logfile::LogContact;
using torv::reports::BandRow;
using torv::scoring::contactFieldsOf;
using torv::scoring::FindingsTooLarge;
using torv::scoring::headlessPorts;
using torv::scoring::ScoredLog;
using torv::scoring::scoreLog;
using torv::scoring::ScoringPass;
using torv::scoring::ScoringSetup;
using torv::scoring::scoringSetupFor;

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

TEST(LogScoring, EachContactHasItsOutcomeAndTheCountsAreTheErrorFilesLines) {
    Streamed findings;
    ScoringSetup setup = sampleSetup();
    findings.into(setup);
    const ScoredLog scored = scoreLog(sampleContacts(), setup);
    ASSERT_EQ(scored.contacts.size(), sampleContacts().size());
    size_t stored = 0;
    size_t lines = 0;
    for (size_t i = 0; i < scored.contacts.size(); ++i) {
        const ContactOutcome& outcome = scored.contacts[i];
        stored += outcome.result != ContactResult::kRefused;
        const bool dupe = !outcome.findings.empty() && outcome.findings.back().code == FindingCode::kDupe;
        EXPECT_EQ(outcome.result == ContactResult::kDupe, dupe) << "contact " << i;
        if (outcome.result == ContactResult::kRefused) {
            EXPECT_EQ(outcome.findings.size(), 1u) << "a refusal always says why: contact " << i;
            EXPECT_EQ(outcome.area, "") << "contact " << i;
        }
        for (const Finding& finding : outcome.findings) {
            lines += finding.code == FindingCode::kDupe ? finding.earlierTwins : 1;
        }
    }
    EXPECT_EQ(stored, scored.storedCount);
    // Counted as the golden error file's lines end.
    const std::string golden = readFile(testDataPath("golden/sample.err.txt"));
    auto linesEnding = [&golden](const char* message) {
        size_t count = 0;
        for (size_t at = golden.find(message); at != std::string::npos; at = golden.find(message, at + 1)) {
            ++count;
        }
        return count;
    };
    EXPECT_EQ(scored.findings.noContestBand, linesEnding("   NO CONTEST BAND !!!\r\n"));
    EXPECT_EQ(scored.findings.noTestMode, linesEnding("   NO TEST MODE !!!\r\n"));
    EXPECT_EQ(scored.findings.noRxNumber, linesEnding("   NO RX NUMBER !!!\r\n"));
    EXPECT_EQ(scored.findings.areaNotAcceptable, linesEnding("   Code Area is not acceptable !!!\r\n"));
    EXPECT_EQ(scored.findings.dupe, linesEnding("   DUPE !!!\r\n"));
    EXPECT_EQ(lines + 1, linesEnding("\r\n")) << "every line but the first is a contact's finding";
    EXPECT_EQ(findings.text, readFile(testDataPath("golden/sample.err.txt")));
}

// Without a writer the findings are counted alike, and never rendered.
TEST(LogScoring, FindingsWithoutAWriterAreCountedAlike) {
    ScoringSetup setup = sampleSetup();
    Streamed findings;
    findings.into(setup);
    const ScoredLog written = scoreLog(sampleContacts(), setup);
    const ScoredLog counted = scoreLog(sampleContacts(), sampleSetup());
    EXPECT_EQ(counted.findings.noContestBand, written.findings.noContestBand);
    EXPECT_EQ(counted.findings.noTestMode, written.findings.noTestMode);
    EXPECT_EQ(counted.findings.noRxNumber, written.findings.noRxNumber);
    EXPECT_EQ(counted.findings.areaNotAcceptable, written.findings.areaNotAcceptable);
    EXPECT_EQ(counted.findings.dupe, written.findings.dupe);
    EXPECT_GT(counted.findings.dupe, 0u);
    EXPECT_EQ(counted.summary, written.summary);
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
    try {
        scoreLog(twins, setup);
        ADD_FAILURE() << "no FindingsTooLarge";
    } catch (const FindingsTooLarge& error) {
        EXPECT_EQ(error.limit(), setup.findingsLimit);
    }
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

// The pass as the plug-in's module holds it, fed with the same contacts:
// a removal, then a second pass (what Stats.dll does through PelkSim).
TEST(SampleLogScoring, ARemovalRecomputesNoMarksAndASecondPassScoresAlike) {
    TempFolder folder;
    ScoringPass scoring(headlessPorts(std::make_unique<MemorySettings>()), folder.path().string());
    auto pass = [&](int exportFlag) {
        const ScoringSetup setup = sampleSetup();
        scoring.reset(exportFlag, setup.contestantCall, setup.start, setup.end);
        for (const LogContact& contact : sampleContacts()) {
            scoring.add(contactFieldsOf(contact));
        }
        return scoring.result();
    };
    const std::string first = pass(1).summary.text;
    const LogContact& removed = sampleContacts().at(kRemovedRecord);
    ASSERT_EQ(removed.call, "ZZ7XQ");
    EXPECT_EQ(scoring.remove(contactFieldsOf(removed)), 1);
    const auto afterRemoval = scoring.result();
    EXPECT_TRUE(matchesGolden(afterRemoval.summary.text, "golden/sample_after_removal.summary.txt"));
    // The export flag stays until the next rescoring: the file is written again.
    ASSERT_TRUE(afterRemoval.cabrillo.has_value());
    EXPECT_TRUE(afterRemoval.cabrillo->written);
    EXPECT_EQ(afterRemoval.cabrillo->message, "File produced: PY2ZZ.cbr");
    EXPECT_TRUE(matchesGolden(readFile(folder.file("PY2ZZ.cbr")), "golden/sample_after_removal.cbr"));
    // The twin left behind stays a duplicate until the next pass.
    const auto second = pass(0);
    EXPECT_EQ(second.summary.text, first);
    EXPECT_FALSE(second.cabrillo.has_value()) << "a pass without an export writes no file";
    EXPECT_TRUE(matchesGolden(readFile(folder.file("err.txt")), "golden/sample.err.txt"));
}

TEST(SampleLogScoring, ACancelledHeaderExportsNothingUntilTheNextReset) {
    TempFolder folder;
    auto ports = headlessPorts(std::make_unique<MemorySettings>());
    auto dialog = std::make_unique<ScriptedHeaderDialog>();
    dialog->confirm = false;
    ports.headerDialog = std::move(dialog);
    ScoringPass scoring(std::move(ports), folder.path().string());
    const ScoringSetup setup = sampleSetup();
    scoring.reset(1, setup.contestantCall, setup.start, setup.end);
    scoring.add(contactFieldsOf(sampleContacts().front()));
    const auto result = scoring.result();
    EXPECT_FALSE(result.cabrillo.has_value());
    EXPECT_FALSE(std::filesystem::exists(folder.file("PY2ZZ.cbr")));
    EXPECT_EQ(scoring.settings().readText("Claimed", ""), std::to_string(result.summary.score));
}

}  // namespace
