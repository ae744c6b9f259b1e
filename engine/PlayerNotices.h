// PlayerNotices: what the player must read and acknowledge — a file of the game folder the game
// could not use, an action it could not carry out — queued in the order told. The interface shows
// the oldest in a box over whatever screen is up until its "ok" is clicked (interface/CInterface,
// the box of the refused writes); each is written to the message log (standard error) once, when
// told. The damaged-file notices are told once per file for a run of the game (resetPlayerNotices
// at the game's set-up starts a new run). Main thread only.
#pragma once
#include <exception>
#include <string>
#include <vector>

// A file of the game folder that cannot be used whole: its game path ("\maps\losgatos.pnd") and
// the reason ("Input past end of file").
struct FileProblem {
  std::string path;
  std::string reason;
  // The reason of e, without the " (" + path + ")" that the readers append to their errors.
  static FileProblem of(const std::exception& e, const std::string& path);
  bool empty() const { return path.empty() && reason.empty(); }
  std::string text() const { return path + ": " + reason; }  // "\maps\losgatos.pnd: Input past end of file"
};

struct PlayerNotice {
  std::string title;  // what was not done or not used, shown in yellow ("\ships\Gremlin.pnd")
  std::string text;   // why, and what the game does instead
};

// Queues the notice and logs title + ": " + text (unforced: standard error, and the screen's log
// with the developer option). A notice equal to one still queued is not queued or logged again, so
// a file that a dozen player records read is told once.
void tellPlayer(const std::string& title, const std::string& text);
// A refused write or an unusable file and what the game does instead: tellPlayer(what, why + ". " +
// advice), advice "" adding nothing.
void tellPlayer(const std::string& what, const std::string& why, const std::string& advice);
// The damaged file, once per path for the run: tellPlayer(path, reason + ". " + effect) (effect ""
// adds nothing), its log line left out when logDamagedFile wrote it already. False when that path
// was told already.
bool tellDamagedFile(const FileProblem& problem, const std::string& effect);
// The same line in the message log only, once per path for the run: for a file found damaged
// before the player needs it (a map checked at start-up), told on screen when the player does.
void logDamagedFile(const FileProblem& problem, const std::string& effect);
// The oldest notice not yet acknowledged; null when none.
const PlayerNotice* firstPlayerNotice();
void dismissPlayerNotice();  // drops the oldest
// Every queued notice as its box shows it ("[Y]title:[y] text"), oldest first.
std::vector<std::string> playerNoticeTexts();
// Forgets which files were told, so a new run of the game tells them again (the game's set-up).
void forgetToldFiles();
// Empties the queue too (the program's start-up; tests).
void resetPlayerNotices();

// Text from a damaged file, fit to be quoted in a message: bytes outside printable ASCII become
// '?', and at most maxChars characters are kept ("..." marks a cut).
std::string printableExcerpt(const std::string& raw, size_t maxChars = 24);
