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

// Screen states (CInterface.Window).
constexpr Long msNone = 0, msPlunder = 1, msHardware = 2, msBountyOffice = 3, msHyperMart = 4, msShipyard = 5,
               msGasStation = 6, msWeaponStore = 7, msPleasantTrading = 8, msBank = 9, msConfirmDelete = 10,
               msConfirmSave = 11, msConfirmLoad = 12, msConfirmPurchase = 13, msMainMenu = 14, msGameManager = 15,
               msConfirmMission = 16, msWaitForASec = 17, msMissionControl = 18, msOptInput = 19,
               msOptGraphics = 20, msOptSound = 21, msOptExtra = 22, msOptions = 23, msNewShip = 24,
               msNewDriver = 25, msNewDriverName = 26, msNewGunner = 27, msNewGunnerName = 28, msNewAllSet = 29,
               msConfirmCancelMission = 30, msConfirmSell = 31, msDemo = 32, msIntro = 33, msCredits = 34,
               msConfirmQuit = 35, msConfirmDeleteMenu = 36, msNewSaveSlot = 37, msNewDifficulty = 38,
               msSloMoUnlocked = 39, msCheatsUnlocked = 40;

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
  Integer DemoSceneTarget = 0;  // the ship the title camera follows again after a sprite shot
  Integer WeaponSwitchBack = 0;  // chosen secondary before the last InitSecondarySwitch(.., True)
  Integer IsDockCycle = 0;       // kept for the record layout; read by nobody
  Double sScroll = 0;            // horizontal slide of the status-screen panels (-20 on opening, toward 0)
  Integer xScroll = 0;           // first visible row of the player's list in the stores (selections from 100)
  Single SecondarySwitchFrame = 0;  // seconds left of the on-screen choice list (2.0 when opened)
  Long prevCash = 10000;         // the player's cash seen at the last frame

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
  std::array<BountyDef, BountySlots> bounties{};
  std::string bountyMsg;
  Single bountyMsgTimer = 0;
  Single waitTimer = 0;  // seconds left of the wait screen (17)

  // Shared by several screens.
  Integer playerShip = 0;        // index in Ships of the ship the interface serves (always 0)
  Long prevWindow = msMainMenu;  // Window at the previous frame
  Single overlayFrame = 0;       // status/warp overlay: 0 closed, 0.01..1 opening, 1 open, 1..2 closing
  bool overlayIsStatus = false;  // the overlay is the status screen (false: the warp map)
  Single fadeLevel = 0;          // full-screen fade (1.5 fully dark), run down by Render
  Integer selItem = 0;           // selected entry of the current list screen / wizard page choice
  bool shipyardFleetMode = false;
  Integer spawnChoice = 0;       // fleet member 0..3 to respawn or switch into
  Integer chosenSecondary = -1;  // secondary weapon picked in the on-screen choice list, -1 none
  Integer chosenMission = 0;     // mission 0..2 picked in mission control
  Integer pendingShipType = 0;   // shipyard purchase / fleet sale waiting for its dialog
  Long pendingPrice = 0;
  Integer pendingSlot = 0;       // dock bay, -1 the player's own ship
  std::array<std::string, 7> slotNames{};  // name line of each save slot, "" for an empty slot
  Integer curSlot = 0;           // save slot chosen on the save-slot screen
  struct SrcRect {
    Long left = 0, top = 0, right = 0, bottom = 0;
  };
  SrcRect srcRect{};             // source rectangle scratch for sprite draws
  Single saveIconTimer = 0;      // seconds left of the save icon (5.0 after a save)
  Single hudClock = 0;           // interface clock in seconds, wraps at 10000
  bool aimMarkerOn = false;      // the aim marker is drawn this frame
  std::array<D3DVECTOR, 3> xhairPoints{};  // aim marker points (screen x, y, depth)

  // ===== BLOCK core: dispatcher, primitives, widgets, main menu, options, dialogs, fade =====
 public:
  // Per-frame entry (frame render pass). Starts the fade from black (fadeLevel = 1.5).
  void FadeIn() { fadeLevel = 1.5f; }

 private:
  void drawPanel(Single x1, Single y1, Single x2, Single y2);
  void drawPanelEx(Single x1, Single y1, Single x2, Single y2, Integer r, Integer g, Integer b);
  D3DXVECTOR2 rectToScreen(Single w, Single h);
  bool drawButton(Single x, Single y, Single w, const std::string& caption, bool disabled);
  bool drawHighlight(Single x, Single y, Integer cell);
  void drawMainMenu();
  void drawOptions();
  void drawCheatsUnlocked();
  void drawYesCancel(const std::string& text, const D3DXVECTOR2& corner, Single width, bool yesNo, Integer& result);
  void drawConfirmDelete();
  void drawConfirmSave();
  void drawConfirmLoad();
  void drawConfirmPurchase();
  void drawConfirmMission();
  void drawConfirmCancelMission();
  void drawConfirmSell();
  void drawConfirmQuit();
 private:
  // ===== END core =====

  // ===== BLOCK newgame: wizard, save slots and game manager, intro =====
 public:
  void ReadIntroMsg();
  void ReadNewGameText();
  void InitNewGameChars();
  void LoadNewGameDriverPortraits();

 private:
  void drawNewGame(Integer page);
  void drawGameManager(bool fromMenu, bool embedded);
  void drawGameManagerMenu();
  void RenderIntro();
 private:
  // ===== END newgame =====

  // ===== BLOCK overlay: warp-map and status overlay, status screen =====
 private:
  void drawStatusScreen();
  void drawNodeTitle();
 private:
  // ===== END overlay =====

  // ===== BLOCK hud: in-flight HUD, radar, markers, lists, cursor, aim marker =====
 private:
  std::array<HitSplat, SplatSlots> hitSplats{};
  Single comboTimer = 0;
  Integer comboHits = 0, comboDeflections = 0;
  bool comboRunning = false;
  Single comboShake = 0;
  Integer comboHitsThisFrame = 0;
  Single xhairRedTimer = 0;
 public:
  // Draws one of the 15 fade shades over the whole screen: index CInt(level * 100 / 6.66666) in 0..14.
  void GrayOut(Single level);
  void setXHair(Integer i, const D3DVECTOR& point);

 private:
  void drawCursor();
  void drawAimMarker();
  void drawTargetDistance();
  void drawShipMarkers();
  void drawRadar();
  void drawDestinationHud();
  void drawTargetHud();
  void drawActionHud();
  void drawBayHud();
  void drawSecondaryHud();
  void drawStatusHud();
  void drawMotherShipHud();
  void RenderCombo();
  void RenderHitSplats();
  void stopPlayerSteer();
 private:
  // ===== END hud =====

  // ===== BLOCK stores: catalogues, store frame, stores, gas station, wait screen, banners =====
 public:
  Long getPartEnergy(Integer id) const;

 private:
  void drawPlunder();
  void drawHardwareStore();
  void drawBountyHunting();
  void drawTrading(bool pleasant);
  void drawShipyard();
  void drawGasStation();
  void drawWeaponStore();
  void drawWaitForASec();
  void drawMissionControl();
  void drawDirective(Single level);
  void drawMissionResult();
  void RenderSaveIcon();
  D3DXVECTOR2 drawDoneButton(const std::string& title, Integer width);
  void drawShipStats(Single& x, Single& y, Integer index);
  bool drawListArrowUp(Single x, Single y, bool selected);
  bool drawListArrowDown(Single x, Single y, bool selected);
 private:
  // ===== END stores =====
};

extern std::shared_ptr<CInterface> GameInterface;
// Set by the interface while the game is paused (the frame update then moves only the player's ship).
extern bool GamePaused;
