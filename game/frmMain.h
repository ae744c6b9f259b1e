// frmMain: the main form. Form_Load runs the start-up (DirectX objects, player record and
// options, device, material, game set-up) and then mainLoop, in which the whole life of the
// program runs, one frame per pass: device-loss recovery, target view, doGame, the scene with
// doRender, Present and frame timing. Window events run only where the loop yields (doEvents).
// Keys and mouse buttons drive the player's ship and the interface (Form_KeyDown ...
// Form_MouseMove). Closing the window (Form_Unload), or a termination signal (SIGTERM, SIGINT:
// platform/Window.h), clears GameRunning; the pass finishes, the music stops, the device and the
// DirectX objects are released and mainLoop returns: the program then ends. The start-up first
// removes what writes cut off by a kill left (CPlayer.RemoveCutWrites) and empties the notices.
//
// Frame timing: FrameTime = (timeGetTime() - start) / 1000 (readings subtracted modulo 2^32), at
// least 0.001; the pass waits while 1 / FrameTime > 60, so with millisecond readings the wait
// ends at the first reading of 17 ms or more; then FrameTime is capped at 0.5 and divided by 5 in
// bullet time. The wait sleeps through most of its time and spins only at its end.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Window.h"
#include "runtime/Numbers.h"

class FormMain {
 public:
  FormMain();
  ~FormMain();

  // The game window (created on first use, with the form's event handlers).
  GameWindow& window();
  HWND hWnd() { return window().hWnd(); }

  // Start-up, then mainLoop. No trap: an error of the start-up passes to the caller (the program
  // stops with an error report).
  void Form_Load();
  // The frames while GameRunning, then the end of the program. Every statement runs with its
  // errors skipped.
  void mainLoop();
  // Closing the window: Cancel := True (the form stays) and GameRunning := False; asked for
  // during the start-up, the main loop then runs no frame.
  void Form_Unload(Integer& Cancel);

  // Keyboard and mouse of the game window (run inside doEvents). A pressed key bound to one of
  // the 18 KeyActions sets that control flag of the player's ship (Ships(0)) and its release
  // clears it; when two actions share a key only the first in the order 2, 3, 0, 1, 6, 7, 4, 5, 8,
  // 9, 15, 12, 13, 14, 10, 11, 17, 16 is driven. Escape opens and closes the quit confirmation
  // and leaves the new-game wizard for the main menu; a key waiting to be remapped goes to the
  // interface instead; every other key press also feeds the typed cheat codes. Key codes are
  // window key codes (0..255). The key handlers trap their errors ("Error in Form_KeyDown: ...").
  void Form_KeyDown(Integer& KeyCode, Integer& Shift);
  void Form_KeyUp(Integer& KeyCode, Integer& Shift);
  // A key pressed and released within one yield counts as one press: its release is held back
  // until the next yield, so the frame in between sees the control flag set.
  // Typed characters edit the driver's and gunner's names on the wizard's name pages (at most 20
  // characters; Backspace removes, Enter goes on to the next page).
  void Form_KeyPress(Integer& KeyAscii);
  // Buttons: 1 left, 2 right, 4 middle. In play the left and right buttons fire (keyPrimary,
  // keySecondary) unless the interface holds the mouse; a release clears them in every mode and
  // sets MouseClicked. In the world editor the pointer follows the mouse (X, Y client pixels).
  // No trap: errors pass to the main loop.
  void Form_MouseDown(Integer& Button, Integer& Shift, Single& X, Single& Y);
  void Form_MouseUp(Integer& Button, Integer& Shift, Single& X, Single& Y);
  void Form_MouseMove(Integer& Button, Integer& Shift, Single& X, Single& Y);

  // Tests: called with the pass number (1 for the first) between EndScene and Present, while
  // the back buffer holds the frame, and at the end of every pass.
  std::function<void(Long pass)> beforePresentForTests;
  std::function<void(Long pass)> afterFrameForTests;

 private:
  void runFrame(Long pass);
  void recoverDevice();
  void endProgram();
  void releaseAll();
  // The frame's yield to the window system, with the releases held back from the last one.
  void yieldToWindows();
  std::unique_ptr<GameWindow> window_;
  bool inYield_ = false;
  std::vector<Integer> pressedInYield_;  // keys pressed during the current yield
  std::vector<Integer> heldReleases_;    // their releases, applied at the start of the next yield
  bool closeRequested_ = false;          // Form_Unload ran since Form_Load began
};

extern FormMain frmMain;

// ---- frame timing (step by step, for the loop and its tests) ----
// (now - start) modulo 2^32 in seconds, at least 0.001.
double measureFrameTime(uint32_t start, uint32_t now);
// The wait goes on while this holds: 1 / frameTime > 60.
bool frameRateAboveCap(double frameTime);
// Capped at 0.5 s, then divided by 5 in bullet time.
double limitFrameTime(double frameTime, bool bulletTime);
// WarmUpTimer += frameTime while below 0.1; WarmedUp once it reaches 0.1.
void countWarmUp(double frameTime);
// Reads timeGetTime until the frame rate is no longer above the cap (sleeping with sleepMs
// while at least SpinMs of the wait remain) and returns the measured frame time.
double waitFrameEnd(uint32_t start);
// The whole timing step: FrameTime from the wait, the cap, bullet time, the warm-up.
void frameTiming(uint32_t start);
