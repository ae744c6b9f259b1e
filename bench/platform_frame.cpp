// Cost of an idle frame on the OpenGL device (headless under SDL_VIDEODRIVER=offscreen):
// IdleFrame: BeginScene, Clear, EndScene, Present, and the wait until the driver has done the
// clear (the offscreen driver's present does no work of its own); the goal is under 1 ms of CPU
// per frame.
// CappedIdleFrame: the same frame followed by a 60 fps cap that sleeps through most of the wait
// and spins (yielding) for the last millisecond; "cpu_share" is the process's CPU time (all threads) over
// wall time, the goal being under 10% of one core.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bench/CpuTime.h"
#include "platform/D3DX.h"
#include "platform/Direct3D.h"
#include "platform/Timer.h"
#include "platform/Window.h"
#include "tests/support/PixelDevice.h"

namespace {
struct Frame {
  GameWindow window;
  std::shared_ptr<Direct3DDevice8> device;

  Frame() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    window.setWidth(800 * 15);
    window.setHeight(625 * 15);
    D3DPRESENT_PARAMETERS pp;
    pp.Windowed = true;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.hDeviceWindow = window.hWnd();
    pp.EnableAutoDepthStencil = true;
    pp.AutoDepthStencilFormat = D3DFMT_D24X8;
    DirectX8().Direct3DCreate()->CreateDevice(0, D3DDEVTYPE_HAL, window.hWnd(), D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                              pp, device);
  }
  void run() {
    device->BeginScene();
    doEvents();
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DColorARGB(255, 90, 120, 160), 1.0f, 0);
    device->EndScene();
    device->Present();
    device->FinishDrawing();
  }
};

void IdleFrame(benchmark::State& state) {
  Frame f;
  if (!f.device) {
    state.SkipWithError(("no OpenGL device: " + lastErrorDescription()).c_str());
    return;
  }
  double cpu0 = processCpuSeconds();
  for (auto _ : state) f.run();
  // the main thread's time is "CPU"; this adds the GL driver's worker threads
  state.counters["all_threads_us"] = benchmark::Counter((processCpuSeconds() - cpu0) * 1e6 / state.iterations());
}
BENCHMARK(IdleFrame)->Unit(benchmark::kMicrosecond);

void CappedIdleFrame(benchmark::State& state) {
  Frame f;
  if (!f.device) {
    state.SkipWithError(("no OpenGL device: " + lastErrorDescription()).c_str());
    return;
  }
  double cpu0 = processCpuSeconds();
  uint32_t wall0 = timeGetTime();
  for (auto _ : state) {
    uint32_t start = timeGetTime();
    f.run();
    for (;;) {
      uint32_t elapsed = timeGetTime() - start;
      if (elapsed >= 17) break;
      if (17 - elapsed > 1)
        sleepMs(17 - elapsed - 1);
      else
        yieldCpu();
    }
  }
  double wall = (timeGetTime() - wall0) / 1000.0;
  state.counters["cpu_share"] = wall > 0 ? (processCpuSeconds() - cpu0) / wall : 0.0;
}
BENCHMARK(CappedIdleFrame)->Unit(benchmark::kMillisecond)->Iterations(120)->UseRealTime();
}  // namespace

namespace {
// The title's full-screen effect in isolation: a 512 x 512 picture drawn over the whole 800 x 600
// back buffer as 43 additive rectangles, each 3 pixels larger on every side (linear filtering,
// the texture factor as tint), until drawn; merging off (43 draws) against on (one summing pass).
// "all_threads_us" is the process's CPU time per frame.
void ScreenEffectLayers(benchmark::State& state) {
  Frame f;
  if (!f.device) {
    state.SkipWithError(("no OpenGL device: " + lastErrorDescription()).c_str());
    return;
  }
  auto& d = *f.device;
  std::shared_ptr<Direct3DTexture8> tex;
  D3DX8 d3dx;
  std::vector<uint32_t> px(512 * 512);
  for (size_t i = 0; i < px.size(); ++i) px[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
  if (FAILED(d3dx.CreateTexture(f.device, 512, 512, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, tex)) ||
      FAILED(d.UploadTexture(*tex, px.data()))) {
    state.SkipWithError("no texture");
    return;
  }
  setDrawBatching(state.range(0) != 0);
  double cpu0 = processCpuSeconds();
  for (auto _ : state) {
    d.BeginScene();
    d.Clear(D3DCLEAR_TARGET, D3DColorARGB(255, 50, 0, 0), 1.0f, 0);
    additiveLayerStates(d, tex, D3DColorARGB(35, 20, 20, 20));
    for (int i = 0; i < 43; ++i) {
      const float l = -3.0f * i - 1, t = -3.0f * i - 1, r = 3.0f * i + 799, b = 3.0f * i + 599;
      ScreenVertex q[4];
      screenQuad(q, l, t, r, b, 0xFFFFFFFF, 0, 0, 0.78f, 0.59f);
      d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ScreenVertex));
    }
    d.EndScene();
    d.Present();
    d.FinishDrawing();
  }
  state.counters["all_threads_us"] = benchmark::Counter((processCpuSeconds() - cpu0) * 1e6 / state.iterations());
  setDrawBatching(true);
}
BENCHMARK(ScreenEffectLayers)->Arg(0)->Arg(1)->ArgName("merged")->Unit(benchmark::kMillisecond);
}  // namespace
