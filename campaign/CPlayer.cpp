#include "campaign/CPlayer.h"

#include "engine/MessageLog.h"
#include "runtime/ItemFile.h"
#include "runtime/Paths.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"

std::shared_ptr<CPlayer> Player;
bool DevMode = false;
bool ClassicView = false;
bool FollowMouse = false;
bool CheatGod = false, CheatAmmo = false, CheatCash = false, CheatSlowMo = false;

namespace {
const char* const OptionsFile = "\\data\\options.pnd";
const char* const CheatsFile = "\\data\\options2.pnd";

// Items of the options file in file order: 0..31 the bindings, then these.
enum OptionItem {
  oiMusic = CPlayer::KeyCount, oiSound, oiRes, oiWideScreen, oiFullScreen, oiClassicView, oiFollowMouse,
  oiDevMode, oiMusicVolume, oiSoundVolume, oiCount
};
constexpr int CheatsStored = 5;
}  // namespace

// thrust W, brake S, trick left A, trick right D, previous target Z, next target X, previous
// weapon Q, next weapon E, action Space, warp menu M, attack F, secondary G, look left/right/up/down
// the arrow keys, status P, talk T; 18..31 unused.
const std::array<Integer, CPlayer::KeyCount> CPlayer::DefaultCharKeys = {
    87, 83, 65, 68, 90, 88, 81, 69, 32, 77, 70, 71, 37, 39, 38, 40, 80, 84};

CPlayer::CPlayer() {
  ReadOptions();
  ReadCheats();
}

Integer CPlayer::getCharKey(Long k) const {
  vbCheckIndex(k, 0, KeyCount - 1);
  return CharKeys[k];
}

void CPlayer::setCharKey(Long k, Integer code) {
  vbCheckIndex(k, 0, KeyCount - 1);
  CharKeys[k] = code;
}

Integer CPlayer::getHasCheat(Long i) const {
  vbCheckIndex(i, 0, CheatCount - 1);
  return CheatFlags[i];
}

void CPlayer::setHasCheat(Long i, Integer v) {
  vbCheckIndex(i, 0, CheatCount - 1);
  CheatFlags[i] = v;
  switch (i) {
    case 0: CheatGod = v == 2; break;
    case 1: CheatAmmo = v == 2; break;
    case 2: CheatCash = v == 2; break;
    case 3: CheatSlowMo = v == 2; break;
    default: break;
  }
}

void CPlayer::setOptionDefault(int item) {
  if (item < KeyCount) {
    CharKeys[item] = DefaultCharKeys[item];
    return;
  }
  switch (item) {
    case oiMusic: bMusic = true; break;
    case oiSound: bSound = true; break;
    case oiRes: vRes = 1; break;
    case oiWideScreen: vWideScreen = false; break;
    case oiFullScreen: vFullScreen = false; break;
    case oiClassicView: ClassicView = false; break;
    case oiFollowMouse: FollowMouse = false; break;
    case oiDevMode: DevMode = false; break;
    case oiMusicVolume: musicVolume = 75; break;
    case oiSoundVolume: soundVolume = 75; break;
    default: break;
  }
}

void CPlayer::readOptionItem(ItemReader& in, int item) {
  if (item < KeyCount) {
    CharKeys[item] = in.readInteger();
    return;
  }
  switch (item) {
    case oiMusic: bMusic = in.readBool(); break;
    case oiSound: bSound = in.readBool(); break;
    case oiRes: vRes = in.readLong(); break;
    case oiWideScreen: vWideScreen = in.readBool(); break;
    case oiFullScreen: vFullScreen = in.readBool(); break;
    case oiClassicView: ClassicView = in.readBool(); break;
    case oiFollowMouse: FollowMouse = in.readBool(); break;
    case oiDevMode: DevMode = in.readBool(); break;
    case oiMusicVolume: musicVolume = in.readNumber(); break;
    case oiSoundVolume: soundVolume = in.readNumber(); break;
    default: break;
  }
}

void CPlayer::ReadOptions() {
  if (!fileExists(resolvePath(OptionsFile))) {
    for (int item = 0; item < oiCount; ++item) setOptionDefault(item);
    addMessage("options file missing: default options written.", true);
    vbTrap("ReadOptions", [&] { WriteOptions(); });
    return;
  }
  int item = 0;
  try {
    ItemReader in(OptionsFile);
    for (; item < oiCount; ++item) readOptionItem(in, item);
  } catch (const VbError& e) {
    for (int rest = item; rest < oiCount; ++rest) setOptionDefault(rest);
    addMessage(std::string("options file damaged (") + e.what() + "): defaults used from item " +
                   std::to_string(item + 1) + ".",
               true);
  }
}

void CPlayer::WriteOptions() {
  ItemWriter out(OptionsFile);
  for (int k = 0; k < KeyCount; ++k) out.writeNumber(CharKeys[k]).endLine();
  out.writeBool(bMusic).writeBool(bSound).writeNumber(vRes).writeBool(vWideScreen).writeBool(vFullScreen);
  out.writeBool(ClassicView).writeBool(FollowMouse).writeBool(DevMode).endLine();
  out.writeNumber(musicVolume).writeNumber(soundVolume).endLine();
  out.commit();
}

void CPlayer::ReadCheats() {
  if (!fileExists(resolvePath(CheatsFile))) {
    for (int i = 0; i < CheatsStored; ++i) setHasCheat(i, 0);
    addMessage("cheat file missing: all cheats locked.", true);
    vbTrap("ReadCheats", [&] { WriteCheats(); });
    return;
  }
  int i = 0;
  try {
    ItemReader in(CheatsFile);
    for (; i < CheatsStored; ++i) setHasCheat(i, in.readInteger());
  } catch (const VbError& e) {
    for (int rest = i; rest < CheatsStored; ++rest) setHasCheat(rest, 0);
    addMessage(std::string("cheat file damaged (") + e.what() + "): cheats from " + std::to_string(i) +
                   " on locked.",
               true);
  }
}

void CPlayer::WriteCheats() {
  ItemWriter out(CheatsFile);
  for (int i = 0; i < CheatsStored; ++i) out.writeNumber(CheatFlags[i]).endLine();
  out.commit();
}
