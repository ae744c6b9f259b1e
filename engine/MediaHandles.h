// MediaHandles: the handles of the game's loaded media and the loading screen's ring, the shared
// state between the loader (game/LoaderMod fills them) and everything that draws with them. The
// caches hand out the numbers; a device reset reloads in the same order, so every handle keeps its
// value. The character table is filled from "\\data\\chars.pnd" by the loader.
#pragma once
#include <array>
#include <memory>
#include <string>

#include "platform/D3DX.h"
#include "runtime/Numbers.h"

// ---- loading screen ----
constexpr Integer LoadMsgCount = 30;
extern std::array<std::string, LoadMsgCount> LoadMsgs;  // ring of the last names asked for
extern Integer LoadMsgIndex;  // the next position to write, which is also the oldest entry
extern bool LoadDone;  // False until LoadModels has finished once; the caches log into the ring until then
extern bool LoadScreenOn;  // Drawloader draws
extern Integer LoadCount;  // loading-screen steps drawn so far
extern Integer LoadTotal;  // the step count that makes 100 % (468)

extern std::shared_ptr<D3DXSprite> DxSprite;  // the 2-D sprite object of all text and interface drawing

// ---- character table ----
struct CharDef {
  std::string model;  // "" = the character has no model
  std::string skin;
};
constexpr Integer CharDefCount = 64;
extern std::array<CharDef, CharDefCount> CharDefs;  // 0..32 the named characters, the rest "hiro"

// ---- handles filled by LoadModels ----
extern std::array<Integer, 15>
    MiscModels;  // missile, rocker, harp, debris 1..5, zap x3, orb, inner orb, shock, tunnel
extern std::array<Integer, 9> WeaponModels;    // hand weapons
extern std::array<Integer, 9> WeaponOModels;   // their outlines
extern std::array<Integer, 12> MountModels;    // ship mounts
extern std::array<Integer, 15> FadeTex;        // "shadesofgray\fade1.dds" .. "fade15.dds"
extern std::array<Integer, 3> CrosshairTex;    // "xhair_a_1.bmp" .. "xhair_a_3.bmp"
extern std::array<Integer, 2> PartsTex;        // "parts\parts1.dds", "parts\parts2.dds"
extern std::array<Integer, 3> ShipPartsTex;    // "parts\ships1.dds" .. "parts\ships3.dds"
extern std::array<Integer, 2> NinjaStarTex;    // "ninjastar1.dds", "ninjastar2.dds"
extern std::array<Integer, 3> ZapTex;          // "zap1.bmp" .. "zap3.bmp"
extern std::array<Integer, 3> NewsLogoTex;     // "\news\newsco1.dds" .. "newsco3.dds"
extern std::array<Integer, 3> ZomPortraitTex;  // "portraits\zom1.bmp" .. "zom3.bmp"
extern std::array<Integer, 3> ZafPortraitTex;  // "portraits\zaf1.bmp" .. "zaf3.bmp"
extern Integer TexFont, TexFontDDS;            // "text.bmp" (no alpha), "text.dds" (alpha)
extern Integer TexFlare, TexMiniFlare, TexSmoke, TexBlueFlare, TexCloud, TexGreenCloud, TexStar, TexHalo,
    TexLaserBeam, TexLaserHalo, TexLaserSplash, TexTarget, TexExplodar, TexSmoke2, TexSpark, TexStream,
    TexSmoke2r, TexPoint, TexTorBolt, TexNeuBolt, TexTorFade, TexHeart, TexShuriken, TexWhite, TexTinyGrad,
    TexPointer, TexRounded, TexRoundedW, TexRoundedL, TexGas, TexArrows, TexBar, TexLit, TexLitTop,
    TexShooting, TexFire, TexRsc, TexSpikeFlare, TexRedSpike, TexElectro, TexElectro2, TexPhotonBeam,
    TexXBlast, TexCircleF, TexBeamBeam, TexHomeMap, TexNinjaPortrait, TexBlood, TexZombieNews, TexNinjaNews,
    TexNewsBack, TexNewsSubjects, TexIconsW, TexWeapons;

// ---- operations ----
// LoadMsgs(LoadMsgIndex) := message; LoadMsgIndex := (LoadMsgIndex + 1) mod 30.
void AddLoadMsg(const std::string& message);
// The character index of the lower-cased name: 0..32 by the table of names and aliases ("zombie a"
// and "zom1" are 4, ...); -1 for "endfile" (silently) and for an unknown name (logged
// "unrecognized char: " + name + ".").
Integer getCharIndex(const std::string& name, bool report = true);  // report false: no message
