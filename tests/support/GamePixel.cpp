#include "tests/support/GamePixel.h"

#include "engine/CModelMonster.h"
#include "engine/CText.h"
#include "engine/GameGlobals.h"
#include "engine/CTextureMonster.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "runtime/Trap.h"

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

bool startInterfacePixelDevice(int w, int h, std::unique_ptr<PixelDevice>& pd, std::unique_ptr<TempGameDir>& dir,
                               std::string* why) {
  if (!startGamePixelDevice(w, h, pd, dir, why)) return false;
  checkHResult(D3DX->CreateSprite(D3DDevice, DxSprite));
  D3DDevice->SetRenderState(D3DRS_LIGHTING, 0);
  D3DDevice->SetRenderState(D3DRS_ZENABLE, 0);
  GameText = std::make_shared<CText>();
  ScreenWidth = w;
  ScreenHeight = h;
  return true;
}

void stopGamePixelDevice(std::unique_ptr<PixelDevice>& pd, std::unique_ptr<TempGameDir>& dir) {
  DxSprite.reset();
  if (ModelMon) ModelMon->ClearAll();
  ModelMon.reset();
  if (TexMon) TexMon->ClearAll();
  TexMon.reset();
  D3DX.reset();
  D3DDevice.reset();
  pd.reset();
  setTrapSink(nullptr);
  dir.reset();
  LoadDone = false;
}
