// Projects: top cells, and deletion outside a session.
#include "fixture.h"

using namespace tavrin_test;

class ProjectTest : public SessionTest {};

// No duplicates; appended at the tail.
TEST_F(ProjectTest, TopCells) {
  SProject* p = session->CreateProject("p");
  SCell* a = p->CreateDesignCell("a");
  SCell* b = p->CreateDesignCell("b");
  EXPECT_TRUE(p->InsertTopCell(a) && p->InsertTopCell(b) && p->RemoveTopCell(a) && p->InsertTopCell(a));
  EXPECT_FALSE(p->InsertTopCell(b) || p->RemoveTopCell(nullptr) || p->HasTopCell(nullptr));
  EXPECT_EQ(Items(p->GetAllTopCells()), (std::vector<SCell*>{b, a}));
}

// Outside any session a project deletes its files and designs (a leak shows
// under the sanitizers).
TEST(ProjectHeapless, DeletesItsFilesAndDesigns) {
  SProject* p = new SProject();
  ASSERT_NE(p, nullptr);
  p->CreateFile("a")->SetAlias("x");
  SCell* c = p->CreateDesignCell("c");
  p->InsertTopCell(c);
  c->CreateConnectivityRepresentation("v")->CreateGenericCellInstance("u", p->CreateDesignCell("d"));
  delete p;
}
