// Modules: the board view of a cell, with its index of part instances, its
// layout, its differential pairs, its object types and conditional rules.
#include <cstring>

#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/connect.h"
#include "tavrin/physical.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SModule);

SModule::SModule() {
  m_partInstanceIndex.SetHeap(m_heap);
  m_objectTypes.SetHeap(m_heap);
}

// The index refers to instances the representation owns: only its nodes go.
SModule::~SModule() {
  delete m_layout;
  m_layout = nullptr;
  DestroyAllObjectTypes();
  DestroyAllCondRules();
  m_partInstanceIndex.clear();
  tavrin::TextFree(m_text);
  m_text = nullptr;
}

void SModule::InternalUpdate() {
  m_partInstanceIndex.SetHeap(m_heap);
  m_objectTypes.SetHeap(m_heap);
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

// ---- object types ------------------------------------------------------------------------

SObjectType* SModule::CreateObjectType(const char* name) {
  if (!name || m_objectTypes.find(name) != m_objectTypes.end()) return nullptr;
  return tavrin::CreateNamedChild(m_objectTypes, m_heap, name);
}

bool SModule::SetObjectType(const char* name, SObjectType* ot) {
  if (!name || !ot || !ot->GetName()) return false;
  if (m_objectTypes.find(name) != m_objectTypes.end()) return false;
  return !RelMap<CharM, SObjectType*>::Failed(m_objectTypes.insert(CharM(ot->GetName()), ot));
}

SObjectType* SModule::GetObjectType(const char* name) const { return m_objectTypes.lookup(name); }

bool SModule::HasObjectType(const char* name) const { return GetObjectType(name) != nullptr; }

// Every entry holding ot goes (a renamed type entered again stands twice),
// so that deleting it leaves no entry behind.
bool SModule::RemoveObjectType(SObjectType* ot) {
  for (auto it = m_objectTypes.begin(); ot && it != m_objectTypes.end(); ++it)
    if (it->second == ot) m_objectTypes.erase(it);
  return true;
}

// A type of another module, or of none, is not this module's to delete.
bool SModule::DestroyObjectType(SObjectType* ot) {
  bool held = false;
  for (auto it = m_objectTypes.begin(); ot && !held && it != m_objectTypes.end(); ++it) held = it->second == ot;
  if (!held) return false;
  RemoveObjectType(ot);
  delete ot;
  return true;
}

bool SModule::DestroyAllObjectTypes() {
  tavrin::DeleteMapped(m_objectTypes);
  return true;
}

// ---- conditional rules -------------------------------------------------------------------

SCondRule* SModule::CreateCondRule() {
  SCondRule* r = new (m_heap) SCondRule();
  if (!r) return nullptr;
  if (!m_condRules.insert(r, m_heap)) {
    delete r;
    return nullptr;
  }
  return r;
}

SCondRule* SModule::CreateCondRule(const char* source, SCondRule::CondRuleObjType sourceType, const char* target,
                                   SCondRule::CondRuleObjType targetType) {
  SCondRule* r = CreateCondRule();
  if (!r) return nullptr;
  r->SetSource(source);
  r->SetSourceType(sourceType);
  r->SetTarget(target);
  r->SetTargetType(targetType);
  if ((source && !r->GetSource()) || (target && !r->GetTarget())) {
    m_condRules.erase(r, m_heap);
    delete r;
    return nullptr;
  }
  return r;
}

SCondRule* SModule::CreateCondRule(const char* source, const char* sourceType, const char* target,
                                   const char* targetType) {
  return CreateCondRule(source, SCondRule::StrToRuleType(sourceType), target, SCondRule::StrToRuleType(targetType));
}

namespace {
bool SameText(const char* stored, const char* text) { return stored && text && std::strcmp(stored, text) == 0; }
bool Joins(const SCondRule* r, const char* source, const char* target) {
  return SameText(r->GetSource(), source) && SameText(r->GetTarget(), target);
}
}  // namespace

SCondRule* SModule::GetCondRule(const char* source, SCondRule::CondRuleObjType sourceType, const char* target,
                                SCondRule::CondRuleObjType targetType) const {
  for (auto it = m_condRules.begin(); it != m_condRules.end(); ++it) {
    SCondRule* r = *it;
    if (r->GetSourceType() == sourceType && r->GetTargetType() == targetType && Joins(r, source, target)) return r;
  }
  return nullptr;
}

SCondRule* SModule::GetFirstCondRule(const char* source, const char* target, CondRuleIterator& it) const {
  for (it = m_condRules.begin(); it != m_condRules.end(); ++it)
    if (Joins(*it, source, target)) return *it;
  return nullptr;
}

SCondRule* SModule::GetNextCondRule(const char* source, const char* target, CondRuleIterator& it) const {
  if (it == CondRuleIterator()) return nullptr;
  for (++it; it != CondRuleIterator(); ++it)
    if (Joins(*it, source, target)) return *it;
  return nullptr;
}

bool SModule::RemoveCondRule(SCondRule* r) { return r && m_condRules.erase(r, m_heap); }

// A rule of another module keeps its rule sets: nothing is touched unless
// this module holds it.
bool SModule::DestroyCondRule(SCondRule* r) {
  if (!r || !m_condRules.erase(r, m_heap)) return false;
  r->DestroyAllRuleSets();
  delete r;
  return true;
}

bool SModule::DestroyAllCondRules() {
  for (auto it = m_condRules.begin(); it != m_condRules.end(); ++it) {
    (*it)->DestroyAllRuleSets();
    delete *it;
  }
  m_condRules.clear(m_heap);
  return true;
}

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
