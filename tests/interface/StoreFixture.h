// Fixture of the store screen tests: a temporary game folder, the recording device with the
// sprite object and text writer, small textures standing in for the font and the panel and arrow
// sheets (so every glyph, panel and arrow is a recorded sprite draw), a player record, the
// player's ship on a design of the test's choosing, an 800 x 600 screen and a fresh interface.
// Texts drawn in a frame are read back from the glyph draws (spaces have no glyph, so "buy: $12"
// reads "buy:$12").
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "platform/Direct3D.h"
#include "platform/Window.h"
#include "runtime/Trap.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/TempGameDir.h"

// Private access for the store tests.
struct StoreProbe {
  CInterface& g;
  auto& items() { return g.storeItems; }
  auto& partsInStock() { return g.partsInStock; }
  auto& weaponStock() { return g.weaponStock; }
  auto& shipStock() { return g.shipStock; }
  auto& ownedList() { return g.ownedList; }
  Integer& selItem() { return g.selItem; }
  Single& waitTimer() { return g.waitTimer; }
  Single& saveIconTimer() { return g.saveIconTimer; }
  bool& fleetMode() { return g.shipyardFleetMode; }
  const std::string& itemName() { return g.itemName; }
  Long itemEnergy() { return g.itemEnergy; }
  Long describe(Integer id) { return g.makeItemDescBlock(id); }
  bool owns(Integer id) { return g.isInStockList(id); }
  Integer freeMount() { return g.getFreeMount(); }
  D3DXVECTOR2 frame(const std::string& title, Integer width) { return g.drawDoneButton(title, width); }
  void gas() { g.drawGasStation(); }
  void hardware() { g.drawHardwareStore(); }
  void weapons() { g.drawWeaponStore(); }
  void trading(bool pleasant) { g.drawTrading(pleasant); }
  void plunder() { g.drawPlunder(); }
  void wait() { g.drawWaitForASec(); }
  void shipyard() { g.drawShipyard(); }
  void missions() { g.drawMissionControl(); }
  void confirmMission() { g.drawConfirmMission(); }
  void missionBanners() { g.drawMissionLayers(); }
  Integer& chosenMission() { return g.chosenMission; }
  void saveIcon() { g.RenderSaveIcon(); }
  void result(Single& clock) { g.drawResultBanner(clock); }
  void directive(Single t, const std::string& text, const std::string& time, Single warp, bool locked) {
    g.drawDirectiveBanner(t, text, [&time] { return time; }, warp, locked);
  }
  void stats(Single& x, Single& y, Integer index) { g.drawShipStats(x, y, index); }
  void partIcon(Integer id, Single x, Single y) { g.drawPartIcon(id, x, y); }
  void weaponIcon(Integer id, Single x, Single y) { g.drawWeaponIcon(id, x, y); }
  bool row(Single x, Single y, Single w, Single h, bool selected, bool disabled) {
    return g.drawListRow(x, y, w, h, "", selected, disabled);
  }
  bool cell(Single x, Single y, bool up) { return up ? g.drawListArrowUp(x, y, false) : g.drawListArrowDown(x, y, false); }
};

// The ship's tractor target, which only the ship's own tractor sequence sets in play.
struct CShipLevelProbe {
  static Integer& tractorTarget(CShip& s) { return s.tractorTarget; }
  static Single& sparkVal(CShip& s) { return s.sparkVal; }
};

namespace {

// One text drawn in the frame: its glyphs without spaces, the pen of its first glyph and its colour.
struct DrawnText {
  std::string text;
  float x = 0, y = 0;
  D3DCOLOR colour = 0;
};

class StoreFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::make_unique<TempGameDir>();
    MsgLog.fill("");
    MsgCount = 0;
    installMessageLog();
    DevMode = true;
    setDeviceBackend(DeviceBackendKind::Recording);
    window = std::make_unique<GameWindow>();
    window->setWidth(800 * 15);
    window->setHeight(625 * 15);
    d3d = DirectX8().Direct3DCreate();
    D3DPRESENT_PARAMETERS pp;
    pp.Windowed = true;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.hDeviceWindow = window->hWnd();
    pp.EnableAutoDepthStencil = true;
    pp.AutoDepthStencilFormat = D3DFMT_D24X8;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window->hWnd(), D3DCREATE_HARDWARE_VERTEXPROCESSING, pp, device),
              D3D_OK);
    ASSERT_EQ(d3dx.CreateSprite(device, DxSprite), D3D_OK);
    GameText = std::make_shared<CText>();
    savedSlots = TexSlots;
    savedHandles = {TexFontDDS, TexRounded, TexRoundedW, TexRoundedL, TexArrows, TexWeapons, TexIconsW, TexRsc};
    TexSlots.assign(1, TexCacheSlot{});
    TexFontDDS = texture(256, 256);
    font = TexSlots[static_cast<size_t>(TexFontDDS)].object.get();
    TexRounded = texture(64, 64);
    TexRoundedW = texture(64, 64);
    TexRoundedL = texture(64, 64);
    TexArrows = texture(64, 64);
    TexWeapons = texture(256, 256);
    TexIconsW = texture(256, 256);
    TexRsc = texture(256, 256);
    for (Integer& h : PartsTex) h = texture(256, 256);
    ScreenWidth = 800;
    ScreenHeight = 600;
    GameMode = 1;
    FrameTime = 0;
    PointerX = PointerY = 0;
    MouseClicked = MouseHeld = false;
    MouseButton = 1;

    Player = std::make_shared<CPlayer>();
    Player->Cash = 10000;
    for (auto& sub : SubPlayers) {
      sub = std::make_shared<CPlayer>();
      sub->ShipType = -1;
    }
    savedDefs = ShipDefs;
    ShipDefs.clear();
    for (int i = 0; i < 23; ++i) ShipDefs.push_back(std::make_shared<CShipDef>(design(sbCar, 3)));
    Player->ShipType = 1;
    savedShips = Ships;
    Ships.clear();
    Ships.push_back(std::make_shared<CShip>());
    setPlayerDesign(sbCar, 3);
    gi = std::make_shared<CInterface>();
    GameInterface = gi;
    DevMode = true;  // the player record read it from the options file
    MsgLog.fill("");
    MsgCount = 0;
    device->ClearRecordedCalls();
  }

  void TearDown() override {
    GameInterface.reset();
    gi.reset();
    Ships = savedShips;
    ShipDefs = savedDefs;
    Player.reset();
    for (auto& sub : SubPlayers) sub.reset();
    World.reset();
    TexSlots = savedSlots;
    TexFontDDS = savedHandles[0], TexRounded = savedHandles[1], TexRoundedW = savedHandles[2];
    TexRoundedL = savedHandles[3], TexArrows = savedHandles[4], TexWeapons = savedHandles[5];
    TexIconsW = savedHandles[6], TexRsc = savedHandles[7];
    for (Integer& h : PartsTex) h = 0;
    GameText.reset();
    DxSprite.reset();
    device.reset();
    d3d.reset();
    window.reset();
    setDeviceBackend(DeviceBackendKind::OpenGL);
    setTrapSink(nullptr);
    PointerX = PointerY = 0;
    MouseClicked = MouseHeld = false;
    FrameTime = 0;
    DevMode = false;
    dir.reset();
  }

  // A design: cargo 30, fuel 500, armour 100, shields 100, energy 20, last mount index mounts.
  static CShipDef design(Long body, Integer mounts) {
    CShipDef d;
    d.ShipBody = body;
    d.TotalMounts = mounts;
    d.Cargo = 30;
    d.MaxFuel = 500;
    d.MaxArmor = 100;
    d.MaxShields = 100;
    d.Energy = 20;
    d.Price = 5000;
    d.Acceleration = 1.5f;
    d.Agility = 3;
    d.MaxSpeed = 900;
    return d;
  }

  // The player's ship (and the record's design 1) on a new design, full and with empty mounts.
  void setPlayerDesign(Long body, Integer mounts) {
    *ShipDefs[1] = design(body, mounts);
    ShipDefs[1]->DockBays = body == sbCapital ? Integer(2) : Integer(0);
    CShip& s = ship();
    s.setDef(*ShipDefs[1]);
    s.ShipType = 1;
    s.MakeModdedDef();
    s.Fuel = s.getMaxFuel();
    s.Armor = s.getMaxArmor();
    s.Shields = s.getMaxShields();
    s.Exists = true;
  }

  Integer texture(int32_t w, int32_t h) {
    std::shared_ptr<Direct3DTexture8> t;
    EXPECT_EQ(d3dx.CreateTexture(device, w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t), D3D_OK);
    TexSlots.push_back(TexCacheSlot{t, true});
    return static_cast<Integer>(TexSlots.size() - 1);
  }

  CShip& ship() { return *Ships[0]; }
  StoreProbe probe() { return StoreProbe{*gi}; }

  // Runs one frame of a screen: the recorded calls are cleared first; with click the pointer is
  // at (x, y) and the click latch is set.
  template <class F>
  void frame(F&& screen) {
    device->ClearRecordedCalls();
    screen();
  }
  template <class F>
  void clickAt(Single x, Single y, F&& screen, Integer button = 1) {
    PointerX = x;
    PointerY = y;
    MouseButton = button;
    MouseClicked = true;
    frame(screen);
    MouseClicked = false;
  }

  // The texts of the last frame, in drawing order.
  std::vector<DrawnText> texts() const {
    static const std::string cells = "abcdefghijklmnopqrstuvwxyz0123456789!@#$%/&*()-+=,.;:\"'?";
    std::vector<DrawnText> out;
    DrawnText cur;
    bool any = false;
    for (const D3DCall& c : device->RecordedCalls()) {
      if (c.kind == D3DCallKind::SpriteBegin) {
        cur = DrawnText{};
        any = false;
      } else if (c.kind == D3DCallKind::SpriteDraw && c.object == font) {
        const int cell = (c.rect.top / 36) * 8 + c.rect.left / 32;
        if (!any) {
          cur.x = c.matrix.m[3][0];
          cur.y = c.matrix.m[3][1];
          cur.colour = c.color;
        }
        any = true;
        if (cell >= 0 && cell < static_cast<int>(cells.size())) cur.text += cells[static_cast<size_t>(cell)];
      } else if (c.kind == D3DCallKind::SpriteEnd && any) {
        out.push_back(cur);
        any = false;
      }
    }
    return out;
  }
  // The first text of the last frame that equals s (glyphs only), or null.
  std::unique_ptr<DrawnText> findText(const std::string& s) const {
    for (const DrawnText& t : texts())
      if (t.text == s) return std::make_unique<DrawnText>(t);
    return nullptr;
  }
  bool hasText(const std::string& s) const { return findText(s) != nullptr; }
  std::string allTexts() const {
    std::string all;
    for (const DrawnText& t : texts()) all += "[" + t.text + "]";
    return all;
  }
  // Sprite draws of one texture handle in the last frame.
  std::vector<D3DCall> drawsOf(Integer handle) const {
    std::vector<D3DCall> out;
    const auto* tex = TexSlots[static_cast<size_t>(handle)].object.get();
    for (const D3DCall& c : device->RecordedCalls())
      if (c.kind == D3DCallKind::SpriteDraw && c.object == tex) out.push_back(c);
    return out;
  }

  std::unique_ptr<TempGameDir> dir;
  std::unique_ptr<GameWindow> window;
  std::shared_ptr<Direct3D8> d3d;
  std::shared_ptr<Direct3DDevice8> device;
  D3DX8 d3dx;
  const Direct3DTexture8* font = nullptr;
  std::shared_ptr<CInterface> gi;
  std::vector<TexCacheSlot> savedSlots;
  std::vector<Integer> savedHandles;
  std::vector<std::shared_ptr<CShipDef>> savedDefs;
  std::vector<std::shared_ptr<CShip>> savedShips;
};

// Store frames of width 500 and 300 on the 800 x 600 screen: top-left corners.
constexpr Single X0 = 150, Y0 = 120, GasX0 = 250;
// The centre of a push button drawn at (x, y) with width w.
constexpr Single buttonCx(Single x, Single w) { return x + w / 2; }
constexpr Single buttonCy(Single y) { return y + 10; }

}  // namespace
