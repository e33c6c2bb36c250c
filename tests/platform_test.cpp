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

TEST(CStringTest, FormatFollowsPrintf) {
  CString s("old contents");
  s.Format("%d|%5d|%-4d|%ld", -42, 7, 3, 2147483646L);
  EXPECT_EQ(s.str(), Printf("%d|%5d|%-4d|%ld", -42, 7, 3, 2147483646L));
  s.Format("%f|%.12lf|%g|%e", 0.1, 1.0 / 3.0, 3.4e38, -2.5e-7);
  EXPECT_EQ(s.str(), Printf("%f|%.12lf|%g|%e", 0.1, 1.0 / 3.0, 3.4e38, -2.5e-7));
  // Longer than any small internal buffer: 3.4e38 printed in full is 46 digits.
  s.Format("%f %f %f %s", 3.4e38, -3.4e38, 1e300, std::string(300, 'x').c_str());
  EXPECT_EQ(s.str(), Printf("%f %f %f %s", 3.4e38, -3.4e38, 1e300, std::string(300, 'x').c_str()));
  EXPECT_GT(s.GetLength(), 600);
  s.Format("%s", "");
  EXPECT_TRUE(s.IsEmpty());
  s.Format("%c%%%x", 'A', 255u);
  EXPECT_EQ(s.str(), "A%ff");
}

TEST(CStringTest, TrimCompareAndParts) {
  CString s(" \t\r\n name  inner \v\f\n");
  EXPECT_EQ(s.Trim().str(), "name  inner");
  EXPECT_EQ(CString(" \t \n").Trim().str(), "");
  CString chars("((\"x(\"\" ))");
  EXPECT_EQ(chars.TrimLeft("( \"").str(), "x(\"\" ))");
  EXPECT_EQ(chars.TrimRight(") \"").str(), "x(");
  EXPECT_EQ(CString("\xe9 a \xe9").Trim().str(), "\xe9 a \xe9");  // high bytes are no space

  EXPECT_EQ(CString("/Tmp/Board.XREF").CompareNoCase("/tmp/board.xref"), 0);
  EXPECT_LT(CString("/Tmp/Board.XREF").CompareNoCase("/tmp/board.xrefs"), 0);
  EXPECT_LT(CString("a").CompareNoCase("B"), 0);  // folded, not byte order
  EXPECT_LT(CString("B").Compare("a"), 0);
  EXPECT_NE(CString("\xc9").CompareNoCase("\xe9"), 0);  // only ASCII letters fold
  EXPECT_EQ(CString("").CompareNoCase(nullptr), 0);

  const CString t("abcdef");
  const std::vector<std::string> parts = {
      t.Left(2).str(),  t.Left(-3).str(),  t.Left(99).str(),  t.Right(2).str(),
      t.Right(-1).str(), t.Right(99).str(), t.Mid(2).str(),    t.Mid(-5).str(),
      t.Mid(1000).str(), t.Mid(2, 3).str(), t.Mid(4, 99).str(), t.Mid(2, -1).str(),
      t.Mid(-2, 3).str()};
  EXPECT_EQ(parts, (std::vector<std::string>{"ab", "", "abcdef", "ef", "", "abcdef", "cdef",
                                             "abcdef", "", "cde", "ef", "", "abc"}));
  EXPECT_EQ(t.Find('c'), 2);
  EXPECT_EQ(t.Find('c', 3), -1);
  EXPECT_EQ(t.Find('a', 100), -1);
  EXPECT_EQ(CString("a\"b\"c").ReverseFind('"'), 3);
  EXPECT_EQ(t.ReverseFind('z'), -1);
}

// Both walks of a list: "a,b,c|c,b,a".
std::string Walk(const CStringList& list) {
  std::string out;
  for (POSITION pos = list.GetHeadPosition(); pos;) out += list.GetNext(pos).str() + ",";
  out += "|";
  for (POSITION pos = list.GetTailPosition(); pos;) out += list.GetPrev(pos).str() + ",";
  return out;
}

TEST(CStringListTest, TailInsertionAndWalking) {
  CStringList list(10);
  EXPECT_EQ(Walk(list), "|");
  POSITION b = list.AddTail("b");
  list.AddTail("c");
  POSITION a = list.AddHead("a");
  list.AddTail("b");
  EXPECT_EQ(list.GetCount(), 4);
  EXPECT_EQ(Walk(list), "a,b,c,b,|b,c,b,a,");
  EXPECT_EQ(list.Find("b"), b);  // first match from the head
  EXPECT_EQ(list.Find("B"), nullptr);
  list.RemoveAt(b);
  EXPECT_EQ(Walk(list), "a,c,b,|b,c,a,");
  list.RemoveAt(a);
  list.RemoveAt(list.GetTailPosition());
  EXPECT_EQ(Walk(list), "c,|c,");
  list.RemoveAt(list.GetHeadPosition());
  EXPECT_EQ(Walk(list), "|");
  list.AddTail("again");
  EXPECT_EQ(Walk(list), "again,|again,");
  list.RemoveAll();
  EXPECT_EQ(list.GetCount(), 0);
}

std::string Walk(const CMapStringToString& map) {
  std::string out;
  CString key, value;
  for (POSITION pos = map.GetStartPosition(); pos;) {
    map.GetNextAssoc(pos, key, value);
    out += key.str() + "=" + value.str() + ",";
  }
  return out;
}

TEST(StringMapTest, ReplaceLookupAndWalk) {
  CMapStringToString map(10);
  map.SetAt("net", "one");
  map.SetAt("Net", "two");
  map.SetAt("", "empty");
  map["net"] = "three";  // replaces in place, keeps its place in the walk
  EXPECT_EQ(map.GetCount(), 3);
  EXPECT_EQ(Walk(map), "net=three,Net=two,=empty,");
  CString value;
  EXPECT_TRUE(map.Lookup("Net", value));
  EXPECT_FALSE(map.Lookup("NET", value));
  EXPECT_EQ(value.str(), "two");  // a miss leaves the output alone
  EXPECT_TRUE(map.RemoveKey("Net"));
  EXPECT_FALSE(map.RemoveKey("Net"));
  EXPECT_EQ(Walk(map), "net=three,=empty,");

  CMapStringToOb objects(10);
  int x = 0, y = 0;
  objects.SetAt("a", &x);
  objects.SetAt("a", &y);
  void* found = nullptr;
  ASSERT_TRUE(objects.Lookup("a", found));
  EXPECT_EQ(found, &y);
  objects.RemoveAll();
  EXPECT_FALSE(objects.Lookup("a", found));
  EXPECT_EQ(objects.GetStartPosition(), nullptr);
}

}  // namespace
