// Characters: the skins and portraits of every look, the 15 character models with their
// outline shells (119 frames each), and the 9 hand weapons with their outline shells, posed
// in the same 119 frames so that they stay in the gunner's hands.
#include <map>
#include <set>
#include <string>

#include "tools/contentgen/CharacterRig.h"
#include "tools/contentgen/Generator.h"
#include "tools/contentgen/ImageFiles.h"
#include "tools/contentgen/Md2Writer.h"
#include "tools/contentgen/ModelAtlas.h"
#include "tools/contentgen/People.h"

namespace {

UvRect uvOf(skin::Rect r) { return {r.u0 + 0.5f, r.v0 + 0.5f, r.u1 - 0.5f, r.v1 - 0.5f}; }

const char* const kModels[] = {"chica", "flee", "jacob", "cyborg", "zombie", "ninja", "pirate", "ptero",
                               "gretchen", "zafia", "ned", "gasworker", "fiend", "ishuo", "hiro"};

// Body of one character model in bone space (each vertex tagged with its bone).
Mesh characterMesh(const std::string& model) {
  using namespace skin;
  Mesh m(128, 128);
  auto bone = [&](Bone b) { m.currentPart = b; };
  const bool slim = model == "chica" || model == "gretchen";
  const bool bulky = model == "cyborg" || model == "gasworker" || model == "ned";
  const float wTorso = slim ? 5.5f : bulky ? 7.5f : 6.5f, dTorso = model == "gasworker" ? 5.5f : 4.0f;

  bone(kPelvis);
  m.box({-6.5f, -1, -4.5f}, {6.5f, 5, 4.5f}, uvOf(kHips));
  bone(kChest);
  size_t v0 = m.pos.size();
  m.box({-wTorso, 1, -dTorso}, {wTorso, 15, dTorso},
        {uvOf(kTorsoSide), uvOf(kTorsoSide), uvOf(kTorsoTop), uvOf(kTorsoTop), uvOf(kTorsoFront), uvOf(kTorsoBack)});
  for (size_t i = v0; i < m.pos.size(); ++i) m.pos[i].x *= 1.0f + 0.25f * (m.pos[i].y - 1) / 14;   // shoulders
  bone(kHead);
  m.cylinder({0, -2.5f, 0}, {0, 1.5f, 0}, 2.6f, 2.6f, 6, uvOf(kNeck));
  m.box({-5, 1, -5}, {5, 12, 5},
        {uvOf(kHeadSide), uvOf(kHeadSide), uvOf(kHeadTop), uvOf(kNeck), uvOf(kFace), uvOf(kHeadBack)});
  for (int side = 0; side < 2; ++side) {
    bone(side ? kLShoulder : kRShoulder);
    m.box({-2.1f, -10, -2.1f}, {2.1f, 0.5f, 2.1f}, uvOf(kUpperArm));
    bone(side ? kLElbow : kRElbow);
    m.box({-1.8f, -9, -1.8f}, {1.8f, 0, 1.8f}, uvOf(kForearm));
    bone(side ? kLHand : kRHand);
    m.box({-1.7f, -3.6f, -1.4f}, {1.7f, 0, 1.4f}, uvOf(kHand));
    bone(side ? kLHip : kRHip);
    m.box({-2.7f, -11, -2.7f}, {2.7f, 0.5f, 2.7f}, uvOf(kThigh));
    bone(side ? kLKnee : kRKnee);
    m.box({-2.3f, -11, -2.3f}, {2.3f, 0, 2.3f}, uvOf(kShin));
    bone(side ? kLFoot : kRFoot);
    m.box({-2.3f, -3, -2.4f}, {2.3f, 0, 6}, uvOf(kFoot));
  }
  // Accessories on the head (hair, hats, beaks, horns) and the chest.
  bone(kHead);
  UvRect hair = uvOf(kAccent1), accent = uvOf(kAccent2), shirt = uvOf(kTorsoTop), dark = uvOf(kTorsoBack);
  if (model == "chica") {
    m.box({-5.6f, -1, -5.9f}, {5.6f, 12.8f, -3}, hair);
    m.box({-5.4f, 10, -5.4f}, {5.4f, 13, 5.3f}, hair);
  } else if (model == "gretchen") {
    m.box({-5.3f, 10, -5.3f}, {5.3f, 12.6f, 5.3f}, hair);
    m.sphere({0, 11, -6}, {3.5f, 3.5f, 3.5f}, 8, 5, hair);
  } else if (model == "hiro") {
    const float sx[5] = {-3.5f, -1, 1.5f, 3.5f, 0}, sz[5] = {1, 3, 0, -2, -3.5f};
    for (int i = 0; i < 5; ++i)
      m.cylinder({sx[i], 10.5f, sz[i]}, {sx[i] * 1.6f, 17.5f, sz[i] * 1.4f - 1}, 2.6f, 0, 4, hair);
    m.box({-5.3f, 10, -5.3f}, {5.3f, 12.5f, 5.3f}, hair);
  } else if (model == "zombie") {
    m.box({-5.3f, 10, -5.3f}, {2.5f, 12.8f, 3}, hair);
  } else if (model == "ninja") {
    m.box({-5.3f, 6.5f, -5.3f}, {5.3f, 8.5f, 5.3f}, accent);           // headband
    m.box({-0.6f, 1, -9}, {0.6f, 8, -5}, accent);                      // tails
    m.box({-5.4f, 9.5f, -5.4f}, {5.4f, 12.6f, 5.4f}, hair);            // hood top
  } else if (model == "pirate") {
    m.cylinder({0, 11.5f, 0}, {0, 12.6f, 0}, 9, 9, 3, hair);            // three-cornered brim
    m.cylinder({0, 12, 0}, {0, 16.5f, 0}, 5, 4.2f, 8, hair);
    m.box({-5.6f, 0, -5.8f}, {5.6f, 10, -4}, hair);
  } else if (model == "ptero") {
    m.box({-2.6f, 2, 4.5f}, {2.6f, 6, 14}, accent);                    // beak
    m.box({-0.8f, 8, -12}, {0.8f, 13.5f, -2}, accent);                 // crest
    m.box({-5.5f, 10, -5.5f}, {5.5f, 13, 5.5f}, shirt);                // police helmet
  } else if (model == "cyborg") {
    m.cylinder({3, 12, 0}, {4, 19, 0}, 0.5f, 0.4f, 5, dark);
    m.sphere({4, 19.5f, 0}, {1.3f, 1.3f, 1.3f}, 6, 4, accent);
    bone(kChest);
    m.box({5, 12.5f, -4.5f}, {11, 16.5f, 4.5f}, shirt);
    m.box({-11, 12.5f, -4.5f}, {-5, 16.5f, 4.5f}, shirt);
  } else if (model == "zafia") {
    m.cylinder({0, 11.4f, 0}, {0, 12.2f, 0}, 8.5f, 8.5f, 10, dark);
    m.cylinder({0, 12, 0}, {0, 16.5f, 0}, 5.5f, 4.7f, 8, dark);
  } else if (model == "ned") {
    m.sphere({0, 10.5f, -1}, {8.5f, 7.5f, 8.5f}, 10, 6, hair);
  } else if (model == "gasworker" || model == "flee") {
    m.box({-5.4f, 10.5f, -5.4f}, {5.4f, 13, 5.4f}, accent);
    m.box({-4.5f, 10.5f, 5}, {4.5f, 11.3f, 10.5f}, accent);
  } else if (model == "fiend") {
    for (float s : {1.0f, -1.0f}) m.cylinder({3.5f * s, 11, 1}, {7.5f * s, 19, -1}, 1.6f, 0, 6, accent);
  } else if (model == "ishuo") {
    m.box({-1.2f, 11, -6}, {1.2f, 17.5f, 5}, hair);
  } else if (model == "jacob") {
    m.box({-4.6f, -0.5f, 4}, {4.6f, 5, 6.2f}, hair);
    m.box({-5.3f, 10, -5.3f}, {5.3f, 12.4f, 5.3f}, hair);
  }
  return m;
}

// One of the nine hand weapons in weapon space: grip at the origin, muzzle kWeaponMuzzle.
Mesh weaponMesh(const std::string& name) {
  using namespace atlas;
  Mesh m(kSize, kSize);
  auto px = [](UvRect r) { return UvRect{r.u0, r.v0, r.u1, r.v1}; };
  UvRect main = px(kMain), dark = px(kDark), glowR = px(kGlow), light = px(kLight);
  m.box({-0.8f, -3.5f, -1.2f}, {0.8f, 1, 1.5f}, dark);                 // grip
  if (name == "launcher" || name == "torpedo") {
    float r = name == "torpedo" ? 3.2f : 2.5f;
    m.cylinder({0, 2, -8}, {0, 2, 13}, r, r, 8, main);
    m.cylinder({0, 2, 13}, {0, 2, 14}, r * 1.15f, r * 1.15f, 8, dark);
    m.cylinder({0, 2, -10}, {0, 2, -8}, r * 0.6f, r, 8, glowR);
    if (name == "torpedo") m.sphere({0, 2, 14}, {r * 0.8f, r * 0.8f, r * 0.8f}, 8, 5, glowR);
    m.box({-0.6f, 2 + r, -2}, {0.6f, 3.5f + r, 4}, dark);              // sight
  } else if (name == "xbow") {
    m.box({-1, 1, -6}, {1, 3, 13}, main);
    m.box({-10, 2.4f, 10.5f}, {10, 3.6f, 12.5f}, light);
    m.box({-9.5f, 2.8f, 6}, {9.5f, 3.2f, 6.6f}, glowR);
    m.box({-0.5f, 1.5f, 12}, {0.5f, 2.5f, 14}, dark);
  } else if (name == "shotty") {
    m.cylinder({1.2f, 2, -2}, {1.2f, 2, 14}, 1.1f, 1.1f, 6, dark);
    m.cylinder({-1.2f, 2, -2}, {-1.2f, 2, 14}, 1.1f, 1.1f, 6, dark);
    m.box({-2.2f, 0.2f, -9}, {2.2f, 3.2f, 1}, main);
    m.box({-2.3f, 0.6f, 5}, {2.3f, 2.6f, 9}, light);
  } else if (name == "sniper") {
    m.cylinder({0, 2, -4}, {0, 2, 14}, 0.8f, 0.7f, 6, dark);
    m.cylinder({0, 4.3f, -2}, {0, 4.3f, 6}, 1.2f, 1.2f, 6, main);
    m.box({-1.5f, 0.5f, -12}, {1.5f, 3, -2}, main);
    m.sphere({0, 4.3f, 6}, {1.2f, 1.2f, 0.5f}, 6, 4, glowR);
  } else if (name == "neutron") {
    m.cylinder({0, 2, -7}, {0, 2, 12}, 2.6f, 1.8f, 8, main);
    for (float z : {-3.0f, 2.0f, 7.0f}) m.cylinder({0, 2, z}, {0, 2, z + 1.5f}, 3.4f, 3.4f, 8, glowR);
    m.cylinder({0, 2, 12}, {0, 2, 14}, 1.2f, 1.2f, 6, light);
  } else if (name == "heart") {
    m.sphere({-1.8f, 3.5f, 9}, {2.6f, 2.6f, 2.2f}, 8, 5, glowR);
    m.sphere({1.8f, 3.5f, 9}, {2.6f, 2.6f, 2.2f}, 8, 5, glowR);
    m.cylinder({0, 2, -6}, {0, 2, 14}, 1.5f, 1.5f, 6, main);
  } else if (name == "dark") {
    m.box({-2.4f, 0.5f, -8}, {2.4f, 4, 11}, main);
    m.cylinder({0, 2, 11}, {0, 2, 14}, 1.8f, 2.4f, 6, dark);
    for (float s : {1.0f, -1.0f}) m.cylinder({2.4f * s, 3.5f, 0}, {5.5f * s, 6, -4}, 1.2f, 0, 4, glowR);
  } else {   // fueler: a fuel nozzle gun with a tank
    m.cylinder({0, 2, 2}, {0, 2, 14}, 1, 0.8f, 6, light);
    m.cylinder({0, -1, -8}, {0, -1, 2}, 3, 3, 8, main);
    m.box({-1.5f, 2, -4}, {1.5f, 3, 2}, glowR);
  }
  return m;
}

const char* const kWeapons[] = {"launcher", "torpedo", "xbow", "shotty", "sniper", "neutron", "heart", "dark", "fueler"};

void writeModelPair(OutputFolder& out, const std::string& base, const Md2Model& m, float outline) {
  out.write(base + ".md2", encodeMd2(m));
  out.write(base + "_o.md2", encodeMd2(outlineOf(m, outline)));
}

// Every rig frame of a mesh, each vertex placed by place(frame, vertex index).
template <class Place>
Md2Model riggedModel(const Mesh& mesh, Place place) {
  Md2Model m;
  m.skinWidth = mesh.skinWidth();
  m.skinHeight = mesh.skinHeight();
  m.uv = mesh.uv;
  m.tris = mesh.tris;
  for (const RigFrame& f : rigFrames()) {
    Md2Frame frame{f.name, std::vector<Vec3>(mesh.pos.size())};
    for (size_t i = 0; i < mesh.pos.size(); ++i) frame.pos[i] = place(f, i);
    m.frames.push_back(std::move(frame));
  }
  return m;
}

void makeCharacter(OutputFolder& out, const std::string& model) {
  Mesh mesh = characterMesh(model);
  Md2Model m = riggedModel(mesh, [&](const RigFrame& f, size_t i) { return f.bone[mesh.part[i]].apply(mesh.pos[i]); });
  writeModelPair(out, "models/chars/" + model, m, 1.0f);
}

void makeWeapon(OutputFolder& out, const std::string& name) {
  Mesh mesh = weaponMesh(name);
  Md2Model m = riggedModel(mesh, [&](const RigFrame& f, size_t i) { return f.weapon.apply(mesh.pos[i]); });
  writeModelPair(out, "models/weapons/" + name, m, 0.6f);
}

}  // namespace

void addPeopleTasks(TaskList& tasks) {
  for (const char* model : kModels)
    tasks.push_back({"people", std::string("model ") + model, [m = std::string(model)](OutputFolder& out) { makeCharacter(out, m); }});
  for (const char* w : kWeapons)
    tasks.push_back({"people", std::string("weapon ") + w, [n = std::string(w)](OutputFolder& out) { makeWeapon(out, n); }});
  for (const Look& look : looks())
    tasks.push_back({"people", "skin " + look.skin, [&look](OutputFolder& out) {
                       writeTexture(out, look.skin + ".bmp", paintSkin(look));
                       writeTexture(out, "portraits\\" + look.skin + ".bmp", paintPortrait(look));
                     }});
}
