// D3DX helpers (matrices, vectors, projection, colours), and the D3DX object's textures,
// render-to-surface targets and sprite.
#include "platform/D3DX.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/DeviceBackend.h"
#include "platform/ImageFile.h"

// ---- matrices ------------------------------------------------------------------------------------------
void D3DXMatrixIdentity(D3DMATRIX& out) {
  out = D3DMATRIX{};
  for (int i = 0; i < 4; ++i) out.m[i][i] = 1.0f;
}

void D3DXMatrixMultiply(D3DMATRIX& out, const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
      r.m[i][j] = sum;
    }
  out = r;
}

void D3DXMatrixScaling(D3DMATRIX& out, float sx, float sy, float sz) {
  D3DXMatrixIdentity(out);
  out.m[0][0] = sx;
  out.m[1][1] = sy;
  out.m[2][2] = sz;
}

void D3DXMatrixTranslation(D3DMATRIX& out, float x, float y, float z) {
  D3DXMatrixIdentity(out);
  out.m[3][0] = x;
  out.m[3][1] = y;
  out.m[3][2] = z;
}

void D3DXMatrixRotationX(D3DMATRIX& out, float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  D3DXMatrixIdentity(out);
  out.m[1][1] = c;
  out.m[1][2] = s;
  out.m[2][1] = -s;
  out.m[2][2] = c;
}

void D3DXMatrixRotationY(D3DMATRIX& out, float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  D3DXMatrixIdentity(out);
  out.m[0][0] = c;
  out.m[0][2] = -s;
  out.m[2][0] = s;
  out.m[2][2] = c;
}

void D3DXMatrixRotationZ(D3DMATRIX& out, float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  D3DXMatrixIdentity(out);
  out.m[0][0] = c;
  out.m[0][1] = s;
  out.m[1][0] = -s;
  out.m[1][1] = c;
}

namespace {
D3DVECTOR cross(const D3DVECTOR& a, const D3DVECTOR& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float dot(const D3DVECTOR& a, const D3DVECTOR& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
}  // namespace

void D3DXMatrixLookAtLH(D3DMATRIX& out, const D3DVECTOR& eye, const D3DVECTOR& at, const D3DVECTOR& up) {
  D3DVECTOR z, x, y, d;
  D3DXVec3Subtract(d, at, eye);
  D3DXVec3Normalize(z, d);
  D3DXVec3Normalize(x, cross(up, z));
  y = cross(z, x);
  D3DXMatrixIdentity(out);
  out.m[0][0] = x.x; out.m[0][1] = y.x; out.m[0][2] = z.x;
  out.m[1][0] = x.y; out.m[1][1] = y.y; out.m[1][2] = z.y;
  out.m[2][0] = x.z; out.m[2][1] = y.z; out.m[2][2] = z.z;
  out.m[3][0] = -dot(x, eye);
  out.m[3][1] = -dot(y, eye);
  out.m[3][2] = -dot(z, eye);
}

void D3DXMatrixPerspectiveFovLH(D3DMATRIX& out, float fovY, float aspect, float zn, float zf) {
  out = D3DMATRIX{};
  float t = std::tan(fovY / 2.0f);
  float yScale = t != 0.0f ? 1.0f / t : 0.0f;
  float xScale = aspect != 0.0f ? yScale / aspect : 0.0f;
  float depth = zf - zn;
  out.m[0][0] = xScale;
  out.m[1][1] = yScale;
  out.m[2][2] = depth != 0.0f ? zf / depth : 1.0f;
  out.m[2][3] = 1.0f;
  out.m[3][2] = depth != 0.0f ? -zn * zf / depth : 0.0f;
}

// ---- vectors -----------------------------------------------------------------------------------------------
void D3DXVec3Subtract(D3DVECTOR& out, const D3DVECTOR& a, const D3DVECTOR& b) {
  out = D3DVECTOR{a.x - b.x, a.y - b.y, a.z - b.z};
}

void D3DXVec3Normalize(D3DVECTOR& out, const D3DVECTOR& v) {
  float length = std::sqrt(dot(v, v));
  if (!(length > 0.0f) || !std::isfinite(length)) {
    out = D3DVECTOR{};
    return;
  }
  out = D3DVECTOR{v.x / length, v.y / length, v.z / length};
}

void D3DXVec3TransformCoord(D3DVECTOR& out, const D3DVECTOR& v, const D3DMATRIX& m) {
  float x = v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0];
  float y = v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1];
  float z = v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2];
  float w = v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + m.m[3][3];
  if (w != 0.0f) {
    x /= w;
    y /= w;
    z /= w;
  }
  out = D3DVECTOR{x, y, z};
}

void D3DXVec3Project(D3DVECTOR& out, const D3DVECTOR& v, const D3DVIEWPORT8& viewport, const D3DMATRIX& projection,
                     const D3DMATRIX& view, const D3DMATRIX& world) {
  D3DMATRIX wv, wvp;
  D3DXMatrixMultiply(wv, world, view);
  D3DXMatrixMultiply(wvp, wv, projection);
  const auto& m = wvp.m;
  float x = v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0] + m[3][0];
  float y = v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1] + m[3][1];
  float z = v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2] + m[3][2];
  float w = v.x * m[0][3] + v.y * m[1][3] + v.z * m[2][3] + m[3][3];
  if (w != 0.0f) {
    x /= w;
    y /= w;
    z /= w;
  } else {
    z = 1.0f;  // on the camera plane: not in front
  }
  out.x = viewport.X + (1.0f + x) * viewport.Width / 2.0f;
  out.y = viewport.Y + (1.0f - y) * viewport.Height / 2.0f;
  out.z = viewport.MinZ + z * (viewport.MaxZ - viewport.MinZ);
}

// ---- colours and bits ------------------------------------------------------------------------------------
D3DCOLOR D3DColorARGB(int32_t a, int32_t r, int32_t g, int32_t b) {
  auto c = [](int32_t v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
  return (c(a) << 24) | (c(r) << 16) | (c(g) << 8) | c(b);
}

D3DCOLOR D3DColorRGBA(int32_t r, int32_t g, int32_t b, int32_t a) { return D3DColorARGB(a, r, g, b); }

int32_t floatBits(float value) {
  int32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float floatFromBits(int32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// ---- render-to-surface ------------------------------------------------------------------------------------
D3DXRenderToSurface::D3DXRenderToSurface(std::shared_ptr<Direct3DDevice8> device, int32_t width, int32_t height,
                                         D3DFORMAT format, bool depthStencil, D3DFORMAT depthFormat)
    : device_(std::move(device)), width_(width), height_(height), format_(format), depthFormat_(depthFormat),
      depthStencil_(depthStencil) {
  if (depthStencil_) depth_ = device_->Backend().createDepthBuffer(width_, height_);
}

HResult D3DXRenderToSurface::BeginScene(const std::shared_ptr<Direct3DSurface8>& surface, const D3DVIEWPORT8& viewport) {
  if (open_) return reportFailure(D3DERR_INVALIDCALL, "render-to-surface scene already open");
  if (!surface) return reportFailure(D3DERR_INVALIDCALL, "no surface to render to");
  // The depth buffer serves surfaces up to the object's size; a larger surface draws without one.
  bool depthFits = depth_ && surface->Width() <= width_ && surface->Height() <= height_;
  HResult hr = device_->BeginRenderTarget(surface, viewport, depthFits ? depth_ : nullptr);
  if (FAILED(hr)) return hr;
  open_ = true;
  ownsDeviceScene_ = !device_->InScene() && SUCCEEDED(device_->BeginScene());
  return hr;
}

HResult D3DXRenderToSurface::EndScene() {
  if (!open_) return reportFailure(D3DERR_INVALIDCALL, "no render-to-surface scene is open");
  open_ = false;
  HResult hr = device_->EndRenderTarget();
  if (ownsDeviceScene_) {
    ownsDeviceScene_ = false;
    HResult end = device_->EndScene();
    if (SUCCEEDED(hr)) hr = end;
  }
  return hr;
}

// ---- sprite ----------------------------------------------------------------------------------------------
namespace {
constexpr int32_t kSpriteStride = 28;  // x, y, z, rhw, colour, u, v
constexpr int32_t kSpriteFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

void putVertex(std::vector<uint8_t>& out, float x, float y, D3DCOLOR color, float u, float v) {
  uint8_t bytes[kSpriteStride];
  float head[4] = {x, y, 0.0f, 1.0f};
  std::memcpy(bytes, head, 16);
  std::memcpy(bytes + 16, &color, 4);
  std::memcpy(bytes + 20, &u, 4);
  std::memcpy(bytes + 24, &v, 4);
  out.insert(out.end(), bytes, bytes + kSpriteStride);
}
}  // namespace

D3DXSprite::D3DXSprite(std::shared_ptr<Direct3DDevice8> device) : device_(std::move(device)) {
  batch_.reserve(6 * kSpriteStride * 256);
}
D3DXSprite::~D3DXSprite() = default;

HResult D3DXSprite::Begin() {
  D3DCall call;
  call.kind = D3DCallKind::SpriteBegin;
  if (begun_) return reportFailure(D3DERR_INVALIDCALL, "sprite Begin twice");
  HResult hr = device_->Record(std::move(call));
  if (SUCCEEDED(hr)) begun_ = true;
  return hr;
}

HResult D3DXSprite::Draw(const std::shared_ptr<Direct3DTexture8>& texture, const RECT* srcRect,
                         const D3DXVECTOR2& scaling, const D3DXVECTOR2& rotationCenter, float rotation,
                         const D3DXVECTOR2& translation, D3DCOLOR color) {
  D3DCall call;
  call.kind = D3DCallKind::SpriteDraw;
  call.object = texture.get();
  call.color = color;
  call.matrix.m[3][0] = translation.x;
  call.matrix.m[3][1] = translation.y;
  call.matrix.m[0][0] = scaling.x;
  call.matrix.m[1][1] = scaling.y;
  call.matrix.m[2][2] = rotation;
  if (!texture || !device_->Owns(*texture)) {
    call.result = D3DERR_INVALIDCALL;
    if (device_->RecordingOn()) device_->Record(std::move(call));
    return reportFailure(D3DERR_INVALIDCALL, "sprite Draw without a texture");
  }
  RECT src = srcRect ? *srcRect : RECT{0, 0, texture->Width(), texture->Height()};
  call.rect = src;
  HResult hr = device_->Record(std::move(call));
  if (FAILED(hr)) return hr;
  if (batchTexture_ && batchTexture_ != texture) {
    hr = flush();
    if (FAILED(hr)) return hr;
  }
  batchTexture_ = texture;

  // Corners of the source-sized quad, scaled, turned about the centre, then moved.
  float w = static_cast<float>(src.right - src.left), h = static_cast<float>(src.bottom - src.top);
  float c = std::cos(rotation), s = std::sin(rotation);
  auto place = [&](float px, float py, float& ox, float& oy) {
    float x = px * scaling.x - rotationCenter.x, y = py * scaling.y - rotationCenter.y;
    // Screen y grows downward: a positive angle turns +x toward -y.
    ox = x * c + y * s + rotationCenter.x + translation.x;
    oy = -x * s + y * c + rotationCenter.y + translation.y;
  };
  float tw = static_cast<float>(texture->Width()), th = static_cast<float>(texture->Height());
  float u0 = src.left / tw, v0 = src.top / th, u1 = src.right / tw, v1 = src.bottom / th;
  float x00, y00, x10, y10, x01, y01, x11, y11;
  place(0, 0, x00, y00);
  place(w, 0, x10, y10);
  place(0, h, x01, y01);
  place(w, h, x11, y11);
  putVertex(batch_, x00, y00, color, u0, v0);
  putVertex(batch_, x10, y10, color, u1, v0);
  putVertex(batch_, x01, y01, color, u0, v1);
  putVertex(batch_, x10, y10, color, u1, v0);
  putVertex(batch_, x11, y11, color, u1, v1);
  putVertex(batch_, x01, y01, color, u0, v1);
  return begun_ ? D3D_OK : flush();
}

HResult D3DXSprite::End() {
  D3DCall call;
  call.kind = D3DCallKind::SpriteEnd;
  if (!begun_) return reportFailure(D3DERR_INVALIDCALL, "sprite End without Begin");
  begun_ = false;
  HResult hr = flush();
  HResult recorded = device_->Record(std::move(call));
  return FAILED(hr) ? hr : recorded;
}

HResult D3DXSprite::flush() {
  if (batch_.empty() || !batchTexture_) {
    batch_.clear();
    return D3D_OK;
  }
  HResult hr = D3D_OK;
  if (!device_->Lost()) {
    D3DDeviceState state;
    state.setDefaults(0, 0);
    state.viewport = device_->State().viewport;
    auto& rs = state.renderStates;
    rs[D3DRS_ZENABLE] = 0;
    rs[D3DRS_ZWRITEENABLE] = 0;
    rs[D3DRS_CULLMODE] = D3DCULL_NONE;
    rs[D3DRS_LIGHTING] = 0;
    rs[D3DRS_ALPHABLENDENABLE] = 1;
    rs[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
    rs[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
    auto& st = state.stages[0].states;
    st[D3DTSS_COLOROP] = D3DTOP_MODULATE;
    st[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    st[D3DTSS_COLORARG2] = D3DTA_DIFFUSE;
    st[D3DTSS_ALPHAOP] = D3DTOP_MODULATE;
    st[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    st[D3DTSS_ALPHAARG2] = D3DTA_DIFFUSE;
    st[D3DTSS_MAGFILTER] = D3DTEXF_LINEAR;
    st[D3DTSS_MINFILTER] = D3DTEXF_LINEAR;
    st[D3DTSS_ADDRESSU] = D3DTADDRESS_CLAMP;
    st[D3DTSS_ADDRESSV] = D3DTADDRESS_CLAMP;
    state.stages[0].texture = batchTexture_;
    BackendDraw d;
    d.state = &state;
    d.type = D3DPT_TRIANGLELIST;
    d.vertexCount = static_cast<int32_t>(batch_.size() / kSpriteStride);
    d.fvf = kSpriteFvf;
    d.stride = kSpriteStride;
    d.vertices = batch_.data();
    d.sprite = true;
    hr = device_->Backend().draw(d);
  }
  batch_.clear();
  batchTexture_.reset();
  return hr;
}

// ---- the D3DX object -----------------------------------------------------------------------------------------
namespace {
int32_t fullMipCount(int32_t w, int32_t h) {
  int32_t levels = 1;
  while (w > 1 || h > 1) {
    w = std::max(1, w / 2);
    h = std::max(1, h / 2);
    ++levels;
  }
  return levels;
}

bool textureFormat(D3DFORMAT f) {
  return f == D3DFMT_R8G8B8 || f == D3DFMT_A8R8G8B8 || f == D3DFMT_X8R8G8B8 || f == D3DFMT_R5G6B5;
}

HResult makeTexture(const std::shared_ptr<Direct3DDevice8>& device, int32_t width, int32_t height, int32_t levels,
                    D3DFORMAT format, D3DPOOL pool, std::shared_ptr<Direct3DTexture8>& texture) {
  int32_t chain = fullMipCount(width, height);
  if (levels <= 0 || levels > chain) levels = chain;
  auto made = std::make_shared<Direct3DTexture8>(width, height, levels, format, pool);
  made->backend = device->Backend().createTexture(width, height, format);
  if (!made->backend) return reportFailure(D3DERR_OUTOFVIDEOMEMORY, "the backend could not make a texture");
  texture = std::move(made);
  return D3D_OK;
}
}  // namespace

D3DXTextureFile D3DXReadTextureFile(const std::string& srcFile, D3DFORMAT format, D3DCOLOR colorKey) {
  D3DXTextureFile file;
  file.path = srcFile;
  file.hr = loadImageFile(srcFile, file.image, file.error);
  if (FAILED(file.hr)) return file;
  bool keepAlpha = format == D3DFMT_A8R8G8B8;
  for (auto& p : file.image.argb) {
    if (colorKey != 0 && (p | 0xFF000000u) == (colorKey | 0xFF000000u)) {
      p = 0;
      continue;
    }
    if (!keepAlpha || !file.image.hasAlpha) p |= 0xFF000000u;
  }
  return file;
}

HResult D3DX8::CreateTextureFromFileEx(const std::shared_ptr<Direct3DDevice8>& device, const std::string& srcFile,
                                       int32_t width, int32_t height, int32_t mipLevels, int32_t usage,
                                       D3DFORMAT format, D3DPOOL pool, int32_t filter, int32_t mipFilter,
                                       D3DCOLOR colorKey, std::shared_ptr<Direct3DTexture8>& texture) {
  texture.reset();
  if (!device) return reportFailure(D3DERR_INVALIDCALL, "no device");
  if (!textureFormat(format)) return reportFailure(D3DERR_INVALIDCALL, "unsupported texture format");
  return CreateTextureFromFileData(device, D3DXReadTextureFile(srcFile, format, colorKey), width, height, mipLevels,
                                   usage, format, pool, filter, mipFilter, texture);
}

HResult D3DX8::CreateTextureFromFileData(const std::shared_ptr<Direct3DDevice8>& device, D3DXTextureFile&& file,
                                         int32_t width, int32_t height, int32_t mipLevels, int32_t, D3DFORMAT format,
                                         D3DPOOL pool, int32_t, int32_t, std::shared_ptr<Direct3DTexture8>& texture) {
  texture.reset();
  if (!device) return reportFailure(D3DERR_INVALIDCALL, "no device");
  if (!textureFormat(format)) return reportFailure(D3DERR_INVALIDCALL, "unsupported texture format");
  if (FAILED(file.hr)) return reportFailure(file.hr, file.error);
  const DecodedImage& image = file.image;
  bool sizeFromFile = (width == 0 || width == D3DX_DEFAULT) && (height == 0 || height == D3DX_DEFAULT);
  if (!sizeFromFile && (width != image.width || height != image.height))
    return reportFailure(D3DERR_INVALIDCALL, file.path + ": resizing on load is not supported");
  std::shared_ptr<Direct3DTexture8> made;
  HResult hr = makeTexture(device, image.width, image.height, mipLevels, format, pool, made);
  if (FAILED(hr)) return hr;
  hr = device->UploadTexture(*made, image.argb.data());
  if (FAILED(hr)) return hr;
  D3DCall call;
  call.kind = D3DCallKind::CreateTexture;
  call.a = image.width;
  call.b = image.height;
  call.c = format;
  call.object = made.get();
  if (device->RecordingOn()) device->Record(std::move(call));
  texture = std::move(made);
  clearLastError();
  return D3D_OK;
}

HResult D3DX8::CreateTexture(const std::shared_ptr<Direct3DDevice8>& device, int32_t width, int32_t height,
                             int32_t levels, int32_t, D3DFORMAT format, D3DPOOL pool,
                             std::shared_ptr<Direct3DTexture8>& texture) {
  texture.reset();
  if (!device) return reportFailure(D3DERR_INVALIDCALL, "no device");
  if (!textureFormat(format)) return reportFailure(D3DERR_INVALIDCALL, "unsupported texture format");
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
    return reportFailure(D3DERR_INVALIDCALL, "texture size " + std::to_string(width) + " x " + std::to_string(height));
  std::shared_ptr<Direct3DTexture8> made;
  HResult hr = makeTexture(device, width, height, levels, format, pool, made);
  if (FAILED(hr)) return hr;
  std::vector<uint32_t> black(static_cast<size_t>(width) * height, 0xFF000000u);
  hr = device->UploadTexture(*made, black.data());
  if (FAILED(hr)) return hr;
  D3DCall call;
  call.kind = D3DCallKind::CreateTexture;
  call.a = width;
  call.b = height;
  call.c = format;
  call.object = made.get();
  if (device->RecordingOn()) device->Record(std::move(call));
  texture = std::move(made);
  clearLastError();
  return D3D_OK;
}

HResult D3DX8::CreateRenderToSurface(const std::shared_ptr<Direct3DDevice8>& device, int32_t width, int32_t height,
                                     D3DFORMAT format, bool depthStencil, D3DFORMAT depthFormat,
                                     std::shared_ptr<D3DXRenderToSurface>& renderToSurface) {
  renderToSurface.reset();
  if (!device) return reportFailure(D3DERR_INVALIDCALL, "no device");
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
    return reportFailure(D3DERR_INVALIDCALL, "render-to-surface size " + std::to_string(width) + " x " +
                                                 std::to_string(height));
  if (!textureFormat(format)) return reportFailure(D3DERR_INVALIDCALL, "unsupported render-target format");
  if (depthStencil && !(depthFormat == D3DFMT_D16 || depthFormat == D3DFMT_D16_LOCKABLE || depthFormat == D3DFMT_D24S8 ||
                        depthFormat == D3DFMT_D24X4S4 || depthFormat == D3DFMT_D24X8 || depthFormat == D3DFMT_D32))
    return reportFailure(D3DERR_NOTAVAILABLE, "depth format " + std::to_string(depthFormat) + " not supported");
  renderToSurface = std::make_shared<D3DXRenderToSurface>(device, width, height, format, depthStencil, depthFormat);
  clearLastError();
  return D3D_OK;
}

HResult D3DX8::CreateSprite(const std::shared_ptr<Direct3DDevice8>& device, std::shared_ptr<D3DXSprite>& sprite) {
  sprite.reset();
  if (!device) return reportFailure(D3DERR_INVALIDCALL, "no device");
  sprite = std::make_shared<D3DXSprite>(device);
  clearLastError();
  return D3D_OK;
}
