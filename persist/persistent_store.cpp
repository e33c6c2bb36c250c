
#include "tavrin/persist.h"

PersistentStore::PersistentStore(int mode) : m_mode(mode) {}

PersistentStore::~PersistentStore() {}

bool PersistentStore::ReadText(std::string& out, uint32_t length) {
  out.clear();
  if (length == 0) return true;
  // A content line longer than the declared length is damage; read one more
  // character than expected to see it.
  std::string buf(static_cast<std::size_t>(length) + 2, '\0');
  if (ReadChars(&buf[0], 1, length + 1) != length + 1) {
    MarkDamaged();
    return false;
  }
  std::size_t n = std::char_traits<char>::length(buf.c_str());
  if (n != length) {
    MarkDamaged();
    return false;
  }
  out.assign(buf.c_str(), n);
  return true;
}

void PersistentStore::SetReadObjects(std::vector<TavrinObject*> objects) {
  m_readObjects = std::move(objects);
  m_claimed.assign(m_readObjects.size(), false);
  m_lastHandedOut = 0;
}

bool PersistentStore::ClaimOwned(const TavrinObject* obj) {
  if (!obj || m_lastHandedOut >= m_readObjects.size() || m_readObjects[m_lastHandedOut] != obj) return false;
  if (m_claimed[m_lastHandedOut]) return false;
  m_claimed[m_lastHandedOut] = true;
  return true;
}
