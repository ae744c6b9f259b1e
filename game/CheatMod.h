// CheatMod: the typed cheat codes. frmMain hands every key press in play to checkCheats; when the
// last keys typed spell one of the four codes, that cheat is unlocked in the player record and
// the cheat file written at once (CPlayer.storeCheats), the log says so (forced) and the chime plays. All calls come from the main thread.
#pragma once
#include <string>

extern std::string TypedKeys;  // keys typed in play, at most 100 characters between calls

// Every key press in play: key is the key code as one character (letters arrive upper case).
void checkCheats(const std::string& key);
