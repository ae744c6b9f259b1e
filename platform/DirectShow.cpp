// mp3 graphs over the mixer: a libmpg123 decoder as a streamed voice (decoded in the mixer's
// callback as it plays, seeking after an exact scan), volume and balance as gains.
// Depends on libmpg123; the mixer (AudioMixer.cpp).
#include "platform/DirectShow.h"

#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "platform/AudioMixer.h"
#include "platform/DeviceBackend.h"

namespace {
bool decoderLibraryUp() {
  static const bool up = mpg123_init() == MPG123_OK;
  return up;
}

// One mp3 file decoded on demand at the mixer's rate, stereo float.
class Mp3Stream : public VoiceStream {
 public:
  ~Mp3Stream() override {
    if (handle_) {
      mpg123_close(handle_);
      mpg123_delete(handle_);
    }
  }

  // Opens and checks the file: an exact length and a first decoded frame.
  HResult open(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || !std::ifstream(path, std::ios::binary))
      return reportFailure(VFW_E_NOT_FOUND, path + ": the file cannot be read");
    if (!decoderLibraryUp()) return reportFailure(VFW_E_CANNOT_RENDER, path + ": no mp3 decoder");
    int err = MPG123_OK;
    handle_ = mpg123_new(nullptr, &err);
    if (!handle_) return reportFailure(VFW_E_CANNOT_RENDER, path + ": no mp3 decoder");
    mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(handle_);
    if (mpg123_format(handle_, kMixRate, MPG123_STEREO, MPG123_ENC_FLOAT_32) != MPG123_OK ||
        mpg123_open(handle_, path.c_str()) != MPG123_OK || mpg123_scan(handle_) != MPG123_OK)
      return failed(path);
    off_t length = mpg123_length(handle_);
    if (length <= 0) return failed(path);
    length_ = length;
    // The first frame must decode (the first read only reports the format).
    float probe[2 * 64];
    int64_t got = 0;
    for (int i = 0; i < 4 && got == 0; ++i) got = read(probe, 64);
    if (got == 0 || !seek(0)) return failed(path);
    return D3D_OK;
  }

  int64_t length() const override { return length_; }

  bool seek(int64_t frame) override { return mpg123_seek(handle_, static_cast<off_t>(frame), SEEK_SET) >= 0; }

  int64_t read(float* stereo, int64_t frames) override {
    int64_t total = 0;
    int newFormatTries = 0;
    while (total < frames) {
      size_t done = 0;
      size_t want = static_cast<size_t>(frames - total) * 2 * sizeof(float);
      int r = mpg123_read(handle_, reinterpret_cast<unsigned char*>(stereo + total * 2), want, &done);
      total += static_cast<int64_t>(done / (2 * sizeof(float)));
      if (r == MPG123_NEW_FORMAT && ++newFormatTries < 4) continue;
      if (r != MPG123_OK || done == 0) break;
    }
    return total;
  }

 private:
  HResult failed(const std::string& path) {
    const char* why = handle_ ? mpg123_strerror(handle_) : "no decoder";
    return reportFailure(VFW_E_CANNOT_RENDER, path + ": no mp3 audio (" + why + ")");
  }
  mpg123_handle* handle_ = nullptr;
  int64_t length_ = 0;
};
}  // namespace

FilgraphManager::FilgraphManager() : voice_(std::make_shared<Voice>()) {
  voice_->atEnd = VoiceEnd::Hold;
  AudioMixer::get().add(voice_);
}

FilgraphManager::~FilgraphManager() { AudioMixer::get().remove(voice_.get()); }

HResult FilgraphManager::RenderFile(const std::string& path) {
  auto stream = std::make_unique<Mp3Stream>();
  if (HResult hr = stream->open(path); FAILED(hr)) return hr;
  std::unique_ptr<VoiceStream> old;
  AudioMixer& mixer = AudioMixer::get();
  {
    AudioMixer::Lock lock(mixer);
    old = std::move(voice_->stream);
    voice_->stream = std::move(stream);
    voice_->position = voice_->streamAt = 0;
    voice_->playing = false;
  }
  return D3D_OK;  // the old decoder closes here, outside the lock
}

HResult FilgraphManager::Run() {
  AudioMixer& mixer = AudioMixer::get();
  mixer.pump();
  AudioMixer::Lock lock(mixer);
  // A track at its end (halted there, or still running silent) starts again from its beginning.
  if (voice_->length() > 0 && voice_->position >= voice_->length()) voice_->position = 0;
  voice_->playing = true;
  return D3D_OK;
}

HResult FilgraphManager::Stop() {
  AudioMixer& mixer = AudioMixer::get();
  mixer.pump();
  AudioMixer::Lock lock(mixer);
  voice_->playing = false;
  return D3D_OK;
}

HResult FilgraphManager::Pause() { return Stop(); }

bool FilgraphManager::Running() const {
  AudioMixer& mixer = AudioMixer::get();
  mixer.pump();
  AudioMixer::Lock lock(mixer);
  return voice_->playing;
}

void FilgraphManager::applyGains() {
  AudioMixer::Lock lock(AudioMixer::get());
  stereoGains(volume_, balance_, voice_->gainLeft, voice_->gainRight);
}

HResult FilgraphManager::put_Volume(Long volume) {
  if (volume < -10000 || volume > 0) return reportFailure(E_INVALIDARG, "volume " + std::to_string(volume));
  volume_ = volume;
  applyGains();
  return D3D_OK;
}

HResult FilgraphManager::get_Volume(Long& volume) const {
  volume = volume_;
  return D3D_OK;
}

HResult FilgraphManager::put_Balance(Long balance) {
  if (balance < -10000 || balance > 10000) return reportFailure(E_INVALIDARG, "balance " + std::to_string(balance));
  balance_ = balance;
  applyGains();
  return D3D_OK;
}

HResult FilgraphManager::get_Balance(Long& balance) const {
  balance = balance_;
  return D3D_OK;
}

HResult FilgraphManager::get_Duration(double& seconds) const {
  AudioMixer::Lock lock(AudioMixer::get());
  seconds = static_cast<double>(voice_->length()) / kMixRate;
  return D3D_OK;
}

HResult FilgraphManager::get_CurrentPosition(double& seconds) const {
  AudioMixer& mixer = AudioMixer::get();
  mixer.pump();
  AudioMixer::Lock lock(mixer);
  seconds = static_cast<double>(voice_->position) / kMixRate;
  return D3D_OK;
}

HResult FilgraphManager::put_CurrentPosition(double seconds) {
  if (std::isnan(seconds)) return reportFailure(E_INVALIDARG, "position NaN");
  AudioMixer& mixer = AudioMixer::get();
  mixer.pump();
  AudioMixer::Lock lock(mixer);
  double frames = std::clamp(seconds * kMixRate, 0.0, static_cast<double>(voice_->length()));
  voice_->position = static_cast<int64_t>(std::llround(frames));
  return D3D_OK;
}

HResult FilgraphManager::put_Rate(double rate) {
  if (!(rate > 0) || std::isinf(rate)) return reportFailure(E_INVALIDARG, "rate " + std::to_string(rate));
  rate_ = rate;
  return D3D_OK;
}

HResult FilgraphManager::get_Rate(double& rate) const {
  rate = rate_;
  return D3D_OK;
}
