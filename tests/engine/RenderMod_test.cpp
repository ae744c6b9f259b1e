#include "engine/RenderMod.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "levels/CMap.h"
#include "platform/D3DX.h"
#include "tests/support/DeviceFixture.h"

namespace {
// A state call as "RS D3DRS_FOGENABLE=1" or "TS0 D3DTSS_COLOROP=4"; other calls by description.
std::string key(const D3DCall& c) {
  if (c.kind == D3DCallKind::SetRenderState)
    return "RS " + renderStateName(D3DRENDERSTATETYPE(c.a)) + "=" + std::to_string(c.b);
  if (c.kind == D3DCallKind::SetTextureStageState)
    return "TS" + std::to_string(c.a) + " " + stageStateName(D3DTEXTURESTAGESTATETYPE(c.b)) + "=" + std::to_string(c.c);
  return describeCall(c);
}
std::string rs(D3DRENDERSTATETYPE s, int32_t v) { return "RS " + renderStateName(s) + "=" + std::to_string(v); }
std::string ts(D3DTEXTURESTAGESTATETYPE s, int32_t v) { return "TS0 " + stageStateName(s) + "=" + std::to_string(v); }

std::vector<std::string> keys(const std::vector<D3DCall>& calls) {
  std::vector<std::string> out;
  for (const D3DCall& c : calls) out.push_back(key(c));
  return out;
}

// The texture factor and the six common stage-0 states every call begins with.
std::vector<std::string> common(D3DCOLOR factor) {
  return {rs(D3DRS_TEXTUREFACTOR, int32_t(factor)), ts(D3DTSS_COLOROP, D3DTOP_MODULATE),
          ts(D3DTSS_COLORARG1, D3DTA_TEXTURE),      ts(D3DTSS_COLORARG2, D3DTA_CURRENT),
          ts(D3DTSS_ALPHAOP, D3DTOP_SELECTARG1),    ts(D3DTSS_ALPHAARG1, D3DTA_TEXTURE),
          ts(D3DTSS_ALPHAARG2, D3DTA_TFACTOR)};
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class RenderModTest : public DeviceFixture {
 protected:
  void SetUp() override {
    DeviceFixture::SetUp();
    makeDevice();
    CurMap = new CMap();
    clearCalls();
    MsgLog.fill("");
    MsgCount = 0;
  }
  void TearDown() override {
    delete CurMap;
    CurMap = nullptr;
    DeviceFixture::TearDown();
  }
  void fogMap(Integer r, Integer g, Integer b, Long nearD, Long farD) {
    CurMap->Fog = vbTrue;
    CurMap->FogR = r;
    CurMap->FogG = g;
    CurMap->FogB = b;
    CurMap->FogNear = nearD;
    CurMap->FogFar = farD;
  }
};

struct PresetCase {
  Long mode;
  std::vector<std::string> states;  // after the common part
};
}  // namespace

TEST_F(RenderModTest, EachPresetSetsItsStatesInOrder) {
  const std::vector<PresetCase> cases = {
      {rpFogged, {rs(D3DRS_ALPHABLENDENABLE, 0)}},  // map without fog
      {rpAdditive,
       {rs(D3DRS_FOGENABLE, 0), rs(D3DRS_ALPHABLENDENABLE, 1), ts(D3DTSS_ALPHAOP, D3DTOP_MODULATE),
        rs(D3DRS_SRCBLEND, D3DBLEND_ONE), rs(D3DRS_DESTBLEND, D3DBLEND_ONE), ts(D3DTSS_ALPHAOP, D3DTOP_MODULATE),
        ts(D3DTSS_ALPHAARG1, D3DTA_TEXTURE), ts(D3DTSS_ALPHAARG2, D3DTA_TFACTOR), ts(D3DTSS_COLOROP, D3DTOP_MODULATE),
        ts(D3DTSS_COLORARG1, D3DTA_TEXTURE), ts(D3DTSS_COLORARG2, D3DTA_TFACTOR)}},
      {rpAlphaBlend,
       {rs(D3DRS_FOGENABLE, 0), rs(D3DRS_ALPHABLENDENABLE, 1), rs(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
        rs(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), ts(D3DTSS_ALPHAOP, D3DTOP_MODULATE),
        ts(D3DTSS_ALPHAARG1, D3DTA_TEXTURE), ts(D3DTSS_ALPHAARG2, D3DTA_TFACTOR)}},
      {rpColorBlend,
       {rs(D3DRS_FOGENABLE, 0), rs(D3DRS_ALPHABLENDENABLE, 1), ts(D3DTSS_ALPHAOP, D3DTOP_MODULATE),
        ts(D3DTSS_ALPHAARG1, D3DTA_TEXTURE), ts(D3DTSS_ALPHAARG2, D3DTA_TFACTOR), rs(D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR),
        rs(D3DRS_DESTBLEND, D3DBLEND_INVSRCCOLOR), ts(D3DTSS_COLOROP, D3DTOP_MODULATE),
        ts(D3DTSS_COLORARG1, D3DTA_TEXTURE), ts(D3DTSS_COLORARG2, D3DTA_TFACTOR)}},
      {rpSolid, {rs(D3DRS_FOGENABLE, 0), rs(D3DRS_ALPHABLENDENABLE, 0)}},
      {5, {}},
      {-1, {}},
  };
  for (const PresetCase& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode));
    clearCalls();
    Integer r = 10, g = 20, b = 30, a = 40;
    setQuickRMode(c.mode, r, g, b, a);
    EXPECT_EQ(keys(calls()), common(D3DColorARGB(40, 10, 20, 30)) + c.states);
    EXPECT_EQ(RenderMode, c.mode);
  }
  EXPECT_EQ(MsgCount, 0);
}

TEST_F(RenderModTest, FoggedPresetUsesTheMapFog) {
  fogMap(12, 34, 56, 750, 10000);
  setQuickRMode(rpFogged, 200, 200, 200, 200);
  const std::vector<std::string> fog = {rs(D3DRS_FOGENABLE, 1),
                                        rs(D3DRS_FOGCOLOR, int32_t(D3DColorARGB(255, 12, 34, 56))),
                                        rs(D3DRS_FOGTABLEMODE, D3DFOG_NONE),
                                        rs(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR),
                                        rs(D3DRS_FOGSTART, 1144750080),  // 750.0f
                                        rs(D3DRS_FOGEND, 1176256512),    // 10000.0f
                                        rs(D3DRS_ALPHABLENDENABLE, 0)};
  EXPECT_EQ(keys(calls()), common(D3DColorARGB(200, 200, 200, 200)) + fog);
  EXPECT_EQ(floatFromBits(device().GetRenderState(D3DRS_FOGSTART)), 750.0f);
  EXPECT_EQ(floatFromBits(device().GetRenderState(D3DRS_FOGEND)), 10000.0f);
}

TEST_F(RenderModTest, FoggedPresetOnAMapWithoutFogLeavesFogAsItWas) {
  // After another preset fog stays off ...
  setQuickRMode(rpAdditive, 1, 1, 1, 1);
  setQuickRMode(rpFogged, 200, 200, 200, 200);
  EXPECT_EQ(device().GetRenderState(D3DRS_FOGENABLE), 0);
  // ... after a fogged map it stays on with the old colour and distances.
  fogMap(1, 2, 3, 500, 5000);
  setQuickRMode(rpFogged, 200, 200, 200, 200);
  CurMap->Fog = 0;
  CurMap->FogR = 99;
  CurMap->FogNear = 250;
  clearCalls();
  setQuickRMode(rpFogged, 200, 200, 200, 200);
  for (const D3DCall& c : calls()) {
    if (c.kind != D3DCallKind::SetRenderState) continue;
    EXPECT_NE(c.a, D3DRS_FOGENABLE);
    EXPECT_NE(c.a, D3DRS_FOGCOLOR);
    EXPECT_NE(c.a, D3DRS_FOGSTART);
  }
  EXPECT_NE(device().GetRenderState(D3DRS_FOGENABLE), 0);
  EXPECT_EQ(D3DCOLOR(device().GetRenderState(D3DRS_FOGCOLOR)) & 0xFFFFFF, D3DColorARGB(0, 1, 2, 3));
  EXPECT_EQ(floatFromBits(device().GetRenderState(D3DRS_FOGSTART)), 500.0f);
}

TEST_F(RenderModTest, NegativeColoursAreWrittenBackAsZeroAlphaIsNot) {
  Integer r = -5, g = -1, b = 3, a = 300;
  setQuickRMode(rpAdditive, r, g, b, a);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 3);
  EXPECT_EQ(a, 300);
  // Packing clamps each component: alpha 300 is 255, not a carry into the other channels.
  EXPECT_EQ(D3DCOLOR(device().GetRenderState(D3DRS_TEXTUREFACTOR)), 0xFF000003u);
}

TEST_F(RenderModTest, FirstFailedCallStopsTheOperationAndIsLogged) {
  int seen = 0;
  D3DDevice->SetFailureHook([&](const D3DCall&) { return ++seen == 4 ? D3DERR_INVALIDCALL : D3D_OK; });
  setQuickRMode(rpAdditive, 1, 2, 3, 4);
  D3DDevice->SetFailureHook({});
  EXPECT_EQ(seen, 4);  // nothing after the failed call
  ASSERT_EQ(MsgCount, 1);
  EXPECT_EQ(MsgLog[0].rfind("Error in setQuickRMode: ", 0), 0u) << MsgLog[0];
}

TEST_F(RenderModTest, NoDeviceIsAnErrorNotACrash) {
  D3DDevice.reset();
  setQuickRMode(rpSolid, 1, 2, 3, 4);
  ASSERT_EQ(MsgCount, 1);
  EXPECT_EQ(MsgLog[0].rfind("Error in setQuickRMode: ", 0), 0u) << MsgLog[0];
}

TEST(FtoDW, GivesTheFloatBits) {
  EXPECT_EQ(FtoDW(1.0f), 1065353216);
  EXPECT_EQ(FtoDW(0.0f), 0);
  EXPECT_EQ(FtoDW(750.0f), 1144750080);
  EXPECT_EQ(FtoDW(-2.0f), int32_t(0xC0000000u));
}
