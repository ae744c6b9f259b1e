// The crew characters' shared skeleton and its 119 animation frames.
// One rig (15 bones, the same proportions for every character) is posed per frame from the
// game's animation table (1-based frames): 1-10 car driver, 11-20 car gunner, 21-27 falling,
// 27-59 spare standing poses, 60-64 / 65-67 car gunner holds / fires, 68-75 driver leans,
// 76-82 gunner leans, 83-87 bike driver, 88-95 bike driver leans, 96-99 bike gunner,
// 100-107 bike gunner leans, 108-113 bike gunner holds / fires, 114-119 convertible gunner
// holds / fires. The origin is the seat point (the hips rest on it), y up, z forward.
// Hand weapons use the same frames: in the hold and fire poses the muzzle sits at the seat
// offset the game aims from, (20.5, 24, 21) for cars and bikes and (17.5, 24, 24) for
// convertibles, pointing along +z.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "tools/contentgen/Mesh.h"

constexpr int kCharFrames = 119;

enum Bone {
  kPelvis, kChest, kHead, kRShoulder, kRElbow, kRHand, kLShoulder, kLElbow, kLHand,
  kRHip, kRKnee, kRFoot, kLHip, kLKnee, kLFoot, kBoneCount
};

struct RigFrame {
  std::string name;
  std::array<Xform, kBoneCount> bone;   // bone space -> model space
  Xform weapon;                          // weapon space (grip at 0, muzzle along +z) -> model
};

// The 119 posed frames, index = game frame number - 1.
const std::vector<RigFrame>& rigFrames();
// Muzzle of every hand weapon in weapon space.
constexpr Vec3 kWeaponMuzzle{0, 2, 14};
