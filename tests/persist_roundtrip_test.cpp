// Save and restore: the second round trip, long texts, refused saves and the last error.
#include "file_test.h"
#include "random_model.h"

using namespace tavrin_test;

using RoundTripTest = FileTest;

// Every class, texts longer than any buffer, whatever PID_SIZE holds; the GMT flag is not saved.
TEST_F(RoundTripTest, SecondRoundTripGivesTheFirstFile) {
  SSession* model = BuildRandomModel(4, true);
  sessions.emplace_back(model);
  model->CreateProject("Alpha")->CreateFile("top.net")->SetGMT(true);
  const std::string longText = std::string(100000, 'x') + " " + std::string(100000, 'y');
  SProject* e = model->CreateProject("");
  e->SetHostCAD(longText.c_str());
  e->CreateFile("")->SetAlias(longText.c_str());
  std::string first = SaveOf(model);
  SSession* second = Restored(first);
  std::string reversed = SaveOf(second);
  EXPECT_NE(reversed, first);
  SSession* third = Restored(reversed);
  EXPECT_EQ(SaveOf(third), first);
  for (const char* value : {"1", "-5", "abc", "99999999999"}) {  // any chunk size of the reference numbering
    setenv("PID_SIZE", value, 1);
    EXPECT_EQ(SaveOf(third), first) << value;
  }
  unsetenv("PID_SIZE");
  EXPECT_FALSE(second->GetProject("Alpha")->GetFile("top.net")->GetIsGMT());
}

// The reason of a session's last failure stays with it until a call of that session succeeds.
TEST_F(RoundTripTest, RefusedSavesAndRestoresAndTheLastError) {
  std::string path = dir.File("target");
  WriteFile(path, "previous contents");
  EXPECT_EQ(session->Restore(TestData("damaged_truncated.tvn").c_str()), 0);
  EXPECT_STREQ(session->GetLastError(), "object table: entry count missing");
  SSession* other = AllocSession();
  EXPECT_STREQ(other->GetLastError(), "") << "each session keeps its own";
  delete other;
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
}
