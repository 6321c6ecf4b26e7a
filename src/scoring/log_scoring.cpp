#include "scoring/log_scoring.h"

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "engine/error_file.h"
#include "logfile/adif_contact.h"
#include "scoring/scoring_pass.h"
#include "settings/ini_settings.h"

namespace torv::scoring {

using abi::DateTimeArg;
using abi::kDateTimeValid;
using engine::ContactFields;
using engine::ContactFindings;
using engine::ContactOutcome;
using engine::ContactStore;
using engine::Finding;
using engine::FindingCode;
using engine::FindingSink;
using logfile::LogContact;
using logfile::LogFile;
using logfile::LogFormat;
using logfile::lowerEdgeOfBand;
using ports::HeaderDialog;
using ports::HeaderFields;
using ports::kSettingsValueMax;
using ports::Settings;
using reports::CabrilloOutcome;
using reports::CCabrilloLog;

namespace {

// The operator's settings file, read as the plug-in reads it; what the pass
// writes (the claimed score, the confirmed header) stays in memory, so the
// file is never changed.
class ReadOnlySettings : public Settings {
public:
    explicit ReadOnlySettings(std::optional<std::string> fileBytes) : file_(std::move(fileBytes)) {}
    std::string readText(const std::string& key, const std::string& defaultValue) override {
        auto written = written_.find(key);
        if (written != written_.end()) {
            return written->second.substr(0, kSettingsValueMax);
        }
        return settings::iniSettingsValue(file_, key, defaultValue);
    }
    void writeText(const std::string& key, const std::string& value) override { written_[key] = value; }

private:
    std::optional<std::string> file_;
    std::map<std::string, std::string> written_;
};

// The findings as they come: counted by their codes, and, when there is a
// writer, rendered as the error file's lines and handed to it within its
// limit.
class StreamedFindings : public FindingSink {
public:
    StreamedFindings(std::function<void(std::string_view)> write, uint64_t limit)
        : write_(std::move(write)), limit_(limit) {}

    void restart(std::string_view firstLine) override {
        counts_ = FindingCounts();
        written_ = 0;
        reserve(firstLine.size() + 2, 1);
        emit(std::string(firstLine) + "\r\n");
    }

    void append(const ContactFields& contact, const ContactOutcome& outcome) override {
        if (write_ && !outcome.findings.empty()) {
            const ContactFindings lines = engine::findingLines(contact, outcome);
            reserve(lines.lines.size(), 1);
            reserve(lines.repeated.size(), lines.repeats);
            emit(lines.lines);
            emitRepeated(lines.repeated, lines.repeats);
        }
        for (const Finding& finding : outcome.findings) {
            *counter(finding.code) += finding.code == FindingCode::kDupe ? finding.earlierTwins : 1;
        }
    }

    // A line about no contact goes with the findings, uncounted.
    void note(std::string_view line) override {
        reserve(line.size() + 2, 1);
        emit(std::string(line) + "\r\n");
    }

    const FindingCounts& counts() const { return counts_; }

private:
    // Counts `times` pieces of `bytes` bytes against the limit before any is written.
    void reserve(uint64_t bytes, uint64_t times) {
        if (!write_ || bytes == 0 || times == 0) {
            return;
        }
        const uint64_t room = limit_ - std::min(limit_, written_);
        if (times > room / bytes) {
            throw FindingsTooLarge(limit_);
        }
        written_ += bytes * times;
    }

    void emit(std::string_view bytes) {
        if (write_ && !bytes.empty()) {
            write_(bytes);
        }
    }

    // A line repeated thousands of times goes out in blocks of many copies.
    void emitRepeated(const std::string& line, size_t times) {
        if (!write_ || line.empty() || times == 0) {
            return;
        }
        constexpr size_t kBlockBytes = 64 * 1024;
        const size_t perBlock = std::min(times, std::max<size_t>(1, kBlockBytes / line.size()));
        std::string block;
        block.reserve(perBlock * line.size());
        for (size_t i = 0; i < perBlock; ++i) {
            block += line;
        }
        for (size_t left = times; left != 0;) {
            const size_t now = std::min(left, perBlock);
            emit(std::string_view(block).substr(0, now * line.size()));
            left -= now;
        }
    }

    size_t* counter(FindingCode code) {
        switch (code) {
            case FindingCode::kNoContestBand:
                return &counts_.noContestBand;
            case FindingCode::kNoTestMode:
                return &counts_.noTestMode;
            case FindingCode::kNoRxNumber:
                return &counts_.noRxNumber;
            case FindingCode::kAreaNotAcceptable:
                return &counts_.areaNotAcceptable;
            case FindingCode::kDupe:
                break;
        }
        return &counts_.dupe;
    }

    std::function<void(std::string_view)> write_;
    uint64_t limit_;
    uint64_t written_ = 0;
    FindingCounts counts_;
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
    ScoringPorts ports;
    ports.settings = std::make_shared<ReadOnlySettings>(setup.settings);
    ports.headerDialog = std::make_unique<ConfirmingWithCallsign>(setup.callsign);
    auto findings = std::make_unique<StreamedFindings>(setup.writeFindings, setup.findingsLimit);
    const StreamedFindings& kept = *findings;
    ports.findings = std::move(findings);
    ports.writeCabrillo = [&scored](const CCabrilloLog& report, const std::optional<std::string>& hostVersion) {
        scored.cabrillo = report.CabrilloText(hostVersion);
        scored.cabrilloFileName = report.fileBaseName + ".cbr";
        return CabrilloOutcome{true, "File produced: " + scored.cabrilloFileName};
    };
    ScoringPass pass(std::move(ports));

    pass.reset(setup.exportCabrillo ? 1 : 0, setup.contestantCall, setup.start, setup.end);
    pass.engine().withStore([&contacts](ContactStore& store) { store.reserve(contacts.size()); });
    scored.contacts.reserve(contacts.size());
    for (size_t i = 0; i < contacts.size(); ++i) {
        ContactFields fields = contactFieldsOf(contacts[i]);
        if (fields.ownCall.empty()) {
            fields.ownCall = setup.contestantCall;
        }
        scored.contacts.push_back(pass.add(fields));
        if (setup.progress && (i + 1) % kProgressEvery == 0) {
            setup.progress(i + 1, contacts.size());
        }
    }
    scored.numbers = pass.result().summary;
    scored.summary = scored.numbers.text;
    scored.storedCount = pass.engine().withStore([](const ContactStore& store) { return store.count(); });
    scored.findings = kept.counts();
    return scored;
}

}  // namespace torv::scoring
