#include "game/GameMod.h"

#include <cmath>
#include <exception>
#include <string>

#include "audio/CJoyControl.h"
#include "audio/CJoystick.h"
#include "audio/CMusic.h"
#include "audio/modDirectShow.h"
#include "audio/soundMod.h"
#include "campaign/CMissionControl.h"
#include "campaign/CNews.h"
#include "campaign/CPlayer.h"
#include "campaign/CTalkControl.h"
#include "campaign/CWorld.h"
#include "editors/CMapEditor.h"
#include "editors/CShipEditor.h"
#include "editors/CStructEditor.h"
#include "editors/CWorldEditor.h"
#include "engine/BillMod.h"
#include "engine/CModelMonster.h"
#include "game/CameraMod.h"
#include "engine/FuncMod.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/GeomMod.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "engine/RenderMod.h"
#include "game/frmLaunch.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/Window.h"
#include "runtime/Rnd.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"
#include "ships/CCharacter.h"
#include "ships/CShipDef.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"

Integer EditMode = 0;
bool ScreenFxOn = false;
Double ScreenFxPhase = 0;
Single FadeAmount = 0;
std::array<DynaLight, MaxDynaLights> DynaLights{};
Integer LastDynaLight = -1;

namespace {
// The editor being left goes, and its window with it: a launcher button runs the set-up again.
void closeEditors() {
  ShipEditor.reset();
  StructEditor.reset();
  MapEditor.reset();
  WorldEditor.reset();
}

// The frame's scene is open: the set-up runs inside a launcher button's click, in the frame's
// yield.
bool inFrameScene() { return D3DDevice && D3DDevice->InScene(); }
}  // namespace

void initGame(Integer request) {
  closeEditors();
  forgetToldFiles();  // a new run tells each damaged file again; notices not yet read stay
  // 1..4: interface, caches, mission control, music, news.
  GameInterface = std::make_shared<CInterface>();
  TexMon = std::make_shared<CTextureMonster>();
  ModelMon = std::make_shared<CModelMonster>();
  MissionControl = std::make_shared<CMissionControl>();
  News = std::make_shared<CNews>();
  Music = std::make_shared<CMusic>();
  if (Player && !Player->bMusic) Music->Mute = true;
  setSoundVolume();
  News->Init();

  // 5: the dynamic lights.
  LastDynaLight = -1;

  // 6..8: the object arrays, every element empty; the sprite pool. The map holds its own 32
  // structure slots and their definitions.
  Ships.assign(16, nullptr);
  Characters.assign(16, nullptr);
  ShipDefs.assign(ShipDefCount, nullptr);
  Sprites.assign(SpritePoolSize, CSprite{});

  // 9: joystick.
  Joystick = std::make_shared<CJoystick>();
  JoyControl = std::make_shared<CJoyControl>();
  JoyControl->InitInput();

  // 10: the crew characters, present after Init and then marked absent.
  for (auto& c : Characters) {
    c = std::make_shared<CCharacter>();
    c->Init();
    c->Exists = false;
  }

  // 11: the character table.
  LoadCharDefs();

  // 12: the world map, the missions of the era.
  World = std::make_shared<CWorld>();
  MissionControl->GetMissionDefs();

  // 13: the map of the current node, text.
  delete CurMap;
  CurMap = nullptr;
  CurMap = new CMap();
  TalkControl = std::make_shared<CTalkControl>();
  GameText = std::make_shared<CText>();

  // 14: fonts, sounds, shared geometry.
  LoadFontTextures();
  LoadSounds();
  InitGeometry();

  // 15: the program mode.
  if (!Fullscreen && DevMode) {
    EditMode = request;
    if (request == erLauncher) {
      GameMode = pmLauncher;
      frmLaunch.show();
      return;
    }
  } else {
    EditMode = erPlay;
  }
  if (EditMode <= 0) {
    GameMode = pmPlay;
    // Play pressed in the launcher, inside the frame's scene, as at the windowed developer start:
    // the loading screen ends that scene before its first draw, and the title's first effect pass,
    // whose off-screen scene this frame never began, fails silently. An editor run before may
    // have used both up.
    if (inFrameScene()) {
      PendingEndScene = true;
      ScreenFxNeedsClear = true;
    }
    // A game folder that cannot start a campaign is reported (forced) and the main loop still runs,
    // unless no world was read: with no node to play or travel on, the program stops. At start-up
    // the error passes on to the start-up's run-time error report; asked by the launcher's "Play"
    // (inside a frame) it is logged and the loop ends after that frame.
    try {
      newGame(false, true);
    } catch (const std::exception& e) {
      const bool noWorld = !World || World->getTotalNodes() < 0;
      if (noWorld && !GameRunning) throw;
      addMessage(std::string("Error in newGame: ") + e.what(), true);
      if (noWorld) GameRunning = false;
    }
  } else {
    GameMode = EditMode == erShipEditor ? pmShipEditor : EditMode;
    addMessage("Initing edit: " + CStr(EditMode), false);
    initEditor();
    addMessage("Inited edit: " + CStr(EditMode), false);
  }
}

void newGame(bool skipLoad, bool intro) {
  // 1.
  GameInterface = std::make_shared<CInterface>();
  IntroClock = 0;
  // 2. loadShipDefs fills ShipDefs(0..31) with new designs and reports a missing or damaged file
  // (forced) while the others still load.
  if (!skipLoad) {
    ShowCursor(false);
    loadShipDefs();
    LoadModels();
  }
  // 3.
  Player = std::make_shared<CPlayer>();
  Player->Init();
  MotherPlayer = std::make_shared<CPlayer>();
  for (auto& sub : SubPlayers) {
    sub = std::make_shared<CPlayer>();
    sub->subInit();
  }
  // 4. A missing or broken world file is reported and the game goes on with the table it had; with
  // no table at all the error passes to the caller.
  if (!World) World = std::make_shared<CWorld>();
  try {
    World->Load();
  } catch (const std::exception& e) {
    if (World->getTotalNodes() < 0) throw;
    addMessage(std::string("Error in newGame: ") + e.what(), true);
  }
  World->Init(static_cast<Single>(ScreenWidth), static_cast<Single>(ScreenHeight));
  World->CurrentEra = 0;  // a fresh campaign: the level reset below reads the first era's missions
  // 5..6. Without any node the map keeps what it holds. A map that cannot be entered is told (once
  // for the run) and the map and node stay as they were: the title, which needs its map, gives way
  // to the main menu on the menu's map, and a menu whose map fails runs over what the map holds.
  if (World->getTotalNodes() >= 0) {
    if (!CurMap) CurMap = new CMap();
    FileProblem problem;
    Integer node = World->getNodeFromPath(intro ? "demoscene" : "losgatos");
    bool entered = World->EnterNode(node, &problem);
    if (!entered && intro) {
      tellDamagedFile(problem, World->cannotEnter(node));
      intro = false;
      node = World->getNodeFromPath("losgatos");
      entered = World->EnterNode(node, &problem);
    }
    if (!entered) tellDamagedFile(problem, World->cannotEnter(node));
    // With no map entered yet (at start-up) the menu stands at its node over an empty level.
    if (World->CurrentNode < 0 || World->CurrentNode > World->getTotalNodes()) World->CurrentNode = node;
    World->Center(World->CurrentNode);
    World->DestNode = -1;
  }
  // 7.
  if (Ships.size() < 16) Ships.resize(16);
  for (auto& s : Ships) s = std::make_shared<CShip>();
  Player->MakeShipFromPlayer(0, 0, 0, 0);
  // The game that ends here takes its mission with it (death, quit to the main menu), before the
  // level reset: while a mission runs the spawner refuses the new level's traffic.
  if (MissionControl) MissionControl->EndWithGame();
  // 8..10.
  resetLevel();
  Ships[0]->Exists = false;
  IntroClock = 5.0f;
  // 11. A missing intro text is reported and the title scene runs without its message wall; the
  // title track's own failures are logged by the mp3 procedures.
  if (intro) {
    GameInterface->Window = msDemo;
    try {
      GameInterface->ReadIntroMsg();
    } catch (const std::exception& e) {
      addMessage(std::string("Error in newGame: ") + e.what(), true);
    }
    LoadMP3("ninjastar2.mp3");
    SetPlayBackVolume(0);
    PlayMP3();
    ScreenFxOn = true;
  } else {
    GameInterface->Window = msMainMenu;
    ScreenFxHalf = false;
    ScreenFxOn = false;
  }
  // 12.
  if (JoyControl) JoyControl->keyUpGrace = false;
  MotherShip = -1;
  MotherNodePath = "";
}

void resetLevel() {
  // 1..3.
  StopAllSounds();
  BulletTime = false;
  Randomize();
  // 4..5. Ship 0 keeps its object and state.
  for (size_t i = 1; i < Ships.size(); ++i) Ships[i] = std::make_shared<CShip>();
  MotherShip = -1;
  // 6..7.
  if (CurMap) CurMap->ShipInit();
  SceneEvent = 0;
  // 8. The warp tunnel's ring and flares span the map change.
  if (Sprites.size() != static_cast<size_t>(SpritePoolSize)) Sprites.assign(SpritePoolSize, CSprite{});
  for (auto& sprite : Sprites)
    if (sprite.sType != skTunnelRing && sprite.sType != skTunnelFlare) sprite = CSprite{};
  // 9..10.
  TargetUsed.fill(0);
  if (World) World->UpdatePlayerMap();
  // 11..13.
  if (MissionControl && World && World->CurrentNode > -1 && CurMap && CurMap->getHasMissionControl())
    MissionControl->GetMissionDefs();
  if (GameInterface) {
    GameInterface->NeedMissionReinit = true;
    GameInterface->InitMissions();
  }
  if (CurMap) CurMap->CopWave = 0;
}

void initEditor() {
  LoadMiscModels();
  LoadMountModels();
  LoadWeaponModels();
  LoadSpriteTextures();
  switch (EditMode) {
    case erShipEditor:
      ShipEditor = std::make_shared<CShipEditor>();
      ShipEditor->Init();
      break;
    case erStructEditor:
      StructEditor = std::make_shared<CStructEditor>();
      StructEditor->Init();
      break;
    case erMapEditor:
      MapEditor = std::make_shared<CMapEditor>();
      MapEditor->Init();
      break;
    case erWorldEditor:
      WorldEditor = std::make_shared<CWorldEditor>();
      WorldEditor->Init();
      break;
    default:
      break;
  }
}

namespace {
// The title scene's frame-time scaling by its camera shot (DemoSceneMode).
void scaleTitleTime(CInterface& gi) {
  gi.DemoOverFrame += FrameTime;
  switch (gi.DemoSceneMode) {
    case 1:
    case 3:
      FrameTime *= 2;
      break;
    case 2: {
      const Integer follow = gi.DemoSceneFollow;
      const bool firing = follow >= 0 && static_cast<size_t>(follow) < Ships.size() && Ships[follow] &&
                          Ships[follow]->keyPrimary;
      if (follow % 2 != 0 || firing) {
        gi.DemoSceneMode = 8;
      } else {
        FrameTime *= 1.2;
      }
      break;
    }
    case 4:
    case 8:
      FrameTime /= 4;
      break;
    case 6:
      if (gi.DemoSceneFrame >= 0.8f) {
        FrameTime /= 8;
      } else {
        FrameTime *= 1.5;
      }
      break;
    case 7:
      FrameTime /= 2;
      break;
    default:
      break;
  }
}

CShip& playerShip() {
  if (Ships.empty() || !Ships[0]) vbRaise(vberr::ObjectMissing);
  return *Ships[0];
}
}  // namespace

void doGame() {
  vbTrap("doGame", [] {
    LastDupSound = -1;
    switch (GameMode) {
      case pmShipEditor:
        if (ShipEditor) ShipEditor->Move();
        return;
      case pmStructEditor:
        if (StructEditor) StructEditor->Move();
        return;
      case pmMapEditor:
        if (MapEditor) MapEditor->Move();
        return;
      case pmWorldEditor:
        if (WorldEditor) WorldEditor->Move();
        return;
      case pmPlay:
        break;
      default:
        return;
    }
    // 1..3.
    if (GameInterface && GameInterface->Window == msDemo) scaleTitleTime(*GameInterface);
    if (MissionControl && MissionControl->Reading) MissionControl->doRead();
    CShip& player = playerShip();
    // A mission does not outlive the player's ship: from its death throes on it has failed.
    if (MissionControl && MissionControl->Reading && player.getDeathThroes() > 0) MissionControl->PlayerShipLost();
    if (player.getWarp() > 0) FrameTime *= player.getSpinning();
    // 4. Every ship makes its first half step before any makes its second.
    const double saved = FrameTime;
    int steps = 1;
    if (FrameTime > 0.03) {
      FrameTime /= 2;
      steps = 2;
    }
    Integer viewShip = 0;
    if (!GamePaused) {
      // 5.
      for (int step = 0; step < steps; ++step) {
        const size_t count = Ships.size();
        for (size_t i = 0; i < count && i < Ships.size(); ++i)
          if (Ships[i] && Ships[i]->Exists) Ships[i]->Move();
      }
      FrameTime = saved;
      for (auto& c : Characters) {
        if (!c || !c->Exists) continue;
        c->Move();
        if (c->FreeFalling > 10.0f) c->Exists = false;
      }
      setShipView(viewShip);
      MoveSprites();
      if (CurMap) CurMap->Move(false, 0);
    } else {
      // 6. Only the player's ship steps, at frame time 0; the credits tunnel keeps flying.
      if (GameInterface && GameInterface->Window == msCredits && GameInterface->canCredTunnel())
        MoveSprites();
      FrameTime = 0;
      player.Move();
      setShipView(viewShip);
    }
    // 7..8.
    if (Music) Music->Update();
    FrameTime = saved;
  });
}

namespace {
void setZ(D3DRENDERSTATETYPE state, int32_t value) { checkHResult(device().SetRenderState(state, value)); }

void editorHeading() { CamHeading = getAngle(CamEye.x, CamEye.z, CamTarget.x, CamTarget.z); }

// Pass 15: the scene so far, drawn into the effect texture, smeared outward over the back buffer
// in 11 to 43 additive copies, each 3 pixels larger on every side than the one before.
void renderScreenFx() {
  if (!ScreenFxRTS) vbRaise(vberr::ObjectMissing);
  checkHResult(ScreenFxRTS->EndScene());
  checkHResult(device().Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DColorARGB(255, 50, 0, 0), 1.0f, 0));
  checkHResult(device().BeginScene());
  setZ(D3DRS_ZWRITEENABLE, 1);
  setZ(D3DRS_ZENABLE, 0);
  if (ScreenFxTexW <= 0 || ScreenFxTexH <= 0) vbRaise(vberr::DivisionByZero);
  const double scale = ScreenFxHalf ? 128 : 256;
  RECT src;
  src.right = CLng(static_cast<double>(ScreenWidth) / ScreenFxTexW * scale);
  src.bottom = CLng(static_cast<double>(ScreenHeight) / ScreenFxTexH * scale);
  ScreenFxPhase += 2 * FrameTime;
  const double wave = std::sin(ScreenFxPhase);
  const Integer extra = CInt(wave * 15 + 2 * Rnd());
  const Integer c = CInt(35 - (wave * 15 + 25) * 0.55);
  for (Integer i = 0; i <= extra + 25; ++i) {
    setQuickRMode(rpAdditive, 35, c, c, c);
    RECT dst;
    dst.top = CLng(-3.0 * i - 1 + 2.9 * Rnd());
    dst.bottom = CLng(3.0 * i + ScreenHeight - 1 + 2.9 * Rnd());
    dst.left = CLng(-3.0 * i - 1 + 2.9 * Rnd());
    dst.right = CLng(3.0 * i + ScreenWidth - 1 + 2.9 * Rnd());
    Back3DCust(ScreenFxTex, src, dst, 1, 1, 1, -1, 0);
  }
}

// The passes of a frame in play (1..18).
void renderPlay() {
  setQuickRMode(rpFogged, 200, 200, 200, 200);
  const bool skipMap = playerShip().getTransWarp() || (GameInterface && GameInterface->Window == msCredits &&
                                                       GameInterface->canCredTunnel());
  if (!skipMap && CurMap) CurMap->RenderSky(vbTrue);
  doLights();
  if (GameInterface) {
    GameInterface->GrayOut(0.8f);
    if (FadeAmount > 0) GameInterface->GrayOut(1 - FadeAmount / 15);
  }
  for (auto& s : Ships) {
    if (!s || !s->Exists) continue;
    Single distance = -1.0f;
    s->Render(distance);
  }
  for (auto& c : Characters) {
    if (!c || !c->Exists) continue;
    c->Render(false);
  }
  setQuickRMode(rpFogged, 200, 200, 200, 200);
  if (!skipMap && CurMap) CurMap->Render();
  // 9.
  SortSprites();
  RenderSpriteListB();
  setQuickRMode(rpFogged, 200, 200, 200, 200);
  setZ(D3DRS_LIGHTING, 0);
  setZ(D3DRS_ZWRITEENABLE, 0);
  if (!skipMap && CurMap) CurMap->FadeRender();
  // 12.
  RenderSpriteListA();
  setQuickRMode(rpAdditive, 200, 200, 200, 200);
  for (auto& s : Ships)
    if (s && s->Exists) s->FadeRender();
  setZ(D3DRS_ZWRITEENABLE, 1);
  setZ(D3DRS_ZENABLE, 0);
  if (ScreenFxOn) renderScreenFx();
  if (GameInterface) GameInterface->Render();
  DrawMessages();
  setZ(D3DRS_ZENABLE, 1);
  // 19. The map change the player's warp asked for, after the frame was drawn with the old map.
  // A map that fails to load is told to the player and keeps the old map, node and population.
  if (PendingMap != "lolprelim" && !PendingMap.empty()) {
    CurMap->MapName = PendingMap;
    FileProblem problem;
    const bool loaded = CurMap->Load(&problem);
    PendingMap = "";
    if (!loaded) {
      tellPlayer("warp ended", problem.text() + ". The map cannot be entered");
      return;
    }
    if (World) World->NextNode();
    resetLevel();
    if (MissionControl && MissionControl->Reading) MissionControl->zeroWaiting();
    PlaySound(SndWarpTrans);
    if (Music) Music->WarpChange();
  }
}
}  // namespace

void doRender() {
  try {
    switch (GameMode) {
      case pmShipEditor:
        editorHeading();
        if (ShipEditor) ShipEditor->Render();
        break;
      case pmStructEditor:
        editorHeading();
        if (StructEditor) StructEditor->Render();
        break;
      case pmMapEditor:
        editorHeading();
        if (MapEditor) {
          MapEditor->DrawSkyBox();
          MapEditor->Render();
        }
        break;
      case pmWorldEditor:
        setZ(D3DRS_ZENABLE, 0);
        if (WorldEditor) WorldEditor->Render();
        setZ(D3DRS_ZENABLE, 1);
        break;
      case pmPlay:
        renderPlay();
        break;
      default:
        break;
    }
  } catch (const std::exception& e) {
    if (ScreenFxNeedsClear) {
      ScreenFxNeedsClear = false;
    } else {
      reportTrapped("GameMod.doRender", e.what());
    }
  }
}

void addDynaLight(const D3DVECTOR& position, Single r, Single g, Single b, Single range) {
  vbTrap("addDynaLight", [&] {
    Integer target = 0;
    if (LastDynaLight == -1) {
      LastDynaLight = 0;
    } else if (LastDynaLight < MaxDynaLights - 1) {
      ++LastDynaLight;
      target = LastDynaLight;
    } else {
      target = -1;
      for (Integer i = 0; i < MaxDynaLights; ++i) {
        if (DynaLights[i].range < range) {
          target = i;
          break;
        }
      }
      if (target < 0) return;  // no weaker light: the new one is dropped
    }
    DynaLights[target] = DynaLight{position.x, position.y, position.z, r, g, b, range};
  });
}

void doLights() {
  vbTrap("doLights", [] {
    setZ(D3DRS_LIGHTING, 1);
    setZ(D3DRS_NORMALIZENORMALS, 1);
    D3DLIGHT8 sun;
    sun.Type = D3DLIGHT_DIRECTIONAL;
    sun.Diffuse = D3DCOLORVALUE{1, 1, 1, 0};
    sun.Ambient = D3DCOLORVALUE{SkyR / 400 + 0.25f, SkyG / 400 + 0.25f, SkyB / 400 + 0.25f, 0};
    sun.Direction = D3DVECTOR{25, 25, -25};
    checkHResult(device().SetLight(0, sun));
    checkHResult(device().LightEnable(0, true));
    for (int32_t i = 1; i <= 7; ++i) checkHResult(device().LightEnable(i, false));
    for (Integer i = 0; i <= LastDynaLight; ++i) {
      const DynaLight& d = DynaLights[i];
      D3DLIGHT8 light;
      light.Type = D3DLIGHT_POINT;
      light.Diffuse = D3DCOLORVALUE{d.r, d.g, d.b, 255};
      light.Position = D3DVECTOR{d.x, d.y, d.z};
      light.Range = d.range;
      light.Attenuation0 = 0;
      light.Attenuation1 = 1;
      light.Attenuation2 = 0;
      checkHResult(device().SetLight(i + 1, light));
      checkHResult(device().LightEnable(i + 1, true));
    }
    LastDynaLight = -1;
  });
}
