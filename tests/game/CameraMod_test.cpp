// The flight camera on the recording device: the glide in fixed slices, the shake, the classic
// overhead view, the talk focus, the screen and death rigs, the projection (far plane, warp lens,
// up vector, white-out), and the mouse's steering and virtual pointer through the platform's
// hidden (virtual) cursor.
#include "engine/PlayerNotices.h"
#include "game/CameraMod.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "campaign/CPlayer.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "engine/MessageLog.h"
#include "game/frmMain.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "platform/Window.h"
#include "runtime/Rnd.h"
#include "ships/CShip.h"
#include "tests/support/DeviceFixture.h"

class CInterfaceProbe {
 public:
  static Single aimDist(const CInterface& i) { return i.aimDist; }
  static Single aimArmor(const CInterface& i) { return i.aimArmor; }
  static D3DVECTOR aimPoint(const CInterface& i) { return i.aimPoint; }
};

namespace {
CShipDef cameraDesign() {
  CShipDef d;
  d.ShipName = "Camerabed";
  d.MaxArmor = 400;
  d.MaxShields = 300;
  d.Agility = 20;
  d.MaxSpeed = 1000;
  d.Acceleration = 500;
  d.Traction = 2;
  d.CamFollowY = 70;
  d.CamFollowZ = 260;
  return d;
}

void expectVec(const D3DVECTOR& a, double x, double y, double z, double tol, const char* what) {
  EXPECT_NEAR(a.x, x, tol) << what;
  EXPECT_NEAR(a.y, y, tol) << what;
  EXPECT_NEAR(a.z, z, tol) << what;
}

D3DMATRIX perspective(float fov, float farPlane) {
  D3DMATRIX m;
  D3DXMatrixPerspectiveFovLH(m, fov, 3.0f / 4.0f, 1, farPlane);
  return m;
}

void expectMatrix(const D3DMATRIX& a, const D3DMATRIX& b, const char* what) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], 1e-4) << what << " [" << r << "][" << c << "]";
}

class CameraTest : public DeviceFixture {
 protected:
  void SetUp() override {
    DeviceFixture::SetUp();
    makeDevice();
    setRndSeedForTests(99);
    GameMode = pmPlay;
    GameInterface = std::make_shared<CInterface>();
    Ships.clear();
    for (int i = 0; i < 4; ++i) Ships.push_back(std::make_shared<CShip>());
    for (Integer i = 0; i < 2; ++i) {
      Ships[i]->setDef(cameraDesign());
      Ships[i]->Init(i);
    }
    CamEye = CamTarget = CamPrevEyeGoal = D3DVECTOR{0, 0, 0};
    CamUp = D3DVECTOR{0, 1, 0};
    CamBlend = CamShake = IntroClock = SteerDelay = 0;
    CursorCentreX = CursorCentreY = 0;
    WarmedUp = true;
    frmMain.window().move(3000, 1500);  // (200, 100) pixels: the cursor re-centres at (600, 400)
    resetPlayerNotices();  // of the options files, which this folder lacks: none stands over the flight
  }
  void TearDown() override {
    if (cursorHidden) ShowCursor(true);
    Ships.clear();
    GameInterface.reset();
    ClassicView = FollowMouse = false;
    FrameTime = 0;
    CamShake = 0;
    SkyR = SkyG = SkyB = 0;
    PointerX = PointerY = 0;
    WarmedUp = false;
    GameMode = 0;
    clearRndTestSeed();
    DeviceFixture::TearDown();
  }
  void view(double ft) {
    FrameTime = ft;
    Integer i = 0;
    setShipView(i);
  }
  void hideCursor() {
    ShowCursor(false);
    cursorHidden = true;
  }
  CShip& ship(int i) { return *Ships[i]; }
  bool cursorHidden = false;
};
}  // namespace

TEST_F(CameraTest, TheEyeGlidesInSlicesOfFourMillisecondsAndReachesTheGoalOnTheLast) {
  struct Case {
    double ft;
    std::vector<double> slices;
  };
  for (const Case& c : {Case{0.01, {0.004, 0.004, 0.002}}, Case{0.004, {0.004}}, Case{0.0041, {0.004, 0.0001}},
                        Case{0, {}}}) {
    CamEye = CamTarget = CamPrevEyeGoal = D3DVECTOR{0, 0, 0};
    view(c.ft);
    // The goals of a ship at rest at the origin with heading 0.
    const D3DVECTOR goal = CamPrevEyeGoal;
    expectVec(goal, 260 * std::cos(1.57), 70, -260 * std::sin(1.57), 1e-3, "eye goal");
    const double tx = 2000 * std::cos(-1.57), tz = -2000 * std::sin(-1.57);
    double ex = 0, ey = 0, ez = 0, px = 0, py = 0, pz = 0;
    const size_t n = c.slices.size();
    for (size_t i = 1; i <= n; ++i) {
      const double len = c.slices[i - 1], k = double(i) / n;
      ex += (goal.x * k - ex) * len * 25;
      ey += (goal.y * k - ey) * len * 25;
      ez += (goal.z * k - ez) * len * 25;
      px += (tx - px) * len * 25;
      pz += (tz - pz) * len * 25;
    }
    expectVec(CamEye, ex, ey, ez, 1e-3, "eye");
    expectVec(CamTarget, px, py, pz, 1e-3, "target");
    EXPECT_FALSE(CamDetached);
  }
}

TEST_F(CameraTest, ShakeJittersTheEyeAndRunsDownByTheFrameTime) {
  view(0.02);  // settle
  const D3DVECTOR eye0 = CamEye, target0 = CamTarget, goal0 = CamPrevEyeGoal;
  auto frame = [&](Single shake, double ft) {
    CamEye = eye0;
    CamTarget = target0;
    CamPrevEyeGoal = goal0;
    CamShake = shake;
    view(ft);
    return CamEye;
  };
  const D3DVECTOR calm = frame(0, 0.1);
  const D3DVECTOR shaken = frame(0.5f, 0.1);
  EXPECT_FLOAT_EQ(CamShake, 0.4f);
  EXPECT_NE(shaken.x, calm.x);
  expectVec(shaken, calm.x, calm.y, calm.z, 0.4 * 50, "shaken eye");
  const D3DVECTOR spent = frame(0.05f, 0.1);  // runs out this frame: no jitter
  EXPECT_EQ(CamShake, 0);
  expectVec(spent, calm.x, calm.y, calm.z, 1e-4, "spent shake");
  const D3DVECTOR paused = frame(0.5f, 0);  // paused: jitters, does not decay
  EXPECT_EQ(CamShake, 0.5f);
  expectVec(paused, eye0.x, eye0.y, eye0.z, 25, "paused");
}

TEST_F(CameraTest, ClassicViewLooksDownUnlessTheShipIsAbove1000) {
  ClassicView = true;
  ship(0).x = 300;
  ship(0).y = -200;
  ship(0).e = 500;
  view(0.02);
  expectVec(CamEye, 300, 1500, -300, 1e-4, "eye");
  expectVec(CamTarget, 300, 0, -100, 1e-4, "target");
  expectVec(CamUp, 0, 1, 0, 0, "up");
  EXPECT_FALSE(CamDetached);

  ship(0).e = 1000;
  view(0.02);
  EXPECT_TRUE(CamDetached);
  EXPECT_LT(CamEye.y, 1500);  // glided toward the chase goal at about 1070
}

TEST_F(CameraTest, TalkFocusOnTheCamerasOwnShipStaysFinite) {
  GameInterface->MakeTalkBox("", "", false, false);
  GameInterface->PopFocID = 0;
  ship(0).x = 10;
  ship(0).y = 20;
  ship(0).e = 30;
  view(0.02);
  EXPECT_TRUE(CamDetached);
  expectVec(CamPrevEyeGoal, 10, 130, 220, 1e-4, "eye goal");
  EXPECT_TRUE(std::isfinite(CamEye.x) && std::isfinite(CamEye.y) && std::isfinite(CamEye.z));

  GameInterface->PopFocID = 1;  // another ship: the eye 200 units from it toward the camera ship
  ship(1).x = 10;
  ship(1).y = 20 - 400;
  ship(1).e = 30;
  view(0.02);
  expectVec(CamPrevEyeGoal, 10, 130, 20 - 200, 1e-3, "eye goal beside ship 1");
}

TEST_F(CameraTest, ScreenAndDeathRigs) {
  GameInterface->Window = 26;  // name your driver: the ship is parked in the showroom
  ship(0).x = 500;
  view(0.02);
  EXPECT_EQ(ship(0).x, 0);
  EXPECT_EQ(ship(0).e, 10000);
  expectVec(CamPrevEyeGoal, -80, 10020, 20, 0, "showroom eye");
  EXPECT_TRUE(CamDetached);

  GameInterface->Window = 0;
  ship(0).Exists = false;  // the ship is gone: the death rig climbs, then the title orbit
  IntroClock = 1;
  view(0.5);
  EXPECT_TRUE(TitleCam);
  expectVec(CamEye, 2, 10000 + 400 + 150, 2, 1e-3, "death rig");
  IntroClock = 1000.5f;
  view(0.5);
  EXPECT_NEAR(IntroClock, 1000.5 - 125.6 + 0.5, 1e-3);
  expectVec(CamUp, 0, 20, 0, 0, "orbit up");
  EXPECT_NEAR(std::hypot(CamEye.x, CamEye.z), 2000, 1e-2);
}

TEST_F(CameraTest, TheHudGetsTheTargetsDistanceAndArmour) {
  ship(1).x = 300;
  ship(1).y = 400;
  ship(1).Armor = 100;
  ship(0).SecondaryTarget = 1;
  view(0.02);
  EXPECT_NEAR(CInterfaceProbe::aimDist(*GameInterface), 500, 1e-3);
  EXPECT_NEAR(CInterfaceProbe::aimArmor(*GameInterface), 0.25, 1e-6);
  ship(0).SecondaryTarget = -1;
  view(0.02);
  expectVec(CInterfaceProbe::aimPoint(*GameInterface), 0, 0, 0, 0, "no target");
}

TEST_F(CameraTest, ProjectionFarPlaneLensAndUpVector) {
  const float base = 800.0f / 600.0f;
  CShip& s = ship(0);
  s.r = 1.0f;
  s.roll = 0.4f;
  Single warp = 0;
  setPersp(warp, 0);
  expectMatrix(MatProj, perspective(base, 20000), "warp 0");
  expectVec(CamUp, -std::cos(1.0) * 0.1, 1, std::sin(1.0) * 0.1, 1e-6, "roll tilt");
  D3DMATRIX set;
  device().GetTransform(D3DTS_PROJECTION, set);
  expectMatrix(set, MatProj, "device projection");

  s.x = 16000;
  warp = 3;
  SkyR = 10;
  SkyG = 200;
  SkyB = 300;
  setPersp(warp, 0);
  expectMatrix(MatProj, perspective(base + 1, 21000), "warp 3 at 16000");
  EXPECT_EQ(SkyR, 120);
  EXPECT_EQ(SkyG, 200);
  EXPECT_EQ(SkyB, 255);
  EXPECT_NEAR(CamUp.y, 1, 0.075 + 1e-6);

  // Between -1 and 0 (every warp-in passes there) the lens is 0: no error, no stale projection.
  s.x = 0;
  warp = -0.5f;
  setPersp(warp, 0);
  expectMatrix(MatProj, perspective(base, 20000), "warp -0.5");
  EXPECT_FALSE(logHas("Error in setPersp: Invalid procedure call or argument"));
  for (const std::string& line : logLines()) EXPECT_EQ(line.find("setPersp"), std::string::npos) << line;

  // A talk box focusing a ship: the plain projection and the up vector left alone.
  GameInterface->MakeTalkBox("", "", false, false);
  GameInterface->PopFocID = 1;
  CamUp = D3DVECTOR{5, 6, 7};
  warp = 4;
  setPersp(warp, 0);
  expectMatrix(MatProj, perspective(base, 20000), "talk box");
  expectVec(CamUp, 5, 6, 7, 0, "talk box up");
}

TEST_F(CameraTest, RelativeMouseMotionSteersThroughTheHiddenCursor) {
  hideCursor();
  CShip& s = ship(0);
  steerWithMouse(0);  // the first frame sets the re-centring point
  EXPECT_EQ(CursorCentreX, 600);
  EXPECT_EQ(CursorCentreY, 400);
  frmMain.window().postMouseMotion(12, -5);
  doEvents();
  steerWithMouse(0);
  EXPECT_EQ(s.Steering, 12);
  EXPECT_EQ(s.Elever, 5);
  POINTAPI p;
  GetCursorPos(p);
  EXPECT_EQ(p.x, 600);
  EXPECT_EQ(p.y, 400);

  frmMain.window().postMouseMotion(0.6f, 0);  // less than a pixel counts 0
  doEvents();
  steerWithMouse(0);
  EXPECT_EQ(s.Steering, 0);

  // A flip skips the steering in each of its frames and in the one after it; the cursor is
  // still re-centred.
  s.RollMe(2);
  FrameTime = 0.1;
  s.Move();
  ASSERT_GT(s.getFlipVal(), 0);
  s.Steering = 3;
  frmMain.window().postMouseMotion(40, 0);
  doEvents();
  steerWithMouse(0);
  EXPECT_EQ(s.Steering, 3);
  GetCursorPos(p);
  EXPECT_EQ(p.x, 600);
  while (s.getFlipVal() > 0) s.Move();
  s.Steering = 3;
  frmMain.window().postMouseMotion(40, 0);
  doEvents();
  steerWithMouse(0);
  EXPECT_EQ(s.Steering, 3);  // the frame after the flip
  frmMain.window().postMouseMotion(40, 0);
  doEvents();
  steerWithMouse(0);
  EXPECT_EQ(s.Steering, 40);
}

TEST_F(CameraTest, TheCursorReCentresMidScreenAtEveryResolutionAndDpi) {
  hideCursor();
  const Long savedW = ScreenWidth, savedH = ScreenHeight;
  struct Case {
    Long w, h, dpi;
    Single x, y;  // the window at (3000, 1500) twips
  } cases[] = {{640, 480, 96, 200 + 320, 100 + 240},   {800, 600, 96, 200 + 400, 100 + 300},
               {1024, 768, 96, 200 + 512, 100 + 384},  {1280, 1024, 96, 200 + 640, 100 + 512},
               {1024, 768, 120, 250 + 512, 125 + 384}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h << " at " << c.dpi << " dpi");
    ScreenWidth = c.w;
    ScreenHeight = c.h;
    setScreenDpi(c.dpi, c.dpi);
    steerWithMouse(0);
    EXPECT_FLOAT_EQ(CursorCentreX, c.x);
    EXPECT_FLOAT_EQ(CursorCentreY, c.y);
    POINTAPI p;
    GetCursorPos(p);
    EXPECT_EQ(p.x, c.x);
    EXPECT_EQ(p.y, c.y);
    // Steering measures from there: a push right and up turns right and climbs.
    frmMain.window().postMouseMotion(9, -4);
    doEvents();
    steerWithMouse(0);
    EXPECT_EQ(ship(0).Steering, 9);
    EXPECT_EQ(ship(0).Elever, 4);
  }
  ScreenWidth = savedW;
  ScreenHeight = savedH;
}

TEST_F(CameraTest, TheVirtualPointerStopsAtTheScreenEdgesAndClassicViewTurnsTowardIt) {
  hideCursor();
  steerWithMouse(0);
  GameInterface->Window = 14;  // a menu holds the mouse
  PointerX = 790;
  PointerY = 5;
  frmMain.window().postMouseMotion(30, -20);
  doEvents();
  steerWithMouse(0);
  EXPECT_EQ(PointerX, ScreenWidth);
  EXPECT_EQ(PointerY, 0);
  EXPECT_EQ(CursorCentreX, 600);  // not moved in this mode

  GameInterface->Window = 0;
  ClassicView = true;
  CShip& s = ship(0);
  s.Elever = 9;
  steerWithMouse(0);
  EXPECT_EQ(s.Steering, 0);  // no joystick
  EXPECT_EQ(s.Elever, 0);
  FollowMouse = true;
  s.r = 0.5f;
  steerWithMouse(0);
  EXPECT_FLOAT_EQ(s.Steering, 50 * getHunt(ScreenWidth / 2.0f, ScreenHeight / 2.0f, PointerX, PointerY, 4.71f - 0.5f));
}
