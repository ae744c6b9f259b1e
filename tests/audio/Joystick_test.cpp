// The joystick device and its routing, driven by a virtual joystick of the system's joystick layer:
// button edges, axis and hat amounts, held hats and axes with their release, the remap priority,
// the button count, a failed set-up, and the routing of controls to the player's ship, the menu
// click with its grace, the waiting remap, the control names and the look offsets.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "audio/CJoyControl.h"
#include "audio/CJoystick.h"
#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "interface/CInterface.h"
#include "platform/Direct3D.h"
#include "platform/DirectInput.h"
#include "ships/CShip.h"
#include "tests/support/TempGameDir.h"

namespace {
constexpr Long kFull = 32767, kLow = -32768;

Long attachedJoysticks() {
  return DirectX8().DirectInputCreate()->GetDIDevices(DI8DEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY)->GetCount();
}

// A joystick with x, y, z, rx, ry, rz, 32 buttons and one hat, opened the way the start-up opens
// the first joystick, over a player record, ship 0 and an interface in flight.
class JoystickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    before_ = attachedJoysticks();
    stick_ = attachVirtualJoystickForTests(6, 32, 1);
    if (stick_ < 0) GTEST_SKIP() << "the system offers no virtual joysticks";
    Joystick = std::make_shared<CJoystick>();
    JoyControl = std::make_shared<CJoyControl>();
    JoyControl->InitInput();
    if (before_ > 0) {  // a real joystick comes first: use the virtual one
      Joystick = std::make_shared<CJoystick>();
      Joystick->Init(static_cast<Integer>(before_));
    }
    ASSERT_TRUE(Joystick->Exists);
    dir_.write("/data/options2.pnd", "0\n0\n0\n0\n0\n0\n");
    Player = std::make_shared<CPlayer>();  // default options written into the empty folder
    for (Long k = 0; k < 18; ++k) Player->setCharKey(k, static_cast<Integer>(65 + k));  // all on keys
    Ships.assign(1, std::make_shared<CShip>());
    GameInterface = std::make_shared<CInterface>();
    GameInterface->Window = msNone;
    MouseHeld = MouseClicked = false;
    ClassicView = false;
  }
  void TearDown() override {
    GameInterface.reset();
    Ships.clear();
    Player.reset();
    JoyControl.reset();
    Joystick.reset();
    for (Long s : {stick_, second_})
      if (s >= 0) detachVirtualJoystickForTests(s);
  }
  void axis(Long a, Long raw) { setVirtualJoystickAxisForTests(stick_, a, raw); }
  void button(Long b, bool down) { setVirtualJoystickButtonForTests(stick_, b, down); }
  void hat(Long pov) { setVirtualJoystickHatForTests(stick_, 0, pov); }
  void centre() {
    for (Long a = 0; a < 6; ++a) axis(a, 0);
    hat(-1);
  }
  void bind(Long action, Long code) { Player->setCharKey(action, static_cast<Integer>(code)); }
  // One frame of play: the poll and the routing.
  void frame() { JoyControl->PollJoys(); }
  CShip& ship() { return *Ships[0]; }
  // A second virtual joystick, opened on its own.
  std::shared_ptr<CJoystick> openSecond(Long axes, Long buttons) {
    second_ = attachVirtualJoystickForTests(axes, buttons, 1);
    if (second_ < 0) return nullptr;
    JoyControl->diDevEnum = JoyControl->di->GetDIDevices(DI8DEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY);
    auto j = std::make_shared<CJoystick>();
    j->Init(static_cast<Integer>(JoyControl->diDevEnum->GetCount() - 1));
    return j;
  }
  TempGameDir dir_;
  Long before_ = 0, stick_ = -1, second_ = -1;
};
}  // namespace

TEST_F(JoystickTest, ButtonEdgesComeOnceAndHoldingReadsAsDown) {
  CJoystick& j = *Joystick;
  struct Step {
    bool down;
    Integer press;
    Long amount;
  } steps[] = {{true, 1, 5000}, {true, 0, 5000}, {true, 0, 5000}, {false, -1, 0}, {false, 0, 0}, {true, 1, 5000}};
  for (const Step& s : steps) {
    button(7, s.down);
    j.Poll();
    EXPECT_EQ(j.getButtonPress(7), s.press);
    EXPECT_EQ(j.getAbstractPress(1007), s.press);
    EXPECT_EQ(j.getAbstractDown(1007), s.amount);
    EXPECT_EQ(j.getAbstractDown(1006), 0) << "its neighbour";
  }
  EXPECT_NE(j.getButton(7), 0);
  j.ClearButtons();
  EXPECT_EQ(j.getButton(7), 0);
  EXPECT_EQ(j.getButtonPress(7), 0);
}

TEST_F(JoystickTest, AxisAmountsOnEachSideOfTheCentre) {
  CJoystick& j = *Joystick;
  // Driver axes 0..5 are x, y, z, rx, ry, rz; codes pair up as x, y, rx, ry, z, rz.
  const struct {
    Long axis, plus;
  } axes[] = {{0, 1036}, {1, 1038}, {3, 1040}, {4, 1042}, {2, 1044}, {5, 1046}};
  const struct {
    Long raw, plus, minus;
  } cases[] = {{0, 0, 0}, {kFull, 5000, 0}, {kLow, 0, 5000}};
  for (const auto& a : axes) {
    for (const auto& c : cases) {
      centre();
      axis(a.axis, c.raw);
      j.Poll();
      EXPECT_EQ(j.getAbstractDown(a.plus), c.plus) << a.plus << " raw " << c.raw;
      EXPECT_EQ(j.getAbstractDown(a.plus + 1), c.minus) << a.plus + 1 << " raw " << c.raw;
    }
  }
  axis(0, kFull);
  j.Poll();
  EXPECT_EQ(j.x, 10000);
  EXPECT_EQ(j.y, 5000);
  for (Long code : {87L, 999L, 1048L, 5000L}) EXPECT_EQ(j.getAbstractDown(code), 0) << code;
}

TEST_F(JoystickTest, HatDirectionsCountBothSidesOfADiagonal) {
  CJoystick& j = *Joystick;
  const struct {
    Long pov, up, right, down, left;
  } cases[] = {{-1, 0, 0, 0, 0},        {0, 5000, 0, 0, 0},     {4500, 5000, 5000, 0, 0},
               {9000, 0, 5000, 0, 0},   {13500, 0, 5000, 5000, 0}, {18000, 0, 0, 5000, 0},
               {22500, 0, 0, 5000, 5000}, {27000, 0, 0, 0, 5000}, {31500, 5000, 0, 0, 5000}};
  for (const auto& c : cases) {
    hat(c.pov);
    j.Poll();
    EXPECT_EQ(j.getPOV(0), c.pov);
    EXPECT_EQ(j.getAbstractDown(1032), c.up) << c.pov;
    EXPECT_EQ(j.getAbstractDown(1033), c.right) << c.pov;
    EXPECT_EQ(j.getAbstractDown(1034), c.down) << c.pov;
    EXPECT_EQ(j.getAbstractDown(1035), c.left) << c.pov;
  }
}

TEST_F(JoystickTest, AHeldHatOrAxisReportsItsRelease) {
  CJoystick& j = *Joystick;
  struct Step {
    Long pov, raw;  // hat, x axis
    Integer press;
  } steps[] = {{0, kFull, 1}, {0, kFull, 1}, {-1, 0, -1}, {-1, 0, 0}, {0, kFull, 1}, {9000, 0, -1}};
  for (const Step& s : steps) {
    hat(s.pov);
    axis(0, s.raw);
    j.Poll();
    EXPECT_EQ(j.getAbstractPress(1032), s.press) << "pov up at " << s.pov;
    EXPECT_EQ(j.getAbstractPress(1036), s.press) << "x+ at " << s.raw;
  }
  axis(0, 6000);  // x about 5490: within 1000 of the centre
  j.Poll();
  EXPECT_EQ(j.getAbstractPress(1036), 0);
}

TEST_F(JoystickTest, ARemapTakesTheHatThenTheAxesThenTheHighestButton) {
  CJoystick& j = *Joystick;
  const Long slight = 16000;  // about 7300: beyond the dead zone, short of 9000
  struct Push {
    Long axis, raw;
  };
  struct Case {
    const char* what;
    Long pov;
    Push a, b;  // axis -1: none
    Long expected;
  } cases[] = {
      {"hat left beats the axes and buttons", 27000, {5, kFull}, {0, kLow}, 1035},
      {"hat down", 18000, {0, kFull}, {-1, 0}, 1034},
      {"hat right", 9000, {-1, 0}, {-1, 0}, 1033},
      {"hat up", 0, {-1, 0}, {-1, 0}, 1032},
      {"a diagonal is no direction", 4500, {-1, 0}, {-1, 0}, 1007},
      {"rz+ beats x", -1, {0, kFull}, {5, kFull}, 1046},
      {"rz-", -1, {5, -30000}, {-1, 0}, 1047},
      {"ry+ beats rx", -1, {3, kFull}, {4, kFull}, 1042},
      {"rx-", -1, {3, -30000}, {-1, 0}, 1041},
      {"z+ beats y", -1, {1, kFull}, {2, kFull}, 1044},
      {"z-", -1, {2, -30000}, {-1, 0}, 1045},
      {"y- beats x", -1, {0, kFull}, {1, kLow}, 1039},
      {"x+", -1, {0, kFull}, {-1, 0}, 1036},
      {"x-", -1, {0, kLow}, {-1, 0}, 1037},
      {"a slight push loses to a button", -1, {0, slight}, {-1, 0}, 1007},
  };
  button(3, true);
  button(7, true);
  for (const Case& c : cases) {
    centre();
    hat(c.pov);
    for (const Push& p : {c.a, c.b})
      if (p.axis >= 0) axis(p.axis, p.raw);
    EXPECT_EQ(j.getPressed(), c.expected) << c.what;
  }
  centre();
  axis(0, slight);
  button(3, false);
  button(7, false);
  EXPECT_EQ(j.getPressed(), -1) << "nothing at the end of its travel";
  EXPECT_EQ(j.x, 5000) << "getPressed leaves the polled fields alone";
  EXPECT_EQ(j.getButton(7), 0);
}

TEST_F(JoystickTest, AStickWithoutAZAxisDoesNotRemapToZMinus) {
  auto j = openSecond(2, 4);
  if (!j) GTEST_SKIP() << "no second virtual joystick";
  ASSERT_TRUE(j->Exists);
  EXPECT_EQ(j->getPressed(), -1) << "the absent z axis reads 0";
  setVirtualJoystickButtonForTests(second_, 1, true);
  EXPECT_EQ(j->getPressed(), 1001);
}

TEST_F(JoystickTest, ButtonCountIsClampedAndAStickWithoutButtonsOpens) {
  EXPECT_EQ(Joystick->Buttons, 31);
  struct Case {
    Long buttons;
    Integer highest;
  } cases[] = {{0, -1}, {12, 11}, {40, 31}};
  for (const Case& c : cases) {
    auto j = openSecond(2, c.buttons);
    if (!j) GTEST_SKIP() << "no second virtual joystick";
    EXPECT_TRUE(j->Exists) << c.buttons;
    EXPECT_EQ(j->Buttons, c.highest) << c.buttons;
    if (c.highest >= 0) setVirtualJoystickButtonForTests(second_, c.highest, true);
    j->Poll();
    EXPECT_EQ(j->getPressed(), c.highest < 0 ? -1 : 1000 + c.highest) << c.buttons;
    detachVirtualJoystickForTests(second_);
    second_ = -1;
  }
}

TEST_F(JoystickTest, AFailedSetUpLeavesNoJoystickInUse) {
  DevMode = true;
  MsgCount = 0;
  auto failed = std::make_shared<CJoystick>();
  failed->Init(40);  // no such device
  EXPECT_FALSE(failed->Exists);
  EXPECT_EQ(failed->diDev, nullptr);
  EXPECT_GE(MsgCount, 1) << "the failure is logged";
  DevMode = false;
  Joystick = failed;  // as InitInput leaves it when the first device fails
  ASSERT_TRUE(JoyControl->bJoysAtAll);
  bind(0, 1000);
  button(0, true);
  EXPECT_NO_THROW(frame());
  EXPECT_FALSE(ship().keyThrust);
  Single x = 1, y = 1;
  JoyControl->getJoyLook(x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

TEST_F(JoystickTest, ThrustFollowsButtonTwoAndLeavesAKeyboardBindingAlone) {
  bind(0, 1002);
  for (bool down : {true, true, false, true, false}) {
    button(2, down);
    frame();
    EXPECT_EQ(ship().keyThrust, down);
  }
  bind(0, 87);
  ship().keyThrust = true;  // the keyboard holds W
  frame();
  EXPECT_TRUE(ship().keyThrust);
  bind(2, 1035);  // trick left on pov left
  hat(27000);
  frame();
  EXPECT_TRUE(ship().keyLeft);
  hat(-1);
  frame();
  EXPECT_FALSE(ship().keyLeft);
}

TEST_F(JoystickTest, OneShotsFireOncePerPush) {
  bind(5, 1036);  // next target on x+
  bind(17, 1004);  // talk on button 4
  struct Step {
    Long raw;
    bool fires;
  } steps[] = {{0, false}, {kFull, true}, {kFull, false}, {20000, false}, {0, false}, {kFull, true}};
  for (const Step& s : steps) {
    axis(0, s.raw);
    frame();
    EXPECT_EQ(ship().keyNextTarg, s.fires) << s.raw;
    ship().keyNextTarg = false;  // the ship consumes it
  }
  button(4, true);
  frame();
  EXPECT_TRUE(ship().keyTalk);
  EXPECT_FALSE(ship().keyPrevTarg);
}

TEST_F(JoystickTest, PressAndReleaseBindingsFollowTheirControls) {
  const struct {
    Long action, button;
    bool CShip::*flag;
  } cases[] = {{10, 0, &CShip::keyPrimary}, {11, 1, &CShip::keySecondary}, {8, 2, &CShip::keyWarp},
               {9, 3, &CShip::keyWarpChoose}, {16, 4, &CShip::keySel2}};
  for (const auto& c : cases) bind(c.action, 1000 + c.button);
  for (const auto& c : cases) {
    button(c.button, true);
    frame();
    EXPECT_TRUE(ship().*c.flag) << c.action;
    frame();
    EXPECT_TRUE(ship().*c.flag) << c.action << " held";
    button(c.button, false);
    frame();
    EXPECT_FALSE(ship().*c.flag) << c.action;
  }
  bind(10, 1032);  // attack on pov up: on while pushed, off when let go
  hat(0);
  frame();
  EXPECT_TRUE(ship().keyPrimary);
  hat(-1);
  frame();
  EXPECT_FALSE(ship().keyPrimary);
}

TEST_F(JoystickTest, TheActionButtonClicksMenusAfterItsGrace) {
  bind(8, 1000);
  GameInterface->Window = msMainMenu;
  auto click = [&] {
    button(0, true);
    frame();
    EXPECT_TRUE(MouseHeld);
    EXPECT_FALSE(MouseClicked);
    button(0, false);
    frame();
    EXPECT_FALSE(MouseHeld);
    const bool clicked = MouseClicked;
    MouseClicked = false;
    return clicked;
  };
  EXPECT_TRUE(click());
  JoyControl->keyUpGrace = true;  // a screen just opened from flight, or a joystick remap
  EXPECT_FALSE(click()) << "the first release is swallowed";
  EXPECT_FALSE(JoyControl->keyUpGrace);
  EXPECT_TRUE(click());
  GameInterface->Window = msNone;  // in flight the button is no mouse button
  for (bool down : {true, false}) {
    button(0, down);
    frame();
    EXPECT_FALSE(MouseHeld);
    EXPECT_FALSE(MouseClicked);
  }
}

TEST_F(JoystickTest, AWaitingRemapTakesAFullPushNotASlightOne) {
  bind(0, 1036);  // thrust on x+
  GameInterface->Window = msOptInput;
  GameInterface->keyRemapping = 5;
  axis(0, 16000);  // slight
  frame();
  EXPECT_EQ(Player->getCharKey(5), 70) << "a slight push binds nothing";
  EXPECT_EQ(GameInterface->keyRemapping, 5);
  EXPECT_FALSE(ship().keyThrust) << "no ship flag while a binding waits";
  axis(0, kFull);
  frame();
  EXPECT_EQ(Player->getCharKey(5), 1036);
  EXPECT_EQ(GameInterface->keyRemapping, -1);
  EXPECT_TRUE(JoyControl->keyUpGrace);
}

TEST(JoyControlNames, ControlCodesAreNamed) {
  const struct {
    Long code;
    const char* text;
  } cases[] = {{1000, "button 0"}, {1031, "button 31"}, {1032, "pov up"}, {1033, "pov right"}, {1034, "pov down"},
               {1035, "pov left"}, {1036, "x+"},        {1037, "x-"},     {1038, "y+"},        {1039, "y-"},
               {1040, "rx+"},      {1041, "rx-"},       {1042, "ry+"},    {1043, "ry-"},       {1044, "z+"},
               {1045, "z-"},       {1046, "rz+"},       {1047, "rz-"},    {1048, ""},          {30000, ""}};
  for (const auto& c : cases) EXPECT_EQ(CJoyControl::joyToString(c.code), c.text) << c.code;
}

TEST_F(JoystickTest, LookOffsetsFromTheLookBindings) {
  bind(12, 1037);  // look left on x-
  bind(13, 1036);  // look right on x+
  bind(14, 1039);  // look up on y-
  bind(15, 1038);  // look down on y+
  bind(0, 1035);   // thrust on pov left, brake on pov right: look up/down under the classic view
  bind(1, 1033);
  const struct {
    bool classic;
    Long x, y, pov;
    Single lookX, lookY;
  } cases[] = {
      {false, 0, 0, -1, 0, 0},       {false, kFull, 0, -1, 20, 0},    {false, kLow, 0, -1, -20, 0},
      {false, 0, kLow, -1, 0, 20},   {false, 0, kFull, -1, 0, -20},   {false, 6000, 0, -1, 0, 0},
      {false, 0, 0, 27000, 0, 0},    {true, 0, kLow, 27000, 0, 20},   {true, 0, 0, 9000, 0, -20},
  };
  for (const auto& c : cases) {
    ClassicView = c.classic;
    axis(0, c.x);
    axis(1, c.y);
    hat(c.pov);
    Joystick->Poll();
    Single x = 99, y = 99;
    JoyControl->getJoyLook(x, y);
    EXPECT_FLOAT_EQ(x, c.lookX) << c.x << "," << c.y << " pov " << c.pov << " classic " << c.classic;
    EXPECT_FLOAT_EQ(y, c.lookY) << c.x << "," << c.y << " pov " << c.pov << " classic " << c.classic;
  }
  ClassicView = false;
}
