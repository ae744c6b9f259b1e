#include "tests/support/InputPilot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <sstream>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "levels/CStructDef.h"
#include "platform/Window.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"

// The interface's own view of what its screens show: the stock of the store that is open, the
// row picked in it, and the status/warp overlay's animation. Read only.
class CInterfaceProbe {
 public:
  static bool partInStock(const CInterface& g, Integer id) {
    return id >= 0 && id < static_cast<Integer>(g.partsInStock.size()) && g.partsInStock[static_cast<size_t>(id)];
  }
  static Integer weaponStock(const CInterface& g, Integer k) {
    return k >= 0 && k < static_cast<Integer>(g.weaponStock.size()) ? g.weaponStock[static_cast<size_t>(k)]
                                                                      : Integer(-1);
  }
  static Integer weaponStockSlots(const CInterface& g) { return static_cast<Integer>(g.weaponStock.size()); }
  static Integer partSlots(const CInterface& g) { return static_cast<Integer>(g.partsInStock.size()); }
  static Integer selItem(const CInterface& g) { return g.selItem; }
  static Single overlayFrame(const CInterface& g) { return g.overlayFrame; }
  static bool overlayIsStatus(const CInterface& g) { return g.overlayIsStatus; }
};

namespace {

using namespace pilot_keys;

constexpr Single ShotSpeed = 2500;  // every gun a new ship can buy (laser, vulcan, plasma, beam)
constexpr Single FlightHeight = 0;  // the middle of the flight band (-111..111)
constexpr Single PadHeight = -100;  // just above the band's bottom, over a pad

CShip& me() { return *Ships[0]; }
CInterface& gi() { return *GameInterface; }
GameWindow& window() { return frmMain.window(); }

CShip* shipAt(Integer i) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size()) return nullptr;
  return Ships[static_cast<size_t>(i)].get();
}

Single dist2(Single ax, Single ay, Single bx, Single by) {
  return static_cast<Single>(std::hypot(ax - bx, ay - by));
}

// The store frame's corner (the stores, mission control, plunder and trading screens share it).
Single frameX() { return (ScreenWidth - 500) / 2.0f; }
Single frameY() { return (ScreenHeight - 360) / 2.0f; }

bool overlayOpen() { return CInterfaceProbe::overlayFrame(gi()) != 0; }

}  // namespace

// ---- per frame -------------------------------------------------------------------------------

void InputPilot::frame() {
  ++frameCount;
  clock += FrameTime;
  static const long every = [] {
    const char* t = std::getenv("QV_PILOT_TRACE");
    return t ? std::atol(t) : 0L;
  }();
  if (every > 0 && frameCount % every == 0) std::fprintf(stderr, "%s\n", describe().c_str());
}

std::string InputPilot::describe() const {
  std::ostringstream o;
  const CShip& s = me();
  o << "pilot at frame " << frameCount << " (" << FrameTime * 1000 << " ms): ship at " << s.x << "," << s.y << "," << s.e << " heading " << s.r
    << " pitch " << s.Pitch << " speed " << s.Speed << " moving " << s.xM << "," << s.yM << " armour " << s.Armor
    << " shields " << s.Shields << " warp " << s.getRealWarp() << " landing " << s.LandingFrame << " tractor "
    << s.TractorFrame << " target " << s.SecondaryTarget << "; screen " << gi().Window << " action "
    << gi().iAction << " pointer " << PointerX << "," << PointerY << " overlay "
    << CInterfaceProbe::overlayFrame(gi()) << "; keys held:";
  for (const auto& [action, down] : keys)
    if (down) o << " " << action;
  Integer near = -1;
  Single nearest = 1e30f;
  for (size_t i = 1; i < Ships.size(); ++i) {
    const CShip* t = Ships[i].get();
    if (!t || !t->Exists) continue;
    const Single d = dist2(s.x, s.y, t->x, t->y);
    if (d < nearest) nearest = d, near = static_cast<Integer>(i);
  }
  if (near >= 0)
    o << "; nearest ship " << near << " \"" << Ships[near]->getTag() << "\" unit " << Ships[near]->getUnitType()
      << " at " << nearest;
  if (World)
    o << "; node " << World->getCurrentPath() << " dest " << World->DestNode << " route " << World->getRouteLast();
  return o.str();
}

// ---- keys and buttons --------------------------------------------------------------------------

void InputPilot::hold(Integer action, bool down) {
  bool& h = keys[action];
  if (h == down) return;
  // Thrust, brake and the trick keys pressed again within a tenth of a second of their release
  // are a double tap (a boost, a flip, a roll): the pilot leaves a longer gap.
  const bool tapKey = action == Thrust || action == Brake || action == TrickLeft || action == TrickRight;
  if (down && tapKey && clock - released[action] < 0.25) return;
  if (!down) released[action] = clock;
  h = down;
  const Integer code = Player->getCharKey(action);
  if (down) window().postKeyDown(code);
  else window().postKeyUp(code);
}

bool InputPilot::held(Integer action) const {
  const auto k = keys.find(action);
  return k != keys.end() && k->second;
}

void InputPilot::tap(Integer action) {
  if (held(action)) return;
  const Integer code = Player->getCharKey(action);
  window().postKeyDown(code);
  window().postKeyUp(code);
  if (action == PrevTarget || action == NextTarget) ++counts.targetPresses;
}

void InputPilot::releaseAll() {
  for (auto& [action, down] : keys)
    if (down) {
      window().postKeyUp(Player->getCharKey(action));
      down = false;
    }
  holdButton(false);
  if (hand.step == Hand::Step::Pressed) window().postMouseUp(1, PointerX, PointerY);
  hand = Hand{};
}

void InputPilot::holdButton(bool down) {
  if (buttonDown == down) return;
  buttonDown = down;
  if (down) window().postMouseDown(1, PointerX, PointerY);
  else window().postMouseUp(1, PointerX, PointerY);
}

// ---- the pointer -------------------------------------------------------------------------------

bool InputPilot::pointAt(Single x, Single y) {
  x = std::clamp(x, 0.0f, static_cast<Single>(ScreenWidth));
  y = std::clamp(y, 0.0f, static_cast<Single>(ScreenHeight));
  if (std::fabs(PointerX - x) <= 1 && std::fabs(PointerY - y) <= 1) return true;
  // A motion reaches the pointer two frames after it is posted: one at a time.
  if (++hand.wait < 3) return false;
  hand.wait = 0;
  const Single dx = std::round(x - PointerX), dy = std::round(y - PointerY);
  if (dx != 0 || dy != 0) window().postMouseMotion(dx, dy);
  return false;
}

bool InputPilot::click(Single x, Single y, int holdFrames) {
  if (hand.step == Hand::Step::Idle || hand.x != x || hand.y != y) {
    if (hand.step == Hand::Step::Pressed) window().postMouseUp(1, PointerX, PointerY);
    hand = Hand{Hand::Step::Moving, x, y, 3, holdFrames};
  }
  if (hand.step == Hand::Step::Moving) {
    if (!pointAt(x, y)) return false;
    window().postMouseDown(1, PointerX, PointerY);
    hand.step = Hand::Step::Pressed;
    hand.wait = 0;
    return false;
  }
  if (++hand.wait < hand.holdFrames) return false;
  window().postMouseUp(1, PointerX, PointerY);
  hand = Hand{};
  ++counts.clicks;
  return true;
}

void InputPilot::cancelClick() {
  if (hand.step == Hand::Step::Pressed) window().postMouseUp(1, PointerX, PointerY);
  hand = Hand{};
}

// ---- flying ----------------------------------------------------------------------------------

Single InputPilot::turnTo(const CShip& s, Single x, Single y) {
  const double wanted = std::atan2(-(y - s.y), x - s.x) + 1.57;
  return static_cast<Single>(std::remainder(wanted - s.r, 6.283185307179586));
}

void InputPilot::steer(Single dx, Single dy) {
  // The mouse steers only while no screen holds it; the game reads whole pixels.
  if (gi().hasMouse()) return;
  dx = std::round(dx);
  dy = std::round(dy);
  if (dx == 0 && dy == 0) return;
  window().postMouseMotion(dx, dy);
  ++counts.steerFrames;
}

void InputPilot::keepSpeed(Single wanted) {
  const Single v = me().Speed;
  hold(Thrust, v < wanted - 15);
  hold(Brake, v > wanted + 15);
}

void InputPilot::wayPoint(Single& x, Single& y, Single e) const {
  const CShip& s = me();
  const Single margin = (s.getWidth() + s.getDepth()) / 2 + 60;
  const Single d = dist2(s.x, s.y, x, y);
  if (d < 1 || !CurMap) return;
  const Single reach = std::min(d, 2500.0f);
  // Whether the ground point lies in the structure's box grown by `grow`.
  auto inside = [](Integer i, Single px, Single py, Single grow) {
    const D3DVECTOR L = CurMap->getStructLBounds(i), U = CurMap->getStructUBounds(i);
    return L.x - grow < px && px < U.x + grow && L.z - grow < py && py < U.z + grow;
  };
  // The first point of the straight way from the ship toward (tx, ty), within `upTo`, in the box.
  auto blockedAt = [&](Integer i, Single tx, Single ty, Single upTo, Single grow) {
    const Single len = std::max(dist2(s.x, s.y, tx, ty), 1.0f);
    const Single ux = (tx - s.x) / len, uy = (ty - s.y) / len;
    for (Single t = 0; t < std::min(upTo, len); t += 40)
      if (inside(i, s.x + ux * t, s.y + uy * t, grow)) return t;
    return -1.0f;
  };
  auto inBand = [&](Integer i) {
    // Pads lie below the flight band; a ship touches a box only within its own half height.
    if (CurMap->getStructDef(i) < 0 || CurMap->getStructType(i) == structLanding) return false;
    const D3DVECTOR L = CurMap->getStructLBounds(i), U = CurMap->getStructUBounds(i);
    return L.y - 40 < e && e < U.y + 40;
  };
  // The first structure box (grown by the margin) that the straight way at height e runs into. A
  // box the ship is already within the margin of counts by its own walls (pushed against one).
  Integer hit = -1;
  Single hitAt = reach;
  for (Integer i = 0; i < MapSlots; ++i) {
    if (!inBand(i)) continue;
    const Single grow = inside(i, s.x, s.y, margin) ? 20.0f : margin;
    const Single t = blockedAt(i, x, y, hitAt, grow);
    if (t >= 0 && t < hitAt) hit = i, hitAt = t;
  }
  if (hit < 0) return;
  if (std::getenv("QV_PILOT_TRACE")) {
    const D3DVECTOR L = CurMap->getStructLBounds(hit), U = CurMap->getStructUBounds(hit);
    std::fprintf(stderr, "way to %g,%g blocked by %d type %ld at %g: %g,%g,%g - %g,%g,%g\n", x, y, hit,
                 static_cast<long>(CurMap->getStructType(hit)), hitAt, L.x, L.y, L.z, U.x, U.y, U.z);
  }
  // Round it by the corner (grown a little more) that makes the shorter way to the point, among
  // those the ship reaches without crossing the box.
  const D3DVECTOR L = CurMap->getStructLBounds(hit), U = CurMap->getStructUBounds(hit);
  const Single g = margin + 80;
  const Single cx[4] = {L.x - g, L.x - g, U.x + g, U.x + g}, cy[4] = {L.z - g, U.z + g, L.z - g, U.z + g};
  Single best = 1e30f;
  Single bx = x, by = y;
  for (int k = 0; k < 4; ++k) {
    const bool crosses = blockedAt(hit, cx[k], cy[k], 1e30f, 20) >= 0;
    const Single way = dist2(s.x, s.y, cx[k], cy[k]) + dist2(cx[k], cy[k], x, y) + (crosses ? 1e6f : 0.0f);
    if (way < best) best = way, bx = cx[k], by = cy[k];
  }
  x = bx;
  y = by;
}

void InputPilot::flyTo(Single x, Single y, Single e, Single speed) {
  const CShip& s = me();
  Single wx = x, wy = y;
  wayPoint(wx, wy, s.e);
  const Single turn = turnTo(s, wx, wy);
  const Single dx = std::clamp(turn * 60.0f, -20.0f, 20.0f);
  // The nose is pitched toward the slope that closes the height (a negative pitch climbs).
  const Single slope = -std::clamp((e - s.e) * 0.003f, -0.25f, 0.25f);
  const Single climb = std::clamp((s.Pitch - slope) * 100.0f, -20.0f, 20.0f);
  steer(dx, -climb);
  // Slower in a tight turn, so that the turn stays inside what the ship can fly.
  const Single wanted = std::fabs(turn) > 0.8f ? std::min(speed, 200.0f) : speed;
  keepSpeed(wanted);
}

void InputPilot::stop() {
  hold(Thrust, false);
  hold(Brake, me().Speed > 0);
}

bool InputPilot::landOn(Integer pad) {
  CShip& s = me();
  if (pad != landPad) {
    landPad = pad;
    landStart = frameCount;
    landHolding = false;
  }
  if (gi().Window != msNone) {  // the pad's store, or the mission's wait
    hold(Action, false);
    hold(Brake, false);
    if (landHolding) ++counts.landings;
    landHolding = false;
    landPad = -1;
    return true;
  }
  if (landHolding && s.LandingFrame > 1000) {  // a pad with nothing to open
    hold(Action, false);
    ++counts.landings;
    landHolding = false;
    landPad = -1;
    return true;
  }
  const D3DVECTOR p = CurMap->getStructPos(pad);
  const Single d = dist2(s.x, s.y, p.x, p.z);
  const bool overPad = CurMap->checkLand(s.x, s.y, s.e) == pad;
  if (s.LandingFrame > 0 && s.LandingFrame < 1000) {  // setting down: keep the key held
    hold(Thrust, false);
    hold(Brake, false);
    hold(Action, true);
    return false;
  }
  if (overPad && gi().iAction == pilot_offer::Land && d < 120) {
    hold(Thrust, false);
    hold(Brake, s.Speed > 0);
    hold(Action, true);
    landHolding = true;
    return false;
  }
  if (landHolding && s.LandingFrame <= 0) hold(Action, false);  // "land" went away before the key took
  landHolding = false;
  if (s.LandingFrame > 1000) {  // still on the pad of the last screen: off it first
    hold(Action, false);
    takeOff();
    return false;
  }
  hold(Action, false);
  // Slow down on the way in: "land" is offered only below 150.
  const Single speed = std::clamp(d * 0.6f - 20, 40.0f, 600.0f);
  flyTo(p.x, p.z, PadHeight, speed);
  return false;
}

bool InputPilot::takeOff() {
  CShip& s = me();
  const bool onPad = CurMap->checkLand(s.x, s.y, s.e) >= 0;
  if (!onPad && s.LandingFrame <= 0) return true;
  hold(Action, false);
  cruise();
  return false;
}

void InputPilot::cruise() {
  const CShip& s = me();
  const Single ax = s.x + 1500 * std::cos(s.r - 1.57f), ay = s.y - 1500 * std::sin(s.r - 1.57f);
  flyTo(ax, ay, FlightHeight, 400);
}

bool InputPilot::pull(Integer ship) {
  CShip& s = me();
  const CShip* w = shipAt(ship);
  if (gi().Window == msPlunder || gi().Window == msWaitForASec) {
    hold(Action, false);
    return true;
  }
  if (!w || !w->Exists) {
    hold(Action, false);
    return false;
  }
  if (s.TractorFrame > 0 && s.TractorFrame < 1000) {  // the beam has it: hold on
    hold(Action, true);
    stop();
    return false;
  }
  if (gi().iAction == pilot_offer::Tractor && s.getTractorTarg() == ship) {
    hold(Thrust, false);
    hold(Brake, false);
    hold(Action, true);
    return false;
  }
  hold(Action, false);
  // Over the wreck, a little higher, drifting with it.
  const Single d = dist2(s.x, s.y, w->x, w->y);
  const Single closing = std::hypot(w->xM, w->yM);
  const Single speed = std::clamp(d * 0.8f + closing, 30.0f, 600.0f);
  flyTo(w->x + w->xM * 0.3f, w->y + w->yM * 0.3f, std::max(w->e + 60, -60.0f), speed);
  return false;
}

// ---- travel ----------------------------------------------------------------------------------

std::vector<Integer> InputPilot::wayTo(Integer goal) const {
  const CWorld& world = *World;
  const Integer from = world.CurrentNode, last = world.getTotalNodes();
  if (goal < 0 || goal > last || from < 0) return {};
  auto shown = [&](Integer n) {
    return world.getNodeVisible(n) > 0 || (!world.getGoalPath().empty() && world.getNodePath(n) == world.getGoalPath());
  };
  // Breadth first from the current node, over the shown nodes or over all of them.
  auto shortest = [&](bool shownOnly) {
    std::vector<Integer> back(static_cast<size_t>(last + 1), -2), way;
    std::deque<Integer> todo{from};
    back[static_cast<size_t>(from)] = -1;
    while (!todo.empty()) {
      const Integer n = todo.front();
      todo.pop_front();
      for (Integer m = 0; m <= last; ++m)
        if (back[static_cast<size_t>(m)] == -2 && (!shownOnly || shown(m)) && world.isLinkOpen(n, m)) {
          back[static_cast<size_t>(m)] = n;
          todo.push_back(m);
        }
    }
    if (back[static_cast<size_t>(goal)] == -2) return way;
    for (Integer n = goal; n != from; n = back[static_cast<size_t>(n)]) way.insert(way.begin(), n);
    return way;
  };
  std::vector<Integer> way = shortest(true);
  if (!way.empty()) return way;
  // The goal beyond what the map shows: the way as far as it shows, planned on from its end.
  for (Integer n : shortest(false)) {
    if (!shown(n)) break;
    way.push_back(n);
  }
  return way;
}

bool InputPilot::planRoute(Integer goal) {
  CWorld& world = *World;
  const bool open = overlayOpen() && !CInterfaceProbe::overlayIsStatus(gi());
  if (open && CInterfaceProbe::overlayFrame(gi()) == 1.0f && route.empty()) route = wayTo(goal);
  auto holds = [&] {
    if (route.empty() || world.DestNode != route[0] ||
        world.getRouteLast() != static_cast<Integer>(route.size()) - 1)
      return false;
    for (size_t k = 0; k < route.size(); ++k)
      if (world.getRouteNode(static_cast<Integer>(k)) != route[k]) return false;
    return true;
  };
  if (!open && world.DestNode >= 0 && !route.empty() && holds()) {
    cancelClick();
    return true;
  }
  if (open && holds()) {
    cancelClick();
    // Closing: one press reverses the overlay; wait for it to finish.
    if (CInterfaceProbe::overlayFrame(gi()) == 1.0f && ++mapFrames % 10 == 1) tap(WarpMap);
    return false;
  }
  if (!open) {
    hold(Thrust, false);
    hold(Action, false);
    if (gi().Window == msNone && !gi().hasMouse() && ++mapFrames % 10 == 1) tap(WarpMap);
    route.clear();
    return false;
  }
  if (CInterfaceProbe::overlayFrame(gi()) != 1.0f) return false;  // still opening
  if (route.empty()) return false;                                 // no way there
  // The first hop the planned route does not hold yet.
  size_t k = 0;
  while (k < route.size() && world.getRouteLast() >= static_cast<Integer>(k) &&
         world.getRouteNode(static_cast<Integer>(k)) == route[k] && world.DestNode == route[0])
    ++k;
  if (k >= route.size()) k = route.size() - 1;  // hops beyond it: a click on its end cuts them
  const Integer n = route[k];
  const Single sx = world.getNodeX(n) - world.ScrollX, sy = world.getNodeY(n) - world.ScrollY;
  // A node beyond the view: the pointer at the edge scrolls the map toward it.
  if (sx < 60 || sx > world.w - 60 || sy < 60 || sy > world.h - 60) {
    cancelClick();
    pointAt(std::clamp(sx, 20.0f, world.w - 20), std::clamp(sy, 20.0f, world.h - 20));
    return false;
  }
  // A pointer left in the edge band goes on scrolling the map, and the node with it: the pointer
  // leaves the band before it aims, so that the node stands still under the click.
  const Single band = 52;
  if (hand.step == Hand::Step::Idle &&
      (PointerX < band || PointerX > world.w - band || PointerY < band || PointerY > world.h - band)) {
    pointAt(world.w / 2, world.h / 2);
    return false;
  }
  // The map takes a click from a button held over the node while it draws.
  click(std::round(sx), std::round(sy), 3);
  return false;
}

bool InputPilot::hyperspace() {
  CShip& s = me();
  const Single w = s.getRealWarp();
  if (w >= 10) {  // past the point of no return (or arriving): the key may go
    hold(Action, false);
    return true;
  }
  if (w > 0) {  // lining up and climbing: keep holding
    hold(Thrust, false);
    hold(Action, true);
    return false;
  }
  if (gi().iAction == pilot_offer::Hyperspace && !gi().hasMouse()) {
    hold(Thrust, false);
    hold(Brake, false);
    hold(Action, true);
    return false;
  }
  hold(Action, false);
  // Off the pads and away from wrecks: on along the heading.
  cruise();
  return false;
}

// ---- fighting --------------------------------------------------------------------------------

bool InputPilot::down(const CShip& s) { return s.Armor < 0 || s.getDeathThroes() > 0; }

bool InputPilot::target(Integer ship) {
  CShip& s = me();
  if (s.SecondaryTarget == ship) return true;
  // The target keys step through Ships in index order (next up, previous down): the shorter way.
  if (frameCount % 3 != 0) return false;
  const Integer n = static_cast<Integer>(Ships.size());
  const Integer from = s.SecondaryTarget < 0 ? 0 : s.SecondaryTarget;
  const Integer up = static_cast<Integer>(((ship - from) % n + n) % n);
  tap(up <= n - up ? NextTarget : PrevTarget);
  return false;
}

bool InputPilot::attack(Integer ship) {
  CShip& s = me();
  const CShip* t = shipAt(ship);
  if (!t || !t->Exists || down(*t) || t->getRealWarp() > 0) {
    hold(Attack, false);
    hold(Secondary, false);
    return false;
  }
  const bool aimed = target(ship);
  // Where the shots meet it: its point after the shots' flight, found by two rounds.
  const Single d = dist2(s.x, s.y, t->x, t->y);
  Single tx = t->x, ty = t->y, te = t->e;
  for (int k = 0; k < 2; ++k) {
    const Single flight = dist2(s.x, s.y, tx, ty) / ShotSpeed;
    tx = t->x + t->xM * flight;
    ty = t->y + t->yM * flight;
    te = t->e + t->eM * flight;
  }
  const Single turn = turnTo(s, tx, ty);
  const Single dx = std::clamp(turn * 60.0f, -20.0f, 20.0f);
  // The shots climb by -ShotSpeed * Pitch: the pitch that carries them to its height.
  const Single lead = std::max(dist2(s.x, s.y, tx, ty), 50.0f);
  const Single wantPitch = std::clamp(-(te - s.e) / lead, -0.5f, 0.5f);
  const Single climb = std::clamp((s.Pitch - wantPitch) * 100.0f, -20.0f, 20.0f);
  steer(dx, -climb);
  // Close in fast, then hold a little above its speed; never ram it.
  Single wanted = d > 900 ? static_cast<Single>(s.MaxSpeed) : std::max(200.0f, t->Speed + (d - 400) * 0.5f);
  if (std::fabs(turn) > 1.2f && d < 800) wanted = std::min(wanted, 250.0f);
  keepSpeed(wanted);
  // Fire when the nose lies on the meeting point within the target's size.
  const Single reach = std::max(60.0f, (t->getWidth() + t->getDepth()) / 2 + 40);
  const bool lined = std::fabs(turn) < std::atan2(reach, lead) && std::fabs(s.Pitch - wantPitch) < 0.08f;
  const bool fire = aimed && lined && d < 2200;
  hold(Attack, fire);
  const Integer w = s.getSecondaryWeapon() >= 0 ? static_cast<Integer>(s.getSecondaryWeapon()) : Integer(-1);
  const bool rounds = w >= 0 && s.getSecondaryAmmo(w) > 0;
  // Guided rounds leave when the nose is roughly on it and near enough.
  hold(Secondary, aimed && rounds && std::fabs(turn) < 0.3f && d < 1500);
  if (fire || held(Secondary)) ++counts.shots;
  return true;
}

// ---- stores ----------------------------------------------------------------------------------

namespace {
// The stock grid's cell of entry k (the store shows rows Scroll and Scroll + 1), and its buttons.
Single cellX(Integer k) { return frameX() + 20 + 70 * (k % 4) + 32; }
Single cellY(Integer k, Integer scroll) { return frameY() + 50 + 70 * (k / 4 - scroll) + 32; }
Single buyX() { return frameX() + 320 + 72; }
Single buyY() { return frameY() + 200 + 10; }
Single doneX() { return frameX() + 250; }
Single doneY() { return frameY() + 320 + 10; }
Single scrollX() { return frameX() + 160; }
Single scrollUpY() { return frameY() + 40; }
Single scrollDownY() { return frameY() + 200; }
}  // namespace

bool InputPilot::storeRun(Long screen, const std::vector<Integer>& cells) {
  if (gi().Window != screen) {
    if (storeFrames > 0 && gi().Window == msNone) {
      storeFrames = 0;
      cancelClick();
      return true;
    }
    return false;
  }
  if (++storeFrames < 6) return false;  // the screen settles
  if (storeStep >= cells.size()) {
    click(doneX(), doneY());
    return false;
  }
  const Integer k = cells[storeStep];
  if (k < 0) {  // nothing to buy here
    ++storeStep;
    return false;
  }
  switch (storePhase) {
    case 0: {  // the entry's cell, with the grid scrolled to show its row
      const Integer row = k / 4;
      if (row < gi().Scroll) {
        click(scrollX(), scrollUpY());
        return false;
      }
      if (row > gi().Scroll + 1) {
        click(scrollX(), scrollDownY());
        return false;
      }
      if (CInterfaceProbe::selItem(gi()) == k) {
        storePhase = 1;
        return false;
      }
      click(cellX(k), cellY(k, gi().Scroll));
      return false;
    }
    case 1:  // "buy"
      cashBefore = Player->Cash;
      if (click(buyX(), buyY())) {
        storePhase = 2;
        storeWait = 0;
      }
      return false;
    default:  // the sale shows in the cash, or the button was a "can't buy"
      if (Player->Cash < cashBefore) {
        ++buysDone;
        storePhase = 0;
        ++storeStep;
      } else if (++storeWait > 6) {
        storePhase = 0;
        ++storeStep;
      }
      return false;
  }
}

bool InputPilot::buyParts(const std::vector<Integer>& parts) {
  // The grid lists the parts in stock by PartId; one entry per purchase: a mount weapon for each
  // free mount, any other part once.
  std::vector<Integer> cells;
  Integer mounts = 0;
  {
    const CShip& s = me();
    const Integer last = std::min<Integer>(s.getTotalMounts(), CShip::MountSlots - 1);
    for (Integer m = 0; m <= last; ++m) mounts += s.getMount(m) == -1;
  }
  if (gi().Window == msHardware && storeFrames == 0) {
    storeCells.clear();
    storeStep = 0;
    storePhase = 0;
    for (Integer part : parts) {
      Integer k = 0, at = -1;
      for (Integer id = 0; id < CInterfaceProbe::partSlots(gi()); ++id) {
        if (!CInterfaceProbe::partInStock(gi(), id)) continue;
        if (id == part) at = k;
        ++k;
      }
      const bool mountWeapon = part >= 0 && part <= 4;
      const int n = mountWeapon ? mounts : 1;
      if (mountWeapon) mounts = 0;
      for (int i = 0; i < n; ++i) storeCells.push_back(at);
    }
  }
  return storeRun(msHardware, storeCells);
}

bool InputPilot::inStock(Integer part) { return CInterfaceProbe::partInStock(gi(), part); }

bool InputPilot::buyWeapons(const std::vector<std::pair<Integer, int>>& buys) {
  if (gi().Window == msWeaponStore && storeFrames == 0) {
    storeCells.clear();
    storeStep = 0;
    storePhase = 0;
    for (const auto& [id, count] : buys) {
      Integer at = -1;
      for (Integer k = 0; k < CInterfaceProbe::weaponStockSlots(gi()); ++k)
        if (CInterfaceProbe::weaponStock(gi(), k) == id) at = k;
      for (int i = 0; i < count; ++i) storeCells.push_back(at);
    }
  }
  return storeRun(msWeaponStore, storeCells);
}

bool InputPilot::trade(bool buy) {
  const Long w = gi().Window;
  if (w != msPleasantTrading && w != msHyperMart) {
    if (storeFrames > 0 && w == msNone) {
      storeFrames = 0;
      cancelClick();
      return true;
    }
    return false;
  }
  if (++storeFrames < 6) return false;
  const Single x0 = frameX(), y0 = frameY();
  // The first row of each list: (x + 10 .. x + 210) and (x + 260 .. x + 460), from y + 51.
  if (buy && storePhase == 0) {
    cashBefore = Player->Cash;
    if (click(x0 + 110, y0 + 76)) storePhase = 1;
    return false;
  }
  if (!buy && Player->getRscNotEmpty()) {
    click(x0 + 360, y0 + 76);
    return false;
  }
  click(doneX(), doneY());
  return false;
}

bool InputPilot::plunder() {
  if (gi().Window != msPlunder) {
    if (storeFrames > 0 && gi().Window == msNone) {
      storeFrames = 0;
      tookAll = false;
      cancelClick();
      return true;
    }
    return false;
  }
  if (++storeFrames < 6) return false;
  const Single x0 = frameX(), y0 = frameY();
  if (!tookAll) {
    if (click(x0 + 360, y0 + 120)) tookAll = true;  // "take all"
    return false;
  }
  click(doneX(), doneY());
  return false;
}

bool InputPilot::answer(bool ok) {
  return click(ScreenWidth / 2.0f + (ok ? 60 : -60), ScreenHeight / 2.0f + 25);
}

bool InputPilot::talkTo(Integer ship, int presses) {
  if (ship != talkShip) {
    talkShip = ship;
    talkPresses = 0;
    talkFrame = frameCount;
  }
  if (talkPresses >= presses) return true;
  if (!target(ship)) return false;
  // One press opens the box; the next goes out while the box shows (it accepts an offer).
  if (frameCount - talkFrame < 8) return false;
  if (talkPresses > 0 && !gi().getTalkBox()) return false;
  tap(Talk);
  ++talkPresses;
  talkFrame = frameCount;
  return talkPresses >= presses;
}

bool InputPilot::leaveScreen() {
  if (gi().Window == msNone) {
    cancelClick();
    return true;
  }
  click(doneX(), doneY());
  return false;
}
