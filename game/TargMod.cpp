#include "game/TargMod.h"

#include <array>
#include <cmath>
#include <exception>

#include "engine/GameGlobals.h"
#include "engine/GeomMod.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

Integer TargetSlot = 0;
Double TargetOrbit = 0;

namespace {
// The render states the view sets, saved on entry and put back on the way out.
constexpr std::array<D3DRENDERSTATETYPE, 9> SavedStates = {
    D3DRS_FILLMODE, D3DRS_CULLMODE,  D3DRS_ZENABLE,  D3DRS_ZWRITEENABLE, D3DRS_ALPHABLENDENABLE,
    D3DRS_SRCBLEND, D3DRS_DESTBLEND, D3DRS_LIGHTING, D3DRS_AMBIENT};

struct SavedDevice {
  std::array<int32_t, SavedStates.size()> states{};
  int32_t alphaOp = 0;
  D3DLIGHT8 light0{};
};

SavedDevice save(const Direct3DDevice8& d) {
  SavedDevice s;
  for (size_t i = 0; i < SavedStates.size(); ++i) s.states[i] = d.GetRenderState(SavedStates[i]);
  s.alphaOp = d.GetTextureStageState(0, D3DTSS_ALPHAOP);
  d.GetLight(0, s.light0);
  return s;
}

// Puts every saved state back; goes through all of them even when one is refused.
void restore(Direct3DDevice8& d, const SavedDevice& s) {
  for (size_t i = 0; i < SavedStates.size(); ++i) d.SetRenderState(SavedStates[i], s.states[i]);
  d.SetTextureStageState(0, D3DTSS_ALPHAOP, s.alphaOp);
  d.SetLight(0, s.light0);
}

void set(Direct3DDevice8& d, D3DRENDERSTATETYPE state, int32_t value) {
  checkHResult(d.SetRenderState(state, value));
}

// Ambient colour of light 0: grey for a wreck, red for an enemy of the viewer, else green.
D3DCOLORVALUE tint(CShip& ship, Integer viewer) {
  if (ship.Armor < 0) return D3DCOLORVALUE{0.25f, 0.25f, 0.25f, 0};
  if (ship.checkAIHostile(viewer)) return D3DCOLORVALUE{1.0f, 0.2f, 0.2f, 0};
  return D3DCOLORVALUE{0.2f, 1.0f, 0.2f, 0};
}
}  // namespace

void RenderTarg(Integer& viewer, Integer& shipIndex) {
  if (shipIndex < 0 || static_cast<size_t>(shipIndex) >= Ships.size()) return;
  CShip* ship = Ships[shipIndex].get();
  if (!ship || !ship->Exists) return;

  Direct3DDevice8* dev = D3DDevice.get();
  if (!dev) {
    reportTrapped("RenderTarg", vbErrorDescription(vberr::ObjectMissing));
    return;
  }
  const SavedDevice saved = save(*dev);
  bool sceneOpen = false;
  try {
    if (!TargetRTS) vbRaise(vberr::ObjectMissing);
    vbCheckIndex(TargetSlot, 0, TargetSlots - 1);
    CShip& s = *ship;
    // 1-3. The picture's camera circles the ship.
    TargetOrbit += FrameTime / 2;
    if (TargetOrbit > 6.28) TargetOrbit -= 6.28;
    const double a = TargetOrbit - s.r;
    const Long body = s.getShipBody();
    const double dist = body == sbCapital || body == sbFleshy ? 205 : 75;
    const D3DVECTOR eye{static_cast<Single>(s.x + dist * std::cos(a + 3.14)), s.e,
                        static_cast<Single>(s.y + dist * std::sin(a + 3.14))};
    const D3DVECTOR target{s.x, s.e, s.y};
    CamUp = D3DVECTOR{0, 1, 0};
    // 4-5.
    const D3DVIEWPORT8 viewport{0, 0, TargetTexSize, TargetTexSize, 0.0f, 1.0f};
    checkHResult(TargetRTS->BeginScene(TargetSurf[TargetSlot], viewport));
    sceneOpen = true;
    set(*dev, D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    checkHResult(dev->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, makeRGB(0, 0, 0), 1.0f, 0));
    set(*dev, D3DRS_CULLMODE, D3DCULL_CCW);
    // 6.
    D3DXMatrixLookAtLH(MatView, eye, target, CamUp);
    checkHResult(dev->SetTransform(D3DTS_VIEW, MatView));
    // 7. Additive over black, no depth.
    set(*dev, D3DRS_ZENABLE, 0);
    set(*dev, D3DRS_ZWRITEENABLE, 0);
    set(*dev, D3DRS_ALPHABLENDENABLE, 1);
    checkHResult(dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE));
    set(*dev, D3DRS_SRCBLEND, D3DBLEND_ONE);
    set(*dev, D3DRS_DESTBLEND, D3DBLEND_ONE);
    // 8. The tint comes from light 0's ambient colour alone: lighting on, no global ambient.
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Ambient = tint(s, viewer);
    light.Direction = D3DVECTOR{0, 0, 0};
    checkHResult(dev->SetLight(0, light));
    checkHResult(dev->LightEnable(0, true));
    for (int32_t i = 1; i <= 7; ++i) checkHResult(dev->LightEnable(i, false));
    set(*dev, D3DRS_LIGHTING, 1);
    set(*dev, D3DRS_AMBIENT, 0);
    // 9-10.
    Single distance = 5.0f;
    s.Render(distance);
    set(*dev, D3DRS_LIGHTING, 0);
    sceneOpen = false;
    checkHResult(TargetRTS->EndScene());
  } catch (const std::exception& e) {
    if (sceneOpen) TargetRTS->EndScene();
    restore(*dev, saved);
    reportTrapped("RenderTarg", e.what());
    return;
  }
  // 11-12.
  restore(*dev, saved);
  TargetUsed[TargetSlot] = 1;
  TargetSlot = static_cast<Integer>((TargetSlot + 1) % TargetSlots);
}
