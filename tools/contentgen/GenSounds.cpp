// The 34 sound effects "\sfx\<name>.wav" (16-bit mono PCM, 22050 Hz). Each is short and
// distinct; the engine loops (jet .. jet4) and the tractor hum are exactly periodic over their
// length (whole numbers of cycles, circularly filtered noise), so they loop without a click.
#include <cmath>
#include <string>

#include "tools/contentgen/Audio.h"
#include "tools/contentgen/Generator.h"

namespace {

constexpr int kRate = 22050;

// A seamless loop of `seconds` (a whole number of cycles of every partial): harmonics of f
// (a multiple of 1 / seconds) with amplitudes amp[k], a tremolo of trem Hz, and periodic
// low-passed noise.
Sound loop(const std::string& name, double seconds, double f, const std::vector<float>& amp, double trem,
           float tremDepth, float noiseAmp, double noiseCut) {
  Sound snd(kRate, seconds);
  const size_t n = snd.s.size();
  for (size_t i = 0; i < n; ++i) {
    double t = static_cast<double>(i) / kRate;
    double v = 0;
    for (size_t k = 0; k < amp.size(); ++k) v += amp[k] * std::sin(6.283185307179586 * f * (k + 1) * t);
    double am = 1 - tremDepth * 0.5 * (1 - std::cos(6.283185307179586 * trem * t));
    snd.s[i] = static_cast<float>(v * am);
  }
  // Noise made periodic: white noise of the loop's length, low-passed around the circle twice.
  Rng rng(name);
  std::vector<float> w(n);
  for (float& x : w) x = static_cast<float>(rng.range(-1, 1));
  double k = 1 - std::exp(-6.283185307179586 * noiseCut / kRate), y = 0;
  std::vector<float> lp(n);
  for (int pass = 0; pass < 3; ++pass)
    for (size_t i = 0; i < n; ++i) {
      y += k * (w[i] - y);
      lp[i] = static_cast<float>(y);
    }
  for (size_t i = 0; i < n; ++i) snd.s[i] += noiseAmp * lp[i];
  normalise(snd, 0.7f);
  return snd;
}

Sound make(const std::string& name) {
  Rng rng(name);
  auto S = [](double seconds) { return Sound(kRate, seconds); };
  if (name == "jet") return loop(name, 1.0, 55, {1.0f, 0.5f, 0.33f, 0.25f, 0.2f}, 6, 0.15f, 0.25f, 600);
  if (name == "jet2") return loop(name, 1.0, 72, {1.0f, 0.0f, 0.33f, 0.0f, 0.2f}, 8, 0.2f, 0.35f, 900);
  if (name == "jet3") return loop(name, 1.0, 96, {0.7f, 0.6f, 0.4f, 0.3f}, 12, 0.25f, 0.5f, 1500);
  if (name == "jet4") return loop(name, 1.0, 140, {1.0f, 0.3f, 0.5f}, 20, 0.3f, 0.2f, 2500);
  if (name == "tractor") return loop(name, 1.0, 110, {1.0f, 0.6f, 0.0f, 0.3f}, 4, 0.7f, 0.1f, 400);

  Sound snd = S(1.0);
  if (name == "laser") {
    snd = S(0.25);
    tone(snd, 0, 0.25, 1800, 300, Wave::Square, 0.6f, 0.002, 1.5);
    tone(snd, 0, 0.25, 2700, 450, Wave::Sine, 0.3f, 0.002, 2);
  } else if (name == "explode") {
    snd = S(1.3);
    noise(snd, rng, 0, 1.3, 4000, 150, 1.0f, 0.005, 1.6);
    tone(snd, 0, 0.9, 70, 35, Wave::Sine, 0.8f, 0.005, 2);
  } else if (name == "rocket") {
    snd = S(0.6);
    noise(snd, rng, 0, 0.6, 500, 3000, 0.9f, 0.02, 1.2);
    tone(snd, 0, 0.2, 120, 60, Wave::Sine, 0.7f, 0.002, 2);
  } else if (name == "rocker") {
    snd = S(0.5);
    noise(snd, rng, 0, 0.5, 1500, 4000, 0.7f, 0.01, 1.5);
    for (int k = 0; k < 6; ++k) noise(snd, rng, 0.05 + k * 0.06, 0.03, 6000, 6000, 0.5f, 0.001, 2);
  } else if (name == "flame2") {
    snd = S(0.45);
    noise(snd, rng, 0, 0.45, 900, 400, 0.9f, 0.02, 1.2);
    tone(snd, 0, 0.45, 60, 50, Wave::Triangle, 0.3f, 0.02, 1);
  } else if (name == "miniexplode") {
    snd = S(0.5);
    noise(snd, rng, 0, 0.5, 3000, 300, 1.0f, 0.002, 2);
    tone(snd, 0, 0.3, 110, 50, Wave::Sine, 0.6f, 0.002, 2);
  } else if (name == "rail") {
    snd = S(0.55);
    tone(snd, 0, 0.55, 300, 2400, Wave::Saw, 0.4f, 0.002, 1.5);
    tone(snd, 0, 0.55, 2000, 1900, Wave::Sine, 0.5f, 0.001, 3);
    noise(snd, rng, 0, 0.1, 8000, 8000, 0.4f, 0.001, 2);
  } else if (name == "warp2") {
    snd = S(1.5);
    tone(snd, 0, 1.5, 150, 2200, Wave::Saw, 0.5f, 0.1, 0.6);
    tone(snd, 0, 1.5, 225, 3300, Wave::Sine, 0.4f, 0.1, 0.6);
    noise(snd, rng, 0, 1.5, 300, 6000, 0.3f, 0.2, 0.8);
  } else if (name == "warp_out") {
    snd = S(1.2);
    tone(snd, 0, 1.2, 2200, 120, Wave::Saw, 0.5f, 0.005, 1.2);
    tone(snd, 0, 1.2, 3300, 180, Wave::Sine, 0.4f, 0.005, 1.2);
  } else if (name == "beep") {
    snd = S(0.1);
    tone(snd, 0, 0.1, 880, 880, Wave::Square, 0.5f, 0.003, 0);
  } else if (name == "vulcan") {
    snd = S(0.3);
    for (int k = 0; k < 6; ++k) {
      noise(snd, rng, k * 0.05, 0.04, 5000, 1500, 0.8f, 0.001, 2);
      tone(snd, k * 0.05, 0.03, 400, 200, Wave::Square, 0.3f, 0.001, 2);
    }
  } else if (name == "shotgun") {
    snd = S(0.45);
    noise(snd, rng, 0, 0.45, 7000, 500, 1.0f, 0.001, 2.5);
    tone(snd, 0, 0.2, 90, 45, Wave::Sine, 0.9f, 0.001, 2);
  } else if (name == "miniwarp") {
    snd = S(0.4);
    tone(snd, 0, 0.4, 300, 1600, Wave::Triangle, 0.6f, 0.01, 0.8);
  } else if (name == "miniwarpout") {
    snd = S(0.4);
    tone(snd, 0, 0.4, 1600, 300, Wave::Triangle, 0.6f, 0.005, 1.2);
  } else if (name == "roll") {
    snd = S(0.5);
    noise(snd, rng, 0, 0.5, 400, 2500, 0.8f, 0.15, 1.5);
  } else if (name == "sniper") {
    snd = S(0.7);
    noise(snd, rng, 0, 0.05, 9000, 4000, 1.0f, 0.0005, 2);
    tone(snd, 0, 0.1, 1500, 800, Wave::Square, 0.5f, 0.0005, 2);
    noise(snd, rng, 0.18, 0.3, 2500, 800, 0.25f, 0.001, 2);
  } else if (name == "cross") {
    snd = S(0.4);
    tone(snd, 0, 0.4, 220, 200, Wave::Saw, 0.6f, 0.001, 3);
    tone(snd, 0, 0.4, 440, 410, Wave::Triangle, 0.4f, 0.001, 4);
    noise(snd, rng, 0, 0.06, 3000, 1000, 0.4f, 0.001, 2);
  } else if (name == "bassplode") {
    snd = S(1.5);
    tone(snd, 0, 1.5, 55, 30, Wave::Sine, 1.0f, 0.005, 1.5);
    noise(snd, rng, 0, 1.2, 800, 100, 0.6f, 0.005, 1.5);
  } else if (name == "warptrans") {
    snd = S(1.5);
    for (double f : {440.0, 554.4, 659.3, 880.0}) tone(snd, 0, 1.5, f, f * 2, Wave::Sine, 0.3f, 0.3, 1.0);
    noise(snd, rng, 0, 1.5, 2000, 8000, 0.2f, 0.5, 1);
  } else if (name == "dock") {
    snd = S(0.5);
    tone(snd, 0, 0.3, 90, 60, Wave::Sine, 0.9f, 0.001, 2);
    tone(snd, 0, 0.5, 1200, 1150, Wave::Sine, 0.3f, 0.001, 3);
    tone(snd, 0, 0.5, 1730, 1700, Wave::Sine, 0.2f, 0.001, 3);
  } else if (name == "spawn") {
    snd = S(0.6);
    const double notes[4] = {523.3, 659.3, 784.0, 1046.5};
    for (int k = 0; k < 4; ++k) tone(snd, k * 0.12, 0.25, notes[k], notes[k], Wave::Triangle, 0.5f, 0.005, 1.5);
  } else if (name == "dark") {
    snd = S(0.7);
    tone(snd, 0, 0.7, 200, 60, Wave::Square, 0.5f, 0.01, 1.2);
    tone(snd, 0, 0.7, 203, 61, Wave::Square, 0.4f, 0.01, 1.2);
  } else if (name == "neutron") {
    snd = S(0.5);
    size_t n = snd.s.size();
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
      double t = static_cast<double>(i) / kRate;
      phase += (600 + 300 * std::sin(6.2832 * 30 * t)) / kRate;
      snd.s[i] = static_cast<float>(0.6 * std::sin(6.2832 * phase) * std::pow(1 - t / 0.5, 1.5));
    }
  } else if (name == "bulletin") {
    snd = S(0.8);
    tone(snd, 0, 0.8, 600, 90, Wave::Saw, 0.5f, 0.01, 0.8);
  } else if (name == "bulletout") {
    snd = S(0.8);
    tone(snd, 0, 0.8, 90, 600, Wave::Saw, 0.5f, 0.05, 0.8);
  } else if (name == "rico") {
    snd = S(0.4);
    tone(snd, 0, 0.4, 2600, 2000, Wave::Sine, 0.7f, 0.001, 2.5);
    noise(snd, rng, 0, 0.03, 8000, 8000, 0.4f, 0.0005, 2);
  } else if (name == "chime") {
    snd = S(0.8);
    for (double f : {1046.5, 1318.5, 1568.0}) tone(snd, 0, 0.8, f, f, Wave::Sine, 0.35f, 0.002, 2.5);
  } else if (name == "levup") {
    snd = S(0.6);
    const double notes[4] = {523.3, 659.3, 784.0, 1046.5};
    for (int k = 0; k < 4; ++k) tone(snd, k * 0.1, 0.2, notes[k], notes[k], Wave::Square, 0.4f, 0.003, 1);
  } else if (name == "crash") {
    snd = S(0.8);
    noise(snd, rng, 0, 0.8, 6000, 1200, 0.9f, 0.001, 2);
    tone(snd, 0, 0.3, 80, 40, Wave::Sine, 0.9f, 0.001, 2);
    for (double f : {523.0, 1107.0, 1733.0}) tone(snd, 0, 0.6, f, f * 0.97, Wave::Square, 0.1f, 0.001, 3);
  }
  normalise(snd, 0.85f);
  return snd;
}

}  // namespace

void addSoundTasks(TaskList& tasks) {
  const char* names[34] = {"laser", "explode", "rocket", "rocker", "flame2", "miniexplode", "rail", "warp2",
                           "warp_out", "beep", "tractor", "vulcan", "shotgun", "miniwarp", "miniwarpout", "roll",
                           "sniper", "cross", "bassplode", "warptrans", "dock", "spawn", "dark", "neutron",
                           "bulletin", "bulletout", "jet", "jet2", "jet3", "jet4", "rico", "chime", "levup", "crash"};
  for (const char* n : names)
    tasks.push_back({"sounds", n, [name = std::string(n)](OutputFolder& out) {
                       out.write("sfx/" + name + ".wav", encodeWav(make(name)));
                     }});
}
