// Cell instances, port instances, slots and slot instances: operations,
// instance counts, deletion, and their records through real files.
#include <chrono>
#include <climits>
#include <cstring>
#include <functional>
#include <set>

#include "design/session_files.h"
#include "fixture.h"

using namespace tavrin_test;

namespace {

typedef std::vector<std::string> Lines;

// A project with the cells "top" and "leaf", leaf's interface with the
// ports "P" and "PB", and a connectivity view of top.
struct Design {
  explicit Design(SSession* s) {
    project = s->CreateProject("p");
    top = project->CreateDesignCell("top");
    leaf = project->CreateDesignCell("leaf");
    port = leaf->CreateInterface()->CreatePortScalar("P");
    view = top->CreateConnectivityRepresentation("conn");
  }
  SProject* project;
  SCell* top;
  SCell* leaf;
  SPortScalar* port;
  SConnectivityRepresentation* view;
};

int Restore(SSession* s, const std::string& path, std::string* reason = nullptr) {
  return tavrin::SessionFiles::Restore(*s, path.c_str(), reason, false);
}

Lines SplitLines(const std::string& text) {
  Lines out;
  std::size_t at = 0;
  for (std::size_t nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1)
    out.push_back(text.substr(at, nl - at));
  return out;
}

// A saved file with its data lines edited and its header positions made to
// fit again (the header is 37 bytes whatever the positions).
std::string Reframe(const std::string& file, const std::function<void(Lines&)>& edit) {
  Lines all = SplitLines(file);
  std::size_t tableAt = 7;
  while (tableAt < all.size() && all[tableAt] != "@@@@") ++tableAt;
  Lines data(all.begin() + 7, all.begin() + tableAt);
  edit(data);
  std::string body, tail;
  for (const std::string& l : data) body += l + "\n";
  for (std::size_t i = tableAt; i < all.size(); ++i) tail += all[i] + "\n";
  long table = 37 + long(body.size());
  char head[64];
  std::snprintf(head, sizeof head, "%06ld\n%06ld\n", table, table + long(tail.size()));
  return "YO\n12\nVV\n33199\n" + std::string(head) +
         std::string("2147483647\n2147483647\n").substr(std::strlen(head)) + body + tail;
}

// The index of the data line holding exactly `text` (the n-th such line).
std::size_t Find(const Lines& data, const std::string& text, int n = 0) {
  for (std::size_t i = 0; i < data.size(); ++i)
    if (data[i] == text && n-- == 0) return i;
  ADD_FAILURE() << "no line " << text;
  return 0;
}

// Checks the lines that follow a record's name line; "?" matches any
// reference.
void ExpectAfterName(const Lines& data, const std::string& name, const Lines& expected) {
  std::size_t at = Find(data, name) + 1;
  ASSERT_LE(at + expected.size(), data.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    if (expected[i] != "?") EXPECT_EQ(data[at + i], expected[i]) << name << " line " << i;
}

class InstanceTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    d = new Design(session);
    ASSERT_NE(d->view, nullptr);
    ci = d->view->CreateGenericCellInstance("u1", d->leaf);
    ASSERT_NE(ci, nullptr);
  }
  void TearDown() override {
    delete d;
    SessionTest::TearDown();
  }
  Design* d = nullptr;
  SGenericCellInstance* ci = nullptr;
};

}  // namespace

// ---- operations -------------------------------------------------------------------------

// Create files by name and sets the owner; a taken name moves to the new port
// instance and the older one stays in its kind list; Destroy unlinks the one
// found from map and kind list without deleting it; null names do nothing.
TEST_F(InstanceTest, PortInstancesByName) {
  SPortInstanceScalar* a = ci->CreatePortInstanceScalar("A");
  EXPECT_EQ(ci->GetPortInstance("A"), a);
  EXPECT_EQ(a->GetCellInstance(), ci);
  EXPECT_EQ(a->GetPort(), nullptr);
  a->SetPort(d->port);
  EXPECT_EQ(a->GetPort(), d->port);

  SPortInstanceBus* bus = ci->CreatePortInstanceBus("A");
  EXPECT_EQ(ci->GetPortInstance("A"), bus);
  EXPECT_EQ(Items(ci->GetAllPortInstanceScalars()), std::vector<SPortInstanceScalar*>{a});
  EXPECT_TRUE(ci->DestroyPortInstance("A"));
  EXPECT_FALSE(ci->HasPortInstance("A") || ci->DestroyPortInstance("A"));
  EXPECT_TRUE(ci->GetAllPortInstanceBi().empty());
  EXPECT_EQ(Items(ci->GetAllPortInstanceScalars()), std::vector<SPortInstanceScalar*>{a}) << "only the bus goes";
  bus->SetSize(4);  // still a live object for its holder
  EXPECT_EQ(bus->GetCellInstance(), ci);
  delete bus;

  EXPECT_EQ(ci->CreatePortInstanceScalar(nullptr), nullptr);
  EXPECT_EQ(ci->CreatePortInstanceBundle(nullptr), nullptr);
  EXPECT_FALSE(ci->GetPortInstance(nullptr) || ci->HasPortInstance(nullptr) || ci->DestroyPortInstance(nullptr));
  EXPECT_EQ(ci->GetAllPortInstances().size(), 0u);

  // References on both sides refuse duplicates.
  SPortInstanceBundle* k = ci->CreatePortInstanceBundle("K");
  SPortInstanceBus* b = ci->CreatePortInstanceBus("B");
  EXPECT_TRUE(k->InsertPortInstance(a) && k->InsertPortInstance(b) && a->InsertPortInstanceBundle(k) &&
              a->InsertPortInstanceBus(b));
  EXPECT_FALSE(k->InsertPortInstance(a) || a->InsertPortInstanceBundle(k) || a->InsertPortInstanceBus(b));
  EXPECT_TRUE(k->RemovePortInstance(a) && a->RemovePortInstanceBundle(k) && a->RemovePortInstanceBus(b));
  EXPECT_FALSE(k->HasPortInstance(a) || a->HasPortInstanceBundle(k) || a->HasPortInstanceBus(b) ||
               k->RemovePortInstance(a));
}

// SetCell moves one count; a null cell is refused everywhere; destroying the
// instance uncounts it, drops it from every configuration and deletes it with
// its port and slot instances.
TEST_F(InstanceTest, CountsAcrossSetCellAndDestroy) {
  EXPECT_EQ(d->leaf->GetInstanceCount(), 1);
  EXPECT_TRUE(ci->SetCell(d->top));
  EXPECT_EQ(d->leaf->GetInstanceCount(), 0);
  EXPECT_EQ(d->top->GetInstanceCount(), 1);
  EXPECT_FALSE(ci->SetCell(nullptr));
  EXPECT_EQ(ci->GetCell(), d->top);
  EXPECT_EQ(d->top->GetInstanceCount(), 1);
  EXPECT_EQ(d->view->CreateModuleInstance("m", nullptr), nullptr);
  EXPECT_EQ(d->view->CreateGenericCellInstance("g", nullptr), nullptr);
  EXPECT_FALSE(d->view->HasCellInstance("m") || d->view->HasCellInstance("g"));

  SModuleInstance* m = d->view->CreateModuleInstance("m", d->leaf);
  SConfiguration* cfg = d->view->CreateConfiguration("c");
  EXPECT_TRUE(cfg->SetSelectedRepresentation(ci, d->view) && cfg->SetSelectedRepresentation(m, d->view));
  ci->CreatePortInstanceScalar("A");
  ci->CreatePortInstanceScalar("A");
  ci->CreatePortInstanceBus("B")->CreateIndicesRangeValue()->CreateLowerIntegerValue();
  ci->CreateMemberSlotInstanceSlotInstance(1)->SetGateName("g");
  ci->SetUID("uid");

  EXPECT_TRUE(d->view->DestroyCellInstance("u1"));  // under ASan: nothing read after it is freed
  EXPECT_EQ(d->top->GetInstanceCount(), 0);
  EXPECT_EQ(d->leaf->GetInstanceCount(), 1);
  EXPECT_FALSE(cfg->HasSelectedRepresentation(ci));
  EXPECT_TRUE(cfg->HasSelectedRepresentation(m));
  EXPECT_TRUE(d->view->GetAllGenericCellInstances().empty());
  EXPECT_FALSE(d->view->DestroyCellInstance("u1"));
  EXPECT_TRUE(d->view->DestroyCellInstance("m"));
  EXPECT_EQ(d->leaf->GetInstanceCount(), 0);
}

// Numbers take over entries; Create2 moves an existing slot instance in and
// ignores null; aggregate entries refuse a taken representation; gate texts
// fall back to the member instance.
TEST_F(InstanceTest, SlotInstances) {
  SSlotInstance* first = ci->CreateMemberSlotInstanceSlotInstance(2);
  SSlotInstance* second = ci->CreateMemberSlotInstanceSlotInstance(2);
  EXPECT_EQ(ci->GetMemberSlotInstance(2), second);
  EXPECT_EQ(first->GetAggregateCellInstance(), ci);
  EXPECT_TRUE(ci->DestroyMemberSlotInstance(2));
  EXPECT_FALSE(ci->HasMemberSlotInstance(2) || ci->DestroyMemberSlotInstance(2) || ci->GetMemberSlotInstance(2));

  SGenericCellInstance* other = d->view->CreateGenericCellInstance("u2", d->leaf);
  other->CreateMemberSlotInstanceSlotInstance2(5, first);
  other->CreateMemberSlotInstanceSlotInstance2(5, nullptr);
  EXPECT_EQ(other->GetMemberSlotInstance(5), first);
  EXPECT_EQ(first->GetAggregateCellInstance(), other);
  ci->CreateMemberSlotInstanceSlotInstance2(-7, second);

  EXPECT_TRUE(ci->SetAggregateSlotInstance(d->view, first));
  EXPECT_FALSE(ci->SetAggregateSlotInstance(d->view, second));
  EXPECT_EQ(ci->GetAggregateSlotInstance(d->view), first);
  EXPECT_TRUE(ci->RemoveAggregateSlotInstance(d->view));
  EXPECT_FALSE(ci->HasAggregateSlotInstance(d->view) || ci->RemoveAggregateSlotInstance(d->view));

  // The gate texts are copies taken when the member is set; empty ones fall
  // back to the member's current name and UID.
  EXPECT_EQ(second->GetGateName(), nullptr);
  EXPECT_TRUE(second->SetMemberCellInstance(other));
  EXPECT_EQ(second->GetMemberCellInstance2(), other);
  EXPECT_STREQ(second->GetGateName(), "u2");
  other->SetUID("uid-2");
  EXPECT_STREQ(second->GetGateUID(), "uid-2");
  second->SetGateName("");
  other->SetName("renamed");
  EXPECT_STREQ(second->GetGateName(), "renamed");
  second->SetGateName("G");
  second->SetGateName(nullptr);
  second->SetGateUID("U");
  EXPECT_STREQ(second->GetGateName(), "G");
  EXPECT_STREQ(second->GetGateUID(), "U");
  other->SetUID(nullptr);
  EXPECT_STREQ(other->GetUID(), "uid-2") << "a null UID leaves the field";
  other->SetName("u2");

  SSlot* slot = d->leaf->CreateMemberSlotSlot(3);
  EXPECT_EQ(slot->GetNumber(), 3);
  EXPECT_EQ(slot->GetAggregateCell(), d->leaf);
  SSlot* fresh = new (heap) SSlot();
  EXPECT_EQ(fresh->GetNumber(), 1);
  EXPECT_EQ(fresh->GetId(), 0);
  delete fresh;
}

// Members by exact index; sub-buses found by pointer except Has, which
// compares ranges by value; owned ranges deleted only by their own bus.
TEST_F(InstanceTest, BusMembersRangesAndSubBuses) {
  SPortInstanceBus* bus = ci->CreatePortInstanceBus("D");
  SPortInstanceBus* sub = ci->CreatePortInstanceBus("D2");
  SPortInstanceScalar* s = ci->CreatePortInstanceScalar("s");
  SPortInstanceScalar* t = ci->CreatePortInstanceScalar("t");
  EXPECT_TRUE(bus->SetPortInstanceScalar(3, s));
  EXPECT_FALSE(bus->SetPortInstanceScalar(3, t));
  EXPECT_TRUE(bus->SetPortInstanceScalar(-1, t));
  EXPECT_EQ(bus->GetPortInstanceScalar(3), s);
  EXPECT_EQ(bus->GetPortInstanceScalar(-1), t);
  EXPECT_TRUE(bus->RemovePortInstanceScalar(3) && bus->SetPortInstanceScalar(3, t));
  EXPECT_FALSE(bus->RemovePortInstanceScalar(9) || bus->HasPortInstanceScalar(9));
  EXPECT_EQ(bus->GetSize(), 0);
  bus->SetSize(8);
  EXPECT_EQ(bus->GetSize(), 8);

  SRangeValue* r1 = bus->CreateIndicesRangeValue();
  SRangeValue* r2 = bus->CreateIndicesRangeValue();  // equal to r1: both without bounds
  EXPECT_EQ(Items(bus->GetAllIndiceses()), (std::vector<SRangeValue*>{r2, r1}));
  EXPECT_TRUE(bus->SetSubPortInstanceBus(r1, sub));
  EXPECT_FALSE(bus->SetSubPortInstanceBus(r1, bus));
  EXPECT_TRUE(bus->HasSubPortInstanceBus(r2)) << "by value";
  EXPECT_EQ(bus->GetSubPortInstanceBus(r2), nullptr) << "by pointer";
  EXPECT_FALSE(bus->RemoveSubPortInstanceBus(r2));
  r2->CreateLowerIntegerValue();
  EXPECT_FALSE(bus->HasSubPortInstanceBus(r2));
  EXPECT_FALSE(bus->HasSubPortInstanceBus(nullptr));
  EXPECT_EQ(bus->GetSubPortInstanceBus(r1), sub);
  EXPECT_TRUE(bus->RemoveSubPortInstanceBus(r1));
  EXPECT_FALSE(bus->HasSubPortInstanceBus(r1));

  SRangeValue* foreign = sub->CreateIndicesRangeValue();
  EXPECT_FALSE(bus->DestroyIndices(foreign) || bus->HasIndices(foreign) || bus->DestroyIndices(nullptr));
  EXPECT_TRUE(sub->HasIndices(foreign));
  EXPECT_TRUE(bus->DestroyIndices(r1));
  EXPECT_FALSE(bus->HasIndices(r1));
}

// Outside any session the owners delete what they own: port instances of
// every kind list (a taken-over name included), ranges with their bounds,
// slot instances once each; the sanitizers report a leak or a double delete.
TEST(InstanceHeapless, DeletesOwnedChildren) {
  SGenericCellInstance* ci = new SGenericCellInstance();
  ASSERT_NE(ci, nullptr);
  ci->SetUID("u");
  ci->CreatePortInstanceScalar("A")->SetName("A");
  ci->CreatePortInstanceScalar("A");
  SPortInstanceBus* bus = ci->CreatePortInstanceBus("B");
  bus->CreateIndicesRangeValue()->CreateUpperIntegerValue();
  bus->SetPortInstanceScalar(0, ci->CreatePortInstanceScalar("C"));
  ci->CreatePortInstanceBundle("K")->InsertPortInstance(bus);
  SSlotInstance* si = ci->CreateMemberSlotInstanceSlotInstance(1);
  si->SetGateName("gate");
  si->SetGateUID("uid");
  ci->CreateMemberSlotInstanceSlotInstance2(2, si);  // one slot instance under two numbers
  SGenericCellInstance* other = new SGenericCellInstance();
  SSlotInstance* moved = ci->CreateMemberSlotInstanceSlotInstance(3);
  other->CreateMemberSlotInstanceSlotInstance2(1, moved);  // now belongs to `other`
  ci->DestroyMemberSlotInstance(3);
  delete ci;
  delete other;
}

// ---- records through files --------------------------------------------------------------

namespace {

// A schematic view of top with two generic instances of leaf (u1 with port,
// slot and aggregate slot instances), a sheet, a net with a physical node;
// the connectivity view holds a module instance.
struct Board : Design {
  explicit Board(SSession* s) : Design(s) {
    slot = leaf->CreateMemberSlotSlot(1);
    slot->SetName("S1");
    slot->SetMemberCell(top);
    sch = top->CreateSchematicRepresentation("sch");
    sheet = sch->CreateSchematicSheet(1);
    net = sch->CreateNetScalar("N");
    node = net->CreatePhysicalNode();
    u1 = sch->CreateGenericCellInstance("u1", leaf);
    u2 = sch->CreateGenericCellInstance("u2", leaf);
    u1->SetSchematicSheet(sheet);
    u1->SetId(7);
    u1->SetUID("uid-1");
    a = u1->CreatePortInstanceScalar("A");
    b = u1->CreatePortInstanceScalar("BB");
    a->SetPort(port);
    a->SetNetScalar(net);
    a->SetPhysicalNode(node);
    a->SetId(4242);
    bus = u1->CreatePortInstanceBus("D");
    sub = u1->CreatePortInstanceBus("D2");
    bus->SetSize(8);
    bus->SetPortInstanceScalar(0, a);
    bus->SetPortInstanceScalar(-1, b);
    range = bus->CreateIndicesRangeValue();
    range->CreateLowerIntegerValue();
    bus->CreateIndicesRangeValue();
    bus->SetSubPortInstanceBus(range, sub);
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
    mi = view->CreateModuleInstance("m1", leaf);
    mi->SetId(9);
    leaf->SetInstanceCount(5);  // counts are the file's
  }
  SSlot* slot;
  SSchematicRepresentation* sch;
  SSchematicSheet* sheet;
  SNetScalar* net;
  SPhysicalNode* node;
  SGenericCellInstance *u1, *u2;
  SPortInstanceScalar *a, *b;
  SPortInstanceBus *bus, *sub;
  SRangeValue* range;
  SPortInstanceBundle* bundle;
  SSlotInstance* s1;
  SModuleInstance* mi;
};

class InstanceFile : public SessionTest {
 protected:
  // The board's file.
  std::string Saved() {
    Board board(session);
    std::string path = dir.File("board.tvn");
    EXPECT_EQ(session->Save(path.c_str()), 1);
    return ReadFile(path);
  }
  // Restores bytes into a new session; 0 leaves that session empty.
  int RestoreBytes(const std::string& bytes, SSession*& into) {
    WriteFile(dir.File("case"), bytes);
    into = AllocSession();
    int r = Restore(into, dir.File("case"));
    if (!r) EXPECT_TRUE(into->GetAllProjects().empty());
    return r;
  }
  ScratchDir dir;
};

}  // namespace

// The records' fields in order, as the saved lines show them ("?" for
// references). After each name: shared value, two fixed 0, attributes and
// constraint instances.
TEST_F(InstanceFile, RecordLines) {
  Lines data = SplitLines(Saved());
  // UID, cell, no aggregate slot instances, two scalars (the first's reference).
  ExpectAfterName(data, "u1", {"0", "0", "0", "0", "0", "5", "uid-1", "?", "0", "2", "?"});
  // Cell instance, one bundle, port, one bus, net, node, two nulls, id.
  ExpectAfterName(data, "A", {"0", "0", "0", "0", "0", "?", "1", "?", "?", "1", "?", "?", "?", "0", "0", "4242"});
  // Cell instance, no bundles, no port, size, members (newest first), one
  // sub-bus pair, id, two owned ranges.
  ExpectAfterName(data, "D",
                  {"0", "0", "0", "0", "0", "?", "0", "0", "8", "2", "-1", "?", "0", "?", "1", "?", "?", "0", "2"});
  ExpectAfterName(data, "K", {"0", "0", "0", "0", "0", "?", "0", "0", "2", "?", "?", "0"});
  // No UID, cell, nothing owned, id.
  ExpectAfterName(data, "m1", {"0", "0", "0", "0", "0", "0", "?", "0", "0", "0", "0", "0", "9"});
  // Number, member cell, aggregate cell, id.
  ExpectAfterName(data, "S1", {"0", "0", "0", "0", "0", "1", "?", "?", "0"});
  // Slot, member, aggregate, id, gate name, gate UID.
  ExpectAfterName(data, "si1", {"0", "0", "0", "0", "0", "?", "?", "?", "31", "2", "u2", "0"});
  // u1's member slot instances: count, then key 2 (newest first), reference
  // and the record of an unnamed slot instance.
  std::size_t at = Find(data, "g-uid");
  ASSERT_GE(at, 16u);
  Lines expected = {"2", "2", "?", "0", "0", "0", "0", "0", "0", "0", "0", "0", "?", "0", "0", "5", "g-uid"};
  for (std::size_t i = 0; i < expected.size(); ++i)
    if (expected[i] != "?") EXPECT_EQ(data[at - 16 + i], expected[i]) << "slot instance line " << i;
}

// Everything comes back by name with lists and maps reversed, references to
// the restored objects, ids and counts as saved; a restored instance without
// a cell destroys without touching any count; saving twice more gives the
// first file again.
TEST_F(InstanceFile, RoundTrip) {
  std::string first = Saved();
  SSession* s2 = nullptr;
  ASSERT_EQ(RestoreBytes(first, s2), 1);
  SProject* p = s2->GetProject("p");
  SCell* top = p->GetDesign("top");
  SCell* leaf = p->GetDesign("leaf");
  EXPECT_EQ(leaf->GetInstanceCount(), 5);
  auto* sch = SSchematicRepresentation::Cast(top->GetRepresentation("sch"));
  ASSERT_NE(sch, nullptr);
  auto* u1 = SGenericCellInstance::Cast(sch->GetCellInstance("u1"));
  auto* u2 = SGenericCellInstance::Cast(sch->GetCellInstance("u2"));
  ASSERT_TRUE(u1 && u2);
  EXPECT_EQ(u1->GetCell(), leaf);
  EXPECT_EQ(u1->GetSchematicSheet(), sch->GetSchematicSheet(1));
  EXPECT_EQ(u1->GetId(), 7);
  EXPECT_STREQ(u1->GetUID(), "uid-1");

  auto* a = SPortInstanceScalar::Cast(u1->GetPortInstance("A"));
  auto* bb = SPortInstanceScalar::Cast(u1->GetPortInstance("BB"));
  auto* bus = SPortInstanceBus::Cast(u1->GetPortInstance("D"));
  auto* sub = SPortInstanceBus::Cast(u1->GetPortInstance("D2"));
  auto* k = SPortInstanceBundle::Cast(u1->GetPortInstance("K"));
  ASSERT_TRUE(a && bb && bus && sub && k);
  EXPECT_EQ(Items(u1->GetAllPortInstanceScalars()), (std::vector<SPortInstanceScalar*>{a, bb}));
  EXPECT_EQ(Items(u1->GetAllPortInstanceBi()), (std::vector<SPortInstanceBus*>{bus, sub}));
  EXPECT_EQ(a->GetCellInstance(), u1);
  EXPECT_EQ(a->GetPort(), leaf->GetInterface()->GetPort("P"));
  auto* net = SNetScalar::Cast(sch->GetNet("N"));
  ASSERT_NE(net, nullptr);
  EXPECT_EQ(a->GetNetScalar(), net);
  EXPECT_EQ(Items(net->GetAllPhysicalNodes()), std::vector<SPhysicalNode*>{a->GetPhysicalNode()});
  EXPECT_EQ(a->GetId(), 4242);
  EXPECT_TRUE(a->HasPortInstanceBundle(k) && a->HasPortInstanceBus(bus));
  EXPECT_EQ(Items(k->GetAllPortInstances()), (std::vector<SPortInstance*>{a, bus}));

  EXPECT_EQ(bus->GetSize(), 8);
  EXPECT_EQ(bus->GetPortInstanceScalar(0), a);
  EXPECT_EQ(bus->GetPortInstanceScalar(-1), bb);
  std::vector<SRangeValue*> ranges = Items(bus->GetAllIndiceses());
  ASSERT_EQ(ranges.size(), 2u);
  EXPECT_TRUE(ranges[0]->GetLower() && !ranges[1]->GetLower()) << "reversed";
  EXPECT_EQ(bus->GetSubPortInstanceBus(ranges[0]), sub);

  std::vector<int> numbers;
  for (auto it = u1->GetAllMemberSlotInstances().begin(); it != u1->GetAllMemberSlotInstances().end(); ++it)
    numbers.push_back(it->first);
  EXPECT_EQ(numbers, (std::vector<int>{1, 2})) << "newest first, reversed";
  SSlotInstance* s1 = u1->GetMemberSlotInstance(1);
  SSlotInstance* s2nd = u1->GetMemberSlotInstance(2);
  EXPECT_EQ(s1->GetSlot(), leaf->GetMemberSlot(1));
  EXPECT_EQ(s1->GetMemberCellInstance2(), u2);
  EXPECT_EQ(s1->GetAggregateCellInstance(), u1);
  EXPECT_EQ(s1->GetId(), 31);
  EXPECT_STREQ(s1->GetGateName(), "u2");
  EXPECT_STREQ(s2nd->GetGateUID(), "g-uid");
  EXPECT_STREQ(s2nd->GetGateName(), "") << "nothing to fall back to";
  EXPECT_EQ(u2->GetAggregateSlotInstance(sch), s1);
  SSlot* slot = leaf->GetMemberSlot(1);
  EXPECT_EQ(slot->GetNumber(), 1);
  EXPECT_EQ(slot->GetMemberCell(), top);
  EXPECT_EQ(slot->GetAggregateCell(), leaf);
  auto* mi = SModuleInstance::Cast(top->GetRepresentation("conn")->GetCellInstance("m1"));
  ASSERT_NE(mi, nullptr);
  EXPECT_EQ(mi->GetId(), 9);
  EXPECT_EQ(mi->GetCell(), leaf);

  std::string second = dir.File("second.tvn");
  ASSERT_EQ(s2->Save(second.c_str()), 1);
  SSession* s3 = nullptr;
  ASSERT_EQ(RestoreBytes(ReadFile(second), s3), 1);
  ASSERT_EQ(s3->Save(dir.File("third.tvn").c_str()), 1);
  EXPECT_EQ(ReadFile(dir.File("third.tvn")), first);

  // SetCell on a restored instance moves one of the file's counts.
  EXPECT_TRUE(u2->SetCell(top));
  EXPECT_EQ(leaf->GetInstanceCount(), 4);
  EXPECT_EQ(top->GetInstanceCount(), 1);
  delete s2;
  delete s3;

  // u1 restored without a cell: destroying it counts nothing down.
  std::string noCell = Reframe(first, [](Lines& data) { data[Find(data, "u1") + 8] = "0"; });
  SSession* s4 = nullptr;
  ASSERT_EQ(RestoreBytes(noCell, s4), 1);
  SCell* leaf4 = s4->GetProject("p")->GetDesign("leaf");
  SRepresentation* sch4 = s4->GetProject("p")->GetDesign("top")->GetRepresentation("sch");
  EXPECT_EQ(sch4->GetCellInstance("u1")->GetCell(), nullptr);
  EXPECT_TRUE(sch4->DestroyCellInstance("u1"));
  EXPECT_EQ(leaf4->GetInstanceCount(), 5);
  delete s4;
}

namespace {
// A file whose instance "u1" holds slot instances named k0, k1, ... with the
// numbers 1000000, 1000001, ... (creation order); `keys` then replaces those
// numbers in file order (newest first).
std::string SlotFile(SSession* session, const std::string& path, int n, const std::function<std::string(int)>& key) {
  Design d(session);
  SGenericCellInstance* u1 = d.view->CreateGenericCellInstance("u1", d.leaf);
  for (int i = 0; i < n; ++i) {
    if (n <= 10) u1->CreateMemberSlotInstanceSlotInstance(1000000 + i)->SetName(("k" + std::to_string(i)).c_str());
    else u1->CreateMemberSlotInstanceSlotInstance(1000000 + i);
  }
  EXPECT_EQ(session->Save(path.c_str()), 1);
  return Reframe(ReadFile(path), [&key](Lines& data) {
    int seen = 0;
    for (std::string& l : data) {
      long v = std::atol(l.c_str());
      if (v >= 1000000 && v < 2000000) l = key(seen++);
    }
  });
}
}  // namespace

// A repeated number moves the later slot instance to the first free number
// above the run it hits; 30000 repeats take well under a second.
TEST_F(InstanceFile, RepeatedSlotNumbersMoveUp) {
  const char* keys[] = {"5", "5", "6", "5"};
  std::string small = SlotFile(session, dir.File("small"), 4, [&keys](int i) { return keys[i]; });
  SSession* s2 = nullptr;
  ASSERT_EQ(RestoreBytes(small, s2), 1);
  SCellInstance* u1 = s2->GetProject("p")->GetDesign("top")->GetRepresentation("conn")->GetCellInstance("u1");
  const char* expected[] = {"k3", "k2", "k1", "k0"};  // file order, newest first
  for (int n = 5; n <= 8; ++n) {
    ASSERT_TRUE(u1->HasMemberSlotInstance(n)) << n;
    EXPECT_STREQ(u1->GetMemberSlotInstance(n)->GetName(), expected[n - 5]);
  }
  delete s2;

  SSession* big = AllocSession();
  std::string many = SlotFile(big, dir.File("many"), 30000, [](int) { return std::string("2"); });
  delete big;
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(RestoreBytes(many, s2), 1);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 1.0);
  u1 = s2->GetProject("p")->GetDesign("top")->GetRepresentation("conn")->GetCellInstance("u1");
  std::set<int> taken;
  std::set<SSlotInstance*> distinct;
  for (auto it = u1->GetAllMemberSlotInstances().begin(); it != u1->GetAllMemberSlotInstances().end(); ++it) {
    taken.insert(it->first);
    distinct.insert(it->second);
  }
  EXPECT_EQ(taken.size(), 30000u);
  EXPECT_EQ(*taken.begin(), 2);
  EXPECT_EQ(*taken.rbegin(), 30001);
  EXPECT_EQ(distinct.size(), 30000u);
  delete s2;
}

// A number that cannot move up any more is damage; the lowest number moves
// like any other.
TEST_F(InstanceFile, SlotNumbersAtTheEnds) {
  SSession* s2 = nullptr;
  std::string top = SlotFile(session, dir.File("top"), 2, [](int) { return std::string("2147483647"); });
  EXPECT_EQ(RestoreBytes(top, s2), 0);
  delete s2;
  delete session;
  session = AllocSession();
  std::string bottom = SlotFile(session, dir.File("bottom"), 2, [](int) { return std::string("-2147483648"); });
  ASSERT_EQ(RestoreBytes(bottom, s2), 1);
  SCellInstance* u1 = s2->GetProject("p")->GetDesign("top")->GetRepresentation("conn")->GetCellInstance("u1");
  EXPECT_TRUE(u1->HasMemberSlotInstance(INT_MIN) && u1->HasMemberSlotInstance(INT_MIN + 1));
  delete s2;
}

// Crafted damage in the instance records is refused and adds nothing; so is
// every truncation of the file.
TEST_F(InstanceFile, Damage) {
  std::string good = Saved();
  struct Case {
    const char* what;
    std::function<void(Lines&)> edit;
  };
  auto at = [](Lines& d, const char* name, int offset) -> std::string& { return d[Find(d, name) + offset]; };
  const Case cases[] = {
      {"a part pin instance", [&](Lines& d) { at(d, "A", 14) = at(d, "A", 6); }},
      {"a connector pin instance", [&](Lines& d) { at(d, "A", 15) = at(d, "A", 6); }},
      {"a cell instance as a port instance", [&](Lines& d) { at(d, "A", -3) = at(d, "A", 6); }},
      {"a null port instance", [&](Lines& d) { at(d, "A", -3) = "0"; }},
      {"a port instance claimed twice", [&](Lines& d) { at(d, "A", -3) = at(d, "BB", -3); }},
      {"a port instance as a slot instance", [&](Lines& d) { at(d, "si1", -3) = at(d, "A", -3); }},
      {"a port instance as a range", [&](Lines& d) { at(d, "D", 20) = at(d, "A", -3); }},
      {"more slot instances than the file holds", [&](Lines& d) { d[Find(d, "g-uid") - 16] = "3"; }},
  };
  for (const Case& c : cases) {
    SSession* s2 = nullptr;
    EXPECT_EQ(RestoreBytes(Reframe(good, c.edit), s2), 0) << c.what;
    delete s2;
  }
  // Cut after every line (at every field of every record).
  SSession* s2 = AllocSession();
  for (std::size_t k = 0; k < good.size(); ++k) {
    if (good[k] != '\n') continue;
    WriteFile(dir.File("cut"), good.substr(0, k + 1 == good.size() ? k : k + 1));
    ASSERT_EQ(Restore(s2, dir.File("cut")), 0) << "cut at " << k;
  }
  EXPECT_TRUE(s2->GetAllProjects().empty());
  delete s2;
}
