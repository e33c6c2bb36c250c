// Generic objects: object types with their top-level objects, objects with
// their children, and the position list that holds both.
#include "core/pool.h"
#include "persist/record.h"
#include "tavrin/persist.h"
#include "tavrin/props.h"

TAVRIN_REGISTER_FACTORY(SObjectType);
TAVRIN_REGISTER_FACTORY(SObject);

// ---- position list ---------------------------------------------------------------------

namespace tavrin {

struct ObjectList::Node : __POSITION {
  Node* next;
  Node* prev;
  SObject* object;
};

// Nodes come from the session heap, so deleting a session reclaims them
// with everything else.
POSITION ObjectList::Link(SObject* o, Node* prev, Node* next) {
  Node* n = static_cast<Node*>(PoolAlloc(m_heap, sizeof(Node)));
  if (!n) return nullptr;
  n->object = o;
  n->prev = prev;
  n->next = next;
  if (prev) prev->next = n; else m_head = n;
  if (next) next->prev = n; else m_tail = n;
  ++m_count;
  return n;
}

POSITION ObjectList::AddTail(SObject* o) { return Link(o, m_tail, nullptr); }
POSITION ObjectList::AddHead(SObject* o) { return Link(o, nullptr, m_head); }

POSITION ObjectList::InsertAfter(POSITION pos, SObject* o) {
  Node* at = static_cast<Node*>(pos);
  return Link(o, at, at->next);
}

POSITION ObjectList::Find(SObject* o) const {
  for (Node* n = m_head; n; n = n->next)
    if (n->object == o) return n;
  return nullptr;
}

void ObjectList::RemoveAt(POSITION pos) {
  Node* n = static_cast<Node*>(pos);
  if (n->prev) n->prev->next = n->next; else m_head = n->next;
  if (n->next) n->next->prev = n->prev; else m_tail = n->prev;
  PoolFree(n);
  --m_count;
}

void ObjectList::RemoveAll() {
  for (Node* n = m_head; n;) {
    Node* next = n->next;
    PoolFree(n);
    n = next;
  }
  m_head = m_tail = nullptr;
  m_count = 0;
}

void ObjectList::MoveAllTo(ObjectList& to) {
  if (!m_head || &to == this) return;
  m_head->prev = to.m_tail;
  if (to.m_tail) to.m_tail->next = m_head; else to.m_head = m_head;
  to.m_tail = m_tail;
  to.m_count += m_count;
  m_head = m_tail = nullptr;
  m_count = 0;
}

POSITION ObjectList::GetHeadPosition() const { return m_head; }
POSITION ObjectList::GetTailPosition() const { return m_tail; }

SObject* ObjectList::GetNext(POSITION& pos) const {
  Node* n = static_cast<Node*>(pos);
  pos = n->next;
  return n->object;
}

SObject* ObjectList::GetPrev(POSITION& pos) const {
  Node* n = static_cast<Node*>(pos);
  pos = n->prev;
  return n->object;
}

void ObjectList::DeleteAll() {
  while (m_head) {
    SObject* o = m_head->object;
    RemoveAt(m_head);
    if (!o) continue;
    o->m_children.MoveAllTo(*this);
    delete o;
  }
}

}  // namespace tavrin

// ---- shared list operations ---------------------------------------------------------------

namespace {

POSITION InsertBehind(tavrin::ObjectList& list, SObject* o, SObject* after) {
  if (!after) return list.AddHead(o);
  POSITION at = list.Find(after);
  return at ? list.InsertAfter(at, o) : nullptr;
}

int RemoveFirst(tavrin::ObjectList& list, SObject* o) {
  POSITION at = list.Find(o);
  if (!at) return 0;
  list.RemoveAt(at);
  return 1;
}

SObject* First(const tavrin::ObjectList& list, POSITION& pos) {
  pos = list.GetHeadPosition();
  return pos ? list.GetNext(pos) : nullptr;
}

SObject* Last(const tavrin::ObjectList& list, POSITION& pos) {
  pos = list.GetTailPosition();
  return pos ? list.GetPrev(pos) : nullptr;
}

SObject* TailObject(const tavrin::ObjectList& list) {
  POSITION pos = list.GetTailPosition();
  return pos ? list.GetPrev(pos) : nullptr;
}

// A new object in `heap` filed at the tail of `list`; null, nothing
// changed, when memory is exhausted.
SObject* NewListedObject(tavrin::ObjectList& list, HANDLEMA* heap, SObjectType* type, SObject* parent,
                         const char* name) {
  SObject* o = new (heap) SObject();
  if (!o) return nullptr;
  if (name) o->SetName(name);
  o->SetObjectType(type);
  o->SetParent(parent);
  if ((name && !o->GetName()) || !list.AddTail(o)) {
    delete o;
    return nullptr;
  }
  return o;
}

}  // namespace

// ---- object types ------------------------------------------------------------------------------

SObjectType::SObjectType()
    : m_heap(tavrin::ClaimPendingHeap()), m_id(static_cast<int32_t>(GTavrinServer::GetNewId())), m_objects(m_heap) {}

SObjectType::~SObjectType() {
  m_objects.DeleteAll();
  tavrin::TextFree(m_name);
}

void SObjectType::SetName(const char* name) { tavrin::SetText(m_heap, m_name, name); }

int SObjectType::WritePointer(PersistentStore& s) { return s.WritePointer(this); }

POSITION SObjectType::InsObject(SObject*& o, SObject*& after) { return InsertBehind(m_objects, o, after); }
int SObjectType::RemObject(SObject* o) { return RemoveFirst(m_objects, o); }
int SObjectType::DeleteObject(SObject* o) {
  if (!RemoveFirst(m_objects, o)) return 0;
  delete o;
  return 1;
}
SObject* SObjectType::GetFirstObject(POSITION& pos) const { return First(m_objects, pos); }
SObject* SObjectType::GetLastObject(POSITION& pos) const { return Last(m_objects, pos); }
SObject* SObjectType::GetLastObject() const { return TailObject(m_objects); }

SObject* SObjectType::CreateObject() { return NewListedObject(m_objects, m_heap, this, nullptr, nullptr); }

SObject* SObjectType::CreateObject(const char* name) {
  return name ? NewListedObject(m_objects, m_heap, this, nullptr, name) : nullptr;
}

// 1. the name; 2. the id. The objects are not part of the record.
Persistent::Error SObjectType::Serialize(PersistentStore& s) {
  tavrin::Record r(s, m_heap);
  r.String(m_name);
  r.Long(m_id);
  return r.Result();
}

// ---- objects ----------------------------------------------------------------------------------------

SObject::SObject() : m_children(m_heap) {}

SObject::~SObject() {
  m_children.DeleteAll();
  tavrin::TextFree(m_level);
}

void SObject::SetLevel(const char* level) { tavrin::SetText(m_heap, m_level, level); }

POSITION SObject::InsObject(SObject*& o, SObject*& after) { return InsertBehind(m_children, o, after); }
int SObject::RemObject(SObject* o) { return RemoveFirst(m_children, o); }
int SObject::DeleteObject(SObject* o) {
  if (!RemoveFirst(m_children, o)) return 0;
  delete o;
  return 1;
}
SObject* SObject::GetFirstObject(POSITION& pos) const { return First(m_children, pos); }
SObject* SObject::GetLastObject(POSITION& pos) const { return Last(m_children, pos); }
SObject* SObject::GetLastObject() const { return TailObject(m_children); }

SObject* SObject::CreateObject() { return NewListedObject(m_children, m_heap, m_objectType, this, nullptr); }

SObject* SObject::CreateObject(const char* name) {
  return name ? NewListedObject(m_children, m_heap, m_objectType, this, name) : nullptr;
}

// 1. the design-element record; 2. the level; 3. the object type, a
// reference resolved through the object table (null when it names another
// class); 4. the id; 5. the composite flag as an int, 1 or 0, of which
// reading takes the lowest byte. The parent and the children are not part
// of the record.
Persistent::Error SObject::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SDesignElement::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.String(m_level);
  r.Reference(m_objectType);
  r.Long(m_id);
  int32_t composite = m_composite ? 1 : 0;
  r.Int(composite);
  if (r.Reading() && r.ok()) m_composite = (composite & 0xFF) != 0;
  return r.Result();
}
