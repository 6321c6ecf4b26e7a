#include "log_scoring.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "settings/ini_settings.h"
#include "engine/error_file.h"
#include "logfile/adif_contact.h"
#include "plugin/module.h"

namespace {

// The operator's settings file, read as the plug-in reads it; what the pass
// writes (the claimed score, the confirmed header) stays in memory, so the
// file is never changed.
class ReadOnlySettings : public Settings {
public:
    explicit ReadOnlySettings(const std::string& path) {
        if (!path.empty()) {
            file_ = std::make_unique<IniSettings>(path);
        }
    }
    std::string readText(const std::string& key, const std::string& defaultValue) override {
        auto written = written_.find(key);
        if (written != written_.end()) {
            return written->second.substr(0, kSettingsValueMax);
        }
        return file_ ? file_->readText(key, defaultValue) : defaultValue;
    }
    void writeText(const std::string& key, const std::string& value) override { written_[key] = value; }

private:
    std::unique_ptr<IniSettings> file_;
    std::map<std::string, std::string> written_;
};

// The operator confirms the header, with the given CALLSIGN typed in.
class ConfirmingWithCallsign : public HeaderDialog {
public:
    explicit ConfirmingWithCallsign(std::string callsign) : callsign_(std::move(callsign)) {}
    bool run(HeaderFields& fields) override {
        if (!callsign_.empty()) {
            fields.callsign = callsign_;
        }
        return true;
    }

private:
    std::string callsign_;
};

bool endsWith(std::string_view line, std::string_view ending) {
    return line.size() >= ending.size() && line.substr(line.size() - ending.size()) == ending;
}

constexpr size_t kProgressEvery = 4096;

}  // namespace

ContactFields contactFieldsOf(const LogContact& contact) {
    ContactFields fields;
    fields.ownCall = contact.ownCall;
    fields.call = contact.call;
    fields.qsoTime = {contact.oleDate, kDateTimeValid};
    // A contact logged with its band alone is on the band's lower edge, so
    // that the Cabrillo file written from it reads back on that band.
    fields.frequency = contact.frequency != 0 ? contact.frequency : lowerEdgeOfBand(contact.band);
    fields.mode = contact.mode;
    fields.rstSent = contact.rstSent;
    fields.rstReceived = contact.rstReceived;
    fields.exchangeSent = contact.exchangeSent;
    fields.exchangeReceived = contact.exchangeReceived;
    fields.prefix = contact.prefix;
    fields.band = contact.band;
    return fields;
}

ScoringSetup scoringSetupFor(const LogFile& log, const std::string& call, const std::optional<DateTimeArg>& start,
                             const std::optional<DateTimeArg>& end) {
    ScoringSetup setup;
    setup.contestantCall = !call.empty() ? call : log.stationCall;
    if (log.format == LogFormat::kCabrillo) {
        setup.callsign = log.stationCall;
    }
    if (!log.contacts.empty()) {
        const auto [first, last] =
            std::minmax_element(log.contacts.begin(), log.contacts.end(),
                                [](const LogContact& a, const LogContact& b) { return a.oleDate < b.oleDate; });
        setup.start = {first->oleDate, kDateTimeValid};
        setup.end = {last->oleDate, kDateTimeValid};
    }
    if (start) {
        setup.start = *start;
    }
    if (end) {
        setup.end = *end;
    }
    return setup;
}

ScoredLog scoreLog(const std::vector<LogContact>& contacts, const ScoringSetup& setup) {
    ScoredLog scored;
    PlatformPorts ports = headlessPorts(std::make_unique<ReadOnlySettings>(setup.settingsPath));
    ports.headerDialog = std::make_unique<ConfirmingWithCallsign>(setup.callsign);
    ports.hostVersion = [](const std::string&) { return std::optional<std::string>(); };
    auto findings = std::make_unique<MemoryFindings>();
    const MemoryFindings& kept = *findings;
    ports.findings = std::move(findings);
    ports.writeCabrillo = [&scored](const CCabrilloLog& report, const std::optional<std::string>& hostVersion) {
        scored.cabrillo = report.CabrilloText(hostVersion);
        scored.cabrilloFileName = report.fileBaseName + ".cbr";
        return CabrilloOutcome{true, "File produced: " + scored.cabrilloFileName};
    };
    CTestApp app(std::move(ports));

    app.resetStats(setup.exportCabrillo ? 1 : 0, setup.contestantCall, setup.start, setup.end);
    scored.contacts.reserve(contacts.size());
    for (size_t i = 0; i < contacts.size(); ++i) {
        ContactFields fields = contactFieldsOf(contacts[i]);
        if (fields.ownCall.empty()) {
            fields.ownCall = setup.contestantCall;
        }
        ContactOutcome outcome;
        if (app.addData(fields) == 1) {
            const bool dupe = app.engine().withStore([&outcome](const ContactStore& store) {
                const CInfo& stored = store.at(store.count() - 1);
                outcome.area = stored.area;
                return stored.dupe != 0;
            });
            outcome.result = dupe ? ContactResult::kDupe : ContactResult::kStored;
        }
        outcome.findings = std::string(kept.lastLines());
        scored.contacts.push_back(std::move(outcome));
        if (setup.progress && (i + 1) % kProgressEvery == 0) {
            setup.progress(i + 1, contacts.size());
        }
    }
    int status = 0;
    scored.summary = app.result(&status);
    // The same computation on a copy of the store gives the summary's rows.
    app.engine().withStore([&scored](const ContactStore& store) {
        std::vector<std::string> bands = store.bandList();
        scored.numbers = computeScoreSummary(store, bands, store.context());
        scored.storedCount = store.count();
    });
    scored.errorFile = kept.text();
    return scored;
}

FindingCounts countFindings(const std::string& errorFile) {
    FindingCounts counts;
    const std::string_view text(errorFile);
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find("\r\n", start);
        const std::string_view line = text.substr(start, end == std::string_view::npos ? text.npos : end - start);
        start = end == std::string_view::npos ? text.size() : end + 2;
        counts.noContestBand += endsWith(line, messages::kNoContestBand);
        counts.noTestMode += endsWith(line, messages::kNoTestMode);
        counts.noRxNumber += endsWith(line, messages::kNoRxNumber);
        counts.areaNotAcceptable += endsWith(line, messages::kAreaNotAcceptable);
        counts.dupe += endsWith(line, messages::kDupe);
    }
    return counts;
}
