#include "crosscheck/committee_page.h"

#include <algorithm>
#include <map>
#include <numeric>

#include "crosscheck/report_text.h"
#include "engine/contest.h"
#include "reports/score_summary.h"

namespace torv::crosscheck {

namespace contest = engine::contest;
using reports::sortBandsDescending;

namespace {

// "43 %": a share in whole percent, a half rounded up.
std::string percent(int64_t part, int64_t whole) {
    return std::to_string(whole == 0 ? 0 : (part * 200 + whole) / (whole * 2)) + "\xC2\xA0%";
}

std::string escaped(std::string_view text) {
    return htmlEscaped(std::string(text));
}

std::string list(const std::vector<std::string>& items) {
    std::string html = "<ul>";
    for (const std::string& item : items) {
        html += "<li>" + htmlEscaped(item) + "</li>";
    }
    return html + "</ul>\n";
}

// A section: its heading, and its items or the words for none.
std::string section(std::string_view heading, const std::vector<std::string>& items, const Words& w) {
    return "<h2>" + escaped(heading) + "</h2>\n" +
           (items.empty() ? "<p>" + escaped(w.nothing) + "</p>\n" : list(items));
}

std::string fileRows(const ContestReport& report, const Words& w) {
    std::string html = "<table><thead><tr><th class=\"l\">" + escaped(w.file) + "</th><th class=\"l\">" +
                       escaped(w.call) + "</th><th>" + escaped(w.qsoLines) + "</th><th>" + escaped(w.unreadableLines) +
                       "</th><th class=\"l\">" + escaped(w.fate) + "</th></tr></thead><tbody>\n";
    for (const FileRecord& file : report.files) {
        std::string fate;
        switch (file.fate) {
            case FileFate::kChecked:
                fate = w.checkedFate;
                break;
            case FileFate::kLeftOut:
                fate = filled(w.leftOutFate, {file.reason});
                break;
            case FileFate::kReplaced:
                fate = filled(w.replacedFate, {file.reason});
                break;
            case FileFate::kOtherContest:
            case FileFate::kNoContacts:
                fate = notEntryText(file, report.settings.language);
                break;
        }
        html += "<tr><td class=\"l\">" + htmlEscaped(file.path) + "</td><td class=\"l\">" + htmlEscaped(file.call) +
                "</td><td>" + std::to_string(file.qsoLines) + "</td><td>" + std::to_string(file.unreadableLines) +
                "</td><td class=\"l\">" + htmlEscaped(fate) + (file.messages.empty() ? "" : list(file.messages)) +
                "</td></tr>\n";
    }
    return html + "</tbody></table>\n";
}

// The parts of a category that are given but not the contest's words.
std::string unknownParts(const Category& category, const Words& w) {
    const std::string_view names[] = {w.operatorPart, w.bandPart, w.powerPart, w.modePart};
    std::string parts;
    for (size_t p = 0; p < kCategoryParts; ++p) {
        const std::string& value = category.parts[p];
        if (!value.empty() && categoryPlace(static_cast<CategoryPart>(p), value) < 0) {
            parts += (parts.empty() ? "" : ", ") + std::string(names[p]) + " \"" + value + "\"";
        }
    }
    return parts;
}

std::vector<std::string> categoryFindings(const ContestReport& report, const Words& w) {
    const Language language = report.settings.language;
    std::vector<std::string> items;
    for (size_t l = 0; l < report.logs.size(); ++l) {
        const Entrant& e = report.entrants[l];
        const std::string& call = report.logs[l].call;
        const std::string unknown = unknownParts(e.category, w);
        switch (standingOf(e.category)) {
            case CategoryStanding::kNone:
                items.push_back(filled(w.noCategoryOf, {call}) + (unknown.empty() ? "" : " (" + unknown + ")"));
                break;
            case CategoryStanding::kOtherBand:
                items.push_back(filled(w.otherBandCategory, {call, e.category.part(CategoryPart::kBand)}));
                break;
            case CategoryStanding::kRanked:
                if (!unknown.empty()) {
                    items.push_back(filled(w.unknownCategoryWords, {call, unknown}));
                }
                break;
        }
        if (!(e.category == e.logCategory)) {
            items.push_back(filled(w.givenCategory, {call, categoryInContestWords(e.category, language),
                                                     categoryInContestWords(e.logCategory, language)}));
        }
    }
    for (const std::string& problem : report.categoriesProblems) {
        items.push_back(report.categoriesFile + ": " + problem);
    }
    return items;
}

std::vector<std::string> headerFindings(const ContestReport& report, const Words& w) {
    std::vector<std::string> items;
    for (size_t l = 0; l < report.logs.size(); ++l) {
        const Entrant& e = report.entrants[l];
        const SubmittedLog& log = report.logs[l];
        const std::string score = std::to_string(e.claimedScore);
        if (e.header.hasHeader && !e.header.claimedScorePresent) {
            items.push_back(filled(w.claimedMissing, {log.call, score}));
        } else if (e.header.hasHeader && (!e.header.claimedScore || *e.header.claimedScore != e.claimedScore)) {
            items.push_back(filled(w.claimedDiffers, {log.call, e.header.claimedScoreText, score}));
        }
        const std::string band = singleBandOf(e.category);
        const std::string& mode = e.category.part(CategoryPart::kMode);
        std::vector<std::string> otherBands;
        int32_t otherMode = 0;
        for (const LogQso& q : log.qsos) {
            if (!band.empty() && !q.band.empty() && q.band != band &&
                std::find(otherBands.begin(), otherBands.end(), q.band) == otherBands.end()) {
                otherBands.push_back(q.band.str());
            }
            otherMode += contest::isContestMode(mode) && !q.mode.empty() && q.mode != mode ? 1 : 0;
        }
        if (!otherBands.empty()) {
            sortBandsDescending(otherBands);
            std::string bands;
            for (const std::string& b : otherBands) {
                bands += (bands.empty() ? "" : ", ") + b;
            }
            items.push_back(filled(w.bandMismatch, {log.call, e.category.part(CategoryPart::kBand), bands}));
        }
        if (otherMode > 0) {
            items.push_back(filled(w.modeMismatch, {log.call, mode, std::to_string(otherMode)}));
        }
    }
    return items;
}

std::string logsToLookAt(const ContestReport& report, const Words& w) {
    struct Look {
        size_t log;
        int32_t lines, confirmed, unique;
        std::string why;
    };
    std::vector<Look> looks;
    for (size_t l = 0; l < report.logs.size(); ++l) {
        const Entrant& e = report.entrants[l];
        const VerdictCounts c = countVerdicts(report.logs[l], report.verdicts[l]);
        const int32_t offset = report.verdicts[l].offsetMinutes;
        std::vector<std::string> why;
        if (c.of(QsoStatus::kConfirmed) * 2 < e.claimedQsos) {
            why.emplace_back(w.fewConfirmed);
        }
        if (c.of(QsoStatus::kUnique) * 5 > e.claimedQsos && c.of(QsoStatus::kUnique) > 0) {
            why.emplace_back(w.manyUnique);
        }
        if (offset > 10 || offset < -10) {
            why.emplace_back(w.clockFarOff);
        }
        if (!why.empty()) {
            std::string reasons;
            for (const std::string& reason : why) {
                reasons += (reasons.empty() ? "" : "; ") + reason;
            }
            looks.push_back({l, c.lines(), c.of(QsoStatus::kConfirmed), c.of(QsoStatus::kUnique), reasons});
        }
    }
    // The largest share not confirmed first: (lines - confirmed) / lines, compared as products.
    std::stable_sort(looks.begin(), looks.end(), [](const Look& a, const Look& b) {
        return int64_t{a.lines - a.confirmed} * std::max(b.lines, 1) >
               int64_t{b.lines - b.confirmed} * std::max(a.lines, 1);
    });
    std::string html = "<h2>" + escaped(w.lookHeading) + "</h2>\n<p>" + escaped(w.lookNote) + "</p>\n";
    if (looks.empty()) {
        return html + "<p>" + escaped(w.nothing) + "</p>\n";
    }
    html += "<table><thead><tr><th class=\"l\">" + escaped(w.call) + "</th><th>" + escaped(w.qsoLines) + "</th><th>" +
            escaped(w.notConfirmedShare) + "</th><th>" + escaped(w.uniqueShare) + "</th><th>" + escaped(w.clockOffset) +
            "</th><th class=\"l\">" + escaped(w.why) + "</th></tr></thead><tbody>\n";
    for (const Look& look : looks) {
        html += "<tr><td class=\"l\">" + htmlEscaped(report.logs[look.log].call) + "</td><td>" +
                std::to_string(look.lines) + "</td><td>" + percent(look.lines - look.confirmed, look.lines) +
                "</td><td>" + percent(look.unique, look.lines) + "</td><td>" +
                std::to_string(report.verdicts[look.log].offsetMinutes) + "</td><td class=\"l\">" +
                htmlEscaped(look.why) + "</td></tr>\n";
    }
    return html + "</tbody></table>\n";
}

// "1.5": a count per 100 lines, to a tenth, a half rounded up.
std::string per100(int64_t count, int64_t lines) {
    const int64_t tenths = lines == 0 ? 0 : (count * 2000 + lines) / (lines * 2);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// The files of another contest or without contacts: "FILE (CALL): why".
std::vector<std::string> notEntries(const ContestReport& report) {
    std::vector<std::string> items;
    for (const FileRecord& file : report.files) {
        const std::string why = notEntryText(file, report.settings.language);
        if (!why.empty()) {
            items.push_back(file.path + (file.call.empty() ? "" : " (" + file.call + ")") + ": " + why);
        }
    }
    return items;
}

bool checkedStatus(QsoStatus status) {
    return status == QsoStatus::kConfirmed || status == QsoStatus::kBustedCall ||
           status == QsoStatus::kBustedExchange || status == QsoStatus::kNil || status == QsoStatus::kUnique ||
           status == QsoStatus::kUnverified;
}

// The contest's error figures, in the terms committees publish them.
struct Figures {
    int64_t checked = 0, crossChecked = 0, confirmed = 0, bustedCalls = 0, bustedExchanges = 0, nil = 0, unique = 0,
            provedBusted = 0;
};

// Per log: its checked lines and errors, and the other logs' checked lines
// that log its call with how many of them are NIL.
struct LogFigures {
    int64_t checked = 0, nil = 0, bustedCalls = 0, bustedExchanges = 0, loggedBy = 0, nilOfIt = 0;
    int64_t errors() const { return nil + bustedCalls + bustedExchanges; }
};

Figures contestFigures(const ContestReport& report, std::vector<LogFigures>& perLog) {
    std::map<std::string, size_t> logOfCall;
    for (size_t l = 0; l < report.logs.size(); ++l) {
        logOfCall.emplace(normalised(report.logs[l].call), l);
    }
    perLog.assign(report.logs.size(), LogFigures());
    Figures f;
    for (size_t l = 0; l < report.logs.size(); ++l) {
        const LogVerdict& verdict = report.verdicts[l];
        for (size_t q = 0; q < verdict.qsos.size(); ++q) {
            const QsoVerdict& v = verdict.qsos[q];
            if (!checkedStatus(v.status)) {
                continue;
            }
            const Evidence* e = evidenceOf(verdict, v);
            const auto worked = logOfCall.find(normalised(report.logs[l].qsos[q].call));
            const bool cross = v.otherLog >= 0 || worked != logOfCall.end() ||
                               (e != nullptr && e->kind == EvidenceKind::kCallHistory && e->callLog >= 0);
            LogFigures& own = perLog[l];
            ++f.checked;
            ++own.checked;
            f.crossChecked += cross ? 1 : 0;
            f.confirmed += cross && v.status == QsoStatus::kConfirmed ? 1 : 0;
            f.bustedCalls += v.status == QsoStatus::kBustedCall ? 1 : 0;
            f.bustedExchanges += v.status == QsoStatus::kBustedExchange ? 1 : 0;
            f.nil += v.status == QsoStatus::kNil ? 1 : 0;
            f.unique += v.status == QsoStatus::kUnique ? 1 : 0;
            f.provedBusted += v.status == QsoStatus::kBustedCall && !v.decided && e != nullptr &&
                                      e->kind == EvidenceKind::kCallHistory
                                  ? 1
                                  : 0;
            own.nil += v.status == QsoStatus::kNil ? 1 : 0;
            own.bustedCalls += v.status == QsoStatus::kBustedCall ? 1 : 0;
            own.bustedExchanges += v.status == QsoStatus::kBustedExchange ? 1 : 0;
            if (worked != logOfCall.end() && worked->second != l) {
                ++perLog[worked->second].loggedBy;
                perLog[worked->second].nilOfIt += v.status == QsoStatus::kNil ? 1 : 0;
            }
        }
    }
    return f;
}

std::string figuresSection(const ContestReport& report, const Words& w) {
    std::vector<LogFigures> perLog;
    const Figures f = contestFigures(report, perLog);
    std::string html = "<h2>" + escaped(w.figuresHeading) + "</h2>\n<p>" + escaped(w.figuresNote) +
                       "</p>\n<table class=\"figures\"><thead><tr><th class=\"l\">" + escaped(w.figure) + "</th><th>" +
                       escaped(w.count) + "</th><th>" + escaped(w.per100) + "</th></tr></thead><tbody>\n";
    const std::pair<std::string, int64_t> rows[] = {
        {std::string(w.checkedLines), f.checked},
        {std::string(w.crossChecked), f.crossChecked},
        {"\xE2\x80\x83" + std::string(w.confirmedOfThose), f.confirmed},
        {std::string(w.bustedCalls), f.bustedCalls},
        {std::string(w.bustedExchanges), f.bustedExchanges},
        {std::string(w.nilLines), f.nil},
        {std::string(w.uniqueLines), f.unique},
        {"\xE2\x80\x83" + std::string(w.provedBusted), f.provedBusted},
    };
    for (const auto& [name, count] : rows) {
        html += "<tr><td class=\"l\">" + htmlEscaped(name) + "</td><td>" + std::to_string(count) + "</td><td>" +
                per100(count, f.checked) + "</td></tr>\n";
    }
    html += "</tbody></table>\n";
    // Each log's error rate, the highest first.
    std::vector<size_t> order;
    for (size_t l = 0; l < perLog.size(); ++l) {
        if (perLog[l].checked > 0) {
            order.push_back(l);
        }
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return perLog[a].errors() * perLog[b].checked > perLog[b].errors() * perLog[a].checked;
    });
    html += "<h2>" + escaped(w.errorRatesHeading) + "</h2>\n<p>" + escaped(w.errorRatesNote) + "</p>\n";
    html += "<table class=\"rates\"><thead><tr><th class=\"l\">" + escaped(w.call) + "</th><th>" +
            escaped(w.checkedLines) + "</th><th>" + escaped(w.nilLines) + "</th><th>" + escaped(w.bustedCalls) +
            "</th><th>" + escaped(w.bustedExchanges) + "</th><th>" + escaped(w.errorRate) +
            "</th></tr></thead><tbody>\n";
    for (size_t l : order) {
        const LogFigures& g = perLog[l];
        html += "<tr><td class=\"l\">" + htmlEscaped(report.logs[l].call) + "</td><td>" + std::to_string(g.checked) +
                "</td><td>" + std::to_string(g.nil) + "</td><td>" + std::to_string(g.bustedCalls) + "</td><td>" +
                std::to_string(g.bustedExchanges) + "</td><td>" + per100(g.errors(), g.checked) + "</td></tr>\n";
    }
    html += "</tbody></table>\n";
    // The logs behind the others' NIL: above a tenth of at least 10 lines.
    std::vector<size_t> behind;
    for (size_t l = 0; l < perLog.size(); ++l) {
        if (perLog[l].loggedBy >= 10 && perLog[l].nilOfIt * 10 > perLog[l].loggedBy) {
            behind.push_back(l);
        }
    }
    std::stable_sort(behind.begin(), behind.end(), [&](size_t a, size_t b) {
        return perLog[a].nilOfIt * perLog[b].loggedBy > perLog[b].nilOfIt * perLog[a].loggedBy;
    });
    html += "<h2>" + escaped(w.failuresHeading) + "</h2>\n<p>" + escaped(w.failuresNote) + "</p>\n";
    if (behind.empty()) {
        return html + "<p>" + escaped(w.nothing) + "</p>\n";
    }
    html += "<table class=\"behind\"><thead><tr><th class=\"l\">" + escaped(w.call) + "</th><th>" +
            escaped(w.loggedBy) + "</th><th>" + escaped(w.nilLines) + "</th><th>" + escaped(w.nilShare) +
            "</th></tr></thead><tbody>\n";
    for (size_t l : behind) {
        html += "<tr><td class=\"l\">" + htmlEscaped(report.logs[l].call) + "</td><td>" +
                std::to_string(perLog[l].loggedBy) + "</td><td>" + std::to_string(perLog[l].nilOfIt) + "</td><td>" +
                percent(perLog[l].nilOfIt, perLog[l].loggedBy) + "</td></tr>\n";
    }
    return html + "</tbody></table>\n";
}

// Every decision of the committee and what it replaced, then the rows left aside.
std::vector<std::string> decisionItems(const ContestReport& report, const Words& w) {
    const Language language = report.settings.language;
    std::vector<std::string> items;
    for (size_t l = 0; l < report.logs.size(); ++l) {
        for (const AppliedDecision& d : report.verdicts[l].decisions) {
            const QsoVerdict& v = report.verdicts[l].qsos[d.qso];
            items.push_back(filled(
                w.decisionItem,
                {report.logs[l].call, std::to_string(report.logs[l].qsos[d.qso].line), statusWord(v.status),
                 statusWord(d.replaced), replacedDetailIn(language, report.logs, report.verdicts, l, d.qso), d.note}));
        }
    }
    for (std::string& problem : decisionsProblems(report)) {
        items.push_back(std::move(problem));
    }
    return items;
}

std::vector<std::string> clockFindings(const ContestReport& report, const Words& w) {
    std::vector<std::string> clocks;
    for (size_t l = 0; l < report.logs.size(); ++l) {
        const LogVerdict& v = report.verdicts[l];
        if (v.offsetMinutes >= kReportedOffsetMinutes || v.offsetMinutes <= -kReportedOffsetMinutes) {
            clocks.push_back(
                filled(w.clockOf, {report.logs[l].call, offsetWords(report.settings.language, v.offsetMinutes),
                                   std::to_string(v.offsetPairs)}));
        }
    }
    return clocks;
}

std::vector<std::string> replacedFindings(const ContestReport& report, const Words& w) {
    std::vector<std::string> replaced;
    for (const Replacement& r : report.replacements) {
        std::string others;
        for (const std::string& path : r.leftOut) {
            others += (others.empty() ? "" : ", ") + path;
        }
        replaced.push_back(filled(w.replacedBy, {r.call, r.checked, others}));
    }
    return replaced;
}

}  // namespace

std::string committeeHtml(const ContestReport& report) {
    const Words& w = wordsFor(report.settings.language);
    const std::string title = filled(w.committeeTitle, {contestName(report)});
    std::string html = pageHead(w.htmlLang, title, "") + "<h1>" + htmlEscaped(title) + "</h1>\n<p>" +
                       escaped(w.committeeNotice) + "</p>\n<p>" + htmlEscaped(rulesSentence(report)) + " " +
                       htmlEscaped(filled(w.checkedWith, {report.settings.toolVersion})) + "</p>\n";
    // What the committee acts on comes first, the file list last: no file
    // name stands above the logs that deserve a look.
    html += logsToLookAt(report, w);
    html += section(w.clocksHeading, clockFindings(report, w), w);
    // Only when there are any: most contests receive none.
    if (const std::vector<std::string> files = notEntries(report); !files.empty()) {
        html += section(w.notEntriesHeading, files, w);
    }
    html += section(w.categoriesHeading, categoryFindings(report, w), w);
    html += section(w.headersHeading, headerFindings(report, w), w);
    html += section(w.replacedHeading, replacedFindings(report, w), w);
    html += figuresSection(report, w);
    html += section(w.decisionsHeading, decisionItems(report, w), w);
    html += "<h2>" + escaped(w.filesHeading) + "</h2>\n" + fileRows(report, w);
    std::vector<std::string> notRead;
    for (const std::string& folder : report.foldersNotRead) {
        notRead.push_back(filled(w.folderNotRead, {folder}));
    }
    html += notRead.empty() ? std::string() : list(notRead);
    return asUtf8(html + "</body></html>\n");
}

}  // namespace torv::crosscheck
