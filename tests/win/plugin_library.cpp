#include "win/plugin_library.h"

#include <sstream>

#include "support/files.h"

PluginLibrary::PluginLibrary() : module_(LoadLibraryA((programFolder() + STATS_DLL_NAME).c_str())) {}

PluginLibrary::~PluginLibrary() {
    if (module_ != nullptr) {
        FreeLibrary(module_);
    }
}

FARPROC PluginLibrary::address(const std::string& name) const {
    return module_ != nullptr ? GetProcAddress(module_, name.c_str()) : nullptr;
}

ExportTable PluginLibrary::exports() const {
    ExportTable table;
#define STATS_TABLE_RESOLVE(result, plain, twin, params) \
    table.plain = reinterpret_cast<decltype(table.plain)>(reinterpret_cast<void*>(address(#plain)));
    STATS_EXPORTS(STATS_TABLE_RESOLVE)
#undef STATS_TABLE_RESOLVE
    return table;
}

std::vector<std::pair<std::string, std::string>> definedTwins() {
    std::vector<std::pair<std::string, std::string>> twins;
    std::istringstream def(readFile(testDataPath("../resources/Stats.def")));
    std::string line;
    while (std::getline(def, line)) {
        const size_t equals = line.find(" = ");
        if (equals == std::string::npos) {
            continue;
        }
        const size_t start = line.find_first_not_of(' ');
        std::string plain = line.substr(equals + 3);
        plain.erase(plain.find_last_not_of("\r ") + 1);
        twins.emplace_back(plain, line.substr(start, equals - start));
    }
    return twins;
}
