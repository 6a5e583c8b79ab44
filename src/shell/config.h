// The settings of ./Config.ini, section "設定", read once at start-up. Plain globals that the
// other subsystems read.
#pragma once

namespace shell {

extern char ScoreRoot[257];
extern char Skin[257];
extern char ThemeDir[260];
extern int WindowSize;
extern int HideMouseTime;
extern int SoundDelay;
extern int JudgeGreat;
extern int JudgeGood;
extern int JudgeBad;
extern bool DebugMode;
// Section "拡張設定": whether the window covers the screen (F11, Alt+Enter). The drum
// controllers' button numbers of the same section go to platform::JoystickMap.
extern bool FullScreen;

// Reads (and writes back) every setting of path (./Config.ini in the game).
void ReadConfiguration(const char* path = "./Config.ini");
// Remembers the full-screen choice in the file the settings were read from.
void WriteFullScreen(bool on);
// Stores a new SoundDelay (the timing calibration's result) in the file and in the setting.
void WriteSoundDelay(int ms);
// Defaults for tests and tools that never read a file.
void ResetConfiguration();
// Client height of a window width: 3 x width / 4, truncated toward zero.
int WindowHeightForWidth(int width);

}  // namespace shell
