#include "runtime/ItemFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "runtime/Paths.h"
#include "runtime/Trap.h"
#include "runtime/VbError.h"
#include "tests/support/TempGameDir.h"

namespace {
int errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const VbError& e) {
    return e.number();
  }
  return 0;
}

// Captures runtime notices for the life of the object.
struct NoticeCapture {
  std::vector<std::string> lines;
  NoticeCapture() { setTrapSink([this](const std::string& l) { lines.push_back(l); }); }
  ~NoticeCapture() { setTrapSink(nullptr); }
};
}  // namespace

TEST(ItemFile, RoundTripKeepsEveryItemExactly) {
  TempGameDir dir;
  dir.write("\\data\\keep.txt", "");
  const std::vector<std::string> strings = {"plain", "with, commas,", "", "  padded  ", "#TRUE#", "a\\b"};
  const std::vector<double> numbers = {0, -1, 3.25, -0.1, 1.0 / 3, 1e-30, 123456789012345.0, -32768, 0.1 + 0.2};
  {
    ItemWriter w("\\data\\rt.pnd");
    for (const std::string& s : strings) w.writeString(s);
    w.endLine();
    for (double v : numbers) w.writeNumber(v).endLine();
    w.writeBool(true).writeBool(false).writeString("end").endLine();
    w.commit();
  }
  ItemReader r("\\data\\rt.pnd");
  for (const std::string& s : strings) EXPECT_EQ(r.readString(), s);
  for (double v : numbers) EXPECT_EQ(r.readNumber(), v);
  EXPECT_TRUE(r.readBool());
  EXPECT_FALSE(r.readBool());
  EXPECT_EQ(r.readString(), "end");
  EXPECT_TRUE(r.eof());
  EXPECT_EQ(errorOf([&] { r.readString(); }), vberr::InputPastEnd);
  // Lines end with CR LF; strings are quoted; Booleans are #TRUE#/#FALSE#.
  std::string text = dir.read("\\data\\rt.pnd");
  EXPECT_EQ(text.substr(0, text.find("\r\n")), "\"plain\",\"with, commas,\",\"\",\"  padded  \",\"#TRUE#\",\"a\\b\"");
  EXPECT_NE(text.find("#TRUE#,#FALSE#,\"end\"\r\n"), std::string::npos);
}

TEST(ItemFile, SinglesAreWrittenAsTheShortestPlainTextThatReadsBack) {
  TempGameDir dir;
  const struct {
    float v;
    const char* text;
  } cases[] = {{1520.3f, "1520.3"}, {-0.1f, "-0.1"},       {1e7f, "10000000"},      {1e-7f, "0.0000001"},
               {0, "0"},            {16777217.0f, "16777216"}, {0.333333343f, "0.33333334"}};
  ItemWriter w("\\data\\unused.pnd");
  for (const auto& c : cases) w.writeSingle(c.v);
  std::string expected;
  for (const auto& c : cases) expected += (expected.empty() ? "" : ",") + std::string(c.text);
  EXPECT_EQ(w.text(), expected);
  ItemReader r = ItemReader::fromText(w.text());
  for (const auto& c : cases) EXPECT_EQ(r.readSingle(), c.v) << c.text;
  const float big = 3.4028235e38f, tiny = 1e-45f;
  ItemWriter e("\\data\\unused.pnd");
  e.writeSingle(big).writeSingle(tiny);
  EXPECT_EQ(e.text().find('e'), std::string::npos);  // plain decimal even at the ends of the range
  ItemReader back = ItemReader::fromText(e.text());
  EXPECT_EQ(back.readSingle(), big);
  EXPECT_EQ(back.readSingle(), tiny);
  EXPECT_EQ(errorOf([&] { e.writeSingle(std::numeric_limits<float>::quiet_NaN()); }), vberr::InvalidCall);
  EXPECT_EQ(errorOf([&] { e.writeSingle(std::numeric_limits<float>::infinity()); }), vberr::Overflow);
}

TEST(ItemFile, QuoteInAStringIsReplacedAndReported) {
  TempGameDir dir;
  NoticeCapture notices;
  ItemWriter w("\\q.pnd");
  w.writeString("say \"hi\", then go").writeNumber(5).endLine();
  w.commit();
  ItemReader r("\\q.pnd");
  EXPECT_EQ(r.readString(), "say 'hi', then go");
  EXPECT_EQ(r.readInteger(), 5);
  EXPECT_TRUE(r.eof());
  ASSERT_EQ(notices.lines.size(), 1u);
  EXPECT_NE(notices.lines[0].find("say 'hi', then go"), std::string::npos);
}

TEST(ItemFile, ReaderTakesItemsRegardlessOfLineEnds) {
  ItemReader r = ItemReader::fromText(" 12 ,\"a,b\" , -3.5\n\n#FALSE#\r\n\"x\"junk,7\r1e3,,\"open");
  EXPECT_EQ(r.readInteger(), 12);
  EXPECT_EQ(r.readString(), "a,b");
  EXPECT_EQ(r.readSingle(), -3.5f);
  EXPECT_EQ(r.readNumber(), 0);    // #FALSE#
  EXPECT_EQ(r.readString(), "x");  // text after the closing quote is skipped
  EXPECT_EQ(r.readLong(), 7);
  EXPECT_EQ(r.readNumber(), 1000);
  EXPECT_EQ(r.readNumber(), 0);    // empty item
  EXPECT_EQ(r.readString(), "open");  // unterminated quote at the end of a truncated file
  EXPECT_TRUE(r.eof());
}

TEST(ItemFile, PlainLinesMixWithItems) {
  TempGameDir dir;
  ItemWriter w("\\mixed.pnd");
  w.writeLine("slot name, with comma").writeLine(" 4 ").writeNumber(1.5).writeString("s").endLine();
  w.writeLine("tail");
  w.commit();
  ItemReader r("\\mixed.pnd");
  EXPECT_EQ(r.readLine(), "slot name, with comma");
  EXPECT_EQ(r.readInteger(), 4);
  EXPECT_EQ(r.readNumber(), 1.5);
  EXPECT_EQ(r.readString(), "s");
  EXPECT_EQ(r.readLine(), "tail");
  EXPECT_EQ(errorOf([&] { r.readLine(); }), vberr::InputPastEnd);
}

TEST(ItemFile, ReaderErrors) {
  TempGameDir dir;
  EXPECT_EQ(errorOf([] { ItemReader r("\\data\\none.pnd"); }), vberr::FileNotFound);
  EXPECT_EQ(errorOf([] { ItemReader::fromText("\"abc\"").readNumber(); }), vberr::TypeMismatch);
  EXPECT_EQ(errorOf([] { ItemReader::fromText("40000").readInteger(); }), vberr::Overflow);
  EXPECT_EQ(errorOf([] { ItemReader::fromText("1e39").readSingle(); }), vberr::Overflow);
  EXPECT_EQ(errorOf([] { ItemReader::fromText("\r\n  \r\n").readString(); }), vberr::InputPastEnd);
}

TEST(ItemFile, WritesAreAtomic) {
  TempGameDir dir;
  dir.write("\\data\\opt.pnd", "old\r\n");
  {
    ItemWriter w("\\data\\opt.pnd");
    w.writeString("new").endLine();
    // destroyed without commit: the target is untouched
  }
  EXPECT_EQ(dir.read("\\data\\opt.pnd"), "old\r\n");
  // A failing commit (folder missing) raises and leaves nothing behind.
  ItemWriter bad("\\nofolder\\x.pnd");
  bad.writeNumber(1).endLine();
  EXPECT_EQ(errorOf([&] { bad.commit(); }), vberr::PathNotFound);
  // A folder in the target's place cannot be replaced: the error is raised, the folder stays.
  std::filesystem::create_directories(dir.real("\\data\\isdir"));
  EXPECT_EQ(errorOf([] { writeFileAtomic(resolvePath("\\data\\isdir"), "x"); }), vberr::FileAccess);
  EXPECT_TRUE(std::filesystem::is_directory(dir.real("\\data\\isdir")));
  ItemWriter w("\\data\\opt.pnd");
  w.writeNumber(2).endLine().commit();
  EXPECT_EQ(dir.read("\\data\\opt.pnd"), "2\r\n");
  std::vector<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(dir.real("\\data"))) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"isdir", "opt.pnd"}));  // no temporaries left
}

TEST(ItemFile, LineFiles) {
  TempGameDir dir;
  dir.write("\\data\\l.pnd", "one\r\ntwo\nthree\rfour\r\n\r\nsix");
  EXPECT_EQ(readLines("\\data\\l.pnd"), (std::vector<std::string>{"one", "two", "three", "four", "", "six"}));
  writeLines("\\data\\w.pnd", {"a, \"b\"", ""});
  EXPECT_EQ(dir.read("\\data\\w.pnd"), "a, \"b\"\r\n\r\n");
  EXPECT_EQ(readLines("\\data\\w.pnd"), (std::vector<std::string>{"a, \"b\"", ""}));
  EXPECT_EQ(errorOf([] { readLines("\\data\\missing.pnd"); }), vberr::FileNotFound);
}

// Editors often save text with a UTF-8 byte-order mark: it must not become part of the first
// value, nor hide the first line; a mark anywhere but the start is data.
TEST(ItemFile, ByteOrderMarkAtTheStartIsSkipped) {
  TempGameDir dir;
  const std::string bom = "\xEF\xBB\xBF";
  dir.write("\\maps\\bom.pnd", bom + "\"Los Gatos\",3\r\n");
  ItemReader items("\\maps\\bom.pnd");
  EXPECT_EQ(items.readString(), "Los Gatos");
  EXPECT_EQ(items.readInteger(), 3);
  EXPECT_EQ(ItemReader::fromText(bom + "\"banana\"").readString(), "banana");

  dir.write("\\data\\bom.pnd", bom + "#chica\r\nmodel\r\n" + bom + "x");
  EXPECT_EQ(readLines("\\data\\bom.pnd"), (std::vector<std::string>{"#chica", "model", bom + "x"}));
  dir.write("\\data\\onlybom.pnd", bom);
  EXPECT_TRUE(readLines("\\data\\onlybom.pnd").empty());
  EXPECT_TRUE(ItemReader("\\data\\onlybom.pnd").eof());
}
