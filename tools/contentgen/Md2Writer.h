// MD2 key-frame models as the game's loader reads them: header "IDP2" version 8, texture
// coordinates, triangles, frames of packed vertices (bytes scaled and translated per frame,
// with a normal index into the MD2 normal table); no skins and no GL commands.
// Positions are given in the drawing space (x right, y up, z forward); the file stores
// them with y and z exchanged, which the loader undoes; so are the normals, computed per frame.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "tools/contentgen/Mesh.h"

struct Md2Frame {
  std::string name;          // at most 15 characters
  std::vector<Vec3> pos;     // one position per mesh vertex
};

struct Md2Model {
  int skinWidth = 128, skinHeight = 128;   // never 0
  std::vector<Vec2> uv;                    // per vertex, 0..1
  std::vector<std::array<int, 3>> tris;
  std::vector<Md2Frame> frames;
};

// A one-frame model of a mesh.
Md2Model staticModel(const Mesh& mesh, const std::string& frameName = "frame00");
// The outline shell drawn with the shade textures: every frame pushed out by thickness along
// the normals (averaged over vertices at the same place) with the winding reversed, so that
// only the inside of the shell shows around the model.
Md2Model outlineOf(const Md2Model& m, float thickness);
std::string encodeMd2(const Md2Model& m);
