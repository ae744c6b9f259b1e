// CInterface: the interface object (one instance, GameInterface): the screen state and what the
// engine reads of it. This far only the fields and calls the main loop and the frame need; the
// screens, HUD and menus come with the interface work.
#pragma once
#include <memory>

#include "runtime/Numbers.h"

class CInterface {
 public:
  Long Window = 0;          // screen state (ms* values 0..40): 0 in flight, 14 main menu, 32 title scene
  Integer TargRender = -1;  // ship index shown in the target view, -1 none
  Long keyRemapping = -1;   // KeyAction waiting for a new key, -1 none

  // True while the interface owns the mouse (a screen is up).
  bool hasMouse() const;
  // Draws the interface of the frame.
  void Render();
};

extern std::shared_ptr<CInterface> GameInterface;
// Set by the interface while the game is paused (the frame update then moves only the player's ship).
extern bool GamePaused;
