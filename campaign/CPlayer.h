// CPlayer: the player record. This far it carries what the options files hold: the key bindings
// and cheat states, the display and sound options and the crew names, with the options file
// "\data\options.pnd" and the cheat-flag file "\data\options2.pnd". The campaign fields (cash,
// parts, ship, crew, goods, saves) join this class later.
//
// Options file, item form, 34 lines: lines 1..32 the bindings of KeyAction 0..31 (one Integer
// each; below 1000 a key code, 1000 and up a joystick control); line 33 bMusic, bSound, vRes,
// vWideScreen, vFullScreen, ClassicView, FollowMouse, DevMode; line 34 musicVolume, soundVolume.
// Cheat file: 5 lines, the state of cheat 0..4 (0 locked, 1 unlocked and off, 2 on).
// A missing file gives the defaults (windowed 800 x 600, developer option off, music and sound on
// at 75, the default bindings; all cheats locked) with a forced message, and writes them; a short
// or damaged file keeps the items read, fills the rest with the defaults and says so.
#pragma once
#include <array>
#include <memory>
#include <string>

#include "runtime/Numbers.h"

class ItemReader;

class CPlayer {
 public:
  // A new record reads the options file and the cheat-flag file.
  CPlayer();

  std::string DriverName;   // crew seat 0
  std::string GunnerName;   // crew seat 1
  bool bMusic = false;      // option: music on
  bool bSound = false;      // option: sound effects on
  Long vRes = 0;            // option: 0 640 x 480, 1 800 x 600, 2 1024 x 768, 3 1280 x 1024 (kept as read)
  bool vWideScreen = false;
  bool vFullScreen = false;
  Double musicVolume = 0;   // option: 0..100
  Double soundVolume = 0;   // option: 0..100

  // Binding of KeyAction k (0..31; 0..17 are used); VbError 9 outside.
  Integer getCharKey(Long k) const;
  void setCharKey(Long k, Integer code);
  // Cheat flag i (0..5): 0 locked, 1 unlocked and off, 2 on; VbError 9 outside. Setting flag
  // 0..3 also sets CheatGod, CheatAmmo, CheatCash or CheatSlowMo to (v = 2).
  Integer getHasCheat(Long i) const;
  void setHasCheat(Long i, Integer v);

  void ReadOptions();    // never raises for a missing or damaged file (see above)
  void WriteOptions();   // atomic; VbError when the file cannot be written
  void ReadCheats();
  void WriteCheats();

  static constexpr int KeyCount = 32;
  static constexpr int CheatCount = 6;   // flags 0..4 are stored
  static const std::array<Integer, KeyCount> DefaultCharKeys;

 private:
  void readOptionItem(ItemReader& in, int item);
  void setOptionDefault(int item);

  std::array<Integer, KeyCount> CharKeys{};
  std::array<Integer, CheatCount> CheatFlags{};
};

// The record of the ship the player flies; replaced by a new record for each new game.
extern std::shared_ptr<CPlayer> Player;

// Options the whole program reads, kept outside the record (written and read with the options file).
extern bool DevMode;      // developer option: the message log keeps unforced lines; a windowed start shows the launcher
extern bool ClassicView;  // overhead camera and steering
extern bool FollowMouse;  // mouse steering in flight

// True while cheat flag 0, 1, 2 or 3 is 2 (on).
extern bool CheatGod, CheatAmmo, CheatCash, CheatSlowMo;
