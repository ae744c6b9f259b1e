// The mixer and its output: an SDL audio device (44100 Hz, stereo float, mixed in SDL's callback
// thread under the device lock) or no device (voices advanced by a steady clock, or by tests). The
// voices' sum goes through the output limiter before it is played.
// Limits: no resampling of a playing voice (its frequency is kept, not applied); at most one
// device open. Depends on SDL2 (audio).
#include "platform/AudioMixer.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr int64_t kScratchFrames = 2048;

void deviceCallback(void* user, Uint8* stream, int bytes) {
  static_cast<AudioMixer*>(user)->render(reinterpret_cast<float*>(stream), bytes / static_cast<int>(2 * sizeof(float)));
}

float attenuation(Long hundredthsDb) {
  if (hundredthsDb <= DSBVOLUME_MIN) return 0.0f;
  return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}
}  // namespace

int64_t Voice::length() const {
  if (samples) return samples->frameCount();
  if (stream) return stream->length();
  return 0;
}

void stereoGains(Long volume, Long pan, float& left, float& right) {
  float g = attenuation(volume);
  left = right = g;
  if (pan > 0) left *= attenuation(-pan);
  if (pan < 0) right *= attenuation(pan);
}

// ---- the output limiter -------------------------------------------------------------------------------
OutputLimiter::OutputLimiter()
    : release_(static_cast<float>(std::exp(-1.0 / (kReleaseSeconds * kMixRate)))) {}

void OutputLimiter::reset() {
  envelope_ = 0;
  gain_ = 1;
  hold_ = 0;
}

float OutputLimiter::gainFor(float envelope) {
  if (envelope <= kKnee) return 1.0f;
  // The level leaves the knee with slope 1 and bends toward the ceiling.
  constexpr float width = kCeiling - kKnee;
  const float level = kKnee + width * -std::expm1(-(envelope - kKnee) / width);
  return level / envelope;
}

void OutputLimiter::process(float* stereo, int64_t frames) {
  for (int64_t i = 0; i < frames; ++i) {
    float& left = stereo[i * 2];
    float& right = stereo[i * 2 + 1];
    if (!std::isfinite(left)) left = 0;
    if (!std::isfinite(right)) right = 0;
    const float peak = std::min(std::max(std::fabs(left), std::fabs(right)), kLoudestMix);
    if (peak >= envelope_) {
      envelope_ = peak;
      hold_ = kHoldFrames;
    } else if (peak >= envelope_ * kHoldBand) {
      hold_ = kHoldFrames;
    } else if (hold_ > 0) {
      --hold_;
    } else {
      envelope_ = std::max(peak, envelope_ * release_);
      if (envelope_ < 1e-6f) envelope_ = 0;  // -120 dB: silence, kept out of denormal numbers
    }
    // Below the knee the gain is exactly 1 and the samples pass unchanged.
    gain_ = gainFor(envelope_);
    left = std::clamp(left * gain_, -1.0f, 1.0f);
    right = std::clamp(right * gain_, -1.0f, 1.0f);
  }
}

// ---- the mixer -----------------------------------------------------------------------------------------
AudioMixer::AudioMixer() : scratch_(static_cast<size_t>(kScratchFrames) * 2, 0.0f) {}

AudioMixer& AudioMixer::get() {
  static auto* mixer = new AudioMixer();
  return *mixer;
}

AudioMixer::Lock::Lock(AudioMixer& mixer) : mixer_(mixer), device_(mixer.device_) {
  if (device_) SDL_LockAudioDevice(device_);
}

AudioMixer::Lock::~Lock() {
  if (device_) SDL_UnlockAudioDevice(device_);
}

void AudioMixer::add(const std::shared_ptr<Voice>& voice) {
  Lock lock(*this);
  voices_.push_back(voice);
}

void AudioMixer::remove(const Voice* voice) {
  Lock lock(*this);
  std::erase_if(voices_, [voice](const std::shared_ptr<Voice>& v) { return v.get() == voice; });
}

bool AudioMixer::audioSystemUp() {
  if (!triedSystem_) {
    triedSystem_ = true;
    systemOk_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  }
  return systemOk_ && SDL_WasInit(SDL_INIT_AUDIO);
}

std::vector<std::string> AudioMixer::systemDevices() {
  std::vector<std::string> names;
  if (!audioSystemUp()) return names;
  int n = SDL_GetNumAudioDevices(0);
  for (int i = 0; i < n; ++i)
    if (const char* name = SDL_GetAudioDeviceName(i, 0)) names.emplace_back(name);
  return names;
}

void AudioMixer::openOutput(const std::string& device) {
  if (output_ != AudioOutput::Device || device_ != 0) return;
  if (!audioSystemUp()) {
    std::fprintf(stderr, "No audio system (%s): sound runs silent.\n", SDL_GetError());
    setOutput(AudioOutput::Silent);
    return;
  }
  SDL_AudioSpec want{}, have{};
  want.freq = kMixRate;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = deviceCallback;
  want.userdata = this;
  SDL_AudioDeviceID id = SDL_OpenAudioDevice(device.empty() ? nullptr : device.c_str(), 0, &want, &have, 0);
  if (id == 0) {
    std::fprintf(stderr, "The sound device could not be opened (%s): sound runs silent.\n", SDL_GetError());
    setOutput(AudioOutput::Silent);
    return;
  }
  device_ = id;
  SDL_PauseAudioDevice(device_, 0);
}

void AudioMixer::closeDevice() {
  if (!device_) return;
  SDL_CloseAudioDevice(device_);  // waits for a running callback
  device_ = 0;
}

void AudioMixer::setOutput(AudioOutput output) {
  closeDevice();
  output_ = output;
  clockRunning_ = false;
  limiter_.reset();
}

void AudioMixer::pumpClock() {
  auto now = std::chrono::steady_clock::now();
  if (!clockRunning_) {
    clockRunning_ = true;
    clockStart_ = now;
    clockFrames_ = 0;
    return;
  }
  double seconds = std::chrono::duration<double>(now - clockStart_).count();
  auto due = static_cast<int64_t>(seconds * kMixRate);
  if (due > clockFrames_) {
    advance(due - clockFrames_);
    clockFrames_ = due;
  }
}

void AudioMixer::advanceVoice(Voice& v, int64_t frames) {
  if (!v.playing || frames <= 0) return;
  int64_t len = v.length();
  if (v.looping && len > 0) {
    v.position = (v.position + frames) % len;
    return;
  }
  v.position += frames;
  if (v.position < len) return;
  if (v.atEnd == VoiceEnd::Hold) {
    v.position = len;
  } else {
    v.playing = false;
    v.position = 0;
  }
}

void AudioMixer::advance(int64_t frames) {
  Lock lock(*this);
  for (auto& v : voices_) advanceVoice(*v, frames);
}

void AudioMixer::mixVoice(Voice& v, float* out, int64_t frames) {
  int64_t done = 0;
  while (done < frames && v.playing) {
    int64_t len = v.length();
    if (v.position >= len) {
      if (v.looping && len > 0) {
        v.position = 0;
        continue;
      }
      if (v.atEnd == VoiceEnd::Hold) {
        v.position = len;
      } else {
        v.playing = false;
        v.position = 0;
      }
      return;
    }
    int64_t n = std::min(frames - done, len - v.position);
    float* dst = out + done * 2;
    if (v.samples) {
      const float* src = v.samples->frames.data() + v.position * 2;
      for (int64_t i = 0; i < n; ++i) {
        dst[i * 2] += src[i * 2] * v.gainLeft;
        dst[i * 2 + 1] += src[i * 2 + 1] * v.gainRight;
      }
    } else {
      n = std::min(n, kScratchFrames);
      if (v.streamAt != v.position) {
        v.stream->seek(v.position);
        v.streamAt = v.position;
      }
      int64_t got = v.stream->read(scratch_.data(), n);
      for (int64_t i = 0; i < got; ++i) {
        dst[i * 2] += scratch_[i * 2] * v.gainLeft;
        dst[i * 2 + 1] += scratch_[i * 2 + 1] * v.gainRight;
      }
      v.streamAt += got;
      if (got < n) {  // the decoder ended early: that is the end
        v.position = len;
        continue;
      }
    }
    v.position += n;
    done += n;
  }
}

void AudioMixer::render(float* out, int64_t frames) {
  std::fill(out, out + frames * 2, 0.0f);
  for (auto& v : voices_) mixVoice(*v, out, frames);
  limiter_.process(out, frames);
}

// ---- the output configuration and test clock ---------------------------------------------------------
void setAudioOutput(AudioOutput output) { AudioMixer::get().setOutput(output); }
AudioOutput audioOutput() { return AudioMixer::get().output(); }

void advanceAudioForTests(double seconds) {
  AudioMixer::get().advance(static_cast<int64_t>(std::llround(seconds * kMixRate)));
}

std::vector<float> renderAudioForTests(int32_t frames) {
  std::vector<float> out(static_cast<size_t>(std::max(0, frames)) * 2);
  AudioMixer& mixer = AudioMixer::get();
  AudioMixer::Lock lock(mixer);
  mixer.render(out.data(), frames);
  return out;
}
