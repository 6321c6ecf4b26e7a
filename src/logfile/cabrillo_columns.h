// Reading a fixed-width Cabrillo QSO line whose sent or received report or
// exchange is blank, by the columns the log's other QSO lines stand in.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace torv::logfile {

// The ten fields of TORV's layout: frequency, mode, date, time, call, report
// and exchange sent, call, report and exchange received.
constexpr size_t kTorvQsoFields = 10;

class QsoColumns {
public:
    // A log's columns are learnt from at least this many full QSO lines.
    static constexpr size_t kLinesToLearn = 5;

    // Notes where the first ten fields of a full QSO line start (fields are
    // views into line).
    void learn(std::string_view line, const std::vector<std::string_view>& fields);

    // The ten fields of a line whose blank reports or exchanges leave it
    // short, each blank one "" in its column. The columns are the log's own
    // when its full lines show them (the most common layout, seen on
    // kLinesToLearn lines or more): each field belongs to the last column
    // starting at or before it. Without them, a line whose fields start
    // exactly at the columns of the Cabrillo QSO template (the layout TORV's
    // own writer uses) is read by those. nullopt when no field is missing,
    // when two fields fall into one column or when a missing one is no
    // report or exchange.
    std::optional<std::vector<std::string_view>> read(std::string_view line,
                                                      const std::vector<std::string_view>& fields) const;

private:
    using Starts = std::array<size_t, kTorvQsoFields>;
    struct Layout {
        Starts starts;
        size_t lines;
    };
    // Distinct layouts are few in a real log; a hostile one cannot make
    // this list long.
    static constexpr size_t kMostLayouts = 16;
    std::vector<Layout> layouts_;
};

}  // namespace torv::logfile
