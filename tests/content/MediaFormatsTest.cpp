// Every generated media file reads back in its format, and the properties the game relies on
// hold: animation frame counts, outward winding, the held weapon's muzzle, seamless loops,
// music lengths.
#include <gtest/gtest.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "MediaReaders.h"

using namespace content;

namespace {

// Decodes an mp3 with libmpg123; returns seconds of audio, or -1 with the reason in err.
double mp3Seconds(const std::string& path, std::string& err) {
  static const bool init = mpg123_init() == MPG123_OK;
  (void)init;
  int e = 0;
  mpg123_handle* h = mpg123_new(nullptr, &e);
  if (!h) return err = "mpg123_new failed", -1;
  double secs = -1;
  if (mpg123_open(h, path.c_str()) == MPG123_OK) {
    long rate = 0;
    int channels = 0, enc = 0;
    mpg123_getformat(h, &rate, &channels, &enc);
    std::vector<unsigned char> buf(65536);
    size_t done = 0, total = 0;
    int r;
    while ((r = mpg123_read(h, buf.data(), buf.size(), &done)) == MPG123_OK || r == MPG123_NEW_FORMAT) total += done;
    total += done;
    if (r != MPG123_DONE) err = mpg123_plain_strerror(r);
    else if (rate > 0 && channels > 0) secs = static_cast<double>(total) / (2.0 * channels * rate);
    mpg123_close(h);
  } else {
    err = "cannot open";
  }
  mpg123_delete(h);
  return secs;
}

std::string ext(const std::string& p) { return p.size() > 4 ? p.substr(p.size() - 4) : ""; }

}  // namespace

TEST(ContentMedia, EveryFileReadsBackInItsFormat) {
  std::vector<std::string> files = manifest();
  ASSERT_GT(files.size(), 550u) << "contentgen.manifest missing or short in " << QV_TEST_GAME_DIR;
  std::vector<std::string> bad;
  std::map<std::string, int> counts;
  for (const std::string& f : files) {
    std::string bytes = readFile(gamePath(f)), e;
    if (bytes.empty()) e = "missing or empty";
    else if (ext(f) == ".bmp") { Picture p; e = parseBmp(bytes, p); }
    else if (ext(f) == ".dds") { Picture p; e = parseDds(bytes, p); }
    else if (ext(f) == ".md2") { Md2 m; e = readMd2(f, m); }
    else if (ext(f) == ".wav") { Wav w; e = parseWav(bytes, w); }
    else if (ext(f) == ".mp3") { if (mp3Seconds(gamePath(f), e) <= 0 && e.empty()) e = "no audio"; }
    else e = "unexpected kind of file";
    ++counts[ext(f)];
    if (!e.empty()) bad.push_back(f + ": " + e);
  }
  EXPECT_TRUE(bad.empty()) << ::testing::PrintToString(bad);
  EXPECT_GE(counts[".bmp"] + counts[".dds"], 330);
  EXPECT_GE(counts[".md2"], 225);
  EXPECT_EQ(counts[".wav"], 34);
  EXPECT_GE(counts[".mp3"], 3);
}

TEST(ContentMedia, MusicLastsAsLongAsTheScenesThatPlayIt) {
  struct Track { const char* path; double min, max; };
  for (const Track& t : {Track{"sfx/music/ninjastar2.mp3", 102, 106},   // title scene fades out at 98.4..103.1 s
                         Track{"sfx/music/soft/gato.mp3", 133, 140},    // intro show, 133 s, not looped
                         Track{"sfx/music/hard/blarg.mp3", 150, 155}}) {   // credits, 150 s
    std::string err;
    double s = mp3Seconds(gamePath(t.path), err);
    EXPECT_GE(s, t.min) << t.path << " " << err;
    EXPECT_LE(s, t.max) << t.path;
  }
}

TEST(ContentMedia, CharactersAndHandWeaponsCarryAllAnimationFrames) {
  int checked = 0;
  for (const std::string& f : manifest()) {
    if (f.rfind("models/chars/", 0) != 0 && f.rfind("models/weapons/", 0) != 0) continue;
    Md2 m;
    ASSERT_EQ(readMd2(f, m), "") << f;
    EXPECT_EQ(m.frames, 119) << f;
    ++checked;
  }
  EXPECT_EQ(checked, 15 * 2 + 9 * 2);
}

TEST(ContentMedia, SolidsWindOutwardAndOutlineShellsInward) {
  std::vector<std::string> bad;
  for (const std::string& f : manifest()) {
    if (ext(f) != ".md2" || f == "models/misc/tunnel.md2") continue;   // the tunnel is two-sided
    Md2 m;
    ASSERT_EQ(readMd2(f, m), "") << f;
    double v = signedVolume(m, 0);
    bool outline = f.size() > 6 && f.substr(f.size() - 6) == "_o.md2";
    if (outline ? v >= 0 : v <= 0) bad.push_back(f + " volume " + std::to_string(v));
  }
  EXPECT_TRUE(bad.empty()) << ::testing::PrintToString(bad);
}

TEST(ContentMedia, HeldWeaponMuzzleSitsAtTheGunnersAimPoint) {
  // Hold poses: frames 60-64 (car) and 108-110 (bike) aim from seat + (20.5, 24, 21); 114-116
  // (convertible) from seat + (17.5, 24, 24). The muzzle is the weapon's foremost point.
  struct Pose { int first, last; float x, y, z; };
  for (const char* w : {"launcher", "shotty", "sniper"}) {
    Md2 m;
    ASSERT_EQ(readMd2(std::string("models/weapons/") + w + ".md2", m), "");
    for (const Pose& p : {Pose{60, 64, 20.5f, 24, 21}, Pose{108, 110, 20.5f, 24, 21}, Pose{114, 116, 17.5f, 24, 24}})
      for (int f = p.first - 1; f < p.last; ++f) {
        auto tip = *std::max_element(m.pos[f].begin(), m.pos[f].end(), [](auto& a, auto& b) { return a[2] < b[2]; });
        EXPECT_NEAR(tip[2], p.z, 1.5) << w << " frame " << f + 1;
        EXPECT_NEAR(tip[0], p.x, 3.5) << w << " frame " << f + 1;
        EXPECT_NEAR(tip[1], p.y, 3.5) << w << " frame " << f + 1;
      }
  }
}

TEST(ContentMedia, SoundsAreShortDistinctMonoAndLoopsJoinWithoutAClick) {
  const std::set<std::string> loops = {"jet", "jet2", "jet3", "jet4", "tractor"};
  std::set<std::string> seen;
  for (const std::string& f : manifest()) {
    if (ext(f) != ".wav") continue;
    std::string bytes = readFile(gamePath(f));
    Wav w;
    ASSERT_EQ(parseWav(bytes, w), "") << f;
    EXPECT_EQ(w.channels, 1) << f;
    EXPECT_EQ(w.bits, 16) << f;
    EXPECT_EQ(w.rate, 22050) << f;
    double secs = static_cast<double>(w.samples.size()) / w.rate;
    EXPECT_GT(secs, 0.05) << f;
    EXPECT_LT(secs, 2.0) << f;
    EXPECT_TRUE(seen.insert(bytes).second) << f << " duplicates another sound";
    std::string name = f.substr(4, f.size() - 8);
    if (!loops.count(name)) continue;
    int maxStep = 0;
    for (size_t i = 1; i < w.samples.size(); ++i) maxStep = std::max(maxStep, std::abs(w.samples[i] - w.samples[i - 1]));
    int wrap = std::abs(w.samples.front() - w.samples.back());
    EXPECT_LE(wrap, maxStep) << f << ": the loop's end does not meet its start";
  }
}
