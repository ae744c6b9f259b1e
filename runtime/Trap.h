// The error trap of a procedure: vbTrap(label, body) runs body; a VbError or std::exception it
// throws becomes the message-log line "Error in " + label + ": " + text (unforced) and the call
// returns false. The program's start-up installs the message log as the sink
// (installMessageLog, engine/MessageLog.h); before that, and in tools, trapped errors go to stderr.
#pragma once
#include <exception>
#include <functional>
#include <string>

#include "runtime/VbError.h"

// The sink receives every trapped error line and every runtime notice (unforced message-log
// lines). An empty sink restores the default, stderr.
void setTrapSink(std::function<void(const std::string& line)> sink);
void reportTrapped(const std::string& label, const std::string& text);
// A runtime notice that is not an error (for instance a replaced character in a written file).
void reportNotice(const std::string& line);

template <class F>
bool vbTrap(const char* label, F&& body) {
  try {
    body();
    return true;
  } catch (const std::exception& e) {
    reportTrapped(label, e.what());
    return false;
  }
}
