// A concrete design element for tests of the members every design element
// shares, restorable by its class name "TestElement"; and a guard that puts
// the process-wide native mode back after a test.
#ifndef TAVRIN_TESTS_TEST_ELEMENT_H
#define TAVRIN_TESTS_TEST_ELEMENT_H

#include <tavrin/tavrin.h>

namespace tavrin_test {

class TestElement : public SDesignElement {
  TAVRIN_CLASS(TestElement)
  TAVRIN_ID_ACCESSORS
 public:
  TestElement() {}
};

static Dynamic::Factory<TestElement> s_testElementFactory;

class NativeMode {
 public:
  explicit NativeMode(bool on) : m_saved(SDesignElement::GetNativeMode()) { SDesignElement::SetNativeMode(on); }
  ~NativeMode() { SDesignElement::SetNativeMode(m_saved); }

 private:
  bool m_saved;
};

}  // namespace tavrin_test

#endif
