// The JSON result: escaping, and the whole object for a small log.
#include "score_json.h"

#include <gtest/gtest.h>

#include "engine/date_time.h"

using torv::calendar::oleDateFromCalendar;
using torv::cli::jsonString;
using torv::cli::scoreJson;
using torv::cli::ScoreJsonInput;
using torv::logfile::LogContact;
using torv::scoring::ScoredLog;
using torv::scoring::scoreLog;
using torv::scoring::ScoringSetup;

namespace {

TEST(JsonString, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(jsonString(""), "\"\"");
    EXPECT_EQ(jsonString("PY2ZZ"), "\"PY2ZZ\"");
    EXPECT_EQ(jsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(jsonString("l1\r\nl2\t"), "\"l1\\r\\nl2\\t\"");
    EXPECT_EQ(jsonString(std::string("\x01\x1f", 2)), "\"\\u0001\\u001f\"");
    EXPECT_EQ(jsonString("S\xC3\xA3o"), "\"S\xC3\xA3o\"") << "UTF-8 passes as it is";
    EXPECT_EQ(jsonString("S\xE3o"), "\"S\\u00e3o\"") << "an 8-bit log's byte is read as Latin-1";
}

LogContact contact(const std::string& call, const std::string& band, const std::string& mode,
                   const std::string& exchange) {
    LogContact c;
    c.ownCall = "PY2ZZ";
    c.call = call;
    c.oleDate = oleDateFromCalendar(2015, 9, 12, 12, 0, 0);
    c.frequency = band == "80m" ? 3525000 : 7025000;
    c.band = band;
    c.mode = mode;
    c.rstSent = c.rstReceived = "599";
    c.exchangeSent = "SP";
    c.exchangeReceived = exchange;
    c.prefix = "PY";
    return c;
}

TEST(ScoreJson, TheWholeObjectForASmallLog) {
    // Three counted contacts on 40 m (YL, QRP, SP: 6 + 3 + 2 points), one on
    // 80 m (RJ), a duplicate, an area outside the table and a refused mode.
    const std::vector<LogContact> contacts = {
        contact("PY1AA", "40m", "CW", "YL"),   contact("PY1AB", "40m", "CW", "QRP"),
        contact("PY1AC", "40m", "CW", "SP"),   contact("PY1AD", "80m", "SSB", "RJ"),
        contact("PY1AC", "40m", "CW", "SP"),   contact("PY1AE", "40m", "CW", "XX"),
        contact("PY1AF", "40m", "RTTY", "SP"),
    };
    ScoringSetup setup;
    setup.contestantCall = "PY2ZZ \"the\" station";
    const ScoredLog scored = scoreLog(contacts, setup);
    const std::string json = scoreJson(scored, {"my log.adi", "ADIF", 7, 2, 1, {3, 4}, ""}, setup.contestantCall);
    EXPECT_EQ(json,
              "{\n"
              "  \"log\": \"my log.adi\",\n"
              "  \"format\": \"ADIF\",\n"
              "  \"contestant\": \"PY2ZZ \\\"the\\\" station\",\n"
              "  \"contactsRead\": 7,\n"
              "  \"skippedRecords\": 2,\n"
              "  \"warnings\": 1,\n"
              "  \"bands\": [\n"
              "    {\"band\": \"80m\", \"qsos\": 1, \"points\": 2, \"newMultipliers\": 1},\n"
              "    {\"band\": \"40m\", \"qsos\": 4, \"points\": 13, \"newMultipliers\": 1}\n"
              "  ],\n"
              "  \"qsos\": 5,\n"
              "  \"records\": 6,\n"
              "  \"points\": 15,\n"
              "  \"multipliers\": 2,\n"
              "  \"areas\": [\"RJ\", \"SP\"],\n"
              "  \"score\": 30,\n"
              "  \"findings\": {\"noContestBand\": 0, \"noTestMode\": 1, \"noRxNumber\": 0, \"areaNotAcceptable\": 1, "
              "\"dupe\": 1},\n"
              "  \"outsidePeriod\": 3,\n"
              "  \"offContestBands\": 4\n"
              "}\n");
}

TEST(ScoreJson, AnEmptyLogOfAnotherContest) {
    const ScoredLog scored = scoreLog({}, ScoringSetup());
    const std::string json = scoreJson(scored, {"empty.adi", "ADIF", 0, 0, 0, {}, "CQ-WPX-CW"}, "");
    EXPECT_NE(json.find("  \"format\": \"ADIF\",\n  \"otherContest\": \"CQ-WPX-CW\",\n  \"contestant\""),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("  \"bands\": [],\n"), std::string::npos) << json;
    EXPECT_NE(json.find("  \"areas\": [],\n"), std::string::npos) << json;
    EXPECT_NE(json.find("  \"score\": 0,\n"), std::string::npos) << json;
}

}  // namespace
