// Tool windows: each shown form is a second SDL window with its own OpenGL 3.3 core context and
// its own Dear ImGui context, drawn once per doEvents. Also the ImGui drawing of every control.
//
// Provides: opening/closing/showing a form's window, routing the window system's events of a
// tool window to its ImGui context (so keys typed there never reach the game window), one ImGui
// frame per yield, and the restoration of the GL context (and ImGui context) that was current
// before, so the game device keeps drawing where it did. The platform glue to ImGui is our own
// (events feed io directly): the stock SDL backend would show the system cursor and release the
// mouse capture every frame, which would fight the game window's hidden cursor and its held
// buttons. The renderer is ImGui's OpenGL3 backend from the imgui package.
// Limits: a form lays its controls out automatically; the window is made at the size of its
// contents when the form is first shown. A failure to open a window (no GL context) is reported once on stderr and
// leaves every form headless for the rest of the run.
// Depends on: SDL2 (video, events), OpenGL 3.3 core, Dear ImGui 1.86 with its OpenGL3 backend.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <cstdlib>

#include "backends/imgui_impl_opengl3.h"
#include "imgui.h"
#include "imgui_stdlib.h"
#include "platform/Forms.h"
#include "platform/FormsBackend.h"

struct ToolWindow {
  Form* form = nullptr;
  SDL_Window* window = nullptr;
  SDL_GLContext gl = nullptr;
  ImGuiContext* imgui = nullptr;
  bool rendererUp = false;
  uint64_t lastCounter = 0;
  bool mouseDown[3] = {false, false, false};
  bool mousePressed[3] = {false, false, false};  // a press seen since the last frame
  float mouseX = -FLT_MAX, mouseY = -FLT_MAX;
  bool captureRequested = false, captured = false;
  std::vector<uint32_t> capture;
  int32_t captureW = 0, captureH = 0;
};

namespace {
std::vector<ToolWindow*>& toolWindows() {
  static auto* list = new std::vector<ToolWindow*>();
  return *list;
}

bool g_unavailable = false;  // a window could not be opened: forms stay headless
bool g_exiting = false;      // the program is ending: leave the windows to the system

constexpr int kInitialWidth = 420, kInitialHeight = 320;
constexpr float kDefaultEditWidth = 160, kDefaultBarWidth = 200;
constexpr int kWrapLines = 3;  // lines a wrapping label (an editor's status) keeps room for

// Makes the tool window's GL and ImGui contexts current for a scope, then the previous ones.
class ToolScope {
 public:
  explicit ToolScope(ToolWindow& tool)
      : prevGl_(SDL_GL_GetCurrentContext()), prevWindow_(SDL_GL_GetCurrentWindow()), prevImgui_(ImGui::GetCurrentContext()) {
    if (tool.gl) SDL_GL_MakeCurrent(tool.window, tool.gl);
    if (tool.imgui) ImGui::SetCurrentContext(tool.imgui);
  }
  ~ToolScope() {
    ImGui::SetCurrentContext(prevImgui_);
    if (prevGl_) SDL_GL_MakeCurrent(prevWindow_, prevGl_);
  }
  ToolScope(const ToolScope&) = delete;
  ToolScope& operator=(const ToolScope&) = delete;

 private:
  SDL_GLContext prevGl_;
  SDL_Window* prevWindow_;
  ImGuiContext* prevImgui_;
};

void setKeyMap(ImGuiIO& io) {
  io.KeyMap[ImGuiKey_Tab] = SDL_SCANCODE_TAB;
  io.KeyMap[ImGuiKey_LeftArrow] = SDL_SCANCODE_LEFT;
  io.KeyMap[ImGuiKey_RightArrow] = SDL_SCANCODE_RIGHT;
  io.KeyMap[ImGuiKey_UpArrow] = SDL_SCANCODE_UP;
  io.KeyMap[ImGuiKey_DownArrow] = SDL_SCANCODE_DOWN;
  io.KeyMap[ImGuiKey_PageUp] = SDL_SCANCODE_PAGEUP;
  io.KeyMap[ImGuiKey_PageDown] = SDL_SCANCODE_PAGEDOWN;
  io.KeyMap[ImGuiKey_Home] = SDL_SCANCODE_HOME;
  io.KeyMap[ImGuiKey_End] = SDL_SCANCODE_END;
  io.KeyMap[ImGuiKey_Insert] = SDL_SCANCODE_INSERT;
  io.KeyMap[ImGuiKey_Delete] = SDL_SCANCODE_DELETE;
  io.KeyMap[ImGuiKey_Backspace] = SDL_SCANCODE_BACKSPACE;
  io.KeyMap[ImGuiKey_Space] = SDL_SCANCODE_SPACE;
  io.KeyMap[ImGuiKey_Enter] = SDL_SCANCODE_RETURN;
  io.KeyMap[ImGuiKey_Escape] = SDL_SCANCODE_ESCAPE;
  io.KeyMap[ImGuiKey_KeyPadEnter] = SDL_SCANCODE_KP_ENTER;
  io.KeyMap[ImGuiKey_A] = SDL_SCANCODE_A;
  io.KeyMap[ImGuiKey_C] = SDL_SCANCODE_C;
  io.KeyMap[ImGuiKey_V] = SDL_SCANCODE_V;
  io.KeyMap[ImGuiKey_X] = SDL_SCANCODE_X;
  io.KeyMap[ImGuiKey_Y] = SDL_SCANCODE_Y;
  io.KeyMap[ImGuiKey_Z] = SDL_SCANCODE_Z;
}

const char* clipboardText(void*) {
  static char* text = nullptr;
  if (text) SDL_free(text);
  text = SDL_GetClipboardText();
  return text;
}
void setClipboardText(void*, const char* text) { SDL_SetClipboardText(text); }

void unavailable(const std::string& why) {
  if (!g_unavailable) std::fprintf(stderr, "Tool windows are not available (%s); forms run without them.\n", why.c_str());
  g_unavailable = true;
}

void destroyNative(ToolWindow& tool) {
  if (tool.rendererUp) {
    ToolScope scope(tool);
    ImGui_ImplOpenGL3_Shutdown();
    tool.rendererUp = false;
  }
  if (tool.imgui) {
    ImGuiContext* current = ImGui::GetCurrentContext();
    ImGui::DestroyContext(tool.imgui);
    if (current != tool.imgui) ImGui::SetCurrentContext(current);
    tool.imgui = nullptr;
  }
  if (tool.gl) {
    SDL_GLContext current = SDL_GL_GetCurrentContext();
    SDL_Window* currentWindow = SDL_GL_GetCurrentWindow();
    SDL_GL_DeleteContext(tool.gl);
    if (current == tool.gl)
      SDL_GL_MakeCurrent(nullptr, nullptr);
    else if (current)
      SDL_GL_MakeCurrent(currentWindow, current);
    tool.gl = nullptr;
  }
  if (tool.window) SDL_DestroyWindow(tool.window);
  tool.window = nullptr;
}

ToolWindow* toolOfWindowId(uint32_t id) {
  if (id == 0) return nullptr;
  for (ToolWindow* t : toolWindows())
    if (t->window && SDL_GetWindowID(t->window) == id) return t;
  return nullptr;
}

uint32_t windowIdOf(const SDL_Event& ev) {
  switch (ev.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: return ev.key.windowID;
    case SDL_TEXTINPUT: return ev.text.windowID;
    case SDL_TEXTEDITING: return ev.edit.windowID;
    case SDL_MOUSEMOTION: return ev.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return ev.button.windowID;
    case SDL_MOUSEWHEEL: return ev.wheel.windowID;
    case SDL_WINDOWEVENT: return ev.window.windowID;
    default: return 0;
  }
}

int mouseIndex(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    default: return -1;
  }
}

void feed(ToolWindow& tool, const SDL_Event& ev) {
  ImGuiContext* previous = ImGui::GetCurrentContext();
  ImGui::SetCurrentContext(tool.imgui);
  ImGuiIO& io = ImGui::GetIO();
  switch (ev.type) {
    case SDL_MOUSEMOTION:
      tool.mouseX = static_cast<float>(ev.motion.x);
      tool.mouseY = static_cast<float>(ev.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      tool.mouseX = static_cast<float>(ev.button.x);
      tool.mouseY = static_cast<float>(ev.button.y);
      int i = mouseIndex(ev.button.button);
      if (i >= 0) {
        tool.mouseDown[i] = ev.type == SDL_MOUSEBUTTONDOWN;
        if (tool.mouseDown[i]) tool.mousePressed[i] = true;
      }
      break;
    }
    case SDL_MOUSEWHEEL:
      if (ev.wheel.y > 0) io.MouseWheel += 1;
      if (ev.wheel.y < 0) io.MouseWheel -= 1;
      if (ev.wheel.x > 0) io.MouseWheelH += 1;
      if (ev.wheel.x < 0) io.MouseWheelH -= 1;
      break;
    case SDL_TEXTINPUT:
      io.AddInputCharactersUTF8(ev.text.text);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      int key = ev.key.keysym.scancode;
      if (key >= 0 && key < IM_ARRAYSIZE(io.KeysDown)) io.KeysDown[key] = ev.type == SDL_KEYDOWN;
      Uint16 mod = ev.key.keysym.mod;
      io.KeyShift = (mod & KMOD_SHIFT) != 0;
      io.KeyCtrl = (mod & KMOD_CTRL) != 0;
      io.KeyAlt = (mod & KMOD_ALT) != 0;
      io.KeySuper = (mod & KMOD_GUI) != 0;
      break;
    }
    case SDL_WINDOWEVENT:
      if (ev.window.event == SDL_WINDOWEVENT_LEAVE) {
        tool.mouseX = tool.mouseY = -FLT_MAX;
      } else if (ev.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        io.AddFocusEvent(true);
      } else if (ev.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        io.AddFocusEvent(false);
      }
      break;
    default:
      break;
  }
  ImGui::SetCurrentContext(previous);
}

// ---- drawing the controls ----------------------------------------------------------------------------
void drawControls(Form& form, const Frame* frame);

void labelBefore(const std::string& label) {
  if (label.empty()) return;
  ImGui::AlignTextToFramePadding();
  ImGui::TextUnformatted(label.c_str());
  ImGui::SameLine();
}

void drawOne(Control& c, bool firstInGroup) {
  if (!c.visible()) return;
  if (!firstInGroup && c.rowLabel.empty() && c.sameLine) ImGui::SameLine();
  if (!c.rowLabel.empty()) labelBefore(c.rowLabel);
  bool disabled = !c.enabled();
  if (disabled) ImGui::BeginDisabled();
  ImGui::PushID(&c);
  ImGui::BeginGroup();
  c.draw();
  ImGui::EndGroup();
  ImGui::PopID();
  ImVec2 lo = ImGui::GetItemRectMin(), hi = ImGui::GetItemRectMax();
  c.setDrawnRect(ControlRect{lo.x, lo.y, hi.x, hi.y});
  if (disabled) ImGui::EndDisabled();
}

void drawControls(Form& form, const Frame* frame) {
  bool first = true;
  for (Control* c : form.controls()) {  // drawing adds and removes no controls
    if (c->container() != frame) continue;
    drawOne(*c, first);
    if (c->visible()) first = false;
  }
}

float widthOr(float width, float fallback) { return width > 0 ? width : fallback; }

void drawForm(ToolWindow& tool) {
  ImGuiIO& io = ImGui::GetIO();
  ImGui::SetNextWindowPos(ImVec2(0, 0));
  ImGui::SetNextWindowSize(io.DisplaySize);
  ImGui::Begin("##form", nullptr,
               ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                   ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
                   ImGuiWindowFlags_NoBringToFrontOnFocus | ImGuiWindowFlags_HorizontalScrollbar);
  drawControls(*tool.form, nullptr);
  ImGui::End();
}

// The window size that shows every control: one layout pass of the form in the tool's ImGui
// context (current), before the window exists, measured by the controls' drawn rectangles.
void measureForm(ToolWindow& tool, int& width, int& height) {
  ImGuiIO& io = ImGui::GetIO();
  io.Fonts->Build();
  io.DisplaySize = ImVec2(1400, 1000);
  io.DeltaTime = 1.0f / 60.0f;
  ImGui::NewFrame();
  drawForm(tool);
  ImGui::EndFrame();
  float right = 0, bottom = 0;
  for (Control* c : tool.form->controls()) {
    if (!c->visible()) continue;
    right = std::max(right, c->drawnRect().right);
    bottom = std::max(bottom, c->drawnRect().bottom);
  }
  ImVec2 pad = ImGui::GetStyle().WindowPadding;
  width = std::clamp(static_cast<int>(right + pad.x + 4), 200, 1400);
  height = std::clamp(static_cast<int>(bottom + pad.y + 4), 80, 1000);
}

void drawFrame(ToolWindow& tool) {
  ToolScope scope(tool);
  ImGuiIO& io = ImGui::GetIO();
  int w = 0, h = 0, fbw = 0, fbh = 0;
  SDL_GetWindowSize(tool.window, &w, &h);
  SDL_GL_GetDrawableSize(tool.window, &fbw, &fbh);
  io.DisplaySize = ImVec2(static_cast<float>(w), static_cast<float>(h));
  if (w > 0 && h > 0) io.DisplayFramebufferScale = ImVec2(float(fbw) / float(w), float(fbh) / float(h));
  uint64_t now = SDL_GetPerformanceCounter();
  double dt = tool.lastCounter ? double(now - tool.lastCounter) / double(SDL_GetPerformanceFrequency()) : 1.0 / 60.0;
  io.DeltaTime = static_cast<float>(std::max(dt, 1e-4));
  tool.lastCounter = now;
  io.MousePos = ImVec2(tool.mouseX, tool.mouseY);
  for (int i = 0; i < 3; ++i) {
    io.MouseDown[i] = tool.mouseDown[i] || tool.mousePressed[i];
    tool.mousePressed[i] = false;
  }

  ImGui_ImplOpenGL3_NewFrame();
  ImGui::NewFrame();
  drawForm(tool);
  ImGui::Render();

  glViewport(0, 0, fbw, fbh);
  ImVec4 bg = ImGui::GetStyle().Colors[ImGuiCol_WindowBg];
  glClearColor(bg.x, bg.y, bg.z, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
  if (tool.captureRequested && fbw > 0 && fbh > 0) {
    std::vector<uint8_t> rgba(static_cast<size_t>(fbw) * fbh * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, fbw, fbh, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    tool.capture.assign(static_cast<size_t>(fbw) * fbh, 0);
    for (int y = 0; y < fbh; ++y)
      for (int x = 0; x < fbw; ++x) {
        const uint8_t* p = &rgba[(static_cast<size_t>(fbh - 1 - y) * fbw + x) * 4];
        tool.capture[static_cast<size_t>(y) * fbw + x] =
            (uint32_t(p[3]) << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | uint32_t(p[2]);
      }
    tool.captureW = fbw;
    tool.captureH = fbh;
    tool.captured = true;
    tool.captureRequested = false;
  }
  SDL_GL_SwapWindow(tool.window);
}
// A new tool window of width x height goes beside the game window (the window whose GL context
// is current): to its right where the display has room, else to its left; otherwise the window
// system places it.
void besideGameWindow(SDL_Window* game, int width, int height, int& left, int& top) {
  if (!game) return;
  int gx = 0, gy = 0, gw = 0, gh = 0;
  SDL_GetWindowPosition(game, &gx, &gy);
  SDL_GetWindowSize(game, &gw, &gh);
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(std::max(SDL_GetWindowDisplayIndex(game), 0), &usable) != 0) return;
  const int y = std::clamp(gy, usable.y, std::max(usable.y, usable.y + usable.h - height));
  if (gx + gw + width <= usable.x + usable.w) {
    left = gx + gw;
    top = y;
  } else if (gx - width >= usable.x) {
    left = gx - width;
    top = y;
  }
}
}  // namespace

// ---- the calls of FormsBackend.h ---------------------------------------------------------------------------
ToolWindow* openToolWindow(Form& form) {
  if (g_unavailable || !gameWindowRealized() || SDL_WasInit(SDL_INIT_VIDEO) == 0) return nullptr;
  static bool exitHookSet = false;
  if (!exitHookSet) {
    std::atexit([] { g_exiting = true; });  // runs before the destructors of forms made earlier
    exitHookSet = true;
  }
  SDL_GLContext prevGl = SDL_GL_GetCurrentContext();
  SDL_Window* prevWindow = SDL_GL_GetCurrentWindow();
  ImGuiContext* prevImgui = ImGui::GetCurrentContext();
  auto tool = std::make_unique<ToolWindow>();
  tool->form = &form;

  // The ImGui context first: its layout pass sizes the window (some window systems, such as the
  // offscreen one, never resize a GL surface once made).
  tool->imgui = ImGui::CreateContext();
  ImGui::SetCurrentContext(tool->imgui);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;
  io.LogFilename = nullptr;
  io.BackendPlatformName = "quorvex_tool_window";
  io.SetClipboardTextFn = setClipboardText;
  io.GetClipboardTextFn = clipboardText;
  setKeyMap(io);
  ImGui::StyleColorsLight();
  int width = kInitialWidth, height = kInitialHeight;
  measureForm(*tool, width, height);
  ImGui::SetCurrentContext(prevImgui);

  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  int left = SDL_WINDOWPOS_UNDEFINED, top = SDL_WINDOWPOS_UNDEFINED;
  besideGameWindow(prevWindow, width, height, left, top);
  tool->window = SDL_CreateWindow(form.caption().c_str(), left, top, width, height,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (!tool->window) {
    unavailable(std::string("window: ") + SDL_GetError());
    destroyNative(*tool);
    return nullptr;
  }
  tool->gl = SDL_GL_CreateContext(tool->window);
  if (!tool->gl) {
    unavailable(std::string("OpenGL context: ") + SDL_GetError());
    destroyNative(*tool);
    if (prevGl) SDL_GL_MakeCurrent(prevWindow, prevGl);
    return nullptr;
  }
  SDL_GL_MakeCurrent(tool->window, tool->gl);
  SDL_GL_SetSwapInterval(0);  // never wait for the display: the game loop keeps its own time
  ImGui::SetCurrentContext(tool->imgui);
  bool rendererOk = ImGui_ImplOpenGL3_Init("#version 330 core");
  ImGui::SetCurrentContext(prevImgui);
  if (prevGl) SDL_GL_MakeCurrent(prevWindow, prevGl);
  if (!rendererOk) {
    unavailable("the ImGui OpenGL3 renderer did not start");
    destroyNative(*tool);
    return nullptr;
  }
  tool->rendererUp = true;
  toolWindows().push_back(tool.get());
  return tool.release();
}

void closeToolWindow(ToolWindow* tool) {
  if (!tool) return;
  std::erase(toolWindows(), tool);
  // At the end of the program (or after the window system went away) the windows are left to the
  // system: a dead display connection would never answer.
  if (!g_exiting && SDL_WasInit(SDL_INIT_VIDEO)) destroyNative(*tool);
  delete tool;
}

void showToolWindow(ToolWindow& tool, bool shown) {
  if (shown)
    SDL_ShowWindow(tool.window);
  else
    SDL_HideWindow(tool.window);
}

void raiseToolWindow(ToolWindow& tool) { SDL_RaiseWindow(tool.window); }

void setToolWindowCaption(ToolWindow& tool, const std::string& caption) {
  SDL_SetWindowTitle(tool.window, caption.c_str());
}

uint32_t toolWindowNativeId(const ToolWindow& tool) { return tool.window ? SDL_GetWindowID(tool.window) : 0; }

void requestToolWindowCapture(ToolWindow& tool) { tool.captureRequested = true; }

bool toolWindowCapture(const ToolWindow& tool, std::vector<uint32_t>& argb, int32_t& width, int32_t& height) {
  if (!tool.captured) return false;
  argb = tool.capture;
  width = tool.captureW;
  height = tool.captureH;
  return true;
}

bool routeToolWindowEvent(const void* sdlEvent) {
  const auto& ev = *static_cast<const SDL_Event*>(sdlEvent);
  ToolWindow* tool = toolOfWindowId(windowIdOf(ev));
  if (!tool) return false;
  if (ev.type == SDL_WINDOWEVENT && ev.window.event == SDL_WINDOWEVENT_CLOSE) {
    tool->form->hide();
    return true;
  }
  feed(*tool, ev);
  return true;
}

void runToolWindows() {
  // By index over the live list (no copy each frame): a form made or dropped meanwhile is seen
  // at once.
  const std::vector<Form*>& forms = allForms();
  for (size_t i = 0; i < forms.size(); ++i) {
    Form* form = forms[i];
    if (!form->visible()) continue;
    if (!form->toolWindow()) {
      ToolWindow* tool = openToolWindow(*form);
      if (!tool) continue;
      form->setToolWindow(tool);
      showToolWindow(*tool, true);
    }
    drawFrame(*form->toolWindow());
  }
  runFormActions();
}

// ---- the controls' drawing --------------------------------------------------------------------------------
void CommandButton::draw() {
  if (ImGui::Button((caption() + "###button").c_str())) userClick();
}

void Label::draw() {
  ImGui::AlignTextToFramePadding();
  // The visible right edge: the window's work area widens with controls wider than the window.
  if (!wrap) {
    ImGui::TextUnformatted(caption().c_str());
    return;
  }
  const float top = ImGui::GetCursorPosY();
  ImGui::PushTextWrapPos(ImGui::GetWindowContentRegionMax().x);
  ImGui::TextUnformatted(caption().c_str());
  ImGui::PopTextWrapPos();
  // A wrapping label keeps room for kWrapLines lines: the window, sized by its first layout while
  // the label may still be empty, then shows a later caption of that many lines without scrolling.
  const float room = kWrapLines * ImGui::GetTextLineHeightWithSpacing();
  const float used = ImGui::GetCursorPosY() - top;
  if (used < room) ImGui::Dummy(ImVec2(0, room - used));
}

void TextBox::draw() {
  labelBefore(label());
  ImGui::SetNextItemWidth(widthOr(editWidth, kDefaultEditWidth));
  std::string edited = text();
  if (ImGui::InputText("##text", &edited, locked ? ImGuiInputTextFlags_ReadOnly : 0) && !locked) userType(edited);
}

void ScrollBar::draw() {
  labelBefore(label());
  int v = value(), lo = std::min(min(), max()), hi = std::max(min(), max());
  int step = std::max(1, std::abs(int(largeChange())));
  // Steps move toward Max for the right/down buttons even when Min is the larger end.
  int toward = max() >= min() ? 1 : -1;
  auto move = [&](int by) { userMove(static_cast<Integer>(std::clamp(v + by * toward, lo, hi))); };
  if (orientation() == Orientation::Horizontal) {
    if (ImGui::Button("<<")) move(-step);
    ImGui::SameLine(0, 2);
    if (ImGui::ArrowButton("##less", ImGuiDir_Left)) move(-1);
    ImGui::SameLine(0, 2);
    ImGui::SetNextItemWidth(widthOr(editWidth, kDefaultBarWidth));
    int moved = v;
    if (ImGui::SliderInt("##bar", &moved, min(), max())) userMove(static_cast<Integer>(std::clamp(moved, lo, hi)));
    ImGui::SameLine(0, 2);
    if (ImGui::ArrowButton("##more", ImGuiDir_Right)) move(1);
    ImGui::SameLine(0, 2);
    if (ImGui::Button(">>")) move(step);
  } else {
    if (ImGui::ArrowButton("##less", ImGuiDir_Up)) move(-1);
    int moved = v;
    // Min at the top, as the window system's vertical bars.
    if (ImGui::VSliderInt("##bar", ImVec2(22, widthOr(editWidth, kDefaultEditWidth)), &moved, max(), min()))
      userMove(static_cast<Integer>(std::clamp(moved, lo, hi)));
    if (ImGui::ArrowButton("##more", ImGuiDir_Down)) move(1);
  }
}

void OptionButton::draw() {
  if (ImGui::RadioButton((caption() + "###option").c_str(), value())) userClick();
}

void CheckBox::draw() {
  bool checked = value() != 0;
  if (ImGui::Checkbox((caption() + "###check").c_str(), &checked)) userClick();
}

void ComboBox::draw() {
  labelBefore(label());
  auto listEntries = [this] {
    for (Integer i = 0; i < listCount(); ++i) {
      ImGui::PushID(i);
      if (ImGui::Selectable(list(i).c_str(), i == listIndex())) userChoose(i);
      ImGui::PopID();
    }
  };
  if (style() == Style::DropDownList) {
    ImGui::SetNextItemWidth(widthOr(editWidth, kDefaultEditWidth));
    if (ImGui::BeginCombo("##list", text().c_str())) {
      listEntries();
      ImGui::EndCombo();
    }
    return;
  }
  ImGui::SetNextItemWidth(widthOr(editWidth, kDefaultEditWidth));
  std::string edited = text();
  if (ImGui::InputText("##text", &edited)) userType(edited);
  ImGui::SameLine(0, 0);
  if (ImGui::BeginCombo("##list", nullptr, ImGuiComboFlags_NoPreview)) {
    listEntries();
    ImGui::EndCombo();
  }
}

void Frame::draw() {
  ImGui::BeginGroup();
  ImGui::TextUnformatted(caption().c_str());
  ImGui::Indent(8);
  drawControls(form(), this);
  ImGui::Unindent(8);
  ImGui::EndGroup();
  ImVec2 lo = ImGui::GetItemRectMin(), hi = ImGui::GetItemRectMax();
  ImGui::GetWindowDrawList()->AddRect(ImVec2(lo.x - 3, lo.y - 2), ImVec2(hi.x + 3, hi.y + 2),
                                      ImGui::GetColorU32(ImGuiCol_Border));
}

// ---- the tool window's scripted events (tests) --------------------------------------------------------
namespace {
void pushEvent(SDL_Event& ev) { SDL_PushEvent(&ev); }
}  // namespace

void Form::pushToolWindowMouseForTests(bool down, float x, float y) {
  uint32_t id = toolWindowId();
  if (!id) return;
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.windowID = id;
  motion.motion.x = static_cast<Sint32>(x);
  motion.motion.y = static_cast<Sint32>(y);
  pushEvent(motion);
  SDL_Event button{};
  button.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  button.button.windowID = id;
  button.button.button = SDL_BUTTON_LEFT;
  button.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  button.button.clicks = 1;
  button.button.x = static_cast<Sint32>(x);
  button.button.y = static_cast<Sint32>(y);
  pushEvent(button);
}

void Form::pushToolWindowTextForTests(const std::string& utf8) {
  uint32_t id = toolWindowId();
  if (!id) return;
  SDL_Event ev{};
  ev.type = SDL_TEXTINPUT;
  ev.text.windowID = id;
  std::snprintf(ev.text.text, sizeof ev.text.text, "%s", utf8.c_str());
  pushEvent(ev);
}

void Form::pushToolWindowKeyForTests(const std::string& keyName, bool down) {
  uint32_t id = toolWindowId();
  if (!id) return;
  SDL_Event ev{};
  ev.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  ev.key.windowID = id;
  ev.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  ev.key.keysym.sym = SDL_GetKeyFromName(keyName.c_str());
  ev.key.keysym.scancode = SDL_GetScancodeFromKey(ev.key.keysym.sym);
  pushEvent(ev);
}

void Form::pushToolWindowCloseForTests() {
  uint32_t id = toolWindowId();
  if (!id) return;
  SDL_Event ev{};
  ev.type = SDL_WINDOWEVENT;
  ev.window.windowID = id;
  ev.window.event = SDL_WINDOWEVENT_CLOSE;
  pushEvent(ev);
}
