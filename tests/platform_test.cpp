// Text, list and string-map classes of the interface.
#include <cstdio>
#include <string>
#include <vector>

#include "fixture.h"

namespace {

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
  std::vector<char> buf(4096);
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buf.data(), buf.size(), format, args);
  va_end(args);
  return std::string(buf.data(), n < 0 ? 0 : static_cast<std::size_t>(n));
}

// Format replaces the text with exactly what printf prints, also past any
// small internal buffer (3.4e38 printed in full is 46 digits).
TEST(CStringTest, FormatFollowsPrintf) {
  CString s("old contents");
  s.Format("%d|%5d|%ld|%f|%.12lf|%g", -42, 7, 2147483646L, 0.1, 1.0 / 3.0, 3.4e38);
  EXPECT_EQ(s.str(), Printf("%d|%5d|%ld|%f|%.12lf|%g", -42, 7, 2147483646L, 0.1, 1.0 / 3.0, 3.4e38));
  s.Format("%f %f %s", 3.4e38, 1e300, std::string(300, 'x').c_str());
  EXPECT_EQ(s.str(), Printf("%f %f %s", 3.4e38, 1e300, std::string(300, 'x').c_str()));
  EXPECT_GT(s.GetLength(), 600);
  s.Format("%s", "");
  EXPECT_TRUE(s.IsEmpty());
}

// Trimming by character set, ASCII-only case folding, and parts whose
// bounds lie outside the text.
TEST(CStringTest, TrimCompareAndParts) {
  EXPECT_EQ(CString(" \t\r\n name  inner \v\f\n").Trim().str(), "name  inner");
  CString chars("((\"x(\"\" ))");
  EXPECT_EQ(chars.TrimLeft("( \"").TrimRight(") \"").str(), "x(");
  EXPECT_EQ(CString("\xe9 a \xe9").Trim().str(), "\xe9 a \xe9");  // high bytes are no space

  EXPECT_EQ(CString("/Tmp/Board.XREF").CompareNoCase("/tmp/board.xref"), 0);
  EXPECT_LT(CString("/Tmp/Board.XREF").CompareNoCase("/tmp/board.xrefs"), 0);
  EXPECT_LT(CString("a").CompareNoCase("B"), 0);  // folded, not byte order
  EXPECT_LT(CString("B").Compare("a"), 0);
  EXPECT_NE(CString("\xc9").CompareNoCase("\xe9"), 0);
  EXPECT_EQ(CString("").CompareNoCase(nullptr), 0);

  const CString t("abcdef");
  const std::vector<std::string> parts = {t.Left(2).str(),    t.Left(-3).str(),   t.Right(2).str(),
                                          t.Right(99).str(),  t.Mid(2).str(),     t.Mid(1000).str(),
                                          t.Mid(4, 99).str(), t.Mid(2, -1).str(), t.Mid(-2, 3).str()};
  EXPECT_EQ(parts, (std::vector<std::string>{"ab", "", "ef", "abcdef", "cdef", "", "ef", "", "abc"}));
  EXPECT_EQ(t.Find('c', 3), -1);
  EXPECT_EQ(t.Find('a', 100), -1);
  EXPECT_EQ(CString("a\"b\"c").ReverseFind('"'), 3);
}

// Both walks of a list: "a,b,c,|c,b,a,".
std::string Walk(const CStringList& list) {
  std::string out;
  for (POSITION pos = list.GetHeadPosition(); pos;) out += list.GetNext(pos).str() + ",";
  out += "|";
  for (POSITION pos = list.GetTailPosition(); pos;) out += list.GetPrev(pos).str() + ",";
  return out;
}

TEST(CStringListTest, InsertionRemovalAndWalking) {
  CStringList list(10);
  POSITION b = list.AddTail("b");
  list.AddTail("c");
  POSITION a = list.AddHead("a");
  list.AddTail("b");
  EXPECT_EQ(Walk(list), "a,b,c,b,|b,c,b,a,");
  EXPECT_EQ(list.Find("b"), b);  // first match from the head
  EXPECT_EQ(list.Find("B"), nullptr);
  list.RemoveAt(b);
  list.RemoveAt(a);
  list.RemoveAt(list.GetTailPosition());
  EXPECT_EQ(Walk(list), "c,|c,");
  list.RemoveAt(list.GetHeadPosition());
  EXPECT_EQ(Walk(list), "|");
  list.AddTail("again");
  EXPECT_EQ(Walk(list), "again,|again,");
}

// Exact keys; replacing keeps an entry's place in the walk; a miss leaves
// the output alone.
TEST(StringMapTest, ReplaceLookupAndWalk) {
  CMapStringToString map(10);
  map.SetAt("net", "one");
  map.SetAt("Net", "two");
  map["net"] = "three";
  std::string walk;
  CString key, value;
  for (POSITION pos = map.GetStartPosition(); pos;) {
    map.GetNextAssoc(pos, key, value);
    walk += key.str() + "=" + value.str() + ",";
  }
  EXPECT_EQ(walk, "net=three,Net=two,");
  EXPECT_FALSE(map.Lookup("NET", value));
  EXPECT_EQ(value.str(), "two");
  EXPECT_TRUE(map.RemoveKey("Net"));
  EXPECT_FALSE(map.Lookup("Net", value));
}

}  // namespace
