// The procedural 2-D painter: anti-aliased shapes, glows, lines, polygons, gradients and
// tileable value noise drawn into an Image. Coordinates are pixels (floats, y downward).
// Every shape takes the blend mode it is put with (Image::put).
#pragma once
#include <cstdint>
#include <vector>

#include "tools/contentgen/Image.h"

struct Vec2 {
  float x = 0, y = 0;
};

void fillRect(Image& img, float x0, float y0, float x1, float y1, Rgba c, Blend m = Blend::Over);
void fillRoundRect(Image& img, float x0, float y0, float x1, float y1, float radius, Rgba c,
                   Blend m = Blend::Over);
void fillCircle(Image& img, float cx, float cy, float r, Rgba c, Blend m = Blend::Over);
// Ellipse with radii rx, ry turned by angle (radians).
void fillEllipse(Image& img, float cx, float cy, float rx, float ry, float angle, Rgba c,
                 Blend m = Blend::Over);
void ring(Image& img, float cx, float cy, float r, float width, Rgba c, Blend m = Blend::Over);
// Radial glow: weight (1 - d / radius)^power, 0 beyond the radius.
void glow(Image& img, float cx, float cy, float radius, Rgba c, float power, Blend m = Blend::Add);
// Line of the given width with round caps.
void line(Image& img, float x0, float y0, float x1, float y1, float width, Rgba c,
          Blend m = Blend::Over);
// Polyline through the points, each segment as line().
void polyline(Image& img, const std::vector<Vec2>& pts, float width, Rgba c, Blend m = Blend::Over);
// Filled polygon (even-odd rule), 4 x 4 samples per pixel.
void polygon(Image& img, const std::vector<Vec2>& pts, Rgba c, Blend m = Blend::Over);
// Vertical gradient over a rectangle, top colour to bottom colour, replacing the pixels.
void vgradient(Image& img, int x0, int y0, int x1, int y1, Rgba top, Rgba bottom);
// Spiky star flare: n spikes of the given length and width at the base, additive.
void spikes(Image& img, float cx, float cy, int n, float length, float width, float angle, Rgba c);

// Value noise in 0..1 on a lattice of unit cells; period > 0 makes it tile with that many cells.
float valueNoise(float x, float y, uint32_t seed, int period = 0);
// Sum of octaves of valueNoise (each half the amplitude, twice the frequency), 0..1.
float fbm(float x, float y, uint32_t seed, int octaves, int period = 0);
