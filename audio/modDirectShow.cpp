#include "audio/modDirectShow.h"

bool LoadMP3(const std::string& /*file*/) { return false; }
bool PlayMP3() { return false; }
bool StopMP3() { return false; }
bool SetPlayBackVolume(Long /*v*/) { return false; }
std::string GetMP3Pos() { return ""; }
bool TerminateEngine() { return true; }
