// TrivecImports: the game's declared entries into the Trivec math library (math/Trivec.h).
// The game never links Trivec: the first call of an entry loads "libTrivec.so" by name from the
// program's folder (the executable's), else from the build's game folder, and looks the export up
// by name. A library that is missing or cannot be loaded, or that lacks the export, raises
// VbError to the caller (53 "Trivec library not found: <path>", 48 "Trivec library could not be
// loaded: ...", 453 "Can't find DLL entry point <name> in Trivec") and nothing is written; the
// next call tries again. Single-threaded, like the rest of the game.
#pragma once
#include <string>

#include "math/Trivec.h"
#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

namespace TrivecImports {

// Key-frame blends of CMD2 models: each array holds at least count vertices, out may be one of
// the inputs; boxMin and boxMax receive the box of the blended positions (nothing is written when
// count <= 0). Linear: t = 0 gives a, t = 1 gives b. Catmull-Rom: t = 0 gives p1, t = 1 gives p2.
// The result is the library's (the vertex count blended); callers ignore it.
Long AnimateLinear(MD2Vertex* out, const MD2Vertex* a, const MD2Vertex* b, Long count, Single t,
                   D3DVECTOR* boxMin, D3DVECTOR* boxMax);
Long AnimateCatmullRom(MD2Vertex* out, const MD2Vertex* p0, const MD2Vertex* p1, const MD2Vertex* p2,
                       const MD2Vertex* p3, Long count, Single t, D3DVECTOR* boxMin, D3DVECTOR* boxMax);

// The address of the export name, loading the library first; raises as above.
void* entryPoint(const char* name);
// Loads the library and looks up every entry now (the program's start-up: without them no model
// can be drawn). Raises the error of the first that fails, its text naming the library by its
// path in the program's folder ("\libTrivec.so") when it lies there, with the reason.
void requireLibrary();
// Path of the loaded library; "" while it is not loaded.
std::string loadedPath();
// Test hook: look for the library only in folder ("" restores the default search). Unloads the
// library, so the next call loads it again.
void setLibraryFolder(const std::string& folder);

}  // namespace TrivecImports
