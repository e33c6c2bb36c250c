// Persistence: the persistent store with its primitives, and the file store
// that frames a whole saved database.
#ifndef TAVRIN_PERSIST_H
#define TAVRIN_PERSIST_H

#include <cstdint>
#include <string>
#include <vector>

#include "tavrin/core.h"
#include "tavrin/export.h"

// The abstract stream every Serialize writes to and reads from. Each transfer
// primitive takes a buffer, an element size in bytes and an element count and
// returns the number of elements transferred.
//
// Reading is defensive: a concrete store marks the store damaged (MarkDamaged)
// whenever data cannot be read as asked, and class records stop reading once
// IsDamaged() is true. Nothing read from a store is trusted.
class TAVRIN_API PersistentStore {
 public:
  // mode 1 writes (saves); any other value reads (restores).
  explicit PersistentStore(int mode);
  virtual ~PersistentStore();

  virtual unsigned WriteUnsigned(const void* buf, unsigned size, unsigned count) = 0;
  virtual unsigned WriteDouble(const void* buf, unsigned size, unsigned count) = 0;
  virtual unsigned WriteFloat(const void* buf, unsigned size, unsigned count) = 0;
  virtual unsigned WriteLong(const void* buf, unsigned size, unsigned count) = 0;
  virtual unsigned WriteKey(const void* buf, unsigned size, unsigned count) = 0;
  virtual unsigned WriteInt(const void* buf, unsigned size, unsigned count) = 0;
  virtual unsigned WriteChars(const char* buf, unsigned size, unsigned count) = 0;
  virtual unsigned ReadUnsigned(void* buf, unsigned size, unsigned count) = 0;
  virtual unsigned ReadDouble(void* buf, unsigned size, unsigned count) = 0;
  virtual unsigned ReadFloat(void* buf, unsigned size, unsigned count) = 0;
  virtual unsigned ReadLong(void* buf, unsigned size, unsigned count) = 0;
  virtual unsigned ReadInt(void* buf, unsigned size, unsigned count) = 0;
  // Copies at most size * count characters of one line into buf and
  // terminates it, so buf must hold size * count + 1 bytes.
  virtual unsigned ReadChars(char* buf, unsigned size, unsigned count) = 0;
  // Reads one line into buf (which holds size * count bytes), line feed removed.
  virtual unsigned ReadLine(char* buf, unsigned size, unsigned count) = 0;
  virtual long Tell() = 0;
  virtual bool Seek(long position) = 0;
  virtual void SetBinaryRead(int on) { m_binaryRead = on; }
  virtual void SetBinaryWrite(int on) { m_binaryWrite = on; }
  virtual int GetBinaryRead() const { return m_binaryRead; }
  virtual int GetBinaryWrite() const { return m_binaryWrite; }
  // Writes a reference to obj (null allowed): its index in this save.
  virtual int WritePointer(const TavrinObject* obj) = 0;
  // Reads a reference: the object created for its index, or null.
  virtual TavrinObject* ReadPointer() = 0;

  // Reads the characters line of a text of `length` characters into `out`.
  // False (and the store damaged) when the line is missing or its length
  // differs. The default reads through ReadLine.
  virtual bool ReadText(std::string& out, uint32_t length);

  bool IsWriting() const { return m_mode == 1; }
  int GetMode() const { return m_mode; }
  int GetStatus() const { return m_status; }

  // Damage of the data section being read (or of a text that cannot be
  // written). Never cleared.
  void MarkDamaged() { m_damaged = true; }
  bool IsDamaged() const { return m_damaged; }

  // Each object read may be claimed as an owned child once; a second claim,
  // or a claim of an object not read by ReadPointer, fails.
  bool ClaimOwned(const TavrinObject* obj);
  // Nesting of owned-child records while reading; Enter fails past
  // kMaxNesting levels (a damaged file).
  static const int kMaxNesting = 1000;
  bool EnterChild() { return ++m_depth <= kMaxNesting; }
  void LeaveChild() { --m_depth; }

 protected:
  // Concrete stores describe the objects ReadPointer can return, by index.
  void SetReadObjects(std::vector<TavrinObject*> objects);
  const std::vector<TavrinObject*>& ReadObjects() const { return m_readObjects; }
  void SetStatus(int status) { m_status = status; }

 private:
  int m_status = 0;
  int m_mode;
  int m_binaryRead = 0;
  int m_binaryWrite = 0;
  bool m_damaged = false;
  int m_depth = 0;
  std::vector<TavrinObject*> m_readObjects;
  std::vector<bool> m_claimed;
  std::vector<uint32_t> m_sortedIndex;  // read-table indices sorted by address, built on first claim
};

#endif
