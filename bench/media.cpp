// Media on the OpenGL device (headless under SDL_VIDEODRIVER=offscreen), 800 x 600:
// LoadAllMedia: every model and texture of the default content through the caches, with the
// loading screen drawn as at start-up; the goal is under 2 s.
// Billboards1024: one frame of 1024 additive camera-facing billboards (DrawVBBill with the flare
// texture) between BeginScene and Present; the goal is under 16.7 ms. Billboards1024ReadBack
// ends the frame by reading the back buffer instead, so the software renderer has surely
// finished every pixel.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/BillMod.h"
#include "engine/CModelMonster.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "engine/GeomMod.h"
#include "game/LoaderMod.h"
#include "engine/modDirectX.h"
#include "levels/CMap.h"
#include "platform/D3DX.h"
#include "platform/Window.h"
#include "runtime/Paths.h"
#include "ships/CShipDef.h"

namespace {
constexpr int Width = 800, Height = 600;

// The device and the game's media globals on it; everything released at the end.
struct MediaScene {
  std::unique_ptr<GameWindow> window;

  MediaScene() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setAppPath(QV_TEST_GAME_DIR);
    window = std::make_unique<GameWindow>();
    D3DPRESENT_PARAMETERS pp;
    pp.Windowed = true;
    pp.BackBufferWidth = Width;
    pp.BackBufferHeight = Height;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.hDeviceWindow = window->hWnd();
    pp.EnableAutoDepthStencil = true;
    pp.AutoDepthStencilFormat = D3DFMT_D24X8;
    D3D = DirectX8().Direct3DCreate();
    D3D->CreateDevice(0, D3DDEVTYPE_HAL, window->hWnd(), D3DCREATE_HARDWARE_VERTEXPROCESSING, pp, D3DDevice);
    if (!D3DDevice) return;
    D3DX = std::make_shared<D3DX8>();
    ScreenWidth = Width;
    ScreenHeight = Height;
    TexMon = std::make_shared<CTextureMonster>();
    ModelMon = std::make_shared<CModelMonster>();
    GameText = std::make_shared<CText>();
    CurMap = new CMap();
    loadShipDefs();
    LoadCharDefs();
    InitGeometry();
  }
  ~MediaScene() {
    ReleaseGeometry();
    if (ModelMon) ModelMon->ClearAll();
    if (TexMon) TexMon->ClearAll();
    ModelMon.reset();
    TexMon.reset();
    GameText.reset();
    DxSprite.reset();
    delete CurMap;
    CurMap = nullptr;
    ShipDefs.clear();
    D3DX.reset();
    D3DDevice.reset();
    D3D.reset();
  }
  bool ok() const { return D3DDevice != nullptr; }

  // The start-up load from empty caches, loading screen included.
  void loadAll() {
    ModelMon->ClearAll();
    TexMon->ClearAll();
    LoadDone = false;
    LoadCount = 0;
    LoadModels();
  }
};

void LoadAllMedia(benchmark::State& state) {
  MediaScene scene;
  if (!scene.ok()) {
    state.SkipWithError(("no OpenGL device: " + lastErrorDescription()).c_str());
    return;
  }
  for (auto _ : state) scene.loadAll();
  state.counters["textures"] = static_cast<double>(TexSlots.size());
  state.counters["models"] = static_cast<double>(ModelSlots.size());
  state.counters["steps"] = LoadCount;
}
BENCHMARK(LoadAllMedia)->Unit(benchmark::kMillisecond)->Iterations(3);

// 1024 billboards on a 32 x 32 grid in front of the camera, each about 23 pixels across.
void drawBillboards(Direct3DDevice8& dev, const std::shared_ptr<Direct3DTexture8>& flare) {
  dev.BeginScene();
  dev.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DColorARGB(255, 20, 30, 60), 1.0f, 0);
  getBillFace();
  dev.SetRenderState(D3DRS_ZWRITEENABLE, 0);
  for (int i = 0; i < 1024; ++i) {
    Integer r = 255, g = static_cast<Integer>(128 + i % 128), b = 64;
    const D3DVECTOR pos{(i % 32 - 15.5f) * 60, (i / 32 - 15.5f) * 45, static_cast<Single>((i * 7) % 200)};
    DrawVBBill(pos, 2.0f, flare, r, g, b, static_cast<Single>(i % 7));
  }
  dev.SetRenderState(D3DRS_ZWRITEENABLE, 1);
  dev.EndScene();
}

bool setUpBillboards(benchmark::State& state, MediaScene& scene, std::shared_ptr<Direct3DTexture8>& flare) {
  if (!scene.ok()) {
    state.SkipWithError(("no OpenGL device: " + lastErrorDescription()).c_str());
    return false;
  }
  LoadDone = true;
  flare = TexSlots[static_cast<size_t>(TexMon->getTextureNumber("flare.bmp"))].object;
  CamEye = D3DVECTOR{0, 100, -1500};
  CamTarget = D3DVECTOR{0, 0, 0};
  CamHeading = getAngle(CamEye.x, CamEye.z, CamTarget.x, CamTarget.z);
  D3DMATRIX view, proj;
  D3DXMatrixLookAtLH(view, CamEye, CamTarget, D3DVECTOR{0, 1, 0});
  D3DXMatrixPerspectiveFovLH(proj, 1.0f, float(Width) / Height, 1, 30000);
  Direct3DDevice8& dev = device();
  dev.SetTransform(D3DTS_VIEW, view);
  dev.SetTransform(D3DTS_PROJECTION, proj);
  dev.SetRenderState(D3DRS_LIGHTING, 0);
  dev.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  return true;
}

void Billboards1024(benchmark::State& state) {
  MediaScene scene;
  std::shared_ptr<Direct3DTexture8> flare;
  if (!setUpBillboards(state, scene, flare)) return;
  Direct3DDevice8& dev = device();
  for (auto _ : state) {
    drawBillboards(dev, flare);
    dev.Present();
  }
}
BENCHMARK(Billboards1024)->Unit(benchmark::kMillisecond);

void Billboards1024ReadBack(benchmark::State& state) {
  MediaScene scene;
  std::shared_ptr<Direct3DTexture8> flare;
  if (!setUpBillboards(state, scene, flare)) return;
  Direct3DDevice8& dev = device();
  std::vector<uint32_t> pixels;
  int32_t w = 0, h = 0;
  for (auto _ : state) {
    drawBillboards(dev, flare);
    dev.ReadBackBuffer(pixels, w, h);
    dev.Present();
  }
}
BENCHMARK(Billboards1024ReadBack)->Unit(benchmark::kMillisecond);
}  // namespace
