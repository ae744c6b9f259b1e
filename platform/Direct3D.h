// The Direct3D 8 objects the game draws with: the root object DirectX8, Direct3D8 (adapter
// queries, device creation), Direct3DDevice8 (persistent render, stage and transform states,
// lights, material, vertex buffers, draws, scenes, clear, present, cooperative level and reset),
// textures with their surfaces, and vertex buffers. The D3DX helpers and objects are in
// platform/D3DX.h.
//
// Usage. The game creates the objects as the Direct3D 8 automation library did:
//   DX = std::make_shared<DirectX8>(); D3D = DX->Direct3DCreate();
//   D3D->CreateDevice(0, D3DDEVTYPE_HAL, window.hWnd(), behaviour, PresentParams, D3DDevice);
// Every method returns an HResult (D3D_OK or a failure, never throws); checkHResult (below)
// raises a failed code as a VbError carrying the description, for callers that raise. Objects are
// shared_ptrs: releasing the game's reference releases the object (a bound texture stays alive
// while the device holds it). The device keeps Direct3D's state model: every state persists until
// it is set again, and draws read the states in force. Two backends sit behind the same objects:
// OpenGL 3.3 through SDL2 (the default; headless under SDL_VIDEODRIVER=offscreen) and a recording
// one that draws nothing and keeps every call in order (setDeviceBackend before CreateDevice);
// both can record (SetRecording) for state-sequence tests. Test hooks: setAdapterProfile (what the
// adapter supports), SimulateDeviceLoss, SetFailureHook, ReadBackBuffer/ReadTexture.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"

class Direct3D8;
class Direct3DDevice8;
class Direct3DTexture8;
class Direct3DSurface8;
class Direct3DVertexBuffer8;
struct BackendTexture;  // backend's picture of a texture (GL name, or nothing when recording)
struct BackendBuffer;   // backend's picture of a vertex buffer
class DeviceBackend;

// ---- errors ----------------------------------------------------------------------------------------
// The text of a result code ("Invalid call", "Device lost", ...).
std::string describeHResult(HResult hr);
// Details of the last failure reported by this layer, e.g. ".../gfx/x.dds: DDS file is
// truncated". Callers put it in their message-log line (checkHResult does).
const std::string& lastErrorDescription();
// Raises VbError(hr, description) when hr failed: the description is lastErrorDescription() when
// it belongs to this failure, else describeHResult(hr).
void checkHResult(HResult hr);

// ---- backends and test configuration ------------------------------------------------------------
enum class DeviceBackendKind { OpenGL, Recording };
// Chooses the backend of devices created from now on (default OpenGL).
void setDeviceBackend(DeviceBackendKind kind);
DeviceBackendKind deviceBackend();

// What adapter 0 supports. The default profile: desktop mode from the display (X8R8G8B8),
// full-screen X8R8G8B8, hardware transform and lighting, depth formats D16, D24S8 and D24X8.
struct AdapterProfile {
  D3DDISPLAYMODE desktop;            // Width 0: the display's own size (1024 x 768 headless)
  bool fullscreenX8R8G8B8 = true;    // CheckDeviceType answer for full-screen X8R8G8B8
  bool hardwareTnL = true;           // D3DDEVCAPS_HWTRANSFORMANDLIGHT in GetDeviceCaps
  std::vector<D3DFORMAT> depthFormats{D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D24X8};
};
void setAdapterProfile(const AdapterProfile& profile);
const AdapterProfile& adapterProfile();
void resetAdapterProfile();

// Draw merging of the OpenGL backend (on by default): consecutive draws that share every state
// reach the driver as one draw, through a stream ring. Off: every call is drawn on its own, the
// reference that benchmarks and pixel comparisons set beside the merged frames.
void setDrawBatching(bool on);
bool drawBatching();

// ---- the root objects -------------------------------------------------------------------------------
class DirectSoundEnum8;
class DirectSound8;
class DirectInput8;

// The root object: Direct3D here, sound devices in platform/DirectSound.h, joysticks in
// platform/DirectInput.h.
class DirectX8 {
 public:
  std::shared_ptr<Direct3D8> Direct3DCreate();
  std::shared_ptr<DirectSoundEnum8> GetDSEnum();
  // guid from GetDSEnum ("" the primary device); DSERR_NODRIVER for an unknown one.
  HResult DirectSoundCreate(const std::string& guid, std::shared_ptr<DirectSound8>& device);
  std::shared_ptr<DirectInput8> DirectInputCreate();
};

class Direct3D8 {
 public:
  // Adapter 0 only; other adapters answer D3DERR_INVALIDCALL.
  HResult GetAdapterDisplayMode(int32_t adapter, D3DDISPLAYMODE& mode);
  // Succeeds (0) when the adapter can present that display/back-buffer format pair.
  HResult CheckDeviceType(int32_t adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                          D3DFORMAT backBufferFormat, bool windowed);
  // Succeeds (0) when checkFormat is supported for that usage and resource type.
  HResult CheckDeviceFormat(int32_t adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, int32_t usage,
                            D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat);
  HResult GetDeviceCaps(int32_t adapter, D3DDEVTYPE type, D3DCAPS8& caps);
  // Creates the device on the window focusWindow (a GameWindow's hWnd). Windowed with back
  // buffer 0 x 0 takes the client area; full screen takes BackBufferWidth x Height. Fails with
  // D3DERR_NOTAVAILABLE for an unsupported depth format (including none, 0) and
  // D3DERR_INVALIDCALL for an unknown window or bad sizes; device stays empty then.
  HResult CreateDevice(int32_t adapter, D3DDEVTYPE type, HWND focusWindow, int32_t behaviourFlags,
                       D3DPRESENT_PARAMETERS& params, std::shared_ptr<Direct3DDevice8>& device);
};

// ---- resources ----------------------------------------------------------------------------------------
class Direct3DVertexBuffer8 {
 public:
  // Copies size bytes from data to offset. D3DERR_INVALIDCALL when offset + size passes the end.
  HResult SetData(int32_t offset, int32_t size, int32_t flags, const void* data);
  int32_t Length() const { return static_cast<int32_t>(bytes_.size()); }
  int32_t CreationFVF() const { return fvf_; }  // kept, not used by draws
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

  Direct3DVertexBuffer8(int32_t length, int32_t usage, int32_t fvf, D3DPOOL pool);
  ~Direct3DVertexBuffer8();
  std::shared_ptr<BackendBuffer> backend;  // set by the device that created it

 private:
  std::vector<uint8_t> bytes_;
  int32_t usage_, fvf_;
  D3DPOOL pool_;
  friend class Direct3DDevice8;
};

// A texture: level 0 is what draws sample (mip levels are counted but never sampled).
class Direct3DTexture8 : public std::enable_shared_from_this<Direct3DTexture8> {
 public:
  Direct3DTexture8(int32_t width, int32_t height, int32_t levels, D3DFORMAT format, D3DPOOL pool);
  ~Direct3DTexture8();
  // The surface of a level (only level 0 can be a render target).
  HResult GetSurfaceLevel(int32_t level, std::shared_ptr<Direct3DSurface8>& surface);
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t LevelCount() const { return levels_; }
  D3DFORMAT Format() const { return format_; }
  bool HasAlpha() const { return format_ == D3DFMT_A8R8G8B8; }
  std::shared_ptr<BackendTexture> backend;  // set by the device that made it

 private:
  int32_t width_, height_, levels_;
  D3DFORMAT format_;
  D3DPOOL pool_;
};

class Direct3DSurface8 {
 public:
  Direct3DSurface8(std::shared_ptr<Direct3DTexture8> texture, int32_t level);
  const std::shared_ptr<Direct3DTexture8>& Texture() const { return texture_; }
  int32_t Level() const { return level_; }
  int32_t Width() const;
  int32_t Height() const;

 private:
  std::shared_ptr<Direct3DTexture8> texture_;
  int32_t level_;
};

// ---- the device's state -------------------------------------------------------------------------------
struct D3DStageState {
  std::array<int32_t, D3DTSS_COUNT> states{};
  std::shared_ptr<Direct3DTexture8> texture;  // none: the stage samples opaque white
};

// Everything a draw reads. Defaults: z test and writes on (LESSEQUAL), cull CCW, solid fill,
// lighting on, no blending (ONE, ZERO), no fog, COLORVERTEX on with diffuse from the vertex colour
// and ambient from the material, texture factor opaque white; stage 0 COLOROP MODULATE (TEXTURE,
// CURRENT), ALPHAOP SELECTARG1 (TEXTURE); stages 1..7 DISABLE; filters POINT, mip NONE, wrap;
// transforms identity; lights off; material zero; viewport the whole target, depth 0..1.
struct D3DDeviceState {
  std::array<int32_t, D3DRS_COUNT> renderStates{};
  std::array<D3DStageState, D3DMAX_TEXTURESTAGES> stages;
  D3DMATRIX world, view, projection;
  std::array<D3DLIGHT8, D3DMAX_LIGHTS> lights;
  std::array<bool, D3DMAX_LIGHTS> lightEnabled{};
  D3DMATERIAL8 material;
  int32_t vertexShader = 0;  // the FVF code draws read
  std::shared_ptr<Direct3DVertexBuffer8> streamSource;
  int32_t streamStride = 0;
  D3DVIEWPORT8 viewport;

  void setDefaults(int32_t targetWidth, int32_t targetHeight);  // keeps nothing
};

// ---- recorded calls -------------------------------------------------------------------------------------
enum class D3DCallKind {
  TestCooperativeLevel, Reset, BeginScene, EndScene, Present, Clear,
  SetRenderState, SetTextureStageState, SetTexture, SetTransform, SetLight, LightEnable,
  SetMaterial, SetVertexShader, SetStreamSource, DrawPrimitive, DrawPrimitiveUP, SetViewport,
  CreateVertexBuffer, CreateTexture,
  RenderToSurfaceBegin, RenderToSurfaceEnd, SpriteBegin, SpriteDraw, SpriteEnd
};

// One device call. Arguments by kind (unused ones 0):
//   SetRenderState a = state, b = value; SetTextureStageState a = stage, b = state, c = value;
//   SetTexture a = stage, object = texture; SetTransform a = type, matrix; SetLight a = index,
//   light; LightEnable a = index, b = 1/0; SetMaterial material; SetVertexShader a = FVF;
//   SetStreamSource a = stream, b = stride, object = buffer; DrawPrimitive a = type, b = start,
//   c = count; DrawPrimitiveUP a = type, c = count, b = stride, bytes = the vertices;
//   Clear a = flags, color, z, b = stencil; SetViewport / RenderToSurfaceBegin viewport (as
//   used), object = surface; CreateVertexBuffer a = length, b = usage, c = FVF, d = pool;
//   CreateTexture a = width, b = height, c = format, object = texture; SpriteDraw object = texture, rect = source, color,
//   matrix._41/_42 = translation, _11/_22 = scaling, _33 = rotation.
struct D3DCall {
  D3DCallKind kind = D3DCallKind::Present;
  int32_t a = 0, b = 0, c = 0, d = 0;
  D3DCOLOR color = 0;
  float z = 0;
  const void* object = nullptr;
  D3DMATRIX matrix;
  D3DLIGHT8 light;
  D3DMATERIAL8 material;
  D3DVIEWPORT8 viewport;
  RECT rect;
  std::vector<uint8_t> bytes;
  HResult result = D3D_OK;
};
// "SetRenderState(D3DRS_FOGENABLE, 1)", "SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE)",
// "DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)", ...: enumerated values by name, colours in hex.
std::string describeCall(const D3DCall& call);
std::string renderStateName(D3DRENDERSTATETYPE state);
std::string stageStateName(D3DTEXTURESTAGESTATETYPE state);

// ---- the device ---------------------------------------------------------------------------------------
class Direct3DDevice8 {
 public:
  ~Direct3DDevice8();
  Direct3DDevice8(const Direct3DDevice8&) = delete;
  Direct3DDevice8& operator=(const Direct3DDevice8&) = delete;

  // D3D_OK while usable; D3DERR_DEVICELOST while lost; D3DERR_DEVICENOTRESET once it can be reset.
  HResult TestCooperativeLevel();
  // Re-applies the parameters (window size, full screen) and returns every state to its default;
  // the material and all resources (textures, buffers, render targets) survive.
  HResult Reset(D3DPRESENT_PARAMETERS& params);

  // Scenes are lenient: BeginScene inside a scene and EndScene outside one answer
  // D3DERR_INVALIDCALL and change nothing; clears and draws outside a scene still draw.
  HResult BeginScene();
  HResult EndScene();
  // Shows the back buffer. D3DERR_DEVICELOST while the device is lost.
  HResult Present();
  // Clears the current viewport of the current target: colour (ARGB), depth z (0..1), stencil.
  HResult Clear(int32_t flags, D3DCOLOR color, float z, int32_t stencil);

  HResult SetRenderState(D3DRENDERSTATETYPE state, int32_t value);
  int32_t GetRenderState(D3DRENDERSTATETYPE state) const;
  HResult SetTextureStageState(int32_t stage, D3DTEXTURESTAGESTATETYPE state, int32_t value);
  int32_t GetTextureStageState(int32_t stage, D3DTEXTURESTAGESTATETYPE state) const;
  // texture may be null (the stage then samples opaque white).
  HResult SetTexture(int32_t stage, const std::shared_ptr<Direct3DTexture8>& texture);
  HResult SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX& matrix);
  HResult GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX& matrix) const;
  HResult SetLight(int32_t index, const D3DLIGHT8& light);  // index 0..7
  HResult GetLight(int32_t index, D3DLIGHT8& light) const;
  HResult LightEnable(int32_t index, bool enable);
  HResult SetMaterial(const D3DMATERIAL8& material);
  HResult GetMaterial(D3DMATERIAL8& material) const;
  // The FVF code later draws read their vertex layout from.
  HResult SetVertexShader(int32_t fvf);
  HResult SetStreamSource(int32_t stream, const std::shared_ptr<Direct3DVertexBuffer8>& buffer, int32_t stride);
  HResult GetViewport(D3DVIEWPORT8& viewport) const;
  // Clamped to the current target; a depth range outside 0..1 (or empty) becomes 0..1.
  HResult SetViewport(const D3DVIEWPORT8& viewport);

  // Draws primitiveCount triangles from the stream source, starting at vertex startVertex.
  // D3DERR_INVALIDCALL when the vertices pass the buffer's end or the FVF has no position.
  HResult DrawPrimitive(D3DPRIMITIVETYPE type, int32_t startVertex, int32_t primitiveCount);
  // The same from user memory: vertexData holds the vertices at the given stride.
  HResult DrawPrimitiveUP(D3DPRIMITIVETYPE type, int32_t primitiveCount, const void* vertexData, int32_t stride);

  HResult CreateVertexBuffer(int32_t length, int32_t usage, int32_t fvf, D3DPOOL pool,
                             std::shared_ptr<Direct3DVertexBuffer8>& buffer);

  const D3DDeviceState& State() const { return state_; }
  const D3DPRESENT_PARAMETERS& PresentParameters() const { return params_; }
  int32_t BackBufferWidth() const { return backWidth_; }
  int32_t BackBufferHeight() const { return backHeight_; }
  bool InScene() const { return inScene_; }
  DeviceBackendKind BackendKind() const { return kind_; }
  // Draws the backend has handed to the driver since creation (merged draws count once).
  int64_t DriverDrawCalls() const;
  // Returns once the driver has finished drawing everything issued so far (benchmarks).
  void FinishDrawing();

  // ---- recording and test hooks ----
  void SetRecording(bool on);  // on from creation for the recording backend
  const std::vector<D3DCall>& RecordedCalls() const { return calls_; }
  void ClearRecordedCalls() { calls_.clear(); }
  // From now on TestCooperativeLevel answers DEVICELOST lostAnswers times, then DEVICENOTRESET
  // until Reset (lostAnswers 0 or less: DEVICENOTRESET at once); meanwhile Present answers
  // DEVICELOST and draws change no pixels.
  void SimulateDeviceLoss(int32_t lostAnswers = 1);
  // Consulted before each state-changing call or draw: a failure code it returns is that call's
  // answer and the call changes nothing. Empty hook: no injected failures.
  void SetFailureHook(std::function<HResult(const D3DCall&)> hook);
  // The current back buffer (before Present), top row first, ARGB. D3DERR_NOTAVAILABLE when
  // recording.
  HResult ReadBackBuffer(std::vector<uint32_t>& argb, int32_t& width, int32_t& height);
  // Level 0 of a texture (loaded or rendered), top row first, ARGB.
  HResult ReadTexture(const Direct3DTexture8& texture, std::vector<uint32_t>& argb);

  // ---- used by D3DX objects of this layer ----
  DeviceBackend& Backend() { return *backend_; }
  bool Lost() const { return lostState_ != 0; }
  // Render-to-surface: draws go to surface with viewport until EndRenderTarget.
  HResult BeginRenderTarget(const std::shared_ptr<Direct3DSurface8>& surface, const D3DVIEWPORT8& viewport,
                            const std::shared_ptr<BackendTexture>& depth);
  HResult EndRenderTarget();
  bool RecordingOn() const { return recording_; }
  HResult Record(D3DCall&& call);  // runs the failure hook, logs when recording; returns its answer
  HResult UploadTexture(Direct3DTexture8& texture, const uint32_t* argbTopDown);
  bool Owns(const Direct3DTexture8& texture) const;  // made by this device's backend

  Direct3DDevice8(DeviceBackendKind kind, std::unique_ptr<DeviceBackend> backend,
                  const D3DPRESENT_PARAMETERS& params, int32_t width, int32_t height);

 private:
  DeviceBackendKind kind_;
  std::unique_ptr<DeviceBackend> backend_;
  D3DPRESENT_PARAMETERS params_;
  int32_t backWidth_, backHeight_;
  D3DDeviceState state_;
  bool inScene_ = false;
  int32_t lostState_ = 0;  // 0 usable; > 0 lost answers left; -1 not reset
  bool recording_ = false;
  std::vector<D3DCall> calls_;
  std::function<HResult(const D3DCall&)> failureHook_;
  // render-to-surface nesting: the saved viewport of the back buffer
  std::shared_ptr<Direct3DSurface8> target_;
  D3DVIEWPORT8 savedViewport_;
};
