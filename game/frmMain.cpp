#include "game/frmMain.h"

#include <algorithm>
#include <exception>

#include "audio/CJoyControl.h"
#include "audio/CMusic.h"
#include "campaign/CPlayer.h"
#include "engine/CMD2.h"
#include "engine/CModelMonster.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "engine/GeomMod.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "engine/TrivecImports.h"
#include "game/CheatMod.h"
#include "game/TargMod.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "platform/Timer.h"
#include "runtime/ItemFile.h"
#include "runtime/Paths.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

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
    window_->onKeyDown = [this](Integer& key, Integer& shift) { Form_KeyDown(key, shift); };
    window_->onKeyUp = [this](Integer& key, Integer& shift) { Form_KeyUp(key, shift); };
    window_->onKeyPress = [this](Integer& ascii) { Form_KeyPress(ascii); };
    window_->onMouseDown = [this](Integer& b, Integer& s, Single& x, Single& y) { Form_MouseDown(b, s, x, y); };
    window_->onMouseUp = [this](Integer& b, Integer& s, Single& x, Single& y) { Form_MouseUp(b, s, x, y); };
    window_->onMouseMove = [this](Integer& b, Integer& s, Single& x, Single& y) { Form_MouseMove(b, s, x, y); };
  }
  return *window_;
}

void FormMain::Form_Load() {
  closeRequested_ = false;
  try {
    installMessageLog();
    installTerminationSignals();
    resetPlayerNotices();
    // What writes cut off by a kill or a crash left goes before anything reads: the game's files
    // and save slots, and the editors' folders.
    CPlayer::RemoveCutWrites();
    for (const char* folder : {"\\maps", "\\ships", "\\structures"}) removeWriteLeftovers(resolvePath(folder));
    // 1..3
    if (!DX) DX = std::make_shared<DirectX8>();
    D3D = DX->Direct3DCreate();
    Fullscreen = false;
    Player = std::make_shared<CPlayer>();
    Player->ReadOptions();
    Player->ReadCheats();
    // 4..6
    HWND hWnd = window().hWnd();
    initD3D(hWnd, Player->vRes, Player->vFullScreen, Player->vWideScreen);
    initMD2Normals();
    // Every model's frames are blended by the math library: a game folder without a working one
    // stops here, with the error that names the library and why.
    TrivecImports::requireLibrary();
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
  closeRequested_ = true;
}

// ---- keyboard and mouse ----

namespace {
// KeyActions in the order a pressed or released key is compared with the bindings.
constexpr Long KeyActionOrder[18] = {2, 3, 0, 1, 6, 7, 4, 5, 8, 9, 15, 12, 13, 14, 10, 11, 17, 16};

// The control flag of the player's ship that KeyAction action drives.
bool& controlFlag(CShip& s, Long action) {
  switch (action) {
    case 0: return s.keyThrust;
    case 1: return s.keyBrake;
    case 2: return s.keyLeft;
    case 3: return s.keyRight;
    case 4: return s.keyPrevTarg;
    case 5: return s.keyNextTarg;
    case 6: return s.keySwitchLeft;
    case 7: return s.keySwitchRight;
    case 8: return s.keyWarp;
    case 9: return s.keyWarpChoose;
    case 10: return s.keyPrimary;
    case 11: return s.keySecondary;
    case 12: return s.keyLookLeft;
    case 13: return s.keyLookRight;
    case 14: return s.keyLookUp;
    case 15: return s.keyLookDown;
    case 16: return s.keySel2;
    default: return s.keyTalk;
  }
}

// Ships(0), made as an empty ship when the slot holds none.
CShip& playerShipSlot() {
  if (Ships.empty()) Ships.resize(1);
  if (!Ships[0]) Ships[0] = std::make_shared<CShip>();
  return *Ships[0];
}

CShip& playerShip() {
  if (Ships.empty() || !Ships[0]) vbRaise(vberr::ObjectMissing);
  return *Ships[0];
}

CInterface& gameInterface() {
  if (!GameInterface) vbRaise(vberr::ObjectMissing);
  return *GameInterface;
}

// Sets the flag of the first action bound to keyCode; false when no action is.
bool driveBinding(Integer keyCode, bool down) {
  if (!Player) vbRaise(vberr::ObjectMissing);
  for (Long action : KeyActionOrder) {
    if (Player->getCharKey(action) != keyCode) continue;
    controlFlag(playerShip(), action) = down;
    return true;
  }
  return false;
}

bool isWizardPage(Long window) {
  return (window >= msNewShip && window <= msNewAllSet) || window == msNewSaveSlot ||
         window == msNewDifficulty;
}

// Name editing on a wizard name page: Backspace, Enter (the page's "next") or a character.
void editName(std::string& name, Integer keyAscii) {
  CInterface& gi = gameInterface();
  if (keyAscii == 8) {
    if (!name.empty()) name.pop_back();
  } else if (keyAscii == 13) {
    gi.newGameNext();  // Enter is the page's "next"
  } else if (Len(name) < 20) {
    name += Chr(keyAscii);
  }
}
}  // namespace

void FormMain::Form_KeyDown(Integer& KeyCode, Integer& Shift) {
  (void)Shift;
  vbTrap("Form_KeyDown", [&] {
    CInterface& gi = gameInterface();
    if (KeyCode == 27) {
      if (gi.Window == msNone) {
        gi.Window = msConfirmQuit;
      } else if (gi.Window == msConfirmQuit) {
        gi.Window = msNone;
      } else if (isWizardPage(gi.Window)) {
        playerShipSlot().Exists = false;
        gi.Window = msMainMenu;
      }
    }
    playerShipSlot();
    if (gi.Window == msNewDriverName || gi.Window == msNewGunnerName) return;
    if (gi.keyRemapping > -1) {
      gi.Remap(KeyCode);
      return;
    }
    checkCheats(Chr(KeyCode));
    driveBinding(KeyCode, true);
  });
  if (inYield_) pressedInYield_.push_back(KeyCode);
}

void FormMain::Form_KeyUp(Integer& KeyCode, Integer& Shift) {
  (void)Shift;
  if (inYield_ && std::find(pressedInYield_.begin(), pressedInYield_.end(), KeyCode) != pressedInYield_.end()) {
    heldReleases_.push_back(KeyCode);
    return;
  }
  vbTrap("Form_KeyUp", [&] { driveBinding(KeyCode, false); });
}

void FormMain::yieldToWindows() {
  for (Integer key : heldReleases_) vbTrap("Form_KeyUp", [&] { driveBinding(key, false); });
  heldReleases_.clear();
  pressedInYield_.clear();
  inYield_ = true;
  orSkip([] { doEvents(); });
  inYield_ = false;
}

void FormMain::Form_KeyPress(Integer& KeyAscii) {
  vbTrap("Form_KeyPress", [&] {
    if (!GameInterface) GameInterface = std::make_shared<CInterface>();
    if (!Player) vbRaise(vberr::ObjectMissing);
    const Long page = GameInterface->Window;
    if (page == msNewDriverName) editName(Player->DriverName, KeyAscii);
    if (page == msNewGunnerName) editName(Player->GunnerName, KeyAscii);
  });
}

void FormMain::Form_MouseDown(Integer& Button, Integer& Shift, Single& X, Single& Y) {
  (void)Shift, (void)X, (void)Y;
  MouseHeld = true;
  MouseButton = Button;
  CShip& player = playerShipSlot();
  if (GameMode == pmPlay && !gameInterface().hasMouse()) {
    if (Button == 1) player.keyPrimary = true;
    if (Button == 2) player.keySecondary = true;
  }
}

void FormMain::Form_MouseUp(Integer& Button, Integer& Shift, Single& X, Single& Y) {
  (void)Shift, (void)X, (void)Y;
  MouseHeld = false;
  MouseClicked = true;
  if (Button == 1) playerShip().keyPrimary = false;
  if (Button == 2) playerShip().keySecondary = false;
}

void FormMain::Form_MouseMove(Integer& Button, Integer& Shift, Single& X, Single& Y) {
  (void)Button, (void)Shift;
  if (GameMode != pmWorldEditor) return;
  PointerX = X;
  PointerY = Y;
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
  // A close asked for during the start-up (the start-up's yields deliver it) ends the program
  // before its first frame.
  GameRunning = !closeRequested_;

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
  // 6. While the effect's off-screen scene is open the frame draws into it: the device would refuse
  // a second scene, so none is asked for.
  orSkip([] {
    Direct3DDevice8& dev = device();
    if (!dev.InScene()) checkHResult(dev.BeginScene());
  });
  // 7.
  yieldToWindows();
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
  // Wait, yielding to the window system, until the device can be reset or the window closes.
  while (hr == D3DERR_DEVICELOST && GameRunning) {
    HResult next = D3D_OK;  // a failed test (no device) ends the wait
    orSkip([&] { next = device().TestCooperativeLevel(); });
    hr = next;
    if (hr == D3DERR_DEVICELOST) {
      orSkip([] { doEvents(); });
      sleepMs(1);
    }
  }
  if (hr == D3DERR_DEVICELOST) return;  // closed while lost: the loop ends after this pass
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
