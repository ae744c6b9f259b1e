// The status/warp overlay toggle, the fleet respawn choice, the warp map's node box and the status
// screen's strip: scrolling, arrows, jettisoning goods and the lists it builds. Drawn on the
// recording device (nothing is drawn; the logic runs as in the game).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CText.h"
#include "engine/GameGlobals.h"
#include "engine/GeomMod.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "platform/Direct3D.h"
#include "platform/Window.h"
#include "runtime/Trap.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/TempGameDir.h"

struct OverlayProbe {
  static Single& frame(CInterface& i) { return i.overlayFrame; }
  static bool isStatus(CInterface& i) { return i.overlayIsStatus; }
  static Integer& spawnChoice(CInterface& i) { return i.spawnChoice; }
  static void status(CInterface& i) { i.drawStatusScreen(); }
  static void nodeTitle(CInterface& i) { i.drawNodeTitle(); }
  static std::string playTime(Long t) { return CInterface::playTimeText(t); }
  static void setItem(CInterface& i, Integer id, const std::string& name, const std::string& desc) {
    i.storeItems[id].name = name;
    i.storeItems[id].desc = desc;
  }
};

namespace {
// A world node record of the world file (position (x, 50), links as given).
std::string worldNode(const std::string& title, const std::string& path, int x, std::initializer_list<int> links) {
  std::string t = "\"" + title + "\"\r\n\"" + path + "\"\r\n" + std::to_string(x) + ",50\r\n0\r\n\"about " + path +
                  "\"\r\n1,0," + std::to_string(links.size()) + "\r\n";
  int n = 0;
  for (int l : links) t += std::to_string(l) + "\r\n", ++n;
  for (; n < 5; ++n) t += "0\r\n";
  for (int e = 0; e < 9; ++e) t += "#FALSE#\r\n";
  return t + "0\r\n";
}

// A map file whose 32 structure slots hold defs (the rest empty).
std::string mapFile(const std::vector<int>& defs) {
  std::string t = "\"M\"\r\n1,0,2\r\n";
  for (int s = 0; s < 12; ++s) t += "0,10,\"\",0,0\r\n";
  for (int i = 0; i < 32; ++i)
    t += "0,0,0\r\n" + std::to_string(i < static_cast<int>(defs.size()) ? defs[i] : -1) + "\r\n0\r\n";
  return t + "60,70,120\r\n";
}

class OverlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MsgLog.fill("");
    MsgCount = 0;
    dir.write("\\data\\readme.txt", "");
    setDeviceBackend(DeviceBackendKind::Recording);
    Player = std::make_shared<CPlayer>();
    DX = std::make_shared<DirectX8>();
    D3D = DX->Direct3DCreate();
    HWND h = window.hWnd();
    initD3D(h, Player->vRes, Player->vFullScreen, Player->vWideScreen);
    DxSprite = std::make_shared<D3DXSprite>(D3DDevice);
    GameText = std::make_shared<CText>();
    savedW = ScreenWidth;
    savedH = ScreenHeight;
    ScreenWidth = 800;
    ScreenHeight = 600;
    dir.write("\\maps\\world.pnd", "\"World!\"\r\n" + worldNode("Home", "home", 300, {1}) +
                                       worldNode("Next", "next", 700, {}) + worldNode("Far", "far", 1400, {0}) +
                                       "\"eof\"\r\n");
    for (const char* path : {"home", "next", "far"}) dir.write(std::string("\\maps\\") + path + ".pnd", mapFile({11, 13}));
    World = std::make_shared<CWorld>();
    World->Load();
    World->Init(800, 600);
    World->CurrentNode = 0;
    GameInterface = std::make_shared<CInterface>();
    Ships.assign(1, std::make_shared<CShip>());
    CShipDef def;
    def.TotalMounts = 1;
    Ships[0]->setDef(def);
    for (auto& s : SubPlayers) {
      s = std::make_shared<CPlayer>();
      s->ShipType = -1;
    }
    MouseClicked = MouseHeld = false;
    FrameTime = 0.1;
    DevMode = true;  // unforced lines are kept (after every options read)
    installMessageLog();
  }
  void TearDown() override {
    Ships.clear();
    for (auto& s : SubPlayers) s.reset();
    GameInterface.reset();
    World.reset();
    GameText.reset();
    DxSprite.reset();
    ReleaseGeometry();
    releaseDirectX();
    setDeviceBackend(DeviceBackendKind::OpenGL);
    setTrapSink(nullptr);
    Player.reset();
    FrameTime = 0;
    DevMode = false;
    ScreenWidth = savedW;
    ScreenHeight = savedH;
    PointerX = PointerY = 0;
    MouseClicked = MouseHeld = false;
  }
  bool logHas(const std::string& start) const {
    for (int i = 0; i < MsgCount; ++i)
      if (MsgLog[i].rfind(start, 0) == 0) return true;
    return false;
  }
  CInterface& gi() { return *GameInterface; }

  TempGameDir dir;
  GameWindow window;
  Long savedW = 0, savedH = 0;
};
}  // namespace

TEST_F(OverlayTest, TheWarpMapOpensOnTheCurrentNodeAndASecondPressReversesIt) {
  World->ScrollX = 900;
  gi().ToggleWarpChoose(false);
  EXPECT_FLOAT_EQ(OverlayProbe::frame(gi()), 0.01f);
  EXPECT_FALSE(OverlayProbe::isStatus(gi()));
  EXPECT_TRUE(Player->checkMappedLoc("home"));  // visited
  EXPECT_EQ(World->getNodeVisible(1), 1);       // its neighbour shows
  EXPECT_EQ(World->getNodeVisible(2), 1);       // linked from the far side
  EXPECT_FLOAT_EQ(World->ScrollX, 0);           // centred on home (300 - 400, raised to 0)
  EXPECT_EQ(GameText->getBlockLine(0), "about home");
  EXPECT_TRUE(gi().hasMouse());

  // A second press while opening reverses it; the other key does not switch overlays.
  gi().ToggleWarpChoose(true);
  EXPECT_FLOAT_EQ(OverlayProbe::frame(gi()), 2.0f);
  EXPECT_FALSE(OverlayProbe::isStatus(gi()));
  OverlayProbe::frame(gi()) = 1.0f;  // fully open
  gi().ToggleWarpChoose(false);
  EXPECT_FLOAT_EQ(OverlayProbe::frame(gi()), 1.01f);

  // With a destination planned the description is the highlighted node's.
  OverlayProbe::frame(gi()) = 0;
  World->PickNode(1);
  gi().ToggleWarpChoose(false);
  EXPECT_EQ(GameText->getBlockLine(0), "about next");
  // A destination without a highlight (set by a loaded or scripted route) is described too.
  OverlayProbe::frame(gi()) = 0;
  World->ClearDest();
  World->DestNode = 2;
  gi().ToggleWarpChoose(false);
  EXPECT_EQ(GameText->getBlockLine(0), "about far");
  EXPECT_FLOAT_EQ(OverlayProbe::frame(gi()), 0.01f);
}

TEST_F(OverlayTest, TheStatusScreenAlwaysOpensAtTheLeftEnd) {
  gi().sScroll = 300;
  gi().ToggleWarpChoose(true);  // no parts catalogue here: reported, the screen still opens
  EXPECT_TRUE(OverlayProbe::isStatus(gi()));
  EXPECT_DOUBLE_EQ(gi().sScroll, -20.0);
  EXPECT_FLOAT_EQ(OverlayProbe::frame(gi()), 0.01f);
  EXPECT_TRUE(logHas("Error in CInterface.ToggleWarpChoose: "));
}

TEST_F(OverlayTest, FleetChoiceStepsToBaysHoldingShips) {
  SubPlayers[0]->ShipType = 3;
  SubPlayers[2]->ShipType = 5;
  Integer& choice = OverlayProbe::spawnChoice(gi());
  choice = 0;
  gi().NextSpawn(0);
  EXPECT_EQ(choice, 2);
  gi().NextSpawn(0);
  EXPECT_EQ(choice, 0);
  gi().PrevSpawn(0);
  EXPECT_EQ(choice, 2);
  EXPECT_FLOAT_EQ(gi().SecondarySwitchFrame, 2.0f);  // the choice list shows
  gi().SecondarySwitchFrame = 0;
  gi().NextSpawn(1);  // not the player's ship: nothing at all
  EXPECT_EQ(choice, 2);
  EXPECT_FLOAT_EQ(gi().SecondarySwitchFrame, 0);
  for (auto& s : SubPlayers) s->ShipType = -1;
  gi().NextSpawn(0);
  EXPECT_EQ(choice, 2);  // no fleet: back where it started
}

TEST_F(OverlayTest, TheNodeBoxDescribesTheHighlightedNodeElseTheCurrentOne) {
  OverlayProbe::nodeTitle(gi());
  EXPECT_EQ(GameText->getBlockLine(0), "about home");
  World->HiLiteNode = 2;
  OverlayProbe::nodeTitle(gi());
  EXPECT_EQ(GameText->getBlockLine(0), "about far");
  // A node whose map is missing: reported, no icons, the box still draws.
  dir.remove("\\maps\\next.pnd");
  World->HiLiteNode = 1;
  OverlayProbe::nodeTitle(gi());
  EXPECT_EQ(GameText->getBlockLine(0), "about next");
  EXPECT_TRUE(logHas("Error in CInterface.drawNodeIcon: "));
}

TEST_F(OverlayTest, TheStripSlidesAtTheEdgesAndStopsAtItsEnds) {
  gi().sScroll = -20;
  PointerX = 790;
  PointerY = 300;
  for (int k = 0; k < 5; ++k) OverlayProbe::status(gi());
  EXPECT_NEAR(gi().sScroll, -20 + 5 * 30, 1e-4);
  for (int k = 0; k < 100; ++k) OverlayProbe::status(gi());
  EXPECT_DOUBLE_EQ(gi().sScroll, 1170 - 800);
  // The left arrow jumps back to the start; at the start it is gone.
  PointerX = 20;
  PointerY = 580;
  MouseClicked = true;
  OverlayProbe::status(gi());
  EXPECT_DOUBLE_EQ(gi().sScroll, -20);
  PointerX = 400;
  MouseClicked = true;
  OverlayProbe::status(gi());
  EXPECT_TRUE(MouseClicked);  // no arrow took it
  // The right arrow jumps to the end.
  PointerX = 780;
  MouseClicked = true;
  OverlayProbe::status(gi());
  EXPECT_DOUBLE_EQ(gi().sScroll, 1170 - 800);
  // A wide screen holds the strip at 1170 - width.
  ScreenWidth = 1280;
  PointerX = 640;
  OverlayProbe::status(gi());
  EXPECT_DOUBLE_EQ(gi().sScroll, -110);
}

TEST_F(OverlayTest, ClickingAGoodsRowJettisonsAllOfIt) {
  Player->setResource(2, 7);
  Player->setResource(5, 3);
  gi().sScroll = -20;
  // Row 1 (kittens) at strip (0, 100): screen x 20..220, y 107..157.
  PointerX = 120;
  PointerY = 130;
  MouseClicked = true;
  OverlayProbe::status(gi());
  EXPECT_EQ(Player->getResource(2), 0);
  EXPECT_EQ(Player->getResource(5), 3);
  EXPECT_FALSE(MouseClicked);
  // Clothes moved up to the first row.
  MouseClicked = true;
  OverlayProbe::status(gi());
  EXPECT_EQ(Player->getResource(5), 0);
}

TEST_F(OverlayTest, TheWorldMapScreenHandlesTheMouse) {
  // home (300, 50), next (700, 50), far (1400, 50); the view at the origin.
  World->ScrollX = World->ScrollY = 0;
  World->UpdatePlayerMap();
  // Play: a click on next plans the route and is used up.
  PointerX = 690;
  PointerY = 60;
  MouseHeld = true;
  World->Render(false, 1);
  EXPECT_FALSE(MouseHeld);
  EXPECT_EQ(World->DestNode, 1);
  // Two overlapping nodes: the first in index order takes the click.
  World->AddNode("Twin", "next", 705, 50, "", 0, 0, 0);
  World->Selected = 0;
  World->AddNodeLink(3);
  World->checkVis();
  World->ClearDest();
  MouseHeld = true;
  World->Render(false, 1);
  EXPECT_EQ(World->DestNode, 1);

  // Editor: a held button drags a node by where it was grabbed; release drops it.
  MouseHeld = true;
  PointerX = 310;
  PointerY = 40;
  World->Render(true, 1);
  EXPECT_EQ(World->Selected, 0);
  PointerX = 410;
  PointerY = 140;
  World->Render(true, 1);
  EXPECT_FLOAT_EQ(World->getNodeX(0), 400);
  EXPECT_FLOAT_EQ(World->getNodeY(0), 150);
  MouseHeld = false;
  World->Render(true, 1);
  PointerX = 600;
  World->Render(true, 1);
  EXPECT_FLOAT_EQ(World->getNodeX(0), 400);  // dropped
  // Link adding: a click on another node links the selected one to it; on itself, nothing.
  World->Selected = 2;
  World->ClearLinks(2);
  World->setAddingLink();
  PointerX = 400;
  PointerY = 150;
  MouseHeld = true;
  World->Render(true, 1);
  EXPECT_FALSE(MouseHeld);
  EXPECT_EQ(World->getNodeLinkCount(2), 1);
  EXPECT_EQ(World->getNodeLink(2, 0), 0);
  World->Selected = 0;
  World->setAddingLink();
  MouseHeld = true;
  const Integer before = World->getNodeLinkCount(0);
  World->Render(true, 1);
  EXPECT_EQ(World->getNodeLinkCount(0), before);
}

TEST_F(OverlayTest, TheGoalMarkerLastsOnlyWhileAMissionRuns) {
  World->setGoalPath("far");
  World->Render(false, 1);  // no mission control: the marker goes
  EXPECT_EQ(World->GoalPathFrame, 0);
  EXPECT_EQ(World->getGoalPath(), "");
}

TEST_F(OverlayTest, UpgradesAreListedInTheirFixedOrderAndDescribedUnderThePointer) {
  Player->ArmorLev = 2;
  Player->HasTractorBoost = true;
  Player->HasFuelDoubler = true;
  for (Integer id : {8, 6, 20}) OverlayProbe::setItem(gi(), id, "part " + std::to_string(id), "about " + std::to_string(id));
  gi().sScroll = -20;
  // Icon slots at strip (312 + 64 i, 200): armorg, fueldoubler, tractorboost.
  const Integer expected[] = {8, 6, 20};
  for (int i = 0; i < 3; ++i) {
    PointerX = 312 + 64 * i + 20 + 30;
    PointerY = 230;
    GameText->ClearBlock();
    OverlayProbe::status(gi());
    EXPECT_EQ(GameText->getBlockLine(0), "about " + std::to_string(expected[i])) << i;
  }
  PointerX = 312 + 64 * 3 + 20 + 30;  // past the last icon: no box
  GameText->ClearBlock();
  OverlayProbe::status(gi());
  EXPECT_EQ(GameText->getBlockLine(0), "");
}

TEST_F(OverlayTest, PlayTimeReadsHoursMinutesSeconds) {
  EXPECT_EQ(OverlayProbe::playTime(3725), "01:02:05");
  EXPECT_EQ(OverlayProbe::playTime(360000), "100:00:00");
  EXPECT_EQ(OverlayProbe::playTime(0), "00:00:00");
}
