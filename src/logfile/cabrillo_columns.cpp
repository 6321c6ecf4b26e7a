#include "logfile/cabrillo_columns.h"

#include <algorithm>

namespace torv::logfile {

namespace {

// The columns that a logger leaves blank when there is nothing to write:
// the reports and exchanges, sent and received.
constexpr std::array<size_t, 4> kColumnsThatMayBeBlank{{5, 6, 8, 9}};

// The columns of the Cabrillo QSO template, counted from the line's start:
//   QSO: freq  mo date       time call          rst exch   call          rst exch
//   QSO:  7025 CW 2015-09-12 1214 PY2ZZ         599 SP     PY1AA         599 RJ
// The frequency is right-aligned in its five places.
constexpr std::array<size_t, kTorvQsoFields> kTemplateStarts{{5, 11, 14, 25, 30, 44, 48, 55, 69, 73}};
constexpr size_t kTemplateFrequencyEnd = 10;

size_t startOf(std::string_view line, std::string_view field) {
    return static_cast<size_t>(field.data() - line.data());
}

bool mayBeBlank(size_t column) {
    return std::find(kColumnsThatMayBeBlank.begin(), kColumnsThatMayBeBlank.end(), column) !=
           kColumnsThatMayBeBlank.end();
}

// The column of each field, in the order of the fields; each field must
// belong to a column after the previous one's, and every column left empty
// must be one that may be blank.
template <typename ColumnOf>
std::optional<std::vector<std::string_view>> byColumns(const std::vector<std::string_view>& fields, ColumnOf columnOf) {
    std::vector<std::string_view> columns(kTorvQsoFields);
    std::array<bool, kTorvQsoFields> taken{};
    size_t next = 0;  // the first column the next field may take
    for (std::string_view field : fields) {
        const std::optional<size_t> column = columnOf(field);
        if (!column || *column < next) {
            return std::nullopt;
        }
        taken[*column] = true;
        columns[*column] = field;
        next = *column + 1;
    }
    for (size_t column = 0; column < kTorvQsoFields; ++column) {
        if (!taken[column] && !mayBeBlank(column)) {
            return std::nullopt;
        }
    }
    return columns;
}

}  // namespace

void QsoColumns::learn(std::string_view line, const std::vector<std::string_view>& fields) {
    if (fields.size() < kTorvQsoFields) {
        return;
    }
    Starts starts;
    for (size_t i = 0; i < kTorvQsoFields; ++i) {
        starts[i] = startOf(line, fields[i]);
    }
    for (Layout& layout : layouts_) {
        if (layout.starts == starts) {
            ++layout.lines;
            return;
        }
    }
    if (layouts_.size() < kMostLayouts) {
        layouts_.push_back({starts, 1});
    }
}

std::optional<std::vector<std::string_view>> QsoColumns::read(std::string_view line,
                                                              const std::vector<std::string_view>& fields) const {
    if (fields.size() >= kTorvQsoFields || fields.size() + kColumnsThatMayBeBlank.size() < kTorvQsoFields) {
        return std::nullopt;
    }
    const auto common = std::max_element(layouts_.begin(), layouts_.end(),
                                         [](const Layout& a, const Layout& b) { return a.lines < b.lines; });
    if (common != layouts_.end() && common->lines >= kLinesToLearn) {
        // A right-aligned frequency may start before the first column.
        return byColumns(fields, [&](std::string_view field) -> std::optional<size_t> {
            const size_t start = startOf(line, field);
            size_t column = 0;
            while (column + 1 < kTorvQsoFields && common->starts[column + 1] <= start) {
                ++column;
            }
            return column;
        });
    }
    return byColumns(fields, [&](std::string_view field) -> std::optional<size_t> {
        const size_t start = startOf(line, field);
        if (start >= kTemplateStarts[0] && start + field.size() == kTemplateFrequencyEnd) {
            return 0;
        }
        const auto column = std::find(kTemplateStarts.begin() + 1, kTemplateStarts.end(), start);
        if (column == kTemplateStarts.end()) {
            return std::nullopt;
        }
        return static_cast<size_t>(column - kTemplateStarts.begin());
    });
}

}  // namespace torv::logfile
