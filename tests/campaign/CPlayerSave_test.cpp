// Save slots: a whole game written and read back, the file layout's key lines, the carrier and
// fleet records, deleted slots, damaged or missing slot files (reported, nothing changed or lost),
// and a slot write cut off at any point.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "campaign/CMissionControl.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "engine/MessageLog.h"
#include "interface/CInterface.h"
#include "levels/CMap.h"
#include "runtime/ItemFile.h"
#include "runtime/Rnd.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "sprites/SpriteMod.h"
#include "tests/support/TempGameDir.h"

namespace {
std::string worldNode(const std::string& title, const std::string& path, std::initializer_list<int> links) {
  std::string t = "\"" + title + "\"\r\n\"" + path + "\"\r\n100,100\r\n0\r\n\"node\"\r\n0,1," +
                  std::to_string(links.size()) + "\r\n";
  int n = 0;
  for (int l : links) {
    t += std::to_string(l) + "\r\n";
    ++n;
  }
  for (; n < 5; ++n) t += "0\r\n";
  for (int era = 0; era < 9; ++era) t += "#FALSE#\r\n";
  return t + "0\r\n";
}

// Designs 0..5: 0, 1, 2 plain ships, 3 a capital with 4 bays.
std::shared_ptr<CShipDef> design(Integer n) {
  auto d = std::make_shared<CShipDef>();
  d->ShipName = "design" + std::to_string(n);
  d->ShipBody = n == 3 ? sbCapital : sbCar;
  d->TotalMounts = n == 3 ? 7 : 2;
  if (d->ShipBody == sbCapital) d->DockBays = 4;
  d->MaxArmor = 300.0f + n;
  d->MaxShields = 200.0f + n;
  d->MaxFuel = 3000 + n;
  d->Cargo = 50;
  return d;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  size_t b = 0;
  while (b < text.size()) {
    size_t e = text.find("\r\n", b);
    if (e == std::string::npos) e = text.size();
    out.push_back(text.substr(b, e - b));
    b = e + 2;
  }
  return out;
}

int errorOf(const std::function<void()>& f, std::string* what = nullptr) {
  try {
    f();
  } catch (const VbError& e) {
    if (what) *what = e.what();
    return e.number();
  }
  return 0;
}

class SaveSlotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setRndSeedForTests(31);
    GameMode = pmPlay;
    for (int s = 0; s < 7; ++s) dir.write(CPlayer::SlotFile(s, -1), "\"*nil*\"\r\n");
    dir.write("\\maps\\world.pnd", "\"World!\"\r\n" + worldNode("Home", "home", {1}) +
                                       worldNode("Away Port", "away", {0}) + "\"eof\"\r\n");
    ShipDefs.clear();
    for (Integer n = 0; n < 6; ++n) ShipDefs.push_back(design(n));
    Ships.clear();
    for (int i = 0; i < 16; ++i) Ships.push_back(std::make_shared<CShip>());
    installMessageLog();  // the maps' missing structure files are logged, not printed
    for (const char* name : {"home", "away"}) {
      CMap m;
      m.MapName = name;
      m.Save();
    }
    World = std::make_shared<CWorld>();
    World->Load();
    World->CurrentNode = 1;
    MissionControl = std::make_shared<CMissionControl>();
    GameInterface = std::make_shared<CInterface>();
    CurMap = new CMap();
    Player = std::make_shared<CPlayer>();
    Player->Init();
    MotherPlayer = std::make_shared<CPlayer>();
    MotherPlayer->ShipType = -1;
    MotherShip = -1;
    MotherNodePath.clear();
    MsgLog.fill("");
    MsgCount = 0;
  }
  void TearDown() override {
    setTrapSink(nullptr);
    Ships.clear();
    Sprites.clear();
    ShipDefs.clear();
    Player.reset();
    MotherPlayer.reset();
    for (auto& s : SubPlayers) s.reset();
    World.reset();
    MissionControl.reset();
    GameInterface.reset();
    delete CurMap;
    CurMap = nullptr;
    MotherShip = -1;
    MotherNodePath.clear();
    GameMode = 0;
    clearRndTestSeed();
    CheatGod = CheatAmmo = CheatCash = CheatSlowMo = false;
    DevMode = ClassicView = FollowMouse = false;
  }

  // A campaign far from the defaults, flown in Ships(0) at (1520.5, -300, 100).
  void makeGame() {
    CPlayer& p = *Player;
    p.Cash = 123456;
    p.Difficulty = 3;
    p.HasShieldBoost = true;
    p.HasAgilitator = true;
    p.HasHud20 = true;
    p.HasAutoSaver = true;
    p.HasRoboFixit = true;
    p.ArmorLev = 2;
    p.DriverName = "big al";
    p.GunnerName = "o'malley, jr";
    p.ShipType = 2;
    p.setCharDef(0, 30);
    p.setCharDef(1, 31);
    p.setResource(0, 7);
    p.setResource(7, 12);
    p.setResource(15, 3);
    p.setSecondary(4, true);
    p.setSecondaryAmmo(4, 25);
    p.setSecondaryAmmo(9, -2);
    p.setAlignLevel(2, 3);
    p.addMissionComplete("ninja01.pnd");
    p.addMissionComplete("zom02.pnd");
    p.AddMappedLoc("home");
    p.AddMappedLoc("away");
    p.setBountyHunted(5, 2);
    p.setBountyHunted(40, 1);
    p.Fuel = 2222;
    p.Armor = 150.25f;
    p.Shields = 99.5f;
    p.MakeShipFromPlayer(0, 1520.5f, -300, 100);
    Ships[0]->setMount(0, 3);
    Ships[0]->setMount(1, 9);
    SubPlayers[1]->ShipType = 1;
    SubPlayers[1]->Cash = 777;
    SubPlayers[1]->DriverName = "sub driver";
    GameInterface->GameTime = 3725;
  }
  std::string slotBytes(Integer slot) const {
    std::string all;
    for (Integer k = -1; k <= 4; ++k) all += dir.read(CPlayer::SlotFile(slot, k)) + "|";
    return all;
  }
  TempGameDir dir;
};
}  // namespace

TEST_F(SaveSlotTest, AWholeGameIsWrittenAndReadBack) {
  makeGame();
  Player->Save(2, "my game", 0, -1);
  for (Integer k = -1; k <= 4; ++k) EXPECT_TRUE(dir.exists(CPlayer::SlotFile(2, k))) << k;
  EXPECT_FALSE(dir.exists("\\data\\save2.new"));
  EXPECT_FALSE(dir.exists("\\data\\save2.old"));

  const std::vector<std::string> save = lines(dir.read(CPlayer::SlotFile(2, -1)));
  ASSERT_GT(save.size(), 84u);
  EXPECT_EQ(save[0], "my game");
  EXPECT_EQ(save[1], "big al");
  EXPECT_EQ(save[2], "o'malley, jr");
  EXPECT_EQ(save[3], " 3 ");
  EXPECT_EQ(save[6], "3725");
  EXPECT_EQ(save[7], "1520.5,-300,100");
  EXPECT_EQ(save[10], "#TRUE#,2,#FALSE#");
  EXPECT_EQ(save[14], "1");
  EXPECT_EQ(save[31], "123456");
  EXPECT_EQ(save[33], "3");   // mount 0, copied from the flying ship
  EXPECT_EQ(save[41], "2");
  EXPECT_EQ(save[80], "\"#startmappedlocs\"");
  EXPECT_EQ(save[81], "\"home\",0");
  EXPECT_EQ(save[save.size() - 3], "\"#bon#5#2#\"");
  EXPECT_EQ(save[save.size() - 2], "\"#bon#40#1#\"");
  EXPECT_EQ(save.back(), "\"#endmissioncompletes\"");
  // A plain ship: the carrier record is empty.
  EXPECT_EQ(lines(dir.read(CPlayer::SlotFile(2, 0)))[41], "-1");

  // Another game runs; loading the slot brings the saved one back.
  Player = std::make_shared<CPlayer>();
  Player->Init();
  World->CurrentNode = 0;
  World->DestNode = 1;
  GameInterface->GameTime = 5;
  MissionControl->Reading = true;
  Player->Load(2, 0, -1);
  const CPlayer& p = *Player;
  EXPECT_EQ(p.Cash, 123456);
  EXPECT_EQ(p.Difficulty, 3);
  EXPECT_TRUE(p.HasShieldBoost && p.HasAgilitator && p.HasHud20 && p.HasAutoSaver && p.HasRoboFixit);
  EXPECT_FALSE(p.HasFuelDoubler || p.HasJammar || p.HasCapacitator);
  EXPECT_EQ(p.ArmorLev, 2);
  EXPECT_EQ(p.DriverName, "big al");
  EXPECT_EQ(p.GunnerName, "o'malley, jr");
  EXPECT_EQ(p.ShipType, 2);
  EXPECT_EQ(p.getCharDef(0), 30);
  EXPECT_EQ(p.getCharDef(1), 31);
  EXPECT_EQ(p.getResource(0), 7);
  EXPECT_EQ(p.getResource(7), 12);
  EXPECT_EQ(p.getResource(15), 3);
  EXPECT_EQ(p.getMount(0), 3);
  EXPECT_EQ(p.getMount(1), 9);
  EXPECT_EQ(p.getMount(2), -1);
  EXPECT_TRUE(p.getHasWeapon(4));
  EXPECT_EQ(p.getAmmo(4), 25);
  EXPECT_EQ(p.getAmmo(9), -2);
  EXPECT_EQ(p.getAlignLevel(2), 3);
  EXPECT_EQ(p.getMissionCompletes(), 1);
  EXPECT_EQ(p.getMissionComplete(0), "ninja01.pnd");
  EXPECT_EQ(p.getMissionComplete(1), "zom02.pnd");
  EXPECT_EQ(p.getMappedLocs(), 1);
  EXPECT_EQ(p.getMappedLocName(1), "away");
  EXPECT_EQ(p.getBountyHunted(5), 2);
  EXPECT_EQ(p.getBountyHunted(40), 1);
  EXPECT_EQ(p.getBountyHunted(6), 0);
  EXPECT_EQ(p.Fuel, 2222);
  EXPECT_EQ(p.Armor, 150.25f);
  EXPECT_EQ(p.Shields, 99.5f);
  // The game around the record.
  EXPECT_EQ(GameInterface->GameTime, 3725);
  EXPECT_EQ(GameInterface->prevCash, 123456);
  EXPECT_EQ(World->CurrentNode, 1);
  EXPECT_EQ(World->DestNode, -1);
  EXPECT_EQ(CurMap->MapName, "away");
  EXPECT_FALSE(MissionControl->Reading);
  const CShip& s = *Ships[0];
  EXPECT_TRUE(s.Exists);
  EXPECT_EQ(s.x, 1520.5f);
  EXPECT_EQ(s.y, -300);
  EXPECT_EQ(s.e, 1500);
  EXPECT_EQ(s.ShipType, 2);
  EXPECT_EQ(MotherPlayer->ShipType, -1);
  EXPECT_EQ(SubPlayers[0]->ShipType, -1);
  EXPECT_EQ(SubPlayers[1]->ShipType, 1);
  EXPECT_EQ(SubPlayers[1]->Cash, 777);
  EXPECT_EQ(SubPlayers[1]->DriverName, "sub driver");
  EXPECT_EQ(SubPlayers[1]->getMissionCompletes(), 0);  // fleet records keep no lists
}

TEST_F(SaveSlotTest, SinglesAreWrittenShortAndEveryEarlierFormReadsBack) {
  makeGame();
  Ships[0]->x = 1520.3f;
  Ships[0]->y = -0.1f;
  Ships[0]->e = 1e7f;
  Ships[0]->Armor = 150.3f;
  Ships[0]->Shields = 12345.678f;
  Player->Save(2, "singles", 0, -1);
  std::vector<std::string> save = lines(dir.read(CPlayer::SlotFile(2, -1)));
  EXPECT_EQ(save[7], "1520.3,-0.1,10000000");
  EXPECT_EQ(save[32], "2222,150.3,12345.678");
  auto expectLoaded = [&] {
    Player->Load(2, 0, -1);
    EXPECT_EQ(Ships[0]->x, 1520.3f);
    EXPECT_EQ(Ships[0]->y, -0.1f);
    EXPECT_EQ(Player->Armor, 150.3f);
    EXPECT_EQ(Player->Shields, 12345.678f);
  };
  expectLoaded();
  // The same Singles as earlier saves wrote them, in double precision.
  save[7] = "1520.300048828125,-0.100000001490116,10000000";
  save[32] = "2222,150.300003051758,12345.677734375";
  std::string text;
  for (const std::string& l : save) text += l + "\r\n";
  dir.write(CPlayer::SlotFile(2, -1), text);
  expectLoaded();
}

TEST_F(SaveSlotTest, EmptyListsAndACarrierGame) {
  // A carrier with no missions or mapped nodes: both lists are written as one empty entry, and the
  // carrier is written twice; the game resumes in it.
  Player->ShipType = 3;
  Player->MaxVals();
  Player->Cash = 50;
  Player->MakeShipFromPlayer(0, 10, 20, 30);
  Player->Save(0, "carrier", 0, -1);
  const std::vector<std::string> save = lines(dir.read(CPlayer::SlotFile(0, -1)));
  ASSERT_EQ(save.size(), 86u);
  EXPECT_EQ(save[81], "\"\",0");
  EXPECT_EQ(save[84], "\"\"");
  EXPECT_EQ(lines(dir.read(CPlayer::SlotFile(0, 0)))[41], "3");

  Player = std::make_shared<CPlayer>();
  Player->Init();
  Player->Load(0, 0, -1);
  EXPECT_EQ(Player->ShipType, 3);
  EXPECT_EQ(Player->Cash, 50);
  EXPECT_EQ(MotherPlayer->ShipType, 3);
  EXPECT_EQ(Player->getMissionCompletes(), 0);
  EXPECT_EQ(Player->getMissionComplete(0), "");
  EXPECT_EQ(Player->getMappedLocs(), 0);
  EXPECT_EQ(Ships[0]->ShipType, 3);
}

TEST_F(SaveSlotTest, ADeletedSlotLoadsNothing) {
  makeGame();
  Player->Save(4, "old game", 0, -1);
  dir.write(CPlayer::SlotFile(4, -1), "\"*nil*\"\r\n");  // the delete dialog's marker; the rest stays
  auto keptMother = MotherPlayer;
  Player->Cash = 1;
  World->CurrentNode = 0;
  Player->Load(4, 0, -1);
  EXPECT_EQ(Player->Cash, 1);
  EXPECT_EQ(MotherPlayer, keptMother);
  EXPECT_EQ(World->CurrentNode, 0);
}

TEST_F(SaveSlotTest, ADamagedSlotIsReportedAndNothingChanges) {
  makeGame();
  Player->Save(1, "good", 0, -1);
  const std::string goodSave = dir.read(CPlayer::SlotFile(1, -1));
  struct Case {
    const char* what;
    Integer kind;      // the file damaged
    std::string text;  // its new bytes; "" removes it
  } cases[] = {
      {"save cut in the goods", -1, goodSave.substr(0, goodSave.find("123456") - 10)},
      {"save cut in the mission list", -1, goodSave.substr(0, goodSave.size() - 30)},
      {"a word for the cash", -1, Replace(goodSave, "123456", "lots")},
      {"a node beyond the world", -1, Replace(goodSave, "\r\n1\r\n7\r\n", "\r\n9\r\n7\r\n")},
      {"save.pnd empty", -1, std::string("\0", 0)},
      {"mother.pnd missing", 0, ""},
      {"sub3.pnd cut short", 3, "good\r\nx\r\n"},
  };
  for (const Case& c : cases) {
    Player->Save(1, "good", 0, -1);
    if (c.text.empty() && c.kind != -1) dir.remove(CPlayer::SlotFile(1, c.kind));
    else dir.write(CPlayer::SlotFile(1, c.kind), c.text);
    const std::string before = slotBytes(1);
    auto game = Player;
    auto mother = MotherPlayer;
    auto sub = SubPlayers[1];
    Player->Cash = 42;
    World->CurrentNode = 0;
    GameInterface->GameTime = 9;
    std::string what;
    EXPECT_NE(errorOf([&] { Player->Load(1, 0, -1); }, &what), 0) << c.what;
    EXPECT_NE(what.find("save slot 2"), std::string::npos) << c.what << ": " << what;
    EXPECT_NE(what.find(CPlayer::SlotFile(1, c.kind)), std::string::npos) << c.what << ": " << what;
    EXPECT_EQ(Player, game) << c.what;
    EXPECT_EQ(Player->Cash, 42) << c.what;
    EXPECT_EQ(MotherPlayer, mother) << c.what;
    EXPECT_EQ(SubPlayers[1], sub) << c.what;
    EXPECT_EQ(World->CurrentNode, 0) << c.what;
    EXPECT_EQ(GameInterface->GameTime, 9) << c.what;
    EXPECT_EQ(slotBytes(1), before) << c.what;  // reading never touches the slot
    Player->Cash = 123456;
    World->CurrentNode = 1;
  }
}

// A slot read whole whose game cannot be played — its ship's design failed to read, or its node's
// map cannot be entered — is refused with the file and why; nothing of the running game changes.
TEST_F(SaveSlotTest, AGameWhoseShipOrMapCannotBeUsedIsNotLoaded) {
  makeGame();
  Player->Save(1, "good", 0, -1);
  const std::string away = dir.read("\\maps\\away.pnd");
  struct Case {
    const char* what;
    std::function<void()> damage;
    const char* told;
  } cases[] = {
      {"the ship's design", [] { ShipDefs[2]->ReadFailed = true; },
       "save slot 2: its ship cannot be read (\\ships\\Beetle.pnd)"},
      {"the node's map", [&] { dir.write("\\maps\\away.pnd", away.substr(0, away.size() / 2)); },
       "save slot 2: \\maps\\away.pnd: Input past end of file. Away Port cannot be entered"},
  };
  for (const Case& c : cases) {
    c.damage();
    auto game = Player;
    Player->Cash = 42;
    World->CurrentNode = 0;
    std::string what;
    EXPECT_EQ(errorOf([&] { Player->Load(1, 0, -1); }, &what), vberr::FileAccess) << c.what;
    EXPECT_EQ(what, c.told) << c.what;
    EXPECT_EQ(Player, game) << c.what;
    EXPECT_EQ(Player->Cash, 42) << c.what;
    EXPECT_EQ(World->CurrentNode, 0) << c.what;
    ShipDefs[2]->ReadFailed = false;
    dir.write("\\maps\\away.pnd", away);
  }
  Player->Load(1, 0, -1);  // whole again: resumed
  EXPECT_EQ(Player->Cash, 123456);
  EXPECT_EQ(World->CurrentNode, 1);
}

TEST_F(SaveSlotTest, AFailedWriteLeavesTheOldSlotWhole) {
  makeGame();
  Player->Save(3, "first", 0, -1);
  const std::string before = slotBytes(3);
  // The last fleet record cannot be written (no number for its armour): nothing of the slot changes.
  SubPlayers[3]->Armor = std::numeric_limits<Single>::quiet_NaN();
  Player->Cash = 5;
  EXPECT_NE(errorOf([&] { Player->Save(3, "second", 0, -1); }), 0);
  EXPECT_EQ(slotBytes(3), before);
  EXPECT_FALSE(dir.exists("\\data\\save3.new"));
  // Slot numbers and kinds outside the table.
  EXPECT_EQ(errorOf([&] { Player->Save(7, "x", 0, -1); }), vberr::Subscript);
  EXPECT_EQ(errorOf([&] { Player->Load(-1, 0, -1); }), vberr::Subscript);
  EXPECT_EQ(errorOf([&] { Player->Load(0, 0, 5); }), vberr::Subscript);
}

TEST_F(SaveSlotTest, ASlotWriteCutOffBetweenItsRenamesIsFinishedOrUndone) {
  makeGame();
  Player->Save(5, "old", 0, -1);
  Player->Cash = 99;
  Player->Save(6, "new", 0, -1);
  const std::string newSlot = slotBytes(6);

  // Cut after the old folder was retired: the complete new one takes its place.
  std::filesystem::rename(dir.real("\\data\\save5"), dir.real("\\data\\save5.old"));
  std::filesystem::rename(dir.real("\\data\\save6"), dir.real("\\data\\save5.new"));
  CPlayer::RecoverSlot(5);
  EXPECT_EQ(slotBytes(5), newSlot);
  EXPECT_FALSE(dir.exists("\\data\\save5.old"));
  EXPECT_FALSE(dir.exists("\\data\\save5.new"));

  // Cut while the new folder was being written: the slot stays as it was and the part is dropped.
  dir.write("\\data\\save5.new\\save.pnd", "half");
  CPlayer::RecoverSlot(5);
  EXPECT_EQ(slotBytes(5), newSlot);
  EXPECT_FALSE(dir.exists("\\data\\save5.new"));

  // Load recovers first: the retired slot alone comes back.
  dir.write("\\data\\save6\\save.pnd", "\"*nil*\"\r\n");
  std::filesystem::rename(dir.real("\\data\\save5"), dir.real("\\data\\save5.old"));
  Player->Cash = 1;
  Player->Load(5, 0, -1);
  EXPECT_EQ(Player->Cash, 99);
}

namespace {
// Marks a folder immutable (no entry made, removed or renamed in it, even for root) for the life
// of the object; ok() is false where the file system has no such flag.
struct ImmutableFolder {
  std::string path;
  bool set = false;
  explicit ImmutableFolder(std::string p) : path(std::move(p)) { set = flag(true); }
  ~ImmutableFolder() {
    if (set) flag(false);
  }
  bool ok() const { return set; }
  bool flag(bool on) const {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int attr = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &attr) == 0;
    attr = on ? (attr | FS_IMMUTABLE_FL) : (attr & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &attr) == 0;
    ::close(fd);
    return done;
  }
};
}  // namespace

// A folder that exists but cannot be written is named as such, and a slot left half swapped on a
// medium that has since become read-only still loads its complete copy.
TEST_F(SaveSlotTest, AFolderThatCannotBeWrittenKeepsEverySave) {
  makeGame();
  Player->Save(2, "kept", 0, -1);
  Player->Cash = 4242;
  Player->Save(4, "newer", 0, -1);
  const std::string kept = slotBytes(2);
  {
    ImmutableFolder data(dir.real("\\data"));
    if (!data.ok()) GTEST_SKIP() << "no immutable folders on this file system";
    try {
      Player->Save(2, "lost", 0, -1);
      ADD_FAILURE() << "the save reported success";
    } catch (const VbError& e) {
      EXPECT_EQ(e.number(), vberr::FileAccess);
      EXPECT_NE(std::string(e.what()).find("cannot be written"), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).find(".new"), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(slotBytes(2), kept);

  // Half swapped: slot 2 retired, the complete new copy staged, then the medium turns read-only.
  std::filesystem::rename(dir.real("\\data\\save2"), dir.real("\\data\\save2.old"));
  std::filesystem::rename(dir.real("\\data\\save4"), dir.real("\\data\\save2.new"));
  ImmutableFolder data(dir.real("\\data"));
  ASSERT_TRUE(data.ok());
  Player->Cash = 1;
  Player->Load(2, 0, -1);
  EXPECT_EQ(Player->Cash, 4242);
  EXPECT_TRUE(dir.exists("\\data\\save2.new\\save.pnd"));
}
