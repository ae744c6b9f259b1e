// mp3 graphs on the mixer without a device (Manual output), on the generated music: duration and
// position, the held end ("eof" for the game), stop keeping the position, run restarting at the
// end, volume and balance on the decoded samples, and files that cannot be rendered.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Direct3D.h"
#include "platform/DirectShow.h"
#include "platform/DirectSound.h"
#include "tests/support/TempGameDir.h"

namespace {
const std::string kTrack = std::string(QV_TEST_GAME_DIR) + "/sfx/music/soft/drift.mp3";

class Mp3Graph : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kTrack)) GTEST_SKIP() << "no generated music at " << kTrack;
    setAudioOutput(AudioOutput::Manual);
    ASSERT_EQ(graph_->RenderFile(kTrack), D3D_OK) << lastErrorDescription();
  }
  void TearDown() override {
    graph_.reset();
    setAudioOutput(AudioOutput::Device);
  }
  double duration() {
    double d = 0;
    graph_->get_Duration(d);
    return d;
  }
  double position() {
    double p = 0;
    graph_->get_CurrentPosition(p);
    return p;
  }
  float loudest(const std::vector<float>& samples, int channel) {
    float m = 0;
    for (size_t i = channel; i < samples.size(); i += 2) m = std::max(m, std::fabs(samples[i]));
    return m;
  }
  std::shared_ptr<FilgraphManager> graph_ = std::make_shared<FilgraphManager>();
};
}  // namespace

TEST_F(Mp3Graph, PositionAdvancesWhileRunningAndStopKeepsIt) {
  ASSERT_GT(duration(), 5.0);
  EXPECT_EQ(position(), 0.0);
  EXPECT_FALSE(graph_->Running()) << "rendering does not start the graph";
  advanceAudioForTests(1.0);
  EXPECT_EQ(position(), 0.0);

  graph_->Run();
  advanceAudioForTests(2.5);
  EXPECT_NEAR(position(), 2.5, 1e-4);
  graph_->Stop();
  advanceAudioForTests(1.0);
  EXPECT_NEAR(position(), 2.5, 1e-4) << "stop halts where the track is";
  graph_->Run();
  advanceAudioForTests(0.5);
  EXPECT_NEAR(position(), 3.0, 1e-4) << "and run resumes there";

  EXPECT_EQ(graph_->put_CurrentPosition(-3), D3D_OK);
  EXPECT_EQ(position(), 0.0);
  EXPECT_EQ(graph_->put_CurrentPosition(duration() + 100), D3D_OK);
  EXPECT_NEAR(position(), duration(), 1e-6) << "clamped to the duration";
  EXPECT_EQ(graph_->put_CurrentPosition(std::nan("")), E_INVALIDARG);
}

TEST_F(Mp3Graph, TheEndHoldsUntilRunStartsAgainFromTheBeginning) {
  graph_->put_CurrentPosition(duration() - 0.25);
  graph_->Run();
  std::vector<float> tail = renderAudioForTests(44100);  // decodes through the end
  EXPECT_NEAR(position(), duration(), 1e-6);
  EXPECT_TRUE(graph_->Running()) << "still running at its end";
  EXPECT_EQ(std::vector<float>(tail.end() - 2000, tail.end()), std::vector<float>(2000, 0.0f)) << "silent past the end";
  advanceAudioForTests(5);
  EXPECT_NEAR(position(), duration(), 1e-6) << "the end holds (the game reads eof again)";

  graph_->Run();  // running at the end: starts over
  EXPECT_EQ(position(), 0.0);
  advanceAudioForTests(1);
  EXPECT_NEAR(position(), 1.0, 1e-4);
  graph_->put_CurrentPosition(duration());
  graph_->Stop();
  graph_->Run();  // halted at the end: starts over too
  EXPECT_EQ(position(), 0.0);
}

TEST_F(Mp3Graph, VolumeAndBalanceScaleTheDecodedSamples) {
  graph_->put_CurrentPosition(5.0);
  graph_->Run();
  std::vector<float> full = renderAudioForTests(4096);
  ASSERT_GT(loudest(full, 0), 0.01f) << "the track is decoded";

  struct Case {
    Long volume, balance;
    double left, right;
  } cases[] = {{-2000, 0, 0.1, 0.1}, {0, 2000, 0.1, 1.0}, {0, -10000, 1.0, 0.0}, {-10000, 0, 0.0, 0.0}};
  for (const auto& c : cases) {
    ASSERT_EQ(graph_->put_Volume(c.volume), D3D_OK);
    ASSERT_EQ(graph_->put_Balance(c.balance), D3D_OK);
    graph_->put_CurrentPosition(5.0);
    std::vector<float> out = renderAudioForTests(4096);
    EXPECT_NEAR(loudest(out, 0), loudest(full, 0) * c.left, 1e-4) << c.volume << " / " << c.balance;
    EXPECT_NEAR(loudest(out, 1), loudest(full, 1) * c.right, 1e-4) << c.volume << " / " << c.balance;
  }
  Long v = 0;
  EXPECT_EQ(graph_->put_Volume(1), E_INVALIDARG);
  EXPECT_EQ(graph_->put_Volume(-10001), E_INVALIDARG);
  EXPECT_EQ(graph_->put_Balance(10001), E_INVALIDARG);
  graph_->get_Volume(v);
  EXPECT_EQ(v, -10000) << "a refused value changes nothing";

  double rate = 0;
  EXPECT_EQ(graph_->put_Rate(1.0), D3D_OK);
  EXPECT_EQ(graph_->put_Rate(0.0), E_INVALIDARG);
  graph_->get_Rate(rate);
  EXPECT_EQ(rate, 1.0);
}

TEST_F(Mp3Graph, FilesThatCannotBeRenderedFailAndLeaveTheGraph) {
  TempGameDir dir;
  dir.write("\\notes.mp3", "these are not mp3 frames at all");
  dir.write("\\empty.mp3", "");
  std::ifstream in(kTrack, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  dir.write("\\cut.mp3", bytes.substr(0, 20000));
  struct Case {
    std::string file;
    HResult expected;
  } cases[] = {
      {dir.real("/missing.mp3"), VFW_E_NOT_FOUND},
      {dir.path(), VFW_E_NOT_FOUND},
      {dir.real("/notes.mp3"), VFW_E_CANNOT_RENDER},
      {dir.real("/empty.mp3"), VFW_E_CANNOT_RENDER},
  };
  double before = duration();
  graph_->put_CurrentPosition(2.0);
  for (const auto& c : cases) {
    EXPECT_EQ(graph_->RenderFile(c.file), c.expected) << c.file;
    EXPECT_NE(lastErrorDescription().find(c.file), std::string::npos) << lastErrorDescription();
  }
  EXPECT_EQ(duration(), before) << "the rendered track stays";
  EXPECT_NEAR(position(), 2.0, 1e-6);

  // A cut file plays what it holds.
  ASSERT_EQ(graph_->RenderFile(dir.real("/cut.mp3")), D3D_OK);
  EXPECT_GT(duration(), 0.0);
  EXPECT_LT(duration(), before);
  EXPECT_EQ(position(), 0.0);

  // A graph that never rendered a file runs silent at 0.
  FilgraphManager empty;
  double d = -1, p = -1;
  EXPECT_EQ(empty.Run(), D3D_OK);
  advanceAudioForTests(1);
  empty.get_Duration(d);
  empty.get_CurrentPosition(p);
  EXPECT_EQ(d, 0.0);
  EXPECT_EQ(p, 0.0);
}
