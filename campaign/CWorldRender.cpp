// The world-map screen of CWorld: galaxy background, links, the planned route, planets with
// their markers and titles; route picking in play, node dragging and linking in the editor; edge
// scrolling and centring. Screen position of a node: (X - ScrollX, Y - ScrollY).
#include <algorithm>
#include <cmath>

#include "campaign/CMissionControl.h"
#include "campaign/CWorld.h"
#include "engine/BillMod.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "engine/MediaBatch.h"
#include "engine/MediaHandles.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "runtime/Numbers.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"

namespace {
constexpr Single TileSize = 384;     // one of the 4 x 4 background tiles
constexpr Single ScrollSpeed = 150;  // edge scrolling, units a second
constexpr Single EdgeBand = 50;      // pixels from the screen edge that scroll

// The texture of a cache handle; none for a handle outside the cache or a failed file.
std::shared_ptr<Direct3DTexture8> texOf(Integer handle) {
  if (handle < 0 || static_cast<size_t>(handle) >= TexSlots.size()) return nullptr;
  return TexSlots[handle].object;
}

RECT rectOf(Long left, Long top, Long right, Long bottom) {
  RECT r;
  r.left = left;
  r.top = top;
  r.right = right;
  r.bottom = bottom;
  return r;
}

// A screen quad of a cache texture over the square from (x, y) with side size, in (r, g, b).
void quad(Integer tex, const RECT& src, Single x, Single y, Single size, Integer r, Integer g, Integer b) {
  Back3DCust(texOf(tex), src, rectOf(CLng(x), CLng(y), CLng(x + size), CLng(y + size)), r, g, b, -1, 255);
}

bool isDangerType(Long worldType) {
  switch (worldType) {
    case 9: case 10: case 14: case 15: case 16: case 20: case 21: case 22: case 23: case 24:
      return true;
    default:
      return false;
  }
}

double frac(double v) { return v - std::floor(v); }
}  // namespace

CWorld::CWorld() {
  loadTextures();
}

void CWorld::loadTextures() {
  if (TexturesLoaded || !TexMon) return;
  MediaBatch batch;  // the pictures are read on worker threads
  for (Integer k = 0; k < 4; ++k) PlanetTex[k] = TexMon->getTextureNumber("planets\\p_" + CStr(k + 1) + ".dds");
  for (Integer i = 0; i < 16; ++i)
    GalaxyTex[i] = TexMon->getTextureNumber("galaxy\\g" + CStr(i % 4 + 1) + CStr(i / 4 + 1) + ".bmp");
  TexturesLoaded = true;
}

bool CWorld::pointerOver(const WorldNode& n) const {
  const Single px = PointerX + ScrollX, py = PointerY + ScrollY;
  return n.X - 32 < px && px < n.X + 32 && n.Y - 32 < py && py < n.Y + 32;
}

void CWorld::Render(bool EditorVersion, Single Brite) {
  loadTextures();
  if (!GameText || !DxSprite) vbRaise(vberr::ObjectMissing);
  Clock += FrameTime;
  GameText->setColor(255, 255, 255);
  GameText->setSize(0.55f);

  // Background: 4 x 4 tiles of 384 pixels.
  const Integer b = CInt(std::clamp(Brite, 0.0f, 1.0f) * 255);
  for (Integer r = 0; r < 4; ++r)
    for (Integer c = 0; c < 4; ++c) {
      const Long left = CLng(c * TileSize - ScrollX), top = CLng(r * TileSize - ScrollY);
      Back3DCust(texOf(GalaxyTex[c + 4 * r]), rectOf(1, 1, 255, 255),
                 rectOf(left, top, left + CLng(TileSize), top + CLng(TileSize)), b, b, b, -1, 255);
    }

  // Links.
  DxSprite->Begin();
  if (EditorVersion)
    for (Integer i = 0; i <= LastNode; ++i) Nodes[i].Visible = 1;
  for (Integer i = 0; i <= LastNode; ++i) {
    const WorldNode& n = Nodes[i];
    if (!n.Title.empty() && n.LinkCount > 0 && n.Visible > 0) drawNodeLinks(i);
  }
  DxSprite->End();
  if (RouteLast > -1) drawRoute();

  // Goal marker: blinks between 1.5 and 0.5 while a mission runs.
  if (GoalPathFrame > 0) {
    GoalPathFrame -= static_cast<Single>(FrameTime);
    if (GoalPathFrame < 0.5f) GoalPathFrame = 1.5f;
    if (!MissionControl || !MissionControl->Reading) GoalPathFrame = 0;
  }
  if (GoalPathFrame <= 0) GoalPath.clear();

  for (Integer i = 0; i <= LastNode; ++i) drawNode(i, EditorVersion);

  if (EditorVersion) {
    GameText->setSize(0.75f);
    GameText->setColor(255, 0, 0);
    GameText->drawText(5, 5, "world editor", 0, false, false);
    if (AddingLink > 0) {
      GameText->setSize(0.6f);
      GameText->setColor(255, 255, 255);
      GameText->drawText(5, 25, "add a link!", 0, false, false);
    }
  }
}

bool CWorld::isDrawn(const WorldNode& n) const {
  const bool isGoal = !GoalPath.empty() && equalsIgnoreCase(n.Path, GoalPath);
  if (n.Title.empty() || !(n.Visible > 0 || isGoal)) return false;
  return ScrollX - w - 96 < n.X && n.X < ScrollX + w + 96 && ScrollY - h - 96 < n.Y && n.Y < ScrollY + h + 96;
}

bool CWorld::nodeDrawnIn(Integer i, Single left, Single top, Single right, Single bottom) const {
  const WorldNode& n = node(i);
  if (!isDrawn(n)) return false;
  const Single sx = n.X - ScrollX, sy = n.Y - ScrollY;
  return sx - 46 < right && left < sx + 46 && sy - 46 < bottom && top < sy + 62;
}

void CWorld::drawNode(Integer i, bool EditorVersion) {
  WorldNode& n = Nodes[i];
  if (!isDrawn(n)) return;
  const bool isGoal = !GoalPath.empty() && equalsIgnoreCase(n.Path, GoalPath);
  const Single sx = n.X - ScrollX, sy = n.Y - ScrollY;
  const RECT whole = rectOf(0, 0, 255, 255);

  if (n.MissionDone) quad(TexLaserSplash, whole, sx - 31, sy - 31, 60, 0, 255, 0);

  double t = 0;  // danger phase
  if (isDangerType(n.WorldType)) {
    t = frac(i / 20.0 + Clock);
    quad(TexLaserSplash, whole, static_cast<Single>(sx - 31 - 10 * t), static_cast<Single>(sy - 31 - 10 * t),
         static_cast<Single>(60 + 20 * t), CInt(std::sin(3.14 * t) * 255), 0, 0);
  }

  // Planet, goal copy and the closed-era mark.
  DxSprite->Begin();
  D3DCOLOR planet = D3DColorARGB(255, 255, 255, 255);
  if (n.Dark) {
    auto tint = [this](double phase) { return CInt(50 + 50 * std::sin(3.14 * frac(Clock + phase))); };
    planet = D3DColorARGB(255, tint(0), tint(0.33), tint(0.67));
  }
  const Integer icon = std::clamp<Integer>(n.Icon, 0, 63);
  const RECT cell = rectOf((icon % 4) * 64, ((icon / 4) % 4) * 64, (icon % 4) * 64 + 64, ((icon / 4) % 4) * 64 + 64);
  const auto atlas = texOf(PlanetTex[icon / 16]);
  const D3DXVECTOR2 one{1, 1}, origin{0, 0}, at{sx - 32, sy - 32};
  if (n.Visible > 0 && atlas) DxSprite->Draw(atlas, &cell, one, origin, 0, at, planet);
  if (isGoal && atlas)
    DxSprite->Draw(atlas, &cell, one, origin, 0, at,
                   D3DColorARGB(CInt(std::clamp(GoalPathFrame, 0.0f, 1.59f) * 160), 0, 255, 0));
  if (CurrentEra >= 0 && CurrentEra < Eras && n.EraGray[CurrentEra]) {
    const RECT gray = rectOf(192, 32, 256, 96);
    if (const auto icons = texOf(TexIconsW)) DxSprite->Draw(icons, &gray, one, origin, 0, at, planet);
  }
  DxSprite->End();

  // Hostiles met here in the last two minutes of play.
  const Long gameTime = GameInterface ? GameInterface->GameTime : 0;
  if (n.LastHostile > 0 && n.LastHostile > gameTime - 120 && CLng(Clock * 7) % 2 == 0)
    quad(TexLaserSplash, whole, static_cast<Single>(sx - 28 - 10 * t), static_cast<Single>(sy - 28 - 10 * t),
         static_cast<Single>(54 + 20 * t), 255, 0, 0);

  const bool over = pointerOver(n);
  GameText->setSize(over ? 0.6f : 0.55f);
  GameText->setColor(255, 255, 255);
  GameText->drawText(sx, sy + 42, n.Title, 1, false, false);

  if (!EditorVersion) {
    // A press picks the node once a pass sees it held; a tap, pressed and released between two
    // passes, leaves only the click latch, which picks it as well (the latch that a taken press
    // leaves when it is let go picks the node under the pointer again: the same node changes
    // nothing).
    if ((MouseHeld || MouseClicked) && over) {
      MouseHeld = false;  // one click picks one node
      MouseClicked = false;
      PickNode(i);
    }
    const RECT target = rectOf(0, 0, 256, 256);
    if (over) Back3DCust(texOf(TexTarget), target, rectOf(CLng(sx - 46), CLng(sy - 46), CLng(sx + 46), CLng(sy + 46)),
                         55, 55, 55, -1, 255);
    const RECT box = rectOf(CLng(sx - 36), CLng(sy - 36), CLng(sx + 36), CLng(sy + 36));
    if (i == CurrentNode) Back3DCust(texOf(TexTarget), target, box, 150, 150, 150, -1, 255);
    else if (i == HiLiteNode) Back3DCust(texOf(TexTarget), target, box, 0, 255, 0, -1, 255);
    return;
  }
  if (AddingLink < 1) {
    if (DragNode < 0 && MouseHeld && over) {
      DragNode = i;
      DragOffX = PointerX + ScrollX - n.X;
      DragOffY = PointerY + ScrollY - n.Y;
    }
    if (DragNode == i) {
      Selected = i;
      n.X = PointerX + ScrollX - DragOffX;
      n.Y = PointerY + ScrollY - DragOffY;
      if (!MouseHeld) DragNode = -1;
    }
  } else if (MouseHeld && over) {
    AddingLink = 0;
    MouseHeld = false;
    if (i != Selected) AddNodeLink(i);
  }
}

void CWorld::drawSegment(const WorldNode& a, const WorldNode& b, Integer red, Integer green, Integer blue) {
  const auto grad = texOf(TexTinyGrad);
  if (!grad) return;
  const RECT cell = rectOf(0, 0, 8, 8);
  const Single len = static_cast<Single>(getDist(a.X, a.Y, b.X, b.Y));
  const Single angle = getAngle(a.X, a.Y, b.X, b.Y);
  DxSprite->Draw(grad, &cell, D3DXVECTOR2{len / 8, 0.5f}, D3DXVECTOR2{0, 0}, angle,
                 D3DXVECTOR2{a.X - ScrollX, a.Y - ScrollY}, D3DColorARGB(255, red, green, blue));
}

void CWorld::drawNodeLinks(Integer a) {
  const WorldNode& from = Nodes[a];
  for (Integer k = 0; k < from.LinkCount; ++k) {
    const Integer b = from.Links[k];
    if (b < 0 || b > LastNode || Nodes[b].Visible <= 0) continue;
    const WorldNode& to = Nodes[b];
    const bool closed = CurrentEra >= 0 && CurrentEra < Eras && (from.EraGray[CurrentEra] || to.EraGray[CurrentEra]);
    if (closed) drawSegment(from, to, 255, 125, 125);
    else drawSegment(from, to, 125, 125, 255);
  }
}

void CWorld::drawRoute() {
  for (Integer k = 0; k <= RouteLast; ++k) {
    const Integer from = k == 0 ? CurrentNode : Route[k - 1];
    const Integer to = Route[k];
    if (from < 0 || from > LastNode || to < 0 || to > LastNode) continue;
    DxSprite->Begin();
    drawSegment(Nodes[from], Nodes[to], 125, 255, 125);
    DxSprite->End();
  }
}

void CWorld::Move() {
  const Single step = static_cast<Single>(FrameTime * ScrollSpeed);
  if (w < MapSize) {
    if (PointerX > w - EdgeBand) ScrollX = std::min(ScrollX + step, MapSize - w);
    if (PointerX < EdgeBand) ScrollX = std::max(ScrollX - step, 0.0f);
  }
  if (h < MapSize) {
    if (PointerY > h - EdgeBand) ScrollY = std::min(ScrollY + step, MapSize - h);
    if (PointerY < EdgeBand) ScrollY = std::max(ScrollY - step, 0.0f);
  }
}

void CWorld::Center(Integer n) {
  const WorldNode& c = node(n);
  ScrollX = std::max(0.0f, std::min(c.X - w / 2, MapSize - w));
  ScrollY = std::max(0.0f, std::min(c.Y - h / 2, MapSize - h));
  if (w >= MapSize) ScrollX = (MapSize - w) / 2;
}
