#include "tests/editors/EditorFixture.h"

#include <gtest/gtest.h>

#include "game/GameMod.h"
#include "game/frmLaunch.h"
#include "platform/Window.h"

void EditorFixture::openEditor(const std::string& launcherButton) {
  initGame(erLauncher);
  ASSERT_TRUE(frmLaunch.clickForTests(launcherButton));
  act();
}

void EditorFixture::act() { doEvents(); }

void EditorFixture::type(Form& form, const std::string& control, const std::string& text) {
  ASSERT_TRUE(form.typeForTests(control, text)) << control;
  act();
}

void EditorFixture::click(Form& form, const std::string& control) {
  ASSERT_TRUE(form.clickForTests(control)) << control;
  act();
}

void EditorFixture::choose(Form& form, const std::string& control, Integer value) {
  ASSERT_TRUE(form.chooseForTests(control, value)) << control;
  act();
}
