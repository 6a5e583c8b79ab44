// kodoban-library [FOLDER]: lists a song folder the way the song select does, so that players
// can check their song folders: one JSON object per line with the kind, path, title, genre,
// colour, course levels, clear marks and best scores of every item. Without FOLDER it lists
// the ScoreRoot of ./Config.ini (or "."). Records are read from ./Files/Save, so run it from the
// game's folder.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "library/song_list.h"
#include "platform/ini.h"
#include "platform/json_text.h"
#include "platform/text_encoding.h"

namespace {

constexpr const char* kConfigPath = "./Config.ini";
constexpr const char* kConfigSection = "\x90\xdd\x92\xe8";  // "設定" in Shift-JIS
constexpr const char* kCourseNames[library::kCourseCount] = {"easy", "normal", "hard", "oni", "edit"};

std::string JsonText(std::string_view bytes) {
  std::string out;
  platform::AppendJsonString(out, platform::ToUtf8(bytes));
  return out;
}

// The bytes of a name that isn't UTF-8, as hex digits: "path" shows it decoded for reading,
// this names the file exactly.
std::string HexBytes(std::string_view bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  return out;
}

bool PrintItem(int index, const library::SongListItem& item, int backIndex) {
  const char* kind = item.kind == library::kSongEntryItem ? "song" : (index == backIndex ? "back" : "genre");
  std::string line = "{\"index\":" + std::to_string(index) + ",\"kind\":\"" + kind + "\"";
  line += ",\"path\":" + JsonText(item.path);
  if (!platform::IsValidUtf8(item.path)) line += ",\"path_bytes\":\"" + HexBytes(item.path) + "\"";
  line += ",\"title\":" + JsonText(item.title);
  line += ",\"genre\":" + JsonText(item.genreName);
  char colour[16];
  std::snprintf(colour, sizeof colour, "#%08X", item.colour);
  line += std::string(",\"colour\":\"") + colour + "\"";
  if (item.kind == library::kSongEntryItem) {
    uint8_t levels[library::kCourseCount];
    int readable = library::ReadCourseLevels(item.path, levels);
    line += std::string(",\"readable\":") + (readable == 0 ? "true" : "false");
    line += ",\"levels\":{";
    for (int c = 0; c < library::kCourseCount; ++c)
      line += std::string(c ? "," : "") + "\"" + kCourseNames[c] + "\":" + std::to_string(levels[c]);
    line += "},\"clear\":{";
    for (int c = 0; c < library::kCourseCount; ++c)
      line += std::string(c ? "," : "") + "\"" + kCourseNames[c] + "\":" + std::to_string(item.clearStatus[c]);
    line += "},\"best\":{";
    for (int c = 0; c < library::kCourseCount; ++c)
      line += std::string(c ? "," : "") + "\"" + kCourseNames[c] + "\":" + std::to_string(item.bestScore[c]);
    line += "}";
  }
  line += "}\n";
  return std::fwrite(line.data(), 1, line.size(), stdout) == line.size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 || (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0))) {
    std::fprintf(stderr,
                 "usage: kodoban-library [FOLDER]\n"
                 "Lists FOLDER (default: ScoreRoot of ./Config.ini, else \".\") as the song select\n"
                 "does: one JSON object per line. Records come from ./Files/Save.\n");
    return argc > 2 ? 2 : 0;
  }
  char folder[library::kPathBytes];
  int depth = 0;
  if (argc == 2) {
    if (std::strlen(argv[1]) >= sizeof folder) {
      std::fprintf(stderr, "kodoban-library: folder path too long (at most %d bytes)\n",
                   library::kPathBytes - 1);
      return 1;
    }
    library::CopyTextField(folder, sizeof folder, argv[1]);
    // A folder with a genre.ini is shown as the game shows it once entered: with its genre.
    char ini[library::kPathBytes];
    if (library::FindFileInFolder(folder, library::kGenreIniName, ini)) depth = 1;
  } else {
    platform::IniReadString(kConfigSection, "ScoreRoot", ".", folder, sizeof folder, kConfigPath);
  }
  struct stat st;
  if (stat(folder, &st) != 0 || !S_ISDIR(st.st_mode)) {
    std::fprintf(stderr, "kodoban-library: %s: not a folder\n", folder);
    return 1;
  }
  library::ResetSongList();
  library::CopyTextField(library::BrowseState.currentFolder, library::kPathBytes, folder);
  library::BrowseState.depth = static_cast<uint8_t>(depth);
  library::ScanCurrentFolder();
  const int backIndex = library::SongList.itemCount > 0 && library::SongList.folderCount > 0 ? 0 : -1;
  if (library::LastScanWasCut())
    std::fprintf(stderr, "kodoban-library: warning: %s: more than %d items; the rest are not listed\n",
                 folder, library::kSongListCapacity);
  bool written = true;
  for (int i = 0; i < library::SongList.itemCount && written; ++i)
    written = PrintItem(i, library::SongList.items[i], backIndex);
  if (std::fflush(stdout) != 0 || !written || std::ferror(stdout)) {
    std::fprintf(stderr, "kodoban-library: cannot write the list: %s\n", std::strerror(errno));
    return 1;
  }
  return 0;
}
