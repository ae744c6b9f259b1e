// GameMod: the game set-up (initGame), the frame update (doGame) and the frame render (doRender)
// that the main loop calls. This far they hold what a frame over a cleared sky needs: the
// long-lived objects that exist, the program mode, the ships' steps (two half steps above 0.03 s;
// only the player's ship, at frame time 0, while paused) and the camera, the music update, the
// first preset, the interface and the message log. Crews, sprites, the map's passes, lights, the
// title scene, the full-screen effect pass and the editors join them with their own work.
#pragma once
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
extern Double ScreenFxPhase;  // phase of the effect's pulsing

// Creates the long-lived objects and decides the program mode for request. No trap: errors pass
// to the caller.
void initGame(Integer request);
// The frame update; traps its errors ("Error in doGame: ").
void doGame();
// The frame render inside the scene the main loop began; traps its errors ("Error in
// GameMod.doRender: ", silently while ScreenFxNeedsClear is still set, which it then clears).
void doRender();
// Renders ship shipIndex into the next target-view texture, coloured by its relation to viewer.
// Nothing is drawn until the target-view work lands (GameInterface->TargRender stays -1).
void RenderTarg(Integer& viewer, Integer& shipIndex);
