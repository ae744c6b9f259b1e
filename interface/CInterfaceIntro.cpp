// CInterface intro: the slide show after the new-game wizard (msIntro), the message wall over the
// title scene, and the ship the title camera watches.
#include <algorithm>
#include <cmath>
#include <string>

#include "audio/CMusic.h"
#include "engine/BillMod.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "engine/MessageLog.h"
#include "engine/modDirectX.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "runtime/ItemFile.h"
#include "runtime/Numbers.h"
#include "runtime/Rnd.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

namespace {
const char* const IntroMsgFile = "\\data\\intromsg.pnd";
const char* const IntroTextFile = "\\data\\introtext.pnd";

constexpr Double IntroRate = 0.6;      // clock units a second
constexpr Integer SlideUnits = 8;      // clock units a slide

std::shared_ptr<Direct3DTexture8> textureOf(Integer handle) {
  if (handle < 0 || static_cast<size_t>(handle) >= TexSlots.size()) return nullptr;
  return TexSlots[static_cast<size_t>(handle)].object;
}

D3DXSprite& sprite() {
  if (!DxSprite) vbRaise(vberr::ObjectMissing);
  return *DxSprite;
}

// One sprite draw in its own batch: src of tex scaled (sx, sy) with its corner at (x, y).
void drawImage(const std::shared_ptr<Direct3DTexture8>& tex, const RECT& src, Single sx, Single sy, Single x, Single y,
               D3DCOLOR colour) {
  if (!tex) return;
  D3DXSprite& spr = sprite();
  checkHResult(spr.Begin());
  const HResult hr = spr.Draw(tex, &src, D3DXVECTOR2{sx, sy}, D3DXVECTOR2{0, 0}, 0, D3DXVECTOR2{x, y}, colour);
  checkHResult(spr.End());
  checkHResult(hr);
}

// Fade texture n (0..14) over the whole screen, tinted opaque black.
void shadeScreen(Integer n) {
  if (n < 0) n = 0;
  if (n > 14) n = 14;
  const auto tex = textureOf(FadeTex[static_cast<size_t>(n)]);
  if (!tex) return;
  const Single sx = static_cast<Single>(ScreenWidth) / static_cast<Single>(tex->Width());
  const Single sy = static_cast<Single>(ScreenHeight) / static_cast<Single>(tex->Height());
  drawImage(tex, RECT{0, 0, tex->Width(), tex->Height()}, sx, sy, 0, 0, D3DColorARGB(255, 0, 0, 0));
}
}  // namespace

void CInterface::ReadIntroMsg() {
  // 1. The wall: row r from line r, "." an empty cell, every other character and every column
  // past the line's end a block.
  {
    const std::vector<std::string> lines = readLines(IntroMsgFile);
    for (size_t r = 0; r < lines.size() && r < static_cast<size_t>(IntroRows); ++r)
      for (size_t c = 0; c < static_cast<size_t>(IntroCols); ++c)
        introGrid[c][r] = !(c < lines[r].size() && lines[r][c] == '.');
  }
  // 2. Slide texts and pictures in pairs; an odd last line is a text without its picture.
  const std::vector<std::string> lines = readLines(IntroTextFile);
  for (size_t k = 0; k < static_cast<size_t>(IntroSlides) && 2 * k < lines.size(); ++k) {
    introTexts[k] = lines[2 * k];
    if (2 * k + 1 >= lines.size()) vbRaise(vberr::InputPastEnd);
    introPictures[k] = lines[2 * k + 1];
  }
}

void CInterface::RenderIntroMsg() {
  const Single W = static_cast<Single>(ScreenWidth), H = static_cast<Single>(ScreenHeight);
  const Double base = W - 60.0 * DemoOverFrame;
  const Single tu = W / static_cast<Single>(ScreenFxTexW > 0 ? ScreenFxTexW : 1) / 2;
  const Single tv = H / static_cast<Single>(ScreenFxTexH > 0 ? ScreenFxTexH : 1) / 2;
  const RECT fxSrc{0, 0, static_cast<int32_t>(CLng(tu * 256)), static_cast<int32_t>(CLng(tv * 256))};
  for (Integer c = 0; c < IntroCols; ++c) {
    const Double x = 60.0 * c + base - 30;
    if (!(x > -60 && x < W + 30)) continue;
    const Integer h = CInt(200 * std::sin(3.14 * x / W) + 50);
    for (Integer r = 0; r < IntroRows; ++r) {
      if (!introGrid[c][r]) continue;
      const Long left = CLng(x), top = CLng(H / 2 + 60.0 * r - 330);
      const RECT dst{left, top, left + 58, top + 58};
      for (int pass = 0; pass < 2; ++pass) {
        const Integer g = CInt(h / 4.0 * (1 + Rnd())), b = CInt(h / 8.0 * (1 + Rnd()));
        if (pass == 0) Back3DCust(nullptr, RECT{0, 0, 0, 0}, dst, h, g, b, -1, 0);
        else Back3DCust(ScreenFxTex, fxSrc, dst, h, g, b, -1, 0);
      }
    }
  }
}

void CInterface::RenderIntro() {
  const Double prev = introClock;
  introClock += FrameTime * IntroRate;
  const Double t = introClock;
  // 1..2.
  shadeScreen(0);
  if (t <= 0) return;
  // 3. The picture of each slide whose start the clock passed in this frame.
  for (Integer k = 0; k < IntroSlides; ++k) {
    const Double start = static_cast<Double>(SlideUnits) * k;
    if (prev <= start && start < t && TexMon) TexMon->forceReplace(TexHomeMap, "\\gfx\\intro\\" + introPictures[k]);
  }
  // 4..5. A slide whose picture failed shows its text alone; the show goes on to its end.
  const Single W = static_cast<Single>(ScreenWidth), H = static_cast<Single>(ScreenHeight);
  const Integer s = static_cast<Integer>(Fix(Int(t) / SlideUnits));
  const auto picture = textureOf(TexHomeMap);
  // On a short screen (480) the 357-pixel picture would start above the top edge and reach into
  // the text: it starts at the top and shrinks to end 16 pixels above the text line. On a narrow
  // one (640) the text block narrows to leave 40 pixels each side.
  const Single picTop = std::max(0.0f, H / 3 - 180);
  const Single picScale = std::min(1.0f, (H * 0.7f - 16 - picTop) / 357);
  if (!picture) addMessage("empy lol", false);
  else
    drawImage(picture, RECT{0, 0, 256, 255}, 1.5f * picScale, 1.4f * picScale, W / 2 - 192 * picScale, picTop,
              D3DColorARGB(255, 255, 255, 255));
  // 6. Text.
  if (s >= 0 && s < IntroSlides && GameText) {
    GameText->setColor(255, 255, 255);
    GameText->setSize(0.8f);
    GameText->makeBlock(std::min(600.0f, W - 80), introTexts[s]);
    GameText->drawBlock(W / 2, H * 0.7f, 1);
  }
  // 7. Cross-fade.
  const Integer u = static_cast<Integer>(static_cast<Long>(Int(t)) % SlideUnits);
  const Double f = t - Int(t);
  if (u == 7) shadeScreen(CInt((1 - f) * 14));
  else if (u == 0) shadeScreen(CInt(f * 14));
  // 8. A click hurries the slide to its last unit.
  if (u > 0 && u < 7 && MouseClicked) introClock = static_cast<Double>(SlideUnits) * s + 7;
  MouseClicked = false;
  // 9. The end: flight, with the soft track quieter again.
  if (s > IntroSlides - 1) {
    Window = msNone;
    if (Music) Music->QuietSoft();
  }
}

Integer CInterface::pickWatchShip() {
  // 1. The title battle stays short.
  for (auto& p : Ships) {
    if (!p || !p->Exists) continue;
    if (p->Armor > 50) p->Armor = 50;
    if (p->Shields > 200) p->Shields = 200;
  }
  const Integer u = static_cast<Integer>(static_cast<long>(Ships.size()) - 1);
  if (u < 0) return -1;
  auto exists = [&](Integer i) { return i >= 0 && i <= u && Ships[i] && Ships[i]->Exists; };
  auto fires = [&](Integer i) { return exists(i) && Ships[i]->keyPrimary; };
  // 2..3. A random ship, then stepping through the others (modulo u: the last index is reached
  // only by the random picks).
  auto search = [&](auto&& wanted) -> Integer {
    Integer r = CInt(Rnd() * u);
    if (wanted(r)) return r;
    if (u == 0) return -1;
    for (Integer n = 0; n <= u; ++n) {
      r = static_cast<Integer>((r + 1) % u);
      if (wanted(r)) return r;
    }
    return -1;
  };
  const Integer firing = search(fires);
  if (firing >= 0) return firing;
  // 4.
  return search(exists);
}
