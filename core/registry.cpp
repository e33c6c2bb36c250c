#include <cstring>

#include "tavrin/core.h"

namespace {
// Read once per destruction: the cost when nobody observes is one load.
std::atomic<tavrin::DestroyObserver> g_destroyObserver{nullptr};
}  // namespace

TavrinObject::~TavrinObject() {
  if (tavrin::DestroyObserver observer = g_destroyObserver.load(std::memory_order_acquire)) observer(this);
}

void tavrin::SetDestroyObserver(DestroyObserver observer) noexcept {
  g_destroyObserver.store(observer, std::memory_order_release);
}

namespace Dynamic {

namespace {
// Zero-initialised before any factory registers during static initialisation.
FactoryListElement* g_head = nullptr;
int g_count = 0;
}  // namespace

void Register(FactoryListElement* element) {
  element->next = g_head;
  g_head = element;
  ++g_count;
}

void Unregister(FactoryListElement* element) {
  for (FactoryListElement** link = &g_head; *link; link = &(*link)->next) {
    if (*link == element) {
      *link = element->next;
      return;
    }
  }
}

FactoryListElement* RegistryHead() { return g_head; }
int RegisteredCount() { return g_count; }

AbstractFactory* FindFactory(const char* name) {
  if (!name) return nullptr;
  for (FactoryListElement* e = g_head; e; e = e->next) {
    if (std::strcmp(name, e->factory->ClassName() + 6) == 0) return e->factory;
  }
  return nullptr;
}

TavrinObject* CreateByClassName(const char* name, HANDLEMA* heap) {
  AbstractFactory* f = FindFactory(name);
  return f ? f->Create(name, heap) : nullptr;
}

}  // namespace Dynamic
