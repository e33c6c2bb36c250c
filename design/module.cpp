// Modules: the board view of a cell, with its index of part instances, its
// layout and its differential pairs.
#include <cstring>

#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/connect.h"
#include "tavrin/physical.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SModule);

SModule::SModule() { m_partInstanceIndex.SetHeap(m_heap); }

// The index refers to instances the representation owns: only its nodes go.
SModule::~SModule() {
  delete m_layout;
  m_layout = nullptr;
  m_partInstanceIndex.clear();
  tavrin::TextFree(m_text);
  m_text = nullptr;
}

void SModule::InternalUpdate() {
  m_partInstanceIndex.SetHeap(m_heap);
  SPhysicalRepresentation::InternalUpdate();
}

// ---- layout ------------------------------------------------------------------------------

SLayout* SModule::CreateLayout() {
  SLayout* layout = new (m_heap) SLayout();
  if (!layout) return nullptr;
  delete m_layout;
  m_layout = layout;
  return layout;
}

bool SModule::DestroyLayout() {
  delete m_layout;
  m_layout = nullptr;
  return true;
}

// ---- part-instance index -------------------------------------------------------------------

bool SModule::SetPartInstance(const char* name, SPartInstance* pi) {
  if (!name || !pi || !pi->GetName()) return false;
  if (m_partInstanceIndex.find(name) != m_partInstanceIndex.end()) return false;
  return !RelMap<CharM, SPartInstance*>::Failed(m_partInstanceIndex.insert(CharM(pi->GetName()), pi));
}

SPartInstance* SModule::GetPartInstance(const char* name) const { return m_partInstanceIndex.lookup(name); }

bool SModule::HasPartInstance(const char* name) const {
  return name && m_partInstanceIndex.find(name) != m_partInstanceIndex.end();
}

bool SModule::RemovePartInstance(const char* name) { return name && m_partInstanceIndex.eraseKey(CharM(name)); }

// The package type is the instance's "PKG_TYPE" assignment, else its cell's
// (an instance without a cell has only its own).
SPartInstance* SModule::FindPartInstance(const char* name, const char* pkgType) const {
  SPartInstance* pi = GetPartInstance(name);
  if (!pi || !pkgType || !*pkgType) return pi;
  SAssignment* a = pi->GetAssignment("PKG_TYPE");
  if (!a && pi->GetCell()) a = pi->GetCell()->GetAssignment("PKG_TYPE");
  SStringValue* v = a ? SStringValue::Cast(a->GetValue()) : nullptr;
  return v && v->GetValue() && std::strcmp(v->GetValue(), pkgType) == 0 ? pi : nullptr;
}

SPartPinInstance* SModule::FindCorrespondingPartPinInstance(SPartPinInstance* ppi) const {
  if (!ppi || !ppi->GetPartInstance()) return nullptr;
  SPartInstance* pi = GetPartInstance(ppi->GetPartInstance()->GetName());
  return pi && ppi->GetName() ? pi->GetPartPinInstance(ppi->GetName()) : nullptr;
}

// ---- differential pairs --------------------------------------------------------------------

bool SModule::CreateDiffPair(SNetScalar* a, SNetScalar* b) {
  if (!a || !b) return false;
  bool ok = a->SetDiffNet(b->GetName());
  return b->SetDiffNet(a->GetName()) && ok;
}

bool SModule::DeleteDiffPair(SNetScalar* a, SNetScalar* b) {
  if (!a || !b) return false;
  a->SetDiffNet(static_cast<const char*>(nullptr));
  b->SetDiffNet(static_cast<const char*>(nullptr));
  return true;
}

bool SModule::CreateDiffPair(const char* a, const char* b) {
  SNetScalar* na = SNetScalar::Cast(GetNet(a));
  SNetScalar* nb = SNetScalar::Cast(GetNet(b));
  return na && nb && CreateDiffPair(na, nb);
}

bool SModule::DeleteDiffPair(const char* a, const char* b) {
  SNetScalar* na = SNetScalar::Cast(GetNet(a));
  SNetScalar* nb = SNetScalar::Cast(GetNet(b));
  return na && nb && DeleteDiffPair(na, nb);
}

SDiffPair* SModule::CreateDiffPair2(const char* name, SElectricalNet* a, SElectricalNet* b) {
  if (!a || !b) return nullptr;
  SDiffPair* d = CreateDiffPair(name);
  if (!d) return nullptr;
  d->InsertElectricalNet(a);
  d->InsertElectricalNet(b);
  return d;
}

SDiffPair* SModule::CreateDiffPair2(const char* name, const char* a, const char* b) {
  return CreateDiffPair2(name, GetElectricalNet(a), GetElectricalNet(b));
}

bool SModule::DeleteDiffPair2(const char* name) { return GetDiffPair(name) && DestroyCollection(name); }

// ---- record --------------------------------------------------------------------------------

// 1. the physical representation record; 2. the text; 3. the part-instance
// index, each entry as its key and a reference (filed under the key read:
// the instance's own record may come later in the file); 4. the id; 5. the
// layout (owned, or null). Object types and conditional rules are not
// written.
Persistent::Error SModule::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SPhysicalRepresentation::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.String(m_text);
  r.ReferenceMap(m_partInstanceIndex);
  r.Long(m_id);
  if (r.Reading() && m_layout) {
    delete m_layout;
    m_layout = nullptr;
  }
  r.OptionalChild(m_layout);
  return r.Result();
}
