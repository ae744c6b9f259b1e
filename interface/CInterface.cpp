// CInterface: the object's set-up, mouse ownership and the per-frame dispatcher Render with its
// steps (game clock, cash popups, pause rule, death prompt, ship-change fades, screen fade, map
// change cover, talk cinematic, HUD order, the screen tables and the status/warp overlay).
#include "interface/CInterface.h"
#include "interface/InterfaceHelpers.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <ctime>
#include <cstdlib>

#include "audio/CJoyControl.h"
#include "audio/soundMod.h"
#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/BillMod.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "game/CameraMod.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "engine/RenderMod.h"
#include "levels/CMap.h"
#include "runtime/Rnd.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "ships/DockMod.h"

using interface_helpers::player;
using interface_helpers::centred;

std::shared_ptr<CInterface> GameInterface;
bool GamePaused = false;

namespace {
// Seconds since local midnight.
Single timeOfDay() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  const double epoch = std::chrono::duration<double>(now.time_since_epoch()).count();
  const double frac = epoch - std::floor(epoch);
  return static_cast<Single>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec + frac);
}



// Ship i of Ships; null when the slot is outside the array or empty.
CShip* shipOrNull(Integer i) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size()) return nullptr;
  return Ships[static_cast<size_t>(i)].get();
}

CShip& shipAt(Integer i) {
  CShip* s = shipOrNull(i);
  if (!s) vbRaise(vberr::ObjectMissing);
  return *s;
}


}  // namespace

CInterface::CInterface() {
  if (DevMode) addMessage("Debug mode on.", false);
  keyRemapping = -1;
  chosenSecondary = -1;
  prevCash = 10000;
  TargRender = -1;
  shipyardFleetMode = false;
  MouseClicked = false;
  prevWindow = msMainMenu;
  PointerX = 100;
  PointerY = 100;
}

bool CInterface::hasMouse() const {
  if (Window > msNone || overlayFrame > 0 || firstPlayerNotice()) return true;
  if (!Ships.empty() && Ships[0]) {
    const CShip& p = *Ships[0];
    if (p.TractorFrame > 0 || p.LandingFrame > 0) return true;
  }
  return false;
}


std::string CInterface::getBountyName(Integer i) const {
  vbCheckIndex(i, 0, BountySlots - 1);
  return bounties[i].name;
}

Long CInterface::getBountyVal(Integer i) const {
  vbCheckIndex(i, 0, BountySlots - 1);
  return bounties[i].reward;
}

void CInterface::NewBountyMsg(const std::string& text) {
  bountyMsg = text;
  bountyMsgTimer = 2.0f;
}

Long CInterface::getBountyUnit(Integer i) const {
  vbCheckIndex(i, 0, BountySlots - 1);
  return bounties[i].unit;
}

// ---- the dispatcher ----

void CInterface::Render() {
  // newGame (title end, quit dialog) replaces GameInterface during the pass; this object stays
  // alive until the pass is over.
  const std::shared_ptr<CInterface> self = GameInterface.get() == this ? GameInterface : nullptr;
  const bool notice = firstPlayerNotice() != nullptr;
  const bool noticeClick = withholdClickForNotice();
  bool faded = false;  // the screen fade ended the pass
  vbTrap("Interface.Render", [&] {
    Long window = Window;
    const Single T = timeOfDay();
    if (CheatCash) player().Cash = 2000000;
    tickGameClock(T);
    RenderHitSplats();
    if (!CheatCash) runCashPopups();
    hudClockPrev = hudClock;
    hudClock = static_cast<Single>(hudClock + FrameTime);
    if (hudClock > 10000) hudClock -= 10000;
    setQuickRMode(rpSolid, 200L, 200L, 200L, 200L);
    // Leaving flight: the press that opened a screen does not count on it.
    if (window != prevWindow && prevWindow == msNone) {
      MouseClicked = false;
      if (JoyControl) JoyControl->keyUpGrace = true;
    }
    prevWindow = window;
    GamePaused = overlayFrame > 0 || window == msIntro || window == msCredits || window == msConfirmQuit || notice;
    const bool fullScreen = isFullScreenState(window);
    if (!fullScreen) runShipChangeFade();
    if (runScreenFade()) {
      faded = true;
      return;
    }
    // A flight screen open when the player's ship is wrecked closes: under the death camera it
    // would be drawn no more (its clock stopped, its buttons dead) and would keep the death prompt
    // and the click that starts again away.
    const CShip* me = shipOrNull(playerShip);
    if (window != msNone && !fullScreen && me && (!me->Exists || me->getDeathThroes() > 2)) {
      Window = msNone;
      window = msNone;
    }
    if (window == msNone) drawDeathPrompt();
    if (fullScreen) {
      renderFullScreen(window);
      return;
    }

    // In-flight path.
    if (!PendingMap.empty() && !shipAt(0).getTransWarp()) {
      quadRect = SrcRect{0, 0, ScreenWidth, ScreenHeight};
      Back3DCust(nullptr, RECT{srcRect.left, srcRect.top, srcRect.right, srcRect.bottom},
                 RECT{quadRect.left, quadRect.top, quadRect.right, quadRect.bottom}, 255, 255, 255, -1, 255);
    }
    if (getTalkBox() && PopFocID > -1) {
      // Letterbox bars over a focused talk; no HUD under it.
      srcRect = SrcRect{0, 0, 1, 1};
      const auto tex = (FadeTex[1] >= 0 && static_cast<size_t>(FadeTex[1]) < TexSlots.size())
                           ? TexSlots[static_cast<size_t>(FadeTex[1])].object
                           : nullptr;
      if (tex) {
        if (!DxSprite) vbRaise(vberr::ObjectMissing);
        const RECT src{0, 0, 1, 1};
        const Single w = static_cast<Single>(ScreenWidth), h = static_cast<Single>(ScreenHeight) / 10;
        checkHResult(DxSprite->Begin());
        DxSprite->Draw(tex, &src, D3DXVECTOR2{w, h}, D3DXVECTOR2{0, 0}, 0, D3DXVECTOR2{0, 0},
                       D3DColorARGB(255, 0, 0, 0));
        DxSprite->Draw(tex, &src, D3DXVECTOR2{w, h}, D3DXVECTOR2{0, 0}, 0,
                       D3DXVECTOR2{0, static_cast<Single>(ScreenHeight) - h}, D3DColorARGB(255, 0, 0, 0));
        checkHResult(DxSprite->End());
      }
      drawMissionLayers();
      return;
    }
    if (TitleCam || SlowMotion) {
      // Under the death camera a mission's result still shows (its banner clock runs while drawn).
      if (TitleCam && MissionControl && MissionControl->MissionCompleteFrame > 0) drawMissionResult();
      return;
    }

    // HUD. The aim marker follows at the end of the pass unless a cursor was drawn over it.
    aimMarkerOn = true;
    if (saveIconTimer > 0) RenderSaveIcon();
    RenderCombo();
    drawBountyMessage();
    hudShown = true;
    drawTargetDistance();
    if (player().HasHud20) drawShipMarkers();
    drawRadar();
    drawDestinationHud();
    drawTargetHud();
    drawActionHud();
    const Long body = shipAt(playerShip).getShipBody();
    if (body == 3 || body == 4) drawBayHud();
    else drawSecondaryHud();
    drawStatusHud();
    if (!MotherNodePath.empty() || MotherShip > -1) drawMotherShipHud();
    drawMissionLayers(window);

    if (window > msNone) {
      renderFlightScreen(window);
      // A mission's talk box stands over a screen that covers flight, so its lines are read there.
      if (window != msWaitForASec && talkTimer > 0) RenderTalkBox();
      drawCursor();
      return;
    }
    if (ClassicView && FollowMouse) {
      drawCursor();
      hudShown = true;
    }
    runOverlay();
    if (aimMarkerOn) drawAimMarker();
    MouseClicked = false;
  });
  if (!faded) vbTrap("Interface.Render", [&] { drawNotice(noticeClick); });
}

void CInterface::tickGameClock(Single T) {
  if (clockMark == 0) clockMark = T;
  if (T < clockMark) clockMark = T;  // midnight passed
  if (T > clockMark + 1) {
    if (GameTime < 2147483647) ++GameTime;
    clockMark += 1;
  }
}

void CInterface::runCashPopups() {
  const Long cash = player().Cash;
  if (cash != prevCash) {
    for (int i = 0; i < CashPopSlots; ++i) {
      if (cashPopTimer[i] <= 0) {
        cashPopTimer[i] = 1.0f;
        cashPopAmount[i] = static_cast<Long>(std::clamp<long long>(static_cast<long long>(prevCash) - cash,
                                                                    INT32_MIN, INT32_MAX));
        break;
      }
    }
    PlaySound(SndChime);
    prevCash = cash;
  }
  for (int i = 0; i < CashPopSlots; ++i) {
    if (cashPopTimer[i] <= 0) continue;
    cashPopTimer[i] = static_cast<Single>(cashPopTimer[i] - FrameTime);
    const Single t = cashPopTimer[i];
    if (t <= 0) continue;  // its last frame: nothing left to show
    const long long amount = cashPopAmount[i];
    const bool gained = amount < 0;
    centred(static_cast<Single>(ScreenWidth) - 50, 200 + 20 * t,
            (gained ? "+$" : "-$") + std::to_string(std::llabs(amount)), static_cast<Single>(std::sin(t * 3.14) * 0.8),
            gained ? 0 : 255, gained ? 255 : 0, 0);
  }
}

void CInterface::drawDeathPrompt() {
  const CShip* me = shipOrNull(playerShip);
  if ((me && me->Exists) || IntroClock <= 3.0f) return;
  const Single cx = static_cast<Single>(ScreenWidth) / 2, cy = static_cast<Single>(ScreenHeight) / 2;
  centred(cx, cy - 20, "you've been smashed!", 1.0f, 255, 0, 0);
  centred(cx, cy + 20, "click or press fire...", 0.5f, 255, 255, 255);
  if (!CurMap) vbRaise(vberr::ObjectMissing);
  CurMap->setRed(80);
  CurMap->setGreen(0);
  CurMap->setBlue(0);
  CurMap->updateColor();
}

// dockFrame 1.0..2.0: launch or respawn into a fleet ship; 11.0..12.0: docking. The screen
// darkens for 0.5 s, the ship changes at the darkest point (SpawnSubPlayer as t passes 1.5,
// dockPlayer as it passes 11.5) and the screen clears over the next 0.5 s.
void CInterface::runShipChangeFade() {
  if (dockFrame <= 0) return;
  dockFrame = static_cast<Single>(dockFrame + FrameTime);
  const Single t = dockFrame;
  const auto passes = [&](Single mark) { return t > mark && t - FrameTime <= mark; };
  if (t > 1.0f && t < 10.0f) {
    if (passes(1.5f)) SpawnSubPlayer(playerShip, spawnChoice, true, spawnChoice);
    if (t < 2.0f) fadeLevel = 1.5f - std::fabs(t - 1.5f) * 3;
    else dockFrame = 0;
  } else {
    if (t < 12.0f) fadeLevel = 1.5f - std::fabs(t - 11.5f) * 3;
    else dockFrame = 0;
    if (passes(11.5f)) dockPlayer(playerShip, MotherShip);
  }
}

void CInterface::drawBountyMessage() {
  if (bountyMsgTimer <= 0) return;
  bountyMsgTimer = static_cast<Single>(bountyMsgTimer - FrameTime / 2);
  const Single t = bountyMsgTimer;
  const Single size = t < 0.25f ? t * 4 : (t > 1.75f ? (2 - t) * 4 : 1.0f);
  centred(static_cast<Single>(ScreenWidth) / 2, static_cast<Single>(ScreenHeight) / 2, bountyMsg, size, 255, 255,
          255);
}

void CInterface::drawMissionLayers(Long window) {
  if (window > msNone && window != msWaitForASec) return;
  if (MissionControl && MissionControl->Reading) drawDirective(-1.0f);
  if (MissionControl && MissionControl->MissionCompleteFrame > 0) drawMissionResult();
  if (talkTimer > 0) RenderTalkBox();
}

void CInterface::runOverlay() {
  if (overlayFrame == 0) return;
  if (overlayFrame > 0 && overlayFrame < 0.9f) {
    overlayFrame = static_cast<Single>(overlayFrame + FrameTime * 5);
    if (overlayFrame >= 0.9f) overlayFrame = 1.0f;
    GrayOut(1 - overlayFrame);
    if (!overlayIsStatus && World) World->Render(false, overlayFrame);
    drawCursor();
  } else if (overlayFrame == 1.0f) {
    if (overlayIsStatus) {
      GrayOut(0.1f);
      drawStatusScreen();
    } else {
      GrayOut(0);
      if (!World) vbRaise(vberr::ObjectMissing);
      World->Move();
      World->Render(false, 1.0f);
      drawNodeTitle();
      if (MissionControl && MissionControl->Reading) drawDirective(4.0f);
    }
    drawCursor();
  } else {
    overlayFrame = static_cast<Single>(overlayFrame + FrameTime * 5);
    if (overlayFrame >= 2.0f) overlayFrame = 2.0f;
    GrayOut(overlayFrame - 1);
    if (!overlayIsStatus && World) World->Render(false, 2 - overlayFrame);
    drawCursor();
    if (overlayFrame == 2.0f) {
      overlayFrame = 0;
      SteerDelay = 2.0f;
    }
  }
}

// The screen fade runs before any screen, menu pages included: the shade at 1 - fadeLevel, the
// player's ship levelled. While it is darker than half the pass ends under it and its click is
// dropped, so nothing of the interface is drawn or clicked.
bool CInterface::runScreenFade() {
  if (fadeLevel <= 0) return false;
  GrayOut(1 - fadeLevel);
  fadeLevel = static_cast<Single>(fadeLevel - FrameTime);
  CShip& me = shipAt(playerShip);
  me.Pitch = 0;
  me.roll = 0;
  if (fadeLevel <= 0.5f) return false;
  MouseClicked = false;
  return true;
}

bool CInterface::isFullScreenState(Long window) {
  return window == msMainMenu || window == msGameManager || (window >= msOptInput && window <= msNewAllSet) ||
         (window >= msDemo && window <= msCheatsUnlocked);
}

void CInterface::renderFullScreen(Long window) {
  switch (window) {
    case msMainMenu: drawMainMenu(); drawCursor(); return;
    case msGameManager: drawGameManagerMenu(); drawCursor(); return;
    case msOptInput: case msOptGraphics: case msOptSound: case msOptExtra: case msOptions:
      drawOptions();
      drawCursor();
      return;
    case msNewShip: case msNewDriver: case msNewDriverName: case msNewGunner: case msNewGunnerName:
    case msNewAllSet: case msNewSaveSlot: case msNewDifficulty:
      drawNewGame(static_cast<Integer>(window - msNewShip + ngShip));
      drawCursor();
      return;
    case msDemo: renderAttract(); return;
    case msIntro: RenderIntro(); return;
    case msCredits: RenderCreds(); return;
    case msConfirmQuit: drawConfirmQuit(); return;
    case msConfirmDeleteMenu: drawConfirmDelete(); drawCursor(); return;
    case msSloMoUnlocked: case msCheatsUnlocked: drawCheatsUnlocked(); return;
    default: return;
  }
}

void CInterface::renderFlightScreen(Long window) {
  switch (window) {
    case msPlunder: drawPlunder(); break;
    case msHardware: drawHardwareStore(); break;
    case msBountyOffice: drawBountyHunting(); break;
    case msHyperMart: drawTrading(false); break;
    case msShipyard: drawShipyard(); break;
    case msGasStation: drawGasStation(); break;
    case msWeaponStore: drawWeaponStore(); break;
    case msPleasantTrading: drawTrading(true); break;
    case msBank: drawGameManager(false, false); break;
    case msConfirmDelete: drawConfirmDelete(); break;
    case msConfirmSave: drawConfirmSave(); break;
    case msConfirmLoad: drawConfirmLoad(); break;
    case msConfirmPurchase: drawConfirmPurchase(); break;
    case msConfirmMission: drawConfirmMission(); break;
    case msWaitForASec: drawWaitForASec(); break;
    case msMissionControl: drawMissionControl(); break;
    case msConfirmCancelMission: drawConfirmCancelMission(); break;
    case msConfirmSell: drawConfirmSell(); break;
    default: break;  // nothing but the cursor
  }
}
