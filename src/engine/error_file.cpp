#include "engine/error_file.h"

#include <new>

#include "engine/date_time.h"

namespace torv::engine {

namespace {

constexpr const char* kErrorTimePattern = "%Y-%m-%d %H%M";
// Between a line's fields and its message.
constexpr std::string_view kMessageSeparator = "   ";

}  // namespace

std::string_view findingMessage(FindingCode code) {
    switch (code) {
        case FindingCode::kNoContestBand:
            return messages::kNoContestBand;
        case FindingCode::kNoTestMode:
            return messages::kNoTestMode;
        case FindingCode::kNoRxNumber:
            return messages::kNoRxNumber;
        case FindingCode::kAreaNotAcceptable:
            return messages::kAreaNotAcceptable;
        case FindingCode::kDupe:
            return messages::kDupe;
    }
    return {};
}

ContactFindings findingLines(const ContactFields& contact, const ContactOutcome& outcome) {
    ContactFindings findings;
    if (outcome.findings.empty()) {
        return findings;  // most contacts: their time is never formatted
    }
    const std::string time = formatDateTime(contact.qsoTime, kErrorTimePattern);
    for (const Finding& finding : outcome.findings) {
        const std::string* normalised = finding.code == FindingCode::kAreaNotAcceptable ? &finding.value : nullptr;
        std::string line = errorLine(contact, time, findingMessage(finding.code), normalised);
        line += "\r\n";
        if (finding.code == FindingCode::kDupe) {
            findings.repeated = std::move(line);
            findings.repeats = finding.earlierTwins;
        } else {
            findings.lines += line;
        }
    }
    return findings;
}

ErrorFile::ErrorFile(const std::string& path, Mode mode)
    // Binary, so that the CR LF we write is what lands on disk. The C
    // library opens files without share restrictions.
    : file_(io::open(path, mode == Mode::kAppend ? "ab" : "wb")) {}

void ErrorFile::writeLine(std::string_view text) {
    if (!file_) {
        return;
    }
    std::fwrite(text.data(), 1, text.size(), file_.get());
    std::fwrite("\r\n", 1, 2, file_.get());
}

void ErrorFile::write(std::string_view bytes) {
    if (file_) {
        std::fwrite(bytes.data(), 1, bytes.size(), file_.get());
    }
}

void ErrorFileSink::restart(std::string_view firstLine) {
    ErrorFile(path_, ErrorFile::Mode::kTruncate).writeLine(firstLine);
}

void ErrorFileSink::append(const ContactFields& contact, const ContactOutcome& outcome) {
    ContactFindings findings;
    try {
        findings = findingLines(contact, outcome);
    } catch (const std::bad_alloc&) {
        // The file is still opened: a contact without lines creates it too.
    }
    ErrorFile file(path_, ErrorFile::Mode::kAppend);
    file.write(findings.lines);
    for (size_t i = 0; i < findings.repeats; ++i) {
        file.write(findings.repeated);
    }
}

void ErrorFileSink::note(std::string_view line) {
    ErrorFile(path_, ErrorFile::Mode::kAppend).writeLine(line);
}

std::string errorLine(const ContactFields& contact, const std::string& formattedTime, std::string_view message,
                      const std::string* normalisedExchange) {
    constexpr std::string_view kSeparator = "  ";
    std::string line = "QSO:  ";
    line += std::to_string(contact.frequency / 1000);
    for (const std::string* field :
         {&contact.mode, &formattedTime, &contact.ownCall, &contact.rstSent, &contact.exchangeSent, &contact.call,
          &contact.rstReceived, &contact.exchangeReceived}) {
        line += kSeparator;
        line += *field;
    }
    if (normalisedExchange != nullptr) {
        line += kSeparator;
        line += *normalisedExchange;
    }
    line += kMessageSeparator;
    line += message;
    return line;
}

}  // namespace torv::engine
