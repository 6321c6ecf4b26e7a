#include "crosscheck/results_sections.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <map>
#include <utility>

#include "calendar/ascii_case.h"
#include "crosscheck/report_text.h"
#include "engine/area.h"
#include "logfile/text.h"

namespace torv::crosscheck {

namespace {

std::string escaped(std::string_view text) {
    return htmlEscaped(std::string(text));
}

// Blanks trimmed and collapsed, letter case kept: how a club is shown.
std::string collapsed(std::string_view text) {
    std::string out;
    bool blank = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = !out.empty();
            continue;
        }
        if (blank) {
            out += ' ';
            blank = false;
        }
        out += c;
    }
    return out;
}

// A call linking to its row in the categories' tables.
std::string callLink(const ContestReport& report, const std::vector<std::string>& rowIds, size_t l) {
    return "<a href=\"#" + escaped(rowIds[l]) + "\">" + escaped(report.logs[l].call) + "</a>";
}

// The columns of a table: text, and its class ("l": to the left; "l x":
// also left out on a phone's width).
std::string tableHead(std::initializer_list<std::pair<std::string_view, const char*>> columns) {
    std::string html = "<table class=\"list\"><thead><tr>";
    for (const auto& [text, kind] : columns) {
        html +=
            std::string(*kind != '\0' ? "<th class=\"" + std::string(kind) + "\">" : "<th>") + escaped(text) + "</th>";
    }
    return html + "</tr></thead><tbody>\n";
}

// Higher checked score first, then the call.
void sortByScore(const ContestReport& report, std::vector<size_t>& logs) {
    std::stable_sort(logs.begin(), logs.end(), [&report](size_t a, size_t b) {
        const int32_t x = report.entrants[a].checked.score;
        const int32_t y = report.entrants[b].checked.score;
        return x != y ? x > y : report.logs[a].call < report.logs[b].call;
    });
}

PageSection statesSection(const ContestReport& report, const std::vector<Ranked>& rows,
                          const std::vector<std::string>& rowIds, const CategoryParts& shown) {
    const Language language = report.settings.language;
    const Words& w = wordsFor(language);
    PageSection section{"states", std::string(w.statesHeading), 0, std::string()};
    const std::vector<StateBest> states = bestOfEachState(report, rows);
    section.count = states.size();
    section.html = "<p>" + escaped(w.statesNote) + "</p>\n" +
                   tableHead({{w.state, "l"}, {w.call, "l"}, {w.checkedScore, ""}, {w.categoryLabel, "l x"}});
    for (const StateBest& best : states) {
        for (size_t l : best.logs) {
            section.html += "<tr><td class=\"l\">" + escaped(best.state) + "</td><td class=\"l\">" +
                            callLink(report, rowIds, l) + "</td><td>" +
                            std::to_string(report.entrants[l].checked.score) + "</td><td class=\"l x\">" +
                            escaped(categoryHeading(report.entrants[l], language, shown)) + "</td></tr>\n";
        }
    }
    section.html += "</tbody></table>\n";
    return section;
}

PageSection clubsSection(const ContestReport& report, const std::vector<Ranked>& rows,
                         const std::vector<std::string>& rowIds) {
    const Words& w = wordsFor(report.settings.language);
    PageSection section{"clubs", std::string(w.clubsHeading), 0, std::string()};
    const std::vector<ClubTotal> clubs = clubTotals(report, rows);
    section.count = clubs.size();
    section.html = "<p>" + escaped(w.clubsNote) + "</p>\n" +
                   tableHead({{w.rank, ""}, {w.club, "l"}, {w.entrants, "l x"}, {w.checkedScore, ""}});
    for (const ClubTotal& club : clubs) {
        std::string calls;
        for (size_t l : club.logs) {
            calls += (calls.empty() ? "" : ", ") + callLink(report, rowIds, l);
        }
        section.html += "<tr><td>" + std::to_string(club.rank) + "</td><td class=\"l\">" + escaped(club.name) +
                        "</td><td class=\"l x\">" + calls + "</td><td>" + std::to_string(club.score) + "</td></tr>\n";
    }
    section.html += "</tbody></table>\n";
    return section;
}

PageSection goldenSection(const ContestReport& report, const std::vector<Ranked>& rows,
                          const std::vector<std::string>& rowIds, const CategoryParts& shown) {
    const Language language = report.settings.language;
    const Words& w = wordsFor(language);
    PageSection section{"golden", std::string(w.goldenHeading), 0, std::string()};
    const std::vector<size_t> logs = goldenLogs(report, rows);
    section.count = logs.size();
    section.html = "<p>" + escaped(w.goldenNote) + "</p>\n" +
                   tableHead({{w.call, "l"}, {w.confirmed, ""}, {w.checkedScore, ""}, {w.categoryLabel, "l x"}});
    for (size_t l : logs) {
        const VerdictCounts c = countVerdicts(report.logs[l], report.verdicts[l]);
        section.html += "<tr><td class=\"l\">" + callLink(report, rowIds, l) + "</td><td>" +
                        std::to_string(c.of(QsoStatus::kConfirmed)) + "</td><td>" +
                        std::to_string(report.entrants[l].checked.score) + "</td><td class=\"l x\">" +
                        escaped(categoryHeading(report.entrants[l], language, shown)) + "</td></tr>\n";
    }
    section.html += "</tbody></table>\n";
    return section;
}

}  // namespace

std::string sentArea(const SubmittedLog& log) {
    std::array<size_t, engine::areaCodes.size()> sent{};
    for (const LogQso& q : log.qsos) {
        const std::string exchange = normalised(q.exchangeSent.view());
        for (size_t a = 0; a < engine::areaCodes.size(); ++a) {
            sent[a] += exchange == engine::areaCodes[a] ? 1 : 0;
        }
    }
    const auto most = std::max_element(sent.begin(), sent.end());
    return *most == 0 ? std::string() : std::string(engine::areaCodes[static_cast<size_t>(most - sent.begin())]);
}

std::vector<StateBest> bestOfEachState(const ContestReport& report, const std::vector<Ranked>& rows) {
    std::map<std::string, std::vector<size_t>> byState;
    for (const Ranked& row : rows) {
        const std::string state = sentArea(report.logs[row.log]);
        if (state.empty()) {
            continue;
        }
        std::vector<size_t>& best = byState[state];
        const int32_t score = report.entrants[row.log].checked.score;
        if (!best.empty() && report.entrants[best.front()].checked.score < score) {
            best.clear();
        }
        if (best.empty() || report.entrants[best.front()].checked.score == score) {
            best.push_back(row.log);
        }
    }
    std::vector<StateBest> states;
    for (std::string_view code : engine::areaCodes) {
        const auto found = byState.find(std::string(code));
        if (found != byState.end()) {
            states.push_back({found->first, found->second});
        }
    }
    return states;
}

std::string clubKey(std::string_view club) {
    return calendar::upperCase(collapsed(club));
}

std::vector<ClubTotal> clubTotals(const ContestReport& report, const std::vector<Ranked>& rows) {
    struct Club {
        std::vector<size_t> logs;
        std::vector<std::pair<std::string, size_t>> spellings;  // in results order, with their counts
    };
    std::map<std::string, Club> byKey;
    for (const Ranked& row : rows) {
        const std::string name = collapsed(report.entrants[row.log].club);
        if (name.empty()) {
            continue;
        }
        Club& club = byKey[clubKey(name)];
        club.logs.push_back(row.log);
        const auto spelling = std::find_if(club.spellings.begin(), club.spellings.end(),
                                           [&name](const auto& s) { return s.first == name; });
        if (spelling == club.spellings.end()) {
            club.spellings.emplace_back(name, 1);
        } else {
            ++spelling->second;
        }
    }
    std::vector<ClubTotal> clubs;
    for (auto& [key, club] : byKey) {
        if (club.logs.size() < 2) {
            continue;
        }
        ClubTotal total;
        const std::pair<std::string, size_t>* most = &club.spellings.front();
        for (const auto& spelling : club.spellings) {
            most = spelling.second > most->second ? &spelling : most;
        }
        total.name = most->first;
        total.logs = club.logs;
        sortByScore(report, total.logs);
        for (size_t l : total.logs) {
            total.score += report.entrants[l].checked.score;
        }
        clubs.push_back(std::move(total));
    }
    std::stable_sort(clubs.begin(), clubs.end(), [](const ClubTotal& a, const ClubTotal& b) {
        return a.score != b.score ? a.score > b.score : clubKey(a.name) < clubKey(b.name);
    });
    for (size_t i = 0; i < clubs.size(); ++i) {
        clubs[i].rank = i > 0 && clubs[i - 1].score == clubs[i].score ? clubs[i - 1].rank : static_cast<int>(i + 1);
    }
    return clubs;
}

std::vector<size_t> goldenLogs(const ContestReport& report, const std::vector<Ranked>& rows) {
    std::vector<size_t> logs;
    for (const Ranked& row : rows) {
        // Checked lines are those with no status of their own.
        const VerdictCounts c = countVerdicts(report.logs[row.log], report.verdicts[row.log]);
        const int32_t checked = c.of(QsoStatus::kConfirmed) + c.of(QsoStatus::kUnverified) + c.of(QsoStatus::kUnique) +
                                c.of(QsoStatus::kNil) + c.busted();
        if (checked > 0 && c.of(QsoStatus::kNil) == 0 && c.busted() == 0) {
            logs.push_back(row.log);
        }
    }
    sortByScore(report, logs);
    return logs;
}

std::vector<PageSection> resultsSections(const ContestReport& report, const std::vector<Ranked>& rows,
                                         const std::vector<std::string>& rowIds) {
    const CategoryParts shown = shownParts(report);
    std::vector<PageSection> sections;
    sections.push_back(statesSection(report, rows, rowIds, shown));
    sections.push_back(clubsSection(report, rows, rowIds));
    sections.push_back(goldenSection(report, rows, rowIds, shown));
    // A section with nothing to show is left out.
    sections.erase(std::remove_if(sections.begin(), sections.end(), [](const PageSection& s) { return s.count == 0; }),
                   sections.end());
    return sections;
}

std::vector<size_t> soapboxLogs(const ContestReport& report) {
    std::vector<size_t> logs;
    for (size_t l = 0; l < report.entrants.size(); ++l) {
        if (!collapsed(report.entrants[l].soapbox).empty()) {
            logs.push_back(l);
        }
    }
    std::stable_sort(logs.begin(), logs.end(),
                     [&report](size_t a, size_t b) { return report.logs[a].call < report.logs[b].call; });
    return logs;
}

std::string soapboxHtml(const ContestReport& report) {
    const Words& w = wordsFor(report.settings.language);
    const std::string title = filled(w.soapboxTitle, {contestName(report)});
    const std::vector<std::string> rowIds = ubnFileNames(report);
    std::string html = pageHead(w.htmlLang, title, "p.soapbox{white-space:pre-line;max-width:45em}") +
                       "<p><a href=\"results.html\">" + escaped(w.resultsLink) + "</a></p>\n<h1>" + escaped(title) +
                       "</h1>\n";
    const std::vector<size_t> logs = soapboxLogs(report);
    if (logs.empty()) {
        html += "<p>" + escaped(w.noSoapbox) + "</p>\n";
    }
    for (size_t l : logs) {
        html += "<h2><a href=\"results.html#" + escaped(rowIds[l]) + "\">" + escaped(report.logs[l].call) +
                "</a></h2>\n<p class=\"soapbox\">" +
                escaped(std::string(logfile::trimmed(report.entrants[l].soapbox))) + "</p>\n";
    }
    return asUtf8(html + "</body></html>\n");
}

}  // namespace torv::crosscheck
