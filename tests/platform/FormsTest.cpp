// Forms without a window: programmatic changes and their events, scroll-bar ranges, option
// groups, combo boxes, loading on first show, and users' actions (scripted) delivered by doEvents.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/Forms.h"
#include "platform/Window.h"
#include "runtime/VbError.h"

namespace {
// A small editor-like form; every handler appends to log.
class TestForm : public Form {
 public:
  TestForm() : Form("Test Editor") {
    cmdSave.onClick = [this] { log.push_back("cmdSave_Click"); };
    txtName.onChange = [this] { log.push_back("txtName_Change " + txtName.text()); };
    xScroll.onChange = [this] {
      log.push_back("xScroll_Change " + std::to_string(xScroll.value()));
      xLabel.setCaption("X: " + std::to_string(xScroll.value()));
    };
    optSeats.onClick = [this](Integer i) { log.push_back("optSeats_Click " + std::to_string(i)); };
    optJet.onClick = [this](Integer i) { log.push_back("optJet_Click " + std::to_string(i)); };
    chkGray.onClick = [this](Integer i) { log.push_back("chkGray_Click " + std::to_string(i)); };
    cmbFog.onClick = [this] { log.push_back("cmbFog_Click " + std::to_string(cmbFog.listIndex())); };
    cmbFog.onChange = [this] { log.push_back("cmbFog_Change " + std::to_string(cmbFog.listIndex())); };
    cmbType.onClick = [this] { log.push_back("cmbType_Click " + std::to_string(cmbType.listIndex())); };
  }
  std::vector<std::string> log;
  CommandButton cmdSave{*this, "cmdSave", "Save"};
  TextBox txtName{*this, "txtName", "Name:"};
  Frame fraPos{*this, "fraPos", "Edit Pos"};
  ScrollBar xScroll{*this, "xScroll", "", -50, 50, 10, 0, &fraPos};
  Label xLabel{*this, "xLabel", "X: ", &fraPos};
  Frame fraSeats{*this, "fraSeats", "Seats"};
  ControlArray<OptionButton> optSeats{*this, "optSeats", numberedCaptions(4), &fraSeats};
  ControlArray<OptionButton> optJet{*this, "optJet", numberedCaptions(4)};
  ControlArray<CheckBox> chkGray{*this, "chkGray", {"Un", "Deux", "Trois"}};
  ComboBox cmbFog{*this, "cmbFog", "", ComboBox::Style::DropDownCombo, {"No Fog", "Light Fog", "Dense Fog"}, "Fog"};
  ComboBox cmbType{*this, "cmbType", "Type:", ComboBox::Style::DropDownList, {"Parts", "Landing"}};
};

std::vector<std::string> take(std::vector<std::string>& log) {
  auto out = log;
  log.clear();
  return out;
}
using Lines = std::vector<std::string>;
}  // namespace

TEST(Forms, ProgrammaticChangesRunTheHandlersAtOnceInOrder) {
  TestForm f;
  f.xScroll.setValue(20);
  f.txtName.setText("Phantom");
  f.optSeats(2).setValue(true);
  f.cmbFog.setListIndex(1);
  f.chkGray(0).setValue(1);
  f.cmbType.setListIndex(0);
  EXPECT_EQ(take(f.log), (Lines{"xScroll_Change 20", "txtName_Change Phantom", "optSeats_Click 2", "cmbFog_Click 1",
                                "chkGray_Click 0", "cmbType_Click 0"}));
  EXPECT_EQ(f.xLabel.caption(), "X: 20") << "a handler rewrites its label";

  // Unchanged values raise nothing for bars, texts and check boxes; option presses and list
  // indexes always raise their Click.
  f.xScroll.setValue(20);
  f.txtName.setText("Phantom");
  f.chkGray(0).setValue(-1);  // any non-zero value checks the box
  EXPECT_TRUE(take(f.log).empty());
  EXPECT_EQ(f.chkGray(0).value(), 1);
  f.optSeats(2).setValue(true);
  f.cmbFog.setListIndex(1);
  EXPECT_EQ(take(f.log), (Lines{"optSeats_Click 2", "cmbFog_Click 1"}));
}

TEST(Forms, ScrollBarKeepsWholeValuesWithinItsRange) {
  struct Case {
    Integer min, max;
    double set;
    Integer expected;
  } cases[] = {
      {-50, 50, 70, 50},     {-50, 50, -80.6, -50}, {-50, 50, 2.5, 2},      {-50, 50, 3.5, 4},
      {-50, 50, -2.5, -2},   {0, 360, 90.4, 90},    {10, -10, 20, 10},      {10, -10, -20, -10},
      {-110, 90, 1e9, 90},   {-110, 90, -1e9, -110},
  };
  for (const auto& c : cases) {
    TestForm f;
    f.xScroll.setMin(c.min);
    f.xScroll.setMax(c.max);
    f.xScroll.setValue(c.set);
    EXPECT_EQ(f.xScroll.value(), c.expected) << c.min << ".." << c.max << " set " << c.set;
  }

  TestForm f;
  f.xScroll.setValue(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(f.xScroll.value(), 0) << "NaN changes nothing";
  f.xScroll.setValue(40);
  take(f.log);
  f.xScroll.setMax(25);  // the value follows the end that passed it, with its event
  EXPECT_EQ(f.xScroll.value(), 25);
  f.xScroll.setMin(-300);
  f.xScroll.setMax(300);  // a wider range moves nothing
  EXPECT_EQ(take(f.log), (Lines{"xScroll_Change 25"}));
}

TEST(Forms, OptionButtonsOfAnArrayFormOneGroup) {
  TestForm f;
  f.optSeats(1).setValue(true);
  f.optJet(3).setValue(true);
  f.optSeats(3).setValue(true);
  EXPECT_FALSE(f.optSeats(1).value()) << "pressing releases the others of its array";
  EXPECT_TRUE(f.optSeats(3).value());
  EXPECT_TRUE(f.optJet(3).value()) << "another array is another group";
  f.optSeats(3).setValue(false);
  EXPECT_FALSE(f.optSeats(3).value());
  EXPECT_EQ(take(f.log), (Lines{"optSeats_Click 1", "optJet_Click 3", "optSeats_Click 3"})) << "releasing is silent";

  EXPECT_EQ(f.optSeats.count(), 4);
  EXPECT_EQ(f.findControl("optSeats(2)"), &f.optSeats(2));
  EXPECT_EQ(f.optSeats(2).caption(), "3");
  try {
    f.optSeats(4);
    FAIL() << "index past the array";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), vberr::Subscript);
  }
}

TEST(Forms, ComboBoxListIndexAndEditableText) {
  TestForm f;
  EXPECT_EQ(f.cmbFog.text(), "Fog") << "the placeholder before a choice";
  EXPECT_EQ(f.cmbFog.listIndex(), -1);
  f.cmbFog.setListIndex(2);
  EXPECT_EQ(f.cmbFog.text(), "Dense Fog");
  f.cmbFog.setText("light fog");  // typed: matches an entry ignoring case
  f.cmbFog.setText("thick");      // matches none
  EXPECT_EQ(take(f.log), (Lines{"cmbFog_Click 2", "cmbFog_Change 1", "cmbFog_Change -1"}));
  f.cmbFog.setListIndex(-1);
  EXPECT_EQ(f.cmbFog.text(), "");

  struct Bad {
    const char* what;
    std::function<void()> call;
    int number;
  } bad[] = {
      {"index past the list", [&] { f.cmbFog.setListIndex(3); }, 380},
      {"index below -1", [&] { f.cmbType.setListIndex(-2); }, 380},
      {"list text of no entry", [&] { f.cmbType.setText("Gas"); }, 383},
      {"entry past the list", [&] { f.cmbType.list(2); }, 381},
  };
  for (const auto& b : bad) {
    try {
      b.call();
      ADD_FAILURE() << b.what;
    } catch (const VbError& e) {
      EXPECT_EQ(e.number(), b.number) << b.what;
    }
  }
  f.cmbType.setText("LANDING");
  EXPECT_EQ(f.cmbType.listIndex(), 1);
  EXPECT_EQ(f.cmbType.text(), "Landing");
}

TEST(Forms, ShowingLoadsOnceAndTheLoadHandlerRunsFirst) {
  TestForm f;
  int loads = 0;
  f.onLoad = [&] {
    ++loads;
    EXPECT_FALSE(f.visible()) << "loaded before it is shown";
    f.optSeats(0).setValue(true);  // presets run their handlers during the load
  };
  EXPECT_FALSE(f.loaded());
  f.show();
  EXPECT_TRUE(f.loaded());
  EXPECT_TRUE(f.visible());
  EXPECT_EQ(take(f.log), (Lines{"optSeats_Click 0"}));
  f.hide();
  f.show();
  EXPECT_EQ(loads, 1);
  EXPECT_FALSE(f.hasToolWindow()) << "no game window is real: the form runs headless";
}

TEST(Forms, UsersActionsWaitForTheYieldAndMakeTheSameCalls) {
  TestForm f;
  f.show();
  EXPECT_TRUE(f.clickForTests("cmdSave"));
  EXPECT_TRUE(f.typeForTests("txtName", "Raptor"));
  EXPECT_TRUE(f.chooseForTests("xScroll", 80));  // beyond the bar: clamped like a programmatic set
  EXPECT_TRUE(f.clickForTests("optSeats(1)"));
  EXPECT_TRUE(f.clickForTests("chkGray(2)"));
  EXPECT_TRUE(f.chooseForTests("cmbType", 1));
  EXPECT_TRUE(f.typeForTests("cmbFog", "Dense fog"));
  EXPECT_TRUE(f.log.empty()) << "nothing runs before the yield";
  doEvents();
  EXPECT_EQ(take(f.log), (Lines{"cmdSave_Click", "txtName_Change Raptor", "xScroll_Change 50", "optSeats_Click 1",
                                "chkGray_Click 2", "cmbType_Click 1", "cmbFog_Change 2"}));
  EXPECT_EQ(f.chkGray(2).value(), 1);

  // Controls that take no such input, or none at all.
  EXPECT_FALSE(f.clickForTests("nothing"));
  EXPECT_FALSE(f.clickForTests("txtName"));
  EXPECT_FALSE(f.typeForTests("cmbType", "Parts")) << "a drop-down list has no text part";
  EXPECT_FALSE(f.chooseForTests("cmbType", 2));
  f.txtName.locked = true;
  EXPECT_FALSE(f.typeForTests("txtName", "x"));
  f.cmdSave.setEnabled(false);
  EXPECT_FALSE(f.clickForTests("cmdSave"));
  f.fraSeats.setEnabled(false);
  EXPECT_FALSE(f.clickForTests("optSeats(2)")) << "a disabled frame disables what it holds";
  f.optJet(0).setVisible(false);
  EXPECT_FALSE(f.clickForTests("optJet(0)"));

  // An action queued while enabled is dropped when the control is disabled before the yield, and
  // all actions are dropped while the form is hidden.
  EXPECT_TRUE(f.clickForTests("optJet(1)"));
  f.optJet(1).setEnabled(false);
  EXPECT_TRUE(f.clickForTests("chkGray(0)"));
  f.hide();
  EXPECT_FALSE(f.clickForTests("chkGray(1)"));
  doEvents();
  EXPECT_TRUE(f.log.empty());
}

TEST(Forms, AHandlersErrorLeavesTheLaterActionsQueued) {
  TestForm f;
  f.cmdSave.onClick = [] { throw VbError(vberr::FileNotFound); };
  f.show();
  f.clickForTests("cmdSave");
  f.clickForTests("optSeats(3)");
  EXPECT_THROW(doEvents(), VbError);
  EXPECT_TRUE(f.log.empty());
  doEvents();
  EXPECT_EQ(take(f.log), (Lines{"optSeats_Click 3"}));
}

TEST(Forms, AFormThatGoesAwayTakesItsQueuedActionsWithIt) {
  size_t before = allForms().size();
  {
    TestForm gone;
    gone.show();
    gone.clickForTests("cmdSave");
  }
  TestForm other;
  other.show();
  other.clickForTests("cmdSave");
  doEvents();
  EXPECT_EQ(take(other.log), (Lines{"cmdSave_Click"}));
  EXPECT_EQ(allForms().size(), before + 1);
}

TEST(Forms, ActionsQueuedOrDroppedByHandlersAreHandledSafely) {
  TestForm f;
  auto other = std::make_unique<TestForm>();
  f.show();
  other->show();
  f.cmdSave.onClick = [&] {
    f.log.push_back("cmdSave_Click");
    f.clickForTests("optSeats(1)");  // waits for the next yield
    other.reset();                   // takes its queued click with it
  };
  f.clickForTests("cmdSave");
  other->clickForTests("cmdSave");
  doEvents();
  EXPECT_EQ(take(f.log), (Lines{"cmdSave_Click"}));
  EXPECT_EQ(other, nullptr);
  doEvents();
  EXPECT_EQ(take(f.log), (Lines{"optSeats_Click 1"}));
}
