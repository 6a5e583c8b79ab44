#include "platform/controller.h"

#include <SDL.h>

#include <cstdint>
#include <cstdlib>

#include "platform/keystate.h"

namespace platform {

namespace {
JoystickMapping DefaultJoystickMap() {
  JoystickMapping map;
  map.input[kPadLeftRim] = ParseJoystickButtons("4,6");
  map.input[kPadLeftFace] = ParseJoystickButtons("0");
  map.input[kPadRightFace] = ParseJoystickButtons("1");
  map.input[kPadRightRim] = ParseJoystickButtons("5,7");
  map.input[kPadBack] = ParseJoystickButtons("8");
  map.input[kPadStart] = ParseJoystickButtons("9");
  return map;
}
}  // namespace

JoystickMapping JoystickMap = DefaultJoystickMap();

namespace {

// The keys each input plays: DirectInput scan code for the drum workers, virtual-key code for
// the window keys.
struct InputKeys {
  int scanCode;
  int virtualKey;
};
constexpr InputKeys kInputKeys[kPadInputCount] = {
    {0x20, 0x44},  // D
    {0x21, 0x46},  // F
    {0x24, 0x4A},  // J
    {0x25, 0x4B},  // K
    {0x01, 0x1B},  // Esc
    {0x1C, 0x0D},  // Enter
};

// A game controller's sources: its buttons by SDL number, and the two triggers.
constexpr int kSourceLeftTrigger = 40;
constexpr int kSourceRightTrigger = 41;
static_assert(SDL_CONTROLLER_BUTTON_MAX <= kSourceLeftTrigger, "controller buttons overlap the triggers");
// A trigger counts as pressed from half way down until it is back under a quarter.
constexpr int kTriggerPress = 16384;
constexpr int kTriggerRelease = 8192;

constexpr uint64_t Bit(int source) { return uint64_t{1} << source; }

constexpr uint64_t kControllerInputs[kPadInputCount] = {
    Bit(SDL_CONTROLLER_BUTTON_LEFTSHOULDER) | Bit(kSourceLeftTrigger),
    Bit(SDL_CONTROLLER_BUTTON_A) | Bit(SDL_CONTROLLER_BUTTON_DPAD_LEFT),
    Bit(SDL_CONTROLLER_BUTTON_B),
    Bit(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER) | Bit(kSourceRightTrigger),
    Bit(SDL_CONTROLLER_BUTTON_BACK),
    Bit(SDL_CONTROLLER_BUTTON_START),
};

struct Pad {
  bool open = false;
  SDL_JoystickID id = -1;
  SDL_GameController* controller = nullptr;  // read as a game controller
  SDL_Joystick* joystick = nullptr;          // read as a plain joystick
  uint64_t held = 0;                         // the sources held now
  bool down[kPadInputCount] = {};
  double pressedAt[kPadInputCount] = {};
  bool releaseLater[kPadInputCount] = {};
};

Pad g_pads[kPadMaxOpen];
bool g_started = false;

uint64_t InputMask(const Pad& pad, int input) {
  if (pad.controller) return kControllerInputs[input];
  uint64_t mask = 0;
  const JoystickButtons& b = JoystickMap.input[input];
  for (int i = 0; i < b.count && i < kPadButtonsPerInput; ++i)
    if (b.button[i] >= 0 && b.button[i] < kPadMaxButtons) mask |= Bit(b.button[i]);
  return mask;
}

int Slot(const Pad& pad) { return static_cast<int>(&pad - g_pads); }

void Press(Pad& pad, int input, double seenMs, PadKeySink sink) {
  pad.down[input] = true;
  pad.pressedAt[input] = seenMs;
  KeyStateSetFrom(Slot(pad) + 1, kInputKeys[input].scanCode, true, seenMs);
  if (sink) sink(kInputKeys[input].virtualKey, true);
}

void Release(Pad& pad, int input, double seenMs, PadKeySink sink) {
  pad.down[input] = false;
  pad.releaseLater[input] = false;
  KeyStateSetFrom(Slot(pad) + 1, kInputKeys[input].scanCode, false, seenMs);
  if (sink) sink(kInputKeys[input].virtualKey, false);
}

// Brings the pad's inputs in line with the sources it holds.
void Update(Pad& pad, double seenMs, PadKeySink sink) {
  for (int input = 0; input < kPadInputCount; ++input) {
    const bool want = (pad.held & InputMask(pad, input)) != 0;
    if (want && !pad.down[input]) {
      Press(pad, input, seenMs, sink);
    } else if (want && pad.releaseLater[input]) {
      // Pressed again before the held-back release: the two hits came in one pump and read
      // as one long one.
      pad.releaseLater[input] = false;
    } else if (!want && pad.down[input] && !pad.releaseLater[input]) {
      if (seenMs - pad.pressedAt[input] >= kPadMinHoldMs)
        Release(pad, input, seenMs, sink);
      else
        pad.releaseLater[input] = true;
    }
  }
}

Pad* Find(SDL_JoystickID id) {
  for (Pad& pad : g_pads)
    if (pad.open && pad.id == id) return &pad;
  return nullptr;
}

void Open(int deviceIndex) {
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (id < 0 || Find(id)) return;
  Pad* slot = nullptr;
  for (Pad& pad : g_pads)
    if (!pad.open) {
      slot = &pad;
      break;
    }
  if (!slot) return;
  Pad pad;
  if (!JoystickMap.joystickOnly && SDL_IsGameController(deviceIndex))
    pad.controller = SDL_GameControllerOpen(deviceIndex);
  if (!pad.controller) pad.joystick = SDL_JoystickOpen(deviceIndex);
  if (!pad.controller && !pad.joystick) return;
  pad.open = true;
  pad.id = id;
  *slot = pad;
}

void Close(Pad& pad, double seenMs, PadKeySink sink) {
  // An unplugged pad lets go of everything it held at once.
  for (int input = 0; input < kPadInputCount; ++input)
    if (pad.down[input]) Release(pad, input, seenMs, sink);
  if (pad.controller) SDL_GameControllerClose(pad.controller);
  if (pad.joystick) SDL_JoystickClose(pad.joystick);
  pad = Pad();
}

void SetSource(Pad& pad, int source, bool down) {
  if (source < 0 || source >= kPadMaxButtons) return;
  if (down)
    pad.held |= Bit(source);
  else
    pad.held &= ~Bit(source);
}

}  // namespace

JoystickButtons ParseJoystickButtons(const char* text) {
  JoystickButtons out;
  if (!text) return out;
  const char* p = text;
  while (*p && out.count < kPadButtonsPerInput) {
    if (*p >= '0' && *p <= '9') {
      long value = 0;
      while (*p >= '0' && *p <= '9') {
        if (value < kPadMaxButtons) value = value * 10 + (*p - '0');
        ++p;
      }
      if (value < kPadMaxButtons) out.button[out.count++] = static_cast<int>(value);
    } else {
      ++p;
    }
  }
  return out;
}

void ResetJoystickMap() { JoystickMap = DefaultJoystickMap(); }

bool ControllerStart() {
  if (g_started) return true;
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
  SDL_GameControllerEventState(SDL_ENABLE);
  SDL_JoystickEventState(SDL_ENABLE);
  g_started = true;
  return true;
}

void ControllerStop() {
  if (!g_started) return;
  for (Pad& pad : g_pads)
    if (pad.open) Close(pad, 0.0, nullptr);
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  g_started = false;
}

bool ControllerHandleEvent(const SDL_Event& ev, double seenMs, PadKeySink sink) {
  switch (ev.type) {
    case SDL_JOYDEVICEADDED:
      if (g_started) Open(ev.jdevice.which);
      return true;
    case SDL_JOYDEVICEREMOVED:
      if (Pad* pad = Find(ev.jdevice.which)) Close(*pad, seenMs, sink);
      return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      Pad* pad = Find(ev.cbutton.which);
      if (pad && pad->controller) {
        SetSource(*pad, ev.cbutton.button, ev.type == SDL_CONTROLLERBUTTONDOWN);
        Update(*pad, seenMs, sink);
      }
      return true;
    }
    case SDL_CONTROLLERAXISMOTION: {
      Pad* pad = Find(ev.caxis.which);
      const int axis = ev.caxis.axis;
      if (pad && pad->controller &&
          (axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT)) {
        const int source = axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT ? kSourceLeftTrigger : kSourceRightTrigger;
        if (ev.caxis.value >= kTriggerPress)
          SetSource(*pad, source, true);
        else if (ev.caxis.value <= kTriggerRelease)
          SetSource(*pad, source, false);
        Update(*pad, seenMs, sink);
      }
      return true;
    }
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: {
      // A game controller's buttons come again as joystick buttons: only plain joysticks read them.
      Pad* pad = Find(ev.jbutton.which);
      if (pad && pad->joystick) {
        SetSource(*pad, ev.jbutton.button, ev.type == SDL_JOYBUTTONDOWN);
        Update(*pad, seenMs, sink);
      }
      return true;
    }
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERDEVICEREMAPPED:
    case SDL_JOYAXISMOTION:
    case SDL_JOYBALLMOTION:
    case SDL_JOYHATMOTION:
      return true;
    default:
      return false;
  }
}

void ControllerAfterPump(double nowMs, PadKeySink sink) {
  for (Pad& pad : g_pads) {
    if (!pad.open) continue;
    for (int input = 0; input < kPadInputCount; ++input)
      if (pad.releaseLater[input] && nowMs - pad.pressedAt[input] >= kPadMinHoldMs)
        Release(pad, input, nowMs, sink);
  }
}

int ControllerOpenCount() {
  int n = 0;
  for (const Pad& pad : g_pads) n += pad.open ? 1 : 0;
  return n;
}

}  // namespace platform
