// CJoyControl: the joystick controller (one instance, JoyControl, made by the start-up). InitInput
// finds the attached joysticks and opens the first as Joystick (audio/CJoystick.h); PollJoys, once
// per frame in play after the window system's yield, turns the joystick controls bound to the
// player's actions (CPlayer.getCharKey: codes of 1000 and above) into the flags of the player's
// ship, into the mouse button while the interface has the mouse, and into the answer of a waiting
// key remap. It also names control codes for the input options page and gives the camera its
// analog look offsets.
#pragma once
#include <array>
#include <memory>
#include <string>

#include "platform/DirectInput.h"
#include "runtime/Numbers.h"

class CJoyControl {
 public:
  std::shared_ptr<DirectInput8> di;                     // made by InitInput
  std::shared_ptr<DirectInputEnumDevices8> diDevEnum;  // the attached joysticks InitInput found
  bool bJoysAtAll = false;  // at least one joystick is attached
  bool keyUpGrace = false;  // the next release of the mouse-button control is swallowed

  // 0 (the handles are never filled); 0 too for an index outside 0..3.
  Long getEventHandle(Integer index) const;
  // Creates the DirectInput object and opens the first attached joystick, when there is one.
  // Joysticks attached later are not found.
  void InitInput();
  // Once per frame in play: polls the joystick and routes it to ship 0. Nothing without a joystick
  // or when the joystick could not be opened.
  void PollJoys();
  // "button n" for 1000 + n (below 1032), "pov up" .. "rz-" for 1032..1047, "" above 1047.
  static std::string joyToString(Long code);
  // Routes the joystick (already polled) to ship `ship`, the mouse flags or the waiting remap.
  void doJoyArrows(Integer ship);
  // Look offsets, each -20..20, from the controls bound to look left/right (x) and look up/down
  // (y; thrust/brake under the classic view); nothing until a control passes 1000 of its 5000.
  // (0, 0) without an opened joystick.
  void getJoyLook(Single& x, Single& y) const;

 private:
  std::array<Long, 4> eventHandles_{};
  // Armed while released: prev weapon, next weapon, prev target, next target, talk.
  std::array<bool, 5> armed_{};
};

extern std::shared_ptr<CJoyControl> JoyControl;
