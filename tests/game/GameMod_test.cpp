// The game set-up (initGame's request table, newGame, resetLevel), the frame update's time
// scaling and sub-steps, the frame render's map change and the dynamic lights, on the recording
// device over the generated game folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <tuple>
#include <utility>
#include <vector>

#include "campaign/CMissionControl.h"
#include "campaign/CNews.h"
#include "campaign/CPlayer.h"
#include "campaign/CTalkControl.h"
#include "campaign/CWorld.h"
#include "editors/CMapEditor.h"
#include "editors/CShipEditor.h"
#include "editors/CStructEditor.h"
#include "editors/CWorldEditor.h"
#include "engine/CModelMonster.h"
#include "game/CameraMod.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "engine/CTextureMonster.h"
#include "game/LoaderMod.h"
#include "game/frmLaunch.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/Forms.h"
#include "runtime/Rnd.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "sprites/SpriteMod.h"
#include "tests/support/GameSetUpFixture.h"

namespace {
class GameModTest : public GameSetUpFixture {
 protected:
  // A play start: initGame with the developer option off, so the title scene's new game runs.
  void startPlay() {
    DevMode = false;
    initGame(erLauncher);
    DevMode = true;
  }
  // True when a line of the message log starts with prefix.
  bool logStarts(const std::string& prefix) const {
    for (const std::string& l : logLines())
      if (l.rfind(prefix, 0) == 0) return true;
    return false;
  }
  std::vector<D3DCall> callsOf(D3DCallKind kind) const {
    std::vector<D3DCall> out;
    for (const D3DCall& c : calls())
      if (c.kind == kind) out.push_back(c);
    return out;
  }
};
}  // namespace

TEST_F(GameModTest, InitGameMapsRequestsToModesOnlyInAWindowWithTheDeveloperOption) {
  struct Case {
    bool fullscreen, dev;
    Integer request;
    Long mode;
    Integer editMode;
  };
  const Case cases[] = {
      {false, true, erLauncher, pmLauncher, erLauncher},
      {false, true, erShipEditor, pmShipEditor, erShipEditor},  // request 1 is mode 0
      {false, true, erStructEditor, pmStructEditor, erStructEditor},
      {false, true, erMapEditor, pmMapEditor, erMapEditor},
      {false, true, erWorldEditor, pmWorldEditor, erWorldEditor},
      {false, false, erShipEditor, pmPlay, erPlay},  // no developer option: the request is ignored
      {true, true, erLauncher, pmPlay, erPlay},      // full screen never shows the launcher
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "fullscreen " << c.fullscreen << " dev " << c.dev << " request " << c.request);
    Fullscreen = c.fullscreen;
    DevMode = c.dev;
    frmLaunch.hide();
    initGame(c.request);
    EXPECT_EQ(GameMode, c.mode);
    EXPECT_EQ(EditMode, c.editMode);
    EXPECT_EQ(frmLaunch.visible(), c.mode == pmLauncher);
    EXPECT_EQ(Ships.size(), 16u);
    EXPECT_EQ(Characters.size(), 16u);
    EXPECT_EQ(ShipDefs.size(), 32u);
    EXPECT_EQ(Sprites.size(), 1024u);
    EXPECT_FALSE(Characters[3]->Exists);
    // The news is read and the talk lines with it.
    ASSERT_TRUE(News && TalkControl);
    EXPECT_GT(News->getSegmentCount(), 0);
    EXPECT_GE(TalkControl->getLastEntry(), 0);
  }
  Fullscreen = false;
  DevMode = true;
}

TEST_F(GameModTest, EachEditorRequestCreatesOnlyItsEditorAndShowsItsWindow) {
  initGame(erShipEditor);
  ASSERT_TRUE(ShipEditor && ShipEditor->form());
  EXPECT_EQ(ShipEditor->form()->caption(), "Ship Editor");
  EXPECT_TRUE(ShipEditor->form()->visible());
  EXPECT_FALSE(StructEditor);
  EXPECT_TRUE(logHas("Initing edit: 1"));
  EXPECT_TRUE(logHas("Inited edit: 1"));
  initGame(erMapEditor);
  ASSERT_TRUE(MapEditor && MapEditor->form());
  EXPECT_EQ(MapEditor->form()->caption(), "Map Editor");
  // The editor frames run without play, nothing fails; the map's editor step fills the empty
  // player slot Ships(0), whose thrust flag is the camera's fly-forward flag.
  FrameTime = 0.02;
  doGame();
  doRender();
  EXPECT_FALSE(logStarts("Error in do")) << ::testing::PrintToString(logLines());
  ASSERT_TRUE(Ships[0]);
  EXPECT_FALSE(Ships[0]->keyThrust);
}

TEST_F(GameModTest, NewGameBuildsThePlayersShipAbsentAndStartsTheTitleScene) {
  startPlay();
  EXPECT_EQ(GameMode, pmPlay);
  ASSERT_TRUE(Ships[0]);
  EXPECT_FALSE(Ships[0]->Exists);  // takes no part until play starts from the menus
  EXPECT_EQ(CurMap->MapName, "demoscene");
  EXPECT_EQ(World->getCurrentPath(), "demoscene");
  EXPECT_EQ(GameInterface->Window, 32);
  EXPECT_TRUE(ScreenFxOn);
  EXPECT_EQ(IntroClock, 5.0f);
  EXPECT_EQ(MotherShip, -1);
  for (int i = 0; i < 23; ++i) EXPECT_FALSE(ShipDefs[i]->ShipName.empty()) << i;
  ASSERT_TRUE(ShipDefs[31]);  // the empty designs no file fills
  EXPECT_TRUE(ShipDefs[31]->ShipName.empty());
  // The player's ship uses the model cache: the body model is measured.
  EXPECT_GT(Ships[0]->getSize(), 0);

  // Back to the main menu after a campaign of a later era: nothing reloads, the title effect is
  // off, and the fresh campaign reads the first era's missions.
  const size_t models = ModelSlots.size();
  auto oldShip = Ships[0];
  World->CurrentEra = 3;
  newGame(true, false);
  EXPECT_EQ(World->CurrentEra, 0);
  const auto& defs = MissionControl->getMissionDefs();
  EXPECT_TRUE(std::any_of(defs.begin(), defs.end(), [](const auto& d) { return d.file == "courier.pnd"; }));
  EXPECT_FALSE(std::any_of(defs.begin(), defs.end(), [](const auto& d) { return d.file == "finale.pnd"; }));
  EXPECT_EQ(ModelSlots.size(), models);
  EXPECT_EQ(GameInterface->Window, 14);
  EXPECT_FALSE(ScreenFxOn);
  EXPECT_EQ(CurMap->MapName, "losgatos");
  EXPECT_NE(Ships[0], oldShip);
  EXPECT_FALSE(Ships[0]->Exists);
}

TEST_F(GameModTest, ANewGameWithAMissingShipFileReportsItAndLoadsTheOthers) {
  std::filesystem::remove(dir->real("/ships/bus.pnd"));
  DevMode = false;  // the report is a notice: it shows without the developer option
  initGame(erPlay);
  ASSERT_TRUE(firstPlayerNotice());
  EXPECT_EQ(firstPlayerNotice()->title, "\\ships\\bus.pnd");
  EXPECT_EQ(firstPlayerNotice()->text, "File not found. This ship design is not used");
  EXPECT_FALSE(ShipDefs[5]->ShipName.empty());  // chopper, after bus, still loaded
  EXPECT_GT(ShipDefs[5]->Price, 0);
  DevMode = true;
}

TEST_F(GameModTest, ALevelResetKeepsThePlayersShipAndTheTunnelSprites) {
  startPlay();
  auto player = Ships[0];
  auto other = Ships[7];
  Sprites[10].sType = skTunnelRing;
  Sprites[10].Exists = true;
  Sprites[11].sType = skTunnelFlare;
  Sprites[12].sType = skExplodeFlash;
  Sprites[12].Exists = true;
  BulletTime = true;
  SceneEvent = 3;
  MotherShip = 4;
  TargetUsed.fill(1);
  CurMap->CopWave = 2;
  resetLevel();
  EXPECT_EQ(Ships[0], player);
  EXPECT_NE(Ships[7], other);
  EXPECT_EQ(Sprites[10].sType, skTunnelRing);
  EXPECT_TRUE(Sprites[10].Exists);
  EXPECT_EQ(Sprites[11].sType, skTunnelFlare);
  EXPECT_EQ(Sprites[12].sType, 0);
  EXPECT_FALSE(Sprites[12].Exists);
  EXPECT_FALSE(BulletTime);
  EXPECT_EQ(SceneEvent, 0);
  EXPECT_EQ(MotherShip, -1);
  for (Integer t : TargetUsed) EXPECT_EQ(t, 0);
  EXPECT_EQ(CurMap->CopWave, 0);
  EXPECT_FALSE(GameInterface->NeedMissionReinit);  // InitMissions rebuilt the list
}

TEST_F(GameModTest, TheTitleSceneScalesTheFrameTimeByItsShot) {
  startPlay();
  struct Case {
    Long shot;
    Integer follow;
    Single shotFrame;
    double frameTime;
    Long shotAfter;
  };
  const Case cases[] = {
      {1, 0, 0, 0.02, 1},     {3, 0, 0, 0.02, 3},  {2, 2, 0, 0.012, 2}, {2, 3, 0, 0.01, 8},
      {4, 0, 0, 0.0025, 4},   {8, 0, 0, 0.0025, 8}, {5, 0, 0, 0.01, 5},  {6, 0, 0.8f, 0.00125, 6},
      {6, 0, 0.5f, 0.015, 6}, {7, 0, 0, 0.005, 7},  {0, 0, 0, 0.01, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "shot " << c.shot << " follow " << c.follow);
    GameInterface->Window = 32;
    GameInterface->DemoSceneMode = c.shot;
    GameInterface->DemoSceneFollow = c.follow;
    GameInterface->DemoSceneFrame = c.shotFrame;
    GameInterface->DemoOverFrame = 1.0;
    FrameTime = 0.01;
    doGame();
    EXPECT_NEAR(FrameTime, c.frameTime, 1e-12);
    EXPECT_EQ(GameInterface->DemoSceneMode, c.shotAfter);
    EXPECT_NEAR(GameInterface->DemoOverFrame, 1.01, 1e-12);  // the real frame time
  }
}

TEST_F(GameModTest, ShipsTakeTwoHalfStepsOnlyAboveThirtyMilliseconds) {
  startPlay();
  GameInterface->Window = 0;
  for (auto& s : Ships) s->Exists = false;
  // A fresh player's ship, turning under thrust from the map's centre.
  auto fresh = [] {
    Player->MakeShipFromPlayer(0, 0, 0, 0);
    Ships[0]->Exists = true;
    Ships[0]->keyThrust = true;
    Ships[0]->keyLeft = true;
    setRndSeedForTests(7);
    return Ships[0];
  };
  for (double ft : {0.031, 0.03}) {
    SCOPED_TRACE(ft);
    // By hand: two half steps above 0.03 s, one step otherwise.
    auto byHand = fresh();
    const int steps = ft > 0.03 ? 2 : 1;
    for (int k = 0; k < steps; ++k) {
      FrameTime = ft / steps;
      byHand->Move();
    }
    auto framed = fresh();
    FrameTime = ft;
    doGame();
    EXPECT_DOUBLE_EQ(FrameTime, ft);  // the render reads the whole frame time
    EXPECT_FLOAT_EQ(framed->x, byHand->x);
    EXPECT_FLOAT_EQ(framed->y, byHand->y);
    EXPECT_FLOAT_EQ(framed->r, byHand->r);
    EXPECT_FLOAT_EQ(framed->Speed, byHand->Speed);
  }
  // And the split matters: one full step lands elsewhere.
  auto whole = fresh();
  FrameTime = 0.031;
  whole->Move();
  const Single wx = whole->x, wy = whole->y, wSpeed = whole->Speed;
  auto framed = fresh();
  doGame();
  EXPECT_TRUE(framed->x != wx || framed->y != wy || framed->Speed != wSpeed);
  clearRndTestSeed();
}

TEST_F(GameModTest, WhilePausedOnlyThePlayersShipStepsAtFrameTimeZero) {
  startPlay();
  GameInterface->Window = 0;
  CShip& player = *Ships[0];
  player.Exists = true;
  auto& c = *Characters[2];
  c.Exists = true;
  c.FreeFalling = 5;
  c.eM = 10;
  const Single e = c.e;
  GamePaused = true;
  FrameTime = 0.02;
  doGame();
  EXPECT_EQ(c.e, e);  // characters stand still
  EXPECT_DOUBLE_EQ(FrameTime, 0.02);
  GamePaused = false;
  // A thrown-off character whose fall passes 10 s is gone after its move.
  c.FreeFalling = 9.99f;
  doGame();
  EXPECT_FALSE(c.Exists);
}

TEST_F(GameModTest, TheSeventhLightReplacesOnlyAStrictlyShorterRange) {
  LastDynaLight = -1;
  const D3DVECTOR p{1, 2, 3};
  for (int i = 0; i < 6; ++i) addDynaLight(p, 1, 0, 0, 2000);
  EXPECT_EQ(LastDynaLight, 5);
  addDynaLight(D3DVECTOR{9, 9, 9}, 0, 1, 0, 2000);  // equal range: dropped
  for (const DynaLight& d : DynaLights) EXPECT_EQ(d.g, 0);
  addDynaLight(D3DVECTOR{7, 0, 0}, 0, 0, 1, 3000);
  EXPECT_EQ(DynaLights[0].range, 3000);
  EXPECT_EQ(DynaLights[0].x, 7);
  addDynaLight(D3DVECTOR{8, 0, 0}, 0, 0, 1, 3000);
  EXPECT_EQ(DynaLights[1].range, 3000);
  EXPECT_EQ(DynaLights[1].x, 8);
  EXPECT_EQ(LastDynaLight, 5);
}

TEST_F(GameModTest, DoLightsSetsTheSunAndOnePointLightPerEntryThenEmptiesTheList) {
  SkyR = 200;
  SkyG = 100;
  SkyB = 0;
  LastDynaLight = -1;
  addDynaLight(D3DVECTOR{1, 2, 3}, 2.5f, 0.5f, 0, 2000);
  addDynaLight(D3DVECTOR{4, 5, 6}, 1, 1, 1, 1000);
  clearCalls();
  doLights();
  const auto lights = callsOf(D3DCallKind::SetLight);
  ASSERT_EQ(lights.size(), 3u);
  EXPECT_EQ(lights[0].a, 0);
  EXPECT_EQ(lights[0].light.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_FLOAT_EQ(lights[0].light.Ambient.r, 0.75f);
  EXPECT_FLOAT_EQ(lights[0].light.Ambient.b, 0.25f);
  EXPECT_EQ(lights[1].a, 1);
  EXPECT_EQ(lights[1].light.Type, D3DLIGHT_POINT);
  EXPECT_FLOAT_EQ(lights[1].light.Diffuse.r, 2.5f);  // handed on unchanged
  EXPECT_EQ(lights[1].light.Range, 2000);
  EXPECT_EQ(lights[1].light.Attenuation1, 1);
  EXPECT_EQ(lights[2].a, 2);
  EXPECT_EQ(lights[2].light.Position.z, 6);
  EXPECT_EQ(LastDynaLight, -1);
  // The next frame without lights: the sun again, lights 1..7 off and none on.
  clearCalls();
  doLights();
  EXPECT_EQ(callsOf(D3DCallKind::SetLight).size(), 1u);
  int off = 0, on = 0;
  for (const D3DCall& c : callsOf(D3DCallKind::LightEnable)) (c.b ? on : off)++;
  EXPECT_EQ(on, 1);
  EXPECT_EQ(off, 7);
  SkyR = SkyG = SkyB = 0;
}

TEST_F(GameModTest, ThePlaceholderNameIsNoMapChangeAndARealNameLoadsAtTheFramesEnd) {
  startPlay();
  GameInterface->Window = 0;
  ScreenFxOn = false;
  ScreenFxNeedsClear = false;
  Sprites[1020].sType = skTunnelRing;
  Sprites[1021].sType = skExplodeFlash;
  PendingMap = "lolprelim";
  doRender();
  EXPECT_EQ(CurMap->MapName, "demoscene");
  EXPECT_EQ(PendingMap, "lolprelim");
  EXPECT_EQ(Sprites[1021].sType, skExplodeFlash);
  auto player = Ships[0];
  World->DestNode = World->getNodeFromPath("losgatos");  // the warp's destination
  PendingMap = "losgatos";
  doRender();
  EXPECT_EQ(World->getCurrentPath(), "losgatos");
  EXPECT_EQ(CurMap->MapName, "losgatos");
  EXPECT_EQ(PendingMap, "");
  EXPECT_EQ(Ships[0], player);  // the player's ship survives the load
  EXPECT_EQ(Sprites[1020].sType, skTunnelRing);
  EXPECT_EQ(Sprites[1021].sType, 0);
  EXPECT_FALSE(logStarts("Error in")) << ::testing::PrintToString(logLines());
}

TEST_F(GameModTest, TheFullScreenEffectSmearsTheSceneInAdditiveCopies) {
  startPlay();  // the title scene runs through the effect
  ASSERT_TRUE(ScreenFxOn);
  ASSERT_TRUE(ScreenFxRTS);
  D3DVIEWPORT8 vp;
  vp.Width = ScreenWidth;
  vp.Height = ScreenHeight;
  vp.MaxZ = 1;
  ASSERT_EQ(ScreenFxRTS->BeginScene(ScreenFxSurf, vp), D3D_OK);
  ScreenFxNeedsClear = false;
  clearCalls();
  ScreenFxPhase = 0;
  FrameTime = 0.01;
  doRender();
  EXPECT_NEAR(ScreenFxPhase, 0.02, 1e-12);
  EXPECT_EQ(callsOf(D3DCallKind::RenderToSurfaceEnd).size(), 1u);
  const auto clears = callsOf(D3DCallKind::Clear);
  ASSERT_FALSE(clears.empty());
  EXPECT_EQ(clears[0].color, D3DColorARGB(255, 50, 0, 0));
  // extra = round(sin(0.02) x 15 + 2 Rnd) is 0..2: 26..28 quads.
  const size_t quads = callsOf(D3DCallKind::DrawPrimitiveUP).size();
  EXPECT_GE(quads, 26u);
  EXPECT_LE(quads, 30u);  // plus what the interface and message log draw
  EXPECT_FALSE(logStarts("Error in")) << ::testing::PrintToString(logLines());
}

TEST_F(GameModTest, TheSceneIsShadedAfterTheSkyAndAgainWhileTheMapFades) {
  startPlay();
  ScreenFxOn = false;
  GameInterface->Window = 0;
  const auto shade = [](size_t i) { return static_cast<const void*>(TexSlots[FadeTex[i]].object.get()); };
  ASSERT_NE(shade(12), nullptr);
  ASSERT_NE(shade(0), nullptr);
  const auto shadesDrawn = [&] {
    std::vector<const void*> out;
    for (const D3DCall& c : callsOf(D3DCallKind::SpriteDraw))
      if (c.object == shade(12) || c.object == shade(0)) out.push_back(c.object);
    return out;
  };
  // level 0.8 is shade 12; FadeAmount 15 adds level 0, the darkest shade.
  for (const auto& [fade, expected] : {std::pair{0.0f, std::vector<const void*>{shade(12)}},
                                       std::pair{15.0f, std::vector<const void*>{shade(12), shade(0)}}}) {
    FadeAmount = fade;
    clearCalls();
    doRender();
    EXPECT_EQ(shadesDrawn(), expected) << "FadeAmount " << fade;
  }
  FadeAmount = 0;
}
