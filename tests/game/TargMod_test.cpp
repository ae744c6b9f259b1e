// The target view on the recording device: the tint by relation, the camera's distance by body,
// the ring of six slots, no picture of an absent ship, and every changed state put back, also
// when drawing fails part way.
#include "game/TargMod.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/GameGlobals.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/DeviceFixture.h"

namespace {
constexpr std::array<D3DRENDERSTATETYPE, 9> Watched = {
    D3DRS_FILLMODE, D3DRS_CULLMODE,  D3DRS_ZENABLE,  D3DRS_ZWRITEENABLE, D3DRS_ALPHABLENDENABLE,
    D3DRS_SRCBLEND, D3DRS_DESTBLEND, D3DRS_LIGHTING, D3DRS_AMBIENT};

class TargViewTest : public DeviceFixture {
 protected:
  void SetUp() override {
    DeviceFixture::SetUp();
    makeDevice();
    Ships.clear();
    for (int i = 0; i < 16; ++i) Ships.push_back(std::make_shared<CShip>());
    ship(0, sbCar);
    TargetSlot = 0;
    TargetOrbit = 0;
    TargetUsed.fill(0);
    FrameTime = 0.02;
  }
  void TearDown() override {
    Ships.clear();
    TargetSlot = 0;
    TargetOrbit = 0;
    TargetUsed.fill(0);
    FrameTime = 0;
    DeviceFixture::TearDown();
  }
  CShip& ship(Integer i, Long body) {
    CShipDef d;
    d.MaxArmor = 100;
    d.ShipBody = body;
    Ships[i] = std::make_shared<CShip>();
    Ships[i]->setDef(d);
    Ships[i]->Init(i);
    return *Ships[i];
  }
  void draw(Integer target) {
    Integer viewer = 0;
    RenderTarg(viewer, target);
  }
  // The scene the device expects between frames, with a few unusual values besides.
  void setScene() {
    Direct3DDevice8& d = *D3DDevice;
    d.SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d.SetRenderState(D3DRS_ZENABLE, 1);
    d.SetRenderState(D3DRS_ZWRITEENABLE, 1);
    d.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d.SetRenderState(D3DRS_LIGHTING, 0);
    d.SetRenderState(D3DRS_AMBIENT, 0x00303030);
    d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    clearCalls();
  }
  std::array<int32_t, Watched.size()> states() const {
    std::array<int32_t, Watched.size()> s{};
    for (size_t i = 0; i < Watched.size(); ++i) s[i] = D3DDevice->GetRenderState(Watched[i]);
    return s;
  }
  // The first recorded call of kind (matching pred), null when none.
  template <class P>
  const D3DCall* find(D3DCallKind kind, P pred) const {
    for (const D3DCall& c : calls())
      if (c.kind == kind && pred(c)) return &c;
    return nullptr;
  }
};
}  // namespace

TEST_F(TargViewTest, TintByRelationToTheViewer) {
  struct Case {
    const char* what;
    bool hostile;
    Single armor;
    D3DCOLORVALUE ambient;
  };
  const Case cases[] = {
      {"friend", false, 50, {0.2f, 1.0f, 0.2f, 0}},
      {"enemy", true, 50, {1.0f, 0.2f, 0.2f, 0}},
      {"wreck, whatever its hostility", true, -1, {0.25f, 0.25f, 0.25f, 0}},
  };
  for (const Case& c : cases) {
    CShip& t = ship(4, sbCar);
    t.setAIHostile(0, c.hostile);
    t.Armor = c.armor;
    setScene();
    draw(4);
    const D3DCall* light = find(D3DCallKind::SetLight, [](const D3DCall& k) {
      return k.a == 0 && k.light.Type == D3DLIGHT_DIRECTIONAL;
    });
    ASSERT_TRUE(light) << c.what;
    EXPECT_FLOAT_EQ(light->light.Ambient.r, c.ambient.r) << c.what;
    EXPECT_FLOAT_EQ(light->light.Ambient.g, c.ambient.g) << c.what;
    EXPECT_FLOAT_EQ(light->light.Ambient.b, c.ambient.b) << c.what;
    EXPECT_EQ(light->light.Diffuse.r, 0);
    // The tint needs lighting on and no global ambient, set here rather than left by others.
    EXPECT_TRUE(find(D3DCallKind::SetRenderState,
                     [](const D3DCall& k) { return k.a == D3DRS_LIGHTING && k.b == 1; }));
    EXPECT_TRUE(
        find(D3DCallKind::SetRenderState, [](const D3DCall& k) { return k.a == D3DRS_AMBIENT && k.b == 0; }));
  }
}

TEST_F(TargViewTest, SixPicturesFillTheRingAndTheSeventhReusesSlotZero) {
  ship(4, sbCar);
  for (int frame = 0; frame < 7; ++frame) {
    clearCalls();
    draw(4);
    const D3DCall* begin = find(D3DCallKind::RenderToSurfaceBegin, [](const D3DCall&) { return true; });
    ASSERT_TRUE(begin) << frame;
    EXPECT_EQ(begin->object, TargetSurf[frame % 6].get()) << frame;
    EXPECT_EQ(begin->viewport.Width, 128);
    EXPECT_TRUE(find(D3DCallKind::RenderToSurfaceEnd, [](const D3DCall&) { return true; }));
    EXPECT_TRUE(find(D3DCallKind::Clear, [](const D3DCall& k) { return k.color == 0xFF000000u; }));
  }
  for (Integer used : TargetUsed) EXPECT_EQ(used, 1);
  EXPECT_EQ(TargetSlot, 1);
}

TEST_F(TargViewTest, TheCameraCirclesAtTheDistanceOfTheBody) {
  for (Long body : {sbCar, sbBike, sbCapital, sbFleshy}) {
    CShip& t = ship(4, body);
    t.x = 1000;
    t.y = -500;
    t.e = 300;
    t.r = 1.0f;
    TargetOrbit = 6.275;
    draw(4);
    EXPECT_NEAR(TargetOrbit, 6.285 - 6.28, 1e-9);  // kept below 6.28
    const double a = TargetOrbit - 1.0;
    const double d = body == sbCapital || body == sbFleshy ? 205 : 75;
    D3DMATRIX expected;
    D3DXMatrixLookAtLH(expected,
                       D3DVECTOR{static_cast<Single>(1000 + d * std::cos(a + 3.14)), 300,
                                 static_cast<Single>(-500 + d * std::sin(a + 3.14))},
                       D3DVECTOR{1000, 300, -500}, D3DVECTOR{0, 1, 0});
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) EXPECT_NEAR(MatView.m[r][c], expected.m[r][c], 1e-3) << body;
    EXPECT_EQ(CamUp.y, 1);
  }
}

TEST_F(TargViewTest, AnAbsentShipGivesNoPictureAndKeepsTheSlot) {
  TargetSlot = 3;
  Ships[5]->Exists = false;
  for (Integer target : {5, 40, -2}) {
    clearCalls();
    draw(target);
    EXPECT_TRUE(calls().empty()) << target;
  }
  EXPECT_EQ(TargetSlot, 3);
  for (Integer used : TargetUsed) EXPECT_EQ(used, 0);
}

TEST_F(TargViewTest, EveryChangedStateIsPutBack) {
  ship(4, sbCar);
  setScene();
  const auto before = states();
  const int32_t alphaOp = D3DDevice->GetTextureStageState(0, D3DTSS_ALPHAOP);
  D3DLIGHT8 sun{};
  sun.Type = D3DLIGHT_DIRECTIONAL;
  sun.Diffuse = D3DCOLORVALUE{1, 1, 1, 0};
  D3DDevice->SetLight(0, sun);
  draw(4);
  EXPECT_EQ(states(), before);
  EXPECT_EQ(D3DDevice->GetTextureStageState(0, D3DTSS_ALPHAOP), alphaOp);
  D3DLIGHT8 now{};
  D3DDevice->GetLight(0, now);
  EXPECT_EQ(now.Diffuse.r, 1);
  // drawing happened with the view's own states
  EXPECT_TRUE(find(D3DCallKind::SetRenderState,
                   [](const D3DCall& k) { return k.a == D3DRS_FILLMODE && k.b == D3DFILL_WIREFRAME; }));
  EXPECT_TRUE(find(D3DCallKind::SetRenderState,
                   [](const D3DCall& k) { return k.a == D3DRS_DESTBLEND && k.b == D3DBLEND_ONE; }));
}

TEST_F(TargViewTest, AFailurePartWayEndsTheSceneAndPutsEverythingBack) {
  ship(4, sbCar);
  setScene();
  const auto before = states();
  // the tint light is refused: the scene on the target surface is already open
  D3DDevice->SetFailureHook([](const D3DCall& c) {
    return c.kind == D3DCallKind::SetLight && c.light.Ambient.g == 1.0f ? D3DERR_INVALIDCALL : D3D_OK;
  });
  draw(4);
  D3DDevice->SetFailureHook({});
  bool begun = false, ended = false;
  for (const D3DCall& c : calls()) {
    if (c.kind == D3DCallKind::RenderToSurfaceBegin) begun = true;
    if (c.kind == D3DCallKind::RenderToSurfaceEnd && begun) ended = true;
  }
  EXPECT_TRUE(begun);
  EXPECT_TRUE(ended) << "drawing must go back to the back buffer";
  EXPECT_EQ(states(), before);
  EXPECT_EQ(TargetSlot, 0);
  EXPECT_EQ(TargetUsed[0], 0);
  ASSERT_FALSE(logLines().empty());
  EXPECT_EQ(logLines().at(0).rfind("Error in RenderTarg: ", 0), 0u);

  // a missing target surface fails before the scene opens; the same holds
  TargetSurf[0].reset();
  clearCalls();
  draw(4);
  EXPECT_EQ(states(), before);
  EXPECT_EQ(TargetSlot, 0);
  EXPECT_FALSE(find(D3DCallKind::RenderToSurfaceEnd, [](const D3DCall&) { return true; }));
}
