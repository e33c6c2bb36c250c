// Cell instances, port instances, slots and slot instances: operations,
// instance counts, deletion, and their records through real files.
#include <chrono>
#include <climits>
#include <functional>
#include <set>

#include "design/session_files.h"
#include "fixture.h"

using namespace tavrin_test;

namespace {

typedef std::vector<std::string> Lines;

// Cells "top" and "leaf" (interface port "P", slot "S1"); top's schematic
// view holds u1 and u2 of leaf, a sheet and the net "N" with a node; u1 has
// the scalars A and BB, the buses D (size 8, members, two ranges, sub-bus
// D2) and the bundle K, and two slot instances; the connectivity view holds
// the module instance m1. Leaf's instance count is set to 5.
struct Board {
  explicit Board(SSession* s) {
    SProject* project = s->CreateProject("p");
    top = project->CreateDesignCell("top");
    leaf = project->CreateDesignCell("leaf");
    port = leaf->CreateInterface()->CreatePortScalar("P");
    view = top->CreateConnectivityRepresentation("conn");
    slot = leaf->CreateMemberSlotSlot(1);
    slot->SetName("S1");
    slot->SetMemberCell(top);
    sch = top->CreateSchematicRepresentation("sch");
    net = sch->CreateNetScalar("N");
    u1 = sch->CreateGenericCellInstance("u1", leaf);
    u2 = sch->CreateGenericCellInstance("u2", leaf);
    u1->SetSchematicSheet(sch->CreateSchematicSheet(1));
    u1->SetId(7);
    u1->SetUID("uid-1");
    a = u1->CreatePortInstanceScalar("A");
    b = u1->CreatePortInstanceScalar("BB");
    a->SetPort(port);
    a->SetNetScalar(net);
    a->SetPhysicalNode(net->CreatePhysicalNode());
    a->SetId(4242);
    bus = u1->CreatePortInstanceBus("D");
    sub = u1->CreatePortInstanceBus("D2");
    bus->SetSize(8);
    bus->SetPortInstanceScalar(0, a);
    bus->SetPortInstanceScalar(-1, b);
    bus->CreateIndicesRangeValue()->CreateLowerIntegerValue();
    bus->CreateIndicesRangeValue();
    bus->SetSubPortInstanceBus(*bus->GetAllIndiceses().begin(), sub);  // the range without bounds
    bundle = u1->CreatePortInstanceBundle("K");
    bundle->InsertPortInstance(a);
    bundle->InsertPortInstance(bus);
    a->InsertPortInstanceBundle(bundle);
    a->InsertPortInstanceBus(bus);
    s1 = u1->CreateMemberSlotInstanceSlotInstance(1);
    s1->SetSlot(slot);
    s1->SetMemberCellInstance(u2);
    s1->SetId(31);
    s1->SetName("si1");
    u1->CreateMemberSlotInstanceSlotInstance(2)->SetGateUID("g-uid");
    u2->SetAggregateSlotInstance(sch, s1);
    view->CreateModuleInstance("m1", leaf)->SetId(9);
    leaf->SetInstanceCount(5);
  }
  SCell *top, *leaf;
  SPortScalar* port;
  SConnectivityRepresentation* view;
  SSlot* slot;
  SSchematicRepresentation* sch;
  SNetScalar* net;
  SGenericCellInstance *u1, *u2;
  SPortInstanceScalar *a, *b;
  SPortInstanceBus *bus, *sub;
  SPortInstanceBundle* bundle;
  SSlotInstance* s1;
};

int Restore(SSession* s, const std::string& path) {
  return tavrin::SessionFiles::Restore(*s, path.c_str(), nullptr, false);
}

// A saved file with its data lines edited and its header positions made to
// fit again (the header is 37 bytes whatever the positions).
std::string Reframe(const std::string& file, const std::function<void(Lines&)>& edit) {
  Lines all;
  std::size_t from = 0;
  for (std::size_t nl; (nl = file.find('\n', from)) != std::string::npos; from = nl + 1)
    all.push_back(file.substr(from, nl - from));
  std::size_t table = 7;
  while (table < all.size() && all[table] != "@@@@") ++table;
  Lines data(all.begin() + 7, all.begin() + table);
  edit(data);
  std::string body, tail;
  for (const std::string& l : data) body += l + "\n";
  for (std::size_t i = table; i < all.size(); ++i) tail += all[i] + "\n";
  char head[64];
  std::snprintf(head, sizeof head, "%06ld\n%06ld\n", 37 + long(body.size()), 37 + long(body.size() + tail.size()));
  return "YO\n12\nVV\n33199\n" + std::string(head) + std::string("2147483647\n2147483647\n").substr(strlen(head)) +
         body + tail;
}

// The data line `offset` lines after the first line that holds `text`.
std::string& At(Lines& data, const std::string& text, int offset) {
  for (std::size_t i = 0; i < data.size(); ++i)
    if (data[i] == text) return data.at(i + offset);
  throw std::runtime_error("no line " + text);
}

class InstanceTest : public SessionTest {
 protected:
  // Restores bytes into a new session; a failure must leave it empty.
  int RestoreBytes(const std::string& bytes, SSession*& into) {
    WriteFile(dir.File("case"), bytes);
    into = AllocSession();
    int r = Restore(into, dir.File("case"));
    EXPECT_TRUE(r || into->GetAllProjects().empty());
    return r;
  }
  std::string Saved() {
    EXPECT_EQ(session->Save(dir.File("board").c_str()), 1);
    return ReadFile(dir.File("board"));
  }
  SCellInstance* U1(SSession* s, const char* view = "sch") {
    return s->GetProject("p")->GetDesign("top")->GetRepresentation(view)->GetCellInstance("u1");
  }
  ScratchDir dir;
};

}  // namespace

// ---- operations ---------------------------------------------------------------------------

// Create takes over a name (the older one stays in its kind list); Destroy
// unlinks from map and kind list without deleting; null names do nothing;
// reference lists refuse duplicates.
TEST_F(InstanceTest, PortInstancesByName) {
  Board d(session);
  EXPECT_TRUE(d.a->GetCellInstance() == d.u1 && d.b->GetPort() == nullptr && d.u1->GetPortInstance("A") == d.a);
  SPortInstanceBus* again = d.u1->CreatePortInstanceBus("A");
  EXPECT_EQ(d.u1->GetPortInstance("A"), again);
  EXPECT_TRUE(d.u1->DestroyPortInstance("A"));
  EXPECT_FALSE(d.u1->HasPortInstance("A") || d.u1->DestroyPortInstance("A"));
  EXPECT_EQ(Items(d.u1->GetAllPortInstanceBi()), (std::vector<SPortInstanceBus*>{d.sub, d.bus}));
  EXPECT_EQ(Items(d.u1->GetAllPortInstanceScalars()), (std::vector<SPortInstanceScalar*>{d.b, d.a}));
  EXPECT_EQ(again->GetCellInstance(), d.u1);  // still a live object for its holder
  delete again;
  EXPECT_FALSE(d.u1->CreatePortInstanceScalar(nullptr) || d.u1->CreatePortInstanceBundle(nullptr) ||
               d.u1->GetPortInstance(nullptr) || d.u1->HasPortInstance(nullptr) || d.u1->DestroyPortInstance(nullptr));
  EXPECT_FALSE(d.bundle->InsertPortInstance(d.a) || d.a->InsertPortInstanceBundle(d.bundle) ||
               d.a->InsertPortInstanceBus(d.bus));
}

// SetCell moves one count; a null cell is refused; destroying an instance
// drops it from configurations, uncounts it and deletes it with its children.
TEST_F(InstanceTest, CountsAcrossSetCellAndDestroy) {
  Board d(session);
  EXPECT_TRUE(d.u1->SetCell(d.top));
  EXPECT_FALSE(d.u1->SetCell(nullptr) || d.view->CreateModuleInstance("x", nullptr) ||
               d.sch->CreateGenericCellInstance("x", nullptr) || d.sch->HasCellInstance("x"));
  EXPECT_TRUE(d.u1->GetCell() == d.top && d.leaf->GetInstanceCount() == 4 && d.top->GetInstanceCount() == 1);
  SConfiguration* cfg = d.sch->CreateConfiguration("c");
  EXPECT_TRUE(cfg->SetSelectedRepresentation(d.u1, d.sch) && cfg->SetSelectedRepresentation(d.u2, d.sch));
  EXPECT_TRUE(d.sch->DestroyCellInstance("u1"));  // under ASan: nothing read after it is freed
  EXPECT_EQ(d.top->GetInstanceCount(), 0);
  EXPECT_FALSE(cfg->HasSelectedRepresentation(d.u1) || d.sch->DestroyCellInstance("u1"));
  EXPECT_TRUE(cfg->HasSelectedRepresentation(d.u2));
  EXPECT_EQ(Items(d.sch->GetAllGenericCellInstances()), std::vector<SGenericCellInstance*>{d.u2});
}

// Numbers take over entries; Create2 moves a slot instance in (null is
// ignored); aggregate entries refuse a taken representation; empty gate
// texts fall back to the member instance.
TEST_F(InstanceTest, SlotInstances) {
  Board d(session);
  SSlotInstance* second = d.u1->CreateMemberSlotInstanceSlotInstance(1);
  EXPECT_EQ(d.u1->GetMemberSlotInstance(1), second);
  EXPECT_EQ(d.s1->GetAggregateCellInstance(), d.u1);
  EXPECT_TRUE(d.u1->DestroyMemberSlotInstance(1));
  EXPECT_FALSE(d.u1->HasMemberSlotInstance(1) || d.u1->DestroyMemberSlotInstance(1));
  d.u2->CreateMemberSlotInstanceSlotInstance2(5, d.s1);
  d.u2->CreateMemberSlotInstanceSlotInstance2(5, nullptr);
  EXPECT_TRUE(d.u2->GetMemberSlotInstance(5) == d.s1 && d.s1->GetAggregateCellInstance() == d.u2);
  EXPECT_FALSE(d.u2->SetAggregateSlotInstance(d.sch, second));
  EXPECT_TRUE(d.u2->GetAggregateSlotInstance(d.sch) == d.s1 && d.u2->RemoveAggregateSlotInstance(d.sch));
  EXPECT_FALSE(d.u2->HasAggregateSlotInstance(d.sch) || d.u2->RemoveAggregateSlotInstance(d.sch));

  EXPECT_EQ(second->GetGateName(), nullptr);
  EXPECT_TRUE(second->SetMemberCellInstance(d.u2) && second->GetMemberCellInstance2() == d.u2);
  EXPECT_STREQ(second->GetGateName(), "u2");
  d.u2->SetUID("uid-2");  // the gate UID copied was null: falls back to the current one
  EXPECT_STREQ(second->GetGateUID(), "uid-2");
  second->SetGateName("G");
  second->SetGateName(nullptr);
  d.u2->SetUID(nullptr);
  EXPECT_STREQ(second->GetGateName(), "G");
  EXPECT_STREQ(d.u2->GetUID(), "uid-2") << "a null text leaves the field";
  SSlot* fresh = new (heap) SSlot();
  EXPECT_EQ(fresh->GetNumber(), 1);
  delete fresh;
}

// Members by exact index; sub-buses by pointer except Has, which compares
// ranges by value; ranges deleted only by their own bus.
TEST_F(InstanceTest, BusMembersRangesAndSubBuses) {
  Board d(session);
  EXPECT_FALSE(d.bus->SetPortInstanceScalar(0, d.b));
  EXPECT_TRUE(d.bus->GetPortInstanceScalar(0) == d.a && d.bus->GetPortInstanceScalar(-1) == d.b);
  EXPECT_TRUE(d.bus->RemovePortInstanceScalar(0) && d.bus->SetPortInstanceScalar(0, d.b));
  EXPECT_FALSE(d.bus->RemovePortInstanceScalar(9) || d.bus->HasPortInstanceScalar(9));
  SRangeValue* bound = Items(d.bus->GetAllIndiceses())[0];
  SRangeValue* equal = d.sub->CreateIndicesRangeValue();  // no bounds, like `bound`
  EXPECT_FALSE(d.bus->SetSubPortInstanceBus(bound, d.bus));
  EXPECT_TRUE(d.bus->HasSubPortInstanceBus(equal)) << "by value";
  EXPECT_FALSE(d.bus->GetSubPortInstanceBus(equal) || d.bus->RemoveSubPortInstanceBus(equal)) << "by pointer";
  EXPECT_FALSE(d.bus->HasSubPortInstanceBus(Items(d.bus->GetAllIndiceses())[1]));
  EXPECT_FALSE(d.bus->HasSubPortInstanceBus(nullptr));
  EXPECT_TRUE(d.bus->GetSubPortInstanceBus(bound) == d.sub && d.bus->RemoveSubPortInstanceBus(bound));
  EXPECT_FALSE(d.bus->HasSubPortInstanceBus(equal));
  EXPECT_FALSE(d.bus->DestroyIndices(equal) || d.bus->HasIndices(equal) || d.bus->DestroyIndices(nullptr));
  EXPECT_TRUE(d.sub->HasIndices(equal) && d.bus->DestroyIndices(bound) && !d.bus->HasIndices(bound));
}

// Outside any session owners delete what they own: every kind list's port
// instances (a taken-over name too), ranges with bounds, slot instances once
// each; the sanitizers report a leak or a double delete.
TEST(InstanceHeapless, DeletesOwnedChildren) {
  SGenericCellInstance* ci = new SGenericCellInstance();
  SGenericCellInstance* other = new SGenericCellInstance();
  ci->SetUID("u");
  ci->CreatePortInstanceScalar("A");
  ci->CreatePortInstanceScalar("A");
  ci->CreatePortInstanceBus("B")->CreateIndicesRangeValue()->CreateUpperIntegerValue();
  ci->CreatePortInstanceBundle("K");
  SSlotInstance* si = ci->CreateMemberSlotInstanceSlotInstance(1);
  si->SetGateName("gate");
  ci->CreateMemberSlotInstanceSlotInstance2(2, si);  // one slot instance under two numbers
  other->CreateMemberSlotInstanceSlotInstance2(1, ci->CreateMemberSlotInstanceSlotInstance(3));  // moved on
  delete ci;
  delete other;
}

// ---- records through files ------------------------------------------------------------------

// The records' fields in order ("?" for a reference). After each name come
// the shared value, two fixed 0, the attributes and constraint instances.
TEST_F(InstanceTest, RecordLines) {
  Board d(session);
  Lines data;
  Reframe(Saved(), [&data](Lines& l) { data = l; });
  auto expect = [&data](const char* name, int offset, const Lines& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i)
      EXPECT_TRUE(lines[i] == "?" || At(data, name, offset + int(i)) == lines[i]) << name << " line " << i;
  };
  // UID, cell, no aggregate slot instances, two scalars.
  expect("u1", 1, {"0", "0", "0", "0", "0", "5", "uid-1", "?", "0", "2"});
  // Cell instance, one bundle, port, one bus, net, node, part and connector pin, id.
  expect("A", 1, {"0", "0", "0", "0", "0", "?", "1", "?", "?", "1", "?", "?", "?", "0", "0", "4242"});
  // Size, members newest first (index, reference), one sub-bus pair, id, two ranges.
  expect("D", 6, {"?", "0", "0", "8", "2", "-1", "?", "0", "?", "1", "?", "?", "0", "2"});
  expect("K", 6, {"?", "0", "0", "2", "?", "?", "0"});
  expect("m1", 6, {"0", "?", "0", "0", "0", "0", "0", "9"});  // no UID, cell, nothing owned, id
  expect("S1", 6, {"1", "?", "?", "0"});                      // number, member and aggregate cell, id
  expect("si1", 6, {"?", "?", "?", "31", "2", "u2", "0"});    // slot, member, aggregate, id, gate texts
  // u1's slot instances: count, key 2 (newest first), reference, record.
  expect("g-uid", -16, {"2", "2", "?", "0", "0", "0", "0", "0", "0", "0", "0", "0", "?", "0", "0", "5"});
}

// Children come back by name with lists and maps reversed, counts and ids
// as saved; two more round trips give the first file again (so every
// reference found its object); a restored instance without a cell destroys
// without uncounting.
TEST_F(InstanceTest, RoundTrip) {
  Board d(session);
  std::string first = Saved();
  SSession *s2, *s3, *s4;
  ASSERT_EQ(RestoreBytes(first, s2), 1);
  SCell* leaf = s2->GetProject("p")->GetDesign("leaf");
  SCell* top = s2->GetProject("p")->GetDesign("top");
  auto* u1 = SGenericCellInstance::Cast(U1(s2));
  auto* a = SPortInstanceScalar::Cast(u1->GetPortInstance("A"));
  auto* bus = SPortInstanceBus::Cast(u1->GetPortInstance("D"));
  auto* m1 = SModuleInstance::Cast(top->GetRepresentation("conn")->GetCellInstance("m1"));
  ASSERT_TRUE(a && bus && m1 && u1->GetPortInstance("K") && u1->GetPortInstance("D2"));
  EXPECT_TRUE(leaf->GetInstanceCount() == 5 && u1->GetCell() == leaf && u1->GetId() == 7 && m1->GetId() == 9);
  EXPECT_TRUE(a->GetCellInstance() == u1 && a->GetId() == 4242 && bus->GetPortInstanceScalar(0) == a);
  EXPECT_EQ(Items(u1->GetAllPortInstanceScalars())[0], a);
  EXPECT_EQ(Items(SPortInstanceBundle::Cast(u1->GetPortInstance("K"))->GetAllPortInstances())[0], a);
  EXPECT_TRUE(Items(bus->GetAllIndiceses())[0]->GetLower());
  EXPECT_EQ(u1->GetAllMemberSlotInstances().begin()->first, 1) << "newest first, reversed";
  EXPECT_EQ(u1->GetMemberSlotInstance(1)->GetAggregateCellInstance(), u1);
  ASSERT_EQ(s2->Save(dir.File("second").c_str()), 1);
  ASSERT_EQ(RestoreBytes(ReadFile(dir.File("second")), s3), 1);
  ASSERT_EQ(s3->Save(dir.File("third").c_str()), 1);
  EXPECT_EQ(ReadFile(dir.File("third")), first);
  EXPECT_TRUE(m1->SetCell(top) && leaf->GetInstanceCount() == 4 && top->GetInstanceCount() == 1);

  ASSERT_EQ(RestoreBytes(Reframe(first, [](Lines& l) { At(l, "u1", 8) = "0"; }), s4), 1);
  EXPECT_EQ(U1(s4)->GetCell(), nullptr);
  EXPECT_TRUE(s4->GetProject("p")->GetDesign("top")->GetRepresentation("sch")->DestroyCellInstance("u1"));
  EXPECT_EQ(s4->GetProject("p")->GetDesign("leaf")->GetInstanceCount(), 5);
  delete s2;
  delete s3;
  delete s4;
}

namespace {
// The file of an instance u1 whose slot instances k0, k1, ... are numbered
// 1000000, 1000001, ...; `key(i)` then replaces the i-th number in file
// order (newest first).
std::string SlotFile(const std::string& path, int n, const std::function<std::string(int)>& key) {
  SSession* s = AllocSession();
  SCell* leaf = s->CreateProject("p")->CreateDesignCell("leaf");
  SCellInstance* u1 = s->GetProject("p")->CreateDesignCell("top")->CreateConnectivityRepresentation("conn")
                          ->CreateGenericCellInstance("u1", leaf);
  for (int i = 0; i < n; ++i) u1->CreateMemberSlotInstanceSlotInstance(1000000 + i)->SetName(("k" + std::to_string(i)).c_str());
  EXPECT_EQ(s->Save(path.c_str()), 1);
  delete s;
  return Reframe(ReadFile(path), [&key](Lines& data) {
    int seen = 0;
    for (std::string& l : data)
      if (atol(l.c_str()) >= 1000000 && atol(l.c_str()) < 2000000) l = key(seen++);
  });
}
}  // namespace

// A repeated number moves the later slot instance to the first free number
// above the run it hits; 30000 repeats take well under a second; a number
// that cannot move up is damage.
TEST_F(InstanceTest, RepeatedSlotNumbersMoveUp) {
  const char* keys[] = {"5", "5", "6", "5"};
  SSession* s2;
  ASSERT_EQ(RestoreBytes(SlotFile(dir.File("small"), 4, [&keys](int i) { return keys[i]; }), s2), 1);
  for (int n = 5; n <= 8; ++n) EXPECT_EQ(U1(s2, "conn")->GetMemberSlotInstance(n)->GetName()[1], '0' + 8 - n);
  delete s2;

  std::string many = SlotFile(dir.File("many"), 30000, [](int) { return std::string("2"); });
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(RestoreBytes(many, s2), 1);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.0);
  std::set<int> taken;
  std::set<SSlotInstance*> distinct;
  for (auto it = U1(s2, "conn")->GetAllMemberSlotInstances().begin(); it != U1(s2, "conn")->GetAllMemberSlotInstances().end(); ++it) {
    taken.insert(it->first);
    distinct.insert(it->second);
  }
  EXPECT_TRUE(taken.size() == 30000 && *taken.begin() == 2 && *taken.rbegin() == 30001 && distinct.size() == 30000);
  delete s2;

  EXPECT_EQ(RestoreBytes(SlotFile(dir.File("max"), 2, [](int) { return std::string("2147483647"); }), s2), 0);
  delete s2;
  ASSERT_EQ(RestoreBytes(SlotFile(dir.File("min"), 2, [](int) { return std::string("-2147483648"); }), s2), 1);
  EXPECT_TRUE(U1(s2, "conn")->HasMemberSlotInstance(INT_MIN) && U1(s2, "conn")->HasMemberSlotInstance(INT_MIN + 1));
  delete s2;
}

// Crafted damage in the instance records is refused and adds nothing; so is
// a cut after any line. A pin instance cannot be saved before they exist.
TEST_F(InstanceTest, Damage) {
  Board d(session);
  std::string good = Saved();
  const std::pair<const char*, std::function<void(Lines&)>> cases[] = {
      {"a part pin instance", [](Lines& l) { At(l, "A", 14) = At(l, "A", 6); }},
      {"a connector pin instance", [](Lines& l) { At(l, "A", 15) = At(l, "A", 6); }},
      {"a cell instance as a port instance", [](Lines& l) { At(l, "A", -3) = At(l, "A", 6); }},
      {"a null port instance", [](Lines& l) { At(l, "A", -3) = "0"; }},
      {"a port instance claimed twice", [](Lines& l) { At(l, "A", -3) = At(l, "BB", -3); }},
      {"a port instance as a slot instance", [](Lines& l) { At(l, "si1", -3) = At(l, "A", -3); }},
      {"a port instance as a range", [](Lines& l) { At(l, "D", 20) = At(l, "A", -3); }},
  };
  for (const auto& c : cases) {
    SSession* s2;
    EXPECT_EQ(RestoreBytes(Reframe(good, c.second), s2), 0) << c.first;
    delete s2;
  }
  d.a->SetPartPinInstance(reinterpret_cast<SPartPinInstance*>(d.b));  // a stand-in: none exist yet
  EXPECT_EQ(session->Save(dir.File("pin").c_str()), 0);
  SSession* s2 = AllocSession();
  for (std::size_t k = 0; k + 1 < good.size(); ++k) {
    if (good[k] != '\n') continue;
    WriteFile(dir.File("cut"), good.substr(0, k + 1));
    ASSERT_EQ(Restore(s2, dir.File("cut")), 0) << "cut at " << k;
  }
  EXPECT_TRUE(s2->GetAllProjects().empty());
  delete s2;
}

// Memory running out: a Create returns null and leaves nothing behind; a
// restore fails and leaves its session empty, until it has enough.
TEST_F(InstanceTest, Exhaustion) {
  Board d(session);
  std::string good = Saved();
  for (long k = 1; k < 12; ++k) {
    SSession* s = AllocSession();
    SCellInstance* ci = new (s->GetHeap()) SModuleInstance();
    SPortInstanceScalar* p;
    SSlotInstance* si;
    {
      FailAfter fail(k);
      p = ci->CreatePortInstanceScalar("A");
      si = ci->CreateMemberSlotInstanceSlotInstance(3);
    }
    EXPECT_EQ(ci->GetPortInstance("A"), p);
    EXPECT_EQ(ci->GetAllPortInstanceScalars().size(), p ? 1u : 0u);
    EXPECT_EQ(ci->GetMemberSlotInstance(3), si);
    delete s;
  }
  int failures = 0;
  for (long k = 1; k < 200; ++k) {
    SSession* s = AllocSession();
    WriteFile(dir.File("case"), good);
    int r;
    {
      FailAfter fail(k);
      r = Restore(s, dir.File("case"));
    }
    EXPECT_TRUE(r || s->GetAllProjects().empty());
    delete s;
    if (r) break;
    ++failures;
  }
  EXPECT_GE(failures, 1);
}
