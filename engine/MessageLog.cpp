#include "engine/MessageLog.h"

#include <ctime>

#include "engine/CText.h"
#include "engine/GameGlobals.h"
#include "runtime/Trap.h"

std::array<std::string, 21> MsgLog;
Integer MsgCount = 0;
Single MsgTimer = 0;

std::FILE* LogEcho = stderr;

namespace {
void echo(const std::string& text) {
  if (!LogEcho) return;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  std::string line = text;
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  std::fprintf(LogEcho, "%02d:%02d:%02d.%03ld %s\n", local.tm_hour, local.tm_min, local.tm_sec,
               now.tv_nsec / 1000000L, line.c_str());
  std::fflush(LogEcho);
}
}  // namespace

void addMessage(const std::string& text, bool forced) {
  echo(text);
  if (!forced && !DevMode) return;
  for (int k = 19; k >= 0; --k) MsgLog[k + 1] = MsgLog[k];
  MsgLog[0] = text;
  MsgTimer = 0;
  if (MsgCount < 19) ++MsgCount;
}

void DrawMessages() {
  if (MsgCount == 0) return;
  MsgTimer = static_cast<Single>(MsgTimer + FrameTime);
  if (MsgTimer > 2.0f) {
    --MsgCount;
    MsgTimer = 0;
  }
  if (MsgCount > 0) {
    // Nothing to draw with before the game set-up has made the text writer.
    if (!GameText) return;
    GameText->setColor(255, 255, 255);
    GameText->setSize(0.36f);
    for (Integer i = 0; i < MsgCount; ++i)
      GameText->drawText(5, static_cast<Integer>(12 * (MsgCount - i)), MsgLog[static_cast<size_t>(i)], 0,
                         false, false);
  }
}

void installMessageLog() {
  setTrapSink([](const std::string& line) { addMessage(line, false); });
}
