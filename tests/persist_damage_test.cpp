// Damaged files, truncated, damaged at every byte or crafted: a failed restore changes nothing.
#include "core/shared_record_value.h"
#include "file_test.h"

using namespace tavrin_test;

namespace {

Lines Concat(std::initializer_list<Lines> parts) {
  Lines out;
  for (const Lines& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A childless project: design element; host CAD, units, top cells, id; five empty families.
Lines ProjectRecord(const std::string& name) {
  return {"0", std::to_string(name.size()), name, "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"};
}
Lines ProjectEntry(const std::string& key, int ref, const std::string& name) {
  return Concat({{std::to_string(key.size()), key, std::to_string(ref)}, ProjectRecord(name)});
}
Lines LibraryRecord(const std::string& name) { return {"0", "0", std::to_string(name.size()), name, "0", "0"}; }
// A session with `count` project entries, the first "a" at `ref` unless given.
std::string OneProject(const Lines& classes, int ref = 1, const Lines& entry = {}, const char* count = "1") {
  return Frame(Concat({{"0", count}, entry.empty() ? ProjectEntry("a", ref, "a") : entry, {"0", "0", "0"}}), classes);
}

// Two projects (one taking over an entry), two kinds of library; class line "0" repeats SProject.
std::string Mixed() {
  // p1 holds file "f" (key, reference, alias, kind, name, stamp, id) before four empty families.
  Lines p1 = {"2", "p1", "1", "0", "2", "p1", "0", "0", "0", "0", "0", "0", "0", "0", "0",
              "1", "1", "f", "2", "0", "0", "1", "f", "0", "0", "0", "0", "0", "0"};
  return Frame(Concat({{"0", "2"}, p1, ProjectEntry("Alpha", 3, "Alpha"), {"1", "4"},
                       LibraryRecord("lib"), {"0", "1", "5"}, LibraryRecord("pads2")}),
               {"SProject", "SFile", "0", "SPackageLibrary", "SPadStackLibrary"});
}

class DamageTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    session->CreateProject("Existing")->CreateFile("kept");
    session->CreateProject("Alpha");
    session->CreatePackageLibrary("pkgA");
    session->CreatePadStackLibrary("pads");
    before = Fingerprint(session);
  }
  int RestoreBytes(const std::string& bytes, const std::string& what) {
    WriteFile(dir.File("case"), bytes);
    tavrin::SetSharedRecordValue(77);
    int r = session->Restore(dir.File("case").c_str());
    if (r == 0) EXPECT_TRUE(tavrin::SharedRecordValue() == 77 && Fingerprint(session) == before) << what;
    else before = Fingerprint(session);
    return r;
  }
  std::string before;
};

}  // namespace

// Every truncation is refused; each byte set to 0x00, 0xFF or its top bit flipped never crashes.
TEST_F(DamageTest, TruncationAndDamageAtEveryByte) {
  std::string bytes = Mixed();
  for (std::size_t k = 0; k < bytes.size(); ++k)  // into the whole fixture session, "Alpha" taken over
    ASSERT_EQ(RestoreBytes(bytes.substr(0, k), "cut at " + std::to_string(k)), 0) << "cut at " << k;
  int failed = 0, read = 0;
  for (std::size_t k = 0; k < bytes.size(); ++k)
    for (char c : {'\0', '\xFF', static_cast<char>(bytes[k] ^ 0x80)})  // one that reads adds to the session
      (RestoreBytes(bytes.substr(0, k) + c + bytes.substr(k + 1), "byte " + std::to_string(k)) ? read : failed)++;
  EXPECT_GT(failed, read) << "most damage is detected; damage inside a text or a number is not";
}

// Rules the checking tool's damaged data files do not already break.
TEST_F(DamageTest, CraftedDamage) {
  std::string good = OneProject({"SProject"});
  auto projectWith = [&](const Lines& rest, const Lines& classes = {"SProject"}) {
    return OneProject(classes, 1, Concat({{"1", "a", "1", "0", "1", "a"}, rest}));
  };
  auto nameAs = [&](const std::string& length, const std::string& text) {
    return OneProject({"SProject"}, 1, Concat({{length, text, "1"}, ProjectRecord("a")}));
  };
  auto inconsistent = [](int at) {
    return "inconsistent record (a reference missing, of another class or already owned, or a map key repeated) "
           "ending at byte " + std::to_string(at);
  };
  // The length of a text that with its line feed runs one byte past the data.
  std::string edge = nameAs("99", "a");
  std::size_t textAt = edge.find("\n99\na\n") + 4;
  std::string tail = std::to_string(std::stol(edge.substr(15, 6)) - long(textAt));
  const struct Case { const char* what; std::string bytes, reason; } cases[] = {
      {"reference out of range", OneProject({"SProject"}, 5), inconsistent(47)},
      {"child of the wrong class", OneProject({"SFile"}), inconsistent(47)},
      {"unknown class", OneProject({"SBogus"}), inconsistent(47)},
      {"designs in a project", projectWith(Concat({Lines(10, "0"), {"1"}, Lines(7, "0")})), inconsistent(79)},
      {"a key repeated in a project's files",
       projectWith(Concat({Lines(9, "0"), {"2", "1", "f", "2", "0", "0", "1", "f", "0", "0"},
                           {"1", "f", "3", "0", "0", "1", "f", "0", "0"}, Lines(4, "0")}), {"SProject", "SFile", "1"}),
       inconsistent(97)},
      {"attributes on a project", projectWith(Concat({{"0", "0", "0", "1"}, Lines(12, "0")})), inconsistent(63)},
      {"data goes on after the records",
       Frame(Concat({{"0", "1"}, ProjectEntry("a", 1, "a"), Lines(4, "0")}), {"SProject"}),
       "data section ends at byte 87, object table begins at byte 89"},
      {"count beyond the file", OneProject({"SProject"}, 1, {}, "2147483647"), inconsistent(94)},
      {"text longer than its length", nameAs("1", "abc"),
       "data section: text at byte 43 does not have its 1 characters"},
      {"text holding a NUL", nameAs("3", std::string("a\0b", 3)),
       "data section: text at byte 43 does not have its 3 characters"},
      {"no magic", "YX" + good.substr(2), "not a tavrin file (no \"YO\" line)"},
      {"missing final line feed", good.substr(0, good.size() - 1), "object table: class line 1 missing"},
      {"table position inside the header", "YO\n12\nVV\n33199\n000020\n000100\n7483647\n" + good.substr(37),
       "header: object table position 20 lies inside the header"},
      {"no filler line", "YO\n12\nVV\n33199\n", "header: object table position missing"},
      {"entry count 0", Frame(Lines(5, "0"), {}, 0), "object table: entry count 0 below 1"},
      {"entry count beyond the file", Frame(Lines(5, "0"), {"SProject"}, 2000000000),
       "object table: 2000000000 entries cannot fit in the rest of the file"},
      {"class line number out of range", Frame(Lines(5, "0"), {"SProject", "1"}),
       "object table: class line 2 refers to name 1 of 1"},
      {"text and its line feed past the data", nameAs(tail, "a"),
       "data section: text of " + tail + " characters at byte " + std::to_string(textAt) + " runs past the data section"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RestoreBytes(c.bytes, c.what), 0) << c.what;
    EXPECT_NE(std::string(session->GetLastError()).find(c.reason), std::string::npos)
        << c.what << ": " << session->GetLastError();
  }
}

// No fixed limits: over 256 class names, class and data lines of any length.
TEST_F(DamageTest, LargeTablesAndLongLines) {
  Lines classes;
  for (int i = 0; i < 300; ++i) classes.push_back("SUnknown" + std::to_string(i));
  classes.push_back("299");                     // index 301: the 300th name again
  classes.push_back(std::string(100000, 'Q'));  // a long unknown name
  classes.push_back("SProject");                // index 303: the 302nd distinct name
  ASSERT_EQ(RestoreBytes(OneProject(classes, 0, ProjectEntry("many", 303, "many")), "many names"), 1);
  EXPECT_NE(session->GetProject("many"), nullptr);
  EXPECT_EQ(RestoreBytes(Frame({"   " + std::string(1 << 20, '9'), "0", "0", "0", "0"}, {}), "long number"), 1);
  EXPECT_EQ(session->GetId(), -1) << "a number beyond 64 bits saturates, then keeps 32 bits";
}
