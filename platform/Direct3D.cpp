// Direct3D 8 objects over a backend: adapter queries from the adapter profile, device creation,
// the device's state table with argument checks, scenes, loss and reset, call recording.
#include "platform/Direct3D.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/DeviceBackend.h"
#include "platform/Window.h"
#include "runtime/VbError.h"

// ---- errors ----------------------------------------------------------------------------------------
namespace {
std::string g_lastError;
HResult g_lastErrorCode = D3D_OK;
}  // namespace

HResult reportFailure(HResult hr, const std::string& detail) {
  g_lastError = detail;
  g_lastErrorCode = hr;
  return hr;
}

void clearLastError() {
  g_lastError.clear();
  g_lastErrorCode = D3D_OK;
}

const std::string& lastErrorDescription() { return g_lastError; }

std::string describeHResult(HResult hr) {
  switch (hr) {
    case D3D_OK: return "No error";
    case D3DERR_INVALIDCALL: return "Invalid call";
    case D3DERR_DEVICELOST: return "Device lost";
    case D3DERR_DEVICENOTRESET: return "Device not reset";
    case D3DERR_NOTAVAILABLE: return "Not available";
    case D3DERR_OUTOFVIDEOMEMORY: return "Out of video memory";
    case D3DERR_DRIVERINTERNALERROR: return "Driver internal error";
    case D3DXERR_INVALIDDATA: return "Invalid data";
    case D3DXERR_FILENOTFOUND: return "File not found";
    case DSERR_INVALIDPARAM: return "Invalid parameter";
    case DSERR_NODRIVER: return "No sound driver";
    case DSERR_BADFORMAT: return "Unsupported wave format";
    case DSERR_FILENOTFOUND: return "File not found";
    case DSERR_INVALIDCALL: return "Invalid call";
    case E_INVALIDARG: return "Invalid argument";
    case VFW_E_NOT_FOUND: return "The file was not found";
    case VFW_E_CANNOT_RENDER: return "The file cannot be rendered";
    case DIERR_INVALIDPARAM: return "Invalid parameter";
    case DIERR_DEVICENOTREG: return "Device not registered";
    case DIERR_NOTACQUIRED: return "Device not acquired";
    case DIERR_INPUTLOST: return "Input lost";
    default: {
      char text[40];
      std::snprintf(text, sizeof text, "Error 0x%08X", static_cast<unsigned>(hr));
      return text;
    }
  }
}

void checkHResult(HResult hr) {
  if (SUCCEEDED(hr)) return;
  std::string text = describeHResult(hr);
  if (g_lastErrorCode == hr && !g_lastError.empty()) text += ": " + g_lastError;
  throw VbError(hr, text);
}

// ---- configuration ---------------------------------------------------------------------------------
namespace {
DeviceBackendKind g_backendKind = DeviceBackendKind::OpenGL;
AdapterProfile g_profile;

bool isColourFormat(D3DFORMAT f) {
  return f == D3DFMT_R8G8B8 || f == D3DFMT_A8R8G8B8 || f == D3DFMT_X8R8G8B8 || f == D3DFMT_R5G6B5;
}
bool depthSupported(D3DFORMAT f) {
  const auto& list = g_profile.depthFormats;
  return std::find(list.begin(), list.end(), f) != list.end();
}
}  // namespace

void setDeviceBackend(DeviceBackendKind kind) { g_backendKind = kind; }
DeviceBackendKind deviceBackend() { return g_backendKind; }
void setAdapterProfile(const AdapterProfile& profile) { g_profile = profile; }
const AdapterProfile& adapterProfile() { return g_profile; }
void resetAdapterProfile() { g_profile = AdapterProfile{}; }

namespace {
bool g_drawBatching = true;
}  // namespace
void setDrawBatching(bool on) { g_drawBatching = on; }
bool drawBatching() { return g_drawBatching; }

// Desktop size: the profile's, else the display's (Window.cpp), else 1024 x 768.
void desktopSize(int32_t& width, int32_t& height);

// ---- root objects ------------------------------------------------------------------------------------
std::shared_ptr<Direct3D8> DirectX8::Direct3DCreate() { return std::make_shared<Direct3D8>(); }

HResult Direct3D8::GetAdapterDisplayMode(int32_t adapter, D3DDISPLAYMODE& mode) {
  if (adapter != 0) return reportFailure(D3DERR_INVALIDCALL, "only adapter 0 exists");
  mode = g_profile.desktop;
  if (mode.Width <= 0 || mode.Height <= 0) {
    desktopSize(mode.Width, mode.Height);
    mode.RefreshRate = 0;
  }
  if (mode.Format == D3DFMT_UNKNOWN) mode.Format = D3DFMT_X8R8G8B8;
  clearLastError();
  return D3D_OK;
}

HResult Direct3D8::CheckDeviceType(int32_t adapter, D3DDEVTYPE, D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                                   bool windowed) {
  if (adapter != 0) return reportFailure(D3DERR_INVALIDCALL, "only adapter 0 exists");
  if (!isColourFormat(displayFormat) || !isColourFormat(backBufferFormat))
    return reportFailure(D3DERR_NOTAVAILABLE, "not a display format");
  if (!windowed && displayFormat == D3DFMT_X8R8G8B8 && !g_profile.fullscreenX8R8G8B8)
    return reportFailure(D3DERR_NOTAVAILABLE, "X8R8G8B8 full screen not supported by this adapter");
  clearLastError();
  return D3D_OK;
}

HResult Direct3D8::CheckDeviceFormat(int32_t adapter, D3DDEVTYPE, D3DFORMAT adapterFormat, int32_t usage,
                                     D3DRESOURCETYPE, D3DFORMAT checkFormat) {
  if (adapter != 0) return reportFailure(D3DERR_INVALIDCALL, "only adapter 0 exists");
  if (!isColourFormat(adapterFormat)) return reportFailure(D3DERR_NOTAVAILABLE, "not a display format");
  bool ok = (usage & D3DUSAGE_DEPTHSTENCIL) ? depthSupported(checkFormat) : isColourFormat(checkFormat);
  if (!ok) return reportFailure(D3DERR_NOTAVAILABLE, "format not supported");
  clearLastError();
  return D3D_OK;
}

HResult Direct3D8::GetDeviceCaps(int32_t adapter, D3DDEVTYPE, D3DCAPS8& caps) {
  if (adapter != 0) return reportFailure(D3DERR_INVALIDCALL, "only adapter 0 exists");
  caps = D3DCAPS8{};
  if (g_profile.hardwareTnL) caps.DevCaps |= D3DDEVCAPS_HWTRANSFORMANDLIGHT;
  clearLastError();
  return D3D_OK;
}

HResult Direct3D8::CreateDevice(int32_t adapter, D3DDEVTYPE, HWND focusWindow, int32_t behaviourFlags,
                                D3DPRESENT_PARAMETERS& params, std::shared_ptr<Direct3DDevice8>& device) {
  device.reset();
  if (adapter != 0) return reportFailure(D3DERR_INVALIDCALL, "only adapter 0 exists");
  HWND target = params.hDeviceWindow ? params.hDeviceWindow : focusWindow;
  GameWindow* window = windowFromHandle(target);
  if (!window) return reportFailure(D3DERR_INVALIDCALL, "no window with that handle");
  if (!(behaviourFlags & (D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING)))
    return reportFailure(D3DERR_INVALIDCALL, "no vertex processing behaviour given");
  if ((behaviourFlags & D3DCREATE_HARDWARE_VERTEXPROCESSING) && !g_profile.hardwareTnL)
    return reportFailure(D3DERR_NOTAVAILABLE, "hardware vertex processing not supported");
  if (params.EnableAutoDepthStencil && !depthSupported(params.AutoDepthStencilFormat))
    return reportFailure(D3DERR_NOTAVAILABLE, "depth format " + std::to_string(params.AutoDepthStencilFormat) +
                                                  " not supported");
  int32_t width, height;
  if (params.Windowed) {
    width = params.BackBufferWidth ? params.BackBufferWidth : window->clientWidth();
    height = params.BackBufferHeight ? params.BackBufferHeight : window->clientHeight();
  } else {
    width = params.BackBufferWidth;
    height = params.BackBufferHeight;
    if (params.BackBufferFormat != D3DFMT_X8R8G8B8 && params.BackBufferFormat != D3DFMT_R5G6B5)
      return reportFailure(D3DERR_NOTAVAILABLE, "full-screen back buffer must be X8R8G8B8 or R5G6B5");
  }
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
    return reportFailure(D3DERR_INVALIDCALL, "back buffer size " + std::to_string(width) + " x " +
                                                 std::to_string(height) + " is not usable");
  std::unique_ptr<DeviceBackend> backend;
  if (g_backendKind == DeviceBackendKind::OpenGL) {
    backend = makeGlBackend(*window, params, width, height);
    if (!backend) return reportFailure(D3DERR_NOTAVAILABLE, lastErrorDescription());
  } else {
    window->applyMode(width, height, !params.Windowed);
    backend = makeRecordingBackend();
  }
  device.reset(new Direct3DDevice8(g_backendKind, std::move(backend), params, width, height));
  clearLastError();
  return D3D_OK;
}

// ---- resources ----------------------------------------------------------------------------------------
Direct3DVertexBuffer8::Direct3DVertexBuffer8(int32_t length, int32_t usage, int32_t fvf, D3DPOOL pool)
    : bytes_(static_cast<size_t>(length), 0), usage_(usage), fvf_(fvf), pool_(pool) {}
Direct3DVertexBuffer8::~Direct3DVertexBuffer8() = default;

HResult Direct3DVertexBuffer8::SetData(int32_t offset, int32_t size, int32_t, const void* data) {
  if (offset < 0 || size < 0 || static_cast<size_t>(offset) + static_cast<size_t>(size) > bytes_.size())
    return reportFailure(D3DERR_INVALIDCALL, "SetData of " + std::to_string(size) + " bytes at " +
                                                 std::to_string(offset) + " passes the buffer's " +
                                                 std::to_string(bytes_.size()) + " bytes");
  if (size > 0 && !data) return reportFailure(D3DERR_INVALIDCALL, "SetData without data");
  if (size > 0) {
    std::memcpy(bytes_.data() + offset, data, static_cast<size_t>(size));
    if (backend) backend->update(static_cast<size_t>(offset), data, static_cast<size_t>(size));
  }
  return D3D_OK;
}

Direct3DTexture8::Direct3DTexture8(int32_t width, int32_t height, int32_t levels, D3DFORMAT format, D3DPOOL pool)
    : width_(width), height_(height), levels_(levels), format_(format), pool_(pool) {}
Direct3DTexture8::~Direct3DTexture8() = default;

HResult Direct3DTexture8::GetSurfaceLevel(int32_t level, std::shared_ptr<Direct3DSurface8>& surface) {
  surface.reset();
  if (level < 0 || level >= levels_) return reportFailure(D3DERR_INVALIDCALL, "no such mip level");
  surface = std::make_shared<Direct3DSurface8>(shared_from_this(), level);
  return D3D_OK;
}

Direct3DSurface8::Direct3DSurface8(std::shared_ptr<Direct3DTexture8> texture, int32_t level)
    : texture_(std::move(texture)), level_(level) {}
int32_t Direct3DSurface8::Width() const { return std::max(1, texture_->Width() >> level_); }
int32_t Direct3DSurface8::Height() const { return std::max(1, texture_->Height() >> level_); }

// ---- state defaults -------------------------------------------------------------------------------------
void D3DDeviceState::setDefaults(int32_t targetWidth, int32_t targetHeight) {
  renderStates.fill(0);
  auto& rs = renderStates;
  rs[D3DRS_ZENABLE] = 1;
  rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
  rs[D3DRS_ZWRITEENABLE] = 1;
  rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  rs[D3DRS_CULLMODE] = D3DCULL_CCW;
  rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  rs[D3DRS_ALPHABLENDENABLE] = 0;
  rs[D3DRS_FOGENABLE] = 0;
  rs[D3DRS_FOGCOLOR] = 0;
  rs[D3DRS_FOGTABLEMODE] = D3DFOG_NONE;
  rs[D3DRS_FOGSTART] = 0;
  float one = 1.0f;
  std::memcpy(&rs[D3DRS_FOGEND], &one, 4);
  rs[D3DRS_TEXTUREFACTOR] = static_cast<int32_t>(0xFFFFFFFFu);
  rs[D3DRS_LIGHTING] = 1;
  rs[D3DRS_AMBIENT] = 0;
  rs[D3DRS_FOGVERTEXMODE] = D3DFOG_NONE;
  rs[D3DRS_COLORVERTEX] = 1;
  rs[D3DRS_NORMALIZENORMALS] = 0;
  rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
  rs[D3DRS_SPECULARENABLE] = 0;
  rs[D3DRS_ALPHATESTENABLE] = 0;
  for (int s = 0; s < D3DMAX_TEXTURESTAGES; ++s) {
    auto& st = stages[s].states;
    st[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    st[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    st[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    st[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    st[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    st[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    st[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
    st[D3DTSS_MINFILTER] = D3DTEXF_POINT;
    st[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
    st[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
    st[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    stages[s].texture.reset();
  }
  D3DMATRIX identity;
  for (int i = 0; i < 4; ++i) identity.m[i][i] = 1;
  world = view = projection = identity;
  lights.fill(D3DLIGHT8{});
  for (auto& l : lights) l.Diffuse = D3DCOLORVALUE{1, 1, 1, 0};
  for (auto& l : lights) l.Direction = D3DVECTOR{0, 0, 1};
  lightEnabled.fill(false);
  material = D3DMATERIAL8{};
  vertexShader = 0;
  streamSource.reset();
  streamStride = 0;
  viewport = D3DVIEWPORT8{0, 0, targetWidth, targetHeight, 0, 1};
}

// ---- the device ----------------------------------------------------------------------------------------
namespace {
// Bytes of one vertex of an FVF; 0 when it has no position or unknown bits.
int32_t fvfSize(int32_t fvf) {
  constexpr int32_t known = D3DFVF_XYZ | D3DFVF_XYZRHW | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
  if (fvf & ~known) return 0;
  bool xyz = fvf & D3DFVF_XYZ, rhw = fvf & D3DFVF_XYZRHW;
  if (xyz == rhw) return 0;
  int32_t size = xyz ? 12 : 16;
  if (fvf & D3DFVF_NORMAL) size += 12;
  if (fvf & D3DFVF_DIFFUSE) size += 4;
  if (fvf & D3DFVF_TEX1) size += 8;
  return size;
}

D3DVIEWPORT8 clampViewport(const D3DVIEWPORT8& in, int32_t width, int32_t height) {
  D3DVIEWPORT8 v = in;
  v.X = std::clamp(v.X, 0, width);
  v.Y = std::clamp(v.Y, 0, height);
  v.Width = std::clamp(v.Width, 0, width - v.X);
  v.Height = std::clamp(v.Height, 0, height - v.Y);
  if (!(v.MinZ >= 0.0f && v.MinZ <= v.MaxZ && v.MaxZ <= 1.0f)) {
    v.MinZ = 0.0f;
    v.MaxZ = 1.0f;
  }
  return v;
}
}  // namespace

Direct3DDevice8::Direct3DDevice8(DeviceBackendKind kind, std::unique_ptr<DeviceBackend> backend,
                                 const D3DPRESENT_PARAMETERS& params, int32_t width, int32_t height)
    : kind_(kind), backend_(std::move(backend)), params_(params), backWidth_(width), backHeight_(height) {
  state_.setDefaults(width, height);
  recording_ = kind == DeviceBackendKind::Recording;
}

Direct3DDevice8::~Direct3DDevice8() {
  // Release bound resources before the backend goes.
  state_.setDefaults(0, 0);
  target_.reset();
}

void Direct3DDevice8::SetRecording(bool on) { recording_ = on; }
int64_t Direct3DDevice8::DriverDrawCalls() const { return backend_->drawCalls(); }
void Direct3DDevice8::FinishDrawing() { backend_->finish(); }
void Direct3DDevice8::SimulateDeviceLoss(int32_t lostAnswers) { lostState_ = lostAnswers > 0 ? lostAnswers : -1; }
void Direct3DDevice8::SetFailureHook(std::function<HResult(const D3DCall&)> hook) { failureHook_ = std::move(hook); }

HResult Direct3DDevice8::Record(D3DCall&& call) {
  HResult hr = failureHook_ ? failureHook_(call) : D3D_OK;
  if (FAILED(hr)) reportFailure(hr, "failure injected by a test");
  call.result = hr;
  if (recording_) calls_.push_back(std::move(call));
  return hr;
}

namespace {
// Logs a refused call (when recording) and reports its reason.
HResult refuse(Direct3DDevice8&, bool recording, std::vector<D3DCall>& calls, D3DCall& call, HResult hr,
               const std::string& why) {
  call.result = hr;
  if (recording) calls.push_back(call);
  return reportFailure(hr, why);
}
}  // namespace

#define QV_REFUSE(hr, why) return refuse(*this, recording_, calls_, call, (hr), (why))

HResult Direct3DDevice8::TestCooperativeLevel() {
  D3DCall call;
  call.kind = D3DCallKind::TestCooperativeLevel;
  HResult answer = D3D_OK;
  if (lostState_ > 0) {
    answer = D3DERR_DEVICELOST;
    if (--lostState_ == 0) lostState_ = -1;
  } else if (lostState_ < 0) {
    answer = D3DERR_DEVICENOTRESET;
  }
  call.result = answer;
  if (recording_) calls_.push_back(call);
  return answer;
}

HResult Direct3DDevice8::Reset(D3DPRESENT_PARAMETERS& params) {
  D3DCall call;
  call.kind = D3DCallKind::Reset;
  if (lostState_ > 0) QV_REFUSE(D3DERR_DEVICELOST, "the device is still lost");
  GameWindow* window = windowFromHandle(params.hDeviceWindow ? params.hDeviceWindow : params_.hDeviceWindow);
  int32_t width = params.BackBufferWidth, height = params.BackBufferHeight;
  if (params.Windowed && window) {
    if (!width) width = window->clientWidth();
    if (!height) height = window->clientHeight();
  }
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) QV_REFUSE(D3DERR_INVALIDCALL, "bad back buffer size");
  if (params.EnableAutoDepthStencil && !depthSupported(params.AutoDepthStencilFormat))
    QV_REFUSE(D3DERR_NOTAVAILABLE, "depth format not supported");
  HResult hr = Record(std::move(call));
  if (FAILED(hr)) return hr;
  if (target_) backend_->setRenderTarget(nullptr, nullptr, backWidth_, backHeight_);
  target_.reset();
  hr = backend_->reset(params, width, height);
  if (FAILED(hr)) return hr;
  if (kind_ == DeviceBackendKind::Recording && window) window->applyMode(width, height, !params.Windowed);
  params_ = params;
  backWidth_ = width;
  backHeight_ = height;
  D3DMATERIAL8 material = state_.material;  // kept across resets (nothing sets it again)
  state_.setDefaults(width, height);
  state_.material = material;
  inScene_ = false;
  lostState_ = 0;
  clearLastError();
  return D3D_OK;
}

HResult Direct3DDevice8::BeginScene() {
  D3DCall call;
  call.kind = D3DCallKind::BeginScene;
  if (inScene_) QV_REFUSE(D3DERR_INVALIDCALL, "BeginScene inside a scene");
  HResult hr = Record(std::move(call));
  if (SUCCEEDED(hr)) inScene_ = true;
  return hr;
}

HResult Direct3DDevice8::EndScene() {
  D3DCall call;
  call.kind = D3DCallKind::EndScene;
  if (!inScene_) QV_REFUSE(D3DERR_INVALIDCALL, "EndScene outside a scene");
  HResult hr = Record(std::move(call));
  if (SUCCEEDED(hr)) inScene_ = false;
  return hr;
}

HResult Direct3DDevice8::Present() {
  D3DCall call;
  call.kind = D3DCallKind::Present;
  if (Lost()) QV_REFUSE(D3DERR_DEVICELOST, "the device is lost");
  HResult hr = Record(std::move(call));
  if (FAILED(hr)) return hr;
  return backend_->present();
}

HResult Direct3DDevice8::Clear(int32_t flags, D3DCOLOR color, float z, int32_t stencil) {
  D3DCall call;
  call.kind = D3DCallKind::Clear;
  call.a = flags;
  call.color = color;
  call.z = z;
  call.b = stencil;
  if (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) QV_REFUSE(D3DERR_INVALIDCALL, "unknown clear flags");
  if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !params_.EnableAutoDepthStencil && !target_)
    QV_REFUSE(D3DERR_INVALIDCALL, "clearing a depth buffer the device does not have");
  if (!(z >= 0.0f && z <= 1.0f)) QV_REFUSE(D3DERR_INVALIDCALL, "clear depth outside 0..1");
  HResult hr = Record(std::move(call));
  if (FAILED(hr) || Lost()) return hr;
  return backend_->clear(state_.viewport, flags, color, z, stencil);
}

HResult Direct3DDevice8::SetRenderState(D3DRENDERSTATETYPE state, int32_t value) {
  D3DCall call;
  call.kind = D3DCallKind::SetRenderState;
  call.a = state;
  call.b = value;
  if (state < 0 || state >= D3DRS_COUNT) QV_REFUSE(D3DERR_INVALIDCALL, "unknown render state");
  HResult hr = Record(std::move(call));
  if (SUCCEEDED(hr)) state_.renderStates[state] = value;
  return hr;
}

int32_t Direct3DDevice8::GetRenderState(D3DRENDERSTATETYPE state) const {
  return (state >= 0 && state < D3DRS_COUNT) ? state_.renderStates[state] : 0;
}

HResult Direct3DDevice8::SetTextureStageState(int32_t stage, D3DTEXTURESTAGESTATETYPE state, int32_t value) {
  D3DCall call;
  call.kind = D3DCallKind::SetTextureStageState;
  call.a = stage;
  call.b = state;
  call.c = value;
  if (stage < 0 || stage >= D3DMAX_TEXTURESTAGES) QV_REFUSE(D3DERR_INVALIDCALL, "texture stage out of range");
  if (state < 0 || state >= D3DTSS_COUNT) QV_REFUSE(D3DERR_INVALIDCALL, "unknown texture-stage state");
  HResult hr = Record(std::move(call));
  if (SUCCEEDED(hr)) state_.stages[stage].states[state] = value;
  return hr;
}

int32_t Direct3DDevice8::GetTextureStageState(int32_t stage, D3DTEXTURESTAGESTATETYPE state) const {
  if (stage < 0 || stage >= D3DMAX_TEXTURESTAGES || state < 0 || state >= D3DTSS_COUNT) return 0;
  return state_.stages[stage].states[state];
}

HResult Direct3DDevice8::SetTexture(int32_t stage, const std::shared_ptr<Direct3DTexture8>& texture) {
  D3DCall call;
  call.kind = D3DCallKind::SetTexture;
  call.a = stage;
  call.object = texture.get();
  if (stage < 0 || stage >= D3DMAX_TEXTURESTAGES) QV_REFUSE(D3DERR_INVALIDCALL, "texture stage out of range");
  if (texture && !Owns(*texture)) QV_REFUSE(D3DERR_INVALIDCALL, "texture of another device");
  HResult hr = Record(std::move(call));
  if (SUCCEEDED(hr)) state_.stages[stage].texture = texture;
  return hr;
}

HResult Direct3DDevice8::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX& matrix) {
  D3DCall call;
  call.kind = D3DCallKind::SetTransform;
  call.a = type;
  call.matrix = matrix;
  D3DMATRIX* slot = type == D3DTS_WORLD ? &state_.world
                    : type == D3DTS_VIEW ? &state_.view
                    : type == D3DTS_PROJECTION ? &state_.projection : nullptr;
  if (!slot) QV_REFUSE(D3DERR_INVALIDCALL, "unknown transform");
  HResult hr = Record(std::move(call));
  if (SUCCEEDED(hr)) *slot = matrix;
  return hr;
}

HResult Direct3DDevice8::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX& matrix) const {
  switch (type) {
    case D3DTS_WORLD: matrix = state_.world; return D3D_OK;
    case D3DTS_VIEW: matrix = state_.view; return D3D_OK;
    case D3DTS_PROJECTION: matrix = state_.projection; return D3D_OK;
  }
  return reportFailure(D3DERR_INVALIDCALL, "unknown transform");
}

HResult Direct3DDevice8::SetLight(int32_t index, const D3DLIGHT8& light) {
  D3DCall call;
  call.kind = D3DCallKind::SetLight;
  call.a = index;
  call.light = light;
  if (index < 0 || index >= D3DMAX_LIGHTS) QV_REFUSE(D3DERR_INVALIDCALL, "light index out of range");
  if (light.Type != D3DLIGHT_POINT && light.Type != D3DLIGHT_SPOT && light.Type != D3DLIGHT_DIRECTIONAL)
    QV_REFUSE(D3DERR_INVALIDCALL, "unknown light type");
  if (light.Type != D3DLIGHT_DIRECTIONAL && !(light.Range >= 0.0f)) QV_REFUSE(D3DERR_INVALIDCALL, "negative light range");
  HResult hr = Record(std::move(call));
  if (SUCCEEDED(hr)) state_.lights[index] = light;
  return hr;
}

HResult Direct3DDevice8::GetLight(int32_t index, D3DLIGHT8& light) const {
  if (index < 0 || index >= D3DMAX_LIGHTS) return reportFailure(D3DERR_INVALIDCALL, "light index out of range");
  light = state_.lights[index];
  return D3D_OK;
}

HResult Direct3DDevice8::LightEnable(int32_t index, bool enable) {
  D3DCall call;
  call.kind = D3DCallKind::LightEnable;
  call.a = index;
  call.b = enable ? 1 : 0;
  if (index < 0 || index >= D3DMAX_LIGHTS) QV_REFUSE(D3DERR_INVALIDCALL, "light index out of range");
  HResult hr = Record(std::move(call));
  if (SUCCEEDED(hr)) state_.lightEnabled[index] = enable;
  return hr;
}

HResult Direct3DDevice8::SetMaterial(const D3DMATERIAL8& material) {
  D3DCall call;
  call.kind = D3DCallKind::SetMaterial;
  call.material = material;
  HResult hr = Record(std::move(call));
  if (SUCCEEDED(hr)) state_.material = material;
  return hr;
}

HResult Direct3DDevice8::GetMaterial(D3DMATERIAL8& material) const {
  material = state_.material;
  return D3D_OK;
}

HResult Direct3DDevice8::SetVertexShader(int32_t fvf) {
  D3DCall call;
  call.kind = D3DCallKind::SetVertexShader;
  call.a = fvf;
  if (fvfSize(fvf) == 0) QV_REFUSE(D3DERR_INVALIDCALL, "unsupported vertex format " + std::to_string(fvf));
  HResult hr = Record(std::move(call));
  if (SUCCEEDED(hr)) state_.vertexShader = fvf;
  return hr;
}

HResult Direct3DDevice8::SetStreamSource(int32_t stream, const std::shared_ptr<Direct3DVertexBuffer8>& buffer,
                                         int32_t stride) {
  D3DCall call;
  call.kind = D3DCallKind::SetStreamSource;
  call.a = stream;
  call.b = stride;
  call.object = buffer.get();
  if (stream != 0) QV_REFUSE(D3DERR_INVALIDCALL, "only stream 0 exists");
  if (stride < 0) QV_REFUSE(D3DERR_INVALIDCALL, "negative stride");
  if (buffer && (!buffer->backend || buffer->backend->owner != backend_.get()))
    QV_REFUSE(D3DERR_INVALIDCALL, "buffer of another device");
  HResult hr = Record(std::move(call));
  if (SUCCEEDED(hr)) {
    state_.streamSource = buffer;
    state_.streamStride = stride;
  }
  return hr;
}

HResult Direct3DDevice8::GetViewport(D3DVIEWPORT8& viewport) const {
  viewport = state_.viewport;
  return D3D_OK;
}

HResult Direct3DDevice8::SetViewport(const D3DVIEWPORT8& viewport) {
  D3DCall call;
  call.kind = D3DCallKind::SetViewport;
  int32_t w = target_ ? target_->Width() : backWidth_, h = target_ ? target_->Height() : backHeight_;
  call.viewport = clampViewport(viewport, w, h);
  D3DVIEWPORT8 clamped = call.viewport;
  HResult hr = Record(std::move(call));
  if (SUCCEEDED(hr)) state_.viewport = clamped;
  return hr;
}

namespace {
int32_t vertexCountOf(D3DPRIMITIVETYPE type, int32_t primitives) {
  return type == D3DPT_TRIANGLELIST ? primitives * 3 : primitives + 2;
}
}  // namespace

HResult Direct3DDevice8::DrawPrimitive(D3DPRIMITIVETYPE type, int32_t startVertex, int32_t primitiveCount) {
  D3DCall call;
  call.kind = D3DCallKind::DrawPrimitive;
  call.a = type;
  call.b = startVertex;
  call.c = primitiveCount;
  if (type != D3DPT_TRIANGLELIST && type != D3DPT_TRIANGLESTRIP) QV_REFUSE(D3DERR_INVALIDCALL, "unsupported primitive type");
  if (startVertex < 0 || primitiveCount < 0 || primitiveCount > 1 << 24) QV_REFUSE(D3DERR_INVALIDCALL, "bad vertex range");
  const auto& buffer = state_.streamSource;
  if (!buffer) QV_REFUSE(D3DERR_INVALIDCALL, "no stream source");
  int32_t size = fvfSize(state_.vertexShader);
  if (size == 0) QV_REFUSE(D3DERR_INVALIDCALL, "no vertex format set");
  if (state_.streamStride < size)
    QV_REFUSE(D3DERR_INVALIDCALL, "stride " + std::to_string(state_.streamStride) + " is smaller than the vertex format's " +
                                      std::to_string(size) + " bytes");
  int32_t count = vertexCountOf(type, primitiveCount);
  if (primitiveCount > 0) {
    size_t end = (static_cast<size_t>(startVertex) + count - 1) * state_.streamStride + size;
    if (end > buffer->bytes_.size())
      QV_REFUSE(D3DERR_INVALIDCALL, "draw reads " + std::to_string(end) + " bytes of a " +
                                        std::to_string(buffer->bytes_.size()) + "-byte buffer");
  }
  HResult hr = Record(std::move(call));
  if (FAILED(hr) || Lost() || primitiveCount == 0) return hr;
  BackendDraw d;
  d.state = &state_;
  d.type = type;
  d.vertexCount = count;
  d.fvf = state_.vertexShader;
  d.stride = state_.streamStride;
  d.buffer = buffer->backend.get();
  d.byteOffset = static_cast<size_t>(startVertex) * state_.streamStride;
  d.vertices = buffer->bytes_.data() + d.byteOffset;
  return backend_->draw(d);
}

HResult Direct3DDevice8::DrawPrimitiveUP(D3DPRIMITIVETYPE type, int32_t primitiveCount, const void* vertexData,
                                         int32_t stride) {
  D3DCall call;
  call.kind = D3DCallKind::DrawPrimitiveUP;
  call.a = type;
  call.b = stride;
  call.c = primitiveCount;
  if (type != D3DPT_TRIANGLELIST && type != D3DPT_TRIANGLESTRIP) QV_REFUSE(D3DERR_INVALIDCALL, "unsupported primitive type");
  if (primitiveCount < 0 || primitiveCount > 1 << 20) QV_REFUSE(D3DERR_INVALIDCALL, "bad primitive count");
  if (!vertexData && primitiveCount > 0) QV_REFUSE(D3DERR_INVALIDCALL, "no vertex data");
  int32_t size = fvfSize(state_.vertexShader);
  if (size == 0) QV_REFUSE(D3DERR_INVALIDCALL, "no vertex format set");
  if (stride < size) QV_REFUSE(D3DERR_INVALIDCALL, "stride smaller than the vertex format");
  int32_t count = vertexCountOf(type, primitiveCount);
  if (recording_ && primitiveCount > 0) {
    const auto* bytes = static_cast<const uint8_t*>(vertexData);
    call.bytes.assign(bytes, bytes + static_cast<size_t>(count) * stride);
  }
  HResult hr = Record(std::move(call));
  if (FAILED(hr) || Lost() || primitiveCount == 0) return hr;
  BackendDraw d;
  d.state = &state_;
  d.type = type;
  d.vertexCount = count;
  d.fvf = state_.vertexShader;
  d.stride = stride;
  d.vertices = static_cast<const uint8_t*>(vertexData);
  return backend_->draw(d);
}

HResult Direct3DDevice8::CreateVertexBuffer(int32_t length, int32_t usage, int32_t fvf, D3DPOOL pool,
                                            std::shared_ptr<Direct3DVertexBuffer8>& buffer) {
  D3DCall call;
  call.kind = D3DCallKind::CreateVertexBuffer;
  call.a = length;
  call.b = usage;
  call.c = fvf;
  call.d = pool;
  buffer.reset();
  if (length <= 0 || length > (64 << 20)) QV_REFUSE(D3DERR_INVALIDCALL, "bad vertex buffer length " + std::to_string(length));
  HResult hr = Record(std::move(call));
  if (FAILED(hr)) return hr;
  auto made = std::make_shared<Direct3DVertexBuffer8>(length, usage, fvf, pool);
  made->backend = backend_->createBuffer(static_cast<size_t>(length));
  if (!made->backend) return reportFailure(D3DERR_OUTOFVIDEOMEMORY, "the backend could not make a buffer");
  buffer = std::move(made);
  return D3D_OK;
}

HResult Direct3DDevice8::BeginRenderTarget(const std::shared_ptr<Direct3DSurface8>& surface,
                                           const D3DVIEWPORT8& viewport, const std::shared_ptr<BackendTexture>& depth) {
  D3DCall call;
  call.kind = D3DCallKind::RenderToSurfaceBegin;
  call.object = surface.get();
  if (!surface || !Owns(*surface->Texture())) QV_REFUSE(D3DERR_INVALIDCALL, "no surface of this device to render to");
  if (target_) QV_REFUSE(D3DERR_INVALIDCALL, "a render-to-surface scene is already open");
  call.viewport = clampViewport(viewport, surface->Width(), surface->Height());
  D3DVIEWPORT8 clamped = call.viewport;
  HResult hr = Record(std::move(call));
  if (FAILED(hr)) return hr;
  hr = backend_->setRenderTarget(surface->Texture()->backend.get(), depth.get(), surface->Width(), surface->Height());
  if (FAILED(hr)) return hr;
  target_ = surface;
  savedViewport_ = state_.viewport;
  state_.viewport = clamped;
  return D3D_OK;
}

HResult Direct3DDevice8::EndRenderTarget() {
  D3DCall call;
  call.kind = D3DCallKind::RenderToSurfaceEnd;
  if (!target_) QV_REFUSE(D3DERR_INVALIDCALL, "no render-to-surface scene is open");
  HResult hr = Record(std::move(call));
  if (FAILED(hr)) return hr;
  target_.reset();
  state_.viewport = savedViewport_;
  return backend_->setRenderTarget(nullptr, nullptr, backWidth_, backHeight_);
}

bool Direct3DDevice8::Owns(const Direct3DTexture8& texture) const {
  return texture.backend && texture.backend->owner == backend_.get();
}

HResult Direct3DDevice8::UploadTexture(Direct3DTexture8& texture, const uint32_t* argbTopDown) {
  if (!Owns(texture)) return reportFailure(D3DERR_INVALIDCALL, "texture of another device");
  return backend_->uploadTexture(*texture.backend, texture.Width(), texture.Height(), argbTopDown);
}

HResult Direct3DDevice8::ReadBackBuffer(std::vector<uint32_t>& argb, int32_t& width, int32_t& height) {
  width = backWidth_;
  height = backHeight_;
  return backend_->readPixels(nullptr, width, height, argb);
}

HResult Direct3DDevice8::ReadTexture(const Direct3DTexture8& texture, std::vector<uint32_t>& argb) {
  if (!Owns(texture)) return reportFailure(D3DERR_INVALIDCALL, "texture of another device");
  return backend_->readPixels(texture.backend.get(), texture.Width(), texture.Height(), argb);
}

#undef QV_REFUSE

// ---- call descriptions ------------------------------------------------------------------------------------
namespace {
const char* const kRenderStateNames[D3DRS_COUNT] = {
    "D3DRS_ZENABLE", "D3DRS_FILLMODE", "D3DRS_ZWRITEENABLE", "D3DRS_SRCBLEND", "D3DRS_DESTBLEND",
    "D3DRS_CULLMODE", "D3DRS_ZFUNC", "D3DRS_ALPHABLENDENABLE", "D3DRS_FOGENABLE", "D3DRS_FOGCOLOR",
    "D3DRS_FOGTABLEMODE", "D3DRS_FOGSTART", "D3DRS_FOGEND", "D3DRS_TEXTUREFACTOR", "D3DRS_LIGHTING",
    "D3DRS_AMBIENT", "D3DRS_FOGVERTEXMODE", "D3DRS_COLORVERTEX", "D3DRS_NORMALIZENORMALS",
    "D3DRS_DIFFUSEMATERIALSOURCE", "D3DRS_AMBIENTMATERIALSOURCE", "D3DRS_SPECULARENABLE", "D3DRS_ALPHATESTENABLE"};
const char* const kStageStateNames[D3DTSS_COUNT] = {
    "D3DTSS_COLOROP", "D3DTSS_COLORARG1", "D3DTSS_COLORARG2", "D3DTSS_ALPHAOP", "D3DTSS_ALPHAARG1",
    "D3DTSS_ALPHAARG2", "D3DTSS_MAGFILTER", "D3DTSS_MINFILTER", "D3DTSS_MIPFILTER", "D3DTSS_ADDRESSU",
    "D3DTSS_ADDRESSV"};

std::string number(int32_t v) { return std::to_string(v); }
std::string hex(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", v);
  return text;
}
std::string floatText(float f) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(f));
  return text;
}

std::string blendName(int32_t v) {
  static const char* const names[] = {"D3DBLEND_ZERO", "D3DBLEND_ONE", "D3DBLEND_SRCCOLOR", "D3DBLEND_INVSRCCOLOR",
                                      "D3DBLEND_SRCALPHA", "D3DBLEND_INVSRCALPHA", "D3DBLEND_DESTALPHA",
                                      "D3DBLEND_INVDESTALPHA", "D3DBLEND_DESTCOLOR", "D3DBLEND_INVDESTCOLOR"};
  return v >= 1 && v <= 10 ? names[v - 1] : number(v);
}

std::string renderValue(int32_t state, int32_t v) {
  switch (state) {
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND: return blendName(v);
    case D3DRS_FILLMODE: return v == D3DFILL_SOLID ? "D3DFILL_SOLID" : v == D3DFILL_WIREFRAME ? "D3DFILL_WIREFRAME"
                                : v == D3DFILL_POINT ? "D3DFILL_POINT" : number(v);
    case D3DRS_CULLMODE: return v == D3DCULL_NONE ? "D3DCULL_NONE" : v == D3DCULL_CW ? "D3DCULL_CW"
                                : v == D3DCULL_CCW ? "D3DCULL_CCW" : number(v);
    case D3DRS_FOGTABLEMODE:
    case D3DRS_FOGVERTEXMODE: return v == D3DFOG_NONE ? "D3DFOG_NONE" : v == D3DFOG_LINEAR ? "D3DFOG_LINEAR"
                                     : v == D3DFOG_EXP ? "D3DFOG_EXP" : v == D3DFOG_EXP2 ? "D3DFOG_EXP2" : number(v);
    case D3DRS_FOGCOLOR:
    case D3DRS_TEXTUREFACTOR:
    case D3DRS_AMBIENT: return hex(static_cast<uint32_t>(v));
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND: {
      float f;
      std::memcpy(&f, &v, 4);
      return floatText(f);
    }
    default: return number(v);
  }
}

std::string stageValue(int32_t state, int32_t v) {
  switch (state) {
    case D3DTSS_COLOROP:
    case D3DTSS_ALPHAOP: {
      static const char* const names[] = {"D3DTOP_DISABLE", "D3DTOP_SELECTARG1", "D3DTOP_SELECTARG2", "D3DTOP_MODULATE"};
      return v >= 1 && v <= 4 ? names[v - 1] : number(v);
    }
    case D3DTSS_COLORARG1:
    case D3DTSS_COLORARG2:
    case D3DTSS_ALPHAARG1:
    case D3DTSS_ALPHAARG2: {
      static const char* const names[] = {"D3DTA_DIFFUSE", "D3DTA_CURRENT", "D3DTA_TEXTURE", "D3DTA_TFACTOR"};
      return v >= 0 && v <= 3 ? names[v] : number(v);
    }
    case D3DTSS_MAGFILTER:
    case D3DTSS_MINFILTER:
    case D3DTSS_MIPFILTER: {
      static const char* const names[] = {"D3DTEXF_NONE", "D3DTEXF_POINT", "D3DTEXF_LINEAR"};
      return v >= 0 && v <= 2 ? names[v] : number(v);
    }
    default: return number(v);
  }
}

std::string transformName(int32_t t) {
  return t == D3DTS_WORLD ? "D3DTS_WORLD" : t == D3DTS_VIEW ? "D3DTS_VIEW" : t == D3DTS_PROJECTION ? "D3DTS_PROJECTION"
                                                                                                  : number(t);
}
std::string primitiveName(int32_t p) {
  return p == D3DPT_TRIANGLELIST ? "D3DPT_TRIANGLELIST" : p == D3DPT_TRIANGLESTRIP ? "D3DPT_TRIANGLESTRIP" : number(p);
}
std::string viewportText(const D3DVIEWPORT8& v) {
  return number(v.X) + ", " + number(v.Y) + ", " + number(v.Width) + ", " + number(v.Height) + ", " +
         floatText(v.MinZ) + ", " + floatText(v.MaxZ);
}
}  // namespace

std::string renderStateName(D3DRENDERSTATETYPE state) {
  return state >= 0 && state < D3DRS_COUNT ? kRenderStateNames[state] : number(state);
}

std::string stageStateName(D3DTEXTURESTAGESTATETYPE state) {
  return state >= 0 && state < D3DTSS_COUNT ? kStageStateNames[state] : number(state);
}

std::string describeCall(const D3DCall& c) {
  switch (c.kind) {
    case D3DCallKind::TestCooperativeLevel: return "TestCooperativeLevel()";
    case D3DCallKind::Reset: return "Reset()";
    case D3DCallKind::BeginScene: return "BeginScene()";
    case D3DCallKind::EndScene: return "EndScene()";
    case D3DCallKind::Present: return "Present()";
    case D3DCallKind::Clear:
      return "Clear(" + number(c.a) + ", " + hex(c.color) + ", " + floatText(c.z) + ", " + number(c.b) + ")";
    case D3DCallKind::SetRenderState:
      return "SetRenderState(" + renderStateName(D3DRENDERSTATETYPE(c.a)) + ", " + renderValue(c.a, c.b) + ")";
    case D3DCallKind::SetTextureStageState:
      return "SetTextureStageState(" + number(c.a) + ", " + stageStateName(D3DTEXTURESTAGESTATETYPE(c.b)) + ", " +
             stageValue(c.b, c.c) + ")";
    case D3DCallKind::SetTexture: return "SetTexture(" + number(c.a) + (c.object ? ", texture)" : ", none)");
    case D3DCallKind::SetTransform: return "SetTransform(" + transformName(c.a) + ")";
    case D3DCallKind::SetLight:
      return "SetLight(" + number(c.a) + ", " +
             (c.light.Type == D3DLIGHT_POINT ? "D3DLIGHT_POINT" : c.light.Type == D3DLIGHT_SPOT ? "D3DLIGHT_SPOT"
                                                                                                : "D3DLIGHT_DIRECTIONAL") +
             ")";
    case D3DCallKind::LightEnable: return "LightEnable(" + number(c.a) + ", " + number(c.b) + ")";
    case D3DCallKind::SetMaterial: return "SetMaterial()";
    case D3DCallKind::SetVertexShader: {
      char text[40];
      std::snprintf(text, sizeof text, "SetVertexShader(0x%X)", static_cast<unsigned>(c.a));
      return text;
    }
    case D3DCallKind::SetStreamSource:
      return "SetStreamSource(" + number(c.a) + (c.object ? ", buffer, " : ", none, ") + number(c.b) + ")";
    case D3DCallKind::DrawPrimitive:
      return "DrawPrimitive(" + primitiveName(c.a) + ", " + number(c.b) + ", " + number(c.c) + ")";
    case D3DCallKind::DrawPrimitiveUP:
      return "DrawPrimitiveUP(" + primitiveName(c.a) + ", " + number(c.c) + ", " + number(c.b) + ")";
    case D3DCallKind::SetViewport: return "SetViewport(" + viewportText(c.viewport) + ")";
    case D3DCallKind::CreateVertexBuffer:
      return "CreateVertexBuffer(" + number(c.a) + ", " + number(c.b) + ", " + number(c.c) + ", " + number(c.d) + ")";
    case D3DCallKind::CreateTexture: return "CreateTexture(" + number(c.a) + ", " + number(c.b) + ", " + number(c.c) + ")";
    case D3DCallKind::RenderToSurfaceBegin: return "RenderToSurface.BeginScene(" + viewportText(c.viewport) + ")";
    case D3DCallKind::RenderToSurfaceEnd: return "RenderToSurface.EndScene()";
    case D3DCallKind::SpriteBegin: return "Sprite.Begin()";
    case D3DCallKind::SpriteDraw:
      return "Sprite.Draw(" + number(c.rect.left) + ", " + number(c.rect.top) + ", " + number(c.rect.right) + ", " +
             number(c.rect.bottom) + ", " + hex(c.color) + ")";
    case D3DCallKind::SpriteEnd: return "Sprite.End()";
  }
  return "?";
}
