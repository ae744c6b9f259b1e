#include "game/frmLaunch.h"

#include "game/GameMod.h"
#include "game/frmMain.h"

FormLaunch frmLaunch;

FormLaunch::FormLaunch() : Form("Editor Launch") {
  cmdPlay.onClick = [this] { cmdPlay_Click(); };
  cmdShipEditor.onClick = [this] { cmdShipEditor_Click(); };
  cmdStructEditor.onClick = [this] { cmdStructEditor_Click(); };
  cmdMapEditor.onClick = [this] { cmdMapEditor_Click(); };
  cmdWorldEditor.onClick = [this] { cmdWorldEditor_Click(); };
}

void FormLaunch::cmdPlay_Click() {
  initGame(erPlay);
  // Play runs in the game window and takes its keys there.
  frmMain.window().setFocus();
  hide();
}

void FormLaunch::cmdShipEditor_Click() { initGame(erShipEditor); }
void FormLaunch::cmdStructEditor_Click() { initGame(erStructEditor); }
void FormLaunch::cmdMapEditor_Click() { initGame(erMapEditor); }
void FormLaunch::cmdWorldEditor_Click() { initGame(erWorldEditor); }
