// The engine against a reference model that follows the contest rules
// literally: every search a scan of the whole log from index 0, as the rules
// are phrased. Random sequences of the host's calls must give the same
// answers, the same error-file lines, the same stored records and the same
// summary, whatever the indexes behind the real store do.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/area.h"
#include "engine/contest_engine.h"
#include "engine/error_file.h"
#include "reports/score_summary.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace messages = torv::engine::messages;
using torv::abi::kDateTimeValid;
using torv::engine::AreaAssignment;
using torv::engine::assignArea;
using torv::engine::ContactFields;
using torv::engine::contactPoints;
using torv::engine::ContactStore;
using torv::engine::ContestContext;
using torv::engine::ContestEngine;
using torv::engine::errorLine;
using torv::engine::formatDateTime;
using torv::engine::isAreaCode;
using torv::engine::normalisedExchange;
using torv::reports::computeScoreSummary;
using torv::reports::ScoreSummary;
using torv::reports::sortBandsDescending;

namespace {

// The rules with linear scans and no index.
class ReferenceModel {
public:
    std::vector<std::string> lines;
    std::vector<CInfo> log;
    std::vector<std::string> bands;

    int add(const ContactFields& c) {
        const std::string time = formatDateTime(c.qsoTime, "%Y-%m-%d %H%M");
        if (c.band == "160m" || c.band == "30m" || c.band == "17m" || c.band == "12m") {
            lines.push_back(errorLine(c, time, messages::kNoContestBand));
            return 0;
        }
        if (c.mode != "CW" && c.mode != "SSB") {
            lines.push_back(errorLine(c, time, messages::kNoTestMode));
            return 0;
        }
        if (c.exchangeReceived.empty() || c.exchangeSent.empty()) {
            lines.push_back(errorLine(c, time, messages::kNoRxNumber));
            return 0;
        }
        bool seen = false;
        for (const std::string& band : bands) {
            seen = seen || band == c.band;
        }
        if (!seen) {
            bands.push_back(c.band);
        }
        CInfo record;
        record.call = c.call;
        record.band = c.band;
        record.mode = c.mode;
        record.exchangeReceived = c.exchangeReceived;
        record.exchangeSent = c.exchangeSent;
        record.prefix = c.prefix;
        record.frequencyKHz = c.frequency / 1000;
        record.time = c.qsoTime;
        const AreaAssignment area = assignArea(c.prefix, c.exchangeReceived);
        record.area = area.area;
        if (area.errorLineDue) {
            lines.push_back(errorLine(c, time, messages::kAreaNotAcceptable, &area.normalised));
        }
        for (const CInfo& earlier : log) {
            if (earlier.call == record.call && earlier.band == record.band && earlier.mode == record.mode) {
                record.dupe = 1;
                lines.push_back(errorLine(c, time, messages::kDupe));
            }
        }
        log.push_back(record);
        return 1;
    }

    int remove(const ContactFields& c) {
        if (c.exchangeReceived.empty() || c.exchangeSent.empty()) {
            return 0;
        }
        if ((c.prefix == "UA" || c.prefix == "UA2" || c.prefix == "UA9") &&
            !isAreaCode(normalisedExchange(c.exchangeReceived))) {
            return 0;
        }
        for (size_t i = 0; i < log.size(); ++i) {
            if (log[i].call == c.call && log[i].mode == c.mode && log[i].band == c.band) {
                log.erase(log.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
        }
        return 1;
    }

    int check(const std::string& call, const std::string& mode, const std::string& prefix, const std::string& areaText,
              const std::string& band) const {
        for (const CInfo& r : log) {
            if (r.call == call && r.band == band && r.mode == mode) {
                return 0;
            }
        }
        if (prefix != "PY" && prefix != "PY0S" && prefix != "PY0F" && prefix != "PY0T") {
            return 2;
        }
        for (const CInfo& r : log) {
            if (r.band == band && r.area == areaText) {
                return 1;
            }
        }
        return 2;
    }
};

// The summary as the rules say it: every band against the whole log.
std::string referenceSummary(const std::vector<CInfo>& log, std::vector<std::string> bands) {
    sortBandsDescending(bands);
    std::string text = "      TORV -\r\n\tContestant:  \r\n\tQSOs\tPoints\tMULT\r\n";
    int points = 0;
    int multipliers = 0;
    std::vector<std::string> seen;
    for (const std::string& band : bands) {
        int qsos = 0;
        int bandPoints = 0;
        for (const CInfo& c : log) {
            if (c.band != band || c.call.empty() || c.dupe != 0) {
                continue;
            }
            ++qsos;
            bandPoints += contactPoints(c);
            if (!c.area.empty() && std::find(seen.begin(), seen.end(), c.area) == seen.end()) {
                seen.push_back(c.area);
                ++multipliers;
            }
        }
        text += band + "\t " + std::to_string(qsos) + "\t " + std::to_string(bandPoints) + "\r\n";
        points += bandPoints;
    }
    text += "Total\t " + std::to_string(log.size()) + "\t " + std::to_string(points) + "\t " +
            std::to_string(multipliers) + "\r\n";
    return text + "\r\nScore: " + std::to_string(points) + "*" + std::to_string(multipliers) + " = " +
           std::to_string(points * multipliers);
}

template <typename T>
const T& pick(std::mt19937& random, const std::vector<T>& choices) {
    return choices[std::uniform_int_distribution<size_t>(0, choices.size() - 1)(random)];
}

ContactFields randomContact(std::mt19937& random) {
    static const std::vector<std::string> calls = {"PY1AA", "PY2BB", "PY0FX", "DL1AB", "", "py1aa", "PY5TORV"};
    static const std::vector<std::string> bands = {"80m", "40m", "20m", "160m", "30m", "6m", "10m", ""};
    static const std::vector<std::string> modes = {"CW", "SSB", "cw", "RTTY", "CW", "SSB"};
    static const std::vector<std::string> exchanges = {"SP", "RJ", " mg ", "YL", "QRP", "MIL", "mil", "XX", "", "UF"};
    static const std::vector<std::string> prefixes = {"PY", "PY0F", "PY0S", "PY0T", "PY0/s", "DL", "UA", "UA9"};
    ContactFields c;
    c.ownCall = "PY2ZZ";
    c.call = pick(random, calls);
    c.band = pick(random, bands);
    c.mode = pick(random, modes);
    c.exchangeReceived = pick(random, exchanges);
    c.exchangeSent = std::uniform_int_distribution<int>(0, 9)(random) == 0 ? "" : "SP";
    c.prefix = pick(random, prefixes);
    c.frequency = std::uniform_int_distribution<uint32_t>(1800000, 29700000)(random);
    c.qsoTime = {42259.0 + std::uniform_real_distribution<double>(0, 2)(random), kDateTimeValid};
    return c;
}

TEST(ReferenceModel, RandomCallSequencesAgreeWithTheLiteralRules) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 random(seed);
        TempFolder folder;
        ContestEngine engine(folder.file("err.txt"));
        ReferenceModel model;
        engine.resetStore(0, "PY2ZZ", {42259.0, kDateTimeValid}, {42260.0, kDateTimeValid});
        model.lines.push_back("TORV UBN file ");
        for (int step = 0; step < 400; ++step) {
            const ContactFields c = randomContact(random);
            const int action = std::uniform_int_distribution<int>(0, 9)(random);
            if (action < 6) {
                ASSERT_EQ(engine.addData(c), model.add(c)) << "seed " << seed << " step " << step;
            } else if (action < 8) {
                ASSERT_EQ(engine.removeData(c), model.remove(c)) << "seed " << seed << " step " << step;
            } else {
                ASSERT_EQ(engine.checkCall(c.call, c.mode, c.prefix, c.exchangeReceived, c.band),
                          model.check(c.call, c.mode, c.prefix, c.exchangeReceived, c.band))
                    << "seed " << seed << " step " << step;
            }
        }
        std::string expected;
        for (const std::string& line : model.lines) {
            expected += line + "\r\n";
        }
        ASSERT_EQ(readFile(folder.file("err.txt")), expected) << "seed " << seed;
        engine.withStore([&](ContactStore& store) {
            ASSERT_EQ(store.count(), model.log.size()) << "seed " << seed;
            const std::vector<CInfo> list = store.contactList();
            for (size_t i = 0; i < model.log.size(); ++i) {
                ASSERT_EQ(list[i].call, model.log[i].call);
                ASSERT_EQ(list[i].dupe, model.log[i].dupe);
                ASSERT_EQ(list[i].area, model.log[i].area);
                ASSERT_EQ(store.at(i).call, model.log[i].call);
            }
            ASSERT_EQ(store.bandList(), model.bands);
            const ScoreSummary summary = computeScoreSummary(store, store.bandList(), ContestContext{});
            ASSERT_EQ(summary.text, referenceSummary(model.log, model.bands)) << "seed " << seed;
        });
    }
}

}  // namespace
