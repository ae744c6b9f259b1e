// The D3DX 8 helpers the game uses: matrices (identity, product, scaling, translation, rotations,
// left-handed look-at and perspective), vector difference, normalisation, transform and screen
// projection, colour packing, float bits; and the D3DX 8 object with textures from files, plain
// textures, render-to-surface targets and the 2-D sprite object.
//
// Conventions: row vectors, products left to right (in D3DXMatrixMultiply(out, a, b) a point goes
// through a first), translation in the fourth row, left-handed, projected depth 0..1 (points
// behind the camera project to z >= 1). Output arguments may alias inputs.
#pragma once
#include <memory>
#include <string>

#include "platform/Direct3D.h"
#include "platform/ImageFile.h"

// ---- helper functions -------------------------------------------------------------------------------
void D3DXMatrixIdentity(D3DMATRIX& out);
void D3DXMatrixMultiply(D3DMATRIX& out, const D3DMATRIX& a, const D3DMATRIX& b);  // out = a x b
void D3DXMatrixScaling(D3DMATRIX& out, float sx, float sy, float sz);
void D3DXMatrixTranslation(D3DMATRIX& out, float x, float y, float z);
// Rotations by angle radians; looking down the axis toward the origin, positive turns clockwise
// (Direct3D's left-handed sense): RotationY(a) takes +x toward -z.
void D3DXMatrixRotationX(D3DMATRIX& out, float angle);
void D3DXMatrixRotationY(D3DMATRIX& out, float angle);
void D3DXMatrixRotationZ(D3DMATRIX& out, float angle);
// View from eye toward at. Degenerate input (eye = at, or up parallel to the view) gives a
// matrix without NaN (zero axes where no direction exists).
void D3DXMatrixLookAtLH(D3DMATRIX& out, const D3DVECTOR& eye, const D3DVECTOR& at, const D3DVECTOR& up);
// fovY in radians; aspect as the caller gives it (x scale = y scale / aspect); zn..zf maps to 0..1.
void D3DXMatrixPerspectiveFovLH(D3DMATRIX& out, float fovY, float aspect, float zn, float zf);

void D3DXVec3Subtract(D3DVECTOR& out, const D3DVECTOR& a, const D3DVECTOR& b);  // a - b
void D3DXVec3Normalize(D3DVECTOR& out, const D3DVECTOR& v);                     // zero stays zero
// v (w = 1) through m, divided by the resulting w (w = 0 leaves x, y, z undivided).
void D3DXVec3TransformCoord(D3DVECTOR& out, const D3DVECTOR& v, const D3DMATRIX& m);
// v through world, view and projection, then into the viewport: x, y in pixels of the target,
// z = MinZ + depth x (MaxZ - MinZ). A point at the camera plane (w = 0) gives z >= 1.
void D3DXVec3Project(D3DVECTOR& out, const D3DVECTOR& v, const D3DVIEWPORT8& viewport,
                     const D3DMATRIX& projection, const D3DMATRIX& view, const D3DMATRIX& world);

// ARGB colour from components; each is clamped to 0..255 first.
D3DCOLOR D3DColorARGB(int32_t a, int32_t r, int32_t g, int32_t b);
D3DCOLOR D3DColorRGBA(int32_t r, int32_t g, int32_t b, int32_t a);
// The IEEE-754 bits of a Single as a Long (float-valued render states): 1.0 -> 1065353216.
int32_t floatBits(float value);
float floatFromBits(int32_t bits);

// ---- render-to-surface --------------------------------------------------------------------------------
// Draws a scene into the level-0 surface of a texture, with a depth buffer of its own.
class D3DXRenderToSurface {
 public:
  D3DXRenderToSurface(std::shared_ptr<Direct3DDevice8> device, int32_t width, int32_t height, D3DFORMAT format,
                      bool depthStencil, D3DFORMAT depthFormat);
  // Redirects the device's draws and clears to surface with the viewport: X, Y, Width and Height
  // are clamped to the surface, a depth range outside 0..1 (or empty) becomes 0..1. Rendered
  // pictures keep the screen's orientation: what is drawn at the top-left is sampled at u, v = 0.
  // Like the device's own render-to-surface helper, it also opens a device scene when none is open,
  // so a device BeginScene while it is open is refused and the device scene ends with EndScene.
  // D3DERR_INVALIDCALL when a scene of this object is open or the surface is null.
  HResult BeginScene(const std::shared_ptr<Direct3DSurface8>& surface, const D3DVIEWPORT8& viewport);
  // Returns drawing to the back buffer with its viewport and ends the device scene that BeginScene
  // opened. D3DERR_INVALIDCALL outside a scene.
  HResult EndScene();
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

 private:
  std::shared_ptr<Direct3DDevice8> device_;
  int32_t width_, height_;
  D3DFORMAT format_, depthFormat_;
  bool depthStencil_;
  bool open_ = false;
  bool ownsDeviceScene_ = false;  // BeginScene opened the device scene and EndScene closes it
  std::shared_ptr<BackendTexture> depth_;
};

// ---- the sprite object ----------------------------------------------------------------------------------
// Screen-space textured quads. Each Draw is a quad of the source rectangle's size times scaling,
// turned by rotation radians about rotationCenter (positive turns the image's +x axis toward
// screen-up, i.e. counter-clockwise on screen), with its top-left corner at translation (pixels of
// the current target). Colour = texture x color; blending by texture alpha x color alpha
// (SRCALPHA, INVSRCALPHA); no depth test or write, no fog, no lighting, no culling. The device's
// own states are untouched. Draws between Begin and End are drawn at End (or when the texture
// changes); a Draw outside Begin/End is drawn at once.
class D3DXSprite {
 public:
  explicit D3DXSprite(std::shared_ptr<Direct3DDevice8> device);
  ~D3DXSprite();
  HResult Begin();  // D3DERR_INVALIDCALL when already begun
  // srcRect null: the whole texture. D3DERR_INVALIDCALL for a null texture.
  HResult Draw(const std::shared_ptr<Direct3DTexture8>& texture, const RECT* srcRect, const D3DXVECTOR2& scaling,
               const D3DXVECTOR2& rotationCenter, float rotation, const D3DXVECTOR2& translation, D3DCOLOR color);
  HResult End();  // D3DERR_INVALIDCALL when not begun

 private:
  HResult flush();
  std::shared_ptr<Direct3DDevice8> device_;
  bool begun_ = false;
  std::shared_ptr<Direct3DTexture8> batchTexture_;
  std::vector<uint8_t> batch_;  // screen vertices (x, y, z, rhw, colour, u, v), 6 per quad
};

// ---- texture files read apart from the device ------------------------------------------------------------
// What CreateTextureFromFileEx reads from a file before it needs the device: the picture, with the
// format's alpha rule and the colour key already applied, or the failure and its reason.
struct D3DXTextureFile {
  std::string path;
  HResult hr = D3D_OK;
  std::string error;  // the reason when hr failed
  DecodedImage image;
};
// Reads and decodes srcFile once. Touches no device and no shared state: any thread may call it.
D3DXTextureFile D3DXReadTextureFile(const std::string& srcFile, D3DFORMAT format, D3DCOLOR colorKey);

// ---- the D3DX object -------------------------------------------------------------------------------------
class D3DX8 {
 public:
  // A texture from a BMP (8, 24 or 32 bits, uncompressed) or DDS (uncompressed 32-bit A8R8G8B8
  // or X8R8G8B8, 24-bit R8G8B8) file, recognised by content. width/height 0 or D3DX_DEFAULT: the
  // file's size (any other value must match it). format D3DFMT_A8R8G8B8 keeps the file's alpha
  // (opaque where the file has none); every other format loads opaque. colorKey 0: none.
  // D3DXERR_FILENOTFOUND for a missing or unreadable file, D3DXERR_INVALIDDATA for a malformed
  // one (lastErrorDescription says why); texture stays empty then.
  HResult CreateTextureFromFileEx(const std::shared_ptr<Direct3DDevice8>& device, const std::string& srcFile,
                                  int32_t width, int32_t height, int32_t mipLevels, int32_t usage, D3DFORMAT format,
                                  D3DPOOL pool, int32_t filter, int32_t mipFilter, D3DCOLOR colorKey,
                                  std::shared_ptr<Direct3DTexture8>& texture);
  // The second half of CreateTextureFromFileEx, on the device's thread: the texture from what
  // D3DXReadTextureFile read (with the same format and colour key), with the same checks, results
  // and messages as the one call.
  HResult CreateTextureFromFileData(const std::shared_ptr<Direct3DDevice8>& device, D3DXTextureFile&& file,
                                    int32_t width, int32_t height, int32_t mipLevels, int32_t usage, D3DFORMAT format,
                                    D3DPOOL pool, int32_t filter, int32_t mipFilter,
                                    std::shared_ptr<Direct3DTexture8>& texture);
  // An opaque black texture; levels 0 or D3DX_DEFAULT: the full mip chain (counted only). Any
  // texture can be a render-to-surface target.
  HResult CreateTexture(const std::shared_ptr<Direct3DDevice8>& device, int32_t width, int32_t height, int32_t levels,
                        int32_t usage, D3DFORMAT format, D3DPOOL pool, std::shared_ptr<Direct3DTexture8>& texture);
  HResult CreateRenderToSurface(const std::shared_ptr<Direct3DDevice8>& device, int32_t width, int32_t height,
                                D3DFORMAT format, bool depthStencil, D3DFORMAT depthFormat,
                                std::shared_ptr<D3DXRenderToSurface>& renderToSurface);
  HResult CreateSprite(const std::shared_ptr<Direct3DDevice8>& device, std::shared_ptr<D3DXSprite>& sprite);
};
