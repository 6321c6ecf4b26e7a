#include "engine/error_file.h"

namespace torv::engine {

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

void ErrorFileSink::append(const ContactFindings& findings) {
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
    line += message;
    return line;
}

}  // namespace torv::engine
