// CJoystick: one game controller (the global Joystick). Init opens device n of the controller
// layer's list (CJoyControl.diDevEnum) with dead zone 1000 and saturation 9500 on x and y and the
// range 0..10000 on every axis (5000 centred; x grows to the right, y toward the player). Poll,
// once per frame in play (CJoyControl.PollJoys), keeps the six axes, four points of view and the
// current and previous state of buttons 0..Buttons; the queries answer by joystick control code:
//   1000 + n  button n (0..31)        1032..1035  point of view 0 up, right, down, left
//   1036/1037 x+ / x-   1038/1039 y+ / y-   1040/1041 rx+ / rx-   1042/1043 ry+ / ry-
//   1044/1045 z+ / z-   1046/1047 rz+ / rz-      below 1000 a keyboard key, above 1047 nothing
// Init logs its failure (unforced) and leaves Exists False; Poll, getPressed and getState raise
// the device's failure as a VbError.
#pragma once
#include <array>
#include <memory>

#include "platform/DirectInput.h"
#include "runtime/Numbers.h"

class CJoystick {
 public:
  std::shared_ptr<DirectInputDevice8> diDev;  // none until Init
  bool Exists = false;                        // True once Init has finished
  Integer Buttons = -1;                       // highest button index read: -1 (no buttons) .. 31
  Long Handle = 0;                            // not used
  // Axis positions of the last Poll, 0..10000.
  Long x = 5000, y = 5000, z = 5000, rx = 5000, ry = 5000, rz = 5000;

  // All current and previous button states to 0.
  void ClearButtons();
  // Reads the device afresh (the fields stay as they are) and answers the control that is pushed
  // to the end of its travel or pressed, by priority: point of view 0 exactly left, down, right,
  // up; rz, ry, rx, z, y, x beyond 9000 (+) or below 1000 (-); the highest pressed button; -1 none.
  Long getPressed();
  // Analog amount of a control at the last Poll, 0..5000: a button or a hat direction 5000 or 0,
  // an axis its distance from the centre on that side. A hat diagonal counts for both directions.
  Long getAbstractDown(Long code) const;
  // Buttons: 1 just pressed, -1 just released, 0 otherwise. Hat directions and axes: 1 while the
  // amount is above 1000, -1 at the first Poll where it fell back to 1000 or below, else 0.
  Integer getAbstractPress(Long code) const;
  void Poll();
  Long getPOV(Integer i) const;          // point of view i (0..3): hundredths of a degree, -1 centred
  uint8_t getButton(Integer i) const;    // current state of button i (0..31)
  Integer getButtonPress(Integer i) const;  // 1 went down since the previous Poll, -1 went up, else 0
  DIJOYSTATE getState();                 // a fresh device state; the fields stay as they are
  void Init(Integer n);                  // device n (from 0) of the controller layer's list
  void SetProp();                        // range 0..10000 on the whole device

 private:
  DIJOYSTATE readState();
  static Long amountOf(Long code, const std::array<Long, 6>& axes, const std::array<Long, 4>& pov,
                       const std::array<Integer, 32>& buttons);
  std::array<Long, 6> axes() const { return {x, y, z, rx, ry, rz}; }

  DIPROPLONG deadZone_{DIPH_BYOFFSET, DIJOFS_X, 1000};
  DIPROPLONG saturation_{DIPH_BYOFFSET, DIJOFS_X, 9500};
  DIPROPRANGE range_{DIPH_DEVICE, 0, 0, 10000};
  std::array<Integer, 32> current_{};
  std::array<Integer, 32> previous_{};
  std::array<Long, 4> pov_{-1, -1, -1, -1};
  // The axes and points of view of the Poll before, for the release of a held hat or axis.
  std::array<Long, 6> previousAxes_{5000, 5000, 5000, 5000, 5000, 5000};
  std::array<Long, 4> previousPov_{-1, -1, -1, -1};
};

extern std::shared_ptr<CJoystick> Joystick;
