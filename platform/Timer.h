// The Windows multimedia timer the main loop uses, and the sleep it waits with.
// timeGetTime counts milliseconds in 32 bits and wraps after about 49.7 days, so callers subtract
// two readings modulo 2^32. Tests can replace the clock (setTimeSourceForTests) so that frames
// see chosen times.
#pragma once
#include <cstdint>
#include <functional>

// Milliseconds since the first call of this layer's clock, modulo 2^32.
uint32_t timeGetTime();
// The timer resolution is always 1 ms here: both answer 0 (TIMERR_NOERROR) and do nothing else.
uint32_t timeBeginPeriod(uint32_t periodMs);
uint32_t timeEndPeriod(uint32_t periodMs);

// Gives up the processor for about ms milliseconds (the OS may wake it up to ~1 ms late); a frame
// cap sleeps through most of its wait with it and spins on timeGetTime for the last milliseconds.
void sleepMs(uint32_t ms);
// Lets other threads run once without sleeping (for the spinning end of a wait).
void yieldCpu();

// Tests: now() replaces the clock; sleep(ms), when given, replaces sleepMs (e.g. to advance a fake
// clock). Empty functions restore the real clock and sleep.
void setTimeSourceForTests(std::function<uint32_t()> now, std::function<void(uint32_t)> sleep = {});
