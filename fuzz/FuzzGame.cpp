#include "fuzz/FuzzGame.h"

#include <exception>
#include <filesystem>
#include <memory>

#include "campaign/CPlayer.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "platform/Direct3D.h"
#include "platform/Window.h"
#include "runtime/Paths.h"
#include "tests/support/TempGameDir.h"

namespace fs = std::filesystem;

namespace {
TempGameDir* dir = nullptr;
}

void fuzzGameDir() {
  if (dir) return;
  LogEcho = nullptr;
  dir = new TempGameDir();
  // The default text data only: the media are not read by the text readers.
  const fs::path from = QV_FUZZ_GAME_DIR;
  for (const char* folder : {"data", "maps", "ships", "structures", "missions"}) {
    std::error_code ec;
    fs::copy(from / folder, fs::path(dir->path()) / folder, fs::copy_options::recursive, ec);
  }
  installMessageLog();
}

void fuzzWrite(const std::string& gamePath, const uint8_t* data, size_t size) {
  fuzzWrite(gamePath, std::string(reinterpret_cast<const char*>(data), size));
}

void fuzzWrite(const std::string& gamePath, const std::string& bytes) {
  fuzzGameDir();
  dir->write(gamePath, bytes);
}

void fuzzRun(const std::function<void()>& reader) {
  try {
    reader();
  } catch (const std::exception&) {
  }
}

void fuzzDevice() {
  if (D3DDevice) return;
  fuzzGameDir();
  static GameWindow* window = new GameWindow();
  setDeviceBackend(DeviceBackendKind::Recording);
  if (!Player) Player = std::make_shared<CPlayer>();
  DX = std::make_shared<DirectX8>();
  D3D = DX->Direct3DCreate();
  HWND h = window->hWnd();
  initD3D(h, Player->vRes, Player->vFullScreen, Player->vWideScreen);
}
