// src/app/: the top of the program (start-up, main loop, scene dispatch, teardown). May
// include every folder; nothing includes app/ but main.cpp.
//
// The program: start-up in its order, the main loop, the scenes' dispatch, device recovery and
// the teardown.
#pragma once

namespace app {

// Reads the program's arguments into shell::Launch, before any window. 0 to go on; 1 after
// printing the usage for --help (exit 0); -1 after printing the reason and the usage on
// stderr for bad arguments (exit 2).
int ParseCommandLine(int argc, const char* const* argv);

// Runs the whole game; returns the process exit code (always 0).
int RunGame();

// Start-up steps. A failure shows its message and ends the process; it never returns.
void StartUp();
void RunMainLoop();
// Teardown after the main loop: save GlobalStats, release everything in order.
void Teardown();
// Ends the process at once after saving and releasing (window closed during a load).
[[noreturn]] void ExitProgram();

// Ends the frame: presents when ResourcesReady is set, recovering a lost device.
void EndFrame();
// The device-lost path; -1 when the device can't be brought back (quit is then posted).
int RecoverDevice();
// Covers the 640 x 480 screen with the loading colour of the theme.
void FillLoadingScreen();

}  // namespace app
