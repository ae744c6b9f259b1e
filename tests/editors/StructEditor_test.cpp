// The structure editor through its window's own controls: it opens on the "parts" definition with
// the window filled, saves a loaded file unchanged (fractional per-axis scales included), a light's
// type and position reach the game's own reader, selecting a light never rewrites what its bars
// cannot show, too many lights load clamped, and refused names and numbers leave the file alone.
#include <gtest/gtest.h>

#include "editors/CStructEditor.h"
#include "editors/frmStructEdit.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "levels/CStructDef.h"
#include "tests/editors/EditorFixture.h"

namespace {
const char* const PartsFile = "\\structures\\parts.pnd";

class StructEditorTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    openEditor("cmdStructEditor");
    ASSERT_EQ(GameMode, pmStructEditor);
    ASSERT_TRUE(StructEditor && StructEditor->form());
    f = StructEditor->form();
  }
  void load(const std::string& name) {
    type(*f, "txtName", name);
    click(*f, "Command2");
  }
  static CStructDef readBack(const std::string& name) {
    CStructDef d;
    d.sName = name;
    d.Load();
    return d;
  }
  // A copy of "parts" under another name, changed by edit.
  template <class Edit>
  void writeVariant(const std::string& name, Edit edit) {
    CStructDef d = readBack("parts");
    d.sName = name;
    edit(d);
    d.Save();
  }
  FrmStructEdit* f = nullptr;
};

TEST_F(StructEditorTest, OpensWithTheWindowFilledAndSavesPartsUnchanged) {
  EXPECT_EQ(f->caption(), "Struct Editor");
  const CStructDef parts = readBack("parts");
  EXPECT_EQ(f->txtTitle.text(), parts.Title);
  EXPECT_EQ(f->txtModel.text(), parts.ModelName);
  EXPECT_EQ(f->LightCount, parts.totalLights);
  EXPECT_TRUE(f->optLight(parts.totalLights).value());
  const std::string before = dir->read(PartsFile);
  click(*f, "Command1");  // a save straight after opening keeps every value
  EXPECT_EQ(dir->read(PartsFile), before);
  load("parts");
  click(*f, "Command1");
  EXPECT_EQ(dir->read(PartsFile), before);
}

TEST_F(StructEditorTest, ALightsTypeAndPositionReachTheGamesReader) {
  const D3DVECTOR old = readBack("parts").getLightPos(1);
  click(*f, "optLight(1)");
  choose(*f, "Combo1", 2);
  choose(*f, "HScroll2", 500);
  EXPECT_EQ(f->lblY.caption(), "Y: 500");
  type(*f, "txtScale", "3");
  click(*f, "Command1");
  const CStructDef d = readBack("parts");
  EXPECT_EQ(d.getLightType(1), 2);
  EXPECT_EQ(d.getLightPos(1).y, 500);
  EXPECT_EQ(d.getLightPos(1).x, old.x);
  EXPECT_EQ(d.getLightPos(1).z, old.z);
  EXPECT_EQ(d.getScale().x, 3);
  EXPECT_EQ(d.getScale().z, 3);
}

TEST_F(StructEditorTest, FractionsAndOutOfRangeValuesSurviveSelectionAndSave) {
  writeVariant("odd", [](CStructDef& d) {
    D3DVECTOR s;
    s.x = 1.5f;
    s.y = 2.25f;
    s.z = 1.5f;
    d.setScale(s);
    d.setLightPos(0, 1500.4f, -7.6f, 0.5f);  // x beyond the bar's -1100..1100
    d.setLightType(0, 9);                      // no entry of the list
  });
  const std::string before = dir->read("\\structures\\odd.pnd");
  load("odd");
  EXPECT_EQ(f->txtScale.text(), "1.5,2.25,1.5");
  click(*f, "optLight(0)");
  EXPECT_EQ(f->HScroll1.value(), 1100);
  EXPECT_EQ(f->Combo1.listIndex(), -1);
  click(*f, "optLight(1)");
  click(*f, "optLight(0)");
  EXPECT_FLOAT_EQ(StructEditor->editDef().getLightPos(0).x, 1500.4f);
  click(*f, "Command1");
  EXPECT_EQ(dir->read("\\structures\\odd.pnd"), before);
}

TEST_F(StructEditorTest, TheLightsBarEnablesItsButtonsAndTooManyLightsLoadClamped) {
  choose(*f, "lights", 0);
  EXPECT_TRUE(f->optLight(0).enabled());
  EXPECT_FALSE(f->optLight(1).enabled());
  click(*f, "Command1");
  EXPECT_EQ(readBack("parts").totalLights, 0);

  writeVariant("many", [](CStructDef& d) { d.totalLights = 20; });
  load("many");
  EXPECT_EQ(f->LightCount, 15);
  EXPECT_TRUE(f->optLight(15).value());
  EXPECT_NE(f->lblStatus.caption().find("Lights 21"), std::string::npos);
}

TEST_F(StructEditorTest, RefusedNamesAndNumbersLeaveTheFileUntouched) {
  const std::string before = dir->read(PartsFile);
  const struct {
    const char* box;
    const char* text;
  } refused[] = {{"txtName", ""},      {"txtName", "..\\parts"}, {"txtName", "a/b"},     {"txtVOff", "40000"},
                 {"txtVOff", "abc"},   {"txtVOff", ""},          {"txtVOff", "12abc"},   {"txtScale", "1e39"},
                 {"txtScale", "1,2"},  {"txtScale", "abc"},      {"txtScale", ""},       {"txtScale", "2,x,2"}};
  for (const auto& r : refused) {
    SCOPED_TRACE(r.text);
    const std::string kept = static_cast<TextBox*>(f->findControl(r.box))->text();
    type(*f, r.box, r.text);
    click(*f, "Command1");
    EXPECT_NE(f->lblStatus.caption().find("Not saved"), std::string::npos);
    EXPECT_EQ(dir->read(PartsFile), before);
    type(*f, r.box, kept);
  }
  // A bad offset or scale keeps the light's move but none of the window's other values.
  const std::string scale = f->txtScale.text();
  type(*f, "txtScale", "big");
  choose(*f, "HScroll1", 200);
  EXPECT_EQ(StructEditor->getScale().x, readBack("parts").getScale().x);
  EXPECT_NE(f->lblStatus.caption().find("Scale: \"big\""), std::string::npos) << f->lblStatus.caption();
  type(*f, "txtScale", scale);
  type(*f, "txtVOff", "99999");
  type(*f, "txtTitle", "Other");
  choose(*f, "HScroll1", 300);
  EXPECT_EQ(StructEditor->editDef().getLightPos(f->CurLight).x, 300);
  EXPECT_NE(StructEditor->getTitle(), "Other");

  load("nothing");
  EXPECT_NE(f->lblStatus.caption().find("Load failed"), std::string::npos);
  EXPECT_EQ(StructEditor->getName(), "parts");
}
}  // namespace
