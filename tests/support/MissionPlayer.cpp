#include "tests/support/MissionPlayer.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <sstream>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "levels/CStructDef.h"
#include "platform/Window.h"
#include "runtime/Strings.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"
#include "tests/support/FrameScenes.h"

namespace {

constexpr Long FrameLimit = 3000;  // frames a case may run before it counts as stuck
constexpr Long ActionKey = 8, TalkKey = 17;
constexpr Double FightSeconds = 10;  // from the first shot at a ship to bringing it down
constexpr Long Easy = 1;              // CPlayer::Difficulty of a mortal case
constexpr Long MissileRackPrice = 800;  // "missile" at the weapon store (data/ammodef.pnd)
constexpr Integer RackRounds = 5;        // rounds a bought rack comes with
constexpr Integer Dairy = 3, DairyLoad = 10;

std::vector<std::string> splitList(const char* s) {
  std::vector<std::string> out;
  std::stringstream in(s ? s : "");
  for (std::string item; std::getline(in, item, ',');)
    if (!item.empty()) out.push_back(item);
  return out;
}

bool isMapMission(const MissionCase& c) {
  return std::string(c.file).rfind("map-", 0) == 0;
}

// A police unit of the node's faction (any police ship offers the node's map mission).
const char* policeUnit(Long align) {
  switch (align) {
    case 1:
      return "ptero_cop";
    case 2:
      return "zombie_cop";
    case 3:
      return "ninja_cop";
    default:
      return "misc_cop";
  }
}

// The shortest route of open links from the current node to goal, without the current node.
std::vector<Integer> routeTo(Integer goal) {
  const Integer from = World->CurrentNode, last = World->getTotalNodes();
  std::vector<Integer> back(static_cast<size_t>(last + 1), -2);
  std::deque<Integer> open{from};
  back[static_cast<size_t>(from)] = -1;
  while (!open.empty()) {
    const Integer n = open.front();
    open.pop_front();
    for (Integer m = 0; m <= last; ++m)
      if (back[static_cast<size_t>(m)] == -2 && World->isLinkOpen(n, m)) {
        back[static_cast<size_t>(m)] = n;
        open.push_back(m);
      }
  }
  std::vector<Integer> route;
  if (goal < 0 || goal > last || back[static_cast<size_t>(goal)] == -2) return route;
  for (Integer n = goal; n != from; n = back[static_cast<size_t>(n)]) route.insert(route.begin(), n);
  return route;
}

}  // namespace

class MissionPlayTest::Pilot {
 public:
  Pilot(const MissionCase& c, MissionRun& r, FakeGameClock& clock)
      : c(c), r(r), clock(clock), down(splitList(c.down)), keep(splitList(c.keep)), file(c.file) {}

  void frame() {
    ++passes;
    if (passes > FrameLimit)
      return stop("the mission did not end within " + std::to_string(FrameLimit) + " frames; " + state());
    switch (stage) {
      case Stage::Setup:
        return setUp();
      case Stage::Board:
        return board();
      case Stage::Confirm:
        return confirm();
      case Stage::Talk:
        return talk();
      case Stage::Play:
        return play();
      case Stage::Settle:
        return settle();
      case Stage::Done:
        GameRunning = false;
        return;
    }
  }

 private:
  enum class Stage { Setup, Board, Confirm, Talk, Play, Settle, Done };
  enum class Landing { Approach, Hold };

  CShip& me() { return *Ships[0]; }
  CInterface& gi() { return *GameInterface; }
  GameWindow& window() { return frmMain.window(); }

  void stop(const std::string& why) {
    if (r.problem.empty()) r.problem = why;
    stage = Stage::Done;
    GameRunning = false;
  }
  void press() {
    if (keyHeld) return;
    window().postKeyDown(Player->getCharKey(ActionKey));
    keyHeld = true;
  }
  void release() {
    if (!keyHeld) return;
    window().postKeyUp(Player->getCharKey(ActionKey));
    keyHeld = false;
  }
  void click(Single x, Single y) {
    PointerX = x;
    PointerY = y;
    window().postMouseDown(1, x, y);
    window().postMouseUp(1, x, y);
  }
  // What the pilot sees, for a report of a stuck run.
  std::string state() {
    std::ostringstream o;
    o << "directive \"" << MissionControl->getDirective() << "\", linked landing "
      << MissionControl->getLinkedLanding() << ", screen " << gi().Window << ", action " << gi().iAction
      << ", mouse " << gi().hasMouse() << ", key " << me().keyWarp << ", tractor " << me().TractorFrame
      << ", landing " << me().LandingFrame << ", node " << World->getCurrentPath() << ", goal \""
      << World->getGoalPath() << "\", player at " << me().x << "," << me().y << "," << me().e << " moving "
      << me().xM << "," << me().yM << " speed " << me().Speed << " warp " << me().getRealWarp();
    for (size_t i = 1; i < Ships.size(); ++i) {
      const CShip* s = Ships[i].get();
      if (!s || !s->Exists || s->getTag().empty()) continue;
      o << "; ship " << i << " \"" << s->getTag() << "\" armour " << s->Armor << " at " << s->x << "," << s->y
        << "," << s->e << " moving " << s->xM << "," << s->yM;
    }
    return o.str();
  }
  // A mortal pilot's lowest gauges are noted and a wreck stops the run; otherwise the ship takes no
  // damage (god mode: a blow larger than its armour in one frame would start its death throes
  // before a top-up) and is topped up.
  bool keepAlive() {
    if (c.mortal) {
      const CShip& s = me();
      if (r.lowestArmor < 0 || s.Armor < r.lowestArmor) r.lowestArmor = std::max(s.Armor, 0.0f);
      if (r.lowestShields < 0 || s.Shields < r.lowestShields) r.lowestShields = std::max(s.Shields, 0.0f);
      if (!s.Exists || s.Armor < 0 || s.getDeathThroes() > 0)
        stop("the pilot's ship was wrecked after " + std::to_string(r.seconds) + " s; " + state());
      return stage != Stage::Done;
    }
    CheatGod = true;
    me().Armor = static_cast<Single>(me().getMaxArmor());
    me().Shields = static_cast<Single>(me().getMaxShields());
    me().Fuel = static_cast<Single>(me().getMaxFuel());
    return true;
  }
  // A point of the map with no structure and no pad under it, for take-offs.
  void moveToOpenSpot() {
    CShip& s = me();
    if (CurMap->checkLand(s.x, s.y, s.e) < 0 && !CurMap->checkCheapStructCol(s.x, s.e, s.y, 150)) return;
    for (Single radius = 600; radius < 6000; radius += 300)
      for (Single a = 0; a < 6.28f; a += 0.3f) {
        const Single x = radius * std::cos(a), y = radius * std::sin(a);
        if (CurMap->checkLand(x, y, s.e) >= 0 || CurMap->checkCheapStructCol(x, s.e, y, 150)) continue;
        s.x = x;
        s.y = y;
        return;
      }
  }

  // ---- taking the mission ----------------------------------------------------------------------

  void setUp() {
    clock.step = static_cast<uint32_t>(c.frameMs);
    if (!frame_scenes::enterFlight()) return stop("the first map did not load");
    Player->addMissionComplete("tut.pnd");
    for (const std::string& m : splitList(c.done)) Player->addMissionComplete(m);
    const Integer node = World->getNodeFromPath(c.node);
    if (node < 0) return stop(std::string("no node ") + c.node);
    World->CurrentNode = node;
    World->ClearDest();
    CurMap->MapName = c.node;
    if (!CurMap->Load()) return stop(std::string("the map of ") + c.node + " did not load");
    const Long align = CurMap->getWorldAlign();
    if (align >= 0 && align < CPlayer::AlignSlots) Player->setAlignLevel(align, c.level);
    for (Integer k = 0; k < 8; ++k) Player->setResource(k, 0);
    if (c.mortal) {
      Player->Difficulty = Easy;
      CheatGod = false;
    }
    if (c.setup & WithGoods) {
      Player->setResource(Dairy, DairyLoad);
      if (c.mortal) Player->Cash -= static_cast<Long>(DairyLoad) * World->getTraderResource(Dairy);
    }
    gi().cargoToShip();
    resetLevel();
    if ((c.setup & WithMissiles) && c.mortal) {  // as the weapon store leaves a bought rack
      me().setSecondary(0, true);
      me().setSecondaryAmmo(0, RackRounds);
      Player->setHasWeaponFromShip(0);
      Player->setAmmoFromShip(0);
      Player->Cash -= MissileRackPrice;
    } else if (c.setup & WithMissiles) {
      me().setSecondaryAmmo(0, 10);
    }
    if (!keepAlive()) return;
    if (isMapMission(c)) {
      moveToOpenSpot();
      CurMap->MissionSpawn(policeUnit(align), "", me().x + 600, me().y, -1);
      for (Integer i = 1; i < static_cast<Integer>(Ships.size()); ++i) {
        const CShip* s = Ships[static_cast<size_t>(i)].get();
        const Long u = s && s->Exists ? s->getAIType() : -1;
        if (u == 14 || u == 16 || u == 17 || u == 18) police = i;
      }
      if (police < 0) return stop("no police ship to talk to");
      stage = Stage::Talk;
      return;
    }
    const Integer pad = MissionPlayTest::padServing(structMControl);
    if (pad < 0) return stop(std::string(c.node) + " has no mission control");
    MissionPlayTest::holdActionOver(pad);
    keyHeld = true;
    stage = Stage::Board;
  }

  Single frameX(Single width) const { return (ScreenWidth - width) / 2.0f; }
  Single frameY() const { return (ScreenHeight - 360) / 2.0f; }

  void board() {
    if (!keepAlive()) return;
    if (gi().Window != msMissionControl) {
      if (passes > 400) stop("mission control did not open");
      return;
    }
    release();
    std::string listed;
    for (Integer k = 0; k <= 2; ++k) {
      if (!MissionControl->IsNodeMission(k)) continue;
      listed += " " + MissionControl->getMissionPath(k);
      if (MissionControl->getMissionPath(k) != file) continue;
      r.offered = true;
      click(frameX(500) + 250, frameY() + 42 + 85.0f * k + 40);
      stage = Stage::Confirm;
      return;
    }
    stop(std::string("the board at ") + c.node + " does not list " + file + ":" + listed);
  }

  void confirm() {
    if (!keepAlive()) return;
    if (gi().Window == msConfirmMission) {
      click(ScreenWidth / 2.0f + 60, ScreenHeight / 2.0f + 25);  // "ok"
      return;
    }
    if (MissionControl->Reading) return begin();
    if (passes > 600) stop("the mission did not start from the board");
  }

  void talk() {
    if (!keepAlive()) return;
    CShip* cop = Ships[static_cast<size_t>(police)].get();
    if (!cop || !cop->Exists) return stop("the police ship left");
    me().SecondaryTarget = police;
    if (MissionControl->Reading) {
      r.offered = true;
      return begin();
    }
    // One press opens the offer, a second one while it shows accepts it.
    const Integer key = Player->getCharKey(TalkKey);
    if (talkPresses < 2 && passes % 6 == 3 && (talkPresses == 0 || gi().getTalkBox())) {
      window().postKeyDown(key);
      window().postKeyUp(key);
      ++talkPresses;
    }
    if (passes > 300) stop("the police offered no mission");
  }

  void begin() {
    r.started = true;
    cashAtStart = Player->Cash;
    stage = Stage::Play;
  }

  // ---- playing -----------------------------------------------------------------------------

  void play() {
    if (!keepAlive()) return;
    ++r.frames;
    r.seconds += FrameTime;
    if (saleFrame) {  // the sale clicked last frame
      income += Player->Cash - cashBeforeSale;
      saleFrame = false;
    }
    const std::string d = MissionControl->getDirective();
    if (MissionControl->getDirectiveFrame() > 0 && (r.directives.empty() || r.directives.back() != d))
      r.directives.push_back(d);
    if (!MissionControl->Reading) return end();
    spare();
    if (screen()) return;
    skipTalk();
    const Long linked = MissionControl->getLinkedLanding();
    if (linked >= 0 && !(c.setup & Dawdle)) return land(linked);
    landing = Landing::Approach;
    const std::string goal = World->getGoalPath();
    if (!goal.empty() && goal != World->getCurrentPath()) return travel(World->getNodeFromPath(goal));
    if ((c.setup & LeaveArea) && !r.directives.empty()) return leave();
    if ((c.setup & SellHold) && Player->getRscNotEmpty()) return sell();
    if (r.directives.empty()) return;
    shoot();
    tractor();
  }

  // A mission's talk line is skipped with the talk key (nothing targeted, so that nobody answers).
  void skipTalk() {
    if (!gi().getTalkBox() || passes % 4 != 0) return;
    me().SecondaryTarget = -1;
    const Integer key = Player->getCharKey(TalkKey);
    window().postKeyDown(key);
    window().postKeyUp(key);
  }

  void end() {
    release();
    r.ended = true;
    r.result = MissionControl->MissionCompleteFrame;
    r.paid = Player->Cash - cashAtStart - income;
    r.eraAfter = World->CurrentEra;
    const size_t slash = file.find_last_of('\\');
    r.recorded = Player->checkMissionComplete(slash == std::string::npos ? file : file.substr(slash + 1));
    stage = Stage::Settle;
    settle();
  }

  // The screen the mission leaves the player on, once the wait screen of a landing at the linked
  // pad (which the script's end may overtake) has run out.
  void settle() {
    if (!keepAlive()) return;
    skipTalk();  // a talk box with a focused ship holds the wait screen's clock
    if (gi().Window == msWaitForASec && ++settleFrames < 600) return;
    r.windowAfter = gi().Window;
    stage = Stage::Done;
    GameRunning = false;
  }

  // True while a screen other than flight is up (the pilot answers it).
  bool screen() {
    const Single x0 = frameX(500), y0 = frameY();
    switch (gi().Window) {
      case msNone:
        return false;
      case msWaitForASec:
        release();
        return true;
      case msCredits:
        return true;
      case msPlunder:
        release();
        if (!tookAll) {
          const Integer w = me().getTractorTarg();
          if (w >= 0 && Ships[static_cast<size_t>(w)]) income += Ships[static_cast<size_t>(w)]->getCash();
          click(x0 + 360, y0 + 120);  // "take all"
          tookAll = true;
        } else {
          click(x0 + 360, y0 + 220);  // "done!"
        }
        return true;
      case msPleasantTrading:
      case msHyperMart:
        release();
        if (Player->getRscNotEmpty()) {
          cashBeforeSale = Player->Cash;
          saleFrame = true;
          click(x0 + 360, y0 + 76);  // the first row of the sell list: a left click sells it all
        } else {
          click(ScreenWidth / 2.0f, y0 + 330);  // "done!"
        }
        return true;
      default:
        stop("an unexpected screen " + std::to_string(gi().Window) + " opened");
        return true;
    }
  }

  // Lands at the pad serving the structure type: over the pad, the action key held while "land"
  // is offered, released when the mission's wait screen shows.
  void land(Long type) {
    const Integer pad = MissionPlayTest::padServing(type);
    if (pad < 0)
      return stop("no pad on " + CurMap->MapName + " serves the linked landing " + std::to_string(type));
    if (pad != landPad) {
      landPad = pad;
      landing = Landing::Approach;
      approach = 0;
      release();
    }
    goToPad(pad);
  }

  // Stands the ship still over the pad (slower than a landing wants).
  void goToPad(Integer pad) {
    CShip& s = me();
    const D3DVECTOR p = CurMap->getStructPos(pad);
    auto standOver = [&] {
      s.x = p.x;
      s.y = p.z;
      s.e = std::max(s.e, -111.0f);  // from a dive below the band: moved in over the deck, not into the pad
      s.Speed = 0;
      s.xM = s.yM = 0;
    };
    switch (landing) {
      case Landing::Approach:
        if (s.LandingFrame > 1000 || ++approach > 20) {  // a landing held off: leave the pad first
          moveToOpenSpot();
          approach = 0;
          return;
        }
        standOver();
        if (gi().iAction == 2 && s.LandingFrame == 0) {
          press();
          landing = Landing::Hold;
          approach = 0;
        }
        return;
      case Landing::Hold:
        standOver();
        if (s.LandingFrame <= 0 && ++approach > 10) {  // the key went down when "land" was gone
          release();
          landing = Landing::Approach;
          approach = 0;
        }
        return;
    }
  }

  // Plots the shortest open route to the node and holds the action key until the warp can no
  // longer be called back; chained hops follow by themselves.
  void travel(Integer goal) {
    CShip& s = me();
    if (goal < 0 || World->CurrentNode == goal) return;
    if (s.getRealWarp() > 0) {
      if (s.getRealWarp() > 11) release();
      return;
    }
    if (World->DestNode < 0) {
      const std::vector<Integer> route = routeTo(goal);
      if (route.empty()) return stop("no open route to " + World->getNodePath(goal));
      for (Integer n : route) World->PickNode(n);
    }
    if (keyHeld) return;
    moveToOpenSpot();
    if (gi().iAction == 1) press();
  }

  void leave() {
    if (leaveTo < 0)
      for (Integer n = 0; n <= World->getTotalNodes() && leaveTo < 0; ++n)
        if (World->isLinkOpen(World->CurrentNode, n)) leaveTo = n;
    if (leaveTo < 0) return stop("no open neighbour to leave for");
    travel(leaveTo);
  }

  // Lands at a trading post (Pleasant Trading, or else a mart) to sell the hold.
  void sell() {
    Integer pad = MissionPlayTest::padServing(structHut);
    if (pad < 0) pad = MissionPlayTest::padServing(structShopping);
    if (pad < 0) return stop("no trading post on " + CurMap->MapName);
    if (pad != landPad) {
      landPad = pad;
      landing = Landing::Approach;
      approach = 0;
    }
    goToPad(pad);
  }

  bool tagged(const CShip& s, const std::string& tag) const { return LCase(s.getTag()) == LCase(tag); }

  // Ships the case keeps afloat take hits and keep their armour (the flag "makeishuo" sets).
  void spare() {
    for (size_t i = 1; i < Ships.size(); ++i) {
      CShip* s = Ships[i].get();
      if (!s || !s->Exists) continue;
      if (std::any_of(keep.begin(), keep.end(), [&](const std::string& t) { return tagged(*s, t); }))
        s->IsIshuo = true;
    }
  }

  // A fight with every tagged ship still up and in reach (not warping out or in): a first shot
  // marks it, and FightSeconds later a blow as large as its shields and armour, pushing it upward,
  // brings it down (disabled, or destroyed where the rules say so).
  void shoot() {
    for (size_t i = 1; i < Ships.size(); ++i) {
      CShip* s = Ships[i].get();
      if (!s || !s->Exists || s->getRealWarp() >= 10 || s->Armor < 0 || s->autoEvac == 2) continue;
      if (std::none_of(down.begin(), down.end(), [&](const std::string& t) { return tagged(*s, t); }))
        continue;
      const Long before = Player->Cash;
      const auto fight = fights.find(s);
      if (fight == fights.end()) {
        s->Hit(skLaserShot, 0, D3DVECTOR{0, 1, 0}, 0);
        fights[s] = r.seconds;
      } else if (r.seconds - fight->second >= FightSeconds && !(tagged(*s, c.pull) && overPad(*s))) {
        s->Hit(skSplashDamage, 0, D3DVECTOR{0, 1, 0}, 2 * (s->Shields + s->Armor + 5));
      }
      income += Player->Cash - before;  // the kill's value
    }
  }

  // A ship to be pulled in is downed away from the pads: over one, the action key would land.
  static bool overPad(const CShip& s) { return CurMap && CurMap->checkLand(s.x, s.y, 1e9f) >= 0; }

  // Hovers over the downed tagged wreck with the action key held until the beam has it.
  void tractor() {
    if (!*c.pull) return;
    CShip& p = me();
    if (p.TractorFrame > 2) return release();
    for (size_t i = 1; i < Ships.size(); ++i) {
      const CShip* w = Ships[i].get();
      if (!w || !w->Exists || !(w->Armor < 0) || w->getDeathThroes() > 0 || !tagged(*w, c.pull)) continue;
      if (p.TractorFrame <= 0) {
        // Over a pad the action key lands rather than pulls: hover beside the wreck, within the
        // beam's reach, where no pad lies under the ship.
        if (gi().iAction == 2) aside = (aside + 1) % 9;  // "land"
        static constexpr Single kAside[9][2] = {{0, 0},    {80, 0},  {-80, 0}, {0, 80},  {0, -80},
                                                {80, 80}, {80, -80}, {-80, 80}, {-80, -80}};
        p.x = w->x + kAside[aside][0];
        p.y = w->y + kAside[aside][1];
        p.e = w->e + 100;
        p.xM = w->xM;  // drifting with it, as a pilot matching its course would
        p.yM = w->yM;
        p.eM = w->eM;
        p.Speed = 0;
      }
      if (gi().iAction == 3) press();
      if (keyHeld && p.TractorFrame <= 0 && ++pullTries > 3) {  // the beam missed it: try again
        release();
        pullTries = 0;
      }
      return;
    }
  }

  const MissionCase& c;
  MissionRun& r;
  FakeGameClock& clock;
  const std::vector<std::string> down, keep;
  std::map<const CShip*, Double> fights;  // ships shot at, with the game time of the first shot
  const std::string file;
  Stage stage = Stage::Setup;
  Landing landing = Landing::Approach;
  Long passes = 0;
  bool keyHeld = false, tookAll = false, saleFrame = false;
  int settleFrames = 0;
  Integer aside = 0;  // where the pilot hovers by the wreck it pulls (tractor)
  Integer police = -1, talkPresses = 0, pullTries = 0, landPad = -1, approach = 0, leaveTo = -1;
  Long cashAtStart = 0, income = 0, cashBeforeSale = 0;
};

MissionRun MissionPlayTest::play(const MissionCase& c) {
  FakeGameClock clock;
  MissionRun run;
  Pilot pilot(c, run, clock);
  frmMain.afterFrameForTests = [&](Long pass) {
    if (!scriptInPlay(pass, FrameLimit + 1000)) return;
    pilot.frame();
  };
  frmMain.Form_Load();
  CheatGod = false;
  return run;
}

void PrintTo(const MissionCase& c, std::ostream* os) {
  *os << c.file << " at " << c.node;
}

std::string missionCaseName(const ::testing::TestParamInfo<MissionCase>& info) {
  return info.param.label;
}

void expectPlayed(const MissionCase& c, const MissionRun& r) {
  ASSERT_TRUE(r.problem.empty()) << c.file << ": " << r.problem;
  EXPECT_TRUE(r.offered) << c.file;
  ASSERT_TRUE(r.started) << c.file;
  ASSERT_TRUE(r.ended) << c.file;
  for (const std::string& d : r.directives) EXPECT_FALSE(d.empty()) << c.file;
  std::string seen;  // what the run showed, for a failure's message
  for (const std::string& d : r.directives) seen += " \"" + d + "\"";
  seen = " after " + std::to_string(r.seconds) + " s, directives:" + seen;
  if (c.passes) {
    EXPECT_FALSE(r.directives.empty()) << c.file << " is won without ever saying what to do";
    EXPECT_GT(r.result, 3.5f) << c.file << ": \"mission complete!\"";
    EXPECT_LE(r.result, 4.0f) << c.file << seen;
    EXPECT_TRUE(r.recorded) << c.file;
  } else {
    EXPECT_GT(r.result, 10.0f) << c.file << ": \"mission failed!\"" << seen;
    EXPECT_FALSE(r.recorded) << c.file;
  }
  EXPECT_EQ(r.paid, c.pay) << c.file;
  EXPECT_GE(r.seconds, c.atLeast) << c.file << " ended before its clock";
  if (c.mortal) {
    ::testing::Test::RecordProperty("lowestArmor", std::to_string(r.lowestArmor));
    ::testing::Test::RecordProperty("lowestShields", std::to_string(r.lowestShields));
  }
  if (c.eraAfter >= 0) {
    EXPECT_EQ(r.eraAfter, c.eraAfter) << c.file;
  }
  if (c.screenAfter >= 0) {
    EXPECT_EQ(r.windowAfter, c.screenAfter) << c.file;
  }
}
