// Physical representations: the electrical nets, differential pairs and pin
// pairs of a board or part view, one name map over all three kinds.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "core/pool.h"
#include "design/named_child.h"
#include "persist/record.h"
#include "tavrin/connect.h"
#include "tavrin/physical.h"

SPhysicalRepresentation::SPhysicalRepresentation() { m_collections.SetHeap(m_heap); }

// Every collection its kind lists hold is owned, including one whose name a
// later collection took over, so the kind lists (not the map) say what is
// deleted.
SPhysicalRepresentation::~SPhysicalRepresentation() {
  tavrin::DeleteListed(m_electricalNets, m_heap);
  tavrin::DeleteListed(m_diffPairs, m_heap);
  tavrin::DeleteListed(m_pinPairs, m_heap);
  m_collections.clear();
}

void SPhysicalRepresentation::InternalUpdate() {
  m_collections.SetHeap(m_heap);
  SRepresentation::InternalUpdate();
}

// ---- collections ---------------------------------------------------------------------

SElectricalNet* SPhysicalRepresentation::CreateElectricalNet(const char* name) {
  return tavrin::CreateListedChild(m_collections, m_electricalNets, m_heap, name);
}

SDiffPair* SPhysicalRepresentation::CreateDiffPair(const char* name) {
  return tavrin::CreateListedChild(m_collections, m_diffPairs, m_heap, name);
}

SPinPair* SPhysicalRepresentation::CreatePinPair(const char* name) {
  return tavrin::CreateListedChild(m_collections, m_pinPairs, m_heap, name);
}

SCollection* SPhysicalRepresentation::GetCollection(const char* name) const { return m_collections.lookup(name); }

bool SPhysicalRepresentation::HasCollection(const char* name) const { return m_collections.lookup(name) != nullptr; }

SElectricalNet* SPhysicalRepresentation::GetElectricalNet(const char* name) const {
  return SElectricalNet::Cast(m_collections.lookup(name));
}

SDiffPair* SPhysicalRepresentation::GetDiffPair(const char* name) const {
  return SDiffPair::Cast(m_collections.lookup(name));
}

bool SPhysicalRepresentation::DestroyCollection(const char* name) {
  if (!name) return false;
  auto it = m_collections.find(name);
  if (it == m_collections.end()) return false;
  SCollection* c = it->second;
  m_collections.erase(it);
  if (SElectricalNet* e = SElectricalNet::Cast(c)) m_electricalNets.erase(e, m_heap);
  else if (SPinPair* p = SPinPair::Cast(c)) m_pinPairs.erase(p, m_heap);
  else if (SDiffPair* d = SDiffPair::Cast(c)) m_diffPairs.erase(d, m_heap);
  return true;
}

// The map's key is the name text of the collection filed there, which the
// new name may overwrite in place: the entry goes before c is renamed. When
// memory runs out the name stays and the entry removed is put back.
bool SPhysicalRepresentation::RenameCollection(SCollection* c, const char* newName) {
  if (!c || !newName || !c->GetName()) return false;
  auto it = m_collections.find(c->GetName());
  if (it == m_collections.end()) return false;
  SCollection* held = it->second;
  m_collections.erase(it);
  c->SetName(newName);
  if (std::strcmp(c->GetName(), newName) == 0 &&
      !RelMap<CharM, SCollection*>::Failed(m_collections.insert(CharM(c->GetName()), c)))
    return true;
  if (held->GetName()) m_collections.insert(CharM(held->GetName()), held);
  return false;
}

// ---- removing the electrical data ---------------------------------------------------------

namespace {

// What RemoveElectrical deletes: the view's electrical nets, its pin pairs
// and the pin pairs the electrical nets own. Sorted for lookups; when
// memory runs out the lookups walk the owners instead.
class Deleted {
 public:
  Deleted(const RelLinkedList<SElectricalNet*>& nets, const RelLinkedList<SPinPair*>& pairs)
      : m_netList(nets), m_pairList(pairs) {
    try {
      for (auto e = nets.begin(); e != nets.end(); ++e) {
        m_nets.push_back(*e);
        for (auto p = (*e)->GetAllPinPairs().begin(); p != (*e)->GetAllPinPairs().end(); ++p) m_pairs.push_back(p->second);
        for (auto p = (*e)->GetAllConnPinPairs().begin(); p != (*e)->GetAllConnPinPairs().end(); ++p)
          m_pairs.push_back(p->second);
      }
      for (auto p = pairs.begin(); p != pairs.end(); ++p) m_pairs.push_back(*p);
      std::sort(m_nets.begin(), m_nets.end());
      std::sort(m_pairs.begin(), m_pairs.end());
      m_sorted = true;
    } catch (const std::bad_alloc&) {
      m_nets.clear();
      m_pairs.clear();
    }
  }
  bool Net(SElectricalNet* e) const {
    if (!e) return false;
    return m_sorted ? std::binary_search(m_nets.begin(), m_nets.end(), e) : m_netList.contains(e);
  }
  bool Pair(SPinPair* p) const {
    if (m_sorted) return std::binary_search(m_pairs.begin(), m_pairs.end(), p);
    if (m_pairList.contains(p)) return true;
    for (auto e = m_netList.begin(); e != m_netList.end(); ++e) {
      for (auto q = (*e)->GetAllPinPairs().begin(); q != (*e)->GetAllPinPairs().end(); ++q)
        if (q->second == p) return true;
      for (auto q = (*e)->GetAllConnPinPairs().begin(); q != (*e)->GetAllConnPinPairs().end(); ++q)
        if (q->second == p) return true;
    }
    return false;
  }

 private:
  const RelLinkedList<SElectricalNet*>& m_netList;
  const RelLinkedList<SPinPair*>& m_pairList;
  std::vector<SElectricalNet*> m_nets;
  std::vector<SPinPair*> m_pairs;
  bool m_sorted = false;
};

}  // namespace

// Nothing of the view may keep pointing at a deleted object, so references
// are cleared by what they point at: a net scalar of the view whose
// electrical net goes loses it (whether or not that electrical net lists
// it), while a listed scalar that points at another electrical net keeps
// it; the driver-receiver pairs of the net scalars lose the view's pin
// pairs and those the deleted electrical nets own; the pin pairs of the net
// scalars forget a deleted electrical net; the differential pairs lose the
// deleted electrical nets.
void SPhysicalRepresentation::RemoveElectrical() {
  const Deleted deleted(m_electricalNets, m_pinPairs);
  for (auto e = m_electricalNets.begin(); e != m_electricalNets.end(); ++e)
    for (auto n = (*e)->GetAllNetScalars().begin(); n != (*e)->GetAllNetScalars().end(); ++n)
      if ((*n)->GetElectricalNet() == *e) (*n)->SetElectricalNet(nullptr);
  for (auto n = GetAllNetScalars().begin(); n != GetAllNetScalars().end(); ++n) {
    SNetScalar* net = *n;
    if (deleted.Net(net->GetElectricalNet())) net->SetElectricalNet(nullptr);
    for (auto p = net->GetAllPinPairs().begin(); p != net->GetAllPinPairs().end(); ++p)
      if (p->second && deleted.Net(p->second->GetElectricalNet())) p->second->SetElectricalNet(nullptr);
    for (auto p = net->GetAllDriverReceiverPairs().begin(); p != net->GetAllDriverReceiverPairs().end();) {
      SPinPair* pair = *p;
      ++p;  // the node holding `pair` may go now
      if (deleted.Pair(pair)) net->RemoveDriverReceiverPair(pair);
    }
  }
  for (auto d = m_diffPairs.begin(); d != m_diffPairs.end(); ++d)
    for (auto e = m_electricalNets.begin(); e != m_electricalNets.end(); ++e) (*d)->RemoveElectricalNet(*e);

  tavrin::DeleteListed(m_electricalNets, m_heap);
  tavrin::DeleteListed(m_pinPairs, m_heap);
  m_collections.clear();
}

// ---- record --------------------------------------------------------------------------------

// 1. the representation record; 2. the three reserved values; 3, 4. the
// electrical nets and the pin pairs (owned, each filed by name once read).
// The differential pairs and the name map are not written: differential
// pairs do not survive a save, and the map is rebuilt while reading.
Persistent::Error SPhysicalRepresentation::Serialize(PersistentStore& s) {
  if (Persistent::Error e = SRepresentation::Serialize(s)) return e;
  tavrin::Record r(s, m_heap);
  r.Float(m_reserved[0]);
  r.Float(m_reserved[1]);
  r.Float(m_reserved[2]);
  r.NamedChildList(m_electricalNets, m_heap, m_collections);
  r.NamedChildList(m_pinPairs, m_heap, m_collections);
  return r.Result();
}
