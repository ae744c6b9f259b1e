// The mixer's output limiter, sample by sample, and the mixer's output on the generated content
// without a device (Manual output): a burst of the loudest effects over the soft and the hard
// music track stays within full scale, and a sound or a track played alone keeps its level.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/AudioMixer.h"
#include "platform/Direct3D.h"
#include "platform/DirectShow.h"
#include "platform/DirectSound.h"
#include "platform/Window.h"

namespace {
constexpr double kTau = 6.283185307179586;

// seconds of a sine of amplitude and hz on both channels (the right one at half the left).
std::vector<float> sine(float amplitude, double hz, double seconds) {
  std::vector<float> out(static_cast<size_t>(seconds * kMixRate) * 2);
  for (size_t i = 0; i < out.size() / 2; ++i) {
    const float v = amplitude * static_cast<float>(std::sin(kTau * hz * static_cast<double>(i) / kMixRate));
    out[i * 2] = v;
    out[i * 2 + 1] = v / 2;
  }
  return out;
}

float loudest(const std::vector<float>& samples, size_t from = 0, size_t to = SIZE_MAX) {
  float m = 0;
  for (size_t i = from; i < std::min(to, samples.size()); ++i) m = std::max(m, std::fabs(samples[i]));
  return m;
}

double rms(const std::vector<float>& samples) {
  double sum = 0;
  for (float s : samples) sum += double(s) * s;
  return std::sqrt(sum / std::max<size_t>(1, samples.size()));
}

double decibels(double ratio) { return 20 * std::log10(ratio); }
}  // namespace

TEST(OutputLimiter, OrdinaryLevelsPassAndLoudOnesStaySteadyUnderFullScale) {
  struct Case {
    float amplitude;
    double hz;
  } cases[] = {{0.5f, 440}, {0.89f, 55}, {1.0f, 55}, {1.6f, 440}, {4.0f, 3000}, {40.0f, 1000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.amplitude) + " at " + std::to_string(c.hz) + " Hz");
    OutputLimiter limiter;
    const std::vector<float> in = sine(c.amplitude, c.hz, 1.0);
    std::vector<float> out = in;
    limiter.process(out.data(), static_cast<int64_t>(out.size() / 2));
    if (c.amplitude < OutputLimiter::kKnee) {
      EXPECT_EQ(out, in) << "below the knee nothing changes";
      continue;
    }
    EXPECT_LT(loudest(out), 1.0f) << "within full scale, never at it";
    // After the first crest the gain holds (no pumping between crests), both channels alike, and
    // the passage still plays near full scale.
    const size_t settled = kMixRate / 20 * 2;
    float low = 1, high = 0;
    for (size_t i = settled; i < out.size(); ++i) {
      if (std::fabs(in[i]) < c.amplitude / 10) continue;
      low = std::min(low, out[i] / in[i]);
      high = std::max(high, out[i] / in[i]);
    }
    EXPECT_LT(high / low, 1.01f) << "the gain varies from " << low << " to " << high;
    EXPECT_GT(loudest(out, settled), OutputLimiter::kKnee);
  }
}

TEST(OutputLimiter, TheGainHoldsThenReturnsToUnityAfterALoudPassage) {
  OutputLimiter limiter;
  std::vector<float> loud = sine(2.0f, 110, 0.3);
  limiter.process(loud.data(), static_cast<int64_t>(loud.size() / 2));
  EXPECT_LT(limiter.gain(), 0.5f);

  const std::vector<float> quiet = sine(0.5f, 110, 0.5);
  std::vector<float> out = quiet;
  auto through = [&](int64_t fromMs, int64_t toMs) {  // processes out from .. to milliseconds
    const int64_t ms = kMixRate / 1000;
    limiter.process(out.data() + fromMs * ms * 2, (toMs - fromMs) * ms);
  };
  through(0, 20);
  EXPECT_LT(limiter.gain(), 0.5f) << "held 20 ms after the loud passage";
  through(20, 50);
  EXPECT_LT(limiter.gain(), 0.9f) << "and released gradually, not at once";
  through(50, 500);
  EXPECT_EQ(limiter.gain(), 1.0f);
  const size_t back = static_cast<size_t>(kMixRate / 4 * 2);
  EXPECT_EQ(std::vector<float>(out.begin() + back, out.end()), std::vector<float>(quiet.begin() + back, quiet.end()))
      << "a quarter second later the quiet tone passes unchanged";
}

TEST(OutputLimiter, NonFiniteAndAbsurdSamplesAreTamed) {
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<float> out = {std::nanf(""), 0.5f, inf, -inf, 1e30f, -1e30f, 0.25f, std::nanf("")};
  OutputLimiter limiter;
  limiter.process(out.data(), 4);
  for (float s : out) {
    EXPECT_TRUE(std::isfinite(s));
    EXPECT_LE(std::fabs(s), 1.0f);
  }
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_EQ(out[2], 0.0f);
  EXPECT_EQ(out[3], 0.0f);
  EXPECT_EQ(out[7], 0.0f);
  // Such a sample lowers the gain no further than the loudest mix of sound voices would, so the
  // output comes back within a second.
  std::vector<float> quiet = sine(0.5f, 440, 1.0);
  const std::vector<float> expected = quiet;
  limiter.process(quiet.data(), static_cast<int64_t>(quiet.size() / 2));
  EXPECT_EQ(limiter.gain(), 1.0f);
  EXPECT_EQ(quiet.back(), expected.back());
}

// ---- the mixer's output on the generated effects and music ------------------------------------------------
namespace {
const std::string kGame = QV_TEST_GAME_DIR;

class GeneratedMix : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kGame + "/sfx/warp2.wav") || !std::filesystem::exists(kGame + "/sfx/music/hard/blarg.mp3"))
      GTEST_SKIP() << "no generated sounds and music in " << kGame;
    setAudioOutput(AudioOutput::Manual);
    ASSERT_EQ(DirectX8().DirectSoundCreate("", device_), D3D_OK);
    ASSERT_EQ(device_->SetCooperativeLevel(window_.hWnd(), DSSCL_NORMAL), D3D_OK);
  }
  void TearDown() override {
    sounds_.clear();
    tracks_.clear();
    setAudioOutput(AudioOutput::Device);
  }
  std::shared_ptr<DirectSoundSecondaryBuffer8> sound(const std::string& name) {
    DSBUFFERDESC desc;
    desc.lFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
    std::shared_ptr<DirectSoundSecondaryBuffer8> b;
    EXPECT_EQ(device_->CreateSoundBufferFromFile(kGame + "/sfx/" + name + ".wav", desc, b), D3D_OK) << name;
    sounds_.push_back(b);
    return b;
  }
  // A music track from its folder under sfx/music, running from at seconds.
  std::shared_ptr<FilgraphManager> track(const std::string& file, double at) {
    auto g = std::make_shared<FilgraphManager>();
    EXPECT_EQ(g->RenderFile(kGame + "/sfx/music/" + file), D3D_OK) << file << ": " << lastErrorDescription();
    g->put_CurrentPosition(at);
    tracks_.push_back(g);
    return g;
  }
  // The output as the device takes it, in blocks of 1024 frames.
  std::vector<float> render(double seconds) {
    std::vector<float> out;
    for (int64_t left = static_cast<int64_t>(seconds * kMixRate); left > 0; left -= 1024) {
      std::vector<float> block = renderAudioForTests(static_cast<int32_t>(std::min<int64_t>(left, 1024)));
      out.insert(out.end(), block.begin(), block.end());
    }
    return out;
  }
  void release() {
    sounds_.clear();
    tracks_.clear();
    setAudioOutput(AudioOutput::Manual);  // a fresh limiter
  }

  GameWindow window_;
  std::shared_ptr<DirectSound8> device_;
  std::vector<std::shared_ptr<DirectSoundSecondaryBuffer8>> sounds_;
  std::vector<std::shared_ptr<FilgraphManager>> tracks_;
};
}  // namespace

TEST_F(GeneratedMix, ABurstOfTheLoudestEffectsOverBothMusicTracksStaysWithinFullScale) {
  // Everything at full volume, as the pool plays a flat sound and the director a forced track:
  // the soft and the hard track together (a cross-fade), then the warp sweeps, explosions and menu
  // sounds 20 ms apart, and a copy of the three sweeps and the first explosion as the pool makes
  // one for a sound that is already playing (a copy keeps its source's volume).
  const char* burst[] = {"warp2", "warp_out", "warptrans", "explode", "bassplode", "crash",
                         "shotgun", "miniexplode", "beep", "chime", "levup", "spawn"};
  auto play = [&](Long volume) {
    for (auto& t : {track("soft/gato.mp3", 40), track("hard/blarg.mp3", 40)}) {
      t->put_Volume(volume);
      t->Run();
    }
    std::vector<float> out = render(0.2);
    for (const char* name : burst) {
      auto b = sound(name);
      b->SetVolume(volume);
      b->Play(DSBPLAY_DEFAULT);
      std::vector<float> more = render(0.02);
      out.insert(out.end(), more.begin(), more.end());
    }
    for (size_t i = 0; i < 4; ++i) {  // the first four: the sweeps and the first explosion
      std::shared_ptr<DirectSoundSecondaryBuffer8> copy;
      EXPECT_EQ(device_->DuplicateSoundBuffer(sounds_[i], copy), D3D_OK);
      copy->Play(DSBPLAY_DEFAULT);
      sounds_.push_back(copy);
    }
    std::vector<float> rest = render(1.8);
    out.insert(out.end(), rest.begin(), rest.end());
    release();
    return out;
  };
  // 20 dB down the mix stays below the limiter's knee, so it shows the plain sum at a tenth.
  const std::vector<float> tenth = play(-2000);
  ASSERT_LT(loudest(tenth), OutputLimiter::kKnee);
  const double plainPeak = loudest(tenth) * 10;
  EXPECT_GT(plainPeak, 1.5) << "the burst summed plainly goes well past full scale";

  const std::vector<float> heard = play(0);
  const float peak = loudest(heard);
  size_t pinned = 0;
  for (float s : heard) pinned += std::fabs(s) >= 32767.0f / 32768.0f;
  EXPECT_LT(peak, 1.0f);
  EXPECT_EQ(pinned, 0u) << "no sample at or past full scale";
  std::printf("burst over both tracks: plain sum peaks at %.3f, heard at %.3f, %zu samples at full scale\n",
              plainPeak, peak, pinned);
}

TEST_F(GeneratedMix, ASoundOrATrackAloneKeepsItsLevel) {
  struct Case {
    std::string sound, track;  // one of the two
  } cases[] = {{"warp2", ""}, {"explode", ""}, {"bassplode", ""}, {"crash", ""}, {"chime", ""},
               {"", "soft/gato.mp3"}, {"", "hard/blarg.mp3"}, {"", "ninjastar2.mp3"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sound + c.track);
    auto play = [&](Long volume) {
      if (!c.sound.empty()) {
        auto b = sound(c.sound);
        b->SetVolume(volume);
        b->Play(DSBPLAY_DEFAULT);
      } else {
        auto t = track(c.track, 40);
        t->put_Volume(volume);
        t->Run();
      }
      std::vector<float> out = render(1.0);
      release();
      return out;
    };
    const std::vector<float> tenth = play(-2000), full = play(0);
    ASSERT_GT(loudest(tenth), 0.001f) << "heard";
    const double plainRms = rms(tenth) * 10, plainPeak = loudest(tenth) * 10;
    EXPECT_GT(decibels(rms(full) / plainRms), -3.0) << "as loud as the plain sum, within 3 dB";
    EXPECT_GT(decibels(loudest(full) / plainPeak), -3.0);
    EXPECT_LT(loudest(full), 1.0f);
    std::printf("%s alone: level %+.2f dB, peak %+.2f dB against the plain sum\n", (c.sound + c.track).c_str(),
                decibels(rms(full) / plainRms), decibels(loudest(full) / plainPeak));
  }
}
