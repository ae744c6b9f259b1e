// soundMod: the pool of 128 sound-effect slots played through DirectSound 8. Each loaded wave file
// ("\sfx\" + name + ".wav") keeps one slot for the life of the program; the other slots hold
// short-lived copies (duplicates sharing the wave data): "killmesoon" one-shot copies of a sound
// heard again while it plays, "killmeplenty" looping copies (ships' engines, the tractor).
// Copies are freed by ReapSounds once they no longer play (one-shot) or no longer loop.
// Units are DirectSound's: volume in hundredths of a dB -10000..0, pan -10000 (left)..10000.
// Integer volumes and pans are rounded half to even. Main thread only.
//
// Sounds are named by handles: LoadSound and StartLoopSound give them, -1 is none, and every play
// and stop takes one. A handle is the slot number 0..127 plus 128 times the number of times the
// slot had been freed before (mod 256), so a loaded sound's handle is its slot from a fresh
// InitSound, and a handle kept after its copy was freed (reaped, cleared, or StopAllSounds) names
// nothing, even when its slot holds another sound by then (until that slot has been freed 256
// times more).
//
// Without a sound device (none enumerated, or its creation failed) loaded slots keep their names
// but hold no buffer: nothing plays, StartLoopSound answers -1, the game goes on silent. A wave
// file that cannot be loaded is reported (unforced "Error in LoadSound: ...") and its name gets no
// slot (-1), which every play and stop ignores.
#pragma once
#include <array>
#include <memory>
#include <string>

#include "platform/D3DTypes.h"
#include "platform/DirectSound.h"
#include "runtime/Numbers.h"

constexpr Integer SoundSlotCount = 128;

// Name of each slot: "" free; a sound's name for a loaded sound; "killmesoon" a one-shot copy;
// "killmeplenty" a looping copy. A slot is free exactly when its name is empty.
extern std::array<std::string, SoundSlotCount> SoundNames;
// The buffer of each slot, or none.
extern std::array<std::shared_ptr<DirectSoundSecondaryBuffer8>, SoundSlotCount> SoundBuffers;
extern std::shared_ptr<DirectSound8> SoundDevice;           // none without a sound device
extern std::shared_ptr<DirectSoundEnum8> SoundDeviceList;   // kept from InitSound
extern Single SoundFactor;     // effect-volume factor 0..1 from the player's sound volume
extern Integer LastDupSound;   // slot that positional play last copied this frame; -1 none (reset each frame)

// Sound slots filled by the loader, one per wave file of "\sfx\" (-1 until loaded).
extern Integer SndLaser, SndExplode, SndRocket, SndRocker, SndFlame2, SndMiniExplode, SndRail, SndWarp2,
    SndWarpOut, SndBeep, SndTractor, SndVulcan, SndShotgun, SndMiniWarp, SndMiniWarpOut, SndRoll, SndSniper,
    SndCross, SndBassplode, SndWarpTrans, SndDock, SndSpawn, SndDark, SndNeutron, SndBulletIn, SndBulletOut,
    SndRico, SndChime, SndLevUp, SndCrash;
extern Integer SndJet[4];      // "jet", "jet2", "jet3", "jet4"

// Empties all 128 slots (releasing their buffers), creates DX when needed, and opens the first
// enumerated device with the normal cooperative level on frmMain's window. Called once by
// LoadSounds before any sound is loaded.
void InitSound();
// The handle of the slot holding name (the last match), else of the first free slot, loading
// "\sfx\" + name + ".wav" into it (again, when already loaded). -1 when the pool is full, or when
// the file cannot be loaded into a slot that held nothing (reported, unforced).
Integer LoadSound(const std::string& name);
// Creates the slot's buffer from "\sfx\" + name + ".wav" and names the slot. Raises VbError when
// the file cannot be loaded; the slot is then left as it was. Without a device only names it.
void LoadSoundFile(Integer slot, const std::string& name);
// The lowest free slot (a slot, not a handle); when none: "sound overflow!" (unforced), reap, -1.
Integer getFreeSound();
void ReapSounds();                                    // frees finished copies
void PlaySound(Integer handle);                       // flat play; nothing while sound is off
void PlaySound3D(Integer handle, const D3DVECTOR& position);  // positional play; nothing while sound is off
// Handle of a new looping copy of the loaded sound, not yet started: the caller calls
// UpdateLoopSound on it at once. -1 when the pool is full, the handle names no loaded sound, or
// there is no device.
Integer StartLoopSound(Integer handle);
void UpdateLoopSound(Integer handle, const D3DVECTOR& position);  // keeps a looping copy playing
void StopSound(Integer handle);                       // stops its sound, then reaps
void ClearSound(Integer handle);                      // empties its slot without stopping it
void StopAllSounds();                                 // stops all but "warp2" and "warp_out", then reaps
// SoundFactor = (10000 - ((100 - v) / 10)^4) / 10000 for v = Player->soundVolume (100 without a
// player record). Called by initGame and the sound options page.
void setSoundVolume();
Single getSoundVolume();                              // SoundFactor
// The wave file LoadSoundFile reads for a name: the program's folder + "\sfx\" + name + ".wav".
std::string soundFilePath(const std::string& name);
