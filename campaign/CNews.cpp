// CNews: the news file's reader, the broadcast's frame step and queries, and the trade ticker.
#include "campaign/CNews.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "engine/PlayerNotices.h"
#include "runtime/ItemFile.h"
#include "runtime/Rnd.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"

std::shared_ptr<CNews> News;

namespace {
const char* const NewsFile = "\\gfx\\news\\news.pnd";
const std::string NoText;

// Goods kinds 0..7 by name; "unidentified" outside.
std::string goodsName(Integer kind) {
  static const char* const names[8] = {"tapes", "bananas", "kittens", "dairy", "pills", "clothes", "paper", "chemicals"};
  if (kind < 0 || kind > 7) return "unidentified";
  return names[kind];
}

// Mouth frame 0 or 1 of a line timer at `rate` changes a second.
Integer mouthFrame(Double timer, double rate) {
  const long long k = static_cast<long long>(std::floor(timer * rate));
  return static_cast<Integer>(((k % 2) + 2) % 2);
}
}  // namespace

void CNews::Init() {
  segments.clear();
  std::vector<std::string> lines;
  try {
    lines = readLines(NewsFile);
  } catch (const std::exception& err) {
    tellDamagedFile(FileProblem::of(err, NewsFile), "The news shows nothing");
    return;
  }
  std::string firstDamage;
  int damaged = 0;
  int line = 0;
  bool reportedLong = false;
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string& s = lines[n];
    auto damage = [&](const std::string& why) {
      if (damaged++ == 0) firstDamage = "line " + std::to_string(n + 1) + ": " + why;
    };
    if (s == "#") {
      NewsSegment seg;
      seg.speaker.fill(-1);
      segments.push_back(std::move(seg));
      line = 0;
      reportedLong = false;
      continue;
    }
    if (s.empty()) continue;
    if (segments.empty()) {
      damage("\"" + printableExcerpt(s) + "\" comes before the first segment");
      continue;
    }
    if (s.size() < 3) {
      damage("\"" + printableExcerpt(s) + "\" is too short");
      continue;
    }
    if (line >= NewsSegment::Lines) {
      if (!reportedLong) damage("the segment is longer than 32 lines");
      reportedLong = true;
      continue;
    }
    NewsSegment& seg = segments.back();
    switch (s[0]) {
      case '1': seg.speaker[line] = 1; break;
      case '2': seg.speaker[line] = 2; break;
      case 'p': seg.speaker[line] = 0; break;
      default: damage("unknown newscaster \"" + printableExcerpt(s.substr(0, 1)) + "\""); break;
    }
    seg.text[line] = s.substr(3);
    ++line;
  }
  if (segments.empty() && damaged == 0) firstDamage = "no news segment in the file";
  if (segments.empty() || damaged > 0) {
    const std::string more = damaged > 1 ? " (" + std::to_string(damaged) + " damaged lines)" : "";
    tellDamagedFile(FileProblem{NewsFile, firstDamage + more},
                    segments.empty() ? "The news shows nothing" : "The news leaves those lines out");
  }
}

void CNews::NewSeg() {
  Randomize();
  const long count = static_cast<long>(segments.size());
  long k = CLng(static_cast<double>(Rnd()) * count);
  k = std::min(k, count - 1);
  curSeg = static_cast<Integer>(k);
  lineTimer = 0;
  curLine = -1;
  curPic = 3;
}

Long CNews::curSpeaker() const {
  if (curSeg < 0 || curSeg >= static_cast<Integer>(segments.size())) return -1;
  if (curLine < 0 || curLine >= NewsSegment::Lines) return -1;
  return segments[static_cast<size_t>(curSeg)].speaker[static_cast<size_t>(curLine)];
}

const std::string& CNews::curText() const {
  if (curSpeaker() == -1) return NoText;
  return segments[static_cast<size_t>(curSeg)].text[static_cast<size_t>(curLine)];
}

void CNews::Read() {
  // 1.
  lineTimer -= FrameTime;
  // 2. A line is being read: the other newscaster fidgets.
  if (lineTimer > 0) {
    const Long speaking = curSpeaker();
    if (speaking != 1) {
      idle1Timer -= FrameTime;
      if (idle1Timer < 0) {
        const float r = Rnd();
        if (r < 0.2f) {
          idle1Pose = 3;
          idle1Timer = Rnd() * 5 + 1;
        } else if (r < 0.5f) {
          idle1Pose = 2;
          idle1Timer = Rnd() / 2 + 0.5;
        } else {
          idle1Pose = 0;
          idle1Timer = Rnd() * 5 + 5;
        }
      }
    }
    if (speaking != 2) {
      idle2Timer -= FrameTime;
      if (idle2Timer < 0) {
        const float r = Rnd();
        if (r < 0.2f) {
          idle2Pose = 3;
          idle2Timer = Rnd() * 6 + 2;
        } else if (r < 0.4f) {
          idle2Pose = 2;
          idle2Timer = Rnd() / 2 + 0.5;
        } else {
          idle2Pose = 0;
          idle2Timer = Rnd() * 5 + 5;
        }
      }
    }
    return;
  }
  // 3. The next line, or another segment.
  if (segments.empty()) return;
  ++curLine;
  const Long speaker = curSpeaker();
  if (speaker == -1) {
    NewSeg();
    return;
  }
  idle1Timer = idle2Timer = 1.0;
  idle1Pose = idle2Pose = 0;
  const std::string& text = curText();
  if (speaker == 0) {
    curPic = CInt(std::clamp(Val(text), -32768.0, 32767.0));
    lineTimer = 0;
  } else {
    lineTimer = static_cast<double>(Len(text)) / 15 + 1;
  }
}

void CNews::readIfIdle() {
  if (curLine == -1) Read();
}

std::string CNews::getTrantorMsg() {
  readIfIdle();
  return curSpeaker() == 1 ? curText() : std::string();
}

std::string CNews::getYukiMsg() {
  readIfIdle();
  return curSpeaker() == 2 ? curText() : std::string();
}

Integer CNews::getCurPic() {
  readIfIdle();
  return curPic;
}

Integer CNews::getZombieIcon() {
  readIfIdle();
  return curSpeaker() == 1 ? mouthFrame(lineTimer, 4) : idle1Pose;
}

Integer CNews::getYukiIcon() {
  readIfIdle();
  return curSpeaker() == 2 ? mouthFrame(lineTimer, 5) : idle2Pose;
}

std::string CNews::getTicker() {
  tickerPos += FrameTime * 20;
  return ticker;
}

void CNews::makeTicker() {
  struct Entry {
    std::string title;
    Integer kind = 0, price = 0;
  };
  std::vector<Entry> found;
  // 1. Trading nodes in reach of the current node.
  if (World && World->CurrentNode >= 0 && World->CurrentNode <= World->getTotalNodes()) {
    for (Integer i = 0; i <= World->getTotalNodes(); ++i) {
      if (!World->getLocaleHasTrade(i) || World->getLocaleDist(i) >= 550) continue;
      Entry e;
      e.title = World->getNodeTitle(i);
      if (Rnd() < 0.5f) {
        e.kind = World->getTraderCheapestType(i);
        e.price = World->getTraderCheapestPrice(i);
      } else {
        e.kind = World->getTraderExpestType(i);
        e.price = World->getTraderExpestPrice(i);
      }
      found.push_back(std::move(e));
    }
  }
  // 2. Shuffle.
  Randomize();
  const long count = static_cast<long>(found.size());
  for (long i = 0; i < count; ++i) {
    const long j = std::min(static_cast<long>(std::floor(Rnd() * count)), count - 1);
    if (j != i) std::swap(found[static_cast<size_t>(i)], found[static_cast<size_t>(j)]);
  }
  // 3..4.
  ticker.clear();
  for (const Entry& e : found) {
    const std::string goods = goodsName(e.kind), price = "$" + std::to_string(e.price);
    const float r = Rnd();
    if (r < 0.1f)
      ticker += goods + " prices in " + e.title + " have reached " + price;
    else if (r < 0.2f)
      ticker += e.title + " production: " + goods + " retail at " + price;
    else
      ticker += e.title + ": " + price + " per unit " + goods;
    ticker += " ... ";
  }
  ticker += "transmission over";
  tickerPos = -100;
}
