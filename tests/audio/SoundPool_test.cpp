// The sound-effect pool over real buffers on the mixer without a device (Manual output: voices
// move only when the test advances them): the volume-factor law, flat and positional volumes and
// pans, copies of playing sounds (every time flat, once a frame positional), reaping, a full pool,
// looping copies, StopAllSounds sparing the warp sounds, the sound option, missing or damaged
// wave files and the absence of a device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/soundMod.h"
#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "interface/CInterface.h"
#include "platform/Direct3D.h"
#include "runtime/Paths.h"
#include "runtime/Trap.h"
#include "tests/support/TempGameDir.h"
#include "tests/support/WaveFile.h"

namespace {
// A mono 16-bit wave of seconds at 22050 Hz holding a steady tone.
std::string toneWave(double seconds) {
  std::vector<int16_t> samples(static_cast<size_t>(seconds * 22050));
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = (i / 25) % 2 ? 8000 : -8000;
  return waveFile(22050, 1, samples);
}

bool messageLogged(const std::string& text) {
  for (Integer i = 0; i < MsgCount; ++i)
    if (MsgLog[i].find(text) != std::string::npos) return true;
  return false;
}

class SoundPoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setAudioOutput(AudioOutput::Manual);
    for (const char* name : {"laser", "explode", "warp2", "warp_out", "jet"}) dir.write(std::string("\\sfx\\") + name + ".wav", toneWave(1.0));
    Player = std::make_shared<CPlayer>();  // no options file here: its messages go to stderr
    installMessageLog();
    DevMode = true;  // the log keeps unforced lines
    MsgLog.fill("");
    MsgCount = 0;
    Player->bSound = true;
    Player->soundVolume = 100;
    setSoundVolume();
    GameInterface.reset();
    CamEye = D3DVECTOR{0, 0, 0};
    CamTarget = D3DVECTOR{100, 0, 0};  // looking along +x
    LastDupSound = -1;
    InitSound();
    laser = LoadSound("laser");
    explode = LoadSound("explode");
  }
  void TearDown() override {
    for (Integer i = 0; i < SoundSlotCount; ++i) {
      SoundBuffers[i].reset();
      SoundNames[i].clear();
    }
    SoundDevice.reset();
    Player.reset();
    GameInterface.reset();
    DevMode = false;
    setTrapSink(nullptr);
    setAudioOutput(AudioOutput::Device);
  }
  Integer namedCount(const std::string& name) const {
    Integer n = 0;
    for (const std::string& s : SoundNames) n += s == name;
    return n;
  }
  Integer lastSlotNamed(const std::string& name) const {
    for (Integer i = SoundSlotCount - 1; i >= 0; --i)
      if (SoundNames[i] == name) return i;
    return -1;
  }
  Long status(Integer slot) const { return SoundBuffers[slot]->GetStatus(); }

  TempGameDir dir;
  Integer laser = -1, explode = -1;
};
}  // namespace

TEST_F(SoundPoolTest, VolumeFactorFollowsTheFourthPowerLawAndSetsTheFlatVolume) {
  struct Case {
    double option;
    float factor;
    Long flatVolume;
  };
  for (const Case& c : {Case{0, 0.0f, -10000}, Case{25, 0.68359375f, -3164}, Case{50, 0.9375f, -625},
                        Case{75, 0.99609375f, -39}, Case{100, 1.0f, 0}}) {
    SCOPED_TRACE(c.option);
    Player->soundVolume = c.option;
    setSoundVolume();
    EXPECT_FLOAT_EQ(getSoundVolume(), c.factor);
    checkHResult(SoundBuffers[laser]->Stop());
    PlaySound(laser);
    EXPECT_EQ(status(laser), DSBSTATUS_PLAYING);
    EXPECT_EQ(SoundBuffers[laser]->GetVolume(), c.flatVolume);
    EXPECT_EQ(SoundBuffers[laser]->GetPan(), 0);
  }
}

TEST_F(SoundPoolTest, PositionalPlayPansAndAttenuatesFromTheCamera) {
  struct Case {
    const char* what;
    D3DVECTOR source;
    double option;
    bool title;
    Long pan, volume;
  };
  const Case cases[] = {
      {"at the camera", {0, 0, 0}, 100, false, -16, -1},
      {"1000 to the right", {0, 0, -1000}, 100, false, 10000, -10},
      {"2000 to the left", {0, 50, 2000}, 100, false, -10000, -100},
      {"far ahead", {5000, 0, 0}, 100, false, -16, -10000},
      {"2000 left at volume 50", {0, 0, 2000}, 50, false, -10000, -719},
      {"at volume 0", {0, 0, 0}, 0, false, -16, -10000},
      {"title scene, at the camera", {0, 0, 0}, 100, true, -16, -7500},
      {"title scene, far", {5000, 0, 0}, 100, true, -16, -10000},
  };
  GameInterface = std::make_shared<CInterface>();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Player->soundVolume = c.option;
    setSoundVolume();
    GameInterface->Window = c.title ? msDemo : msNone;
    checkHResult(SoundBuffers[explode]->Stop());
    PlaySound3D(explode, c.source);
    EXPECT_EQ(status(explode), DSBSTATUS_PLAYING);
    EXPECT_EQ(SoundBuffers[explode]->GetPan(), c.pan);
    EXPECT_EQ(SoundBuffers[explode]->GetVolume(), c.volume);
  }
}

TEST_F(SoundPoolTest, FlatPlayOfAPlayingSoundAddsACopyEveryTime) {
  PlaySound(laser);
  advanceAudioForTests(0.5);
  DSCURSORS half;
  SoundBuffers[laser]->GetCurrentPosition(half);
  PlaySound(laser);
  PlaySound(laser);
  EXPECT_EQ(namedCount("killmesoon"), 2) << "flat play ignores LastDupSound";
  Integer copy = lastSlotNamed("killmesoon");
  EXPECT_GE(copy, 2);
  EXPECT_EQ(status(copy), DSBSTATUS_PLAYING);
  EXPECT_EQ(SoundBuffers[copy]->GetPan(), 0);
  DSCURSORS now;
  SoundBuffers[laser]->GetCurrentPosition(now);
  EXPECT_EQ(now.lPlay, half.lPlay) << "the original plays on undisturbed";

  // Once everything has finished, the next play reaps the copies and restarts the original.
  advanceAudioForTests(1.5);
  PlaySound(laser);
  EXPECT_EQ(namedCount("killmesoon"), 0);
  SoundBuffers[laser]->GetCurrentPosition(now);
  EXPECT_EQ(now.lPlay, 0);
  EXPECT_EQ(status(laser), DSBSTATUS_PLAYING);
}

TEST_F(SoundPoolTest, PositionalPlayCopiesAPlayingSoundOncePerFrame) {
  PlaySound3D(explode, D3DVECTOR{0, 0, 0});
  for (int i = 0; i < 3; ++i) PlaySound3D(explode, D3DVECTOR{0, 0, -1000});
  EXPECT_EQ(namedCount("killmesoon"), 1);
  EXPECT_EQ(LastDupSound, explode);
  Integer copy = lastSlotNamed("killmesoon");
  EXPECT_EQ(SoundBuffers[copy]->GetPan(), 10000);
  EXPECT_EQ(SoundBuffers[copy]->GetVolume(), -10);

  LastDupSound = -1;  // the next frame
  PlaySound3D(explode, D3DVECTOR{0, 0, 0});
  EXPECT_EQ(namedCount("killmesoon"), 2);

  // A stopped sound restarts from its start even when it equals LastDupSound.
  advanceAudioForTests(1.5);
  EXPECT_EQ(LastDupSound, explode);
  PlaySound3D(explode, D3DVECTOR{0, 0, 0});
  EXPECT_EQ(status(explode), DSBSTATUS_PLAYING);
  EXPECT_EQ(namedCount("killmesoon"), 0);
}

TEST_F(SoundPoolTest, AFullPoolLogsSoundOverflowAndDropsTheCopy) {
  PlaySound(laser);
  while (namedCount("killmesoon") < SoundSlotCount - 2) PlaySound(laser);
  EXPECT_FALSE(messageLogged("sound overflow!"));
  PlaySound(laser);
  EXPECT_TRUE(messageLogged("sound overflow!"));
  EXPECT_EQ(namedCount("killmesoon"), SoundSlotCount - 2) << "the copy is dropped";
  EXPECT_EQ(StartLoopSound(laser), -1);
  EXPECT_EQ(getFreeSound(), -1);
  EXPECT_EQ(LoadSound("warp2"), -1) << "a new name finds no slot";

  // Once the copies have finished, the next play's reap frees them and it is heard.
  advanceAudioForTests(1.5);
  PlaySound(laser);
  EXPECT_EQ(namedCount("killmesoon"), 0);
  EXPECT_EQ(status(laser), DSBSTATUS_PLAYING);
}

TEST_F(SoundPoolTest, LoopingCopyKeepsItsSlotWhileItLoops) {
  Integer jet = LoadSound("jet");
  Integer loop = StartLoopSound(jet);
  ASSERT_GE(loop, 0);
  EXPECT_EQ(SoundNames[loop], "killmeplenty");
  EXPECT_EQ(status(loop), 0) << "not started by StartLoopSound";

  struct Case {
    D3DVECTOR source;
    Long volume;  // z0 = -1, -10, -20 (rounded), beyond
  };
  for (const Case& c : {Case{{0, 0, 0}, -1}, Case{{1000, 0, 0}, -1000}, Case{{1301, 0, 0}, -8000},
                        Case{{1400, 0, 0}, -10000}}) {
    SCOPED_TRACE(c.volume);
    UpdateLoopSound(loop, c.source);
    EXPECT_EQ(status(loop), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(SoundBuffers[loop]->GetVolume(), c.volume);
  }
  advanceAudioForTests(3.0);
  PlaySound(laser);  // reaps
  EXPECT_EQ(SoundNames[loop], "killmeplenty") << "a silent loop keeps playing and keeps its slot";

  StopSound(loop);
  EXPECT_EQ(SoundNames[loop], "") << "a stopped loop is reaped";
  EXPECT_EQ(SoundBuffers[loop], nullptr);
  EXPECT_EQ(StartLoopSound(-1), -1);
  EXPECT_EQ(StartLoopSound(loop), -1) << "only a loaded sound can be looped";
  ClearSound(-1);  // a ship without a loop
}

TEST_F(SoundPoolTest, AHandleKeptAfterItsLoopWasFreedNamesNothing) {
  // A ship's engine loop freed by a level reset while the ship keeps its handle; the slot then
  // holds a copy of another sound.
  Integer jet = LoadSound("jet");
  Integer loop = StartLoopSound(jet);
  UpdateLoopSound(loop, D3DVECTOR{0, 0, 0});
  const Integer slot = static_cast<Integer>(loop % SoundSlotCount);
  StopAllSounds();
  PlaySound(laser);
  PlaySound(laser);
  ASSERT_EQ(SoundNames[slot], "killmesoon") << "the copy took the freed slot";
  // What the ship does with its stale handle: keeps it playing, then stops and clears it.
  UpdateLoopSound(loop, D3DVECTOR{0, 0, -1000});
  StopSound(loop);
  ClearSound(loop);
  EXPECT_EQ(SoundNames[slot], "killmesoon");
  ASSERT_TRUE(SoundBuffers[slot]);
  EXPECT_EQ(status(slot), DSBSTATUS_PLAYING) << "the laser copy plays on, once";
  EXPECT_EQ(SoundBuffers[slot]->GetPan(), 0);

  // A new loop in a reused slot gets a new handle; loaded sounds keep theirs.
  advanceAudioForTests(1.5);
  PlaySound(laser);  // reaps the finished copy
  const Integer again = StartLoopSound(jet);
  EXPECT_EQ(again % SoundSlotCount, slot);
  EXPECT_NE(again, loop);
  EXPECT_EQ(SoundNames[slot], "killmeplenty");
  ClearSound(again);
  EXPECT_EQ(SoundNames[slot], "");
  EXPECT_EQ(LoadSound("jet"), jet);
}

TEST_F(SoundPoolTest, StopAllSoundsSparesTheWarpSoundsButNotTheirCopies) {
  Integer warp2 = LoadSound("warp2"), warpOut = LoadSound("warp_out"), jet = LoadSound("jet");
  PlaySound(warp2);
  PlaySound(warp2);  // a copy of warp2
  PlaySound(warpOut);
  PlaySound(laser);
  Integer loop = StartLoopSound(jet);
  UpdateLoopSound(loop, D3DVECTOR{0, 0, 0});
  StopAllSounds();
  EXPECT_EQ(status(warp2), DSBSTATUS_PLAYING);
  EXPECT_EQ(status(warpOut), DSBSTATUS_PLAYING);
  EXPECT_EQ(status(laser), 0);
  EXPECT_EQ(namedCount("killmesoon"), 0);
  EXPECT_EQ(namedCount("killmeplenty"), 0);
  EXPECT_EQ(SoundNames[laser], "laser") << "loaded sounds keep their slots";
}

TEST_F(SoundPoolTest, SoundOffPlaysNothing) {
  Integer jet = LoadSound("jet");
  Integer loop = StartLoopSound(jet);
  Player->bSound = false;
  PlaySound(laser);
  PlaySound3D(explode, D3DVECTOR{0, 0, 0});
  UpdateLoopSound(loop, D3DVECTOR{0, 0, 0});
  EXPECT_EQ(status(laser), 0);
  EXPECT_EQ(status(explode), 0);
  EXPECT_EQ(status(loop), 0);
  std::vector<float> out = renderAudioForTests(512);
  for (float s : out) ASSERT_EQ(s, 0.0f);
}

TEST_F(SoundPoolTest, PlayedSoundIsHeardPannedInTheMix) {
  PlaySound3D(laser, D3DVECTOR{0, 0, -1000});  // hard right
  std::vector<float> out = renderAudioForTests(1024);
  float left = 0, right = 0;
  for (size_t i = 0; i < out.size(); i += 2) {
    left = std::max(left, std::abs(out[i]));
    right = std::max(right, std::abs(out[i + 1]));
  }
  EXPECT_GT(right, 0.1f);
  EXPECT_EQ(left, 0.0f);
}

TEST_F(SoundPoolTest, MissingOrDamagedWaveIsReportedAndTakesNoSlot) {
  dir.write("\\sfx\\broken.wav", "RIFF....WAVEjunk");
  EXPECT_EQ(LoadSound("nosuch"), -1);
  EXPECT_TRUE(messageLogged("Error in LoadSound: "));
  EXPECT_TRUE(messageLogged("nosuch.wav"));
  EXPECT_EQ(LoadSound("broken"), -1);
  EXPECT_EQ(namedCount("nosuch") + namedCount("broken"), 0);
  // The next sound takes the next slot; playing the failed name's -1 does nothing.
  EXPECT_EQ(LoadSound("jet"), 2);
  PlaySound(-1);
  PlaySound3D(-1, D3DVECTOR{0, 0, 0});
  StopSound(-1);

  // A reload that fails keeps the sound already in the slot.
  dir.remove("\\sfx\\laser.wav");
  EXPECT_EQ(LoadSound("laser"), laser);
  EXPECT_EQ(SoundNames[laser], "laser");
  PlaySound(laser);
  EXPECT_EQ(status(laser), DSBSTATUS_PLAYING);
}

TEST_F(SoundPoolTest, WithoutADeviceSlotsAreNamedAndNothingPlays) {
  setAudioOutput(AudioOutput::None);
  InitSound();
  EXPECT_EQ(SoundDevice, nullptr);
  EXPECT_EQ(LoadSound("laser"), 0);
  EXPECT_EQ(LoadSound("nosuch"), 1) << "no file is read without a device";
  EXPECT_EQ(SoundBuffers[0], nullptr);
  PlaySound(0);
  PlaySound3D(0, D3DVECTOR{0, 0, 0});
  EXPECT_EQ(StartLoopSound(0), -1);
  StopAllSounds();
  EXPECT_EQ(SoundNames[0], "laser");
}

TEST_F(SoundPoolTest, EveryGeneratedEffectLoadsInOrderAndIsHeard) {
  const std::string game = QV_TEST_GAME_DIR;
  if (!std::filesystem::exists(game + "/sfx/laser.wav")) GTEST_SKIP() << "no generated sounds";
  const std::string before = appPath();
  setAppPath(game);
  InitSound();
  const char* names[] = {"laser", "explode", "rocket", "rocker", "flame2", "miniexplode", "rail", "warp2",
                         "warp_out", "beep", "tractor", "vulcan", "shotgun", "miniwarp", "miniwarpout", "roll",
                         "sniper", "cross", "bassplode", "warptrans", "dock", "spawn", "dark", "neutron",
                         "bulletin", "bulletout", "jet", "jet2", "jet3", "jet4", "rico", "chime", "levup", "crash"};
  for (Integer i = 0; i < 34; ++i) {
    SCOPED_TRACE(names[i]);
    ASSERT_EQ(LoadSound(names[i]), i);
    ASSERT_NE(SoundBuffers[i], nullptr);
    PlaySound(i);
    std::vector<float> out = renderAudioForTests(4410);
    float loudest = 0;
    for (float s : out) loudest = std::max(loudest, std::abs(s));
    EXPECT_GT(loudest, 0.01f);
    checkHResult(SoundBuffers[i]->Stop());
  }
  EXPECT_EQ(MsgCount, 0) << MsgLog[0];
  setAppPath(before);
}
