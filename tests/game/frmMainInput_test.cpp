// The main form's keyboard and mouse handlers: binding priority, the Escape table, key remapping,
// name editing on the new-game wizard, the mouse buttons, and the hook-up to the window's events.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "engine/MessageLog.h"
#include "game/CheatMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "tests/support/TempGameDir.h"

namespace {
class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("\\data\\readme.txt", "");
    Player = std::make_shared<CPlayer>();
    GameInterface = std::make_shared<CInterface>();
    Ships.clear();
    Ships.push_back(std::make_shared<CShip>());
    Ships[0]->Exists = true;
    GameMode = pmPlay;
    TypedKeys.clear();
    for (Long a = 0; a < 18; ++a) Player->setCharKey(a, static_cast<Integer>(200 + a));  // out of the way
  }
  void TearDown() override {
    Ships.clear();
    GameInterface.reset();
    Player.reset();
    GameMode = 0;
    MouseHeld = MouseClicked = false;
    MouseButton = 0;
    PointerX = PointerY = 0;
    TypedKeys.clear();
  }
  void down(Integer key) {
    Integer shift = 0;
    frmMain.Form_KeyDown(key, shift);
  }
  void up(Integer key) {
    Integer shift = 0;
    frmMain.Form_KeyUp(key, shift);
  }
  void press(Integer ascii) { frmMain.Form_KeyPress(ascii); }
  void mouse(bool isDown, Integer button, Single x = 0, Single y = 0) {
    Integer shift = 0;
    if (isDown) frmMain.Form_MouseDown(button, shift, x, y);
    else frmMain.Form_MouseUp(button, shift, x, y);
  }
  CShip& ship() { return *Ships[0]; }
  TempGameDir dir;
};
}  // namespace

TEST_F(InputTest, AKeyBoundTwiceDrivesOnlyTheFirstActionInTheTestOrder) {
  struct Case {
    Long first, second;  // two actions sharing key 65; first comes earlier in the order
    bool CShip::*flag;
  };
  const Case cases[] = {
      {2, 0, &CShip::keyLeft},        // trick left before thrust
      {15, 12, &CShip::keyLookDown},  // look down before look left
      {10, 16, &CShip::keyPrimary},   // attack before status
      {8, 10, &CShip::keyWarp},
  };
  for (const Case& c : cases) {
    for (Long a = 0; a < 18; ++a) Player->setCharKey(a, static_cast<Integer>(200 + a));
    Player->setCharKey(c.first, 65);
    Player->setCharKey(c.second, 65);
    Ships[0] = std::make_shared<CShip>();
    down(65);
    EXPECT_TRUE(ship().*(c.flag)) << c.first;
    int set = 0;
    for (bool CShip::*f : {&CShip::keyThrust, &CShip::keyBrake, &CShip::keyLeft, &CShip::keyRight,
                           &CShip::keyPrevTarg, &CShip::keyNextTarg, &CShip::keySwitchLeft, &CShip::keySwitchRight,
                           &CShip::keyWarp, &CShip::keyWarpChoose, &CShip::keyPrimary, &CShip::keySecondary,
                           &CShip::keyLookLeft, &CShip::keyLookRight, &CShip::keyLookUp, &CShip::keyLookDown,
                           &CShip::keySel2, &CShip::keyTalk})
      set += ship().*f;
    EXPECT_EQ(set, 1) << c.first;
    up(65);
    EXPECT_FALSE(ship().*(c.flag)) << c.first;
  }
}

TEST_F(InputTest, EscapeOpensAndClosesTheQuitConfirmationAndLeavesTheWizard) {
  struct Case {
    Long window, after;
    bool shipStays;
  };
  for (Case c : {Case{0, 35, true}, Case{35, 0, true}, Case{24, 14, false}, Case{26, 14, false},
                 Case{29, 14, false}, Case{37, 14, false}, Case{38, 14, false}, Case{14, 14, true},
                 Case{3, 3, true}, Case{30, 30, true}}) {
    GameInterface->Window = c.window;
    ship().Exists = true;
    down(27);
    EXPECT_EQ(GameInterface->Window, c.after) << c.window;
    EXPECT_EQ(ship().Exists, c.shipStays) << c.window;
  }
  // Escape then goes on like any other key: bound to an action, it drives it.
  Player->setCharKey(9, 27);
  GameInterface->Window = 0;
  down(27);
  EXPECT_TRUE(ship().keyWarpChoose);
}

TEST_F(InputTest, ARemappedKeyGoesToTheInterfaceButItsReleaseStillClearsTheFlag) {
  Player->setCharKey(0, 70);  // F drives thrust
  ship().keyRight = true;
  GameInterface->keyRemapping = 3;  // trick right waits for a key
  down(70);
  EXPECT_EQ(Player->getCharKey(3), 70);
  EXPECT_EQ(GameInterface->keyRemapping, -1);
  EXPECT_FALSE(ship().keyThrust);  // no flag set
  EXPECT_TRUE(TypedKeys.empty());  // and no cheat check
  up(70);  // F is now bound to trick right (earlier in the order than thrust)
  EXPECT_FALSE(ship().keyRight);

  // A missing ship slot is filled by a key press, and every other key feeds the cheat check.
  Ships.clear();
  down(71);
  ASSERT_EQ(Ships.size(), 1u);
  EXPECT_FALSE(Ships[0]->Exists);
  EXPECT_EQ(TypedKeys, "G");
}

TEST_F(InputTest, NamePagesTakeTypedCharactersOnly) {
  Player->setCharKey(0, 65);
  GameInterface->Window = 26;
  down(65);
  EXPECT_FALSE(ship().keyThrust);
  Player->DriverName.clear();
  press(8);  // Backspace on an empty name does nothing
  EXPECT_EQ(Player->DriverName, "");
  for (char ch : std::string("Zed the quick driver!")) press(ch);
  EXPECT_EQ(Player->DriverName, "Zed the quick driver");  // 20 characters at most
  press(8);
  EXPECT_EQ(Player->DriverName, "Zed the quick drive");
  press(13);
  EXPECT_EQ(GameInterface->Window, 27);
  press('x');  // the gunner page takes no typing
  EXPECT_EQ(Player->DriverName, "Zed the quick drive");

  // Enter is the page's "next": from the gunner's name on to the save-slot page (the slot list
  // read for it), never straight to "all set?".
  for (int slot = 0; slot < 7; ++slot)
    dir.write("\\data\\save" + std::to_string(slot) + "\\save.pnd", "\"*nil*\"\r\n");
  GameInterface->Window = 28;
  Player->GunnerName.clear();
  press(13);  // Enter on an empty name still goes on
  EXPECT_EQ(GameInterface->Window, 37);
  EXPECT_EQ(Player->GunnerName, "");
}

TEST_F(InputTest, MouseButtonsFireInFlightAndAlwaysLatchTheClick) {
  mouse(true, 1);
  EXPECT_TRUE(MouseHeld);
  EXPECT_EQ(MouseButton, 1);
  EXPECT_TRUE(ship().keyPrimary);
  mouse(true, 2);
  EXPECT_TRUE(ship().keySecondary);
  mouse(false, 1);
  EXPECT_FALSE(MouseHeld);
  EXPECT_TRUE(MouseClicked);
  EXPECT_FALSE(ship().keyPrimary);
  EXPECT_TRUE(ship().keySecondary);

  mouse(true, 4);  // the middle button is recorded but fires nothing
  EXPECT_EQ(MouseButton, 4);

  GameInterface->Window = 14;  // a menu holds the mouse: no fire, but a release still clears
  ship().keyPrimary = false;
  mouse(true, 1);
  EXPECT_FALSE(ship().keyPrimary);
  MouseClicked = false;
  mouse(false, 2);
  EXPECT_FALSE(ship().keySecondary);
  EXPECT_TRUE(MouseClicked);

  Integer b = 0, s = 0;
  Single x = 123, y = 45;
  const Single before = PointerX;  // (100, 100) from the new interface object
  frmMain.Form_MouseMove(b, s, x, y);
  EXPECT_EQ(PointerX, before);  // only the world editor follows the mouse
  GameMode = pmWorldEditor;
  frmMain.Form_MouseMove(b, s, x, y);
  EXPECT_EQ(PointerX, 123);
  EXPECT_EQ(PointerY, 45);
}

TEST_F(InputTest, TheWindowsEventsReachTheHandlers) {
  Player->setCharKey(0, 38);  // Up arrow: thrust
  frmMain.window().postKeyDown(38);
  frmMain.window().postMouseDown(1, 10, 10);
  doEvents();
  EXPECT_TRUE(ship().keyThrust);
  EXPECT_TRUE(ship().keyPrimary);
  frmMain.window().postKeyUp(38);
  frmMain.window().postMouseUp(1, 10, 10);
  doEvents();
  EXPECT_FALSE(ship().keyThrust);
  EXPECT_FALSE(ship().keyPrimary);
  EXPECT_TRUE(MouseClicked);
}
