#include "campaign/CPlayer.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "campaign/CMissionControl.h"
#include "campaign/CWorld.h"
#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "interface/CInterface.h"
#include "runtime/ItemFile.h"
#include "runtime/Paths.h"
#include "runtime/Rnd.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

std::shared_ptr<CPlayer> Player;
std::shared_ptr<CPlayer> MotherPlayer;
std::array<std::shared_ptr<CPlayer>, 4> SubPlayers;
Integer SubIndex = 0;
bool CheatGod = false, CheatAmmo = false, CheatCash = false, CheatSlowMo = false;

namespace {
const char* const OptionsFile = "\\data\\options.pnd";
const char* const CheatsFile = "\\data\\options2.pnd";

// Items of the options file in file order: 0..31 the bindings, then these.
enum OptionItem {
  oiMusic = CPlayer::KeyCount, oiSound, oiRes, oiWideScreen, oiFullScreen, oiClassicView, oiFollowMouse,
  oiDevMode, oiMusicVolume, oiSoundVolume, oiCount
};
constexpr int CheatsStored = 5;

// Every player record reads the options file and the cheat file (a dozen at start-up): a problem
// with one is told once, until a read of that file works or the problem changes.
std::string& lastReport(const char* file) {
  static std::map<std::string, std::string> last;  // by file: its real path, a line break, the report
  return last[file];
}

bool firstReport(const char* file, const std::string& text) {
  const std::string key = resolvePath(file) + "\n" + text;
  if (lastReport(file) == key) return false;
  lastReport(file) = key;
  return true;
}

// A file missing and written with the defaults: a forced log line.
void reportWritten(const char* file, const std::string& text) {
  if (firstReport(file, text)) addMessage(text, true);
}

// A file that is damaged or that could not be written: a notice to the player.
void reportTrouble(const char* file, const std::string& what, const std::string& why, const std::string& advice = "") {
  if (firstReport(file, what + why)) tellPlayer(what, why, advice);
}

// Store part number of each MountType 0..11.
constexpr Integer MountPart[12] = {3, 0, 2, 1, 4, 10, 11, 12, 18, 29, 30, 31};

const CShipDef& shipDef(Integer n) {
  vbCheckIndex(n, 0, static_cast<long long>(ShipDefs.size()) - 1);
  if (!ShipDefs[n]) vbRaise(vberr::ObjectMissing);
  return *ShipDefs[n];
}

CShip& ship(Integer i) {
  vbCheckIndex(i, 0, static_cast<long long>(Ships.size()) - 1);
  if (!Ships[i]) vbRaise(vberr::ObjectMissing);
  return *Ships[i];
}

// A list that holds only its empty entry 0 is empty.
template <class T>
bool isEmptyList(const std::vector<T>& list, const T& empty) {
  return list.size() == 1 && list[0] == empty;
}

// The model and skin of the character table's entry index (CharDefs, "\\data\\chars.pnd"); the
// preset "hiro" for an index outside the table or an entry the table was never read into.
bool unreadChar(Integer index) {
  if (index < 0 || index >= CharDefCount) return true;
  const CharDef& d = CharDefs[static_cast<size_t>(index)];
  return d.model.empty() && d.skin.empty();
}
std::string charModel(Integer index) { return unreadChar(index) ? "hiro" : CharDefs[static_cast<size_t>(index)].model; }
std::string charSkin(Integer index) { return unreadChar(index) ? "hiro.bmp" : CharDefs[static_cast<size_t>(index)].skin; }

// Energy of one installed part from the store catalogue; 0 before the interface exists.
Long partEnergy(Integer part) { return GameInterface ? GameInterface->getPartEnergy(part) : 0; }
}  // namespace

// thrust W, brake S, trick left A, trick right D, previous target Z, next target X, previous
// weapon Q, next weapon E, action Space, warp menu M, attack F, secondary G, look left/right/up/down
// the arrow keys, status P, talk T; 18..31 unused.
const std::array<Integer, CPlayer::KeyCount> CPlayer::DefaultCharKeys = {
    87, 83, 65, 68, 90, 88, 81, 69, 32, 77, 70, 71, 37, 39, 38, 40, 80, 84};

CPlayer::CPlayer() : MappedLocs(1), MissionCompletes(1) {
  ReadOptions();
  ReadCheats();
}

// ---- a new campaign ------------------------------------------------------------------------

void CPlayer::Init() {
  Cash = 10000;
  SubVersion = false;
  BountyHunted.fill(0);
  Resources.fill(0);
  Mounts.fill(-1);
  HasSecondary.fill(false);
  SecondaryAmmo.fill(0);
  clearParts();
  MappedLocs.assign(1, MappedLoc{});
  MissionCompletes.assign(1, std::string());
  ShipType = 1;
  MaxVals();
  CrewChar = {4, 16};
  const Single d = Rnd();
  DriverName = d < 0.25f ? "rupert" : d < 0.5f ? "murdock" : d < 0.75f ? "roger" : "hans";
  const Single g = Rnd();
  GunnerName = g < 0.25f ? "yuko" : g < 0.5f ? "suki" : g < 0.75f ? "azumi" : "ami";
  for (auto& sub : SubPlayers) {
    sub = std::make_shared<CPlayer>();
    sub->subInit();
    sub->ShipType = -1;
  }
}

void CPlayer::clearParts() {
  for (bool* part : {&HasShieldBoost, &HasFuelDoubler, &HasCapacitator, &HasAgilitator, &HasBoostBooster,
                     &HasShieldDoubler, &HasAcceleratron, &HasShieldCharger, &HasTractorBoost, &HasRefuelAlert,
                     &HasHud20, &HasAutoSaver, &HasSiphonator, &HasJammar, &HasDarkEscaper, &HasRoboLoader,
                     &HasRoboFixit})
    *part = false;
  ArmorLev = 0;
}

void CPlayer::MaxVals() {
  const CShipDef& d = shipDef(ShipType);
  Fuel = d.MaxFuel;
  Shields = d.MaxShields;
  Armor = d.MaxArmor;
}

// ---- bounties, goods, factions -------------------------------------------------------------

Long CPlayer::getBountyHunted(Integer i) const { return i >= 0 && i < BountySlots - 1 ? BountyHunted[i] : 0; }

void CPlayer::setBountyHunted(Integer i, Long v) {
  if (i >= 0 && i < BountySlots - 1) BountyHunted[i] = v;
}

Integer CPlayer::getResource(Integer k) const {
  return vbAt(Resources, k);
}

void CPlayer::setResource(Integer k, Integer v) {
  vbAt(Resources, k) = v;
}

void CPlayer::addResource(Integer k, Integer delta) {
  vbAt(Resources, k) = CInt(static_cast<double>(Resources[k]) + delta);
}

bool CPlayer::getRscNotEmpty() const {
  return std::any_of(Resources.begin(), Resources.end(), [](Integer n) { return n > 0; });
}

Integer CPlayer::getAlignFavor(Integer a) const {
  return vbAt(AlignFavor, a);
}

Integer CPlayer::getAlignLevel(Integer a) const {
  return vbAt(AlignLevel, a);
}

void CPlayer::setAlignLevel(Long a, Integer level) {
  vbCheckIndex(a, 0, AlignSlots - 1);
  if (level > AlignLevel[a]) AlignLevel[a] = level;
}

// ---- missions and mapped nodes -------------------------------------------------------------

void CPlayer::addMissionComplete(const std::string& name) {
  if (isEmptyList(MissionCompletes, std::string())) MissionCompletes[0] = name;
  else if (!checkMissionComplete(name)) MissionCompletes.push_back(name);
  if (!World || !MissionControl) return;
  const Integer old = World->CurrentEra;
  World->CurrentEra = MissionControl->checkCurrentEra();
  if (World->CurrentEra != old) AlignLevel.fill(0);
}

bool CPlayer::checkMissionComplete(const std::string& name) const {
  return std::find(MissionCompletes.begin(), MissionCompletes.end(), name) != MissionCompletes.end();
}

bool CPlayer::checkCompletedMission(const std::string& name) const { return checkMissionComplete(name); }

Integer CPlayer::getMissionCompletes() const { return static_cast<Integer>(MissionCompletes.size() - 1); }

std::string CPlayer::getMissionComplete(Integer i) const {
  vbCheckIndex(i, 0, static_cast<long long>(MissionCompletes.size()) - 1);
  return MissionCompletes[i];
}

void CPlayer::AddMappedLoc(const std::string& path) {
  if (isEmptyList(MappedLocs, MappedLoc{})) MappedLocs[0] = MappedLoc{path, 0};
  else if (!checkMappedLoc(path)) MappedLocs.push_back(MappedLoc{path, 0});
}

bool CPlayer::checkMappedLoc(const std::string& path) const {
  return std::any_of(MappedLocs.begin(), MappedLocs.end(), [&](const MappedLoc& m) { return m.name == path; });
}

Integer CPlayer::checkMapFavor(const std::string& path) const {
  for (const MappedLoc& m : MappedLocs)
    if (m.name == path) return m.favour;
  return 0;
}

Integer CPlayer::getMappedLocs() const { return static_cast<Integer>(MappedLocs.size() - 1); }

std::string CPlayer::getMappedLocName(Integer i) const {
  vbCheckIndex(i, 0, static_cast<long long>(MappedLocs.size()) - 1);
  return MappedLocs[i].name;
}

Integer CPlayer::getMappedLocFavor(Integer i) const {
  vbCheckIndex(i, 0, static_cast<long long>(MappedLocs.size()) - 1);
  return MappedLocs[i].favour;
}

// ---- weapons and crew ----------------------------------------------------------------------

bool CPlayer::getHasWeapon(Integer i) const { return getSecondary(i); }

bool CPlayer::getSecondary(Long i) const {
  return vbAt(HasSecondary, i);
}

void CPlayer::setSecondary(Long i, bool v) {
  vbAt(HasSecondary, i) = v;
}

Integer CPlayer::getAmmo(Integer i) const { return getSecondaryAmmo(i); }

Integer CPlayer::getSecondaryAmmo(Long i) const {
  return vbAt(SecondaryAmmo, i);
}

void CPlayer::setSecondaryAmmo(Long i, Integer v) {
  vbAt(SecondaryAmmo, i) = v;
}

Long CPlayer::getMount(Integer i) const {
  return vbAt(Mounts, i);
}

Integer CPlayer::getCharDef(Integer seat) const {
  vbCheckIndex(seat, 0, 1);
  return CrewChar[seat];
}

void CPlayer::setCharDef(Integer seat, Integer def) {
  vbCheckIndex(seat, 0, 1);
  CrewChar[seat] = def;
}

// ---- the flying ship -----------------------------------------------------------------------

void CPlayer::setHasWeaponFromShip(Integer i) {
  CShip& s = ship(i);
  for (Integer k = 0; k < SecondarySlots; ++k) HasSecondary[k] = s.getHasSecondary(k);
}

void CPlayer::setAmmoFromShip(Integer i) {
  CShip& s = ship(i);
  for (Integer k = 0; k < SecondarySlots; ++k) SecondaryAmmo[k] = s.getSecondaryAmmo(k);
}

void CPlayer::setMountsFromShip(Integer i) {
  CShip& s = ship(i);
  for (Integer k = 0; k < MountSlots; ++k) Mounts[k] = s.getMount(k);
}

void CPlayer::updateFromShip(Integer i) {
  setAmmoFromShip(i);
  setHasWeaponFromShip(i);
  setMountsFromShip(i);
  const CShip& s = ship(i);
  Armor = s.Armor;
  Shields = s.Shields;
  Fuel = s.Fuel;
}

void CPlayer::MakeShipFromPlayer(Integer i, Single x, Single y, Single e) {
  CShip& s = ship(i);
  s.setDef(shipDef(ShipType));
  s.UpdateFromDef();
  s.x = x;
  s.y = y;
  s.e = e;
  s.Init(i);
  for (Integer k = 0; k < MountSlots; ++k) s.setMount(k, Mounts[k]);
  s.makePrimaryInterval();
  for (Integer k = 0; k < SecondarySlots; ++k) {
    s.setSecondary(k, HasSecondary[k]);
    s.setSecondaryAmmo(k, SecondaryAmmo[k]);
  }
  for (Integer seat = 0; seat < 2; ++seat) {
    Long pose = 0;
    s.fullInitChar(seat, charModel(CrewChar[seat]), charSkin(CrewChar[seat]), pose);
  }
  s.Fuel = Fuel;
  s.Shields = Shields;
  s.Armor = Armor;
  s.ShipType = ShipType;
}

void CPlayer::BuyNewShip(Integer n, Integer i) {
  const CShipDef& bought = shipDef(n);
  auto isCarrier = [](Long body) { return body == sbCapital || body == sbFleshy; };
  if (isCarrier(bought.ShipBody)) {
    if (isCarrier(shipDef(ShipType).ShipBody)) {
      // The bays of the bought design (a Capital design's; a Fleshy one has none).
      const Integer bays = bought.DockBays;
      for (Integer k = 0; k < static_cast<Integer>(SubPlayers.size()); ++k) {
        if (k <= bays - 1) continue;
        if (!SubPlayers[k]) vbRaise(vberr::ObjectMissing);
        SubPlayers[k]->ShipType = -1;
      }
    } else {
      if (!Player) vbRaise(vberr::ObjectMissing);
      for (auto& sub : SubPlayers) {
        sub = std::make_shared<CPlayer>();
        sub->subInit();
        sub->ShipType = -1;
      }
      SubPlayers[0]->ClonePlayer(*Player);
    }
  }
  ShipType = n;
  Mounts.fill(-1);
  clearParts();
  if (SubVersion) {
    MaxVals();
    return;
  }
  CShip& s = ship(i);
  const Single heading = s.r, x = s.x, y = s.y, e = s.e;
  MakeShipFromPlayer(i, x, y, e);
  s.e = 500;
  s.r = heading;
  s.Armor = s.getMaxArmor();
  s.Shields = s.getMaxShields();
  s.Fuel = s.getMaxFuel();
  if (!Player) vbRaise(vberr::ObjectMissing);
  Player->updateFromShip(i);
  if (GameInterface) GameInterface->FadeIn();
}

// ---- copies between records ----------------------------------------------------------------

void CPlayer::ClonePlayer(const CPlayer& other) {
  HasShieldBoost = other.HasShieldBoost;
  HasFuelDoubler = other.HasFuelDoubler;
  HasCapacitator = other.HasCapacitator;
  HasAgilitator = other.HasAgilitator;
  HasBoostBooster = other.HasBoostBooster;
  HasShieldDoubler = other.HasShieldDoubler;
  HasAcceleratron = other.HasAcceleratron;
  HasShieldCharger = other.HasShieldCharger;
  HasTractorBoost = other.HasTractorBoost;
  HasRefuelAlert = other.HasRefuelAlert;
  HasHud20 = other.HasHud20;
  HasAutoSaver = other.HasAutoSaver;
  HasSiphonator = other.HasSiphonator;
  HasJammar = other.HasJammar;
  HasDarkEscaper = other.HasDarkEscaper;
  HasRoboLoader = other.HasRoboLoader;
  HasRoboFixit = other.HasRoboFixit;
  ArmorLev = other.ArmorLev;
  Shields = other.Shields;
  Armor = other.Armor;
  Fuel = other.Fuel;
  DriverName = other.DriverName;
  GunnerName = other.GunnerName;
  Difficulty = other.Difficulty;
  ShipType = other.ShipType;
  CrewChar = other.CrewChar;
  Mounts = other.Mounts;
  HasSecondary = other.HasSecondary;
  SecondaryAmmo = other.SecondaryAmmo;
  MissionCompletes = other.MissionCompletes;
  MappedLocs = other.MappedLocs;
  AlignLevel = other.AlignLevel;
  AlignFavor = other.AlignFavor;
  Cash = other.Cash;
  Resources = other.Resources;
}

void CPlayer::getUniversalData(const CPlayer& other) {
  DriverName = other.DriverName;
  GunnerName = other.GunnerName;
  Difficulty = other.Difficulty;
  CrewChar = other.CrewChar;
  HasSecondary = other.HasSecondary;
  SecondaryAmmo = other.SecondaryAmmo;
  MissionCompletes = other.MissionCompletes;
  MappedLocs = other.MappedLocs;
  AlignLevel = other.AlignLevel;
  AlignFavor = other.AlignFavor;
  Cash = other.Cash;
}

std::vector<Integer> CPlayer::installedParts() const {
  std::vector<Integer> parts;
  if (ArmorLev >= 1 && ArmorLev <= 3) parts.push_back(static_cast<Integer>(6 + ArmorLev));
  const std::pair<bool, Integer> owned[] = {
      {HasShieldBoost, 5},    {HasFuelDoubler, 6},    {HasCapacitator, 13}, {HasAgilitator, 14},
      {HasBoostBooster, 15},  {HasShieldDoubler, 16}, {HasAcceleratron, 17}, {HasShieldCharger, 19},
      {HasTractorBoost, 20},  {HasRefuelAlert, 21},   {HasHud20, 22},       {HasAutoSaver, 23},
      {HasSiphonator, 24},    {HasJammar, 25},        {HasDarkEscaper, 26}, {HasRoboLoader, 27},
      {HasRoboFixit, 28}};
  for (const auto& [has, part] : owned)
    if (has) parts.push_back(part);
  for (Long m : Mounts)
    if (m >= 0 && m < 12) parts.push_back(MountPart[m]);
  return parts;
}

Long CPlayer::getEnergyLoad() const {
  Long total = 0;
  for (Integer part : installedParts()) total = CLng(static_cast<double>(total) + partEnergy(part));
  return total;
}

Integer CPlayer::getCharKey(Long k) const {
  return vbAt(CharKeys, k);
}

void CPlayer::setCharKey(Long k, Integer code) {
  vbAt(CharKeys, k) = code;
}

Integer CPlayer::getHasCheat(Long i) const {
  return vbAt(CheatFlags, i);
}

void CPlayer::setHasCheat(Long i, Integer v) {
  vbAt(CheatFlags, i) = v;
  switch (i) {
    case 0: CheatGod = v == 2; break;
    case 1: CheatAmmo = v == 2; break;
    case 2: CheatCash = v == 2; break;
    case 3: CheatSlowMo = v == 2; break;
    default: break;
  }
}

void CPlayer::setOptionDefault(int item) {
  if (item < KeyCount) {
    CharKeys[item] = DefaultCharKeys[item];
    return;
  }
  switch (item) {
    case oiMusic: bMusic = true; break;
    case oiSound: bSound = true; break;
    case oiRes: vRes = 1; break;
    case oiWideScreen: vWideScreen = false; break;
    case oiFullScreen: vFullScreen = false; break;
    case oiClassicView: ClassicView = false; break;
    case oiFollowMouse: FollowMouse = false; break;
    case oiDevMode: DevMode = false; break;
    case oiMusicVolume: musicVolume = 75; break;
    case oiSoundVolume: soundVolume = 75; break;
    default: break;
  }
}

void CPlayer::readOptionItem(ItemReader& in, int item) {
  if (item < KeyCount) {
    CharKeys[item] = in.readInteger();
    return;
  }
  switch (item) {
    case oiMusic: bMusic = in.readBool(); break;
    case oiSound: bSound = in.readBool(); break;
    case oiRes: vRes = in.readLong(); break;
    case oiWideScreen: vWideScreen = in.readBool(); break;
    case oiFullScreen: vFullScreen = in.readBool(); break;
    case oiClassicView: ClassicView = in.readBool(); break;
    case oiFollowMouse: FollowMouse = in.readBool(); break;
    case oiDevMode: DevMode = in.readBool(); break;
    case oiMusicVolume: musicVolume = in.readNumber(); break;
    case oiSoundVolume: soundVolume = in.readNumber(); break;
    default: break;
  }
}

void CPlayer::ReadOptions() {
  const std::string real = resolvePath(OptionsFile);
  const std::string named = std::string("options file ") + OptionsFile;
  if (!fileExists(real)) {
    for (int item = 0; item < oiCount; ++item) setOptionDefault(item);
    std::error_code ec;
    if (std::filesystem::is_directory(real, ec)) {
      reportTrouble(OptionsFile, named + " is a folder", "default options used.");
      return;
    }
    try {
      WriteOptions();
      reportWritten(OptionsFile, named + " missing: default options written.");
    } catch (const std::exception& e) {
      reportTrouble(OptionsFile, "options file missing and cannot be written", e.what(), "default options used.");
    }
    return;
  }
  int item = 0;
  try {
    ItemReader in(OptionsFile);
    for (; item < oiCount; ++item) readOptionItem(in, item);
    lastReport(OptionsFile).clear();
  } catch (const VbError& e) {
    for (int rest = item; rest < oiCount; ++rest) setOptionDefault(rest);
    reportTrouble(OptionsFile, named + " damaged (" + e.what() + ")",
                  "defaults used from item " + std::to_string(item + 1) + ".");
  }
}

namespace {
// Commits out over file; a refused write raises again with the file named first
// ("\data\options.pnd: Path/File access error (the folder is read-only)").
void commitNamed(ItemWriter& out, const char* file) {
  try {
    out.commit();
  } catch (const VbError& e) {
    vbRaise(e.number(), std::string(file) + ": " + e.what());
  }
}
}  // namespace

void CPlayer::WriteOptions() {
  ItemWriter out(OptionsFile);
  for (int k = 0; k < KeyCount; ++k) out.writeNumber(CharKeys[k]).endLine();
  out.writeBool(bMusic).writeBool(bSound).writeNumber(vRes).writeBool(vWideScreen).writeBool(vFullScreen);
  out.writeBool(ClassicView).writeBool(FollowMouse).writeBool(DevMode).endLine();
  out.writeNumber(musicVolume).writeNumber(soundVolume).endLine();
  commitNamed(out, OptionsFile);
}

void CPlayer::ReadCheats() {
  const std::string named = std::string("cheat file ") + CheatsFile;
  if (!fileExists(resolvePath(CheatsFile))) {
    for (int i = 0; i < CheatsStored; ++i) setHasCheat(i, 0);
    try {
      WriteCheats();
      reportWritten(CheatsFile, named + " missing: all cheats locked.");
    } catch (const std::exception& e) {
      reportTrouble(CheatsFile, "cheat file missing and cannot be written", e.what(), "all cheats locked.");
    }
    return;
  }
  int i = 0;
  try {
    ItemReader in(CheatsFile);
    for (; i < CheatsStored; ++i) setHasCheat(i, in.readInteger());
    lastReport(CheatsFile).clear();
  } catch (const VbError& e) {
    for (int rest = i; rest < CheatsStored; ++rest) setHasCheat(rest, 0);
    reportTrouble(CheatsFile, named + " damaged (" + e.what() + ")",
                  "cheats from " + std::to_string(i) + " on locked.");
  }
}

void CPlayer::WriteCheats() {
  ItemWriter out(CheatsFile);
  for (int i = 0; i < CheatsStored; ++i) out.writeNumber(CheatFlags[i]).endLine();
  commitNamed(out, CheatsFile);
}

bool CPlayer::storeCheats() {
  try {
    WriteCheats();
    return true;
  } catch (const std::exception& e) {
    tellPlayer("cheats not saved", e.what(), "they are unlocked in this game only.");
    return false;
  }
}
