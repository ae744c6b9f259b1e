// Planet discs shared by the sky sector textures, the world-map planet atlases and the
// intro slides: a shaded sphere with bands, craters or clouds, optional ring.
#pragma once
#include <cstdint>

#include "tools/contentgen/Image.h"

struct PlanetLook {
  Rgba base, second;
  int kind;          // 0 rocky, 1 banded gas giant, 2 ocean world with clouds, 3 lava, 4 ice
  bool ringed;
  uint32_t seed;
};

PlanetLook planetLook(uint32_t seed);   // a varied planet per seed
// Draws the planet centred at (cx, cy) with radius r; the background stays as it is where
// alpha (coverage) is below 1 (Over blending).
void paintPlanet(Image& img, float cx, float cy, float r, const PlanetLook& p);
