// "err.txt": one line per refused, duplicate or unplaceable contact.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "engine/contact.h"
#include "engine/contact_outcome.h"
#include "io/file.h"

namespace torv::engine {

// An open error file. Lines are written in binary with CR LF; other programs
// may read and write the file meanwhile. A file that cannot be opened or
// written loses its lines silently: the findings never change a result.
class ErrorFile {
public:
    enum class Mode { kAppend, kTruncate };
    ErrorFile(const std::string& path, Mode mode);

    // Writes the text followed by CR LF.
    void writeLine(std::string_view text);
    // Writes the bytes as they are.
    void write(std::string_view bytes);

private:
    io::File file_;
};

// The findings of one contact as the error file takes them: its lines, each
// ending in CR LF, then one line (with its CR LF) written `repeats` times,
// the DUPE line once per earlier twin. A contact repeated n times draws
// n(n-1)/2 such lines in all, so they are handed over once with their count.
struct ContactFindings {
    std::string lines;
    std::string repeated;
    size_t repeats = 0;
};

// The error file's lines of a contact's findings (none when it has none):
// each finding's errorLine, in the outcome's order, the DUPE line as the
// repeated one.
ContactFindings findingLines(const ContactFields& contact, const ContactOutcome& outcome);

// Where the findings about contacts go: the error file for the plug-in, a
// stream or a count for the command-line tool.
class FindingSink {
public:
    virtual ~FindingSink() = default;
    // Starts the findings afresh with this one line (CR LF is added).
    virtual void restart(std::string_view firstLine) = 0;
    // Takes what was decided about one contact, once the store holds the
    // decision; called once for every contact passed, also when it has no
    // finding.
    virtual void append(const ContactFields& contact, const ContactOutcome& outcome) = 0;
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
    // Lines that cannot be made (memory) are lost as lines that cannot be
    // written are: the contact is stored by then, and its findings never
    // change a result.
    void append(const ContactFields& contact, const ContactOutcome& outcome) override;
    void note(std::string_view line) override;

private:
    std::string path_;
};

// The error line of a contact: its fields separated by two blanks, then (for
// an area finding) two blanks and the normalised exchange, then three blanks
// and the message. formattedTime is the contact time as "%Y-%m-%d %H%M".
std::string errorLine(const ContactFields& contact, const std::string& formattedTime, std::string_view message,
                      const std::string* normalisedExchange = nullptr);

// The messages of the findings, as findingMessage gives them.
namespace messages {
inline constexpr std::string_view kNoContestBand = "NO CONTEST BAND !!!";
inline constexpr std::string_view kNoTestMode = "NO TEST MODE !!!";
inline constexpr std::string_view kNoRxNumber = "NO RX NUMBER !!!";
inline constexpr std::string_view kAreaNotAcceptable = "Code Area is not acceptable !!!";
inline constexpr std::string_view kDupe = "DUPE !!!";
}  // namespace messages

}  // namespace torv::engine
