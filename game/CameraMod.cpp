#include "game/CameraMod.h"

#include <cmath>

#include "audio/CJoyControl.h"
#include "campaign/CPlayer.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/D3DX.h"
#include "platform/Window.h"
#include "runtime/Rnd.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"

Single CamBlend = 0;
D3DVECTOR CamPrevEyeGoal{};
Single IntroClock = 0;
Single MouseDX = 0, MouseDY = 0;
POINTAPI CursorPos;
Single CursorCentreX = 0, CursorCentreY = 0;
Single SteerDelay = 0;

namespace {
// The glide works in slices of this many seconds, independent of the frame rate.
constexpr double GlideSlice = 0.004;
// Talk focus on the camera's own ship (or a ship at the same point): the eye goes this way.
constexpr D3DVECTOR TalkFocusFallback{0, 0, 1};

D3DVECTOR vec(double x, double y, double z) {
  return D3DVECTOR{static_cast<Single>(x), static_cast<Single>(y), static_cast<Single>(z)};
}

CShip& shipAt(Integer i) {
  vbCheckIndex(i, 0, static_cast<long long>(Ships.size()) - 1);
  if (!Ships[i]) vbRaise(vberr::ObjectMissing);
  return *Ships[i];
}

bool shipExists(Integer i) {
  return i >= 0 && static_cast<size_t>(i) < Ships.size() && Ships[i] && Ships[i]->Exists;
}

bool bigBody(const CShip& s) {
  const Long body = s.getShipBody();
  return body == sbCapital || body == sbFleshy;
}

Single belowOne(Single v) { return std::fabs(v) < 1 ? 0.0f : v; }

// Screen pixels of a length in twips along an axis (LOGPIXELSX or LOGPIXELSY), at the screen's
// dots per inch (96 when the screen gives none).
Single twipsToPixels(Long twips, Long axis) {
  const HDC dc = GetDC(0);
  const Long dpi = GetDeviceCaps(dc, axis);
  ReleaseDC(0, dc);
  return static_cast<Single>(twips * static_cast<double>(dpi > 0 ? dpi : 96) / 1440.0);
}

// The re-centring point: the middle of the screen's pixels, from the main window's left and top.
Single centreX() { return twipsToPixels(frmMain.window().left(), LOGPIXELSX) + ScreenWidth / 2.0f; }
Single centreY() { return twipsToPixels(frmMain.window().top(), LOGPIXELSY) + ScreenHeight / 2.0f; }

void recentreCursor() { SetCursorPos(CLng(centreX()), CLng(centreY())); }

// The death rig's click: back to the main menu (newGame(True, False)). The camera step keeps using
// the interface it started the frame with, so that object is held here until the next call.
void startNewGameFromTitle() {
  static std::shared_ptr<CInterface> retired;
  retired = GameInterface;
  newGame(true, false);
}
}  // namespace

void setPersp(Single& warp, Integer shipIndex) {
  vbTrap("setPersp", [&] {
    const CShip& s = shipAt(shipIndex);
    // 1. Far plane.
    const double d = getDist(s.x, s.y, 0, 0);
    const float farPlane = d + 5000 > 20000 ? static_cast<float>(d + 5000) : 20000.0f;
    // 2. Roll tilt.
    const double tiltX = -std::cos(s.r) * s.roll / 4;
    const double tiltZ = std::sin(s.r) * s.roll / 4;
    // 3-4. A boost lends the lens; a talk box focusing a ship keeps the plain view.
    const Single b = s.getBoostVal();
    if (b > 0 && warp <= 0) warp = ClassicView ? -1.0f : static_cast<Single>(2 * std::sin(b));
    if (GameInterface && GameInterface->getTalkBox() && GameInterface->PopFocID >= 0) warp = -1;
    const float aspect = Widescreen ? 6.0f / 9.0f : 3.0f / 4.0f;
    const float baseFov = 800.0f / 600.0f;
    if (warp <= -1) {
      D3DXMatrixPerspectiveFovLH(MatProj, baseFov, aspect, 1, farPlane);
    } else {
      // Lens: only a positive warp widens the view (between -1 and 0 the lens is 0).
      const double lens = warp > 0 ? std::pow(warp / 3.0, 1.5) : 0.0;
      D3DXMatrixPerspectiveFovLH(MatProj, static_cast<float>(baseFov + lens), aspect, 1, farPlane);
      const double ux = (2.0 * Rnd() - 1) * warp / 40 + tiltX;
      const double uy = (2.0 * Rnd() - 1) * warp / 40 + 1;
      const double uz = (2.0 * Rnd() - 1) * warp / 40 + tiltZ;
      CamUp = vec(ux, uy, uz);
      if (warp > 2) {
        const Single w = (warp - 2) * 120;
        if (CurMap) CurMap->updateColor();
        for (Single* c : {&SkyR, &SkyG, &SkyB}) {
          if (*c < w) *c = w;
          if (*c > 255) *c = 255;
        }
      }
    }
    checkHResult(device().SetTransform(D3DTS_PROJECTION, MatProj));
  });
}

void steerWithMouse(Integer shipIndex) {
  CShip& player = shipAt(0);
  const bool interfaceHolds = GameInterface && GameInterface->hasMouse();
  Single jx = 0, jy = 0;
  if (!interfaceHolds && !ClassicView) {
    if (shipAt(shipIndex).getFlipVal() > 0) SteerDelay = 2;
    GetCursorPos(CursorPos);
    if (SteerDelay == 0) {
      MouseDX = belowOne(CursorPos.x - CursorCentreX);
      MouseDY = belowOne(CursorPos.y - CursorCentreY);
      if (JoyControl) JoyControl->getJoyLook(jx, jy);
      player.Steering = jx + MouseDX;
      player.Elever = jy - MouseDY;
    } else {
      SteerDelay -= 1;
    }
    recentreCursor();
    CursorCentreX = centreX();
    CursorCentreY = centreY();
    return;
  }
  // The virtual pointer.
  if (JoyControl) JoyControl->getJoyLook(jx, jy);
  PointerX += jx / 3;
  PointerY -= jy / 3;
  GetCursorPos(CursorPos);
  MouseDX = belowOne(CursorPos.x - centreX());
  MouseDY = belowOne(CursorPos.y - centreY());
  PointerX += MouseDX;
  PointerY += MouseDY;
  if (PointerX > ScreenWidth) PointerX = static_cast<Single>(ScreenWidth);
  if (PointerX < 0) PointerX = 0;
  if (PointerY > ScreenHeight) PointerY = static_cast<Single>(ScreenHeight);
  if (PointerY < 0) PointerY = 0;
  recentreCursor();
  // Flight steering measures from here once the interface lets go: the pointer's motion over a
  // menu or screen never turns or climbs the ship in its first flight frame.
  CursorCentreX = centreX();
  CursorCentreY = centreY();
  if (!interfaceHolds) {
    // Classic view in flight: the joystick turns the ship, or it turns toward the pointer.
    player.Steering = 0;
    player.Elever = 0;
    jx = jy = 0;
    if (JoyControl) JoyControl->getJoyLook(jx, jy);
    player.Steering = jx;
    if (FollowMouse)
      player.Steering = 50 * getHunt(ScreenWidth / 2.0f, ScreenHeight / 2.0f, PointerX, PointerY, 4.71f - player.r);
  }
}

void setShipView(Integer& shipIndex) {
  vbTrap("setShipView", [&] {
    const double ft = FrameTime;
    CInterface* gi = GameInterface.get();
    const Long window = gi ? gi->Window : msNone;

    // 1-2. Start; the title scene's ship shots follow their ship.
    CamDetached = false;
    if (window == msDemo && gi) {
      const Long mode = gi->DemoSceneMode;
      if (mode == 1 || mode == 2 || mode == 6 || mode == 7 || mode == 8) {
        const Integer follow = gi->DemoSceneFollow;
        if (!shipExists(follow)) gi->DemoSceneFrame = 1.0f;
        // No ship to watch (-1: a level without traffic): the shot ends on the usual view.
        if (follow >= 0 && static_cast<size_t>(follow) < Ships.size() && Ships[follow]) {
          shipIndex = follow;
          CamDetached = true;
        }
      }
    }

    // 3-4. Projection and steering input.
    CamNoCull = false;
    {
      Single warp = shipAt(shipIndex).getWarp();
      setPersp(warp, shipIndex);
    }
    steerWithMouse(shipIndex);

    // 5. Chase rig.
    const CShip* s = &shipAt(shipIndex);
    const double rate = CamBlend != 0 ? 10 : 25;
    double followY = s->CamFollowY, followZ = s->CamFollowZ;
    const double b = s->getBoostVal();
    if (b > 0) {
      followZ *= 1 - std::sin(b) / 2;
      followY *= 1 + std::sin(b) / 2;
    }
    double L = 2.0 * s->Speed + 2000;
    D3DVECTOR eye = vec(s->x + followZ * std::cos(s->r + 1.57), s->e + followY, s->y - followZ * std::sin(s->r + 1.57));
    const Single wf = s->getWarpFrame();
    if (bigBody(*s) && !s->getTransWarp() && wf >= 20 && wf <= 24) eye.y = static_cast<Single>(eye.y + (24 - wf) * 200);

    // 6. Tractor and landing pull-back.
    if (s->TractorFrame > 0 || s->LandingFrame > 0) {
      CamNoCull = true;
      if (CamBlend < 1) CamBlend = std::fmin(1.0f, static_cast<Single>(CamBlend + ft));
      followZ *= 3;
      double a, height;
      if (s->LandingFrame <= 0) {
        a = s->TractorFrame / 2.0;
        height = s->e + s->CamFollowY + 200;
      } else {
        a = s->LandingFrame / 2.0;
        height = s->e + s->CamFollowY + 200 + 1000 * a;
      }
      eye = vec(s->x + followZ * std::cos(a / 2 + s->r + 1.57), height, s->y - followZ * std::sin(a / 2 + s->r + 1.57));
      CamDetached = true;
    } else if (CamBlend > 0) {
      CamBlend = std::fmax(0.0f, static_cast<Single>(CamBlend - ft));
    }

    // 7. Target goal along the heading and pitch.
    L *= 1 - CamBlend;
    D3DVECTOR target = vec(s->x + L * std::cos(s->r - 1.57), s->e - L * std::sin(s->Pitch), s->y - L * std::sin(s->r - 1.57));

    // 8. Flip: the camera swings round with the ship.
    const double f = s->getFlipVal();
    if (f > 0) {
      eye = vec(s->x + followZ * std::cos(s->r + 1.57 + f), s->e + s->CamFollowY, s->y - followZ * std::sin(s->r + 1.57 + f));
      target = vec(s->x + L * std::cos(s->r - 1.57 + f), s->e - L * std::sin((1 - 2 * f / 3.14) * s->Pitch),
                   s->y - L * std::sin(s->r - 1.57 + f));
    }

    // 9. Screen rigs: the new-game wizard's showroom and the title scene's shots.
    struct Showroom {
      Long window;
      D3DVECTOR eye, target;
    };
    static const Showroom showrooms[] = {
        {24, {100, 10100, 100}, {-45, 9980, 25}}, {29, {100, 10100, 100}, {-45, 9980, 25}},
        {37, {100, 10100, 100}, {-45, 9980, 25}}, {38, {100, 10100, 100}, {-45, 9980, 25}},
        {25, {-100, 10020, 40}, {-20, 10010, -20}}, {26, {-80, 10020, 20}, {-20, 10010, -20}},
        {27, {100, 10020, 40}, {-55, 10010, 5}},  {28, {80, 10020, 40}, {-55, 10010, 5}},
    };
    for (const Showroom& room : showrooms) {
      if (room.window != window) continue;
      eye = room.eye;
      target = room.target;
      CShip& parked = shipAt(0);
      parked.x = 0;
      parked.y = 0;
      parked.e = 10000;
      CamDetached = true;
    }
    if (window == msDemo && gi) {
      const Long mode = gi->DemoSceneMode;
      if (mode == 3 || mode == 4) {
        shipIndex = 1;
        vbCheckIndex(gi->DemoSceneFollow, 0, static_cast<long long>(Sprites.size()) - 1);
        const CSprite& sp = Sprites[gi->DemoSceneFollow];
        const D3DVECTOR p = sp.getPos(), v = sp.getTraj();
        eye = vec(p.x, p.y + 50.0, p.z);
        target = vec(50.0 * v.x, 50.0 * v.y, 50.0 * v.z);
      } else if (mode == 6) {
        eye = vec(s->x + 200 * std::cos(s->r - 1.57), s->e - 200 * std::sin(s->Pitch), s->y - 200 * std::sin(s->r - 1.57));
        target = s->getPos();
      } else if (mode == 7) {
        vbCheckIndex(gi->DemoSceneFollow, 0, static_cast<long long>(Characters.size()) - 1);
        if (!Characters[gi->DemoSceneFollow]) vbRaise(vberr::ObjectMissing);
        const CCharacter& c = *Characters[gi->DemoSceneFollow];
        eye = vec(c.x + c.xM / 4.0, c.e + c.eM / 4.0, c.y + c.yM / 4.0);
        target = vec(c.x, c.e, c.y);
      }
      CamDetached = true;
    }
    s = &shipAt(shipIndex);

    // 10. Talk focus: the eye beside the ship the talk box points at.
    if (gi && gi->getTalkBox() && gi->PopFocID >= 0 && shipExists(gi->PopFocID)) {
      const CShip& focus = *Ships[gi->PopFocID];
      target = focus.getPos();
      D3DVECTOR dir{s->x - focus.x, s->e - focus.e, s->y - focus.y};
      if (dir.x == 0 && dir.y == 0 && dir.z == 0) dir = TalkFocusFallback;
      else D3DXVec3Normalize(dir, dir);
      const double d = bigBody(focus) ? 600 : 200;
      eye = vec(target.x + d * dir.x, target.y + d * dir.y + 100, target.z + d * dir.z);
      CamDetached = true;
    }

    // 11. Credits tunnel.
    if (gi && gi->canCredTunnel() && window == msCredits) {
      CamEye = eye = D3DVECTOR{0, 10000, 0};
      CamTarget = target = D3DVECTOR{1000, 10000, 0};
      CamDetached = true;
    }

    // 12. Glide toward the goals in fixed slices; the eye goal is spread over the slices from the
    // previous frame's goal.
    int slices = 0;
    for (double remaining = ft; remaining > 0; remaining = remaining > GlideSlice ? remaining - GlideSlice : 0) ++slices;
    double remaining = ft;
    for (int i = 1; i <= slices; ++i) {
      const double len = remaining > GlideSlice ? GlideSlice : remaining;
      remaining = remaining > GlideSlice ? remaining - GlideSlice : 0;
      const double k = static_cast<double>(i) / slices;
      const double gx = CamPrevEyeGoal.x + (eye.x - CamPrevEyeGoal.x) * k;
      const double gy = CamPrevEyeGoal.y + (eye.y - CamPrevEyeGoal.y) * k;
      const double gz = CamPrevEyeGoal.z + (eye.z - CamPrevEyeGoal.z) * k;
      CamEye = vec(CamEye.x + (gx - CamEye.x) * len * rate, CamEye.y + (gy - CamEye.y) * len * rate,
                   CamEye.z + (gz - CamEye.z) * len * rate);
      CamTarget = vec(CamTarget.x + (target.x - CamTarget.x) * len * rate,
                      CamTarget.y + (target.y - CamTarget.y) * len * rate,
                      CamTarget.z + (target.z - CamTarget.z) * len * rate);
    }

    // 13. Classic overhead view (the chase camera stays above height 1000).
    if (ClassicView && !CamDetached) {
      if (s->e >= 1000) {
        CamDetached = true;
      } else {
        eye = vec(s->x, 1500, s->y - 100.0);
        target = vec(s->x, 0, s->y + 100.0);
        CamEye = eye;
        CamTarget = target;
        CamUp = D3DVECTOR{0, 1, 0};
      }
    }

    // 14-15.
    CamPrevEyeGoal = eye;
    if (CamShake > 0) {
      CamShake = static_cast<Single>(CamShake - ft);
      if (CamShake >= 0) {
        for (Single* axis : {&CamEye.x, &CamEye.y, &CamEye.z}) *axis += CamShake * 100 * Rnd() - CamShake * 50;
      } else {
        CamShake = 0;
      }
    }

    // 16. Death and title rigs.
    TitleCam = false;
    if (s->Exists || IntroClock <= 3) {
      if (!s->Exists) IntroClock = static_cast<Single>(IntroClock + ft);
      // A click let go while the ship goes down does not answer the prompt that follows.
      if (window == msNone && (!s->Exists || s->getDeathThroes() > 0)) MouseClicked = false;
      const Single throes = s->getDeathThroes();
      if (throes > 2 && throes < 4) {
        CamEye = s->getFlyingV();
        CamTarget = s->getPos();
        TitleCam = true;
        IntroClock = 0;
        CamDetached = true;
      }
      if (throes >= 4 || !s->Exists) {
        CamEye = vec(s->x + 2.0, s->e + 400 + 100.0 * IntroClock, s->y + 2.0);
        CamTarget = s->getPos();
        TitleCam = true;
        CamDetached = true;
      }
    } else {
      const double t = IntroClock;
      if (window == msDemo) CamEye = vec(1500 * std::cos(t / 2), 3000 * std::sin(t / 10), 1500 * std::sin(t / 2));
      else CamEye = vec(2000 * std::cos(t / 20), 3000, 2000 * std::sin(t / 20));
      CamTarget = D3DVECTOR{0, 0, 0};
      CamUp = D3DVECTOR{0, 20, 0};
      if (IntroClock > 1000) IntroClock -= 125.6f;
      TitleCam = true;
      // A press held, or a tap let go before this frame (the click latch), answers the prompt.
      if ((MouseHeld || MouseClicked) && window == msNone) {
        MouseHeld = MouseClicked = false;
        startNewGameFromTitle();
      }
      CamDetached = true;
      IntroClock = static_cast<Single>(IntroClock + ft);
    }

    // 17. View.
    D3DXMatrixLookAtLH(MatView, CamEye, CamTarget, CamUp);
    checkHResult(device().SetTransform(D3DTS_VIEW, MatView));

    // 18. The HUD's target values.
    if (s->SecondaryTarget < 0) {
      if (gi) gi->setAim(D3DVECTOR{0, 0, 0});
    } else {
      const CShip& t = shipAt(s->SecondaryTarget);
      if (gi) {
        gi->setAim(getScreenCoords(t.getPos()));
        gi->setAimDist(static_cast<Single>(getDist(t.x, t.y, s->x, s->y)));
        gi->setAimArmor(t.getArmorPercent());
        gi->setAimShields(t.getShieldPercent());
      }
    }

    // 19.
    CamHeading = getAngle(CamEye.x, CamEye.z, CamTarget.x, CamTarget.z);
  });
}
