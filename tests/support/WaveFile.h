// The bytes of a RIFF WAVE file of 16-bit PCM for sound fixtures: rate frames a second, channels
// 1 or 2, samples interleaved by channel.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

inline std::string waveFile(int rate, int channels, const std::vector<int16_t>& samples) {
  auto u32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  auto u16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
  std::string data(samples.size() * 2, '\0');
  std::memcpy(data.data(), samples.data(), data.size());
  std::string fmt = u16(1) + u16(uint16_t(channels)) + u32(uint32_t(rate)) + u32(uint32_t(rate * channels * 2)) +
                    u16(uint16_t(channels * 2)) + u16(16);
  std::string body = "WAVE" + std::string("fmt ") + u32(uint32_t(fmt.size())) + fmt + "data" +
                     u32(uint32_t(data.size())) + data;
  return "RIFF" + u32(uint32_t(body.size())) + body;
}
