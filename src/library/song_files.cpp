#include "library/song_files.h"

#include "platform/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace library {

namespace {

constexpr size_t kReadBlock = kReaderBlockBytes;
constexpr long long kIntMax = 2147483647LL;
constexpr uint32_t kNoHexDigit = static_cast<uint32_t>(-1);

// Leading blanks, an optional sign, digits up to the first non-digit; no digits give 0.
// Saturates instead of overflowing.
long long LeadingInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value <= kIntMax) value = value * 10 + (text[i] - '0');
  }
  // Out of the int range the conversion saturates, as the C library's does.
  if (value > kIntMax) value = negative ? kIntMax + 1 : kIntMax;
  return negative ? -value : value;
}

uint32_t HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<uint32_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<uint32_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<uint32_t>(c - 'a' + 10);
  return kNoHexDigit;
}

bool IsSeparatorAt(const char* path, size_t i) {
  return path[i] == '/' || (i > 0 && path[i] == '\\' && path[i - 1] == '\\');
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Line reader

TextLineReader::TextLineReader(int maxLineBytes)
    : maxLine_(maxLineBytes < 1 ? 1 : maxLineBytes),
      buf_(static_cast<uint8_t*>(std::malloc(kReadBlock))) {}

TextLineReader::~TextLineReader() {
  Close();
  std::free(buf_);
}

int TextLineReader::Open(const char* path) {
  Close();
  if (buf_ == nullptr) return -1;
  fd_ = platform::OpenRegularFile(path);
  return fd_ < 0 ? -1 : 0;
}

size_t TextLineReader::PeekHead(const uint8_t** data) {
  *data = buf_;
  if (buf_ == nullptr || !first_ || pos_ != 0) return 0;
  while (end_ < kReadBlock && Fill() && !eof_) {
  }
  return end_;
}

void TextLineReader::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  eof_ = false;
  first_ = true;
  pos_ = end_ = 0;
}

bool TextLineReader::Fill() {
  if (fd_ < 0 || eof_) return false;
  if (pos_ > 0) {
    std::memmove(buf_, buf_ + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
  }
  while (end_ < kReadBlock) {
    ssize_t got = read(fd_, buf_ + end_, kReadBlock - end_);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      eof_ = true;
      break;
    }
    end_ += static_cast<size_t>(got);
    break;
  }
  return true;
}

bool TextLineReader::NextLine(std::string_view* line) {
  if (buf_ == nullptr) return false;
  if (first_) {
    first_ = false;
    while (end_ - pos_ < 3 && Fill() && !eof_) {
    }
    if (end_ - pos_ >= 3 && buf_[pos_] == 0xEF && buf_[pos_ + 1] == 0xBB && buf_[pos_ + 2] == 0xBF)
      pos_ += 3;
  }
  const size_t maxLine = static_cast<size_t>(maxLine_);
  // Make sure a whole line (or maxLine bytes of it) is in the buffer.
  for (;;) {
    size_t avail = end_ - pos_;
    const void* lf = avail ? std::memchr(buf_ + pos_, '\n', avail < maxLine ? avail : maxLine)
                           : nullptr;
    if (lf != nullptr || avail >= maxLine || eof_ || fd_ < 0) break;
    if (!Fill()) break;
  }
  size_t avail = end_ - pos_;
  if (avail == 0) return false;
  size_t limit = avail < maxLine ? avail : maxLine;
  const uint8_t* start = buf_ + pos_;
  const void* lf = std::memchr(start, '\n', limit);
  size_t len = lf ? static_cast<size_t>(static_cast<const uint8_t*>(lf) - start) + 1 : limit;
  pos_ += len;
  const void* nul = std::memchr(start, '\0', len);
  size_t textLen = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - start) : len;
  *line = std::string_view(reinterpret_cast<const char*>(start), textLen);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Small text helpers

std::string_view LineValueFrom(std::string_view line, size_t column) {
  if (line.size() <= column) return {};
  std::string_view value = line.substr(column);
  size_t cut = value.find_first_of("\r\n");
  if (cut != std::string_view::npos) value = value.substr(0, cut);
  return value;
}

void CopyTextField(char* field, size_t size, std::string_view text) {
  if (size == 0) return;
  size_t n = text.size() < size - 1 ? text.size() : size - 1;
  if (n > 0) std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

// ---------------------------------------------------------------------------------------------
// Title read

void ReadSongTitleFrom(TextLineReader& reader, char title[kTitleBytes]) {
  title[0] = '\0';
  std::string_view line;
  while (reader.NextLine(&line)) {
    if (line.find("TITLE:") != std::string_view::npos &&
        line.find("SUBTITLE:") == std::string_view::npos) {
      // The key is expected at the start of the line: the value starts at the 7th byte.
      CopyTextField(title, kTitleBytes, LineValueFrom(line, 6));
      break;
    }
  }
  reader.Close();
}

void ReadSongTitle(const char* chartPath, char title[kTitleBytes]) {
  title[0] = '\0';
  TextLineReader reader(kHeaderLineBytes);
  if (reader.Open(chartPath) != 0) return;
  ReadSongTitleFrom(reader, title);
}

// ---------------------------------------------------------------------------------------------
// Course level read

namespace {

struct CourseWord {
  const char* text;
  int course;
};
// Tested in this order: the first found wins ("COURSE:10" is Normal).
constexpr CourseWord kCourseWords[] = {
    {"Edit", 4}, {"Oni", 3}, {"Hard", 2}, {"Normal", 1}, {"Easy", 0},
    {"4", 4},    {"3", 3},   {"2", 2},    {"1", 1},      {"0", 0},
};
constexpr int kDefaultCourse = 3;  // a file without COURSE: is one Oni block
constexpr int kDefaultLevel = 1;

}  // namespace

int ReadCourseLevels(const char* chartPath, uint8_t levels[kCourseCount]) {
  for (int i = 0; i < kCourseCount; ++i) levels[i] = 0;
  int course = kDefaultCourse;
  uint8_t level = kDefaultLevel;
  TextLineReader reader(kLevelLineBytes);
  if (reader.Open(chartPath) != 0) return -1;
  std::string_view line;
  while (reader.NextLine(&line)) {
    if (line.find("COURSE:") != std::string_view::npos) {
      for (const CourseWord& w : kCourseWords) {
        if (line.find(w.text) != std::string_view::npos) {
          course = w.course;
          break;
        }
      }
    }
    if (line.find("LEVEL:") != std::string_view::npos) {
      // Kept as an unsigned 8-bit value, like the byte it is stored in.
      level = static_cast<uint8_t>(LeadingInteger(LineValueFrom(line, 6)) & 0xFF);
    }
    if (line.find("#START") != std::string_view::npos) levels[course] = level;
  }
  return 0;
}

// ---------------------------------------------------------------------------------------------
// genre.ini read

void ReadGenreIni(TextLineReader& reader, char name[kGenreNameBytes], uint32_t* colour) {
  std::string_view line;
  while (reader.NextLine(&line)) {
    if (line.find("GenreName") != std::string_view::npos) {
      // After "GenreName" and the equals sign that follows it.
      CopyTextField(name, kGenreNameBytes, LineValueFrom(line, 10));
    }
    // The line break is no part of the value: "GenreColor=" alone leaves the colour as it is.
    if (line.find("GenreColor") != std::string_view::npos &&
        line.find_first_of("\r\n") > 11 && line.size() > 11) {
      size_t at = line[11] == '#' ? 12 : 11;
      uint32_t value = 0;
      for (size_t k = 0; k < 6; ++k) {
        // Past the end of the line the terminator stands there, which is no hex digit either.
        uint32_t digit = at + k < line.size() ? HexDigitValue(line[at + k]) : kNoHexDigit;
        value = value * 16 + digit;  // wraps like the 32-bit sum it stands for
      }
      *colour += value;
    }
  }
  reader.Close();
}

int ReadGenreIniFile(const char* path, char name[kGenreNameBytes], uint32_t* colour) {
  TextLineReader reader(kHeaderLineBytes);
  if (reader.Open(path) != 0) return -1;
  ReadGenreIni(reader, name, colour);
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Wave path read

void ReadWavePath(const char* chartPath, char wavePath[kPathBytes]) {
  wavePath[0] = '\0';
  TextLineReader reader(kHeaderLineBytes);
  if (reader.Open(chartPath) != 0) return;
  std::string_view line;
  while (reader.NextLine(&line)) {
    if (line.find("WAVE:") == std::string_view::npos) continue;
    char folder[kPathBytes];
    CopyTextField(folder, sizeof folder, chartPath);
    size_t before = std::strlen(folder);
    CutParentPath(folder);
    // A chart named without any folder lies in the current one.
    if (std::strlen(folder) == before) CopyTextField(folder, sizeof folder, ".");
    std::string_view value = LineValueFrom(line, 5);
    size_t folderLen = std::strlen(folder);
    if (folderLen + 1 + value.size() < kPathBytes) {
      std::memcpy(wavePath, folder, folderLen);
      wavePath[folderLen] = '/';
      std::memcpy(wavePath + folderLen + 1, value.data(), value.size());
      wavePath[folderLen + 1 + value.size()] = '\0';
    }
    break;
  }
}

// ---------------------------------------------------------------------------------------------
// Paths

void CutParentPath(char* path) {
  size_t n = std::strlen(path);
  for (size_t i = n; i-- > 0;) {
    if (IsSeparatorAt(path, i)) {
      // For a doubled backslash the text before the second one is kept, the first included.
      path[i] = '\0';
      return;
    }
  }
}

bool JoinPath(const char* folder, const char* name, char* out, size_t size) {
  size_t a = std::strlen(folder);
  size_t b = std::strlen(name);
  if (a + 1 + b + 1 > size) {
    if (size > 0) out[0] = '\0';
    return false;
  }
  std::memmove(out, folder, a);
  out[a] = '/';
  std::memcpy(out + a + 1, name, b);
  out[a + 1 + b] = '\0';
  return true;
}

bool FindFileInFolder(const char* folder, const char* name, char out[kPathBytes]) {
  char joined[kPathBytes];
  if (!JoinPath(folder, name, joined, sizeof joined)) return false;
  struct stat st;
  if (stat(joined, &st) != 0 || S_ISDIR(st.st_mode)) return false;
  std::memcpy(out, joined, sizeof joined);
  return true;
}

}  // namespace library
