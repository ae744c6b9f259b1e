// The content generator's task list. Each module adds tasks; a task writes one or a few
// files and seeds its random numbers from its own name, so tasks run in any order on any
// thread with byte-identical results. Groups name sets of tasks for "--only".
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "tools/contentgen/Image.h"
#include "tools/contentgen/OutputFolder.h"

struct Task {
  std::string group;   // "font", "sprites", "interface", "sky", "news", "people", "ships",
                       // "structures", "models", "sounds", "music", "previews", "intro"
  std::string name;    // for messages
  std::function<void(OutputFolder&)> run;
};
using TaskList = std::vector<Task>;

// A game path as the code writes it ("\news\newsco1.dds", "..\maps\x.bmp", "portraits\a.bmp")
// made folder-relative with '/' separators, doubled separators folded and ".." resolved.
std::string normalisePath(const std::string& gamePath);
// Writes a texture requested by the code as name (relative to "\gfx\"), BMP or DDS by name.
void writeTexture(OutputFolder& out, const std::string& gfxName, const Image& img);

void addFontTasks(TaskList& tasks);
void addSpriteTasks(TaskList& tasks);
void addInterfaceTasks(TaskList& tasks);
void addSkyTasks(TaskList& tasks);
void addNewsTasks(TaskList& tasks);
void addPeopleTasks(TaskList& tasks);       // portraits, skins, character models, hand weapons
void addShipTasks(TaskList& tasks);         // ship models, textures and icon sheets
void addStructureTasks(TaskList& tasks);
void addModelTasks(TaskList& tasks);        // misc and mount models with their textures
void addSoundTasks(TaskList& tasks);
void addMusicTasks(TaskList& tasks);
void addIntroTasks(TaskList& tasks);
void addPreviewTasks(TaskList& tasks);      // map previews from the copied map files
