// Temporary folders for tests that write files: made fresh under /tmp, removed with all they
// hold, read-only files and folders included (some tests make them so to provoke failures).
#pragma once
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace testsupport {

// A new empty folder "/tmp/kodoban-<tag>-XXXXXX"; an empty string when it cannot be made.
inline std::string MakeTempFolder(const char* tag) {
    std::string pattern = std::string("/tmp/kodoban-") + tag + "-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    const char* made = mkdtemp(buf.data());
    return made ? std::string(made) : std::string();
}

// Removes the folder and everything below it. Folders a test made read-only (or unreadable)
// are opened up first; links are removed, never followed.
inline void RemoveTempFolder(const std::string& dir) {
    namespace fs = std::filesystem;
    if (dir.empty()) return;
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(dir, ec))) {
        fs::remove(dir, ec);
        return;
    }
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(dir, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        ec.clear();
    }
    fs::remove_all(dir, ec);
}

// A temporary folder for one scope.
class TempFolder {
public:
    explicit TempFolder(const char* tag) : path_(MakeTempFolder(tag)) {}
    ~TempFolder() { RemoveTempFolder(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Empty when the folder could not be made.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace testsupport
