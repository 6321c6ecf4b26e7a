#include "engine/area.h"

#include "calendar/ascii_case.h"

#include <algorithm>

const std::array<std::string_view, 28> areaCodes = {
    "AC", "AL", "AP", "AM", "BA", "CE", "DF", "ES", "GO", "MA", "MT", "MS", "MG", "PA",
    "PB", "PR", "PE", "PI", "RJ", "RN", "RS", "RO", "RR", "SC", "SP", "SE", "TO", "UF",
};

// Constant-initialised: other files' static data may read it.
const std::array<std::string_view, 31> kAreas = [] {
    std::array<std::string_view, 31> all{};
    for (size_t i = 0; i < areaCodes.size(); ++i) {
        all[i] = areaCodes[i];
    }
    all[28] = "PY0F";
    all[29] = "PY0S";
    all[30] = "PY0T";
    return all;
}();

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

struct IslandPrefix {
    std::string_view prefix;
    std::string_view area;
};

// "PY0/s" is how some hosts resolve St. Peter and St. Paul Rocks.
constexpr IslandPrefix kIslandPrefixes[] = {
    {"PY0T", "PY0T"},
    {"PY0F", "PY0F"},
    {"PY0S", "PY0S"},
    {"PY0/s", "PY0S"},
};

}  // namespace

bool isAreaCode(std::string_view text) {
    return std::find(areaCodes.begin(), areaCodes.end(), text) != areaCodes.end();
}

bool isCategoryWord(std::string_view exchange) {
    return exchange == "YL" || exchange == "MIL" || exchange == "QRP";
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
    for (const IslandPrefix& island : kIslandPrefixes) {
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
