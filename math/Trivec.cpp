// Trivec's vector, plane and matrix exports. Intermediates are double, results stored as float;
// every routine reads all of its inputs before it writes out, so out may alias an input.
#include "math/Trivec.h"

#include <cmath>
#include <limits>

namespace trivec {
namespace {

// 1 / sqrt(sumSq); a zero sum gives +infinity (so a zero vector normalises to non-finite
// components, as the exports document) without dividing by zero.
double inverseRoot(double sumSq) {
  if (sumSq == 0.0) return std::numeric_limits<double>::infinity();
  return 1.0 / std::sqrt(sumSq);
}

}  // namespace

extern "C" {

float Vec3Length(const Vec3* v) {
  double x = v->x, y = v->y, z = v->z;
  return static_cast<float>(std::sqrt(x * x + y * y + z * z));
}

Vec3* Vec3Cross(Vec3* out, const Vec3* a, const Vec3* b) {
  double ax = a->x, ay = a->y, az = a->z;
  double bx = b->x, by = b->y, bz = b->z;
  out->x = static_cast<float>(ay * bz - az * by);
  out->y = static_cast<float>(az * bx - ax * bz);
  out->z = static_cast<float>(ax * by - ay * bx);
  return out;
}

float Vec3Dot(const Vec3* a, const Vec3* b) {
  return static_cast<float>(double(a->x) * b->x + double(a->y) * b->y + double(a->z) * b->z);
}

Vec3* Vec3Normalize(Vec3* out, const Vec3* v) {
  double x = v->x, y = v->y, z = v->z;
  double inv = inverseRoot(x * x + y * y + z * z);
  out->x = static_cast<float>(x * inv);
  out->y = static_cast<float>(y * inv);
  out->z = static_cast<float>(z * inv);
  return out;
}

Plane* PlaneNormalize(Plane* out, const Plane* p) {
  double a = p->a, b = p->b, c = p->c, d = p->d;
  double inv = inverseRoot(a * a + b * b + c * c + d * d);
  out->a = static_cast<float>(a * inv);
  out->b = static_cast<float>(b * inv);
  out->c = static_cast<float>(c * inv);
  out->d = static_cast<float>(d * inv);
  return out;
}

float PlaneDotVec(const Plane* p, const Vec3* v) {
  return static_cast<float>(double(p->a) * v->x + double(p->b) * v->y + double(p->c) * v->z + p->d);
}

float BSPPlaneDotVec(const Plane* p, const Vec3* v) {
  return static_cast<float>(double(p->a) * v->x + double(p->b) * v->y + double(p->c) * v->z - p->d);
}

float Vec3Dist(const Vec3* a, const Vec3* b) {
  double x = double(a->x) - b->x, y = double(a->y) - b->y, z = double(a->z) - b->z;
  return static_cast<float>(std::sqrt(x * x + y * y + z * z));
}

Vec3* CalculateNormal(Vec3* out, const Vec3* p1, const Vec3* p2, const Vec3* p3) {
  double ux = double(p2->x) - p1->x, uy = double(p2->y) - p1->y, uz = double(p2->z) - p1->z;
  double vx = double(p3->x) - p1->x, vy = double(p3->y) - p1->y, vz = double(p3->z) - p1->z;
  out->x = static_cast<float>(uy * vz - uz * vy);
  out->y = static_cast<float>(uz * vx - ux * vz);
  out->z = static_cast<float>(ux * vy - uy * vx);
  return out;
}

const Matrix* MatrixMultiply(Matrix* out, const Matrix* a, const Matrix* b) {
  Matrix scratch;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      double sum = double(a->m[i][0]) * b->m[0][j] + double(a->m[i][1]) * b->m[1][j] +
                   double(a->m[i][2]) * b->m[2][j] + double(a->m[i][3]) * b->m[3][j];
      scratch.m[i][j] = static_cast<float>(sum);
    }
  }
  *out = scratch;
  return b;
}

void MatrixRotationZ(Matrix* out, float angle) {
  float c = static_cast<float>(std::cos(double(angle)));
  float s = static_cast<float>(std::sin(double(angle)));
  *out = Matrix{};
  out->m[0][0] = c;
  out->m[0][1] = s;
  out->m[1][0] = -s;
  out->m[1][1] = c;
  out->m[2][2] = 1.0f;
  out->m[3][3] = 1.0f;
}

Matrix* CreateTexMatrix(Matrix* out, float su, float sv, float ou, float ov, float angle) {
  // The angle factor is 1.7453293 (not pi / 180): callers' angles are scaled by it as they are.
  constexpr double kAngleFactor = 1.7453293;

  Matrix m{};
  m.m[0][0] = su;
  m.m[1][1] = sv;
  m.m[2][0] = ou;
  m.m[2][1] = ov;
  m.m[2][2] = 1.0f;

  Matrix rot;
  MatrixRotationZ(&rot, static_cast<float>(angle * kAngleFactor));

  Matrix toCentre{};  // row 3 = (0.5, 0.5, 1, 0): moves the rotation centre to (0.5, 0.5)
  toCentre.m[0][0] = 1.0f;
  toCentre.m[1][1] = 1.0f;
  toCentre.m[2][0] = 0.5f;
  toCentre.m[2][1] = 0.5f;
  toCentre.m[2][2] = 1.0f;
  Matrix fromCentre = toCentre;
  fromCentre.m[2][0] = -0.5f;
  fromCentre.m[2][1] = -0.5f;

  MatrixMultiply(&m, &m, &toCentre);
  MatrixMultiply(&m, &rot, &m);
  MatrixMultiply(&m, &fromCentre, &m);

  m.m[0][3] = 0.0f;
  m.m[1][3] = 0.0f;
  m.m[2][3] = 0.0f;
  for (float& f : m.m[3]) f = 0.0f;
  *out = m;
  return out;
}

}  // extern "C"
}  // namespace trivec
