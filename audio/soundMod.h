// soundMod: the pool of 128 sound-effect slots. This far a silent pool: slots are named and handed
// out as the game relies on (a loaded name keeps its slot, copies take free slots and are reaped),
// but no device is opened and nothing is heard. Slot numbers are Integer 0..127, -1 none.
// Main thread only.
#pragma once
#include <array>
#include <string>

#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

constexpr Integer SoundSlotCount = 128;

// Name of each slot: "" free; a sound's name for a loaded sound; "killmesoon" a one-shot copy;
// "killmeplenty" a looping copy.
extern std::array<std::string, SoundSlotCount> SoundNames;
extern Single SoundFactor;     // effect-volume factor 0..1 from the player's sound volume
extern Integer LastDupSound;   // slot that positional play last copied this frame; -1 none (reset each frame)

// Sound slots filled by the loader, one per wave file of "\sfx\" (-1 until loaded).
extern Integer SndLaser, SndExplode, SndRocket, SndRocker, SndFlame2, SndMiniExplode, SndRail, SndWarp2,
    SndWarpOut, SndBeep, SndTractor, SndVulcan, SndShotgun, SndMiniWarp, SndMiniWarpOut, SndRoll, SndSniper,
    SndCross, SndBassplode, SndWarpTrans, SndDock, SndSpawn, SndDark, SndNeutron, SndBulletIn, SndBulletOut,
    SndRico, SndChime, SndLevUp, SndCrash;
extern Integer SndJet[4];      // "jet", "jet2", "jet3", "jet4"

void InitSound();                                     // empties all 128 slots
Integer LoadSound(const std::string& name);           // the slot holding name (the last), else the first free; -1 when full
Integer getFreeSound();                               // lowest free slot; when none: "sound overflow!" (unforced), reap, -1
void ReapSounds();                                    // frees finished copies
void PlaySound(Integer slot);                         // flat play; nothing while sound is off
void PlaySound3D(Integer slot, const D3DVECTOR& position);  // positional play; nothing while sound is off
Integer StartLoopSound(Integer slot);                 // slot of a new looping copy, -1 when the pool is full
void UpdateLoopSound(Integer slot, const D3DVECTOR& position);  // keeps a looping copy playing
void StopSound(Integer slot);                         // stops the slot, then reaps
void ClearSound(Integer slot);                        // empties the slot without stopping it
void StopAllSounds();                                 // stops all but "warp2" and "warp_out", then reaps
void setSoundVolume();                                // SoundFactor from Player->soundVolume
