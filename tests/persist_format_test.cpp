// The file format: golden files, primitive encodings, header variants and versions.
#include "fixture.h"

using namespace tavrin_test;

namespace {

class FormatTest : public SessionTest {
 protected:
  template <class F>
  std::string Written(const std::string& path, F body) {
    PersistentFile f(path.c_str(), 1, heap);
    body(f);
    EXPECT_TRUE(f.Close());
    return ReadFile(path).substr(37);
  }
  ScratchDir dir;
};

}  // namespace

// No header has been read yet in this process; then versions of every form, a header without "VV"
// and revision lines; GetObjtabPos makes no object (that would raise the server's counter).
TEST_F(FormatTest, VersionsAndHeaders) {
  EXPECT_EQ(GetCurrentDBVersion(), 0);
  std::string path = dir.File("v");
  ASSERT_EQ(session->Save(path.c_str()) + session->Restore(path.c_str()), 2);
  EXPECT_EQ(GetCurrentDBVersion(), 12);
  EXPECT_EQ(GetDBFileVersion(dir.File("missing").c_str()), -1);
  // Binary when the first four bytes hold no line feed; a version has two characters.
  const std::pair<std::string, int> cases[] = {
      {std::string("YOVV12\0\0", 8), 12}, {"YOVV07", 7},     {"YOXX12", -1}, {"YOVV", -1}, {"YO\n7\n", -1},
      {"YO\n123\n", -1},                    {"XO\n12\n", -1}, {"", -1},       {"YO\n13", 13}};
  for (const auto& c : cases) {
    WriteFile(path, c.first);
    EXPECT_EQ(GetDBFileVersion(path.c_str()), c.second) << c.first;
  }
  WriteFile(path, "YO\n12\nVV\n33199\n000047\n");
  EXPECT_EQ(session->GetObjtabPos(path.c_str()), -1) << "no end position";
  path = TestData("no_revision.tvn");
  GTavrinServer server;
  ServerTestAccess::SetCurrent(&server);
  EXPECT_EQ(session->GetObjtabPos(path.c_str()), 102);
  ServerTestAccess::SetCurrent(nullptr);
  EXPECT_EQ(server.GetIdCounter(), 0);
  ASSERT_EQ(session->Restore(path.c_str()), 1);
  SProject* p = session->GetProject("Alpha");
  EXPECT_TRUE(p && p->GetHostCAD() && !*p->GetHostCAD()) << "a null text is saved as length 0, read as \"\"";
}

// Every primitive in the text and in the binary encoding, and back; the frame stays text.
TEST_F(FormatTest, PrimitiveEncodings) {
  SProject* p = session->CreateProject("p");
  const uint32_t big = 4294967295u;
  const int32_t pair[2] = {0x01020304, -7};
  const float half = 1.5f;
  const double tenth = 0.1;
  for (int binary = 0; binary < 2; ++binary) {
    std::string path = dir.File("prims" + std::to_string(binary));
    std::string data = Written(path, [&](PersistentFile& f) {
      f.SetBinaryWrite(binary);
      EXPECT_EQ(f.WriteUnsigned(&big, 4, 1), 1u);
      EXPECT_EQ(f.WriteLong(pair, 4, 2), 2u);
      EXPECT_EQ(f.WriteFloat(&half, 4, 1), 1u);
      EXPECT_EQ(f.WriteDouble(&tenth, 8, 1), 1u);
      EXPECT_EQ(f.WriteChars("skipped", 1, 0), 0u);
      // Text: the whole text, whatever size and count say.
      EXPECT_EQ(f.WriteChars("ab", 1, 2 - !binary), 2u - !binary);
      EXPECT_EQ(f.WritePointer(nullptr), 0);
      EXPECT_EQ(f.WritePointer(p), 1);
    });
    if (binary) {
      EXPECT_EQ(data.substr(0, 16), std::string("\xFF\xFF\xFF\xFF\x04\x03\x02\x01\xF9\xFF\xFF\xFF\0\0\xC0\x3F", 16));
      EXPECT_EQ(data.substr(24), std::string("ab\0\0\0\0\x01\0\0\0@@@@\n2\nSProject\n", 26));
    } else {
      EXPECT_EQ(data, "-1\n16909060\n-7\n1.50000000\n0.100000000000\nab\n0\n1\n@@@@\n2\nSProject\n");
    }
    PersistentFile f(path.c_str(), 0, heap);
    f.SetBinaryRead(binary);
    uint32_t u = 0;
    int32_t l[2] = {0, 0};
    float fl = 0;
    double d = 0;
    char text[4] = "set";
    EXPECT_TRUE(f.ReadUnsigned(&u, 4, 1) == 1 && f.ReadLong(l, 4, 2) == 2 && f.ReadFloat(&fl, 4, 1) == 1 &&
                f.ReadDouble(&d, 8, 1) == 1);
    EXPECT_TRUE(u == big && l[0] == pair[0] && l[1] == pair[1] && fl == half && d == tenth) << binary;
    EXPECT_TRUE(f.ReadChars(text, 1, 0) == 0 && std::string(text) == "set" && f.ReadChars(text, 1, 2) == 2 &&
                std::string(text, 2) == "ab");
    EXPECT_TRUE(f.ReadPointer() == nullptr && SProject::Cast(f.ReadPointer()));
    EXPECT_TRUE(f.FinishData() && f.ReadUnsigned(&u, 4, 1) == 0 && f.IsDamaged()) << "no read runs into the table";
  }
}

// Integers at every decimal boundary, both signs and the extremes, written as printf does and read.
TEST_F(FormatTest, IntegersAtEveryDecimalBoundary) {
  std::vector<int32_t> values = {0, INT32_MIN, INT32_MIN + 1, INT32_MAX, INT32_MAX - 1};
  for (int64_t p = 10; p <= INT32_MAX; p *= 10)
    for (int64_t v : {p - 1, p, p + 1, p + 99})
      if (v <= INT32_MAX) values.insert(values.end(), {int32_t(v), int32_t(-v)});
  std::string expect;
  for (int32_t v : values) expect += std::to_string(v) + "\n";
  std::string path = dir.File("ints");
  const std::size_t n = values.size();
  std::string data = Written(path, [&](PersistentFile& f) { EXPECT_EQ(f.WriteLong(values.data(), 4, n), n); });
  EXPECT_EQ(data.substr(0, data.find("@@@@")), expect);
  PersistentFile f(path.c_str(), 0, heap);
  std::vector<int32_t> back(n);
  ASSERT_EQ(f.ReadLong(back.data(), 4, n), n);
  EXPECT_TRUE(back == values && f.FinishData());
}
