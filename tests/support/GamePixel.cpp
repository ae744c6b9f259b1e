#include "tests/support/GamePixel.h"

#include "engine/CModelMonster.h"
#include "engine/CTextureMonster.h"
#include "engine/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"

bool startGamePixelDevice(int w, int h, std::unique_ptr<PixelDevice>& pd, std::unique_ptr<TempGameDir>& dir,
                          std::string* why) {
  pd = PixelDevice::create(w, h, why);
  if (!pd) return false;
  D3DDevice = pd->device();
  D3DX = std::make_shared<D3DX8>();
  dir = std::make_unique<TempGameDir>();
  installMessageLog();
  TexMon = std::make_shared<CTextureMonster>();
  ModelMon = std::make_shared<CModelMonster>();
  LoadDone = true;
  return true;
}
