// Shared fixture of the movement and damage tests: a temporary game folder, a fresh player record,
// normal difficulty, 16 empty ship slots, a fresh interface, play mode, a fixed random sequence, and the private
// movement state of a ship through CShipFlightProbe. Every global the steps read is reset.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "campaign/CPlayer.h"
#include "game/CameraMod.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "engine/MessageLog.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/Rnd.h"
#include "runtime/Trap.h"
#include "audio/soundMod.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"
#include "tests/support/LoggedLines.h"
#include "tests/support/TempGameDir.h"

struct CShipFlightProbe {
  static Single& pushX(CShip& s) { return s.pushX; }
  static Single& pushE(CShip& s) { return s.pushE; }
  static Single& pushY(CShip& s) { return s.pushY; }
  static Single& trickValue(CShip& s) { return s.trickValue; }
  static Single& spinValue(CShip& s) { return s.spinValue; }
  static Single& trickRoll(CShip& s) { return s.trickRoll; }
  static Single& trickPitch(CShip& s) { return s.trickPitch; }
  static Single& boostLeft(CShip& s) { return s.boostLeft; }
  static Integer& trickQueue(CShip& s) { return s.trickQueue; }
  static Single& warpFrame(CShip& s) { return s.warpFrame; }
  static Single& deathThroes(CShip& s) { return s.deathThroes; }
  static Single& shipSize(CShip& s) { return s.shipSize; }
  static Single& width(CShip& s) { return s.width; }
  static Single& depth(CShip& s) { return s.depth; }
  static Single& maxArmor(CShip& s) { return s.maxArmor; }
  static Single& maxShields(CShip& s) { return s.maxShields; }
  static Single& sparkVal(CShip& s) { return s.sparkVal; }
  static Single& hitFlash(CShip& s) { return s.hitFlash; }
  static Integer& engineSound(CShip& s) { return s.engineSound; }
  static Single& jetGlow(CShip& s) { return s.jetGlow; }
  static CAI& pilot(CShip& s) { return *s.pilot; }
  static void setTag(CShip& s, const std::string& t) { s.tag = t; }
};

// A plain design: agility 20, top speed 1000, acceleration 500, grip 2; 400 armour, 300 shields.
inline CShipDef flightDesign(Long body = sbCar) {
  CShipDef d;
  d.ShipName = "Flightbed";
  d.MaxArmor = 400;
  d.MaxShields = 300;
  d.MaxFuel = 3000;
  d.Agility = 20;
  d.MaxSpeed = 1000;
  d.Acceleration = 500;
  d.Traction = 2;
  d.Cargo = 40;
  d.ShipBody = body;
  d.CamFollowY = 70;
  d.CamFollowZ = 260;
  return d;
}

class FlightTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setRndSeedForTests(4242);
    GameMode = pmPlay;
    dir.write("\\data\\readme.txt", "");
    Player = std::make_shared<CPlayer>();
    Player->Difficulty = 2;  // normal: the player's damage unscaled
    GameInterface = std::make_shared<CInterface>();
    Ships.clear();
    for (int i = 0; i < 16; ++i) Ships.push_back(std::make_shared<CShip>());
    MsgLog.fill("");
    MsgCount = 0;
    DevMode = true;
    installMessageLog();
  }
  void TearDown() override {
    setTrapSink(nullptr);
    Ships.clear();
    Sprites.clear();
    Player.reset();
    MotherPlayer.reset();
    GameInterface.reset();
    delete CurMap;
    CurMap = nullptr;
    GameMode = 0;
    FrameTime = 0;
    GamePaused = false;
    CamShake = 0;
    SceneEvent = 0;
    MotherShip = -1;
    clearRndTestSeed();
    CheatGod = CheatAmmo = CheatCash = CheatSlowMo = false;
    DevMode = ClassicView = FollowMouse = false;
  }
  // Ships(i): a new ship with the design, set up and standing still at the origin.
  CShip& ready(Integer i, const CShipDef& d = flightDesign()) {
    Ships[i] = std::make_shared<CShip>();
    CShip& s = *Ships[i];
    s.setDef(d);
    s.Init(i);
    return s;
  }
  // One movement step of ft seconds.
  static void step(CShip& s, double ft) {
    FrameTime = ft;
    s.Move();
  }
  // The generated sound "sfx\<name>.wav" copied into the test folder and loaded into the pool
  // (InitSound first); its handle, -1 (a failure) where the content is not generated.
  Integer loadGeneratedSound(const std::string& name) {
    std::ifstream wav(std::string(QV_TEST_GAME_DIR) + "/sfx/" + name + ".wav", std::ios::binary);
    if (!wav) {
      ADD_FAILURE() << "no generated " << name << ".wav in " << QV_TEST_GAME_DIR;
      return -1;
    }
    dir.write("\\sfx\\" + name + ".wav", std::string(std::istreambuf_iterator<char>(wav), {}));
    return LoadSound(name);
  }
  static int spritesOfKind(Long kind) {
    int n = 0;
    for (const CSprite& s : Sprites)
      if (s.Exists && s.sType == kind) ++n;
    return n;
  }
  TempGameDir dir;
};
