// EditorFixture: the game started as a windowed developer start over a copy of the generated game
// folder (recording device, forms headless), with one editor opened from the launcher, and the
// set-up's objects released again after each test. Window actions are queued through the forms'
// own test hooks and run by act(), one doEvents.
#pragma once
#include <string>

#include "platform/Forms.h"
#include "tests/support/GameSetUpFixture.h"

class EditorFixture : public GameSetUpFixture {
 protected:
  // Starts the launcher and presses its button of that editor ("cmdShipEditor", ...).
  void openEditor(const std::string& launcherButton);
  // Runs the queued window actions.
  static void act();
  // Queues and runs one action; the test fails when the control takes no such input.
  void type(Form& form, const std::string& control, const std::string& text);
  void click(Form& form, const std::string& control);
  void choose(Form& form, const std::string& control, Integer value);
};
