// Item files and line files, the game's text data.
// Item files hold records as comma-separated items: strings in double quotes, numbers as plain
// decimal text with '.', Booleans #TRUE#/#FALSE#, lines ended by CR LF. ItemReader takes items
// one at a time, so a comma or a line end ends an item and a quoted item may hold commas.
// Blank lines between items are skipped. Reading past the last item raises VbError 62; a missing
// file raises VbError 53; a number item that holds no number at all raises VbError 13.
// Writers never leave a half-written file: they write a temporary beside the target, flush,
// sync and rename it over the target in commit(). A writer destroyed without commit() leaves
// the target untouched. A double quote inside a string item cannot be stored: writeString
// replaces it with a single quote and reports the replacement through the message log.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class ItemReader {
 public:
  explicit ItemReader(const std::string& gamePath);   // resolved through resolvePath
  static ItemReader fromText(std::string text);         // for tests and in-memory data
  bool eof() const;               // no item left
  std::string readString();       // quotes removed; an unquoted item is taken as text
  double readNumber();            // Val of the item; #TRUE# reads -1, #FALSE# 0, an empty item 0
  int16_t readInteger();          // CInt(readNumber()): VbError 6 outside the range
  int32_t readLong();             // CLng(readNumber()): VbError 6 outside the range
  float readSingle();             // VbError 6 outside the float range
  bool readBool();                // #TRUE#/#FALSE#, or a number (non-zero = True)
  // The rest of the current line as it stands (no quoting), for files that mix plain lines and
  // items; after the last item of a line it is the next line. VbError 62 at the end.
  std::string readLine();

 private:
  ItemReader() = default;
  std::string next();
  std::string text_;
  size_t pos_ = 0;
};

class ItemWriter {
 public:
  explicit ItemWriter(const std::string& gamePath);
  ~ItemWriter();
  ItemWriter(const ItemWriter&) = delete;
  ItemWriter& operator=(const ItemWriter&) = delete;
  ItemWriter& writeString(const std::string& s);
  ItemWriter& writeNumber(double v);     // shortest text that reads back exactly; NaN/inf raise
  // A Single: the shortest plain decimal text (no exponent) that reads back as the same Single;
  // NaN/inf raise.
  ItemWriter& writeSingle(float v);
  ItemWriter& writeBool(bool b);
  ItemWriter& endLine();                 // CR LF
  ItemWriter& writeLine(const std::string& text);  // a plain line as it stands (ends the current one)
  // Atomic replace of the target; VbError 76 when its folder is missing, 75 on any other
  // failure (the target is then untouched, no temporary is left), its text ending with the
  // reason in parentheses (writeRefusal).
  void commit();
  const std::string& text() const { return text_; }

 private:
  std::string path_;
  std::string text_;
  bool lineHasItem_ = false;
  bool committed_ = false;
};

// A UTF-8 byte-order mark at the start of a text file (as many editors save one) is not data:
// the readers above and readLines drop it.
std::string skipByteOrderMark(std::string text);

// Line files: read whole, one line at a time (no quoting); CR LF, LF or CR line ends.
std::vector<std::string> readLines(const std::string& gamePath);   // VbError 53 when missing
void writeLines(const std::string& gamePath, const std::vector<std::string>& lines);  // atomic, CR LF
// Atomic whole-file write of bytes to a real (already resolved) path; errors as commit(). Its
// temporary is the target's name + ".tmp-" + 6 letters or digits, in the target's folder.
void writeFileAtomic(const std::string& realPath, const std::string& bytes);
// Removes from a real folder (not below it) the temporaries that writes cut off by a kill or a
// crash left there; nothing else. A folder that does not exist is left alone.
void removeWriteLeftovers(const std::string& realFolder);
// Why the system refused a write, from its errno, in words a player can act on: "the folder is
// read-only" (EROFS), "no space left on the disk" (ENOSPC, EDQUOT), "permission denied" (EACCES,
// EPERM), else the system's own text.
std::string writeRefusal(int err);
// Raises VbError 75 "Path/File access error (<writeRefusal(err)>)".
[[noreturn]] void raiseWriteRefused(int err);
std::string readFileBytes(const std::string& realPath);  // VbError 53 when missing, 75 for a folder
