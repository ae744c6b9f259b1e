// The DirectShow filter graph the game plays mp3 music with: one FilgraphManager object seen
// through four interfaces, media control (RenderFile, Run, Stop, Pause), basic audio (volume,
// balance), media event (obtained, never used) and media position (duration, current position,
// rate). The interface names are aliases of the one class, so the game keeps four references to
// one graph as it did:
//   auto graph = std::make_shared<FilgraphManager>();
//   std::shared_ptr<IMediaControl> control = graph; std::shared_ptr<IBasicAudio> audio = graph; ...
//   control->RenderFile(resolvePath("\\sfx\\music\\ninjastar2.mp3"));
//
// The file is decoded by libmpg123 while it plays, at 44100 Hz stereo, into a voice of the
// sound mixer (platform/DirectSound.h: with no device the track still advances with the clock;
// Manual output for tests). Positions and the duration are seconds (double). At its end a
// running track holds its position at the duration and plays silence until it is stopped or
// moved; Run at the end starts it again from 0. Stop and Pause halt it where it is. Volume and
// balance follow the sound buffers' laws (hundredths of a dB; balance as pan). The rate is kept
// (> 0) and not applied: tracks play at 1.0.
// Every method returns an HResult; a graph without a rendered file runs silent, with duration
// and position 0.
#pragma once
#include <memory>
#include <string>

#include "platform/Types.h"

struct Voice;

class FilgraphManager {
 public:
  FilgraphManager();
  ~FilgraphManager();
  FilgraphManager(const FilgraphManager&) = delete;
  FilgraphManager& operator=(const FilgraphManager&) = delete;

  // ---- media control ----
  // Decodes path (a real path) from its start: VFW_E_NOT_FOUND when the file cannot be read,
  // VFW_E_CANNOT_RENDER when it holds no mp3 audio (details in lastErrorDescription). A graph
  // renders one file: a later RenderFile replaces it; a failed one leaves the graph as it was.
  HResult RenderFile(const std::string& path);
  HResult Run();
  HResult Stop();
  HResult Pause();
  bool Running() const;

  // ---- basic audio ----
  HResult put_Volume(Long volume);   // -10000..0, else E_INVALIDARG
  HResult get_Volume(Long& volume) const;
  HResult put_Balance(Long balance); // -10000..10000, else E_INVALIDARG
  HResult get_Balance(Long& balance) const;

  // ---- media position ----
  HResult get_Duration(double& seconds) const;
  HResult get_CurrentPosition(double& seconds) const;
  HResult put_CurrentPosition(double seconds);  // clamped to 0..duration; NaN: E_INVALIDARG
  HResult put_Rate(double rate);                // > 0, else E_INVALIDARG
  HResult get_Rate(double& rate) const;

 private:
  void applyGains();
  std::shared_ptr<Voice> voice_;
  Long volume_ = 0, balance_ = 0;
  double rate_ = 1.0;
};

using IMediaControl = FilgraphManager;
using IBasicAudio = FilgraphManager;
using IMediaEvent = FilgraphManager;
using IMediaPosition = FilgraphManager;
