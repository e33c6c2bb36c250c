#include <memory>
#include <new>

#include "tavrin/persist.h"

PersistentStore::PersistentStore(int mode) : m_mode(mode) {}

PersistentStore::~PersistentStore() {}

bool PersistentStore::ReadText(std::string& out, uint32_t length) {
  out.clear();
  if (length == 0) return true;
  // A content line longer than the declared length is damage; read one more
  // character than expected to see it. The largest length leaves no room
  // for that character in 32 bits: no file holds such a line.
  if (length == UINT32_MAX) {
    MarkDamaged();
    return false;
  }
  // The buffer is not filled in advance: only the line read touches it.
  std::unique_ptr<char[]> buf;
  try {
    buf.reset(new char[static_cast<std::size_t>(length) + 2]);
  } catch (const std::bad_alloc&) {
    MarkOutOfMemory();
    return false;
  }
  buf[0] = '\0';
  if (ReadChars(buf.get(), 1, length + 1) != length + 1) {
    MarkDamaged();
    return false;
  }
  std::size_t n = std::char_traits<char>::length(buf.get());
  if (n != length) {
    MarkDamaged();
    return false;
  }
  try {
    out.assign(buf.get(), n);
  } catch (const std::bad_alloc&) {
    MarkOutOfMemory();
    return false;
  }
  return true;
}

void PersistentStore::SetReadTable(std::size_t count) {
  m_readObjects.assign(count, nullptr);
  m_readState.assign(count, 0);
  m_lastHandedOut = 0;
}

namespace {
// An object with two TavrinObject bases may be handed in through either.
bool SameObject(const TavrinObject* a, const TavrinObject* b) {
  return a == b || (a && b && dynamic_cast<const void*>(a) == dynamic_cast<const void*>(b));
}
}  // namespace

std::size_t PersistentStore::IndexOf(const TavrinObject* obj) const {
  if (m_lastHandedOut < m_readObjects.size() && SameObject(m_readObjects[m_lastHandedOut], obj))
    return m_lastHandedOut;
  for (std::size_t i = 1; i < m_readObjects.size(); ++i)
    if (SameObject(m_readObjects[i], obj)) return i;
  return m_readObjects.size();
}

bool PersistentStore::ClaimOwned(const TavrinObject* obj) {
  if (!obj || m_lastHandedOut >= m_readObjects.size() || !SameObject(m_readObjects[m_lastHandedOut], obj))
    return false;
  uint8_t& state = m_readState[m_lastHandedOut];
  if (state & kClaimed) return false;
  state = m_depth == 0 ? kClaimed | kStoreDeletes : kClaimed;
  return true;
}

void PersistentStore::DropOwned(const TavrinObject* obj) {
  std::size_t i = obj ? IndexOf(obj) : m_readObjects.size();
  if (i < m_readObjects.size()) m_readState[i] |= kStoreDeletes;
}

void PersistentStore::DeleteClaimed(TavrinObject* obj) {
  std::size_t i = obj ? IndexOf(obj) : m_readObjects.size();
  if (i >= m_readObjects.size()) return;
  delete m_readObjects[i];
  m_readObjects[i] = nullptr;
  m_readState[i] = kClaimed | kStoreDeletes;
}

void PersistentStore::ReleaseReadTable(bool deleteUnowned) {
  if (deleteUnowned) {
    for (std::size_t i = 1; i < m_readObjects.size(); ++i) {
      uint8_t state = m_readState[i];
      if (m_readObjects[i] && (!(state & kClaimed) || (state & kStoreDeletes))) delete m_readObjects[i];
    }
  }
  // Swapping with empty vectors releases the memory without allocating.
  std::vector<TavrinObject*>().swap(m_readObjects);
  std::vector<uint8_t>().swap(m_readState);
  m_lastHandedOut = 0;
}
