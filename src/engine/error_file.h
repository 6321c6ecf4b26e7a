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
    // Writes the bytes as they are.
    void write(std::string_view bytes);

private:
    std::FILE* file_;
};

// Where the findings about contacts go: the error file for the plug-in,
// memory for the command-line tool.
class FindingSink {
public:
    virtual ~FindingSink() = default;
    // Starts the findings afresh with this one line (CR LF is added).
    virtual void restart(std::string_view firstLine) = 0;
    // Adds the lines of one contact, each already ending in CR LF; called
    // once for every contact passed, also when it has no lines.
    virtual void append(std::string_view lines) = 0;
    // Adds a line about no contact (CR LF is added), such as an internal
    // failure of the plug-in.
    virtual void note(std::string_view line) = 0;
};

// The error file at a path: every call opens, writes and closes it, so that
// other programs can read it between contacts and a contact without
// findings still creates a missing file.
class ErrorFileSink : public FindingSink {
public:
    explicit ErrorFileSink(std::string path) : path_(std::move(path)) {}
    void restart(std::string_view firstLine) override;
    void append(std::string_view lines) override;
    void note(std::string_view line) override;

private:
    std::string path_;
};

// The findings kept in memory, with where the last contact's lines begin.
class MemoryFindings : public FindingSink {
public:
    void restart(std::string_view firstLine) override;
    void append(std::string_view lines) override;
    void note(std::string_view line) override;
    // Everything, as the error file would hold it.
    const std::string& text() const { return text_; }
    // The lines of the last contact appended.
    std::string_view lastLines() const { return std::string_view(text_).substr(lastStart_); }

private:
    std::string text_;
    size_t lastStart_ = 0;
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
