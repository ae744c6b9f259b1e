// CTalkControl: the talk file's reader, the random line and the placeholder replacement.
#include "campaign/CTalkControl.h"

#include <algorithm>

#include "engine/PlayerNotices.h"
#include "levels/CMap.h"
#include "runtime/ItemFile.h"
#include "runtime/Rnd.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"

std::shared_ptr<CTalkControl> TalkControl;

namespace {
const char* const TalkFile = "\\data\\talk.pnd";

struct CategoryKey {
  const char* key;
  Long value;
};
constexpr CategoryKey CategoryKeys[] = {
    {"chatter", 0},      {"trade", 1},         {"forgive", 2},   {"gas", 3},        {"coptalk", 4},
    {"success", 5},      {"failure", 6},       {"chatter0", 7},  {"chatter1", 8},   {"chatter2", 9},
    {"chatter3", 10},    {"chatter4", 11},     {"chatter5", 12}, {"chatter6", 13},  {"chatter7", 14},
    {"chatter8", 15},    {"givemission", 18},  {"happymission", 19}};

// Goods kinds 0..7 by name; "unidentified" outside.
std::string goodsName(Integer kind) {
  static const char* const names[8] = {"tapes", "bananas", "kittens", "dairy", "pills", "clothes", "paper", "chemicals"};
  if (kind < 0 || kind > 7) return "unidentified";
  return names[kind];
}
}  // namespace

CTalkControl::CTalkControl() { readTalkFile(); }

Long CTalkControl::categoryFromKey(const std::string& key) {
  for (const CategoryKey& c : CategoryKeys)
    if (key == c.key) return c.value;
  return 0;
}

void CTalkControl::readTalkFile() {
  entries.clear();
  lastEntry = -1;
  std::string firstDamage;
  int damaged = 0;
  auto damage = [&](const std::string& why) {
    if (damaged++ == 0) firstDamage = why;
  };
  try {
    ItemReader in(TalkFile);
    while (!in.eof()) {
      const std::string item = in.readString();
      if (item.empty() || item[0] != '#') continue;
      const std::string entry = "the entry \"" + printableExcerpt(item) + "\"";
      TalkEntry e;
      e.category = categoryFromKey(LCase(Mid(item, 2)));
      // An entry cut short by the end of the file is dropped.
      if (in.eof()) {
        damage("the file ends inside " + entry);
        break;
      }
      const std::string alignWord = in.readString();
      e.align = CMap::findAlign(alignWord);
      try {
        e.text = in.readLine();
      } catch (const VbError&) {
        damage("the file ends inside " + entry);
        break;
      }
      if (e.align < 0) {  // an entry of no known alignment is left out
        damage(entry + " has the unknown alignment \"" + printableExcerpt(alignWord) + "\"");
        continue;
      }
      entries.push_back(std::move(e));
    }
    if (entries.empty() && damaged == 0) damage("no talk line in the file");
  } catch (const std::exception& err) {
    entries.clear();
    tellDamagedFile(FileProblem::of(err, TalkFile), "Ships say \"...\" when they talk");
  }
  lastEntry = static_cast<Integer>(static_cast<int>(entries.size()) - 1);
  if (damaged > 0) {
    const std::string more = damaged > 1 ? " (" + std::to_string(damaged) + " damaged entries)" : "";
    tellDamagedFile(FileProblem{TalkFile, firstDamage + more},
                    entries.empty() ? "Ships say \"...\" when they talk"
                                    : "The " + std::to_string(entries.size()) + " whole talk lines are used");
  }
}

const TalkEntry& CTalkControl::getEntry(Integer i) const {
  vbCheckIndex(i, 0, lastEntry);
  return entries[static_cast<size_t>(i)];
}

std::string CTalkControl::getRandomTalk(Long category, Long align, Integer value1, Integer value2, Integer value3,
                                        Integer /*value4*/) const {
  std::vector<size_t> found;
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i].category == category && entries[i].align == align) found.push_back(i);
  if (found.empty()) return "...";
  Randomize();
  long k = CLng(static_cast<double>(Rnd()) * static_cast<double>(found.size()));
  k = std::min<long>(k, static_cast<long>(found.size()) - 1);
  std::string text = entries[found[static_cast<size_t>(k)]].text;
  if (category == talkTrade) {
    checkReplace(text, "%yt", std::to_string(value3) + " units of " + goodsName(value1));
    checkReplace(text, "%nt", std::to_string(value3) + " units of " + goodsName(value2));
  } else if (category == talkForgive || category == talkGas) {
    checkReplace(text, "%m", "$" + std::to_string(value1));
  }
  return text;
}

std::string CTalkControl::checkReplace(std::string& sOrig, const std::string& sPre, const std::string& sPost) {
  if (sPre.empty()) return sOrig;
  size_t pos = 0;
  while (pos + sPre.size() <= sOrig.size()) {
    if (sOrig.compare(pos, sPre.size(), sPre) == 0) {
      sOrig.replace(pos, sPre.size(), sPost);
      pos += sPost.size();
    } else {
      ++pos;
    }
  }
  return sOrig;
}
