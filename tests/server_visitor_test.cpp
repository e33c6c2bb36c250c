// The server and visitor files, and the visitor's identifier.
#include "fixture.h"

using namespace tavrin_test;

namespace {

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

}  // namespace

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
