// DeviceFixture: a game folder of its own, a fresh player record (windowed 800 x 600 unless the
// test changes the options first) and the device made by initD3D on a window of its own, on the
// recording backend unless a test chooses OpenGL. DevMode is on (initD3D sees the value it has
// when makeDevice runs); the message log starts empty. TearDown releases the device and everything made on it.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Direct3D.h"
#include "platform/Window.h"
#include "tests/support/TempGameDir.h"

class DeviceFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // New player record, then initD3D on the window with the backend given.
  void makeDevice(DeviceBackendKind backend = DeviceBackendKind::Recording);
  // The calls recorded since the last clear.
  const std::vector<D3DCall>& calls() const;
  void clearCalls();
  // Lines of the message log, newest first.
  std::vector<std::string> logLines() const;
  bool logHas(const std::string& line) const;

  std::unique_ptr<TempGameDir> dir;
  std::unique_ptr<GameWindow> window;
};

// "SetRenderState(D3DRS_FOGENABLE, 1)"-style texts of the calls, for readable failures.
std::vector<std::string> describeCalls(const std::vector<D3DCall>& calls);
