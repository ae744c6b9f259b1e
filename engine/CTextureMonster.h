// CTextureMonster: the texture cache (one instance, TexMon). A texture file under "\gfx\" is
// loaded the first time its name is asked for; later requests return the same Integer handle.
// Handles index the slot table TexSlots, which drawing code reads directly: the first distinct
// name gets handle 0, the next new name 1, and so on in first-request order. Names are compared
// exactly (case matters).
//
// Pixel format: names ending in exactly "dds" (lower case) load with their alpha
// (D3DFMT_A8R8G8B8), every other name opaque (D3DFMT_R8G8B8). A missing or unreadable texture is
// logged ("Error in LoadTex: (" + name + ")" + the reason) and keeps its handle with no texture.
// While a media batch is open (engine/MediaBatch.h) the file is read on a worker thread: the
// handle is given at once, the slot's texture (or the message) comes when the load finishes.
//
// Device reset: the main loop calls ClearAll on both caches and then LoadModels. ClearAll
// remembers what the cache held; at its end LoadModels calls restoreCleared, which loads every
// remembered name that the reload did not ask for again into its old handle, so handles given out
// after the start-up load (sky textures of a level, replaced portraits) keep their textures.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/Direct3D.h"
#include "runtime/Numbers.h"

// One slot of TexSlots.
struct TexCacheSlot {
  std::shared_ptr<Direct3DTexture8> object;
  bool used = false;
};

// Created with one unused slot (handle 0); grows by one slot at a time.
extern std::vector<TexCacheSlot> TexSlots;

class CTextureMonster {
 public:
  CTextureMonster();
  // Releases every texture and empties the cache: TexSlots is one unused slot again and the next
  // new name gets handle 0; handles given out before are void.
  void ClearAll();
  // Reloads the texture of handle from appPath + path (path carries its own folder, e.g.
  // "\gfx\portraits\zom2.bmp"), always opaque; the handle's name becomes path. Raises nothing: a
  // failed load leaves the handle without a texture and is logged ("Error in forceReplace: ").
  void forceReplace(Integer handle, const std::string& path);
  // The handle of "\gfx\" + name, loading it on the first request. While LoadDone is False every
  // request also goes into the loading-screen ring (AddLoadMsg).
  Integer getTextureNumber(const std::string& name);
  // The texture of a handle (none when its file failed). Subscript error for a handle outside the
  // cache.
  std::shared_ptr<Direct3DTexture8> getTexture(Integer handle) const;
  // After ClearAll and a reload: every name held before the clear that is not already back at its
  // own handle is loaded there again. Called by LoadModels; nothing to do after a first load.
  void restoreCleared();

 private:
  struct Entry {
    std::string name;
    Integer slot = 0;
    bool taken = false;   // the entry holds a name (entry 0 starts free)
    bool forced = false;  // name is a path given to forceReplace
  };
  Integer findFreeTexSlot();
  void LoadTex(Integer handle, const std::string& name);
  void loadForced(Integer handle, const std::string& path);

  std::vector<Entry> entries_;
  std::vector<Entry> cleared_;  // what the last ClearAll dropped
};

extern std::shared_ptr<CTextureMonster> TexMon;
