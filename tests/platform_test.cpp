// The text class of the interface.
#include "fixture.h"

namespace {

template <class... A>
void LikePrintf(CString& s, const char* format, A... a) {
  std::vector<char> buf(4096);
  int n = std::snprintf(buf.data(), buf.size(), format, a...);
  s.Format(format, a...);
  EXPECT_EQ(s.str(), std::string(buf.data(), n < 0 ? 0 : std::size_t(n))) << format;
}

// Format gives exactly what printf prints, also at every length around its buffer of 128 bytes.
TEST(CStringTest, FormatFollowsPrintf) {
  CString s("old contents");
  LikePrintf(s, "%d|%5d|%ld|%f|%.12lf|%g", -42, 7, 2147483646L, 0.1, 1.0 / 3.0, 3.4e38);
  s.Format("%s", "");
  EXPECT_TRUE(s.IsEmpty());
  for (std::size_t n : {1, 126, 127, 128, 129, 130, 255, 256, 257}) {
    s.Format("%s|%d", std::string(n - 1, 'x').c_str(), 7);
    EXPECT_EQ(s.str(), std::string(n - 1, 'x') + "|7") << n;
    EXPECT_EQ(s.GetLength(), static_cast<int>(n + 1)) << n;
  }
}

// Trimming keeps the last character not trimmed; a list keeps its tail through additions and removals.
TEST(CStringTest, TrimAndListEnds) {
  EXPECT_EQ(CString("  ab  ").TrimRight().str(), "  ab");
  EXPECT_EQ(CString("   ").TrimRight().str(), "");
  EXPECT_EQ(CString("abc").Right(3).str() + CString("abc").Right(2).str(), "abcbc");
  CStringList list;
  list.AddHead("b");
  list.AddHead("a");
  list.AddTail("c");
  EXPECT_EQ(list.GetTail().str(), "c");
  list.RemoveAt(list.GetTailPosition());
  EXPECT_EQ(list.GetTail().str() + list.GetHead().str(), "ba");
}

}  // namespace
