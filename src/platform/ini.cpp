#include "platform/ini.h"

#include "platform/atomic_file.h"
#include "platform/file_read.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

enum class FileRead { kMissing, kOk, kTooLarge };

// A settings file larger than the cap is not a settings file, nor is a FIFO or a device: it
// reads as missing and is never rewritten (so nothing of it can be lost, and nothing blocks).
FileRead ReadWholeFile(const char* path, std::string& out) {
  FileReadStatus s = ReadRegularFile(path, kSettingsFileCap, &out);
  if (s == FileReadStatus::kOk) return FileRead::kOk;
  out.clear();
  return s == FileReadStatus::kMissing ? FileRead::kMissing : FileRead::kTooLarge;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// One line of the file: [begin, end) without its line ending; next is where the following
// line starts.
struct Line {
  size_t begin, end, next;
};

Line LineAt(const std::string& text, size_t pos) {
  size_t nl = text.find('\n', pos);
  size_t next = nl == std::string::npos ? text.size() : nl + 1;
  size_t end = nl == std::string::npos ? text.size() : nl;
  if (end > pos && text[end - 1] == '\r') --end;
  return {pos, end, next};
}

// The section name of a "[name]" line, or false for any other line.
bool SectionHeader(std::string_view line, std::string_view& name) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() != '[') return false;
  size_t close = t.find(']');
  if (close == std::string_view::npos) return false;
  name = Trim(t.substr(1, close - 1));
  return true;
}

// Where a key was found: its line and the value span after '='.
struct KeyHit {
  bool sectionFound = false;
  bool keyFound = false;
  size_t valueBegin = 0, valueEnd = 0;  // raw text after '=' up to the line end
  size_t insertAt = 0;                  // where a new key of the section goes
};

KeyHit FindKey(const std::string& text, std::string_view section, std::string_view key) {
  KeyHit hit;
  size_t pos = 0;
  bool inSection = false;
  while (pos < text.size()) {
    Line ln = LineAt(text, pos);
    std::string_view line(text.data() + ln.begin, ln.end - ln.begin);
    std::string_view name;
    if (SectionHeader(line, name)) {
      if (inSection) return hit;  // only the first section of that name counts
      if (SameName(name, section)) {
        inSection = true;
        hit.sectionFound = true;
        hit.insertAt = ln.next;
      }
    } else if (inSection) {
      size_t eq = line.find('=');
      if (eq != std::string_view::npos && SameName(Trim(line.substr(0, eq)), key)) {
        hit.keyFound = true;
        hit.valueBegin = ln.begin + eq + 1;
        hit.valueEnd = ln.end;
        return hit;
      }
      if (!Trim(line).empty()) hit.insertAt = ln.next;
    }
    pos = ln.next;
  }
  return hit;
}

std::string_view ValueOf(std::string_view raw) {
  std::string_view v = Trim(raw);
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  return v;
}

// The line ending the file already uses; CRLF for a new file, as the settings files are
// shared with Windows editors.
const char* LineEndingOf(const std::string& text) {
  size_t nl = text.find('\n');
  if (nl == std::string::npos) return "\r\n";
  return (nl > 0 && text[nl - 1] == '\r') ? "\r\n" : "\n";
}

}  // namespace

int IniReadString(const char* section, const char* key, const char* def, char* out, int outSize,
                  const char* path) {
  if (!out || outSize <= 0) return 0;
  std::string_view value = def ? std::string_view(def) : std::string_view();
  std::string text;
  if (section && key && ReadWholeFile(path, text) == FileRead::kOk) {
    KeyHit hit = FindKey(text, section, key);
    if (hit.keyFound)
      value = ValueOf(std::string_view(text.data() + hit.valueBegin, hit.valueEnd - hit.valueBegin));
  }
  size_t n = value.size();
  if (n > static_cast<size_t>(outSize - 1)) n = static_cast<size_t>(outSize - 1);
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
  // A value holding a NUL byte reads up to that byte, as a C string would.
  return static_cast<int>(std::strlen(out));
}

bool IniReadValue(const char* section, const char* key, std::string* value, const char* path) {
  value->clear();
  std::string text;
  if (!section || !key || ReadWholeFile(path, text) != FileRead::kOk) return false;
  KeyHit hit = FindKey(text, section, key);
  if (!hit.keyFound) return false;
  value->assign(ValueOf(std::string_view(text.data() + hit.valueBegin, hit.valueEnd - hit.valueBegin)));
  return true;
}

int IniReadAndWriteBack(const char* section, const char* key, const char* def, char* out,
                        int outSize, const char* path) {
  int n = IniReadString(section, key, def, out, outSize, path);
  std::string whole;
  // A value the buffer holds only in part (too long, or with a NUL byte in it) would lose its
  // tail if written back: the file keeps it as the player wrote it.
  if (IniReadValue(section, key, &whole, path) && whole != std::string_view(out, static_cast<size_t>(n)))
    return n;
  IniWriteString(section, key, out, path);
  return n;
}

int IniReadInt(const char* section, const char* key, int def, const char* path) {
  char buf[1024];
  if (IniReadString(section, key, "", buf, sizeof buf, path) == 0) return def;
  return IniTextToInt(buf);
}

bool IniWriteString(const char* section, const char* key, const char* value, const char* path) {
  if (!section || !key || !path || !*path) return false;
  std::string_view v = value ? std::string_view(value) : std::string_view();
  // A value is one line: a line break in it would plant other keys in the file.
  size_t lineBreak = v.find_first_of("\r\n");
  if (lineBreak != std::string_view::npos) v = v.substr(0, lineBreak);
  std::string text;
  FileRead r = ReadWholeFile(path, text);
  if (r == FileRead::kTooLarge) return false;
  if (r == FileRead::kMissing) {
    struct stat st;
    // An existing file that can't be read must not be replaced by a new one.
    if (stat(path, &st) == 0) return false;
  }
  const char* eol = LineEndingOf(text);
  KeyHit hit = FindKey(text, section, key);
  if (hit.keyFound) {
    std::string_view raw(text.data() + hit.valueBegin, hit.valueEnd - hit.valueBegin);
    if (ValueOf(raw) == v) return true;  // the file already reads so: leave it byte for byte
    text.replace(hit.valueBegin, hit.valueEnd - hit.valueBegin, v);
  } else if (hit.sectionFound) {
    std::string line = std::string(key) + "=" + std::string(v) + eol;
    size_t at = hit.insertAt;
    // The section's last line may be the file's last line without a line ending.
    if (at > 0 && text[at - 1] != '\n') line = eol + line;
    text.insert(at, line);
  } else {
    if (!text.empty() && text.back() != '\n') text += eol;
    text += "[";
    text += section;
    text += "]";
    text += eol;
    text += key;
    text += "=";
    text.append(v.data(), v.size());
    text += eol;
  }
  // No fsync: settings are rewritten key by key at every start, and the rename alone already
  // guarantees a reader sees either the old file or the new one.
  return WriteFileAtomically(path, text.data(), text.size(), false);
}

int IniTextToInt(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (IsBlank(*p) || *p == '\r' || *p == '\n' || *p == '\v' || *p == '\f') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  long long v = 0;
  while (*p >= '0' && *p <= '9') {
    v = v * 10 + (*p - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
    ++p;
  }
  if (negative) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  return static_cast<int>(v);
}

}  // namespace platform
