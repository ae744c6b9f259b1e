// modDirectShow: the title track, one module-level mp3 graph (program folder + "\sfx\music\" +
// file) seen through its four DirectShow interfaces. Every procedure but GetMP3Pos and
// getMusicVolume returns True on success; a failure is the unforced message-log line
// "ERROR: modDirectShow.<procedure>()" and False, and play goes on. newGame loads, sets the volume
// of and plays "ninjastar2.mp3"; the title scene polls GetMP3Pos every frame and, at "eof", stops
// the track and tears it down. Main thread only.
#pragma once
#include <memory>
#include <string>

#include "platform/DirectShow.h"
#include "runtime/Numbers.h"

// The graph's interfaces: none before the first load, after a failed load and after teardown.
extern std::shared_ptr<IBasicAudio> DsAudio;
extern std::shared_ptr<IMediaEvent> DsMediaEvent;
extern std::shared_ptr<IMediaControl> DsMediaControl;
extern std::shared_ptr<IMediaPosition> DsMediaPosition;

// Tears down any graph, then builds one for program folder + "\sfx\music\" + file: volume 0,
// balance 0, rate 1.0, position 0, not started. A file that cannot be rendered leaves no graph
// and is logged as "ERROR: modDirectShow.LoadMP3() - " + the reason + " - \sfx\music\" + file.
bool LoadMP3(const std::string& file);
// Runs the graph. Without one because the last load failed, False with no line of its own (that
// load's line said why).
bool PlayMP3();
bool StopMP3();   // stops the graph and sets its position to 0 (nothing to do without one)
// When a graph exists: volume [(v + 4000) x m - 4000] (v in hundredths of a decibel, 0 full;
// m = getMusicVolume()), not clamped; a result outside -10000..0 fails.
bool SetPlayBackVolume(Long v);
// "m:ss/m:ss" (position / duration, whole seconds rounded half to even), or "eof" once the
// position has reached the duration; "" without a graph (a title track that failed to load never
// ends by itself).
std::string GetMP3Pos();
// Stops the graph when it has a media control, then releases the four interfaces.
bool TerminateEngine();
// The reason of a failed load as logged: what with the file's real path and the ": " after it
// left out (the line names the file by its game path instead).
std::string mp3FailureReason(const std::string& what, const std::string& realPath);
// Music-volume factor (10000 - ((100 - v) / 10)^4) / 10000 for v = Player->musicVolume (100
// without a player record).
Single getMusicVolume();
