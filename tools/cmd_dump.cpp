// tavrin dump FILE [--json]: restores the file into a fresh session and
// prints every object of it in the order a save writes them.
//
// As a tree, each object is a line `#INDEX CLASS "NAME"` (the index its save
// gives it) indented by its depth of ownership, and the values and
// references of its record follow one level deeper, as the record holds
// them between its owned children:
//
//   #3 SCell "leaf"
//     : 0 "leaf" 0 0 0 0 0 1 ->#4 SConnectivityRepresentation "lc" ->#1 SProject "P" 0 ...
//     #4 SConnectivityRepresentation "lc"
//
// With --json it is one JSON array with one element per object, written as
// each record ends: {"index", "class", "name" (null for a class without
// one), "parent" (its owner's index), "record": the values in order, a
// reference as {"ref": INDEX} (null for a null reference) and an owned child
// as {"child": INDEX}}. Objects that only references reach come last with a
// null parent and record.
//
// Output streams: nothing but the open records' own values is held, so the
// dump of a large file needs little beyond its restored session.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <tavrin/design.h>

#include "save_trace.h"
#include "tool_common.h"

namespace {

// Standard output in large blocks.
class Output {
 public:
  ~Output() { Flush(); }
  std::string& text() { return m_text; }
  void Maybe() {
    if (m_text.size() >= (1u << 20)) Flush();
  }
  void Flush() {
    if (!m_text.empty()) std::fwrite(m_text.data(), 1, m_text.size(), stdout);
    m_text.clear();
  }

 private:
  std::string m_text;
};

class TreeDump : public tool::TraceSink {
 public:
  explicit TreeDump(Output& out) : m_out(out) {}
  void Open(const TavrinObject* object, uint32_t index, int depth) override {
    EndLine();
    m_depth = depth;
    std::string& t = m_out.text();
    t.append(static_cast<std::size_t>(depth) * 2, ' ');
    if (object) t += '#' + std::to_string(index) + ' ';
    t += tool::Label(object);
    t += '\n';
    m_out.Maybe();
  }
  void Value(const tool::TraceValue& value) override {
    StartLine();
    m_line += ' ';
    m_line += value.Shown();
  }
  void Reference(const TavrinObject* object, uint32_t index) override {
    StartLine();
    m_line += index ? " ->#" + std::to_string(index) + ' ' + tool::Label(object) : std::string(" ->null");
  }
  void Close(uint32_t) override {
    EndLine();
    --m_depth;
  }
  void Unowned(const tool::SaveTrace& trace) {
    bool any = false;
    for (uint32_t i = 1; i < trace.Count(); ++i) {
      if (trace.Owned(i)) continue;
      if (!any) m_out.text() += "not owned by any record:\n";
      any = true;
      m_out.text() += "  #" + std::to_string(i) + ' ' + tool::Label(trace.Object(i)) + '\n';
      m_out.Maybe();
    }
  }

 private:
  void StartLine() {
    if (!m_line.empty()) return;
    m_line.assign(static_cast<std::size_t>(m_depth) * 2 + 2, ' ');
    m_line += ':';
  }
  void EndLine() {
    if (m_line.empty()) return;
    m_out.text() += m_line;
    m_out.text() += '\n';
    m_line.clear();
    m_out.Maybe();
  }

  Output& m_out;
  std::string m_line;
  int m_depth = 0;
};

class JsonDump : public tool::TraceSink {
 public:
  explicit JsonDump(Output& out) : m_out(out) { m_out.text() += "[\n"; }
  void Open(const TavrinObject* object, uint32_t index, int) override {
    if (!m_open.empty()) Item("{\"child\":" + std::to_string(index) + "}");
    m_open.push_back(Record{object, index, std::string()});
  }
  void Value(const tool::TraceValue& value) override {
    if (value.kind == tool::TraceValue::kText) Item(tool::JsonQuote(value.text.c_str()));
    else if ((value.kind == tool::TraceValue::kFloat || value.kind == tool::TraceValue::kDouble) &&
             !std::isfinite(value.real))
      Item('"' + value.Shown() + '"');
    else Item(value.Shown());
  }
  void Reference(const TavrinObject*, uint32_t index) override {
    Item(index ? "{\"ref\":" + std::to_string(index) + "}" : std::string("null"));
  }
  void Close(uint32_t) override {
    Record r = std::move(m_open.back());
    m_open.pop_back();
    Element(r.object, r.index, m_open.empty() ? "null" : std::to_string(m_open.back().index), "[" + r.items + "]");
  }
  void Finish(const tool::SaveTrace& trace) {
    for (uint32_t i = 1; i < trace.Count(); ++i)
      if (!trace.Owned(i)) Element(trace.Object(i), i, "null", "null");
    m_out.text() += "\n]\n";
  }

 private:
  struct Record {
    const TavrinObject* object;
    uint32_t index;
    std::string items;
  };
  void Item(const std::string& item) {
    std::string& items = m_open.back().items;
    if (!items.empty()) items += ',';
    items += item;
  }
  void Element(const TavrinObject* object, uint32_t index, const std::string& parent, const std::string& record) {
    std::string& t = m_out.text();
    if (m_elements++) t += ",\n";
    const char* name = tool::NameOf(object);
    t += "{\"index\":" + std::to_string(index) + ",\"class\":" + tool::JsonQuote(tool::ClassOf(object).c_str()) +
         ",\"name\":" + (name ? tool::JsonQuote(name) : std::string("null")) + ",\"parent\":" + parent +
         ",\"record\":" + record + "}";
    m_out.Maybe();
  }

  Output& m_out;
  std::vector<Record> m_open;
  std::size_t m_elements = 0;
};

}  // namespace

int RunDump(int argc, char** argv) {
  bool json = false;
  const char* file = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0 && !json) json = true;
    else if (!file) file = argv[i];
    else file = nullptr, i = argc;
  }
  if (!file || argc > 3) return tool::Usage("dump FILE [--json]");
  tool::InputPath input(file);
  std::string error;
  SSession* session = tool::RestoreInput(input, error);
  if (!session) return tool::Fail("dump", input.Shown(), error);
  Output out;
  if (json) {
    JsonDump sink(out);
    tool::SaveTrace trace(sink);
    trace.Run(*session);
    sink.Finish(trace);
  } else {
    TreeDump sink(out);
    tool::SaveTrace trace(sink);
    trace.Run(*session);
    sink.Unowned(trace);
  }
  out.Flush();
  delete session;
  return 0;
}
