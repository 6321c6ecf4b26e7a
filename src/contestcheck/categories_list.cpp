#include "contestcheck/categories_list.h"

#include <algorithm>
#include <exception>
#include <map>

#include "contestcheck/log_reading.h"
#include "contestcheck/parallel.h"
#include "crosscheck/report_text.h"
#include "logfile/text.h"

namespace torv::contestcheck {

using crosscheck::Category;
using crosscheck::CategoryPart;
using crosscheck::kCategoryParts;
using logfile::shortened;

namespace {

constexpr const char* kHeader = "call,operator,band,power,mode\n";
constexpr const char* kTags[kCategoryParts] = {"CATEGORY-OPERATOR", "CATEGORY-BAND", "CATEGORY-POWER", "CATEGORY-MODE"};

}  // namespace

CategoriesListing listCategories(const LogSources& sources, const CheckRequest& request) {
    const std::vector<std::string>& paths = sources.paths;
    std::vector<ReadLog> read(paths.size());
    forEachIndex(paths.size(), request.threads, [&](size_t i) {
        try {
            read[i] = readAndScore(paths[i], request, sources.load);
        } catch (const std::exception& error) {
            read[i] = leftOut(paths[i], error.what());
        } catch (...) {
            read[i] = leftOut(paths[i], "an unknown error");
        }
    });
    CategoriesListing listing;
    crosscheck::ContestReport files;
    std::map<std::string, std::vector<size_t>> byCall;
    for (size_t i = 0; i < read.size(); ++i) {
        listing.inputProblems = listing.inputProblems || read[i].inputProblems;
        if (read[i].usable) {
            byCall[read[i].log.call].push_back(i);
        }
    }
    std::vector<std::string> emptied;
    listing.csv = kHeader;
    for (auto& [call, logs] : byCall) {
        std::sort(logs.begin(), logs.end(), [&](size_t a, size_t b) {
            return checkedRather(read[a].modified, paths[a], read[b].modified, paths[b]);
        });
        if (logs.size() > 1) {
            crosscheck::Replacement replacement{call, paths[logs[0]], {}};
            for (size_t k = 1; k < logs.size(); ++k) {
                replacement.leftOut.push_back(paths[logs[k]]);
            }
            files.replacements.push_back(std::move(replacement));
        }
        const ReadLog& taken = read[logs[0]];
        const Category& category = taken.entrant.logCategory;
        std::string row = crosscheck::csvField(call);
        for (size_t p = 0; p < kCategoryParts; ++p) {
            const std::string& value = category.parts[p];
            const bool contests = crosscheck::categoryPlace(static_cast<CategoryPart>(p), value) >= 0;
            row += "," + (contests ? value : std::string());
            if (!value.empty() && !contests) {
                emptied.push_back(taken.file.path + ": " + kTags[p] + " \"" + shortened(value) +
                                  "\" is not one of the contest's words; left empty to fill in");
            }
        }
        listing.csv += row + "\n";
    }
    for (ReadLog& r : read) {
        files.files.push_back(std::move(r.file));
    }
    listing.notes = crosscheck::fileNotes(files);
    listing.notes.insert(listing.notes.end(), emptied.begin(), emptied.end());
    return listing;
}

}  // namespace torv::contestcheck
