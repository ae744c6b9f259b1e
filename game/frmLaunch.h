// frmLaunch: the developer launcher (caption "Editor Launch"), shown by initGame in a window with
// the developer option. Its five buttons call initGame again with their request: "Play" (erPlay,
// then the game window takes the focus and the launcher hides), "Ship Editor", "Struct Editor",
// "Map Editor", "World Editor" (erShipEditor .. erWorldEditor); from an editor, the editor's window
// closes. Main thread only.
#pragma once
#include "platform/Forms.h"

class FormLaunch : public Form {
 public:
  FormLaunch();

  CommandButton cmdPlay{*this, "cmdPlay", "Play"};
  CommandButton cmdShipEditor{*this, "cmdShipEditor", "Ship Editor"};
  CommandButton cmdStructEditor{*this, "cmdStructEditor", "Struct Editor"};
  CommandButton cmdMapEditor{*this, "cmdMapEditor", "Map Editor"};
  CommandButton cmdWorldEditor{*this, "cmdWorldEditor", "World Editor"};

  void cmdPlay_Click();
  void cmdShipEditor_Click();
  void cmdStructEditor_Click();
  void cmdMapEditor_Click();
  void cmdWorldEditor_Click();
};

extern FormLaunch frmLaunch;
