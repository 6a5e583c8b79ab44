// Song folders built in a temporary directory for the library tests. The test process works
// inside the directory, so record files land in its own ./Files/Save.
#pragma once
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/temp_folder.h"

namespace library_test {

class TempSongFolder {
 public:
  TempSongFolder() {
    root_ = testsupport::MakeTempFolder("library");
    if (root_.empty()) root_ = "/tmp";
    char cwd[4096];
    oldCwd_ = getcwd(cwd, sizeof cwd) ? cwd : "/";
    if (chdir(root_.c_str()) != 0) std::perror("chdir");
  }
  ~TempSongFolder() {
    if (chdir(oldCwd_.c_str()) != 0) std::perror("chdir");
    if (root_ != "/tmp") testsupport::RemoveTempFolder(root_);
  }
  TempSongFolder(const TempSongFolder&) = delete;
  TempSongFolder& operator=(const TempSongFolder&) = delete;

  const std::string& Root() const { return root_; }

  // Paths are relative to the temporary directory (the current directory).
  static void Dir(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
  }
  static void File(const std::string& path, const std::string& bytes) {
    std::filesystem::path p(path);
    if (p.has_parent_path()) Dir(p.parent_path().string());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  static std::string Read(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return {};
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
  }
  static std::string Chart(const std::string& title, const std::string& extra = "") {
    return "TITLE:" + title + "\r\nSUBTITLE:--sub\r\nBPM:120\r\nWAVE:" + title +
           ".ogg\r\n" + extra + "COURSE:Oni\r\nLEVEL:8\r\n#START\r\n1111,\r\n#END\r\n";
  }

 private:
  std::string root_;
  std::string oldCwd_;
};

}  // namespace library_test
