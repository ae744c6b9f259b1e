#include "engine/RenderMod.h"

#include <bit>

#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "runtime/Trap.h"

bool (*CurrentMapFog)(MapFogState& out) = nullptr;
Long RenderMode = 0;

namespace {
void rs(D3DRENDERSTATETYPE state, int32_t value) { checkHResult(device().SetRenderState(state, value)); }
void ts(D3DTEXTURESTAGESTATETYPE state, int32_t value) { checkHResult(device().SetTextureStageState(0, state, value)); }
constexpr int32_t True = 1, False = 0;
}  // namespace

void setQuickRMode(Long mode, Integer& red, Integer& green, Integer& blue, Integer& alpha) {
  vbTrap("setQuickRMode", [&] {
    RenderMode = mode;
    if (red < 0) red = 0;
    if (green < 0) green = 0;
    if (blue < 0) blue = 0;
    rs(D3DRS_TEXTUREFACTOR, static_cast<int32_t>(D3DColorARGB(alpha, red, green, blue)));

    ts(D3DTSS_COLOROP, D3DTOP_MODULATE);
    ts(D3DTSS_COLORARG1, D3DTA_TEXTURE);
    ts(D3DTSS_COLORARG2, D3DTA_CURRENT);
    ts(D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    ts(D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    ts(D3DTSS_ALPHAARG2, D3DTA_TFACTOR);

    switch (mode) {
      case rpFogged: {
        MapFogState fog;
        if (!CurrentMapFog || !CurrentMapFog(fog)) vbRaise(vberr::ObjectMissing);
        if (fog.Fog != 0) {
          rs(D3DRS_FOGENABLE, True);
          rs(D3DRS_FOGCOLOR, static_cast<int32_t>(D3DColorRGBA(fog.FogR, fog.FogG, fog.FogB, 255)));
          rs(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
          rs(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
          rs(D3DRS_FOGSTART, FtoDW(static_cast<Single>(fog.FogNear)));
          rs(D3DRS_FOGEND, FtoDW(static_cast<Single>(fog.FogFar)));
        }
        rs(D3DRS_ALPHABLENDENABLE, False);
        break;
      }
      case rpAdditive:
        rs(D3DRS_FOGENABLE, False);
        rs(D3DRS_ALPHABLENDENABLE, True);
        ts(D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        rs(D3DRS_SRCBLEND, D3DBLEND_ONE);
        rs(D3DRS_DESTBLEND, D3DBLEND_ONE);
        ts(D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        ts(D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        ts(D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
        ts(D3DTSS_COLOROP, D3DTOP_MODULATE);
        ts(D3DTSS_COLORARG1, D3DTA_TEXTURE);
        ts(D3DTSS_COLORARG2, D3DTA_TFACTOR);
        break;
      case rpAlphaBlend:
        rs(D3DRS_FOGENABLE, False);
        rs(D3DRS_ALPHABLENDENABLE, True);
        rs(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        rs(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        ts(D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        ts(D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        ts(D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
        break;
      case rpColorBlend:
        rs(D3DRS_FOGENABLE, False);
        rs(D3DRS_ALPHABLENDENABLE, True);
        ts(D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        ts(D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        ts(D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
        rs(D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR);
        rs(D3DRS_DESTBLEND, D3DBLEND_INVSRCCOLOR);
        ts(D3DTSS_COLOROP, D3DTOP_MODULATE);
        ts(D3DTSS_COLORARG1, D3DTA_TEXTURE);
        ts(D3DTSS_COLORARG2, D3DTA_TFACTOR);
        break;
      case rpSolid:
        rs(D3DRS_FOGENABLE, False);
        rs(D3DRS_ALPHABLENDENABLE, False);
        break;
      default:
        break;  // the common part only
    }
  });
}

void setQuickRMode(Long mode, Long red, Long green, Long blue, Long alpha) {
  Integer r = 0, g = 0, b = 0, a = 0;
  if (!vbTrap("setQuickRMode", [&] {
        r = CInt(red);
        g = CInt(green);
        b = CInt(blue);
        a = CInt(alpha);
      }))
    return;
  setQuickRMode(mode, r, g, b, a);
}

Long FtoDW(Single value) { return std::bit_cast<Long>(value); }
