#include "game/CheatMod.h"

#include "audio/soundMod.h"
#include "campaign/CPlayer.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "runtime/Strings.h"

std::string TypedKeys;

namespace {
struct CheatCode {
  const char* code;
  Long index;  // cheat flag in the player record
  const char* message;
};

// Checked in this order.
constexpr CheatCode Cheats[] = {
    {"plumvortex", 2, "infinite cash cheat unlocked."},
    {"flintop2614", 1, "infinite ammo cheat unlocked."},
    {"marblequietzephyr", 0, "god mode cheat unlocked."},
    {"hollowcanyon", 3, "slo mo cheat unlocked."},
};
}  // namespace

void checkCheats(const std::string& key) {
  TypedKeys += key;
  if (Len(TypedKeys) > 100) TypedKeys = Right(TypedKeys, 50);
  for (const CheatCode& c : Cheats) {
    std::string code = c.code;
    if (LCase(Right(TypedKeys, Len(code))) != code) continue;
    addMessage(c.message, true);
    PlaySound(SndChime);
    // Kept at once: a cheat unlocked is unlocked at the next start too.
    if (Player && Player->getHasCheat(c.index) == 0) {
      Player->setHasCheat(c.index, 1);
      Player->storeCheats();
    }
  }
}

