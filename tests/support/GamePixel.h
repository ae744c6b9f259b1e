// The game on a headless pixel device, as pixel tests of game drawing need it: D3DDevice and D3DX
// point at a fresh w x h device, a temporary game folder is the program folder, trapped errors go
// to the message log, and fresh texture and model caches stand as after start-up's loading
// (LoadDone). The fixture keeps pd and dir for the test's life and releases them in TearDown.
#pragma once
#include <memory>
#include <string>

#include "tests/support/PixelDevice.h"
#include "tests/support/TempGameDir.h"

// False, with why filled, when no GL device can be had.
bool startGamePixelDevice(int w, int h, std::unique_ptr<PixelDevice>& pd, std::unique_ptr<TempGameDir>& dir,
                          std::string* why);

// startGamePixelDevice set up for screen drawing as the interface does it: the sprite object,
// lighting and depth test off, a text writer, and ScreenWidth x ScreenHeight = w x h.
bool startInterfacePixelDevice(int w, int h, std::unique_ptr<PixelDevice>& pd, std::unique_ptr<TempGameDir>& dir,
                               std::string* why);

// Undoes startGamePixelDevice: releases the sprite object, both caches, D3DX, the device and the
// game folder, and takes the message log off the error traps.
void stopGamePixelDevice(std::unique_ptr<PixelDevice>& pd, std::unique_ptr<TempGameDir>& dir);
