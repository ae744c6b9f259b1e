// What the editors share: the pointer step of a drag (no jump at its start), the orbit camera,
// the whole-degree factor, the check of typed file names, and the question every editor's Save
// asks before it replaces a file the editor did not load.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "editors/CMapEditor.h"
#include "editors/CShipEditor.h"
#include "editors/CStructEditor.h"
#include "editors/CWorldEditor.h"
#include "editors/EditorMod.h"
#include "engine/GameGlobals.h"
#include "platform/Window.h"
#include "engine/MessageLog.h"
#include "game/GameMod.h"
#include "tests/editors/EditorFixture.h"
#include "tests/support/DeviceFixture.h"

namespace {
using EditorModTest = DeviceFixture;

TEST_F(EditorModTest, ADragStartsWithoutAJump) {
  MouseHeld = false;
  ASSERT_TRUE(SetCursorPos(100, 100));
  PointerStep s = trackEditorPointer();
  EXPECT_EQ(s.dx, 0);
  // The mouse moves with no button held: the pointer follows, nothing turns.
  ASSERT_TRUE(SetCursorPos(300, 250));
  s = trackEditorPointer();
  EXPECT_EQ(s.dx, 0);
  EXPECT_EQ(s.dy, 0);
  EXPECT_EQ(PointerX, 300);
  // The drag turns by its own movement only, once.
  MouseHeld = true;
  ASSERT_TRUE(SetCursorPos(310, 245));
  s = trackEditorPointer();
  EXPECT_EQ(s.dx, 10);
  EXPECT_EQ(s.dy, -5);
  s = trackEditorPointer();
  EXPECT_EQ(s.dx, 0);
  EXPECT_EQ(s.dy, 0);
  MouseHeld = false;
}

TEST_F(EditorModTest, TheOrbitLooksAtTheOriginFromItsAngle) {
  makeDevice();
  setOrbitCamera(3.14159265f / 2, 20, 100);
  EXPECT_NEAR(CamEye.x, 0, 1e-3);
  EXPECT_NEAR(CamEye.y, 20, 1e-6);
  EXPECT_NEAR(CamEye.z, -100, 1e-3);
  EXPECT_EQ(CamTarget.x, 0);
  EXPECT_EQ(CamTarget.z, 0);
}

TEST_F(EditorModTest, NinetyDegreesRoundTripThroughOnePointFiftySeven) {
  EXPECT_FLOAT_EQ(degreesToRadians(90), 1.57f);
  EXPECT_EQ(roundHalfEven(radiansToDegrees(1.57f)), 90);
  for (int d = 0; d <= 360; ++d) EXPECT_EQ(roundHalfEven(radiansToDegrees(degreesToRadians(d))), d);
}

TEST_F(EditorModTest, NamesHoldingNoFolderArePassed) {
  for (const char* ok : {"Phantom", "my ship", "a.b"}) EXPECT_EQ(checkEditorName(ok), "") << ok;
  for (const char* bad : {"", "a/b", "a\\b", "..", "..x", "\\data\\options"})
    EXPECT_NE(checkEditorName(bad), "") << bad;
}
}  // namespace

namespace {
class EditorFramesTest : public EditorFixture {};

// Every editor, opened from the launcher, runs frames of the game's update and render passes
// without an error reaching the traps.
TEST_F(EditorFramesTest, EachEditorRunsFramesFromTheLauncher) {
  for (const char* button : {"cmdShipEditor", "cmdStructEditor", "cmdMapEditor", "cmdWorldEditor"}) {
    SCOPED_TRACE(button);
    openEditor(button);
    FrameTime = 0.02;
    MsgCount = 0;  // what the start-up's loader drew is not the frames' business
    for (int frame = 0; frame < 3; ++frame) {
      doGame();
      doRender();
    }
    for (const std::string& line : logLines()) EXPECT_EQ(line.find("Error in"), std::string::npos) << line;
  }
}
}  // namespace

namespace {
class EditorReplaceTest : public EditorFixture {};

// The author's paths that used to replace a file with data never loaded from it: each editor's
// first Save changes no byte of that file and names it in the status; the second press writes.
TEST_F(EditorReplaceTest, ASaveOverAFileTheEditorDidNotLoadWritesOnlyWhenPressedAgain) {
  const struct {
    const char* button;
    const char* file;
    std::function<Form*()> form;
    const char* save;
    std::function<void(Form&)> author;  // what the author does before pressing Save
  } cases[] = {
      {"cmdWorldEditor", "\\maps\\world.pnd", [] { return WorldEditor->form(); }, "cmdSave", [](Form&) {}},
      {"cmdMapEditor", "\\maps\\losgatos.pnd", [] { return MapEditor->form(); }, "Command2",
       [this](Form& f) { type(f, "txtName", "losgatos"); }},
      {"cmdShipEditor", "\\ships\\Phantom.pnd", [] { return ShipEditor->form(); }, "Command1",
       [this](Form& f) { type(f, "txtPrice", "5"); }},
      {"cmdStructEditor", "\\structures\\bank.pnd", [] { return StructEditor->form(); }, "Command1",
       [this](Form& f) {
         type(f, "txtName", "parts");
         click(f, "Command2");
         type(f, "txtName", "bank");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    openEditor(c.button);
    Form& f = *c.form();
    c.author(f);
    const std::string before = dir->read(c.file);
    ASSERT_FALSE(before.empty());
    click(f, c.save);
    EXPECT_EQ(dir->read(c.file), before);
    const std::string status = static_cast<Label*>(f.findControl("lblStatus"))->caption();
    EXPECT_NE(status.find(c.file), std::string::npos) << status;
    EXPECT_NE(status.find("press Save again"), std::string::npos) << status;
    click(f, c.save);
    EXPECT_NE(dir->read(c.file), before);
  }
}
}  // namespace
