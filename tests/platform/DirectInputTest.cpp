// Joysticks through the system's virtual joysticks: the list and device creation, the game's
// set-up sequence (format 3, dead zone 1000 and saturation 9500 on x and y, range 0..10000),
// axis mapping, points of view, buttons, and the errors of a device not acquired or unplugged.
// Also the multimedia command strings' alias table.
#include <gtest/gtest.h>

#include <string>

#include "platform/Direct3D.h"
#include "platform/DirectInput.h"
#include "platform/Mci.h"
#include "tests/support/TempGameDir.h"

namespace {
class Joystick : public ::testing::Test {
 protected:
  void SetUp() override {
    di_ = DirectX8().DirectInputCreate();
    before_ = di_->GetDIDevices(DI8DEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY)->GetCount();
    stick_ = attachVirtualJoystickForTests(3, 12, 2);
    if (stick_ < 0) GTEST_SKIP() << "the system offers no virtual joysticks";
  }
  void TearDown() override {
    device_.reset();
    if (stick_ >= 0) detachVirtualJoystickForTests(stick_);
  }
  // CJoystick.Init's sequence on the newest device of the list.
  void initLikeTheGame() {
    auto list = di_->GetDIDevices(DI8DEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY);
    ASSERT_EQ(list->GetCount(), before_ + 1);
    ASSERT_EQ(di_->CreateDevice(list->GetItem(list->GetCount())->GetGuidInstance(), device_), D3D_OK)
        << lastErrorDescription();
    ASSERT_EQ(device_->SetCommonDataFormat(DIFORMAT_JOYSTICK), D3D_OK);
    for (Long offset : {DIJOFS_X, DIJOFS_Y}) {
      ASSERT_EQ(device_->SetProperty("DIPROP_DEADZONE", DIPROPLONG{DIPH_BYOFFSET, offset, 1000}), D3D_OK);
    }
    for (Long offset : {DIJOFS_X, DIJOFS_Y}) {
      ASSERT_EQ(device_->SetProperty("DIPROP_SATURATION", DIPROPLONG{DIPH_BYOFFSET, offset, 9500}), D3D_OK);
    }
    ASSERT_EQ(device_->SetProperty("DIPROP_RANGE", DIPROPRANGE{DIPH_DEVICE, 0, 0, 10000}), D3D_OK);
    ASSERT_EQ(device_->Acquire(), D3D_OK);
  }
  DIJOYSTATE poll() {
    DIJOYSTATE s;
    EXPECT_EQ(device_->Poll(), D3D_OK);
    EXPECT_EQ(device_->GetDeviceStateJoystick(s), D3D_OK);
    return s;
  }
  std::shared_ptr<DirectInput8> di_;
  Long before_ = 0, stick_ = -1;
  std::shared_ptr<DirectInputDevice8> device_;
};
}  // namespace

TEST_F(Joystick, AxesMapOntoTheRangeWithDeadZoneAndSaturation) {
  initLikeTheGame();
  DIDEVCAPS caps;
  device_->GetCapabilities(caps);
  EXPECT_EQ(caps.lButtons, 12);
  EXPECT_EQ(caps.lAxes, 3);

  struct Case {
    Long raw, x;  // x and y (dead zone 10 %, saturation 95 %)
    Long z;       // z: no dead zone, linear
  } cases[] = {
      {0, 5000, 5000},       {3276, 5000, 5500},    {3277, 5000, 5500},   {-3000, 5000, 4542},
      {16384, 7353, 7500},   {-16384, 2647, 2500},  {20000, 8002, 8052},  {31129, 10000, 9750},
      {32767, 10000, 10000}, {-32768, 0, 0},
  };
  for (const auto& c : cases) {
    setVirtualJoystickAxisForTests(stick_, 0, c.raw);
    setVirtualJoystickAxisForTests(stick_, 1, c.raw);
    setVirtualJoystickAxisForTests(stick_, 2, c.raw);
    DIJOYSTATE s = poll();
    EXPECT_EQ(s.x, c.x) << c.raw;
    EXPECT_EQ(s.y, c.x) << c.raw;
    EXPECT_EQ(s.z, c.z) << c.raw;
    EXPECT_EQ(s.rx, 0) << "an axis the stick lacks reads 0";
    EXPECT_EQ(s.rz, 0);
    EXPECT_EQ(s.slider[0], 0);
  }
}

TEST_F(Joystick, PointsOfViewAndButtons) {
  initLikeTheGame();
  for (Long pov : {0L, 4500L, 9000L, 13500L, 18000L, 22500L, 27000L, 31500L, -1L}) {
    setVirtualJoystickHatForTests(stick_, 0, pov);
    DIJOYSTATE s = poll();
    EXPECT_EQ(s.POV[0], pov);
    EXPECT_EQ(s.POV[1], -1) << "a centred second hat";
    EXPECT_EQ(s.POV[2], -1) << "a hat the stick lacks";
  }
  setVirtualJoystickButtonForTests(stick_, 0, true);
  setVirtualJoystickButtonForTests(stick_, 11, true);
  DIJOYSTATE s = poll();
  EXPECT_EQ(s.buttons[0], 0x80);
  EXPECT_EQ(s.buttons[1], 0);
  EXPECT_EQ(s.buttons[11], 0x80);
  EXPECT_EQ(s.buttons[12], 0);
  setVirtualJoystickButtonForTests(stick_, 0, false);
  EXPECT_EQ(poll().buttons[0], 0);
}

TEST_F(Joystick, ErrorsOfTheDeviceAndItsProperties) {
  std::shared_ptr<DirectInputDevice8> none;
  EXPECT_EQ(di_->CreateDevice("{QV-JOY-999999}", none), DIERR_DEVICENOTREG);
  EXPECT_EQ(di_->CreateDevice("", none), DIERR_DEVICENOTREG);
  EXPECT_EQ(di_->GetDIDevices(1, DIEDFL_ATTACHEDONLY)->GetCount(), 0) << "no devices of other types";
  EXPECT_EQ(di_->GetDIDevices(DI8DEVTYPE_JOYSTICK, 1)->GetItem(0), nullptr) << "items count from 1";

  auto list = di_->GetDIDevices(DI8DEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY);
  ASSERT_EQ(di_->CreateDevice(list->GetItem(list->GetCount())->GetGuidInstance(), device_), D3D_OK);
  EXPECT_EQ(device_->Acquire(), DIERR_INVALIDPARAM) << "no data format yet";
  EXPECT_EQ(device_->SetCommonDataFormat(1), DIERR_INVALIDPARAM);
  struct Bad {
    const char* property;
    DIPROPLONG value;
  } bad[] = {
      {"DIPROP_DEADZONE", {DIPH_BYOFFSET, 2, 1000}},      // not an axis offset
      {"DIPROP_DEADZONE", {DIPH_BYOFFSET, 64, 1000}},
      {"DIPROP_SATURATION", {DIPH_BYOFFSET, 0, 10001}},
      {"DIPROP_DEADZONE", {DIPH_DEVICE, 0, -1}},
      {"DIPROP_BUFFERSIZE", {DIPH_DEVICE, 0, 16}},
  };
  for (const auto& b : bad) EXPECT_EQ(device_->SetProperty(b.property, b.value), DIERR_INVALIDPARAM) << b.property;
  EXPECT_EQ(device_->SetProperty("DIPROP_RANGE", DIPROPRANGE{DIPH_DEVICE, 0, 10, 10}), DIERR_INVALIDPARAM);

  device_->SetCommonDataFormat(DIFORMAT_JOYSTICK);
  DIJOYSTATE s;
  EXPECT_EQ(device_->Poll(), DIERR_NOTACQUIRED);
  EXPECT_EQ(device_->GetDeviceStateJoystick(s), DIERR_NOTACQUIRED);
  ASSERT_EQ(device_->Acquire(), D3D_OK);
  setVirtualJoystickAxisForTests(stick_, 0, 32767);
  EXPECT_EQ(device_->Poll(), D3D_OK);
  ASSERT_EQ(device_->GetDeviceStateJoystick(s), D3D_OK);
  EXPECT_EQ(s.x, 65535) << "the default range";

  detachVirtualJoystickForTests(stick_);
  stick_ = -1;
  EXPECT_EQ(device_->Poll(), DIERR_INPUTLOST);
  EXPECT_EQ(device_->GetDeviceStateJoystick(s), DIERR_NOTACQUIRED) << "a lost device is no longer acquired";
  EXPECT_EQ(device_->Acquire(), DIERR_INPUTLOST);
}

TEST(MciStrings, AliasesOpenCloseAndAnswerStopped) {
  TempGameDir dir;
  dir.write("\\sfx\\music\\kango.mp3", "x");
  std::string track = dir.real("/sfx/music/kango.mp3"), shortPath;
  EXPECT_EQ(GetShortPathName(track, shortPath, 260), Long(track.size()));
  EXPECT_EQ(shortPath, track);
  EXPECT_EQ(GetShortPathName(track, shortPath, 4), Long(track.size() + 1)) << "too small a buffer";
  EXPECT_EQ(shortPath, "");

  mciSendString("close all");
  std::string answer = "old";
  struct Step {
    std::string command;
    Long result;
    std::string answer;
  } steps[] = {
      {"open " + track + " ALIAS tdmsoft", 0, ""},
      {"open \"" + track + "\" alias tdmnrg", 0, ""},
      {"open " + track + " ALIAS TDMSOFT", MCIERR_DUPLICATE_ALIAS, ""},
      {"open " + dir.real("/none.mp3") + " ALIAS tdmwav", MCIERR_FILE_NOT_FOUND, ""},
      {"play tdmsoft", 0, ""},
      {"status tdmsoft mode", 0, "stopped"},
      {"play tdmsoft from 0", 0, ""},
      {"stop tdmsoft", 0, ""},
      {"stop killt", MCIERR_INVALID_DEVICE_NAME, ""},
      {"status nothing mode", MCIERR_INVALID_DEVICE_NAME, ""},
      {"seek tdmsoft to start", MCIERR_UNRECOGNIZED_COMMAND, ""},
      {"", MCIERR_UNRECOGNIZED_COMMAND, ""},
      {"close tdmnrg", 0, ""},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(mciSendString(s.command, &answer, 255), s.result) << s.command;
    EXPECT_EQ(answer, s.answer) << s.command;
  }
  EXPECT_EQ(mciOpenAliases(), std::vector<std::string>{"tdmsoft"});
  EXPECT_EQ(mciSendString("status tdmsoft mode", &answer, 4), 0);
  EXPECT_EQ(answer, "sto") << "cut to the buffer";
  EXPECT_EQ(mciSendString("close all"), 0);
  EXPECT_TRUE(mciOpenAliases().empty());
}
