// Forms: the game's second, ordinary top-level windows (frmLaunch and the editor forms) with
// retained controls: command buttons, labels, text boxes, scroll bars, option buttons, check
// boxes, combo boxes and frames. A form is declared as a class deriving from Form whose members
// are its controls; each control registers with its form (and frame) when it is constructed, so
// declaration order is drawing order. Placement is automatic: one control per row, or beside the
// one before it (sameLine), with an optional row label. Example:
//
//   class FormLaunch : public Form {
//    public:
//     FormLaunch() : Form("Editor Launch") { cmdPlay.onClick = [this] { cmdPlay_Click(); }; }
//     CommandButton cmdPlay{*this, "cmdPlay", "Play"};
//     void cmdPlay_Click();
//   };
//
// Events run on the main thread only. A programmatic change runs its handler at once, inside the
// setter: ScrollBar::setValue, setMin and setMax (Change, only when the value differs),
// TextBox::setText and ComboBox::setText (Change, when the text differs), CheckBox::setValue
// (Click, when the value differs), ComboBox::setListIndex (Click, every time) and
// OptionButton::setValue(true) (Click, every time; it releases the other buttons of its array).
// A user's action in the tool window makes the same setter call, but later: actions are queued
// while the window's frame is drawn and run inside doEvents after every tool window has drawn and
// the game window's GL context is current again, so handlers may draw on the game device. An
// action reaches a control only while its form is shown and the control is visible and enabled.
// A handler's error (VbError) passes to the caller of the setter, or out of doEvents.
//
// A shown form has its tool window (its own SDL window, GL context and Dear ImGui context,
// drawn each doEvents) while a game window is real; otherwise (recording device, unit tests) it
// keeps all its state and events headless. Showing a form runs its onLoad first, once (the
// form's Form_Load). Closing the tool window hides the form. Disabled controls draw greyed.
// Keys typed in a tool window go to it, never to the game window.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "runtime/Numbers.h"

class Form;
class Frame;
struct ToolWindow;  // the window-system side of a shown form (platform-internal)

enum class ControlKind { CommandButton, Label, TextBox, ScrollBar, OptionButton, CheckBox, ComboBox, Frame };

// Window pixels of a control's last drawn rectangle (all 0 before its first drawn frame).
struct ControlRect {
  float left = 0, top = 0, right = 0, bottom = 0;
};

class Control {
 public:
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control();

  ControlKind kind() const { return kind_; }
  const std::string& name() const { return name_; }  // "cmdPlay"; array elements "optSeats(2)"
  Form& form() const { return form_; }
  Frame* container() const { return frame_; }       // the frame holding it, or null

  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  bool visible() const { return visible_; }
  void setVisible(bool visible) { visible_ = visible; }

  // Design-time layout: drawn beside the control before it (in the same form or frame), or at
  // the start of a new row headed by rowLabel.
  bool sameLine = false;
  std::string rowLabel;
  float editWidth = 0;  // pixels of the edit part of text boxes, combos and scroll bars; 0 default

  const ControlRect& drawnRect() const { return rect_; }

  // ---- used by the tool window ----
  // Draws the control inside the current ImGui frame and queues the user's changes (ToolWindow.cpp).
  virtual void draw() = 0;
  void setDrawnRect(const ControlRect& rect) { rect_ = rect; }

 protected:
  Control(Form& form, ControlKind kind, std::string name, Frame* frame);
  // Queues action as the user's, run by the next doEvents while the control takes input.
  void postUserAction(std::function<void()> action);

 private:
  Form& form_;
  ControlKind kind_;
  std::string name_;
  Frame* frame_;
  bool enabled_ = true, visible_ = true;
  ControlRect rect_;
};

class CommandButton : public Control {
 public:
  CommandButton(Form& form, std::string name, std::string caption, Frame* frame = nullptr);
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption) { caption_ = std::move(caption); }
  std::function<void()> onClick;  // name_Click
  void userClick();               // the user pressed it (queued)
  void draw() override;

 private:
  std::string caption_;
};

class Label : public Control {
 public:
  Label(Form& form, std::string name, std::string caption, Frame* frame = nullptr);
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption) { caption_ = std::move(caption); }
  bool wrap = false;  // design time: a caption longer than the window wraps at its right edge; room
                     // for three lines is kept, so a window sized while it is empty shows them
  void draw() override;

 private:
  std::string caption_;
};

// A one-line text box headed by a fixed label ("Name:"). Change runs when the text differs.
class TextBox : public Control {
 public:
  TextBox(Form& form, std::string name, std::string label, std::string text = "", Frame* frame = nullptr);
  const std::string& label() const { return label_; }
  const std::string& text() const { return text_; }
  void setText(const std::string& text);
  bool locked = false;              // design time: shown only, the user cannot edit it
  std::function<void()> onChange;   // name_Change
  void userType(std::string text);  // the user left this text in the box (queued)
  void draw() override;

 private:
  std::string label_, text_;
};

// A scroll bar of whole numbers Min..Max (either may be the larger) with a large step. Value
// always lies between Min and Max: setting a value outside is clamped, a fraction is rounded half
// to even, and moving Min or Max past the value moves the value. Change runs only when the value
// differs.
class ScrollBar : public Control {
 public:
  enum class Orientation { Horizontal, Vertical };
  ScrollBar(Form& form, std::string name, std::string label, Integer min, Integer max, Integer largeChange,
            Integer value, Frame* frame = nullptr, Orientation orientation = Orientation::Horizontal);
  const std::string& label() const { return label_; }
  Integer min() const { return min_; }
  Integer max() const { return max_; }
  Integer largeChange() const { return largeChange_; }
  Integer value() const { return value_; }
  Orientation orientation() const { return orientation_; }
  void setMin(Integer min);
  void setMax(Integer max);
  void setLargeChange(Integer step) { largeChange_ = step; }
  void setValue(double value);       // clamped to Min..Max, then rounded half to even; NaN is ignored
  std::function<void()> onChange;    // name_Change
  void userMove(Integer value);      // the user moved the bar to value (queued)
  void draw() override;

 private:
  Integer clamp(double value) const;
  std::string label_;
  Integer min_, max_, largeChange_, value_;
  Orientation orientation_;
};

// One button of an option-button array (ControlArray<OptionButton>): pressing it releases the
// other buttons of its array.
class OptionButton : public Control {
 public:
  OptionButton(Form& form, std::string name, std::string caption, Frame* frame = nullptr);
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption) { caption_ = std::move(caption); }
  bool value() const { return value_; }
  void setValue(bool value);      // true: presses it and runs Click; false: releases it silently
  std::function<void()> onClick;
  void userClick();               // the user pressed it (queued)
  void draw() override;
  std::vector<OptionButton*>* group = nullptr;  // set by its array

 private:
  std::string caption_;
  bool value_ = false;
};

// A check box with Value 0 (clear) or 1 (checked); any non-zero value checks it. Click runs when
// the value differs.
class CheckBox : public Control {
 public:
  CheckBox(Form& form, std::string name, std::string caption, Frame* frame = nullptr);
  const std::string& caption() const { return caption_; }
  Integer value() const { return value_; }
  void setValue(Integer value);
  std::function<void()> onClick;
  void userClick();               // the user toggled it (queued)
  void draw() override;

 private:
  std::string caption_;
  Integer value_ = 0;
};

// A combo box: a list of entries with a list index (0-based, -1 none) and a text. DropDownCombo
// has an editable text part (initially the placeholder given at design time); DropDownList
// shows only the chosen entry. Setting the list index (or the user choosing an entry) sets the
// text to the entry and runs Click; typing (or setText) on DropDownCombo runs Change when the
// text differs, with the list index of the entry that matches the text ignoring case, else -1.
class ComboBox : public Control {
 public:
  enum class Style { DropDownCombo, DropDownList };
  ComboBox(Form& form, std::string name, std::string label, Style style, std::vector<std::string> items,
           std::string text = "", Frame* frame = nullptr);
  const std::string& label() const { return label_; }
  Style style() const { return style_; }
  Integer listCount() const { return static_cast<Integer>(items_.size()); }
  const std::string& list(Integer index) const;  // VbError 381 outside 0..listCount-1
  void addItem(const std::string& item);
  void clear();                                  // no entries, index -1, text ""
  Integer listIndex() const { return listIndex_; }
  void setListIndex(Integer index);              // -1..listCount-1, else VbError 380
  const std::string& text() const { return text_; }
  // DropDownCombo: the typed text. DropDownList: chooses the entry of that text (ignoring case);
  // VbError 383 when there is none.
  void setText(const std::string& text);
  std::function<void()> onClick, onChange;       // name_Click, name_Change
  void userChoose(Integer index);                // the user chose an entry (queued)
  void userType(std::string text);               // the user typed into the text part (queued)
  void draw() override;

 private:
  std::string label_;
  Style style_;
  std::vector<std::string> items_;
  Integer listIndex_ = -1;
  std::string text_;
};

// A captioned group; controls constructed with it as their frame are drawn inside it.
class Frame : public Control {
 public:
  Frame(Form& form, std::string name, std::string caption, Frame* frame = nullptr);
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption) { caption_ = std::move(caption); }
  void draw() override;

 private:
  std::string caption_;
};

// "1", "2", ... "count": the captions of the numbered option-button arrays.
std::vector<std::string> numberedCaptions(int count);

// A control array (optSeats(0-3), chkEraGray(0-8)): elements named name + "(" + index + ")",
// created with the given captions, perRow to a row. The elements' Click runs onClick(Index).
// Option buttons of one array form one group.
template <class C>
class ControlArray {
 public:
  ControlArray(Form& form, const std::string& name, const std::vector<std::string>& captions, Frame* frame = nullptr,
               int perRow = 8)
      : name_(name) {
    for (size_t i = 0; i < captions.size(); ++i) {
      auto element = std::make_unique<C>(form, name + "(" + std::to_string(i) + ")", captions[i], frame);
      element->sameLine = perRow > 0 && i % static_cast<size_t>(perRow) != 0;
      auto index = static_cast<Integer>(i);
      element->onClick = [this, index] {
        if (onClick) onClick(index);
      };
      elements_.push_back(std::move(element));
    }
    if constexpr (std::is_same_v<C, OptionButton>) {
      for (auto& e : elements_) group_.push_back(e.get());
      for (auto& e : elements_) e->group = &group_;
    }
  }
  ControlArray(const ControlArray&) = delete;
  ControlArray& operator=(const ControlArray&) = delete;

  // Element index; VbError 9 (subscript out of range) outside 0..count-1.
  C& operator()(Integer index) const;
  Integer count() const { return static_cast<Integer>(elements_.size()); }
  const std::string& name() const { return name_; }
  std::function<void(Integer index)> onClick;  // name_Click(Index)

 private:
  std::string name_;
  std::vector<std::unique_ptr<C>> elements_;
  std::vector<OptionButton*> group_;
};

void checkControlIndex(long long index, long long count);  // VbError 9 outside 0..count-1

template <class C>
C& ControlArray<C>::operator()(Integer index) const {
  checkControlIndex(index, static_cast<long long>(elements_.size()));
  return *elements_[static_cast<size_t>(index)];
}

class Form {
 public:
  explicit Form(std::string caption);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form();

  const std::string& caption() const { return caption_; }
  void setCaption(const std::string& caption);

  std::function<void()> onLoad;  // Form_Load: runs once, when the form is first loaded
  void load();                   // loads it (runs onLoad) unless loaded
  bool loaded() const { return loaded_; }
  void show();                   // loads it, then shows it non-modal
  void hide();
  bool visible() const { return visible_; }
  void setFocus();               // shows it and gives its window the keyboard

  // Controls in declaration order; lookup by name ("cmdPlay", "optSeats(2)"), null when none.
  const std::vector<Control*>& controls() const { return controls_; }
  Control* findControl(const std::string& name) const;

  // ---- scripted user input for tests: queued like the user's action, run by the next doEvents ----
  // false when the control is missing, of a kind that takes no such input, hidden or disabled,
  // or the form is not shown.
  bool clickForTests(const std::string& name);                    // button, option button, check box
  bool typeForTests(const std::string& name, const std::string& text);  // text box, DropDownCombo
  bool chooseForTests(const std::string& name, Integer value);    // scroll bar value, combo entry

  // ---- the tool window ----
  bool hasToolWindow() const { return tool_ != nullptr; }
  uint32_t toolWindowId() const;  // SDL window id, 0 without a tool window
  // Tests: the next drawn frame of the tool window is kept (ARGB, top row first); false until one was.
  void captureNextFrameForTests();
  bool capturedFrameForTests(std::vector<uint32_t>& argb, int32_t& width, int32_t& height) const;
  // Tests: window-system events of the tool window (nothing without one), taken by the next
  // doEvents as a real user's: the left button at x, y (window pixels; the pointer moves there
  // first), typed text, a key by its SDL name ("Return"), the window's close button.
  void pushToolWindowMouseForTests(bool down, float x, float y);
  void pushToolWindowTextForTests(const std::string& utf8);
  void pushToolWindowKeyForTests(const std::string& keyName, bool down);
  void pushToolWindowCloseForTests();

  // ---- used by controls and the tool window ----
  void registerControl(Control& control);
  void unregisterControl(Control& control);
  bool takesUserInput(const Control& control) const;
  ToolWindow* toolWindow() const { return tool_; }
  void setToolWindow(ToolWindow* tool) { tool_ = tool; }

 private:
  std::string caption_;
  bool loaded_ = false, visible_ = false;
  std::vector<Control*> controls_;
  ToolWindow* tool_ = nullptr;
};

// Every form in existence, in creation order (the tool windows draw the shown ones).
const std::vector<Form*>& allForms();
