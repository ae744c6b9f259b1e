// OpenGL backend of the device: the context on the game window, its set-up (programs, vertex
// array, stream ring, white texture), the device's objects (depth buffers, vertex buffers),
// clears, resets and presents, and the entry points the device and the window call. What the
// backend draws and its limits: GlBackend.h.
#include <cstring>

#include "platform/GlBackend.h"

namespace gldevice {
std::vector<GlContext*>& liveContexts() {
  static auto* list = new std::vector<GlContext*>();
  return *list;
}

bool GlBackend::init(const D3DPRESENT_PARAMETERS& params, int32_t width, int32_t height) {
  if (!window_.realize(width, height, !params.Windowed)) return false;
  ctx_ = std::make_shared<GlContext>();
  ctx_->window = static_cast<SDL_Window*>(window_.nativeWindow());
  ctx_->context = SDL_GL_CreateContext(ctx_->window);
  if (!ctx_->context) {
    reportFailure(D3DERR_NOTAVAILABLE, std::string("no OpenGL 3.3 core context: ") + SDL_GetError());
    return false;
  }
  SDL_GL_MakeCurrent(ctx_->window, ctx_->context);
  SDL_GL_SetSwapInterval(0);  // the frame cap is the game's own wait

  std::string log;
  if (!makeProgram(kGenericProgram, generic_, log)) {
    reportFailure(D3DERR_DRIVERINTERNALERROR, "shader build failed: " + log);
    return false;
  }
  program_ = generic_.program;
  glUseProgram(program_);
  currentProgram_ = program_;

  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &streamVbo_);
  if (SDL_GL_ExtensionSupported("GL_ARB_buffer_storage"))
    bufferStorage_ = reinterpret_cast<BufferStorageFn>(SDL_GL_GetProcAddress("glBufferStorage"));
  makeRing(kRingBytes);

  makeLayerPrograms();

  uint32_t white = 0xFFFFFFFFu;
  glGenTextures(1, &white_);
  glBindTexture(GL_TEXTURE_2D_ARRAY, white_);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA8, 1, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &white);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glDisable(GL_DITHER);

  backWidth_ = targetWidth_ = width;
  backHeight_ = targetHeight_ = height;
  backDepth_ = targetDepth_ = params.EnableAutoDepthStencil;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (glGetError() != GL_NO_ERROR) {
    reportFailure(D3DERR_DRIVERINTERNALERROR, "OpenGL set-up failed");
    return false;
  }
  return true;
}

GlBackend::~GlBackend() {
  if (!ctx_ || !ctx_->context) return;
  CurrentGuard guard(*ctx_);
  if (white_) glDeleteTextures(1, &white_);
  if (streamVbo_) glDeleteBuffers(1, &streamVbo_);
  if (ringVbo_) {
    glBindBuffer(GL_ARRAY_BUFFER, ringVbo_);
    if (ringMap_) glUnmapBuffer(GL_ARRAY_BUFFER);
    glDeleteBuffers(1, &ringVbo_);
  }
  for (GLsync f : ringFences_)
    if (f) glDeleteSync(f);
  deleteLayerPrograms();
  if (vao_) glDeleteVertexArrays(1, &vao_);
  if (program_) glDeleteProgram(program_);
  for (int32_t i = 0; i < programCount_; ++i)
    if (programs_[static_cast<size_t>(i)].program) glDeleteProgram(programs_[static_cast<size_t>(i)].program);
}

// Builds the stand-in's program for key into p (its uniform locations, samplers on units 0 and 1);
// false with the compiler's or linker's message in log.
bool GlBackend::makeProgram(uint64_t key, GlProgram& p, std::string& log) {
  p = GlProgram{};
  p.key = key;
  const std::string vsSource = programSource(key, true), fsSource = programSource(key, false);
  GLuint vs = compile(GL_VERTEX_SHADER, vsSource.c_str(), log);
  GLuint fs = vs ? compile(GL_FRAGMENT_SHADER, fsSource.c_str(), log) : 0;
  GLuint program = vs && fs ? link(vs, fs, log) : 0;
  if (vs) glDeleteShader(vs);
  if (fs) glDeleteShader(fs);
  if (!program) return false;
  p.program = program;
  auto u = [program](const char* name) { return glGetUniformLocation(program, name); };
  p.loc = Locations{u("uWorldView"), u("uProj"), u("uNormalMat"), u("uRhw"), u("uViewport"), u("uFlipY"),
                    u("uHasNormal"), u("uHasColor"), u("uLighting"), u("uNormalize"), u("uLightCount"),
                    u("uLightType"), u("uLightDiffuse"), u("uLightAmbient"), u("uLightPos"), u("uLightDir"),
                    u("uLightAtt"), u("uMatDiffuse"), u("uMatAmbient"), u("uMatEmissive"), u("uAmbient"),
                    u("uDiffuseFromVertex"), u("uAmbientFromVertex"), u("uFog"), u("uFogRange"), u("uTex0"),
                    u("uTex1"), u("uColorStage"), u("uAlphaStage"), u("uTFactor"), u("uFogColor"),
                    u("uFactorFromVertex"), u("uLayer1")};
  glUseProgram(program);
  glUniform1i(p.loc.tex0, 0);
  glUniform1i(p.loc.tex1, 1);
  currentProgram_ = program;
  return true;
}

HResult GlBackend::reset(const D3DPRESENT_PARAMETERS& params, int32_t width, int32_t height) {
  makeCurrent();
  flush();
  window_.applyMode(width, height, !params.Windowed);
  backWidth_ = width;
  backHeight_ = height;
  backDepth_ = params.EnableAutoDepthStencil;
  setRenderTarget(nullptr, nullptr, width, height);
  generic_.valid = false;
  for (GlProgram& p : programs_) p.valid = false;
  return D3D_OK;
}

HResult GlBackend::clear(const D3DVIEWPORT8& viewport, int32_t flags, D3DCOLOR color, float z, int32_t stencil) {
  makeCurrent();
  flush();
  int32_t y = flipped_ ? viewport.Y : targetHeight_ - viewport.Y - viewport.Height;
  glEnable(GL_SCISSOR_TEST);
  glScissor(viewport.X, y, viewport.Width, viewport.Height);
  GLbitfield mask = 0;
  if (flags & D3DCLEAR_TARGET) {
    float c[4];
    unpackColor(color, c);
    glClearColor(c[0], c[1], c[2], c[3]);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if ((flags & D3DCLEAR_ZBUFFER) && targetDepth_) {
    glDepthMask(GL_TRUE);
    glClearDepth(z);
    mask |= GL_DEPTH_BUFFER_BIT;
  }
  if ((flags & D3DCLEAR_STENCIL) && targetDepth_) {
    glStencilMask(0xFF);
    glClearStencil(stencil);
    mask |= GL_STENCIL_BUFFER_BIT;
  }
  if (mask) glClear(mask);
  glDisable(GL_SCISSOR_TEST);
  return D3D_OK;
}

HResult GlBackend::present() {
  makeCurrent();
  flush();
  if (targetFbo_ != 0) glBindFramebuffer(GL_FRAMEBUFFER, 0);
  SDL_GL_SwapWindow(ctx_->window);
  if (targetFbo_ != 0) glBindFramebuffer(GL_FRAMEBUFFER, targetFbo_);
  return D3D_OK;
}

std::shared_ptr<BackendTexture> GlBackend::createDepthBuffer(int32_t width, int32_t height) {
  makeCurrent();
  auto d = std::make_shared<GlDepth>();
  d->owner = this;
  d->ctx = ctx_;
  glGenRenderbuffers(1, &d->renderbuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, d->renderbuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
  return d;
}

std::shared_ptr<BackendBuffer> GlBackend::createBuffer(size_t bytes) {
  makeCurrent();
  auto b = std::make_shared<GlBuffer>();
  b->owner = this;
  b->ctx = ctx_;
  glGenBuffers(1, &b->vbo);
  glBindBuffer(GL_ARRAY_BUFFER, b->vbo);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_DYNAMIC_DRAW);
  return b;
}
}  // namespace gldevice

void releaseNativeWindow(void* sdlWindow) {
  auto* window = static_cast<SDL_Window*>(sdlWindow);
  bool used = false;
  for (gldevice::GlContext* c : gldevice::liveContexts())
    if (c->window == window) {
      c->ownsWindow = true;
      used = true;
    }
  if (used)
    SDL_HideWindow(window);
  else
    SDL_DestroyWindow(window);
}

std::unique_ptr<DeviceBackend> makeGlBackend(GameWindow& window, const D3DPRESENT_PARAMETERS& params, int32_t width,
                                             int32_t height) {
  auto backend = std::make_unique<gldevice::GlBackend>(window);
  if (!backend->init(params, width, height)) return nullptr;
  return backend;
}
