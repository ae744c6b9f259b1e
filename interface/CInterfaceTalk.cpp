// CInterface talk: the talk box (MakeTalkBox, getTalkBox, RenderTalkBox), the talk action aimed at
// a ship (ChatterBox: the ship's answer by who it is and how things stand, and the acceptance of
// its offer by a second press) and the skip of a mission's talk line (continueMissionTalk).
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CTalkControl.h"
#include "campaign/CWorld.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "interface/CInterface.h"
#include "interface/InterfaceHelpers.h"
#include "levels/CMap.h"
#include "runtime/Numbers.h"
#include "runtime/Paths.h"
#include "runtime/Rnd.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

using interface_helpers::centred;
using interface_helpers::player;

namespace {
// Unit types that trade and that police the map.
bool isTrader(Long unit) { return unit == 0 || unit == 3 || unit == 6; }
bool isPolice(Long unit) { return unit == 14 || unit == 16 || unit == 17 || unit == 18; }

CShip* shipOrNull(Integer i) {
  if (i < 0 || static_cast<size_t>(i) >= Ships.size()) return nullptr;
  return Ships[static_cast<size_t>(i)].get();
}

CShip& shipRef(Integer i) {
  CShip* s = shipOrNull(i);
  if (!s) vbRaise(vberr::ObjectMissing);
  return *s;
}

CWorld& worldRef() {
  if (!World) vbRaise(vberr::ObjectMissing);
  return *World;
}

CMap& mapRef() {
  if (!CurMap) vbRaise(vberr::ObjectMissing);
  return *CurMap;
}

bool missionRunning() { return MissionControl && MissionControl->Reading; }
bool directiveShown() { return MissionControl && MissionControl->getDirectiveFrame() > 0; }

std::string randomTalk(Long category, Long align, const std::array<Integer, 4>& v) {
  if (!TalkControl) return "...";
  return TalkControl->getRandomTalk(category, align, v[0], v[1], v[2], v[3]);
}

// The map mission of node n as mission control loads it (relative to the era folder).
std::string mapMissionFile(const std::string& path) { return "..\\map\\map-" + path + ".pnd"; }
bool mapMissionExists(const std::string& path) {
  const Integer era = World ? World->CurrentEra : 0;
  return fileExists(resolvePath("\\missions\\era" + std::to_string(era) + "\\" + mapMissionFile(path)));
}
}  // namespace

Single CInterface::MakeTalkBox(const std::string& portrait, const std::string& text, bool confirm, bool resetShip) {
  // 1..2.
  talkConfirm = confirm;
  PopFocID = -1;
  if (resetShip) talkShip = -1;
  talkText = text;
  // 3. Every box shares the one portrait slot.
  if (TexMon) TexMon->forceReplace(TexNinjaPortrait, "\\gfx\\portraits\\" + portrait + ".bmp");
  // 4..6.
  talkAge = 0;
  talkTimer = static_cast<Single>(static_cast<double>(Len(text)) / 20 + 4);
  // A mission's line tells what comes next: the directive of the step before it goes.
  if (resetShip && MissionControl) MissionControl->endDirective();
  talkBoxY = directiveShown() ? 95.0f : 15.0f;
  return talkTimer;
}

void CInterface::closeTalkBox() {
  talkTimer = 0;
  talkAge = 0;
  talkConfirm = false;
  talkShip = -1;
  PopFocID = -1;
}

void CInterface::ChatterBox(Integer s) {
  const Integer p = playerShip;
  CShip& them = shipRef(s);
  CShip& me = shipRef(p);
  // 1..3.
  them.AITalkOverride();
  if (them.IsBounty >= 0) return;
  const std::string portrait = them.getCharTexture();
  if (portrait.empty()) return;
  const Long align = them.getAlign();

  // 4. A second press at the ship whose offer shows accepts it.
  if (talkConfirm) {
    if (s == talkShip) {
      if (talkTimer <= 0.15f) return;  // too late
      talkConfirm = false;
      talkTimer = 0.15f;
      switch (talkKind) {
        case talkForgive: {
          if (p == 0) me.setCash(player().Cash);
          const long long left = static_cast<long long>(me.getCash()) - talkValues[0];
          me.setCash(static_cast<Long>(std::max<long long>(left, INT32_MIN)));
          mapRef().HostileSafe = 10.0f;
          CWorld& w = worldRef();
          w.setNodeLastHostile(w.CurrentNode, 0);
          if (me.getCash() < 0) {
            me.setCash(0);
            MakeTalkBox(portrait, randomTalk(talkFailure, align, {0, 0, 0, 0}), false, false);
          } else {
            MakeTalkBox(portrait, randomTalk(talkSuccess, align, {0, 0, 0, 0}), false, false);
          }
          if (p == 0) player().Cash = me.getCash();
          return;
        }
        case talkGiveMission: {
          them.setTag("owner");
          if (missionRunning()) return;
          if (!MissionControl) vbRaise(vberr::ObjectMissing);
          CWorld& w = worldRef();
          const std::string path = w.getNodePath(w.CurrentNode);
          if (!mapMissionExists(path)) {
            addMessage("No mission file for " + path + ": the offer is withdrawn.", false);
            return;
          }
          try {
            MissionControl->LoadMission(mapMissionFile(path), -3, portrait);
            MissionControl->curMission = chosenMission;
            MissionControl->StartMission();
          } catch (const VbError& err) {
            addMessage("Mission of " + path + " not started: " + err.what(), false);
            return;
          }
          mapRef().HostileSafe = 0;
          for (const auto& ship : Ships) {
            if (!ship || !ship->Exists) continue;
            try {
              ship->resetAIHostiles();
            } catch (const VbError&) {
              // a ship without a pilot has no hostility to clear
            }
          }
          return;
        }
        default: {  // trade, gas: the ship comes to meet the player
          for (const auto& ship : Ships)
            if (ship) ship->Meeter = -1;
          shipRef(talkShip).makeMeet(p, talkKind, talkValues[0], talkValues[1], talkValues[2], talkValues[3]);
          return;
        }
      }
    }
    talkConfirm = false;  // the old offer lapses
  }

  // 5. The category.
  Long c = talkChatter;
  if (!them.checkAIHostile(p)) {
    const Long unit = them.getAIType();
    if (me.Fuel < 500 && MotherShip == -1) {
      c = talkGas;
    } else if (isTrader(unit)) {
      if (them.canTrade) {
        them.canTrade = false;
        c = talkTrade;
      }
    } else if (isPolice(unit)) {
      CWorld& w = worldRef();
      const Integer n = w.CurrentNode;
      const std::string path = w.getNodePath(n);
      const bool completed = player().checkCompletedMission("map-" + path + ".pnd");
      if (w.CurrentEra < w.getNodeLevel(n))
        c = talkCopTalk;
      else if (!missionRunning() && !completed)
        c = mapMissionExists(path) ? talkGiveMission : talkCopTalk;  // no file: no offer
      else
        c = completed ? talkHappyMission : talkCopTalk;
    }
  } else {
    c = talkForgive;
    if (missionRunning()) return;
  }

  // 6. The offer's values.
  if (c == talkTrade) {
    cargoToShip();
    Integer pick = -1;
    for (Integer k = 0; k < 8; ++k) {
      if (me.getResource(k) <= 0) continue;
      if (pick < 0 || Rnd() < 0.2f) pick = k;
    }
    if (pick < 0) {
      c = talkChatter;
    } else {
      talkValues[0] = pick;
      Integer other = static_cast<Integer>(std::floor(Rnd() * 8));
      if (other == pick) other = static_cast<Integer>(std::min((other + 1) % 8, 7));
      talkValues[1] = other;
      talkValues[2] = std::min(me.getResource(pick), them.getFreeCargo());
    }
  } else if (c == talkForgive) {
    talkValues[0] = CInt(std::clamp(static_cast<double>(me.getValue()) / 100, 50.0, 1000.0));
  } else if (c == talkGas) {
    talkValues[0] = CInt(std::min(static_cast<double>(me.getValue()) / 100 + 20, 30.0));
  }

  // 7. Idle chatter counts towards the police and may be the era's.
  if (c == talkChatter) {
    CMap& map = mapRef();
    if (map.TalkingsTo < 32767) ++map.TalkingsTo;
    if (Rnd() < 0.7f) {
      const Integer e = worldRef().CurrentEra;
      if (e >= 0 && e <= 8) {
        c = talkChatter0 + e;
        if (randomTalk(c, align, {0, 0, 0, 0}) == "...") c = talkChatter;
      }
    }
  }

  // 8. During a mission only the gas offer is shown.
  if (!missionRunning() || c == talkGas) {
    talkShip = s;
    talkKind = c;
    const bool confirm = c == talkTrade || c == talkForgive || c == talkGas || c == talkGiveMission;
    MakeTalkBox(portrait, randomTalk(c, align, talkValues), confirm, false);
  }
}

void CInterface::continueMissionTalk() {
  if (!missionRunning() || talkTimer <= 0.5f) return;
  if (shipRef(playerShip).getWarp() > 0) return;
  if (MissionControl->getCurrentWait() <= 0.5f) return;
  talkTimer = 0.5f;
  MissionControl->setCurrentWait(0.5f);
}

void CInterface::RenderTalkBox() {
  const Single ft = static_cast<Single>(FrameTime);
  // 1. Position.
  if (directiveShown()) {
    if (talkBoxY < 100) talkBoxY += ft * 500;
    if (talkBoxY > 100) talkBoxY = 95;
  } else {
    if (talkBoxY > 15) talkBoxY -= ft * 500;
    if (talkBoxY < 15) talkBoxY = 15;
  }
  // 2. An offer lapses when its ship is gone, broken or warping.
  if (talkTimer > 0.5f && talkShip >= 0) {
    const CShip* s = shipOrNull(talkShip);
    if (!s || !s->Exists || s->Armor < 0 || s->getWarp() > 0) talkTimer = 0.5f;
  }
  // 3. Phase.
  Single v = talkTimer;
  if (!GamePaused) {
    talkTimer -= ft;
    talkAge += ft;
  }
  if (talkAge < 0.5f) {
    v = 5 - talkAge;
  } else {
    talkAge = 0.5f;
    v = std::min(v, 4.0f);
  }
  if (talkTimer < 0) {
    talkTimer = 0;
    talkConfirm = false;
  }
  // 4. Size and text grey.
  if (!(v > 0.15f && v < 4.85f)) return;
  Single z = 200;
  Integer g = 0;
  if (v < 0.5f)
    z = static_cast<Single>(std::sin(2 * v * 1.57) * 200);
  else if (v >= 4.5f)
    z = static_cast<Single>(std::sin(2 * (5 - v) * 1.57) * 200);
  else
    g = CInt(std::sin(13 * v) * 30 + 225);
  // 5. Frame.
  const Single cx = static_cast<Single>(ScreenWidth) / 2;
  drawListRow(cx - z, talkBoxY + 65 - 0.4f * z, 2 * z, 0.8f * z, "", false, true);  // unlit, takes no click
  // 6. Portrait, text and hints once the box is (nearly) full size.
  if (z <= 190) return;
  hudSprite(TexNinjaPortrait, RECT{0, 0, 128, 128}, 1, 1, cx - 185, talkBoxY, D3DColorARGB(255, 255, 255, 255));
  CText& t = gameText();
  t.setSize(0.55f);
  t.makeBlock(200, talkText);
  t.setColor(g, g, g);
  t.drawBlock(cx - 45, talkBoxY + 10, 0);
  const Single hintY = talkBoxY + 65 + 0.4f * z;
  if (talkConfirm) centred(cx, hintY, "press talk to confirm!", 0.5f, 255, 255, g);
  if (missionRunning() && shipRef(playerShip).getWarp() <= 0) centred(cx, hintY, "press talk to skip", 0.5f, 255, 255, g);
}
