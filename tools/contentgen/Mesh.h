// Procedural triangle meshes in the game's drawing space (x right, y up, z forward, the
// nose of ships and the muzzle of weapons along +z). Front faces wind so that
// (b - a) x (c - a) points out of the solid, which is clockwise as seen from outside in
// this left-handed space: the side the renderer keeps with counter-clockwise culling.
// Texture coordinates are 0..1 over the model's skin (u right, v down).
#pragma once
#include <array>
#include <cmath>
#include <vector>

#include "tools/contentgen/Painter.h"

struct Vec3 {
  float x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float length(Vec3 a) { return std::sqrt(dot(a, a)); }
Vec3 normalised(Vec3 a);   // (0, 1, 0) for a zero vector

// Rotation and translation (column vectors: p' = R p + t).
struct Xform {
  std::array<float, 9> r{1, 0, 0, 0, 1, 0, 0, 0, 1};
  Vec3 t;
  Vec3 apply(Vec3 p) const;
  Vec3 rotate(Vec3 v) const;
  Xform operator*(const Xform& o) const;   // this after o
};
Xform translate(Vec3 t);
Xform scaleXform(Vec3 s);
// pitch(a): turns -y toward +z (a limb hanging down swings forward); +y toward -z.
Xform pitch(float a);
// roll(a): turns -y toward +x.
Xform roll(float a);
// yaw(a): turns +z toward +x.
Xform yaw(float a);

// Texture rectangle in skin pixels, turned into 0..1 with the skin size given to the mesh.
struct UvRect {
  float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
};

class Mesh {
 public:
  Mesh(int skinW = 128, int skinH = 128) : skinW_(skinW), skinH_(skinH) {}
  int skinWidth() const { return skinW_; }
  int skinHeight() const { return skinH_; }
  std::vector<Vec3> pos;
  std::vector<Vec2> uv;                    // 0..1
  std::vector<std::array<int, 3>> tris;
  std::vector<int> part;                   // per vertex: the part (bone) it belongs to

  int vertex(Vec3 p, float uPix, float vPix);   // uv given in skin pixels
  void tri(int a, int b, int c) { tris.push_back({a, b, c}); }
  // Flips every triangle added since firstTri whose normal points toward the centre.
  void orientFrom(size_t firstTri, Vec3 centre);
  void transform(const Xform& x, size_t firstVertex = 0);
  void append(const Mesh& other);
  void setPart(int p, size_t firstVertex);

  // Primitives; each is closed, oriented outward, and tagged with the current part.
  // Box between corners lo and hi; every face mapped onto the same rectangle unless faces
  // are given in the order +x, -x, +y, -y, +z, -z.
  void box(Vec3 lo, Vec3 hi, UvRect uv);
  void box(Vec3 lo, Vec3 hi, const std::array<UvRect, 6>& faces);
  // Tapered box along y: bottom rectangle (w0 x d0) at y0, top (w1 x d1) at y1, centred on x/z.
  void taperBox(float y0, float y1, float w0, float d0, float w1, float d1, UvRect uv, Vec3 at = {});
  // Cylinder (or cone) from a to b with radii ra and rb, n sides, capped; u around, v along.
  void cylinder(Vec3 a, Vec3 b, float ra, float rb, int n, UvRect uv);
  // Ellipsoid with radii r around c, n segments around y, m rings.
  void sphere(Vec3 c, Vec3 r, int n, int m, UvRect uv);
  // Loft along z: stations (z, half width, bottom y, top y); each ring is an octagon with
  // chamfers of the given fraction; capped; u around the ring, v along z.
  struct Station {
    float z, halfWidth, bottom, top;
  };
  void loft(const std::vector<Station>& stations, float chamfer, UvRect uv);
  // One-sided quad a b c d (front faces the side where (b-a)x(c-a) points).
  void quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, UvRect uv);

  int currentPart = 0;

 private:
  int skinW_, skinH_;
};
