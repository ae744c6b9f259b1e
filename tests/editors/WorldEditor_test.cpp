// The world editor through its window and the world map's own picking: the world file loads and
// saves unchanged, a picked node's title, level, era flags, lists and a new link reach the game's
// own world reader, lists out of range show no choice and keep the node's value, a title "eof", a
// path naming a folder or a number beyond range leaves the file untouched, and an icon or level
// that is not a number is named.
#include <gtest/gtest.h>

#include "campaign/CWorld.h"
#include "editors/CWorldEditor.h"
#include "editors/frmWorldEdit.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "tests/editors/EditorFixture.h"

namespace {
const char* const WorldFile = "\\maps\\world.pnd";

class WorldEditorTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    openEditor("cmdWorldEditor");
    ASSERT_EQ(GameMode, pmWorldEditor);
    ASSERT_TRUE(WorldEditor && WorldEditor->form());
    f = WorldEditor->form();
  }
  // A press and release of the pointer over node n of the map, one frame each.
  void pick(Integer n) {
    CWorld& w = *WorldEditor->world();
    PointerX = w.getNodeX(n) - w.ScrollX;
    PointerY = w.getNodeY(n) - w.ScrollY;
    MouseHeld = true;
    WorldEditor->Render();
    MouseHeld = false;
    WorldEditor->Render();
  }
  static std::unique_ptr<CWorld> readBack() {
    auto w = std::make_unique<CWorld>();
    w->Load();
    return w;
  }
  FrmWorldEdit* f = nullptr;
};

TEST_F(WorldEditorTest, ALoadedWorldSavesUnchangedAndUpdateWithoutANodeChangesNothing) {
  EXPECT_EQ(f->caption(), "World Editor");
  EXPECT_EQ(f->txtWorld.text(), "world");
  const std::string before = dir->read(WorldFile);
  click(*f, "cmdLoad");
  ASSERT_GE(WorldEditor->world()->getTotalNodes(), 1);
  type(*f, "txtTitle", "Nobody");
  click(*f, "cmdUpdate");
  click(*f, "cmdSave");
  EXPECT_EQ(dir->read(WorldFile), before);
}

TEST_F(WorldEditorTest, APickedNodesEditsAndANewLinkReachTheGamesReader) {
  click(*f, "cmdLoad");
  choose(*f, "VScroll", 500);
  pick(1);
  ASSERT_EQ(WorldEditor->world()->Selected, 1);
  const std::string title = WorldEditor->world()->getNodeTitle(1);
  EXPECT_EQ(f->txtTitle.text(), title);  // the window shows the picked node
  type(*f, "txtTitle", "Yard");
  type(*f, "txtLevel", "2.5");
  choose(*f, "cmbAlign", 3);
  choose(*f, "cmbType", 9);
  const bool era3 = f->chkEraGray(3).value() == 1, era4 = f->chkEraGray(4).value() == 1;
  EXPECT_EQ(era4, WorldEditor->world()->getEraGray(1, 4));
  click(*f, "chkEraGray(4)");  // toggles the era
  click(*f, "cmdUpdate");
  pick(0);
  const Integer links = WorldEditor->world()->getNodeLinkCount(0);
  click(*f, "cmdClearLinks");
  click(*f, "cmdAddLink");
  pick(1);  // in link mode the picked node becomes a link of the selected one
  click(*f, "cmdSave");

  auto w = readBack();
  EXPECT_EQ(w->getNodeTitle(1), "Yard");
  EXPECT_EQ(w->getNodeLevel(1), 2);
  EXPECT_EQ(w->getNodeAlign(1), 3);
  EXPECT_EQ(w->getNodeWorldType(1), 9);
  EXPECT_EQ(w->getEraGray(1, 4), !era4);
  EXPECT_EQ(w->getEraGray(1, 3), era3);
  ASSERT_EQ(w->getNodeLinkCount(0), 1);
  EXPECT_EQ(w->getNodeLink(0, 0), 1);
  EXPECT_GT(links, 0);
}

TEST_F(WorldEditorTest, ADragMovesTheNodeByThePointersMovementOnly) {
  click(*f, "cmdLoad");
  choose(*f, "VScroll", 500);
  CWorld& w = *WorldEditor->world();
  const Single x = w.getNodeX(0), y = w.getNodeY(0);
  PointerX = x - w.ScrollX + 10;  // grabbed off its centre: the node does not jump to the pointer
  PointerY = y - w.ScrollY - 5;
  MouseHeld = true;
  WorldEditor->Render();
  EXPECT_EQ(w.getNodeX(0), x);
  PointerX += 40;
  PointerY += 20;
  WorldEditor->Render();
  MouseHeld = false;
  WorldEditor->Render();
  EXPECT_EQ(w.getNodeX(0), x + 40);
  EXPECT_EQ(w.getNodeY(0), y + 20);
  EXPECT_EQ(f->txtTitle.text(), w.getNodeTitle(0));
}

TEST_F(WorldEditorTest, NewNodesSitAtTheViewsCentreAndLevelsRoundHalfToEven) {
  click(*f, "cmdNewNode");
  choose(*f, "HScroll", 736);
  choose(*f, "VScroll", 936);
  click(*f, "cmdNewNode");
  CWorld& w = *WorldEditor->world();
  ASSERT_EQ(w.getTotalNodes(), 1);
  EXPECT_EQ(w.getNodeX(0), 400);
  EXPECT_EQ(w.getNodeY(0), 300);
  EXPECT_EQ(w.getNodeX(1), 1136);
  EXPECT_EQ(w.getNodeY(1), 1236);
  pick(1);
  EXPECT_EQ(f->txtTitle.text(), "New Node");
  type(*f, "txtLevel", "3.5");
  click(*f, "cmdUpdate");
  EXPECT_EQ(w.getNodeLevel(1), 4);
}

TEST_F(WorldEditorTest, ListValuesOutOfRangeShowNoChoiceAndAreKept) {
  {
    CWorld odd;
    odd.Load();
    odd.setNode(0, odd.getNodeTitle(0), odd.getNodePath(0), odd.getNodeDesc(0), 0, 9, 1, 40);
    odd.Save();
  }
  click(*f, "cmdLoad");
  choose(*f, "VScroll", 500);
  pick(0);
  EXPECT_EQ(f->cmbAlign.listIndex(), -1);
  EXPECT_EQ(f->cmbType.listIndex(), -1);
  type(*f, "txtDesc", "Changed");
  click(*f, "cmdSave");
  auto w = readBack();
  EXPECT_EQ(w->getNodeDesc(0), "Changed");
  EXPECT_EQ(w->getNodeAlign(0), 9);
  EXPECT_EQ(w->getNodeWorldType(0), 40);
}

TEST_F(WorldEditorTest, AnEofTitleAPathWithAFolderOrAnOutOfRangeNumberLeavesTheFileUntouched) {
  click(*f, "cmdLoad");
  const std::string before = dir->read(WorldFile);
  choose(*f, "VScroll", 500);
  pick(0);
  const struct {
    const char* box;
    const char* text;
  } refused[] = {{"txtTitle", "eof"},  {"txtLevel", "40000"},          {"txtIcon", "-1e6"},
                 {"txtPath", "necropolis../evil"}, {"txtPath", "..\\maps\\x"}, {"txtPath", "a/b"},
                 {"txtPath", ""}};
  for (const auto& r : refused) {
    SCOPED_TRACE(r.text);
    const std::string kept = static_cast<TextBox*>(f->findControl(r.box))->text();
    type(*f, r.box, r.text);
    click(*f, "cmdSave");
    EXPECT_FALSE(f->lblStatus.caption().empty());
    EXPECT_EQ(dir->read(WorldFile), before);
    type(*f, r.box, kept);
  }
  EXPECT_NE(WorldEditor->world()->getNodeTitle(0), "eof");
}

TEST_F(WorldEditorTest, AnIconOrLevelThatIsNotANumberIsNamed) {
  click(*f, "cmdLoad");
  choose(*f, "VScroll", 500);
  pick(0);
  type(*f, "txtIcon", "abc");
  type(*f, "txtLevel", "3x");
  click(*f, "cmdUpdate");
  EXPECT_NE(f->lblStatus.caption().find("Icon: \"abc\" as 0"), std::string::npos) << f->lblStatus.caption();
  type(*f, "txtLevel", "3");
  click(*f, "cmdSave");
  const std::string status = f->lblStatus.caption();
  EXPECT_EQ(status.rfind("Saved the world.", 0), 0u) << status;
  EXPECT_NE(status.find("Icon: \"abc\" as 0"), std::string::npos) << status;
  EXPECT_EQ(status.find("Level"), std::string::npos) << status;
  auto w = readBack();
  EXPECT_EQ(w->getNodeIcon(0), 0);
  EXPECT_EQ(w->getNodeLevel(0), 3);
}

TEST_F(WorldEditorTest, AFailedLoadIsToldAndKeepsTheNodes) {
  click(*f, "cmdLoad");
  const Integer nodes = WorldEditor->world()->getTotalNodes();
  dir->write(WorldFile, "\"World!\"\r\n\"Cut\"\r\n");
  click(*f, "cmdLoad");
  EXPECT_NE(f->lblStatus.caption().find("Load failed"), std::string::npos);
  EXPECT_EQ(WorldEditor->world()->getTotalNodes(), nodes);
}
}  // namespace
