// "err.txt": one line per refused, duplicate or unplaceable contact.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "engine/contact.h"

// An open error file. Lines are written in binary with CR LF; other programs
// may read and write the file meanwhile. A file that cannot be opened or
// written loses its lines silently: the findings never change a result.
class ErrorFile {
public:
    enum class Mode { kAppend, kTruncate };
    ErrorFile(const std::string& path, Mode mode);
    ~ErrorFile();
    ErrorFile(const ErrorFile&) = delete;
    ErrorFile& operator=(const ErrorFile&) = delete;

    // Writes the text followed by CR LF.
    void writeLine(std::string_view text);

private:
    std::FILE* file_;
};

// The error line of a contact: its fields separated by two blanks, then (for
// an area finding) two blanks and the normalised exchange, then the message.
// formattedTime is the contact time as "%Y-%m-%d %H%M".
std::string errorLine(const ContactFields& contact, const std::string& formattedTime, std::string_view message,
                      const std::string* normalisedExchange = nullptr);

namespace messages {
inline constexpr std::string_view kNoContestBand = "   NO CONTEST BAND !!!";
inline constexpr std::string_view kNoTestMode = "   NO TEST MODE !!!";
inline constexpr std::string_view kNoRxNumber = "   NO RX NUMBER !!!";
inline constexpr std::string_view kAreaNotAcceptable = "   Code Area is not acceptable !!!";
inline constexpr std::string_view kDupe = "   DUPE !!!";
}  // namespace messages
