// The main window over SDL2 (windows, events, keyboard, mouse, cursor) with a queue of window
// events that doEvents delivers. Without a realized window everything runs on the layer's own
// state (sizes, positions, the virtual cursor, the queue), so the recording device and scripted
// tests need no display. Depends on SDL2 (video and events subsystems).
#include "platform/Window.h"

#include <SDL2/SDL.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "platform/Direct3D.h"
#include "platform/DeviceBackend.h"
#include "platform/FormsBackend.h"

namespace {
constexpr Long kCaptionPixels = 25;  // outer height = client height + the caption

// The registry and the event queue are made on first use and never destroyed: windows held by
// other modules' globals may be made before this module's statics and outlive them.
std::map<HWND, GameWindow*>& windowRegistry() {
  static auto* registry = new std::map<HWND, GameWindow*>();
  return *registry;
}
std::deque<std::pair<HWND, WindowEvent>>& eventQueue() {
  static auto* queue = new std::deque<std::pair<HWND, WindowEvent>>();
  return *queue;
}
HWND g_nextHandle = 1;

Long g_dpiX = 96, g_dpiY = 96;
int32_t g_cursorCount = 0;
double g_cursorX = 0, g_cursorY = 0;  // virtual cursor, screen pixels
bool g_relativeMode = false;
std::function<void(const std::string&, Long, const std::string&)> g_msgBoxHook;

bool videoUp() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

// Drivers that have no screen: SDL falls back to them when no display answers.
bool screenlessDriver(const char* driver) {
  if (!driver) return true;
  const std::string d = driver;
  return d == "offscreen" || d == "dummy" || d == "evdev";
}

// The user named a video driver (SDL_VIDEODRIVER): whatever it is, it is what they want.
bool driverNamed() {
  const char* named = SDL_getenv("SDL_VIDEODRIVER");
  return named && *named;
}

volatile std::sig_atomic_t g_terminationRequested = 0;
void noteTermination(int) { g_terminationRequested = 1; }

// "there is no display to open a window on (...)" with the displays named and what became of them.
std::string noDisplayText(const std::string& fate) {
  std::string why;
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
    if (const char* value = SDL_getenv(name); value && *value)
      why += std::string(why.empty() ? "" : ", ") + name + "=" + value;
  why = why.empty() ? "neither DISPLAY nor WAYLAND_DISPLAY is set" : why + " " + fate;
  return "there is no display to open a window on (" + why +
         "); to run without one, name a video driver, e.g. SDL_VIDEODRIVER=offscreen";
}

// Watches the window system's connection while it is made on the calling thread, which a display
// that never answers holds for ever: past DisplayAnswerSeconds the program ends with the
// no-display message (status 1), on a termination request at once (status 0).
class ConnectionWatch {
 public:
  ConnectionWatch() : thread_([this] { watch(); }) {}
  ~ConnectionWatch() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  ConnectionWatch(const ConnectionWatch&) = delete;
  ConnectionWatch& operator=(const ConnectionWatch&) = delete;

 private:
  void watch() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(DisplayAnswerSeconds);
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done_) {
      if (g_terminationRequested) ::_exit(0);
      if (std::chrono::steady_clock::now() >= deadline) {
        const std::string text = noDisplayText("did not answer within " + std::to_string(DisplayAnswerSeconds) + " s");
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
        ::_exit(1);
      }
      wake_.wait_for(lock, std::chrono::milliseconds(50));
    }
  }
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::thread thread_;
};

bool initVideo() {
  if (videoUp()) return true;
  bool up = false;
  {
    ConnectionWatch watch;
    up = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  }
  if (!up) {
    reportFailure(D3DERR_NOTAVAILABLE, std::string("the window system is not available: ") + SDL_GetError());
    return false;
  }
  if (!driverNamed() && screenlessDriver(SDL_GetCurrentVideoDriver())) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    reportFailure(D3DERR_NOTAVAILABLE, noDisplayText("did not answer"));
    return false;
  }
  // X11's relative mode reads raw device motion, which pointers driven through the server (XTest,
  // remote desktops) never produce: there the pointer is warped to the window's centre instead and
  // its ordinary motion read. SDL captures the pointer while a button is held (also outside the
  // window), so the release always arrives.
  if (const char* driver = SDL_GetCurrentVideoDriver(); driver && std::string(driver) == "x11")
    SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_MODE_WARP, "1");
  SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "1");
  SDL_StartTextInput();
  return true;
}

// The window system can place the real pointer anywhere (X11 and the like; not Wayland or offscreen).
bool realPointer() {
  if (!videoUp()) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver) return false;
  std::string d = driver;
  return d == "x11" || d == "windows" || d == "cocoa";
}

// The layer's own conversions fall back to 96 dpi when a test configures a useless value.
Long usableDpi(Long dpi) { return dpi > 0 ? dpi : 96; }
Long pixelsFromTwips(Long twips, Long dpi) {
  return static_cast<Long>(std::lround(static_cast<double>(twips) * usableDpi(dpi) / 1440.0));
}
Long twipsFromPixels(Long pixels, Long dpi) {
  return static_cast<Long>(std::lround(static_cast<double>(pixels) * 1440.0 / usableDpi(dpi)));
}

GameWindow* windowOfNativeId(uint32_t id) {
  for (auto& [handle, window] : windowRegistry())
    if (window->nativeId() == id) return window;
  // Events of no window (id 0) go to the main window; those of other windows are not ours.
  if (id != 0) return nullptr;
  return windowRegistry().empty() ? nullptr : windowRegistry().begin()->second;
}

void applyCursorMode() {
  bool hidden = g_cursorCount < 0;
  if (!videoUp()) return;
  SDL_ShowCursor(hidden ? SDL_DISABLE : SDL_ENABLE);
  bool wantRelative = hidden && !windowRegistry().empty();
  if (wantRelative != g_relativeMode) {
    // Drivers without relative mode (offscreen) still report motion offsets.
    if (SDL_SetRelativeMouseMode(wantRelative ? SDL_TRUE : SDL_FALSE) == 0) g_relativeMode = wantRelative;
  }
}
}  // namespace

// Desktop size for the adapter's display mode (Direct3D.cpp).
void desktopSize(int32_t& width, int32_t& height) {
  width = 1024;
  height = 768;
  if (deviceBackend() != DeviceBackendKind::OpenGL || !initVideo()) return;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
    width = mode.w;
    height = mode.h;
  }
}

// ---- GameWindow ----------------------------------------------------------------------------------------
GameWindow::GameWindow() : handle_(g_nextHandle++) { windowRegistry()[handle_] = this; }

GameWindow::~GameWindow() {
  windowRegistry().erase(handle_);
  std::erase_if(eventQueue(), [this](const auto& item) { return item.first == handle_; });
  if (native_) {
    if (g_relativeMode && windowRegistry().empty()) {
      SDL_SetRelativeMouseMode(SDL_FALSE);
      g_relativeMode = false;
    }
    releaseNativeWindow(native_);
  }
}

Long GameWindow::width() const { return outerWTwips_; }
Long GameWindow::height() const { return outerHTwips_; }

void GameWindow::setWidth(Long twips) {
  outerWTwips_ = std::max<Long>(0, twips);
  updateClientFromOuter();
}

void GameWindow::setHeight(Long twips) {
  outerHTwips_ = std::max<Long>(0, twips);
  updateClientFromOuter();
}

void GameWindow::updateClientFromOuter() {
  if (fullScreen_) return;
  clientW_ = std::max<Long>(0, pixelsFromTwips(outerWTwips_, g_dpiX));
  clientH_ = std::max<Long>(0, pixelsFromTwips(outerHTwips_, g_dpiY) - kCaptionPixels);
  if (native_ && clientW_ > 0 && clientH_ > 0) SDL_SetWindowSize(static_cast<SDL_Window*>(native_), clientW_, clientH_);
}

Long GameWindow::left() const { return leftTwips_; }
Long GameWindow::top() const { return topTwips_; }

void GameWindow::move(Long leftTwips, Long topTwips) {
  leftTwips_ = leftTwips;
  topTwips_ = topTwips;
  if (native_ && !fullScreen_)
    SDL_SetWindowPosition(static_cast<SDL_Window*>(native_), pixelsFromTwips(leftTwips, g_dpiX),
                          pixelsFromTwips(topTwips, g_dpiY));
}

void GameWindow::trackPosition(Long leftPx, Long topPx) {
  leftTwips_ = twipsFromPixels(leftPx, g_dpiX);
  topTwips_ = twipsFromPixels(topPx, g_dpiY);
}

void GameWindow::setCaption(const std::string& text) {
  caption_ = text;
  if (native_) SDL_SetWindowTitle(static_cast<SDL_Window*>(native_), caption_.c_str());
}

void GameWindow::show() {
  visible_ = true;
  if (native_) SDL_ShowWindow(static_cast<SDL_Window*>(native_));
}

void GameWindow::hide() {
  visible_ = false;
  if (native_) SDL_HideWindow(static_cast<SDL_Window*>(native_));
}

void GameWindow::setFocus() {
  show();
  if (native_) SDL_RaiseWindow(static_cast<SDL_Window*>(native_));
}

bool GameWindow::realize(Long clientWidthPx, Long clientHeightPx, bool fullScreen) {
  if (native_) {
    applyMode(clientWidthPx, clientHeightPx, fullScreen);
    return true;
  }
  if (!initVideo()) return false;
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
  Uint32 flags = SDL_WINDOW_OPENGL;
  if (!fullScreen && !visible_) flags |= SDL_WINDOW_HIDDEN;
  if (fullScreen) flags |= SDL_WINDOW_FULLSCREEN;
  SDL_Window* w = SDL_CreateWindow(caption_.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, clientWidthPx,
                                   clientHeightPx, flags);
  if (!w && fullScreen) {
    flags = (flags & ~SDL_WINDOW_FULLSCREEN) | SDL_WINDOW_FULLSCREEN_DESKTOP;
    w = SDL_CreateWindow(caption_.c_str(), 0, 0, clientWidthPx, clientHeightPx, flags);
  }
  if (!w) {
    reportFailure(D3DERR_NOTAVAILABLE, std::string("the window could not be created: ") + SDL_GetError());
    return false;
  }
  native_ = w;
  nativeId_ = SDL_GetWindowID(w);
  fullScreen_ = fullScreen;
  clientW_ = clientWidthPx;
  clientH_ = clientHeightPx;
  if (fullScreen) visible_ = true;
  int x = 0, y = 0;
  SDL_GetWindowPosition(w, &x, &y);
  leftTwips_ = twipsFromPixels(x, g_dpiX);
  topTwips_ = twipsFromPixels(y, g_dpiY);
  applyCursorMode();
  return true;
}

void GameWindow::applyMode(Long clientWidthPx, Long clientHeightPx, bool fullScreen) {
  clientW_ = clientWidthPx;
  clientH_ = clientHeightPx;
  fullScreen_ = fullScreen;
  if (fullScreen) {
    visible_ = true;
    leftTwips_ = topTwips_ = 0;
  } else {
    outerWTwips_ = twipsFromPixels(clientWidthPx, g_dpiX);
    outerHTwips_ = twipsFromPixels(clientHeightPx + kCaptionPixels, g_dpiY);
  }
  if (!native_) return;
  auto* w = static_cast<SDL_Window*>(native_);
  if (fullScreen) {
    SDL_DisplayMode mode{};
    mode.w = clientWidthPx;
    mode.h = clientHeightPx;
    SDL_SetWindowDisplayMode(w, &mode);
    SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN);
  } else {
    SDL_SetWindowFullscreen(w, 0);
    SDL_SetWindowSize(w, clientWidthPx, clientHeightPx);
  }
}

void GameWindow::postEvent(const WindowEvent& event) { eventQueue().emplace_back(handle_, event); }

void GameWindow::postKeyDown(Integer keyCode, Integer shift) {
  postEvent(WindowEvent{WindowEventKind::KeyDown, keyCode, shift, 0, 0});
}
void GameWindow::postKeyUp(Integer keyCode, Integer shift) {
  postEvent(WindowEvent{WindowEventKind::KeyUp, keyCode, shift, 0, 0});
}
void GameWindow::postKeyPress(Integer keyAscii) { postEvent(WindowEvent{WindowEventKind::KeyPress, keyAscii, 0, 0, 0}); }
void GameWindow::postMouseDown(Integer button, Single x, Single y) {
  postEvent(WindowEvent{WindowEventKind::MouseDown, button, 0, x, y});
}
void GameWindow::postMouseUp(Integer button, Single x, Single y) {
  postEvent(WindowEvent{WindowEventKind::MouseUp, button, 0, x, y});
}
void GameWindow::postMouseMove(Single x, Single y) { postEvent(WindowEvent{WindowEventKind::MouseMove, 0, 0, x, y}); }
void GameWindow::postMouseMotion(Single dx, Single dy) {
  postEvent(WindowEvent{WindowEventKind::MouseMotion, 0, 0, dx, dy});
}
void GameWindow::postClose() { postEvent(WindowEvent{WindowEventKind::Close, 0, 0, 0, 0}); }

void GameWindow::dispatch(WindowEvent& e) {
  double leftPx = static_cast<double>(leftTwips_) * usableDpi(g_dpiX) / 1440.0;
  double topPx = static_cast<double>(topTwips_) * usableDpi(g_dpiY) / 1440.0;
  switch (e.kind) {
    case WindowEventKind::KeyDown:
      if (onKeyDown) onKeyDown(e.code, e.shift);
      break;
    case WindowEventKind::KeyUp:
      if (onKeyUp) onKeyUp(e.code, e.shift);
      break;
    case WindowEventKind::KeyPress:
      if (onKeyPress) onKeyPress(e.code);
      break;
    case WindowEventKind::MouseDown:
      if (g_cursorCount >= 0) g_cursorX = leftPx + e.x, g_cursorY = topPx + e.y;
      if (onMouseDown) onMouseDown(e.code, e.shift, e.x, e.y);
      break;
    case WindowEventKind::MouseUp:
      if (g_cursorCount >= 0) g_cursorX = leftPx + e.x, g_cursorY = topPx + e.y;
      if (onMouseUp) onMouseUp(e.code, e.shift, e.x, e.y);
      break;
    case WindowEventKind::MouseMove:
      if (g_cursorCount >= 0) g_cursorX = leftPx + e.x, g_cursorY = topPx + e.y;
      if (onMouseMove) onMouseMove(e.code, e.shift, e.x, e.y);
      break;
    case WindowEventKind::MouseMotion:
      if (g_cursorCount < 0) g_cursorX += e.x, g_cursorY += e.y;
      break;
    case WindowEventKind::Close: {
      Integer cancel = 0;
      if (onUnload) onUnload(cancel);
      if (!cancel) hide();
      break;
    }
  }
}

GameWindow* windowFromHandle(HWND hWnd) {
  auto it = windowRegistry().find(hWnd);
  return it == windowRegistry().end() ? nullptr : it->second;
}

// ---- keys ------------------------------------------------------------------------------------------------
namespace {
Integer virtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<Integer>(65 + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<Integer>(48 + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<Integer>(112 + (key - SDLK_F1));
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return static_cast<Integer>(97 + (key - SDLK_KP_1));
  switch (key) {
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_RETURN: case SDLK_KP_ENTER: return 13;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return 16;
    case SDLK_LCTRL: case SDLK_RCTRL: return 17;
    case SDLK_LALT: case SDLK_RALT: return 18;
    case SDLK_PAUSE: return 19;
    case SDLK_CAPSLOCK: return 20;
    case SDLK_ESCAPE: return 27;
    case SDLK_SPACE: return 32;
    case SDLK_PAGEUP: return 33;
    case SDLK_PAGEDOWN: return 34;
    case SDLK_END: return 35;
    case SDLK_HOME: return 36;
    case SDLK_LEFT: return 37;
    case SDLK_UP: return 38;
    case SDLK_RIGHT: return 39;
    case SDLK_DOWN: return 40;
    case SDLK_PRINTSCREEN: return 44;
    case SDLK_INSERT: return 45;
    case SDLK_DELETE: return 46;
    case SDLK_LGUI: return 91;
    case SDLK_RGUI: return 92;
    case SDLK_APPLICATION: return 93;
    case SDLK_KP_0: return 96;
    case SDLK_KP_MULTIPLY: return 106;
    case SDLK_KP_PLUS: return 107;
    case SDLK_KP_MINUS: return 109;
    case SDLK_KP_PERIOD: return 110;
    case SDLK_KP_DIVIDE: return 111;
    case SDLK_NUMLOCKCLEAR: return 144;
    case SDLK_SCROLLLOCK: return 145;
    case SDLK_SEMICOLON: return 186;
    case SDLK_EQUALS: return 187;
    case SDLK_COMMA: return 188;
    case SDLK_MINUS: return 189;
    case SDLK_PERIOD: return 190;
    case SDLK_SLASH: return 191;
    case SDLK_BACKQUOTE: return 192;
    case SDLK_LEFTBRACKET: return 219;
    case SDLK_BACKSLASH: return 220;
    case SDLK_RIGHTBRACKET: return 221;
    case SDLK_QUOTE: return 222;
    default: return 0;
  }
}

Integer shiftState(Uint16 mod) {
  Integer s = 0;
  if (mod & KMOD_SHIFT) s |= 1;
  if (mod & KMOD_CTRL) s |= 2;
  if (mod & KMOD_ALT) s |= 4;
  return s;
}

Integer mouseButton(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 4;
    default: return 0;
  }
}

void translate(const SDL_Event& ev) {
  auto queue = [](uint32_t windowId, const WindowEvent& e) {
    if (GameWindow* w = windowOfNativeId(windowId)) eventQueue().emplace_back(w->hWnd(), e);
  };
  switch (ev.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      Integer vk = virtualKey(ev.key.keysym.sym);
      if (vk == 0) break;
      bool down = ev.type == SDL_KEYDOWN;
      queue(ev.key.windowID, WindowEvent{down ? WindowEventKind::KeyDown : WindowEventKind::KeyUp, vk,
                                         shiftState(ev.key.keysym.mod), 0, 0});
      if (down && (vk == 8 || vk == 13 || vk == 27)) queue(ev.key.windowID, WindowEvent{WindowEventKind::KeyPress, vk, 0, 0, 0});
      break;
    }
    case SDL_TEXTINPUT:
      for (const char* p = ev.text.text; *p; ++p) {
        auto c = static_cast<unsigned char>(*p);
        if (c >= 32 && c <= 126) queue(ev.text.windowID, WindowEvent{WindowEventKind::KeyPress, Integer(c), 0, 0, 0});
      }
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      Integer b = mouseButton(ev.button.button);
      if (b == 0) break;
      bool down = ev.type == SDL_MOUSEBUTTONDOWN;
      queue(ev.button.windowID, WindowEvent{down ? WindowEventKind::MouseDown : WindowEventKind::MouseUp, b,
                                            shiftState(SDL_GetModState()), Single(ev.button.x), Single(ev.button.y)});
      break;
    }
    case SDL_MOUSEMOTION: {
      Integer b = 0;
      if (ev.motion.state & SDL_BUTTON_LMASK) b |= 1;
      if (ev.motion.state & SDL_BUTTON_RMASK) b |= 2;
      if (ev.motion.state & SDL_BUTTON_MMASK) b |= 4;
      if (g_cursorCount < 0)
        queue(ev.motion.windowID, WindowEvent{WindowEventKind::MouseMotion, 0, 0, Single(ev.motion.xrel), Single(ev.motion.yrel)});
      queue(ev.motion.windowID, WindowEvent{WindowEventKind::MouseMove, b, shiftState(SDL_GetModState()),
                                            Single(ev.motion.x), Single(ev.motion.y)});
      break;
    }
    case SDL_WINDOWEVENT:
      if (ev.window.event == SDL_WINDOWEVENT_CLOSE) {
        queue(ev.window.windowID, WindowEvent{WindowEventKind::Close, 0, 0, 0, 0});
      } else if (ev.window.event == SDL_WINDOWEVENT_MOVED) {
        if (GameWindow* w = windowOfNativeId(ev.window.windowID); w && !w->fullScreen()) {
          w->trackPosition(ev.window.data1, ev.window.data2);
        }
      }
      break;
    case SDL_QUIT:
      if (!windowRegistry().empty()) eventQueue().emplace_back(windowRegistry().begin()->first, WindowEvent{WindowEventKind::Close, 0, 0, 0, 0});
      break;
    default:
      break;
  }
}
}  // namespace

Integer virtualKeyFromKeyName(const std::string& sdlKeyName) {
  SDL_Keycode key = SDL_GetKeyFromName(sdlKeyName.c_str());
  return key == SDLK_UNKNOWN ? 0 : virtualKey(key);
}

void installTerminationSignals() {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  struct sigaction action {};
  action.sa_handler = noteTermination;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // a write in progress goes on
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

void doEvents() {
  if (g_terminationRequested) {
    g_terminationRequested = 0;
    if (!windowRegistry().empty())
      eventQueue().emplace_back(windowRegistry().begin()->first, WindowEvent{WindowEventKind::Close, 0, 0, 0, 0});
  }
  if (SDL_WasInit(SDL_INIT_EVENTS)) {
    SDL_Event ev;
    while (SDL_PollEvent(&ev))
      if (!routeToolWindowEvent(&ev)) translate(ev);
  }
  // Handlers may post more events; those wait for the next yield.
  size_t count = eventQueue().size();
  for (size_t i = 0; i < count && !eventQueue().empty(); ++i) {
    auto [handle, event] = eventQueue().front();
    eventQueue().pop_front();
    if (GameWindow* w = windowFromHandle(handle)) w->dispatch(event);
  }
  runToolWindows();
}

bool gameWindowRealized() {
  for (auto& [handle, window] : windowRegistry())
    if (window->nativeWindow()) return true;
  return false;
}

namespace {
bool pushEvent(SDL_Event& ev) {
  if (!SDL_WasInit(SDL_INIT_EVENTS) && SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) return false;
  return SDL_PushEvent(&ev) == 1;
}
uint32_t mainNativeId() { return windowRegistry().empty() ? 0 : windowRegistry().begin()->second->nativeId(); }
}  // namespace

void pushSystemKeyForTests(const std::string& sdlKeyName, bool down, bool repeat) {
  SDL_Event ev{};
  ev.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  ev.key.windowID = mainNativeId();
  ev.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  ev.key.repeat = repeat ? 1 : 0;
  ev.key.keysym.sym = SDL_GetKeyFromName(sdlKeyName.c_str());
  ev.key.keysym.scancode = SDL_GetScancodeFromKey(ev.key.keysym.sym);
  pushEvent(ev);
}

void pushSystemTextForTests(const std::string& utf8) {
  SDL_Event ev{};
  ev.type = SDL_TEXTINPUT;
  ev.text.windowID = mainNativeId();
  std::snprintf(ev.text.text, sizeof ev.text.text, "%s", utf8.c_str());
  pushEvent(ev);
}

void pushSystemMouseButtonForTests(Integer button, bool down, Long x, Long y) {
  SDL_Event ev{};
  ev.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  ev.button.windowID = mainNativeId();
  ev.button.button = button == 1 ? SDL_BUTTON_LEFT : button == 2 ? SDL_BUTTON_RIGHT : SDL_BUTTON_MIDDLE;
  ev.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  ev.button.x = x;
  ev.button.y = y;
  pushEvent(ev);
}

void pushSystemMouseMotionForTests(Long x, Long y, Long dx, Long dy) {
  SDL_Event ev{};
  ev.type = SDL_MOUSEMOTION;
  ev.motion.windowID = mainNativeId();
  ev.motion.x = x;
  ev.motion.y = y;
  ev.motion.xrel = dx;
  ev.motion.yrel = dy;
  pushEvent(ev);
}

void pushSystemQuitForTests() {
  SDL_Event ev{};
  ev.type = SDL_QUIT;
  pushEvent(ev);
}

// ---- cursor --------------------------------------------------------------------------------------------------
int32_t ShowCursor(bool show) {
  g_cursorCount += show ? 1 : -1;
  applyCursorMode();
  return g_cursorCount;
}

bool GetCursorPos(POINTAPI& point) {
  if (g_cursorCount >= 0 && realPointer()) {
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    g_cursorX = x;
    g_cursorY = y;
  }
  point.x = static_cast<int32_t>(std::floor(g_cursorX));
  point.y = static_cast<int32_t>(std::floor(g_cursorY));
  return true;
}

bool SetCursorPos(Long x, Long y) {
  g_cursorX = x;
  g_cursorY = y;
  if (g_cursorCount >= 0 && realPointer()) SDL_WarpMouseGlobal(x, y);
  return true;
}

// ---- screen metrics ---------------------------------------------------------------------------------------------
HDC GetDC(HWND) { return 1; }
Long ReleaseDC(HWND, HDC) { return 1; }

Long GetDeviceCaps(HDC, Long index) {
  if (index == LOGPIXELSX) return g_dpiX;
  if (index == LOGPIXELSY) return g_dpiY;
  return 0;
}

void setScreenDpi(Long horizontal, Long vertical) {
  g_dpiX = horizontal;
  g_dpiY = vertical;
}

Long screenDpi(int axis) { return axis == 0 ? g_dpiX : g_dpiY; }

Long ShowWindow(HWND hWnd, Long command) {
  GameWindow* w = windowFromHandle(hWnd);
  if (!w) return 0;
  Long was = w->visible() ? 1 : 0;
  if (command == SW_HIDE)
    w->hide();
  else
    w->show();
  return was;
}

// ---- message box --------------------------------------------------------------------------------------------
Long MsgBox(const std::string& text, Long style, const std::string& title) {
  if (g_msgBoxHook) {
    g_msgBoxHook(text, style, title);
    return 1;
  }
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  const char* driver = videoUp() ? SDL_GetCurrentVideoDriver() : nullptr;
  if (driver && std::string(driver) != "offscreen" && std::string(driver) != "dummy") {
    Uint32 flags = (style & vbCritical) ? SDL_MESSAGEBOX_ERROR
                   : (style & vbExclamation) ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
    SDL_ShowSimpleMessageBox(flags, title.c_str(), text.c_str(), nullptr);
  }
  return 1;
}

void setMessageBoxHook(std::function<void(const std::string&, Long, const std::string&)> hook) {
  g_msgBoxHook = std::move(hook);
}
