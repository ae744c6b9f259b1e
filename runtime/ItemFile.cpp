#include "runtime/ItemFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/Numbers.h"
#include "runtime/Paths.h"
#include "runtime/Strings.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"

namespace {
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
bool isSpace(char c) { return c == ' ' || c == '\t'; }

// True when Val would read at least one digit from s.
bool hasNumericPrefix(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && isSpace(s[i])) ++i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  while (i < s.size() && isSpace(s[i])) ++i;
  if (i < s.size() && s[i] == '.') ++i;
  return i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]));
}

std::string parentFolder(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}
}  // namespace

// ---- reading -------------------------------------------------------------------------------

std::string skipByteOrderMark(std::string text) {
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  return text;
}

ItemReader::ItemReader(const std::string& gamePath)
    : text_(skipByteOrderMark(readFileBytes(resolvePath(gamePath)))) {}

ItemReader ItemReader::fromText(std::string text) {
  ItemReader r;
  r.text_ = skipByteOrderMark(std::move(text));
  return r;
}

bool ItemReader::eof() const {
  size_t p = pos_;
  while (p < text_.size() && (isSpace(text_[p]) || isLineEnd(text_[p]))) ++p;
  return p >= text_.size();
}

std::string ItemReader::next() {
  // Items never start on a blank line: spaces and line ends before an item are skipped.
  while (pos_ < text_.size() && (isSpace(text_[pos_]) || isLineEnd(text_[pos_]))) ++pos_;
  if (pos_ >= text_.size()) vbRaise(vberr::InputPastEnd);
  std::string item;
  if (text_[pos_] == '"') {
    size_t close = text_.find('"', pos_ + 1);
    if (close == std::string::npos) close = text_.size();  // a truncated file: take what is there
    item = text_.substr(pos_ + 1, close - pos_ - 1);
    pos_ = close < text_.size() ? close + 1 : close;
    while (pos_ < text_.size() && text_[pos_] != ',' && !isLineEnd(text_[pos_])) ++pos_;
  } else {
    size_t b = pos_;
    while (pos_ < text_.size() && text_[pos_] != ',' && !isLineEnd(text_[pos_])) ++pos_;
    size_t e = pos_;
    while (e > b && isSpace(text_[e - 1])) --e;
    item = text_.substr(b, e - b);
  }
  if (pos_ < text_.size()) {
    if (text_[pos_] == ',') {
      ++pos_;
    } else if (text_[pos_] == '\r') {
      ++pos_;
      if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    } else {
      ++pos_;
    }
  }
  return item;
}

std::string ItemReader::readString() { return next(); }

std::string ItemReader::readLine() {
  if (pos_ >= text_.size()) vbRaise(vberr::InputPastEnd);
  size_t b = pos_;
  while (pos_ < text_.size() && !isLineEnd(text_[pos_])) ++pos_;
  std::string line = text_.substr(b, pos_ - b);
  if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
  else if (pos_ < text_.size()) { ++pos_; return line; }
  if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
  return line;
}

double ItemReader::readNumber() {
  std::string item = next();
  if (equalsIgnoreCase(item, "#TRUE#")) return -1.0;
  if (equalsIgnoreCase(item, "#FALSE#")) return 0.0;
  if (Trim(item).empty()) return 0.0;
  if (!hasNumericPrefix(item)) vbRaise(vberr::TypeMismatch);
  return Val(item);
}

int16_t ItemReader::readInteger() { return CInt(readNumber()); }

int32_t ItemReader::readLong() { return CLng(readNumber()); }

float ItemReader::readSingle() {
  double v = readNumber();
  if (std::fabs(v) > 3.4028234663852886e38) vbRaise(vberr::Overflow);
  return static_cast<float>(v);
}

bool ItemReader::readBool() { return readNumber() != 0.0; }

// ---- writing -------------------------------------------------------------------------------

ItemWriter::ItemWriter(const std::string& gamePath) : path_(resolvePath(gamePath)) {}

ItemWriter::~ItemWriter() = default;

ItemWriter& ItemWriter::writeString(const std::string& s) {
  std::string safe = s;
  if (safe.find('"') != std::string::npos) {
    safe = Replace(safe, "\"", "'");
    reportNotice("double quote replaced by ' in: " + safe);
  }
  if (lineHasItem_) text_ += ',';
  text_ += '"';
  text_ += safe;
  text_ += '"';
  lineHasItem_ = true;
  return *this;
}

ItemWriter& ItemWriter::writeNumber(double v) {
  if (std::isnan(v)) vbRaise(vberr::InvalidCall);
  if (std::isinf(v)) vbRaise(vberr::Overflow);
  if (lineHasItem_) text_ += ',';
  text_ += CStr(v);
  lineHasItem_ = true;
  return *this;
}

ItemWriter& ItemWriter::writeSingle(float v) {
  if (std::isnan(v)) vbRaise(vberr::InvalidCall);
  if (std::isinf(v)) vbRaise(vberr::Overflow);
  char buf[64];  // the longest fixed text of a float (3.4e38: 39 digits and a sign) fits
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  if (lineHasItem_) text_ += ',';
  text_.append(buf, r.ptr);
  lineHasItem_ = true;
  return *this;
}

ItemWriter& ItemWriter::writeBool(bool b) {
  if (lineHasItem_) text_ += ',';
  text_ += b ? "#TRUE#" : "#FALSE#";
  lineHasItem_ = true;
  return *this;
}

ItemWriter& ItemWriter::endLine() {
  text_ += "\r\n";
  lineHasItem_ = false;
  return *this;
}

ItemWriter& ItemWriter::writeLine(const std::string& text) {
  if (lineHasItem_) endLine();
  text_ += text;
  return endLine();
}

void ItemWriter::commit() {
  writeFileAtomic(path_, text_);
  committed_ = true;
}

// ---- line files and whole files ------------------------------------------------------------

std::vector<std::string> readLines(const std::string& gamePath) {
  const std::string text = skipByteOrderMark(readFileBytes(resolvePath(gamePath)));
  std::vector<std::string> lines;
  size_t b = 0;
  while (b < text.size()) {
    size_t e = b;
    while (e < text.size() && !isLineEnd(text[e])) ++e;
    lines.push_back(text.substr(b, e - b));
    // CR LF, LF or a lone CR ends the line; the last line may have no end.
    if (e < text.size() && text[e] == '\r') ++e;
    else if (e < text.size()) { b = e + 1; continue; }
    if (e < text.size() && text[e] == '\n') ++e;
    b = e;
  }
  return lines;
}

void writeLines(const std::string& gamePath, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) {
    text += l;
    text += "\r\n";
  }
  writeFileAtomic(resolvePath(gamePath), text);
}

std::string writeRefusal(int err) {
  switch (err) {
    case EROFS: return "the folder is read-only";
    case ENOSPC:
    case EDQUOT: return "no space left on the disk";
    case EACCES:
    case EPERM: return "permission denied";
    default: return std::strerror(err);
  }
}

void raiseWriteRefused(int err) {
  vbRaise(vberr::FileAccess, vbErrorDescription(vberr::FileAccess) + " (" + writeRefusal(err) + ")");
}

void writeFileAtomic(const std::string& realPath, const std::string& bytes) {
  std::string tmp = realPath + ".tmp-XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) vbRaise(vberr::PathNotFound);
    raiseWriteRefused(errno);
  }
  int err = 0;  // errno of the first step that failed
  auto step = [&err](bool ok) {
    if (!ok && err == 0) err = errno != 0 ? errno : EIO;
    return ok;
  };
  struct stat st;
  mode_t mode;
  if (::stat(realPath.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = step(::fchmod(fd, mode) == 0);
  size_t done = 0;
  while (ok && done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;  // a write that takes nothing: the medium is full
    if (n <= 0) ok = step(false);
    else done += static_cast<size_t>(n);
  }
  if (ok) ok = step(::fsync(fd) == 0);
  if (::close(fd) != 0) ok = step(false);
  if (ok) {
    if (const int refused = renamePath(tmp, realPath)) {
      errno = refused;
      ok = step(false);
    }
  }
  if (!ok) {
    ::unlink(tmp.c_str());
    raiseWriteRefused(err);
  }
  int dfd = ::open(parentFolder(realPath).c_str(), O_RDONLY | O_DIRECTORY);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

void removeWriteLeftovers(const std::string& realFolder) {
  DIR* d = ::opendir(realFolder.c_str());
  if (!d) return;
  std::vector<std::string> left;
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    const size_t mark = name.rfind(".tmp-");
    if (mark == std::string::npos || mark == 0 || name.size() != mark + 11) continue;
    if (std::all_of(name.begin() + static_cast<long>(mark) + 5, name.end(),
                    [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }))
      left.push_back(name);
  }
  ::closedir(d);
  for (const std::string& name : left) {
    const std::string path = realFolder + "/" + name;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
  }
}

std::string readFileBytes(const std::string& realPath) {
  std::string bytes;
  switch (readWholeFile(realPath, bytes)) {
    case FileRead::Read: return bytes;
    case FileRead::Missing: vbRaise(vberr::FileNotFound);
    default: vbRaise(vberr::FileAccess);
  }
}
