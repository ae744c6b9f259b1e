// The texture and model caches: one load per name, handles in first-request order and after
// ClearAll, the pixel format rule, failed files keeping their handles, forceReplace, the model
// index clamp, the reload after a device reset, and loads in a batch (files read on worker
// threads) against the same loads one by one.
#include <gtest/gtest.h>

#include "engine/CModelMonster.h"
#include "engine/CTextureMonster.h"
#include "engine/MediaBatch.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "runtime/VbError.h"
#include "tests/support/MediaFixture.h"

namespace {
class CachesTest : public MediaFixture {
 protected:
  void SetUp() override {
    MediaFixture::SetUp();
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "late.bmp"})
      dir->write(std::string("\\gfx\\") + name, bmp());
    dir->write("\\gfx\\portraits\\p.bmp", bmp());
    dir->write("\\gfx\\glow.dds", encodeDds(2, 2, {0x80FF0000, 0x80FF0000, 0x80FF0000, 0x80FF0000}));
    dir->write("\\gfx\\GLOW.DDS", encodeDds(2, 2, {0x80FF0000, 0x80FF0000, 0x80FF0000, 0x80FF0000}));
    dir->write("\\models\\m.md2", encodeMd2(triangleModel(1)));
    dir->write("\\models\\late.md2", encodeMd2(triangleModel(2)));
  }
  static std::string bmp() { return encodeBmp(2, 2, {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF}); }
  // Texture loads recorded since the last clear.
  int loads() const { return countOf(D3DCallKind::CreateTexture); }
};
}  // namespace

TEST_F(CachesTest, EachNameLoadsOnceAndHandlesFollowFirstRequests) {
  EXPECT_EQ(TexMon->getTextureNumber("a.bmp"), 0);
  EXPECT_EQ(TexMon->getTextureNumber("b.bmp"), 1);
  EXPECT_EQ(TexMon->getTextureNumber("a.bmp"), 0);
  EXPECT_EQ(TexMon->getTextureNumber("A.bmp"), 2);  // names are compared exactly
  EXPECT_EQ(loads(), 3);
  EXPECT_EQ(TexSlots.size(), 3u);
  EXPECT_EQ(TexMon->getTexture(1), TexSlots[1].object);
  EXPECT_THROW(TexMon->getTexture(3), VbError);

  EXPECT_EQ(ModelMon->getModelNumber("models\\m.md2"), 0);
  EXPECT_EQ(ModelMon->getModelNumber("models\\m.md2"), 0);
  EXPECT_EQ(countOf(D3DCallKind::CreateVertexBuffer), 1);

  TexMon->ClearAll();
  ModelMon->ClearAll();
  EXPECT_EQ(TexSlots.size(), 1u);
  EXPECT_FALSE(TexSlots[0].object);
  EXPECT_EQ(TexMon->getTextureNumber("c.bmp"), 0);
  EXPECT_EQ(ModelMon->getModelNumber("models\\late.md2"), 0);
  EXPECT_EQ(ModelSlots[0].object->NumFrames(), 1);
}

TEST_F(CachesTest, OnlyALowerCaseDdsNameKeepsItsAlpha) {
  const Integer lower = TexMon->getTextureNumber("glow.dds");
  const Integer upper = TexMon->getTextureNumber("GLOW.DDS");
  const Integer bitmap = TexMon->getTextureNumber("a.bmp");
  EXPECT_EQ(TexSlots[lower].object->Format(), D3DFMT_A8R8G8B8);
  EXPECT_EQ(TexSlots[upper].object->Format(), D3DFMT_R8G8B8);
  EXPECT_EQ(TexSlots[bitmap].object->Format(), D3DFMT_R8G8B8);
}

TEST_F(CachesTest, FailedFilesKeepTheirHandles) {
  EXPECT_EQ(TexMon->getTextureNumber("a.bmp"), 0);
  EXPECT_EQ(TexMon->getTextureNumber("missing.bmp"), 1);
  EXPECT_TRUE(TexSlots[1].used);
  EXPECT_FALSE(TexSlots[1].object);
  EXPECT_EQ(MsgLog[0].rfind("Error in LoadTex: (missing.bmp)", 0), 0u) << MsgLog[0];
  EXPECT_EQ(TexMon->getTextureNumber("missing.bmp"), 1);  // not tried again
  EXPECT_EQ(TexMon->getTextureNumber("b.bmp"), 2);

  dir->write("\\models\\broken.md2", "IDP2");
  EXPECT_EQ(ModelMon->getModelNumber("models\\broken.md2"), 0);
  EXPECT_EQ(ModelMon->getModelNumber("models\\none.md2"), 1);
  EXPECT_EQ(ModelMon->getModelNumber("models\\m.md2"), 2);
  ASSERT_TRUE(ModelSlots[0].object);
  EXPECT_FALSE(ModelSlots[0].object->Loaded);
  EXPECT_FALSE(ModelSlots[1].object->Loaded);
  EXPECT_TRUE(ModelSlots[2].object->Loaded);
}

TEST_F(CachesTest, RealModelNumberClampsTheCallersIndex) {
  ModelMon->getModelNumber("models\\m.md2");
  ModelMon->getModelNumber("models\\late.md2");
  Integer index = 7;
  EXPECT_EQ(ModelMon->getRealModelNum(index), 1);
  EXPECT_EQ(index, 1);
  index = 0;
  EXPECT_EQ(ModelMon->getRealModelNum(index), 0);
  index = -1;
  EXPECT_THROW(ModelMon->getRealModelNum(index), VbError);
}

TEST_F(CachesTest, ForceReplaceReloadsTheSameHandleOpaque) {
  const Integer h = TexMon->getTextureNumber("glow.dds");
  TexMon->forceReplace(h, "\\gfx\\portraits\\p.bmp");
  ASSERT_TRUE(TexSlots[h].object);
  EXPECT_EQ(TexSlots[h].object->Format(), D3DFMT_R8G8B8);
  EXPECT_EQ(TexMon->getTextureNumber("\\gfx\\portraits\\p.bmp"), h);  // the handle's name is the path now
  TexMon->forceReplace(h, "\\gfx\\portraits\\none.bmp");              // raises nothing
  EXPECT_FALSE(TexSlots[h].object);
  TexMon->forceReplace(50, "\\gfx\\a.bmp");  // no such handle: nothing happens
  EXPECT_EQ(TexSlots.size(), 1u);
}

TEST_F(CachesTest, WhileLoadingEveryRequestGoesIntoTheRing) {
  LoadDone = false;
  LoadMsgIndex = 0;
  TexMon->getTextureNumber("a.bmp");
  TexMon->getTextureNumber("a.bmp");
  ModelMon->getModelNumber("models\\m.md2");
  EXPECT_EQ(LoadMsgIndex, 3);
  EXPECT_EQ(LoadMsgs[1], "a.bmp");
  EXPECT_EQ(LoadMsgs[2], "models\\m.md2");
  LoadDone = true;
  TexMon->getTextureNumber("b.bmp");
  EXPECT_EQ(LoadMsgIndex, 3);
  LoadMsgs.fill("");
  LoadMsgIndex = 0;
}

TEST_F(CachesTest, AfterAResetLateHandlesGetTheirFilesBack) {
  // Start-up: the loader's requests, then a late texture and model, a replaced portrait and
  // the model's drawing settings.
  TexMon->getTextureNumber("a.bmp");
  TexMon->getTextureNumber("b.bmp");
  ModelMon->getModelNumber("models\\m.md2");
  const Integer lateTex = TexMon->getTextureNumber("late.bmp");
  const Integer portrait = TexMon->getTextureNumber("c.bmp");
  TexMon->forceReplace(portrait, "\\gfx\\glow.dds");
  const Integer lateModel = ModelMon->getModelNumber("models\\late.md2");
  ModelSlots[lateModel].object->myTexture = lateTex;
  ModelSlots[lateModel].object->FramePrefix = "fr";
  // Reset: both caches emptied, the loader's requests again, then the restore.
  ModelMon->ClearAll();
  TexMon->ClearAll();
  EXPECT_EQ(TexMon->getTextureNumber("a.bmp"), 0);
  EXPECT_EQ(TexMon->getTextureNumber("b.bmp"), 1);
  EXPECT_EQ(ModelMon->getModelNumber("models\\m.md2"), 0);
  clearCalls();
  TexMon->restoreCleared();
  ModelMon->restoreCleared();
  EXPECT_EQ(loads(), 2);  // only the two textures the reload did not ask for
  ASSERT_TRUE(TexSlots[lateTex].object);
  EXPECT_EQ(TexMon->getTextureNumber("late.bmp"), lateTex);
  ASSERT_TRUE(TexSlots[portrait].object);
  EXPECT_EQ(TexSlots[portrait].object->Format(), D3DFMT_R8G8B8);  // the replacement, opaque
  EXPECT_EQ(TexMon->getTextureNumber("\\gfx\\glow.dds"), portrait);
  const std::shared_ptr<CMD2>& m = ModelSlots[lateModel].object;
  ASSERT_TRUE(m && m->Loaded);
  EXPECT_EQ(m->NumFrames(), 1);
  EXPECT_EQ(m->myTexture, lateTex);
  EXPECT_EQ(m->FramePrefix, "fr");
  EXPECT_EQ(ModelMon->getModelNumber("models\\late.md2"), lateModel);
  // New names continue after the restored handles; a second restore has nothing to do.
  EXPECT_EQ(TexMon->getTextureNumber("new.bmp"), 4);
  clearCalls();
  TexMon->restoreCleared();
  EXPECT_EQ(loads(), 0);
}

// A batch reads the files on worker threads: its handles, slots and messages must be those of the
// same requests one by one, bad files among good ones included (each gives its message, in the
// order asked, and the rest load).
TEST_F(CachesTest, ABatchGivesWhatLoadingOneByOneGives) {
  dir->write("\\gfx\\bad.bmp", "BM not a picture");
  dir->write("\\models\\broken.md2", "IDP2");
  std::string cut = encodeMd2(triangleModel(3));
  cut.resize(cut.size() - 4);  // the last frame is cut short
  dir->write("\\models\\cut.md2", cut);
  struct Load {
    std::vector<Integer> handles;
    std::vector<std::string> slots, log;
  };
  auto load = [&](bool workers) {
    releaseMedia();
    TexMon = std::make_shared<CTextureMonster>();
    ModelMon = std::make_shared<CModelMonster>();
    MsgCount = 0;
    setMediaWorkers(workers);
    Load l;
    {
      MediaBatch batch;
      for (int round = 0; round < 2; ++round) {  // the second round finds every name cached
        l.handles.push_back(TexMon->getTextureNumber("a.bmp"));
        l.handles.push_back(ModelMon->getModelNumber("models\\m.md2"));
        l.handles.push_back(TexMon->getTextureNumber("missing.bmp"));
        l.handles.push_back(ModelMon->getModelNumber("models\\broken.md2"));
        l.handles.push_back(TexMon->getTextureNumber("bad.bmp"));
        l.handles.push_back(TexMon->getTextureNumber("glow.dds"));
        l.handles.push_back(ModelMon->getModelNumber("models\\none.md2"));
        l.handles.push_back(ModelMon->getModelNumber("models\\cut.md2"));
        l.handles.push_back(ModelMon->getModelNumber("models\\late.md2"));
        l.handles.push_back(TexMon->getTextureNumber("b.bmp"));
        ModelSlots[l.handles[1]].object->myTexture = l.handles[9];  // set while the load is in flight
      }
    }
    l.slots = describeCaches();
    l.log = logLines();
    setMediaWorkers(true);
    return l;
  };
  const Load one = load(false), batch = load(true);
  EXPECT_EQ(batch.handles, one.handles);
  EXPECT_EQ(batch.slots, one.slots);
  EXPECT_EQ(batch.log, one.log);
  // The messages, oldest last: each bad file once, in the order asked.
  ASSERT_EQ(one.log.size(), 5u) << ::testing::PrintToString(one.log);
  EXPECT_EQ(one.log[4].rfind("Error in LoadTex: (missing.bmp)", 0), 0u) << one.log[4];
  EXPECT_EQ(one.log[3].rfind("Error in LoadMD2: (models\\broken.md2) ", 0), 0u) << one.log[3];
  EXPECT_EQ(one.log[2].rfind("Error in LoadTex: (bad.bmp)", 0), 0u) << one.log[2];
  EXPECT_EQ(one.log[1].rfind("Error in LoadMD2: (models\\none.md2) ", 0), 0u) << one.log[1];
  EXPECT_EQ(one.log[0].rfind("Error in LoadMD2: (models\\cut.md2) ", 0), 0u) << one.log[0];
  // The good files loaded.
  EXPECT_TRUE(TexSlots[batch.handles[0]].object && TexSlots[batch.handles[5]].object &&
              TexSlots[batch.handles[9]].object);
  EXPECT_TRUE(ModelSlots[batch.handles[1]].object->Loaded && ModelSlots[batch.handles[8]].object->Loaded);
  EXPECT_EQ(ModelSlots[batch.handles[1]].object->myTexture, batch.handles[9]);
}
