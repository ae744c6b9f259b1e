// The key-frame blends as the game calls them (through engine/TrivecImports, the library loaded
// at run time) on one 2048-vertex frame, bounding box included. The "per_vertex" counter is the
// time per blended vertex; goals on one core: linear 6 ns, Catmull-Rom 10 ns.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "engine/TrivecImports.h"

namespace {

constexpr int kVertices = 2048;

std::vector<MD2Vertex> frame(unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<float> pos(-200, 200), unit(-1, 1), uv(0, 1);
  std::vector<MD2Vertex> f(kVertices);
  for (MD2Vertex& v : f)
    v = {pos(gen), pos(gen), pos(gen), unit(gen), unit(gen), unit(gen), uv(gen), uv(gen)};
  return f;
}

void perVertex(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kVertices);
  state.counters["per_vertex"] = benchmark::Counter(
      double(state.iterations()) * kVertices, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_AnimateLinear(benchmark::State& state) {
  auto a = frame(1), b = frame(2);
  std::vector<MD2Vertex> out(kVertices);
  D3DVECTOR lo, hi;
  float t = 0.37f;
  for (auto _ : state) {
    TrivecImports::AnimateLinear(out.data(), a.data(), b.data(), kVertices, t, &lo, &hi);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  perVertex(state);
}
BENCHMARK(BM_AnimateLinear);

void BM_AnimateCatmullRom(benchmark::State& state) {
  auto p0 = frame(1), p1 = frame(2), p2 = frame(3), p3 = frame(4);
  std::vector<MD2Vertex> out(kVertices);
  D3DVECTOR lo, hi;
  float t = 0.37f;
  for (auto _ : state) {
    TrivecImports::AnimateCatmullRom(out.data(), p0.data(), p1.data(), p2.data(), p3.data(), kVertices, t,
                                     &lo, &hi);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  perVertex(state);
}
BENCHMARK(BM_AnimateCatmullRom);

}  // namespace
