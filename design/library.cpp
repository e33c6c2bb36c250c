#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/design.h"

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
// The child classes of the libraries (packages, pad stacks, pin mappings)
// do not exist yet, so a library holds no children: its record writes a
// count of 0, and a file that claims children is damaged.
template <class T>
Persistent::Error SerializeLibrary(SLibrary& lib, PersistentStore& s, int32_t& id,
                                   RelMap<CharM, T*>& children) {
  Persistent::Error e = lib.SLibrary::Serialize(s);
  if (e) return e;
  if (!s.IsWriting()) children.SetHeap(lib.GetHeap());
  tavrin::Record r(s, lib.GetHeap());
  r.Long(id);
  if (r.Count(children.size()) != 0 && r.Reading()) s.MarkDamaged();
  return r.Result();
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

SPinMappingLibrary::SPinMappingLibrary() { InternalUpdate(); }
SPinMappingLibrary::~SPinMappingLibrary() { if (!m_heap) m_pinMappings.clear(); }
Persistent::Error SPinMappingLibrary::Serialize(PersistentStore& s) {
  return SerializeLibrary(*this, s, m_id, m_pinMappings);
}
