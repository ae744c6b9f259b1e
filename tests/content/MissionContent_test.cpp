// The default missions in content/: every script line of every mission compiles, the headers
// read without a complaint, the unlock list opens eras that hold missions, every node that can
// be played has its map mission, and together the missions use every command, header key,
// landing word and placeholder of the script language.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "campaign/CMissionControl.h"
#include "campaign/CMissionPhase.h"
#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "engine/MessageLog.h"
#include "runtime/ItemFile.h"
#include "runtime/Strings.h"
#include "tests/support/TempGameDir.h"

namespace fs = std::filesystem;

namespace {

const std::string kMissions = std::string(QV_SOURCE_DIR) + "/content/missions";

const std::set<std::string> kKeywords = {
    "wait", "pass", "fail", "spawn", "dir", "tag", "*", "goto", "print", "gotophase", "iftruegoto", "iffalsegoto",
    "ifpathgoto", "popup", "linklanding", "timelim", "payme", "killtimer", "clearout", "lock", "unlock",
    "makehostile", "makefriendly", "ifpathnotgoto", "autoevac", "unclear", "forcefriend", "spawnxy", "specialgift",
    "timerlink", "explodewarp", "makemeblarg", "totalheal", "spawnup", "forceevac", "makemotama", "makeishuo",
    "popfoc", "rollcredits", "ifequippedgoto", "ifsecondarygoto", "ifplundergoto", "ifhasdestgoto", "ifhasrscgoto",
    "ifhasnorscgoto", "ifhascapitalgoto", "ifhasnotcapitalgoto"};
const std::set<std::string> kHeaderKeys = {"align", "owner",    "level",   "recyclable", "name",
                                           "desc",  "prohibit", "nolevup", "israndom"};
const std::set<std::string> kLandingWords = {
    "hardware", "planethardware", "parts", "restaurant", "rest", "dinner", "gas", "gasblaster",
    "ships", "shipyard", "shopping", "shoppermart", "ultramart", "mart", "ammo", "ammodepot",
    "hut", "trading", "bank", "firstbank", "missioncontrol", "mcontrol", "control"};

struct MissionFile {
  std::string folder;  // "era0", "map"
  std::string name;
  std::vector<std::string> lines;
};

std::vector<MissionFile> allMissions() {
  std::vector<MissionFile> out;
  for (const auto& d : fs::directory_iterator(kMissions)) {
    if (!d.is_directory()) continue;
    for (const auto& f : fs::directory_iterator(d.path())) {
      if (f.path().extension() != ".pnd") continue;
      out.push_back({d.path().filename().string(), f.path().filename().string(),
                     readLines("\\" + fs::relative(f.path(), std::string(QV_SOURCE_DIR) + "/content").string())});
    }
  }
  return out;
}

class MissionContentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::make_unique<TempGameDir>(std::string(QV_SOURCE_DIR) + "/content");
    savedDev = DevMode;
    Player = std::make_shared<CPlayer>();
    DevMode = true;
    MsgLog.fill("");
    World = std::make_shared<CWorld>();
    World->Load();
    World->CurrentNode = World->getNodeFromPath("losgatos");
    MissionControl = std::make_shared<CMissionControl>();
  }
  void TearDown() override {
    MissionControl.reset();
    World.reset();
    Player.reset();
    DevMode = savedDev;
    dir.reset();
  }
  static bool loggedAny(const std::string& part) {
    for (const std::string& l : MsgLog)
      if (l.find(part) != std::string::npos) return true;
    return false;
  }
  std::unique_ptr<TempGameDir> dir;
  bool savedDev = false;
};

}  // namespace

TEST_F(MissionContentTest, EveryScriptLineCompilesAndTheMissionsCoverTheLanguage) {
  std::set<std::string> keywords, keys, landings;
  bool nodePlaceholders[4] = {}, portraitPlaceholder = false, fails = false, timerTag = false, plainTimer = false;
  int nolevup = 0, levelling = 0, recyclable = 0, israndom = 0;
  const std::vector<MissionFile> files = allMissions();
  ASSERT_FALSE(files.empty());
  for (const MissionFile& m : files) {
    const std::string where = m.folder + "/" + m.name;
    bool inPhase = false, sawNolevup = false;
    int phases = 0;
    for (const std::string& raw : m.lines) {
      const std::string line = Trim(raw);
      if (raw.rfind("#def", 0) == 0) {
        EXPECT_FALSE(inPhase) << where << ": header inside a phase";
        const std::string key = LCase(Mid(line, 6).substr(0, Mid(line, 6).find(' ')));
        keys.insert(key);
        sawNolevup |= key == "nolevup";
        recyclable += key == "recyclable" && line.back() == '1';
        israndom += key == "israndom";
        continue;
      }
      if (raw.rfind("#phase ", 0) == 0) {
        const double n = Val(raw.substr(7));
        EXPECT_TRUE(n >= 0 && n <= 7) << where << ": " << raw;
        inPhase = true;
        ++phases;
        continue;
      }
      if (raw.rfind("#endphase", 0) == 0) {
        inPhase = false;
        continue;
      }
      if (line.empty() || raw.rfind("//", 0) == 0) continue;
      EXPECT_TRUE(inPhase) << where << ": a line outside every phase: " << raw;
      CMissionPhase p;
      p.Reset();
      p.AddLine(raw);
      EXPECT_NE(p.getLines().at(0).code, -1) << where << ": does not compile: " << raw;
      const std::string word = line.substr(0, line.find(' '));
      keywords.insert(word);
      if (word == "linklanding") landings.insert(LCase(Trim(p.getLines()[0].args[0])));
      fails |= word == "fail";
      timerTag |= word == "timerlink";
      plainTimer |= word == "timelim";
      const char* node[] = {"%dt", "%dp", "%ln", "%ld"};
      for (int k = 0; k < 4; ++k) nodePlaceholders[k] |= raw.find(node[k]) != std::string::npos;
      portraitPlaceholder |= raw.find("%pn") != std::string::npos;
    }
    EXPECT_GE(phases, 1) << where;
    if (m.folder != "map") (sawNolevup ? nolevup : levelling) += 1;
  }
  for (const std::string& k : kKeywords) EXPECT_TRUE(keywords.count(k)) << "no mission uses " << k;
  for (const std::string& k : kHeaderKeys) EXPECT_TRUE(keys.count(k)) << "no mission has the header " << k;
  for (const std::string& w : kLandingWords) EXPECT_TRUE(landings.count(w)) << "no mission lands at " << w;
  for (bool used : nodePlaceholders) EXPECT_TRUE(used);
  EXPECT_TRUE(portraitPlaceholder);
  EXPECT_TRUE(fails && timerTag && plainTimer);
  EXPECT_GE(nolevup, 1);
  EXPECT_GE(levelling, 1);
  EXPECT_GE(recyclable, 1);
  EXPECT_GE(israndom, 1);
}

TEST_F(MissionContentTest, HeadersReadCleanlyAndTheUnlockListOpensErasWithMissions) {
  MissionControl->GetMissionDefs();
  const std::vector<EraUnlock> unlocks = MissionControl->getEraUnlocks();
  ASSERT_GE(unlocks.size(), 3u);
  Integer top = 0;
  for (const EraUnlock& u : unlocks) {
    // The mission that opens era e is one of era e - 1.
    EXPECT_TRUE(fs::exists(kMissions + "/era" + std::to_string(u.era - 1) + "/" + u.mission + ".pnd"))
        << u.era << " " << u.mission;
    top = std::max(top, u.era);
  }
  EXPECT_GE(top, 3);
  for (Integer era = 0; era <= top; ++era) {
    World->CurrentEra = era;
    MissionControl->GetMissionDefs();
    EXPECT_FALSE(MissionControl->getMissionDefs().empty()) << "era " << era;
    for (const MissionDef& d : MissionControl->getMissionDefs()) {
      EXPECT_FALSE(d.name.empty()) << d.file;
      EXPECT_FALSE(d.desc.empty()) << d.file;
      if (d.random >= 0) {
        EXPECT_EQ(d.name.find("%dt"), std::string::npos) << d.file;  // the destination's title
        EXPECT_NE(d.name.find(World->getNodeTitle(d.random)), std::string::npos) << d.file;
        EXPECT_FALSE(d.landing.empty()) << d.file;
      }
    }
  }
  EXPECT_FALSE(loggedAny("Unidentified"));
  EXPECT_FALSE(loggedAny("Error"));
  EXPECT_FALSE(loggedAny("Missing"));
}

TEST_F(MissionContentTest, EveryPlayableNodeHasItsMapMission) {
  for (Integer n = 0; n <= World->getTotalNodes(); ++n) {
    const std::string path = World->getNodePath(n);
    if (path.empty() || path == "demoscene") continue;  // the title scene is never flown
    const std::string file = kMissions + "/map/map-" + path + ".pnd";
    EXPECT_TRUE(fs::exists(file)) << path;
  }
}
