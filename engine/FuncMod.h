// FuncMod: the engine's small shared helpers: fields of delimited text lines, file lists, the
// ground-plane maths (bearings, turns, distances, corner choice, frame-time factor and the stereo
// pan and volume of a sound source), the cheap visibility test and the projection of world
// points to screen pixels. Ground points are world x and z (y is up); angles are
// radians computed with the game's rounded constants (3.14, 3.1416, 6.2832, 1.571, 4.7124, 6.28).
#pragma once
#include <string>
#include <vector>

#include "platform/D3DTypes.h"
#include "platform/Types.h"
#include "runtime/Numbers.h"

// Two-Single vector; the ground helpers take ground points in it (world x in x, world z in y).
D3DXVECTOR2 makeVec2(Single x, Single y);
D3DVECTOR vecSubtract(const D3DVECTOR& a, const D3DVECTOR& b);  // a - b componentwise

// Field n (1-based) of text split at separator (one character; a longer one is never found);
// with toEnd, field n and everything after it. A field beyond the end is "". Traps its errors
// (n < 1): logs "Error in strItem: ..." and returns "".
std::string strItem(const std::string& text, Integer n, const std::string& separator, bool toEnd);

// Bare names of the files matching pattern, a game folder path followed by a file name with
// wildcards ("\missions\era0\*.*"; a path ending in '\' lists every file), sorted by name.
// Always at least one element: { "" } when nothing matches or the folder does not exist.
std::vector<std::string> getFileList(const std::string& pattern);

// Bearing from point 1 to point 2 in [0, 6.2832): 0 toward +x, growing toward -z. Two equal
// points give 3.1416. Traps its errors ("Error in getAngle: ...").
Single getAngle(Single x1, Single z1, Single x2, Single z2);
// Signed turn toward point 2 for a ship with that heading: 3.14 - d for d >= 0, -3.14 - d for
// d < 0, d = bearing - heading; 0 when the bearing is heading +/- 3.14. The heading is taken by
// value (the game's callers pass a copy). Traps its errors ("Error in getHunt: ...").
Single getHunt(Single x1, Single z1, Single x2, Single z2, Single heading);
Double getDist(Single x1, Single z1, Single x2, Single z2);       // ground distance
Double getQuickDist(Single x1, Single z1, Single x2, Single z2);  // |dx| + |dz|
// One of the four corners (the AI steering round an obstacle): of the corners whose bearing from
// centre differs least and most from the target's, the one with the smaller difference (the
// most on a tie).
D3DXVECTOR2 pickCornerByAngle(const D3DXVECTOR2& c1, const D3DXVECTOR2& c2, const D3DXVECTOR2& c3,
                              const D3DXVECTOR2& c4, const D3DXVECTOR2& centre, const D3DXVECTOR2& target);
Single getTimeFactor();  // FrameTime / 0.02: 1.0 at 50 frames per second
// (pan, 0, volume) of a sound source from the camera (CamEye, CamTarget): pan -10000..10000,
// positive to the camera's right; volume -(10 ^ (distance / 1000)), -1 at the camera down to
// -10000 from 4000 units on. Traps its errors ("Error in getSoundCoords: ...").
D3DVECTOR getSoundCoords(const D3DVECTOR& source);

// Worth drawing, from the ground point (x, z) and the camera: in classic view with the camera
// attached, inside the 4000-unit box around CamEye; else always while TitleCam, CamNoCull or
// ClassicView; else when the bearing from CamEye lies within 1.3 rad of CamHeading (or beyond
// 4.98, the wrap-around). Traps its errors ("Error in easyTestVis: ...") and then gives False.
bool easyTestVis(Single x, Single z);
// The world point on the screen: x, y in pixels of the current viewport, z the projected depth
// (below 1 in front of the camera), through MatProj, MatView and MatWorld. Traps its errors
// ("Error in getScreenCoords: ...") and then gives zeros.
D3DVECTOR getScreenCoords(const D3DVECTOR& point);
// The D3DX projection of point (Vec3Project); (0, 0, 0) while WarmedUp is False. Traps its errors
// ("Error in myVecProject: ...") and then gives zeros.
D3DVECTOR myVecProject(const D3DVECTOR& point, const D3DVIEWPORT8& viewport, const D3DMATRIX& projection,
                       const D3DMATRIX& view, const D3DMATRIX& world);
