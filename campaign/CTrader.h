// CTrader: the goods trader of one world-map node. It quotes a price for each of the 8 goods kinds
// and stocks a few of them; CWorld owns one per node (CWorld.Traders) and re-rolls them now and
// then as the player travels. Prices follow the era of the global world map (World) and random
// swings (Rnd, reseeded from the clock before each roll).
#pragma once
#include <array>

#include "runtime/Numbers.h"

// Goods kinds 0..7 (GoodsKind: tapes, bananas, kittens, dairy, pills, clothes, paper, chemicals;
// the interface names them, CInterface.rscStringFromNum) and their base prices.
constexpr Integer GoodsKinds = 8;
constexpr std::array<Integer, GoodsKinds> GoodsBasePrice = {20, 20, 25, 20, 45, 30, 15, 50};

class CTrader {
 public:
  static constexpr Integer Slots = 16;  // price and stock slots; kinds 0..7 are used

  Integer NodeID = 0;   // index of the trader's node
  Single x = 0, y = 0;  // the node's world-map position, copied when the trader is made

  // NodeID := node; every price 0 (stock flags are left as they are).
  void Init(Integer node);
  // New prices for kinds 0..7 (era factor, swing -10..+10, 5 % dips and spikes, at least 5) and
  // 1 to 4 stocked kinds. The era is World->CurrentEra (0 without a world map).
  void setRandomResources();
  // Price and stock of a kind 0..15; VbError 9 outside.
  Integer getResourcePrice(Integer kind) const;
  Integer getHasRsc(Integer kind) const;  // (Boolean) -1 stocked, 0 not

 private:
  friend struct CTraderProbe;  // tests set prices and stock
  std::array<Integer, Slots> Prices{};
  std::array<Integer, Slots> InStock{};
};
