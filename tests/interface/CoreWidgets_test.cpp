// Drawing primitives and menu widgets: the push button's hover box and click latch, the arrow
// button, the option rows' toggling, key-binding rows and their text, and key remapping.
#include "tests/interface/CoreFixture.h"

namespace {

using CoreWidgets = CoreTest;

TEST_F(CoreWidgets, AButtonReactsOnlyStrictlyInsideItsBoxShrunkByEight) {
  // Button at x 100, caption line y 100, width 100: box 95..205 x 85..135, hover 103..197 x 93..127.
  struct Case {
    Single x, y, w;
    bool clicked;
  };
  const Case cases[] = {
      {150, 110, 100, true},  {103, 110, 100, false}, {103.5f, 110, 100, true}, {197, 110, 100, false},
      {196.5f, 110, 100, true}, {150, 93, 100, false},  {150, 127, 100, false},   {150, 126.5f, 100, true},
      // A 10-pixel button draws a 42-pixel panel but reacts only within 103..107.
      {105, 110, 10, true},   {108, 110, 10, false},  {120, 110, 10, false},
  };
  for (const Case& c : cases) {
    clickAt(c.x, c.y);
    EXPECT_EQ(CoreProbe::button(*gi, 100, 100, c.w, "go", false), c.clicked) << c.x << "," << c.y << " w " << c.w;
    EXPECT_EQ(MouseClicked, !c.clicked) << "a click is consumed only by the button that takes it";
  }
}

TEST_F(CoreWidgets, TheFirstOfTwoOverlappingButtonsTakesTheClick) {
  clickAt(150, 110);
  EXPECT_TRUE(CoreProbe::button(*gi, 100, 100, 100, "first", false));
  EXPECT_FALSE(CoreProbe::button(*gi, 100, 100, 100, "second", false));
  EXPECT_FALSE(MouseClicked);
}

TEST_F(CoreWidgets, ADisabledButtonNeverTouchesTheLatch) {
  clickAt(150, 110);
  EXPECT_FALSE(CoreProbe::button(*gi, 100, 100, 100, "off", true));
  EXPECT_TRUE(MouseClicked);
  MouseHeld = true;  // a held button does not stop an enabled button's click
  EXPECT_TRUE(CoreProbe::button(*gi, 100, 100, 100, "on", false));
}

TEST_F(CoreWidgets, AnArrowClicksOnlyWhileNoButtonIsHeldAndKeepsItsCellForUnknownNumbers) {
  clickAt(210, 210);  // arrow centred at (200, 200): hover 184..216
  MouseHeld = true;
  EXPECT_FALSE(CoreProbe::arrow(*gi, 200, 200, 3));
  EXPECT_TRUE(MouseClicked);
  MouseHeld = false;
  EXPECT_TRUE(CoreProbe::arrow(*gi, 200, 200, 3));
  EXPECT_FALSE(MouseClicked);
  clickAt(216, 200);  // on the edge: outside
  EXPECT_FALSE(CoreProbe::arrow(*gi, 200, 200, 1));
  EXPECT_TRUE(MouseClicked);
  const auto cell1 = CoreProbe::srcRect(*gi);
  EXPECT_EQ(cell1.left, 0);
  EXPECT_EQ(cell1.top, 32);
  CoreProbe::arrow(*gi, 200, 200, 2);
  CoreProbe::arrow(*gi, 200, 200, 9);  // keeps cell 2's corner
  const auto kept = CoreProbe::srcRect(*gi);
  EXPECT_EQ(kept.left, 32);
  EXPECT_EQ(kept.top, 32);
  EXPECT_EQ(kept.right, 64);
  EXPECT_EQ(kept.bottom, 64);
}

TEST_F(CoreWidgets, OptionRowsToggleOnAClickAndLeaveTheLatchToTheScreen) {
  struct Case {
    bool marked, hover, held;
    bool result;
  };
  const Case cases[] = {
      {false, true, false, true},   // unmarked, clicked: marked
      {true, true, false, false},   // marked, clicked: unmarked
      {true, true, true, false},    // marked rows unmark even while a button is held
      {false, true, true, false},   // unmarked rows need the button up
      {true, false, false, true},   // not hovered: unchanged
      {false, false, false, false},
  };
  for (const Case& c : cases) {
    for (bool radio : {false, true}) {
      clickAt(c.hover ? 150 : 400, 116);  // row at (100, 100), width 100: hover 100..200 x 100..132
      MouseHeld = c.held;
      const bool r = radio ? CoreProbe::radioRow(*gi, 100, 100, 100, c.marked)
                           : CoreProbe::checkRow(*gi, 100, 100, 100, c.marked);
      EXPECT_EQ(r, c.result) << "marked " << c.marked << " hover " << c.hover << " held " << c.held;
      EXPECT_TRUE(MouseClicked);
    }
  }
}

TEST_F(CoreWidgets, KeyBindingTextNamesTheKeyAndShowsTheCode) {
  // Letters and digits show as themselves; keys whose character is not their label by name.
  struct Case {
    Integer code;
    const char* text;
  };
  const Case cases[] = {{87, "W(87)"},          {50, "2(50)"},          {32, "Space(32)"},   {37, "Left(37)"},
                        {38, "Up(38)"},         {39, "Right(39)"},      {40, "Down(40)"},    {13, "Enter(13)"},
                        {27, "Esc(27)"},        {16, "Shift(16)"},      {91, "Left Win(91)"}, {97, "Num 1(97)"},
                        {106, "Num *(106)"},    {112, "F1(112)"},       {123, "F12(123)"},   {186, ";(186)"},
                        {219, "L Bracket(219)"}, {222, "'(222)"},       {58, ":(58)"},       {300, "(300)"},
                        {1000, "button 0"},     {1033, "pov right"},    {1048, ""},          {-5, "(-5)"}};
  for (const Case& c : cases) EXPECT_EQ(CInterface::keyBindingText(c.code), c.text) << c.code;
}

TEST_F(CoreWidgets, AClickedBindingRowWaitsAndOtherRowsIgnoreThePointerMeanwhile) {
  clickAt(200, 250);  // row at (150, 250): hover 150..375 x 238..262
  EXPECT_TRUE(CoreProbe::keyBinding(*gi, 150, 250, 0));
  EXPECT_EQ(gi->keyRemapping, 0);
  EXPECT_TRUE(MouseClicked);  // rows leave the latch to the screen
  clickAt(200, 275);
  EXPECT_FALSE(CoreProbe::keyBinding(*gi, 150, 275, 1));
  EXPECT_EQ(gi->keyRemapping, 0);
  // The next key is bound to the waiting action, even Escape, and the wait ends.
  gi->Remap(27);
  EXPECT_EQ(Player->getCharKey(0), 27);
  EXPECT_EQ(gi->keyRemapping, -1);
  gi->Remap(65);  // no wait: nothing changes
  EXPECT_EQ(Player->getCharKey(0), 27);
}

}  // namespace
