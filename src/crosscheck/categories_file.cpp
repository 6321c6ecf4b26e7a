#include "crosscheck/categories_file.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "logfile/text.h"

namespace torv::crosscheck {

using calendar::lowerCase;
using calendar::upperCase;
using logfile::shortened;
using logfile::trimmedOfBlanks;

namespace {

constexpr std::string_view kHeader = "call,operator,band,power,mode";
constexpr std::string_view kClubColumn = ",club";
constexpr const char* kPartNames[] = {"operator", "band", "power", "mode"};
constexpr size_t kLongestCall = 20;

bool isCall(const std::string& call) {
    return !call.empty() && call.size() <= kLongestCall && std::all_of(call.begin(), call.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/';
    });
}

std::string joined(const std::vector<std::string>& values) {
    std::string text;
    for (const std::string& value : values) {
        text += (text.empty() ? "" : ", ") + value;
    }
    return text;
}

// Why a line cannot be taken, "" when it can; its entry filled.
std::string readLine(std::string_view line, char separator, bool club, GivenCategory& entry) {
    if (line.size() > kCategoriesLineLimit) {
        return "longer than " + std::to_string(kCategoriesLineLimit) + " bytes";
    }
    const std::vector<std::string> fields = fieldsOf(line, separator);
    if (fields.size() != (club ? 6u : 5u)) {
        return std::to_string(fields.size()) + (fields.size() == 1 ? " field" : " fields") +
               (club ? "; the header has 6 (call, operator, band, power, mode, club)"
                     : "; the header has 5 (call, operator, band, power, mode)");
    }
    if (club) {
        entry.club = fields[5];
    }
    entry.call = upperCase(fields[0]);
    if (!isCall(entry.call)) {
        return "\"" + shortened(fields[0]) + "\" is not a call";
    }
    for (size_t p = 0; p < kCategoryParts; ++p) {
        const std::string value = categoryText(fields[p + 1]);
        const CategoryPart part = static_cast<CategoryPart>(p);
        if (!value.empty() && categoryPlace(part, value) < 0) {
            return std::string(kPartNames[p]) + " \"" + shortened(value) + "\" is not one of the contest's (" +
                   joined(categoryValues(part)) + ")";
        }
        entry.category.parts[p] = value;
    }
    return std::string();
}

}  // namespace

std::vector<std::string> fieldsOf(std::string_view line, char separator) {
    std::vector<std::string> fields;
    size_t at = 0;
    while (true) {
        std::string field;
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
            ++at;
        }
        if (at < line.size() && line[at] == '"') {
            // Quoted: separators inside, "" for a quote, blanks after the closing quote.
            for (++at; at < line.size(); ++at) {
                if (line[at] == '"' && at + 1 < line.size() && line[at + 1] == '"') {
                    field += '"';
                    ++at;
                } else if (line[at] == '"') {
                    ++at;
                    break;
                } else {
                    field += line[at];
                }
            }
            field = std::string(trimmedOfBlanks(field));
        }
        const size_t end = std::min(line.find(separator, at), line.size());
        field += std::string(trimmedOfBlanks(line.substr(at, end - at)));
        fields.push_back(std::move(field));
        if (end == line.size()) {
            return fields;
        }
        at = end + 1;
    }
}

CsvLines csvLines(std::string_view text, std::string_view header, size_t lineLimit, std::string_view optionalColumn) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    CsvLines csv;
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        csv.lines.push_back(line);
        start = end + 1;
    }
    const std::string_view first = csv.lines.empty() ? std::string_view() : csv.lines.front();
    csv.separator = first.find(';') != std::string_view::npos && first.find(',') == std::string_view::npos ? ';' : ',';
    std::string found;
    for (const std::string& field : fieldsOf(first.substr(0, lineLimit), csv.separator)) {
        found += (found.empty() ? "" : ",") + lowerCase(field);
    }
    const std::string withOptional = std::string(header) + std::string(optionalColumn);
    csv.optionalColumn = !optionalColumn.empty() && found == withOptional;
    if (found != header && !csv.optionalColumn) {
        throw std::invalid_argument("its first line is not the header " + std::string(header) +
                                    (optionalColumn.empty() ? "" : " (or " + withOptional + ")"));
    }
    return csv;
}

CategoriesFile readCategoriesFile(std::string_view text) {
    const CsvLines csv = csvLines(text, kHeader, kCategoriesLineLimit, kClubColumn);
    const std::vector<std::string_view>& lines = csv.lines;
    const char separator = csv.separator;
    const bool club = csv.optionalColumn;
    CategoriesFile file;
    std::map<std::string, size_t> byCall;
    size_t problems = 0;
    auto problem = [&](size_t line, const std::string& what) {
        if (++problems <= kShownProblems) {
            file.problems.push_back("line " + std::to_string(line) + ": " + what);
        }
    };
    for (size_t i = 1; i < lines.size(); ++i) {
        if (trimmedOfBlanks(lines[i]).empty()) {
            continue;
        }
        GivenCategory entry;
        entry.line = static_cast<uint32_t>(i + 1);
        const std::string why = readLine(lines[i], separator, club, entry);
        if (!why.empty()) {
            problem(i + 1, why + "; left aside");
            continue;
        }
        const auto [found, added] = byCall.emplace(entry.call, file.entries.size());
        if (added) {
            file.entries.push_back(std::move(entry));
        } else {
            problem(i + 1, entry.call + " again (line " + std::to_string(file.entries[found->second].line) +
                               "); this line counts");
            file.entries[found->second] = std::move(entry);
        }
    }
    if (problems > kShownProblems) {
        file.problems.push_back(std::to_string(problems - kShownProblems) + " more problems not shown");
    }
    return file;
}

Category withGiven(const Category& fromLog, const Category& given) {
    Category category = fromLog;
    for (size_t p = 0; p < kCategoryParts; ++p) {
        if (!given.parts[p].empty()) {
            category.parts[p] = given.parts[p];
        }
    }
    return category;
}

}  // namespace torv::crosscheck
