// The in-flight HUD on the recording device: every draw is read back from the recorded calls
// (screen quads with their texture, sprite draws, and texts decoded from their glyph cells), so
// the tests check what lands where in which colour: the grey fade's shade, the blink rule, radar
// placement and colours, the marker colours, the gauges and panels, the combo and its rating,
// the choice lists and the goods names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/PlayerNotices.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "engine/GeomMod.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "platform/Direct3D.h"
#include "platform/Window.h"
#include "runtime/Rnd.h"
#include "runtime/Trap.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"

// Private access of the HUD tests.
struct HudProbe {
  CInterface& gi;
  void GrayOut(Single v) { gi.GrayOut(v); }
  void drawRadar() { gi.drawRadar(); }
  void drawTargetDistance() { gi.drawTargetDistance(); }
  void drawShipMarkers() { gi.drawShipMarkers(); }
  void drawMotherShipHud() { gi.drawMotherShipHud(); }
  void drawActionHud() { gi.drawActionHud(); }
  void drawStatusHud() { gi.drawStatusHud(); }
  void drawSecondaryHud() { gi.drawSecondaryHud(); }
  void drawBayHud() { gi.drawBayHud(); }
  void drawCursor() { gi.drawCursor(); }
  void drawAimMarker() { gi.drawAimMarker(); }
  void drawDestinationHud() { gi.drawDestinationHud(); }
  void drawTargetHud() { gi.drawTargetHud(); }
  void drawGauge(Single value, Integer r, Integer g, Integer b) { gi.drawGauge(100, 100, 50, value, r, g, b); }
  bool drawCargoList(Integer kind, Integer count, Integer price) { return gi.drawCargoList(100, 100, kind, count, price); }
  void RenderCombo() { gi.RenderCombo(); }
  void RenderHitSplats() { gi.RenderHitSplats(); }
  void giveComboBonus(Integer level) { gi.giveComboBonus(level); }
  Single getComboShake(Integer s) { return gi.getComboShake(s); }
  void stopPlayerSteer() { gi.stopPlayerSteer(); }
  Single& hudClock() { return gi.hudClock; }
  Single& comboTimer() { return gi.comboTimer; }
  Single& comboSlide() { return gi.comboSlide; }
  Single& comboShake() { return gi.comboShake; }
  Single& comboBonusTimer() { return gi.comboBonusTimer; }
  Single& xhairRed() { return gi.xhairRedTimer; }
  Integer& comboHits() { return gi.comboHits; }
  Integer& comboDeflections() { return gi.comboDeflections; }
  bool& comboRunning() { return gi.comboRunning; }
  std::string& comboWord() { return gi.comboWord; }
  std::string& comboBonusText() { return gi.comboBonusText; }
  Integer& chosenSecondary() { return gi.chosenSecondary; }
  Integer& spawnChoice() { return gi.spawnChoice; }
  std::array<Integer, 8>& choiceList() { return gi.choiceList; }
  bool& choiceListIsFleet() { return gi.choiceListIsFleet; }
  Single& choiceArcPos() { return gi.choiceArcPos; }
  D3DVECTOR& aimPoint() { return gi.aimPoint; }
  bool& aimMarkerOn() { return gi.aimMarkerOn; }
  Single& overlayFrame() { return gi.overlayFrame; }
  bool& overlayIsStatus() { return gi.overlayIsStatus; }
  std::array<D3DVECTOR, 3>& xhairPoints() { return gi.xhairPoints; }
  std::array<CInterface::HitSplat, CInterface::SplatSlots>& splats() { return gi.hitSplats; }
};

namespace {

// One draw read back from the recorded calls.
struct Draw {
  enum Kind { Quad, Sprite, Text } kind = Quad;
  const void* texture = nullptr;
  D3DCOLOR colour = 0;
  Single left = 0, top = 0, right = 0, bottom = 0;  // quads: the box; sprites and texts: the pen
  Single scaleX = 1, scaleY = 1;
  RECT src{};  // sprites: the source rectangle; quads: its left and top texels
  std::string text;  // texts: the glyphs drawn (spaces and codes draw none)
  int r() const { return int((colour >> 16) & 0xFF); }
  int g() const { return int((colour >> 8) & 0xFF); }
  int b() const { return int(colour & 0xFF); }
  int a() const { return int(colour >> 24); }
};

::testing::AssertionResult rgbIs(const Draw& d, int r, int g, int b) {
  if (d.r() == r && d.g() == g && d.b() == b) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "colour (" << d.r() << ", " << d.g() << ", " << d.b() << "), expected (" << r
                                       << ", " << g << ", " << b << ")";
}

std::string noSpaces(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
  return s;
}

class HudTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setRndSeedForTests(777);
    setDeviceBackend(DeviceBackendKind::Recording);
    resetAdapterProfile();
    window_.setWidth(800 * 15);
    window_.setHeight(625 * 15);
    D3DPRESENT_PARAMETERS pp;
    pp.Windowed = true;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.hDeviceWindow = window_.hWnd();
    pp.EnableAutoDepthStencil = true;
    pp.AutoDepthStencilFormat = D3DFMT_D24X8;
    std::shared_ptr<Direct3DDevice8> dev;
    ASSERT_EQ(DirectX8().Direct3DCreate()->CreateDevice(0, D3DDEVTYPE_HAL, window_.hWnd(),
                                                        D3DCREATE_HARDWARE_VERTEXPROCESSING, pp, dev),
              D3D_OK);
    D3DDevice = dev;
    D3DX = std::make_shared<D3DX8>();
    ASSERT_EQ(D3DX->CreateSprite(D3DDevice, DxSprite), D3D_OK);
    GameText = std::make_shared<CText>();
    ScreenWidth = 800;
    ScreenHeight = 600;
    WarmedUp = true;
    D3DXMatrixIdentity(MatProj);
    D3DXMatrixIdentity(MatView);
    D3DXMatrixIdentity(MatWorld);
    // One texture per handle the HUD draws with, so that every draw names its picture.
    TexSlots.clear();
    auto give = [&](Integer& handle) {
      std::shared_ptr<Direct3DTexture8> t;
      ASSERT_EQ(D3DX->CreateTexture(D3DDevice, 256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t), D3D_OK);
      handle = static_cast<Integer>(TexSlots.size());
      TexSlots.push_back(TexCacheSlot{t, true});
    };
    for (Integer* h : {&TexStar, &TexTarget, &TexPoint, &TexBar, &TexFontDDS, &TexFont, &TexPointer, &TexGas,
                       &TexIconsW, &TexCloud, &TexWeapons, &TexRsc, &TexRounded, &TexRoundedL, &TexRoundedW})
      give(*h);
    for (Integer& h : FadeTex) give(h);
    for (Integer& h : CrosshairTex) give(h);
    for (Integer& h : ShipPartsTex) give(h);

    MsgLog.fill("");
    MsgCount = 0;
    installMessageLog();
    GameMode = 1;
    Player = std::make_shared<CPlayer>();
    resetPlayerNotices();  // of the options files, which this folder lacks: none stands over the HUD
    for (auto& sp : SubPlayers) sp.reset();
    MotherPlayer.reset();
    GameInterface = std::make_shared<CInterface>();
    Ships.clear();
    for (int i = 0; i < 16; ++i) Ships.push_back(std::make_shared<CShip>());
    ready(0).SecondaryTarget = -1;
    MotherShip = -1;
    MotherNodePath.clear();
    ClassicView = false;
    FrameTime = 0.02;
    D3DDevice->SetRecording(true);
    D3DDevice->ClearRecordedCalls();
  }
  void TearDown() override {
    setTrapSink(nullptr);
    Ships.clear();
    Player.reset();
    for (auto& sp : SubPlayers) sp.reset();
    MotherPlayer.reset();
    GameInterface.reset();
    GameText.reset();
    DxSprite.reset();
    TexSlots.clear();
    TexSlots.push_back(TexCacheSlot{});
    for (Integer* h : {&TexStar, &TexTarget, &TexPoint, &TexBar, &TexFontDDS, &TexFont, &TexPointer, &TexGas,
                       &TexIconsW, &TexCloud, &TexWeapons, &TexRsc, &TexRounded, &TexRoundedL, &TexRoundedW})
      *h = 0;
    FadeTex.fill(0);
    CrosshairTex.fill(0);
    ShipPartsTex.fill(0);
    D3DDevice.reset();
    D3DX.reset();
    setDeviceBackend(DeviceBackendKind::OpenGL);
    resetAdapterProfile();
    WarmedUp = false;
    MatProj = MatView = MatWorld = D3DMATRIX{};
    GameMode = 0;
    FrameTime = 0;
    ClassicView = false;
    MotherShip = -1;
    MotherNodePath.clear();
    BulletTimeCharge = 0;
    MouseClicked = MouseHeld = false;
    PointerX = PointerY = 0;
    clearRndTestSeed();
  }

  // Ships(i) set up with a plain design of body type body (400 armour, 300 shields, 3000 fuel).
  CShip& ready(Integer i, Long body = sbCar) {
    CShipDef d;
    d.ShipName = "Hudbed";
    d.ShipTitle = "hud bed";
    d.MaxArmor = 400;
    d.MaxShields = 300;
    d.MaxFuel = 3000;
    d.MaxSpeed = 1000;
    d.ShipBody = body;
    Ships[static_cast<size_t>(i)] = std::make_shared<CShip>();
    CShip& s = *Ships[static_cast<size_t>(i)];
    s.setDef(d);
    s.Init(i);
    return s;
  }
  CShip& player() { return *Ships[0]; }
  HudProbe probe() { return HudProbe{*GameInterface}; }
  static const void* tex(Integer handle) { return TexSlots[static_cast<size_t>(handle)].object.get(); }
  void clear() { D3DDevice->ClearRecordedCalls(); }

  std::vector<Draw> draws() const {
    std::vector<Draw> out;
    const void* texture = nullptr;
    const void* font = tex(TexFontDDS);
    bool inText = false;
    for (const D3DCall& c : D3DDevice->RecordedCalls()) {
      if (c.kind == D3DCallKind::SetTexture && c.a == 0) texture = c.object;
      if (c.kind == D3DCallKind::SpriteEnd) inText = false;
      if (c.kind == D3DCallKind::DrawPrimitiveUP && c.b == 28 && c.bytes.size() == 4 * 28) {
        ScreenVertex v[4];
        std::memcpy(v, c.bytes.data(), sizeof v);
        Draw d;
        d.kind = Draw::Quad;
        d.texture = texture;
        d.colour = v[0].color;
        d.left = std::min({v[0].x, v[1].x, v[2].x, v[3].x});
        d.right = std::max({v[0].x, v[1].x, v[2].x, v[3].x});
        d.top = std::min({v[0].y, v[1].y, v[2].y, v[3].y});
        d.bottom = std::max({v[0].y, v[1].y, v[2].y, v[3].y});
        d.src.left = static_cast<int32_t>(std::lround(std::min({v[0].u, v[1].u, v[2].u, v[3].u}) * 256));
        d.src.top = static_cast<int32_t>(std::lround(std::min({v[0].v, v[1].v, v[2].v, v[3].v}) * 256));
        out.push_back(d);
      }
      if (c.kind != D3DCallKind::SpriteDraw) continue;
      if (c.object == font) {
        const Integer cell = static_cast<Integer>((c.rect.top / 36) * 8 + c.rect.left / 32);
        char ch = '?';
        for (int k = 32; k < 127; ++k)
          if ((k < 'A' || k > 'Z') && CText::getCharCell(static_cast<char>(k)) == cell) {
            ch = static_cast<char>(k);
            break;
          }
        if (!inText) {
          Draw d;
          d.kind = Draw::Text;
          d.colour = c.color;
          d.left = c.matrix.m[3][0];
          d.top = c.matrix.m[3][1];
          d.scaleX = c.matrix.m[0][0];
          out.push_back(d);
          inText = true;
        }
        out.back().text += ch;
        continue;
      }
      Draw d;
      d.kind = Draw::Sprite;
      d.texture = c.object;
      d.colour = c.color;
      d.src = c.rect;
      d.left = c.matrix.m[3][0];
      d.top = c.matrix.m[3][1];
      d.scaleX = c.matrix.m[0][0];
      d.scaleY = c.matrix.m[1][1];
      out.push_back(d);
    }
    return out;
  }
  std::vector<Draw> of(Integer handle, Draw::Kind kind = Draw::Quad) const {
    std::vector<Draw> out;
    for (const Draw& d : draws())
      if (d.kind == kind && d.texture == tex(handle)) out.push_back(d);
    return out;
  }
  std::vector<Draw> untextured() const {
    std::vector<Draw> out;
    for (const Draw& d : draws())
      if (d.kind == Draw::Quad && d.texture == nullptr) out.push_back(d);
    return out;
  }
  // The text drawn whose glyphs (spaces left out) read text; fails the test when none.
  Draw text(const std::string& t) const {
    for (const Draw& d : draws())
      if (d.kind == Draw::Text && d.text == noSpaces(t)) return d;
    ADD_FAILURE() << "no text \"" << t << "\"";
    return Draw{};
  }
  bool hasText(const std::string& t) const {
    for (const Draw& d : draws())
      if (d.kind == Draw::Text && d.text == noSpaces(t)) return true;
    return false;
  }

  GameWindow window_;
};

// ---- grey fade, cursor, aim marker ----

TEST_F(HudTest, GrayOutPicksTheShadeByLevelAndCoversTheScreen) {
  struct Case {
    Single level;
    int shade;
  } cases[] = {{0, 0}, {0.1f, 2}, {0.8f, 12}, {1, 14}, {3, 14}, {-0.5f, 0}, {1e9f, 14}};
  for (const Case& c : cases) {
    clear();
    probe().GrayOut(c.level);
    const auto sprites = of(FadeTex[static_cast<size_t>(c.shade)], Draw::Sprite);
    ASSERT_EQ(sprites.size(), 1u) << "level " << c.level;
    EXPECT_EQ(sprites[0].scaleX, 800);
    EXPECT_EQ(sprites[0].scaleY, 600);
    EXPECT_EQ(sprites[0].left, 0);
    EXPECT_EQ(sprites[0].src.right, 1);
    EXPECT_EQ(draws().size(), 1u) << "level " << c.level;
  }
  // A failure inside is reported and the frame goes on.
  DevMode = true;
  DxSprite.reset();
  EXPECT_NO_THROW(probe().GrayOut(0.5f));
  DevMode = false;
  bool reported = false;
  for (const std::string& l : MsgLog) reported = reported || l.rfind("Error in CInterface.GrayOut: ", 0) == 0;
  EXPECT_TRUE(reported);
}

TEST_F(HudTest, TheCursorClearsTheAimMarkerFlag) {
  probe().aimMarkerOn() = true;
  PointerX = 120, PointerY = 80;
  probe().drawCursor();
  const auto s = of(TexPointer, Draw::Sprite);
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].left, 120);
  EXPECT_EQ(s[0].top, 80);
  EXPECT_FALSE(probe().aimMarkerOn());
}

TEST_F(HudTest, AimMarkerDrawsThreePointsTwoInClassicViewAndFlashesRed) {
  player().r = 1.57f;
  probe().hudClock() = 0;
  MatProj.m[0][0] = MatProj.m[1][1] = MatProj.m[2][2] = 1.0f / 20000;  // every point on the screen
  probe().drawAimMarker();
  size_t drawn = 0;
  for (const Integer h : CrosshairTex) drawn += of(h).size();
  EXPECT_EQ(drawn, 3u);
  // Each image covers the 64-pixel square centred on its stored point, in grey c = 25 sin(1.2 i) + 150.
  const auto second = of(CrosshairTex[1]);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].right - second[0].left, 64);
  EXPECT_NEAR(second[0].left + 32, probe().xhairPoints()[1].x, 0.51);
  EXPECT_NEAR(second[0].top + 32, probe().xhairPoints()[1].y, 0.51);
  const int c = CInt(std::sin(1.2) * 25 + 150);
  EXPECT_TRUE(rgbIs(second[0], c, c, c));

  clear();
  ClassicView = true;
  probe().drawAimMarker();
  EXPECT_TRUE(of(CrosshairTex[0]).empty());
  EXPECT_EQ(of(CrosshairTex[1]).size() + of(CrosshairTex[2]).size(), 2u);

  clear();
  ClassicView = false;
  probe().xhairRed() = 1.0f;
  FrameTime = 0.01;
  probe().drawAimMarker();
  const auto copies = of(CrosshairTex[2]);
  ASSERT_EQ(copies.size(), 5u);  // the image and four red copies, each 4 pixels larger
  EXPECT_EQ(copies[4].right - copies[4].left, 80);
  EXPECT_NEAR(copies[1].r(), 0.9 * 255, 1);  // lowered by 0.05 after each drawn point
  EXPECT_EQ(copies[1].g(), 0);
  EXPECT_NEAR(probe().xhairRed(), 1.0 - 3 * 0.05, 1e-5);
}

TEST_F(HudTest, APassEndsWithTheAimMarkerOnlyWhenNoCursorWasDrawn) {
  // Free flight shows the marker; the status screen, the warp map opening or closing, and the
  // follow-mouse cursor of the classic view draw a cursor and no marker.
  MatProj.m[0][0] = MatProj.m[1][1] = MatProj.m[2][2] = 1.0f / 20000;
  player().r = 1.57f;
  struct Case {
    const char* what;
    Single overlay;
    bool status, classicFollow, marker;
  } cases[] = {
      {"free flight", 0, false, false, true},
      {"status screen open", 1.0f, true, false, false},
      {"status screen opening", 0.3f, true, false, false},
      {"warp map open", 1.0f, false, false, false},
      {"warp map opening", 0.3f, false, false, false},
      {"warp map closing", 1.5f, false, false, false},
      {"follow-mouse cursor", 0, false, true, false},
  };
  DevMode = true;  // a trapped error reaches the log
  World = std::make_shared<CWorld>();
  World->AddNode("Here", "here", 0, 0, "", 0, 0, 0);
  World->CurrentNode = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GameInterface = std::make_shared<CInterface>();
    GameInterface->Window = msNone;
    probe().overlayFrame() = c.overlay;
    probe().overlayIsStatus() = c.status;
    ClassicView = FollowMouse = c.classicFollow;
    MsgCount = 0;
    clear();
    GameInterface->Render();
    size_t marks = 0;
    for (const Integer h : CrosshairTex) marks += of(h).size();
    EXPECT_EQ(marks, c.marker ? 3u : 0u);
    EXPECT_EQ(of(TexPointer, Draw::Sprite).size(), c.marker ? 0u : 1u);
    for (int i = 0; i < MsgCount; ++i)  // the pass ran to its end (the node box may miss its map file)
      EXPECT_NE(MsgLog[static_cast<size_t>(i)].rfind("Error in Interface.Render", 0), 0u) << MsgLog[i];
  }
  FollowMouse = DevMode = false;
  World.reset();
}

// ---- blink, status and mother-ship panels ----

TEST_F(HudTest, LowArmourBlinksWhiteOneTenthInEveryThreeTenths) {
  CShip& mother = ready(1);
  MotherShip = 1;
  mother.Armor = 80;  // 20 %
  struct Case {
    Single clock;
    bool white;
  } cases[] = {{0.05f, true}, {0.15f, false}, {0.25f, false}, {0.35f, true}, {12.04f, true}, {12.14f, false}};
  for (const Case& c : cases) {
    clear();
    probe().hudClock() = c.clock;
    probe().drawMotherShipHud();
    const auto bars = untextured();
    ASSERT_EQ(bars.size(), 2u);
    const Draw& armour = bars[1];
    EXPECT_EQ(armour.top, 600 - 165);
    EXPECT_EQ(armour.right, 15 + 24);  // 120 x 0.2
    if (c.white) {
      EXPECT_TRUE(rgbIs(armour, 255, 255, 255)) << "clock " << c.clock;
    } else {
      EXPECT_TRUE(rgbIs(armour, 0, 255, 0)) << "clock " << c.clock;
    }
  }
  // At a quarter and above nothing blinks.
  mother.Armor = 100;
  clear();
  probe().hudClock() = 0.05f;
  probe().drawMotherShipHud();
  EXPECT_TRUE(rgbIs(untextured()[1], 0, 255, 0));
  EXPECT_TRUE(rgbIs(text("mother ship"), 255, 255, 255));
}

TEST_F(HudTest, MotherShipLeftOnAnotherNodeShowsItsNodeOnly) {
  MotherNodePath = "far";
  MotherNodeTitle = "far away";
  probe().drawMotherShipHud();
  EXPECT_TRUE(rgbIs(text("mother ship at:"), 255, 255, 255));
  EXPECT_TRUE(rgbIs(text("far away"), 255, 255, 0));
  EXPECT_TRUE(untextured().empty());
}

TEST_F(HudTest, GaugeLightsFromTheLeftEndAndDimsTheRest) {
  struct Case {
    Single value;
    size_t quads;
    int lit;  // segments 0..40 drawn in the plain or rippled colour
  } cases[] = {{0, 0, 0}, {-1, 0, 0}, {1, 42, 41}, {0.5f, 42, 21}};
  for (const Case& c : cases) {
    clear();
    probe().drawGauge(c.value, 0, 255, 0);
    const auto segs = of(TexBar);
    ASSERT_EQ(segs.size(), c.quads) << "value " << c.value;
    if (c.quads == 0) continue;
    int lit = 0;
    for (size_t i = 0; i <= 40; ++i) {
      if (segs[i].g() == 255) ++lit;
      else EXPECT_TRUE(rgbIs(segs[i], 0, 21, 0)) << "segment " << i;  // 255 / 12 rounded
    }
    EXPECT_EQ(lit, c.lit) << "value " << c.value;
    EXPECT_TRUE(rgbIs(segs[41], 0, 255, 0));  // the needle
  }
  // The needle of a half-full gauge sits at 3.14 - 0.785 about the centre (100, 100), radius 50.
  clear();
  probe().drawGauge(0.5f, 0, 255, 0);
  const Draw needle = of(TexBar)[41];
  EXPECT_NEAR((needle.left + needle.right) / 2, 100 + 50 * std::cos(3.14 - 0.785), 0.01);
  EXPECT_NEAR((needle.top + needle.bottom) / 2, 100 - 50 * std::sin(3.14 - 0.785), 0.01);
}

TEST_F(HudTest, StatusPanelShowsFuelInUnitsOf500GreyWhenLow) {
  player().Fuel = 2600;
  probe().drawStatusHud();
  EXPECT_TRUE(rgbIs(text("5"), 0, 255, 0));
  EXPECT_TRUE(rgbIs(of(TexGas, Draw::Sprite).at(0), 0, 255, 0));
  EXPECT_EQ(of(TexBar).size(), 2u * 42);  // shields and armour full; no boost yet
  clear();
  player().Fuel = 499;
  probe().drawStatusHud();
  EXPECT_TRUE(rgbIs(text("0"), 120, 120, 120));
}

// ---- action and secondary panels ----

TEST_F(HudTest, ActionPanelNamesTheActionInItsColour) {
  struct Case {
    Long action;
    const char* word;
    int r, g, b;
  } cases[] = {{0, "none", 120, 120, 120},     {1, "hyperspace", 0, 255, 0}, {2, "land", 0, 255, 0},
               {3, "tractor", 0, 255, 0},      {4, "dock", 0, 255, 0},       {5, "slomo on", 255, 255, 0},
               {6, "slomo off", 255, 255, 0},  {9, "none", 120, 120, 120}};
  for (const Case& c : cases) {
    clear();
    GameInterface->iAction = c.action;
    probe().drawActionHud();
    EXPECT_TRUE(rgbIs(text(c.word), c.r, c.g, c.b)) << c.word;
    EXPECT_TRUE(hasText("action"));
  }
}

TEST_F(HudTest, ActionChangeSwellsTheWordAndBulletTimeBarFollowsTheCharge) {
  GameInterface->iAction = 2;
  probe().drawActionHud();  // changed: pulse 0.22 - 0.02
  EXPECT_NEAR(text("land").scaleX, 0.6 + std::sin(10 * 0.2) / 6, 1e-4);
  for (int k = 0; k < 20; ++k) probe().drawActionHud();
  clear();
  probe().drawActionHud();
  EXPECT_NEAR(text("land").scaleX, 0.6, 1e-6);
  EXPECT_TRUE(untextured().empty());  // no bar outside slow motion

  GameInterface->iAction = 5;
  struct Case {
    double charge;
    int right;
    int g;
  } cases[] = {{0.3, 172, 0}, {0.31, 172, 255}, {2.0, 240, 255}};
  for (const Case& c : cases) {
    clear();
    BulletTimeCharge = c.charge;
    probe().drawActionHud();
    const auto bar = untextured();
    ASSERT_EQ(bar.size(), 1u);
    EXPECT_EQ(bar[0].left, 160);
    EXPECT_EQ(bar[0].right, c.right);
    EXPECT_EQ(bar[0].top, 600 - 16);
    EXPECT_TRUE(rgbIs(bar[0], 255, c.g, 0)) << "charge " << c.charge;
  }
}

TEST_F(HudTest, BayPanelShowsTheChosenFleetShipOrADash) {
  ShipDefs.clear();
  ShipDefs.push_back(std::make_shared<CShipDef>());
  ShipDefs[0]->ShipTitle = "space galleon";
  for (auto& sp : SubPlayers) {
    sp = std::make_shared<CPlayer>();
    sp->ShipType = -1;
  }
  probe().spawnChoice() = 1;
  probe().drawBayHud();
  EXPECT_TRUE(rgbIs(text("-"), 120, 120, 120));
  clear();
  SubPlayers[1]->ShipType = 0;
  probe().drawBayHud();
  EXPECT_TRUE(rgbIs(text("space"), 0, 255, 0));
  EXPECT_TRUE(rgbIs(text("galleon"), 0, 255, 0));
  EXPECT_TRUE(hasText("bay"));
  ShipDefs.clear();
}

TEST_F(HudTest, SecondaryPanelWithoutAWeaponSaysSoAndDestinationUnknownWithoutARoute) {
  probe().drawSecondaryHud();
  EXPECT_TRUE(rgbIs(text("no weapon"), 120, 120, 120));
  clear();
  probe().drawDestinationHud();
  EXPECT_TRUE(rgbIs(text("destination"), 255, 255, 255));
  EXPECT_TRUE(rgbIs(text("unknown"), 120, 120, 120));
}

TEST_F(HudTest, SecondaryPanelHandsTheChoiceToTheGunnerAndColoursTheCount) {
  probe().chosenSecondary() = 2;  // the gunner takes it up through checkWeaponSwitch
  struct Case {
    Integer ammo;
    int r, g, b;
  } cases[] = {{0, 255, 0, 0}, {1, 255, 255, 0}, {5, 255, 255, 0}, {6, 0, 255, 0}, {99, 0, 255, 0}};
  for (const Case& c : cases) {
    clear();
    player().setSecondaryAmmo(2, c.ammo);
    probe().drawSecondaryHud();
    EXPECT_EQ(player().getSecondaryWeapon(), 2);
    EXPECT_TRUE(rgbIs(text("bolts"), 255, 255, 255));
    EXPECT_TRUE(rgbIs(text(std::to_string(c.ammo)), c.r, c.g, c.b)) << c.ammo;
  }
}

TEST_F(HudTest, TargetPanelColoursTheTargetAndShowsItsBars) {
  probe().drawTargetHud();
  EXPECT_TRUE(rgbIs(text("no target"), 120, 120, 120));
  EXPECT_TRUE(hasText("target"));
  EXPECT_TRUE(untextured().empty());  // no bars without a target

  CShip& t = ready(2);
  t.IsBounty = 5;  // named by its bounty record
  player().SecondaryTarget = 2;
  GameInterface->setAimShields(0.5f);
  GameInterface->setAimArmor(0.25f);
  struct Case {
    bool hostile, wreck, meeting;
    int r, g, b;
  } cases[] = {{true, false, false, 255, 0, 0},
               {false, false, false, 0, 255, 0},
               {false, false, true, 255, 255, 0},
               {true, true, false, 120, 120, 120}};
  for (const Case& c : cases) {
    clear();
    t.setAIHostile(0, c.hostile);
    t.Armor = c.wreck ? -1 : 100;
    t.Meeter = c.meeting ? 0 : -1;
    probe().drawTargetHud();
    EXPECT_TRUE(rgbIs(text("hud bed"), c.r, c.g, c.b)) << c.r << c.g << c.b;
    EXPECT_FALSE(hasText("no target"));
    const auto bars = untextured();
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0].right - bars[0].left, 65);  // 130 x 0.5
    EXPECT_EQ(bars[0].top, 600 - 140);
    EXPECT_EQ(bars[1].right - bars[1].left, 32);  // 130 x 0.25 = 32.5: the edge 42.5 rounds to even, 42
    EXPECT_EQ(bars[1].g(), 255);
  }
}

// ---- radar and markers ----

TEST_F(HudTest, RadarPlacesShipsByOffsetAndColoursThemByHostility) {
  Player->HasHud20 = true;
  player().x = 1000, player().y = 2000;
  CShip& hostile = ready(1);
  hostile.x = 2000, hostile.y = 2500;  // +1000 east, +500 north
  hostile.setAIHostile(0, true);
  CShip& friendly = ready(2);
  friendly.x = 1000, friendly.y = 2000 + 5999;
  CShip& edge = ready(3);
  edge.x = 1000 + 6000, edge.y = 2000;  // exactly 6000 away: not shown
  player().SecondaryTarget = 1;

  ClassicView = true;
  probe().drawRadar();
  auto dots = of(TexStar);
  ASSERT_EQ(dots.size(), 3u);
  EXPECT_EQ(dots[0].left, 73);  // the player at the centre, white
  EXPECT_EQ(dots[0].top, 73);
  EXPECT_TRUE(rgbIs(dots[0], 255, 255, 255));
  EXPECT_EQ(dots[1].left, 83);  // 75 + 10 - 2
  EXPECT_EQ(dots[1].top, 68);   // 75 - 5 - 2
  EXPECT_EQ(dots[1].right - dots[1].left, 4);
  EXPECT_TRUE(rgbIs(dots[1], 255, 0, 0));
  EXPECT_EQ(dots[2].top, 75 - 60 - 2);
  EXPECT_TRUE(rgbIs(dots[2], 0, 255, 0));
  const auto box = of(TexTarget);  // the target's box, 26 x 26, grey
  ASSERT_EQ(box.size(), 1u);
  EXPECT_EQ(box[0].left, 83 - 11);
  EXPECT_EQ(box[0].right, 83 + 15);
  EXPECT_TRUE(rgbIs(box[0], 100, 100, 100));
  EXPECT_EQ(GameInterface->TargRender, 1);
  EXPECT_TRUE(hasText("radar"));

  // Arcade view turns with the heading: a ship straight east with heading 0 lies right of the centre;
  // a ship straight north lies above it.
  clear();
  ClassicView = false;
  hostile.x = 2000, hostile.y = 2000;
  friendly.x = 1000, friendly.y = 3000;
  probe().drawRadar();
  dots = of(TexStar);
  ASSERT_EQ(dots.size(), 3u);
  EXPECT_EQ(dots[1].left, 83);
  EXPECT_EQ(dots[1].top, 73);
  EXPECT_EQ(dots[2].left, 73);
  EXPECT_EQ(dots[2].top, 63);
}

TEST_F(HudTest, RadarNeedsTheHud20PartButTargetViewFollowsTheTargetAlways) {
  ready(4);
  player().SecondaryTarget = 4;
  probe().drawRadar();
  EXPECT_TRUE(draws().empty());
  EXPECT_EQ(GameInterface->TargRender, 4);
  Ships[4]->Exists = false;
  probe().drawRadar();
  EXPECT_EQ(GameInterface->TargRender, -1);
  player().SecondaryTarget = -1;  // no target: kept
  GameInterface->TargRender = 7;
  probe().drawRadar();
  EXPECT_EQ(GameInterface->TargRender, 7);
}

TEST_F(HudTest, TargetMarkerColourFollowsHostilityAndWrecks) {
  CShip& t = ready(1);
  probe().aimPoint() = D3DVECTOR{400, 300, 0.999f};  // brackets of half-size 30
  struct Case {
    bool target, hostile, wreck;
    int r, g, b;
  } cases[] = {{false, false, false, 15, 15, 15},
               {true, true, false, 255, 15, 15},
               {true, false, false, 15, 255, 15},
               {true, true, true, 100, 100, 100}};
  for (const Case& c : cases) {
    clear();
    player().SecondaryTarget = c.target ? 1 : -1;
    t.setAIHostile(0, c.hostile);
    t.Armor = c.wreck ? -5 : 100;
    probe().drawTargetDistance();
    const auto q = of(TexTarget);
    ASSERT_EQ(q.size(), 4u);
    for (const Draw& d : q) EXPECT_TRUE(rgbIs(d, c.r, c.g, c.b));
    EXPECT_NEAR(q[0].left, 370, 0.5);  // (1 - z) x 30000 = 30
    EXPECT_NEAR(q[3].right, 430, 0.5);
  }
}

TEST_F(HudTest, TargetMarkerBehindTheCameraBecomesAnEdgeArrow) {
  probe().aimPoint() = D3DVECTOR{100, 200, 1.2f};
  probe().drawTargetDistance();
  EXPECT_TRUE(of(TexTarget).empty());
  const auto arrow = of(TexPoint);
  ASSERT_EQ(arrow.size(), 1u);
  EXPECT_EQ(probe().aimPoint().x, 800 - 64);  // mirrored to 700, then put on the right edge
  EXPECT_EQ(probe().aimPoint().y, 400);
  EXPECT_NEAR((arrow[0].left + arrow[0].right) / 2, 736, 0.05);
}

TEST_F(HudTest, OtherShipMarkersSkipTheTargetAndFarFriendsAndDimTheirColours) {
  // Identity projection: a ship at (x, height, z) lands at ((x + 1) 400, (1 - height) 300), depth z.
  player().x = -100000;  // far from every ship
  auto at = [&](Integer i, Single x, Single z, Long body = sbCar) -> CShip& {
    CShip& s = ready(i, body);
    s.x = x, s.e = 0, s.y = z;
    return s;
  };
  at(1, -0.5f, 0.999f).setAIHostile(0, true);  // hostile, far: marked
  at(2, 0.5f, 0.999f);                         // friendly, far: not marked
  at(3, 0, 0.999f).setAIHostile(0, true);      // the target: never marked here
  player().SecondaryTarget = 3;
  probe().drawShipMarkers();
  auto q = of(TexTarget);
  ASSERT_EQ(q.size(), 4u);
  EXPECT_TRUE(rgbIs(q[0], 60, 15, 15));
  EXPECT_NEAR(q[0].left, 200 - 30, 0.5);

  clear();
  player().x = 0;  // now every ship is near
  Ships[1]->Armor = -1;
  probe().drawShipMarkers();
  q = of(TexTarget);
  ASSERT_EQ(q.size(), 8u);
  EXPECT_TRUE(rgbIs(q[0], 30, 30, 30));  // the wreck
  EXPECT_TRUE(rgbIs(q[4], 15, 60, 15));  // the friend

  // A capital ship's brackets are three times as large at the same depth.
  clear();
  Ships[1]->Exists = false;
  at(2, 0.5f, 0.999f, sbCapital);
  probe().drawShipMarkers();
  q = of(TexTarget);
  ASSERT_EQ(q.size(), 4u);
  EXPECT_NEAR(q[0].left, 600 - 90, 0.5);
}

TEST_F(HudTest, DistanceReadsWithFourDigitsAndTwoDecimals) {
  // Brackets of half-size 20 at (400, 300); the distance ends at x + s, from y + s.
  struct Case {
    Single dist;
    const char* shown;
  } cases[] = {{12.5f, "0012.50"}, {12345.678f, "12345.68"}, {0, "0000.00"}};
  for (const Case& c : cases) {
    clear();
    probe().aimPoint() = D3DVECTOR{400, 300, 0.5f};
    GameInterface->setAimDist(c.dist);
    probe().drawTargetDistance();
    // BltText draws with the additive font: its glyphs are screen quads of TexFont, in reading order.
    std::string read;
    for (const Draw& g : of(TexFont)) {
      const Integer cell = static_cast<Integer>((g.src.top / 36) * 8 + g.src.left / 32);
      for (char ch : std::string("0123456789.")) if (CText::getCharCell(ch) == cell) read += ch;
    }
    EXPECT_EQ(read, c.shown);
  }
}

// ---- combos ----

class ComboTest : public HudTest {
 protected:
  // Counts hits and deflections over as many panel passes as needed (at most 20 hits a pass).
  void feed(int hits, int deflections) {
    while (hits > 0 || deflections > 0) {
      for (int k = 0; k < 20 && hits > 0; ++k, --hits) GameInterface->addCombo(false);
      for (; deflections > 0; --deflections) GameInterface->addCombo(true);
      FrameTime = 0.01;
      probe().RenderCombo();
    }
  }
};

TEST_F(ComboTest, RatingWordsAndBonusesFollowTheScore) {
  struct Case {
    int hits, deflections;
    const char* word;
    bool bonus;
  } cases[] = {{9, 0, "", false},
               {10, 0, "nice!", false},
               {49, 0, "excellent!", false},
               {50, 0, "destructozilla!", true},
               {3, 10, "smashtastic!", true},
               {150, 0, "combolicious!", true},
               {3, 20, "crazy insano!", true},
               {3, 50, "monster manic!", true},
               {3, 100, "smashing combo!!!", true}};
  for (const Case& c : cases) {
    GameInterface = std::make_shared<CInterface>();
    feed(c.hits, c.deflections);
    clear();
    probe().RenderCombo();
    EXPECT_EQ(probe().comboWord(), c.word) << c.hits << " hits, " << c.deflections << " deflections";
    EXPECT_EQ(probe().comboBonusTimer() > 0, c.bonus) << c.word;
    if (*c.word) {
      EXPECT_TRUE(hasText(c.word)) << c.word;
    }
    EXPECT_TRUE(hasText(std::to_string(c.hits) + " hits!"));
  }
}

// The combo panel slides in under the destination panel's corner, never beneath it: its backdrop
// (swelling on a hit or at rest) and its lines start below the destination panel and its rim.
TEST_F(ComboTest, ThePanelLiesBelowTheDestinationPanel) {
  probe().drawDestinationHud();
  Single panelBottom = 0;
  for (const Draw& d : draws())  // the panel's slices, rim included
    if (d.kind == Draw::Sprite && d.texture == tex(TexRounded))
      panelBottom = std::max(panelBottom, d.top + (d.src.bottom - d.src.top) * d.scaleY);
  ASSERT_GE(panelBottom, 85);
  feed(3, 0);
  FrameTime = 0.01;
  while (probe().comboSlide() < 150) probe().RenderCombo();
  for (const double ft : {0.01, 0.5}) {  // the timer above 0.9 (the swell), then below
    FrameTime = ft;
    clear();
    probe().RenderCombo();
    ASSERT_TRUE(hasText("combo!"));
    int shown = 0;
    for (const Draw& d : draws()) {
      if (d.kind == Draw::Quad) continue;
      ++shown;
      EXPECT_GE(d.top, panelBottom) << (d.kind == Draw::Text ? "\"" + d.text + "\"" : "the backdrop")
                                    << " reaches under the destination panel (timer " << probe().comboTimer()
                                    << ")";
    }
    EXPECT_GE(shown, 3);
  }
}

TEST_F(ComboTest, AtMostTwentyHitsCountPerPassDeflectionsAllCount) {
  for (int k = 0; k < 25; ++k) GameInterface->addCombo(false);
  for (int k = 0; k < 25; ++k) GameInterface->addCombo(true);
  EXPECT_EQ(probe().comboHits(), 20);
  EXPECT_EQ(probe().comboDeflections(), 25);
  probe().RenderCombo();
  GameInterface->addCombo(false);
  EXPECT_EQ(probe().comboHits(), 21);
}

TEST_F(ComboTest, TimerRunsFourSecondsThenThePanelSlidesOut) {
  feed(3, 0);
  EXPECT_GT(probe().comboSlide(), 0);
  struct Step {
    double ft;
    Single timer;
  } steps[] = {{1.0, 1.0f - 0.0025f - 0.25f}, {2.0, 1.0f - 0.0025f - 0.75f}};
  for (const Step& s : steps) {
    FrameTime = s.ft;
    probe().RenderCombo();
    EXPECT_NEAR(probe().comboTimer(), s.timer, 1e-4);
    EXPECT_TRUE(probe().comboRunning());
    EXPECT_EQ(probe().comboSlide(), 150);
  }
  // 0.2475 left at a quarter per second: the tenth pass of 0.1 s ends it and starts the slide out.
  FrameTime = 0.1;
  int passes = 0;
  while (probe().comboRunning() && passes < 20) {
    probe().RenderCombo();
    ++passes;
  }
  EXPECT_EQ(passes, 10);
  EXPECT_NEAR(probe().comboSlide(), 100, 1e-3);
  probe().RenderCombo();
  EXPECT_NEAR(probe().comboSlide(), 50, 1e-3);
  EXPECT_EQ(probe().comboHits(), 3);  // the counts stay until the next combo
  // Deflections alone never bring the panel in, so no rating and no bonus.
  GameInterface = std::make_shared<CInterface>();
  feed(2, 40);
  EXPECT_LE(probe().comboSlide(), 0);
  EXPECT_EQ(probe().comboWord(), "");
  EXPECT_EQ(probe().comboBonusTimer(), 0);
}

TEST_F(ComboTest, BonusesClampToMaximaAndTouchOnlyCarriedWeapons) {
  CShip& p = player();
  p.setSecondary(0, true);
  p.setSecondaryAmmo(0, 98);
  p.setSecondary(2, false);
  p.setSecondaryAmmo(2, 5);
  p.setSecondary(7, true);
  p.setSecondaryAmmo(7, 99);
  probe().giveComboBonus(5);
  EXPECT_EQ(p.getSecondaryAmmo(0), 99);
  EXPECT_EQ(p.getSecondaryAmmo(2), 5);
  EXPECT_EQ(p.getSecondaryAmmo(7), 99);
  EXPECT_EQ(p.Shields, p.getMaxShields());
  EXPECT_EQ(p.Armor, p.getMaxArmor());
  EXPECT_EQ(probe().comboBonusText(), "hyper rejuvenation!");
  EXPECT_EQ(probe().comboBonusTimer(), 2.0f);
  for (Integer level = 0; level <= 2; ++level) {
    probe().giveComboBonus(level);
    EXPECT_EQ(p.Shields, p.getMaxShields());
    EXPECT_EQ(p.Armor, p.getMaxArmor());
  }
  p.Armor = 100;
  p.Shields = 0;
  probe().giveComboBonus(1);
  EXPECT_TRUE((p.Shields == 100 && p.Armor == 100 && probe().comboBonusText() == "cool shield bonus!") ||
              (p.Shields == 0 && p.Armor == 180 && probe().comboBonusText() == "cool armor bonus!"))
      << p.Shields << " " << p.Armor << " " << probe().comboBonusText();
  probe().comboShake() = 0;
  EXPECT_EQ(probe().getComboShake(10), 0);
  probe().comboShake() = 0.5f;
  for (int k = 0; k < 50; ++k) {
    const Single j = probe().getComboShake(2);
    EXPECT_GE(j, -4.0f);
    EXPECT_LT(j, 4.0f);
  }
}

TEST_F(ComboTest, SplatterMarksStartUpToSixAndFadeInOneSecond) {
  for (int k = 0; k < 7; ++k) GameInterface->getHit();
  for (const auto& s : probe().splats()) EXPECT_EQ(s.life, 1.0f);
  FrameTime = 0.5;
  probe().RenderHitSplats();
  const auto blots = of(TexCloud);
  ASSERT_EQ(blots.size(), 6u * 7);
  const int k = CInt(std::sin(1.0) * 250);
  EXPECT_TRUE(rgbIs(blots[0], k, 0, 0));
  const auto& first = probe().splats()[0];
  EXPECT_NEAR(blots[0].right - blots[0].left, 2 * first.r[0], 1.0);
  EXPECT_EQ(first.life, 0.5f);
  probe().RenderHitSplats();
  clear();
  probe().RenderHitSplats();
  EXPECT_TRUE(of(TexCloud).empty());
}

// ---- choice lists, goods, respawn ----

TEST_F(HudTest, SecondarySwitchKeepStowsSilentlyAndOpeningRebuildsTheList) {
  Player->setSecondary(1, true);
  Player->setSecondary(4, true);
  Player->setSecondary(9, true);  // never offered
  HudProbe p = probe();
  p.chosenSecondary() = 4;
  GameInterface->InitSecondarySwitch(-1, -1);  // keep: the landing stows the weapon
  EXPECT_EQ(GameInterface->WeaponSwitchBack, 4);
  EXPECT_EQ(p.chosenSecondary(), -1);
  EXPECT_EQ(GameInterface->SecondarySwitchFrame, 0);
  EXPECT_EQ(GameInterface->getSecondaryGoal(), -2);
  EXPECT_EQ(p.choiceList()[0], 1);
  EXPECT_EQ(p.choiceList()[1], 4);
  EXPECT_EQ(p.choiceList()[2], -1);

  GameInterface->InitSecondarySwitch(GameInterface->WeaponSwitchBack, 0);
  EXPECT_EQ(GameInterface->SecondarySwitchFrame, 2.0f);
  EXPECT_EQ(GameInterface->getSecondaryGoal(), 4);
  EXPECT_EQ(GameInterface->WeaponSwitchBack, 4);
  EXPECT_FALSE(p.choiceListIsFleet());
  // While open the list is kept even when the owned weapons change.
  Player->setSecondary(1, false);
  GameInterface->InitSecondarySwitch(1, 0);
  EXPECT_EQ(p.choiceList()[0], 1);
  EXPECT_EQ(GameInterface->getSecondaryGoal(), 1);
  // Closed: the goal reads -2 although the choice stays.
  GameInterface->SecondarySwitchFrame = 0;
  EXPECT_EQ(GameInterface->getSecondaryGoal(), -2);
  EXPECT_EQ(p.chosenSecondary(), 1);
}

TEST_F(HudTest, ChoiceArcEasesTowardTheChoiceWithoutPassingIt) {
  Player->setSecondary(0, true);
  Player->setSecondary(3, true);
  GameInterface->InitSecondarySwitch(3, 0);
  HudProbe p = probe();
  EXPECT_EQ(p.choiceArcPos(), -1);  // from the weapon held: none
  FrameTime = 0.02;
  probe().drawSecondaryHud();
  EXPECT_NEAR(p.choiceArcPos(), -0.2, 1e-5);  // (1 - -1) x 0.02 x 20
  EXPECT_NEAR(GameInterface->SecondarySwitchFrame, 1.98, 1e-5);
  const auto icons = of(TexWeapons, Draw::Sprite);
  ASSERT_EQ(icons.size(), 2u);
  EXPECT_EQ(icons[1].src.left, 3 * 64);
  FrameTime = 0.2;
  probe().drawSecondaryHud();
  EXPECT_EQ(p.choiceArcPos(), 1);
}

TEST_F(HudTest, SpawnListAndRespawnUseOnlyFleetMembersWithShips) {
  for (auto& sp : SubPlayers) {
    sp = std::make_shared<CPlayer>();
    sp->ShipType = -1;
  }
  SubPlayers[0]->ShipType = 11;
  SubPlayers[2]->ShipType = 19;
  HudProbe p = probe();
  GameInterface->MakeSpawnList(2);
  EXPECT_TRUE(p.choiceListIsFleet());
  EXPECT_EQ(p.choiceList()[0], 11);
  EXPECT_EQ(p.choiceList()[1], 19);
  EXPECT_EQ(p.choiceList()[2], -1);
  EXPECT_EQ(p.choiceArcPos(), 2);
  EXPECT_EQ(GameInterface->SecondarySwitchFrame, 2.0f);

  p.spawnChoice() = 1;  // no ship there
  GameInterface->Spawn(0);
  EXPECT_EQ(GameInterface->dockFrame, 0);
  p.spawnChoice() = 2;
  GameInterface->Spawn(3);  // not the player's ship
  EXPECT_EQ(GameInterface->dockFrame, 0);
  GameInterface->Spawn(0);
  EXPECT_EQ(GameInterface->dockFrame, 1.0f);
  // Held fire asks again every frame: a running change is not restarted.
  GameInterface->dockFrame = 1.6f;
  GameInterface->Spawn(0);
  EXPECT_EQ(GameInterface->dockFrame, 1.6f);
}

TEST_F(HudTest, GoodsNamesAndRowsAndSteeringStop) {
  const std::pair<Integer, const char*> names[] = {{0, "tapes"},   {1, "bananas"}, {2, "kittens"},
                                                   {3, "dairy"},   {4, "pills"},   {5, "clothes"},
                                                   {6, "paper"},   {7, "chemicals"}, {8, "unidentified"},
                                                   {-1, "unidentified"}, {32767, "unidentified"}};
  for (const auto& [k, n] : names) EXPECT_EQ(GameInterface->rscStringFromNum(k), n);

  probe().drawCargoList(2, 3, 0);
  EXPECT_TRUE(hasText("kittens"));
  EXPECT_TRUE(hasText("3"));
  clear();
  probe().drawCargoList(2, 3, 20);
  EXPECT_TRUE(hasText("kittens(3)"));
  EXPECT_TRUE(hasText("$20"));
  // A click inside the row is reported once.
  PointerX = 150, PointerY = 120;
  MouseClicked = true;
  EXPECT_TRUE(probe().drawCargoList(2, 3, 20));
  EXPECT_FALSE(probe().drawCargoList(2, 3, 20));
  EXPECT_FALSE(MouseClicked);

  player().Steering = 12;
  player().Elever = -4;
  probe().stopPlayerSteer();
  EXPECT_EQ(player().Steering, 0);
  EXPECT_EQ(player().Elever, 0);
}

}  // namespace
