// Every screen state that shows text, opened in the real game (start-up through the main loop on
// the generated content, headless on Mesa) at 640 x 480, 800 x 600 and 1024 x 768, and drawn over
// a bright and over a dark scene:
// - each text stands out from what lies behind it: the WCAG contrast ratio (relative luminance)
//   of the text's colour against the ground under its ink is at least 4.5:1 for three quarters
//   of its ink (a heading may cross a panel's light rim). The ground is the same frame drawn again
//   without glyphs; the ink is where the two frames differ, inside the glyph boxes the sprite
//   draws of the font recorded. Texts in a colour that cannot reach 4.5:1 on any dark ground (the
//   dimmed greys of disabled and waiting rows and empty-list notes: (100, 100, 100) reaches at
//   most 3.54:1, on black) must lie on a ground at least nine tenths as dark as black gives them;
// - every glyph's ink and every panel lies inside the screen (only a panel whose rectangle lies
//   on a screen edge, as the HUD panels do, has its 5-pixel rim beyond it; the status strip slides
//   sideways, so its panels are checked only from top to bottom while its texts, at either end of
//   the strip and half-way, lie wholly inside; on the warp map, whose node names scroll past the
//   edges, only the panels and the node box);
// - the warp map's node box (panel, title, description) lies wholly inside the screen, its rim
//   included, and hides none of the nodes the map shows; the status screen's fixed lines (title,
//   cash) stay clear of the HUD boxes under the overlay; the target panel's lines read over the
//   wire model of the target view (the views are rendered for the screens with a target);
// - the status gauges show their blue, green and orange as saturated colours over either scene.
// Each screen's worst figure and the worst of all are printed; with QV_SCREEN_DUMP set to a folder
// every measured frame is written there as a PPM picture. A second test checks that the panels
// keep the looks of buttons and list rows apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "campaign/CMissionControl.h"
#include "campaign/CNews.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/modDirectX.h"
#include "game/LoaderMod.h"
#include "game/TargMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "platform/Direct3D.h"
#include "runtime/ItemFile.h"
#include "runtime/Paths.h"
#include "runtime/Strings.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "tests/support/GamePixel.h"
#include "tests/support/GameRunFixture.h"
#include "tests/support/PixelDevice.h"

// The interface's private members the screens are opened with.
class CInterfaceProbe {
 public:
  static void reset(CInterface& g) {
    g.overlayFrame = 0;
    g.fadeLevel = 0;
    g.talkTimer = 0;
    g.dockFrame = 0;
    g.hudClock = 0.15f;  // outside the low-value blink
    g.keyRemapping = -1;
    g.shipyardFleetMode = false;
    g.bountyMsgTimer = 0;
    g.saveIconTimer = 0;
    g.cashPopTimer.fill(0);
  }
  static void openOverlay(CInterface& g, bool status) {
    g.overlayIsStatus = status;
    g.overlayFrame = 1.0f;
  }
  static void fullTalkBox(CInterface& g) { g.talkAge = 0.5f; }
  static void startNewCampaign(CInterface& g) {
    g.startNewCampaign();
    g.fadeLevel = 0;
  }
  static void loadDriverPortraits(CInterface& g) { g.LoadNewGameDriverPortraits(); }
  static void pending(CInterface& g, Integer ship, Long price, Integer slot) {
    g.pendingShipType = ship;
    g.pendingPrice = price;
    g.pendingSlot = slot;
  }
  static void fleetMode(CInterface& g) { g.shipyardFleetMode = true; }
  static void slot(CInterface& g, Integer s) {
    g.curSlot = s;
    g.slotPreviewStale = true;
  }
  // Slide k shown one unit after its start, with its picture.
  static void introSlide(CInterface& g, Integer k) {
    g.introClock = 8.0 * k + 1.5;
    TexMon->forceReplace(TexHomeMap, "\\gfx\\intro\\" + g.introPictures.at(static_cast<size_t>(k)));
  }
  static void readIntro(CInterface& g) { g.ReadIntroMsg(); }
  static void chosenMission(CInterface& g, Integer k) { g.chosenMission = k; }
  static bool button(CInterface& g, Single x, Single y, Single w, const std::string& caption, bool disabled) {
    return g.drawButton(x, y, w, caption, disabled);
  }
  static bool listRow(CInterface& g, Single x, Single y, Single w, Single h, bool selected) {
    return g.drawListRow(x, y, w, h, "", selected, false);
  }
  static void tinted(CInterface& g, Single x1, Single y1, Single x2, Single y2, Integer r, Integer gr, Integer b) {
    g.drawPanel(x1, y1, x2, y2);
    g.drawPanelEx(x1, y1, x2, y2, r, gr, b);
  }
};

class CShipProbe {
 public:
  static void tractor(CShip& s, Integer target) { s.tractorTarget = target; }
  static void nextSecondary(CShip& s) { s.nextSecondary(); }
  static void fullBoost(CShip& s) { s.boostLeft = s.boostMax; }
};

namespace {

// ---- measures ----

double linear(int c) {
  const double s = c / 255.0;
  return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
}
double luminance(int r, int g, int b) { return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b); }
double luminance(const Rgba& c) { return luminance(c.r, c.g, c.b); }
double contrast(double la, double lb) { return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05); }

// Hue in degrees 0..360 and saturation 0..1 (HSV).
void hueSat(const Rgba& c, double& hue, double& sat) {
  const int mx = std::max({c.r, c.g, c.b}), mn = std::min({c.r, c.g, c.b});
  sat = mx > 0 ? double(mx - mn) / mx : 0;
  hue = 0;
  if (mx == mn) return;
  const double d = mx - mn;
  if (mx == c.r) hue = 60 * std::fmod((c.g - c.b) / d + 6, 6.0);
  else if (mx == c.g) hue = 60 * ((c.b - c.r) / d + 2);
  else hue = 60 * ((c.r - c.g) / d + 4);
}

struct Box {
  double l = 0, t = 0, r = 0, b = 0;
};

// One run of glyphs of one colour from one text call.
struct TextRun {
  std::string text;
  Rgba colour;
  float scale = 1;
  double pen = 0;  // where the last glyph's advance ends
  std::vector<Box> ink;
};
struct PanelDraw {
  Box box;  // the outer box of its slices
};

// The ink box of each font cell (cell-local pixels), read from the font texture's alpha.
std::array<Box, 56> fontInk;
std::array<char, 56> cellChar;

void readFontInk() {
  std::vector<uint32_t> argb;
  const auto& tex = TexSlots.at(static_cast<size_t>(TexFontDDS)).object;
  ASSERT_TRUE(tex);
  ASSERT_EQ(D3DDevice->ReadTexture(*tex, argb), D3D_OK);
  const int w = tex->Width();
  for (int cell = 0; cell < 56; ++cell) {
    const RECT c = CText::cellRect(static_cast<Integer>(cell));
    Box b{1e9, 1e9, -1, -1};
    for (int y = c.top; y < c.bottom; ++y)
      for (int x = c.left; x < c.right; ++x)
        if ((argb[static_cast<size_t>(y * w + x)] >> 24) > 24) {
          b.l = std::min<double>(b.l, x - c.left);
          b.t = std::min<double>(b.t, y - c.top);
          b.r = std::max<double>(b.r, x - c.left + 1);
          b.b = std::max<double>(b.b, y - c.top + 1);
        }
    fontInk[static_cast<size_t>(cell)] = b;
  }
  cellChar.fill('?');
  for (int ch = 126; ch >= 32; --ch) {
    const Integer cell = CText::getCharCell(static_cast<char>(ch));
    if (cell >= 0) cellChar[static_cast<size_t>(cell)] = static_cast<char>(ch);
  }
}

bool isPanelTexture(const void* object) {
  for (Integer h : {TexRounded, TexRoundedL, TexRoundedW})
    if (h >= 0 && static_cast<size_t>(h) < TexSlots.size() && TexSlots[static_cast<size_t>(h)].object.get() == object)
      return true;
  return false;
}

// The texts and panels of one frame's recorded sprite draws.
void readDraws(const std::vector<D3DCall>& calls, std::vector<TextRun>& runs, std::vector<PanelDraw>& panels) {
  const void* font = TexSlots.at(static_cast<size_t>(TexFontDDS)).object.get();
  TextRun run;
  PanelDraw panel;
  bool inPanel = false;
  auto endRun = [&] {
    if (!run.ink.empty()) runs.push_back(run);
    run = TextRun{};
  };
  for (const D3DCall& c : calls) {
    if (c.kind == D3DCallKind::SpriteBegin || c.kind == D3DCallKind::SpriteEnd) {
      endRun();
      if (inPanel) panels.push_back(panel);
      inPanel = false;
      continue;
    }
    if (c.kind != D3DCallKind::SpriteDraw) continue;
    const double tx = c.matrix.m[3][0], ty = c.matrix.m[3][1], sx = c.matrix.m[0][0], sy = c.matrix.m[1][1];
    const Box dst{tx, ty, tx + (c.rect.right - c.rect.left) * sx, ty + (c.rect.bottom - c.rect.top) * sy};
    if (c.object == font) {
      const Rgba col = rgbaOf(c.color);
      if (!run.ink.empty() && (col.r != run.colour.r || col.g != run.colour.g || col.b != run.colour.b)) endRun();
      const int cell = (c.rect.top / 36) * 8 + c.rect.left / 32;
      if (cell < 0 || cell >= 56) continue;
      const Box& k = fontInk[static_cast<size_t>(cell)];
      if (k.r < 0) continue;
      const char ch = cellChar[static_cast<size_t>(cell)];
      if (!run.text.empty() && tx > run.pen + 2 * sx) run.text += ' ';
      run.pen = tx + CText::getCharWidth(ch) * sx;
      run.colour = col;
      run.scale = static_cast<float>(sx);
      run.text += ch;
      run.ink.push_back(Box{tx + k.l * sx, ty + k.t * sy, tx + k.r * sx, ty + k.b * sy});
    } else if (isPanelTexture(c.object)) {
      if (!inPanel) panel.box = dst;
      inPanel = true;
      panel.box.l = std::min(panel.box.l, dst.l);
      panel.box.t = std::min(panel.box.t, dst.t);
      panel.box.r = std::max(panel.box.r, dst.r);
      panel.box.b = std::max(panel.box.b, dst.b);
    }
  }
  endRun();
}

struct TextFigure {
  std::string text;
  Rgba colour;
  double figure = 0;  // the ratio three quarters of the ink reach
  double best = 0;    // what the colour reaches on black
  bool dimmed = false;
};

// Contrast of one run: its colour against the ground (frame b) under its ink (where frame a
// differs from b toward the colour by at least half the way). False when none of it shows: off
// the screen, under something drawn later, or under an overlay's grey-out.
bool measureRun(const TextRun& run, const PixelImage& a, const PixelImage& b, TextFigure& out) {
  const Rgba& C = run.colour;
  const double lc = luminance(C);
  std::vector<double> ratios;
  double groundL = 0;
  int groundN = 0;
  for (const Box& k : run.ink) {
    for (int y = static_cast<int>(std::floor(k.t)); y < static_cast<int>(std::ceil(k.b)); ++y)
      for (int x = static_cast<int>(std::floor(k.l)); x < static_cast<int>(std::ceil(k.r)); ++x) {
        if (!a.inside(x, y)) continue;
        const Rgba A = a.at(x, y), B = b.at(x, y);
        groundL += luminance(B);
        ++groundN;
        const double dr = C.r - B.r, dg = C.g - B.g, db = C.b - B.b;
        const double span = dr * dr + dg * dg + db * db;
        if (span < 1) continue;
        const double cov = ((A.r - B.r) * dr + (A.g - B.g) * dg + (A.b - B.b) * db) / span;
        if (cov >= 0.5) ratios.push_back(contrast(lc, luminance(B)));
      }
  }
  out.text = run.text;
  out.colour = C;
  out.best = contrast(lc, 0);
  out.dimmed = out.best < 4.5;
  if (ratios.empty()) {
    if (groundN == 0) return false;
    // No ink stands apart: the colour is the ground's own, or the text is hidden.
    const double lg = groundL / groundN;
    if (contrast(lc, lg) > 1.5) return false;
    out.figure = contrast(lc, lg);
    return true;
  }
  std::sort(ratios.begin(), ratios.end());
  out.figure = ratios[(ratios.size() - 1) / 4];
  return true;
}

bool passes(const TextFigure& f) { return f.dimmed ? f.figure >= 0.9 * f.best : f.figure >= 4.5; }

// ---- the screens ----

// What of a screen must lie inside it: everything; on the status strip, which slides sideways,
// every text and the panels from top to bottom; on the warp map, whose nodes scroll past the
// edges, the panels.
enum class Fit { Whole, Strip, Panels };

// What a screen is held to beyond its texts and panels.
enum class Extra { None, NodeBox, ClearOfHud };

struct Screen {
  const char* name;
  std::function<void(CInterface&)> open;
  Fit fit = Fit::Whole;
  bool hud = false;  // the gauges are checked
  Extra extra = Extra::None;
};

CShip& player() { return *Ships[0]; }

void readyShip(Integer i) {
  if (Ships.size() <= static_cast<size_t>(i)) Ships.resize(static_cast<size_t>(i) + 1);
  Ships[static_cast<size_t>(i)] = std::make_shared<CShip>();
  CShip& s = *Ships[static_cast<size_t>(i)];
  s.setDef(*ShipDefs.at(0));
  s.Init(i);
  s.x = player().x + 800;
  s.y = player().y;
  s.e = player().e;
}

// Ship i flies the design of that title (its model fills the target view down to the panel's
// text lines) and every slot of the target view holds its picture.
void renderTargetViews(Integer i, const char* design) {
  CShip& s = *Ships[static_cast<size_t>(i)];
  for (const auto& d : ShipDefs)
    if (d && equalsIgnoreCase(d->ShipTitle, design)) s.setDef(*d);
  ASSERT_TRUE(equalsIgnoreCase(s.getShipTitle(), design)) << design;
  s.UpdateFromDef();
  for (Integer k = 0; k < TargetSlots; ++k) {
    Integer viewer = 0, ship = i;
    RenderTarg(viewer, ship);
  }
}

void fillRecord() {
  CPlayer& p = *Player;
  p.Cash = 123456;
  p.addResource(0, 3);
  p.addResource(2, 5);
  p.HasHud20 = true;
  p.ArmorLev = 2;
  p.HasFuelDoubler = true;
  p.setBountyHunted(1, 1);
  p.setHasCheat(1, 1);
  p.setHasCheat(2, 2);
  CShip& s = player();
  s.setSecondary(0, true);
  s.setSecondaryAmmo(0, 12);
  s.setSecondary(2, true);
  s.setSecondaryAmmo(2, 3);
  s.Shields = s.getMaxShields();
  s.Armor = s.getMaxArmor();
  CShipProbe::fullBoost(s);
  World->CurrentNode = World->getNodeFromPath("losgatos");
}

std::vector<Screen> screens() {
  auto at = [](Long w) { return [w](CInterface& g) { g.Window = w; }; };
  std::vector<Screen> list = {
      {"main menu", at(msMainMenu)},
      {"options", at(msOptions)},
      {"options input", at(msOptInput)},
      {"options input, a row waits",
       [](CInterface& g) {
         g.Window = msOptInput;
         g.keyRemapping = 5;
       }},
      {"options graphics", at(msOptGraphics)},
      {"options sound", at(msOptSound)},
      {"options extra", at(msOptExtra)},
      {"status screen, left end",
       [](CInterface& g) {
         g.ToggleWarpChoose(true);
         CInterfaceProbe::openOverlay(g, true);
         PointerX = ScreenWidth / 2.0f;  // above the screen, clear of both edges: the strip stays
       },
       Fit::Strip, false, Extra::ClearOfHud},
      {"status screen, right end (page 2)",
       [](CInterface& g) {
         g.ToggleWarpChoose(true);
         CInterfaceProbe::openOverlay(g, true);
         PointerX = ScreenWidth / 2.0f;  // above the screen, clear of both edges: the strip stays
         g.sScroll = 1170 - ScreenWidth;
       },
       Fit::Strip, false, Extra::ClearOfHud},
      {"status screen, half-way",
       [](CInterface& g) {
         g.ToggleWarpChoose(true);
         CInterfaceProbe::openOverlay(g, true);
         PointerX = ScreenWidth / 2.0f;  // above the screen, clear of both edges: the strip stays
         g.sScroll = (1170 - ScreenWidth - 20) / 2.0;
       },
       Fit::Strip, false, Extra::ClearOfHud},
      {"status screen, ten-digit cash",
       [](CInterface& g) {
         CheatCash = false;  // it would pay 2000000 over it
         Player->Cash = 2000000000;
         g.ToggleWarpChoose(true);
         CInterfaceProbe::openOverlay(g, true);
         PointerX = ScreenWidth / 2.0f;  // above the screen, clear of both edges: the strip stays
       },
       Fit::Strip, false, Extra::ClearOfHud},
      {"warp map",
       [](CInterface& g) {
         g.ToggleWarpChoose(false);
         CInterfaceProbe::openOverlay(g, false);
       },
       Fit::Panels, false, Extra::NodeBox},
      {"hud", [](CInterface&) { player().SecondaryTarget = -1; }, Fit::Whole, true},
      {"hud, a hostile target",
       [](CInterface& g) {
         readyShip(1);
         Ships[1]->setAIHostile(0, true);
         player().SecondaryTarget = 1;
         CShipProbe::nextSecondary(player());
         g.iAction = 2;
         player().Fuel = 300;
         renderTargetViews(1, "blarg");
       },
       Fit::Whole, true},
      {"hud, a friendly target",
       [](CInterface&) {
         readyShip(1);
         player().SecondaryTarget = 1;
         renderTargetViews(1, "galleon carrier");
       },
       Fit::Whole, true},
      {"planet hardware",
       [](CInterface& g) {
         g.Window = msHardware;
         g.InitParts(1);
       }},
      {"trigger happy",
       [](CInterface& g) {
         g.Window = msWeaponStore;
         g.InitWeaponList(1);
       }},
      {"ultra hyper-mart", at(msHyperMart)},
      {"pleasant trading", at(msPleasantTrading)},
      {"gas blaster", at(msGasStation)},
      {"monster shipyard",
       [](CInterface& g) {
         g.Window = msShipyard;
         g.InitShipStore(1);
       }},
      {"monster shipyard, fleet",
       [](CInterface& g) {
         g.Window = msShipyard;
         g.InitShipStore(1);
         CInterfaceProbe::fleetMode(g);
       }},
      {"plunder!",
       [](CInterface& g) {
         readyShip(1);
         Ships[1]->Armor = -5;
         Ships[1]->setResource(1, 4);
         CShipProbe::tractor(player(), 1);
         g.Window = msPlunder;
       }},
      {"first galactic bank",
       [](CInterface& g) {
         g.ReadSaveList();
         CInterfaceProbe::slot(g, 0);
         g.Window = msBank;
       }},
      {"bounty office",
       [](CInterface& g) {
         g.InitBountyList();
         g.BountyMode = true;
         g.Window = msBountyOffice;
       }},
      {"news viewer",
       [](CInterface& g) {
         if (News) {
           News->NewSeg();
           News->makeTicker();
         }
         g.BountyMode = false;
         g.Window = msBountyOffice;
       }},
      {"mission control",
       [](CInterface& g) {
         g.NeedMissionReinit = true;
         g.InitMissions();
         g.Window = msMissionControl;
       }},
      {"talk box",
       [](CInterface& g) {
         g.MakeTalkBox("ninja", "hey pilot, the road to the free ports is long and the zombies are hungry. "
                                "want some gas for the trip? only thirty bucks.",
                       true, false);
         CInterfaceProbe::fullTalkBox(g);
       }},
      {"delete dialog",
       [](CInterface& g) {
         CInterfaceProbe::slot(g, 0);
         g.Window = msConfirmDelete;
       }},
      {"save dialog", at(msConfirmSave)},
      {"load dialog", at(msConfirmLoad)},
      {"purchase dialog",
       [](CInterface& g) {
         CInterfaceProbe::pending(g, 0, 25000, -1);
         g.Window = msConfirmPurchase;
       }},
      {"sell dialog",
       [](CInterface& g) {
         CInterfaceProbe::pending(g, 0, 12000, 0);
         g.Window = msConfirmSell;
       }},
      {"mission dialog",
       [](CInterface& g) {
         g.NeedMissionReinit = true;
         g.InitMissions();
         CInterfaceProbe::chosenMission(g, 0);
         g.Window = msConfirmMission;
       }},
      {"cancel mission dialog", at(msConfirmCancelMission)},
      {"wait screen",
       [](CInterface& g) {
         g.InitWaitForASec();
         g.Window = msWaitForASec;
       }},
      {"quit dialog", at(msConfirmQuit)},
      {"delete dialog (menu)", at(msConfirmDeleteMenu)},
      {"slo mo unlocked", at(msSloMoUnlocked)},
      {"cheats unlocked", at(msCheatsUnlocked)},
      {"game manager, a saved slot",
       [](CInterface& g) {
         g.ReadSaveList();
         CInterfaceProbe::slot(g, 0);
         g.Window = msGameManager;
       }},
      {"game manager, an empty slot",
       [](CInterface& g) {
         g.ReadSaveList();
         CInterfaceProbe::slot(g, 3);
         g.Window = msGameManager;
       }},
  };
  for (Integer k = 0; k < 5; ++k) {
    static const char* const names[5] = {"intro slide 1", "intro slide 2", "intro slide 3", "intro slide 4",
                                         "intro slide 5"};
    list.push_back({names[k], [k](CInterface& g) {
                      CInterfaceProbe::readIntro(g);
                      CInterfaceProbe::introSlide(g, k);
                      g.Window = msIntro;
                    }});
  }
  // The wizard last: its first page starts a new campaign record.
  const std::pair<const char*, Long> wizard[] = {
      {"new game: difficulty", msNewDifficulty}, {"new game: ship", msNewShip},
      {"new game: driver", msNewDriver},         {"new game: driver name", msNewDriverName},
      {"new game: gunner", msNewGunner},         {"new game: gunner name", msNewGunnerName},
      {"new game: save slot", msNewSaveSlot},    {"new game: all set", msNewAllSet}};
  for (const auto& [name, w] : wizard) {
    const Long state = w;
    list.push_back({name, [state](CInterface& g) {
                      if (state == msNewDifficulty) CInterfaceProbe::startNewCampaign(g);
                      if (state == msNewDriver) CInterfaceProbe::loadDriverPortraits(g);
                      if (state == msNewGunner) g.LoadNewGameGunnerPortraits();
                      if (state == msNewSaveSlot) g.ReadSaveList();
                      g.Window = state;
                    }});
  }
  return list;
}

// ---- one resolution ----

struct Backdrop {
  const char* name;
  D3DCOLOR colour;
};
const Backdrop Backdrops[2] = {{"bright", D3DColorARGB(255, 235, 244, 255)}, {"dark", D3DColorARGB(255, 0, 0, 0)}};

PixelImage drawScreen(D3DCOLOR backdrop) {
  D3DDevice->BeginScene();
  D3DDevice->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, backdrop, 1.0f, 0);
  D3DDevice->SetRenderState(D3DRS_LIGHTING, 0);
  D3DDevice->SetRenderState(D3DRS_ZENABLE, 0);
  D3DDevice->SetRenderState(D3DRS_FOGENABLE, 0);
  if (GameInterface) GameInterface->Render();
  D3DDevice->EndScene();
  PixelImage img;
  D3DDevice->ReadBackBuffer(img.argb, img.width, img.height);
  return img;
}

struct ScreenResult {
  std::string name;
  double worst = 1e9;  // over the texts held to 4.5:1
  std::string worstText;
  TextFigure dimmed;  // the dimmed text furthest below what its colour reaches on black (figure 0: none)
  std::vector<std::string> failures;
};

// A box beyond an edge of the screen is cut, except a panel's rim (rim 5) reaching exactly its
// 5 pixels past an edge the panel's rectangle lies on (the HUD panels, the talk box).
void inside(const Box& b, double rim, bool horizontal, std::vector<std::string>& failures, const std::string& what) {
  const double W = ScreenWidth, H = ScreenHeight;
  auto beyond = [rim](double over) { return over > 0.01 && !(rim > 0 && std::fabs(over - rim) <= 0.01); };
  const bool out = beyond(-b.t) || beyond(b.b - H) || (horizontal && (beyond(-b.l) || beyond(b.r - W)));
  if (!out) return;
  char buf[200];
  std::snprintf(buf, sizeof buf, "%s cut: (%.0f, %.0f)-(%.0f, %.0f) on %ldx%ld", what.c_str(), b.l, b.t, b.r, b.b,
                static_cast<long>(ScreenWidth), static_cast<long>(ScreenHeight));
  failures.push_back(buf);
}

// The gauges of the status panel, full: sampled at three segments each.
void checkGauges(const PixelImage& img, const char* backdrop, std::vector<std::string>& failures) {
  struct Gauge {
    const char* name;
    double radius, hue;
  };
  const Gauge gauges[3] = {{"shields", 100, 240}, {"armour", 80, 120}, {"boost", 60, 30}};
  const double cx = ScreenWidth - 20, cy = ScreenHeight - 15;
  for (const Gauge& g : gauges)
    for (int i : {8, 20, 32}) {
      const double a = (i / 40.0) * 1.57 + 1.57;
      // The brightest pixel near the segment's centre (the teeth leave darker gaps between).
      const int px = static_cast<int>(std::lround(cx + g.radius * std::cos(a)));
      const int py = static_cast<int>(std::lround(cy - g.radius * std::sin(a)));
      Rgba c = img.at(px, py);
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
          const Rgba n = img.at(px + dx, py + dy);
          if (n.r + n.g + n.b > c.r + c.g + c.b) c = n;
        }
      double hue = 0, sat = 0;
      hueSat(c, hue, sat);
      const double off = std::fabs(std::fmod(hue - g.hue + 540, 360.0) - 180);
      if (off > 20 || sat < 0.75 || std::max({c.r, c.g, c.b}) < 180) {
        char buf[160];
        std::snprintf(buf, sizeof buf, "%s gauge over the %s scene: (%d, %d, %d), hue %.0f, saturation %.2f", g.name,
                      backdrop, c.r, c.g, c.b, hue, sat);
        failures.push_back(buf);
      }
    }
}

// The frame as "<folder>/<width>-<screen>-<scene>.ppm", for looking at what was measured.
void writePicture(const std::string& folder, const std::string& screen, const std::string& scene,
                  const PixelImage& img) {
  std::string name = std::to_string(img.width) + "-" + screen + "-" + scene;
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '-') ch = '_';
  std::FILE* out = std::fopen((folder + "/" + name + ".ppm").c_str(), "wb");
  if (!out) return;
  std::fprintf(out, "P6 %d %d 255\n", img.width, img.height);
  for (const uint32_t px : img.argb) {
    const unsigned char rgb[3] = {static_cast<unsigned char>(px >> 16), static_cast<unsigned char>(px >> 8),
                                  static_cast<unsigned char>(px)};
    std::fwrite(rgb, 1, 3, out);
  }
  std::fclose(out);
}

bool overlap(const Box& a, const Box& b) { return a.l < b.r && b.l < a.r && a.t < b.b && b.t < a.b; }

std::string boxText(const Box& b) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "(%.0f, %.0f)-(%.0f, %.0f)", b.l, b.t, b.r, b.b);
  return buf;
}

// The warp map's node box: its panel (outer box 230 x 260 with the rim), the texts on it (the
// node titles of the map are drawn at 0.55) and its service icons lie wholly inside the screen,
// and no node the map shows has its planet (64 x 64 around its position) under the panel or the
// row of icons above it.
void checkNodeBox(const std::vector<TextRun>& runs, const std::vector<PanelDraw>& panels,
                  const std::vector<Box>& icons, std::vector<std::string>& failures) {
  for (const Box& b : icons) inside(b, 0, true, failures, "service icon");
  const PanelDraw* box = nullptr;
  for (const PanelDraw& p : panels)
    if (std::fabs(p.box.r - p.box.l - 230) < 0.5 && std::fabs(p.box.b - p.box.t - 260) < 0.5) box = &p;
  if (!box) {
    failures.push_back("no node box drawn");
    return;
  }
  inside(box->box, 0, true, failures, "node box");
  for (const TextRun& r : runs) {
    if (std::fabs(r.scale - 0.55f) < 0.01f) continue;
    Box all = r.ink.front();
    for (const Box& k : r.ink) all = Box{std::min(all.l, k.l), std::min(all.t, k.t), std::max(all.r, k.r),
                                         std::max(all.b, k.b)};
    inside(all, 0, true, failures, "node box text \"" + r.text + "\"");
  }
  const Box covered{box->box.l, box->box.t - 30, box->box.r, box->box.b};  // the icons stand above
  for (Integer i = 0; i <= World->getTotalNodes(); ++i) {
    if (World->getNodeTitle(i).empty() || World->getNodeVisible(i) <= 0) continue;
    const double sx = World->getNodeX(i) - World->ScrollX, sy = World->getNodeY(i) - World->ScrollY;
    const Box planet{sx - 32, sy - 32, sx + 32, sy + 32};
    if (planet.r <= 0 || planet.l >= ScreenWidth || planet.b <= 0 || planet.t >= ScreenHeight) continue;
    if (overlap(planet, covered))
      failures.push_back("the node box " + boxText(covered) + " hides \"" + World->getNodeTitle(i) + "\" at " +
                         boxText(planet));
  }
}

// The service icons of a frame's sprite draws: the cells of the top row of the icon sheet.
std::vector<Box> serviceIcons(const std::vector<D3DCall>& calls) {
  std::vector<Box> icons;
  const void* sheet = TexSlots.at(static_cast<size_t>(TexIconsW)).object.get();
  for (const D3DCall& c : calls) {
    if (c.kind != D3DCallKind::SpriteDraw || c.object != sheet || c.rect.top != 0) continue;
    const double tx = c.matrix.m[3][0], ty = c.matrix.m[3][1];
    icons.push_back(Box{tx, ty, tx + (c.rect.right - c.rect.left) * c.matrix.m[0][0],
                        ty + (c.rect.bottom - c.rect.top) * c.matrix.m[1][1]});
  }
  return icons;
}

// The status screen's fixed lines (the yellow title and cash) clear of the HUD boxes drawn under
// the overlay (their outer boxes, rim included) and of each other.
void checkClearOfHud(const std::vector<TextRun>& runs, std::vector<std::string>& failures) {
  const double W = ScreenWidth, H = ScreenHeight;
  struct Hud {
    const char* name;
    Box box;
  };
  const Hud huds[] = {{"radar", {0, 0, 150, 150}},           {"destination", {W - 200, 0, W, 80}},
                      {"target", {0, H - 150, 150, H}},      {"action", {150, H - 80, 250, H}},
                      {"secondary", {W - 250, H - 80, W - 150, H}}, {"status", {W - 150, H - 150, W, H}}};
  std::vector<std::pair<std::string, Box>> fixed;
  for (const TextRun& r : runs) {
    if (r.colour.r != 255 || r.colour.g != 255 || r.colour.b != 0) continue;
    std::string text = r.text;  // the font has one case
    for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (text != "status" && (text.empty() || text[0] != '$')) continue;
    Box all = r.ink.front();
    for (const Box& k : r.ink) all = Box{std::min(all.l, k.l), std::min(all.t, k.t), std::max(all.r, k.r),
                                         std::max(all.b, k.b)};
    for (const Hud& h : huds)
      if (overlap(all, Box{h.box.l - 5, h.box.t - 5, h.box.r + 5, h.box.b + 5}))
        failures.push_back("\"" + r.text + "\" " + boxText(all) + " over the HUD's " + h.name + " box");
    fixed.emplace_back(r.text, all);
  }
  if (fixed.size() != 2) {
    failures.push_back("the title and the cash line are not both drawn");
    return;
  }
  if (overlap(fixed[0].second, fixed[1].second))
    failures.push_back("\"" + fixed[0].first + "\" and \"" + fixed[1].first + "\" overlap");
}

ScreenResult measureScreen(const Screen& s) {
  ScreenResult res;
  res.name = s.name;
  CInterface& g = *GameInterface;
  const Integer font = TexFontDDS;
  const Long cash = Player->Cash;
  const bool cheatCash = CheatCash;
  for (const Backdrop& bd : Backdrops) {
    CInterfaceProbe::reset(g);
    g.Window = msNone;
    PointerX = PointerY = -200;
    MouseClicked = MouseHeld = false;
    FrameTime = 0;
    s.open(g);
    g.prevCash = Player->Cash;  // no cash popup
    // Two frames settle what a screen sets up when it opens; the first lets the HUD's pulses end.
    FrameTime = 0.25;
    drawScreen(bd.colour);
    FrameTime = 0;
    drawScreen(bd.colour);
    D3DDevice->ClearRecordedCalls();
    D3DDevice->SetRecording(true);
    const PixelImage a = drawScreen(bd.colour);
    D3DDevice->SetRecording(false);
    std::vector<TextRun> runs;
    std::vector<PanelDraw> panels;
    readDraws(D3DDevice->RecordedCalls(), runs, panels);
    const std::vector<Box> icons = serviceIcons(D3DDevice->RecordedCalls());
    D3DDevice->ClearRecordedCalls();
    TexFontDDS = -1;
    const PixelImage b = drawScreen(bd.colour);
    TexFontDDS = font;
    if (const char* folder = std::getenv("QV_SCREEN_DUMP")) writePicture(folder, s.name, bd.name, a);
    if (a.argb.empty() || b.argb.empty()) {
      res.failures.push_back("no frame read back");
      continue;
    }
    if (runs.empty()) res.failures.push_back(std::string("no text drawn over the ") + bd.name + " scene");
    for (const TextRun& r : runs) {
      if (r.scale < 0.3f) continue;  // a text swelling in or out
      Box all = r.ink.front();
      for (const Box& k : r.ink) {
        all.l = std::min(all.l, k.l);
        all.t = std::min(all.t, k.t);
        all.r = std::max(all.r, k.r);
        all.b = std::max(all.b, k.b);
      }
      if (s.fit != Fit::Panels) inside(all, 0, true, res.failures, "text \"" + r.text + "\"");
      TextFigure f;
      if (!measureRun(r, a, b, f)) continue;
      if (!f.dimmed && f.figure < res.worst) {
        res.worst = f.figure;
        res.worstText = f.text;
      }
      if (f.dimmed && (res.dimmed.figure == 0 || f.figure / f.best < res.dimmed.figure / res.dimmed.best))
        res.dimmed = f;
      if (!passes(f)) {
        char buf[240];
        std::snprintf(buf, sizeof buf, "\"%s\" in (%d, %d, %d) over the %s scene: %.2f:1 (%.2f:1 on black)",
                      f.text.c_str(), f.colour.r, f.colour.g, f.colour.b, bd.name, f.figure, f.best);
        res.failures.push_back(buf);
      }
    }
    for (const PanelDraw& p : panels) inside(p.box, 5, s.fit != Fit::Strip, res.failures, "panel");
    if (s.hud) checkGauges(a, bd.name, res.failures);
    if (s.extra == Extra::NodeBox) checkNodeBox(runs, panels, icons, res.failures);
    if (s.extra == Extra::ClearOfHud) checkClearOfHud(runs, res.failures);
    Player->Cash = cash;
    CheatCash = cheatCash;
  }
  return res;
}

// Sets the resolution option (0 640 x 480, 1 800 x 600, 2 1024 x 768) of the copied game folder.
void setResolution(Long vRes) {
  std::vector<std::string> lines = readLines("\\data\\options.pnd");
  ASSERT_GE(lines.size(), 33u);
  std::string& display = lines[32];
  // Music, sound, then the resolution.
  const size_t second = display.find(',', display.find(',') + 1), third = display.find(',', second + 1);
  ASSERT_NE(third, std::string::npos);
  display = display.substr(0, second + 1) + std::to_string(vRes) + display.substr(third);
  writeLines("\\data\\options.pnd", lines);
}

class ReadableScreensTest : public GameRunTest, public ::testing::WithParamInterface<Long> {};

TEST_P(ReadableScreensTest, EveryTextStandsOutAndEveryScreenFits) {
  setResolution(GetParam());
  FakeGameClock clock;
  std::vector<ScreenResult> results;
  bool started = false;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (!scriptInPlay(pass, 20)) return;
    if (pass == 2) {
      started = startFlight();
      if (!started) GameRunning = false;
    }
    if (pass < 6) return;  // a few frames of flight: the title camera lets go
    GameRunning = false;
    readFontInk();
    fillRecord();
    Player->Save(0, "readable screens", 0, -1);
    for (const Screen& s : screens()) results.push_back(measureScreen(s));
    GameInterface->Window = msNone;
  };
  frmMain.Form_Load();
  ASSERT_TRUE(started);

  const ScreenResult* worst = nullptr;
  std::printf("%ldx%ld: worst text contrast per screen\n", static_cast<long>(ScreenWidth),
              static_cast<long>(ScreenHeight));
  for (const ScreenResult& r : results) {
    std::printf("  %-28s %6.2f:1  \"%s\"\n", r.name.c_str(), r.worst, r.worstText.c_str());
    if (r.dimmed.figure > 0)
      std::printf("  %-28s dimmed \"%s\" %.2f:1 (%.2f:1 on black)\n", "", r.dimmed.text.c_str(), r.dimmed.figure,
                  r.dimmed.best);
    if (!worst || r.worst < worst->worst) worst = &r;
    for (const std::string& f : r.failures) ADD_FAILURE() << r.name << ": " << f;
  }
  ASSERT_TRUE(worst);
  std::printf("%ldx%ld: worst screen %s, %.2f:1 (\"%s\")\n", static_cast<long>(ScreenWidth),
              static_cast<long>(ScreenHeight), worst->name.c_str(), worst->worst, worst->worstText.c_str());
}

// The generated panels keep the looks apart: a button's rim and caption tell plain, hovered,
// held and disabled from each other, a list row's rim tells selected, plain, hovered and held,
// and the captions of every enabled look stand out from their button by 4.5:1.
class PanelLooksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(startInterfacePixelDevice(W, H, pd, dir, &why)) << why;
    setAppPath(QV_TEST_GAME_DIR);  // read only; the fixture's folder is put back at the end
    LoadSpriteTextures();
    LoadFontTextures();
    Player = std::make_shared<CPlayer>();
    GameInterface = std::make_shared<CInterface>();
    readFontInk();
  }
  void TearDown() override {
    GameInterface.reset();
    Player.reset();
    GameText.reset();
    stopGamePixelDevice(pd, dir);
    PointerX = PointerY = 0;
    MouseHeld = MouseClicked = false;
  }
  template <class F>
  PixelImage frame(F draw, std::vector<TextRun>* runs = nullptr) {
    D3DDevice->BeginScene();
    D3DDevice->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DColorARGB(255, 0, 0, 0), 1.0f, 0);
    D3DDevice->ClearRecordedCalls();
    D3DDevice->SetRecording(runs != nullptr);
    draw();
    D3DDevice->SetRecording(false);
    D3DDevice->EndScene();
    if (runs) {
      std::vector<PanelDraw> panels;
      readDraws(D3DDevice->RecordedCalls(), *runs, panels);
    }
    D3DDevice->ClearRecordedCalls();
    return pd->readBack();
  }
  static constexpr int W = 320, H = 200;
  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
};

double distance(const Rgba& a, const Rgba& b) {
  return std::sqrt(double((a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) + (a.b - b.b) * (a.b - b.b)));
}

// Every two of the looks' colours lie at least 40 apart (RGB distance).
template <class Look>
void expectApart(const std::vector<Rgba>& colours, const Look* looks, const char* what) {
  for (size_t i = 0; i < colours.size(); ++i)
    for (size_t j = i + 1; j < colours.size(); ++j)
      EXPECT_GE(distance(colours[i], colours[j]), 40) << what << ": " << looks[i].name << " and " << looks[j].name;
}

TEST_F(PanelLooksTest, ButtonAndRowLooksStayApartAndCaptionsStandOut) {
  CInterface& g = *GameInterface;
  // Button box (95, 85)-(225, 135) around a caption line at y 100.
  struct Look {
    const char* name;
    bool hover, held, disabled;
  };
  const Look buttons[4] = {
      {"plain", false, false, false}, {"hovered", true, false, false}, {"held", true, true, false}, {"disabled", false, false, true}};
  std::vector<Rgba> rims;
  for (const Look& l : buttons) {
    PointerX = l.hover ? 160.0f : -100.0f;
    PointerY = l.hover ? 110.0f : -100.0f;
    MouseHeld = l.held;
    std::vector<TextRun> runs;
    const PixelImage a = frame([&] { CInterfaceProbe::button(g, 100, 100, 120, "graphics", l.disabled); }, &runs);
    const Integer font = TexFontDDS;
    TexFontDDS = -1;
    const PixelImage b = frame([&] { CInterfaceProbe::button(g, 100, 100, 120, "graphics", l.disabled); });
    TexFontDDS = font;
    rims.push_back(a.at(96, 110));  // the left rim, beside the caption
    ASSERT_EQ(runs.size(), 1u) << l.name;
    TextFigure f;
    ASSERT_TRUE(measureRun(runs[0], a, b, f)) << l.name;
    std::printf("button %-8s rim (%d, %d, %d), caption %.2f:1\n", l.name, rims.back().r, rims.back().g, rims.back().b,
                f.figure);
    if (l.disabled) EXPECT_GE(f.figure, 0.9 * f.best) << "the disabled caption dims no further than its grey allows";
    else EXPECT_GE(f.figure, 4.5) << l.name;
  }
  expectApart(rims, buttons, "button rims");
  EXPECT_GT(rims[0].b, rims[0].r + 100);  // enabled buttons are blue, the disabled one grey
  EXPECT_LT(std::abs(rims[3].b - rims[3].r), 10);

  // List rows (the store cells): selected, plain, hovered, held; the rim at the left edge.
  struct Row {
    const char* name;
    bool selected, hover, held;
  };
  const Row rows[4] = {
      {"selected", true, false, false}, {"plain", false, false, false}, {"hovered", false, true, false}, {"held", false, true, true}};
  std::vector<Rgba> rowRims;
  for (const Row& r : rows) {
    PointerX = r.hover ? 140.0f : -100.0f;
    PointerY = r.hover ? 100.0f : -100.0f;
    MouseHeld = r.held;
    const PixelImage a = frame([&] { CInterfaceProbe::listRow(g, 100, 60, 85, 85, r.selected); });
    rowRims.push_back(a.at(96, 100));
  }
  expectApart(rowRims, rows, "list row rims");

  // A tinted panel shows its tint in the rim and keeps its body as dark as a plain one.
  PointerX = PointerY = -100;
  MouseHeld = false;
  const PixelImage plain = frame([&] { CInterfaceProbe::tinted(g, 60, 60, 260, 140, 255, 255, 255); });
  const PixelImage yellow = frame([&] { CInterfaceProbe::tinted(g, 60, 60, 260, 140, 255, 255, 0); });
  const Rgba rim = yellow.at(56, 100), body = yellow.at(160, 100);
  EXPECT_GT(rim.r, 150);
  EXPECT_GT(rim.g, 150);
  EXPECT_LT(rim.b, rim.r - 100) << "the yellow tint shows in the rim";
  EXPECT_LT(luminance(body), 0.003);
  EXPECT_LT(distance(body, plain.at(160, 100)), 4);
}

INSTANTIATE_TEST_SUITE_P(Resolutions, ReadableScreensTest, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<Long>& i) {
                           return std::string(i.param == 0 ? "At640x480" : i.param == 1 ? "At800x600" : "At1024x768");
                         });

}  // namespace
