// The Quorvex program: the main form's load event runs the whole game (frmMain.Form_Load calls
// the main loop, which returns when the game ends). An error of the start-up, which has no trap,
// stops the program with a run-time error report.
#include <exception>
#include <string>

#include "game/frmMain.h"
#include "platform/Window.h"
#include "runtime/VbError.h"

int main() {
  try {
    frmMain.Form_Load();
  } catch (const VbError& e) {
    MsgBox("Run-time error '" + std::to_string(e.number()) + "':\n\n" + e.what(), vbCritical, "Quorvex");
    return 1;
  } catch (const std::exception& e) {
    MsgBox(std::string("Run-time error:\n\n") + e.what(), vbCritical, "Quorvex");
    return 1;
  }
  return 0;
}
