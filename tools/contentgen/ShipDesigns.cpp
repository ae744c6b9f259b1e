#include "tools/contentgen/ShipDesigns.h"

#include <cstdio>

namespace {

ShipDesign design(const char* file, const char* folder, ShipBody body, int style, float scale, Rgba main,
                  Rgba accent) {
  ShipDesign d;
  d.file = file;
  d.folder = folder;
  d.bodyTex = std::string(folder) + "_b.bmp";
  d.interiorTex = std::string(folder) + "_i.bmp";
  d.windowTex = "fade.bmp";
  d.wheelTex = std::string(folder) + "_w.bmp";
  d.body = body;
  d.style = style;
  d.scale = scale;
  d.main = main;
  d.accent = accent;
  auto s = [scale](Vec3 v) { return v * scale; };
  switch (body) {
    case ShipBody::Car: {
      float rear = style == 2 ? -53.0f : -61.0f, front = style == 2 ? 50.0f : 58.0f;
      d.seats = {{s({-11, 8, 0}), 0}, {s({11, 8, -4}), 0}};
      d.mounts = {{s({-22, 15, 34}), 0}, {s({22, 15, 34}), 0}};
      d.jets = {{s({-14, 14, rear}), 0}, {s({14, 14, rear}), 0}};
      d.lights = {{s({-16, 10, front}), 0}, {s({16, 10, front}), 0}};
      break;
    }
    case ShipBody::Convertible:
      d.seats = {{s({-12, 6, -2}), 0}, {s({12, 6, -8}), 0}};
      d.mounts = {{s({-22, 14, 32}), 0}, {s({22, 14, 32}), 0}};
      d.jets = {{s({-14, 12, -52}), 0}, {s({14, 12, -52}), 0}};
      d.lights = {{s({-16, 10, 48}), 0}, {s({16, 10, 48}), 0}};
      break;
    case ShipBody::Bike:
      d.seats = {{s({0, 24, -6}), 0}, {s({0, 26, -26}), 0}};
      d.mounts = {{s({-9, 18, 28}), 0}, {s({9, 18, 28}), 0}};
      d.jets = {{s({0, 16, -46}), 0}};
      d.lights = {{s({0, 24, 46}), 0}};
      break;
    case ShipBody::Capital:
      d.seats = {{s({-10, 120, -150}), 0}, {s({10, 120, -150}), 0}};
      d.mounts = {{s({-92, 40, 80}), 0}, {s({-92, 40, -60}), 0}, {s({92, 40, 80}), 0}, {s({92, 40, -60}), 0}};
      d.jets = {{s({-50, 40, -245}), 0}, {s({50, 40, -245}), 0}, {s({0, 60, -245}), 0}, {s({0, 20, -245}), 0}};
      d.lights = {{s({-90, 70, 100}), 0}, {s({90, 70, 100}), 0}, {s({-30, 122, -150}), 0}, {s({30, 122, -150}), 0}};
      if (style == 3) {   // the round one: mounts on its rim
        d.mounts = {{s({-185, 30, 40}), 0}, {s({-185, 30, -40}), 0}, {s({185, 30, 40}), 0}, {s({185, 30, -40}), 0}};
        d.jets = {{s({-60, 30, -155}), 0}, {s({60, 30, -155}), 0}, {s({0, 40, -155}), 0}, {s({0, 20, -155}), 0}};
        d.lights = {{s({-150, 45, 0}), 0}, {s({150, 45, 0}), 0}, {s({0, 95, 0}), 0}, {s({0, 45, 150}), 0}};
      }
      break;
    case ShipBody::Fleshy:
      d.seats = {{s({0, 90, 150}), 0}, {s({0, 90, 120}), 0}};
      d.mounts = {{s({-52, 55, 60}), 0}, {s({-52, 55, -60}), 0}, {s({52, 55, 60}), 0}, {s({52, 55, -60}), 0}};
      d.jets = {{s({0, 55, -225}), 0}, {s({-20, 45, -215}), 0}, {s({20, 45, -215}), 0}};
      d.lights = {{s({-18, 80, 200}), 0}, {s({18, 80, 200}), 0}};
      break;
  }
  return d;
}

std::vector<ShipDesign> makeDesigns() {
  using B = ShipBody;
  std::vector<ShipDesign> v = {
      design("Phantom", "phantom", B::Car, 0, 1.0f, rgb(200, 30, 30), rgb(30, 30, 30)),
      design("Gremlin", "gremlin", B::Car, 2, 0.9f, rgb(90, 170, 60), rgb(240, 220, 40)),
      design("Beetle", "beetle", B::Convertible, 0, 1.0f, rgb(240, 200, 30), rgb(30, 30, 30)),
      design("Beetle2", "beetle2", B::Convertible, 1, 1.1f, rgb(30, 30, 35), rgb(250, 120, 20)),
      design("bus", "bus", B::Car, 1, 1.3f, rgb(230, 140, 50), rgb(110, 70, 30)),
      design("chopper", "chopper", B::Bike, 0, 1.0f, rgb(190, 195, 205), rgb(30, 30, 35)),
      design("reno", "reno", B::Car, 2, 1.0f, rgb(40, 170, 170), rgb(240, 240, 240)),
      design("Reaper", "reaper", B::Bike, 1, 1.1f, rgb(35, 30, 40), rgb(150, 60, 220)),
      design("VTL", "vtl", B::Car, 0, 1.1f, rgb(230, 235, 240), rgb(40, 90, 220)),
      design("samurai", "samurai", B::Bike, 2, 1.0f, rgb(190, 30, 30), rgb(240, 200, 60)),
      design("trantor", "trantor", B::Car, 1, 1.2f, rgb(110, 115, 100), rgb(130, 140, 60)),
      design("galleon", "galleon", B::Capital, 0, 1.0f, rgb(130, 85, 45), rgb(230, 190, 70)),
      design("lepperd", "lepperd", B::Car, 3, 1.0f, rgb(235, 190, 60), rgb(60, 40, 20)),
      design("galleon2", "galleon2", B::Capital, 1, 1.2f, rgb(40, 50, 110), rgb(230, 190, 70)),
      design("dejavu", "dejavu", B::Convertible, 2, 1.0f, rgb(130, 60, 180), rgb(250, 120, 200)),
      design("nexus", "nexus", B::Car, 3, 1.1f, rgb(180, 190, 200), rgb(40, 220, 240)),
      design("banana", "banana", B::Convertible, 3, 0.9f, rgb(250, 220, 50), rgb(110, 80, 30)),
      design("vindicator", "vindicator", B::Car, 1, 1.2f, rgb(60, 60, 65), rgb(210, 30, 30)),
      design("worm", "worm", B::Fleshy, 0, 1.0f, rgb(220, 130, 140), rgb(150, 40, 60)),
      design("apollo", "apollo", B::Capital, 2, 1.1f, rgb(235, 235, 235), rgb(240, 120, 30)),
      design("clipper", "clipper", B::Car, 3, 1.0f, rgb(100, 170, 240), rgb(250, 250, 250)),
      design("blarg", "blarg", B::Fleshy, 1, 1.3f, rgb(110, 190, 60), rgb(60, 110, 30)),
      design("motama", "motama", B::Capital, 3, 1.3f, rgb(220, 180, 60), rgb(30, 25, 20)),
  };
  v[0].bodyTex = "redphantom_b.bmp";
  v[0].interiorTex = "whitephantom_i.bmp";
  v[0].wheelTex = "red_w.bmp";
  return v;
}

std::string fmt(float v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(v));
  return buf;
}

}  // namespace

const std::vector<ShipDesign>& shipDesigns() {
  static const std::vector<ShipDesign> all = makeDesigns();
  return all;
}

std::string anchorsText() {
  std::string out;
  for (const ShipDesign& d : shipDesigns()) {
    out += "### " + d.file + " (ShipBody " + std::to_string(static_cast<int>(d.body)) + ")\n";
    auto rows = [&](const std::vector<Anchor>& a, int n, bool rot) {
      out += std::to_string(static_cast<int>(a.size()) - 1) + "\n";
      for (int i = 0; i < n; ++i) {
        Vec3 p = i < static_cast<int>(a.size()) ? a[i].at : Vec3{};
        out += fmt(p.x) + "," + fmt(p.z) + "," + fmt(p.y);
        if (rot) out += "," + fmt(i < static_cast<int>(a.size()) ? a[i].rotation : 0.0f);
        out += "\n";
      }
    };
    rows(d.seats, 4, false);
    rows(d.mounts, 8, true);
    rows(d.jets, 4, false);
    rows(d.lights, 4, false);
    out += d.folder + "\n" + d.bodyTex + "\n" + d.interiorTex + "\n" + d.windowTex + "\n" + d.wheelTex + "\n\n";
  }
  return out;
}
