// Persistence: the persistent store with its primitives, and the file store
// that frames a whole saved database.
#ifndef TAVRIN_PERSIST_H
#define TAVRIN_PERSIST_H

#include <cstdint>
#include <string>
#include <vector>

#include "tavrin/core.h"
#include "tavrin/export.h"

namespace tavrin {
class InputFile;
class OutputFile;
}

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
  // A text store marks itself damaged when the text holds a line feed,
  // which one line cannot carry (the save then fails).
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
  // Writing in the text encoding: the output that the number and text
  // lines of records go to directly, without the virtual primitives (null
  // otherwise).
  tavrin::OutputFile* DirectOutput() const { return m_directOut; }
  // Reading the text encoding: the input that records may take plain
  // number lines and whole text lines from directly; anything else they
  // read through the primitives (null when reading binary data).
  tavrin::InputFile* DirectInput() const { return m_directIn; }
  // Reading: hands out the object of a read-table index as ReadPointer
  // does, when ReadPointer would not have to create it (null for index 0 or
  // one past the table). False, nothing handed out, for an object not
  // created yet.
  bool HandOutExisting(uint32_t index, TavrinObject*& obj) {
    if (index >= m_readObjects.size()) {
      obj = nullptr;
      return true;
    }
    obj = m_readObjects[index];
    if (index != 0 && !obj) return false;
    m_lastHandedOut = index;
    return true;
  }
  int GetStatus() const { return m_status; }

  // Damage of the data section being read (or of a text that cannot be
  // written). Never cleared.
  void MarkDamaged() { m_damaged = true; }
  bool IsDamaged() const { return m_damaged; }

  // Claims the object ReadPointer returned last as an owned child. Each
  // object can be claimed once; a second claim, or a claim of any other
  // object, fails. A claim made while no owned record is being read (outside
  // EnterChild) makes the object a root of the read: its caller owns it once
  // the read succeeds.
  bool ClaimOwned(const TavrinObject* obj);
  // A claimed child its owner could not link (its container could not grow):
  // the store deletes it with the read's other objects, as the read fails.
  void DropOwned(const TavrinObject* obj);
  // A claimed child whose owner keeps only its content: deleted at once. A
  // later reference to its index reads a new empty object, which no record
  // can claim again.
  void DeleteClaimed(TavrinObject* obj);
  // Nesting of owned-child records, reading and writing; Enter fails past
  // kMaxNesting levels (a damaged file, or a save that fails). The bound
  // keeps the stack of a restore small: a few hundred bytes per level.
  static const int kMaxNesting = 64;
  bool EnterChild() { return ++m_depth <= kMaxNesting; }
  void LeaveChild() { --m_depth; }
  // How many owned-child records enclose the current position.
  int Depth() const { return m_depth; }

  // Memory ran out while reading or writing: the store is damaged, and the
  // reason of the failure is "out of memory" rather than damaged data.
  void MarkOutOfMemory() {
    m_damaged = true;
    m_outOfMemory = true;
  }
  bool IsOutOfMemory() const { return m_outOfMemory; }

 protected:
  // The read table of concrete stores: `count` indices, each empty until the
  // store puts the object created for it. May throw std::bad_alloc.
  void SetReadTable(std::size_t count);
  std::size_t ReadTableSize() const { return m_readObjects.size(); }
  TavrinObject* ReadObject(std::size_t index) const { return m_readObjects[index]; }
  void SetReadObject(std::size_t index, TavrinObject* obj) { m_readObjects[index] = obj; }
  // Concrete stores note the read-table index ReadPointer returns.
  void NoteHandedOut(std::size_t index) { m_lastHandedOut = index; }
  // Ends a read. With `deleteUnowned` (a failed read) every object the read
  // created that no owner holds is deleted: the roots, the dropped children
  // and the objects no record claimed (the other children go with their
  // owners). Otherwise the objects are left to their holders or their heap.
  void ReleaseReadTable(bool deleteUnowned);
  void SetStatus(int status) { m_status = status; }
  void SetDirectOutput(tavrin::OutputFile* out) { m_directOut = out; }
  void SetDirectInput(tavrin::InputFile* in) { m_directIn = in; }

 private:
  enum : uint8_t { kClaimed = 1, kStoreDeletes = 2 };
  TAVRIN_LOCAL std::size_t IndexOf(const TavrinObject* obj) const;

  int m_status = 0;
  int m_mode;
  int m_binaryRead = 0;
  int m_binaryWrite = 0;
  bool m_damaged = false;
  bool m_outOfMemory = false;
  int m_depth = 0;
  std::vector<TavrinObject*> m_readObjects;
  std::vector<uint8_t> m_readState;  // per index: kClaimed, kStoreDeletes
  std::size_t m_lastHandedOut = 0;
  tavrin::OutputFile* m_directOut = nullptr;
  tavrin::InputFile* m_directIn = nullptr;
};

// The file store: a buffered file that encodes each primitive as one text
// line (or, with the binary flags set, as raw little-endian bytes), framed by
// a header and an object table.
//
// Writing goes to a temporary file beside the target; Close completes the
// file (object table, header patch) and puts it in place of the target only
// when all of it reached the disk. Reading opens the file, checks the
// header, reads the object table and positions the store at the data
// section, whose end no read passes; the object of an index is created in
// the given heap when the data first refers to it. A read that fails
// deletes what it created (see ReleaseReadTable).
class TAVRIN_API PersistentFile : public PersistentStore {
 public:
  // mode 1 writes, any other value reads. `heap` is the session heap in which
  // the objects of a file being read are created (null: general allocator).
  PersistentFile(const char* path, int mode, HANDLEMA* heap);
  ~PersistentFile() override;
  PersistentFile(const PersistentFile&) = delete;
  PersistentFile& operator=(const PersistentFile&) = delete;

  // The file is open and its frame sound so far.
  bool IsOK() const;
  // Writing: completes the file and makes it the target; true only when the
  // whole file reached the disk and nothing written was damaged (a failed
  // save leaves the previous file untouched). Reading: closes the file and
  // deletes the objects of the table that no reference handed out; true
  // when the data read so far is sound. The destructor closes a store that
  // was not closed, ignoring the result.
  bool Close();
  // Reading: the data section must end here. Marks the store damaged unless
  // the position is exactly the object table's; false when damaged.
  bool FinishData();
  // Reading: where the object table begins (the data section's end).
  long GetObjectTablePosition() const;
  // The first reason the file could not be written or read ("out of memory"
  // when memory ran out); empty if none.
  const std::string& GetError() const;

  // The objects a read creates, with the session heap's growth, and the
  // object table together stay under kMemoryPerByte bytes per byte of file
  // plus kMemoryAllowance; a file that asks for more is damaged. (A read's
  // other memory is a small part of its file, so a whole restore takes at
  // most 32 bytes per byte of file plus a constant.)
  static const unsigned kMemoryPerByte = 30;
  static const unsigned kMemoryAllowance = 4u << 20;

  unsigned WriteUnsigned(const void* buf, unsigned size, unsigned count) override;
  unsigned WriteDouble(const void* buf, unsigned size, unsigned count) override;
  unsigned WriteFloat(const void* buf, unsigned size, unsigned count) override;
  unsigned WriteLong(const void* buf, unsigned size, unsigned count) override;
  unsigned WriteKey(const void* buf, unsigned size, unsigned count) override;
  unsigned WriteInt(const void* buf, unsigned size, unsigned count) override;
  // Text encoding: the NUL-terminated text at buf is written whole, then a
  // line feed; nothing when size or count is 0. A text holding a line feed
  // cannot be stored and marks the store damaged.
  unsigned WriteChars(const char* buf, unsigned size, unsigned count) override;
  unsigned ReadUnsigned(void* buf, unsigned size, unsigned count) override;
  unsigned ReadDouble(void* buf, unsigned size, unsigned count) override;
  unsigned ReadFloat(void* buf, unsigned size, unsigned count) override;
  unsigned ReadLong(void* buf, unsigned size, unsigned count) override;
  unsigned ReadInt(void* buf, unsigned size, unsigned count) override;
  unsigned ReadChars(char* buf, unsigned size, unsigned count) override;
  unsigned ReadLine(char* buf, unsigned size, unsigned count) override;
  long Tell() override;
  bool Seek(long position) override;
  int WritePointer(const TavrinObject* obj) override;
  TavrinObject* ReadPointer() override;
  bool ReadText(std::string& out, uint32_t length) override;
  void SetBinaryRead(int on) override;
  void SetBinaryWrite(int on) override;

 private:
  struct Impl;
  TAVRIN_LOCAL unsigned WriteInts(const void* buf, unsigned size, unsigned count);
  TAVRIN_LOCAL unsigned ReadInts(void* buf, unsigned size, unsigned count);
  // Floats (width 4, widened to double) and doubles (width 8) as text lines.
  TAVRIN_LOCAL unsigned WriteReals(const void* buf, unsigned width, unsigned count, const char* format);
  TAVRIN_LOCAL unsigned ReadReals(void* buf, unsigned width, unsigned count);
  TAVRIN_LOCAL unsigned WriteRaw(const void* buf, unsigned size, unsigned count);
  TAVRIN_LOCAL unsigned ReadRaw(void* buf, unsigned size, unsigned count);
  TAVRIN_LOCAL void OpenForWriting(const char* path);
  TAVRIN_LOCAL void OpenForReading(const char* path);
  TAVRIN_LOCAL bool CreateReadObject(std::size_t index);
  TAVRIN_LOCAL bool CloseWriting();
  TAVRIN_LOCAL void CloseReading();
  Impl* m;
};

// The format version this system writes: 12.
TAVRIN_API int GetCurrentTavrinDBVersion();
// The version in the header of the last file read in this process; 0 before any.
TAVRIN_API int GetCurrentDBVersion();
// The format version recorded in a file, or -1 when it is missing or the file
// cannot be read. Reads only the first lines.
TAVRIN_API int GetDBFileVersion(const char* path);

#endif
