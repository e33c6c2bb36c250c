// tavrin stats FILE: what a file holds, by class, and where it is deep or
// wide.
//
//   file: board.tvn (2051 bytes: header 36, data 1687, object table 328)
//   class                      objects     bytes
//   SModule                          2       180
//   ...
//   records as saved again: 1687 bytes
//   deepest nesting: 5, SProject "B" / SCell "top" / ...
//   largest lists:
//     4 in SProject "B" / ... (field 12)
//
// The frame comes from the file itself (file_layout.h); the classes from a
// restore walked as a save walks it (save_trace.h). A class's bytes are the
// lines of its objects' own records with the reference line in front of
// each, as a save of the restored file writes them: a reference number may
// take other digits than in the file, whose lists the restore reversed. The
// objects that only references reach are counted without bytes.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <tavrin/design.h>

#include "file_layout.h"
#include "save_trace.h"
#include "tool_common.h"

namespace {

const std::size_t kShownLists = 3;

std::size_t IndexBytes(uint32_t index) { return std::to_string(index).size() + 1; }

class Stats : public tool::TraceSink {
 public:
  struct Class {
    uint64_t objects = 0;
    uint64_t bytes = 0;
  };
  struct List {
    int32_t items;
    std::string path;
    uint32_t field;
  };
  std::map<std::string, Class> classes;
  std::vector<List> lists;  // the largest, largest first
  int deepest = 0;
  std::string deepestPath;
  uint64_t total = 0;

  void Open(const TavrinObject* object, uint32_t index, int depth) override {
    Record& o = m_open.emplace_back();
    o.cls = tool::ClassOf(object);
    o.path = m_open.size() <= 2 ? tool::Label(object) : m_open[m_open.size() - 2].path + " / " + tool::Label(object);
    o.bytes = index ? IndexBytes(index) : 0;
    if (depth > deepest) {
      deepest = depth;
      deepestPath = o.path;
    }
  }
  void Value(const tool::TraceValue& v) override {
    Record& o = m_open.back();
    o.bytes += v.FileBytes();
    ++o.values;
    if (v.kind == tool::TraceValue::kUnsigned && v.number > 1) Consider(v.number, o);
  }
  void Reference(const TavrinObject*, uint32_t index) override { m_open.back().bytes += IndexBytes(index); }
  void Close(uint32_t) override {
    Record& o = m_open.back();
    Class& c = classes[o.cls];
    ++c.objects;
    c.bytes += o.bytes;
    total += o.bytes;
    m_open.pop_back();
  }
  void Unowned(const tool::SaveTrace& trace) {
    for (uint32_t i = 1; i < trace.Count(); ++i)
      if (!trace.Owned(i)) ++classes[tool::ClassOf(trace.Object(i))].objects;
  }

 private:
  struct Record {
    std::string cls;
    std::string path;
    uint64_t bytes = 0;
    uint32_t values = 0;
  };
  void Consider(int32_t items, const Record& o) {
    if (lists.size() == kShownLists && items <= lists.back().items) return;
    List l{items, o.path, o.values};
    auto at = std::upper_bound(lists.begin(), lists.end(), l,
                               [](const List& x, const List& y) { return x.items > y.items; });
    lists.insert(at, l);
    if (lists.size() > kShownLists) lists.pop_back();
  }

  std::vector<Record> m_open;
};

}  // namespace

int RunStats(int argc, char** argv) {
  if (argc != 2) return tool::Usage("stats FILE");
  tool::InputPath input(argv[1]);
  std::string error;
  SSession* session = tool::RestoreInput(input, error);
  if (!session) return tool::Fail("stats", input.Shown(), error);
  tool::FileLayout layout;
  tool::ReadFileLayout(input.Path(), layout, nullptr);  // sound: the restore read it
  Stats stats;
  tool::SaveTrace trace(stats);
  trace.Run(*session);
  stats.Unowned(trace);
  delete session;

  std::printf("file: %s (%lld bytes: header %lld, data %lld, object table %lld)\n", input.Shown(),
              static_cast<long long>(layout.size), static_cast<long long>(layout.dataStart),
              static_cast<long long>(layout.tablePos - layout.dataStart),
              static_cast<long long>(layout.size - layout.tablePos));
  std::vector<std::pair<std::string, Stats::Class>> rows(stats.classes.begin(), stats.classes.end());
  std::stable_sort(rows.begin(), rows.end(), [](const auto& x, const auto& y) { return x.second.bytes > y.second.bytes; });
  uint64_t objects = 0;
  std::printf("%-28s %9s %11s\n", "class", "objects", "bytes");
  for (const auto& r : rows) {
    std::printf("%-28s %9llu %11llu\n", r.first.c_str(), static_cast<unsigned long long>(r.second.objects),
                static_cast<unsigned long long>(r.second.bytes));
    if (r.first != "SSession") objects += r.second.objects;
  }
  std::printf("objects: %llu, records as saved again: %llu bytes\n", static_cast<unsigned long long>(objects),
              static_cast<unsigned long long>(stats.total));
  if (stats.deepest) std::printf("deepest nesting: %d, %s\n", stats.deepest, stats.deepestPath.c_str());
  if (!stats.lists.empty()) std::printf("largest lists:\n");
  for (const Stats::List& l : stats.lists) std::printf("  %d in %s (field %u)\n", l.items, l.path.c_str(), l.field);
  return 0;
}
