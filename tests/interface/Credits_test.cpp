// End credits: reading the credits file, the scrolling lines with their brightness bands and
// styles, the click that skips to the flash, the flash and the whitening sky, and the end after
// 150 s with the notice the cheat states choose. Driven pass by pass with a fixed frame time.
#include <memory>
#include <string>
#include <vector>

#include "campaign/CWorld.h"
#include "levels/CMap.h"
#include "sprites/CSprite.h"
#include "sprites/SpriteMod.h"
#include "tests/interface/StoreFixture.h"

struct CreditsProbe {
  CInterface& g;
  Double& clock() { return g.creditClock; }
  std::vector<std::string>& lines() { return g.creditLines; }
  void pass() { g.RenderCreds(); }
};

namespace {

class CreditsTest : public StoreFixture {
 protected:
  void SetUp() override {
    StoreFixture::SetUp();
    dir->write(
        "\\maps\\world.pnd",
        "\"World!\"\r\n\"Home\"\r\n\"home\"\r\n300,50\r\n0\r\n\"about "
        "home\"\r\n1,0,0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n" +
            std::string(
                "#FALSE#\r\n#FALSE#\r\n#FALSE#\r\n#FALSE#\r\n#FALSE#\r\n#FALSE#\r\n#FALSE#\r\n#FALSE#\r\n"
                "#FALSE#\r\n") +
            "8\r\n\"eof\"\r\n");
    World = std::make_shared<CWorld>();
    World->Load();
    World->CurrentNode = 0;
    map = std::make_unique<CMap>();
    CurMap = map.get();
    Sprites.assign(SpritePoolSize, CSprite{});
    SpriteHint = 0;
    GamePaused = true;  // as the dispatcher sets it on this screen
    CamShake = 0;
  }
  void TearDown() override {
    GamePaused = false;
    CamShake = 0;
    Sprites.assign(SpritePoolSize, CSprite{});
    CurMap = nullptr;
    map.reset();
    StoreFixture::TearDown();
  }
  CreditsProbe cp() { return CreditsProbe{*gi}; }
  void start(const std::string& file) {
    dir->write("\\data\\credits.pnd", file);
    gi->doCredits();
  }
  // One pass with the clock at t after it (frame time 0, so nothing crosses a mark).
  void passAt(Double t) {
    FrameTime = 0;
    cp().clock() = t;
    frame([&] { cp().pass(); });
  }
  // Glyph scale of the first glyph of text s in the last frame (0 when not drawn).
  float scaleOf(const std::string& s) const {
    auto t = findText(s);
    if (!t) return 0;
    for (const D3DCall& c : device->RecordedCalls())
      if (c.kind == D3DCallKind::SpriteDraw && c.object == font && c.matrix.m[3][0] == t->x &&
          c.matrix.m[3][1] == t->y)
        return c.matrix.m[0][0];
    return 0;
  }
  static int live(Long kind) {
    int n = 0;
    for (const CSprite& s : Sprites) n += s.Exists && s.sType == kind;
    return n;
  }
  std::unique_ptr<CMap> map;
};

D3DCOLOR grey(int c) {
  return D3DColorARGB(255, c, c, c);
}

TEST_F(CreditsTest, TheFileFillsTheLinesAfterAnEmptyFirstEntry) {
  start("\xEF\xBB\xBFone\r\ntwo\r\n\r\nfour\r\n");  // a UTF-8 mark is not part of the first line
  EXPECT_EQ(cp().lines(), (std::vector<std::string>{"", "one", "two", "", "four"}));
  EXPECT_EQ(gi->Window, msCredits);
  EXPECT_EQ(cp().clock(), -1.0);
  EXPECT_FALSE(gi->canCredTunnel());

  // A missing file raises to the caller and leaves the screen as it was.
  dir->remove("\\data\\credits.pnd");
  gi->Window = msNone;
  EXPECT_THROW(gi->doCredits(), VbError);
  EXPECT_EQ(gi->Window, msNone);
}

// Line 1 of 3 enters at the bottom at t = 1 and leaves the top at t = 21; it rises 20 pixels a
// second and fades over the 50 pixels at either edge of the text area (screen 600 high).
TEST_F(CreditsTest, LinesRiseThroughTheTextAreaInTheirBrightnessBands) {
  start("alpha\r\nbeta\r\ngamma\r\n");
  struct Case {
    Double t;
    bool drawn;
    float y;
    int c;  // grey level 0.9 x brightness
  };
  float offset = 0;  // glyph pen minus line y: the same for every pass
  bool first = true;
  for (const Case& k : {Case{0.9, false, 0, 0}, Case{1.0, false, 0, 0}, Case{2.0, true, 480, 92},
                        Case{10.0, true, 320, 230}, Case{20.5, true, 110, 46}, Case{21.0, false, 0, 0}}) {
    passAt(k.t);
    auto line = findText("alpha");
    ASSERT_EQ(line != nullptr, k.drawn) << "t " << k.t << " " << allTexts();
    if (!line) continue;
    EXPECT_EQ(line->colour, grey(k.c)) << "t " << k.t;
    if (first) offset = line->y - k.y, first = false;
    EXPECT_NEAR(line->y - k.y, offset, 0.01) << "t " << k.t;
  }
  passAt(10.0);
  EXPECT_TRUE(hasText("beta") && hasText("gamma"));
  auto a = findText("alpha"), b = findText("beta");
  EXPECT_NEAR(b->y - a->y, 20, 0.5);
}

TEST_F(CreditsTest, HeadingsAndTitlesLoseTheirMarkAndColourCodesStay) {
  start("[+]heading\r\n[=]\r\n[R]red[r]rum\r\n[=]title\r\nplain\r\n");
  passAt(10.0);  // every line fully bright
  auto heading = findText("heading"), title = findText("title"), red = findText("redrum"),
       plain = findText("plain");
  ASSERT_TRUE(heading && title && red && plain) << allTexts();
  EXPECT_EQ(heading->colour, D3DColorARGB(255, 255, 255, 0));
  EXPECT_EQ(title->colour, grey(255));
  EXPECT_EQ(plain->colour, grey(230));
  EXPECT_EQ(red->colour, D3DColorARGB(255, 255, 0, 0)) << "\"[R]\" is a colour code, not a mark";
  const float base = scaleOf("plain");
  EXPECT_FLOAT_EQ(scaleOf("heading"), base / 0.6f * 0.8f);
  EXPECT_FLOAT_EQ(scaleOf("title"), base / 0.6f);
  EXPECT_FLOAT_EQ(scaleOf("redrum"), base);
  EXPECT_EQ(texts().size(), 4u) << "the lone \"[=]\" draws nothing: " << allTexts();
}

TEST_F(CreditsTest, AClickJumpsTo146AndTheFlashFollows02SecondsLater) {
  start("line\r\n");
  cp().clock() = 10.0 - 0.0625;
  FrameTime = 0.0625;  // exact in binary
  MouseClicked = true;
  frame([&] { cp().pass(); });
  EXPECT_EQ(cp().clock(), 146.0);
  EXPECT_FALSE(MouseClicked);
  int flashPass = 0;
  for (int pass = 1; pass <= 6 && !flashPass; ++pass) {
    MouseClicked = true;  // clicks after 146 change nothing
    frame([&] { cp().pass(); });
    if (live(skCreditFlare)) flashPass = pass;
  }
  EXPECT_EQ(flashPass, 4) << "146.25 is the first pass at or past 146.2";
  EXPECT_EQ(cp().clock(), 146.25);
  EXPECT_FLOAT_EQ(CamShake, 0.5f);
  EXPECT_EQ(live(skCreditFlare), 1);
  EXPECT_GT(live(skCreditTunnel), 0);
  EXPECT_EQ(map->getRed(), CInt((146.25 - 146) * 50 + 50));  // the sky whitens
  EXPECT_EQ(map->getGreen(), 62);
}

TEST_F(CreditsTest, TheEndComesOnTheFirstPassAbove150WithTheNoticeOfTheCheatStates) {
  struct Case {
    Integer slowMo, god;
    Long window;
  };
  for (const Case& c : {Case{0, 0, msSloMoUnlocked}, Case{0, 1, msSloMoUnlocked},
                        Case{1, 0, msCheatsUnlocked}, Case{1, 1, msNone}}) {
    Player->setHasCheat(3, c.slowMo);
    Player->setHasCheat(0, c.god);
    start("line\r\n");
    cp().clock() = 149.5;
    FrameTime = 0.5;
    frame([&] { cp().pass(); });
    EXPECT_EQ(gi->Window, msCredits) << "150.0 exactly goes on";
    FrameTime = 0.0625;
    ship().e = 0;
    frame([&] { cp().pass(); });
    EXPECT_EQ(gi->Window, c.window) << c.slowMo << c.god;
    EXPECT_EQ(ship().e, 2320) << "the player's ship warps in";
    EXPECT_EQ(map->getRed(), 0);
    EXPECT_TRUE(gi->canCredTunnel()) << "the clock keeps its last value";
  }
}

}  // namespace
