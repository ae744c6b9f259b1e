// SpriteHelpers: small shared helpers of the sprite files (child sprites, random spreads, colour
// rounding, texture and model lookup). Internal to sprites/.
#pragma once
#include <memory>

#include "platform/D3DTypes.h"
#include "platform/Direct3D.h"
#include "runtime/Numbers.h"

class CMD2;

namespace spr {
// AddSprite at p with velocity v (life, size 0 = the kind's defaults).
void add(const D3DVECTOR& p, const D3DVECTOR& v, Long kind, Single life = 0, Single size = 0, Integer owner = -1,
         Integer target = -1);
// p - d + 2d Rnd on each axis (x, y, z drawn in that order).
D3DVECTOR within(const D3DVECTOR& p, Single d);
// s Rnd - s/2 on each axis (x, y, z).
D3DVECTOR spread(Single s);
// Sinking child velocity (0, -50 Rnd, 0).
D3DVECTOR sinking();
D3DVECTOR vec(Single x, Single y, Single z);
D3DVECTOR addScaled(const D3DVECTOR& a, const D3DVECTOR& b, Single k);  // a + k b
// Round half to even into a 16-bit value, saturating outside its range (colours and shades).
Integer nearest(double x);
// Largest whole number not above x, saturated to 16 bits.
Integer floorI(double x);
// The texture of a cache handle; none for a handle outside the cache.
std::shared_ptr<Direct3DTexture8> tex(Integer handle);
// The loaded misc model k (0..14), null when absent.
CMD2* miscModel(Integer k);
}  // namespace spr
