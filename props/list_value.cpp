#include <new>
#include <vector>

#include "persist/record.h"
#include "tavrin/persist.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SListValue);

SListValue::SListValue() : m_id(static_cast<int32_t>(GTavrinServer::GetNewId())) {}

template <class Stack>
void SListValue::ReleaseElements(Stack& nested) {
  for (auto it = m_all.begin(); it != m_all.end(); ++it) {
    SValue* v = *it;
    if (v->GetType() == TAVRIN_LIST_VALUE) {
      try {
        nested.push_back(static_cast<SListValue*>(v));
        continue;
      } catch (const std::bad_alloc&) {
        // No room to queue it: delete it here, recursively.
      }
    }
    delete v;
  }
  m_all.clear(m_heap);
  m_enumerated.clear(m_heap);
  m_booleans.clear(m_heap);
  m_strings.clear(m_heap);
  m_integers.clear(m_heap);
  m_reals.clear(m_heap);
  m_unitless.clear(m_heap);
  m_lists.clear(m_heap);
  m_ranges.clear(m_heap);
}

SListValue::~SListValue() {
  // Nested lists are emptied here, one level at a time, and deleted once
  // empty, so their own destructors find nothing to recurse into.
  std::vector<SListValue*> nested;
  ReleaseElements(nested);
  while (!nested.empty()) {
    SListValue* l = nested.back();
    nested.pop_back();
    l->ReleaseElements(nested);
    delete l;
  }
}

template <class T>
T* SListValue::CreateElement(RelLinkedList<T*>& typed) {
  T* v = new (m_heap) T();
  if (!v) return nullptr;
  if (!typed.insert(v, m_heap)) {
    delete v;
    return nullptr;
  }
  if (!m_all.insert(v, m_heap)) {
    typed.erase(v, m_heap);
    delete v;
    return nullptr;
  }
  return v;
}

SEnumeratedValue* SListValue::CreateEnumeratedValue() { return CreateElement(m_enumerated); }
SBooleanValue* SListValue::CreateBooleanValue() { return CreateElement(m_booleans); }
SStringValue* SListValue::CreateStringValue() { return CreateElement(m_strings); }
SIntegerValue* SListValue::CreateIntegerValue() { return CreateElement(m_integers); }
SRealValue* SListValue::CreateRealValue() { return CreateElement(m_reals); }
SUnitlessValue* SListValue::CreateUnitlessValue() { return CreateElement(m_unitless); }
SListValue* SListValue::CreateListValue() { return CreateElement(m_lists); }
SRangeValue* SListValue::CreateRangeValue() { return CreateElement(m_ranges); }

namespace {
template <class T>
void EraseTyped(RelLinkedList<T*>& list, SValue* v, HANDLEMA* heap) {
  list.erase(static_cast<T*>(v), heap);
}
}  // namespace

bool SListValue::DestroyValue(SValue* v) {
  if (!v || !m_all.erase(v, m_heap)) return false;
  switch (v->GetType()) {
    case TAVRIN_ENUMERATED_VALUE: EraseTyped(m_enumerated, v, m_heap); break;
    case TAVRIN_BOOLEAN_VALUE: EraseTyped(m_booleans, v, m_heap); break;
    case TAVRIN_STRING_VALUE: EraseTyped(m_strings, v, m_heap); break;
    case TAVRIN_INTEGER_VALUE: EraseTyped(m_integers, v, m_heap); break;
    case TAVRIN_REAL_VALUE: EraseTyped(m_reals, v, m_heap); break;
    case TAVRIN_UNITLESS_VALUE: EraseTyped(m_unitless, v, m_heap); break;
    case TAVRIN_LIST_VALUE: EraseTyped(m_lists, v, m_heap); break;
    case TAVRIN_RANGE_VALUE: EraseTyped(m_ranges, v, m_heap); break;
    default: break;
  }
  delete v;
  return true;
}

// One typed list: its count, then each element's reference and record. Each
// element read must be of the list's class; it is linked at the front of the
// typed list and of the all-values list before its record is read.
template <class T>
void SListValue::SerializeTyped(tavrin::Record& r, RelLinkedList<T*>& typed) {
  r.ChildList(typed, m_heap, [&](T* c) {
    if (!m_all.insert(c, m_heap)) {
      typed.erase(c, m_heap);
      r.Unlinked(c);
    }
  });
}

Persistent::Error SListValue::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SValue::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Long(m_id);
  SerializeTyped(r, m_enumerated);
  SerializeTyped(r, m_booleans);
  SerializeTyped(r, m_strings);
  SerializeTyped(r, m_integers);
  SerializeTyped(r, m_reals);
  SerializeTyped(r, m_unitless);
  SerializeTyped(r, m_lists);
  SerializeTyped(r, m_ranges);
  return r.Result();
}
