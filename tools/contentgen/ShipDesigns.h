// The 23 ship designs: file name, model folder, the four texture names, body family, size
// and colours, and the anchor points (seats, mounts, jets, lights) that fit the generated
// model. The ship files of the text data use the same names and anchors (see --anchors).
#pragma once
#include <string>
#include <vector>

#include "tools/contentgen/Image.h"
#include "tools/contentgen/Mesh.h"

enum class ShipBody { Car = 0, Bike = 1, Convertible = 2, Capital = 3, Fleshy = 4 };

struct Anchor {
  Vec3 at;          // drawing space (x right, y up, z forward)
  float rotation;   // mounts only (radians)
};

struct ShipDesign {
  std::string file;      // "\ships\<file>.pnd"
  std::string folder;    // models\<folder>\body.md2 ...
  std::string bodyTex, interiorTex, windowTex, wheelTex;
  ShipBody body;
  int style;             // shape variant within the family
  float scale;
  Rgba main, accent;
  std::vector<Anchor> seats, mounts, jets, lights;
};

const std::vector<ShipDesign>& shipDesigns();
// Anchor rows as the ship files write them: (x, along, height) = (x, z, y).
std::string anchorsText();
