// CTrail: a tube along a sequence of points. Each addPoint adds one segment: four quads joining
// the previous cross-section to a new one (a diamond of half-width 20 turned across the
// direction from the origin to the point), each side in a small vertex buffer of its own (four
// QuadVertex, managed pool), and marks both cross-sections with mini-flare sprites. Render draws
// every segment additively with "stream.bmp" (TexStream). Segments are kept until the trail is
// destroyed; nothing fades or is removed. Device failures raise to the caller.
#pragma once
#include <array>
#include <memory>
#include <vector>

#include "engine/GeomMod.h"
#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

// Called for each section corner addPoint passes (a mini-flare sprite at the corner, no velocity,
// no owner); set once by the sprite module at start-up; null draws no flares.
extern void (*TrailCornerFlare)(const D3DVECTOR& corner);

class CTrail {
 public:
  // Origin := p and every corner of the section := p. Segments already built stay.
  void Init(const D3DVECTOR& p);
  // One segment from the current section to a new one at p. Overflow error past 32768 segments.
  void addPoint(const D3DVECTOR& p);
  // Draws every segment: blending on (ONE, ONE, stage-0 alpha MODULATE), world identity, the
  // QuadVertex format, TexStream; blending off afterwards.
  void Render();

  Integer getSegCount() const { return SegCount; }  // the newest segment's index, -1 when empty
  const std::array<D3DVECTOR, 4>& getSection() const { return Section; }
  // The buffer of one side (0..3) of a segment, for checks.
  const VertexBuffer& getSideBuffer(Integer side, Integer segment) const;

 private:
  std::array<std::vector<VertexBuffer>, 4> SideBuffers;
  Integer SegCount = -1;
  D3DVECTOR Origin;
  std::array<D3DVECTOR, 4> Section;
};
