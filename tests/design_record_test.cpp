// Records of cells, representations, configurations, interfaces, ports and
// sheets: a file computed by hand, round trips through files (lists and
// maps reversed, names, counts and back-pointers as saved), and damage.
#include <cstring>
#include <sstream>

#include "fixture.h"

using namespace tavrin_test;

namespace {

typedef std::vector<std::string> Lines;

Lines Cat(std::initializer_list<Lines> parts) {
  Lines out;
  for (const Lines& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A whole file around data lines and class lines, header positions patched in.
std::string Frame(const Lines& data, const Lines& classes) {
  std::string body, tail = "@@@@\n" + std::to_string(classes.size() + 1) + "\n";
  for (const std::string& l : data) body += l + "\n";
  for (const std::string& l : classes) tail += l + "\n";
  long table = 37 + long(body.size());
  char head[64];
  std::snprintf(head, sizeof head, "%06ld\n%06ld\n", table, table + long(tail.size()));
  return "YO\n12\nVV\n33199\n" + std::string(head) + std::string("2147483647\n2147483647\n").substr(std::strlen(head)) +
         body + tail;
}

// A design element record with no attributes or constraints.
Lines Element(const std::string& name) {
  return name.empty() ? Lines{"0", "0", "0", "0", "0", "0", "0"}
                      : Lines{"0", std::to_string(name.size()), name, "0", "0", "0", "0", "0"};
}

// The parts of one small session, so that a test can change one of them:
// project "P" (1) whose top cell and design is the cell "C" (2), whose
// default and only representation is the connectivity view "v" (3), then
// whatever `interface` holds (a null reference by default).
struct SmallFile {
  Lines modules = {"0"};
  Lines viewRefs = {"1", "3"};  // count and reference of the connectivity views
  Lines interface = {"0"};
  Lines classes = {"SProject", "SCell", "SConnectivityRepresentation"};

  std::string Bytes() const {
    Lines view = Cat({Element("v"), {"0", "0", "2", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"}});
    Lines views = {viewRefs[0]};
    for (std::size_t i = 1; i < viewRefs.size(); ++i) views = Cat({views, {viewRefs[i]}, view});
    Lines cell = Cat({Element("C"), {"0", "3", "1", "0", "0"}, views, modules, {"0", "0"}, interface,
                      {"0", "0", "0", "0"}});
    Lines project = Cat({Element("P"), {"0", "0", "1", "2", "0", "0", "1", "1", "C", "2"}, cell, {"0", "0", "0"}});
    return Frame(Cat({{"0", "1", "1", "P", "1"}, project, {"0", "0", "0"}}), classes);
  }
};

// Everything a restore may change in a session, as text.
std::string Fingerprint(SSession* s) {
  std::ostringstream o;
  for (auto it = s->GetAllProjects().begin(); it != s->GetAllProjects().end(); ++it)
    o << it->first.c_str() << " " << it->second << " " << it->second->GetAllDesigns().size() << "\n";
  return o.str();
}

template <class T, class M>
std::vector<std::string> Names(const M& list) {
  std::vector<std::string> out;
  for (auto it = list.begin(); it != list.end(); ++it) out.push_back(static_cast<T*>(*it)->GetName());
  return out;
}
typedef std::vector<std::string> Strings;

class DesignRecordTest : public SessionTest {
 protected:
  // Two cells of every element kind; "leaf" is instantiated three times.
  void Populate(SSession* s) {
    SProject* p = s->CreateProject("P");
    SCell* leaf = p->CreateDesignCell("leaf");
    SCell* top = p->CreateDesignCell("top");
    p->InsertTopCell(top);
    p->InsertTopCell(leaf);
    SFile* f = p->CreateFile("top.sch");
    SInterface* i = top->CreateInterface();
    SPortScalar* a = i->CreatePortScalar("a");
    SPortScalar* b = i->CreatePortScalar("b");
    i->CreatePortScalar("b");  // takes the name over; both are saved
    SPortBus* d = i->CreatePortBus("d");
    SPortBus* e = i->CreatePortBus("e");
    SPortBundle* u = i->CreatePortBundle("u");
    a->SetbIsGlobal(true);
    a->SetSignalType(static_cast<TavrinPortType>(7));
    a->InsertPortBus(d);
    a->InsertPortBundle(u);
    b->InsertPortScalarFan(a);
    d->SetSize(8);
    d->SetPortScalar(0, a);
    d->SetPortScalar(-1, b);
    d->SetPortScalar(5, nullptr);
    SRangeValue* r = d->CreateIndicesRangeValue();
    r->CreateLowerIntegerValue();
    d->CreateIndicesRangeValue();
    d->SetSubPortBus(r, e);
    u->InsertPort(a);
    u->InsertPort(d);
    i->SetSwappablePort(a, b);
    top->CreateGlobalPortPortScalar("vcc")->SetbIsGlobal(true);
    top->CreateGlobalPortPortBundle("power");
    SSlot* slot = top->CreateMemberSlotSlot(2);
    top->CreateMemberSlotSlot(-7);
    top->InsertAggregateSlot(slot);
    SConnectivityRepresentation* c1 = top->CreateConnectivityRepresentation("c1");
    top->CreateConnectivityRepresentation("c2");
    SSchematicRepresentation* sch = top->CreateSchematicRepresentation("sch");
    top->SetDefaultRepresentation(sch);
    SRepresentation* leafView = leaf->CreateConnectivityRepresentation("lv");
    sch->SetUnits("mil");
    sch->InsertFile(f);
    SGenericCellInstance* u1 = sch->CreateGenericCellInstance("u1", leaf);
    sch->CreateGenericCellInstance("u2", leaf);
    c1->CreateModuleInstance("m1", leaf);
    SNetScalar* n = sch->CreateNetScalar("n");
    sch->CreateNetBus("nb");
    sch->CreateNetBundle("nu");
    SConfiguration* cfg = sch->CreateConfiguration("cfg");
    sch->CreateConfiguration("alt");
    cfg->SetSelectedRepresentation(u1, leafView);
    sch->SetDefaultConfiguration(cfg);
    SSchematicSheet* s1 = sch->CreateSchematicSheet(1);
    sch->CreateSchematicSheet(4)->SetNumber(9);
    s1->SetNumber(3);
    s1->InsertNet(n);
    s1->InsertNet(sch->GetNet("nb"));
    s1->InsertGenericCellInstance(u1);
    // Ids that are not 0 (the second round trip shows they read back).
    i->SetId(11);
    a->SetId(12);
    d->SetId(-13);
    u->SetId(14);
    sch->SetId(15);
    s1->SetId(16);
    cfg->SetId(17);
    c1->SetId(18);
  }
  std::string SaveOf(SSession* s, const std::string& name) {
    EXPECT_EQ(s->Save(dir.File(name).c_str()), 1);
    return ReadFile(dir.File(name));
  }
  SSession* Restored(const std::string& name) {
    SSession* s = AllocSession();
    EXPECT_EQ(s->Restore(dir.File(name).c_str()), 1) << name;
    return s;
  }
  ScratchDir dir;
};

}  // namespace

// The save of a small design equals the file computed by hand from the
// records; it restores with the reference ahead of the cell's record.
TEST_F(DesignRecordTest, SmallFileByHand) {
  SCell* c = session->CreateProject("P")->CreateDesignCell("C");
  ASSERT_TRUE(c->GetProject()->InsertTopCell(c) && c->CreateConnectivityRepresentation("v"));
  EXPECT_EQ(SaveOf(session, "small"), SmallFile().Bytes());
  SSession* s = Restored("small");
  SCell* r = s->GetProject("P")->GetDesign("C");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(Items(r->GetProject()->GetAllTopCells()), (std::vector<SCell*>{r}));
  EXPECT_EQ(r->GetDefaultRepresentation(), r->GetRepresentation("v"));
  delete s;
}

// Restored: every element found by name, lists and maps reversed, counts,
// defaults and back-pointers as saved; the second round trip gives the
// first file back byte for byte, so every saved field reads back.
TEST_F(DesignRecordTest, RoundTrip) {
  Populate(session);
  std::string first = SaveOf(session, "first");
  SSession* s = Restored("first");
  SProject* p = s->GetProject("P");
  SCell* top = p->GetDesign("top");
  SCell* leaf = p->GetDesign("leaf");
  ASSERT_TRUE(top && leaf);
  EXPECT_EQ(Items(p->GetAllTopCells()), (std::vector<SCell*>{leaf, top}));
  EXPECT_EQ(leaf->GetInstanceCount(), 3) << "reading counts nothing again";
  EXPECT_EQ(top->GetProject(), p);
  EXPECT_EQ(Names<SRepresentation>(top->GetAllConnectivityRepresentations()), (Strings{"c1", "c2"}));
  auto* sch = SSchematicRepresentation::Cast(top->GetRepresentation("sch"));
  ASSERT_NE(sch, nullptr);
  EXPECT_EQ(top->GetDefaultRepresentation(), sch);
  EXPECT_EQ(leaf->GetDefaultRepresentation(), leaf->GetRepresentation("lv"));
  EXPECT_EQ(sch->GetCell(), top);
  EXPECT_STREQ(sch->GetUnits(), "mil");
  EXPECT_EQ(Items(sch->GetAllFiles()), (std::vector<SFile*>{p->GetFile("top.sch")}));

  SInterface* i = top->GetInterface();
  ASSERT_NE(i, nullptr);
  EXPECT_EQ(i->GetCell(), top);
  EXPECT_EQ(Names<SPort>(i->GetAllPortScalars()), (Strings{"a", "b", "b"}));
  auto* a = SPortScalar::Cast(i->GetPort("a"));
  auto* b = SPortScalar::Cast(i->GetPort("b"));
  auto* d = SPortBus::Cast(i->GetPort("d"));
  auto* e = SPortBus::Cast(i->GetPort("e"));
  auto* u = SPortBundle::Cast(i->GetPort("u"));
  ASSERT_TRUE(a && b && d && e && u);
  EXPECT_EQ(b, i->GetAllPortScalars().begin().node()->next->value) << "the name goes to the port read last";
  EXPECT_TRUE(a->GetbIsGlobal() && !b->GetbIsGlobal());
  EXPECT_EQ(a->GetSignalType(), 7);
  EXPECT_EQ(a->GetInterface(), i);
  EXPECT_TRUE(a->HasPortBus(d) && a->HasPortBundle(u) && b->HasPortScalarFan(a));
  EXPECT_EQ(Items(u->GetAllPorts()), (std::vector<SPort*>{a, d}));
  EXPECT_EQ(i->GetSwappablePort(a), b);
  EXPECT_EQ(d->GetSize(), 8);
  EXPECT_EQ(d->GetPortScalar(0), a);
  EXPECT_EQ(d->GetPortScalar(-1), b);
  EXPECT_TRUE(d->HasPortScalar(5) && !d->GetPortScalar(5));
  ASSERT_EQ(d->GetAllIndiceses().size(), 2u);
  SRangeValue* r = *d->GetAllIndiceses().begin();
  EXPECT_NE(r->GetLower(), nullptr) << "the ranges come back reversed";
  EXPECT_EQ(d->GetSubPortBus(r), e);

  EXPECT_EQ(Names<SPort>(top->GetAllPortScalars()), (Strings{"vcc"}));
  EXPECT_TRUE(top->GetGlobalPort("vcc")->GetbIsGlobal() && top->GetGlobalPort("power"));
  SSlot* slot = top->GetMemberSlot(2);
  ASSERT_TRUE(slot && top->GetMemberSlot(-7));
  EXPECT_EQ(slot->GetAggregateCell(), top);
  EXPECT_EQ(Items(top->GetAllAggregateSlots()), (std::vector<SSlot*>{slot}));

  EXPECT_EQ(Names<SCellInstance>(sch->GetAllGenericCellInstances()), (Strings{"u1", "u2"}));
  SCellInstance* u1 = sch->GetCellInstance("u1");
  ASSERT_TRUE(u1 && sch->GetCellInstance("u2") && top->GetRepresentation("c1"));
  EXPECT_EQ(u1->GetCell(), leaf);
  EXPECT_EQ(top->GetRepresentation("c1")->GetCellInstance("m1")->GetCell(), leaf);
  EXPECT_TRUE(SNetScalar::Cast(sch->GetNet("n")) && SNetBus::Cast(sch->GetNet("nb")) && sch->GetNet("nu"));
  SConfiguration* cfg = sch->GetConfiguration("cfg");
  ASSERT_TRUE(cfg && sch->GetConfiguration("alt"));
  EXPECT_EQ(sch->GetDefaultConfiguration(), cfg);
  EXPECT_EQ(cfg->GetRepresentation(), sch);
  EXPECT_EQ(cfg->GetSelectedRepresentation(u1), leaf->GetRepresentation("lv"));
  SSchematicSheet* s1 = sch->GetSchematicSheet(1);
  ASSERT_TRUE(s1 && sch->GetSchematicSheet(4));
  EXPECT_EQ(s1->GetNumber(), 3);
  EXPECT_EQ(sch->GetSchematicSheet(4)->GetNumber(), 9);
  EXPECT_EQ(s1->GetSchematicRepresentation(), sch);
  EXPECT_EQ(Items(s1->GetAllNets()), (std::vector<SNet*>{sch->GetNet("n"), sch->GetNet("nb")}));
  EXPECT_EQ(Items(s1->GetAllGenericCellInstances()).size(), 1u);

  // Counts keep working on restored objects.
  EXPECT_TRUE(sch->DestroyCellInstance("u1"));
  EXPECT_EQ(leaf->GetInstanceCount(), 2);
  EXPECT_TRUE(cfg->GetAllSelectedRepresentations().empty());
  EXPECT_TRUE(p->DestroyDesign("top"));
  EXPECT_EQ(leaf->GetInstanceCount(), 0);
  delete s;

  s = Restored("first");
  std::string reversed = SaveOf(s, "second");
  EXPECT_NE(reversed, first);
  SSession* third = Restored("second");
  EXPECT_EQ(SaveOf(third, "third"), first);
  delete s;
  delete third;
}

// Damaged files are refused and leave the session as it was: every
// truncation, a child claimed twice, a null or wrong kind where an owned
// child must be, a count of a family that does not exist yet.
TEST_F(DesignRecordTest, DamageLeavesTheSession) {
  session->CreateProject("Existing")->CreateDesignCell("kept");
  const std::string before = Fingerprint(session);
  auto refused = [&](const std::string& bytes, const std::string& what) {
    WriteFile(dir.File("case"), bytes);
    EXPECT_EQ(session->Restore(dir.File("case").c_str()), 0) << what;
    EXPECT_EQ(Fingerprint(session), before) << what;
  };
  SmallFile good;
  std::string bytes = good.Bytes();
  for (std::size_t k = 0; k < bytes.size(); ++k) refused(bytes.substr(0, k), "cut at " + std::to_string(k));

  SmallFile twice;
  twice.viewRefs = {"2", "3", "3"};
  refused(twice.Bytes(), "one view claimed twice");
  SmallFile nullView;
  nullView.viewRefs = {"1", "0"};
  refused(nullView.Bytes(), "a null view");
  SmallFile wrongKind;
  wrongKind.classes[2] = "SSchematicRepresentation";
  refused(wrongKind.Bytes(), "a schematic view in the connectivity list");
  SmallFile module;
  module.modules = {"1"};
  refused(module.Bytes(), "a module");
  SmallFile wrongInterface;
  wrongInterface.interface = {"1"};
  refused(wrongInterface.Bytes(), "the project as the interface");

  // The same file with an interface restores.
  SmallFile withInterface;
  withInterface.interface = {"4", "2", "0", "0", "0", "0", "0"};
  withInterface.classes.push_back("SInterface");
  WriteFile(dir.File("ok"), withInterface.Bytes());
  ASSERT_EQ(session->Restore(dir.File("ok").c_str()), 1);
  SCell* c = session->GetProject("P")->GetDesign("C");
  ASSERT_TRUE(c && c->GetInterface());
  EXPECT_EQ(c->GetInterface()->GetCell(), c);
}

// An allocation failure anywhere in the restore of a design leaves the
// session as it was.
TEST_F(DesignRecordTest, AllocationFailureLeavesTheSession) {
  Populate(session);
  SaveOf(session, "full");
  delete session;
  session = AllocSession();
  heap = session->GetHeap();
  session->CreateProject("Existing");
  const std::string before = Fingerprint(session);
  int failures = 0;
  for (long k = 1; k < 200; ++k) {
    heap->listNodeFree = nullptr;
    heap->mapNodeFree = nullptr;
    FailAfter fail(k);
    if (session->Restore(dir.File("full").c_str()) == 1) break;
    ++failures;
    ASSERT_EQ(Fingerprint(session), before) << k;
  }
  EXPECT_GE(failures, 3);
  EXPECT_EQ(session->GetProject("P")->GetDesign("top")->GetInterface()->GetAllPorts().size(), 5u);
}
