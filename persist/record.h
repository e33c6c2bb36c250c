// Record: the field-by-field reader and writer that every Serialize uses.
// One call per field serves both directions, so a class's record reads like
// its list of fields and writing and reading cannot drift apart:
//
//   Record r(store, m_heap);
//   r.Long(m_accessType);
//   r.String(m_location);
//   return r.Result();
//
// While reading, every call does nothing once the store is damaged, and each
// value read is checked before it is used: an owned child must be an object
// of the expected class that no other owner claimed, counts are bounded by
// what the file actually holds, and texts must match their recorded length.
//
// A child claimed while reading is linked into its owner at once, also when
// its record then turns out damaged, so that deleting the owner deletes it;
// a child that cannot be linked is dropped back to the store, which deletes
// it when the read fails. Memory that runs out marks the store out of memory.
#ifndef TAVRIN_PERSIST_RECORD_H
#define TAVRIN_PERSIST_RECORD_H

#include <cstdint>
#include <cstring>
#include <string>
#include <typeinfo>

#include "core/pool.h"
#include "persist/input_file.h"
#include "persist/output_file.h"
#include "tavrin/persist.h"

namespace tavrin {

// T::Cast for objects read from a file. Most references name an object of
// exactly the class asked for: then the complete object is the T, found
// without a search of the class hierarchy (costly for classes with two
// bases). Any other object goes through T::Cast.
template <class T>
T* ReadCast(TavrinObject* o) {
  if (!o) return nullptr;
  if (typeid(*o) == typeid(T)) return static_cast<T*>(dynamic_cast<void*>(o));
  return T::Cast(o);
}

class Record {
 public:
  Record(PersistentStore& store, HANDLEMA* heap) : m_s(store), m_heap(heap) {}

  bool Writing() const { return m_s.IsWriting(); }
  bool Reading() const { return !m_s.IsWriting(); }
  // False once reading has met damage; later calls do nothing.
  bool ok() const { return !m_s.IsDamaged(); }
  PersistentStore& store() { return m_s; }
  HANDLEMA* heap() const { return m_heap; }
  // 0 on success; a damaged read reports 1.
  Persistent::Error Result() const { return Reading() && m_s.IsDamaged() ? 1 : 0; }

  // ---- scalars ---------------------------------------------------------------
  // Integers of a text-encoded save go straight into the output buffer;
  // plain number lines of a text-encoded restore come straight from the
  // input buffer (any other line takes the primitives).
  void Unsigned(uint32_t& v) { Integer(&PersistentStore::WriteUnsigned, &PersistentStore::ReadUnsigned, v); }
  void Int(int32_t& v) { Integer(&PersistentStore::WriteInt, &PersistentStore::ReadInt, v); }
  void Key(int32_t& v) { Integer(&PersistentStore::WriteKey, &PersistentStore::ReadInt, v); }
  void Long(int32_t& v) { Integer(&PersistentStore::WriteLong, &PersistentStore::ReadLong, v); }
  void Float(float& v) { Scalar(&PersistentStore::WriteFloat, &PersistentStore::ReadFloat, v); }
  void Double(double& v) { Scalar(&PersistentStore::WriteDouble, &PersistentStore::ReadDouble, v); }
  // A boolean: 0 or 1; true after reading exactly when the value was 1.
  void Bool(bool& v) {
    uint32_t u = v ? 1 : 0;
    Unsigned(u);
    if (Reading() && ok()) v = (u == 1);
  }
  // A fixed unsigned value: written as given, read and discarded.
  void Fixed(uint32_t value) { Unsigned(value); }
  // A container count: written as n; returns the count read (0 when damaged).
  uint32_t Count(uint32_t n) {
    Unsigned(n);
    return ok() ? n : 0;
  }

  // ---- texts -------------------------------------------------------------------
  // An owned text: its length, then its characters. Reading releases the old
  // text and yields the shared empty text for length 0.
  void String(char*& text) { Text(text, false); }
  // The same, but the text block read is a counted large allocation.
  void CountedString(char*& text) { Text(text, true); }
  // A text read into a new block that the caller keys a map with.
  char* ReadKey() {
    char* key = nullptr;
    Text(key, false);
    return ok() ? key : nullptr;
  }
  void WriteKeyText(const char* key) {
    char* k = const_cast<char*>(key);
    Text(k, false);
  }

  // ---- references ----------------------------------------------------------------
  // A reference to an object owned elsewhere. Reading yields null for a null
  // reference or an object of another class.
  template <class T>
  void Reference(T*& p) {
    if (Writing()) {
      m_s.WritePointer(AsObject(p));
      return;
    }
    if (!ok()) return;
    p = ReadCast<T>(ReadRef());
  }

  // A reference the object keeps behind an accessor pair. The setter's
  // false while reading is memory run out.
  template <class O, class T>
  void Reference(O* owner, T* (O::*get)() const, bool (O::*set)(T*)) {
    T* p = (owner->*get)();
    Reference(p);
    if (Reading() && ok() && !(owner->*set)(p)) m_s.MarkOutOfMemory();
  }

  // An owned child that may be absent: its reference, then its record.
  // Reading stores the child (or null) in p, the child also when its record
  // is damaged. A reference to an object of another class, or one already
  // owned elsewhere, is damage.
  template <class T>
  void OptionalChild(T*& p) {
    if (Writing()) {
      m_s.WritePointer(AsObject(p));
      if (p) WriteChildRecord(p);
      return;
    }
    if (!ok()) return;
    TavrinObject* o = ReadRef();
    if (!ok()) return;
    if (!o) { p = nullptr; return; }
    p = ReadChildRecord<T>(o);
  }

  // The root object of a file that holds one: its reference (which must be
  // a T) and its record. Null when the read fails; the store then deletes
  // the object.
  template <class T>
  T* Root() {
    T* c = ReadChildHeader<T>();
    if (!c) return nullptr;
    FinishChild(c);
    return ok() ? c : nullptr;
  }

  // Writes an owned child that must be present (an element of an owned list
  // or map): its reference, then its record. The containers below read such
  // children themselves, each linked as soon as it is claimed.
  template <class T>
  void WriteChild(T* p) {
    m_s.WritePointer(AsObject(p));
    WriteChildRecord(p);
  }

  // ---- containers ------------------------------------------------------------------
  // Owned children in a list: count, then reference and record of each from
  // the head. Reading puts each child at the head (the list comes back
  // reversed); `onRead` is called for each child after it is linked (and
  // calls Unlinked when it has to take it out again).
  template <class T, class F>
  void ChildList(RelLinkedList<T*>& list, HANDLEMA* heap, F onRead) {
    uint32_t n = Count(list.size());
    if (Writing()) {
      for (auto it = list.begin(); it != list.end(); ++it) WriteChild<T>(*it);
      return;
    }
    for (uint32_t i = 0; i < n && ok(); ++i) {
      T* c = ReadChildHeader<T>();
      if (!c) return;
      if (!list.insert(c, heap)) {
        Unlinked(c);
        return;
      }
      onRead(c);
      FinishChild(c);
    }
  }
  template <class T>
  void ChildList(RelLinkedList<T*>& list, HANDLEMA* heap) {
    ChildList(list, heap, [](T*) {});
  }

  // Owned children in a kind list whose owner also finds them by name: as
  // ChildList, but `afterRead` is called for each child once its record is
  // read (when its name is known). It returns false when the child cannot
  // be filed, which is damage.
  template <class T, class F>
  void ChildListThen(RelLinkedList<T*>& list, HANDLEMA* heap, F afterRead) {
    uint32_t n = Count(list.size());
    if (Writing()) {
      for (auto it = list.begin(); it != list.end(); ++it) WriteChild<T>(*it);
      return;
    }
    for (uint32_t i = 0; i < n && ok(); ++i) {
      T* c = ReadChildHeader<T>();
      if (!c) return;
      if (!list.insert(c, heap)) {
        Unlinked(c);
        return;
      }
      FinishChild(c);
      if (ok() && !afterRead(c)) m_s.MarkDamaged();
    }
  }
  // A kind list and the name map over all kinds: each child read is put at
  // the head of the list, reads its record, and is then filed in `names`
  // under its own name (a later child of the same name takes the entry over).
  template <class T, class V>
  void NamedChildList(RelLinkedList<T*>& list, HANDLEMA* heap, RelMap<CharM, V*>& names) {
    ChildListThen(list, heap, [&names](T* c) {
      return c->GetName() && !RelMap<CharM, V*>::Failed(names.insert(CharM(c->GetName()), c));
    });
  }

  // Owned children in an integer-keyed map: count, then per entry in
  // iteration order its key (WriteKey), the child's reference and its
  // record. Reading files each child under the key read before its record
  // is read; `placeKey(int32_t& key)` may move the key first and returns
  // false when it cannot be placed (damage). An equal key takes the entry over.
  template <class T, class F>
  void NumberedChildMap(RelMap<int, T*>& map, F placeKey) {
    uint32_t n = Count(map.size());
    if (Writing()) {
      for (auto it = map.begin(); it != map.end(); ++it) {
        int32_t key = it->first;
        Key(key);
        WriteChild<T>(it->second);
      }
      return;
    }
    for (uint32_t i = 0; i < n && ok(); ++i) {
      int32_t key = 0;
      Key(key);
      T* c = ok() ? ReadChildHeader<T>() : nullptr;
      if (!c) return;
      if (!placeKey(key) || RelMap<int, T*>::Failed(map.insert(key, c))) { m_s.MarkDamaged(); return; }
      FinishChild(c);
    }
  }
  template <class T>
  void NumberedChildMap(RelMap<int, T*>& map) {
    NumberedChildMap(map, [](int32_t&) { return true; });
  }

  // References in an integer-keyed map: count, then per entry its key
  // (WriteInt) and the reference. Entries are filed as read; a null or
  // wrongly typed reference is filed as null.
  template <class T>
  void NumberedReferenceMap(RelMap<int, T*>& map) {
    uint32_t n = Count(map.size());
    if (Writing()) {
      for (auto it = map.begin(); it != map.end(); ++it) {
        int32_t key = it->first;
        Int(key);
        m_s.WritePointer(AsObject(it->second));
      }
      return;
    }
    for (uint32_t i = 0; i < n && ok(); ++i) {
      int32_t key = 0;
      Int(key);
      T* p = nullptr;
      Reference(p);
      if (ok() && RelMap<int, T*>::Failed(map.insert(key, p))) m_s.MarkDamaged();
    }
  }

  // Reference pairs of a map keyed by object: count, then per entry the
  // key's reference and the value's reference. Entries are filed as read;
  // a null or wrongly typed reference (key or value) is filed as null.
  template <class K, class V>
  void ReferencePairs(RelMap<K*, V*>& map) {
    uint32_t n = Count(map.size());
    if (Writing()) {
      for (auto it = map.begin(); it != map.end(); ++it) {
        m_s.WritePointer(AsObject(it->first));
        m_s.WritePointer(AsObject(it->second));
      }
      return;
    }
    for (uint32_t i = 0; i < n && ok(); ++i) {
      K* key = nullptr;
      V* value = nullptr;
      Reference(key);
      Reference(value);
      if (ok() && RelMap<K*, V*>::Failed(map.insert(key, value))) m_s.MarkDamaged();
    }
  }

  // A list or map of a family this system does not hold yet: written as a
  // count of 0; a file that claims members is damaged.
  void NoneYet(uint32_t n = 0) {
    if (Count(n) != 0) m_s.MarkDamaged();
  }
  // A reference to such a family: written as null; a non-null one read is damage.
  void NullYet() {
    if (Writing()) {
      m_s.WritePointer(nullptr);
      return;
    }
    if (!ok()) return;
    if (ReadRef() != nullptr) m_s.MarkDamaged();
  }

  // References in a list: count, then each reference. Reading puts each at
  // the head; a null or wrongly typed reference is skipped.
  template <class T>
  void ReferenceList(RelLinkedList<T*>& list, HANDLEMA* heap) {
    uint32_t n = Count(list.size());
    for (auto it = list.begin(); Writing() && it != list.end(); ++it) m_s.WritePointer(AsObject(*it));
    if (Writing()) return;
    for (uint32_t i = 0; i < n && ok(); ++i) {
      T* p = nullptr;
      Reference(p);
      if (ok() && p && !list.insert(p, heap)) m_s.MarkOutOfMemory();
    }
  }

  // Texts in a list: count, then each text. Reading puts each at the head.
  void StringList(RelLinkedList<char*>& list, HANDLEMA* heap) {
    uint32_t n = Count(list.size());
    if (Writing()) {
      for (auto it = list.begin(); it != list.end(); ++it) String(*it);
      return;
    }
    for (uint32_t i = 0; i < n && ok(); ++i) {
      char* text = ReadKey();
      if (ok() && !list.insert(text, heap)) {
        TextFree(text);
        m_s.MarkOutOfMemory();
      }
    }
  }

  // Owned children in a text-keyed map: count, then per entry in iteration
  // order its key text, the child's reference and its record. Reading keys
  // each entry by the text read (not the child's name); a key read twice is
  // damage (a map has one entry per key).
  template <class T, class F>
  void ChildMap(RelMap<CharM, T*>& map, F onRead) {
    uint32_t n = Count(map.size());
    if (Writing()) {
      for (auto it = map.begin(); it != map.end(); ++it) {
        WriteKeyText(it->first);
        WriteChild<T>(it->second);
      }
      return;
    }
    for (uint32_t i = 0; i < n && ok(); ++i) {
      char* key = ReadKey();
      T* c = ok() ? ReadChildHeader<T>() : nullptr;
      if (!c) {
        TextFree(key);
        return;
      }
      if (!InsertKeyed(map, key, c)) {
        m_s.DropOwned(AsObject(c));
        return;
      }
      onRead(c);
      FinishChild(c);
    }
  }
  template <class T>
  void ChildMap(RelMap<CharM, T*>& map) {
    ChildMap(map, [](T*) {});
  }

  // References in a text-keyed map: count, then per entry its key text and
  // the reference. A null or wrongly typed reference is skipped on reading;
  // a key read twice is damage.
  template <class T>
  void ReferenceMap(RelMap<CharM, T*>& map) {
    uint32_t n = Count(map.size());
    if (Writing()) {
      for (auto it = map.begin(); it != map.end(); ++it) {
        WriteKeyText(it->first);
        m_s.WritePointer(AsObject(it->second));
      }
      return;
    }
    for (uint32_t i = 0; i < n && ok(); ++i) {
      char* key = ReadKey();
      T* p = nullptr;
      Reference(p);
      if (!ok()) return;
      if (!p) TextFree(key);  // a skipped entry does not keep its key
      else InsertKeyed(map, key, p);
    }
  }

  // The two halves of reading an owned child, for owners that link the
  // child before its record is read: the reference (checked and claimed),
  // then the record.
  template <class T>
  T* ReadChildHeader() {
    TavrinObject* o = ReadRef();
    if (!ok()) return nullptr;
    T* c = ReadCast<T>(o);
    if (!c || !m_s.ClaimOwned(o)) { m_s.MarkDamaged(); return nullptr; }
    return c;
  }
  // A claimed child its owner could not link, or had to take out again.
  template <class T>
  void Unlinked(const T* c) {
    m_s.DropOwned(AsObject(c));
    m_s.MarkOutOfMemory();
  }
  template <class T>
  void FinishChild(T* c) {
    if (!ok()) return;
    if (!m_s.EnterChild()) {
      m_s.MarkDamaged();
    } else if (c->Serialize(m_s) != 0) {
      m_s.MarkDamaged();
    }
    m_s.LeaveChild();
  }

 private:
  // Writing is bounded like reading: a record nested deeper than a reader
  // accepts is not written, and the store is marked damaged instead.
  template <class T>
  void WriteChildRecord(T* c) {
    if (m_s.EnterChild()) c->Serialize(m_s);
    else m_s.MarkDamaged();
    m_s.LeaveChild();
  }

  template <class T>
  T* ReadChildRecord(TavrinObject* o) {
    T* c = ReadCast<T>(o);
    if (!c || !m_s.ClaimOwned(o)) { m_s.MarkDamaged(); return nullptr; }
    FinishChild(c);
    return c;
  }

  // Enters a map entry under a key read from the file; the key block then
  // belongs to the map. False (the key released, the store damaged) for a
  // key already present or when no node can be allocated.
  template <class V>
  bool InsertKeyed(RelMap<CharM, V>& map, char* key, V value) {
    bool existed = false;
    if (map.insertNew(CharM(key), value, &existed)) return true;
    TextFree(key);
    if (existed) m_s.MarkDamaged();
    else m_s.MarkOutOfMemory();
    return false;
  }

  // Reading a reference: a plain line naming an object that exists is
  // taken straight from the input buffer; any other goes to ReadPointer.
  TavrinObject* ReadRef() {
    if (InputFile* in = m_s.DirectInput()) {
      int64_t v;
      std::size_t n;
      TavrinObject* o;
      if (in->PeekPlainNumber(v, n) && m_s.HandOutExisting(static_cast<uint32_t>(static_cast<uint64_t>(v)), o)) {
        in->Skip(n);
        return o;
      }
    }
    return m_s.ReadPointer();
  }

  // Reading: true when the field is done, read from a plain number line
  // (modulo 2^32, as the primitives read it) or left alone after damage.
  template <class V>
  bool DirectNumber(V& v) {
    InputFile* in = m_s.DirectInput();
    if (!in) return false;
    if (!ok()) return true;
    int64_t n;
    if (!in->TryReadPlainNumber(n)) return false;
    v = static_cast<V>(static_cast<uint32_t>(static_cast<uint64_t>(n)));
    return true;
  }

  template <class V>
  void Integer(unsigned (PersistentStore::*write)(const void*, unsigned, unsigned),
               unsigned (PersistentStore::*read)(void*, unsigned, unsigned), V& v) {
    if (OutputFile* out = m_s.DirectOutput()) return out->PutIntLine(static_cast<int32_t>(v));
    if (DirectNumber(v)) return;
    Scalar(write, read, v);
  }

  template <class V>
  void Scalar(unsigned (PersistentStore::*write)(const void*, unsigned, unsigned),
              unsigned (PersistentStore::*read)(void*, unsigned, unsigned), V& v) {
    if (Writing()) {
      (m_s.*write)(&v, sizeof v, 1);
      return;
    }
    if (!ok()) return;
    V tmp;
    if ((m_s.*read)(&tmp, sizeof tmp, 1) != 1) { m_s.MarkDamaged(); return; }
    v = tmp;
  }

  void Text(char*& text, bool counted) {
    if (Writing()) {
      // One pass measures the text and finds a line feed in it; a text
      // without one goes into the buffer in one step. A text holding one
      // takes the primitives, which refuse it.
      OutputFile* out = m_s.DirectOutput();
      if (out && text) {
        const char* stop = strchrnul(text, '\n');
        if (!*stop) return out->PutTextLines(text, static_cast<std::size_t>(stop - text));
      }
      uint32_t len = text ? static_cast<uint32_t>(std::strlen(text)) : 0;
      Unsigned(len);
      if (len) m_s.WriteChars(text, 1, len);
      return;
    }
    if (!ok()) return;
    uint32_t len = 0;
    Unsigned(len);
    if (!ok()) return;
    // A text line whole in the input buffer is copied once, into its block.
    if (InputFile* in = m_s.DirectInput()) {
      if (const char* at = len ? in->PeekTextLine(len) : nullptr) {
        char* block = counted ? CountedAlloc(m_heap, std::size_t(len) + 1) : TextAlloc(m_heap, std::size_t(len) + 1);
        if (!block) { m_s.MarkOutOfMemory(); return; }
        std::memcpy(block, at, len);
        block[len] = '\0';
        in->Skip(std::size_t(len) + 1);
        TextFree(text);
        text = block;
        return;
      }
    }
    std::string buf;
    if (len && !m_s.ReadText(buf, len)) return;
    char* block = counted ? CountedAlloc(m_heap, std::size_t(len) + 1) : TextAlloc(m_heap, std::size_t(len) + 1);
    if (!block) { m_s.MarkOutOfMemory(); return; }
    if (len) std::memcpy(block, buf.data(), len + 1);
    else if (block != SharedEmptyText()) block[0] = '\0';
    TextFree(text);
    text = block;
  }

  PersistentStore& m_s;
  HANDLEMA* m_heap;
};

}  // namespace tavrin

#endif
