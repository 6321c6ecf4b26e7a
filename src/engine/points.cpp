#include "engine/points.h"

#include "engine/contest.h"

namespace torv::engine {

const char* const kSpecialCallSign = contest::kSpecialStation.data();

int contactPoints(const CInfo& contact) {
    if (contact.call == contest::kSpecialStation) {
        return contest::kSpecialStationPoints;
    }
    for (const contest::CategoryPoints& rule : contest::kCategoryPoints) {
        if (contact.exchangeReceived == rule.word) {
            return rule.points;
        }
    }
    return contest::kOrdinaryPoints;
}

bool countsForScore(const CInfo& contact) {
    return !contact.call.empty() && contact.dupe == 0;
}

}  // namespace torv::engine
