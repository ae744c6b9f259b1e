// The map editor through its window's own controls: a map loads and saves unchanged also after
// its sectors and slots were shown, each kind of edit reaches the game's own map reader, lists
// with typed text store nothing, a link that is not a number or lies beyond range is named, a load
// refreshes the structure panel, and only the right button flies the camera.
#include <gtest/gtest.h>

#include <cmath>

#include "editors/CMapEditor.h"
#include "editors/frmMapEdit.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "levels/CMap.h"
#include "ships/CShip.h"
#include "tests/editors/EditorFixture.h"

namespace {
const char* const LosGatos = "\\maps\\losgatos.pnd";

class MapEditorTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    openEditor("cmdMapEditor");
    ASSERT_EQ(GameMode, pmMapEditor);
    ASSERT_TRUE(MapEditor && MapEditor->form());
    f = MapEditor->form();
  }
  void load(const std::string& name) {
    type(*f, "txtName", name);
    click(*f, "Command1");
  }
  // The game's own reader.
  static std::unique_ptr<CMap> readBack(const std::string& name) {
    auto m = std::make_unique<CMap>();
    m->MapName = name;
    EXPECT_TRUE(m->Load());
    return m;
  }
  FrmMapEdit* f = nullptr;
};

TEST_F(MapEditorTest, ShowingEverySectorAndSlotSavesTheMapUnchanged) {
  EXPECT_EQ(f->caption(), "Map Editor");
  EXPECT_EQ(f->cmbStructType.text(), "None");  // the new map's slots are empty
  const std::string before = dir->read(LosGatos);
  load("losgatos");
  EXPECT_EQ(f->txtTitle.text(), "Los Gatos");
  for (Integer s = 0; s < 12; ++s) click(*f, "optSec(" + std::to_string(s) + ")");
  for (Integer s = 0; s < 32; ++s) click(*f, "optStruct(" + std::to_string(s) + ")");
  click(*f, "optSec(3)");  // scale 6 shows as 10, fractional angles as whole degrees
  EXPECT_EQ(f->scaleScroll.value(), 10);
  click(*f, "cmdUpdate");
  click(*f, "Command2");
  EXPECT_EQ(dir->read(LosGatos), before);
}

TEST_F(MapEditorTest, SectorSlotAndAtmosphereEditsReachTheGamesReader) {
  load("losgatos");
  const D3DVECTOR slot1 = MapEditor->getStructPos(1);
  click(*f, "optSec(4)");
  choose(*f, "xScroll", 90);
  choose(*f, "scaleScroll", 25);
  type(*f, "txtBitmap", "sky\\stars1.bmp");
  EXPECT_EQ(MapEditor->getTexture(4), "");  // the picture waits for Update
  click(*f, "cmdUpdate");
  click(*f, "optStruct(1)");
  choose(*f, "cmbStructType", 4);  // GenBuild1, definition 3
  type(*f, "txtLink", "7");
  choose(*f, "SXscroll", 1000);
  EXPECT_EQ(f->lblSX.caption(), "1000");
  choose(*f, "cmbFog", 2);
  choose(*f, "gScroll", 200);
  type(*f, "txtTitle", "Los Gatos II");
  click(*f, "Command2");

  auto m = readBack("losgatos");
  EXPECT_FLOAT_EQ(m->getSecX(4), 1.57f);
  EXPECT_EQ(m->getSecSC(4), 25);
  EXPECT_EQ(m->getSecTexture(4), "sky\\stars1.bmp");
  EXPECT_EQ(m->getStructDef(1), 3);
  EXPECT_EQ(m->getStructLink(1), 7);
  const D3DVECTOR p = m->getStructPos(1);
  EXPECT_EQ(p.x, 1000);
  EXPECT_EQ(p.y, slot1.y);
  EXPECT_EQ(p.z, slot1.z);
  EXPECT_EQ(m->MapFog, 2);
  EXPECT_EQ(m->getGreen(), 200);
  EXPECT_EQ(m->MapTitle, "Los Gatos II");

  // "None" empties the slot and shows again as "None".
  choose(*f, "cmbStructType", 0);
  EXPECT_EQ(MapEditor->getStructType(1), -1);
  click(*f, "optStruct(0)");
  click(*f, "optStruct(1)");
  EXPECT_EQ(f->cmbStructType.text(), "None");
}

TEST_F(MapEditorTest, TypedListTextAndRefusedNumbersStoreNothing) {
  load("losgatos");
  const std::string before = dir->read(LosGatos);
  const Long weather = MapEditor->getWeather();
  type(*f, "cmbWeather", "Blizzard");
  EXPECT_EQ(MapEditor->getWeather(), weather);
  type(*f, "cmbWeather", "fire storm");  // typed text naming an entry chooses it
  EXPECT_EQ(MapEditor->getWeather(), 5);
  click(*f, "optStruct(0)");
  const Long def = MapEditor->getStructType(0);
  type(*f, "cmbStructType", "Skyscraper");
  EXPECT_EQ(MapEditor->getStructType(0), def);
  type(*f, "txtLink", "40000");
  EXPECT_EQ(MapEditor->getStructLink(0), 0);
  EXPECT_NE(f->lblStatus.caption().find("40000"), std::string::npos);
  type(*f, "txtLink", "12abc");
  EXPECT_EQ(MapEditor->getStructLink(0), 12);

  for (const char* name : {"", "../losgatos", "maps\\losgatos", ".."}) {
    SCOPED_TRACE(name);
    type(*f, "txtName", name);
    click(*f, "Command2");
    EXPECT_NE(f->lblStatus.caption().find("Not saved"), std::string::npos);
  }
  EXPECT_EQ(dir->read(LosGatos), before);
  EXPECT_FALSE(dir->exists("\\maps\\.pnd"));
}

TEST_F(MapEditorTest, ALinkThatIsNotANumberOrLiesBeyondRangeIsNamedInSavesResult) {
  load("losgatos");
  click(*f, "optStruct(2)");
  type(*f, "txtLink", "abc");
  EXPECT_EQ(MapEditor->getStructLink(2), 0);
  EXPECT_NE(f->lblStatus.caption().find("\"abc\""), std::string::npos) << f->lblStatus.caption();
  click(*f, "Command2");
  EXPECT_NE(f->lblStatus.caption().find("Link of slot 3 \"abc\" as 0"), std::string::npos) << f->lblStatus.caption();
  EXPECT_EQ(readBack("losgatos")->getStructLink(2), 0);

  // Typed key by key, the last prefix in range stays in the slot: Save writes nothing and says so.
  click(*f, "optStruct(5)");
  for (const char* typed : {"9", "99", "999", "9999", "99999"}) type(*f, "txtLink", typed);
  EXPECT_EQ(MapEditor->getStructLink(5), 9999);
  click(*f, "optStruct(0)");
  const std::string before = dir->read(LosGatos);
  click(*f, "Command2");
  EXPECT_EQ(dir->read(LosGatos), before);
  const std::string status = f->lblStatus.caption();
  EXPECT_NE(status.find("Not saved"), std::string::npos) << status;
  EXPECT_NE(status.find("slot 6"), std::string::npos) << status;
  EXPECT_NE(status.find("99999"), std::string::npos) << status;
  EXPECT_NE(status.find("9999)"), std::string::npos) << status;
  click(*f, "optStruct(5)");
  EXPECT_EQ(f->txtLink.text(), "99999");  // the box shows what was typed until it is mended
  type(*f, "txtLink", "99");
  click(*f, "Command2");
  EXPECT_EQ(f->lblStatus.caption().find("Not saved"), std::string::npos) << f->lblStatus.caption();
  EXPECT_EQ(readBack("losgatos")->getStructLink(5), 99);
}

TEST_F(MapEditorTest, ALoadShowsTheNewMapsSlotAndAFailedOneKeepsTheMap) {
  load("losgatos");
  click(*f, "optStruct(0)");
  EXPECT_EQ(f->SXscroll.value(), 2484);
  load("freeport");
  const D3DVECTOR p = MapEditor->getStructPos(0);
  EXPECT_EQ(f->SlotX, static_cast<Integer>(std::lround(p.x)));
  EXPECT_EQ(f->lblSX.caption(), std::to_string(std::lround(p.x)));
  // Moving one bar keeps the other two coordinates of the new map.
  choose(*f, "SYScroll", 100);
  const D3DVECTOR q = MapEditor->getStructPos(0);
  EXPECT_EQ(q.x, p.x);
  EXPECT_EQ(q.z, p.z);

  const std::string title = MapEditor->getTitle();
  load("nomap");
  EXPECT_NE(f->lblStatus.caption().find("Load failed"), std::string::npos);
  EXPECT_EQ(MapEditor->getTitle(), title);
}

TEST_F(MapEditorTest, OnlyTheRightButtonFlies) {
  FrameTime = 0.1;
  MouseHeld = false;
  MapEditor->Move();
  ASSERT_TRUE(Ships[0]);
  const D3DVECTOR start = MapEditor->eye();
  MouseHeld = true;
  MouseButton = 1;
  MapEditor->Move();
  EXPECT_FALSE(Ships[0]->keyThrust);
  EXPECT_EQ(MapEditor->eye().x, start.x);
  MouseButton = 2;
  MapEditor->Move();
  EXPECT_TRUE(Ships[0]->keyThrust);
  EXPECT_NEAR(MapEditor->eye().x, start.x + 50, 1e-3);  // 500 units a second along angle 0
  MouseButton = 1;  // a left press keeps the flight going
  MapEditor->Move();
  EXPECT_TRUE(Ships[0]->keyThrust);
  MouseHeld = false;
  MapEditor->Move();
  EXPECT_FALSE(Ships[0]->keyThrust);
  EXPECT_EQ(CamEye.y, 1000);
}
}  // namespace
