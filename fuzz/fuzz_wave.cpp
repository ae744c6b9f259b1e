// WAV sounds, through the sound device's buffer creation (no output device).
#include <memory>

#include "fuzz/FuzzGame.h"
#include "platform/Direct3D.h"
#include "platform/DirectSound.h"
#include "runtime/Paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::shared_ptr<DirectSound8> sound = [] {
    setAudioOutput(AudioOutput::Manual);
    DirectX8 dx;
    std::shared_ptr<DirectSound8> d;
    dx.DirectSoundCreate("", d);
    return d;
  }();
  fuzzWrite("\\sfx\\fz.wav", data, size);
  if (!sound) return 0;
  DSBUFFERDESC desc;
  desc.lFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
  std::shared_ptr<DirectSoundSecondaryBuffer8> buffer;
  sound->CreateSoundBufferFromFile(resolvePath("\\sfx\\fz.wav"), desc, buffer);
  return 0;
}
