#include "ships/CShipDef.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "engine/PlayerNotices.h"
#include "runtime/ItemFile.h"
#include "runtime/Paths.h"
#include "runtime/VbError.h"

std::vector<std::shared_ptr<CShipDef>> ShipDefs;

const std::array<const char*, BuiltInShipDefCount> BuiltInShipNames = {
    "Phantom", "Gremlin", "Beetle", "Beetle2", "bus", "chopper", "reno", "Reaper",
    "VTL", "samurai", "trantor", "galleon", "lepperd", "galleon2", "dejavu", "nexus",
    "banana", "vindicator", "worm", "apollo", "clipper", "blarg", "motama"};

namespace {
std::string defPath(const std::string& name) { return "\\ships\\" + name + ".pnd"; }

// Number items as the file holds them: whole numbers in plain decimal, Singles with at most 7
// significant digits (plain decimal from 1e-4 up to 1e7, exponent form beyond).
std::string integerText(long long v) { return std::to_string(v); }

std::string singleText(Single v) {
  if (!std::isfinite(v)) vbRaise(std::isnan(v) ? vberr::InvalidCall : vberr::Overflow);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(v));
  return buf;
}

// One line of number items.
std::string itemLine(std::initializer_list<std::string> items) {
  std::string line;
  for (const std::string& item : items) line += (line.empty() ? "" : ",") + item;
  return line;
}

template <size_t N>
void writeRow(ItemWriter& out, const std::array<Single, N>& row) {
  std::string line;
  for (Single v : row) line += (line.empty() ? "" : ",") + singleText(v);
  out.writeLine(line);
}

template <size_t N>
void readRow(ItemReader& in, std::array<Single, N>& row) {
  for (Single& v : row) v = in.readSingle();
}
}  // namespace

// ---- tables --------------------------------------------------------------------------------

Single CShipDef::getSeatXOff(Integer i) const { return vbAt(seatOff, i)[0]; }
Single CShipDef::getSeatYOff(Integer i) const { return vbAt(seatOff, i)[1]; }
Single CShipDef::getSeatZOff(Integer i) const { return vbAt(seatOff, i)[2]; }
Single CShipDef::getMountXOff(Integer i) const { return vbAt(mountOff, i)[0]; }
Single CShipDef::getMountYOff(Integer i) const { return vbAt(mountOff, i)[1]; }
Single CShipDef::getMountZOff(Integer i) const { return vbAt(mountOff, i)[2]; }
Single CShipDef::getMountRot(Integer i) const { return vbAt(mountOff, i)[3]; }
Single CShipDef::getJetXOff(Integer i) const { return vbAt(jetOff, i)[0]; }
Single CShipDef::getJetYOff(Integer i) const { return vbAt(jetOff, i)[1]; }
Single CShipDef::getJetZOff(Integer i) const { return vbAt(jetOff, i)[2]; }
Single CShipDef::getLightXOff(Integer i) const { return vbAt(lightOff, i)[0]; }
Single CShipDef::getLightYOff(Integer i) const { return vbAt(lightOff, i)[1]; }
Single CShipDef::getLightZOff(Integer i) const { return vbAt(lightOff, i)[2]; }

void CShipDef::setSeatXOff(Integer i, Single v) { vbAt(seatOff, i)[0] = v; }
void CShipDef::setSeatYOff(Integer i, Single v) { vbAt(seatOff, i)[1] = v; }
void CShipDef::setSeatZOff(Integer i, Single v) { vbAt(seatOff, i)[2] = v; }
void CShipDef::setMountXOff(Integer i, Single v) { vbAt(mountOff, i)[0] = v; }
void CShipDef::setMountYOff(Integer i, Single v) { vbAt(mountOff, i)[1] = v; }
void CShipDef::setMountZOff(Integer i, Single v) { vbAt(mountOff, i)[2] = v; }
void CShipDef::setMountRot(Integer i, Single v) { vbAt(mountOff, i)[3] = v; }
void CShipDef::setJetXOff(Integer i, Single v) { vbAt(jetOff, i)[0] = v; }
void CShipDef::setJetYOff(Integer i, Single v) { vbAt(jetOff, i)[1] = v; }
void CShipDef::setJetZOff(Integer i, Single v) { vbAt(jetOff, i)[2] = v; }
void CShipDef::setLightXOff(Integer i, Single v) { vbAt(lightOff, i)[0] = v; }
void CShipDef::setLightYOff(Integer i, Single v) { vbAt(lightOff, i)[1] = v; }
void CShipDef::setLightZOff(Integer i, Single v) { vbAt(lightOff, i)[2] = v; }

// ---- the file ------------------------------------------------------------------------------

void CShipDef::WriteDef() const {
  ItemWriter out(defPath(ShipName));
  out.writeString(ShipName).endLine();
  out.writeLine(integerText(TotalSeats));
  for (const auto& row : seatOff) writeRow(out, row);
  out.writeLine(integerText(TotalMounts));
  for (const auto& row : mountOff) writeRow(out, row);
  out.writeLine(integerText(TotalJets));
  for (const auto& row : jetOff) writeRow(out, row);
  out.writeLine(integerText(totalLights));
  for (const auto& row : lightOff) writeRow(out, row);
  for (const std::string* s : {&Model, &BodyTex, &InteriorTex, &WindowTex, &WheelTex}) out.writeString(*s).endLine();
  for (Single v : {Acceleration, Traction, MaxSpeed, Agility}) out.writeLine(singleText(v));
  out.writeLine(itemLine({integerText(MaxFuel), integerText(MaxShields), integerText(MaxArmor), integerText(Price)}));
  out.writeString(ShipTitle).writeString(Description).endLine();
  out.writeLine(itemLine({singleText(CamFollowY), singleText(CamFollowZ)}));
  out.writeLine(integerText(ShipBody));
  out.writeLine(itemLine({integerText(Energy), integerText(Cargo), integerText(JetSnd)}));
  out.commit();
}

void CShipDef::ReadDef() {
  ReadFailed = true;
  ItemReader in(defPath(ShipName));
  ShipName = in.readString();
  TotalSeats = in.readInteger();
  for (auto& row : seatOff) readRow(in, row);
  TotalMounts = in.readInteger();
  for (auto& row : mountOff) readRow(in, row);
  TotalJets = in.readInteger();
  for (auto& row : jetOff) readRow(in, row);
  totalLights = in.readInteger();
  for (auto& row : lightOff) readRow(in, row);
  Model = in.readString();
  BodyTex = in.readString();
  InteriorTex = in.readString();
  WindowTex = in.readString();
  WheelTex = in.readString();
  Acceleration = in.readSingle();
  Traction = in.readSingle();
  MaxSpeed = in.readSingle();
  Agility = in.readSingle();
  MaxFuel = in.readInteger();
  MaxShields = in.readInteger();
  MaxArmor = in.readInteger();
  Price = in.readLong();
  ShipTitle = in.readString();
  Description = in.readString();
  CamFollowY = in.readSingle();
  CamFollowZ = in.readSingle();
  ShipBody = in.readLong();
  Energy = in.readInteger();
  Cargo = in.readInteger();
  JetSnd = in.readInteger();
  if (ShipBody == sbCapital) DockBays = CInt(TotalMounts / 2.0);
  ReadFailed = false;
}

bool CShipDef::hasFile() const { return fileExists(resolvePath(defPath(ShipName))); }

// ---- the built-in designs ------------------------------------------------------------------

int loadShipDefs() {
  if (ShipDefs.size() < ShipDefCount) ShipDefs.resize(ShipDefCount);
  for (auto& def : ShipDefs)
    if (!def) def = std::make_shared<CShipDef>();
  int failed = 0;
  for (int i = 0; i < BuiltInShipDefCount; ++i) {
    auto def = std::make_shared<CShipDef>();
    def->ShipName = BuiltInShipNames[i];
    ShipDefs[i] = def;
    try {
      def->ReadDef();
    } catch (const std::exception& e) {
      ++failed;
      tellDamagedFile(FileProblem::of(e, defPath(BuiltInShipNames[i])), "This ship design is not used");
    }
  }
  return failed;
}

bool shipDefReadable(long long index) {
  return index >= 0 && static_cast<size_t>(index) < ShipDefs.size() && ShipDefs[static_cast<size_t>(index)] &&
         !ShipDefs[static_cast<size_t>(index)]->ReadFailed;
}

std::string shipDefPath(long long index) {
  if (index < 0 || index >= BuiltInShipDefCount) return "";
  return defPath(BuiltInShipNames[static_cast<size_t>(index)]);
}
