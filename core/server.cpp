#include "core/pool.h"
#include "persist/record.h"
#include "persist/single_object_file.h"
#include "tavrin/core.h"

namespace {
GTavrinServer* g_currentServer = nullptr;
}

TAVRIN_REGISTER_FACTORY(GTavrinServer);

GTavrinServer::GTavrinServer() : m_heap(tavrin::ClaimPendingHeap()) {}

GTavrinServer::~GTavrinServer() {}

// The counter is a 32-bit value read from a file: past the largest value it
// wraps to the smallest instead of overflowing.
long GTavrinServer::GetNewId() {
  if (g_currentServer)
    g_currentServer->m_idCounter =
        static_cast<int32_t>(static_cast<uint32_t>(g_currentServer->m_idCounter) + 1u);
  return 0;
}

GTavrinServer* GTavrinServer::GetCurrent() { return g_currentServer; }

void GTavrinServer::SetCurrent(GTavrinServer* server) { g_currentServer = server; }

int GTavrinServer::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

// The id counter, the running flag, and a reserved value.
Persistent::Error GTavrinServer::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  r.Long(m_idCounter);
  r.Bool(m_running);
  r.Int(m_reserved);
  return r.Result();
}

bool GTavrinServer::Save(const char* path) { return tavrin::SaveSingleObject(path, g_currentServer); }

// While the file is read no server is current, so the objects it creates
// count nothing.
bool GTavrinServer::Restore(const char* path) {
  GTavrinServer* previous = g_currentServer;
  g_currentServer = nullptr;
  GTavrinServer* restored = tavrin::RestoreSingleObject<GTavrinServer>(path);
  if (!restored) {
    g_currentServer = previous;
    return false;
  }
  delete previous;
  g_currentServer = restored;
  return true;
}
