// CPlayer: the player record, one per player ship and the campaign around it: cash, difficulty,
// the upgrade parts, the crew, the ship (design, fuel, armour, shields, mounts, secondary weapons
// and ammunition), goods, faction levels and favour, mapped world nodes, completed missions,
// bounties, and in the same object the options, key bindings and cheat states with the options
// file "\data\options.pnd" and the cheat-flag file "\data\options2.pnd". The flying ship is built
// from the record (MakeShipFromPlayer) and copied back into it (updateFromShip). Three kinds of
// record live at once: Player (the ship flown), MotherPlayer (the carrier while a fleet ship is
// flown) and SubPlayers (the four fleet bays; ShipType -1 is an empty bay).
//
// Options file, item form, 34 lines: lines 1..32 the bindings of KeyAction 0..31 (one Integer
// each; below 1000 a key code, 1000 and up a joystick control); line 33 bMusic, bSound, vRes,
// vWideScreen, vFullScreen, ClassicView, FollowMouse, DevMode; line 34 musicVolume, soundVolume.
// Cheat file: 5 lines, the state of cheat 0..4 (0 locked, 1 unlocked and off, 2 on).
// A missing file gives the defaults (windowed 800 x 600, developer option off, music and sound on
// at 75, the default bindings; all cheats locked) and writes them, with a forced message; a short
// or damaged file keeps the items read and fills the rest with the defaults. A damaged file, or a
// missing one that cannot be written, is a notice to the player (tellPlayer) naming the file and
// why; each problem is told once however many records read the file.
//
// Index ranges (VbError 9 outside): goods 0..15, mounts 0..7, secondary weapons 0..15, factions
// 0..5, crew seats 0..1, key actions 0..31, cheats 0..5, list entries 0..their upper bound. The
// bounty accessors check for themselves: only bounties 0..62 are stored or reported.
#pragma once
#include "engine/GameGlobals.h"
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "runtime/Numbers.h"

class ItemReader;

// A world node the player has mapped.
struct MappedLoc {
  std::string name;    // the node's map path
  Integer favour = 0;  // always 0: added, copied and saved as it is
  bool operator==(const MappedLoc&) const = default;
};

class CPlayer {
 public:
  // A new record reads the options file and the cheat-flag file; every other value is zero,
  // empty or False, and both lists hold one empty entry.
  CPlayer();

  Long Cash = 0;            // 10000 in a new campaign
  Long Difficulty = 0;      // 0 very easy, 1 easy, 2 normal, 3 hard, 4 armageddon
  // Upgrade parts owned (store part numbers in brackets).
  bool HasShieldBoost = false;    // (5) shields regenerate after 5 s instead of 10
  bool HasFuelDoubler = false;    // (6) +1000 fuel
  bool HasCapacitator = false;    // (13) top speed +200
  bool HasAgilitator = false;     // (14) agility x 1.5
  bool HasBoostBooster = false;   // (15) boost refills twice as fast
  bool HasShieldDoubler = false;  // (16) +450 shields
  bool HasAcceleratron = false;   // (17) acceleration doubled
  bool HasShieldCharger = false;  // (19) shields regenerate 30 per second
  bool HasTractorBoost = false;   // (20)
  bool HasRefuelAlert = false;    // (21)
  bool HasHud20 = false;          // (22)
  bool HasAutoSaver = false;      // (23)
  bool HasSiphonator = false;     // (24)
  bool HasJammar = false;         // (25)
  bool HasDarkEscaper = false;    // (26)
  bool HasRoboLoader = false;     // (27) firing rate x 1.5
  bool HasRoboFixit = false;      // (28) armour repairs 1 per second
  Integer ArmorLev = 0;     // armour part: 0 none, 1..3 (parts 7, 8, 9)
  std::string DriverName;   // crew seat 0
  std::string GunnerName;   // crew seat 1
  Integer ShipType = 0;     // index of the record's design in ShipDefs; -1 no ship
  Long Fuel = 0;
  Single Armor = 0;
  Single Shields = 0;
  bool SubVersion = false;     // a fleet-ship record
  bool MotherVersion = false;  // a carrier record
  bool bMusic = false;      // option: music on
  bool bSound = false;      // option: sound effects on
  Long vRes = 0;            // option: 0 640 x 480, 1 800 x 600, 2 1024 x 768, 3 1280 x 1024 (kept as read)
  bool vWideScreen = false;
  bool vFullScreen = false;
  Double musicVolume = 0;   // option: 0..100
  Double soundVolume = 0;   // option: 0..100

  // Binding of KeyAction k (0..31; 0..17 are used); VbError 9 outside.
  Integer getCharKey(Long k) const;
  void setCharKey(Long k, Integer code);
  // Cheat flag i (0..5): 0 locked, 1 unlocked and off, 2 on; VbError 9 outside. Setting flag
  // 0..3 also sets CheatGod, CheatAmmo, CheatCash or CheatSlowMo to (v = 2).
  Integer getHasCheat(Long i) const;
  void setHasCheat(Long i, Integer v);

  // Bounty i: 0 open, 1 or 2 hunted; outside 0..62 reads 0 and is not stored.
  Long getBountyHunted(Integer i) const;
  void setBountyHunted(Integer i, Long v);

  // Goods counts by GoodsKind (kinds 0..7 are traded; all 16 are kept).
  Integer getResource(Integer k) const;
  void setResource(Integer k, Integer v);
  void addResource(Integer k, Integer delta);  // may go negative
  bool getRscNotEmpty() const;                 // any count above 0

  // Faction favour (only copied and saved) and the highest mission level completed this era.
  Integer getAlignFavor(Integer a) const;
  Integer getAlignLevel(Integer a) const;
  void setAlignLevel(Long a, Integer level);  // only raises the stored level

  // Completed missions. The list starts as one empty entry (upper bound 0 = empty); the first
  // name overwrites it, later names are appended unless already there (exact compare). Adding
  // re-evaluates the era (MissionControl.checkCurrentEra into World.CurrentEra) and a new era
  // clears the six faction levels.
  void addMissionComplete(const std::string& name);
  bool checkMissionComplete(const std::string& name) const;
  bool checkCompletedMission(const std::string& name) const;
  Integer getMissionCompletes() const;  // upper bound of the list
  std::string getMissionComplete(Integer i) const;

  // Mapped world nodes, a list like the mission list (favour always 0).
  void AddMappedLoc(const std::string& path);
  bool checkMappedLoc(const std::string& path) const;
  Integer checkMapFavor(const std::string& path) const;  // favour of the first equal entry, 0 none
  Integer getMappedLocs() const;                          // upper bound of the list
  std::string getMappedLocName(Integer i) const;
  Integer getMappedLocFavor(Integer i) const;

  // Secondary weapons owned and their ammunition, by SecondaryType.
  bool getHasWeapon(Integer i) const;
  bool getSecondary(Long i) const;
  void setSecondary(Long i, bool v);
  Integer getAmmo(Integer i) const;
  Integer getSecondaryAmmo(Long i) const;
  void setSecondaryAmmo(Long i, Integer v);
  Long getMount(Integer i) const;  // MountType on mount i, -1 empty

  // Character (CharDefs index) of seat 0 (driver) or 1 (gunner).
  Integer getCharDef(Integer seat) const;
  void setCharDef(Integer seat, Integer def);

  // Copying from the flying ship Ships(i).
  void setHasWeaponFromShip(Integer i);
  void setAmmoFromShip(Integer i);
  void setMountsFromShip(Integer i);
  void updateFromShip(Integer i);  // ammunition, weapons, mounts, then Armor, Shields and Fuel

  // Builds the record's ship into Ships(i) at (x, y) and height e: design, models, Init, mounts,
  // secondary weapons, crew, then Fuel, Shields, Armor and ShipType from the record.
  void MakeShipFromPlayer(Integer i, Single x, Single y, Single e);
  // Buys design n while flying Ships(i): mounts emptied, parts cleared; a fleet record only takes
  // the new design's maxima, otherwise the ship is rebuilt in place at height 500 with full
  // armour, shields and fuel and copied back into Player. A Capital or Fleshy design is a
  // carrier: coming from another carrier, the bays it lacks (beyond its ship's dock bays,
  // TotalMounts / 2 rounded half to even) are emptied; coming from a plain ship, the four bays are
  // renewed and the ship given up (a copy of Player) docks in bay 0.
  void BuyNewShip(Integer n, Integer i);
  void MaxVals();  // Fuel, Shields and Armor to the plain maxima of design ShipType

  void MotherInit() { MotherVersion = true; }
  void subInit() { SubVersion = true; }
  // Everything but bounties, cheats, key bindings, options and the record kind.
  void ClonePlayer(const CPlayer& other);
  // The campaign-wide part: crew names and characters, difficulty, secondary weapons and
  // ammunition, missions, mapped nodes, faction levels and favour, cash.
  void getUniversalData(const CPlayer& other);
  // Summed energy of the installed parts and mounted weapons (the stores' catalogue figures; 0 per
  // part until the catalogue is read).
  Long getEnergyLoad() const;

  // A new campaign: cash 10000, no parts, goods, weapons or missions, design 1 at its maxima,
  // characters 4 and 16 with random names, four empty fleet bays.
  void Init();

  void ReadOptions();    // never raises for a missing or damaged file (see above)
  void WriteOptions();   // atomic; a refused write raises VbError naming the file and why (file unchanged)
  void ReadCheats();
  void WriteCheats();    // as WriteOptions, for "\data\options2.pnd"
  // WriteCheats for cheats the player just unlocked: a refused write is a notice to the player
  // ("cheats not saved", the file and why) and the flags stay as they are in the record; false then.
  bool storeCheats();

  // Save slots 0..6: the folder "\data\save" + slot holds "save.pnd" (kind -1, the whole game),
  // "mother.pnd" (kind 0, MotherPlayer) and "sub1.pnd".."sub4.pnd" (kind 1..4, SubPlayers(0..3)).
  // Save with kind -1 writes all six files of the slot as one set: a crash at any moment leaves
  // either the old slot or the new one, never a mixture; the position written is that of
  // Ships(ship). Load with kind -1 reads the whole slot and resumes the game on its map, rebuilding
  // Ships(ship); a slot whose "save.pnd" holds the deleted-slot marker changes nothing. A missing
  // or damaged slot raises VbError (its message names the slot and the file) before anything of
  // the running game is changed. Slot outside 0..6 or kind outside -1..4: VbError 9.
  void Save(Integer slot, const std::string& title, Integer ship, Integer kind);
  void Load(Integer slot, Integer ship, Integer kind);
  // What keeps slot from loading as a whole game (Load's error text, naming the slot and the file),
  // "" when it would load or holds no game. Reads the slot's files, changes nothing.
  std::string SlotDamage(Integer slot) const;
  static std::string SlotFolder(Integer slot);            // "\data\save" + slot
  static std::string SlotFile(Integer slot, Integer kind);  // the file of a kind in that folder
  static const char* const EmptySlotMarker;                // "*nil*" in double quotes, the whole line
  // Finishes or undoes a slot write that was cut off (a crash between its renames), so the slot
  // folder holds a whole slot again; Save and Load call it, and so do readers of slot files. Where
  // the renames fail (the medium has become read-only) the folders stay as they are.
  static void RecoverSlot(Integer slot);
  // The file of a kind in the folder that holds the slot's complete copy: the slot folder, or while
  // a swap stays unfinished (see RecoverSlot) the complete new copy, else the old one. Readers use it.
  static std::string SlotReadFile(Integer slot, Integer kind);
  // The program's start: every slot recovered (RecoverSlot) and what writes cut off by a kill or a
  // crash left (their temporaries) removed from "\data" and the slot folders.
  static void RemoveCutWrites();

  static constexpr int KeyCount = 32;
  static constexpr int CheatCount = 6;   // flags 0..4 are stored
  static const std::array<Integer, KeyCount> DefaultCharKeys;

  static constexpr int GoodsSlots = 16;
  static constexpr int MountSlots = 8;
  static constexpr int SecondarySlots = 16;
  static constexpr int BountySlots = 64;   // 0..62 in use
  static constexpr int AlignSlots = 6;

 private:
  friend class CPlayerProbe;  // tests read the private state

  // One slot file: the text of the record (kind as for Save), and its reading into this record
  // (head.x, y, e, time and node receive what is not kept in the record).
  struct SlotHead {
    Long gameTime = 0;
    Single x = 0, y = 0, e = 0;
    Integer node = 0;
  };
  std::string slotText(const std::string& title, Integer ship, Integer kind) const;
  void readSlot(ItemReader& in, Integer kind, SlotHead& head);
  // File kind of slot read into rec (VbError naming the slot and the file when it cannot be read
  // whole); False, rec untouched, for the deleted-slot marker.
  static bool readSlotRecord(Integer slot, CPlayer& rec, Integer kind, SlotHead& head);
  // Every file of the slot into those records (the game's head into head); False for a deleted slot.
  static bool readWholeSlot(Integer slot, CPlayer& mother, const std::array<CPlayer*, 4>& subs, CPlayer& game,
                            SlotHead& head);

  void readOptionItem(ItemReader& in, int item);
  void setOptionDefault(int item);
  void clearParts();                            // the 17 part flags False, ArmorLev 0
  std::vector<Integer> installedParts() const;  // store part numbers of the parts and mounted weapons

  std::array<Integer, GoodsSlots> Resources{};
  std::vector<MappedLoc> MappedLocs;
  std::array<Integer, 2> CrewChar{};
  std::array<Long, MountSlots> Mounts{};
  std::array<bool, SecondarySlots> HasSecondary{};
  std::array<Integer, SecondarySlots> SecondaryAmmo{};
  std::vector<std::string> MissionCompletes;
  std::array<Long, BountySlots> BountyHunted{};
  std::array<Integer, AlignSlots> AlignFavor{};
  std::array<Integer, AlignSlots> AlignLevel{};
  std::array<Integer, KeyCount> CharKeys{};
  std::array<Integer, CheatCount> CheatFlags{};
};

// The record of the ship the player flies; replaced by a new record for each new game.
extern std::shared_ptr<CPlayer> Player;
// The carrier's record while the player flies one of its fleet ships (ShipType -1: none).
extern std::shared_ptr<CPlayer> MotherPlayer;
// The four fleet bays of the carrier; a record with ShipType -1 is an empty bay.
extern std::array<std::shared_ptr<CPlayer>, 4> SubPlayers;
extern Integer SubIndex;  // the SubPlayers record of the fleet ship being flown

// DevMode, ClassicView and FollowMouse, the options the whole program reads, live in
// engine/GameGlobals.h; the record reads and writes them with the options file.

// True while cheat flag 0, 1, 2 or 3 is 2 (on).
extern bool CheatGod, CheatAmmo, CheatCash, CheatSlowMo;
