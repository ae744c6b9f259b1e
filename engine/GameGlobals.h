// The frame, input, screen and camera globals that every subsystem reads (one definition each in
// GameGlobals.cpp). Tests reset them through the same set-up calls the game uses.
#pragma once
#include <string>

#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

// Frame
extern bool GameRunning;      // the main loop runs while true
extern double FrameTime;      // seconds of the current frame, after bullet time; 0 before the first
extern bool BulletTime;       // frame time divided by 5 while true
extern double WarmUpTimer;    // seconds since start-up or the last device reset, counted up to 0.1
extern bool WarmedUp;         // true once WarmUpTimer reached 0.1
extern std::string PendingMap;  // map to load at the end of the frame; "" and "lolprelim" mean none
extern Long GameMode;         // program mode: -1 launcher, 0 ship editor, 1 play, 2..4 editors

// Options the whole program reads, kept outside the player record (the record reads and writes them
// with the options file "\\data\\options.pnd").
extern bool DevMode;      // developer option: the message log keeps unforced lines; a windowed start shows the launcher
extern bool ClassicView;  // overhead camera and steering
extern bool FollowMouse;  // mouse steering in flight

// Mouse
extern bool MouseHeld;
extern Integer MouseButton;   // 1 left, 2 right, 4 middle
extern bool MouseClicked;     // set on every release, cleared by whoever consumes the click
extern Single PointerX, PointerY;  // virtual pointer, screen pixels

// Screen (set once by the device set-up)
extern Long ScreenWidth, ScreenHeight;
extern bool Fullscreen, Widescreen;

// Camera (written once per frame by the camera and the projection)
extern D3DVECTOR CamEye, CamTarget, CamUp;
extern D3DMATRIX MatWorld, MatView, MatProj;
extern Single CamHeading;
extern bool CamDetached, TitleCam, CamNoCull;
extern Single CamShake;       // seconds of camera shake left

// Sky colour, 0..255 each (set by the map)
extern Single SkyR, SkyG, SkyB;

// Fleet and level state read by the ships' damage (reset by the new game and the level reset)
extern Integer MotherShip;           // ship index of the carrier the player launched from, -1 none
extern std::string MotherNodePath;   // map path the escaped carrier went to, "" none
extern std::string MotherNodeTitle;  // that node's title
extern Long SceneEvent;              // the level's alert state: 0 calm, 1 pirates, 2 dangerous units, 3 police, 4 mission, 5 truce, 6 hostiles without police
