// CMusic: the music director (one instance, Music): soft and hard tracks that follow the action.
// This far only the operations the engine calls, silent: the tracks, fades and folders come with
// the music work.
#pragma once
#include <memory>
#include <string>

#include "runtime/Numbers.h"

class CMusic {
 public:
  bool Mute = false;  // music switched off: Update, WarpChange and ForcePlay do nothing

  void WarpChange();  // after a map change
  // Stops the playing track and plays the named file from the soft folder, or from the hard one
  // when softFile is empty.
  void ForcePlay(const std::string& softFile, const std::string& hardFile);
  void Update();  // every frame in play
  void Kill();    // stops both tracks (also while muted); the end of the program calls it
};

extern std::shared_ptr<CMusic> Music;
