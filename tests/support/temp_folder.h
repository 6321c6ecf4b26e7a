// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes. Optionally the process works inside it for
// the object's lifetime, as the host's current folder.
#pragma once

#include <filesystem>
#include <string>

class TempFolder {
public:
    enum class Enter { kNo, kYes };
    explicit TempFolder(Enter enter = Enter::kNo);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of a file inside the folder, as a string.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};
