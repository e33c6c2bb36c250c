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
// The library record: the common part, the id, then the children, owned:
// key text, reference and record each, filed under the key read (not the
// child's name).
template <class T>
Persistent::Error SerializeLibrary(SLibrary& lib, PersistentStore& s, int32_t& id, RelMap<CharM, T*>& children) {
  Persistent::Error e = lib.SLibrary::Serialize(s);
  if (e) return e;
  if (!s.IsWriting()) children.SetHeap(lib.GetHeap());
  tavrin::Record r(s, lib.GetHeap());
  r.Long(id);
  r.ChildMap(children);
  return r.Result();
}
}  // namespace

// ---- packages ------------------------------------------------------------------------

SPackageLibrary::SPackageLibrary() { InternalUpdate(); }

// Deletes the packages its map holds; one whose entry a later package took
// over, or that Destroy unlinked, is no longer the library's.
SPackageLibrary::~SPackageLibrary() { tavrin::DeleteMapped(m_packages); }

SPackage* SPackageLibrary::CreatePackage(const char* name) {
  SPackage* p = tavrin::CreateNamedChild(m_packages, m_heap, name);
  if (p) p->SetPackageLibrary(this);
  return p;
}

SPackage* SPackageLibrary::GetPackage(const char* name) const { return m_packages.lookup(name); }

bool SPackageLibrary::HasPackage(const char* name) const { return name && m_packages.find(name) != m_packages.end(); }

bool SPackageLibrary::DestroyPackage(const char* name) { return name && m_packages.eraseKey(CharM(name)); }

Persistent::Error SPackageLibrary::Serialize(PersistentStore& s) {
  return SerializeLibrary(*this, s, m_id, m_packages);
}

// ---- pad stacks ----------------------------------------------------------------------

SPadStackLibrary::SPadStackLibrary() { InternalUpdate(); }

// As the package library's.
SPadStackLibrary::~SPadStackLibrary() { tavrin::DeleteMapped(m_padStacks); }

SPadStack* SPadStackLibrary::CreatePadStack(const char* name) {
  SPadStack* p = tavrin::CreateNamedChild(m_padStacks, m_heap, name);
  if (p) p->SetPadStackLibrary(this);
  return p;
}

SPadStack* SPadStackLibrary::GetPadStack(const char* name) const { return m_padStacks.lookup(name); }

bool SPadStackLibrary::HasPadStack(const char* name) const {
  return name && m_padStacks.find(name) != m_padStacks.end();
}

bool SPadStackLibrary::DestroyPadStack(const char* name) { return name && m_padStacks.eraseKey(CharM(name)); }

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

Persistent::Error SPinMappingLibrary::Serialize(PersistentStore& s) {
  return SerializeLibrary(*this, s, m_id, m_pinMappings);
}
