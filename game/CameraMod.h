// CameraMod: the flight scene's camera (setShipView), its projection and up vector (setPersp),
// and the mouse's two jobs in play (steerWithMouse): steering the player's ship from the cursor's
// offset, or moving the virtual pointer the menus use. The frame update calls setShipView once per
// frame in play, after the ships moved; setShipView calls the other two. Camera globals shared
// with the rest of the engine (CamEye, CamTarget, CamUp, MatView, MatProj, CamHeading, CamShake,
// CamDetached, CamNoCull, TitleCam, PointerX/Y) live in GameGlobals.
//
// Cursor: positions are screen pixels through the platform's GetCursorPos/SetCursorPos; while
// the game hides the cursor (in play) the platform keeps a virtual cursor moved by the mouse's
// relative motion, so the steering also works where the pointer cannot be warped.
#pragma once
#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

// Camera state kept from frame to frame.
extern Single CamBlend;            // 0..1: progress of the tractor and landing pull-back
extern D3DVECTOR CamPrevEyeGoal;   // the eye goal of the previous frame
extern Single IntroClock;          // seconds: clock of the death and title rigs (5.0 at a new game)

// Mouse steering and the virtual pointer.
extern Single MouseDX, MouseDY;    // pixels: cursor offset of this frame, magnitudes below 1 count 0
extern POINTAPI CursorPos;         // last cursor reading, screen pixels
extern Single CursorCentreX, CursorCentreY;  // the re-centring point the next steering measures from
extern Single SteerDelay;          // frames in which mouse steering is skipped (the interface sets 2 when a menu closes)

// The camera of one frame for ship shipIndex (the frame update passes a variable set to 0); in the
// title scene's ship and sprite shots it replaces shipIndex with the ship it follows. Sets the
// projection, the steering input, CamEye/CamTarget/CamUp, MatView and the device's view transform,
// the HUD's aim values and CamHeading. Traps its errors ("Error in setShipView: ...").
void setShipView(Integer& shipIndex);
// The projection of the frame for ship shipIndex: far plane from the ship's distance to the map
// origin (at least 20000), the warp lens (field of view 800/600 + (warp / 3) ^ 1.5 rad for warp
// above 0; a boost lends 2 sin(boost) as warp), the up vector's jitter and roll tilt, and the sky's
// white-out above warp 2. warp -1 or below (or a talk box focusing a ship) gives the plain
// projection and leaves CamUp alone. warp is a copy the procedure may change. Traps its errors
// ("Error in setPersp: ...").
void setPersp(Single& warp, Integer shipIndex);
// The mouse step of the camera: steers the player's ship (ship 0) in the arcade view while the
// interface does not hold the mouse, else moves the virtual pointer (and, in the classic view in
// flight, turns the ship with the joystick or toward the pointer). shipIndex is the followed ship
// (only its flip is read). Re-centres the cursor every frame.
void steerWithMouse(Integer shipIndex);
