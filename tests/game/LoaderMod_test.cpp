// Media loading: the character table and its file, the loading-message ring, the loading screen,
// and the whole load of the default content through the caches.
#include "game/LoaderMod.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "audio/soundMod.h"
#include "engine/CModelMonster.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/GeomMod.h"
#include "engine/MediaBatch.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "levels/CMap.h"
#include "platform/Timer.h"
#include "runtime/Paths.h"
#include "runtime/Trap.h"
#include "ships/CShipDef.h"
#include "tests/support/MediaFixture.h"

namespace {
class LoaderTest : public MediaFixture {
 protected:
  // A clock that moves a display frame (17 ms) at every reading, on from where the last test
  // left it: every loading step draws.
  void SetUp() override {
    MediaFixture::SetUp();
    setTimeSourceForTests([this] { return clockMs += clockStep; });
  }
  void TearDown() override {
    setTimeSourceForTests({});
    LoadMsgs.fill("");
    LoadMsgIndex = 0;
    LoadCount = 0;
    LoadScreenOn = false;
    MediaFixture::TearDown();
  }
  void writeChars(const std::string& text) { dir->write("\\data\\chars.pnd", text); }
  static inline uint32_t clockMs = 0x80000000u;
  uint32_t clockStep = 17;
};
}  // namespace

TEST(CharacterIndex, NamesAndAliasesInAnyCase) {
  struct Case {
    const char* name;
    Integer index;
  };
  for (Case c : {Case{"chica", 0}, Case{"Zombie A", 4}, Case{"ZOM1", 4}, Case{"nin3", 10}, Case{"gret2", 14},
                 Case{"chic1", 16}, Case{"cyborg2", 19}, Case{"cyborg3", 20}, Case{"zaf3", 23},
                 Case{"null", 28}, Case{"zom5", 30}, Case{"chica e", 32}, Case{"Chic5", 32}}) {
    EXPECT_EQ(getCharIndex(c.name), c.index) << c.name;
  }
}

TEST_F(LoaderTest, UnknownNamesAreLoggedAndEndfileIsSilent) {
  EXPECT_EQ(getCharIndex("endfile"), -1);
  EXPECT_EQ(MsgCount, 0);
  EXPECT_EQ(getCharIndex("Zombie Z"), -1);
  EXPECT_EQ(MsgLog[0], "unrecognized char: Zombie Z.");
}

TEST_F(LoaderTest, CharacterFileFillsTheTable) {
  writeChars(
      "#Zombie A\r\nzombie\r\nzom1.bmp\r\n"
      "#nobody\r\nskipped\r\n#ptero\r\nptero\r\nptero.bmp\r\n"  // the unknown name's lines are skipped
      "stray line\r\n"
      "#null\r\nnull\r\nnull.bmp\r\n"
      "#ned\r\nned\r\nnull\r\n"
      "#endfile\r\n");
  LoadCharDefs();
  EXPECT_EQ(CharDefs[4].model, "zombie");
  EXPECT_EQ(CharDefs[4].skin, "zom1.bmp");
  EXPECT_EQ(CharDefs[12].model, "ptero");
  EXPECT_EQ(CharDefs[28].model, "");  // no model
  EXPECT_EQ(CharDefs[28].skin, "null.bmp");
  EXPECT_EQ(CharDefs[24].model, "ned");  // a skin "null" empties the skin, not the model
  EXPECT_EQ(CharDefs[24].skin, "");
  EXPECT_EQ(CharDefs[0].model, "hiro");
  EXPECT_EQ(CharDefs[63].skin, "hiro.bmp");
  EXPECT_EQ(MsgLog[0], "unrecognized char: nobody.");
}

TEST_F(LoaderTest, ACharacterFileCutShortEndsTheTable) {
  for (const char* tail : {"#flee\r\n", "#flee\r\nflee\r\n"}) {
    SCOPED_TRACE(tail);
    writeChars(std::string("#chica\r\nchica\r\nchica.bmp\r\n") + tail);
    MsgCount = 0;
    LoadCharDefs();
    EXPECT_EQ(CharDefs[0].model, "chica");
    EXPECT_EQ(CharDefs[1].model, "hiro");  // the cut record is not taken
    EXPECT_EQ(MsgLog[0], "Error in LoadCharDefs: \\data\\chars.pnd ends inside the record of flee");
  }
  dir->remove("\\data\\chars.pnd");
  MsgCount = 0;
  LoadCharDefs();
  EXPECT_EQ(CharDefs[0].model, "hiro");
  EXPECT_EQ(MsgLog[0].rfind("Error in LoadCharDefs: ", 0), 0u) << MsgLog[0];
}

// An empty or wholly unreadable table leaves every character at the default, and says so; a table
// saved with a byte-order mark keeps its first record.
TEST_F(LoaderTest, ACharacterTableWithNoRecordIsReported) {
  for (const char* text : {"", "stray\r\n#nobody\r\nx\r\ny\r\n", "#endfile\r\n"}) {
    SCOPED_TRACE(text);
    writeChars(text);
    MsgCount = 0;
    LoadCharDefs();
    EXPECT_EQ(CharDefs[0].model, "hiro");
    EXPECT_EQ(MsgLog[0], "Error in LoadCharDefs: \\data\\chars.pnd holds no character record: every character is \"hiro\"");
  }
  writeChars("\xEF\xBB\xBF#chica\r\nchica\r\nchica.bmp\r\n");
  MsgCount = 0;
  LoadCharDefs();
  EXPECT_EQ(CharDefs[0].model, "chica");
  EXPECT_EQ(MsgCount, 0);
}

TEST_F(LoaderTest, TheRingKeepsTheLastThirtyNames) {
  for (int i = 0; i < 32; ++i) AddLoadMsg("m" + std::to_string(i));
  EXPECT_EQ(LoadMsgIndex, 2);
  EXPECT_EQ(LoadMsgs[0], "m30");
  EXPECT_EQ(LoadMsgs[2], "m2");  // the oldest
}

TEST_F(LoaderTest, LoadingScreenStepDrawsRingBarAndPercentage) {
  TexFontDDS = TexMon->getTextureNumber("text.dds");  // missing: no glyphs, the layout still runs
  ScreenWidth = 800;
  ScreenHeight = 600;
  LoadDone = false;
  LoadScreenOn = true;
  LoadTotal = 468;
  LoadCount = 233;  // this step is 234: 50 %
  AddLoadMsg("first");
  clearCalls();
  Drawloader();
  EXPECT_EQ(LoadCount, 234);
  using K = D3DCallKind;
  EXPECT_EQ(countOf(K::BeginScene), 1);
  EXPECT_EQ(countOf(K::Clear), 1);
  EXPECT_EQ(countOf(K::SpriteBegin), 31 + 2);
  EXPECT_EQ(countOf(K::Present), 1);
  // Bar frame and fill: p = 50, so the fill ends at 400 - 100 + 100.
  const std::vector<D3DCall> quads = callsOf(K::DrawPrimitiveUP);
  ASSERT_EQ(quads.size(), 2u);
  ScreenVertex v[4];
  std::memcpy(v, quads[1].bytes.data(), sizeof v);
  EXPECT_EQ(v[0].x, 300);
  EXPECT_EQ(v[1].y, 310);
  EXPECT_EQ(v[3].x, 400);
  EXPECT_EQ(v[0].y, 314);
  std::memcpy(v, quads[0].bytes.data(), sizeof v);
  EXPECT_EQ(v[3].x, 500);
  EXPECT_EQ(v[3].y, 309);
  // Past the total the bar stays full.
  LoadCount = 900;
  clearCalls();
  Drawloader();
  std::memcpy(v, callsOf(K::DrawPrimitiveUP)[1].bytes.data(), sizeof v);
  EXPECT_EQ(v[3].x, 500);
  // Once loading is done nothing is drawn.
  LoadDone = true;
  clearCalls();
  Drawloader();
  EXPECT_FALSE(LoadScreenOn);
  EXPECT_EQ(countOf(K::BeginScene), 0);
}

// Steps that come within a display frame (16 ms) of the last drawn one count toward the
// percentage but draw nothing; the next one after that draws with the count reached.
TEST_F(LoaderTest, LoadingStepsDrawAtMostOnceADisplayFrame) {
  ScreenWidth = 800;
  ScreenHeight = 600;
  LoadDone = false;
  LoadScreenOn = true;
  LoadTotal = 468;
  LoadCount = 0;
  Drawloader();  // drawn: the clock moved on since any earlier step
  clearCalls();
  clockStep = 5;
  Drawloader();  // 5 ms after the drawn step
  Drawloader();  // 10 ms
  Drawloader();  // 15 ms
  EXPECT_EQ(LoadCount, 4);
  EXPECT_EQ(countOf(D3DCallKind::Present), 0);
  Drawloader();  // 20 ms: drawn, at 5 of 468 steps (1 %)
  EXPECT_EQ(LoadCount, 5);
  EXPECT_EQ(countOf(D3DCallKind::BeginScene), 1);
  EXPECT_EQ(countOf(D3DCallKind::Present), 1);
  const std::vector<D3DCall> quads = callsOf(D3DCallKind::DrawPrimitiveUP);
  ASSERT_EQ(quads.size(), 2u);
  ScreenVertex v[4];
  std::memcpy(v, quads[1].bytes.data(), sizeof v);
  EXPECT_EQ(v[3].x, 300 + 2);
}

TEST_F(LoaderTest, LoadingScreenTextIsCentredAndGreyedByPosition) {
  dir->write("\\gfx\\text.dds", encodeDds(256, 256, std::vector<uint32_t>(256 * 256, 0xFFFFFFFF)));
  TexFontDDS = TexMon->getTextureNumber("text.dds");
  ScreenWidth = 640;
  ScreenHeight = 480;
  LoadDone = false;
  LoadScreenOn = true;
  LoadMsgIndex = 0;
  AddLoadMsg("a");  // entry 0; ring line i shows entry (1 + i + 1) mod 30, so line 28 shows it
  clearCalls();
  Drawloader();
  const std::vector<D3DCall> glyphs = callsOf(D3DCallKind::SpriteDraw);
  ASSERT_GE(glyphs.size(), 2u);
  // The ring's "a": grey round(cos(13 / 6) x 20 + 25) = 14, at y = 240 - 225 + 15 x 28, size 0.5.
  EXPECT_EQ(glyphs[0].color, D3DColorARGB(255, 14, 14, 14));
  EXPECT_FLOAT_EQ(glyphs[0].matrix.m[3][0], 0);
  EXPECT_FLOAT_EQ(glyphs[0].matrix.m[3][1], 240 - 225 + 15 * 28 - 18 * 0.5f);
  EXPECT_FLOAT_EQ(glyphs[0].matrix.m[0][0], 0.5f);
  // "loading stuff..." in white at size 0.6, centred on x = 320.
  const D3DCall& l = glyphs[1];
  EXPECT_EQ(l.color, D3DColorARGB(255, 255, 255, 255));
  // measured 176 x 0.6 = 105.6 (its space as drawn, 6): starts at 320 - (106 div 2)
  EXPECT_FLOAT_EQ(l.matrix.m[3][0], 320 - 53);
}

namespace {
// The generated content, read where it lies (nothing is written); every trapped error collected.
class DefaultMediaTest : public MediaFixture {
 protected:
  void SetUp() override {
    MediaFixture::SetUp();
    setAppPath(QV_TEST_GAME_DIR);
    D3DDevice->SetRecording(false);  // hundreds of loading-screen steps
    setTrapSink([this](const std::string& line) {
      errors.push_back(line);
      addMessage(line, false);
    });
    MsgCount = 0;
    CurMap = new CMap();
  }
  void TearDown() override {
    delete CurMap;
    CurMap = nullptr;
    ShipDefs.clear();
    LoadCount = 0;
    LoadScreenOn = false;
    LoadMsgs.fill("");
    MediaFixture::TearDown();
  }
  std::vector<std::string> errors;
};
}  // namespace

TEST_F(DefaultMediaTest, EveryModelAndTextureLoadsWithoutAnErrorMessage) {
  loadShipDefs();
  LoadCharDefs();
  LoadSounds();
  LoadDone = false;
  LoadCount = 0;
  ScreenWidth = 800;
  ScreenHeight = 600;
  LoadModels();
  EXPECT_TRUE(LoadDone);
  ASSERT_GE(MsgCount, 1);
  EXPECT_EQ(MsgLog[0], std::to_string(LoadCount) + " items loaded.");
  EXPECT_EQ(MsgCount, 1);
  EXPECT_TRUE(errors.empty()) << ::testing::PrintToString(errors);
  EXPECT_GT(LoadCount, 400);
  size_t textures = 0, models = 0;
  for (const TexCacheSlot& s : TexSlots) textures += s.object != nullptr;
  for (const ModelCacheSlot& s : ModelSlots) models += s.object && s.object->Loaded;
  EXPECT_EQ(textures, TexSlots.size());
  EXPECT_EQ(models, ModelSlots.size());
  EXPECT_GE(models, 200u);
  // The groups' handles point at their own files.
  EXPECT_EQ(ModelSlots[MiscModels[8]].object, ModelSlots[MiscModels[10]].object);  // one zap model
  EXPECT_EQ(ModelSlots[MiscModels[8]].object->myTexture, ZapTex[2]);               // the last texture wins
  EXPECT_EQ(ModelSlots[MountModels[5]].object->myTexture, TexMon->getTextureNumber("r_launcher.bmp"));
  EXPECT_EQ(TexSlots[TexSmoke].object->Format(), D3DFMT_A8R8G8B8);
  EXPECT_EQ(TexSlots[TexFont].object->Format(), D3DFMT_R8G8B8);
  EXPECT_NE(SndCrash, -1);
  EXPECT_NE(SndJet[3], -1);
  std::set<Integer> fades(FadeTex.begin(), FadeTex.end());
  EXPECT_EQ(fades.size(), 15u);

  // A device reset: both caches emptied and everything loaded again, silently, at the same
  // handles, including a texture and a model first asked for after the load.
  const Integer sky = TexMon->getTextureNumber("sky\\earth.bmp");
  const size_t slots = TexSlots.size(), modelSlots = ModelSlots.size();
  const Integer flare = TexFlare, mount = MountModels[11];
  MsgCount = 0;
  errors.clear();
  ModelMon->ClearAll();
  TexMon->ClearAll();
  LoadModels();
  EXPECT_EQ(MsgCount, 0);
  EXPECT_TRUE(errors.empty()) << ::testing::PrintToString(errors);
  EXPECT_EQ(TexSlots.size(), slots);
  EXPECT_EQ(ModelSlots.size(), modelSlots);
  EXPECT_EQ(TexFlare, flare);
  EXPECT_EQ(MountModels[11], mount);
  ASSERT_TRUE(TexSlots[sky].object);
  EXPECT_EQ(TexMon->getTextureNumber("sky\\earth.bmp"), sky);
}

// The game's load reads its files on worker threads; the same load one by one on the main thread
// must give the same slots (pixels and frames), handles, loading-screen ring, steps and messages.
TEST_F(DefaultMediaTest, DecodedOnWorkersTheLoadEqualsTheLoadOneByOne) {
  loadShipDefs();
  LoadCharDefs();
  ScreenWidth = 800;
  ScreenHeight = 600;
  struct Load {
    std::vector<std::string> slots, ring, log;
    std::vector<Integer> handles;
    Integer ringIndex = 0, steps = 0;
  };
  auto load = [&](bool workers) {
    setMediaWorkers(workers);
    ModelMon->ClearAll();
    TexMon->ClearAll();
    LoadDone = false;
    LoadCount = 0;
    LoadMsgs.fill("");
    LoadMsgIndex = 0;
    MsgCount = 0;
    LoadModels();
    setMediaWorkers(true);
    Load l;
    l.slots = describeCaches();
    l.ring.assign(LoadMsgs.begin(), LoadMsgs.end());
    l.ringIndex = LoadMsgIndex;
    l.steps = LoadCount;
    l.log = logLines();
    auto add = [&](const auto& handles) { l.handles.insert(l.handles.end(), handles.begin(), handles.end()); };
    for (const auto* a : {&MiscModels, &FadeTex}) add(*a);
    for (const auto* a : {&WeaponModels, &WeaponOModels}) add(*a);
    for (const auto* a : {&CrosshairTex, &ShipPartsTex, &ZapTex, &NewsLogoTex, &ZomPortraitTex, &ZafPortraitTex})
      add(*a);
    for (const auto* a : {&PartsTex, &NinjaStarTex}) add(*a);
    add(MountModels);
    add(std::vector<Integer>{TexFont, TexFontDDS, TexFlare, TexSmoke, TexHalo, TexShuriken, TexWhite, TexHomeMap,
                             TexNinjaPortrait, TexBlood, TexNewsSubjects, TexIconsW, TexWeapons});
    return l;
  };
  const Load one = load(false), workers = load(true);
  EXPECT_EQ(workers.slots, one.slots);
  EXPECT_EQ(workers.handles, one.handles);
  EXPECT_EQ(workers.ring, one.ring);
  EXPECT_EQ(workers.ringIndex, one.ringIndex);
  EXPECT_EQ(workers.steps, one.steps);
  EXPECT_EQ(workers.log, one.log);
  EXPECT_GE(one.slots.size(), 400u);
  EXPECT_TRUE(errors.empty()) << ::testing::PrintToString(errors);
}
