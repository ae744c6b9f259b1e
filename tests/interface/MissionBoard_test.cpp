// The mission-control screen and its acceptance dialog on the recording device: the board shows
// the offered missions by row with name and description, a picked row opens the dialog naming
// the mission, "cancel" goes back to the same board and "ok" starts the mission.
#include <gtest/gtest.h>

#include "campaign/CMissionControl.h"
#include "campaign/CWorld.h"
#include "tests/interface/StoreFixture.h"

namespace {

class MissionBoard : public StoreFixture {
 protected:
  void SetUp() override {
    StoreFixture::SetUp();
    dir->write("\\missions\\era0\\alpha.pnd", "#def name Alpha Run\n#def desc Fly fast\n#phase 0\nwait 9\n");
    dir->write("\\missions\\era0\\beta.pnd", "#def name Beta Job\n#def desc Fly slow\n#def level 0\n#phase 0\ndir Go\n");
    World = std::make_shared<CWorld>();
    World->AddNode("Home", "home", 0, 0, "", 0, 0, 0);
    World->CurrentNode = 0;
    MissionControl = std::make_shared<CMissionControl>();
    MissionControl->GetMissionDefs();
    MissionControl->SetNodeMissions();
  }
  void TearDown() override {
    MissionControl.reset();
    StoreFixture::TearDown();
  }
};

}  // namespace

TEST_F(MissionBoard, RowsShowTheOfferedMissionsAndAPickIsAcceptedOrCancelled) {
  gi->Window = msMissionControl;
  frame([&] { probe().missions(); });
  ASSERT_TRUE(MissionControl->IsNodeMission(1));
  const std::string second = MissionControl->getMissionName(1);
  auto name = findText(second == "Alpha Run" ? "alpharun" : "betajob");
  auto first = findText(second == "Alpha Run" ? "betajob" : "alpharun");
  ASSERT_TRUE(name && first) << allTexts();
  EXPECT_EQ(name->colour, 0xFFFFFF00u);  // yellow
  EXPECT_FLOAT_EQ(name->y - first->y, 85);  // one row further down
  EXPECT_TRUE(hasText("flyfast") && hasText("flyslow")) << allTexts();
  EXPECT_FALSE(MissionControl->IsNodeMission(2));

  // The second row opens the dialog in the same frame.
  clickAt(400, Y0 + 42 + 85 + 40, [&] { probe().missions(); });
  EXPECT_EQ(probe().chosenMission(), 1);
  EXPECT_EQ(gi->Window, msConfirmMission);
  frame([&] { probe().confirmMission(); });
  const std::string question = std::string("acceptmission") + (second == "Alpha Run" ? "alpharun" : "betajob") + "?";
  EXPECT_TRUE(hasText(question)) << allTexts();
  clickAt(340, 325, [&] { probe().confirmMission(); });  // cancel
  EXPECT_EQ(gi->Window, msMissionControl);
  EXPECT_FALSE(MissionControl->Reading);
  frame([&] { probe().missions(); });
  EXPECT_EQ(MissionControl->getMissionName(1), second);  // the same board

  gi->Window = msConfirmMission;
  clickAt(460, 325, [&] { probe().confirmMission(); });  // ok
  EXPECT_EQ(gi->Window, msNone);
  EXPECT_TRUE(MissionControl->Reading);
  EXPECT_EQ(MissionControl->curMission, 1);
  EXPECT_EQ(MissionControl->getLoadedName(), second == "Alpha Run" ? "alpha.pnd" : "beta.pnd");
  EXPECT_EQ(ship().LandingFrame, 1001);
}

TEST_F(MissionBoard, TheRunningMissionFeedsTheDirectiveTimeAndResultBanners) {
  dir->write("\\missions\\era0\\gamma.pnd", "#phase 0\ndir Hold on\ntimelim 65.3\nwait 2\npass\n");
  MissionControl->LoadMission("gamma.pnd", 0, "");
  MissionControl->StartMission();
  FrameTime = 1.0;
  MissionControl->doRead();  // the first second
  FrameTime = 0.25;
  MissionControl->doRead();  // dir, timelim, wait 2
  for (int i = 0; i < 3; ++i) MissionControl->doRead();  // 0.75 s on: the banner is open
  frame([&] { probe().missionBanners(); });
  EXPECT_TRUE(hasText("holdon")) << allTexts();
  EXPECT_TRUE(hasText("1:04.55")) << allTexts();
  EXPECT_FALSE(hasText("missioncomplete!"));
  for (int i = 0; i < 20 && MissionControl->Reading; ++i) MissionControl->doRead();  // to the pass
  EXPECT_FALSE(MissionControl->Reading);
  frame([&] { probe().missionBanners(); });
  EXPECT_TRUE(hasText("missioncomplete!")) << allTexts();
  EXPECT_FLOAT_EQ(MissionControl->MissionCompleteFrame, 3.75f);
}

TEST_F(MissionBoard, AMissionPopupOverTheBoardLeavesItsRowsClickable) {
  // At 640 x 480 an open talk box (x 120..520, y 0..160) covers the top of the first row (y 102
  // and down): the click on that part reaches the row, as the frames of a pass draw them.
  ScreenWidth = 640;
  ScreenHeight = 480;
  gi->Window = msMissionControl;
  gi->MakeTalkBox("nobody", "the job is yours if you want it", false, true);
  FrameTime = 0.6;  // fully open
  frame([&] { probe().missionBanners(); });
  FrameTime = 0.02;
  ASSERT_TRUE(gi->getTalkBox());
  clickAt(320, 130, [&] {
    probe().missionBanners();
    probe().missions();
  });
  EXPECT_EQ(probe().chosenMission(), 0);
  EXPECT_EQ(gi->Window, msConfirmMission);
}

TEST_F(MissionBoard, TheTimeUnderAnOpenDirectiveKeepsTheTimeLimitsColour) {
  // 0.75 s after a new directive its banner is open in grey; the time under it is white, or red
  // in the blink of its last ten seconds.
  struct Case {
    const char* limit;
    const char* shown;
    D3DCOLOR colour;
  } cases[] = {{"65.3", "1:04.55", 0xFFFFFFFFu}, {"9.625", "0:08.87", 0xFFFFFFFFu}, {"9.875", "0:09.12", 0xFFFF0000u}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit);
    dir->write("\\missions\\era0\\timed.pnd", std::string("#phase 0\ndir Hold on\ntimelim ") + c.limit + "\nwait 2\n");
    MissionControl = std::make_shared<CMissionControl>();
    MissionControl->LoadMission("timed.pnd", 0, "");
    MissionControl->StartMission();
    FrameTime = 1.0;
    MissionControl->doRead();
    FrameTime = 0.25;
    for (int i = 0; i < 4; ++i) MissionControl->doRead();
    frame([&] { probe().missionBanners(); });
    auto banner = findText("holdon");
    auto time = findText(c.shown);
    ASSERT_TRUE(banner && time) << allTexts();
    EXPECT_NE(banner->colour, 0xFFFFFFFFu);  // pulsing grey
    EXPECT_EQ(time->colour, c.colour);
  }
}
