#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/pool.h"
#include "persist/file_frame.h"
#include "persist/input_file.h"
#include "persist/output_file.h"
#include "persist/reference_index.h"
#include "persist/text_codec.h"
#include "platform/private_heap.h"
#include "tavrin/persist.h"

using tavrin::InputFile;
using tavrin::OutputFile;

struct PersistentFile::Impl {
  HANDLEMA* heap = nullptr;
  bool open = false;
  bool closed = false;
  bool closeResult = false;
  bool binaryWrite = false;  // copies of the binary flags, read by every primitive
  bool binaryRead = false;
  bool debugReferences = false;  // writing: "TAVRIN_DEBUG" was set when the file was opened
  std::string error;
  // writing
  std::unique_ptr<OutputFile> out;
  std::unique_ptr<tavrin::ReferenceIndex> refs;
  int64_t patchPos = 0;
  // reading
  std::unique_ptr<InputFile> in;
  tavrin::FrameHeader header;
  // The object table: per index the position of its class among the
  // registered classes (null first: an unknown class), whose factories
  // create the objects on first reference.
  std::vector<uint32_t> classOf;
  std::vector<Dynamic::AbstractFactory*> factories;
  // What the objects created so far may take: the heap's growth and the
  // table together stay under kMemoryPerByte bytes per byte of file.
  std::size_t heapStart = 0;
  std::size_t tableBytes = 0;
  std::size_t created = 0;
  uint64_t budget = 0;

  PersistentFile* self = nullptr;
  // Keeps the first reason of a failure. Memory running out while the
  // reason is put into words makes the reason "out of memory".
  template <class Why>
  void SetError(Why why) noexcept {
    if (!error.empty()) return;
    try {
      error = why();
    } catch (const std::bad_alloc&) {
      self->MarkOutOfMemory();
    }
  }
  // Frame output, always in the text encoding.
  void PutLine(const char* text, std::size_t n) { out->PutLine(text, n); }
  void PutLine(const char* text) { PutLine(text, std::strlen(text)); }
  void PutInt(int32_t v) { out->PutIntLine(v); }
};

PersistentFile::PersistentFile(const char* path, int mode, HANDLEMA* heap)
    : PersistentStore(mode), m(new Impl) {
  m->self = this;
  m->heap = heap;
  // Memory running out while the file is opened leaves it closed.
  try {
    if (IsWriting()) OpenForWriting(path);
    else OpenForReading(path);
  } catch (const std::bad_alloc&) {
    MarkOutOfMemory();
    SetStatus(3);
  }
}

PersistentFile::~PersistentFile() {
  Close();
  delete m;
}

void PersistentFile::SetBinaryRead(int on) {
  PersistentStore::SetBinaryRead(on);
  m->binaryRead = on != 0;
  SetDirectInput(!IsWriting() && IsOK() && m->in && !m->binaryRead ? m->in.get() : nullptr);
}

void PersistentFile::SetBinaryWrite(int on) {
  PersistentStore::SetBinaryWrite(on);
  m->binaryWrite = on != 0;
  SetDirectOutput(IsWriting() && m->open && !m->binaryWrite ? m->out.get() : nullptr);
}

bool PersistentFile::IsOK() const { return m->open && GetStatus() == 0; }

const std::string& PersistentFile::GetError() const {
  static const std::string outOfMemory = "out of memory";
  return IsOutOfMemory() ? outOfMemory : m->error;
}

long PersistentFile::GetObjectTablePosition() const { return static_cast<long>(m->header.tablePos); }

// ---- frame -----------------------------------------------------------------------

void PersistentFile::OpenForWriting(const char* path) {
  m->out.reset(new OutputFile);
  // About one object per 256 bytes of the session heap (a whole board takes
  // some 295 per object with its maps, lists and texts).
  std::size_t expected = m->heap ? tavrin::HeapBytesInUse(m->heap->heap) / 256 : 0;
  m->refs.reset(new tavrin::ReferenceIndex(expected, tavrin::PoolAddressHint(m->heap)));
  if (!m->out->Open(path)) {
    m->SetError([&] { return std::string(m->out->error()); });
    return;
  }
  m->open = true;
  if (!m->binaryWrite) SetDirectOutput(m->out.get());
  m->debugReferences = std::getenv("TAVRIN_DEBUG") != nullptr;
  m->PutLine("YO");
  m->PutLine(tavrin::kFormatVersionText);
  m->PutLine("VV");
  m->PutInt(tavrin::kRevision);
  m->patchPos = m->out->Tell();
  m->PutInt(tavrin::kPlaceholder);
  m->PutInt(tavrin::kPlaceholder);
}

bool PersistentFile::CloseWriting() {
  if (!m->open || !m->out) return false;
  OutputFile& out = *m->out;
  if (GetStatus() == 0 && !IsDamaged()) {
    int64_t tablePos = out.Tell();
    m->PutLine(tavrin::kTableMarker);
    // The object table: the class of every index in order, each distinct
    // class named once and then referred to by its position among the names.
    uint32_t count = m->refs->Count();
    m->PutInt(static_cast<int32_t>(count));
    std::unordered_map<const char*, int32_t> byPointer;
    std::unordered_map<std::string, int32_t> byName;
    const char* lastClass = nullptr;  // objects of one class tend to follow each other
    int32_t lastPosition = 0;
    for (uint32_t i = 1; i < count; ++i) {
      const char* cls = m->refs->ClassOf(i);
      if (cls == lastClass) {
        m->PutInt(lastPosition);
        continue;
      }
      lastClass = cls;
      auto hit = byPointer.find(cls);
      if (hit != byPointer.end()) {
        lastPosition = hit->second;
        m->PutInt(lastPosition);
        continue;
      }
      const char* bare = std::strncmp(cls, "class ", 6) == 0 ? cls + 6 : cls;
      auto named = byName.find(bare);
      if (named != byName.end()) {
        lastPosition = named->second;
        byPointer.emplace(cls, lastPosition);
        m->PutInt(lastPosition);
        continue;
      }
      lastPosition = static_cast<int32_t>(byName.size());
      byName.emplace(bare, lastPosition);
      byPointer.emplace(cls, lastPosition);
      m->PutLine(bare);
    }
    int64_t endPos = out.Tell();
    // The patched positions must leave a line feed of the placeholders.
    char table[32], end[32];
    int a = std::snprintf(table, sizeof table, "%06lld", static_cast<long long>(tablePos));
    int b = std::snprintf(end, sizeof end, "%06lld", static_cast<long long>(endPos));
    if (endPos > INT32_MAX || a + b + 2 > tavrin::kPlaceholderBytes - 1) {
      SetStatus(3);
      m->SetError([&] {
        return std::string("file too large for its header (" + std::to_string(endPos) + " bytes)");
      });
    } else if (!out.Seek(m->patchPos)) {
      SetStatus(3);
    } else {
      m->PutLine(table);
      m->PutLine(end);
    }
  }
  if (GetStatus() != 0 || IsDamaged() || !out.ok()) {
    if (!out.ok()) m->SetError([&] { return std::string(out.error()); });
    if (IsDamaged()) m->SetError([&] { return std::string("the data cannot be written"); });
    out.Abort();
    return false;
  }
  if (!out.Commit()) {
    m->SetError([&] { return std::string(out.error()); });
    return false;
  }
  return true;
}

void PersistentFile::OpenForReading(const char* path) {
  m->in.reset(new InputFile);
  InputFile& in = *m->in;
  if (!in.Open(path)) {
    m->SetError([&] { return std::string("cannot open ") + (path ? path : "(null)") + ": " + in.error(); });
    return;
  }
  m->open = true;
  std::string why;
  tavrin::ObjectTable table;
  if (!tavrin::ReadFrameHeader(in, m->header, &why) ||
      !tavrin::ReadObjectTable(in, m->header, table, &why, true)) {
    SetStatus(3);
    m->SetError([&] { return std::move(why); });
    return;
  }
  // Objects come into being when the data first refers to them; until then
  // an index costs its table entry only. Each class line is resolved as it
  // is read; an unknown class leaves its entries null.
  m->factories.swap(table.factories);
  m->classOf.swap(table.entries);
  SetReadTable(m->classOf.size());
  m->tableBytes = m->classOf.size() * (sizeof(uint32_t) + sizeof(TavrinObject*) + sizeof(uint8_t));
  m->heapStart = m->heap ? tavrin::HeapBytesInUse(m->heap->heap) : 0;
  m->budget = kMemoryPerByte * static_cast<uint64_t>(in.Size()) + kMemoryAllowance;
  if (!in.Seek(m->header.dataStart)) {
    SetStatus(3);
    m->SetError([&] { return std::string("cannot return to the data section"); });
    return;
  }
  in.SetLimit(m->header.tablePos);
  if (!m->binaryRead) SetDirectInput(&in);
}

// A failed read deletes the objects it created without a heap that no one
// holds; objects in a heap go with the heap (a session restore reads into a
// heap of its own, which it destroys when the restore fails).
void PersistentFile::CloseReading() {
  ReleaseReadTable(!m->heap && (!IsOK() || IsDamaged()));
  if (m->in) m->in->Close();
}

// Creates the object of a table entry on its first reference. False, with
// the store damaged, when the file would take more memory than its size
// allows or memory runs out.
bool PersistentFile::CreateReadObject(std::size_t index) {
  Dynamic::AbstractFactory* factory = m->factories[m->classOf[index]];
  if (!factory) return true;  // an unknown class: the entry stays null
  // Without a heap, each object is counted as the largest pooled block.
  std::size_t held = m->heap ? tavrin::HeapBytesInUse(m->heap->heap) : 0;
  std::size_t grown = !m->heap ? m->created * tavrin::kPoolLimit : held > m->heapStart ? held - m->heapStart : 0;
  if (grown + m->tableBytes > m->budget) {
    MarkDamaged();
    m->SetError([&] {
      return std::string("data section: the references up to byte " + std::to_string(m->in->Tell())
                         + " create more objects than a file of " + std::to_string(m->in->Size())
                         + " bytes holds");
    });
    return false;
  }
  TavrinObject* obj = factory->Create(factory->ClassName() + 6, m->heap);
  if (!obj) {
    MarkOutOfMemory();
    return false;
  }
  ++m->created;
  SetReadObject(index, obj);
  return true;
}

bool PersistentFile::Close() {
  if (m->closed) return m->closeResult;
  m->closed = true;
  SetDirectOutput(nullptr);
  SetDirectInput(nullptr);
  if (IsWriting()) {
    try {
      m->closeResult = CloseWriting();
    } catch (const std::bad_alloc&) {
      // The file is not complete: it must not replace the target.
      MarkOutOfMemory();
      if (m->out) m->out->Abort();
      m->closeResult = false;
    }
  } else {
    m->closeResult = IsOK() && !IsDamaged();
    CloseReading();
  }
  m->open = false;
  return m->closeResult;
}

bool PersistentFile::FinishData() {
  if (IsWriting() || !IsOK()) return false;
  int64_t pos = m->in->Tell();
  if (!IsDamaged() && pos != m->header.tablePos) {
    MarkDamaged();
    m->SetError([&] {
      return std::string("data section ends at byte " + std::to_string(pos)
                         + ", object table begins at byte " + std::to_string(m->header.tablePos));
    });
  }
  if (IsDamaged())
    m->SetError([&] {
      return std::string("data section: inconsistent record (a reference missing, of another class or "
                         "already owned, or a map key repeated) ending at byte " + std::to_string(pos));
    });
  return !IsDamaged();
}

// ---- primitives ------------------------------------------------------------------

namespace {
inline std::size_t Bytes(unsigned size, unsigned count) {
  return static_cast<std::size_t>(size) * static_cast<std::size_t>(count);
}
}  // namespace

unsigned PersistentFile::WriteRaw(const void* buf, unsigned size, unsigned count) {
  if (!IsWriting() || !m->open || size == 0) return 0;
  m->out->Write(buf, Bytes(size, count));
  return count;
}

unsigned PersistentFile::ReadRaw(void* buf, unsigned size, unsigned count) {
  if (IsWriting() || !IsOK()) {
    MarkDamaged();
    return 0;
  }
  if (size == 0 || count == 0) return 0;
  std::size_t want = Bytes(size, count);
  std::size_t got = m->in->ReadBytes(buf, want);
  if (got != want) {
    MarkDamaged();
    m->SetError([&] {
      return std::string("data section: binary data incomplete at byte " + std::to_string(m->in->Tell()));
    });
  }
  return static_cast<unsigned>(got / size);
}

// Integer elements are 4-byte values whatever the element size says.
unsigned PersistentFile::WriteInts(const void* buf, unsigned size, unsigned count) {
  if (m->binaryWrite) return WriteRaw(buf, size, count);
  if (!IsWriting() || !m->open) return 0;
  const char* p = static_cast<const char*>(buf);
  for (unsigned i = 0; i < count; ++i) {
    int32_t v;
    std::memcpy(&v, p + 4 * static_cast<std::size_t>(i), 4);
    m->PutInt(v);
  }
  return count;
}

unsigned PersistentFile::ReadInts(void* buf, unsigned size, unsigned count) {
  if (m->binaryRead) return ReadRaw(buf, size, count);
  if (IsWriting() || !IsOK()) {
    MarkDamaged();
    return 0;
  }
  char* p = static_cast<char*>(buf);
  for (unsigned i = 0; i < count; ++i) {
    int64_t at = m->in->Tell();
    int32_t v;
    if (!tavrin::ReadInt32Line(*m->in, v)) {
      MarkDamaged();
      m->SetError([&] {
        return std::string("data section: number line incomplete at byte " + std::to_string(at));
      });
      return i;
    }
    std::memcpy(p + 4 * static_cast<std::size_t>(i), &v, 4);
  }
  return count;
}

unsigned PersistentFile::WriteUnsigned(const void* buf, unsigned size, unsigned count) {
  return WriteInts(buf, size, count);
}
unsigned PersistentFile::WriteLong(const void* buf, unsigned size, unsigned count) {
  return WriteInts(buf, size, count);
}
unsigned PersistentFile::WriteKey(const void* buf, unsigned size, unsigned count) {
  return WriteInts(buf, size, count);
}
unsigned PersistentFile::WriteInt(const void* buf, unsigned size, unsigned count) {
  return WriteInts(buf, size, count);
}
unsigned PersistentFile::ReadUnsigned(void* buf, unsigned size, unsigned count) {
  return ReadInts(buf, size, count);
}
unsigned PersistentFile::ReadLong(void* buf, unsigned size, unsigned count) {
  return ReadInts(buf, size, count);
}
unsigned PersistentFile::ReadInt(void* buf, unsigned size, unsigned count) {
  return ReadInts(buf, size, count);
}

unsigned PersistentFile::WriteReals(const void* buf, unsigned width, unsigned count,
                                    const char* format) {
  if (!IsWriting() || !m->open) return 0;
  for (unsigned i = 0; i < count; ++i) {
    const char* at = static_cast<const char*>(buf) + width * static_cast<std::size_t>(i);
    double d;
    if (width == 4) {
      float f;
      std::memcpy(&f, at, 4);
      d = f;
    } else {
      std::memcpy(&d, at, 8);
    }
    char line[400];
    int n = std::snprintf(line, sizeof line, format, d);
    m->out->Write(line, static_cast<std::size_t>(n));
  }
  return count;
}

unsigned PersistentFile::ReadReals(void* buf, unsigned width, unsigned count) {
  if (IsWriting() || !IsOK()) {
    MarkDamaged();
    return 0;
  }
  for (unsigned i = 0; i < count; ++i) {
    double d;
    int64_t at = m->in->Tell();
    if (!tavrin::ReadDoubleLine(*m->in, d)) {
      MarkDamaged();
      m->SetError([&] {
        return std::string("data section: number line incomplete at byte " + std::to_string(at));
      });
      return i;
    }
    char* to = static_cast<char*>(buf) + width * static_cast<std::size_t>(i);
    if (width == 4) {
      float f = static_cast<float>(d);
      std::memcpy(to, &f, 4);
    } else {
      std::memcpy(to, &d, 8);
    }
  }
  return count;
}

unsigned PersistentFile::WriteFloat(const void* buf, unsigned size, unsigned count) {
  if (m->binaryWrite) return WriteRaw(buf, size, count);
  return WriteReals(buf, 4, count, "%.8f\n");
}

unsigned PersistentFile::WriteDouble(const void* buf, unsigned size, unsigned count) {
  if (m->binaryWrite) return WriteRaw(buf, size, count);
  return WriteReals(buf, 8, count, "%.12f\n");
}

unsigned PersistentFile::ReadFloat(void* buf, unsigned size, unsigned count) {
  if (m->binaryRead) return ReadRaw(buf, size, count);
  return ReadReals(buf, 4, count);
}

unsigned PersistentFile::ReadDouble(void* buf, unsigned size, unsigned count) {
  if (m->binaryRead) return ReadRaw(buf, size, count);
  return ReadReals(buf, 8, count);
}

unsigned PersistentFile::WriteChars(const char* buf, unsigned size, unsigned count) {
  if (size == 0 || count == 0) return 0;
  if (m->binaryWrite) return WriteRaw(buf, size, count);
  if (!IsWriting() || !m->open) return 0;
  if (!buf) return 0;
  // One pass finds the end of the text or a line feed in it.
  const char* stop = strchrnul(buf, '\n');
  std::size_t n = static_cast<std::size_t>(stop - buf);
  if (*stop) {
    MarkDamaged();
    m->SetError([&] { return std::string("a text holds a line feed and cannot be stored"); });
    n += std::strlen(stop);
  }
  m->PutLine(buf, n);
  return count;
}

unsigned PersistentFile::ReadChars(char* buf, unsigned size, unsigned count) {
  if (size == 0 || count == 0) return 0;
  if (m->binaryRead) return ReadRaw(buf, size, count);
  if (IsWriting() || !IsOK()) {
    MarkDamaged();
    return 0;
  }
  int64_t at = m->in->Tell();
  if (!m->in->ReadLine(buf, Bytes(size, count))) {
    MarkDamaged();
    m->SetError([&] {
      return std::string("data section: text line incomplete at byte " + std::to_string(at));
    });
    return 0;
  }
  return count;
}

unsigned PersistentFile::ReadLine(char* buf, unsigned size, unsigned count) {
  std::size_t cap = Bytes(size, count);
  if (cap == 0) return 0;
  if (IsWriting() || !IsOK()) {
    MarkDamaged();
    buf[0] = '\0';
    return 0;
  }
  int64_t at = m->in->Tell();
  if (!m->in->ReadLine(buf, cap - 1)) {
    MarkDamaged();
    m->SetError([&] { return std::string("data section: line incomplete at byte " + std::to_string(at)); });
    return 0;
  }
  return count;
}

bool PersistentFile::ReadText(std::string& out, uint32_t length) {
  out.clear();
  if (length == 0) return true;
  if (IsWriting() || !IsOK() || IsDamaged()) {
    MarkDamaged();
    return false;
  }
  InputFile& in = *m->in;
  int64_t at = in.Tell();
  // The text and its line feed must fit before the object table.
  if (static_cast<int64_t>(length) + (m->binaryRead ? 0 : 1) > in.Remaining()) {
    MarkDamaged();
    m->SetError([&] {
      return std::string("data section: text of " + std::to_string(length) + " characters at byte "
                         + std::to_string(at) + " runs past the data section");
    });
    return false;
  }
  try {
    if (m->binaryRead) out.resize(length);
    else out.reserve(length);
  } catch (const std::bad_alloc&) {
    MarkOutOfMemory();
    return false;
  }
  if (m->binaryRead) {
    if (in.ReadBytes(&out[0], length) != length) {
      MarkDamaged();
      return false;
    }
    return true;
  }
  std::size_t total = 0;
  bool complete = in.ScanLine([&](const char* p, std::size_t n) {
    if (total < length) out.append(p, n < length - total ? n : length - total);
    total += n;
  });
  if (!complete || total != length || std::memchr(out.data(), '\0', out.size())) {
    MarkDamaged();
    m->SetError([&] {
      return std::string("data section: text at byte " + std::to_string(at) + " does not have its "
                         + std::to_string(length) + " characters");
    });
    return false;
  }
  return true;
}

long PersistentFile::Tell() {
  if (!m->open) return -1;
  return static_cast<long>(IsWriting() ? m->out->Tell() : m->in->Tell());
}

bool PersistentFile::Seek(long position) {
  if (!m->open) return false;
  return IsWriting() ? m->out->Seek(position) : m->in->Seek(position);
}

int PersistentFile::WritePointer(const TavrinObject* obj) {
  if (!IsWriting() || !m->open) return 0;
  int64_t index = m->refs->IndexOf(obj);
  if (index < 0) {
    MarkOutOfMemory();  // the references could not be numbered
    index = 0;
  }
  int32_t v = static_cast<int32_t>(index);
  if (m->binaryWrite) {
    m->out->Write(&v, 4);
  } else if (m->debugReferences) {
    char line[400];
    int n = std::snprintf(line, sizeof line, "%u  Ptr %s %X\n", static_cast<unsigned>(v),
                          obj ? obj->GetClassName() : "NULL",
                          static_cast<unsigned>(reinterpret_cast<uintptr_t>(obj)));
    if (n >= static_cast<int>(sizeof line)) {
      line[sizeof line - 2] = '\n';
      n = static_cast<int>(sizeof line) - 1;
    }
    m->out->Write(line, static_cast<std::size_t>(n));
  } else {
    m->PutInt(v);
  }
  return v;
}

TavrinObject* PersistentFile::ReadPointer() {
  if (IsWriting() || !IsOK()) {
    MarkDamaged();
    return nullptr;
  }
  int32_t v = 0;
  if (m->binaryRead) {
    if (ReadRaw(&v, 4, 1) != 1) return nullptr;
  } else {
    int64_t at = m->in->Tell();
    if (!tavrin::ReadInt32Line(*m->in, v)) {
      MarkDamaged();
      m->SetError([&] {
        return std::string("data section: reference line incomplete at byte " + std::to_string(at));
      });
      return nullptr;
    }
  }
  uint32_t index = static_cast<uint32_t>(v);
  if (index >= ReadTableSize()) return nullptr;
  if (index != 0 && !ReadObject(index) && !CreateReadObject(index)) return nullptr;
  NoteHandedOut(index);
  return ReadObject(index);
}
