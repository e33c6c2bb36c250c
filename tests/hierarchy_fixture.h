// The builders of golden files; the ids given with WithId find their records.
#ifndef TAVRIN_TESTS_HIERARCHY_FIXTURE_H
#define TAVRIN_TESTS_HIERARCHY_FIXTURE_H

#include <algorithm>
#include <cstring>
#include <functional>
#include <sstream>

#include "fixture.h"

namespace tavrin_test {

// A saved file with its data lines edited and the header positions fitted again.
inline std::string Reframe(const std::string& file, const std::function<void(std::vector<std::string>&)>& edit) {
  std::vector<std::string> all;
  std::istringstream in(file);
  for (std::string l; std::getline(in, l);) all.push_back(l);
  const auto table = std::find(all.begin() + std::min<std::size_t>(7, all.size()), all.end(), "@@@@");
  std::vector<std::string> data(all.begin() + std::min<std::size_t>(7, all.size()), table);
  edit(data);
  if (all.end() - table < 2) return Frame(data, {});
  return Frame(data, std::vector<std::string>(table + 2, all.end()), std::stol(*(table + 1)));
}

// Sets an identifier, protected or not, on a new object.
template <class T>
struct IdSetter : T {
  static T* Set(T* o, long id) {
    (o->*(&IdSetter::SetId))(id);
    return o;
  }
};
template <class T>
T* WithId(T* o, long id) {
  return IdSetter<T>::Set(o, id);
}

// tests/data/hierarchy.tvn: the design hierarchy.
struct HierarchyBoard {
  explicit HierarchyBoard(SSession* s) {
    SProject* project = s->CreateProject("P");
    project->SetUnits("mm");
    SFile* file = project->CreateFile("f");
    leaf = project->CreateDesignCell("leaf");
    board = project->CreateDesignCell("board");
    project->InsertTopCell(board);
    board->SetClientFlags(4);

    iface = WithId(leaf->CreateInterface(), 11);
    SPortScalar* pa = WithId(iface->CreatePortScalar("A"), 12);
    SPortScalar* pb = iface->CreatePortScalar("B");
    SPortBus* pd = iface->CreatePortBus("D");
    SPortBundle* pk = iface->CreatePortBundle("K");
    pa->SetSignalType(static_cast<TavrinPortType>(2));
    pa->SetbIsGlobal(true);
    pa->InsertPortBus(pd);
    pa->InsertPortBundle(pk);
    pb->InsertPortScalarFan(pa);
    pd->SetSize(4);
    pd->SetPortScalar(0, pa);
    pd->SetPortScalar(1, pb);
    pd->CreateIndicesRangeValue()->CreateUpperIntegerValue()->SetValue(3);
    pk->InsertPort(pa);
    pk->InsertPort(pd);
    iface->SetSwappablePort(pa, pb);
    SSlot* slot = leaf->CreateMemberSlotSlot(2);
    slot->SetName("S2");
    slot->SetMemberCell(board);
    SConnectivityRepresentation* lc = WithId(leaf->CreateConnectivityRepresentation("lc"), 13);

    SPortScalar* vcc = board->CreateGlobalPortPortScalar("VCC");
    vcc->SetbIsGlobal(true);
    SPortBundle* pwr = board->CreateGlobalPortPortBundle("PWR");
    pwr->InsertPort(vcc);
    SSlot* boardSlot = board->CreateMemberSlotSlot(1);
    boardSlot->SetMemberCell(leaf);
    board->InsertAggregateSlot(slot);
    sch = WithId(board->CreateSchematicRepresentation("sch"), 14);
    sch->SetUnits("mil");
    sch->InsertFile(file);
    conn = WithId(board->CreateConnectivityRepresentation("conn"), 15);

    u1 = WithId(sch->CreateGenericCellInstance("U1", leaf), 21);
    u2 = sch->CreateGenericCellInstance("U2", leaf);
    u1->SetUID("u-1");
    SPortInstanceScalar* a = WithId(u1->CreatePortInstanceScalar("A"), 22);
    a->SetPort(pa);
    SPortInstanceBus* d = u1->CreatePortInstanceBus("D");
    d->SetPort(pd);
    d->SetSize(4);
    d->SetPortInstanceScalar(0, a);
    d->CreateIndicesRangeValue();
    SPortInstanceBundle* k = u1->CreatePortInstanceBundle("K");
    k->SetPort(pk);
    k->InsertPortInstance(a);
    a->InsertPortInstanceBundle(k);
    a->InsertPortInstanceBus(d);
    si = WithId(u1->CreateMemberSlotInstanceSlotInstance(2), 23);
    si->SetSlot(slot);
    si->SetMemberCellInstance(u2);
    u2->SetAggregateSlotInstance(sch, si);
    SSchematicSheet* sheet = WithId(sch->CreateSchematicSheet(1), 24);
    sheet->SetNumber(7);
    u1->SetSchematicSheet(sheet);
    sheet->InsertGenericCellInstance(u1);

    n1 = sch->CreateNetScalar("N1");
    SNetScalar* n2 = sch->CreateNetScalar("N2");
    n1->SetUID("n-1");
    n1->SetbIsGlobal(true);
    n1->SetVoltage(1.5f);
    n1->SetbConstantVoltage(true);
    SNetBus* nb = sch->CreateNetBus("NB");
    SNetBus* nb0 = sch->CreateNetBus("NB0");
    nb->SetPrefix("D");
    nb->SetSize(2);
    nb->SetSuffix("_n");
    nb->SetNetScalar(0, n1);
    nb->SetNetScalar(1, n2);
    SRangeValue* r0 = nb->CreateIndicesRangeValue();
    r0->CreateLowerIntegerValue()->SetValue(1);
    nb->SetSubNetBus(r0, nb0);
    nb->CreateIndicesRangeValue();
    n1->InsertNetBus(nb);
    SNetBundle* nk = sch->CreateNetBundle("NK");
    nk->InsertNet(n1);
    nk->InsertNet(nb);
    n1->InsertNetBundle(nk);
    sheet->InsertNet(n1);
    n1->InsertSchematicSheet(sheet);
    a->SetNetScalar(n1);
    n1->InsertPortInstanceScalar(a);
    SSegment* seg = n1->CreateSegment();
    seg->SetImpedance(50);
    seg->SetVelocity(0.5f);
    seg->SetVictimNet(n2);
    SPhysicalNode* node = n1->CreatePhysicalNode();
    node->SetName("P1");
    node->SetPortInstanceScalar(a);
    node->CreateXValUnitlessValue()->SetValue(100L);
    a->SetPhysicalNode(node);
    seg->InsertEndpoint(node);
    node->InsertSegment(seg);
    SSegment* seg2 = n1->CreateSegment();
    n1->SetVictimSegment(seg, seg2);
    cfg = WithId(sch->CreateConfiguration("cfg"), 25);
    cfg->SetSelectedRepresentation(u1, lc);
    sch->SetDefaultConfiguration(cfg);

    WithId(conn->CreateModuleInstance("M1", leaf), 26);
  }

  SCell *leaf, *board;
  SInterface* iface;
  SConnectivityRepresentation* conn;
  SSchematicRepresentation* sch;
  SGenericCellInstance *u1, *u2;
  SSlotInstance* si;
  SNetScalar* n1;
  SConfiguration* cfg;
};

// tests/data/contexts.tvn: contexts; the constraint is written after the designs.
struct ContextSession {
  explicit ContextSession(SSession* s) {
    project = s->CreateProject("P");
    SCell* c = project->CreateDesignCell("c");
    r = WithId(c->CreateConnectivityRepresentation("r"), 5);
    SConstraint* width = project->CreateConstraint("WIDTH");
    SOATContext* k1 = WithId(r->CreateOATContext("K1"), 31);
    SProperty* p1 = WithId(k1->CreateProperty("P1"), 41);
    p1->CreateStringValue()->SetValue("a");
    WithId(k1->CreateProperty("P2"), 42);
    SOATContext* k2 = WithId(r->CreateOATContext("K2"), 32);
    SAttribute* w1 = WithId(k2->CreateAttribute("W"), 51);
    w1->CreateIntegerValue()->SetValue(7);
    WithId(k2->CreateAttribute("W"), 52);
    WithId(k2->CreateConstraintInstance("CI", width), 61);
  }
  SProject* project;
  SConnectivityRepresentation* r;
};

}  // namespace tavrin_test

#endif
