// The crew drawn on Mesa and read back. The test character's model puts its square at a place
// that tells the frame drawn: the car poses on the left, the lean poses on the right, the bike
// poses in the middle; its overlay square sits above it in the shade texture's colour. Seated
// poses and leans, frame blending up to 500, the overlay up to 730, the far overlay fade from
// about 1730 to 2000 (also from the ship's fade pass), hand weapons (none beyond the model table), free characters, and designs
// with more seats and jets than their tables hold.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "engine/CModelMonster.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "engine/RenderMod.h"
#include "engine/modDirectX.h"
#include "ships/CCharacter.h"
#include "ships/CShip.h"
#include "tests/levels/pixel/PixelContent.h"
#include "tests/support/GamePixel.h"
#include "tests/support/PixelDevice.h"
#include "tests/support/TempGameDir.h"

// The seated characters of a ship.
struct CShipWeaponProbe {
  static CCharacter& seat(CShip& s, Integer i) { return *s.crew[static_cast<size_t>(i)]; }
};

namespace {
constexpr int W = 160, H = 120;  // at depth 150: 2.5 units a pixel, x 0 at column 80, y 0 at row 60
const D3DCOLOR Black = D3DColorARGB(255, 0, 0, 0);
const D3DCOLOR Skin = D3DColorARGB(255, 200, 0, 0), Shade = D3DColorARGB(255, 0, 0, 200),
               Gun = D3DColorARGB(255, 0, 200, 0);

// An MD2 model of `frames` frames of one square x0..x1 by y0..y1 in the plane z, frame f moved
// by shift(f) along x.
std::string squareFrames(int frames, int x0, int y0, int x1, int y1, int z, const std::function<int(int)>& shift) {
  using namespace pixelcontent;
  const int32_t verts = 4, frameSize = 40 + 4 * verts;
  const int32_t ofsSkins = 68, ofsST = ofsSkins + 64, ofsTris = ofsST + 4 * 2, ofsFrames = ofsTris + 12 * 2;
  const int32_t ofsEnd = ofsFrames + frameSize * frames;
  std::string b = "IDP2";
  for (int32_t v : {8, 64, 32, frameSize, 1, verts, 2, 2, 0, frames, ofsSkins, ofsST, ofsTris, ofsFrames, ofsEnd, ofsEnd})
    put32(b, v);
  b += std::string(64, '\0');
  for (int16_t v : {0, 0, 32, 16}) put16(b, v);
  for (int16_t v : {0, 1, 2, 0, 1, 0, 1, 3, 2, 1, 1, 0}) put16(b, v);
  const int w = x1 - x0, h = y1 - y0;
  for (int f = 0; f < frames; ++f) {
    for (float v : {1.0f, 1.0f, 1.0f}) putFloat(b, v);
    for (float v : {float(x0 + shift(f)), float(z), float(y0)}) putFloat(b, v);
    std::string name = "f" + std::to_string(f);
    name.resize(16, '\0');
    b += name;
    for (const auto& c : {std::array<int, 2>{0, 0}, {w, 0}, {0, h}, {w, h}}) {
      b += static_cast<char>(c[0]);
      b += static_cast<char>(0);
      b += static_cast<char>(c[1]);
      b += static_cast<char>(0);
    }
  }
  return b;
}

// Where the character model puts a frame (0-based): the car poses (0..66) left, the driver and
// gunner leans (67..81) right, the bike poses with their leans (82..106) in the middle; frames
// 26 and 27 (the first of pose 3) stand apart for the blending test.
int poseShift(int f) {
  if (f == 26) return -60;
  if (f == 27) return 60;
  if (f >= 67 && f <= 81) return 120;
  if (f >= 82 && f <= 106) return 0;
  return -120;
}
constexpr int Left = 32, Middle = 80, Right = 128, Near = 104, BodyRow = 60, OverlayRow = 44, GunRow = 76,
              GunShadeRow = 85;

class CrewPixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(startGamePixelDevice(W, H, pd, dir, &why)) << why;
    dir->write("\\models\\chars\\crew.md2", squareFrames(120, -10, -10, 10, 10, 0, poseShift));
    dir->write("\\models\\chars\\crew_o.md2", squareFrames(120, -10, 30, 10, 50, 0, poseShift));
    dir->write("\\models\\weapons\\gun.md2", squareFrames(120, -10, -50, 10, -30, 0, poseShift));
    dir->write("\\models\\weapons\\gun_o.md2", squareFrames(120, -10, -70, 10, -55, 0, poseShift));
    dir->write("\\gfx\\crewskin.bmp", pixelcontent::solidBmp(16, 16, 0xC80000));
    dir->write("\\gfx\\gunskin.bmp", pixelcontent::solidBmp(16, 16, 0x00C800));
    savedFade = FadeTex;
    savedWeapons = WeaponModels;
    savedWeaponOverlays = WeaponOModels;
    for (size_t s = 0; s < FadeTex.size(); ++s) {
      // Shade s: blue 200 with red 10 x s, so the shade drawn can be read back.
      const std::string name = "shade" + std::to_string(s) + ".bmp";
      dir->write("\\gfx\\" + name, pixelcontent::solidBmp(16, 16, static_cast<uint32_t>(10 * s) << 16 | 0xC8));
      FadeTex[s] = TexMon->getTextureNumber(name);
    }
    // Handle 0 goes to a model nothing draws: a ship without models of its own reads slot 0.
    dir->write("\\models\\test\\none.md2", pixelcontent::rectMd2(0, 0, 1, 1, -500));
    ModelMon->getModelNumber("models\\test\\none.md2");
    WeaponModels.fill(-1);
    WeaponOModels.fill(-1);
    WeaponModels[2] = ModelMon->getModelNumber("models\\weapons\\gun.md2");
    WeaponOModels[2] = ModelMon->getModelNumber("models\\weapons\\gun_o.md2");
    Integer gunSlot = WeaponModels[2];
    ModelSlots[static_cast<size_t>(ModelMon->getRealModelNum(gunSlot))].object->myTexture =
        TexMon->getTextureNumber("gunskin.bmp");
    FrameTime = 0.05;
    MsgLog.fill("");
    MsgCount = 0;
    DevMode = true;
  }
  void TearDown() override {
    FadeTex = savedFade;
    WeaponModels = savedWeapons;
    WeaponOModels = savedWeaponOverlays;
    FrameTime = 0;
    DevMode = false;
    stopGamePixelDevice(pd, dir);
    CamNoCull = false;
    MsgCount = 0;
  }
  void begin() {
    pixelcontent::beginLookingDownZ(W, H);
    setQuickRMode(rpSolid, 255, 255, 255, 255);
  }
  PixelImage end() {
    device().EndScene();
    return pd->readBack();
  }
  // A character of the test model, posed at once, with the seat transform at depth 150.
  static std::unique_ptr<CCharacter> character(Long pose) {
    auto c = std::make_unique<CCharacter>();
    c->Init();
    c->setModel("crew");
    c->setTexture("crewskin.bmp");
    c->setAnim(pose, 0, true);
    return c;
  }
  static void seatAtDepth150() {
    D3DMATRIX T;
    D3DXMatrixTranslation(T, 0, 0, 150);
    checkHResult(device().SetTransform(D3DTS_WORLD, T));
  }
  // A ship of body type body standing at depth 150 with the test crew in its seats 0..seats.
  static std::unique_ptr<CShip> crewedShip(Long body, Integer lastSeat, Integer lastJet = 0) {
    auto s = std::make_unique<CShip>();
    CShipDef d;
    d.ShipBody = body;
    d.TotalSeats = lastSeat;
    d.TotalJets = lastJet;
    d.MaxSpeed = 1000;
    for (Integer i = 0; i < CShipDef::SeatRows; ++i) d.setSeatXOff(i, 60.0f * i);  // seat i 60 i to the right
    s->setDef(d);
    s->ID = 3;
    s->y = 150;
    s->Armor = 10;
    for (Integer seat = 0; seat < CShip::CrewSeats; ++seat) {
      Long pose = 0;
      s->fullInitChar(seat, "crew", "crewskin.bmp", pose);
    }
    return s;
  }
  static bool drawnAt(const PixelImage& img, int column, int row, D3DCOLOR colour) {
    return regionNear(img, RECT{column - 2, row - 2, column + 3, row + 3}, colour, 6);
  }

  std::unique_ptr<PixelDevice> pd;
  std::unique_ptr<TempGameDir> dir;
  std::array<Integer, 15> savedFade{};
  std::array<Integer, 9> savedWeapons{}, savedWeaponOverlays{};
};
}  // namespace

TEST_F(CrewPixelTest, SeatedPosesFollowTheBodyTypeAndLeanIntoTheTurn) {
  struct Case {
    Long body;
    int seated;  // column of the seated pose
  } cases[] = {{sbCar, Left}, {sbConvertible, Left}, {sbBike, Middle}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    std::unique_ptr<CShip> ship = crewedShip(c.body, 0);
    Single d = 100;
    begin();
    ship->Render(d);
    PixelImage img = end();
    EXPECT_TRUE(drawnAt(img, c.seated, BodyRow, Skin));
    EXPECT_TRUE(drawnAt(img, c.seated, OverlayRow, Shade));

    // A fast hard turn: the driver blends into the lean pose within a few frames, then back.
    ship->Speed = 900;
    ship->Steering = -15;
    for (int f = 0; f < 8; ++f) {
      ship->updateCrewAnim();
      begin();
      ship->Render(d);
      img = end();
    }
    EXPECT_TRUE(drawnAt(img, c.body == sbBike ? Middle : Right, BodyRow, Skin));
    if (c.body != sbBike) {
      EXPECT_TRUE(drawnAt(img, Left, BodyRow, Black));
    }
    ship->Steering = 0;
    for (int f = 0; f < 20; ++f) {  // the way back blends at rate 2: two stages of 7 frames
      ship->updateCrewAnim();
      begin();
      ship->Render(d);
      img = end();
    }
    EXPECT_TRUE(drawnAt(img, c.seated, BodyRow, Skin));
    EXPECT_TRUE(drawnAt(img, Right, BodyRow, Black));
  }
}

TEST_F(CrewPixelTest, FramesBlendUpTo500AndTheOverlayShowsUpTo730) {
  struct Case {
    Double d;
    int column;    // blended half-way (Middle) or the frame blended from alone (Near)
    bool overlay;
  } cases[] = {{100, Middle, true}, {500, Middle, true}, {501, Near, true},
               {730, Near, true}, {731, Near, false}, {999, Near, false}, {1500, Near, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    // Pose 3 starts between frames 27 and 26; one step of 1/12 s brings the blend to one half.
    std::unique_ptr<CCharacter> ch = character(3);
    FrameTime = 1.0 / 12;
    ch->Move();
    begin();
    seatAtDepth150();
    ch->AttachedRender(c.d);
    PixelImage img = end();
    EXPECT_TRUE(drawnAt(img, c.column, BodyRow, Skin));
    EXPECT_EQ(drawnAt(img, c.column, OverlayRow, Shade), c.overlay);
    if (!c.overlay) {
      EXPECT_TRUE(drawnAt(img, c.column, OverlayRow, Black));
    }
  }
}

TEST_F(CrewPixelTest, TheFarOverlayFadesByDistanceFrom1730To2000) {
  struct Case {
    Single d;
    int shade;  // -1 not drawn
  } cases[] = {{1720, -1}, {1730, -1}, {1731, 1}, {1850, 6}, {1990, 14}, {2000, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    std::unique_ptr<CCharacter> ch = character(0);
    ch->x = c.d;  // the camera eye stands at the origin
    begin();
    seatAtDepth150();
    ch->AttachedFadeRender(false);
    PixelImage img = end();
    const D3DCOLOR colour = c.shade < 0 ? Black : D3DColorARGB(255, 10 * c.shade, 0, 200);
    // The overlay holds the frames of its last draw: nothing else has drawn it, frame 0 (left).
    EXPECT_TRUE(drawnAt(img, Left, OverlayRow, colour)) << c.shade;
    EXPECT_TRUE(drawnAt(img, Left, BodyRow, Black));
  }
}

TEST_F(CrewPixelTest, TheShipsFadePassDrawsItsCrewsFarOverlayAtEachSeat) {
  struct Case {
    Single d;     // ground distance of the ship from the camera eye
    Single armor;
    int shade;    // -1 not drawn
  } cases[] = {{1850, 10, 6}, {1990, 10, 14}, {1000, 10, -1}, {2000, 10, -1}, {1850, -1, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    std::unique_ptr<CShip> ship = crewedShip(sbCar, 1);
    ship->Armor = c.armor;
    begin();
    CamEye.x = -c.d;  // measured from here; the view still looks at the ship from the origin
    CamEye.z = 150;
    ship->FadeRender();
    EXPECT_EQ(device().GetRenderState(D3DRS_ALPHABLENDENABLE), 0);
    PixelImage img = end();
    const D3DCOLOR colour = c.shade < 0 ? Black : D3DColorARGB(255, 10 * c.shade, 0, 200);
    EXPECT_TRUE(drawnAt(img, Left, OverlayRow, colour));       // the driver
    EXPECT_TRUE(drawnAt(img, Left + 24, OverlayRow, colour));  // the gunner, 60 to the right
    EXPECT_TRUE(drawnAt(img, Left, BodyRow, Black));
  }
  CamEye = D3DVECTOR{};
}

TEST_F(CrewPixelTest, HandWeaponsDrawOnlyFromTheModelTable) {
  struct Case {
    Long weapon;
    bool drawn;
  } cases[] = {{2, true}, {0, false}, {-1, false}, {9, false}, {15, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.weapon);
    std::unique_ptr<CCharacter> ch = character(0);
    begin();
    seatAtDepth150();
    ch->WeaponRender(c.weapon, 100);
    PixelImage img = end();
    EXPECT_EQ(drawnAt(img, Left, GunRow, Gun), c.drawn);
    EXPECT_EQ(drawnAt(img, Left, GunShadeRow, Shade), c.drawn);
    begin();
    seatAtDepth150();
    ch->WeaponRender(c.weapon, 800);  // beyond 730: the weapon without its overlay
    img = end();
    EXPECT_EQ(drawnAt(img, Left, GunRow, Gun), c.drawn);
    EXPECT_TRUE(drawnAt(img, Left, GunShadeRow, Black));
  }
  EXPECT_EQ(MsgCount, 0) << MsgLog[0];
}

TEST_F(CrewPixelTest, TheGunnerDrawsItsWeaponAndNeedsNewShootingCoordinates) {
  std::unique_ptr<CShip> ship = crewedShip(sbCar, 1);
  CCharacter& gunner = CShipWeaponProbe::seat(*ship, 1);
  for (Long weapon : {-1L, 2L}) {
    SCOPED_TRACE(weapon);
    gunner.Weapon = weapon;
    gunner.bNeedsCoords = false;
    Single d = 100;
    begin();
    ship->Render(d);
    PixelImage img = end();
    EXPECT_TRUE(drawnAt(img, Left, BodyRow, Skin));             // the driver
    EXPECT_TRUE(drawnAt(img, Left + 24, BodyRow, Skin));        // the gunner, 60 to the right
    EXPECT_EQ(drawnAt(img, Left + 24, GunRow, Gun), weapon >= 0);
    EXPECT_EQ(gunner.bNeedsCoords, weapon >= 0);
  }
  // Beyond 2000 no crew is drawn; a dead ship draws none either.
  for (Single d : {2000.0f, 100.0f}) {
    if (d == 100.0f) ship->Armor = -1;
    begin();
    ship->Render(d);
    PixelImage img = end();
    EXPECT_TRUE(drawnAt(img, Left, BodyRow, Black));
  }
}

TEST_F(CrewPixelTest, ADesignWithMoreSeatsAndJetsThanItsTablesDraws) {
  std::unique_ptr<CShip> ship = crewedShip(sbCar, 5, 6);
  Single d = 100;
  begin();
  ship->Render(d);  // seats 0..3 and jets 0..3 drawn, the rest left out
  PixelImage img = end();
  for (int seat = 0; seat < CShipDef::SeatRows; ++seat) EXPECT_TRUE(drawnAt(img, Left + 24 * seat, BodyRow, Skin)) << seat;
  EXPECT_EQ(MsgCount, 0) << MsgLog[0];
}

TEST_F(CrewPixelTest, AFreeCharacterIsDrawnAtItsPlaceOnlyWithATexture) {
  std::unique_ptr<CCharacter> ch = character(0);
  ch->x = 120;  // ground x, drawn to the right
  ch->y = 150;  // ground y is the drawing depth
  begin();
  ch->Render(false);
  PixelImage img = end();
  EXPECT_TRUE(drawnAt(img, Middle, BodyRow, Skin));
  EXPECT_TRUE(drawnAt(img, Middle, OverlayRow, Shade));  // about 190 from the eye
  ch->setTexture("");
  begin();
  ch->Render(false);
  img = end();
  EXPECT_TRUE(drawnAt(img, Middle, BodyRow, Black));
}
