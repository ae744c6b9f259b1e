// The start of the game removes what single-file writes cut off by a kill left behind
// ("<name>.tmp-" and 6 letters or digits) in data/, the save slots' folders and the editors'
// folders, before anything reads them, and nothing else: names that only look alike, folders and
// the save slots' own files stay as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/GameGlobals.h"
#include "game/frmMain.h"
#include "tests/support/GameRunFixture.h"

namespace {
class WriteLeftoversGameTest : public GameRunTest {};
}  // namespace

TEST_F(WriteLeftoversGameTest, TheStartRemovesExactlyWhatCutWritesLeft) {
  struct Entry {
    const char* gamePath;
    bool leftover;  // removed at the start
  } entries[] = {
      {"\\data\\options.pnd.tmp-Ab12Z9", true},
      {"\\data\\save2\\mother.pnd.tmp-x1y2z3", true},
      {"\\data\\save6\\save.pnd.tmp-000000", true},
      {"\\maps\\losgatos.pnd.tmp-QWERTY", true},
      {"\\ships\\Gremlin.pnd.tmp-abcdef", true},
      {"\\structures\\bank.pnd.tmp-9z9z9z", true},
      {"\\data\\a.tmp-12345", false},             // five characters: no temporary's name
      {"\\data\\b.pnd.tmp-1234567", false},       // seven
      {"\\data\\x.tmp-ABCDEF.pnd", false},        // the mark inside a name
      {"\\data\\c.pnd.tmp-AB_DEF", false},        // not only letters and digits
      {"\\data\\save2\\notes.txt", false},
      {"\\maps\\mine.pnd", false},
  };
  for (const Entry& e : entries) dir->write(e.gamePath, std::string("bytes of ") + e.gamePath);
  // A folder named like a temporary, with a file of its own: neither is a write's leftover.
  const std::string folderFile = "\\data\\save3\\held.pnd.tmp-ABCDEF\\keep.pnd";
  dir->write(folderFile, "kept");
  // A whole save slot, as a save writes it.
  const char* slotFiles[] = {"save.pnd", "mother.pnd", "sub1.pnd", "sub2.pnd", "sub3.pnd", "sub4.pnd"};
  for (const char* f : slotFiles) dir->write(std::string("\\data\\save2\\") + f, std::string("\"slot 3 ") + f + "\"\r\n");

  FakeGameClock clock;
  frmMain.afterFrameForTests = [](Long) { GameRunning = false; };
  frmMain.Form_Load();

  for (const Entry& e : entries) EXPECT_EQ(dir->exists(e.gamePath), !e.leftover) << e.gamePath;
  for (const Entry& e : entries) {
    if (!e.leftover) {
      EXPECT_EQ(dir->read(e.gamePath), std::string("bytes of ") + e.gamePath);
    }
  }
  EXPECT_EQ(dir->read(folderFile), "kept");
  for (const char* f : slotFiles)
    EXPECT_EQ(dir->read(std::string("\\data\\save2\\") + f), std::string("\"slot 3 ") + f + "\"\r\n") << f;
}
