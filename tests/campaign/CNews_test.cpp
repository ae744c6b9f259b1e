// The news broadcast: segments and speakers from the news file, line timing, picture cues, the
// end of a segment, damaged or missing files, and the trade ticker of the markets in reach.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "campaign/CNews.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "runtime/Rnd.h"
#include "tests/support/LoggedLines.h"
#include "tests/support/TempGameDir.h"

struct CWorldProbe {
  static void setTrade(CWorld& w, Integer node, Integer flag) { w.Nodes[static_cast<size_t>(node)].HasTrade = flag; }
};

namespace {
class NewsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setRndSeedForTests(3);
    MsgLog.fill("");
    MsgCount = 0;
    DevMode = true;
    resetPlayerNotices();
  }
  void TearDown() override {
    News.reset();
    World.reset();
    FrameTime = 0;
    DevMode = false;
    clearRndTestSeed();
  }
  // A news object read from text (one file line per "\n").
  CNews& read(const std::string& text) {
    resetPlayerNotices();  // each file read is told afresh
    dir.write("\\gfx\\news\\news.pnd", text);
    News = std::make_shared<CNews>();
    News->Init();
    return *News;
  }
  // One frame of ft seconds.
  static void frame(CNews& n, double ft) {
    FrameTime = ft;
    n.Read();
  }
  // Frames of 0.1 s until the segment changes or the line index moves; returns the lines seen.
  static int playSegment(CNews& n) {
    const Integer seg = n.getCurSegment();
    int lines = 0, last = -1;
    for (int k = 0; k < 10000; ++k) {
      frame(n, 0.1);
      if (n.getCurLine() == -1) return lines;  // a new segment starts
      if (n.getCurLine() != last) {
        ++lines;
        last = n.getCurLine();
      }
      EXPECT_EQ(n.getCurSegment(), seg);
    }
    return lines;
  }
  TempGameDir dir;
};

std::string spokenLines(int n) {
  std::string s = "#\n";
  for (int k = 0; k < n; ++k) s += (k % 2 ? "2: line " : "1: line ") + std::to_string(k) + "\n";
  return s;
}
}  // namespace

TEST_F(NewsTest, SpokenLinesLastByTheirLengthAndCuesShowAtOnce) {
  CNews& n = read("#\n1: " + std::string(30, 'a') + "\np: 7\n2: hi\n");
  n.NewSeg();
  EXPECT_EQ(n.getCurPic(), 3);  // until the cue (the first query reads line 0)
  EXPECT_EQ(n.getTrantorMsg(), std::string(30, 'a'));
  EXPECT_EQ(n.getYukiMsg(), "");
  EXPECT_DOUBLE_EQ(n.getLineTimer(), 3.0);  // 30 characters / 15 + 1
  frame(n, 2.95);
  EXPECT_EQ(n.getCurLine(), 0);
  frame(n, 0.1);  // the line ends: the cue
  EXPECT_EQ(n.getCurLine(), 1);
  EXPECT_EQ(n.getCurPic(), 7);
  EXPECT_EQ(n.getTrantorMsg(), "");
  frame(n, 0.01);  // the next frame: the next line
  EXPECT_EQ(n.getCurLine(), 2);
  EXPECT_EQ(n.getYukiMsg(), "hi");
}

TEST_F(NewsTest, SegmentsEndAtTheirLastLineOrAnUnknownSpeaker) {
  {
    CNews& n = read("#\n1: one\n2: two\nx: three\n1: four\n");
    EXPECT_TRUE(logged("\\gfx\\news\\news.pnd: line 4: unknown newscaster \"x\". The news leaves those lines out"));
    n.NewSeg();  // one segment: always it
    EXPECT_EQ(n.getCurSegment(), 0);
    EXPECT_EQ(playSegment(n), 2);
  }
  {
    CNews& n = read(spokenLines(32));
    n.NewSeg();
    EXPECT_EQ(playSegment(n), 32);
  }
}

TEST_F(NewsTest, NewscastersMouthTheirLinesAndIdleOtherwise) {
  CNews& n = read("#\n1: " + std::string(45, 'a') + "\n");
  n.NewSeg();
  EXPECT_EQ(n.getZombieIcon(), 0);  // timer 4.0: Int(16) mod 2
  frame(n, 0.6);
  EXPECT_EQ(n.getZombieIcon(), 1);  // timer 3.4: Int(13.6) mod 2
  for (int k = 0; k < 20; ++k) {
    frame(n, 0.1);
    const Integer pose = n.getYukiIcon();
    EXPECT_TRUE(pose == 0 || pose == 2 || pose == 3) << pose;
  }
}

TEST_F(NewsTest, DamagedFilesNeverIndexOutOfRange) {
  struct Case {
    const char* what;
    std::string text;
    const char* message;
    int segments, lines;
  };
  const Case cases[] = {
      {"line before the first segment", "1: early\n#\n1: fine\n", "before the first segment", 1, 1},
      {"33 lines", spokenLines(33), "longer than 32 lines", 1, 32},
      {"short line", "#\n1:\n2: fine\n", "too short", 1, 1},
      {"no segment", "1: lonely\n", "line 1: \"1: lonely\" comes before the first segment. The news shows nothing", 0, 0},
      {"random bytes", std::string("\x9c\x01#\n\xff\xfe\x00\x81 zz\n", 10), "line 1: \"??#\" comes before the first segment (2 damaged lines)", 0, 0},
      {"empty", "", "no news segment in the file. The news shows nothing", 0, 0},
  };
  for (const Case& c : cases) {
    MsgLog.fill("");
    CNews& n = read(c.text);
    EXPECT_TRUE(logged(c.message)) << c.what;
    EXPECT_EQ(n.getSegmentCount(), c.segments) << c.what;
    n.NewSeg();
    if (c.segments > 0) {
      EXPECT_EQ(playSegment(n), c.lines) << c.what;
    } else {
      for (int k = 0; k < 5; ++k) frame(n, 1.0);
      EXPECT_EQ(n.getTrantorMsg(), "") << c.what;
      EXPECT_EQ(n.getYukiIcon(), 0) << c.what;
    }
  }
  dir.remove("\\gfx\\news\\news.pnd");
  MsgLog.fill("");
  resetPlayerNotices();
  News = std::make_shared<CNews>();
  News->Init();
  EXPECT_TRUE(logged("\\gfx\\news\\news.pnd: File not found. The news shows nothing"));
  News->NewSeg();
  frame(*News, 1.0);
  EXPECT_EQ(News->getYukiMsg(), "");
}

TEST_F(NewsTest, TheTickerListsTradingNodesInReach) {
  World = std::make_shared<CWorld>();
  World->AddNode("Here", "here", 0, 0, "", 0, 0, 0);
  World->AddNode("Near", "near", 300, 400, "", 0, 0, 0);  // 500 away
  World->AddNode("Far", "far", 330, 440, "", 0, 0, 0);    // 550 away: out of reach
  World->InitTraders();
  World->CurrentNode = 0;
  CNews n;
  n.makeTicker();  // no node trades
  EXPECT_EQ(n.getTicker(), "transmission over");
  EXPECT_EQ(n.getTickerFrame(), -100);
  FrameTime = 0.5;
  n.getTicker();
  EXPECT_EQ(n.getTickerFrame(), -90);

  CWorldProbe::setTrade(*World, 1, -1);
  CWorldProbe::setTrade(*World, 2, -1);
  n.makeTicker();
  const std::string t = n.getTicker();
  EXPECT_NE(t.find("Near"), std::string::npos) << t;
  EXPECT_EQ(t.find("Far"), std::string::npos) << t;
  EXPECT_EQ(t.find("Here"), std::string::npos) << t;
  EXPECT_EQ(t.substr(t.size() - 22), " ... transmission over");
}

TEST_F(NewsTest, ShippedNewsReadsCleanly) {
  TempGameDir content(std::string(QV_SOURCE_DIR) + "/content");
  News = std::make_shared<CNews>();
  News->Init();
  EXPECT_EQ(MsgCount, 0) << MsgLog[0];
  EXPECT_GE(News->getSegmentCount(), 2);
}
