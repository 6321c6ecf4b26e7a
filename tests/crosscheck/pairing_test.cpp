// The nearest-in-time pairing against the rule taken literally (every
// candidate pair sorted, then taken in order), and the index of calls one
// edit apart against a comparison of every pair.
#include "crosscheck/pairing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <tuple>

#include "crosscheck/crosscheck.h"
#include "crosscheck/one_edit.h"

namespace torv::crosscheck {
namespace {

using Sides = std::vector<std::vector<PairingSlot>>;
using Blocks = std::vector<std::pair<uint32_t, uint32_t>>;
using Pairs = std::set<std::pair<uint32_t, uint32_t>>;

Pairs literally(const Sides& sides, const Blocks& blocks, int64_t window) {
    std::vector<std::tuple<int64_t, uint32_t, uint32_t, uint32_t, uint32_t>> candidates;
    for (const auto& [first, second] : blocks) {
        for (const PairingSlot& a : sides[first]) {
            for (const PairingSlot& b : sides[second]) {
                const int64_t d = std::abs(a.minute - b.minute);
                if (d <= window) {
                    candidates.emplace_back(d, a.line, b.line, a.flat, b.flat);
                }
            }
        }
    }
    std::sort(candidates.begin(), candidates.end());
    std::set<uint32_t> taken;
    Pairs pairs;
    for (const auto& [d, firstLine, secondLine, a, b] : candidates) {
        if (!taken.count(a) && !taken.count(b)) {
            taken.insert(a);
            taken.insert(b);
            pairs.emplace(a, b);
        }
    }
    return pairs;
}

Pairs paired(const Sides& sides, const Blocks& blocks, int64_t window) {
    NearestPairing pairing;
    for (const std::vector<PairingSlot>& side : sides) {
        pairing.addSide(side.data(), side.data() + side.size());
    }
    for (const auto& [first, second] : blocks) {
        pairing.addBlock(first, second);
    }
    Pairs pairs;
    pairing.run(window, [&pairs](uint32_t a, uint32_t b) { EXPECT_TRUE(pairs.emplace(a, b).second); });
    return pairs;
}

// Crowded minutes and shared lines make ties everywhere; sides in several
// blocks, as first and as second side, as the busted calls make them.
TEST(NearestPairing, TakesThePairsTheRuleTakes) {
    std::mt19937 random(2026);
    auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 3000; ++round) {
        Sides sides(static_cast<size_t>(2 + below(5)));
        uint32_t flat = 0;
        for (std::vector<PairingSlot>& side : sides) {
            const int count = below(10);
            for (int i = 0; i < count; ++i) {
                side.push_back({1000 + below(round % 3 == 0 ? 2 : 8), static_cast<uint32_t>(1 + below(6)), flat++});
            }
            std::sort(side.begin(), side.end(), [](const PairingSlot& a, const PairingSlot& b) {
                return std::tie(a.minute, a.line, a.flat) < std::tie(b.minute, b.line, b.flat);
            });
        }
        Blocks blocks;
        for (int i = below(6); i >= 0; --i) {
            const uint32_t a = static_cast<uint32_t>(below(static_cast<int>(sides.size())));
            const uint32_t b = static_cast<uint32_t>(below(static_cast<int>(sides.size())));
            if (a != b && std::find(blocks.begin(), blocks.end(), std::make_pair(a, b)) == blocks.end()) {
                blocks.emplace_back(a, b);
            }
        }
        const int64_t window = below(4);
        ASSERT_EQ(paired(sides, blocks, window), literally(sides, blocks, window)) << "round " << round;
    }
}

// Twins at one minute on both sides would make n² candidates; they pair in
// line order.
TEST(NearestPairing, ThousandsOfTwinsAtOneMinute) {
    constexpr uint32_t kTwins = 30000;
    Sides sides(2);
    for (uint32_t i = 0; i < kTwins; ++i) {
        sides[0].push_back({500, i + 1, i});
        sides[1].push_back({502, i + 1, kTwins + i});
    }
    const Pairs pairs = paired(sides, {{0, 1}}, 5);
    ASSERT_EQ(pairs.size(), kTwins);
    EXPECT_EQ(*pairs.begin(), std::make_pair(0u, kTwins));
    EXPECT_EQ(*pairs.rbegin(), std::make_pair(kTwins - 1, 2 * kTwins - 1));
}

TEST(NearCallIndex, FindsEveryCallOneEditAway) {
    const std::vector<std::string> calls = {"PY2AAA", "PY2AAB", "PY2AA",  "PY2AAAA", "PY2AAA/P", "PY2AAA/QRP",
                                            "PY2AB",  "PY2BAA", "PU2AAA", "A",       "B",        "AB",
                                            "",       "/",      "A/",     "A/B",     "A/B/C",    "A/BC",
                                            "ZZ9ZZZ", "P2AAA",  "Y2AAA",  "PY2AAA/", "PY2AAA//P"};
    NearCallIndex index;
    for (uint32_t i = 0; i < calls.size(); ++i) {
        index.add(7, calls[i], i);
        index.add(8, calls[i] + "X", i);  // another scope never answers
    }
    index.seal();
    for (const std::string& call : calls) {
        std::vector<uint32_t> found;
        index.find(7, call, found);
        std::set<std::string> matched;
        for (uint32_t v : found) {
            if (oneEditApart(calls[v], call)) {
                matched.insert(calls[v]);
            }
        }
        std::set<std::string> expected;
        for (const std::string& other : calls) {
            if (oneEditApart(other, call)) {
                expected.insert(other);
            }
        }
        EXPECT_EQ(matched, expected) << call;
    }
}

// The same twins through the whole cross-check: between two logs, and as
// busted calls between a log and a station one edit from the call it logged.
TEST(CrossCheckScale, TwinsAtOneMinuteBetweenLogsPairInLineOrder) {
    constexpr uint32_t kTwins = 40000;
    std::vector<SubmittedLog> logs = {{"PY2AAA", {}, {}}, {"PY2BBB", {}, {}}, {"PY2CCD", {}, {}}};
    for (uint32_t i = 0; i < kTwins; ++i) {
        LogQso q;
        q.line = 2 * i + 1;
        q.minute = 29500000;
        q.band = "40m";
        q.mode = "CW";
        q.call = "PY2BBB";
        logs[0].qsos.push_back(q);
        q.line = 2 * i + 2;
        q.call = "PY2CCC";  // PY2CCD logged as PY2CCC: busted
        logs[0].qsos.push_back(q);
        q.line = i + 1;
        q.call = "PY2AAA";
        q.minute += 1;
        logs[1].qsos.push_back(q);
        logs[2].qsos.push_back(q);
    }
    // Many stations logged PY2AAA without a pair; the one a single edit
    // from the call PY2AAA logged is found among them.
    LogQso busted = logs[1].qsos[0];
    busted.call = "PY3QQQ";
    busted.line = 2 * kTwins + 1;
    logs[0].qsos.push_back(busted);
    for (int i = 0; i < 40; ++i) {
        logs.push_back({i == 17 ? "PY3QQ" : "PY3K" + std::to_string(10 + i), {logs[1].qsos[0]}, {}});
    }
    const std::vector<LogVerdict> verdicts = crossCheck(logs, CheckOptions());
    EXPECT_EQ(verdicts[0].qsos.back().status, QsoStatus::kBustedCall);
    EXPECT_EQ(verdicts[0].qsos.back().otherLog, 3 + 17);
    for (uint32_t i = 0; i < kTwins; ++i) {
        ASSERT_EQ(verdicts[1].qsos[i].status, QsoStatus::kConfirmed) << i;
        ASSERT_EQ(verdicts[1].qsos[i].otherQso, 2 * i) << i;
        ASSERT_EQ(verdicts[0].qsos[2 * i + 1].status, QsoStatus::kBustedCall) << i;
        ASSERT_EQ(verdicts[2].qsos[i].otherQso, 2 * i + 1) << i;
    }
}

}  // namespace
}  // namespace torv::crosscheck
