// Result codes, enumerations and records of the device layer, named as Direct3D 8 names them,
// and the result codes of the sound, mp3 and joystick objects.
// Values are this layer's own except where the game's data and rules fix them: the FVF bits
// (so 0x112 = 274, 0x152, 0x144, 0x142), the depth-format codes (D16 80, D16_LOCKABLE 70,
// D24S8 75, D24X4S4 79, D24X8 77, D32 71), the behaviour flags 64/32 and the caps bit 0x10000.
// Boolean render-state values: 0 is FALSE, any other value (1 or the game's -1) is TRUE.
#pragma once
#include <cstdint>

#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

// ---- result codes ------------------------------------------------------------------------------
using HResult = int32_t;  // 0 = success; failures are negative

constexpr HResult D3D_OK = 0;
constexpr HResult D3DERR_INVALIDCALL = int32_t(0x80D30001u);      // bad argument or wrong state
constexpr HResult D3DERR_DEVICELOST = int32_t(0x80D30002u);       // lost; wait before resetting
constexpr HResult D3DERR_DEVICENOTRESET = int32_t(0x80D30003u);   // lost and ready for Reset
constexpr HResult D3DERR_NOTAVAILABLE = int32_t(0x80D30004u);     // format or mode not supported
constexpr HResult D3DERR_OUTOFVIDEOMEMORY = int32_t(0x80D30005u);
constexpr HResult D3DERR_DRIVERINTERNALERROR = int32_t(0x80D30006u);  // the GL/SDL layer failed
constexpr HResult D3DXERR_INVALIDDATA = int32_t(0x80D30010u);     // a malformed texture file
constexpr HResult D3DXERR_FILENOTFOUND = int32_t(0x80D30011u);    // a missing or unreadable file
// sound buffers (platform/DirectSound.h)
constexpr HResult DSERR_INVALIDPARAM = int32_t(0x80D40001u);      // a value out of its range
constexpr HResult DSERR_NODRIVER = int32_t(0x80D40002u);          // no such output device
constexpr HResult DSERR_BADFORMAT = int32_t(0x80D40003u);         // not a wave file this layer reads
constexpr HResult DSERR_FILENOTFOUND = int32_t(0x80D40004u);      // a missing or unreadable file
constexpr HResult DSERR_INVALIDCALL = int32_t(0x80D40005u);       // wrong object or state
// mp3 graphs (platform/DirectShow.h)
constexpr HResult E_INVALIDARG = int32_t(0x80D40010u);            // a value out of its range
constexpr HResult VFW_E_NOT_FOUND = int32_t(0x80D40011u);         // the file does not exist
constexpr HResult VFW_E_CANNOT_RENDER = int32_t(0x80D40012u);     // the file cannot be decoded
// joystick devices (platform/DirectInput.h)
constexpr HResult DIERR_INVALIDPARAM = int32_t(0x80D40020u);      // unknown property, object or value
constexpr HResult DIERR_DEVICENOTREG = int32_t(0x80D40021u);      // no device with that identifier
constexpr HResult DIERR_NOTACQUIRED = int32_t(0x80D40022u);       // read before Acquire
constexpr HResult DIERR_INPUTLOST = int32_t(0x80D40023u);         // the device was unplugged

inline bool SUCCEEDED(HResult hr) { return hr >= 0; }
inline bool FAILED(HResult hr) { return hr < 0; }

// ---- formats -------------------------------------------------------------------------------------
enum D3DFORMAT : int32_t {
  D3DFMT_UNKNOWN = 0,
  D3DFMT_R8G8B8 = 1,    // loaded textures without alpha: alpha always reads 1
  D3DFMT_A8R8G8B8 = 2,  // loaded textures with alpha
  D3DFMT_X8R8G8B8 = 3,  // display, back buffer, render targets: alpha reads 1
  D3DFMT_R5G6B5 = 4,    // display fallback: alpha reads 1
  D3DFMT_D16_LOCKABLE = 70,
  D3DFMT_D32 = 71,
  D3DFMT_D24S8 = 75,
  D3DFMT_D24X8 = 77,
  D3DFMT_D24X4S4 = 79,
  D3DFMT_D16 = 80,
};

enum D3DDEVTYPE : int32_t { D3DDEVTYPE_HAL = 1, D3DDEVTYPE_REF = 2, D3DDEVTYPE_SW = 3 };
enum D3DRESOURCETYPE : int32_t { D3DRTYPE_SURFACE = 1, D3DRTYPE_TEXTURE = 3, D3DRTYPE_VERTEXBUFFER = 6 };
enum D3DPOOL : int32_t { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1, D3DPOOL_SYSTEMMEM = 2 };

// usage flags
constexpr int32_t D3DUSAGE_RENDERTARGET = 0x1;
constexpr int32_t D3DUSAGE_DEPTHSTENCIL = 0x2;
constexpr int32_t D3DUSAGE_WRITEONLY = 0x8;

// CreateDevice behaviour flags and the device capability they follow
constexpr int32_t D3DCREATE_SOFTWARE_VERTEXPROCESSING = 32;
constexpr int32_t D3DCREATE_HARDWARE_VERTEXPROCESSING = 64;
constexpr int32_t D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x10000;

enum D3DSWAPEFFECT : int32_t { D3DSWAPEFFECT_DISCARD = 1, D3DSWAPEFFECT_FLIP = 2, D3DSWAPEFFECT_COPY = 3 };
enum D3DMULTISAMPLE_TYPE : int32_t { D3DMULTISAMPLE_NONE = 0 };
constexpr int32_t D3DPRESENT_INTERVAL_DEFAULT = 0;
constexpr int32_t D3DPRESENT_INTERVAL_IMMEDIATE = 0x1000;  // no wait for the vertical retrace

// Clear flags
constexpr int32_t D3DCLEAR_TARGET = 1;
constexpr int32_t D3DCLEAR_ZBUFFER = 2;
constexpr int32_t D3DCLEAR_STENCIL = 4;

// ---- render states -------------------------------------------------------------------------------
enum D3DRENDERSTATETYPE : int32_t {
  D3DRS_ZENABLE = 0,            // TRUE: depth test (and writes as ZWRITEENABLE says); FALSE: neither
  D3DRS_FILLMODE,               // D3DFILLMODE
  D3DRS_ZWRITEENABLE,           // Boolean
  D3DRS_SRCBLEND,               // D3DBLEND
  D3DRS_DESTBLEND,              // D3DBLEND
  D3DRS_CULLMODE,               // D3DCULL
  D3DRS_ZFUNC,                  // D3DCMPFUNC
  D3DRS_ALPHABLENDENABLE,       // Boolean
  D3DRS_FOGENABLE,              // Boolean
  D3DRS_FOGCOLOR,               // D3DCOLOR (alpha ignored)
  D3DRS_FOGTABLEMODE,           // D3DFOGMODE; only NONE is drawn (vertex fog)
  D3DRS_FOGSTART,               // float bits (floatBits), view-space depth
  D3DRS_FOGEND,                 // float bits (floatBits), view-space depth
  D3DRS_TEXTUREFACTOR,          // D3DCOLOR, the TFACTOR argument
  D3DRS_LIGHTING,               // Boolean
  D3DRS_AMBIENT,                // D3DCOLOR, global ambient light
  D3DRS_FOGVERTEXMODE,          // D3DFOGMODE; NONE or LINEAR
  D3DRS_COLORVERTEX,            // Boolean: vertex colours feed the material sources
  D3DRS_NORMALIZENORMALS,       // Boolean
  D3DRS_DIFFUSEMATERIALSOURCE,  // D3DMATERIALCOLORSOURCE
  D3DRS_AMBIENTMATERIALSOURCE,  // D3DMATERIALCOLORSOURCE
  D3DRS_SPECULARENABLE,         // Boolean; kept, specular is never drawn
  D3DRS_ALPHATESTENABLE,        // Boolean; kept, alpha test is never drawn
  D3DRS_COUNT                   // number of render states (not a state)
};

enum D3DFILLMODE : int32_t { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };
// CCW culls counter-clockwise triangles (clockwise is the front face), the device default.
enum D3DCULL : int32_t { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum D3DCMPFUNC : int32_t {
  D3DCMP_NEVER = 1, D3DCMP_LESS, D3DCMP_EQUAL, D3DCMP_LESSEQUAL,
  D3DCMP_GREATER, D3DCMP_NOTEQUAL, D3DCMP_GREATEREQUAL, D3DCMP_ALWAYS
};
enum D3DBLEND : int32_t {
  D3DBLEND_ZERO = 1, D3DBLEND_ONE, D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCCOLOR,
  D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLEND_DESTALPHA, D3DBLEND_INVDESTALPHA,
  D3DBLEND_DESTCOLOR, D3DBLEND_INVDESTCOLOR
};
enum D3DFOGMODE : int32_t { D3DFOG_NONE = 0, D3DFOG_EXP = 1, D3DFOG_EXP2 = 2, D3DFOG_LINEAR = 3 };
enum D3DMATERIALCOLORSOURCE : int32_t { D3DMCS_MATERIAL = 0, D3DMCS_COLOR1 = 1, D3DMCS_COLOR2 = 2 };

// ---- texture-stage states ------------------------------------------------------------------------
enum D3DTEXTURESTAGESTATETYPE : int32_t {
  D3DTSS_COLOROP = 0,  // D3DTEXTUREOP
  D3DTSS_COLORARG1,    // D3DTA_*
  D3DTSS_COLORARG2,
  D3DTSS_ALPHAOP,
  D3DTSS_ALPHAARG1,
  D3DTSS_ALPHAARG2,
  D3DTSS_MAGFILTER,    // D3DTEXTUREFILTERTYPE
  D3DTSS_MINFILTER,
  D3DTSS_MIPFILTER,
  D3DTSS_ADDRESSU,     // D3DTEXTUREADDRESS
  D3DTSS_ADDRESSV,
  D3DTSS_COUNT         // number of stage states (not a state)
};
// Stages 0..7 keep their states; stages 0 and 1 are drawn.
constexpr int32_t D3DMAX_TEXTURESTAGES = 8;
constexpr int32_t D3DDRAWN_TEXTURESTAGES = 2;

enum D3DTEXTUREOP : int32_t {
  D3DTOP_DISABLE = 1, D3DTOP_SELECTARG1 = 2, D3DTOP_SELECTARG2 = 3, D3DTOP_MODULATE = 4
};
// Texture-stage arguments. CURRENT at stage 0 is the diffuse colour.
constexpr int32_t D3DTA_DIFFUSE = 0;
constexpr int32_t D3DTA_CURRENT = 1;
constexpr int32_t D3DTA_TEXTURE = 2;
constexpr int32_t D3DTA_TFACTOR = 3;

enum D3DTEXTUREFILTERTYPE : int32_t { D3DTEXF_NONE = 0, D3DTEXF_POINT = 1, D3DTEXF_LINEAR = 2 };
enum D3DTEXTUREADDRESS : int32_t { D3DTADDRESS_WRAP = 1, D3DTADDRESS_CLAMP = 3 };

// ---- transforms, primitives, lights --------------------------------------------------------------
enum D3DTRANSFORMSTATETYPE : int32_t { D3DTS_VIEW = 2, D3DTS_PROJECTION = 3, D3DTS_WORLD = 256 };
enum D3DPRIMITIVETYPE : int32_t { D3DPT_TRIANGLELIST = 4, D3DPT_TRIANGLESTRIP = 5 };
enum D3DLIGHTTYPE : int32_t { D3DLIGHT_POINT = 1, D3DLIGHT_SPOT = 2, D3DLIGHT_DIRECTIONAL = 3 };
// Light slots 0..7 (SetLight, LightEnable).
constexpr int32_t D3DMAX_LIGHTS = 8;

// ---- flexible vertex formats ---------------------------------------------------------------------
// A vertex holds, in this order: XYZ (12 bytes) or XYZRHW (16), NORMAL (12), DIFFUSE (4, ARGB),
// TEX1 (8, u then v). Draws read the layout of the format given to SetVertexShader.
constexpr int32_t D3DFVF_XYZ = 0x002;
constexpr int32_t D3DFVF_XYZRHW = 0x004;
constexpr int32_t D3DFVF_NORMAL = 0x010;
constexpr int32_t D3DFVF_DIFFUSE = 0x040;
constexpr int32_t D3DFVF_TEX1 = 0x100;
constexpr int32_t D3DFVF_MD2VERTEX = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;                     // 0x112 = 274
constexpr int32_t D3DFVF_QUADVERTEX = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;   // 0x152
constexpr int32_t D3DFVF_SCREENVERTEX = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;              // 0x144
constexpr int32_t D3DFVF_BILLVERTEX = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;                   // 0x142
static_assert(D3DFVF_MD2VERTEX == 274 && D3DFVF_QUADVERTEX == 0x152 && D3DFVF_SCREENVERTEX == 0x144);

// The vertex of D3DFVF_QUADVERTEX (36 bytes).
struct QuadVertex {
  float x, y, z;     // position
  float nx, ny, nz;  // normal
  D3DCOLOR color;     // ARGB
  float u, v;
};
static_assert(sizeof(QuadVertex) == 36);

// The pre-transformed vertex of D3DFVF_SCREENVERTEX (28 bytes): x, y in target pixels.
struct ScreenVertex {
  float x, y, z, rhw;
  D3DCOLOR color;  // ARGB
  float u, v;
};
static_assert(sizeof(ScreenVertex) == 28);

// ---- D3DX constants ------------------------------------------------------------------------------
constexpr int32_t D3DX_DEFAULT = -1;  // size from the file, or the full mip chain
constexpr int32_t D3DX_FILTER_NONE = 1;
constexpr int32_t D3DX_FILTER_POINT = 2;
constexpr int32_t D3DX_FILTER_LINEAR = 3;

// ---- records --------------------------------------------------------------------------------------
// Viewport in pixels of the current render target (X, Y from its top-left corner); MinZ..MaxZ is
// the depth range within 0..1.
struct D3DVIEWPORT8 {
  int32_t X = 0, Y = 0, Width = 0, Height = 0;
  float MinZ = 0, MaxZ = 1;
};

struct D3DMATERIAL8 {
  D3DCOLORVALUE Diffuse, Ambient, Specular, Emissive;
  float Power = 0;
};

// Directional lights use Direction (a zero direction lights nothing but keeps the ambient term);
// point lights use Position, Range (no light beyond it) and 1 / (A0 + A1 d + A2 d^2).
struct D3DLIGHT8 {
  D3DLIGHTTYPE Type = D3DLIGHT_DIRECTIONAL;
  D3DCOLORVALUE Diffuse, Specular, Ambient;
  D3DVECTOR Position, Direction;
  float Range = 0, Falloff = 0, Attenuation0 = 0, Attenuation1 = 0, Attenuation2 = 0, Theta = 0, Phi = 0;
};

struct D3DDISPLAYMODE {
  int32_t Width = 0, Height = 0, RefreshRate = 0;
  D3DFORMAT Format = D3DFMT_UNKNOWN;
};

struct D3DCAPS8 {
  int32_t DevCaps = 0;  // D3DDEVCAPS_HWTRANSFORMANDLIGHT when vertex processing is "hardware"
};

// The window handle the game passes around: an id of a GameWindow (platform/Window.h).
using HWND = int32_t;

struct D3DPRESENT_PARAMETERS {
  int32_t BackBufferWidth = 0, BackBufferHeight = 0;  // 0, 0: the window's client area
  D3DFORMAT BackBufferFormat = D3DFMT_UNKNOWN;
  int32_t BackBufferCount = 0;
  D3DMULTISAMPLE_TYPE MultiSampleType = D3DMULTISAMPLE_NONE;
  D3DSWAPEFFECT SwapEffect = D3DSWAPEFFECT_DISCARD;
  HWND hDeviceWindow = 0;
  bool Windowed = true;
  bool EnableAutoDepthStencil = false;
  D3DFORMAT AutoDepthStencilFormat = D3DFMT_UNKNOWN;
  int32_t Flags = 0;
  int32_t FullScreen_RefreshRateInHz = 0;
  int32_t FullScreen_PresentationInterval = 0;
};

// Other names for the same records.
using Viewport8 = D3DVIEWPORT8;
using RectL = RECT;
using PresentParameters = D3DPRESENT_PARAMETERS;
using DisplayMode = D3DDISPLAYMODE;
