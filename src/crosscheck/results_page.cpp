#include "crosscheck/results_page.h"

#include <algorithm>
#include <optional>

#include "crosscheck/hourly_chart.h"
#include "crosscheck/report_text.h"
#include "crosscheck/results_sections.h"

namespace torv::crosscheck {

namespace {

// The tables fit a 1280-pixel window in either language (a chart a little
// smaller than on the UBN pages); on a phone's width the results tables
// keep the rank, the call and the checked score and leave out the rest.
// A row a link lands on is not hidden under the sticky header row.
const char* const kResultsStyle =
    "thead th{position:sticky;top:0;z-index:1}th[data-k]{cursor:pointer;user-select:none}"
    "th[aria-sort=ascending]::after{content:\" \\25B2\"}th[aria-sort=descending]::after{content:\" \\25BC\"}"
    "td.chart{padding:0;width:240px}table.results div.chart{contain-intrinsic-size:240px 54px}"
    "table.results svg.chart{width:240px;height:54px}#find input{font-size:1em;margin-left:.5em}"
    "tbody tr{scroll-margin-top:4em}tr:target{background:#ffeeb0}nav ul{columns:2 22em;padding-left:1.2em}"
    "@media (max-width:760px){body{margin:.6em}"
    "table.results th:nth-child(n+3):not(:nth-child(8)),table.results td:nth-child(n+3):not(:nth-child(8))"
    "{display:none}.x{display:none}}";

// Sorting by a click on a column's heading (again: the other way), and the
// box that leaves only the rows of the call typed (of the calls holding
// the text, when no call is exactly it).
const char* const kResultsScript =
    "(function(){"
    "var find=document.getElementById('find'),box=document.getElementById('call');"
    "find.hidden=false;"
    "function callOf(r){return r.cells[1].textContent.toUpperCase();}"
    "document.querySelectorAll('th[data-k]').forEach(function(th){"
    "th.tabIndex=0;"
    "function sort(){"
    "var table=th.closest('table'),body=table.tBodies[0],i=th.cellIndex,numbers=th.dataset.k==='n',"
    "up=th.getAttribute('aria-sort')!=='ascending',rows=Array.prototype.slice.call(body.rows);"
    "table.querySelectorAll('th[aria-sort]').forEach(function(o){o.removeAttribute('aria-sort');});"
    "th.setAttribute('aria-sort',up?'ascending':'descending');"
    "rows.sort(function(a,b){var x=a.cells[i].textContent,y=b.cells[i].textContent,"
    "d=numbers?Number(x)-Number(y):(x<y?-1:x>y?1:0);return up?d:-d;});"
    "rows.forEach(function(r){body.appendChild(r);});}"
    "th.addEventListener('click',sort);"
    "th.addEventListener('keydown',function(e){if(e.key==='Enter'){sort();}});});"
    "box.addEventListener('input',function(){"
    "var text=box.value.trim().toUpperCase(),rows=document.querySelectorAll('table.results tbody tr'),"
    "exact=Array.prototype.some.call(rows,function(r){return callOf(r)===text;});"
    "rows.forEach(function(r){var c=callOf(r);r.hidden=text!==''&&(exact?c!==text:c.indexOf(text)<0);});"
    "document.querySelectorAll('table.results').forEach(function(t){"
    "var shown=Array.prototype.some.call(t.tBodies[0].rows,function(r){return !r.hidden;});"
    "t.hidden=!shown;t.previousElementSibling.hidden=!shown;});});"
    "})();";

std::string heading(std::string_view text, const char* kind) {
    return "<th" + std::string(kind[0] == 'c' ? " class=\"l\"" : "") + " data-k=\"" + (kind[0] == 'c' ? "t" : "n") +
           "\">" + htmlEscaped(std::string(text)) + "</th>";
}

// A heading in its short form, the whole word for a pointer's hover and
// for screen readers: the long Portuguese words would not let the table
// fit the window.
std::string shortHeading(std::string_view shortText, std::string_view text) {
    return "<th data-k=\"n\"><abbr title=\"" + htmlEscaped(std::string(text)) + "\">" +
           htmlEscaped(std::string(shortText)) + "</abbr></th>";
}

std::string cell(int64_t value) {
    return "<td>" + std::to_string(value) + "</td>";
}

// One section per category: its table, ranked, each row's id the log's
// UBN name, so that other sections link to the row.
std::vector<PageSection> categorySections(const ContestReport& report, const std::vector<Ranked>& rows,
                                          const std::vector<std::string>& rowIds) {
    const Language language = report.settings.language;
    const Words& w = wordsFor(language);
    const CategoryParts shown = shownParts(report);
    const HourSpan span = hourSpan(report);
    std::vector<HourlyCounts> hourly(report.logs.size());
    for (size_t l = 0; l < report.logs.size(); ++l) {
        hourly[l] = hourlyCounts(report.logs[l], report.verdicts[l].offsetMinutes, span);
    }
    const std::string columns = "<thead><tr>" + heading(w.rank, "n") + heading(w.call, "c") + heading(w.qsos, "n") +
                                shortHeading(w.confirmedShort, w.confirmed) + heading(w.points, "n") +
                                shortHeading(w.multipliersShort, w.multipliers) + heading(w.claimedScore, "n") +
                                heading(w.checkedScore, "n") + heading(w.nil, "n") + heading(w.busted, "n") +
                                heading(w.unique, "n") + "<th class=\"l\">" +
                                htmlEscaped(std::string(w.contactsPerHour)) + "</th></tr></thead><tbody>\n";
    std::vector<PageSection> sections;
    for (size_t first = 0; first < rows.size();) {
        size_t end = first + 1;
        while (end < rows.size() && !rows[end].opensCategory) {
            ++end;
        }
        // One scale for the charts of a table, so that they compare.
        int32_t peak = 1;
        for (size_t i = first; i < end; ++i) {
            peak = std::max(peak, hourly[rows[i].log].peak());
        }
        PageSection section{"category-" + std::to_string(sections.size() + 1),
                            categoryHeading(report.entrants[rows[first].log], language, shown), end - first,
                            "<table class=\"results\">" + columns};
        std::string& html = section.html;
        for (size_t i = first; i < end; ++i) {
            const size_t l = rows[i].log;
            const Entrant& e = report.entrants[l];
            const std::string& call = report.logs[l].call;
            const VerdictCounts c = countVerdicts(report.logs[l], report.verdicts[l]);
            html += "<tr id=\"" + htmlEscaped(rowIds[l]) + "\">" + cell(rows[i].rank) +
                    "<td class=\"l\"><a href=\"ubn/" + htmlEscaped(rowIds[l]) + ".html\">" + htmlEscaped(call) +
                    "</a></td>" + cell(e.claimedQsos) + cell(c.of(QsoStatus::kConfirmed)) + cell(e.checked.points) +
                    cell(e.checked.summary.multipliers) + cell(claimedScoreOf(e)) + "<td><b>" +
                    std::to_string(e.checked.score) + "</b></td>" + cell(c.of(QsoStatus::kNil)) + cell(c.busted()) +
                    cell(c.of(QsoStatus::kUnique)) + "<td class=\"chart\"><div class=\"chart\">" +
                    hourlySvg(hourly[l], span, peak, call + ": " + std::string(w.contactsPerHour)) +
                    "</div></td></tr>\n";
        }
        html += "</tbody></table>\n";
        sections.push_back(std::move(section));
        first = end;
    }
    return sections;
}

// The table of contents: every section with its count, then the soapbox
// page when an entrant wrote one.
std::string contents(const ContestReport& report, const std::vector<PageSection>& sections) {
    const Words& w = wordsFor(report.settings.language);
    std::string html = "<nav id=\"contents\"><h2>" + htmlEscaped(std::string(w.contents)) + "</h2><ul>\n";
    auto item = [&html, &w](const std::string& href, const std::string& title, size_t count) {
        html += "<li><a href=\"" + href + "\">" +
                htmlEscaped(filled(w.countInContents, {title, std::to_string(count)})) + "</a></li>\n";
    };
    for (const PageSection& section : sections) {
        item("#" + section.id, section.title, section.count);
    }
    const size_t soapboxes = soapboxLogs(report).size();
    if (soapboxes > 0) {
        item("soapbox.html", std::string(w.soapboxHeading), soapboxes);
    }
    return html + "</ul></nav>\n";
}

// The entrants who sent a check log, unranked, each call linked to its UBN
// page (they are in no category's table); none when there are none.
std::optional<PageSection> checkLogsSection(const ContestReport& report, const std::vector<std::string>& ubnNames) {
    const std::vector<size_t> logs = checkLogs(report);
    if (logs.empty()) {
        return std::nullopt;
    }
    const Words& w = wordsFor(report.settings.language);
    PageSection section{"check-logs", std::string(w.checkLogsHeading), logs.size(),
                        "<p>" + htmlEscaped(std::string(w.checkLogsNote)) + "</p>\n<ul class=\"check-logs\">"};
    for (size_t l : logs) {
        section.html += "<li><a href=\"ubn/" + htmlEscaped(ubnNames[l]) + ".html\">" +
                        htmlEscaped(report.logs[l].call) + "</a></li>";
    }
    section.html += "</ul>\n";
    return section;
}

}  // namespace

std::string resultsHtml(const ContestReport& report) {
    const Language language = report.settings.language;
    const Words& w = wordsFor(language);
    const std::string title = filled(w.resultsTitle, {contestName(report)});
    std::string html = pageHead(w.htmlLang, title, std::string(kChartStyle) + kResultsStyle) + "<h1>" +
                       htmlEscaped(title) + "</h1>\n<p>" + htmlEscaped(rulesSentence(report)) + " " +
                       htmlEscaped(filled(w.checkedWith, {report.settings.toolVersion})) + "</p>\n";
    const std::vector<Ranked> rows = ranked(report);
    const std::vector<std::string> rowIds = ubnFileNames(report);
    std::vector<PageSection> sections = categorySections(report, rows, rowIds);
    for (PageSection& section : resultsSections(report, rows, rowIds)) {
        sections.push_back(std::move(section));
    }
    if (std::optional<PageSection> checks = checkLogsSection(report, rowIds)) {
        sections.push_back(std::move(*checks));
    }
    html += contents(report, sections);
    const HourSpan span = hourSpan(report);
    if (span.count > 0) {
        html += "<p>" + htmlEscaped(std::string(w.contactsPerHour)) + ": " + chartLegend() + "</p>\n";
    }
    html += "<p id=\"find\" hidden><label>" + htmlEscaped(std::string(w.findCall)) +
            "<input id=\"call\" type=\"search\" autocomplete=\"off\" spellcheck=\"false\"></label></p>\n";
    for (const PageSection& section : sections) {
        html += "<h2 id=\"" + section.id + "\">" + htmlEscaped(section.title) + "</h2>\n" + section.html;
    }
    return asUtf8(html + "<script>" + kResultsScript + "</script>\n</body></html>\n");
}

}  // namespace torv::crosscheck
