#include "engine/LoaderMod.h"

#include "engine/modDirectX.h"
#include "runtime/VbError.h"

std::shared_ptr<D3DXSprite> DxSprite;
bool LoadDone = false;

void LoadModels() {
  if (!D3DX) vbRaise(vberr::ObjectMissing);
  checkHResult(D3DX->CreateSprite(D3DDevice, DxSprite));
  LoadDone = true;
}
