#include "engine/PlayerNotices.h"

#include <deque>
#include <set>

#include "engine/MessageLog.h"

namespace {
std::deque<PlayerNotice>& queue() {
  static std::deque<PlayerNotice> q;
  return q;
}

std::set<std::string>& toldFiles() {
  static std::set<std::string> told;
  return told;
}

std::set<std::string>& loggedFiles() {
  static std::set<std::string> logged;
  return logged;
}

std::string damageText(const FileProblem& problem, const std::string& effect) {
  return problem.reason + (effect.empty() ? "" : ". " + effect);
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}
}  // namespace

FileProblem FileProblem::of(const std::exception& e, const std::string& path) {
  std::string reason = e.what();
  const std::string suffix = " (" + path + ")";
  if (endsWith(reason, suffix)) reason.resize(reason.size() - suffix.size());
  return FileProblem{path, printableExcerpt(reason, 160)};
}

void tellPlayer(const std::string& title, const std::string& text) {
  for (const PlayerNotice& n : queue())
    if (n.title == title && n.text == text) return;
  queue().push_back(PlayerNotice{title, text});
  addMessage(title + ": " + text, false);
}

void tellPlayer(const std::string& what, const std::string& why, const std::string& advice) {
  tellPlayer(what, advice.empty() ? why : why + ". " + advice);
}

bool tellDamagedFile(const FileProblem& problem, const std::string& effect) {
  if (!toldFiles().insert(problem.path).second) return false;
  queue().push_back(PlayerNotice{problem.path, damageText(problem, effect)});
  if (loggedFiles().insert(problem.path).second) addMessage(problem.path + ": " + queue().back().text, false);
  return true;
}

void logDamagedFile(const FileProblem& problem, const std::string& effect) {
  if (loggedFiles().insert(problem.path).second) addMessage(problem.path + ": " + damageText(problem, effect), false);
}

const PlayerNotice* firstPlayerNotice() { return queue().empty() ? nullptr : &queue().front(); }

void dismissPlayerNotice() {
  if (!queue().empty()) queue().pop_front();
}

std::vector<std::string> playerNoticeTexts() {
  std::vector<std::string> texts;
  for (const PlayerNotice& n : queue()) texts.push_back("[Y]" + n.title + ":[y] " + n.text);
  return texts;
}

void forgetToldFiles() {
  toldFiles().clear();
  loggedFiles().clear();
}

void resetPlayerNotices() {
  queue().clear();
  forgetToldFiles();
}

std::string printableExcerpt(const std::string& raw, size_t maxChars) {
  std::string out;
  for (char c : raw) {
    if (out.size() >= maxChars) return out + "...";
    const auto u = static_cast<unsigned char>(c);
    out += (u >= 32 && u < 127) ? c : '?';
  }
  return out;
}
