// Projects and files: the named families and the top cells.
#include "fixture.h"

using namespace tavrin_test;

namespace {
class ProjectTest : public SessionTest {};

// Top cells are only compared, never used: stand-ins for cells.
SCell* FakeCell(int i) { return reinterpret_cast<SCell*>(static_cast<uintptr_t>(0x1000 * (i + 1))); }
}  // namespace

TEST_F(ProjectTest, ProjectsAndFilesByName) {
  SProject* a1 = session->CreateProject("A");
  SProject* a2 = session->CreateProject("A");
  ASSERT_TRUE(a1 && a2 && a1 != a2);
  EXPECT_EQ(session->GetProject("A"), a2);
  EXPECT_EQ(session->GetAllProjects().size(), 1u);
  EXPECT_EQ(session->GetProject("a"), nullptr);
  EXPECT_EQ(session->CreateProject(nullptr), nullptr);
  EXPECT_TRUE(session->DestroyProject("A"));
  EXPECT_FALSE(session->DestroyProject("A"));
  EXPECT_STREQ(a2->GetName(), "A") << "a destroyed project stays usable";

  SFile* f1 = a2->CreateFile("f");
  SFile* f2 = a2->CreateFile("f");
  EXPECT_NE(f1, f2);
  EXPECT_EQ(a2->GetAllFiles().size(), 1u);
  EXPECT_EQ(a2->GetFile("f"), f2);
  EXPECT_FALSE(a2->HasFile("F"));
  EXPECT_EQ(a2->CreateFile(nullptr), nullptr);
  EXPECT_TRUE(a2->DestroyFile("f"));
  EXPECT_FALSE(a2->DestroyFile("f"));
  EXPECT_FALSE(a2->HasFile("f"));
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
  EXPECT_TRUE(p->RemoveTopCell(FakeCell(1)));
  EXPECT_FALSE(p->RemoveTopCell(FakeCell(1)));
  EXPECT_FALSE(p->HasTopCell(FakeCell(1)));
  EXPECT_TRUE(p->HasTopCell(FakeCell(2)));
  // A top cell cannot be saved before cells exist: the save fails.
  ScratchDir dir;
  EXPECT_EQ(session->Save(dir.File("f").c_str()), 0);
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
  delete p;
}
