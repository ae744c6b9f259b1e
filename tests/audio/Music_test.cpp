// The music director over generated short mp3 files on the mixer without a device (Manual
// output), driven frame by frame with a fixed frame time: soft and hard tracks switched by the
// ships hostile to the player's, the hard track's loops and the soft track's rest, the screens
// that pause the director, WarpChange's rules, ForcePlay's folders, ForceVolumeUpdate, Mute,
// Kill, the MCI theme aliases and empty music folders.
#include <gtest/gtest.h>

#include <string>

#include "audio/CMusic.h"
#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "interface/CInterface.h"
#include "platform/DirectSound.h"
#include "platform/Mci.h"
#include "runtime/Rnd.h"
#include "runtime/Trap.h"
#include "ships/CShip.h"
#include "tests/audio/MusicFiles.h"
#include "tests/support/TempGameDir.h"

// The ship's warp state, reached as the ship tests reach it.
struct CShipLevelProbe {
  static Single& warpOutTimer(CShip& s) { return s.warpOutTimer; }
};

namespace {
class MusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setAudioOutput(AudioOutput::Manual);
    setRndSeedForTests(4242);
    dir.write("\\sfx\\music\\soft\\calm.mp3", silentMp3(6.0));
    dir.write("\\sfx\\music\\soft\\gato.mp3", silentMp3(6.0));
    dir.write("\\sfx\\music\\hard\\fight.mp3", silentMp3(6.0));
    dir.write("\\sfx\\music\\hard\\blarg.mp3", silentMp3(2.0));
    Player = std::make_shared<CPlayer>();
    Player->musicVolume = 100;
    installMessageLog();
    DevMode = true;
    GameInterface = std::make_shared<CInterface>();  // says "Debug mode on."
    GameInterface->Window = msNone;
    MsgLog.fill("");
    MsgCount = 0;
    Ships.clear();
    for (Integer i = 0; i < 3; ++i) {
      Ships.push_back(std::make_shared<CShip>());
      Ships[i]->ID = i;
      Ships[i]->Exists = true;
    }
    music = std::make_unique<CMusic>();
  }
  void TearDown() override {
    music.reset();
    Ships.clear();
    GameInterface.reset();
    Player.reset();
    DevMode = false;
    setTrapSink(nullptr);
    clearRndTestSeed();
    mciSendString("close all");
    setAudioOutput(AudioOutput::Device);
  }
  // Frames of 0.02 s for seconds of flight, the mixer moving with them.
  void fly(double seconds) {
    FrameTime = 0.02;
    for (int i = 0; i < static_cast<int>(seconds / 0.02 + 0.5); ++i) {
      advanceAudioForTests(FrameTime);
      music->Update();
    }
  }
  void setEnemy(bool hostile) { Ships[2]->setAIHostile(0, hostile); }

  TempGameDir dir;
  std::unique_ptr<CMusic> music;
};
}  // namespace

TEST_F(MusicTest, CreationLoadsOneTrackOfEachFolderAndOpensThemeTwo) {
  EXPECT_EQ(music->SoftFiles, (std::vector<std::string>{"calm.mp3", "gato.mp3"}));
  EXPECT_EQ(music->HardFiles, (std::vector<std::string>{"blarg.mp3", "fight.mp3"}));
  EXPECT_TRUE(music->SoftTrack.hasGraph());
  EXPECT_TRUE(music->HardTrack.hasGraph());
  EXPECT_FALSE(music->SoftTrack.Playing) << "loaded, not started";
  EXPECT_FALSE(music->HardTrack.Playing);
  EXPECT_EQ(music->Mode, -1);
  EXPECT_EQ(music->Theme, 2);
  EXPECT_EQ(MsgCount, 0) << MsgLog[0];
}

TEST_F(MusicTest, HostilityFadesBetweenTheSoftAndTheHardTrack) {
  // Calm: the first check (after one second) starts the soft track from the -100 request.
  fly(0.9);
  EXPECT_FALSE(music->SoftTrack.Playing);
  fly(0.2);
  EXPECT_TRUE(music->SoftTrack.Playing);
  EXPECT_FALSE(music->HardTrack.Playing);
  EXPECT_EQ(music->Mode, 0);
  fly(1.1);
  EXPECT_EQ(music->SoftTrack.graphVolume(), -700) << "faded in to the -700 level";

  // An enemy: within a second the hard track starts and fades in; the soft track fades out and halts.
  setEnemy(true);
  fly(1.0);
  EXPECT_TRUE(music->HardTrack.Playing);
  EXPECT_GE(music->SoftTrack.VolumeFrame, 10.0f);
  EXPECT_TRUE(music->SoftTrack.Playing) << "still fading out";
  fly(1.02);
  EXPECT_FALSE(music->SoftTrack.Playing);
  EXPECT_EQ(music->SoftTrack.GetMP3Pos(), "/") << "halted where it was";
  EXPECT_EQ(music->HardTrack.graphVolume(), -700);

  // The enemy gone: the soft track resumes and the hard one fades out and halts.
  setEnemy(false);
  fly(2.1);
  EXPECT_TRUE(music->SoftTrack.Playing);
  EXPECT_FALSE(music->HardTrack.Playing);
}

TEST_F(MusicTest, HardTrackLoopsAndAFinishedSoftTrackRestsOnlyWhileHalted) {
  setEnemy(true);
  fly(1.1);
  ASSERT_TRUE(music->HardTrack.Playing);
  fly(7.0);
  EXPECT_GE(music->HardLoops, 1) << "the hard track restarts at its end";
  EXPECT_TRUE(music->HardTrack.Playing);

  // Calm again: the soft track plays to its end, rests, and the next calm check runs it again.
  setEnemy(false);
  fly(1.1);
  ASSERT_TRUE(music->SoftTrack.Playing);
  Integer finishes = music->SoftFinishes;
  fly(6.0);
  EXPECT_EQ(music->SoftFinishes, finishes + 1);
  EXPECT_GE(music->SoftRest, 20.0f - 6.0f);
  EXPECT_LE(music->SoftRest, 60.0f);
  fly(1.0);
  EXPECT_TRUE(music->SoftTrack.Playing) << "run again by the next check, rest or not";
  EXPECT_EQ(music->SoftTrack.GetMP3Pos(), "/") << "from its beginning";
}

TEST_F(MusicTest, NoCheckDuringTransWarpAndOneAtOnceAfterIt) {
  CShipLevelProbe::warpOutTimer(*Ships[0]) = 3.0f;
  ASSERT_TRUE(Ships[0]->getTransWarp());
  fly(2.0);
  EXPECT_FALSE(music->SoftTrack.Playing);
  EXPECT_GE(music->CheckClock, 1.9) << "the clock runs on";
  CShipLevelProbe::warpOutTimer(*Ships[0]) = 0;
  fly(0.02);
  EXPECT_TRUE(music->SoftTrack.Playing);
  EXPECT_EQ(music->CheckClock, 0.0);
}

TEST_F(MusicTest, ScreensOfTheWizardTitleIntroAndCreditsPauseTheDirector) {
  for (Long w : {msNewShip, msNewAllSet, msDemo, msIntro, msCredits, msNewSaveSlot, msNewDifficulty}) {
    SCOPED_TRACE(w);
    GameInterface->Window = w;
    fly(1.5);
    EXPECT_EQ(music->CheckClock, 0.0);
    EXPECT_FALSE(music->SoftTrack.Playing);
  }
  GameInterface->Window = msConfirmQuit;  // a confirmation does not stop it
  fly(1.1);
  EXPECT_TRUE(music->SoftTrack.Playing);
}

TEST_F(MusicTest, WarpChangePicksNewTracksOnlyAfterTheyHaveRun) {
  struct Case {
    Integer hardLoops;
    bool softPlaying;
    Integer softFinishes;
    bool newHard, newSoft;
  };
  for (const Case& c : {Case{0, false, 0, false, false}, Case{1, false, 0, true, false},
                        Case{0, false, 1, false, true}, Case{0, true, 1, false, false},
                        Case{3, false, 2, true, true}}) {
    SCOPED_TRACE(std::to_string(c.hardLoops) + " " + std::to_string(c.softPlaying) + " " +
                 std::to_string(c.softFinishes));
    // Both tracks halted at their ends (the soft one running again when the case says so).
    for (CMusicTrack* t : {&music->SoftTrack, &music->HardTrack}) {
      t->PlayMP3();
      advanceAudioForTests(6.1);
      t->PauseMP3();
    }
    if (c.softPlaying) music->SoftTrack.PlayMP3();
    music->HardLoops = c.hardLoops;
    music->SoftFinishes = c.softFinishes;
    music->WarpChange();
    // A new pick is loaded at its start, not started; a kept track stays where it was.
    EXPECT_FALSE(music->HardTrack.Playing);
    EXPECT_EQ(music->HardTrack.GetMP3Pos(), c.newHard ? "/" : "eof") << "hard";
    EXPECT_EQ(music->HardLoops, c.newHard ? 0 : c.hardLoops);
    EXPECT_EQ(music->SoftFinishes, c.newSoft ? 0 : c.softFinishes);
    if (!c.softPlaying) {
      EXPECT_EQ(music->SoftTrack.GetMP3Pos(), c.newSoft ? "/" : "eof") << "soft";
    }
    music->Kill();
  }
}

TEST_F(MusicTest, NewHardTrackAfterAWarpIntoCombatStartsAtTheNextCheck) {
  setEnemy(true);
  fly(1.1);
  ASSERT_TRUE(music->HardTrack.Playing);
  music->HardLoops = 1;
  music->WarpChange();
  EXPECT_FALSE(music->HardTrack.Playing) << "the new pick is loaded, not running";
  fly(1.1);
  EXPECT_TRUE(music->HardTrack.Playing);
  EXPECT_EQ(music->HardTrack.VolumeFrame >= 0 && music->HardTrack.VolumeFrame <= 1.2f, true) << "faded in";
}

TEST_F(MusicTest, ForcePlayTakesTheSoftOrTheHardFolder) {
  dir.write("\\sfx\\music\\hard\\gato.mp3", silentMp3(1.0));  // not the one to play
  fly(1.1);  // the soft track plays
  ASSERT_TRUE(music->SoftTrack.Playing);

  music->ForcePlay("", "blarg.mp3");
  EXPECT_FALSE(music->SoftTrack.Playing);
  EXPECT_TRUE(music->HardTrack.Playing);
  EXPECT_EQ(music->HardTrack.graphVolume(), 0) << "full level, no fade";
  EXPECT_EQ(music->HardTrack.VolumeFrame, 1.0f);
  advanceAudioForTests(2.1);
  EXPECT_EQ(music->HardTrack.GetMP3Pos(), "eof") << "blarg.mp3 (2 s) from the hard folder";

  music->ForcePlay("gato.mp3", "");
  EXPECT_FALSE(music->HardTrack.Playing);
  EXPECT_TRUE(music->SoftTrack.Playing);
  EXPECT_TRUE(music->SoftTrack.NoReduce);
  EXPECT_EQ(music->SoftTrack.graphVolume(), 0);
  advanceAudioForTests(1.5);
  EXPECT_EQ(music->SoftTrack.GetMP3Pos(), "/") << "gato.mp3 (6 s) from the soft folder";
  music->QuietSoft();
  EXPECT_FALSE(music->SoftTrack.NoReduce);
  EXPECT_EQ(MsgCount, 0) << MsgLog[0];

  music->ForceVolumeUpdate();
  EXPECT_EQ(music->SoftTrack.graphVolume(), -700);
  Player->musicVolume = 50;
  music->ForceVolumeUpdate();
  EXPECT_EQ(music->SoftTrack.graphVolume(), -906);
}

TEST_F(MusicTest, MuteDisablesTheDirectorButNotKill) {
  music->Mute = true;
  setEnemy(true);
  fly(2.0);
  EXPECT_FALSE(music->SoftTrack.Playing);
  EXPECT_FALSE(music->HardTrack.Playing);
  EXPECT_EQ(music->CheckClock, 0.0);
  music->ForcePlay("", "blarg.mp3");
  EXPECT_FALSE(music->HardTrack.Playing);
  music->HardLoops = 1;
  music->WarpChange();
  EXPECT_EQ(music->HardLoops, 1);
  music->OldUpdate();
  EXPECT_EQ(music->CurrentAlias, "");

  music->Mute = false;
  music->ForcePlay("", "blarg.mp3");
  ASSERT_TRUE(music->HardTrack.Playing);
  music->Mute = true;
  music->ForceVolumeUpdate();
  EXPECT_EQ(music->HardTrack.graphVolume(), 0);
  music->SoftTrack.NoReduce = true;
  music->QuietSoft();
  EXPECT_FALSE(music->SoftTrack.NoReduce) << "QuietSoft works while muted";
  music->Kill();
  EXPECT_FALSE(music->HardTrack.Playing);
  EXPECT_EQ(music->HardTrack.GetMP3Pos(), "/") << "stopped and rewound";
}

TEST_F(MusicTest, ThemesOpenTheirAliasesAndStopTrackClosesThem) {
  dir.write("\\sfx\\music\\tunezilla.mp3", "x");
  dir.write("\\sfx\\music\\argmonster.mp3", "x");
  EXPECT_TRUE(mciOpenAliases().empty()) << "theme 2's files do not exist here";
  music->LoadTheme(0);
  EXPECT_EQ(mciOpenAliases(), (std::vector<std::string>{"tdmsoft", "tdmnrg"}));
  EXPECT_EQ(music->Theme, 0);
  fly(1.0);
  music->StopTrack();
  EXPECT_TRUE(mciOpenAliases().empty());
  EXPECT_EQ(music->Theme, -1);
  EXPECT_EQ(music->CurrentAlias, "killt");
  EXPECT_FALSE(music->SoftTrack.Playing);
  music->LoadTheme(7);
  EXPECT_EQ(music->Theme, 7);
  EXPECT_TRUE(mciOpenAliases().empty());
}

TEST_F(MusicTest, EmptyMusicFoldersLeaveTheTracksSilentAndPlayGoesOn) {
  music.reset();
  dir.remove("\\sfx\\music\\soft");
  dir.remove("\\sfx\\music\\hard");
  MsgCount = 0;
  music = std::make_unique<CMusic>();
  EXPECT_EQ(music->SoftFiles, std::vector<std::string>{""});
  EXPECT_FALSE(music->SoftTrack.hasGraph());
  EXPECT_FALSE(music->HardTrack.hasGraph());
  ASSERT_GE(MsgCount, 2);
  EXPECT_EQ(MsgLog[0].rfind("ERROR: CMusicTrack.LoadMP3() - ", 0), 0u) << MsgLog[0];
  setEnemy(true);
  EXPECT_NO_THROW(fly(3.0));
  EXPECT_NO_THROW(music->WarpChange());
  EXPECT_NO_THROW(music->Kill());
  EXPECT_FALSE(music->HardTrack.Playing);
}
