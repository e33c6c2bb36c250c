// Helpers shared by the attribute and constraint members of SDesignElement:
// name look-up in an assignment list and the text forms of values.
#ifndef TAVRIN_PROPS_VALUE_TEXT_H
#define TAVRIN_PROPS_VALUE_TEXT_H

#include <cstring>
#include <string>

#include "tavrin/props.h"

namespace tavrin {

// Exact, case-sensitive; a null name on either side never matches.
inline bool SameName(const char* stored, const char* name) {
  return stored && name && std::strcmp(stored, name) == 0;
}

// The first assignment of the list with that name, from the front.
template <class T>
T* FindByName(const RelLinkedList<T*>& list, const char* name) {
  if (!name) return nullptr;
  for (auto it = list.begin(); it != list.end(); ++it)
    if (SameName((*it)->GetName(), name)) return *it;
  return nullptr;
}

// Replaces the assignment's value by a new string value holding a copy of
// text. The text is copied first: it may belong to the value being replaced.
// False when memory is exhausted.
inline bool ReplaceWithString(SAssignment* a, const char* text) {
  std::string copy(text ? text : "");
  SStringValue* v = a->CreateStringValue();
  if (!v) return false;
  if (!text) return true;
  v->SetValue(copy.c_str());
  return v->GetValue() != nullptr;
}

// The text of a string value (its text), a real value ("%.12lf" of the
// value widened to double) or an integer value ("%ld"); false for any other
// value.
inline bool ValueText(SValue* v, CString& out) {
  if (SStringValue* s = SStringValue::Cast(v)) {
    out = s->GetValue() ? s->GetValue() : "";
    return true;
  }
  if (SRealValue* r = SRealValue::Cast(v)) {
    out.Format("%.12lf", static_cast<double>(r->GetValue()));
    return true;
  }
  if (SIntegerValue* i = SIntegerValue::Cast(v)) {
    out.Format("%ld", static_cast<long>(i->GetValue()));
    return true;
  }
  return false;
}

}  // namespace tavrin

#endif
