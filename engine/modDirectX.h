// modDirectX: the one Direct3D device of the program and its set-up (initD3D): screen size and
// presentation from the player's display options, back-buffer and depth formats, vertex
// processing, the off-screen targets of the target view and of the full-screen effect; and the
// small helpers pixelsToTwips, makeVec3, getVertexProcessing and getDepthFormat.
//
// initD3D runs once, from frmMain.Form_Load, after DX and D3D exist and the options are read. The
// device is never created again: a lost device is reset with PresentParams (frmMain.mainLoop).
#pragma once
#include <array>
#include <memory>

#include "platform/D3DX.h"
#include "platform/Direct3D.h"
#include "runtime/Numbers.h"

class DirectX8;

// The root objects (DX and D3D are created by the start-up, D3DX on first use by initD3D).
extern std::shared_ptr<DirectX8> DX;
extern std::shared_ptr<Direct3D8> D3D;
extern std::shared_ptr<D3DX8> D3DX;
extern std::shared_ptr<Direct3DDevice8> D3DDevice;
extern D3DPRESENT_PARAMETERS PresentParams;  // kept for device resets
extern D3DDISPLAYMODE DispMode;              // desktop mode in a window, the requested mode full screen

// Target view: a ring of TargetSlots 128 x 128 pictures drawn through TargetRTS.
constexpr Integer TargetSlots = 6;  // indexes 0..5 of TargetUsed, TargetTex, TargetSurf
extern Long TargetTexSize;          // 128
extern std::shared_ptr<D3DXRenderToSurface> TargetRTS;
extern std::array<std::shared_ptr<Direct3DTexture8>, TargetSlots> TargetTex;
extern std::array<std::shared_ptr<Direct3DSurface8>, TargetSlots> TargetSurf;
extern std::array<Integer, TargetSlots> TargetUsed;  // 1 once the slot holds a picture

// Full-screen effect target.
extern Integer ScreenFxTexW, ScreenFxTexH;  // powers of two, at least half the screen
extern std::shared_ptr<D3DXRenderToSurface> ScreenFxRTS;
extern std::shared_ptr<Direct3DTexture8> ScreenFxTex;
extern std::shared_ptr<Direct3DSurface8> ScreenFxSurf;
extern bool ScreenFxHalf;        // the effect scene is drawn at half the screen size
extern bool PendingEndScene;     // windowed developer start: the loading screen ends a scene first
extern bool ScreenFxNeedsClear;  // windowed developer start: the effect surface awaits its first clear

// Creates the device on the main window hWnd (see the top of this file) with the player's display
// options: res 0..3 (640 x 480, 800 x 600, 1024 x 768, 1280 x 1024), full screen, wide screen. A
// failing Direct3D or D3DX call raises a VbError; there is no trap.
void initD3D(HWND& hWnd, Long res, bool fullScreen, bool wideScreen);

// pixels x 1440 / the screen's dots per inch (axis 0 horizontal, else vertical), rounded half to
// even. A failure shows a critical message box titled "Error: " + the error number and gives 0.
Long pixelsToTwips(Long pixels, Long axis);
void makeVec3(D3DVECTOR& v, Single x, Single y, Single z);
// 64 (hardware vertex processing) when adapter 0 has hardware transform and lighting, else 32.
Long getVertexProcessing();
// The last supported of D16, D16_LOCKABLE, D24S8, D24X4S4, D24X8, D32 (in that order) as a
// depth-stencil surface with mode.Format on adapter 0; 0 when none is.
Long getDepthFormat(const D3DDISPLAYMODE& mode);

// Screen size of the resolution option: 0 640 x 480, 1 800 x 600, 2 1024 x 768, 3 1280 x 1024.
// Any other value (a damaged options file) gives 800 x 600.
void screenSizeForOption(Long vRes, Long& width, Long& height);
// The smallest power of two, from 2 up, that is at least screenPixels / 2.
Integer screenFxTexSize(Long screenPixels);

// The device, or VbError 91 when there is none.
Direct3DDevice8& device();
// Releases what initD3D created and then the device, D3DX, D3D and DX, in that order.
void releaseDirectX();
