#include "engine/MessageLog.h"

#include "audio/soundMod.h"
#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/GameGlobals.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"

std::array<std::string, 21> MsgLog;
Integer MsgCount = 0;
Single MsgTimer = 0;
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

void addMessage(const std::string& text, bool forced) {
  if (!forced && !DevMode) return;
  for (int k = 19; k >= 0; --k) MsgLog[k + 1] = MsgLog[k];
  MsgLog[0] = text;
  MsgTimer = 0;
  if (MsgCount < 19) ++MsgCount;
}

void DrawMessages() {
  if (MsgCount == 0) return;
  MsgTimer = static_cast<Single>(MsgTimer + FrameTime);
  if (MsgTimer > 2.0f) {
    --MsgCount;
    MsgTimer = 0;
  }
  if (MsgCount > 0) {
    // Nothing to draw with before the game set-up has made the text writer.
    if (!GameText) return;
    GameText->setColor(255, 255, 255);
    GameText->setSize(0.36f);
    for (Integer i = 0; i < MsgCount; ++i)
      GameText->drawText(5, static_cast<Integer>(12 * (MsgCount - i)), MsgLog[static_cast<size_t>(i)], 0,
                         false, false);
  }
}

void checkCheats(const std::string& key) {
  TypedKeys += key;
  if (Len(TypedKeys) > 100) TypedKeys = Right(TypedKeys, 50);
  for (const CheatCode& c : Cheats) {
    std::string code = c.code;
    if (LCase(Right(TypedKeys, Len(code))) != code) continue;
    addMessage(c.message, true);
    PlaySound(SndChime);
    if (Player && Player->getHasCheat(c.index) == 0) Player->setHasCheat(c.index, 1);
  }
}

void installMessageLog() {
  setTrapSink([](const std::string& line) { addMessage(line, false); });
}
