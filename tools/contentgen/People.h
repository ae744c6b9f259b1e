// The characters' looks: one record per skin (the skin file is also the portrait), with the
// colours and features that the skin painter, the portrait painter and the news and intro
// pictures share, so a character looks the same on its model and in its portrait.
#pragma once
#include <string>
#include <vector>

#include "tools/contentgen/Image.h"

enum class Hair { Short, Long, Bald, Bun, Afro, Spiky, Mohawk };
enum class Headwear { None, Cap, Fedora, Tricorn, Headband, Hood, Helmet, Horns, Antenna };
enum class FaceKind { Plain, Zombie, NinjaMask, Visor, EyePatch, Beak, Beard, Fiend, Static };

struct Look {
  std::string skin;        // skin and portrait file base name ("zom1")
  std::string model;       // character model ("zombie")
  Rgba skinTone, hair, shirt, trousers, boots, accent, backdrop;
  Hair hairStyle;
  Headwear headwear;
  FaceKind face;
};

// Every skin that the character table and the unit table use, plus "hiro" and "null".
const std::vector<Look>& looks();
const Look& lookOf(const std::string& skin);   // throws for an unknown skin

// A face seen from the front filling the rectangle (eyes, nose, mouth, hair, headwear).
// detail 0 for the 32 x 32 skin square, 1 for a portrait.
void paintFace(Image& img, float x0, float y0, float x1, float y1, const Look& look, int detail);
// A 128 x 128 portrait: head and shoulders over the faction's backdrop.
Image paintPortrait(const Look& look);
// The 128 x 128 skin laid out for the character models' texture coordinates.
Image paintSkin(const Look& look);

// Skin atlas rectangles (pixels of the 128 x 128 skin), shared with the model builder.
namespace skin {
struct Rect {
  float u0, v0, u1, v1;
};
constexpr Rect kFace{0, 0, 32, 32}, kHeadBack{32, 0, 64, 32}, kHeadTop{64, 0, 96, 32},
    kHeadSide{96, 0, 128, 32}, kNeck{96, 32, 112, 48};
constexpr Rect kTorsoFront{0, 32, 32, 64}, kTorsoBack{32, 32, 64, 64}, kTorsoSide{64, 32, 80, 64},
    kTorsoTop{80, 32, 96, 48};
constexpr Rect kHips{96, 48, 128, 64};
constexpr Rect kUpperArm{0, 64, 16, 96}, kForearm{16, 64, 32, 96}, kHand{32, 64, 48, 80};
constexpr Rect kThigh{48, 64, 64, 96}, kShin{64, 64, 80, 96}, kFoot{80, 64, 96, 80};
constexpr Rect kAccent1{0, 96, 64, 128}, kAccent2{64, 96, 128, 128};
}  // namespace skin
