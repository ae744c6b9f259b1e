// Fixture of the mission tests: a temporary game folder, the message log kept (DevMode), a
// fresh player record, interface and mission control, 16 empty ship slots, and helpers that
// write mission files, run frames of a phase and look for logged lines.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "interface/CInterface.h"
#include "ships/CShip.h"
#include "tests/support/LoggedLines.h"
#include "tests/support/TempGameDir.h"

class MissionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::make_unique<TempGameDir>();
    savedDev = DevMode;
    MsgCount = 0;
    FrameTime = 0.5;
    GamePaused = false;
    Player = std::make_shared<CPlayer>();  // reads the options, developer flag included
    DevMode = true;
    MsgLog.fill("");
    GameInterface = std::make_shared<CInterface>();
    MissionControl = std::make_shared<CMissionControl>();
    Ships.assign(16, nullptr);
    for (auto& s : Ships) s = std::make_shared<CShip>();
  }
  void TearDown() override {
    MissionControl.reset();
    GameInterface.reset();
    Player.reset();
    World.reset();
    Ships.clear();
    DevMode = savedDev;
    FrameTime = 0;
    dir.reset();
  }
  // How many of the kept lines of the log contain part.
  // A phase holding the lines, started, with its first second of waiting skipped.
  static CMissionPhase& startPhase(CMissionPhase& p, const std::vector<std::string>& lines) {
    p.Reset();
    for (const std::string& l : lines) p.AddLine(l);
    p.StartRead();
    p.Waiting = 0;
    return p;
  }
  // A ship in slot i that takes part, with tag.
  static CShip& taggedShip(size_t i, const std::string& tag) {
    CShip& s = *Ships.at(i);
    s.Exists = true;
    s.setTag(tag);
    return s;
  }
  void writeMission(const std::string& gamePath, const std::string& text) const { dir->write(gamePath, text); }

  std::unique_ptr<TempGameDir> dir;
  bool savedDev = false;
};
