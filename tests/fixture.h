// Shared test fixtures: a session per test, scratch folders, file helpers.
#ifndef TAVRIN_TESTS_FIXTURE_H
#define TAVRIN_TESTS_FIXTURE_H

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <tavrin/tavrin.h>

#include "platform/private_heap.h"

namespace tavrin_test {

typedef std::vector<std::string> Lines;

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session = AllocSession();
    ASSERT_NE(session, nullptr);
    heap = session->GetHeap();
  }
  void TearDown() override { delete session; }

  SSession* session = nullptr;
  HANDLEMA* heap = nullptr;
};

// As SessionTest, with `heap` null (the general allocator) when the parameter is false.
class SessionHeapOrNot : public SessionTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    if (!GetParam()) heap = nullptr;
  }
};

// Makes the n-th following private-heap allocation fail while the guard lives.
class FailAfter {
 public:
  explicit FailAfter(long n) { tavrin::HeapFailAfter(n); }
  ~FailAfter() { tavrin::HeapFailAfter(0); }
  FailAfter(const FailAfter&) = delete;
  FailAfter& operator=(const FailAfter&) = delete;
};

// The pools' counters, as GetCntTavrin reports them now.
struct Counts {
  int large = -1, zero = -1, classes = -1, result = -1;
  int* chunks = nullptr;
  Counts() { result = GetCntTavrin(large, zero, classes, chunks); }
};

// Bytes held by the private heap behind a session record.
inline std::size_t HeapBytes(const HANDLEMA* heap) { return tavrin::HeapBytesInUse(heap->heap); }

// Runs `body` in a child after `setup`: its exit status, or 128 + the signal that ended it.
template <class Setup, class F>
int InChild(Setup setup, F body) {
  std::fflush(stdout);
  pid_t pid = fork();
  if (pid == 0) {
    setup();
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A folder removed with its contents after the test.
class ScratchDir {
 public:
  ScratchDir() {
    char tmpl[] = "/tmp/tavrin-test-XXXXXX";
    const char* d = mkdtemp(tmpl);
    path_ = d ? d : "/tmp";
  }
  ~ScratchDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// The names in a folder (without "." and ".."), unsorted.
inline std::vector<std::string> ListDir(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* d = opendir(path.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
  }
  return names;
}

// A whole file around data and class lines (of indexes 1, 2, ...; a number repeats a name); `count` overrides.
inline std::string Frame(const std::vector<std::string>& data, const std::vector<std::string>& classes,
                         long count = -1) {
  std::string body, tail = "@@@@\n" + std::to_string(count >= 0 ? count : long(classes.size()) + 1) + "\n";
  for (const std::string& l : data) body += l + "\n";
  for (const std::string& l : classes) tail += l + "\n";
  char head[64];  // two positions, then filler to keep the header at 37 bytes
  std::snprintf(head, sizeof head, "%06zu\n%06zu\n", 37 + body.size(), 37 + body.size() + tail.size());
  return "YO\n12\nVV\n33199\n" + std::string(head) + std::string("2147483647\n2147483647\n").substr(std::strlen(head)) +
         body + tail;
}

inline std::string TestData(const std::string& name) { return std::string(TAVRIN_TEST_DATA) + "/" + name; }

// The elements of a list, head first.
template <class T, class R = T>
std::vector<R> Items(const RelLinkedList<T>& list) {
  std::vector<R> out;
  for (auto it = list.begin(); it != list.end(); ++it) out.push_back(*it);
  return out;
}

}  // namespace tavrin_test

#include "current_access.h"

#endif
