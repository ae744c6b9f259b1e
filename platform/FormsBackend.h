// The calls between the forms (Forms.cpp), their tool windows (ToolWindow.cpp) and the window
// system's yield (Window.cpp). Internal to platform/.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Form;
class Control;
struct ToolWindow;

// ---- the queue of users' actions ----
// Queues action for control of form; runFormActions runs it while the control takes input.
void postFormAction(Form& form, const Control& control, std::function<void()> action);
void dropFormActions(const Form& form);
void dropControlActions(const Control& control);
// Runs the actions queued before the call, in order (actions they queue wait for the next call).
// An action's error passes out; the actions after it stay queued.
void runFormActions();

// ---- tool windows (ToolWindow.cpp) ----
// Opens the form's tool window when a game window is real; null when it cannot (the form then
// stays headless). The window starts hidden.
ToolWindow* openToolWindow(Form& form);
void closeToolWindow(ToolWindow* tool);
void showToolWindow(ToolWindow& tool, bool shown);
void raiseToolWindow(ToolWindow& tool);
void setToolWindowCaption(ToolWindow& tool, const std::string& caption);
uint32_t toolWindowNativeId(const ToolWindow& tool);
void requestToolWindowCapture(ToolWindow& tool);
bool toolWindowCapture(const ToolWindow& tool, std::vector<uint32_t>& argb, int32_t& width, int32_t& height);

// Window.cpp's doEvents: true when the window-system event (an SDL_Event) belongs to a tool
// window, which then takes it.
bool routeToolWindowEvent(const void* sdlEvent);
// Window.cpp's doEvents, after the game windows' events: draws a frame of every shown form's tool
// window (opening it first when needed), makes the previous GL context current again, then runs
// the queued users' actions.
void runToolWindows();

// ---- Window.cpp ----
// Some game window has a real (SDL) window.
bool gameWindowRealized();
