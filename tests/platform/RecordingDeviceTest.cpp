// The device's rules on the recording backend: calls kept in order, defaults, argument checks,
// lenient scenes, loss and reset, injected failures, render-to-surface viewports, the sprite
// leaving device state alone, adapter profiles and device creation.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/D3DX.h"
#include "platform/Direct3D.h"
#include "platform/Window.h"
#include "runtime/VbError.h"

namespace {
class RecordingDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    setDeviceBackend(DeviceBackendKind::Recording);
    resetAdapterProfile();
    window_.setWidth(800 * 15);
    window_.setHeight(625 * 15);
    d3d_ = DirectX8().Direct3DCreate();
    params_ = windowedParams();
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_.hWnd(), D3DCREATE_HARDWARE_VERTEXPROCESSING, params_, device_),
              D3D_OK)
        << lastErrorDescription();
  }
  void TearDown() override {
    device_.reset();
    setDeviceBackend(DeviceBackendKind::OpenGL);
    resetAdapterProfile();
  }
  D3DPRESENT_PARAMETERS windowedParams() {
    D3DPRESENT_PARAMETERS pp;
    pp.Windowed = true;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.hDeviceWindow = window_.hWnd();
    pp.EnableAutoDepthStencil = true;
    pp.AutoDepthStencilFormat = D3DFMT_D24X8;
    return pp;
  }
  std::vector<std::string> described() {
    std::vector<std::string> out;
    for (const auto& c : device_->RecordedCalls()) out.push_back(describeCall(c));
    return out;
  }
  GameWindow window_;
  std::shared_ptr<Direct3D8> d3d_;
  D3DPRESENT_PARAMETERS params_;
  std::shared_ptr<Direct3DDevice8> device_;
  D3DX8 d3dx_;
};
}  // namespace

TEST_F(RecordingDevice, WindowedDeviceTakesTheClientAreaAndDefaults) {
  EXPECT_EQ(device_->BackBufferWidth(), 800);
  EXPECT_EQ(device_->BackBufferHeight(), 600);
  D3DVIEWPORT8 vp;
  device_->GetViewport(vp);
  EXPECT_EQ(vp.Width, 800);
  EXPECT_EQ(vp.Height, 600);
  EXPECT_EQ(vp.MaxZ, 1.0f);
  EXPECT_EQ(device_->GetRenderState(D3DRS_LIGHTING), 1);
  EXPECT_EQ(device_->GetRenderState(D3DRS_ZENABLE), 1);
  EXPECT_EQ(device_->GetRenderState(D3DRS_CULLMODE), D3DCULL_CCW);
  EXPECT_EQ(static_cast<uint32_t>(device_->GetRenderState(D3DRS_TEXTUREFACTOR)), 0xFFFFFFFFu);
  EXPECT_EQ(device_->GetTextureStageState(0, D3DTSS_COLOROP), D3DTOP_MODULATE);
  EXPECT_EQ(device_->GetTextureStageState(0, D3DTSS_ALPHAOP), D3DTOP_SELECTARG1);
  EXPECT_EQ(device_->GetTextureStageState(1, D3DTSS_COLOROP), D3DTOP_DISABLE);
}

TEST_F(RecordingDevice, KeepsEveryCallInOrder) {
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, static_cast<int32_t>(D3DColorARGB(255, 200, 200, 200)));
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  device_->SetRenderState(D3DRS_FOGSTART, floatBits(750.0f));
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device_->SetVertexShader(D3DFVF_QUADVERTEX);
  device_->LightEnable(7, false);
  device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DColorARGB(255, 50, 0, 0), 1.0f, 0);
  std::vector<std::string> expected = {
      "SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFC8C8C8)",
      "SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE)",
      "SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR)",
      "SetRenderState(D3DRS_FOGSTART, 750)",
      "SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE)",
      "SetVertexShader(0x152)",
      "LightEnable(7, 0)",
      "Clear(3, 0xFF320000, 1, 0)",
  };
  EXPECT_EQ(described(), expected);
  // the raw record carries the values
  const auto& calls = device_->RecordedCalls();
  EXPECT_EQ(calls[0].kind, D3DCallKind::SetRenderState);
  EXPECT_EQ(calls[0].a, D3DRS_TEXTUREFACTOR);
  EXPECT_EQ(calls[2].c, D3DTA_TFACTOR);
}

TEST_F(RecordingDevice, RefusedArgumentsChangeNothing) {
  struct Case {
    const char* name;
    std::function<HResult(Direct3DDevice8&)> call;
  } cases[] = {
      {"render state out of range", [](auto& d) { return d.SetRenderState(D3DRENDERSTATETYPE(999), 1); }},
      {"stage 8", [](auto& d) { return d.SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_MODULATE); }},
      {"light 8", [](auto& d) { return d.LightEnable(8, true); }},
      {"unknown FVF bits", [](auto& d) { return d.SetVertexShader(0x1000 | D3DFVF_XYZ); }},
      {"FVF without position", [](auto& d) { return d.SetVertexShader(D3DFVF_NORMAL | D3DFVF_TEX1); }},
      {"stream 1", [](auto& d) { return d.SetStreamSource(1, nullptr, 36); }},
      {"draw without stream", [](auto& d) { return d.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2); }},
      {"clear depth 2", [](auto& d) { return d.Clear(D3DCLEAR_ZBUFFER, 0, 2.0f, 0); }},
      {"unknown transform", [](auto& d) { return d.SetTransform(D3DTRANSFORMSTATETYPE(7), D3DMATRIX{}); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    D3DDeviceState before = device_->State();
    EXPECT_EQ(c.call(*device_), D3DERR_INVALIDCALL);
    EXPECT_FALSE(lastErrorDescription().empty());
    EXPECT_EQ(device_->State().renderStates, before.renderStates);
    EXPECT_EQ(device_->State().vertexShader, before.vertexShader);
  }
}

TEST_F(RecordingDevice, DrawsAreCheckedAgainstTheBuffer) {
  std::shared_ptr<Direct3DVertexBuffer8> vb;
  ASSERT_EQ(device_->CreateVertexBuffer(4 * 36, D3DUSAGE_WRITEONLY, 0x142, D3DPOOL_MANAGED, vb), D3D_OK);
  EXPECT_EQ(vb->CreationFVF(), 0x142);
  std::vector<uint8_t> data(4 * 36, 7);
  EXPECT_EQ(vb->SetData(0, 4 * 36, 0, data.data()), D3D_OK);
  EXPECT_EQ(vb->SetData(36, 4 * 36, 0, data.data()), D3DERR_INVALIDCALL) << "past the end";
  device_->SetStreamSource(0, vb, 36);
  device_->SetVertexShader(D3DFVF_QUADVERTEX);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL) << "reads a fifth vertex";
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL) << "six vertices of four";
  device_->SetStreamSource(0, vb, 32);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 1), D3DERR_INVALIDCALL) << "stride below the format";
  // the MD2 format over a 36-byte stride reads a legal layout (the device stays literal)
  device_->SetStreamSource(0, vb, 36);
  device_->SetVertexShader(D3DFVF_MD2VERTEX);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
}

TEST_F(RecordingDevice, ScenesAreLenient) {
  EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->BeginScene(), D3D_OK);
  EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_TRUE(device_->InScene());
  EXPECT_EQ(device_->Clear(D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);
  EXPECT_EQ(device_->EndScene(), D3D_OK);
  EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Clear(D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK) << "outside a scene";
  EXPECT_EQ(device_->Present(), D3D_OK);
}

TEST_F(RecordingDevice, LossIsAnsweredUntilResetAndResetRestoresDefaults) {
  device_->SetRenderState(D3DRS_LIGHTING, 0);
  D3DMATERIAL8 material;
  material.Diffuse = {1, 1, 1, 1};
  material.Power = 10;
  device_->SetMaterial(material);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
  device_->SimulateDeviceLoss(2);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->Present(), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->Reset(params_), D3DERR_DEVICELOST) << "cannot reset while lost";
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device_->Reset(params_), D3D_OK);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(device_->Present(), D3D_OK);
  EXPECT_EQ(device_->GetRenderState(D3DRS_LIGHTING), 1) << "states back to their defaults";
  D3DMATERIAL8 kept;
  device_->GetMaterial(kept);
  EXPECT_EQ(kept.Power, 10.0f) << "the material survives a reset";
}

TEST_F(RecordingDevice, FailureHookFailsTheChosenCallOnly) {
  device_->SetFailureHook([](const D3DCall& c) {
    return c.kind == D3DCallKind::SetRenderState && c.a == D3DRS_FOGENABLE ? D3DERR_INVALIDCALL : D3D_OK;
  });
  EXPECT_EQ(device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1), D3D_OK);
  EXPECT_EQ(device_->SetRenderState(D3DRS_FOGENABLE, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->GetRenderState(D3DRS_FOGENABLE), 0);
  ASSERT_EQ(device_->RecordedCalls().size(), 2u);
  EXPECT_EQ(device_->RecordedCalls()[1].result, D3DERR_INVALIDCALL);
  try {
    checkHResult(device_->SetRenderState(D3DRS_FOGENABLE, 1));
    FAIL() << "no error raised";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), D3DERR_INVALIDCALL);
    EXPECT_NE(std::string(e.what()).find("Invalid call"), std::string::npos);
  }
}

TEST_F(RecordingDevice, RenderToSurfaceViewportGetsDepthZeroToOneAndIsClamped) {
  std::shared_ptr<Direct3DTexture8> tex;
  std::shared_ptr<Direct3DSurface8> surface;
  std::shared_ptr<D3DXRenderToSurface> rts;
  ASSERT_EQ(d3dx_.CreateTexture(device_, 512, 256, D3DX_DEFAULT, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, tex), D3D_OK);
  EXPECT_EQ(tex->LevelCount(), 10) << "full mip chain of 512 x 256";
  ASSERT_EQ(tex->GetSurfaceLevel(0, surface), D3D_OK);
  ASSERT_EQ(d3dx_.CreateRenderToSurface(device_, 512, 256, D3DFMT_X8R8G8B8, true, D3DFMT_D24X8, rts), D3D_OK);
  struct Case {
    D3DVIEWPORT8 in, out;
  } cases[] = {
      {{0, 0, 320, 240, 0.1f, 30000.0f}, {0, 0, 320, 240, 0, 1}},   // half of 640 x 480
      {{0, 0, 640, 480, 0.1f, 30000.0f}, {0, 0, 512, 256, 0, 1}},   // full size on the half-size texture
      {{600, 10, 20, 20, 0.0f, 0.5f}, {512, 10, 0, 20, 0, 0.5f}},   // a valid depth range is kept
  };
  for (const auto& c : cases) {
    ASSERT_EQ(rts->BeginScene(surface, c.in), D3D_OK);
    EXPECT_EQ(rts->BeginScene(surface, c.in), D3DERR_INVALIDCALL) << "nested";
    D3DVIEWPORT8 vp;
    device_->GetViewport(vp);
    EXPECT_EQ(vp.X, c.out.X);
    EXPECT_EQ(vp.Y, c.out.Y);
    EXPECT_EQ(vp.Width, c.out.Width);
    EXPECT_EQ(vp.Height, c.out.Height);
    EXPECT_EQ(vp.MinZ, c.out.MinZ);
    EXPECT_EQ(vp.MaxZ, c.out.MaxZ);
    ASSERT_EQ(rts->EndScene(), D3D_OK);
    device_->GetViewport(vp);
    EXPECT_EQ(vp.Width, 800) << "the back buffer's viewport is back";
  }
  EXPECT_EQ(rts->EndScene(), D3DERR_INVALIDCALL);
}

// The frame's nesting with the full-screen effect on: the effect scene opens the device scene, so
// the frame's own BeginScene is refused; after the effect scene ends, the device scene of the
// effect pass can begin. A render-to-surface scene inside an open device scene leaves it open.
TEST_F(RecordingDevice, RenderToSurfaceScenesOpenAndCloseTheDeviceScene) {
  std::shared_ptr<Direct3DTexture8> tex;
  std::shared_ptr<Direct3DSurface8> surface;
  std::shared_ptr<D3DXRenderToSurface> rts;
  ASSERT_EQ(d3dx_.CreateTexture(device_, 256, 256, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, tex), D3D_OK);
  ASSERT_EQ(tex->GetSurfaceLevel(0, surface), D3D_OK);
  ASSERT_EQ(d3dx_.CreateRenderToSurface(device_, 256, 256, D3DFMT_X8R8G8B8, true, D3DFMT_D24X8, rts), D3D_OK);
  const D3DVIEWPORT8 vp{0, 0, 128, 128, 0, 1};

  ASSERT_EQ(rts->BeginScene(surface, vp), D3D_OK);
  EXPECT_TRUE(device_->InScene());
  EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
  ASSERT_EQ(rts->EndScene(), D3D_OK);
  EXPECT_FALSE(device_->InScene());
  ASSERT_EQ(device_->BeginScene(), D3D_OK);

  ASSERT_EQ(rts->BeginScene(surface, vp), D3D_OK);
  ASSERT_EQ(rts->EndScene(), D3D_OK);
  EXPECT_TRUE(device_->InScene()) << "the device scene opened by the frame stays open";
  EXPECT_EQ(device_->EndScene(), D3D_OK);
}

TEST_F(RecordingDevice, SpriteLeavesTheDeviceStatesAndNeedsATexture) {
  std::shared_ptr<D3DXSprite> sprite;
  ASSERT_EQ(d3dx_.CreateSprite(device_, sprite), D3D_OK);
  std::shared_ptr<Direct3DTexture8> tex;
  ASSERT_EQ(d3dx_.CreateTexture(device_, 16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, tex), D3D_OK);
  device_->ClearRecordedCalls();
  D3DDeviceState before = device_->State();
  EXPECT_EQ(sprite->End(), D3DERR_INVALIDCALL);
  ASSERT_EQ(sprite->Begin(), D3D_OK);
  EXPECT_EQ(sprite->Begin(), D3DERR_INVALIDCALL);
  RECT src{0, 0, 8, 8};
  EXPECT_EQ(sprite->Draw(tex, &src, {1, 1}, {0, 0}, 0, {5, 5}, 0xFFFFFFFFu), D3D_OK);
  EXPECT_EQ(sprite->Draw(nullptr, &src, {1, 1}, {0, 0}, 0, {5, 5}, 0xFFFFFFFFu), D3DERR_INVALIDCALL);
  EXPECT_EQ(sprite->End(), D3D_OK);
  EXPECT_EQ(device_->State().renderStates, before.renderStates);
  EXPECT_EQ(device_->State().stages[0].states, before.stages[0].states);
  std::vector<std::string> expected = {"Sprite.Begin()", "Sprite.Draw(0, 0, 8, 8, 0xFFFFFFFF)",
                                       "Sprite.Draw(0, 0, 0, 0, 0xFFFFFFFF)", "Sprite.End()"};
  EXPECT_EQ(described(), expected);
}

TEST_F(RecordingDevice, ObjectsOfAnotherDeviceAreRefused) {
  GameWindow otherWindow;
  otherWindow.setWidth(64 * 15);
  otherWindow.setHeight(89 * 15);
  D3DPRESENT_PARAMETERS pp = windowedParams();
  pp.hDeviceWindow = otherWindow.hWnd();
  std::shared_ptr<Direct3DDevice8> other;
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, otherWindow.hWnd(), D3DCREATE_HARDWARE_VERTEXPROCESSING, pp, other), D3D_OK);
  std::shared_ptr<Direct3DTexture8> foreign;
  std::shared_ptr<Direct3DVertexBuffer8> foreignBuffer;
  ASSERT_EQ(d3dx_.CreateTexture(other, 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, foreign), D3D_OK);
  ASSERT_EQ(other->CreateVertexBuffer(144, D3DUSAGE_WRITEONLY, 0x112, D3DPOOL_MANAGED, foreignBuffer), D3D_OK);
  EXPECT_EQ(device_->SetTexture(0, foreign), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetStreamSource(0, foreignBuffer, 36), D3DERR_INVALIDCALL);
  EXPECT_EQ(other->SetTexture(0, foreign), D3D_OK);
}

TEST_F(RecordingDevice, TexturesOnTheRecordingDeviceKeepTheirPixels) {
  std::shared_ptr<Direct3DTexture8> tex;
  ASSERT_EQ(d3dx_.CreateTexture(device_, 4, 2, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, tex), D3D_OK);
  std::vector<uint32_t> pixels;
  ASSERT_EQ(device_->ReadTexture(*tex, pixels), D3D_OK);
  EXPECT_EQ(pixels, std::vector<uint32_t>(8, 0xFF000000u)) << "new textures are opaque black";
  int32_t w, h;
  EXPECT_EQ(device_->ReadBackBuffer(pixels, w, h), D3DERR_NOTAVAILABLE);
}

// ---- adapter profile and creation ----------------------------------------------------------------
namespace {
// The depth-format choice the device set-up makes: the last supported of the fixed order.
D3DFORMAT chooseDepth(Direct3D8& d3d) {
  D3DFORMAT chosen = D3DFMT_UNKNOWN;
  for (D3DFORMAT f : {D3DFMT_D16, D3DFMT_D16_LOCKABLE, D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D24X8, D3DFMT_D32})
    if (d3d.CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, f) == 0)
      chosen = f;
  return chosen;
}
}  // namespace

TEST(AdapterProfile, AnswersFromTheProfile) {
  setDeviceBackend(DeviceBackendKind::Recording);
  auto d3d = DirectX8().Direct3DCreate();
  struct Case {
    std::vector<D3DFORMAT> depth;
    D3DFORMAT chosen;
  } cases[] = {{{D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D24X8}, D3DFMT_D24X8},
               {{D3DFMT_D16_LOCKABLE}, D3DFMT_D16_LOCKABLE},
               {{}, D3DFMT_UNKNOWN}};
  for (const auto& c : cases) {
    AdapterProfile profile;
    profile.depthFormats = c.depth;
    setAdapterProfile(profile);
    EXPECT_EQ(chooseDepth(*d3d), c.chosen);
  }
  EXPECT_EQ(D3DFMT_D16, 80);
  EXPECT_EQ(D3DFMT_D24X8, 77);

  AdapterProfile old;
  old.fullscreenX8R8G8B8 = false;
  old.hardwareTnL = false;
  setAdapterProfile(old);
  EXPECT_NE(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false), D3D_OK);
  EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true), D3D_OK);
  D3DCAPS8 caps;
  ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, caps), D3D_OK);
  EXPECT_EQ(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0);
  resetAdapterProfile();
  ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, caps), D3D_OK);
  EXPECT_EQ(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0x10000);
  D3DDISPLAYMODE mode;
  ASSERT_EQ(d3d->GetAdapterDisplayMode(0, mode), D3D_OK);
  EXPECT_GT(mode.Width, 0);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  setDeviceBackend(DeviceBackendKind::OpenGL);
}

TEST(AdapterProfile, CreateDeviceRefusesWhatTheAdapterLacks) {
  setDeviceBackend(DeviceBackendKind::Recording);
  GameWindow window;
  window.setWidth(640 * 15);
  window.setHeight(505 * 15);
  auto d3d = DirectX8().Direct3DCreate();
  auto params = [&] {
    D3DPRESENT_PARAMETERS pp;
    pp.Windowed = true;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.hDeviceWindow = window.hWnd();
    pp.EnableAutoDepthStencil = true;
    pp.AutoDepthStencilFormat = D3DFMT_D24X8;
    return pp;
  };
  std::shared_ptr<Direct3DDevice8> device;
  struct Case {
    const char* name;
    std::function<void(D3DPRESENT_PARAMETERS&, HWND&, int32_t&)> change;
    HResult expected;
  } cases[] = {
      {"no depth format (0)", [](auto& pp, auto&, auto&) { pp.AutoDepthStencilFormat = D3DFMT_UNKNOWN; }, D3DERR_NOTAVAILABLE},
      {"unknown window", [](auto& pp, auto& h, auto&) { h = 9999; pp.hDeviceWindow = 0; }, D3DERR_INVALIDCALL},
      {"full screen 0 x 0", [](auto& pp, auto&, auto&) { pp.Windowed = false; }, D3DERR_INVALIDCALL},
      {"no behaviour", [](auto&, auto&, auto& b) { b = 0; }, D3DERR_INVALIDCALL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    D3DPRESENT_PARAMETERS pp = params();
    HWND h = window.hWnd();
    int32_t behaviour = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    c.change(pp, h, behaviour);
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, h, behaviour, pp, device), c.expected);
    EXPECT_FALSE(device);
  }
  // full screen at a mode: the window becomes full screen at that size
  D3DPRESENT_PARAMETERS pp = params();
  pp.Windowed = false;
  pp.BackBufferWidth = 1280;
  pp.BackBufferHeight = 1024;
  pp.BackBufferFormat = D3DFMT_R5G6B5;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window.hWnd(), D3DCREATE_HARDWARE_VERTEXPROCESSING, pp, device), D3D_OK);
  EXPECT_EQ(device->BackBufferWidth(), 1280);
  EXPECT_TRUE(window.fullScreen());
  EXPECT_EQ(window.clientHeight(), 1024);
  device.reset();
  setDeviceBackend(DeviceBackendKind::OpenGL);
}
