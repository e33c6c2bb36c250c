// Support for tests of the members every design element shares: a concrete
// element restorable by its class name "TestElement", a guard that puts the
// process-wide native mode back, and the typed getters as (result, output)
// pairs.
#ifndef TAVRIN_TESTS_TEST_ELEMENT_H
#define TAVRIN_TESTS_TEST_ELEMENT_H

#include <string>
#include <utility>

#include <tavrin/tavrin.h>

namespace tavrin_test {

class TestElement : public SDesignElement {
  TAVRIN_CLASS(TestElement)
  TAVRIN_ID_ACCESSORS
};

static Dynamic::Factory<TestElement> s_testElementFactory;

class NativeMode {
 public:
  explicit NativeMode(bool on) : m_saved(SDesignElement::GetNativeMode()) { SDesignElement::SetNativeMode(on); }
  ~NativeMode() { SDesignElement::SetNativeMode(m_saved); }

 private:
  bool m_saved;
};

// The typed getters as (result, output) pairs, outputs preset to 7 or "x".
typedef SDesignElement E;
inline std::pair<int, int> IntOf(E* e, const char* n) { int v = 7, r = e->GetConstraint(n, v); return {r, v}; }
inline std::pair<int, int> BoolOf(E* e, const char* n) { int v = 7, r = e->GetBoolConstraint(n, v); return {r, v}; }
inline std::pair<int, float> FloatOf(E* e, const char* n) { float v = 7; int r = e->GetConstraint(n, v); return {r, v}; }
inline std::pair<int, int> AttrInt(E* e, const char* n) { int v = 7, r = e->GetAttribute(n, v); return {r, v}; }
inline std::pair<int, float> AttrFloat(E* e, const char* n) { float v = 7; int r = e->GetAttribute(n, v); return {r, v}; }
inline std::pair<int, std::string> TextOf(E* e, const char* n) { CString o("x"); int r = e->GetConstraint(n, o); return {r, o.str()}; }
inline std::pair<int, std::string> StrOf(E* e, const char* n) { CString o("x"); int r = e->GetConstraintStr(n, o); return {r, o.str()}; }
inline std::pair<int, std::string> AttrText(E* e, const char* n) { CString o("x"); int r = e->GetAttribute(n, o); return {r, o.str()}; }

}  // namespace tavrin_test

#endif
