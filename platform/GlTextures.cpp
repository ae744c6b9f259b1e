// Textures and targets of the OpenGL backend: every texture is an array texture; uploaded textures
// of one size and alpha kind share arrays of about 2 MB, a layer each; a texture drawn into gets
// an array of its own with its picture copied; render targets are framebuffer objects drawn with
// y negated; back-buffer and target reads. Limits: level 0 only (no mipmaps); RGBA8 or RGB8.
#include <cstring>

#include "platform/GlBackend.h"

namespace gldevice {
// An array texture of layers x (width x height), RGBA or RGB (alpha read as 1); null on failure.
std::shared_ptr<GlArray> GlBackend::makeArray(int32_t width, int32_t height, bool alpha, int32_t layers) {
  auto a = std::make_shared<GlArray>();
  a->ctx = ctx_;
  a->width = width;
  a->height = height;
  a->alpha = alpha;
  a->used.assign(static_cast<size_t>(layers), 0);
  glGenTextures(1, &a->texture);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D_ARRAY, a->texture);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, alpha ? GL_RGBA8 : GL_RGB8, width, height, layers, 0, GL_BGRA,
               GL_UNSIGNED_BYTE, nullptr);
  if (!alpha) glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_SWIZZLE_A, GL_ONE);
  if (glGetError() != GL_NO_ERROR) return nullptr;
  return a;
}

// A texture starts with an array of its own; its first whole upload moves it to a layer of the
// shared arrays of its size and alpha kind, unless it has been a render target.
std::shared_ptr<BackendTexture> GlBackend::createTexture(int32_t width, int32_t height, D3DFORMAT format) {
  makeCurrent();
  auto t = std::make_shared<GlTexture>();
  t->owner = this;
  t->ctx = ctx_;
  t->array = makeArray(width, height, format == D3DFMT_A8R8G8B8, 1);
  if (!t->array) return nullptr;
  t->array->used[0] = 1;
  return t;
}

void GlBackend::moveToShared(GlTexture& t) {
  const int32_t width = t.array->width, height = t.array->height;
  const bool alpha = t.array->alpha;
  std::shared_ptr<GlArray> home;
  size_t layer = 0;
  for (auto& a : sharedArrays_) {
    if (a->width != width || a->height != height || a->alpha != alpha) continue;
    auto free = std::find(a->used.begin(), a->used.end(), 0);
    if (free == a->used.end()) continue;
    home = a;
    layer = static_cast<size_t>(free - a->used.begin());
    break;
  }
  if (!home) {
    // About 2 MB an array (1 to 64 layers): little memory held by layers not yet used.
    const int64_t bytes = int64_t{4} * width * height;
    const int32_t layers = static_cast<int32_t>(std::clamp<int64_t>((2 << 20) / std::max<int64_t>(bytes, 1), 1, 64));
    home = makeArray(width, height, alpha, layers);
    if (!home) return;  // the texture keeps its own array
    sharedArrays_.push_back(home);
  }
  home->used[layer] = 1;
  t.array = home;
  t.layer = static_cast<int32_t>(layer);
  t.pooled = true;
}

HResult GlBackend::uploadTexture(BackendTexture& texture, int32_t width, int32_t height, const uint32_t* argb) {
  makeCurrent();
  flush();
  auto& t = static_cast<GlTexture&>(texture);
  if (!t.pooled && !t.framebuffer && width == t.array->width && height == t.array->height) moveToShared(t);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D_ARRAY, t.array->texture);
  glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, t.layer, width, height, 1, GL_BGRA, GL_UNSIGNED_BYTE, argb);
  if (glGetError() != GL_NO_ERROR) return reportFailure(D3DERR_DRIVERINTERNALERROR, "texture upload failed");
  return D3D_OK;
}

// A texture drawn into gets an array of its own again (a shared array cannot be sampled while one
// of its layers is the target), its picture copied over.
GLuint GlBackend::framebufferOf(GlTexture& t) {
  if (t.pooled) {
    const int32_t w = t.array->width, h = t.array->height;
    std::shared_ptr<GlArray> own = makeArray(w, h, t.array->alpha, 1);
    if (own) {
      GLuint copy[2];
      glGenFramebuffers(2, copy);
      glBindFramebuffer(GL_READ_FRAMEBUFFER, copy[0]);
      glFramebufferTextureLayer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, t.array->texture, 0, t.layer);
      glBindFramebuffer(GL_DRAW_FRAMEBUFFER, copy[1]);
      glFramebufferTextureLayer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, own->texture, 0, 0);
      glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
      glBindFramebuffer(GL_FRAMEBUFFER, targetFbo_);
      glDeleteFramebuffers(2, copy);
      t.array->used[static_cast<size_t>(t.layer)] = 0;
      own->used[0] = 1;
      t.array = own;
      t.layer = 0;
      t.pooled = false;
    }
  }
  if (!t.framebuffer) {
    glGenFramebuffers(1, &t.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
    glFramebufferTextureLayer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, t.array->texture, 0, t.layer);
  }
  return t.framebuffer;
}

HResult GlBackend::setRenderTarget(BackendTexture* color, BackendTexture* depth, int32_t width, int32_t height) {
  makeCurrent();
  flush();
  if (!color) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    targetFbo_ = 0;
    targetWidth_ = backWidth_;
    targetHeight_ = backHeight_;
    targetDepth_ = backDepth_;
    flipped_ = false;
    return D3D_OK;
  }
  auto& t = static_cast<GlTexture&>(*color);
  GLuint fbo = framebufferOf(t);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  GLuint rb = depth ? static_cast<GlDepth*>(depth)->renderbuffer : 0;
  if (t.attachedDepth != rb) {
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, rb);
    t.attachedDepth = rb;
  }
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    glBindFramebuffer(GL_FRAMEBUFFER, targetFbo_);
    return reportFailure(D3DERR_DRIVERINTERNALERROR, "render target incomplete");
  }
  targetFbo_ = fbo;
  targetWidth_ = width;
  targetHeight_ = height;
  targetDepth_ = rb != 0;
  flipped_ = true;
  return D3D_OK;
}

HResult GlBackend::readPixels(BackendTexture* color, int32_t width, int32_t height, std::vector<uint32_t>& argb) {
  makeCurrent();
  flush();
  argb.assign(static_cast<size_t>(width) * height, 0);
  if (width <= 0 || height <= 0) return D3D_OK;
  if (color) {
    auto& t = static_cast<GlTexture&>(*color);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebufferOf(t));
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, argb.data());  // row 0 is the top
  } else {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    std::vector<uint32_t> rows(argb.size());
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    for (int32_t y = 0; y < height; ++y)
      std::memcpy(&argb[static_cast<size_t>(y) * width], &rows[static_cast<size_t>(height - 1 - y) * width],
                  static_cast<size_t>(width) * 4);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, targetFbo_);
  if (glGetError() != GL_NO_ERROR) return reportFailure(D3DERR_DRIVERINTERNALERROR, "pixel read failed");
  return D3D_OK;
}
}  // namespace gldevice
