// CJoyControl: the joystick controller (one instance, JoyControl). This far it finds no joystick:
// the device, the control codes and their routing come with the joystick work.
#pragma once
#include <memory>

#include "runtime/Numbers.h"

class CJoyControl {
 public:
  bool bJoysAtAll = false;  // at least one joystick is attached
  bool keyUpGrace = false;  // the next release of the mouse-button control is swallowed

  // Opens the first attached joystick, when there is one.
  void InitInput();
  // Once per frame in play: polls the joystick and routes its controls.
  void PollJoys();
  // Look offsets from the controls bound to look left/right (x) and up/down (y); (0, 0) without
  // a joystick.
  void getJoyLook(Single& x, Single& y) const;
};

extern std::shared_ptr<CJoyControl> JoyControl;
