// The music: a small sequencer (bass, pad, arpeggio, lead, drums) renders each track at
// 44100 Hz mono and libmp3lame encodes it at 64 kbit/s constant rate. The title track
// "ninjastar2.mp3" runs about 103 s (the title scene ends with it), the forced soft track
// "soft\gato.mp3" about 135 s (the intro show), the forced hard track "hard\blarg.mp3" about
// 150 s (the credits); one more calm and one more combat loop fill the director's pools.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tools/contentgen/Audio.h"
#include "tools/contentgen/Generator.h"

namespace {

constexpr int kRate = 44100;

struct Song {
  std::string path;
  double seconds;
  double bpm;
  int root;                   // MIDI note of the key
  bool minor;
  std::vector<int> chords;    // scale degrees, one per bar, repeating
  int energy;                 // 0 calm .. 2 hard
};

double midiHz(double n) { return 440.0 * std::pow(2.0, (n - 69) / 12.0); }

int scaleNote(const Song& s, int degree) {
  static const int major[7] = {0, 2, 4, 5, 7, 9, 11}, minor[7] = {0, 2, 3, 5, 7, 8, 10};
  int oct = degree >= 0 ? degree / 7 : (degree - 6) / 7;
  int d = degree - oct * 7;
  return s.root + 12 * oct + (s.minor ? minor[d] : major[d]);
}

Sound render(const Song& song) {
  Sound snd(kRate, song.seconds);
  Rng rng(song.path);
  const double beat = 60.0 / song.bpm, bar = 4 * beat;
  const int bars = static_cast<int>(song.seconds / bar);
  int leadDegree = 7;
  for (int b = 0; b < bars; ++b) {
    double t = b * bar;
    int chord = song.chords[b % song.chords.size()];
    bool intro = b < 4, outro = b >= bars - 2, breakdown = (b % 32) >= 24 && (b % 32) < 28;
    // Pad: the chord's triad, held over the bar.
    for (int k = 0; k < 3; ++k)
      tone(snd, t, bar, midiHz(scaleNote(song, chord + 2 * k)), midiHz(scaleNote(song, chord + 2 * k)), Wave::Triangle,
           song.energy == 0 ? 0.09f : 0.06f, 0.3, 0.4);
    // Bass.
    double bassHz = midiHz(scaleNote(song, chord) - 24);
    int bassHits = song.energy == 0 ? 2 : song.energy == 1 ? 4 : 8;
    if (!intro)
      for (int i = 0; i < bassHits; ++i)
        tone(snd, t + i * bar / bassHits, bar / bassHits * 0.9, bassHz, bassHz, song.energy == 2 ? Wave::Saw : Wave::Sine,
             0.22f, 0.005, 1.0);
    // Arpeggio in sixteenths (eighths when calm).
    int steps = song.energy == 0 ? 8 : 16;
    for (int i = 0; i < steps && !outro; ++i) {
      int deg = chord + 2 * (i % 4 == 3 ? 1 : i % 4) + 7;
      tone(snd, t + i * bar / steps, bar / steps, midiHz(scaleNote(song, deg)), midiHz(scaleNote(song, deg)), Wave::Square,
           0.05f, 0.003, 2.5);
    }
    // Lead: a random walk over the scale, one note per beat, with rests.
    if (!intro && !breakdown && !outro)
      for (int i = 0; i < 4; ++i) {
        if (rng.chance(0.25)) continue;
        leadDegree += rng.below(5) - 2;
        leadDegree = std::clamp(leadDegree, 5, 14);
        double f = midiHz(scaleNote(song, leadDegree));
        tone(snd, t + i * beat, beat * (rng.chance(0.3) ? 2 : 1), f, f, song.energy == 0 ? Wave::Sine : Wave::Saw,
             song.energy == 0 ? 0.12f : 0.09f, 0.01, 0.8);
      }
    // Drums.
    if (song.energy > 0 && !intro && !breakdown)
      for (int i = 0; i < 8; ++i) {
        double ht = t + i * beat / 2;
        if (i % 2 == 0 && (song.energy == 2 || i % 4 == 0)) kick(snd, ht, 0.5f);
        if (i == 2 || i == 6) snare(snd, rng, ht, 0.25f);
        hat(snd, rng, ht, 0.12f);
      }
    else if (song.energy == 0 && !intro && b % 2 == 0)
      kick(snd, t, 0.2f);
  }
  // Fade in over 1 s, out over the last 4 s.
  const size_t n = snd.s.size();
  for (size_t i = 0; i < n; ++i) {
    double t = static_cast<double>(i) / kRate;
    double g = std::min(1.0, t) * std::min(1.0, std::max(0.0, (song.seconds - t) / 4.0));
    snd.s[i] *= static_cast<float>(g);
  }
  // Gentle low-pass to tame the square and saw edges.
  float y = 0;
  for (float& v : snd.s) v = y += 0.45f * (v - y);
  normalise(snd, 0.89f);
  return snd;
}

const std::vector<Song>& songs() {
  static const std::vector<Song> all = {
      {"sfx/music/ninjastar2.mp3", 103.5, 128, 57, true, {0, 5, 3, 4}, 2},
      {"sfx/music/soft/gato.mp3", 136, 88, 60, false, {0, 5, 3, 4, 0, 3, 4, 4}, 0},
      {"sfx/music/soft/drift.mp3", 40, 80, 62, false, {0, 3, 5, 4}, 0},
      {"sfx/music/hard/blarg.mp3", 151, 140, 52, true, {0, 0, 5, 6, 3, 3, 4, 4}, 2},
      {"sfx/music/hard/stomp.mp3", 40, 132, 55, true, {0, 6, 5, 4}, 1},
  };
  return all;
}

}  // namespace

void addMusicTasks(TaskList& tasks) {
  for (size_t i = 0; i < songs().size(); ++i)
    tasks.push_back({"music", songs()[i].path, [i](OutputFolder& out) {
                       const Song& s = songs()[i];
                       out.write(s.path, encodeMp3(render(s), 64));
                     }});
}
