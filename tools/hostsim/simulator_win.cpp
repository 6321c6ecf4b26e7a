#include "hostsim/simulator_win.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "hostsim/ansi_text_win.h"
#include "logfile/adif_contact.h"
#include "win/message_loop_win.h"

using torv::abi::DateTimeArg;
using torv::abi::kDateTimeValid;
using torv::logfile::AdifError;
using torv::logfile::AdifField;
using torv::logfile::AdifRecord;
using torv::logfile::bandOfFrequency;
using torv::logfile::callPrefix;
using torv::logfile::contactFromRecord;
using torv::logfile::contactsFromAdif;
using torv::logfile::LogContact;
using torv::win::makeEvent;
using torv::win::pumpFor;
using torv::win::pumpMessages;
using torv::win::pumpUntil;
using torv::win::ScopedComApartment;
using torv::win::ScopedComPtr;
using torv::win::ScopedHandle;
using torv::win::ScopedVariant;
using torv::win::waitPumping;

namespace pelksim {

namespace {

constexpr DWORD kDefaultPace = 200;
// The host window's messages: a command posted for RunCommand0 (lParam: a
// heap std::string), and the exports called during an unload (lParam: the
// std::string that receives their answers).
constexpr UINT kPostedCommandMessage = WM_APP + 1;
constexpr UINT kSentDuringUnloadMessage = WM_APP + 2;
// A posted FreeLibrary of the plug-in, and the messages another thread keeps
// sending while FreeLibrary runs (answered by the window, nothing else).
constexpr UINT kPostedUnloadMessage = WM_APP + 3;
constexpr UINT kFloodMessage = WM_APP + 4;
constexpr int kFloodSenders = 4;
constexpr char kHostWindowClass[] = "PelkSimHost";
// What a contact may take at most while a log is replayed, for the watchdog.
constexpr DWORD kReplayBudgetPerContact = 50;

class StepFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void printError(const std::string& message) {
    std::fflush(stdout);
    std::fprintf(stderr, "error: %s\n", message.c_str());
    std::fflush(stderr);
}

uint32_t number(const std::string& text) {
    uint32_t value = 0;
    parseUnsigned(text, value);  // the script was checked before it ran
    return value;
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string ansi(const std::wstring& text) {
    return ansiFromWide(text);
}

// A file a step reads: a relative path is looked up beside the step's script
// first, so a script and its logs travel together; then in the current folder.
std::string inputPath(const Step& step, const std::string& path) {
    const bool relative = !path.empty() && path[0] != '\\' && path[0] != '/' && path.find(':') == std::string::npos;
    if (relative && !step.folder.empty()) {
        const std::string beside = step.folder + "\\" + path;
        if (GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return beside;
        }
    }
    return path;
}

std::string readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw StepFailure("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Text the plug-in returned, with its line ends made "\n" for the output.
void printText(const std::string& text) {
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        if (text[i] == '\n' || text[i] == '\r') {
            printLine(line);
            line.clear();
        } else {
            line += text[i];
        }
    }
    if (!line.empty()) {
        printLine(line);
    }
}

HWND createHostWindow(void* simulator, WNDPROC procedure) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kHostWindowClass;
    RegisterClassA(&windowClass);  // fails harmlessly when registered already
    HWND window = CreateWindowA(kHostWindowClass, "PelkSim", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (window != nullptr) {
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(simulator));
    }
    return window;
}

// The frequency as another client reads it: its own apartment, the object
// found by its ProgID in the running-object table, one IDispatch call.
std::string readFrequencyAsAClient() {
    ScopedComApartment apartment;
    CLSID clsid{};
    const std::wstring progId = wideFromAnsi(kHostProgIdText);
    HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
    ScopedComPtr<IUnknown> running;
    if (SUCCEEDED(hr)) {
        hr = GetActiveObject(clsid, nullptr, running.put());
    }
    ScopedComPtr<IDispatch> host;
    if (SUCCEEDED(hr)) {
        hr = running->QueryInterface(IID_IDispatch, host.putVoid());
    }
    ScopedVariant result;
    if (SUCCEEDED(hr)) {
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        hr = host->Invoke(HostAutomation::kFrequencyId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                          result.get(), nullptr, nullptr);
    }
    if (FAILED(hr) || result.type() != VT_R8) {
        throw StepFailure("the automation object did not answer: " + hresultText(hr));
    }
    return std::to_string(static_cast<long long>(V_R8(result.get())));
}

// Whether a message for this thread's COM apartment waits in its queue: a
// look at the first posted message, which dispatches nothing.
bool automationCallQueued() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_POSTMESSAGE) || message.hwnd == nullptr) {
        return false;
    }
    char className[64] = {};
    GetClassNameA(message.hwnd, className, sizeof className);
    if (std::string(className).rfind("OleMainThreadWndClass", 0) != 0) {
        throw StepFailure(std::string("a message for a window of class ") + className + " waits first");
    }
    return true;
}

}  // namespace

void printLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// --- StepWatchdog -----------------------------------------------------------

StepWatchdog::StepWatchdog(std::function<void()> beforeExit)
    : beforeExit_(std::move(beforeExit)), thread_([this] { watch(); }) {}

StepWatchdog::~StepWatchdog() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void StepWatchdog::arm(const std::string& what, DWORD budget) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        armed_ = true;
        what_ = what;
        budget_ = budget;
        deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(budget);
    }
    changed_.notify_all();
}

void StepWatchdog::disarm() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        armed_ = false;
    }
    changed_.notify_all();
}

void StepWatchdog::watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (!armed_) {
            changed_.wait(lock);
            continue;
        }
        if (changed_.wait_until(lock, deadline_) == std::cv_status::timeout && armed_ && !stopping_ &&
            std::chrono::steady_clock::now() >= deadline_) {
            printError(what_ + " did not return within " + std::to_string(budget_) +
                       " ms: the host's thread is blocked; ending the run");
            beforeExit_();
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
}

// --- Simulator --------------------------------------------------------------

// An answer to a dialog or message box, given by a helper thread while the
// host's thread is inside the step that opens it.
struct Simulator::ArmedAnswer {
    struct Outcome {
        bool done = false;
        bool ok = false;
        std::string message;
    };
    std::string where;
    std::shared_ptr<Outcome> outcome = std::make_shared<Outcome>();
    ULONGLONG deadline = 0;
    std::unique_ptr<HelperThread> helper;
};

Simulator::Simulator(const SimulatorOptions& options)
    : options_(options), timeout_(options.timeout), host_(HostAutomation::create()), watchdog_([this] {
          if (server_) {
              server_->unregister();  // leave no registration behind
          }
      }) {
    hostWindow_.reset(createHostWindow(this, hostWindowProc));
    if (options_.serveHost) {
        host_->AddRef();
        server_ = std::make_unique<AutomationServer>(ScopedComPtr<HostAutomation>(host_.get()));
        if (!server_->running()) {
            startupError_ = "cannot serve " + std::string(kHostProgIdText) + ": " + server_->error();
        }
    }
}

Simulator::~Simulator() = default;

const std::vector<std::pair<const char*, Simulator::Handler>>& Simulator::handlers() {
    static const std::vector<std::pair<const char*, Handler>> table = {
        {"load", &Simulator::load},
        {"unload", &Simulator::unload},
        {"reset", &Simulator::reset},
        {"replay", &Simulator::replay},
        {"add", &Simulator::add},
        {"remove", &Simulator::remove},
        {"result", &Simulator::result},
        {"valid", &Simulator::valid},
        {"sets", &Simulator::sets},
        {"setup", &Simulator::setup},
        {"command", &Simulator::command},
        {"type", &Simulator::type},
        {"entry", &Simulator::entry},
        {"retune", &Simulator::retune},
        {"mode", &Simulator::mode},
        {"delay", &Simulator::delay},
        {"commands", &Simulator::commands},
        {"wait-command", &Simulator::waitCommand},
        {"wait", &Simulator::wait},
        {"wait-window", &Simulator::waitWindow},
        {"wait-closed", &Simulator::waitClosed},
        {"click", &Simulator::click},
        {"checked", &Simulator::checked},
        {"expect-dialog", &Simulator::expectDialog},
        {"close-message", &Simulator::closeMessage},
        {"screenshot", &Simulator::screenshot},
        {"timeout", &Simulator::timeout},
        {"echo", &Simulator::echo},
        {"wait-call", &Simulator::waitCall},
        {"wait-queued", &Simulator::waitQueued},
        {"round-trip", &Simulator::roundTrip},
        {"quit", &Simulator::quit},
        {"wait-quit", &Simulator::waitQuit},
        {"post", &Simulator::post},
        {"send-during-unload", &Simulator::sendDuringUnload},
        {"post-unload", &Simulator::postUnload},
        {"flood-during-unload", &Simulator::floodDuringUnload},
        {"mapped", &Simulator::mapped},
        {"wait-unmapped", &Simulator::waitUnmapped},
    };
    return table;
}

bool Simulator::run(const Step& step) {
    Handler handler = nullptr;
    for (const auto& [name, function] : handlers()) {
        if (step.name == name) {
            handler = function;
        }
    }
    if (handler == nullptr) {
        printError(step.where() + ": no handler for the step " + step.name);
        return false;
    }
    const bool arming = step.name == "expect-dialog" || step.name == "close-message" ||
                        step.name == "send-during-unload" || step.name == "flood-during-unload";
    // Answers armed earlier belong to this step; arming steps just add one.
    const bool settles = !arming && !armed_.empty();
    bool ok = true;
    try {
        watchdog_.arm(step.where() + ": " + step.name, budgetOf(step));
        (this->*handler)(step);
        watchdog_.disarm();
    } catch (const std::exception& error) {
        watchdog_.disarm();
        printError(step.where() + ": " + step.name + ": " + error.what());
        ok = false;
    }
    // Between steps the host's thread serves what waits for it, except after
    // the steps that leave messages queued for the next one, that stop
    // pumping at a given message, or that only arm the next step (a message
    // posted before them is for that step too).
    const bool leavesQueue = arming || step.name == "post" || step.name == "post-unload" || step.name == "quit" ||
                             step.name == "wait-queued" || step.name == "wait-call";
    if (!leavesQueue) {
        pumpMessages();
    }
    freedByHandler_.clear();  // nothing of the step is on the way back from an export any more
    if (settles) {
        ok = settleArmedAnswers() && ok;
    }
    return ok;
}

bool Simulator::finish() {
    return armed_.empty() || settleArmedAnswers();
}

void Simulator::leavePluginToProcessExit() {
    // The process ends with the plug-in loaded, as when the host exits
    // without an unload: the system ends the plug-in's threads before its
    // library is detached.
    static_cast<void>(plugin_.release());  // holds only the module handle
}

bool Simulator::settleArmedAnswers() {
    bool ok = true;
    for (std::unique_ptr<ArmedAnswer>& answer : armed_) {
        const ULONGLONG now = GetTickCount64();
        // The helper gives up by its deadline; a little more covers its last poll.
        const DWORD left = answer->deadline > now ? static_cast<DWORD>(answer->deadline - now) : 0;
        waitPumping(answer->helper->finishedEvent(), left + 2000);
        if (answer->outcome->ok) {
            printLine(answer->outcome->message);
        } else {
            printError(answer->where + ": " +
                       (answer->helper->finished() ? answer->outcome->message : "the answer did not finish"));
            ok = false;
        }
    }
    armed_.clear();
    return ok;
}

DWORD Simulator::budgetOf(const Step& step) const {
    DWORD duration = 0;
    if (step.name == "wait") {
        duration = number(step.args[0]);
    } else if (step.name == "type") {
        duration =
            static_cast<DWORD>(step.args[0].size()) * (step.args.size() > 1 ? number(step.args[1]) : kDefaultPace);
    } else if (step.name == "replay") {
        duration = 60000;  // the contacts are counted once the file is read; this covers a big log
    }
    // Steps that open dialogs wait for the armed answers, bounded by the timeout.
    return duration + 2 * timeout_ + 5000;
}

const LoadedPlugin& Simulator::plugin() const {
    if (!plugin_) {
        throw StepFailure("no plug-in is loaded (load PATH first)");
    }
    return *plugin_;
}

HWND Simulator::findWindowOrFail(const std::string& caption) {
    HWND window = waitForWindow(caption, nullptr, timeout_, pumpingIdle);
    if (window == nullptr) {
        throw StepFailure("no window " + quoted(caption) + " appeared within " + std::to_string(timeout_) + " ms");
    }
    return window;
}

void Simulator::runPumping(const std::function<void()>& task) {
    HelperThread helper(task);
    if (!waitPumping(helper.finishedEvent(), timeout_ + 2000)) {
        throw StepFailure("the window did not answer within " + std::to_string(timeout_) + " ms");
    }
}

LogContact Simulator::contactFromStep(const Step& step) const {
    AdifRecord record;
    for (const std::string& argument : step.args) {
        AdifField field;
        parseAssignment(argument, field.name, field.value);
        record.fields.push_back(field);
    }
    return contactFromRecord(record, contestCall_);  // FieldError says what is wrong
}

void Simulator::load(const Step& step) {
    if (plugin_) {
        throw StepFailure(plugin_->fileName() + " is already loaded (unload it first)");
    }
    plugin_ = std::make_unique<LoadedPlugin>(step.args[0]);
    printLine("loaded " + plugin_->fileName() + ": 11 exports, each twin at the same address");
}

void Simulator::unload(const Step&) {
    const std::string name = plugin().fileName();
    std::unique_ptr<LoadedPlugin> leaving = std::move(plugin_);
    unloadingPlugin_ = leaving.get();
    unloading_ = true;
    leaving.reset();  // FreeLibrary
    unloading_ = false;
    unloadingPlugin_ = nullptr;
    printLine("unloaded " + name);
    // The host's reference was the last unless an export's release is still
    // on its way (it comes from the plug-in's own thread-pool callback).
    pumpUntil([&name] { return GetModuleHandleA(name.c_str()) == nullptr; }, timeout_);
}

void Simulator::reset(const Step& step) {
    const bool exportFlag = step.args.size() == 4;
    const size_t first = exportFlag ? 1 : 0;
    DateTimeArg start{0.0, kDateTimeValid}, end{0.0, kDateTimeValid};
    parseStepDateTime(step.args[first + 1], start.date);
    parseStepDateTime(step.args[first + 2], end.date);
    contestCall_ = step.args[first];
    const size_t freedBefore = freedCount_;
    const int answer = plugin().resetStats(exportFlag ? 1 : 0, contestCall_, start, end);
    if (freedDuringCall(freedBefore, "ResetStats0")) {
        return;
    }
    printLine("ResetStats0 " + contestCall_ + " export=" + (exportFlag ? "1" : "0") + " = " + std::to_string(answer));
}

void Simulator::replay(const Step& step) {
    const LoadedPlugin& target = plugin();
    const std::string& path = step.args[0];
    const bool verbose = step.args.size() == 2;
    std::vector<LogContact> contacts;
    try {
        contacts = contactsFromAdif(readWholeFile(inputPath(step, path)), contestCall_);
    } catch (const AdifError& error) {
        throw StepFailure(path + ": " + error.what() + "; no contact was passed");
    }
    // Like the host's rescoring: one AddData0 after the other, no pumping in
    // between (an automation call of the plug-in waits for the end).
    int accepted = 0;
    int number = 0;
    for (const LogContact& contact : contacts) {
        const int answer = target.addData(contact);
        accepted += answer == 1;
        if (verbose) {
            printLine("AddData0 #" + std::to_string(++number) + " " + contact.call + " " + contact.band + " " +
                      contact.mode + " " + quoted(contact.exchangeReceived) + " = " + std::to_string(answer));
        }
    }
    const size_t slash = path.find_last_of("\\/");
    printLine("replayed " + (slash == std::string::npos ? path : path.substr(slash + 1)) + ": " +
              std::to_string(contacts.size()) + " contacts, " + std::to_string(accepted) + " accepted, " +
              std::to_string(contacts.size() - static_cast<size_t>(accepted)) + " refused");
}

void Simulator::add(const Step& step) {
    const LoadedPlugin& target = plugin();
    const LogContact contact = contactFromStep(step);
    const int answer = target.addData(contact);
    printLine("AddData0 " + contact.call + " " + contact.band + " " + contact.mode + " = " + std::to_string(answer));
}

void Simulator::remove(const Step& step) {
    const LoadedPlugin& target = plugin();
    const LogContact contact = contactFromStep(step);
    const int answer = target.removeData(contact);
    printLine("RemoveData0 " + contact.call + " " + contact.band + " " + contact.mode + " = " + std::to_string(answer));
}

void Simulator::result(const Step&) {
    int status = 0;
    const size_t freedBefore = freedCount_;
    const char* text = plugin().exports().GetResult0(&status);
    if (freedDuringCall(freedBefore, "GetResult0")) {
        return;
    }
    const std::string summary = text != nullptr ? text : "";
    printLine("GetResult0 status=" + std::to_string(status) + (summary.empty() ? " (empty)" : ":"));
    printText(summary);
}

void Simulator::valid(const Step& step) {
    const int answer = plugin().exports().IsValidExchg0(step.args[0].c_str(), "", "", "", 0, 0, 0);
    printLine("IsValidExchg0 " + quoted(step.args[0]) + " = " + std::to_string(answer));
}

void Simulator::sets(const Step&) {
    const PluginExports& exports = plugin().exports();
    printLine("GetNumberOfSets = " + std::to_string(exports.GetNumberOfSets()));
    const char* name = exports.GetSetName(0);
    printLine("GetSetName(0) = " + quoted(name != nullptr ? name : ""));
    printLine("GetExchgCount0 = " + std::to_string(exports.GetExchgCount0("", "", "")));
}

void Simulator::setup(const Step&) {
    const size_t freedBefore = freedCount_;
    plugin().exports().SetupSet0();
    if (freedDuringCall(freedBefore, "SetupSet0")) {
        return;
    }
    printLine("SetupSet0 returned");
}

void Simulator::command(const Step& step) {
    const size_t freedBefore = freedCount_;
    const char* answer = plugin().exports().RunCommand0(0, step.args[0].c_str());
    if (freedDuringCall(freedBefore, "RunCommand0 " + step.args[0])) {
        return;
    }
    printLine("RunCommand0 " + step.args[0] + " = " + quoted(answer != nullptr ? answer : ""));
}

void Simulator::type(const Step& step) {
    const LoadedPlugin& target = plugin();
    const std::string& call = step.args[0];
    const DWORD pace = step.args.size() > 1 ? number(step.args[1]) : kDefaultPace;
    const std::string area = step.args.size() > 2 ? step.args[2] : std::string();
    for (size_t length = 1; length <= call.size(); ++length) {
        const std::string typed = call.substr(0, length);
        host_->setEnteredCall(wideFromAnsi(typed));
        const std::string band = bandOfFrequency(static_cast<uint32_t>(host_->frequency()));
        const int answer = target.checkCall(typed, host_->mode(), callPrefix(typed), area, band);
        printLine("CheckCall0 " + typed + " = " + std::to_string(answer));
        if (length < call.size()) {
            pumpFor(pace);
        }
    }
}

void Simulator::entry(const Step& step) {
    const std::string call = step.args.empty() ? std::string() : step.args[0];
    host_->setEnteredCall(wideFromAnsi(call));
    printLine("entry field " + quoted(call));
}

void Simulator::retune(const Step& step) {
    const uint32_t hertz = number(step.args[0]);
    host_->setFrequency(hertz);
    const std::string band = bandOfFrequency(hertz);
    printLine("frequency " + std::to_string(hertz) + " Hz (" + (band.empty() ? "no band" : band) + ")");
}

void Simulator::mode(const Step& step) {
    host_->setMode(step.args[0]);
    printLine("mode " + step.args[0]);
}

void Simulator::delay(const Step& step) {
    if (step.args.size() == 1) {
        host_->setAnswerDelay(number(step.args[0]));
        printLine("answer delay " + step.args[0] + " ms");
        return;
    }
    host_->setAnswerDelay(number(step.args[0]), *automationMemberId(step.args[1]));
    printLine("answer delay " + step.args[0] + " ms for " + step.args[1]);
}

void Simulator::commands(const Step&) {
    const std::vector<std::wstring> received = host_->commands();
    printLine("commands: " + std::to_string(received.size()));
    for (const std::wstring& text : received) {
        printLine("  " + ansi(text));
    }
}

void Simulator::waitCommand(const Step& step) {
    const std::wstring wanted = wideFromAnsi(step.args[0]);
    const bool arrived = pumpUntil(
        [&] {
            const std::vector<std::wstring> received = host_->commands();
            return std::find(received.begin(), received.end(), wanted) != received.end();
        },
        timeout_);
    if (!arrived) {
        throw StepFailure("no command " + quoted(step.args[0]) + " arrived within " + std::to_string(timeout_) + " ms");
    }
    printLine("command " + quoted(step.args[0]) + " received");
}

void Simulator::wait(const Step& step) {
    pumpFor(number(step.args[0]));
}

void Simulator::waitWindow(const Step& step) {
    findWindowOrFail(step.args[0]);
    printLine("window " + quoted(step.args[0]) + " is open");
}

void Simulator::waitClosed(const Step& step) {
    if (!waitForNoWindow(step.args[0], nullptr, timeout_, pumpingIdle)) {
        throw StepFailure("the window " + quoted(step.args[0]) + " is still open after " + std::to_string(timeout_) +
                          " ms");
    }
    printLine("window " + quoted(step.args[0]) + " is closed");
}

void Simulator::click(const Step& step) {
    HWND window = findWindowOrFail(step.args[0]);
    const int id = static_cast<int>(number(step.args[1]));
    const DWORD bound = timeout_;
    auto error = std::make_shared<std::string>();
    auto ok = std::make_shared<bool>(false);
    runPumping([=] { *ok = clickControl(window, id, bound, *error); });
    if (!*ok) {
        throw StepFailure(*error);
    }
    printLine("clicked " + quoted(step.args[0]) + " " + step.args[1]);
}

void Simulator::checked(const Step& step) {
    HWND window = findWindowOrFail(step.args[0]);
    const int id = static_cast<int>(number(step.args[1]));
    const DWORD bound = timeout_;
    auto error = std::make_shared<std::string>();
    auto state = std::make_shared<int>(-1);
    runPumping([=] { *state = checkState(window, id, bound, *error); });
    if (*state < 0) {
        throw StepFailure(*error);
    }
    printLine("checked " + quoted(step.args[0]) + " " + step.args[1] + " = " + std::to_string(*state));
}

void Simulator::expectDialog(const Step& step) {
    const std::string caption = step.args[0];
    const int button = step.args[1] == "ok" ? IDOK : IDCANCEL;
    std::vector<std::pair<int, std::string>> fields;
    for (size_t i = 2; i < step.args.size(); ++i) {
        std::string id, text;
        parseAssignment(step.args[i], id, text);
        fields.emplace_back(static_cast<int>(number(id)), text);
    }
    auto answer = std::make_unique<ArmedAnswer>();
    answer->where = step.where() + ": expect-dialog " + quoted(caption);
    answer->deadline = GetTickCount64() + timeout_;
    const DWORD bound = timeout_;
    const std::string buttonName = step.args[1];
    answer->helper =
        std::make_unique<HelperThread>([caption, button, buttonName, fields, bound, outcome = answer->outcome] {
            HWND dialog = waitForWindow(caption, "#32770", bound, sleepingIdle);
            if (dialog == nullptr) {
                outcome->message = "no dialog " + quoted(caption) + " appeared within " + std::to_string(bound) + " ms";
                return;
            }
            for (const auto& [id, text] : fields) {
                std::string error;
                if (!setControl(dialog, id, text, bound, error)) {
                    outcome->message = "dialog " + quoted(caption) + ": " + error + " (cancelled)";
                    postButtonCommand(dialog, IDCANCEL);  // let the host's thread go on
                    return;
                }
            }
            postButtonCommand(dialog, button);
            if (!waitForNoWindow(caption, "#32770", bound, sleepingIdle) && IsWindow(dialog)) {
                outcome->message = "dialog " + quoted(caption) + " is still open after " + buttonName;
                return;
            }
            outcome->ok = true;
            outcome->message = "dialog " + quoted(caption) + ": " + buttonName;
        });
    armed_.push_back(std::move(answer));
}

void Simulator::closeMessage(const Step& step) {
    const std::string caption = step.args[0];
    auto answer = std::make_unique<ArmedAnswer>();
    answer->where = step.where() + ": close-message " + quoted(caption);
    answer->deadline = GetTickCount64() + timeout_;
    const DWORD bound = timeout_;
    answer->helper = std::make_unique<HelperThread>([caption, bound, outcome = answer->outcome] {
        HWND box = waitForWindow(caption, "#32770", bound, sleepingIdle);
        if (box == nullptr) {
            outcome->message =
                "no message box " + quoted(caption) + " appeared within " + std::to_string(bound) + " ms";
            return;
        }
        const std::string text = controlText(box, 0xFFFF, bound);  // a message box's text control
        postButtonCommand(box, IDOK);
        if (!waitForNoWindow(caption, "#32770", bound, sleepingIdle) && IsWindow(box)) {
            outcome->message = "message box " + quoted(caption) + " is still open after OK";
            return;
        }
        outcome->ok = true;
        outcome->message = "message " + quoted(caption) + " closed: " + text;
    });
    armed_.push_back(std::move(answer));
}

void Simulator::screenshot(const Step& step) {
    HWND window = findWindowOrFail(step.args[0]);
    std::string error;
    SIZE size{};
    if (!saveWindowBitmap(window, step.args[1], error, size)) {
        throw StepFailure(error);
    }
    printLine("screenshot " + quoted(step.args[0]) + " " + std::to_string(size.cx) + "x" + std::to_string(size.cy) +
              " -> " + step.args[1]);
}

void Simulator::timeout(const Step& step) {
    timeout_ = number(step.args[0]);
}

void Simulator::echo(const Step& step) {
    std::string text;
    for (const std::string& word : step.args) {
        text += (text.empty() ? "" : " ") + word;
    }
    printLine(text);
}

void Simulator::waitCall(const Step& step) {
    const DISPID member = *automationMemberId(step.args[0]);
    const bool answered = step.args[1] == "answered";
    const bool found = pumpUntil(
        [&] {
            const std::vector<HostAutomation::CallEvent> log = host_->callLog();
            for (size_t i = callLogSeen_; i < log.size(); ++i) {
                if (log[i].member == member && log[i].answered == answered) {
                    callLogSeen_ = i + 1;
                    return true;
                }
            }
            return false;
        },
        timeout_);
    if (!found) {
        throw StepFailure("no call of " + step.args[0] + " " + step.args[1] + " within " + std::to_string(timeout_) +
                          " ms");
    }
    printLine("call of " + step.args[0] + " " + step.args[1]);
}

void Simulator::waitQueued(const Step&) {
    const ULONGLONG deadline = GetTickCount64() + timeout_;
    while (!automationCallQueued()) {
        if (GetTickCount64() >= deadline) {
            throw StepFailure("no automation call was queued within " + std::to_string(timeout_) + " ms");
        }
        // Sent messages are delivered meanwhile; posted ones stay queued.
        MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_POSTMESSAGE | QS_SENDMESSAGE, 0);
    }
    printLine("an automation call waits in the host's queue");
}

void Simulator::roundTrip(const Step&) {
    auto answer = std::make_shared<std::string>();
    auto error = std::make_shared<std::string>();
    runPumping([=] {
        try {
            *answer = readFrequencyAsAClient();
        } catch (const std::exception& failure) {
            *error = failure.what();
        }
    });
    if (!error->empty()) {
        throw StepFailure(*error);
    }
    printLine("round trip: frequency " + *answer + " Hz");
}

void Simulator::quit(const Step& step) {
    PostQuitMessage(static_cast<int>(number(step.args[0])));
    printLine("PostQuitMessage(" + step.args[0] + ")");
}

void Simulator::waitQuit(const Step&) {
    const ULONGLONG deadline = GetTickCount64() + timeout_;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                printLine("WM_QUIT " + std::to_string(message.wParam) + " reached the host's loop");
                return;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            throw StepFailure("no WM_QUIT reached the host's loop within " + std::to_string(timeout_) + " ms");
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void Simulator::post(const Step& step) {
    auto command = std::make_unique<std::string>(step.args[0]);
    if (!PostMessageA(hostWindow_.get(), kPostedCommandMessage, 0, reinterpret_cast<LPARAM>(command.get()))) {
        throw StepFailure("cannot post to the host's window");
    }
    static_cast<void>(command.release());  // the handler owns it
    printLine("posted RunCommand0 " + step.args[0]);
}

void Simulator::sendDuringUnload(const Step& step) {
    auto answer = std::make_unique<ArmedAnswer>();
    answer->where = step.where() + ": send-during-unload";
    answer->deadline = GetTickCount64() + timeout_;
    const DWORD bound = timeout_;
    HWND window = hostWindow_.get();
    const std::atomic<bool>* unloading = &unloading_;
    // The helper must be running before the step after this one starts: a
    // thread that starts while FreeLibrary holds the loader's lock waits for
    // it, and would miss the unload.
    auto running = std::make_shared<ScopedHandle>(makeEvent());
    answer->helper = std::make_unique<HelperThread>([window, bound, unloading, running, outcome = answer->outcome] {
        SetEvent(running->get());
        const ULONGLONG deadline = GetTickCount64() + bound;
        while (!unloading->load()) {
            if (GetTickCount64() >= deadline) {
                outcome->message =
                    "the host's thread did not enter FreeLibrary within " + std::to_string(bound) + " ms";
                return;
            }
            Sleep(5);
        }
        std::string answers;
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutA(window, kSentDuringUnloadMessage, 0, reinterpret_cast<LPARAM>(&answers), SMTO_NORMAL,
                                 bound, &ignored)) {
            outcome->message =
                "the host's thread did not take the sent message within " + std::to_string(bound) + " ms";
            return;
        }
        outcome->ok = answers.rfind("sent during FreeLibrary:", 0) == 0;
        outcome->message = answers;
    });
    if (!waitPumping(running->get(), bound)) {
        throw StepFailure("the sending thread did not start within " + std::to_string(bound) + " ms");
    }
    armed_.push_back(std::move(answer));
}

void Simulator::postUnload(const Step&) {
    if (!PostMessageA(hostWindow_.get(), kPostedUnloadMessage, 0, 0)) {
        throw StepFailure("cannot post to the host's window");
    }
    printLine("posted FreeLibrary");
}

void Simulator::floodDuringUnload(const Step& step) {
    auto answer = std::make_unique<ArmedAnswer>();
    answer->where = step.where() + ": flood-during-unload";
    const DWORD bound = 3 * timeout_;  // how long the flood goes on at most
    answer->deadline = GetTickCount64() + timeout_ + bound;
    const DWORD startBound = timeout_;
    HWND window = hostWindow_.get();
    const std::atomic<bool>* unloading = &unloading_;
    auto running = std::make_shared<ScopedHandle>(makeEvent());
    answer->helper =
        std::make_unique<HelperThread>([window, bound, startBound, unloading, running, outcome = answer->outcome] {
            SetEvent(running->get());
            const ULONGLONG start = GetTickCount64() + startBound;
            while (!unloading->load()) {
                if (GetTickCount64() >= start) {
                    outcome->message =
                        "the host's thread did not enter FreeLibrary within " + std::to_string(startBound) + " ms";
                    return;
                }
                Sleep(5);
            }
            // Several senders, each sending one message after the other, so that
            // one is nearly always waiting for as long as FreeLibrary runs: a wait
            // that lets sent messages through must still end at its own deadline.
            const ULONGLONG deadline = GetTickCount64() + bound;
            std::atomic<bool> outlasted{false};
            auto flood = [window, unloading, deadline, &outlasted] {
                while (unloading->load()) {
                    if (GetTickCount64() >= deadline) {
                        outlasted = true;
                        return;
                    }
                    DWORD_PTR ignored = 0;
                    SendMessageTimeoutA(window, kFloodMessage, 0, 0, SMTO_NORMAL, 100, &ignored);
                }
            };
            std::vector<std::thread> senders;
            for (int i = 0; i < kFloodSenders; ++i) {
                senders.emplace_back(flood);
            }
            for (std::thread& sender : senders) {
                sender.join();
            }
            if (outlasted) {
                outcome->message = "FreeLibrary did not return while messages kept coming (" + std::to_string(bound) +
                                   " ms); it may have returned once they stopped";
                return;
            }
            outcome->ok = true;
            outcome->message = "FreeLibrary returned while other threads kept sending messages";
        });
    if (!waitPumping(running->get(), startBound)) {
        throw StepFailure("the sending thread did not start within " + std::to_string(startBound) + " ms");
    }
    armed_.push_back(std::move(answer));
}

void Simulator::mapped(const Step& step) {
    const bool isMapped = GetModuleHandleA(step.args[0].c_str()) != nullptr;
    printLine(step.args[0] + (isMapped ? " is mapped" : " is not mapped"));
}

void Simulator::waitUnmapped(const Step& step) {
    const std::string& name = step.args[0];
    if (pumpUntil([&name] { return GetModuleHandleA(name.c_str()) == nullptr; }, timeout_)) {
        printLine(name + " is not mapped");
    } else {
        printLine(name + " is still mapped after " + std::to_string(timeout_) + " ms");
    }
}

LRESULT CALLBACK Simulator::hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Simulator*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr && message == kPostedCommandMessage) {
        std::unique_ptr<std::string> command(reinterpret_cast<std::string*>(lParam));
        self->onPostedCommand(*command);
        return 0;
    }
    if (self != nullptr && message == kPostedUnloadMessage) {
        self->onPostedUnload();
        return 0;
    }
    if (message == kFloodMessage) {
        return 1;
    }
    if (self != nullptr && message == kSentDuringUnloadMessage) {
        self->onSentDuringUnload(*reinterpret_cast<std::string*>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Simulator::onPostedCommand(const std::string& command) {
    const std::string what = "posted RunCommand0 " + command;
    if (unloading_) {
        const char* answer = unloadingPlugin_->exports().RunCommand0(0, command.c_str());
        printLine(what + " dispatched inside FreeLibrary = " + quoted(answer != nullptr ? answer : ""));
    } else if (!plugin_) {
        printLine(what + " dispatched with no plug-in loaded: not called");
    } else {
        const char* answer = plugin_->exports().RunCommand0(0, command.c_str());
        printLine(what + " = " + quoted(answer != nullptr ? answer : ""));
    }
}

void Simulator::onPostedUnload() {
    if (!plugin_) {
        printLine("posted FreeLibrary dispatched with no plug-in loaded: not called");
        return;
    }
    const std::string name = plugin_->fileName();
    plugin_->freeLibrary();
    freedByHandler_.push_back(std::move(plugin_));
    ++freedCount_;
    printLine("posted FreeLibrary of " + name + " dispatched: the handler returned");
}

bool Simulator::freedDuringCall(size_t before, const std::string& call) {
    if (freedCount_ == before) {
        return false;
    }
    printLine(call + " returned to a host that freed the plug-in inside it");
    return true;
}

void Simulator::onSentDuringUnload(std::string& outcome) {
    if (!unloading_) {
        outcome = "the sent message arrived outside FreeLibrary";
        return;
    }
    const LoadedPlugin& leaving = *unloadingPlugin_;
    LogContact contact;
    contact.call = "PY1AA";
    contact.band = "40m";
    contact.mode = "CW";
    contact.exchangeSent = "SP";
    contact.exchangeReceived = "RJ";
    const char* command = leaving.exports().RunCommand0(0, "SHOWINFO");
    const int check = leaving.checkCall("PY1AA", "CW", "PY", "RJ", "40m");
    const int added = leaving.addData(contact);
    int status = 0;
    const char* summary = leaving.exports().GetResult0(&status);
    outcome = "sent during FreeLibrary: RunCommand0 SHOWINFO = " + quoted(command != nullptr ? command : "") +
              ", CheckCall0 = " + std::to_string(check) + ", AddData0 = " + std::to_string(added) +
              ", GetResult0 = " + quoted(summary != nullptr ? summary : "");
}

}  // namespace pelksim
