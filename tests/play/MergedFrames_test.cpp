// Frames of the real main loop drawn with the device's draw merging off (every call its own draw,
// the reference) and on (merged draws through the stream ring, additive screen rectangles summed
// in one pass) are the same picture: the title scene with its effect, flight over "losgatos" with
// its population, and a busy flight of 128 ships and a full sprite pool. Each run starts from the
// same random seed and clock, so the two runs draw the same scene.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "engine/GameGlobals.h"
#include "engine/modDirectX.h"
#include "game/GameMod.h"
#include "runtime/Numbers.h"
#include "game/frmLaunch.h"
#include "game/frmMain.h"
#include "interface/CInterface.h"
#include "platform/Direct3D.h"
#include "runtime/Rnd.h"
#include "tests/support/FrameScenes.h"
#include "tests/support/GameRunFixture.h"
#include "tests/support/PixelDevice.h"

namespace {
enum class Scene { Title, Flight, Busy };

struct Difference {
  int largest = 0;    // largest channel difference
  size_t beyond = 0;  // pixels with a channel more than 8 apart
  double mean = 0;    // mean channel difference
};

Difference compare(const PixelImage& a, const PixelImage& b) {
  Difference d;
  for (size_t i = 0; i < a.argb.size() && i < b.argb.size(); ++i) {
    int worst = 0;
    for (int shift : {0, 8, 16}) {
      int x = static_cast<int>((a.argb[i] >> shift) & 0xFF), y = static_cast<int>((b.argb[i] >> shift) & 0xFF);
      worst = std::max(worst, std::abs(x - y));
      d.mean += std::abs(x - y);
    }
    d.largest = std::max(d.largest, worst);
    d.beyond += worst > 8;
  }
  d.mean /= 3.0 * std::max<size_t>(1, std::min(a.argb.size(), b.argb.size()));
  return d;
}

// QV_SAVE_FRAMES=folder keeps the pictures as PPM files for a look.
void save(const PixelImage& image, const std::string& name) {
  const char* folder = std::getenv("QV_SAVE_FRAMES");
  if (!folder) return;
  std::ofstream out(std::string(folder) + "/" + name + ".ppm", std::ios::binary);
  out << "P6\n" << image.width << " " << image.height << "\n255\n";
  for (uint32_t c : image.argb) out << char((c >> 16) & 0xFF) << char((c >> 8) & 0xFF) << char(c & 0xFF);
}

class MergedFramesTest : public GameRunTest, public ::testing::WithParamInterface<Scene> {};

// Draws the frame's render once more, as the main loop does after its update: the effect surface
// when the effect is on, the scene, the sky clear and the game's render.
void renderAgain() {
  if (ScreenFxOn) {
    D3DVIEWPORT8 vp;
    vp.Width = ScreenFxHalf ? CLng(ScreenWidth / 2.0) : ScreenWidth;
    vp.Height = ScreenFxHalf ? CLng(ScreenHeight / 2.0) : ScreenHeight;
    vp.MinZ = 0;
    vp.MaxZ = 1;
    checkHResult(ScreenFxRTS->BeginScene(ScreenFxSurf, vp));
  }
  D3DDevice->BeginScene();  // inside the effect surface's scene it answers "inside a scene", as in the main loop
  checkHResult(D3DDevice->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DColorARGB(255, CLng(SkyR), CLng(SkyG), CLng(SkyB)),
                                1.0f, 0));
  doRender();
  checkHResult(D3DDevice->EndScene());
}

// One frame's render drawn three times more after the main loop drew it, from the same state and
// random numbers: with merging off, on, and off again. The interface animates a little on every
// render (sliding panels, the ticker), so the two separate pictures, two renders apart, bound the
// difference that is not the merging's.
TEST_P(MergedFramesTest, MergedDrawsShowTheSamePictureAsSeparateOnes) {
  const Scene scene = GetParam();
  FakeGameClock clock;
  constexpr Long Compared = 6;
  constexpr uint32_t Seed = 4242;
  Double phase = 0;
  Integer lights = -1;
  std::vector<CSprite> sprites;  // one-frame kinds end themselves when drawn
  bool seeded = false;
  PixelImage separate, again, merged;
  // Renders the frame again from the state its own render started from: the random numbers, the
  // effect's phase, the frame's lights and the sprites.
  auto renderFrom = [&](bool merging, PixelImage& picture) {
    setDrawBatching(merging);
    setRndSeedForTests(Seed);
    ScreenFxPhase = phase;
    LastDynaLight = lights;
    Sprites = sprites;
    try {
      renderAgain();
    } catch (const std::exception& e) {
      ADD_FAILURE() << "render: " << e.what();
    }
    D3DDevice->ReadBackBuffer(picture.argb, picture.width, picture.height);
  };
  frmMain.beforePresentForTests = [&](Long pass) {
    if (pass != Compared) return;
    D3DDevice->SetFailureHook({});
    renderFrom(false, separate);
    renderFrom(true, merged);
    renderFrom(false, again);
    setDrawBatching(true);
  };
  frmMain.afterFrameForTests = [&](Long pass) {
    if (pass == 1) {
      GameInterface->DemoOverFrame = 10;  // past the title's opening fades from black
      GameInterface->DemoSceneMode = 1;
      if (scene == Scene::Flight) {
        EXPECT_TRUE(frame_scenes::startFlightScene());
      }
      if (scene == Scene::Busy) {
        EXPECT_EQ(frame_scenes::startBusyScene(), frame_scenes::BusyShips);
      }
    }
    if (scene == Scene::Busy) frame_scenes::topUpBusySprites();
    if (pass == Compared - 1) {
      setDrawBatching(false);
      // The render starts at the first scene of the frame: the random numbers start there.
      D3DDevice->SetFailureHook([&](const D3DCall& call) {
        if (!seeded && (call.kind == D3DCallKind::BeginScene || call.kind == D3DCallKind::RenderToSurfaceBegin)) {
          seeded = true;
          setRndSeedForTests(Seed);
          phase = ScreenFxPhase;
          lights = LastDynaLight;
          sprites = Sprites;
        }
        return D3D_OK;
      });
    }
    if (pass == Compared) {
      Integer cancel = 0;
      frmMain.Form_Unload(cancel);
    }
  };
  frmMain.Form_Load();
  setDrawBatching(true);
  clearRndTestSeed();

  ASSERT_FALSE(separate.argb.empty());
  ASSERT_EQ(separate.argb.size(), merged.argb.size());
  const char* names[] = {"title", "flight", "busy"};
  const std::string name = names[static_cast<int>(scene)];
  save(separate, name + "-separate");
  save(merged, name + "-merged");
  save(again, name + "-again");
  const Difference d = compare(separate, merged), base = compare(separate, again);
  std::printf("%s: merged against separate: largest channel difference %d, mean %.2f, %zu of %zu pixels more than 8"
              " apart; separate against separate: %d, %.2f, %zu\n",
              name.c_str(), d.largest, d.mean, d.beyond, merged.argb.size(), base.largest, base.mean, base.beyond);
  // Merged world-space draws are moved on the CPU, so an edge pixel may fall to the other side.
  // The title's effect is summed at every second pixel and interpolated between: sharp details of
  // its picture (up to 2 % of the pixels) may differ by more than 8, the mean stays within a level.
  const size_t allowed = scene == Scene::Title ? merged.argb.size() / 50 : merged.argb.size() / 2000;
  EXPECT_LE(d.beyond, base.beyond + allowed);
  EXPECT_LE(d.mean, base.mean + 1.0);
  size_t lit = 0;
  for (uint32_t c : merged.argb) lit += (c & 0xFFFFFF) != 0;
  EXPECT_GT(lit, merged.argb.size() / 2) << "the scene is drawn";
}

INSTANTIATE_TEST_SUITE_P(Scenes, MergedFramesTest, ::testing::Values(Scene::Title, Scene::Flight, Scene::Busy),
                         [](const ::testing::TestParamInfo<Scene>& info) {
                           return info.param == Scene::Title ? "Title" : info.param == Scene::Flight ? "Flight" : "Busy";
                         });
}  // namespace
