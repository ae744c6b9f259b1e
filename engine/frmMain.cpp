#include "engine/frmMain.h"

#include <exception>

#include "audio/CJoyControl.h"
#include "audio/CMusic.h"
#include "campaign/CPlayer.h"
#include "engine/CMD2.h"
#include "engine/CModelMonster.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/GameMod.h"
#include "engine/GeomMod.h"
#include "engine/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "platform/Timer.h"
#include "runtime/VbError.h"

FormMain frmMain;

namespace {
// The last millisecond of a frame's wait is spun, not slept: a sleep may wake up late, and the
// wait must end at the first reading that passes the cap.
constexpr uint32_t SpinMs = 1;
// Projection before the first frame: field of view 800/600 rad, near 1, far 30000.
constexpr float FirstFov = 800.0f / 600.0f;
constexpr float FirstNear = 1.0f, FirstFar = 30000.0f;

// One statement of the loop: an error skips it and the loop goes on.
template <class F>
void orSkip(F&& statement) {
  try {
    statement();
  } catch (const std::exception&) {
  }
}

// The first whole millisecond at which the frame-rate cap no longer holds (17).
uint32_t capMs() {
  uint32_t ms = 1;
  while (frameRateAboveCap(ms / 1000.0)) ++ms;
  return ms;
}

// Lighting off and the stage-0 filters: before the first frame and after a reset.
void setStartStates() {
  orSkip([] { checkHResult(device().SetRenderState(D3DRS_LIGHTING, 0)); });
  orSkip([] { checkHResult(device().SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR)); });
  orSkip([] { checkHResult(device().SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR)); });
  orSkip([] { checkHResult(device().SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE)); });
}
}  // namespace

// ---- frame timing ----

double measureFrameTime(uint32_t start, uint32_t now) {
  const double t = static_cast<uint32_t>(now - start) / 1000.0;
  return t < 0.001 ? 0.001 : t;
}

bool frameRateAboveCap(double frameTime) { return 1.0 / frameTime > 60.0; }

double limitFrameTime(double frameTime, bool bulletTime) {
  if (frameTime > 0.5) frameTime = 0.5;
  if (bulletTime) frameTime = frameTime / 5;
  return frameTime;
}

void countWarmUp(double frameTime) {
  if (WarmUpTimer < 0.1) {
    WarmUpTimer += frameTime;
    if (WarmUpTimer >= 0.1) WarmedUp = true;
  }
}

double waitFrameEnd(uint32_t start) {
  static const uint32_t cap = capMs();
  for (;;) {
    const uint32_t now = timeGetTime();
    const double t = measureFrameTime(start, now);
    if (!frameRateAboveCap(t)) return t;
    const uint32_t elapsed = now - start;
    if (elapsed + SpinMs < cap)
      sleepMs(cap - SpinMs - elapsed);
    else
      yieldCpu();
  }
}

void frameTiming(uint32_t start) {
  FrameTime = limitFrameTime(waitFrameEnd(start), BulletTime);
  countWarmUp(FrameTime);
}

// ---- the form ----

FormMain::FormMain() = default;
FormMain::~FormMain() {
  // Reached only when the program ends without its end sequence (an exit from inside the window
  // system, for instance a lost display): the window system may be gone, so the window is left
  // to the operating system.
  (void)window_.release();
}

GameWindow& FormMain::window() {
  if (!window_) {
    window_ = std::make_unique<GameWindow>();
    window_->setCaption("Quorvex");
    window_->onUnload = [this](Integer& cancel) { Form_Unload(cancel); };
    // The key and mouse handlers (Form_KeyDown, Form_MouseDown, ...) are hooked here by the
    // input work.
  }
  return *window_;
}

void FormMain::Form_Load() {
  try {
    installMessageLog();
    // 1..3
    if (!DX) DX = std::make_shared<DirectX8>();
    D3D = DX->Direct3DCreate();
    Fullscreen = false;
    Player = std::make_shared<CPlayer>();
    Player->ReadOptions();
    Player->ReadCheats();
    // 4..6
    HWND hWnd = window().hWnd();
    initD3D(hWnd);
    initMD2Normals();
    initGame(erLauncher);
  } catch (...) {
    // The error stops the program: release what was made, then pass the error on.
    releaseAll();
    throw;
  }
  // 7
  mainLoop();
}

void FormMain::Form_Unload(Integer& Cancel) {
  Cancel = vbTrue;
  GameRunning = false;
}

void FormMain::mainLoop() {
  // Before the first frame.
  orSkip([] {
    D3DXMatrixIdentity(MatWorld);
    checkHResult(device().SetTransform(D3DTS_WORLD, MatWorld));
  });
  orSkip([] {
    D3DXMatrixLookAtLH(MatView, D3DVECTOR{100, 450, 100}, D3DVECTOR{0, 0, 0}, D3DVECTOR{0, 1, 0});
    checkHResult(device().SetTransform(D3DTS_VIEW, MatView));
  });
  orSkip([] {
    // The aspect is height over width, as the projection takes it.
    D3DXMatrixPerspectiveFovLH(MatProj, FirstFov, Widescreen ? 6.0f / 9.0f : 3.0f / 4.0f, FirstNear, FirstFar);
    checkHResult(device().SetTransform(D3DTS_PROJECTION, MatProj));
  });
  setStartStates();
  GameRunning = true;

  int64_t passes = 0;  // never overflows in practice; the hooks see it modulo 2^32
  while (GameRunning) {
    const Long pass = static_cast<Long>(++passes);
    runFrame(pass);
    if (afterFrameForTests) orSkip([&] { afterFrameForTests(pass); });
  }
  endProgram();
}

void FormMain::runFrame(Long pass) {
  // 1.
  timeBeginPeriod(1);
  const uint32_t start = timeGetTime();
  // 2.
  recoverDevice();
  // 3. Target view.
  orSkip([] {
    if (GameMode != pmPlay || !GameInterface) return;
    Integer viewer = 0, t = GameInterface->TargRender;
    if (t > -1) RenderTarg(viewer, t);
  });
  // 4.
  orSkip([] { doGame(); });
  // 5. Full-screen effect: the scene goes into the effect texture.
  orSkip([] {
    if (!ScreenFxOn) return;
    if (!ScreenFxRTS) vbRaise(vberr::ObjectMissing);
    D3DVIEWPORT8 vp;
    vp.Width = ScreenWidth;
    vp.Height = ScreenHeight;
    if (ScreenFxHalf) {
      vp.Width = CLng(ScreenWidth / 2.0);
      vp.Height = CLng(ScreenHeight / 2.0);
    }
    vp.MinZ = 0;  // the depth range of every target is 0..1
    vp.MaxZ = 1;
    checkHResult(ScreenFxRTS->BeginScene(ScreenFxSurf, vp));
  });
  // 6.
  orSkip([] { checkHResult(device().BeginScene()); });
  // 7.
  orSkip([] { doEvents(); });
  // 8.
  orSkip([] {
    if (GameMode == pmPlay && JoyControl) JoyControl->PollJoys();
  });
  // 9.
  orSkip([] {
    const D3DCOLOR sky = D3DColorARGB(255, CLng(SkyR), CLng(SkyG), CLng(SkyB));
    checkHResult(device().Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, sky, 1.0f, 0));
  });
  // 10.
  orSkip([] { doRender(); });
  // 11.
  orSkip([] { checkHResult(device().EndScene()); });
  if (beforePresentForTests) orSkip([&] { beforePresentForTests(pass); });
  orSkip([] { checkHResult(device().Present()); });
  // 12.
  orSkip([&] { frameTiming(start); });
  timeEndPeriod(1);
}

void FormMain::recoverDevice() {
  HResult hr = D3D_OK;
  orSkip([&] { hr = device().TestCooperativeLevel(); });
  // A device that is already resettable at this first test is reset too: left alone it would
  // fail every later frame.
  if (hr != D3DERR_DEVICELOST && hr != D3DERR_DEVICENOTRESET) return;
  // Wait, yielding to the window system, until the device can be reset.
  while (hr == D3DERR_DEVICELOST) {
    HResult next = D3D_OK;  // a failed test (no device) ends the wait
    orSkip([&] { next = device().TestCooperativeLevel(); });
    hr = next;
    if (hr == D3DERR_DEVICELOST) {
      orSkip([] { doEvents(); });
      sleepMs(1);
    }
  }
  orSkip([] { addMessage("Resetting Device", false); });
  orSkip([] { checkHResult(device().Reset(PresentParams)); });
  orSkip([] { addMessage("Reset device!", false); });
  orSkip([] {
    if (!ModelMon) vbRaise(vberr::ObjectMissing);
    ModelMon->ClearAll();
  });
  orSkip([] {
    if (!TexMon) vbRaise(vberr::ObjectMissing);
    TexMon->ClearAll();
  });
  orSkip([] { LoadModels(); });
  setStartStates();
  WarmedUp = false;
  WarmUpTimer = 0;
}

void FormMain::endProgram() {
  if (GameMode == pmPlay) orSkip([] { ShowCursor(true); });
  orSkip([] {
    if (Music) Music->Kill();
  });
  releaseAll();
}

void FormMain::releaseAll() {
  // The device's objects go before the device: shared buffers, sprite object, cached textures
  // and models, the render targets; then the device, D3DX, D3D and DX; then the window.
  orSkip([] { ReleaseGeometry(); });
  orSkip([] { DxSprite.reset(); });
  orSkip([] {
    if (ModelMon) ModelMon->ClearAll();
  });
  orSkip([] {
    if (TexMon) TexMon->ClearAll();
  });
  orSkip([] { releaseDirectX(); });
  window_.reset();
}
