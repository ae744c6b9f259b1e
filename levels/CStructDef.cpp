#include "levels/CStructDef.h"

#include "levels/LevelIO.h"
#include "runtime/ItemFile.h"
#include "runtime/VbError.h"

namespace {
void writeVector(ItemWriter& w, const D3DVECTOR& v) {
  writeSingle(w, v.x);
  writeSingle(w, v.y);
  writeSingle(w, v.z);
  w.endLine();
}
}  // namespace

void CStructDef::setLightPos(Long i, Single x, Single y, Single z) {
  vbCheckIndex(i, 0, StructLights - 1);
  LightPos[i].x = x;
  LightPos[i].y = y;
  LightPos[i].z = z;
}

D3DVECTOR CStructDef::getLightPos(Long i) const {
  return vbAt(LightPos, i);
}

void CStructDef::setLightType(Long i, Long t) {
  vbAt(LightKind, i) = t;
}

Long CStructDef::getLightType(Long i) const {
  return vbAt(LightKind, i);
}

std::string CStructDef::filePath() const { return "\\structures\\" + sName + ".pnd"; }

void CStructDef::Load() {
  const std::string path = filePath();
  CStructDef d;  // read whole, then taken over: a damaged file changes nothing
  try {
    ItemReader r(path);
    d.Title = r.readString();
    d.ModelName = r.readString();
    d.TextureName = r.readString();
    d.Scale = readVector(r);
    d.zOff = r.readInteger();
    d.totalLights = r.readInteger();
    for (int i = 0; i < StructLights; ++i) {
      d.LightPos[i] = readVector(r);
      d.LightKind[i] = r.readLong();
    }
    d.UpperBound = readVector(r);  // the upper corner comes first
    d.LowerBound = readVector(r);
    d.Kind = r.readLong();
  } catch (const std::exception& e) {
    damagedFile(e, path);
  }
  d.sName = sName;
  *this = d;
}

void CStructDef::Save() const {
  ItemWriter w(filePath());
  w.writeString(Title).endLine();
  w.writeString(ModelName).endLine();
  w.writeString(TextureName).endLine();
  writeVector(w, Scale);
  w.writeNumber(zOff).endLine();
  w.writeNumber(totalLights).endLine();
  for (int i = 0; i < StructLights; ++i) {
    writeVector(w, LightPos[i]);
    w.writeNumber(LightKind[i]).endLine();
  }
  writeVector(w, UpperBound);
  writeVector(w, LowerBound);
  w.writeNumber(Kind).endLine();
  w.commit();
}
