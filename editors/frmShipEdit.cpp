#include "editors/frmShipEdit.h"

#include <exception>
#include <type_traits>

#include "editors/CShipEditor.h"
#include "editors/EditorMod.h"
#include "engine/MessageLog.h"
#include "runtime/Numbers.h"
#include "runtime/Strings.h"

namespace {
std::string wholeText(double v) { return CStr(roundHalfEven(v)); }
}  // namespace

std::vector<std::string> FrmShipEdit::editCaptions() {
  std::vector<std::string> captions;
  for (int count : {4, 8, 4, 4})
    for (const std::string& c : numberedCaptions(count)) captions.push_back(c);
  return captions;
}

FrmShipEdit::FrmShipEdit(CShipEditor& editor) : Form("Ship Editor"), editor_(editor) {
  const struct {
    Integer first;
    const char* label;
  } rows[] = {{0, "Seat:"}, {4, "Mount:"}, {12, "Jet:"}, {16, "Light:"}};
  for (Integer i = 0; i < optEdit.count(); ++i) optEdit(i).sameLine = true;
  for (const auto& row : rows) {
    optEdit(row.first).sameLine = false;
    optEdit(row.first).rowLabel = row.label;
  }
  // Short fields share rows (three numbers to a row, the bars two by two), so the window fits
  // an 800 x 600 screen.
  for (Control* c : std::initializer_list<Control*>{
           &Command1, &Command2, &cmbShipBody, &txtDesc, &txtInteriorTex, &txtWheelsTex, &txtMaxSpeed, &txtTraction,
           &txtShields, &txtArmor, &txtFuel, &txtEnergy, &txtJetSnd, &txtCamFollowY, &txtCamFollowZ, &fraMounts,
           &fraLights, &xScroll, &yLabel, &yScroll, &zScroll, &lblR, &rScroll})
    c->sameLine = true;
  for (TextBox* box : {&txtAcceleration, &txtMaxSpeed, &txtTraction, &txtAgility, &txtShields, &txtArmor, &txtPrice,
                       &txtFuel, &txtCamFollowY, &txtCamFollowZ, &txtEnergy, &txtStorage, &txtJetSnd})
    box->editWidth = 70;
  for (TextBox* box : {&txtBodyTex, &txtInteriorTex, &txtWindowTex, &txtWheelsTex}) box->editWidth = 130;
  for (ScrollBar* bar : {&xScroll, &yScroll, &zScroll, &rScroll}) bar->editWidth = 160;
  lblStatus.wrap = true;

  onLoad = [this] { Form_Load(); };
  Command1.onClick = [this] { Command1_Click(); };
  Command2.onClick = [this] { Command2_Click(); };
  optEdit.onClick = [this](Integer i) { optEdit_Click(i); };
  optSeats.onClick = [this](Integer i) { countClick(optSeats, 0, SeatsIndex, i); };
  optMount.onClick = [this](Integer i) { countClick(optMount, 4, MountsIndex, i); };
  optJet.onClick = [this](Integer i) { countClick(optJet, 12, JetsIndex, i); };
  optLight.onClick = [this](Integer i) { countClick(optLight, 16, LightsIndex, i); };
  xScroll.onChange = [this] { scrollChange(xScroll, xLabel, "X: ", &FrmShipEdit::applyX); };
  yScroll.onChange = [this] { scrollChange(yScroll, yLabel, "Y: ", &FrmShipEdit::applyY); };
  zScroll.onChange = [this] { scrollChange(zScroll, zLabel, "Z: ", &FrmShipEdit::applyZ); };
  rScroll.onChange = [this] { scrollChange(rScroll, lblR, "R: ", &FrmShipEdit::applyR); };
}

void FrmShipEdit::Form_Load() {
  FillGuard fill(filling_);
  EditIndex = 0;
  optEdit(0).setValue(true);
  optMount(0).setValue(true);
  optSeats(0).setValue(true);
  optJet(0).setValue(true);
  optLight(0).setValue(true);
}

void FrmShipEdit::report(const std::string& text) {
  lblStatus.setCaption(text);
  if (!text.empty()) addMessage("Ship Editor: " + text, false);
}

void FrmShipEdit::optEdit_Click(Integer i) {
  EditIndex = i;
  {
    FillGuard fill(filling_);
    const double x = editor_.getOptX(i), y = editor_.getOptY(i), z = editor_.getOptZ(i), r = editor_.getOptR(i);
    xScroll.setValue(roundHalfEven(x));
    yScroll.setValue(roundHalfEven(y));
    zScroll.setValue(roundHalfEven(z));
    rScroll.setEnabled(i >= 4 && i <= 11);
    rScroll.setValue(roundHalfEven(r));
    // The captions tell the stored values, also where a bar's range cannot show them.
    xLabel.setCaption("X: " + wholeText(x));
    yLabel.setCaption("Y: " + wholeText(y));
    zLabel.setCaption("Z: " + wholeText(z));
    lblR.setCaption("R: " + wholeText(r));
  }
  editor_.UpdateShip();
}

void FrmShipEdit::countClick(ControlArray<OptionButton>& group, Integer firstElement, Integer& stored, Integer i) {
  for (Integer k = 0; k < group.count(); ++k) optEdit(static_cast<Integer>(firstElement + k)).setEnabled(k <= i);
  stored = i;
  editor_.UpdateShip();
}

void FrmShipEdit::scrollChange(ScrollBar& bar, Label& caption, const char* prefix, void (FrmShipEdit::*apply)(Integer)) {
  if (filling_) return;  // only the user's own moves change the definition
  caption.setCaption(prefix + CStr(bar.value()));
  (this->*apply)(bar.value());
  editor_.UpdateShip();
}

void FrmShipEdit::applyX(Integer v) { editor_.setScrollx(EditIndex, v); }
void FrmShipEdit::applyY(Integer v) { editor_.setScrolly(EditIndex, v); }
void FrmShipEdit::applyZ(Integer v) { editor_.setScrollZ(EditIndex, v); }
void FrmShipEdit::applyR(Integer v) { editor_.setScrollR(EditIndex, v); }

bool FrmShipEdit::saveFormToDef(std::string& notes) {
  ShipDefVals v;
  std::string refused;
  notes.clear();
  // A number box: a value beyond its field refuses the save; a text that is not wholly a number
  // is saved as its numeric prefix and the author is told.
  auto number = [&](const TextBox& box, auto& out, auto read, const char* beyond) {
    const auto n = read(box.text());
    if (!n) {
      if (refused.empty()) refused = box.label() + " " + box.text() + beyond;
      return;
    }
    out = *n;
    if (isEditorNumber(box.text())) return;
    std::string saved;
    if constexpr (std::is_floating_point_v<std::decay_t<decltype(*n)>>) saved = editorNumberText(*n);
    else saved = CStr(*n);
    notes += (notes.empty() ? "" : "; ") + box.label() + " \"" + box.text() + "\" as " + saved;
  };
  auto single = [&](const TextBox& box, Single& out) {
    number(box, out, editorSingle, " is not a number this field holds.");
  };
  auto integer = [&](const TextBox& box, Integer& out) {
    number(box, out, editorInteger, " lies beyond -32768..32767.");
  };
  v.name = txtName.text();
  v.model = txtModel.text();
  v.bodyTex = txtBodyTex.text();
  v.interiorTex = txtInteriorTex.text();
  v.wheelTex = txtWheelsTex.text();
  v.windowTex = txtWindowTex.text();
  v.seats = SeatsIndex;
  v.mounts = MountsIndex;
  v.lights = LightsIndex;
  v.jets = JetsIndex;
  single(txtAgility, v.agility);
  single(txtMaxSpeed, v.maxSpeed);
  single(txtAcceleration, v.acceleration);
  single(txtTraction, v.traction);
  integer(txtShields, v.maxShields);
  integer(txtFuel, v.maxFuel);
  integer(txtArmor, v.maxArmor);
  number(txtPrice, v.price, editorLong, " lies beyond the price range.");
  v.title = txtTitle.text();
  v.description = txtDesc.text();
  single(txtCamFollowY, v.camFollowY);
  single(txtCamFollowZ, v.camFollowZ);
  // An unchosen body list keeps the definition's body type.
  v.body = cmbShipBody.listIndex() >= 0 ? cmbShipBody.listIndex() : editor_.getDefShipBody();
  integer(txtEnergy, v.energy);
  integer(txtStorage, v.storage);
  integer(txtJetSnd, v.jetSnd);
  if (!refused.empty()) {
    report("Not saved: " + refused);
    return false;
  }
  editor_.setDefVals(v);
  setScrollRanges();
  return true;
}

void FrmShipEdit::setScrollRanges() {
  FillGuard fill(filling_);
  const bool big = cmbShipBody.listIndex() == 3 || cmbShipBody.listIndex() == 4;
  xScroll.setMin(big ? -250 : -50);
  xScroll.setMax(big ? 250 : 50);
  yScroll.setMin(big ? -250 : -90);
  yScroll.setMax(big ? 250 : 50);
  zScroll.setMin(big ? -300 : -50);
  zScroll.setMax(big ? 300 : 50);
}

void FrmShipEdit::Command1_Click() {
  const std::string refused = checkEditorName(txtName.text());
  if (!refused.empty()) {
    report("Not saved: " + refused);
    return;
  }
  std::string notes;
  if (!saveFormToDef(notes)) return;
  const std::string name = txtName.text();
  std::string question;
  if (!replace_.mayWrite(name, editor_.hasFile(), "\\ships\\" + name + ".pnd", question)) {
    report(question);
    return;
  }
  try {
    editor_.Save();
    replace_.holds(name);
    report("Saved " + name + "." + (notes.empty() ? "" : " Not numbers, saved as read: " + notes + "."));
  } catch (const std::exception& e) {
    report(std::string("Save failed: ") + e.what());
  }
}

void FrmShipEdit::Command2_Click() { LoadShip(); }

void FrmShipEdit::LoadShip() {
  replace_.loadPressed();
  const std::string refused = checkEditorName(txtName.text());
  if (!refused.empty()) {
    report("Not loaded: " + refused);
    return;
  }
  const std::string previous = editor_.getDefName();
  editor_.setDefName(txtName.text());
  std::string note;
  try {
    note = editor_.Load();
  } catch (const std::exception& e) {
    editor_.setDefName(previous);
    report(std::string("Load failed: ") + e.what());
    return;
  }
  replace_.holds(editor_.getDefName());
  txtName.setText(editor_.getDefName());
  txtModel.setText(editor_.getDefModel());
  txtBodyTex.setText(editor_.getDefBodyTex());
  txtInteriorTex.setText(editor_.getDefInteriorTex());
  txtWheelsTex.setText(editor_.getDefWheelTex());
  txtWindowTex.setText(editor_.getDefWindowTex());
  txtAgility.setText(editorNumberText(editor_.getDefAgility()));
  txtAcceleration.setText(editorNumberText(editor_.getDefAcceleration()));
  txtMaxSpeed.setText(editorNumberText(editor_.getDefMaxSpeed()));
  txtTraction.setText(editorNumberText(editor_.getDefTraction()));
  txtFuel.setText(CStr(editor_.getDefFuel()));
  txtPrice.setText(CStr(editor_.getDefPrice()));
  txtShields.setText(CStr(editor_.getDefShields()));
  txtArmor.setText(CStr(editor_.getDefArmor()));
  txtTitle.setText(editor_.getDefTitle());
  txtDesc.setText(editor_.getDefDesc());
  txtCamFollowY.setText(editorNumberText(editor_.getDefCamFollowY()));
  txtCamFollowZ.setText(editorNumberText(editor_.getDefCamFollowZ()));
  optSeats(editor_.getDefTotalSeats()).setValue(true);
  optMount(editor_.getDefTotalMounts()).setValue(true);
  optJet(editor_.getDefTotalJets()).setValue(true);
  optLight(editor_.getDefTotalLights()).setValue(true);
  const Long body = editor_.getDefShipBody();
  cmbShipBody.setListIndex(body >= 0 && body < cmbShipBody.listCount() ? static_cast<Integer>(body) : -1);
  txtEnergy.setText(CStr(editor_.getDefShipEnergy()));
  txtStorage.setText(CStr(editor_.getDefShipStorage()));
  txtJetSnd.setText(CStr(editor_.getDefJetSnd()));
  editor_.UpdateShip();
  editor_.setShipResources();
  setScrollRanges();
  optEdit(EditIndex).setValue(true);  // the bars show the loaded element's values
  report(note.empty() ? "Loaded " + editor_.getDefName() + "." : "Loaded with changes: " + note);
}
