#include "engine/CMD2.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "engine/CTextureMonster.h"
#include "engine/MediaHandles.h"
#include "engine/TrivecImports.h"
#include "engine/modDirectX.h"
#include "runtime/ItemFile.h"
#include "runtime/Paths.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"

namespace {
constexpr size_t HeaderSize = 68;
constexpr size_t TexCoordSize = 4;
constexpr size_t TriangleSize = 12;
constexpr size_t SkinSize = 64;
constexpr size_t FrameHeaderSize = 40;  // scale, translate, name
constexpr size_t PackedVertexSize = 4;
constexpr size_t FrameNameSize = 16;
constexpr int32_t MD2Version = 8;
constexpr int32_t ModelFVF = D3DFVF_MD2VERTEX;  // 274
constexpr int32_t VertexStride = 32;
// Expanded frames are held in memory: a file asking for more than this is refused.
constexpr size_t MaxExpandedBytes = size_t(64) << 20;

// Raised for a malformed file; LoadMD2 turns it into its message.
struct BadModel : std::runtime_error {
  using std::runtime_error::runtime_error;
};

int32_t readInt32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<uint8_t>(b[at + k]);
  return static_cast<int32_t>(v);
}
Integer readInt16(const std::string& b, size_t at) {
  const uint16_t v =
      static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
  return static_cast<Integer>(v);
}
Single readSingle(const std::string& b, size_t at) {
  const uint32_t bits = static_cast<uint32_t>(readInt32(b, at));
  Single f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

// A table of count records of size bytes at offset must lie inside the file.
void checkTable(const std::string& b, int32_t offset, int64_t count, size_t size, const char* what) {
  if (offset < 0 || count < 0 ||
      static_cast<int64_t>(offset) + count * static_cast<int64_t>(size) > static_cast<int64_t>(b.size()))
    throw BadModel(std::string(what) + " outside the file");
}

// The game path of a model path: one inside the program's folder is taken as it is.
std::string modelGamePath(const std::string& path) {
  const std::string& app = appPath();
  if (LCase(Left(path, Len(app))) == LCase(app)) return path.substr(app.size());
  return "\\" + path;
}
}  // namespace

bool CMD2::LoadMD2Texture(const std::string& /*TexturePath*/) {
  return true;
}

void CMD2::setVertex(MD2Vertex& v, const D3DVECTOR& pos, const D3DVECTOR& normal, const TexCoord& uv) {
  v = MD2Vertex{pos.x, pos.y, pos.z, normal.x, normal.y, normal.z, uv.u, uv.v};
  if (pos.x > upper_.x) upper_.x = pos.x;
  if (pos.y > upper_.y) upper_.y = pos.y;
  if (pos.z > upper_.z) upper_.z = pos.z;
  if (pos.x < lower_.x) lower_.x = pos.x;
  if (pos.y < lower_.y) lower_.y = pos.y;
  if (pos.z < lower_.z) lower_.z = pos.z;
}

bool CMD2::LoadMD2(const std::string& ModelPath) {
  return adoptMD2(ModelPath, readMD2File(md2FilePath(ModelPath)));
}

std::string CMD2::md2FilePath(const std::string& ModelPath) {
  return resolvePath(modelGamePath(ModelPath));
}

CMD2::MD2Read CMD2::readMD2File(const std::string& realPath) {
  MD2Read read;
  std::string bytes;
  try {
    bytes = readFileBytes(realPath);
  } catch (const std::exception& e) {
    read.error = e.what();
    return read;
  }
  auto model = std::make_unique<CMD2>();
  read.error = model->parseMD2(bytes);
  if (read.error.empty()) read.model = std::move(model);
  return read;
}

std::string CMD2::parseMD2(const std::string& bytes) {
  try {
    const std::string& b = bytes;
    if (b.size() < HeaderSize) throw BadModel("the file is shorter than an MD2 header");
    if (b.compare(0, 4, "IDP2") != 0 || readInt32(b, 4) != MD2Version) throw BadModel("not an MD2 file");
    const int32_t skinWidth = readInt32(b, 8), skinHeight = readInt32(b, 12), frameSize = readInt32(b, 16);
    const int32_t numSkins = readInt32(b, 20), numVerts = readInt32(b, 24), numST = readInt32(b, 28);
    const int32_t numTris = readInt32(b, 32), numFrames = readInt32(b, 40);
    const int32_t ofsSkins = readInt32(b, 44), ofsST = readInt32(b, 48), ofsTris = readInt32(b, 52);
    const int32_t ofsFrames = readInt32(b, 56);
    if (skinWidth <= 0 || skinHeight <= 0) throw BadModel("skin width or height is not above 0");
    if (numVerts <= 0 || numST <= 0 || numTris <= 0 || numFrames <= 0)
      throw BadModel("no vertices, texture coordinates, triangles or frames");
    if (frameSize < 0 ||
        static_cast<int64_t>(frameSize) <
            static_cast<int64_t>(FrameHeaderSize + PackedVertexSize * static_cast<size_t>(numVerts)))
      throw BadModel("frame size smaller than its vertices");
    const size_t frameBytes = static_cast<size_t>(numTris) * 3 * sizeof(MD2Vertex);
    if (frameBytes > MaxExpandedBytes || static_cast<size_t>(numFrames) > MaxExpandedBytes / frameBytes)
      throw BadModel("too many frames and triangles");
    checkTable(b, ofsTris, numTris, TriangleSize, "triangle table");
    checkTable(b, ofsST, numST, TexCoordSize, "texture-coordinate table");
    checkTable(b, ofsFrames, numFrames, static_cast<size_t>(frameSize), "frame table");
    checkTable(b, ofsSkins, numSkins, SkinSize, "skin table");

    // 4. Triangles, every index checked against its table.
    std::vector<MD2Triangle> tris(static_cast<size_t>(numTris));
    for (size_t t = 0; t < tris.size(); ++t) {
      const size_t at = static_cast<size_t>(ofsTris) + t * TriangleSize;
      for (int k = 0; k < 3; ++k) {
        tris[t].vertex[k] = readInt16(b, at + 2 * k);
        tris[t].texCoord[k] = readInt16(b, at + 6 + 2 * k);
        if (tris[t].vertex[k] < 0 || tris[t].vertex[k] >= numVerts)
          throw BadModel("triangle " + std::to_string(t) + " names vertex " +
                         std::to_string(tris[t].vertex[k]));
        if (tris[t].texCoord[k] < 0 || tris[t].texCoord[k] >= numST)
          throw BadModel("triangle " + std::to_string(t) + " names texture coordinate " +
                         std::to_string(tris[t].texCoord[k]));
      }
    }
    // 5. Texture coordinates.
    std::vector<TexCoord> texCoords(static_cast<size_t>(numST));
    for (size_t i = 0; i < texCoords.size(); ++i) {
      const size_t at = static_cast<size_t>(ofsST) + i * TexCoordSize;
      texCoords[i].u = static_cast<Single>(static_cast<double>(readInt16(b, at)) / skinWidth);
      texCoords[i].v = static_cast<Single>(static_cast<double>(readInt16(b, at + 2)) / skinHeight);
    }
    // Every normal index must lie in the table before anything is expanded.
    for (int32_t f = 0; f < numFrames; ++f) {
      const size_t at =
          static_cast<size_t>(ofsFrames) + static_cast<size_t>(f) * static_cast<size_t>(frameSize);
      for (int32_t v = 0; v < numVerts; ++v)
        if (static_cast<uint8_t>(b[at + FrameHeaderSize + PackedVertexSize * v + 3]) >= MD2NormalCount)
          throw BadModel("frame " + std::to_string(f) + " names a normal outside the table");
    }

    // 6. Frames, expanded triangle by triangle.
    std::vector<MD2Frame> frames(static_cast<size_t>(numFrames));
    for (int32_t f = 0; f < numFrames; ++f) {
      const size_t at =
          static_cast<size_t>(ofsFrames) + static_cast<size_t>(f) * static_cast<size_t>(frameSize);
      MD2Frame& fr = frames[f];
      const Single sx = readSingle(b, at), sy = readSingle(b, at + 4), sz = readSingle(b, at + 8);
      const Single tx = readSingle(b, at + 12), ty = readSingle(b, at + 16), tz = readSingle(b, at + 20);
      fr.scale = D3DVECTOR{sx, sz, sy};
      fr.translate = D3DVECTOR{tx, tz, ty};
      fr.name = b.substr(at + 24, FrameNameSize);
      const size_t packed = at + FrameHeaderSize;
      fr.vertices.resize(tris.size() * 3);
      outCounter_ = 0;
      for (const MD2Triangle& t : tris)
        for (int k = 0; k < 3; ++k) {
          const size_t p = packed + PackedVertexSize * static_cast<size_t>(t.vertex[k]);
          const Single bx = static_cast<uint8_t>(b[p]), by = static_cast<uint8_t>(b[p + 1]);
          const Single bz = static_cast<uint8_t>(b[p + 2]);
          const D3DVECTOR pos{bx * sx + tx, bz * sz + tz, by * sy + ty};
          // The normal takes the same exchange of y and z as the position.
          const D3DVECTOR& n = MD2Normals[static_cast<uint8_t>(b[p + 3])];
          setVertex(fr.vertices[nextVertexIndex()], pos, D3DVECTOR{n.x, n.z, n.y}, texCoords[t.texCoord[k]]);
        }
    }
    // 7. The skins are read and dropped (their table was checked above).

    // The file is good: it replaces what the object held.
    lastFrame_ = numFrames - 1;
    frames_ = std::move(frames);
    texCoords_ = std::move(texCoords);
    tris_ = std::move(tris);
    out_.assign(tris_.size() * 3, MD2Vertex{});
    // 8.
    ids_[0] = 0;
    ids_[1] = 1;
    ids_[2] = 2;
    ids_[3] = 3;
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

bool CMD2::adoptMD2(const std::string& ModelPath, MD2Read&& read) {
  if (!read.model) {
    reportTrapped("LoadMD2", "(" + ModelPath + ") " + read.error);
    return false;
  }
  // The file is good: it replaces what the object held; the load-time bounds widen.
  CMD2& m = *read.model;
  lastFrame_ = m.lastFrame_;
  frames_ = std::move(m.frames_);
  texCoords_ = std::move(m.texCoords_);
  tris_ = std::move(m.tris_);
  out_ = std::move(m.out_);
  for (int k = 0; k < 4; ++k) ids_[k] = m.ids_[k];
  upper_ = D3DVECTOR{std::max(upper_.x, m.upper_.x), std::max(upper_.y, m.upper_.y), std::max(upper_.z, m.upper_.z)};
  lower_ = D3DVECTOR{std::min(lower_.x, m.lower_.x), std::min(lower_.y, m.lower_.y), std::min(lower_.z, m.lower_.z)};
  // 9. The vertex buffer, filled with the first blend.
  try {
    Loaded = false;
    vb_.reset();
    const int32_t length = static_cast<int32_t>(tris_.size()) * 3 * VertexStride;
    std::shared_ptr<Direct3DVertexBuffer8> made;
    if (FAILED(device().CreateVertexBuffer(length, D3DUSAGE_WRITEONLY, ModelFVF, D3DPOOL_MANAGED, made)) ||
        !made)
      throw VbError(vberr::InvalidCall, lastErrorDescription());
    vb_ = std::move(made);
    blendHeld_ = false;
    interpolateFrames();
    Loaded = true;
    return true;
  } catch (const std::exception& e) {
    reportTrapped("LoadMD2", "(" + ModelPath + ") " + e.what());
    return false;
  }
}

const CMD2::MD2Frame& CMD2::frame(Long id) const {
  vbCheckIndex(id, 0, lastFrame_);
  return frames_[static_cast<size_t>(id)];
}

std::string CMD2::GetFrameName(Long FrameNumber) const {
  return frame(FrameNumber).name;
}
D3DVECTOR CMD2::GetFrameScaling(Long FrameNumber) const {
  return frame(FrameNumber).scale;
}
D3DVECTOR CMD2::GetFrameTranslation(Long FrameNumber) const {
  return frame(FrameNumber).translate;
}
const std::vector<MD2Vertex>& CMD2::FrameVertices(Long FrameNumber) const {
  return frame(FrameNumber).vertices;
}

void CMD2::interpolateFrames() {
  if (!vb_) vbRaise(vberr::ObjectMissing);
  BlendKey key;
  key.method = AnimType == 0 ? 0 : AnimType == 1 && lastFrame_ >= 3 ? 1 : 2;
  for (int i = 0; i < (key.method == 0 ? 2 : key.method == 1 ? 4 : 1); ++i) key.ids[i] = ids_[i];
  if (key.method != 2) key.blend = blend_;
  if (blendHeld_ && key == held_) return;
  blendHeld_ = false;
  const Long n = static_cast<Long>(tris_.size()) * 3;
  const MD2Vertex* upload = out_.data();
  if (AnimType == 0) {
    const MD2Frame &a = frame(ids_[0]), &c = frame(ids_[1]);
    TrivecImports::AnimateLinear(out_.data(), a.vertices.data(), c.vertices.data(), n, blend_, &boxMin_,
                                 &boxMax_);
  } else if (AnimType == 1 && lastFrame_ >= 3) {
    const MD2Frame &p0 = frame(ids_[0]), &p1 = frame(ids_[1]), &p2 = frame(ids_[2]), &p3 = frame(ids_[3]);
    TrivecImports::AnimateCatmullRom(out_.data(), p0.vertices.data(), p1.vertices.data(), p2.vertices.data(),
                                     p3.vertices.data(), n, blend_, &boxMin_, &boxMax_);
  } else {
    upload = frame(ids_[0]).vertices.data();
  }
  checkHResult(vb_->SetData(0, n * VertexStride, 0, upload));
  held_ = key;
  blendHeld_ = true;
}

// The frame after id that self-stepping moves to: the next index (the last wraps to 0) whose
// name begins with FramePrefix. When no frame's name does, the plain next index: the search
// stops after one cycle.
Long CMD2::nextStepFrame(Long id) const {
  auto next = [this](Long i) { return i >= lastFrame_ ? 0 : i + 1; };
  Long cand = id;
  for (Long k = 0; k <= lastFrame_; ++k) {
    cand = next(cand);
    if (frames_[static_cast<size_t>(cand)].name.compare(0, FramePrefix.size(), FramePrefix) == 0) return cand;
  }
  return next(id);
}

bool CMD2::Render(CMD2* WeaponModel, Single AnimationStatus, Long FrameIDFrom, Long FrameIDTo,
                  Long FrameIDTo2, Long FrameIDTo3, bool NoUpdate, Integer Fade, Single Flash) {
  if (!Loaded) return false;
  return vbTrap("MD2.Render", [&] {
    Direct3DDevice8& dev = device();
    // 1.
    if (!NoUpdate) {
      if (FrameIDFrom != 0 || FrameIDTo != 0 || FrameIDTo2 != 0 || FrameIDTo3 != 0 || AnimationStatus != 0) {
        ids_[0] = FrameIDFrom;
        ids_[1] = FrameIDTo;
        ids_[2] = FrameIDTo2;
        ids_[3] = FrameIDTo3;
        blend_ = AnimationStatus;
      } else if (blend_ >= 1.0f) {
        if (ids_[1] <= lastFrame_) ids_[0] = ids_[1];
        ids_[1] = ids_[2];
        ids_[2] = ids_[3];
        ids_[3] = nextStepFrame(ids_[3]);
        blend_ = 0;
      }
      if (WeaponModel && WeaponModel->Loaded)
        WeaponModel->Render(nullptr, blend_, ids_[0], ids_[1], ids_[2], ids_[3], false, -1, 0);
      interpolateFrames();
    }
    // 2.
    checkHResult(dev.SetVertexShader(ModelFVF));
    // 3., 4.
    const bool flash = (Flash > 0 && Flash < 0.03f) || Flash > 0.07f;
    if (flash) {
      bUseTexture = false;
      checkHResult(dev.SetRenderState(D3DRS_LIGHTING, 0));
      checkHResult(dev.SetTexture(0, nullptr));
    } else {
      Integer handle = myTexture;
      if (Fade != -1) {
        vbCheckIndex(Fade, 0, static_cast<long long>(FadeTex.size()) - 1);
        handle = FadeTex[static_cast<size_t>(Fade)];
      }
      vbCheckIndex(handle, 0, static_cast<long long>(TexSlots.size()) - 1);
      checkHResult(dev.SetTexture(0, TexSlots[static_cast<size_t>(handle)].object));
    }
    // 5.
    checkHResult(dev.SetStreamSource(0, vb_, VertexStride));
    checkHResult(dev.DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<int32_t>(tris_.size())));
    // 6.
    if (flash) {
      checkHResult(dev.SetRenderState(D3DRS_LIGHTING, 1));
      bUseTexture = true;
    }
  });
}
