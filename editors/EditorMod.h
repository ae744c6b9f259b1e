// EditorMod: what the four content editors share: the pointer step of a mouse drag over the 3-D
// view, the orbit camera of the ship and structure editors and the free-flight camera of the map
// editor, whole degrees to radians and back by the factor 3.14 / 180, the reading of numbers typed
// into an editor window, the check of a file name typed into a name box, and the question a Save
// asks before it replaces a file the editor did not load.
//
// Called from the editors' Move (pointer step and cameras, once per frame) and from their windows'
// handlers (numbers and names). Cameras write CamEye, CamTarget, MatView and the device's view.
#pragma once
#include <optional>
#include <string>

#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

// The pointer of the previous frame of a drag, screen pixels.
extern Single PrevPointerX, PrevPointerY;

// One frame's pointer step, screen pixels (0 when the pointer did not move or no button is held).
struct PointerStep {
  Single dx = 0, dy = 0;
};

// Reads the cursor; with no button held (MouseHeld false) PointerX/Y follow it and nothing turns,
// so the next drag starts without a jump. While a button is held, returns the movement since the
// last frame and moves PointerX/Y (and PrevPointerX/Y) to the cursor.
PointerStep trackEditorPointer();

// Eye (cos(angle) x distance, height, -sin(angle) x distance) looking at the origin, y up.
void setOrbitCamera(Single angle, Single height, Single distance);
// Eye (x, eyeHeight, z) looking 100 units ahead along angle (x by cos, z by sin) at lookHeight.
void setFlightCamera(Single angle, Single lookHeight, Single eyeHeight, Single x, Single z);

// Angles typed in editor windows are whole degrees; game objects keep radians (3.14, not pi).
constexpr double EditorPi = 3.14;
Single degreesToRadians(double degrees);
double radiansToDegrees(Single radians);

// Numbers typed into an editor window: the text's leading numeric prefix ("12abc" 12, "" 0,
// "1e3" 1000), rounded half to even for Integer and Long. Empty when the number lies beyond the
// field's range (or is not finite for a Single).
std::optional<Integer> editorInteger(const std::string& text);
std::optional<Long> editorLong(const std::string& text);
std::optional<Single> editorSingle(const std::string& text);
// True when the whole text is one number as those readers take it (blanks aside): a sign,
// digits with an optional fraction, an optional exponent. "", "abc" and "12abc" are not.
bool isEditorNumber(const std::string& text);
// A Single as the shortest plain text that reads back as the same Single.
std::string editorNumberText(Single v);

// Sets a window's flag for a scope: the window is filling its own controls from the edited data,
// and its change handlers then only show values, never write them back.
class FillGuard {
 public:
  explicit FillGuard(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~FillGuard() { flag_ = was_; }
  FillGuard(const FillGuard&) = delete;
  FillGuard& operator=(const FillGuard&) = delete;

 private:
  bool& flag_;
  bool was_;
};

// "" when name may name a file of the editor's folder; else the message that refuses it (empty,
// a path separator, or ".."), opening with what ("A name", "A map path").
std::string checkEditorName(const std::string& name, const std::string& what = "A name");

// The question each editor window's Save asks before it replaces an existing file that the editor
// did not load under that name: such a Save writes nothing and names the file in the status; the
// next press of Save for the same name replaces it. A file the editor loaded or saved last (its
// name compared ignoring case, as paths resolve) is replaced at once. One per window; called
// only by the window's Save and Load handlers.
class ReplaceQuestion {
 public:
  // True when Save may write file (the game path shown to the author); false, with question
  // holding the status text, when it must ask first. Every call consumes a pending question.
  bool mayWrite(const std::string& name, bool exists, const std::string& file, std::string& question);
  // The editor now holds the file of name: a load or a save of it succeeded.
  void holds(const std::string& name);
  // A Load was pressed: a pending question lapses.
  void loadPressed() { asked_.clear(); }

 private:
  std::string held_;   // lower case; "" none
  std::string asked_;  // lower case name of the question just asked; "" none
};
