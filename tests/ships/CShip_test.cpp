// The ship record: a created ship, set-up, the working values from the design and the player's
// parts, the read-outs that divide by maxima, primary fire intervals, cargo and cash, hostility
// and crew seats.
#include "ships/CShip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "audio/soundMod.h"
#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "engine/MessageLog.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "tests/support/TempGameDir.h"

// Reads and writes the ship's private state for the tests.
class CShipProbe {
 public:
  static Single& maxShields(CShip& s) { return s.maxShields; }
  static Single& maxArmor(CShip& s) { return s.maxArmor; }
  static Single& firingRate(CShip& s) { return s.firingRate; }
  static Single primaryInterval(const CShip& s) { return s.primaryInterval; }
  static Single shieldDelay(const CShip& s) { return s.shieldDelay; }
  static Single shieldRegen(const CShip& s) { return s.shieldRegen; }
  static Single armorRepair(const CShip& s) { return s.armorRepair; }
  static Single boostRate(const CShip& s) { return s.boostRate; }
  static Single boostMax(const CShip& s) { return s.boostMax; }
  static Single maxFuel(const CShip& s) { return s.maxFuel; }
  static bool jetTintA(const CShip& s) { return s.jetTintA; }
  static bool jetTintB(const CShip& s) { return s.jetTintB; }
  static Single& warpFrame(CShip& s) { return s.warpFrame; }
  static Single& warpOutTimer(CShip& s) { return s.warpOutTimer; }
  static Single& trickValue(CShip& s) { return s.trickValue; }
  static Single& spinValue(CShip& s) { return s.spinValue; }
  static Integer engineSound(const CShip& s) { return s.engineSound; }
  static std::shared_ptr<CCharacter> seat(const CShip& s, int k) { return s.crew[k]; }
  static void nextTarget(CShip& s) { s.nextTarget(); }
  static void prevTarget(CShip& s) { s.prevTarget(); }
};

namespace {
int errorNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const VbError& e) {
    return e.number();
  }
  return 0;
}

CShipDef design(Integer mounts = 2, Long body = sbCar) {
  CShipDef d;
  d.ShipName = "Testbed";
  d.MaxArmor = 400;
  d.MaxShields = 300;
  d.MaxFuel = 3000;
  d.Agility = 3.5f;       // rounds to 4
  d.MaxSpeed = 1000.5f;   // rounds to 1000 (half to even)
  d.Acceleration = 600;
  d.Traction = 3.5f;
  d.Cargo = 40;
  d.Energy = 12;
  d.Price = 22000;
  d.TotalMounts = mounts;
  d.ShipBody = body;
  d.CamFollowY = 70;
  d.CamFollowZ = 260;
  return d;
}

class CShipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setRndSeedForTests(12345);
    GameMode = pmPlay;
    dir.write("\\data\\readme.txt", "");  // the options files are written here
    Player = std::make_shared<CPlayer>();  // reads the options files of the temporary folder
    Ships.clear();
    for (int i = 0; i < 16; ++i) Ships.push_back(std::make_shared<CShip>());
  }
  void TearDown() override {
    Ships.clear();
    Characters.clear();
    Player.reset();
    GameMode = 0;
    clearRndTestSeed();
    CheatGod = CheatAmmo = CheatCash = CheatSlowMo = false;
    DevMode = ClassicView = FollowMouse = false;
  }
  // Ships(i) with the design, set up.
  CShip& ready(Integer i, const CShipDef& d = design()) {
    CShip& s = *Ships[i];
    s.setDef(d);
    s.Init(i);
    return s;
  }
  TempGameDir dir;
};
}  // namespace

TEST_F(CShipTest, ACreatedShipTakesNoPartAndHasNoWeapons) {
  CShip s;
  EXPECT_FALSE(s.Exists);
  for (Integer i = 0; i < 8; ++i) EXPECT_EQ(s.getMount(i), -1) << i;
  for (Integer i = 0; i < 16; ++i) {
    EXPECT_FALSE(s.getHasSecondary(i));
    EXPECT_EQ(s.getSecondaryAmmo(i), 0);
  }
  EXPECT_EQ(CShipProbe::engineSound(s), -1);
  // Taking a never-started ship out of play leaves sound slot 0 alone.
  SoundNames[0] = "laser";
  s.stopEngineSound();
  EXPECT_EQ(SoundNames[0], "laser");
  SoundNames[0].clear();
  // Without a design or pilot the design and pilot read-outs raise instead of crashing.
  EXPECT_EQ(errorNumber([&] { s.getPrice(); }), vberr::ObjectMissing);
  EXPECT_EQ(errorNumber([&] { s.getAlign(); }), vberr::ObjectMissing);
  EXPECT_EQ(errorNumber([&] { s.resetAIHostiles(); }), vberr::ObjectMissing);
  EXPECT_EQ(s.getShipBody(), sbCar);
}

TEST_F(CShipTest, InitWithoutADesignGivesZeroMaximaAndNoDivisionByThem) {
  CShip& s = *Ships[3];
  s.keyThrust = true;
  s.Shields = 50;
  s.Armor = -20;
  s.Init(3);
  EXPECT_TRUE(s.Exists);
  EXPECT_EQ(s.ID, 3);
  EXPECT_TRUE(s.canTrade);
  EXPECT_EQ(s.SecondaryTarget, -1);
  EXPECT_EQ(s.IsBounty, -1);
  EXPECT_EQ(s.Meeter, -1);
  EXPECT_EQ(s.getTractorTarg(), -1);
  EXPECT_TRUE(s.keyThrust);  // control flags keep their values
  EXPECT_EQ(s.getMaxArmor(), 0);
  EXPECT_EQ(s.getMaxShields(), 0);
  EXPECT_EQ(s.getMaxFuel(), 0);
  EXPECT_EQ(s.Armor, 0);
  EXPECT_EQ(s.Shields, 0);
  EXPECT_EQ(s.Fuel, 0);
  EXPECT_EQ(CShipProbe::boostMax(s), 5.0f);
  EXPECT_EQ(s.getShieldPercent(), 0);
  EXPECT_EQ(s.getArmorPercent(), 0);
  EXPECT_EQ(s.getBoostPercent(), 0);
  EXPECT_EQ(s.getFreeCargo(), 0);
  EXPECT_EQ(s.getCharTexture(), "");
  for (int k = 0; k < 6; ++k) {
    ASSERT_TRUE(CShipProbe::seat(s, k));
    EXPECT_FALSE(CShipProbe::seat(s, k)->Exists);
  }
}

TEST_F(CShipTest, ShieldAndArmourPercentagesClampAndNeverDivideByZero) {
  CShip& s = ready(1);
  struct Case {
    Single value, maximum, percent;
  } cases[] = {{150, 300, 0.5f}, {450, 300, 1}, {-10, 300, 0}, {10, 0, 0}, {0, 0, 0}, {-5, -100, 0}};
  for (const Case& c : cases) {
    s.Shields = c.value;
    CShipProbe::maxShields(s) = c.maximum;
    s.Armor = c.value;
    CShipProbe::maxArmor(s) = c.maximum;
    EXPECT_EQ(s.getShieldPercent(), c.percent) << c.value << " / " << c.maximum;
    EXPECT_EQ(s.getArmorPercent(), c.percent) << c.value << " / " << c.maximum;
  }
}

TEST_F(CShipTest, TheShipKeepsItsOwnCopyOfTheDesign) {
  CShipDef d = design(5, sbCar);
  CShip& s = *Ships[2];
  s.setDef(d);
  d.Price = 1;
  d.TotalMounts = 0;
  EXPECT_EQ(s.getValue(), 22000);
  EXPECT_EQ(s.getPrice(), 22000);
  EXPECT_EQ(s.getTotalMounts(), 5);
  EXPECT_EQ(s.getTotalDockBays(), 2);  // 2.5 rounds to 2, whatever the body type
  EXPECT_EQ(s.CamFollowY, 70);
  EXPECT_EQ(s.CamFollowZ, 260);
  s.setDef(design(3, sbCapital));
  EXPECT_EQ(s.getTotalDockBays(), 2);  // 1.5 rounds to 2
  s.Init(2);
  EXPECT_EQ(s.getMaxArmor(), 400);
  EXPECT_EQ(s.Armor, 400);
  EXPECT_EQ(s.Shields, 300);
  EXPECT_EQ(s.Fuel, 3000);
  EXPECT_EQ(s.Agility, 4);
  EXPECT_EQ(s.MaxSpeed, 1000);
  EXPECT_EQ(s.getEnergy(), 12);
  EXPECT_EQ(s.getFreeCargo(), 40);
}

TEST_F(CShipTest, ThePlayersPartsWorkOnlyOnTheirShipInPlay) {
  CPlayer& p = *Player;
  p.ArmorLev = 3;
  p.HasFuelDoubler = p.HasShieldBoost = p.HasAgilitator = p.HasCapacitator = p.HasShieldDoubler = true;
  p.HasBoostBooster = p.HasAcceleratron = p.HasShieldCharger = p.HasRoboFixit = p.HasRoboLoader = true;
  p.HasJammar = true;
  CShip& s = ready(0);
  EXPECT_EQ(s.getMaxArmor(), 1400);
  EXPECT_EQ(s.getMaxFuel(), 4000);
  EXPECT_EQ(s.getMaxShields(), 750);
  EXPECT_EQ(s.Armor, 1400);
  EXPECT_EQ(CShipProbe::shieldDelay(s), 5.0f);
  EXPECT_EQ(s.Agility, 6);       // 4 x 1.5
  EXPECT_EQ(s.MaxSpeed, 1200);   // 1000 + 200
  EXPECT_EQ(s.Acceleration, 1200);
  EXPECT_EQ(CShipProbe::boostRate(s), 1.0f);
  EXPECT_EQ(CShipProbe::shieldRegen(s), 30.0f);
  EXPECT_EQ(CShipProbe::armorRepair(s), 1.0f);
  EXPECT_EQ(s.getFiringRate(), 1.5f);
  EXPECT_TRUE(s.HasJammer);
  EXPECT_TRUE(CShipProbe::jetTintA(s));
  EXPECT_TRUE(CShipProbe::jetTintB(s));

  // Parts sold: the working values and the flames follow; what the ship holds is clamped.
  p.ArmorLev = 0;
  p.HasFuelDoubler = p.HasShieldDoubler = p.HasAcceleratron = p.HasCapacitator = false;
  s.MakeModdedDef();
  EXPECT_EQ(s.Armor, 400);
  EXPECT_EQ(s.Shields, 300);
  EXPECT_EQ(s.Fuel, 3000);
  EXPECT_FALSE(CShipProbe::jetTintA(s));
  EXPECT_FALSE(CShipProbe::jetTintB(s));

  // Another ship, or the player's ship in an editor: the plain design.
  for (auto [mode, id] : {std::pair<Long, Integer>{pmPlay, 1}, {pmShipEditor, 0}}) {
    GameMode = mode;
    p.ArmorLev = 2;
    CShip& o = ready(id);
    EXPECT_EQ(o.getMaxArmor(), 400) << mode << "," << id;
    EXPECT_EQ(o.getFiringRate(), 1.0f);
    EXPECT_EQ(CShipProbe::shieldDelay(o), 10.0f);
    EXPECT_EQ(CShipProbe::shieldRegen(o), 20.0f);
    EXPECT_EQ(CShipProbe::boostRate(o), 0.5f);
  }
}

TEST_F(CShipTest, HardDifficultyGivesOtherShipsABonusOnTheDraw) {
  Player->Difficulty = 3;
  CShip& s = ready(4);
  int accel = 0, speed = 0, none = 0;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    setRndSeedForTests(seed);
    const Single draw = Rnd();
    setRndSeedForTests(seed);
    s.MakeModdedDef();
    if (draw < 0.2f) {
      ++accel;
      EXPECT_EQ(s.Acceleration, 1200);
      EXPECT_EQ(s.MaxSpeed, 1000);
    } else if (draw < 0.4f) {
      ++speed;
      EXPECT_EQ(s.Acceleration, 600);
      EXPECT_EQ(s.MaxSpeed, 1200);
      EXPECT_TRUE(CShipProbe::jetTintB(s));
    } else {
      ++none;
      EXPECT_EQ(s.Acceleration, 600);
      EXPECT_EQ(s.MaxSpeed, 1000);
    }
  }
  EXPECT_GT(accel, 0);
  EXPECT_GT(speed, 0);
  EXPECT_GT(none, 0);
  Player->Difficulty = 2;
  setRndSeedForTests(1);
  s.MakeModdedDef();
  EXPECT_EQ(s.Acceleration, 600);
  EXPECT_EQ(s.MaxSpeed, 1000);
}

TEST_F(CShipTest, PrimaryIntervalSumsTheMountsTheShipHas) {
  struct Case {
    const char* what;
    Integer lastMount;
    std::vector<Long> mounts;
    Single rate, interval;
  } cases[] = {
      {"no weapons", 2, {}, 1.0f, 1.0f},
      {"one mount, one laser", 0, {1}, 1.0f, 0.25f},
      {"laser and cannon with the robo-loader", 1, {1, 5}, 1.5f, 0.25f / 1.65f},
      {"three full-rate weapons", 2, {0, 4, 11}, 1.0f, 0.25f / 3},
      {"heavy weapons", 2, {6, 7, 10}, 1.0f, 0.25f / 0.3f},
      {"a weapon past the design's last mount", 1, {1, -1, 1}, 1.0f, 0.25f},
      {"a damaged design with 9 mounts", 8, {1, 1, 1, 1, 1, 1, 1, 1}, 1.0f, 0.25f / 8},
      {"a design without mounts", -1, {1}, 1.0f, 1.0f},
      {"unknown weapon numbers", 1, {12, -5}, 1.0f, 1.0f},
  };
  for (const Case& c : cases) {
    CShip& s = ready(2, design(c.lastMount));
    for (Integer i = 0; i < 8; ++i) s.setMount(i, i < static_cast<Integer>(c.mounts.size()) ? c.mounts[i] : -1);
    CShipProbe::firingRate(s) = c.rate;
    s.makePrimaryInterval();
    EXPECT_FLOAT_EQ(CShipProbe::primaryInterval(s), c.interval) << c.what;
  }
  CShip& s = *Ships[2];
  EXPECT_EQ(errorNumber([&] { s.setMount(8, 1); }), vberr::Subscript);
  EXPECT_EQ(errorNumber([&] { s.getMount(-1); }), vberr::Subscript);
}

TEST_F(CShipTest, CargoFillsUpToTheHold) {
  CShip& s = ready(1);  // hold of 40
  struct Case {
    Integer before, offered, added, rest;
  } cases[] = {{40, 5, 0, 5}, {37, 10, 3, 7}, {0, 10, 10, 0}, {39, 1, 1, 0}, {45, 3, 0, 3}};
  for (const Case& c : cases) {
    for (Integer k = 0; k < 8; ++k) s.setResource(k, 0);
    s.setResource(6, c.before);
    Integer rest = -99;
    s.addResource(2, c.offered, rest);
    EXPECT_EQ(s.getResource(2), c.added) << c.before << " + " << c.offered;
    EXPECT_EQ(rest, c.rest) << c.before << " + " << c.offered;
  }
  for (Integer k = 0; k < 8; ++k) s.setResource(k, 0);
  EXPECT_EQ(s.getGreatestRsc(), 0);
  s.setResource(3, 7);
  s.setResource(5, 7);
  s.setResource(1, 2);
  EXPECT_EQ(s.getGreatestRsc(), 3);  // a tie keeps the lower kind
  EXPECT_EQ(s.getFreeCargo(), 24);
  EXPECT_EQ(errorNumber([&] { s.setResource(8, 1); }), vberr::Subscript);
  s.setCash(-3);
  EXPECT_EQ(s.getCash(), -3);
}

TEST_F(CShipTest, RandomCargoAndCash) {
  for (Integer hold : {0, 1, 40, 300}) {
    for (uint32_t seed = 1; seed <= 30; ++seed) {
      setRndSeedForTests(seed * 7919);
      CShipDef d = design();
      d.Cargo = hold;
      CShip& s = ready(1, d);
      s.giveRandomResources(false);
      int total = 0, kinds = 0;
      for (Integer k = 0; k < 8; ++k) {
        total += s.getResource(k);
        kinds += s.getResource(k) > 0;
      }
      EXPECT_GT(total, hold / 2.0) << "hold " << hold;
      EXPECT_GE(total, 5);  // at least one batch, even in a ship without a hold
      EXPECT_LE(total, hold / 2.0 + 10);
      EXPECT_LE(kinds, 6);
      EXPECT_GE(s.getCash(), 5);
      EXPECT_LE(s.getCash(), std::sqrt(22000.0) + 0.5);
      s.giveRandomResources(true);  // a twentieth of that plus up to 20
      EXPECT_GE(s.getCash(), 5);
      EXPECT_LE(s.getCash(), std::sqrt(22000.0) / 20 + 20.5);
    }
  }
  CShipDef free = design();
  free.Price = 0;
  ready(1, free).giveRandomResources(false);
  EXPECT_EQ(Ships[1]->getCash(), 5);
  // A damaged design with a negative price raises instead of taking a square root of it.
  free.Price = -100;
  CShip& s = ready(1, free);
  EXPECT_EQ(errorNumber([&] { s.giveRandomResources(false); }), vberr::InvalidCall);
}

TEST_F(CShipTest, HostilityBetweenPilots) {
  for (Integer i = 0; i < 4; ++i) ready(i);
  CShip& a = *Ships[1];
  a.setAIHostile(2, true);
  a.setAIHostile(1, true);  // never hostile to itself
  a.setAIHostile(40, true);  // beyond the table: ignored
  EXPECT_TRUE(a.checkAIHostile(2));
  EXPECT_FALSE(a.checkAIHostile(1));
  EXPECT_FALSE(a.checkAIHostile(40));
  EXPECT_FALSE(a.checkAIHostile(-1));
  // A ship set up in a slot is no pilot's enemy; the other marks stay, also with a slot that a
  // level reset refilled and nothing set up yet.
  a.setAIHostile(0, true);
  Ships[3]->setAIHostile(0, true);
  Ships[9] = std::make_shared<CShip>();
  ready(2);
  EXPECT_FALSE(a.checkAIHostile(2));
  EXPECT_TRUE(a.checkAIHostile(0));
  EXPECT_TRUE(Ships[3]->checkAIHostile(0));
  a.setAIHostile(3, true);
  a.setAIType(10);
  EXPECT_EQ(a.getAIType(), 10);
  EXPECT_EQ(a.getUnitType(), 10);
  EXPECT_FALSE(a.checkAIHostile(3));
  a.setAIHostile(3, true);
  a.resetAIHostiles();
  EXPECT_FALSE(a.checkAIHostile(3));
  a.setAlign(5);
  EXPECT_EQ(a.getAlign(), 5);
  // A ship without a pilot gets one when asked.
  CShip fresh;
  fresh.ID = 20;
  EXPECT_FALSE(fresh.checkAIHostile(0));
  fresh.setAIHostile(0, true);
  EXPECT_TRUE(fresh.checkAIHostile(0));
}

TEST_F(CShipTest, TricksSpinsAndWarpStretch) {
  CShip& s = ready(1);
  s.RollMe(1);
  EXPECT_EQ(CShipProbe::trickValue(s), 11);
  s.RollMe(2);  // a trick runs: ignored
  EXPECT_EQ(CShipProbe::trickValue(s), 11);
  EXPECT_DOUBLE_EQ(s.getSpinning(), 1.7);
  s.SpinMe();   // no spin during a trick
  EXPECT_EQ(CShipProbe::spinValue(s), 0);
  CShipProbe::trickValue(s) = 0;
  s.RollMe(7);
  EXPECT_EQ(CShipProbe::trickValue(s), 1);
  CShipProbe::trickValue(s) = 0;
  s.SpinMe();
  EXPECT_TRUE(CShipProbe::spinValue(s) == 41 || CShipProbe::spinValue(s) == 51);
  CShipProbe::spinValue(s) = 42;
  EXPECT_TRUE(s.getRollSafe());
  CShipProbe::spinValue(s) = 43.85f;
  EXPECT_FALSE(s.getRollSafe());
  CShipProbe::spinValue(s) = 0;
  s.Armor = 0;
  s.SpinMe();  // a dead ship does not spin
  EXPECT_EQ(CShipProbe::spinValue(s), 0);

  struct Case {
    Single frame, timer, stretch;
  } cases[] = {{0, 0, 0},  {10, 0, 0},   {15, 0, 5},      {20, 0, 10}, {22, 0, 2},
               {30, 0, 3}, {31.5f, 0, 0}, {40, 0, 0},     {0, 2, 2}};
  for (const Case& c : cases) {
    CShipProbe::warpFrame(s) = c.frame;
    CShipProbe::warpOutTimer(s) = c.timer;
    EXPECT_NEAR(s.getWarp(), c.stretch, 1e-3) << c.frame << ", " << c.timer;
  }
  EXPECT_TRUE(s.getTransWarp());
  CShipProbe::warpOutTimer(s) = 4;
  EXPECT_FALSE(s.getTransWarp());
}

TEST_F(CShipTest, CrewSeatsTakeTheBodysPoses) {
  struct Case {
    Long body;
    Integer seat;
    Long given, pose;
  } cases[] = {{sbCar, 0, 7, 0},   {sbCar, 1, 7, 1},       {sbConvertible, 1, 7, 1}, {sbBike, 0, 7, 15},
               {sbBike, 1, 7, 18}, {sbBike, 2, 7, 7},      {sbCapital, 0, 7, 7},     {sbFleshy, 1, 3, 3}};
  for (const Case& c : cases) {
    CShip& s = ready(1, design(2, c.body));
    Long pose = c.given;
    s.fullInitChar(c.seat, "hiro", "hiro.bmp", pose);
    EXPECT_EQ(pose, c.pose) << "body " << c.body << " seat " << c.seat;
    auto who = CShipProbe::seat(s, c.seat);
    EXPECT_TRUE(who->Exists);
    EXPECT_EQ(who->getAnim(), c.pose);
    EXPECT_EQ(who->getModel(), "hiro");
  }
  CShip& s = *Ships[1];
  EXPECT_EQ(s.getCharTexture(), "");  // only seat 0 speaks for the ship, and it is empty
  Long pose = 0;
  s.fullInitChar(0, "yuko", "yuko_red.bmp", pose);
  EXPECT_EQ(s.getCharTexture(), "yuko_red");
  EXPECT_EQ(s.getCurrentWeapon(), -1);
  EXPECT_EQ(errorNumber([&] { s.initChar(6); }), vberr::Subscript);
}

TEST_F(CShipTest, FlyingViewPointLiesBeyondTheThrownCrew) {
  CShip& s = ready(0);
  s.x = 100;
  s.y = 200;
  s.e = 10;
  Characters.assign(2, nullptr);
  EXPECT_EQ(errorNumber([&] { s.getFlyingV(); }), vberr::ObjectMissing);
  for (auto& c : Characters) c = std::make_shared<CCharacter>();
  Characters[0]->x = 120;
  Characters[0]->y = 200;
  Characters[0]->e = 30;
  D3DVECTOR v = s.getFlyingV();  // both character slots 0: the midpoint is that character
  EXPECT_FLOAT_EQ(v.x, 130);
  EXPECT_FLOAT_EQ(v.y, 40);
  EXPECT_FLOAT_EQ(v.z, 200);
  D3DVECTOR p = s.getPos();
  EXPECT_EQ(p.x, 100);
  EXPECT_EQ(p.y, 10);
  EXPECT_EQ(p.z, 200);
}

TEST_F(CShipTest, TargetKeysSkipAbsentWarpingAndOwnShips) {
  CShip& me = ready(0);
  me.SecondaryTarget = -1;
  CShipProbe::nextTarget(me);
  EXPECT_EQ(me.SecondaryTarget, -1);  // nobody else in the level
  ready(3);
  ready(5);
  ready(9);
  CShipProbe::warpFrame(*Ships[5]) = 15;  // warping: never picked
  CShipProbe::nextTarget(me);
  EXPECT_EQ(me.SecondaryTarget, 3);
  CShipProbe::nextTarget(me);
  EXPECT_EQ(me.SecondaryTarget, 9);
  CShipProbe::nextTarget(me);
  EXPECT_EQ(me.SecondaryTarget, 3);  // wraps past the last slot
  CShipProbe::prevTarget(me);
  EXPECT_EQ(me.SecondaryTarget, 9);  // and back below 0
  Ships[9]->Exists = false;
  CShipProbe::prevTarget(me);
  EXPECT_EQ(me.SecondaryTarget, 3);
}

TEST(CCharacterTest, AThrownCharacterFallsByTheFrameTime) {
  CCharacter c;
  EXPECT_FALSE(c.Exists);
  EXPECT_EQ(c.Weapon, -1);
  c.Init();
  c.xM = 100;
  c.eM = 50;
  FrameTime = 0.5;
  c.Move();  // not falling: stays
  EXPECT_EQ(c.x, 0);
  c.FreeFalling = 1.0f;
  c.Move();
  EXPECT_EQ(c.x, 50);
  EXPECT_EQ(c.e, 25);
  EXPECT_EQ(c.eM, 0);
  EXPECT_EQ(c.FreeFalling, 1.5f);
  FrameTime = 0;
  // A pose change waits while a blend runs, unless forced.
  c.setAnim(9, 10.0f);
  c.setAnim(3);
  EXPECT_EQ(c.getAnim(), 0);
  c.setAnim(3, 0, true);
  EXPECT_EQ(c.getAnim(), 3);
}
