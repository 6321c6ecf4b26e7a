// The simulator's steps: their syntax, the reading of a script, and the
// argument conversions. Running a step is the Windows side's business
// (simulator_win.cpp); everything here is portable and tested natively.
//
// A script holds one step per line: a step name and its arguments separated
// by blanks. A '#' that starts a word starts a comment running to the end of
// the line. Double quotes group blanks into one argument and are dropped
// ("Cabrillo header", SRX_STRING=" sp "); there is no escape character.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pelksim {

struct Step {
    int line = 0;              // 1-based line of the script, or number of the command-line argument
    bool commandLine = false;  // given as a command-line argument
    std::string name;
    std::vector<std::string> args;
    std::string folder;  // the folder of the script file it came from, "" for a command-line step

    // "line 4" or "argument 2", for messages.
    std::string where() const { return (commandLine ? "argument " : "line ") + std::to_string(line); }
};

// The syntax of one step, for checking a script before it runs and for help.
struct StepSyntax {
    const char* name;
    int minArgs;
    int maxArgs;  // -1: no upper bound
    const char* usage;
    const char* summary;
};

// Every step the simulator knows, in the order the help lists them.
const std::vector<StepSyntax>& stepSyntaxes();
// The syntax of a step by name, nullptr for an unknown name.
const StepSyntax* findStepSyntax(std::string_view name);

// A step that cannot run as written; what() reads "line 4: ...".
class ScriptError : public std::runtime_error {
public:
    ScriptError(int line, const std::string& problem);
    int line() const { return line_; }
    // The problem alone, without the line.
    const std::string& problem() const { return problem_; }

private:
    int line_;
    std::string problem_;
};

// The words of one line, quotes and comments applied. Throws ScriptError for
// an unclosed quote.
std::vector<std::string> splitStepLine(std::string_view line, int lineNumber);

// Every step of a script text (LF or CR LF), blank and comment lines skipped.
// Each is checked against its syntax (known name, argument count), so a
// misspelt step stops the script before anything runs. Throws ScriptError.
std::vector<Step> parseScript(std::string_view text);

// One step from one line (of a script, or a command-line argument), checked
// the same way; a blank or comment line gives a step with an empty name.
// Throws ScriptError.
Step parseStepLine(std::string_view line, int lineNumber);

// "2015-09-12T00:00", "2015-09-12T00:00:00" or "2015-09-12" (midnight), as
// an OLE Automation date. False for anything else or an impossible date.
bool parseStepDateTime(std::string_view text, double& oleDate);

// A decimal number without sign, at most 4294967295.
bool parseUnsigned(std::string_view text, uint32_t& value);

// "NAME=VALUE" with a non-empty name; the name is made upper case.
bool parseAssignment(std::string_view text, std::string& name, std::string& value);

// The automation object's members by the names steps give them, with their
// dispatch ids: "frequency" (2), "field" (8), "command" (16).
inline constexpr std::pair<const char*, int> kAutomationMembers[] = {{"frequency", 2}, {"field", 8}, {"command", 16}};
std::optional<int> automationMemberId(std::string_view name);
// "unknown" for an id that is none of them.
const char* automationMemberName(int id);

// The help text: usage line and summary of every step.
std::string stepReference();

}  // namespace pelksim
