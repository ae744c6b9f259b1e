// Trivec's ray-triangle exports: the line-plane intersection GetSPoint, the containment test
// TriangleMatch and the two collision tests built on them. Built on the vector exports.
#include "math/Trivec.h"

namespace trivec {
namespace {

Vec3 sub(const Vec3& a, const Vec3& b) {
  return {static_cast<float>(double(a.x) - b.x), static_cast<float>(double(a.y) - b.y),
          static_cast<float>(double(a.z) - b.z)};
}

Vec3 add(const Vec3& a, const Vec3& b) {
  return {static_cast<float>(double(a.x) + b.x), static_cast<float>(double(a.y) + b.y),
          static_cast<float>(double(a.z) + b.z)};
}

bool sameVec(const Vec3& a, const Vec3& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}

// The direction test of both collision tests: the hit lies in front of start when
// normalize(hit - start) . unitDir > 0 (a hit at start, behind it or any NaN fails).
bool inFront(const Vec3& hit, const Vec3& start, const Vec3& unitDir) {
  Vec3 toHit = sub(hit, start);
  Vec3Normalize(&toHit, &toHit);
  return Vec3Dot(&toHit, &unitDir) > 0.0f;
}

}  // namespace

extern "C" {

int16_t GetSPoint(Vec3* out, const Vec3* p1, const Vec3* p2, const Vec3* p3, const Vec3* origin,
                  const Vec3* dir) {
  const Vec3 a = *p1, o = *origin, d = *dir;
  Vec3 n;
  CalculateNormal(&n, p1, p2, p3);
  float k = Vec3Dot(&n, &d);
  if (k == 0.0f) {
    *out = o;
    return 0;
  }
  float diff = static_cast<float>(double(Vec3Dot(&n, &a)) - Vec3Dot(&n, &o));
  float s = static_cast<float>(double(diff) / k);
  out->x = static_cast<float>(o.x + double(d.x) * s);
  out->y = static_cast<float>(o.y + double(d.y) * s);
  out->z = static_cast<float>(o.z + double(d.z) * s);
  return 1;
}

int16_t TriangleMatch(const Vec3* p1, const Vec3* p2, const Vec3* p3, const Vec3* P) {
  // A vertex is inside. The length tests below miss it: for p1 the line below has no direction
  // (S falls back to p1 and fails against a short edge p2-p3); for p2 and p3 the rounded S often
  // lands a hair short of the vertex.
  if (sameVec(*P, *p1) || sameVec(*P, *p2) || sameVec(*P, *p3)) return 1;

  Vec3 n;
  CalculateNormal(&n, p1, p2, p3);
  Vec3Normalize(&n, &n);

  // S: where the line from p1 through P crosses the plane that holds the edge p2-p3 and stands
  // perpendicular to the triangle. P is inside when it lies between p1 and S, and S between p2
  // and p3; equal lengths pass.
  Vec3 q = add(*p3, n);
  Vec3 toP = sub(*P, *p1);
  Vec3 S;
  GetSPoint(&S, p2, p3, &q, p1, &toP);  // parallel: S = p1, which the tests reject

  float p1S = Vec3Dist(p1, &S);
  if (!(p1S >= Vec3Dist(p1, P))) return 0;
  if (!(p1S >= Vec3Dist(P, &S))) return 0;
  float edge = Vec3Dist(p2, p3);
  if (!(edge >= Vec3Dist(p2, &S))) return 0;
  if (!(edge >= Vec3Dist(p3, &S))) return 0;
  return 1;
}

int16_t DirTriCollision(Vec3* out, const Vec3* p1, const Vec3* p2, const Vec3* p3, const Vec3* origin,
                        const Vec3* dir) {
  Vec3 d;
  Vec3Normalize(&d, dir);
  Vec3 S;
  if (GetSPoint(&S, p1, p2, p3, origin, &d) == 0) return 0;
  if (!inFront(S, *origin, d)) return 0;
  if (TriangleMatch(p1, p2, p3, &S) != 1) return 0;
  *out = S;
  return 1;
}

// The line runs from p along p - q; the hit must lie on that side of p (the direction test uses
// the line's direction p - q, as DirTriCollision does).
int16_t RayTriCollision(Vec3* out, const Vec3* p1, const Vec3* p2, const Vec3* p3, const Vec3* p,
                        const Vec3* q) {
  Vec3 dir = sub(*p, *q);
  Vec3 S;
  if (GetSPoint(&S, p1, p2, p3, p, &dir) == 0) return 0;
  Vec3 unitDir;
  Vec3Normalize(&unitDir, &dir);
  if (!inFront(S, *p, unitDir)) return 0;
  if (TriangleMatch(p1, p2, p3, &S) != 1) return 0;
  *out = S;
  return 1;
}

}  // extern "C"
}  // namespace trivec
