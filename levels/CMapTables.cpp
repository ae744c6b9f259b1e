// CMap's keyword tables and the unit-type table read from "\data\shipinfo.pnd".
#include <algorithm>
#include <vector>

#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "levels/CMap.h"
#include "levels/LevelIO.h"
#include "runtime/ItemFile.h"
#include "runtime/Numbers.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"

namespace {
struct Keyword {
  const char* word;
  Long value;
};

const Keyword AlignKeywords[] = {
    {"neutral", 0}, {"ptero", 1},    {"zombie", 2},   {"ninja", 3}, {"cyborg", 4}, {"pirate", 5},
    {"pfriend", 6}, {"derelict", 7}, {"fueler", 8},   {"zafia", 9}, {"fiend", 11}};

const Keyword MountKeywords[] = {
    {"rocket", 0}, {"laser", 1},  {"plasma", 2},   {"vulcan", 3},    {"beam", 4},   {"cannon", 5},
    {"photon", 6}, {"neutron", 7}, {"beambolt", 8}, {"shuriken", 9}, {"radio", 10}, {"plasmoder", 11}};

const Keyword SecondaryKeywords[] = {
    {"missile", 0}, {"torpedo", 1}, {"xbow", 2},  {"shotty", 3}, {"sniper", 4},
    {"neutron", 5}, {"heart", 6},   {"dark", 7},  {"fueler", 8}};

// ShipDefIndex: the order in which the ship definitions are loaded.
const Keyword ShipKeywords[] = {
    {"phantom", 0},  {"gremlin", 1},  {"beetle", 2},  {"burnzilla", 3},  {"nekobus", 4},
    {"chopper", 5},  {"reno", 6},     {"reaper", 7},  {"vtl", 8},        {"samurai", 9},
    {"trantor", 10}, {"galleon", 11}, {"lepperd", 12}, {"galleon2", 13}, {"dejavu", 14},
    {"nexus", 15},   {"banana", 16},  {"vindicator", 17}, {"worm", 18},  {"apollo", 19},
    {"clipper", 20}, {"blarg", 21},   {"motama", 22}};

// UnitType; several keywords share a value and 42 has none.
const Keyword UnitKeywords[] = {
    {"zombie_trader", 0},       {"zombie_rich", 1},        {"zombie_elite", 1},
    {"zombie_poor", 2},         {"ninja_trader", 3},       {"ninja_rich", 4},
    {"ninja_elite", 4},         {"ninja_poor", 5},         {"misc_trader", 6},
    {"misc_rich", 7},           {"misc_poor", 8},          {"misc_misc", 9},
    {"pirate_poor", 10},        {"pirate", 10},            {"pirate_rich", 11},
    {"pirate_elite", 11},       {"pirate_strong", 11},     {"cyborg_weak", 12},
    {"cyborg", 12},             {"cyborg_strong", 13},     {"ptero_cop", 14},
    {"ptero_gman", 15},         {"zombie_cop", 16},        {"ninja_cop", 17},
    {"misc_cop", 18},           {"pirate_friend_poor", 19}, {"pirate_friend_rich", 20},
    {"my_mother", 21},          {"ninja_capital", 22},     {"zombie_capital", 23},
    {"ptero_capital", 24},      {"pirate_capital", 25},    {"cyborg_capital", 26},
    {"misc_capital", 27},       {"pirate_raid", 28},       {"pirate_raider", 28},
    {"derelict1", 29},          {"derelict2", 30},         {"derelict3", 31},
    {"zombie_biker", 32},       {"ninja_biker", 33},       {"misc_biker", 34},
    {"ptero_lawyer", 35},       {"cyborg_zealot", 36},     {"cyborg_dervish", 37},
    {"cyborg_virus", 38},       {"cyborg_worm", 39},       {"zafia", 40},
    {"zafia_grunt", 40},        {"zafia_hitman", 41},      {"zafia_thug", 43},
    {"zafia_boss", 44},         {"zafia_ned", 45},         {"misc_tycoon", 46},
    {"zombie_tycoon", 47},      {"ninja_tycoon", 48},      {"zombie_gas", 49},
    {"ninja_gas", 50},          {"misc_gas", 51},          {"zafia_blade", 52},
    {"suicide", 53},            {"zafia_playboy", 54},     {"empty_device", 55},
    {"ninja_nightmare", 56},    {"ninja_hero", 57},        {"fiend_thorn", 58},
    {"fiend", 58},              {"fiend_serpent", 59},     {"fiend_strong", 59},
    {"fiend_doomsday", 60},     {"fiend_capital", 60},     {"ptero_eng", 61},
    {"ninja_assassin", 62},     {"motama_ai", 63},         {"ishuo", 64},
    {"ol_blarty", 65}};

template <size_t N>
Long lookup(const Keyword (&table)[N], const std::string& s, Long unknown, const char* message) {
  const std::string k = LCase(s);
  for (const Keyword& e : table)
    if (k == e.word) return e.value;
  if (message) addMessage(message + s, false);
  return unknown;
}

// Field n (1-based) of a blank-separated line; a missing field raises Subscript out of range.
std::string field(const std::vector<std::string>& fields, size_t n) {
  if (n > fields.size()) vbRaise(vberr::Subscript);
  return fields[n - 1];
}

std::vector<std::string> splitBlanks(const std::string& line) {
  std::vector<std::string> out;
  size_t b = 0;
  while (true) {
    size_t e = line.find(' ', b);
    out.push_back(line.substr(b, e == std::string::npos ? std::string::npos : e - b));
    if (e == std::string::npos) break;
    b = e + 1;
  }
  return out;
}
}  // namespace

Long CMap::getAlignFromString(const std::string& s) const {
  return lookup(AlignKeywords, s, 0, "Unrecognized alignment: ");
}

Long CMap::findAlign(const std::string& s) { return lookup(AlignKeywords, s, -1, nullptr); }

Long CMap::getMountFromString(const std::string& s) const {
  return lookup(MountKeywords, s, -1, "Unrecognized mount: ");
}

Long CMap::getSecondaryFromString(const std::string& s) const {
  return lookup(SecondaryKeywords, s, -1, "Unrecognized secondary weapon: ");
}

Long CMap::getShipFromString(const std::string& s) const {
  return lookup(ShipKeywords, s, -1, "Unrecognized ship: ");
}

Long CMap::getUnitFromString(const std::string& s) const {
  return lookup(UnitKeywords, s, -1, "Unexpected unit type: ");
}

std::string CMap::getShipDriverTexture(Long unit) const {
  vbCheckIndex(unit, 0, UnitTypes - 1);
  return units[unit].CharTexture1;
}

std::string CMap::getShipUnitDesc(Long unit) const {
  vbCheckIndex(unit, 0, UnitTypes - 1);
  if (unit == 21) return "mother ship";
  return units[unit].Desc;
}

// Reads the unit file line by line into a fresh table that replaces the current one. A missing
// file leaves the table as it was and no unit usable. A damaged line (an unknown unit, item or
// name, a field missing, a number out of range) leaves its unit unusable (unitRead), and a file
// that names no unit leaves every unit unusable; the file is then told to the player once with its
// first damaged line and how many there are.
void CMap::ReadShipInfo() {
  const std::string path = "\\data\\shipinfo.pnd";
  const char* const effect = "Ships of the units it describes badly do not appear";
  std::vector<std::string> lines;
  try {
    lines = readLines(path);
  } catch (const std::exception& e) {
    unitRead.fill(false);
    tellDamagedFile(FileProblem::of(e, path), "No ship of the traffic, police or missions appears");
    return;
  }

  std::array<UnitInfo, UnitTypes> table;
  std::array<bool, UnitTypes> damaged{};
  bool anyUnit = false;
  std::string firstDamage;
  int damagedLines = 0;
  Long cur = 0;  // lines before the first "#" line belong to unit 0
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    auto damage = [&](const std::string& why) {
      if (damagedLines++ == 0) firstDamage = "line " + std::to_string(n + 1) + ": " + why;
      if (cur >= 0) damaged[static_cast<size_t>(cur)] = true;
    };
    // A name the tables do not know, quoted as far as it is text.
    auto unknown = [&](const char* what, const std::string& name) {
      damage(std::string("unknown ") + what + " \"" + printableExcerpt(name) + "\"");
    };
    try {
      if (Left(line, 1) == "#") {
        cur = lookup(UnitKeywords, Mid(line, 2), -1, nullptr);
        if (cur < 0) {  // the lines up to the next "#" belong to no unit
          unknown("unit", Mid(line, 2));
          continue;
        }
        anyUnit = true;
        UnitInfo& u = table[cur];
        u.Mount.fill(1);
        u.HasSecondary.fill(vbFalse);
        u.SecondaryAmmo.fill(0);
        continue;
      }
      if (cur < 0 || line.empty()) continue;
      UnitInfo& u = table[cur];
      const std::vector<std::string> f = splitBlanks(line);
      const std::string key = LCase(f[0]);
      if (key.empty()) continue;
      auto known = [&](Long value, const char* what, const std::string& name) {
        if (value < 0) unknown(what, name);
        return value;
      };
      if (key == "ship") {
        u.Ship = known(lookup(ShipKeywords, field(f, 2), -1, nullptr), "ship", field(f, 2));
      } else if (key == "cd1" || key == "cd2") {
        // A character of the character table (its name may hold blanks, "zombie a"): its model
        // and skin; an unknown one changes nothing.
        const std::string name = Mid(line, Len(f[0]) + 2);
        const Integer c = getCharIndex(name, false);
        if (c >= 0 && c < CharDefCount) {
          const CharDef& d = CharDefs[static_cast<size_t>(c)];
          (key == "cd1" ? u.CharModel1 : u.CharModel2) = d.model;
          (key == "cd1" ? u.CharTexture1 : u.CharTexture2) = d.skin;
        } else {
          unknown("character", name);
        }
      } else if (key == "cm1") {
        u.CharModel1 = field(f, 2);
      } else if (key == "cm2") {
        u.CharModel2 = field(f, 2);
      } else if (key == "ct1") {
        u.CharTexture1 = field(f, 2) + ".bmp";
      } else if (key == "ct2") {
        u.CharTexture2 = field(f, 2) + ".bmp";
      } else if (key == "sec" || key == "seca") {
        const Long s = known(lookup(SecondaryKeywords, field(f, 2), -1, nullptr), "secondary weapon", field(f, 2));
        if (s >= 0) {
          const Integer ammo = key == "sec" ? 15 : CInt(Val(field(f, 3)));
          u.HasSecondary[s] = vbTrue;
          u.SecondaryAmmo[s] = ammo;
        }
      } else if (key.size() == 2 && key[0] == 'm' && key[1] >= '1' && key[1] <= '8') {
        u.Mount[key[1] - '1'] = known(lookup(MountKeywords, field(f, 2), -1, nullptr), "mount", field(f, 2));
      } else if (key == "desc") {
        u.Desc = Mid(line, Len(f[0]) + 2);
      } else if (key == "align") {
        u.Align = std::max<Long>(known(lookup(AlignKeywords, field(f, 2), -1, nullptr), "alignment", field(f, 2)), 0);
      } else {
        unknown("item", f[0]);
      }
    } catch (const std::exception& e) {
      damage(printableExcerpt(e.what(), 80));
    }
  }
  units = table;
  for (size_t u = 0; u < unitRead.size(); ++u) unitRead[u] = anyUnit && !damaged[u];
  if (!anyUnit && damagedLines == 0) firstDamage = "no unit is named";
  if (!anyUnit || damagedLines > 0) {
    const std::string more = damagedLines > 1 ? " (" + std::to_string(damagedLines) + " damaged lines)" : "";
    tellDamagedFile(FileProblem{path, firstDamage + more}, anyUnit ? effect : "No ship of the traffic, police or missions appears");
  }
}
