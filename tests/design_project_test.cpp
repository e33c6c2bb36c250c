// Projects: top cells, and deletion outside a session.
#include "fixture.h"

using namespace tavrin_test;

namespace {
// Top cells are only compared, never used: stand-ins for cells.
SCell* FakeCell(int i) { return reinterpret_cast<SCell*>(static_cast<uintptr_t>(0x1000 * (i + 1))); }
}  // namespace

class ProjectTest : public SessionTest {};

// No duplicates; a top cell cannot be saved before cells exist: the save
// fails.
TEST_F(ProjectTest, TopCells) {
  SProject* p = session->CreateProject("p");
  EXPECT_TRUE(p->InsertTopCell(FakeCell(0)) && p->InsertTopCell(FakeCell(1)) && p->RemoveTopCell(FakeCell(0)));
  EXPECT_FALSE(p->InsertTopCell(FakeCell(1)) || p->RemoveTopCell(FakeCell(0)) || p->HasTopCell(FakeCell(0)));
  ScratchDir dir;
  EXPECT_EQ(session->Save(dir.File("f").c_str()), 0);
}

// Outside any session a project deletes its files (a leak shows under the
// sanitizers).
TEST(ProjectHeapless, DeletesItsFiles) {
  SProject* p = new SProject();
  ASSERT_NE(p, nullptr);
  p->CreateFile("a")->SetAlias("x");
  delete p;
}
