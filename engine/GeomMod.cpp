#include "engine/GeomMod.h"

#include <cmath>
#include <vector>

#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "runtime/VbError.h"

VertexBuffer BillQuadVB;
VertexBuffer QuadVB;
std::array<VertexBuffer, 4> FrameQuadVBs;
std::array<VertexBuffer, 32> ColorQuadVBs;
std::array<VertexBuffer, 6> PanelVBs;
VertexBuffer TubeVB;

namespace {
constexpr Single Inset0 = 0.003f, Inset1 = 0.997f;
constexpr Double StripStep = 1.04667;  // strip angle step (strip 3 lies at 3.14001)

// Creation formats: the codes the buffers are made with (draws declare 0x152 regardless).
constexpr int32_t BillCreateFVF = 0x142;
constexpr int32_t QuadCreateFVF = 0x112;

QuadVertex vertex(Single x, Single y, Single z, D3DCOLOR color, Single u, Single v) {
  return QuadVertex{x, y, z, 0, 1, 0, color, u, v};
}

// Creates a buffer for the vertices, stores it in target (dropping the old one), then fills it.
void build(VertexBuffer& target, const std::vector<QuadVertex>& verts, int32_t fvf) {
  const int32_t length = static_cast<int32_t>(verts.size()) * QuadVertexStride;
  VertexBuffer made;
  checkHResult(device().CreateVertexBuffer(length, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, made));
  target = made;
  checkHResult(target->SetData(0, length, 0, verts.data()));
}

void buildQuad(VertexBuffer& target, int32_t fvf, D3DCOLOR color, const Single (&p)[12], Single uMin, Single vMin,
               Single uMax, Single vMax) {
  build(target,
        {vertex(p[0], p[1], p[2], color, uMin, vMax), vertex(p[3], p[4], p[5], color, uMin, vMin),
         vertex(p[6], p[7], p[8], color, uMax, vMax), vertex(p[9], p[10], p[11], color, uMax, vMin)},
        fvf);
}
}  // namespace

D3DCOLOR makeRGB(Integer red, Integer green, Integer blue) { return D3DColorARGB(255, red, green, blue); }

void MakeQuadVBUV(VertexBuffer& target, Single ax, Single ay, Single az, Single bx, Single by, Single bz, Single cx,
                  Single cy, Single cz, Single dx, Single dy, Single dz, Single uMin, Single vMin, Single uMax,
                  Single vMax) {
  buildQuad(target, QuadCreateFVF, makeRGB(255, 255, 255), {ax, ay, az, bx, by, bz, cx, cy, cz, dx, dy, dz}, uMin,
            vMin, uMax, vMax);
}

void MakeQuadVB(VertexBuffer& target, Single ax, Single ay, Single az, Single bx, Single by, Single bz, Single cx,
                Single cy, Single cz, Single dx, Single dy, Single dz) {
  MakeQuadVBUV(target, ax, ay, az, bx, by, bz, cx, cy, cz, dx, dy, dz, Inset0, Inset0, Inset1, Inset1);
}

void MakeColorQuadVB(Integer index, Integer red, Integer green, Integer blue) {
  vbCheckIndex(index, 0, static_cast<long long>(ColorQuadVBs.size()) - 1);
  buildQuad(ColorQuadVBs[index], QuadCreateFVF, makeRGB(red, green, blue),
            {-16, -16, 0, -16, 16, 0, 16, -16, 0, 16, 16, 0}, Inset0, Inset0, Inset1, Inset1);
}

void BuildColorRamps(Integer red, Integer green, Integer blue) {
  for (Integer i = 0; i < 32; ++i) {
    const Single f = static_cast<Single>(i) / 31.0f;
    MakeColorQuadVB(i, CInt(red * f), CInt(green * f), CInt(blue * f));
  }
}

void MakeTubeVB() {
  std::vector<QuadVertex> verts;
  const D3DCOLOR white = makeRGB(255, 255, 255);
  for (int i = 0; i < 6; ++i) {
    const Single t = static_cast<Single>(i * StripStep);
    const Single px = static_cast<Single>(8 * std::cos(t)), py = static_cast<Single>(-8 * std::sin(t));
    const Single qx = -px, qy = -py;
    verts.push_back(vertex(px, py, -75, white, Inset1, Inset1));
    verts.push_back(vertex(qx, qy, 75, white, Inset0, Inset0));
    verts.push_back(vertex(qx, qy, -75, white, Inset0, Inset1));
    verts.push_back(vertex(qx, qy, 75, white, Inset0, Inset0));
    verts.push_back(vertex(px, py, -75, white, Inset1, Inset1));
    verts.push_back(vertex(px, py, 75, white, Inset1, Inset0));
  }
  build(TubeVB, verts, QuadCreateFVF);
}

void InitGeometry() {
  buildQuad(BillQuadVB, BillCreateFVF, makeRGB(255, 255, 255), {-16, -16, 0, -16, 16, 0, 16, -16, 0, 16, 16, 0}, 0,
            0, 1, 1);
  MakeQuadVB(QuadVB, -45, -45, 45, -45, 45, 45, 45, -45, 45, 45, 45, 45);
  for (int i = 0; i < 4; ++i)
    MakeQuadVBUV(FrameQuadVBs[i], -10, -45, 45, -10, 45, 45, 10, -45, 45, 10, 45, 45, i / 4.0f, 0, (i + 1) / 4.0f, 1);
  BuildColorRamps(200, 150, 100);
  for (int i = 0; i < 6; ++i) {
    const Single t = static_cast<Single>(i * StripStep);
    const Single c = static_cast<Single>(8 * std::cos(t)), s = static_cast<Single>(8 * std::sin(t));
    MakeQuadVB(PanelVBs[i], -c, s, -75, -c, s, 75, c, -s, -75, c, -s, 75);
  }
  MakeTubeVB();
}

void ReleaseGeometry() {
  BillQuadVB.reset();
  QuadVB.reset();
  for (auto& b : FrameQuadVBs) b.reset();
  for (auto& b : ColorQuadVBs) b.reset();
  for (auto& b : PanelVBs) b.reset();
  TubeVB.reset();
}
