#include "tests/support/DeviceFixture.h"

#include "campaign/CPlayer.h"
#include "engine/GeomMod.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "runtime/Trap.h"

void DeviceFixture::SetUp() {
  dir = std::make_unique<TempGameDir>();
  window = std::make_unique<GameWindow>();
  MsgLog.fill("");
  MsgCount = 0;
  installMessageLog();
  DevMode = true;
}

void DeviceFixture::TearDown() {
  ReleaseGeometry();
  DxSprite.reset();
  releaseDirectX();
  window.reset();
  setDeviceBackend(DeviceBackendKind::OpenGL);
  resetAdapterProfile();
  setScreenDpi(96, 96);
  setTrapSink(nullptr);
  Player.reset();
  DevMode = false;
  dir.reset();
}

void DeviceFixture::makeDevice(DeviceBackendKind backend) {
  setDeviceBackend(backend);
  const bool dev = DevMode;
  if (!Player) Player = std::make_shared<CPlayer>();  // reads the options, DevMode among them
  DevMode = dev;
  PendingEndScene = false;
  ScreenFxNeedsClear = false;
  DX = std::make_shared<DirectX8>();
  D3D = DX->Direct3DCreate();
  HWND h = window->hWnd();
  initD3D(h, Player->vRes, Player->vFullScreen, Player->vWideScreen);
  if (D3DDevice) D3DDevice->SetRecording(true);
  clearCalls();
}

const std::vector<D3DCall>& DeviceFixture::calls() const { return D3DDevice->RecordedCalls(); }

void DeviceFixture::clearCalls() {
  if (D3DDevice) D3DDevice->ClearRecordedCalls();
}

std::vector<std::string> DeviceFixture::logLines() const {
  std::vector<std::string> lines;
  for (int i = 0; i < MsgCount; ++i) lines.push_back(MsgLog[i]);
  return lines;
}

bool DeviceFixture::logHas(const std::string& line) const {
  for (const std::string& l : logLines())
    if (l == line) return true;
  return false;
}

std::vector<std::string> describeCalls(const std::vector<D3DCall>& calls) {
  std::vector<std::string> out;
  for (const D3DCall& c : calls) out.push_back(describeCall(c));
  return out;
}
