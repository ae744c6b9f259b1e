// CPlayer save slots: CPlayer.Save and CPlayer.Load with the slot files of "\data\save<N>\".
//
// A slot is written as one set: the six texts are made in memory, written into a staging folder
// "save<N>.new" beside the slot (each file synced), then the slot folder is swapped for it by two
// renames ("save<N>" -> "save<N>.old", "save<N>.new" -> "save<N>") and the old folder removed.
// CPlayer::RecoverSlot finishes or undoes a swap that a crash interrupted, so a reader always finds
// either the whole old slot or the whole new one. Loading reads every file of the slot into new
// records first and changes the running game only when all of them read cleanly.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "engine/MediaHandles.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/DateTime.h"
#include "runtime/ItemFile.h"
#include "runtime/Paths.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"

namespace fs = std::filesystem;

const char* const CPlayer::EmptySlotMarker = "\"*nil*\"";

namespace {
constexpr Integer SlotCount = 7;
constexpr Integer LastKind = 4;  // kinds -1 (save.pnd), 0 (mother.pnd), 1..4 (sub1..sub4.pnd)

const char* const StartMappedLocs = "#startmappedlocs";
const char* const EndMappedLocs = "#endmappedlocs";
const char* const StartMissionCompletes = "#startmissioncompletes";
const char* const EndMissionCompletes = "#endmissioncompletes";
const char* const BountyPrefix = "#bon#";

std::string fileName(Integer kind) {
  if (kind == -1) return "save.pnd";
  if (kind == 0) return "mother.pnd";
  return "sub" + std::to_string(kind) + ".pnd";
}

void checkSlotArgs(Integer slot, Integer kind) {
  vbCheckIndex(slot, 0, SlotCount - 1);
  vbCheckIndex(kind, -1, LastKind);
}

// The real folders of a slot: the slot itself, its staging and its retired copy.
struct SlotDirs {
  fs::path slot, staged, retired;
  explicit SlotDirs(Integer slot) : slot(resolvePath(CPlayer::SlotFolder(slot))) {
    staged = this->slot;
    staged += ".new";
    retired = this->slot;
    retired += ".old";
  }
};

bool isDir(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(p, ec);
}

void removeTree(const fs::path& p) {
  std::error_code ec;
  fs::remove_all(p, ec);
}

// Makes the renames inside folder p durable.
void syncFolder(const fs::path& p) {
  const int fd = ::open(p.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

void renameOrRaise(const fs::path& from, const fs::path& to) {
  if (const int err = renamePath(from.string(), to.string()))
    vbRaise(vberr::FileAccess, "Path/File access error (" + gamePathOf(from.string()) + ": " + writeRefusal(err) + ")");
}

// Raises a slot read error naming the slot and the file: "save slot 3 (\data\save2\mother.pnd): ...".
[[noreturn]] void raiseDamaged(Integer slot, Integer kind, const std::exception& e) {
  int number = vberr::FileAccess;
  if (const auto* vb = dynamic_cast<const VbError*>(&e)) number = vb->number();
  vbRaise(number, "save slot " + std::to_string(slot + 1) + " (" + CPlayer::SlotFile(slot, kind) + "): " + e.what());
}

// Ships(i); VbError 9 outside the array, 91 for an empty slot of it.
const CShip& shipAt(Integer i) {
  const auto& s = vbAt(Ships, i);
  if (!s) vbRaise(vberr::ObjectMissing);
  return *s;
}

bool isEmptySlotLine(const std::string& line) { return line == CPlayer::EmptySlotMarker; }

// Field n (counted from 1) of text split at '#': "#bon#5#2#" gives "", "bon", "5", "2", "".
std::string hashField(const std::string& s, int n) {
  size_t b = 0;
  for (int i = 1; i < n; ++i) {
    b = s.find('#', b);
    if (b == std::string::npos) return "";
    ++b;
  }
  size_t e = s.find('#', b);
  return s.substr(b, e == std::string::npos ? std::string::npos : e - b);
}
}  // namespace

std::string CPlayer::SlotFolder(Integer slot) { return "\\data\\save" + std::to_string(slot); }

std::string CPlayer::SlotFile(Integer slot, Integer kind) { return SlotFolder(slot) + "\\" + fileName(kind); }

void CPlayer::RecoverSlot(Integer slot) {
  vbCheckIndex(slot, 0, SlotCount - 1);
  const SlotDirs d(slot);
  try {
    if (!isDir(d.slot)) {
      // The folder is retired only once its successor was complete: finish that swap. Without a
      // retired folder the staging never got that far and is dropped below.
      if (isDir(d.retired) && isDir(d.staged)) renameOrRaise(d.staged, d.slot);
      else if (isDir(d.retired)) renameOrRaise(d.retired, d.slot);
    }
  } catch (const VbError&) {
    return;  // read-only: SlotReadFile finds the complete copy where it is
  }
  if (isDir(d.slot)) {
    removeTree(d.staged);
    removeTree(d.retired);
  }
}

void CPlayer::RemoveCutWrites() {
  removeWriteLeftovers(resolvePath("\\data"));
  for (Integer slot = 0; slot < SlotCount; ++slot) {
    RecoverSlot(slot);
    removeWriteLeftovers(resolvePath(SlotFolder(slot)));
  }
}

std::string CPlayer::SlotReadFile(Integer slot, Integer kind) {
  checkSlotArgs(slot, kind);
  const SlotDirs d(slot);
  if (!isDir(d.slot) && isDir(d.retired))
    return SlotFolder(slot) + (isDir(d.staged) ? ".new\\" : ".old\\") + fileName(kind);
  return SlotFile(slot, kind);
}

// ---- writing ---------------------------------------------------------------------------------

std::string CPlayer::slotText(const std::string& title, Integer ship, Integer kind) const {
  const CShip& s = shipAt(ship);
  ItemWriter w(fileName(kind));  // only its text is used
  w.writeLine(title);
  w.writeLine(DriverName);
  w.writeLine(GunnerName);
  w.writeLine(Str(Difficulty) + " ");
  w.writeLine(DateText());
  w.writeLine(TimeText());
  w.writeNumber(GameInterface ? GameInterface->GameTime : 0).endLine();
  w.writeSingle(s.x).writeSingle(s.y).writeSingle(s.e).endLine();
  w.writeNumber(CrewChar[0]).endLine();
  w.writeNumber(CrewChar[1]).endLine();
  w.writeBool(HasShieldBoost).writeNumber(ArmorLev).writeBool(HasFuelDoubler).endLine();
  w.writeBool(HasCapacitator).writeBool(HasAgilitator).writeBool(HasBoostBooster).writeBool(HasShieldDoubler);
  w.writeBool(HasAcceleratron).endLine();
  w.writeBool(HasShieldCharger).writeBool(HasTractorBoost).writeBool(HasRefuelAlert).writeBool(HasHud20);
  w.writeBool(HasAutoSaver).endLine();
  w.writeBool(HasSiphonator).writeBool(HasJammar).writeBool(HasDarkEscaper).writeBool(HasRoboLoader);
  w.writeBool(HasRoboFixit).endLine();
  w.writeNumber(World ? World->CurrentNode : 0).endLine();
  for (Integer r : Resources) w.writeNumber(r).endLine();
  w.writeNumber(Cash).endLine();
  w.writeNumber(Fuel).writeSingle(Armor).writeSingle(Shields).endLine();
  for (Long m : Mounts) w.writeNumber(m).endLine();
  w.writeNumber(ShipType).endLine();
  for (int i = 0; i < SecondarySlots; ++i) {
    w.writeBool(HasSecondary[i]).endLine();
    w.writeNumber(SecondaryAmmo[i]).endLine();
  }
  for (int a = 0; a < AlignSlots; ++a) w.writeNumber(AlignFavor[a]).writeNumber(AlignLevel[a]).endLine();
  w.writeString(StartMappedLocs).endLine();
  for (const MappedLoc& m : MappedLocs) w.writeString(m.name).writeNumber(m.favour).endLine();
  w.writeString(EndMappedLocs).endLine();
  w.writeString(StartMissionCompletes).endLine();
  for (const std::string& name : MissionCompletes) w.writeString(name).endLine();
  for (int i = 0; i < BountySlots; ++i) {
    const Long state = BountyHunted[i];
    if (state == 1 || state == 2)
      w.writeString(BountyPrefix + std::to_string(i) + "#" + std::to_string(state) + "#").endLine();
  }
  w.writeString(EndMissionCompletes).endLine();
  return w.text();
}

void CPlayer::Save(Integer slot, const std::string& title, Integer ship, Integer kind) {
  checkSlotArgs(slot, kind);
  const CShip& flying = shipAt(ship);
  if (kind != -1) {
    // One record on its own: only its file of the slot changes (atomic replace).
    const std::string text = slotText(title, ship, kind);
    writeFileAtomic(resolvePath(SlotFile(slot, kind)), text);
    return;
  }
  if (!MotherPlayer) MotherPlayer = std::make_shared<CPlayer>();
  for (auto& sub : SubPlayers)
    if (!sub) {
      sub = std::make_shared<CPlayer>();
      sub->subInit();
      sub->ShipType = -1;
    }
  std::string files[LastKind + 2];  // index kind + 1
  // 1..2. The carrier record.
  if (MotherNodePath.empty() && MotherShip == -1) {
    const Long body = flying.getShipBody();
    if (body != sbCapital && body != sbFleshy) {
      MotherPlayer->ShipType = -1;
    } else {
      updateFromShip(ship);
      MotherPlayer->ClonePlayer(*this);
    }
    files[1] = MotherPlayer->slotText(title, ship, 0);
  } else {
    MotherPlayer->getUniversalData(*this);
    const bool carrierHere = MotherShip >= 0 && static_cast<size_t>(MotherShip) < Ships.size() && Ships[MotherShip];
    files[1] = MotherPlayer->slotText(title, carrierHere ? MotherShip : ship, 0);
    updateFromShip(ship);
    vbAt(SubPlayers, SubIndex)->ClonePlayer(*this);
  }
  // 3. The fleet records.
  for (Integer k = 0; k < 4; ++k) files[k + 2] = SubPlayers[k]->slotText(title, 0, static_cast<Integer>(k + 1));
  // 4. The whole game.
  updateFromShip(ship);
  files[0] = slotText(title, ship, -1);

  // The set goes to the staging folder, then replaces the slot folder.
  RecoverSlot(slot);
  const SlotDirs d(slot);
  removeTree(d.staged);
  std::error_code ec;
  fs::create_directories(d.staged, ec);
  if (ec) {
    const fs::path folder = d.staged.parent_path();
    if (isDir(folder))
      vbRaise(vberr::FileAccess, "Path/File access error: the folder " + gamePathOf(folder.string()) +
                                     " cannot be written (" + writeRefusal(ec.value()) + ")");
    vbRaise(vberr::PathNotFound, "Path not found (" + gamePathOf(d.staged.string()) + ")");
  }
  try {
    for (Integer kind2 = -1; kind2 <= LastKind; ++kind2)
      writeFileAtomic((d.staged / fileName(kind2)).string(), files[kind2 + 1]);
  } catch (...) {
    removeTree(d.staged);
    throw;
  }
  const bool hadSlot = isDir(d.slot);
  if (hadSlot) renameOrRaise(d.slot, d.retired);
  try {
    renameOrRaise(d.staged, d.slot);
  } catch (...) {
    // The old folder goes back; where that is refused too it stays retired, and with the staged
    // copy removed it is what readers and the next start's RecoverSlot take: not saved, as the
    // error says. A staged copy that cannot be removed is complete and is what they take: saved.
    if (hadSlot) renamePath(d.retired.string(), d.slot.string());
    removeTree(d.staged);
    if (isDir(d.staged) && isDir(d.retired) && !isDir(d.slot)) {
      syncFolder(d.slot.parent_path());
      return;
    }
    throw;
  }
  syncFolder(d.slot.parent_path());
  removeTree(d.retired);
}

// ---- reading ---------------------------------------------------------------------------------

void CPlayer::readSlot(ItemReader& in, Integer kind, SlotHead& head) {
  in.readLine();  // title
  DriverName = in.readLine();
  GunnerName = in.readLine();
  {
    const std::string line = in.readLine();
    const size_t comma = line.find(',');
    Difficulty = CLng(Val(comma == std::string::npos ? line : line.substr(0, comma)));
  }
  in.readLine();  // date
  in.readLine();  // time
  head.gameTime = in.readLong();
  head.x = in.readSingle();
  head.y = in.readSingle();
  head.e = in.readSingle();
  CrewChar[0] = in.readInteger();
  CrewChar[1] = in.readInteger();
  HasShieldBoost = in.readBool();
  ArmorLev = in.readInteger();
  HasFuelDoubler = in.readBool();
  for (bool* part : {&HasCapacitator, &HasAgilitator, &HasBoostBooster, &HasShieldDoubler, &HasAcceleratron,
                     &HasShieldCharger, &HasTractorBoost, &HasRefuelAlert, &HasHud20, &HasAutoSaver, &HasSiphonator,
                     &HasJammar, &HasDarkEscaper, &HasRoboLoader, &HasRoboFixit})
    *part = in.readBool();
  head.node = in.readInteger();
  for (Integer& r : Resources) r = in.readInteger();
  Cash = in.readLong();
  Fuel = in.readLong();
  Armor = in.readSingle();
  Shields = in.readSingle();
  for (Long& m : Mounts) m = in.readLong();
  ShipType = in.readInteger();
  for (int i = 0; i < SecondarySlots; ++i) {
    HasSecondary[i] = in.readBool();
    SecondaryAmmo[i] = in.readInteger();
  }
  for (int a = 0; a < AlignSlots; ++a) {
    AlignFavor[a] = in.readInteger();
    AlignLevel[a] = in.readInteger();
  }
  MappedLocs.assign(1, MappedLoc{});
  MissionCompletes.assign(1, std::string());
  BountyHunted.fill(0);
  if (kind != -1) return;

  if (in.readString() != StartMappedLocs) vbRaise(vberr::TypeMismatch, "the mapped-node list is missing");
  for (;;) {
    const std::string path = in.readString();
    if (path == EndMappedLocs) break;
    in.readInteger();  // favour: restored as 0
    AddMappedLoc(path);
  }
  if (in.readString() != StartMissionCompletes) vbRaise(vberr::TypeMismatch, "the mission list is missing");
  for (;;) {
    const std::string item = in.readString();
    if (item == EndMissionCompletes) break;
    if (Left(item, 5) == BountyPrefix) {
      setBountyHunted(CInt(Val(hashField(item, 3))), CLng(Val(hashField(item, 4))));
    } else if (MissionCompletes.size() == 1 && MissionCompletes[0].empty()) {
      MissionCompletes[0] = item;
    } else {
      MissionCompletes.push_back(item);
    }
  }
}

bool CPlayer::readSlotRecord(Integer slot, CPlayer& rec, Integer kind, SlotHead& head) {
  try {
    ItemReader in(SlotReadFile(slot, kind));
    ItemReader peek = in;
    if (isEmptySlotLine(peek.readLine())) return false;
    CPlayer staged(rec);
    staged.readSlot(in, kind, head);
    if (kind == -1 || staged.ShipType != -1) {
      vbCheckIndex(staged.ShipType, 0, static_cast<long long>(ShipDefs.size()) - 1);
      for (Integer c : staged.CrewChar) vbCheckIndex(c, 0, CharDefCount - 1);
    }
    if (World && kind == -1) vbCheckIndex(head.node, 0, World->getTotalNodes());
    rec = staged;
    return true;
  } catch (const std::exception& e) {
    raiseDamaged(slot, kind, e);
  }
}

bool CPlayer::readWholeSlot(Integer slot, CPlayer& mother, const std::array<CPlayer*, 4>& subs, CPlayer& game,
                            SlotHead& head) {
  {
    ItemReader in = [&] {
      try {
        return ItemReader(SlotReadFile(slot, -1));
      } catch (const std::exception& e) {
        raiseDamaged(slot, -1, e);
      }
    }();
    std::string first;
    try {
      first = in.readLine();
    } catch (const std::exception& e) {
      raiseDamaged(slot, -1, e);
    }
    if (isEmptySlotLine(first)) return false;
  }
  SlotHead otherHead;
  readSlotRecord(slot, mother, 0, otherHead);
  for (Integer k = 0; k < 4; ++k) readSlotRecord(slot, *subs[k], static_cast<Integer>(k + 1), otherHead);
  readSlotRecord(slot, game, -1, head);
  return true;
}

std::string CPlayer::SlotDamage(Integer slot) const {
  checkSlotArgs(slot, -1);
  CPlayer mother(*this), game(*this);
  mother.ShipType = -1;
  std::array<CPlayer, 4> subs{*this, *this, *this, *this};
  for (CPlayer& sub : subs) {
    sub.subInit();
    sub.ShipType = -1;
  }
  SlotHead head;
  try {
    readWholeSlot(slot, mother, {&subs[0], &subs[1], &subs[2], &subs[3]}, game, head);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

void CPlayer::Load(Integer slot, Integer ship, Integer kind) {
  checkSlotArgs(slot, kind);
  RecoverSlot(slot);

  SlotHead head;
  if (kind != -1) {
    if (!readSlotRecord(slot, *this, kind, head)) return;
    if (GameInterface) GameInterface->GameTime = head.gameTime;
    if (World) {
      World->CurrentNode = head.node;
      World->ClearDest();
    }
    return;
  }

  // The whole game: every file is read before anything of the running game changes.
  auto mother = std::make_shared<CPlayer>();
  mother->ShipType = -1;
  std::array<std::shared_ptr<CPlayer>, 4> subs;
  for (auto& sub : subs) {
    sub = std::make_shared<CPlayer>();
    sub->subInit();
    sub->ShipType = -1;
  }
  CPlayer game(*this);
  if (!readWholeSlot(slot, *mother, {subs[0].get(), subs[1].get(), subs[2].get(), subs[3].get()}, game, head)) return;
  // The game resumes only where it can be played: its ship's design and its node's map whole.
  const std::string slotName = "save slot " + std::to_string(slot + 1);
  if (!shipDefReadable(game.ShipType))
    vbRaise(vberr::FileAccess, slotName + ": its ship cannot be read (" + shipDefPath(game.ShipType) + ")");
  if (World) {
    const FileProblem problem = World->nodeMapProblem(head.node);
    if (!problem.empty())
      vbRaise(vberr::FileAccess, slotName + ": " + problem.text() + ". " + World->cannotEnter(head.node));
  }

  // 1..5. All read: the game resumes from the slot.
  *this = game;
  MotherPlayer = mother;
  SubPlayers = subs;
  if (GameInterface) GameInterface->GameTime = head.gameTime;
  if (World) {
    World->CurrentNode = head.node;
    World->ClearDest();
    if (MissionControl) World->CurrentEra = MissionControl->checkCurrentEra();
    World->GoalPathFrame = 0;
    World->DestNode = -1;
    World->Selected = World->CurrentNode;
    World->ClearLastHostiles();
    if (CurMap) {
      CurMap->MapName = World->getNodePath(World->CurrentNode);
      CurMap->Load();
    }
  }
  if (MotherPlayer->ShipType != -1) {
    MotherPlayer->getUniversalData(*this);
    ClonePlayer(*MotherPlayer);
  }
  MakeShipFromPlayer(ship, head.x, head.y, 1500);
  MotherNodePath.clear();
  MotherNodeTitle.clear();
  // A loaded game never resumes a mission: the running one ends with the game it belonged to.
  if (MissionControl) {
    MissionControl->EndWithGame();
    MissionControl->GetMissionDefs();
  }
  resetLevel();
  if (GameInterface) {
    GameInterface->prevCash = Cash;
    GameInterface->closeTalkBox();
    GameInterface->FadeIn();
  }
}
