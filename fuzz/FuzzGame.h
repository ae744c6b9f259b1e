// The fuzz harnesses' shared set-up: a private game folder, a copy of the default content's text
// data (the generated game folder named by QV_FUZZ_GAME_DIR), made once per process; the message
// log installed (so trapped errors go through it) and its echo to standard error silenced.
// Each harness writes its input where its reader looks and calls the game's own reader.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// The private game folder, made on the first call.
void fuzzGameDir();
// Writes the bytes to a game path ("\maps\fz.pnd") of the private folder, replacing it.
void fuzzWrite(const std::string& gamePath, const uint8_t* data, size_t size);
void fuzzWrite(const std::string& gamePath, const std::string& bytes);
// Runs a reader: a raised VbError or std::exception is the reader's refusal of bad input, which is
// what the harness expects; anything else (a crash, a sanitizer report, a hang) is a finding.
void fuzzRun(const std::function<void()>& reader);
// A real device on the recording backend (draws nothing), made on the first call.
void fuzzDevice();
