// LoaderMod: the game's media loading. This far only what the start-up and the device reset need:
// LoadModels creates the D3DX sprite object DxSprite and marks the load done; the model, texture,
// sound, font and character-table loads and the loading screen come with the media work.
#pragma once
#include <memory>

#include "platform/D3DX.h"

extern std::shared_ptr<D3DXSprite> DxSprite;  // the 2-D sprite object of all interface drawing
extern bool LoadDone;                         // False until LoadModels has finished once

// The whole model and texture load: at the start of play and after a device reset, which first
// empties both caches. Raises a VbError when the device refuses.
void LoadModels();
