#include "engine/MediaHandles.h"

#include "engine/MessageLog.h"
#include "runtime/Strings.h"

std::array<std::string, LoadMsgCount> LoadMsgs;
Integer LoadMsgIndex = 0;
bool LoadDone = false;
bool LoadScreenOn = false;
Integer LoadCount = 0;
Integer LoadTotal = 468;
std::shared_ptr<D3DXSprite> DxSprite;

std::array<CharDef, CharDefCount> CharDefs;

std::array<Integer, 15> MiscModels{};
std::array<Integer, 9> WeaponModels{};
std::array<Integer, 9> WeaponOModels{};
std::array<Integer, 12> MountModels{};
std::array<Integer, 15> FadeTex{};
std::array<Integer, 3> CrosshairTex{};
std::array<Integer, 2> PartsTex{};
std::array<Integer, 3> ShipPartsTex{};
std::array<Integer, 2> NinjaStarTex{};
std::array<Integer, 3> ZapTex{};
std::array<Integer, 3> NewsLogoTex{};
std::array<Integer, 3> ZomPortraitTex{};
std::array<Integer, 3> ZafPortraitTex{};
Integer TexFont = 0, TexFontDDS = 0;
Integer TexFlare = 0, TexMiniFlare = 0, TexSmoke = 0, TexBlueFlare = 0, TexCloud = 0, TexGreenCloud = 0,
        TexStar = 0, TexHalo = 0, TexLaserBeam = 0, TexLaserHalo = 0, TexLaserSplash = 0, TexTarget = 0,
        TexExplodar = 0, TexSmoke2 = 0, TexSpark = 0, TexStream = 0, TexSmoke2r = 0, TexPoint = 0,
        TexTorBolt = 0, TexNeuBolt = 0, TexTorFade = 0, TexHeart = 0, TexShuriken = 0, TexWhite = 0,
        TexTinyGrad = 0, TexPointer = 0, TexRounded = 0, TexRoundedW = 0, TexRoundedL = 0, TexGas = 0,
        TexArrows = 0, TexBar = 0, TexLit = 0, TexLitTop = 0, TexShooting = 0, TexFire = 0, TexRsc = 0,
        TexSpikeFlare = 0, TexRedSpike = 0, TexElectro = 0, TexElectro2 = 0, TexPhotonBeam = 0, TexXBlast = 0,
        TexCircleF = 0, TexBeamBeam = 0, TexHomeMap = 0, TexNinjaPortrait = 0, TexBlood = 0,
        TexZombieNews = 0, TexNinjaNews = 0, TexNewsBack = 0, TexNewsSubjects = 0, TexIconsW = 0,
        TexWeapons = 0;

namespace {
struct CharName {
  const char* name;
  Integer index;
};
// Names and aliases of the character table, lower case.
constexpr CharName CharNames[] = {
    {"chica", 0},       {"flee", 1},      {"jacob", 2},       {"cyborg", 3},   {"zombie a", 4},
    {"zom1", 4},        {"zombie b", 5},  {"zom2", 5},        {"zombie c", 6}, {"zom3", 6},
    {"zombie d", 7},    {"zom4", 7},      {"ninja a", 8},     {"nin1", 8},     {"ninja b", 9},
    {"nin2", 9},        {"ninja c", 10},  {"nin3", 10},       {"pirate", 11},  {"ptero", 12},
    {"gretchen a", 13}, {"gret1", 13},    {"gretchen b", 14}, {"gret2", 14},   {"gretchen c", 15},
    {"gret3", 15},      {"chica a", 16},  {"chic1", 16},      {"chica b", 17}, {"chic2", 17},
    {"chica c", 18},    {"chic3", 18},    {"cyborg2", 19},    {"cyborg3", 20}, {"zafia a", 21},
    {"zaf1", 21},       {"zafia b", 22},  {"zaf2", 22},       {"zafia c", 23}, {"zaf3", 23},
    {"ned", 24},        {"gasninja", 25}, {"gaszom", 26},     {"fiend", 27},   {"null", 28},
    {"ishuo", 29},      {"zombie e", 30}, {"zom5", 30},       {"chica d", 31}, {"chic4", 31},
    {"chica e", 32},    {"chic5", 32},
};
}  // namespace

void AddLoadMsg(const std::string& message) {
  LoadMsgs[static_cast<size_t>(LoadMsgIndex)] = message;
  LoadMsgIndex = static_cast<Integer>((LoadMsgIndex + 1) % LoadMsgCount);
}

Integer getCharIndex(const std::string& name, bool report) {
  const std::string lower = LCase(name);
  for (const CharName& c : CharNames)
    if (lower == c.name) return c.index;
  if (report && lower != "endfile") addMessage("unrecognized char: " + name + ".", false);
  return -1;
}

