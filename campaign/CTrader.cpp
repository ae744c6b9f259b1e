#include "campaign/CTrader.h"

#include "campaign/CWorld.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"

void CTrader::Init(Integer node) {
  NodeID = node;
  Prices.fill(0);
}

void CTrader::setRandomResources() {
  Randomize();
  Prices.fill(0);
  InStock.fill(0);
  const Integer era = World ? World->CurrentEra : 0;
  for (Integer k = 0; k < GoodsKinds; ++k) {
    Long p = CLng((era / 4.0 + 1.0) * GoodsBasePrice[k]);
    p = CLng(Rnd() * 20.0 + (p - 10));
    if (Rnd() < 0.05) p = CLng(p - Rnd() * 50.0);
    if (Rnd() < 0.05) p = CLng(Rnd() * 100.0 + p);
    if (p < 5) p = 5;
    Prices[k] = CInt(p);
  }
  for (int draw = 0; draw < 4; ++draw) {
    Integer k = CInt(Rnd() * 7.9);
    if (k > 7) k = 7;
    InStock[k] = vbTrue;
  }
}

Integer CTrader::getResourcePrice(Integer kind) const {
  vbCheckIndex(kind, 0, Slots - 1);
  return Prices[kind];
}

Integer CTrader::getHasRsc(Integer kind) const {
  vbCheckIndex(kind, 0, Slots - 1);
  return InStock[kind];
}
