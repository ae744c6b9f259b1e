#include "tools/contentgen/Md2Normals.h"

#include "engine/modMD2Helper.h"

uint8_t nearestMd2Normal(float x, float y, float z) {
  int best = 0;
  float bestDot = -2.0f;
  for (int i = 0; i < MD2NormalCount; ++i) {
    float d = MD2Normals[i].x * x + MD2Normals[i].y * y + MD2Normals[i].z * z;
    if (d > bestDot) {
      bestDot = d;
      best = i;
    }
  }
  return static_cast<uint8_t>(best);
}
