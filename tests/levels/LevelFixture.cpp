#include "tests/levels/LevelFixture.h"

#include <charconv>

#include "campaign/CPlayer.h"
#include "engine/MessageLog.h"
#include "engine/PlayerNotices.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"

namespace {
// Numbers as the game writes them: plain decimal, the fewest digits that read back to the same
// value (a Single's own digits, not those of the Double it widens to).
std::string num(double v) {
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  return std::string(buf, r.ptr);
}
std::string num(float v) {
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  return std::string(buf, r.ptr);
}
std::string vecLine(const D3DVECTOR& v) {
  return num(v.x) + "," + num(v.y) + "," + num(v.z) + "\r\n";
}
std::string quoted(const std::string& s) { return "\"" + s + "\"\r\n"; }
}  // namespace

std::string DefSpec::text() const {
  std::string t = quoted(title) + quoted(model) + quoted(texture) + vecLine(scale);
  t += num(double(zOff)) + "\r\n" + num(double(totalLights)) + "\r\n";
  for (int i = 0; i < 16; ++i) t += vecLine(lightPos[i]) + num(double(lightKind[i])) + "\r\n";
  t += vecLine(upper) + vecLine(lower) + num(double(kind)) + "\r\n";
  return t;
}

std::string MapSpec::text() const {
  std::string t = quoted(title);
  t += num(double(fog)) + "," + num(double(weather)) + "," + num(double(fx)) + "\r\n";
  for (const Sector& s : sectors)
    t += num(s.r) + "," + num(s.scale) + ",\"" + s.texture + "\"," + num(s.x) + "," + num(s.y) + "\r\n";
  for (const Slot& s : slots) {
    t += num(s.x) + "," + num(s.y) + "," + num(s.z) + "\r\n";
    t += num(double(s.def)) + "\r\n" + num(double(s.link)) + "\r\n";
  }
  t += num(red) + "," + num(green) + "," + num(blue) + "\r\n";
  return t;
}

DefSpec fixtureDef(int i) {
  // Types as the default content gives them: services keep their own type, the rest Generic.
  static const long kinds[22] = {0, 1, 2, 3, 3, 3, 3, 4, 3, 3, 5, 6, 8, 7, 3, 3, 9, 10, 3, 3, 3, 3};
  DefSpec d;
  d.title = std::string("Fixture ") + StructDefFiles[i];
  d.model = StructDefFiles[i];
  d.texture = StructDefFiles[i];
  d.kind = kinds[i];
  if (i == 2) {  // landing pad: a flat plate whose top is the location's height
    d.lower = vec(-50, -10, -50);
    d.upper = vec(50, 0, 50);
  } else if (i == 4 || i == 8) {  // tall buildings reaching through the flight band
    d.lower = vec(-100, -100, -100);
    d.upper = vec(100, 400, 100);
  } else if (i == 5 || i == 6 || i == 14 || i == 15) {  // walkways: long, narrow and low
    d.lower = vec(-200, -10, -20);
    d.upper = vec(200, 10, 20);
  }
  return d;
}

void LevelTest::SetUp() {
  dir = std::make_unique<TempGameDir>();
  for (int i = 0; i < 22; ++i) writeDef(i, fixtureDef(i));
  dir->write("\\data\\shipinfo.pnd", "#zombie_trader\r\nship beetle\r\n");
  DevMode = true;
  ClassicView = false;
  installMessageLog();
  clearLog();
  resetPlayerNotices();  // each test tells its damaged files afresh
}

void LevelTest::TearDown() {
  setTrapSink(nullptr);
  ClassicView = false;
  dir.reset();
}

void LevelTest::clearLog() {
  MsgLog.fill("");
  MsgCount = 0;
}

void LevelTest::writeDef(int index, const DefSpec& d) const {
  dir->write(std::string("\\structures\\") + StructDefFiles[index] + ".pnd", d.text());
}

void LevelTest::writeMap(const std::string& name, const MapSpec& m) const {
  dir->write("\\maps\\" + name + ".pnd", m.text());
}
