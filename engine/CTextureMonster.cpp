#include "engine/CTextureMonster.h"

#include <exception>

#include "engine/MediaBatch.h"
#include "engine/MediaHandles.h"
#include "engine/modDirectX.h"
#include "platform/D3DX.h"
#include "runtime/Paths.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"

std::vector<TexCacheSlot> TexSlots(1);
std::shared_ptr<CTextureMonster> TexMon;

namespace {
// A texture read from its file into a new texture: size and mip chain from the file, managed
// pool, linear filters, no colour key. Raises VbError with the reason.
std::shared_ptr<Direct3DTexture8> makeTexture(D3DXTextureFile&& file, D3DFORMAT format) {
  if (!D3DX) vbRaise(vberr::ObjectMissing);
  std::shared_ptr<Direct3DTexture8> texture;
  checkHResult(D3DX->CreateTextureFromFileData(D3DDevice, std::move(file), 0, 0, D3DX_DEFAULT, 0, format,
                                               D3DPOOL_MANAGED, D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, texture));
  return texture;
}

std::shared_ptr<Direct3DTexture8> loadTextureFile(const std::string& gamePath, D3DFORMAT format) {
  if (!D3DX) vbRaise(vberr::ObjectMissing);
  return makeTexture(D3DXReadTextureFile(resolvePath(gamePath), format, 0), format);
}

Integer toHandle(size_t index) {
  return CInt(static_cast<double>(index));
}
}  // namespace

CTextureMonster::CTextureMonster() {
  finishMediaLoads();
  TexSlots.assign(1, TexCacheSlot{});
  entries_.assign(1, Entry{});
}

void CTextureMonster::ClearAll() {
  finishMediaLoads();
  bool anyName = false;
  for (const Entry& e : entries_) anyName = anyName || e.taken;
  if (anyName) cleared_ = entries_;
  for (TexCacheSlot& s : TexSlots) {
    s.object.reset();
    s.used = false;
  }
  TexSlots.assign(1, TexCacheSlot{});
  entries_.assign(1, Entry{});
}

Integer CTextureMonster::findFreeTexSlot() {
  for (size_t i = 0; i < TexSlots.size(); ++i)
    if (!TexSlots[i].used) return toHandle(i);
  const Integer next = toHandle(TexSlots.size());
  TexSlots.push_back(TexCacheSlot{});
  return next;
}

void CTextureMonster::LoadTex(Integer handle, const std::string& name) {
  // The slot keeps no texture when the file fails.
  TexSlots[static_cast<size_t>(handle)].object.reset();
  const D3DFORMAT format = Right(name, 3) == "dds" ? D3DFMT_A8R8G8B8 : D3DFMT_R8G8B8;
  const std::string path = resolvePath("\\gfx\\" + name);
  loadMedia<D3DXTextureFile>([path, format] { return D3DXReadTextureFile(path, format, 0); },
                             [handle, name, format](D3DXTextureFile& file) {
                               try {
                                 TexSlots[static_cast<size_t>(handle)].object = makeTexture(std::move(file), format);
                               } catch (const std::exception& e) {
                                 reportTrapped("LoadTex", "(" + name + ")" + e.what());
                               }
                             });
}

void CTextureMonster::loadForced(Integer slot, const std::string& path) {
  TexSlots[static_cast<size_t>(slot)].object.reset();
  try {
    TexSlots[static_cast<size_t>(slot)].object = loadTextureFile(path, D3DFMT_R8G8B8);
  } catch (const std::exception& e) {
    reportTrapped("forceReplace", "(" + path + ")" + e.what());
  }
}

Integer CTextureMonster::getTextureNumber(const std::string& name) {
  // 1.
  if (!LoadDone) AddLoadMsg(name);
  // 2. The last match wins.
  for (size_t i = entries_.size(); i-- > 0;)
    if (entries_[i].taken && entries_[i].name == name) return entries_[i].slot;
  // 3. The first free entry, else a new one at the end.
  size_t pos = entries_.size();
  for (size_t i = 0; i < entries_.size(); ++i)
    if (!entries_[i].taken) {
      pos = i;
      break;
    }
  const Integer handle = toHandle(pos);  // raises before anything changes when the cache is full
  if (pos == entries_.size()) entries_.push_back(Entry{});
  const Integer slot = findFreeTexSlot();
  entries_[pos] = Entry{name, slot, true, false};
  LoadTex(slot, name);
  TexSlots[static_cast<size_t>(slot)].used = true;
  return handle;
}

std::shared_ptr<Direct3DTexture8> CTextureMonster::getTexture(Integer handle) const {
  vbCheckIndex(handle, 0, static_cast<long long>(entries_.size()) - 1);
  const size_t slot = static_cast<size_t>(entries_[static_cast<size_t>(handle)].slot);
  vbCheckIndex(static_cast<long long>(slot), 0, static_cast<long long>(TexSlots.size()) - 1);
  return TexSlots[slot].object;
}

void CTextureMonster::forceReplace(Integer handle, const std::string& path) {
  finishMediaLoads();  // a load in flight must not land on the replaced texture
  if (handle < 0 || static_cast<size_t>(handle) >= entries_.size()) return;
  Entry& e = entries_[static_cast<size_t>(handle)];
  if (static_cast<size_t>(e.slot) >= TexSlots.size()) return;
  loadForced(e.slot, path);
  e.name = path;
  e.forced = true;
  if (!e.taken) TexSlots[static_cast<size_t>(e.slot)].used = true;  // a free handle becomes this path's
  e.taken = true;
}

void CTextureMonster::restoreCleared() {
  const std::vector<Entry> before = std::move(cleared_);
  cleared_.clear();
  for (size_t p = 0; p < before.size(); ++p) {
    const Entry& old = before[p];
    if (!old.taken) continue;
    if (p < entries_.size() && entries_[p].taken && entries_[p].name == old.name &&
        entries_[p].forced == old.forced)
      continue;  // the reload asked for it again at the same handle
    const Integer handle = toHandle(p);
    while (entries_.size() <= p) entries_.push_back(Entry{"", toHandle(entries_.size()), false, false});
    while (TexSlots.size() <= p) TexSlots.push_back(TexCacheSlot{});
    entries_[p] = Entry{old.name, handle, true, old.forced};
    if (old.forced)
      loadForced(handle, old.name);
    else
      LoadTex(handle, old.name);
    TexSlots[p].used = true;
  }
}
