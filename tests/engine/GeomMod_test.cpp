#include "engine/GeomMod.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "runtime/VbError.h"
#include "tests/support/DeviceFixture.h"

namespace {
std::vector<QuadVertex> verticesOf(const VertexBuffer& vb) {
  std::vector<QuadVertex> v(vb->Bytes().size() / sizeof(QuadVertex));
  std::memcpy(v.data(), vb->Bytes().data(), v.size() * sizeof(QuadVertex));
  return v;
}

struct Corner {
  float x, y, z, u, v;
};

void expectQuad(const VertexBuffer& vb, const std::vector<Corner>& corners, D3DCOLOR color) {
  ASSERT_TRUE(vb);
  EXPECT_EQ(vb->Length(), 144);
  std::vector<QuadVertex> v = verticesOf(vb);
  ASSERT_EQ(v.size(), corners.size());
  for (size_t i = 0; i < v.size(); ++i) {
    SCOPED_TRACE("corner " + std::to_string(i));
    EXPECT_FLOAT_EQ(v[i].x, corners[i].x);
    EXPECT_FLOAT_EQ(v[i].y, corners[i].y);
    EXPECT_FLOAT_EQ(v[i].z, corners[i].z);
    EXPECT_FLOAT_EQ(v[i].u, corners[i].u);
    EXPECT_FLOAT_EQ(v[i].v, corners[i].v);
    EXPECT_EQ(v[i].color, color);
  }
}

class GeometryTest : public DeviceFixture {
 protected:
  void SetUp() override {
    DeviceFixture::SetUp();
    makeDevice();
    InitGeometry();
  }
};

const D3DCOLOR White = 0xFFFFFFFF;
}  // namespace

TEST_F(GeometryTest, BillboardAndBackdropQuads) {
  expectQuad(BillQuadVB, {{-16, -16, 0, 0, 1}, {-16, 16, 0, 0, 0}, {16, -16, 0, 1, 1}, {16, 16, 0, 1, 0}}, White);
  expectQuad(QuadVB,
             {{-45, -45, 45, 0.003f, 0.997f},
              {-45, 45, 45, 0.003f, 0.003f},
              {45, -45, 45, 0.997f, 0.997f},
              {45, 45, 45, 0.997f, 0.003f}},
             White);
  // Frame strips: no inset; strip 3 covers u 0.75..1.
  expectQuad(FrameQuadVBs[0], {{-10, -45, 45, 0, 1}, {-10, 45, 45, 0, 0}, {10, -45, 45, 0.25f, 1}, {10, 45, 45, 0.25f, 0}},
             White);
  expectQuad(FrameQuadVBs[3],
             {{-10, -45, 45, 0.75f, 1}, {-10, 45, 45, 0.75f, 0}, {10, -45, 45, 1, 1}, {10, 45, 45, 1, 0}}, White);
}

TEST_F(GeometryTest, ColourRampRoundsHalfToEven) {
  struct Case {
    int index;
    D3DCOLOR color;
  };
  for (Case c : {Case{0, 0xFF000000}, Case{31, D3DColorARGB(255, 200, 150, 100)}, Case{16, D3DColorARGB(255, 103, 77, 52)},
                 Case{1, D3DColorARGB(255, 6, 5, 3)}}) {
    SCOPED_TRACE(c.index);
    expectQuad(ColorQuadVBs[c.index],
               {{-16, -16, 0, 0.003f, 0.997f},
                {-16, 16, 0, 0.003f, 0.003f},
                {16, -16, 0, 0.997f, 0.997f},
                {16, 16, 0, 0.997f, 0.003f}},
               c.color);
  }
}

TEST_F(GeometryTest, PanelsAndTubeAreStripsTurnedAboutZ) {
  for (int i = 0; i < 6; ++i) {
    const float t = static_cast<float>(i * 1.04667);
    const float c = static_cast<float>(8 * std::cos(t)), s = static_cast<float>(8 * std::sin(t));
    SCOPED_TRACE(i);
    expectQuad(PanelVBs[i],
               {{-c, s, -75, 0.003f, 0.997f},
                {-c, s, 75, 0.003f, 0.003f},
                {c, -s, -75, 0.997f, 0.997f},
                {c, -s, 75, 0.997f, 0.003f}},
               White);
  }
  ASSERT_TRUE(TubeVB);
  EXPECT_EQ(TubeVB->Length(), 1296);
  std::vector<QuadVertex> v = verticesOf(TubeVB);
  ASSERT_EQ(v.size(), 36u);
  // Strip 3 lies at 3.14001, not exactly half a turn: P = (8 cos t, -8 sin t).
  const float t = static_cast<float>(3 * 1.04667);
  const float px = static_cast<float>(8 * std::cos(t)), py = static_cast<float>(-8 * std::sin(t));
  const std::vector<Corner> strip3 = {{px, py, -75, 0.997f, 0.997f},  {-px, -py, 75, 0.003f, 0.003f},
                                      {-px, -py, -75, 0.003f, 0.997f}, {-px, -py, 75, 0.003f, 0.003f},
                                      {px, py, -75, 0.997f, 0.997f},  {px, py, 75, 0.997f, 0.003f}};
  for (int k = 0; k < 6; ++k) {
    SCOPED_TRACE(k);
    EXPECT_FLOAT_EQ(v[18 + k].x, strip3[k].x);
    EXPECT_FLOAT_EQ(v[18 + k].y, strip3[k].y);
    EXPECT_FLOAT_EQ(v[18 + k].z, strip3[k].z);
    EXPECT_FLOAT_EQ(v[18 + k].u, strip3[k].u);
    EXPECT_FLOAT_EQ(v[18 + k].v, strip3[k].v);
  }
  EXPECT_NE(py, 0.0f);
}

TEST_F(GeometryTest, EveryVertexFacesUpAndBuffersAreManagedAndWriteOnly) {
  std::vector<const VertexBuffer*> all = {&BillQuadVB, &QuadVB, &TubeVB};
  for (auto& b : FrameQuadVBs) all.push_back(&b);
  for (auto& b : ColorQuadVBs) all.push_back(&b);
  for (auto& b : PanelVBs) all.push_back(&b);
  for (const VertexBuffer* b : all) {
    ASSERT_TRUE(*b);
    for (const QuadVertex& q : verticesOf(*b)) {
      EXPECT_EQ(q.nx, 0);
      EXPECT_EQ(q.ny, 1);
      EXPECT_EQ(q.nz, 0);
    }
    EXPECT_EQ((*b)->CreationFVF(), b == &BillQuadVB ? 0x142 : 0x112);
  }
}

TEST_F(GeometryTest, BuildsInOrderAndReplacesWhatABufferHeld) {
  clearCalls();
  InitGeometry();
  std::vector<int32_t> lengths;
  for (const D3DCall& c : calls()) {
    if (c.kind != D3DCallKind::CreateVertexBuffer) continue;
    lengths.push_back(c.a);
    EXPECT_EQ(c.b, D3DUSAGE_WRITEONLY);
    EXPECT_EQ(c.d, D3DPOOL_MANAGED);
  }
  ASSERT_EQ(lengths.size(), 1u + 1 + 4 + 32 + 6 + 1);
  EXPECT_EQ(lengths.back(), 1296);
  std::weak_ptr<Direct3DVertexBuffer8> old = QuadVB;
  MakeQuadVB(QuadVB, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0);
  EXPECT_TRUE(old.expired());
}

TEST_F(GeometryTest, AFailedDeviceCallRaisesAndKeepsTheBuffersBuiltBefore) {
  ReleaseGeometry();
  int created = 0;
  D3DDevice->SetFailureHook([&](const D3DCall& c) {
    if (c.kind == D3DCallKind::CreateVertexBuffer && ++created == 3) return D3DERR_OUTOFVIDEOMEMORY;
    return D3D_OK;
  });
  EXPECT_THROW(InitGeometry(), VbError);
  D3DDevice->SetFailureHook({});
  EXPECT_TRUE(BillQuadVB);
  EXPECT_TRUE(QuadVB);
  EXPECT_FALSE(FrameQuadVBs[0]);
  EXPECT_FALSE(TubeVB);
}
