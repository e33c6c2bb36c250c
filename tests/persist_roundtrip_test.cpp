// Save and restore: the second round trip, reversed lists, long texts, refused saves.
#include <cstdlib>

#include "design/session_files.h"
#include "fixture.h"

using namespace tavrin_test;

namespace {

class RoundTripTest : public SessionTest {
 protected:
  // Projects with files, an empty-named one with texts longer than any
  // buffer, libraries of every kind (three package ones, for the order).
  void Populate() {
    SProject* a = session->CreateProject("Alpha");
    a->SetHostCAD("layout tool 7");
    a->SetUnits("mil");
    a->SetClientFlags(0x55);
    SFile* f = a->CreateFile("top.net");
    f->SetAlias("netlist");
    f->SetKind("NET");
    f->SetTimeStamp(1700000000);
    f->SetGMT(true);
    a->CreateFile("parts.lib")->SetTimeStamp(-3);
    session->CreateProject("Beta")->CreateFile("only");
    for (const char* name : {"pkgA", "pkgB", "pkgC"}) session->CreatePackageLibrary(name)->SetLocation(name);
    session->CreatePinMappingLibrary("pins")->SetAccessType(2);
    session->CreatePadStackLibrary("pads");
    SProject* e = session->CreateProject("");
    e->SetHostCAD(LongText().c_str());
    e->CreateFile("")->SetAlias(LongText().c_str());
  }
  static std::string LongText() { return std::string(100000, 'x') + " " + std::string(100000, 'y'); }
  std::string SaveOf(SSession* s, const std::string& name) {
    EXPECT_EQ(s->Save(dir.File(name).c_str()), 1);
    return ReadFile(dir.File(name));
  }
  SSession* Restored(const std::string& name) {
    SSession* s = AllocSession();
    EXPECT_EQ(s->Restore(dir.File(name).c_str()), 1) << name;
    return s;
  }
  ScratchDir dir;
};

}  // namespace

// The first restore reverses every list, so its save differs; the second
// gives the first file back byte for byte, so every saved field reads back,
// whatever PID_SIZE holds.
TEST_F(RoundTripTest, SecondRoundTripGivesTheFirstFile) {
  Populate();
  std::string first = SaveOf(session, "first");
  SSession* second = Restored("first");
  std::string reversed = SaveOf(second, "second");
  EXPECT_TRUE(reversed.size() == first.size() && reversed != first);
  SSession* third = Restored("second");
  EXPECT_EQ(SaveOf(third, "third"), first);
  for (const char* value : {"1", "-5", "abc", "99999999999"}) {  // any chunk size of the reference numbering
    setenv("PID_SIZE", value, 1);
    EXPECT_EQ(SaveOf(third, "tuned"), first) << value;
  }
  unsetenv("PID_SIZE");
  SProject* a = second->GetProject("Alpha");
  ASSERT_NE(a, nullptr);
  EXPECT_FALSE(a->GetFile("top.net")->GetIsGMT()) << "the GMT flag is not saved";
  EXPECT_EQ(second->GetProject("")->GetFile("")->GetAlias(), LongText());
  EXPECT_STREQ((*second->GetAllPackageLibraries().begin())->GetName(), "pkgA");
  delete second;
  delete third;
}

// Save fails, leaving the previous file alone, for a text or a key holding a
// line feed and for a path it cannot write; Restore fails for what is no
// file. The reason of the last failure stays with its session until a call
// of that session succeeds.
TEST_F(RoundTripTest, RefusedSavesAndRestoresAndTheLastError) {
  std::string path = dir.File("target");
  WriteFile(path, "previous contents");
  EXPECT_EQ(session->Restore(TestData("damaged_truncated.tvn").c_str()), 0);
  EXPECT_STREQ(session->GetLastError(), "object table: entry count missing");
  SSession* other = AllocSession();
  EXPECT_STREQ(other->GetLastError(), "") << "each session keeps its own";
  session->CreateProject("p")->CreateFile("f")->SetAlias("two\nlines");
  EXPECT_EQ(session->Save(path.c_str()), 0);
  EXPECT_NE(std::string(session->GetLastError()), "object table: entry count missing");
  session->GetProject("p")->GetFile("f")->SetAlias("one line");
  session->CreateProject("a\nb");
  EXPECT_EQ(session->Save(path.c_str()), 0) << "a key holding a line feed";
  EXPECT_EQ(ReadFile(path), "previous contents");
  EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"target"});
  EXPECT_TRUE(session->Save(dir.File("no/such/folder/f").c_str()) == 0 && session->Save("") == 0 &&
              session->Save(nullptr) == 0 && session->Restore(dir.File("missing").c_str()) == 0);
  session->DestroyProject("a\nb");
  EXPECT_EQ(session->Save(path.c_str()), 1);
  EXPECT_STREQ(session->GetLastError(), "") << "a success clears the reason";
  {
    FailAfter fail(1);
    EXPECT_EQ(other->Restore(path.c_str()), 0);
  }
  EXPECT_STREQ(other->GetLastError(), "out of memory");
  delete other;
}
