// Drum controllers and pads through SDL's virtual joysticks: what a pad press does to the drum
// keys the workers poll and to the window keys of the song select.
#include "platform/controller.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/events.h"
#include "platform/keystate.h"

namespace platform {
namespace {

constexpr int kDikD = 0x20, kDikF = 0x21, kDikJ = 0x24, kDikK = 0x25, kDikEsc = 0x01, kDikEnter = 0x1C;
constexpr int kVkF = 0x46;

class Pads : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
    ResetEvents();
    KeyStateReset();
    ResetJoystickMap();
    ASSERT_TRUE(ControllerStart());
  }
  void TearDown() override {
    Unplug();
    ControllerStop();
    ResetEvents();
    KeyStateReset();
    ResetJoystickMap();
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
  }
  // Plugs in a virtual pad while the game runs; the next pump opens it.
  void Plug() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    index_ = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index_, 0) << SDL_GetError();
    joystick_ = SDL_JoystickOpen(index_);
    ASSERT_NE(joystick_, nullptr);
    Press(-1, false);  // the triggers rest released
    Press(-2, false);
    Events();
    ASSERT_EQ(ControllerOpenCount(), 1);
  }
  void Unplug() {
    if (joystick_) SDL_JoystickClose(joystick_);
    if (index_ >= 0) SDL_JoystickDetachVirtual(index_);
    joystick_ = nullptr;
    index_ = -1;
    PumpEvents();
  }
  // A controller button, or -1 / -2 for the left / right trigger.
  void Press(int button, bool down) {
    if (button >= 0) SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
    const int axis = button == -1 ? SDL_CONTROLLER_AXIS_TRIGGERLEFT : SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
    if (button < 0) SDL_JoystickSetVirtualAxis(joystick_, axis, down ? 32767 : -32768);
    PumpEvents();
  }
  static void Hold() { SDL_Delay(static_cast<Uint32>(kPadMinHoldMs) + 2); }
  // The window events waiting: kind and virtual key.
  static std::vector<std::pair<EventKind, int>> Events() {
    std::vector<std::pair<EventKind, int>> out;
    for (WindowEvent e; PopEvent(&e);) out.emplace_back(e.kind, e.virtualKey);
    return out;
  }
  SDL_Joystick* joystick_ = nullptr;
  int index_ = -1;
};

TEST_F(Pads, EachInputPlaysItsKeyUntilReleased) {
  Plug();
  const int rows[][2] = {{SDL_CONTROLLER_BUTTON_A, kDikF},           {SDL_CONTROLLER_BUTTON_DPAD_LEFT, kDikF},
                         {SDL_CONTROLLER_BUTTON_B, kDikJ},           {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, kDikD},
                         {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, kDikK}, {-1, kDikD}, {-2, kDikK},
                         {SDL_CONTROLLER_BUTTON_BACK, kDikEsc},      {SDL_CONTROLLER_BUTTON_START, kDikEnter}};
  for (const auto& [button, scanCode] : rows) {
    const double before = EventSeenMs();
    Press(button, true);
    EXPECT_TRUE(KeyStateIsDown(scanCode)) << button;
    EXPECT_GE(KeyStatePressTime(scanCode), before);
    for (int code : {kDikD, kDikF, kDikJ, kDikK, kDikEsc, kDikEnter}) {
      EXPECT_TRUE(code == scanCode || !KeyStateIsDown(code)) << button << " " << code;
    }
    Hold();
    Press(button, false);
    EXPECT_FALSE(KeyStateIsDown(scanCode)) << button;
  }
  // A pad and the keyboard hold one key together.
  KeyStateSet(kDikF, true, 5.0);
  Press(SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_EQ(KeyStatePressTime(kDikF), 5.0);  // still the keyboard's press
  Hold();
  Press(SDL_CONTROLLER_BUTTON_A, false);
  EXPECT_TRUE(KeyStateIsDown(kDikF));
  KeyStateSet(kDikF, false, 50.0);
  EXPECT_FALSE(KeyStateIsDown(kDikF));
  // An unplugged pad lets go of its keys.
  Press(SDL_CONTROLLER_BUTTON_B, true);
  ASSERT_TRUE(KeyStateIsDown(kDikJ));
  Unplug();
  EXPECT_FALSE(KeyStateIsDown(kDikJ));
  EXPECT_EQ(ControllerOpenCount(), 0);
}

TEST_F(Pads, PlainJoystickPlaysTheConfiguredButtons) {
  JoystickMap.joystickOnly = true;  // even a pad SDL knows is read as a plain joystick
  JoystickMap.input[kPadLeftFace] = ParseJoystickButtons("x3, 12 99");
  Plug();
  Press(0, true);  // the default left face, no longer mapped
  EXPECT_FALSE(KeyStateIsDown(kDikF));
  Press(12, true);
  EXPECT_TRUE(KeyStateIsDown(kDikF));
  EXPECT_EQ(Events(), (std::vector<std::pair<EventKind, int>>{{EventKind::kKeyDown, kVkF}}));
}

TEST_F(Pads, QuickTapIsHeldLongEnoughToBeSeen) {
  Plug();
  SDL_JoystickSetVirtualButton(joystick_, SDL_CONTROLLER_BUTTON_A, 1);
  SDL_JoystickUpdate();  // the press is read, the release comes in the same pump
  Press(SDL_CONTROLLER_BUTTON_A, false);
  EXPECT_TRUE(KeyStateIsDown(kDikF));
  EXPECT_EQ(Events(), (std::vector<std::pair<EventKind, int>>{{EventKind::kKeyDown, kVkF}}));
  Hold();
  PumpEvents();
  EXPECT_FALSE(KeyStateIsDown(kDikF));
  EXPECT_EQ(Events(), (std::vector<std::pair<EventKind, int>>{{EventKind::kKeyUp, kVkF}}));
}

}  // namespace
}  // namespace platform
