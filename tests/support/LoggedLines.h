// What the message log (MsgLog, all 21 lines) holds, for tests of what the game reports.
#pragma once
#include <string>

#include "engine/MessageLog.h"

// Lines of the message log holding part.
inline int loggedCount(const std::string& part) {
  int n = 0;
  for (const std::string& line : MsgLog)
    if (line.find(part) != std::string::npos) ++n;
  return n;
}

// True when a line of the message log holds part.
inline bool logged(const std::string& part) { return loggedCount(part) > 0; }
