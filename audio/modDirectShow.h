// modDirectShow: the title track, one module-level mp3 graph. Every procedure returns True on
// success; failures are unforced message-log lines "ERROR: modDirectShow.<name>()" and False.
// Main thread only.
#pragma once
#include <string>

#include "runtime/Numbers.h"

// Builds the graph for program folder + "\sfx\music\" + file: volume 0, balance 0, rate 1, position 0.
bool LoadMP3(const std::string& file);
bool PlayMP3();
bool StopMP3();
// Volume v in hundredths of a decibel (0 full), scaled by the music-volume option.
bool SetPlayBackVolume(Long v);
// The position as text: seconds, or "eof" once the track has reached its end; "" without a graph.
std::string GetMP3Pos();
// Releases the graph.
bool TerminateEngine();
