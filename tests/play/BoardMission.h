// A game-test fixture that takes a mission at a node's mission-control board as a player does: a
// new game's ship (difficulty "easy") on the node's map with its traffic, the record holding the
// missions that open the mission's era, a landing with the action key held at the pad that serves
// mission control, a click on the mission's row, then "ok". The record and the node are set by
// their calls and the ship is put over the pad (less than play); the board is answered with keys
// and clicks. Used by the game tests of running missions (ClearedArea_test, MissionShips_test).
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "tests/support/GameRunFixture.h"

class BoardMissionTest : public GameRunTest {
 protected:
  static constexpr Long ActionKey = 8, TalkKey = 17;
  static constexpr Integer Easy = 1;

  // Plays from the first frame of play: takes `file` at `node` (with `done` completed before),
  // calls `beforeAccept` once while the board shows, then `running` once a frame while the mission
  // is read (and framesAfterEnd frames more once it has ended), until it returns false, the
  // mission ends or `limit` frames of 100 ms pass. An end the run does not wait for is a problem.
  void playMission(const std::string& node, const std::string& file, const std::vector<std::string>& done,
                   const std::function<void()>& beforeAccept, const std::function<bool()>& running,
                   Long limit = 3000) {
    FakeGameClock clock;
    clock.step = 100;
    int stage = 0;
    frmMain.afterFrameForTests = [&](Long pass) {
      if (!scriptInPlay(pass, limit)) return;
      GameWindow& w = frmMain.window();
      switch (stage) {
        case 0: {
          if (!startFlight()) return stop("the first map did not load");
          Player->Difficulty = Easy;
          Player->addMissionComplete("tut.pnd");
          for (const std::string& m : done) Player->addMissionComplete(m);
          World->CurrentNode = World->getNodeFromPath(node);
          World->ClearDest();
          CurMap->MapName = node;
          if (World->CurrentNode < 0 || !CurMap->Load()) return stop(node + " did not load");
          resetLevel();
          const Integer pad = padServing(structMControl);
          if (pad < 0) return stop(node + " has no mission control");
          holdActionOver(pad);
          stage = 1;
          return;
        }
        case 1: {  // the board: the mission's row
          if (GameInterface->Window != msMissionControl) return;
          w.postKeyUp(Player->getCharKey(ActionKey));
          Integer row = -1;
          for (Integer k = 0; k <= 2; ++k)
            if (MissionControl->IsNodeMission(k) && MissionControl->getMissionPath(k) == file) row = k;
          if (row < 0) return stop("the board of " + node + " does not offer " + file);
          beforeAccept();
          click((ScreenWidth - 500) / 2.0f + 250, (ScreenHeight - 360) / 2.0f + 42 + 85.0f * row + 40);
          stage = 2;
          return;
        }
        case 2:  // "ok"
          if (GameInterface->Window == msConfirmMission) click(ScreenWidth / 2.0f + 60, ScreenHeight / 2.0f + 25);
          if (MissionControl->Reading) stage = 3;
          if (pass > 600) stop(file + " did not start");
          return;
        default:
          if (!MissionControl->Reading) {
            if (framesAfterEnd == 0) return stop(file + " ended");
            if (++endedFrames > framesAfterEnd) {
              GameRunning = false;
              return;
            }
          }
          // The mission's talk lines are skipped with the talk key (nothing targeted).
          if (GameInterface->getTalkBox() && pass % 4 == 0) {
            Ships[0]->SecondaryTarget = -1;
            w.postKeyDown(Player->getCharKey(TalkKey));
            w.postKeyUp(Player->getCharKey(TalkKey));
          }
          if (!running()) GameRunning = false;
          return;
      }
    };
    frmMain.Form_Load();
  }

  void click(Single x, Single y) {
    PointerX = x;
    PointerY = y;
    frmMain.window().postMouseDown(1, x, y);
    frmMain.window().postMouseUp(1, x, y);
  }
  // Ends the run with the first reason given.
  void stop(const std::string& why) {
    if (problem.empty()) problem = why;
    GameRunning = false;
  }

  Long framesAfterEnd = 0;  // frames played on after the mission's end
  Long endedFrames = 0;     // frames played since the mission ended
  std::string problem;
};
