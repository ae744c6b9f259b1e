// Talk lines: the talk file's entries, the random line by category and alignment with its
// placeholders, the placeholder replacement, damaged or missing files, and the shipped lines.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "campaign/CTalkControl.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "levels/CMap.h"
#include "runtime/Rnd.h"
#include "tests/support/LoggedLines.h"
#include "tests/support/TempGameDir.h"

namespace {
class TalkLinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setRndSeedForTests(7);
    CurMap = new CMap();
    MsgLog.fill("");
    MsgCount = 0;
    DevMode = true;
    resetPlayerNotices();
  }
  void TearDown() override {
    delete CurMap;
    CurMap = nullptr;
    DevMode = false;
    clearRndTestSeed();
  }
};

// Alignment values of the map's table.
constexpr Long Neutral = 0, Ptero = 1, Zombie = 2;
}  // namespace

TEST_F(TalkLinesTest, PlaceholdersAreFilledEveryTimeTheyOccur) {
  TempGameDir dir;
  dir.write("\\data\\talk.pnd",
            "#forgive\r\nneutral\r\nPay %m, or else. %M stays.\r\n"
            "#Trade,neutral\r\nMy %nt, your %yt; %yt again, %nt again.\r\n"
            "#gas\r\nneutral\r\n%m%m\r\n"
            "#chatter\r\nneutral\r\nNo %m here.\r\n");
  CTalkControl talk;
  EXPECT_EQ(talk.getLastEntry(), 3);
  EXPECT_EQ(talk.getRandomTalk(talkForgive, Neutral, 250, 0, 0, 0), "Pay $250, or else. %M stays.");
  EXPECT_EQ(talk.getRandomTalk(talkTrade, Neutral, 1, 2, 10, 0),
            "My 10 units of kittens, your 10 units of bananas; 10 units of bananas again, 10 units of kittens again.");
  EXPECT_EQ(talk.getRandomTalk(talkGas, Neutral, 5, 0, 0, 0), "$5$5");
  EXPECT_EQ(talk.getRandomTalk(talkChatter, Neutral, 5, 0, 0, 0), "No %m here.");  // other categories unchanged
  EXPECT_EQ(talk.getRandomTalk(talkTrade, Neutral, 9, -1, 3, 0).rfind("My 3 units of unidentified, your 3 units of unidentified", 0), 0u);
}

TEST_F(TalkLinesTest, OnlyLinesOfTheAskedAlignmentAreChosen) {
  TempGameDir dir;
  dir.write("\\data\\talk.pnd",
            "#chatter\r\nptero\r\nsky one\r\n#chatter\r\nzombie\r\nbrains\r\n#chatter\r\nptero\r\nsky two\r\n"
            "#success\r\nptero\r\nwrong category\r\n");
  CTalkControl talk;
  std::set<std::string> said;
  for (int k = 0; k < 60; ++k) said.insert(talk.getRandomTalk(talkChatter, Ptero, 0, 0, 0, 0));
  EXPECT_EQ(said, (std::set<std::string>{"sky one", "sky two"}));
  EXPECT_EQ(talk.getRandomTalk(talkFailure, Ptero, 0, 0, 0, 0), "...");
  EXPECT_EQ(talk.getRandomTalk(talkChatter, Neutral, 0, 0, 0, 0), "...");
  EXPECT_EQ(talk.getRandomTalk(talkChatter, Zombie, 0, 0, 0, 0), "brains");
}

TEST_F(TalkLinesTest, CheckReplaceEndsAndReplacesLeftToRight) {
  struct Case {
    const char *orig, *pre, *post, *out;
  };
  const Case cases[] = {
      {"%m%m", "%m", "$5", "$5$5"},
      {"a%mb", "%m", "x%my", "ax%myb"},  // the inserted text is not scanned again
      {"%m", "%m", "%m%m", "%m%m"},
      {"aaa", "aa", "b", "ba"},
      {"text", "", "x", "text"},  // an empty pattern changes nothing
      {"end %d", "%dt", "x", "end %d"},
  };
  for (const Case& c : cases) {
    std::string s = c.orig;
    EXPECT_EQ(CTalkControl::checkReplace(s, c.pre, c.post), c.out) << c.orig;
    EXPECT_EQ(s, c.out) << c.orig;
  }
}

TEST_F(TalkLinesTest, KeysMapToCategoriesAndUnknownOnesToChatter) {
  struct Case {
    const char* key;
    Long category;
  };
  const Case cases[] = {{"trade", 1}, {"coptalk", 4}, {"failure", 6}, {"chatter0", 7}, {"chatter8", 15},
                        {"givemission", 18}, {"happymission", 19}, {"gossip", 0}};
  for (const Case& c : cases) EXPECT_EQ(CTalkControl::categoryFromKey(c.key), c.category) << c.key;
}

TEST_F(TalkLinesTest, DamagedOrMissingFilesLeaveDotsAndAMessage) {
  TempGameDir dir;
  {
    CTalkControl talk;  // no file
    EXPECT_EQ(talk.getLastEntry(), -1);
    EXPECT_EQ(talk.getRandomTalk(talkChatter, Neutral, 0, 0, 0, 0), "...");
    EXPECT_TRUE(logged("\\data\\talk.pnd: File not found. Ships say \"...\" when they talk"));
  }
  for (const char* cut : {"#gas\r\nneutral\r\n", "#gas"}) {
    MsgLog.fill("");
    resetPlayerNotices();
    dir.write("\\data\\talk.pnd", std::string("#chatter\r\nneutral\r\nhello\r\n") + cut);
    CTalkControl talk;
    EXPECT_EQ(talk.getLastEntry(), 0) << cut;  // the whole entry before stays
    EXPECT_EQ(talk.getRandomTalk(talkChatter, Neutral, 0, 0, 0, 0), "hello");
    EXPECT_EQ(talk.getRandomTalk(talkGas, Neutral, 0, 0, 0, 0), "...");
    EXPECT_TRUE(logged("\\data\\talk.pnd: the file ends inside the entry \"#gas\". The 1 whole talk lines are used"))
        << cut;
  }
  // Random bytes, and entries of no known alignment (left out): told once, as text, by the file.
  struct Case {
    std::string text;
    Integer entries;
    const char* told;
  };
  const Case cases[] = {
      {std::string("\x01\xfe,#\xff\x80,\r\n\x7f\x02", 11), -1,
       "\\data\\talk.pnd: the file ends inside the entry \"#??\". Ships say \"...\" when they talk"},
      {"header, line\r\n", -1, "\\data\\talk.pnd: no talk line in the file. Ships say \"...\" when they talk"},
      {"#chatter\r\nneutral\r\nhi\r\n#chatter\r\nnowhere\xe9\r\nlost\r\n#gas\r\nbad\r\nlost\r\n", 0,
       "\\data\\talk.pnd: the entry \"#chatter\" has the unknown alignment \"nowhere?\" (2 damaged entries). The 1 "
       "whole talk lines are used"},
  };
  for (const Case& c : cases) {
    MsgLog.fill("");
    MsgCount = 0;
    resetPlayerNotices();
    dir.write("\\data\\talk.pnd", c.text);
    CTalkControl talk;
    EXPECT_EQ(talk.getLastEntry(), c.entries) << c.told;
    EXPECT_EQ(MsgCount, 1) << MsgLog[0];
    EXPECT_EQ(MsgLog[0], c.told);
    ASSERT_TRUE(firstPlayerNotice());
    EXPECT_EQ(firstPlayerNotice()->title, "\\data\\talk.pnd");
  }
}

TEST_F(TalkLinesTest, ShippedLinesCoverEveryCategoryAndAlignment) {
  TempGameDir dir(std::string(QV_SOURCE_DIR) + "/content");
  CTalkControl talk;
  EXPECT_EQ(MsgCount, 0) << MsgLog[0];
  const Long categories[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 18, 19};
  for (Long align = 0; align <= 11; ++align) {
    if (align == 10) continue;  // "any" is no ship's alignment
    for (Long c : categories) {
      const std::string line = talk.getRandomTalk(c, align, 1, 2, 3, 0);
      EXPECT_NE(line, "...") << "category " << c << " alignment " << align;
      EXPECT_EQ(line.find('%'), std::string::npos) << line;
    }
  }
}
