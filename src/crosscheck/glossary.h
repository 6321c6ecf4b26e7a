// The words of the committee's published files, in each language they are
// written in: English, and Brazilian Portuguese for the contest's own
// entrants. One glossary holds every term (NIL, busted call, unique, the
// checked score, ...) so that each is said one way throughout. Texts with
// values hold {1}, {2}, ... where the values go (see filled).
//
// The data files (qsos.csv, results.csv, results.json) keep their English
// headers, keys and status words whatever the language.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "crosscheck/crosscheck.h"
#include "engine/contact_outcome.h"
#include "logfile/read_fault.h"

namespace torv::crosscheck {

enum class Language : uint8_t { kEnglish, kPortuguese };

// "en" and "pt", also as "en-US" and "pt-BR", letter case aside; nothing
// for any other text.
std::optional<Language> languageNamed(std::string_view name);

// How a status is said: as the heading of its group in a UBN report, and
// as the name before a count ("NIL 9", "não consta no log: 9"). The
// unreadable lines have theirs too (QsoStatus::kUnreadable).
struct StatusWords {
    std::string_view heading;
    std::string_view counted;
};

// Every text of the pages and reports but the status words. A field's
// comment says which values fill it.
struct Words {
    std::string_view htmlLang;        // the pages' lang attribute
    std::string_view countAfterName;  // {1} a status's name, {2} its count

    // The pages.
    std::string_view resultsTitle;    // {1} contest and year
    std::string_view committeeTitle;  // {1} contest and year
    std::string_view ubnTitle;        // {1} contest and year, {2} call
    std::string_view resultsLink, committeeNotice, noCategory, categoryLabel, contactsPerHour, findCall;
    std::string_view checkedWith;  // {1} version

    // The rules applied.
    std::string_view rules;   // {1} window, {2} uniques, {3} penalty, {4} period
    std::string_view window;  // {1} minutes
    std::string_view uniquesCounted, uniquesRemoved, noPenalty;
    std::string_view penalty;     // {1} times
    std::string_view period;      // {1} start, {2} end
    std::string_view periodFrom;  // {1} start
    std::string_view periodTo;    // {1} end
    std::string_view noPeriod;

    // The results tables: headings of the page, short ones of the text and their legend.
    std::string_view rank, call, qsos, confirmed, points, multipliers, claimedScore, checkedScore, nil, busted, unique;
    std::string_view rankShort, confirmedShort, multipliersShort, claimedShort, checkedShort, nilShort, bustedShort,
        uniqueShort, shortLegend;

    // The UBN report.
    std::string_view claimed, checked, score;
    std::string_view penaltyTaken;          // {1} points
    std::string_view lineCounts;            // {1} lines, {2} counted, {3} their counts, {4} not counted, {5} theirs
    std::string_view lineCountsAllCounted;  // the same when every line counts
    std::string_view clockUnknown;
    std::string_view clockRight;  // {1} contacts found
    std::string_view clockOff;    // {1} offset, {2} contacts found
    std::string_view fast, slow;  // {1} hours and minutes
    std::string_view hours, hour, minutes, minute;
    std::string_view hoursAndMinutes;  // {1} hours, {2} minutes
    std::string_view line;             // {1} number
    std::string_view notRead;          // {1} reason
    std::string_view othersHeading, othersNote;
    std::string_view otherLine;              // {1} call, {2} line number
    std::string_view yourCallMiscopied;      // {1} logged
    std::string_view yourExchangeMiscopied;  // {1} logged, {2} sent

    // The details of the verdicts (verdictDetailIn).
    std::string_view detailBustedExchange;  // {1} logged, {2} other call, {3} sent
    std::string_view detailBustedCall;      // {1} logged, {2} was
    std::string_view detailNil;             // {1} call
    std::string_view detailUnique;          // {1} call
    std::string_view detailUnverified;      // {1} call
    std::string_view detailLineUnreadable;  // {1} call, {2} the other log's line
    std::string_view detailNoContestBand, detailNoContestMode, detailExchangeMissing, detailNoArea, detailDupe;
    std::string_view detailOtherBand;  // {1} band
    std::string_view noBand;
    std::string_view outsidePeriod;

    // The committee's page.
    std::string_view filesHeading, file, qsoLines, unreadableLines, fate, checkedFate;
    std::string_view leftOutFate;   // {1} reason
    std::string_view replacedFate;  // {1} file checked
    std::string_view replacedHeading;
    std::string_view replacedBy;  // {1} call, {2} file checked, {3} files left out
    std::string_view categoriesHeading;
    std::string_view noCategoryOf;          // {1} call
    std::string_view otherBandCategory;     // {1} call, {2} band
    std::string_view unknownCategoryWords;  // {1} call, {2} parts
    std::string_view givenCategory;         // {1} call, {2} category given, {3} the log's
    std::string_view operatorPart, bandPart, powerPart, modePart;
    std::string_view headersHeading;
    std::string_view claimedMissing;  // {1} call, {2} score
    std::string_view claimedDiffers;  // {1} call, {2} claimed, {3} score
    std::string_view bandMismatch;    // {1} call, {2} band, {3} other bands
    std::string_view modeMismatch;    // {1} call, {2} mode, {3} count
    std::string_view lookHeading, lookNote, notConfirmedShare, uniqueShare, clockOffset, why;
    std::string_view fewConfirmed, manyUnique, clockFarOff;
    std::string_view clocksHeading;
    std::string_view clockOf;  // {1} call, {2} offset, {3} contacts found
    std::string_view nothing;

    // The evidence of the rules that look past the other log.
    std::string_view detailBustedCallNear;  // {1} logged, {2} was, {3} how near (nearSwapped, nearConfused)
    std::string_view nearSwapped;
    std::string_view nearConfused;        // {1} mode, {2} the pairs (confusedPair, ", " between)
    std::string_view confusedPair;        // {1} logged, {2} real
    std::string_view historyFound;        // {1} the detail so far, {2} logged, {3} its logs, {4} was, {5} its logs
    std::string_view oneLog;              //
    std::string_view manyLogs;            // {1} count
    std::string_view yourCallByHistory;   // {1} logged
    std::string_view detailLoneCopy;      // {1} logged, {2} agreeing, {3} voting, {4} consensus, {5} call
    std::string_view detailAsConsensus;   // {1} call, {2} agreeing, {3} voting
    std::string_view detailMinorityCopy;  // {1} call, {2} agreeing, {3} voting, {4} consensus, {5} logged
    std::string_view decidedBy;           // {1} note

    // The committee's page: decisions and error figures.
    std::string_view decisionsHeading;
    std::string_view decisionItem;  // {1} call, {2} line, {3} status, {4} status replaced, {5} its detail, {6} note
    std::string_view figuresHeading, figuresNote, figure, count, per100;
    std::string_view checkedLines, crossChecked, confirmedOfThose, bustedCalls, bustedExchanges, nilLines, uniqueLines,
        provedBusted;
    std::string_view errorRatesHeading, errorRatesNote, errorRate;
    std::string_view failuresHeading, failuresNote, loggedBy, nilShare;

    std::string_view folderNotRead;  // {1} a folder inside a folder of logs
    // The sections of the results page beside the categories' tables.
    std::string_view contents;
    std::string_view countInContents;  // {1} section, {2} count
    std::string_view statesHeading, statesNote, state;
    std::string_view clubsHeading, clubsNote, club, entrants;
    std::string_view goldenHeading, goldenNote;
    std::string_view soapboxHeading;
    std::string_view soapboxTitle;  // {1} contest and year
    std::string_view noSoapbox;
    // Files that are not entries, and entrants who are not ranked.
    std::string_view otherContestFate;  // {1} the contest's name as the log gives it
    std::string_view noQsoLinesFate;
    std::string_view noReadableQsoLinesFate;  // {1} QSO lines
    std::string_view notEntriesHeading;
    std::string_view checkLogsHeading, checkLogsNote;
};

const Words& wordsFor(Language language);
StatusWords statusWords(Language language, QsoStatus status);

// The engine's finding on a refused or duplicate contact in the reports'
// words ("no contest band", the same words as a contact refused by the
// check itself); the engine's own message stays in err.txt.
std::string_view engineFindingWords(Language language, engine::FindingCode finding);

// Why a QSO line could not be read, in the language: the reader's own
// sentence in English (logfile::readFaultText).
std::string readFaultIn(Language language, const logfile::ReadFault& fault);

// The pattern with {1} ... {9} replaced by the values, in order.
std::string filled(std::string_view pattern, std::initializer_list<std::string_view> values);

// verdictDetail in a language: the one text of each verdict, with its
// evidence ("logged PY5HAK, was PY5SAN (CW: H for S, K for N)", "logged RJ;
// 14 of 15 logs received SP from PY2XYZ", "decided by the committee: ...").
std::string verdictDetailIn(Language language, const std::vector<SubmittedLog>& logs,
                            const std::vector<LogVerdict>& verdicts, size_t self, size_t q);

// The detail the rules gave a line the committee decided on, before the decision.
std::string replacedDetailIn(Language language, const std::vector<SubmittedLog>& logs,
                             const std::vector<LogVerdict>& verdicts, size_t self, size_t q);

}  // namespace torv::crosscheck
