// DirectSound 8 over the mixer: device enumeration and creation, wave files converted once to the
// mixer's format (SDL's wave reader and converter), buffers as mixer voices.
// Depends on SDL2 (wave reading and conversion); the mixer (AudioMixer.cpp).
#include "platform/DirectSound.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>

#include "platform/AudioMixer.h"
#include "platform/DeviceBackend.h"
#include "platform/Direct3D.h"
#include "platform/Window.h"
#include "platform/WorkerPool.h"
#include "runtime/Paths.h"

namespace {
constexpr const char* kPrimaryName = "Primary Sound Driver";

uint32_t le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

// Walks the RIFF chunks before anything is decoded: every chunk must fit in the file, and the
// "fmt " and "data" chunks must be there. "" when the file is sound, else why not.
std::string checkWaveChunks(const std::string& file) {
  const auto* data = reinterpret_cast<const uint8_t*>(file.data());
  if (file.size() < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
    return "not a RIFF WAVE file";
  bool fmt = false, dataChunk = false;
  size_t pos = 12;
  while (pos + 8 <= file.size()) {
    const std::string id(reinterpret_cast<const char*>(data + pos), 4);
    const uint64_t size = le32(data + pos + 4);
    const uint64_t left = file.size() - pos - 8;
    if (size > left)
      return "the \"" + id + "\" chunk claims " + std::to_string(size) + " bytes where the file holds " +
             std::to_string(left);
    if (id == "fmt ") fmt = true;
    if (id == "data") {
      if (!fmt) return "the \"data\" chunk comes before the \"fmt \" chunk";
      dataChunk = true;
    }
    pos += 8 + size + (size & 1);
  }
  if (!fmt) return "no \"fmt \" chunk";
  if (!dataChunk) return "no \"data\" chunk";
  return "";
}

// The wave file's samples at the mixer's rate, stereo float (SDL's converter keeps the exact
// length: frames x 44100 / the file's rate), or the failure with its reason. Touches no shared
// state of the program (SDL's error text is kept per thread): any thread may run it.
struct WaveRead {
  HResult hr = D3D_OK;
  std::string error;
  std::shared_ptr<SampleData> data;
};
WaveRead decodeWave(const std::string& path) {
  WaveRead read;
  auto fail = [&](HResult hr, const std::string& why) {
    read.hr = hr;
    read.error = path + ": " + why;
    read.data.reset();
    return read;
  };
  std::string bytes;
  if (readWholeFile(path, bytes) != FileRead::Read) return fail(DSERR_FILENOTFOUND, "the file cannot be read");
  if (const std::string fault = checkWaveChunks(bytes); !fault.empty()) return fail(DSERR_BADFORMAT, fault);
  SDL_AudioSpec wav{};
  Uint8* pcm = nullptr;
  Uint32 pcmBytes = 0;
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!rw || !SDL_LoadWAV_RW(rw, 1, &wav, &pcm, &pcmBytes)) return fail(DSERR_BADFORMAT, SDL_GetError());
  auto out = std::make_shared<SampleData>();
  out->sourceRate = wav.freq;
  out->sourceBlockAlign = static_cast<int32_t>(SDL_AUDIO_BITSIZE(wav.format) / 8 * wav.channels);
  out->sourceBytes = pcmBytes;
  read.data = out;
  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, wav.format, wav.channels, wav.freq, AUDIO_F32SYS, 2, kMixRate) < 0) {
    fail(DSERR_BADFORMAT, SDL_GetError());
  } else if (pcmBytes > static_cast<Uint32>(INT32_MAX / std::max(cvt.len_mult, 1) / 2)) {
    fail(DSERR_BADFORMAT, "the wave is too long");
  } else if (pcmBytes > 0) {
    std::vector<uint8_t> work(static_cast<size_t>(pcmBytes) * std::max(cvt.len_mult, 1));
    std::memcpy(work.data(), pcm, pcmBytes);
    cvt.buf = work.data();
    cvt.len = static_cast<int>(pcmBytes);
    if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) {
      fail(DSERR_BADFORMAT, SDL_GetError());
    } else {
      size_t outBytes = cvt.needed ? static_cast<size_t>(cvt.len_cvt) : pcmBytes;
      out->frames.resize(outBytes / sizeof(float) / 2 * 2);
      std::memcpy(out->frames.data(), work.data(), out->frames.size() * sizeof(float));
    }
  }
  SDL_FreeWAV(pcm);
  return read;
}

// Mixer frames <-> bytes of the wave's own format.
int64_t framesFromBytes(const SampleData& d, int64_t bytes) {
  if (d.sourceBlockAlign <= 0 || d.sourceRate <= 0) return 0;
  return bytes / d.sourceBlockAlign * kMixRate / d.sourceRate;
}
int64_t bytesFromFrames(const SampleData& d, int64_t frames) {
  return frames * d.sourceRate / kMixRate * d.sourceBlockAlign;
}
}  // namespace

// ---- enumeration and creation ----------------------------------------------------------------------
std::shared_ptr<DirectSoundEnum8> DirectX8::GetDSEnum() {
  auto list = std::make_shared<DirectSoundEnum8>();
  AudioMixer& mixer = AudioMixer::get();
  list->none_ = mixer.output() == AudioOutput::None;
  if (mixer.output() == AudioOutput::Device) list->names_ = mixer.systemDevices();
  return list;
}

Long DirectSoundEnum8::GetCount() { return none_ ? 0 : static_cast<Long>(names_.size() + 1); }

std::string DirectSoundEnum8::GetGuid(Long index) {
  if (index <= 1 || index > GetCount()) return "";
  return "{QV-AUDIO-" + std::to_string(index) + "}";
}

std::string DirectSoundEnum8::GetDescription(Long index) {
  if (index < 1 || index > GetCount()) return "";
  return index == 1 ? kPrimaryName : names_[static_cast<size_t>(index - 2)];
}

HResult DirectX8::DirectSoundCreate(const std::string& guid, std::shared_ptr<DirectSound8>& device) {
  AudioMixer& mixer = AudioMixer::get();
  if (mixer.output() == AudioOutput::None) return reportFailure(DSERR_NODRIVER, "there is no sound device");
  std::string name;
  if (!guid.empty()) {
    const std::string prefix = "{QV-AUDIO-";
    std::vector<std::string> names = mixer.output() == AudioOutput::Device ? mixer.systemDevices() : std::vector<std::string>{};
    size_t index = 0;
    if (guid.rfind(prefix, 0) == 0) index = std::strtoul(guid.c_str() + prefix.size(), nullptr, 10);
    if (index < 2 || index - 2 >= names.size()) return reportFailure(DSERR_NODRIVER, "no sound device " + guid);
    name = names[index - 2];
  }
  mixer.openOutput(name);
  device = std::make_shared<DirectSound8>();
  return D3D_OK;
}

HResult DirectSound8::SetCooperativeLevel(HWND hWnd, Long level) {
  if (!windowFromHandle(hWnd)) return reportFailure(DSERR_INVALIDPARAM, "no window " + std::to_string(hWnd));
  if (level < DSSCL_NORMAL || level > 4) return reportFailure(DSERR_INVALIDPARAM, "cooperative level " + std::to_string(level));
  level_ = level;
  return D3D_OK;
}

// Wave files being decoded ahead on worker threads, by path.
struct DirectSound8::Prefetched {
  std::map<std::string, WorkerResult<WaveRead>> waves;
};

DirectSound8::DirectSound8() = default;
DirectSound8::~DirectSound8() = default;

void DirectSound8::PrefetchWaveFiles(const std::vector<std::string>& paths) {
  if (!prefetched_) prefetched_ = std::make_unique<Prefetched>();
  for (const std::string& path : paths)
    if (!prefetched_->waves.count(path))
      prefetched_->waves.emplace(path, runOnWorker<WaveRead>([path] { return decodeWave(path); }));
}

void DirectSound8::DropPrefetchedWaves() {
  if (prefetched_)
    for (auto& [path, wave] : prefetched_->waves) wave.abandon();
  prefetched_.reset();
}

HResult DirectSound8::CreateSoundBufferFromFile(const std::string& path, const DSBUFFERDESC& desc,
                                                std::shared_ptr<DirectSoundSecondaryBuffer8>& buffer) {
  WaveRead read;
  bool decoded = false;
  if (prefetched_) {
    auto ahead = prefetched_->waves.find(path);
    if (ahead != prefetched_->waves.end()) {
      read = ahead->second.get();
      prefetched_->waves.erase(ahead);
      decoded = true;
    }
  }
  if (!decoded) read = decodeWave(path);
  if (FAILED(read.hr)) return reportFailure(read.hr, read.error);
  std::shared_ptr<SampleData> data = std::move(read.data);
  auto voice = std::make_shared<Voice>();
  voice->samples = data;
  AudioMixer::get().add(voice);
  buffer = std::make_shared<DirectSoundSecondaryBuffer8>(voice, desc.lFlags, data->sourceRate);
  return D3D_OK;
}

HResult DirectSound8::DuplicateSoundBuffer(const std::shared_ptr<DirectSoundSecondaryBuffer8>& original,
                                           std::shared_ptr<DirectSoundSecondaryBuffer8>& duplicate) {
  if (!original) return reportFailure(DSERR_INVALIDPARAM, "no buffer to duplicate");
  AudioMixer& mixer = AudioMixer::get();
  auto voice = std::make_shared<Voice>();
  {
    AudioMixer::Lock lock(mixer);
    voice->samples = original->voice_->samples;
    voice->gainLeft = original->voice_->gainLeft;
    voice->gainRight = original->voice_->gainRight;
  }
  mixer.add(voice);
  auto copy = std::make_shared<DirectSoundSecondaryBuffer8>(voice, original->flags_, original->frequency_);
  copy->volume_ = original->volume_;
  copy->pan_ = original->pan_;
  duplicate = std::move(copy);
  return D3D_OK;
}

// ---- buffers --------------------------------------------------------------------------------------------
DirectSoundSecondaryBuffer8::DirectSoundSecondaryBuffer8(std::shared_ptr<Voice> voice, Long flags, Long frequency)
    : voice_(std::move(voice)), flags_(flags), frequency_(frequency) {}

DirectSoundSecondaryBuffer8::~DirectSoundSecondaryBuffer8() { AudioMixer::get().remove(voice_.get()); }

Long DirectSoundSecondaryBuffer8::GetStatus() {
  AudioMixer& mixer = AudioMixer::get();
  mixer.pump();
  // The flags are read without the lock: the device's callback only ever clears playing.
  if (!voice_->playing) return 0;
  return voice_->looping ? DSBSTATUS_PLAYING | DSBSTATUS_LOOPING : DSBSTATUS_PLAYING;
}

HResult DirectSoundSecondaryBuffer8::Play(Long flags) {
  AudioMixer& mixer = AudioMixer::get();
  mixer.pump();
  const bool looping = (flags & DSBPLAY_LOOPING) != 0;
  if (voice_->playing && voice_->looping == looping) return D3D_OK;  // already so: nothing to change
  AudioMixer::Lock lock(mixer);
  voice_->looping = looping;
  voice_->playing = true;
  return D3D_OK;
}

HResult DirectSoundSecondaryBuffer8::Stop() {
  AudioMixer& mixer = AudioMixer::get();
  mixer.pump();
  AudioMixer::Lock lock(mixer);
  voice_->playing = false;
  return D3D_OK;
}

Long DirectSoundSecondaryBuffer8::BufferBytes() const {
  return static_cast<Long>(std::min<int64_t>(voice_->samples->sourceBytes, INT32_MAX));
}

HResult DirectSoundSecondaryBuffer8::SetCurrentPosition(Long bytes) {
  if (bytes < 0 || bytes > BufferBytes())
    return reportFailure(DSERR_INVALIDPARAM, "position " + std::to_string(bytes) + " passes the buffer");
  AudioMixer& mixer = AudioMixer::get();
  mixer.pump();
  AudioMixer::Lock lock(mixer);
  voice_->position = std::min(framesFromBytes(*voice_->samples, bytes), voice_->length());
  return D3D_OK;
}

HResult DirectSoundSecondaryBuffer8::GetCurrentPosition(DSCURSORS& cursors) {
  AudioMixer& mixer = AudioMixer::get();
  mixer.pump();
  AudioMixer::Lock lock(mixer);
  cursors.lPlay = static_cast<Long>(bytesFromFrames(*voice_->samples, voice_->position));
  cursors.lWrite = cursors.lPlay;
  return D3D_OK;
}

HResult DirectSoundSecondaryBuffer8::SetVolume(Long volume) {
  if (!(flags_ & DSBCAPS_CTRLVOLUME)) return reportFailure(DSERR_INVALIDCALL, "the buffer has no volume control");
  if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX)
    return reportFailure(DSERR_INVALIDPARAM, "volume " + std::to_string(volume));
  if (volume == volume_) return D3D_OK;  // the gains already follow it
  volume_ = volume;
  AudioMixer::Lock lock(AudioMixer::get());
  stereoGains(volume_, pan_, voice_->gainLeft, voice_->gainRight);
  return D3D_OK;
}

HResult DirectSoundSecondaryBuffer8::SetPan(Long pan) {
  if (!(flags_ & DSBCAPS_CTRLPAN)) return reportFailure(DSERR_INVALIDCALL, "the buffer has no pan control");
  if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return reportFailure(DSERR_INVALIDPARAM, "pan " + std::to_string(pan));
  if (pan == pan_) return D3D_OK;  // the gains already follow it
  pan_ = pan;
  AudioMixer::Lock lock(AudioMixer::get());
  stereoGains(volume_, pan_, voice_->gainLeft, voice_->gainRight);
  return D3D_OK;
}

HResult DirectSoundSecondaryBuffer8::SetFrequency(Long hz) {
  if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return reportFailure(DSERR_INVALIDCALL, "the buffer has no frequency control");
  if (hz < 100 || hz > 200000) return reportFailure(DSERR_INVALIDPARAM, "frequency " + std::to_string(hz));
  frequency_ = hz;
  return D3D_OK;
}
