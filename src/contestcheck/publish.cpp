#include "contestcheck/publish.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <system_error>
#include <unordered_map>

#include "calendar/ascii_case.h"
#include "io/atomic_file.h"
#include "io/files.h"

namespace torv::contestcheck {

namespace {

using calendar::lowerCase;
using io::AtomicFile;
using io::FileIdentity;
using io::FolderEntry;
using io::pathOf;

constexpr const char* kManifestHeading = "# written by torv check; the next run removes what it no longer writes";

// What the last run's manifest lists, where there is one: only names a
// check writes, never anything else (the manifest is a file in a folder
// others can write to).
std::vector<std::string> lastWritten(const std::string& manifest) {
    const io::WholeFile file = io::readWholeFile(manifest, 16 << 20);
    std::vector<std::string> names;
    size_t start = 0;
    while (file.error.empty() && start < file.bytes.size()) {
        size_t end = file.bytes.find('\n', start);
        end = end == std::string::npos ? file.bytes.size() : end;
        std::string line = file.bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (isOutputName(line)) {
            names.push_back(line);
        }
        start = end + 1;
    }
    return names;
}

// The output folders (the output folder, "", and kReportFolder), each
// listed once when first asked: asking the system for every missing name
// costs a scan of the whole folder under wine. None for a folder that
// cannot be read (it may hold anything); no entries for one not there.
class OutputFolders {
public:
    explicit OutputFolders(std::string out) : out_(std::move(out)) {}

    const std::optional<std::vector<FolderEntry>>& entries(const std::string& folder) {
        auto [at, added] = listings_.try_emplace(folder);
        if (added) {
            io::FolderListing listed = io::listFolder(folder.empty() ? out_ : out_ + "/" + folder);
            if (!listed.error || listed.error == std::errc::no_such_file_or_directory) {
                at->second = std::move(listed.entries);
            }
        }
        return at->second;
    }

    // The folder and the name of an output's path relative to the output folder.
    static std::pair<std::string, std::string> split(const std::string& name) {
        const size_t slash = name.rfind('/');
        return slash == std::string::npos ? std::make_pair(std::string(), name)
                                          : std::make_pair(name.substr(0, slash), name.substr(slash + 1));
    }

private:
    std::string out_;
    std::map<std::string, std::optional<std::vector<FolderEntry>>> listings_;
};

std::vector<std::string> namesOf(const std::vector<PlannedFile>& plan) {
    std::vector<std::string> names = {kManifest};
    for (const PlannedFile& file : plan) {
        names.push_back(file.name);
    }
    return names;
}

bool isOneOf(const std::set<FileIdentity>& identities, const std::string& path) {
    const std::optional<FileIdentity> id = io::fileIdentity(path);
    return id && identities.count(*id) != 0;
}

std::set<FileIdentity> identitiesOf(const std::vector<std::string>& paths) {
    std::set<FileIdentity> identities;
    for (const std::string& path : paths) {
        if (const std::optional<FileIdentity> id = io::fileIdentity(path)) {
            identities.insert(*id);
        }
    }
    return identities;
}

// Removes the temporaries of outputs a killed run left in the output
// folders: plain files only, named as AtomicFile names an output's.
void removeLeftovers(const std::string& out, OutputFolders& folders) {
    for (const std::string& folder : {std::string(), std::string(kReportFolder)}) {
        const std::optional<std::vector<FolderEntry>>& entries = folders.entries(folder);
        for (const FolderEntry& entry : entries ? *entries : std::vector<FolderEntry>()) {
            const std::string name = io::nameOfTemporary(entry.name);
            const std::string relative = folder.empty() ? name : folder + "/" + name;
            if (entry.kind == FolderEntry::Kind::kFile && !name.empty() &&
                (isOutputName(relative) || relative == kManifest)) {
                std::error_code error;
                std::filesystem::remove(pathOf(out + "/" + (folder.empty() ? "" : folder + "/") + entry.name), error);
            }
        }
    }
}

// The outputs in whose place a folder stands: no file could take it.
std::vector<std::string> foldersInPlace(const std::string& out, const std::vector<std::string>& names,
                                        OutputFolders& folders) {
    std::vector<std::string> problems;
    for (const std::string& name : names) {
        const auto [folder, file] = OutputFolders::split(name);
        const std::optional<std::vector<FolderEntry>>& entries = folders.entries(folder);
        const bool folderThere =
            entries && std::any_of(entries->begin(), entries->end(), [&file = file](const FolderEntry& entry) {
                return entry.kind == FolderEntry::Kind::kFolder && entry.name == file;
            });
        if (folderThere) {
            problems.push_back("cannot write " + out + "/" + name + ": a folder is in its place");
        }
    }
    return problems;
}

// The folders publish makes, removed again (when still empty) if nothing
// is published.
class MadeFolders {
public:
    // Makes `path` and the folders above it that are missing; empty when
    // done, else why not.
    std::string make(const std::string& path) {
        std::vector<std::filesystem::path> missing;
        std::error_code error;
        for (std::filesystem::path p = pathOf(path); !p.empty() && !std::filesystem::exists(p, error);
             p = p.parent_path()) {
            missing.push_back(p);
            if (p == p.parent_path()) {
                break;
            }
        }
        std::filesystem::create_directories(pathOf(path), error);
        made_.insert(made_.end(), missing.begin(), missing.end());
        return error ? error.message() : std::string();
    }

    // Removes the folders made, the deepest first, those still empty only.
    void removeIfEmpty() const {
        for (const std::filesystem::path& folder : made_) {
            std::error_code error;
            std::filesystem::remove(folder, error);
        }
    }

private:
    std::vector<std::filesystem::path> made_;
};

}  // namespace

std::string outputThatIsAnInput(const std::string& out, const std::vector<PlannedFile>& plan,
                                const std::vector<std::string>& inputs) {
    OutputFolders folders(out);
    std::vector<std::string> existing;
    // Letters are compared without case (a Windows folder has no case) and
    // a name with other than ASCII letters is always asked of the system,
    // so no existing file is left out.
    std::map<std::string, std::set<std::string>> lowerNames;
    for (const std::string& name : namesOf(plan)) {
        const auto [folder, file] = OutputFolders::split(name);
        const std::optional<std::vector<FolderEntry>>& entries = folders.entries(folder);
        auto [names, added] = lowerNames.try_emplace(folder);
        if (added && entries) {
            for (const FolderEntry& entry : *entries) {
                names->second.insert(lowerCase(entry.name));
            }
        }
        const bool plainAscii = std::all_of(file.begin(), file.end(), [](char c) { return (c & 0x80) == 0; });
        if (!entries || !plainAscii || names->second.count(lowerCase(file)) != 0) {
            existing.push_back(out + "/" + name);
        }
    }
    if (existing.empty()) {
        return std::string();
    }
    const std::set<FileIdentity> identities = identitiesOf(inputs);
    for (const std::string& output : existing) {
        if (isOneOf(identities, output)) {
            return output;
        }
    }
    return std::string();
}

Publication publish(const std::string& out, const std::vector<PlannedFile>& plan, unsigned threads,
                    const std::vector<std::string>& inputs, const std::function<bool()>& interrupted) {
    Publication publication;
    OutputFolders folders(out);
    removeLeftovers(out, folders);
    publication.problems = foldersInPlace(out, namesOf(plan), folders);
    if (!publication.problems.empty()) {
        return publication;
    }
    MadeFolders made;
    const std::string reports = out + "/" + kReportFolder;
    if (const std::string error = made.make(reports); !error.empty()) {
        publication.problems.push_back("cannot make the folder " + reports + ": " + error);
        made.removeIfEmpty();
        return publication;
    }

    // Every file made under its temporary name, none yet in its place.
    std::vector<std::unique_ptr<AtomicFile>> staged(plan.size() + 1);
    std::unordered_map<std::string, size_t> indexOf;
    for (size_t i = 0; i < plan.size(); ++i) {
        indexOf.emplace(plan[i].name, i);
    }
    const std::vector<std::string> failures = makeOutputs(
        plan, threads,
        [&](const std::string& name, const std::string& text) {
            auto file = std::make_unique<AtomicFile>(out + "/" + name);
            if (file->error().empty()) {
                file->write(text);
                file->finish();
            }
            const std::string error = file->error();
            staged[indexOf.at(name)] = std::move(file);
            return error;
        },
        interrupted);
    std::string list = std::string(kManifestHeading) + "\n";
    for (size_t i = 0; i < plan.size(); ++i) {
        list += plan[i].name + "\n";
        if (!failures[i].empty() && failures[i] != kNotMade) {
            publication.problems.push_back("cannot write " + out + "/" + plan[i].name + ": " + failures[i]);
        }
    }
    const std::string manifest = out + "/" + kManifest;
    staged.back() = std::make_unique<AtomicFile>(manifest);
    if (staged.back()->error().empty()) {
        staged.back()->write(list);
        staged.back()->finish();
    }
    if (!staged.back()->error().empty()) {
        publication.problems.push_back("cannot write " + manifest + ": " + staged.back()->error());
    }
    publication.interrupted = interrupted && interrupted();
    if (publication.interrupted || !publication.problems.empty()) {
        staged.clear();  // removes the temporaries
        made.removeIfEmpty();
        return publication;
    }

    // The files take their places; the manifest last, once the stale files
    // it no longer lists are gone.
    for (size_t i = 0; i < plan.size(); ++i) {
        if (const std::string error = staged[i]->commit(); !error.empty()) {
            publication.problems.push_back("cannot write " + out + "/" + plan[i].name + ": " + error);
        }
    }
    std::vector<std::string> stale;
    for (const std::string& name : lastWritten(manifest)) {
        if (indexOf.count(name) == 0) {
            stale.push_back(name);
        }
    }
    if (!stale.empty()) {
        const std::set<FileIdentity> identities = identitiesOf(inputs);
        for (const std::string& name : stale) {
            if (!isOneOf(identities, out + "/" + name)) {
                std::error_code error;
                std::filesystem::remove(pathOf(out + "/" + name), error);
            }
        }
    }
    if (const std::string error = staged.back()->commit(); !error.empty()) {
        publication.problems.push_back("cannot write " + manifest + ": " + error);
    }
    publication.published = true;
    return publication;
}

}  // namespace torv::contestcheck
