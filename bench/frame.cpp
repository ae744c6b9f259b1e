// Frame costs of the real main loop on the default content (headless: SDL_VIDEODRIVER=offscreen),
// in the title scene (with and without its full-screen effect), flight over "losgatos" with its
// population, and a busy flight of 128 ships and 1024 sprites, half of them shots (and again with
// 128 shots among them, to see the update grow with the shots). Every scene runs
// twice in one process, with the device's draw merging off (every call its own draw, the stream
// buffer orphaned per draw) and on, under a clock that moves 17 ms per frame; the runs of one scene
// take turns frame by frame, so both see the same moments of play (the title with and without its
// effect too). Per frame, as the
// median of the measured frames: update, render and present milliseconds (present includes
// waiting until the driver has drawn the frame, so the rasteriser's work is counted where it is
// spent), process CPU milliseconds over all threads, draw calls handed to the driver, and heap
// allocations of the whole process (malloc and friends, the driver's included) with the C++
// allocations among them. Reports; never fails. QV_FRAME_SCENES (e.g. "flight,busy") and
// QV_FRAME_MERGING ("on" or "off") narrow the runs; QV_FRAME_FRAMES ("warm-up,measured", e.g. "5,10")
// shortens them. Under callgrind (valgrind --tool=callgrind --collect-atstart=no) only the measured
// frames are counted, for instruction counts that a loaded machine does not disturb.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define QV_CALLGRIND_TOGGLE()                          \
  do {                                                 \
    if (RUNNING_ON_VALGRIND) CALLGRIND_TOGGLE_COLLECT; \
  } while (0)
#else
#define QV_CALLGRIND_TOGGLE() \
  do {                        \
  } while (0)
#endif

#include "bench/BenchGameDir.h"
#include "bench/CpuTime.h"
#include "engine/modDirectX.h"
#include "game/frmMain.h"
#include "platform/Direct3D.h"
#include "platform/Timer.h"
#include "runtime/Paths.h"
#include "runtime/Rnd.h"
#include "tests/support/FrameScenes.h"

// ---- allocation counting: every allocation of the process passes through here ---------------------
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);
}

namespace {
std::atomic<long long> g_allocs{0}, g_newAllocs{0};
inline void counted() { g_allocs.fetch_add(1, std::memory_order_relaxed); }
}  // namespace

extern "C" {
void* malloc(size_t n) {
  counted();
  return __libc_malloc(n);
}
void* calloc(size_t n, size_t size) {
  counted();
  return __libc_calloc(n, size);
}
void* realloc(void* p, size_t n) {
  counted();
  return __libc_realloc(p, n);
}
void free(void* p) { __libc_free(p); }
void* memalign(size_t align, size_t n) {
  counted();
  return __libc_memalign(align, n);
}
void* aligned_alloc(size_t align, size_t n) { return memalign(align, n); }
int posix_memalign(void** out, size_t align, size_t n) {
  void* p = memalign(align, n);
  if (!p) return ENOMEM;
  *out = p;
  return 0;
}
void* valloc(size_t n) { return memalign(4096, n); }
}

namespace {
void* newBlock(size_t n, size_t align = 0) {
  g_newAllocs.fetch_add(1, std::memory_order_relaxed);
  void* p = align > alignof(std::max_align_t) ? memalign(align, n ? n : 1) : malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  return p;
}
}  // namespace

void* operator new(size_t n) { return newBlock(n); }
void* operator new[](size_t n) { return newBlock(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return malloc(n ? n : 1); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return malloc(n ? n : 1); }
void* operator new(size_t n, std::align_val_t a) { return newBlock(n, static_cast<size_t>(a)); }
void* operator new[](size_t n, std::align_val_t a) { return newBlock(n, static_cast<size_t>(a)); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
void operator delete(void* p, std::align_val_t) noexcept { free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { free(p); }

namespace fs = std::filesystem;

namespace {
using Clock = std::chrono::steady_clock;

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct FrameFigures {
  double update = 0, render = 0, present = 0, cpu = 0;
  double draws = 0, allocs = 0, newAllocs = 0;
};

enum class Scene { Title, TitleNoEffect, Flight, Busy, BusyFewShots };
const char* sceneName(Scene s) {
  switch (s) {
    case Scene::Title: return "title";
    case Scene::TitleNoEffect: return "title, effect off";
    case Scene::Flight: return "flight";
    case Scene::Busy: return "busy";
    case Scene::BusyFewShots: return "busy, 128 shots";
  }
  return "?";
}

struct Run {
  Scene scene;
  bool merged;
  std::vector<FrameFigures> frames;
};

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

FrameFigures medians(const std::vector<FrameFigures>& frames) {
  auto col = [&](double FrameFigures::*f) {
    std::vector<double> v;
    for (const auto& fr : frames) v.push_back(fr.*f);
    return median(v);
  };
  return FrameFigures{col(&FrameFigures::update), col(&FrameFigures::render), col(&FrameFigures::present),
                      col(&FrameFigures::cpu),    col(&FrameFigures::draws),  col(&FrameFigures::allocs),
                      col(&FrameFigures::newAllocs)};
}

int WarmUpFrames = 20, MeasuredFrames = 40;

// Within one frame, the times the device saw its markers.
struct FrameMarks {
  Clock::time_point start, updateEnd, presentStart;
  Clock::duration targetView{};  // the target view drawn before the update ends: render time
  Clock::time_point targetStart;
  bool updateDone = false;
  double cpu0 = 0;
  long long allocs0 = 0, news0 = 0;
  int64_t draws0 = 0;
};

// The targets against the merged runs' figures (and merging on against off), each with the
// reason where it is not met.
void report(const FrameFigures (&on)[5], const bool (&seen)[5], const FrameFigures (&off)[5],
            const bool (&seenOff)[5]) {
  const auto& title = on[static_cast<int>(Scene::Title)];
  const auto& titleNoFx = on[static_cast<int>(Scene::TitleNoEffect)];
  const auto& flight = on[static_cast<int>(Scene::Flight)];
  const auto& busy = on[static_cast<int>(Scene::Busy)];
  const auto& busyFew = on[static_cast<int>(Scene::BusyFewShots)];
  auto has = [&](Scene s) { return seen[static_cast<int>(s)]; };
  auto fps = [](const FrameFigures& f) {
    const double wall = f.update + f.render + f.present;
    return wall > 0 ? 1000.0 / wall : 0.0;
  };
  std::printf("\nTargets (merging on)\n");
  auto line = [](const char* what, double figure, double target, bool lowerIsBetter, const char* why) {
    const bool met = lowerIsBetter ? figure <= target : figure >= target;
    std::printf("  %-44s %10.2f  target %s %-8.2f %s\n", what, figure, lowerIsBetter ? "<=" : ">=", target,
                met ? "met" : "NOT MET");
    if (!met && why) std::printf("      why: %s\n", why);
  };
  const char* drawsWhy =
      "draws stay apart where their textures differ in size, their blending or depth states differ, or ordered "
      "draws overlap on the screen";
  const char* allocsWhy =
      "every one is inside Mesa's llvmpipe (swrast_dri.so), which allocates and frees vertex and binning "
      "storage within its draw calls and frame (at least one per driver draw); see c++_allocs for our own code";
  if (has(Scene::Title)) line("title: draw calls", title.draws, 60, true, drawsWhy);
  if (has(Scene::Flight)) line("flight: draw calls", flight.draws, 120, true, drawsWhy);
  if (has(Scene::Busy)) line("busy: draw calls", busy.draws, 250, true, drawsWhy);
  for (Scene s : {Scene::Title, Scene::Flight, Scene::Busy})
    if (has(s)) {
      const std::string name = std::string(sceneName(s)) + ": heap allocations, driver's included";
      line(name.c_str(), on[static_cast<int>(s)].allocs, 5, true, allocsWhy);
      const std::string own = std::string(sceneName(s)) + ": heap allocations of our own code";
      line(own.c_str(), on[static_cast<int>(s)].newAllocs, 0, true, nullptr);
    }
  if (has(Scene::Title) && has(Scene::TitleNoEffect) && titleNoFx.cpu > 0)
    line("title: CPU with the effect over without it", title.cpu / titleNoFx.cpu, 1.5, true,
         "each layer is still sampled once per grid point (11 to 43 layers over 401 x 301 points), at about "
         "10 ns of CPU per sample in llvmpipe on this CPU (AVX without AVX2: texel gathers are scalar)");
  if (has(Scene::Busy)) line("busy: update ms", busy.update, 0.5, true, nullptr);
  if (has(Scene::Busy) && has(Scene::BusyFewShots))
    std::printf("  busy: update ms with 128 shots %.3f, with %d shots %.3f (%.2f us per further shot)\n",
                busyFew.update, frame_scenes::BusyShots, busy.update, 1000.0 * (busy.update - busyFew.update) / (frame_scenes::BusyShots - 128));
  const char* fpsWhy =
      "a frame's wall time includes waiting for the rasteriser's threads; the title draws its scene into the "
      "effect texture, sums the layers on the grid, then draws the grid magnified, each pass waiting for the one "
      "before, and its cpu_ms over 8 cores leaves no room for 16.7 ms (on a loaded machine, less still)";
  if (has(Scene::Title)) line("title: frames per second", fps(title), 60, false, fpsWhy);
  const char* rasterWhy =
      "present_ms is the wait for llvmpipe's rasteriser threads after the main thread has handed the frame "
      "over: every fragment's shading, texel reads and blending (a flight frame shades about 1.6 million "
      "fragments, the sky and the shade over the whole screen about 1.1 million of them; one full-screen "
      "textured quad takes about 2 ms of eight threads on this CPU); cpu_ms is what the frame asks of the "
      "cores, and on a loaded machine the threads wait for them";
  auto frameMs = [](const FrameFigures& f) { return f.update + f.render + f.present; };
  if (has(Scene::Flight)) line("flight: frame ms", frameMs(flight), 13.3, true, rasterWhy);
  if (has(Scene::Busy)) {
    line("busy: frames per second", fps(busy), 30, false, rasterWhy);
    line("busy: main-thread render ms", busy.render, 10, true,
         "the main thread runs llvmpipe's vertex stage for every draw it hands over: shading about 120,000 "
         "lit vertices in view (seven lights), setting up and binning their triangles (about 100 million "
         "instructions a frame, callgrind, README); on a loaded machine the rasteriser's threads and other "
         "work take its core from it");
  }
  if (has(Scene::BusyFewShots))
    line("busy, 128 shots: frames per second", fps(busyFew), 40, false, rasterWhy);
  // Merging must never cost: the frame with it on against the frame with it off, scene by scene.
  for (Scene sc : {Scene::Title, Scene::TitleNoEffect, Scene::Flight, Scene::Busy, Scene::BusyFewShots}) {
    const int k = static_cast<int>(sc);
    if (!seen[k] || !seenOff[k]) continue;
    const std::string what = std::string(sceneName(sc)) + ": frame ms, merging on against off";
    line(what.c_str(), frameMs(on[k]), frameMs(off[k]), true,
         "the frames of one run take turns with merging off and on; a difference within the spread of the "
         "frames is noise of the machine, compare render_ms and cpu_ms");
  }
  if (has(Scene::Title))
    std::printf("  CPU share of one core at the 60 fps cap (cpu_ms / 16.7): title %.0f%%", 100 * title.cpu / 16.7);
  if (has(Scene::Flight)) std::printf(", flight %.0f%%", 100 * flight.cpu / 16.7);
  std::printf("\n\n");
}

void FrameScenes(benchmark::State& state) {
  BenchGameDir game(state, "qv-bench-frame");
  if (!game.ok()) return;
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setDeviceBackend(DeviceBackendKind::OpenGL);
  uint32_t fakeNow = 5000;
  setTimeSourceForTests([&] { return fakeNow += 1; }, [&](uint32_t waited) { fakeNow += waited; });
  setRndSeedForTests(1234);

  // QV_FRAME_SCENES (e.g. "flight,busy") and QV_FRAME_MERGING ("on" or "off") narrow the runs.
  const char* only = std::getenv("QV_FRAME_SCENES");
  const char* merging = std::getenv("QV_FRAME_MERGING");
  if (const char* frames = std::getenv("QV_FRAME_FRAMES")) {
    int warm = 0, measured = 0;
    if (std::sscanf(frames, "%d,%d", &warm, &measured) == 2 && warm >= 1 && measured >= 1)
      WarmUpFrames = warm, MeasuredFrames = measured;
  }
  std::vector<Run> runs;
  for (Scene s : {Scene::Title, Scene::TitleNoEffect, Scene::Flight, Scene::Busy, Scene::BusyFewShots})
    for (bool merged : {false, true}) {
      const std::string name = sceneName(s);
      if (only && std::string(only).find(name.substr(0, name.find(','))) == std::string::npos) continue;
      if (only && s == Scene::TitleNoEffect && std::string(only).find("effect off") == std::string::npos) continue;
      if (only && s == Scene::BusyFewShots && std::string(only).find("128 shots") == std::string::npos) continue;
      if (merging && (std::string(merging) == "on") != merged) continue;
      runs.push_back(Run{s, merged, {}});
    }
  for (auto& r : runs) r.frames.reserve(MeasuredFrames);
  // Runs of one stretch of play take turns frame by frame, so that they measure the same moments:
  // merging off and on, and the title with and without its effect.
  auto stretch = [](Scene s) { return s == Scene::TitleNoEffect ? Scene::Title : s; };
  auto stretchSize = [&](size_t from) {
    size_t n = 0;
    while (from + n < runs.size() && stretch(runs[from + n].scene) == stretch(runs[from].scene)) ++n;
    return n;
  };
  size_t first = 0, turns = stretchSize(0);
  int frameInStretch = 0;
  auto current = [&] { return first + static_cast<size_t>(frameInStretch) % std::max<size_t>(turns, 1); };
  int busyShips = 0;
  FrameMarks marks;
  bool counting = false;  // callgrind counts this frame
  std::string failure;

  for (auto _ : state) {
    frmMain.afterFrameForTests = [&](Long pass) {
      auto* dev = D3DDevice.get();
      if (!dev) return;
      if (pass == 1) {
        dev->SetFailureHook([&](const D3DCall& call) {
          const auto now = Clock::now();
          switch (call.kind) {
            case D3DCallKind::BeginScene:
              if (!marks.updateDone) marks.updateEnd = now, marks.updateDone = true;
              break;
            case D3DCallKind::RenderToSurfaceBegin:
              if (marks.updateDone) break;
              if (call.object == ScreenFxSurf.get())
                marks.updateEnd = now, marks.updateDone = true;
              else
                marks.targetStart = now;
              break;
            case D3DCallKind::RenderToSurfaceEnd:
              if (!marks.updateDone && marks.targetStart != Clock::time_point{}) {
                marks.targetView += now - marks.targetStart;
                marks.targetStart = {};
              }
              break;
            case D3DCallKind::Present: marks.presentStart = now; break;
            default: break;
          }
          return D3D_OK;
        });
      } else if (first < runs.size()) {
        // The frame that just ended.
        dev->FinishDrawing();
        const auto end = Clock::now();
        if (counting) QV_CALLGRIND_TOGGLE();
        counting = false;
        Run& run = runs[current()];
        if (frameInStretch / static_cast<int>(turns) >= WarmUpFrames && marks.updateDone) {
          FrameFigures f;
          const auto update = marks.updateEnd - marks.start - marks.targetView;
          f.update = ms(update);
          f.render = ms(marks.presentStart - marks.updateEnd + marks.targetView);
          f.present = ms(end - marks.presentStart);
          f.cpu = 1000.0 * (processCpuSeconds() - marks.cpu0);
          f.draws = static_cast<double>(dev->DriverDrawCalls() - marks.draws0);
          f.allocs = static_cast<double>(g_allocs.load() - marks.allocs0);
          f.newAllocs = static_cast<double>(g_newAllocs.load() - marks.news0);
          run.frames.push_back(f);
        }
        if (++frameInStretch >= static_cast<int>(turns) * (WarmUpFrames + MeasuredFrames)) {
          first += turns;
          turns = stretchSize(first);
          frameInStretch = 0;
        }
      }
      if (first >= runs.size()) {
        dev->SetFailureHook({});
        Integer cancel = 0;
        frmMain.Form_Unload(cancel);
        return;
      }
      // Set-up of the next frame (outside the measured time).
      Run& run = runs[current()];
      setDrawBatching(run.merged);
      if (frameInStretch == 0) {
        if (run.scene == Scene::Flight && !frame_scenes::startFlightScene()) failure = "losgatos did not load";
        if (run.scene == Scene::Busy) busyShips = frame_scenes::startBusyScene();
        if (run.scene == Scene::BusyFewShots) {
          if (busyShips == 0) busyShips = frame_scenes::startBusyScene();
          int kept = 0;
          for (CSprite& sprite : Sprites)
            if (sprite.Exists && sprite.sType == skLaserShot && ++kept > 128) sprite.Exists = false;
        }
      }
      if (run.scene == Scene::Title) ScreenFxOn = true;
      if (run.scene == Scene::TitleNoEffect) ScreenFxOn = false;
      if (run.scene == Scene::Busy) frame_scenes::topUpBusySprites();
      if (run.scene == Scene::BusyFewShots) frame_scenes::topUpBusySprites(128);
      marks = FrameMarks{};
      marks.cpu0 = processCpuSeconds();
      marks.draws0 = dev->DriverDrawCalls();
      marks.allocs0 = g_allocs.load();
      marks.news0 = g_newAllocs.load();
      marks.start = Clock::now();
      counting = frameInStretch / static_cast<int>(turns) >= WarmUpFrames;
      if (counting) QV_CALLGRIND_TOGGLE();
    };
    frmMain.Form_Load();
    frmMain.afterFrameForTests = {};
  }
  setDrawBatching(true);
  setTimeSourceForTests({});
  clearRndTestSeed();
  if (!failure.empty()) {
    state.SkipWithError(failure.c_str());
    return;
  }

  std::printf("\nPer frame (median of %d frames after %d of warm-up); merging off = every call its own draw\n",
              MeasuredFrames, WarmUpFrames);
  std::printf("%-18s %-8s %9s %9s %10s %8s %7s %8s %12s %8s\n", "scene", "merging", "update_ms", "render_ms",
              "present_ms", "cpu_ms", "draws", "allocs", "c++_allocs", "max_fps");
  FrameFigures on[5]{}, off[5]{};  // by scene
  bool seen[5]{}, seenOff[5]{};
  for (const Run& r : runs) {
    const FrameFigures m = medians(r.frames);
    const double wall = m.update + m.render + m.present;
    std::printf("%-18s %-8s %9.3f %9.3f %10.3f %8.2f %7.0f %8.0f %12.0f %8.1f\n", sceneName(r.scene),
                r.merged ? "on" : "off", m.update, m.render, m.present, m.cpu, m.draws, m.allocs, m.newAllocs,
                wall > 0 ? 1000.0 / wall : 0.0);
    (r.merged ? on : off)[static_cast<int>(r.scene)] = m;
    (r.merged ? seen : seenOff)[static_cast<int>(r.scene)] = true;
    const std::string key = std::string(sceneName(r.scene)) + (r.merged ? "" : " (off)");
    state.counters[key + " cpu_ms"] = m.cpu;
    state.counters[key + " draws"] = m.draws;
  }
  std::printf("busy scene ships: %d\n", busyShips);
  report(on, seen, off, seenOff);
}
BENCHMARK(FrameScenes)->Iterations(1)->Unit(benchmark::kSecond);
}  // namespace
