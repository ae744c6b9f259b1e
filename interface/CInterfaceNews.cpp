// CInterface news viewer: the television studio of the bounty office's news page (drawNews) and
// the studio frame over it (drawNewsLogo). The broadcast itself is News (CNews); drawNews steps
// it once per frame, so it moves only while the page is shown.
#include <memory>
#include <string>

#include "campaign/CNews.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaHandles.h"
#include "interface/CInterface.h"
#include "platform/D3DX.h"
#include "platform/Direct3D.h"
#include "runtime/VbError.h"

namespace {
std::shared_ptr<Direct3DTexture8> newsTexture(Integer handle) {
  if (handle < 0 || static_cast<size_t>(handle) >= TexSlots.size()) return nullptr;
  return TexSlots[static_cast<size_t>(handle)].object;
}

// One image of a sprite batch: the source rectangle of tex scaled by s, top-left at (x, y),
// white; nothing while the texture is missing.
void batchDraw(D3DXSprite& spr, Integer tex, const RECT& src, Single s, Single x, Single y) {
  const auto t = newsTexture(tex);
  if (!t) return;
  checkHResult(spr.Draw(t, &src, D3DXVECTOR2{s, s}, D3DXVECTOR2{0, 0}, 0, D3DXVECTOR2{x, y},
                        D3DColorARGB(255, 255, 255, 255)));
}

D3DXSprite& spriteObject() {
  if (!DxSprite) vbRaise(vberr::ObjectMissing);
  return *DxSprite;
}

// Cell k of a sheet of w x h cells, `across` to a row.
RECT cell(Integer k, Integer across, Long w, Long h) {
  const Long left = (k % across) * w, top = (k / across) * h;
  return RECT{left, top, left + w, top + h};
}
}  // namespace

void CInterface::drawNews(Single x, Single y) {
  D3DXSprite& spr = spriteObject();
  // 1..5. Studio, picture and newscasters in one batch.
  checkHResult(spr.Begin());
  batchDraw(spr, TexNewsBack, RECT{0, 0, 256, 256}, 1, x, y);
  if (News) {
    News->Read();
    const Integer p = News->getCurPic();
    if (p >= 0) batchDraw(spr, TexNewsSubjects, cell(p, 3, 85, 64), 1.5f, x + 120, y + 30);
    const Integer f = News->getZombieIcon();
    if (f >= 0) batchDraw(spr, TexZombieNews, cell(f, 2, 128, 128), 1, x + 128, y + 75);
    const Integer g = News->getYukiIcon();
    if (g >= 0) batchDraw(spr, TexNinjaNews, cell(g, 2, 128, 128), 1, x, y + 72);
  }
  checkHResult(spr.End());

  CText& t = gameText();
  // 6. The ticker (getTicker moves it on, once per frame).
  if (News) {
    t.setColor(255, 255, 255);
    t.setSize(0.4f);
    const std::string tick = News->getTicker();
    t.drawTicker(tick, x, y + 247, static_cast<Single>(News->getTickerFrame()), 256);
  }
  // 7.
  drawNewsLogo(x - 136, y - 12);
  if (!News) return;
  // 8..9. The speech panel of the newscaster who speaks.
  const std::string t1 = News->getTrantorMsg();
  if (!t1.empty()) {
    t.setSize(0.6f);
    t.makeBlock(256, t1);
    const Integer n = t.getBlockSize();
    drawPanel(x + 56, y - 5, x + 356, y + 35 + 21.0f * n);
    t.setColor(0, 255, 100);
    t.setSize(0.6f);
    t.drawBlock(x + 331, y + 15, 2);
  }
  const std::string t2 = News->getYukiMsg();
  if (!t2.empty()) {
    t.setSize(0.6f);
    t.makeBlock(256, t2);
    const Integer n = t.getBlockSize();
    drawPanel(x - 75, y - 5, x + 200, y + 35 + 21.0f * n);
    t.setColor(255, 100, 0);
    t.setSize(0.6f);
    t.drawBlock(x - 75, y + 15, 0);
  }
}

void CInterface::drawNewsLogo(Single X, Single Y) {
  D3DXSprite& spr = spriteObject();
  checkHResult(spr.Begin());
  batchDraw(spr, NewsLogoTex[0], RECT{0, 0, 256, 256}, 1, X, Y);
  batchDraw(spr, NewsLogoTex[1], RECT{0, 0, 256, 256}, 1, X + 256, Y);
  batchDraw(spr, NewsLogoTex[2], RECT{0, 0, 256, 128}, 1, X, Y + 256);
  batchDraw(spr, NewsLogoTex[2], RECT{0, 128, 256, 256}, 1, X + 256, Y + 256);
  checkHResult(spr.End());
}
