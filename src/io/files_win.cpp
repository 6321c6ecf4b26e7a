// Files on Windows: every path goes through the wide (UTF-16) functions,
// and a file written takes its place in one step.
#include <windows.h>

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <vector>

#include "io/atomic_file.h"
#include "io/files.h"

namespace torv::io {

namespace {

std::string lastErrorText() {
    return std::system_category().message(static_cast<int>(GetLastError()));
}

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

// Wine's name for a Windows path, in its Unix charset; none outside wine.
std::optional<std::string> unixNameUnderWine(const std::wstring& path) {
    using UnixNameOf = char*(CDECL*)(LPCWSTR);
    static const auto unixNameOf = reinterpret_cast<UnixNameOf>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (unixNameOf == nullptr) {
        return std::nullopt;
    }
    char* name = unixNameOf(path.c_str());
    if (name == nullptr) {
        return std::nullopt;
    }
    std::string unixName(name);
    HeapFree(GetProcessHeap(), 0, name);
    return unixName;
}

// Wine's form of a folder, as pathOfNewFile uses it; empty when there is none.
std::wstring unixFolderUnderWine(const std::wstring& folder) {
    const std::optional<std::string> unixFolder = unixNameUnderWine(folder);
    if (!unixFolder || unixFolder->empty() || (*unixFolder)[0] != '/') {
        return std::wstring();
    }
    std::wstring unixPath = L"\\\\?\\unix" + pathOf(*unixFolder).wstring();
    std::replace(unixPath.begin(), unixPath.end(), L'/', L'\\');
    if (unixPath.back() != L'\\') {
        unixPath += L'\\';
    }
    return unixPath;
}

// The path by which a file this tool makes is opened or renamed. Under wine
// a name that does not exist yet is looked for in its folder letter case
// aside, entry by entry, before it is made, so writing n files into one
// folder costs n² there (a large contest's UBN reports took half a minute).
// Wine's own form, \\?\unix\ and the Unix path, is looked up exactly: the
// folder is converted once by wine, and the file's own name follows it.
// On Windows, and for a folder wine cannot convert, the path as it is.
std::wstring pathOfNewFile(const std::string& path) {
    const std::wstring wide = pathOf(path).wstring();
    const size_t slash = wide.find_last_of(L"/\\");
    const std::wstring folder = slash == std::wstring::npos ? L"." : wide.substr(0, slash + 1);
    // A file is made, then renamed, in few folders: each is converted once
    // (the files of a large check are made on several threads).
    static std::mutex guard;
    static std::map<std::wstring, std::wstring> unixFolders;
    std::wstring unixFolder;
    {
        const std::lock_guard<std::mutex> lock(guard);
        auto [at, added] = unixFolders.try_emplace(folder);
        if (added) {
            at->second = unixFolderUnderWine(folder);
        }
        unixFolder = at->second;
    }
    if (unixFolder.empty()) {
        return wide;
    }
    return unixFolder + wide.substr(slash == std::wstring::npos ? 0 : slash + 1);
}

}  // namespace

File openFile(const std::string& path, const char* mode) {
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    const std::wstring widePath = mode[0] == 'w' ? pathOfNewFile(path) : pathOf(path).wstring();
    return File(_wfopen(widePath.c_str(), wideMode.c_str()));
}

std::optional<OpenFileFacts> factsOf(std::FILE* file) {
    struct _stat64 status {};
    if (_fstat64(_fileno(file), &status) != 0) {
        return std::nullopt;
    }
    return OpenFileFacts{static_cast<uint64_t>(status.st_size), static_cast<int64_t>(status.st_mtime),
                         (status.st_mode & _S_IFDIR) != 0, (status.st_mode & _S_IFREG) != 0};
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    // No access asked, every sharing allowed: a file another program holds
    // open is still identified; folders need the backup-semantics flag.
    const HANDLE opened = CreateFileW(pathOf(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    const std::unique_ptr<void, HandleCloser> handle(opened);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle.get(), &information)) {
        return std::nullopt;
    }
    return FileIdentity{information.dwVolumeSerialNumber,
                        (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

namespace {

// A path as the system finds it, letter case aside: the nearest part of it
// that exists by its final path (links and junctions resolved), the rest
// as written, in lower case.
std::filesystem::path comparablePath(const std::string& text) {
    std::error_code error;
    std::filesystem::path existing = std::filesystem::absolute(pathOf(text), error).lexically_normal();
    std::filesystem::path rest;
    while (!existing.empty() && !existing.has_filename() && existing.has_relative_path()) {
        existing = existing.parent_path();  // "C:\out\" is "C:\out"
    }
    for (;;) {
        const HANDLE opened = CreateFileW(existing.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (opened != INVALID_HANDLE_VALUE) {
            const std::unique_ptr<void, HandleCloser> handle(opened);
            std::wstring final(32768, L'\0');
            const DWORD size = GetFinalPathNameByHandleW(handle.get(), final.data(), static_cast<DWORD>(final.size()),
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
            if (size > 0 && size < final.size()) {
                final.resize(size);
                existing = final;
            }
            break;
        }
        if (!existing.has_relative_path()) {
            break;
        }
        rest = existing.filename() / rest;
        existing = existing.parent_path();
    }
    std::wstring whole = (rest.empty() ? existing : existing / rest).wstring();
    if (!whole.empty()) {
        CharLowerBuffW(whole.data(), static_cast<DWORD>(whole.size()));
    }
    return std::filesystem::path(whole);
}

}  // namespace

bool isSameOrInside(const std::string& path, const std::string& folder) {
    return startsWithPath(comparablePath(path), comparablePath(folder));
}

std::vector<std::string> wildcardMatches(const std::string& argument) {
    const size_t slash = argument.find_last_of("/\\:");
    const std::string folder = slash == std::string::npos ? std::string() : argument.substr(0, slash + 1);
    if (argument.find_first_of("*?", folder.size()) == std::string::npos) {
        return {argument};
    }
    std::vector<std::string> matches;
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        FindFirstFileExW(pathOf(argument).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return matches;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L".." && (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) == 0) {
            matches.push_back(folder + utf8Of(std::filesystem::path(name)));
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(matches.begin(), matches.end());
    return matches;
}

struct AtomicFile::Temporary {
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::wstring path;  // as pathOfNewFile gives it
};

void AtomicFile::Discarder::operator()(Temporary* file) const {
    if (file->handle != INVALID_HANDLE_VALUE) {
        CloseHandle(file->handle);
        DeleteFileW(file->path.c_str());
    }
    delete file;
}

std::string AtomicFile::openTemporary(const std::string& temporary, std::unique_ptr<Temporary, Discarder>& file) {
    auto made = std::make_unique<Temporary>();
    made->path = pathOfNewFile(temporary);
    // DELETE: the handle renames its file in the end.
    made->handle = CreateFileW(made->path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (made->handle == INVALID_HANDLE_VALUE) {
        return lastErrorText();
    }
    file.reset(made.release());
    return std::string();
}

std::string AtomicFile::writeTemporary(Temporary& file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD block = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1 << 30));
        DWORD written = 0;
        if (!WriteFile(file.handle, bytes.data(), block, &written, nullptr) || written == 0) {
            return lastErrorText();
        }
        bytes.remove_prefix(written);
    }
    return std::string();
}

// The handle stays open until the move: it renames its file.
std::string AtomicFile::finishTemporary(Temporary&) {
    return std::string();
}

// The file takes its new name through the handle that wrote it: renaming by
// name opens it again, which wine's server makes the costliest step of
// writing a small file. (The name is a path, as a bare name is taken from
// the current folder, not the file's.)
std::string AtomicFile::moveTemporary(Temporary& file, const std::string& path) {
    const std::wstring name = pathOfNewFile(path);
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::copy(name.begin(), name.end(), rename->FileName);
    const bool renamed =
        SetFileInformationByHandle(file.handle, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()));
    const bool closed = CloseHandle(file.handle);
    file.handle = INVALID_HANDLE_VALUE;
    // A file system that cannot rename a file by its handle: by name.
    const bool moved = renamed || MoveFileExW(file.path.c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING);
    std::string error = moved ? std::string() : lastErrorText();
    if (error.empty() && !closed) {
        error = lastErrorText();
    }
    if (!moved) {
        DeleteFileW(file.path.c_str());
    }
    return error;
}

}  // namespace torv::io
