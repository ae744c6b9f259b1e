// Every name the code asks for at start-up, and every media name the text data gives, exists
// among the generated files (resolved the way the game resolves paths).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MediaReaders.h"
#include "runtime/ItemFile.h"
#include "runtime/Paths.h"
#include "runtime/VbError.h"

using namespace content;

namespace {

class MediaNames : public ::testing::Test {
 protected:
  void SetUp() override { setAppPath(QV_TEST_GAME_DIR); }
  // Collects the game paths that do not resolve to a file.
  void need(const std::string& gamePath) {
    if (!fileExists(resolvePath(gamePath))) missing.push_back(gamePath);
  }
  void needTexture(const std::string& name) { need("\\gfx\\" + name); }
  void needModelPair(const std::string& base) {
    need(base + ".md2");
    need(base + "_o.md2");
  }
  std::vector<std::string> missing;
};

}  // namespace

TEST_F(MediaNames, EverythingLoadedAtStartUpExists) {
  for (const char* t :
       {"text.bmp", "text.dds", "flare.bmp", "miniflare.bmp", "smoke.dds", "blueflare.bmp", "cloud.bmp", "greencloud.bmp",
        "star.bmp", "halo.bmp", "laserbeam.bmp", "laserhalo.bmp", "lasersplash.bmp", "target.bmp", "explodar.bmp",
        "smoke2.dds", "spark.bmp", "stream.bmp", "smoke2r.dds", "point.bmp", "torbolt.bmp", "neubolt.bmp", "torfade.bmp",
        "heart_sprite.bmp", "shuriken.bmp", "white.bmp", "tinygrad.dds", "pointer.dds", "rounded.dds", "roundedw.dds",
        "roundedl.dds", "gas.dds", "arrows.dds", "bar.bmp", "lit.bmp", "lit_top.bmp", "shooting.bmp", "fire.bmp", "rsc.dds",
        "spikeflare.bmp", "redspike.bmp", "electro.bmp", "electro2.bmp", "photonbeam.bmp", "xblast.bmp", "circlef.bmp",
        "beambeam.bmp", "..\\maps\\losgatos.bmp", "portraits\\ninja.bmp", "blood.bmp", "news\\zombienews.dds",
        "news\\ninjanews.dds", "news\\newsback.bmp", "news\\newssubjects.bmp", "\\news\\newsco1.dds", "\\news\\newsco2.dds",
        "\\news\\newsco3.dds", "icons_w.dds", "portraits\\zom1.bmp", "portraits\\zom2.bmp", "portraits\\zom3.bmp",
        "portraits\\zaf1.bmp", "portraits\\zaf2.bmp", "portraits\\zaf3.bmp", "weapons.dds", "ninjastar1.dds",
        "ninjastar2.dds", "parts\\parts1.dds", "parts\\parts2.dds", "parts\\ships1.dds", "parts\\ships2.dds",
        "parts\\ships3.dds", "xhair_a_1.bmp", "xhair_a_2.bmp", "xhair_a_3.bmp", "missile.bmp", "rocker.bmp", "xbow.bmp",
        "debris1.bmp", "debris2.bmp", "debris3.bmp", "debris4.bmp", "debris5.bmp", "zap1.bmp", "zap2.bmp", "zap3.bmp",
        "blast.bmp", "r_launcher.bmp", "torpedo.bmp", "shotty.bmp", "sniper.bmp", "laser.bmp", "heart.bmp", "gas.bmp",
        "darklauncher.bmp", "rocket.bmp", "vulcan.bmp", "photon.bmp", "beam.bmp", "hiro.bmp", "chica.bmp",
        "redphantom_b.bmp", "whitephantom_i.bmp", "red_w.bmp", "fade.bmp"})
    needTexture(t);
  for (int i = 1; i <= 15; ++i) needTexture("shadesofgray\\fade" + std::to_string(i) + ".dds");
  for (const char* portrait : {"zom1", "zom2", "zom3", "zom4", "ninja", "ninja2", "ninja3", "chica", "ptero", "cyborg"})
    needTexture(std::string("portraits\\") + portrait + ".bmp");   // mission board givers
  for (const char* m : {"missile", "rocker", "harp", "debris1", "debris2", "debris3", "debris4", "debris5", "zap", "orb",
                        "inner_orb", "shock", "tunnel"})
    need(std::string("models\\misc\\") + m + ".md2");
  for (const char* w : {"launcher", "torpedo", "xbow", "shotty", "sniper", "neutron", "heart", "dark", "fueler"})
    needModelPair(std::string("models\\weapons\\") + w);
  for (const char* m : {"rocket", "laser", "vulcan", "photon", "beam", "cannon", "tcannon", "ncannon", "bcannon", "disk",
                        "radio", "plasmoder"})
    need(std::string("models\\mounts\\") + m + ".md2");
  needModelPair("models\\chars\\hiro");
  needModelPair("models\\chars\\chica");
  for (const char* s : {"laser", "explode", "rocket", "rocker", "flame2", "miniexplode", "rail", "warp2", "warp_out",
                        "beep", "tractor", "vulcan", "shotgun", "miniwarp", "miniwarpout", "roll", "sniper", "cross",
                        "bassplode", "warptrans", "dock", "spawn", "dark", "neutron", "bulletin", "bulletout", "jet",
                        "jet2", "jet3", "jet4", "rico", "chime", "levup", "crash"})
    need(std::string("\\sfx\\") + s + ".wav");
  for (const char* m : {"\\sfx\\music\\ninjastar2.mp3", "\\sfx\\music\\soft\\gato.mp3", "\\sfx\\music\\hard\\blarg.mp3",
                        "\\maps\\demoscene.bmp", "\\maps\\tut.bmp"})
    need(m);
  for (const char* p : {"earth", "blueplanet", "grayplanet", "jovian", "venus", "ringplanet", "smallgrays", "venus2",
                        "flush", "redplanet"})
    needTexture(std::string("sky\\") + p + ".bmp");
  for (int k = 1; k <= 4; ++k) needTexture("planets\\p_" + std::to_string(k) + ".dds");
  for (int c = 1; c <= 4; ++c)
    for (int r = 1; r <= 4; ++r) needTexture("galaxy\\g" + std::to_string(c) + std::to_string(r) + ".bmp");
  EXPECT_TRUE(missing.empty()) << ::testing::PrintToString(missing);
}

TEST_F(MediaNames, CharacterTableModelsSkinsAndPortraitsExist) {
  std::vector<std::string> lines;
  try {
    lines = readLines("\\data\\chars.pnd");
  } catch (const VbError&) {
    GTEST_SKIP() << "no chars.pnd in the text data yet";
  }
  int records = 0;
  for (size_t i = 0; i + 2 < lines.size(); ++i) {
    if (lines[i].empty() || lines[i][0] != '#') continue;
    std::string model = lines[i + 1], skin = lines[i + 2];
    if (model != "null") needModelPair("models\\chars\\" + model);
    needTexture(skin);
    needTexture("portraits\\" + skin);
    ++records;
    i += 2;
  }
  EXPECT_GE(records, 33);
  EXPECT_TRUE(missing.empty()) << ::testing::PrintToString(missing);
}

TEST_F(MediaNames, ShipAndStructureFilesNameGeneratedModelsAndTextures) {
  const char* ships[23] = {"Phantom", "Gremlin", "Beetle", "Beetle2", "bus", "chopper", "reno", "Reaper",
                           "VTL", "samurai", "trantor", "galleon", "lepperd", "galleon2", "dejavu", "nexus",
                           "banana", "vindicator", "worm", "apollo", "clipper", "blarg", "motama"};
  int read = 0;
  for (const char* s : ships) {
    try {
      ItemReader r("\\ships\\" + std::string(s) + ".pnd");
      for (int i = 0; i < 73; ++i) r.readString();   // name, seats, mounts, jets, lights
      std::string model = r.readString();
      for (const char* part : {"body", "interior", "wheels", "window"}) need("models\\" + model + "\\" + part + ".md2");
      for (int k = 0; k < 4; ++k) needTexture(r.readString());
      ++read;
    } catch (const VbError&) {
    }
  }
  const char* structs[22] = {"parts", "china", "landing", "genbuild1", "tallbuild", "catwalk", "catwalk2", "gas",
                             "tallbuild2", "genbuild2", "shipyard", "shoppermart", "hut", "ammo", "closewalk",
                             "closewalk2", "bank", "indycontrol", "ninjabuild", "gasbag", "cybuild", "cross"};
  for (const char* s : structs) {
    try {
      ItemReader r("\\structures\\" + std::string(s) + ".pnd");
      r.readString();
      std::string model = r.readString(), tex = r.readString();
      need("models\\structs\\" + model + ".md2");
      need("models\\structs\\" + model + "_o.md2");
      need("models\\structs\\" + model + "_f.md2");
      needTexture(tex + ".bmp");
      needTexture(tex + "_f.bmp");
      ++read;
    } catch (const VbError&) {
    }
  }
  if (read == 0) GTEST_SKIP() << "no ship or structure files in the text data yet";
  EXPECT_TRUE(missing.empty()) << ::testing::PrintToString(missing);
}

TEST_F(MediaNames, EveryWorldNodeHasItsPreviewAndEveryMapItsSkyTextures) {
  std::vector<std::string> paths;
  try {
    ItemReader w("\\maps\\world.pnd");
    w.readString();
    while (!w.eof()) {
      std::string title = w.readString();
      if (title == "eof") break;
      std::string path = w.readString();
      for (int i = 0; i < 22; ++i) w.readString();
      if (!title.empty()) paths.push_back(path);
    }
  } catch (const VbError&) {
    GTEST_SKIP() << "no readable world.pnd in the text data yet";
  }
  for (const std::string& p : paths) {
    need("\\maps\\" + p + ".bmp");
    try {
      ItemReader m("\\maps\\" + p + ".pnd");
      for (int i = 0; i < 4; ++i) m.readString();
      for (int sector = 0; sector < 12; ++sector) {
        m.readString();
        m.readString();
        std::string tex = m.readString();
        m.readString();
        m.readString();
        if (!tex.empty()) needTexture(tex);
      }
    } catch (const VbError& e) {
      missing.push_back("\\maps\\" + p + ".pnd unreadable");
    }
  }
  EXPECT_GE(paths.size(), 5u);
  EXPECT_TRUE(missing.empty()) << ::testing::PrintToString(missing);
}
