// Stats.dll loaded as the host loads it: LoadLibrary by path, every export
// looked up by name.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "support/scoring_pass.h"
#include "win/program_run.h"

class PluginLibrary {
public:
    // Loads the Stats.dll next to this program.
    PluginLibrary();
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    HMODULE handle() const { return module_; }
    FARPROC address(const std::string& name) const;
    // Every export by its plain name; names that do not resolve stay null.
    ExportTable exports() const;

private:
    HMODULE module_;
};

// How long a test waits for a window or an answer of the plug-in.
constexpr DWORD kWindowBound = 20000;

// (plain name, decorated twin) pairs read from resources/Stats.def.
std::vector<std::pair<std::string, std::string>> definedTwins();
