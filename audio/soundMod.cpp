#include "audio/soundMod.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "campaign/CPlayer.h"
#include "engine/FuncMod.h"
#include "engine/MessageLog.h"
#include "game/frmMain.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "platform/Direct3D.h"
#include "platform/Window.h"
#include "runtime/Paths.h"
#include "runtime/Trap.h"

std::array<std::string, SoundSlotCount> SoundNames;
std::array<std::shared_ptr<DirectSoundSecondaryBuffer8>, SoundSlotCount> SoundBuffers;
std::shared_ptr<DirectSound8> SoundDevice;
std::shared_ptr<DirectSoundEnum8> SoundDeviceList;
Single SoundFactor = 1;
Integer LastDupSound = -1;

Integer SndLaser = -1, SndExplode = -1, SndRocket = -1, SndRocker = -1, SndFlame2 = -1, SndMiniExplode = -1,
        SndRail = -1, SndWarp2 = -1, SndWarpOut = -1, SndBeep = -1, SndTractor = -1, SndVulcan = -1,
        SndShotgun = -1, SndMiniWarp = -1, SndMiniWarpOut = -1, SndRoll = -1, SndSniper = -1, SndCross = -1,
        SndBassplode = -1, SndWarpTrans = -1, SndDock = -1, SndSpawn = -1, SndDark = -1, SndNeutron = -1,
        SndBulletIn = -1, SndBulletOut = -1, SndRico = -1, SndChime = -1, SndLevUp = -1, SndCrash = -1;
Integer SndJet[4] = {-1, -1, -1, -1};

namespace {
constexpr std::string_view kOneShotCopy = "killmesoon";
constexpr std::string_view kLoopCopy = "killmeplenty";
constexpr Long kStatusOnce = DSBSTATUS_PLAYING;                       // 1
constexpr Long kStatusLooped = DSBSTATUS_PLAYING | DSBSTATUS_LOOPING;  // 5
constexpr Long kBufferFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;  // 224

// How many times each slot has been freed (mod 256): the upper part of the slot's handle.
std::array<uint8_t, SoundSlotCount> SlotGeneration{};

bool inPool(Integer slot) { return slot >= 0 && slot < SoundSlotCount; }
Integer handleOf(Integer slot) { return static_cast<Integer>(slot + SoundSlotCount * SlotGeneration[slot]); }
// The slot a handle names, -1 when it names none (-1, out of range, or freed since).
Integer slotOf(Integer handle) {
  if (handle < 0) return -1;
  const Integer slot = static_cast<Integer>(handle % SoundSlotCount);
  return handle / SoundSlotCount == SlotGeneration[slot] ? slot : -1;
}
void freeSlot(Integer slot) {
  SoundBuffers[slot].reset();
  SoundNames[slot].clear();
  ++SlotGeneration[slot];
}
bool soundOn() { return Player && Player->bSound; }
// Valid for playing: within the pool, named and holding a buffer.
bool playable(Integer slot) { return inPool(slot) && !SoundNames[slot].empty() && SoundBuffers[slot]; }
Long statusOf(Integer slot) { return SoundBuffers[slot] ? SoundBuffers[slot]->GetStatus() : 0; }
bool inTitleScene() { return GameInterface && GameInterface->Window == msDemo; }

// A volume or pan in the buffer's range (getSoundCoords keeps its values inside; this only keeps
// a rounding or a bad position from failing the device call).
Long clampVolume(Long v) { return std::clamp<Long>(v, DSBVOLUME_MIN, DSBVOLUME_MAX); }

// The played volume of a base volume b (-10000..0): title-scene damping, the effect factor and the
// floor -10000.
Long scaledVolume(Long b) {
  if (inTitleScene()) b = CLng((b + 10000) / 4.0 - 10000);
  Long v = CLng((b + 10000) * static_cast<double>(SoundFactor) - 10000);
  return clampVolume(v);
}

// Puts a duplicate of source's buffer into the free slot copy under the copy's name.
void makeCopy(Integer copy, Integer source, std::string_view name) {
  SoundNames[copy] = name;
  std::shared_ptr<DirectSoundSecondaryBuffer8> dup;
  checkHResult(SoundDevice->DuplicateSoundBuffer(SoundBuffers[source], dup));
  SoundBuffers[copy] = dup;
}

void playOnce(DirectSoundSecondaryBuffer8& b) {
  checkHResult(b.SetCurrentPosition(0));
  checkHResult(b.Play(DSBPLAY_DEFAULT));
}
}  // namespace

void InitSound() {
  for (Integer i = 0; i < SoundSlotCount; ++i) {
    SoundBuffers[i].reset();
    SoundNames[i].clear();
  }
  SlotGeneration.fill(0);
  SoundDevice.reset();
  if (!DX) DX = std::make_shared<DirectX8>();
  SoundDeviceList = DX->GetDSEnum();
  if (SoundDeviceList->GetCount() >= 1) {
    // A device that cannot be opened leaves the game silent, as with none.
    bool opened = vbTrap("InitSound", [] {
      std::shared_ptr<DirectSound8> device;
      checkHResult(DX->DirectSoundCreate(SoundDeviceList->GetGuid(1), device));
      checkHResult(device->SetCooperativeLevel(frmMain.hWnd(), DSSCL_NORMAL));
      SoundDevice = device;
    });
    if (!opened) SoundDevice.reset();
  }
  doEvents();
}

Integer LoadSound(const std::string& name) {
  Integer slot = -1;
  for (Integer i = 0; i < SoundSlotCount; ++i)
    if (SoundNames[i] == name) slot = i;
  if (slot == -1) {
    for (Integer i = 0; i < SoundSlotCount && slot == -1; ++i)
      if (SoundNames[i].empty()) slot = i;
  }
  if (slot == -1) return -1;
  const bool loaded = vbTrap("LoadSound", [&] { LoadSoundFile(slot, name); });
  // A failed reload keeps the slot's earlier sound; a failed first load leaves the slot free.
  if (!loaded && SoundNames[slot].empty()) return -1;
  return handleOf(slot);
}

std::string soundFilePath(const std::string& name) { return resolvePath("\\sfx\\" + name + ".wav"); }

void LoadSoundFile(Integer slot, const std::string& name) {
  vbCheckIndex(slot, 0, SoundSlotCount - 1);
  if (!SoundDevice) {
    SoundNames[slot] = name;
    return;
  }
  DSBUFFERDESC desc;
  desc.lFlags = kBufferFlags;
  std::shared_ptr<DirectSoundSecondaryBuffer8> buffer;
  checkHResult(SoundDevice->CreateSoundBufferFromFile(soundFilePath(name), desc, buffer));
  SoundBuffers[slot] = buffer;
  SoundNames[slot] = name;
}

Integer getFreeSound() {
  for (Integer i = 0; i < SoundSlotCount; ++i)
    if (SoundNames[i].empty()) return i;
  addMessage("sound overflow!", false);
  ReapSounds();
  return -1;
}

void ReapSounds() {
  for (Integer i = 0; i < SoundSlotCount; ++i) {
    const std::string& n = SoundNames[i];
    bool finished = (n == kOneShotCopy && statusOf(i) != kStatusOnce) || (n == kLoopCopy && statusOf(i) != kStatusLooped);
    if (finished) freeSlot(i);
  }
}

void PlaySound(Integer handle) {
  if (!soundOn()) return;
  ReapSounds();
  const Integer slot = slotOf(handle);
  if (!playable(slot)) return;
  DirectSoundSecondaryBuffer8* played = SoundBuffers[slot].get();
  if (statusOf(slot) != kStatusOnce) {
    playOnce(*played);
  } else {
    Integer copy = getFreeSound();
    if (copy == -1) return;
    makeCopy(copy, slot, kOneShotCopy);
    played = SoundBuffers[copy].get();
    playOnce(*played);
  }
  checkHResult(played->SetPan(DSBPAN_CENTER));
  checkHResult(played->SetVolume(clampVolume(CLng(static_cast<double>(SoundFactor) * 10000 - 10000))));
}

void PlaySound3D(Integer handle, const D3DVECTOR& position) {
  if (!soundOn()) return;
  ReapSounds();
  const Integer slot = slotOf(handle);
  const D3DVECTOR coords = getSoundCoords(position);
  const Long pan = std::clamp<Long>(CLng(coords.x), DSBPAN_LEFT, DSBPAN_RIGHT);
  const Long volume = scaledVolume(CLng(coords.z));
  if (!playable(slot)) return;
  if (statusOf(slot) != kStatusOnce) {
    DirectSoundSecondaryBuffer8& b = *SoundBuffers[slot];
    checkHResult(b.SetPan(pan));
    checkHResult(b.SetVolume(volume));
    playOnce(b);
    return;
  }
  // Playing: copied at most once per frame, however many sources ask.
  if (slot == LastDupSound) return;
  LastDupSound = slot;
  Integer copy = getFreeSound();
  if (copy == -1) return;
  makeCopy(copy, slot, kOneShotCopy);
  DirectSoundSecondaryBuffer8& b = *SoundBuffers[copy];
  checkHResult(b.SetPan(pan));
  checkHResult(b.SetVolume(volume));
  checkHResult(b.Play(DSBPLAY_DEFAULT));
}

Integer StartLoopSound(Integer handle) {
  const Integer slot = slotOf(handle);
  if (!SoundDevice || !playable(slot)) return -1;
  Integer copy = getFreeSound();
  if (copy == -1) return -1;
  makeCopy(copy, slot, kLoopCopy);
  return handleOf(copy);
}

void UpdateLoopSound(Integer handle, const D3DVECTOR& position) {
  const Integer slot = slotOf(handle);
  if (!soundOn() || !inPool(slot) || !SoundBuffers[slot]) return;
  DirectSoundSecondaryBuffer8& b = *SoundBuffers[slot];
  const D3DVECTOR coords = getSoundCoords(position);
  checkHResult(b.SetPan(std::clamp<Long>(CLng(coords.x), DSBPAN_LEFT, DSBPAN_RIGHT)));
  const Long z0 = CLng(coords.z);
  // Audible only while the attenuation is at most 20, falling off with its cube.
  Long base = -10000;
  if (z0 >= -20) base = CLng(static_cast<double>(z0) * z0 * z0);
  checkHResult(b.SetVolume(scaledVolume(base)));
  checkHResult(b.Play(DSBPLAY_LOOPING));
}

void StopSound(Integer handle) {
  const Integer slot = slotOf(handle);
  if (!inPool(slot) || !SoundBuffers[slot]) return;
  checkHResult(SoundBuffers[slot]->Stop());
  ReapSounds();
}

void ClearSound(Integer handle) {
  const Integer slot = slotOf(handle);
  if (!inPool(slot)) return;  // a ship without a loop holds -1; a freed handle names nothing
  freeSlot(slot);
}

void StopAllSounds() {
  for (Integer i = 0; i < SoundSlotCount; ++i) {
    const std::string& n = SoundNames[i];
    if (n.empty() || n == "warp2" || n == "warp_out" || !SoundBuffers[i]) continue;
    if (statusOf(i) != DSBSTATUS_TERMINATED) checkHResult(SoundBuffers[i]->Stop());
  }
  ReapSounds();
}

void setSoundVolume() {
  const double v = Player ? Player->soundVolume : 100.0;
  SoundFactor = static_cast<Single>((10000.0 - std::pow((100.0 - v) / 10.0, 4)) / 10000.0);
}

Single getSoundVolume() { return SoundFactor; }
