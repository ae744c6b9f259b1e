#include "audio/CMusicTrack.h"

#include <algorithm>
#include <cmath>

#include "audio/modDirectShow.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "platform/Direct3D.h"
#include "runtime/Paths.h"
#include "runtime/VbError.h"

namespace {
// The procedures' own trap: any failure becomes "ERROR: CMusicTrack.<name>()" + tail and False.
template <class F>
bool trackTrap(const char* name, const std::string& tail, F&& body) {
  try {
    body();
    return true;
  } catch (const std::exception&) {
    addMessage(std::string("ERROR: CMusicTrack.") + name + "()" + tail, false);
    return false;
  }
}

template <class T>
T& need(const std::shared_ptr<T>& p) {
  if (!p) vbRaise(vberr::ObjectMissing);
  return *p;
}
}  // namespace

Single CMusicTrack::getMusicVolume() { return ::getMusicVolume(); }

Long CMusicTrack::graphVolume() const {
  Long v = 0;
  if (audio_) audio_->get_Volume(v);
  return v;
}

void CMusicTrack::teardown() {
  if (mediaControl_) checkHResult(mediaControl_->Stop());
  audio_.reset();
  mediaEvent_.reset();
  mediaControl_.reset();
  mediaPosition_.reset();
}

bool CMusicTrack::Destroy() {
  return trackTrap("TerminateEngine", "", [this] { teardown(); });
}

bool CMusicTrack::LoadMP3(const std::string& path) {
  NoReduce = false;
  const std::string real = resolvePath(path);
  try {
    teardown();
    Playing = false;  // the torn-down graph was stopped and the new one is not started
    auto graph = std::make_shared<FilgraphManager>();
    mediaControl_ = graph;
    checkHResult(graph->RenderFile(real));
    audio_ = graph;
    checkHResult(audio_->put_Volume(0));
    checkHResult(audio_->put_Balance(0));
    mediaEvent_ = graph;
    mediaPosition_ = graph;
    checkHResult(mediaPosition_->put_Rate(1.0));
    checkHResult(mediaPosition_->put_CurrentPosition(0));
    loadFailed_ = false;
    return true;
  } catch (const std::exception& e) {
    // No half-built graph is kept: the track stays silent until the next successful load.
    audio_.reset();
    mediaEvent_.reset();
    mediaControl_.reset();
    mediaPosition_.reset();
    loadFailed_ = true;
    addMessage("ERROR: CMusicTrack.LoadMP3() - " + mp3FailureReason(e.what(), real) + " - " + path, false);
    return false;
  }
}

bool CMusicTrack::SetPlayBackSpeed(Single rate) {
  return trackTrap("SetPlayBackSpeed", "", [&] {
    if (mediaPosition_) checkHResult(mediaPosition_->put_Rate(rate));
  });
}

void CMusicTrack::MoveFrame() {
  const Long base = NoReduce ? 0 : -700;
  if (VolumeFrame >= 0 && VolumeFrame < 1) {
    VolumeFrame = static_cast<Single>(VolumeFrame + FrameTime);
    const double t = VolumeFrame;
    const Long level = t < 1 ? CLng(-std::pow(10.0, (1 - t) * 4)) : 0;
    SetPlayBackVolume(base + level);
  }
  if (VolumeFrame >= 10 && VolumeFrame < 11) {
    VolumeFrame = static_cast<Single>(VolumeFrame + FrameTime);
    const double t = VolumeFrame;
    const Long level = t < 11 ? CLng(-std::pow(10.0, (t - 10) * 4)) : -10000;
    SetPlayBackVolume(base + level);
    if (level == -10000) PauseMP3();
  }
}

bool CMusicTrack::SetPlayBackVolume(Long v) {
  return trackTrap("SetPlayBackVolume", " ", [&] {
    if (!mediaControl_) return;
    const Long volume = std::clamp<Long>(CLng((v + 4000.0) * getMusicVolume() - 4000), -4000, 0);
    checkHResult(need(audio_).put_Volume(volume));
  });
}

bool CMusicTrack::SetPlayBackBalance(Long balance) {
  return trackTrap("SetPlayBackBalance", "", [&] {
    if (mediaControl_) checkHResult(need(audio_).put_Balance(balance));
  });
}

std::string CMusicTrack::GetMP3Pos() {
  if (!mediaPosition_) return "/";
  double p = 0, d = 0;
  checkHResult(mediaPosition_->get_CurrentPosition(p));
  checkHResult(mediaPosition_->get_Duration(d));
  return p >= d ? "eof" : "/";
}

bool CMusicTrack::PlayMP3() {
  NoReduce = false;
  if (!mediaControl_ && loadFailed_) return false;  // the failed load said why
  return trackTrap("PlayMP3", "", [this] {
    checkHResult(need(mediaControl_).Run());
    Playing = true;
  });
}

// Rewinding, stopping or halting a track without a graph (its file failed to load) has nothing
// to do and succeeds.
bool CMusicTrack::RewindMP3() {
  return trackTrap("RewindMP3", "", [this] {
    if (mediaControl_) checkHResult(need(mediaPosition_).put_CurrentPosition(0));
  });
}

bool CMusicTrack::StopMP3() {
  return trackTrap("StopMP3", "", [this] {
    if (mediaControl_) {
      checkHResult(mediaControl_->Stop());
      checkHResult(need(mediaPosition_).put_CurrentPosition(0));
    }
    Playing = false;
  });
}

bool CMusicTrack::PauseMP3() {
  return trackTrap("PauseMP3", "", [this] {
    if (mediaControl_) checkHResult(mediaControl_->Stop());
    Playing = false;
  });
}
