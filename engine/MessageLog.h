// The message log: the game's one channel for diagnostics and short notices, a stack of text
// lines drawn in the top-left corner over everything else. (The typed cheat codes that write to it
// are game/CheatMod's.)
// Lines: slot 0 of MsgLog is the newest; at most 19 are shown; each time 2.0 s pass without a new
// line the oldest shown line disappears. Unforced lines are kept only while DevMode is on.
// All calls come from the main thread.
#pragma once
#include <array>
#include <cstdio>
#include <deque>
#include <string>

#include "runtime/Numbers.h"

extern std::array<std::string, 21> MsgLog;  // 0 newest .. 20; slot 20's line is lost on the next add
extern Integer MsgCount;                    // lines shown, 0..19
extern Single MsgTimer;                     // seconds since the last line was added or dropped

// Every line, forced or not and whatever DevMode says, is first written to LogEcho (standard error
// unless a test points it elsewhere; null writes nothing) as one line: local time "HH:MM:SS.mmm",
// a space and the text with its line breaks turned into spaces. A line equal to the one before is
// counted instead: "(repeated N times)" is written before the next other line, or at the first
// repeat in a later second.
extern std::FILE* LogEcho;

// Adds text as the newest line and restarts the timer; an unforced line changes nothing more while
// DevMode (engine/GameGlobals.h) is off.
void addMessage(const std::string& text, bool forced);
// Once per frame after the interface: runs the timer by FrameTime and draws the shown lines.
void DrawMessages();
// Notices the player must read and answer: a write the system refused, or a file that could not
// be read, and what that leaves. tellPlayer queues the notice "[Y]what:[y] why" (". " + advice
// when given) and logs it without the colour codes (unforced: standard error, and the screen's log
// with the developer option). The interface shows the oldest queued notice as a box over whatever screen is up,
// the screen's clicks withheld (in flight the controls too, and the game paused) until its "ok" is
// clicked, then the next. A notice equal to one still queued is not queued or logged again, so a
// file that a dozen player records read is told once. The program's start-up empties the queue.
extern std::deque<std::string> PlayerNotices;
void tellPlayer(const std::string& what, const std::string& why, const std::string& advice = "");
// Makes addMessage (unforced) the runtime's sink for trapped errors and notices. Called once by
// the program's start-up, and by test fixtures that want trapped errors in the log.
void installMessageLog();
