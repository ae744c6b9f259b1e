// CNews: the news broadcast of the bounty office (one instance, News, created and read at
// start-up). Two newscasters read the segments of "\gfx\news\news.pnd" line by line, a picture
// changes on cue, the idle newscaster fidgets, and a ticker carries the prices of the markets
// near the player's node. The interface's news viewer draws it and calls Read once per frame;
// the player's landing at a bounty office calls NewSeg and makeTicker.
//
// News file, read line by line: "#" starts a segment; any other line is a segment line whose
// first character names the speaker ("1" newscaster 1, "2" newscaster 2, "p" picture cue with
// the picture number as text), characters 2 and 3 are skipped and the rest is the text. A
// segment holds at most 32 lines. Lines before the first "#", lines beyond the 32nd of a
// segment and lines shorter than 3 characters are left out; an unknown speaker ends its segment
// there during playback. Such a file, a missing one or one without a segment is told to the
// player once (engine/PlayerNotices) with its path and first fault; without a segment the
// broadcast shows nothing.
#pragma once
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "runtime/Numbers.h"

struct NewsSegment {
  static constexpr int Lines = 32;
  std::array<std::string, Lines> text{};
  std::array<Long, Lines> speaker{};  // 1, 2, 0 picture cue, -1 no line
};

class CNews {
 public:
  // The ticker text; each call moves the ticker on by FrameTime x 20 (the viewer calls it once
  // per frame).
  std::string getTicker();
  Double getTickerFrame() const { return tickerPos; }  // scroll position, -100 after makeTicker
  // Reads the news file (segments replace any read before).
  void Init();
  // Starts a random segment: its first line comes with the next Read; picture 3.
  void NewSeg();
  // One frame of the broadcast (FrameTime seconds): the line timer, the idle poses, the next line
  // (a spoken line stays Len / 15 + 1 s, a picture cue moves on in the next frame) and a new
  // segment after the last line.
  void Read();
  // Rebuilds the ticker from the trading nodes within 550 of World's current node, shuffled,
  // ending with "transmission over"; position -100.
  void makeTicker();
  // The current line's text when newscaster 2 (getYukiMsg) or 1 (getTrantorMsg) speaks it, else "".
  std::string getYukiMsg();
  std::string getTrantorMsg();
  Integer getCurPic();
  // Animation cell 0..3 of newscaster 1 (getZombieIcon) or 2 (getYukiIcon): the mouth frames 0/1
  // while speaking, else the idle pose.
  Integer getZombieIcon();
  Integer getYukiIcon();

  Integer getSegmentCount() const { return static_cast<Integer>(segments.size()); }
  Integer getCurSegment() const { return curSeg; }
  Integer getCurLine() const { return curLine; }
  Double getLineTimer() const { return lineTimer; }

 private:
  friend struct CNewsProbe;  // tests set segments and poses
  // Speaker of the current line; -1 when no line is current.
  Long curSpeaker() const;
  const std::string& curText() const;
  void readIfIdle();  // Read once while no line is current (the queries' first call)

  std::vector<NewsSegment> segments;
  Double lineTimer = 0;
  Integer curLine = -1;
  Integer curSeg = 0;
  Double idle1Timer = 0;
  Integer idle1Pose = 0;
  Double idle2Timer = 0;
  Integer idle2Pose = 0;
  std::string ticker;
  Integer curPic = 3;
  Double tickerPos = 0;
};

extern std::shared_ptr<CNews> News;
