// The results page beside the categories' tables: the best of each state,
// the clubs, the logs without errors, the contents and the soapbox page;
// and the words the published pages give categories and durations.
#include "crosscheck/results_sections.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crosscheck/glossary.h"
#include "crosscheck/results_page.h"

namespace torv::crosscheck {
namespace {

constexpr int64_t kNoon = 20526LL * 1440 + 12 * 60;

LogQso sent(uint32_t line, const std::string& call, const std::string& exchange) {
    LogQso q;
    q.line = line;
    q.minute = kNoon + line;
    q.call = call;
    q.band = "40m";
    q.mode = "CW";
    q.exchangeSent = exchange;
    q.exchangeReceived = "SP";
    return q;
}

// An entrant: its call, what its log sends, its checked score and club;
// each of its contacts gets the status given (CONFIRMED when none).
struct EntrantRow {
    std::string call;
    std::vector<std::string> sends;
    int32_t score;
    std::string club = "";
    std::vector<QsoStatus> statuses = {};
};

ContestReport reportOf(const std::vector<EntrantRow>& rows) {
    ContestReport r;
    for (const EntrantRow& row : rows) {
        SubmittedLog log{row.call, {}, {}};
        LogVerdict verdict;
        for (size_t i = 0; i < row.sends.size(); ++i) {
            log.qsos.push_back(sent(static_cast<uint32_t>(i + 1), "PY9ZZZ", row.sends[i]));
            verdict.qsos.push_back({i < row.statuses.size() ? row.statuses[i] : QsoStatus::kConfirmed});
        }
        r.logs.push_back(log);
        r.verdicts.push_back(verdict);
        Entrant e;
        e.category = Category{{"SINGLE-OP A", "ALL", "", ""}};
        e.checked.score = row.score;
        e.club = row.club;
        r.entrants.push_back(e);
    }
    return r;
}

std::vector<std::string> callsOf(const ContestReport& r, const std::vector<size_t>& logs) {
    std::vector<std::string> calls;
    for (size_t l : logs) {
        calls.push_back(r.logs[l].call);
    }
    return calls;
}

TEST(SentArea, TheAreaSentMostOften) {
    struct Case {
        std::vector<std::string> sends;
        const char* area;
    };
    const Case cases[] = {
        {{"SP", "sp ", "RJ"}, "SP"}, {{"SP", "RJ"}, "RJ"},  // equally often: the first in the area table
        {{"599", "YL", "QRP"}, ""},  {{}, ""},
        {{"UF", "UF", "DF"}, "UF"},  {{"PY0F", "MG"}, "MG"},
    };
    for (const Case& c : cases) {
        SubmittedLog log{"PY2AAA", {}, {}};
        for (const std::string& exchange : c.sends) {
            log.qsos.push_back(sent(1, "PY9ZZZ", exchange));
        }
        EXPECT_EQ(sentArea(log), c.area) << testing::PrintToString(c.sends);
    }
}

// All categories together; equal scores share the state; entrants sending
// no area are in none; states in the area table's order.
TEST(BestOfEachState, HighestScoreOfEachStateTiesShared) {
    const ContestReport r = reportOf({
        {"PY2AAA", {"SP", "SP"}, 100},
        {"PY2BBB", {"SP"}, 300},
        {"PY1CCC", {"RJ"}, 50},
        {"PY1DDD", {"RJ", "RJ"}, 50},
        {"PY2EEE", {"599"}, 900},
        {"PP5FFF", {"SC"}, 10},
    });
    std::vector<std::string> found;
    for (const StateBest& best : bestOfEachState(r, ranked(r))) {
        for (const std::string& call : callsOf(r, best.logs)) {
            found.push_back(best.state + " " + call);
        }
    }
    EXPECT_EQ(found, (std::vector<std::string>{"RJ PY1CCC", "RJ PY1DDD", "SC PP5FFF", "SP PY2BBB"}));
}

TEST(ClubTotals, ClubsOfTwoOrMoreBySumOfScores) {
    const ContestReport r = reportOf({
        {"PY2AAA", {"SP"}, 100, "Radio  Clube "},
        {"PY2BBB", {"SP"}, 300, " radio clube"},
        {"PY2CCC", {"SP"}, 60, "RADIO CLUBE"},
        {"PY2DDD", {"SP"}, 200, "Grupo Sul"},
        {"PY2EEE", {"SP"}, 250, "Grupo  Sul"},
        {"PY2FFF", {"SP"}, 900, "Alone"},
        {"PY2GGG", {"SP"}, 450, "Zeta"},
        {"PY2HHH", {"SP"}, 0, "zeta"},
        {"PY2III", {"SP"}, 999, ""},
    });
    EXPECT_EQ(clubKey("  Radio \t Clube "), "RADIO CLUBE");
    std::vector<std::string> found;
    for (const ClubTotal& club : clubTotals(r, ranked(r))) {
        std::string calls;
        for (const std::string& call : callsOf(r, club.logs)) {
            calls += " " + call;
        }
        found.push_back(std::to_string(club.rank) + " " + club.name + " " + std::to_string(club.score) + ":" + calls);
    }
    EXPECT_EQ(found, (std::vector<std::string>{"1 radio clube 460: PY2BBB PY2AAA PY2CCC",
                                               "2 Grupo Sul 450: PY2EEE PY2DDD", "2 Zeta 450: PY2GGG PY2HHH"}))
        << "spellings equally used: the first in results order";
}

TEST(GoldenLogs, NoNilNoBustedAndAtLeastOneContact) {
    const ContestReport r = reportOf({
        {"PY2AAA", {"SP", "SP"}, 100, "", {QsoStatus::kConfirmed, QsoStatus::kUnique}},
        {"PY2BBB", {"SP"}, 300, "", {QsoStatus::kNil}},
        {"PY2CCC", {"SP"}, 50, "", {QsoStatus::kBustedCall}},
        {"PY2DDD", {"SP"}, 60, "", {QsoStatus::kBustedExchange}},
        {"PY2EEE", {}, 900},
        {"PY2FFF", {"SP", "SP"}, 200, "", {QsoStatus::kDupe, QsoStatus::kOutOfPeriod}},
    });
    // PY2FFF has contacts, but none checked: each has a status of its own.
    EXPECT_EQ(callsOf(r, goldenLogs(r, ranked(r))), (std::vector<std::string>{"PY2AAA"}));
}

// The sections' calls link to the rows of the categories' tables; the
// contents list every table and section with its count.
TEST(ResultsHtml, ContentsSectionsAndRowLinks) {
    ContestReport r = reportOf({
        {"PY2AAA", {"SP"}, 100, "Clube"},
        {"PY2BBB/P", {"SP"}, 300, "clube"},
        {"PY1CCC", {"RJ"}, 50},
    });
    r.entrants[2].category = Category{{"MULTI-OP", "40M", "", ""}};
    const std::string html = resultsHtml(r);
    for (const char* expected : {
             "<li><a href=\"#category-1\">Single operator A \xC2\xB7 all bands (2)</a></li>",
             "<li><a href=\"#category-2\">Multi-operator \xC2\xB7 40 m (1)</a></li>",
             "<li><a href=\"#states\">Best in each state (2)</a></li>",
             "<li><a href=\"#clubs\">Clubs (1)</a></li>",
             "<li><a href=\"#golden\">Logs without errors (3)</a></li>",
             "<h2 id=\"category-1\">Single operator A \xC2\xB7 all bands</h2>",
             "<tr id=\"PY2BBB_P\"><td>1</td><td class=\"l\"><a href=\"ubn/PY2BBB_P.html\">PY2BBB/P</a></td>",
             "<td class=\"l x\"><a href=\"#PY2BBB_P\">PY2BBB/P</a>, <a href=\"#PY2AAA\">PY2AAA</a></td><td>400</td>",
             "<tr><td class=\"l\">RJ</td><td class=\"l\"><a href=\"#PY1CCC\">PY1CCC</a></td><td>50</td>",
         }) {
        EXPECT_NE(html.find(expected), std::string::npos) << expected;
    }
    EXPECT_EQ(html.find("soapbox.html"), std::string::npos) << "no soapbox, no link";
    r.entrants[0].soapbox = "QRM & <b>static</b>\nsee you";
    EXPECT_NE(resultsHtml(r).find("<li><a href=\"soapbox.html\">Soapbox (1)</a></li>"), std::string::npos);
    r.settings.language = Language::kPortuguese;
    const std::string soapbox = soapboxHtml(r);
    EXPECT_NE(soapbox.find("<h2><a href=\"results.html#PY2AAA\">PY2AAA</a></h2>\n<p class=\"soapbox\">QRM &amp; "
                           "&lt;b&gt;static&lt;/b&gt;\nsee you</p>"),
              std::string::npos)
        << soapbox;
    EXPECT_NE(soapbox.find("<h1>TORV 2026: coment\xC3\xA1rios dos participantes</h1>"), std::string::npos);
}

TEST(CategoryTitle, WordsOfTheLanguageOnlyThePartsTheContestGives) {
    struct Case {
        Category category;
        CategoryParts shown;
        const char* english;
        const char* portuguese;
    };
    const CategoryParts all = {true, true, true, true};
    const Case cases[] = {
        {Category{{"SINGLE-OP A", "ALL", "LOW", "MIXED"}}, all,
         "Single operator A \xC2\xB7 all bands \xC2\xB7 low power \xC2\xB7 mixed mode",
         "Monooperador A \xC2\xB7 todas as bandas \xC2\xB7 baixa pot\xC3\xAAncia \xC2\xB7 modo misto"},
        {Category{{"SINGLE-OP A", "ALL", "", ""}},
         {true, true, false, false},
         "Single operator A \xC2\xB7 all bands",
         "Monooperador A \xC2\xB7 todas as bandas"},
        {Category{{"MILITARY STATION SINGLE", "40M", "QRP", "CW"}}, all,
         "Military station, single operator \xC2\xB7 40 m \xC2\xB7 QRP power \xC2\xB7 CW",
         "Esta\xC3\xA7\xC3\xA3o militar monooperador \xC2\xB7 40 m \xC2\xB7 pot\xC3\xAAncia QRP \xC2\xB7 CW"},
        {Category{{"SINGLE-OP", "ALL", "HIGH", ""}},
         {true, true, true, false},
         "Operator category not given \xC2\xB7 all bands \xC2\xB7 high power",
         "Categoria de operador n\xC3\xA3o informada \xC2\xB7 todas as bandas \xC2\xB7 alta pot\xC3\xAAncia"},
        {Category{{"", "10M", "", "SSB"}}, {false, true, false, true}, "10 m \xC2\xB7 SSB", "10 m \xC2\xB7 SSB"},
        {Category{{"MULTI-OP", "ALL", "", ""}},
         {true, true, false, false},
         "Multi-operator \xC2\xB7 all bands",
         "Multioperador \xC2\xB7 todas as bandas"},
        {Category{{"CHECKLOG", "ALL", "", ""}}, {true, false, false, false}, "Checklog", "Log de controle"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(categoryTitle(c.category, Language::kEnglish, c.shown), c.english);
        EXPECT_EQ(categoryTitle(c.category, Language::kPortuguese, c.shown), c.portuguese);
    }
    // Every value of every part has its words in both languages.
    for (size_t p = 0; p < kCategoryParts; ++p) {
        for (const std::string& value : categoryValues(static_cast<CategoryPart>(p))) {
            EXPECT_FALSE(categoryValueWords(static_cast<CategoryPart>(p), value, Language::kPortuguese).empty());
            EXPECT_FALSE(categoryValueWords(static_cast<CategoryPart>(p), value, Language::kEnglish).empty());
        }
    }
}

TEST(OffsetWords, HoursAndMinutesInEachLanguage) {
    struct Case {
        int32_t minutes;
        const char* english;
        const char* portuguese;
    };
    const Case cases[] = {
        {65, "1 hour 5 minutes fast", "1 hora e 5 minutos adiantado"},
        {-121, "2 hours 1 minute slow", "2 horas e 1 minuto atrasado"},
        {-120, "2 hours slow", "2 horas atrasado"},
        {3, "3 minutes fast", "3 minutos adiantado"},
        {-1, "1 minute slow", "1 minuto atrasado"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(offsetWords(Language::kEnglish, c.minutes), c.english);
        EXPECT_EQ(offsetWords(Language::kPortuguese, c.minutes), c.portuguese);
    }
}

// Every reader fault has its Portuguese with the values the English shows,
// and no English word of the reader is left in it.
TEST(ReadFaultIn, EveryFaultInPortuguese) {
    for (int k = 1; k < logfile::kReadFaultKinds; ++k) {
        const logfile::ReadFault fault{static_cast<logfile::ReadFaultKind>(k), "V4L", "F1ELD"};
        const std::string english = readFaultIn(Language::kEnglish, fault);
        const std::string portuguese = readFaultIn(Language::kPortuguese, fault);
        EXPECT_EQ(english, logfile::readFaultText(fault));
        EXPECT_NE(portuguese, english) << k;
        for (const char* value : {"V4L", "F1ELD"}) {
            EXPECT_EQ(english.find(value) == std::string::npos, portuguese.find(value) == std::string::npos)
                << k << ": " << english << " / " << portuguese;
        }
        for (const char* word : {" is ", "not a", "no ", "field "}) {
            EXPECT_EQ(portuguese.find(word), std::string::npos) << portuguese;
        }
    }
    EXPECT_EQ(readFaultIn(Language::kPortuguese, {logfile::ReadFaultKind::kFieldCount, "12", ""}),
              "12 campos; o formato do TORV tem 10 ou 11 (indicativo, reporte e troca de cada lado)");
}

}  // namespace
}  // namespace torv::crosscheck
