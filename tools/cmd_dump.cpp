// tavrin dump FILE: restores the file into a fresh session and prints its
// ownership tree, one object per line: class, name, number of owned children
// and the objects it refers to.
//
// The tree is taken from the session's own save walk, so every class is
// covered without a table here: a reference written just before the store
// enters a nested record is an owned child; any other reference belongs to
// the record being written.
#include <cstdio>
#include <string>
#include <vector>

#include <tavrin/design.h>
#include <tavrin/persist.h>
#include <tavrin/physical.h>
#include <tavrin/props.h>

#include "tool_common.h"

namespace {

const unsigned kShownReferences = 3;

class TreeTracer : public PersistentStore {
 public:
  struct Node {
    Node(const TavrinObject* o, int d) : object(o), depth(d) {}
    const TavrinObject* object;
    int depth;
    unsigned children = 0;
    std::vector<const TavrinObject*> references;
  };

  TreeTracer() : PersistentStore(1) { m_nodes.emplace_back(nullptr, 0); }

  // The walk ends: a reference still pending belongs to the last record.
  const std::vector<Node>& Finish() {
    Settle();
    return m_nodes;
  }

  unsigned WriteUnsigned(const void*, unsigned, unsigned count) override { return Field(count); }
  unsigned WriteDouble(const void*, unsigned, unsigned count) override { return Field(count); }
  unsigned WriteFloat(const void*, unsigned, unsigned count) override { return Field(count); }
  unsigned WriteLong(const void*, unsigned, unsigned count) override { return Field(count); }
  unsigned WriteKey(const void*, unsigned, unsigned count) override { return Field(count); }
  unsigned WriteInt(const void*, unsigned, unsigned count) override { return Field(count); }
  unsigned WriteChars(const char*, unsigned, unsigned count) override { return Field(count); }
  unsigned ReadUnsigned(void*, unsigned, unsigned) override { return 0; }
  unsigned ReadDouble(void*, unsigned, unsigned) override { return 0; }
  unsigned ReadFloat(void*, unsigned, unsigned) override { return 0; }
  unsigned ReadLong(void*, unsigned, unsigned) override { return 0; }
  unsigned ReadInt(void*, unsigned, unsigned) override { return 0; }
  unsigned ReadChars(char*, unsigned, unsigned) override { return 0; }
  unsigned ReadLine(char*, unsigned, unsigned) override { return 0; }
  long Tell() override { return 0; }
  bool Seek(long) override { return false; }
  TavrinObject* ReadPointer() override { return nullptr; }
  int WritePointer(const TavrinObject* obj) override {
    Settle();
    m_pending = obj;
    m_pendingDepth = Depth();
    return obj ? 1 : 0;
  }

 private:
  unsigned Field(unsigned count) {
    Settle();
    return count;
  }
  // Decides what the last reference was, now that the walk moved on.
  void Settle() {
    if (!m_pending) return;
    const TavrinObject* obj = m_pending;
    m_pending = nullptr;
    // Records nested deeper than the one that wrote the reference have ended.
    while (m_nodes[m_open.back()].depth > m_pendingDepth) m_open.pop_back();
    if (Depth() != m_pendingDepth + 1) {
      m_nodes[m_open.back()].references.push_back(obj);
      return;
    }
    ++m_nodes[m_open.back()].children;
    m_open.push_back(m_nodes.size());
    m_nodes.emplace_back(obj, m_pendingDepth + 1);
  }

  std::vector<Node> m_nodes;
  std::vector<std::size_t> m_open{0};
  const TavrinObject* m_pending = nullptr;
  int m_pendingDepth = 0;
};

template <class T>
bool NameOf(void* p, const char*& name) {
  const T* named = T::Cast(p);
  if (named) name = named->GetName() ? named->GetName() : "";
  return named != nullptr;
}

std::string Describe(const TavrinObject* obj) {
  std::string text = obj->GetClassName();
  if (text.compare(0, 6, "class ") == 0) text.erase(0, 6);
  // The named classes that are not design elements are listed here.
  void* p = const_cast<TavrinObject*>(obj);
  const char* name = nullptr;
  if (!NameOf<SDesignElement>(p, name) && !NameOf<SLibrary>(p, name) && !NameOf<SFile>(p, name) &&
      !NameOf<SAssignment>(p, name) && !NameOf<SConstraint>(p, name) && !NameOf<SConstraintSet>(p, name) &&
      !NameOf<SConstraintGroup>(p, name) && !NameOf<SPinMapping>(p, name) &&
      !NameOf<SConnectorPinInstance>(p, name))
    NameOf<SStackUp>(p, name);
  if (name) text += std::string(" \"") + name + '"';
  return text;
}

}  // namespace

int RunDump(int argc, char** argv) {
  if (argc != 2) return tool::Usage("dump FILE");
  tool::InputPath input(argv[1]);
  if (!input.Ok()) return tool::Fail("dump", input.Shown(), input.Error());
  SSession* session = AllocSession();
  if (!session) return tool::Fail("dump", input.Shown(), "out of memory");
  if (!tool::QuietRestore(*session, input.Path())) {
    tool::Fail("dump", input.Shown(), session->GetLastError());
    delete session;
    return 1;
  }
  TreeTracer tracer;
  session->Serialize(tracer);
  for (const TreeTracer::Node& n : tracer.Finish()) {
    std::string line(static_cast<std::size_t>(n.depth) * 2, ' ');
    line += n.object ? Describe(n.object) : "SSession";
    if (n.children) line += " children=" + std::to_string(n.children);
    if (!n.references.empty()) {
      line += " refs=" + std::to_string(n.references.size()) + ":";
      for (std::size_t i = 0; i < n.references.size() && i < kShownReferences; ++i)
        line += (i ? ", " : " ") + Describe(n.references[i]);
      if (n.references.size() > kShownReferences) line += ", ...";
    }
    std::printf("%s\n", line.c_str());
  }
  delete session;
  return 0;
}
