#include "hostsim/script.h"

#include <algorithm>

#include "logfile/date_text.h"
#include "logfile/text.h"

using torv::calendar::upperCase;
using torv::logfile::allDigits;
using torv::logfile::parseDateTimeText;

namespace pelksim {

namespace {

// Argument checks, run on the whole script before its first step.
void checkNumber(const Step& step, size_t index, const char* what) {
    uint32_t value = 0;
    if (index < step.args.size() && !parseUnsigned(step.args[index], value)) {
        throw ScriptError(step.line, step.name + ": " + what + " \"" + step.args[index] + "\" is not a number");
    }
}

void checkAssignments(const Step& step, size_t from) {
    for (size_t i = from; i < step.args.size(); ++i) {
        std::string name, value;
        if (!parseAssignment(step.args[i], name, value)) {
            throw ScriptError(step.line, step.name + ": \"" + step.args[i] + "\" is not NAME=VALUE");
        }
    }
}

void checkNothing(const Step&) {}

void checkReset(const Step& step) {
    const size_t first = step.args.size() == 4 ? 1 : 0;
    if (first == 1 && step.args[0] != "export") {
        throw ScriptError(step.line, "reset: \"" + step.args[0] + "\" is not \"export\"");
    }
    for (size_t i = first + 1; i < step.args.size(); ++i) {
        double date = 0;
        if (!parseStepDateTime(step.args[i], date)) {
            throw ScriptError(step.line, "reset: \"" + step.args[i] + "\" is not a date-time like 2015-09-12T00:00");
        }
    }
}

void checkReplay(const Step& step) {
    if (step.args.size() == 2 && step.args[1] != "verbose") {
        throw ScriptError(step.line, "replay: \"" + step.args[1] + "\" is not \"verbose\"");
    }
}

void checkFirstNumber(const Step& step) {
    checkNumber(step, 0, "the number");
}

void checkType(const Step& step) {
    checkNumber(step, 1, "the pace");
}

void checkControl(const Step& step) {
    checkNumber(step, 1, "the control id");
}

void checkDialog(const Step& step) {
    if (step.args[1] != "ok" && step.args[1] != "cancel") {
        throw ScriptError(step.line, "expect-dialog: \"" + step.args[1] + "\" is neither ok nor cancel");
    }
    checkAssignments(step, 2);
    for (size_t i = 2; i < step.args.size(); ++i) {
        std::string id, text;
        parseAssignment(step.args[i], id, text);
        uint32_t number = 0;
        if (!parseUnsigned(id, number)) {
            throw ScriptError(step.line, "expect-dialog: the control id \"" + id + "\" is not a number");
        }
    }
}

void checkAllAssignments(const Step& step) {
    checkAssignments(step, 0);
}

void checkMember(const Step& step, size_t index) {
    if (index < step.args.size() && !automationMemberId(step.args[index])) {
        throw ScriptError(step.line, step.name + ": \"" + step.args[index] + "\" is not frequency, field or command");
    }
}

void checkDelay(const Step& step) {
    checkFirstNumber(step);
    checkMember(step, 1);
}

void checkWaitCall(const Step& step) {
    checkMember(step, 0);
    if (step.args[1] != "began" && step.args[1] != "answered") {
        throw ScriptError(step.line, "wait-call: \"" + step.args[1] + "\" is neither began nor answered");
    }
}

struct StepEntry {
    StepSyntax syntax;
    void (*check)(const Step&);
};

// Every step, in the order the help lists them: literals only, so the
// table is complete before any code runs.
constexpr StepEntry kSteps[] = {
    {{"load", 1, 1, "load PATH", "LoadLibrary the plug-in; resolve its 11 exports and their twins"}, checkNothing},
    {{"unload", 0, 0, "unload",
      "FreeLibrary the plug-in, then pumps until it is unmapped (a release it still holds may come a moment "
      "later, on another thread) or the timeout"},
     checkNothing},
    {{"reset", 3, 4, "reset [export] CALL START END",
      "ResetStats0 for a contest from START to END (2015-09-12T00:00); export sets its flag"},
     checkReset},
    {{"replay", 1, 2, "replay FILE.adi [verbose]",
      "AddData0 for every record, in file order, the whole file checked first; a relative FILE is looked up "
      "beside the script first"},
     checkReplay},
    {{"add", 1, -1, "add NAME=VALUE...", "AddData0 for one contact given by ADIF fields"}, checkAllAssignments},
    {{"remove", 1, -1, "remove NAME=VALUE...", "RemoveData0 for one contact given by ADIF fields"},
     checkAllAssignments},
    {{"result", 0, 0, "result", "GetResult0: prints the status and the summary"}, checkNothing},
    {{"valid", 1, 1, "valid EXCHANGE", "IsValidExchg0: prints its answer"}, checkNothing},
    {{"sets", 0, 0, "sets", "GetNumberOfSets, GetSetName(0) and GetExchgCount0"}, checkNothing},
    {{"setup", 0, 0, "setup", "SetupSet0 (arm close-message first: it shows a message box)"}, checkNothing},
    {{"command", 1, 1, "command SHOWINFO|HIDEINFO", "RunCommand0 with that text"}, checkNothing},
    {{"type", 1, 3, "type CALL [PACE_MS [AREA]]",
      "one keystroke every PACE_MS (200): the entry field gets the call so far, then CheckCall0"},
     checkType},
    {{"entry", 0, 1, "entry [CALL]", "sets the call in the entry field (none: empties it)"}, checkNothing},
    {{"retune", 1, 1, "retune HZ", "sets the radio frequency"}, checkFirstNumber},
    {{"mode", 1, 1, "mode MODE", "sets the radio mode CheckCall0 is given"}, checkNothing},
    {{"delay", 1, 2, "delay MS [MEMBER]",
      "the automation object waits MS before each answer (a busy host), or only before answering MEMBER: "
      "frequency, field or command; without MEMBER, every member's own delay goes"},
     checkDelay},
    {{"wait-call", 2, 2, "wait-call MEMBER began|answered",
      "pumps, one message at a time, until the call log shows a call of MEMBER that began (or answered) "
      "after the one the previous wait-call found"},
     checkWaitCall},
    {{"wait-queued", 0, 0, "wait-queued",
      "waits, dispatching nothing posted, until an automation call waits in the host's queue"},
     checkNothing},
    {{"round-trip", 0, 0, "round-trip", "another thread reaches the automation object and reads the frequency"},
     checkNothing},
    {{"commands", 0, 0, "commands", "prints the command texts received through the automation object"}, checkNothing},
    {{"wait-command", 1, 1, "wait-command TEXT", "pumps until the automation object has received that command"},
     checkNothing},
    {{"wait", 1, 1, "wait MS", "pumps messages for MS"}, checkFirstNumber},
    {{"wait-window", 1, 1, "wait-window CAPTION", "waits until a window of this process shows that caption"},
     checkNothing},
    {{"wait-closed", 1, 1, "wait-closed CAPTION", "waits until no window of this process shows that caption"},
     checkNothing},
    {{"click", 2, 2, "click CAPTION CONTROL_ID", "clicks a button of that window"}, checkControl},
    {{"checked", 2, 2, "checked CAPTION CONTROL_ID", "prints whether a check box of that window is ticked"},
     checkControl},
    {{"expect-dialog", 2, -1, "expect-dialog CAPTION ok|cancel [ID=TEXT...]",
      "armed for the next step: fills the dialog's edit, combo and check boxes, then OK or Cancel"},
     checkDialog},
    {{"close-message", 1, 1, "close-message CAPTION", "armed for the next step: closes that message box (OK)"},
     checkNothing},
    {{"screenshot", 2, 2, "screenshot CAPTION FILE.bmp", "saves the window as a bitmap file"}, checkNothing},
    {{"quit", 1, 1, "quit CODE", "PostQuitMessage(CODE): the host is closing"}, checkFirstNumber},
    {{"wait-quit", 0, 0, "wait-quit", "pumps until the WM_QUIT reaches the host's loop"}, checkNothing},
    {{"post", 1, 1, "post COMMAND", "posts the host's window a message whose handler calls RunCommand0 COMMAND"},
     checkNothing},
    {{"post-unload", 0, 0, "post-unload",
      "posts the host's window a message whose handler calls FreeLibrary on the plug-in, as a host that closes "
      "from a message handler; the next export that dispatches messages runs it"},
     checkNothing},
    {{"flood-during-unload", 0, 0, "flood-during-unload",
      "armed for the next step: while the host's thread is inside FreeLibrary, other threads keep sending it "
      "messages until FreeLibrary returns (at most three timeouts)"},
     checkNothing},
    {{"send-during-unload", 0, 0, "send-during-unload",
      "armed for the next step: while the host's thread is inside FreeLibrary, another thread sends it a "
      "message whose handler calls the exports"},
     checkNothing},
    {{"mapped", 1, 1, "mapped NAME", "prints whether the library NAME is mapped in this process"}, checkNothing},
    {{"wait-unmapped", 1, 1, "wait-unmapped NAME",
      "pumps until the library NAME is no longer mapped, or the timeout; prints which"},
     checkNothing},
    {{"timeout", 1, 1, "timeout MS", "the bound of every later wait (10000 at the start)"}, checkFirstNumber},
    {{"echo", 0, -1, "echo TEXT...", "prints the text"}, checkNothing},
};

const StepEntry* findEntry(std::string_view name) {
    for (const StepEntry& entry : kSteps) {
        if (name == entry.syntax.name) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

std::optional<int> automationMemberId(std::string_view name) {
    for (const auto& [memberName, id] : kAutomationMembers) {
        if (name == memberName) {
            return id;
        }
    }
    return std::nullopt;
}

const char* automationMemberName(int id) {
    for (const auto& [memberName, memberId] : kAutomationMembers) {
        if (id == memberId) {
            return memberName;
        }
    }
    return "unknown";
}

ScriptError::ScriptError(int line, const std::string& problem)
    : std::runtime_error("line " + std::to_string(line) + ": " + problem), line_(line), problem_(problem) {}

const std::vector<StepSyntax>& stepSyntaxes() {
    static const std::vector<StepSyntax> syntaxes = [] {
        std::vector<StepSyntax> result;
        for (const StepEntry& entry : kSteps) {
            result.push_back(entry.syntax);
        }
        return result;
    }();
    return syntaxes;
}

const StepSyntax* findStepSyntax(std::string_view name) {
    for (const StepSyntax& syntax : stepSyntaxes()) {
        if (name == syntax.name) {
            return &syntax;
        }
    }
    return nullptr;
}

std::vector<std::string> splitStepLine(std::string_view line, int lineNumber) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool inQuotes = false;
    for (char c : line) {
        if (inQuotes) {
            if (c == '"') {
                inQuotes = false;
            } else {
                word += c;
            }
        } else if (c == '"') {
            inQuotes = inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
        } else if (c == '#' && !inWord) {
            break;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inQuotes) {
        throw ScriptError(lineNumber, "a quote is not closed");
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

Step parseStepLine(std::string_view line, int lineNumber) {
    std::vector<std::string> words = splitStepLine(line, lineNumber);
    Step step;
    step.line = lineNumber;
    if (words.empty()) {
        return step;
    }
    step.name = std::move(words.front());
    step.args.assign(std::make_move_iterator(words.begin() + 1), std::make_move_iterator(words.end()));

    const StepEntry* entry = findEntry(step.name);
    if (entry == nullptr) {
        throw ScriptError(lineNumber, "unknown step \"" + step.name + "\" (PelkSim.exe --help lists them)");
    }
    const int count = static_cast<int>(step.args.size());
    if (count < entry->syntax.minArgs || (entry->syntax.maxArgs >= 0 && count > entry->syntax.maxArgs)) {
        throw ScriptError(lineNumber, "wrong number of arguments; usage: " + std::string(entry->syntax.usage));
    }
    entry->check(step);
    return step;
}

std::vector<Step> parseScript(std::string_view text) {
    std::vector<Step> steps;
    int lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find('\n', start);
        const std::string_view line =
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        ++lineNumber;
        Step step = parseStepLine(line, lineNumber);
        if (!step.name.empty()) {
            steps.push_back(std::move(step));
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return steps;
}

bool parseStepDateTime(std::string_view text, double& oleDate) {
    return parseDateTimeText(text, oleDate);
}

bool parseUnsigned(std::string_view text, uint32_t& value) {
    if (!allDigits(text) || text.size() > 10) {
        return false;
    }
    uint64_t result = 0;
    for (char c : text) {
        result = result * 10 + static_cast<uint64_t>(c - '0');
    }
    if (result > UINT32_MAX) {
        return false;
    }
    value = static_cast<uint32_t>(result);
    return true;
}

bool parseAssignment(std::string_view text, std::string& name, std::string& value) {
    const size_t equals = text.find('=');
    if (equals == 0 || equals == std::string_view::npos) {
        return false;
    }
    name = upperCase(text.substr(0, equals));
    value = std::string(text.substr(equals + 1));
    return true;
}

std::string stepReference() {
    size_t width = 0;
    for (const StepEntry& entry : kSteps) {
        width = std::max(width, std::string_view(entry.syntax.usage).size());
    }
    std::string text;
    for (const StepEntry& entry : kSteps) {
        std::string usage = entry.syntax.usage;
        usage.resize(width + 2, ' ');
        text += "  " + usage + entry.syntax.summary + "\n";
    }
    return text;
}

}  // namespace pelksim
