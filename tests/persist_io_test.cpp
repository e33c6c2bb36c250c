// Saving: a failure of any output operation, or a full disk, leaves the previous file as it was.
#include <signal.h>
#include <sys/resource.h>

#include "fixture.h"
#include "persist/output_file.h"

using namespace tavrin_test;
namespace io = tavrin::io;

namespace {

class SaveIoTest : public SessionTest {
 protected:
  void TearDown() override {
    io::ResetFaults();
    SessionTest::TearDown();
  }
  static void Fill(SSession* s, int files) {
    SProject* p = s->CreateProject("project");
    for (int i = 0; i < files; ++i)
      p->CreateFile(("file number " + std::to_string(i)).c_str())->SetAlias("some alias text");
  }
  ScratchDir dir;
  const std::string target = dir.File("design.tvn"), previous = "the previous file\n";
};

template <class F>
int InChildWithFileLimit(bool ignoreSignal, F body) {
  return InChild([ignoreSignal] {
    struct rlimit core = {0, 0}, fsize = {100000, 100000};
    setrlimit(RLIMIT_CORE, &core);
    setrlimit(RLIMIT_FSIZE, &fsize);
    if (ignoreSignal) signal(SIGXFSZ, SIG_IGN);
  }, body);
}

}  // namespace

// The k-th operation of each kind fails, for every k a save reaches: 0, the previous file, no
// temporary file. The folder's open, sync and close (k == 2) follow the rename of the complete file.
TEST_F(SaveIoTest, EveryFailingOperationKeepsThePreviousFile) {
  Fill(session, 4000);  // several buffers' worth
  ASSERT_EQ(session->Save(target.c_str()), 1);
  const std::string expected = ReadFile(target);
  ASSERT_GT(expected.size(), 3 * tavrin::OutputFile::kBufferSize);
  for (int i = 0; i < io::kOpCount; ++i) {
    io::Op op = static_cast<io::Op>(i);
    long k = 1;
    for (;; ++k) {
      ASSERT_LT(k, 100) << io::OpName(op);
      WriteFile(target, previous);
      io::ResetFaults();
      io::FailAt(op, k);
      int r = session->Save(target.c_str());
      bool hit = io::Count(op) >= k;
      io::ResetFaults();
      std::string what = std::string(io::OpName(op)) + " #" + std::to_string(k);
      EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"design.tvn"}) << what;
      EXPECT_EQ(r, hit ? 0 : 1) << what;
      bool afterRename = k == 2 && (op == io::Op::kOpen || op == io::Op::kSync || op == io::Op::kClose);
      EXPECT_EQ(ReadFile(target), hit && !afterRename ? previous : expected) << what;
      if (!hit) break;
    }
    EXPECT_GT(k, 1) << io::OpName(op) << " never issued";
  }
}

// Over the size limit Save fails, or the limit's signal kills the process; the previous file stays.
TEST_F(SaveIoTest, FullDisk) {
  WriteFile(target, previous);
  auto save = [this](int files) { Fill(session, files); return session->Save(target.c_str()); };  // in the child
  EXPECT_EQ(InChildWithFileLimit(true, [&]() { return save(5000); }), 0);
  EXPECT_EQ(ReadFile(target), previous);
  EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"design.tvn"});
  EXPECT_EQ(InChildWithFileLimit(false, [&]() { return save(5000); }), 128 + SIGXFSZ);
  EXPECT_EQ(ReadFile(target), previous);
  EXPECT_EQ(InChildWithFileLimit(true, [&]() { return save(100); }), 1);
  EXPECT_NE(ReadFile(target), previous);
}
