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

TEST(CStringTest, TrimAndCompare) {
  CString s(" \t\r\n name with  inner \v\f\n");
  s.Trim();
  EXPECT_EQ(s.str(), "name with  inner");
  CString all(" \t \n");
  all.Trim();
  EXPECT_TRUE(all.IsEmpty());
  CString chars("((\"x(\"\" ))");
  chars.TrimLeft("( \"");
  EXPECT_EQ(chars.str(), "x(\"\" ))");
  chars.TrimRight(") \"");
  EXPECT_EQ(chars.str(), "x(");
  CString bytes("\xe9 a \xe9");  // bytes above 127 are not white space
  bytes.Trim();
  EXPECT_EQ(bytes.str(), "\xe9 a \xe9");

  CString path("/Tmp/Board.XREF");
  EXPECT_EQ(path.CompareNoCase("/tmp/board.xref"), 0);
  EXPECT_LT(path.CompareNoCase("/tmp/board.xrefs"), 0);
  EXPECT_GT(path.CompareNoCase("/tmp/board"), 0);
  EXPECT_LT(CString("a").CompareNoCase("B"), 0);  // folded, not byte order
  EXPECT_LT(CString("B").Compare("a"), 0);        // byte order
  EXPECT_NE(CString("\xc9").CompareNoCase("\xe9"), 0);  // only ASCII letters fold
  EXPECT_EQ(CString("").CompareNoCase(nullptr), 0);
  EXPECT_TRUE(CString("Abc") == "Abc");
  EXPECT_TRUE(CString("Abc") != "abc");
}

TEST(CStringTest, PartsStayInBounds) {
  const CString s("abcdef");
  EXPECT_EQ(s.Left(2).str(), "ab");
  EXPECT_EQ(s.Left(0).str(), "");
  EXPECT_EQ(s.Left(-3).str(), "");
  EXPECT_EQ(s.Left(99).str(), "abcdef");
  EXPECT_EQ(s.Right(2).str(), "ef");
  EXPECT_EQ(s.Right(-1).str(), "");
  EXPECT_EQ(s.Right(99).str(), "abcdef");
  EXPECT_EQ(s.Mid(2).str(), "cdef");
  EXPECT_EQ(s.Mid(-5).str(), "abcdef");
  EXPECT_EQ(s.Mid(6).str(), "");
  EXPECT_EQ(s.Mid(1000).str(), "");
  EXPECT_EQ(s.Mid(2, 3).str(), "cde");
  EXPECT_EQ(s.Mid(4, 99).str(), "ef");
  EXPECT_EQ(s.Mid(2, 0).str(), "");
  EXPECT_EQ(s.Mid(2, -1).str(), "");  // a negative count takes nothing
  EXPECT_EQ(s.Mid(-2, 3).str(), "abc");
  EXPECT_EQ(s.Find('c'), 2);
  EXPECT_EQ(s.Find('c', 3), -1);
  EXPECT_EQ(s.Find('a', 100), -1);
  EXPECT_EQ(CString("a\"b\"c").ReverseFind('"'), 3);
  EXPECT_EQ(s.ReverseFind('z'), -1);
  EXPECT_EQ(CString("abc", 2).str(), "ab");
  EXPECT_EQ(CString(static_cast<const char*>(nullptr)).str(), "");
}

std::vector<std::string> Forward(const CStringList& list) {
  std::vector<std::string> out;
  for (POSITION pos = list.GetHeadPosition(); pos;) out.push_back(list.GetNext(pos).str());
  return out;
}

std::vector<std::string> Backward(const CStringList& list) {
  std::vector<std::string> out;
  for (POSITION pos = list.GetTailPosition(); pos;) out.push_back(list.GetPrev(pos).str());
  return out;
}

using Texts = std::vector<std::string>;

TEST(CStringListTest, TailInsertionAndWalking) {
  CStringList list(10);
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.GetHeadPosition(), nullptr);
  POSITION b = list.AddTail("b");
  list.AddTail("c");
  POSITION a = list.AddHead("a");
  list.AddTail("b");
  EXPECT_EQ(list.GetCount(), 4);
  EXPECT_EQ(Forward(list), (Texts{"a", "b", "c", "b"}));
  EXPECT_EQ(Backward(list), (Texts{"b", "c", "b", "a"}));
  EXPECT_EQ(list.Find("b"), b);  // first match from the head
  EXPECT_EQ(list.Find("B"), nullptr);
  EXPECT_EQ(list.GetHead().str(), "a");
  EXPECT_EQ(list.GetTail().str(), "b");

  list.RemoveAt(b);
  EXPECT_EQ(Forward(list), (Texts{"a", "c", "b"}));
  list.RemoveAt(a);
  EXPECT_EQ(Forward(list), (Texts{"c", "b"}));
  list.RemoveAt(list.GetTailPosition());
  EXPECT_EQ(Backward(list), Texts{"c"});
  list.RemoveAt(list.GetHeadPosition());
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.GetTailPosition(), nullptr);
  list.AddTail("again");
  EXPECT_EQ(Forward(list), Texts{"again"});
  list.RemoveAll();
  EXPECT_EQ(list.GetCount(), 0);
}

TEST(StringMapTest, ReplaceLookupAndWalk) {
  CMapStringToString map(10);
  map.SetAt("net", "one");
  map.SetAt("Net", "two");
  map.SetAt("", "empty");
  map["net"] = "three";  // replaces in place, keeps its place in the walk
  EXPECT_EQ(map.GetCount(), 3);
  CString value;
  ASSERT_TRUE(map.Lookup("net", value));
  EXPECT_EQ(value.str(), "three");
  ASSERT_TRUE(map.Lookup("Net", value));
  EXPECT_EQ(value.str(), "two");
  EXPECT_FALSE(map.Lookup("NET", value));
  EXPECT_EQ(value.str(), "two");  // a miss leaves the output alone

  std::vector<std::string> walk;
  CString key;
  for (POSITION pos = map.GetStartPosition(); pos;) {
    map.GetNextAssoc(pos, key, value);
    walk.push_back(key.str() + "=" + value.str());
  }
  EXPECT_EQ(walk, (Texts{"net=three", "Net=two", "=empty"}));

  EXPECT_TRUE(map.RemoveKey("Net"));
  EXPECT_FALSE(map.RemoveKey("Net"));
  walk.clear();
  for (POSITION pos = map.GetStartPosition(); pos;) {
    map.GetNextAssoc(pos, key, value);
    walk.push_back(key.str());
  }
  EXPECT_EQ(walk, (Texts{"net", ""}));

  CMapStringToOb objects(10);
  int x = 0, y = 0;
  objects.SetAt("a", &x);
  objects.SetAt("a", &y);
  void* found = nullptr;
  ASSERT_TRUE(objects.Lookup("a", found));
  EXPECT_EQ(found, &y);
  EXPECT_EQ(objects.GetCount(), 1);
  objects.RemoveAll();
  EXPECT_FALSE(objects.Lookup("a", found));
  EXPECT_EQ(objects.GetStartPosition(), nullptr);
}

}  // namespace
