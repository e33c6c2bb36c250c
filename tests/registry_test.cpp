// Process-wide objects: the class registry, checked casts, the server and visitor files.
#include <set>

#include "core/pool.h"
#include "fixture.h"

using namespace tavrin_test;

namespace {

using RegistryTest = SessionTest;

// Every factory, registered once, creates its class on the heap from the exact name without "class ".
TEST_F(RegistryTest, EveryFactoryCreatesItsOwnClassAndCastChecksIt) {
  std::set<std::string> names;
  int count = 0;
  for (Dynamic::FactoryListElement* e = Dynamic::RegistryHead(); e; e = e->next, ++count) {
    const char* full = e->factory->ClassName();
    ASSERT_EQ(std::strncmp(full, "class ", 6), 0) << full;
    EXPECT_TRUE(names.insert(full).second) << "registered twice: " << full;
    TavrinObject* o = Dynamic::CreateByClassName(full + 6, heap);
    ASSERT_NE(o, nullptr) << full;
    EXPECT_STREQ(o->GetClassName(), full);
    EXPECT_TRUE(tavrin::BlockHeap(o)->heap == heap->heap && !e->factory->Create("SNoSuchClass", heap)) << full;
    SSession* placed = SSession::Cast(o);  // with a record of its own in the heap, not counted as live
    EXPECT_TRUE(!placed || (placed->GetHeap() != heap && placed->CreatePackageLibrary("L"))) << full;
    delete o;
    EXPECT_EQ(tavrin::LiveSessions(), 1);
  }
  EXPECT_EQ(count, Dynamic::RegisteredCount());
  for (const char* bad : {"class SSession", "ssession", "SSessionX", "", "SLibrary", static_cast<const char*>(nullptr)})
    EXPECT_EQ(Dynamic::CreateByClassName(bad, heap), nullptr) << (bad ? bad : "null");
  TavrinObject *pkg = session->CreatePackageLibrary("P"), *ses = session;
  EXPECT_TRUE(SLibrary::Cast(pkg) == pkg && SPackageLibrary::Cast(pkg) == pkg && SSession::Cast(ses) == session);
  EXPECT_TRUE(!SPadStackLibrary::Cast(pkg) && !SLibrary::Cast(ses) && !SDesignElement::Cast(ses) &&
              !SSession::Cast(nullptr));
}

// Without a heap a session says so and uses the general allocator (leak checkers verify).
TEST(Registry, SessionWithoutHeapUsesTheGeneralAllocator) {
  testing::internal::CaptureStdout();
  SSession* s = SSession::Cast(Dynamic::CreateByClassName("SSession", nullptr));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n malloc SSession " + std::to_string(sizeof(SSession)));
  ASSERT_TRUE(s && s->GetHeap() == nullptr);
  SPadStackLibrary* kept = s->CreatePadStackLibrary("Other");  // its nodes stay linked
  kept->SetLocation("/somewhere");
  s->SetVersion("v1");
  delete s;
  delete kept;
}

// Reference, id counter, running, reserved.
const std::string kServerFile = "YO\n12\nVV\n33199\n000046\n000067\n7483647\n1\n41\n1\n0\n@@@@\n2\nGTavrinServer\n";
// Reference, counter, visitor id.
const std::string kVisitorFile = "YO\n12\nVV\n33199\n000044\n000060\n7483647\n1\n5\n77\n@@@@\n2\nGVisitor\n";

class ServerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    delete GTavrinServer::GetCurrent();
    ServerTestAccess::SetCurrent(nullptr);
    delete GVisitor::GetCurrent();
    VisitorTestAccess::SetCurrent(nullptr);
  }
  std::string Put(const std::string& name, const std::string& bytes) {
    WriteFile(dir.File(name), bytes);
    return dir.File(name);
  }
  ScratchDir dir;
};

// Restoring makes the current server, whose counter wraps; a failed restore keeps the current one.
TEST_F(ServerTest, FileRoundTripAndFailedRestore) {
  EXPECT_FALSE(GTavrinServer::Save(dir.File("none").c_str())) << "no current server";
  SSession* s = AllocSession();
  ASSERT_TRUE(GTavrinServer::Restore(Put("server", kServerFile).c_str()));
  GTavrinServer* server = GTavrinServer::GetCurrent();
  ASSERT_TRUE(server && server->GetRunning());
  for (const char* name : {"a", "b", "c"}) EXPECT_EQ(s->CreateProject(name)->GetId(), 0);
  EXPECT_EQ(server->GetIdCounter(), 44);
  server->SetIdCounter(41);
  ASSERT_TRUE(GTavrinServer::Save(dir.File("saved").c_str()));
  EXPECT_EQ(ReadFile(dir.File("saved")), kServerFile);
  const std::string damaged[] = {
      kVisitorFile, kServerFile.substr(0, kServerFile.size() - 3),
      "YO\n12\nVV\n33199\n000039\n000049\n7483647\n0\n@@@@\n1\n",                          // a null reference
      "YO\n12\nVV\n33199\n000044\n000065\n7483647\n1\n41\n1\n@@@@\n2\nGTavrinServer\n",  // record cut short
  };
  for (const std::string& bytes : damaged)
    EXPECT_TRUE(!GTavrinServer::Restore(Put("bad", bytes).c_str()) && GTavrinServer::GetCurrent() == server) << bytes;
  EXPECT_EQ(server->GetIdCounter(), 41);
  ASSERT_TRUE(GTavrinServer::Restore(
      Put("max", "YO\n12\nVV\n33199\n000054\n000075\n7483647\n1\n2147483647\n1\n0\n@@@@\n2\nGTavrinServer\n").c_str()));
  EXPECT_EQ(GTavrinServer::GetCurrent()->GetIdCounter(), 2147483647);
  s->CreateProject("d");
  EXPECT_EQ(GTavrinServer::GetCurrent()->GetIdCounter(), INT32_MIN);
  delete s;
}

// A failed restore keeps the current visitor; only the first Initialize seeds the generator.
TEST_F(ServerTest, VisitorFileAndIdentifier) {
  EXPECT_FALSE(GVisitor::Save(dir.File("none").c_str()));
  ASSERT_TRUE(GVisitor::Restore(Put("visitor", kVisitorFile).c_str()));
  GVisitor* v = GVisitor::GetCurrent();
  ASSERT_TRUE(v && v->GetCounter() == 5 && v->GetVisitorID() == 77 && GVisitor::Save(dir.File("saved").c_str()));
  EXPECT_EQ(ReadFile(dir.File("saved")), kVisitorFile);
  EXPECT_FALSE(GVisitor::Restore(Put("server", kServerFile).c_str()) || GVisitor::Restore(dir.File("missing").c_str()));
  EXPECT_EQ(GVisitor::GetCurrent(), v);
  v->Initialize();
  std::srand(12345);
  v->Initialize();
  std::srand(12345);
  int high = std::rand() >> 16;
  EXPECT_EQ(v->GetVisitorID(), (high << 16) + (std::rand() >> 16)) << "a second Initialize must not seed again";
}

}  // namespace
