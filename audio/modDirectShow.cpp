#include "audio/modDirectShow.h"

#include <cmath>

#include "campaign/CPlayer.h"
#include "engine/MessageLog.h"
#include "platform/Direct3D.h"
#include "runtime/Paths.h"
#include "runtime/VbError.h"

std::shared_ptr<IBasicAudio> DsAudio;
std::shared_ptr<IMediaEvent> DsMediaEvent;
std::shared_ptr<IMediaControl> DsMediaControl;
std::shared_ptr<IMediaPosition> DsMediaPosition;

namespace {
bool LoadFailed = false;  // the last LoadMP3 failed (and said why)

// The procedures' own trap: any failure becomes "ERROR: modDirectShow.<name>()" and False.
template <class F>
bool mp3Trap(const char* name, F&& body) {
  try {
    body();
    return true;
  } catch (const std::exception&) {
    addMessage(std::string("ERROR: modDirectShow.") + name + "()", false);
    return false;
  }
}

IMediaControl& control() {
  if (!DsMediaControl) vbRaise(vberr::ObjectMissing);
  return *DsMediaControl;
}

IMediaPosition& position() {
  if (!DsMediaPosition) vbRaise(vberr::ObjectMissing);
  return *DsMediaPosition;
}

// Whole seconds t as minutes ":" two-digit seconds.
std::string clockText(double t) {
  const Long s = CLng(t);
  const Long sec = s % 60;
  return std::to_string(s / 60) + ":" + (sec < 10 ? "0" : "") + std::to_string(sec);
}

void releaseGraph() {
  DsAudio.reset();
  DsMediaEvent.reset();
  DsMediaControl.reset();
  DsMediaPosition.reset();
}
}  // namespace

std::string mp3FailureReason(const std::string& what, const std::string& realPath) {
  std::string text = what;
  for (const std::string& named : {realPath + ": ", realPath}) {
    for (size_t at = text.find(named); !named.empty() && at != std::string::npos; at = text.find(named, at))
      text.erase(at, named.size());
  }
  return text;
}

Single getMusicVolume() {
  const double v = Player ? Player->musicVolume : 100.0;
  return static_cast<Single>((10000.0 - std::pow((100.0 - v) / 10.0, 4)) / 10000.0);
}

bool TerminateEngine() {
  return mp3Trap("TerminateEngine", [] {
    if (DsMediaControl) checkHResult(DsMediaControl->Stop());
    releaseGraph();
  });
}

bool LoadMP3(const std::string& file) {
  if (!TerminateEngine()) {
    addMessage("ERROR: modDirectShow.LoadMP3()", false);
    return false;
  }
  const std::string gamePath = "\\sfx\\music\\" + file;
  const std::string real = resolvePath(gamePath);
  try {
    auto graph = std::make_shared<FilgraphManager>();
    DsMediaControl = graph;
    checkHResult(graph->RenderFile(real));
    DsAudio = graph;
    checkHResult(DsAudio->put_Volume(0));
    checkHResult(DsAudio->put_Balance(0));
    DsMediaEvent = graph;
    DsMediaPosition = graph;
    checkHResult(DsMediaPosition->put_Rate(1.0));
    checkHResult(DsMediaPosition->put_CurrentPosition(0));
  } catch (const std::exception& e) {
    releaseGraph();
    LoadFailed = true;
    addMessage("ERROR: modDirectShow.LoadMP3() - " + mp3FailureReason(e.what(), real) + " - " + gamePath, false);
    return false;
  }
  LoadFailed = false;
  return true;
}

bool SetPlayBackVolume(Long v) {
  return mp3Trap("SetPlayBackVolume", [&] {
    if (!DsMediaControl || !DsAudio) return;
    checkHResult(DsAudio->put_Volume(CLng((v + 4000.0) * getMusicVolume() - 4000)));
  });
}

bool PlayMP3() {
  if (!DsMediaControl && LoadFailed) return false;
  return mp3Trap("PlayMP3", [] { checkHResult(control().Run()); });
}

bool StopMP3() {
  return mp3Trap("StopMP3", [] {
    if (!DsMediaControl) return;  // no track: nothing to stop
    checkHResult(control().Stop());
    checkHResult(position().put_CurrentPosition(0));
  });
}

std::string GetMP3Pos() {
  if (!DsMediaPosition) return "";
  double p = 0, d = 0;
  checkHResult(DsMediaPosition->get_CurrentPosition(p));
  checkHResult(DsMediaPosition->get_Duration(d));
  std::string text = clockText(p) + "/" + clockText(d);
  checkHResult(DsMediaPosition->get_CurrentPosition(p));
  checkHResult(DsMediaPosition->get_Duration(d));
  if (p >= d) return "eof";
  return text;
}
