#include "audio/soundMod.h"

#include <cmath>

#include "campaign/CPlayer.h"
#include "engine/MessageLog.h"

std::array<std::string, SoundSlotCount> SoundNames;
Single SoundFactor = 1;
Integer LastDupSound = -1;

Integer SndLaser = -1, SndExplode = -1, SndRocket = -1, SndRocker = -1, SndFlame2 = -1, SndMiniExplode = -1,
        SndRail = -1, SndWarp2 = -1, SndWarpOut = -1, SndBeep = -1, SndTractor = -1, SndVulcan = -1,
        SndShotgun = -1, SndMiniWarp = -1, SndMiniWarpOut = -1, SndRoll = -1, SndSniper = -1, SndCross = -1,
        SndBassplode = -1, SndWarpTrans = -1, SndDock = -1, SndSpawn = -1, SndDark = -1, SndNeutron = -1,
        SndBulletIn = -1, SndBulletOut = -1, SndRico = -1, SndChime = -1, SndLevUp = -1, SndCrash = -1;
Integer SndJet[4] = {-1, -1, -1, -1};

namespace {
// Stand-in for the buffer status: true while a slot plays looped. Nothing plays once.
std::array<bool, SoundSlotCount> Looping{};

bool inPool(Integer slot) { return slot >= 0 && slot < SoundSlotCount; }
bool soundOn() { return Player && Player->bSound; }
}  // namespace

void InitSound() {
  for (Integer i = 0; i < SoundSlotCount; ++i) {
    SoundNames[i].clear();
    Looping[i] = false;
  }
}

Integer LoadSound(const std::string& name) {
  Integer slot = -1;
  for (Integer i = 0; i < SoundSlotCount; ++i)
    if (SoundNames[i] == name) slot = i;
  if (slot == -1) {
    for (Integer i = 0; i < SoundSlotCount && slot == -1; ++i)
      if (SoundNames[i].empty()) slot = i;
  }
  if (slot != -1) {
    SoundNames[slot] = name;
    Looping[slot] = false;
  }
  return slot;
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
    bool finished = SoundNames[i] == "killmesoon" || (SoundNames[i] == "killmeplenty" && !Looping[i]);
    if (finished) {
      SoundNames[i].clear();
      Looping[i] = false;
    }
  }
}

void PlaySound(Integer /*slot*/) {
  if (!soundOn()) return;
  ReapSounds();
}

void PlaySound3D(Integer /*slot*/, const D3DVECTOR& /*position*/) {
  if (!soundOn()) return;
  ReapSounds();
}

Integer StartLoopSound(Integer slot) {
  (void)slot;
  Integer copy = getFreeSound();
  if (copy != -1) {
    SoundNames[copy] = "killmeplenty";
    Looping[copy] = false;
  }
  return copy;
}

void UpdateLoopSound(Integer slot, const D3DVECTOR& /*position*/) {
  if (!soundOn() || !inPool(slot) || SoundNames[slot].empty()) return;
  Looping[slot] = true;
}

void StopSound(Integer slot) {
  if (!inPool(slot) || SoundNames[slot].empty()) return;
  Looping[slot] = false;
  ReapSounds();
}

void ClearSound(Integer slot) {
  if (!inPool(slot)) return;
  SoundNames[slot].clear();
  Looping[slot] = false;
}

void StopAllSounds() {
  for (Integer i = 0; i < SoundSlotCount; ++i) {
    const std::string& n = SoundNames[i];
    if (!n.empty() && n != "warp2" && n != "warp_out") Looping[i] = false;
  }
  ReapSounds();
}

void setSoundVolume() {
  double v = Player ? Player->soundVolume : 100.0;
  SoundFactor = static_cast<Single>((10000.0 - std::pow((100.0 - v) / 10.0, 4)) / 10000.0);
}
