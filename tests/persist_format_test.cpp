// The file format: golden files computed by hand, the encoding of every
// primitive, reference numbering and the object table, header variants and
// the version functions.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fixture.h"
#include "persist/record.h"

using namespace tavrin_test;

namespace {

class FormatTest : public SessionTest {
 protected:
  // Writes a file through `body` and returns its lines from line 8 (the
  // first data line) on.
  template <class F>
  std::vector<std::string> DataLines(const std::string& path, F body) {
    {
      PersistentFile f(path.c_str(), 1, heap);
      EXPECT_TRUE(f.IsOK());
      body(f);
      EXPECT_TRUE(f.Close());
    }
    std::vector<std::string> out;
    std::string bytes = ReadFile(path);
    for (std::size_t start = 0, n = 1; start < bytes.size(); ++n) {
      std::size_t lf = bytes.find('\n', start);
      if (lf == std::string::npos) lf = bytes.size();
      if (n >= 8) out.push_back(bytes.substr(start, lf - start));
      start = lf + 1;
    }
    return out;
  }
  ScratchDir dir;
};

}  // namespace

// Runs first: no header has been read yet in this process. Then the
// version recorded in files of every form.
TEST_F(FormatTest, Versions) {
  EXPECT_EQ(GetCurrentTavrinDBVersion(), 12);
  EXPECT_EQ(GetCurrentDBVersion(), 0);
  std::string path = dir.File("v");
  ASSERT_EQ(session->Save(path.c_str()), 1);
  EXPECT_EQ(GetCurrentDBVersion(), 0) << "saving reads no header";
  EXPECT_EQ(GetDBFileVersion(path.c_str()), 12);
  SSession* other = AllocSession();
  ASSERT_EQ(other->Restore(path.c_str()), 1);
  EXPECT_EQ(GetCurrentDBVersion(), 12);
  delete other;

  EXPECT_EQ(GetDBFileVersion(dir.File("missing").c_str()), -1);
  struct Case {
    std::string bytes;
    int version;
  } cases[] = {
      {std::string("YOVV12\0\0", 8), 12},  // no line feed in the first four bytes: binary
      {"YOVV07", 7},     {"YOXX12", -1}, {"YOVV", -1},
      {"YO\n7\n", -1},    // a version line holds two characters
      {"YO\n123\n", -1},  {"XO\n12\n", -1},
      {"YO\n13", 13},     // the last line may lack its line feed
      {"", -1},
  };
  for (const Case& c : cases) {
    WriteFile(path, c.bytes);
    EXPECT_EQ(GetDBFileVersion(path.c_str()), c.version) << c.bytes;
  }
}

TEST_F(FormatTest, GoldenFiles) {
  ASSERT_EQ(session->Save(dir.File("empty").c_str()), 1);
  EXPECT_EQ(ReadFile(dir.File("empty")).size(), 54u);
  EXPECT_EQ(ReadFile(dir.File("empty")), ReadFile(TestData("empty_session.tvn")));
  ASSERT_NE(session->CreateProject("Alpha"), nullptr);
  ASSERT_EQ(session->Save(dir.File("one").c_str()), 1);
  EXPECT_EQ(ReadFile(dir.File("one")), ReadFile(TestData("one_project.tvn")));

  SSession* other = AllocSession();
  ASSERT_EQ(other->Restore(TestData("one_project.tvn").c_str()), 1);
  SProject* p = other->GetProject("Alpha");
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(p->GetName(), "Alpha");
  // A null text is saved as length 0 and reads back as the empty text.
  ASSERT_NE(p->GetHostCAD(), nullptr);
  EXPECT_STREQ(p->GetHostCAD(), "");
  delete other;
}

TEST_F(FormatTest, PrimitiveEncodings) {
  std::string path = dir.File("prims");
  std::vector<std::string> data = DataLines(path, [](PersistentFile& f) {
    uint32_t big = 4294967295u;
    int32_t neg = -7, pair[2] = {3, -4};
    float half = 1.5f;
    double tenth = 0.1;
    EXPECT_EQ(f.WriteUnsigned(&big, 4, 1), 1u);
    EXPECT_EQ(f.WriteFloat(&half, 4, 1), 1u);
    EXPECT_EQ(f.WriteDouble(&tenth, 8, 1), 1u);
    EXPECT_EQ(f.WritePointer(nullptr), 0);
    EXPECT_EQ(f.WriteChars("skipped", 1, 0), 0u);
    EXPECT_EQ(f.WriteInt(&neg, 4, 1), 1u);
    EXPECT_EQ(f.WriteChars("12", 4, 1), 1u) << "the whole text, whatever size and count say";
    EXPECT_EQ(f.WriteLong(pair, 4, 2), 2u);
  });
  EXPECT_EQ(data, (std::vector<std::string>{"-1", "1.50000000", "0.100000000000", "0", "-7", "12", "3", "-4",
                                            "@@@@", "1"}));

  PersistentFile f(path.c_str(), 0, heap);
  ASSERT_TRUE(f.IsOK());
  uint32_t u = 0;
  float fl = 0;
  double d = 0;
  int32_t i = 0, pair[2] = {0, 0};
  char text[8] = "unset";
  EXPECT_EQ(f.ReadUnsigned(&u, 4, 1), 1u);
  EXPECT_EQ(f.ReadFloat(&fl, 4, 1), 1u);
  EXPECT_EQ(f.ReadDouble(&d, 8, 1), 1u);
  EXPECT_TRUE(u == 4294967295u && fl == 1.5f && d == 0.1);
  EXPECT_EQ(f.ReadPointer(), nullptr);
  EXPECT_EQ(f.ReadChars(text, 1, 0), 0u) << "count 0 consumes no line";
  EXPECT_STREQ(text, "unset");
  EXPECT_EQ(f.ReadInt(&i, 4, 1), 1u);
  EXPECT_EQ(f.ReadChars(text, 1, 2), 2u);
  EXPECT_EQ(f.ReadLong(pair, 4, 2), 2u);
  EXPECT_TRUE(i == -7 && pair[0] == 3 && pair[1] == -4);
  EXPECT_STREQ(text, "12");
  EXPECT_TRUE(f.FinishData());
  EXPECT_EQ(f.ReadInt(&i, 4, 1), 0u) << "no read runs into the object table";
  EXPECT_TRUE(f.IsDamaged());
}

// Number lines read like the decimal conversion; a boolean is true only
// for 1.
TEST_F(FormatTest, NumberLines) {
  std::string path = dir.File("numbers");
  ASSERT_EQ(session->Save(path.c_str()), 1);
  // Replace the empty session's five data lines with odd number texts.
  std::string bytes = ReadFile(path);
  std::string odd = "  42xyz\nabc\n-2147483648\n4294967295\n+7\n1\n2\n";
  bytes.replace(37, 10, odd);
  char head[32];
  std::snprintf(head, sizeof head, "%06zu\n%06zu\n", 37 + odd.size(), 44 + odd.size());
  bytes.replace(15, 14, head);
  WriteFile(path, bytes);

  PersistentFile f(path.c_str(), 0, heap);
  ASSERT_TRUE(f.IsOK());
  int32_t v[5];
  EXPECT_EQ(f.ReadInt(v, 4, 5), 5u);
  EXPECT_EQ(std::vector<int32_t>(v, v + 5), (std::vector<int32_t>{42, 0, INT32_MIN, -1, 7}));
  tavrin::Record r(f, heap);
  bool one = false, two = true;
  r.Bool(one);
  r.Bool(two);
  EXPECT_TRUE(one);
  EXPECT_FALSE(two);
  EXPECT_TRUE(f.FinishData());
}

// Indices in order of first reference, each class named once in the
// table; reading creates new objects; debug lines read back alike.
TEST_F(FormatTest, ReferencesAndObjectTable) {
  SProject* p1 = session->CreateProject("p1");
  SProject* p2 = session->CreateProject("p2");
  SFile* file = p1->CreateFile("f");
  std::string path = dir.File("refs");
  EXPECT_EQ(DataLines(path,
                      [&](PersistentFile& f) {
                        EXPECT_EQ(f.WritePointer(p1), 1);
                        EXPECT_EQ(f.WritePointer(file), 2);
                        EXPECT_EQ(f.WritePointer(p2), 3);
                        EXPECT_EQ(f.WritePointer(p1), 1) << "the same object keeps its index";
                      }),
            (std::vector<std::string>{"1", "2", "3", "1", "@@@@", "4", "SProject", "SFile", "0"}));
  {
    PersistentFile f(path.c_str(), 0, heap);
    ASSERT_TRUE(f.IsOK());
    TavrinObject* o[4];
    for (TavrinObject*& x : o) x = f.ReadPointer();
    ASSERT_NE(SProject::Cast(o[0]), nullptr);
    EXPECT_NE(SFile::Cast(o[1]), nullptr);
    EXPECT_NE(SProject::Cast(o[2]), nullptr);
    EXPECT_TRUE(o[0] != o[2] && o[0] == o[3]);
    EXPECT_NE(o[0], p1) << "reading creates new objects";
    EXPECT_TRUE(f.FinishData());
  }

  setenv("TAVRIN_DEBUG", "", 1);
  std::vector<std::string> debug = DataLines(path, [&](PersistentFile& f) {
    f.WritePointer(p1);
    f.WritePointer(nullptr);
  });
  unsetenv("TAVRIN_DEBUG");
  char expect[64];
  std::snprintf(expect, sizeof expect, "1  Ptr class SProject %X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(p1)));
  ASSERT_GE(debug.size(), 2u);
  EXPECT_EQ(debug[0], expect);
  EXPECT_EQ(debug[1], "0  Ptr NULL 0");
  PersistentFile f(path.c_str(), 0, heap);
  EXPECT_NE(SProject::Cast(f.ReadPointer()), nullptr);
  EXPECT_EQ(f.ReadPointer(), nullptr);
  EXPECT_TRUE(f.FinishData());
}

TEST_F(FormatTest, BinaryPrimitives) {
  std::string path = dir.File("binary");
  SProject* p = session->CreateProject("p");
  int32_t ints[2] = {0x01020304, -1}, ints2[2];
  float fl = 2.25f, fl2;
  double d = -3.5, d2;
  DataLines(path, [&](PersistentFile& f) {
    f.SetBinaryWrite(1);
    EXPECT_EQ(f.WriteInt(ints, 4, 2), 2u);
    EXPECT_EQ(f.WriteFloat(&fl, 4, 1), 1u);
    EXPECT_EQ(f.WriteDouble(&d, 8, 1), 1u);
    EXPECT_EQ(f.WriteChars("abc", 1, 3), 3u);
    EXPECT_EQ(f.WritePointer(p), 1);
  });
  // 8 bytes of ints, 4 of float, 8 of double, 3 characters, 4 of reference;
  // the frame stays text.
  std::string data = ReadFile(path).substr(37);
  EXPECT_EQ(data.substr(0, 4), std::string("\x04\x03\x02\x01", 4));
  EXPECT_EQ(data.substr(20, 12), std::string("abc\x01\0\0\0@@@@\n", 12));

  PersistentFile f(path.c_str(), 0, heap);
  f.SetBinaryRead(1);
  char text[4] = {0};
  EXPECT_EQ(f.ReadInt(ints2, 4, 2), 2u);
  EXPECT_EQ(f.ReadFloat(&fl2, 4, 1), 1u);
  EXPECT_EQ(f.ReadDouble(&d2, 8, 1), 1u);
  EXPECT_EQ(f.ReadChars(text, 1, 3), 3u);
  EXPECT_TRUE(ints2[0] == ints[0] && ints2[1] == ints[1] && fl2 == fl && d2 == d);
  EXPECT_STREQ(text, "abc");
  EXPECT_NE(SProject::Cast(f.ReadPointer()), nullptr);
  EXPECT_TRUE(f.FinishData());
  EXPECT_EQ(f.ReadInt(ints2, 4, 1), 0u) << "binary reads stop at the object table too";
}

TEST_F(FormatTest, HeaderWithoutRevisionLinesReads) {
  session->CreateProject("proj")->CreateFile("f")->SetKind("net list");
  std::string path = dir.File("full");
  ASSERT_EQ(session->Save(path.c_str()), 1);
  std::string bytes = ReadFile(path);
  ASSERT_EQ(bytes.compare(0, 15, "YO\n12\nVV\n33199\n"), 0);
  long table = std::strtol(bytes.c_str() + 15, nullptr, 10);
  long end = std::strtol(bytes.c_str() + 22, nullptr, 10);
  // Drop "VV" and the revision (9 bytes) and move both positions back.
  char head[64];
  std::snprintf(head, sizeof head, "%06ld\n%06ld\n", table - 9, end - 9);
  std::string shortPath = dir.File("short");
  WriteFile(shortPath, "YO\n12\n" + std::string(head) + bytes.substr(29));

  EXPECT_EQ(GetDBFileVersion(shortPath.c_str()), 12);
  EXPECT_EQ(session->GetObjtabPos(shortPath.c_str()), end - 9);
  SSession* other = AllocSession();
  ASSERT_EQ(other->Restore(shortPath.c_str()), 1);
  ASSERT_NE(other->GetProject("proj"), nullptr);
  SFile* f = other->GetProject("proj")->GetFile("f");
  ASSERT_NE(f, nullptr);
  EXPECT_STREQ(f->GetKind(), "net list");
  delete other;
}

// GetObjtabPos gives the end position of the header and creates no object
// (constructions would raise the current server's counter).
TEST_F(FormatTest, ObjtabPosReadsOnlyTheHeader) {
  SProject* p = session->CreateProject("p");
  for (int i = 0; i < 5; ++i) p->CreateFile(("f" + std::to_string(i)).c_str());
  std::string path = dir.File("t");
  ASSERT_EQ(session->Save(path.c_str()), 1);
  GTavrinServer* server = new GTavrinServer();
  ServerTestAccess::SetCurrent(server);
  EXPECT_EQ(session->GetObjtabPos(path.c_str()), static_cast<long>(ReadFile(path).size()));
  EXPECT_EQ(server->GetIdCounter(), 0);
  ServerTestAccess::SetCurrent(nullptr);
  delete server;

  EXPECT_EQ(session->GetObjtabPos(dir.File("missing").c_str()), -1);
  const char* headers[][2] = {{"XO\n12\nVV\n33199\n000047\n000054\n", "-1"},
                              {"YO\n12\nVV\n33199\n000047\n", "-1"},
                              {"YO\n12\nVV\n33199\n000047\n000054\n", "54"}};
  for (auto& h : headers) {
    WriteFile(path, h[0]);
    EXPECT_EQ(session->GetObjtabPos(path.c_str()), std::atol(h[1])) << h[0];
  }
}
