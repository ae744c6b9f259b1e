// MD2 models on the recording device: the file as read (y and z exchanged in positions and normals,
// texture coordinates, bounds), refused files, the blends uploaded by Render, self-stepping
// through a frame prefix, flashes and the attached weapon model.
#include "engine/CMD2.h"

#include <gtest/gtest.h>

#include <functional>

#include "engine/CTextureMonster.h"
#include "game/LoaderMod.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "engine/modMD2Helper.h"
#include "tests/support/MediaFixture.h"

namespace {
class CMD2Test : public MediaFixture {
 protected:
  // Writes md2 to "models\t.md2" and loads it into a new model.
  std::shared_ptr<CMD2> load(const Md2Content& md2, bool expectLoaded = true) {
    dir->write("\\models\\t.md2", encodeMd2(md2));
    auto m = std::make_shared<CMD2>();
    EXPECT_EQ(m->LoadMD2("models\\t.md2"), expectLoaded);
    return m;
  }
  // The vertices that the last upload put into the model's buffer.
  static std::vector<MD2Vertex> uploaded(const CMD2& m) { return md2Vertices(m.VertexBuffer()->Bytes()); }
  static bool render(CMD2& m, Single blend = 0, Long a = 0, Long b = 0, Long c = 0, Long d = 0,
                     Single flash = 0) {
    return m.Render(nullptr, blend, a, b, c, d, false, -1, flash);
  }
};

void expectSameVertices(const std::vector<MD2Vertex>& got, const std::vector<MD2Vertex>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_FLOAT_EQ(got[i].x, want[i].x) << i;
    EXPECT_FLOAT_EQ(got[i].y, want[i].y) << i;
    EXPECT_FLOAT_EQ(got[i].z, want[i].z) << i;
  }
}
}  // namespace

TEST(MD2Normals, PublishedTableOrderAndUnitLength) {
  EXPECT_FLOAT_EQ(MD2Normals[0].x, -0.525731f);
  EXPECT_FLOAT_EQ(MD2Normals[0].y, 0.0f);
  EXPECT_FLOAT_EQ(MD2Normals[0].z, 0.850651f);
  EXPECT_FLOAT_EQ(MD2Normals[1].x, -0.442863f);
  EXPECT_FLOAT_EQ(MD2Normals[1].y, 0.238856f);
  EXPECT_FLOAT_EQ(MD2Normals[1].z, 0.864188f);
  for (const D3DVECTOR& n : MD2Normals) EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0, 1e-5);
}

TEST_F(CMD2Test, OneTriangleExchangesYAndZOfPositionsAndNormals) {
  Md2Content md2 = triangleModel(1);
  md2.frames[0].scale = {1, 2, 3};
  md2.frames[0].translate = {10, 20, 30};
  md2.frames[0].vertices = {{1, 2, 3, 1}, {4, 5, 6, 5}, {0, 0, 0, 161}};
  md2.triangles = {{2, 0, 1, 1, 2, 0}};  // corners in file order: vertices 2, 0, 1
  auto m = load(md2);
  ASSERT_TRUE(m->Loaded);
  EXPECT_EQ(m->NumFrames(), 0);
  EXPECT_EQ(m->NumTriangles(), 1);
  const std::vector<MD2Vertex>& v = m->FrameVertices(0);
  ASSERT_EQ(v.size(), 3u);
  // position = (bx sx + tx, bz sz + tz, by sy + ty)
  const float want[3][3] = {{0 + 10, 0 + 30, 0 + 20}, {1 + 10, 9 + 30, 4 + 20}, {4 + 10, 18 + 30, 10 + 20}};
  const int normal[3] = {161, 1, 5};
  const float uv[3][2] = {{32 / 64.0f, 0}, {0, 16 / 32.0f}, {0, 0}};
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    EXPECT_FLOAT_EQ(v[k].x, want[k][0]);
    EXPECT_FLOAT_EQ(v[k].y, want[k][1]);
    EXPECT_FLOAT_EQ(v[k].z, want[k][2]);
    EXPECT_EQ(v[k].nx, MD2Normals[normal[k]].x);
    EXPECT_EQ(v[k].ny, MD2Normals[normal[k]].z);  // exchanged as the position
    EXPECT_EQ(v[k].nz, MD2Normals[normal[k]].y);
    EXPECT_FLOAT_EQ(v[k].u, uv[k][0]);
    EXPECT_FLOAT_EQ(v[k].v, uv[k][1]);
  }
  EXPECT_FLOAT_EQ(m->GetFrameScaling(0).y, 3);  // x, file z, file y
  EXPECT_FLOAT_EQ(m->GetFrameTranslation(0).z, 20);
  EXPECT_EQ(m->GetFrameName(0), std::string("frame0") + std::string(10, '\0'));
  // The load-time box always holds the origin, even for a model lying above it.
  EXPECT_EQ(m->getLBounds().y, 0);
  EXPECT_FLOAT_EQ(m->getUBounds().y, 48);
  // The first blend is uploaded: one frame, drawn as it is.
  expectSameVertices(uploaded(*m), v);
  const std::vector<D3DCall> made = callsOf(D3DCallKind::CreateVertexBuffer);
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(made[0].a, 96);
  EXPECT_EQ(made[0].c, 274);
  EXPECT_EQ(made[0].d, D3DPOOL_MANAGED);
}

TEST_F(CMD2Test, MalformedFilesAreRefusedWithAMessage) {
  const std::string good = encodeMd2(triangleModel(2));
  struct Case {
    const char* what;
    std::function<void(std::string&)> spoil;
  };
  using namespace md2field;
  const Case cases[] = {
      {"ident", [](std::string& b) { b[3] = '3'; }},
      {"version", [](std::string& b) { putInt32(b, 4, 7); }},
      {"skin width 0", [](std::string& b) { putInt32(b, SkinWidth, 0); }},
      {"skin height 0", [](std::string& b) { putInt32(b, SkinHeight, 0); }},
      {"truncated header", [](std::string& b) { b.resize(60); }},
      {"truncated frames", [](std::string& b) { b.resize(b.size() - 3); }},
      {"triangle offset past the end", [&](std::string& b) { putInt32(b, OfsTris, int32_t(b.size()) - 4); }},
      {"negative frame offset", [](std::string& b) { putInt32(b, OfsFrames, -40); }},
      {"negative count", [](std::string& b) { putInt32(b, NumTris, -1); }},
      {"no frames", [](std::string& b) { putInt32(b, NumFrames, 0); }},
      {"huge counts",
       [](std::string& b) {
         putInt32(b, NumFrames, 0x7FFFFFFF);
         putInt32(b, NumTris, 0x7FFFFFFF);
       }},
      {"frame size below its vertices", [](std::string& b) { putInt32(b, FrameSize, 40); }},
      {"skin table past the end", [](std::string& b) { putInt32(b, NumSkins, 1000); }},
      {"vertex index", [&](std::string& b) { b[getInt32(b, OfsTris) + 2] = 3; }},
      {"negative vertex index", [&](std::string& b) { b[getInt32(b, OfsTris) + 1] = char(0x80); }},
      {"texture-coordinate index", [&](std::string& b) { b[getInt32(b, OfsTris) + 10] = 7; }},
      {"normal index", [&](std::string& b) { b[getInt32(b, OfsFrames) + 40 + 3] = char(162); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = good;
    c.spoil(bytes);
    dir->write("\\models\\bad.md2", bytes);
    MsgCount = 0;
    CMD2 m;
    EXPECT_FALSE(m.LoadMD2("models\\bad.md2"));
    EXPECT_FALSE(m.Loaded);
    EXPECT_FALSE(m.VertexBuffer());
    ASSERT_GE(MsgCount, 1);
    EXPECT_EQ(MsgLog[0].rfind("Error in LoadMD2: (models\\bad.md2) ", 0), 0u) << MsgLog[0];
    EXPECT_FALSE(render(m));  // an unloaded model draws nothing
  }
  CMD2 missing;
  EXPECT_FALSE(missing.LoadMD2("models\\nothere.md2"));
  EXPECT_EQ(MsgLog[0].rfind("Error in LoadMD2: (models\\nothere.md2) ", 0), 0u) << MsgLog[0];
}

TEST_F(CMD2Test, AFreshModelShowsBlendZeroOfItsMethod) {
  auto m = load(triangleModel(5));
  // Linear: blend 0 is FrameIDFrom (0). Catmull-Rom: blend 0 is FrameIDTo (1).
  m->AnimType = 0;
  ASSERT_TRUE(render(*m));
  expectSameVertices(uploaded(*m), m->FrameVertices(0));
  m->AnimType = 1;
  ASSERT_TRUE(render(*m));
  expectSameVertices(uploaded(*m), m->FrameVertices(1));
  // Explicit frames and blend: halfway from frame 2 to frame 4, linearly.
  m->AnimType = 0;
  ASSERT_TRUE(render(*m, 0.5f, 2, 4, 0, 0));
  const std::vector<MD2Vertex> v = uploaded(*m);
  EXPECT_FLOAT_EQ(v[0].x, 3.0f);
  EXPECT_FLOAT_EQ(v[1].x, 4.0f);
  EXPECT_EQ(m->FrameIDFrom(), 2);
  EXPECT_EQ(m->FrameIDTo(), 4);
  EXPECT_FLOAT_EQ(m->BoxMax().x, 5.0f);
  // NoUpdate draws the previous blend untouched.
  m->Render(nullptr, 0, 1, 1, 1, 1, true, -1, 0);
  EXPECT_EQ(m->FrameIDFrom(), 2);
  expectSameVertices(uploaded(*m), v);
}

// Draws asking for the blend the model holds use its vertices as they are; any other frames,
// blend factor or method blends again.
TEST_F(CMD2Test, EachDrawShowsTheBlendItAsksForWhenBlendsRepeat) {
  auto m = load(triangleModel(6));
  struct Ask {
    Long method;
    Single blend;
    Long from, to;
    Single x;  // of the first vertex: frame f has it at f (linear), Catmull-Rom through from .. to + 1
  };
  const Ask asks[] = {{0, 0.25f, 1, 3, 1.5f},  {0, 0.75f, 1, 3, 2.5f}, {0, 0.25f, 1, 3, 1.5f},
                      {0, 0.25f, 2, 3, 2.25f}, {2, 0.25f, 2, 3, 2.0f}, {1, 0.25f, 2, 3, 3.046875f},
                      {0, 0.25f, 2, 3, 2.25f}};
  for (const Ask& a : asks) {
    SCOPED_TRACE(testing::Message() << a.method << " " << a.blend << " " << a.from << " " << a.to);
    m->AnimType = a.method;
    ASSERT_TRUE(render(*m, a.blend, a.from, a.to, a.to, a.to + 1));
    EXPECT_FLOAT_EQ(uploaded(*m)[0].x, a.x);
  }
}

TEST_F(CMD2Test, FewerThanFourFramesDrawUnblendedAtTheFirstFrame) {
  for (int frames : {1, 2, 3}) {
    SCOPED_TRACE(frames);
    auto m = load(triangleModel(frames));
    ASSERT_TRUE(m->Loaded);  // AnimType 1 with ids 0..3 loads unblended
    ASSERT_TRUE(render(*m, 0.7f, frames - 1, 0, 0, 0));
    expectSameVertices(uploaded(*m), m->FrameVertices(frames - 1));
  }
}

TEST_F(CMD2Test, ABlendNeedingAMissingFrameIsReportedAndNothingDrawn) {
  auto m = load(triangleModel(2));
  m->AnimType = 0;
  clearCalls();
  MsgCount = 0;
  EXPECT_FALSE(render(*m, 0.5f, 0, 2, 0, 0));
  EXPECT_EQ(MsgLog[0], "Error in MD2.Render: Subscript out of range");
  EXPECT_EQ(countOf(D3DCallKind::DrawPrimitive), 0);
}

TEST_F(CMD2Test, SelfSteppingVisitsOnlyPrefixedFramesAndWraps) {
  Md2Content md2 = triangleModel(7);
  const char* names[] = {"run0", "stand0", "run1", "stand1", "stand2", "run2", "stand3"};
  for (int f = 0; f < 7; ++f) md2.frames[f].name = names[f];
  auto m = load(md2);
  m->FramePrefix = "run";
  std::vector<Long> visited;
  for (int step = 0; step < 5; ++step) {
    // The caller raises the blend; a full blend moves the frames on at the next draw.
    ASSERT_TRUE(render(*m, 1.0f, m->FrameIDFrom(), m->FrameIDTo(), m->FrameIDTo2(), m->FrameIDTo3()));
    ASSERT_TRUE(render(*m));
    EXPECT_EQ(m->AnimationStatus(), 0);
    visited.push_back(m->FrameIDTo3());
  }
  // From 3: run frames 5, then 0, 2, 5, 0 (wrapping past the last index).
  EXPECT_EQ(visited, (std::vector<Long>{5, 0, 2, 5, 0}));
  // A prefix that no frame has: the search ends after one cycle and steps by one.
  m->FramePrefix = "walk";
  ASSERT_TRUE(render(*m, 1.0f, 0, 1, 2, 6));
  ASSERT_TRUE(render(*m));
  EXPECT_EQ(m->FrameIDTo3(), 0);
  EXPECT_EQ(m->FrameIDFrom(), 1);
  // An all-zero draw below a full blend does not step.
  const Long to3 = m->FrameIDTo3();
  ASSERT_TRUE(render(*m));
  EXPECT_EQ(m->FrameIDTo3(), to3);
}

TEST_F(CMD2Test, FlashDrawsUntexturedAndUnlitAndLightsAgain) {
  auto m = load(triangleModel(1));
  dir->write("\\gfx\\skin.bmp", encodeBmp(2, 2, std::vector<uint32_t>(4, 0xFF808080)));
  m->myTexture = TexMon->getTextureNumber("skin.bmp");
  ASSERT_TRUE(TexSlots[m->myTexture].object);
  struct Case {
    Single flash;
    bool flashes;
  };
  for (Case c : {Case{0, false}, Case{0.05f, false}, Case{0.03f, false}, Case{0.07f, false},
                 Case{0.01f, true}, Case{0.5f, true}}) {
    SCOPED_TRACE(c.flash);
    D3DDevice->SetRenderState(D3DRS_LIGHTING, 1);
    clearCalls();
    ASSERT_TRUE(render(*m, 0, 0, 0, 0, 0, c.flash));
    const std::vector<D3DCall> tex = callsOf(D3DCallKind::SetTexture);
    ASSERT_EQ(tex.size(), 1u);
    EXPECT_EQ(tex[0].object, c.flashes ? nullptr : TexSlots[m->myTexture].object.get());
    bool unlit = false;
    for (const D3DCall& call : calls())
      if (call.kind == D3DCallKind::SetRenderState && call.a == D3DRS_LIGHTING && call.b == 0) unlit = true;
    EXPECT_EQ(unlit, c.flashes);
    EXPECT_EQ(D3DDevice->GetRenderState(D3DRS_LIGHTING), 1);
    EXPECT_TRUE(m->bUseTexture);
    const std::vector<D3DCall> draws = callsOf(D3DCallKind::DrawPrimitive);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].a, D3DPT_TRIANGLELIST);
    EXPECT_EQ(draws[0].c, 1);
    EXPECT_EQ(callsOf(D3DCallKind::SetStreamSource)[0].b, 32);
  }
  // Fade draws the shade texture of FadeTex instead.
  FadeTex[3] = m->myTexture;
  m->myTexture = 99;
  clearCalls();
  ASSERT_TRUE(m->Render(nullptr, 0, 0, 0, 0, 0, false, 3, 0));
  EXPECT_EQ(callsOf(D3DCallKind::SetTexture)[0].object, TexSlots[FadeTex[3]].object.get());
  FadeTex[3] = 0;
}

TEST_F(CMD2Test, AnAttachedWeaponShowsTheSameKeyFrames) {
  auto body = load(triangleModel(6));
  dir->write("\\models\\w.md2", encodeMd2(triangleModel(6, "w")));
  CMD2 weapon;
  ASSERT_TRUE(weapon.LoadMD2("models\\w.md2"));
  body->AnimType = 0;
  weapon.AnimType = 0;
  ASSERT_TRUE(body->Render(&weapon, 0.25f, 4, 5, 0, 0, false, -1, 0));
  EXPECT_EQ(weapon.FrameIDFrom(), 4);
  EXPECT_EQ(weapon.FrameIDTo(), 5);
  EXPECT_EQ(weapon.AnimationStatus(), 0.25f);
  EXPECT_FLOAT_EQ(uploaded(weapon)[0].x, 4.25f);
  EXPECT_EQ(countOf(D3DCallKind::DrawPrimitive), 2);
}
