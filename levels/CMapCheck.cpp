// CMap's check of a map file before a warp commits to it: the whole layout is read item by item
// as Load reads it (counts, number kinds and definition indexes), nothing is kept.
#include "levels/CMap.h"
#include "runtime/ItemFile.h"

bool CMap::checkMapFile(const std::string& name) {
  try {
    ItemReader r("\\maps\\" + name + ".pnd");
    r.readString();
    for (int k = 0; k < 3; ++k) r.readLong();
    for (Integer i = 0; i < MapSectors; ++i) {
      r.readSingle();
      r.readSingle();
      r.readString();
      r.readSingle();
      r.readSingle();
    }
    for (Integer i = 0; i < MapSlots; ++i) {
      for (int k = 0; k < 3; ++k) r.readSingle();
      const Integer d = r.readInteger();
      if (d >= MapStructDefs) return false;
      r.readInteger();
    }
    for (int k = 0; k < 3; ++k) r.readSingle();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}
