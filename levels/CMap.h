// CMap: the map of one world node: sky sectors, weather particles, map colour and fog, the 32
// structure slots with the 22 structure definitions they draw on, the unit-type table and the
// keyword tables of alignments, mounts, secondary weapons, ships and units, the collision
// and landing queries over the structure boxes, the population of AI ships it spawns by the
// node's world type (CMapSpawn.cpp) and its per-frame step: weather, ambient sprites, the
// population top-up, the level's alert state and the police waves (CMapUpdate.cpp). One
// long-lived map (CurMap) serves play; the map editor owns a second one.
//
// Map file "\maps\" + MapName + ".pnd", items, all 111 lines always present:
//   1 MapTitle; 2 MapFog, MapWeather, MapFX; 3..14 per sky sector R, Scale, Texture, X, Y;
//   15..110 per slot three lines: location X, Y (height), Z / StructDefIndex (-1 empty) / link;
//   111 map colour R, G, B (0..255).
// Unit file "\data\shipinfo.pnd": line file, blank-separated fields, read once at construction.
#pragma once
#include <array>
#include <string>

#include "engine/PlayerNotices.h"
#include "levels/CStruct.h"
#include "levels/CStructDef.h"
#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

constexpr Integer MapSlots = 32;       // structure slots 0..31
constexpr Integer MapStructDefs = 22;  // StructDefIndex 0..21
constexpr Integer MapSectors = 12;     // sky sectors 0..11
constexpr Integer MapParticles = 32;   // weather particles
constexpr Integer UnitTypes = 66;      // UnitType 0..65
constexpr Integer SecondaryTypes = 16;  // SecondaryType slots of a unit (0..8 have keywords)
constexpr Integer UnitMounts = 8;

// One sky backdrop.
struct MapSector {
  Single X = 0, Y = 0, R = 0;  // yaw, pitch, roll (radians)
  Single Scale = 0;
  std::string Texture;         // file under "\gfx\", "" = none
  Integer TextureNumber = 0;   // texture cache handle of Texture
  Integer NoTunnel = 0;        // (Boolean) a planet texture: not used for the warp tunnel
};

struct WeatherParticle {
  Integer Active = 0;  // (Boolean)
  Single X = 0, Y = 0, Z = 0, Value = 0;
  Long Kind = 0;  // 0..13
  Single Life = 0;  // seconds
};

// What a unit type flies (one record per UnitType).
struct UnitInfo {
  std::string CharModel1, CharModel2;      // crew models of seat 0 (driver) and 1 (gunner); "" none
  std::string CharTexture1, CharTexture2;  // their skins
  std::array<Integer, SecondaryTypes> HasSecondary{};  // (Boolean) by SecondaryType
  std::array<Integer, SecondaryTypes> SecondaryAmmo{};
  Long Ship = 0;                             // ShipDefIndex
  std::array<Long, UnitMounts> Mount{};      // MountType per mount, -1 none
  std::string Desc;
  Long Align = 0;                            // AlignType
};

class CMap {
 public:
  // Creates the 32 structures, loads the 22 structure definitions and reads the unit table.
  // A missing or damaged definition or unit file is told to the player once (engine/PlayerNotices);
  // a definition that could not be read is not placed, a unit whose lines could not be read is
  // not spawned, and the map still works.
  CMap();

  Double Frame = 0;                      // map clock, cycles 0..10 s; never reset by Load
  Integer Fog = 0;                       // fog on (Boolean, -1/0), set every frame from MapFog
  Integer FogR = 0, FogG = 0, FogB = 0;  // the map colour rounded, 0..255
  Long FogNear = 0, FogFar = 0;          // fog start and end, world units
  std::string MapName;                   // file name without folder and ".pnd"; set before Load
  std::string MapTitle;
  Single HostileSafe = 0;  // truce seconds left
  Long MapWeather = 0;     // WeatherType 0..5
  Long MapFog = 0;         // FogLevel 0..3
  Long MapFX = 0;          // FXType 0..3
  Integer CopWave = 0;     // police alert waves left
  Integer TalkingsTo = 0;  // idle chatter talks of the player on this map

  // Reads the file named by MapName. Returns False when the file is missing, short or damaged:
  // the map is then left as it was before the call and MapName names the map it still holds; the
  // file and the reason go to *failure, or without one to the message log as "Error in CMap.Load: "
  // + the reason (the file named). With ClassicView on, placed pads, catwalks and closewalks are
  // moved or dropped to suit the overhead camera; a slot whose definition could not be read is
  // not placed. Save writes such slots back as the file had them unless the slot was edited since.
  bool Load(FileProblem* failure = nullptr);
  // Writes the map to the file named by MapName (atomic replace); errors raise to the caller.
  void Save();
  void LoadStructDefs();  // definitions 0..21 from their fixed files

  // Structure slots, i = 0..31 (Subscript out of range otherwise).
  Long getStructDef(Integer i) const;
  void setStructDef(Integer i, Long d);  // -1 empties the slot, 0..21 places that definition
  D3DVECTOR getStructPos(Integer i) const;
  void setStructPos(Integer i, Single x, Single y, Single z);
  Long getStructType(Integer i) const;  // StructType of the slot's copy, also when inactive
  void setStructLink(Integer i, Integer v);
  Integer getStructLink(Integer i) const;
  // Definitions: "" for an index outside 0..21.
  std::string getStructModel(Integer i) const;
  std::string getStructTexture(Integer i) const;

  // Sky sectors, i = 0..11.
  void setSecX(Integer i, Single v);
  void setSecY(Integer i, Single v);
  void setSecR(Integer i, Single v);
  void setSecScale(Integer i, Single v);
  Single getSecX(Integer i) const;
  Single getSecY(Integer i) const;
  Single getSecR(Integer i) const;
  Single getSecSC(Integer i) const;
  void setSecTexture(Integer i, const std::string& name);
  std::string getSecTexture(Integer i) const;
  Integer getSecUTexture(Integer i) const;  // sector (i Mod 12)
  Integer getSecNoTunnel(Integer i) const;  // sector (i Mod 12)

  // Map colour, components 0..255.
  void setRed(Integer v);
  void setGreen(Integer v);
  void setBlue(Integer v);
  Single getRed() const { return red; }
  Single getGreen() const { return green; }
  Single getBlue() const { return blue; }
  // Publishes the map colour: sky colour, fog colour and sprite tint.
  void updateColor();

  // ---- drawing (CMapRender.cpp) ---------------------------------------------------------------
  // The sky around CamEye: the sector backdrops as additive quads (stretched away from the view
  // while the player's ship warps, with up to 5 larger glow layers in bullet time), then the
  // weather. Play passes -1; the map editor its selected sector, which blinks every half second.
  // Leaves alpha blending off and the depth test on.
  void RenderSky(Integer selected);
  void Render();      // the solid pass of every active structure
  // The far-fade pass of the structures 4720..5000 units away, then the glow pass of every active
  // structure, pulsing over Frame (each slot offset by its index in radians).
  void FadeRender();

  void setWorldType(Long t) { worldType = t; }
  void setMedianShips(Integer n) { medianShips = n; }

  // ---- population (CMapSpawn.cpp) -------------------------------------------------------------
  // Level start (after every map load): the node's world type, spawn weights and median
  // population, a random population in place of the AI ships, a bounty target every few maps,
  // and the carrier put back when it was left at this node. A world type without weights
  // (Pirate Base, or any value outside 0..25) keeps the ships it has.
  void ShipInit();
  // Mission script spawn of the unit named by keyword: h <= -1 placed at (x, z), -1 < h <= 100
  // warping in with heading h, h > 100 placed at (x, z) at height -10000. An unknown keyword is
  // reported and spawns nothing.
  void MissionSpawn(const std::string& unitKeyword, const std::string& tag, Single x, Single z, Single h);
  // A "respawn" ship of UnitType unit warps in (a mission ship that died).
  void MissionRespawn(Integer unit);
  // The gas attendant of the world type, placed on the landing nearest the (last) gas station,
  // meeting the player when the player owns the refuel alert. Nothing without a gas station
  // beside a landing.
  void checkAddGasman();
  Long getWorldAlign() const;  // AlignType of the world type: zombie, ninja, ptero, cyborg or neutral

  // ---- per-frame step (CMapUpdate.cpp) --------------------------------------------------------
  // Play passes (False, 0); the map editor True and its selected structure slot. Advances Frame
  // by FrameTime; nothing happens while the player's ship is in its trans-warp.
  void Move(bool editing, Integer selected);

  // True when "\maps\" + name + ".pnd" holds a whole map in the layout above (the check Load
  // makes before it changes anything), without touching any map; else the file and the reason go
  // to *failure.
  static bool checkMapFile(const std::string& name, FileProblem* failure = nullptr);

  // Keyword tables (keywords compared lower-case). An unknown keyword logs its message and
  // gives 0 for an alignment, -1 otherwise.
  Long getAlignFromString(const std::string& s) const;
  static Long findAlign(const std::string& s);  // the same without a message: -1 for an unknown one
  Long getMountFromString(const std::string& s) const;
  Long getSecondaryFromString(const std::string& s) const;
  Long getShipFromString(const std::string& s) const;
  Long getUnitFromString(const std::string& s) const;
  std::string getShipDriverTexture(Long unit) const;  // CharTexture1 of the unit
  std::string getShipUnitDesc(Long unit) const;       // "mother ship" for unit 21

  // Collision and landing queries over the active slots. Positions are world x, y (height), z;
  // every comparison is strict, so a point on a face is outside.
  Integer checkLand(Single x, Single z, Single height) const;  // Landing slot under the point
  D3DVECTOR getStructLBounds(Integer i) const;
  D3DVECTOR getStructUBounds(Integer i) const;
  Single getStructYMin(Integer i) const;
  Single getStructYMax(Integer i) const;
  bool checkCheapStructCol(Single x, Single y, Single z, Single radius) const;
  // The slots (bit i for slot i) checkCheapStructCol could report for a point at height y with x
  // in [x0, x1] and z in [z0, z1]; checkCheapStructCol over those slots only gives the same answer
  // for every such point. For probes along a line.
  uint32_t cheapStructsNear(Single x0, Single x1, Single y, Single z0, Single z1, Single radius) const;
  bool checkCheapStructCol(Single x, Single y, Single z, Single radius, uint32_t slots) const;
  // The move from (ox, oy, oz) to (nx, ny, nz): True when it hit a box; the new point is
  // pushed back on every axis it crossed a box face (later slots see the corrected point).
  bool checkStructCol(Single ox, Single oy, Single oz, Single& nx, Single& ny, Single& nz,
                      Single radius);
  // A warp's climb straight up from (x, y, z) to the height `top` for a body of radius r: True when
  // a box, grown as checkStructCol grows it (r on x and z, r/2 in height), has its bottom in that
  // column, where it would stop the climb (a box the body already reaches into stops no climb).
  bool climbBlocked(Single x, Single y, Single z, Single top, Single radius) const;
  // Line of sight: one sample per step units of ground distance; True when blocked. A step of
  // 0 raises Division by zero.
  bool quickTestConnect(const D3DVECTOR& p1, const D3DVECTOR& p2, Integer step) const;
  bool getHasMissionControl() const;
  Integer getRandLanding() const;      // a random active Landing slot, -1 none
  Integer getAutoSaveLanding() const;  // the Landing slot nearest to a Bank, -1 none
  Integer getCloseLanding(Integer i) const;  // nearest service slot to slot i, 0 when none

 private:
  friend struct CMapTestAccess;
  friend struct CMapLifeProbe;  // the population and map-step tests

  // Spawns at most one ship (a random pirate_poor pick a group of up to three) into the first
  // free slots of Ships: unit -1 draws one by the weights; x or z <= -20000 a random place;
  // heading <= -1 a random heading, -5 also puts the ship at height -10000. Refused while a
  // mission runs for an untagged placed ship, and for an untagged warp-in when the mission also
  // locks the area. Traps its errors ("Error in CMap.SpawnShip: ...").
  void SpawnShip(bool warpIn, Long unit, Single x, Single z, Single heading, const std::string& tag, bool meet);
  void spawnOne(Integer slot, bool warpIn, Long unit, Single x, Single z, Single heading, const std::string& tag,
                bool meet);
  void MoveWeather();
  void RenderWeather();
  // One additive sky quad around CamEye; quarter 0 the whole texture, 1..4 a quarter of it.
  void drawFXQuad(Single yaw, Single pitch, Single roll, Single scale, Single c1, Single c2, Single c3,
                  Integer texture, Integer quarter);
  void addWeatherParticle(Single x, Single y, Single z, Single value, Long kind);
  void checkAlert();
  void doCopSpawn();
  Integer countActiveShips() const;

  struct SlotFile;  // a slot as the file holds it
  struct MapFile;   // a whole map file as read

  void LoadStructDef(Integer i, const std::string& name);
  void ReadShipInfo();
  static void readMapFile(const std::string& name, MapFile& f);
  static void classicFixups(Integer d, CStruct& s);
  CStruct& slot(Integer i);
  const CStruct& slot(Integer i) const;

  // Kept by the map's own steps (weather, police, spawner) and reset by Load where told.
  double weatherTimer = 0;
  Integer mapDone = 0;  // (Boolean) the map's own mission is completed
  std::array<WeatherParticle, MapParticles> particles{};
  std::array<CStruct, MapSlots> structs;
  std::array<CStructDef, MapStructDefs> defTable;
  std::array<bool, MapStructDefs> defCreated{};  // LoadStructDef has run for the index
  std::array<bool, MapStructDefs> defRead{};     // ... and read the whole file
  std::array<Long, MapSlots> slotDef{};
  std::array<Integer, MapSlots> slotLink{};
  std::array<UnitInfo, UnitTypes> units;
  std::array<bool, UnitTypes> unitRead{};  // the unit's lines were read (a unit never named counts as read)
  std::array<MapSector, MapSectors> sectors;
  Single red = 0, green = 0, blue = 0;
  Long worldType = 0;
  Integer medianShips = 0;
  std::array<Single, UnitTypes> spawnWeight{};
  Single copTimer = 0;
  Long copUnit = 0;
  Integer copReload = 0;
  Integer bountyCounter = 0;
  Single gasTimer = 0;
  std::string loadedName;  // MapName of the map the slots and sectors hold
  // Slots that the classic-view fix-ups changed on Load, with the values the file held; Save
  // writes these back unless the slot was edited since.
  std::array<bool, MapSlots> fixedUp{};
  std::array<D3DVECTOR, MapSlots> fileLoc{};
  std::array<Long, MapSlots> fileDef{};
};

// The current map; created at start-up and lives for the whole run.
extern CMap* CurMap;
// Slot of the last structure hit found by the collision tests, -1 none.
extern Integer LastStructHit;
// Sprite tint from the map colour, 0..255 each (updateColor).
extern Single TintR, TintG, TintB;
// StructDefIndex -> definition file name.
extern const char* const StructDefFiles[MapStructDefs];
