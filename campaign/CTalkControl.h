// CTalkControl: what other ships say to the player (one instance, TalkControl, created at start-up).
// It reads the talk file "\data\talk.pnd" once, on creation, and hands out a random line of a
// category (TalkCategory) and alignment (AlignType) with its placeholders filled in. checkReplace
// is the placeholder replacement itself; mission control uses it for the texts of its scripts.
//
// Talk file: a stream of items (an item ends at a comma or a line end; a quoted item may hold
// commas) interleaved with whole lines. An item "#" + key starts an entry: the key (lower-cased)
// names the category, the next item is the alignment keyword (CMap.findAlign), and the next whole
// line, unchanged, is the entry's text. Items outside an entry are skipped.
// A missing file, an entry cut short at the end of the file, an entry of an unknown alignment (left
// out) or a file without any entry is told to the player once (engine/PlayerNotices) with the
// file's path and its first fault; the whole entries stay and a category without lines answers
// "...".
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "runtime/Numbers.h"

// TalkCategory values.
constexpr Long talkChatter = 0, talkTrade = 1, talkForgive = 2, talkGas = 3, talkCopTalk = 4, talkSuccess = 5,
               talkFailure = 6, talkChatter0 = 7, talkChatter8 = 15, talkGiveMission = 18, talkHappyMission = 19;

struct TalkEntry {
  Long align = 0;     // AlignType
  Long category = 0;  // TalkCategory
  std::string text;
};

class CTalkControl {
 public:
  // Reads "\data\talk.pnd" (readTalkFile).
  CTalkControl();

  // A random line of category and align, "..." when there is none. Trade (1): "%yt" becomes
  // value3 + " units of " + the goods name of value1, "%nt" the same with value2; forgive (2) and
  // gas (3): "%m" becomes "$" + value1. value4 is not used. Reseeds the random generator.
  std::string getRandomTalk(Long category, Long align, Integer value1, Integer value2, Integer value3,
                            Integer value4) const;
  // Every occurrence of sPre in sOrig (case-sensitive, left to right) replaced by sPost; sOrig
  // holds the result too. Scanning resumes after each inserted text, so a replacement that holds
  // its own pattern is inserted once. An empty sPre changes nothing.
  static std::string checkReplace(std::string& sOrig, const std::string& sPre, const std::string& sPost);
  // TalkCategory of a lower-case key ("chatter", "trade", ... "happymission"); 0 for any other.
  static Long categoryFromKey(const std::string& key);

  Integer getLastEntry() const { return lastEntry; }  // index of the last entry, -1 none
  const TalkEntry& getEntry(Integer i) const;        // VbError 9 outside 0..getLastEntry

 private:
  void readTalkFile();
  std::vector<TalkEntry> entries;
  Integer lastEntry = -1;
};

extern std::shared_ptr<CTalkControl> TalkControl;
