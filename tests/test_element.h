// An element class restorable as "TestElement", and single records in real files.
#ifndef TAVRIN_TESTS_TEST_ELEMENT_H
#define TAVRIN_TESTS_TEST_ELEMENT_H

#include "file_test.h"
#include "persist/record.h"

namespace tavrin_test {

class TestElement : public SDesignElement {
  TAVRIN_CLASS(TestElement)
  TAVRIN_ID_ACCESSORS
};

static Dynamic::Factory<TestElement> s_testElementFactory;

// Sets the process-wide native mode and puts it back.
struct NativeMode {
  explicit NativeMode(bool on) : saved(SDesignElement::GetNativeMode()) { SDesignElement::SetNativeMode(on); }
  ~NativeMode() { SDesignElement::SetNativeMode(saved); }
  bool saved;
};

// The typed getters as (result, output) pairs, outputs preset to 7 or "x".
typedef SDesignElement E;
typedef std::pair<int, std::string> P;
inline std::pair<int, int> IntOf(E* e, const char* n) { int v = 7, r = e->GetConstraint(n, v); return {r, v}; }
inline std::pair<int, int> BoolOf(E* e, const char* n) { int v = 7, r = e->GetBoolConstraint(n, v); return {r, v}; }
inline std::pair<int, float> FloatOf(E* e, const char* n) { float v = 7; int r = e->GetConstraint(n, v); return {r, v}; }
inline std::pair<int, int> AttrInt(E* e, const char* n) { int v = 7, r = e->GetAttribute(n, v); return {r, v}; }
inline std::pair<int, float> AttrFloat(E* e, const char* n) { float v = 7; int r = e->GetAttribute(n, v); return {r, v}; }
inline std::pair<int, std::string> TextOf(E* e, const char* n) { CString o("x"); int r = e->GetConstraint(n, o); return {r, o.str()}; }
inline std::pair<int, std::string> StrOf(E* e, const char* n) { CString o("x"); int r = e->GetConstraintStr(n, o); return {r, o.str()}; }
inline std::pair<int, std::string> AttrText(E* e, const char* n) { CString o("x"); int r = e->GetAttribute(n, o); return {r, o.str()}; }

class ElementTest : public SessionTest {
 protected:
  void SetUp() override { SessionTest::SetUp(); e = new (heap) TestElement(); }
  std::string File() { return dir.File("f" + std::to_string(++files)); }
  TestElement* e = nullptr;
  ScratchDir dir;
  int files = 0;
};

// Saves the object as a file's root and `more` after it; the data lines between header and "@@@@".
template <class T, class... More>
Lines SaveRecord(const std::string& path, T* object, HANDLEMA* heap, More*... more) {
  {
    PersistentFile f(path.c_str(), 1, heap);
    auto put = [&f](auto* o) { f.WritePointer(o); o->Serialize(f); };
    put(object), (put(more), ...);
    EXPECT_TRUE(f.Close()) << f.GetError();
  }
  return DataLines(ReadFile(path));
}

// The root read back; null when the file is damaged or not read to its end.
template <class T>
T* LoadRecord(const std::string& path, HANDLEMA* heap) {
  PersistentFile f(path.c_str(), 0, heap);
  T* root = f.IsOK() ? tavrin::Record(f, heap).Root<T>() : nullptr;
  return root && f.FinishData() && f.Close() ? root : nullptr;
}

// Writes a file of data lines; classes[i] is the class of index i + 1.
inline void WriteRecordFile(const std::string& path, const Lines& data, const Lines& classes) { WriteFile(path, Frame(data, classes)); }

}  // namespace tavrin_test

#endif
