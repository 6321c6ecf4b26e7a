#include "engine/points.h"

#include <string_view>

namespace {

constexpr std::string_view kSpecialStation = "PY5TORV";

struct PointsRule {
    std::string_view exchange;
    int points;
};

constexpr PointsRule kExchangePoints[] = {{"YL", 6}, {"QRP", 3}, {"MIL", 8}};
constexpr int kSpecialStationPoints = 10;
constexpr int kOrdinaryPoints = 2;

}  // namespace

const char* const kSpecialCallSign = kSpecialStation.data();

int contactPoints(const CInfo& contact) {
    if (contact.call == kSpecialStation) {
        return kSpecialStationPoints;
    }
    for (const PointsRule& rule : kExchangePoints) {
        if (contact.exchangeReceived == rule.exchange) {
            return rule.points;
        }
    }
    return kOrdinaryPoints;
}

bool countsForScore(const CInfo& contact) {
    return !contact.call.empty() && contact.dupe == 0;
}
