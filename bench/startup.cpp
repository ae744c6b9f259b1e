// Start-up of the real program path (frmMain.Form_Load on the default content, headless under
// SDL_VIDEODRIVER=offscreen unless a display is given, sound on SDL's dummy driver): each run is a
// fresh process of this program, started the way the game is started, that stops after its first
// frame. Per run: milliseconds from the process's start to the return of the first title frame's
// Present, with the CPU of all threads and of the main thread until then; then LoadAllMedia (every
// model and texture again from new, empty caches, loading screen drawn, as bench_media's) timed
// three times in the same process. Runs with the media files decoded on worker threads (as the game
// does) take turns with runs that decode them one by one on the main thread, so that the two are
// compared under the same load of the machine. Prints the median and the fastest of Runs runs of
// each and the targets (for the game's way) with met or not, and why. The machine may be shared:
// the load average is printed beside the figures. Reports; never fails.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bench/BenchGameDir.h"
#include "bench/CpuTime.h"
#include "engine/CModelMonster.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaBatch.h"
#include "engine/modDirectX.h"
#include "game/LoaderMod.h"
#include "game/frmMain.h"
#include "platform/WorkerPool.h"
#include "runtime/Paths.h"

extern char** environ;

namespace {
constexpr int Runs = 5;
constexpr int MediaRounds = 3;
constexpr double TitleTargetMs = 500, MediaTargetMs = 400;

double monotonicMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}
double threadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// What one run reports, in milliseconds.
struct RunFigures {
  double titleWall = 0, titleCpu = 0, titleMainCpu = 0;  // to the first title Present
  double mediaWall = 0, mediaCpu = 0, mediaMainCpu = 0;  // LoadAllMedia, median of its rounds
  double steps = 0, textures = 0, models = 0;
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// ---- the child: one start of the program ----
// The parent's clock reading at the spawn is QV_STARTUP_T0; the figures go to QV_STARTUP_OUT.
int runChild() {
  const double t0 = std::atof(std::getenv("QV_STARTUP_T0"));
  setAppPath(std::getenv("QV_STARTUP_DIR"));
  if (std::getenv("QV_STARTUP_SERIAL")) setMediaWorkers(false);
  RunFigures f;
  frmMain.afterFrameForTests = [&](Long pass) {
    if (pass != 1) return;
    f.titleWall = monotonicMs() - t0;
    f.titleCpu = 1000.0 * processCpuSeconds();
    f.titleMainCpu = threadCpuMs();
    std::vector<double> wall, cpu, mainCpu;
    // QV_STARTUP_ROUNDS=0 stops at the title frame (for profiling the start alone).
    const char* rounds = std::getenv("QV_STARTUP_ROUNDS");
    for (int i = 0; i < (rounds ? std::atoi(rounds) : MediaRounds); ++i) {
      // Empty caches that remember nothing to restore: exactly LoadModels' files, as bench_media.
      ModelMon->ClearAll();
      TexMon->ClearAll();
      ModelMon = std::make_shared<CModelMonster>();
      TexMon = std::make_shared<CTextureMonster>();
      LoadDone = false;
      LoadCount = 0;
      const double w0 = monotonicMs(), c0 = 1000.0 * processCpuSeconds(), m0 = threadCpuMs();
      LoadModels();
      D3DDevice->FinishDrawing();
      wall.push_back(monotonicMs() - w0);
      cpu.push_back(1000.0 * processCpuSeconds() - c0);
      mainCpu.push_back(threadCpuMs() - m0);
    }
    f.mediaWall = median(wall);
    f.mediaCpu = median(cpu);
    f.mediaMainCpu = median(mainCpu);
    f.steps = LoadCount;
    f.textures = static_cast<double>(TexSlots.size());
    f.models = static_cast<double>(ModelSlots.size());
    Integer cancel = 0;
    frmMain.Form_Unload(cancel);
  };
  frmMain.Form_Load();
  std::ofstream out(std::getenv("QV_STARTUP_OUT"));
  out << f.titleWall << ' ' << f.titleCpu << ' ' << f.titleMainCpu << ' ' << f.mediaWall << ' ' << f.mediaCpu
      << ' ' << f.mediaMainCpu << ' ' << f.steps << ' ' << f.textures << ' ' << f.models << '\n';
  return out ? 0 : 1;
}

// ---- the parent ----
bool spawnRun(const std::string& gameDir, bool serial, RunFigures& f, std::string& failure) {
  char outPath[] = "/tmp/qv-startup-XXXXXX";
  const int fd = mkstemp(outPath);
  if (fd < 0) {
    failure = "cannot make a result file";
    return false;
  }
  close(fd);
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "QV_STARTUP_", 11) != 0) env.push_back(*e);
  if (!std::getenv("DISPLAY") && !std::getenv("SDL_VIDEODRIVER")) env.push_back("SDL_VIDEODRIVER=offscreen");
  if (!std::getenv("SDL_AUDIODRIVER")) env.push_back("SDL_AUDIODRIVER=dummy");
  env.push_back("QV_STARTUP_DIR=" + gameDir);
  if (serial) env.push_back("QV_STARTUP_SERIAL=1");
  env.push_back(std::string("QV_STARTUP_OUT=") + outPath);
  char t0[64];
  std::snprintf(t0, sizeof t0, "QV_STARTUP_T0=%.6f", monotonicMs());
  env.push_back(t0);
  std::vector<char*> envp;
  for (std::string& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);
  // The game's message lines (stderr) are not the benchmark's output.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::string self = "/proc/self/exe";
  char* argv[] = {self.data(), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    failure = "the start-up run failed";
    unlink(outPath);
    return false;
  }
  std::ifstream in(outPath);
  in >> f.titleWall >> f.titleCpu >> f.titleMainCpu >> f.mediaWall >> f.mediaCpu >> f.mediaMainCpu >> f.steps >>
      f.textures >> f.models;
  unlink(outPath);
  if (!in || f.titleWall <= 0) {
    failure = "the start-up run did not reach its first frame";
    return false;
  }
  return true;
}

double loadAverage() {
  double one = 0;
  std::ifstream("/proc/loadavg") >> one;
  return one;
}

void StartupToTitle(benchmark::State& state) {
  BenchGameDir dir(state, "qv-startup");
  if (!dir.ok()) return;
  std::vector<RunFigures> runs[2];  // decoded on workers, one by one
  std::string failure;
  const double loadBefore = loadAverage();
  for (auto _ : state)
    for (int i = 0; i < 2 * Runs && failure.empty(); ++i) {
      RunFigures f;
      if (spawnRun(appPath(), i % 2 == 1, f, failure)) runs[i % 2].push_back(f);
    }
  if (runs[0].empty() || runs[1].empty()) {
    state.SkipWithError(failure.c_str());
    return;
  }
  auto figures = [&](int way, double RunFigures::*field) {
    std::vector<double> v;
    for (const RunFigures& r : runs[way]) v.push_back(r.*field);
    return std::pair<double, double>(median(v), *std::min_element(v.begin(), v.end()));
  };
  auto row = [&](const char* what, double RunFigures::*field) {
    const auto [threaded, threadedFast] = figures(0, field);
    const auto [serial, serialFast] = figures(1, field);
    std::printf("  %-40s %9.1f %9.1f   %9.1f %9.1f\n", what, threaded, threadedFast, serial, serialFast);
    return threaded;
  };
  std::printf("\nStart-up, %zu + %zu runs taking turns (load average %.1f before, %.1f after; %u cores)\n",
              runs[0].size(), runs[1].size(), loadBefore, loadAverage(), std::thread::hardware_concurrency());
  std::printf("  %-40s %-19s   %-19s\n", "", "decoded on workers", "one by one");
  std::printf("  %-40s %9s %9s   %9s %9s\n", "ms", "median", "fastest", "median", "fastest");
  const double title = row("first title frame presented, wall", &RunFigures::titleWall);
  row("  CPU of all threads until then", &RunFigures::titleCpu);
  row("  CPU of the main thread until then", &RunFigures::titleMainCpu);
  const double media = row("LoadAllMedia, wall", &RunFigures::mediaWall);
  row("  CPU of all threads", &RunFigures::mediaCpu);
  row("  CPU of the main thread", &RunFigures::mediaMainCpu);
  std::printf("  LoadAllMedia: %.0f loading steps, %.0f texture slots, %.0f model slots; %d worker threads\n",
              runs[0][0].steps, runs[0][0].textures, runs[0][0].models, workerCount());
  state.counters["title_ms"] = title;
  state.counters["media_ms"] = media;

  std::printf("\nTargets (decoded on workers)\n");
  const double load = loadAverage();
  // Why a target is missed, from the figures beside it: the main thread's own CPU against the wall.
  auto why = [&](double RunFigures::*mainCpu, double target) {
    static char text[320];
    const double own = figures(0, mainCpu).first;
    if (own < target)
      std::snprintf(text, sizeof text,
                    "the main thread's own CPU is %.0f ms; the rest of the wall is waiting for cores "
                    "(load average %.1f on %u cores) or for the rasteriser",
                    own, load, std::thread::hardware_concurrency());
    else
      std::snprintf(text, sizeof text, "the main thread's own CPU alone is %.0f ms", own);
    return text;
  };
  auto line = [](const char* what, double figure, double target, const char* reason) {
    const bool met = figure <= target;
    std::printf("  %-44s %10.1f  target <= %-8.1f %s\n", what, figure, target, met ? "met" : "NOT MET");
    if (!met) std::printf("      why: %s\n", reason);
  };
  line("first title frame, ms from the program's start", title, TitleTargetMs,
       why(&RunFigures::titleMainCpu, TitleTargetMs));
  line("LoadAllMedia, ms wall", media, MediaTargetMs, why(&RunFigures::mediaMainCpu, MediaTargetMs));
  std::printf("\n");
}
BENCHMARK(StartupToTitle)->Iterations(1)->Unit(benchmark::kMillisecond);
}  // namespace

// A run of this program with QV_STARTUP_T0 set is one start of the game; otherwise the benchmark.
int main(int argc, char** argv) {
  if (std::getenv("QV_STARTUP_T0")) return runChild();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
