#include "engine/TrivecImports.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstddef>
#include <type_traits>
#include <vector>

#include "runtime/Paths.h"
#include "runtime/VbError.h"

// The box corners go to the library as its Vec3: the two layouts must be the same.
static_assert(sizeof(D3DVECTOR) == sizeof(trivec::Vec3) && std::is_standard_layout_v<D3DVECTOR> &&
                  offsetof(D3DVECTOR, y) == offsetof(trivec::Vec3, y) &&
                  offsetof(D3DVECTOR, z) == offsetof(trivec::Vec3, z),
              "D3DVECTOR and trivec::Vec3 share one layout");

namespace TrivecImports {
namespace {

constexpr const char* kLibraryFile = "libTrivec.so";
constexpr int kDllLoadError = 48;      // "Error in loading DLL"
constexpr int kDllEntryMissing = 453;  // "Can't find DLL entry point"

struct Library {
  void* handle = nullptr;
  std::string path;
  std::string folderOverride;  // test hook; "" = default search
  decltype(&trivec::AnimateLinear) animateLinear = nullptr;
  decltype(&trivec::AnimateCatmullRom) animateCatmullRom = nullptr;
};

Library& lib() {
  static Library l;
  return l;
}

std::vector<std::string> candidateFolders() {
  if (!lib().folderOverride.empty()) return {lib().folderOverride};
  std::vector<std::string> folders{exeDir()};
#ifdef QV_LIB_DIR
  if (folders.front() != QV_LIB_DIR) folders.push_back(QV_LIB_DIR);
#endif
  return folders;
}

void unload() {
  Library& l = lib();
  if (l.handle) dlclose(l.handle);
  l.handle = nullptr;
  l.path.clear();
  l.animateLinear = nullptr;
  l.animateCatmullRom = nullptr;
}

void* handle() {
  Library& l = lib();
  if (l.handle) return l.handle;
  std::string tried;
  for (const std::string& folder : candidateFolders()) {
    std::string path = folder + "/" + kLibraryFile;
    if (::access(path.c_str(), F_OK) != 0) {
      tried += (tried.empty() ? "" : ", ") + path;
      continue;
    }
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
      const char* why = dlerror();
      throw VbError(kDllLoadError, "Trivec library could not be loaded: " + (why ? std::string(why) : path));
    }
    l.handle = h;
    l.path = path;
    return h;
  }
  throw VbError(vberr::FileNotFound, "Trivec library not found: " + tried);
}

template <class Fn>
Fn entry(Fn& cached, const char* name) {
  if (!cached) cached = reinterpret_cast<Fn>(entryPoint(name));
  return cached;
}

trivec::Vec3* asVec3(D3DVECTOR* v) {
  return reinterpret_cast<trivec::Vec3*>(v);
}

}  // namespace

void* entryPoint(const char* name) {
  void* h = handle();
  dlerror();
  void* fn = dlsym(h, name);
  if (!fn) {
    throw VbError(kDllEntryMissing,
                  std::string("Can't find DLL entry point ") + name + " in Trivec (" + lib().path + ")");
  }
  return fn;
}

void requireLibrary() {
  try {
    entryPoint("AnimateLinear");
    entryPoint("AnimateCatmullRom");
  } catch (const VbError& e) {
    // "Trivec library could not be loaded: /game/libTrivec.so: invalid ELF header" becomes
    // "\libTrivec.so: invalid ELF header"; the other texts keep their words with the path shortened.
    std::string text = e.what();
    const std::string inProgram = appPath() + "/" + kLibraryFile;
    for (size_t at; (at = text.find(inProgram)) != std::string::npos;)
      text.replace(at, inProgram.size(), std::string("\\") + kLibraryFile);
    const std::string loadFailed = "Trivec library could not be loaded: ";
    if (text.rfind(loadFailed, 0) == 0) text.erase(0, loadFailed.size());
    throw VbError(e.number(), text + ". The models cannot be animated without it, so the game cannot start");
  }
}

std::string loadedPath() {
  return lib().path;
}

void setLibraryFolder(const std::string& folder) {
  unload();
  lib().folderOverride = folder;
}

Long AnimateLinear(MD2Vertex* out, const MD2Vertex* a, const MD2Vertex* b, Long count, Single t,
                   D3DVECTOR* boxMin, D3DVECTOR* boxMax) {
  auto fn = entry(lib().animateLinear, "AnimateLinear");
  return fn(out, a, b, count, t, asVec3(boxMin), asVec3(boxMax));
}

Long AnimateCatmullRom(MD2Vertex* out, const MD2Vertex* p0, const MD2Vertex* p1, const MD2Vertex* p2,
                       const MD2Vertex* p3, Long count, Single t, D3DVECTOR* boxMin, D3DVECTOR* boxMax) {
  auto fn = entry(lib().animateCatmullRom, "AnimateCatmullRom");
  return fn(out, p0, p1, p2, p3, count, t, asVec3(boxMin), asVec3(boxMax));
}

}  // namespace TrivecImports
