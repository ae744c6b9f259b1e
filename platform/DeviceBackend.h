// The function list every device backend implements (internal to platform/): the OpenGL one in
// the Gl*.cpp files (GlBackend.h) and the recording one in RecordingBackend.cpp. The device
// (Direct3D.cpp) keeps the state table and validates calls; a backend only turns resolved draws,
// clears and targets into pixels (or into nothing).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Direct3D.h"

class GameWindow;

class DeviceBackend;

// owner: the backend that made the object; a device uses only its own backend's objects.
struct BackendTexture {
  virtual ~BackendTexture() = default;
  const DeviceBackend* owner = nullptr;
};

struct BackendBuffer {
  virtual ~BackendBuffer() = default;
  const DeviceBackend* owner = nullptr;
  virtual void update(size_t offset, const void* data, size_t size) = 0;
};

// One draw, resolved by the device: the states in force, the primitive, and where the vertices
// are (a buffer at a byte offset, or user memory).
struct BackendDraw {
  const D3DDeviceState* state = nullptr;
  D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
  int32_t vertexCount = 0;
  int32_t fvf = 0;
  int32_t stride = 0;
  BackendBuffer* buffer = nullptr;   // null: vertices is user memory
  size_t byteOffset = 0;
  const uint8_t* vertices = nullptr;  // user memory, or the buffer's own bytes from byteOffset on
  bool sprite = false;               // drawn with the sprite's fixed blend (no state table reads)
};

class DeviceBackend {
 public:
  virtual ~DeviceBackend() = default;
  // The back buffer is width x height (client area or full-screen mode).
  virtual HResult reset(const D3DPRESENT_PARAMETERS& params, int32_t width, int32_t height) = 0;
  virtual HResult clear(const D3DVIEWPORT8& viewport, int32_t flags, D3DCOLOR color, float z, int32_t stencil) = 0;
  virtual HResult draw(const BackendDraw& draw) = 0;
  virtual HResult present() = 0;
  virtual std::shared_ptr<BackendTexture> createTexture(int32_t width, int32_t height, D3DFORMAT format) = 0;
  virtual HResult uploadTexture(BackendTexture& texture, int32_t width, int32_t height, const uint32_t* argbTopDown) = 0;
  virtual std::shared_ptr<BackendTexture> createDepthBuffer(int32_t width, int32_t height) = 0;
  virtual std::shared_ptr<BackendBuffer> createBuffer(size_t bytes) = 0;
  // Draws and clears go to color (with depth) until called again; null color: the back buffer.
  virtual HResult setRenderTarget(BackendTexture* color, BackendTexture* depth, int32_t width, int32_t height) = 0;
  // Pixels of color (null: the back buffer), top row first, ARGB.
  virtual HResult readPixels(BackendTexture* color, int32_t width, int32_t height, std::vector<uint32_t>& argb) = 0;
  // Draws handed to the driver so far (a merged run counts once).
  virtual int64_t drawCalls() const { return 0; }
  // Returns once the driver has finished every draw issued so far.
  virtual void finish() {}
};

// Makes the OpenGL backend on window (realizing it at width x height): null with
// lastErrorDescription() set when the window system or GL refuses.
std::unique_ptr<DeviceBackend> makeGlBackend(GameWindow& window, const D3DPRESENT_PARAMETERS& params,
                                             int32_t width, int32_t height);
std::unique_ptr<DeviceBackend> makeRecordingBackend();

// Called by a GameWindow that goes away: destroys its SDL window, or, while an OpenGL context of
// a device still draws on it, hides it and leaves it to that context to destroy last.
void releaseNativeWindow(void* sdlWindow);

// Sets the detail text of the failure being reported (lastErrorDescription) and returns hr.
HResult reportFailure(HResult hr, const std::string& detail);
void clearLastError();
