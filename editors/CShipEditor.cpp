#include "editors/CShipEditor.h"

#include <algorithm>

#include "editors/EditorMod.h"
#include "editors/frmShipEdit.h"
#include "engine/GameGlobals.h"
#include "engine/RenderMod.h"
#include "interface/CInterface.h"
#include "runtime/Strings.h"
#include "ships/CShip.h"
#include "ships/CShipDef.h"
#include "sprites/SpriteMod.h"

std::shared_ptr<CShipEditor> ShipEditor;

namespace {
constexpr Long MountLaser = 1, MountCannon = 5;
bool bigBody(Long body) { return body == sbCapital || body == sbFleshy; }
}  // namespace

CShipEditor::CShipEditor() = default;
CShipEditor::~CShipEditor() = default;

void CShipEditor::UpdateShip() {
  if (!PreviewShip || !EditDef) return;
  PreviewShip->setDef(*EditDef);
  const Integer last = std::clamp<Integer>(EditDef->TotalMounts, 0, CShipDef::MountRows - 1);
  for (Integer m = 0; m <= last; ++m) PreviewShip->setMount(m, bigBody(EditDef->ShipBody) ? MountCannon : MountLaser);
}

#define QV_DEF_GETTER(type, name, field, empty) \
  type CShipEditor::name() const { return EditDef ? EditDef->field : empty; }
QV_DEF_GETTER(std::string, getDefName, ShipName, "")
QV_DEF_GETTER(std::string, getDefModel, Model, "")
QV_DEF_GETTER(std::string, getDefBodyTex, BodyTex, "")
QV_DEF_GETTER(std::string, getDefWheelTex, WheelTex, "")
QV_DEF_GETTER(std::string, getDefInteriorTex, InteriorTex, "")
QV_DEF_GETTER(std::string, getDefWindowTex, WindowTex, "")
QV_DEF_GETTER(Integer, getDefTotalSeats, TotalSeats, 0)
QV_DEF_GETTER(Integer, getDefTotalMounts, TotalMounts, 0)
QV_DEF_GETTER(Integer, getDefTotalLights, totalLights, 0)
QV_DEF_GETTER(Integer, getDefTotalJets, TotalJets, 0)
QV_DEF_GETTER(Single, getDefAgility, Agility, 0)
QV_DEF_GETTER(Single, getDefMaxSpeed, MaxSpeed, 0)
QV_DEF_GETTER(Single, getDefAcceleration, Acceleration, 0)
QV_DEF_GETTER(Single, getDefTraction, Traction, 0)
QV_DEF_GETTER(std::string, getDefTitle, ShipTitle, "")
QV_DEF_GETTER(std::string, getDefDesc, Description, "")
QV_DEF_GETTER(Integer, getDefFuel, MaxFuel, 0)
QV_DEF_GETTER(Integer, getDefArmor, MaxArmor, 0)
QV_DEF_GETTER(Integer, getDefShields, MaxShields, 0)
QV_DEF_GETTER(Long, getDefPrice, Price, 0)
QV_DEF_GETTER(Single, getDefCamFollowZ, CamFollowZ, 0)
QV_DEF_GETTER(Single, getDefCamFollowY, CamFollowY, 0)
QV_DEF_GETTER(Long, getDefShipBody, ShipBody, 0)
QV_DEF_GETTER(Integer, getDefShipEnergy, Energy, 0)
QV_DEF_GETTER(Integer, getDefShipStorage, Cargo, 0)
QV_DEF_GETTER(Integer, getDefJetSnd, JetSnd, 0)
#undef QV_DEF_GETTER

Single CShipEditor::getOptX(Integer i) const {
  if (!EditDef) return 0;
  if (i < 4) return EditDef->getSeatXOff(i);
  if (i < 12) return EditDef->getMountXOff(static_cast<Integer>(i - 4));
  if (i < 16) return EditDef->getJetXOff(static_cast<Integer>(i - 12));
  return EditDef->getLightXOff(static_cast<Integer>(i - 16));
}

Single CShipEditor::getOptY(Integer i) const {
  if (!EditDef) return 0;
  if (i < 4) return EditDef->getSeatYOff(i);
  if (i < 12) return EditDef->getMountYOff(static_cast<Integer>(i - 4));
  if (i < 16) return EditDef->getJetYOff(static_cast<Integer>(i - 12));
  return EditDef->getLightYOff(static_cast<Integer>(i - 16));
}

Single CShipEditor::getOptZ(Integer i) const {
  if (!EditDef) return 0;
  if (i < 4) return EditDef->getSeatZOff(i);
  if (i < 12) return EditDef->getMountZOff(static_cast<Integer>(i - 4));
  if (i < 16) return EditDef->getJetZOff(static_cast<Integer>(i - 12));
  return EditDef->getLightZOff(static_cast<Integer>(i - 16));
}

double CShipEditor::getOptR(Integer i) const {
  if (!EditDef || i < 4 || i > 11) return 0;
  return radiansToDegrees(EditDef->getMountRot(static_cast<Integer>(i - 4)));
}

void CShipEditor::setScrollx(Integer i, Single v) {
  if (!EditDef) return;
  if (i < 4) EditDef->setSeatXOff(i, v);
  else if (i < 12) EditDef->setMountXOff(static_cast<Integer>(i - 4), v);
  else if (i < 16) EditDef->setJetXOff(static_cast<Integer>(i - 12), v);
  else EditDef->setLightXOff(static_cast<Integer>(i - 16), v);
}

void CShipEditor::setScrolly(Integer i, Single v) {
  if (!EditDef) return;
  if (i < 4) EditDef->setSeatYOff(i, v);
  else if (i < 12) EditDef->setMountYOff(static_cast<Integer>(i - 4), v);
  else if (i < 16) EditDef->setJetYOff(static_cast<Integer>(i - 12), v);
  else EditDef->setLightYOff(static_cast<Integer>(i - 16), v);
}

void CShipEditor::setScrollZ(Integer i, Single v) {
  if (!EditDef) return;
  if (i < 4) EditDef->setSeatZOff(i, v);
  else if (i < 12) EditDef->setMountZOff(static_cast<Integer>(i - 4), v);
  else if (i < 16) EditDef->setJetZOff(static_cast<Integer>(i - 12), v);
  else EditDef->setLightZOff(static_cast<Integer>(i - 16), v);
}

void CShipEditor::setScrollR(Integer i, double degrees) {
  if (!EditDef || i < 4 || i > 11) return;
  EditDef->setMountRot(static_cast<Integer>(i - 4), degreesToRadians(degrees));
}

void CShipEditor::setDefName(const std::string& name) {
  if (EditDef) EditDef->ShipName = name;
}

void CShipEditor::setDefVals(const ShipDefVals& v) {
  if (!EditDef) return;
  CShipDef& d = *EditDef;
  d.ShipName = v.name;
  d.Model = v.model;
  d.BodyTex = v.bodyTex;
  d.InteriorTex = v.interiorTex;
  d.WheelTex = v.wheelTex;
  d.WindowTex = v.windowTex;
  d.TotalSeats = v.seats;
  d.TotalMounts = v.mounts;
  d.totalLights = v.lights;
  d.TotalJets = v.jets;
  d.Agility = v.agility;
  d.MaxSpeed = v.maxSpeed;
  d.Acceleration = v.acceleration;
  d.Traction = v.traction;
  d.MaxShields = v.maxShields;
  d.MaxFuel = v.maxFuel;
  d.MaxArmor = v.maxArmor;
  d.Price = v.price;
  d.ShipTitle = v.title;
  d.Description = v.description;
  d.CamFollowY = v.camFollowY;
  d.CamFollowZ = v.camFollowZ;
  d.ShipBody = v.body;
  d.Energy = v.energy;
  d.Cargo = v.storage;
  d.JetSnd = v.jetSnd;
}

void CShipEditor::setShipResources() {
  if (!PreviewShip || !EditDef) return;
  PreviewShip->setModel(EditDef->Model);
  PreviewShip->setBodyTexture(EditDef->BodyTex);
  PreviewShip->setInteriorTexture(EditDef->InteriorTex);
  PreviewShip->setWheelTexture(EditDef->WheelTex);
  PreviewShip->setWindowTexture(EditDef->WindowTex);
}

void CShipEditor::seatCrew() {
  Long driverPose = 15, gunnerPose = 18;
  PreviewShip->fullInitChar(0, "chica", "chica.bmp", driverPose);
  PreviewShip->fullInitChar(1, "chica", "chica.bmp", gunnerPose);
}

void CShipEditor::Init() {
  ViewDistance = 100;
  GameInterface = std::make_shared<CInterface>();
  form_ = std::make_unique<FrmShipEdit>(*this);
  form_->show();
  form_->txtName.setText("Phantom");
  PreviewShip = std::make_shared<CShip>();
  EditDef = std::make_unique<CShipDef>();
  PreviewShip->setModel("phantom");
  PreviewShip->setBodyTexture("redphantom_b.bmp");
  PreviewShip->setInteriorTexture("whitephantom_i.bmp");
  PreviewShip->setWheelTexture("red_w.bmp");
  PreviewShip->setWindowTexture("fade.bmp");
  PreviewShip->x = 0;
  PreviewShip->y = 0;
  PreviewShip->r = 0;
  PreviewShip->setDef(*EditDef);
  PreviewShip->Init(0);
  seatCrew();
}

void CShipEditor::Save() {
  if (EditDef) EditDef->WriteDef();
}

bool CShipEditor::hasFile() const { return EditDef && EditDef->hasFile(); }

std::string CShipEditor::Load() {
  if (!EditDef || !PreviewShip) return "";
  CShipDef read;
  read.ShipName = EditDef->ShipName;
  read.ReadDef();  // raises before anything of the edited definition changes
  std::string note;
  auto clampCount = [&note](Integer& count, Integer rows, const char* what) {
    const Integer fitted = std::clamp<Integer>(count, 0, static_cast<Integer>(rows - 1));
    if (fitted == count) return;
    note += std::string(note.empty() ? "" : " ") + what + " " + CStr(count + 1) + " shown as " + CStr(fitted + 1) + ".";
    count = fitted;
  };
  clampCount(read.TotalSeats, CShipDef::SeatRows, "Seats");
  clampCount(read.TotalMounts, CShipDef::MountRows, "Mounts");
  clampCount(read.TotalJets, CShipDef::JetRows, "Jets");
  clampCount(read.totalLights, CShipDef::LightRows, "Lights");
  *EditDef = read;
  PreviewShip->setDef(*EditDef);
  seatCrew();
  return note;
}

void CShipEditor::Move() {
  if (Ships.empty()) Ships.resize(1);
  if (!Ships[0]) Ships[0] = std::make_shared<CShip>();
  const PointerStep step = trackEditorPointer();
  ViewAngle += step.dx / 50;
  ViewHeight += step.dy;
  ViewDistance = EditDef && bigBody(EditDef->ShipBody) ? 400 : 100;
  setOrbitCamera(ViewAngle, ViewHeight, ViewDistance);
  MoveSprites();
}

void CShipEditor::Render() {
  if (PreviewShip) {
    Single distance = -1.0f;
    PreviewShip->Render(distance);
  }
  SortSprites();
  RenderSpriteListA();
  setQuickRMode(rpFogged, 200, 200, 200, 200);
}
