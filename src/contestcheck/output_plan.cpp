#include "contestcheck/output_plan.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>

#include "contestcheck/parallel.h"
#include "crosscheck/committee_page.h"
#include "crosscheck/crosscheck.h"
#include "crosscheck/qsos_csv.h"
#include "crosscheck/results_json.h"
#include "crosscheck/results_page.h"
#include "crosscheck/results_sections.h"
#include "crosscheck/results_table.h"
#include "crosscheck/ubn_report.h"

namespace torv::contestcheck {

using crosscheck::ContestReport;
using crosscheck::UbnShared;

namespace {

// One output, or one of each log's: the table below, in the plan's order
// (a run of rows of each log makes those files log by log).
struct Output {
    // kWhenAny: a contest's file made only when the report holds something
    // for it (the soapbox page, when an entrant wrote one).
    enum class Kind { kContest, kWhenAsked, kWhenAny, kEachLog };
    Kind kind;
    // A contest's file: its name; a log's: the extension after
    // kReportFolder/NAME.
    const char* name;
    std::string (*contest)(const ContestReport&);
    std::string (*log)(const ContestReport&, const UbnShared&, size_t);
};

// The results the summary line points to.
constexpr const char* kResultsText = "results.txt";

constexpr Output kOutputs[] = {
    {Output::Kind::kContest, "qsos.csv", crosscheck::qsosCsv, nullptr},
    {Output::Kind::kEachLog, ".txt", nullptr, crosscheck::ubnText},
    {Output::Kind::kEachLog, ".html", nullptr, crosscheck::ubnHtml},
    {Output::Kind::kContest, kResultsText, crosscheck::resultsText, nullptr},
    {Output::Kind::kContest, "results.csv", crosscheck::resultsCsv, nullptr},
    {Output::Kind::kContest, "results.html", crosscheck::resultsHtml, nullptr},
    {Output::Kind::kWhenAny, "soapbox.html", crosscheck::soapboxHtml, nullptr},
    {Output::Kind::kContest, "committee.html", crosscheck::committeeHtml, nullptr},
    {Output::Kind::kWhenAsked, "results.json", crosscheck::resultsJson, nullptr},
};

bool isSafeNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

}  // namespace

std::vector<PlannedFile> outputPlan(const ContestReport& report, bool json) {
    std::vector<PlannedFile> plan;
    const std::vector<std::string> names = crosscheck::ubnFileNames(report);
    // Found once for every report, when the first one is made; the reports
    // are made on several threads at once.
    struct Shared {
        std::once_flag once;
        std::optional<UbnShared> part;
    };
    auto shared = std::make_shared<Shared>();
    auto sharedPart = [&report, shared]() -> const UbnShared& {
        std::call_once(shared->once, [&] { shared->part = crosscheck::ubnShared(report); });
        return *shared->part;
    };
    const Output* const end = std::end(kOutputs);
    for (const Output* row = std::begin(kOutputs); row != end;) {
        if (row->kind != Output::Kind::kEachLog) {
            const bool wanted = row->kind == Output::Kind::kContest ||
                                (row->kind == Output::Kind::kWhenAsked && json) ||
                                (row->kind == Output::Kind::kWhenAny && !crosscheck::soapboxLogs(report).empty());
            if (wanted) {
                plan.push_back({row->name, [&report, make = row->contest] { return make(report); }});
            }
            ++row;
            continue;
        }
        const Output* const runEnd =
            std::find_if(row, end, [](const Output& o) { return o.kind != Output::Kind::kEachLog; });
        for (size_t l = 0; l < report.logs.size(); ++l) {
            for (const Output* each = row; each != runEnd; ++each) {
                plan.push_back({std::string(kReportFolder) + "/" + names[l] + each->name,
                                [&report, l, sharedPart, make = each->log] { return make(report, sharedPart(), l); }});
            }
        }
        row = runEnd;
    }
    return plan;
}

bool isOutputName(std::string_view name) {
    const std::string_view folder = std::string_view(kReportFolder);
    for (const Output& row : kOutputs) {
        if (row.kind != Output::Kind::kEachLog) {
            if (name == row.name) {
                return true;
            }
            continue;
        }
        // kReportFolder/NAME.ext, NAME a safe file name.
        const std::string_view extension = row.name;
        if (name.size() > folder.size() + 1 + extension.size() && name.substr(0, folder.size()) == folder &&
            name[folder.size()] == '/' && name.substr(name.size() - extension.size()) == extension) {
            const std::string_view stem =
                name.substr(folder.size() + 1, name.size() - folder.size() - 1 - extension.size());
            if (std::all_of(stem.begin(), stem.end(), isSafeNameCharacter)) {
                return true;
            }
        }
    }
    return false;
}

std::vector<std::string> makeOutputs(const std::vector<PlannedFile>& plan, unsigned threads, const OutputWriter& write,
                                     const std::function<bool()>& stop) {
    std::vector<std::string> failures(plan.size());
    forEachIndex(plan.size(), threads, [&](size_t i) {
        if (stop && stop()) {
            failures[i] = kNotMade;
            return;
        }
        try {
            failures[i] = write(plan[i].name, plan[i].text());
        } catch (const std::exception& error) {
            failures[i] = error.what();
        } catch (...) {
            failures[i] = "an unknown error";
        }
    });
    return failures;
}

std::string summaryLine(const ContestReport& report, const std::string& out) {
    size_t lines = 0;
    crosscheck::VerdictCounts all;
    for (size_t l = 0; l < report.logs.size(); ++l) {
        lines += report.logs[l].qsos.size();
        const crosscheck::VerdictCounts c = crosscheck::countVerdicts(report.logs[l], report.verdicts[l]);
        for (size_t s = 0; s < all.byStatus.size(); ++s) {
            all.byStatus[s] += c.byStatus[s];
        }
    }
    using crosscheck::QsoStatus;
    return std::to_string(report.logs.size()) + " logs, " + std::to_string(lines) +
           " QSO lines: " + std::to_string(all.of(QsoStatus::kConfirmed)) + " confirmed, " +
           std::to_string(all.of(QsoStatus::kNil)) + " NIL, " + std::to_string(all.busted()) + " busted, " +
           std::to_string(all.of(QsoStatus::kUnique)) + " unique; results in " + out + "/" + kResultsText;
}

}  // namespace torv::contestcheck
