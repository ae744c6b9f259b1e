#include "levels/LevelIO.h"

#include <cstdio>
#include <cstdlib>

void writeSingle(ItemWriter& w, Single v) {
  if (v == 0.0f) {
    w.writeNumber(0.0);
    return;
  }
  char buf[48];
  for (int prec = 1; prec <= 9; ++prec) {
    std::snprintf(buf, sizeof buf, "%.*g", prec, static_cast<double>(v));
    if (static_cast<float>(std::strtod(buf, nullptr)) == v) break;
  }
  // The Double nearest to the short text prints back as that same text.
  w.writeNumber(std::strtod(buf, nullptr));
}

void damagedFile(const std::exception& e, const std::string& gamePath) {
  const auto* vb = dynamic_cast<const VbError*>(&e);
  int number = vb ? vb->number() : vberr::InvalidCall;
  throw VbError(number, std::string(e.what()) + " (" + gamePath + ")");
}

D3DVECTOR readVector(ItemReader& r) {
  D3DVECTOR v;
  v.x = r.readSingle();
  v.y = r.readSingle();
  v.z = r.readSingle();
  return v;
}
