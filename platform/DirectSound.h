// The DirectSound 8 objects the game plays its effects with: the enumeration of output devices
// (DirectSoundEnum8), the device (DirectSound8: cooperative level, buffers from wave files,
// duplicates) and secondary buffers (status, play once or looped, stop, position, volume, pan).
//
// Usage, as the DirectX 8 automation library offered it:
//   auto list = DX->GetDSEnum();                  // device 1 is the primary (default) device
//   DX->DirectSoundCreate(list->GetGuid(1), SoundDevice);
//   SoundDevice->SetCooperativeLevel(frmMain.hWnd(), DSSCL_NORMAL);
//   DSBUFFERDESC desc; desc.lFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;  // 224
//   SoundDevice->CreateSoundBufferFromFile(resolvePath("\\sfx\\laser.wav"), desc, buffer);
// Every method returns an HResult (checkHResult raises a failure with its description).
//
// Buffers are mixed by one mixer: 44100 Hz stereo, each buffer's wave converted once when it is
// loaded, the sum kept within full scale by a limiter that leaves a mix below -0.9 dB untouched.
// A duplicate shares its source's samples and starts stopped at position 0 with the source's
// volume and pan. Status: 1 playing once, 5 playing looped, 0 stopped (32, terminated,
// is never answered: no device is ever lost here). A buffer played once stops at its end and its
// position returns to 0. Releasing a buffer (the last reference) stops it.
// Without a sound device (none in the system, or SDL_AUDIODRIVER=dummy unavailable) the mixer
// runs silent: positions and status still advance with the clock, so the game's sound pool works
// the same. Tests choose AudioOutput::Manual and move time with advanceAudioForTests.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"

// Buffer-description flags (224 = all three), cooperative level, play flags, status bits.
constexpr Long DSBCAPS_CTRLFREQUENCY = 32;
constexpr Long DSBCAPS_CTRLPAN = 64;
constexpr Long DSBCAPS_CTRLVOLUME = 128;
constexpr Long DSSCL_NORMAL = 1;
constexpr Long DSSCL_PRIORITY = 2;
constexpr Long DSBPLAY_DEFAULT = 0;
constexpr Long DSBPLAY_LOOPING = 1;
constexpr Long DSBSTATUS_PLAYING = 1;
constexpr Long DSBSTATUS_LOOPING = 4;
constexpr Long DSBSTATUS_TERMINATED = 32;
constexpr Long DSBVOLUME_MIN = -10000, DSBVOLUME_MAX = 0;
constexpr Long DSBPAN_LEFT = -10000, DSBPAN_CENTER = 0, DSBPAN_RIGHT = 10000;

// What a buffer is created with: lFlags (the control capabilities); the other fields are kept
// and unused (the buffer takes its size and format from the file).
struct DSBUFFERDESC {
  Long lFlags = 0;
  Long lBufferBytes = 0;
  Long lReserved = 0;
};

// Play and write cursors in bytes of the buffer's wave format.
struct DSCURSORS {
  Long lPlay = 0;
  Long lWrite = 0;
};

// How sound is heard. Device: the system's default device (SDL), falling back to Silent when it
// cannot be opened. Silent: no device; voices advance with the clock. Manual: no device; voices
// advance only through advanceAudioForTests / renderAudioForTests. None: no output device is
// enumerated at all (the game then has no sound device object).
enum class AudioOutput { Device, Silent, Manual, None };
void setAudioOutput(AudioOutput output);
AudioOutput audioOutput();
// Tests (Manual output): moves every voice on by seconds (rounded to whole 1/44100 s frames) /
// mixes the next frames into stereo (left, right) floats, as a device would play them.
void advanceAudioForTests(double seconds);
std::vector<float> renderAudioForTests(int32_t frames);

class DirectSoundSecondaryBuffer8;
struct Voice;

class DirectSoundEnum8 {
 public:
  // Output devices: 1 is the primary (default) device, 2.. the system's named devices. One
  // device (the primary, heard or silent) when the system has none; 0 under AudioOutput::None.
  Long GetCount();
  std::string GetGuid(Long index);         // "" for the primary; index 1..GetCount()
  std::string GetDescription(Long index);  // "Primary Sound Driver", or the device's name

 private:
  friend class DirectX8;
  std::vector<std::string> names_;  // system device names, 2..
  bool none_ = false;
};

class DirectSound8 {
 public:
  DirectSound8();
  ~DirectSound8();
  // hWnd: a game window; level DSSCL_NORMAL (1) .. 4. DSERR_INVALIDPARAM otherwise.
  HResult SetCooperativeLevel(HWND hWnd, Long level);
  Long CooperativeLevel() const { return level_; }
  // A buffer holding the wave file at path (a real path). DSERR_FILENOTFOUND for a missing or
  // unreadable file, DSERR_BADFORMAT for one that is not a wave this layer reads (the detail is in
  // lastErrorDescription); buffer is left unchanged on failure.
  HResult CreateSoundBufferFromFile(const std::string& path, const DSBUFFERDESC& desc,
                                    std::shared_ptr<DirectSoundSecondaryBuffer8>& buffer);
  // A buffer sharing original's samples, stopped at 0, with its volume, pan and frequency.
  HResult DuplicateSoundBuffer(const std::shared_ptr<DirectSoundSecondaryBuffer8>& original,
                               std::shared_ptr<DirectSoundSecondaryBuffer8>& duplicate);
  // Starts reading and converting these wave files (real paths) on worker threads, so that
  // CreateSoundBufferFromFile of one of them finds it done (or waits for it) instead of reading
  // it then, with the same result and messages. DropPrefetchedWaves forgets those not asked for.
  void PrefetchWaveFiles(const std::vector<std::string>& paths);
  void DropPrefetchedWaves();

 private:
  struct Prefetched;
  Long level_ = 0;
  std::unique_ptr<Prefetched> prefetched_;
};

class DirectSoundSecondaryBuffer8 {
 public:
  ~DirectSoundSecondaryBuffer8();
  DirectSoundSecondaryBuffer8(const DirectSoundSecondaryBuffer8&) = delete;
  DirectSoundSecondaryBuffer8& operator=(const DirectSoundSecondaryBuffer8&) = delete;

  Long GetStatus();                 // DSBSTATUS_PLAYING (| DSBSTATUS_LOOPING) or 0
  // Starts (or keeps) playing from the current position; flags DSBPLAY_LOOPING loops. A playing
  // buffer only takes the new looping flag.
  HResult Play(Long flags);
  HResult Stop();                   // keeps the position
  // Bytes of the wave format, 0..buffer size; DSERR_INVALIDPARAM beyond.
  HResult SetCurrentPosition(Long bytes);
  HResult GetCurrentPosition(DSCURSORS& cursors);
  // DSBVOLUME_MIN..DSBVOLUME_MAX / DSBPAN_LEFT..DSBPAN_RIGHT, else DSERR_INVALIDPARAM; without
  // the matching capability DSERR_INVALIDCALL.
  HResult SetVolume(Long volume);
  Long GetVolume() const { return volume_; }
  HResult SetPan(Long pan);
  Long GetPan() const { return pan_; }
  // Kept (100..200000 Hz, else DSERR_INVALIDPARAM); playback stays at the file's rate.
  HResult SetFrequency(Long hz);
  Long GetFrequency() const { return frequency_; }
  Long BufferBytes() const;         // the wave's data bytes
  Long Flags() const { return flags_; }

  DirectSoundSecondaryBuffer8(std::shared_ptr<Voice> voice, Long flags, Long frequency);

 private:
  friend class DirectSound8;
  std::shared_ptr<Voice> voice_;
  Long flags_, volume_ = 0, pan_ = 0, frequency_;
};
