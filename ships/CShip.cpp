// CShip: the record, its set-up and working values, state read-outs, models, textures and crew
// seats.
#include "ships/CShip.h"

#include <cmath>

#include "audio/soundMod.h"
#include "campaign/CPlayer.h"
#include "engine/CModelMonster.h"
#include "engine/CTextureMonster.h"
#include "engine/GameGlobals.h"
#include "game/GameMod.h"
#include "runtime/Rnd.h"
#include "runtime/Strings.h"
#include "runtime/VbError.h"

std::vector<std::shared_ptr<CShip>> Ships;

namespace {
// The model cache's handle of path; 0 while no cache exists (a ship made before the game set-up).
Integer modelNumber(const std::string& path) { return ModelMon ? ModelMon->getModelNumber(path) : 0; }

// The texture cache's handle of name; 0 while no cache exists, and for no name (a design whose
// file could not be read), which is not looked up.
Integer textureNumber(const std::string& name) {
  return TexMon && !name.empty() ? TexMon->getTextureNumber(name) : 0;
}

// The cache slot of model handle, or -1 while no cache exists.
Integer realModelNum(Integer handle) { return ModelMon ? ModelMon->getRealModelNum(handle) : -1; }

// Makes texture the model's own texture (CMD2.myTexture of the model's cache slot); nothing for a
// slot outside the cache or without a model.
void bindTexture(Integer slot, Integer texture) {
  if (slot < 0 || static_cast<size_t>(slot) >= ModelSlots.size() || !ModelSlots[slot].object) return;
  ModelSlots[slot].object->myTexture = texture;
}
}  // namespace

CShip::CShip() { mounts.fill(-1); }

const CShipDef& CShip::def() const {
  if (!myDef) vbRaise(vberr::ObjectMissing);
  return *myDef;
}

// ---- set-up --------------------------------------------------------------------------------

void CShip::Init(Integer newID) {
  ID = newID;
  Exists = true;
  aiDriven = false;
  engineSound = -1;
  SecondaryTarget = -1;
  deathThroes = 0;
  tractorTarget = -1;
  landingPad = -1;
  canTrade = true;
  Meeter = -1;
  tractorGift.clear();
  IsMotama = IsRedMotama = IsIshuo = false;
  sparkVal = 0;
  tag.clear();
  autoEvac = 0;
  ForceFriend = false;
  warpOutTimer = 0;
  attachPilot();
  IsBounty = -1;
  ExplodingWarp = IAmBlarg = false;
  if (!myDef) myDef = std::make_shared<CShipDef>();
  MakeModdedDef();
  Armor = maxArmor;
  Shields = maxShields;
  Fuel = CLng(maxFuel);
  boostMax = 5.0f;
  // Only ships with a pilot forget this slot's old hostility: a slot never set up gets no pilot
  // here (attaching one would run a pilot set-up under index 0 and touch the player's marks).
  for (size_t i = 0; i < Ships.size(); ++i) {
    if (!Ships[i] || !Ships[i]->pilot) continue;
    Ships[i]->setAIHostile(ID, false);
    setAIHostile(static_cast<Integer>(i), false);
  }
  for (auto& seat : crew) seat = std::make_shared<CCharacter>();
  cargo.fill(0);
}

void CShip::MakeModdedDef() {
  const CShipDef& d = def();
  maxArmor = d.MaxArmor;
  maxShields = d.MaxShields;
  maxFuel = d.MaxFuel;
  shieldDelay = 10.0f;
  boostRate = 0.5f;
  armorRepair = 0;
  shieldRegen = 20.0f;
  firingRate = 1.0f;
  HasJammer = false;
  jetTintA = jetTintB = false;
  Agility = CInt(d.Agility);
  MaxSpeed = CInt(d.MaxSpeed);
  Acceleration = d.Acceleration;
  Traction = d.Traction;

  if (ID == 0 && GameMode == pmPlay && Player) {
    const CPlayer& p = *Player;
    if (p.ArmorLev == 1) maxArmor += 150;
    else if (p.ArmorLev == 2) maxArmor += 300;
    else if (p.ArmorLev == 3) maxArmor += 1000;
    if (p.HasFuelDoubler) maxFuel += 1000;
    if (p.HasShieldBoost) shieldDelay = 5.0f;
    if (p.HasAgilitator) Agility = CInt(CInt(d.Agility) * 1.5);
    if (p.HasCapacitator) {
      MaxSpeed = CInt(CInt(d.MaxSpeed) + 200.0);
      jetTintB = true;
    }
    if (p.HasShieldDoubler) maxShields += 450;
    if (p.HasBoostBooster) boostRate = 1.0f;
    if (p.HasAcceleratron) {
      jetTintA = true;
      Acceleration *= 2;
    }
    if (p.HasShieldCharger) shieldRegen = 30.0f;
    if (p.HasRoboFixit) armorRepair = 1.0f;
    if (p.HasRoboLoader) firingRate = 1.5f;
    if (p.HasJammar) HasJammer = true;
  } else if (ID != 0 && Player && Player->Difficulty > 2) {
    Single chance = Rnd();
    if (chance < 0.2f) {
      jetTintA = true;
      Acceleration *= 2;
    } else if (chance < 0.4f) {
      MaxSpeed = CInt(MaxSpeed + 200.0);
      jetTintB = true;
    }
  }

  if (Fuel > CLng(maxFuel)) Fuel = CLng(maxFuel);
  if (Armor > maxArmor) Armor = maxArmor;
  if (Shields > maxShields) Shields = maxShields;
}

void CShip::setDef(const CShipDef& source) {
  myDef = std::make_shared<CShipDef>(source);
  myDef->DockBays = CInt(source.TotalMounts / 2.0);
  CamFollowZ = source.CamFollowZ;
  CamFollowY = source.CamFollowY;
}

void CShip::UpdateFromDef() {
  const CShipDef& d = def();
  setModel(d.Model);
  setBodyTexture(d.BodyTex);
  setWheelTexture(d.WheelTex);
  setInteriorTexture(d.InteriorTex);
  setWindowTexture(d.WindowTex);
}

void CShip::setModel(const std::string& name) {
  height = width = depth = 0;
  shipSize = 0;
  // A design whose file could not be read names no model: the ship has none (its file was
  // reported when the designs were read), rather than four model paths made from nothing.
  if (name.empty()) {
    bodyModel = wheelModel = interiorModel = windowModel = -1;
    bodySlot = wheelSlot = interiorSlot = windowSlot = -1;
    return;
  }
  const std::string folder = "models\\" + name;
  bodyModel = modelNumber(folder + "\\body.md2");
  wheelModel = modelNumber(folder + "\\wheels.md2");
  interiorModel = modelNumber(folder + "\\interior.md2");
  windowModel = modelNumber(folder + "\\window.md2");
  bodySlot = realModelNum(bodyModel);
  wheelSlot = realModelNum(wheelModel);
  interiorSlot = realModelNum(interiorModel);
  windowSlot = realModelNum(windowModel);
  if (bodySlot >= 0 && static_cast<size_t>(bodySlot) < ModelSlots.size() && ModelSlots[bodySlot].object) {
    const CMD2& body = *ModelSlots[bodySlot].object;
    const D3DVECTOR lo = body.getLBounds(), hi = body.getUBounds();
    height = hi.y - lo.y;
    width = hi.x - lo.x;
    depth = hi.z - lo.z;
  }
  shipSize = width + height + depth;
}

void CShip::setBodyTexture(const std::string& name) {
  bodyTex = textureNumber(name);
  bindTexture(bodySlot, bodyTex);
}
void CShip::setWheelTexture(const std::string& name) {
  wheelTex = textureNumber(name);
  bindTexture(wheelSlot, wheelTex);
}
void CShip::setWindowTexture(const std::string& name) {
  windowTex = textureNumber(name);
  bindTexture(windowSlot, windowTex);
}
void CShip::setInteriorTexture(const std::string& name) {
  interiorTex = textureNumber(name);
  bindTexture(interiorSlot, interiorTex);
}

// ---- read-outs -----------------------------------------------------------------------------

Long CShip::getPrice() const { return def().Price; }
Long CShip::getValue() const { return def().Price; }
const std::string& CShip::getShipTitle() const { return def().ShipTitle; }

bool CShip::getRollSafe() const {
  auto rolling = [](Single v) { return (v > 41.15f && v < 43.85f) || (v > 51.15f && v < 53.85f); };
  return rolling(spinValue) || rolling(trickValue);
}

D3DVECTOR CShip::getFlyingV() const {
  for (Integer k : charIndex) {
    vbCheckIndex(k, 0, static_cast<long long>(Characters.size()) - 1);
    if (!Characters[k]) vbRaise(vberr::ObjectMissing);
  }
  const CCharacter& a = *Characters[charIndex[0]];
  const CCharacter& b = *Characters[charIndex[1]];
  const Single mx = (a.x + b.x) / 2, me = (a.e + b.e) / 2, my = (a.y + b.y) / 2;
  return D3DVECTOR{x + 1.5f * (mx - x), e + 1.5f * (me - e), y + 1.5f * (my - y)};
}

Integer CShip::getMaxFuel() const { return CInt(maxFuel); }
Integer CShip::getMaxArmor() const { return CInt(maxArmor); }
Integer CShip::getMaxShields() const { return CInt(maxShields); }

Single CShip::getBoostVal() const {
  if (trickValue > 30 && trickValue < 40) return (1 - std::cos(trickValue - 31.0f)) * 1.57f;
  return 0;
}

Single CShip::getFlipVal() const {
  if (trickValue > 20 && trickValue < 30) return (1 - std::cos(trickValue - 21.0f)) * 1.57f;
  return 0;
}

void CShip::RollMe(Integer kind) {
  if (trickValue != 0) return;
  trickValue = kind == 1 ? 11.0f : kind == 2 ? 21.0f : 1.0f;
}

Double CShip::getSpinning() const {
  Double f = 1.0;
  if (spinValue > 0) f += 0.5;
  if (trickValue > 0) f += 0.7;
  return f;
}

void CShip::SpinMe() {
  if (!(Armor > 0) || trickValue != 0 || spinValue != 0) return;
  spinValue = Rnd() >= 0.5f ? 51.0f : 41.0f;
}

namespace {
Single clampedRatio(Single value, Single maximum) {
  if (!(maximum > 0)) return 0;
  Single p = value / maximum;
  return p < 0 ? 0.0f : p > 1 ? 1.0f : p;
}
}  // namespace

Single CShip::getShieldPercent() const { return clampedRatio(Shields, maxShields); }
Single CShip::getArmorPercent() const { return clampedRatio(Armor, maxArmor); }
Single CShip::getBoostPercent() const { return boostMax > 0 ? boostLeft / boostMax : 0.0f; }

Single CShip::getWarp() const {
  if (warpOutTimer > 0) {
    const Single s = std::sin(0.785f * warpOutTimer);
    return 4 - 2 * s * s;
  }
  const Single w = warpFrame;
  if (w <= 10) return 0;
  if (w <= 20) return w - 10;
  if (w < 30) return 24 - w;
  const Single v = (31 - w) * 3;
  return v < 0 ? 0.0f : v;
}

D3DVECTOR CShip::getPos() const { return D3DVECTOR{x, e, y}; }

// ---- crew seats ----------------------------------------------------------------------------

void CShip::initChar(Integer seat) {
  vbAt(crew, seat) = std::make_shared<CCharacter>();
  crew[seat]->Init();
}

void CShip::setCharModel(Integer seat, const std::string& model) {
  vbCheckIndex(seat, 0, CrewSeats - 1);
  if (!crew[seat]) vbRaise(vberr::ObjectMissing);
  crew[seat]->setModel(model);
}

void CShip::setCharTexture(Integer seat, const std::string& texture) {
  vbCheckIndex(seat, 0, CrewSeats - 1);
  if (!crew[seat]) vbRaise(vberr::ObjectMissing);
  crew[seat]->setTexture(texture);
}

void CShip::setCharAnim(Integer seat, Long pose) {
  vbCheckIndex(seat, 0, CrewSeats - 1);
  if (!crew[seat]) vbRaise(vberr::ObjectMissing);
  crew[seat]->setAnim(pose);
}

void CShip::fullInitChar(Integer seat, const std::string& model, const std::string& texture, Long& pose) {
  initChar(seat);
  setCharModel(seat, model);
  setCharTexture(seat, texture);
  if (seat == 0 || seat == 1) {
    const Long body = getShipBody();
    if (body == sbCar || body == sbConvertible) pose = seat == 0 ? 0 : 1;
    else if (body == sbBike) pose = seat == 0 ? 15 : 18;
  }
  setCharAnim(seat, pose);
}

std::string CShip::getCharTexture() const {
  if (!crew[0]) return "";
  const std::string& t = crew[0]->getTexture();
  return t.size() > 4 ? Left(t, Len(t) - 4) : std::string();
}

void CShip::stopEngineSound() {
  Exists = false;
  if (engineSound >= 0) {
    ClearSound(engineSound);
    engineSound = -1;
  }
}
