// The DirectInput 8 objects the game reads joysticks with: the attached devices' list, a device
// with the common joystick data format, its capabilities, the dead-zone, saturation and range
// properties, acquire, poll and the joystick state.
//
// Usage, as the DirectX 8 automation library offered it:
//   auto di = DX->DirectInputCreate();
//   auto list = di->GetDIDevices(DI8DEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY);   // 20, 1
//   di->CreateDevice(list->GetItem(1)->GetGuidInstance(), dev);
//   dev->SetCommonDataFormat(DIFORMAT_JOYSTICK);                              // 3
//   DIPROPLONG dead{DIPH_BYOFFSET, DIJOFS_X, 1000}; dev->SetProperty("DIPROP_DEADZONE", dead);
//   DIPROPRANGE range{DIPH_DEVICE, 0, 0, 10000}; dev->SetProperty("DIPROP_RANGE", range);
//   dev->Acquire(); ... dev->Poll(); dev->GetDeviceStateJoystick(state);
//
// Devices are the system's joysticks (SDL's joystick API, not its game-controller mapping),
// listed once when the list is made, and read whatever window has the focus. Axes in the driver's order: 0 x, 1 y, 2 z, 3 rx, 4 ry,
// 5 rz, 6 and 7 the two sliders. An axis reads its raw position -32768..32767 mapped onto the
// range (default 0..65535): the dead zone and saturation (0..10000 of the half travel, defaults
// 0 and 10000) make every position within the dead zone the centre and every one beyond the
// saturation the end, and stretch the travel between them linearly. An axis the device does not
// have reads 0, as in DirectInput's state record. Points of view: hundredths of a degree
// clockwise from up, -1 centred or absent. Buttons: 0x80 pressed, at most 32.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"

constexpr Long DI8DEVCLASS_ALL = 0;
constexpr Long DI8DEVCLASS_GAMECTRL = 4;
constexpr Long DI8DEVTYPE_JOYSTICK = 20;
constexpr Long DIEDFL_ALLDEVICES = 0;
constexpr Long DIEDFL_ATTACHEDONLY = 1;
constexpr Long DIFORMAT_JOYSTICK = 3;  // the common joystick format
constexpr Long DIPH_DEVICE = 0;        // a property of the whole device (lObj 0)
constexpr Long DIPH_BYOFFSET = 1;      // a property of the axis at offset lObj
constexpr Long DIJOFS_X = 0, DIJOFS_Y = 4, DIJOFS_Z = 8, DIJOFS_RX = 12, DIJOFS_RY = 16, DIJOFS_RZ = 20;
constexpr Long DIJOFS_SLIDER0 = 24, DIJOFS_SLIDER1 = 28;

struct DIPROPLONG {
  Long lHow = DIPH_DEVICE;
  Long lObj = 0;
  Long lData = 0;
};

struct DIPROPRANGE {
  Long lHow = DIPH_DEVICE;
  Long lObj = 0;
  Long lMin = 0;
  Long lMax = 0;
};

struct DIDEVCAPS {
  Long lDevType = 0;
  Long lAxes = 0;
  Long lButtons = 0;
  Long lPOVs = 0;
};

struct DIJOYSTATE {
  Long x = 0, y = 0, z = 0, rx = 0, ry = 0, rz = 0;
  std::array<Long, 2> slider{};
  std::array<Long, 4> POV{-1, -1, -1, -1};
  std::array<uint8_t, 32> buttons{};
};

class DirectInputDevice8;

class DirectInputDeviceInstance8 {
 public:
  std::string GetGuidInstance() const { return guid_; }
  std::string GetInstanceName() const { return name_; }
  std::string GetProductName() const { return name_; }
  Long GetDevType() const { return DI8DEVTYPE_JOYSTICK; }

  DirectInputDeviceInstance8(std::string guid, std::string name) : guid_(std::move(guid)), name_(std::move(name)) {}

 private:
  std::string guid_, name_;
};

class DirectInputEnumDevices8 {
 public:
  Long GetCount() const { return static_cast<Long>(items_.size()); }
  // index 1..GetCount(); null outside.
  std::shared_ptr<DirectInputDeviceInstance8> GetItem(Long index) const;

 private:
  friend class DirectInput8;
  std::vector<std::shared_ptr<DirectInputDeviceInstance8>> items_;
};

class DirectInput8 {
 public:
  // Joysticks for DI8DEVTYPE_JOYSTICK, DI8DEVCLASS_GAMECTRL and DI8DEVCLASS_ALL; no devices of
  // other types. Only attached devices exist here, whatever the flags.
  std::shared_ptr<DirectInputEnumDevices8> GetDIDevices(Long deviceType, Long flags);
  // DIERR_DEVICENOTREG when no attached device has that instance identifier.
  HResult CreateDevice(const std::string& guidInstance, std::shared_ptr<DirectInputDevice8>& device);
};

class DirectInputDevice8 {
 public:
  ~DirectInputDevice8();
  DirectInputDevice8(const DirectInputDevice8&) = delete;
  DirectInputDevice8& operator=(const DirectInputDevice8&) = delete;

  HResult SetCommonDataFormat(Long format);  // DIFORMAT_JOYSTICK only, else DIERR_INVALIDPARAM
  HResult GetCapabilities(DIDEVCAPS& caps);
  // "DIPROP_DEADZONE", "DIPROP_SATURATION" (0..10000) by DIPH_BYOFFSET (an axis offset) or
  // DIPH_DEVICE (every axis); "DIPROP_RANGE" (lMin < lMax). DIERR_INVALIDPARAM otherwise.
  HResult SetProperty(const std::string& property, const DIPROPLONG& value);
  HResult SetProperty(const std::string& property, const DIPROPRANGE& value);
  // Needs the data format (DIERR_INVALIDPARAM); DIERR_INPUTLOST when the device is gone.
  HResult Acquire();
  HResult Unacquire();
  // DIERR_NOTACQUIRED before Acquire; DIERR_INPUTLOST (and unacquired) once unplugged.
  HResult Poll();
  HResult GetDeviceStateJoystick(DIJOYSTATE& state);

  explicit DirectInputDevice8(void* sdlJoystick);

 private:
  struct AxisSettings {
    Long deadZone = 0, saturation = 10000;
  };
  HResult checkReadable();
  Long axisValue(int axis) const;
  void* joystick_;
  bool formatSet_ = false, acquired_ = false;
  std::array<AxisSettings, 8> axes_{};
  Long rangeMin_ = 0, rangeMax_ = 65535;
};

// ---- tests: virtual joysticks of the system's joystick layer ----------------------------------------
// Attaches a joystick with that many axes, buttons and hats (listed by the next GetDIDevices);
// answers its handle for the setters, -1 when the system refuses.
Long attachVirtualJoystickForTests(Long axes, Long buttons, Long hats);
void detachVirtualJoystickForTests(Long handle);
void setVirtualJoystickAxisForTests(Long handle, Long axis, Long raw);  // raw -32768..32767
void setVirtualJoystickButtonForTests(Long handle, Long button, bool down);
void setVirtualJoystickHatForTests(Long handle, Long hat, Long pov);  // hundredths of a degree, -1 centred
