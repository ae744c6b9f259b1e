#include "engine/CTrail.h"

#include <cmath>

#include "engine/CTextureMonster.h"
#include "engine/FuncMod.h"
#include "engine/MediaHandles.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "runtime/VbError.h"

void (*TrailCornerFlare)(const D3DVECTOR& corner) = nullptr;

namespace {
constexpr Single HalfWidth = 20;
constexpr int32_t SideBytes = 4 * QuadVertexStride;  // 144

void addCornerFlare(const D3DVECTOR& corner) {
  if (TrailCornerFlare) TrailCornerFlare(corner);
}
}  // namespace

void CTrail::Init(const D3DVECTOR& p) {
  Origin = p;
  Section.fill(p);
}

void CTrail::addPoint(const D3DVECTOR& p) {
  // 1., 2.
  const Single a = getAngle(Origin.x, Origin.z, p.x, p.z);
  const double b = (6.28 - a) + 1.57;
  const Single cx = static_cast<Single>(HalfWidth * std::cos(b)),
               cz = static_cast<Single>(HalfWidth * std::sin(b));
  const std::array<D3DVECTOR, 4> previous = Section;
  Section = {D3DVECTOR{p.x + cx, p.y, p.z + cz}, D3DVECTOR{p.x, p.y + HalfWidth, p.z},
             D3DVECTOR{p.x - cx, p.y, p.z - cz}, D3DVECTOR{p.x, p.y - HalfWidth, p.z}};
  // 3.
  for (int k = 0; k < 4; ++k) {
    addCornerFlare(Section[k]);
    addCornerFlare(previous[k]);
  }
  // 4.
  SegCount = CInt(SegCount + 1.0);
  for (auto& side : SideBuffers) side.resize(static_cast<size_t>(SegCount) + 1);
  // 5., 6. Side s joins corners s and s + 1 of both sections: u 0 along corner s, u 1 along
  // corner s + 1, v 1 at the previous section and 0 at the new one.
  const D3DCOLOR white = makeRGB(255, 255, 255);
  Direct3DDevice8& dev = device();
  for (int s = 0; s < 4; ++s) {
    const int t = (s + 1) % 4;
    const D3DVECTOR pos[4] = {previous[s], Section[s], previous[t], Section[t]};
    const Single uv[4][2] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}};
    QuadVertex verts[4];
    for (int k = 0; k < 4; ++k)
      verts[k] = QuadVertex{pos[k].x, pos[k].y, pos[k].z, 0, 1, 0, white, uv[k][0], uv[k][1]};
    VertexBuffer buffer;
    checkHResult(
        dev.CreateVertexBuffer(SideBytes, D3DUSAGE_WRITEONLY, D3DFVF_QUADVERTEX, D3DPOOL_MANAGED, buffer));
    SideBuffers[s][static_cast<size_t>(SegCount)] = buffer;
    checkHResult(buffer->SetData(0, SideBytes, 0, verts));
  }
}

void CTrail::Render() {
  Direct3DDevice8& dev = device();
  checkHResult(dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 1));
  checkHResult(dev.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE));
  checkHResult(dev.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE));
  checkHResult(dev.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE));
  D3DMATRIX identity;
  D3DXMatrixIdentity(identity);
  checkHResult(dev.SetTransform(D3DTS_WORLD, identity));
  std::shared_ptr<Direct3DTexture8> stream;
  if (TexStream >= 0 && static_cast<size_t>(TexStream) < TexSlots.size())
    stream = TexSlots[static_cast<size_t>(TexStream)].object;
  checkHResult(dev.SetTexture(0, stream));
  checkHResult(dev.SetVertexShader(D3DFVF_QUADVERTEX));
  for (int i = 0; i <= SegCount; ++i)
    for (const auto& side : SideBuffers) {
      checkHResult(dev.SetStreamSource(0, side[static_cast<size_t>(i)], QuadVertexStride));
      checkHResult(dev.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));
    }
  checkHResult(dev.SetRenderState(D3DRS_ALPHABLENDENABLE, 0));
}

const VertexBuffer& CTrail::getSideBuffer(Integer side, Integer segment) const {
  vbCheckIndex(side, 0, 3);
  vbCheckIndex(segment, 0, SegCount);
  return SideBuffers[static_cast<size_t>(side)][static_cast<size_t>(segment)];
}
