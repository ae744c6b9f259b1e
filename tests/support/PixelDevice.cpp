// Pixel-test support: headless device creation, read-back and tolerant comparisons.
#include "tests/support/PixelDevice.h"

#include <cstdio>
#include <cstdlib>

namespace {
std::string hexColour(uint32_t c) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", c);
  return text;
}

bool near(uint32_t got, uint32_t want, int tolerance, bool checkAlpha) {
  Rgba g = rgbaOf(got), w = rgbaOf(want);
  return std::abs(g.r - w.r) <= tolerance && std::abs(g.g - w.g) <= tolerance && std::abs(g.b - w.b) <= tolerance &&
         (!checkAlpha || std::abs(g.a - w.a) <= tolerance);
}
}  // namespace

Rgba PixelImage::at(int32_t x, int32_t y) const {
  if (!inside(x, y)) return Rgba{};
  return rgbaOf(argb[static_cast<size_t>(y) * width + x]);
}

::testing::AssertionResult pixelNear(const PixelImage& image, int32_t x, int32_t y, uint32_t expectedArgb,
                                     int tolerance, bool checkAlpha) {
  if (!image.inside(x, y)) return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is outside";
  uint32_t got = image.argb[static_cast<size_t>(y) * image.width + x];
  if (near(got, expectedArgb, tolerance, checkAlpha)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << hexColour(got) << ", expected "
                                       << hexColour(expectedArgb) << " +-" << tolerance;
}

::testing::AssertionResult regionNear(const PixelImage& image, const RECT& r, uint32_t expectedArgb, int tolerance,
                                      bool checkAlpha) {
  int bad = 0;
  int32_t firstX = 0, firstY = 0;
  uint32_t firstGot = 0;
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) {
      if (!image.inside(x, y)) return ::testing::AssertionFailure() << "region passes the image";
      uint32_t got = image.argb[static_cast<size_t>(y) * image.width + x];
      if (!near(got, expectedArgb, tolerance, checkAlpha) && bad++ == 0) {
        firstX = x;
        firstY = y;
        firstGot = got;
      }
    }
  if (bad == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bad << " pixels of (" << r.left << ", " << r.top << ")-(" << r.right << ", "
                                       << r.bottom << ") differ from " << hexColour(expectedArgb) << ", first ("
                                       << firstX << ", " << firstY << ") = " << hexColour(firstGot);
}

std::unique_ptr<PixelDevice> PixelDevice::create(int32_t width, int32_t height, std::string* error) {
  std::unique_ptr<PixelDevice> p(new PixelDevice());
  setDeviceBackend(DeviceBackendKind::OpenGL);
  resetAdapterProfile();
  p->window_ = std::make_unique<GameWindow>();
  p->window_->setWidth(width * 15);
  p->window_->setHeight((height + 25) * 15);
  DirectX8 dx;
  p->d3d_ = dx.Direct3DCreate();
  D3DPRESENT_PARAMETERS pp;
  pp.Windowed = true;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.hDeviceWindow = p->window_->hWnd();
  pp.EnableAutoDepthStencil = true;
  pp.AutoDepthStencilFormat = D3DFMT_D24X8;
  pp.BackBufferWidth = width;
  pp.BackBufferHeight = height;
  HResult hr = p->d3d_->CreateDevice(0, D3DDEVTYPE_HAL, p->window_->hWnd(), D3DCREATE_HARDWARE_VERTEXPROCESSING, pp,
                                     p->device_);
  if (FAILED(hr)) {
    if (error) *error = describeHResult(hr) + ": " + lastErrorDescription();
    return nullptr;
  }
  return p;
}

PixelDevice::~PixelDevice() {
  device_.reset();
  d3d_.reset();
  window_.reset();
}

PixelImage PixelDevice::readBack() {
  PixelImage image;
  HResult hr = device_->ReadBackBuffer(image.argb, image.width, image.height);
  EXPECT_EQ(hr, D3D_OK) << lastErrorDescription();
  return image;
}

PixelImage PixelDevice::readTexture(const Direct3DTexture8& texture) {
  PixelImage image;
  image.width = texture.Width();
  image.height = texture.Height();
  HResult hr = device_->ReadTexture(texture, image.argb);
  EXPECT_EQ(hr, D3D_OK) << lastErrorDescription();
  return image;
}

std::shared_ptr<Direct3DTexture8> PixelDevice::makeTexture(int32_t width, int32_t height,
                                                           const std::vector<uint32_t>& argb, D3DFORMAT format) {
  std::shared_ptr<Direct3DTexture8> texture;
  HResult hr = d3dx_.CreateTexture(device_, width, height, 1, 0, format, D3DPOOL_MANAGED, texture);
  EXPECT_EQ(hr, D3D_OK) << lastErrorDescription();
  if (texture) {
    EXPECT_EQ(device_->UploadTexture(*texture, argb.data()), D3D_OK);
  }
  return texture;
}
