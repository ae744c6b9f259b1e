// CMap's collision and landing queries: linear scans over the 32 structure slots, skipping
// inactive ones, on the world boxes the structures keep. Nothing here allocates.
#include <bit>

#include "engine/FuncMod.h"
#include "levels/CMap.h"
#include "runtime/Numbers.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"

Integer CMap::checkLand(Single x, Single z, Single height) const {
  Integer found = -1;
  for (Integer i = 0; i < MapSlots; ++i) {
    const CStruct& s = structs[i];
    if (!s.Exists || s.getType() != structLanding) continue;
    const D3DVECTOR l = s.getLBounds(), u = s.getUBounds();
    if (l.x < x && x < u.x && l.z < z && z < u.z && height > u.y) found = i;
  }
  return found;
}

D3DVECTOR CMap::getStructLBounds(Integer i) const { return slot(i).getLBounds(); }
D3DVECTOR CMap::getStructUBounds(Integer i) const { return slot(i).getUBounds(); }
Single CMap::getStructYMin(Integer i) const { return slot(i).getLBounds().y; }
Single CMap::getStructYMax(Integer i) const { return slot(i).getUBounds().y; }

static_assert(MapSlots <= 32, "a slot mask holds every slot");
constexpr uint32_t AllSlots = MapSlots == 32 ? ~0u : (1u << MapSlots) - 1;

bool CMap::checkCheapStructCol(Single x, Single y, Single z, Single radius) const {
  return checkCheapStructCol(x, y, z, radius, AllSlots);
}

uint32_t CMap::cheapStructsNear(Single x0, Single x1, Single y, Single z0, Single z1, Single radius) const {
  uint32_t slots = 0;
  for (Integer i = 0; i < MapSlots; ++i) {
    const CStruct& s = structs[i];
    if (!s.Exists) continue;
    const D3DVECTOR l = s.getLBounds(), u = s.getUBounds();
    if (l.x - radius < x1 && x0 < u.x + radius && l.y < y && y < u.y && l.z - radius < z1 && z0 < u.z + radius)
      slots |= 1u << i;
  }
  return slots;
}

bool CMap::checkCheapStructCol(Single x, Single y, Single z, Single radius, uint32_t slots) const {
  for (; slots != 0; slots &= slots - 1) {
    const auto i = static_cast<Integer>(std::countr_zero(slots));
    if (structs[i].Exists && structs[i].cheapCheckWithin(x, y, z, radius)) {
      LastStructHit = i;
      return true;
    }
  }
  return false;
}

bool CMap::checkStructCol(Single ox, Single oy, Single oz, Single& nx, Single& ny, Single& nz,
                          Single radius) {
  LastStructHit = -1;
  bool hit = false;
  for (Integer i = 0; i < MapSlots; ++i) {
    CStruct& s = structs[i];
    if (!s.Exists || !s.checkWithin(ox, oy, oz, nx, ny, nz, radius)) continue;
    // A tall structure (reaching from -50 or below to 50 or above) does not replace an earlier
    // hit of this call: the low one stays recorded.
    const bool tall = s.getLBounds().y <= -50 && s.getUBounds().y >= 50;
    if (!(hit && tall)) LastStructHit = i;
    hit = true;
  }
  return hit;
}

bool CMap::climbBlocked(Single x, Single y, Single z, Single top, Single radius) const {
  const Single h = radius / 2;
  for (const CStruct& s : structs) {
    if (!s.Exists) continue;
    const D3DVECTOR l = s.getLBounds(), u = s.getUBounds();
    if (l.x - radius < x && x < u.x + radius && l.z - radius < z && z < u.z + radius && y <= l.y - h &&
        l.y - h < top)
      return true;
  }
  return false;
}

bool CMap::quickTestConnect(const D3DVECTOR& p1, const D3DVECTOR& p2, Integer step) const {
  if (step == 0) vbRaise(vberr::DivisionByZero);
  const Long n = CLng(getDist(p1.x, p1.z, p2.x, p2.z)) / step;  // whole samples
  if (n < 1) return false;
  for (Long k = 1; k <= n; ++k) {
    const double t = static_cast<double>(k) / n;
    const Single qx = static_cast<Single>(p1.x + t * (p2.x - p1.x));
    const Single qy = static_cast<Single>(p1.y + t * (p2.y - p1.y));
    const Single qz = static_cast<Single>(p1.z + t * (p2.z - p1.z));
    for (const CStruct& s : structs) {
      if (!s.Exists) continue;
      const D3DVECTOR l = s.getLBounds(), u = s.getUBounds();
      if (l.x < qx && qx < u.x && l.y < qy && qy < u.y && l.z < qz && qz < u.z) return true;
    }
  }
  return false;
}

bool CMap::getHasMissionControl() const {
  for (const CStruct& s : structs)
    if (s.Exists && s.getType() == structMControl) return true;
  return false;
}

Integer CMap::getRandLanding() const {
  Integer count = 0, result = -1;
  for (Integer i = 0; i < MapSlots; ++i) {
    const CStruct& s = structs[i];
    if (!s.Exists || s.getType() != structLanding) continue;
    ++count;
    if (Rnd() < 1.0 / count) result = i;  // each landing equally likely in the end
  }
  return result;
}

Integer CMap::getAutoSaveLanding() const {
  double best = 9999;
  Integer result = -1;
  for (const CStruct& bank : structs) {
    if (!bank.Exists || bank.getType() != structBank) continue;
    const D3DVECTOR b = bank.getLoc();
    for (Integer j = 0; j < MapSlots; ++j) {
      const CStruct& pad = structs[j];
      if (!pad.Exists || pad.getType() != structLanding) continue;
      const D3DVECTOR p = pad.getLoc();
      const double d = getDist(b.x, b.z, p.x, p.z);
      if (d < best) {
        best = d;
        result = j;
      }
    }
  }
  return result;
}

Integer CMap::getCloseLanding(Integer i) const {
  const D3DVECTOR from = slot(i).getLoc();
  double best = 9999;
  Integer result = 0;  // no service within 9999: slot 0
  for (Integer j = 0; j < MapSlots; ++j) {
    const CStruct& s = structs[j];
    if (j == i || !s.Exists) continue;
    const Long t = s.getType();
    const bool service = t == structParts || t == structRestaurant ||
                         (t >= structGas && t <= structMControl);
    if (!service) continue;
    const D3DVECTOR p = s.getLoc();
    const double d = getDist(from.x, from.z, p.x, p.z);
    if (d < best) {
      best = d;
      result = j;
    }
  }
  return result;
}
