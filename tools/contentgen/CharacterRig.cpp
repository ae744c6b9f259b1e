#include "tools/contentgen/CharacterRig.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Joint offsets from the parent joint in the parent's space.
const Vec3 kOffset[kBoneCount] = {
    {0, 0, 0},   {0, 3, 0},   {0, 15, 0},  {9, 13, 0},  {0, -10, 0}, {0, -9, 0},
    {-9, 13, 0}, {0, -10, 0}, {0, -9, 0},  {4, 0, 0},   {0, -11, 0}, {0, -11, 0},
    {-4, 0, 0},  {0, -11, 0}, {0, -11, 0}};
const int kParent[kBoneCount] = {-1, 0, 1, 1, 3, 4, 1, 6, 7, 0, 9, 10, 0, 12, 13};
constexpr float kUpperArm = 10, kForearm = 9;

// Local joint rotations and the root placement of one pose.
struct Pose {
  Vec3 root{0, 2, 0};
  std::array<Xform, kBoneCount> local{};
  // Hands placed by two-bone reach when set (model space targets of the wrists).
  bool rReach = false, lReach = false;
  Vec3 rTarget, lTarget;
  // Weapon grip placement when held (else it follows the right hand).
  bool weaponHeld = false;
  Vec3 muzzle;
};

// Basis whose -y axis points along dir, +z as close to hint as possible.
Xform aimDown(Vec3 dir, Vec3 hint) {
  Vec3 yAxis = normalised(dir * -1.0f);
  Vec3 zAxis = hint - yAxis * dot(hint, yAxis);
  if (length(zAxis) < 1e-3f) zAxis = Vec3{0, 0, 1} - yAxis * yAxis.z;
  zAxis = normalised(zAxis);
  Vec3 xAxis = cross(yAxis, zAxis);
  Xform x;
  x.r = {xAxis.x, yAxis.x, zAxis.x, xAxis.y, yAxis.y, zAxis.y, xAxis.z, yAxis.z, zAxis.z};
  return x;
}

// Basis whose +z axis points along dir, +y as close to up as possible.
Xform aimForward(Vec3 dir, Vec3 up) {
  Vec3 zAxis = normalised(dir);
  Vec3 yAxis = up - zAxis * dot(up, zAxis);
  if (length(yAxis) < 1e-3f) yAxis = Vec3{1, 0, 0} - zAxis * zAxis.x;
  yAxis = normalised(yAxis);
  Vec3 xAxis = cross(yAxis, zAxis);
  Xform x;
  x.r = {xAxis.x, yAxis.x, zAxis.x, xAxis.y, yAxis.y, zAxis.y, xAxis.z, yAxis.z, zAxis.z};
  return x;
}

// Two-bone reach from shoulder s to wrist target t; the elbow bends toward pole.
void reach(std::array<Xform, kBoneCount>& w, int shoulder, Vec3 t, Vec3 pole) {
  Vec3 s = w[shoulder].t;
  Vec3 d = t - s;
  float dist = std::clamp(length(d), kUpperArm - kForearm + 0.5f, kUpperArm + kForearm - 0.05f);
  Vec3 dir = normalised(d);
  t = s + dir * dist;
  float x = (kUpperArm * kUpperArm - kForearm * kForearm + dist * dist) / (2 * dist);
  float h = std::sqrt(std::max(0.0f, kUpperArm * kUpperArm - x * x));
  Vec3 p = normalised(pole - dir * dot(pole, dir));
  Vec3 elbow = s + dir * x + p * h;
  Vec3 fwd{0, 0, 1};
  w[shoulder] = translate(s) * aimDown(elbow - s, fwd);
  w[shoulder + 1] = translate(elbow) * aimDown(t - elbow, fwd);
  w[shoulder + 2] = translate(t) * aimDown(t - elbow, fwd);
}

RigFrame solve(const Pose& p, const std::string& name) {
  RigFrame f;
  f.name = name;
  for (int b = 0; b < kBoneCount; ++b) {
    Xform local = translate(kOffset[b]) * p.local[b];
    f.bone[b] = kParent[b] < 0 ? translate(p.root) * p.local[b] : f.bone[kParent[b]] * local;
  }
  if (p.rReach) reach(f.bone, kRShoulder, p.rTarget, {0.6f, -1, -0.5f});
  if (p.lReach) reach(f.bone, kLShoulder, p.lTarget, {-0.6f, -1, -0.5f});
  if (p.weaponHeld) {
    f.weapon = translate(p.muzzle - kWeaponMuzzle);
  } else {
    // In the hand: grip at the palm, barrel along the forearm's pointing direction.
    const Xform& hand = f.bone[kRHand];
    f.weapon = translate(hand.apply({0, -2, 0})) * aimForward(hand.rotate({0, -1, 0}), {0, 1, 0});
  }
  return f;
}

// Seated base: thighs forward, shins down.
Pose seated() {
  Pose p;
  p.local[kRHip] = pitch(1.5f);
  p.local[kLHip] = pitch(1.5f);
  p.local[kRKnee] = pitch(-1.45f);
  p.local[kLKnee] = pitch(-1.45f);
  p.local[kRShoulder] = roll(0.15f);
  p.local[kLShoulder] = roll(-0.15f);
  return p;
}

Pose standing() {
  Pose p;
  p.root = {0, 27, 0};
  p.local[kRShoulder] = roll(0.2f);
  p.local[kLShoulder] = roll(-0.2f);
  return p;
}

// Shoulder positions of the upright seated chest (for reach targets).
constexpr float kShoulderY = 2 + 3 + 13;

float wave(int i, int n) { return std::sin(6.2831853f * i / n); }

void addFrames(std::vector<RigFrame>& out, const char* name, int count,
               Pose (*make)(int i, int n)) {
  for (int i = 0; i < count; ++i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s%02d", name, i + 1);
    out.push_back(solve(make(i, count), buf));
  }
}

// Car / convertible driver: hands on the wheel, a gentle bob; lean = -1 left, +1 right.
Pose driver(int i, int n, float lean) {
  Pose p = seated();
  p.local[kChest] = pitch(-0.12f - 0.04f * wave(i, n)) * roll(0.28f * lean);
  p.local[kHead] = yaw(0.15f * wave(i, n) + 0.2f * lean);
  Vec3 wheel{0, kShoulderY - 2, 13};
  float turn = 0.5f * lean + 0.1f * wave(i, n);
  p.rReach = p.lReach = true;
  p.rTarget = wheel + Vec3{5 * std::cos(turn), 5 * std::sin(turn), 0} + Vec3{4.0f * lean, -2.0f * std::fabs(lean), 0};
  p.lTarget = wheel + Vec3{-5 * std::cos(turn), -5 * std::sin(turn), 0} + Vec3{4.0f * lean, -2.0f * std::fabs(lean), 0};
  return p;
}

// Car gunner, empty-handed: looks around, hands on the knees.
Pose gunner(int i, int n, float lean) {
  Pose p = seated();
  p.local[kChest] = pitch(-0.05f) * roll(0.3f * lean) * yaw(0.25f * wave(i, n));
  p.local[kHead] = yaw(0.5f * wave(i, n) + 0.3f * lean) * pitch(-0.1f);
  p.rReach = p.lReach = true;
  p.rTarget = {6 + 3 * lean, 4, 8};
  p.lTarget = {-6 + 3 * lean, 4, 8};
  return p;
}

// Bike rider: leaning forward to the handlebars, knees up on the pegs.
Pose biker(int i, int n, float lean, bool rider) {
  Pose p = seated();
  p.local[kRHip] = pitch(1.1f) * roll(0.25f);
  p.local[kLHip] = pitch(1.1f) * roll(-0.25f);
  p.local[kRKnee] = pitch(-1.9f);
  p.local[kLKnee] = pitch(-1.9f);
  p.local[kChest] = pitch(rider ? -0.55f : -0.2f) * roll(0.3f * lean);
  p.local[kHead] = pitch(rider ? 0.35f : 0.1f) * yaw((rider ? 0.08f : 0.4f) * wave(i, n));
  p.rReach = p.lReach = true;
  if (rider) {
    p.rTarget = {9 + 3 * lean, kShoulderY - 4 - 2 * lean, 16};
    p.lTarget = {-9 + 3 * lean, kShoulderY - 4 + 2 * lean, 16};
  } else {
    p.rTarget = {7 + 3 * lean, 6, 5};
    p.lTarget = {-7 + 3 * lean, 6, 5};
  }
  return p;
}

// Gunner holding the weapon at its aim point; recoil 0..1 pulls it back.
Pose holder(int i, int n, Vec3 muzzle, bool bike, float recoil) {
  Pose p = bike ? biker(i, n, 0, false) : seated();
  p.local[kChest] = pitch(-0.08f) * yaw(-0.2f) * roll(-0.08f);
  p.local[kHead] = yaw(0.25f) * pitch(0.05f);
  p.weaponHeld = true;
  p.muzzle = muzzle + Vec3{0, 0.6f * recoil, -2.5f * recoil};
  Vec3 grip = p.muzzle - kWeaponMuzzle;
  p.rReach = p.lReach = true;
  p.rTarget = grip + Vec3{0, 2.5f, -1};
  p.lTarget = {-3, 9, 9};
  return p;
}

// Falling: limbs flung out and flailing.
Pose falling(int i, int n) {
  Pose p = standing();
  float w = wave(i, n);
  p.local[kPelvis] = pitch(0.3f * w) * roll(0.2f * w);
  p.local[kRShoulder] = roll(2.2f + 0.5f * w);
  p.local[kLShoulder] = roll(-2.2f + 0.5f * w);
  p.local[kRElbow] = roll(0.4f * w);
  p.local[kLElbow] = roll(-0.4f * w);
  p.local[kRHip] = roll(0.5f) * pitch(0.5f * w);
  p.local[kLHip] = roll(-0.5f) * pitch(-0.5f * w);
  p.local[kRKnee] = pitch(-0.6f);
  p.local[kLKnee] = pitch(-0.6f);
  p.local[kHead] = pitch(-0.3f);
  return p;
}

// Spare standing poses: idle sway, a wave, a jump, a shrug, a cheer.
Pose idle(int i, int n) {
  Pose p = standing();
  p.local[kChest] = roll(0.05f * wave(i, n));
  p.local[kHead] = yaw(0.3f * wave(i, n));
  return p;
}
Pose waving(int i, int n) {
  Pose p = standing();
  p.local[kRShoulder] = roll(2.6f);
  p.local[kRElbow] = roll(0.5f * wave(i, n));
  return p;
}
Pose jumping(int i, int n) {
  Pose p = standing();
  float h = std::sin(3.14159f * (i + 0.5f) / n);
  p.root.y += 8 * h;
  p.local[kRShoulder] = roll(0.4f + 2.0f * h);
  p.local[kLShoulder] = roll(-0.4f - 2.0f * h);
  p.local[kRKnee] = pitch(-0.8f * h);
  p.local[kLKnee] = pitch(-0.8f * h);
  return p;
}
Pose shrug(int i, int n) {
  Pose p = standing();
  float h = std::sin(3.14159f * (i + 0.5f) / n);
  p.local[kRShoulder] = roll(0.6f * h + 0.2f);
  p.local[kLShoulder] = roll(-0.6f * h - 0.2f);
  p.local[kRElbow] = pitch(1.2f * h);
  p.local[kLElbow] = pitch(1.2f * h);
  p.local[kHead] = roll(0.2f * h);
  return p;
}
Pose cheer(int i, int n) {
  Pose p = standing();
  p.local[kRShoulder] = roll(2.9f + 0.2f * wave(i, n));
  p.local[kLShoulder] = roll(-2.9f + 0.2f * wave(i, n));
  p.local[kHead] = pitch(-0.3f);
  return p;
}

const Vec3 kCarMuzzle{20.5f, 24, 21};
const Vec3 kConvertibleMuzzle{17.5f, 24, 24};

std::vector<RigFrame> buildFrames() {
  std::vector<RigFrame> f;
  f.reserve(kCharFrames);
  addFrames(f, "drive", 10, [](int i, int n) { return driver(i, n, 0); });          // 1-10
  addFrames(f, "gunner", 10, [](int i, int n) { return gunner(i, n, 0); });         // 11-20
  addFrames(f, "fall", 6, falling);                                                 // 21-26
  addFrames(f, "idle", 9, idle);                                                    // 27-35
  addFrames(f, "wave", 9, waving);                                                  // 36-44
  addFrames(f, "jump", 3, jumping);                                                 // 45-47
  addFrames(f, "shrug", 3, shrug);                                                  // 48-50
  addFrames(f, "cheer", 9, cheer);                                                  // 51-59
  addFrames(f, "hold", 5, [](int i, int n) { return holder(i, n, kCarMuzzle, false, 0); });   // 60-64
  addFrames(f, "fire", 3, [](int i, int) { return holder(0, 1, kCarMuzzle, false, 1.0f - i / 2.0f); });  // 65-67
  addFrames(f, "drivel", 4, [](int i, int n) { return driver(i, n, -1); });         // 68-71
  addFrames(f, "driver", 4, [](int i, int n) { return driver(i, n, 1); });          // 72-75
  addFrames(f, "gunl", 3, [](int i, int n) { return gunner(i, n, -1); });           // 76-78
  addFrames(f, "gunr", 4, [](int i, int n) { return gunner(i, n, 1); });            // 79-82
  addFrames(f, "bike", 5, [](int i, int n) { return biker(i, n, 0, true); });       // 83-87
  addFrames(f, "biker", 4, [](int i, int n) { return biker(i, n, 1, true); });      // 88-91
  addFrames(f, "bikel", 4, [](int i, int n) { return biker(i, n, -1, true); });     // 92-95
  addFrames(f, "bgun", 4, [](int i, int n) { return biker(i, n, 0, false); });      // 96-99
  addFrames(f, "bgunr", 4, [](int i, int n) { return biker(i, n, 1, false); });     // 100-103
  addFrames(f, "bgunl", 4, [](int i, int n) { return biker(i, n, -1, false); });    // 104-107
  addFrames(f, "bhold", 3, [](int i, int n) { return holder(i, n, kCarMuzzle, true, 0); });  // 108-110
  addFrames(f, "bfire", 3, [](int i, int) { return holder(0, 1, kCarMuzzle, true, 1.0f - i / 2.0f); });  // 111-113
  addFrames(f, "chold", 3, [](int i, int n) { return holder(i, n, kConvertibleMuzzle, false, 0); });  // 114-116
  addFrames(f, "cfire", 3, [](int i, int) { return holder(0, 1, kConvertibleMuzzle, false, 1.0f - i / 2.0f); });  // 117-119
  return f;
}

}  // namespace

const std::vector<RigFrame>& rigFrames() {
  static const std::vector<RigFrame> frames = buildFrames();
  return frames;
}
