// Damaged files: truncation at every byte, damage of every byte, and files
// crafted to break each rule of the frame and the records. A restore that
// fails must leave the session exactly as it was.
#include <cstring>
#include <sstream>

#include "fixture.h"

using namespace tavrin_test;

namespace {

typedef std::vector<std::string> Lines;

// A whole file around the given data lines and class lines, with the two
// header positions patched over the placeholders. `count` overrides the
// entry count.
std::string Frame(const Lines& data, const Lines& classes, long count = -1) {
  std::string body, tail = "@@@@\n" + std::to_string(count >= 0 ? count : long(classes.size()) + 1) + "\n";
  for (const std::string& l : data) body += l + "\n";
  for (const std::string& l : classes) tail += l + "\n";
  long table = 37 + long(body.size());
  char head[64];
  std::snprintf(head, sizeof head, "%06ld\n%06ld\n", table, table + long(tail.size()));
  return "YO\n12\nVV\n33199\n" + std::string(head) + std::string("2147483647\n2147483647\n").substr(std::strlen(head)) +
         body + tail;
}

Lines Concat(std::initializer_list<Lines> parts) {
  Lines out;
  for (const Lines& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// The record of a project with no children, named `name`.
Lines ProjectRecord(const std::string& name) {
  return {"0", std::to_string(name.size()), name, "0", "0", "0", "0", "0",  // design element
          "0", "0", "0", "0",                                           // host CAD, units, top cells, id
          "0", "0", "0", "0", "0"};                                     // files, designs, sets, constraints, groups
}
// A session entry for a project: key, reference, record.
Lines ProjectEntry(const std::string& key, int ref, const std::string& name) {
  return Concat({{std::to_string(key.size()), key, std::to_string(ref)}, ProjectRecord(name)});
}
Lines LibraryRecord(const std::string& name) { return {"0", "0", std::to_string(name.size()), name, "0", "0"}; }

// Everything a restore may change in a session, as text.
std::string Fingerprint(SSession* s) {
  std::ostringstream o;
  o << "id " << s->GetId() << "\n";
  auto entries = [&o](const char* what, const auto& map) {
    for (auto it = map.begin(); it != map.end(); ++it) o << what << it->first.c_str() << " " << it->second << "\n";
  };
  auto items = [&o](const char* what, const auto& list) {
    for (auto it = list.begin(); it != list.end(); ++it) o << what << *it << "\n";
  };
  entries("project ", s->GetAllProjects());
  entries("library ", s->GetAllLibraries());
  items("package ", s->GetAllPackageLibraries());
  items("pins ", s->GetAllPinMappingLibraries());
  items("pads ", s->GetAllPadStackLibraries());
  return o.str();
}

class DamageTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    // What the target session holds before each restore.
    session->CreateProject("Existing")->CreateFile("kept");
    session->CreateProject("Alpha");
    session->CreatePackageLibrary("pkgA");
    session->CreatePadStackLibrary("pads");
    before = Fingerprint(session);
  }

  // A valid file with projects, files and libraries of every kind.
  std::string Fixture() {
    SSession* s = AllocSession();
    SProject* a = s->CreateProject("Alpha");
    a->SetHostCAD("cad");
    a->CreateFile("f1")->SetAlias("alias");
    a->CreateFile("f2")->SetTimeStamp(12);
    s->CreateProject("Beta");
    s->CreatePackageLibrary("pkgA");
    s->CreatePinMappingLibrary("pins")->SetLocation("here");
    s->CreatePadStackLibrary("pads");
    EXPECT_EQ(s->Save(dir.File("fixture").c_str()), 1);
    delete s;
    return ReadFile(dir.File("fixture"));
  }

  // Restores bytes into the target session; on failure checks that the
  // session did not change.
  int RestoreBytes(const std::string& bytes, const std::string& what) {
    WriteFile(dir.File("case"), bytes);
    int r = session->Restore(dir.File("case").c_str());
    if (r == 0) EXPECT_EQ(Fingerprint(session), before) << what;
    else before = Fingerprint(session);
    return r;
  }

  ScratchDir dir;
  std::string before;
};

}  // namespace

// The helpers must describe valid files for the crafted cases to mean
// anything (the allocation test below restores one with libraries).
TEST(DamageHelpers, CraftedFramesMatchTheFormat) {
  EXPECT_EQ(Frame(Concat({{"0", "1"}, ProjectEntry("Alpha", 1, "Alpha"), {"0", "0", "0"}}), {"SProject"}),
            ReadFile(TestData("one_project.tvn")));
}

TEST_F(DamageTest, TruncationAtEveryByte) {
  std::string bytes = Fixture();
  for (std::size_t k = 0; k < bytes.size(); ++k)
    ASSERT_EQ(RestoreBytes(bytes.substr(0, k), "cut at " + std::to_string(k)), 0) << "cut at " << k;
  EXPECT_EQ(RestoreBytes(bytes, "whole"), 1);
}

// Each byte set to 0x00, to 0xFF and with its top bit flipped: no crash, and
// a damaged file that is refused leaves the session.
TEST_F(DamageTest, EveryByteDamaged) {
  std::string bytes = Fixture();
  int failed = 0, read = 0;
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    for (char c : {'\0', '\xFF', static_cast<char>(bytes[k] ^ 0x80)}) {
      std::string damaged = bytes;
      damaged[k] = c;
      // A fresh target each time: a damaged file that still reads adds to it.
      delete session;
      session = AllocSession();
      session->CreateProject("Existing");
      before = Fingerprint(session);
      (RestoreBytes(damaged, "byte " + std::to_string(k)) ? read : failed)++;
    }
  }
  // Most damage is detected; damage inside a text or a number is not.
  EXPECT_GT(failed, read);
}

TEST_F(DamageTest, CraftedDamage) {
  Lines tail = {"0", "0", "0"};  // no libraries
  Lines empty = {"0", "0", "0", "0", "0"};
  std::string good = Frame(Concat({{"0", "1"}, ProjectEntry("a", 1, "a"), tail}), {"SProject"});
  std::string noCount = good;
  noCount.replace(good.find("@@@@\n2\n"), 7, "@@@@\n");
  // A project "a" whose record holds `rest` after its name.
  auto projectWith = [&](const Lines& rest) {
    return Frame(Concat({{"0", "1", "1", "a", "1", "0", "1", "a"}, rest, tail}), {"SProject"});
  };
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      // records
      {"child claimed twice",
       Frame(Concat({{"0", "2"}, ProjectEntry("a", 1, "a"), ProjectEntry("b", 1, "b"), tail}), {"SProject"})},
      {"library claimed twice",
       Frame(Concat({{"0", "0", "2", "1"}, LibraryRecord("x"), {"1"}, LibraryRecord("y"), {"0", "0"}}),
             {"SPackageLibrary"})},
      {"reference out of range", Frame(Concat({{"0", "1"}, ProjectEntry("a", 5, "a"), tail}), {"SProject"})},
      {"negative reference", Frame(Concat({{"0", "1"}, ProjectEntry("a", -1, "a"), tail}), {"SProject"})},
      {"null child", Frame(Concat({{"0", "1"}, ProjectEntry("a", 0, "a"), tail}), {"SProject"})},
      {"child of the wrong class", Frame(Concat({{"0", "1"}, ProjectEntry("a", 1, "a"), tail}), {"SFile"})},
      {"library of the wrong kind",
       Frame(Concat({{"0", "0", "1", "1"}, LibraryRecord("x"), {"0", "0"}}), {"SPadStackLibrary"})},
      {"unknown class", Frame(Concat({{"0", "1"}, ProjectEntry("a", 1, "a"), tail}), {"SBogus"})},
      {"file inside its project", projectWith({"0", "0", "0", "0", "0", "0", "0", "0", "0", "1", "1", "a", "1",
                                               "0", "0", "0", "0", "0", "0", "0", "0"})},
      {"designs in a project", projectWith({"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "1", "0", "0", "0",
                                            "0", "0", "0", "0"})},
      {"attributes on a project", projectWith({"0", "0", "0", "1", "0", "0", "0", "0", "0", "0", "0", "0", "0",
                                               "0", "0", "0"})},
      {"data ends before the table", Frame(Concat({{"0", "1"}, ProjectEntry("a", 1, "a"), {"0", "0"}}), {"SProject"})},
      {"data goes on after the records",
       Frame(Concat({{"0", "1"}, ProjectEntry("a", 1, "a"), tail, {"0"}}), {"SProject"})},
      {"count beyond the file", Frame(Concat({{"0", "2147483647"}, ProjectEntry("a", 1, "a"), tail}), {"SProject"})},
      {"text length beyond the file",
       Frame(Concat({{"0", "1", "4000000000", "a", "1"}, ProjectRecord("a"), tail}), {"SProject"})},
      {"text longer than its length", Frame(Concat({{"0", "1", "1", "abc", "1"}, ProjectRecord("a"), tail}), {"SProject"})},
      {"text shorter than its length", Frame(Concat({{"0", "1", "3", "ab", "1"}, ProjectRecord("a"), tail}), {"SProject"})},
      {"text holding a NUL",
       Frame(Concat({{"0", "1", "3", std::string("a\0b", 3), "1"}, ProjectRecord("a"), tail}), {"SProject"})},
      // frames
      {"empty file", ""},
      {"no magic", "YX" + good.substr(2)},
      {"missing final line feed", good.substr(0, good.size() - 1)},
      {"table position inside the header", "YO\n12\nVV\n33199\n000020\n000100\n7483647\n" + good.substr(37)},
      {"table position beyond the file", "YO\n12\nVV\n33199\n999999\n999999\n7483647\n" + good.substr(37)},
      {"table position -1", "YO\n12\nVV\n33199\n-1\n000100\n7483647\n" + good.substr(37)},
      {"no filler line", "YO\n12\nVV\n33199\n"},
      {"entry count missing", noCount},
      {"entry count 0", Frame(empty, {}, 0)},
      {"entry count beyond the file", Frame(empty, {"SProject"}, 2000000000)},
      {"class line number out of range", Frame(empty, {"SProject", "1"})},
      {"class line refers ahead", Frame(empty, {"0", "SProject"})},
  };
  for (const Case& c : cases) EXPECT_EQ(RestoreBytes(c.bytes, c.what), 0) << c.what;
}

// No fixed limits: more than 256 class names, class lines and data lines of
// any length.
TEST_F(DamageTest, LargeTablesAndLongLines) {
  Lines classes;
  for (int i = 0; i < 300; ++i) classes.push_back("SUnknown" + std::to_string(i));
  classes.push_back("299");                     // index 301: the 300th name again
  classes.push_back(std::string(100000, 'Q'));  // a long unknown name
  classes.push_back("SProject");                // index 303: the 302nd distinct name
  std::string bytes = Frame(Concat({{"0", "1"}, ProjectEntry("many", 303, "many"), {"0", "0", "0"}}), classes);
  ASSERT_EQ(RestoreBytes(bytes, "many names"), 1);
  EXPECT_NE(session->GetProject("many"), nullptr);

  bytes = Frame({"   " + std::string(1 << 20, '9'), "0", "0", "0", "0"}, {});
  EXPECT_EQ(RestoreBytes(bytes, "long number line"), 1);
  EXPECT_EQ(session->GetId(), -1) << "a number beyond 64 bits saturates, then keeps 32 bits";
}

// An allocation failure anywhere in a restore, also while the records are
// being linked into the session, leaves the session as it was.
TEST_F(DamageTest, AllocationFailureLeavesTheSession) {
  std::string bytes = Frame(Concat({{"0", "2"}, ProjectEntry("p1", 1, "p1"), ProjectEntry("Alpha", 2, "Alpha"),
                                    {"1", "3"}, LibraryRecord("lib"), {"0", "1", "4"}, LibraryRecord("pads2")}),
                            {"SProject", "0", "SPackageLibrary", "SPadStackLibrary"});
  int failures = 0;
  for (long k = 1; k < 100; ++k) {
    heap->listNodeFree = nullptr;  // linking needs fresh node chunks
    FailAfter fail(k);
    if (RestoreBytes(bytes, "allocation " + std::to_string(k) + " fails") == 1) break;
    ++failures;
  }
  EXPECT_GE(failures, 3);
  EXPECT_NE(session->GetProject("p1"), nullptr);
  EXPECT_NE(session->GetLibrary("pads2"), nullptr);
  EXPECT_EQ(session->GetAllProjects().size(), 3u);
}
