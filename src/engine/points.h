// What a stored contact is worth: whether it counts in the score, and its
// points. The store keeps both per record, so the summary never reads texts.
#pragma once

#include "engine/contact.h"

namespace torv::engine {

// Contacts with this station earn the most points.
extern const char* const kSpecialCallSign;

// Points of a counted contact: 10 with the special station, 6 for "YL",
// 3 for "QRP", 8 for "MIL", else 2 (exact comparisons, first match wins).
int contactPoints(const CInfo& contact);

// A contact counts on its band when its call is not empty and it is no
// duplicate.
bool countsForScore(const CInfo& contact);

}  // namespace torv::engine
