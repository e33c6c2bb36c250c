// Projects and files: the named families, top cells, and the registry and
// casts of the new classes.
#include "fixture.h"

using namespace tavrin_test;

namespace {
class ProjectTest : public SessionTest {};

// Top cells are only compared, never used: stand-ins for cells.
SCell* FakeCell(int i) { return reinterpret_cast<SCell*>(static_cast<uintptr_t>(0x1000 * (i + 1))); }
}  // namespace

TEST_F(ProjectTest, ProjectsByName) {
  SProject* a1 = session->CreateProject("A");
  SProject* a2 = session->CreateProject("A");
  ASSERT_NE(a1, nullptr);
  ASSERT_NE(a2, nullptr);
  EXPECT_NE(a1, a2);
  EXPECT_EQ(session->GetProject("A"), a2);
  EXPECT_EQ(session->GetAllProjects().size(), 1u);
  EXPECT_EQ(session->GetProject("a"), nullptr);
  EXPECT_EQ(session->CreateProject(nullptr), nullptr);
  EXPECT_TRUE(session->DestroyProject("A"));
  EXPECT_FALSE(session->DestroyProject("A"));
  EXPECT_STREQ(a2->GetName(), "A") << "a destroyed project stays usable";
  EXPECT_EQ(a2->GetHeap(), heap);
}

TEST_F(ProjectTest, FilesByName) {
  SProject* p = session->CreateProject("p");
  SFile* f1 = p->CreateFile("f");
  SFile* f2 = p->CreateFile("f");
  EXPECT_NE(f1, f2);
  EXPECT_EQ(p->GetAllFiles().size(), 1u);
  EXPECT_EQ(p->GetFile("f"), f2);
  EXPECT_TRUE(p->HasFile("f"));
  EXPECT_FALSE(p->HasFile("F"));
  EXPECT_EQ(p->CreateFile(nullptr), nullptr);
  EXPECT_TRUE(p->DestroyFile("f"));
  EXPECT_FALSE(p->DestroyFile("f"));
  EXPECT_FALSE(p->HasFile("f"));
  EXPECT_EQ(p->GetFile("f"), nullptr);

  f2->SetAlias("alias");
  f2->SetKind("kind");
  f2->SetTimeStamp(99);
  f2->SetGMT(true);
  EXPECT_STREQ(f2->GetAlias(), "alias");
  EXPECT_STREQ(f2->GetKind(), "kind");
  EXPECT_EQ(f2->GetTimeStamp(), 99);
  EXPECT_TRUE(f2->GetIsGMT());
  EXPECT_EQ(f2->GetId(), 0);
}

TEST_F(ProjectTest, TopCellsKeepInsertionOrder) {
  SProject* p = session->CreateProject("p");
  EXPECT_TRUE(p->InsertTopCell(FakeCell(0)));
  EXPECT_FALSE(p->InsertTopCell(FakeCell(0)));
  EXPECT_TRUE(p->InsertTopCell(FakeCell(1)));
  EXPECT_TRUE(p->InsertTopCell(FakeCell(2)));
  std::vector<SCell*> order;
  for (auto it = p->GetAllTopCells().begin(); it != p->GetAllTopCells().end(); ++it) order.push_back(*it);
  EXPECT_EQ(order, (std::vector<SCell*>{FakeCell(0), FakeCell(1), FakeCell(2)}));
  EXPECT_TRUE(p->HasTopCell(FakeCell(1)));
  EXPECT_TRUE(p->RemoveTopCell(FakeCell(1)));
  EXPECT_FALSE(p->RemoveTopCell(FakeCell(1)));
  EXPECT_FALSE(p->HasTopCell(FakeCell(1)));
  EXPECT_EQ(p->GetAllTopCells().size(), 2u);
  while (p->RemoveTopCell(FakeCell(0)) || p->RemoveTopCell(FakeCell(2))) {
  }
}

TEST_F(ProjectTest, LaterFamiliesStartEmpty) {
  SProject* p = session->CreateProject("p");
  EXPECT_EQ(p->GetDesign("x"), nullptr);
  EXPECT_FALSE(p->HasDesign("x"));
  EXPECT_FALSE(p->DestroyDesign("x"));
  EXPECT_EQ(p->GetConstraintSet("x"), nullptr);
  EXPECT_FALSE(p->DestroyConstraintSet("x"));
  EXPECT_EQ(p->GetConstraint("x"), nullptr);
  EXPECT_FALSE(p->DestroyConstraint("x"));
  EXPECT_EQ(p->GetConstraintGroup(nullptr), nullptr);
  EXPECT_FALSE(p->HasConstraintGroup("x"));
  EXPECT_EQ(p->Find("a", "b"), nullptr);
  EXPECT_EQ(p->GetPxr(), nullptr);
}

TEST_F(ProjectTest, RegistryAndCasts) {
  TavrinObject* p = Dynamic::CreateByClassName("SProject", heap);
  TavrinObject* f = Dynamic::CreateByClassName("SFile", heap);
  TavrinObject* v = Dynamic::CreateByClassName("GVisitor", heap);
  ASSERT_NE(SProject::Cast(p), nullptr);
  ASSERT_NE(SFile::Cast(f), nullptr);
  ASSERT_NE(GVisitor::Cast(v), nullptr);
  EXPECT_EQ(SProject::Cast(p)->GetHeap(), heap);
  EXPECT_EQ(SFile::Cast(f)->GetHeap(), heap);
  EXPECT_NE(SDesignElement::Cast(p), nullptr);
  EXPECT_EQ(SProject::Cast(f), nullptr);
  EXPECT_EQ(SFile::Cast(v), nullptr);
  EXPECT_EQ(SFile::Cast(nullptr), nullptr);
  EXPECT_STREQ(p->GetClassName(), "class SProject");
  EXPECT_STREQ(f->GetClassName(), "class SFile");
  EXPECT_STREQ(v->GetClassName(), "class GVisitor");
  EXPECT_EQ(Dynamic::CreateByClassName("class SProject", heap), nullptr);
  EXPECT_EQ(Dynamic::CreateByClassName("SProj", heap), nullptr);
  delete p;
  delete f;
  delete v;
}

// Outside any session the project deletes its files (a leak shows under
// the sanitizers).
TEST(ProjectHeapless, DeletesItsFiles) {
  SProject* p = new SProject();
  ASSERT_NE(p, nullptr);
  p->SetName("loose");
  p->SetHostCAD("cad");
  p->CreateFile("a")->SetAlias("x");
  p->CreateFile("b");
  EXPECT_EQ(p->GetAllFiles().size(), 2u);
  delete p;
}
