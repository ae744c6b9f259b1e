// The one mixer behind sound buffers (DirectSound.h) and mp3 graphs (DirectShow.h). Internal to
// platform/. Voices are stereo float at 44100 Hz, from samples in memory (shared by duplicates)
// or from a decoder stream; each has a position in frames, play and loop flags, what happens at
// its end, and left/right gains. The voices' sum passes the output limiter, so what is heard stays
// within full scale however many voices play at once. The output is an SDL audio device whose
// callback mixes on SDL's thread, or none: then voices advance by the clock (silent) or only when
// tests advance them (tests render the limited output sample by sample, with no delay).
// Voice fields change only under AudioMixer::Lock; the play and loop flags may also be read
// without it (a buffer's status).
#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/DirectSound.h"

constexpr int32_t kMixRate = 44100;

// Converted wave data: frames of left, right.
struct SampleData {
  std::vector<float> frames;
  int32_t sourceRate = kMixRate;      // the file's frames per second
  int32_t sourceBlockAlign = 4;       // the file's bytes per frame
  int64_t sourceBytes = 0;            // the file's data bytes
  int64_t frameCount() const { return static_cast<int64_t>(frames.size() / 2); }
};

// A decoder that produces a voice's frames on demand (mp3 tracks).
class VoiceStream {
 public:
  virtual ~VoiceStream() = default;
  virtual int64_t length() const = 0;                      // frames
  virtual bool seek(int64_t frame) = 0;
  virtual int64_t read(float* stereo, int64_t frames) = 0;  // frames written; fewer at the end
};

enum class VoiceEnd {
  StopAndRewind,  // a sound buffer played once: stops, position 0
  Hold            // a music track: stays running, silent, at its end
};

struct Voice {
  std::shared_ptr<const SampleData> samples;  // or
  std::unique_ptr<VoiceStream> stream;
  int64_t position = 0;   // frames
  int64_t streamAt = 0;   // where the stream's decoder stands
  std::atomic<bool> playing{false}, looping{false};
  VoiceEnd atEnd = VoiceEnd::StopAndRewind;
  float gainLeft = 1, gainRight = 1;
  int64_t length() const;
};

// DirectSound's laws: volume (hundredths of a dB, -10000..0) scales both channels by
// 10^(volume / 2000); pan p > 0 scales the left channel by 10^(-p / 2000), p < 0 the right by
// 10^(p / 2000). -10000 (and pan +-10000 for the far channel) is silence: exactly 0.
void stereoGains(Long volume, Long pan, float& left, float& right);

// Keeps a stereo stream of float samples within full scale, with no delay. A frame's peak p (the
// larger of |left|, |right|) drives an envelope that follows a higher peak at once, holds for
// kHoldFrames while peaks stay within kHoldBand of it, then falls back toward the present peak with
// the time constant kReleaseSeconds. Both channels are scaled by one gain of the envelope e: 1 up
// to kKnee, above it the level e * gain rises along a soft knee toward kCeiling and never reaches
// it. A stream below kKnee passes unchanged. Then a last clamp to +-1; non-finite samples become 0
// and a peak past kLoudestMix counts as kLoudestMix, so a broken stream costs at most a second.
// Allocates nothing; the mixer's render calls it for every block it mixes.
class OutputLimiter {
 public:
  static constexpr float kKnee = 0.9f;        // -0.9 dB full scale
  static constexpr float kCeiling = 0.99f;    // -0.09 dB full scale
  static constexpr float kHoldBand = 0.9f;
  static constexpr int32_t kHoldFrames = 1103;  // 25 ms: a period of the lowest bass
  static constexpr double kReleaseSeconds = 0.15;
  static constexpr float kLoudestMix = 256;   // past every voice of the pool and the music at full scale

  OutputLimiter();
  void reset();  // unity gain, nothing held
  void process(float* stereo, int64_t frames);
  float gain() const { return gain_; }  // the gain of the last frame processed, 0..1

 private:
  // The gain for an envelope e >= 0: 1 up to kKnee, then the knee's level divided by e.
  static float gainFor(float envelope);
  float release_;  // envelope factor per frame after the hold
  float envelope_ = 0, gain_ = 1;
  int32_t hold_ = 0;
};

class AudioMixer {
 public:
  static AudioMixer& get();  // made on first use, never destroyed

  // Held while voices change; blocks the device's callback.
  class Lock {
   public:
    explicit Lock(AudioMixer& mixer);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    AudioMixer& mixer_;
    uint32_t device_;
  };

  void add(const std::shared_ptr<Voice>& voice);
  void remove(const Voice* voice);

  // Brings the voices up to the present: with no device, advances them by the clock (Silent);
  // called by every operation of the sound objects.
  void pump() {
    if (output_ == AudioOutput::Silent || (output_ == AudioOutput::Device && device_ == 0)) pumpClock();
  }

  AudioOutput output() const { return output_; }
  void setOutput(AudioOutput output);
  // Opens the device for AudioOutput::Device when it is not open (device: SDL name, empty for
  // the default); falls back to Silent when it cannot. Enumeration of the system's devices.
  void openOutput(const std::string& device);
  bool deviceOpen() const { return device_ != 0; }
  std::vector<std::string> systemDevices();  // empty without an audio system

  // Mixes frames into out (stereo, overwritten; the voices' sum after the output limiter) and
  // advances the voices. Called by the device's callback, and by tests in Manual output.
  void render(float* out, int64_t frames);
  // Advances the voices by frames without output.
  void advance(int64_t frames);

 private:
  AudioMixer();
  void closeDevice();
  void pumpClock();  // pump's work when the clock drives the voices
  void mixVoice(Voice& v, float* out, int64_t frames);
  void advanceVoice(Voice& v, int64_t frames);
  bool audioSystemUp();

  std::vector<std::shared_ptr<Voice>> voices_;
  std::vector<float> scratch_;
  OutputLimiter limiter_;  // reset with every change of output
  AudioOutput output_ = AudioOutput::Device;
  uint32_t device_ = 0;
  bool triedSystem_ = false, systemOk_ = false;
  std::chrono::steady_clock::time_point clockStart_{};
  int64_t clockFrames_ = 0;
  bool clockRunning_ = false;
};
