// The game's main window (frmMain's window): created windowed or full screen at a size, its size
// and position in twips, caption, visibility; the window system's yield (doEvents) that delivers
// its events to the handlers the game registers; the cursor calls (ShowCursor, GetCursorPos,
// SetCursorPos), the screen's dots per inch (GetDC, GetDeviceCaps, ReleaseDC), ShowWindow and a
// message box.
//
// Events, as the main form receives them, run only inside doEvents, in arrival order:
//   onKeyDown / onKeyUp (keyCode, shift): Windows virtual-key codes (A-Z 65-90, 0-9 48-57,
//     Escape 27, arrows 37-40, F1-F12 112-123, ...); held keys repeat onKeyDown. shift: 1 Shift,
//     2 Ctrl, 4 Alt.
//   onKeyPress (keyAscii): typed printable ASCII 32..126, and 8, 13, 27 for Backspace, Enter and
//     Escape, after the key's onKeyDown.
//   onMouseDown / onMouseUp / onMouseMove (button, shift, x, y): button 1 left, 2 right, 4
//     middle; x, y in client pixels. A release arrives also when the press began elsewhere.
//   onUnload (cancel): the user asked to close the window; cancel starts 0. A termination signal
//     (SIGTERM, SIGINT) after installTerminationSignals arrives as this request too.
// Scripted input for tests goes through the same queue (postKeyDown, postMouseDown, ...).
//
// Cursor: ShowCursor keeps the Windows display counter (shown while >= 0). While it is hidden the
// layer keeps a virtual cursor moved by the mouse's relative motion, so GetCursorPos/SetCursorPos
// behave the same where the real pointer cannot be warped (Wayland, offscreen); while it is shown
// they use the real pointer where the window system allows and the virtual one otherwise.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Types.h"

enum class WindowEventKind { KeyDown, KeyUp, KeyPress, MouseDown, MouseUp, MouseMove, MouseMotion, Close };

// One queued event; for MouseMotion (relative motion of the pointer) x, y are the offsets.
struct WindowEvent {
  WindowEventKind kind = WindowEventKind::KeyDown;
  Integer code = 0;   // key code, key character, or mouse button
  Integer shift = 0;
  Single x = 0, y = 0;
};

class GameWindow {
 public:
  GameWindow();
  ~GameWindow();
  GameWindow(const GameWindow&) = delete;
  GameWindow& operator=(const GameWindow&) = delete;

  HWND hWnd() const { return handle_; }

  // Size and position. Outer sizes are in twips; the client area is the outer size less a
  // caption of 25 pixels (windowed). Full screen the client area is the whole mode.
  Long width() const;                  // twips
  Long height() const;                 // twips
  void setWidth(Long twips);
  void setHeight(Long twips);
  Long left() const;                   // twips, from the desktop's left edge
  Long top() const;                    // twips
  void move(Long leftTwips, Long topTwips);
  Single scaleHeight() const { return scaleHeight_; }
  void setScaleHeight(Single value) { scaleHeight_ = value; }  // kept; events stay in pixels
  Long clientWidth() const { return clientW_; }    // pixels
  Long clientHeight() const { return clientH_; }   // pixels
  bool fullScreen() const { return fullScreen_; }

  const std::string& caption() const { return caption_; }
  void setCaption(const std::string& text);
  bool visible() const { return visible_; }
  void show();
  void hide();
  void setFocus();  // shows the window and gives it the keyboard

  // Handlers the game registers (see the top of this file).
  std::function<void(Integer& keyCode, Integer& shift)> onKeyDown, onKeyUp;
  std::function<void(Integer& keyAscii)> onKeyPress;
  std::function<void(Integer& button, Integer& shift, Single& x, Single& y)> onMouseDown, onMouseUp, onMouseMove;
  std::function<void(Integer& cancel)> onUnload;

  // Scripted input: queued now and delivered by the next doEvents, ahead of the window system's
  // events that doEvents collects when it pumps.
  void postEvent(const WindowEvent& event);
  void postKeyDown(Integer keyCode, Integer shift = 0);
  void postKeyUp(Integer keyCode, Integer shift = 0);
  void postKeyPress(Integer keyAscii);
  void postMouseDown(Integer button, Single x, Single y);
  void postMouseUp(Integer button, Single x, Single y);
  void postMouseMove(Single x, Single y);
  void postMouseMotion(Single dx, Single dy);  // relative motion: moves the virtual cursor
  void postClose();

  // ---- used by the device layer ----
  // Makes the window real (an SDL window able to carry an OpenGL 3.3 core context) at the client
  // size; false with lastErrorDescription() when the window system refuses. Recording devices
  // never call it.
  bool realize(Long clientWidthPx, Long clientHeightPx, bool fullScreen);
  // Applies new present parameters (Reset): client size and full screen.
  void applyMode(Long clientWidthPx, Long clientHeightPx, bool fullScreen);
  void* nativeWindow() const { return native_; }   // SDL_Window*, null until realized
  uint32_t nativeId() const { return nativeId_; }  // SDL window id, 0 until realized
  void dispatch(WindowEvent& event);              // runs the handler of one event
  void trackPosition(Long leftPx, Long topPx);    // the window system moved the window

 private:
  void updateClientFromOuter();
  HWND handle_;
  Long outerWTwips_ = 0, outerHTwips_ = 0, leftTwips_ = 0, topTwips_ = 0;
  Long clientW_ = 0, clientH_ = 0;
  Single scaleHeight_ = 0;
  bool fullScreen_ = false, visible_ = false;
  std::string caption_;
  void* native_ = nullptr;
  uint32_t nativeId_ = 0;
};

// The window with that handle, or null.
GameWindow* windowFromHandle(HWND hWnd);

// The yield: pumps the window system (when a window is real), translates its events and delivers
// every queued event to its window's handlers; then draws a frame of every shown form's tool
// window and runs the forms' queued user actions (platform/Forms.h), with the game window's GL
// context current again. Events of a tool window go to its form only. Safe to call with no window.
void doEvents();

// Termination signals: from this call on SIGTERM and SIGINT only note a request (the window
// system's own handlers are not installed), which the next doEvents delivers to the main window as
// its close (onUnload), so the program ends through its own end sequence and no write in progress
// is cut off. While the window system's connection is being made (nothing is open yet) a request
// ends the program at once, with exit status 0. Called by the program's start, before the window.
void installTerminationSignals();

// The longest wait for a display to answer the window system's connection: past it the program
// says there is no display to open a window on and exits with status 1.
constexpr int DisplayAnswerSeconds = 10;

// ---- cursor ---------------------------------------------------------------------------------------
// Adds 1 (show) or -1 (hide) to the display counter and returns the new count.
int32_t ShowCursor(bool show);
// Screen pixels (window left/top + client position).
bool GetCursorPos(POINTAPI& point);
bool SetCursorPos(Long x, Long y);

// ---- screen metrics -------------------------------------------------------------------------------
using HDC = int32_t;
constexpr int32_t LOGPIXELSX = 88;
constexpr int32_t LOGPIXELSY = 90;
HDC GetDC(HWND hWnd);               // 0: the desktop; answers a non-zero context
Long GetDeviceCaps(HDC hdc, Long index);   // LOGPIXELSX / LOGPIXELSY: the configured dpi
Long ReleaseDC(HWND hWnd, HDC hdc);  // 1
// Dots per inch reported for both axes: 96 unless set (tests and a configured display).
void setScreenDpi(Long horizontal, Long vertical);
Long screenDpi(int axis);            // 0 horizontal, else vertical
constexpr Long SW_HIDE = 0, SW_SHOWNORMAL = 1;
Long ShowWindow(HWND hWnd, Long command);  // 1 shows, 0 hides; answers whether it was visible

// ---- message box ------------------------------------------------------------------------------------
constexpr Long vbOKOnly = 0, vbCritical = 16, vbExclamation = 48, vbInformation = 64;
// Shows text under title (on the display when there is one, always on stderr) and returns 1 (OK).
// Tests see the boxes through setMessageBoxHook (no window is shown then).
Long MsgBox(const std::string& text, Long style, const std::string& title);
void setMessageBoxHook(std::function<void(const std::string& text, Long style, const std::string& title)> hook);

// ---- keys -----------------------------------------------------------------------------------------
// The virtual-key code of an SDL key name ("A", "Up", "Keypad 5", "F12", "Escape"), 0 when the key
// has none. Tests check the translation table through it.
Integer virtualKeyFromKeyName(const std::string& sdlKeyName);
// Tests: feeds a window-system key or text event through the real translation (needs a realized
// window): keyName as above, text UTF-8.
void pushSystemKeyForTests(const std::string& sdlKeyName, bool down, bool repeat = false);
void pushSystemTextForTests(const std::string& utf8);
void pushSystemMouseButtonForTests(Integer button, bool down, Long x, Long y);
void pushSystemMouseMotionForTests(Long x, Long y, Long dx, Long dy);
void pushSystemQuitForTests();
