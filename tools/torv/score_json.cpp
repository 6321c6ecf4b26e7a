#include "score_json.h"

#include "crosscheck/report_text.h"

namespace torv::cli {

using torv::reports::BandRow;
using torv::scoring::FindingCounts;
using torv::scoring::ScoredLog;

std::string jsonString(const std::string& text) {
    return "\"" + crosscheck::jsonEscaped(text) + "\"";
}

std::string scoreJson(const ScoredLog& scored, const ScoreJsonInput& input, const std::string& contestant) {
    auto number = [](auto value) { return std::to_string(value); };
    std::string json = "{\n";
    json += "  \"log\": " + jsonString(input.log) + ",\n";
    json += "  \"format\": " + jsonString(input.format) + ",\n";
    if (!input.otherContest.empty()) {
        json += "  \"otherContest\": " + jsonString(input.otherContest) + ",\n";
    }
    json += "  \"contestant\": " + jsonString(contestant) + ",\n";
    json += "  \"contactsRead\": " + number(input.contacts) + ",\n";
    json += "  \"skippedRecords\": " + number(input.skippedRecords) + ",\n";
    json += "  \"warnings\": " + number(input.warnings) + ",\n";
    json += "  \"bands\": [";
    int32_t counted = 0;
    for (size_t i = 0; i < scored.numbers.bands.size(); ++i) {
        const BandRow& row = scored.numbers.bands[i];
        json += std::string(i == 0 ? "\n" : ",\n") + "    {\"band\": " + jsonString(row.band) +
                ", \"qsos\": " + number(row.qsos) + ", \"points\": " + number(row.points) +
                ", \"newMultipliers\": " + number(row.newMultipliers) + "}";
        counted += row.qsos;
    }
    json += scored.numbers.bands.empty() ? "],\n" : "\n  ],\n";
    json += "  \"qsos\": " + number(counted) + ",\n";
    json += "  \"records\": " + number(scored.storedCount) + ",\n";
    json += "  \"points\": " + number(scored.numbers.points) + ",\n";
    json += "  \"multipliers\": " + number(scored.numbers.multipliers) + ",\n";
    json += "  \"areas\": [";
    for (size_t i = 0; i < scored.numbers.workedAreas.size(); ++i) {
        json += (i == 0 ? "" : ", ") + jsonString(scored.numbers.workedAreas[i]);
    }
    json += "],\n";
    json += "  \"score\": " + number(scored.numbers.score) + ",\n";
    const FindingCounts& findings = scored.findings;
    json += "  \"findings\": {\"noContestBand\": " + number(findings.noContestBand) +
            ", \"noTestMode\": " + number(findings.noTestMode) + ", \"noRxNumber\": " + number(findings.noRxNumber) +
            ", \"areaNotAcceptable\": " + number(findings.areaNotAcceptable) + ", \"dupe\": " + number(findings.dupe) +
            "},\n";
    json += "  \"outsidePeriod\": " + number(input.rules.outsidePeriod) + ",\n";
    json += "  \"offContestBands\": " + number(input.rules.offContestBands) + "\n";
    json += "}\n";
    return json;
}

}  // namespace torv::cli
