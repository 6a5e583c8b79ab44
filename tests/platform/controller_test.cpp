// Drum controllers and pads through SDL's virtual joysticks: what a pad press does to the drum
// keys the workers poll and to the window keys of the song select.
#include "platform/controller.h"

#include <SDL.h>
#include <gtest/gtest.h>

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
    if (joystick_) SDL_JoystickClose(joystick_);
    if (index_ >= 0) SDL_JoystickDetachVirtual(index_);
    PumpEvents();
    ControllerStop();
    ResetEvents();
    KeyStateReset();
    ResetJoystickMap();
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
  }
  // Plugs in a virtual pad while the game runs; the next pump opens it.
  void Plug(SDL_JoystickType type) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = static_cast<Uint16>(type);
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    index_ = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index_, 0) << SDL_GetError();
    joystick_ = SDL_JoystickOpen(index_);
    ASSERT_NE(joystick_, nullptr);
    // The triggers rest released.
    SDL_JoystickSetVirtualAxis(joystick_, SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
    SDL_JoystickSetVirtualAxis(joystick_, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
    PumpEvents();
    DropWindowEvents();
    ASSERT_EQ(ControllerOpenCount(), 1);
  }
  void DropWindowEvents() {
    WindowEvent e;
    while (PopEvent(&e)) {
    }
  }
  void Button(int button, bool down) {
    SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
    PumpEvents();
  }
  SDL_Joystick* joystick_ = nullptr;
  int index_ = -1;
};

struct ControllerCase {
  const char* name;
  int button;  // a controller button, or -1 / -2 for the left / right trigger
  int scanCode;
};

class ControllerLayout : public Pads, public ::testing::WithParamInterface<ControllerCase> {};

TEST_P(ControllerLayout, InputPlaysItsKeyUntilReleased) {
  Plug(SDL_JOYSTICK_TYPE_GAMECONTROLLER);
  const ControllerCase& c = GetParam();
  auto set = [&](bool down) {
    if (c.button >= 0) {
      Button(c.button, down);
    } else {
      const int axis = c.button == -1 ? SDL_CONTROLLER_AXIS_TRIGGERLEFT : SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
      SDL_JoystickSetVirtualAxis(joystick_, axis, down ? 32767 : -32768);
      PumpEvents();
    }
  };
  const double before = EventSeenMs();
  set(true);
  EXPECT_TRUE(KeyStateIsDown(c.scanCode));
  EXPECT_GE(KeyStatePressTime(c.scanCode), before);
  for (int code : {kDikD, kDikF, kDikJ, kDikK, kDikEsc, kDikEnter}) {
    if (code != c.scanCode) {
      EXPECT_FALSE(KeyStateIsDown(code)) << code;
    }
  }
  SDL_Delay(static_cast<Uint32>(kPadMinHoldMs) + 2);
  set(false);
  EXPECT_FALSE(KeyStateIsDown(c.scanCode));
}

INSTANTIATE_TEST_SUITE_P(
    Pads, ControllerLayout,
    ::testing::Values(ControllerCase{"A", SDL_CONTROLLER_BUTTON_A, kDikF},
                      ControllerCase{"DpadLeft", SDL_CONTROLLER_BUTTON_DPAD_LEFT, kDikF},
                      ControllerCase{"B", SDL_CONTROLLER_BUTTON_B, kDikJ},
                      ControllerCase{"LeftShoulder", SDL_CONTROLLER_BUTTON_LEFTSHOULDER, kDikD},
                      ControllerCase{"RightShoulder", SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, kDikK},
                      ControllerCase{"LeftTrigger", -1, kDikD},
                      ControllerCase{"RightTrigger", -2, kDikK},
                      ControllerCase{"Back", SDL_CONTROLLER_BUTTON_BACK, kDikEsc},
                      ControllerCase{"Start", SDL_CONTROLLER_BUTTON_START, kDikEnter}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Pads, PlainJoystickPlaysTheConfiguredButtons) {
  JoystickMap.joystickOnly = true;  // even a pad SDL knows is read as a plain joystick
  JoystickMap.input[kPadLeftFace] = ParseJoystickButtons("x3, 12 99");
  Plug(SDL_JOYSTICK_TYPE_GAMECONTROLLER);
  Button(0, true);  // the default left face, no longer mapped
  EXPECT_FALSE(KeyStateIsDown(kDikF));
  Button(12, true);
  EXPECT_TRUE(KeyStateIsDown(kDikF));
  WindowEvent e;
  ASSERT_TRUE(PopEvent(&e));
  EXPECT_EQ(e.kind, EventKind::kKeyDown);
  EXPECT_EQ(e.virtualKey, kVkF);
}

TEST_F(Pads, QuickTapIsHeldLongEnoughToBeSeen) {
  Plug(SDL_JOYSTICK_TYPE_GAMECONTROLLER);
  SDL_JoystickSetVirtualButton(joystick_, SDL_CONTROLLER_BUTTON_A, 1);
  SDL_JoystickUpdate();  // the press is read, the release comes in the same pump
  SDL_JoystickSetVirtualButton(joystick_, SDL_CONTROLLER_BUTTON_A, 0);
  PumpEvents();
  EXPECT_TRUE(KeyStateIsDown(kDikF));
  WindowEvent e;
  ASSERT_TRUE(PopEvent(&e));
  EXPECT_EQ(e.kind, EventKind::kKeyDown);
  EXPECT_FALSE(PopEvent(&e));
  SDL_Delay(static_cast<Uint32>(kPadMinHoldMs) + 2);
  PumpEvents();
  EXPECT_FALSE(KeyStateIsDown(kDikF));
  ASSERT_TRUE(PopEvent(&e));
  EXPECT_EQ(e.kind, EventKind::kKeyUp);
}

TEST_F(Pads, PadAndKeyboardHoldOneKeyTogether) {
  Plug(SDL_JOYSTICK_TYPE_GAMECONTROLLER);
  KeyStateSet(kDikF, true, 5.0);
  Button(SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_EQ(KeyStatePressTime(kDikF), 5.0);  // still the keyboard's press
  SDL_Delay(static_cast<Uint32>(kPadMinHoldMs) + 2);
  Button(SDL_CONTROLLER_BUTTON_A, false);
  EXPECT_TRUE(KeyStateIsDown(kDikF));
  KeyStateSet(kDikF, false, 50.0);
  EXPECT_FALSE(KeyStateIsDown(kDikF));
}

TEST_F(Pads, UnpluggedPadLetsGoOfItsKeys) {
  Plug(SDL_JOYSTICK_TYPE_GAMECONTROLLER);
  Button(SDL_CONTROLLER_BUTTON_B, true);
  ASSERT_TRUE(KeyStateIsDown(kDikJ));
  SDL_JoystickClose(joystick_);
  joystick_ = nullptr;
  SDL_JoystickDetachVirtual(index_);
  index_ = -1;
  PumpEvents();
  EXPECT_FALSE(KeyStateIsDown(kDikJ));
  EXPECT_EQ(ControllerOpenCount(), 0);
}

}  // namespace
}  // namespace platform
