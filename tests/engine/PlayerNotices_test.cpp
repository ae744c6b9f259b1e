// The player's notices: told in order and acknowledged one at a time, each logged once; a damaged
// file told once per path for a run (a path only logged earlier is still shown, not logged again);
// the reason taken from a reader's error without its path; text from a file quoted as text.
#include "engine/PlayerNotices.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/VbError.h"
#include "tests/support/EchoedLines.h"

namespace {
class PlayerNoticesTest : public ::testing::Test {
 protected:
  void SetUp() override { resetPlayerNotices(); }
  void TearDown() override { resetPlayerNotices(); }
};
}  // namespace

TEST_F(PlayerNoticesTest, NoticesComeInOrderAndDamagedFilesOncePerRun) {
  EchoedLines echo;
  const FileProblem bank{"\\structures\\bank.pnd", "Type mismatch"};
  const FileProblem map{"\\maps\\zomflats.pnd", "Input past end of file"};
  EXPECT_TRUE(tellDamagedFile(bank, "This structure is not placed on the maps"));
  EXPECT_FALSE(tellDamagedFile(bank, "again"));  // read again by a second map: nothing more
  logDamagedFile(map, "Zombie Flats cannot be entered");  // checked at start-up: the log only
  tellPlayer("new game not started", map.text());
  EXPECT_TRUE(tellDamagedFile(map, "Zombie Flats cannot be entered"));  // entered: now on screen

  const char* const shown[][2] = {
      {"\\structures\\bank.pnd", "Type mismatch. This structure is not placed on the maps"},
      {"new game not started", "\\maps\\zomflats.pnd: Input past end of file"},
      {"\\maps\\zomflats.pnd", "Input past end of file. Zombie Flats cannot be entered"},
  };
  for (const auto& n : shown) {
    ASSERT_TRUE(firstPlayerNotice());
    EXPECT_EQ(firstPlayerNotice()->title, n[0]);
    EXPECT_EQ(firstPlayerNotice()->text, n[1]);
    dismissPlayerNotice();
  }
  EXPECT_FALSE(firstPlayerNotice());
  dismissPlayerNotice();  // nothing to drop
  EXPECT_EQ(echo.count("bank.pnd"), 1);
  EXPECT_EQ(echo.count("\\maps\\zomflats.pnd: Input past end of file. Zombie Flats"), 1);
  EXPECT_EQ(echo.count("new game not started: \\maps\\zomflats.pnd"), 1);

  resetPlayerNotices();  // a new run tells the file again
  EXPECT_TRUE(tellDamagedFile(bank, ""));
  EXPECT_EQ(firstPlayerNotice()->text, "Type mismatch");
}

TEST_F(PlayerNoticesTest, TheReasonLeavesOutThePathAndFileTextIsQuotedAsText) {
  const VbError withPath(62, "Input past end of file (\\maps\\losgatos.pnd)");
  EXPECT_EQ(FileProblem::of(withPath, "\\maps\\losgatos.pnd").text(), "\\maps\\losgatos.pnd: Input past end of file");
  const VbError other(53, "File not found");
  EXPECT_EQ(FileProblem::of(other, "\\ships\\bus.pnd").reason, "File not found");
  EXPECT_EQ(FileProblem::of(VbError(13, "Type mismatch (\\x.pnd)"), "\\y.pnd").reason, "Type mismatch (\\x.pnd)");
  EXPECT_EQ(printableExcerpt(std::string("a\x01\xff\tb\0c", 7)), "a???b?c");
  EXPECT_EQ(printableExcerpt(std::string(30, 'x'), 24), std::string(24, 'x') + "...");
  EXPECT_EQ(printableExcerpt(""), "");
}
