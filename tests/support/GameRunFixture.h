// Shared set-up for the game tests that run the real main loop on the generated content: a fake
// millisecond clock and a fixture that starts every test on a fresh copy of the game folder with
// the OpenGL backend and puts the program's globals back afterwards.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "runtime/Numbers.h"
#include "tests/support/TempGameDir.h"

// A millisecond clock that moves `step` ms per reading and by the time slept, so every frame of
// the capped main loop measures 17 ms.
struct FakeGameClock {
  FakeGameClock();
  ~FakeGameClock();
  uint32_t now = 5000;
  uint32_t step = 1;
};

// The seed every game test's random sequence starts from: QV_SEED from the environment (a whole
// number 0..16777215; anything else is an error of the test), else DefaultGameSeed.
constexpr uint32_t DefaultGameSeed = 1;
uint32_t gameTestSeed();

class GameRunTest : public ::testing::Test {
 protected:
  // OpenGL backend, a copy of the shipped game as the program folder, the random sequence fixed
  // at gameTestSeed() (Randomize keeps it); a failed test prints the seed that replays it.
  void SetUp() override;
  void TearDown() override;  // test hooks, launcher, cursor count, mouse, ships, designs, sky, folder, seed
  // Called from a frame hook once start-up has run the title scene: what the menus do when play
  // starts, over an empty level — a new campaign record whose ship is built into Ships(0) at the
  // map's centre, the map "losgatos", no screen, the title effect off, mouse steering held off for
  // two frames. False when the map did not load.
  bool startFlight();
  // The start of a scripted frame hook: ends the run after `limit` passes (a stuck script) and
  // chooses Play in the launcher; true once the game is in play with its interface.
  static bool scriptInPlay(Long pass, Long limit);
  // Puts the player's ship over CurMap's structure `pad` and holds the action key down (it lands
  // there); the key, for its release.
  static Integer holdActionOver(Integer pad);
  // The landing pad of CurMap whose nearest service is of the structure type, -1 none.
  static Integer padServing(Long structType);
  // The landing pad serving a structure of that type nearest the player's ship, -1 none: the one a
  // player heads for when a directive names the service.
  static Integer nearestPadServing(Long structType);
  std::unique_ptr<TempGameDir> dir;
};
