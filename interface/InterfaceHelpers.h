// Small helpers shared by the interface's screens: the player record and centred text.
#pragma once
#include <string>

#include "campaign/CPlayer.h"
#include "engine/CText.h"
#include "runtime/VbError.h"

namespace interface_helpers {
// The player record; Object variable not set (91) while there is none.
inline CPlayer& player() {
  if (!Player) vbRaise(vberr::ObjectMissing);
  return *Player;
}

// Text s centred on x at line y, size and colour (r, g, b) set on the shared writer first.
inline void centred(Single x, Single y, const std::string& s, Single size, Integer r, Integer g, Integer b) {
  CText& t = gameText();
  t.setSize(size);
  t.setColor(r, g, b);
  t.drawText(x, y, s, 1, false, false);
}
}  // namespace interface_helpers
