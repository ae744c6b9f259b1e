#include "audio/CMusic.h"

#include "engine/FuncMod.h"
#include "engine/GameGlobals.h"
#include "interface/CInterface.h"
#include "platform/Mci.h"
#include "runtime/Paths.h"
#include "runtime/Rnd.h"
#include "ships/CShip.h"

std::shared_ptr<CMusic> Music;

namespace {
const char* const kSoftFolder = "\\sfx\\music\\soft\\";
const char* const kHardFolder = "\\sfx\\music\\hard\\";
constexpr double kCheckInterval = 1.0;

// Screens during which the director stands still: the new-game wizard pages, the title scene,
// the intro and the credits.
bool directorPaused() {
  if (!GameInterface) return false;
  const Long w = GameInterface->Window;
  return (w >= msNewShip && w <= msNewAllSet) || w == msDemo || w == msIntro || w == msCredits ||
         w == msNewSaveSlot || w == msNewDifficulty;
}

Integer randomIndex(size_t count) {
  Randomize();
  const Long pick = CLng(static_cast<double>(Rnd()) * 5000);
  return static_cast<Integer>(pick % static_cast<Long>(count));
}

void mci(const std::string& command) { mciSendString(command); }  // results are ignored
}  // namespace

CMusic::CMusic() {
  listMusicFolders();
  mci("close all");
  Theme = -1;
  LoadTheme(2);
  Mode = -1;
}

void CMusic::listMusicFolders() {
  SoftFiles = getFileList(kSoftFolder);
  HardFiles = getFileList(kHardFolder);
  chooseSoftTrack();
  chooseHardTrack();
}

void CMusic::chooseSoftTrack() {
  const Integer index = randomIndex(SoftFiles.size());
  SoftTrack.LoadMP3(kSoftFolder + SoftFiles[index]);
  SoftIndex = index;
  SoftFinishes = 0;
}

void CMusic::chooseHardTrack() {
  const Integer index = randomIndex(HardFiles.size());
  HardTrack.LoadMP3(kHardFolder + HardFiles[index]);
  HardLoops = 0;
}

Integer CMusic::countEnemies() {
  Integer enemies = 0;
  for (size_t i = 0; i < Ships.size(); ++i) {
    CShip* s = Ships[i].get();
    if (s && s->Exists && static_cast<Integer>(i) != ID && s->checkAIHostile(ID)) ++enemies;
  }
  return enemies;
}

void CMusic::Update() {
  if (Mute || directorPaused()) return;
  // The hard track loops; a finished soft track rests, then runs again.
  if (HardTrack.Playing) {
    if (HardTrack.GetMP3Pos() == "eof") {
      HardTrack.RewindMP3();
      HardTrack.PlayMP3();
      ++HardLoops;
    }
    HardTrack.MoveFrame();
  }
  if (SoftTrack.Playing) {
    if (SoftTrack.GetMP3Pos() == "eof") {
      SoftTrack.PauseMP3();
      SoftRest = Rnd() * 40 + 20;
      ++SoftFinishes;
    }
    SoftTrack.MoveFrame();
  } else if (SoftTrack.GetMP3Pos() == "eof") {
    SoftRest = static_cast<Single>(SoftRest - FrameTime);
    if (SoftRest < 0) SoftTrack.PlayMP3();
  }
  // The hostility check, once a second, never during trans-warp.
  CheckClock += FrameTime;
  const bool idValid = ID >= 0 && static_cast<size_t>(ID) < Ships.size() && Ships[ID];
  if (!idValid || Ships[ID]->getTransWarp() || CheckClock < kCheckInterval) return;
  CheckClock = 0;
  if (countEnemies() > 0) {
    if (!HardTrack.Playing) {
      HardTrack.SetPlayBackVolume(-100);
      HardTrack.PlayMP3();
      HardTrack.VolumeFrame = 0;
    }
    if (SoftTrack.Playing && SoftTrack.VolumeFrame < 10) SoftTrack.VolumeFrame = 10;
  } else {
    if (!SoftTrack.Playing) {
      SoftTrack.SetPlayBackVolume(-100);
      SoftTrack.PlayMP3();
      SoftTrack.VolumeFrame = 0;
    }
    if (HardTrack.Playing && HardTrack.VolumeFrame < 10) HardTrack.VolumeFrame = 10;
    Mode = 0;
  }
}

void CMusic::WarpChange() {
  if (Mute) return;
  if (HardLoops > 0) chooseHardTrack();
  if (!SoftTrack.Playing && SoftFinishes >= 1) chooseSoftTrack();
}

void CMusic::ForcePlay(const std::string& softFile, const std::string& hardFile) {
  if (Mute) return;
  if (HardTrack.Playing) HardTrack.StopMP3();
  if (SoftTrack.Playing) SoftTrack.StopMP3();
  if (softFile.empty()) {
    HardTrack.LoadMP3(kHardFolder + hardFile);
    HardLoops = 0;
    HardTrack.RewindMP3();
    HardTrack.SetPlayBackVolume(0);
    HardTrack.PlayMP3();
    HardTrack.VolumeFrame = 1.0f;
  } else {
    SoftTrack.LoadMP3(kSoftFolder + softFile);
    SoftFinishes = 0;
    SoftTrack.RewindMP3();
    SoftTrack.SetPlayBackVolume(0);
    SoftTrack.PlayMP3();
    SoftTrack.VolumeFrame = 1.0f;
    SoftTrack.NoReduce = true;
  }
}

void CMusic::QuietSoft() { SoftTrack.NoReduce = false; }

void CMusic::ForceVolumeUpdate() {
  if (Mute) return;
  if (SoftTrack.Playing) SoftTrack.SetPlayBackVolume(-700);
  if (HardTrack.Playing) HardTrack.SetPlayBackVolume(-700);
}

void CMusic::Kill() {
  SoftTrack.StopMP3();
  HardTrack.StopMP3();
}

void CMusic::StopTrack() {
  SoftTrack.PauseMP3();
  HardTrack.PauseMP3();
  mci("close all");
  CurrentAlias = "killt";
  Theme = -1;
}

void CMusic::LoadTheme(Integer theme) {
  if (theme == Theme) return;
  static const char* const files[3][2] = {
      {"tunezilla.mp3", "argmonster.mp3"}, {"kango.mp3", "clobberella.mp3"}, {"hahaha.mp3", "bleeptron.mp3"}};
  if (theme >= 0 && theme <= 2) {
    openAlias("tdmsoft", files[theme][0]);
    openAlias("tdmnrg", files[theme][1]);
  }
  Theme = theme;
}

std::string CMusic::getShortPath(const std::string& path) {
  std::string shortPath;
  GetShortPathName(path, shortPath, 260);
  const size_t nul = shortPath.find('\0');
  return nul == std::string::npos ? shortPath : shortPath.substr(0, nul);
}

void CMusic::openAlias(const std::string& alias, const std::string& file) {
  mci("open " + getShortPath(resolvePath("\\sfx\\music\\" + file)) + " ALIAS " + alias);
}

void CMusic::PlayAlias(const std::string& alias) {
  if (alias == CurrentAlias) return;
  if (!CurrentAlias.empty()) mci("stop " + CurrentAlias);
  mci("play " + alias);
  CurrentAlias = alias;
}

void CMusic::OldUpdate() {
  if (Mute) return;
  const double interval = Mode == -1 ? 1.0 : 0.5;
  CheckClock += FrameTime;
  if (CheckClock < interval) return;
  CheckClock = 0;
  if (countEnemies() > 0) {
    PlayAlias("tdmnrg");
  } else if (Mode != 0) {
    PlayAlias("tdmsoft");
  }
}

void CMusic::PlayTrack(const std::string& file) {
  StopTrack();
  mci("open " + getShortPath(resolvePath("\\sfx\\music\\" + file)) + " ALIAS tdmwav");
  mci("play tdmwav");
  Playing = true;
}

void CMusic::getPos() {
  std::string answer;
  mciSendString("status " + CurrentAlias + " mode", &answer, 255);
  const size_t nul = answer.find('\0');
  if (nul != std::string::npos) answer.resize(nul);
  if (answer != "playing" && answer == "stopped") mci("play " + CurrentAlias + " from 0");
}
