// The constraint members of SDesignElement. Every one of them searches the
// constraint-instance list only.
#include <cstring>

#include "props/numeric.h"
#include "props/value_text.h"
#include "tavrin/core.h"
#include "tavrin/props.h"

namespace {

SConstraintInstance* FindInstance(const SDesignElement& e, const char* name) {
  return tavrin::FindByName(e.GetAllConstraintInstances(), name);
}

SConstraintInstance* FindOrCreateInstance(SDesignElement& e, const char* name) {
  if (SConstraintInstance* ci = FindInstance(e, name)) return ci;
  return e.CreateConstraintInstance(name, nullptr);
}

// The found instance's drcCode, for callers that asked for it.
void ReportDrc(const SConstraintInstance* ci, int* drc) {
  if (drc) *drc = ci->GetDrcCode();
}

}  // namespace

SConstraintInstance* SDesignElement::CreateConstraintInstance(const char* name, SConstraint* c) {
  if (!name) return nullptr;
  SConstraintInstance* ci = new (m_heap) SConstraintInstance();
  if (!ci) return nullptr;
  ci->SetName(name);
  if (!ci->GetName() || !m_constraintInstances.insert(ci, m_heap)) {
    delete ci;
    return nullptr;
  }
  ci->SetConstraint(c);
  return ci;
}

int SDesignElement::SetConstraint(const char* name, const char* text, int drc) {
  SConstraintInstance* ci = FindOrCreateInstance(*this, name);
  if (!ci) return 0;
  if (!tavrin::ReplaceWithString(ci, text)) return 0;
  ci->SetDrcCode(drc);
  return 1;
}

int SDesignElement::SetConstraint(const char* name, int v, int drc) {
  if (!m_bNativeMode) {
    CString text;
    text.Format("%d", v);
    return SetConstraint(name, text.GetString(), 0);
  }
  SConstraintInstance* ci = FindOrCreateInstance(*this, name);
  SIntegerValue* value = ci ? ci->CreateIntegerValue() : nullptr;
  if (!value) return 0;
  value->SetValue(v);
  ci->SetDrcCode(drc);
  return 1;
}

int SDesignElement::SetConstraint(const char* name, float v, int drc) {
  if (!m_bNativeMode) {
    CString text;
    text.Format("%f", static_cast<double>(v));
    return SetConstraint(name, text.GetString(), 0);
  }
  SConstraintInstance* ci = FindOrCreateInstance(*this, name);
  SRealValue* value = ci ? ci->CreateRealValue() : nullptr;
  if (!value) return 0;
  value->SetValue(v);
  ci->SetDrcCode(drc);
  return 1;
}

int SDesignElement::SetBoolConstraint(const char* name, int v, int drc) {
  if (!m_bNativeMode) return SetConstraint(name, v ? "TRUE" : "FALSE", 0);
  SConstraintInstance* ci = FindOrCreateInstance(*this, name);
  SBooleanValue* value = ci ? ci->CreateBooleanValue() : nullptr;
  if (!value) return 0;
  value->SetValue(v != 0);
  ci->SetDrcCode(drc);
  return 1;
}

int SDesignElement::GetConstraint(const char* name, CString& out, int* drc) const {
  out.Empty();
  SConstraintInstance* ci = FindInstance(*this, name);
  if (!ci) return 0;
  ReportDrc(ci, drc);
  SStringValue* s = SStringValue::Cast(ci->GetValue());
  if (!s) return 0;
  out = s->GetValue() ? s->GetValue() : "";
  return 1;
}

int SDesignElement::GetConstraintStr(const char* name, CString& out, int* drc) const {
  SConstraintInstance* ci = FindInstance(*this, name);
  if (!ci) {
    out.Empty();
    return 0;
  }
  ReportDrc(ci, drc);
  if (!ci->GetValue()) return 1;
  if (tavrin::ValueText(ci->GetValue(), out)) return 1;
  out.Empty();
  return 0;
}

int SDesignElement::GetConstraint(const char* name, int& out, int* drc) const {
  out = kNoIntConstraint;
  SConstraintInstance* ci = FindInstance(*this, name);
  if (!ci) return 0;
  ReportDrc(ci, drc);
  if (SIntegerValue* i = SIntegerValue::Cast(ci->GetValue())) {
    out = i->GetValue();
    return 1;
  }
  if (SStringValue* s = SStringValue::Cast(ci->GetValue())) {
    out = tavrin::DecimalToInt(s->GetValue());
    return 1;
  }
  return 0;
}

int SDesignElement::GetConstraint(const char* name, float& out, int* drc) const {
  out = kNoFloatConstraint;
  SConstraintInstance* ci = FindInstance(*this, name);
  if (!ci) return 0;
  ReportDrc(ci, drc);
  if (SRealValue* r = SRealValue::Cast(ci->GetValue())) {
    out = r->GetValue();
    return 1;
  }
  if (SStringValue* s = SStringValue::Cast(ci->GetValue())) {
    out = tavrin::DecimalToFloat(s->GetValue());
    return 1;
  }
  return 0;
}

int SDesignElement::GetBoolConstraint(const char* name, int& out, int* drc) const {
  out = -1;
  SConstraintInstance* ci = FindInstance(*this, name);
  if (!ci) return 0;
  ReportDrc(ci, drc);
  if (SBooleanValue* b = SBooleanValue::Cast(ci->GetValue())) {
    out = b->GetValue() ? 1 : 0;
    return 1;
  }
  if (SStringValue* s = SStringValue::Cast(ci->GetValue())) {
    CString text(s->GetValue());
    out = (text.CompareNoCase("FALSE") == 0 || text == "0") ? 0 : 1;
    return 1;
  }
  return 0;
}

void SDesignElement::RemoveConstraint(const char* name) {
  SConstraintInstance* ci = FindInstance(*this, name);
  if (!ci) return;
  ci->DestroyValue();
  m_constraintInstances.erase(ci, m_heap);
}

void SDesignElement::CopyConstraintInstances(SDesignElement* source) {
  if (!source) return;
  for (auto it = source->m_constraintInstances.begin(); it != source->m_constraintInstances.end(); ++it) {
    SConstraintInstance* ci = *it;
    SValue* v = ci->GetValue();
    if (SStringValue* s = SStringValue::Cast(v)) {
      SetConstraint(ci->GetName(), s->GetValue(), 0);
    } else if (SRealValue* r = SRealValue::Cast(v)) {
      SetConstraint(ci->GetName(), r->GetValue(), 0);
    } else if (SIntegerValue* i = SIntegerValue::Cast(v)) {
      SetConstraint(ci->GetName(), i->GetValue(), 0);
    }
  }
}
