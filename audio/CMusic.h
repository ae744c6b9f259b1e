// CMusic: the music director (one instance, the global Music, created by initGame). It owns a
// soft track for calm flight and a hard track for combat, each picked at random from
// "\sfx\music\soft\" and "\sfx\music\hard\". Once a second of frame time it counts the ships
// hostile to ship ID (the player's) and fades the hard track in and the soft track out while there
// is at least one, the reverse when there is none; it loops the hard track, rests a finished soft
// track 20..60 s while it is halted, picks new tracks after a warp, plays named tracks on demand
// (the intro's "gato.mp3", the credits' "blarg.mp3") and obeys Mute. Beside the tracks it keeps
// the MCI theme aliases "tdmsoft"/"tdmnrg" (opened and closed only; nothing in play plays them)
// and the single-track alias "tdmwav". Failures are the tracks' message lines; the director traps
// nothing. Main thread only.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "audio/CMusicTrack.h"
#include "runtime/Numbers.h"

class CMusic {
 public:
  // Creation: lists the music folders and loads (does not start) a random soft and hard track;
  // MCI "close all"; opens theme 2; mode -1.
  CMusic();

  bool Playing = false;  // set by PlayTrack only
  Integer ID = 0;        // ship whose enemies are counted: the player's
  // Music switched off: Update, OldUpdate, WarpChange, ForcePlay and ForceVolumeUpdate do nothing.
  bool Mute = false;

  // The director's state, public for the options page's and the tests' sake.
  double CheckClock = 0;          // seconds since the last hostility check
  Integer Mode = -1;              // -1 at creation, 0 once a check found no enemy
  Integer Theme = -1;             // MCI theme whose aliases are open; -1 none
  std::string CurrentAlias;       // alias last played by PlayAlias; "killt" after StopTrack
  CMusicTrack SoftTrack, HardTrack;
  std::vector<std::string> SoftFiles, HardFiles;  // file names of the two folders ({""} when empty)
  Integer SoftIndex = 0;          // index of the soft file loaded last
  Integer HardLoops = 0;          // restarts of the hard track at its end since it was loaded
  Integer SoftFinishes = 0;       // times the soft track reached its end since it was loaded
  Single SoftRest = 0;            // seconds before a finished, halted soft track runs again

  // After a map change: a new hard track when the hard track has looped, a new soft track when
  // the soft track is halted and has finished at least once (loaded, not started).
  void WarpChange();
  // Stops both tracks and plays softFile from the soft folder at full level without the -700
  // offset (until QuietSoft), or hardFile from the hard folder when softFile is empty.
  void ForcePlay(const std::string& softFile, const std::string& hardFile);
  void QuietSoft();          // the soft track takes the -700 offset again (also while muted)
  void ForceVolumeUpdate();  // each playing track to the -700 level at the current music volume
  void Update();             // every frame in play (doGame)
  void OldUpdate();          // the MCI theme switching; nothing calls it in play
  void Kill();               // stops both tracks (also while muted); the end of the program
  void LoadTheme(Integer theme);        // opens theme 0..2's two files under "tdmsoft"/"tdmnrg"
  void PlayAlias(const std::string& alias);
  void PlayTrack(const std::string& file);  // the file of "\sfx\music\" under "tdmwav"
  void getPos();             // restarts the current alias when MCI reports it stopped
  void StopTrack();          // halts both tracks, MCI "close all", no theme

 private:
  void listMusicFolders();
  void chooseSoftTrack();
  void chooseHardTrack();
  std::string getShortPath(const std::string& path);
  void openAlias(const std::string& alias, const std::string& file);
  Integer countEnemies();
};

extern std::shared_ptr<CMusic> Music;
