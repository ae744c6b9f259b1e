// CMissionPhase: one phase of a mission script. Each script line is compiled once, when the
// mission is loaded (AddLine), into a ScriptLine (command code and up to six argument strings);
// doRead runs the compiled lines from the main loop, a few per frame, until a yielding command,
// the end of the phase, a pass or a fail. Mission control (CMissionControl) owns eight phases.
//
// A line is a keyword, one space, and comma-separated fields. Keywords are lower case and
// case-sensitive; an unknown keyword drops the line without a message. Script faults (a missing
// tag, an unknown landing word, a ship tag that matches no ship, a phase number outside 0..7)
// write a line to the message log and the script goes on; a line that jumps back on itself
// without yielding is cut after 1000 lines in one frame.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "runtime/Numbers.h"

// One compiled script line: code -1 is an empty line (skipped).
struct ScriptLine {
  Long code = -1;
  std::array<std::string, 6> args;
};

class CMissionPhase {
 public:
  // A new phase holds one line with code 0 and no argument, is not running, has no goal phase.
  CMissionPhase();

  Single Waiting = 0;            // wait timer (s); lines run only while it is 0 or less
  bool Reading = false;          // the phase is running
  Integer GoalPhase = -1;        // phase asked for by "gotophase", -1 none
  std::string currentDirective;  // text of the last "dir"
  Single directiveFrame = 0;     // seconds the directive is still shown (5 after "dir")
  Long GoalLand = -1;            // StructType of the landing "linklanding" waits for, -1 none

  // Compiles one script line and appends it (an empty phase's -1 line is replaced).
  void AddLine(const std::string& line);
  // Empties the phase: one line with code -1. The timer tag is kept.
  void Reset();
  // Starts the phase: running, first line, no goal, no flags, no directive, first lines after
  // 1 s, no linked landing, no goal tag, no time limit (the timer tag is kept).
  void StartRead();
  // Empties the phase and clears all it ran with (flags, directive, wait, goals, time limit and
  // its timer tag); not running. Mission control's EndWithGame calls it when the game ends.
  void Stop();
  // One frame: the time limit, the directive timer, the wait, then lines until one yields. A
  // line whose command raises (the credits without their file) ends the frame's run: the error
  // passes to the caller and the next frame goes on with the line after it.
  void doRead();

  Single getTimeT() const { return TimeT; }  // remaining time limit (s), -1 off
  void setTimeT(Single t) { TimeT = t; }
  // The time limit as "m:ss.hh" for the HUD, "" while off; sets GameText's colour: white, red
  // in the blinking fifth of each of the last 10 seconds.
  std::string getTimeLimit() const;
  // The blink of the time text: red while t < 10 s and the fraction of t is below 0.2.
  static bool timeLimitRed(Single t);
  // Raises a flag (exact names; an empty first entry is overwritten).
  void setFlag(const std::string& name);
  bool hasFlag(const std::string& name) const;
  // Jumps past the goal tag's line (the landing or gift goal of the phase is reached).
  void forceGotoGoal();

  // Ship setters: each acts on the last existing ship whose tag matches (ignoring case).
  void setSpecialGift(const std::string& tag, const std::string& goalTag);
  void setAutoEvac(const std::string& tag);
  void setForceEvac(const std::string& tag);
  void setForceFriend(const std::string& tag);
  void setHostile(const std::string& tag, bool hostile);
  void setBlarg(const std::string& tag, bool on);

  const std::vector<ScriptLine>& getLines() const { return Lines; }
  Integer getLineIndex() const { return LineIndex; }

  // The ship index whose tag matches (ignoring case), the last one winning; -1 none.
  static Integer findShip(const std::string& tag);
  // The StructType of a "linklanding" word (lower case), -1 unknown.
  static Long landingType(const std::string& word);

 private:
  // Runs line LineIndex; true when the frame's run ends after it.
  bool runLine(const ScriptLine& line);
  Integer findTag(const std::string& name) const;  // first tag line named name, -1 none
  void gotoTag(const std::string& name);

  std::vector<ScriptLine> Lines;
  Integer LineIndex = 0;
  std::vector<std::string> Flags{std::string()};
  std::string GoalTag;
  Single TimeT = -1;
  std::string TimerTag;
};
