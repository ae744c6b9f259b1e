// CMD2: one MD2 key-frame model (ship parts, characters, structures, weapons, mounts, effect
// models). LoadMD2 reads the file and expands every frame into a flat triangle list of MD2Vertex
// (three vertices per triangle, the file's y and z exchanged in positions and normals alike);
// Render blends the current key frames through the Trivec library (AnimateLinear or
// AnimateCatmullRom), uploads the result into the model's own vertex buffer (FVF 274, managed
// pool) and draws it as a triangle list.
//
// Models are created and owned by the model cache (CModelMonster); everything else reaches a
// model through its handle (ModelSlots) and calls Render with the animation state it wants.
// MD2Normals, DefaultMaterial and initMD2Normals are in engine/modMD2Helper.h.
//
// A file that is not an MD2 file ("IDP2", version 8), is missing, or is malformed (a skin width or
// height of 0, a count, offset or index outside the file or its tables, a normal index outside
// MD2Normals) is refused: LoadMD2 logs "Error in LoadMD2: (" + path + ") " + the reason and returns
// False, and the object is left as it was.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "engine/modMD2Helper.h"
#include "math/Trivec.h"
#include "platform/Direct3D.h"
#include "runtime/Numbers.h"

class CMD2 {
 public:
  Integer myTexture = 0;    // texture handle drawn when Render is given Fade -1
  bool bUseTexture = true;  // False only while a flash draw is in progress
  std::string FramePrefix;  // frames that self-stepping visits begin with this (case-sensitive)
  Long AnimType = 1;        // 0 linear over two frames, 1 Catmull-Rom over four (4+ frames), else none
  Long MD2AnimSpeed = 9;    // kept for the callers; never read here
  bool Loaded = false;      // True after a successful LoadMD2

  // Keeps nothing and loads nothing: a model is drawn with the texture of myTexture.
  bool LoadMD2Texture(const std::string& TexturePath);
  // Loads the file (a game path relative to the program's folder, or an absolute path inside
  // it). True when the model and its vertex buffer exist; the frame ids become 0, 1, 2, 3.
  bool LoadMD2(const std::string& ModelPath);
  // LoadMD2 in two halves, for reading on a worker thread: md2FilePath gives the file of a model
  // path (main thread); readMD2File reads it and expands its frames into a new CMD2, touching no
  // device and nothing shared but the fixed normal table, so any thread may run it; adoptMD2
  // (main thread) takes over what was read, or logs the reason as LoadMD2 does, and makes the
  // vertex buffer. LoadMD2 is the three in a row.
  struct MD2Read {
    std::unique_ptr<CMD2> model;  // null when the file was refused
    std::string error;            // the reason then
  };
  static std::string md2FilePath(const std::string& ModelPath);
  static MD2Read readMD2File(const std::string& realPath);
  bool adoptMD2(const std::string& ModelPath, MD2Read&& read);

  // Animates and draws. With NoUpdate False: non-zero frame ids or AnimationStatus are taken as
  // they are (explicit animation); all zero steps the model by itself (when its blend factor has
  // reached 1 the frames move on by one, to frames named with FramePrefix); an attached loaded
  // WeaponModel is drawn with the same key frames; then the frames are blended and uploaded.
  // Flash in (0, 0.03) or above 0.07 draws untextured and unlit; otherwise the texture of
  // myTexture (Fade -1) or of FadeTex(Fade). Traps its errors ("Error in MD2.Render: "), returning
  // False; an unloaded model draws nothing and returns False.
  bool Render(CMD2* WeaponModel, Single AnimationStatus, Long FrameIDFrom, Long FrameIDTo, Long FrameIDTo2,
              Long FrameIDTo3, bool NoUpdate, Integer Fade, Single Flash);

  Long NumFrames() const { return lastFrame_; }  // the last frame index (frame count - 1)
  Long NumTriangles() const { return static_cast<Long>(tris_.size()); }
  Long ActualFrameID() const { return ids_[0]; }
  Long FrameIDFrom() const { return ids_[0]; }
  Long FrameIDTo() const { return ids_[1]; }
  Long FrameIDTo2() const { return ids_[2]; }
  Long FrameIDTo3() const { return ids_[3]; }
  Single AnimationStatus() const { return blend_; }
  // The frame's 16-character name as stored (NUL padding included). Subscript error outside.
  std::string GetFrameName(Long FrameNumber) const;
  // The frame's scale and translate in the exchanged order (x, file z, file y).
  D3DVECTOR GetFrameScaling(Long FrameNumber) const;
  D3DVECTOR GetFrameTranslation(Long FrameNumber) const;
  D3DVECTOR BoxMin() const { return boxMin_; }  // box of the positions of the last blend
  D3DVECTOR BoxMax() const { return boxMax_; }
  // Load-time bounds over all frames; they start at the origin and are never reset.
  D3DVECTOR getLBounds() const { return lower_; }
  D3DVECTOR getUBounds() const { return upper_; }

  // Read-only views for checks and tools: a frame's expanded vertices (3 x triangle count) and
  // the vertex buffer that Render draws.
  const std::vector<MD2Vertex>& FrameVertices(Long FrameNumber) const;
  const std::shared_ptr<Direct3DVertexBuffer8>& VertexBuffer() const { return vb_; }

 private:
  struct MD2Frame {
    std::string name;                 // 16 characters
    std::vector<MD2Vertex> vertices;  // expanded, 3 x triangle count
    D3DVECTOR scale, translate;       // x, file z, file y
  };
  struct MD2Triangle {
    Integer vertex[3];
    Integer texCoord[3];
  };
  struct TexCoord {
    Single u, v;
  };

  // Checks and expands the MD2 file's bytes into this object; "" when good, else the reason.
  std::string parseMD2(const std::string& bytes);
  // Blends the current frames into the output array and uploads it (the frame itself when not
  // blending). Subscript error for a frame id outside 0 .. last.
  void interpolateFrames();
  const MD2Frame& frame(Long id) const;
  Long nextStepFrame(Long id) const;
  Long nextVertexIndex() { return outCounter_++; }
  void setVertex(MD2Vertex& v, const D3DVECTOR& pos, const D3DVECTOR& normal, const TexCoord& uv);

  Long lastFrame_ = -1;
  std::vector<MD2Frame> frames_;
  std::vector<TexCoord> texCoords_;
  std::vector<MD2Triangle> tris_;
  Single blend_ = 0;
  Long ids_[4] = {0, 0, 0, 0};  // FrameIDFrom, FrameIDTo, FrameIDTo2, FrameIDTo3
  std::shared_ptr<Direct3DVertexBuffer8> vb_;
  std::vector<MD2Vertex> out_;
  // The blend the output array and the vertex buffer hold: a draw asking for it again uses them
  // as they are.
  struct BlendKey {
    Long method = -1;  // 0 linear, 1 Catmull-Rom, 2 one frame unblended
    Long ids[4] = {0, 0, 0, 0};
    Single blend = 0;
    bool operator==(const BlendKey&) const = default;
  };
  BlendKey held_;
  bool blendHeld_ = false;
  D3DVECTOR boxMin_, boxMax_;
  Long outCounter_ = 0;
  D3DVECTOR upper_, lower_;
};
