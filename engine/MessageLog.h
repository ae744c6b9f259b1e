// The message log: the game's one channel for diagnostics and short notices, a stack of text
// lines drawn in the top-left corner over everything else, and the typed cheat codes.
// Lines: slot 0 of MsgLog is the newest; at most 19 are shown; each time 2.0 s pass without a new
// line the oldest shown line disappears. Unforced lines are kept only while DevMode is on.
// All calls come from the main thread.
#pragma once
#include <array>
#include <string>

#include "runtime/Numbers.h"

extern std::array<std::string, 21> MsgLog;  // 0 newest .. 20; slot 20's line is lost on the next add
extern Integer MsgCount;                    // lines shown, 0..19
extern Single MsgTimer;                     // seconds since the last line was added or dropped
extern std::string TypedKeys;               // keys typed in play, at most 100 characters between calls

// Adds text as the newest line and restarts the timer; an unforced line changes nothing while
// DevMode is off.
void addMessage(const std::string& text, bool forced);
// Once per frame after the interface: runs the timer by FrameTime and draws the shown lines.
void DrawMessages();
// Every key press in play: key is the key code as one character (letters arrive upper case).
// When the last keys typed spell a cheat code the cheat is unlocked in Player, the log says so and
// the chime plays.
void checkCheats(const std::string& key);
// Makes addMessage (unforced) the runtime's sink for trapped errors and notices. Called once by
// the program's start-up, and by test fixtures that want trapped errors in the log.
void installMessageLog();
