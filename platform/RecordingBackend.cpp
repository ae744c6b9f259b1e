// Recording backend: provides the device's function list without drawing anything, so that
// state-sequence tests run with no display and no GL. Limits: back-buffer reads answer
// D3DERR_NOTAVAILABLE; textures keep the pixels they were given, so ReadTexture works.
// Depends on nothing beyond the device layer.
#include <cstring>

#include "platform/DeviceBackend.h"

namespace {
struct RecordedTexture : BackendTexture {
  std::vector<uint32_t> pixels;
};

struct RecordedBuffer : BackendBuffer {
  void update(size_t, const void*, size_t) override {}
};

class RecordingBackend : public DeviceBackend {
  template <class T>
  std::shared_ptr<T> owned() {
    auto made = std::make_shared<T>();
    made->owner = this;
    return made;
  }

 public:
  HResult reset(const D3DPRESENT_PARAMETERS&, int32_t, int32_t) override { return D3D_OK; }
  HResult clear(const D3DVIEWPORT8&, int32_t, D3DCOLOR, float, int32_t) override { return D3D_OK; }
  HResult draw(const BackendDraw&) override { return D3D_OK; }
  HResult present() override { return D3D_OK; }
  std::shared_ptr<BackendTexture> createTexture(int32_t, int32_t, D3DFORMAT) override { return owned<RecordedTexture>(); }
  HResult uploadTexture(BackendTexture& texture, int32_t width, int32_t height, const uint32_t* argb) override {
    auto& t = static_cast<RecordedTexture&>(texture);
    t.pixels.assign(argb, argb + static_cast<size_t>(width) * height);
    return D3D_OK;
  }
  std::shared_ptr<BackendTexture> createDepthBuffer(int32_t, int32_t) override { return owned<RecordedTexture>(); }
  std::shared_ptr<BackendBuffer> createBuffer(size_t) override { return owned<RecordedBuffer>(); }
  HResult setRenderTarget(BackendTexture*, BackendTexture*, int32_t, int32_t) override { return D3D_OK; }
  HResult readPixels(BackendTexture* color, int32_t width, int32_t height, std::vector<uint32_t>& argb) override {
    auto* t = static_cast<RecordedTexture*>(color);
    if (!t || t->pixels.size() != static_cast<size_t>(width) * height)
      return reportFailure(D3DERR_NOTAVAILABLE, "the recording device keeps no pixels");
    argb = t->pixels;
    return D3D_OK;
  }
};
}  // namespace

std::unique_ptr<DeviceBackend> makeRecordingBackend() { return std::make_unique<RecordingBackend>(); }
