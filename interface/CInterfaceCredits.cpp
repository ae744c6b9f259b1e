// CInterface end credits (msCredits): the credits music, a grey fade-in, the player's ship flying
// a tunnel of sprites while the lines of "\data\credits.pnd" scroll up a 400-pixel text area, a
// flash at 146.2 s, a whitening sky, and at the first pass above 150 s the warp back into a newly
// populated map, followed by the notice of the cheats the credits unlock.
// Line styles: "[+]" starts a heading (yellow, size 0.8), "[=]" a title (white, size 1.0); both
// lose their three characters. Any other line is light grey at size 0.6 as it stands.
#include <cmath>
#include <string>
#include <vector>

#include "audio/CMusic.h"
#include "audio/soundMod.h"
#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/GameGlobals.h"
#include "interface/CInterface.h"
#include "interface/InterfaceHelpers.h"
#include "levels/CMap.h"
#include "platform/D3DX.h"
#include "runtime/ItemFile.h"
#include "runtime/Numbers.h"
#include "runtime/Rnd.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"
#include "sprites/SpriteMod.h"

using interface_helpers::player;

namespace {
const char* const CreditsFile = "\\data\\credits.pnd";
constexpr Double SkipTo = 146.0;    // a click before this jumps here
constexpr Double FlashAt = 146.2;   // the flash that ends the tunnel
constexpr Double EndAfter = 150.0;  // the first pass above this ends the credits
constexpr Long WorldTypeAfterCredits = 8;

CMap& map() {
  if (!CurMap) vbRaise(vberr::ObjectMissing);
  return *CurMap;
}

void setSky(Integer v) {
  CMap& m = map();
  m.setRed(v);
  m.setGreen(v);
  m.setBlue(v);
  m.updateColor();
}

// Brightness 0..255 of a line d pixels above the bottom of the text area.
Integer lineBrightness(Double d) {
  if (d < 0) return 0;
  if (d < 50) return CInt(d / 50 * 254);
  if (d < 350) return 255;
  if (d < 400) return CInt((400 - d) / 50 * 254);
  return 0;
}
}  // namespace

void CInterface::doCredits() {
  if (Music) Music->ForcePlay("", "blarg.mp3");
  ReadCredits();
  creditClock = -1.0;
  Window = msCredits;
}

void CInterface::ReadCredits() {
  std::vector<std::string> lines = readLines(CreditsFile);
  creditLines.assign(1, std::string());
  creditLines.insert(creditLines.end(), lines.begin(), lines.end());
}

void CInterface::RenderCreds() {
  const Double prev = creditClock;
  creditClock += FrameTime;
  const Double t = creditClock;

  // 1. Fade in from grey during the first second; the effects wait for it.
  if (t < 0) {
    GrayOut(static_cast<Single>(-t));
  } else {
    if (t < 1.1) GrayOut(0);
    // 2. Black sky.
    setSky(0);
    // 3. Tunnel rings, nine a second.
    if (Int(9 * t) != Int(9 * prev)) {
      D3DXMatrixRotationY(ScratchMatrix, 1.57f);
      AddSprite(0, 10000, 0, -75000, 0, 0, skCreditTunnel, 4, Rnd() * 10, -1, -1);
    }
    // 4. A click skips to the end of the tunnel.
    if (t < SkipTo && MouseClicked) creditClock = SkipTo;
    // 5. The flash.
    if (prev < FlashAt && FlashAt <= t) {
      PlaySound(SndWarpTrans);
      CamShake = 0.5f;
      AddSprite(0, 10000, 0, -3000, 0, 0, skCreditFlare, 4, 0, playerShip, -1);
    }
    // 6. The sky whitens from 60 to 250.
    if (t > FlashAt) setSky(CInt((t - 146) * 50 + 50));
  }
  MouseClicked = false;

  // 9. The lines.
  CText& text = gameText();
  const Single cx = static_cast<Single>(ScreenWidth) / 2;
  for (size_t i = 0; i < creditLines.size(); ++i) {
    const std::string& line = creditLines[i];
    if (line.empty()) continue;
    const Double y = ScreenHeight / 2.0 + 200 - 20 * t + 20.0 * static_cast<Double>(i);
    const Double d = 400 - 20 * t + 20.0 * static_cast<Double>(i);
    const Integer b = lineBrightness(d);
    if (b == 0) continue;
    Single size = 0.6f;
    Integer r = CInt(0.9 * b), g = r, bl = r;
    std::string shown = line;
    if (Left(line, 3) == "[+]") {
      size = 0.8f;
      r = g = b;
      bl = 0;
      shown = Mid(line, 4);
    } else if (Left(line, 3) == "[=]") {
      size = 1.0f;
      r = g = bl = b;
      shown = Mid(line, 4);
    }
    text.setSize(size);
    text.setColor(r, g, bl);
    text.drawText(cx, static_cast<Single>(y), shown, 1, false, false);
  }

  // 10. The end: back to flight in a new population, then the notice of what was unlocked.
  if (t > EndAfter) {
    Window = msNone;
    PlaySound(SndWarpOut);
    vbCheckIndex(0, 0, static_cast<long long>(Ships.size()) - 1);
    if (!Ships[0]) vbRaise(vberr::ObjectMissing);
    Ships[0]->WarpIn();
    setSky(0);
    map().setWorldType(WorldTypeAfterCredits);
    map().ShipInit();
    const CPlayer& p = player();
    if (p.getHasCheat(3) == 0) {
      Window = msSloMoUnlocked;
    } else if (p.getHasCheat(0) == 0) {
      Window = msCheatsUnlocked;
    }
  }
}
