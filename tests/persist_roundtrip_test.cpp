// Save and restore: the restored graph, reversed lists, the second round
// trip, texts of any length, and what Save refuses to write.
#include <cstdlib>

#include "fixture.h"

using namespace tavrin_test;

namespace {

class RoundTripTest : public SessionTest {
 protected:
  // Two projects with files and one library of each kind (three package
  // libraries, to see the list order).
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
    a->CreateFile("notes");
    session->CreateProject("Beta")->CreateFile("only");
    session->CreatePackageLibrary("pkgA")->SetLocation("/libs/a");
    session->CreatePackageLibrary("pkgB")->SetAccessType(2);
    session->CreatePackageLibrary("pkgC");
    session->CreatePinMappingLibrary("pins");
    session->CreatePadStackLibrary("pads");
    // Empty names and a text longer than any buffer.
    SProject* e = session->CreateProject("");
    e->SetHostCAD(LongText().c_str());
    e->CreateFile("")->SetAlias(LongText().c_str());
  }
  static std::string LongText() {
    std::string t(200000, 'x');
    t[12345] = ' ';
    return t;
  }

  std::string SaveOf(SSession* s, const std::string& name) {
    EXPECT_EQ(s->Save(dir.File(name).c_str()), 1);
    return ReadFile(dir.File(name));
  }
  // A new session restored from a file of the scratch folder.
  SSession* Restored(const std::string& name) {
    SSession* s = AllocSession();
    EXPECT_EQ(s->Restore(dir.File(name).c_str()), 1) << name;
    return s;
  }

  template <class C>
  static std::vector<std::string> Names(const C& c) {
    std::vector<std::string> out;
    for (auto it = c.begin(); it != c.end(); ++it) out.push_back(Name(*it));
    return out;
  }
  template <class T>
  static std::string Name(T* p) { return p->GetName(); }
  template <class K, class V>
  static std::string Name(const relpair<K, V>& e) { return e.first.c_str(); }

  ScratchDir dir;
};

}  // namespace

TEST_F(RoundTripTest, RestoredGraphMatchesWithListsReversed) {
  Populate();
  SaveOf(session, "first");
  SSession* other = Restored("first");

  SProject* a = other->GetProject("Alpha");
  ASSERT_NE(a, nullptr);
  EXPECT_STREQ(a->GetHostCAD(), "layout tool 7");
  EXPECT_STREQ(a->GetUnits(), "mil");
  EXPECT_EQ(a->GetClientFlags(), 0x55);
  EXPECT_EQ(a->GetHeap(), other->GetHeap());
  SFile* f = a->GetFile("top.net");
  ASSERT_NE(f, nullptr);
  EXPECT_STREQ(f->GetAlias(), "netlist");
  EXPECT_STREQ(f->GetKind(), "NET");
  EXPECT_STREQ(f->GetName(), "top.net");
  EXPECT_EQ(f->GetTimeStamp(), 1700000000);
  EXPECT_FALSE(f->GetIsGMT()) << "the GMT flag is not saved";
  EXPECT_EQ(a->GetFile("parts.lib")->GetTimeStamp(), -3);
  EXPECT_STREQ(a->GetFile("notes")->GetAlias(), "");
  EXPECT_NE(other->GetProject("Beta")->GetFile("only"), nullptr);
  SProject* e = other->GetProject("");
  ASSERT_TRUE(e && e->GetFile(""));
  EXPECT_EQ(e->GetHostCAD(), LongText());
  EXPECT_EQ(e->GetFile("")->GetAlias(), LongText());

  EXPECT_STREQ(SPackageLibrary::Cast(other->GetLibrary("pkgA"))->GetLocation(), "/libs/a");
  EXPECT_EQ(other->GetLibrary("pkgB")->GetAccessType(), 2);
  EXPECT_NE(SPinMappingLibrary::Cast(other->GetLibrary("pins")), nullptr);
  EXPECT_NE(SPadStackLibrary::Cast(other->GetLibrary("pads")), nullptr);
  EXPECT_EQ(other->GetAllLibraries().size(), 5u);

  typedef std::vector<std::string> Order;
  EXPECT_EQ(Names(session->GetAllPackageLibraries()), (Order{"pkgC", "pkgB", "pkgA"}));
  EXPECT_EQ(Names(other->GetAllPackageLibraries()), (Order{"pkgA", "pkgB", "pkgC"}));
  EXPECT_EQ(Names(session->GetAllProjects()), (Order{"", "Beta", "Alpha"}));
  EXPECT_EQ(Names(other->GetAllProjects()), (Order{"Alpha", "Beta", ""}));
  EXPECT_EQ(Names(a->GetAllFiles()), (Order{"top.net", "parts.lib", "notes"}));
  delete other;
}

TEST_F(RoundTripTest, SecondRoundTripGivesTheFirstFile) {
  Populate();
  std::string first = SaveOf(session, "first");
  SSession* second = Restored("first");
  std::string reversed = SaveOf(second, "second");
  EXPECT_EQ(reversed.size(), first.size());
  EXPECT_NE(reversed, first) << "the lists are reversed";
  SSession* third = Restored("second");
  EXPECT_EQ(SaveOf(third, "third"), first);
  delete second;
  delete third;
}

// Restore adds to a session: the file's entries take over same-named ones;
// the session id comes from the file.
TEST_F(RoundTripTest, RestoreAddsToTheSession) {
  Populate();
  SaveOf(session, "file");
  SSession* other = AllocSession();
  SProject* mine = other->CreateProject("Mine");
  SProject* oldAlpha = other->CreateProject("Alpha");
  other->CreatePackageLibrary("mylib");
  ASSERT_EQ(other->Restore(dir.File("file").c_str()), 1);
  EXPECT_EQ(other->GetProject("Mine"), mine);
  EXPECT_NE(other->GetProject("Alpha"), oldAlpha);
  EXPECT_EQ(other->GetAllProjects().size(), 4u);
  EXPECT_EQ(other->GetAllPackageLibraries().size(), 4u);
  EXPECT_NE(other->GetLibrary("mylib"), nullptr);
  delete other;

  std::string bytes = ReadFile(TestData("empty_session.tvn"));
  bytes.replace(37, 2, "77\n");  // the id line; the positions move by one
  bytes.replace(15, 14, "000048\n000055\n");
  WriteFile(dir.File("id"), bytes);
  other = Restored("id");
  EXPECT_EQ(other->GetId(), 77);
  EXPECT_EQ(SaveOf(other, "again"), bytes);
  delete other;
}

// The chunk size of the reference numbering changes nothing in the file,
// whatever PID_SIZE holds.
TEST_F(RoundTripTest, ManyObjectsAnyChunkSize) {
  SProject* p = session->CreateProject("big");
  for (int i = 0; i < 20000; ++i) p->CreateFile(("f" + std::to_string(i)).c_str())->SetTimeStamp(i);
  std::string plain = SaveOf(session, "big");
  for (const char* value : {"64", "1", "-5", "abc", "99999999999"}) {
    setenv("PID_SIZE", value, 1);
    EXPECT_EQ(SaveOf(session, "tuned"), plain) << value;
  }
  unsetenv("PID_SIZE");
  SSession* other = Restored("tuned");
  SProject* q = other->GetProject("big");
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->GetAllFiles().size(), 20000u);
  EXPECT_EQ(q->GetFile("f12345")->GetTimeStamp(), 12345);
  delete other;
}

// Save fails, leaving the previous file alone, for a text holding a line
// feed and for a path it cannot write; Restore fails for what is no file.
TEST_F(RoundTripTest, RefusedSavesAndRestores) {
  std::string path = dir.File("target");
  WriteFile(path, "previous contents");
  session->CreateProject("p")->CreateFile("f")->SetAlias("two\nlines");
  EXPECT_EQ(session->Save(path.c_str()), 0);
  EXPECT_EQ(ReadFile(path), "previous contents");
  EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"target"});
  SSession* other = AllocSession();
  other->CreateProject("a\nb");
  EXPECT_EQ(other->Save(path.c_str()), 0) << "a key holding a line feed";
  EXPECT_EQ(ReadFile(path), "previous contents");
  delete other;

  EXPECT_EQ(session->Save(dir.File("no/such/folder/f").c_str()), 0);
  EXPECT_EQ(session->Save(""), 0);
  EXPECT_EQ(session->Save(nullptr), 0);
  EXPECT_EQ(session->Restore(dir.File("missing").c_str()), 0);
  EXPECT_EQ(session->Restore(dir.path().c_str()), 0) << "a folder is no file";
}
