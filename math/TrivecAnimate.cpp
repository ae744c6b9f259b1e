// Trivec's key-frame blends AnimateLinear and AnimateCatmullRom over MD2Vertex arrays.
// Called once per drawn model per frame over every vertex, so each vertex is handled as two
// 4-float vectors. The arithmetic is exactly that of the plain per-float form, in the same order:
// floats widened to double, one rounding to float where the form stores, and no fused
// multiply-add (the library is built without -ffast-math); results are bit-identical to it.
// Each vertex is loaded whole before it is stored, so out may be the same array as an input.
#include "math/Trivec.h"

namespace trivec {
namespace {

typedef float F4 __attribute__((vector_size(16)));
typedef double D4 __attribute__((vector_size(32)));
typedef int I4 __attribute__((vector_size(16)));

constexpr float kBoxSeed = 100000.0f;

inline F4 load(const float* p) {
  F4 v;
  __builtin_memcpy(&v, p, sizeof v);
  return v;
}

inline void store(float* p, F4 v) {
  __builtin_memcpy(p, &v, sizeof v);
}

// Written out at each use: a function taking or returning a 32-byte vector would change the
// calling convention on targets without AVX.
#define WIDEN(v) __builtin_convertvector((v), D4)
#define NARROW(v) __builtin_convertvector((v), F4)

// The running box over lanes 0..2 (x, y, z) of a vertex's first half; lane 3 (nx) is ignored.
// A comparison that fails (equal values, NaN) keeps the corner, as "if p < min then min = p" does.
struct Box {
  F4 lo{kBoxSeed, kBoxSeed, kBoxSeed, kBoxSeed};
  F4 hi{-kBoxSeed, -kBoxSeed, -kBoxSeed, -kBoxSeed};

  void widenBy(F4 pos) {
    lo = pos < lo ? pos : lo;
    hi = pos > hi ? pos : hi;
  }

  void writeTo(Vec3* boxMin, Vec3* boxMax) const {
    *boxMin = Vec3{lo[0], lo[1], lo[2]};
    *boxMax = Vec3{hi[0], hi[1], hi[2]};
  }
};

inline const float* floats(const MD2Vertex* v) {
  return &v->x;
}
inline float* floats(MD2Vertex* v) {
  return &v->x;
}

}  // namespace

extern "C" {

int32_t AnimateLinear(MD2Vertex* out, const MD2Vertex* a, const MD2Vertex* b, int32_t count, float t,
                      Vec3* boxMin, Vec3* boxMax) {
  if (count <= 0) return 0;
  const D4 tt = {t, t, t, t};
  Box box;
  for (int32_t i = 0; i < count; ++i) {
    const float* pa = floats(a + i);
    const float* pb = floats(b + i);
    F4 a0 = load(pa), a1 = load(pa + 4);
    F4 b0 = load(pb), b1 = load(pb + 4);
    // out = a + float(t (b - a)); a float sum of two floats is exact-then-rounded, as in double.
    F4 o0 = a0 + NARROW(tt * (WIDEN(b0) - WIDEN(a0)));
    F4 o1 = a1 + NARROW(tt * (WIDEN(b1) - WIDEN(a1)));
    float* po = floats(out + i);
    store(po, o0);
    store(po + 4, o1);
    box.widenBy(o0);
  }
  box.writeTo(boxMin, boxMax);
  return count;
}

int32_t AnimateCatmullRom(MD2Vertex* out, const MD2Vertex* p0, const MD2Vertex* p1, const MD2Vertex* p2,
                          const MD2Vertex* p3, int32_t count, float t, Vec3* boxMin, Vec3* boxMax) {
  if (count <= 0) return 0;
  const double td = t;
  const double t2 = static_cast<float>(td * td);
  const double t3 = static_cast<float>(td * td * td);
  const float w0 = static_cast<float>(t2 - 0.5 * t3 - 0.5 * td);
  const float w1 = static_cast<float>(1.5 * t3 - 2.5 * t2 + 1.0);
  const float w2 = static_cast<float>(2.0 * t2 - 1.5 * t3 + 0.5 * td);
  const float w3 = static_cast<float>(0.5 * t3 - 0.5 * t2);
  const D4 k0 = {w0, w0, w0, w0}, k1 = {w1, w1, w1, w1};
  const D4 k2 = {w2, w2, w2, w2}, k3 = {w3, w3, w3, w3};

  Box box;
  for (int32_t i = 0; i < count; ++i) {
    const float* q0 = floats(p0 + i);
    const float* q1 = floats(p1 + i);
    const float* q2 = floats(p2 + i);
    const float* q3 = floats(p3 + i);
    F4 a0 = load(q0), a1 = load(q0 + 4);
    F4 b0 = load(q1), b1 = load(q1 + 4);
    F4 c0 = load(q2), c1 = load(q2 + 4);
    F4 d0 = load(q3), d1 = load(q3 + 4);
    F4 o0 = NARROW(((k0 * WIDEN(a0) + k1 * WIDEN(b0)) + k2 * WIDEN(c0)) + k3 * WIDEN(d0));
    F4 o1 = NARROW(((k0 * WIDEN(a1) + k1 * WIDEN(b1)) + k2 * WIDEN(c1)) + k3 * WIDEN(d1));
    float* po = floats(out + i);
    store(po, o0);
    store(po + 4, o1);
    box.widenBy(o0);
  }
  box.writeTo(boxMin, boxMax);
  return count;
}

}  // extern "C"
}  // namespace trivec
