// The Trivec exports for the math tests, loaded from the build's libTrivec.so with dlopen (the
// library is never linked, as in the game). trivecLib() loads once and throws when the library or
// an export is missing.
#pragma once
#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include "math/Trivec.h"

#define TRIVEC_EXPORTS(X)                                                                                 \
  X(Vec3Length)                                                                                           \
  X(Vec3Cross) X(Vec3Dot) X(Vec3Normalize) X(PlaneNormalize) X(PlaneDotVec) X(BSPPlaneDotVec) X(Vec3Dist) \
      X(CalculateNormal) X(GetSPoint) X(TriangleMatch) X(RayTriCollision) X(DirTriCollision)              \
          X(MatrixMultiply) X(MatrixRotationZ) X(CreateTexMatrix) X(AnimateLinear) X(AnimateCatmullRom)

struct TrivecLib {
#define TRIVEC_FIELD(name) decltype(&trivec::name) name = nullptr;
  TRIVEC_EXPORTS(TRIVEC_FIELD)
#undef TRIVEC_FIELD
};

inline const TrivecLib& trivecLib() {
  static const TrivecLib lib = [] {
    const std::string path = std::string(QV_TEST_LIB_DIR) + "/libTrivec.so";
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) throw std::runtime_error("cannot load " + path);
    TrivecLib l;
#define TRIVEC_LOOKUP(name)                                     \
  l.name = reinterpret_cast<decltype(l.name)>(dlsym(h, #name)); \
  if (!l.name) throw std::runtime_error("libTrivec.so lacks the export " #name);
    TRIVEC_EXPORTS(TRIVEC_LOOKUP)
#undef TRIVEC_LOOKUP
    return l;
  }();
  return lib;
}
