// CShipDef: one ship design (handling, maxima, price and texts, model and texture files, body
// type, and the seat, mount, jet and light tables), its file "\ships\" + ShipName + ".pnd", and
// the table of designs ShipDefs with the start-up loader loadShipDefs.
//
// Ship file: 39 item lines, CR LF, items separated by single commas:
//   1 ShipName | 2 TotalSeats | 3-6 seat rows 0..3: x,y,z | 7 TotalMounts |
//   8-15 mount rows 0..7: x,y,z,rotation | 16 TotalJets | 17-20 jet rows 0..3: x,y,z |
//   21 totalLights | 22-25 light rows 0..3: x,y,z | 26 Model | 27 BodyTex | 28 InteriorTex |
//   29 WindowTex | 30 WheelTex | 31 Acceleration | 32 Traction | 33 MaxSpeed | 34 Agility |
//   35 MaxFuel,MaxShields,MaxArmor,Price | 36 ShipTitle,Description | 37 CamFollowY,CamFollowZ |
//   38 ShipBody | 39 Energy,Cargo,JetSnd
// Texts are quoted (a double quote in a text is stored as a single quote, and the runtime says
// so); floats are written with at most 7 significant digits. Every table row is written and read
// whatever the counts say. The counts (TotalSeats, TotalMounts, TotalJets, totalLights) hold the
// index of the last row in use, as the ship editor writes them. DockBays is never stored.
#pragma once
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "runtime/Numbers.h"

// Body type of a design (CShipDef.ShipBody).
enum ShipBodyType : Long { sbCar = 0, sbBike = 1, sbConvertible = 2, sbCapital = 3, sbFleshy = 4 };

class CShipDef {
 public:
  std::string ShipName;      // design name; the file is "\ships\" + ShipName + ".pnd"
  Integer TotalSeats = 0;    // last seat row in use (0..3)
  Single Acceleration = 0;
  Single Agility = 0;        // turn rate
  Single MaxSpeed = 0;
  Single Traction = 0;       // how fast the velocity follows the heading
  Integer DockBays = 0;      // carrier bays; set by ReadDef for Capital designs, never stored
  Integer MaxShields = 0;
  Integer MaxArmor = 0;
  Integer MaxFuel = 0;
  std::string ShipTitle;     // display title (shipyard, status screens)
  Long Price = 0;
  std::string Description;   // shipyard text
  Integer Energy = 0;
  Integer Cargo = 0;         // cargo capacity in goods units
  Integer JetSnd = 0;        // engine loop, index into SndJet (0..3)
  Integer TotalMounts = 0;   // last mount row in use (0..7)
  Integer TotalJets = 0;     // last jet row in use (0..3)
  Integer totalLights = 0;   // last light row in use (0..3)
  Single CamFollowZ = 0;     // camera follow distance
  Single CamFollowY = 0;     // camera follow height
  std::string Model;         // folder under "models\" holding body, wheels, interior and window .md2
  std::string BodyTex;
  std::string InteriorTex;
  std::string WindowTex;
  std::string WheelTex;
  Long ShipBody = 0;         // ShipBodyType
  // The last ReadDef stopped before the end of its file; never stored. Such a design is not
  // offered, bought, spawned or flown (shipDefReadable).
  bool ReadFailed = false;

  // Table rows in model units relative to the ship's origin. Rows: seats, jets and lights 0..3,
  // mounts 0..7; any other row raises VbError 9.
  Single getSeatXOff(Integer i) const;
  Single getSeatYOff(Integer i) const;
  Single getSeatZOff(Integer i) const;
  Single getMountXOff(Integer i) const;
  Single getMountYOff(Integer i) const;
  Single getMountZOff(Integer i) const;
  Single getMountRot(Integer i) const;   // radians the mount is turned on the model
  Single getJetXOff(Integer i) const;
  Single getJetYOff(Integer i) const;
  Single getJetZOff(Integer i) const;
  Single getLightXOff(Integer i) const;
  Single getLightYOff(Integer i) const;
  Single getLightZOff(Integer i) const;
  void setSeatXOff(Integer i, Single v);
  void setSeatYOff(Integer i, Single v);
  void setSeatZOff(Integer i, Single v);
  void setMountXOff(Integer i, Single v);
  void setMountYOff(Integer i, Single v);
  void setMountZOff(Integer i, Single v);
  void setMountRot(Integer i, Single v);
  void setJetXOff(Integer i, Single v);
  void setJetYOff(Integer i, Single v);
  void setJetZOff(Integer i, Single v);
  void setLightXOff(Integer i, Single v);
  void setLightYOff(Integer i, Single v);
  void setLightZOff(Integer i, Single v);

  // Writes the design to the file of ShipName (atomic replace). VbError when the folder is
  // missing or cannot be written, or for a float that is not finite.
  void WriteDef() const;
  // Reads the file of ShipName; line 1 replaces ShipName. A Capital design gets DockBays =
  // TotalMounts / 2 rounded half to even; other body types keep DockBays. ReadFailed tells whether
  // it stopped early. No trap: a missing file (53), a short file (62) or a text where a number is
  // due (13) raises, and the record keeps the items read before it.
  void ReadDef();
  // The file of ShipName exists.
  bool hasFile() const;

  static constexpr int SeatRows = 4;
  static constexpr int MountRows = 8;
  static constexpr int JetRows = 4;
  static constexpr int LightRows = 4;

 private:
  std::array<std::array<Single, 3>, SeatRows> seatOff{};
  std::array<std::array<Single, 4>, MountRows> mountOff{};   // x, y, z, rotation
  std::array<std::array<Single, 3>, JetRows> jetOff{};
  std::array<std::array<Single, 3>, LightRows> lightOff{};
};

// The designs, 0..31 (elements may be empty until filled); 0..22 are the built-in designs, so a
// design's index here is its ShipDefIndex. The game set-up sizes and fills it.
extern std::vector<std::shared_ptr<CShipDef>> ShipDefs;

constexpr int ShipDefCount = 32;
constexpr int BuiltInShipDefCount = 23;
// ShipName of ShipDefs(0..22): "Phantom", "Gremlin", ... "motama".
extern const std::array<const char*, BuiltInShipDefCount> BuiltInShipNames;

// Fills ShipDefs(0..22) with new designs read from their files, in index order (ShipDefs is first
// grown to 32 elements and every empty element gets an empty design). A missing or damaged file
// is told to the player once (engine/PlayerNotices: its path, the reason, "this ship design is not
// used"); that design keeps what was read of it and ReadFailed, and the remaining designs still
// load. Returns the number of designs that failed.
int loadShipDefs();
// ShipDefs(index) exists and its file did not fail to read: the design may be offered, bought,
// spawned or flown.
bool shipDefReadable(long long index);
// The file of ShipDefs(index) as the notices name it ("\ships\Gremlin.pnd"); "" outside the table.
std::string shipDefPath(long long index);
