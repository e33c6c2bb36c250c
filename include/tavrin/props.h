// Properties and constraints: typed values and length units; attributes,
// assignments and properties; constraints, constraint sets, groups,
// instances and overrides; conditional rules, rule sets and OAT contexts;
// generic objects and their types.
#ifndef TAVRIN_PROPS_H
#define TAVRIN_PROPS_H

#include <cstdint>

#include "tavrin/containers.h"
#include "tavrin/core.h"
#include "tavrin/export.h"

// ---- value types and units -------------------------------------------------

// The type number of every value class (SValue::GetType).
enum g_TavrinValueType : int {
  TAVRIN_VALUE = 0,
  TAVRIN_SCALAR_VALUE = 1,
  TAVRIN_STRING_VALUE = 2,
  TAVRIN_NUMERIC_VALUE = 3,
  TAVRIN_REAL_VALUE = 4,
  TAVRIN_INTEGER_VALUE = 5,
  TAVRIN_BOOLEAN_VALUE = 6,
  TAVRIN_ENUMERATED_VALUE = 7,
  TAVRIN_UNITLESS_VALUE = 8,
  TAVRIN_LIST_VALUE = 9,
  TAVRIN_RANGE_VALUE = 10
};

// Length units. Lengths are held as 32-bit counts of the internal unit,
// 1/1500 micrometre. Any other number is an unknown unit.
enum g_TavrinUnitType : int {
  TAVRIN_UNIT_INTERNAL = 0,          // 1 internal unit
  TAVRIN_UNIT_MIL = 1,               // 38100 internal units
  TAVRIN_UNIT_CM = 2,                // 15000000
  TAVRIN_UNIT_MM = 3,                // 1500000
  TAVRIN_UNIT_MICRON = 4,            // 1500
  TAVRIN_UNIT_INCH = 5,              // 38100000
  TAVRIN_UNIT_HUNDREDTH_MICRON = 6   // 15
};

namespace tavrin {
// Internal units per one unit; 0 for an unknown unit.
TAVRIN_API double UnitFactor(g_TavrinUnitType unit);
// A length in internal units expressed in `unit`; 0.0 for an unknown unit.
TAVRIN_API double ToUnits(long value, g_TavrinUnitType unit);
// An amount in `unit` as internal units, truncated toward zero; 0 for an
// unknown unit. Amounts beyond the 32-bit range saturate at its ends, and a
// NaN gives 0.
TAVRIN_API int32_t FromUnits(double amount, g_TavrinUnitType unit);
}  // namespace tavrin

class SValue;
class SScalarValue;
class SStringValue;
class SNumericValue;
class SRealValue;
class SIntegerValue;
class SBooleanValue;
class SEnumeratedValue;
class SUnitlessValue;
class SListValue;
class SRangeValue;

// ---- values -------------------------------------------------------------------

// A small typed value owned by exactly one holder (an assignment, a range
// bound slot or a list value).
class TAVRIN_API SValue : public TavrinObject {
  TAVRIN_CLASS(SValue)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  ~SValue() override;

  // Only a range value can match, and only by the identity of its bounds.
  virtual bool Matches(SValue* other) = 0;
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  virtual long GetId() const = 0;
  virtual g_TavrinValueType GetType() const { return TAVRIN_VALUE; }

  HANDLEMA* GetHeap() const { return m_heap; }

 protected:
  SValue();
  HANDLEMA* m_heap;
};

class TAVRIN_API SScalarValue : public SValue {
  TAVRIN_CLASS(SScalarValue)
 public:
  Persistent::Error Serialize(PersistentStore& s) override;
  g_TavrinValueType GetType() const override { return TAVRIN_SCALAR_VALUE; }

 protected:
  SScalarValue() {}
};

class TAVRIN_API SNumericValue : public SScalarValue {
  TAVRIN_CLASS(SNumericValue)
 public:
  Persistent::Error Serialize(PersistentStore& s) override;
  g_TavrinValueType GetType() const override { return TAVRIN_NUMERIC_VALUE; }
  virtual int GetInteger() const = 0;
  virtual float GetReal() const = 0;

 protected:
  SNumericValue() {}
};

class TAVRIN_API SStringValue : public SScalarValue {
  TAVRIN_CLASS(SStringValue)
 public:
  SStringValue();
  ~SStringValue() override;
  bool Matches(SValue*) override { return false; }
  Persistent::Error Serialize(PersistentStore& s) override;
  long GetId() const override { return m_id; }
  g_TavrinValueType GetType() const override { return TAVRIN_STRING_VALUE; }

  // The text; null until set.
  char* GetValue() const { return m_value; }
  // Replaces the text with a copy (a null text clears it).
  void SetValue(const char* text);

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  char* m_value = nullptr;
  int32_t m_id;
};

class TAVRIN_API SRealValue : public SNumericValue {
  TAVRIN_CLASS(SRealValue)
 public:
  SRealValue();
  bool Matches(SValue*) override { return false; }
  Persistent::Error Serialize(PersistentStore& s) override;
  long GetId() const override { return m_id; }
  g_TavrinValueType GetType() const override { return TAVRIN_REAL_VALUE; }
  // The value truncated toward zero (saturating at the 32-bit range).
  int GetInteger() const override;
  float GetReal() const override { return m_value; }

  float GetValue() const { return m_value; }
  void SetValue(float v) { m_value = v; }

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  float m_value = 0;
  int32_t m_id;
};

class TAVRIN_API SIntegerValue : public SNumericValue {
  TAVRIN_CLASS(SIntegerValue)
 public:
  SIntegerValue();
  bool Matches(SValue*) override { return false; }
  Persistent::Error Serialize(PersistentStore& s) override;
  long GetId() const override { return m_id; }
  g_TavrinValueType GetType() const override { return TAVRIN_INTEGER_VALUE; }
  int GetInteger() const override { return m_value; }
  float GetReal() const override { return static_cast<float>(m_value); }

  int GetValue() const { return m_value; }
  void SetValue(int v) { m_value = v; }

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  int32_t m_value = 0;
  int32_t m_id;
};

class TAVRIN_API SBooleanValue : public SScalarValue {
  TAVRIN_CLASS(SBooleanValue)
 public:
  SBooleanValue();
  bool Matches(SValue*) override { return false; }
  Persistent::Error Serialize(PersistentStore& s) override;
  long GetId() const override { return m_id; }
  g_TavrinValueType GetType() const override { return TAVRIN_BOOLEAN_VALUE; }

  bool GetValue() const { return m_value; }
  void SetValue(bool v) { m_value = v; }

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  bool m_value = false;
  int32_t m_id;
};

class TAVRIN_API SEnumeratedValue : public SScalarValue {
  TAVRIN_CLASS(SEnumeratedValue)
 public:
  SEnumeratedValue();
  ~SEnumeratedValue() override;
  bool Matches(SValue*) override { return false; }
  Persistent::Error Serialize(PersistentStore& s) override;
  long GetId() const override { return m_id; }
  g_TavrinValueType GetType() const override { return TAVRIN_ENUMERATED_VALUE; }

  char* GetName() const { return m_name; }
  void SetName(const char* name);
  long GetValue() const { return m_value; }
  void SetValue(long v) { m_value = static_cast<int32_t>(v); }

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  char* m_name = nullptr;
  int32_t m_value = 0;
  int32_t m_id;
};

// A length in internal units (1/1500 micrometre).
class TAVRIN_API SUnitlessValue : public SNumericValue {
  TAVRIN_CLASS(SUnitlessValue)
 public:
  SUnitlessValue();
  bool Matches(SValue*) override { return false; }
  Persistent::Error Serialize(PersistentStore& s) override;
  long GetId() const override { return m_id; }
  g_TavrinValueType GetType() const override { return TAVRIN_UNITLESS_VALUE; }
  int GetInteger() const override { return m_value; }
  float GetReal() const override { return static_cast<float>(m_value); }

  long GetValue() const { return m_value; }
  void SetValue(long v) { m_value = static_cast<int32_t>(v); }
  double GetInUnits(g_TavrinUnitType unit) const { return tavrin::ToUnits(m_value, unit); }
  // Always true; an unknown unit stores 0.
  bool SetInUnits(double amount, g_TavrinUnitType unit) {
    m_value = tavrin::FromUnits(amount, unit);
    return true;
  }

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  int32_t m_value = 0;
  int32_t m_id;
};

// A list of values. Every element is owned by the list, stands in the
// all-values list and in the one typed list of its class; both lists hold
// the newest element first.
class TAVRIN_API SListValue : public SValue {
  TAVRIN_CLASS(SListValue)
 public:
  SListValue();
  // Deletes every element. Nested list values are emptied before they are
  // deleted, so deep nesting does not recurse.
  ~SListValue() override;
  bool Matches(SValue*) override { return false; }
  Persistent::Error Serialize(PersistentStore& s) override;
  long GetId() const override { return m_id; }
  g_TavrinValueType GetType() const override { return TAVRIN_LIST_VALUE; }

  // Each creates an element at the front of both lists; null (nothing
  // linked) when memory is exhausted.
  SEnumeratedValue* CreateEnumeratedValue();
  SBooleanValue* CreateBooleanValue();
  SStringValue* CreateStringValue();
  SIntegerValue* CreateIntegerValue();
  SRealValue* CreateRealValue();
  SUnitlessValue* CreateUnitlessValue();
  SListValue* CreateListValue();
  SRangeValue* CreateRangeValue();

  const RelLinkedList<SValue*>& GetAllValues() const { return m_all; }
  const RelLinkedList<SEnumeratedValue*>& GetAllEnumeratedValues() const { return m_enumerated; }
  const RelLinkedList<SBooleanValue*>& GetAllBooleanValues() const { return m_booleans; }
  const RelLinkedList<SStringValue*>& GetAllStringValues() const { return m_strings; }
  const RelLinkedList<SIntegerValue*>& GetAllIntegerValues() const { return m_integers; }
  const RelLinkedList<SRealValue*>& GetAllRealValues() const { return m_reals; }
  const RelLinkedList<SUnitlessValue*>& GetAllUnitlessValues() const { return m_unitless; }
  const RelLinkedList<SListValue*>& GetAllListValues() const { return m_lists; }
  const RelLinkedList<SRangeValue*>& GetAllRangeValues() const { return m_ranges; }

  bool HasValue(SValue* v) const { return v && m_all.contains(v); }
  // Unlinks v from both its lists and deletes it; false (nothing changes)
  // when v is not an element of this list.
  bool DestroyValue(SValue* v);

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  template <class T>
  TAVRIN_LOCAL T* CreateElement(RelLinkedList<T*>& typed);
  template <class T>
  void SerializeTyped(tavrin::Record& r, RelLinkedList<T*>& typed);
  // Deletes the elements that are not lists, hands the nested lists to
  // `nested` and frees every list node.
  template <class Stack>
  void ReleaseElements(Stack& nested);

  int32_t m_id;
  RelLinkedList<SValue*> m_all;
  RelLinkedList<SEnumeratedValue*> m_enumerated;
  RelLinkedList<SBooleanValue*> m_booleans;
  RelLinkedList<SStringValue*> m_strings;
  RelLinkedList<SIntegerValue*> m_integers;
  RelLinkedList<SRealValue*> m_reals;
  RelLinkedList<SUnitlessValue*> m_unitless;
  RelLinkedList<SListValue*> m_lists;
  RelLinkedList<SRangeValue*> m_ranges;
};

// A range of numbers: lower, upper and step bounds, each owned and optional.
class TAVRIN_API SRangeValue : public SValue {
  TAVRIN_CLASS(SRangeValue)
 public:
  SRangeValue();
  ~SRangeValue() override;
  // True when other is a range whose three bounds are the very same objects
  // as this one's (identity, not equal values).
  bool Matches(SValue* other) override;
  Persistent::Error Serialize(PersistentStore& s) override;
  long GetId() const override { return m_id; }
  g_TavrinValueType GetType() const override { return TAVRIN_RANGE_VALUE; }

  // Each replaces the bound of its position by a new value; null (the bound
  // then absent) when memory is exhausted.
  SIntegerValue* CreateLowerIntegerValue();
  SRealValue* CreateLowerRealValue();
  SUnitlessValue* CreateLowerUnitlessValue();
  SIntegerValue* CreateUpperIntegerValue();
  SRealValue* CreateUpperRealValue();
  SUnitlessValue* CreateUpperUnitlessValue();
  SIntegerValue* CreateStepIntegerValue();
  SRealValue* CreateStepRealValue();
  SUnitlessValue* CreateStepUnitlessValue();

  SNumericValue* GetLower() const { return m_lower; }
  SNumericValue* GetUpper() const { return m_upper; }
  SNumericValue* GetStep() const { return m_step; }
  // Delete the bound (if any); always true.
  bool DestroyLower();
  bool DestroyUpper();
  bool DestroyStep();

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  template <class T>
  TAVRIN_LOCAL T* CreateBound(SNumericValue*& bound);

  int32_t m_id;
  SNumericValue* m_lower = nullptr;
  SNumericValue* m_upper = nullptr;
  SNumericValue* m_step = nullptr;
};

// ---- assignments ------------------------------------------------------------------

// A name, a global flag and one owned value.
class TAVRIN_API SAssignment : public TavrinObject {
  TAVRIN_CLASS(SAssignment)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  // Deletes the value and releases the name.
  ~SAssignment() override;

  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  virtual long GetId() const = 0;

  char* GetName() const { return m_name; }
  void SetName(const char* name);
  bool GetIsGlobal() const { return m_isGlobal; }
  void SetIsGlobal(bool global) { m_isGlobal = global; }
  SValue* GetValue() const { return m_value; }
  HANDLEMA* GetHeap() const { return m_heap; }

  // Each deletes the current value and makes a new one of its class the
  // value; on exhaustion the value becomes null and null is returned.
  SEnumeratedValue* CreateEnumeratedValue();
  SBooleanValue* CreateBooleanValue();
  SStringValue* CreateStringValue();
  SIntegerValue* CreateIntegerValue();
  SRealValue* CreateRealValue();
  SUnitlessValue* CreateUnitlessValue();
  SListValue* CreateListValue();
  SRangeValue* CreateRangeValue();
  // Deletes the value (if any); always true.
  bool DestroyValue();

 protected:
  SAssignment();

 private:
  template <class T>
  T* CreateTypedValue();

  HANDLEMA* m_heap;
  bool m_isGlobal = false;
  char* m_name = nullptr;
  SValue* m_value = nullptr;
};

// A free name/value pair attached to a design element by a client.
class TAVRIN_API SAttribute : public SAssignment {
  TAVRIN_CLASS(SAttribute)
 public:
  SAttribute();
  Persistent::Error Serialize(PersistentStore& s) override;
  long GetId() const override { return m_id; }

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  int32_t m_id;
};

// A name/value pair attached to a rule context.
class TAVRIN_API SProperty : public SAssignment {
  TAVRIN_CLASS(SProperty)
 public:
  SProperty();
  Persistent::Error Serialize(PersistentStore& s) override;
  long GetId() const override { return m_id; }

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  int32_t m_id;
};

// ---- constraints --------------------------------------------------------------------

// A named design rule: a basis and a default value (both owned elsewhere)
// and a list of owner names.
class TAVRIN_API SConstraint : public TavrinObject {
  TAVRIN_CLASS(SConstraint)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  SConstraint();
  // Releases the name and the owner list's nodes (the owner texts go with
  // the session heap).
  ~SConstraint() override;
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);

  char* GetName() const { return m_name; }
  void SetName(const char* name);
  SValue* GetBasis() const { return m_basis; }
  void SetBasis(SValue* v) { m_basis = v; }
  SValue* GetDefaultValue() const { return m_defaultValue; }
  void SetDefaultValue(SValue* v) { m_defaultValue = v; }
  // A list object sharing the constraint's nodes.
  RelLinkedList<char*> GetOwners() const { return m_owners; }
  // Takes over the given list's nodes, which must come from this
  // constraint's heap record.
  void SetOwners(RelLinkedList<char*> owners) { m_owners = owners; }
  long GetId() const { return m_id; }
  HANDLEMA* GetHeap() const { return m_heap; }

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  HANDLEMA* m_heap;
  SValue* m_basis = nullptr;
  SValue* m_defaultValue = nullptr;
  char* m_name = nullptr;
  RelLinkedList<char*> m_owners;
  int32_t m_id;
};

// Constraints by name and target sets, all referred to, none owned.
class TAVRIN_API SConstraintSet : public TavrinObject {
  TAVRIN_CLASS(SConstraintSet)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  SConstraintSet();
  ~SConstraintSet() override;
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  void InternalUpdate() { m_constraints.SetHeap(m_heap); }

  char* GetName() const { return m_name; }
  void SetName(const char* name);
  long GetId() const { return m_id; }
  HANDLEMA* GetHeap() const { return m_heap; }
  RelLinkedList<char*> GetQualifiers() const { return m_qualifiers; }
  // Takes over the given list's nodes (from this set's heap record).
  void SetQualifiers(RelLinkedList<char*> qualifiers) { m_qualifiers = qualifiers; }

  const RelMap<CharM, SConstraint*>& GetAllConstraints() const { return m_constraints; }
  SConstraint* GetConstraint(const char* name) const;
  bool HasConstraint(const char* name);
  // False when `name` is already a key (or c is null or unnamed); otherwise
  // files c under c's own name.
  bool SetConstraint(const char* name, SConstraint* c);
  // Removes the entry (the constraint is not deleted); false when absent.
  bool RemoveConstraint(const char* name);

  const RelLinkedList<SConstraintSet*>& GetAllTargetSets() const { return m_targetSets; }
  // False when s is null or already listed; otherwise links s at the front.
  bool InsertTargetSet(SConstraintSet* s);
  bool RemoveTargetSet(SConstraintSet* s);
  bool HasTargetSet(SConstraintSet* s) const { return m_targetSets.contains(s); }

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  HANDLEMA* m_heap;
  char* m_name = nullptr;
  RelLinkedList<char*> m_qualifiers;
  int32_t m_id;
  RelMap<CharM, SConstraint*> m_constraints;
  RelLinkedList<SConstraintSet*> m_targetSets;
};

// Constraint sets by name, referred to, not owned.
class TAVRIN_API SConstraintGroup : public TavrinObject {
  TAVRIN_CLASS(SConstraintGroup)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  SConstraintGroup();
  ~SConstraintGroup() override;
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  void InternalUpdate() { m_sets.SetHeap(m_heap); }

  char* GetName() const { return m_name; }
  void SetName(const char* name);
  long GetId() const { return m_id; }
  HANDLEMA* GetHeap() const { return m_heap; }

  const RelMap<CharM, SConstraintSet*>& GetAllConstraintSets() const { return m_sets; }
  SConstraintSet* GetConstraintSet(const char* name) const;
  bool HasConstraintSet(const char* name);
  // False when `name` is already a key (or s is null or unnamed); otherwise
  // files s under s's own name.
  bool SetConstraintSet(const char* name, SConstraintSet* s);
  bool RemoveConstraintSet(const char* name);

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  HANDLEMA* m_heap;
  char* m_name = nullptr;
  int32_t m_id;
  RelMap<CharM, SConstraintSet*> m_sets;
};

// An assignment that applies a constraint to a design element, with a
// rule-check code.
class TAVRIN_API SConstraintInstance : public SAssignment {
  TAVRIN_CLASS(SConstraintInstance)
 public:
  SConstraintInstance();
  Persistent::Error Serialize(PersistentStore& s) override;
  long GetId() const override { return m_id; }

  SConstraint* GetConstraint() const { return m_constraint; }
  bool SetConstraint(SConstraint* c) {
    m_constraint = c;
    return true;
  }
  int GetDrcCode() const { return m_drcCode; }
  void SetDrcCode(int code) { m_drcCode = code; }

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  int32_t m_id;
  int32_t m_drcCode = 0;
  SConstraint* m_constraint = nullptr;
};

// A changed current value recorded for a constraint. No class of the
// database holds overrides; clients create and keep them.
class TAVRIN_API SConstraintOverride : public TavrinObject {
  TAVRIN_CLASS(SConstraintOverride)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  SConstraintOverride();
  ~SConstraintOverride() override;
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);

  long GetClientFlags() const { return m_clientFlags; }
  void SetClientFlags(long f) { m_clientFlags = static_cast<int32_t>(f); }
  long GetStaticClientFlags() const { return m_staticClientFlags; }
  void SetStaticClientFlags(long f) { m_staticClientFlags = static_cast<int32_t>(f); }
  SValue* GetCurrentValue() const { return m_currentValue; }
  void SetCurrentValue(SValue* v) { m_currentValue = v; }
  bool GetbOverridden() const { return m_bOverridden; }
  void SetbOverridden(bool b) { m_bOverridden = b; }
  SConstraint* GetConstraint() const { return m_constraint; }
  bool SetConstraint(SConstraint* c) {
    m_constraint = c;
    return true;
  }
  long GetId() const { return m_id; }
  HANDLEMA* GetHeap() const { return m_heap; }

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  HANDLEMA* m_heap;
  int32_t m_clientFlags = 0;
  SValue* m_currentValue = nullptr;
  int32_t m_staticClientFlags = 0;
  bool m_bOverridden = false;
  int32_t m_id;
  SConstraint* m_constraint = nullptr;
};

// ---- conditional rules, rule sets, OAT contexts -------------------------------------

class SRuleSet;

// A rule of a module between a source and a target object, each named and
// of an object kind, with the rule sets that apply between them. The rule
// owns its rule sets, newest first.
class TAVRIN_API SCondRule : public TavrinObject {
  TAVRIN_CLASS(SCondRule)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  // Object kinds; RULE_NONE is the kind of a rule never given one and of
  // any text that names no kind.
  enum CondRuleObjType : int32_t {
    RULE_ALL = 0,
    RULE_CLASS = 1,
    RULE_NET = 2,
    RULE_GROUP = 3,
    RULE_PIN_PAIR = 4,
    RULE_LAYER = 5,
    RULE_PKG_TYPE = 6,
    RULE_NONE = 7
  };

  SCondRule();
  // Deletes every rule set it holds and releases its texts.
  ~SCondRule() override;
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  void InternalUpdate() {}

  char* GetSource() const { return m_source; }
  char* GetTarget() const { return m_target; }
  // Copies of the texts; a null text clears the field.
  void SetSource(const char* text);
  void SetTarget(const char* text);
  CondRuleObjType GetSourceType() const { return m_sourceType; }
  CondRuleObjType GetTargetType() const { return m_targetType; }
  void SetSourceType(CondRuleObjType t) { m_sourceType = t; }
  void SetTargetType(CondRuleObjType t) { m_targetType = t; }
  long GetId() const { return m_id; }
  void SetId(long id) { m_id = static_cast<int32_t>(id); }
  HANDLEMA* GetHeap() const { return m_heap; }

  // "All", "Class", "Net", "Group", "PinPair", "Layer", "PkgType" (exact,
  // whole text) give 0 to 6; anything else, and null, gives RULE_NONE.
  static CondRuleObjType StrToRuleType(const char* text);
  // The text of a kind, empty for RULE_NONE and any value outside 0 to 6.
  // The string is one per thread, created on its first use there; the next
  // call on the same thread overwrites it.
  static CString& RuleTypeToStr(CondRuleObjType t);

  // A new rule set at the head of the list (named, by the second form);
  // null, nothing listed, when memory is exhausted.
  SRuleSet* CreateRuleSet();
  SRuleSet* CreateRuleSet(const char* name);
  // Takes over rs at the head of the list; false, nothing changed, for a
  // null rule set, one already listed, or when memory is exhausted.
  bool AddRuleSet(SRuleSet* rs);
  // Unlinks the first occurrence (rs is not deleted); false when absent.
  bool RemoveRuleSet(SRuleSet* rs);
  // Unlinks and deletes rs when it is in the list; false otherwise.
  bool DestroyRuleSet(SRuleSet* rs);
  // Unlinks and deletes every rule set; always true.
  bool DestroyAllRuleSets();
  // The first rule set from the head whose rule-set name is `name`; null
  // for a null name or none.
  SRuleSet* GetRuleSet(const char* name) const;
  const RelLinkedList<SRuleSet*>& GetAllRuleSets() const { return m_ruleSets; }
  void SetRuleSetAllocationSize(int) {}

 private:
  HANDLEMA* m_heap;
  char* m_source = nullptr;
  char* m_target = nullptr;
  CondRuleObjType m_sourceType = RULE_NONE;
  CondRuleObjType m_targetType = RULE_NONE;
  int32_t m_id;
  RelLinkedList<SRuleSet*> m_ruleSets;
};

// A named rule set of a conditional rule. Its name is a field of its own:
// GetName and SetName hide the design-element name.
class TAVRIN_API SRuleSet : public SDesignElement {
  TAVRIN_CLASS(SRuleSet)
  TAVRIN_ID_ACCESSORS
 public:
  SRuleSet();
  ~SRuleSet() override;
  void InternalUpdate() override {}
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;

  char* GetName() const { return m_ruleSetName; }
  // A copy of the text; a null text clears the name.
  void SetName(const char* name);

 private:
  char* m_ruleSetName = nullptr;
};

// A named context of a representation with its own properties, attributes
// and constraint instances (owned; each kind in a list, newest first) and
// one map of all of them by name. A create takes over the map entry of an
// equal name; the older assignment stays in its list.
class TAVRIN_API SOATContext : public TavrinObject {
  TAVRIN_CLASS(SOATContext)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  SOATContext();
  // Deletes every assignment its lists hold (those a later one took the
  // name of too) and frees the nodes of its lists and map.
  ~SOATContext() override;
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  // Gives the assignment map the context's heap record.
  void InternalUpdate() { m_assignments.SetHeap(m_heap); }

  char* GetName() const { return m_name; }
  // A copy of the text; a null text clears the name.
  void SetName(const char* name);
  long GetId() const { return m_id; }
  void SetId(long id) { m_id = static_cast<int32_t>(id); }
  HANDLEMA* GetHeap() const { return m_heap; }

  // Each creates a named assignment at the head of its list and files it
  // in the map; null, nothing changed, for a null name or when memory is
  // exhausted.
  SProperty* CreateProperty(const char* name);
  SAttribute* CreateAttribute(const char* name);
  SConstraintInstance* CreateConstraintInstance(const char* name, SConstraint* c);
  // The map entry of that name; null (false) for a null or absent name.
  SAssignment* GetAssignment(const char* name) const;
  bool HasAssignment(const char* name) const;
  // Unlinks the assignment of that name from the map and its class's list
  // (it is not deleted); false for a null or absent name.
  bool DestroyAssignment(const char* name);

  const RelMap<CharM, SAssignment*>& GetAllAssignments() const { return m_assignments; }
  const RelLinkedList<SProperty*>& GetAllProperties() const { return m_properties; }
  const RelLinkedList<SAttribute*>& GetAllAttributes() const { return m_attributes; }
  const RelLinkedList<SConstraintInstance*>& GetAllConstraintInstances() const { return m_constraintInstances; }
  void SetPropertiesAllocationSize(int) {}
  void SetAttributesAllocationSize(int) {}
  void SetConstraintInstancesAllocationSize(int) {}

 private:
  HANDLEMA* m_heap;
  char* m_name = nullptr;
  int32_t m_id;
  RelMap<CharM, SAssignment*> m_assignments;
  RelLinkedList<SProperty*> m_properties;
  RelLinkedList<SAttribute*> m_attributes;
  RelLinkedList<SConstraintInstance*> m_constraintInstances;
};

// ---- generic objects ----------------------------------------------------------------

class SObject;
class SObjectType;

namespace tavrin {
// A doubly linked list of generic objects with stable position handles.
// Its nodes come from the heap record given at construction (the general
// allocator when null); an insertion that finds no memory returns null and
// changes nothing. The list does not own the objects.
class TAVRIN_API ObjectList {
 public:
  explicit ObjectList(HANDLEMA* heap) : m_heap(heap) {}
  ObjectList(const ObjectList&) = delete;
  ObjectList& operator=(const ObjectList&) = delete;
  // Frees the nodes only.
  ~ObjectList() { RemoveAll(); }

  POSITION AddTail(SObject* o);
  POSITION AddHead(SObject* o);
  // Inserts o just behind the node at pos.
  POSITION InsertAfter(POSITION pos, SObject* o);
  // The first node holding o, from the head; null when absent.
  POSITION Find(SObject* o) const;
  void RemoveAt(POSITION pos);
  void RemoveAll();
  // Unlinks every node and appends them, in order, to the tail of `to`
  // (no allocation).
  void MoveAllTo(ObjectList& to);
  int GetCount() const { return m_count; }
  POSITION GetHeadPosition() const;
  POSITION GetTailPosition() const;
  // The object at pos; pos then moves to the next / previous node.
  SObject* GetNext(POSITION& pos) const;
  SObject* GetPrev(POSITION& pos) const;
  // Deletes every object, head first, and empties the list. The children
  // of each object are taken into the walk before it is deleted, so a deep
  // tree is deleted without recursion.
  void DeleteAll();

 private:
  struct Node;
  TAVRIN_LOCAL POSITION Link(SObject* o, Node* prev, Node* next);
  HANDLEMA* m_heap;
  Node* m_head = nullptr;
  Node* m_tail = nullptr;
  int m_count = 0;
};
}  // namespace tavrin

// A named type of generic objects; it owns the top-level objects created
// from it, in list order.
class TAVRIN_API SObjectType : public TavrinObject {
  TAVRIN_CLASS(SObjectType)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  SObjectType();
  // Deletes its objects and their whole trees.
  ~SObjectType() override;
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  void InternalUpdate() {}

  char* GetName() const { return m_name; }
  void SetName(const char* name);
  long GetId() const { return m_id; }
  void SetId(long id) { m_id = static_cast<int32_t>(id); }
  HANDLEMA* GetHeap() const { return m_heap; }

  // The list operations of SObject, on this type's objects.
  POSITION AddObject(SObject*& o) { return m_objects.AddTail(o); }
  POSITION InsObject(SObject*& o, SObject*& after);
  int RemObject(SObject* o);
  int DeleteObject(SObject* o);
  SObject* GetFirstObject(POSITION& pos) const;
  SObject* GetNextObject(POSITION& pos) const { return pos ? m_objects.GetNext(pos) : nullptr; }
  SObject* GetLastObject(POSITION& pos) const;
  SObject* GetPrevObject(POSITION& pos) const { return pos ? m_objects.GetPrev(pos) : nullptr; }
  SObject* GetLastObject() const;
  void DeleteAllObjects() { m_objects.DeleteAll(); }
  void RemoveAllObjects() { m_objects.RemoveAll(); }
  int GetObjectsCount() const { return m_objects.GetCount(); }
  // A new object of this type at the tail of the list (its parent null);
  // null, nothing changed, for a null name or when memory is exhausted.
  SObject* CreateObject();
  SObject* CreateObject(const char* name);
  void SetObjectsAllocationSize(int) {}

 private:
  HANDLEMA* m_heap;
  char* m_name = nullptr;
  int32_t m_id;
  tavrin::ObjectList m_objects;
};

// A generic object: a design element with a level text, a composite flag,
// its type and parent (references) and its own child objects (owned).
class TAVRIN_API SObject : public SDesignElement {
  TAVRIN_CLASS(SObject)
  TAVRIN_ID_ACCESSORS
 public:
  SObject();
  // Deletes its children and their whole trees.
  ~SObject() override;
  void InternalUpdate() override {}
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;

  char* GetLevel() const { return m_level; }
  void SetLevel(const char* level);
  bool IsCompObj() const { return m_composite; }
  void SetCompObj(bool composite) { m_composite = composite; }
  SObjectType* GetObjectType() const { return m_objectType; }
  bool SetObjectType(SObjectType* t) {
    m_objectType = t;
    return true;
  }
  SObject* GetParent() const { return m_parent; }
  bool SetParent(SObject* p) {
    m_parent = p;
    return true;
  }

  // The list operations, on this object's children. AddObject appends;
  // InsObject puts the object at the head when `after` is null, else just
  // behind the first occurrence of `after` (null, nothing inserted, when
  // `after` is not listed). RemObject unlinks the first occurrence and
  // DeleteObject also deletes it (1, or 0 when absent). GetFirstObject and
  // GetLastObject return the head's (tail's) object and leave the position
  // on the node after (before) it; Next and Prev return the object at the
  // position and move it. Null on an empty list or a null position.
  POSITION AddObject(SObject*& o) { return m_children.AddTail(o); }
  POSITION InsObject(SObject*& o, SObject*& after);
  int RemObject(SObject* o);
  int DeleteObject(SObject* o);
  SObject* GetFirstObject(POSITION& pos) const;
  SObject* GetNextObject(POSITION& pos) const { return pos ? m_children.GetNext(pos) : nullptr; }
  SObject* GetLastObject(POSITION& pos) const;
  SObject* GetPrevObject(POSITION& pos) const { return pos ? m_children.GetPrev(pos) : nullptr; }
  SObject* GetLastObject() const;
  void DeleteAllObjects() { m_children.DeleteAll(); }
  void RemoveAllObjects() { m_children.RemoveAll(); }
  int GetObjectsCount() const { return m_children.GetCount(); }
  // A new child of this object's type, its parent this object, at the tail
  // of the children only; null, nothing changed, for a null name or when
  // memory is exhausted.
  SObject* CreateObject();
  SObject* CreateObject(const char* name);

 private:
  friend class tavrin::ObjectList;
  char* m_level = nullptr;
  bool m_composite = false;
  SObjectType* m_objectType = nullptr;
  SObject* m_parent = nullptr;
  tavrin::ObjectList m_children;
};

#endif
