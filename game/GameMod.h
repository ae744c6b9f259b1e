// GameMod: the game set-up (initGame, newGame, resetLevel, initEditor), the frame update
// (doGame) and the frame render (doRender) that the main loop calls, and the per-frame dynamic
// lights (addDynaLight, doLights). Main thread only; nothing here allocates per frame.
#pragma once
#include <array>

#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

// ProgramMode (GameMode)
constexpr Long pmLauncher = -1;
constexpr Long pmShipEditor = 0;
constexpr Long pmPlay = 1;
constexpr Long pmStructEditor = 2;
constexpr Long pmMapEditor = 3;
constexpr Long pmWorldEditor = 4;

// EditRequest (argument of initGame): a numbering of its own.
constexpr Integer erLauncher = -1;
constexpr Integer erPlay = 0;
constexpr Integer erShipEditor = 1;
constexpr Integer erStructEditor = 2;
constexpr Integer erMapEditor = 3;
constexpr Integer erWorldEditor = 4;

extern Integer EditMode;      // the request that was honoured
extern bool ScreenFxOn;       // the frame is drawn through the full-screen effect (title scene)
extern Double ScreenFxPhase;  // phase of the effect's pulsing, += 2 x FrameTime per effect frame
extern Single FadeAmount;     // screen fade 0..15 set by the map; above 0 a second shade is drawn

// One dynamic point light of this frame: position (world units), diffuse colour handed to the
// device unchanged (not limited to 0..1) and range (world units).
struct DynaLight {
  Single x = 0, y = 0, z = 0;
  Single r = 0, g = 0, b = 0;
  Single range = 0;
};
constexpr Integer MaxDynaLights = 6;
extern std::array<DynaLight, MaxDynaLights> DynaLights;  // entries 0..LastDynaLight are this frame's
extern Integer LastDynaLight;                            // index of the last entry, -1 empty

// Creates the long-lived objects and decides the program mode for request (erLauncher ..
// erWorldEditor). Only a window with the developer option honours it: erLauncher shows frmLaunch
// (GameMode pmLauncher), erPlay starts play (newGame(False, True)), 1..4 start that editor (GameMode
// pmShipEditor, pmStructEditor, pmMapEditor, pmWorldEditor). Full screen or without the developer
// option every request starts play. Called by frmMain.Form_Load (erLauncher) and the launcher's
// buttons, inside the frame's scene: the editor being left closes with its window first, and play
// started there has its loading screen end that scene before drawing. No trap: errors pass to the
// caller.
void initGame(Integer request);
// A fresh campaign: new interface and player records, the world file, the title node "demoscene"
// (intro) or "losgatos", the player's ship built into Ships(0) but absent (Exists False), the level
// reset. Unless skipLoad the ship designs and every model and texture load first and the cursor is
// hidden. intro starts the title scene (screen 32) through the full-screen effect; otherwise the
// main menu (screen 14). No trap.
void newGame(bool skipLoad, bool intro);
// Prepares the current map for play after every map load: every ship but Ships(0) and every
// sprite but the warp tunnel's (kinds 86, 87) is new, the population spawns, the alert state,
// bullet time, the carrier and the target-view slots are cleared. No trap.
void resetLevel();
// Loads the editors' media and creates the editor of EditMode (1..4). No trap.
void initEditor();

// The frame update; traps its errors ("Error in doGame: ").
void doGame();
// The frame render inside the scene the main loop began; traps its errors ("Error in
// GameMod.doRender: ", silently while ScreenFxNeedsClear is still set, which it then clears).
void doRender();
// Adds a point light for this frame (callers: the sprites, range 2000 or 1000). Six at most; when
// full, the new light replaces the first entry of a strictly smaller range, or is dropped. Traps
// its errors ("Error in addDynaLight: ").
void addDynaLight(const D3DVECTOR& position, Single r, Single g, Single b, Single range);
// Sets the device lights of this frame: light 0 directional (white, ambient from the sky colour),
// lights 1..7 off, then one point light per entry at 1..6; empties the list. Traps its errors
// ("Error in doLights: ").
void doLights();
