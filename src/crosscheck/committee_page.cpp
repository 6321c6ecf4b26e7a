#include "crosscheck/committee_page.h"

#include <algorithm>
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
            Entrant asLogged;
            asLogged.category = e.logCategory;
            items.push_back(
                filled(w.givenCategory, {call, categoryHeading(e, language), categoryHeading(asLogged, language)}));
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

}  // namespace

std::string committeeHtml(const ContestReport& report) {
    const Words& w = wordsFor(report.settings.language);
    const std::string title = filled(w.committeeTitle, {contestName(report)});
    std::string html = pageHead(w.htmlLang, title, "") + "<h1>" + htmlEscaped(title) + "</h1>\n<p>" +
                       escaped(w.committeeNotice) + "</p>\n<p>" + htmlEscaped(rulesSentence(report)) + " " +
                       htmlEscaped(filled(w.checkedWith, {report.settings.toolVersion})) + "</p>\n";
    html += "<h2>" + escaped(w.filesHeading) + "</h2>\n" + fileRows(report, w);
    std::vector<std::string> replaced;
    for (const Replacement& r : report.replacements) {
        std::string others;
        for (const std::string& path : r.leftOut) {
            others += (others.empty() ? "" : ", ") + path;
        }
        replaced.push_back(filled(w.replacedBy, {r.call, r.checked, others}));
    }
    html += section(w.replacedHeading, replaced, w);
    html += section(w.categoriesHeading, categoryFindings(report, w), w);
    html += section(w.headersHeading, headerFindings(report, w), w);
    html += logsToLookAt(report, w);
    std::vector<std::string> clocks;
    for (size_t l = 0; l < report.logs.size(); ++l) {
        const LogVerdict& v = report.verdicts[l];
        if (v.offsetMinutes >= kReportedOffsetMinutes || v.offsetMinutes <= -kReportedOffsetMinutes) {
            clocks.push_back(
                filled(w.clockOf, {report.logs[l].call, offsetWords(report.settings.language, v.offsetMinutes),
                                   std::to_string(v.offsetPairs)}));
        }
    }
    html += section(w.clocksHeading, clocks, w);
    // Only when there are any: most contests receive none.
    if (const std::vector<std::string> files = notEntries(report); !files.empty()) {
        html += section(w.notEntriesHeading, files, w);
    }
    return asUtf8(html + "</body></html>\n");
}

}  // namespace torv::crosscheck
