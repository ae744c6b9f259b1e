// Sound building blocks for the effects and the music: a mono float buffer with oscillators,
// filtered noise, envelopes and drum voices; the RIFF PCM writer (16-bit mono) for the sound
// effects and the MP3 encoder (libmp3lame, constant bit rate, no tags) for the music.
// Everything is deterministic: noise comes from an Rng seeded by the caller.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/contentgen/Rng.h"

enum class Wave { Sine, Triangle, Square, Saw };

struct Sound {
  int rate;
  std::vector<float> s;
  Sound(int sampleRate, double seconds) : rate(sampleRate), s(static_cast<size_t>(seconds * sampleRate), 0.0f) {}
  size_t at(double seconds) const { return static_cast<size_t>(seconds * rate); }
};

float waveAt(Wave w, double phase);   // phase in cycles
// Tone from t0 lasting dur seconds, frequency sliding exponentially f0 -> f1, amplitude amp,
// attack seconds, then decaying as (1 - x)^decay over the rest (decay 0: flat, with a 5 ms
// release so it never clicks).
void tone(Sound& snd, double t0, double dur, double f0, double f1, Wave w, float amp, double attack, double decay);
// Noise burst with a one-pole low-pass whose cut-off slides c0 -> c1 (Hz), same envelope.
void noise(Sound& snd, Rng& rng, double t0, double dur, double c0, double c1, float amp, double attack, double decay);
// Drum voices for the music.
void kick(Sound& snd, double t0, float amp);
void snare(Sound& snd, Rng& rng, double t0, float amp);
void hat(Sound& snd, Rng& rng, double t0, float amp);
// Scales the buffer so its peak is at peak (0..1); silent buffers stay silent.
void normalise(Sound& snd, float peak);
// 16-bit samples, rounded and clamped.
std::vector<int16_t> toPcm16(const Sound& snd);

std::string encodeWav(const Sound& snd);
std::string encodeMp3(const Sound& snd, int kbps);   // throws std::runtime_error on encoder failure
