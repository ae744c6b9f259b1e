// CModelMonster: the MD2 model cache (one instance, ModelMon). A model file is loaded into a new
// CMD2 the first time its path is asked for; later requests return the same Integer handle.
// Handles index the slot table ModelSlots (ModelSlots(handle).object is the CMD2), handed out from
// 0 in first-request order; paths are compared exactly. A model that fails to load keeps its
// handle with CMD2.Loaded False (LoadMD2 logs why). While a media batch is open
// (engine/MediaBatch.h) the file is read on a worker thread: the handle and its CMD2 are there at
// once, the model's frames and vertex buffer (or the message) come when the load finishes.
//
// Device reset: as the texture cache (engine/CTextureMonster.h): ClearAll remembers what it held
// and LoadModels ends with restoreCleared, which reloads every remembered path that the reload
// did not ask for into its old handle, with the model's texture, animation type and frame prefix.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "engine/CMD2.h"

// One slot of ModelSlots.
struct ModelCacheSlot {
  std::shared_ptr<CMD2> object;
  bool used = false;
};

// Created with one unused slot (handle 0); grows by one slot at a time.
extern std::vector<ModelCacheSlot> ModelSlots;

class CModelMonster {
 public:
  CModelMonster();
  // Releases every model and empties the cache: ModelSlots is one unused slot again and the next
  // new path gets handle 0.
  void ClearAll();
  // The handle of the model file path (a game path such as "models\misc\zap.md2"), loading it on
  // the first request. While LoadDone is False every request also goes into the loading-screen
  // ring (AddLoadMsg).
  Integer getModelNumber(const std::string& path);
  // The ModelSlots index recorded for list position index. An index beyond the last position is
  // lowered to it, in the caller's variable too; below 0 is a Subscript error.
  Integer getRealModelNum(Integer& index) const;
  // After ClearAll and a reload: every path held before the clear that is not already back at its
  // own handle is loaded there again. Called by LoadModels.
  void restoreCleared();

 private:
  struct Entry {
    std::string path;
    Integer slot = 0;
    bool taken = false;  // the entry holds a path (entry 0 starts free)
  };
  // What a reload keeps of a model besides its file.
  struct Dropped {
    Entry entry;
    Integer myTexture = 0;
    Long AnimType = 1;
    Long MD2AnimSpeed = 9;
    std::string FramePrefix;
  };
  Integer findFreeModelSlot();
  void LoadModel(Integer handle, const std::string& path);

  std::vector<Entry> entries_;
  std::vector<Dropped> cleared_;  // what the last ClearAll dropped
};

extern std::shared_ptr<CModelMonster> ModelMon;
