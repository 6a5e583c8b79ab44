#include "shell/config.h"

#include <cstdio>
#include <cstring>

#include "platform/controller.h"
#include "platform/ini.h"

namespace shell {

namespace {
constexpr const char* kConfigSection = "\x90\xdd\x92\xe8";  // "設定" in Shift-JIS
constexpr const char* kThemeRoot = "./Files/Theme/";
constexpr const char* kDefaultSkin = "Default";
constexpr int kNumberTextBytes = 1000;  // numeric settings are read as at most 999 bytes of text
// The settings added since: full screen and the drum controllers' buttons, in a section of
// their own after the original one, so that section keeps its eight keys first and in order.
constexpr const char* kMoreSection = "\x8a\x67\x92\xa3\x90\xdd\x92\xe8";  // "拡張設定" in Shift-JIS
constexpr const char* kPadKeys[platform::kPadInputCount] = {
    "JoyLeftRim", "JoyLeftFace", "JoyRightFace", "JoyRightRim", "JoyBack", "JoyStart"};
constexpr const char* kPadDefaults[platform::kPadInputCount] = {"4,6", "0", "1", "5,7", "8", "9"};
char g_configPath[4096] = "./Config.ini";

// Reads one text key with its default and writes the same text back, so that the file lists
// every setting after the first run. A file that can't be written is still read. A value longer
// than the game holds stays in the file as it was, never cut.
void ReadAndWriteBack(const char* key, const char* def, char* out, int outSize, const char* path) {
  platform::IniReadAndWriteBack(kConfigSection, key, def, out, outSize, path);
}

int ReadNumber(const char* key, const char* def, const char* path) {
  char text[kNumberTextBytes];
  ReadAndWriteBack(key, def, text, sizeof text, path);
  return platform::IniTextToInt(text);
}

int ReadMoreNumber(const char* key, const char* def, const char* path) {
  char text[kNumberTextBytes];
  platform::IniReadAndWriteBack(kMoreSection, key, def, text, sizeof text, path);
  return platform::IniTextToInt(text);
}

void ReadPadSettings(const char* path) {
  platform::ResetJoystickMap();
  for (int i = 0; i < platform::kPadInputCount; ++i) {
    char text[kNumberTextBytes];
    platform::IniReadAndWriteBack(kMoreSection, kPadKeys[i], kPadDefaults[i], text, sizeof text, path);
    platform::JoystickMap.input[i] = platform::ParseJoystickButtons(text);
  }
  platform::JoystickMap.joystickOnly = ReadMoreNumber("JoystickOnly", "0", path) != 0;
}

void BuildThemeDir() {
  // A skin name too long for the theme directory can't name a real theme folder: the
  // default theme is used instead, so the game still has its pictures and sounds.
  if (std::strlen(kThemeRoot) + std::strlen(Skin) >= sizeof ThemeDir)
    std::snprintf(ThemeDir, sizeof ThemeDir, "%s%s", kThemeRoot, kDefaultSkin);
  else
    std::snprintf(ThemeDir, sizeof ThemeDir, "%s%s", kThemeRoot, Skin);
  for (char* p = ThemeDir; *p; ++p)
    if (*p == '\\') *p = '/';
}
}  // namespace

char ScoreRoot[257] = ".";
char Skin[257] = "Default";
char ThemeDir[260] = "./Files/Theme/Default";
int WindowSize = 640;
int HideMouseTime = -1;
int SoundDelay = 0;
int JudgeGreat = 0;
int JudgeGood = 0;
int JudgeBad = 0;
bool DebugMode = false;
bool FullScreen = false;

void ReadConfiguration(const char* path) {
  std::snprintf(g_configPath, sizeof g_configPath, "%s", path ? path : "./Config.ini");
  ReadAndWriteBack("ScoreRoot", ".", ScoreRoot, sizeof ScoreRoot, path);
  ReadAndWriteBack("Skin", kDefaultSkin, Skin, sizeof Skin, path);
  BuildThemeDir();
  WindowSize = ReadNumber("WindowSize", "640", path);
  HideMouseTime = ReadNumber("HideMouseTime", "-1", path);
  SoundDelay = ReadNumber("SoundDelay", "0", path);
  JudgeGreat = ReadNumber("JudgeGreat", "0", path);
  JudgeGood = ReadNumber("JudgeGood", "0", path);
  JudgeBad = ReadNumber("JudgeBad", "0", path);
  DebugMode = platform::IniReadInt(kConfigSection, "DebugMode", 0, path) != 0;
  FullScreen = ReadMoreNumber("FullScreen", "0", path) != 0;
  ReadPadSettings(path);
}

void WriteFullScreen(bool on) {
  FullScreen = on;
  platform::IniWriteString(kMoreSection, "FullScreen", on ? "1" : "0", g_configPath);
}

void WriteSoundDelay(int ms) {
  SoundDelay = ms;
  char text[16];
  std::snprintf(text, sizeof text, "%d", ms);
  platform::IniWriteString(kConfigSection, "SoundDelay", text, g_configPath);
}

void ResetConfiguration() {
  std::strcpy(ScoreRoot, ".");
  std::strcpy(Skin, kDefaultSkin);
  BuildThemeDir();
  WindowSize = 640;
  HideMouseTime = -1;
  SoundDelay = 0;
  JudgeGreat = 0;
  JudgeGood = 0;
  JudgeBad = 0;
  DebugMode = false;
  FullScreen = false;
  platform::ResetJoystickMap();
  std::strcpy(g_configPath, "./Config.ini");
}

int WindowHeightForWidth(int width) {
  return static_cast<int>((3LL * width) / 4);
}

}  // namespace shell
