#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/design.h"
#include "tavrin/physical.h"

TAVRIN_REGISTER_FACTORY(SPackageLibrary);
TAVRIN_REGISTER_FACTORY(SPadStackLibrary);
TAVRIN_REGISTER_FACTORY(SPinMappingLibrary);

SLibrary::SLibrary()
    : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {}

// Releases the texts (a library outside any session would leak them).
SLibrary::~SLibrary() {
  tavrin::TextFree(m_location);
  tavrin::TextFree(m_name);
}

void SLibrary::SetLocation(const char* location) { tavrin::SetText(m_heap, m_location, location); }
void SLibrary::SetName(const char* name) { tavrin::SetText(m_heap, m_name, name); }

int SLibrary::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

Persistent::Error SLibrary::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  r.Long(m_accessType);
  r.CountedString(m_location);
  r.CountedString(m_name);
  return r.Result();
}

namespace {
// The library record: the common part, the id, then the children. Packages
// and pad stacks do not exist yet, so those libraries hold no children:
// their record writes a count of 0, and a file that claims children is
// damaged.
template <class T, class F>
Persistent::Error SerializeLibrary(SLibrary& lib, PersistentStore& s, int32_t& id, RelMap<CharM, T*>& children,
                                   F serializeChildren) {
  Persistent::Error e = lib.SLibrary::Serialize(s);
  if (e) return e;
  if (!s.IsWriting()) children.SetHeap(lib.GetHeap());
  tavrin::Record r(s, lib.GetHeap());
  r.Long(id);
  serializeChildren(r);
  return r.Result();
}
template <class T>
Persistent::Error SerializeLibrary(SLibrary& lib, PersistentStore& s, int32_t& id, RelMap<CharM, T*>& children) {
  return SerializeLibrary(lib, s, id, children, [&children](tavrin::Record& r) { r.NoneYet(children.size()); });
}
}  // namespace

SPackageLibrary::SPackageLibrary() { InternalUpdate(); }
SPackageLibrary::~SPackageLibrary() { if (!m_heap) m_packages.clear(); }
Persistent::Error SPackageLibrary::Serialize(PersistentStore& s) {
  return SerializeLibrary(*this, s, m_id, m_packages);
}

SPadStackLibrary::SPadStackLibrary() { InternalUpdate(); }
SPadStackLibrary::~SPadStackLibrary() { if (!m_heap) m_padStacks.clear(); }
Persistent::Error SPadStackLibrary::Serialize(PersistentStore& s) {
  return SerializeLibrary(*this, s, m_id, m_padStacks);
}

// ---- pin mappings ----------------------------------------------------------------------

SPinMappingLibrary::SPinMappingLibrary() { InternalUpdate(); }

// Deletes the mappings its map holds; one whose entry a later mapping took
// over, or that Destroy unlinked, is no longer the library's.
SPinMappingLibrary::~SPinMappingLibrary() { tavrin::DeleteMapped(m_pinMappings); }

SPinMapping* SPinMappingLibrary::CreatePinMapping(const char* name) {
  SPinMapping* m = tavrin::CreateNamedChild(m_pinMappings, m_heap, name);
  if (m) m->SetPinMappingLibrary(this);
  return m;
}

SPinMapping* SPinMappingLibrary::GetPinMapping(const char* name) const { return m_pinMappings.lookup(name); }

bool SPinMappingLibrary::HasPinMapping(const char* name) const {
  return name && m_pinMappings.find(name) != m_pinMappings.end();
}

bool SPinMappingLibrary::DestroyPinMapping(const char* name) { return name && m_pinMappings.eraseKey(CharM(name)); }

// The mappings are owned: key text, reference and record each, filed under
// the key read.
Persistent::Error SPinMappingLibrary::Serialize(PersistentStore& s) {
  return SerializeLibrary(*this, s, m_id, m_pinMappings, [this](tavrin::Record& r) { r.ChildMap(m_pinMappings); });
}
