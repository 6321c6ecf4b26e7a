#include "crosscheck/committee_page.h"
#include "crosscheck/decisions.h"
#include "crosscheck/qsos_csv.h"
#include "crosscheck/report_text.h"
#include "crosscheck/results_json.h"
#include "crosscheck/results_page.h"
#include "crosscheck/results_table.h"
#include "crosscheck/ubn_report.h"

#include <algorithm>
#include <cstddef>
#include <set>
#include <type_traits>

#include <gtest/gtest.h>

#include "calendar/minutes.h"
#include "crosscheck/file_names.h"
#include "support/test_names.h"

using torv::calendar::dayOf;
using torv::calendar::hourOf;
using torv::calendar::minuteOf;
using torv::calendar::minuteOfOleDate;
using torv::calendar::minuteText;

namespace torv::crosscheck {
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

Category category(const char* operatorClass, const char* band, const char* power = "", const char* mode = "") {
    return Category{{operatorClass, band, power, mode}};
}

// Three entrants: PY2BBB/P busts PY2AAA's exchange, PY2AAA has a NIL and an
// unreadable line, PY2CCC a unique.
ContestReport smallReport() {
    ContestReport r;
    r.logs.push_back({"PY2BBB/P", {qso(9, kNoon, "PY2AAA", "RJ", "MG"), qso(8, kNoon + 30, "PY2CCC", "RJ", "BA")}, {}});
    // PY2AAA's line 2 could not be read.
    r.logs.push_back({"PY2AAA",
                      {qso(3, kNoon, "PY2BBB/P", "SP", "RJ"), qso(4, kNoon + 60, "PY2CCC", "SP", "BA")},
                      {{2, {logfile::ReadFaultKind::kCabrilloDate, "2026-02-30", {}}, "PY2CCC", std::nullopt}}});
    r.logs.push_back(
        {"PY2CCC", {qso(2, kNoon + 30, "PY2BBB/P", "BA", "RJ"), qso(3, kNoon + 90, "PY9ZZZ", "BA", "SP")}, {}});
    r.verdicts = crossCheck(r.logs, r.settings.options);
    const Category categories[] = {category("SINGLE-OP A", "ALL"), category("SINGLE-OP A", "ALL"),
                                   category("MULTI-OP", "ALL", "HIGH", "MIXED")};
    const int32_t scores[] = {4, 4, 8};
    const std::vector<std::string> names = ubnFileNames(r);
    for (size_t l = 0; l < r.logs.size(); ++l) {
        Entrant e;
        e.file = "logs/" + names[l] + ".cbr";
        e.category = e.logCategory = categories[l];
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
    r.settings.toolVersion = "9.8.7";
    for (size_t l = 0; l < r.logs.size(); ++l) {
        r.files.push_back({r.entrants[l].file, r.logs[l].call, FileFate::kChecked, "", {}, 2, 0});
    }
    r.files.push_back({"old/PY2AAA.cbr", "PY2AAA", FileFate::kReplaced, "logs/PY2AAA.cbr", {}, 1, 0});
    r.files.push_back({"logs/notes.txt", "", FileFate::kLeftOut, "not a contest log", {}, 0, 0});
    r.replacements.push_back({"PY2AAA", "logs/PY2AAA.cbr", {"old/PY2AAA.cbr"}});
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
    r.settings.options.period.end = kNoon + 60;
    const std::string csv = qsosCsv(r);
    EXPECT_NE(csv.find("PY2CCC,3,UNIQUE,,PY9ZZZ sent no log and is in no other log; outside the contest period\n"),
              std::string::npos);
    EXPECT_NE(csv.find("PY2AAA,4,NIL,,not in PY2CCC's log\n"), std::string::npos);
}

std::string ubnTextOf(const ContestReport& r, size_t l) {
    return ubnText(r, ubnShared(r), l);
}

// The UBN report of PY2AAA in each language: scores, counts, clock, every
// unconfirmed line and what others logged wrong.
TEST(UbnText, ScoresCountsClockEveryUnconfirmedLineAndWhatOthersLoggedWrong) {
    struct Case {
        const char* name;
        Language language;
        const char* text;
    };
    const Case cases[] = {
        {"English", Language::kEnglish,
         "TORV 2026: UBN report of PY2AAA\n"
         "Category: Single operator A \xC2\xB7 all bands \xC2\xB7 power not given \xC2\xB7 mode not given\n"
         "\n"
         "                     claimed     checked\n"
         "QSOs                       2           1\n"
         "Points                     4           2\n"
         "Multipliers                2           2\n"
         "Score                      8           4\n"
         "Penalty: 2 points taken off for NIL and busted contacts\n"
         "\n"
         "QSO lines 3: counted 1 (confirmed 1, unverified 0, unique 0); not counted 2: NIL 1, unreadable 1\n"
         "\n"
         "Clock: right (1 of your contacts found in other logs)\n"
         "\n"
         "NIL: not in the other station's log (1)\n"
         "  line 4: QSO: 7020 CW ... PY2CCC\n"
         "    not in PY2CCC's log\n"
         "\n"
         "Unreadable lines (1)\n"
         "  line 2: QSO: 7020 CW 2026-02-30 ... PY2CCC\n"
         "    not read: date \"2026-02-30\" is not a date (YYYY-MM-DD)\n"
         "\n"
         "What others logged wrong of you (1)\n"
         "  PY2BBB/P, line 9: QSO: 7020 CW ... PY2AAA\n"
         "    your exchange miscopied: they logged MG, you sent SP\n"
         "  For your information: their mistakes never cost you points.\n"
         "\n"
         "Contacts per hour (UTC)\n"
         "UTC                  80m   40m   20m   15m   10m\n"
         "  2026-03-14 12:00     .     1     .     .     .  #\n"
         "  2026-03-14 13:00     .     1     .     .     .  #\n"},
        {"Portuguese", Language::kPortuguese,
         "TORV 2026: relat\xC3\xB3rio UBN de PY2AAA\n"
         "Categoria: Monooperador A \xC2\xB7 todas as bandas \xC2\xB7 pot\xC3\xAAncia n\xC3\xA3o informada \xC2\xB7 "
         "modo n\xC3\xA3o informado\n"
         "\n"
         "                   declarado  verificado\n"
         "QSOs                       2           1\n"
         "Pontos                     4           2\n"
         "Multiplicadores            2           2\n"
         "Pontua\xC3\xA7\xC3\xA3o                  8           4\n"
         "Penalidade: 2 pontos descontados por contatos que n\xC3\xA3o constam no log ou copiados errados\n"
         "\n"
         "Linhas de QSO: 3; contadas 1 (confirmados: 1, n\xC3\xA3o verificados: 0, \xC3\xBAnicos: 0); n\xC3\xA3o "
         "contadas 2 (n\xC3\xA3o consta no log: 1, ileg\xC3\xADveis: 1)\n"
         "\n"
         "Rel\xC3\xB3gio: certo (1 dos seus contatos encontrados em outros logs)\n"
         "\n"
         "N\xC3\xA3o consta no log: o contato n\xC3\xA3o est\xC3\xA1 no log da outra esta\xC3\xA7\xC3\xA3o (1)\n"
         "  linha 4: QSO: 7020 CW ... PY2CCC\n"
         "    n\xC3\xA3o consta no log de PY2CCC\n"
         "\n"
         "Linhas ileg\xC3\xADveis (1)\n"
         "  linha 2: QSO: 7020 CW 2026-02-30 ... PY2CCC\n"
         "    n\xC3\xA3o lida: a data \"2026-02-30\" n\xC3\xA3o \xC3\xA9 uma data (AAAA-MM-DD)\n"
         "\n"
         "O que outras esta\xC3\xA7\xC3\xB5"
         "es copiaram errado de voc\xC3\xAA (1)\n"
         "  PY2BBB/P, linha 9: QSO: 7020 CW ... PY2AAA\n"
         "    sua troca copiada errada: anotaram MG, voc\xC3\xAA enviou SP\n"
         "  Para sua informa\xC3\xA7\xC3\xA3o: os erros delas nunca lhe custam pontos.\n"
         "\n"
         "Contatos por hora (UTC)\n"
         "UTC                  80m   40m   20m   15m   10m\n"
         "  2026-03-14 12:00     .     1     .     .     .  #\n"
         "  2026-03-14 13:00     .     1     .     .     .  #\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ContestReport r = smallReport();
        r.entrants[1].checked.penaltyPoints = 2;
        r.settings.language = c.language;
        EXPECT_EQ(ubnTextOf(r, 1), c.text);
    }
}

TEST(UbnText, NamesTheBustedExchangeAndTheClock) {
    ContestReport r = smallReport();
    r.verdicts[0].offsetMinutes = 62;
    r.verdicts[2].offsetMinutes = -1;
    const std::string text = ubnTextOf(r, 0);
    EXPECT_NE(text.find("\nBusted exchange: the other station's exchange miscopied (1)\n"
                        "  line 9: QSO: 7020 CW ... PY2AAA\n"
                        "    logged MG, PY2AAA sent SP\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\nClock: 1 hour 2 minutes fast; your times were corrected by it (2 of your contacts found "
                        "in other logs)\n"),
              std::string::npos)
        << text;
    EXPECT_NE(ubnTextOf(r, 2).find("\nClock: 1 minute slow;"), std::string::npos);
}

// The counts add up to the QSO lines whatever counts: uniques are counted,
// or removed and then not counted.
TEST(UbnText, CountsAddUpToTheLines) {
    struct Case {
        UniquePolicy uniques;
        const char* counts;
    };
    const Case cases[] = {
        {UniquePolicy::kCount, "QSO lines 2: all counted (confirmed 1, unverified 0, unique 1)\n"},
        {UniquePolicy::kRemove, "QSO lines 2: counted 1 (confirmed 1, unverified 0); not counted 1: unique 1\n"},
    };
    for (const Case& c : cases) {
        ContestReport r = smallReport();
        r.settings.rules.uniques = c.uniques;
        EXPECT_NE(ubnTextOf(r, 2).find(c.counts), std::string::npos) << ubnTextOf(r, 2);
    }
}

TEST(UbnHtml, APageOfContestDataOnly) {
    ContestReport r = smallReport();
    r.settings.language = Language::kPortuguese;
    const std::string html = ubnHtml(r, ubnShared(r), 1);
    EXPECT_EQ(html.rfind("<!DOCTYPE html>\n<html lang=\"pt-BR\">", 0), 0u);
    EXPECT_NE(html.find("<a href=\"../results.html\">Todos os resultados</a>"), std::string::npos);
    EXPECT_NE(html.find("<code>QSO: 7020 CW 2026-02-30 ... PY2CCC</code>"), std::string::npos);
    EXPECT_NE(html.find("<svg class=\"chart\""), std::string::npos);
    EXPECT_EQ(html.find("logs/"), std::string::npos) << "no file names";
    EXPECT_EQ(html.find("CATEGORY-BAND"), std::string::npos) << "no header findings";
}

struct RankCase {
    const char* description;
    std::vector<std::pair<Category, int32_t>> entrants;  // category and checked score, calls PY1A, PY1B, ...
    std::vector<std::string> rows;                       // "heading/rank/call" in results order
};

class Ranking : public ::testing::TestWithParam<RankCase> {};

TEST_P(Ranking, WithinEachCategoryTiesShareARank) {
    ContestReport r;
    for (size_t i = 0; i < GetParam().entrants.size(); ++i) {
        r.logs.push_back({"PY1" + std::string(1, static_cast<char>('A' + i)), {}, {}});
        r.verdicts.emplace_back();
        Entrant e;
        e.category = GetParam().entrants[i].first;
        e.checked.score = GetParam().entrants[i].second;
        r.entrants.push_back(e);
    }
    std::vector<std::string> rows;
    for (const Ranked& row : ranked(r)) {
        rows.push_back(
            (row.opensCategory ? categoryInContestWords(r.entrants[row.log].category, Language::kEnglish) : "") + "/" +
            std::to_string(row.rank) + "/" + r.logs[row.log].call);
    }
    EXPECT_EQ(rows, GetParam().rows);
}

const Category kA = category("SINGLE-OP A", "ALL", "LOW", "CW");
INSTANTIATE_TEST_SUITE_P(
    Table, Ranking,
    ::testing::Values(
        RankCase{"ties share a rank",
                 {{kA, 5}, {kA, 9}, {kA, 7}, {kA, 7}},
                 {"SINGLE-OP A \xC2\xB7 ALL \xC2\xB7 LOW \xC2\xB7 CW/1/PY1B", "/2/PY1C", "/2/PY1D", "/4/PY1A"}},
        RankCase{"the contest's order of each part, unknown values last",
                 {{category("SINGLE-OP B", "ALL"), 1},
                  {category("SINGLE-OP A", "40M"), 1},
                  {category("SINGLE-OP A", "ALL"), 1},
                  {category("SINGLE-OP", "ALL"), 1},
                  {category("MULTI-OP", "ALL"), 1}},
                 {"SINGLE-OP A \xC2\xB7 ALL \xC2\xB7 \xE2\x80\x94 \xC2\xB7 \xE2\x80\x94/1/PY1C",
                  "SINGLE-OP A \xC2\xB7 40M \xC2\xB7 \xE2\x80\x94 \xC2\xB7 \xE2\x80\x94/1/PY1B",
                  "SINGLE-OP B \xC2\xB7 ALL \xC2\xB7 \xE2\x80\x94 \xC2\xB7 \xE2\x80\x94/1/PY1A",
                  "MULTI-OP \xC2\xB7 ALL \xC2\xB7 \xE2\x80\x94 \xC2\xB7 \xE2\x80\x94/1/PY1E",
                  "\xE2\x80\x94 \xC2\xB7 ALL \xC2\xB7 \xE2\x80\x94 \xC2\xB7 \xE2\x80\x94/1/PY1D"}},
        RankCase{
            "no category and a band the contest does not count: ranked together, last",
            {{category("", ""), 3}, {category("SINGLE-OP A", "160M"), 4}, {kA, 1}, {category("X", "Y"), 2}},
            {"SINGLE-OP A \xC2\xB7 ALL \xC2\xB7 LOW \xC2\xB7 CW/1/PY1C", "No category/1/PY1B", "/2/PY1A", "/3/PY1D"}}),
    [](const ::testing::TestParamInfo<RankCase>& testCase) { return testName(testCase.param.description); });

TEST(ResultsText, PublishedTablesInEitherLanguage) {
    ContestReport r = smallReport();
    EXPECT_EQ(resultsText(r),
              "TORV 2026: checked results\n"
              "Rules applied: the two sides of a contact at most 5 minutes apart; unique calls counted; no penalty; "
              "contest period not given.\n"
              "Checked with torv 9.8.7.\n"
              "\n"
              "Single operator A \xC2\xB7 all bands \xC2\xB7 power not given \xC2\xB7 mode not given\n"
              " Rank Call          QSOs  Conf  Points  Mult    Claimed    Checked  NIL  Bust  Uniq\n"
              "    1 PY2AAA           2     1       2     2          8          4    1     0     0\n"
              "    1 PY2BBB/P         2     1       2     2          8          4    0     1     0\n"
              "\n"
              "Multi-operator \xC2\xB7 all bands \xC2\xB7 high power \xC2\xB7 mixed mode\n"
              " Rank Call          QSOs  Conf  Points  Mult    Claimed    Checked  NIL  Bust  Uniq\n"
              "    1 PY2CCC           2     1       2     2          8          8    0     0     1\n"
              "\n"
              "Conf: contacts confirmed; Mult: multipliers; NIL: not in the other station's log; Bust: busted calls "
              "and exchanges; Uniq: unique calls. A score is points \xC3\x97 multipliers.\n");
    r.settings.language = Language::kPortuguese;
    EXPECT_EQ(
        resultsText(r),
        "TORV 2026: resultados verificados\n"
        "Regras aplicadas: os dois lados de um contato com no m\xC3\xA1ximo 5 minutos de diferen\xC3\xA7"
        "a; indicativos \xC3\xBAnicos contados; sem penalidade; per\xC3\xADodo do concurso n\xC3\xA3o informado.\n"
        "Verificado com o torv 9.8.7.\n"
        "\n"
        "Monooperador A \xC2\xB7 todas as bandas \xC2\xB7 pot\xC3\xAAncia n\xC3\xA3o informada \xC2\xB7 modo "
        "n\xC3\xA3o "
        "informado\n"
        " Pos. Indicativo    QSOs Conf.  Pontos Mult.  Declarada Verificada  NCL  Err. \xC3\x9Anic.\n"
        "    1 PY2AAA           2     1       2     2          8          4    1     0     0\n"
        "    1 PY2BBB/P         2     1       2     2          8          4    0     1     0\n"
        "\n"
        "Multioperador \xC2\xB7 todas as bandas \xC2\xB7 alta pot\xC3\xAAncia \xC2\xB7 modo misto\n"
        " Pos. Indicativo    QSOs Conf.  Pontos Mult.  Declarada Verificada  NCL  Err. \xC3\x9Anic.\n"
        "    1 PY2CCC           2     1       2     2          8          8    0     0     1\n"
        "\n"
        "Conf.: contatos confirmados; Mult.: multiplicadores; NCL: n\xC3\xA3o consta no log da outra "
        "esta\xC3\xA7\xC3\xA3o; Err.: indicativos e trocas copiados errados; \xC3\x9Anic.: indicativos \xC3\xBAnicos. "
        "A pontua\xC3\xA7\xC3\xA3o \xC3\xA9 pontos \xC3\x97 multiplicadores.\n");
}

TEST(ResultsCsv, EnglishDataWhateverTheLanguage) {
    ContestReport r = smallReport();
    r.settings.language = Language::kPortuguese;
    EXPECT_EQ(resultsCsv(r),
              "category,rank,call,category_band,contacts_claimed,contacts_confirmed,points,multipliers,claimed_score,"
              "checked_score,nil,busted,unique,clock_offset,category_power,category_mode\n"
              "SINGLE-OP A,1,PY2AAA,ALL,2,1,2,2,8,4,1,0,0,0,,\n"
              "SINGLE-OP A,1,PY2BBB/P,ALL,2,1,2,2,8,4,0,1,0,0,,\n"
              "MULTI-OP,1,PY2CCC,ALL,2,1,2,2,8,8,0,0,1,0,HIGH,MIXED\n");
}

TEST(ResultsHtml, OnePublishedPageWithoutAnythingPrivate) {
    ContestReport r = smallReport();
    r.settings.language = Language::kPortuguese;
    r.entrants[0].file = "/home/committee/logs/<odd>.cbr";
    const std::string html = resultsHtml(r);
    EXPECT_EQ(html.rfind("<!DOCTYPE html>\n<html lang=\"pt-BR\">", 0), 0u);
    EXPECT_NE(html.find("<h1>TORV 2026: resultados verificados</h1>"), std::string::npos);
    EXPECT_NE(html.find("Verificado com o torv 9.8.7."), std::string::npos);
    EXPECT_NE(html.find("<a href=\"ubn/PY2BBB_P.html\">PY2BBB/P</a>"), std::string::npos);
    EXPECT_NE(html.find("position:sticky"), std::string::npos);
    EXPECT_NE(html.find("<p id=\"find\" hidden>"), std::string::npos) << "the search box shows with scripts only";
    EXPECT_NE(html.find("<path class=\"b1\""), std::string::npos);  // 40m bars
    EXPECT_EQ(html.find("src="), std::string::npos);
    EXPECT_EQ(html.find("href=\"http"), std::string::npos);
    for (const char* secret : {"logs/", "notes.txt", "CATEGORY-BAND 40M", "<odd>", "&lt;odd"}) {
        EXPECT_EQ(html.find(secret), std::string::npos) << secret;
    }
}

// Each table's charts share the peak of their table, so that they compare.
TEST(ResultsHtml, ChartsOfATableOnOneScale) {
    ContestReport r;
    for (int i = 0; i < 2; ++i) {
        std::vector<LogQso> qsos;
        for (uint32_t q = 0; q < (i == 0 ? 9u : 3u); ++q) {
            qsos.push_back(qso(q + 1, kNoon + q, "PY2ZZZ", "SP", "RJ"));
        }
        r.logs.push_back({i == 0 ? "PY2AAA" : "PY2BBB", qsos, {}});
        r.entrants.emplace_back();
        r.entrants.back().category = category("SINGLE-OP A", "ALL");
    }
    r.verdicts = crossCheck(r.logs, r.settings.options);
    const std::string html = resultsHtml(r);
    const size_t first = html.find("<text class=\"y\" x=\"230\" y=\"120\">9</text>");
    ASSERT_NE(first, std::string::npos) << html;
    EXPECT_NE(html.find("<text class=\"y\" x=\"230\" y=\"120\">9</text>", first + 1), std::string::npos);
}

// 16 contacts in the first hour, 3 on 20 m in the second: the 20 m bar is
// 3 × 520 / 16 = 97.5 tenths of a pixel high, a half that floating point
// may round by the platform's rule. Integers round it up everywhere.
TEST(ResultsHtml, ChartCoordinatesAreTheSameDigitsEverywhere) {
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
    EXPECT_NE(html.find("<path class=\"b2\" d=\"M1710 482h1233v98h-1233z\"/>"), std::string::npos) << html;
    EXPECT_NE(html.find("<path class=\"b1\" d=\"M260 60h1233v520h-1233z\"/>"), std::string::npos);
}

TEST(CommitteeHtml, FilesCategoriesHeadersAndLogsToLookAt) {
    ContestReport r = smallReport();
    r.entrants[2].logCategory = category("MULTI-OP", "", "", "");
    r.entrants[0].category = r.entrants[0].logCategory = category("SINGLE-OP A", "6M");
    r.entrants[1].header.claimedScore = 9;
    r.entrants[1].header.claimedScoreText = "9";
    r.categoriesFile = "categories.csv";
    r.categoriesProblems.push_back("line 3: no log of PY9XX was checked");
    r.verdicts[2].offsetMinutes = -12;
    const std::string html = committeeHtml(r);
    for (const char* expected : {
             "<td class=\"l\">logs/notes.txt</td><td class=\"l\"></td><td>0</td><td>0</td><td class=\"l\">left out: "
             "not a contest log</td>",
             "<td class=\"l\">old/PY2AAA.cbr</td><td class=\"l\">PY2AAA</td><td>1</td><td>0</td><td "
             "class=\"l\">replaced by logs/PY2AAA.cbr</td>",
             "<li>PY2AAA: logs/PY2AAA.cbr is checked; left out: old/PY2AAA.cbr</li>",
             "<li>PY2BBB/P: the category's band, 6M, is not a band of the contest; listed under &quot;No "
             "category&quot;</li>",
             "<li>PY2CCC: MULTI-OP \xC2\xB7 ALL \xC2\xB7 HIGH \xC2\xB7 MIXED as the committee's file gives it (the "
             "log says MULTI-OP \xC2\xB7 \xE2\x80\x94 \xC2\xB7 \xE2\x80\x94 \xC2\xB7 \xE2\x80\x94)</li>",
             "<li>categories.csv: line 3: no log of PY9XX was checked</li>",
             "<li>PY2AAA: CLAIMED-SCORE 9 differs from the log's score, 8</li>",
             "<li>PY2CCC: clock 12 minutes slow (1 of its contacts found in other logs)</li>",
         }) {
        EXPECT_NE(html.find(expected), std::string::npos) << expected << "\n" << html;
    }
    // Every entrant confirmed one contact of two, PY2CCC's clock is off: in
    // order of the share not confirmed, the ties as the logs come.
    const size_t look = html.find("<h2>Logs that deserve a look</h2>");
    ASSERT_NE(look, std::string::npos);
    EXPECT_NE(html.find("<tr><td class=\"l\">PY2CCC</td><td>2</td><td>50\xC2\xA0%</td><td>50\xC2\xA0%</td><td>-12</td>"
                        "<td class=\"l\">more than a fifth unique; clock off by more than 10 minutes</td></tr>",
                        look),
              std::string::npos)
        << html.substr(look);
}

// The contest's error figures per 100 checked lines, each log's error rate,
// the logs behind others' NIL; the committee's decisions and what they
// replaced; the golden logs on the results page, which follow the decisions.
// The calls the results page's golden-logs section links to, in order;
// "" without the section.
std::string goldenSectionCalls(const std::string& html) {
    const size_t start = html.find("<h2 id=\"golden\">");
    if (start == std::string::npos) {
        return std::string();
    }
    const size_t end = std::min(html.find("<h2", start + 1), html.size());
    const std::string link = "<a href=\"#";
    std::string calls;
    for (size_t at = html.find(link, start); at < end; at = html.find(link, at + 1)) {
        const size_t text = html.find("\">", at) + 2;
        calls += (calls.empty() ? "" : " ") + html.substr(text, html.find("</a>", text) - text);
    }
    return calls;
}

TEST(CommitteeHtml, ErrorFiguresDecisionsAndGoldenLogs) {
    ContestReport r = smallReport();
    std::string html = committeeHtml(r);
    for (const char* expected : {
             "<tr><td class=\"l\">Checked lines</td><td>6</td><td>100.0</td></tr>",
             "<tr><td class=\"l\">Cross-checked (the other station sent a log)</td><td>5</td><td>83.3</td></tr>",
             "<tr><td class=\"l\">\xE2\x80\x83of those confirmed</td><td>3</td><td>50.0</td></tr>",
             "<tr><td class=\"l\">Busted calls</td><td>0</td><td>0.0</td></tr>",
             "<tr><td class=\"l\">Busted exchanges</td><td>1</td><td>16.7</td></tr>",
             "<tr><td class=\"l\">NIL</td><td>1</td><td>16.7</td></tr>",
             "<tr><td class=\"l\">Unique calls</td><td>1</td><td>16.7</td></tr>",
             "<tr><td class=\"l\">PY2BBB/P</td><td>2</td><td>0</td><td>0</td><td>1</td><td>50.0</td></tr>\n"
             "<tr><td class=\"l\">PY2AAA</td><td>2</td><td>1</td><td>0</td><td>0</td><td>50.0</td></tr>\n"
             "<tr><td class=\"l\">PY2CCC</td><td>2</td><td>0</td><td>0</td><td>0</td><td>0.0</td></tr>",
             "<h2>Logs behind others' NIL</h2>",
             "<h2>The committee's decisions</h2>\n<p>None.</p>",
         }) {
        EXPECT_NE(html.find(expected), std::string::npos) << expected << "\n" << html;
    }
    EXPECT_EQ(goldenSectionCalls(resultsHtml(r)), "PY2CCC");

    r.settings.options.decisions =
        readDecisionsFile("call,line,status,note\nPY2AAA,4,CONFIRMED,QSL shown\nPY2AAA,2,NIL,unreadable\n");
    r.settings.options.decisions.name = "decisions.csv";
    crossCheckReport(r);
    html = committeeHtml(r);
    for (const char* expected : {
             "<li>PY2AAA, line 4: CONFIRMED, was NIL (not in PY2CCC's log); QSL shown</li>",
             "<li>decisions.csv: line 3: line 2 of PY2AAA's log is UNREADABLE, no contact to decide on; left "
             "aside</li>",
             "<tr><td class=\"l\">NIL</td><td>0</td><td>0.0</td></tr>",
         }) {
        EXPECT_NE(html.find(expected), std::string::npos) << expected << "\n" << html;
    }
    EXPECT_EQ(goldenSectionCalls(resultsHtml(r)), "PY2CCC PY2AAA") << "a decision makes a log golden; by score";
    EXPECT_EQ(diagnosticLines(r).back(),
              "decisions.csv: line 3: line 2 of PY2AAA's log is UNREADABLE, no contact to decide on; left aside");
    EXPECT_NE(qsosCsv(r).find("PY2AAA,4,CONFIRMED,,decided by the committee: QSL shown\n"), std::string::npos);
}

// Ten logs log PY2XYZ, two of them NIL (20 %): it is named; nine are too
// few to name a log, however many NIL.
TEST(CommitteeHtml, NamesTheLogsBehindOthersNil) {
    for (const int others : {10, 9}) {
        ContestReport r;
        std::vector<LogQso> own;
        for (int i = 0; i < others; ++i) {
            const std::string call = "PY3A" + std::string(1, static_cast<char>('A' + i)) + "A";
            r.logs.push_back({call, {qso(1, kNoon + 10 * i, "PY2XYZ", "RJ", "SP")}, {}});
            if (i >= 2) {
                own.push_back(qso(static_cast<uint32_t>(i + 1), kNoon + 10 * i, call, "SP", "RJ"));
            }
        }
        r.logs.push_back({"PY2XYZ", own, {}});
        r.verdicts = crossCheck(r.logs, r.settings.options);
        r.entrants.resize(r.logs.size());
        const std::string html = committeeHtml(r);
        const std::string named = "<tr><td class=\"l\">PY2XYZ</td><td>10</td><td>2</td><td>20\xC2\xA0%</td></tr>";
        EXPECT_EQ(html.find(named) != std::string::npos, others == 10) << html;
    }
}

// A bust the call history found is explained in the entrant's report in
// both languages, and listed in the report of the station it was.
TEST(UbnText, TheCallHistoryInBothLanguagesAndInTheReportOfTheStationItWas) {
    ContestReport r;
    for (const char* witness : {"PY3AAA", "PY3BBB", "PY3CCC", "PY3DDD", "PY3EEE"}) {
        r.logs.push_back({witness, {qso(1, kNoon, "PY2ABC", "SP", "RJ")}, {}});
    }
    r.logs.push_back({"PY2ABC", {qso(1, kNoon - 300, "PY9ZZZ", "RJ", "SP")}, {}});
    r.logs.push_back({"PY2AAA", {qso(7, kNoon + 20, "PY2ABD", "SP", "RJ")}, {}});
    r.verdicts = crossCheck(r.logs, r.settings.options);
    r.entrants.resize(r.logs.size());
    for (Entrant& e : r.entrants) {
        e.qsoText.assign(1, "QSO: ...");
    }
    ASSERT_EQ(r.verdicts[6].qsos[0].status, QsoStatus::kBustedCall);
    const UbnShared shared = ubnShared(r);
    EXPECT_NE(ubnText(r, shared, 6)
                  .find("    logged PY2ABD, was PY2ABC; found by the call history: PY2ABD: 1 log; "
                        "PY2ABC: 5 logs\n"),
              std::string::npos)
        << ubnText(r, shared, 6);
    EXPECT_NE(ubnText(r, shared, 5)
                  .find("  PY2AAA, line 7: QSO: ...\n    your call miscopied: they logged PY2ABD "
                        "(found by the call history)\n"),
              std::string::npos)
        << ubnText(r, shared, 5);
    r.settings.language = Language::kPortuguese;
    EXPECT_NE(ubnText(r, ubnShared(r), 6)
                  .find("    anotado PY2ABD, era PY2ABC; encontrado pelo histórico de indicativos: PY2ABD: 1 log; "
                        "PY2ABC: 5 logs\n"),
              std::string::npos)
        << ubnText(r, ubnShared(r), 6);
    EXPECT_NE(qsosCsv(r).find("PY2AAA,7,BUSTED-CALL,PY2ABC,"), std::string::npos) << qsosCsv(r);
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
                        "\"category_band\": \"ALL\", \"category_power\": \"HIGH\", \"category_mode\": \"MIXED\", "
                        "\"rank\": 1, \"contacts_claimed\": 2, \"contacts_confirmed\": 1, "
                        "\"points\": 2, \"multipliers\": 2, \"claimed_score\": 8, \"recomputed_claimed_score\": 8, "
                        "\"checked_score\": 8, \"penalty_points\": 0, \"nil\": 0, \"busted\": 0, \"unique\": 1, "
                        "\"clock_offset\": 0, \"findings\": []}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"quote \\\" and \\\\ and \\u0001\""), std::string::npos);
    EXPECT_NE(json.find("\"notes\": [\"logs/notes.txt: not a contest log; left out\", \"PY2AAA: 2 logs; "
                        "logs/PY2AAA.cbr is checked, old/PY2AAA.cbr left out (the one modified last wins, then the "
                        "later file name)\"]"),
              std::string::npos)
        << json;
}

// An entrant whose checked score could not be made (its finishing threw:
// the problem says why, its checked score stays zero and its quotes empty)
// is told on standard error and in the notes, after the files left out and
// the logs replaced, before the categories file; every file is still made
// for it and for the others.
TEST(Entrants, OneWhoseCheckedScoreCouldNotBeMadeIsToldAndEveryFileIsStillMade) {
    ContestReport r = smallReport();
    r.categoriesFile = "categories.csv";
    r.categoriesProblems.push_back("line 3: no log of PY9XX was checked");
    Entrant& e = r.entrants[1];
    e.problem = "std::bad_alloc";
    e.checked = CheckedScore();
    e.qsoText.assign(r.logs[1].qsos.size(), std::string());
    e.unreadableText.assign(r.logs[1].unreadable.size(), std::string());
    const std::string told = "logs/PY2AAA.cbr: its checked score could not be made: std::bad_alloc";
    const std::string replaced =
        "PY2AAA: 2 logs; logs/PY2AAA.cbr is checked, old/PY2AAA.cbr left out (the one modified last wins, then the "
        "later file name)";
    EXPECT_EQ(diagnosticLines(r),
              (std::vector<std::string>{"logs/notes.txt: not a contest log; left out", "warning: " + replaced, told,
                                        "categories.csv: line 3: no log of PY9XX was checked"}));
    EXPECT_EQ(fileNotes(r), (std::vector<std::string>{"logs/notes.txt: not a contest log; left out", replaced, told}));
    EXPECT_NE(resultsJson(r).find("\"" + told + "\"]"), std::string::npos);
    const std::string ubn = ubnTextOf(r, 1);
    EXPECT_EQ(ubn.rfind("TORV 2026: UBN report of PY2AAA\n", 0), 0u) << ubn;
    EXPECT_NE(ubn.find("\nScore                      8           0\n"), std::string::npos) << ubn;
    EXPECT_NE(ubn.find("\n  line 4: \n    not in PY2CCC's log\n"), std::string::npos) << ubn;
    EXPECT_NE(
        resultsText(r).find("    2 PY2AAA           2     1       0     0          8          0    1     0     0\n"),
        std::string::npos)
        << resultsText(r);
    EXPECT_EQ(ubnTextOf(r, 0), ubnTextOf(smallReport(), 0));
    EXPECT_FALSE(ubnHtml(r, ubnShared(r), 1).empty());
    EXPECT_FALSE(resultsHtml(r).empty());
    EXPECT_FALSE(committeeHtml(r).empty());
    EXPECT_EQ(qsosCsv(r), qsosCsv(smallReport()));
}

// Logs are 8-bit texts: whatever is not UTF-8 in them is read as Latin-1,
// so that every file written is UTF-8.
TEST(AsUtf8, ReadsWhatIsNotUtf8AsLatin1) {
    const std::pair<std::string, std::string> cases[] = {
        {"PY2ZZ S\xC3\xA3o Paulo", "PY2ZZ S\xC3\xA3o Paulo"},
        {"S\xE3o Paulo", "S\xC3\xA3o Paulo"},
        {"\xA0\xFF", "\xC2\xA0\xC3\xBF"},
        {"\xE2\x82", "\xC3\xA2\xC2\x82"},
        {"\xC3\xA3\xE3", "\xC3\xA3\xC3\xA3"},
    };
    for (const auto& [bytes, utf8] : cases) {
        EXPECT_EQ(asUtf8(bytes), utf8);
    }
}

// Every text of the glossary is there in both languages, with the same
// values to fill ({1}, {2}, ...); English details are the cross-check's own.
TEST(Glossary, EveryTermInBothLanguagesWithTheSameValues) {
    static_assert(std::is_standard_layout_v<Words> && sizeof(Words) % sizeof(std::string_view) == 0);
    constexpr size_t kTexts = sizeof(Words) / sizeof(std::string_view);
    const auto* english = reinterpret_cast<const std::string_view*>(&wordsFor(Language::kEnglish));
    const auto* portuguese = reinterpret_cast<const std::string_view*>(&wordsFor(Language::kPortuguese));
    auto values = [](std::string_view text) {
        std::string found;
        for (size_t i = 0; i + 2 < text.size(); ++i) {
            if (text[i] == '{' && text[i + 2] == '}') {
                found += text[i + 1];
            }
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    for (size_t i = 0; i < kTexts; ++i) {
        EXPECT_FALSE(english[i].empty()) << i;
        EXPECT_FALSE(portuguese[i].empty()) << i;
        EXPECT_EQ(values(english[i]), values(portuguese[i])) << english[i] << " / " << portuguese[i];
    }
    for (QsoStatus status = QsoStatus::kConfirmed; static_cast<int>(status) < kStatusCount;
         status = static_cast<QsoStatus>(static_cast<int>(status) + 1)) {
        EXPECT_FALSE(statusWords(Language::kPortuguese, status).heading.empty());
        EXPECT_NE(statusWords(Language::kPortuguese, status).counted, statusWords(Language::kEnglish, status).counted);
    }
    EXPECT_EQ(filled("{2} and {1}, {3}", {"a", "b"}), "b and a, {3}");
    // A refusal is said one way, whoever refused the contact.
    EXPECT_EQ(engineFindingWords(Language::kPortuguese, engine::FindingCode::kNoContestBand),
              wordsFor(Language::kPortuguese).detailNoContestBand);
    EXPECT_EQ(engineFindingWords(Language::kEnglish, engine::FindingCode::kDupe), "duplicate");
}

TEST(Minutes, CalendarBothWays) {
    EXPECT_EQ(minuteOf(1970, 1, 1), 0);
    EXPECT_EQ(minuteText(minuteOf(2026, 3, 14, 23, 59)), "2026-03-14 23:59");
    EXPECT_EQ(minuteText(minuteOf(2024, 2, 29, 0, 1)), "2024-02-29 00:01");
    EXPECT_EQ(minuteText(minuteOf(2024, 2, 28, 23, 60)), "2024-02-29 00:00");
    EXPECT_EQ(minuteText(-1), "1969-12-31 23:59");
    EXPECT_EQ(minuteText(minuteOf(2100, 3, 1)), "2100-03-01 00:00");
}

// The hour and day of a minute round down on both sides of 1970; an OLE
// Automation date rounds to the nearest minute.
TEST(Minutes, HoursDaysAndOleDates) {
    struct Row {
        int64_t minute, hour, day;
    };
    const Row rows[] = {
        {0, 0, 0},    {59, 0, 0},    {60, 1, 0},    {1439, 23, 0},    {1440, 24, 1},
        {-1, -1, -1}, {-60, -1, -1}, {-61, -2, -1}, {-1440, -24, -1}, {-1441, -25, -2},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(hourOf(row.minute), row.hour) << row.minute;
        EXPECT_EQ(dayOf(row.minute), row.day) << row.minute;
    }
    struct OleRow {
        double oleDate;
        int64_t minute;
    };
    const OleRow oleRows[] = {
        {25569.0, 0},
        {25569.0 + 0.6 / 1440, 1},
        {25569.0 + 0.4 / 1440, 0},
        {25569.0 - 0.6 / 1440, -1},
        {46095.5, minuteOf(2026, 3, 14, 12, 0)},
        {0.0, minuteOf(1899, 12, 30)},
    };
    for (const OleRow& row : oleRows) {
        EXPECT_EQ(minuteOfOleDate(row.oleDate), row.minute) << row.oleDate;
    }
}

}  // namespace
}  // namespace torv::crosscheck

TEST(SafeFileNames, NumbersNamesThatCleanAlikeAroundNamesAlreadyTaken) {
    const std::vector<std::string> names =
        torv::crosscheck::safeFileNames({"A-2", "a", "A", "A", "a/p", "A_P", "..", std::string(3000, '*')});
    EXPECT_EQ(names, (std::vector<std::string>{"A-2", "A", "A-3", "A-4", "A_P", "A_P-2", "NOCALL", "NOCALL-2"}));
}

TEST(SafeFileNames, ThousandsOfCallsThatCleanAlikeStayDistinct) {
    const std::vector<std::string> names = torv::crosscheck::safeFileNames(std::vector<std::string>(20000, "\xC3\x87"));
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    EXPECT_EQ(names.back(), "NOCALL-20000");
}
