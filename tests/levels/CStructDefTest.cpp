// Structure definition files: round trips, the file's layout and damaged files.
#include <gtest/gtest.h>

#include "levels/CStructDef.h"
#include "runtime/VbError.h"
#include "tests/levels/LevelFixture.h"

namespace {
class CStructDefTest : public LevelTest {};

DefSpec richDef() {
  DefSpec d;
  d.title = "Planet Ware";
  d.model = "parts";
  d.texture = "partstex";
  d.scale = vec(1.5f, 2, 0.1f);
  d.zOff = -35;
  d.totalLights = 2;
  for (int i = 0; i < 16; ++i) {
    d.lightPos[i] = vec(i * 10.0f, -i * 0.5f, 100.25f - i);
    d.lightKind[i] = i % 5;
  }
  d.upper = vec(120, 300, 80.5f);
  d.lower = vec(-120, -2, -80.5f);
  d.kind = 0;
  return d;
}

void expectEqual(const CStructDef& a, const CStructDef& b) {
  EXPECT_EQ(a.Title, b.Title);
  EXPECT_EQ(a.ModelName, b.ModelName);
  EXPECT_EQ(a.TextureName, b.TextureName);
  EXPECT_EQ(a.zOff, b.zOff);
  EXPECT_EQ(a.totalLights, b.totalLights);
  EXPECT_EQ(a.getType(), b.getType());
  for (auto [p, q] : {std::pair{a.getScale(), b.getScale()}, {a.getLBounds(), b.getLBounds()},
                      {a.getUBounds(), b.getUBounds()}}) {
    EXPECT_EQ(p.x, q.x);
    EXPECT_EQ(p.y, q.y);
    EXPECT_EQ(p.z, q.z);
  }
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(a.getLightPos(i).x, b.getLightPos(i).x) << i;
    EXPECT_EQ(a.getLightPos(i).y, b.getLightPos(i).y) << i;
    EXPECT_EQ(a.getLightPos(i).z, b.getLightPos(i).z) << i;
    EXPECT_EQ(a.getLightType(i), b.getLightType(i)) << i;
  }
}
}  // namespace

TEST_F(CStructDefTest, HandWrittenFileLoadsSavesAndReloadsIdentically) {
  const std::string text = richDef().text();
  dir->write("\\structures\\rich.pnd", text);
  CStructDef d;
  d.sName = "rich";
  d.Load();
  EXPECT_EQ(d.Title, "Planet Ware");
  EXPECT_EQ(d.ModelName, "parts");
  EXPECT_EQ(d.zOff, -35);
  EXPECT_EQ(d.totalLights, 2);
  EXPECT_EQ(d.getScale().z, 0.1f);
  EXPECT_EQ(d.getUBounds().x, 120);  // the upper corner is the earlier line
  EXPECT_EQ(d.getLBounds().y, -2);
  EXPECT_EQ(d.getLightPos(15).x, 150);  // lights beyond totalLights are read all the same
  EXPECT_EQ(d.getLightType(14), 4);
  EXPECT_EQ(d.sName, "rich");

  d.sName = "copy";
  d.Save();
  EXPECT_EQ(dir->read("\\structures\\copy.pnd"), text);  // shortest text of each Single

  CStructDef again;
  again.sName = "copy";
  again.Load();
  expectEqual(d, again);
  again.sName = "copy2";
  again.Save();
  EXPECT_EQ(dir->read("\\structures\\copy2.pnd"), dir->read("\\structures\\copy.pnd"));
}

TEST_F(CStructDefTest, SaveWritesAllSixteenLightsWhateverTotalLightsSays) {
  CStructDef d;
  d.sName = "few";
  d.Title = "Few";
  d.totalLights = 0;
  d.setLightPos(9, 1, 2, 3);
  d.setLightType(9, lightGreengas);
  d.setType(structBank);
  d.Save();
  const std::string text = dir->read("\\structures\\few.pnd");
  size_t lines = 0;
  for (size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++lines;
  EXPECT_EQ(lines, 41u);
  CStructDef back;
  back.sName = "few";
  back.Load();
  EXPECT_EQ(back.getLightType(9), lightGreengas);
  EXPECT_EQ(back.getLightPos(9).y, 2);
  EXPECT_EQ(back.getType(), structBank);
}

TEST_F(CStructDefTest, DamagedFileRaisesNamingTheFileAndChangesNothing) {
  const std::string good = richDef().text();
  const struct {
    const char* what;
    std::string text;
    int number;
  } cases[] = {
      {"truncated after 20 lines", good.substr(0, [&] {
         size_t p = 0;
         for (int i = 0; i < 20; ++i) p = good.find("\r\n", p) + 2;
         return p;
       }()), vberr::InputPastEnd},
      {"empty", "", vberr::InputPastEnd},
      {"a word for a number", [&] {
         std::string t = good;
         t.replace(t.find("1.5,2,0.1"), 3, "abc");
         return t;
       }(), vberr::TypeMismatch},
      {"zOff beyond an Integer", [&] {
         std::string t = good;
         t.replace(t.find("-35"), 3, "40000");
         return t;
       }(), vberr::Overflow},
  };
  for (const auto& c : cases) {
    dir->write("\\structures\\good.pnd", good);
    CStructDef d;
    d.sName = "good";
    d.Load();
    dir->write("\\structures\\good.pnd", c.text);
    try {
      d.Load();
      ADD_FAILURE() << c.what << ": no error";
    } catch (const VbError& e) {
      EXPECT_EQ(e.number(), c.number) << c.what;
      EXPECT_NE(std::string(e.what()).find("\\structures\\good.pnd"), std::string::npos) << c.what;
    }
    CStructDef fresh;
    fresh.sName = "fresh";
    dir->write("\\structures\\fresh.pnd", good);
    fresh.Load();
    expectEqual(d, fresh);  // the earlier good load stands whole
  }

  CStructDef missing;
  missing.sName = "nosuch";
  missing.Title = "kept";
  EXPECT_THROW(missing.Load(), VbError);
  EXPECT_EQ(missing.Title, "kept");
}

TEST_F(CStructDefTest, LightAccessorsRejectIndexesOutsideTheTable) {
  CStructDef d;
  for (long i : {-1L, 16L, 100L}) {
    EXPECT_THROW(d.setLightPos(i, 0, 0, 0), VbError) << i;
    EXPECT_THROW(d.getLightPos(i), VbError) << i;
    EXPECT_THROW(d.setLightType(i, 1), VbError) << i;
    EXPECT_THROW(d.getLightType(i), VbError) << i;
  }
  d.totalLights = 7;
  d.Init();
  EXPECT_EQ(d.totalLights, 0);
}
