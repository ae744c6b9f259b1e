// Forms and controls: retained state, programmatic changes with their events, the queue of
// users' actions and the scripted input of tests. Drawing is in ToolWindow.cpp. No window-system
// dependency here: a form without a tool window works the same.
#include "platform/Forms.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cmath>
#include <deque>

#include "platform/FormsBackend.h"
#include "runtime/VbError.h"

namespace {
// Never destroyed: forms held by other modules' globals may outlive this module's statics.
std::vector<Form*>& formList() {
  static auto* list = new std::vector<Form*>();
  return *list;
}

struct FormAction {
  uint64_t number;  // queue order
  Form* form;
  const Control* control;
  std::function<void()> action;
};
uint64_t g_nextAction = 1;
std::deque<FormAction>& actionQueue() {
  static auto* queue = new std::deque<FormAction>();
  return *queue;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

constexpr int kInvalidPropertyValue = 380;
constexpr int kInvalidPropertyIndex = 381;
constexpr int kPropertyReadOnly = 383;
}  // namespace

// ---- the queue of users' actions ---------------------------------------------------------------------
void postFormAction(Form& form, const Control& control, std::function<void()> action) {
  actionQueue().push_back(FormAction{g_nextAction++, &form, &control, std::move(action)});
}

void dropFormActions(const Form& form) {
  std::erase_if(actionQueue(), [&](const FormAction& a) { return a.form == &form; });
}

void dropControlActions(const Control& control) {
  std::erase_if(actionQueue(), [&](const FormAction& a) { return a.control == &control; });
}

void runFormActions() {
  // Handlers may queue actions, or drop some by destroying a form: run only those queued before.
  auto& queue = actionQueue();
  const uint64_t last = g_nextAction - 1;
  while (!queue.empty() && queue.front().number <= last) {
    FormAction next = std::move(queue.front());
    queue.pop_front();
    if (next.form->takesUserInput(*next.control)) next.action();
  }
}

const std::vector<Form*>& allForms() { return formList(); }

void checkControlIndex(long long index, long long count) { vbCheckIndex(index, 0, count - 1); }

std::vector<std::string> numberedCaptions(int count) {
  std::vector<std::string> captions;
  for (int i = 1; i <= count; ++i) captions.push_back(std::to_string(i));
  return captions;
}

// ---- Control ----------------------------------------------------------------------------------------------
Control::Control(Form& form, ControlKind kind, std::string name, Frame* frame)
    : form_(form), kind_(kind), name_(std::move(name)), frame_(frame) {
  form_.registerControl(*this);
}

Control::~Control() {
  dropControlActions(*this);
  form_.unregisterControl(*this);
}

void Control::postUserAction(std::function<void()> action) { postFormAction(form_, *this, std::move(action)); }

CommandButton::CommandButton(Form& form, std::string name, std::string caption, Frame* frame)
    : Control(form, ControlKind::CommandButton, std::move(name), frame), caption_(std::move(caption)) {}

void CommandButton::userClick() {
  postUserAction([this] {
    if (onClick) onClick();
  });
}

Label::Label(Form& form, std::string name, std::string caption, Frame* frame)
    : Control(form, ControlKind::Label, std::move(name), frame), caption_(std::move(caption)) {}

// ---- TextBox ------------------------------------------------------------------------------------------------
TextBox::TextBox(Form& form, std::string name, std::string label, std::string text, Frame* frame)
    : Control(form, ControlKind::TextBox, std::move(name), frame), label_(std::move(label)), text_(std::move(text)) {}

void TextBox::setText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  if (onChange) onChange();
}

void TextBox::userType(std::string text) {
  postUserAction([this, text = std::move(text)] { setText(text); });
}

// ---- ScrollBar ----------------------------------------------------------------------------------------------
ScrollBar::ScrollBar(Form& form, std::string name, std::string label, Integer min, Integer max, Integer largeChange,
                     Integer value, Frame* frame, Orientation orientation)
    : Control(form, ControlKind::ScrollBar, std::move(name), frame),
      label_(std::move(label)),
      min_(min),
      max_(max),
      largeChange_(largeChange),
      value_(0),
      orientation_(orientation) {
  value_ = clamp(value);
}

Integer ScrollBar::clamp(double value) const {
  double lo = std::min(min_, max_), hi = std::max(min_, max_);
  return static_cast<Integer>(roundHalfEven(std::clamp(value, lo, hi)));
}

void ScrollBar::setValue(double value) {
  if (std::isnan(value)) return;
  Integer v = clamp(value);
  if (v == value_) return;
  value_ = v;
  if (onChange) onChange();
}

void ScrollBar::setMin(Integer min) {
  min_ = min;
  setValue(value_);
}

void ScrollBar::setMax(Integer max) {
  max_ = max;
  setValue(value_);
}

void ScrollBar::userMove(Integer value) {
  postUserAction([this, value] { setValue(value); });
}

// ---- OptionButton ---------------------------------------------------------------------------------------------
OptionButton::OptionButton(Form& form, std::string name, std::string caption, Frame* frame)
    : Control(form, ControlKind::OptionButton, std::move(name), frame), caption_(std::move(caption)) {}

void OptionButton::setValue(bool value) {
  if (!value) {
    value_ = false;
    return;
  }
  if (group)
    for (OptionButton* other : *group)
      if (other != this) other->value_ = false;
  value_ = true;
  if (onClick) onClick();
}

void OptionButton::userClick() {
  postUserAction([this] { setValue(true); });
}

// ---- CheckBox -------------------------------------------------------------------------------------------------
CheckBox::CheckBox(Form& form, std::string name, std::string caption, Frame* frame)
    : Control(form, ControlKind::CheckBox, std::move(name), frame), caption_(std::move(caption)) {}

void CheckBox::setValue(Integer value) {
  Integer v = value != 0 ? 1 : 0;
  if (v == value_) return;
  value_ = v;
  if (onClick) onClick();
}

void CheckBox::userClick() {
  postUserAction([this] { setValue(value_ ? 0 : 1); });
}

// ---- ComboBox -------------------------------------------------------------------------------------------------
ComboBox::ComboBox(Form& form, std::string name, std::string label, Style style, std::vector<std::string> items,
                   std::string text, Frame* frame)
    : Control(form, ControlKind::ComboBox, std::move(name), frame),
      label_(std::move(label)),
      style_(style),
      items_(std::move(items)),
      text_(style == Style::DropDownCombo ? std::move(text) : std::string()) {}

const std::string& ComboBox::list(Integer index) const {
  if (index < 0 || index >= listCount()) vbRaise(kInvalidPropertyIndex, "Invalid property array index");
  return items_[static_cast<size_t>(index)];
}

void ComboBox::addItem(const std::string& item) { items_.push_back(item); }

void ComboBox::clear() {
  items_.clear();
  listIndex_ = -1;
  text_.clear();
}

void ComboBox::setListIndex(Integer index) {
  if (index < -1 || index >= listCount()) vbRaise(kInvalidPropertyValue, "Invalid property value");
  listIndex_ = index;
  text_ = index >= 0 ? items_[static_cast<size_t>(index)] : std::string();
  if (onClick) onClick();
}

void ComboBox::setText(const std::string& text) {
  Integer match = -1;
  for (size_t i = 0; i < items_.size(); ++i)
    if (sameIgnoringCase(items_[i], text)) {
      match = static_cast<Integer>(i);
      break;
    }
  if (style_ == Style::DropDownList) {
    if (match < 0) vbRaise(kPropertyReadOnly, "'Text' property is read-only");
    setListIndex(match);
    return;
  }
  if (text == text_) return;
  text_ = text;
  listIndex_ = match;
  if (onChange) onChange();
}

void ComboBox::userChoose(Integer index) {
  postUserAction([this, index] {
    if (index >= -1 && index < listCount()) setListIndex(index);
  });
}

void ComboBox::userType(std::string text) {
  postUserAction([this, text = std::move(text)] {
    if (style_ == Style::DropDownCombo) setText(text);
  });
}

Frame::Frame(Form& form, std::string name, std::string caption, Frame* frame)
    : Control(form, ControlKind::Frame, std::move(name), frame), caption_(std::move(caption)) {}

// ---- Form -----------------------------------------------------------------------------------------------------
Form::Form(std::string caption) : caption_(std::move(caption)) { formList().push_back(this); }

Form::~Form() {
  dropFormActions(*this);
  std::erase(formList(), this);
  closeToolWindow(tool_);
  tool_ = nullptr;
}

void Form::setCaption(const std::string& caption) {
  caption_ = caption;
  if (tool_) setToolWindowCaption(*tool_, caption_);
}

void Form::load() {
  if (loaded_) return;
  loaded_ = true;
  if (onLoad) onLoad();
}

void Form::show() {
  load();
  visible_ = true;
  if (!tool_) tool_ = openToolWindow(*this);
  if (tool_) showToolWindow(*tool_, true);
}

void Form::hide() {
  visible_ = false;
  if (tool_) showToolWindow(*tool_, false);
}

void Form::setFocus() {
  show();
  if (tool_) raiseToolWindow(*tool_);
}

void Form::registerControl(Control& control) { controls_.push_back(&control); }
void Form::unregisterControl(Control& control) { std::erase(controls_, &control); }

Control* Form::findControl(const std::string& name) const {
  for (Control* c : controls_)
    if (c->name() == name) return c;
  return nullptr;
}

bool Form::takesUserInput(const Control& control) const {
  if (!visible_) return false;
  for (const Control* c = &control; c; c = c->container())
    if (!c->visible() || !c->enabled()) return false;
  return true;
}

bool Form::clickForTests(const std::string& name) {
  Control* c = findControl(name);
  if (!c || !takesUserInput(*c)) return false;
  switch (c->kind()) {
    case ControlKind::CommandButton: static_cast<CommandButton*>(c)->userClick(); return true;
    case ControlKind::OptionButton: static_cast<OptionButton*>(c)->userClick(); return true;
    case ControlKind::CheckBox: static_cast<CheckBox*>(c)->userClick(); return true;
    default: return false;
  }
}

bool Form::typeForTests(const std::string& name, const std::string& text) {
  Control* c = findControl(name);
  if (!c || !takesUserInput(*c)) return false;
  if (c->kind() == ControlKind::TextBox && !static_cast<TextBox*>(c)->locked) {
    static_cast<TextBox*>(c)->userType(text);
    return true;
  }
  if (c->kind() == ControlKind::ComboBox && static_cast<ComboBox*>(c)->style() == ComboBox::Style::DropDownCombo) {
    static_cast<ComboBox*>(c)->userType(text);
    return true;
  }
  return false;
}

bool Form::chooseForTests(const std::string& name, Integer value) {
  Control* c = findControl(name);
  if (!c || !takesUserInput(*c)) return false;
  if (c->kind() == ControlKind::ScrollBar) {
    static_cast<ScrollBar*>(c)->userMove(value);
    return true;
  }
  if (c->kind() == ControlKind::ComboBox) {
    auto* combo = static_cast<ComboBox*>(c);
    if (value < 0 || value >= combo->listCount()) return false;
    combo->userChoose(value);
    return true;
  }
  return false;
}

uint32_t Form::toolWindowId() const { return tool_ ? toolWindowNativeId(*tool_) : 0; }

void Form::captureNextFrameForTests() {
  if (tool_) requestToolWindowCapture(*tool_);
}

bool Form::capturedFrameForTests(std::vector<uint32_t>& argb, int32_t& width, int32_t& height) const {
  return tool_ && toolWindowCapture(*tool_, argb, width, height);
}
