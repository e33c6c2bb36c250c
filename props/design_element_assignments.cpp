// The attribute and assignment members of SDesignElement, and its two owned
// lists: attributes and constraint instances.
#include <cstring>

#include "persist/record.h"
#include "props/value_text.h"
#include "tavrin/core.h"
#include "tavrin/persist.h"
#include "tavrin/props.h"

using tavrin::FindByName;

// Constraint instances first, then attributes, as the destructor order wants;
// then the nodes of the attribute list, then of the instance list.
void SDesignElement::DestroyAssignmentLists() {
  for (auto it = m_constraintInstances.begin(); it != m_constraintInstances.end(); ++it) delete *it;
  for (auto it = m_attributes.begin(); it != m_attributes.end(); ++it) delete *it;
  m_attributes.clear(m_heap);
  m_constraintInstances.clear(m_heap);
}

// Record items 7 to 10. Each element read must be of the list's class;
// anything else makes the record damaged.
void SDesignElement::SerializeAssignmentLists(tavrin::Record& r) {
  r.ChildList(m_attributes, m_heap);
  r.ChildList(m_constraintInstances, m_heap);
}

SAttribute* SDesignElement::CreateAttribute(const char* name) {
  if (!name) return nullptr;
  SAttribute* a = new (m_heap) SAttribute();
  if (!a) return nullptr;
  a->SetName(name);
  if (!a->GetName() || !m_attributes.insert(a, m_heap)) {
    delete a;
    return nullptr;
  }
  return a;
}

SAssignment* SDesignElement::GetAttribute(const char* name) const { return FindByName(m_attributes, name); }

SAssignment* SDesignElement::GetConstraint(const char* name) const {
  return FindByName(m_constraintInstances, name);
}

SAssignment* SDesignElement::GetAssignment(const char* name) const {
  if (SAssignment* a = GetConstraint(name)) return a;
  return GetAttribute(name);
}

bool SDesignElement::HasAssignment(const char* name) { return GetAssignment(name) != nullptr; }

bool SDesignElement::RemoveAssignment(SAssignment* a) {
  if (SAttribute* at = SAttribute::Cast(a)) {
    m_attributes.erase(at, m_heap);
  } else if (SConstraintInstance* ci = SConstraintInstance::Cast(a)) {
    m_constraintInstances.erase(ci, m_heap);
  }
  return true;
}

bool SDesignElement::DestroyAssignment(const char* name) {
  SAssignment* a = GetAssignment(name);
  if (!a) return false;
  return RemoveAssignment(a);
}

void SDesignElement::RemoveAttribute(const char* name) {
  SAssignment* a = GetAssignment(name);
  if (!a) return;
  a->DestroyValue();
  RemoveAssignment(a);
}

void SDesignElement::SetAttribute(const char* name, const char* text) {
  SAssignment* a = GetAssignment(name);
  if (!a) a = CreateAttribute(name);
  if (a) tavrin::ReplaceWithString(a, text);
}

void SDesignElement::SetAttribute(const char* name, int v) {
  if (!m_bNativeMode) {
    CString text;
    text.Format("%d", v);
    SetAttribute(name, text.GetString());
    return;
  }
  SAssignment* a = GetAssignment(name);
  if (!a) a = CreateAttribute(name);
  if (!a) return;
  SIntegerValue* value = SIntegerValue::Cast(a->GetValue());
  if (!value) value = a->CreateIntegerValue();
  if (value) value->SetValue(v);
}

void SDesignElement::SetAttribute(const char* name, float v) {
  if (!m_bNativeMode) {
    CString text;
    text.Format("%f", static_cast<double>(v));
    SetAttribute(name, text.GetString());
    return;
  }
  SAssignment* a = GetAssignment(name);
  if (!a) a = CreateAttribute(name);
  if (!a) return;
  SRealValue* value = SRealValue::Cast(a->GetValue());
  if (!value) value = a->CreateRealValue();
  if (value) value->SetValue(v);
}

bool SDesignElement::GetAttribute(const char* name, CString& out) const {
  SAssignment* a = GetAssignment(name);
  if (!a) {
    out.Empty();
    return false;
  }
  if (!a->GetValue()) return true;
  if (tavrin::ValueText(a->GetValue(), out)) return true;
  out.Empty();
  return false;
}

bool SDesignElement::GetAttribute(const char* name, int& out) const {
  SAssignment* a = GetAssignment(name);
  if (!a) return false;
  if (!a->GetValue()) {
    out = 0;
    return true;
  }
  SIntegerValue* v = SIntegerValue::Cast(a->GetValue());
  if (!v) return false;
  out = v->GetValue();
  return true;
}

bool SDesignElement::GetAttribute(const char* name, float& out) const {
  SAssignment* a = GetAssignment(name);
  if (!a) return false;
  if (!a->GetValue()) {
    out = 0;
    return true;
  }
  SRealValue* v = SRealValue::Cast(a->GetValue());
  if (!v) return false;
  out = v->GetValue();
  return true;
}

void SDesignElement::CopyAttributes(SDesignElement* source) {
  if (!source) return;
  for (auto it = source->m_attributes.begin(); it != source->m_attributes.end(); ++it) {
    SAttribute* a = *it;
    if (tavrin::SameName(a->GetName(), "LASTSYSCONFIG")) continue;
    SStringValue* s = SStringValue::Cast(a->GetValue());
    SetAttribute(a->GetName(), s && s->GetValue() ? s->GetValue() : "");
  }
}
