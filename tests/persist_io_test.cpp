// A failing output operation or a full disk keeps the previous file; what a save replaces, a read opens.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "design/session_files.h"
#include "fixture.h"
#include "persist/output_file.h"

using namespace tavrin_test;
using tavrin::SessionFiles;
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

class TargetTest : public SaveIoTest {
 protected:
  void SetUp() override {
    SaveIoTest::SetUp();
    session->CreateProject("board")->CreateFile("top.net");
    ASSERT_EQ(session->Save(dir.File("reference").c_str()), 1);
    saved = ReadFile(dir.File("reference"));
    std::remove(dir.File("reference").c_str());
  }
  std::string SaveReason(const std::string& path) {
    std::string reason;
    EXPECT_EQ(SessionFiles::Save(*session, path.c_str(), &reason), 0) << path;
    return reason;
  }
  static mode_t Kind(const std::string& path, mode_t bits = S_IFMT) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 ? st.st_mode & bits : 0;
  }
  std::string saved;
};

}  // namespace

// Each k-th operation fails in turn; the folder's open, sync and close (k == 2) follow the rename.
TEST_F(SaveIoTest, EveryFailingOperationKeepsThePreviousFile) {
  Fill(session, 4000);  // several buffers' worth
  session->Save(target.c_str());
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
  auto save = [this](bool ignoreSignal, int files) {  // in a child with a file size limit
    return InChild([ignoreSignal] {
      struct rlimit core = {0, 0}, fsize = {100000, 100000};
      setrlimit(RLIMIT_CORE, &core);
      setrlimit(RLIMIT_FSIZE, &fsize);
      if (ignoreSignal) signal(SIGXFSZ, SIG_IGN);
    }, [&] { Fill(session, files); return session->Save(target.c_str()); });
  };
  EXPECT_EQ(save(true, 5000), 0);
  EXPECT_EQ(ReadFile(target), previous);
  EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"design.tvn"});
  EXPECT_EQ(save(false, 5000), 128 + SIGXFSZ);
  EXPECT_EQ(ReadFile(target), previous);
  EXPECT_EQ(save(true, 100), 1);
  EXPECT_NE(ReadFile(target), previous);
}

// What is no regular file (through links too) is never replaced, and every reader refuses it at once.
TEST_F(TargetTest, NoRegularFileIsReplacedOrRead) {
  std::string fifo = dir.File("pipe"), folder = dir.File("folder");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600) + mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(symlink("pipe", dir.File("to-pipe").c_str()) + symlink("loop", dir.File("loop").c_str()), 0);
  EXPECT_EQ(SaveReason(fifo), "the target is not a regular file");
  EXPECT_EQ(SaveReason(folder + "/"), "the target is a folder");
  EXPECT_EQ(SaveReason(dir.File("to-pipe")), "the target is not a regular file");
  EXPECT_NE(SaveReason(dir.File("loop")).find("too many links"), std::string::npos);
  const std::pair<std::string, std::string> cases[] = {
      {fifo, "not a regular file"}, {"/dev/zero", "not a regular file"}, {folder, "Is a directory"}};
  for (const auto& c : cases) {
    const std::string& path = c.first;
    EXPECT_EQ(InChild([] { alarm(2); }, [&] {  // a read that blocks ends in the alarm
      std::string reason;
      CPxr pxr;
      return SessionFiles::Restore(*session, path.c_str(), &reason, false) == 0 &&
             reason == "cannot open " + path + ": " + c.second && session->GetAllProjects().size() == 1 &&
             session->GetObjtabPos(path.c_str()) == -1 && GetDBFileVersion(path.c_str()) == -1 &&
             pxr.LoadFile(path.c_str(), 0) == 0 && !pxr.FileAlreadyLoaded(path.c_str()) ? 0 : 1;
    }), 0) << path;
  }
  EXPECT_TRUE(Kind(fifo) == S_IFIFO && ListDir(folder).empty() && ListDir(dir.path()).size() == 4u);
}

// Links stay (a relative one is relative to its folder); the file at the end keeps its mode.
TEST_F(TargetTest, SaveFollowsLinksAndTakesLongNames) {
  ASSERT_EQ(mkdir(dir.File("real").c_str(), 0700) + mkdir(dir.File("links").c_str(), 0700), 0);
  std::string real = dir.File("real/design.tvn"), chain = dir.File("chain"), dangling = dir.File("links/dangling");
  WriteFile(real, previous);
  ASSERT_EQ(chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(symlink("../real/design.tvn", dir.File("links/relative").c_str()), 0);
  ASSERT_EQ(symlink("links/relative", chain.c_str()) + symlink("../real/new.tvn", dangling.c_str()), 0);
  ASSERT_EQ(session->Save(chain.c_str()) + session->Save(dangling.c_str()), 2);
  EXPECT_TRUE(Kind(chain) == S_IFLNK && Kind(dangling) == S_IFLNK && Kind(real, 0777) == 0640u);
  EXPECT_TRUE(ReadFile(real) == saved && ReadFile(dir.File("real/new.tvn")) == saved);
  EXPECT_EQ(ListDir(dir.File("real")).size() + ListDir(dir.File("links")).size(), 4u);
  for (std::size_t length : {240, 246, 250, 255}) {
    std::string path = dir.File(std::string(length - 4, 'n') + ".tvn");
    ASSERT_EQ(session->Save(path.c_str()) + session->Save(path.c_str()), 2) << length;
    EXPECT_EQ(ReadFile(path), saved) << length;
    std::remove(path.c_str());
  }
  EXPECT_EQ(ListDir(dir.path()).size(), 3u) << "no temporary file left";
}
