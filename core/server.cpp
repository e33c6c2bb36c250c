#include <atomic>

#include "core/pool.h"
#include "persist/record.h"
#include "persist/single_object_file.h"
#include "tavrin/core.h"

namespace {
// Process-wide; read by every construction on any thread.
std::atomic<GTavrinServer*> g_currentServer{nullptr};
}

TAVRIN_REGISTER_FACTORY(GTavrinServer);

GTavrinServer::GTavrinServer() : m_heap(tavrin::ClaimPendingHeap()) {}

GTavrinServer::~GTavrinServer() {}

// The counter is a 32-bit value read from a file: past the largest value it
// wraps to the smallest (atomic addition wraps) instead of overflowing.
long GTavrinServer::GetNewId() {
  if (GTavrinServer* server = g_currentServer.load(std::memory_order_acquire))
    server->m_idCounter.fetch_add(1, std::memory_order_relaxed);
  return 0;
}

GTavrinServer* GTavrinServer::GetCurrent() { return g_currentServer.load(std::memory_order_acquire); }

void GTavrinServer::SetCurrent(GTavrinServer* server) { g_currentServer.store(server); }

int GTavrinServer::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

// The id counter, the running flag, and a reserved value.
Persistent::Error GTavrinServer::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  int32_t counter = m_idCounter.load(std::memory_order_relaxed);
  r.Long(counter);
  if (r.Reading() && r.ok()) m_idCounter.store(counter, std::memory_order_relaxed);
  r.Bool(m_running);
  r.Int(m_reserved);
  return r.Result();
}

bool GTavrinServer::Save(const char* path) { return tavrin::SaveSingleObject(path, GetCurrent()); }

// While the file is read no server is current, so the objects it creates
// count nothing.
bool GTavrinServer::Restore(const char* path) {
  GTavrinServer* previous = g_currentServer.exchange(nullptr);
  GTavrinServer* restored = tavrin::RestoreSingleObject<GTavrinServer>(path);
  if (!restored) {
    g_currentServer.store(previous);
    return false;
  }
  delete previous;
  g_currentServer.store(restored);
  return true;
}
