// CMusicTrack: one mp3 track of the music director (its soft and hard tracks): a DirectShow
// graph seen through four interfaces, a fade clock (VolumeFrame) that fades the track in or out
// over one second of frame time, a play flag and a loudness flag. Volumes are hundredths of a
// decibel scaled by the music-volume option and clamped to -4000..0. Failures are unforced
// message-log lines "ERROR: CMusicTrack.<procedure>()" and False; a track whose file could not be
// rendered stays silent until the next successful LoadMP3. Main thread only.
#pragma once
#include <memory>
#include <string>

#include "platform/DirectShow.h"
#include "runtime/Numbers.h"

class CMusicTrack {
 public:
  // Fade clock: 0 <= t < 1 fading in, 10 <= t < 11 fading out, any other value no fade.
  Single VolumeFrame = 0;
  bool Playing = false;    // True after PlayMP3, False after StopMP3 and PauseMP3
  // False: every volume the fade step sets is 700 lower. Cleared by LoadMP3 and PlayMP3.
  bool NoReduce = false;

  bool Destroy();  // stops the graph, releases its interfaces ("ERROR: CMusicTrack.TerminateEngine()")
  // Tears down, then builds the graph for path (a game path, "\sfx\music\soft\drift.mp3"):
  // volume 0, balance 0, rate 1.0, position 0, not started (Playing cleared). Failure line:
  // "ERROR: CMusicTrack.LoadMP3() - " + description + " - " + path (the description names the
  // file only by that path).
  bool LoadMP3(const std::string& path);
  bool SetPlayBackSpeed(Single rate);  // when the track has a media position
  // Every frame for a playing track: advances VolumeFrame by FrameTime and applies the fade; the
  // end of a fade out halts the track (PauseMP3).
  void MoveFrame();
  bool SetPlayBackVolume(Long v);      // when the track has a graph: [(v + 4000) x m - 4000] in -4000..0
  bool SetPlayBackBalance(Long balance);
  // "eof" when the position has reached the duration, else "/" (also without a graph).
  std::string GetMP3Pos();
  // Clears NoReduce, runs the graph, sets Playing; fails without a graph, with no line of its own
  // when the last load failed (that load's line said why).
  bool PlayMP3();
  // Without a graph these three have nothing to do and succeed.
  bool RewindMP3();  // position 0
  bool StopMP3();    // stops, position 0, clears Playing
  bool PauseMP3();   // halts where it is (the graph's stop), clears Playing
  Single getMusicVolume();  // (10000 - ((100 - v) / 10)^4) / 10000 for v = Player->musicVolume

  bool hasGraph() const { return mediaControl_ != nullptr; }
  // Tests: the volume last given to the graph (0 without a graph).
  Long graphVolume() const;

 private:
  void teardown();
  std::shared_ptr<IBasicAudio> audio_;
  std::shared_ptr<IMediaEvent> mediaEvent_;
  std::shared_ptr<IMediaControl> mediaControl_;
  std::shared_ptr<IMediaPosition> mediaPosition_;
  bool loadFailed_ = false;  // the last LoadMP3 failed
};
