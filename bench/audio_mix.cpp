// The sound mixer's work for one device block of 1024 frames (23 ms of sound), on the generated
// effects without a device (Manual output):
// MixBlock/n: n looping effects at full volume summed and passed through the output limiter;
// with 2 and more voices the sum goes past full scale and the limiter works. The goal is well
// under 1 ms of the device's 23 ms.
// LimitBlock: the limiter alone on a block that is quiet (arg 0) or twice full scale (arg 1).
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/AudioMixer.h"
#include "platform/Direct3D.h"
#include "platform/DirectSound.h"

namespace {
constexpr int64_t kBlock = 1024;

void MixBlock(benchmark::State& state) {
  const std::string sfx = std::string(QV_TEST_GAME_DIR) + "/sfx/";
  if (!std::filesystem::exists(sfx + "jet.wav")) {
    state.SkipWithError("no generated sounds");
    return;
  }
  setAudioOutput(AudioOutput::Manual);
  std::shared_ptr<DirectSound8> device;
  DirectX8().DirectSoundCreate("", device);
  DSBUFFERDESC desc;
  desc.lFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
  const char* loops[] = {"jet", "jet2", "jet3", "jet4", "tractor"};
  std::vector<std::shared_ptr<DirectSoundSecondaryBuffer8>> voices;
  for (int64_t i = 0; i < state.range(0); ++i) {
    std::shared_ptr<DirectSoundSecondaryBuffer8> b;
    device->CreateSoundBufferFromFile(sfx + loops[i % 5] + ".wav", desc, b);
    b->Play(DSBPLAY_LOOPING);
    voices.push_back(b);
  }
  std::vector<float> out(kBlock * 2);
  AudioMixer& mixer = AudioMixer::get();
  for (auto _ : state) {
    AudioMixer::Lock lock(mixer);
    mixer.render(out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
  }
  voices.clear();
  setAudioOutput(AudioOutput::Device);
}
BENCHMARK(MixBlock)->Arg(1)->Arg(8)->Arg(32)->Unit(benchmark::kMicrosecond);

void LimitBlock(benchmark::State& state) {
  const float amplitude = state.range(0) ? 2.0f : 0.5f;
  std::vector<float> in(kBlock * 2);
  for (int64_t i = 0; i < kBlock; ++i) in[i * 2] = in[i * 2 + 1] = amplitude * std::sin(0.05f * static_cast<float>(i));
  std::vector<float> out(in.size());
  OutputLimiter limiter;
  for (auto _ : state) {
    out = in;
    limiter.process(out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(LimitBlock)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
}  // namespace
