#include "engine/MediaBatch.h"

#include <deque>

namespace {
int depth = 0;
bool workersOn = true;
std::deque<std::function<void()>> inFlight;  // main-thread halves, oldest first

// Enough loads ahead to keep every worker busy while the main thread fills the device.
size_t maxInFlight() {
  static const size_t n = static_cast<size_t>(4 * workerCount());
  return n;
}

void finishOldest() {
  std::function<void()> finish = std::move(inFlight.front());
  inFlight.pop_front();
  finish();
}
}  // namespace

void beginMediaBatch() { ++depth; }

void endMediaBatch() {
  if (depth > 0 && --depth == 0) finishMediaLoads();
}

bool mediaBatchOpen() { return depth > 0; }

void setMediaWorkers(bool on) {
  finishMediaLoads();
  workersOn = on;
}
bool mediaWorkersOn() { return workersOn; }

void finishMediaLoads() {
  while (!inFlight.empty()) finishOldest();
}

void queueMediaFinish(std::function<void()> finish) {
  inFlight.push_back(std::move(finish));
  while (inFlight.size() > maxInFlight()) finishOldest();
}

MediaBatch::~MediaBatch() {
  // The finishing halves trap their own errors; one that still raises (out of memory) must not
  // escape a destructor that may run while an error unwinds.
  try {
    endMediaBatch();
  } catch (...) {
  }
}
