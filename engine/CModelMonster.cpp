#include "engine/CModelMonster.h"

#include "engine/MediaBatch.h"
#include "engine/MediaHandles.h"
#include "runtime/VbError.h"

std::vector<ModelCacheSlot> ModelSlots(1);
std::shared_ptr<CModelMonster> ModelMon;

namespace {
Integer toHandle(size_t index) {
  return CInt(static_cast<double>(index));
}
}  // namespace

CModelMonster::CModelMonster() {
  finishMediaLoads();
  ModelSlots.assign(1, ModelCacheSlot{});
  entries_.assign(1, Entry{});
}

void CModelMonster::ClearAll() {
  finishMediaLoads();
  std::vector<Dropped> dropped;
  for (const Entry& e : entries_) {
    Dropped d;
    d.entry = e;
    if (e.taken && static_cast<size_t>(e.slot) < ModelSlots.size()) {
      if (const std::shared_ptr<CMD2>& m = ModelSlots[static_cast<size_t>(e.slot)].object) {
        d.myTexture = m->myTexture;
        d.AnimType = m->AnimType;
        d.MD2AnimSpeed = m->MD2AnimSpeed;
        d.FramePrefix = m->FramePrefix;
      }
    }
    dropped.push_back(std::move(d));
  }
  bool anyPath = false;
  for (const Entry& e : entries_) anyPath = anyPath || e.taken;
  if (anyPath) cleared_ = std::move(dropped);
  for (ModelCacheSlot& s : ModelSlots) {
    s.object.reset();
    s.used = false;
  }
  ModelSlots.assign(1, ModelCacheSlot{});
  entries_.assign(1, Entry{});
}

Integer CModelMonster::findFreeModelSlot() {
  for (size_t i = 0; i < ModelSlots.size(); ++i)
    if (!ModelSlots[i].used) return toHandle(i);
  const Integer next = toHandle(ModelSlots.size());
  ModelSlots.push_back(ModelCacheSlot{});
  return next;
}

void CModelMonster::LoadModel(Integer handle, const std::string& path) {
  auto model = std::make_shared<CMD2>();
  ModelSlots[static_cast<size_t>(handle)].object = model;
  // A failed model keeps its handle, unloaded.
  const std::string file = CMD2::md2FilePath(path);
  loadMedia<CMD2::MD2Read>([file] { return CMD2::readMD2File(file); },
                           [model, path](CMD2::MD2Read& read) { model->adoptMD2(path, std::move(read)); });
}

Integer CModelMonster::getModelNumber(const std::string& path) {
  size_t found = entries_.size();
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].taken && entries_[i].path == path) {
      found = i;
      break;
    }
  if (!LoadDone) AddLoadMsg(path);
  if (found < entries_.size()) return entries_[found].slot;
  size_t pos = entries_.size();
  for (size_t i = 0; i < entries_.size(); ++i)
    if (!entries_[i].taken) {
      pos = i;
      break;
    }
  const Integer handle = toHandle(pos);
  if (pos == entries_.size()) entries_.push_back(Entry{});
  const Integer slot = findFreeModelSlot();
  entries_[pos] = Entry{path, slot, true};
  LoadModel(slot, path);
  ModelSlots[static_cast<size_t>(slot)].used = true;
  return handle;
}

Integer CModelMonster::getRealModelNum(Integer& index) const {
  const Integer last = toHandle(entries_.size() - 1);
  if (index > last) index = last;
  vbCheckIndex(index, 0, last);
  return entries_[static_cast<size_t>(index)].slot;
}

void CModelMonster::restoreCleared() {
  const std::vector<Dropped> before = std::move(cleared_);
  cleared_.clear();
  for (size_t p = 0; p < before.size(); ++p) {
    const Dropped& old = before[p];
    if (!old.entry.taken) continue;
    if (p < entries_.size() && entries_[p].taken && entries_[p].path == old.entry.path) continue;
    const Integer handle = toHandle(p);
    while (entries_.size() <= p) entries_.push_back(Entry{"", toHandle(entries_.size()), false});
    while (ModelSlots.size() <= p) ModelSlots.push_back(ModelCacheSlot{});
    entries_[p] = Entry{old.entry.path, handle, true};
    LoadModel(handle, old.entry.path);
    ModelSlots[p].used = true;
    CMD2& m = *ModelSlots[p].object;
    m.myTexture = old.myTexture;
    m.AnimType = old.AnimType;
    m.MD2AnimSpeed = old.MD2AnimSpeed;
    m.FramePrefix = old.FramePrefix;
  }
}
