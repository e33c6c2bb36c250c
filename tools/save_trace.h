// The save walk of a session seen as events: the records of the ownership
// tree with their saved values and references, in the order a save writes
// them, numbered as a save numbers them. The inspector's dump, diff and stats
// are built on it; it links only the public interface, so every class is
// covered without a table of record layouts here.
//
// A store cannot see where a record begins, only the reference written
// before it and the nesting depth of what follows: a reference followed by
// values one level deeper is an owned child, any other reference belongs to
// the record being written. (A child whose record is empty therefore shows
// as a reference, as it does in the file.) A text is its length followed by
// its characters; the two come as one text value, and an empty text is the
// length 0 alone, as the file holds it.
#ifndef TAVRIN_TOOLS_SAVE_TRACE_H
#define TAVRIN_TOOLS_SAVE_TRACE_H

#include <cstdint>
#include <string>
#include <vector>

#include <tavrin/persist.h>

class SSession;

namespace tool {

struct TraceValue {
  enum Kind : uint8_t { kUnsigned, kInt, kLong, kKey, kFloat, kDouble, kText };
  Kind kind = kInt;
  int32_t number = 0;  // the integer kinds, and the length of a text
  double real = 0;     // kFloat (widened) and kDouble
  std::string text;    // kText

  // The value as the file writes it: a signed number, a real with 8 (float)
  // or 12 (double) decimals, a text quoted (tool::Quote).
  std::string Shown() const;
  // Bytes of its lines in the file.
  std::size_t FileBytes() const;
  static const char* KindName(Kind kind);
};

class TraceSink {
 public:
  virtual ~TraceSink() = default;
  // An owned record begins. The session's own record is index 0 with no
  // object, at depth 0.
  virtual void Open(const TavrinObject* object, uint32_t index, int depth) = 0;
  virtual void Value(const TraceValue& value) = 0;
  // A reference that is no owned child; index 0 and no object for null.
  virtual void Reference(const TavrinObject* object, uint32_t index) = 0;
  virtual void Close(uint32_t index) = 0;
};

// Walks the session's save into sink. Objects reached only by reference
// (none of the records owns them) are reported to the sink by no Open; the
// caller finds them through Object() and Owned().
class SaveTrace : public PersistentStore {
 public:
  explicit SaveTrace(TraceSink& sink);
  ~SaveTrace() override;

  // Serializes the session through the store and closes every open record.
  void Run(SSession& session);
  // Indices handed out: 1 .. Count() - 1 (0 is null).
  uint32_t Count() const { return static_cast<uint32_t>(m_objects.size()); }
  const TavrinObject* Object(uint32_t index) const { return m_objects[index]; }
  bool Owned(uint32_t index) const { return m_owned[index] != 0; }

  unsigned WriteUnsigned(const void* buf, unsigned size, unsigned count) override;
  unsigned WriteDouble(const void* buf, unsigned size, unsigned count) override;
  unsigned WriteFloat(const void* buf, unsigned size, unsigned count) override;
  unsigned WriteLong(const void* buf, unsigned size, unsigned count) override;
  unsigned WriteKey(const void* buf, unsigned size, unsigned count) override;
  unsigned WriteInt(const void* buf, unsigned size, unsigned count) override;
  unsigned WriteChars(const char* buf, unsigned size, unsigned count) override;
  int WritePointer(const TavrinObject* obj) override;
  unsigned ReadUnsigned(void*, unsigned, unsigned) override { return 0; }
  unsigned ReadDouble(void*, unsigned, unsigned) override { return 0; }
  unsigned ReadFloat(void*, unsigned, unsigned) override { return 0; }
  unsigned ReadLong(void*, unsigned, unsigned) override { return 0; }
  unsigned ReadInt(void*, unsigned, unsigned) override { return 0; }
  unsigned ReadChars(char*, unsigned, unsigned) override { return 0; }
  unsigned ReadLine(char*, unsigned, unsigned) override { return 0; }
  long Tell() override { return 0; }
  bool Seek(long) override { return false; }
  TavrinObject* ReadPointer() override { return nullptr; }

 private:
  unsigned Integers(TraceValue::Kind kind, const void* buf, unsigned count);
  unsigned Reals(TraceValue::Kind kind, const void* buf, unsigned width, unsigned count);
  // Settles what the walk left pending before the next event at Depth().
  void Settle();
  void CloseDeeperThan(int depth);
  void Emit(const TraceValue& value);

  TraceSink& m_sink;
  // Index of each object by the whole object's address: open addressing,
  // at most half full.
  uint32_t& Slot(const void* key);
  std::vector<std::pair<const void*, uint32_t>> m_index;
  std::size_t m_indexed = 0;
  std::vector<const TavrinObject*> m_objects{nullptr};
  std::vector<uint8_t> m_owned{1};
  std::vector<int> m_openDepths;  // depths of the open records
  std::vector<uint32_t> m_openIndices;
  uint32_t m_pending = 0;  // a reference not yet known as child or reference
  bool m_hasPending = false;
  int m_pendingDepth = 0;
  bool m_hasLength = false;  // an unsigned that may be a text's length
  TraceValue m_length;
  int m_lengthDepth = 0;
};

// The object's class without "class " and its name in quotes, where its
// class has one: `SNetScalar "N1"`.
std::string Label(const TavrinObject* object);
// The class alone, without "class ".
std::string ClassOf(const TavrinObject* object);
// The name, or null for a class without one.
const char* NameOf(const TavrinObject* object);

}  // namespace tool

#endif
