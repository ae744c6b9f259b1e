// CInterface store frame: the panel, title, cash line and "done!" button that every screen of a
// landed ship draws first (drawDoneButton).
#include <string>

#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "engine/GameGlobals.h"
#include "interface/CInterface.h"
#include "runtime/VbError.h"
#include "ships/CShip.h"

D3DXVECTOR2 CInterface::drawDoneButton(const std::string& title, Integer width, Single shiftX) {
  if (!Player) vbRaise(vberr::ObjectMissing);
  stopPlayerSteer();
  CText& t = gameText();
  t.setColor(255, 255, 255);
  t.setSize(0.7f);
  const D3DXVECTOR2 corner = rectToScreen(width, 360, shiftX);
  t.drawText(corner.x + width / 2.0f, corner.y + 15, title, 1, false, false);
  t.setColor(0, 255, 0);
  t.setSize(0.6f);
  t.drawText(corner.x + width - 10, corner.y + 10, "$" + std::to_string(Player->Cash), 2, false, false);
  if (drawButton(corner.x + width / 2.0f - 75, corner.y + 320, 150, "done!", false)) {
    Window = msNone;
    vbCheckIndex(playerShip, 0, static_cast<long long>(Ships.size()) - 1);
    if (!Ships[static_cast<size_t>(playerShip)]) vbRaise(vberr::ObjectMissing);
    Ships[static_cast<size_t>(playerShip)]->LandingFrame = 1001;
  }
  return corner;
}
