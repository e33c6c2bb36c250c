// tavrin diff A B: compares two files as object graphs. Exit 0 when they
// hold the same objects, values and references; 1 when they differ, with
// the first differences, each on a line `PATH: what`; 2 when a file cannot
// be read or is damaged.
//
// Both files are restored and walked as a save walks them (save_trace.h).
// A restore reverses every list and map, so order must not count where a
// record lists things: the values and references of a record are cut at
// each count (an unsigned of at least 1; the lists of a record follow their
// counts), and within a cut they are compared as a multiset, a value
// directly before a reference or child (a map key) staying bound to it.
// A reference is compared by the path of ownership of the object it names
// (`SProject "P" / SCell "C"`), never by index; an owned child by the
// canonical form of its whole subtree. Names may be empty or repeated among
// siblings: nothing relies on them being unique.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <tavrin/design.h>

#include "save_trace.h"
#include "tool_common.h"

namespace {

const std::size_t kShownDifferences = 10;

uint64_t Mix(uint64_t h, uint64_t v) {
  h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
  h *= 0xff51afd7ed558ccdULL;
  return h ^ (h >> 33);
}

uint64_t HashText(const std::string& s) {
  uint64_t h = 1469598103934665603ULL;
  for (unsigned char c : s) h = (h ^ c) * 1099511628211ULL;
  return Mix(h, s.size());
}

struct Token {
  enum Type : uint8_t { kValue, kRef, kChild };
  Type type;
  tool::TraceValue::Kind kind;
  bool count;        // an unsigned of at least 1: a cut
  uint32_t index;    // kRef, kChild: the object (0: null)
  uint32_t ordinal;  // kValue: its place among the record's values, from 1
  std::string shown; // kValue
};

struct Node {
  uint32_t parent = 0;
  bool owned = false;
  std::string label;
  std::string cls;
  std::vector<Token> tokens;
  uint64_t path = 0;
  uint64_t hash = 0;
};

// The traced graph of one file, indexed as its save numbers the objects.
class Graph : public tool::TraceSink {
 public:
  std::vector<Node> nodes;
  std::vector<uint32_t> order;  // owned records, owners first

  void Open(const TavrinObject* object, uint32_t index, int) override {
    Node& n = At(index);
    if (!m_open.empty()) {
      n.parent = m_open.back();
      Add(Token{Token::kChild, tool::TraceValue::kInt, false, index, 0, std::string()});
    }
    n.owned = true;
    n.label = tool::Label(object);
    n.cls = tool::ClassOf(object);
    m_open.push_back(index);
    order.push_back(index);
    m_values.push_back(0);
  }
  void Value(const tool::TraceValue& v) override {
    bool count = v.kind == tool::TraceValue::kUnsigned && v.number >= 1;
    Add(Token{Token::kValue, v.kind, count, 0, ++m_values.back(), v.Shown()});
  }
  void Reference(const TavrinObject*, uint32_t index) override {
    At(index);
    Add(Token{Token::kRef, tool::TraceValue::kInt, false, index, 0, std::string()});
  }
  void Close(uint32_t) override {
    m_open.pop_back();
    m_values.pop_back();
  }

  // After the walk: names the objects no record owns, then the hashes.
  void Finish(const tool::SaveTrace& trace) {
    if (nodes.size() < trace.Count()) nodes.resize(trace.Count());
    for (uint32_t i = 1; i < trace.Count(); ++i) {
      if (nodes[i].owned) continue;
      nodes[i].cls = tool::ClassOf(trace.Object(i));
      nodes[i].label = "(owned by no record) " + tool::Label(trace.Object(i));
      nodes[i].path = HashText(nodes[i].label);
    }
    for (uint32_t i : order)
      nodes[i].path = i ? Mix(nodes[nodes[i].parent].path, HashText(nodes[i].label)) : HashText("SSession");
    for (auto it = order.rbegin(); it != order.rend(); ++it) Canonical(nodes[*it]);
  }

  uint64_t TokenHash(const Token& t) const {
    switch (t.type) {
      case Token::kValue: return Mix(Mix(1, t.kind), HashText(t.shown));
      case Token::kRef: return Mix(2, t.index ? nodes[t.index].path : 0);
      default: return Mix(3, nodes[t.index].hash);
    }
  }

  std::string Path(uint32_t index) const {
    if (index == 0) return "SSession";
    std::string path;
    for (uint32_t i = index; i && path.size() < 4096; i = nodes[i].parent)
      path = path.empty() ? nodes[i].label : nodes[i].label + " / " + path;
    return path;
  }

  // One cut of a record: the count that opens it (none for the first) and
  // its items; an item is a token, or a value with the reference or child
  // it keys.
  struct Item {
    uint64_t hash;
    const Token* key;
    const Token* main;
  };
  struct Cut {
    const Token* count = nullptr;
    std::vector<Item> items;
  };
  std::vector<Cut> Cuts(const Node& n) const {
    std::vector<Cut> cuts(1);
    const std::vector<Token>& t = n.tokens;
    for (std::size_t i = 0; i < t.size(); ++i) {
      if (t[i].count) {
        cuts.emplace_back();
        cuts.back().count = &t[i];
        continue;
      }
      if (t[i].type == Token::kValue && i + 1 < t.size() && t[i + 1].type != Token::kValue) {
        cuts.back().items.push_back(Item{Mix(TokenHash(t[i]), TokenHash(t[i + 1])), &t[i], &t[i + 1]});
        ++i;
        continue;
      }
      cuts.back().items.push_back(Item{TokenHash(t[i]), nullptr, &t[i]});
    }
    return cuts;
  }

 private:
  Node& At(uint32_t index) {
    if (nodes.size() <= index) nodes.resize(index + 1);
    return nodes[index];
  }
  void Add(Token t) { nodes[m_open.back()].tokens.push_back(std::move(t)); }

  void Canonical(Node& n) {
    uint64_t h = HashText(n.label);
    for (Cut& c : Cuts(n)) {
      h = Mix(h, c.count ? TokenHash(*c.count) : 7);
      std::vector<uint64_t> items;
      items.reserve(c.items.size());
      for (const Item& i : c.items) items.push_back(i.hash);
      std::sort(items.begin(), items.end());
      h = Mix(h, items.size());
      for (uint64_t i : items) h = Mix(h, i);
    }
    n.hash = h;
  }

  std::vector<uint32_t> m_open;
  std::vector<uint32_t> m_values;
};

class Comparison {
 public:
  Comparison(const Graph& a, const Graph& b) : m_a(a), m_b(b) {}
  const std::vector<std::string>& Lines() const { return m_lines; }
  bool Truncated() const { return m_truncated; }

  void Compare(uint32_t ia, uint32_t ib) {
    const Node& a = m_a.nodes[ia];
    const Node& b = m_b.nodes[ib];
    if (a.hash == b.hash || Full()) return;
    std::string path = m_a.Path(ia);
    if (a.cls != b.cls) return Report(path, "class " + a.cls + " vs " + b.cls);
    std::vector<Graph::Cut> ca = m_a.Cuts(a), cb = m_b.Cuts(b);
    std::size_t before = m_lines.size();
    for (std::size_t k = 0; k < ca.size() && k < cb.size() && !Full(); ++k) {
      const Token* na = ca[k].count;
      const Token* nb = cb[k].count;
      if (na && nb && na->shown != nb->shown) {
        Report(path, Field(*na) + ": " + na->shown + " vs " + nb->shown);
        return;
      }
      CompareCut(path, ca[k].items, cb[k].items);
    }
    if (ca.size() != cb.size() && !Full())
      Report(path, std::to_string(ca.size() - 1) + " counts in the record vs " + std::to_string(cb.size() - 1));
    if (m_lines.size() == before && !Full()) Report(path, "the records differ");
  }

 private:
  bool Full() {
    if (m_lines.size() < kShownDifferences) return false;
    m_truncated = true;
    return true;
  }
  void Report(const std::string& path, const std::string& what) {
    if (!Full()) m_lines.push_back(path + ": " + what);
  }
  static std::string Field(const Token& t) {
    return "field " + std::to_string(t.ordinal) + " (" + tool::TraceValue::KindName(t.kind) + ")";
  }
  std::string Describe(const Graph& g, const Graph::Item& item) const {
    std::string text = item.key ? "key " + item.key->shown + ": " : std::string();
    const Token& t = *item.main;
    if (t.type == Token::kValue) return text + Field(t) + " " + t.shown;
    if (t.type == Token::kRef) return text + "reference to " + (t.index ? g.Path(t.index) : "null");
    return text + "child " + g.nodes[t.index].label;
  }
  static bool Pairs(const Graph& ga, const Graph::Item& a, const Graph& gb, const Graph::Item& b, bool sameLabel) {
    if (a.main->type != b.main->type || !a.key != !b.key) return false;
    if (a.main->type == Token::kValue) return a.main->kind == b.main->kind;
    if (a.main->type == Token::kRef) return true;
    const Node& na = ga.nodes[a.main->index];
    const Node& nb = gb.nodes[b.main->index];
    return sameLabel ? na.label == nb.label : na.cls == nb.cls;
  }

  void CompareCut(const std::string& path, const std::vector<Graph::Item>& a, const std::vector<Graph::Item>& b) {
    // The items of each side the other lacks, in each side's order.
    std::vector<uint64_t> ha, hb;
    for (const Graph::Item& i : a) ha.push_back(i.hash);
    for (const Graph::Item& i : b) hb.push_back(i.hash);
    std::sort(ha.begin(), ha.end());
    std::sort(hb.begin(), hb.end());
    std::vector<uint64_t> onlyA, onlyB;
    std::set_difference(ha.begin(), ha.end(), hb.begin(), hb.end(), std::back_inserter(onlyA));
    std::set_difference(hb.begin(), hb.end(), ha.begin(), ha.end(), std::back_inserter(onlyB));
    std::vector<const Graph::Item*> restA = Pick(a, onlyA), restB = Pick(b, onlyB);
    std::vector<bool> used(restB.size(), false);
    // Children of the same label first, then of the same class; values of
    // the same kind; references.
    for (int pass = 0; pass < 2; ++pass) {
      for (const Graph::Item*& x : restA) {
        if (!x) continue;
        for (std::size_t j = 0; j < restB.size(); ++j) {
          if (used[j] || !Pairs(m_a, *x, m_b, *restB[j], pass == 0)) continue;
          used[j] = true;
          Paired(path, *x, *restB[j]);
          x = nullptr;
          break;
        }
      }
    }
    for (const Graph::Item* x : restA)
      if (x) Report(path, "only in A: " + Describe(m_a, *x));
    for (std::size_t j = 0; j < restB.size(); ++j)
      if (!used[j]) Report(path, "only in B: " + Describe(m_b, *restB[j]));
  }

  static std::vector<const Graph::Item*> Pick(const std::vector<Graph::Item>& items, std::vector<uint64_t> only) {
    // `only` is sorted, one entry per surplus item.
    std::vector<const Graph::Item*> out;
    for (const Graph::Item& i : items) {
      auto at = std::lower_bound(only.begin(), only.end(), i.hash);
      if (at == only.end() || *at != i.hash) continue;
      only.erase(at);
      out.push_back(&i);
    }
    return out;
  }

  void Paired(const std::string& path, const Graph::Item& x, const Graph::Item& y) {
    if (x.key && y.key && x.key->shown != y.key->shown)
      Report(path, "key " + x.key->shown + " vs " + y.key->shown);
    const Token& a = *x.main;
    const Token& b = *y.main;
    if (a.type == Token::kValue) return Report(path, Field(a) + ": " + a.shown + " vs " + b.shown);
    if (a.type == Token::kRef)
      return Report(path, "reference " + (a.index ? m_a.Path(a.index) : std::string("null")) + " vs " +
                              (b.index ? m_b.Path(b.index) : std::string("null")));
    Compare(a.index, b.index);
  }

  const Graph& m_a;
  const Graph& m_b;
  std::vector<std::string> m_lines;
  bool m_truncated = false;
};

// Restores the file and traces it into graph; false with the reason.
bool Load(const char* argument, Graph& graph, std::string& shown, std::string& error) {
  tool::InputPath input(argument);
  shown = input.Shown();
  SSession* session = tool::RestoreInput(input, error);
  if (!session) return false;
  tool::SaveTrace trace(graph);
  trace.Run(*session);
  graph.Finish(trace);
  delete session;
  return true;
}

}  // namespace

int RunDiff(int argc, char** argv) {
  if (argc != 3) return tool::Usage("diff A B");
  Graph a, b;
  std::string shown, error;
  if (!Load(argv[1], a, shown, error) || !Load(argv[2], b, shown, error)) {
    tool::Fail("diff", shown.c_str(), error);
    return 2;
  }
  Comparison c(a, b);
  c.Compare(0, 0);
  if (c.Lines().empty()) return 0;
  for (const std::string& line : c.Lines()) std::printf("%s\n", line.c_str());
  if (c.Truncated()) std::printf("(further differences not shown)\n");
  return 1;
}
