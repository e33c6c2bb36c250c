// Helpers of the tests that take whole sessions through files.
#ifndef TAVRIN_TESTS_FILE_TEST_H
#define TAVRIN_TESTS_FILE_TEST_H

#include <algorithm>
#include <cctype>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/pool.h"
#include "design/session_files.h"
#include "hierarchy_fixture.h"
#include "tools/save_trace.h"

namespace tavrin_test {

typedef std::vector<std::pair<int, std::string>> Edits;
typedef std::vector<std::string> Strings;

// A golden file with lines replaced (numbered as an editor shows them; data begins on line 8).
inline std::string Edited(const std::string& name, const Edits& edits) {
  return Reframe(ReadFile(TestData(name)), [&edits](std::vector<std::string>& data) {
    for (const auto& e : edits) data.at(e.first - 8) = e.second;
  });
}

template <class T>
Strings Names(const RelLinkedList<T*>& list) {
  Strings out;
  for (auto it = list.begin(); it != list.end(); ++it) out.push_back((*it)->GetName());
  return out;
}

// The data lines of a saved file (between the header and "@@@@").
inline Strings DataLines(const std::string& file) {
  Strings lines;
  Reframe(file, [&lines](Strings& data) { lines = data; });
  return lines;
}

// Empties the heap's free cells, so every allocation reaches the heap (and FailAfter).
inline void Starve(HANDLEMA* heap) {
  heap->listNodeFree = nullptr;
  heap->mapNodeFree = nullptr;
  for (int c = 0; heap->sizeClassHeads && c < tavrin::kSizeClassCount; ++c) heap->sizeClassHeads[c] = nullptr;
}

// Refuses the n-th allocation of `create`, n = 1, 2, ... until it succeeds; each failure keeps `state()`.
template <class Create, class State>
int EachFailure(HANDLEMA* heap, Create create, State state) {
  for (int n = 1; n < 50; ++n) {
    std::string before = state();
    bool made;
    {
      Starve(heap);
      FailAfter fail(n);
      made = create();
    }
    if (made) return n - 1;
    EXPECT_EQ(state(), before) << "failure " << n << " changed something";
  }
  ADD_FAILURE() << "never succeeded";
  return 0;
}

// A saved file with the class of object index `index` (from 1) replaced.
inline std::string WithClass(const std::string& file, std::size_t index, const std::string& cls) {
  Strings lines, names, classes, table;
  std::istringstream in(file.substr(file.find("@@@@\n")));
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  for (std::size_t i = 2; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (!l.empty() && std::isdigit(static_cast<unsigned char>(l[0]))) classes.push_back(names.at(std::stoul(l)));
    else names.push_back(l), classes.push_back(l);
  }
  classes.at(index - 1) = cls;
  names.clear();
  for (const std::string& c : classes) {
    std::size_t k = std::find(names.begin(), names.end(), c) - names.begin();
    table.push_back(k < names.size() ? std::to_string(k) : c);
    if (k == names.size()) names.push_back(c);
  }
  return Frame(DataLines(file), table, std::stol(lines.at(1)));
}

// Everything a save would write, objects as addresses: equal while nothing changed.
class Recorder : public tool::TraceSink {
 public:
  std::string text;
  void Open(const TavrinObject* o, uint32_t, int depth) override { text += Address('{', o) + std::to_string(depth); }
  void Value(const tool::TraceValue& v) override { text += ' ' + v.Shown(); }
  void Reference(const TavrinObject* o, uint32_t) override { text += Address('&', o); }
  void Close(uint32_t) override { text += '}'; }

 private:
  static std::string Address(char kind, const void* p) { return kind + std::to_string(reinterpret_cast<uintptr_t>(p)); }
};

class FileTest : public SessionTest {
 protected:
  // The session as a save sees it (after a read resets the value every design element record carries).
  std::string Fingerprint(SSession* s) {
    SSession* scratch = AllocSession();
    EXPECT_EQ(tavrin::SessionFiles::Restore(*scratch, TestData("one_project.tvn").c_str(), nullptr, false), 1);
    delete scratch;
    Recorder r;
    tool::SaveTrace(r).Run(*s);
    return r.text;
  }
  std::string SaveOf(SSession* s) {
    EXPECT_EQ(s->Save(dir.File("saved").c_str()), 1);
    return ReadFile(dir.File("saved"));
  }
  int Restore(SSession* into, const std::string& bytes) {
    WriteFile(dir.File("in"), bytes);
    return tavrin::SessionFiles::Restore(*into, dir.File("in").c_str(), nullptr, false);
  }
  // A new session restored from the bytes (which must read).
  SSession* Restored(const std::string& bytes) {
    SSession* s = AllocSession();
    sessions.emplace_back(s);
    EXPECT_EQ(Restore(s, bytes), 1);
    return s;
  }
  ScratchDir dir;
  std::vector<std::unique_ptr<SSession>> sessions;
};

// A project "P" with the designs "top" and "chip" and a module "M1" of top.
class SceneTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    project = session->CreateProject("P");
    top = project->CreateDesignCell("top");
    chip = project->CreateDesignCell("chip");
    m = top->CreateModule("M1");
    ASSERT_NE(m, nullptr);
  }
  SProject* project = nullptr;
  SCell *top = nullptr, *chip = nullptr;
  SModule* m = nullptr;
};

}  // namespace tavrin_test

#endif
