// Idle-window costs: the CPU time of one idle frame (clear + present of an 800 x 600 window on the
// OpenGL device, until the driver has done the clear) and the share of one core that the real
// main loop takes at its frame cap with nothing to draw (after start-up, the loop is switched to
// the launcher's empty mode: no scene, no effect). Run headless: SDL_VIDEODRIVER=offscreen
// bench_idle_window.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench/BenchGameDir.h"
#include "bench/CpuTime.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/frmMain.h"
#include "platform/D3DX.h"
#include "platform/Direct3D.h"
#include "platform/Timer.h"
#include "platform/Window.h"
#include "runtime/Paths.h"

namespace fs = std::filesystem;

namespace {
// One frame of the launcher mode: begin, clear to a sky colour, end, present.
void BM_IdleFrame(benchmark::State& state) {
  GameWindow window;
  window.setWidth(800 * 15);
  window.setHeight(625 * 15);
  auto dx = std::make_shared<DirectX8>();
  auto d3d = dx->Direct3DCreate();
  D3DPRESENT_PARAMETERS pp;
  pp.Windowed = true;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.EnableAutoDepthStencil = true;
  pp.AutoDepthStencilFormat = D3DFMT_D24X8;
  pp.hDeviceWindow = window.hWnd();
  std::shared_ptr<Direct3DDevice8> dev;
  if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window.hWnd(), 64, pp, dev))) {
    state.SkipWithError(("no device: " + lastErrorDescription()).c_str());
    return;
  }
  // The renderer may work on threads of its own: count the whole process's CPU time too.
  const double cpuStart = processCpuSeconds();
  for (auto _ : state) {
    dev->BeginScene();
    dev->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DColorARGB(255, 40, 60, 90), 1.0f, 0);
    dev->EndScene();
    dev->Present();
    dev->FinishDrawing();
  }
  state.counters["process_cpu_us_per_frame"] =
      benchmark::Counter(1e6 * (processCpuSeconds() - cpuStart) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_IdleFrame)->Unit(benchmark::kMicrosecond);

// The real loop (start-up on a copy of the game folder, then frames at the cap) for a few
// seconds after a warm-up; reports the process CPU time per second of wall time.
void BM_CappedIdleLoop(benchmark::State& state) {
  BenchGameDir game(state, "qv-bench-idle");
  if (!game.ok()) return;
  constexpr uint32_t WarmUpMs = 1000, MeasureMs = 5000;
  for (auto _ : state) {
    uint32_t measureStart = 0;
    double cpuStart = 0;
    Long framesStart = 0, frames = 0;
    double cpu = 0, wall = 0;
    frmMain.afterFrameForTests = [&](Long pass) {
      const uint32_t now = timeGetTime();
      if (pass == 1) {
        measureStart = now + WarmUpMs;
        GameMode = pmLauncher;  // nothing to update or draw: each frame clears and presents
        ScreenFxOn = false;
      }
      if (framesStart == 0 && pass > 1 && now >= measureStart) {
        framesStart = pass;
        cpuStart = processCpuSeconds();
        measureStart = now;
      }
      if (framesStart > 0 && now - measureStart >= MeasureMs) {
        frames = pass - framesStart;
        cpu = processCpuSeconds() - cpuStart;
        wall = (now - measureStart) / 1000.0;
        Integer cancel = 0;
        frmMain.Form_Unload(cancel);
      }
    };
    frmMain.Form_Load();
    frmMain.afterFrameForTests = {};
    if (wall <= 0) {
      state.SkipWithError("the loop did not run");
      break;
    }
    state.counters["core_percent"] = 100.0 * cpu / wall;
    state.counters["fps"] = frames / wall;
    state.counters["cpu_ms_per_frame"] = 1000.0 * cpu / frames;
  }
}
BENCHMARK(BM_CappedIdleLoop)->Iterations(1)->Unit(benchmark::kSecond);
}  // namespace
