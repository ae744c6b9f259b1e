// Editors drawn on Mesa and read back: the ship editor's preview ship in front of its orbit
// camera, the world editor's nodes and links on its map, and every editor's window in its own
// tool window. Models and textures are plain shapes and colours made here, so every pixel is known.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "editors/CMapEditor.h"
#include "editors/CShipEditor.h"
#include "editors/CStructEditor.h"
#include "editors/CWorldEditor.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/FuncMod.h"
#include "engine/GeomMod.h"
#include "engine/MediaHandles.h"
#include "engine/RenderMod.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "platform/Window.h"
#include "ships/CShip.h"
#include "tests/levels/pixel/PixelContent.h"
#include "tests/support/GamePixel.h"
#include "tests/support/PixelDevice.h"

namespace {
constexpr int W = 800, H = 600;
const uint32_t Black = 0xFF000000, Magenta = 0xFFFF00FF, White = 0xFFFFFFFF, Navy = 0xFF000028;

class EditorPixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!startGamePixelDevice(W, H, pd, dir, &why)) GTEST_SKIP() << "no OpenGL device: " << why;
    InitGeometry();
    DxSprite = std::make_shared<D3DXSprite>(D3DDevice);
    GameText = std::make_shared<CText>();
    dir->write("\\data\\readme.txt", "");
    Player = std::make_shared<CPlayer>();
    savedW = ScreenWidth;
    savedH = ScreenHeight;
    ScreenWidth = W;
    ScreenHeight = H;
    FrameTime = 0;
    MouseHeld = false;
  }
  void TearDown() override {
    ShipEditor.reset();
    StructEditor.reset();
    MapEditor.reset();
    WorldEditor.reset();
    Ships.clear();
    GameInterface.reset();
    Player.reset();
    GameText.reset();
    DxSprite.reset();
    ReleaseGeometry();
    if (pd) stopGamePixelDevice(pd, dir);
    ScreenWidth = savedW;
    ScreenHeight = savedH;
    MouseHeld = false;
  }
  Integer put(const std::string& name, int size, uint32_t argb) {
    const Integer h = TexMon->getTextureNumber(name);
    TexSlots[h].object = pd->makeTexture(size, size, std::vector<uint32_t>(size * size, argb));
    return h;
  }
  template <class Draw>
  PixelImage frame(Draw draw) {
    D3DDevice->BeginScene();
    D3DDevice->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Black, 1.0f, 0);
    draw();
    D3DDevice->EndScene();
    return pd->readBack();
  }
  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
  Long savedW = 0, savedH = 0;
};

TEST_F(EditorPixelTest, TheShipEditorsPreviewDrawsTheShipBeforeItsOrbitCamera) {
  // The preview's media: a body 80 wide and 60 high in the model's x-y plane, red.
  dir->write("\\models\\phantom\\body.md2", pixelcontent::rectMd2(-40, 0, 40, 60, 0));
  dir->write("\\gfx\\redphantom_b.bmp", pixelcontent::solidBmp(16, 16, 0xC80000));
  D3DXMatrixPerspectiveFovLH(MatProj, 1.2f, static_cast<float>(W) / H, 1.0f, 5000.0f);
  D3DDevice->SetTransform(D3DTS_PROJECTION, MatProj);
  ShipEditor = std::make_shared<CShipEditor>();
  ShipEditor->Init();
  // A drag of 78.5 pixels turns the orbit a quarter (1.57 radians) to look along +z at the body.
  ASSERT_TRUE(SetCursorPos(100, 100));
  ShipEditor->Move();
  MouseHeld = true;
  ASSERT_TRUE(SetCursorPos(178, 100));
  ShipEditor->Move();
  MouseHeld = false;
  ASSERT_NEAR(CamEye.z, -100, 1);
  CamHeading = getAngle(CamEye.x, CamEye.z, CamTarget.x, CamTarget.z);  // as the render pass sets it

  frame([] { ShipEditor->Render(); });  // the first frame sets the editor's render preset
  const PixelImage img = frame([] { ShipEditor->Render(); });
  // The body, 80 units wide at 100 units, stands centred across the view below the eye's height.
  EXPECT_TRUE(regionNear(img, RECT{380, 410, 420, 450}, 0xFFC80000, 6));
  EXPECT_TRUE(pixelNear(img, 300, 430, Black, 3));
  EXPECT_TRUE(pixelNear(img, 500, 430, Black, 3));
  EXPECT_TRUE(pixelNear(img, 20, 20, Black, 3));  // nothing else in the view
}

TEST_F(EditorPixelTest, TheWorldEditorDrawsNodesAndLinks) {
  auto node = [](const std::string& title, int x, int y, const std::string& links, int count) {
    std::string t = "\"" + title + "\"\r\n\"p\"\r\n" + std::to_string(x) + "," + std::to_string(y) +
                    "\r\n0\r\n\"\"\r\n0,0," + std::to_string(count) + "\r\n" + links;
    for (int e = 0; e < 9; ++e) t += "#FALSE#\r\n";
    return t + "0\r\n";
  };
  dir->write("\\maps\\world.pnd", "\"World!\"\r\n" + node("A", 300, 300, "1\r\n0\r\n0\r\n0\r\n0\r\n", 1) +
                                      node("B", 600, 300, "0\r\n0\r\n0\r\n0\r\n0\r\n", 0) + "\"eof\"\r\n");
  WorldEditor = std::make_shared<CWorldEditor>();
  WorldEditor->Init();
  WorldEditor->Load();
  for (int k = 1; k <= 4; ++k) put("planets\\p_" + std::to_string(k) + ".dds", 256, Magenta);
  for (int c = 1; c <= 4; ++c)
    for (int r = 1; r <= 4; ++r) put("galaxy\\g" + std::to_string(c) + std::to_string(r) + ".bmp", 256, Navy);
  TexTinyGrad = put("test\\grad", 8, White);
  TexTarget = TexLaserSplash = TexIconsW = put("test\\black", 256, Black);

  const PixelImage img = frame([] { WorldEditor->Render(); });
  EXPECT_TRUE(regionNear(img, RECT{272, 272, 296, 296}, Magenta, 4));  // node A's planet
  EXPECT_TRUE(regionNear(img, RECT{576, 272, 600, 296}, Magenta, 4));  // node B's planet
  EXPECT_TRUE(regionNear(img, RECT{350, 300, 550, 304}, 0xFF7D7DFF, 6));  // the open link A to B
  EXPECT_TRUE(pixelNear(img, 450, 320, Navy, 4));
  EXPECT_TRUE(pixelNear(img, 100, 500, Navy, 4));
}

// Every editor's window, as its Init shows it, fits the game's 800 x 600 screen, and its name box
// its Save and Load buttons and the whole of a Save's question lie inside the window (no scrolling
// needed to reach them).
TEST_F(EditorPixelTest, EveryEditorWindowFitsTheScreenWithItsNameAndButtonsInside) {
  ShipEditor = std::make_shared<CShipEditor>();
  ShipEditor->Init();
  StructEditor = std::make_shared<CStructEditor>();
  StructEditor->Init();
  MapEditor = std::make_shared<CMapEditor>();
  MapEditor->Init();
  WorldEditor = std::make_shared<CWorldEditor>();
  WorldEditor->Init();
  const struct {
    Form* form;
    const char *name, *save, *load;
  } windows[] = {{ShipEditor->form(), "txtName", "Command1", "Command2"},
                 {StructEditor->form(), "txtName", "Command1", "Command2"},
                 {MapEditor->form(), "txtName", "Command2", "Command1"},
                 {WorldEditor->form(), "txtWorld", "cmdSave", "cmdLoad"}};
  for (const auto& w : windows) {
    SCOPED_TRACE(w.form->caption());
    ASSERT_TRUE(w.form->hasToolWindow());
    Label& status = *static_cast<Label*>(w.form->findControl("lblStatus"));
    status.setCaption("");  // as the world editor opens: the window takes its size with no status
    w.form->captureNextFrameForTests();
    doEvents();
    PixelImage shot;
    ASSERT_TRUE(w.form->capturedFrameForTests(shot.argb, shot.width, shot.height));
    EXPECT_LE(shot.width, 800);
    EXPECT_LE(shot.height, 600);
    // The longest question a Save asks, shown after the window took its size.
    status.setCaption("\\structures\\shoppermart.pnd exists and was not loaded here: press Save again to replace it.");
    w.form->captureNextFrameForTests();
    doEvents();
    ASSERT_TRUE(w.form->capturedFrameForTests(shot.argb, shot.width, shot.height));
    for (const char* name : {w.name, w.save, w.load, "lblStatus"}) {
      SCOPED_TRACE(name);
      const ControlRect& r = w.form->findControl(name)->drawnRect();
      EXPECT_GT(r.right, r.left);
      EXPECT_GE(r.left, 0);
      EXPECT_GE(r.top, 0);
      EXPECT_LE(r.right, shot.width);
      EXPECT_LE(r.bottom, shot.height);
    }
  }
}
}  // namespace
