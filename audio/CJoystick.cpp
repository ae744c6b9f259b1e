#include "audio/CJoystick.h"

#include <algorithm>
#include <exception>
#include <string>

#include "audio/CJoyControl.h"
#include "engine/MessageLog.h"
#include "platform/Direct3D.h"
#include "runtime/VbError.h"

std::shared_ptr<CJoystick> Joystick;

namespace {
constexpr Long kFirstButton = 1000, kPovUp = 1032, kPovRight = 1033, kPovDown = 1034, kPovLeft = 1035;
constexpr Long kFirstAxis = 1036, kLastCode = 1047;
constexpr Long kPressed = 1000;  // an amount above this reads as pressed

// Amount of one side of an axis: + the distance above the centre, - below it.
Long axisAmount(Long value, bool plus) {
  if (plus) return value >= 5001 ? value - 5000 : 0;
  return value < 5000 ? 5000 - value : 0;
}
}  // namespace

void CJoystick::ClearButtons() {
  current_.fill(0);
  previous_.fill(0);
}

Long CJoystick::amountOf(Long code, const std::array<Long, 6>& axes, const std::array<Long, 4>& pov,
                         const std::array<Integer, 32>& buttons) {
  if (code < kFirstButton || code > kLastCode) return 0;
  if (code < kPovUp) return buttons[static_cast<size_t>(code - kFirstButton)] >= 1 ? 5000 : 0;
  const Long p = pov[0];
  switch (code) {
    case kPovUp: return (p >= 0 && p <= 8999) || p >= 27001 ? 5000 : 0;
    case kPovRight: return p >= 1 && p <= 17999 ? 5000 : 0;
    case kPovDown: return p >= 9001 && p <= 26999 ? 5000 : 0;
    case kPovLeft: return p >= 18001 ? 5000 : 0;
    default: break;
  }
  // 1036.. in pairs (+, -) over x, y, rx, ry, z, rz.
  static constexpr int axisOfPair[6] = {0, 1, 3, 4, 2, 5};
  const Long pair = (code - kFirstAxis) / 2;
  return axisAmount(axes[static_cast<size_t>(axisOfPair[pair])], (code - kFirstAxis) % 2 == 0);
}

Long CJoystick::getAbstractDown(Long code) const { return amountOf(code, axes(), pov_, current_); }

Integer CJoystick::getAbstractPress(Long code) const {
  if (code < kFirstButton) return 0;
  if (code < kPovUp) return getButtonPress(static_cast<Integer>(code - kFirstButton));
  if (getAbstractDown(code) > kPressed) return 1;
  if (amountOf(code, previousAxes_, previousPov_, current_) > kPressed) return -1;
  return 0;
}

DIJOYSTATE CJoystick::readState() {
  if (!diDev) vbRaise(vberr::ObjectMissing);
  checkHResult(diDev->Poll());
  DIJOYSTATE s;
  checkHResult(diDev->GetDeviceStateJoystick(s));
  return s;
}

void CJoystick::Poll() {
  const DIJOYSTATE s = readState();
  previousAxes_ = axes();
  previousPov_ = pov_;
  x = s.x;
  y = s.y;
  z = s.z;
  rx = s.rx;
  ry = s.ry;
  rz = s.rz;
  pov_ = s.POV;
  for (Integer i = 0; i <= Buttons; ++i) {
    previous_[i] = current_[i];
    current_[i] = s.buttons[i];
  }
}

Long CJoystick::getPressed() {
  const DIJOYSTATE s = readState();
  switch (s.POV[0]) {
    case 27000: return kPovLeft;
    case 18000: return kPovDown;
    case 9000: return kPovRight;
    case 0: return kPovUp;
    default: break;
  }
  // rz, ry, rx, z, y, x; an axis the device lacks reads 0, so 0 never counts as pushed low.
  const struct {
    Long value, plus;
  } order[] = {{s.rz, 1046}, {s.ry, 1042}, {s.rx, 1040}, {s.z, 1044}, {s.y, 1038}, {s.x, 1036}};
  for (const auto& a : order) {
    if (a.value >= 9001) return a.plus;
    // x and y are always there: their lowest end counts.
    const bool always = a.plus == 1038 || a.plus == 1036;
    if (a.value < 1000 && (always || a.value > 0)) return a.plus + 1;
  }
  for (Integer i = Buttons; i >= 0; --i)
    if (s.buttons[i] != 0) return kFirstButton + i;
  return -1;
}

Long CJoystick::getPOV(Integer i) const { return vbAt(pov_, i); }

uint8_t CJoystick::getButton(Integer i) const { return static_cast<uint8_t>(vbAt(current_, i)); }

Integer CJoystick::getButtonPress(Integer i) const {
  const Integer now = vbAt(current_, i), before = vbAt(previous_, i);
  if (now >= 1 && before == 0) return 1;
  if (now == 0 && before > 0) return -1;
  return 0;
}

DIJOYSTATE CJoystick::getState() { return readState(); }

void CJoystick::Init(Integer n) {
  diDev.reset();
  try {
    if (!JoyControl || !JoyControl->di || !JoyControl->diDevEnum) vbRaise(vberr::ObjectMissing);
    auto item = JoyControl->diDevEnum->GetItem(n + 1);
    if (!item) vbRaise(vberr::ObjectMissing, "no joystick " + std::to_string(n));
    std::shared_ptr<DirectInputDevice8> dev;
    checkHResult(JoyControl->di->CreateDevice(item->GetGuidInstance(), dev));
    diDev = dev;
    checkHResult(diDev->SetCommonDataFormat(DIFORMAT_JOYSTICK));
    DIDEVCAPS caps;
    checkHResult(diDev->GetCapabilities(caps));
    Buttons = static_cast<Integer>(std::clamp<Long>(caps.lButtons - 1, -1, 31));
    for (Long offset : {DIJOFS_X, DIJOFS_Y}) {
      deadZone_.lObj = offset;
      checkHResult(diDev->SetProperty("DIPROP_DEADZONE", deadZone_));
    }
    for (Long offset : {DIJOFS_X, DIJOFS_Y}) {
      saturation_.lObj = offset;
      checkHResult(diDev->SetProperty("DIPROP_SATURATION", saturation_));
    }
    SetProp();
    checkHResult(diDev->Acquire());
    Exists = true;
  } catch (const std::exception& e) {
    addMessage(e.what(), false);
    diDev.reset();  // a device that did not finish its set-up is not used
  }
}

void CJoystick::SetProp() {
  if (!diDev) vbRaise(vberr::ObjectMissing);
  checkHResult(diDev->SetProperty("DIPROP_RANGE", range_));
}
