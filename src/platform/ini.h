// INI files with the semantics of the private-profile functions: sections and keys are
// matched without regard to ASCII case, the value is the text after '=' with surrounding
// blanks removed and one pair of enclosing double quotes dropped; a write replaces the value
// of the first matching key (or adds the key at the end of its section, or adds the section at
// the end of the file) and keeps every other byte of the file as it was.
// Section names are byte strings (Shift-JIS in the game's own files).
#pragma once
#include <string>

namespace platform {

// Copies the value (or def when the file, section or key is missing) into out, cut to
// outSize - 1 bytes and NUL-terminated. Returns the number of bytes copied.
int IniReadString(const char* section, const char* key, const char* def, char* out, int outSize,
                  const char* path);
// The value converted like the private-profile integer read: leading blanks, optional sign,
// decimal digits up to the first non-digit; def when the key is missing.
int IniReadInt(const char* section, const char* key, int def, const char* path);
// The whole value of the key (NUL bytes included, nothing cut); false when the file, section or
// key is missing.
bool IniReadValue(const char* section, const char* key, std::string* value, const char* path);
// The settings files' read: IniReadString, then the text written back under the same key, so
// that the file lists every setting after the first run; a value that out holds only in part
// (longer than outSize - 1 bytes, or with a NUL byte in it) is not written back, and the file
// keeps it whole. Returns the number of bytes copied.
int IniReadAndWriteBack(const char* section, const char* key, const char* def, char* out,
                        int outSize, const char* path);
// Writes key=value into section, creating the file or section when needed. False when the file
// could not be written (nothing is lost then: the old file stays as it was).
bool IniWriteString(const char* section, const char* key, const char* value, const char* path);

// The integer conversion used for settings text: optional leading blanks, an optional sign,
// digits up to the first non-digit; text without digits gives 0. Saturates at the int range.
int IniTextToInt(const char* text);

}  // namespace platform
