#include "crosscheck/qsos_csv.h"
#include "crosscheck/report_text.h"
#include "crosscheck/results_json.h"
#include "crosscheck/results_page.h"
#include "crosscheck/results_table.h"
#include "crosscheck/ubn_report.h"

#include <set>

#include <gtest/gtest.h>

#include "calendar/minutes.h"
#include "crosscheck/file_names.h"

namespace crosscheck {
namespace {

const int64_t kNoon = minuteOf(2026, 3, 14, 12, 0);

LogQso qso(uint32_t line, int64_t minute, const std::string& call, const std::string& sent,
           const std::string& received) {
    LogQso q;
    q.line = line;
    q.minute = minute;
    q.call = call;
    q.band = "40m";
    q.mode = "CW";
    q.exchangeSent = sent;
    q.exchangeReceived = received;
    return q;
}

// Three entrants: PY2BBB/P busts an exchange, PY2AAA has a NIL, PY2CCC a unique.
ContestReport smallReport() {
    ContestReport r;
    r.logs.push_back({"PY2BBB/P", {qso(9, kNoon, "PY2AAA", "RJ", "MG"), qso(8, kNoon + 30, "PY2CCC", "RJ", "BA")}, {}});
    // PY2AAA's line 2 could not be read.
    r.logs.push_back({"PY2AAA",
                      {qso(3, kNoon, "PY2BBB/P", "SP", "RJ"), qso(4, kNoon + 60, "PY2CCC", "SP", "BA")},
                      {{2, "date \"2026-02-30\" is not a date (YYYY-MM-DD)", "PY2CCC", std::nullopt}}});
    r.logs.push_back(
        {"PY2CCC", {qso(2, kNoon + 30, "PY2BBB/P", "BA", "RJ"), qso(3, kNoon + 90, "PY9ZZZ", "BA", "SP")}, {}});
    r.verdicts = crossCheck(r.logs, r.settings.options);
    const char* categories[] = {"SINGLE-OP", "SINGLE-OP", "MULTI-OP"};
    const int32_t scores[] = {4, 4, 8};
    const std::vector<std::string> names = ubnFileNames(r);
    for (size_t l = 0; l < r.logs.size(); ++l) {
        Entrant e;
        e.file = "logs/" + names[l] + ".cbr";
        e.categoryOperator = categories[l];
        e.header.categoryBand = "ALL";
        e.header.claimedScorePresent = true;
        e.header.claimedScore = 8;
        e.header.claimedScoreText = "8";
        for (const LogQso& q : r.logs[l].qsos) {
            e.qsoText.push_back("QSO: 7020 CW ... " + q.call);
        }
        e.claimedQsos = 2;
        e.claimedPoints = 4;
        e.claimedMultipliers = 2;
        e.claimedScore = 8;
        e.checked.points = 2;
        e.checked.summary.points = 2;
        e.checked.summary.multipliers = 2;
        e.checked.score = scores[l];
        r.entrants.push_back(e);
    }
    r.entrants[1].findings.push_back("CATEGORY-BAND 40M, but contacts on 20m");
    r.entrants[1].unreadableText.push_back("QSO: 7020 CW 2026-02-30 ... PY2CCC");
    r.notes.push_back("old/PY2AAA.cbr: replaced by PY2AAA.cbr");
    return r;
}

TEST(QsosCsv, OneRowPerLineByLogThenLine) {
    const ContestReport r = smallReport();
    EXPECT_EQ(qsosCsv(r),
              "log,line,status,other,detail\n"
              "PY2AAA,2,UNREADABLE,,\"date \"\"2026-02-30\"\" is not a date (YYYY-MM-DD)\"\n"
              "PY2AAA,3,CONFIRMED,PY2BBB/P,\n"
              "PY2AAA,4,NIL,,not in PY2CCC's log\n"
              "PY2BBB/P,8,CONFIRMED,PY2CCC,\n"
              "PY2BBB/P,9,BUSTED-EXCHANGE,PY2AAA,\"logged MG, PY2AAA sent SP\"\n"
              "PY2CCC,2,CONFIRMED,PY2BBB/P,\n"
              "PY2CCC,3,UNIQUE,,PY9ZZZ sent no log and is in no other log\n");
}

TEST(QsosCsv, NotesContactsOutsideThePeriod) {
    ContestReport r = smallReport();
    r.settings.period.end = kNoon + 60;
    const std::string csv = qsosCsv(r);
    EXPECT_NE(csv.find("PY2CCC,3,UNIQUE,,PY9ZZZ sent no log and is in no other log; outside the contest period\n"),
              std::string::npos);
    EXPECT_NE(csv.find("PY2AAA,4,NIL,,not in PY2CCC's log\n"), std::string::npos);
}

TEST(UbnText, ScoresOffsetFindingsAndEveryUnconfirmedContact) {
    ContestReport r = smallReport();
    r.entrants[1].checked.penaltyPoints = 2;
    EXPECT_EQ(ubnText(r, 1),
              "TORV UBN report for PY2AAA\n"
              "Log: logs/PY2AAA.cbr\n"
              "Category: SINGLE-OP, ALL\n"
              "\n"
              "                 claimed   checked\n"
              "QSOs                   2         1\n"
              "Points                 4         2\n"
              "Multipliers            2         2\n"
              "Score                  8         4\n"
              "Penalty: 2 points taken off for NIL and busted contacts\n"
              "\n"
              "Clock offset: 0 minutes (from 1 contact found in other logs)\n"
              "\n"
              "Header and log:\n"
              "  CATEGORY-BAND 40M, but contacts on 20m\n"
              "\n"
              "NIL (1)\n"
              "  line 4: QSO: 7020 CW ... PY2CCC\n"
              "    NIL: not in PY2CCC's log\n"
              "\n"
              "UNREADABLE (1)\n"
              "  line 2: QSO: 7020 CW 2026-02-30 ... PY2CCC\n"
              "    not read: date \"2026-02-30\" is not a date (YYYY-MM-DD)\n");
}

TEST(UbnText, NamesTheBustedExchange) {
    const std::string text = ubnText(smallReport(), 0);
    EXPECT_NE(text.find("BUSTED-EXCHANGE (1)\n  line 9: QSO: 7020 CW ... PY2AAA\n"
                        "    busted exchange: logged MG, PY2AAA sent SP\n"),
              std::string::npos)
        << text;
}

TEST(Results, RankedByCheckedScoreWithinEachCategory) {
    const ContestReport r = smallReport();
    // MULTI-OP sorts first; within SINGLE-OP the scores tie and the calls decide.
    EXPECT_EQ(resultsOrder(r), (std::vector<size_t>{2, 1, 0}));
    EXPECT_EQ(resultsCsv(r),
              "category,rank,call,category_band,contacts_claimed,contacts_confirmed,points,multipliers,claimed_score,"
              "checked_score,nil,busted,unique,clock_offset\n"
              "MULTI-OP,1,PY2CCC,ALL,2,1,2,2,8,8,0,0,1,0\n"
              "SINGLE-OP,1,PY2AAA,ALL,2,1,2,2,8,4,1,0,0,0\n"
              "SINGLE-OP,2,PY2BBB/P,ALL,2,1,2,2,8,4,0,1,0,0\n");
}

TEST(Results, EntrantsWithoutACategoryComeLast) {
    ContestReport r = smallReport();
    r.entrants[2].categoryOperator.clear();
    EXPECT_EQ(resultsOrder(r), (std::vector<size_t>{1, 0, 2}));
    EXPECT_NE(resultsText(r).find("\n(no category)\n"), std::string::npos);
}

TEST(Results, TextTableWithFindingsAndNotes) {
    const std::string text = resultsText(smallReport());
    EXPECT_NE(text.find("    1 PY2CCC      ALL        2     1       2     2         8         8    0    0    1\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  PY2AAA: CATEGORY-BAND 40M, but contacts on 20m\n"), std::string::npos);
    EXPECT_NE(text.find("Files\n  old/PY2AAA.cbr: replaced by PY2AAA.cbr\n"), std::string::npos);
}

TEST(Results, HtmlIsOneSelfContainedPage) {
    const std::string html = resultsHtml(smallReport());
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("<a href=\"ubn/PY2BBB_P.html\">PY2BBB/P</a>"), std::string::npos);
    EXPECT_NE(html.find("<svg"), std::string::npos);
    EXPECT_NE(html.find("<path fill=\"#3969ac\""), std::string::npos);  // 40m bars
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("src="), std::string::npos);
    EXPECT_EQ(html.find("href=\"http"), std::string::npos);
    EXPECT_NE(html.find("<li>PY2AAA: CATEGORY-BAND 40M, but contacts on 20m</li>"), std::string::npos);
}

// 16 contacts in the first hour, 3 on 20 m in the second: the 20 m bar is
// 3 × 60 / 16 = 11.25 pixels high, a half that printf rounds by the
// platform's rule. Tenths computed in integers round it up everywhere.
TEST(Results, ChartCoordinatesAreTheSameDigitsEverywhere) {
    ContestReport r;
    std::vector<LogQso> qsos;
    for (uint32_t i = 0; i < 19; ++i) {
        qsos.push_back(qso(i + 1, kNoon + (i < 16 ? i : 60 + i), "PY2AAA", "SP", "RJ"));
        qsos.back().band = i < 16 ? "40m" : "20m";
    }
    r.logs.push_back({"PY2BBB", qsos, {}});
    r.verdicts = crossCheck(r.logs, r.settings.options);
    r.entrants.resize(1);
    r.entrants[0].qsoText.resize(qsos.size());
    const std::string html = resultsHtml(r);
    EXPECT_NE(html.find("<path fill=\"#f2b701\" d=\"M240.0 52.7h204.0v11.3h-204.0z\">"), std::string::npos) << html;
    EXPECT_NE(html.find("<path fill=\"#3969ac\" d=\"M0.0 4.0h204.0v60.0h-204.0z\">"), std::string::npos);
}

TEST(Results, UbnPageEscapesTheReport) {
    ContestReport r = smallReport();
    r.entrants[0].file = "logs/<odd>&.cbr";
    const std::string html = ubnHtml(r, 0);
    EXPECT_NE(html.find("Log: logs/&lt;odd&gt;&amp;.cbr"), std::string::npos);
    EXPECT_NE(html.find("<a href=\"../results.html\">"), std::string::npos);
}

// Every output must be valid JSON whatever bytes a log or a file name holds:
// logs are 8-bit texts, file names UTF-8.
TEST(JsonEscaped, GivesValidJsonForAnyBytes) {
    struct Case {
        std::string text;
        std::string json;
    };
    const Case cases[] = {
        {"PY2ZZ", "PY2ZZ"},
        {"a\"b\\c", "a\\\"b\\\\c"},
        {"l1\r\nl2\t", "l1\\r\\nl2\\t"},
        {std::string("\0\x1f\x7f", 3), "\\u0000\\u001f\x7f"},
        {"S\xC3\xA3o Paulo", "S\xC3\xA3o Paulo"},                            // UTF-8, two bytes
        {"\xE2\x82\xAC \xF0\x9F\x93\xBB", "\xE2\x82\xAC \xF0\x9F\x93\xBB"},  // three and four bytes
        {"S\xE3o", "S\\u00e3o"},                                             // Latin-1
        {"\xC3", "\\u00c3"},                                                 // a sequence cut short
        {"\xC0\xAF", "\\u00c0\\u00af"},                                      // overlong
        {"\xED\xA0\x80", "\\u00ed\\u00a0\\u0080"},                           // a surrogate
        {"\xF4\x90\x80\x80", "\\u00f4\\u0090\\u0080\\u0080"},                // above U+10FFFF
        {"\xE2\x82", "\\u00e2\\u0082"},                                      // cut at the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(jsonEscaped(c.text), c.json) << c.text;
    }
}

TEST(Results, JsonHoldsTheSameData) {
    ContestReport r = smallReport();
    r.entrants[0].findings.push_back("quote \" and \\ and \x01");
    const std::string json = resultsJson(r);
    EXPECT_NE(json.find("{\"call\": \"PY2CCC\", \"file\": \"logs/PY2CCC.cbr\", \"category_operator\": \"MULTI-OP\", "
                        "\"category_band\": \"ALL\", \"rank\": 1, \"contacts_claimed\": 2, \"contacts_confirmed\": 1, "
                        "\"points\": 2, \"multipliers\": 2, \"claimed_score\": 8, \"recomputed_claimed_score\": 8, "
                        "\"checked_score\": 8, \"penalty_points\": 0, \"nil\": 0, \"busted\": 0, \"unique\": 1, "
                        "\"clock_offset\": 0, \"findings\": []}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"quote \\\" and \\\\ and \\u0001\""), std::string::npos);
    EXPECT_NE(json.find("\"notes\": [\"old/PY2AAA.cbr: replaced by PY2AAA.cbr\"]"), std::string::npos);
}

TEST(Minutes, CalendarBothWays) {
    EXPECT_EQ(minuteOf(1970, 1, 1), 0);
    EXPECT_EQ(minuteText(minuteOf(2026, 3, 14, 23, 59)), "2026-03-14 23:59");
    EXPECT_EQ(minuteText(minuteOf(2024, 2, 29, 0, 1)), "2024-02-29 00:01");
    EXPECT_EQ(minuteText(minuteOf(2024, 2, 28, 23, 60)), "2024-02-29 00:00");
    EXPECT_EQ(minuteText(-1), "1969-12-31 23:59");
    EXPECT_EQ(minuteText(minuteOf(2100, 3, 1)), "2100-03-01 00:00");
}

}  // namespace
}  // namespace crosscheck

TEST(SafeFileNames, NumbersNamesThatCleanAlikeAroundNamesAlreadyTaken) {
    const std::vector<std::string> names =
        crosscheck::safeFileNames({"A-2", "a", "A", "A", "a/p", "A_P", "..", std::string(3000, '*')});
    EXPECT_EQ(names, (std::vector<std::string>{"A-2", "A", "A-3", "A-4", "A_P", "A_P-2", "NOCALL", "NOCALL-2"}));
}

TEST(SafeFileNames, ThousandsOfCallsThatCleanAlikeStayDistinct) {
    const std::vector<std::string> names = crosscheck::safeFileNames(std::vector<std::string>(20000, "\xC3\x87"));
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    EXPECT_EQ(names.back(), "NOCALL-20000");
}
