#include "levels/CMap.h"

#include "engine/CTextureMonster.h"

#include "campaign/CPlayer.h"
#include "campaign/CWorld.h"
#include "engine/GameGlobals.h"
#include "engine/RenderMod.h"
#include "levels/LevelIO.h"
#include "runtime/ItemFile.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"

CMap* CurMap = nullptr;

namespace {
// The fogged render preset reads the current map's fog through this.
bool currentMapFog(MapFogState& out) {
  if (!CurMap) return false;
  out.Fog = CurMap->Fog;
  out.FogR = CurMap->FogR;
  out.FogG = CurMap->FogG;
  out.FogB = CurMap->FogB;
  out.FogNear = CurMap->FogNear;
  out.FogFar = CurMap->FogFar;
  return true;
}
const bool FogPublished = (CurrentMapFog = &currentMapFog, true);
}  // namespace
Integer LastStructHit = -1;
Single TintR = 0, TintG = 0, TintB = 0;

const char* const StructDefFiles[MapStructDefs] = {
    "parts",      "china",    "landing",     "genbuild1", "tallbuild", "catwalk",
    "catwalk2",   "gas",      "tallbuild2",  "genbuild2", "shipyard",  "shoppermart",
    "hut",        "ammo",     "closewalk",   "closewalk2", "bank",     "indycontrol",
    "ninjabuild", "gasbag",   "cybuild",     "cross"};

namespace {
// Sector textures that show a planet (compared lower-cased); other textures serve the tunnel.
const char* const PlanetTextures[] = {
    "sky\\earth.bmp",     "sky\\blueplanet.bmp", "sky\\grayplanet.bmp", "sky\\jovian.bmp",
    "sky\\venus.bmp",     "sky\\ringplanet.bmp", "sky\\smallgrays.bmp", "sky\\venus2.bmp",
    "sky\\flush.bmp",     "sky\\redplanet.bmp"};

bool isPlanetTexture(const std::string& texture) {
  const std::string t = LCase(texture);
  for (const char* p : PlanetTextures)
    if (t == p) return true;
  return false;
}

// What updateColor publishes for a map colour. Raises where the game would (a component that
// does not fit an Integer, a zero largest component beside negative ones).
struct PublishedColor {
  Integer fogR, fogG, fogB;
  Single tintR, tintG, tintB;
};

PublishedColor colorFrom(Single r, Single g, Single b) {
  PublishedColor c;
  c.fogR = CInt(r);
  c.fogG = CInt(g);
  c.fogB = CInt(b);
  if (r == 0 && g == 0 && b == 0) {
    c.tintR = c.tintG = c.tintB = 100;
  } else if (r >= g && r >= b) {
    c.tintR = 255;
    c.tintG = static_cast<Single>(vbDiv(g, r) * 255);
    c.tintB = static_cast<Single>(vbDiv(b, r) * 255);
  } else if (g >= r && g >= b) {
    c.tintG = 255;
    c.tintR = static_cast<Single>(vbDiv(r, g) * 255);
    c.tintB = static_cast<Single>(vbDiv(b, g) * 255);
  } else {
    c.tintB = 255;
    c.tintR = static_cast<Single>(vbDiv(r, b) * 255);
    c.tintG = static_cast<Single>(vbDiv(g, b) * 255);
  }
  return c;
}

}  // namespace

struct CMap::SlotFile {
  D3DVECTOR loc;
  Long def = -1;
  Integer link = 0;
};

struct CMap::MapFile {
  std::string title;
  Long fog = 0, weather = 0, fx = 0;
  std::array<MapSector, MapSectors> sectors;
  std::array<SlotFile, MapSlots> slots;
  Single r = 0, g = 0, b = 0;
};

// ---- construction ----------------------------------------------------------------------------

CMap::CMap() {
  slotDef.fill(-1);  // a new map's slots are empty until a map is read or a slot is placed
  for (MapSector& s : sectors) s.Texture = "";
  LoadStructDefs();
  ReadShipInfo();
}

void CMap::LoadStructDefs() {
  for (Integer i = 0; i < MapStructDefs; ++i) LoadStructDef(i, StructDefFiles[i]);
}

void CMap::LoadStructDef(Integer i, const std::string& name) {
  defTable[i] = CStructDef();
  defTable[i].sName = name;
  defCreated[i] = true;
  defRead[i] = false;
  try {
    defTable[i].Load();
    defRead[i] = true;
  } catch (const std::exception& e) {
    tellDamagedFile(FileProblem::of(e, defTable[i].filePath()), "This structure is not placed on the maps");
  }
}

// ---- map file ----------------------------------------------------------------------------------

void CMap::readMapFile(const std::string& name, MapFile& f) {
  const std::string path = "\\maps\\" + name + ".pnd";
  try {
    ItemReader r(path);
    f.title = r.readString();
    f.fog = r.readLong();
    f.weather = r.readLong();
    f.fx = r.readLong();
    for (MapSector& s : f.sectors) {
      s.R = r.readSingle();
      s.Scale = r.readSingle();
      s.Texture = r.readString();
      s.X = r.readSingle();
      s.Y = r.readSingle();
    }
    for (Integer i = 0; i < MapSlots; ++i) {
      SlotFile& s = f.slots[i];
      s.loc = readVector(r);
      s.def = r.readInteger();
      if (s.def >= MapStructDefs)
        throw VbError(vberr::Subscript, "Subscript out of range: structure slot " + CStr(i) +
                                            " names definition " + CStr(s.def));
      s.link = r.readInteger();
    }
    f.r = r.readSingle();
    f.g = r.readSingle();
    f.b = r.readSingle();
    colorFrom(f.r, f.g, f.b);  // raises now for a colour the map could not publish
  } catch (const std::exception& e) {
    damagedFile(e, path);
  }
}

// Moves or drops a placed pad, catwalk or closewalk so that it suits the overhead camera.
// d is the slot's StructDefIndex (>= 0). Each rule reads the location the rule before left.
void CMap::classicFixups(Integer d, CStruct& s) {
  auto setY = [&s](Single y) {
    D3DVECTOR p = s.getLoc();
    s.setLoc(p.x, y, p.z);
  };
  if (s.getType() == structLanding && s.getLoc().y > -200) setY(-200);
  Single y = s.getLoc().y;
  if (d == 5 || d == 6) {
    if (-500 < y && y < 0) s.Exists = false;
    else if (-550 < y && y <= -500) setY(-550);
  }
  y = s.getLoc().y;
  if (d == 14 || d == 15) {
    if (-500 < y && y < 0) s.Exists = false;
    else if (0 <= y && y < 60) setY(60);
    else if (-690 < y && y <= -500) setY(-690);
  }
}

bool CMap::checkMapFile(const std::string& name, FileProblem* failure) {
  try {
    MapFile f;
    readMapFile(name, f);
    return true;
  } catch (const std::exception& e) {
    if (failure) *failure = FileProblem::of(e, "\\maps\\" + name + ".pnd");
    return false;
  }
}

bool CMap::Load(FileProblem* failure) {
  const std::string loadingName = MapName;
  MapFile f;
  try {
    readMapFile(loadingName, f);
  } catch (const std::exception& e) {
    if (failure) *failure = FileProblem::of(e, "\\maps\\" + loadingName + ".pnd");
    else reportTrapped("CMap.Load", e.what());
    MapName = loadedName;
    return false;
  }
  bool ok = vbTrap("CMap.Load", [&] {
    // Build the new state beside the current one; nothing changes until all of it is ready.
    std::array<MapSector, MapSectors> newSectors = sectors;
    for (Integer i = 0; i < MapSectors; ++i) {
      MapSector& s = newSectors[i];
      const MapSector& in = f.sectors[i];
      s.R = in.R;
      s.Scale = in.Scale;
      s.X = in.X;
      s.Y = in.Y;
      s.Texture = in.Texture;
      s.NoTunnel = vbBool(isPlanetTexture(in.Texture));
    }
    std::array<CStruct, MapSlots> newStructs = structs;
    std::array<Long, MapSlots> newDef{};
    std::array<Integer, MapSlots> newLink{};
    std::array<bool, MapSlots> newFixed{};
    for (Integer i = 0; i < MapSlots; ++i) {
      const SlotFile& in = f.slots[i];
      CStruct& s = newStructs[i];
      s.setLoc(in.loc.x, in.loc.y, in.loc.z);
      newDef[i] = in.def;
      newLink[i] = in.link;
      if (in.def < 0) {
        s.Exists = false;
      } else if (!defRead[in.def]) {
        s.Exists = false;  // a definition that could not be read is not placed (and saved as read)
        newDef[i] = -1;
        newFixed[i] = true;
      } else {
        s.setDef(defTable[in.def]);
      }
      if (s.Exists && ClassicView) {
        classicFixups(static_cast<Integer>(in.def), s);
        if (!s.Exists) newDef[i] = -1;
        const D3DVECTOR p = s.getLoc();
        newFixed[i] = !s.Exists || p.x != in.loc.x || p.y != in.loc.y || p.z != in.loc.z;
      }
    }

    MapTitle = f.title;
    MapFog = f.fog;
    MapWeather = f.weather;
    MapFX = f.fx;
    sectors = newSectors;
    for (Integer i = 0; i < MapSectors; ++i) setSecTexture(i, sectors[i].Texture);
    structs = newStructs;
    slotDef = newDef;
    slotLink = newLink;
    fixedUp = newFixed;
    for (Integer i = 0; i < MapSlots; ++i) {
      fileLoc[i] = f.slots[i].loc;
      fileDef[i] = f.slots[i].def;
    }
    red = f.r;
    green = f.g;
    blue = f.b;
    updateColor();
    gasTimer = 0;
    for (WeatherParticle& p : particles) p.Active = vbFalse;
    HostileSafe = 0;
    TalkingsTo = 0;
    loadedName = loadingName;
    if (World) World->MapLoadMsg();
    mapDone = vbBool(Player && Player->checkCompletedMission("map-" + MapName + ".pnd"));
  });
  if (!ok) MapName = loadedName;
  return ok;
}

void CMap::Save() {
  ItemWriter w("\\maps\\" + MapName + ".pnd");
  w.writeString(MapTitle).endLine();
  w.writeNumber(MapFog).writeNumber(MapWeather).writeNumber(MapFX).endLine();
  for (const MapSector& s : sectors) {
    writeSingle(w, s.R);
    writeSingle(w, s.Scale);
    w.writeString(s.Texture);
    writeSingle(w, s.X);
    writeSingle(w, s.Y);
    w.endLine();
  }
  for (Integer i = 0; i < MapSlots; ++i) {
    const CStruct& s = structs[i];
    D3DVECTOR p = s.getLoc();
    Long d = s.Exists ? slotDef[i] : -1;
    if (fixedUp[i]) {  // as the file had it before the classic-view fix-ups
      p = fileLoc[i];
      d = fileDef[i];
    }
    writeSingle(w, p.x);
    writeSingle(w, p.y);
    writeSingle(w, p.z);
    w.endLine();
    w.writeNumber(d).endLine();
    w.writeNumber(slotLink[i]).endLine();
  }
  writeSingle(w, red);
  writeSingle(w, green);
  writeSingle(w, blue);
  w.endLine();
  w.commit();
}

// ---- structure slots ---------------------------------------------------------------------------

CStruct& CMap::slot(Integer i) {
  return vbAt(structs, i);
}

const CStruct& CMap::slot(Integer i) const {
  return vbAt(structs, i);
}

Long CMap::getStructDef(Integer i) const {
  return vbAt(slotDef, i);
}

void CMap::setStructDef(Integer i, Long d) {
  CStruct& s = slot(i);
  if (d != -1) vbCheckIndex(d, 0, MapStructDefs - 1);
  slotDef[i] = d;
  fixedUp[i] = false;
  if (d == -1) s.Exists = false;
  else s.setDef(defTable[d]);
}

D3DVECTOR CMap::getStructPos(Integer i) const { return slot(i).getLoc(); }

void CMap::setStructPos(Integer i, Single x, Single y, Single z) {
  slot(i).setLoc(x, y, z);
  fixedUp[i] = false;
}

Long CMap::getStructType(Integer i) const { return slot(i).getType(); }

void CMap::setStructLink(Integer i, Integer v) {
  vbAt(slotLink, i) = v;
}

Integer CMap::getStructLink(Integer i) const {
  return vbAt(slotLink, i);
}

std::string CMap::getStructModel(Integer i) const {
  if (i < 0 || i >= MapStructDefs || !defCreated[i]) return "";
  return defTable[i].ModelName;
}

std::string CMap::getStructTexture(Integer i) const {
  if (i < 0 || i >= MapStructDefs || !defCreated[i]) return "";
  return defTable[i].TextureName;
}

// ---- sky sectors ---------------------------------------------------------------------------------

void CMap::setSecX(Integer i, Single v) { vbCheckIndex(i, 0, MapSectors - 1); sectors[i].X = v; }
void CMap::setSecY(Integer i, Single v) { vbCheckIndex(i, 0, MapSectors - 1); sectors[i].Y = v; }
void CMap::setSecR(Integer i, Single v) { vbCheckIndex(i, 0, MapSectors - 1); sectors[i].R = v; }
void CMap::setSecScale(Integer i, Single v) {
  vbCheckIndex(i, 0, MapSectors - 1);
  sectors[i].Scale = v;
}
Single CMap::getSecX(Integer i) const { vbCheckIndex(i, 0, MapSectors - 1); return sectors[i].X; }
Single CMap::getSecY(Integer i) const { vbCheckIndex(i, 0, MapSectors - 1); return sectors[i].Y; }
Single CMap::getSecR(Integer i) const { vbCheckIndex(i, 0, MapSectors - 1); return sectors[i].R; }
Single CMap::getSecSC(Integer i) const {
  vbCheckIndex(i, 0, MapSectors - 1);
  return sectors[i].Scale;
}

void CMap::setSecTexture(Integer i, const std::string& name) {
  vbCheckIndex(i, 0, MapSectors - 1);
  sectors[i].Texture = name;
  // The texture cache's handle (none while the cache is not up, as in the map tools' tests).
  if (!name.empty() && TexMon) sectors[i].TextureNumber = TexMon->getTextureNumber(name);
}

std::string CMap::getSecTexture(Integer i) const {
  vbCheckIndex(i, 0, MapSectors - 1);
  return sectors[i].Texture;
}

Integer CMap::getSecUTexture(Integer i) const {
  const Integer k = static_cast<Integer>(i % MapSectors);
  vbCheckIndex(k, 0, MapSectors - 1);
  return sectors[k].TextureNumber;
}

Integer CMap::getSecNoTunnel(Integer i) const {
  const Integer k = static_cast<Integer>(i % MapSectors);
  vbCheckIndex(k, 0, MapSectors - 1);
  return sectors[k].NoTunnel;
}

// ---- colour --------------------------------------------------------------------------------------

void CMap::setRed(Integer v) { red = v; updateColor(); }
void CMap::setGreen(Integer v) { green = v; updateColor(); }
void CMap::setBlue(Integer v) { blue = v; updateColor(); }

void CMap::updateColor() {
  const PublishedColor c = colorFrom(red, green, blue);
  SkyR = red;
  SkyG = green;
  SkyB = blue;
  FogR = c.fogR;
  FogG = c.fogG;
  FogB = c.fogB;
  TintR = c.tintR;
  TintG = c.tintG;
  TintB = c.tintB;
}
