// Billboards, the visibility and projection helpers and trails on the recording device.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "campaign/CPlayer.h"
#include "engine/BillMod.h"
#include "engine/CTextureMonster.h"
#include "engine/CTrail.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "engine/GeomMod.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "sprites/SpriteMod.h"
#include "tests/support/MediaFixture.h"

namespace {
class BillboardTest : public MediaFixture {
 protected:
  void SetUp() override {
    MediaFixture::SetUp();
    InitGeometry();
    checkHResult(D3DX->CreateTexture(D3DDevice, 8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, tex));
    D3DXMatrixIdentity(BillMatrix);
    CamEye = D3DVECTOR{0, 0, 0};
    CamTarget = D3DVECTOR{0, 0, 100};
    CamHeading = 0;
    clearCalls();
  }
  void TearDown() override {
    ClassicView = CamDetached = TitleCam = CamNoCull = BulletTime = false;
    WarmedUp = false;
    D3DXMatrixIdentity(BillMatrix);
    MediaFixture::TearDown();
  }
  D3DMATRIX world() const {
    const std::vector<D3DCall> t = callsOf(D3DCallKind::SetTransform);
    EXPECT_EQ(t.size(), 1u);
    return t.empty() ? D3DMATRIX{} : t.back().matrix;
  }
  const void* stream() const {
    const std::vector<D3DCall> s = callsOf(D3DCallKind::SetStreamSource);
    return s.empty() ? nullptr : s.back().object;
  }
  std::shared_ptr<Direct3DTexture8> tex;
};

void expectMatrix(const D3DMATRIX& got, const D3DMATRIX& want) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(got.m[r][c], want.m[r][c], 1e-4) << r << "," << c;
}

D3DMATRIX product(std::initializer_list<D3DMATRIX> ms) {
  D3DMATRIX out;
  D3DXMatrixIdentity(out);
  for (const D3DMATRIX& m : ms) D3DXMatrixMultiply(out, out, m);
  return out;
}
D3DMATRIX scaling(float x, float y, float z) {
  D3DMATRIX m;
  D3DXMatrixScaling(m, x, y, z);
  return m;
}
D3DMATRIX rotZ(float a) {
  D3DMATRIX m;
  D3DXMatrixRotationZ(m, a);
  return m;
}
D3DMATRIX translation(float x, float y, float z) {
  D3DMATRIX m;
  D3DXMatrixTranslation(m, x, y, z);
  return m;
}
}  // namespace

TEST_F(BillboardTest, TheQuadFacesTheViewDirectionInEveryQuadrant) {
  struct Case {
    D3DVECTOR d;
  };
  for (Case c : {Case{{1, 0, 0}}, Case{{-1, 0, 0}}, Case{{0, 0, 1}}, Case{{0, 0, -1}}, Case{{3, 4, 5}},
                 Case{{-2, -7, 0.5f}}, Case{{0, 2, -3}}, Case{{0, -1, 4}}}) {
    SCOPED_TRACE(std::to_string(c.d.x) + "," + std::to_string(c.d.y) + "," + std::to_string(c.d.z));
    CamEye = D3DVECTOR{10, 20, 30};
    CamTarget = D3DVECTOR{10 + c.d.x, 20 + c.d.y, 30 + c.d.z};
    getBillFace();
    // The quad's normal (its z axis, the third row) points along the view; its x axis stays level.
    const float len = std::sqrt(c.d.x * c.d.x + c.d.y * c.d.y + c.d.z * c.d.z);
    EXPECT_NEAR(BillMatrix.m[2][0], c.d.x / len, 1e-4);
    EXPECT_NEAR(BillMatrix.m[2][1], c.d.y / len, 1e-4);
    EXPECT_NEAR(BillMatrix.m[2][2], c.d.z / len, 1e-4);
    EXPECT_NEAR(BillMatrix.m[0][1], 0, 1e-6);
    EXPECT_NEAR(BillMatrix.m[3][3], 1, 1e-6);
  }
  // Straight down (or up): the identity, not a collapsed matrix.
  CamTarget = D3DVECTOR{CamEye.x, CamEye.y - 50, CamEye.z};
  getBillFace();
  D3DMATRIX id;
  D3DXMatrixIdentity(id);
  expectMatrix(BillMatrix, id);
}

TEST_F(BillboardTest, WorldMatrixScalesThenSpinsThenFacesAndMoves) {
  CamTarget = D3DVECTOR{100, 0, 0};
  getBillFace();
  const D3DMATRIX face = BillMatrix;
  const D3DVECTOR pos{5, 6, 7};
  D3DMATRIX placed = face;
  placed.m[3][0] = 5;
  placed.m[3][1] = 6;
  placed.m[3][2] = 7;
  Integer shade = -1;
  DrawBill(pos, 2, tex, 0, 0, 0, 0, shade);
  expectMatrix(world(), product({scaling(2, 2, 2), placed}));
  clearCalls();
  DrawBill(pos, 2, tex, 0, 0.5f, 0, 0, shade);
  expectMatrix(world(), product({rotZ(0.5f), scaling(2, 2, 2), placed}));
  // A height of exactly -99 scales uniformly; any other value scales y; DDS billboards never spin.
  for (float height : {-99.0f, -98.9f, 3.0f}) {
    clearCalls();
    DrawDDSBill(pos, 2, tex, 0, height, shade);
    expectMatrix(world(), product({scaling(2, height == -99.0f ? 2 : height, 2), placed}));
  }
  const std::vector<D3DCall> draws = callsOf(D3DCallKind::DrawPrimitive);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].a, D3DPT_TRIANGLESTRIP);
  EXPECT_EQ(draws[0].c, 2);
  EXPECT_EQ(callsOf(D3DCallKind::SetVertexShader)[0].a, 0x152);
  EXPECT_EQ(callsOf(D3DCallKind::SetStreamSource)[0].b, 36);
}

TEST_F(BillboardTest, ShadePicksTheBufferAndIsClampedInTheCallersVariable) {
  struct Case {
    Integer shade, flag;
    const VertexBuffer* buffer;
    Integer after;
  };
  for (Case c :
       {Case{-1, 0, &BillQuadVB, -1}, Case{0, 0, &ColorQuadVBs[0], 0}, Case{12, 0, &ColorQuadVBs[12], 12},
        Case{40, 0, &ColorQuadVBs[31], 31}, Case{5, -1, &BillQuadVB, 5}}) {
    SCOPED_TRACE(c.shade);
    Integer shade = c.shade;
    clearCalls();
    DrawBill(D3DVECTOR{}, 1, tex, 0, 0, 0, c.flag, shade);
    EXPECT_EQ(stream(), c.buffer->get());
    EXPECT_EQ(shade, c.after);
    if (c.flag != 0) continue;
    shade = c.shade;
    clearCalls();
    DrawDDSBill(D3DVECTOR{}, 1, tex, 0, -99, shade);
    EXPECT_EQ(stream(), c.buffer->get());
    EXPECT_EQ(shade, c.after);
  }
}

TEST_F(BillboardTest, AlphaBillboardClampsItsBrightness) {
  struct Case {
    Integer alpha, after;
  };
  for (Case c : {Case{300, 255}, Case{-5, 0}, Case{128, 128}}) {
    Integer alpha = c.alpha;
    clearCalls();
    DrawAlphaBill(D3DVECTOR{}, 1, tex, 0, 0, alpha);
    EXPECT_EQ(alpha, c.after);
    EXPECT_EQ(D3DDevice->GetRenderState(D3DRS_TEXTUREFACTOR),
              int32_t(D3DColorARGB(c.after, c.after, c.after, c.after)));
    EXPECT_EQ(D3DDevice->GetTextureStageState(1, D3DTSS_ALPHAOP), D3DTOP_DISABLE);
    EXPECT_EQ(D3DDevice->GetRenderState(D3DRS_SRCBLEND), D3DBLEND_SRCCOLOR);
  }
}

TEST_F(BillboardTest, PlaneLiesInItsOwnPlaneAtThePosition) {
  CamTarget = D3DVECTOR{100, 0, 0};
  getBillFace();  // not used by planes
  Integer intensity = -20;
  DrawPlane(D3DVECTOR{1, 2, 3}, 4, tex, 0, -99, 0, intensity);
  expectMatrix(world(), product({scaling(4, 4, 4), translation(1, 2, 3)}));
  EXPECT_EQ(intensity, 0);
  EXPECT_EQ(D3DDevice->GetRenderState(D3DRS_ALPHABLENDENABLE), 0);
  EXPECT_EQ(D3DDevice->GetRenderState(D3DRS_DESTBLEND), D3DBLEND_ONE);
  intensity = 200;
  clearCalls();
  DrawPlane(D3DVECTOR{1, 2, 3}, 4, tex, 1.0f, 0.5f, 0, intensity);
  expectMatrix(world(), product({rotZ(1.0f), scaling(4, 0.5f, 4), translation(1, 2, 3)}));
  EXPECT_EQ(D3DDevice->GetRenderState(D3DRS_TEXTUREFACTOR), int32_t(D3DColorARGB(200, 200, 200, 200)));
}

TEST_F(BillboardTest, VertexBillboardSkipsHiddenPointsAndTurnsInClassicView) {
  Integer r = 255, g = -3, b = 10;
  // Behind the camera (heading 0 looks along +x here): nothing at all.
  CamHeading = 0;
  DrawVBBill(D3DVECTOR{-500, 0, 0}, 1, tex, r, g, b, 0);
  EXPECT_TRUE(calls().empty());
  DrawVBBill(D3DVECTOR{500, 0, 0}, 1, tex, r, g, b, 0);
  expectMatrix(world(), product({scaling(1, 1, 1), translation(500, 0, 0)}));
  EXPECT_EQ(g, 0);  // the tint's negative component is cleared in the caller's variable
  EXPECT_EQ(countOf(D3DCallKind::DrawPrimitive), 1);
  // Classic view with the camera attached: turned half round even for spin 0; bullet time draws twice.
  ClassicView = true;
  BulletTime = true;
  clearCalls();
  DrawVBBill(D3DVECTOR{10, 0, 10}, 1, tex, r, g, b, 0);
  expectMatrix(world(), product({rotZ(3.14f), translation(10, 0, 10)}));
  EXPECT_EQ(countOf(D3DCallKind::DrawPrimitive), 2);
  clearCalls();
  DrawVBBill(D3DVECTOR{5000, 0, 10}, 1, tex, r, g, b, 0);  // outside the 4000-unit box
  EXPECT_TRUE(calls().empty());
}

TEST_F(BillboardTest, VisibilityByViewMode) {
  struct Case {
    bool classic, detached, title;
    Single x, z, heading;
    bool visible;
  };
  for (Case c : {Case{true, false, false, 3999, -3999, 0, true}, Case{true, false, false, 4000, 0, 0, false},
                 Case{true, false, false, 0, -4000, 0, false}, Case{true, true, false, 1e6f, 1e6f, 0, true},
                 Case{false, false, true, -1e6f, 0, 0, true},
                 // arcade: bearing 1.29 / 1.31 off the heading; the wrap-around near 2 pi
                 Case{false, false, false, std::cos(1.29f) * 100, -std::sin(1.29f) * 100, 0, true},
                 Case{false, false, false, std::cos(1.31f) * 100, -std::sin(1.31f) * 100, 0, false},
                 Case{false, false, false, std::cos(6.0f) * 100, -std::sin(6.0f) * 100, 0.5f, true}}) {
    ClassicView = c.classic;
    CamDetached = c.detached;
    TitleCam = c.title;
    CamHeading = c.heading;
    EXPECT_EQ(easyTestVis(c.x, c.z), c.visible) << c.x << "," << c.z;
  }
}

TEST_F(BillboardTest, ProjectionWaitsForTheWarmUpThenGivesPixels) {
  D3DMATRIX view, proj, id;
  D3DXMatrixLookAtLH(view, D3DVECTOR{0, 0, -100}, D3DVECTOR{0, 0, 0}, D3DVECTOR{0, 1, 0});
  D3DXMatrixPerspectiveFovLH(proj, 1.0f, 0.75f, 1, 1000);
  D3DXMatrixIdentity(id);
  MatView = view;
  MatProj = proj;
  MatWorld = id;
  WarmedUp = false;
  D3DVECTOR p = getScreenCoords(D3DVECTOR{0, 0, 0});
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.z, 0);
  WarmedUp = true;
  p = getScreenCoords(D3DVECTOR{0, 0, 0});
  D3DVIEWPORT8 vp;
  D3DDevice->GetViewport(vp);
  EXPECT_NEAR(p.x, vp.Width / 2.0, 1e-3);
  EXPECT_NEAR(p.y, vp.Height / 2.0, 1e-3);
  EXPECT_GT(p.z, 0);
  EXPECT_LT(p.z, 1);
  const D3DVECTOR left = getScreenCoords(D3DVECTOR{-10, 10, 0});
  EXPECT_LT(left.x, p.x);
  EXPECT_LT(left.y, p.y);  // up on screen is smaller y
}

TEST_F(BillboardTest, TrailsBuildQuadsBetweenSections) {
  CTrail trail;
  trail.Render();  // empty: blending on and off, nothing drawn
  EXPECT_EQ(countOf(D3DCallKind::DrawPrimitive), 0);
  EXPECT_EQ(D3DDevice->GetRenderState(D3DRS_ALPHABLENDENABLE), 0);
  EXPECT_EQ(callsOf(D3DCallKind::SetRenderState)[0].a, D3DRS_ALPHABLENDENABLE);

  const D3DVECTOR start{0, 50, 0};
  trail.Init(start);
  Sprites.clear();
  trail.addPoint(D3DVECTOR{0, 50, -100});  // bearing 1.571 from the origin: across is along x
  EXPECT_EQ(trail.getSegCount(), 0);
  const std::array<D3DVECTOR, 4>& s = trail.getSection();
  // A mini-flare at every corner of both sections, new corner first.
  ASSERT_EQ(Sprites.size(), size_t(SpritePoolSize));
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(Sprites[2 * k].sType, skMiniFlare);
    EXPECT_EQ(Sprites[2 * k].getPos().x, s[k].x);
    EXPECT_EQ(Sprites[2 * k + 1].getPos().y, start.y);
    EXPECT_EQ(Sprites[2 * k + 1].Owner, -1);
  }
  EXPECT_NEAR(s[0].x, 20, 0.01);
  EXPECT_NEAR(s[0].z, -100, 0.1);
  EXPECT_NEAR(s[1].y, 70, 1e-4);
  EXPECT_NEAR(s[2].x, -20, 0.01);
  EXPECT_NEAR(s[3].y, 30, 1e-4);
  // The first segment joins the corners collapsed at the start to the new section; each side
  // spans corners s and s + 1, so it has an area.
  for (Integer side = 0; side < 4; ++side) {
    std::vector<QuadVertex> v(4);
    std::memcpy(v.data(), trail.getSideBuffer(side, 0)->Bytes().data(), 4 * sizeof(QuadVertex));
    EXPECT_EQ(v[0].z, 0);
    EXPECT_EQ(v[2].y, 50);
    EXPECT_EQ(v[1].x, s[side].x);
    EXPECT_EQ(v[3].y, s[(side + 1) % 4].y);
    EXPECT_NE(v[1].x == v[3].x && v[1].y == v[3].y, true);
    EXPECT_EQ(v[1].u, 0);
    EXPECT_EQ(v[2].u, 1);
    EXPECT_EQ(v[0].v, 1);
    EXPECT_EQ(v[0].color, 0xFFFFFFFF);
  }
  trail.addPoint(D3DVECTOR{0, 50, -200});
  clearCalls();
  trail.Render();
  EXPECT_EQ(countOf(D3DCallKind::DrawPrimitive), 8);
  EXPECT_EQ(callsOf(D3DCallKind::SetStreamSource)[7].object, trail.getSideBuffer(3, 1).get());
  EXPECT_EQ(callsOf(D3DCallKind::SetVertexShader)[0].a, 0x152);
  EXPECT_EQ(D3DDevice->GetRenderState(D3DRS_ALPHABLENDENABLE), 0);
}
