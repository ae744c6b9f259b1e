// The build's copy of content/ into the game folder (cmake/CopyContent.cmake), run as the build
// runs it: shipped files replace older ones, but what the game wrote while played (save slots,
// options, cheats, unlocks) stays where the game folder has it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/TempGameDir.h"

TEST(ContentCopy, AnUpdateReplacesTheShippedFilesAndKeepsWhatThePlayerSaved) {
  TempGameDir content, game;
  const char* const shipped[] = {"\\data\\options.pnd", "\\data\\options2.pnd", "\\data\\unlocks.pnd",
                                 "\\data\\save0\\save.pnd", "\\data\\save6\\save.pnd", "\\data\\talk.pnd",
                                 "\\maps\\tut.pnd"};
  for (const char* f : shipped) content.write(f, std::string("new ") + f);
  // Played before the update: slot 1 holds a game with its fleet, the options were changed.
  game.write("\\data\\save0\\save.pnd", "my game");
  game.write("\\data\\save0\\sub1.pnd", "my fleet ship");
  game.write("\\data\\options.pnd", "my keys");
  game.write("\\data\\talk.pnd", "old talk");
  game.write("\\maps\\tut.pnd", "old map");

  const std::string command = std::string("\"") + QV_CMAKE_COMMAND + "\" -DSRC=\"" + content.path() + "\" -DDST=\"" +
                              game.path() + "\" -P \"" + QV_SOURCE_DIR + "/cmake/CopyContent.cmake\"";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  EXPECT_EQ(game.read("\\data\\save0\\save.pnd"), "my game");
  EXPECT_EQ(game.read("\\data\\save0\\sub1.pnd"), "my fleet ship");
  EXPECT_EQ(game.read("\\data\\options.pnd"), "my keys");
  // What the player never wrote comes as shipped.
  EXPECT_EQ(game.read("\\data\\options2.pnd"), "new \\data\\options2.pnd");
  EXPECT_EQ(game.read("\\data\\unlocks.pnd"), "new \\data\\unlocks.pnd");
  EXPECT_EQ(game.read("\\data\\save6\\save.pnd"), "new \\data\\save6\\save.pnd");
  EXPECT_EQ(game.read("\\data\\talk.pnd"), "new \\data\\talk.pnd");
  EXPECT_EQ(game.read("\\maps\\tut.pnd"), "new \\maps\\tut.pnd");
}
