#include "crosscheck/qsos_csv.h"

#include <algorithm>
#include <numeric>
#include <tuple>

#include "crosscheck/report_text.h"

namespace torv::crosscheck {

namespace {

// "log,line,status" of a row, each added in place (a row is made per line
// of every log).
void appendRowStart(std::string& csv, const std::string& call, uint32_t line, std::string_view status) {
    appendCsvField(csv, call);
    csv += ',';
    csv += std::to_string(line);
    csv += ',';
    csv += status;
}

}  // namespace

std::string qsosCsv(const ContestReport& report) {
    std::vector<size_t> byCall(report.logs.size());
    std::iota(byCall.begin(), byCall.end(), size_t{0});
    std::sort(byCall.begin(), byCall.end(), [&](size_t a, size_t b) {
        return std::tie(report.logs[a].call, report.entrants[a].file) <
               std::tie(report.logs[b].call, report.entrants[b].file);
    });
    std::string csv = "log,line,status,other,detail\n";
    // Each row's line, and which contact (or unreadable line, after them) it is.
    std::vector<std::pair<uint32_t, size_t>> rows;
    for (size_t l : byCall) {
        const SubmittedLog& log = report.logs[l];
        rows.clear();
        for (size_t q = 0; q < log.qsos.size(); ++q) {
            rows.emplace_back(log.qsos[q].line, q);
        }
        for (size_t u = 0; u < log.unreadable.size(); ++u) {
            rows.emplace_back(log.unreadable[u].line, log.qsos.size() + u);
        }
        std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [line, index] : rows) {
            if (index >= log.qsos.size()) {
                const UnreadableQso& u = log.unreadable[index - log.qsos.size()];
                appendRowStart(csv, log.call, line, kUnreadableWord);
                csv += ",,";
                appendCsvField(csv, logfile::readFaultText(u.fault));
                csv += '\n';
                continue;
            }
            const QsoVerdict& v = report.verdicts[l].qsos[index];
            appendRowStart(csv, log.call, line, statusWord(v.status));
            csv += ',';
            appendCsvField(csv, otherCallOf(report.logs, report.verdicts[l], v));
            csv += ',';
            appendCsvField(csv, detailOf(report, l, index));
            csv += '\n';
        }
    }
    return asUtf8(std::move(csv));
}

}  // namespace torv::crosscheck
