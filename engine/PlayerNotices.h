// PlayerNotices: what the player must read and acknowledge — a file of the game folder the game
// could not use, an action it could not carry out — queued in the order told. The interface shows
// the oldest in a box over whatever screen is up until its "ok" is clicked (interface/CInterface,
// the box of the refused writes); each is written to the message log (standard error) once, when
// told. The damaged-file notices are told once per file for a run of the game (resetPlayerNotices
// at the game's set-up starts a new run). Main thread only.
#pragma once
#include <exception>
#include <string>

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

// Queues the notice and logs title + ": " + text (unforced: standard error, not the on-screen log).
void tellPlayer(const std::string& title, const std::string& text);
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
// Empties the queue and forgets which files were told (the game's set-up; tests).
void resetPlayerNotices();

// Text from a damaged file, fit to be quoted in a message: bytes outside printable ASCII become
// '?', and at most maxChars characters are kept ("..." marks a cut).
std::string printableExcerpt(const std::string& raw, size_t maxChars = 24);
