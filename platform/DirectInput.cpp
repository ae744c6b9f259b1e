// DirectInput 8 joysticks over SDL's joystick API: the list of attached joysticks, devices with
// DirectInput's axis properties applied to SDL's raw positions, hats as points of view, and
// virtual joysticks for tests. Depends on SDL2 (joystick).
#include "platform/DirectInput.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "platform/DeviceBackend.h"
#include "platform/Direct3D.h"

namespace {
const std::string kGuidPrefix = "{QV-JOY-";

// DirectInput reads a non-exclusive joystick in the background: so do we, whatever window has the
// focus (SDL otherwise drops presses while no window of the program has it).
bool joysticksUp() {
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_WasInit(SDL_INIT_JOYSTICK)) return true;
  return SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
}

int deviceIndexOfInstance(SDL_JoystickID instance) {
  for (int i = 0; i < SDL_NumJoysticks(); ++i)
    if (SDL_JoystickGetDeviceInstanceID(i) == instance) return i;
  return -1;
}

SDL_Joystick* sdl(void* p) { return static_cast<SDL_Joystick*>(p); }

Long povFromHat(Uint8 hat) {
  switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return -1;
  }
}

Uint8 hatFromPov(Long pov) {
  if (pov < 0) return SDL_HAT_CENTERED;
  static const Uint8 hats[8] = {SDL_HAT_UP,   SDL_HAT_RIGHTUP,  SDL_HAT_RIGHT, SDL_HAT_RIGHTDOWN,
                                SDL_HAT_DOWN, SDL_HAT_LEFTDOWN, SDL_HAT_LEFT,  SDL_HAT_LEFTUP};
  return hats[((pov + 2250) / 4500) % 8];
}

// The axis index of a property's object: by offset x 0 .. slider1 28 (steps of 4).
int axisOfOffset(Long offset) {
  if (offset < 0 || offset > DIJOFS_SLIDER1 || offset % 4 != 0) return -1;
  return offset / 4;
}
}  // namespace

// ---- the root and the list ------------------------------------------------------------------------
std::shared_ptr<DirectInput8> DirectX8::DirectInputCreate() { return std::make_shared<DirectInput8>(); }

std::shared_ptr<DirectInputDeviceInstance8> DirectInputEnumDevices8::GetItem(Long index) const {
  if (index < 1 || index > GetCount()) return nullptr;
  return items_[static_cast<size_t>(index - 1)];
}

std::shared_ptr<DirectInputEnumDevices8> DirectInput8::GetDIDevices(Long deviceType, Long) {
  auto list = std::make_shared<DirectInputEnumDevices8>();
  bool joysticks = deviceType == DI8DEVTYPE_JOYSTICK || deviceType == DI8DEVCLASS_GAMECTRL || deviceType == DI8DEVCLASS_ALL;
  if (!joysticks || !joysticksUp()) return list;
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    const char* name = SDL_JoystickNameForIndex(i);
    std::string guid = kGuidPrefix + std::to_string(SDL_JoystickGetDeviceInstanceID(i)) + "}";
    list->items_.push_back(std::make_shared<DirectInputDeviceInstance8>(guid, name ? name : "Joystick"));
  }
  return list;
}

HResult DirectInput8::CreateDevice(const std::string& guidInstance, std::shared_ptr<DirectInputDevice8>& device) {
  if (!joysticksUp()) return reportFailure(DIERR_DEVICENOTREG, "no joystick system");
  int index = -1;
  if (guidInstance.rfind(kGuidPrefix, 0) == 0) {
    char* end = nullptr;
    long instance = std::strtol(guidInstance.c_str() + kGuidPrefix.size(), &end, 10);
    if (end && *end == '}') index = deviceIndexOfInstance(static_cast<SDL_JoystickID>(instance));
  }
  if (index < 0) return reportFailure(DIERR_DEVICENOTREG, "no joystick " + guidInstance);
  SDL_Joystick* js = SDL_JoystickOpen(index);
  if (!js) return reportFailure(DIERR_DEVICENOTREG, std::string("the joystick cannot be opened: ") + SDL_GetError());
  device = std::make_shared<DirectInputDevice8>(js);
  return D3D_OK;
}

// ---- the device ------------------------------------------------------------------------------------
DirectInputDevice8::DirectInputDevice8(void* sdlJoystick) : joystick_(sdlJoystick) {}

DirectInputDevice8::~DirectInputDevice8() {
  if (joystick_ && SDL_WasInit(SDL_INIT_JOYSTICK)) SDL_JoystickClose(sdl(joystick_));
}

HResult DirectInputDevice8::SetCommonDataFormat(Long format) {
  if (format != DIFORMAT_JOYSTICK) return reportFailure(DIERR_INVALIDPARAM, "data format " + std::to_string(format));
  formatSet_ = true;
  return D3D_OK;
}

HResult DirectInputDevice8::GetCapabilities(DIDEVCAPS& caps) {
  caps.lDevType = DI8DEVTYPE_JOYSTICK;
  caps.lAxes = std::max(0, SDL_JoystickNumAxes(sdl(joystick_)));
  caps.lButtons = std::max(0, SDL_JoystickNumButtons(sdl(joystick_)));
  caps.lPOVs = std::max(0, SDL_JoystickNumHats(sdl(joystick_)));
  return D3D_OK;
}

HResult DirectInputDevice8::SetProperty(const std::string& property, const DIPROPLONG& value) {
  bool dead = property == "DIPROP_DEADZONE", saturation = property == "DIPROP_SATURATION";
  if (!dead && !saturation) return reportFailure(DIERR_INVALIDPARAM, "property " + property);
  if (value.lData < 0 || value.lData > 10000)
    return reportFailure(DIERR_INVALIDPARAM, property + " " + std::to_string(value.lData));
  int first = 0, last = static_cast<int>(axes_.size()) - 1;
  if (value.lHow == DIPH_BYOFFSET) {
    first = last = axisOfOffset(value.lObj);
    if (first < 0) return reportFailure(DIERR_INVALIDPARAM, "no axis at offset " + std::to_string(value.lObj));
  } else if (value.lHow != DIPH_DEVICE || value.lObj != 0) {
    return reportFailure(DIERR_INVALIDPARAM, property + " addressed by " + std::to_string(value.lHow));
  }
  for (int a = first; a <= last; ++a) (dead ? axes_[a].deadZone : axes_[a].saturation) = value.lData;
  return D3D_OK;
}

HResult DirectInputDevice8::SetProperty(const std::string& property, const DIPROPRANGE& value) {
  if (property != "DIPROP_RANGE") return reportFailure(DIERR_INVALIDPARAM, "property " + property);
  if (value.lMin >= value.lMax)
    return reportFailure(DIERR_INVALIDPARAM, "range " + std::to_string(value.lMin) + ".." + std::to_string(value.lMax));
  rangeMin_ = value.lMin;
  rangeMax_ = value.lMax;
  return D3D_OK;
}

HResult DirectInputDevice8::Acquire() {
  if (!formatSet_) return reportFailure(DIERR_INVALIDPARAM, "no data format set");
  if (!SDL_JoystickGetAttached(sdl(joystick_))) return reportFailure(DIERR_INPUTLOST, "the joystick is gone");
  acquired_ = true;
  return D3D_OK;
}

HResult DirectInputDevice8::Unacquire() {
  acquired_ = false;
  return D3D_OK;
}

HResult DirectInputDevice8::checkReadable() {
  if (!acquired_) return reportFailure(DIERR_NOTACQUIRED, "the joystick is not acquired");
  if (!SDL_JoystickGetAttached(sdl(joystick_))) {
    acquired_ = false;
    return reportFailure(DIERR_INPUTLOST, "the joystick is gone");
  }
  return D3D_OK;
}

HResult DirectInputDevice8::Poll() {
  if (HResult hr = checkReadable(); FAILED(hr)) return hr;
  SDL_JoystickUpdate();
  return checkReadable();
}

Long DirectInputDevice8::axisValue(int axis) const {
  if (axis >= SDL_JoystickNumAxes(sdl(joystick_))) return 0;
  double m = std::clamp(SDL_JoystickGetAxis(sdl(joystick_), axis) / 32767.0, -1.0, 1.0);
  double a = std::fabs(m) * 10000.0;
  const AxisSettings& s = axes_[static_cast<size_t>(axis)];
  double t;
  if (a <= s.deadZone)
    t = 0;
  else if (a >= s.saturation)
    t = 1;
  else
    t = (a - s.deadZone) / (s.saturation - s.deadZone);
  double half = (static_cast<double>(rangeMax_) - rangeMin_) / 2.0;
  double centre = rangeMin_ + half;
  double v = centre + (m < 0 ? -t : t) * half;
  return static_cast<Long>(std::clamp(std::round(v), double(rangeMin_), double(rangeMax_)));
}

HResult DirectInputDevice8::GetDeviceStateJoystick(DIJOYSTATE& state) {
  if (HResult hr = checkReadable(); FAILED(hr)) return hr;
  DIJOYSTATE s;
  Long* axes[6] = {&s.x, &s.y, &s.z, &s.rx, &s.ry, &s.rz};
  for (int a = 0; a < 6; ++a) *axes[a] = axisValue(a);
  for (int a = 0; a < 2; ++a) s.slider[a] = axisValue(6 + a);
  int hats = std::min(4, SDL_JoystickNumHats(sdl(joystick_)));
  for (int h = 0; h < hats; ++h) s.POV[h] = povFromHat(SDL_JoystickGetHat(sdl(joystick_), h));
  int buttons = std::min(32, SDL_JoystickNumButtons(sdl(joystick_)));
  for (int b = 0; b < buttons; ++b) s.buttons[b] = SDL_JoystickGetButton(sdl(joystick_), b) ? 0x80 : 0;
  state = s;
  return D3D_OK;
}

// ---- virtual joysticks (tests) -----------------------------------------------------------------------
namespace {
std::map<Long, SDL_Joystick*>& virtualSticks() {
  static auto* sticks = new std::map<Long, SDL_Joystick*>();
  return *sticks;
}
SDL_Joystick* virtualStick(Long handle) {
  auto it = virtualSticks().find(handle);
  return it == virtualSticks().end() ? nullptr : it->second;
}
}  // namespace

Long attachVirtualJoystickForTests(Long axes, Long buttons, Long hats) {
  if (!joysticksUp()) return -1;
  int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, hats);
  if (index < 0) return -1;
  SDL_Joystick* js = SDL_JoystickOpen(index);
  if (!js) return -1;
  Long handle = SDL_JoystickInstanceID(js);
  virtualSticks()[handle] = js;
  return handle;
}

void detachVirtualJoystickForTests(Long handle) {
  SDL_Joystick* js = virtualStick(handle);
  if (!js) return;
  int index = deviceIndexOfInstance(static_cast<SDL_JoystickID>(handle));
  SDL_JoystickClose(js);
  virtualSticks().erase(handle);
  if (index >= 0) SDL_JoystickDetachVirtual(index);
  SDL_JoystickUpdate();
}

void setVirtualJoystickAxisForTests(Long handle, Long axis, Long raw) {
  if (SDL_Joystick* js = virtualStick(handle))
    SDL_JoystickSetVirtualAxis(js, axis, static_cast<Sint16>(std::clamp<Long>(raw, -32768, 32767)));
}

void setVirtualJoystickButtonForTests(Long handle, Long button, bool down) {
  if (SDL_Joystick* js = virtualStick(handle)) SDL_JoystickSetVirtualButton(js, button, down ? 1 : 0);
}

void setVirtualJoystickHatForTests(Long handle, Long hat, Long pov) {
  if (SDL_Joystick* js = virtualStick(handle)) SDL_JoystickSetVirtualHat(js, hat, hatFromPov(pov));
}
