#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/core.h"

namespace {
GTavrinServer* g_currentServer = nullptr;
}

TAVRIN_REGISTER_FACTORY(GTavrinServer);

GTavrinServer::GTavrinServer() : m_heap(tavrin::ClaimPendingHeap()) {}

GTavrinServer::~GTavrinServer() {}

long GTavrinServer::GetNewId() {
  if (g_currentServer) ++g_currentServer->m_idCounter;
  return 0;
}

GTavrinServer* GTavrinServer::GetCurrent() { return g_currentServer; }

void GTavrinServer::SetCurrent(GTavrinServer* server) { g_currentServer = server; }

int GTavrinServer::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

Persistent::Error GTavrinServer::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  r.Long(m_idCounter);
  r.Bool(m_running);
  r.Int(m_reserved);
  return r.Result();
}
