// The ship editor through its window's own controls: a ship file loads and saves unchanged, every
// kind of edit reaches the file and the game's own reader, numbers follow the prefix and rounding
// rules (a box that is not a number is named), refused names and numbers leave the file alone,
// a file it did not load under that name is replaced only when asked twice, and selecting elements
// never rewrites the offsets the bars cannot show.
#include <gtest/gtest.h>

#include "editors/CShipEditor.h"
#include "editors/frmShipEdit.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/editors/EditorFixture.h"

namespace {
const char* const PhantomFile = "\\ships\\Phantom.pnd";

class ShipEditorTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    openEditor("cmdShipEditor");
    ASSERT_EQ(GameMode, pmShipEditor);
    ASSERT_TRUE(ShipEditor && ShipEditor->form());
    f = ShipEditor->form();
  }
  void load(const std::string& name) {
    type(*f, "txtName", name);
    click(*f, "Command2");
  }
  static CShipDef readBack(const std::string& name) {
    CShipDef d;
    d.ShipName = name;
    d.ReadDef();
    return d;
  }
  FrmShipEdit* f = nullptr;
};

TEST_F(ShipEditorTest, OpensOnThePhantomAndSavesALoadedFileUnchanged) {
  EXPECT_EQ(f->caption(), "Ship Editor");
  EXPECT_TRUE(f->visible());
  EXPECT_EQ(f->txtName.text(), "Phantom");
  const std::string before = dir->read(PhantomFile);
  ASSERT_FALSE(before.empty());
  click(*f, "Command2");
  EXPECT_EQ(f->txtModel.text(), ShipEditor->getDefModel());
  click(*f, "Command1");
  EXPECT_EQ(dir->read(PhantomFile), before);
}

TEST_F(ShipEditorTest, AFileNotLoadedUnderItsNameIsReplacedOnlyWhenAskedTwice) {
  const std::string phantom = dir->read(PhantomFile);
  type(*f, "txtPrice", "5");  // an edit is no load: "Phantom" still asks
  click(*f, "Command1");
  EXPECT_EQ(dir->read(PhantomFile), phantom);
  EXPECT_NE(f->lblStatus.caption().find("\\ships\\Phantom.pnd"), std::string::npos) << f->lblStatus.caption();
  // The question is for that name: another existing name asks again.
  type(*f, "txtName", "Gremlin");
  const std::string gremlin = dir->read("\\ships\\Gremlin.pnd");
  ASSERT_FALSE(gremlin.empty());
  click(*f, "Command1");
  EXPECT_EQ(dir->read("\\ships\\Gremlin.pnd"), gremlin);
  EXPECT_NE(f->lblStatus.caption().find("\\ships\\Gremlin.pnd"), std::string::npos);
  click(*f, "Command1");  // asked twice: replaced
  EXPECT_EQ(readBack("Gremlin").Price, 5);
  // What it saved it holds: the next save of that name goes at once, a name without a file too.
  type(*f, "txtPrice", "6");
  click(*f, "Command1");
  EXPECT_EQ(readBack("Gremlin").Price, 6);
  type(*f, "txtName", "Fresh");
  click(*f, "Command1");
  EXPECT_EQ(readBack("Fresh").Price, 6);

  // A load holds its file under any spelling of the name, but not another file.
  load("Phantom");
  type(*f, "txtName", "PHANTOM");
  type(*f, "txtModel", "newmodel");
  click(*f, "Command1");
  EXPECT_EQ(readBack("Phantom").Model, "newmodel");
  type(*f, "txtName", "Gremlin");
  click(*f, "Command1");
  EXPECT_EQ(readBack("Gremlin").Price, 6);
  EXPECT_NE(f->lblStatus.caption().find("press Save again"), std::string::npos);
}

TEST_F(ShipEditorTest, AMountPositionAndRotationReachTheGamesReader) {
  load("Phantom");
  click(*f, "optEdit(5)");  // mount 2
  EXPECT_TRUE(f->rScroll.enabled());
  choose(*f, "xScroll", 12);
  choose(*f, "yScroll", -7);
  choose(*f, "zScroll", 30);
  choose(*f, "rScroll", 90);
  EXPECT_EQ(f->lblR.caption(), "R: 90");
  EXPECT_FLOAT_EQ(ShipEditor->editDef()->getMountRot(1), 1.57f);  // 90 x 3.14 / 180
  click(*f, "Command1");

  ASSERT_EQ(loadShipDefs(), 0);
  const CShipDef& game = *ShipDefs[0];
  ASSERT_EQ(game.ShipName, "Phantom");
  EXPECT_EQ(game.getMountXOff(1), 12);
  EXPECT_EQ(game.getMountYOff(1), -7);
  EXPECT_EQ(game.getMountZOff(1), 30);
  EXPECT_FLOAT_EQ(game.getMountRot(1), 1.57f);

  // Reloaded, the mount shows 90 degrees again; a seat disables the rotation bar.
  click(*f, "optEdit(0)");
  EXPECT_FALSE(f->rScroll.enabled());
  load("Phantom");
  click(*f, "optEdit(5)");
  EXPECT_EQ(f->rScroll.value(), 90);
  EXPECT_EQ(f->xScroll.value(), 12);
}

TEST_F(ShipEditorTest, NumbersAreReadByTheirPrefixAndRoundedHalfToEven) {
  load("Phantom");
  const struct {
    const char* text;
    Integer shields;
    bool told;  // not a number: the status names the box and what was saved
  } cases[] = {{"12abc", 12, true}, {"", 0, true},     {"1e3", 1000, false}, {"2.5", 2, false},
               {"3.5", 4, false},   {"-2.5", -2, false}, {"abc", 0, true},   {" 7 ", 7, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    type(*f, "txtShields", c.text);
    type(*f, "txtPrice", c.text);
    click(*f, "Command1");
    const CShipDef d = readBack("Phantom");
    EXPECT_EQ(d.MaxShields, c.shields);
    EXPECT_EQ(d.Price, c.shields);
    const std::string status = f->lblStatus.caption();
    EXPECT_EQ(status.rfind("Saved Phantom.", 0), 0u) << status;
    const std::string said = std::string("\"") + c.text + "\" as " + std::to_string(c.shields);
    EXPECT_EQ(status.find("Shields: " + said) != std::string::npos, c.told) << status;
    EXPECT_EQ(status.find("Price: " + said) != std::string::npos, c.told) << status;
  }
}

TEST_F(ShipEditorTest, RefusedNamesAndNumbersLeaveTheFileUntouched) {
  load("Phantom");
  const std::string before = dir->read(PhantomFile);
  for (const char* name : {"", "a/b", "..\\data\\options", "x\\y", ".."}) {
    SCOPED_TRACE(name);
    type(*f, "txtName", name);
    click(*f, "Command1");
    EXPECT_FALSE(f->lblStatus.caption().empty());
    f->lblStatus.setCaption("");
  }
  EXPECT_FALSE(dir->exists("\\ships\\.pnd"));
  type(*f, "txtName", "Phantom");
  const struct {
    const char* box;
    const char* text;
  } numbers[] = {{"txtShields", "40000"}, {"txtFuel", "-32769"}, {"txtPrice", "3e9"}, {"txtAgility", "1e39"}};
  for (const auto& n : numbers) {
    SCOPED_TRACE(n.box);
    const std::string kept = static_cast<TextBox*>(f->findControl(n.box))->text();
    type(*f, n.box, n.text);
    click(*f, "Command1");
    EXPECT_NE(f->lblStatus.caption().find("Not saved"), std::string::npos);
    EXPECT_EQ(dir->read(PhantomFile), before);
    type(*f, n.box, kept);
  }
}

TEST_F(ShipEditorTest, CountButtonsStoreTheLastIndexAndElementsFormOneGroup) {
  load("Phantom");
  click(*f, "optSeats(2)");
  EXPECT_TRUE(f->optEdit(2).enabled());
  EXPECT_FALSE(f->optEdit(3).enabled());
  click(*f, "Command1");
  EXPECT_EQ(readBack("Phantom").TotalSeats, 2);

  click(*f, "optJet(3)");
  click(*f, "optLight(3)");
  click(*f, "optEdit(13)");
  click(*f, "optEdit(17)");
  int pressed = 0;
  for (Integer i = 0; i < f->optEdit.count(); ++i) pressed += f->optEdit(i).value() ? 1 : 0;
  EXPECT_EQ(pressed, 1);
  EXPECT_TRUE(f->optEdit(17).value());
}

TEST_F(ShipEditorTest, SelectingAnElementNeverWritesTheBarsValueBack) {
  CShipDef odd = readBack("Phantom");
  odd.ShipName = "Odd";
  odd.setSeatXOff(0, 12.4f);  // a fraction the bar rounds
  odd.setMountXOff(0, 70);    // beyond the bar's -50..50
  odd.setMountRot(0, 7.0f);   // beyond 360 degrees
  odd.WriteDef();
  const std::string before = dir->read("\\ships\\Odd.pnd");
  load("Odd");
  click(*f, "optEdit(4)");
  EXPECT_EQ(f->xScroll.value(), 50);
  EXPECT_EQ(f->xLabel.caption(), "X: 70");
  click(*f, "optEdit(0)");
  EXPECT_EQ(f->xScroll.value(), 12);
  EXPECT_FLOAT_EQ(ShipEditor->editDef()->getSeatXOff(0), 12.4f);
  EXPECT_FLOAT_EQ(ShipEditor->editDef()->getMountXOff(0), 70);
  click(*f, "Command1");
  EXPECT_EQ(dir->read("\\ships\\Odd.pnd"), before);
}

TEST_F(ShipEditorTest, AFileWithMoreElementsThanButtonsLoadsClamped) {
  CShipDef wide = readBack("Phantom");
  wide.ShipName = "Wide";
  wide.TotalSeats = 6;
  wide.TotalMounts = 9;
  wide.WriteDef();
  load("Wide");
  EXPECT_NE(f->lblStatus.caption().find("Seats"), std::string::npos);
  EXPECT_TRUE(f->optSeats(3).value());
  EXPECT_TRUE(f->optMount(7).value());
  EXPECT_EQ(ShipEditor->getDefTotalMounts(), 7);
}

TEST_F(ShipEditorTest, AFailedLoadOrSaveIsToldAndKeepsTheValues) {
  load("Phantom");
  type(*f, "txtModel", "edited");
  load("Nowhere");
  EXPECT_NE(f->lblStatus.caption().find("Load failed"), std::string::npos);
  EXPECT_EQ(f->txtModel.text(), "edited");
  EXPECT_EQ(ShipEditor->getDefName(), "Phantom");

  dir->remove("\\ships");
  type(*f, "txtName", "Phantom");
  click(*f, "Command1");
  EXPECT_NE(f->lblStatus.caption().find("Save failed"), std::string::npos);
  EXPECT_EQ(ShipEditor->getDefModel(), "edited");
}

TEST_F(ShipEditorTest, ACapitalBodyWidensTheBarsOrbitAndFitsCannons) {
  load("Phantom");
  choose(*f, "cmbShipBody", 3);
  ShipEditor->Move();
  EXPECT_EQ(ShipEditor->viewDistance(), 100);  // the choice reaches the definition on Save
  click(*f, "Command1");
  EXPECT_EQ(f->xScroll.max(), 250);
  EXPECT_EQ(f->zScroll.min(), -300);
  ShipEditor->Move();
  EXPECT_EQ(ShipEditor->viewDistance(), 400);
  click(*f, "Command2");  // a load fits the preview's mounts with cannons
  EXPECT_EQ(ShipEditor->previewShip()->getMount(0), 5);
  EXPECT_EQ(f->yScroll.min(), -250);
  EXPECT_EQ(readBack("Phantom").ShipBody, 3);
}
}  // namespace
