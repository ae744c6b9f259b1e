#include "engine/BillMod.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "tests/support/DeviceFixture.h"

namespace {
class ScreenQuadTest : public DeviceFixture {
 protected:
  void SetUp() override {
    DeviceFixture::SetUp();
    makeDevice();
    checkHResult(D3DX->CreateTexture(D3DDevice, 256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, tex));
    clearCalls();
    MsgCount = 0;
  }
  // The vertices of the one DrawPrimitiveUP recorded.
  std::vector<ScreenVertex> drawn() const {
    for (const D3DCall& c : calls()) {
      if (c.kind != D3DCallKind::DrawPrimitiveUP) continue;
      std::vector<ScreenVertex> v(c.bytes.size() / sizeof(ScreenVertex));
      std::memcpy(v.data(), c.bytes.data(), v.size() * sizeof(ScreenVertex));
      return v;
    }
    return {};
  }
  std::shared_ptr<Direct3DTexture8> tex;
};

struct V {
  float x, y, u, v;
};

void expectVerts(const std::vector<ScreenVertex>& got, const std::vector<V>& want, D3DCOLOR color) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    SCOPED_TRACE("corner " + std::to_string(i));
    EXPECT_NEAR(got[i].x, want[i].x, 1e-4);
    EXPECT_NEAR(got[i].y, want[i].y, 1e-4);
    EXPECT_FLOAT_EQ(got[i].u, want[i].u);
    EXPECT_FLOAT_EQ(got[i].v, want[i].v);
    EXPECT_EQ(got[i].z, 0);
    EXPECT_EQ(got[i].rhw, 1);
    EXPECT_EQ(got[i].color, color);
  }
}
}  // namespace

TEST_F(ScreenQuadTest, Back3DCustSetsItsStatesAndDrawsTheSourceQuarter) {
  Back3DCust(tex, RECT{0, 0, 128, 128}, RECT{10, 20, 110, 220}, 1, 2, 3, -1, 255);
  std::vector<D3DCallKind> kinds;
  for (const D3DCall& c : calls()) kinds.push_back(c.kind);
  using K = D3DCallKind;
  ASSERT_EQ(kinds, (std::vector<K>{K::SetVertexShader, K::SetRenderState, K::SetTextureStageState, K::SetRenderState,
                                   K::SetRenderState, K::SetTextureStageState, K::SetTextureStageState, K::SetTexture,
                                   K::DrawPrimitiveUP, K::SetRenderState}))
      << ::testing::PrintToString(describeCalls(calls()));
  const auto& c = calls();
  EXPECT_EQ(c[0].a, 0x144);
  EXPECT_EQ(c[1].a, D3DRS_ALPHABLENDENABLE);
  EXPECT_NE(c[1].b, 0);
  EXPECT_EQ(c[2].b, D3DTSS_ALPHAOP);
  EXPECT_EQ(c[2].c, D3DTOP_MODULATE);
  EXPECT_EQ(c[3].a, D3DRS_SRCBLEND);
  EXPECT_EQ(c[3].b, D3DBLEND_ONE);
  EXPECT_EQ(c[4].a, D3DRS_DESTBLEND);
  EXPECT_EQ(c[4].b, D3DBLEND_ONE);
  EXPECT_EQ(c[5].c, D3DTOP_SELECTARG1);
  EXPECT_EQ(c[6].b, D3DTSS_ALPHAARG1);
  EXPECT_EQ(c[6].c, D3DTA_TEXTURE);
  EXPECT_EQ(c[7].object, tex.get());
  EXPECT_EQ(c[8].a, D3DPT_TRIANGLESTRIP);
  EXPECT_EQ(c[8].c, 2);
  EXPECT_EQ(c[8].b, 28);
  EXPECT_EQ(c[9].a, D3DRS_ALPHABLENDENABLE);
  EXPECT_EQ(c[9].b, 0);
  expectVerts(drawn(), {{10, 220, 0, 0.5f}, {10, 20, 0, 0}, {110, 220, 0.5f, 0.5f}, {110, 20, 0.5f, 0}},
              D3DColorARGB(255, 1, 2, 3));
  // The stage-0 colour operation is left as the last preset set it.
  for (const D3DCall& call : calls()) {
    if (call.kind == D3DCallKind::SetTextureStageState) {
      EXPECT_NE(call.b, D3DTSS_COLOROP);
    }
  }
}

TEST_F(ScreenQuadTest, Back3DCustDrawsNothingWhenTheFlagIsOff) {
  Back3DCust(tex, RECT{0, 0, 256, 256}, RECT{0, 0, 10, 10}, 255, 255, 255, 0, 255);
  EXPECT_TRUE(calls().empty());
}

TEST_F(ScreenQuadTest, Back3DRotPutsTheCornersOnTheCircle) {
  Back3DRot(tex, RECT{0, 0, 256, 256}, 100, 50, 10, 9, 8, 7, 0);
  // Corners at 3.14, 4.71, 1.57 and 0 radians from +x (screen y grows downward).
  std::vector<V> want;
  const double a[4] = {3.14, 4.71, 1.57, 0};
  const float uv[4][2] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}};
  for (int k = 0; k < 4; ++k)
    want.push_back(V{float(100 + 10 * std::cos(a[k])), float(50 + 10 * std::sin(a[k])), uv[k][0], uv[k][1]});
  expectVerts(drawn(), want, D3DColorARGB(255, 9, 8, 7));
}

TEST_F(ScreenQuadTest, FailuresAreLoggedUnderTheirNames) {
  D3DDevice->SetFailureHook([](const D3DCall& c) {
    return c.kind == D3DCallKind::DrawPrimitiveUP ? D3DERR_INVALIDCALL : D3D_OK;
  });
  Back3DCust(tex, RECT{0, 0, 256, 256}, RECT{0, 0, 10, 10}, 255, 255, 255, -1, 255);
  Back3DRot(tex, RECT{0, 0, 256, 256}, 5, 5, 5, 255, 255, 255, 0);
  D3DDevice->SetFailureHook({});
  ASSERT_EQ(MsgCount, 2);
  EXPECT_EQ(MsgLog[1].rfind("Error in Back3DCust: ", 0), 0u) << MsgLog[1];
  EXPECT_EQ(MsgLog[0].rfind("Error in Back3DRot: ", 0), 0u) << MsgLog[0];
  // Blending stays on: the steps after the failure are not done.
  EXPECT_NE(device().GetRenderState(D3DRS_ALPHABLENDENABLE), 0);
}
