// Conditional rules and their rule sets.
#include <cstring>

#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "props/value_text.h"
#include "tavrin/persist.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SCondRule);
TAVRIN_REGISTER_FACTORY(SRuleSet);

namespace {
// The texts of kinds 0 to 6, in kind order.
const char* const kRuleTypeTexts[] = {"All", "Class", "Net", "Group", "PinPair", "Layer", "PkgType"};
constexpr int kRuleTypeCount = 7;
}  // namespace

SCondRule::SCondRule() : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {}

SCondRule::~SCondRule() {
  DestroyAllRuleSets();
  tavrin::TextFree(m_source);
  tavrin::TextFree(m_target);
}

void SCondRule::SetSource(const char* text) { tavrin::SetText(m_heap, m_source, text); }
void SCondRule::SetTarget(const char* text) { tavrin::SetText(m_heap, m_target, text); }

int SCondRule::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

SCondRule::CondRuleObjType SCondRule::StrToRuleType(const char* text) {
  for (int k = 0; text && k < kRuleTypeCount; ++k)
    if (std::strcmp(text, kRuleTypeTexts[k]) == 0) return static_cast<CondRuleObjType>(k);
  return RULE_NONE;
}

// One string per thread, so that threads working on sessions of their own
// never share it; it is released when its thread ends.
CString& SCondRule::RuleTypeToStr(CondRuleObjType t) {
  thread_local CString text;
  const int k = static_cast<int>(t);
  text = k >= 0 && k < kRuleTypeCount ? kRuleTypeTexts[k] : "";
  return text;
}

SRuleSet* SCondRule::CreateRuleSet() {
  SRuleSet* rs = new (m_heap) SRuleSet();
  if (!rs) return nullptr;
  if (!m_ruleSets.insert(rs, m_heap)) {
    delete rs;
    return nullptr;
  }
  return rs;
}

// Null for a null name, as every named create.
SRuleSet* SCondRule::CreateRuleSet(const char* name) {
  if (!name) return nullptr;
  SRuleSet* rs = new (m_heap) SRuleSet();
  if (!rs) return nullptr;
  rs->SetName(name);
  if (!rs->GetName() || !m_ruleSets.insert(rs, m_heap)) {
    delete rs;
    return nullptr;
  }
  return rs;
}

// A rule set listed twice would be deleted twice.
bool SCondRule::AddRuleSet(SRuleSet* rs) { return rs && tavrin::InsertOnce(m_ruleSets, rs, m_heap); }

bool SCondRule::RemoveRuleSet(SRuleSet* rs) { return m_ruleSets.erase(rs, m_heap); }

bool SCondRule::DestroyRuleSet(SRuleSet* rs) {
  if (!rs || !m_ruleSets.erase(rs, m_heap)) return false;
  delete rs;
  return true;
}

bool SCondRule::DestroyAllRuleSets() {
  for (auto it = m_ruleSets.begin(); it != m_ruleSets.end(); ++it) delete *it;
  m_ruleSets.clear(m_heap);
  return true;
}

SRuleSet* SCondRule::GetRuleSet(const char* name) const { return tavrin::FindByName(m_ruleSets, name); }

// 1, 2. source and target; 3, 4. source and target kinds; 5. the id; 6, 7.
// the rule sets, count and references only (their records are not part of
// this one). Reading claims each rule set as owned and puts it at the head,
// so the list comes back reversed; a null, a wrong class or a rule set
// claimed before is damage.
Persistent::Error SCondRule::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  r.String(m_source);
  r.String(m_target);
  int32_t sourceType = m_sourceType, targetType = m_targetType;
  r.Int(sourceType);
  r.Int(targetType);
  m_sourceType = static_cast<CondRuleObjType>(sourceType);
  m_targetType = static_cast<CondRuleObjType>(targetType);
  r.Long(m_id);
  uint32_t n = r.Count(m_ruleSets.size());
  if (r.Writing()) {
    for (auto it = m_ruleSets.begin(); it != m_ruleSets.end(); ++it) s.WritePointer(*it);
    return r.Result();
  }
  for (uint32_t i = 0; i < n && r.ok(); ++i) {
    SRuleSet* rs = r.ReadChildHeader<SRuleSet>();
    if (!rs) break;
    if (!m_ruleSets.insert(rs, m_heap)) r.Unlinked(rs);
  }
  return r.Result();
}

SRuleSet::SRuleSet() {}

SRuleSet::~SRuleSet() { tavrin::TextFree(m_ruleSetName); }

void SRuleSet::SetName(const char* name) { tavrin::SetText(m_heap, m_ruleSetName, name); }

// 1. the design-element record (returned at once when damaged); 2. the
// rule-set name; 3. the id.
Persistent::Error SRuleSet::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SDesignElement::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.String(m_ruleSetName);
  r.Long(m_id);
  return r.Result();
}
