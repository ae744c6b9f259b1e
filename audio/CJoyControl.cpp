#include "audio/CJoyControl.h"

std::shared_ptr<CJoyControl> JoyControl;

void CJoyControl::InitInput() { bJoysAtAll = false; }

void CJoyControl::PollJoys() {}

void CJoyControl::getJoyLook(Single& x, Single& y) const {
  x = 0;
  y = 0;
}
