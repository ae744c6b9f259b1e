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
void twoDigits(std::string& out, long v) {
  out += static_cast<char>('0' + v / 10 % 10);
  out += static_cast<char>('0' + v % 10);
}

// One write per line: "HH:MM:SS.mmm text\n" built in a buffer kept between calls (busy frames
// log many lines), the local time worked out once per second. A line equal to the one before is
// not written again: "(repeated N times)" follows before the next other line, or at the first
// repeat in a later second while they go on.
void echo(const std::string& text) {
  if (!LogEcho) return;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  thread_local time_t second = -1;
  thread_local std::tm local{};
  if (now.tv_sec != second) {
    localtime_r(&now.tv_sec, &local);
    second = now.tv_sec;
  }
  thread_local std::string line, body, last;
  thread_local std::FILE* lastFile = nullptr;
  thread_local long repeats = 0;
  thread_local time_t written = -1;
  body.clear();
  for (char c : text) {
    if (c == '\0') break;  // the text ends there, as a C string would
    body += (c == '\r' || c == '\n') ? ' ' : c;
  }
  auto write = [&](const std::string& what) {
    line.clear();
    twoDigits(line, local.tm_hour);
    line += ':';
    twoDigits(line, local.tm_min);
    line += ':';
    twoDigits(line, local.tm_sec);
    line += '.';
    const long ms = now.tv_nsec / 1000000L;
    line += static_cast<char>('0' + ms / 100);
    twoDigits(line, ms);
    line += ' ';
    line += what;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), LogEcho);
    std::fflush(LogEcho);
    written = now.tv_sec;
  };
  auto writeRepeats = [&] {
    if (repeats == 0) return;
    write("(repeated " + std::to_string(repeats) + (repeats == 1 ? " time)" : " times)"));
    repeats = 0;
  };
  if (LogEcho == lastFile && body == last) {
    ++repeats;
    if (now.tv_sec != written) writeRepeats();
    return;
  }
  if (LogEcho == lastFile) writeRepeats();
  repeats = 0;
  lastFile = LogEcho;
  last = body;
  write(body);
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
