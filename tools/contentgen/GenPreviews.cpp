// Map previews "\maps\<path>.bmp" (128 x 128, opaque): a top view of the map's structures over
// its colour, drawn from the map files that the build copied into the game folder before the
// generator runs. "demoscene", "losgatos" and "tut" always get a preview; a map file that cannot
// be read gets a plain one and a message, and generation goes on.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tools/contentgen/Generator.h"
#include "tools/contentgen/ImageFiles.h"
#include "tools/contentgen/Painter.h"

namespace fs = std::filesystem;

namespace {

// Items of an item file: comma or line end ends an item; quotes hold commas.
std::vector<std::string> items(const std::string& text) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false, any = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (!quoted && (c == ',' || c == '\n')) {
      if (any || !cur.empty() || c == ',') out.push_back(cur);
      cur.clear();
      any = false;
    } else if (c != '\r') {
      cur.push_back(c);
    }
  }
  if (any || !cur.empty()) out.push_back(cur);
  return out;
}

// Footprint half sizes (x, z) of the structure models, by definition index.
const float kHalf[22][2] = {{250, 250}, {300, 200}, {180, 180}, {200, 200}, {150, 150}, {800, 60}, {60, 800},
                            {250, 150}, {175, 175}, {250, 150}, {400, 300}, {350, 250}, {130, 130}, {250, 200},
                            {600, 50},  {50, 600},  {250, 250}, {200, 200}, {260, 260}, {200, 200}, {250, 250},
                            {300, 50}};
const Rgba kColour[22] = {rgb(250, 160, 30), rgb(240, 80, 60),  rgb(240, 240, 240), rgb(150, 150, 140), rgb(110, 140, 190),
                          rgb(130, 130, 135), rgb(130, 130, 135), rgb(60, 200, 80), rgb(170, 130, 90), rgb(130, 150, 130),
                          rgb(230, 120, 30), rgb(60, 140, 240), rgb(200, 80, 50), rgb(220, 50, 40), rgb(90, 200, 240),
                          rgb(90, 200, 240), rgb(230, 200, 80), rgb(90, 160, 255), rgb(180, 40, 40), rgb(210, 200, 120),
                          rgb(200, 40, 40), rgb(240, 240, 240)};

struct Placed {
  float x, z;
  int def;
};

Image preview(Rgba colour, const std::vector<Placed>& placed) {
  Image img(128, 128);
  Rgba bg = scaled(colour, 0.45f);
  vgradient(img, 0, 0, 128, 128, bg, scaled(colour, 0.25f));
  for (int k = 1; k < 8; ++k) {
    line(img, k * 16.0f, 0, k * 16.0f, 128, 1, scaled(colour, 0.6f));
    line(img, 0, k * 16.0f, 128, k * 16.0f, 1, scaled(colour, 0.6f));
  }
  float extent = 2000;
  for (const Placed& p : placed)
    extent = std::max({extent, std::fabs(p.x) + kHalf[p.def][0] + 300, std::fabs(p.z) + kHalf[p.def][1] + 300});
  float k = 64 / extent;
  for (const Placed& p : placed) {
    float x0 = 64 + (p.x - kHalf[p.def][0]) * k, x1 = 64 + (p.x + kHalf[p.def][0]) * k;
    float y0 = 64 - (p.z + kHalf[p.def][1]) * k, y1 = 64 - (p.z - kHalf[p.def][1]) * k;
    x1 = std::max(x1, x0 + 2);
    y1 = std::max(y1, y0 + 2);
    fillRect(img, x0 - 1, y0 - 1, x1 + 1, y1 + 1, rgb(15, 15, 20));
    fillRect(img, x0, y0, x1, y1, kColour[p.def]);
    if (p.def == 2) ring(img, (x0 + x1) / 2, (y0 + y1) / 2, std::max(1.5f, (x1 - x0) / 3), 1, rgb(40, 40, 40));
  }
  img.clamp();
  return img;
}

void makePreviews(OutputFolder& out) {
  std::set<std::string> done;
  fs::path maps = fs::path(out.root()) / "maps";
  std::vector<fs::path> files;
  if (fs::is_directory(maps))
    for (const auto& e : fs::directory_iterator(maps))
      if (e.is_regular_file() && e.path().extension() == ".pnd") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& f : files) {
    std::string stem = f.stem().string();
    std::string lower = stem;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower == "world") continue;
    std::ifstream in(f, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> it = items(text);
    std::vector<Placed> placed;
    Rgba colour = rgb(60, 60, 90);
    // 1 title, 3 fog/weather/FX, 12 x 5 sky, 32 x (3 + 1 + 1) slots, 3 colour.
    if (it.size() >= 227) {
      for (int slot = 0; slot < 32; ++slot) {
        size_t b = 64 + slot * 5;
        int def = std::atoi(it[b + 3].c_str());
        if (def >= 0 && def < 22) placed.push_back({static_cast<float>(std::atof(it[b].c_str())), static_cast<float>(std::atof(it[b + 2].c_str())), def});
      }
      colour = rgb(std::clamp(std::atoi(it[224].c_str()), 0, 255), std::clamp(std::atoi(it[225].c_str()), 0, 255),
                   std::clamp(std::atoi(it[226].c_str()), 0, 255));
    } else {
      std::fprintf(stderr, "contentgen: map %s has %zu items, not 227: plain preview\n", f.string().c_str(), it.size());
    }
    out.write("maps/" + stem + ".bmp", encodeBmp(preview(colour, placed)));
    done.insert(lower);
  }
  for (const char* must : {"demoscene", "losgatos", "tut"})
    if (!done.count(must)) out.write(std::string("maps/") + must + ".bmp", encodeBmp(preview(rgb(60, 60, 90), {})));
}

}  // namespace

void addPreviewTasks(TaskList& tasks) { tasks.push_back({"previews", "maps", makePreviews}); }
