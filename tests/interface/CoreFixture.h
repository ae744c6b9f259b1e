// Interface core tests' set-up: an empty game folder, the recording device with the 2-D sprite and
// the text writer, a fresh player record, 16 ships (the player's existing), an 800 x 600 screen,
// a map object, the message log as trap sink, and a new interface object in GameInterface.
// CoreProbe opens the private members and methods the tests drive.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "audio/CJoyControl.h"
#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "game/CameraMod.h"
#include "engine/GameGlobals.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/D3DX.h"
#include "platform/Direct3D.h"
#include "platform/Window.h"
#include "runtime/Trap.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/TempGameDir.h"

struct CoreProbe {
  static Single& fadeLevel(CInterface& g) { return g.fadeLevel; }
  static Single& overlayFrame(CInterface& g) { return g.overlayFrame; }
  static bool& overlayIsStatus(CInterface& g) { return g.overlayIsStatus; }
  static Long& prevWindow(CInterface& g) { return g.prevWindow; }
  static Single& hudClock(CInterface& g) { return g.hudClock; }
  static bool hudShown(CInterface& g) { return g.hudShown; }
  static Single& clockMark(CInterface& g) { return g.clockMark; }
  static Integer& curSlot(CInterface& g) { return g.curSlot; }
  static std::string slotName(CInterface& g, int i) { return g.slotNames[static_cast<size_t>(i)]; }
  static Integer& pendingSlot(CInterface& g) { return g.pendingSlot; }
  static Integer& pendingShipType(CInterface& g) { return g.pendingShipType; }
  static Long& pendingPrice(CInterface& g) { return g.pendingPrice; }
  static Integer& selItem(CInterface& g) { return g.selItem; }
  static Single& bountyMsgTimer(CInterface& g) { return g.bountyMsgTimer; }
  static Single cashPopTimer(CInterface& g, int i) { return g.cashPopTimer[static_cast<size_t>(i)]; }
  static Long cashPopAmount(CInterface& g, int i) { return g.cashPopAmount[static_cast<size_t>(i)]; }
  static CInterface::SrcRect srcRect(CInterface& g) { return g.srcRect; }
  static void tickGameClock(CInterface& g, Single t) { g.tickGameClock(t); }
  static bool button(CInterface& g, Single x, Single y, Single w, const std::string& c, bool disabled) {
    return g.drawButton(x, y, w, c, disabled);
  }
  static bool arrow(CInterface& g, Single x, Single y, Integer cell) { return g.drawHighlight(x, y, cell); }
  static bool radioRow(CInterface& g, Single x, Single y, Single w, bool marked) {
    return g.drawRadioRow(x, y, w, "row", marked);
  }
  static bool checkRow(CInterface& g, Single x, Single y, Single w, bool marked) {
    return g.drawCheckRow(x, y, w, "row", marked);
  }
  static bool keyBinding(CInterface& g, Single x, Single y, Long action) {
    return g.drawKeyBinding(x, y, "thrust:", action);
  }
  static D3DXVECTOR2 rectToScreen(CInterface& g, Single w, Single h) { return g.rectToScreen(w, h); }
  static void panel(CInterface& g, Single x1, Single y1, Single x2, Single y2) { g.drawPanel(x1, y1, x2, y2); }
  static void panelEx(CInterface& g, Single x1, Single y1, Single x2, Single y2, Integer r, Integer gg, Integer b) {
    g.drawPanelEx(x1, y1, x2, y2, r, gg, b);
  }
  static Integer yesCancel(CInterface& g, bool yesNo) {
    Integer result = -1;
    g.drawYesCancel("sure?", D3DXVECTOR2{200, 225}, 400, yesNo, result);
    return result;
  }
  static void mainMenu(CInterface& g) { g.drawMainMenu(); }
  static void options(CInterface& g) { g.drawOptions(); }
};

namespace {

// Centre points of the widgets on an 800 x 600 screen (cx 400, cy 300).
constexpr Single DialogLeftX = 340, DialogRightX = 460, DialogY = 325;  // "cancel"/"no", "ok"/"yes"

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::make_unique<TempGameDir>();
    dir->write("\\data\\readme.txt", "");  // the data folder the options files go to
    MsgLog.fill("");
    MsgCount = 0;
    installMessageLog();
    setDeviceBackend(DeviceBackendKind::Recording);
    DX = std::make_shared<DirectX8>();
    D3D = DX->Direct3DCreate();
    window.setWidth(800 * 15);  // twips
    window.setHeight(625 * 15);
    D3DPRESENT_PARAMETERS pp;
    pp.Windowed = true;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.hDeviceWindow = window.hWnd();
    pp.EnableAutoDepthStencil = true;
    pp.AutoDepthStencilFormat = D3DFMT_D24X8;
    ASSERT_EQ(D3D->CreateDevice(0, D3DDEVTYPE_HAL, window.hWnd(), D3DCREATE_HARDWARE_VERTEXPROCESSING, pp, D3DDevice),
              D3D_OK)
        << lastErrorDescription();
    D3DX = std::make_shared<D3DX8>();
    ASSERT_EQ(D3DX->CreateSprite(D3DDevice, DxSprite), D3D_OK);
    GameText = std::make_shared<CText>();
    Player = std::make_shared<CPlayer>();
    ShipDefs.clear();
    for (int i = 0; i < 32; ++i) ShipDefs.push_back(std::make_shared<CShipDef>());
    Ships.clear();
    for (int i = 0; i < 16; ++i) Ships.push_back(std::make_shared<CShip>());
    Player->Init();
    Player->MakeShipFromPlayer(0, 0, 0, 0);  // ship 0 on an empty design
    Ships[0]->Exists = true;
    JoyControl = std::make_shared<CJoyControl>();
    MissionControl = std::make_shared<CMissionControl>();
    map = std::make_unique<CMap>();
    CurMap = map.get();
    ScreenWidth = 800;
    ScreenHeight = 600;
    FrameTime = 0.02;
    MouseHeld = MouseClicked = false;
    CheatCash = false;
    ClassicView = FollowMouse = false;
    TitleCam = SlowMotion = false;
    PendingMap = "";
    IntroClock = 5;
    SteerDelay = 0;
    GameRunning = true;
    DevMode = true;  // after the records: unforced lines (trapped errors) reach the log
    gi = std::make_shared<CInterface>();
    GameInterface = gi;
    resetPlayerNotices();  // what the empty folder lacks is no notice over the screens tested
  }
  void TearDown() override {
    if (HasFailure())
      for (int i = 0; i < MsgCount; ++i) ADD_FAILURE() << "log: " << MsgLog[static_cast<size_t>(i)];
    GameInterface.reset();
    gi.reset();
    CurMap = nullptr;
    map.reset();
    MissionControl.reset();
    JoyControl.reset();
    Ships.clear();
    ShipDefs.clear();
    Player.reset();
    GameText.reset();
    DxSprite.reset();
    D3DX.reset();
    D3DDevice.reset();
    D3D.reset();
    DX.reset();
    setDeviceBackend(DeviceBackendKind::OpenGL);
    setTrapSink(nullptr);
    DevMode = false;
    GamePaused = false;
    GameRunning = false;
    dir.reset();
  }
  // Pointer at (x, y) with a click waiting in the latch.
  static void clickAt(Single x, Single y) {
    PointerX = x;
    PointerY = y;
    MouseClicked = true;
  }
  bool logHas(const std::string& prefix) const {
    for (int i = 0; i < MsgCount; ++i)
      if (MsgLog[static_cast<size_t>(i)].rfind(prefix, 0) == 0) return true;
    return false;
  }

  std::unique_ptr<TempGameDir> dir;
  GameWindow window;
  std::unique_ptr<CMap> map;
  std::shared_ptr<CInterface> gi;
};

}  // namespace
