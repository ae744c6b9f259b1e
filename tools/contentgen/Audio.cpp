#include "tools/contentgen/Audio.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace {

constexpr double kTwoPi = 6.283185307179586;

float envelope(double x, double dur, double attack, double decay) {
  double a = attack > 0 && x < attack ? x / attack : 1.0;
  double rest = dur - attack;
  double d = decay > 0 && rest > 0 && x > attack ? std::pow(std::max(0.0, 1.0 - (x - attack) / rest), decay) : 1.0;
  double release = std::min(1.0, (dur - x) / 0.005);
  return static_cast<float>(a * d * std::max(0.0, release));
}

void put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void put16(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8));
}

}  // namespace

float waveAt(Wave w, double phase) {
  double p = phase - std::floor(phase);
  switch (w) {
    case Wave::Sine: return static_cast<float>(std::sin(kTwoPi * p));
    case Wave::Triangle: return static_cast<float>(p < 0.5 ? 4 * p - 1 : 3 - 4 * p);
    case Wave::Square: return p < 0.5 ? 0.7f : -0.7f;
    case Wave::Saw: return static_cast<float>(2 * p - 1) * 0.8f;
  }
  return 0;
}

void tone(Sound& snd, double t0, double dur, double f0, double f1, Wave w, float amp, double attack, double decay) {
  size_t start = snd.at(t0), n = static_cast<size_t>(dur * snd.rate);
  double phase = 0;
  for (size_t i = 0; i < n && start + i < snd.s.size(); ++i) {
    double x = static_cast<double>(i) / snd.rate;
    double f = f0 * std::pow(f1 / f0, x / dur);
    phase += f / snd.rate;
    snd.s[start + i] += amp * envelope(x, dur, attack, decay) * waveAt(w, phase);
  }
}

void noise(Sound& snd, Rng& rng, double t0, double dur, double c0, double c1, float amp, double attack, double decay) {
  size_t start = snd.at(t0), n = static_cast<size_t>(dur * snd.rate);
  double y = 0;
  for (size_t i = 0; i < n && start + i < snd.s.size(); ++i) {
    double x = static_cast<double>(i) / snd.rate;
    double c = c0 * std::pow(c1 / c0, x / dur);
    double k = 1 - std::exp(-kTwoPi * c / snd.rate);
    y += k * (rng.range(-1, 1) - y);
    snd.s[start + i] += amp * envelope(x, dur, attack, decay) * static_cast<float>(y);
  }
}

void kick(Sound& snd, double t0, float amp) {
  size_t start = snd.at(t0), n = snd.at(0.35);
  double phase = 0;
  for (size_t i = 0; i < n && start + i < snd.s.size(); ++i) {
    double x = static_cast<double>(i) / snd.rate;
    phase += (45 + 110 * std::exp(-x * 30)) / snd.rate;
    snd.s[start + i] += amp * static_cast<float>(std::exp(-x * 9) * std::sin(kTwoPi * phase));
  }
}

void snare(Sound& snd, Rng& rng, double t0, float amp) {
  noise(snd, rng, t0, 0.18, 6000, 2500, amp, 0.001, 3);
  tone(snd, t0, 0.12, 200, 160, Wave::Triangle, amp * 0.5f, 0.001, 3);
}

void hat(Sound& snd, Rng& rng, double t0, float amp) {
  size_t start = snd.at(t0), n = snd.at(0.05);
  float prev = 0;
  for (size_t i = 0; i < n && start + i < snd.s.size(); ++i) {
    float w = static_cast<float>(rng.range(-1, 1));
    double x = static_cast<double>(i) / snd.rate;
    snd.s[start + i] += amp * static_cast<float>(std::exp(-x * 80)) * (w - prev);   // high-passed
    prev = w;
  }
}

void normalise(Sound& snd, float peak) {
  float m = 0;
  for (float v : snd.s) m = std::max(m, std::fabs(v));
  if (m > 1e-9f)
    for (float& v : snd.s) v *= peak / m;
}

std::vector<int16_t> toPcm16(const Sound& snd) {
  std::vector<int16_t> out(snd.s.size());
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<int16_t>(std::lround(std::clamp(snd.s[i], -1.0f, 1.0f) * 32767.0f));
  return out;
}

std::string encodeWav(const Sound& snd) {
  std::vector<int16_t> pcm = toPcm16(snd);
  uint32_t data = static_cast<uint32_t>(pcm.size() * 2);
  std::string s;
  s.reserve(44 + data);
  s += "RIFF";
  put32(s, 36 + data);
  s += "WAVEfmt ";
  put32(s, 16);
  put16(s, 1);                                      // PCM
  put16(s, 1);                                      // mono
  put32(s, static_cast<uint32_t>(snd.rate));
  put32(s, static_cast<uint32_t>(snd.rate) * 2);    // bytes per second
  put16(s, 2);                                      // block align
  put16(s, 16);
  s += "data";
  put32(s, data);
  for (int16_t v : pcm) put16(s, static_cast<uint16_t>(v));
  return s;
}

std::string encodeMp3(const Sound& snd, int kbps) {
  std::unique_ptr<lame_global_flags, int (*)(lame_global_flags*)> gf(lame_init(), lame_close);
  if (!gf) throw std::runtime_error("lame_init failed");
  lame_set_in_samplerate(gf.get(), snd.rate);
  lame_set_out_samplerate(gf.get(), snd.rate);
  lame_set_num_channels(gf.get(), 1);
  lame_set_mode(gf.get(), MONO);
  lame_set_VBR(gf.get(), vbr_off);
  lame_set_brate(gf.get(), kbps);
  lame_set_quality(gf.get(), 5);
  lame_set_bWriteVbrTag(gf.get(), 0);
  if (lame_init_params(gf.get()) < 0) throw std::runtime_error("lame_init_params failed");
  std::vector<int16_t> pcm = toPcm16(snd);
  std::string out;
  const int chunk = 8192;
  std::vector<unsigned char> buf(static_cast<size_t>(1.25 * chunk + 7200));
  for (size_t i = 0; i < pcm.size(); i += chunk) {
    int n = static_cast<int>(std::min<size_t>(chunk, pcm.size() - i));
    int r = lame_encode_buffer(gf.get(), pcm.data() + i, pcm.data() + i, n, buf.data(), static_cast<int>(buf.size()));
    if (r < 0) throw std::runtime_error("lame_encode_buffer failed");
    out.append(reinterpret_cast<const char*>(buf.data()), static_cast<size_t>(r));
  }
  int r = lame_encode_flush(gf.get(), buf.data(), static_cast<int>(buf.size()));
  if (r < 0) throw std::runtime_error("lame_encode_flush failed");
  out.append(reinterpret_cast<const char*>(buf.data()), static_cast<size_t>(r));
  return out;
}
