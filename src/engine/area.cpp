#include "engine/area.h"

#include "calendar/ascii_case.h"

#include <algorithm>

namespace torv::engine {

using calendar::upperCase;

// Constant-initialised: other files' static data may read it.
constexpr std::array<std::string_view, kAreas.size()> allAreas() {
    std::array<std::string_view, kAreas.size()> all{};
    size_t next = 0;
    for (std::string_view code : contest::kAreaCodes) {
        all[next++] = code;
    }
    for (std::string_view island : contest::kIslandAreas) {
        all[next++] = island;
    }
    return all;
}
const std::array<std::string_view, kAreas.size()> kAreas = allAreas();

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

bool isAreaCode(std::string_view text) {
    return std::find(areaCodes.begin(), areaCodes.end(), text) != areaCodes.end();
}

bool isCategoryWord(std::string_view exchange) {
    for (const contest::CategoryPoints& category : contest::kCategoryPoints) {
        if (exchange == category.word) {
            return true;
        }
    }
    return false;
}

std::string normalisedExchange(std::string_view exchange) {
    size_t begin = 0;
    size_t end = exchange.size();
    while (begin < end && isBlank(exchange[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(exchange[end - 1])) {
        --end;
    }
    return upperCase(exchange.substr(begin, end - begin));
}

int isValidExchange(std::string_view exchange) {
    if (exchange == "599") {
        return 0;
    }
    if (isCategoryWord(exchange)) {
        return 1;
    }
    return exchange.size() == 2 && isAreaCode(exchange) ? 1 : 0;
}

AreaAssignment assignArea(std::string_view prefix, std::string_view exchangeReceived) {
    for (std::string_view island : contest::kIslandAreas) {
        if (prefix == island) {
            return {std::string(island), false, {}};
        }
    }
    for (const contest::IslandSpelling& island : contest::kOtherIslandSpellings) {
        if (prefix == island.prefix) {
            return {std::string(island.area), false, {}};
        }
    }
    if (isCategoryWord(exchangeReceived)) {
        return {};
    }
    std::string normalised = normalisedExchange(exchangeReceived);
    if (isAreaCode(normalised)) {
        return {normalised, false, normalised};
    }
    return {{}, true, std::move(normalised)};
}

}  // namespace torv::engine
