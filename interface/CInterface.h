// CInterface: the interface object (one instance, GameInterface): the screen state machine
// (Window, the ms* states) and everything drawn over or instead of the flight scene. Render is the
// one per-frame entry; it draws the full-screen page of the current state (title scene, menus,
// options, wizard, dialogs) or the in-flight layers with the store or dialog on top. The screens
// are immediate: each is a method called once per frame that draws its widgets and acts on the
// click latch MouseClicked. The methods of each area are declared in its block below; the
// members outside the blocks are shared by every area.
#pragma once
#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
  Long Window = msNone;     // screen state (ms* values 0..40): 0 in flight, 14 main menu, 32 title scene
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

  // Initial values: keyRemapping -1, chosenSecondary -1, prevCash 10000, TargRender -1, prevWindow
  // msMainMenu; clears MouseClicked and puts the pointer at (100, 100); "Debug mode on." in the
  // message log when DevMode is on.
  CInterface();

  // True while the interface owns the mouse: a screen is up (Window above 0), a notice stands
  // (PlayerNotices), the status/warp overlay is opening, open or closing, or the player's ship is in its tractor or landing
  // sequence (TractorFrame or LandingFrame above 0).
  bool hasMouse() const;
  // Assigns key code to the binding keyRemapping waits for and clears keyRemapping; nothing while
  // no binding waits.
  void Remap(Integer keyCode);
  // The interface pass of the frame (the frame render pass calls it once, after the 3-D scene):
  // game clock, cash popups, pause rule, then the full-screen page of Window or the in-flight
  // layers with the store or dialog on top. Errors end the pass ("Error in Interface.Render: ").
  void Render();

  // True while the credits clock runs (the credits tunnel flight).
  bool canCredTunnel() const { return creditClock > 0; }
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
  // warp map (False), or reverses the overlay while it is up (opening or open).
  void ToggleWarpChoose(bool status);
  // Resets the gunner's weapon-switch display; the landing and warp pass -1, -1.
  void InitSecondarySwitch(Long weapon, Long keep);
  // The put-away of a landing (when a service screen opens) and of a warp (as the ship warps
  // out): a gunner holding `held` (>= 0; -1 none) puts it away (InitSecondarySwitch(-1, -1)) and
  // the selection is kept; the gunner takes it back once the landing or the whole warp (the
  // arrival and the warp in, chained hops included) is over. Called by the player's ship.
  void holsterSecondary(Integer held);
  // The weapon a purchase gives the gunner: taken into the hands when the landing ends unless
  // the gunner held a weapon when the ship landed. Called by the weapon store.
  void giveBoughtSecondary(Integer weapon);
  // Fill the stock of the store just opened for the node's tier (level). InitMissions clears
  // NeedMissionReinit (the node's mission list comes with mission control).
  void InitMissions();
  void InitShipStore(Integer level);
  void InitParts(Integer level);
  void InitWeaponList(Integer level);
  void InitBountyList();
  void ReadSaveList();
  // Starts the 3-second wait of screen 17 (the caller sets the screen).
  void InitWaitForASec() { waitTimer = 3.0f; }
  // Saves the game into the current slot as an autosave next to landing slot k; save icon 5 s. A
  // save that fails is a notice to the player (the slot and why); the ship stays where it was.
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
    std::string name;  // may hold text codes
    std::string text;  // description
    Long reward = 0;   // dollars
    Long unit = 0;     // UnitType, -1 for a keyword the unit table does not know
  };

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
  bool shipyardFleetMode = false;  // the shipyard shows its fleet page
  Integer fleetSlot = -1;          // dock bay chosen on the shipyard's fleet page, -1 none
  Integer spawnChoice = 0;       // fleet member 0..3 to respawn or switch into
  Integer chosenSecondary = -1;  // secondary weapon picked in the on-screen choice list, -1 none
  Integer landedSecondary = -1;  // weapon back in the gunner's hands once the landing or warp ends, -1 none
  Integer chosenMission = 0;     // mission 0..2 picked in mission control
  Integer pendingShipType = 0;   // shipyard purchase / fleet sale waiting for its dialog
  Long pendingPrice = 0;
  Integer pendingSlot = 0;       // dock bay, -1 the player's own ship
  std::array<std::string, 7> slotNames{};  // name line of each save slot, "" for an empty slot, "?" for a file with no line
  Integer curSlot = 0;           // save slot chosen on the save-slot screen
  struct SrcRect {
    Long left = 0, top = 0, right = 0, bottom = 0;
  };
  SrcRect srcRect{};             // source rectangle scratch for sprite draws
  Single saveIconTimer = 0;      // seconds left of the save icon (5.0 after a save)
  Single hudClock = 0;           // interface clock in seconds, wraps at 10000
  bool aimMarkerOn = false;      // set before the HUD, cleared by drawCursor: the aim marker ends the pass while set
  std::array<D3DVECTOR, 3> xhairPoints{};  // aim marker points (screen x, y, depth)

  // ===== BLOCK core: dispatcher, primitives, widgets, main menu, options, dialogs, fade =====
 public:
  // Starts the full-screen fade from black (fadeLevel = 1.5; the in-flight pass runs it down).
  void FadeIn() { fadeLevel = 1.5f; }
  // Binding text of a key-binding row: below 1000 the key's label and its code in parentheses
  // ("W(87)", "Up(38)", "Space(32)", "Num 5(101)", "F1(112)"); 1000 and above a joystick
  // control's name (CJoyControl.joyToString).
  static std::string keyBindingText(Integer code);

 private:
  friend struct CoreProbe;  // interface core tests
  friend struct WriteNoticeProbe;  // refused-write tests
  static constexpr int CashPopSlots = 6;
  Single hudClockPrev = 0;   // hudClock before this pass
  bool hudShown = false;     // the HUD (or the follow-mouse cursor) was drawn once; never cleared
  Single clockMark = 0;      // time of day (s) at which GameTime last counted a second
  std::array<Single, CashPopSlots> cashPopTimer{};  // life of each cash popup (1.0 at its start)
  std::array<Long, CashPopSlots> cashPopAmount{};   // prevCash - new cash (negative: money gained)
  SrcRect quadRect{};        // destination rectangle scratch for screen quads

  // Render's steps (one pass each frame). tickGameClock takes the time of day in seconds.
  void tickGameClock(Single timeOfDay);
  void runCashPopups();
  void drawDeathPrompt();
  void runShipChangeFade();
  void drawBountyMessage();
  // The directive, the result banner and the talk box over flight. Under a screen that covers
  // flight (`window` above 0, the wait after a linked landing excepted) none is drawn here: the
  // directive waits and the result banner keeps its clock for the return to flight, and Render
  // draws the talk box over that screen instead.
  void drawMissionLayers(Long window = 0);
  void runOverlay();
  bool runScreenFade();                 // True when the fade ends the pass (still darker than half)
  // Menu pages, wizard, title, intro, credits, quit and notice screens: drawn instead of flight.
  static bool isFullScreenState(Long window);
  void renderFullScreen(Long window);   // one of those states
  void renderFlightScreen(Long window); // table B
  void renderAttract();                 // the title sequence (msDemo)
  void attractTint();                   // a random map tint for the title sequence

  void drawPanel(Single x1, Single y1, Single x2, Single y2);
  void drawPanelEx(Single x1, Single y1, Single x2, Single y2, Integer r, Integer g, Integer b);
  // A plain panel of w x h centred on the screen, moved shiftX pixels sideways; its top-left corner.
  D3DXVECTOR2 rectToScreen(Single w, Single h, Single shiftX = 0);
  bool drawButton(Single x, Single y, Single w, const std::string& caption, bool disabled);
  bool drawHighlight(Single x, Single y, Integer cell);
  // Option rows: the row's state after this frame (a click toggles it). Never clear MouseClicked.
  bool drawRadioRow(Single x, Single y, Single w, const std::string& caption, bool marked);
  bool drawCheckRow(Single x, Single y, Single w, const std::string& caption, bool marked);
  bool drawOptionRow(Single x, Single y, Single w, const std::string& caption, bool marked, bool radio);
  // True in the frame the row is clicked (it then waits: keyRemapping = action).
  bool drawKeyBinding(Single x, Single y, const std::string& caption, Long action);
  void drawMenuIcon(Single x, Single y, Single scale);
  void drawMainMenu();
  void startNewCampaign();
  void startTutorial();
  void drawOptions();
  void drawOptionsInput(Single cx, Single cy);
  void drawOptionsGraphics(Single cx, Single cy);
  void drawOptionsSound(Single cx, Single cy);
  void drawOptionsExtra(Single cx, Single cy);
  void drawCheatsUnlocked();
  void drawYesCancel(const std::string& text, const D3DXVECTOR2& corner, Single width, bool yesNo, Integer& result);
  // The shared dialog frame: stops steering, draws the 400 x 150 panel and the question; result 0, 1 or 2.
  Integer dialogFrame(const std::string& text, bool yesNo);
  void drawConfirmDelete();
  void drawConfirmSave();
  void drawConfirmLoad();
  // Loads the whole game of slot curSlot (the game manager's and the bank's "load"); a slot that
  // cannot be read changes nothing, is a notice, and false.
  bool loadSlot();
  void drawConfirmPurchase();
  void drawConfirmMission();
  void drawConfirmCancelMission();
  void drawConfirmSell();
  void drawConfirmQuit();
  // Notices (tellPlayer, engine/PlayerNotices.h) stand over every screen. A screen whose write was
  // refused stays where it is, so the write can be tried again.
  // Start of the interface pass: while a notice is up the pass's click is taken from the screen
  // under it and returned for drawNotice; false otherwise.
  static bool withholdClickForNotice();
  // End of the interface pass: the oldest notice over the screen (and the cursor), given the
  // click withheld; its "ok" takes it away.
  void drawNotice(bool click);
 private:
  // ===== END core =====

  // ===== BLOCK newgame: wizard, save slots and game manager, intro =====
 public:
  // Reads the intro message wall "\data\intromsg.pnd" (10 rows of 80 cells, "." empty) and the
  // slide texts "\data\introtext.pnd" (10 pairs: text, picture under "\gfx\intro\"). A missing
  // file raises VbError 53 to the caller; what was read before stays.
  void ReadIntroMsg();
  // Reads the seven wizard texts of "\data\newgame.pnd"; fewer lines raise VbError 62 (texts read
  // so far kept). Called by the main menu's "new game".
  void ReadNewGameText();
  // Fills the wizard's driver (4, 5, 6, 7, 30, 8, 9, 10) and gunner (13..18, 31, 32) lists.
  void InitNewGameChars();
  // Portrait handles ("\portraits\" + skin of CharDefs) of the eight drivers into newGamePortraits;
  // LoadNewGameGunnerPortraits (declared above) does the same for the gunners.
  void LoadNewGameDriverPortraits();
  // "very easy", "easy", "normal", "hard", "armageddon" for 0..4, "" for anything else.
  static std::string getDifficultyName(Integer d);
  // Starts the intro slide show from its beginning (the wizard's finish; callers set msIntro).
  void startIntro() { introClock = -1.0; }
  // Moves the new-game wizard on from its page in Window as that page's "next" button does
  // (nothing on the difficulty and ship pages, which have their own). Enter on the name pages
  // calls it (the main window's key handler).
  void newGameNext();

  static constexpr int IntroCols = 80, IntroRows = 10, IntroSlides = 10;
  static constexpr int NewGameTextCount = 7, NewGameChoices = 8;

 private:
  friend struct NewGameProbe;  // wizard, save-slot and intro tests
  friend struct NewGamePixelProbe;

  // Wizard page numbers (Window - msNewShip + ngShip).
  static constexpr Integer ngShip = 1, ngDriver = 2, ngDriverName = 3, ngGunner = 4, ngGunnerName = 5,
                           ngAllSet = 6, ngSaveSlot = 14, ngDifficulty = 15;

  void drawNewGame(Integer page);
  void drawGameManager(bool fromMenu, bool embedded);
  void drawGameManagerMenu();
  void RenderIntro();
  // The message wall over the title scene at DemoOverFrame (called by the title sequence).
  void RenderIntroMsg();
  // Ship index the title camera watches (a firing ship preferred), -1 none; caps every existing
  // ship's armour at 50 and shields at 200.
  Integer pickWatchShip();

  // Wizard pieces: page heading and text, the two page buttons, the pages' bodies.
  void drawNewGameFrame(Integer page, Single cx, Single top);
  void drawNewGamePageText(Integer line, Single cx, Single top);
  void drawNewGameShipPage(Single cx, Single top);
  // The wizard's ship i (0..2, left to right) is offered: its design was read whole.
  static bool newGameShipOffered(Integer i);
  void chooseNewGameShip(Integer i);  // selItem, the player's ShipType and Ships(0) full
  void drawNewGameCrewPage(Integer seat, Single cx, Single top);
  void drawNewGameNamePage(const std::string& name, Single cx, Single top);
  void newGameFinish();
  // Save-slot preview: reads the head lines of slot curSlot into the preview members, or for a slot
  // that would not load why into previewDamage.
  void readSlotPreview();

  // Intro.
  std::array<std::array<bool, IntroRows>, IntroCols> introGrid{};  // [column][row]: True = a block
  std::array<std::string, IntroSlides> introTexts{};
  std::array<std::string, IntroSlides> introPictures{};  // file names under "\gfx\intro\"
  Double introClock = 0;  // slide-show clock, 8 units a slide (0.6 units a second)

  // New-game lists and texts.
  std::array<Integer, NewGameChoices> newGameDrivers{};
  std::array<Integer, NewGameChoices> newGameGunners{};
  std::array<Integer, NewGameChoices> newGamePortraits{};  // texture handles of the portraits shown
  std::array<std::string, NewGameTextCount> newGameTexts{};

  // Save-slot preview of curSlot.
  bool slotPreviewStale = false;
  std::string previewDriver, previewGunner, previewDate, previewTime;
  Integer previewDifficulty = 0;
  Long previewPlayTime = 0;   // seconds
  Integer previewNode = 0;    // world node index
  std::string previewDamage;  // "" for a slot that loads
  std::array<std::string, 7> slotDamageLogged{};  // the damage last logged for each slot
 private:
  // ===== END newgame =====

  // ===== BLOCK overlay: warp-map and status overlay, status screen =====
 public:
  // Carrier fleet choice for respawning (the weapon-switch keys of a carrier, SpawnCycle): for
  // the player's ship only, steps spawnChoice forward (back) modulo 4 to the next fleet record
  // holding a ship (at most 4 steps), beeps and shows the choice list for 2 s.
  void NextSpawn(Integer ship);
  void PrevSpawn(Integer ship);
  Integer getCurMission() const { return chosenMission; }

 private:
  friend struct OverlayProbe;  // tests drive the overlay and the status screen
  // Status screen: one frame of the strip of panels while the status overlay is fully open.
  void drawStatusScreen();
  // Warp map: the node box of the highlighted (else current) node with its service icons, in the
  // bottom corner (left or right) that hides fewer of the map's nodes, the described one first.
  void drawNodeTitle();
  // Service icons of a node from (x, y) rightward, 30 pixels apart.
  void drawNodeIcon(Integer node, Single x, Single y);
  void stepSpawn(Integer ship, Integer step);
  // Play time as hours:minutes:seconds, each at least two digits ("01:02:05", "100:00:00").
  static std::string playTimeText(Long seconds);
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
  Single comboSlide = 0;          // pixels the combo panel has slid in from the right edge, 0..150
  std::string comboWord;          // rating word last reached (kept across combos)
  Single comboBonusTimer = 0;     // seconds left of the bonus message (2.0 at an award)
  std::string comboBonusText;
  // Pulse-on-change detectors of the action, secondary and target panels (pulse 0.22 s).
  Single actionPulse = 0, secondaryPulse = 0, targetPulse = 0;
  Long lastAction = 0, lastSecondary = 0;
  Integer lastTarget = 0;
  // Choice arc over the secondary/bay panel: entries (-1 empty), fleet or weapons, eased position.
  std::array<Integer, 8> choiceList{};
  bool choiceListIsFleet = false;
  Single choiceArcPos = 0;
  friend struct HudProbe;       // HUD tests
  friend struct HudPixelProbe;  // HUD pixel tests

 public:
  // Draws one of the 15 fade shades over the whole screen: index CInt(level * 100 / 6.66666) in 0..14.
  void GrayOut(Single level);
  void setXHair(Integer i, const D3DVECTOR& point);
  // Goods name of kind 0..7 ("tapes" .. "chemicals"), "unidentified" for any other value.
  std::string rscStringFromNum(Integer kind) const;
  // Respawn request of ship `ship` (the ship code): for the player's ship with fleet member
  // spawnChoice holding a ship, starts the ship-change fade (dockFrame = 1.0) with SndSpawn.
  void Spawn(Integer ship);
  // Launch into the next fleet ship at once (dockPlayer calls it when the player docked with the
  // action key held): NextSpawn; when the choice moved, two beeps, SpawnSubPlayer into it, SndSpawn
  // and only the fade-in half of the ship-change fade (dockFrame = 1.51); else nothing.
  void SpawnCycle();
  // The choice open in the arc (chosenSecondary) while SecondarySwitchFrame is above 0, else -2.
  Integer getSecondaryGoal() const;
  // Opens the choice arc on the fleet ships; position = spawnChoice before the step (NextSpawn,
  // PrevSpawn). The list is rebuilt only when the arc was closed.
  void MakeSpawnList(Integer position);

 private:
  // One clickable goods row at (x, y): icon, name (count), price. True when it consumed a click.
  bool drawCargoList(Single x, Single y, Integer kind, Integer count, Integer price);
  // Quarter-circle arc gauge centred at (x, y); value 0..1 (nothing at 0 or below).
  void drawGauge(Single x, Single y, Single radius, Single value, Integer r, Integer g, Integer b);
  void drawHudIcon();                        // the choice arc of the secondary / bay panel
  std::string getTargetDesc(Integer ship);   // the map's unit description of the ship's AI type
  Single getComboShake(Integer scale);       // one jitter value for the combo panel texts
  void giveComboBonus(Integer level);        // combo bonus level 0..5 to the player's ship

  // HUD drawing helpers (CInterfaceHud.cpp). Texture handles index TexSlots; a handle whose file
  // failed draws nothing (sprite) or a plain colour quad (screen quad). Screen pixels throughout.
  // hudSprite: one 2-D sprite draw of src scaled (sx, sy) with its top-left corner at (x, y).
  void hudSprite(Integer tex, const RECT& src, Single sx, Single sy, Single x, Single y, D3DCOLOR colour);
  // hudQuad: src (texels of 256) of tex over (l, t)-(r, b), rounded to whole pixels; tex -1: none.
  void hudQuad(Integer tex, const RECT& src, Single l, Single t, Single r, Single b, Integer red, Integer green,
               Integer blue);
  // hudRot: the whole of tex as a square of circumradius radius about (cx, cy), turned by angle.
  void hudRot(Integer tex, Single cx, Single cy, Single radius, Integer red, Integer green, Integer blue, Single angle);
  void hudText(Single x, Single y, const std::string& text, Long justify, Integer red, Integer green, Integer blue,
               Single size);
  // Pulse on change: 0.22 s when current differs from last; returns the text size 0.6 + sin(10 t) / 6.
  Single runPulse(Single& pulse, Long& last, Long current);
  // True in the alarm tenth of every three tenths of hudClock.
  bool hudBlink() const;
  // Radar and markers (CInterfaceRadar.cpp): corner brackets about (x, y) at depth z (returns the
  // half-size), the behind-the-camera arrow (moves x, y to the arrow's place) and the off-screen
  // arrow of classic view.
  Single drawBrackets(Single x, Single y, Single z, Long body, Integer red, Integer green, Integer blue);
  void drawBehindArrow(Single& x, Single& y, Integer red, Integer green, Integer blue);
  void drawOffscreenArrow(Single x, Single y, Integer red, Integer green, Integer blue);

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
  // One store catalogue entry (read from "\data\partsdef.pnd" and "\data\ammodef.pnd").
  struct StoreItemDef {
    std::string name;
    Long price = 0;   // cash units
    std::string desc;
    Long value = 0;   // energy the part draws; only the parts file sets it
  };
  static constexpr int StoreItemSlots = 32;   // PartId / WeaponStoreId 0..31
  static constexpr int WeaponStockSlots = 16;
  static constexpr int ShipStockSlots = 8;
  static constexpr int OwnedSlots = 64;

  // Energy value of catalogue entry id (0..31; VbError 9 outside).
  Long getPartEnergy(Integer id) const;
  // Read the whole catalogue file into storeItems (nothing cleared first). A missing file or a
  // record cut short raises VbError to the caller; entries read before it stay. Unknown keywords
  // give the unforced line "Unrecognized part: " / "Unrecognized weapon: " + keyword.
  void ReadPartDefs();
  void ReadAmmoDefs();
  // Goods of the player record (kinds 0..15) copied onto the player's ship and back. The ship
  // holds the 8 traded kinds; record kinds beyond them stay in the record only.
  void cargoToShip();
  void cargoFromShip();
  // Player.Cash -= amount, without a test.
  void payCash(Long amount);

 private:
  friend struct StoreProbe;       // store tests
  friend struct StorePixelProbe;  // store pixel tests
  friend struct ShipyardProbe;    // shipyard and fleet tests
  std::array<StoreItemDef, StoreItemSlots> storeItems{};
  std::array<bool, StoreItemSlots> partsInStock{};
  std::array<Integer, WeaponStockSlots> weaponStock{};
  std::array<Integer, ShipStockSlots> shipStock{};
  std::array<Integer, OwnedSlots> ownedList{};
  std::string itemName;   // name of the entry last described
  Long itemEnergy = 0;    // value of the entry last described

  // True when ownedList holds id + 10 (the player owns upgrade PartId id).
  bool isInStockList(Integer id) const;
  // Describes entry id (0..31) into itemName, itemEnergy and the text writer's block and returns
  // its price; -1 (or any id outside the catalogue) clears them and returns 0.
  Long makeItemDescBlock(Integer id);
  // One list row over (x, y)..(x + w, y + h); True when clicked this frame (never when disabled).
  bool drawListRow(Single x, Single y, Single w, Single h, const std::string& label, bool selected, bool disabled);
  // Lowest free mount of the player's ship (0..getTotalMounts), -1 none.
  Integer getFreeMount() const;
  // Icon of PartId id (top-left at x, y) from the part icon sheets; of WeaponStoreId id from the
  // weapon icon sheet (nothing for a negative id).
  void drawPartIcon(Integer id, Single x, Single y);
  void drawWeaponIcon(Integer id, Single x, Single y);
  // A Single as the game prints a general number: up to 7 significant digits, no trailing zeros.
  static std::string singleText(Single v);
  // The directive banner and time box (drawDirective) from the mission phase's values: directive
  // timer t (s), directive text, the time limit (called once, just before the time is drawn: it
  // gives the text, "" for none, and sets the text colour), the player's warp frame and the
  // locked-area flag.
  void drawDirectiveBanner(Single t, const std::string& directive, const std::function<std::string()>& timeLimit,
                           Single warpFrame, bool lockedArea);
  // The result banner (drawMissionResult) on its clock: above 10 failed, else complete.
  void drawResultBanner(Single& completeFrame);

 private:
  void drawPlunder();
  void drawHardwareStore();
  void drawBountyHunting();
  void drawTrading(bool pleasant);
  void drawShipyard();
  // The shipyard's price of design s for the ship flown: Price(s) less a quarter of the current
  // design's price (rounded half to even) when the current ship is a Capital or s is neither a
  // Capital nor a Fleshy ship; tradeIn gets that quarter, or -1 when nothing is traded in.
  Long shipyardPrice(Integer s, Double& tradeIn) const;
  // The shipyard's icon of design n (ShipPartsTex sheets of 3 x 3 cells of 85 pixels) at (x, y).
  void drawShipIcon(Integer n, Single x, Single y, Single scale);
  void drawShipyardFleetPage(const D3DXVECTOR2& c, Integer s);
  void drawGasStation();
  void drawWeaponStore();
  void drawWaitForASec();
  void drawMissionControl();
  void drawDirective(Single level);
  void drawMissionResult();
  void RenderSaveIcon();
  // The store frame (width x 360, centred, moved shiftX pixels sideways); its top-left corner.
  D3DXVECTOR2 drawDoneButton(const std::string& title, Integer width, Single shiftX = 0);
  void drawShipStats(Single& x, Single& y, Integer index);
  bool drawListArrowUp(Single x, Single y, bool selected);
  bool drawListArrowDown(Single x, Single y, bool selected);
  // "their stuff:" grid of a store panel at corner c: 4 x 2 cells of stock (slots entries, -1
  // ends the list) from row Scroll, a click selects its cell (at most maxSel); part or weapon icons.
  void drawStockGrid(const D3DXVECTOR2& c, const Integer* stock, Integer slots, Integer maxSel, bool weaponIcons);
  // "your stuff:" heading; keeps xScroll within the owned list, whose unused entries hold empty.
  void drawOwnedHeading(const D3DXVECTOR2& c, Integer empty);
  // End of a store frame at corner c: the selected item's name and description block, the owned
  // row's scroll arrows; clears the click latch.
  void drawItemDescAndScroll(const D3DXVECTOR2& c);
 private:
  // ===== END stores =====

  // ===== BLOCK talk: talk boxes, the talk action, the news viewer =====
 public:
  // Opens the talk box with the portrait "\gfx\portraits\" + portrait + ".bmp" and text; confirm:
  // the box waits for the talk key to accept its offer; resetShip: no ship's offer is shown (the
  // mission script's popups), and the mission's directive still on the banner, the step before
  // this line, is ended. Returns the seconds the box stays open: Len(text) / 20 + 4. Called by the
  // talk action, the meeting talk of ships and the mission script's popups.
  Single MakeTalkBox(const std::string& portrait, const std::string& text, bool confirm, bool resetShip);
  // True while a talk box is open (its timer above 0).
  bool getTalkBox() const { return talkTimer > 0; }
  // Closes an open talk box at once, with its offer and its focus on a ship (a loaded game).
  void closeTalkBox();
  // The talk action of the player's ship aimed at ship s (its talk key, after it checked that s
  // exists, is not the player's carrier and has armour): a random line chosen by who s is and how
  // things stand, or, pressed again while s's offer shows, the offer accepted.
  void ChatterBox(Integer s);
  // The talk key while a mission runs: the mission's talk line and its wait are cut to 0.5 s.
  void continueMissionTalk();

 private:
  friend struct TalkProbe;       // talk tests
  friend struct NewsPixelProbe;  // news viewer pixel tests
  // Draws and ages the talk box (the frame's mission layers, while its timer runs).
  void RenderTalkBox();
  // The news viewer of the bounty office at the studio's top-left corner (x, y): steps the
  // broadcast (News.Read) and draws studio, picture, newscasters, ticker, frame and speech panel.
  void drawNews(Single x, Single y);
  // The studio frame (512 x 384 from four textures) at its top-left corner (X, Y).
  void drawNewsLogo(Single X, Single Y);

  Single talkTimer = 0;     // seconds the box stays open; open while above 0
  std::string talkText;
  Single talkAge = 0;       // seconds since the box opened, held at 0.5
  Single talkBoxY = 15;     // top of the box in pixels
  Integer talkShip = -1;    // ship whose offer is shown, -1 none
  Long talkKind = 0;        // TalkCategory of the line last opened by the talk action
  std::array<Integer, 4> talkValues{};  // the offer's values (never cleared)
  bool talkConfirm = false;  // the box waits for the talk key to accept its offer
 private:
  // ===== END talk =====

  // ===== BLOCK bounty: bounty list, offers and the bounty office =====
 public:
  static constexpr int BountyOfferSlots = 3;

 private:
  friend struct BountyProbe;  // bounty tests
  std::array<Integer, BountyOfferSlots> bountyOffers{-1, -1, -1};  // indexes into bounties, -1 no offer
  // Reads "\data\bounty.pnd" into bounties; False (with a message) when the file is missing or
  // holds fewer than 64 whole records (the whole records read stay).
  bool readBountyFile();
  // Takes offer place i: its state becomes 1, "new target" message, back to flight.
  void takeBounty(Integer place);
 private:
  // ===== END bounty =====

  // ===== BLOCK credits: end credits =====
 public:
  // Starts the end credits: the credits music, the credits file, the clock at -1 and msCredits.
  // A missing credits file raises VbError 53 to the caller after the music has started; the
  // screen state is then unchanged. Called by the mission command "rollcredits".
  void doCredits();
  // Reads "\data\credits.pnd" into creditLines (entry 0 empty, line k of the file at entry k).
  void ReadCredits();

 private:
  friend struct CreditsProbe;  // credits tests
  std::vector<std::string> creditLines{std::string()};
  Double creditClock = -1.0;  // seconds into the credits; -1 before the fade-in
  // One pass of the credits (the dispatcher calls it while Window is msCredits).
  void RenderCreds();
 private:
  // ===== END credits =====
};

extern std::shared_ptr<CInterface> GameInterface;
// Set by the interface while the game is paused (the frame update then moves only the player's ship):
// the status or warp overlay, the intro, the credits, the quit question, a notice standing.
extern bool GamePaused;
