#include "log_scoring.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "console.h"
#include "engine/error_file.h"
#include "logfile/adif_contact.h"
#include "plugin/module.h"
#include "settings/ini_settings.h"

namespace messages = torv::engine::messages;
using torv::abi::DateTimeArg;
using torv::abi::kDateTimeValid;
using torv::engine::ContactFields;
using torv::engine::ContactFindings;
using torv::engine::ContactStore;
using torv::engine::FindingSink;
using torv::logfile::LogContact;
using torv::logfile::LogFile;
using torv::logfile::LogFormat;
using torv::logfile::lowerEdgeOfBand;
using torv::plugin::headlessPorts;
using torv::plugin::PlatformPorts;
using torv::ports::HeaderDialog;
using torv::ports::HeaderFields;
using torv::ports::kSettingsValueMax;
using torv::ports::Settings;
using torv::reports::CabrilloOutcome;
using torv::reports::CCabrilloLog;
using torv::reports::computeScoreSummary;

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
        return torv::settings::iniSettingsValue(file_, key, defaultValue);
    }
    void writeText(const std::string& key, const std::string& value) override { written_[key] = value; }

private:
    std::optional<std::string> file_;
    std::map<std::string, std::string> written_;
};

// The findings as they come: counted, each contact's last message kept, and
// handed to the writer when there is one, within its limit.
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

    void append(const ContactFindings& findings) override {
        reserve(findings.lines.size(), 1);
        reserve(findings.repeated.size(), findings.repeats);
        last_.clear();
        std::string_view lines(findings.lines);
        for (size_t start = 0; start < lines.size();) {
            const size_t end = std::min(lines.find('\n', start), lines.size() - 1);
            count(lines.substr(start, end + 1 - start), 1);
            start = end + 1;
        }
        emit(findings.lines);
        if (findings.repeats != 0) {
            count(findings.repeated, findings.repeats);
            emitRepeated(findings.repeated, findings.repeats);
        }
    }

    // A line about no contact goes with the findings, uncounted.
    void note(std::string_view line) override {
        reserve(line.size() + 2, 1);
        emit(std::string(line) + "\r\n");
    }

    const FindingCounts& counts() const { return counts_; }
    // The message of the last contact's last line.
    const std::string& lastMessage() const { return last_; }

private:
    // Counts `times` pieces of `bytes` bytes against the limit before any is written.
    void reserve(uint64_t bytes, uint64_t times) {
        if (!write_ || bytes == 0 || times == 0) {
            return;
        }
        const uint64_t room = limit_ - std::min(limit_, written_);
        if (times > room / bytes) {
            throw FindingsTooLarge("the findings would pass " + byteSizeText(limit_) +
                                   " (a contact repeated n times draws n(n-1)/2 DUPE lines)");
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
        if (!write_ || line.empty()) {
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

    void count(std::string_view line, size_t times) {
        last_ = findingMessage(line);
        const std::string_view message = last_;
        size_t* counter = message == messages::kNoContestBand.substr(3)       ? &counts_.noContestBand
                          : message == messages::kNoTestMode.substr(3)        ? &counts_.noTestMode
                          : message == messages::kNoRxNumber.substr(3)        ? &counts_.noRxNumber
                          : message == messages::kAreaNotAcceptable.substr(3) ? &counts_.areaNotAcceptable
                          : message == messages::kDupe.substr(3)              ? &counts_.dupe
                                                                              : nullptr;
        if (counter != nullptr) {
            *counter += times;
        }
    }

    std::function<void(std::string_view)> write_;
    uint64_t limit_;
    uint64_t written_ = 0;
    FindingCounts counts_;
    std::string last_;
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
    PlatformPorts ports = headlessPorts(std::make_unique<ReadOnlySettings>(setup.settings));
    ports.headerDialog = std::make_unique<ConfirmingWithCallsign>(setup.callsign);
    ports.hostVersion = [](const std::string&) { return std::optional<std::string>(); };
    auto findings = std::make_unique<StreamedFindings>(setup.writeFindings, setup.findingsLimit);
    const StreamedFindings& kept = *findings;
    ports.findings = std::move(findings);
    ports.writeCabrillo = [&scored](const CCabrilloLog& report, const std::optional<std::string>& hostVersion) {
        scored.cabrillo = report.CabrilloText(hostVersion);
        scored.cabrilloFileName = report.fileBaseName + ".cbr";
        return CabrilloOutcome{true, "File produced: " + scored.cabrilloFileName};
    };
    CTestApp app(std::move(ports));

    app.resetStats(setup.exportCabrillo ? 1 : 0, setup.contestantCall, setup.start, setup.end);
    app.engine().withStore([&contacts](ContactStore& store) { store.reserve(contacts.size()); });
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
        outcome.finding = kept.lastMessage();
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
    scored.findings = kept.counts();
    return scored;
}

std::string_view findingMessage(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    // The message follows the fields after three blanks.
    const size_t message = line.rfind("   ");
    return message == std::string_view::npos ? line : line.substr(message + 3);
}
