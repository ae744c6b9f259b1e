// CShip: one vehicle of the current level (the player's ship, an AI ship, a fleet ship or a
// wreck) and the global ships array Ships: the ship record, its set-up (Init, setDef,
// MakeModdedDef), the read-outs of its state, models, textures and crew seats, its cargo, cash,
// weapons and hostility (CShip.cpp, CShipCargo.cpp), the per-frame movement step with tricks,
// boost, height band and structure contacts (CShipMove.cpp), damage (CShipDamage.cpp), the
// action prompt and landing (CShipLanding.cpp), leaving the map and warp (CShipWarp.cpp), and
// explosion, wrecks, ship contacts and meetings (CShipWreck.cpp), drawing (CShipRender.cpp),
// the weapon step, mount and secondary shots and the secondary-weapon choice (CShipWeapons.cpp),
// the talk and target keys and the travel heading (CShipTalk.cpp), and the copy of a ship, the
// warp tunnel and the crew thrown off a lost ship (CShipCopy.cpp).
//
// Axes: x and y on the ground (drawing x and z), e the height (drawing y); every vector handed to
// drawing or sprites is (x, e, y). Angles in radians. A ship is known everywhere by its index in
// Ships; Ships(0) is the player's ship.
#pragma once
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/D3DTypes.h"
#include "runtime/Numbers.h"
#include "ships/CAI.h"
#include "ships/CCharacter.h"
#include "ships/CShipDef.h"

class CInterface;

class CShip {
 public:
  static constexpr int MountSlots = 8;       // weapon mounts 0..7
  static constexpr int SecondarySlots = 16;  // SecondaryType 0..15
  static constexpr int GoodsKinds = 8;       // GoodsKind 0..7
  static constexpr int CrewSeats = 6;        // seat 0 driver, 1 gunner, 2..5 passengers

  // A created ship takes no part in the level (Exists False) until Init. Its mounts hold -1 (no
  // weapon) and it has no engine sound (-1); every other value is 0 or empty.
  CShip();
  // A ship owns its design copy, pilot and crew; copies are made by the ship's own Clone.
  CShip(const CShip&) = delete;
  CShip& operator=(const CShip&) = delete;

  // ---- public fields -------------------------------------------------------------------------
  Single x = 0, y = 0;            // ground position
  Single e = 0;                   // height
  Single xM = 0, yM = 0, eM = 0;  // velocity, units per second
  Single r = 0;                   // heading, [0, 6.28)
  Single roll = 0;                // sideways bank
  Single Pitch = 0;               // climb attitude
  // Control flags (KeyAction in brackets): set while the bound key, button or pilot command is on.
  bool keyLeft = false;           // (2) trick left
  bool keyRight = false;          // (3) trick right
  bool keyThrust = false;         // (0)
  bool keyBrake = false;          // (1)
  bool keyPrimary = false;        // (10) fire the mounts
  bool keySwitchLeft = false;     // (6) previous secondary weapon; one-shot
  bool keySwitchRight = false;    // (7) next secondary weapon; one-shot
  bool keySecondary = false;      // (11)
  bool keyNextTarg = false;       // (5) one-shot
  bool keyPrevTarg = false;       // (4) one-shot
  bool keyWarp = false;           // (8) the interface's current action
  bool keyWarpChoose = false;     // (9) warp menu
  bool keySel2 = false;           // (16) status screen and pause
  bool keyTalk = false;           // (17) one-shot
  bool keyLookUp = false;         // (14) climb input +20
  bool keyLookRight = false;      // (13) turn input +20
  bool keyLookLeft = false;       // (12) turn input -20
  bool keyLookDown = false;       // (15) climb input -20
  Integer SecondaryTarget = 0;    // selected target ship index, -1 none
  Single Steering = 0;            // turn input -20..20
  Single Elever = 0;              // climb input -20..20
  bool IsMotama = false;          // mission flag: glows; hits leave armour and shields full
  bool IsIshuo = false;           // mission flag: hits leave armour and shields full
  bool IsRedMotama = false;
  bool canTrade = false;          // True after Init; the talk action's one-time branch
  bool ExplodingWarp = false;     // the next departure runs the exploding warp
  bool IAmBlarg = false;          // destroyed outright when the armour runs out
  Integer autoEvac = 0;           // 0 normal, 1 crew bails out at zero armour, 2 evacuated
  bool ForceFriend = false;       // hits cause no hostile reaction of the pilot
  std::string tractorGift;        // gift tag of a tractor delivery
  Integer ShipType = 0;           // index of the design in ShipDefs
  Single Speed = 0;               // forward speed, -MaxSpeed/4..MaxSpeed
  Integer Agility = 0;            // working turn rate
  Integer MaxSpeed = 0;           // working top speed
  Single Acceleration = 0;        // working acceleration
  Single Traction = 0;            // working grip
  Single CamFollowZ = 0;          // camera follow distance (from the design)
  Single CamFollowY = 0;          // camera follow height (from the design)
  bool Exists = false;            // takes part in the level; every loop over Ships tests it
  Integer ID = 0;                 // own index in Ships
  Single Unstick = 0;             // AI steering nudge away from structure walls (+-20)
  Single UnstickY = 0;            // AI climb nudge (+-20)
  Integer IsBounty = 0;           // bounty record this ship stands for, -1 none
  std::string WarpTarget;         // map to go to when the ship leaves the level
  Single Armor = 0;               // at or below 0 death or takeover begins
  Single Shields = 0;
  Single ShieldRecharge = 0;      // countdown before the shields regenerate
  Long Fuel = 0;
  Integer Meeter = 0;             // meeting partner ship index, -1 none
  Single TractorFrame = 0;        // tractor sequence timer (1001 done)
  Single LandingFrame = 0;        // landing sequence timer (1001 done)
  bool HasJammer = false;         // homing shots aimed at this ship lose their homing
  Single FuelSpace = 0;           // carrier fuel given to a launched fleet ship
  Single SmashExempt = 0;         // ram cooldown, seconds

  // ---- set-up and state --------------------------------------------------------------------
  Integer getType() const { return 0; }
  Long getPrice() const;          // the design's price
  Long getValue() const;          // the design's price
  const std::string& getShipTitle() const;
  void TractorSparkOut() { sparkVal = 1.0f; }
  bool getTooSparkedForTakeover() const { return !(sparkVal >= 1.0f); }
  void setTag(const std::string& t) { tag = t; }
  const std::string& getTag() const { return tag; }
  bool getRollSafe() const;       // mid-roll: spin or trick value inside 41.15..43.85 or 51.15..53.85
  Single getDeathThroes() const { return deathThroes >= 1 ? deathThroes : 0.0f; }
  D3DVECTOR getFlyingV() const;   // camera point beyond the two thrown-off crew (charIndex)
  Integer getMaxFuel() const;     // working maxima rounded to Integer
  Integer getMaxArmor() const;
  Integer getMaxShields() const;
  Single getBoostVal() const;     // above 0 while a boost trick runs
  Single getFlipVal() const;      // above 0 while a flip trick runs
  Integer getTractorTarg() const { return tractorTarget; }
  void RollMe(Integer kind);      // 0 roll left, 1 roll right, 2 flip; only while no trick runs
  Double getSpinning() const;     // 1.0, +0.5 while spinning, +0.7 during a trick
  void SpinMe();                  // a spin left or right at random, while alive and not tricking
  // Shields / maximum and Armor / maximum clamped to 0..1; 0 when the maximum is 0 or less.
  Single getShieldPercent() const;
  Single getArmorPercent() const;
  Single getBoostPercent() const;  // boostLeft / boostMax; 0 while boostMax is 0
  Single getWarpFrame() const { return warpFrame; }
  bool getTransWarp() const { return warpOutTimer > 0 && warpOutTimer < 4; }
  Single getWarp() const;         // warp stretch for drawing, 0 in normal flight
  Single getRealWarp() const { return warpFrame; }
  void ForceEvac() { autoEvac = 2; }
  D3DVECTOR getPos() const;       // (x, e, y)

  // Prepares the ship as Ships(newID): see the ship's set-up order in CShip.cpp. Control flags
  // keep their values. Raises VbError 6 when a working value overflows its type.
  void Init(Integer newID);
  // The working values from the design, the player's parts (ship 0 in play) or the difficulty
  // bonus (other ships when the difficulty is hard or above); clamps Fuel, Armor and Shields.
  void MakeModdedDef();
  // The ship's own copy of def (DockBays = TotalMounts / 2 rounded half to even); copies the
  // camera follow values to the ship.
  void setDef(const CShipDef& def);
  // The design's model folder and four textures.
  void UpdateFromDef();
  void setModel(const std::string& name);
  void setBodyTexture(const std::string& name);
  void setWheelTexture(const std::string& name);
  void setWindowTexture(const std::string& name);
  void setInteriorTexture(const std::string& name);

  // ---- crew seats (0..5; VbError 9 outside) -------------------------------------------------
  void initChar(Integer seat);    // a new present character in the seat
  void setCharModel(Integer seat, const std::string& model);
  void setCharTexture(Integer seat, const std::string& texture);
  void setCharAnim(Integer seat, Long pose);
  // Fills the seat; seats 0 and 1 of a Car, Convertible or Bike take that body's seated pose,
  // which is written back into pose.
  void fullInitChar(Integer seat, const std::string& model, const std::string& texture, Long& pose);
  std::string getCharTexture() const;  // the driver's texture name without its extension, "" none
  // Takes the ship out of play and empties its engine-sound slot.
  void stopEngineSound();

  // ---- cargo and cash (GoodsKind 0..7; VbError 9 outside) -----------------------------------
  Integer getResource(Integer i) const;
  void setResource(Integer i, Integer n);
  Integer getGreatestRsc() const;  // the largest count's kind, lowest on a tie, 0 when all empty
  Integer getFreeCargo() const;    // capacity minus the goods carried
  Integer getEnergy() const;
  // Adds what fits of n units of kind i; rest gets the units that did not fit.
  void addResource(Integer i, Integer n, Integer& rest);
  // Random goods (at least one batch, until more than half the hold is used) and random cash
  // (at least 5; a twentieth with flag).
  void giveRandomResources(bool flag);
  void setCash(Long n) { cash = n; }
  Long getCash() const { return cash; }

  // ---- pilot and hostility ------------------------------------------------------------------
  void setAI();                   // a new pilot that drives the ship
  void setAIType(Long t);         // the pilot's unit type; its hostility is re-evaluated at once
  Long getAIType() const;
  Integer getUnitType() const;
  void setAlign(Long a);
  Long getAlign() const;
  bool checkAIHostile(Integer i);  // attaches a pilot first when the ship has none
  void setAIHostile(Integer i, bool hostile);  // attaches a pilot first when the ship has none
  void resetAIHostiles();          // clears the pilot's hostility; next evaluation after 1 s
  // getAIType, getUnitType, setAlign, getAlign, setAIType and resetAIHostiles raise VbError 91
  // while the ship has no pilot (before Init).

  // ---- weapons (mounts 0..7, secondaries 0..15; VbError 9 outside) ---------------------------
  void setMount(Integer i, Long weapon);  // MountType, -1 none
  Long getMount(Integer i) const;
  // Seconds between primary shots: 0.25 / (sum of the mounts' weights x firing rate), 1.0 with
  // no weight. The mounts summed are 0 .. TotalMounts (the design's last mount), kept within 0..7.
  void makePrimaryInterval();
  void setSecondary(Integer i, bool owned);
  bool getHasSecondary(Integer i) const;
  void setSecondaryAmmo(Integer i, Integer n);
  Integer getSecondaryAmmo(Integer i) const;
  Long getSecondaryWeapon() const;    // the weapon the gunner (seat 1) holds, -1 none
  Integer getCurrentWeapon() const;
  Single getFiringRate() const { return firingRate; }
  // The meeting arrangement read by the ship's meeting talk.
  void makeMeet(Integer partner, Long mode, Integer a, Integer b, Integer c, Integer d);

  // ---- drawing (CShipRender.cpp); weapon step (CShipWeapons.cpp); tunnel and crew
  // (CShipCopy.cpp) ------------------------------------------------------------------------------
  // Draws the ship: body, interior (nearer than 1500), wheels, mounts, the seated crew with the
  // gunner's hand weapon (their animation steps; drawn nearer than 2000, not for Capital and
  // Fleshy ships or below 0 armour), and adds its jet sprites. Seats and jets beyond the design's
  // tables (4 rows each) are left out. distance -1 or less measures it from the camera and skips
  // it when easyTestVis fails; above -1 it is taken as is, with no visibility test and no jet
  // sprites.
  void Render(Single& distance);
  void FadeRender();                // the transparent and glowing pass
  // The per-frame weapon step by FrameTime; called last by the movement step. Nothing while a
  // boost or flip runs. Counts the mount cooldowns and flashes down, acts on the weapon-switch
  // keys (and clears them), fires the gunner's secondary weapon while keySecondary is held
  // (a carrier launches its chosen fleet ship instead) and the mounts in turn while keyPrimary is
  // held, one shot per primaryInterval. Shots are sprites owned by ID; guided kinds take
  // SecondaryTarget. Mount indexes run 0 .. TotalMounts, kept within 0..7.
  void FireWeapons();
  void updateCrewAnim();            // per-frame crew animation
  // The warp-tunnel sprites of a departure around the ship: 62 rings (kind 86) and one flare
  // (kind 87) streaming backward at 75000 units per second; clears tunnelPending and trickYaw.
  void MakeMyTunnel();
  // The crew of a ship that has gone down is thrown off (ejectCrew); called by the damage step.
  void randomCrew();
  // Makes this ship a copy of Ships(source) as Ships(id) with definition: set-up, attitude and
  // position, models, mounts, firing rate and interval, shields, armour, their maxima and fuel.
  // VbError 9 when source is outside Ships, 91 when that slot is empty.
  void Clone(Integer id, Integer source, const CShipDef& definition);
  // Before a conversation: a pilot that is leaving (state 5) or in state 12 goes back to state 0;
  // its time towards leaving starts again.
  void AITalkOverride();
  // The gunner (seat 1) starts switching to weapon w (-1 none) unless it already holds it; the
  // secondary weapon then waits 0.5 s. Called every frame by the interface with its choice.
  void checkWeaponSwitch(Integer w);
  Integer getSwitchWeapon() const;  // the weapon the gunner is switching to, -1 none

  // ---- movement step (CShipMove.cpp) ---------------------------------------------------------
  // The per-frame step of one existing ship by FrameTime: controls (or the pilot's commands),
  // tricks, boost and spin, warp steering, height band, speed and velocity, contacts with ships
  // and structures, then the weapon step. Called by the frame update for every ship whose Exists
  // is True. Traps its errors ("Error in Ship.Move: ...") and keeps the state reached.
  void Move();
  // Structure look-ahead for the pilot: tests about twenty frames of motion from dist units ahead
  // along the heading (from the ship itself with dist 0, which may also set the pilot's climb
  // override) and sets the nudges Unstick and UnstickY (+-20, 0 none).
  void AINudge(Single& dist);

  // ---- damage (CShipDamage.cpp) --------------------------------------------------------------
  // Every blow on the ship: kind is the SpriteKind of the blow (47 splash damage and 94 a ram take
  // their damage from amount; every other kind from the damage table, unknown kinds deal 0);
  // source the index in Ships of the ship that caused it (-1 none); direction the way the blow
  // pushes (x, height, z), any length, a zero vector pushes nothing. Scales the damage, pushes and
  // tips the ship, takes shields then armour, decides disabled or destroyed, pays kills and
  // bounties, turns the pilot against the attacker. No trap: errors pass to the caller.
  void Hit(Long kind, Integer source, const D3DVECTOR& direction, Single amount);

  // ---- warp (CShipWarp.cpp) ------------------------------------------------------------------
  // A newly spawned ship enters warping in: 30000 units out along the reverse of its heading at
  // height 2320, arriving at the centre 4 s later.
  void WarpIn();
  // True when a structure over the ship would stop a warp's climb started here (the climb's whole
  // height, the ship's collision size): no departure starts, and a climb that meets one ends.
  bool climbBlocked() const;

  // ---- ship contacts (CShipWreck.cpp) -------------------------------------------------------
  // Called on the stronger of two ramming ships with the other's index and the difference of
  // their forces: both take a ram hit (the target f / 10, this ship f / 50). Nothing when the
  // player rams its carrier or rams with a screen up, while either ship is exempt from rams, or
  // when the target's meeting partner is this ship.
  void shipCollide(Integer& target, Single& force);

  // ---- design read-outs ---------------------------------------------------------------------
  Integer getTotalMounts() const;     // the design's last mount index
  Integer getTotalDockBays() const;
  Long getShipBody() const;           // ShipBodyType; 0 while the ship has no design
  Single getSize() const { return shipSize; }
  Single getHeight() const { return height; }
  Single getWidth() const { return width; }
  Single getDepth() const { return depth; }

 private:
  friend class CShipProbe;        // tests read the private state
  friend struct CShipFlightProbe;  // the flight tests read and set the movement state
  friend struct CShipLevelProbe;   // the landing, warp and wreck tests
  friend struct CShipWeaponProbe;  // the weapon, talk, copy and tunnel tests

  const CShipDef& def() const;   // the design copy; VbError 91 while there is none
  CAI& ai() const;               // the pilot; VbError 91 while there is none
  void attachPilot();            // a new pilot, then CAI.Init(ID)
  // Called by the movement step, which clears the key afterwards.
  void doTalkKey();
  // Target keys: the next (previous) ship index, wrapping, that exists, is not warping and is
  // not this ship becomes SecondaryTarget; unchanged when none does. The player's ship beeps.
  void nextTarget();
  void prevTarget();
  void cycleTarget(int step);
  // Wraps r into [0, 6.28) and puts into turn the signed turn toward the travel direction: the
  // world map's route for the player's ship, the ship's own heading for any other.
  void steerToTravelDir(Single& turn);

  // Weapons (CShipWeapons.cpp).
  Integer lastMount() const;        // TotalMounts kept within -1..7
  // A Capital or Fleshy ship's mount i faces the first broadside (index at most TotalMounts / 2,
  // unrounded: TotalMounts 3 splits 0-1 | 2-3), else the second. Firing and drawing both ask it.
  bool firstBroadside(Integer i) const;
  void FireMount(Integer i, Long weapon);  // one shot of mount i with MountType weapon 0..11
  void FireSecondary();             // one shot of the gunner's weapon; an empty one selects the next
  D3DVECTOR getMountPos(Integer i) const;  // world position (x, e, y) of mount i's muzzle
  // The world rotation of mount i; asBike computes it as for a Bike whatever the body type.
  D3DMATRIX getMountRotMatrix(Integer i, bool asBike = false) const;
  // Sets the device's world transform to seat s (when a device exists) and stores the seat
  // character's shooting point.
  void aimSeat(Integer s);
  void nextSecondary();             // the next carried secondary weapon (a carrier: next fleet ship)
  void prevSecondary();
  void takeSecondaryChoice(Integer choice);  // the choice of nextSecondary / prevSecondary
  Integer gunnerWeapon() const;     // the gunner's weapon, -1 none
  // Crew (CShipCopy.cpp): each seated character with a texture is thrown off into a free slot of
  // Characters, falling; seats without a free slot are skipped.
  void ejectCrew();

  // Movement steps, in the order Move calls them (CShipMove.cpp unless noted).
  void moveStep();
  struct MoveState;                // what the stages of one moveStep hand on
  void decayImpulses(const MoveState& m);
  void takeFlightControls(const MoveState& m);
  void healthStep(const MoveState& m);
  void setHeightBand(MoveState& m);
  void dropLostTarget();
  void takePilotCommands(MoveState& m);
  void lockControls(const MoveState& m);
  bool deathThroesStep(MoveState& m);  // True when the throes ended in the explosion
  void departureSteer(const MoveState& m);
  void turnAndBank(const MoveState& m);
  void spinStep(const MoveState& m);
  void trickStep(const MoveState& m);
  void spinTurn(Single& value, double before);
  void climbStep(const MoveState& m);
  void heightStep(MoveState& m);
  void oneShotKeys();
  void engineSoundStep(const MoveState& m);
  void thrustStep(const MoveState& m);
  void velocityStep(const MoveState& m);   // the move itself
  void contactStep(const MoveState& m);    // ship and structure contacts after the move
  // The landing has opened its screen (LandingFrame past 2, not yet done) and a screen is up: the
  // player's ship stands where it landed, neither moved nor pushed.
  bool heldOnPad() const;
  void checkTrickInput();           // player only: double taps of thrust, brake and the trick keys
  // Armour-fraction crossings of 0.95, 0.85, 0.5, 0.15 and 0 throw one burst of debris, fire and
  // sound (CShipDamage.cpp); previousFraction is Armor / maxArmor before the hit.
  void DamageEffects(Single previousFraction);
  // The move from the old point (x, height e, y) to the current one against the structure boxes:
  // slides the ship back out of them; hit tells whether a box was touched (LastStructHit names it).
  void collideStructs(Single oldX, Single oldE, Single oldY, bool& hit);
  // The pilot's nudges after a structure contact; x, y, e are the position before the test.
  void AIWallNudge(Single beforeX, Single beforeY, Single beforeE);
  // Action prompt and landing (CShipLanding.cpp), player only, called by Move.
  // What the action key would do now into GameInterface->iAction (0 none, 1 hyperspace, 2 land,
  // 3 tractor, 4 dock, 5/6 slow motion on/off), with the pad (landingPad) or wreck
  // (tractorTarget) it would take; called while alive and the key is not held.
  void checkNearLanding();
  // The last index in Ships of a wreck in tractor reach below this ship, -1 none.
  Integer findWreckNear() const;
  // The action key: overlays, bullet time, landing and the structure's screen, the tractor beam
  // and the plunder screen, the start of a hyperspace departure, docking; while not warping.
  void doLanding();
  // The landing's screen: the nearest service structure's store, service or mission screen.
  void openStructure(CInterface& gi);
  // True when "\maps\" + name + ".pnd" is a loadable map; otherwise, when report, tells the
  // player the file and the reason (engine/PlayerNotices: the departure asked for does not start).
  static bool warpMapLoadable(const std::string& name, bool report);
  // Warp (CShipWarp.cpp): every warp state above 0: climb, warp out, the map change of the
  // player's ship, its arrival on the new map and chained hops, warp in.
  void doLeaveMap();
  // Wrecks, explosion, contacts (CShipWreck.cpp).
  void updateWreck();               // while sparkVal is not 0: sparks and the wreck countdown
  void Explode();                   // the end of the death throes
  // Contacts with the other ships after the move (old height oldE); touched is True on any.
  void checkShipCollisions(Single oldX, Single oldE, Single oldY, bool& touched);
  // Completes the meeting with Ships(Meeter) (goods swap, fuel sale, fuel top-up) and ends it.
  void doMeetTalk();

  // Models and textures (handles from the caches).
  // -1 until setModel: a ship without a model draws none of these parts.
  Integer bodyModel = -1, wheelModel = -1, windowModel = -1, interiorModel = -1;
  Integer bodySlot = -1, wheelSlot = -1, interiorSlot = -1, windowSlot = -1;
  Integer bodyTex = 0, wheelTex = 0, interiorTex = 0, windowTex = 0;
  Integer engineSound = -1;       // looping engine sound handle (soundMod), -1 none
  // Weapons.
  std::array<Long, MountSlots> mounts;
  std::array<Single, MountSlots> mountCooldown{};  // entry 0 is the shared primary cooldown
  std::array<Single, MountSlots> mountFlash{};
  std::array<D3DVECTOR, MountSlots> mountPos{};
  Single switchCooldown = 0;
  Single primaryInterval = 0;
  std::array<bool, SecondarySlots> hasSecondary{};
  std::array<Integer, SecondarySlots> secondaryAmmo{};
  Integer nextMount = 0;
  Single firingRate = 0;
  Single recoilHeading = 0;
  Single recoilPush = 0;
  // Design, tag, size, crew.
  std::shared_ptr<CShipDef> myDef;
  std::string tag;
  Single shipSize = 0;
  Single height = 0, width = 0, depth = 0;
  std::array<std::shared_ptr<CCharacter>, CrewSeats> crew;
  std::array<Integer, 2> charIndex{};  // Characters slots of the thrown-off driver and gunner
  // Pilot.
  std::shared_ptr<CAI> pilot;
  bool aiDriven = false;
  // Clocks, warp, tricks, boost.
  Single shipClock = 0, prevClock = 0;
  Single jetGlow = 0;
  Single warpOutTimer = 0;
  bool tunnelPending = false;      // a warp tunnel is to be made (MakeMyTunnel clears it)
  Single warpFrame = 0;            // 0 flight; 20..30 warping in; 30 and above warping out
  Single deathThroes = 0;
  Single spinValue = 0, trickValue = 0;  // trick codes: 1 roll left, 11 roll right, 21 flip, 31 boost, 41/51 spin
  // Extra attitude of a running trick for drawing: roll (rolls and flip), pitch (flip), yaw (spins).
  Single trickRoll = 0, trickPitch = 0, trickYaw = 0;
  Single boostLeft = 0, boostMax = 0;
  Single boostRate = 0;            // boost refill per second
  bool jetTintA = false;           // doubled acceleration (parts or difficulty)
  bool jetTintB = false;           // top speed + 200 (parts or difficulty)
  // Meeting, tractor, landing.
  Long meetValue = 0;
  std::array<Integer, 4> meetInfo{};
  Integer tractorTarget = 0;       // -1 none
  Integer tractorSound = -1;       // looping tractor sound handle (soundMod), -1 none
  Integer landingPad = 0;          // pad structure slot offered for landing, -1 none
  Single sparkVal = 0;
  // Cargo and cash.
  std::array<Integer, GoodsKinds> cargo{};
  Long cash = 0;
  // Working maxima and rates.
  Single maxShields = 0, maxArmor = 0, maxFuel = 0;
  Single shieldDelay = 0;          // regeneration delay after a damaging hit, seconds
  Single shieldRegen = 0;          // shield regeneration per second
  Single armorRepair = 0;          // armour repair per second
  Single lightLevel = 0;           // brightness handed to the model renderer
  // Movement working values.
  Single pushX = 0, pushE = 0, pushY = 0;  // knock-back velocity left by hits (x, height, y)
  Single hitFlash = 0;             // seconds of hit flash, 0.1 after a damaging hit
  Integer trickQueue = 0;          // queued trick 1..4 (roll left, roll right, flip, boost); 10 a chained trick runs
  Single tapTimer = 0;             // double-tap window: 3.x thrust, 2.x brake, 1.x left, 0.x right
  bool trickReady = false;         // both trick keys were up since the last trick start
  bool prevKeyThrust = false, prevKeyBrake = false, prevKeyLeft = false, prevKeyRight = false;
  Double repairClock = 0;          // carrier: seconds since the docked craft were last repaired
};

// The ships of the level, 0..15 at a level start (grown by fleet launches); element 0 is the
// player's ship. Elements may be empty until the game set-up fills them.
extern std::vector<std::shared_ptr<CShip>> Ships;
// While set the player's ship (ID 0) is drawn by neither Render nor FadeRender.
extern bool SlowMotion;
// Seconds of slow motion in store, 0..2: spent while BulletTime is on, refilled at 1/8 per second
// while it is off (the player's action step).
extern Double BulletTimeCharge;
