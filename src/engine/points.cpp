#include "engine/points.h"

const char* const kSpecialCallSign = "PY5TORV";

namespace {

struct PointsRule {
    const char* exchange;
    int points;
};

constexpr PointsRule kExchangePoints[] = {{"YL", 6}, {"QRP", 3}, {"MIL", 8}};
constexpr int kSpecialStationPoints = 10;
constexpr int kOrdinaryPoints = 2;

}  // namespace

int contactPoints(const CInfo& contact) {
    if (contact.call == kSpecialCallSign) {
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
