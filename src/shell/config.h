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

// Reads (and writes back) every setting of path (./Config.ini in the game).
void ReadConfiguration(const char* path = "./Config.ini");
// Defaults for tests and tools that never read a file.
void ResetConfiguration();
// Client height of a window width: 3 x width / 4, truncated toward zero.
int WindowHeightForWidth(int width);

}  // namespace shell
