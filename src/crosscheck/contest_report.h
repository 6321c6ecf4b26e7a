// Everything known of a checked contest, from which every file `torv check`
// writes is made: the files read and what became of them, the logs, the
// verdicts, each entrant's category, scores and header, and the settings of
// the check. Pure: the caller writes the texts where they belong.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "crosscheck/category.h"
#include "crosscheck/checked_score.h"
#include "crosscheck/crosscheck.h"
#include "crosscheck/glossary.h"

namespace torv::crosscheck {

// Everything known of one entrant once the logs are checked.
struct Entrant {
    std::string file;      // the log's file, as given
    Category logCategory;  // as its header says
    Category category;     // as ranked: the header's, each part the committee gave replaced
    std::string club;      // the committee's file's, else the log's CLUB; "" when neither gives one
    std::string soapbox;   // the log's SOAPBOX lines, joined by line feeds
    HeaderFacts header;
    std::vector<std::string> qsoText;         // the line of each contact not confirmed, as the file holds it
    std::vector<std::string> unreadableText;  // each unreadable line as the file holds it
    // The engine's score of the whole log, and the checked score.
    int32_t claimedQsos = 0;  // contacts the engine counts: stored, no duplicate, a call
    int32_t claimedPoints = 0;
    int32_t claimedMultipliers = 0;
    int32_t claimedScore = 0;
    CheckedScore checked;
    std::vector<std::string> findings;  // header sanity, one sentence each
    std::string problem;                // why its checked score could not be made, "" when it was
};

// What became of one file given to the check.
enum class FileFate : uint8_t {
    kChecked,       // its log is checked
    kLeftOut,       // it cannot be read, is no log or names no station
    kReplaced,      // another log of its call is checked instead
    kOtherContest,  // its log names another contest: left out
    kNoContacts,    // its log has no QSO line, or none that could be read: not ranked
};

struct FileRecord {
    std::string path;  // as given
    std::string call;  // the station the log names, "" when none
    FileFate fate = FileFate::kChecked;
    // Left out: why. Replaced: the file checked instead. Another contest:
    // the name the log gives it.
    std::string reason;
    // What the reader said of it, in order (at most 20, then how many more).
    std::vector<std::string> messages;
    uint32_t qsoLines = 0;
    uint32_t unreadableLines = 0;
};

// Several logs of one call: the one checked and the others, the one
// preferred next first.
struct Replacement {
    std::string call;
    std::string checked;
    std::vector<std::string> leftOut;
};

struct CheckSettings {
    CheckOptions options;  // the contest period among them
    ScoreRules rules;
    Language language = Language::kEnglish;
    std::string toolVersion;  // "1.0.0", shown on the pages
};

struct ContestReport {
    std::vector<SubmittedLog> logs;
    std::vector<LogVerdict> verdicts;
    std::vector<Entrant> entrants;  // one per log, same order
    CheckSettings settings;
    std::vector<FileRecord> files;          // every file given, in the order given
    std::vector<Replacement> replacements;  // by call
    // The committee's categories file: its name and what was wrong in it,
    // one sentence a line ("line 4: ...").
    std::string categoriesFile;
    std::vector<std::string> categoriesProblems;
    // The rows of the committee's decisions file (settings.options.decisions)
    // left aside once the logs were known.
    std::vector<DecisionProblem> decisionProblems;
    // Folders found inside a folder of logs, not read (their paths).
    std::vector<std::string> foldersNotRead;
};

// Cross-checks the report's logs with its settings, the committee's
// decisions last: its verdicts and decisionProblems.
void crossCheckReport(ContestReport& report);

// What was wrong in the committee's decisions file, one English sentence
// each, its name first: the rows it could not read, then those left aside.
std::vector<std::string> decisionsProblems(const ContestReport& report);

// Why a file is not an entry of the results, in the language, for a file
// of another contest or without contacts ("names another contest,
// \"CQ-WPX-CW\"; left out"); "" for any other file.
std::string notEntryText(const FileRecord& file, Language language);

// The files left out, the logs replaced by another of their call and the
// checked scores that could not be made, one English sentence each.
std::vector<std::string> fileNotes(const ContestReport& report);

// Everything to tell on standard error, one English line each, in order:
// for each file what its reader said and why it is left out, then the logs
// replaced ("warning: ..."), then the checked scores that could not be
// made, then the problems of the categories file and of the decisions file.
std::vector<std::string> diagnosticLines(const ContestReport& report);

// How many of one entrant's QSO lines have each status, unreadable lines
// included.
struct VerdictCounts {
    std::array<int32_t, kStatusCount> byStatus{};

    int32_t of(QsoStatus status) const { return byStatus[static_cast<size_t>(status)]; }
    int32_t lines() const;  // every QSO line
    // The lines the checked score counts: those whose status countsInScore
    // (checked_score.h).
    int32_t counted(UniquePolicy uniques) const;
    int32_t busted() const { return of(QsoStatus::kBustedCall) + of(QsoStatus::kBustedExchange); }
};
VerdictCounts countVerdicts(const SubmittedLog& log, const LogVerdict& verdict);

// The log's claimed score: its CLAIMED-SCORE when that is a number, else
// the engine's recomputation.
int64_t claimedScoreOf(const Entrant& entrant);

// The entrants in results order, each with its rank in its category: by
// category (categoryKey; entrants without one last), then checked score
// high to low, then call. Equal checked scores share a rank (1, 2, 2, 4).
// Check logs (isCheckLog) are not ranked: see checkLogs.
struct Ranked {
    size_t log;
    int rank;
    bool opensCategory;  // the first entrant of its category
};
std::vector<Ranked> ranked(const ContestReport& report);

// The entrants who sent a check log, by call: listed apart, unranked.
std::vector<size_t> checkLogs(const ContestReport& report);

// The parts of the categories that at least one entrant gives as one of the
// contest's values: the published headings show those alone.
CategoryParts shownParts(const ContestReport& report);

// The heading of an entrant's category on the published pages, in words
// (categoryTitle: "Single operator A · all bands · low power"), or the
// words for no category.
std::string categoryHeading(const Entrant& entrant, Language language, const CategoryParts& shown);

// The category in the contest's own words, as the committee writes them in
// its file: its four parts, "—" for each that is not one of the contest's
// ("SINGLE-OP A · ALL · LOW · —"), or the words for no category.
std::string categoryInContestWords(const Category& category, Language language);

// Each log's UBN report name without folder and extension ("PY2AAA_P"),
// in the logs' order: safeFileNames of their calls.
std::vector<std::string> ubnFileNames(const ContestReport& report);

// The English detail of the verdict on contact q of log l, with a note
// when the contact lies outside the contest period (qsos.csv).
std::string detailOf(const ContestReport& report, size_t l, size_t q);

// The same in the report's language, for the entrants' reports.
std::string reasonOf(const ContestReport& report, size_t l, size_t q);

// The contest and its year ("TORV 2026"): the period's year, else the year
// most contacts were made in.
std::string contestName(const ContestReport& report);

// A clock's offset in words: "3 minutes fast", "2 hours 1 minute slow".
std::string offsetWords(Language language, int32_t minutes);

// The rules applied, one sentence, in the report's language.
std::string rulesSentence(const ContestReport& report);

}  // namespace torv::crosscheck
