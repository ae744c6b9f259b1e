// New-game wizard, save-slot screens, the slot list, autosave and the intro slide show, driven on
// the recording device with the pointer and the click latch as a player would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "engine/PlayerNotices.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CTextureMonster.h"
#include "runtime/ItemFile.h"
#include "ships/CShipDef.h"
#include "tests/interface/CoreFixture.h"

struct NewGameProbe {
  CInterface& g;
  void page(Integer p) { g.drawNewGame(p); }
  void manager(bool fromMenu, bool embedded) { g.drawGameManager(fromMenu, embedded); }
  void intro() { g.RenderIntro(); }
  void wall() { g.RenderIntroMsg(); }
  Integer watchShip() { return g.pickWatchShip(); }
  Integer& selItem() { return g.selItem; }
  Integer& curSlot() { return g.curSlot; }
  Double& introClock() { return g.introClock; }
  bool& stale() { return g.slotPreviewStale; }
  const std::string& slotName(int i) { return g.slotNames[static_cast<size_t>(i)]; }
  Integer portrait(int i) { return g.newGamePortraits[static_cast<size_t>(i)]; }
  const std::string& text(int i) { return g.newGameTexts[static_cast<size_t>(i)]; }
  bool cell(int c, int r) { return g.introGrid[static_cast<size_t>(c)][static_cast<size_t>(r)]; }
  const std::string& slideText(int k) { return g.introTexts[static_cast<size_t>(k)]; }
  const std::string& previewDriver() { return g.previewDriver; }
  Long previewPlayTime() { return g.previewPlayTime; }
  Integer previewDifficulty() { return g.previewDifficulty; }
  Integer previewNode() { return g.previewNode; }
  const std::string& previewDamage() { return g.previewDamage; }
  Single& saveIconTimer() { return g.saveIconTimer; }
};

namespace {
// Centres of the widgets on an 800 x 600 screen (cx 400, top 100).
constexpr Single PrevX = 470, NextX = 630, ButtonY = 460;  // "previous", "next"/"finish!"
constexpr Single ShipButtonY = 415;                         // the ship page's buttons stand 45 higher
Single difficultyY(int i) { return 210 + 50.0f * i; }
Single shipTileX(int i) { return 457 + 90.0f * i; }
constexpr Single ShipTileY = 327;
Single portraitX(int i) { return 450 + 64.0f * (i % 4); }
Single portraitY(int i) { return 330 + 64.0f * (i / 4); }
Single embeddedSlotX(int i) { return 259 + 65.0f * i; }  // slot tiles of the save-slot page
constexpr Single EmbeddedSlotY = 240;

// A plain design with its index in the name.
std::shared_ptr<CShipDef> design(int n) {
  auto d = std::make_shared<CShipDef>();
  d->ShipName = "design" + std::to_string(n);
  d->MaxArmor = 100.0f + 10 * n;
  d->MaxShields = 50.0f + n;
  d->MaxFuel = 1000 + n;
  d->TotalMounts = 1;
  return d;
}

std::string node(const std::string& title, const std::string& path) {
  std::string t = "\"" + title + "\"\r\n\"" + path + "\"\r\n100,100\r\n0\r\n\"\"\r\n0,1,0\r\n";
  for (int n = 0; n < 5; ++n) t += "0\r\n";
  for (int e = 0; e < 9; ++e) t += "#FALSE#\r\n";
  return t + "0\r\n";
}

class NewGameTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    ShipDefs.clear();
    for (int n = 0; n < 8; ++n) ShipDefs.push_back(design(n));
    for (int i = 0; i < 33; ++i) CharDefs[static_cast<size_t>(i)] = CharDef{"m", "c" + std::to_string(i) + ".bmp"};
    TexMon = std::make_shared<CTextureMonster>();
    for (int s = 0; s < 7; ++s) dir->write(CPlayer::SlotFile(s, -1), "\"*nil*\"\r\n");
    dir->write("\\data\\newgame.pnd", "ship a\r\nship b\r\nship c\r\ndrivers\r\ngunners\r\nall set\r\nslots\r\n");
    std::string slides;
    for (int k = 0; k < 10; ++k) slides += "slide " + std::to_string(k) + "\r\nintro" + std::to_string(k + 1) + ".bmp\r\n";
    dir->write("\\data\\introtext.pnd", slides);
    dir->write("\\data\\intromsg.pnd", "a.b\r\n");
    dir->write("\\maps\\world.pnd", "\"World!\"\r\n" + node("Home Base", "home") + node("Far Away", "away") + "\"eof\"\r\n");
    for (const char* name : {"home", "away"}) {  // empty maps, whole: a game can be loaded onto them
      map->MapName = name;
      map->Save();
    }
    map->MapName = "";
    World = std::make_shared<CWorld>();
    World->Load();
    World->CurrentNode = 1;
    // What the main menu's "new game" leaves.
    Player->Init();
    Player->MakeShipFromPlayer(0, 0, 0, 0);
    gi->ReadNewGameText();
    gi->InitNewGameChars();
    gi->Window = msNewDifficulty;
  }
  void TearDown() override {
    World.reset();
    TexMon.reset();
    ShipDefs.clear();
    for (auto& s : SubPlayers) s.reset();
    MotherPlayer.reset();
    for (auto& c : CharDefs) c = CharDef{};
    CoreTest::TearDown();
  }
  NewGameProbe probe() { return NewGameProbe{*gi}; }
  // One frame of the wizard page the interface shows, with a click at (x, y).
  void clickPage(Single x, Single y) {
    clickAt(x, y);
    probe().page(static_cast<Integer>(gi->Window - 23));
  }
  Integer portraitOf(int character) {
    return TexMon->getTextureNumber("portraits\\c" + std::to_string(character) + ".bmp");
  }
};

TEST_F(NewGameTest, DifficultyButtonsAreTheOnlyWayOn) {
  for (int i = 0; i < 5; ++i) {
    gi->Window = msNewDifficulty;
    clickPage(550, difficultyY(i));
    EXPECT_EQ(gi->Window, msNewShip) << i;
    EXPECT_EQ(Player->Difficulty, i);
    EXPECT_FALSE(MouseClicked);
  }
  // Where "previous" and "next" stand on other pages there is nothing here.
  for (Single x : {PrevX, NextX}) {
    gi->Window = msNewDifficulty;
    clickPage(x, ButtonY);
    EXPECT_EQ(gi->Window, msNewDifficulty);
    EXPECT_FALSE(MouseClicked);
  }
}

TEST_F(NewGameTest, PreviousAndNextOnEveryPage) {
  enum Loaded { none, drivers, gunners };
  struct Case {
    Long from;
    Single x, y;
    Long to;
    Loaded portraits;
  } cases[] = {
      {msNewShip, PrevX, ShipButtonY, msNewDifficulty, none},
      {msNewShip, NextX, ShipButtonY, msNewDriver, drivers},
      {msNewDriver, PrevX, ButtonY, msNewShip, none},
      {msNewDriver, NextX, ButtonY, msNewDriverName, none},
      {msNewDriverName, PrevX, ButtonY, msNewDriver, drivers},
      {msNewDriverName, NextX, ButtonY, msNewGunner, gunners},
      {msNewGunner, PrevX, ButtonY, msNewDriverName, none},
      {msNewGunner, NextX, ButtonY, msNewGunnerName, none},
      {msNewGunnerName, PrevX, ButtonY, msNewGunner, gunners},
      {msNewGunnerName, NextX, ButtonY, msNewSaveSlot, none},
      {msNewSaveSlot, PrevX, ButtonY, msNewGunnerName, none},
      {msNewSaveSlot, NextX, ButtonY, msNewAllSet, none},
      {msNewAllSet, PrevX, ButtonY, msNewSaveSlot, none},
      {msNewShip, 300, 300, msNewShip, none},  // a click beside the buttons
  };
  for (const Case& c : cases) {
    gi->Window = c.from;
    // The other list in place, so that a reload shows.
    if (c.portraits == drivers) gi->LoadNewGameGunnerPortraits();
    if (c.portraits == gunners) gi->LoadNewGameDriverPortraits();
    clickPage(c.x, c.y);
    EXPECT_EQ(gi->Window, c.to) << c.from << " at " << c.x;
    EXPECT_FALSE(MouseClicked) << c.from;
    if (c.portraits == drivers) {
      EXPECT_EQ(probe().portrait(4), portraitOf(30)) << c.from;
    } else if (c.portraits == gunners) {
      EXPECT_EQ(probe().portrait(4), portraitOf(17)) << c.from;
    }
  }
}

TEST_F(NewGameTest, ShipTilesRebuildThePlayersShip) {
  gi->Window = msNewShip;
  Ships[0]->Armor = 1;
  clickPage(shipTileX(0), ShipTileY);  // the selected tile: nothing changes
  EXPECT_EQ(probe().selItem(), 0);
  EXPECT_EQ(Ships[0]->Armor, 1);
  EXPECT_FALSE(MouseClicked);

  const struct {
    int tile;
    Integer design;
  } picks[] = {{1, 5}, {2, 2}, {0, 1}};
  for (const auto& p : picks) {
    clickPage(shipTileX(p.tile), ShipTileY);
    EXPECT_EQ(probe().selItem(), p.tile);
    EXPECT_EQ(Player->ShipType, p.design);
    EXPECT_EQ(Ships[0]->ShipType, p.design);
    EXPECT_TRUE(Ships[0]->Exists);
    EXPECT_EQ(Ships[0]->Armor, 100.0f + 10 * p.design);
    EXPECT_EQ(Player->Armor, 100.0f + 10 * p.design);
    EXPECT_EQ(Player->Fuel, 1000 + p.design);
    EXPECT_EQ(gi->Window, msNewShip);
  }
}

TEST_F(NewGameTest, PortraitsPickTheCrew) {
  gi->LoadNewGameDriverPortraits();
  gi->Window = msNewDriver;
  Ships[0]->Armor = 3;
  clickPage(portraitX(0), portraitY(0));  // character 4 is the driver already
  EXPECT_EQ(Player->getCharDef(0), 4);
  EXPECT_EQ(Ships[0]->Armor, 3);
  clickPage(portraitX(6), portraitY(6));
  EXPECT_EQ(Player->getCharDef(0), 9);
  EXPECT_NE(Ships[0]->Armor, 3);  // rebuilt with the new crew
  EXPECT_EQ(gi->Window, msNewDriver);

  gi->LoadNewGameGunnerPortraits();
  EXPECT_EQ(probe().portrait(4), portraitOf(17));
  gi->Window = msNewGunner;
  clickPage(portraitX(7), portraitY(7));
  EXPECT_EQ(Player->getCharDef(1), 32);
  EXPECT_EQ(Player->getCharDef(0), 9);
  clickPage(portraitX(7) + 31, portraitY(7));  // just beside the last portrait
  EXPECT_EQ(Player->getCharDef(1), 32);
}

TEST_F(NewGameTest, FinishSavesIntoTheChosenSlotAndStartsTheIntro) {
  Player->Save(3, "an old game", 0, -1);
  Player->DriverName = "zed";
  gi->Window = msNewGunnerName;
  clickPage(NextX, ButtonY);  // to the save-slot page, which reads the slot list
  ASSERT_EQ(gi->Window, msNewSaveSlot);
  EXPECT_EQ(probe().slotName(3), "an old game");
  clickPage(embeddedSlotX(3), EmbeddedSlotY);
  EXPECT_EQ(probe().curSlot(), 3);
  clickPage(NextX, ButtonY);
  ASSERT_EQ(gi->Window, msNewAllSet);
  clickPage(NextX, ButtonY);  // "finish!"
  EXPECT_EQ(gi->Window, msIntro);
  EXPECT_EQ(probe().introClock(), -1.0);
  EXPECT_EQ(probe().slideText(9), "slide 9");
  EXPECT_TRUE(dir->exists(CPlayer::SlotFile(3, 0)));
  const std::string name = probe().slotName(3);
  ASSERT_GE(name.size(), 7u);
  EXPECT_EQ(name.substr(name.size() - 7), " (auto)");
  EXPECT_EQ(dir->read(CPlayer::SlotFile(3, -1)).substr(name.size() + 2, 5), "zed\r\n");
  EXPECT_EQ(probe().slotName(0), "");
}

TEST_F(NewGameTest, TheSlotList) {
  dir->write(CPlayer::SlotFile(1, -1), "*nil*\r\nx\r\n");  // no quotes: a name like any other
  dir->write(CPlayer::SlotFile(2, -1), "my game\r\n");
  dir->remove(CPlayer::SlotFolder(4));  // no file: nothing saved there
  probe().stale() = false;
  gi->ReadSaveList();
  const char* expected[] = {"", "*nil*", "my game", "", "", "", ""};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(probe().slotName(i), expected[i]) << i;
  EXPECT_TRUE(probe().stale());
  dir->write(CPlayer::SlotFile(5, -1), "");  // a file with no line at all is damaged: shown, to tell why
  gi->ReadSaveList();
  EXPECT_EQ(probe().slotName(5), "?");
  EXPECT_EQ(probe().slotName(2), "my game");
}

TEST_F(NewGameTest, GameManagerPreviewAndButtons) {
  // A saved game in slot 2: 3725 s of play, difficulty 4, on node 1.
  Player->DriverName = "dee";
  Player->Difficulty = 4;
  gi->GameTime = 3725;
  Player->Save(2, "saved", 0, -1);
  gi->ReadSaveList();
  Player->DriverName = "someone else";
  gi->GameTime = 0;
  probe().curSlot() = 0;
  gi->Window = msGameManager;
  // The panel is centred: corner (150, 120); slot tiles at (172 + 65 i, 150).
  clickAt(172 + 65 * 2 + 32, 182);
  probe().manager(true, false);
  EXPECT_EQ(probe().curSlot(), 2);
  EXPECT_FALSE(probe().stale());
  EXPECT_EQ(probe().previewDriver(), "dee");
  EXPECT_EQ(probe().previewPlayTime(), 3725);
  EXPECT_EQ(probe().previewDifficulty(), 4);
  EXPECT_EQ(probe().previewNode(), 1);

  struct Case {
    bool fromMenu;
    Integer slot;
    Single x;  // button centre: 242 "delete", 400 "load", 558 "save"
    Long to;
  } cases[] = {
      {true, 2, 242, msConfirmDeleteMenu}, {false, 2, 242, msConfirmDelete}, {false, 2, 400, msConfirmLoad},
      {false, 2, 558, msConfirmSave},      {false, 0, 558, msConfirmSave},   {true, 2, 558, msGameManager},
      {true, 0, 242, msGameManager},       {true, 0, 400, msGameManager},    {false, 0, 242, msBank},
      {true, 2, 400, msNone},  // the game manager loads at once
  };
  for (const Case& c : cases) {
    probe().curSlot() = c.slot;
    gi->Window = c.fromMenu ? msGameManager : msBank;
    clickAt(c.x, 402);
    probe().manager(c.fromMenu, false);
    EXPECT_EQ(gi->Window, c.to) << c.fromMenu << " slot " << c.slot << " at " << c.x;
    EXPECT_FALSE(MouseClicked);
  }
  EXPECT_EQ(Player->DriverName, "dee");
  EXPECT_EQ(gi->GameTime, 3725);
  // "back".
  gi->Window = msGameManager;
  clickAt(400, 450);
  probe().manager(true, false);
  EXPECT_EQ(gi->Window, msMainMenu);
}

TEST_F(NewGameTest, LoadingADamagedSlotFromTheMenuSaysSoAndStays) {
  Player->Save(1, "soon damaged", 0, -1);
  gi->ReadSaveList();
  dir->write(CPlayer::SlotFile(1, 2), "cut\r\n");
  probe().curSlot() = 1;
  gi->Window = msGameManager;
  Player->Cash = 31337;
  clickAt(400, 402);
  probe().manager(true, false);
  EXPECT_EQ(gi->Window, msGameManager);
  EXPECT_EQ(Player->Cash, 31337);
  ASSERT_EQ(playerNoticeTexts().size(), 1u);
  EXPECT_EQ(playerNoticeTexts().front().rfind("[Y]game not loaded:[y] save slot 2 (\\data\\save1\\sub2.pnd): ", 0), 0u)
      << playerNoticeTexts().front();
  resetPlayerNotices();
  // The preview tells why instead of the slot's texts.
  probe().manager(true, false);
  EXPECT_EQ(probe().previewDamage().rfind("save slot 2 (\\data\\save1\\sub2.pnd): ", 0), 0u) << probe().previewDamage();
  // A slot naming a node the world lacks is damaged too, and can still be deleted.
  dir->write(CPlayer::SlotFile(1, 2), dir->read(CPlayer::SlotFile(1, 1)));
  const std::string save = dir->read(CPlayer::SlotFile(1, -1));
  std::string bad = save;
  const size_t node = bad.find("\r\n1\r\n0\r\n");  // line 15, then the first goods count
  ASSERT_NE(node, std::string::npos);
  bad.replace(node, 8, "\r\n77\r\n0\r\n");
  dir->write(CPlayer::SlotFile(1, -1), bad);
  gi->ReadSaveList();
  for (int frame = 0; frame < 2; ++frame) probe().manager(true, false);
  EXPECT_EQ(probe().previewDamage().rfind("save slot 2 (\\data\\save1\\save.pnd): Subscript out of range", 0), 0u)
      << probe().previewDamage();
  clickAt(242, 402);
  probe().manager(true, false);
  EXPECT_EQ(gi->Window, msConfirmDeleteMenu);
}

TEST_F(NewGameTest, AutosaveKeepsTheShipWhereItIs) {
  Player->HasAutoSaver = true;
  probe().curSlot() = 6;
  CShip& s = *Ships[0];
  s.x = 12, s.y = 34, s.e = 56;
  const D3DVECTOR lo = CurMap->getStructLBounds(3), hi = CurMap->getStructUBounds(3);
  gi->doAutoSave(3);
  EXPECT_EQ(s.x, 12);
  EXPECT_EQ(s.y, 34);
  EXPECT_EQ(s.e, 56);
  EXPECT_EQ(probe().saveIconTimer(), 5.0f);
  const std::string name = probe().slotName(6);
  EXPECT_EQ(name.substr(name.size() - 7), " (auto)");
  ItemReader in(CPlayer::SlotFile(6, -1));
  for (int i = 0; i < 7; ++i) in.readLine();
  EXPECT_EQ(in.readSingle(), lo.x + (hi.x - lo.x) / 2);
  EXPECT_EQ(in.readSingle(), lo.z + (hi.z - lo.z) / 2);
  EXPECT_EQ(in.readSingle(), hi.y + 500);

  // A save that fails puts the ship back too, and tells the player.
  s.Armor = std::numeric_limits<Single>::quiet_NaN();
  probe().saveIconTimer() = 0;
  gi->doAutoSave(3);
  ASSERT_EQ(playerNoticeTexts().size(), 1u);
  EXPECT_EQ(playerNoticeTexts().front().rfind("[Y]game not auto-saved in slot 7 (\\data\\save6):[y] ", 0), 0u)
      << playerNoticeTexts().front();
  EXPECT_EQ(probe().saveIconTimer(), 0);
  EXPECT_EQ(s.x, 12);
  EXPECT_EQ(s.y, 34);
  EXPECT_EQ(s.e, 56);
}

TEST_F(NewGameTest, TextsAndNames) {
  EXPECT_EQ(probe().text(0), "ship a");
  EXPECT_EQ(probe().text(6), "slots");
  dir->write("\\data\\newgame.pnd", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n");
  gi->ReadNewGameText();
  EXPECT_EQ(probe().text(6), "7");
  dir->write("\\data\\newgame.pnd", "a\r\nb\r\n");
  EXPECT_THROW(gi->ReadNewGameText(), VbError);
  EXPECT_EQ(probe().text(1), "b");
  EXPECT_EQ(probe().text(2), "3");  // read so far kept
  const char* names[] = {"very easy", "easy", "normal", "hard", "armageddon"};
  for (Integer d = 0; d < 5; ++d) EXPECT_EQ(CInterface::getDifficultyName(d), names[d]);
  EXPECT_EQ(CInterface::getDifficultyName(-1), "");
  EXPECT_EQ(CInterface::getDifficultyName(5), "");
}

TEST_F(NewGameTest, IntroWallAndSlides) {
  gi->ReadIntroMsg();
  EXPECT_TRUE(probe().cell(0, 0));
  EXPECT_FALSE(probe().cell(1, 0));
  for (int c = 2; c < 80; ++c) EXPECT_TRUE(probe().cell(c, 0)) << c;
  EXPECT_FALSE(probe().cell(5, 9));  // rows the file lacks are not touched
  EXPECT_EQ(probe().slideText(0), "slide 0");

  // A click in unit 3 of slide 2 jumps to that slide's last unit; in units 0 and 7 it is ignored.
  gi->Window = msIntro;
  FrameTime = 0;
  struct Case {
    Double t, after;
  } cases[] = {{19.5, 23}, {16.5, 16.5}, {23.5, 23.5}};
  for (const Case& c : cases) {
    probe().introClock() = c.t;
    MouseClicked = true;
    probe().intro();
    EXPECT_EQ(probe().introClock(), c.after) << c.t;
    EXPECT_FALSE(MouseClicked);
  }
  // The show ends in flight on the first pass at 80 or beyond.
  probe().introClock() = 79.5;
  FrameTime = 0.5;  // +0.3
  probe().intro();
  EXPECT_EQ(gi->Window, msIntro);
  probe().intro();
  EXPECT_EQ(gi->Window, msNone);
}

TEST_F(NewGameTest, OneClickHurriesOneSlideEvenWithTheButtonHeld) {
  // Through the dispatcher at 0.1 s a frame: a click in slide 1 jumps to its last unit; the button
  // held down afterwards (and the frames of the cross-fade) move the show on by its clock alone.
  gi->Window = msIntro;
  probe().introClock() = 9.5;  // slide 1, unit 1
  FrameTime = 0.1;
  clickAt(400, 300);
  gi->Render();
  EXPECT_NEAR(probe().introClock(), 15.0, 1e-9);
  MouseHeld = true;
  for (int i = 0; i < 100; ++i) gi->Render();  // 10 s: +6 units
  MouseHeld = false;
  EXPECT_NEAR(probe().introClock(), 21.0, 1e-6);  // slide 2, unit 5
  EXPECT_EQ(gi->Window, msIntro);
}

TEST_F(NewGameTest, TheMessageWallScrollsLeft60PixelsASecond) {
  gi->ReadIntroMsg();  // row 0: blocks in columns 0 and 2..79
  struct Case {
    Double age;
    int blocks;
    float leftX;  // left edge of the leftmost block
  } cases[] = {{0, 1, 770}, {10, 10, 170}, {30, 14, -10}};
  for (const Case& c : cases) {
    gi->DemoOverFrame = c.age;
    D3DDevice->ClearRecordedCalls();
    probe().wall();
    int draws = 0;
    float left = 1e9f;
    for (const D3DCall& call : D3DDevice->RecordedCalls()) {
      if (call.kind != D3DCallKind::DrawPrimitiveUP) continue;
      ++draws;
      float x = 0;
      std::memcpy(&x, call.bytes.data(), sizeof x);
      left = std::min(left, x);
    }
    EXPECT_EQ(draws, 2 * c.blocks) << c.age;  // each block glows in two passes
    EXPECT_FLOAT_EQ(left, c.leftX) << c.age;
  }
}

TEST_F(NewGameTest, TheWholeShowRunsToFlightThroughTheDispatcher) {
  gi->Window = msIntro;
  probe().introClock() = -1;
  FrameTime = 0.1;
  int frames = 0;
  while (gi->Window == msIntro && frames < 3000) {
    gi->Render();
    ++frames;
  }
  EXPECT_EQ(gi->Window, msNone);
  EXPECT_NEAR(frames, 81 / 0.06, 3);
}

TEST_F(NewGameTest, TheTitleCameraWatchesAFiringShip) {
  for (auto& s : Ships) s->Exists = false;
  EXPECT_EQ(probe().watchShip(), -1);
  Ships[5]->Exists = true;
  Ships[5]->Armor = 400;
  Ships[5]->Shields = 900;
  EXPECT_EQ(probe().watchShip(), 5);
  EXPECT_EQ(Ships[5]->Armor, 50);
  EXPECT_EQ(Ships[5]->Shields, 200);
  Ships[9]->Exists = true;
  Ships[9]->keyPrimary = true;
  for (int i = 0; i < 20; ++i) EXPECT_EQ(probe().watchShip(), 9);
}
}  // namespace
