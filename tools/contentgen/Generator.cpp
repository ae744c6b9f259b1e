#include "tools/contentgen/Generator.h"

#include <vector>

#include "tools/contentgen/ImageFiles.h"

std::string normalisePath(const std::string& gamePath) {
  std::vector<std::string> parts;
  std::string cur;
  auto flush = [&] {
    if (cur == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!cur.empty() && cur != ".") {
      parts.push_back(cur);
    }
    cur.clear();
  };
  for (char c : gamePath) {
    if (c == '\\' || c == '/')
      flush();
    else
      cur.push_back(c);
  }
  flush();
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : "/") + p;
  return out;
}

void writeTexture(OutputFolder& out, const std::string& gfxName, const Image& img) {
  out.write(normalisePath("\\gfx\\" + gfxName), encodeTexture(img, gfxName));
}
