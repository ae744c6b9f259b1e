#include "engine/PlayerNotices.h"
#include "campaign/CPlayer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/MessageLog.h"
#include "runtime/ItemFile.h"
#include "runtime/VbError.h"
#include "tests/support/TempGameDir.h"

namespace {
const Integer DefaultKeys[18] = {87, 83, 65, 68, 90, 88, 81, 69, 32, 77, 70, 71, 37, 39, 38, 40, 80, 84};

class CPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { clearLog(); }
  void TearDown() override {
    Player.reset();
    DevMode = ClassicView = FollowMouse = false;
    CheatGod = CheatAmmo = CheatCash = CheatSlowMo = false;
  }
  static void clearLog() {
    MsgLog.fill("");
    MsgCount = 0;
    resetPlayerNotices();
  }
  // A complete options file: bindings 100 + k, the given line 33 and line 34.
  static std::string optionsText(const std::string& line33, const std::string& line34) {
    std::string t;
    for (int k = 0; k < 32; ++k) t += std::to_string(100 + k) + "\r\n";
    return t + line33 + "\r\n" + line34 + "\r\n";
  }
  TempGameDir dir;
};
}  // namespace

TEST_F(CPlayerTest, OptionsRoundTrip) {
  dir.write("\\data\\options.pnd", optionsText("#TRUE#,#FALSE#,2,#TRUE#,#FALSE#,#TRUE#,#TRUE#,#FALSE#", "12.5,33.75"));
  dir.write("\\data\\options2.pnd", "0\r\n1\r\n2\r\n1\r\n2\r\n");
  auto p = std::make_shared<CPlayer>();
  EXPECT_EQ(MsgCount, 0);  // nothing to report
  EXPECT_EQ(p->getCharKey(0), 100);
  EXPECT_EQ(p->getCharKey(31), 131);
  EXPECT_TRUE(p->bMusic);
  EXPECT_FALSE(p->bSound);
  EXPECT_EQ(p->vRes, 2);
  EXPECT_TRUE(p->vWideScreen);
  EXPECT_FALSE(p->vFullScreen);
  EXPECT_TRUE(ClassicView);
  EXPECT_TRUE(FollowMouse);
  EXPECT_FALSE(DevMode);
  EXPECT_EQ(p->musicVolume, 12.5);
  EXPECT_EQ(p->soundVolume, 33.75);

  // Change everything, write, and read it back into a new record.
  for (Long k = 0; k < 32; ++k) p->setCharKey(k, static_cast<Integer>(1000 + 7 * k));
  p->bMusic = false;
  p->bSound = true;
  p->vRes = 3;
  p->vFullScreen = true;
  p->musicVolume = 0.1 + 0.2;
  p->soundVolume = 66.666666666666671;
  DevMode = true;
  ClassicView = false;
  p->setHasCheat(4, 1);
  p->WriteOptions();
  p->WriteCheats();
  DevMode = ClassicView = FollowMouse = false;
  auto q = std::make_shared<CPlayer>();
  for (Long k = 0; k < 32; ++k) EXPECT_EQ(q->getCharKey(k), 1000 + 7 * k) << k;
  EXPECT_FALSE(q->bMusic);
  EXPECT_TRUE(q->bSound);
  EXPECT_EQ(q->vRes, 3);
  EXPECT_TRUE(q->vWideScreen);
  EXPECT_TRUE(q->vFullScreen);
  EXPECT_TRUE(DevMode);
  EXPECT_FALSE(ClassicView);
  EXPECT_TRUE(FollowMouse);
  EXPECT_EQ(q->musicVolume, 0.1 + 0.2);
  EXPECT_EQ(q->soundVolume, 66.666666666666671);
  for (Long i = 0; i < 5; ++i) EXPECT_EQ(q->getHasCheat(i), i == 4 ? 1 : p->getHasCheat(i)) << i;

  std::string text = dir.read("\\data\\options.pnd");
  EXPECT_NE(text.find("\r\n#FALSE#,#TRUE#,3,#TRUE#,#TRUE#,#FALSE#,#TRUE#,#TRUE#\r\n0.30000000000000004,"), std::string::npos);
  EXPECT_EQ(dir.read("\\data\\options2.pnd"), "0\r\n1\r\n2\r\n1\r\n1\r\n");
}

TEST_F(CPlayerTest, CheatFlagsFromTheFileDriveTheGlobals) {
  dir.write("\\data\\options2.pnd", "2\r\n1\r\n2\r\n0\r\n0\r\n");
  auto p = std::make_shared<CPlayer>();
  EXPECT_TRUE(CheatGod);
  EXPECT_FALSE(CheatAmmo);  // unlocked but off
  EXPECT_TRUE(CheatCash);
  EXPECT_FALSE(CheatSlowMo);
  p->setHasCheat(1, 2);
  EXPECT_TRUE(CheatAmmo);
  p->setHasCheat(1, 1);
  EXPECT_FALSE(CheatAmmo);
  p->setHasCheat(5, 2);  // the sixth flag is kept but not stored and has no global
  EXPECT_EQ(p->getHasCheat(5), 2);
  EXPECT_THROW(p->getHasCheat(6), VbError);
  EXPECT_THROW(p->setCharKey(32, 1), VbError);
}

TEST_F(CPlayerTest, MissingFilesGiveDefaultsAndAreWritten) {
  dir.write("\\data\\chars.pnd", "");  // the data folder exists, the options files do not
  auto p = std::make_shared<CPlayer>();
  for (Long k = 0; k < 18; ++k) EXPECT_EQ(p->getCharKey(k), DefaultKeys[k]) << k;
  for (Long k = 18; k < 32; ++k) EXPECT_EQ(p->getCharKey(k), 0) << k;
  EXPECT_EQ(p->vRes, 1);
  EXPECT_FALSE(p->vFullScreen);
  EXPECT_FALSE(DevMode);
  EXPECT_TRUE(p->bMusic);
  EXPECT_TRUE(p->bSound);
  EXPECT_EQ(p->musicVolume, 75);
  EXPECT_EQ(p->soundVolume, 75);
  for (Long i = 0; i < 5; ++i) EXPECT_EQ(p->getHasCheat(i), 0);
  // Both messages are forced, so they show without the developer option; nothing went wrong.
  EXPECT_EQ(MsgCount, 2);
  EXPECT_EQ(MsgLog[1], "options file \\data\\options.pnd missing: default options written.");
  EXPECT_EQ(MsgLog[0], "cheat file \\data\\options2.pnd missing: all cheats locked.");
  EXPECT_TRUE(playerNoticeTexts().empty());
  EXPECT_EQ(dir.read("\\data\\options2.pnd"), "0\r\n0\r\n0\r\n0\r\n0\r\n");
  std::string text = dir.read("\\data\\options.pnd");
  EXPECT_EQ(text.substr(0, 10), "87\r\n83\r\n65");
  EXPECT_NE(text.find("\r\n#TRUE#,#TRUE#,1,#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#\r\n75,75\r\n"), std::string::npos);

  // With no data folder at all the defaults still apply; the player is told, once for each file
  // however many records read them, that nothing was written.
  dir.remove("\\data");
  clearLog();
  auto q = std::make_shared<CPlayer>();
  auto r = std::make_shared<CPlayer>();
  EXPECT_EQ(q->getCharKey(0), 87);
  ASSERT_EQ(playerNoticeTexts().size(), 2u);
  EXPECT_EQ(playerNoticeTexts()[0], "[Y]options file missing and cannot be written:[y] \\data\\options.pnd: Path not found. "
                              "default options used.");
  EXPECT_EQ(playerNoticeTexts()[1], "[Y]cheat file missing and cannot be written:[y] \\data\\options2.pnd: Path not found. "
                              "all cheats locked.");
  EXPECT_FALSE(dir.exists("\\data"));
}

TEST_F(CPlayerTest, ShortOrDamagedFilesKeepWhatWasRead) {
  // Bindings 0..4, then the file ends.
  dir.write("\\data\\options.pnd", "1\r\n2\r\n3\r\n4\r\n5\r\n");
  dir.write("\\data\\options2.pnd", "2\r\n2\r\n");
  DevMode = true;
  auto p = std::make_shared<CPlayer>();
  for (Long k = 0; k < 5; ++k) EXPECT_EQ(p->getCharKey(k), k + 1);
  EXPECT_EQ(p->getCharKey(5), DefaultKeys[5]);
  EXPECT_EQ(p->vRes, 1);
  EXPECT_FALSE(DevMode);
  EXPECT_EQ(p->getHasCheat(0), 2);
  EXPECT_EQ(p->getHasCheat(1), 2);
  EXPECT_EQ(p->getHasCheat(2), 0);
  EXPECT_TRUE(CheatGod && CheatAmmo && !CheatCash);
  // Told to the player, once however many records read the files.
  auto again = std::make_shared<CPlayer>();
  ASSERT_EQ(playerNoticeTexts().size(), 2u);
  EXPECT_EQ(playerNoticeTexts()[0],
            "[Y]options file \\data\\options.pnd damaged (Input past end of file):[y] defaults used from item 6.");
  EXPECT_EQ(playerNoticeTexts()[1],
            "[Y]cheat file \\data\\options2.pnd damaged (Input past end of file):[y] cheats from 2 on locked.");
  // A damaged file is reported, not rewritten.
  EXPECT_EQ(dir.read("\\data\\options2.pnd"), "2\r\n2\r\n");

  // A malformed item in line 33; vRes outside 0..3 is kept as read.
  dir.write("\\data\\options.pnd", optionsText("#FALSE#,#FALSE#,7,#TRUE#,oops,#TRUE#,#TRUE#,#TRUE#", "10,20"));
  clearLog();
  auto q = std::make_shared<CPlayer>();
  EXPECT_EQ(q->getCharKey(31), 131);
  EXPECT_FALSE(q->bMusic);
  EXPECT_EQ(q->vRes, 7);
  EXPECT_TRUE(q->vWideScreen);
  EXPECT_FALSE(q->vFullScreen);
  EXPECT_FALSE(ClassicView);
  EXPECT_EQ(q->musicVolume, 75);
  ASSERT_FALSE(playerNoticeTexts().empty());
  EXPECT_EQ(playerNoticeTexts()[0], "[Y]options file \\data\\options.pnd damaged (Type mismatch):[y] defaults used from item 37.");
}
