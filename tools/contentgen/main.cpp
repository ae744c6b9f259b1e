// contentgen: writes the game's binary media into a game folder.
//
//   contentgen <gamefolder> [--only group,group...] [--list]
//   contentgen --anchors      (prints the ship anchor rows that fit the generated models)
//
// Runs every task (see Generator.h) on a pool of worker threads, then writes the sorted list
// of generated files to "<gamefolder>/contentgen.manifest" (all groups only) and, with
// --list, prints it. Map previews read the map files that the build copied into the folder
// first. Exit code 0 on success, 1 when any task failed (each failure is printed).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/contentgen/Generator.h"
#include "tools/contentgen/ShipDesigns.h"

namespace {

TaskList allTasks() {
  TaskList tasks;
  // Slow tasks first so that the pool finishes together.
  addMusicTasks(tasks);
  addPeopleTasks(tasks);
  addShipTasks(tasks);
  addStructureTasks(tasks);
  addSkyTasks(tasks);
  addNewsTasks(tasks);
  addIntroTasks(tasks);
  addInterfaceTasks(tasks);
  addSpriteTasks(tasks);
  addModelTasks(tasks);
  addSoundTasks(tasks);
  addFontTasks(tasks);
  addPreviewTasks(tasks);
  return tasks;
}

int usage() {
  std::fprintf(stderr, "usage: contentgen <gamefolder> [--only group,...] [--list] | --anchors\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  std::set<std::string> only;
  bool list = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--anchors") {
      std::fputs(anchorsText().c_str(), stdout);
      return 0;
    } else if (a == "--list") {
      list = true;
    } else if (a == "--only" && i + 1 < argc) {
      std::stringstream ss(argv[++i]);
      for (std::string g; std::getline(ss, g, ',');)
        if (!g.empty()) only.insert(g);
    } else if (!a.empty() && a[0] != '-' && folder.empty()) {
      folder = a;
    } else {
      return usage();
    }
  }
  if (folder.empty()) return usage();

  auto start = std::chrono::steady_clock::now();
  TaskList tasks;
  for (Task& t : allTasks())
    if (only.empty() || only.count(t.group)) tasks.push_back(std::move(t));

  OutputFolder out(folder);
  std::atomic<size_t> next{0};
  std::mutex errMutex;
  std::vector<std::string> errors;
  auto worker = [&] {
    for (size_t i = next++; i < tasks.size(); i = next++) {
      try {
        tasks[i].run(out);
      } catch (const std::exception& e) {
        std::lock_guard<std::mutex> lock(errMutex);
        errors.push_back(tasks[i].group + "/" + tasks[i].name + ": " + e.what());
      }
    }
  };
  unsigned n = std::max(1u, std::min(16u, std::thread::hardware_concurrency()));
  std::vector<std::thread> pool;
  for (unsigned i = 0; i < n; ++i) pool.emplace_back(worker);
  for (std::thread& t : pool) t.join();

  std::sort(errors.begin(), errors.end());
  for (const std::string& e : errors) std::fprintf(stderr, "contentgen: %s\n", e.c_str());

  std::vector<std::string> files = out.written();
  if (only.empty()) {
    std::string manifest;
    for (const std::string& f : files) manifest += f + "\n";
    out.write("contentgen.manifest", manifest);
  }
  if (list)
    for (const std::string& f : files) std::printf("%s\n", f.c_str());
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::fprintf(stderr, "contentgen: %zu files in %.1f s\n", files.size(), secs);
  return errors.empty() ? 0 : 1;
}
