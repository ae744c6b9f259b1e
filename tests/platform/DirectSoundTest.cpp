// Sound buffers on the mixer without a device (Manual output): enumeration, wave loading and
// conversion, status 1/5/0 as time passes, positions, duplicates, and the volume and pan laws
// checked on mixed samples.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Direct3D.h"
#include "platform/DirectSound.h"
#include "platform/Timer.h"
#include "platform/Window.h"
#include "tests/support/TempGameDir.h"
#include "tests/support/WaveFile.h"

namespace {
constexpr double kHalf = 16384.0 / 32768.0;  // the level of the fixtures' samples

class SoundBuffers : public ::testing::Test {
 protected:
  void SetUp() override {
    setAudioOutput(AudioOutput::Manual);
    // One second of 44100 Hz stereo (left +half, right +half), a mono 22050 Hz wave of 0.5 s.
    dir_.write("\\sfx\\tone.wav", waveFile(44100, 2, std::vector<int16_t>(44100 * 2, 16384)));
    dir_.write("\\sfx\\mono.wav", waveFile(22050, 1, std::vector<int16_t>(11025, 16384)));
    DirectX8 dx;
    ASSERT_EQ(dx.DirectSoundCreate("", device_), D3D_OK);
    ASSERT_EQ(device_->SetCooperativeLevel(window_.hWnd(), DSSCL_NORMAL), D3D_OK);
    desc_.lFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
    ASSERT_EQ(desc_.lFlags, 224);
    ASSERT_EQ(device_->CreateSoundBufferFromFile(dir_.real("/sfx/tone.wav"), desc_, tone_), D3D_OK)
        << lastErrorDescription();
  }
  void TearDown() override {
    tone_.reset();
    setAudioOutput(AudioOutput::Device);
  }
  GameWindow window_;
  TempGameDir dir_;
  std::shared_ptr<DirectSound8> device_;
  DSBUFFERDESC desc_;
  std::shared_ptr<DirectSoundSecondaryBuffer8> tone_;
};
}  // namespace

TEST(SoundDevices, ThePrimaryDeviceIsFirstAndNoneCanBeChosen) {
  DirectX8 dx;
  setAudioOutput(AudioOutput::Silent);
  auto list = dx.GetDSEnum();
  EXPECT_EQ(list->GetCount(), 1) << "without a system device one silent primary device remains";
  EXPECT_EQ(list->GetGuid(1), "");
  EXPECT_EQ(list->GetDescription(1), "Primary Sound Driver");
  std::shared_ptr<DirectSound8> device;
  EXPECT_EQ(dx.DirectSoundCreate(list->GetGuid(1), device), D3D_OK);
  EXPECT_EQ(dx.DirectSoundCreate("{QV-AUDIO-9}", device), DSERR_NODRIVER);
  EXPECT_EQ(device->SetCooperativeLevel(9999, DSSCL_NORMAL), DSERR_INVALIDPARAM) << "no such window";

  setAudioOutput(AudioOutput::None);
  EXPECT_EQ(dx.GetDSEnum()->GetCount(), 0);
  std::shared_ptr<DirectSound8> none;
  EXPECT_EQ(dx.DirectSoundCreate("", none), DSERR_NODRIVER);
  EXPECT_EQ(none, nullptr);
  setAudioOutput(AudioOutput::Device);
}

TEST_F(SoundBuffers, StatusFollowsPlayOnceLoopingAndStop) {
  EXPECT_EQ(tone_->GetStatus(), 0);
  tone_->Play(DSBPLAY_DEFAULT);
  EXPECT_EQ(tone_->GetStatus(), 1);
  advanceAudioForTests(0.6);
  EXPECT_EQ(tone_->GetStatus(), 1);
  DSCURSORS at;
  tone_->GetCurrentPosition(at);
  EXPECT_EQ(at.lPlay, 26460 * 4) << "0.6 s of 16-bit stereo";
  advanceAudioForTests(0.5);
  EXPECT_EQ(tone_->GetStatus(), 0) << "a sound played once stops at its end";
  tone_->GetCurrentPosition(at);
  EXPECT_EQ(at.lPlay, 0) << "and rewinds";

  tone_->Play(DSBPLAY_LOOPING);
  EXPECT_EQ(tone_->GetStatus(), 5);
  advanceAudioForTests(3.25);
  EXPECT_EQ(tone_->GetStatus(), 5) << "a loop plays on";
  tone_->GetCurrentPosition(at);
  EXPECT_EQ(at.lPlay, 11025 * 4) << "a quarter second into its fourth round";
  tone_->Play(DSBPLAY_DEFAULT);  // playing: only the looping flag changes
  EXPECT_EQ(tone_->GetStatus(), 1);
  tone_->Stop();
  EXPECT_EQ(tone_->GetStatus(), 0);
  tone_->GetCurrentPosition(at);
  EXPECT_EQ(at.lPlay, 11025 * 4) << "stop keeps the position";
  EXPECT_EQ(tone_->SetCurrentPosition(0), D3D_OK);
  EXPECT_EQ(tone_->SetCurrentPosition(tone_->BufferBytes() + 4), DSERR_INVALIDPARAM);
}

TEST_F(SoundBuffers, VolumeAndPanLawsOnTheMixedSamples) {
  struct Case {
    Long volume, pan;
    double left, right;  // gains
  } cases[] = {
      {0, 0, 1, 1},
      {-2000, 0, 0.1, 0.1},
      {-600, 0, std::pow(10.0, -0.3), std::pow(10.0, -0.3)},
      {0, 2000, 0.1, 1},                      // pan right attenuates the left channel
      {0, -4000, 1, 0.01},                    // pan left attenuates the right channel
      {-1000, 1000, std::pow(10.0, -1.0), std::pow(10.0, -0.5)},
      {-10000, 0, 0, 0},                      // the minimum is silence
      {0, 10000, 0, 1},                       // full pan silences the far channel
      {0, -10000, 1, 0},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(tone_->SetVolume(c.volume), D3D_OK);
    ASSERT_EQ(tone_->SetPan(c.pan), D3D_OK);
    tone_->SetCurrentPosition(0);
    tone_->Play(DSBPLAY_DEFAULT);
    std::vector<float> out = renderAudioForTests(64);
    tone_->Stop();
    EXPECT_NEAR(out[20], kHalf * c.left, 1e-4) << c.volume << " / " << c.pan;
    EXPECT_NEAR(out[21], kHalf * c.right, 1e-4) << c.volume << " / " << c.pan;
  }
  EXPECT_EQ(tone_->SetVolume(1), DSERR_INVALIDPARAM);
  EXPECT_EQ(tone_->SetVolume(-10001), DSERR_INVALIDPARAM);
  EXPECT_EQ(tone_->SetPan(10001), DSERR_INVALIDPARAM);
  EXPECT_EQ(tone_->GetPan(), -10000) << "a refused value changes nothing";

  DSBUFFERDESC bare;  // created without controls
  std::shared_ptr<DirectSoundSecondaryBuffer8> plain;
  ASSERT_EQ(device_->CreateSoundBufferFromFile(dir_.real("/sfx/tone.wav"), bare, plain), D3D_OK);
  EXPECT_EQ(plain->SetVolume(-100), DSERR_INVALIDCALL);
  EXPECT_EQ(plain->SetPan(100), DSERR_INVALIDCALL);
}

TEST_F(SoundBuffers, DuplicatesShareTheSamplesAndStartWithVolumeAndPan) {
  tone_->SetVolume(-2000);
  tone_->SetPan(2000);
  tone_->Play(DSBPLAY_LOOPING);
  advanceAudioForTests(0.25);
  std::shared_ptr<DirectSoundSecondaryBuffer8> copy;
  ASSERT_EQ(device_->DuplicateSoundBuffer(tone_, copy), D3D_OK);
  EXPECT_EQ(copy->GetVolume(), -2000);
  EXPECT_EQ(copy->GetPan(), 2000);
  EXPECT_EQ(copy->GetStatus(), 0) << "a copy starts stopped";
  DSCURSORS at;
  copy->GetCurrentPosition(at);
  EXPECT_EQ(at.lPlay, 0);
  EXPECT_EQ(copy->BufferBytes(), tone_->BufferBytes());

  tone_->Stop();
  copy->SetVolume(0);
  copy->SetPan(0);
  copy->Play(DSBPLAY_DEFAULT);
  std::vector<float> out = renderAudioForTests(8);
  EXPECT_NEAR(out[0], kHalf, 1e-4) << "the copy plays the shared samples at its own volume";
  EXPECT_EQ(tone_->GetVolume(), -2000) << "the source keeps its own";

  // Releasing a playing buffer stops it: its voice is gone from the mix.
  copy.reset();
  out = renderAudioForTests(8);
  EXPECT_EQ(out[0], 0.0f);
}

TEST_F(SoundBuffers, WavesAreConvertedAndBadFilesRefused) {
  std::shared_ptr<DirectSoundSecondaryBuffer8> mono;
  ASSERT_EQ(device_->CreateSoundBufferFromFile(dir_.real("/sfx/mono.wav"), desc_, mono), D3D_OK);
  EXPECT_EQ(mono->BufferBytes(), 11025 * 2);
  EXPECT_EQ(mono->GetFrequency(), 22050);
  mono->Play(DSBPLAY_DEFAULT);
  std::vector<float> out = renderAudioForTests(400);
  EXPECT_NEAR(out[400], kHalf, 2e-3) << "mono reaches both channels";
  EXPECT_NEAR(out[401], kHalf, 2e-3);
  advanceAudioForTests(0.49);
  EXPECT_EQ(mono->GetStatus(), 1) << "half a second at 22050 Hz lasts half a second";
  advanceAudioForTests(0.02);
  EXPECT_EQ(mono->GetStatus(), 0);

  std::string good = waveFile(44100, 1, std::vector<int16_t>(1000, 100));
  dir_.write("\\sfx\\text.wav", "this is not a wave file");
  dir_.write("\\sfx\\cut.wav", good.substr(0, 30));
  dir_.write("\\sfx\\empty.wav", "");
  // A 90-byte file whose data chunk claims almost 4 GB, and one whose samples come before the format.
  std::string lying = good.substr(0, 90);
  lying.replace(40, 4, std::string("\xF0\xFF\xFF\xFF", 4));
  dir_.write("\\sfx\\lying.wav", lying);
  std::string swapped = good;
  swapped.replace(12, 24, "");  // no "fmt " chunk at all
  dir_.write("\\sfx\\nofmt.wav", swapped);
  struct Case {
    const char* file;
    HResult expected;
  } cases[] = {
      {"/sfx/missing.wav", DSERR_FILENOTFOUND},
      {"/sfx", DSERR_FILENOTFOUND},
      {"/sfx/text.wav", DSERR_BADFORMAT},
      {"/sfx/cut.wav", DSERR_BADFORMAT},
      {"/sfx/empty.wav", DSERR_BADFORMAT},
      {"/sfx/lying.wav", DSERR_BADFORMAT},
      {"/sfx/nofmt.wav", DSERR_BADFORMAT},
  };
  // The same files again, converted ahead on worker threads: the same results and messages.
  std::vector<std::string> messages[2];
  for (bool ahead : {false, true}) {
    SCOPED_TRACE(ahead ? "prefetched" : "read at once");
    if (ahead) {
      std::vector<std::string> paths{dir_.real("/sfx/mono.wav")};
      for (const auto& c : cases) paths.push_back(dir_.real(c.file));
      device_->PrefetchWaveFiles(paths);
    }
    for (const auto& c : cases) {
      std::shared_ptr<DirectSoundSecondaryBuffer8> kept = tone_;
      EXPECT_EQ(device_->CreateSoundBufferFromFile(dir_.real(c.file), desc_, kept), c.expected) << c.file;
      EXPECT_EQ(kept, tone_) << "a failed creation leaves the buffer as it was";
      EXPECT_NE(lastErrorDescription().find(c.file), std::string::npos) << lastErrorDescription();
      messages[ahead].push_back(lastErrorDescription());
    }
    std::shared_ptr<DirectSoundSecondaryBuffer8> again;
    ASSERT_EQ(device_->CreateSoundBufferFromFile(dir_.real("/sfx/mono.wav"), desc_, again), D3D_OK);
    EXPECT_EQ(again->BufferBytes(), 11025 * 2);
    EXPECT_EQ(again->GetFrequency(), 22050);
    device_->DropPrefetchedWaves();
  }
  EXPECT_EQ(messages[1], messages[0]);
  device_->CreateSoundBufferFromFile(dir_.real("/sfx/lying.wav"), desc_, mono);
  EXPECT_NE(lastErrorDescription().find("\"data\" chunk claims 4294967280 bytes where the file holds 46"),
            std::string::npos)
      << lastErrorDescription();
}

TEST(SoundClock, WithoutManualTimeSoundsEndByTheClock) {
  TempGameDir dir;
  dir.write("\\beep.wav", waveFile(44100, 1, std::vector<int16_t>(441, 1000)));  // 10 ms
  // Silent: no device at all; Device: the system's (SDL_AUDIODRIVER=dummy in tests, or silent).
  for (AudioOutput output : {AudioOutput::Silent, AudioOutput::Device}) {
    setAudioOutput(output);
    DirectX8 dx;
    std::shared_ptr<DirectSound8> device;
    ASSERT_EQ(dx.DirectSoundCreate("", device), D3D_OK);
    std::shared_ptr<DirectSoundSecondaryBuffer8> beep;
    ASSERT_EQ(device->CreateSoundBufferFromFile(dir.real("/beep.wav"), DSBUFFERDESC{224}, beep), D3D_OK);
    beep->Play(DSBPLAY_DEFAULT);
    EXPECT_EQ(beep->GetStatus(), 1);
    for (int i = 0; i < 400 && beep->GetStatus() != 0; ++i) sleepMs(5);
    EXPECT_EQ(beep->GetStatus(), 0) << "10 ms of sound have ended";
  }
  setAudioOutput(AudioOutput::Device);
}
