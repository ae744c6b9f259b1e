#include "audio/CJoyControl.h"

#include "audio/CJoystick.h"
#include "campaign/CPlayer.h"
#include "engine/GameGlobals.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

std::shared_ptr<CJoyControl> JoyControl;

namespace {
// Bindings (KeyAction).
enum : Long {
  kaThrust = 0, kaBrake = 1, kaLeft = 2, kaRight = 3, kaPrevTarg = 4, kaNextTarg = 5, kaPrevWeapon = 6,
  kaNextWeapon = 7, kaAction = 8, kaWarpMenu = 9, kaAttack = 10, kaSecondary = 11, kaLookLeft = 12,
  kaLookRight = 13, kaLookUp = 14, kaLookDown = 15, kaStatus = 16, kaTalk = 17
};
constexpr Long kJoystickCodes = 1000;  // bindings from here on are joystick controls
constexpr Long kHeld = 1000;           // an amount above this holds a steering or look control

CPlayer& player() {
  if (!Player) vbRaise(vberr::ObjectMissing);
  return *Player;
}

CJoystick& joystick() {
  if (!Joystick) vbRaise(vberr::ObjectMissing);
  return *Joystick;
}

Long down(Long action) { return joystick().getAbstractDown(player().getCharKey(action)); }
Integer press(Long action) { return joystick().getAbstractPress(player().getCharKey(action)); }
}  // namespace

Long CJoyControl::getEventHandle(Integer index) const {
  if (index < 0 || index > 3) return 0;
  return eventHandles_[static_cast<size_t>(index)];
}

void CJoyControl::InitInput() {
  if (!DX) DX = std::make_shared<DirectX8>();
  di = DX->DirectInputCreate();
  diDevEnum = di->GetDIDevices(DI8DEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY);
  if (diDevEnum->GetCount() >= 1) {
    bJoysAtAll = true;
    Joystick = std::make_shared<CJoystick>();
    Joystick->Init(0);
  } else {
    bJoysAtAll = false;
  }
}

void CJoyControl::PollJoys() {
  if (!bJoysAtAll || !Joystick || !Joystick->Exists) return;
  Joystick->Poll();
  doJoyArrows(0);
}

std::string CJoyControl::joyToString(Long code) {
  static const char* const names[16] = {"pov up", "pov right", "pov down", "pov left", "x+",  "x-",  "y+",  "y-",
                                        "rx+",    "rx-",       "ry+",      "ry-",      "z+", "z-", "rz+", "rz-"};
  if (code < 1032) return "button " + std::to_string(code - 1000);
  if (code <= 1047) return names[code - 1032];
  return "";
}

void CJoyControl::doJoyArrows(Integer ship) {
  if (ship < 0 || static_cast<size_t>(ship) >= Ships.size() || !Ships[static_cast<size_t>(ship)]) return;
  CShip& s = *Ships[static_cast<size_t>(ship)];
  if (!GameInterface) vbRaise(vberr::ObjectMissing);
  CInterface& gi = *GameInterface;
  if (gi.keyRemapping >= 0) {
    const Long code = joystick().getPressed();
    if (code != -1) {
      gi.Remap(static_cast<Integer>(code));
      keyUpGrace = true;
    }
    return;
  }

  // Steering follows a joystick-bound control; a keyboard-bound one is left to the keyboard.
  const struct {
    Long action;
    bool CShip::*flag;
  } steering[] = {{kaThrust, &CShip::keyThrust}, {kaBrake, &CShip::keyBrake}, {kaLeft, &CShip::keyLeft},
                  {kaRight, &CShip::keyRight}};
  for (const auto& st : steering)
    if (player().getCharKey(st.action) >= kJoystickCodes) s.*st.flag = false;
  for (int i : {0, 3, 1, 2})
    if (down(steering[i].action) > kHeld) s.*steering[i].flag = true;

  // Press and release.
  const struct {
    Long action;
    bool CShip::*flag;
  } held[] = {{kaAttack, &CShip::keyPrimary}, {kaSecondary, &CShip::keySecondary}, {kaAction, &CShip::keyWarp},
              {kaWarpMenu, &CShip::keyWarpChoose}, {kaStatus, &CShip::keySel2}};
  for (size_t pair = 0; pair < 2; ++pair) {
    for (size_t i = pair * 2; i < pair * 2 + 2; ++i)
      if (press(held[i].action) > 0) s.*held[i].flag = true;
    for (size_t i = pair * 2; i < pair * 2 + 2; ++i)
      if (press(held[i].action) < 0) s.*held[i].flag = false;
  }
  if (press(kaStatus) > 0) s.keySel2 = true;
  if (press(kaStatus) < 0) s.keySel2 = false;

  // One-shots: armed while released, fired once per push; the ship clears its flag.
  const struct {
    Long action;
    size_t arm;
    bool CShip::*flag;
  } oneShot[] = {{kaTalk, 4, &CShip::keyTalk},
                 {kaNextTarg, 3, &CShip::keyNextTarg},
                 {kaPrevTarg, 2, &CShip::keyPrevTarg},
                 {kaPrevWeapon, 0, &CShip::keySwitchLeft},
                 {kaNextWeapon, 1, &CShip::keySwitchRight}};
  for (const auto& o : oneShot)
    if (down(o.action) <= 0) armed_[o.arm] = true;
  for (const auto& o : oneShot) {
    if (armed_[o.arm] && down(o.action) > 0) {
      s.*o.flag = true;
      armed_[o.arm] = false;
    }
  }

  // The action control is the mouse button while the interface has the mouse.
  if (gi.hasMouse()) {
    const Integer p = press(kaAction);
    if (p > 0) MouseHeld = true;
    if (p < 0) {
      if (keyUpGrace)
        keyUpGrace = false;
      else
        MouseClicked = true;
      MouseHeld = false;
    }
  }
}

void CJoyControl::getJoyLook(Single& x, Single& y) const {
  x = 0;
  y = 0;
  if (!Joystick || !Joystick->Exists) return;
  Long d = down(kaLookLeft);
  if (d > kHeld) x = static_cast<Single>(kHeld - d);
  d = down(kaLookRight);
  if (d > kHeld) x = static_cast<Single>(d - kHeld);
  const Long up = ClassicView ? kaThrust : kaLookUp, dn = ClassicView ? kaBrake : kaLookDown;
  d = down(up);
  if (d > kHeld) y = static_cast<Single>(d - kHeld);
  d = down(dn);
  if (d > kHeld) y = static_cast<Single>(kHeld - d);
  x /= 200;
  y /= 200;
}
