// The missions of the first era played to their ends in the real main loop on the default
// content: each is taken from the mission-control board of a node that offers it and played by
// what its directives ask (MissionPlayer.h), to its "mission complete!" and, where the script
// can fail, to its "mission failed!".
// Winning cases are played by a mortal pilot at "easy" in a new game's ship (MissionCase::mortal);
// the failing ones keep the pilot unhurt.
#include <gtest/gtest.h>

#include "tests/support/MissionPlayer.h"

namespace {

// clang-format off
const MissionCase kFirstEra[] = {
    {.label = "CourierDeliversTheParcel", .file = "courier.pnd", .level = 1, .pay = 2500, .eraAfter = 1,
     .mortal = true},
    {.label = "EscortSinksTheMugger", .file = "escort.pnd", .down = "mugger", .pay = 1200, .mortal = true},
    {.label = "EscortLosesTheTourists", .file = "escort.pnd", .down = "client", .keep = "mugger",
     .passes = false},
    {.label = "EscortKeepsTheCarForAMinute", .file = "escort.pnd", .keep = "mugger,client", .pay = 1200,
     .atLeast = 60, .mortal = true},
    {.label = "HoldoutWaitsOutItsClock", .file = "holdout.pnd", .pay = 1500, .atLeast = 15, .mortal = true},
    {.label = "HoldoutIsLostByLeaving", .file = "holdout.pnd", .setup = LeaveArea, .passes = false,
     .screenAfter = -1},
    {.label = "NinjapostBuysSocks", .file = "ninjapost.pnd", .node = "ninjaharbor", .pay = 700,
     .mortal = true},
    {.label = "PterowatchWithMissiles", .file = "pterowatch.pnd", .node = "pteronexus", .setup = WithMissiles,
     .pay = 1000, .mortal = true},
    {.label = "PterowatchWithoutMissiles", .file = "pterowatch.pnd", .node = "pteronexus", .passes = false},
    {.label = "ScrapyardSellsTheHold", .file = "scrapyard.pnd", .node = "necropolis",
     .setup = WithGoods | SellHold, .pay = 250, .mortal = true},
    {.label = "ScrapyardWithAnEmptyHold", .file = "scrapyard.pnd", .passes = false},
    {.label = "ZomsoupLandsAtTheBuffet", .file = "zomsoup.pnd", .node = "zomflats", .pay = 800,
     .mortal = true},
    {.label = "ZomsoupGoesCold", .file = "zomsoup.pnd", .node = "zomflats", .setup = Dawdle, .passes = false,
     .frameMs = 200, .atLeast = 90},
};
// clang-format on

class FirstEraMission : public MissionPlayTest {};

TEST_P(FirstEraMission, PlaysToItsEnd) {
  expectPlayed(GetParam(), play(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Default, FirstEraMission, ::testing::ValuesIn(kFirstEra), missionCaseName);

}  // namespace
