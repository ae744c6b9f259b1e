// mp3 playback of the title track (modDirectShow) and of a director's track (CMusicTrack) on the
// mixer without a device (Manual output), on short mp3 files generated here: the music-volume
// law and clamping, the fade clock, the position text and "eof", pause versus stop, and files that
// cannot be rendered.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/CMusicTrack.h"
#include "audio/modDirectShow.h"
#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "platform/DirectSound.h"
#include "runtime/Paths.h"
#include "runtime/Trap.h"
#include "tests/audio/MusicFiles.h"
#include "tests/support/TempGameDir.h"

namespace {
bool messageLogged(const std::string& text) {
  for (Integer i = 0; i < MsgCount; ++i)
    if (MsgLog[i].find(text) != std::string::npos) return true;
  return false;
}

class MusicTrackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setAudioOutput(AudioOutput::Manual);
    dir.write("\\sfx\\music\\soft\\calm.mp3", silentMp3(3.0));
    dir.write("\\sfx\\music\\ninjastar2.mp3", silentMp3(1.0));
    Player = std::make_shared<CPlayer>();
    Player->musicVolume = 100;
    installMessageLog();
    DevMode = true;
    MsgLog.fill("");
    MsgCount = 0;
  }
  void TearDown() override {
    TerminateEngine();
    track.Destroy();
    Player.reset();
    DevMode = false;
    setTrapSink(nullptr);
    setAudioOutput(AudioOutput::Device);
  }
  Long titleVolume() {
    Long v = 0;
    DsAudio->get_Volume(v);
    return v;
  }

  TempGameDir dir;
  CMusicTrack track;
};
}  // namespace

TEST_F(MusicTrackTest, VolumeFollowsTheMusicOptionAndTheTrackClampsIt) {
  ASSERT_TRUE(LoadMP3("ninjastar2.mp3"));
  ASSERT_TRUE(track.LoadMP3("\\sfx\\music\\soft\\calm.mp3"));
  struct Case {
    double option;
    Long request, title, track;
  };
  for (const Case& c : {Case{100, 0, 0, 0}, Case{100, -700, -700, -700}, Case{100, -10700, -10000, -4000},
                        Case{50, -700, -906, -906}, Case{0, 0, -4000, -4000}, Case{0, -10000, -4000, -4000}}) {
    SCOPED_TRACE(std::to_string(c.option) + " " + std::to_string(c.request));
    Player->musicVolume = c.option;
    if (c.request >= -10000) {
      EXPECT_TRUE(SetPlayBackVolume(c.request));
      EXPECT_EQ(titleVolume(), c.title);
    }
    EXPECT_TRUE(track.SetPlayBackVolume(c.request));
    EXPECT_EQ(track.graphVolume(), c.track);
  }
  // Unclamped, the title track's volume can leave the device's range: reported, not raised.
  Player->musicVolume = 100;
  EXPECT_FALSE(SetPlayBackVolume(-10700));
  EXPECT_TRUE(messageLogged("ERROR: modDirectShow.SetPlayBackVolume()"));
}

TEST_F(MusicTrackTest, FadeClockStepsTheVolumeAndHaltsAtTheEndOfAFadeOut) {
  ASSERT_TRUE(track.LoadMP3("\\sfx\\music\\soft\\calm.mp3"));
  struct Case {
    Single clock;
    double frame;
    bool noReduce;
    Long volume;    // given to the graph
    bool playing;   // after the step
    Single after;   // the clock after the step
  };
  const Case cases[] = {
      {0.0f, 0.5, true, -100, true, 0.5f},       // half way in
      {0.0f, 0.5, false, -800, true, 0.5f},      // with the -700 offset
      {0.0f, 0.02, false, -4000, true, 0.02f},   // the start of a fade is at the floor
      {0.9f, 0.2, false, -700, true, 1.1f},      // a finished fade in sits at the base
      {10.0f, 0.5, true, -100, true, 10.5f},     // half way out
      {10.0f, 0.2, false, -700 - 6, true, 10.2f},
      {10.99f, 0.02, false, -4000, false, 11.01f},  // the end of a fade out halts the track
      {5.0f, 0.5, false, -1234, true, 5.0f},     // no fade: nothing changes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clock);
    ASSERT_TRUE(track.PlayMP3());
    track.SetPlayBackVolume(-1234);
    track.NoReduce = c.noReduce;
    track.VolumeFrame = c.clock;
    FrameTime = c.frame;
    track.MoveFrame();
    EXPECT_EQ(track.graphVolume(), c.volume);
    EXPECT_EQ(track.Playing, c.playing);
    EXPECT_FLOAT_EQ(track.VolumeFrame, c.after);
  }

  // A whole fade in at 50 frames a second climbs steadily and ends at the base after one second.
  track.VolumeFrame = 0;
  track.NoReduce = true;
  FrameTime = 0.02;
  Long previous = -4000;
  for (int i = 0; i < 51; ++i) {  // the float clock may need one frame more
    track.MoveFrame();
    EXPECT_GE(track.graphVolume(), previous);
    previous = track.graphVolume();
  }
  EXPECT_EQ(track.graphVolume(), 0);
  EXPECT_GE(track.VolumeFrame, 1.0f);
}

TEST_F(MusicTrackTest, TrackPositionPauseAndStop) {
  ASSERT_TRUE(track.LoadMP3("\\sfx\\music\\soft\\calm.mp3"));
  EXPECT_FALSE(track.Playing);
  EXPECT_EQ(track.GetMP3Pos(), "/");
  ASSERT_TRUE(track.PlayMP3());
  advanceAudioForTests(1.0);
  ASSERT_TRUE(track.PauseMP3());
  EXPECT_FALSE(track.Playing);
  advanceAudioForTests(5.0);
  ASSERT_TRUE(track.PlayMP3());
  advanceAudioForTests(1.9);
  EXPECT_EQ(track.GetMP3Pos(), "/") << "a pause resumes where the track halted";
  advanceAudioForTests(0.2);
  EXPECT_EQ(track.GetMP3Pos(), "eof");
  advanceAudioForTests(1.0);
  EXPECT_EQ(track.GetMP3Pos(), "eof") << "the end holds";

  ASSERT_TRUE(track.StopMP3());
  ASSERT_TRUE(track.PlayMP3());
  advanceAudioForTests(2.9);
  EXPECT_EQ(track.GetMP3Pos(), "/") << "a stop starts again from the beginning";
  ASSERT_TRUE(track.RewindMP3());
  EXPECT_TRUE(track.SetPlayBackBalance(-5000));
  EXPECT_TRUE(track.SetPlayBackSpeed(1.0f));
}

TEST_F(MusicTrackTest, TrackFileThatCannotBeRenderedIsReportedAndLeavesTheTrackSilent) {
  dir.write("\\sfx\\music\\soft\\junk.mp3", std::string(4000, 'x'));
  ASSERT_TRUE(track.LoadMP3("\\sfx\\music\\soft\\calm.mp3"));
  ASSERT_TRUE(track.PlayMP3());
  track.NoReduce = true;
  for (const char* path : {"\\sfx\\music\\soft\\nosuch.mp3", "\\sfx\\music\\soft\\junk.mp3", "\\sfx\\music\\soft\\"}) {
    SCOPED_TRACE(path);
    MsgCount = 0;
    EXPECT_FALSE(track.LoadMP3(path));
    ASSERT_GE(MsgCount, 1);
    EXPECT_EQ(MsgLog[0].rfind("ERROR: CMusicTrack.LoadMP3() - ", 0), 0u) << MsgLog[0];
    EXPECT_EQ(MsgLog[0].substr(MsgLog[0].size() - std::string(path).size() - 3), std::string(" - ") + path);
    EXPECT_FALSE(track.hasGraph());
    EXPECT_FALSE(track.NoReduce);
    EXPECT_FALSE(track.Playing) << "the old graph was stopped";
  }
  EXPECT_EQ(track.GetMP3Pos(), "/");
  EXPECT_TRUE(track.SetPlayBackVolume(0)) << "nothing to set without a graph";
  MsgCount = 0;
  EXPECT_FALSE(track.PlayMP3());
  EXPECT_EQ(MsgCount, 0) << "the failed load said why: " << MsgLog[0];
  EXPECT_FALSE(track.Playing) << "a failed play leaves the flag as it was";
  // Nothing to stop, halt or rewind: no error line (the end of the program stops every track).
  MsgCount = 0;
  EXPECT_TRUE(track.StopMP3());
  EXPECT_TRUE(track.PauseMP3());
  EXPECT_TRUE(track.RewindMP3());
  EXPECT_TRUE(track.Destroy());
  EXPECT_EQ(MsgCount, 0);
  std::vector<float> out = renderAudioForTests(256);
  for (float s : out) ASSERT_EQ(s, 0.0f);
}

TEST_F(MusicTrackTest, TitleTrackPositionTextAndEof) {
  dir.write("\\sfx\\music\\long.mp3", silentMp3(222.0));
  ASSERT_TRUE(LoadMP3("long.mp3"));
  EXPECT_EQ(GetMP3Pos(), "0:00/3:42");
  DsMediaPosition->put_CurrentPosition(59.6);
  EXPECT_EQ(GetMP3Pos(), "1:00/3:42");
  DsMediaPosition->put_CurrentPosition(65);
  EXPECT_EQ(GetMP3Pos(), "1:05/3:42");

  ASSERT_TRUE(LoadMP3("ninjastar2.mp3"));
  ASSERT_TRUE(SetPlayBackVolume(0));
  ASSERT_TRUE(PlayMP3());
  EXPECT_EQ(GetMP3Pos(), "0:00/0:01");
  advanceAudioForTests(0.5);
  EXPECT_NE(GetMP3Pos(), "eof");
  advanceAudioForTests(0.6);
  EXPECT_EQ(GetMP3Pos(), "eof");
  advanceAudioForTests(0.5);
  EXPECT_EQ(GetMP3Pos(), "eof");
  ASSERT_TRUE(StopMP3());
  EXPECT_EQ(GetMP3Pos(), "0:00/0:01");
  ASSERT_TRUE(TerminateEngine());
  EXPECT_EQ(DsMediaControl, nullptr);
}

TEST_F(MusicTrackTest, MissingTitleTrackIsReportedAndThePlayerGoesOn) {
  ASSERT_TRUE(LoadMP3("ninjastar2.mp3"));
  dir.remove("\\sfx\\music\\ninjastar2.mp3");
  MsgCount = 0;
  EXPECT_FALSE(LoadMP3("ninjastar2.mp3"));
  ASSERT_EQ(MsgCount, 1);
  // The line names the file by its game path, with the reason.
  EXPECT_EQ(MsgLog[0].rfind("ERROR: modDirectShow.LoadMP3() - ", 0), 0u) << MsgLog[0];
  EXPECT_NE(MsgLog[0].find("cannot be read - \\sfx\\music\\ninjastar2.mp3"), std::string::npos) << MsgLog[0];
  EXPECT_EQ(MsgLog[0].find(dir.path()), std::string::npos) << MsgLog[0];
  EXPECT_EQ(DsMediaControl, nullptr) << "the earlier graph is gone, no half-built one kept";
  EXPECT_EQ(GetMP3Pos(), "");
  EXPECT_TRUE(SetPlayBackVolume(0));
  EXPECT_FALSE(PlayMP3());
  EXPECT_EQ(MsgCount, 1) << "playing adds nothing to the load's line: " << MsgLog[0];
  MsgCount = 0;
  EXPECT_TRUE(StopMP3()) << "nothing to stop";
  EXPECT_TRUE(TerminateEngine());
  EXPECT_EQ(MsgCount, 0);
}

TEST_F(MusicTrackTest, GeneratedTitleAndFlightMusicIsHeard) {
  const std::string game = QV_TEST_GAME_DIR;
  if (!std::filesystem::exists(game + "/sfx/music/ninjastar2.mp3")) GTEST_SKIP() << "no generated music";
  const std::string before = appPath();
  setAppPath(game);
  auto loudest = [] {
    std::vector<float> out = renderAudioForTests(44100);
    float m = 0;
    for (float s : out) m = std::max(m, std::fabs(s));
    return m;
  };
  ASSERT_TRUE(LoadMP3("ninjastar2.mp3"));
  ASSERT_TRUE(SetPlayBackVolume(0));
  ASSERT_TRUE(PlayMP3());
  advanceAudioForTests(2.0);
  EXPECT_GT(loudest(), 0.01f) << "the title track";
  ASSERT_TRUE(StopMP3());
  EXPECT_EQ(loudest(), 0.0f);
  ASSERT_TRUE(track.LoadMP3("\\sfx\\music\\soft\\gato.mp3"));
  ASSERT_TRUE(track.SetPlayBackVolume(-700));
  ASSERT_TRUE(track.PlayMP3());
  advanceAudioForTests(2.0);
  EXPECT_GT(loudest(), 0.005f) << "a soft track";
  setAppPath(before);
}
