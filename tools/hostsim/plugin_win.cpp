#include "hostsim/plugin_win.h"

#include <vector>

#include "hostsim/export_twins.h"  // generated from resources/Stats.def

using torv::abi::DateTimeArg;
using torv::abi::kDateTimeNull;
using torv::abi::kDateTimeValid;
using torv::logfile::LogContact;

namespace pelksim {

namespace {

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string systemMessage(DWORD error) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 && text != nullptr ? std::string(text, length) : std::string();
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
        message.pop_back();
    }
    return "error " + std::to_string(error) + (message.empty() ? "" : " (" + message + ")");
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

// Calls an AddData0-shaped export with the host's 33 arguments; the fields no
// rule reads are passed empty, zero or as null date-times, as the host does
// for a contest log that does not use them.
template <typename Function>
int callWithContact(Function function, const LogContact& c) {
    DateTimeArg time{c.oleDate, kDateTimeValid};
    DateTimeArg unused{0.0, kDateTimeNull};
    return function(c.ownCall.c_str(), c.call.c_str(), &time, &unused, &unused, &unused, 0u, c.frequency,
                    c.mode.c_str(), c.rstSent.c_str(), c.rstReceived.c_str(), c.exchangeSent.c_str(),
                    c.exchangeReceived.c_str(), "", "", "", "", "", "", "", "", "", c.prefix.c_str(), 0, 0, 0, 0.0, 0.0,
                    "", "", "", c.band.c_str(), "");
}

}  // namespace

LoadedPlugin::LoadedPlugin(const std::string& path) : fileName_(fileNameOf(path)) {
    module_ = LoadLibraryA(path.c_str());
    if (module_ == nullptr) {
        throw PluginError("cannot load " + path + ": " + systemMessage(GetLastError()));
    }
    auto address = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module_, name)); };

    std::vector<std::string> missing;
#define HOSTSIM_RESOLVE(result, plain, twin, params)                              \
    exports_.plain = reinterpret_cast<decltype(exports_.plain)>(address(#plain)); \
    if (exports_.plain == nullptr) {                                              \
        missing.push_back(#plain);                                                \
    }
    STATS_EXPORTS(HOSTSIM_RESOLVE)
#undef HOSTSIM_RESOLVE

    std::vector<std::string> elsewhere;
    for (const ExportTwin& pair : kExportTwins) {
        void* const twin = address(pair.twin);
        if (twin == nullptr) {
            missing.push_back(pair.twin);
        } else if (twin != address(pair.plain)) {
            elsewhere.push_back(std::string(pair.twin) + " (not the function " + pair.plain + ")");
        }
    }
    if (!missing.empty() || !elsewhere.empty()) {
        FreeLibrary(module_);
        std::string problem = fileName_ + " is not a usable plug-in:";
        if (!missing.empty()) {
            problem += " no export named " + joined(missing) + (elsewhere.empty() ? "" : ";");
        }
        if (!elsewhere.empty()) {
            problem += " twins at another address: " + joined(elsewhere);
        }
        throw PluginError(problem);
    }
}

LoadedPlugin::~LoadedPlugin() {
    freeLibrary();
}

void LoadedPlugin::freeLibrary() {
    if (module_ != nullptr) {
        FreeLibrary(module_);
        module_ = nullptr;
    }
}

int LoadedPlugin::addData(const LogContact& contact) const {
    return callWithContact(exports_.AddData0, contact);
}

int LoadedPlugin::removeData(const LogContact& contact) const {
    return callWithContact(exports_.RemoveData0, contact);
}

int LoadedPlugin::resetStats(int exportFlag, const std::string& contestantCall, const DateTimeArg& start,
                             const DateTimeArg& end) const {
    DateTimeArg startCopy = start;
    DateTimeArg endCopy = end;
    return exports_.ResetStats0("", exportFlag, contestantCall.c_str(), &startCopy, &endCopy, "", "", "", "", "", "",
                                "", "", "", "", 0, 0, 0, 0.0, 0.0, "", "", "");
}

int LoadedPlugin::checkCall(const std::string& call, const std::string& mode, const std::string& prefix,
                            const std::string& areaText, const std::string& band) const {
    // The host's two output buffers; nothing the plug-in writes there is read.
    char buffer27[256] = {};
    char buffer28[256] = {};
    return exports_.CheckCall0(call.c_str(), 0u, 0u, mode.c_str(), "", "", "", "", "", "", "", "", "", prefix.c_str(),
                               0, 0, 0, 0.0, 0.0, "", "", "", "", areaText.c_str(), band.c_str(), "", buffer27,
                               buffer28);
}

}  // namespace pelksim
