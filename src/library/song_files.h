// The song library's light readers of chart and genre files. Each looks for one or two keys
// of a .tja (or genre.ini) line by line and stops; the full chart reader lives in chart/.
//
// Lines are read like fgets into a fixed buffer: a line ends at LF (kept with the line), and a
// line longer than the buffer is handed out in pieces. A key is found by substring search,
// case-sensitive, anywhere in the line; its value is taken from a fixed column and cut at the
// first CR or LF. A UTF-8 byte order mark at the very start of a file is not part of its first
// line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace library {

constexpr int kPathBytes = 260;        // path fields, terminator included
constexpr int kTitleBytes = 257;       // title fields, terminator included
constexpr int kGenreNameBytes = 100;   // genre names, terminator included
constexpr int kCourseCount = 5;        // Easy, Normal, Hard, Oni, Edit
constexpr int kHeaderLineBytes = 255;  // line length of the title, genre.ini and WAVE: readers
constexpr int kLevelLineBytes = 999;   // line length of the course level reader
constexpr size_t kReaderBlockBytes = 65536;

// Buffered line reader over one file. Opens only regular files (a folder, a FIFO or a device
// counts as "can't be opened"), so no reader ever blocks or reads forever from a non-file.
class TextLineReader {
 public:
  explicit TextLineReader(int maxLineBytes);
  ~TextLineReader();
  TextLineReader(const TextLineReader&) = delete;
  TextLineReader& operator=(const TextLineReader&) = delete;

  // -1 when path can't be opened as a regular file for reading.
  int Open(const char* path);
  // Reads the first bytes of the file (up to kReaderBlockBytes, fewer when the file is
  // shorter) before any line is taken, and returns them; the lines then start from the
  // beginning as usual. Lets the folder scan hash a chart and read its title in one read.
  size_t PeekHead(const uint8_t** data);
  void Close();

  // The next line (up to maxLineBytes bytes, LF included when it fits), cut at its first NUL
  // byte as C text would be. False at the end of the file.
  bool NextLine(std::string_view* line);

 private:
  bool Fill();
  int maxLine_;
  int fd_ = -1;
  bool eof_ = false;
  bool first_ = true;
  uint8_t* buf_;
  size_t pos_ = 0;
  size_t end_ = 0;
};

// The value of a line from a fixed column on, cut at the first CR or LF; empty when the line
// is shorter.
std::string_view LineValueFrom(std::string_view line, size_t column);
// Copies text into a fixed field of size bytes (cut to size - 1) and terminates it.
void CopyTextField(char* field, size_t size, std::string_view text);

// Title read: the TITLE: value (not SUBTITLE:) of a chart, up to 256 bytes; empty when the
// file can't be opened or has no such line.
void ReadSongTitle(const char* chartPath, char title[kTitleBytes]);
// The same over an already open reader (the folder scan shares one read with the identity).
void ReadSongTitleFrom(TextLineReader& reader, char title[kTitleBytes]);

// Course level read: levels[course] for the five courses, 0 where absent. 0 when the file was
// read, -1 when it couldn't be opened (the levels are then all 0).
int ReadCourseLevels(const char* chartPath, uint8_t levels[kCourseCount]);

// genre.ini read: GenreName and GenreColor lines update name and colour in place. The reader
// is closed at its end. A missing file is the caller's business (see ReadGenreIniFile).
void ReadGenreIni(TextLineReader& reader, char name[kGenreNameBytes], uint32_t* colour);
// Opens path and reads it as above; -1 (name and colour untouched) when it can't be opened.
int ReadGenreIniFile(const char* path, char name[kGenreNameBytes], uint32_t* colour);

// Wave path read: the chart's folder, "/", and the first WAVE: value; empty when the chart
// has no WAVE: line or can't be opened, or when the joined path wouldn't fit in 260 bytes.
void ReadWavePath(const char* chartPath, char wavePath[kPathBytes]);

// Cuts the last component off path in place. A separator is "/" or the second of two
// consecutive backslashes; the text before it is kept. A path without one is kept whole.
void CutParentPath(char* path);
// folder + "/" + name into out (size bytes); false when it doesn't fit.
bool JoinPath(const char* folder, const char* name, char* out, size_t size);
// File lookup: true and the joined path when folder/name exists and is no folder.
bool FindFileInFolder(const char* folder, const char* name, char out[kPathBytes]);

}  // namespace library
