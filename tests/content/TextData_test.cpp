// Structural checks of the default text data shipped in content/: every file is read through the
// runtime's item and line readers in the order the game's readers take it, and checked against
// the item counts, ranges and names that the game relies on (start-up stops on a missing map,
// an unknown ship keyword indexes ShipDefs(-1), a service without its own pad cannot be used).
// The last tests check every media name the text data uses against the generator's manifest, and
// each structure definition's box against its generated model.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "MediaReaders.h"
#include "runtime/ItemFile.h"
#include "runtime/Paths.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"
#include "tests/support/ModelSurface.h"

namespace {

const std::string kContentDir = std::string(QV_SOURCE_DIR) + "/content";

// ---- reading helpers -------------------------------------------------------------------------

struct Item {
  std::string text;  // the item as read (quotes removed)
  double num = 0;    // its numeric value for N, I and B items
};

// Reads one record through ItemReader. kinds: S quoted text, N number, I whole number,
// B #TRUE#/#FALSE#. The record must hold exactly these items, and exactly the S items quoted.
std::vector<Item> readRecord(const std::string& line, const std::string& kinds, const std::string& where) {
  std::vector<Item> items;
  size_t quotes = static_cast<size_t>(std::count(line.begin(), line.end(), '"'));
  size_t texts = static_cast<size_t>(std::count(kinds.begin(), kinds.end(), 'S'));
  EXPECT_EQ(quotes, 2 * texts) << where << ": \"" << line << "\"";
  ItemReader r = ItemReader::fromText(line);
  try {
    for (char k : kinds) {
      Item it;
      if (k == 'S') {
        it.text = r.readString();
      } else if (k == 'B') {
        it.text = r.readString();
        EXPECT_TRUE(it.text == "#TRUE#" || it.text == "#FALSE#") << where << ": " << it.text;
        it.num = it.text == "#TRUE#" ? -1 : 0;
      } else {
        it.num = r.readNumber();
        if (k == 'I') {
          EXPECT_EQ(it.num, std::floor(it.num)) << where << ": not whole: " << line;
        }
      }
      items.push_back(it);
    }
    EXPECT_TRUE(r.eof()) << where << ": more items than " << kinds << ": " << line;
  } catch (const VbError& e) {
    ADD_FAILURE() << where << ": " << e.what() << " reading " << kinds << " from \"" << line << "\"";
    items.resize(kinds.size());
  }
  return items;
}

// Reads a whole item file as a list of records of the given shapes, one shape per line.
std::vector<std::vector<Item>> readShaped(const std::string& gamePath, const std::vector<std::string>& shapes) {
  std::vector<std::vector<Item>> recs;
  std::vector<std::string> lines;
  try {
    lines = readLines(gamePath);
  } catch (const VbError& e) {
    ADD_FAILURE() << gamePath << ": " << e.what();
  }
  EXPECT_EQ(lines.size(), shapes.size()) << gamePath;
  for (size_t i = 0; i < shapes.size(); ++i) {
    std::string line = i < lines.size() ? lines[i] : "";
    recs.push_back(readRecord(line, shapes[i], gamePath + " line " + std::to_string(i + 1)));
  }
  return recs;
}

void repeat(std::vector<std::string>& shapes, const std::string& shape, int n) {
  for (int i = 0; i < n; ++i) shapes.push_back(shape);
}

// Texts the bitmap font draws: letters (one case), digits, blanks and its punctuation glyphs.
// A "[" would start a colour code.
bool drawable(const std::string& s) {
  static const std::string punct = "!@#$%/\\&*()-+=,.;:\"'? ";
  for (char c : s) {
    if (std::isalnum(static_cast<unsigned char>(c))) continue;
    if (punct.find(c) == std::string::npos) return false;
  }
  return true;
}

std::vector<std::string> splitBlanks(const std::string& s) {
  std::vector<std::string> out;
  std::istringstream in(s);
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

// ---- the game's fixed tables --------------------------------------------------------------------

const std::vector<std::string> kShipFiles = {
    "Phantom", "Gremlin", "Beetle", "Beetle2", "bus", "chopper", "reno", "Reaper",
    "VTL", "samurai", "trantor", "galleon", "lepperd", "galleon2", "dejavu", "nexus",
    "banana", "vindicator", "worm", "apollo", "clipper", "blarg", "motama"};
const std::vector<std::string> kShipKeywords = {
    "phantom", "gremlin", "beetle", "burnzilla", "nekobus", "chopper", "reno", "reaper",
    "vtl", "samurai", "trantor", "galleon", "lepperd", "galleon2", "dejavu", "nexus",
    "banana", "vindicator", "worm", "apollo", "clipper", "blarg", "motama"};
const std::vector<std::string> kStructFiles = {
    "parts", "china", "landing", "genbuild1", "tallbuild", "catwalk", "catwalk2", "gas",
    "tallbuild2", "genbuild2", "shipyard", "shoppermart", "hut", "ammo", "closewalk",
    "closewalk2", "bank", "indycontrol", "ninjabuild", "gasbag", "cybuild", "cross"};
// StructType of each definition: the services keyed by index in the world map must open the
// screen of the same service; the rest are generic.
const std::vector<int> kStructKinds = {0, 1, 2, 3, 3, 3, 3, 4, 3, 3, 5, 6, 8, 7, 3, 3, 9, 10, 3, 3, 3, 3};
const std::set<int> kServiceKinds = {0, 1, 4, 5, 6, 7, 8, 9, 10};
constexpr int kLanding = 2;

const std::map<std::string, int> kCharIndex = {
    {"chica", 0}, {"flee", 1}, {"jacob", 2}, {"cyborg", 3}, {"zombie a", 4}, {"zom1", 4},
    {"zombie b", 5}, {"zom2", 5}, {"zombie c", 6}, {"zom3", 6}, {"zombie d", 7}, {"zom4", 7},
    {"ninja a", 8}, {"nin1", 8}, {"ninja b", 9}, {"nin2", 9}, {"ninja c", 10}, {"nin3", 10},
    {"pirate", 11}, {"ptero", 12}, {"gretchen a", 13}, {"gret1", 13}, {"gretchen b", 14},
    {"gret2", 14}, {"gretchen c", 15}, {"gret3", 15}, {"chica a", 16}, {"chic1", 16},
    {"chica b", 17}, {"chic2", 17}, {"chica c", 18}, {"chic3", 18}, {"cyborg2", 19},
    {"cyborg3", 20}, {"zafia a", 21}, {"zaf1", 21}, {"zafia b", 22}, {"zaf2", 22},
    {"zafia c", 23}, {"zaf3", 23}, {"ned", 24}, {"gasninja", 25}, {"gaszom", 26}, {"fiend", 27},
    {"null", 28}, {"ishuo", 29}, {"zombie e", 30}, {"zom5", 30}, {"chica d", 31}, {"chic4", 31},
    {"chica e", 32}, {"chic5", 32}};

const std::map<std::string, int> kUnitIndex = {
    {"zombie_trader", 0}, {"zombie_rich", 1}, {"zombie_elite", 1}, {"zombie_poor", 2},
    {"ninja_trader", 3}, {"ninja_rich", 4}, {"ninja_elite", 4}, {"ninja_poor", 5},
    {"misc_trader", 6}, {"misc_rich", 7}, {"misc_poor", 8}, {"misc_misc", 9},
    {"pirate_poor", 10}, {"pirate", 10}, {"pirate_rich", 11}, {"pirate_elite", 11},
    {"pirate_strong", 11}, {"cyborg_weak", 12}, {"cyborg", 12}, {"cyborg_strong", 13},
    {"ptero_cop", 14}, {"ptero_gman", 15}, {"zombie_cop", 16}, {"ninja_cop", 17},
    {"misc_cop", 18}, {"pirate_friend_poor", 19}, {"pirate_friend_rich", 20}, {"my_mother", 21},
    {"ninja_capital", 22}, {"zombie_capital", 23}, {"ptero_capital", 24}, {"pirate_capital", 25},
    {"cyborg_capital", 26}, {"misc_capital", 27}, {"pirate_raid", 28}, {"pirate_raider", 28},
    {"derelict1", 29}, {"derelict2", 30}, {"derelict3", 31}, {"zombie_biker", 32},
    {"ninja_biker", 33}, {"misc_biker", 34}, {"ptero_lawyer", 35}, {"cyborg_zealot", 36},
    {"cyborg_dervish", 37}, {"cyborg_virus", 38}, {"cyborg_worm", 39}, {"zafia", 40},
    {"zafia_grunt", 40}, {"zafia_hitman", 41}, {"zafia_thug", 43}, {"zafia_boss", 44},
    {"zafia_ned", 45}, {"misc_tycoon", 46}, {"zombie_tycoon", 47}, {"ninja_tycoon", 48},
    {"zombie_gas", 49}, {"ninja_gas", 50}, {"misc_gas", 51}, {"zafia_blade", 52},
    {"suicide", 53}, {"zafia_playboy", 54}, {"empty_device", 55}, {"ninja_nightmare", 56},
    {"ninja_hero", 57}, {"fiend_thorn", 58}, {"fiend", 58}, {"fiend_serpent", 59},
    {"fiend_strong", 59}, {"fiend_doomsday", 60}, {"fiend_capital", 60}, {"ptero_eng", 61},
    {"ninja_assassin", 62}, {"motama_ai", 63}, {"ishuo", 64}, {"ol_blarty", 65}};

const std::map<std::string, int> kAlignIndex = {
    {"neutral", 0}, {"ptero", 1}, {"zombie", 2}, {"ninja", 3}, {"cyborg", 4}, {"pirate", 5},
    {"pfriend", 6}, {"derelict", 7}, {"fueler", 8}, {"zafia", 9}, {"fiend", 11}};
const std::set<std::string> kMounts = {"rocket", "laser", "plasma", "vulcan", "beam", "cannon",
                                       "photon", "neutron", "beambolt", "shuriken", "radio", "plasmoder"};
const std::map<std::string, int> kSecondaries = {{"missile", 0}, {"torpedo", 1}, {"xbow", 2},
                                                 {"shotty", 3}, {"sniper", 4}, {"neutron", 5},
                                                 {"heart", 6}, {"dark", 7}, {"fueler", 8}};

const std::set<std::string> kPlanets = {
    "sky\\earth.bmp", "sky\\blueplanet.bmp", "sky\\grayplanet.bmp", "sky\\jovian.bmp",
    "sky\\venus.bmp", "sky\\ringplanet.bmp", "sky\\smallgrays.bmp", "sky\\venus2.bmp",
    "sky\\flush.bmp", "sky\\redplanet.bmp"};

// ---- parsed data shared by the tests ------------------------------------------------------------

struct CharDef {
  std::string model, skin;
};

// chars.pnd read the way LoadCharDefs reads it; named[i] counts the records of index i.
struct CharTable {
  std::vector<CharDef> defs = std::vector<CharDef>(64, CharDef{"hiro", "hiro.bmp"});
  std::vector<int> named = std::vector<int>(33, 0);
};

CharTable readCharTable() {
  CharTable t;
  std::vector<std::string> lines = readLines("\\data\\chars.pnd");
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty() || lines[i][0] != '#') {
      ADD_FAILURE() << "chars.pnd line " << i + 1 << " belongs to no character: " << lines[i];
      continue;
    }
    std::string name = LCase(lines[i].substr(1));
    auto it = kCharIndex.find(name);
    if (it == kCharIndex.end()) {
      ADD_FAILURE() << "chars.pnd: unrecognized char: " << name;
      continue;
    }
    if (i + 2 >= lines.size()) {
      ADD_FAILURE() << "chars.pnd ends inside the record of " << name;
      break;
    }
    CharDef& d = t.defs[static_cast<size_t>(it->second)];
    d.model = lines[i + 1] == "null" ? "" : lines[i + 1];
    d.skin = lines[i + 2];
    ++t.named[static_cast<size_t>(it->second)];
    i += 2;
  }
  return t;
}

struct ShipDef {
  std::string name, model, bodyTex, interiorTex, windowTex, wheelTex, title, desc;
  int seats = 0, mounts = 0, jets = 0, lights = 0, body = 0, energy = 0, cargo = 0, jetSnd = 0;
  double accel = 0, traction = 0, maxSpeed = 0, agility = 0, camY = 0, camZ = 0;
  long fuel = 0, shields = 0, armor = 0, price = 0;
};

std::vector<std::string> shipShapes() {
  std::vector<std::string> s = {"S", "I"};
  repeat(s, "NNN", 4);
  s.push_back("I");
  repeat(s, "NNNN", 8);
  s.push_back("I");
  repeat(s, "NNN", 4);
  s.push_back("I");
  repeat(s, "NNN", 4);
  repeat(s, "S", 5);
  repeat(s, "N", 4);
  for (const char* x : {"IIII", "SS", "NN", "I", "III"}) s.push_back(x);
  return s;
}

ShipDef readShip(const std::string& file) {
  auto r = readShaped("\\ships\\" + file + ".pnd", shipShapes());
  ShipDef d;
  auto i = [&](size_t line, size_t k) { return static_cast<int>(r[line - 1][k].num); };
  d.name = r[0][0].text;
  d.seats = i(2, 0);
  d.mounts = i(7, 0);
  d.jets = i(16, 0);
  d.lights = i(21, 0);
  d.model = r[25][0].text;
  d.bodyTex = r[26][0].text;
  d.interiorTex = r[27][0].text;
  d.windowTex = r[28][0].text;
  d.wheelTex = r[29][0].text;
  d.accel = r[30][0].num;
  d.traction = r[31][0].num;
  d.maxSpeed = r[32][0].num;
  d.agility = r[33][0].num;
  d.fuel = i(35, 0);
  d.shields = i(35, 1);
  d.armor = i(35, 2);
  d.price = i(35, 3);
  d.title = r[35][0].text;
  d.desc = r[35][1].text;
  d.camY = r[36][0].num;
  d.camZ = r[36][1].num;
  d.body = i(38, 0);
  d.energy = i(39, 0);
  d.cargo = i(39, 1);
  d.jetSnd = i(39, 2);
  return d;
}

struct Vec {
  double x = 0, y = 0, z = 0;
};

struct StructDef {
  std::string title, model, texture;
  Vec scale, upper, lower;
  int zOff = 0, totalLights = 0, kind = 0;
  std::vector<int> lightKinds;
};

StructDef readStruct(const std::string& file) {
  std::vector<std::string> shapes = {"S", "S", "S", "NNN", "I", "I"};
  for (int i = 0; i < 16; ++i) {
    shapes.push_back("NNN");
    shapes.push_back("I");
  }
  for (const char* x : {"NNN", "NNN", "I"}) shapes.push_back(x);
  auto r = readShaped("\\structures\\" + file + ".pnd", shapes);
  auto v = [&](size_t line) { return Vec{r[line - 1][0].num, r[line - 1][1].num, r[line - 1][2].num}; };
  StructDef d;
  d.title = r[0][0].text;
  d.model = r[1][0].text;
  d.texture = r[2][0].text;
  d.scale = v(4);
  d.zOff = static_cast<int>(r[4][0].num);
  d.totalLights = static_cast<int>(r[5][0].num);
  for (int i = 0; i < 16; ++i) d.lightKinds.push_back(static_cast<int>(r[7 + 2 * i][0].num));
  d.upper = v(39);
  d.lower = v(40);
  d.kind = static_cast<int>(r[40][0].num);
  return d;
}

struct Sector {
  double roll = 0, scale = 0, yaw = 0, pitch = 0;
  std::string texture;
};

struct Slot {
  Vec pos;
  int def = -1;
};

struct MapFile {
  std::string title;
  int fog = 0, weather = 0, fx = 0;
  std::vector<Sector> sectors;
  std::vector<Slot> slots;
  Vec colour;
};

MapFile readMap(const std::string& path) {
  std::vector<std::string> shapes = {"S", "III"};
  repeat(shapes, "NNSNN", 12);
  for (int i = 0; i < 32; ++i) {
    shapes.push_back("NNN");
    shapes.push_back("I");
    shapes.push_back("I");
  }
  shapes.push_back("NNN");
  auto r = readShaped("\\maps\\" + path + ".pnd", shapes);
  MapFile m;
  m.title = r[0][0].text;
  m.fog = static_cast<int>(r[1][0].num);
  m.weather = static_cast<int>(r[1][1].num);
  m.fx = static_cast<int>(r[1][2].num);
  for (size_t i = 0; i < 12; ++i) {
    const auto& s = r[2 + i];
    m.sectors.push_back(Sector{s[0].num, s[1].num, s[3].num, s[4].num, s[2].text});
  }
  for (size_t i = 0; i < 32; ++i) {
    const auto& p = r[14 + 3 * i];
    m.slots.push_back(Slot{Vec{p[0].num, p[1].num, p[2].num}, static_cast<int>(r[15 + 3 * i][0].num)});
  }
  m.colour = Vec{r[110][0].num, r[110][1].num, r[110][2].num};
  return m;
}

struct Node {
  std::string title, path, desc;
  double x = 0, y = 0;
  int align = 0, icon = 0, level = 0, linkCount = 0, worldType = 0;
  std::vector<int> links;
  std::vector<bool> eraGray;
};

// world.pnd read as CWorld.Load reads it: one item stream up to the title "eof".
std::vector<Node> readWorld() {
  std::vector<Node> nodes;
  try {
    ItemReader r("\\maps\\world.pnd");
    r.readString();
    for (;;) {
      std::string title = r.readString();
      if (title == "eof") break;
      Node n;
      n.title = title;
      n.path = r.readString();
      n.x = r.readSingle();
      n.y = r.readSingle();
      n.align = r.readLong();
      n.desc = r.readString();
      n.icon = r.readInteger();
      n.level = r.readInteger();
      n.linkCount = r.readInteger();
      for (int i = 0; i < 5; ++i) n.links.push_back(r.readInteger());
      for (int i = 0; i < 9; ++i) n.eraGray.push_back(r.readBool());
      n.worldType = r.readLong();
      nodes.push_back(n);
    }
    EXPECT_TRUE(r.eof()) << "world.pnd holds items after \"eof\"";
  } catch (const VbError& e) {
    ADD_FAILURE() << "world.pnd: " << e.what();
  }
  return nodes;
}

bool contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

// World box of a placed structure as CStruct keeps it: the definition's box (which equals the
// model's) scaled, at the slot's location, raised by zOff.
struct Box {
  Vec lo, hi;
};
Box placedBox(const StructDef& d, const Vec& at) {
  Box b;
  b.lo = Vec{at.x + d.scale.x * d.lower.x, at.y + d.scale.y * d.lower.y + d.zOff, at.z + d.scale.z * d.lower.z};
  b.hi = Vec{at.x + d.scale.x * d.upper.x, at.y + d.scale.y * d.upper.y + d.zOff, at.z + d.scale.z * d.upper.z};
  return b;
}
bool overlaps(const Box& a, const Box& b) {
  return a.lo.x < b.hi.x && b.lo.x < a.hi.x && a.lo.y < b.hi.y && b.lo.y < a.hi.y && a.lo.z < b.hi.z &&
         b.lo.z < a.hi.z;
}

class TextData : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = appPath();
    setAppPath(kContentDir);
  }
  void TearDown() override { setAppPath(saved_); }

  std::vector<StructDef> structDefs() {
    std::vector<StructDef> defs;
    for (const auto& f : kStructFiles) defs.push_back(readStruct(f));
    return defs;
  }

 private:
  std::string saved_;
};

// ---- tests ---------------------------------------------------------------------------------------

TEST_F(TextData, EveryTextFileIsAsciiWithCrLfLineEnds) {
  int files = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(kContentDir)) {
    if (!e.is_regular_file() || e.path().extension() != ".pnd") continue;
    ++files;
    std::string bytes = readFileBytes(e.path().string());
    std::string name = e.path().lexically_relative(kContentDir).string();
    ASSERT_GE(bytes.size(), 2u) << name;
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << name << " does not end its last line";
    for (size_t i = 0; i < bytes.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(bytes[i]);
      if (c == '\n') {
        ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << name << ": bare LF at byte " << i;
      } else if (c == '\r') {
        ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << name << ": bare CR at byte " << i;
      } else {
        ASSERT_TRUE(c >= 32 && c < 127) << name << ": byte " << int(c) << " at " << i;
      }
    }
  }
  EXPECT_GE(files, 4 + 23 + 22 + 6 + 7);
}

TEST_F(TextData, OptionsFilesHoldPlayableDefaults) {
  std::vector<std::string> shapes;
  repeat(shapes, "I", 32);
  shapes.push_back("BBIBBBBB");
  shapes.push_back("NN");
  auto o = readShaped("\\data\\options.pnd", shapes);
  std::set<int> bound;
  for (int a = 0; a < 32; ++a) {
    int key = static_cast<int>(o[static_cast<size_t>(a)][0].num);
    EXPECT_GE(key, 0) << "action " << a;
    if (a < 18) {
      EXPECT_TRUE(key > 0 && key < 256) << "action " << a << " needs a keyboard key, has " << key;
      EXPECT_NE(key, 27) << "Escape is handled before the bindings";
      EXPECT_TRUE(bound.insert(key).second) << "key " << key << " bound twice";
    }
  }
  const auto& flags = o[32];
  EXPECT_EQ(flags[0].num, -1) << "music on";
  EXPECT_EQ(flags[1].num, -1) << "sound on";
  EXPECT_EQ(flags[2].num, 1) << "800 x 600";
  EXPECT_EQ(flags[4].num, 0) << "windowed";
  EXPECT_EQ(flags[7].num, 0) << "developer option off: the launcher would replace play";
  for (const auto& v : o[33]) {
    EXPECT_GT(v.num, 0);
    EXPECT_LE(v.num, 100);
  }

  std::vector<std::string> five(5, "I");
  for (const auto& c : readShaped("\\data\\options2.pnd", five)) EXPECT_EQ(c[0].num, 0) << "cheats start locked";
}

TEST_F(TextData, CharacterTableNamesEveryCharacterOnce) {
  CharTable t = readCharTable();
  for (int i = 0; i <= 32; ++i) {
    EXPECT_EQ(t.named[static_cast<size_t>(i)], 1) << "character " << i;
    const CharDef& d = t.defs[static_cast<size_t>(i)];
    EXPECT_EQ(Right(d.skin, 4), ".bmp") << "character " << i;
    if (i == 28) {
      EXPECT_EQ(d.model, "") << "\"null\" is the character without a model";
    } else {
      EXPECT_FALSE(d.model.empty()) << "character " << i;
    }
  }
}

TEST_F(TextData, UnitTableGivesEveryUnitAShipACrewAndAFaction) {
  CharTable chars = readCharTable();
  struct Unit {
    int defined = 0, align = 0, ship = -2, lastMountLine = 0;
    std::string driverModel, desc;
    std::set<int> secondaries;
  };
  std::vector<Unit> units(66);
  Unit scratch;
  Unit* cur = &units[0];
  std::vector<std::string> lines = readLines("\\data\\shipinfo.pnd");
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    std::string where = "shipinfo.pnd line " + std::to_string(n + 1) + ": " + line;
    if (line.empty()) continue;
    if (line[0] == '#') {
      auto it = kUnitIndex.find(LCase(line.substr(1)));
      if (it == kUnitIndex.end()) {
        ADD_FAILURE() << where << ": unknown unit";
        cur = &scratch;
        continue;
      }
      cur = &units[static_cast<size_t>(it->second)];
      ++cur->defined;
      continue;
    }
    std::vector<std::string> f = splitBlanks(LCase(line));
    EXPECT_EQ(line, Trim(line)) << where;
    const std::string& k = f[0];
    if (k == "desc") {
      cur->desc = line.substr(5);
      EXPECT_TRUE(drawable(cur->desc)) << where;
      continue;
    }
    ASSERT_GE(f.size(), 2u) << where;
    if (k == "ship") {
      auto it = std::find(kShipKeywords.begin(), kShipKeywords.end(), f[1]);
      EXPECT_TRUE(it != kShipKeywords.end()) << where << ": ship keywords, not file names";
      cur->ship = it == kShipKeywords.end() ? -1 : static_cast<int>(it - kShipKeywords.begin());
    } else if (k == "cd1" || k == "cd2") {
      EXPECT_EQ(f.size(), 2u) << where << ": one blank-free character name";
      auto it = kCharIndex.find(f[1]);
      ASSERT_TRUE(it != kCharIndex.end()) << where;
      if (k == "cd1") cur->driverModel = chars.defs[static_cast<size_t>(it->second)].model;
    } else if (k.size() == 2 && k[0] == 'm' && k[1] >= '1' && k[1] <= '8') {
      EXPECT_TRUE(kMounts.count(f[1])) << where;
      cur->lastMountLine = std::max(cur->lastMountLine, k[1] - '0');
    } else if (k == "sec" || k == "seca") {
      auto it = kSecondaries.find(f[1]);
      ASSERT_TRUE(it != kSecondaries.end()) << where;
      cur->secondaries.insert(it->second);
      if (k == "seca") {
        ASSERT_EQ(f.size(), 3u) << where;
        EXPECT_GT(Val(f[2]), 0) << where;
        EXPECT_LE(Val(f[2]), 32767) << where;
      }
    } else if (k == "align") {
      auto it = kAlignIndex.find(f[1]);
      EXPECT_TRUE(it != kAlignIndex.end()) << where;
      if (it != kAlignIndex.end()) cur->align = it->second;
    } else {
      ADD_FAILURE() << where << ": a line the reader would ignore";
    }
  }
  std::vector<ShipDef> ships;
  for (const auto& f : kShipFiles) ships.push_back(readShip(f));
  const std::set<int> crewless = {29, 30, 31, 55};  // derelicts and the empty device
  for (int u = 0; u <= 65; ++u) {
    if (u == 42) continue;  // has no keyword
    const Unit& x = units[static_cast<size_t>(u)];
    EXPECT_EQ(x.defined, 1) << "unit " << u;
    EXPECT_GE(x.ship, 0) << "unit " << u << " needs a ship keyword";
    if (x.ship >= 0) {
      EXPECT_LE(x.lastMountLine, ships[static_cast<size_t>(x.ship)].mounts + 1)
          << "unit " << u << " arms a mount its ship does not have";
    }
    EXPECT_FALSE(x.desc.empty()) << "unit " << u;
    if (!crewless.count(u)) {
      EXPECT_FALSE(x.driverModel.empty()) << "unit " << u << " needs a driver to talk to";
    }
  }
  // Police answer to their world's faction; derelicts lie as wrecks; gas men carry the fueler.
  const std::vector<std::pair<int, int>> aligns = {{14, 1}, {16, 2}, {17, 3}, {18, 0}, {29, 7}, {30, 7},
                                                   {31, 7}, {0, 2}, {3, 3}, {6, 0}};
  for (auto [u, a] : aligns) EXPECT_EQ(units[static_cast<size_t>(u)].align, a) << "unit " << u;
  for (int u : {49, 50, 51}) EXPECT_TRUE(units[static_cast<size_t>(u)].secondaries.count(8)) << "unit " << u;
}

// Text codes ("[R]", "[+]", ...) removed: what the font has to draw.
std::string withoutCodes(std::string s) {
  static const std::string codes = "RGYPrgyp+-=_";
  for (size_t i = 0; i + 2 < s.size();) {
    if (s[i] == '[' && s[i + 2] == ']' && codes.find(s[i + 1]) != std::string::npos)
      s.erase(i, 3);
    else
      ++i;
  }
  return s;
}

TEST_F(TextData, BountyFileHuntsKnownUnitsWithDriverPortraits) {
  CharTable chars = readCharTable();
  std::map<std::string, std::string> driverSkin;  // unit keyword -> skin of its "cd1" character
  std::string unit;
  for (const std::string& line : readLines("\\data\\shipinfo.pnd")) {
    if (!line.empty() && line[0] == '#') unit = LCase(line.substr(1));
    std::vector<std::string> f = splitBlanks(LCase(line));
    if (f.size() == 2 && f[0] == "cd1" && kCharIndex.count(f[1]))
      driverSkin[unit] = chars.defs[static_cast<size_t>(kCharIndex.at(f[1]))].skin;
  }
  std::vector<std::string> lines = readLines("\\data\\bounty.pnd");
  ASSERT_EQ(lines.size(), 320u) << "64 records of five lines";
  std::set<std::string> names;
  for (size_t i = 0; i < 64; ++i) {
    const std::string* r = &lines[5 * i];
    const std::string where = "bounty " + std::to_string(i);
    EXPECT_FALSE(withoutCodes(r[0]).empty()) << where;
    EXPECT_TRUE(drawable(withoutCodes(r[0]))) << where << ": " << r[0];
    EXPECT_TRUE(names.insert(withoutCodes(r[0])).second) << where << ": a second " << r[0];
    EXPECT_FALSE(r[1].empty()) << where;
    EXPECT_TRUE(drawable(r[1])) << where << ": " << r[1];
    EXPECT_GT(Val(r[2]), 0) << where;
    EXPECT_EQ(r[2], std::to_string(static_cast<long>(Val(r[2])))) << where << ": a plain whole number";
    EXPECT_TRUE(kUnitIndex.count(LCase(r[3]))) << where << ": " << r[3];
    EXPECT_EQ(Right(driverSkin[LCase(r[3])], 4), ".bmp") << where << ": " << r[3] << " has no driver portrait";
  }
}

// Every line enters the screen before the flash at 146 s (line i enters at i seconds).
TEST_F(TextData, CreditsFitTheirScroll) {
  std::vector<std::string> lines = readLines("\\data\\credits.pnd");
  ASSERT_FALSE(lines.empty());
  EXPECT_LE(lines.size(), 140u);
  EXPECT_EQ(lines[0].rfind("[=]", 0), 0u) << "the credits open on a title";
  int headings = 0;
  for (const std::string& l : lines) {
    EXPECT_TRUE(drawable(withoutCodes(l))) << l;
    headings += l.rfind("[+]", 0) == 0;
  }
  EXPECT_GT(headings, 5);
}

TEST_F(TextData, ShipFilesFollowTheDefinitionLayout) {
  for (const auto& file : kShipFiles) {
    SCOPED_TRACE(file);
    ShipDef d = readShip(file);
    EXPECT_EQ(d.name, file) << "line 1 replaces the name: a later save would write another file";
    EXPECT_GE(d.seats, 0);
    EXPECT_LE(d.seats, 3);
    EXPECT_GE(d.mounts, 0);
    EXPECT_LE(d.mounts, 7);
    EXPECT_GE(d.jets, 0);
    EXPECT_LE(d.jets, 3);
    EXPECT_GE(d.lights, 0);
    EXPECT_LE(d.lights, 3);
    EXPECT_GE(d.body, 0);
    EXPECT_LE(d.body, 4);
    EXPECT_GE(d.jetSnd, 0);
    EXPECT_LE(d.jetSnd, 3) << "only jet .. jet4 are loaded";
    for (double v : {d.accel, d.traction, d.maxSpeed, d.agility, d.camZ}) EXPECT_GT(v, 0);
    EXPECT_GT(d.maxSpeed, 150) << "must be able to outrun the landing prompt";
    EXPECT_GE(d.fuel, 500) << "one warp costs 500";
    EXPECT_LE(d.fuel + 1000, 32767) << "the fuel doubler must not overflow";
    for (long v : {d.shields, d.armor}) {
      EXPECT_GT(v, 0);
      EXPECT_LE(v + 1000, 32767);
    }
    EXPECT_GT(d.price, 0);
    EXPECT_GT(d.energy, 0);
    EXPECT_LE(d.energy, 32767);
    EXPECT_GT(d.cargo, 0);
    EXPECT_LE(d.cargo, 32767);
    EXPECT_FALSE(d.model.empty());
    EXPECT_TRUE(drawable(d.title) && drawable(d.desc)) << d.title << " / " << d.desc;
    EXPECT_FALSE(d.title.empty());
    if (d.body <= 2) {
      EXPECT_GE(d.seats, 1) << "a driver and a gunner";
    }
    if (d.body == 3) {
      EXPECT_GE(d.mounts, 2) << "a carrier needs a dock bay";
    }
  }
}

TEST_F(TextData, ShipRosterServesTheFixedRoles) {
  std::vector<ShipDef> s;
  for (const auto& f : kShipFiles) s.push_back(readShip(f));
  // The new-game wizard offers 1, 5 and 2, one per crew layout; 1 starts every campaign.
  EXPECT_EQ(s[1].body, 0);
  EXPECT_EQ(s[5].body, 1);
  EXPECT_EQ(s[2].body, 2);
  for (int i : {1, 5, 2}) EXPECT_LE(s[static_cast<size_t>(i)].price, 10000) << "ship " << i;
  // galleon2 is the shipyards' world-type ship of tiers 2 and 3: the reachable carrier.
  EXPECT_EQ(s[13].body, 3);
  EXPECT_GE(s[13].mounts, 3);
  // The ship editor previews "phantom" with fixed textures; the structure editor opens phantom.pnd.
  EXPECT_EQ(s[0].model, "phantom");
  EXPECT_EQ(s[0].bodyTex, "redphantom_b.bmp");
  EXPECT_EQ(s[0].interiorTex, "whitephantom_i.bmp");
  EXPECT_EQ(s[0].wheelTex, "red_w.bmp");
  EXPECT_EQ(s[0].windowTex, "fade.bmp");
  EXPECT_TRUE(fileExists(resolvePath("\\ships\\phantom.pnd")));
}

TEST_F(TextData, StructureFilesFollowTheDefinitionLayout) {
  // Texture names the code loads by fixed name: a structure texture must not take one of them.
  const std::set<std::string> fixed = {"gas.bmp", "laser.bmp", "beam.bmp", "photon.bmp", "rocket.bmp",
                                       "vulcan.bmp", "missile.bmp", "blast.bmp", "white.bmp", "fire.bmp",
                                       "cloud.bmp", "star.bmp", "bar.bmp", "heart.bmp", "fade.bmp"};
  for (size_t i = 0; i < kStructFiles.size(); ++i) {
    SCOPED_TRACE(kStructFiles[i]);
    StructDef d = readStruct(kStructFiles[i]);
    EXPECT_EQ(d.kind, kStructKinds[i]);
    EXPECT_FALSE(d.model.empty());
    EXPECT_FALSE(d.texture.empty());
    EXPECT_FALSE(fixed.count(LCase(d.texture) + ".bmp") || fixed.count(LCase(d.texture) + "_f.bmp"));
    EXPECT_GE(d.totalLights, 0);
    EXPECT_LE(d.totalLights, 15);
    for (int k : d.lightKinds) {
      EXPECT_GE(k, 0);
      EXPECT_LE(k, 4);
    }
    for (double v : {d.scale.x, d.scale.y, d.scale.z}) EXPECT_GT(v, 0) << "a negative scale gives an empty box";
    EXPECT_TRUE(d.upper.x > d.lower.x && d.upper.y > d.lower.y && d.upper.z > d.lower.z);
  }
}

TEST_F(TextData, WorldFileLinksEveryNodeToItsMap) {
  std::vector<Node> nodes = readWorld();
  ASSERT_GE(nodes.size(), 5u) << "map-mission score divides by the node count less 4";

  // The same file line by line: the world editor writes 21 lines per node.
  std::vector<std::string> shapes = {"S"};
  for (size_t i = 0; i < nodes.size(); ++i) {
    for (const char* x : {"S", "S", "NN", "I", "S", "III"}) shapes.push_back(x);
    repeat(shapes, "I", 5);
    repeat(shapes, "B", 9);
    shapes.push_back("I");
  }
  shapes.push_back("S");
  readShaped("\\maps\\world.pnd", shapes);

  std::vector<std::string> paths;
  for (const Node& n : nodes) paths.push_back(LCase(n.path));
  for (const char* p : {"demoscene", "losgatos", "tut"}) EXPECT_TRUE(contains(paths, p)) << p;
  EXPECT_EQ(std::set<std::string>(paths.begin(), paths.end()).size(), paths.size()) << "paths repeat";
  int last = static_cast<int>(nodes.size()) - 1;
  for (const Node& n : nodes) {
    SCOPED_TRACE(n.path);
    EXPECT_FALSE(n.title.empty()) << "an empty title is a free slot";
    EXPECT_TRUE(drawable(n.title) && drawable(n.desc));
    EXPECT_TRUE(n.x >= 0 && n.x <= 1536 && n.y >= 0 && n.y <= 1536);
    EXPECT_TRUE(n.align >= 0 && n.align <= 4) << "the world editor offers 0..4";
    EXPECT_TRUE(n.icon >= 0 && n.icon <= 63);
    EXPECT_TRUE(n.level >= 0 && n.level <= 3) << "store tier";
    EXPECT_TRUE(n.worldType >= 0 && n.worldType <= 25);
    EXPECT_TRUE(n.linkCount >= 0 && n.linkCount <= 5);
    for (int k = 0; k < n.linkCount; ++k) {
      int to = n.links[static_cast<size_t>(k)];
      EXPECT_TRUE(to >= 0 && to <= last && paths[static_cast<size_t>(to)] != LCase(n.path)) << "link " << to;
    }
    // Traders read every node's map when the world loads: a missing one stops the game.
    EXPECT_TRUE(fileExists(resolvePath("\\maps\\" + n.path + ".pnd"))) << "no map file";
  }

  // Every node open in era 0 is reachable from the main-menu node, links taken both ways.
  auto open0 = [&](int i) { return !nodes[static_cast<size_t>(i)].eraGray[0]; };
  int start = static_cast<int>(std::find(paths.begin(), paths.end(), "losgatos") - paths.begin());
  std::set<int> seen = {start};
  std::vector<int> todo = {start};
  while (!todo.empty()) {
    int a = todo.back();
    todo.pop_back();
    for (int b = 0; b <= last; ++b) {
      const Node& na = nodes[static_cast<size_t>(a)];
      const Node& nb = nodes[static_cast<size_t>(b)];
      bool linked = std::find(na.links.begin(), na.links.begin() + na.linkCount, b) != na.links.begin() + na.linkCount ||
                    std::find(nb.links.begin(), nb.links.begin() + nb.linkCount, a) != nb.links.begin() + nb.linkCount;
      if (linked && open0(b) && seen.insert(b).second) todo.push_back(b);
    }
  }
  for (int i = 0; i <= last; ++i) {
    if (open0(i)) {
      EXPECT_TRUE(seen.count(i)) << nodes[static_cast<size_t>(i)].path << " cannot be reached";
    }
  }
}

TEST_F(TextData, MapFilesFollowTheMapLayout) {
  std::vector<StructDef> defs = structDefs();
  for (const Node& node : readWorld()) {
    SCOPED_TRACE(node.path);
    MapFile m = readMap(node.path);
    EXPECT_TRUE(drawable(m.title)) << m.title;
    EXPECT_TRUE(m.fog >= 0 && m.fog <= 3);
    EXPECT_TRUE(m.weather >= 0 && m.weather <= 5);
    EXPECT_TRUE(m.fx >= 0 && m.fx <= 3);
    int backdrops = 0;
    for (const Sector& s : m.sectors) {
      if (s.texture.empty()) continue;
      EXPECT_TRUE(s.scale >= 1 && s.scale <= 50) << s.texture;
      if (!kPlanets.count(LCase(s.texture))) ++backdrops;
    }
    EXPECT_GE(backdrops, 1) << "the warp tunnel needs a sky backdrop";
    for (double c : {m.colour.x, m.colour.y, m.colour.z}) EXPECT_TRUE(c >= 0 && c <= 255);

    std::vector<Box> boxes;
    std::vector<int> active;
    for (int i = 0; i < 32; ++i) {
      const Slot& s = m.slots[static_cast<size_t>(i)];
      EXPECT_TRUE(s.def >= -1 && s.def <= 21) << "slot " << i;
      if (s.def < 0 || s.def > 21) continue;
      EXPECT_TRUE(std::fabs(s.pos.x) <= 5000 && std::fabs(s.pos.y) <= 2000 && std::fabs(s.pos.z) <= 5000)
          << "slot " << i << " outside the map editor's ranges";
      active.push_back(i);
      boxes.push_back(placedBox(defs[static_cast<size_t>(s.def)], s.pos));
    }
    for (size_t a = 0; a < boxes.size(); ++a)
      for (size_t b = a + 1; b < boxes.size(); ++b)
        EXPECT_FALSE(overlaps(boxes[a], boxes[b])) << "slots " << active[a] << " and " << active[b] << " overlap";

    // A landing opens the nearest service building (getCloseLanding, within 9999): every service
    // must be the nearest one of some pad, and every pad must lie below the flight floor.
    std::set<int> served;
    for (size_t a = 0; a < active.size(); ++a) {
      const Slot& pad = m.slots[static_cast<size_t>(active[a])];
      if (defs[static_cast<size_t>(pad.def)].kind != kLanding) continue;
      EXPECT_LT(boxes[a].hi.y, -111) << "pad " << active[a];
      double best = 9999;
      int found = -1;
      for (int j : active) {
        const Slot& s = m.slots[static_cast<size_t>(j)];
        if (!kServiceKinds.count(defs[static_cast<size_t>(s.def)].kind)) continue;
        double d = std::hypot(s.pos.x - pad.pos.x, s.pos.z - pad.pos.z);
        if (d < best) {
          best = d;
          found = j;
        }
      }
      if (found >= 0) served.insert(found);
    }
    for (int j : active) {
      if (kServiceKinds.count(defs[static_cast<size_t>(m.slots[static_cast<size_t>(j)].def)].kind)) {
        EXPECT_TRUE(served.count(j)) << "service in slot " << j << " has no landing of its own";
      }
    }
  }
}

TEST_F(TextData, WorldOffersEveryServiceAndWeather) {
  std::vector<Node> nodes = readWorld();
  std::set<int> parts, ammo, yards, fogs, weathers, fxs;
  bool carrierYard = false, autosave = false, trade = false, missionControl = false;
  for (const Node& n : nodes) {
    MapFile m = readMap(n.path);
    std::set<int> defs;
    for (const Slot& s : m.slots) defs.insert(s.def);
    if (defs.count(0)) parts.insert(n.level);
    if (defs.count(13)) ammo.insert(n.level);
    if (defs.count(10)) yards.insert(n.level);
    if (defs.count(10) && n.level >= 2 && n.worldType != 4 && n.worldType != 7 && n.worldType != 12)
      carrierYard = true;
    autosave |= defs.count(16) && defs.count(2);
    trade |= defs.count(11) || defs.count(12);
    missionControl |= defs.count(17) > 0;
    fogs.insert(m.fog);
    weathers.insert(m.weather);
    fxs.insert(m.fx);
  }
  for (int tier = 0; tier <= 3; ++tier) {
    EXPECT_TRUE(parts.count(tier)) << "no parts store at tier " << tier;
    EXPECT_TRUE(ammo.count(tier)) << "no weapon store at tier " << tier;
    EXPECT_TRUE(yards.count(tier)) << "no shipyard at tier " << tier;
  }
  EXPECT_TRUE(carrierYard) << "no shipyard selling the galleon2";
  EXPECT_TRUE(autosave && trade && missionControl);
  for (int v = 1; v <= 3; ++v) EXPECT_TRUE(fogs.count(v)) << "fog " << v;
  for (int v = 1; v <= 5; ++v) EXPECT_TRUE(weathers.count(v)) << "weather " << v;
  for (int v = 1; v <= 3; ++v) EXPECT_TRUE(fxs.count(v)) << "effects " << v;
}

TEST_F(TextData, SaveSlotsShipEmptyAndLaterFoldersExist) {
  for (int n = 0; n <= 6; ++n) {
    std::string path = resolvePath("\\data\\save" + std::to_string(n) + "\\save.pnd");
    EXPECT_EQ(readFileBytes(path), "\"*nil*\"\r\n") << "slot " << n;
  }
  for (const char* folder : {"missions/era0", "missions/map", "gfx/news"})
    EXPECT_TRUE(std::filesystem::is_directory(kContentDir + "/" + folder)) << folder;
}

// ---- media names -----------------------------------------------------------------------------------

class GeneratedMedia : public TextData {
 protected:
  // The generator lists every file it writes in "contentgen.manifest" (game-relative, "/").
  void SetUp() override {
    TextData::SetUp();
    std::ifstream in(std::string(QV_TEST_GAME_DIR) + "/contentgen.manifest");
    ASSERT_TRUE(in) << "no contentgen.manifest in " << QV_TEST_GAME_DIR << ": build the content first";
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      manifest_.insert(LCase(line));
    }
  }
  // A game path ("models\chars\zombie.md2", "\gfx\sky\earth.bmp") the way the file layer folds it.
  void expectGenerated(std::string path, const std::string& user) {
    path = Replace(path, "\\", "/");
    while (!path.empty() && path[0] == '/') path.erase(0, 1);
    path = Replace(path, "//", "/");
    EXPECT_TRUE(manifest_.count(LCase(path))) << path << " (used by " << user << ") is not generated";
  }

 private:
  std::set<std::string> manifest_;
};

TEST_F(GeneratedMedia, EveryNameTheTextDataUsesIsGenerated) {
  CharTable chars = readCharTable();
  for (size_t i = 0; i < chars.defs.size(); ++i) {
    const CharDef& d = chars.defs[i];
    if (d.model.empty()) continue;
    std::string who = "chars.pnd entry " + std::to_string(i);
    expectGenerated("models\\chars\\" + d.model + ".md2", who);
    expectGenerated("models\\chars\\" + d.model + "_o.md2", who);
    expectGenerated("\\gfx\\" + d.skin, who);
    expectGenerated("\\gfx\\portraits\\" + d.skin, who);
  }
  for (const auto& file : kShipFiles) {
    ShipDef d = readShip(file);
    for (const char* part : {"body", "interior", "wheels", "window"})
      expectGenerated("models\\" + d.model + "\\" + part + ".md2", file);
    for (const auto& t : {d.bodyTex, d.interiorTex, d.windowTex, d.wheelTex}) expectGenerated("\\gfx\\" + t, file);
  }
  for (const auto& file : kStructFiles) {
    StructDef d = readStruct(file);
    for (const char* suffix : {".md2", "_o.md2", "_f.md2"})
      expectGenerated("models\\structs\\" + d.model + suffix, file);
    expectGenerated("\\gfx\\" + d.texture + ".bmp", file);
    expectGenerated("\\gfx\\" + d.texture + "_f.bmp", file);
  }
  for (const Node& n : readWorld()) {
    expectGenerated("\\maps\\" + n.path + ".bmp", "world.pnd");
    for (const Sector& s : readMap(n.path).sectors)
      if (!s.texture.empty()) expectGenerated("\\gfx\\" + s.texture, n.path);
  }
}

// A placed structure takes its box from its model, the editors from its definition: the two are
// one box, to the model file's precision (1/255 of the model's extent on each axis). A landing
// pad's deck is its box's top wherever a ship can stand over it, so a ship resting on the "H" is
// above the box and is offered the landing.
TEST_F(GeneratedMedia, EveryStructureModelFillsItsDefinitionsBoxAndPadsAreFlatOnTop) {
  for (const auto& file : kStructFiles) {
    SCOPED_TRACE(file);
    const StructDef d = readStruct(file);
    content::Md2 m;
    ASSERT_EQ(content::readMd2("models/structs/" + d.model + ".md2", m), "");
    double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
    for (const auto& f : m.pos)
      for (const auto& v : f)
        for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], static_cast<double>(v[a])), hi[a] = std::max(hi[a], static_cast<double>(v[a]));
    const double want[2][3] = {{d.lower.x, d.lower.y, d.lower.z}, {d.upper.x, d.upper.y, d.upper.z}};
    for (int a = 0; a < 3; ++a) {
      const double step = (hi[a] - lo[a]) / 255 + 1e-3;
      EXPECT_NEAR(lo[a], want[0][a], step) << "lower corner, axis " << a;
      EXPECT_NEAR(hi[a], want[1][a], step) << "upper corner, axis " << a;
    }
    if (d.kind != kLanding) continue;
    const double step = (hi[1] - lo[1]) / 255 + 1e-3;
    for (double fx : {0.05, 0.25, 0.5, 0.75, 0.95})
      for (double fz : {0.05, 0.25, 0.5, 0.75, 0.95}) {
        const double x = d.lower.x + fx * (d.upper.x - d.lower.x), z = d.lower.z + fz * (d.upper.z - d.lower.z);
        EXPECT_NEAR(modelTopAt(m.pos[0], x, z), d.upper.y, step) << "deck at " << x << ", " << z;
      }
  }
}

}  // namespace
