// A small software rasteriser for pictures made from the generated models: the shipyard and
// fleet icons and the intro slides. Orthographic, z-buffered, nearest texel sampling, one
// directional light; front faces as the game draws them (normal toward the viewer).
#pragma once
#include <vector>

#include "tools/contentgen/Image.h"
#include "tools/contentgen/Mesh.h"

class Rasteriser {
 public:
  explicit Rasteriser(Image& target);
  // Draws mesh with texture (may be null: tint only). view maps model space to view space
  // (x right, y up, z away from the viewer); screen = centre + (x, -y) * scale.
  void draw(const Mesh& mesh, const Image* texture, Rgba tint, const Xform& view, float scale, Vec2 centre,
            float alpha = 1.0f);

 private:
  Image& target_;
  std::vector<float> depth_;
};

// Screen-space bounds of a mesh under a view (for fitting it into a picture).
void viewBounds(const Mesh& mesh, const Xform& view, float& minX, float& maxX, float& minY, float& maxY);
