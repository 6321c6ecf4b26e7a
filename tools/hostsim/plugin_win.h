// The plug-in as the host holds it: loaded by path, every export found by its
// plain name and checked against its decorated twin, and called with the
// host's argument lists.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

#include "abi/date_time_arg.h"
#include "abi/stats_exports.h"
#include "logfile/log_contact.h"

namespace pelksim {

// Every export by its plain name.
struct PluginExports {
#define HOSTSIM_EXPORT_MEMBER(result, plain, twin, params) decltype(&::plain) plain = nullptr;
    STATS_EXPORTS(HOSTSIM_EXPORT_MEMBER)
#undef HOSTSIM_EXPORT_MEMBER
};

// A plug-in that cannot be used; what() names the file and the problem.
class PluginError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class LoadedPlugin {
public:
    // LoadLibraryA of the path, then every plain name and every decorated
    // twin of resources/Stats.def must resolve, each twin to the address of
    // its plain name. Throws PluginError listing every name that does not
    // (the library is freed again).
    explicit LoadedPlugin(const std::string& path);
    // FreeLibrary, unless freeLibrary() came first.
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    const std::string& fileName() const { return fileName_; }
    // FreeLibrary now, while the object stays for callers still inside an
    // export (a host's handler that unloads the plug-in from a message an
    // export dispatches); the exports must not be called again.
    void freeLibrary();
    const PluginExports& exports() const { return exports_; }

    // The host's calls, with every argument it passes. A contact's time is
    // passed as a valid date-time.
    int addData(const torv::logfile::LogContact& contact) const;
    int removeData(const torv::logfile::LogContact& contact) const;
    int resetStats(int exportFlag, const std::string& contestantCall, const torv::abi::DateTimeArg& start,
                   const torv::abi::DateTimeArg& end) const;
    int checkCall(const std::string& call, const std::string& mode, const std::string& prefix,
                  const std::string& areaText, const std::string& band) const;

private:
    HMODULE module_ = nullptr;
    std::string fileName_;
    PluginExports exports_;
};

}  // namespace pelksim
