// Trivec: the game's shared library of single-precision geometry routines (libTrivec.so).
// Eighteen plain C exports, looked up by name: vector, plane and 4x4 matrix helpers, ray-triangle
// tests and the two MD2 key-frame blends. Vectors, planes and matrices are passed by address,
// angles and factors by value. Sums and square roots are carried in double precision and stored
// as float. The library keeps no state; every buffer belongs to the caller.
//
// The game does not link this library: it loads it by name on the first blend
// (engine/TrivecImports.h). This header gives the game the shared MD2Vertex layout and the
// exports' prototypes.
#pragma once
#include <cstdint>

// One vertex of every model buffer and the element of the key-frame blends: position, normal and
// texture coordinate, eight floats (32 bytes).
struct MD2Vertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
static_assert(sizeof(MD2Vertex) == 32, "MD2Vertex is eight packed floats");

#define TRIVEC_API __attribute__((visibility("default")))

namespace trivec {

struct Vec3 {  // same layout as D3DVECTOR
  float x, y, z;
};

struct Plane {  // a x + b y + c z + d = 0
  float a, b, c, d;
};

struct Matrix {  // m[row][col], row vectors, translation in the fourth row (_41.._43)
  float m[4][4];
};

extern "C" {

// ---- vectors, planes, matrices ---------------------------------------------------------------
TRIVEC_API float Vec3Length(const Vec3* v);
// out = a x b; out may be a or b. Returns out.
TRIVEC_API Vec3* Vec3Cross(Vec3* out, const Vec3* a, const Vec3* b);
TRIVEC_API float Vec3Dot(const Vec3* a, const Vec3* b);
// out = v / |v|; out may be v. A zero vector gives non-finite components (no test). Returns out.
TRIVEC_API Vec3* Vec3Normalize(Vec3* out, const Vec3* v);
// All four components divided by sqrt(a^2 + b^2 + c^2 + d^2) (d belongs to the norm). Returns out.
TRIVEC_API Plane* PlaneNormalize(Plane* out, const Plane* p);
TRIVEC_API float PlaneDotVec(const Plane* p, const Vec3* v);     // a x + b y + c z + d
TRIVEC_API float BSPPlaneDotVec(const Plane* p, const Vec3* v);  // a x + b y + c z - d
TRIVEC_API float Vec3Dist(const Vec3* a, const Vec3* b);         // |a - b|
// out = (p2 - p1) x (p3 - p1), not normalised; out may be any input. Returns out.
TRIVEC_API Vec3* CalculateNormal(Vec3* out, const Vec3* p1, const Vec3* p2, const Vec3* p3);
// out = a x b through a scratch matrix, so out may be a or b. Returns b (not out).
TRIVEC_API const Matrix* MatrixMultiply(Matrix* out, const Matrix* a, const Matrix* b);
// Rotation about z by angle radians: _11 = cos, _12 = sin, _21 = -sin, _22 = cos, _33 = _44 = 1.
TRIVEC_API void MatrixRotationZ(Matrix* out, float angle);
// 2-D texture transform for row vectors (u, v, 1): scale (su, sv), offset (ou, ov), rotation by
// angle x 1.7453293 about (0.5, 0.5); the fourth row and column are zero. Returns out.
TRIVEC_API Matrix* CreateTexMatrix(Matrix* out, float su, float sv, float ou, float ov, float angle);

// ---- ray-triangle tests: 1 for a hit, 0 otherwise ----------------------------------------------
// out = where the line origin + s dir meets the plane of p1, p2, p3; 0 (and out = origin) when the
// line is parallel to it or the triangle is degenerate. Inputs are read before out is written.
TRIVEC_API int16_t GetSPoint(Vec3* out, const Vec3* p1, const Vec3* p2, const Vec3* p3, const Vec3* origin,
                             const Vec3* dir);
// 1 when P, taken to lie in the triangle's plane, is inside the triangle (edges and vertices count).
TRIVEC_API int16_t TriangleMatch(const Vec3* p1, const Vec3* p2, const Vec3* p3, const Vec3* P);
// 1 and out = hit point when the line through p along p - q hits the triangle on that side of p;
// else 0 and out untouched. No length limit.
TRIVEC_API int16_t RayTriCollision(Vec3* out, const Vec3* p1, const Vec3* p2, const Vec3* p3, const Vec3* p,
                                   const Vec3* q);
// 1 and out = hit point when the ray from origin along dir hits the triangle strictly in front of
// origin; else 0 and out untouched. No length limit.
TRIVEC_API int16_t DirTriCollision(Vec3* out, const Vec3* p1, const Vec3* p2, const Vec3* p3,
                                   const Vec3* origin, const Vec3* dir);

// ---- key-frame blends (the exports the game calls, once per drawn model) -----------------------
// Each array holds at least count vertices; out may be the same array as any input (not a partial
// overlap). Every float of every vertex is blended alike (normals are not re-normalised). boxMin
// and boxMax receive the box of the blended positions; the search starts from boxMin = (100000,
// 100000, 100000) and boxMax = -boxMin, so boxMin never exceeds 100000 nor boxMax falls below
// -100000 in any component. count <= 0 writes nothing, the box included.
// Returns the number of vertices blended (callers ignore it).
//
// out = a + t (b - a), the product rounded to float before the sum: t = 0 gives a, t = 1 gives b
// up to that rounding; t outside 0..1 extrapolates.
TRIVEC_API int32_t AnimateLinear(MD2Vertex* out, const MD2Vertex* a, const MD2Vertex* b, int32_t count,
                                 float t, Vec3* boxMin, Vec3* boxMax);
// Uniform Catmull-Rom spline between p1 (t = 0) and p2 (t = 1), p0 and p3 the outer control points:
// out = ((w0 p0 + w1 p1) + w2 p2) + w3 p3 with float weights from t.
TRIVEC_API int32_t AnimateCatmullRom(MD2Vertex* out, const MD2Vertex* p0, const MD2Vertex* p1,
                                     const MD2Vertex* p2, const MD2Vertex* p3, int32_t count, float t,
                                     Vec3* boxMin, Vec3* boxMax);

}  // extern "C"
}  // namespace trivec
