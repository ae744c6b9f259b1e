// Short mp3 files for the music tests: MPEG-1 layer III frames at 44100 Hz, 128 kbit/s, whose
// side information and main data are all zero, so that they decode to silence of an exact
// length (1152 samples a frame).
#pragma once
#include <cmath>
#include <string>

inline std::string silentMp3(double seconds) {
  const long frames = static_cast<long>(std::ceil(seconds * 44100 / 1152));
  std::string frame(417, '\0');  // 144 x 128000 / 44100 bytes, no padding
  frame[0] = static_cast<char>(0xFF);
  frame[1] = static_cast<char>(0xFB);  // MPEG-1, layer III, no CRC
  frame[2] = static_cast<char>(0x90);  // 128 kbit/s, 44100 Hz
  frame[3] = 0;                        // stereo
  std::string out;
  out.reserve(static_cast<size_t>(frames) * frame.size());
  for (long i = 0; i < frames; ++i) out += frame;
  return out;
}
