#include "engine/modDirectX.h"

#include <string>

#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "platform/Window.h"
#include "runtime/VbError.h"

std::shared_ptr<DirectX8> DX;
std::shared_ptr<Direct3D8> D3D;
std::shared_ptr<D3DX8> D3DX;
std::shared_ptr<Direct3DDevice8> D3DDevice;
D3DPRESENT_PARAMETERS PresentParams;
D3DDISPLAYMODE DispMode;

Long TargetTexSize = 128;
std::shared_ptr<D3DXRenderToSurface> TargetRTS;
std::array<std::shared_ptr<Direct3DTexture8>, TargetSlots> TargetTex;
std::array<std::shared_ptr<Direct3DSurface8>, TargetSlots> TargetSurf;
std::array<Integer, TargetSlots> TargetUsed{};

Integer ScreenFxTexW = 0, ScreenFxTexH = 0;
std::shared_ptr<D3DXRenderToSurface> ScreenFxRTS;
std::shared_ptr<Direct3DTexture8> ScreenFxTex;
std::shared_ptr<Direct3DSurface8> ScreenFxSurf;
bool ScreenFxHalf = false;
bool PendingEndScene = false;
bool ScreenFxNeedsClear = false;

namespace {
// Caption allowance of a windowed start: the outer window is this much taller than the screen.
constexpr Long CaptionPixels = 25;

// Depth formats in the order they are tried; the last supported one wins.
constexpr D3DFORMAT DepthFormatOrder[] = {D3DFMT_D16, D3DFMT_D16_LOCKABLE, D3DFMT_D24S8,
                                          D3DFMT_D24X4S4, D3DFMT_D24X8, D3DFMT_D32};

// A render-to-surface target of width x height with one texture per surface.
void makeTarget(Long width, Long height, std::shared_ptr<D3DXRenderToSurface>& rts) {
  checkHResult(D3DX->CreateRenderToSurface(D3DDevice, width, height, DispMode.Format, true,
                                           static_cast<D3DFORMAT>(getDepthFormat(DispMode)), rts));
}

void makeTargetTexture(Long width, Long height, std::shared_ptr<Direct3DTexture8>& tex,
                       std::shared_ptr<Direct3DSurface8>& surf) {
  checkHResult(D3DX->CreateTexture(D3DDevice, width, height, D3DX_DEFAULT, 0, DispMode.Format, D3DPOOL_MANAGED, tex));
  checkHResult(tex->GetSurfaceLevel(0, surf));
}
}  // namespace

void screenSizeForOption(Long vRes, Long& width, Long& height) {
  switch (vRes) {
    case 0: width = 640; height = 480; break;
    case 2: width = 1024; height = 768; break;
    case 3: width = 1280; height = 1024; break;
    default: width = 800; height = 600; break;  // option 1, and a damaged options file
  }
}

Integer screenFxTexSize(Long screenPixels) {
  Integer size = 2;
  while (size < screenPixels / 2.0) size = static_cast<Integer>(size * 2);
  return size;
}

void initD3D(HWND& hWnd, Long res, bool fullScreen, bool wideScreen) {
  if (!D3D) vbRaise(vberr::ObjectMissing);
  GameWindow* window = windowFromHandle(hWnd);
  if (!window) vbRaise(vberr::InvalidCall, "initD3D: no window " + std::to_string(hWnd));

  // 1. Screen size and presentation from the options.
  screenSizeForOption(res, ScreenWidth, ScreenHeight);
  Fullscreen = fullScreen;
  Widescreen = wideScreen;
  TargetTexSize = 128;

  PresentParams = D3DPRESENT_PARAMETERS{};
  if (!Fullscreen) {
    // 2. Windowed: the desktop's mode and format; the client area sized to the screen.
    checkHResult(D3D->GetAdapterDisplayMode(0, DispMode));
    PresentParams.BackBufferFormat = DispMode.Format;
    PresentParams.Windowed = true;
    window->setWidth(pixelsToTwips(ScreenWidth, 0));
    window->setHeight(pixelsToTwips(CaptionPixels, 1) + pixelsToTwips(ScreenHeight, 1));
    window->setScaleHeight(static_cast<Single>(ScreenHeight));
    PresentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
    if (DevMode) {
      PendingEndScene = true;
      ScreenFxNeedsClear = true;
    }
  } else {
    // 3. Full screen: X8R8G8B8 when the adapter can show it, else R5G6B5.
    D3DFORMAT format = D3DFMT_R5G6B5;
    if (D3D->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false) == D3D_OK)
      format = D3DFMT_X8R8G8B8;
    DispMode = D3DDISPLAYMODE{ScreenWidth, ScreenHeight, 0, format};
    PresentParams.BackBufferWidth = ScreenWidth;
    PresentParams.BackBufferHeight = ScreenHeight;
    PresentParams.BackBufferFormat = format;
    PresentParams.Windowed = false;
    PresentParams.FullScreen_RefreshRateInHz = 0;
    PresentParams.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    PresentParams.SwapEffect = D3DSWAPEFFECT_FLIP;
  }

  // 4. Both.
  PresentParams.hDeviceWindow = hWnd;
  PresentParams.BackBufferCount = 1;
  PresentParams.EnableAutoDepthStencil = true;
  PresentParams.AutoDepthStencilFormat = static_cast<D3DFORMAT>(getDepthFormat(DispMode));
  PresentParams.MultiSampleType = D3DMULTISAMPLE_NONE;

  // 5. The device.
  checkHResult(D3D->CreateDevice(0, D3DDEVTYPE_HAL, hWnd, getVertexProcessing(), PresentParams, D3DDevice));
  if (!D3DX) D3DX = std::make_shared<D3DX8>();

  // 6. Target views.
  makeTarget(TargetTexSize, TargetTexSize, TargetRTS);
  for (Integer i = 0; i < TargetSlots; ++i) makeTargetTexture(TargetTexSize, TargetTexSize, TargetTex[i], TargetSurf[i]);

  // 7.
  if (!D3DDevice) addMessage("Direct3D Device creation error!", false);
  doEvents();

  // 8. Full-screen effect, at half the screen size.
  ScreenFxTexW = screenFxTexSize(ScreenWidth);
  ScreenFxTexH = screenFxTexSize(ScreenHeight);
  ScreenFxHalf = true;
  makeTarget(ScreenFxTexW, ScreenFxTexH, ScreenFxRTS);
  makeTargetTexture(ScreenFxTexW, ScreenFxTexH, ScreenFxTex, ScreenFxSurf);

  // 9.
  if (!Fullscreen) ShowWindow(hWnd, SW_SHOWNORMAL);
}

Long pixelsToTwips(Long pixels, Long axis) {
  try {
    HDC dc = GetDC(0);
    Long dpi = GetDeviceCaps(dc, axis == 0 ? LOGPIXELSX : LOGPIXELSY);
    ReleaseDC(0, dc);
    return CLng(vbDiv(static_cast<double>(pixels) * 1440.0, dpi));
  } catch (const VbError& e) {
    // Reported once and skipped: the caller gets 0.
    MsgBox(e.what(), vbCritical, "Error: " + std::to_string(e.number()));
    return 0;
  }
}

void makeVec3(D3DVECTOR& v, Single x, Single y, Single z) {
  v.x = x;
  v.y = y;
  v.z = z;
}

Long getVertexProcessing() {
  if (!D3D) vbRaise(vberr::ObjectMissing);
  D3DCAPS8 caps;
  checkHResult(D3D->GetDeviceCaps(0, D3DDEVTYPE_HAL, caps));
  return (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) ? D3DCREATE_HARDWARE_VERTEXPROCESSING
                                                          : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
}

Long getDepthFormat(const D3DDISPLAYMODE& mode) {
  if (!D3D) vbRaise(vberr::ObjectMissing);
  Long chosen = 0;
  for (D3DFORMAT f : DepthFormatOrder) {
    if (D3D->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, f) == D3D_OK)
      chosen = f;
  }
  return chosen;
}

Direct3DDevice8& device() {
  if (!D3DDevice) vbRaise(vberr::ObjectMissing);
  return *D3DDevice;
}

void releaseDirectX() {
  TargetRTS.reset();
  for (auto& s : TargetSurf) s.reset();
  for (auto& t : TargetTex) t.reset();
  ScreenFxRTS.reset();
  ScreenFxSurf.reset();
  ScreenFxTex.reset();
  D3DDevice.reset();
  D3DX.reset();
  D3D.reset();
  DX.reset();
}
