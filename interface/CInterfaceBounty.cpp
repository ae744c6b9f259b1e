// CInterface bounties: the 64 records of "\data\bounty.pnd" (five lines each: name, description,
// reward, unit keyword, a spare line), the offer walk that puts up to three open bounties in the
// office, taking one, and the bounty office screen (msBountyOffice) with its news page and its
// target page. Bounty states live in the player record (0 open, 1 taken, 2 closed).
#include <exception>
#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "interface/CInterface.h"
#include "interface/InterfaceHelpers.h"
#include "levels/CMap.h"
#include "runtime/ItemFile.h"
#include "runtime/Numbers.h"
#include "runtime/Rnd.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

using interface_helpers::player;

namespace {
const char* const BountyFile = "\\data\\bounty.pnd";
constexpr int BountyRecordLines = 5;
constexpr Integer LastOfferable = 63;  // the walk ends when it reaches this index

// The reward line: the number it starts with, 0 when none; one too large for a Long is 0.
Long rewardOf(const std::string& line, Integer index) {
  try {
    return CLng(Val(line));
  } catch (const std::exception&) {
    addMessage("Bounty " + std::to_string(index) + ": reward out of range: " + line, false);
    return 0;
  }
}
}  // namespace

bool CInterface::readBountyFile() {
  std::vector<std::string> lines;
  try {
    lines = readLines(BountyFile);
  } catch (const std::exception& e) {
    addMessage(std::string("Bounty list ") + BountyFile + ": " + e.what() + "; no bounties offered.", false);
    return false;
  }
  if (!CurMap) vbRaise(vberr::ObjectMissing);  // the unit table
  const size_t whole = lines.size() / BountyRecordLines;
  for (size_t i = 0; i < static_cast<size_t>(BountySlots); ++i) {
    BountyDef d;
    if (i < whole) {
      const std::string* rec = &lines[i * BountyRecordLines];
      d.name = rec[0];
      d.text = rec[1];
      d.reward = rewardOf(rec[2], static_cast<Integer>(i));
      d.unit = CurMap->getUnitFromString(rec[3]);
    }
    bounties[i] = d;
  }
  if (whole < static_cast<size_t>(BountySlots)) {
    addMessage(std::string("Bounty list ") + BountyFile + ": " + std::to_string(lines.size()) + " lines, " +
                   std::to_string(BountySlots * BountyRecordLines) + " expected; no bounties offered.",
               false);
    return false;
  }
  return true;
}

void CInterface::InitBountyList() {
  bountyOffers.fill(-1);
  if (!readBountyFile()) return;
  const CPlayer& p = player();
  int taken = 0;
  for (Integer b = 0; b < BountySlots; ++b)
    if (p.getBountyHunted(b) == 1) ++taken;
  const int offers = taken >= BountyOfferSlots ? 0 : BountyOfferSlots - taken;
  Integer j = 0, k = 0;
  for (int n = 0; n < offers; ++n) {
    bool made = false;
    while (!made) {
      if (j >= LastOfferable) return;  // this offer and the following stay empty
      const Long state = p.getBountyHunted(j);
      if (Rnd() < 0.4 && state == 0) {
        bountyOffers[static_cast<size_t>(k)] = j;
        // A unit the table does not know, or one without a driver, keeps the portrait shown before.
        const Long unit = bounties[static_cast<size_t>(j)].unit;
        const std::string skin = unit >= 0 ? CurMap->getShipDriverTexture(unit) : std::string();
        if (!skin.empty() && TexMon)
          TexMon->forceReplace(ZafPortraitTex[static_cast<size_t>(k)], "\\gfx\\portraits\\" + skin);
        ++k;
        made = true;
      }
      ++j;
      if (Rnd() < 0.3) ++j;
    }
  }
}

void CInterface::takeBounty(Integer place) {
  const Integer b = bountyOffers.at(static_cast<size_t>(place));
  player().setBountyHunted(b, 1);
  bountyMsgTimer = 2.0f;
  bountyMsg = "new target: [R]" + getBountyName(b) + "[r]!";
  Window = msNone;
  vbCheckIndex(playerShip, 0, static_cast<long long>(Ships.size()) - 1);
  if (!Ships[static_cast<size_t>(playerShip)]) vbRaise(vberr::ObjectMissing);
  Ships[static_cast<size_t>(playerShip)]->LandingFrame = 1001;
}

void CInterface::drawBountyHunting() {
  const Single W = static_cast<Single>(ScreenWidth), H = static_cast<Single>(ScreenHeight);
  const Single x0 = W / 2 - 250, y0 = H / 2 - 180;
  drawPanel(x0 + 20, y0 + 30, x0 + 480, y0 + 310);
  if (BountyMode) {
    drawDoneButton("bounty hunting", 500);
    CText& t = gameText();
    for (Integer i = 0; i < BountyOfferSlots; ++i) {
      const Integer b = bountyOffers[static_cast<size_t>(i)];
      if (b < 0) continue;
      const Single y = y0 + 42 + 85 * i;
      if (drawListRow(x0 + 30, y, 440, 85, "", false, false)) {
        takeBounty(i);
        continue;
      }
      const BountyDef& d = bounties[static_cast<size_t>(b)];
      t.setSize(0.5f);
      t.setColor(255, 255, 0);
      t.drawText(x0 + 130, y0 + 60 + 85 * i, d.name, 0, false, false);
      t.setColor(0, 255, 0);
      t.drawText(x0 + 460, y0 + 60 + 85 * i, "$" + std::to_string(d.reward), 2, false, false);
      t.ClearBlock();
      t.makeBlock(350, d.text);
      t.setSize(0.45f);
      t.setColor(255, 255, 255);
      t.drawBlock(x0 + 130, y0 + 75 + 85 * i, 0);
      hudSprite(ZafPortraitTex[static_cast<size_t>(i)], RECT{0, 0, 128, 128}, 0.55f, 0.55f, x0 + 40,
                y0 + 50 + 85 * i, D3DColorARGB(200, 255, 100, 100));
    }
    if (drawButton(W / 2 - 225, y0 + 320, 150, "watch news", false)) BountyMode = false;
    drawButton(W / 2 + 75, y0 + 320, 150, "bounty hunting", true);
  } else {
    drawNews(x0 + 130, y0);
    drawButton(W / 2 - 225, y0 + 320, 150, "watch news", true);
    if (drawButton(W / 2 + 75, y0 + 320, 150, "bounty hunting", false)) BountyMode = true;
  }
  if (drawButton(W / 2 - 75, y0 + 320, 150, "done!", false)) {
    Window = msNone;
    vbCheckIndex(playerShip, 0, static_cast<long long>(Ships.size()) - 1);
    if (!Ships[static_cast<size_t>(playerShip)]) vbRaise(vberr::ObjectMissing);
    Ships[static_cast<size_t>(playerShip)]->LandingFrame = 1001;
  }
  MouseClicked = false;
}
