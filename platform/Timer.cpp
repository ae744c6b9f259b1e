// The millisecond clock (steady, from the first call) and the sleep of the frame cap.
#include "platform/Timer.h"

#include <chrono>
#include <thread>

namespace {
std::function<uint32_t()> g_testNow;
std::function<void(uint32_t)> g_testSleep;

uint32_t realNow() {
  using Clock = std::chrono::steady_clock;
  static const Clock::time_point start = Clock::now();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  return static_cast<uint32_t>(static_cast<uint64_t>(ms));  // modulo 2^32
}
}  // namespace

uint32_t timeGetTime() { return g_testNow ? g_testNow() : realNow(); }
uint32_t timeBeginPeriod(uint32_t) { return 0; }
uint32_t timeEndPeriod(uint32_t) { return 0; }

void sleepMs(uint32_t ms) {
  if (g_testSleep) {
    g_testSleep(ms);
    return;
  }
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void yieldCpu() { std::this_thread::yield(); }

void setTimeSourceForTests(std::function<uint32_t()> now, std::function<void(uint32_t)> sleep) {
  g_testNow = std::move(now);
  g_testSleep = std::move(sleep);
}
