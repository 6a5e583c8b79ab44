// Drum controllers and game pads. SDL's game-controller and joystick events, read by the main
// thread's event pump like the keys, press and release the same drum keys as D, F, J and K
// (and Esc and Enter for the menus): in the key state the drum workers poll, with the moment
// the pump saw them, and as window key events for the song select. Pads plugged in while the
// game runs are opened as soon as SDL reports them.
//
// Game controllers (pads SDL knows the layout of) use one fixed layout: left shoulder or
// trigger = left rim, A or d-pad left = left face, B = right face, right shoulder or trigger =
// right rim, Back = Esc, Start = Enter. Any other joystick uses the button numbers of
// JoystickMap, which the configuration fills.
#pragma once

union SDL_Event;

namespace platform {

enum PadInput {
  kPadLeftRim,    // D
  kPadLeftFace,   // F
  kPadRightFace,  // J
  kPadRightRim,   // K
  kPadBack,       // Esc
  kPadStart,      // Enter
  kPadInputCount,
};

// Joystick button numbers are 0 .. kPadMaxButtons - 1; higher buttons are ignored.
constexpr int kPadMaxButtons = 64;
constexpr int kPadButtonsPerInput = 8;
// At most this many pads are open at once; more are ignored until one is unplugged.
constexpr int kPadMaxOpen = 8;

struct JoystickButtons {
  int count = 0;
  int button[kPadButtonsPerInput] = {};
};
struct JoystickMapping {
  JoystickButtons input[kPadInputCount];
  // Every device, even one SDL knows as a game controller, is read as a plain joystick.
  bool joystickOnly = false;
};
extern JoystickMapping JoystickMap;

// Reads a list of button numbers ("4,6", "0 2"): numbers in range, at most
// kPadButtonsPerInput of them; anything else in the text is skipped.
JoystickButtons ParseJoystickButtons(const char* text);
// The default mapping of plain joysticks (the usual generic USB pad numbering).
void ResetJoystickMap();

// Starts SDL's joystick and game-controller input (after the window exists). Pads already
// plugged in are reported by SDL as added and opened by the pump. False when SDL can't.
bool ControllerStart();
void ControllerStop();

// Called by the event pump for every SDL event and after each drain. Sink receives each press
// and release for the window keys (Windows virtual-key code).
using PadKeySink = void (*)(int virtualKey, bool down);
// True when the event was a pad event (handled here).
bool ControllerHandleEvent(const SDL_Event& ev, double seenMs, PadKeySink sink);
// Lets go of the pad inputs whose release was held back (see kPadMinHoldMs).
void ControllerAfterPump(double nowMs, PadKeySink sink);
// A pad input stays pressed at least this long, even when the press and release arrive in
// the same pump: the drum workers and the once-a-frame window keys see every hit.
constexpr double kPadMinHoldMs = 15.0;

// The number of pads open now.
int ControllerOpenCount();

}  // namespace platform
