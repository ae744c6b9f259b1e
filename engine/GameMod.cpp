#include "engine/GameMod.h"

#include <exception>
#include <string>

#include "audio/CJoyControl.h"
#include "audio/CMusic.h"
#include "audio/soundMod.h"
#include "campaign/CPlayer.h"
#include "engine/CModelMonster.h"
#include "engine/CameraMod.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/GeomMod.h"
#include "engine/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/RenderMod.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"
#include "ships/CShipDef.h"
#include "ships/CShip.h"

Integer EditMode = 0;
bool ScreenFxOn = false;
Double ScreenFxPhase = 0;

void initGame(Integer request) {
  // 1..3: interface, caches, music.
  GameInterface = std::make_shared<CInterface>();
  TexMon = std::make_shared<CTextureMonster>();
  ModelMon = std::make_shared<CModelMonster>();
  Music = std::make_shared<CMusic>();
  if (Player && !Player->bMusic) Music->Mute = true;
  setSoundVolume();

  // 9: joystick.
  JoyControl = std::make_shared<CJoyControl>();
  JoyControl->InitInput();

  // 11: the character table.
  LoadCharDefs();

  // 13: the map of the current node.
  delete CurMap;
  CurMap = nullptr;
  CurMap = new CMap();
  GameText = std::make_shared<CText>();

  // 14: fonts, sounds, shared geometry.
  LoadFontTextures();
  LoadSounds();
  InitGeometry();

  // 15: the program mode.
  if (!Fullscreen && DevMode) {
    EditMode = request;
    if (request == erLauncher) {
      // The launcher form frmLaunch (GameMode := pmLauncher, shown non-modal, its buttons calling
      // initGame again) comes with the game set-up work. Until then a windowed developer start
      // goes straight to play.
      EditMode = erPlay;
    }
  } else {
    EditMode = erPlay;
  }
  if (EditMode <= 0) {
    GameMode = pmPlay;
    // newGame(False, True) comes with the game set-up work; until then its loading part: the
    // ship definitions, then every model and texture behind the loading screen.
    loadShipDefs();
    LoadModels();
  } else {
    GameMode = EditMode == erShipEditor ? pmShipEditor : EditMode;
    addMessage("Initing edit: " + CStr(EditMode), false);
    // initEditor comes with the editors.
    addMessage("Inited edit: " + CStr(EditMode), false);
  }
}

void doGame() {
  vbTrap("doGame", [] {
    LastDupSound = -1;
    if (GameMode != pmPlay) return;  // editors' Move comes with the editors
    // The title scene's time scaling, the mission step, the characters, sprites and map come
    // with their own work.
    if (!Ships.empty() && Ships[0] && Ships[0]->getWarp() > 0) FrameTime *= Ships[0]->getSpinning();
    const double saved = FrameTime;
    int steps = 1;
    if (FrameTime > 0.03) {
      FrameTime /= 2;
      steps = 2;
    }
    Integer viewShip = 0;
    if (!GamePaused) {
      for (int step = 0; step < steps; ++step) {
        const size_t count = Ships.size();
        for (size_t i = 0; i < count && i < Ships.size(); ++i)
          if (Ships[i] && Ships[i]->Exists) Ships[i]->Move();
      }
      FrameTime = saved;
      if (!Ships.empty() && Ships[0]) setShipView(viewShip);
    } else {
      FrameTime = 0;
      if (!Ships.empty() && Ships[0]) {
        Ships[0]->Move();
        setShipView(viewShip);
      }
    }
    if (Music) Music->Update();
    FrameTime = saved;
  });
}

void doRender() {
  try {
    if (GameMode != pmPlay) return;  // editors' Render comes with the editors
    setQuickRMode(rpFogged, 200, 200, 200, 200);
    checkHResult(device().SetRenderState(D3DRS_ZWRITEENABLE, 1));
    checkHResult(device().SetRenderState(D3DRS_ZENABLE, 0));
    if (GameInterface) GameInterface->Render();
    DrawMessages();
    checkHResult(device().SetRenderState(D3DRS_ZENABLE, 1));
  } catch (const std::exception& e) {
    if (ScreenFxNeedsClear) {
      ScreenFxNeedsClear = false;
    } else {
      reportTrapped("GameMod.doRender", e.what());
    }
  }
}

void RenderTarg(Integer& /*viewer*/, Integer& /*shipIndex*/) {}
