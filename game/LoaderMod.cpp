#include "game/LoaderMod.h"

#include <cmath>
#include <exception>
#include <vector>

#include "audio/soundMod.h"
#include "engine/BillMod.h"
#include "engine/CModelMonster.h"
#include "engine/CText.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "engine/MediaBatch.h"
#include "engine/MessageLog.h"
#include "engine/RenderMod.h"
#include "engine/modDirectX.h"
#include "levels/CMap.h"
#include "platform/Timer.h"
#include "runtime/ItemFile.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"
#include "ships/CShipDef.h"

namespace {
CTextureMonster& texMon() {
  if (!TexMon) vbRaise(vberr::ObjectMissing);
  return *TexMon;
}
CModelMonster& modelMon() {
  if (!ModelMon) vbRaise(vberr::ObjectMissing);
  return *ModelMon;
}
Integer texture(const std::string& name) {
  return texMon().getTextureNumber(name);
}
Integer model(const std::string& path) {
  return modelMon().getModelNumber(path);
}

// The model of a handle is drawn with the texture of name.
void setModelTexture(Integer handle, const std::string& name) {
  const Integer tex = texture(name);
  Integer position = handle;
  const Integer slot = modelMon().getRealModelNum(position);
  const std::shared_ptr<CMD2>& m = ModelSlots.at(static_cast<size_t>(slot)).object;
  if (!m) vbRaise(vberr::ObjectMissing);
  m->myTexture = tex;
}

void createSprite() {
  if (!D3DX) vbRaise(vberr::ObjectMissing);
  checkHResult(D3DX->CreateSprite(D3DDevice, DxSprite));
}

void loadShipModels() {
  for (size_t i = 0; i < ShipDefs.size() && i < 32; ++i) {
    const std::shared_ptr<CShipDef>& def = ShipDefs[i];
    if (!def || def->Model.empty()) continue;
    for (const char* part : {"\\body.md2", "\\interior.md2", "\\wheels.md2", "\\window.md2"}) {
      model("models\\" + def->Model + part);
      Drawloader();
    }
    texture(def->InteriorTex);
    texture(def->WheelTex);
    texture(def->WindowTex);
    texture(def->BodyTex);
    Drawloader();
  }
}

void loadCharacterModels() {
  for (const CharDef& c : CharDefs) {
    if (c.model.empty()) continue;
    model("models\\chars\\" + c.model + ".md2");
    Drawloader();
    model("models\\chars\\" + c.model + "_o.md2");
    Drawloader();
    texture(c.skin);
    Drawloader();
  }
}

void loadStructureModels() {
  if (!CurMap) vbRaise(vberr::ObjectMissing);
  finishMediaLoads();  // the structure files' messages follow those of the loads before them
  CurMap->LoadStructDefs();
  for (Integer i = 0; i < 32; ++i) {
    const std::string name = CurMap->getStructModel(i);
    if (name.empty()) continue;
    for (const char* suffix : {".md2", "_o.md2", "_f.md2"}) {
      model("models\\structs\\" + name + suffix);
      Drawloader();
    }
    texture(CurMap->getStructTexture(i) + ".bmp");
    Drawloader();
    texture(CurMap->getStructTexture(i) + "_f.bmp");
    Drawloader();
  }
}

// The loading screen is drawn at most once a display frame: a step that comes sooner after the
// last drawn one only counts toward the percentage. The first step of a load always draws.
constexpr uint32_t LoadFrameMs = 16;
bool loadFrameDrawn = false;  // a step of the current load has drawn
uint32_t loadFrameAt = 0;     // timeGetTime when it did

// One entry of the sprite-texture list: the global it fills and whether a step follows.
struct SpriteTexture {
  const char* name;
  Integer* handle;
  bool step;
};
}  // namespace

void LoadCharDefs() {
  for (CharDef& d : CharDefs) d = CharDef{"hiro", "hiro.bmp"};
  std::vector<std::string> lines;
  if (!vbTrap("LoadCharDefs", [&] { lines = readLines("\\data\\chars.pnd"); })) return;
  int records = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (Left(lines[i], 1) != "#") continue;
    const std::string name = Mid(lines[i], 2);
    const Integer index = getCharIndex(name);
    if (index < 0) continue;
    if (i + 2 >= lines.size()) {
      // The record is cut short: the table ends here, the entries read before keep their values.
      reportTrapped("LoadCharDefs", "\\data\\chars.pnd ends inside the record of " + name);
      break;
    }
    CharDef& d = CharDefs[static_cast<size_t>(index)];
    d.model = lines[i + 1] == "null" ? "" : lines[i + 1];
    d.skin = lines[i + 2] == "null" ? "" : lines[i + 2];
    ++records;
    i += 2;
  }
  if (records == 0)
    reportTrapped("LoadCharDefs", "\\data\\chars.pnd holds no character record: every character is \"hiro\"");
}

void TryEndScene() {
  vbTrap("TryEndScene", [] { checkHResult(device().EndScene()); });
}

void Drawloader() {
  vbTrap("Drawloader", [] {
    // 2., 3.
    if (PendingEndScene) {
      TryEndScene();
      PendingEndScene = false;
    }
    if (LoadDone) LoadScreenOn = false;
    if (!LoadScreenOn) return;
    // 4.
    const uint32_t now = timeGetTime();
    if (loadFrameDrawn && now - loadFrameAt < LoadFrameMs) {
      LoadCount = CInt(LoadCount + 1.0);
      return;
    }
    Direct3DDevice8& dev = device();
    if (!GameText) vbRaise(vberr::ObjectMissing);
    CText& text = *GameText;
    const Single midX = static_cast<Single>(ScreenWidth / 2.0),
                 midY = static_cast<Single>(ScreenHeight / 2.0);
    checkHResult(dev.BeginScene());
    checkHResult(dev.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER,
                           D3DColorARGB(255, CLng(SkyR), CLng(SkyG), CLng(SkyB)), 1.0f, 0));
    // The ring, oldest first; the first line's entry shows again on the last.
    for (int i = 0; i <= LoadMsgCount; ++i) {
      const Integer c = CInt(std::cos((i - 15) / 6.0) * 20 + 25);
      text.setColor(c, c, c);
      text.setSize(0.5f);
      text.drawText(0, static_cast<Single>(midY - 225 + 15 * i),
                    LoadMsgs[static_cast<size_t>((LoadMsgIndex + i + 1) % LoadMsgCount)], 0, false, false);
    }
    text.setColor(255, 255, 255);
    text.setSize(0.6f);
    text.drawText(midX, midY - 10, "loading stuff...", 1, false, false);
    LoadCount = CInt(LoadCount + 1.0);
    Integer p = CInt(vbDiv(LoadCount, LoadTotal) * 100);
    if (p > 100) p = 100;
    text.setSize(0.55f);
    if (p < 50)
      text.setColor(250, CInt(5.0 * p), 0);
    else
      text.setColor(CInt(5.0 * (100 - p)), 250, 0);
    const RECT src{0, 0, 256, 256};
    const RECT frame{CLng(midX - 100.0), CLng(midY + 9.0), CLng(midX + 100.0), CLng(midY + 15.0)};
    const RECT fill{CLng(midX - 100.0), CLng(midY + 10.0), CLng(midX - 100.0 + 2.0 * p), CLng(midY + 14.0)};
    Back3DCust(nullptr, src, frame, 25, 25, 25, vbTrue, static_cast<Integer>(rpAdditive));
    Back3DCust(nullptr, src, fill, 25, 25, 25, vbTrue, static_cast<Integer>(rpAdditive));
    text.drawText(midX, midY + 10, CStr(p) + "%", 1, false, false);
    checkHResult(dev.EndScene());
    checkHResult(dev.Present());
    loadFrameDrawn = true;
    loadFrameAt = now;
  });
}

void LoadFontTextures() {
  TexFont = texture("text.bmp");
  TexFontDDS = texture("text.dds");
}

void LoadModels() {
  const bool reload = LoadDone;
  // The files are read and decoded on worker threads while the device takes in the ones before.
  MediaBatch batch;
  // 1.
  createSprite();
  LoadScreenOn = true;
  loadFrameDrawn = false;
  LoadTotal = 468;
  LoadFontTextures();
  finishMediaLoads();  // the loading screen draws with the font
  // 2.-4.
  loadShipModels();
  loadCharacterModels();
  loadStructureModels();
  // 5.
  LoadMiscModels();
  LoadWeaponModels();
  LoadMountModels();
  LoadSpriteTextures();
  // 6., 7. (a reload after a device reset is silent)
  finishMediaLoads();
  if (!reload) addMessage(CStr(LoadCount) + " items loaded.", false);
  LoadDone = true;
  // Handles given out after the first load get their files back too.
  texMon().restoreCleared();
  modelMon().restoreCleared();
}

void LoadMiscModel(Integer index, const std::string& modelPath, const std::string& textureName) {
  vbCheckIndex(index, 0, static_cast<long long>(MiscModels.size()) - 1);
  MiscModels[static_cast<size_t>(index)] = model(modelPath);
  setModelTexture(MiscModels[static_cast<size_t>(index)], textureName);
  Drawloader();
}

void LoadMountModel(Integer index, const std::string& modelPath, const std::string& textureName) {
  vbCheckIndex(index, 0, static_cast<long long>(MountModels.size()) - 1);
  MountModels[static_cast<size_t>(index)] = model(modelPath);
  setModelTexture(MountModels[static_cast<size_t>(index)], textureName);
  Drawloader();
}

void LoadWeaponModel(Integer index, const std::string& modelPathNoExt, const std::string& textureName) {
  vbCheckIndex(index, 0, static_cast<long long>(WeaponModels.size()) - 1);
  WeaponModels[static_cast<size_t>(index)] = model(modelPathNoExt + ".md2");
  setModelTexture(WeaponModels[static_cast<size_t>(index)], textureName);
  Drawloader();
  WeaponOModels[static_cast<size_t>(index)] = model(modelPathNoExt + "_o.md2");
  setModelTexture(WeaponOModels[static_cast<size_t>(index)], textureName);
  Drawloader();
}

void LoadMiscModels() {
  const std::string dir = "models\\misc\\";
  LoadMiscModel(0, dir + "missile.md2", "missile.bmp");
  LoadMiscModel(1, dir + "rocker.md2", "rocker.bmp");
  LoadMiscModel(2, dir + "harp.md2", "xbow.bmp");
  for (Integer i = 3; i <= 7; ++i) {
    const std::string n = CStr(i - 2);
    LoadMiscModel(i, dir + "debris" + n + ".md2", "debris" + n + ".bmp");
  }
  LoadMiscModel(8, dir + "zap.md2", "zap1.bmp");
  LoadMiscModel(9, dir + "zap.md2", "zap2.bmp");
  LoadMiscModel(10, dir + "zap.md2", "zap3.bmp");
  LoadMiscModel(12, dir + "inner_orb.md2", "electro2.bmp");
  LoadMiscModel(11, dir + "orb.md2", "electro2.bmp");
  LoadMiscModel(13, dir + "shock.md2", "blast.bmp");
  LoadMiscModel(14, dir + "tunnel.md2", "blast.bmp");
  ZapTex[0] = texture("zap1.bmp");
  ZapTex[1] = texture("zap2.bmp");
  ZapTex[2] = texture("zap3.bmp");
}

void LoadWeaponModels() {
  const std::string dir = "models\\weapons\\";
  LoadWeaponModel(0, dir + "launcher", "r_launcher.bmp");
  LoadWeaponModel(1, dir + "torpedo", "torpedo.bmp");
  LoadWeaponModel(2, dir + "xbow", "xbow.bmp");
  LoadWeaponModel(3, dir + "shotty", "shotty.bmp");
  LoadWeaponModel(4, dir + "sniper", "sniper.bmp");
  LoadWeaponModel(5, dir + "neutron", "laser.bmp");
  LoadWeaponModel(6, dir + "heart", "heart.bmp");
  LoadWeaponModel(8, dir + "fueler", "gas.bmp");
  LoadWeaponModel(7, dir + "dark", "darklauncher.bmp");
}

void LoadMountModels() {
  const std::string dir = "models\\mounts\\";
  LoadMountModel(0, dir + "rocket.md2", "rocket.bmp");
  LoadMountModel(1, dir + "laser.md2", "laser.bmp");
  LoadMountModel(3, dir + "vulcan.md2", "vulcan.bmp");
  LoadMountModel(2, dir + "photon.md2", "photon.bmp");
  LoadMountModel(4, dir + "beam.md2", "beam.bmp");
  LoadMountModel(5, dir + "cannon.md2", "r_launcher.bmp");
  LoadMountModel(6, dir + "tcannon.md2", "photon.bmp");
  LoadMountModel(7, dir + "ncannon.md2", "laser.bmp");
  LoadMountModel(8, dir + "bcannon.md2", "beam.bmp");
  LoadMountModel(9, dir + "disk.md2", "darklauncher.bmp");
  LoadMountModel(10, dir + "radio.md2", "laser.bmp");
  LoadMountModel(11, dir + "plasmoder.md2", "laser.bmp");
}

void LoadSpriteTextures() {
  createSprite();
  const SpriteTexture list[] = {
      {"flare.bmp", &TexFlare, false},
      {"miniflare.bmp", &TexMiniFlare, false},
      {"smoke.dds", &TexSmoke, true},
      {"blueflare.bmp", &TexBlueFlare, false},
      {"cloud.bmp", &TexCloud, false},
      {"greencloud.bmp", &TexGreenCloud, false},
      {"star.bmp", &TexStar, false},
      {"halo.bmp", &TexHalo, true},
      {"laserbeam.bmp", &TexLaserBeam, false},
      {"laserhalo.bmp", &TexLaserHalo, false},
      {"lasersplash.bmp", &TexLaserSplash, false},
      {"target.bmp", &TexTarget, false},
      {"explodar.bmp", &TexExplodar, false},
      {"smoke2.dds", &TexSmoke2, true},
      {"spark.bmp", &TexSpark, false},
      {"stream.bmp", &TexStream, false},
      {"smoke2r.dds", &TexSmoke2r, false},
      {"point.bmp", &TexPoint, false},
      {"torbolt.bmp", &TexTorBolt, false},
      {"neubolt.bmp", &TexNeuBolt, false},
      {"torfade.bmp", &TexTorFade, false},
      {"heart_sprite.bmp", &TexHeart, false},
      {"shuriken.bmp", &TexShuriken, true},
      {"white.bmp", &TexWhite, false},
      {"tinygrad.dds", &TexTinyGrad, false},
      {"pointer.dds", &TexPointer, false},
      {"rounded.dds", &TexRounded, false},
      {"roundedw.dds", &TexRoundedW, false},
      {"roundedl.dds", &TexRoundedL, false},
      {"gas.dds", &TexGas, false},
      {"arrows.dds", &TexArrows, false},
      {"bar.bmp", &TexBar, false},
      {"lit.bmp", &TexLit, false},
      {"lit_top.bmp", &TexLitTop, false},
      {"shooting.bmp", &TexShooting, false},
      {"fire.bmp", &TexFire, true},
      {"rsc.dds", &TexRsc, false},
      {"spikeflare.bmp", &TexSpikeFlare, false},
      {"redspike.bmp", &TexRedSpike, false},
      {"electro.bmp", &TexElectro, false},
      {"electro2.bmp", &TexElectro2, false},
      {"photonbeam.bmp", &TexPhotonBeam, false},
      {"xblast.bmp", &TexXBlast, false},
      {"circlef.bmp", &TexCircleF, false},
      {"beambeam.bmp", &TexBeamBeam, false},
      {"..\\maps\\losgatos.bmp", &TexHomeMap, false},
      {"portraits\\ninja.bmp", &TexNinjaPortrait, false},
      {"blood.bmp", &TexBlood, false},
      {"news\\zombienews.dds", &TexZombieNews, false},
      {"news\\ninjanews.dds", &TexNinjaNews, false},
      {"news\\newsback.bmp", &TexNewsBack, false},
      {"news\\newssubjects.bmp", &TexNewsSubjects, false},
      {"\\news\\newsco1.dds", &NewsLogoTex[0], false},
      {"\\news\\newsco2.dds", &NewsLogoTex[1], false},
      {"\\news\\newsco3.dds", &NewsLogoTex[2], false},
      {"icons_w.dds", &TexIconsW, false},
      {"portraits\\zom1.bmp", &ZomPortraitTex[0], false},
      {"portraits\\zom2.bmp", &ZomPortraitTex[1], false},
      {"portraits\\zom3.bmp", &ZomPortraitTex[2], false},
      {"portraits\\zaf1.bmp", &ZafPortraitTex[0], false},
      {"portraits\\zaf2.bmp", &ZafPortraitTex[1], false},
      {"portraits\\zaf3.bmp", &ZafPortraitTex[2], false},
      {"weapons.dds", &TexWeapons, true},
      {"ninjastar1.dds", &NinjaStarTex[0], false},
      {"ninjastar2.dds", &NinjaStarTex[1], false},
  };
  for (const SpriteTexture& t : list) {
    *t.handle = texture(t.name);
    if (t.step) Drawloader();
  }
  for (size_t i = 0; i < PartsTex.size(); ++i)
    PartsTex[i] = texture("parts\\parts" + CStr(double(i + 1)) + ".dds");
  Drawloader();
  for (size_t i = 0; i < ShipPartsTex.size(); ++i)
    ShipPartsTex[i] = texture("parts\\ships" + CStr(double(i + 1)) + ".dds");
  Drawloader();
  for (size_t i = 0; i < CrosshairTex.size(); ++i)
    CrosshairTex[i] = texture("xhair_a_" + CStr(double(i + 1)) + ".bmp");
  Drawloader();
  for (size_t i = 0; i < FadeTex.size(); ++i)
    FadeTex[i] = texture("shadesofgray\\fade" + CStr(double(i + 1)) + ".dds");
  Drawloader();
}

void LoadSounds() {
  InitSound();
  struct Named {
    const char* name;
    Integer* slot;
  };
  const Named sounds[] = {
      {"laser", &SndLaser},         {"explode", &SndExplode},     {"rocket", &SndRocket},
      {"rocker", &SndRocker},       {"flame2", &SndFlame2},       {"miniexplode", &SndMiniExplode},
      {"rail", &SndRail},           {"warp2", &SndWarp2},         {"warp_out", &SndWarpOut},
      {"beep", &SndBeep},           {"tractor", &SndTractor},     {"vulcan", &SndVulcan},
      {"shotgun", &SndShotgun},     {"miniwarp", &SndMiniWarp},   {"miniwarpout", &SndMiniWarpOut},
      {"roll", &SndRoll},           {"sniper", &SndSniper},       {"cross", &SndCross},
      {"bassplode", &SndBassplode}, {"warptrans", &SndWarpTrans}, {"dock", &SndDock},
      {"spawn", &SndSpawn},         {"dark", &SndDark},           {"neutron", &SndNeutron},
      {"bulletin", &SndBulletIn},   {"bulletout", &SndBulletOut}, {"jet", &SndJet[0]},
      {"jet2", &SndJet[1]},         {"jet3", &SndJet[2]},         {"jet4", &SndJet[3]},
      {"rico", &SndRico},           {"chime", &SndChime},         {"levup", &SndLevUp},
      {"crash", &SndCrash},
  };
  // The wave files are converted on worker threads while the slots fill in order.
  if (SoundDevice) {
    std::vector<std::string> files;
    for (const Named& s : sounds) files.push_back(soundFilePath(s.name));
    SoundDevice->PrefetchWaveFiles(files);
  }
  for (const Named& s : sounds) *s.slot = LoadSound(s.name);
  if (SoundDevice) SoundDevice->DropPrefetchedWaves();
}
