// CInterface: the interface object (one instance, GameInterface): the screen state and what the
// engine, the camera, the input handlers and the ships read and call of it. This far the least
// form of those calls: screen state, mouse ownership, key remapping, the title-scene and
// target-view fields, the aim values, hit feedback (combo count, splatter marks, crosshair flash),
// the bounty message and the talk-box state, the play clock, and the calls a landing, a warp and
// the map make to open and fill screens (the screen state is set by the caller; the stores'
// contents, the overlays and saving are not built yet). The screens, HUD, menus and their drawing
// come with the interface work.
#pragma once
#include <array>
#include <memory>
#include <string>

#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"

class CInterface {
 public:
  Long Window = 0;          // screen state (ms* values 0..40): 0 in flight, 14 main menu, 32 title scene
  Integer TargRender = -1;  // ship index shown in the target view, -1 none
  Long keyRemapping = -1;   // KeyAction waiting for a new key, -1 none
  Long iAction = 0;         // what the action key does now: 0 none, 1 hyperspace, 2 land, 3 tractor, 4 dock, 5/6 slow motion on/off
  Single dockFrame = 0;     // the docking exchange's clock; above 0 while it runs
  Integer PopFocID = -1;    // ship index the talk box focuses on, -1 none
  Long GameTime = 0;        // seconds of play
  Integer Scroll = 0;       // list position of the screen being opened (a landing resets it)
  bool BountyMode = false;  // mode of the bounty office being opened
  bool NeedMissionReinit = false;  // the node's mission list is rebuilt by InitMissions
  // Title scene.
  Double DemoOverFrame = 0;     // seconds since the title scene began
  Long DemoSceneMode = 0;       // camera shot 0..8
  Integer DemoSceneFollow = 0;  // what the shot follows: a ship, a sprite slot (shots 3, 4) or a character (7)
  Single DemoSceneFrame = 0;    // seconds in the current shot; the camera sets 1.0 when the followed ship is gone

  // True while the interface owns the mouse: a screen is up (Window not 0), or the player's ship
  // is in its tractor or landing sequence (TractorFrame or LandingFrame above 0).
  bool hasMouse() const;
  // Assigns key code to the binding keyRemapping waits for and clears keyRemapping; nothing while
  // no binding waits.
  void Remap(Integer keyCode);
  // Draws the interface of the frame.
  void Render();

  // Talk box: open while getTalkBox is True.
  void MakeTalkBox(const std::string& portrait, const std::string& text, bool confirm, bool reset, Single duration);
  bool getTalkBox() const { return talkBoxUp; }
  // True while the credits clock runs (the credits tunnel flight).
  bool canCredTunnel() const { return credClock > 0; }
  void LoadNewGameGunnerPortraits();

  // Target values for the HUD: the aim point (screen x, y, depth; (0, 0, 0) without a target) and
  // the target's ground distance, armour and shield percentages.
  void setAim(const D3DVECTOR& point) { aimPoint = point; }
  void setAimDist(Single v) { aimDist = v; }
  void setAimArmor(Single v) { aimArmor = v; }
  void setAimShields(Single v) { aimShields = v; }

  // Hit feedback: getHit starts a screen splatter mark (the first of the six whose life is over;
  // none while all six live); addCombo counts a hit (False) or a deflection (True) into the
  // combo, at most 20 hits a frame; setXHairRed starts the red crosshair flash.
  void getHit();
  void addCombo(bool deflected);
  void setXHairRed() { xhairRedTimer = 1.0f; }

  // Bounty records 0..63 (Subscript out of range outside): name and reward; "" and 0 until the
  // bounty list is read. NewBountyMsg shows text in the HUD for 2 s.
  std::string getBountyName(Integer i) const;
  Long getBountyVal(Integer i) const;
  Long getBountyUnit(Integer i) const;  // UnitType of the bounty's ship
  void NewBountyMsg(const std::string& text);

  // Screens opened by the player's ship. ToggleWarpChoose opens the status screen (True) or the
  // warp map (False), or closes the overlay when it is up; the least form opens nothing.
  void ToggleWarpChoose(bool status);
  // Resets the gunner's weapon-switch display; the landing and warp pass -1, -1.
  void InitSecondarySwitch(Long weapon, Long keep);
  // Fill the list of the screen just opened (level = the node's level): nothing to fill yet, but
  // InitMissions clears NeedMissionReinit as the rebuilt mission list does.
  void InitMissions();
  void InitShipStore(Integer level);
  void InitParts(Integer level);
  void InitWeaponList(Integer level);
  void InitBountyList();
  void ReadSaveList();
  // Starts the 3-second wait of screen 17 (the caller sets the screen).
  void InitWaitForASec() { waitTimer = 3.0f; }
  // Saves the game as an autosave next to landing slot k; save slots are not built yet.
  void doAutoSave(Integer k);

  static constexpr int BountySlots = 64;
  static constexpr int SplatSlots = 6;

 private:
  friend class CInterfaceProbe;         // tests read the private state
  friend struct CInterfaceLevelProbe;   // the level tests set bounties and read the wait timer

  // One screen splatter mark: life in seconds (1.0 at the start) and 7 points (screen pixels and
  // their distance from the screen centre).
  struct HitSplat {
    Single life = 0;
    std::array<Single, 7> x{}, y{}, r{};
  };
  struct BountyDef {
    std::string name;
    Long value = 0;
    Long unit = 0;  // UnitType
  };

  bool talkBoxUp = false;
  Single credClock = 0;
  D3DVECTOR aimPoint{};
  Single aimDist = 0, aimArmor = 0, aimShields = 0;
  std::array<HitSplat, SplatSlots> hitSplats{};
  Single comboTimer = 0;
  Integer comboHits = 0, comboDeflections = 0;
  bool comboRunning = false;
  Single comboShake = 0;
  Integer comboHitsThisFrame = 0;
  Single xhairRedTimer = 0;
  std::array<BountyDef, BountySlots> bounties{};
  std::string bountyMsg;
  Single bountyMsgTimer = 0;
  Single waitTimer = 0;  // seconds left of the wait screen (17)
};

extern std::shared_ptr<CInterface> GameInterface;
// Set by the interface while the game is paused (the frame update then moves only the player's ship).
extern bool GamePaused;
