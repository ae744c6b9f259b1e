#include "game/frmMain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "levels/CMap.h"
#include "platform/D3DX.h"
#include "platform/Timer.h"
#include "runtime/Trap.h"
#include "ships/CShip.h"
#include "tests/support/TempGameDir.h"

namespace {
// A millisecond clock that moves 1 ms per reading and by the time slept.
struct FakeClock {
  explicit FakeClock(uint32_t start) : now(start) {
    setTimeSourceForTests([this] { return now++; },
                          [this](uint32_t ms) {
                            now += ms;
                            slept += ms;
                          });
  }
  ~FakeClock() { setTimeSourceForTests({}); }
  uint32_t now;
  uint32_t slept = 0;
};
}  // namespace

// ---- frame timing ----

TEST(FrameTiming, MeasuresModulo2To32WithAFloor) {
  struct Case {
    uint32_t start, now;
    double expected;
  };
  for (Case c : {Case{1000, 1000, 0.001}, Case{1000, 1016, 0.016}, Case{0, 17, 0.017}, Case{0xFFFFFFF0u, 0x10, 0.032},
                 Case{0xFFFFFFFFu, 0, 0.001}, Case{5, 2005, 2.0}}) {
    EXPECT_DOUBLE_EQ(measureFrameTime(c.start, c.now), c.expected) << c.start << " -> " << c.now;
  }
}

TEST(FrameTiming, WaitEndsAtTheFirstReadingOf17ms) {
  EXPECT_TRUE(frameRateAboveCap(0.001));
  EXPECT_TRUE(frameRateAboveCap(0.016));  // 62.5 frames per second
  EXPECT_FALSE(frameRateAboveCap(0.017));  // 58.8
  EXPECT_FALSE(frameRateAboveCap(0.5));
}

TEST(FrameTiming, CapComesBeforeBulletTime) {
  EXPECT_DOUBLE_EQ(limitFrameTime(2.0, false), 0.5);
  EXPECT_DOUBLE_EQ(limitFrameTime(2.0, true), 0.1);
  EXPECT_DOUBLE_EQ(limitFrameTime(0.02, true), 0.004);
  EXPECT_DOUBLE_EQ(limitFrameTime(0.5, false), 0.5);
}

TEST(FrameTiming, WarmUpCountsToATenthOfASecond) {
  struct Case {
    double frame;
    int passes;  // the pass at whose end WarmedUp turns True
  };
  for (Case c : {Case{0.017, 6}, Case{0.0034, 30}, Case{0.1, 1}, Case{0.5, 1}}) {
    WarmUpTimer = 0;
    WarmedUp = false;
    int pass = 0;
    while (!WarmedUp && pass < 1000) {
      countWarmUp(c.frame);
      ++pass;
    }
    EXPECT_EQ(pass, c.passes) << c.frame;
  }
  const double before = WarmUpTimer;
  countWarmUp(1.0);  // no longer counted once warmed up
  EXPECT_EQ(WarmUpTimer, before);
  WarmUpTimer = 0;
  WarmedUp = false;
}

TEST(FrameTiming, WaitSleepsMostOfTheTimeAndEndsAt17ms) {
  for (uint32_t start : {1000u, 0xFFFFFFF8u}) {
    FakeClock clock(start);
    EXPECT_DOUBLE_EQ(waitFrameEnd(start), 0.017) << start;
    EXPECT_GE(clock.slept, 15u);  // only the last millisecond is spun
    EXPECT_EQ(uint32_t(clock.now - start), 18u);  // the 17 ms reading was the last
  }
}

TEST(FrameTiming, ASlowFrameDoesNotWait) {
  FakeClock clock(5000);
  EXPECT_DOUBLE_EQ(waitFrameEnd(5000 - 40), 0.040);
  EXPECT_EQ(clock.slept, 0u);
}

// ---- the loop on the recording device ----

namespace {
class MainLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setDeviceBackend(DeviceBackendKind::Recording);
    dir = std::make_unique<TempGameDir>();
    // A world of one node and nothing else: without a world the start-up stops.
    std::string node = "\"World!\"\r\n\"Title\"\r\n\"demoscene\"\r\n";
    for (int k = 0; k < 3; ++k) node += "0\r\n";
    node += "\"\"\r\n";
    for (int k = 0; k < 8; ++k) node += "0\r\n";
    for (int k = 0; k < 9; ++k) node += "#FALSE#\r\n";
    dir->write("\\maps\\world.pnd", node + "0\r\n\"eof\"\r\n");
    clock = std::make_unique<FakeClock>(100000);
    FrameTime = 0;
    WarmUpTimer = 0;
    WarmedUp = false;
    BulletTime = false;
    ScreenFxOn = false;
    SkyR = SkyG = SkyB = 0;
  }
  void TearDown() override {
    frmMain.afterFrameForTests = {};
    frmMain.beforePresentForTests = {};
    clock.reset();
    setDeviceBackend(DeviceBackendKind::OpenGL);
    delete CurMap;
    CurMap = nullptr;
    Player.reset();
    DevMode = false;
    BulletTime = false;
    BulletTimeCharge = 0;
    ScreenFxOn = false;
    dir.reset();
  }
  // Starts the program; after pass n, each hook runs; the window closes after pass `passes`.
  void run(Long passes, std::function<void(Long)> after = {}, std::function<void(Long)> beforePresent = {}) {
    frmMain.beforePresentForTests = std::move(beforePresent);
    frmMain.afterFrameForTests = [=, this](Long pass) {
      ++passesRun;
      if (pass == 1) {
        device = D3DDevice;
        DevMode = true;  // keep the unforced lines from here on
        MsgLog.fill("");
        MsgCount = 0;
      }
      if (after) after(pass);
      if (pass == passes) {
        Integer cancel = 0;
        frmMain.Form_Unload(cancel);
        cancelled = cancel;
      }
    };
    frmMain.Form_Load();
  }
  // Calls recorded so far in this pass (recording is on from the device's creation).
  static std::vector<D3DCall> recorded() { return D3DDevice->RecordedCalls(); }
  static bool logHas(const std::string& line) {
    return std::find(MsgLog.begin(), MsgLog.begin() + MsgCount, line) != MsgLog.begin() + MsgCount;
  }
  static int indexOf(const std::vector<D3DCall>& calls, D3DCallKind kind, int from = 0) {
    for (int i = from; i < int(calls.size()); ++i)
      if (calls[i].kind == kind) return i;
    return -1;
  }

  std::unique_ptr<TempGameDir> dir;
  std::unique_ptr<FakeClock> clock;
  std::weak_ptr<Direct3DDevice8> device;
  Long passesRun = 0;
  Integer cancelled = 0;
};
}  // namespace

TEST_F(MainLoopTest, StartUpThenFramesClearedToTheSkyUntilTheWindowCloses) {
  SkyR = 10.5f;  // rounded half to even
  SkyG = 11.5f;
  SkyB = 200;
  std::vector<D3DCall> first;
  double firstFrameTime = -1;
  run(3, {}, [&](Long pass) {
    if (pass == 1) {
      first = recorded();
      firstFrameTime = FrameTime;
    }
  });
  EXPECT_EQ(passesRun, 3);
  EXPECT_EQ(cancelled, vbTrue);
  EXPECT_FALSE(GameRunning);
  EXPECT_EQ(GameMode, pmPlay);
  EXPECT_EQ(firstFrameTime, 0);  // the first frame's update sees FrameTime 0

  // Start-up: the material, then the first transforms and states, then the frame.
  const int material = indexOf(first, D3DCallKind::SetMaterial);
  const int world = indexOf(first, D3DCallKind::SetTransform);
  // The loading screen's scenes come before the loop's first transforms.
  const int scene = indexOf(first, D3DCallKind::BeginScene, world);
  const int clear = indexOf(first, D3DCallKind::Clear, scene);
  ASSERT_GE(material, 0);
  ASSERT_GT(world, material);
  ASSERT_GT(scene, world);
  ASSERT_GT(clear, scene);
  EXPECT_EQ(first[world].a, D3DTS_WORLD);
  EXPECT_EQ(first[world + 1].a, D3DTS_VIEW);
  EXPECT_EQ(first[world + 2].a, D3DTS_PROJECTION);
  EXPECT_EQ(first[clear].a, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
  EXPECT_EQ(first[clear].color, D3DColorARGB(255, 10, 12, 200));
  EXPECT_EQ(first[clear].z, 1.0f);
  EXPECT_GE(indexOf(first, D3DCallKind::EndScene, clear), 0);
  EXPECT_EQ(first[indexOf(first, D3DCallKind::TestCooperativeLevel, world)].kind, D3DCallKind::TestCooperativeLevel);

  // First view and projection: look-at from (100, 450, 100); aspect 3/4 as height over width.
  // (In play the camera and the projection replace both in every frame.)
  D3DMATRIX view, proj;
  D3DXMatrixLookAtLH(view, D3DVECTOR{100, 450, 100}, D3DVECTOR{0, 0, 0}, D3DVECTOR{0, 1, 0});
  D3DXMatrixPerspectiveFovLH(proj, 800.0f / 600.0f, 0.75f, 1, 30000);
  const D3DMATRIX& firstView = first[world + 1].matrix;
  const D3DMATRIX& firstProj = first[world + 2].matrix;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      EXPECT_FLOAT_EQ(first[world].matrix.m[r][c], r == c ? 1.0f : 0.0f);
      EXPECT_FLOAT_EQ(firstView.m[r][c], view.m[r][c]);
      EXPECT_FLOAT_EQ(firstProj.m[r][c], proj.m[r][c]);
    }
  EXPECT_NEAR(firstProj.m[0][0] / firstProj.m[1][1], 4.0 / 3.0, 1e-6);

  // The end: device and DirectX objects released, nothing keeps the device alive.
  EXPECT_TRUE(device.expired());
  EXPECT_FALSE(D3DDevice);
  EXPECT_FALSE(D3DX);
  EXPECT_FALSE(D3D);
  EXPECT_FALSE(DX);
}

TEST_F(MainLoopTest, LightingAndFiltersBeforeTheFirstFrame) {
  run(1, [&](Long) {
    EXPECT_EQ(D3DDevice->GetRenderState(D3DRS_LIGHTING), 0);
    EXPECT_EQ(D3DDevice->GetTextureStageState(0, D3DTSS_MAGFILTER), D3DTEXF_LINEAR);
    EXPECT_EQ(D3DDevice->GetTextureStageState(0, D3DTSS_MINFILTER), D3DTEXF_LINEAR);
    EXPECT_EQ(D3DDevice->GetTextureStageState(0, D3DTSS_MIPFILTER), D3DTEXF_NONE);
  });
}

TEST_F(MainLoopTest, FrameTimeIsMeasuredCappedAndDividedInBulletTime) {
  std::vector<double> times;
  run(
      4,
      [&](Long pass) {
        times.push_back(FrameTime);
        if (pass == 2) {  // as the player's ship switches it on: with charge to spend
          BulletTime = true;
          BulletTimeCharge = 2.0;
        }
      },
      [&](Long pass) {
        if (pass == 3 || pass == 4) clock->now += 2000;  // a 2 s frame
        if (pass == 4) BulletTime = false;
      });
  ASSERT_EQ(times.size(), 4u);
  EXPECT_DOUBLE_EQ(times[0], 0.017);
  EXPECT_DOUBLE_EQ(times[1], 0.017);
  EXPECT_NEAR(times[2], 0.1, 1e-12);  // capped at 0.5, then / 5
  EXPECT_DOUBLE_EQ(times[3], 0.5);
}

TEST_F(MainLoopTest, WarmedUpAtTheEndOfThePassThatReachesATenth) {
  std::vector<bool> warm;
  run(7, [&](Long) { warm.push_back(WarmedUp); });
  EXPECT_EQ(warm, (std::vector<bool>{false, false, false, false, false, true, true}));
}

TEST_F(MainLoopTest, LostDeviceIsResetAndEverythingReloaded) {
  std::vector<D3DCall> frame;
  bool loadDoneAfter = false, warmAfter = true;
  size_t slotsBefore = 0, slotsAfter = 0;
  run(
      3,
      [&](Long pass) {
        if (pass == 1) {
          slotsBefore = TexSlots.size();
          // This folder has no media: the reload's missing files are not this test's lines.
          setTrapSink([](const std::string&) {});
          D3DDevice->ClearRecordedCalls();
          D3DDevice->SimulateDeviceLoss(3);
        }
        if (pass == 2) {
          loadDoneAfter = LoadDone;
          warmAfter = WarmedUp;
          slotsAfter = TexSlots.size();
        }
      },
      [&](Long pass) {
        if (pass == 2) frame = recorded();
      });
  // Three "lost" answers, then "not reset": the wait ends and the device is reset.
  int tests = 0;
  for (const D3DCall& c : frame)
    if (c.kind == D3DCallKind::TestCooperativeLevel) ++tests;
  EXPECT_EQ(tests, 4);
  const int reset = indexOf(frame, D3DCallKind::Reset);
  ASSERT_GE(reset, 0);
  EXPECT_LT(reset, indexOf(frame, D3DCallKind::BeginScene));
  EXPECT_TRUE(logHas("Resetting Device"));
  EXPECT_TRUE(logHas("Reset device!"));
  EXPECT_EQ(MsgLog[0], "Reset device!");
  EXPECT_EQ(MsgLog[1], "Resetting Device");
  setTrapSink(nullptr);
  // Caches emptied and reloaded at the same handles, start states again, warm-up restarted.
  EXPECT_GT(slotsBefore, 1u);
  EXPECT_EQ(slotsAfter, slotsBefore);
  EXPECT_TRUE(loadDoneAfter);
  EXPECT_FALSE(warmAfter);
  bool lightingOff = false;
  for (int i = reset; i < int(frame.size()); ++i)
    if (frame[i].kind == D3DCallKind::SetRenderState && frame[i].a == D3DRS_LIGHTING && frame[i].b == 0)
      lightingOff = true;
  EXPECT_TRUE(lightingOff);
  EXPECT_FALSE(DxSprite);  // released at the end with the device
}

TEST_F(MainLoopTest, NotResetAtTheFirstTestAlsoResets) {
  std::vector<D3DCall> frame;
  HResult after = D3DERR_DEVICELOST;
  run(2, [&](Long pass) {
    if (pass == 1) {
      setTrapSink([](const std::string&) {});  // no media here: the reload's missing files
      D3DDevice->SimulateDeviceLoss(1);
      D3DDevice->TestCooperativeLevel();  // the "lost" answer goes here; the frame sees "not reset"
      D3DDevice->ClearRecordedCalls();
    }
    if (pass == 2) {
      frame = recorded();
      after = D3DDevice->TestCooperativeLevel();
    }
  });
  setTrapSink(nullptr);
  EXPECT_GE(indexOf(frame, D3DCallKind::Reset), 0);
  EXPECT_TRUE(logHas("Reset device!"));
  const int present = indexOf(frame, D3DCallKind::Present);
  ASSERT_GE(present, 0);
  EXPECT_EQ(frame[present].result, D3D_OK);  // left alone, every later frame would fail here
  EXPECT_EQ(after, D3D_OK);
}

TEST_F(MainLoopTest, AFailedStatementSkipsOnlyItself) {
  std::vector<D3DCall> frame;
  run(3, [&](Long pass) {
    if (pass == 1) {
      D3DDevice->SetFailureHook([](const D3DCall& c) {
        return c.kind == D3DCallKind::BeginScene || c.kind == D3DCallKind::Clear ? D3DERR_INVALIDCALL : D3D_OK;
      });
      D3DDevice->ClearRecordedCalls();
    }
    if (pass == 2) {
      frame = recorded();
      D3DDevice->SetFailureHook({});
    }
  });
  EXPECT_EQ(passesRun, 3);
  const int present = indexOf(frame, D3DCallKind::Present);
  ASSERT_GE(present, 0);  // the frame went on past the failed scene and clear
  EXPECT_EQ(frame[present].result, D3D_OK);
}

TEST_F(MainLoopTest, EffectSceneBeginsOnTheHalfSizeViewport) {
  // The title's map, so the title runs its scene: no ground, no structures, only a sky.
  std::string map = "\"M\"\r\n1,0,2\r\n";
  for (int k = 0; k < 12; ++k) map += "0,10,\"\",0,0\r\n";
  for (int k = 0; k < 32; ++k) map += "0,0,0\r\n-1\r\n0\r\n";
  dir->write("\\maps\\demoscene.pnd", map + "60,70,120\r\n");
  std::vector<D3DCall> frame;
  run(
      2,
      [&](Long pass) {
        if (pass == 1) {
          ScreenFxOn = true;
          D3DDevice->ClearRecordedCalls();
        }
        if (pass == 2) {
          ScreenFxOn = false;
          ScreenFxRTS->EndScene();
        }
      },
      [&](Long pass) {
        if (pass == 2) frame = recorded();
      });
  const int begin = indexOf(frame, D3DCallKind::RenderToSurfaceBegin);
  ASSERT_GE(begin, 0);
  EXPECT_LT(begin, indexOf(frame, D3DCallKind::BeginScene));
  const D3DVIEWPORT8& vp = frame[begin].viewport;
  EXPECT_EQ(vp.X, 0);
  EXPECT_EQ(vp.Y, 0);
  EXPECT_EQ(vp.Width, 400);
  EXPECT_EQ(vp.Height, 300);
  EXPECT_EQ(vp.MinZ, 0);
  EXPECT_EQ(vp.MaxZ, 1);
}

TEST_F(MainLoopTest, ClosingTheWindowEndsTheLoopAfterThatPass) {
  run(50, [&](Long pass) {
    if (pass == 2) frmMain.window().postClose();
  });
  EXPECT_EQ(passesRun, 3);  // the close arrives in pass 3's yield; that pass still finishes
  EXPECT_FALSE(GameRunning);
}
